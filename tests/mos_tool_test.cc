// Tests of the MOS records and the compact "zim_fore" line.

#include <gtest/gtest.h>

#include <cstring>

#include "qelmos.h"
#include "test_util.h"

using qeltest::capture;

namespace {

MOS_report blank_report(const char *id) {
  MOS_report r;
  memset(&r, 0x55, sizeof r);
  snprintf(r.id, sizeof r.id, "%s", id);
  MOS_initialize(&r);
  return r;
}

// A station report whose value in slot s is base + s, for the rows the
// compact line reads.
MOS_report numbered_report(const char *id, int base) {
  MOS_report r = blank_report(id);
  for (int s = 0; s < 25; s++) {
    r.ext_t[s] = base + s;
    r.pop12[s] = base + 100 + s;
    r.w_dir[s] = 10 * (base + s);
    r.w_spd[s] = base + 200 + s;
  }
  return r;
}

}  // namespace

TEST(MosRecords, InitializeMarksValuesMissingAndLeavesIdentity) {
  MOS_report r;
  memset(&r, 0x55, sizeof r);
  strcpy(r.id, "KIND");
  r.elev = 12.5f;
  r.model = 12;
  MOS_initialize(&r);
  EXPECT_EQ(r.num, 0);
  EXPECT_EQ(r.ext_t[6], -9999);
  EXPECT_EQ(r.hour[24], -9999);
  EXPECT_EQ(r.qsf12[24], -9999);
  EXPECT_EQ(r.pot6[0], -9999);
  EXPECT_STREQ(r.id, "KIND");
  EXPECT_EQ(r.elev, 12.5f);
  EXPECT_EQ(r.model, 12);
}

TEST(MosRecords, UpperAirInitializeLeavesHourAndElementZero) {
  MOSU_report u;
  memset(&u, 0x11, sizeof u);
  MOSU_initialize(&u);
  for (int i = 0; i < 13; i++) {
    EXPECT_EQ(u.prec[i], -9999);
    EXPECT_EQ(u.psl[i], -9999);
    EXPECT_EQ(u.t[i][3], -9999);
    EXPECT_EQ(u.rh[i][1], -9999);
    EXPECT_EQ(u.t[i][0], 0x11111111);
    EXPECT_EQ(u.rh[i][0], 0x11111111);
    EXPECT_EQ(u.hour[i], 0x11111111);
  }
  EXPECT_EQ(u.id[0], 0x11);
}

TEST(MosRecords, ExtendedInitializeLeavesIdAndDay) {
  MOSM_report m;
  memset(&m, 0x22, sizeof m);
  MOSM_initialize(&m);
  for (int d = 0; d < 9; d++) {
    EXPECT_EQ(m.max[d], -9999);
    EXPECT_EQ(m.nmin[d], -9999);
    EXPECT_EQ(m.pop24[d], -9999);
    EXPECT_EQ(m.pos12[d][1], -9999);
    EXPECT_EQ(m.t[d][0], -9999);
    EXPECT_EQ(m.day[d], 0x22222222);
  }
  EXPECT_EQ(m.id[0], 0x22);
}

TEST(ZimFore, ThreeHourlyFamiliesReadSlotsOfHours24To48) {
  MOS_report ref = numbered_report("KIND", 0), sta = numbered_report("KBOS", 1000);
  for (int code : {7, 9, 11, 12}) {
    auto o = capture([&] { EXPECT_EQ(MOS_zim_fore(code, &ref, &sta), 1); });
    EXPECT_EQ(o.out, "6 10 14 106 110 114 8 208 1006 1010 1014 1106 1110 1114\n") << code;
  }
}

TEST(ZimFore, NgmSubstitutesWhenDayOnePopIsMissing) {
  MOS_report ref = numbered_report("IND", 0), sta = numbered_report("BOS", 1000);
  auto o = capture([&] { MOS_zim_fore(2, &ref, &sta); });
  EXPECT_EQ(o.out, "6 10 14 106 110 114 8 208 1006 1010 1014 1106 1110 1114\n");

  sta.pop12[6] = -9999;
  o = capture([&] { MOS_zim_fore(2, &ref, &sta); });
  EXPECT_EQ(o.out, "6 10 14 106 110 114 8 208 1006 1010 1014 1104 1108 1112\n");

  // The other families never substitute.
  o = capture([&] { MOS_zim_fore(12, &ref, &sta); });
  EXPECT_EQ(o.out, "6 10 14 106 110 114 8 208 1006 1010 1014 -9999 1110 1114\n");
}

TEST(ZimFore, WindDirectionDividesTowardZero) {
  MOS_report ref = blank_report("IND"), sta = blank_report("BOS");
  auto o = capture([&] { MOS_zim_fore(2, &ref, &sta); });
  EXPECT_EQ(o.out, "-9999 -9999 -9999 -9999 -9999 -9999 -999 -9999 -9999 -9999 -9999 -9999 -9999 -9999\n");
  ref.w_dir[8] = 270;
  o = capture([&] { MOS_zim_fore(2, &ref, &sta); });
  EXPECT_EQ(o.out.substr(0, 42), "-9999 -9999 -9999 -9999 -9999 -9999 27 -99");
}

TEST(ZimFore, GfsxReadsTwelveHourlySlots) {
  MOS_report ref = numbered_report("KIND", 0), sta = numbered_report("KBOS", 1000);
  auto o = capture([&] { EXPECT_EQ(MOS_zim_fore(13, &ref, &sta), 1); });
  EXPECT_EQ(o.out, "1 2 3 101 102 103 0 202 1001 1002 1003 1101 1102 1103\n");
}

TEST(ZimFore, ModelsWithoutCompactLinePrintNothing) {
  MOS_report ref = numbered_report("KIND", 0), sta = numbered_report("KBOS", 1000);
  for (int code : {4, 5, 6, 8, 10, -9999}) {
    auto o = capture([&] { EXPECT_EQ(MOS_zim_fore(code, &ref, &sta), 0); });
    EXPECT_EQ(o.out, "") << code;
  }
}

TEST(ZimFore, ExtendedRangeLine) {
  MOSM_report ref, sta;
  MOSM_initialize(&ref);
  MOSM_initialize(&sta);
  ref.min[1] = 40, ref.max[1] = 60, ref.min[2] = 42;
  ref.pop12[1][0] = 10, ref.pop12[1][1] = 20, ref.pop12[2][0] = 30;
  ref.w_spd[1][1] = 12;
  sta.min[1] = 30, sta.max[1] = 50;
  sta.pop12[1][0] = 5, sta.pop12[2][0] = 7;
  auto o = capture([&] { MOSM_zim_fore(&ref, &sta); });
  EXPECT_EQ(o.out, "40 60 42 10 20 30 0 12 30 50 -9999 5 -9999 7\n");
}
