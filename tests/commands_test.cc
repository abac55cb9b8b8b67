// Which sources may run a "|command": the built qelmos in a current
// directory that holds hostile files (defaults files, a name convention
// file). Every command here would leave a file whose name begins with
// "ran"; none may appear unless the user wrote the command.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "test_util.h"

using qeltest::data_file;
using qeltest::Output;
using qeltest::read_file;
using qeltest::run_qelmos;
using qeltest::TempDir;

namespace {

class Commands : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::copy_file(data_file("gfs_mav_fous26_00z.txt"), dir.file("14010100_mos"));
    table = qeltest::expected("gfs_keed.txt");
  }

  Output qelmos(const std::vector<std::string> &args, const std::vector<std::string> &env = {}) {
    return run_qelmos(args, "", env, dir.path());
  }

  // The files whose names begin with "ran": what a command left behind.
  std::string ran() const {
    std::string names;
    for (const auto &e : std::filesystem::directory_iterator(dir.path()))
      if (e.path().filename().string().rfind("ran", 0) == 0) names += e.path().filename().string() + " ";
    return names;
  }

  TempDir dir;
  std::string table;
};

}  // namespace

TEST_F(Commands, DefaultsFilesOfTheCurrentDirectoryRunNone) {
  dir.write("name_conv", "mos_dat %D/%y%m%d%h_mos - 0\n");
  struct Case {
    const char *file, *line;
    std::vector<std::string> args, env;
    const char *warning;
    int status;
  };
  const Case cases[] = {
      // The default search path begins with ".", whose first file is taken.
      {".qeldef",
       "*message: \"out2,fi=|>ran1\"\n",
       {"-mo", "gfs", "-id", "KEED", "14010100"},
       {},
       "Command not run: |>ran1 (from the defaults file ./.qeldef in the current directory)\n",
       0},
      {"qel.cfg",
       "*message: \"out2,dfi=|>ran2\"\n",
       {"-mo", "gfs", "-id", "KEED", "14010100"},
       {},
       "Command not run: |>ran2 (from the defaults file ./qel.cfg in the current directory)\n",
       0},
      {"Qel.res",
       "*filename: \"|>ran3\"\n",
       {"-mo", "gfs", "-id", "KEED"},
       {},
       "Command not run: |>ran3 (from the defaults file ./Qel.res in the current directory)\n",
       30},
      // An empty search path is the file .qeldef of the current directory.
      {".qeldef",
       "*filename: \"@|>ran4\"\n",
       {"-mo", "gfs", "-id", "KEED"},
       {"qeldefault="},
       "Command not run: |>ran4 (from the defaults file .qeldef in the current directory)\n",
       30},
      // A message file that cannot be opened: the messages stay on the screen too.
      {".qeldef", "*message: \"fi=.\"\n", {"-mo", "gfs", "-id", "KEED", "14010100"}, {},
       "cannot open message file .: Is a directory\n", 0},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.file);
    for (const char *f : {".qeldef", "qel.cfg", "Qel.res"}) std::filesystem::remove(dir.file(f));
    dir.write(c.file, c.line);
    Output o = qelmos(c.args, c.env);
    EXPECT_EQ(o.status, c.status);
    EXPECT_EQ(o.err, std::string(c.warning) + (c.status == 30 ? "No data found!\n" : ""));
    // A refused or unopened message file ("fi": the file only) loses no output.
    if (c.status == 0) {
      EXPECT_NE(o.out.find(table.substr(table.find(" HOUR"))), std::string::npos) << o.out;
    }
    EXPECT_EQ(ran(), "");
  }
  // The refused message file of a "dfi" item leaves the messages on the screen.
  dir.write("qel.cfg", "*message: \"warn,dfi=|>ran2\"\n");
  Output o = qelmos({"-mo", "gfs", "-id", "KEED", "14010100"});
  EXPECT_EQ(o.out, table);
  EXPECT_EQ(ran(), "");
}

TEST_F(Commands, NamesMadeByTemplatesRunNone) {
  // A name convention file of the current directory whose templates begin
  // with "|", and a latest-file search that finds nothing.
  dir.write("name_conv", "mos_dat |>ran1_%y%m%d%h - 0\n");
  Output o = qelmos({"-mo", "gfs", "-id", "KEED", "-cu", "#2014010100"});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.err, "Command not run: |>ran1_14010100 (made by a naming template)\nNo data found!\n");
  o = qelmos({"-mo", "gfs", "-id", "KEED", "-cu", "la#3"});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.err, "No data found!\n");

  dir.write("name_conv", "mos_dat %y%m%d%h_mos |>ran2_%y%m%d%h 0\n");
  o = qelmos({"-mo", "gfs", "-id", "KEED", "14010100"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, table);  // read without the index
  EXPECT_EQ(o.err, "Command not run: |>ran2_14010100 (a header index name)\n");
  EXPECT_EQ(ran(), "");

  // The search for the latest file larger than 100000 bytes tries the name
  // of 0100 UTC only and finds nothing: the file one step before, present
  // but too small, is not read either.
  dir.write("name_conv", "mos_dat %y%m%d%h_mos - 100000\n");
  o = qelmos({"-mo", "gfs", "-id", "KEED", "-cu", "la#1"}, {"qelcurtime=2014010101"});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.err, "No data found!\n");
}

TEST_F(Commands, CommandsTheUserWroteRun) {
  dir.write("name_conv", "mos_dat %y%m%d%h_mos - 0\n");
  // On the command line, in a defaults file named by the search path.
  dir.write("etc/defs", "*message: \"out2,+fi=|cat >ran_messages\"\n");
  Output o = qelmos({"-mo", "gfs", "-id", "KEED", "-df", "etc/defs", "@|cat 14010100_mos"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("Parsing: |cat 14010100_mos\n"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find(table.substr(table.find(" HOUR"))), std::string::npos) << o.out;
  // The message command is not waited for: give it a moment to finish.
  std::string messages;
  for (int i = 0; i < 200 && messages != o.out; i++) {
    usleep(10000);
    messages = read_file(dir.file("ran_messages"));
  }
  EXPECT_EQ(messages, o.out);

  // A run runs its command once, however often it opens the file (the
  // family found from it, one look-up per station).
  o = qelmos({"-id", "KEED,KELN", "@|echo x >>ran_count; cat 14010100_mos"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(read_file(dir.file("ran_count")), "x\n");
}
