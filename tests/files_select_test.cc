// Tests of input-file selection: typed names against the template, the
// "current"/"latest" time texts, the choice of FILE_get_file_only and
// the listing.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "qel.h"
#include "qelresrc.h"
#include "test_util.h"

using qeltest::capture;
using qeltest::run_child;
using qeltest::TempDir;

namespace {

int count(const std::string &text, const std::string &what) {
  int n = 0;
  for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) n++;
  return n;
}

int64_t secs(int y, int mo, int d, int h, int mi = 0) {
  Date r = {y, mo, d, QEL_MISS, QEL_MISS, h, mi, 0};
  return DATE_num_sec(&r);
}

// A data directory under the hourly "mos_dat" convention; the clock reads
// 1230 UTC on 7 March 2026.
class Selection : public ::testing::Test {
 protected:
  void SetUp() override {
    conv.write("name_conv",
               "mos_dat %D/%y%m%d%h_mos - 0\nbig_dat %D/%y%m%d%h_big - 100\n"
               "any_dat %D/%y%m%d%h_any - -1\nlow_dat %D/%y%m%d%h_any - -7\n");
    RES_put("file_path", conv.path().c_str());
    RES_put("data_path", data.path().c_str());
    setenv("qelcurtime", "#202603071230", 1);
    use("mos_dat");
  }
  void use(const char *type) {
    char text[QEL_NAME_LEN];
    str_copy(text, type, sizeof text);
    FILE_set_name(text);
  }
  std::string in_data(const std::string &name) const { return data.file(name); }
  std::string current(const char *when) {
    char out[QEL_NAME_LEN];
    FILE_set_current(when, out);
    return out;
  }
  std::string typed(const char *name) {
    char out[QEL_NAME_LEN];
    EXPECT_EQ(FILE_set_file(name, out), 0);
    return out;
  }
  TempDir conv, data;
};

}  // namespace

TEST_F(Selection, TypedNamesAreCompletedAndTheirDateRead) {
  const std::string full = in_data("26030712_mos");
  EXPECT_EQ(typed("26030712_mos"), full);
  EXPECT_EQ(typed("26030712"), full);
  EXPECT_EQ(typed(full.c_str()), full);
  EXPECT_EQ(FILE_get_filename_type(), 1);
  Date d;
  FILE_get_date(&d);
  EXPECT_EQ(d.year * 1000000 + d.month * 10000 + d.day * 100 + d.hour, 2026030712);
  EXPECT_EQ(d.min, QEL_MISS);

  typed("98123100");
  FILE_get_date(&d);
  EXPECT_EQ(d.year, 1998);
  typed("49010100");
  FILE_get_date(&d);
  EXPECT_EQ(d.year, 2049);

  // A field that does not parse ends the match; the rest is kept as typed.
  EXPECT_EQ(typed("2603x712"), in_data("2603x712"));
  FILE_get_date(&d);
  EXPECT_EQ(d.month, 3);
  EXPECT_EQ(d.day, QEL_MISS);
  EXPECT_EQ(typed("26030712_mos.bak"), in_data("26030712_mos.bak"));
  use("@sub/%y%m%d%h");
  EXPECT_EQ(typed("sub/26030712"), "sub/26030712");
  FILE_get_date(&d);
  EXPECT_EQ(d.hour, 12);
}

TEST_F(Selection, FullPathElsewhereKeepsItsDirectoryWhenRemade) {
  EXPECT_EQ(typed("/other/dir/26030712_mos"), "/other/dir/26030712_mos");
  // As the bulletin reader remakes the name for the file's date.
  Date d;
  FILE_get_date(&d);
  FILE_save_name_conv();
  use("mos_dat");
  char out[QEL_NAME_LEN];
  FILE_set_date(&d, out);
  FILE_restore_name_conv();
  EXPECT_STREQ(out, "/other/dir/26030712_mos");
  // A time selection goes back to the data directory.
  current("#2026030712");
  use("mos_dat");
  FILE_set_date(&d, out);
  EXPECT_EQ(std::string(out), in_data("26030712_mos"));
}

TEST_F(Selection, HashSuffixFixesTheDateForTheRestOfTheRun) {
  EXPECT_EQ(typed("26030512#2026030712"), in_data("26030512_mos"));
  Date set;
  FILE_get_time(&set);
  EXPECT_EQ(set.year * 1000000 + set.month * 10000 + set.day * 100 + set.hour, 2026030712);
  EXPECT_EQ(set.min, QEL_MISS);
  // Later choices keep the fixed fields.
  EXPECT_EQ(current("#202604011800"), in_data("26030712_mos"));
  // A time text keeps its own "#".
  typed("la#3");
  FILE_get_time(&set);
  EXPECT_EQ(set.year, 2026);
  EXPECT_EQ(set.hour, 12);
}

TEST_F(Selection, NamesTakenAsTheyStand) {
  EXPECT_EQ(typed("@26030712"), "26030712");
  EXPECT_EQ(FILE_get_filename_type(), 1);
  EXPECT_EQ(typed("-"), "-");
  EXPECT_EQ(typed("STD"), "-");
  EXPECT_EQ(FILE_get_filename_type(), 0);
  EXPECT_EQ(typed("none"), "none");
  use("@/abs/%y%m%d%h");
  EXPECT_EQ(typed("/x/y"), "/x/y");
  use("none");
  EXPECT_EQ(typed("plain.txt"), "plain.txt");
  auto o = run_child([] {
    FILE_set_file("EXIT", nullptr);
    _exit(3);
  });
  EXPECT_EQ(o.status, 0);
}

TEST_F(Selection, OffsetsFromTheBaseTime) {
  EXPECT_EQ(current(""), in_data("26030712_mos"));
  EXPECT_EQ(current("6"), in_data("26030706_mos"));
  EXPECT_EQ(current("+1d"), in_data("26030812_mos"));
  EXPECT_EQ(current("1d6:30"), in_data("26030606_mos"));
  EXPECT_EQ(current("-0:31"), in_data("26030711_mos"));
  EXPECT_EQ(current("#2026010100-1"), in_data("25123123_mos"));
  EXPECT_EQ(current("#"), in_data("99123100_mos"));
  setenv("qelcurtime", "2024030100", 1);  // "#" is optional here
  EXPECT_EQ(current("24"), in_data("24022900_mos"));
}

TEST_F(Selection, FixedFieldsMoveTheBaseTimeBack) {
  Date fixed = {QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, 12, QEL_MISS, 0};
  FILE_set_time(&fixed);
  EXPECT_EQ(current("#2026030706"), in_data("26030612_mos"));
  EXPECT_EQ(current("#2026030714"), in_data("26030712_mos"));
  fixed = {QEL_MISS, QEL_MISS, 10, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, 0};
  FILE_set_time(&fixed);
  EXPECT_EQ(current("#2026010506"), in_data("25121006_mos"));
  fixed = {QEL_MISS, 3, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, 0};
  FILE_set_time(&fixed);
  EXPECT_EQ(current("#2026020506"), in_data("25030506_mos"));
}

TEST_F(Selection, LatestSearchStepsBackOneFileAtATime) {
  data.write("26030709_mos", "x");
  data.write("26030711_mos", "");  // empty: not present
  data.write("26030512_mos", "x");
  MESS_set(0, M_DEBUGD);
  char out[QEL_NAME_LEN];
  int64_t t = 0;
  auto o = capture([&] { t = FILE_set_current("la", out); });
  EXPECT_EQ(std::string(out), in_data("26030709_mos"));
  EXPECT_EQ(count(o.out, "LATE: "), 4);
  EXPECT_EQ(t, secs(2026, 3, 7, 9));
  Date d;
  FILE_get_date(&d);
  EXPECT_EQ(d.hour, 9);

  EXPECT_EQ(current("-1dla"), in_data("26030512_mos"));
  EXPECT_EQ(current("la-6"), in_data("26030703_mos"));
  EXPECT_EQ(current("2LA+1"), in_data("26030710_mos"));
  EXPECT_EQ(current("3la-1d"), in_data("26030609_mos"));  // the later "d" belongs to the second offset

  // Nothing within the count: one step before the last name tried, and
  // nothing chosen, so that the reader opens nothing.
  EXPECT_EQ(FILE_none_chosen(), 0);
  o = capture([&] { FILE_set_current("1d6la#10", out); });
  EXPECT_EQ(count(o.out, "LATE: "), 10);
  EXPECT_EQ(std::string(out), in_data("26030520_mos"));
  EXPECT_EQ(FILE_none_chosen(), 1);
  o = capture([&] { FILE_set_current(nullptr, out); });  // null means "la"
  EXPECT_EQ(std::string(out), in_data("26030709_mos"));
  EXPECT_EQ(FILE_none_chosen(), 0);
}

TEST_F(Selection, LatestHonoursMinimumSizeAndStepCodes) {
  use("big_dat");
  data.write("26030712_big", std::string(50, 'x'));
  data.write("26030710_big", std::string(101, 'x'));
  EXPECT_EQ(current("la"), in_data("26030710_big"));
  // A minimum of -1 lets an empty file count, a missing one not; lower
  // minimums mean the same.
  data.write("26030711_any", "");
  for (const char *type : {"any_dat", "low_dat"}) {
    use(type);
    EXPECT_EQ(current("la"), in_data("26030711_any")) << type;
  }

  use("mos_dat");
  data.write("26030706_mos", "x");
  Date fixed = {QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, -6, QEL_MISS, 0};
  FILE_set_time(&fixed);
  MESS_set(0, M_DEBUGD);
  char out[QEL_NAME_LEN];
  int64_t t = 0;
  auto o = capture([&] { t = FILE_set_current("la", out); });
  EXPECT_EQ(std::string(out), in_data("26030706_mos"));
  EXPECT_EQ(count(o.out, "LATE: "), 2);
  EXPECT_EQ(t % 21600, 0);
}

TEST_F(Selection, ChoiceFromResourcesAndBatchMode) {
  data.write("26030709_mos", "x");
  auto batch = run_child([&] {
    FLAG_set(19, 1);
    char name[QEL_NAME_LEN];
    printf("%d %s\n", FILE_get_file_only("?", name), name);
  });
  EXPECT_NE(batch.out.find("1 " + in_data("26030709_mos") + "\n"), std::string::npos) << batch.out;

  char out[QEL_NAME_LEN];
  RES_put("filename", "26030709\nsecond");
  EXPECT_EQ(FILE_get_file_only("?", out), 1);
  EXPECT_EQ(std::string(out), in_data("26030709_mos"));
  RES_put("filename", "26030712");
  EXPECT_EQ(FILE_get_file_only("?", out), 0);
  EXPECT_EQ(std::string(out), in_data("26030712_mos"));

  RES_put("filename", "");
  RES_put("current", "3");
  auto o = capture([&] { EXPECT_EQ(FILE_get_file_only("?", out), 1); });
  EXPECT_EQ(o.out, "Current filename: " + in_data("26030709_mos") + "\n");
  RES_put("current", "2");
  EXPECT_EQ(FILE_get_file_only("?", out), 0);
  EXPECT_EQ(std::string(out), in_data("26030710_mos"));
}

TEST_F(Selection, PromptAnswers) {
  data.write("26030709_mos", "x");
  data.write("26030712_mos", "x");
  data.write("notes.txt", "x");
  auto ask = [](const std::string &answer) {
    return run_child(
        [] {
          char name[QEL_NAME_LEN];
          int found = FILE_get_file_only("File? ", name);
          printf("[%d %s]\n", found, name);
        },
        answer + "\n");
  };
  auto o = ask("26030709");
  EXPECT_EQ(o.out.rfind("List of available files:\n", 0), 0u) << o.out;
  EXPECT_EQ(count(o.out, in_data("26030709_mos")), 2);
  EXPECT_EQ(count(o.out, "notes.txt"), 0);
  EXPECT_NE(o.out.find("\nFile? "), std::string::npos);
  EXPECT_NE(o.out.find("[1 " + in_data("26030709_mos") + "]"), std::string::npos) << o.out;

  o = ask("la");
  EXPECT_NE(o.out.find("Current filename: " + in_data("26030712_mos") + "\n"), std::string::npos) << o.out;
  o = ask("CU3");
  EXPECT_NE(o.out.find("[1 " + in_data("26030709_mos") + "]"), std::string::npos) << o.out;
  o = ask("#2026030600");
  EXPECT_NE(o.out.find("[0 " + in_data("26030600_mos") + "]"), std::string::npos) << o.out;
  o = ask("list");  // listed again; nothing chosen
  EXPECT_EQ(count(o.out, in_data("26030712_mos")), 2);
  EXPECT_NE(o.out.find("[1 ]"), std::string::npos) << o.out;
  o = ask("Exit");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(count(o.out, "["), 0);
}

TEST_F(Selection, ListingRunsNoShellAndMatchesLiterally) {
  TempDir odd;
  std::string dir = odd.path() + "/a[1] $(touch " + odd.path() + "/pwned)";
  odd.write("a[1] $(touch " + odd.path() + "/pwned)/26030712_mos", "x");
  odd.write("a1/26030712_mos", "x");
  RES_put("data_path", dir.c_str());
  use("mos_dat");
  auto o = capture([] { FILE_list_file(); });
  EXPECT_EQ(o.out, dir + "/26030712_mos\n");
  EXPECT_FALSE(FILE_exist(odd.file("pwned").c_str()));

  auto listed = run_child([] {
    RES_put("filename", "LIST");
    FILE_get_file_only("?", nullptr);
    printf("not reached\n");
  });
  EXPECT_EQ(listed.status, 0);
  EXPECT_EQ(listed.out, dir + "/26030712_mos\n");

  // A wildcard written in the template itself still matches.
  use("@%D/%y%m%d%h*");
  o = capture([] { FILE_list_file(); });
  EXPECT_EQ(o.out, dir + "/26030712_mos\n");
}
