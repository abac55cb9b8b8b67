// A program of the library's base alone (strings, process utilities, flags,
// dates, messages, paths, the loop-window link): it links only when no base
// module calls anything above the base. Prints "base: 2014-01-01 stdin".

#include "qel.h"

int main() {
  Date d;
  DATE_init(&d);
  d.year = 2014, d.month = 1, d.day = 1, d.hour = d.min = d.sec = 0;
  int64_t secs = DATE_num_sec(&d);
  Date back;
  DATE_get_gmdate(&secs, &back);
  char day[16];
  snprintf(day, sizeof day, "%04d-%02d-%02d", back.year, back.month, back.day);
  FLAG_set(4, 12);
  MESS_print(M_PRINT, "base: %s %s\n", day, FILE_open("-", "r") == stdin && FLAG_get(4) == 12 ? "stdin" : "?");
  QEL_exit(0);
}
