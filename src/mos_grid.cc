// mos_grid.cc: the reader of the fixed-grid products (NBM's NBH, NBS, NBE,
// NBX and NBP, GFS LAMP's LAV and LEV) and the decoding of their cells.
//
// A block starts at its station line ("KDSM    NBM V4.0 NBS GUIDANCE
// 4/07/2021  1200 UTC"), found wherever it stands: in a feed of messages
// with WMO headings, in a national file without them, in copies with every
// line stripped or with an empty line after every line. Its rows carry a
// label and fields of fixed width (3 or 4 characters), values right-aligned
// and free to touch their neighbours, so every field is sliced by column,
// never split on blanks. The columns are where the numbers of the block's
// time row end (FHR, else HR, else UTC), which holds in every product but
// for NBX's UTC row (one column to the left of the data).
//
// The reader keeps, for the whole process, the number of the block located
// last and the position of its station line, so that a second call for the
// same number (type 26) goes straight back to it.

#include <cstdio>
#include <cstring>

#include "mos_grid.h"

namespace {

constexpr int kLine = 129;                   // a line as the product reader delivers it
constexpr int kBlockLines = MOSG_ROWS + 16;  // rows, time rows and day lines of one block

struct GridState {
  int last_num = -1;               // number of the block located last
  long last_pos = 0;               // position of its station line
  char lines[kBlockLines][kLine];  // the lines of the block being read
  int unfinished = -1;             // the one of them that had no line end (the file's last), or -1
};
GridState st;

// A block line's label and where it starts: the feed writes labels in the
// first column, the national files one blank later.
struct Label {
  char text[6] = "";
  int at = 0;  // column of its first character
};

bool is_label_char(char c) { return is_upper_char(c) || is_digit_char(c) || c == '/'; }

// The label of a row line ("TMP", "X/N", "TXNP1", "DT", "HR"), or false for
// a line that is no row: a label is two to five label characters, the
// first a letter, after at most one blank, followed by a blank or the end.
bool row_label(const char *line, Label *l) {
  int at = line[0] == ' ' ? 1 : 0;
  if (!is_upper_char(line[at])) return false;
  int n = 0;
  while (n < 6 && is_label_char(line[at + n])) n++;
  if (n < 2 || n > 5 || (line[at + n] != ' ' && line[at + n] != '\0')) return false;
  memcpy(l->text, line + at, n);
  l->text[n] = '\0';
  l->at = at;
  return true;
}

// NBE, NBX and NBP name the days above their columns ("  WED 18| THU 19|"),
// which a stripped copy starts in the first column.
bool is_day_line(const char *line) {
  while (*line == ' ') line++;
  static const char *const kDays[] = {"MON ", "TUE ", "WED ", "THU ", "FRI ", "SAT ", "SUN "};
  for (const char *d : kDays)
    if (strncmp(line, d, 4) == 0 && (is_digit_char(line[4]) || line[4] == ' ')) return true;
  return false;
}

// The station line of product `p`: an identifier, the marker (after "NBM"
// and an optional version for the blend) and the run "m/dd/yyyy  hhmm UTC".
// Fills the identifier, version and run of `r` (run year QEL_MISS when the
// line gives none). False for a line that is no station line of `p`.
bool station_line(const GridProduct &p, const char *line, MOSG_report *r) {
  const char *at = strstr(line, p.marker);
  if (!at) return false;
  const char *id = line;
  while (*id == ' ') id++;
  int n = 0;
  while (id[n] && id[n] != ' ') n++;
  if (n == 0 || id + n > at) return false;
  if (!p.lamp) {
    const char *nbm = strstr(id + n, "NBM ");
    if (!nbm || nbm > at) return false;
    const char *v = nbm + 4;
    while (*v == ' ') v++;
    r->version[0] = '\0';
    if (*v == 'V' && is_digit_char(v[1])) {
      int k = 0;
      for (v++; k < 7 && (is_digit_char(v[k]) || v[k] == '.'); k++) r->version[k] = v[k];
      r->version[k] = '\0';
    }
  } else {
    r->version[0] = '\0';
  }
  if (n > 8) n = 8;
  memcpy(r->id, id, n);
  r->id[n] = '\0';

  DATE_init(&r->run);
  const char *d = at + strlen(p.marker);
  int month = 0, day = 0, year = 0, hhmm = 0, used = 0;
  while (*d == ' ') d++;
  if (sscanf(d, "%2d/%2d/%4d %4d UTC%n", &month, &day, &year, &hhmm, &used) == 4 && used > 0 && year >= 1900 &&
      month >= 1 && month <= 12 && day >= 1 && day <= 31 && hhmm / 100 < 24 && hhmm % 100 < 60) {
    Date run = {year, month, day, QEL_MISS, QEL_MISS, hhmm / 100, hhmm % 100, 0};
    int64_t secs = DATE_num_sec(&run);
    DATE_get_gmdate(&secs, &r->run);
  }
  return true;
}

// LAMP's hourly and extended products share their station line; the
// extended block names its columns with "DT" and "HR" rows.
bool lamp_extended_row(const char *line) {
  Label l;
  return row_label(line, &l) && (strcmp(l.text, "DT") == 0 || strcmp(l.text, "HR") == 0);
}

// Reads the lines of a block after its station line into st.lines, up to
// the blank line that ends it (double-spaced copies: single blanks part its
// lines, two end it), the end of the product or the next station line
// (left for the next call). Returns the number of lines kept.
int read_block(int ind) {
  char line[kLine];
  int count = 0;
  st.unfinished = -1;
  bool spaced = false, after_blank = false, first = true;
  for (int n = 1;; n++) {
    int got = PAR_read(ind, 0, n, line);
    if (got > 0) {
      if (strstr(line, "GUIDANCE")) {
        PAR_seek(ind, PAR_get_pos(ind));  // the next block's station line
        return count;
      }
      Label l;
      if (first && spaced && !row_label(line, &l) && !is_day_line(line)) {
        PAR_seek(ind, PAR_get_pos(ind));  // no row after the blank: not this block's
        return count;
      }
      first = after_blank = false;
      if (count < kBlockLines) {
        str_copy(st.lines[count++], line, kLine);
      } else {
        MESS_print(M_DEBUGA, "grid block: line dropped: %.20s\n", line);
      }
      continue;
    }
    if (got < 0 || PAR_get_status(ind) != PAR_END_BLANK) {
      // A last line without a line end is kept: only its fields that lie
      // whole within it are read (a value cut short never is).
      const char *rest = PAR_unfinished(ind);
      Label l;
      if (rest[0] && count < kBlockLines && row_label(rest, &l) && !strstr(rest, "GUIDANCE")) {
        st.unfinished = count;
        str_copy(st.lines[count++], rest, kLine);
      }
      return count;
    }
    if (first) {
      if (spaced) return count;
      spaced = true;
      continue;
    }
    if (!spaced || after_blank) return count;
    after_blank = true;
  }
}

// Finds the next station line of product `p` from where reading stands;
// leaves it in `line` and its fields in `r`, and the block's position in
// *pos. LAMP blocks are told apart by their next line, for which the block
// is read (*peeked: the number of its lines in st.lines, else -1).
bool locate(int ind, const GridProduct &p, char *line, MOSG_report *r, long *pos, int *peeked) {
  *peeked = -1;
  for (;;) {
    if (PAR_find(ind, p.marker, p.heading) < 0) return false;
    *pos = PAR_get_pos(ind);
    if (PAR_read(ind, 0, 0, line) <= 0) continue;
    if (!station_line(p, line, r)) continue;
    if (!p.lamp) return true;
    *peeked = read_block(ind);
    bool extended = *peeked > 0 && lamp_extended_row(st.lines[0]);
    if (extended == (p.code == MOS_LEV)) return true;
  }
}

// A number written right-aligned in a field, with blanks around it.
bool field_number(const char *f, int n, int32_t *v) {
  int i = 0;
  while (i < n && f[i] == ' ') i++;
  bool neg = i < n && f[i] == '-';
  if (neg) i++;
  int digits = 0;
  int32_t value = 0;
  for (; i < n && is_digit_char(f[i]); i++, digits++)
    if (digits < 6) value = value * 10 + (f[i] - '0');
  while (i < n && f[i] == ' ') i++;
  if (digits == 0 || i != n) return false;
  *v = neg ? -value : value;
  return true;
}

// A code of one to three letters with blanks around it ("NG", " BK", "  Y").
bool field_code(const char *f, int n, char *text) {
  int i = 0;
  while (i < n && f[i] == ' ') i++;
  int k = 0;
  for (; i < n && is_upper_char(f[i]); i++)
    if (k < 3) text[k++] = f[i];
  while (i < n && f[i] == ' ') i++;
  text[k] = '\0';
  return k > 0 && k <= 3 && i == n;
}

// Reads the field of `width` characters that ends at column `end` of
// `line` into `cell`. Blank (or beyond the line): missing. A "|" on its
// first character marks a new day and is no part of the value.
void read_cell(const char *line, int len, int end, int width, const GridElement *el, MOSG_cell *cell) {
  cell->num = QEL_MISS;
  cell->text[0] = '\0';
  int start = end - width + 1;
  // Values stand right-aligned: a field that the line ends within holds
  // blanks only (a copy that dropped trailing blanks) or a value cut short.
  if (start < 0 || end >= len) return;
  if (line[start] == '|') start++;
  const char *f = line + start;
  int n = end + 1 - start;
  if (n <= 0) return;
  int32_t v;
  if (field_number(f, n, &v)) {
    bool pressure = el && el->conv == GridConv::Pressure;
    if (v == -99 || (v == 999 && !pressure) || (v == 99 && el && el->miss99)) return;
    if (el && el->conv == GridConv::NbmCeiling && (v == -88 || v == 888)) {
      cell->num = MOSG_UNLIMITED;
      return;
    }
    cell->num = v;
    return;
  }
  if (field_code(f, n, cell->text)) return;
  cell->text[0] = '\0';
  bool blank = true;
  for (int i = 0; i < n; i++)
    if (f[i] != ' ') blank = false;
  if (!blank) MESS_print(M_DEBUGA, "grid field not read: '%.*s'\n", n, f);
}

// NBE's two climatology values after the last column of its max/min and
// P12 rows: right-aligned three-character fields at the end of the line
// ("| 59  48 63", V3.2 touching: "65999999").
void read_climate(const char *line, int len, int last_end, MOSG_row *row) {
  int end = len - 1;
  while (end > last_end && line[end] == ' ') end--;
  if (end <= last_end) return;
  row->n_climate = 2;
  for (int k = 1; k >= 0; k--, end -= 3) {
    int32_t v = QEL_MISS;
    if (end - 2 > last_end && field_number(line + end - 2, 3, &v) && (v == -99 || v == 999)) v = QEL_MISS;
    if (end - 2 <= last_end) v = QEL_MISS;
    row->climate[k] = v;
  }
}

// The columns of a block: where each field ends, in the coordinates of a
// line whose label starts at `at`.
struct Grid {
  int ends[MOSG_COLS];
  int n = 0;
  int at = 0;  // label column of the time row the ends were taken from
};

// The numbers of a time row and where each ends. Of a line without its
// line end (the file's last, maybe half written), a number that reaches
// the end may be cut short ("7" of "72"): it is left out.
int time_numbers(const char *line, int shift, int *ends, int32_t *values) {
  bool unfinished = st.unfinished >= 0 && line == st.lines[st.unfinished];
  int n = 0;
  Label l;
  row_label(line, &l);
  int len = static_cast<int>(strlen(line));
  for (int i = l.at + static_cast<int>(strlen(l.text)); i < len;) {
    if (!is_digit_char(line[i])) {
      i++;
      continue;
    }
    int32_t v = 0;
    int j = i;
    for (; j < len && is_digit_char(line[j]); j++)
      if (j - i < 6) v = v * 10 + (line[j] - '0');
    if (unfinished && j == len) break;
    if (n < MOSG_COLS) {
      ends[n] = j - 1 + shift;
      values[n] = v;
      n++;
    }
    i = j;
  }
  return n;
}

void clear_row(MOSG_row *row) {
  row->n_climate = 0;
  row->climate[0] = row->climate[1] = QEL_MISS;
  for (MOSG_cell &c : row->cell) {
    c.num = QEL_MISS;
    c.text[0] = '\0';
  }
}

// Reads the kept lines of a block into the report.
void read_rows(const GridProduct &p, int count, MOSG_report *r) {
  // The time rows first: they place the columns of every other row.
  const char *fhr = nullptr, *hr = nullptr, *utc = nullptr;
  for (int i = 0; i < count; i++) {
    Label l;
    if (!row_label(st.lines[i], &l)) continue;
    if (!fhr && strcmp(l.text, "FHR") == 0) fhr = st.lines[i];
    if (!hr && strcmp(l.text, "HR") == 0) hr = st.lines[i];
    if (!utc && strcmp(l.text, "UTC") == 0) utc = st.lines[i];
  }
  Grid g;
  int32_t values[MOSG_COLS];
  const char *time_row = fhr ? fhr : hr ? hr : utc;
  if (time_row) {
    g.n = time_numbers(time_row, time_row == utc ? p.utc_shift : 0, g.ends, values);
    Label l;
    row_label(time_row, &l);
    g.at = l.at;
    for (int k = 0; k < g.n; k++) r->hour[k] = time_row == utc ? QEL_MISS : values[k];
  }
  if (utc) {
    int ends[MOSG_COLS];
    int32_t hours[MOSG_COLS];
    int n = time_numbers(utc, p.utc_shift, ends, hours);
    // Each UTC hour belongs to the column whose field holds it.
    for (int k = 0; k < g.n; k++)
      for (int j = 0; j < n; j++)
        if (ends[j] - (utc[0] == ' ' ? 1 : 0) == g.ends[k] - g.at) r->utc[k] = hours[j] % 24;
  }
  if (g.n == 0) {
    // No time row: the product's own grid, as far as the longest row goes.
    MESS_print(M_DEBUGA, "grid block %s: no time row\n", r->id);
    int longest = 0;
    for (int i = 0; i < count; i++) {
      int len = static_cast<int>(strlen(st.lines[i])) - (st.lines[i][0] == ' ' ? 1 : 0);
      if (len > longest) longest = len;
    }
    for (int e = p.first_end; e < longest && g.n < MOSG_COLS; e += p.width) g.ends[g.n++] = e;
  }
  r->ncols = g.n;
  int extra_end = g.n > 0 && g.n < MOSG_COLS ? g.ends[g.n - 1] + p.width : -1;
  bool extra = false;

  for (int i = 0; i < count; i++) {
    const char *line = st.lines[i];
    Label l;
    if (!row_label(line, &l) || is_day_line(line)) continue;
    if (!strcmp(l.text, "FHR") || !strcmp(l.text, "HR") || !strcmp(l.text, "UTC") || !strcmp(l.text, "DT")) continue;
    if (grid_row(*r, l.text)) {
      MESS_print(M_DEBUGA, "grid block %s: row %s again, the first kept\n", r->id, l.text);
      continue;
    }
    if (r->nrows >= MOSG_ROWS) {
      MESS_print(M_DEBUGA, "grid block %s: row %s dropped\n", r->id, l.text);
      continue;
    }
    MOSG_row &row = r->rows[r->nrows++];
    str_copy(row.label, l.text, sizeof row.label);
    int stat = 0;
    row.element = static_cast<int16_t>(grid_element(p, l.text, &stat));
    row.stat = static_cast<int16_t>(stat);
    if (row.element < 0) MESS_print(M_DEBUGA, "grid block %s: row %s is in no table\n", r->id, l.text);
    clear_row(&row);
    const GridElement *el = row.element >= 0 ? &p.elements[row.element] : nullptr;
    int shift = l.at - g.at;
    int len = static_cast<int>(strlen(line));
    for (int k = 0; k < g.n; k++) read_cell(line, len, g.ends[k] + shift, p.width, el, &row.cell[k]);
    const char *key = el ? el->key : "";
    if (p.climate && (!strcmp(key, "max_min_f") || !strcmp(key, "pop12_pct"))) {
      if (g.n > 0) read_climate(line, len, g.ends[g.n - 1] + shift, &row);
    } else if (p.step == 12 && extra_end >= 0) {
      // A value one field right of the last column (NBE's Q24) is a column
      // of its own, 12 hours after the last.
      read_cell(line, len, extra_end + shift, p.width, el, &row.cell[g.n]);
      if (row.cell[g.n].num != QEL_MISS || row.cell[g.n].text[0]) extra = true;
    }
  }
  if (extra) {
    r->hour[g.n] = r->hour[g.n - 1] == QEL_MISS ? QEL_MISS : r->hour[g.n - 1] + 12;
    r->utc[g.n] = r->utc[g.n - 1] == QEL_MISS ? QEL_MISS : (r->utc[g.n - 1] + 12) % 24;
    r->ncols = g.n + 1;
  }
}

void clear_report(MOSG_report *r) {
  r->id[0] = r->version[0] = '\0';
  r->ncols = r->nrows = 0;
  DATE_init(&r->run);
  for (int k = 0; k < MOSG_COLS; k++) {
    r->utc[k] = r->hour[k] = QEL_MISS;
    r->valid[k] = -1;
  }
}

}  // namespace

int MOSG_read(int ind, MOSG_report *report, int type, int *statnum) {
  if (!report || !statnum || *statnum < 0) return -1;
  const GridProduct *p = grid_product(FLAG_get(FLAG_MODEL));
  if (!p) return -1;
  clear_report(report);
  report->model = p->code;

  if (*statnum == 0) {
    PAR_rewind(ind);
    st.last_num = -1;
  }
  char line[kLine] = "";
  int peeked = -1;
  if (*statnum == st.last_num) {
    // The block located last: back to its station line.
    if (!PAR_seek(ind, st.last_pos) || PAR_read(ind, 0, 0, line) <= 0) return -1;
    station_line(*p, line, report);
  } else {
    long pos = 0;
    if (!locate(ind, *p, line, report, &pos, &peeked)) return -1;
    st.last_pos = pos;
  }
  st.last_num = *statnum;
  MESS_print(M_DEBUGA, "ID: %s\n", line);
  MOS_set_product(PAR_get_product(ind));
  if (report->run.year != QEL_MISS)
    MOS_set_run(&report->run);
  else
    MOS_set_run(nullptr);
  if (type != MOS_READ_FULL) return 0;

  int count = peeked >= 0 ? peeked : read_block(ind);
  read_rows(*p, count, report);
  if (report->run.year != QEL_MISS) MOSG_set_times(report, nullptr);
  return 0;
}

int MOSG_set_times(MOSG_report *r, const Date *run) {
  if (!r) return 0;
  Date d = run ? *run : r->run;
  if (d.year == QEL_MISS || d.month == QEL_MISS || d.day == QEL_MISS || d.hour == QEL_MISS) return 0;
  const GridProduct *p = grid_product(r->model);
  int minutes = d.min == QEL_MISS ? 0 : d.min;
  d.min = 0;
  d.sec = 0;
  int64_t whole = DATE_num_sec(&d);  // the run's whole hour
  int64_t base = p && p->lamp ? whole : whole + minutes * 60;
  int64_t prev = whole;
  for (int k = 0; k < r->ncols; k++) {
    if (r->hour[k] != QEL_MISS) {
      r->valid[k] = base + int64_t(r->hour[k]) * 3600;
    } else if (r->utc[k] != QEL_MISS) {
      // The first time after the previous column whose hour is the UTC hour.
      int64_t t = prev + 3600;
      int64_t hour_of_day = ((t / 3600) % 24 + 24) % 24;
      t += ((r->utc[k] - hour_of_day + 24) % 24) * int64_t(3600);
      r->valid[k] = t;
      r->hour[k] = static_cast<int32_t>((t - whole) / 3600);
    } else {
      r->valid[k] = -1;
      continue;
    }
    prev = r->valid[k];
  }
  return 1;
}

// ---------------------------------------------------------------------------
// Cells

const MOSG_row *grid_row(const MOSG_report &r, const char *label) {
  for (int i = 0; i < r.nrows; i++)
    if (strcmp(r.rows[i].label, label) == 0) return &r.rows[i];
  return nullptr;
}

namespace {

// The GFS MOS ceiling categories in hundreds of feet, and its visibility
// categories in thousandths of a mile (the values of the GFS tables).
const int kGfsCeiling[8] = {1, 3, 7, 15, 25, 50, 100, 250};
const int kGfsVisibility[7] = {125, 375, 750, 2000, 4000, 6000, 10000};

GridValue number(int64_t num, int div = 1) {
  GridValue v;
  v.kind = GridValue::Number;
  v.num = num;
  v.div = div;
  return v;
}

GridValue text(const char *t) {
  GridValue v;
  v.kind = GridValue::Text;
  str_copy(v.text, t, sizeof v.text);
  return v;
}

// Whether the version text names 4.0 or later ("4.0", "5.0").
bool version_4_on(const char *version) { return version[0] >= '4' && version[0] <= '9'; }

}  // namespace

GridValue grid_value(const GridProduct &p, const MOSG_report &r, const MOSG_row &row, int col) {
  if (col < 0 || col >= MOSG_COLS) return {};
  const MOSG_cell &c = row.cell[col];
  const GridElement *el = row.element >= 0 && row.element < p.n_elements ? &p.elements[row.element] : nullptr;
  if (!el) {
    if (c.text[0]) return text(c.text);
    return c.num == QEL_MISS ? GridValue{} : number(c.num);
  }
  switch (el->conv) {
    case GridConv::Cloud: {
      static const char *const kCodes[][2] = {
          {"CL", "CLR"}, {"FW", "FEW"}, {"SC", "SCT"}, {"BK", "BKN"}, {"OV", "OVC"}};
      for (const auto &k : kCodes)
        if (strcmp(c.text, k[0]) == 0) return text(k[1]);
      return c.text[0] ? text(c.text) : GridValue{};
    }
    case GridConv::Code: return c.text[0] ? text(c.text) : GridValue{};
    default: break;
  }
  if (c.text[0] || c.num == QEL_MISS) return {};  // "NG" and any other letters in a number row
  if (c.num == MOSG_UNLIMITED) return text("unlimited");
  int32_t v = c.num;
  switch (el->conv) {
    case GridConv::Times10: return number(int64_t(v) * 10);
    case GridConv::Times100: return number(int64_t(v) * 100);
    case GridConv::Div10: return number(v, 10);
    case GridConv::Div100: return number(v, 100);
    case GridConv::NbmCeiling: return number(int64_t(v) * 100);
    case GridConv::NbmVis: return number(v, 10);
    case GridConv::Solar: return number(version_4_on(r.version) ? int64_t(v) * 10 : v);
    case GridConv::Pressure: return number(v < 500 ? v + 1000 : v);
    case GridConv::LampCeiling:
    case GridConv::LampCondCeil: {
      if (v < 1 || v > 8) return {};
      if (el->conv == GridConv::LampCeiling) {
        const MOSG_row *cld = grid_row(r, "CLD");
        if (cld && strcmp(cld->cell[col].text, "CL") == 0) return {};  // no ceiling under a clear sky
      }
      return number(int64_t(kGfsCeiling[v - 1]) * 100);
    }
    case GridConv::LampVis: return v >= 1 && v <= 7 ? number(kGfsVisibility[v - 1], 1000) : GridValue{};
    default: return number(v);
  }
}
