// Tests of the process utilities: exit and sleep (the version shows in
// the driver's banner test).

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>

#include "qel.h"
#include "test_util.h"

using qeltest::run_child;

TEST(System, ExitFlushesAndEndsWithTheStatus) {
  auto o = run_child([] {
    printf("partial");
    fprintf(stderr, "err");
    QEL_exit(5);
  });
  EXPECT_EQ(o.status, 5);
  EXPECT_EQ(o.out, "partial");
  EXPECT_EQ(o.err, "err");
}

TEST(System, SleepRefusesNonPositiveTimesAndSleepsOtherwise) {
  EXPECT_EQ(QEL_sleep(0), -1);
  EXPECT_EQ(QEL_sleep(-1), -1);
  EXPECT_EQ(QEL_sleep(NAN), -1);
  auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(QEL_sleep(0.05f), 0);
  EXPECT_EQ(QEL_sleep(0.000001f), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(50));
}
