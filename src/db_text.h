// db_text.h: what the region file and city database readers (region.cc,
// cty_read.cc, cty_tool.cc) share: finding a file in the "file_path"
// directory, lines cut to a stated length, blank-separated words, and
// numbers that either convert as "%f" and "%d" would or fail. A number
// never converts to an infinity, a NaN or a value out of range; a word
// never overflows a field (the caller cuts it to the field's size).
#pragma once

#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "qelresrc.h"

namespace qeldb {

/// Joins `name` to the "file_path" directory into `out` (160). false when
/// the joined name would not fit: cutting it would name another file.
inline bool in_file_path(const char *name, char *out) {
  const char *dir = RES_get("file_path");
  FILE_add_path(dir, name, out);
  size_t want = strlen(name);
  if (!FILE_is_stdio(name) && !FILE_fullpath(name) && dir && *dir)
    want += strlen(dir) + (dir[strlen(dir) - 1] != '/' ? 1 : 0);
  return want < static_cast<size_t>(QEL_NAME_LEN);
}

/// Opens a database file by name ("~" expanded; never a standard stream or
/// a command). null when it cannot be opened.
inline FILE *open_file(const char *name, const char *mode) {
  if (!name || FILE_is_stdio(name)) return nullptr;
  char real[QEL_NAME_LEN];
  FILE_add_user_path(name, real);
  return fopen(real, mode);
}

/// Reads the next line into `line` without its "\n", keeping at most `cap`
/// characters; the rest of a longer line is skipped. false at end of file.
/// (The station table is read whole at once: a byte at a time through an
/// unlocked stream.)
inline bool read_line(FILE *file, std::string &line, size_t cap) {
  line.clear();
  int c = getc_unlocked(file);
  if (c == EOF) return false;
  for (; c != EOF && c != '\n'; c = getc_unlocked(file))
    if (line.size() < cap) line.push_back(static_cast<char>(c));
  return true;
}

/// The words of a line, separated by white space as for "%s", into `out`
/// (whose strings keep their room from one line to the next).
inline void words(const std::string &line, std::vector<std::string> &out) {
  size_t count = 0, i = 0, n = line.size();
  auto blank = [&](size_t k) { return is_space_char(line[k]); };  // isspace of the "C" locale
  while (i < n) {
    while (i < n && blank(i)) i++;
    size_t start = i;
    while (i < n && !blank(i)) i++;
    if (i == start) break;
    if (count == out.size()) out.emplace_back();
    out[count++].assign(line, start, i - start);
  }
  out.resize(count);
}

/// The words of a line, separated by white space as for "%s".
inline std::vector<std::string> words(const std::string &line) {
  std::vector<std::string> out;
  words(line, out);
  return out;
}

/// As "%f": leading blanks, then the longest number. false (nothing stored)
/// when no number starts the text or it is not a finite float.
inline bool to_float(const char *text, float *out) {
  char *end = nullptr;
  float v = strtof(text, &end);
  if (end == text || !std::isfinite(v)) return false;
  *out = v;
  return true;
}

/// As "%d": leading blanks, sign, digits. false (nothing stored) when no
/// number starts the text or it does not fit an int.
inline bool to_int(const char *text, int *out) {
  char *end = nullptr;
  errno = 0;
  long v = strtol(text, &end, 10);
  if (end == text || errno == ERANGE || v < INT_MIN || v > INT_MAX) return false;
  *out = static_cast<int>(v);
  return true;
}

}  // namespace qeldb
