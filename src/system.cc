// system.cc: process-level services: the package version string, the one
// way out of the process, and a short sleep.

#include <cstdlib>
#include <unistd.h>

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
  if (secs <= 0) return -1;
  elapse += secs;
  usleep(static_cast<useconds_t>(secs * 1e6f));
  return 0;
}
