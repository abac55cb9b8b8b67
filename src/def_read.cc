// def_read.cc: defaults files and per-resource environment variables. It
// owns the open defaults file, the program's name and instance name, the
// defined tags and the condition stack of IF blocks. Tags, the stack and
// `matches` live across files (opening and closing a file resets nothing);
// `matches` is 1 exactly when every open IF block has its branch taken.

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qelresrc.h"

namespace {

constexpr int kMaxTags = 10;
constexpr int kLineLen = 249;       // a longer line is read in pieces
constexpr size_t kNameSize = 50;    // DEF_get's name buffer
constexpr size_t kValueSize = 200;  // DEF_get's and DEF_env's value buffer
constexpr size_t kProgSize = 30;    // program and instance names

// Condition-stack entries of one IF block.
constexpr signed char kNotYet = 0;  // no branch taken yet
constexpr signed char kTaken = 1;   // the current branch is taken
constexpr signed char kDone = 99;   // an earlier branch was taken

struct DefState {
  FILE *def_file = nullptr;
  char prog_name[kProgSize] = "Qel";
  char prog_title[kProgSize] = "";
  const char *tag[kMaxTags] = {};
  bool own[kMaxTags] = {};  // tags from DEF lines are our copies
  int num_tag = 0;
  std::string prefix = "Qel.";     // of every full resource name (make_prefix)
  std::string file_name;           // name of the open defaults file
  std::vector<signed char> match;  // one entry per open IF, no depth limit
  size_t not_taken = 0;            // entries of `match` other than kTaken
  int matches = 1;
};

DefState st;

bool tag_defined(const char *name) {
  for (int i = 0; i < st.num_tag; i++)
    if (stricmp(st.tag[i], name) == 0) return true;
  return false;
}

void remove_tag(int i) {
  if (st.own[i]) free(const_cast<char *>(st.tag[i]));
  for (int k = i; k + 1 < st.num_tag; k++) {
    st.tag[k] = st.tag[k + 1];
    st.own[k] = st.own[k + 1];
  }
  st.num_tag--;
}

// The condition stack changes only at its top, and `not_taken` follows
// it, so `matches` costs nothing however deep the blocks nest.
void push_match(signed char m) {
  st.match.push_back(m);
  if (m != kTaken) st.not_taken++;
  st.matches = st.not_taken == 0;
}

void set_top(signed char m) {
  signed char &top = st.match.back();
  if (top != kTaken) st.not_taken--;
  top = m;
  if (top != kTaken) st.not_taken++;
  st.matches = st.not_taken == 0;
}

void pop_match() {
  if (st.match.back() != kTaken) st.not_taken--;
  st.match.pop_back();
  st.matches = st.not_taken == 0;
}

// Makes what the full names of this program's resources begin with: the
// program's name and its "+" instance name, or the instance name alone, or
// the program's name, followed by ".".
void make_prefix() {
  if (st.prog_title[0] == '+')
    st.prefix = std::string(st.prog_name) + "." + (st.prog_title + 1) + ".";
  else
    st.prefix = std::string(st.prog_title[0] ? st.prog_title : st.prog_name) + ".";
}

const std::string &name_prefix() { return st.prefix; }

// The full name this program gives to resource `resrc`.
std::string full_name(const char *resrc) { return name_prefix() + resrc; }

// The first occurrence of seg[0, len) in `s`, or null.
const char *find_segment(const char *s, const char *seg, size_t len) {
  if (len == 0) return s;
  for (; *s; s++)
    if (*s == seg[0] && strncmp(s, seg, len) == 0) return s;
  return nullptr;
}

// Pattern `pat` against `full`: "*" finds the first occurrence of the text
// up to the next "*" and goes on from there; both must end together.
// Every line of a defaults file is matched against every resource, so
// nothing here allocates.
int pattern_match(const char *pat, const char *full) {
  const char *p = pat, *s = full;
  while (*p && *s) {
    if (*p == '*') {
      p++;
      const char *end = strchr(p, '*');
      const char *at = find_segment(s, p, end ? static_cast<size_t>(end - p) : strlen(p));
      if (!at) return 0;
      s = at;
      continue;
    }
    if (*p != *s) return 0;
    p++;
    s++;
  }
  return *p == '\0' && *s == '\0' ? 1 : 0;
}

// The start and length of the next whitespace-separated word at or after
// *pos; false when there is none.
bool next_word(const char *line, size_t *pos, size_t *start, size_t *len) {
  size_t i = *pos;
  while (line[i] && is_space_char(line[i])) i++;
  if (!line[i]) return false;
  *start = i;
  while (line[i] && !is_space_char(line[i])) i++;
  *len = i - *start;
  *pos = i;
  return true;
}

bool word_is(const std::string &w, const char *directive) { return w == directive; }

}  // namespace

int DEF_prog() {
  // The part of the first command-line word after its last "/", as long as
  // prog_name holds (RES_get_progname's own buffer form stops at 19).
  const char *full = RES_get_prog();
  const char *slash = full ? strrchr(full, '/') : nullptr;
  str_copy(st.prog_name, !full ? "QEL" : slash ? slash + 1 : full, sizeof st.prog_name);
  make_prefix();
  return 0;
}

int DEF_name(const char *name) {
  str_copy(st.prog_title, name ? name : "", sizeof st.prog_title);
  make_prefix();
  return 0;
}

int DEF_clr_tag() {
  while (st.num_tag > 0) remove_tag(st.num_tag - 1);
  return 0;
}

int DEF_tag(const char *str) {
  if (st.num_tag >= kMaxTags) return -1;
  if (!str) return 0;
  st.tag[st.num_tag] = str;
  st.own[st.num_tag] = false;
  st.num_tag++;
  return 0;
}

int DEF_open(const char *filename) {
  const char *name = filename && *filename ? filename : ".qeldef";
  // Names are file names: at most 159 characters. A directory whose
  // candidates would be longer is not searched, rather than cut to a
  // different name.
  char path[QEL_NAME_LEN];
  if (FILE_is_dir(name)) {
    static const char *const kCandidates[] = {"qel.cfg", ".qeldef", "Qel.res"};
    bool fits = false;
    for (const char *cand : kCandidates) {
      char dir[QEL_NAME_LEN + 1];
      if (str_copy(dir, name, QEL_NAME_LEN) >= QEL_NAME_LEN - 1) break;
      FILE_add_path_delim(dir);
      fits = snprintf(path, sizeof path, "%s%s", dir, cand) < static_cast<int>(sizeof path);
      if (!fits || FILE_exist(path)) break;
    }
    DEF_close();
    if (!fits) return -1;
    name = path;
  } else {
    DEF_close();
  }
  st.def_file = FILE_open(name, "r");
  if (st.def_file) st.file_name = name;
  return st.def_file ? 0 : -1;
}

const char *DEF_file_name() { return st.def_file ? st.file_name.c_str() : ""; }

int DEF_close() {
  // A standard stream named as a defaults file is read, never closed.
  if (st.def_file && st.def_file != stdin && st.def_file != stdout && st.def_file != stderr) fclose(st.def_file);
  st.def_file = nullptr;
  return 0;
}

int DEF_get(char *resrc, char *value) {
  if (!resrc || !st.def_file) return -1;
  char line[kLineLen + 1];
  for (;;) {
    int got = fgetstring(st.def_file, line, kLineLen);
    if (got < 0) return -1;
    if (line[0] == '#') continue;

    size_t pos = 0, s1 = 0, l1 = 0, s2 = 0, l2 = 0;
    if (!next_word(line, &pos, &s1, &l1)) continue;
    std::string first(line + s1, l1);
    bool has_second = next_word(line, &pos, &s2, &l2);
    std::string second = has_second ? std::string(line + s2, l2) : std::string();

    if (word_is(first, "DEF")) {
      if (has_second && st.num_tag < kMaxTags) {
        char *copy = strdup(second.c_str());
        if (copy) {
          st.tag[st.num_tag] = copy;
          st.own[st.num_tag] = true;
          st.num_tag++;
        }
      }
      continue;
    }
    if (word_is(first, "UNDEF")) {
      if (has_second)
        for (int i = 0; i < st.num_tag; i++)
          if (stricmp(st.tag[i], second.c_str()) == 0) {
            remove_tag(i);
            break;
          }
      continue;
    }
    if (word_is(first, "IF")) {
      if (has_second) push_match(tag_defined(second.c_str()) ? kTaken : kNotYet);
      continue;
    }
    if (word_is(first, "ELSE")) {
      if (st.match.empty()) {
        MESS_print(M_WARN, "DEF_get: else without an if\n");
      } else {
        set_top(st.match.back() == kNotYet ? kTaken : kDone);
      }
      continue;
    }
    if (word_is(first, "ELIF")) {
      if (!has_second) continue;
      if (st.match.empty()) {
        MESS_print(M_WARN, "DEF_get: elif without an if\n");
      } else {
        signed char top = st.match.back();
        if (top == kTaken || top == kDone)
          set_top(kDone);
        else
          set_top(tag_defined(second.c_str()) ? kTaken : kNotYet);
      }
      continue;
    }
    if (word_is(first, "END")) {
      if (st.match.empty()) {
        MESS_print(M_WARN, "DEF_get: end without an if\n");
      } else {
        pop_match();
      }
      continue;
    }

    // A resource line: name and value, inactive blocks skipped.
    if (!has_second || !st.matches) continue;
    if (second[0] == '"') {
      // A quoted value runs to the next quote (or the end of the line).
      const char *open = line + s2 + 1;
      const char *close = strchr(open, '"');
      second.assign(open, close ? static_cast<size_t>(close - open) : strlen(open));
    }
    if (!first.empty() && first.back() == ':') first.pop_back();
    for (char &c : first) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    str_copy(resrc, first.c_str(), kNameSize);
    if (value) str_copy(value, second.c_str(), kValueSize);
    return 1;
  }
}

int DEF_cmp(const char *resrc, const char *string) {
  if (!resrc || !string) return 0;
  // The full name is made on the stack when it fits (it always does for
  // the names of the catalogue).
  char full[128];
  const std::string &prefix = name_prefix();
  size_t n = strlen(resrc);
  if (prefix.size() + n >= sizeof full) return pattern_match(string, full_name(resrc).c_str());
  memcpy(full, prefix.data(), prefix.size());
  memcpy(full + prefix.size(), resrc, n + 1);
  return pattern_match(string, full);
}

int DEF_valid(const char *string) {
  if (!string) return 0;
  char part[kNameSize];
  DEF_parse_name(string, part);
  return DEF_cmp(part, string);
}

int DEF_parse_name(const char *str, char *ostr) {
  const char *last = str;
  for (const char *p = str; *p; p++)
    if (*p == '.' || *p == '*') last = p + 1;
  str_copy(ostr, last, kNameSize);
  return 1;
}

int DEF_env(const char *resrc, const char *env, char *value) {
  if (!resrc) return 0;
  // Variable names are built without a length limit: a cut name could
  // find another variable.
  std::string names[3] = {"qel" + full_name(resrc), env ? env : "", std::string("qel") + resrc};
  for (const std::string &n : names) {
    if (n.empty()) continue;
    const char *v = getenv(n.c_str());
    if (v) {
      str_copy(value, v, kValueSize);
      return 1;
    }
  }
  return 0;
}
