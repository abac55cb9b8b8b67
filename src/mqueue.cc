// mqueue.cc: the client end of the loop-window link over a System V message
// queue keyed by the window number. Every message this side sends has type
// 1 and 120 bytes of text: a code character ("0" + a small number, "/" for a
// connection request) and a NUL-terminated text of at most 118 characters.
// Replies are read by type: 2 during the handshake, then the connection id.
//
// State: the time limit of a send or a wait (20 seconds unless a test
// changes it) and one shared receive buffer. While a send or a wait is under
// way the alarm signal is armed; its handler, MQ_intrp, ends the process.

#include <sys/ipc.h>
#include <sys/msg.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "qel.h"

namespace {

constexpr size_t kTextLen = 120;        // bytes of text that travel with a message
constexpr long kRequestType = 1;        // type of every message sent to the window
constexpr long kHandshakeType = 2;      // type of the window's answer to a connection request
constexpr int kFirstConnId = 3;         // lowest id that is neither of those types
constexpr int kLastConnId = 255 - '0';  // highest id whose code still fits a byte

int time_limit = 20;  // seconds a send or a wait may take
mqueuebuf rbuf;       // receive buffer, also used for draining
// While a whole answer is read (MQ_begin_answer), the monotonic time by
// which it must be complete; 0 otherwise.
double answer_deadline = 0;

double monotonic_now() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void set_handler() {
  struct sigaction sa;
  memset(&sa, 0, sizeof sa);
  sa.sa_handler = MQ_intrp;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGALRM, &sa, nullptr);
}

// Receives one message of `type` without waiting, at most kTextLen bytes of
// text (a longer one is cut rather than left to block the queue). The text
// in rbuf is always terminated. The byte count, or -1 with errno set.
ssize_t receive(int msgqid, long type) {
  ssize_t r = msgrcv(msgqid, &rbuf, kTextLen, type, IPC_NOWAIT | MSG_NOERROR);
  rbuf.mtext[r > 0 ? r : 0] = '\0';
  return r;
}

}  // namespace

int MQ_set_time_limit(int secs) {
  if (secs <= 0) return -1;
  time_limit = secs;
  return 0;
}

int MQ_open(int num) {
  set_handler();
  // Key 0 is IPC_PRIVATE, for which msgget always creates a new queue that
  // would outlive the process; no window's queue can have that key.
  if (static_cast<key_t>(num) == IPC_PRIVATE) {
    errno = ENOENT;
    return -1;
  }
  int id = msgget(static_cast<key_t>(num), 0);
  if (id >= 0) return id;
  return errno == ENOENT ? -1 : 0;  // errno stays for the caller to report
}

int MQ_enable_alarm() {
  set_handler();
  unsigned secs = static_cast<unsigned>(time_limit);
  if (answer_deadline > 0) {
    // Whatever remains of the answer's time, rounded up to whole seconds.
    double left = answer_deadline - monotonic_now();
    if (left <= 0) MQ_intrp(SIGALRM);
    unsigned whole = static_cast<unsigned>(left);
    if (whole < left) whole++;
    if (whole < secs) secs = whole;
  }
  alarm(secs);
  return 0;
}

int MQ_begin_answer() {
  answer_deadline = monotonic_now() + time_limit;
  return 0;
}

int MQ_end_answer() {
  answer_deadline = 0;
  return 0;
}

int MQ_disable_alarm() {
  alarm(0);
  return 0;
}

void MQ_intrp(int) {
  MESS_print(M_WARN, "Queue not responding!!\n");
  QEL_exit(7);
}

int MQ_put(int msgqid, int conn_id, const char *format, ...) {
  if (!format) return -1;
  mqueuebuf sbuf;
  memset(&sbuf, 0, sizeof sbuf);
  sbuf.mtype = kRequestType;
  sbuf.mtext[0] = static_cast<char>('0' + conn_id);
  va_list ap;
  va_start(ap, format);
  // 118 characters and the terminator after the code; a longer text is cut.
  vsnprintf(sbuf.mtext + 1, kTextLen - 1, format, ap);
  va_end(ap);
  MESS_print(M_DEBUGD, "PUT:%d:%s\n", conn_id, sbuf.mtext);
  MQ_enable_alarm();
  int r = msgsnd(msgqid, &sbuf, kTextLen, 0);  // waits while the queue is full
  MQ_disable_alarm();
  return r == 0 ? 0 : -1;
}

int MQ_get(int msgqid, int conn_id, char *item) {
  if (!item) return -1;
  MQ_enable_alarm();
  ssize_t r;
  for (int tries = 0;; tries++) {
    r = receive(msgqid, conn_id);
    int err = r < 0 ? errno : 0;
    MESS_print(M_DEBUGD, "GET-MSG:%d %d %d %d\n", conn_id, static_cast<int>(r), err, tries);
    if (r >= 0 || (err != ENOMSG && err != EINTR)) break;
    // Two quick tries, then every 0.1 s up to the 200th, then every second.
    if (tries + 1 > 200)
      QEL_sleep(1.0f);
    else if (tries + 1 > 2)
      QEL_sleep(0.1f);
  }
  MQ_disable_alarm();
  MESS_print(M_DEBUGD, "GET:%s\n", rbuf.mtext);
  if (r < 1) {  // an error, or a message without even its code
    item[0] = '\0';
    return -1;
  }
  str_copy(item, rbuf.mtext + 1, kTextLen);
  return static_cast<unsigned char>(rbuf.mtext[0]) - '0';
}

int MQ_clear(int msgqid, int index) {
  while (receive(msgqid, index) >= 0) {
  }
  return -1;
}

int MQ_connect(int msgqid) {
  MQ_clear(msgqid, kHandshakeType);
  if (MQ_put(msgqid, -1, "%d", static_cast<int>(getuid())) != 0) return -1;
  MQ_enable_alarm();
  char item[kTextLen];
  int code = MQ_get(msgqid, static_cast<int>(kHandshakeType), item);
  int conn = -1;
  if (code == 2) {
    // The rest of the text is the new connection id; one that would select
    // the request or handshake type, or not fit a code byte, is refused.
    char *end = nullptr;
    long id = strtol(item, &end, 10);
    while (end != item && (*end == ' ' || *end == '\n' || *end == '\r')) end++;
    if (end != item && *end == '\0' && id >= kFirstConnId && id <= kLastConnId) {
      conn = static_cast<int>(id);
      MQ_clear(msgqid, conn);
    }
  }
  MQ_disable_alarm();
  return conn;
}
