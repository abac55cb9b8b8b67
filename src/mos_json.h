// mos_json.h: the JSON Lines writer that the writers of every family
// share (mos_json.cc, mos_json_grid.cc): one object a line, written
// straight into one line buffer that is kept from one object to the next.
#pragma once

#include <nlohmann/json.hpp>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "qelmos.h"

namespace qeljson {

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
      if (v >= 100) *p_++ = static_cast<char>('0' + v / 100);
      if (v >= 10) *p_++ = static_cast<char>('0' + v / 10 % 10);
      *p_++ = static_cast<char>('0' + v % 10);
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
    char *start = p_;
    p_ = std::to_chars(p_, p_ + 30, v).ptr;
    // A real keeps a decimal point, as the JSON library writes it ("10.0").
    if (std::find_if(start, p_, [](char c) { return c == '.' || c == 'e'; }) == p_) {
      memcpy(p_, ".0", 2);
      p_ += 2;
    }
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
  // A fixed-point number num / div (div 1, 10, 100 or 1000) in its
  // shortest decimal form; a real keeps its decimal point ("10.0").
  void fixed(int64_t num, int div) {
    if (div <= 1) {
      room(24);
      sep();
      p_ = std::to_chars(p_, p_ + 22, num).ptr;
      return;
    }
    room(28);
    sep();
    if (num < 0) {
      *p_++ = '-';
      num = -num;
    }
    p_ = std::to_chars(p_, p_ + 22, num / div).ptr;
    *p_++ = '.';
    int64_t frac = num % div;
    int digits = div == 10 ? 1 : div == 100 ? 2 : 3;
    char d[3];
    for (int i = digits - 1; i >= 0; i--, frac /= 10) d[i] = static_cast<char>('0' + frac % 10);
    while (digits > 1 && d[digits - 1] == '0') digits--;
    append(d, static_cast<size_t>(digits));
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

/// "2014-01-01T06:00:00Z" for a time in seconds; null for none (-1).
void iso_time(Writer &w, int64_t secs);
/// Closes the rows and the object, and prints the line.
void put(Writer &w);
/// The station table's "name", "state", "lat", "lon" and "elevation_m" of
/// station `id`, null for what the table does not know.
void station_keys(Writer &w, const char *id);

}  // namespace qeljson
