// Helpers shared by the fuzz targets.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "qel.h"

// Every message level on, written to /dev/null only: the traces' formats
// run on every input without slowing the fuzzer with terminal output.
inline bool fuzz_quiet_messages() {
  MESS_set_str("debug,fi=/dev/null");
  return true;
}

// Removes the text up to the first line feed (and the line feed) from `in`
// and returns it; all of `in` when there is no line feed.
inline std::string fuzz_take_line(std::string &in) {
  size_t nl = in.find('\n');
  std::string head = in.substr(0, nl);
  in = nl == std::string::npos ? "" : in.substr(nl + 1);
  return head;
}

// The file each input of a target is written to: a new file under /tmp
// named after the target, removed when the run ends.
inline std::string fuzz_temp_path(const char *target) {
  static char name[64];
  snprintf(name, sizeof name, "/tmp/%s.XXXXXX", target);
  int fd = mkstemp(name);
  if (fd < 0) abort();
  close(fd);
  atexit([] { unlink(name); });
  return name;
}

// Writes an input's bytes (after its first, which the targets read as
// their settings) to `path` and makes it the bulletin file the reader opens.
inline void fuzz_bulletin_file(const std::string &path, const uint8_t *data, size_t size) {
  FILE *f = fopen(path.c_str(), "wb");
  if (!f) abort();
  fwrite(data + 1, 1, size - 1, f);
  fclose(f);
  char name[QEL_NAME_LEN];
  FILE_set_file(path.c_str(), name);
  PAR_set_in_file("");
}
