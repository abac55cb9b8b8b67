// scanp.cc: the fixed-column scanner. A caller attaches one bulletin row to
// a parse_param, places its offset on a column and scans a small format
// there; the counters of the last scan live in the caller's record, the
// module has no state of its own. Every character counts against a field's
// width, and no read goes past the attached length or the row's terminator;
// a negative offset or a malformed format ends the scan without reading on.

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "qel.h"

namespace {

constexpr int kFieldMax = 79;  // characters one conversion collects
constexpr int kMissMax = 19;   // characters of a missing-value text
constexpr int kNoWidth = 999;  // the width of a conversion that states none
constexpr int kWidthCap = 100000;

// Up to 50 characters of a row, terminated, for the traces.
struct Peek {
  char buf[51];
  Peek(const char *p, int n) {
    size_t k = n <= 0 ? 0 : (n < 50 ? static_cast<size_t>(n) : 50);
    memcpy(buf, p, k);
    buf[k] = '\0';
  }
};

// The row from the scan's start offset; characters past its end read as NUL.
struct Text {
  const char *p;
  int n;
  char at(int i) const { return i >= 0 && i < n ? p[i] : '\0'; }
};

// A parsed conversion: its prefix and its letter.
struct Conv {
  bool suppress = false;
  bool at_most = false;  // "<": the width is a maximum
  bool has_width = false;
  int width = 0;
  bool has_miss = false;
  char miss[kMissMax + 1] = "";
  int miss_len = 0;
  char letter = '\0';
  bool exact() const { return has_width && !at_most; }
};

// What one conversion produced.
struct Result {
  enum Kind { kFail, kSkip, kOk } kind = kFail;
  int used = 0;       // characters consumed
  bool write = true;  // false: counts as stored but leaves the destination alone
  long ival = 0;
  float fval = 0.0f;
  char text[kFieldMax + 1] = "";
  int text_len = 0;
};

// Field text collected by a conversion, never more than kFieldMax characters.
struct Collect {
  char buf[kFieldMax + 1] = "";
  int len = 0;
  bool room() const { return len < kFieldMax; }
  void add(char c) {
    if (len < kFieldMax) buf[len++] = c;
    buf[len] = '\0';
  }
};

long to_int(const char *s) {
  errno = 0;
  long v = strtol(s, nullptr, 10);
  if (v > INT_MAX) v = INT_MAX;
  if (v < INT_MIN) v = INT_MIN;
  return v;
}

// The missing-value rule of the numeric conversions: the whole missing text
// must stand at the start of the field, within the width.
Result missing_number(const Text &t, const Conv &c, int w) {
  Result r;
  if (c.miss_len > w) {
    r.kind = Result::kSkip;
    return r;
  }
  for (int i = 0; i < c.miss_len; i++) {
    if (t.at(i) != c.miss[i]) {
      r.kind = Result::kSkip;
      return r;
    }
  }
  r.kind = Result::kOk;
  r.used = c.miss_len;
  r.ival = QEL_MISS;
  r.fval = -9999.0f;
  return r;
}

// "D": blanks, an optional "-", digits, blanks, all within the width.
Result conv_D(const Text &t, const Conv &c, int w) {
  Collect num;
  int i = 0, digits = 0;
  while (i < w && is_space_char(t.at(i))) i++;
  if (i < w && t.at(i) == '-') num.add(t.at(i++));
  while (i < w && num.room() && is_digit_char(t.at(i))) num.add(t.at(i++)), digits++;
  while (i < w && is_space_char(t.at(i))) i++;
  if (digits == 0 && c.has_miss) return missing_number(t, c, w);
  Result r;
  if ((c.exact() && i != w) || digits == 0) return r;
  r.kind = Result::kOk;
  r.used = i;
  r.ival = to_int(num.buf);
  return r;
}

// "d": an optional "-" and digits, no blanks.
Result conv_d(const Text &t, const Conv &c, int w) {
  Collect num;
  int i = 0, digits = 0;
  if (i < w && t.at(i) == '-') num.add(t.at(i++));
  while (i < w && num.room() && is_digit_char(t.at(i))) num.add(t.at(i++)), digits++;
  if (digits == 0) i = 0;  // a lone "-" counts as nothing taken
  if (i == 0 && c.has_miss) return missing_number(t, c, w);
  Result r;
  if ((c.exact() && i != w) || i == 0) return r;
  r.kind = Result::kOk;
  r.used = i;
  r.ival = to_int(num.buf);
  return r;
}

// The mantissa and exponent shared by "f" and "F", from position *i.
// Returns the count of mantissa digits and points; *exp_digits is the count
// of exponent digits (0 when no exponent was taken).
int real_body(const Text &t, int w, int *i, Collect *num, int *exp_digits) {
  int mant = 0;
  bool point = false;
  while (*i < w && num->room()) {
    char ch = t.at(*i);
    if (is_digit_char(ch) || (ch == '.' && !point)) {
      point = point || ch == '.';
      num->add(ch);
      (*i)++;
      mant++;
    } else {
      break;
    }
  }
  *exp_digits = 0;
  char e = t.at(*i);
  if (mant > 0 && (e == 'e' || e == 'E')) {
    // The exponent may run past the width; it is dropped when it has no digit.
    int j = *i + 1;
    Collect ex = *num;
    ex.add(e);
    if (t.at(j) == '+' || t.at(j) == '-') ex.add(t.at(j++));
    int digits = 0;
    while (ex.room() && is_digit_char(t.at(j))) ex.add(t.at(j++)), digits++;
    if (digits > 0 && ex.len == num->len + (j - *i)) {
      *num = ex;
      *i = j;
      *exp_digits = digits;
    }
  }
  return mant;
}

// "F": like "D" with a real number.
Result conv_F(const Text &t, const Conv &c, int w) {
  Collect num;
  int i = 0, exp_digits = 0;
  while (i < w && is_space_char(t.at(i))) i++;
  if (i < w && t.at(i) == '-') num.add(t.at(i++));
  int mant = real_body(t, w, &i, &num, &exp_digits);
  while (i < w && is_space_char(t.at(i))) i++;
  int count = exp_digits > 0 ? exp_digits : mant;
  if (count == 0 && c.has_miss) return missing_number(t, c, w);
  Result r;
  if ((c.exact() && i < w) || count == 0) return r;
  r.kind = Result::kOk;
  r.used = i;
  r.fval = strtof(num.buf, nullptr);
  return r;
}

// "f": an optional "-", digits with at most one point, an optional exponent.
Result conv_f(const Text &t, const Conv &c, int w) {
  Collect num;
  int i = 0, exp_digits = 0;
  if (i < w && t.at(i) == '-') num.add(t.at(i++));
  int mant = real_body(t, w, &i, &num, &exp_digits);
  if (mant == 0) i = 0;  // a lone "-" counts as nothing taken
  if (i == 0 && c.has_miss) return missing_number(t, c, w);
  Result r;
  if ((c.exact() && i < w) || i == 0) return r;
  r.kind = Result::kOk;
  r.used = i;
  r.fval = strtof(num.buf, nullptr);
  return r;
}

// The text conversions: characters accepted by `accept`, up to the width.
template <typename Accept>
Result conv_text(const Text &t, const Conv &c, int w, Accept accept) {
  Result r;
  int i = 0;
  while (i < w && i < kFieldMax && t.at(i) != '\0' && accept(t.at(i))) {
    r.text[i] = t.at(i);
    i++;
  }
  r.text[i] = '\0';
  r.text_len = i;
  if ((c.exact() && i != w) || i == 0) return r;
  r.kind = Result::kOk;
  r.used = i;
  return r;
}

// A set "[...]" or "[^...]" starting after the "[" at `f`; *end receives the
// position after the "]", or null when the set is not closed.
Result conv_set(const Text &t, const Conv &c, int w, const char *f, const char **end) {
  bool negate = *f == '^';
  if (negate) f++;
  bool member[256] = {};
  while (*f && *f != ']') {
    if (f[0] == '/' && (f[1] == 'A' || f[1] == 'N' || f[1] == '/')) {
      for (int ch = 0; ch < 256; ch++) {
        char x = static_cast<char>(ch);
        if ((f[1] == 'A' && is_letter_char(x)) || (f[1] == 'N' && is_digit_char(x))) member[ch] = true;
      }
      if (f[1] == '/') member[static_cast<unsigned char>('/')] = true;
      f += 2;
    } else {
      member[static_cast<unsigned char>(*f++)] = true;
    }
  }
  if (*f != ']') {
    *end = nullptr;
    return Result{};
  }
  *end = f + 1;
  return conv_text(t, c, w, [&](char ch) { return member[static_cast<unsigned char>(ch)] != negate; });
}

// A group "(a|b|...)" starting after the "(" at `f`; *end as for a set.
Result conv_group(const Text &t, const Conv &c, const char *f, const char **end) {
  const char *close = strchr(f, ')');
  Result r;
  if (!close) {
    *end = nullptr;
    return r;
  }
  *end = close + 1;
  const char *a = f;
  for (;;) {
    const char *b = a;
    while (b < close && *b != '|') b++;
    int n = static_cast<int>(b - a);
    bool same = n <= kFieldMax;
    for (int i = 0; same && i < n; i++) same = t.at(i) == a[i];
    if (same) {
      memcpy(r.text, a, static_cast<size_t>(n));
      r.text[n] = '\0';
      r.text_len = n;
      r.kind = Result::kOk;
      r.used = n;
      return r;
    }
    if (b >= close) break;
    a = b + 1;
  }
  if (c.has_miss) {
    int k = 0;
    while (k < c.miss_len && t.at(k) == c.miss[k]) k++;
    r.kind = Result::kOk;
    r.used = k;
    return r;
  }
  if (c.at_most && !c.has_width) {
    r.kind = Result::kOk;
    r.write = false;
  }
  return r;
}

// Parses the prefix of a conversion at `f` (after the "%"); returns the
// position of its letter, or null when a missing-value text is not closed.
const char *parse_prefix(const char *f, Conv *c) {
  if (*f == '*') c->suppress = true, f++;
  if (*f == '<') c->at_most = true, f++;
  while (is_digit_char(*f)) {
    c->has_width = true;
    c->width = c->width * 10 + (*f++ - '0');
    if (c->width > kWidthCap) c->width = kWidthCap;
  }
  if (*f == '!') {
    c->has_miss = true;
    for (f++; *f && *f != '!'; f++)
      if (c->miss_len < kMissMax) c->miss[c->miss_len++] = *f;
    c->miss[c->miss_len] = '\0';
    if (*f != '!') return nullptr;
    f++;
  }
  c->letter = *f;
  return f;
}

}  // namespace

int scanp_set(parse_param *param, const char *str) {
  if (!param) return 0;
  param->ptr = str;
  param->length = str ? static_cast<int>(strnlen(str, INT_MAX)) : 0;
  param->off = 0;
  return 1;
}

int scanp_off(parse_param *param, int off) {
  if (!param) return 0;
  param->off = off;
  return 1;
}

int scanp(parse_param *param, const char *pat, ...) {
  if (!param) return -1;
  param->len = param->assigned = param->matched = param->done = 0;
  if (!pat || !*pat || !param->ptr || param->off < 0 || param->off >= param->length) return -1;

  const bool tracing = MESS_check(M_DEBUGD) != 0;
  const char *start = param->ptr + param->off;
  const Text text{start, static_cast<int>(strnlen(start, static_cast<size_t>(param->length - param->off)))};
  int icnt = 0;
  const char *f = pat;
  bool ended = false;

  va_list ap;
  va_start(ap, pat);
  while (*f && !ended) {
    if (*f == '%') {
      Conv c;
      const char *letter = parse_prefix(f + 1, &c);
      if (!letter) {
        ended = true;
        break;
      }
      const int w = c.has_width ? c.width : (c.letter == 'c' ? 1 : kNoWidth);
      const Text field{text.p + icnt, text.n - icnt};
      const char *next = letter + 1;
      Result r;
      bool known = true;
      switch (c.letter) {
        case 'D': r = conv_D(field, c, w); break;
        case 'd': r = conv_d(field, c, w); break;
        case 'F': r = conv_F(field, c, w); break;
        case 'f': r = conv_f(field, c, w); break;
        case 'S': r = conv_text(field, c, w, [](char) { return true; }); break;
        case 's': r = conv_text(field, c, w, [](char ch) { return !is_space_char(ch); }); break;
        case 'c': r = conv_text(field, c, w, [](char) { return true; }); break;
        case 'A': r = conv_text(field, c, w, is_letter_char); break;
        case 'N': r = conv_text(field, c, w, is_digit_char); break;
        case 'w': r = conv_text(field, c, w, is_white_char); break;
        case 'W': r = conv_text(field, c, w, [](char ch) { return ch == ' ' || ch == '\t' || ch == '\r'; }); break;
        case '[': r = conv_set(field, c, w, letter + 1, &next); break;
        case '(': r = conv_group(field, c, letter + 1, &next); break;
        case 'n':
          r.kind = Result::kOk;
          r.ival = icnt;
          break;
        default: known = false; break;
      }
      if (!known) {
        // Not a conversion: its letter is matched as an ordinary format character.
        f = letter;
      } else if (!next || r.kind == Result::kFail) {
        ended = true;
        break;
      } else {
        f = next;
        if (r.kind == Result::kOk) {
          param->matched++;
          icnt += r.used;
        }
        if (!c.suppress) {
          // Every storing conversion owns one destination, stored into or not.
          switch (c.letter) {
            case 'D':
            case 'd':
            case 'n': {
              int *dst = va_arg(ap, int *);
              if (r.kind == Result::kOk && dst) *dst = static_cast<int>(r.ival);
              break;
            }
            case 'F':
            case 'f': {
              float *dst = va_arg(ap, float *);
              if (r.kind == Result::kOk && dst) *dst = r.fval;
              break;
            }
            default: {
              char *dst = va_arg(ap, char *);
              if (r.kind == Result::kOk && r.write && dst) {
                memcpy(dst, r.text, static_cast<size_t>(r.text_len));
                if (c.letter != 'c') dst[r.text_len] = '\0';
              }
              break;
            }
          }
          if (r.kind == Result::kOk) param->assigned++;
        }
      }
    } else if (*f == ' ') {
      if (!is_white_char(text.at(icnt))) {
        ended = true;
        break;
      }
      while (is_white_char(text.at(icnt))) icnt++;
      f++;
    } else {
      if (*f != text.at(icnt)) {
        ended = true;
        break;
      }
      icnt++;
      f++;
    }
    if (tracing) MESS_print(M_DEBUGD, "     :%s:%.50s:\n", f, Peek(text.p + icnt, text.n - icnt).buf);
  }
  va_end(ap);

  param->done = ended ? 0 : 1;
  param->len = icnt;
  if (tracing)
    MESS_print(M_DEBUGD, "SCANP:%.50s:%s:%d:%d:%d:%d:%d\n", Peek(start, text.n).buf, pat, param->off, param->len,
               param->done, param->assigned, param->matched);
  return param->matched;
}
