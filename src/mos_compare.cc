// mos_compare.cc: one station, every model side by side. The models of a
// list ("-mo gfs,nbs,lav") are read one after the other, each from its own
// bulletin file, as the series of mos_series.cc; the valid times of all of
// them make one time axis. Printed as a table (a block of columns per
// model) with each model's maximum and minimum of every forecast-contest
// day (06Z to 06Z) and their mean below it, as JSON Lines (one object per
// valid time) or as CSV (one line per valid time and model).
//
// State: the models of the list, read from the "model" resource once, and
// after MOS_compare the series of each.

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "mos_json.h"
#include "qelresrc.h"

namespace {

constexpr float kMiss = QEL_MISS;
constexpr int64_t kHour = 3600;
constexpr int64_t kDay = 24 * kHour;
// A forecast-contest day runs from 06Z to 06Z.
constexpr int64_t kContestStart = 6 * kHour;
// A model's maximum and minimum of a day count only when its values reach
// this close to both ends of the day (a 12-hourly model's 12Z and 00Z).
constexpr int64_t kDayEdge = 6 * kHour;
// A run older than the newest run of the comparison by more than this is flagged.
constexpr int64_t kOldRun = kDay;

struct Model {
  int code = 0;
  std::string word;      // the model word ("nbs")
  std::string label;     // the word, with "_2", "_3" ... for a model listed again
  std::string type;      // the data type -if gives this model, or "" for its own
  int place = 0;         // its place in the list as typed: that of its file
  bool compared = true;  // its family has forecasts by valid time
  bool found = false;    // the station is in its file
  MOS_series series{};
};

struct CompareState {
  std::vector<Model> models;
  int listed = 0;  // the words of the list, unknown ones included
};
CompareState cmp;

// ---------------------------------------------------------------------------
// The models and their files

int code_of_word(const std::string &word) {
  for (int code = 1; code < 64; code++) {
    const char *w = MOS_model_word(code);
    if (w && stricmp(w, word.c_str()) == 0) return code;
  }
  return 0;
}

std::string known_words() {
  std::string known;
  for (int code = 1; code < 64; code++)
    if (const char *w = MOS_model_word(code)) known += known.empty() ? w : std::string(", ") + w;
  return known;
}

std::string trimmed(const char *s) {
  std::string t = s ? s : "";
  size_t a = t.find_first_not_of(" \t"), b = t.find_last_not_of(" \t");
  return a == std::string::npos ? "" : t.substr(a, b - a + 1);
}

std::string upper(std::string s) {
  for (char &c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

// The names of the "filename" list (one a line).
std::vector<std::string> named_files() {
  std::vector<std::string> names;
  const char *named = RES_get("filename");
  for (const char *p = named; p && *p;) {
    size_t n = strcspn(p, "\n");
    names.emplace_back(p, n);
    p += n;
    if (*p) p++;
  }
  return names;
}

// Whether a name given for a model is a file to read as it is named, as
// one model reads it: an existing file (a "#" and a run after it left
// aside), standard input, "@name" or a "|command". Any other name, a date
// such as 23101705, is completed by the model's own data type.
bool named_as_is(const std::string &name) {
  if (name.empty()) return false;
  if (name[0] == '@' || name[0] == '|' || FILE_is_stdio(name.c_str())) return true;
  size_t hash = name.find('#', 1);
  return FILE_exist(name.substr(0, hash).c_str());
}

// Sets the model code and the data type of model `m` as MOS_in_file does
// for one model: the type -if gives it; else, for a file named as it is,
// "mos_dat" (as one model reads it); else "<word>_mos" where the name
// convention file has that type (a date and a time choose the model's own
// file), "mos_dat" where it has not. The missing convention file is named
// for the first model only.
void select_model(const Model &m, int index, bool as_is) {
  FLAG_set(FLAG_MODEL, m.code);
  M_type warn = MESS_get_level() & M_WARN;
  char type[QEL_NAME_LEN];
  MESS_set(MESS_FORCE_REMOVE, warn);
  bool own = false;
  if (m.type.empty() && !as_is) {
    str_copy(type, (m.word + "_mos").c_str(), sizeof type);
    own = FILE_set_name(type) == 1;
  }
  if (index == 0) MESS_set(MESS_FORCE_ADD, warn);
  if (!own) {
    str_copy(type, m.type.empty() ? "mos_dat" : m.type.c_str(), sizeof type);
    FILE_set_name(type);  // cuts ":k=v" key settings off in place
  }
  MESS_set(MESS_FORCE_ADD, warn);
  PAR_set_in_file(type);
}

// Chooses model `m`'s file (the name in its place of the list; a single
// name serves every model) and reads the station's series from it.
void read_model(Model &m, int index, const std::vector<std::string> &files, const char *id) {
  int at = files.size() == 1 ? 0 : m.place;
  select_model(m, index, at < static_cast<int>(files.size()) && named_as_is(files[at]));
  std::string prompt = "Enter the " + upper(m.label) + " filename: ";
  char name[QEL_NAME_LEN];
  FILE_get_file_at(prompt.c_str(), at, name);
  Date date;
  FILE_get_date(&date);
  int got = MOS_get_series(&date, id, &m.series);
  m.compared = got >= 0;
  m.found = got == 1;
  if (!m.compared)
    MESS_print(M_WARN, "%s: no forecasts by valid time to compare (upper-air or extended-range guidance)\n",
               m.label.c_str());
  else if (!m.found)
    MESS_print(M_WARN, "%s: No data found for %s!\n", m.label.c_str(), id);
}

// ---------------------------------------------------------------------------
// The time axis

// Whether a point holds any value the comparison shows.
bool shown(const MOS_point &p) {
  for (float v : {p.temp_f, p.dewpoint_f, p.max_min_f, p.wind_dir_deg, p.wind_speed_kt, p.gust_kt, p.pop1_pct,
                  p.pop6_pct, p.pop12_pct, p.ceiling_ft, p.visibility_mi})
    if (v != kMiss) return true;
  return p.ceiling_unlimited || p.flight != MOS_FLT_NONE;
}

// The point of model `m` valid at `t` that holds a value, or null.
const MOS_point *point_at(const Model &m, int64_t t) {
  if (!m.found) return nullptr;
  for (int i = 0; i < m.series.n; i++)
    if (m.series.p[i].valid == t && shown(m.series.p[i])) return &m.series.p[i];
  return nullptr;
}

// Every valid time at which some model holds a value, in order. A model
// whose run is unknown has no valid times: it is named and left out.
std::vector<int64_t> time_axis() {
  std::vector<int64_t> times;
  for (const Model &m : cmp.models) {
    if (!m.found) continue;
    bool unknown = false;
    for (int i = 0; i < m.series.n; i++) {
      const MOS_point &p = m.series.p[i];
      if (!shown(p)) continue;
      if (p.valid < 0)
        unknown = true;
      else
        times.push_back(p.valid);
    }
    if (unknown)
      MESS_print(M_WARN, "%s: forecasts without a valid time (the run is unknown) are left out\n", m.label.c_str());
  }
  std::sort(times.begin(), times.end());
  times.erase(std::unique(times.begin(), times.end()), times.end());
  return times;
}


// The run of a model as a table labels it: "05Z 17 OCT 23", a LAMP run
// with its minutes.
std::string run_label(Date run) {
  if (run.min == 0) run.min = QEL_MISS;
  if (run.min != QEL_MISS) run.sec = QEL_MISS;
  char label[80] = "";
  DATE_make_zone_label(&run, label, sizeof label);  // in the zone of -tz, with the UTC time
  return label;
}

// ---------------------------------------------------------------------------
// Values as texts

// The PoP of the period `hours` (1, 6 or 12) of a point.
float pop_of(const MOS_point &p, int hours) {
  return hours == 1 ? p.pop1_pct : hours == 6 ? p.pop6_pct : hours == 12 ? p.pop12_pct : kMiss;
}

std::string whole(float v) {
  if (v == kMiss) return "";
  char buf[24];
  snprintf(buf, sizeof buf, "%.0f", static_cast<double>(v));
  return buf;
}

// Miles: whole miles as they are, a fraction with one decimal.
std::string miles(float v) {
  if (v == kMiss) return "";
  char buf[24];
  snprintf(buf, sizeof buf, v == std::floor(v) ? "%.0f" : "%.1f", static_cast<double>(v));
  return buf;
}

// ---------------------------------------------------------------------------
// The table

enum Col { kTmp, kDpt, kMaxMin, kDir, kSpd, kGst, kPop, kCig, kVis, kFlt, kCols };

struct ColumnHead {
  const char *head;
  int width;
};
const ColumnHead kHeads[kCols] = {{"TMP", 4}, {"DPT", 4}, {"X/N", 4}, {"DIR", 4}, {"SPD", 4},
                                  {"GST", 4}, {"POP", 4}, {"CIG", 6}, {"VIS", 5}, {"FLT", 5}};

std::string cell(Col c, const MOS_point *p, int pop_hours) {
  if (!p) return "";
  switch (c) {
    case kTmp: return whole(p->temp_f);
    case kDpt: return whole(p->dewpoint_f);
    case kMaxMin: return whole(p->max_min_f);
    case kDir: return whole(p->wind_dir_deg);
    case kSpd: return whole(p->wind_speed_kt);
    case kGst: return whole(p->gust_kt);
    case kPop: return whole(pop_of(*p, pop_hours));
    case kCig: return p->ceiling_unlimited ? "UNL" : whole(p->ceiling_ft);
    case kVis: return miles(p->visibility_mi);
    case kFlt: {
      const char *t = MOS_flight_text(p->flight);
      return t ? t : "";
    }
    default: return "";
  }
}

// The columns of one model's block: those its series fills (every column
// for a model without the station), and its PoP period, the shortest it
// gives (1, 6 or 12 hours; 0 for none).
struct Block {
  bool on[kCols] = {};
  int pop_hours = 0;
  int width = 2;  // " |" and its columns
};

Block block_of(const Model &m) {
  Block b;
  if (!m.found) {
    std::fill(b.on, b.on + kCols, true);
  } else {
    for (int hours : {12, 6, 1})
      for (int i = 0; i < m.series.n; i++)
        if (pop_of(m.series.p[i], hours) != kMiss) b.pop_hours = hours;
    for (int i = 0; i < m.series.n; i++)
      for (int c = 0; c < kCols; c++)
        if (!b.on[c] && !cell(static_cast<Col>(c), &m.series.p[i], b.pop_hours).empty()) b.on[c] = true;
  }
  for (int c = 0; c < kCols; c++)
    if (b.on[c]) b.width += kHeads[c].width;
  return b;
}

// `text` right-aligned in `width`, with at least one blank before it.
void put_right(std::string &line, const std::string &text, int width) {
  int pad = width - static_cast<int>(text.size());
  line.append(pad > 0 ? pad : 1, ' ');
  line += text;
}

void put_line(std::string line) {
  size_t end = line.find_last_not_of(' ');
  line.erase(end == std::string::npos ? 0 : end + 1);
  MESS_print(M_PRINT, "%s\n", line.c_str());
}

// The blanks a block of `width` characters (its " |" included) needs in
// front of its columns to hold its model's label.
int label_pad(const Model &m, int width) {
  int need = static_cast<int>(m.label.size()) + 4;  // " | ", the label, a blank
  return need > width ? need - width : 0;
}

// The label line's part of a block of `width` characters: " | NBS" and blanks.
std::string block_label(const Model &m, int width) {
  std::string label = " | " + upper(m.label);
  label.append(width + label_pad(m, width) - label.size(), ' ');
  return label;
}

// The TIME cell of a valid time: in UTC, or in the zone of -tz.
std::string time_label(int64_t t) {
  char cell[40];
  MOS_time_cell(t, cell, sizeof cell);
  return "  " + std::string(cell);
}

// The header: the station, then each model with its guidance and run,
// flagged when the run is older than the newest by more than a day.
void table_header(const char *id) {
  int64_t newest = -1;
  for (const Model &m : cmp.models)
    if (m.found) newest = std::max(newest, MOS_run_seconds(&m.series.run));
  char station[96];
  MOS_station_label(id, station, sizeof station);
  MESS_print(M_PRINT, "  Guidance of %d models for %s\n", static_cast<int>(cmp.models.size()), station);
  for (const Model &m : cmp.models) {
    const char *title = MOS_model_title(m.code);
    if (!m.found) {
      MESS_print(M_PRINT, "  %-6s %-14s no data for %s\n", upper(m.label).c_str(), title ? title : "", id);
      continue;
    }
    std::string line = "  " + upper(m.label);
    line.append(line.size() < 9 ? 9 - line.size() : 1, ' ');
    line += m.series.name;
    line.append(m.series.name[0] && strlen(m.series.name) < 15 ? 15 - strlen(m.series.name) : 1, ' ');
    line += "Initial time: " + run_label(m.series.run);
    int64_t run = MOS_run_seconds(&m.series.run);
    if (run >= 0 && newest - run > kOldRun) {
      char old[64];
      long long hours = (newest - run) / kHour;
      if (hours < 72)
        snprintf(old, sizeof old, "  (old: %lld hours before the newest run)", hours);
      else
        snprintf(old, sizeof old, "  (old: %.1f days before the newest run)", static_cast<double>(hours) / 24);
      line += old;
    }
    put_line(line);
  }
  MESS_print(M_PRINT, "\n");
}

void print_table(const char *id, const std::vector<int64_t> &times) {
  std::vector<Block> blocks;
  for (const Model &m : cmp.models) blocks.push_back(block_of(m));
  table_header(id);

  std::string labels(2 + MOS_time_width(), ' '), heads = "  TIME";
  heads.append(static_cast<size_t>(MOS_time_width()) - 4, ' ');
  for (size_t k = 0; k < blocks.size(); k++) {
    labels += block_label(cmp.models[k], blocks[k].width);
    heads += " |";
    heads.append(label_pad(cmp.models[k], blocks[k].width), ' ');
    for (int c = 0; c < kCols; c++) {
      if (!blocks[k].on[c]) continue;
      std::string head = kHeads[c].head;
      if (c == kPop && blocks[k].pop_hours) {
        char p[8];
        snprintf(p, sizeof p, "P%02d", blocks[k].pop_hours);
        head = p;
      }
      put_right(heads, head, kHeads[c].width);
    }
  }
  put_line(labels);
  put_line(heads);
  for (int64_t t : times) {
    std::string line = time_label(t);
    for (size_t k = 0; k < blocks.size(); k++) {
      const MOS_point *p = point_at(cmp.models[k], t);
      line += " |";
      line.append(label_pad(cmp.models[k], blocks[k].width), ' ');
      for (int c = 0; c < kCols; c++)
        if (blocks[k].on[c]) put_right(line, cell(static_cast<Col>(c), p, blocks[k].pop_hours), kHeads[c].width);
    }
    put_line(line);
  }
}

// ---------------------------------------------------------------------------
// The maximum and minimum of each day

// The start of the forecast-contest day (start, start + 24 h] that holds `t`.
bool contest_day_start(int64_t t, int64_t *start) {
  int64_t k = t - 1 - kContestStart;
  int64_t days = k >= 0 ? k / kDay : -((-k + kDay - 1) / kDay);
  *start = days * kDay + kContestStart;
  return true;
}

// The start of the local calendar day (start, start + 24 h] that holds `t`
// in the zone of -tz (the local midnight before it), or false without a
// zone. A day of a change of daylight saving starts at its own midnight.
bool local_day_start(int64_t t, int64_t *start) {
  if (!DATE_zone_set()) return false;
  Date d;
  int32_t offset = 0, then = 0;
  if (DATE_get_zonedate(t - 1, &d, nullptr, 0, &offset) != 0) return false;
  int64_t midnight = t - 1 - (int64_t(d.hour) * 3600 + int64_t(d.min) * 60 + d.sec);
  Date m;
  if (DATE_get_zonedate(midnight, &m, nullptr, 0, &then) != 0) return false;
  *start = midnight + (offset - then);  // the midnight's own offset
  return true;
}

struct DayValue {
  bool ok = false;
  float max = kMiss, min = kMiss;
};

// Model `m`'s highest and lowest temperature or maximum/minimum valid in
// (start, end]; counted only when its values reach both ends of the day.
DayValue day_of(const Model &m, int64_t start, int64_t end) {
  DayValue d;
  int64_t first = -1, last = -1;
  for (int i = 0; m.found && i < m.series.n; i++) {
    const MOS_point &p = m.series.p[i];
    if (p.valid <= start || p.valid > end) continue;
    for (float v : {p.temp_f, p.max_min_f}) {
      if (v == kMiss) continue;
      if (first < 0 || p.valid < first) first = p.valid;
      last = std::max(last, p.valid);
      d.max = d.max == kMiss ? v : std::max(d.max, v);
      d.min = d.min == kMiss ? v : std::min(d.min, v);
    }
  }
  d.ok = first >= 0 && first <= start + kDayEdge && last >= end - kDayEdge;
  return d;
}

std::string tenths(double v) {
  char buf[24];
  snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

// The days (their starts) that hold a temperature or a maximum/minimum
// of some model, in order: only they can be covered.
std::vector<int64_t> day_starts(bool (*day_start)(int64_t, int64_t *)) {
  std::vector<int64_t> starts;
  for (const Model &m : cmp.models)
    for (int i = 0; m.found && i < m.series.n; i++) {
      const MOS_point &p = m.series.p[i];
      int64_t start;
      if (p.valid < 0 || (p.temp_f == kMiss && p.max_min_f == kMiss) || !day_start(p.valid, &start)) continue;
      starts.push_back(start);
    }
  std::sort(starts.begin(), starts.end());
  starts.erase(std::unique(starts.begin(), starts.end()), starts.end());
  return starts;
}

// One line per day that some model covers: each model's maximum and
// minimum, and their mean over the models that cover the day.
void print_days(const char *title, bool (*day_start)(int64_t, int64_t *)) {
  std::vector<std::string> lines;
  for (int64_t start : day_starts(day_start)) {
    int64_t end;
    if (!day_start(start + kDay + kDay / 4, &end)) return;  // the next day's start
    std::vector<DayValue> days;
    double max_sum = 0, min_sum = 0;
    int n = 0;
    for (const Model &m : cmp.models) {
      days.push_back(day_of(m, start, end));
      if (!days.back().ok) continue;
      max_sum += days.back().max, min_sum += days.back().min, n++;
    }
    if (n == 0) continue;
    // A local day is named by its local date, a contest day by its UTC date.
    Date d;
    if (day_start == local_day_start)
      DATE_get_zonedate(start + 1, &d, nullptr, 0, nullptr);
    else
      DATE_get_gmdate(&start, &d);
    char label[16];
    snprintf(label, sizeof label, "  %2d %s", d.day, DATE_month(d.month));
    std::string line = label;
    line.resize(std::max<size_t>(line.size(), 10), ' ');
    for (size_t k = 0; k < days.size(); k++) {
      line += " |";
      line.append(label_pad(cmp.models[k], 10), ' ');
      put_right(line, days[k].ok ? whole(days[k].max) : "", 4);
      put_right(line, days[k].ok ? whole(days[k].min) : "", 4);
    }
    line += " |";
    put_right(line, tenths(max_sum / n), 6);
    put_right(line, tenths(min_sum / n), 6);
    lines.push_back(line);
  }
  if (lines.empty()) return;
  std::string labels = title, heads = "  DAY     ";
  labels.resize(std::max<size_t>(labels.size(), 10), ' ');
  for (const Model &m : cmp.models) {
    labels += block_label(m, 10);
    heads += " |";
    heads.append(label_pad(m, 10), ' ');
    heads += " MAX MIN";
  }
  labels += " | CONSENSUS";
  heads += " |   MAX   MIN";
  MESS_print(M_PRINT, "\n");
  put_line(labels);
  put_line(heads);
  for (const std::string &l : lines) put_line(l);
}

void print_day_blocks() {
  print_days(" 06Z-06Z", contest_day_start);
  // The local days carry the zone's abbreviation (of the first time shown).
  char abbr[16] = "";
  Date d;
  for (const Model &m : cmp.models)
    if (!abbr[0] && m.found && m.series.n > 0 && m.series.p[0].valid >= 0)
      DATE_get_zonedate(m.series.p[0].valid, &d, abbr, sizeof abbr, nullptr);
  std::string title = std::string(" LOCAL ") + abbr;
  print_days(title.c_str(), local_day_start);
}

// ---------------------------------------------------------------------------
// JSON and CSV: the same fields, from one list

struct Value {
  enum Kind { Null, Int, Real, Word, Time } kind = Null;
  int64_t num = 0;  // Int, or the seconds of a Time
  double real = 0;
  const char *word = nullptr;
};

Value number(float v) {
  Value out;
  if (v == kMiss) return out;
  if (v == std::floor(v)) {
    out.kind = Value::Int;
    out.num = static_cast<int64_t>(v);
  } else {
    out.kind = Value::Real;
    out.real = std::round(static_cast<double>(v) * 1000) / 1000;
  }
  return out;
}

Value real(float v) {
  Value out;
  if (v == kMiss) return out;
  out.kind = Value::Real;
  out.real = std::round(static_cast<double>(v) * 1000) / 1000;
  return out;
}

Value word(const char *w) {
  Value out;
  if (w && *w) out.kind = Value::Word, out.word = w;
  return out;
}

struct Field {
  const char *key;
  Value (*get)(const Model &m, const MOS_point &p);
};

// clang-format off
const Field kFields[] = {
    {"run", [](const Model &m, const MOS_point &) { Value v; v.kind = Value::Time; v.num = MOS_run_seconds(&m.series.run); return v; }},
    {"hour", [](const Model &, const MOS_point &p) { return number(p.hour == QEL_MISS ? kMiss : static_cast<float>(p.hour)); }},
    {"temp_f", [](const Model &, const MOS_point &p) { return number(p.temp_f); }},
    {"dewpoint_f", [](const Model &, const MOS_point &p) { return number(p.dewpoint_f); }},
    {"max_min_f", [](const Model &, const MOS_point &p) { return number(p.max_min_f); }},
    {"wind_dir_deg", [](const Model &, const MOS_point &p) { return number(p.wind_dir_deg); }},
    {"wind_speed_kt", [](const Model &, const MOS_point &p) { return number(p.wind_speed_kt); }},
    {"gust_kt", [](const Model &, const MOS_point &p) { return number(p.gust_kt); }},
    {"pop1_pct", [](const Model &, const MOS_point &p) { return number(p.pop1_pct); }},
    {"pop6_pct", [](const Model &, const MOS_point &p) { return number(p.pop6_pct); }},
    {"pop12_pct", [](const Model &, const MOS_point &p) { return number(p.pop12_pct); }},
    {"ceiling_ft", [](const Model &, const MOS_point &p) { return p.ceiling_unlimited ? word("unlimited") : number(p.ceiling_ft); }},
    {"visibility_mi", [](const Model &, const MOS_point &p) { return real(p.visibility_mi); }},
    {"flight_category", [](const Model &, const MOS_point &p) { return word(MOS_flight_text(p.flight)); }},
};
// clang-format on

void json_value(qeljson::Writer &w, const Value &v) {
  switch (v.kind) {
    case Value::Null: return w.null();
    case Value::Int: return w.fixed(v.num, 1);
    case Value::Real: return w.real(v.real);
    case Value::Word: return w.word(v.word);
    case Value::Time: return qeljson::iso_time(w, v.num);
  }
}

// {"valid": ..., then per model an object of its fields, or null}.
void print_json(const std::vector<int64_t> &times) {
  for (int64_t t : times) {
    qeljson::Writer w;
    w.open('{');
    qeljson::valid(w, t);  // and "valid_local" with -tz
    for (const Model &m : cmp.models) {
      w.key_text(m.label.c_str());
      const MOS_point *p = point_at(m, t);
      if (!p) {
        w.null();
        continue;
      }
      w.open('{');
      for (const Field &f : kFields) {
        w.key_text(f.key);
        json_value(w, f.get(m, *p));
      }
      w.close('}');
    }
    w.close('}');
    MESS_print(M_PRINT, "%s", w.line());
  }
}

// A text field of CSV, quoted where RFC 4180 needs it (a comma, a double
// quote or a line end), its double quotes doubled.
std::string csv_text(const char *s) {
  if (!strpbrk(s, ",\"\r\n")) return s;
  std::string out = "\"";
  for (; *s; s++) {
    if (*s == '"') out += '"';
    out += *s;
  }
  return out + "\"";
}

std::string iso_text(int64_t secs) {
  Date d;
  if (secs < 0 || DATE_get_gmdate(&secs, &d) != 0) return "";
  char buf[32];
  snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02dZ", d.year, d.month, d.day, d.hour, d.min, d.sec);
  return buf;
}

// As JSON writes it: a real keeps its decimal point ("10.0").
std::string csv_value(const Value &v) {
  char buf[40];
  switch (v.kind) {
    case Value::Null: return "";
    case Value::Int: return std::to_string(v.num);
    case Value::Real: {
      char *end = std::to_chars(buf, buf + sizeof buf - 3, v.real).ptr;
      if (!std::any_of(buf, end, [](char c) { return c == '.' || c == 'e'; })) *end++ = '.', *end++ = '0';
      return std::string(buf, end);
    }
    case Value::Word: return csv_text(v.word);
    case Value::Time: return iso_text(v.num);
  }
  return "";
}

// A header line, then one line per valid time and model that has a value then.
void print_csv(const std::vector<int64_t> &times) {
  bool local = DATE_zone_set();  // "valid_local" with -tz, as in JSON
  std::string head = local ? "valid,valid_local,model" : "valid,model";
  for (const Field &f : kFields) head += std::string(",") + f.key;
  MESS_print(M_PRINT, "%s\n", head.c_str());
  for (int64_t t : times)
    for (const Model &m : cmp.models) {
      const MOS_point *p = point_at(m, t);
      if (!p) continue;
      std::string line = iso_text(t) + ",";
      if (local) {
        const char *lt = qeljson::local_text(t);
        line += std::string(lt ? lt : "") + ",";
      }
      line += csv_text(m.label.c_str());
      for (const Field &f : kFields) line += "," + csv_value(f.get(m, *p));
      MESS_print(M_PRINT, "%s\n", line.c_str());
    }
}

}  // namespace

int MOS_compare_models() {
  cmp.models.clear();
  cmp.listed = 0;
  const char *value = RES_get("model");
  if (!value || !strchr(value, ',')) return -1;
  int n = 0, ntypes = 0;
  char **words = nullptr, **types = nullptr;
  parse_string(value, ',', &n, &words);
  RES_getvals("in_file", &ntypes, &types);
  cmp.listed = n;
  for (int i = 0; i < n; i++) {
    std::string word = trimmed(words[i]);
    if (word.empty()) continue;
    int code = code_of_word(word);
    if (!code) {
      MESS_print(M_WARN, "unknown model '%s' (known: %s)\n", word.c_str(), known_words().c_str());
      continue;
    }
    Model m;
    m.code = code;
    m.place = i;
    m.word = MOS_model_word(code);
    int before = static_cast<int>(
        std::count_if(cmp.models.begin(), cmp.models.end(), [&](const Model &o) { return o.code == code; }));
    m.label = before ? m.word + "_" + std::to_string(before + 1) : m.word;
    // One data type for every model, or one per model in the list's order.
    if (ntypes == 1)
      m.type = trimmed(types[0]);
    else if (i < ntypes)
      m.type = trimmed(types[i]);
    cmp.models.push_back(m);
  }
  free_parsed_array(n, words);
  free_parsed_array(ntypes, types);
  return static_cast<int>(cmp.models.size());
}

int MOS_compare(const char *ids, int form) {
  std::string list = ids ? ids : "";
  std::string id = trimmed(list.substr(0, list.find(',')).c_str());
  if (stricmp(id.c_str(), "all") == 0) {
    MESS_print(M_WARN, "-id all: a comparison of models takes one station\n");
    return 0;
  }
  if (list.find(',') != std::string::npos)
    MESS_print(M_WARN, "a comparison of models takes one station: %s is compared\n", id.c_str());
  if (form == MOS_FORM_ZIM) {
    MESS_print(M_WARN, "a comparison of models has no compact line: the table is printed\n");
    form = MOS_FORM_TABLE;
  }

  std::vector<std::string> files = named_files();
  if (static_cast<int>(files.size()) > cmp.listed && files.size() > 1)
    MESS_print(M_WARN, "%d files for %d models: the files after the last model are not read\n",
               static_cast<int>(files.size()), cmp.listed);
  for (size_t k = 0; k < cmp.models.size(); k++) read_model(cmp.models[k], static_cast<int>(k), files, id.c_str());
  // Families without forecasts by valid time take no part.
  cmp.models.erase(std::remove_if(cmp.models.begin(), cmp.models.end(), [](const Model &m) { return !m.compared; }),
                   cmp.models.end());
  bool any = std::any_of(cmp.models.begin(), cmp.models.end(), [](const Model &m) { return m.found; });
  if (!any) {
    MESS_print(M_WARN, "No data found!\n");
    return 0;
  }

  // The station as the first model that holds it writes it.
  std::string station = id;
  for (const Model &m : cmp.models)
    if (m.found) {
      station = m.series.id;
      break;
    }
  std::vector<int64_t> times = time_axis();
  if (form == MOS_FORM_JSON) {
    print_json(times);
  } else if (form == MOS_FORM_CSV) {
    print_csv(times);
  } else {
    print_table(station.c_str(), times);
    print_day_blocks();
  }
  return 1;
}
