// Tests of the city database: records with their marks, cut and missing
// fields, the handles, choosing the file, and station lookups, by a scan
// of the file and through the station table's index.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qelcty.h"
#include "qelresrc.h"
#include "test_util.h"

using qeltest::capture;
using qeltest::data_file;
using qeltest::TempDir;

namespace {

const char kCities[] =
    "Indianapolis IN US KIND *2* 39.73 -86.27 241 72438 1\n"
    "Eagle CO US KEED 5 39.65 -106.92 9999 3423\n"
    "A_Name_Longer_Than_Twenty_Characters INDIANA USA IDENTIFIER_TOO_LONG *7 1.5 abc 3 4 5\n"
    "\n"
    "Second_KIND XX US KIND 3 10.0 20.0 100 11111 2\r\n"
    "Overflow XX US KOVR 1 1.0 2.0 3.0 99999999999 1\n"
    "NoDigit XX US KNOD * 1 2 3 4 5\n";

// "fields|name|state|region|id|prior|marks|lat|lon|el|wmo|num"
std::string record(int n, const CTY_data &d) {
  char text[200];
  snprintf(text, sizeof text, "%d|%s|%s|%s|%s|%d|%c%c|%g|%g|%g|%d|%d", n, d.name, d.state, d.region, d.id, d.prior,
           d.mos, d.ua, d.lat, d.lon, d.el, d.wmo, d.num);
  return text;
}

class CityFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("sao.cty", kCities);
    RES_put("file_path", dir.path().c_str());
  }
  TempDir dir;
};

}  // namespace

TEST_F(CityFile, ReadGivesEveryRecordCutToItsFields) {
  int count = -1;
  int fd = CTY_open_file(nullptr, &count);
  ASSERT_GE(fd, 0);
  EXPECT_EQ(count, static_cast<int>((sizeof kCities - 1) / 59));
  std::vector<std::string> got;
  CTY_data d;
  for (int n; (n = CTY_read(fd, &d)) != -1;) got.push_back(record(n, d));
  const std::vector<std::string> want = {
      "10|Indianapolis|IN|US|KIND|2|**|39.73|-86.27|241|72438|1",
      "9|Eagle|CO|US|KEED|5|  |39.65|-106.92|-9999|3423|0",
      // A long word is cut to its field, never shifted into the next one;
      // the first field that does not convert ends the record.
      "6|A_Name_Longer_Than_T|IN|US|IDENTIFIE|7|* |1.5|-9999|-9999|-9999|0",
      "10|Second_KIND|XX|US|KIND|3|  |10|20|100|11111|2",
      "8|Overflow|XX|US|KOVR|1|  |1|2|3|-9999|0",
      "10|NoDigit|XX|US|KNOD|-9999|* |1|2|3|4|5",
  };
  EXPECT_EQ(got, want);

  EXPECT_EQ(CTY_rewind(fd), 0);
  ASSERT_EQ(CTY_read(fd, &d), 10);
  EXPECT_STREQ(d.id, "KIND");
  EXPECT_EQ(CTY_read(fd + 1, &d), -1);
  EXPECT_EQ(CTY_rewind(fd + 1), -1);
  EXPECT_EQ(CTY_close(fd + 1), -1);
  EXPECT_EQ(CTY_close(fd), 0);
  EXPECT_EQ(CTY_read(fd, &d), -1);
  EXPECT_EQ(CTY_rewind(fd), -1);
  EXPECT_EQ(CTY_close(fd), -1);
  EXPECT_EQ(CTY_open(dir.file("sao.cty").c_str(), 2, 0), -1);
}

TEST_F(CityFile, OpenFileChoosesTheDatabase) {
  auto o = capture([] { EXPECT_EQ(CTY_open_file("missing.cty", nullptr), -1); });
  EXPECT_EQ(o.err, "CTY_open_file: Database file not found: " + dir.file("missing.cty") + "\n");

  // The resource wins over the name passed in; "none" means no database.
  dir.write("other.cty", "Other XX US KOTH 1 1 2 3 4 5\n");
  RES_put("city_file", "other.cty");
  CTY_data d;
  EXPECT_EQ(CTY_get("sao.cty", "KOTH", &d), 1);
  RES_put("city_file", "NONE");
  o = capture([] { EXPECT_EQ(CTY_open_file(nullptr, nullptr), -1); });
  EXPECT_EQ(o.out + o.err, "");
}

TEST_F(CityFile, GetFindsTheFirstRecordByIdNameOrWmo) {
  CTY_data d;
  auto o = capture([&] { EXPECT_EQ(CTY_get(nullptr, "kind", &d), 1); });
  EXPECT_EQ(o.out, "Searching the city database file for: kind ...\n");
  EXPECT_STREQ(d.name, "Indianapolis");  // not the second KIND
  EXPECT_EQ(CTY_get(nullptr, "EAGLE", &d), 1);
  EXPECT_STREQ(d.id, "KEED");
  EXPECT_EQ(CTY_get(nullptr, "03423", &d), 1);
  EXPECT_STREQ(d.id, "KEED");
  EXPECT_EQ(CTY_get(nullptr, "3423", &d), 0);  // only in five digits
  EXPECT_STREQ(d.id, "KEED");                  // unchanged when not found
  EXPECT_EQ(CTY_get(nullptr, "", &d), 0);

  float lat = 1, lon = 2;
  EXPECT_EQ(CTY_get_loc(nullptr, "keed", &lat, &lon), 1);
  EXPECT_FLOAT_EQ(lat, 39.65f);
  EXPECT_FLOAT_EQ(lon, -106.92f);
  lat = 1, lon = 2;
  EXPECT_EQ(CTY_get_loc(nullptr, "KXXX", &lat, &lon), 0);
  EXPECT_EQ(lat, 1);
  EXPECT_EQ(lon, 2);
}

TEST(StationTable, FindByIdThreeLetterAndFaaFormsOnceWarned) {
  TempDir empty;
  RES_put("file_path", empty.path().c_str());
  RES_put("city_file", data_file("stations.cty").c_str());
  CTY_data d;
  // Any case; BOS and 2A1 are KBOS and K2A1; HNL has a record of its own.
  auto found = [&](const char *id) { return CTY_find(id, &d) ? std::string(d.id) + " " + d.name : "-"; };
  std::string got;
  for (const char *id : {"kbos", "BOS", "2a1", "HNL", "PHNL", "KXXX", "XXX", "EED ", ""}) got += found(id) + ",";
  EXPECT_EQ(got, "KBOS BOSTON,KBOS BOSTON,K2A1 JAMESTOWN,HNL HONOLULU,PHNL HONOLULU,-,-,-,-,");
  EXPECT_STREQ(d.id, "PHNL");  // unchanged by the misses

  // A table the user named that cannot be read is named once, whatever
  // the number of lookups; "none", and no table at all, say nothing.
  CTY_find_reset();
  RES_put("city_file", "missing.cty");
  auto o = capture([&] {
    EXPECT_EQ(CTY_find("KBOS", &d), 0);
    EXPECT_EQ(CTY_find("KEED", &d), 0);
  });
  EXPECT_EQ(o.out + o.err, "QEL: cannot read the station table missing.cty: No such file or directory\n");
  for (const char *cf : {"none", ""}) {
    CTY_find_reset();
    RES_put("city_file", cf);
    o = capture([&] { EXPECT_EQ(CTY_find("KBOS", &d), 0); });
    EXPECT_EQ(o.out + o.err, "") << cf;
  }
  // sao.cty in the file_path directory is the table by default.
  CTY_find_reset();
  empty.write("sao.cty", "EAGLE CO US KEGE 4 39.64 -106.92 1993 -9999 0\n");
  EXPECT_EQ(found("EGE"), "KEGE EAGLE");
}
