// mos_read.cc: the station MOS bulletin reader (NGM, ETA, NAM, AVN, GFS, MRF,
// GFSX) and the stand-ins of the upper-air and extended-range readers.
//
// A bulletin file holds products; a MOS product holds one block per
// station, from its heading line (which carries the family's marker, e.g.
// "GFS MOS") to a blank line. Each row of a block starts with a label and
// carries values at fixed columns, described per family by the row tables
// below. The reader keeps, for the whole process, the number of the block
// located last and the position of its heading, so that a second call for
// the same number (type 26) goes straight back to that block and reads it.

#include <cstring>

#include "qelmos.h"

namespace {

// Reader state shared by every call of the process.
int last_num = -1;   // station number of the block located last
long last_pos = 0;   // position of that block's heading line

using Field = int32_t (MOS_report::*)[MOS_SLOTS];

enum class Kind {
  Int,          // an integer per column
  WindDir,      // tens of degrees; 99 and above are missing
  Cloud,        // second of three characters, with the family's letter fixes
  Obstruction,  // third of three characters
  PrecipType,   // first character scanned
  Pair,         // two integers per column ("%<3D/%<2D" and the like)
};

constexpr int kNone = QEL_MISS;  // no missing code

// Columns first + step * i for i = 0 .. count - 1, into slots slot0 + slot_step * i.
struct Grid {
  int first, step, count, slot0, slot_step;
};

// A single extra column at character `at`, into `slot`.
struct Extra {
  int at, slot;
};

struct Row {
  const char *label;
  const char *alt;  // a second label for the same row, or null
  int cmp;          // characters of the label compared
  Kind kind;
  const char *fmt;
  Field f1;
  Field f2;  // second target of a pair row
  int miss1, miss2;
  Grid grid;
  Extra extra[2];
  int n_extra;
  bool ends_block;
};

constexpr Grid kNgmHourly = {6, 3, 19, 0, 1};
constexpr Grid kNgmSixHourly = {12, 6, 9, 2, 2};
constexpr Grid kEtaHourly = {4, 3, 19, 0, 1};
constexpr Grid kEtaSixHourly = {10, 6, 9, 2, 2};
constexpr Grid kEtaTwelveHourly = {22, 12, 4, 6, 4};
constexpr Grid kTwelveHourDays = {4, 4, 15, 0, 1};

// The 21-column rows of AVN and GFS: 19 three-hourly columns, then the
// two six-hourly ones (hours 66 and 72) of the same 3-character grid.
constexpr Extra kSixHourlyTail[2] = {{61, 19}, {64, 20}};

const Row kNgmRows[] = {
    {"MX/MN", "MN/MX", 5, Kind::Int, "%<3D", &MOS_report::ext_t, nullptr, 999, kNone, {24, 12, 4, 6, 4}, {}, 0, false},
    {"TEMP", nullptr, 4, Kind::Int, "%<3D", &MOS_report::t, nullptr, 999, kNone, kNgmHourly, {}, 0, false},
    {"DEWPT", nullptr, 5, Kind::Int, "%<3D", &MOS_report::td, nullptr, 999, kNone, kNgmHourly, {}, 0, false},
    {"CLDS", nullptr, 4, Kind::Cloud, "%<3S", &MOS_report::cover, nullptr, kNone, kNone, kNgmHourly, {}, 0, false},
    {"WDIR", nullptr, 4, Kind::WindDir, "%<3D", &MOS_report::w_dir, nullptr, kNone, kNone, kNgmHourly, {}, 0, false},
    {"WSPD", nullptr, 4, Kind::Int, "%<3D", &MOS_report::w_spd, nullptr, 99, kNone, kNgmHourly, {}, 0, false},
    {"POP06", nullptr, 5, Kind::Int, "%<3!   !D", &MOS_report::pop6, nullptr, 999, kNone, kNgmSixHourly, {}, 0, false},
    {"POP12", nullptr, 5, Kind::Int, "%<3!   !D", &MOS_report::pop12, nullptr, 999, kNone, kNgmSixHourly, {}, 0, false},
    {"QPF", nullptr, 3, Kind::Pair, "%1! !D/%1! !D", &MOS_report::qpf6, &MOS_report::qpf12, kNone, kNone, kNgmSixHourly, {}, 0, false},
    {"TSV06", nullptr, 5, Kind::Pair, "%<3D/%<2D", &MOS_report::pot6, &MOS_report::post6, 999, 99, {9, 6, 9, 2, 2}, {}, 0, false},
    {"TSV12", nullptr, 5, Kind::Pair, "%<3D/%<2D", &MOS_report::pot12, &MOS_report::post12, 999, 99, {15, 12, 4, 4, 4}, {}, 0, false},
    {"PTYPE", nullptr, 5, Kind::PrecipType, "%<1S", &MOS_report::ptype, nullptr, kNone, kNone, {8, 3, 19, 0, 1}, {}, 0, false},
    {"SNOW", nullptr, 3, Kind::Pair, "%1D/%1D", &MOS_report::qsf6, &MOS_report::qsf12, kNone, kNone, kNgmSixHourly, {}, 0, false},
    {"CIG", nullptr, 3, Kind::Int, "%<3D", &MOS_report::hght, nullptr, 9, kNone, kNgmHourly, {}, 0, false},
    {"VIS", nullptr, 3, Kind::Int, "%<3D", &MOS_report::vis, nullptr, 9, kNone, kNgmHourly, {}, 0, false},
    {"OBVIS", nullptr, 5, Kind::Obstruction, "%<3S", &MOS_report::obvis, nullptr, kNone, kNone, kNgmHourly, {}, 0, true},
};

// ETA and NAM. The thunderstorm rows sit on the same grid as the others:
// "T06" fields start at 7 + 6i and "T12" fields at 13 + 12i, so an entry
// such as "25/15" is read whole.
const Row kEtaRows[] = {
    {"X/N", "N/X", 3, Kind::Int, "%<3D", &MOS_report::ext_t, nullptr, 999, kNone, kEtaTwelveHourly, {}, 0, false},
    {"TMP ", nullptr, 4, Kind::Int, "%<3D", &MOS_report::t, nullptr, 999, kNone, kEtaHourly, {}, 0, false},
    {"DPT ", nullptr, 4, Kind::Int, "%<3D", &MOS_report::td, nullptr, 999, kNone, kEtaHourly, {}, 0, false},
    {"CLD ", nullptr, 4, Kind::Cloud, "%<3S", &MOS_report::cover, nullptr, kNone, kNone, kEtaHourly, {}, 0, false},
    {"WDR ", nullptr, 4, Kind::WindDir, "%<3D", &MOS_report::w_dir, nullptr, kNone, kNone, kEtaHourly, {}, 0, false},
    {"WSP ", nullptr, 4, Kind::Int, "%<3D", &MOS_report::w_spd, nullptr, 99, kNone, kEtaHourly, {}, 0, false},
    {"P06 ", nullptr, 4, Kind::Int, "%<3!   !D", &MOS_report::pop6, nullptr, 999, kNone, kEtaSixHourly, {}, 0, false},
    {"P12 ", nullptr, 4, Kind::Int, "%<3!   !D", &MOS_report::pop12, nullptr, 999, kNone, kEtaTwelveHourly, {}, 0, false},
    {"Q06", nullptr, 3, Kind::Int, "%<3!   !D", &MOS_report::qpf6, nullptr, 999, kNone, kEtaSixHourly, {}, 0, false},
    {"Q12", nullptr, 3, Kind::Int, "%<3!   !D", &MOS_report::qpf12, nullptr, 999, kNone, kEtaTwelveHourly, {}, 0, false},
    {"T06", nullptr, 3, Kind::Pair, "%<3D/%<2D", &MOS_report::pot6, &MOS_report::post6, 999, 99, {7, 6, 9, 2, 2}, {}, 0, false},
    {"T12", nullptr, 3, Kind::Pair, "%<3D/%<2D", &MOS_report::pot12, &MOS_report::post12, 999, 99, {13, 12, 4, 4, 4}, {}, 0, false},
    {"SNW", nullptr, 3, Kind::Int, "%2D", &MOS_report::qsf12, nullptr, kNone, kNone, {10, 12, 5, 2, 4}, {}, 0, false},
    {"CIG", nullptr, 3, Kind::Int, "%<3D", &MOS_report::hght, nullptr, 9, kNone, kEtaHourly, {}, 0, false},
    {"VIS", nullptr, 3, Kind::Int, "%<3D", &MOS_report::vis, nullptr, 9, kNone, kEtaHourly, {}, 0, false},
    {"OBV ", nullptr, 4, Kind::Obstruction, "%<3S", &MOS_report::obvis, nullptr, kNone, kNone, kEtaHourly, {}, 0, true},
};

// AVN and GFS: the ETA grid plus the six-hourly tail. "TYP " letters are
// the last character of their 3-character fields. The "SNW" row is read
// for GFS only (AVN bulletins use that row otherwise).
#define TAIL {kSixHourlyTail[0], kSixHourlyTail[1]}, 2
const Row kGfsRows[] = {
    {"X/N", "N/X", 3, Kind::Int, "%<3D", &MOS_report::ext_t, nullptr, 999, kNone, kEtaTwelveHourly, {{64, 20}}, 1, false},
    {"TMP ", nullptr, 4, Kind::Int, "%<3D", &MOS_report::t, nullptr, 999, kNone, kEtaHourly, TAIL, false},
    {"DPT ", nullptr, 4, Kind::Int, "%<3D", &MOS_report::td, nullptr, 999, kNone, kEtaHourly, TAIL, false},
    {"CLD ", nullptr, 4, Kind::Cloud, "%<3S", &MOS_report::cover, nullptr, kNone, kNone, kEtaHourly, TAIL, false},
    {"WDR ", nullptr, 4, Kind::WindDir, "%<3D", &MOS_report::w_dir, nullptr, kNone, kNone, kEtaHourly, TAIL, false},
    {"WSP ", nullptr, 4, Kind::Int, "%<3D", &MOS_report::w_spd, nullptr, 99, kNone, kEtaHourly, TAIL, false},
    {"P06 ", nullptr, 4, Kind::Int, "%<3!   !D", &MOS_report::pop6, nullptr, 999, kNone, kEtaSixHourly, TAIL, false},
    {"P12 ", nullptr, 4, Kind::Int, "%<3!   !D", &MOS_report::pop12, nullptr, 999, kNone, kEtaTwelveHourly, TAIL, false},
    {"Q06", nullptr, 3, Kind::Int, "%<3!   !D", &MOS_report::qpf6, nullptr, 999, kNone, kEtaSixHourly, TAIL, false},
    {"Q12", nullptr, 3, Kind::Int, "%<3!   !D", &MOS_report::qpf12, nullptr, 999, kNone, kEtaTwelveHourly, {{64, 20}}, 1, false},
    {"T06", nullptr, 3, Kind::Pair, "%<3D/%<2D", &MOS_report::pot6, &MOS_report::post6, 999, 99, {7, 6, 9, 2, 2}, {{61, 20}}, 1, false},
    {"T12", nullptr, 3, Kind::Pair, "%<3D/%<2D", &MOS_report::pot12, &MOS_report::post12, 999, 99, {13, 12, 4, 4, 4}, {{59, 19}}, 1, false},
    {"TYP ", nullptr, 4, Kind::PrecipType, "%<1S", &MOS_report::ptype, nullptr, kNone, kNone, {6, 3, 19, 0, 1}, {{63, 19}, {66, 20}}, 2, false},
    {"SNW", nullptr, 3, Kind::Int, "%1D", &MOS_report::qsf12, nullptr, kNone, kNone, {24, 12, 4, 6, 4}, {{66, 20}}, 1, false},
    {"CIG", nullptr, 3, Kind::Int, "%<3D", &MOS_report::hght, nullptr, 9, kNone, kEtaHourly, TAIL, false},
    {"VIS", nullptr, 3, Kind::Int, "%<3D", &MOS_report::vis, nullptr, 9, kNone, kEtaHourly, TAIL, false},
    {"OBV ", nullptr, 4, Kind::Obstruction, "%<3S", &MOS_report::obvis, nullptr, kNone, kNone, kEtaHourly, TAIL, true},
};
#undef TAIL
constexpr int kGfsSnowRow = 13;  // index of "SNW" in kGfsRows

// MRF and GFSX: 15 twelve-hourly columns; the block ends at its blank
// line. 12Z runs label the temperature row "N/X". The GFSX "SNW" row holds
// 24-hour snowfall at 14 + 8i in 00Z runs and at 18 + 8i in 12Z runs (the
// other places are blank or "|"), so both grids are read.
const Row kMrfRows[] = {
    {"X/N", "N/X", 3, Kind::Int, "%<3D", &MOS_report::ext_t, nullptr, 999, kNone, kTwelveHourDays, {}, 0, false},
    {"TMP ", nullptr, 4, Kind::Int, "%<3D", &MOS_report::t, nullptr, 999, kNone, kTwelveHourDays, {}, 0, false},
    {"DPT ", nullptr, 4, Kind::Int, "%<3D", &MOS_report::td, nullptr, 999, kNone, kTwelveHourDays, {}, 0, false},
    {"CLD ", nullptr, 4, Kind::Cloud, "%<3S", &MOS_report::cover, nullptr, kNone, kNone, kTwelveHourDays, {}, 0, false},
    {"WND ", nullptr, 4, Kind::Int, "%<2D", &MOS_report::w_spd, nullptr, 99, kNone, {5, 4, 15, 0, 1}, {}, 0, false},
    {"P12 ", nullptr, 4, Kind::Int, "%<3!   !D", &MOS_report::pop12, nullptr, 999, kNone, kTwelveHourDays, {}, 0, false},
    {"Q12", nullptr, 3, Kind::Int, "%<3!   !D", &MOS_report::qpf12, nullptr, 999, kNone, kTwelveHourDays, {}, 0, false},
    {"TYP ", nullptr, 4, Kind::PrecipType, "%<3S", &MOS_report::ptype, nullptr, kNone, kNone, kTwelveHourDays, {}, 0, false},
    {"SNW", nullptr, 3, Kind::Int, "%1D", &MOS_report::qsf12, nullptr, kNone, kNone, {14, 8, 4, 2, 2}, {}, 0, false},
    {"SNW", nullptr, 3, Kind::Int, "%1D", &MOS_report::qsf12, nullptr, kNone, kNone, {18, 8, 4, 3, 2}, {}, 0, false},
};
constexpr int kMrfSnowRows = 8;  // first "SNW" row in kMrfRows: GFSX only

struct Family {
  const char *pattern;
  const char *marker;
  int slots;
  const Row *rows;
  int n_rows;
};

template <int N>
constexpr int count_of(const Row (&)[N]) {
  return N;
}

// The family of a model code, or false for a code this reader does not know.
bool family_of(int code, Family *f) {
  switch (code) {
    case MOS_NGM: *f = {"(FOUS14|FOAK2[56789])", "NGM MOS", 19, kNgmRows, count_of(kNgmRows)}; return true;
    case MOS_ETA: *f = {"(FOUS4[456789])", "ETA MOS", 19, kEtaRows, count_of(kEtaRows)}; return true;
    case MOS_NAM: *f = {"(FOUS4[456789])", "NAM MOS", 19, kEtaRows, count_of(kEtaRows)}; return true;
    case MOS_AVN:
      *f = {"(FOPA21|FOUS2[123456]|FOAK3[789])", "AVN MOS", 21, kGfsRows, count_of(kGfsRows)};
      return true;
    case MOS_GFS:
      *f = {"(FOPA21|FOUS2[123456]|FOAK3[789])", "GFS MOS", 21, kGfsRows, count_of(kGfsRows)};
      return true;
    case MOS_MRF: *f = {"(FEPA20|FEUS2[123456])", "MRF MOS", 15, kMrfRows, count_of(kMrfRows)}; return true;
    case MOS_GFSX: *f = {"(FEPA20|FEUS2[123456])", "GFSX MOS", 15, kMrfRows, count_of(kMrfRows)}; return true;
    default: return false;
  }
}

// Whether row `index` of the family of `code` is read at all.
bool row_applies(int code, const Row *rows, int index) {
  if (rows == kGfsRows && index == kGfsSnowRow) return code == MOS_GFS;
  if (rows == kMrfRows && index >= kMrfSnowRows) return code == MOS_GFSX;
  return true;
}

void fill_hours(int code, MOS_report *report) {
  if (code == MOS_MRF || code == MOS_GFSX) {
    for (int i = 0; i < 15; i++) report->hour[i] = 12 * i + 24;
    return;
  }
  for (int i = 0; i < 19; i++) report->hour[i] = 3 * i + 6;
  if (code == MOS_AVN || code == MOS_GFS) {
    report->hour[19] = 66;
    report->hour[20] = 72;
  }
}

// The first blank-delimited word of `line`, at most 4 characters.
void copy_identifier(const char *line, char *id) {
  while (*line == ' ') line++;
  int n = 0;
  while (line[n] && line[n] != ' ' && n < 4) {
    id[n] = line[n];
    n++;
  }
  id[n] = '\0';
}

bool starts_with(const char *text, const char *label, int n) { return strncmp(text, label, n) == 0; }

// Scans one column of a row at character `at` into slot `slot`.
void scan_column(parse_param *p, const Row &row, int code, int at, int slot, MOS_report *r) {
  if (slot < 0 || slot >= MOS_SLOTS) return;
  scanp_off(p, at);
  int32_t &v1 = (r->*row.f1)[slot];
  switch (row.kind) {
    case Kind::Int:
      scanp(p, row.fmt, &v1);
      if (row.miss1 != kNone && v1 == row.miss1) v1 = QEL_MISS;
      break;
    case Kind::WindDir:
      scanp(p, row.fmt, &v1);
      if (v1 >= 99)
        v1 = QEL_MISS;
      else if (v1 != QEL_MISS)
        v1 *= 10;
      break;
    case Kind::Pair: {
      int32_t &v2 = (r->*row.f2)[slot];
      scanp(p, row.fmt, &v1, &v2);
      if (row.miss1 != kNone && v1 == row.miss1) v1 = QEL_MISS;
      if (row.miss2 != kNone && v2 == row.miss2) v2 = QEL_MISS;
      break;
    }
    case Kind::Cloud:
    case Kind::Obstruction:
    case Kind::PrecipType: {
      char text[50] = "";
      if (scanp(p, row.fmt, text) < 1) break;  // beyond the end of the line: stays missing
      int pick = row.kind == Kind::Cloud ? 1 : row.kind == Kind::Obstruction ? 2 : 0;
      if (static_cast<int>(strlen(text)) <= pick) break;
      char c = text[pick];
      if (row.kind == Kind::Cloud) {
        bool twelve_hourly = code == MOS_MRF || code == MOS_GFSX;
        if (!twelve_hourly && c == 'X') c = ' ';
        if (twelve_hourly && c == 'P') c = 'S';
      }
      v1 = c;
      break;
    }
  }
}

void scan_row(const char *text, const Row &row, int code, MOS_report *r) {
  parse_param p;
  scanp_set(&p, text);
  for (int i = 0; i < row.grid.count; i++)
    scan_column(&p, row, code, row.grid.first + row.grid.step * i, row.grid.slot0 + row.grid.slot_step * i, r);
  for (int e = 0; e < row.n_extra; e++) scan_column(&p, row, code, row.extra[e].at, row.extra[e].slot, r);
}

bool matches(const char *text, const Row &row) {
  return starts_with(text, row.label, row.cmp) || (row.alt && starts_with(text, row.alt, row.cmp));
}

// Reads one row line into the report; true when it was the row that ends
// the block. Copies taken from web pages put one blank before every line:
// such a row is read with every column one character to the right.
bool read_row(const char *line, const Family &f, int code, MOS_report *r) {
  bool ends = false;
  for (int pass = 0; pass < 2; pass++) {
    const char *text = line + pass;
    if (pass == 1 && !(line[0] == ' ' && line[1] != ' ' && line[1] != '\0')) break;
    bool any = false;
    for (int i = 0; i < f.n_rows; i++) {
      const Row &row = f.rows[i];
      if (!row_applies(code, f.rows, i) || !matches(text, row)) continue;
      scan_row(text, row, code, r);
      any = true;
      if (row.ends_block) ends = true;
    }
    if (any) break;
  }
  return ends;
}

}  // namespace

int MOS_read(int ind, MOS_report *report, int type, int *statnum) {
  if (!report || !statnum) return -1;
  MOS_initialize(report);
  int code = FLAG_get(4);
  Family f;
  if (!family_of(code, &f)) return -1;
  report->num = f.slots;
  report->model = code;

  char line[129] = "";
  int n = 0;

  if (*statnum == 0) PAR_rewind(ind);

  if (*statnum == last_num) {
    // The block located last: go back to its heading.
    PAR_seek(ind, last_pos);
    if (PAR_read(ind, 0, 2, line) == -1) return -1;
    n = 3;
  } else {
    int status = PAR_get_status(ind);
    if (*statnum == 0 || (status & 4))
      if (PAR_search(ind, f.pattern) == -1) return -1;
    while (!strstr(line, f.marker)) {
      if (PAR_read(ind, 0, n++, line) == -1) return -1;
      if (PAR_get_status(ind) & 4)
        if (PAR_search(ind, f.pattern) == -1) return -1;
    }
    last_pos = PAR_get_pos(ind);
  }

  last_num = *statnum;
  MESS_print(M_DEBUGA, "ID: %s\n", line);
  copy_identifier(line, report->id);
  fill_hours(code, report);

  while (PAR_read(ind, 0, n++, line) > 0) {
    if (type != MOS_READ_FULL) continue;
    if (read_row(line, f, code, report)) return 0;
  }
  return 0;
}

namespace {
bool run_known = false;  // whether `block_run` holds the located block's run
Date block_run{};
}  // namespace

int MOS_get_run(Date *run) {
  if (!run_known || !run) return 0;
  *run = block_run;
  return 1;
}

int MOS_set_run(const Date *run) {
  run_known = false;
  if (!run) return 0;
  // Only the year, month, day and hour count; the rest is made from them.
  Date d = *run;
  d.min = d.sec = 0;
  if (d.year < 1900 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31 || d.hour < 0 || d.hour > 23)
    return 0;
  int64_t secs = DATE_num_sec(&d);
  if (DATE_get_gmdate(&secs, &block_run) != 0) return 0;
  run_known = true;
  return 0;
}
