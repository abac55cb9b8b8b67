// Tests of the station MOS bulletin reader on small hand-made bulletins:
// the walk through blocks, the row tables' columns, slots, missing codes
// and conversions of each family.

#include <gtest/gtest.h>

#include <string>

#include "qelmos.h"
#include "test_util.h"

using qeltest::TempDir;

namespace {

// Reads station `id` of `bulletin` as model `code` through the retrieval.
class Reader : public ::testing::Test {
 protected:
  int get(int code, const std::string &bulletin, const char *id) {
    FLAG_set(4, code);
    PAR_set_in_file("");
    char name[QEL_NAME_LEN];
    FILE_set_file(dir.write("bulletin.txt", bulletin).c_str(), name);
    Date d;
    DATE_init(&d);
    return MOS_get_station(&d, id, &r);
  }

  TempDir dir;
  MOS_report r;
};

// A row of 3-character fields from `first` on: values[i] right-aligned in
// the field of slot i ("" leaves it blank).
std::string row(const std::string &label, int first, const std::vector<std::string> &values) {
  std::string s = label;
  s.resize(first, ' ');
  for (const std::string &v : values) s += std::string(3 - v.size(), ' ') + v;
  return s;
}

}  // namespace

TEST_F(Reader, WalksBlocksSeparatedByOneBlankLine) {
  std::string b =
      "FOUS44 KWNO 121200\n"
      "KAAA   NAM MOS GUIDANCE\n" +
      row("TMP", 4, {"50", "51"}) + "\n\nKBBB   NAM MOS GUIDANCE\n" + row("TMP", 4, {"60", "61", "62"}) +
      "\nOBV   N\n\n";
  ASSERT_EQ(get(MOS_NAM, b, "kbbb"), 1);
  EXPECT_STREQ(r.id, "KBBB");
  EXPECT_EQ(r.t[2], 62);
  EXPECT_EQ(r.num, 21);
  EXPECT_EQ(r.model, MOS_NAM);
  EXPECT_EQ(r.hour[18], 60);

  // The locate call fills only the identity of a block.
  int k = 1;
  FLAG_set(4, MOS_NAM);
  Date d;
  DATE_init(&d);
  int ind = MOS_open(&d);
  int zero = 0;
  ASSERT_EQ(MOS_read(ind, &r, MOS_LOCATE, &zero), 0);
  ASSERT_EQ(MOS_read(ind, &r, MOS_LOCATE, &k), 0);
  EXPECT_STREQ(r.id, "KBBB");
  EXPECT_EQ(r.t[0], -9999);
  EXPECT_EQ(r.hour[0], 6);
  k = 2;
  EXPECT_EQ(MOS_read(ind, &r, MOS_LOCATE, &k), -1);
  MOS_close(ind);

  EXPECT_EQ(get(MOS_NAM, b, "KCCC"), 0);
  EXPECT_EQ(get(MOS_ETA, b, "KAAA"), 0);  // "NAM MOS" blocks are not ETA blocks
}

TEST_F(Reader, NgmColumnsAndMinimumFirstRow) {
  std::string b =
      "FOUS14 KWBC 060357\n"
      "DCA  ESC  NGM MOS GUIDANCE   3/06/91  0000 UTC\n"
      "MN/MX                    29          51          30          55\n"
      "TEMP   37 34999\n"
      "CLDS    X OV SC\n"
      "WDIR   26 99 36\n"
      "POP06         4   999    46\n"
      "QPF         0/    2/4\n"
      "TSV06     12/ 3999/99\n"
      "PTYPE   S  Z\n"
      "SNOW        1/    0/2\n"
      "CIG     4  9\n"
      "OBVIS   H  F\n"
      "TEMP   10\n";  // after the block's last row: not read
  ASSERT_EQ(get(MOS_NGM, b, "DCA"), 1);
  EXPECT_EQ(r.ext_t[6], 29);
  EXPECT_EQ(r.ext_t[10], 51);
  EXPECT_EQ(r.ext_t[18], 55);
  EXPECT_EQ(r.t[0], 37);
  EXPECT_EQ(r.t[2], -9999);  // 999 is missing
  EXPECT_EQ(r.cover[0], ' ');
  EXPECT_EQ(r.cover[1], 'O');
  EXPECT_EQ(r.w_dir[0], 260);
  EXPECT_EQ(r.w_dir[1], -9999);
  EXPECT_EQ(r.w_dir[2], 360);
  EXPECT_EQ(r.pop6[2], 4);
  EXPECT_EQ(r.pop6[4], -9999);
  EXPECT_EQ(r.pop6[6], 46);
  EXPECT_EQ(r.qpf6[2], 0);
  EXPECT_EQ(r.qpf12[2], -9999);  // a blank is the missing text
  EXPECT_EQ(r.qpf6[4], 2);
  EXPECT_EQ(r.qpf12[4], 4);
  EXPECT_EQ(r.pot6[2], 12);
  EXPECT_EQ(r.post6[2], 3);
  EXPECT_EQ(r.pot6[4], -9999);
  EXPECT_EQ(r.post6[4], -9999);
  EXPECT_EQ(r.ptype[0], 'S');
  EXPECT_EQ(r.ptype[1], 'Z');
  EXPECT_EQ(r.qsf6[2], 1);
  EXPECT_EQ(r.qsf12[2], -9999);
  EXPECT_EQ(r.qsf12[4], 2);
  EXPECT_EQ(r.hght[0], 4);
  EXPECT_EQ(r.hght[1], -9999);
  EXPECT_EQ(r.obvis[0], 'H');
  EXPECT_EQ(r.obvis[1], 'F');
  EXPECT_EQ(r.obvis[2], -9999);  // beyond the end of the line
}

TEST_F(Reader, GfsGridAndSixHourlyTail) {
  std::vector<std::string> tmp, cld, wdr;
  for (int i = 0; i < 21; i++) tmp.push_back(std::to_string(i == 20 ? -12 : 100 + i));
  for (int i = 0; i < 21; i++) cld.push_back(i % 2 ? "SC" : "OV");
  for (int i = 0; i < 21; i++) wdr.push_back(i == 19 ? "99" : "36");
  std::string snow(67, ' ');  // digits at 28 (in the field of slot 8), 36, 60 and 66
  snow.replace(0, 3, "SNW");
  snow[28] = '2', snow[36] = '4', snow[60] = '0', snow[66] = '1';
  std::string b = "FOUS21 KWNO 010000\n\x1eKAAA   GFS MOS GUIDANCE\n" + row("TMP", 4, tmp) + "\n" + row("CLD", 4, cld) +
                  "\n" + row("WDR", 4, wdr) + "\n" +
                  "X/N                    68          48          68          42    67\n"
                  "T06     25/15  0/ 4  0/ 0  0/ 1  0/ 7  0/ 4  0/ 0  0/ 2  0/ 2  0/ 0\n"
                  "T12            8/ 4        0/ 4        0/ 7        0/ 2     5/ 6\n"
                  "TYP   R  S  Z  R  R  R  R  R  R  R  R  R  R  R  R  R  R  R  R  S  Z\n" +
                  snow + "\nOBV   N BR FG\n";
  ASSERT_EQ(get(MOS_GFS, b, "KAAA"), 1);  // the RS byte before the heading
  EXPECT_EQ(r.num, 21);
  EXPECT_EQ(r.hour[19], 66);
  EXPECT_EQ(r.hour[20], 72);
  EXPECT_EQ(r.t[0], 100);
  EXPECT_EQ(r.t[18], 118);
  EXPECT_EQ(r.t[19], 119);
  EXPECT_EQ(r.t[20], -12);
  EXPECT_EQ(r.cover[19], 'S');
  EXPECT_EQ(r.cover[20], 'O');
  EXPECT_EQ(r.w_dir[18], 360);
  EXPECT_EQ(r.w_dir[19], -9999);
  EXPECT_EQ(r.ext_t[6], 68);
  EXPECT_EQ(r.ext_t[18], 42);
  EXPECT_EQ(r.ext_t[20], 67);
  EXPECT_EQ(r.pot6[2], 25);
  EXPECT_EQ(r.post6[2], 15);
  EXPECT_EQ(r.pot6[20], 0);
  EXPECT_EQ(r.pot12[4], 8);
  EXPECT_EQ(r.pot12[19], 5);
  EXPECT_EQ(r.post12[19], 6);
  EXPECT_EQ(r.ptype[0], 'R');
  EXPECT_EQ(r.ptype[2], 'Z');
  EXPECT_EQ(r.ptype[19], 'S');
  EXPECT_EQ(r.ptype[20], 'Z');
  EXPECT_EQ(r.qsf12[6], -9999);  // the "2" at 28 is not in the field of slot 6
  EXPECT_EQ(r.qsf12[10], 4);
  EXPECT_EQ(r.qsf12[18], 0);
  EXPECT_EQ(r.qsf12[20], 1);
  EXPECT_EQ(r.obvis[1], MOS_code2('B', 'R'));  // both letters of today's codes
  EXPECT_EQ(r.obvis[2], MOS_code2('F', 'G'));

  // AVN bulletins use the snowfall row otherwise: it is not read.
  std::string avn = b;
  avn.replace(avn.find("GFS MOS"), 7, "AVN MOS");
  ASSERT_EQ(get(MOS_AVN, avn, "KAAA"), 1);
  EXPECT_EQ(r.qsf12[10], -9999);
  EXPECT_EQ(r.t[19], 119);
}

TEST_F(Reader, TwelveHourlyFamiliesAndRunLabels) {
  std::string b =
      "FEUS21 KWNO 190000\n"
      "KDCA   MRF MOS GUIDANCE    9/19/2002  0000 UTC\n"
      "N/X  81| 66  82|999\n"
      "CLD  PC| OV  CL\n"
      "WND  10| 99  11\n"
      "P12   7|  3\n"
      "TYP R  |  S   R\n"
      "SNW    |      3|      0|      2|      1|\n";
  ASSERT_EQ(get(MOS_MRF, b, "KDCA"), 1);
  EXPECT_EQ(r.num, 15);
  EXPECT_EQ(r.hour[14], 192);
  EXPECT_EQ(r.ext_t[0], 81);
  EXPECT_EQ(r.ext_t[2], 82);
  EXPECT_EQ(r.ext_t[3], -9999);
  EXPECT_EQ(r.cover[0], 'S');  // partly cloudy counts as scattered
  EXPECT_EQ(r.cover[1], 'O');
  EXPECT_EQ(r.w_spd[0], 10);
  EXPECT_EQ(r.w_spd[1], -9999);
  EXPECT_EQ(r.pop12[1], 3);
  EXPECT_EQ(r.pop12[2], -9999);
  EXPECT_EQ(r.ptype[0], 'R');  // the first of the field's three characters
  EXPECT_EQ(r.ptype[1], ' ');
  EXPECT_EQ(r.qsf12[2], -9999);  // the MRF family has no snowfall row

  std::string gfsx = b;
  gfsx.replace(gfsx.find("MRF MOS"), 7, "GFSX MOS");
  ASSERT_EQ(get(MOS_GFSX, gfsx, "KDCA"), 1);
  EXPECT_EQ(r.qsf12[2], 3);
  EXPECT_EQ(r.qsf12[4], 0);
  EXPECT_EQ(r.qsf12[8], 1);
  EXPECT_EQ(r.qsf12[3], -9999);
}

TEST_F(Reader, WebCopyRowsAreReadOneColumnRight) {
  std::string b =
      " FOUS44 KWNO 121200 \n"
      " KAAA   ETA MOS GUIDANCE \n" +
      std::string(" ") + row("TMP", 4, {"50", "51", "52"}) + " \n" + "  " + row("DPT", 4, {"40"}) +
      "\n"  // two blanks: not a web copy row
      " N/X                    47 \n";
  ASSERT_EQ(get(MOS_ETA, b, "KAAA"), 1);
  EXPECT_EQ(r.t[0], 50);
  EXPECT_EQ(r.t[2], 52);
  EXPECT_EQ(r.td[0], -9999);
  EXPECT_EQ(r.ext_t[6], 47);
}
