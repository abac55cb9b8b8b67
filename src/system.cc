// system.cc: process-level services: the package version string, the one
// way out of the process, and a short sleep. State (ProcessState): the
// seconds slept so far, which only grow, whether the way out is watched and
// standard output has been checked for write errors on it, and the
// program's path that the registry hands over when it saves the command
// line (this module calls nothing above the messages).

#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "qel.h"

namespace {

struct ProcessState {
  float elapse = 0;                 // seconds slept through QEL_sleep
  bool watching = false;            // QEL_watch_output has run
  bool output_checked = false;      // the way out has flushed and checked standard output
  const char *prog_path = nullptr;  // the program as the command line names it, or null
};
ProcessState ps;

// Flushes standard output; when it, or any message before, could not be
// written, reports "PROGRAM: write error: REASON" and turns a status 0 into
// 1: output that silently went nowhere would pass for success. A failure
// status is kept.
int output_status(int status) {
  if (ps.output_checked) return status;
  ps.output_checked = true;
  int err = fflush(stdout) != 0 ? errno : 0;
  if (!err && ferror(stdout)) err = MESS_write_error() ? MESS_write_error() : EIO;
  if (!err) return status;
  const char *full = ps.prog_path ? ps.prog_path : "QEL";
  const char *slash = strrchr(full, '/');
  char prog[20];
  str_copy(prog, slash ? slash + 1 : full, sizeof prog);
  fprintf(stderr, "%s: write error: %s\n", prog, strerror(err));
  return status != 0 ? status : 1;
}

// A return from main passes here: exit() runs this before it closes the
// streams, and only _exit can still change the status.
void check_at_exit() {
  int status = output_status(0);
  if (status != 0) {
    fflush(stderr);
    _exit(status);
  }
}

// Writing to a closed pipe then fails with EPIPE instead of killing the
// process. A handler, not SIG_IGN: commands started later get the default again.
void on_sigpipe(int) {}

}  // namespace

const char *QEL_version() { return "1.0.0-linux-none"; }

int QEL_set_prog(const char *path) {
  ps.prog_path = path;
  return 0;
}

void QEL_exit(int status) {
  status = output_status(status);
  fflush(stderr);
  exit(status);
}

int QEL_watch_output() {
  if (ps.watching) return 0;
  ps.watching = true;
  struct sigaction sa;
  memset(&sa, 0, sizeof sa);
  sa.sa_handler = on_sigpipe;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGPIPE, &sa, nullptr);
  atexit(check_at_exit);
  return 0;
}

int QEL_sleep(float secs) {
  if (!(secs > 0)) return -1;  // also refuses NaN
  ps.elapse += secs;
  // Whole seconds and the microseconds below them; an absurd request is
  // held at a day rather than overflowing the time fields.
  double whole = 0;
  double frac = modf(secs < 86400.0f ? static_cast<double>(secs) : 86400.0, &whole);
  timespec want{static_cast<time_t>(whole), static_cast<long>(frac * 1e6) * 1000L};
  timespec left{};
  while (nanosleep(&want, &left) != 0 && errno == EINTR) want = left;
  return 0;
}
