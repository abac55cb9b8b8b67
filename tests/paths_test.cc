// Tests of the path utilities: joining, "~", existence, directories, opening.

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "qel.h"
#include "test_util.h"

using qeltest::read_file;
using qeltest::TempDir;

TEST(FilePaths, JoiningAndStreamNames) {
  char out[QEL_NAME_LEN];
  EXPECT_STREQ(FILE_add_path(nullptr, "a", out), "a");
  EXPECT_STREQ(FILE_add_path("/d/", "a", out), "/d/a");
  EXPECT_STREQ(FILE_add_path("/d", "a", out), "/d/a");
  EXPECT_STREQ(FILE_add_path("/d", "/abs", out), "/abs");
  EXPECT_STREQ(FILE_add_path("/d", "~/x", out), "~/x");
  EXPECT_STREQ(FILE_add_path("/d", "-", out), "-");
  std::string longname(400, 'n');
  EXPECT_EQ(strlen(FILE_add_path("/d", longname.c_str(), out)), size_t(QEL_NAME_LEN - 1));
  char path[8] = "/d";
  FILE_add_path_delim(path);
  EXPECT_STREQ(path, "/d/");
  FILE_add_path_delim(path);
  EXPECT_STREQ(path, "/d/");
  for (const char *s : {"", "-", "std", "STD", "stdn", "StdN"}) EXPECT_EQ(FILE_is_stdio(s), 1) << s;
  for (const char *s : {"stdin", "--", "x"}) EXPECT_EQ(FILE_is_stdio(s), 0) << s;
  EXPECT_EQ(FILE_fullpath("/a") + FILE_fullpath("./a") + FILE_fullpath("~a"), 3);
  EXPECT_EQ(FILE_fullpath("a/b") + FILE_fullpath(nullptr), 0);
}

TEST(FilePaths, HomeDirectoryExpansion) {
  const struct passwd *me = getpwuid(getuid());
  ASSERT_NE(me, nullptr);
  char out[QEL_NAME_LEN];
  EXPECT_EQ(std::string(FILE_add_user_path("~", out)), me->pw_dir);
  EXPECT_EQ(std::string(FILE_add_user_path("~/a/b", out)), std::string(me->pw_dir) + "/a/b");
  EXPECT_EQ(std::string(FILE_add_user_path((std::string("~") + me->pw_name + "/x").c_str(), out)),
            std::string(me->pw_dir) + "/x");
  EXPECT_STREQ(FILE_add_user_path("~no_such_user_here/x", out), "~no_such_user_here/x");
  EXPECT_STREQ(FILE_add_user_path("~averyveryverylongusername/x", out), "~averyveryverylongusername/x");
  EXPECT_STREQ(FILE_add_user_path("a~/x", out), "a~/x");
}

TEST(FilePaths, ExistenceSizeAndDirectories) {
  TempDir dir;
  std::string f = dir.write("f", "12345");
  EXPECT_EQ(FILE_exist(f.c_str()), 1);
  EXPECT_EQ(FILE_size(f.c_str()), 5);
  EXPECT_EQ(FILE_is_dir(f.c_str()), 0);
  EXPECT_EQ(FILE_is_dir(dir.path().c_str()), 1);
  EXPECT_EQ(FILE_exist(dir.file("missing").c_str()), 0);
  EXPECT_EQ(FILE_size(dir.file("missing").c_str()), -1);
  EXPECT_EQ(FILE_exist("-"), 1);

  std::string deep = dir.path() + "\\a/b//c/file";
  std::vector<char> path(deep.begin(), deep.end());
  path.push_back('\0');
  EXPECT_EQ(FILE_make_dir(path.data(), 1), 0);
  EXPECT_EQ(std::string(path.data()), dir.path() + "/a/b//c/file");
  EXPECT_EQ(FILE_is_dir(dir.file("a/b/c").c_str()), 1);
  EXPECT_EQ(FILE_exist(dir.file("a/b/c/file").c_str()), 0);
  EXPECT_EQ(FILE_make_dir(path.data(), 1), 1);  // the parent is there now
}

TEST(FilePaths, OpeningFilesStreamsAndCommands) {
  TempDir dir;
  std::string name = dir.file("new/sub/out.txt");
  FILE *f = FILE_open(name.c_str(), "w");
  ASSERT_NE(f, nullptr);
  fputs("hello", f);
  fclose(f);
  EXPECT_EQ(read_file(name), "hello");
  EXPECT_EQ(FILE_open(dir.file("absent/x").c_str(), "r"), nullptr);
  EXPECT_EQ(FILE_open("-", "r"), stdin);
  EXPECT_EQ(FILE_open("std", "w"), stdout);
  EXPECT_EQ(FILE_open("x", nullptr), nullptr);
  FILE *p = FILE_open("|echo piped", "r");
  ASSERT_NE(p, nullptr);
  char buf[32] = "";
  ASSERT_NE(fgets(buf, sizeof buf, p), nullptr);
  pclose(p);
  EXPECT_STREQ(buf, "piped\n");
}
