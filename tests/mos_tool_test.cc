// Tests of the MOS records and station retrieval.

#include <gtest/gtest.h>

#include <cstring>

#include "qelmos.h"

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

TEST(MosRetrieval, NullArgumentsFindNothing) {
  Date d;
  DATE_init(&d);
  MOS_report r;
  MOSU_report u;
  EXPECT_EQ(MOSU_get_station(&d, nullptr, &u), 0);
  EXPECT_EQ(MOS_get_station(&d, nullptr, &r), 0);
  EXPECT_EQ(MOSM_get_station(&d, "KIND", nullptr), 0);
  FLAG_set(4, MOS_GFS);
  int k = 0;
  EXPECT_EQ(MOS_read(-1, nullptr, MOS_LOCATE, &k), -1);
  EXPECT_EQ(MOS_read(-1, &r, MOS_LOCATE, nullptr), -1);
}
