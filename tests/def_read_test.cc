// Tests of the defaults-file reader: the conditional language on tags,
// resource lines and quoted values, name patterns, the directory
// candidates and the environment lookup.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "qelresrc.h"
#include "test_util.h"

using qeltest::capture;
using qeltest::run_child;
using qeltest::TempDir;

namespace {

char prog_word[] = "qelmos";
char *prog_argv[] = {prog_word, nullptr};

// The program is "qelmos", as when the tool runs.
void as_qelmos() {
  RES_setCL(1, prog_argv);
  DEF_prog();
}

// Every active resource line of a file, as "name=value" lines.
std::string entries(const std::string &path) {
  std::string all;
  char name[50], value[200];
  if (DEF_open(path.c_str()) != 0) return "(no file)";
  while (DEF_get(name, value) == 1) all += std::string(name) + "=" + value + "\n";
  DEF_close();
  return all;
}

const char *const kIfElse = "IF foo\n*model: ngm\nELSE\n*model: eta\nEND\n";

}  // namespace

TEST(DefGet, TagsFromDefLinesAndFromTheCaller) {
  TempDir dir;
  EXPECT_EQ(entries(dir.write("with", std::string("DEF foo\n") + kIfElse)), "*model=ngm\n");
  DEF_clr_tag();
  EXPECT_EQ(entries(dir.write("without", kIfElse)), "*model=eta\n");
  DEF_tag("FOO");  // tags compare ignoring case
  EXPECT_EQ(entries(dir.file("without")), "*model=ngm\n");
  DEF_clr_tag();
  EXPECT_EQ(entries(dir.file("without")), "*model=eta\n");
}

TEST(DefGet, NestedBlocksAndBranches) {
  TempDir dir;
  std::string nested = dir.write("nested", "IF a\nx 1\nIF b\ny 2\nEND\nz 3\nEND\nw 4\n");
  DEF_tag("a");
  EXPECT_EQ(entries(nested), "x=1\nz=3\nw=4\n");

  std::string chain = dir.write("chain", "IF a\nx if\nELIF b\nx elif\nELSE\nx else\nEND\n");
  struct Case {
    std::vector<const char *> tags;
    const char *want;
  };
  const Case cases[] = {
      {{"a", "b"}, "x=if\n"},
      {{"b"}, "x=elif\n"},
      {{}, "x=else\n"},
      {{"a"}, "x=if\n"},
  };
  for (const Case &c : cases) {
    DEF_clr_tag();
    for (const char *t : c.tags) DEF_tag(t);
    EXPECT_EQ(entries(chain), c.want);
  }

  // More than ten levels deep still works.
  std::string deep;
  for (int i = 0; i < 15; i++) deep += "IF a\n";
  deep += "in 1\n";
  for (int i = 0; i < 15; i++) deep += "END\n";
  deep += "out 2\n";
  DEF_clr_tag();
  DEF_tag("a");
  EXPECT_EQ(entries(dir.write("deep", deep)), "in=1\nout=2\n");
}

TEST(DefGet, DefAndUndefActInInactiveBlocks) {
  TempDir dir;
  std::string f = dir.write("f",
                            "IF never\nDEF b\nEND\n"
                            "IF b\nx 1\nEND\n"
                            "DEF c\nUNDEF C\nUNDEF nothing\nIF c\ny 2\nEND\n"
                            "DEF\nIF\nUNDEF\nz 3\n");
  EXPECT_EQ(entries(f), "x=1\nz=3\n");
}

TEST(DefGet, UnbalancedDirectivesWarnAndOpenBlocksCarryOver) {
  TempDir dir;
  std::string f = dir.write("f", "ELSE\nx 1\nEND\nELIF a\nELIF\ny 2\nIF missing\n");
  auto o = capture([&] { EXPECT_EQ(entries(f), "x=1\ny=2\n"); });
  EXPECT_EQ(o.err, "DEF_get: else without an if\nDEF_get: end without an if\nDEF_get: elif without an if\n");
  // The IF left open hides the next file's lines until its END.
  std::string g = dir.write("g", "z 3\nEND\nw 4\n");
  EXPECT_EQ(entries(g), "w=4\n");
}

TEST(DefGet, ResourceLinesWordsQuotesAndComments) {
  TempDir dir;
  std::string f = dir.write("f",
                            "# a comment\n"
                            "   # not a comment\n"
                            "\n"
                            "   \t  \n"
                            "lonely\n"
                            "*Model:: two words\n"
                            "*title: \"two  words\" and more\n"
                            "*label: \"unclosed quote\n"
                            "*empty: \"\"\n"
                            "*crlf: value\r\n"
                            "\tQELMOS.Model:\teta\n");
  EXPECT_EQ(entries(f),
            "#=not\n"
            "*model:=two\n"
            "*title=two  words\n"
            "*label=unclosed quote\n"
            "*empty=\n"
            "*crlf=value\n"
            "qelmos.model=eta\n");
  // A name that begins with "#" never applies.
  as_qelmos();
  EXPECT_EQ(DEF_valid("#"), 0);
}

TEST(DefGet, LongLinesNamesAndValuesAreBounded) {
  TempDir dir;
  std::string long_name = "*" + std::string(70, 'n');
  std::string long_value(230, 'v');
  std::string huge(600, 'x');
  std::string f = dir.write("f", long_name + " x\n*v " + long_value + "\n" + huge + " tail\nlast 1\n");
  char name[50], value[200];
  ASSERT_EQ(DEF_open(f.c_str()), 0);
  ASSERT_EQ(DEF_get(name, value), 1);
  EXPECT_EQ(std::string(name), long_name.substr(0, 49));
  ASSERT_EQ(DEF_get(name, value), 1);
  EXPECT_EQ(std::string(value), long_value.substr(0, 199));
  // The 600-character line comes in pieces of 249: only its last piece has
  // a second word.
  ASSERT_EQ(DEF_get(name, value), 1);
  EXPECT_EQ(std::string(value), "tail");
  ASSERT_EQ(DEF_get(name, value), 1);
  EXPECT_STREQ(name, "last");
  EXPECT_EQ(DEF_get(name, value), -1);
  EXPECT_EQ(DEF_get(nullptr, value), -1);
  DEF_close();
  EXPECT_EQ(DEF_get(name, value), -1);  // no file open
}

TEST(DefOpen, DirectoryCandidatesInOrder) {
  TempDir dir;
  dir.write("d/Qel.res", "from res\n");
  std::string d = dir.path() + "/d";
  EXPECT_EQ(entries(d), "from=res\n");
  dir.write("d/.qeldef", "from qeldef\n");
  EXPECT_EQ(entries(d + "/"), "from=qeldef\n");
  dir.write("d/qel.cfg", "from cfg\n");
  EXPECT_EQ(entries(d), "from=cfg\n");
  dir.write("e/other", "x 1\n");
  EXPECT_EQ(DEF_open((dir.path() + "/e").c_str()), -1);
  EXPECT_EQ(DEF_open(dir.file("missing").c_str()), -1);
  // A directory whose candidates would not fit a file name opens nothing.
  std::string deep = dir.path() + "/" + std::string(100, 'a') + "/" + std::string(60, 'b');
  dir.write(deep.substr(dir.path().size() + 1) + "/qel.cfg", "x 1\n");
  EXPECT_EQ(DEF_open(deep.c_str()), -1);

  // No name: .qeldef in the current directory.
  dir.write(".qeldef", "here 1\n");
  auto o = run_child([&] {
    if (chdir(dir.path().c_str()) != 0) _exit(99);
    printf("%s|", entries("").c_str());
    char name[50], value[200];
    int opened = DEF_open(nullptr);
    printf("%d %d\n", opened, DEF_get(name, value));
  });
  EXPECT_EQ(o.out, "here=1\n|0 1\n");
}

TEST(DefCmp, PatternsAgainstTheFullName) {
  as_qelmos();
  EXPECT_EQ(DEF_cmp("model", "*model"), 1);
  EXPECT_EQ(DEF_cmp("model", "qelmos.model"), 1);
  EXPECT_EQ(DEF_cmp("model", "q*s.model"), 1);
  EXPECT_EQ(DEF_cmp("model", "*.*"), 0);   // "*" at the end matches nothing
  EXPECT_EQ(DEF_cmp("model", "*mod"), 0);  // must reach the end of the name
  EXPECT_EQ(DEF_cmp("model", "other.model"), 0);
  EXPECT_EQ(DEF_cmp("model", "model"), 0);
  EXPECT_EQ(DEF_cmp("model", "*odel"), 1);
  EXPECT_EQ(DEF_cmp("model_path", "*model"), 0);

  // A title replaces the program name; "+" makes it a sub-name.
  DEF_name("foo");
  EXPECT_EQ(DEF_cmp("model", "foo.model"), 1);
  EXPECT_EQ(DEF_cmp("model", "qelmos.model"), 0);
  DEF_name("+east");
  EXPECT_EQ(DEF_cmp("model", "qelmos.east.model"), 1);
  EXPECT_EQ(DEF_cmp("model", "*east.model"), 1);
  EXPECT_EQ(DEF_cmp("model", "*model"), 1);

  // A program name of up to 29 characters is kept whole.
  char w0[] = "/opt/bin/qelmos_regional_guidance", *argv[] = {w0, nullptr};
  RES_setCL(1, argv);
  DEF_prog();
  DEF_name("");
  EXPECT_EQ(DEF_cmp("model", "qelmos_regional_guidance.model"), 1);
}

TEST(DefCmp, OnlyTheFirstOccurrenceIsTried) {
  char w0[] = "/bin/modelrun", *argv[] = {w0, nullptr};
  RES_setCL(1, argv);
  DEF_prog();
  // "modelrun.model": "*model" finds the program's own "model" first.
  EXPECT_EQ(DEF_cmp("model", "*model"), 0);
  EXPECT_EQ(DEF_cmp("model", "*.model"), 1);
}

TEST(DefValid, LastPartAndMeantForThisProgram) {
  as_qelmos();
  char part[50];
  EXPECT_EQ(DEF_parse_name("qelmos.east.title", part), 1);
  EXPECT_STREQ(part, "title");
  DEF_parse_name("*colour", part);
  EXPECT_STREQ(part, "colour");
  DEF_parse_name("plain", part);
  EXPECT_STREQ(part, "plain");
  EXPECT_EQ(DEF_valid("qelmos.colour"), 1);
  EXPECT_EQ(DEF_valid("*colour"), 1);
  EXPECT_EQ(DEF_valid("*.colour"), 1);
  EXPECT_EQ(DEF_valid("other.colour"), 0);
  EXPECT_EQ(DEF_valid("colour"), 0);  // neither "." nor "*": never applies
}

TEST(DefTag, AtMostTenTags) {
  const char *names[] = {"t0", "t1", "t2", "t3", "t4", "t5", "t6", "t7", "t8", "t9"};
  for (const char *n : names) EXPECT_EQ(DEF_tag(n), 0);
  EXPECT_EQ(DEF_tag("t10"), -1);
  TempDir dir;
  // A DEF line beyond ten is ignored too.
  EXPECT_EQ(entries(dir.write("f", "DEF extra\nIF extra\nx 1\nEND\nIF t9\ny 2\nEND\n")), "y=2\n");
  DEF_clr_tag();
  EXPECT_EQ(DEF_tag("t10"), 0);
}

TEST(DefEnv, ThreeNamesInOrder) {
  as_qelmos();
  for (const char *n : {"qelqelmos.model", "qelmodel", "qelmodel_own", "qelfoo.model"}) unsetenv(n);
  char value[200] = "unchanged";
  EXPECT_EQ(DEF_env("model", "qelmodel_own", value), 0);
  EXPECT_STREQ(value, "unchanged");
  setenv("qelmodel", "generic", 1);
  EXPECT_EQ(DEF_env("model", "qelmodel_own", value), 1);
  EXPECT_STREQ(value, "generic");
  setenv("qelmodel_own", "own", 1);
  DEF_env("model", "qelmodel_own", value);
  EXPECT_STREQ(value, "own");
  DEF_env("model", "", value);
  EXPECT_STREQ(value, "generic");
  setenv("qelqelmos.model", "program", 1);
  DEF_env("model", "qelmodel_own", value);
  EXPECT_STREQ(value, "program");
  DEF_name("foo");
  DEF_env("model", "qelmodel_own", value);
  EXPECT_STREQ(value, "own");
  setenv("qelfoo.model", "", 1);  // set but empty still counts
  EXPECT_EQ(DEF_env("model", "qelmodel_own", value), 1);
  EXPECT_STREQ(value, "");
}
