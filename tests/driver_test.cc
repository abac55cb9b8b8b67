// End-to-end tests of the driver's flow: run the built qelmos binary.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

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

TEST(Driver, OutputThatCannotBeWrittenFailsTheRun) {
  // Standard output on a full device, and on a pipe nobody reads any more:
  // the table (the way out through main) and the compact line (through
  // QEL_exit) are lost, and the run says so.
  std::string bulletin = qeltest::data_file("gfs_mav_with_kind.txt");
  std::vector<std::string> table = {"-id", "KEED", "-mo", "gfs", bulletin};
  std::vector<std::string> line = {"-id", "KEED", "-mo", "gfs", "-ou", "zim_fore", bulletin};
  auto exec_qelmos = [](std::vector<std::string> words) {
    words.insert(words.begin(), {QELMOS_BIN, "-nc", qeltest::data_file("name_conv")});
    std::vector<char *> argv;
    for (std::string &w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(98);
  };
  for (const auto &args : {table, line}) {
    auto o = qeltest::run_child([&] {
      int fd = open("/dev/full", O_WRONLY);
      if (fd < 0 || dup2(fd, 1) < 0) _exit(99);
      exec_qelmos(args);
    });
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "qelmos: write error: No space left on device\n");

    o = qeltest::run_child([&] {
      int fd[2];
      if (pipe(fd) != 0 || dup2(fd[1], 1) < 0) _exit(99);
      close(fd[0]);
      close(fd[1]);
      exec_qelmos(args);
    });
    EXPECT_EQ(o.status, 1);
    EXPECT_EQ(o.err, "qelmos: write error: Broken pipe\n");
  }
}
