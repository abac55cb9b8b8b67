// Fuzz target of the product reader. The input's first byte chooses the
// end conditions and whether the traces run, the rest is a bulletin file:
// plain text, or gzip data that the reader decompresses (whole, joined or
// damaged). The file is searched with each of the readers' header patterns
// and read to its end as the readers read it, and then every delivered line
// is sought again: it must come back. Last, texts are found as the grid
// reader finds its station lines.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_util.h"
#include "qel.h"

namespace {

const char *const kPatterns[] = {
    "(FOUS14|FOAK2[56789])",
    "(FOUS4[456789])",
    "(FOPA21|FOUS2[123456]|FOAK3[789])",
    "(FEPA20|FEUS2[123456])",
    "(FOX|FOUS20)",
    "(FEPA21|FEUS2[123456]|FEAK3[789])",
    "FO[UC][ENMW][678]",
    "FOUS[67]._KWNO",
    "FOUS[67]._KW(BC|NO)",
    "all",
};


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool ready = fuzz_quiet_messages();
  static const std::string path = fuzz_temp_path("par_read_fuzz");
  (void)ready;
  if (size == 0) return 0;
  const int mask = PAR_END_BLANK | (data[0] & 1 ? PAR_END_EQUALS : 0) | (data[0] & 2 ? PAR_END_DOLLARS : 0) |
                   (data[0] & 4 ? PAR_END_BLANKS : 0);
  MESS_set(MESS_CUMULATIVE, data[0] & 0x80 ? M_DEBUG : M_NONE);
  fuzz_bulletin_file(path, data, size);
  PAR_set_end(mask);
  Date date;
  DATE_init(&date);
  int ind = PAR_open(&date);
  if (ind < 0) abort();

  char line[129];
  for (const char *pat : kPatterns) {
    std::vector<std::pair<long, std::string>> seen;
    PAR_rewind(ind);
    // As the station readers do, the walk stops when a read meets the end of
    // the file: a header still pending would be offered again by a search.
    int searches = 0;
    bool more = true;
    while (more && searches++ < 10000 && PAR_search(ind, pat) == 1) {
      for (int n = 0; n < 100000; n++) {
        int r = PAR_read(ind, 0, n, line);
        if (strlen(line) > 128) __builtin_trap();
        // The header (num 0) is the search's; the lines after it are the reader's.
        if (r == 1 && n > 0) seen.emplace_back(PAR_get_pos(ind), line);
        if (r == -1) more = false;
        if (r == -1 || (PAR_get_status(ind) & PAR_END_PRODUCT)) break;
      }
    }
    if (searches > 10000) continue;  // a header may still be pending
    for (const auto &[pos, text] : seen) {
      if (PAR_seek(ind, pos) != 1) __builtin_trap();
      char again[129] = "";
      if (PAR_read(ind, 0, 2, again) != 1 || text != again) __builtin_trap();
    }
  }
  // The search of a text, as the grid reader finds its station lines:
  // every line found lies after the one read before, and holds the text.
  const std::string file(reinterpret_cast<const char *>(data + 1), size - 1);
  // The positions are those of the text: of gzip data, of what it decompresses to.
  const bool gzip = size >= 3 && data[1] == 0x1f && data[2] == 0x8b;
  for (const char *text : {"NBS GUIDANCE", "GFS LAMP GUIDANCE", "B"}) {
    if (gzip) break;
    PAR_rewind(ind);
    long last = -1;
    for (int n = 0; n < 10000 && PAR_find(ind, text, "FOUS16") == 1; n++) {
      long pos = PAR_get_pos(ind);
      size_t at = pos >= 0 ? file.find(text, static_cast<size_t>(pos)) : std::string::npos;
      if (pos <= last || at == std::string::npos || at > file.find('\n', static_cast<size_t>(pos))) __builtin_trap();
      if (strlen(PAR_get_product(ind)) > 80) __builtin_trap();
      last = pos;
      PAR_read(ind, 0, 0, line);
    }
  }
  PAR_close(ind);
  return 0;
}
