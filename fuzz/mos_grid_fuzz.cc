// Fuzz target of the fixed-grid reader (NBM, LAMP). The input's first byte
// chooses the product and whether the traces run, the rest is a bulletin
// file. Every block is read in full, printed as a table and as JSON (into
// the quiet message sink), and the first block's station is looked up
// again: its report must come back the same.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_util.h"
#include "qelmos.h"

namespace {

const int kModels[] = {MOS_NBH, MOS_NBS, MOS_NBE, MOS_NBX, MOS_NBP, MOS_LAV, MOS_LEV};


bool same(const MOSG_report &a, const MOSG_report &b) {
  if (strcmp(a.id, b.id) != 0 || a.ncols != b.ncols || a.nrows != b.nrows) return false;
  for (int i = 0; i < a.nrows; i++)
    for (int k = 0; k < a.ncols; k++)
      if (a.rows[i].cell[k].num != b.rows[i].cell[k].num || strcmp(a.rows[i].cell[k].text, b.rows[i].cell[k].text))
        return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  static const bool ready = fuzz_quiet_messages();
  static const std::string path = fuzz_temp_path("mos_grid_fuzz");
  (void)ready;
  if (size == 0) return 0;
  FLAG_set(FLAG_MODEL, kModels[(data[0] & 0x7f) % (sizeof kModels / sizeof kModels[0])]);
  MESS_set(MESS_CUMULATIVE, data[0] & 0x80 ? M_DEBUG : M_PRINT);
  fuzz_bulletin_file(path, data, size);
  Date date;
  DATE_init(&date);
  static MOSG_report report, first, again;
  int ind = MOS_open(&date);
  if (ind < 0) abort();
  int blocks = 0;
  for (int k = 0; k < 1000 && MOSG_read(ind, &report, MOS_READ_FULL, &k) != -1; k++) {
    if (report.ncols < 0 || report.ncols > MOSG_COLS || report.nrows < 0 || report.nrows > MOSG_ROWS) __builtin_trap();
    if (strlen(report.id) >= sizeof report.id) __builtin_trap();
    if (blocks++ == 0) first = report;
    MOSG_print(&date, &report);
    MOSG_json(&date, &report);
  }
  MOS_close(ind);
  if (blocks > 0 && first.id[0]) {
    if (MOSG_get_station(&date, first.id, &again) != 1) __builtin_trap();
    // The first block of that identifier: the one read first.
    if (!same(first, again)) __builtin_trap();
  }
  return 0;
}
