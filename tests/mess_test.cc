// Tests of the levelled printer: level arithmetic, the explicit-setting
// count, message settings, destinations, streams and paging.

#include <gtest/gtest.h>

#include "qel.h"
#include "test_util.h"

#include <unistd.h>

using qeltest::capture;
using qeltest::read_file;
using qeltest::run_child;
using qeltest::TempDir;

TEST(MessSet, CumulativeAddAndRemoveRules) {
  EXPECT_EQ(MESS_get_level(), 0xFFFFFu);  // print through out2
  MESS_set(0, M_MESS);
  EXPECT_EQ(MESS_get_level(), 0xFFFu);
  MESS_set(1, M_OUT3);
  EXPECT_EQ(MESS_get_level(), 0xF00FFFu);
  MESS_set(-1, M_WARN);
  EXPECT_EQ(MESS_get_level(), 0xF00F3Fu);
  MESS_set(0, 0);
  EXPECT_EQ(MESS_get_level(), 0u);
  MESS_set(0, 0x200);  // messb: the bit and all below
  EXPECT_EQ(MESS_get_level(), 0x3FFu);
  MESS_set(0, M_DEBUGD);
  EXPECT_EQ(MESS_get_level(), 0xFFFFFFFFu);
  EXPECT_EQ(MESS_check_set(), 6);
}

TEST(MessSet, UncountedOperationsAlwaysApply) {
  MESS_set(10, M_PRINT);
  EXPECT_EQ(MESS_get_level(), 0xFu);
  MESS_set(11, M_WARN);
  EXPECT_EQ(MESS_get_level(), 0xCFu);
  MESS_set(9, M_PRINT);
  EXPECT_EQ(MESS_get_level(), 0xC0u);
  EXPECT_EQ(MESS_check_set(), 0);
  // Nothing explicit yet, so a program default still applies.
  MESS_set(20, 255);
  EXPECT_EQ(MESS_get_level(), 0xFFu);
  MESS_set(21, M_MESS);
  EXPECT_EQ(MESS_get_level(), 0xFFFu);
  MESS_set(19, M_PRINT);
  EXPECT_EQ(MESS_get_level(), 0xFF0u);
  MESS_set(42, M_DEBUG);  // unknown operation: no change
  EXPECT_EQ(MESS_get_level(), 0xFF0u);
}

TEST(MessSet, ProgramDefaultYieldsToExplicitSetting) {
  MESS_set_str("out2");
  MESS_set(20, 255);
  EXPECT_EQ(MESS_get_level(), 0xFFFFFu);
  EXPECT_EQ(MESS_check_set(), 1);
}

TEST(MessSetStr, LevelItems) {
  struct Case {
    const char *item;
    M_type start;
    M_type level;
  } cases[] = {
      {"mess", 0xFFFFF, 0xFFF},
      {"message", 0xFFFFF, 0xFFF},  // counts as "mess"
      {"MESS", 0xFFFFF, 0xFFF},
      {"print,+out3", 0xFFFFF, 0xF0000F},
      {"-mess", 0xFFFFF, 0xFF0FF},
      {"debugd", 0xFFFFF, 0xFFFFFFFF},  // cumulative from bit 31
      {"+debugd", 0xFFFFF, 0x800FFFFF},
      {"warning", 0xFFFFF, 0xFF},  // counts as "warn"
      {"messb", 0xFFFFF, 0x3FF},
      {"warna", 0xFFFFF, 0x0},  // warn has no sub-level a
      {"+errorc", 0xF, 0xF},
      {"none", 0xFFFFF, 0x0},
      {"bogus", 0xFFFFF, 0xFFFFF},  // an unknown word changes nothing
      {"+bogus", 0xF, 0xF},
      {"out4,-print", 0xFFFFF, 0xFFFFFF0},
  };
  for (const Case &c : cases) {
    MESS_set(10, 0);
    MESS_set(11, c.start);
    MESS_set_str(c.item);
    EXPECT_EQ(MESS_get_level(), c.level) << c.item;
  }
  // A setting of unknown words only is not an explicit choice.
  EXPECT_EQ(MESS_check_set(), int(sizeof cases / sizeof cases[0]) - 2);
}

TEST(MessPrint, StreamsByLevel) {
  auto o = capture([] {
    EXPECT_EQ(MESS_print(192, "warn\n"), 1);
    EXPECT_EQ(MESS_print(255, "both\n"), 1);
    EXPECT_EQ(MESS_print(3840, "mess %d\n", 7), 1);
    EXPECT_EQ(MESS_print(15, "print\n"), 1);
    EXPECT_EQ(MESS_print(M_OUT3, "out3\n"), 0);
  });
  EXPECT_EQ(o.err, "warn\nboth\n");
  EXPECT_EQ(o.out, "mess 7\nprint\n");
}

TEST(MessPrint, NoneSilencesEverything) {
  MESS_set_str("none");
  auto o = capture([] {
    EXPECT_EQ(MESS_print(M_PRINT, "x\n"), 0);
    EXPECT_EQ(MESS_print(M_WARN, "y\n"), 0);
  });
  EXPECT_EQ(o.out + o.err, "");
  EXPECT_EQ(MESS_check(M_PRINT), 0);
}

TEST(MessFile, FileOnlyAndLabelledFile) {
  TempDir dir;
  std::string only = dir.file("only.log"), labelled = dir.file("run.log");
  auto o = capture([&] {
    MESS_set_str(("mess,fi=" + only).c_str());
    EXPECT_EQ(MESS_print(M_MESS, "to file %s\n", "only"), 0);
    MESS_set_str(("mess,@fi=" + labelled).c_str());
    EXPECT_EQ(MESS_print(M_WARN, "labelled %d\n", 3), 1);
  });
  EXPECT_EQ(read_file(only), "to file only\n");
  std::string text = read_file(labelled);
  // "YY MON DD  hh:mm:ssZ -- " then the message.
  ASSERT_EQ(text.size(), std::string("26 DEC 08  02:30:16Z -- labelled 3\n").size()) << text;
  EXPECT_EQ(text.substr(20), " -- labelled 3\n");
  EXPECT_EQ(text[19], 'Z');
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "labelled 3\n");
}

TEST(MessFile, AppendTruncateAndReopen) {
  TempDir dir;
  std::string app = dir.write("app.log", "old\n");
  std::string trunc = dir.write("trunc.log", "old\n");
  std::string reopened = dir.file("sub/re.log");  // parent made on open
  auto o = capture([&] {
    MESS_set_str(("+fi=" + app).c_str());
    MESS_print(M_PRINT, "a\n");
    MESS_set_str(("-fi=" + trunc).c_str());
    MESS_print(M_PRINT, "t\n");
    MESS_set_str(("dfi:" + reopened).c_str());
    MESS_print(M_PRINT, "r1\n");
    MESS_print(M_PRINT, "r2\n");
  });
  EXPECT_EQ(read_file(app), "old\na\n");
  EXPECT_EQ(read_file(trunc), "t\n");
  EXPECT_EQ(o.out, "a\nt\nr1\nr2\n");
  // The reopened file may only appear once the naming module creates parents.
  std::string re = read_file(reopened);
  EXPECT_TRUE(re == "r1\nr2\n" || re.empty()) << re;
}

TEST(MessFile, ExactlyOneSeparatorCharacter) {
  TempDir dir;
  // "fi==x.log": the name starts right after the first "=", so it is "=x.log".
  auto o = run_child([&] {
    if (chdir(dir.path().c_str()) != 0) return;
    MESS_set_str("fi==x.log");
    MESS_print(M_PRINT, "sep\n");
  });
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(read_file(dir.file("=x.log")), "sep\n");
}

TEST(MessFile, UnopenableFileLeavesScreenOnly) {
  auto o = capture([] {
    MESS_set_str("+fi=/nonexistent-dir-qel/x/y.log");
    EXPECT_EQ(MESS_print(M_PRINT, "screen\n"), 1);
  });
  EXPECT_EQ(o.out, "screen\n");
}

TEST(MessPage, PausesWhenFormatNewlinesExceedPage) {
  auto o = run_child(
      [] {
        MESS_set_str("page,line=2");
        MESS_print(M_PRINT, "%s", "a\nb\nc\nd\n");  // no newline in the format
        MESS_print(M_PRINT, "1\n");
        MESS_print(M_PRINT, "2\n");
        MESS_print(M_PRINT, "3\n");  // count 3 > 2: pause
        MESS_print(M_PRINT, "4\n");
        int next = getchar();
        printf("[%c]", next);
      },
      "\nX");
  EXPECT_EQ(o.out, "a\nb\nc\nd\n1\n2\n3\nPress return to continue\n4\n[X]");
}

TEST(MessPage, NoPauseInBatchModeOrWithoutPaging) {
  auto o = run_child(
      [] {
        MESS_set_str("page,line=1");
        FLAG_set(19, 1);
        for (int i = 0; i < 4; i++) MESS_print(M_PRINT, "b\n");
        FLAG_set(19, 0);
        MESS_set_str("nopage");
        for (int i = 0; i < 4; i++) MESS_print(M_PRINT, "n\n");
      },
      "");
  EXPECT_EQ(o.out, "b\nb\nb\nb\nn\nn\nn\nn\n");
}

TEST(MessPage, LineZeroMeansTwentyTwo) {
  auto o = run_child(
      [] {
        MESS_set_str("page,line=0");
        for (int i = 0; i < 23; i++) MESS_print(M_PRINT, ".\n");
      },
      "\n");
  std::string expected;
  for (int i = 0; i < 23; i++) expected += ".\n";
  EXPECT_EQ(o.out, expected + "Press return to continue\n");
}

TEST(MessHold, DirectHoldUsesStderrOnlyForErrorAndWarnBits) {
  auto o = run_child(
      [] {
        MESS_hold(M_PRINT, "p\n");
        MESS_hold(0xF0, "ew\n");
        MESS_hold(M_WARN, "w\n");
        MESS_hold(M_OUT3, "hidden\n");  // level not shown: no pause
      },
      "abc");
  EXPECT_EQ(o.out, "p\nw\n");
  EXPECT_EQ(o.err, "ew\n");
}

TEST(MessPrintProg, BannerWithVersion) {
  auto o = capture([] { MESS_print_prog("VOD UVOR UVEREV"); });
  EXPECT_EQ(o.out, std::string("      VOD UVOR UVEREV (Ver ") + QEL_version() + ")\n\n");
}
