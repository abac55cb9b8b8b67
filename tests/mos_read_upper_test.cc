// Tests of the upper-air and extended-range readers on small hand-made
// bulletins: the run each product gives, and the missing codes of the
// extended-range rows.

#include <gtest/gtest.h>

#include <string>

#include "qelmos.h"
#include "test_util.h"

using qeltest::TempDir;

namespace {

class UpperReaders : public ::testing::Test {
 protected:
  // Binds `bulletin` as the file of the next retrievals for model `code`.
  void use(int code, const std::string &bulletin) {
    FLAG_set(4, code);
    PAR_set_in_file("");
    char name[QEL_NAME_LEN];
    FILE_set_file(dir.write("bulletin.txt", bulletin).c_str(), name);
    DATE_init(&d);
  }

  TempDir dir;
  Date d;
};

}  // namespace

TEST_F(UpperReaders, RunOfEachProductAndNoneWhenItGivesNone) {
  const char *pair = "AAA//705530 -0502 101618 72221202   BBB//756035 -0801 091516 71211101\n";
  std::string b = std::string("FOUS61 KWNO 121200\nOUTPUT FROM NAM 12Z MAR 12 99\n") + pair +
                  "FOUS62 KWNO 121200\nTTPTTR1R2R3 VVVLI PSDDFF HHT1T3T5\n" +
                  "CCC//705530 -0502 101618 72221202   DDD//756035 -0801 091516 71211101\n\n";
  use(MOS_NAM_UA, b);
  MOSU_report u;
  Date run;
  ASSERT_EQ(MOSU_get_station(&d, "BBB", &u), 1);
  ASSERT_EQ(MOS_get_run(&run), 1);
  EXPECT_EQ(run.year, 1999);
  EXPECT_EQ(run.month, 3);
  EXPECT_EQ(run.day, 12);
  EXPECT_EQ(run.hour, 12);
  // The second product, right after the first one's last line, names no
  // run: the first one's does not carry over.
  ASSERT_EQ(MOSU_get_station(&d, "CCC", &u), 1);
  EXPECT_EQ(MOS_get_run(&run), 0);
  EXPECT_EQ(u.psl[0], 1010);
}

TEST_F(UpperReaders, ExtendedRangeMissingCodes) {
  use(MOS_MRFX,
      "FOUS20 KWBC 201200\n"
      "MRF EXTENDED RANGE GUIDANCE   11/20/2025  1200 UTC\n"
      "STA    FHR  24| 36  48|CLIMO\n"
      "KAAA   SOMEWHERE\n"
      "X/N 999| 39  51| 42  46| 33  41| 30  44| 35  49| 37  45| 31  40| 34 999\n"
      "TMP 999| 42  48| 44  43| 36  38| 33  41| 38  45| 40  42| 34  37| 33  39\n"
      "POP24 | 62 |999 |  8\n"
      "P12  40| 55  35| 20 X\n\n");
  MOSM_report m;
  ASSERT_EQ(MOSM_get_station(&d, "KAAA", &m), 1);
  EXPECT_EQ(m.max[0], -9999);  // above 900: missing
  EXPECT_EQ(m.max[1], 51);
  EXPECT_EQ(m.nmin[3], 34);  // the normals of day 8 hold for every day
  EXPECT_EQ(m.nmax[3], -9999);
  EXPECT_EQ(m.t[0][1], 999);  // temperatures are not tested
  EXPECT_EQ(m.pop24[1], 62);
  EXPECT_EQ(m.pop24[2], -9999);
  EXPECT_EQ(m.pop24[4], -9999);  // past the end of the row
  EXPECT_EQ(m.pop12[2][0], 20);  // splitting stops at the text that does not fit
  EXPECT_EQ(m.pop12[2][1], -9999);
  Date run;
  ASSERT_EQ(MOS_get_run(&run), 1);
  EXPECT_EQ(run.year, 2025);
  EXPECT_EQ(run.month, 11);
  EXPECT_EQ(run.day, 20);
  EXPECT_EQ(run.hour, 12);
}
