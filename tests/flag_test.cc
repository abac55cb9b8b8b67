// Tests of the global flags and the plot component switches.

#include <gtest/gtest.h>

#include "qel.h"

TEST(Flag, RangeAndReset) {
  EXPECT_EQ(FLAG_get(4), 0);
  EXPECT_EQ(FLAG_set(4, 12), 0);
  EXPECT_EQ(FLAG_get(4), 12);
  EXPECT_EQ(FLAG_set(30, 1), -1);
  EXPECT_EQ(FLAG_set(-1, 1), -1);
  EXPECT_EQ(FLAG_get(30), 0);
  EXPECT_EQ(FLAG_get(-1), 0);
  FLAG_reset(-9999);
  for (int i = 0; i < 30; i++) EXPECT_EQ(FLAG_get(i), -9999);
  EXPECT_EQ(FLAG_batch(), 0);
  EXPECT_EQ(FLAG_help(), 0);
  FLAG_set(19, 1);
  FLAG_set(20, 2);
  EXPECT_EQ(FLAG_batch(), 1);
  EXPECT_EQ(FLAG_help(), 1);
}

TEST(FlagPlot, SumsOfTextAndAll) {
  for (int i = 0; i < 13; i++) EXPECT_EQ(FLAG_getplot(i), 1);
  FLAG_setplot(0, 0);  // clears 0 to 6
  EXPECT_EQ(FLAG_getplot(0), 0);
  for (int i = 1; i <= 6; i++) EXPECT_EQ(FLAG_getplot(i), 0);
  EXPECT_EQ(FLAG_getplot(12), 5);  // 7 to 11 still on

  FLAG_setplot(3, 1);
  EXPECT_EQ(FLAG_getplot(0), 1);
  EXPECT_EQ(FLAG_getplot(12), 7);  // switch 0 counts in the sum

  FLAG_setplot(12, 0);
  for (int i = 0; i < 13; i++) EXPECT_EQ(FLAG_getplot(i), 0);
  FLAG_setplot(12, 1);
  EXPECT_EQ(FLAG_getplot(0), 6);
  EXPECT_EQ(FLAG_getplot(12), 17);

  FLAG_resetplot(0);
  FLAG_setplot(8, 1);
  FLAG_setplot(7, 1);
  EXPECT_EQ(FLAG_getplot(0), 0);
  EXPECT_EQ(FLAG_getplot(12), 2);
  FLAG_setplot(13, 1);  // out of range: nothing changes
  EXPECT_EQ(FLAG_getplot(12), 2);
}
