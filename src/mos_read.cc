// mos_read.cc: the station MOS bulletin reader (NGM, ETA, NAM, AVN, GFS, MRF,
// GFSX) and the run of the block located last, which every reader records
// (the upper-air and extended-range readers are in mos_read_upper.cc).
//
// A bulletin file holds products; a MOS product holds one block per
// station, from its heading line (which carries the family's marker, e.g.
// "GFS MOS") to a blank line. Each row of a block starts with a label and
// carries values at fixed columns, described per family by the row tables
// below. The reader keeps, for the whole process, the number of the block
// located last and the position of its heading, so that a second call for
// the same number (type 26) goes straight back to that block and reads it.

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "qelmos.h"

namespace {

// Reader state shared by every call of the process.
struct StationState {
  int last_num = -1;            // station number of the block located last
  long last_pos = 0;            // position of that block's heading line
  bool headless = false;        // the file has no product heading of the family
  MOS_report scratch;           // rows scanned only to recognise them
  bool scanner_traced = false;  // the scanner's traces are shown: every field goes through it
};
StationState st;

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
constexpr Grid kTwelveHourDays = {4, 4, 15, 0, 1};

// One row of the table per line, wider than the formatter would leave it.
// clang-format off
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
// clang-format on

// ETA, NAM, AVN and GFS. Every row stands on one grid of three-character
// fields, 4-6, 7-9, ... (slot k at 4 + 3k; 19 slots for ETA, 21 for the
// others), and each row is read field by field: a field that holds a value
// gives the value of its slot, a blank field leaves the slot missing. The
// twelve-hour rows do not sit on the same fields in every run (06Z and 18Z
// runs move some of them by two slots, and not always the same ones), so no
// fixed column list would do. A thunderstorm pair ("25/ 7") is found by its
// slash: a "/" at 4 + 3k ends with its second number the field of slot k.
// "TYP " letters are the last character of their field. "SNW" is read for
// ETA, NAM, GFS and ECS only (AVN bulletins use that row otherwise).
constexpr Grid kFields = {0, 0, 0, 0, 0};  // the family's field grid
// One row of the table per line, wider than the formatter would leave it.
// clang-format off
const Row kGridRows[] = {
    {"X/N", "N/X", 3, Kind::Int, "%<3D", &MOS_report::ext_t, nullptr, 999, kNone, kFields, {}, 0, false},
    {"TMP ", nullptr, 4, Kind::Int, "%<3D", &MOS_report::t, nullptr, 999, kNone, kFields, {}, 0, false},
    {"DPT ", nullptr, 4, Kind::Int, "%<3D", &MOS_report::td, nullptr, 999, kNone, kFields, {}, 0, false},
    {"CLD ", nullptr, 4, Kind::Cloud, "%<3S", &MOS_report::cover, nullptr, kNone, kNone, kFields, {}, 0, false},
    {"WDR ", nullptr, 4, Kind::WindDir, "%<3D", &MOS_report::w_dir, nullptr, kNone, kNone, kFields, {}, 0, false},
    {"WSP ", nullptr, 4, Kind::Int, "%<3D", &MOS_report::w_spd, nullptr, 99, kNone, kFields, {}, 0, false},
    {"P06 ", nullptr, 4, Kind::Int, "%<3!   !D", &MOS_report::pop6, nullptr, 999, kNone, kFields, {}, 0, false},
    {"P12 ", nullptr, 4, Kind::Int, "%<3!   !D", &MOS_report::pop12, nullptr, 999, kNone, kFields, {}, 0, false},
    {"Q06", nullptr, 3, Kind::Int, "%<3!   !D", &MOS_report::qpf6, nullptr, 999, kNone, kFields, {}, 0, false},
    {"Q12", nullptr, 3, Kind::Int, "%<3!   !D", &MOS_report::qpf12, nullptr, 999, kNone, kFields, {}, 0, false},
    {"T06", nullptr, 3, Kind::Pair, "%<3D/%<2D", &MOS_report::pot6, &MOS_report::post6, 999, 99, kFields, {}, 0, false},
    {"T12", nullptr, 3, Kind::Pair, "%<3D/%<2D", &MOS_report::pot12, &MOS_report::post12, 999, 99, kFields, {}, 0, false},
    {"TYP ", nullptr, 4, Kind::PrecipType, "%<1S", &MOS_report::ptype, nullptr, kNone, kNone, kFields, {}, 0, false},
    {"SNW", nullptr, 3, Kind::Int, "%<3D", &MOS_report::qsf12, nullptr, kNone, kNone, kFields, {}, 0, false},
    {"CIG", nullptr, 3, Kind::Int, "%<3D", &MOS_report::hght, nullptr, 9, kNone, kFields, {}, 0, false},
    {"VIS", nullptr, 3, Kind::Int, "%<3D", &MOS_report::vis, nullptr, 9, kNone, kFields, {}, 0, false},
    {"OBV ", nullptr, 4, Kind::Obstruction, "%<3S", &MOS_report::obvis, nullptr, kNone, kNone, kFields, {}, 0, true},
};
// clang-format on
constexpr int kGridSnowRow = 13;  // index of "SNW" in kGridRows

// MRF and GFSX: 15 twelve-hourly columns; the block ends at its blank
// line. 12Z runs label the temperature row "N/X". The GFSX "SNW" row holds
// 24-hour snowfall at 14 + 8i in 00Z runs and at 18 + 8i in 12Z runs (the
// other places are blank or "|"), so both grids are read.
// One row of the table per line, wider than the formatter would leave it.
// clang-format off
const Row kMrfRows[] = {
    {"X/N", "N/X", 3, Kind::Int, "%<3D", &MOS_report::ext_t, nullptr, 999, kNone, kTwelveHourDays, {}, 0, false},
    {"TMP ", nullptr, 4, Kind::Int, "%<3D", &MOS_report::t, nullptr, 999, kNone, kTwelveHourDays, {}, 0, false},
    {"DPT ", nullptr, 4, Kind::Int, "%<3D", &MOS_report::td, nullptr, 999, kNone, kTwelveHourDays, {}, 0, false},
    {"CLD ", nullptr, 4, Kind::Cloud, "%<3S", &MOS_report::cover, nullptr, kNone, kNone, kTwelveHourDays, {}, 0, false},
    {"WND ", nullptr, 4, Kind::Int, "%<2D", &MOS_report::w_spd, nullptr, 99, kNone, {5, 4, 15, 0, 1}, {}, 0, false},
    {"P12 ", nullptr, 4, Kind::Int, "%<3!   !D", &MOS_report::pop12, nullptr, 999, kNone, kTwelveHourDays, {}, 0, false},
    {"Q12", nullptr, 3, Kind::Int, "%<3!   !D", &MOS_report::qpf12, nullptr, 999, kNone, kTwelveHourDays, {}, 0, false},
    {"TYP ", nullptr, 4, Kind::PrecipType, "%<3S", &MOS_report::ptype, nullptr, kNone, kNone, kTwelveHourDays, {}, 0, false},
    {"T12", nullptr, 3, Kind::Int, "%<3D", &MOS_report::pot12, nullptr, 999, kNone, kTwelveHourDays, {}, 0, false},
    {"SNW", nullptr, 3, Kind::Int, "%1D", &MOS_report::qsf12, nullptr, kNone, kNone, {14, 8, 4, 2, 2}, {}, 0, false},
    {"SNW", nullptr, 3, Kind::Int, "%1D", &MOS_report::qsf12, nullptr, kNone, kNone, {18, 8, 4, 3, 2}, {}, 0, false},
};
// clang-format on
constexpr int kMrfSnowRows = 9;  // first "SNW" row in kMrfRows: GFSX only

struct Family {
  const char *pattern;
  const char *marker;
  int slots;
  const Row *rows;
  int n_rows;
  bool on_fields;  // rows are read field by field on the three-character grid
};

template <int N>
constexpr int count_of(const Row (&)[N]) {
  return N;
}

// The family of a model code, or false for a code this reader does not know.
bool family_of(int code, Family *f) {
  constexpr const char *kGfsPattern = "(FOPA21|FOUS2[123456]|FOAK3[789])";
  constexpr const char *kExtendedPattern = "(FEPA20|FEUS2[123456]|FEAK3[789])";
  switch (code) {
    case MOS_NGM: *f = {"(FOUS14|FOAK2[56789])", "NGM MOS", 19, kNgmRows, count_of(kNgmRows), false}; return true;
    case MOS_ETA: *f = {"(FOUS4[456789])", "ETA MOS", 19, kGridRows, count_of(kGridRows), true}; return true;
    case MOS_NAM:
      *f = {"(FOUS4[456789]|FOPA4[0123456789])", "NAM MOS", 21, kGridRows, count_of(kGridRows), true};
      return true;
    case MOS_AVN: *f = {kGfsPattern, "AVN MOS", 21, kGridRows, count_of(kGridRows), true}; return true;
    case MOS_GFS: *f = {kGfsPattern, "GFS MOS", 21, kGridRows, count_of(kGridRows), true}; return true;
    // ECMWF MOS has the GFS MAV layout (only FOUS34 has been seen).
    case MOS_ECS: *f = {"(FOUS3[0123456789])", "ECM MOS", 21, kGridRows, count_of(kGridRows), true}; return true;
    case MOS_MRF: *f = {kExtendedPattern, "MRF MOS", 15, kMrfRows, count_of(kMrfRows), false}; return true;
    case MOS_GFSX: *f = {kExtendedPattern, "GFSX MOS", 15, kMrfRows, count_of(kMrfRows), false}; return true;
    default: return false;
  }
}

// Whether row `index` of the family of `code` is read at all.
bool row_applies(int code, const Row *rows, int index) {
  if (rows == kGridRows && index == kGridSnowRow) return code != MOS_AVN;
  if (rows == kMrfRows && index >= kMrfSnowRows) return code == MOS_GFSX;
  return true;
}

void fill_hours(int code, MOS_report *report) {
  if (code == MOS_MRF || code == MOS_GFSX) {
    for (int i = 0; i < 15; i++) report->hour[i] = 12 * i + 24;
    return;
  }
  for (int i = 0; i < 19; i++) report->hour[i] = 3 * i + 6;
  if (code == MOS_AVN || code == MOS_GFS || code == MOS_ECS || code == MOS_NAM) {
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

// The missing code and the conversion of a number row, on a value read.
void finish_number(const Row &row, int32_t *v) {
  if (row.kind == Kind::WindDir) {
    if (*v >= 99)
      *v = QEL_MISS;
    else if (*v != QEL_MISS)
      *v *= 10;
  } else if (row.miss1 != kNone && *v == row.miss1) {
    *v = QEL_MISS;
  }
}

// Reads the number of the three characters of text from `at` (of `len`)
// exactly as "%<3D" does: blanks, an optional minus, digits and blanks
// within the three. False when no digit came (the slot keeps its value).
// A field that is not all blanks never equals the missing text "   ", so
// "%<3!   !D" reads it the same way. The rows of every 3-hourly report
// pass through here, so they skip the general scanner (which is still
// used when its traces are to be shown).
bool field_number(const char *text, int len, int at, int32_t *v) {
  if (at + 3 <= len) {
    // The common forms first: "  7", " 42", "100".
    char a = text[at], b = text[at + 1], c = text[at + 2];
    if (is_digit_char(c) && (is_digit_char(b) ? a == ' ' || is_digit_char(a) : b == ' ' && a == ' ')) {
      *v = (is_digit_char(a) ? (a - '0') * 100 : 0) + (is_digit_char(b) ? (b - '0') * 10 : 0) + (c - '0');
      return true;
    }
  }
  int end = at + 3 < len ? at + 3 : len;
  int i = at;
  while (i < end && is_space_char(text[i])) i++;
  bool negative = i < end && text[i] == '-';
  if (negative) i++;
  int digits = 0, value = 0;
  for (; i < end && is_digit_char(text[i]); i++, digits++) value = value * 10 + (text[i] - '0');
  if (digits == 0) return false;
  *v = negative ? -value : value;
  return true;
}

// Stores the letter a character row takes from the n characters read of
// its field: the second for clouds, the third for obstructions, the first
// for precipitation types.
void store_letters(const Row &row, int code, const char *text, int n, int32_t *v) {
  int pick = row.kind == Kind::Cloud ? 1 : row.kind == Kind::Obstruction ? 2 : 0;
  if (n <= pick) return;
  char c = text[pick];
  // Today's bulletins write two-letter obstructions (" FG", " BR"):
  // both letters are kept. The NGM writes one letter.
  if (row.kind == Kind::Obstruction && code != MOS_NGM && is_letter_char(text[1]) && is_letter_char(text[2])) {
    *v = MOS_code2(text[1], text[2]);
    return;
  }
  if (row.kind == Kind::Cloud) {
    bool twelve_hourly = code == MOS_MRF || code == MOS_GFSX;
    if (!twelve_hourly && c == 'X') c = ' ';
    if (twelve_hourly && c == 'P') c = 'S';
  }
  *v = c;
}

// A number written right-aligned in the n characters from `at` (blanks, an
// optional minus, digits, blanks), or false for anything else.
bool clean_number(const char *text, int len, int at, int n, int32_t *v) {
  if (at + n > len) return false;
  int i = at, end = at + n;
  while (i < end && text[i] == ' ') i++;
  bool negative = i < end && text[i] == '-';
  if (negative) i++;
  int digits = 0, value = 0;
  for (; i < end && is_digit_char(text[i]); i++, digits++) value = value * 10 + (text[i] - '0');
  while (i < end && text[i] == ' ') i++;
  if (digits == 0 || i != end) return false;
  *v = negative ? -value : value;
  return true;
}

// Scans one column of a row at character `at` into slot `slot`.
void scan_column(parse_param *p, const Row &row, int code, int at, int slot, MOS_report *r) {
  if (slot < 0 || slot >= MOS_SLOTS) return;
  scanp_off(p, at);
  int32_t &v1 = (r->*row.f1)[slot];
  switch (row.kind) {
    case Kind::Int:
    case Kind::WindDir:
      scanp(p, row.fmt, &v1);
      finish_number(row, &v1);
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
      store_letters(row, code, text, static_cast<int>(strlen(text)), &v1);
      break;
    }
  }
}

// Whether the three characters of text from `at` (of `len`) are all blanks
// or lie beyond the end of the text.
bool blank_field(const char *text, int len, int at) {
  if (at + 3 <= len) return text[at] == ' ' && text[at + 1] == ' ' && text[at + 2] == ' ';
  for (int c = at; c < len; c++)
    if (text[c] != ' ') return false;
  return true;
}

// Reads a row field by field on the grid of `slots` three-character fields.
void scan_fields(const char *text, const Row &row, int code, int slots, MOS_report *r) {
  parse_param p;
  scanp_set(&p, text);
  int len = static_cast<int>(strlen(text));
  // The rows of every 3-hourly report pass through here, so plain fields
  // are read directly, as the scanner would read them ("%<3D", "%<3!   !D",
  // "%<3D/%<2D" of clean numbers, "%<3S", "%<1S"); the scanner takes any
  // other field, and every field when its traces are to be shown.
  for (int k = 0; k < slots; k++) {
    int field = 4 + 3 * k;
    int32_t *v = &(r->*row.f1)[k];
    switch (row.kind) {
      case Kind::Pair: {
        if (field >= len || text[field] != '/') break;
        int32_t a, b;
        if (!st.scanner_traced && clean_number(text, len, field - 3, 3, &a) &&
            clean_number(text, len, field + 1, 2, &b)) {
          *v = row.miss1 != kNone && a == row.miss1 ? QEL_MISS : a;
          (r->*row.f2)[k] = row.miss2 != kNone && b == row.miss2 ? QEL_MISS : b;
        } else {
          scan_column(&p, row, code, field - 3, k, r);
        }
        break;
      }
      case Kind::PrecipType:
        if (field + 2 >= len || text[field + 2] == ' ') break;
        if (st.scanner_traced)
          scan_column(&p, row, code, field + 2, k, r);
        else
          store_letters(row, code, text + field + 2, 1, v);
        break;
      case Kind::Cloud:
      case Kind::Obstruction:
        if (blank_field(text, len, field)) break;
        if (st.scanner_traced)
          scan_column(&p, row, code, field, k, r);
        else
          store_letters(row, code, text + field, len - field < 3 ? len - field : 3, v);
        break;
      case Kind::Int:
      case Kind::WindDir:
        if (blank_field(text, len, field)) break;
        if (st.scanner_traced)
          scan_column(&p, row, code, field, k, r);
        else if (field_number(text, len, field, v))
          finish_number(row, v);
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
  if (text[0] != row.label[0] && (!row.alt || text[0] != row.alt[0])) return false;  // most lines differ at once
  return starts_with(text, row.label, row.cmp) || (row.alt && starts_with(text, row.alt, row.cmp));
}

// Whether a line is one of the lines that head a block's rows: the dates
// and hours of its columns ("DT /JAN  1", "HR   06 09", "FHR  24", NGM's
// "DAY /MAR" and "HOUR"), written as the feed writes them or with the one
// blank of a web copy in front.
bool is_layout_line(const char *line) {
  if (line[0] == ' ' && line[1] != ' ') line++;
  for (const char *label : {"DT ", "HR ", "FHR ", "DAY ", "HOUR "})
    if (starts_with(line, label, static_cast<int>(strlen(label)))) return true;
  return false;
}

// Reads one row line into the report; true when it was the row that ends
// the block. Copies taken from web pages put one blank before every line:
// such a row is read with every column one character to the right. *known
// tells whether the line is a row or a layout line of the family at all.
bool read_row(const char *line, const Family &f, int code, MOS_report *r, bool *known) {
  bool ends = false;
  bool any = false;
  for (int pass = 0; pass < 2; pass++) {
    const char *text = line + pass;
    if (pass == 1 && !(line[0] == ' ' && line[1] != ' ' && line[1] != '\0')) break;
    for (int i = 0; i < f.n_rows; i++) {
      const Row &row = f.rows[i];
      if (!matches(text, row)) continue;
      any = true;
      if (!row_applies(code, f.rows, i)) continue;
      if (f.on_fields)
        scan_fields(text, row, code, f.slots, r);
      else
        scan_row(text, row, code, r);
      if (row.ends_block) ends = true;
    }
    if (any) break;
  }
  if (known) *known = any || is_layout_line(line);
  return ends;
}

}  // namespace

namespace {

// A station heading names its run after the marker: "1/01/2014  0000 UTC"
// (NGM: "3/06/91  0000 UTC", two-digit years below 50 are 20xx). Records it,
// or that the heading gives none.
void record_run(const char *line, const char *marker) {
  const char *p = strstr(line, marker);
  if (!p) {
    MOS_set_run(nullptr);
    return;
  }
  p += strlen(marker);  // the text before is never a digit: p[-1] is safe
  int month = 0, day = 0, year = 0, hhmm = 0, used = 0;
  for (; *p; p++) {
    if (!is_digit_char(*p) || is_digit_char(p[-1])) continue;
    if (sscanf(p, "%2d/%2d/%4d %4d UTC%n", &month, &day, &year, &hhmm, &used) == 4 && used > 0) {
      if (year < 50)
        year += 2000;
      else if (year < 100)
        year += 1900;
      Date run = {year, month, day, QEL_MISS, QEL_MISS, hhmm / 100, 0, 0};
      if (hhmm % 100 == 0) {
        MOS_set_run(&run);
        return;
      }
    }
    break;
  }
  MOS_set_run(nullptr);
}

// Finds the next block heading of the family from where reading stands
// (from the start of the file for block 0): the products whose heading
// matches the family's pattern are walked, or, in a file without
// headings, every line. Leaves the heading in `line` (129 bytes).
bool locate(int ind, const Family &f, int statnum, char *line, int *n) {
  if (!st.headless && (statnum == 0 || (PAR_get_status(ind) & PAR_END_PRODUCT)))
    if (PAR_search(ind, f.pattern) == -1) return false;
  while (!strstr(line, f.marker)) {
    if (PAR_read(ind, 0, (*n)++, line) == -1) return false;
    if ((PAR_get_status(ind) & PAR_END_PRODUCT) && !st.headless)
      if (PAR_search(ind, f.pattern) == -1) return false;
  }
  return true;
}

}  // namespace

int MOS_read(int ind, MOS_report *report, int type, int *statnum) {
  if (!report || !statnum) return -1;
  MOS_initialize(report);
  int code = FLAG_get(FLAG_MODEL);
  Family f;
  if (!family_of(code, &f)) return -1;
  report->num = f.slots;
  report->model = code;
  st.scanner_traced = MESS_check(M_DEBUGD) != 0;

  char line[129] = "";
  int n = 0;

  if (*statnum == 0) PAR_rewind(ind);

  if (*statnum == st.last_num) {
    // The block located last: go back to its heading.
    PAR_seek(ind, st.last_pos);
    if (PAR_read(ind, 0, 2, line) == -1) return -1;
    n = 3;
  } else {
    if (*statnum == 0) st.headless = false;
    if (!locate(ind, f, *statnum, line, &n)) {
      if (*statnum != 0 || st.headless) return -1;
      // No block of the family in any of its products: the file may hold
      // blocks without a heading (saved from a web page, the output of
      // grep). It is read again as one product.
      PAR_rewind(ind);
      st.headless = true;
      line[0] = '\0';
      n = 0;
      if (!locate(ind, f, *statnum, line, &n)) return -1;
    }
    MOS_set_product(st.headless ? "" : PAR_get_product(ind));
    st.last_pos = PAR_get_pos(ind);
  }

  st.last_num = *statnum;
  MESS_print(M_DEBUGA, "ID: %s\n", line);
  copy_identifier(line, report->id);
  fill_hours(code, report);
  record_run(line, f.marker);

  // Rows, up to the blank line that ends the block. Some archives write
  // every line of a product followed by an empty line: a block whose
  // heading is followed by a blank and then by a line of the block is read
  // as double-spaced, where single blanks separate its lines and two in a
  // row end it.
  bool spaced = false;
  bool after_blank = false;
  bool first = true;
  for (;;) {
    int got = PAR_read(ind, 0, n++, line);
    if (got > 0) {
      after_blank = false;
      bool check = first && spaced;
      first = false;
      if (type != MOS_READ_FULL && !check) continue;
      bool known = false;
      bool ends = read_row(line, f, code, type == MOS_READ_FULL ? report : &st.scratch, check ? &known : nullptr);
      if (check && !known) {
        // Not the block's rows after all: leave the line to the next call.
        PAR_seek(ind, PAR_get_pos(ind));
        return 0;
      }
      if (ends && type == MOS_READ_FULL) return 0;
      continue;
    }
    if (got < 0 || PAR_get_status(ind) != PAR_END_BLANK) return 0;
    if (first) {
      if (spaced) return 0;
      spaced = true;  // a blank right after the heading: look at the next line
      continue;
    }
    if (!spaced || after_blank) return 0;
    after_blank = true;
  }
}

namespace {

// What every reader records of the block or product it located last.
struct Located {
  char product[81] = "";   // heading of its product
  bool run_known = false;  // whether `run` holds its run
  Date run{};
};
Located located;

}  // namespace

int MOS_get_run(Date *run) {
  if (!located.run_known || !run) return 0;
  *run = located.run;
  return 1;
}

int MOS_set_product(const char *heading) {
  str_copy(located.product, heading ? heading : "", sizeof located.product);
  return 0;
}

const char *MOS_get_product() { return located.product; }

int MOS_set_run(const Date *run) {
  located.run_known = false;
  if (!run) return 0;
  // Only the year, month, day and hour count; the rest is made from them.
  Date d = *run;
  d.min = d.sec = 0;
  if (d.year < 1900 || d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31 || d.hour < 0 || d.hour > 23) return 0;
  int64_t secs = DATE_num_sec(&d);
  if (DATE_get_gmdate(&secs, &located.run) != 0) return 0;
  located.run.min = located.run.sec = QEL_MISS;  // a run names its hour: labels read "00Z"
  located.run_known = true;
  return 0;
}
