// Fuzz target of the column scanner. The input is the format, a line feed,
// a start offset byte and the text. Destinations are 32 separate buffers;
// formats with more conversions than that are cut, since every storing
// conversion takes one destination.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_util.h"
#include "qel.h"

namespace {

constexpr int kDest = 32;

// A destination that serves as int, float or a text of up to 127 characters.
union Dest {
  int i;
  float f;
  char text[128];
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool ready = fuzz_quiet_messages();
  (void)ready;
  std::string in(reinterpret_cast<const char *>(data), size);
  std::string format = fuzz_take_line(in);
  int off = in.empty() ? 0 : static_cast<unsigned char>(in[0]) % 100;
  std::string text = in.empty() ? "" : in.substr(1);

  // At most kDest conversions.
  int convs = 0;
  for (size_t i = 0; i < format.size(); i++) {
    if (format[i] == '%' && ++convs > kDest) {
      format.resize(i);
      break;
    }
  }

  static Dest d[kDest];
  memset(d, 0, sizeof d);
  parse_param p;
  scanp_set(&p, text.c_str());
  scanp_off(&p, off);
  scanp(&p, format.c_str(), &d[0], &d[1], &d[2], &d[3], &d[4], &d[5], &d[6], &d[7], &d[8], &d[9], &d[10], &d[11],
        &d[12], &d[13], &d[14], &d[15], &d[16], &d[17], &d[18], &d[19], &d[20], &d[21], &d[22], &d[23], &d[24], &d[25],
        &d[26], &d[27], &d[28], &d[29], &d[30], &d[31]);
  if (p.len < 0 || p.len > p.length || p.assigned > p.matched || p.done < 0 || p.done > 1) __builtin_trap();
  return 0;
}
