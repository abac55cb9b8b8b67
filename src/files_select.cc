// files_select.cc: choosing the input file. A typed name is completed by
// running the data type's template backwards over it (reading its date);
// a "current"/"latest" text picks the file of a time, stepping back one file
// at a time to the newest one present; with nothing given the user picks
// from a listing at a prompt.
//
// State: the naming context of files_state.h. `set` (fixed date fields)
// persists for the run once the user fixes it; `file_date` is the date of
// the last name made or read. Listings never go through a shell.

#include <glob.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "files_state.h"
#include "qelresrc.h"

using namespace qelfiles;

namespace {

bool starts_ci(const char *s, const char *prefix) { return strncasecmp(s, prefix, strlen(prefix)) == 0; }

// Reads up to `max` digits at *p (advancing); false when none is there.
bool read_digits(const char **p, int max, int *value) {
  if (!is_digit_char(**p)) return false;
  int v = 0;
  for (int i = 0; i < max && is_digit_char(**p); i++) v = v * 10 + (*(*p)++ - '0');
  *value = v;
  return true;
}

// Reads an unsigned number of at most nine digits (more are skipped).
int64_t read_count(const char **p) {
  int64_t v = 0;
  for (int i = 0; is_digit_char(**p); i++, (*p)++)
    if (i < 9) v = v * 10 + (**p - '0');
  return v;
}

// A fixed date after "#": year (4 digits), then month, day, hour and minute
// (2 digits each), each read only while digits follow. Fields that are read
// are stored in `d`; the others are left alone. *p ends after the digits read.
void read_fixed(const char **p, Date *d) {
  int v;
  if (!read_digits(p, 4, &v)) return;
  d->year = v;
  int32_t *fields[] = {&d->month, &d->day, &d->hour, &d->min};
  for (int32_t *f : fields) {
    if (!read_digits(p, 2, &v)) return;
    *f = v;
  }
}

// "+" forward, "-" or nothing back in time.
int read_sign(const char **p) {
  if (**p == '+') {
    (*p)++;
    return 1;
  }
  if (**p == '-') (*p)++;
  return -1;
}

// An offset "Nd[H][:M]" or "H[:M]", in seconds.
int64_t read_offset(const char **p, int64_t *days, int64_t *hours, int64_t *mins) {
  *days = *hours = *mins = 0;
  int64_t first = read_count(p);
  if (**p == 'd' || **p == 'D') {
    *days = first;
    (*p)++;
    if (is_digit_char(**p)) *hours = read_count(p);
  } else {
    *hours = first;
  }
  if (**p == ':' && is_digit_char((*p)[1])) {
    (*p)++;
    *mins = read_count(p);
  }
  return *days * 86400 + *hours * 3600 + *mins * 60;
}

Date breakdown(int64_t t) {
  Date d;
  DATE_get_gmdate(&t, &d);
  return d;
}

// Moves the base time back to the fixed fields of `set` that are in force.
int64_t adjust_to_set(int64_t t) {
  const Date &set = naming().set;
  Date d = breakdown(t);
  if (set.month >= 0 && d.month < set.month) {
    d.year--;
    d.month = set.month;
    t = DATE_num_sec(&d);
    d = breakdown(t);
  }
  if (set.day >= 0 && d.day < set.day) {
    if (--d.month < 1) {
      d.month = 12;
      d.year--;
    }
    d.day = set.day;
    t = DATE_num_sec(&d);
    d = breakdown(t);
  }
  if (set.hour >= 0) {
    if (d.hour < set.hour) d = breakdown(t - 86400);
    d.hour = set.hour;
    t = DATE_num_sec(&d);
    d = breakdown(t);
  }
  if (set.min >= 0) {
    if (d.min < set.min) d = breakdown(t - 3600);
    d.min = set.min;
    t = DATE_num_sec(&d);
  }
  return t;
}

// ---------------------------------------------------------------------------
// Matching a typed name against the template

enum class MatchState { none, path, date, end };

const char *state_name(MatchState st) {
  switch (st) {
    case MatchState::none: return "none";
    case MatchState::path: return "path";
    case MatchState::date: return "date";
    default: return "end";
  }
}

// The literal text that follows a template position, up to its next field.
std::string literal_run(const char *t) {
  std::string lit;
  for (; *t && *t != '%' && *t != '{' && *t != '}' && *t != '*'; t++) lit += *t == ' ' ? '_' : *t;
  return lit;
}

struct Matcher {
  NameState &s = naming();
  const char *name;  // the part of the typed name not yet matched
  bool flat;         // the typed name has no "/"
  bool full;         // the typed name is a full path
  MatchState state = MatchState::none;
  std::string out;
  bool done = false;

  explicit Matcher(const char *typed) : name(typed), flat(!strchr(typed, '/')), full(FILE_fullpath(typed)) {}

  void copy_rest() {
    out += name;
    name += strlen(name);
    done = true;
  }

  void trace_match(const char *what) {
    MESS_print(M_DEBUG, "FILES:%s:%s:%s:%s:%s:%d\n", what, state_name(state), name, out.c_str(), s.ext, s.late_off);
  }

  // A directory field: the resource's directory for a short name, the
  // typed directory for a full path.
  void directory(const std::string &value, const char **t) {
    if (!full) {
      std::string dir = value;
      if (**t == '/') {
        if (!dir.empty() && dir.back() == '/') dir.pop_back();
        dir += '/';
        (*t)++;
      }
      out += dir;
    } else {
      int seps = 0;
      for (const char *r = *t; *r; r++)
        if (*r == '/' || *r == '\\' || *r == ':') seps++;
      long pos = -1;
      for (long i = static_cast<long>(strlen(name)) - 1; i >= 0 && seps > 0; i--) {
        if (name[i] == '/' || (i == 1 && name[i] == ':')) {
          if (--seps == 0) pos = i;
        }
      }
      if (pos > 0) {
        out.append(name, static_cast<size_t>(pos));
        name += pos;
      }
    }
    state = MatchState::path;
  }

  // A date field of `width` characters.
  void date_field(char f, int n) {
    size_t width = f == 'Y' ? 4 : (f == 'j' || f == 'b') ? 3 : 2;
    if (strlen(name) < width) return copy_rest();
    std::string text(name, width);
    Date &fd = s.file_date;
    if (f == 'b') {
      int month = DATE_decode_month(text.c_str());
      if (month == 0) return copy_rest();
      fd.month = month;
    } else {
      for (char c : text)
        if (!is_digit_char(c)) return copy_rest();
      int v = atoi(text.c_str());
      if (int32_t Date::*field = date_member(f)) {
        fd.*field = v;
      } else if (f == 'y') {
        fd.year = v < 50 ? v + 2000 : v + 1900;
      } else if (f == 'j') {
        int month = 0, day = 0;
        DATE_julian_monday(fd.year, v, &month, &day);
        fd.jday = v;
        fd.month = month;
        fd.day = day;
      }
    }
    out += text;
    name += width;
    state = MatchState::date;
    s.late_off = field_step(f, n, s.late_off);
    trace_match(text.c_str());
  }

  void extension(const char *t) {
    std::string lit = literal_run(t);
    bool at_end = !*t;
    if (s.ext[0]) {
      out += s.ext;
      if (lit.empty() && at_end) {
        name += strlen(name);
      } else if (!lit.empty()) {
        const char *found = strstr(name, lit.c_str());
        if (found) name = found;
      }
      return;
    }
    const char *found = lit.empty() ? (at_end ? name + strlen(name) : nullptr) : strstr(name, lit.c_str());
    if (!found) return copy_rest();
    std::string e(name, found);
    str_copy(s.ext, e.c_str(), sizeof s.ext);
    out += e;
    name = found;
  }

  void literal(char c) {
    if (c == ' ') c = '_';
    bool used_up = !*name;
    if (!used_up && *name == c) {
      out += c;
      name++;
      if (!*name && state != MatchState::none) state = MatchState::end;
      return;
    }
    if (!used_up && state != MatchState::path) return copy_rest();
    out += c;
    if (!used_up && flat) name++;
  }

  // One field of the template other than a literal; *t is just after it.
  void field(const TemplateField &f, const char **t) {
    switch (f.kind) {
      case TemplateField::literal:
      case TemplateField::lone_percent: literal(f.letter); break;
      case TemplateField::percent:
        out += '%';
        if (*name == '%') name++;
        break;
      case TemplateField::date: date_field(f.letter, f.n); break;
      case TemplateField::ext: extension(*t); break;
      case TemplateField::resource: {
        const char *v = RES_get(f.name.c_str());
        directory(v ? v : "", t);
        break;
      }
      case TemplateField::directory: directory(resource_or(f.name.c_str(), "."), t); break;
      case TemplateField::key: {
        std::string kv = key_text(f.letter, f.n);
        if (kv.empty()) return copy_rest();
        out += kv;
        size_t skip = std::min(kv.size(), strlen(name));
        name += skip;
        break;
      }
    }
  }

  // Braced text after "{": its characters are copied as they are, its
  // fields matched, up to the closing brace.
  void braced(const char **t) {
    TemplateField f;
    while (**t && **t != '}' && !done) {
      next_field(t, &f);
      if (f.kind == TemplateField::literal)
        out += f.letter;
      else
        field(f, t);
    }
    if (**t == '}') (*t)++;
    state = MatchState::path;
  }

  std::string run(const char *tmpl) {
    const char *t = tmpl;
    TemplateField f;
    while (!done && next_field(&t, &f)) {
      if (f.kind != TemplateField::literal)
        field(f, &t);
      else if (f.letter == '*')
        copy_rest();
      else if (f.letter == '{')
        braced(&t);
      else if (f.letter != '}')  // a stray closing brace outside braced text stands for nothing
        literal(f.letter);
    }
    // What the template did not account for is kept, not dropped.
    if (!done) out += name;
    if (out.size() >= QEL_NAME_LEN) out.resize(QEL_NAME_LEN - 1);
    return out;
  }
};

void match_template(const char *typed) {
  NameState &s = naming();
  s.late_off = QEL_MISS;
  Matcher m(typed);
  std::string result = m.run(s.header ? s.hconv : s.conv);
  set_filename(result.c_str(), 1);
  MESS_print(M_DEBUG, "FILES:%s:%s:%d\n", typed, s.filename, s.late_off);
  DATE_print(M_DEBUG, &s.file_date);
}

// Whether `p` is a whole time text as FILE_set_current reads it:
// [#digits] [sign] [offset [sign]] [l|la [#count] [sign]] [offset], where
// an offset is "N[d[H]][:M]" and every part may be left out (so the empty
// text is one). A typed name beginning with "cu" or "la" is a time only
// when the rest is one; "cut.txt" or "latest.txt" are names of files.
bool is_time_text(const char *p) {
  auto skip_digits = [&p] {
    while (is_digit_char(*p)) p++;
  };
  auto skip_sign = [&p] {
    if (*p == '+' || *p == '-') p++;
  };
  auto offset = [&] {
    skip_digits();
    if (*p == 'd' || *p == 'D') {
      p++;
      skip_digits();
    }
    if (*p == ':' && is_digit_char(p[1])) {
      p++;
      skip_digits();
    }
  };
  if (*p == '#') {
    p++;
    skip_digits();
  }
  skip_sign();
  if (is_digit_char(*p)) {
    offset();
    skip_sign();
  }
  if (*p == 'l' || *p == 'L') {
    p++;
    if (*p == 'a' || *p == 'A') p++;
    if (*p == '#') {
      p++;
      skip_digits();
    }
    skip_sign();
  }
  if (is_digit_char(*p)) offset();
  return *p == '\0';
}

// "la..." that is a time text as a whole; "cu" followed by one.
bool latest_word(const char *name) { return starts_ci(name, "la") && is_time_text(name); }
bool current_word(const char *name) { return starts_ci(name, "cu") && is_time_text(name + 2); }

// Resolves a time text and reports the chosen name.
void resolve_current(const char *when) {
  FILE_set_current(when, nullptr);
  MESS_print(M_MESS, "Current filename: %s\n", naming().filename);
}

// ---------------------------------------------------------------------------
// Listing

// Glob characters in a value (a resource, key or extension) stand for
// themselves.
void add_literal(std::string &pat, const std::string &text) {
  for (char c : text) {
    if (c == '*' || c == '?' || c == '[' || c == ']' || c == '\\') pat += '\\';
    pat += c;
  }
}

std::string list_pattern(const char *tmpl) {
  const NameState &s = naming();
  std::string pat;
  if (!*tmpl) return "*";  // no convention: the files of the current directory
  const char *t = tmpl;
  TemplateField f;
  while (next_field(&t, &f)) {
    switch (f.kind) {
      case TemplateField::literal:
        // The template's own characters stand as they are, so a "*" or "?"
        // in it matches as a wildcard; blanks are "_" in every made name.
        if (f.letter != '{' && f.letter != '}') pat += f.letter == ' ' ? '_' : f.letter;
        break;
      case TemplateField::percent:
      case TemplateField::lone_percent: add_literal(pat, "%"); break;
      case TemplateField::date:
        switch (f.letter) {
          case 'Y': pat += "?[0-9]??"; break;
          case 'b': pat += "?[a-z]?"; break;
          case 'j': pat += "?[0-9]?"; break;
          default: pat += "[0-9]?"; break;  // y m d h n
        }
        break;
      case TemplateField::ext:
        if (s.ext[0])
          add_literal(pat, s.ext);
        else
          pat += "*";
        break;
      case TemplateField::resource:
        if (const char *v = RES_get(f.name.c_str())) add_literal(pat, v);
        break;
      case TemplateField::directory: add_literal(pat, resource_or(f.name.c_str(), ".")); break;
      case TemplateField::key: {
        std::string kv = key_text(f.letter, f.n);
        if (!kv.empty())
          add_literal(pat, kv);
        else
          pat += f.n > 0 ? std::string(f.n, '?') : std::string("*");
        break;
      }
    }
  }
  return pat;
}

// Prints names across rows in columns, as "ls -x" does on an 80-column page.
void print_columns(const std::vector<std::string> &names) {
  if (names.empty()) return;
  size_t widest = 0;
  for (const std::string &n : names) widest = std::max(widest, n.size());
  size_t colw = widest + 2;
  size_t cols = colw < 80 ? 80 / colw : 1;
  for (size_t i = 0; i < names.size(); i++) {
    bool last_in_row = (i + 1) % cols == 0 || i + 1 == names.size();
    if (last_in_row)
      MESS_print(M_PRINT, "%s\n", names[i].c_str());
    else
      MESS_print(M_PRINT, "%-*s", static_cast<int>(colw), names[i].c_str());
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Selection

int FILE_get_file_only(const char *prompt, char *out) { return FILE_get_file_at(prompt, 0, out); }

int FILE_get_file_at(const char *prompt, int index, char *out) {
  NameState &s = naming();
  const char *named = RES_get("filename");
  // A list holds one name per line (the bulletin files of a comparison of
  // models); the name at `index` is used. Past the list's end, or where
  // the list holds an empty line, no name is given.
  for (int k = 0; named && *named && k < index; k++) {
    named = strchr(named, '\n');
    if (named) named++;
  }
  if (named && *named && *named != '\n') {
    std::string first(named, strcspn(named, "\n"));
    if (stricmp(first.c_str(), "list") == 0) {
      FILE_list_file();
      QEL_exit(0);
    }
    // A name from a defaults file of the current directory is no command:
    // whoever can write there cannot make the tool run one.
    const char *origin = RES_get_origin("filename");
    const char *bare = first[0] == '@' ? first.c_str() + 1 : first.c_str();
    if (origin && bare[0] == '|') {
      std::string source = std::string("the defaults file ") + origin + " in the current directory";
      MESS_print(M_WARN, "Command not run: %s (from %s)\n", bare, source.c_str());
      set_filename(bare, 1);
      put_name(out, s.filename);
      s.user_text[0] = '\0';
      s.none_chosen = true;
      return 0;
    }
    FILE_set_file(first.c_str(), out);
    return FILE_exist(s.filename);
  }

  const char *current = RES_get("current");
  if (current || FLAG_batch()) {
    FILE_set_current(current ? current : "la", out);
    if (!FILE_exist(s.filename)) return 0;
    MESS_print(M_MESS, "Current filename: %s\n", s.filename);
    return 1;
  }

  MESS_print(M_PRINT, "List of available files:\n");
  FILE_list_file();
  MESS_print(M_PRINT, "\n");
  char answer[80] = "";
  QEL_prompts(prompt ? prompt : "", answer, sizeof answer);
  s.filename_type = 1;
  if (stricmp(answer, "exit") == 0) QEL_exit(0);
  if (stricmp(answer, "list") == 0)
    FILE_list_file();  // nothing chosen: the previous name stands
  else if (answer[0] == '#' || latest_word(answer))
    resolve_current(answer);
  else if (current_word(answer))
    resolve_current(answer + 2);
  else
    FILE_set_file(answer, nullptr);
  put_name(out, s.filename);
  return FILE_exist(s.filename);
}

int FILE_set_file(const char *typed, char *out) {
  NameState &s = naming();
  char name[QEL_NAME_LEN];
  str_copy(name, typed ? typed : "", sizeof name);
  Date &fd = s.file_date;
  fd.year = fd.month = fd.day = fd.hour = fd.min = QEL_MISS;

  // A "#" after the first character carries fixed date fields for the rest
  // of the run; a time text keeps its own "#" (the base time, "la#10").
  bool time_text = name[0] == '#' || current_word(name) || latest_word(name);
  char *hash = name[0] && !time_text ? strchr(name + 1, '#') : nullptr;
  if (hash) {
    *hash = '\0';
    const char *digits = hash + 1;
    read_fixed(&digits, &s.set);
  }
  s.file_date = s.set;
  s.none_chosen = false;
  str_copy(s.user_text, name[0] == '@' ? name + 1 : name, sizeof s.user_text);

  if (stricmp(name, "exit") == 0) QEL_exit(0);
  if (name[0] == '@')
    set_filename(name + 1, 1);
  else if (FILE_is_stdio(name) || (s.conv[0] && FILE_is_stdio(s.conv)))
    set_filename("-", 0);
  else if (!s.conv[0])
    set_filename(name, 1);
  else if (name[0] == '#' || latest_word(name))
    resolve_current(name);
  else if (current_word(name))
    resolve_current(name + 2);
  else if (stricmp(name, "none") == 0 || (FILE_fullpath(s.conv) && FILE_fullpath(name)))
    set_filename(name, 1);
  else
    match_template(name);
  put_name(out, s.filename);
  return 0;
}

int64_t FILE_set_current(const char *when, char *out) {
  NameState &s = naming();
  if (!when) when = "la";
  s.filename_type = 0;
  s.user_file[0] = '\0';
  s.none_chosen = false;
  const char *p = when;

  // The base time: "#" and fixed digits, "qelcurtime", or the clock.
  int64_t t;
  const char *env = getenv("qelcurtime");
  if (env && *env == '#') env++;
  if (*p == '#' || (env && is_digit_char(*env))) {
    Date base = {0, 0, 0, QEL_MISS, QEL_MISS, 0, 0, 0};
    if (*p == '#') {
      p++;
      read_fixed(&p, &base);
    } else {
      read_fixed(&env, &base);
    }
    t = DATE_num_sec(&base);
  } else {
    t = DATE_get_time(nullptr);
  }
  t = adjust_to_set(t);

  int sign = read_sign(&p);
  int64_t days, hours, mins;
  if (is_digit_char(*p)) {
    t += sign * read_offset(&p, &days, &hours, &mins);
    MESS_print(M_DEBUG, "CUR1:%d %d %d %d\n", sign, static_cast<int>(days), static_cast<int>(hours),
               static_cast<int>(mins));
    MESS_print(M_DEBUG, "CUR1:%s %d\n", p, static_cast<int>(t));
    sign = read_sign(&p);
  }

  char name[QEL_NAME_LEN] = "";
  if (*p == 'l' || *p == 'L') {
    p++;
    if (*p == 'a' || *p == 'A') p++;
    int64_t tries = 500;
    if (*p == '#') {
      p++;
      int k = 0;
      if (read_digits(&p, 4, &k)) tries = k;
    }
    // A search that finds nothing chooses nothing: the name tried last is
    // not read (it may not follow the template's intent at all).
    bool found = false;
    for (int64_t i = 0; i < tries; i++) {
      Date d = breakdown(t);
      int copied = FILE_set_date(&d, name);
      MESS_print(M_DEBUG, "LATE:%d %d %d %d %d\n", d.year, d.month, d.day, d.hour, d.min);
      MESS_print(M_DEBUG, "LATE: %s\n", name);
      long size = FILE_size(name);
      found = (s.rmin_size > 0 && size > s.rmin_size) || size > s.min_size || FILE_is_stdio(name);
      if (found) break;
      // A name that does not follow the date cannot change by stepping.
      if (copied || s.late_off <= 0) break;
      t += static_cast<int64_t>(s.late_off) * sign;
    }
    s.none_chosen = !found;
    MESS_print(M_DEBUG, "LATEST: %s %s %d\n", p, name, static_cast<int>(t));
    sign = read_sign(&p);
  }

  if (is_digit_char(*p)) {
    t += sign * read_offset(&p, &days, &hours, &mins);
    MESS_print(M_DEBUG, "CUR2:%d %d %d %d\n", sign, static_cast<int>(days), static_cast<int>(hours),
               static_cast<int>(mins));
    MESS_print(M_DEBUG, "CUR2:%d\n", static_cast<int>(t));
  }

  Date d = breakdown(t);
  MESS_print(M_DEBUG, "%d %d %d %d\n", d.year, d.day, d.hour, d.min);
  FILE_set_date(&d, name);
  put_name(out, name);
  if (s.late_off > 0) t -= ((t % s.late_off) + s.late_off) % s.late_off;
  return t;
}

int FILE_list_file() {
  std::string pat = list_pattern(naming().conv);
  MESS_print(M_DEBUG, "SEARCH: %s\n", pat.c_str());
  glob_t found;
  if (glob(pat.c_str(), GLOB_TILDE, nullptr, &found) == 0) {
    std::vector<std::string> names(found.gl_pathv, found.gl_pathv + found.gl_pathc);
    print_columns(names);
  }
  globfree(&found);
  return 0;
}

int FILE_set_time(const Date *date) {
  if (date) naming().set = *date;
  return 0;
}

int FILE_get_time(Date *date) {
  *date = naming().set;
  return 0;
}

int FILE_get_date(Date *date) {
  *date = naming().file_date;
  return 0;
}
