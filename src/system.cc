// system.cc: process-level services: the package version string, the one
// way out of the process, and a short sleep. State: the seconds slept so far
// (elapse), which only grows.

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <ctime>

#include "qel.h"

namespace {
float elapse = 0;  // seconds slept through QEL_sleep
}

const char *QEL_version() { return "1.0.0-linux-none"; }

void QEL_exit(int status) {
  fflush(stdout);
  fflush(stderr);
  exit(status);
}

int QEL_sleep(float secs) {
  if (!(secs > 0)) return -1;  // also refuses NaN
  elapse += secs;
  // Whole seconds and the microseconds below them; an absurd request is
  // held at a day rather than overflowing the time fields.
  double whole = 0;
  double frac = modf(secs < 86400.0f ? static_cast<double>(secs) : 86400.0, &whole);
  timespec want{static_cast<time_t>(whole), static_cast<long>(frac * 1e6) * 1000L};
  timespec left{};
  while (nanosleep(&want, &left) != 0 && errno == EINTR) want = left;
  return 0;
}
