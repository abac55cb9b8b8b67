// string.cc: small functions on NUL-terminated byte strings and text
// streams shared by the whole library: in-place cleaning and case
// conversion, case-insensitive comparison, splitting at a delimiter, and
// the two line readers. Character classes are plain ASCII; the class
// helpers themselves (is_digit_char ...) are inline in qel.h.
//
// No module state. Line readers leave a line's terminator in the stream and
// skip one line feed at the start of the next read, so a position taken
// before a read and restored later makes the next read return the same line
// again; a line longer than the buffer comes out in pieces.

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "qel.h"

size_t str_copy(char *dst, const char *src, size_t size) {
  size_t n = src ? strlen(src) : 0;
  if (size == 0) return n;
  size_t k = n < size - 1 ? n : size - 1;
  if (k) memcpy(dst, src, k);
  dst[k] = '\0';
  return n;
}

int fill_string(char *string, char tar, char fill) {
  if (!string) return 0;
  for (char *p = string; *p; p++)
    if (*p == tar) *p = fill;
  return 0;
}

int wsstrip_string(char *string) {
  if (!string) return 1;
  char *w = string;
  for (const char *r = string; *r; r++)
    if (*r != '\r' && *r != '\n') *w++ = *r;
  *w = '\0';
  return 1;
}

int wstrim_string(char *string) {
  if (!string) return 1;
  wsstrip_string(string);
  size_t n = strlen(string);
  while (n > 0 && string[n - 1] == ' ') string[--n] = '\0';
  return 1;
}

int up_string(char *string) {
  if (!string || !*string) return 0;
  for (char *p = string; *p; p++)
    if (*p >= 'a' && *p <= 'z') *p = static_cast<char>(*p - 'a' + 'A');
  return 1;
}

int low_string(char *string) {
  if (!string || !*string) return 0;
  for (char *p = string; *p; p++)
    if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
  return 1;
}

int clean_line(char *line) {
  if (!line || !*line) return 0;
  long i = static_cast<long>(strlen(line)) - 1;
  // Trailing control bytes (line ends included) disappear.
  while (i >= 0 && static_cast<unsigned char>(line[i]) < 0x20) line[i--] = '\0';
  if (i < 0) return 1;
  // The last printable byte stays, but a high byte becomes a blank.
  if (static_cast<unsigned char>(line[i]) >= 0x80) line[i] = ' ';
  // Every control or high byte before it becomes a blank.
  for (i--; i >= 0; i--) {
    unsigned char c = static_cast<unsigned char>(line[i]);
    if (c < 0x20 || c >= 0x80) line[i] = ' ';
  }
  return 1;
}

int string_is_blank(const char *string) {
  if (!string) return 1;
  // Bytes compare as signed values: a high byte is negative, so below the blank.
  for (const signed char *p = reinterpret_cast<const signed char *>(string); *p; p++)
    if (*p > ' ') return 0;
  return 1;
}

int stricmp(const char *s1, const char *s2) {
  if (!s1 || !s2) return 1;
  const unsigned char *a = reinterpret_cast<const unsigned char *>(s1);
  const unsigned char *b = reinterpret_cast<const unsigned char *>(s2);
  while (*a && *b && tolower(*a) == tolower(*b)) a++, b++;
  return tolower(*a) - tolower(*b);
}

int strnicmp(const char *s1, const char *s2, int n) {
  if (!s1 || !s2) return 1;
  const unsigned char *a = reinterpret_cast<const unsigned char *>(s1);
  const unsigned char *b = reinterpret_cast<const unsigned char *>(s2);
  for (int i = 1; i < n && *a && *b && tolower(*a) == tolower(*b); i++) a++, b++;
  return tolower(*a) - tolower(*b);
}

int parse_string(const char *string, char delim, int *argc, char ***argv) {
  if (!argc || !argv) return -1;
  *argc = 0;
  *argv = nullptr;
  if (!string || !*string) return -1;

  size_t n = strlen(string);
  char *copy = static_cast<char *>(malloc(n + 1));
  if (!copy) return -1;
  memcpy(copy, string, n + 1);
  while (n > 0 && copy[n - 1] == delim) copy[--n] = '\0';

  size_t count = 1;
  for (size_t i = 0; i < n; i++)
    if (copy[i] == delim) count++;
  // The count travels as an int: refuse a split it cannot hold.
  char **fields = count <= INT_MAX ? static_cast<char **>(malloc(sizeof(char *) * count)) : nullptr;
  if (!fields) {
    free(copy);
    return -1;
  }
  size_t k = 0;
  fields[k++] = copy;
  for (size_t i = 0; i < n; i++) {
    if (copy[i] == delim) {
      copy[i] = '\0';
      fields[k++] = copy + i + 1;
    }
  }
  *argc = static_cast<int>(count);
  *argv = fields;
  return 0;
}

int free_parsed_array(int argc, char **argv) {
  if (argc != 0 && argv) {
    free(argv[0]);
    free(argv);
  }
  return 0;
}

int fgetnline(FILE *ifile, char *string, int len) {
  if (!ifile || !string) return -1;
  if (len < 0) len = 0;
  string[0] = '\0';
  // One lock for the whole line; the unlocked reads keep big files fast.
  flockfile(ifile);
  int c = getc_unlocked(ifile);
  if (c == '\n') c = getc_unlocked(ifile);  // the previous line's terminator
  if (c == EOF) {
    funlockfile(ifile);
    return -1;
  }
  int n = 0;
  while (c != EOF && c != '\n' && n < len) {
    string[n++] = static_cast<char>(c);
    c = getc_unlocked(ifile);
  }
  // Leave the terminator (or the first byte of a long line's rest) in the stream.
  if (c != EOF) ungetc(c, ifile);
  funlockfile(ifile);
  string[n] = '\0';
  return n;
}

int fgetstring(FILE *ifile, char *string, int len) {
  int n = fgetnline(ifile, string, len);
  return n > 0 ? 1 : n;
}
