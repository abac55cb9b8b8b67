// date.cc: the Date record: seconds since 1970 and back, day of year and
// month/day, month names, and the display labels of dates and times.
//
// State: the display zone (offset, 12/24-hour style, suffix), written only
// by DATE_set_TZ at start-up; and the zone of local times (DATE_set_zone),
// an IANA zone of the C library's zone database put into TZ. All arithmetic
// is UTC; the zones only shift labels and the times shown. No routine
// allocates but DATE_set_zone's copy of TZ; bad field values are repaired,
// never rejected.

#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "qel.h"

namespace {

const char *const months[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN", "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const char *const months_lc[12] = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
// Days before the start of each month; entry 12 is the length of the year.
const int num_day[13] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334, 365};
const int num_day_leap[13] = {0, 31, 60, 91, 121, 152, 182, 213, 244, 274, 305, 335, 366};

// Display zone: offset in seconds, label style (0 24-hour, +1 AM/PM, -1
// AM/PM with the UTC time in brackets) and the suffix after the time.
int tz_off = 0;
int tz_pm = 0;
char tz_str[7] = "Z";

// The zone of local times: whether one is set, and the TZ the
// environment gave at the first change (restored for "local").
struct LocalZone {
  bool set = false;
  bool saved = false;
  bool had_tz = false;
  std::string tz;
};
LocalZone zone;

const int *days_table(int year) { return DATE_is_leap(year) ? num_day_leap : num_day; }

// Whether `name` is a zone of the zone database: a relative path of
// letters, digits and "/_+-." whose parts do not begin with a dot, naming
// a file that begins as every zone file does ("TZif").
bool known_zone(const char *name) {
  size_t n = strlen(name);
  if (n == 0 || n > 200 || name[0] == '/') return false;
  for (size_t i = 0; i < n; i++) {
    char c = name[i];
    bool ok = is_letter_char(c) || is_digit_char(c) || c == '/' || c == '_' || c == '+' || c == '-' || c == '.';
    if (!ok || (c == '.' && (i == 0 || name[i - 1] == '/'))) return false;
  }
  const char *dir = getenv("TZDIR");
  std::string path = std::string(dir && *dir ? dir : "/usr/share/zoneinfo") + "/" + name;
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);  // a FIFO there never blocks the run
  if (fd < 0) return false;
  char magic[4];
  bool ok = read(fd, magic, sizeof magic) == 4 && memcmp(magic, "TZif", 4) == 0;
  close(fd);
  return ok;
}

// The time part of a label: hour form, or hour-and-minute form when
// `with_min`, followed by `suffix`; the bracketed UTC time follows in the
// -1 style or when `bracket`.
void time_part(char *buf, size_t size, int h, int mm, bool with_min, int utc_h, int utc_mm, const char *suffix,
               bool bracket) {
  char hm[40];
  if (tz_pm == 0) {
    if (with_min)
      snprintf(hm, sizeof hm, "%2.2d%2.2d%s", h, mm, suffix);
    else
      snprintf(hm, sizeof hm, "%2.2d%s", h, suffix);
  } else {
    int h12 = h >= 13 ? h - 12 : (h == 0 ? 12 : h);
    const char *half = h >= 12 ? "PM" : "AM";
    if (with_min)
      snprintf(hm, sizeof hm, "%d:%2.2d %s%s", h12, mm, half, suffix);
    else
      snprintf(hm, sizeof hm, "%d %s%s", h12, half, suffix);
  }
  if (tz_pm == -1 || bracket) {
    char utc[16];
    if (with_min)
      snprintf(utc, sizeof utc, " [%2.2d%2.2dZ]", utc_h, utc_mm);
    else
      snprintf(utc, sizeof utc, " [%2.2dZ]", utc_h);
    snprintf(buf, size, "%s%s", hm, utc);
  } else {
    snprintf(buf, size, "%s", hm);
  }
}

}  // namespace

const char *DATE_month(int month) { return month >= 1 && month <= 12 ? months[month - 1] : ""; }

const char *DATE_month_lower(int month) { return month >= 1 && month <= 12 ? months_lc[month - 1] : ""; }

int DATE_init(Date *d) {
  d->year = d->month = d->day = d->jday = d->wday = d->hour = d->min = d->sec = QEL_MISS;
  return 0;
}

int DATE_print(uint32_t level, Date *d) {
  MESS_print(level, "%d/%d/%d %2.2d:%2.2d:%2.2d\n", d->year, d->month, d->day, d->hour, d->min, d->sec);
  return 0;
}

// "[+|-]NAME:HOURS": the sign chooses the AM/PM styles, NAME (up to four
// characters) follows a blank in the suffix, HOURS may be fractional. A
// text without readable hours keeps UTC times under the given name, as a
// POSIX zone name without an offset does; an empty text leaves an empty
// name (the suffix is the blank alone) and no offset.
int DATE_set_TZ(const char *str) {
  if (!str) return 0;
  if (*str == '-') {
    tz_pm = -1;
    str++;
  } else if (*str == '+') {
    tz_pm = 1;
    str++;
  }
  char name[5] = "";
  float hours = 0;
  int n = sscanf(str, "%4[^:]:%f", name, &hours);
  if (n < 2 || !std::isfinite(hours) || std::fabs(hours) > 168.0f) hours = 0;
  snprintf(tz_str, sizeof tz_str, " %s", name);
  tz_off = static_cast<int>(3600.0f * hours);
  return 0;
}

int DATE_get_current_str(char *buf) {
  time_t now = time(nullptr);
  struct tm tm;
  gmtime_r(&now, &tm);
  char text[64];
  snprintf(text, sizeof text, "%2.2d %s %2.2d  %2.2d:%2.2d:%2.2dZ", tm.tm_year % 100, months[tm.tm_mon], tm.tm_mday,
           tm.tm_hour, tm.tm_min, tm.tm_sec);
  str_copy(buf, text, 21);
  return 0;
}

int DATE_is_leap(int year) { return (year % 4 == 0 && (year % 100 != 0 || year % 400 == 0)) ? 1 : 0; }

int64_t DATE_num_sec(Date *d) {
  if (d->year < 0) d->year = 1980;
  if (d->year < 50) d->year += 2000;
  if (d->year < 200) d->year += 1900;
  if (d->month < 1 || d->month > 12) d->month = 1;
  if (d->day < 0 || d->day > 31) d->day = 1;  // day 0 is the day before the 1st
  if (d->hour < 0 || d->hour > 23) d->hour = 0;
  if (d->min < 0 || d->min > 59) d->min = 0;
  if (d->sec < 0 || d->sec > 59) d->sec = 0;

  // Every fourth year counts as leap: exact from 1901 to 2099.
  int64_t y = static_cast<int64_t>(d->year) - 1900;
  int64_t leaps = y / 4 - 17;
  if (d->month <= 2 && y % 4 == 0) leaps--;
  return static_cast<int64_t>(d->hour) * 3600 + static_cast<int64_t>(d->min) * 60 + d->sec +
         static_cast<int64_t>(d->day - 1) * 86400 + static_cast<int64_t>(num_day[d->month - 1]) * 86400 +
         leaps * 86400 + (static_cast<int64_t>(d->year) - 1970) * 31536000;
}

int64_t DATE_get_time(int64_t *secs) {
  int64_t now = static_cast<int64_t>(time(nullptr));
  if (secs) *secs = now;
  return now;
}

namespace {

// The fields of a broken-down time.
void from_tm(const struct tm &tm, Date *d) {
  d->year = tm.tm_year + 1900;
  d->month = tm.tm_mon + 1;
  d->day = tm.tm_mday;
  d->jday = tm.tm_yday + 1;
  d->wday = tm.tm_wday;
  d->hour = tm.tm_hour;
  d->min = tm.tm_min;
  d->sec = tm.tm_sec;
}

}  // namespace

int DATE_get_gmdate(const int64_t *secs, Date *d) {
  time_t t = secs ? static_cast<time_t>(*secs) : time(nullptr);
  struct tm tm;
  if (!gmtime_r(&t, &tm)) {  // beyond what the system can break down
    DATE_init(d);
    return -1;
  }
  from_tm(tm, d);
  return 0;
}

int DATE_julian_monday(int year, int jday, int *month, int *day) {
  const int *table = days_table(year);
  if (jday < 1) jday = 1;
  if (jday > table[12]) jday = table[12];
  int m = 0;
  while (m < 12 && table[m] < jday) m++;
  *month = m;
  *day = jday - table[m - 1];  // m >= 1 because jday >= 1
  return 0;
}

int DATE_monday_julian(int year, int month, int day, int *jday) {
  if (month < 1) month = 1;
  if (month > 12) month = 12;
  int64_t j = static_cast<int64_t>(days_table(year)[month - 1]) + day;  // the day is not range-limited
  *jday = j > INT32_MAX ? INT32_MAX : static_cast<int>(j);
  return 0;
}

int DATE_decode_month(const char *str) {
  if (!str || !str[0]) return 0;
  char a = str[0];
  switch (a) {
    case 'F':
    case 'f': return 2;
    case 'S':
    case 's': return 9;
    case 'O':
    case 'o': return 10;
    case 'N':
    case 'n': return 11;
    case 'D':
    case 'd': return 12;
    default: break;
  }
  char b = str[1];
  if ((a == 'J' && b == 'A') || (a == 'j' && b == 'a')) return 1;
  if (!b) return 0;
  char c = str[2];
  // A pair counts only when both letters have the same case.
  auto pair = [a, c](char first, char third) {
    return (a == first && c == third) || (a == first - 'A' + 'a' && c == third - 'A' + 'a');
  };
  if (pair('J', 'N')) return 6;
  if (pair('J', 'L')) return 7;
  if (pair('M', 'R')) return 3;
  if (pair('M', 'Y')) return 5;
  if (pair('A', 'R')) return 4;
  if (pair('A', 'G')) return 8;
  return 0;
}

int DATE_make_label(Date *date, char *label) {
  if (!label) return -1;
  Date disp = *date, utc = *date;
  if (tz_off != 0) {
    int64_t secs = DATE_num_sec(date);  // normalises the caller's record
    DATE_get_gmdate(&secs, &utc);
    int64_t shifted = secs + tz_off;
    DATE_get_gmdate(&shifted, &disp);
  }

  // Repairs, in the order the label forms need them.
  if (disp.year < 0) disp.year = 1980;
  int yy = disp.year % 100;
  char text[96];
  if (disp.month == QEL_MISS) {
    snprintf(text, sizeof text, "%2.2d", yy);
  } else {
    if (disp.month < 1 || disp.month > 12) disp.month = 1;
    const char *mon = DATE_month(disp.month);
    if (disp.day == QEL_MISS) {
      snprintf(text, sizeof text, "%3s %2.2d", mon, yy);
    } else {
      if (disp.day < 0 || disp.day > 31) disp.day = 1;
      if (disp.hour == QEL_MISS) {
        snprintf(text, sizeof text, "%2d %3s %2.2d", disp.day, mon, yy);
      } else {
        if (disp.hour < 0 || disp.hour > 23) disp.hour = 0;
        bool with_min = disp.min != QEL_MISS;
        if (with_min && (disp.min < 0 || disp.min > 59)) disp.min = 0;
        int utc_h = utc.hour, utc_mm = utc.min;
        if (tz_off == 0) {  // the same instant: take the repaired fields
          utc_h = disp.hour;
          utc_mm = disp.min;
        }
        char tpart[64];
        time_part(tpart, sizeof tpart, disp.hour, disp.min, with_min, utc_h, utc_mm, tz_str, false);
        snprintf(text, sizeof text, "%s %2d %3s %2.2d", tpart, disp.day, mon, yy);
      }
    }
  }
  str_copy(label, text, 32);
  return 0;
}

int DATE_set_zone(const char *name) {
  if (!zone.saved) {  // the environment's own TZ, for "local"
    const char *tz = getenv("TZ");
    zone.had_tz = tz != nullptr;
    zone.tz = tz ? tz : "";
    zone.saved = true;
  }
  zone.set = false;
  int result = 0;
  if (name && strcmp(name, "local") == 0) {
    if (zone.had_tz)
      setenv("TZ", zone.tz.c_str(), 1);
    else
      unsetenv("TZ");
    result = 1;
  } else if (name && *name) {
    if (!known_zone(name)) return -1;
    setenv("TZ", name, 1);
    result = 1;
  }
  tzset();
  zone.set = result == 1;
  return result;
}

int DATE_zone_set() { return zone.set ? 1 : 0; }

int DATE_get_zonedate(int64_t secs, Date *d, char *abbr, size_t size, int32_t *offset) {
  if (abbr && size) abbr[0] = '\0';
  if (offset) *offset = 0;
  if (!zone.set) {
    if (DATE_get_gmdate(&secs, d) != 0) return -1;
    if (abbr) str_copy(abbr, "UTC", size);
    return 0;
  }
  time_t t = static_cast<time_t>(secs);
  struct tm tm;
  if (static_cast<int64_t>(t) != secs || !localtime_r(&t, &tm)) {
    DATE_init(d);
    return -1;
  }
  from_tm(tm, d);
  if (abbr) str_copy(abbr, tm.tm_zone ? tm.tm_zone : "", size);
  if (offset) *offset = static_cast<int32_t>(tm.tm_gmtoff);
  return 0;
}

int DATE_make_zone_label(Date *date, char *label, size_t size) {
  if (!label) return -1;
  if (!zone.set || date->year == QEL_MISS || date->month == QEL_MISS || date->day == QEL_MISS || date->hour == QEL_MISS)
    return DATE_make_label(date, label);
  bool with_min = date->min != QEL_MISS;
  Date d = *date;
  int64_t secs = DATE_num_sec(&d);
  Date utc, disp;
  char abbr[16], suffix[20];
  if (DATE_get_gmdate(&secs, &utc) != 0 || DATE_get_zonedate(secs, &disp, abbr, sizeof abbr, nullptr) != 0)
    return DATE_make_label(date, label);
  // A zone half an hour off UTC shows its minutes even for a whole hour.
  with_min = with_min || disp.min != utc.min;
  snprintf(suffix, sizeof suffix, " %s", abbr);
  char tpart[64], text[96];
  time_part(tpart, sizeof tpart, disp.hour, disp.min, with_min, utc.hour, utc.min, suffix, true);
  snprintf(text, sizeof text, "%s %2d %3s %2.2d", tpart, disp.day, DATE_month(disp.month), disp.year % 100);
  str_copy(label, text, size);
  return 0;
}
