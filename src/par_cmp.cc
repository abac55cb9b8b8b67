// par_cmp.cc: product header pattern matching. PAR_cmp walks a small
// left-to-right, non-backtracking pattern over a bulletin line: anchored at
// the start of the header, open at its end. No state beyond the grid
// description that "/GRIB" terms compare against (nothing fills it, so its
// fields read as 0). Neither text nor pattern is modified, and no element
// reads past the end of either: an unclosed class or group never matches.

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "qel.h"

namespace {

// The grid product description compared by the "/GRIB" terms.
struct GridDesc {
  int model = 0;
  int type = 0;
  int ltype = 0;
  int level = 0;
  int time = 0;
  int var = 0;
};

const GridDesc pdb;

int uc(char c) { return static_cast<unsigned char>(c); }

// Traces go out only when their level is shown; checked once per comparison.
struct Tracer {
  bool on;
  const char *line;
  void operator()(const char *format, const char *text, const char *pat) const {
    if (on) MESS_print(M_DEBUGC, format, text, line, pat);
  }
};

// The closing "]" of a class whose members start at `p`, or null.
const char *class_end(const char *p) { return strchr(p, ']'); }

// The closing ")" of a group whose first alternative starts at `p`, or null.
// Classes inside the group are skipped whole, so a ")" or "|" in one is a member.
const char *group_end(const char *p) {
  for (; *p; p++) {
    if (*p == ')') return p;
    if (*p == '[') {
      p = class_end(p + 1);
      if (!p) return nullptr;
    }
  }
  return nullptr;
}

bool in_members(char c, const char *first, const char *last) {
  return c != '\0' && memchr(first, c, static_cast<size_t>(last - first)) != nullptr;
}

// One alternative of a group, [a, b), against the text at `t`.
// Returns 1 on a match (with *used the characters taken), 0 when an element
// disagreed with a text character, -1 when the text ended first.
int match_alternative(const char *a, const char *b, const char *t, size_t *used) {
  const char *s = t;
  while (a < b) {
    if (*s == '\0') return -1;
    if (*a == '[') {
      const char *close = class_end(a + 1);  // inside [a, b): checked by group_end
      if (!in_members(*s, a + 1, close)) return 0;
      a = close + 1;
    } else if (*a == '.' || *a == '?') {
      a++;
    } else {
      if (*a != *s) return 0;
      a++;
    }
    s++;
  }
  *used = static_cast<size_t>(s - t);
  return 1;
}

// Grid terms: letter and integer pairs, read until one cannot be read; every
// known letter must agree with its field of the grid description.
int grid_terms(const char *p) {
  bool agree = true;
  while (*p) {
    char letter = *p++;
    char *stop = nullptr;
    errno = 0;
    long value = strtol(p, &stop, 10);
    if (stop == p) break;
    if (errno == ERANGE || value > INT_MAX || value < INT_MIN) value = LONG_MAX;  // agrees with nothing
    p = stop;
    int field;
    switch (letter) {
      case 'M': field = pdb.model; break;
      case 'G': field = pdb.type; break;
      case 'L': field = pdb.ltype; break;
      case 'H': field = pdb.level; break;
      case 'T': field = pdb.time; break;
      case 'V': field = pdb.var; break;
      default: continue;
    }
    if (value != field) agree = false;
  }
  return agree ? 0 : 1;
}

}  // namespace

int PAR_cmp(const char *hdr, const char *line, const char *pat) {
  if (!hdr) hdr = "";
  if (!line) line = "";
  if (!pat) pat = "";
  const Tracer trace_cmp{MESS_check(M_DEBUGC) != 0, line};
  trace_cmp("CMP:%s:%s:%s:\n", hdr, pat);

  if (*hdr == '\0' && *pat != '\0') return 1;
  const char *t = hdr;
  if (t[0] == '*' && t[1] == '*') t += strnlen(t, 3);  // the "** " marker of some files
  while (*t == ' ') t++;
  if (stricmp(pat, "all") == 0) return 0;

  const char *p = pat;
  while (*p) {
    trace_cmp("  1 CMP:%s:%s:%s:\n", t, p);
    switch (*p) {
      case '/':
        t = line;
        p++;
        if (strncmp(line, "GRIB", 4) == 0) {
          int r = grid_terms(p);
          if (r == 0) trace_cmp("0 G CMP:%s:%s:%s:\n", t, p);
          return r;
        }
        while (*t == ' ') t++;
        continue;

      case '*':
      case '-': {
        char next = p[1];
        if (next == '_') {
          while (*t && *t != ' ' && *t != '_') t++;
        } else {
          while (*t && *t != next) t++;
        }
        p++;
        if (*t == '\0' && *p != '\0') return 1;
        continue;
      }

      case '[': {
        const char *close = class_end(p + 1);
        if (!close) return 1;  // malformed: never matches
        bool negate = p[1] == '^';
        const char *first = p + (negate ? 2 : 1);
        bool member = in_members(*t, first, close);
        if (*t == '\0' || member == negate) {
          trace_cmp("1 ] CMP:%s:%s:%s:\n", t, p);
          return 1;
        }
        t++;
        p = close + 1;
        continue;
      }

      case '(': {
        const char *close = group_end(p + 1);
        if (!close) return 1;  // malformed: never matches
        const char *a = p + 1;
        int last = 0;
        size_t used = 0;
        for (;;) {
          const char *b = a;
          while (b < close && *b != '|') {
            if (*b == '[') b = class_end(b + 1);
            b++;
          }
          last = match_alternative(a, b, t, &used);
          if (last == 1 || b >= close) break;
          a = b + 1;
        }
        if (last == 1) {
          t += used;
          p = close + 1;
          continue;
        }
        if (last < 0) {
          trace_cmp("0 ) CMP:%s:%s:%s:\n", t, p);
          return 0;
        }
        trace_cmp("1 ) CMP:%s:%s:%s:\n", t, p);
        return 1;
      }

      case '.':
      case '?':
        if (*t == '\0') break;
        t++;
        p++;
        continue;

      case '_':
        if (*t == ' ') {
          t++;
          p++;
          continue;
        }
        break;

      default: break;
    }
    // A literal (and "." or "_" that fell through to one).
    if (*t == '\0' || *t != *p) {
      trace_cmp("- E CMP:%s:%s:%s:\n", t, p);
      return uc(*t) - uc(*p);
    }
    t++;
    p++;
  }
  trace_cmp("0 E CMP:%s:%s:%s:\n", t, p);
  return 0;
}
