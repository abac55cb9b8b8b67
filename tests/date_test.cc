// Tests of the date module: seconds and their normalisation, day of year,
// month names, the display labels with and without a zone, and the zone
// of local times.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "qel.h"
#include "test_util.h"

namespace {

Date make(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  Date r;
  DATE_init(&r);
  r.year = y, r.month = mo, r.day = d, r.hour = h, r.min = mi, r.sec = s;
  return r;
}

std::string label(Date d) {
  char buf[32];
  EXPECT_EQ(DATE_make_label(&d, buf), 0);
  return buf;
}

}  // namespace

TEST(DateNumSec, TwoDigitYearsAreWidenedAndWrittenBack) {
  Date d = make(98, 1, 1);
  EXPECT_EQ(DATE_num_sec(&d), 883612800);
  EXPECT_EQ(d.year, 1998);
  struct Case {
    int in, out;
  } cases[] = {{26, 2026}, {49, 2049}, {50, 1950}, {199, 2099}, {-3, 1980}, {2026, 2026}};
  for (const Case &c : cases) {
    Date e = make(c.in, 3, 7);
    DATE_num_sec(&e);
    EXPECT_EQ(e.year, c.out) << c.in;
  }
}

TEST(DateNumSec, LeapDayAndMonthBoundaries) {
  Date feb29 = make(2000, 2, 29), mar1 = make(2000, 3, 1);
  EXPECT_EQ(DATE_num_sec(&feb29), 951782400);
  EXPECT_EQ(DATE_num_sec(&mar1), 951868800);
  Date day0 = make(2000, 3, 0);  // the day before the 1st
  EXPECT_EQ(DATE_num_sec(&day0), 951782400);
  Date eve = make(2025, 12, 31, 23, 59, 59), newyear = make(2026, 1, 1);
  EXPECT_EQ(DATE_num_sec(&eve) + 1, DATE_num_sec(&newyear));
}

TEST(DateNumSec, UnsetAndOutOfRangeFieldsAreRepairedInPlace) {
  Date d = make(2026, 13, 40, 24, QEL_MISS, 60);
  int64_t secs = DATE_num_sec(&d);
  EXPECT_EQ(d.month, 1);
  EXPECT_EQ(d.day, 1);
  EXPECT_EQ(d.hour, 0);
  EXPECT_EQ(d.min, 0);
  EXPECT_EQ(d.sec, 0);
  Date jan1 = make(2026, 1, 1);
  EXPECT_EQ(secs, DATE_num_sec(&jan1));
}

TEST(DateGmdate, BreaksDownEveryFieldAndRoundTrips) {
  int64_t secs = 951868800;  // Wednesday 1 March 2000
  Date d;
  EXPECT_EQ(DATE_get_gmdate(&secs, &d), 0);
  EXPECT_EQ(d.year, 2000);
  EXPECT_EQ(d.month, 3);
  EXPECT_EQ(d.day, 1);
  EXPECT_EQ(d.jday, 61);
  EXPECT_EQ(d.wday, 3);
  for (int64_t t : {int64_t(0), int64_t(883612800 - 1), int64_t(1772884800), int64_t(4102444799)}) {
    DATE_get_gmdate(&t, &d);
    EXPECT_EQ(DATE_num_sec(&d), t);
  }
}

TEST(DateJulian, DayOfYearConversionsAndClamps) {
  int m = 0, d = 0, j = 0;
  DATE_julian_monday(2024, 366, &m, &d);
  EXPECT_EQ(m * 100 + d, 1231);
  DATE_julian_monday(2023, 400, &m, &d);
  EXPECT_EQ(m * 100 + d, 1231);
  DATE_julian_monday(2024, 60, &m, &d);
  EXPECT_EQ(m * 100 + d, 229);
  DATE_julian_monday(2023, 60, &m, &d);
  EXPECT_EQ(m * 100 + d, 301);
  DATE_julian_monday(2023, -5, &m, &d);
  EXPECT_EQ(m * 100 + d, 101);
  DATE_monday_julian(2024, 3, 1, &j);
  EXPECT_EQ(j, 61);
  DATE_monday_julian(2023, 3, 1, &j);
  EXPECT_EQ(j, 60);
  DATE_monday_julian(2023, 13, 1, &j);  // December's entry
  EXPECT_EQ(j, 335);
  EXPECT_EQ(DATE_is_leap(2000) + DATE_is_leap(2024), 2);
  EXPECT_EQ(DATE_is_leap(1900) + DATE_is_leap(2023), 0);
}

TEST(DateMonths, NamesAndDecoding) {
  EXPECT_STREQ(DATE_month(3), "MAR");
  EXPECT_STREQ(DATE_month_lower(12), "dec");
  EXPECT_STREQ(DATE_month(0), "");
  EXPECT_STREQ(DATE_month_lower(13), "");
  struct Case {
    const char *text;
    int month;
  } cases[] = {{"MAR", 3}, {"mar", 3}, {"Mar", 0}, {"Feb", 2}, {"Dxx", 12}, {"JAN", 1},      {"jan", 1},
               {"JUN", 6}, {"jul", 7}, {"MAY", 5}, {"apr", 4}, {"AUG", 8},  {"Jun", 0},      {"xyz", 0},
               {"", 0},    {"J", 0},   {"JU", 0},  {"sep", 9}, {"OCT", 10}, {"november", 11}};
  for (const Case &c : cases) EXPECT_EQ(DATE_decode_month(c.text), c.month) << c.text;
  EXPECT_EQ(DATE_decode_month(nullptr), 0);
}

TEST(DateLabel, FirstUnsetFieldChoosesTheForm) {
  Date d;
  DATE_init(&d);
  d.year = 2026;
  EXPECT_EQ(label(d), "26");
  d.month = 3;
  EXPECT_EQ(label(d), "MAR 26");
  d.day = 7;
  EXPECT_EQ(label(d), " 7 MAR 26");
  d.hour = 12;
  EXPECT_EQ(label(d), "12Z  7 MAR 26");
  d.hour = 0;
  EXPECT_EQ(label(d), "00Z  7 MAR 26");
  d.hour = 12, d.min = 30;
  EXPECT_EQ(label(d), "1230Z  7 MAR 26");
  d.year = -1, d.month = 14, d.day = 40, d.hour = 30, d.min = 75;
  EXPECT_EQ(label(d), "0000Z  1 JAN 80");
  EXPECT_EQ(DATE_make_label(&d, nullptr), -1);
}

TEST(DateLabel, AmPmWithUtcInBrackets) {
  DATE_set_TZ("-EST:-5");
  Date d = make(2026, 3, 7, 12, QEL_MISS);
  char buf[32];
  DATE_make_label(&d, buf);
  EXPECT_STREQ(buf, "7:00 AM EST [1200Z]  7 MAR 26");
  EXPECT_EQ(d.min, 0);  // the caller's record was normalised
  EXPECT_EQ(label(make(2026, 3, 7, 18, 5)), "1:05 PM EST [1805Z]  7 MAR 26");
  EXPECT_EQ(label(make(2026, 3, 7, 17, 0)), "12:00 PM EST [1700Z]  7 MAR 26");
  EXPECT_EQ(label(make(2026, 1, 1, 5, 0)), "12:00 AM EST [0500Z]  1 JAN 26");
  EXPECT_EQ(label(make(2026, 1, 1, 3, 0)), "10:00 PM EST [0300Z] 31 DEC 25");
  // The longest label still fits its 32 bytes.
  DATE_set_TZ("-ABCD:-1");
  EXPECT_EQ(label(make(2026, 12, 31, 23, 59)), "10:59 PM ABCD [2359Z] 31 DEC 26");
}

TEST(DateLabel, TwentyFourHourZoneAndAmPmWithoutBrackets) {
  DATE_set_TZ("CST:-6");
  EXPECT_EQ(label(make(2026, 3, 7, 12, QEL_MISS)), "0600 CST  7 MAR 26");
  DATE_set_TZ("IST:5.5");
  EXPECT_EQ(label(make(2026, 3, 7, 12, 0)), "1730 IST  7 MAR 26");
  DATE_set_TZ("+PST:-8");
  EXPECT_EQ(label(make(2026, 3, 7, 12, 0)), "4:00 AM PST  7 MAR 26");
}

TEST(DateLabel, ZoneWithoutReadableHoursKeepsUtcTimes) {
  DATE_set_TZ("+UTC");
  EXPECT_EQ(label(make(2026, 3, 7, 12, QEL_MISS)), "12 PM UTC  7 MAR 26");
  EXPECT_EQ(label(make(2026, 3, 7, 0, 30)), "12:30 AM UTC  7 MAR 26");
  // An empty zone text is still a zone: an empty name, the style kept.
  DATE_set_TZ("");
  EXPECT_EQ(label(make(2026, 3, 7, 12, QEL_MISS)), "12 PM   7 MAR 26");
}

TEST(DatePrint, PrintsTheFieldsAtTheGivenLevel) {
  Date d = make(2026, 3, 7, 12, 5, 9);
  auto o = qeltest::capture([&] { DATE_print(M_PRINT, &d); });
  EXPECT_EQ(o.out, "2026/3/7 12:05:09\n");
  o = qeltest::capture([&] { DATE_print(M_DEBUG, &d); });
  EXPECT_EQ(o.out, "");
}

TEST(DateZone, IanaNamesTheMachinesZoneAndUnknownNames) {
  // In a child: the zone goes into the process's TZ.
  auto o = qeltest::run_child([] {
    setenv("TZ", "Asia/Tokyo", 1);  // the machine's zone, for "local"
    auto show = [](int64_t secs) {
      Date d;
      char abbr[16];
      int32_t off;
      DATE_get_zonedate(secs, &d, abbr, sizeof abbr, &off);
      printf("%02d:%02d %s %d|", d.hour, d.min, abbr, off);
    };
    auto zone_label = [](Date d) {
      char buf[80];
      DATE_make_zone_label(&d, buf, sizeof buf);
      printf("%s|", buf);
    };
    show(1615705199);  // 2021-03-14 06:59:59Z: no zone is UTC
    int set = DATE_set_zone("America/New_York");
    printf("%d %d\n", set, DATE_zone_set());
    show(1615705199), show(1615705200);  // the last second of EST, the first of EDT
    show(1636264799), show(1636264800);  // 2021-11-07 05:59:59Z and 06:00Z: EDT, then EST again
    zone_label(make(2014, 1, 1, 0, QEL_MISS)), zone_label(make(2014, 1, 1, 0, 30));
    zone_label(make(2014, 1, 1, QEL_MISS));          // no hour: the date as it is
    printf("\n%d ", DATE_set_zone("Asia/Kolkata"));  // half an hour off: the minutes always
    zone_label(make(2014, 1, 1, 0, QEL_MISS));
    printf("\n%d ", DATE_set_zone("local"));
    show(1615705200);
    // Names the database does not hold: no zone, the labels of UTC.
    for (const char *bad : {"Mars/Olympus", "../../etc/passwd", "/usr/share/zoneinfo/UTC", "America", ".hidden", ""}) {
      set = DATE_set_zone(bad);
      printf("\n%s %d %d", bad, set, DATE_zone_set());
    }
    printf(" ");
    zone_label(make(2014, 1, 1, 0, QEL_MISS));
    show(1615705200);
    fflush(stdout);
    _exit(0);
  });
  EXPECT_EQ(o.out,
            "06:59 UTC 0|1 1\n"
            "01:59 EST -18000|03:00 EDT -14400|01:59 EDT -14400|01:00 EST -18000|"
            "19 EST [00Z] 31 DEC 13|1930 EST [0030Z] 31 DEC 13| 1 JAN 14|\n"
            "1 0530 IST [0000Z]  1 JAN 14|\n"
            "1 16:00 JST 32400|\n"
            "Mars/Olympus -1 0\n"
            "../../etc/passwd -1 0\n"
            "/usr/share/zoneinfo/UTC -1 0\n"
            "America -1 0\n"
            ".hidden -1 0\n"
            " 0 0 00Z  1 JAN 14|07:00 UTC 0|");
}
