// Fuzz target of the header pattern matcher. The input is the pattern, a
// line feed, the header, a line feed and the second text.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_util.h"
#include "qel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool ready = fuzz_quiet_messages();
  (void)ready;
  std::string in(reinterpret_cast<const char *>(data), size);
  std::string pat = fuzz_take_line(in), hdr = fuzz_take_line(in), line = in;
  PAR_cmp(hdr.c_str(), line.c_str(), pat.c_str());
  return 0;
}
