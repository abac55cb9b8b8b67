// Tests of plot domains and regions: projection keywords, the base
// priority, the region file (search and menu) and the fifteen domain forms
// with their station, region and bad-input cases and their effects.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel.h"
#include "qelresrc.h"
#include "test_util.h"

using qeltest::capture;
using qeltest::TempDir;

namespace {

// A line longer than a region-file line may be: what follows its first 500
// characters ("tail ...") is not a line of its own.
const std::string kWideLine = "wide Wide 1 40,-95," + std::string(490, 'x') + " tail Tail 1 30,-80";

const std::string kRegions =
    "# abbr name flag domain\n"
    "ne New_England_Region_Too_Long 1 ps:60:-76,42,-76,0.9\n"
    "hidden Hidden 0 40,-95\n"
    "toolongabbr Long_Abbreviation 2 lamb,35,-90,1.0\n"
    "loop Loops 1 loop\n" +
    kWideLine +
    "\n"
    "bad only_two\n"
    "far Far_Away 1 size,800,600\n"
    "\n"
    "after After_Blank 1 40,-95\n";

// "result proj plat plon param0-3 clat clon dx dy nx ny ellipse"
std::string domain(const char *text) {
  Domain d;
  int r = DOM_decode(text, &d);
  char out[300];
  snprintf(out, sizeof out, "%d: %d %g %g %g %g %g %g %g %g %g %g %d %d %d", r, d.proj, d.plat, d.plon, d.param[0],
           d.param[1], d.param[2], d.param[3], d.clat, d.clon, d.dx, d.dy, d.nx, d.ny, d.ellipse);
  return out;
}

// The value of file-name key "r", through a template.
std::string key_r() {
  char type[] = "@%r";
  FILE_set_name(type);
  Date d;
  DATE_init(&d);
  d.year = 2026, d.month = 3, d.day = 7, d.hour = 12;
  char out[QEL_NAME_LEN];
  FILE_set_date(&d, out);
  return out;
}

class RegionFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("qel.reg", kRegions);
    dir.write("sao.cty",
              "Indianapolis IN US KIND *2* 39.73 -86.27 241 72438 1\n"
              "Eagle CO US KEED 5 39.65 -106.92 9999 3423\n");
    dir.write("other.cty", "Other XX US KOTH 1 12.5 -45 3 4 5\n");
    dir.write("single.reg", "ps,40,-95,1\n");
    RES_put("file_path", dir.path().c_str());
  }
  TempDir dir;
};

}  // namespace

TEST(DomProjStr, KeywordTable) {
  const char *const words[] = {"ll",  "LAT",   "latlon", "polar", "pol",   "ps",    "sat",    "lamb",  "lc",
                               "la",  "gn",    "or",     "mo",    "me",    "pix",   "xy",     "xlogy", "xlogp",
                               "cat", "skewt", "ema",    "teph",  "rteph", "therm", "stuve",  "hodo",  "vert",
                               "xp",  "xp:1",  "xpx",    "zoom",  "size",  "MISS",  "misses", "q",     ""};
  std::string got;
  for (const char *w : words) got += std::to_string(DOM_proj_str(w)) + " ";
  EXPECT_EQ(got, "2 2 2 1 -1 1 9 4 4 8 6 5 7 3 99 20 22 22 24 40 42 43 44 40 41 23 22 25 25 -1 50 51 -9999 -1 -1 -1 ");
  EXPECT_EQ(DOM_proj_str(nullptr), -1);
}

TEST(DomSetBasePrior, SizeStepsAndStatPrior) {
  std::string got;
  for (float size : {51.0f, 50.0f, 25.5f, 25.0f, 12.5f, 6.25f, 3.0f}) got += std::to_string(DOM_set_base_prior(size));
  EXPECT_EQ(got, "1223456");
  for (const char *adj : {"+2", "-1", "7x", "x", "+"}) {
    RES_put("stat_prior", adj);
    got += " " + std::to_string(DOM_set_base_prior(20.0f));
  }
  EXPECT_EQ(got, "1223456 5 2 7 3 3");
  EXPECT_EQ(DOM_get_prior(), 3);
}

TEST(DomGetDefRegion, BuiltInRegions) {
  Domain d;
  EXPECT_EQ(DOM_get_def_region("xx", &d), 0);
  ASSERT_EQ(DOM_get_def_region("SW", &d), 1);
  EXPECT_EQ(d.proj, 1);
  EXPECT_EQ(d.plon, -112.0f);
  EXPECT_EQ(d.clat, 37.0f);
  EXPECT_EQ(d.dx, 1.0f);
  EXPECT_EQ(d.ny, 17);
  // "var" asks for its centre.
  auto o = qeltest::run_child(
      [] {
        Domain v;
        DOM_get_def_region("var", &v);
        printf("\n%g %g %g %g\n", v.clat, v.clon, v.plon, v.dx);
        exit(0);
      },
      "40.5\n-90\n");
  EXPECT_EQ(o.out, "Enter the central latitude: Enter the central longitude: \n40.5 -90 -90 1.2\n");
}

TEST_F(RegionFiles, SearchFileFindsEntries) {
  char text[80];
  EXPECT_EQ(DOM_search_file("qel.reg", "NE", text), 1);
  EXPECT_STREQ(text, "ps:60:-76,42,-76,0.9");
  EXPECT_EQ(DOM_search_file("qel.reg", nullptr, text), 1);
  EXPECT_STREQ(text, "ps:60:-76,42,-76,0.9");
  EXPECT_EQ(DOM_search_file("qel.reg", "hidden", text), 1);  // hidden from the menu only
  EXPECT_STREQ(text, "40,-95");
  EXPECT_EQ(DOM_search_file("qel.reg", "wide", text), 1);
  EXPECT_EQ(std::string(text), ("40,-95," + std::string(490, 'x')).substr(0, 79));
  EXPECT_EQ(DOM_search_file("qel.reg", "tail", text), 0);
  EXPECT_EQ(DOM_search_file("qel.reg", "only_two", text), 0);
  EXPECT_EQ(DOM_search_file("qel.reg", "after", text), 0);  // the empty line ends the entries
  EXPECT_EQ(DOM_search_file("single.reg", "anything", text), 1);
  EXPECT_STREQ(text, "ps,40,-95,1");
  EXPECT_EQ(DOM_search_file("missing.reg", "ne", text), 0);
  EXPECT_STREQ(text, "");
}

TEST_F(RegionFiles, ReadMenuCutsFieldsToTheirRoom) {
  EXPECT_EQ(DOM_read_menu("missing.reg"), 0);
  int num = 0;
  const MENU_item *m = DOM_get_menu(&num);
  EXPECT_EQ(num, 9);
  EXPECT_STREQ(m[9].abbr, "var");

  ASSERT_EQ(DOM_read_menu("qel.reg"), 1);
  m = DOM_get_menu(&num);
  std::string got;
  for (int i = 0; i <= num + 1; i++)
    got += std::to_string(m[i].index) + " " + m[i].abbr + "|" + m[i].name + "|" + std::to_string(m[i].disp[0]) + "\n";
  EXPECT_EQ(got,
            "0 back|Return to previous menu|1\n"
            "1 ne|New England Region T|1\n"
            "2 toolo|Long Abbreviation|2\n"
            "3 loop|Loops|1\n"
            "4 wide|Wide|1\n"
            "5 far|Far Away|1\n"
            "6 after|After Blank|1\n"
            "0 ||0\n");
}

TEST_F(RegionFiles, DecodeForms) {
  const char *const U = "-9999 -9999 -9999 -9999 -9999 -9999";  // proj params, plat to param3
  struct Case {
    std::string text;
    std::string want;
  };
  const Case cases[] = {
      {"ps,40,-95,25,17,1.5,1.5", "1: 1 " + std::string(U) + " 40 -95 1.5 1.5 25 17 0"},
      {"ps:60:-105,40,-95,1.5", "1: 1 60 -105 -9999 -9999 -9999 -9999 40 -95 1.5 1.5 25 17 0"},
      {"lamb:e:30::1:2:3:4:5,40,-95,2", "1: 4 30 -9999 1 2 3 4 40 -95 2 2 25 17 1"},
      {"40,-95", "1: 1 " + std::string(U) + " 40 -95 1.2 1.2 25 17 0"},
      {"40,-95,10,12", "1: 1 " + std::string(U) + " 40 -95 1.2 1.2 10 12 0"},
      {"size,800,600", "1: 51 " + std::string(U) + " -9999 -9999 -9999 -9999 800 600 0"},
      {"zoom,3,4", "1: 50 " + std::string(U) + " 3 4 1 1 25 17 0"},
      {"none", "1: 1 " + std::string(U) + " -9999 -9999 1.2 1.2 25 17 0"},
      {"id:KIND", "1: 1 " + std::string(U) + " 39.73 -86.27 1.2 1.2 25 17 0"},
      {"ps,id:keed,2", "1: 1 " + std::string(U) + " 39.65 -106.92 2 2 25 17 0"},
      {"id:other.cty:KOTH", "1: 1 " + std::string(U) + " 12.5 -45 1.2 1.2 25 17 0"},
      {"us", "2: 1 -9999 -97 -9999 -9999 -9999 -9999 39 -97 2.3 2.3 25 17 0"},
      {"ne", "2: 1 60 -76 -9999 -9999 -9999 -9999 42 -76 0.9 0.9 25 17 0"},
      {"fi:qel.reg", "2: 1 60 -76 -9999 -9999 -9999 -9999 42 -76 0.9 0.9 25 17 0"},
      {"qel.reg:far", "2: 51 " + std::string(U) + " -9999 -9999 -9999 -9999 800 600 0"},
      {"qel.reg:", "2: -9999 " + std::string(U) + " -9999 -9999 -9999 -9999 -9999 -9999 0"},
      {"nowhere", "2: -1 " + std::string(U) + " -9999 -9999 -9999 -9999 -9999 -9999 0"},
      {"fi:|echo us", "2: -1 " + std::string(U) + " -9999 -9999 -9999 -9999 -9999 -9999 0"},  // no command
      {"miss", "-9999: -9999 " + std::string(U) + " -9999 -9999 -9999 -9999 -9999 -9999 0"},
      {"", "-9999: -9999 " + std::string(U) + " -9999 -9999 -9999 -9999 -9999 -9999 0"},
  };
  for (const Case &c : cases) EXPECT_EQ(domain(c.text.c_str()), c.want) << c.text;
  EXPECT_EQ(DOM_decode(nullptr, nullptr), QEL_MISS);
}

TEST_F(RegionFiles, DecodeRefusesBadText) {
  std::string commas;
  for (int i = 0; i < 1000; i++) commas += "1,";
  const std::string bad[] = {
      "xyz,1",
      "id:KNONE",               // a station not in the database
      "ps,1e999,-95,1.5",       // no finite number
      "40,-95,99999999999,17",  // no int
      commas + "1",
      "40," + std::string(10000, '9'),
  };
  for (const std::string &text : bad) {
    auto o = capture([&] { EXPECT_EQ(DOM_decode(text.c_str(), nullptr), -1) << text.substr(0, 40); });
    EXPECT_EQ(o.err, "DOM_decode: Invalid plot domain\n") << text.substr(0, 40);
  }
  // An entry that names itself ends at the nesting bound, once.
  auto o = capture([] { EXPECT_EQ(DOM_decode("loop", nullptr), 2); });
  EXPECT_EQ(o.err, "DOM_decode: Invalid plot domain\n");
}

TEST_F(RegionFiles, DecodeSetsFlagKeyAndPriority) {
  DOM_decode("40,-95", nullptr);  // 16 x 1.2 = 19.2
  EXPECT_EQ(FLAG_get(5), 1);
  EXPECT_EQ(DOM_get_prior(), 3);
  EXPECT_EQ(key_r(), "40,-95");
  DOM_decode("us", nullptr);  // 16 x 2.3 = 36.8
  EXPECT_EQ(FLAG_get(5), 2);
  EXPECT_EQ(DOM_get_prior(), 2);
  EXPECT_EQ(key_r(), "us");
  capture([] { DOM_decode("xyz,1", nullptr); });
  EXPECT_EQ(FLAG_get(5), -1);
  EXPECT_EQ(key_r(), "xyz,1");
}
