// Helpers shared by the fuzz targets.
#pragma once

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
