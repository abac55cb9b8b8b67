// loopwin.cc: a small loop window, the peer that the link's tests talk to.
// It owns the System V message queue keyed by its window number, hands out
// connection ids, answers resource queries from the values it was started
// with, stores settings, and ends on "quit", its time limit or a signal,
// removing its queue whichever way it ends.
//
//   loopwin [-t SECONDS] [-d SECONDS] [-n] [-l LOGFILE] KEY [NAME=VALUE ...]
//
// Protocol: every message to the window has type 1 and 120 bytes of text, a
// code character then a NUL-terminated text. Code "/" asks for a connection
// (the text is the client's user id); the answer has type 2, code "2" and
// the new id (3, 4, ... 207, then 3 again) as text. Code "0" + id carries a
// request; its answers have type id. "query res NAME" gets one code-"0"
// message per value ("VALUE\n", or "!\n" when there is none), then an empty
// code-"1" message; "set res NAME VALUE" stores VALUE as the only value and
// gets code "1"; "quit" gets code "1" and ends the window once that answer
// has been taken (two seconds at most); anything else gets code "1".

#include <sys/ipc.h>
#include <sys/msg.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr size_t kTextLen = 120;  // bytes of text that travel with a message
constexpr long kRequestType = 1;
constexpr long kHandshakeType = 2;
constexpr int kFirstConnId = 3;
constexpr int kLastConnId = 255 - '0';  // highest id whose code still fits a byte

struct Message {
  long mtype;
  char mtext[kTextLen + 4];
};

// The queue id once created; the signal handler removes it.
volatile sig_atomic_t queue = -1;

void remove_queue() {
  if (queue >= 0) msgctl(queue, IPC_RMID, nullptr);
  queue = -1;
}

// SIGTERM, SIGINT, SIGHUP and the time limit (SIGALRM) all end the window.
void on_signal(int) {
  remove_queue();
  _exit(0);
}

[[noreturn]] void usage() {
  fputs("usage: loopwin [-t SECONDS] [-d SECONDS] [-n] [-l LOGFILE] KEY [NAME=VALUE ...]\n", stderr);
  exit(2);
}

double seconds_arg(const char *text) {
  char *end = nullptr;
  double v = strtod(text, &end);
  if (end == text || *end || !(v >= 0) || v > 1e6) usage();
  return v;
}

void pause_for(double secs) {
  if (secs <= 0) return;
  double whole = 0;
  double frac = modf(secs, &whole);
  timespec want{static_cast<time_t>(whole), static_cast<long>(frac * 1e9)};
  timespec left{};
  while (nanosleep(&want, &left) != 0 && errno == EINTR) want = left;
}

struct Window {
  double delay = 0;
  bool mute = false;
  FILE *log = nullptr;
  int next_id = kFirstConnId;
  std::map<std::string, std::vector<std::string>> values;

  // Sends one message; a text longer than 118 characters is cut.
  void send(long type, char code, const std::string &text) {
    Message m;
    memset(&m, 0, sizeof m);
    m.mtype = type;
    m.mtext[0] = code;
    snprintf(m.mtext + 1, kTextLen - 1, "%s", text.c_str());
    while (msgsnd(queue, &m, kTextLen, 0) != 0) {
      if (errno != EINTR) on_signal(0);  // the queue is gone: nothing left to do
    }
  }

  void record(const char *text) {
    if (!log) return;
    fprintf(log, "%s\n", text);
    fflush(log);
  }

  // Answers one request of connection `conn`. False after "quit".
  bool answer(long conn, const std::string &text) {
    if (text.rfind("query res ", 0) == 0) {
      std::string name = text.substr(10);
      name = name.substr(0, name.find(' '));
      auto it = values.find(name);
      if (it == values.end() || it->second.empty()) {
        send(conn, '0', "!\n");
      } else {
        for (const std::string &v : it->second) send(conn, '0', v.substr(0, kTextLen - 3) + "\n");
      }
      send(conn, '1', "");
      return true;
    }
    if (text.rfind("set res ", 0) == 0) {
      std::string rest = text.substr(8);
      size_t blank = rest.find(' ');
      std::string name = rest.substr(0, blank);
      std::string value = blank == std::string::npos ? "" : rest.substr(blank + 1);
      if (!name.empty()) values[name] = {value};
      send(conn, '1', "");
      return true;
    }
    send(conn, '1', "");
    return text != "quit";
  }

  void serve() {
    for (;;) {
      Message m;
      ssize_t r = msgrcv(queue, &m, kTextLen, kRequestType, MSG_NOERROR);
      if (r < 0) {
        if (errno == EINTR) continue;
        return;  // the queue was removed under us
      }
      m.mtext[r] = '\0';
      if (r == 0) continue;
      char code = m.mtext[0];
      const char *text = m.mtext + 1;
      if (code == '/') {
        if (mute) continue;
        pause_for(delay);
        send(kHandshakeType, '2', std::to_string(next_id));
        // Ids come round again after the last one a code byte can carry; a
        // client drains its type when it connects, so stale answers go.
        next_id = next_id < kLastConnId ? next_id + 1 : kFirstConnId;
        continue;
      }
      record(text);
      long conn = static_cast<unsigned char>(code) - '0';
      if (mute || conn < kFirstConnId) continue;  // no type to answer on
      pause_for(delay);
      if (!answer(conn, text)) {
        drain_wait();
        return;
      }
    }
  }

  // Before the queue goes, give the clients up to two seconds to take what
  // is still waiting for them (the answer to "quit" above all).
  void drain_wait() {
    for (int i = 0; i < 200; i++) {
      msqid_ds st;
      if (msgctl(queue, IPC_STAT, &st) != 0 || st.msg_qnum == 0) return;
      pause_for(0.01);
    }
  }
};

}  // namespace

int main(int argc, char **argv) {
  Window win;
  double limit = 30;
  const char *log_name = nullptr;
  int opt;
  while ((opt = getopt(argc, argv, "+t:d:nl:")) != -1) {
    switch (opt) {
      case 't': limit = seconds_arg(optarg); break;
      case 'd': win.delay = seconds_arg(optarg); break;
      case 'n': win.mute = true; break;
      case 'l': log_name = optarg; break;
      default: usage();
    }
  }
  if (optind >= argc) usage();
  char *end = nullptr;
  long key = strtol(argv[optind], &end, 10);
  if (end == argv[optind] || *end || key <= 0 || key > 0x7fffffffL) usage();
  for (int i = optind + 1; i < argc; i++) {
    const char *eq = strchr(argv[i], '=');
    if (!eq || eq == argv[i]) usage();
    win.values[std::string(argv[i], static_cast<size_t>(eq - argv[i]))].push_back(eq + 1);
  }
  if (log_name && !(win.log = fopen(log_name, "a"))) {
    perror(log_name);
    return 1;
  }

  // Signals stay blocked until the queue id is known, so none can leave the
  // queue behind.
  sigset_t ends, old;
  sigemptyset(&ends);
  for (int sig : {SIGTERM, SIGINT, SIGHUP, SIGALRM}) {
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = on_signal;
    sigemptyset(&sa.sa_mask);
    sigaction(sig, &sa, nullptr);
    sigaddset(&ends, sig);
  }
  sigprocmask(SIG_BLOCK, &ends, &old);
  int stale = msgget(static_cast<key_t>(key), 0);
  if (stale >= 0) msgctl(stale, IPC_RMID, nullptr);
  int id = msgget(static_cast<key_t>(key), IPC_CREAT | IPC_EXCL | 0600);
  if (id < 0) {
    perror("loopwin: msgget");
    return 1;
  }
  queue = id;
  if (limit > 0) {
    itimerval t{};
    t.it_value.tv_sec = static_cast<time_t>(limit);
    t.it_value.tv_usec = static_cast<suseconds_t>((limit - floor(limit)) * 1e6);
    if (t.it_value.tv_sec == 0 && t.it_value.tv_usec == 0) t.it_value.tv_usec = 1;
    setitimer(ITIMER_REAL, &t, nullptr);
  }
  sigprocmask(SIG_SETMASK, &old, nullptr);

  fputs("ready\n", stdout);
  fflush(stdout);
  win.serve();
  remove_queue();
  return 0;
}
