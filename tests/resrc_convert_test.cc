// Tests of resource value conversion: the rules on a missing value or
// target, the requested-time forms, draw lists, flags set from words, and
// the storing converters.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "qelresrc.h"

namespace {

// The requested time after converting `value`, as "year month day hour min".
std::string hour_of(const char *value) {
  Date reset;
  DATE_init(&reset);
  FILE_set_time(&reset);
  EXPECT_EQ(RES_conv_data(value, nullptr, CV_hour), 1);
  Date d;
  FILE_get_time(&d);
  char text[80];
  snprintf(text, sizeof text, "%d %d %d %d %d", d.year, d.month, d.day, d.hour, d.min);
  return text;
}

std::string switches() {
  std::string s;
  for (int i = 0; i <= 12; i++) s += std::to_string(FLAG_getplot(i)) + (i < 12 ? " " : "");
  return s;
}

}  // namespace

TEST(ConvHour, RequestedTimeForms) {
  const char *const U = "-9999";
  struct Case {
    const char *value;
    std::string want;
  };
  auto t = [&](const char *y, const char *mo, const char *d, const char *h, const char *mi) {
    return std::string(y) + " " + mo + " " + d + " " + h + " " + mi;
  };
  const Case cases[] = {
      {"12", t(U, U, U, "12", U)},
      {"12:30", t(U, U, U, "12", "30")},
      {"-6", t(U, U, U, "-6", U)},
      {"-0:30", t(U, U, U, U, "-30")},
      {"061512", t(U, "6", "15", "12", U)},
      {"1512", t(U, U, "15", "12", U)},
      {"512", t(U, U, "5", "12", U)},
      {"#2026120706", t("2026", "12", "7", "6", U)},
      {"#202612070630", t("2026", "12", "7", "6", "30")},
      {"#2026", t("2026", U, U, U, U)},
      {"#20", t("20", U, U, U, U)},        // the position moves by 4 anyway
      {"#2026x1", t("2026", U, U, U, U)},  // stops at a non-digit
      {"#x", t(U, U, U, U, U)},
      {"5d12", t(U, U, "5", U, U)},  // the 4-character form comes first
      {"5d12:00", t(U, U, "5", "12", "0")},
      {"2d", t(U, U, "2", U, U)},
      {":45", t(U, U, U, U, "45")},
      {"-:45", t(U, U, U, U, "-45")},
      {"abc", t(U, U, U, U, U)},
      {"", t(U, U, U, U, U)},
  };
  for (const Case &c : cases) EXPECT_EQ(hour_of(c.value), c.want) << '"' << c.value << '"';
}

TEST(ConvHour, UnreadMinuteIsNotNegated) {
  const std::string unset = "-9999 -9999 -9999 -9999 -9999";
  EXPECT_EQ(hour_of("-0"), unset);
  EXPECT_EQ(hour_of("-:"), unset);
  EXPECT_EQ(hour_of("-:x"), unset);
}

TEST(ConvDraw, SwitchSequences) {
  // Sums: 0 = 1..6 and 12 = 0..11, recomputed on every change.
  EXPECT_EQ(RES_conv_data("-map", nullptr, CV_draw), 1);
  EXPECT_EQ(switches(), "6 1 1 1 1 1 1 1 0 1 1 1 16");
  RES_conv_data("map,data", nullptr, CV_draw);  // unsigned first item: exactly these
  EXPECT_EQ(switches(), "0 0 0 0 0 0 0 1 1 0 0 0 2");
  RES_conv_data("+text_ul,+GRID,-data,bogus", nullptr, CV_draw);
  EXPECT_EQ(switches(), "1 1 0 0 0 0 0 0 1 1 0 0 4");
  RES_conv_data("text", nullptr, CV_draw);  // the text switches and the border
  EXPECT_EQ(switches(), "6 1 1 1 1 1 1 0 0 0 0 1 13");
  RES_conv_data("-all", nullptr, CV_draw);  // "all" whatever the sign
  EXPECT_EQ(switches(), "6 1 1 1 1 1 1 1 1 1 1 1 17");
  RES_conv_data("+none,map", nullptr, CV_draw);
  EXPECT_EQ(switches(), "0 0 0 0 0 0 0 0 1 0 0 0 1");
}

TEST(ConvFlags, WordsIntoFlags) {
  FLAG_reset(-9999);
  struct Case {
    const char *word;
    int flag15;
  };
  for (const Case &c : {Case{"app", 2}, Case{"append", 2}, Case{"USE", 3}, Case{"over", 1}, Case{"reuse", 3},
                        Case{"use,app", 3}, Case{"recalc", 1}}) {
    EXPECT_EQ(RES_conv_data(c.word, nullptr, CV_file_param), 1);
    EXPECT_EQ(FLAG_get(15), c.flag15) << c.word;
  }
  for (const Case &c : {Case{"skewt", 62}, Case{"Stream", 23}, Case{"raw", 0}, Case{"rawx", 0}, Case{"none", 99},
                        Case{"gvalue", 17}, Case{"hodo", 69}}) {
    RES_conv_data(c.word, nullptr, CV_plot_type);
    EXPECT_EQ(FLAG_get(11), c.flag15) << c.word;
  }

  EXPECT_EQ(RES_set_device("ps"), 4);
  EXPECT_EQ(RES_set_device("Hp"), 5);
  EXPECT_EQ(RES_set_device("qms"), 5);
  EXPECT_EQ(RES_set_device("meta"), 3);
  EXPECT_EQ(RES_set_device("W"), 6);
  EXPECT_EQ(RES_set_device("display"), 1);
  EXPECT_EQ(RES_set_device(""), 1);
  const char *params = nullptr;
  EXPECT_EQ(RES_conv_data("ps,a4,land", &params, CV_device), 1);
  EXPECT_EQ(FLAG_get(2), 4);
  EXPECT_STREQ(params, "a4,land");
  params = nullptr;
  RES_conv_data("", &params, CV_device);
  EXPECT_EQ(FLAG_get(2), 1);
  EXPECT_EQ(params, nullptr);
  FLAG_set(2, 7);
  EXPECT_EQ(RES_conv_data("ps", nullptr, CV_device), 0);  // needs a target
  EXPECT_EQ(FLAG_get(2), 7);
}

TEST(ConvRules, MissingValueOrTarget) {
  // Presence alone: batch and help.
  EXPECT_EQ(RES_conv_data(nullptr, nullptr, CV_help), 1);
  EXPECT_EQ(FLAG_help(), 1);
  EXPECT_EQ(RES_conv_data(nullptr, nullptr, CV_batch), 1);
  EXPECT_EQ(FLAG_batch(), 1);
  EXPECT_EQ(MESS_get_level(), 0xFFu);  // no explicit level yet
  EXPECT_EQ(MESS_check_set(), 1);

  // Global converters need a value only; storing ones a target too.
  EXPECT_EQ(RES_conv_data(nullptr, nullptr, CV_mess), 0);
  EXPECT_EQ(MESS_check_set(), 1);
  EXPECT_EQ(RES_conv_data("mess", nullptr, CV_mess), 1);
  EXPECT_EQ(MESS_get_level(), 0xFFFu);
  EXPECT_EQ(RES_conv_data(nullptr, nullptr, CV_hour), 0);
  EXPECT_EQ(RES_conv_data("12", nullptr, CV_int), 0);
  EXPECT_EQ(RES_conv_data("12", nullptr, CV_string), 0);
  EXPECT_EQ(RES_conv_data("yes", nullptr, CV_bool), 0);
  EXPECT_EQ(RES_conv_data("x", nullptr, CV_current), 0);
  int i = 5;
  EXPECT_EQ(RES_conv_data(nullptr, &i, CV_int), 0);
  EXPECT_EQ(RES_conv_data("x", &i, CV_none), 1);
  EXPECT_EQ(RES_conv_data("x", &i, CV_name), 1);
  EXPECT_EQ(i, 5);

  // A later batch conversion leaves an explicit level alone.
  RES_conv_data(nullptr, nullptr, CV_batch);
  EXPECT_EQ(MESS_get_level(), 0xFFFu);
}

TEST(ConvStore, NumbersBooleansAndTexts) {
  int i = 7;
  EXPECT_EQ(RES_conv_data("0x1F", &i, CV_int), 1);
  EXPECT_EQ(i, 31);
  RES_conv_data("-12", &i, CV_int);
  EXPECT_EQ(i, -12);
  RES_conv_data("+8", &i, CV_int);
  EXPECT_EQ(i, 8);
  EXPECT_EQ(RES_conv_data("abc", &i, CV_int), 1);
  EXPECT_EQ(i, 8);

  int16_t s = 1;
  RES_conv_data("-3", &s, CV_short);  // a sign is not a digit here
  EXPECT_EQ(s, 1);
  RES_conv_data("300", &s, CV_short);
  EXPECT_EQ(s, 300);
  int64_t l = 0;
  RES_conv_data("5000000000", &l, CV_long);
  EXPECT_EQ(l, 5000000000LL);
  RES_conv_data("-42x", &l, CV_color);
  EXPECT_EQ(l, -42);
  float f = 0;
  RES_conv_data("2.5", &f, CV_float);
  EXPECT_FLOAT_EQ(f, 2.5f);

  int b = 9;
  for (const char *w : {"yes", "ON", "true"}) {
    b = 9;
    RES_conv_data(w, &b, CV_bool);
    EXPECT_EQ(b, 1) << w;
  }
  for (const char *w : {"no", "Off", "FALSE"}) {
    b = 9;
    RES_conv_data(w, &b, CV_bool);
    EXPECT_EQ(b, 0) << w;
  }
  b = 9;
  EXPECT_EQ(RES_conv_data("maybe", &b, CV_bool), 1);
  EXPECT_EQ(b, 9);
  EXPECT_EQ(RES_conv_data(nullptr, &b, CV_bool), 1);  // present without a value
  EXPECT_EQ(b, 1);

  const char *value = "abc";
  const char *text = nullptr;
  RES_conv_data(value, &text, CV_string);
  EXPECT_EQ(text, value);  // the registry's own copy, not a new one

  char buf[QEL_NAME_LEN];
  std::string long_name(300, 'f');
  RES_conv_data(long_name.c_str(), buf, CV_strcpy);
  EXPECT_EQ(std::string(buf), long_name.substr(0, QEL_NAME_LEN - 1));

  char *path = nullptr;
  RES_conv_data("/data", &path, CV_path);
  EXPECT_STREQ(path, "/data/");
  free(path);
  RES_conv_data("/data/", &path, CV_path);
  EXPECT_STREQ(path, "/data/");
  free(path);
  const char *none = nullptr;
  RES_conv_data("NONE", &none, CV_path);
  EXPECT_STREQ(none, "");
}

TEST(ConvStore, RegionAndDomainDecodeIntoTheRecord) {
  Domain d;
  FLAG_set(5, 77);
  EXPECT_EQ(RES_conv_data("us", nullptr, CV_region), 0);
  EXPECT_EQ(FLAG_get(5), 77);  // nothing decoded without a target
  EXPECT_EQ(RES_conv_data("us", &d, CV_region), 1);
  EXPECT_EQ(d.dx, 2.3f);
  EXPECT_EQ(FLAG_get(5), 2);
  EXPECT_EQ(RES_conv_data("40,-95,10,12", &d, CV_domain), 1);
  EXPECT_EQ(d.nx, 10);
  EXPECT_EQ(FLAG_get(5), 1);
}
