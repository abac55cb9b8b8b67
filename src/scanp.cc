// scanp.cc: the fixed-column scanner. Stand-in until the scanner is
// written: every scan reports nothing converted.

#include "qel.h"

#include <cstring>

int scanp_set(parse_param *param, const char *str) {
  param->ptr = str;
  param->length = static_cast<int>(strlen(str));
  param->off = 0;
  return 1;
}

int scanp_off(parse_param *param, int off) {
  param->off = off;
  return 1;
}

int scanp(parse_param *param, const char *, ...) {
  param->len = param->assigned = param->matched = param->done = 0;
  return -1;
}
