// def_read.cc: defaults files and per-resource environment variables.
// Stand-in until the defaults reader is written: no file, no variable.

#include "qelresrc.h"

int DEF_prog() { return 0; }
int DEF_name(const char *) { return 0; }
int DEF_clr_tag() { return 0; }
int DEF_tag(const char *) { return 0; }
int DEF_open(const char *) { return -1; }
int DEF_close() { return 0; }
int DEF_get(char *, char *) { return -1; }
int DEF_cmp(const char *, const char *) { return 0; }
int DEF_valid(const char *) { return 0; }
int DEF_parse_name(const char *str, char *ostr) {
  str_copy(ostr, str, 50);
  return 1;
}
int DEF_env(const char *, const char *, char *) { return 0; }
