// End-to-end tests of the driver's flow: run the built qelmos binary.

#include <gtest/gtest.h>

#include "test_util.h"

namespace {

// Every run names a convention file, as an installed tool has one.
qeltest::Output run_qelmos(std::vector<std::string> args, const std::string &input = "") {
  args.insert(args.begin(), {"-nc", qeltest::data_file("name_conv")});
  return qeltest::run_qelmos(args, input);
}

// What a run on the missing file below prints on standard error.
const std::string kUnreadable =
    "qelmos: cannot read /nonexistent/bulletins.txt: No such file or directory\nNo data found!\n";

}  // namespace

TEST(Driver, MissingStationReportsNoDataWithStatus30) {
  auto o = run_qelmos({"-id", "KEED", "/nonexistent/bulletins.txt"});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.out, "");  // with -id the banner and "Searching for" are hidden
  EXPECT_EQ(o.err, kUnreadable);
}

TEST(Driver, CompactLineWithMissingStationPrintsOnlyTheWarning) {
  auto o = run_qelmos({"-id", "KEED", "-ou", "ZIM_FORE", "-mo", "gfs", "/nonexistent/bulletins.txt"});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, kUnreadable);
}

TEST(Driver, ModelWithoutOutputFormEndsWithStatus0) {
  // Every model has a table; MRF has no compact line.
  auto o = run_qelmos({"-id", "KEED", "-ou", "zim_fore", "-mo", "mrf", "/nonexistent/bulletins.txt"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out + o.err, "");
}

TEST(Driver, BannerAndSearchLineWithoutIdentifierOption) {
  auto o = run_qelmos({"/nonexistent/bulletins.txt"}, "kedd\n");
  EXPECT_EQ(o.status, 30);
  EXPECT_NE(o.out.find("      VOD UVOR UVEREV (Ver 1.0.0-linux-none)\n\n"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("Enter the station: "), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("Searching for: kedd...\n"), std::string::npos) << o.out;
  EXPECT_EQ(o.err, kUnreadable);
}
