// date.cc: the Date record's conversions and the display labels.
// Stand-in: only DATE_get_current_str is complete; the rest is the least
// that lets the tool build and run until the date module is written.

#include <cstring>
#include <ctime>

#include "qel.h"

namespace {

const char *const kMonths[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const char *const kMonthsLower[12] = {"jan", "feb", "mar", "apr", "may", "jun",
                                      "jul", "aug", "sep", "oct", "nov", "dec"};

}  // namespace

const char *DATE_month(int month) { return month >= 1 && month <= 12 ? kMonths[month - 1] : ""; }

const char *DATE_month_lower(int month) { return month >= 1 && month <= 12 ? kMonthsLower[month - 1] : ""; }

int DATE_init(Date *d) {
  d->year = d->month = d->day = d->jday = d->wday = d->hour = d->min = d->sec = QEL_MISS;
  return 0;
}

int DATE_get_current_str(char *buf) {
  time_t now = time(nullptr);
  struct tm tm;
  gmtime_r(&now, &tm);
  char text[64];
  snprintf(text, sizeof text, "%2.2d %s %2.2d  %2.2d:%2.2d:%2.2dZ", tm.tm_year % 100, kMonths[tm.tm_mon], tm.tm_mday,
           tm.tm_hour, tm.tm_min, tm.tm_sec);
  str_copy(buf, text, 21);
  return 0;
}

int DATE_make_label(Date *d, char *label) {
  if (!label) return -1;
  char text[96];
  snprintf(text, sizeof text, "%2.2d%2.2dZ  %2d %3s %2.2d", d->hour < 0 ? 0 : d->hour, d->min < 0 ? 0 : d->min,
           d->day < 0 ? 1 : d->day, DATE_month(d->month), (d->year < 0 ? 1980 : d->year) % 100);
  str_copy(label, text, 32);
  return 0;
}

int DATE_set_TZ(const char *) { return 0; }
