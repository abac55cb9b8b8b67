// files.cc: naming conventions. A data type selects a line of the name
// convention file, whose template turns a date into a file name
// (FILE_set_date); keys and resources fill the template's other fields.
// The path helpers of the module (joining, "~", the standard streams,
// opening) are in paths.cc.
//
// State: the one naming context (files_state.h), shared with the input-file
// selection in files_select.cc. Invariants: every name buffer holds at most
// 159 characters; `conv` empty means "no convention"; keys start empty.

#include <strings.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "files_state.h"
#include "qelresrc.h"

namespace {

// The resource behind directory field letter `c` (C D F R G I W T M S), or null.
const char *dir_resource(char c) {
  switch (c) {
    case 'C': return "con_path";
    case 'D': return "data_path";
    case 'F': return "file_path";
    case 'R': return "raw_path";
    case 'G': return "grid_path";
    case 'I': return "image_path";
    case 'W': return "watch_path";
    case 'T': return "text_path";
    case 'M': return "model_path";
    case 'S': return "sat_path";
    default: return nullptr;
  }
}

// Reads the step or width number after "%" (advancing *t): N, or 0 when
// there is none. Very long numbers are capped at 9999.
int read_number(const char **t) {
  int n = 0;
  while (is_digit_char(**t)) {
    if (n < 1000) n = n * 10 + (**t - '0');
    if (n > 9999) n = 9999;
    (*t)++;
  }
  return n;
}

}  // namespace

namespace qelfiles {

NameState &naming() {
  static NameState state;
  return state;
}

bool next_field(const char **t, TemplateField *f) {
  const char *p = *t;
  if (!*p) return false;
  f->n = 0;
  f->name.clear();
  if (*p != '%') {
    f->kind = TemplateField::literal;
    f->letter = *p;
    *t = p + 1;
    return true;
  }
  p++;
  f->n = read_number(&p);
  f->letter = *p;
  if (!*p) {
    f->kind = TemplateField::lone_percent;
    f->letter = '%';
    *t = p;
    return true;
  }
  p++;
  switch (f->letter) {
    case '%': f->kind = TemplateField::percent; break;
    case 'Y':
    case 'y':
    case 'm':
    case 'b':
    case 'd':
    case 'j':
    case 'h':
    case 'n': f->kind = TemplateField::date; break;
    case 'e': f->kind = TemplateField::ext; break;
    case '{': {
      f->kind = TemplateField::resource;
      const char *close = strchr(p, '}');
      f->name = close ? std::string(p, close) : std::string(p);
      p = close ? close + 1 : p + strlen(p);
      break;
    }
    default:
      if (const char *res = dir_resource(f->letter)) {
        f->kind = TemplateField::directory;
        f->name = res;
      } else {
        f->kind = TemplateField::key;
      }
      break;
  }
  *t = p;
  return true;
}

std::string key_text(char key, int width) {
  const char *k = naming().keys[static_cast<unsigned char>(key)];
  return width > 0 ? std::string(k).substr(0, width) : std::string(k);
}

std::string resource_or(const char *name, const char *fallback) {
  const char *v = RES_get(name);
  return v && *v ? v : fallback;
}

int32_t Date::*date_member(char letter) {
  switch (letter) {
    case 'Y': return &Date::year;
    case 'm': return &Date::month;
    case 'd': return &Date::day;
    case 'h': return &Date::hour;
    case 'n': return &Date::min;
    default: return nullptr;
  }
}

bool step_code(int value, int *offset, int *step) {
  if (value >= 0 || value == QEL_MISS) return false;
  long long code = -static_cast<long long>(value);
  *step = static_cast<int>(code % 100);
  *offset = static_cast<int>(code / 100);
  return *step > 0;
}

int day_code(int value) {
  if (value >= 0 || value == QEL_MISS || value == INT_MIN) return 0;
  return -value;
}

int field_step(char field, int n, int cur) {
  NameState &s = naming();
  long long unit = 0, fixed = 0;
  int off, st;
  switch (field) {
    case 'd':
    case 'j':
      unit = 86400;
      fixed = static_cast<long long>(day_code(s.set.day)) * 86400;
      break;
    case 'h':
      unit = 3600;
      if (step_code(s.set.hour, &off, &st)) fixed = static_cast<long long>(st) * 3600;
      break;
    case 'n':
      unit = 60;
      if (step_code(s.set.min, &off, &st)) fixed = static_cast<long long>(st) * 60;
      break;
    default: return cur;
  }
  long long v = fixed > 0 ? fixed : unit * (n > 0 ? n : 1);
  if (fixed == 0 && cur != QEL_MISS && cur < v) v = cur;
  return v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

void set_filename(const char *name, int type) {
  NameState &s = naming();
  if (name != s.filename) str_copy(s.filename, name, sizeof s.filename);
  s.filename_type = type;
  if (type == 1)
    str_copy(s.user_file, s.filename, sizeof s.user_file);
  else
    s.user_file[0] = '\0';
}

void put_name(char *out, const char *src) {
  if (out && out != src) str_copy(out, src, QEL_NAME_LEN);
}

}  // namespace qelfiles

using namespace qelfiles;

namespace {

// The saved copies of FILE_save_name_conv (one level).
struct Saved {
  int late_off = 3600;
  char conv[QEL_NAME_LEN] = "";
  char hconv[QEL_NAME_LEN] = "";
  char filename[QEL_NAME_LEN] = "";
  int filename_type = 0;
} saved;

int floor_mod(int a, int m) { return ((a % m) + m) % m; }

// Splits ":k=v" key settings off a type text; the text ends at the first
// colon that carried one.
void split_keys(char *type) {
  std::string text = type;
  size_t cut = std::string::npos;
  for (size_t i = 0; i + 2 < text.size(); i++) {
    if (text[i] != ':' || text[i + 2] != '=') continue;
    size_t start = i + 3, end = text.find(':', start);
    std::string value = start < text.size() ? text.substr(start, end == std::string::npos ? end : end - start) : "";
    if (value.empty()) continue;
    FILE_set_key(text[i + 1], value.c_str());
    MESS_print(M_DEBUGD, "KEY: %c = %s\n", text[i + 1], value.c_str());
    if (cut == std::string::npos) cut = i;
  }
  if (cut != std::string::npos) type[cut] = '\0';
}

// The blank-separated words of a convention line (at most four).
std::vector<std::string> line_words(const char *line) {
  std::vector<std::string> words;
  const char *p = line;
  while (*p && words.size() < 4) {
    while (*p == ' ' || *p == '\t') p++;
    if (!*p) break;
    const char *start = p;
    while (*p && *p != ' ' && *p != '\t') p++;
    words.emplace_back(start, p);
  }
  return words;
}

// The directory that a user-named full path gives the template's directory
// fields: the name without as many trailing components as `conv` has
// separators.
std::string extracted_path(const char *name, const char *tmpl) {
  int seps = 0;
  for (const char *t = tmpl; *t; t++)
    if (*t == '/' || *t == ':') seps++;
  size_t end = strlen(name);
  for (int i = 0; i < seps && end > 0; i++) {
    size_t p = end;
    while (p > 0 && name[p - 1] != '/' && name[p - 1] != ':') p--;
    end = p > 0 ? p - 1 : 0;
  }
  if (end == 0 && name[0] != '/') return ".";
  return std::string(name, end);
}

bool complete_to_hour(const Date &d) {
  return d.year >= 0 && d.month >= 1 && d.month <= 12 && d.day >= 1 && d.day <= 31 && d.hour >= 0 && d.hour <= 23;
}

// Moves a complete source date back to the latest slot that the hour and
// minute step codes of `set` allow, so that an offset slot later in the day
// than the source (hour 01 under "03 and 15") falls on the day before.
void align_to_codes(Date *src) {
  const NameState &s = naming();
  int off, st;
  if (step_code(s.set.min, &off, &st) && complete_to_hour(*src) && src->min >= 0 && src->min <= 59) {
    int prev = 59 - floor_mod(59 - off, st);
    if (src->min - floor_mod(src->min - off, st) < 0 && prev >= 0) {
      Date d = *src;
      d.min = d.sec = 0;
      int64_t t = DATE_num_sec(&d) - 3600;
      Date back;
      DATE_get_gmdate(&t, &back);
      src->year = back.year, src->month = back.month, src->day = back.day, src->hour = back.hour;
      src->min = prev;
    }
  }
  if (step_code(s.set.hour, &off, &st) && complete_to_hour(*src)) {
    int prev = 23 - floor_mod(23 - off, st);
    if (src->hour - floor_mod(src->hour - off, st) < 0 && prev >= 0) {
      Date d = *src;
      d.hour = d.min = d.sec = 0;
      int64_t t = DATE_num_sec(&d) - 86400;
      Date back;
      DATE_get_gmdate(&t, &back);
      src->year = back.year, src->month = back.month, src->day = back.day;
      src->hour = prev;
    }
  }
}

// The value a date field takes: a fixed field of `set` (cut to the step for
// hours and minutes), a step code applied to the source, or the source cut
// to the field's step. Negative results print as zeros.
int pick(int fixed, int source, int n, bool cut_fixed, char code_kind) {
  int step = n > 0 ? n : 1;
  if (fixed >= 0) return cut_fixed ? fixed / step * step : fixed;
  int off, st;
  if (code_kind == 'c' && step_code(fixed, &off, &st))
    return source < 0 ? source : source - floor_mod(source - off, st);
  if (code_kind == 'd') {
    int k = day_code(fixed);
    if (k > 0) return source < 0 ? source : source / k * k;
  }
  return source < 0 ? source : source / step * step;
}

void append_num(std::string &out, const char *fmt, int v) {
  char buf[24];
  snprintf(buf, sizeof buf, fmt, v);
  out += buf;
}

// Prints date field `f` of the source date and stores the value used into
// the file date; the fields with a file step update `late_off`.
void expand_date(const TemplateField &f, const Date &src, std::string &out) {
  NameState &s = naming();
  Date &fd = s.file_date;
  int n = f.n;
  switch (f.letter) {
    case 'y': {
      int v = s.set.year >= 0 ? s.set.year : src.year;
      if (v >= 0 && s.set.year < 0) {  // the step cuts the two digits; the century stays
        int step = n > 0 ? n : 1;
        v = v - v % 100 + (v % 100) / step * step;
      }
      append_num(out, "%2.2d", v < 0 ? 0 : v % 100);
      fd.year = v;
      break;
    }
    case 'b': {
      int v = pick(s.set.month, src.month, n, false, 0);
      out += v >= 1 && v <= 12 ? DATE_month_lower(v) : "xxx";
      fd.month = v;
      break;
    }
    case 'j': {
      int year = pick(s.set.year, src.year, 1, false, 0);
      int month = pick(s.set.month, src.month, 1, false, 0);
      int day = pick(s.set.day, src.day, n, false, 'd');
      if (day >= 0) {
        int jday = 0;
        DATE_monday_julian(year, month, day, &jday);
        append_num(out, "%3.3d", jday);
        fd.jday = jday;
      } else {
        out += "000";
      }
      fd.month = month;
      fd.day = day;
      break;
    }
    default: {  // Y m d h n
      int32_t Date::*field = date_member(f.letter);
      // A fixed hour or minute is cut to the step; hours and minutes take
      // step codes, days day codes.
      bool hour_or_min = f.letter == 'h' || f.letter == 'n';
      char code_kind = hour_or_min ? 'c' : f.letter == 'd' ? 'd' : 0;
      int v = pick(s.set.*field, src.*field, n, hour_or_min, code_kind);
      append_num(out, f.letter == 'Y' ? "%4.4d" : "%2.2d", v < 0 ? 0 : v);
      fd.*field = v;
      break;
    }
  }
  s.late_off = field_step(f.letter, n, s.late_off);  // unchanged for the fields without a file step
}

// Expands a template for the source date. `xpath`, when given, replaces the
// directory fields.
std::string expand(const char *tmpl, const Date &src, const std::string *xpath) {
  NameState &s = naming();
  std::string out;
  const char *t = tmpl;
  TemplateField f;
  while (next_field(&t, &f)) {
    switch (f.kind) {
      case TemplateField::literal:
        if (f.letter == ' ')
          out += '_';
        else if (f.letter != '{' && f.letter != '}')  // braces stand for nothing here
          out += f.letter;
        break;
      case TemplateField::percent:
      case TemplateField::lone_percent: out += '%'; break;
      case TemplateField::date: expand_date(f, src, out); break;
      case TemplateField::ext: out += s.ext; break;
      case TemplateField::resource:
        if (xpath) {
          out += *xpath;
        } else if (const char *v = RES_get(f.name.c_str())) {
          out += v;
        }
        break;
      case TemplateField::directory: {
        std::string dir = xpath ? *xpath : resource_or(f.name.c_str(), ".");
        // A directory value ending in "/" before the template's "/" would double it.
        if (*t == '/' && !dir.empty() && dir.back() == '/') dir.pop_back();
        out += dir;
        break;
      }
      case TemplateField::key: {
        std::string value = key_text(f.letter, f.n);
        out += value.empty() ? "0" : value;
        break;
      }
    }
  }
  if (out.size() >= QEL_NAME_LEN) out.resize(QEL_NAME_LEN - 1);
  return out;
}

}  // namespace

// ---------------------------------------------------------------------------
// Conventions and templates

int FILE_set_name(char *type) {
  NameState &s = naming();
  s.filename[0] = '\0';
  if (!type || stricmp(type, "none") == 0) {
    s.conv[0] = s.hconv[0] = '\0';
    s.min_size = 0;
    return 0;
  }
  if (type[0] == '@') {  // a literal template, no lookup
    str_copy(s.conv, type + 1, sizeof s.conv);
    s.hconv[0] = '\0';
    s.min_size = 0;
    return 1;
  }
  split_keys(type);

  const char *conv_name = RES_get("name_conv");
  char path[QEL_NAME_LEN];
  FILE_add_path(RES_get("file_path"), conv_name && *conv_name ? conv_name : "name_conv", path);
  // The convention file is always a plain file: no stream names, no commands.
  std::string real = expand_user(path);
  FILE *ifile = FILE_is_stdio(path) ? nullptr : fopen(real.c_str(), "r");
  if (!ifile) {
    MESS_print(M_WARN, "FILE_set_name: No file name convention file: %s\n", path);
    str_copy(s.conv, type, sizeof s.conv);
    s.hconv[0] = '\0';
    s.min_size = 0;
    return 0;
  }
  MESS_print(M_DEBUGA, "Opening name convention file: %s\n", path);
  s.ext[0] = '\0';

  int found = 0;
  char *line = nullptr;
  size_t cap = 0;
  ssize_t len;
  while (!found && (len = getline(&line, &cap, ifile)) >= 0) {
    if (len > QEL_NAME_LEN) line[QEL_NAME_LEN] = '\0';  // a line holds up to 160 characters
    wsstrip_string(line);
    if (line[0] == '#') continue;
    s.conv[0] = s.hconv[0] = '\0';
    s.min_size = 0;
    std::vector<std::string> w = line_words(line);
    if (w.empty()) continue;
    if (w.size() > 1) str_copy(s.conv, w[1].c_str(), sizeof s.conv);
    if (w.size() > 2 && w[2][0] != '-') str_copy(s.hconv, w[2].c_str(), sizeof s.hconv);
    if (w.size() > 3) {
      long v = strtol(w[3].c_str(), nullptr, 10);
      // -1 lets empty files count (a missing one has size -1); lower values mean the same.
      s.min_size = v < -1 ? -1 : v;
    }
    const std::string &ltype = w[0];
    if (stricmp(ltype.c_str(), type) == 0) {
      MESS_print(M_DEBUGA, "File name match for: %s\n", type);
      found = 1;
    } else if (ltype.size() < strlen(type) && strncasecmp(ltype.c_str(), type, ltype.size()) == 0) {
      const char *under = strrchr(type, '_');
      if (under) str_copy(s.ext, under + 1, sizeof s.ext);
      MESS_print(M_DEBUGA, "File name partial match for: %s-%s ext: %s\n", type, ltype.c_str(), s.ext);
      found = 1;
    }
  }
  free(line);
  fclose(ifile);
  if (found) return 1;

  // No line for the type: the type text is its own template, and no header
  // template or minimum size of an unrelated line is kept.
  str_copy(s.conv, type, sizeof s.conv);
  s.hconv[0] = '\0';
  s.min_size = 0;
  MESS_print(M_DEBUGA, "No file name conversion for: %s\n", type);
  return 0;
}

int FILE_set_date(Date *date, char *out) {
  NameState &s = naming();
  bool hdr = s.header != 0;
  char result[QEL_NAME_LEN];
  if (!hdr && !s.conv[0]) {
    str_copy(result, s.filename[0] ? s.filename : "filename", sizeof result);
    s.filename_type = 1;
    put_name(out, result);
    return 1;
  }
  if (!hdr && FILE_is_stdio(s.conv)) {
    s.filename_type = 0;
    put_name(out, "-");
    return 1;
  }

  std::string xpath;
  bool have_xpath = false;
  if (s.filename_type == 1) {
    const char *named = s.filename[0] ? s.filename : s.user_file;
    if (FILE_fullpath(named)) {
      xpath = extracted_path(named, s.conv);
      have_xpath = true;
      MESS_print(M_DEBUGC, "Extracted path: %s\n", xpath.c_str());
    }
  }

  const char *tmpl = hdr ? s.hconv : s.conv;
  s.late_off = QEL_MISS;
  Date src = date ? *date : s.file_date;
  if (date) {
    Date &fd = s.file_date;
    fd.year = fd.month = fd.day = fd.hour = fd.min = QEL_MISS;
  }
  if (!hdr && src.year == QEL_MISS && s.filename[0]) {
    s.filename_type = 1;
    put_name(out, s.filename);
    return 1;
  }
  align_to_codes(&src);
  std::string name = expand(tmpl, src, have_xpath ? &xpath : nullptr);
  // A header-file name is not the data file: `filename` keeps the latter.
  if (!hdr) str_copy(s.filename, name.c_str(), sizeof s.filename);
  put_name(out, name.c_str());
  return 0;
}

int FILE_hdr_set_date(Date *date, char *out) {
  NameState &s = naming();
  const Date *d = date ? date : &s.file_date;
  if (d->year == QEL_MISS) {
    if (out) out[0] = '\0';
    return 0;
  }
  char name[QEL_NAME_LEN] = "";
  s.header = 1;
  FILE_set_date(date, name);
  s.header = 0;
  put_name(out, name);
  return name[0] ? 1 : 0;
}

int FILE_set_key(char key, const char *value) {
  char *k = naming().keys[static_cast<unsigned char>(key)];
  if (!value) {
    k[0] = '\0';
    return 0;
  }
  str_copy(k, value, 30);
  fill_string(k, ' ', '_');
  return 0;
}

const char *FILE_get_filename(char *buf) {
  NameState &s = naming();
  put_name(buf, s.filename);
  return s.filename;
}

int FILE_get_filename_type() { return naming().filename_type; }

namespace {

// Copies what FILE_save_name_conv saves between the naming state and the copy.
template <class To, class From>
void copy_saved_part(To &to, const From &from) {
  to.late_off = from.late_off;
  str_copy(to.conv, from.conv, sizeof to.conv);
  str_copy(to.hconv, from.hconv, sizeof to.hconv);
  str_copy(to.filename, from.filename, sizeof to.filename);
  to.filename_type = from.filename_type;
}

}  // namespace

int FILE_save_name_conv() {
  copy_saved_part(saved, naming());
  return 0;
}

int FILE_restore_name_conv() {
  copy_saved_part(naming(), saved);
  return 0;
}

// ---------------------------------------------------------------------------
// What the selection chose

int FILE_user_command(const char *name) {
  const NameState &s = naming();
  return name && name[0] == '|' && strcmp(name, s.user_text) == 0;
}

int FILE_none_chosen() { return naming().none_chosen; }
