// mos_json.h: the JSON Lines writer that the writers of every family
// share (mos_json.cc, mos_json_grid.cc): one object a line, written
// straight into one line buffer that is kept from one object to the next.
// The writers of the families are templates of their writer: the CSV
// writer (mos_csv.h) has the same members, so that CSV columns are the
// JSON keys themselves. The helpers below serve both.
#pragma once

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "qelmos.h"

namespace qeljson {

/// The decimal digits of 0 to 999, left-aligned, with their count in the
/// last byte: nearly every value of a report is one of them, written by one
/// copy of four bytes without a branch on the number of its digits.
struct SmallNumbers {
  char text[1000][4] = {};
  char three[1000][4] = {};  // the same with three digits ("007"), for the thousands below a million
  constexpr SmallNumbers() {
    for (int v = 0; v < 1000; v++) {
      int n = v >= 100 ? 3 : v >= 10 ? 2 : 1;
      for (int i = n - 1, x = v; i >= 0; i--, x /= 10) text[v][i] = static_cast<char>('0' + x % 10);
      text[v][3] = static_cast<char>(n);
      for (int i = 2, x = v; i >= 0; i--, x /= 10) three[v][i] = static_cast<char>('0' + x % 10);
    }
  }
};
inline constexpr SmallNumbers kSmallNumbers{};

/// A key written into many objects (a row of a grid block, in every column
/// object), made ready once: the comma before it, its quotes and colon
/// (`,"temp_f":`), the rest of `text` zeros. A key is cut to 58 characters.
struct ReadyKey {
  char text[64] = "";
  size_t n = 0;        // characters of text
  char plain[59] = "";  // the key alone (the CSV writer's column)
  explicit ReadyKey(const char *key = "") {
    size_t k = strnlen(key, sizeof text - 6);
    memcpy(plain, key, k);
    plain[k] = '\0';
    text[0] = ',';
    text[1] = '"';
    memcpy(text + 2, key, k);
    text[k + 2] = '"';
    text[k + 3] = ':';
    n = k + 4;
  }
};

/// Writes a real at `p` as JSON writes it, keeping a decimal point
/// ("10.0"); at most 32 characters. Returns the end.
inline char *put_real(char *p, double v) {
  char *start = p;
  p = std::to_chars(p, p + 30, v).ptr;
  if (std::find_if(start, p, [](char c) { return c == '.' || c == 'e'; }) == p) {
    memcpy(p, ".0", 2);
    p += 2;
  }
  return p;
}

/// Writes the fixed-point number num / div (div 1, 10, 100 or 1000) at `p`
/// in its shortest decimal form, a real keeping its decimal point ("10.0");
/// at most 26 characters. Returns the end.
inline char *put_fixed(char *p, int64_t num, int div) {
  if (div <= 1) return std::to_chars(p, p + 22, num).ptr;
  if (num < 0) {
    *p++ = '-';
    num = -num;
  }
  p = std::to_chars(p, p + 22, num / div).ptr;
  *p++ = '.';
  int64_t frac = num % div;
  int digits = div == 10 ? 1 : div == 100 ? 2 : 3;
  char d[3];
  for (int i = digits - 1; i >= 0; i--, frac /= 10) d[i] = static_cast<char>('0' + frac % 10);
  while (digits > 1 && d[digits - 1] == '0') digits--;
  memcpy(p, d, static_cast<size_t>(digits));
  return p + digits;
}

/// The storage every object is written into: it grows to the largest
/// object written and is kept for the next one.
std::vector<char> &line_storage();

// One JSON object, written straight into a line: keys are this module's
// own texts, numbers are formatted here, and every text that comes from
// the bulletin file goes through the JSON library, which escapes it and
// replaces bytes that are not UTF-8. Objects of thousands of stations are
// written one after the other, so nothing is kept but the line at hand.
class Writer {
 public:
  Writer() : buf_(storage()), p_(buf_.data()), end_(buf_.data() + buf_.size()) {}

  void open(char c) {
    room(2);
    sep();
    *p_++ = c;
    first_ = true;
  }
  void close(char c) {
    room(1);
    *p_++ = c;
    first_ = false;
  }
  template <size_t N>
  void key(const char (&k)[N]) {
    room(N + 4);
    sep();
    *p_++ = '"';
    memcpy(p_, k, N - 1);
    p_ += N - 1;
    *p_++ = '"';
    *p_++ = ':';
    first_ = true;  // the value follows without a comma
  }
  void null() {
    room(5);
    sep();
    memcpy(p_, "null", 4);
    p_ += 4;
  }
  void number(int v) {
    room(13);
    sep();
    if (static_cast<unsigned>(v) < 1000u) {  // nearly every value of a report
      small(static_cast<unsigned>(v));
    } else if (v == QEL_MISS) {
      memcpy(p_, "null", 4);
      p_ += 4;
    } else {
      p_ = std::to_chars(p_, p_ + 12, v).ptr;
    }
  }
  void real(double v) {
    room(34);
    sep();
    p_ = put_real(p_, v);  // with a decimal point, as the JSON library writes it ("10.0")
  }
  // A text of the file (or null for none or an empty one). Printable
  // ASCII without quotes or backslashes stands as it is; anything else is
  // escaped by the JSON library.
  void text(const char *s) {
    if (!s || !*s) return null();
    const char *e = s;
    while (*e >= ' ' && *e <= '~' && *e != '"' && *e != '\\') e++;
    if (*e != '\0') {
      std::string escaped = nlohmann::json(s).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
      room(escaped.size() + 1);
      sep();
      append(escaped.data(), escaped.size());
      return;
    }
    quoted(s, static_cast<size_t>(e - s));
  }
  // A text of this module's own (plain ASCII without quotes).
  void word(const char *s) {
    if (!s) return null();
    quoted(s, strlen(s));
  }
  // The same of n characters.
  void word(const char *s, size_t n) { quoted(s, n); }
  // A key of a text made at run time (plain ASCII without quotes).
  void key_text(const char *k) {
    size_t n = strlen(k);
    room(n + 4);
    sep();
    *p_++ = '"';
    append(k, n);
    *p_++ = '"';
    *p_++ = ':';
    first_ = true;
  }
  // A key made ready (without its comma first in an object): copies of
  // fixed size, one for a key of up to 28 characters.
  void key(const ReadyKey &k) {
    room(sizeof k.text);
    size_t skip = first_ ? 1 : 0;
    memcpy(p_, k.text + skip, 32);
    if (k.n - skip > 32) memcpy(p_ + 32, k.text + skip + 32, sizeof k.text - 33);
    p_ += k.n - skip;
    first_ = true;
  }
  // A fixed-point number num / div (div 1, 10, 100 or 1000) in its
  // shortest decimal form; a real keeps its decimal point ("10.0").
  void fixed(int64_t num, int div) {
    if (div <= 1 && static_cast<uint64_t>(num) < 1000000u) {  // nearly every value of a grid product
      room(8);
      sep();
      unsigned v = static_cast<unsigned>(num);
      if (v < 1000) return small(v);
      small(v / 1000);  // feet: a ceiling of 13000
      memcpy(p_, kSmallNumbers.three[v % 1000], 4);
      p_ += 3;
      return;
    }
    fixed_wide(num, div);
  }
  // The other numbers of fixed: out of line, so that the common one is
  // written without the work of a call.
  [[gnu::noinline]] void fixed_wide(int64_t num, int div) {
    if ((div == 10 || div == 100 || div == 1000) && static_cast<uint64_t>(num) < 1000u * static_cast<unsigned>(div)) {
      // tenths, hundredths, thousandths of a value under 1000 ("10.0", "0.01", "0.125")
      room(12);
      sep();
      unsigned v = static_cast<unsigned>(num), d = static_cast<unsigned>(div);
      small(v / d);
      *p_++ = '.';
      int digits = d == 10 ? 1 : d == 100 ? 2 : 3;
      char three[8] = {};  // the fraction's three digits, zeros before them
      memcpy(three, kSmallNumbers.three[v % d], 4);
      const char *first = three + 3 - digits;
      while (digits > 1 && first[digits - 1] == '0') digits--;
      memcpy(p_, first, 4);
      p_ += digits;
      return;
    }
    if (div <= 1) {
      room(24);
      sep();
      p_ = std::to_chars(p_, p_ + 22, num).ptr;
      return;
    }
    room(28);
    sep();
    p_ = put_fixed(p_, num, div);
  }
  template <size_t N>
  void field(const char (&k)[N], int v) {
    key(k);
    number(v);
  }
  template <size_t N>
  void pair(const char (&k)[N], int a, int b) {
    key(k);
    open('[');
    number(a);
    number(b);
    close(']');
  }
  // The line written so far, ended by a line feed and terminated.
  const char *line() {
    room(2);
    *p_++ = '\n';
    *p_ = '\0';
    return buf_.data();
  }

 private:
  // The comma before every value or key but the first of an object or
  // array (room for it is made by the caller).
  void sep() {
    if (!first_) *p_++ = ',';
    first_ = false;
  }
  // A number of 0 to 999 (room for four characters made by the caller):
  // its digits and one byte after them, which the next text overwrites.
  void small(unsigned v) {
    memcpy(p_, kSmallNumbers.text[v], 4);
    p_ += kSmallNumbers.text[v][3];
  }
  void append(const char *s, size_t n) {
    memcpy(p_, s, n);
    p_ += n;
  }
  void quoted(const char *s, size_t n) {
    room(n + 3);
    sep();
    *p_++ = '"';
    append(s, n);
    *p_++ = '"';
  }
  // Makes room for n more characters and a terminator.
  void room(size_t n) {
    if (static_cast<size_t>(end_ - p_) <= n) grow(n);
  }
  [[gnu::noinline]] void grow(size_t n) {
    size_t used = static_cast<size_t>(p_ - buf_.data());
    buf_.resize((used + n + 1) * 2);
    p_ = buf_.data() + used;
    end_ = buf_.data() + buf_.size();
  }
  static std::vector<char> &storage() {
    std::vector<char> &line = line_storage();
    if (line.empty()) line.resize(16384);
    return line;
  }

  std::vector<char> &buf_;
  char *p_;
  char *end_;
  bool first_ = true;
};

/// "2014-01-01T06:00:00Z" for a time in seconds (kept for the next
/// stations, which have the same times), or null for none (-1) or a time
/// that cannot be broken down.
const char *iso_text(int64_t secs);
/// The same in the zone of local times with its offset
/// ("2021-04-07T13:00:00-05:00").
const char *local_text(int64_t secs);

/// The time of iso_text as a value; null for none.
template <class W>
void iso_time(W &w, int64_t secs) {
  const char *t = iso_text(secs);
  t ? w.word(t) : w.null();
}

/// "valid" (iso_time) and, when a zone of local times is set,
/// "valid_local" (local_text) of a time in seconds (-1: none, null).
template <class W>
void valid(W &w, int64_t secs) {
  w.key("valid"), iso_time(w, secs);
  if (!DATE_zone_set()) return;
  const char *t = local_text(secs);
  w.key("valid_local"), t ? w.word(t) : w.null();
}

/// The station table's "name", "state", "lat", "lon" and "elevation_m" of
/// station `id`, null for what the table does not know.
template <class W>
void station_keys(W &w, const char *id) {
  MOS_station st;
  MOS_station_get(id, &st);
  w.key("name"), w.text(st.name);
  w.key("state"), w.text(st.state);
  // Four decimals, as the table writes them (a float holds 42.3667 as 42.36669921875).
  auto degrees = [&](float v) {
    if (v == QEL_MISS) return w.null();
    w.real(std::round(static_cast<double>(v) * 1e4) / 1e4);
  };
  w.key("lat"), degrees(st.lat);
  w.key("lon"), degrees(st.lon);
  w.key("elevation_m");
  if (st.elev == QEL_MISS) return w.null();
  w.number(static_cast<int>(std::lround(st.elev)));
}

}  // namespace qeljson
