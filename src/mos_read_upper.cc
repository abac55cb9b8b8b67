// mos_read_upper.cc: the upper-air (FOUS) and extended-range bulletin
// readers, the second half of the MOS reader module.
//
// An upper-air product carries two stations side by side on every line (the
// even station from character 0, the odd one from character 36): an
// identifier line, then one row per 6 forecast hours, each row line starting
// with its two-digit hour. An extended-range product holds one block per
// station: an identifier line, then labelled rows of "|"-separated values,
// up to a blank line. Each reader keeps, for the whole process, the number
// of the station located last and the position of its first line (for the
// upper-air reader also where the next pair starts when the rows of a pair
// ran into it), and the run that its current product gives.

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "qelmos.h"

namespace {

// The run (initial date and hour) a product names, when it names one.
struct Run {
  bool known = false;
  Date date{};
};

// What each reader keeps of the station located last and of the product
// being read.
struct Place {
  int num = -1;                   // station number located last
  long pos = 0;                   // position of that station's first line
  Run product;                    // run of the product being read
  Run located;                    // run of the product of the station located last
  char heading[81] = "";          // heading line of the product being read
  char located_heading[81] = "";  // and of the station located last

  // A new product begins at its heading line; its run is unknown until
  // its lines name it.
  void begin_product(const char *line) {
    product = {};
    str_copy(heading, line, sizeof heading);
  }
  // The station whose first line was just read belongs to the product being read.
  void locate(int ind) {
    pos = PAR_get_pos(ind);
    located = product;
    str_copy(located_heading, heading, sizeof located_heading);
  }
  // Station `statnum` is the one located last; its run and heading are the readers' record.
  void settle(int statnum) {
    num = statnum;
    MOS_set_run(located.known ? &located.date : nullptr);
    MOS_set_product(located_heading);
  }
};

// Upper-air reader state.
struct UpperState : Place {
  long next_pos = -1;  // first line of the next pair, when the rows ran into it
};
UpperState upper;

// Extended-range reader state.
Place extended;

constexpr int kRightHalf = 36;  // column of the odd station of a pair
constexpr int kMaxRows = 13;    // rows of a MOSU_report

// Two-digit years of product lines: below 50 are 20xx, the others 19xx.
int full_year(int year) {
  if (year < 0) return -1;
  if (year < 50) return 2000 + year;
  if (year < 100) return 1900 + year;
  return year;
}

// Month number of a three-letter name ("OCT"), or 0.
int month_of(const char *name) {
  for (int m = 1; m <= 12; m++)
    if (stricmp(name, DATE_month(m)) == 0) return m;
  return 0;
}

Run make_run(int year, int month, int day, int hour) {
  Run run;
  if (month < 1 || day < 1 || day > 31 || hour < 0 || hour > 23 || year < 1900) return run;
  DATE_init(&run.date);
  run.date.year = year;
  run.date.month = month;
  run.date.day = day;
  run.date.hour = hour;
  run.known = true;
  return run;
}

// The run of an upper-air product line "OUTPUT FROM NAM 00Z OCT 05 26".
Run upper_run(const char *line) {
  char model[16], mon[4];
  int hour, day, year;
  if (sscanf(line, "OUTPUT FROM %15s %2dZ %3s %2d %4d", model, &hour, mon, &day, &year) != 5) return {};
  return make_run(full_year(year), month_of(mon), day, hour);
}

// The run of an extended-range title line "... 11/20/2025  1200 UTC".
Run extended_run(const char *line) {
  for (const char *p = line; *p; p++) {
    if (!is_digit_char(*p) || (p > line && is_digit_char(p[-1]))) continue;
    int month, day, year, hhmm, end = 0;
    if (sscanf(p, "%2d/%2d/%4d %4d UTC%n", &month, &day, &year, &hhmm, &end) == 4 && end > 0)
      return make_run(full_year(year), month, day, hhmm / 100);
  }
  return {};
}

bool starts_with(const char *text, const char *prefix) { return strncmp(text, prefix, strlen(prefix)) == 0; }

// The first blank-delimited word of `text`, at most `max` characters.
void copy_word(const char *text, char *id, int max) {
  while (*text == ' ') text++;
  int n = 0;
  while (text[n] && text[n] != ' ' && n < max) {
    id[n] = text[n];
    n++;
  }
  id[n] = '\0';
}

// The text of a line from character `c` on ("" when the line is shorter).
const char *from_column(const char *line, int c) {
  size_t len = strlen(line);
  return static_cast<size_t>(c) <= len ? line + c : line + len;
}

// A row line of a pair starts with its two-digit forecast hour.
bool is_row_line(const char *line) { return is_digit_char(line[0]) && is_digit_char(line[1]); }

bool is_row_of_hour(const char *line, int hour) {
  return is_row_line(line) && (line[0] - '0') * 10 + (line[1] - '0') == hour;
}

struct UpperFamily {
  const char *pattern;
  int rows;
};

UpperFamily upper_family(int code) {
  switch (code) {
    case MOS_NGM_UA: return {"FO[UC][ENMW][678]", 9};
    case MOS_ETA_UA:
    case MOS_ETA:
    case MOS_NAM:
    case MOS_NAM_UA: return {"FOUS[67]._KWNO", 11};
    default: return {"FOUS[67]._KW(BC|NO)", 9};
  }
}

// Searches the next upper-air product; its run is unknown until its
// product line is read.
bool search_upper(int ind, const char *pattern) {
  if (PAR_search(ind, pattern) == -1) return false;
  upper.begin_product(PAR_get_product(ind));
  return true;
}

// Reads up to the first line of the next pair into `line`: past blank
// lines, product ends (searching the next product), a product's own lines
// (its header when no end line came before it, its run line and column
// titles) and any rows the previous pair left.
bool locate_pair(int ind, const char *pattern, bool first, char *line, int *n) {
  *n = 2;  // never the product's header line again
  if (first && !search_upper(ind, pattern)) return false;
  bool have_line = false;
  if (!first && upper.next_pos >= 0) {
    // The rows of the previous pair ran into the line that follows them.
    PAR_seek(ind, upper.next_pos);
    have_line = PAR_read(ind, 0, (*n)++, line) > 0;
  }
  upper.next_pos = -1;
  for (;; have_line = false) {
    if (!have_line) {
      if ((PAR_get_status(ind) & PAR_END_PRODUCT) && !search_upper(ind, pattern)) return false;
      int got = PAR_read(ind, 0, (*n)++, line);
      if (got == -1) return false;
      if (got == 0) continue;  // a blank line, or the end of the product: the status tells
    }
    if (PAR_cmp(line, "", pattern) == 0) {
      upper.begin_product(line);  // the next product's header, with no end line before it
      continue;
    }
    if (starts_with(line, "OUTPUT FROM")) {
      upper.product = upper_run(line);
      continue;
    }
    if (starts_with(line, "TTPTT") || is_row_line(line)) continue;
    return true;
  }
}

// Rows 1 on: skip the hour, then precipitation, the three humidities,
// vertical velocity, lifted index, pressure, direction, speed, thickness
// and the three layer temperatures.
void scan_row(parse_param *p, MOSU_report *r, int row) {
  scanp(p, "%*2s%3d%2d%2d%2d %3d%2d %2d%2d%2d %2d%2d%2d%2d", &r->prec[row], &r->rh[row][1], &r->rh[row][2],
        &r->rh[row][3], &r->vert[row], &r->li[row], &r->psl[row], &r->dir[row], &r->spd[row], &r->hght[row],
        &r->t[row][1], &r->t[row][2], &r->t[row][3]);
}

// Row 0 on the identifier line: the identifier, two skipped characters,
// then the values of a row without the precipitation.
void scan_identifier_row(parse_param *p, MOSU_report *r) {
  scanp(p, "%3s%*2c%2d%2d%2d %3d%2d %2d%2d%2d %2d%2d%2d%2d", r->id, &r->rh[0][1], &r->rh[0][2], &r->rh[0][3],
        &r->vert[0], &r->li[0], &r->psl[0], &r->dir[0], &r->spd[0], &r->hght[0], &r->t[0][1], &r->t[0][2], &r->t[0][3]);
}

// Layer temperatures are written 51 to 99 for minus 49 to minus 1.
int layer_temperature(int raw) { return raw != QEL_MISS && raw >= 51 ? raw - 100 : raw; }

// Bulletin units to degrees, metres, hPa and signed lifted indices.
void decode_rows(MOSU_report *r, int rows) {
  for (int i = 0; i < rows; i++) {
    if (r->dir[i] != QEL_MISS) r->dir[i] *= 10;
    if (r->hght[i] != QEL_MISS) {
      // Thickness in tens of metres with its thousands left off: 4xxx m
      // when the lowest layer is colder than -10 C, else 5xxx m.
      int t1 = layer_temperature(r->t[i][1]);
      int h = r->hght[i] * 10;
      r->hght[i] = h + (t1 != QEL_MISS && t1 < -10 && h > 500 ? 4000 : 5000);
    }
    if (r->psl[i] != QEL_MISS) r->psl[i] += r->psl[i] > 50 ? 900 : 1000;
    if (r->li[i] != QEL_MISS && r->li[i] > 50) r->li[i] -= 100;
  }
}

}  // namespace

int MOSU_read(int ind, MOSU_report *report, int type, int *statnum) {
  if (!report || !statnum || *statnum < 0) return -1;
  MOSU_initialize(report);
  UpperFamily f = upper_family(FLAG_get(FLAG_MODEL));
  int half = *statnum % 2;
  int c = kRightHalf * half;

  if (*statnum == 0) {
    PAR_rewind(ind);
    upper.next_pos = -1;
  }

  char line[129] = "";
  int n = 0;
  if (*statnum == upper.num || half == 1) {
    // The station located last, or the odd station of the pair located
    // last: its lines are read again.
    PAR_seek(ind, upper.pos);
    if (PAR_read(ind, 0, 2, line) <= 0) return -1;
    n = 3;
  } else {
    if (!locate_pair(ind, f.pattern, *statnum == 0, line, &n)) return -1;
    upper.locate(ind);
  }
  upper.settle(*statnum);
  MESS_print(M_DEBUGA, "ID: %d %ld %s\n", PAR_get_status(ind), upper.pos, from_column(line, c));

  copy_word(from_column(line, c), report->id, 3);
  for (int r = 0; r < f.rows && r < kMaxRows; r++) report->hour[r] = 6 * r;

  // An identifier line that carries no values is followed by row 0.
  bool have_line = false;
  int row = 1;
  if (strlen(line) < 10 || line[9] == ' ') {
    int got = PAR_read(ind, 0, n++, line);
    if (got == -1) return -1;
    have_line = got > 0;
    row = have_line ? 0 : f.rows;
  } else if (type == MOS_READ_FULL) {
    parse_param p;
    scanp_set(&p, line);
    scanp_off(&p, c);
    scan_identifier_row(&p, report);
  }

  upper.next_pos = -1;
  for (; row < f.rows && row < kMaxRows; row++) {
    if (!have_line && PAR_read(ind, 0, n++, line) <= 0) break;
    have_line = false;
    if (!is_row_of_hour(line, 6 * row)) {
      // Not this station's next row: the first line of the next pair.
      upper.next_pos = PAR_get_pos(ind);
      break;
    }
    if (type != MOS_READ_FULL) continue;
    parse_param p;
    scanp_set(&p, line);
    scanp_off(&p, c);
    scan_row(&p, report, row);
  }
  decode_rows(report, f.rows < kMaxRows ? f.rows : kMaxRows);
  return 0;
}

// ---------------------------------------------------------------------------
// The extended-range reader

namespace {

// Where a row's values go: `n` pointers in the order the row lists them.
struct Targets {
  int32_t *at[17];
  int n = 0;
  void add(int32_t *p) { at[n++] = p; }
};

// Day 0's second half, then both halves of days 1 to 8.
Targets half_days(int32_t (&field)[9][2]) {
  Targets t;
  t.add(&field[0][1]);
  for (int d = 1; d <= 8; d++) {
    t.add(&field[d][0]);
    t.add(&field[d][1]);
  }
  return t;
}

// Day 0's maximum, the minimum and maximum of days 1 to 7, then the normals.
Targets extremes(MOSM_report *r) {
  Targets t;
  t.add(&r->max[0]);
  for (int d = 1; d <= 7; d++) {
    t.add(&r->min[d]);
    t.add(&r->max[d]);
  }
  t.add(&r->nmin[8]);
  t.add(&r->nmax[8]);
  return t;
}

Targets days_1_to_8(int32_t (&field)[9]) {
  Targets t;
  for (int d = 1; d <= 8; d++) t.add(&field[d]);
  return t;
}

constexpr int32_t kLargest = 999999;

// Splits `text` as sscanf would with `format` (blanks, literal characters
// and "%d" only), storing each number in turn until the text no longer
// fits. Bulletin values have at most three digits; longer numbers are
// clamped to six, so that the printed departures cannot overflow.
void split(const char *text, const char *format, const Targets &targets) {
  const char *s = text;
  int stored = 0;
  for (const char *f = format; *f && stored < targets.n; f++) {
    if (*f == ' ') {
      while (is_space_char(*s)) s++;
    } else if (f[0] == '%' && f[1] == 'd') {
      f++;
      while (is_space_char(*s)) s++;
      bool negative = *s == '-';
      if (*s == '-' || *s == '+') s++;
      if (!is_digit_char(*s)) return;
      int32_t v = 0;
      for (; is_digit_char(*s); s++) v = v > kLargest / 10 ? kLargest : v * 10 + (*s - '0');
      if (v > kLargest) v = kLargest;
      *targets.at[stored++] = negative ? -v : v;
    } else if (*s == *f) {
      s++;
    } else {
      return;
    }
  }
}

constexpr const char *kSeventeen = "%d| %d %d| %d %d| %d %d| %d %d| %d %d| %d %d| %d %d| %d %d";
constexpr const char *kEight = " | %d | %d | %d | %d | %d | %d | %d | %d";

// Reads one row line of a station into the report.
void read_extended_row(const char *line, MOSM_report *r) {
  struct Row {
    const char *label;
    int cmp, start;
  };
  static const Row kRows[] = {
      {"MN/MX", 5, 5}, {"X/N", 3, 4},  {"TMP", 3, 4},  {"DPT", 3, 4},  {"POP12", 5, 5}, {"P12", 3, 4},
      {"CPOS", 4, 5},  {"CLDS", 4, 5}, {"CLD ", 4, 4}, {"WIND", 4, 5}, {"POP24", 5, 5},
  };
  size_t len = strlen(line);
  for (const Row &row : kRows) {
    if (strncmp(line, row.label, row.cmp) != 0 || len < static_cast<size_t>(row.start)) continue;
    const char *text = line + row.start;
    const char *label = row.label;
    if (!strcmp(label, "MN/MX") || !strcmp(label, "X/N"))
      split(text, kSeventeen, extremes(r));
    else if (!strcmp(label, "TMP"))
      split(text, kSeventeen, half_days(r->t));
    else if (!strcmp(label, "DPT"))
      split(text, kSeventeen, half_days(r->td));
    else if (!strcmp(label, "POP12") || !strcmp(label, "P12"))
      split(text, kSeventeen, half_days(r->pop12));
    else if (!strcmp(label, "CPOS"))
      split(text, kSeventeen, half_days(r->pos12));
    else if (!strcmp(label, "CLDS") || !strcmp(label, "CLD "))
      split(text, kSeventeen, half_days(r->cover));
    else if (!strcmp(label, "WIND"))
      split(text, kSeventeen, half_days(r->w_spd));
    else if (!strcmp(label, "POP24"))
      split(text, kEight, days_1_to_8(r->pop24));
  }
}

// Values above 900 are the bulletin's missing codes; the normals of day 8
// hold for every day.
void finish_extended(MOSM_report *r) {
  auto clear = [](int32_t &v) {
    if (v > 900) v = QEL_MISS;
  };
  for (int d = 0; d < 9; d++) {
    for (int32_t *v : {&r->max[d], &r->nmax[d], &r->min[d], &r->nmin[d], &r->pop24[d]}) clear(*v);
    for (int h = 0; h < 2; h++)
      for (int32_t *v : {&r->cover[d][h], &r->w_spd[d][h], &r->pop12[d][h], &r->pos12[d][h]}) clear(*v);
  }
  for (int d = 0; d < 8; d++) {
    r->nmax[d] = r->nmax[8];
    r->nmin[d] = r->nmin[8];
  }
}

bool search_extended(int ind, const char *pattern) {
  if (PAR_search(ind, pattern) == -1) return false;
  extended.begin_product(PAR_get_product(ind));
  return true;
}

// Reads up to the first line of the next station into `line`: past blank
// lines, product ends (searching the next product), a product's header
// that only a blank line set apart, and the lines that follow a product's
// header (its title, which may name the run).
bool locate_station(int ind, const char *pattern, int skip, bool first, char *line, int *n) {
  *n = 2;  // never the product's header line again
  if (first && !search_extended(ind, pattern)) return false;
  int to_skip = 0;
  for (;;) {
    int status = PAR_get_status(ind);
    if ((status & PAR_END_PRODUCT) && !search_extended(ind, pattern)) return false;
    if (PAR_get_status(ind) & PAR_HEADER_FOUND) to_skip = skip;
    int got = PAR_read(ind, 0, (*n)++, line);
    if (got == -1) return false;
    if (got == 0) continue;
    if (PAR_cmp(line, "", pattern) == 0) {
      // The next product's header, after a blank line only.
      extended.begin_product(line);
      to_skip = skip;
      continue;
    }
    if (to_skip > 0) {
      Run run = extended_run(line);
      if (run.known) extended.product = run;
      to_skip--;
      continue;
    }
    return true;
  }
}

}  // namespace

int MOSM_read(int ind, MOSM_report *report, int type, int *statnum) {
  if (!report || !statnum || *statnum < 0) return -1;
  const char *pattern;
  int skip;
  switch (FLAG_get(FLAG_MODEL)) {
    case MOS_MRFX: pattern = "(FOX|FOUS20)", skip = 2; break;
    case MOS_MRF: pattern = "(FEPA21|FEUS2[123456]|FEAK3[789])", skip = 1; break;
    default: return -1;
  }
  MOSM_initialize(report);

  if (*statnum == 0) PAR_rewind(ind);

  char line[129] = "";
  int n = 0;
  if (*statnum == extended.num) {
    PAR_seek(ind, extended.pos);
    if (PAR_read(ind, 0, 2, line) <= 0) return -1;
    n = 3;
  } else {
    if (!locate_station(ind, pattern, skip, *statnum == 0, line, &n)) return -1;
    extended.locate(ind);
  }
  extended.settle(*statnum);
  MESS_print(M_DEBUGA, "ID: %d %s\n", PAR_get_status(ind), line);

  copy_word(line, report->id, 4);
  for (int d = 0; d < 8; d++) report->day[d] = d;

  while (PAR_read(ind, 0, n++, line) > 0)
    if (type == MOS_READ_FULL) read_extended_row(line, report);
  finish_extended(report);
  return 0;
}
