// benchtime: runs a command several times on warm caches and prints the
// median wall time of the runs in seconds and their peak resident memory in
// KiB (from the rusage of each child, so no /usr/bin/time is needed).
//
//   benchtime [-n RUNS] [-p PREP] -o OUT -- COMMAND [ARG...]
//
// One more run comes first and is not counted: it warms the page cache.
// PREP, when given, is run by /bin/sh before every run, untimed (to put a
// file back as it was). The command's standard output goes to OUT, not to
// /dev/null, where grep would stop at its first match. A run that exits
// with a status other than 0 ends benchtime with status 1.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

extern char **environ;

namespace {

double now() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// One run: its wall time, or a negative value when it failed.
double run(char **argv, const char *out, long *maxrss) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  double t0 = now();
  pid_t pid;
  int err = posix_spawnp(&pid, argv[0], &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  if (err != 0) {
    fprintf(stderr, "benchtime: cannot run %s: %s\n", argv[0], strerror(err));
    return -1;
  }
  int status = 0;
  rusage ru{};
  while (wait4(pid, &status, 0, &ru) < 0 && errno == EINTR) {
  }
  double t = now() - t0;
  *maxrss = std::max(*maxrss, ru.ru_maxrss);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    fprintf(stderr, "benchtime: %s failed (status %d)\n", argv[0], WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    return -1;
  }
  return t;
}

}  // namespace

int main(int argc, char **argv) {
  int runs = 5;
  const char *prep = nullptr;
  const char *out = nullptr;
  int i = 1;
  for (; i < argc; i++) {
    std::string a = argv[i];
    if (a == "--") {
      i++;
      break;
    }
    if (i + 1 >= argc) break;
    if (a == "-n")
      runs = atoi(argv[++i]);
    else if (a == "-p")
      prep = argv[++i];
    else if (a == "-o")
      out = argv[++i];
    else
      break;
  }
  if (i >= argc || !out || runs < 1) {
    fprintf(stderr, "usage: benchtime [-n RUNS] [-p PREP] -o OUT -- COMMAND [ARG...]\n");
    return 2;
  }
  std::vector<double> times;
  long maxrss = 0;
  for (int r = 0; r <= runs; r++) {
    if (prep && system(prep) != 0) {
      fprintf(stderr, "benchtime: %s failed\n", prep);
      return 1;
    }
    double t = run(argv + i, out, &maxrss);
    if (t < 0) return 1;
    if (r > 0) times.push_back(t);
  }
  std::sort(times.begin(), times.end());
  size_t m = times.size() / 2;
  double median = times.size() % 2 ? times[m] : (times[m - 1] + times[m]) / 2;
  printf("%.6f %ld\n", median, maxrss);
  return 0;
}
