// Tests of the string editors, comparisons, splitting and the line readers
// on the inputs that break naive readers.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "qel.h"
#include "test_util.h"

using qeltest::TempDir;

namespace {

std::string edited(int (*fn)(char *), std::string text) {
  fn(text.data());
  return text.c_str();  // up to the first terminator
}

std::vector<std::string> split(const char *text, char delim, int *result) {
  int argc = -1;
  char **argv = reinterpret_cast<char **>(1);
  *result = parse_string(text, delim, &argc, &argv);
  std::vector<std::string> fields(argv, argv + argc);
  if (*result != 0) {
    EXPECT_TRUE(argc == 0 && argv == nullptr);
  }
  free_parsed_array(argc, argv);
  return fields;
}

using Lines = std::vector<std::pair<int, std::string>>;

// Every read of a file holding `content` with buffer length `len`, up to
// and including the first -1; with `again`, each read is repeated after
// seeking back to the position taken before it, and must give the same.
Lines read_all(const std::string &content, int len, bool again = false) {
  TempDir dir;
  FILE *f = fopen(dir.write("in", content).c_str(), "r");
  Lines got;
  std::vector<char> buf(static_cast<size_t>(len) + 1);
  for (int i = 0; i < 100; i++) {
    long pos = ftell(f);
    int n = fgetnline(f, buf.data(), len);
    got.emplace_back(n, std::string(buf.data(), n > 0 ? n : 0));
    if (again) {
      fseek(f, pos, SEEK_SET);
      std::vector<char> twice(buf.size());
      EXPECT_EQ(fgetnline(f, twice.data(), len), n) << "read " << i << " at " << pos;
      EXPECT_EQ(std::string(twice.data(), n > 0 ? n : 0), got.back().second);
    }
    if (n < 0) break;
  }
  fclose(f);
  return got;
}

}  // namespace

TEST(StringEdit, CleaningAndCase) {
  EXPECT_EQ(edited(wstrim_string, "set x  \r\n"), "set x");
  EXPECT_EQ(edited(wstrim_string, "a \r\nb \n"), "a b");
  EXPECT_EQ(edited(wsstrip_string, "\ra\r\nb \n"), "ab ");
  EXPECT_EQ(edited(clean_line, "A\tB\r\r"), "A B");
  EXPECT_EQ(edited(clean_line, "ab  \x01\n"), "ab  ");          // trailing blanks stay
  EXPECT_EQ(edited(clean_line, "\x80x\x7f\xb0\n"), " x\x7f ");  // high bytes become blanks
  EXPECT_EQ(edited(clean_line, "\x01\x02"), "");
  EXPECT_EQ(edited(up_string, "gfs-mos 2"), "GFS-MOS 2");
  EXPECT_EQ(edited(low_string, "KDCA\xc9"), "kdca\xc9");
  char empty[] = "";
  EXPECT_EQ(up_string(empty), 0);
  EXPECT_EQ(low_string(nullptr), 0);
  EXPECT_EQ(clean_line(empty), 0);
  char path[] = "a:b:c";
  EXPECT_EQ(fill_string(path, ':', ' '), 0);
  EXPECT_STREQ(path, "a b c");
}

TEST(StringCompare, BlankAndCaseInsensitive) {
  EXPECT_EQ(string_is_blank("   "), 1);
  EXPECT_EQ(string_is_blank(""), 1);
  EXPECT_EQ(string_is_blank(nullptr), 1);
  EXPECT_EQ(string_is_blank("\xb0\t\r\n"), 1);
  EXPECT_EQ(string_is_blank("  !"), 0);
  EXPECT_EQ(string_is_blank("\x7f"), 0);

  EXPECT_EQ(stricmp("GFS", "gfs"), 0);
  EXPECT_EQ(stricmp(nullptr, "x"), 1);
  EXPECT_EQ(stricmp("x", nullptr), 1);
  EXPECT_EQ(stricmp("ab", "ABC"), -'c');
  EXPECT_EQ(stricmp("abd", "ABC"), 1);
  EXPECT_EQ(strnicmp("line", "LINE5", 4), 0);
  EXPECT_EQ(strnicmp("line", "LINE5", 5), -'5');
  EXPECT_EQ(strnicmp("ab", "AX", 1), 0);  // n <= 1: the first bytes only
  EXPECT_NE(strnicmp("ab", "xb", 0), 0);
  EXPECT_EQ(strnicmp(nullptr, "x", 3), 1);
}

TEST(StringSplit, FieldsAndFailures) {
  int r;
  EXPECT_EQ(split("a,b,,c", ',', &r), (std::vector<std::string>{"a", "b", "", "c"}));
  EXPECT_EQ(split("a,b,,", ',', &r), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(split(",", ',', &r), (std::vector<std::string>{""}));
  EXPECT_EQ(r, 0);
  EXPECT_EQ(split(" a : b", ':', &r), (std::vector<std::string>{" a ", " b"}));  // not trimmed
  EXPECT_EQ(split("one", '\n', &r), (std::vector<std::string>{"one"}));
  EXPECT_TRUE(split("", ',', &r).empty());
  EXPECT_EQ(r, -1);
  EXPECT_TRUE(split(nullptr, ',', &r).empty());
  EXPECT_EQ(r, -1);
  EXPECT_EQ(free_parsed_array(0, nullptr), 0);
}

TEST(StringCopy, AlwaysTerminatesAndReportsTheFullLength) {
  char buf[4];
  EXPECT_EQ(str_copy(buf, "abcdef", sizeof buf), 6u);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(str_copy(buf, nullptr, sizeof buf), 0u);
  EXPECT_STREQ(buf, "");
}

TEST(LineReader, TerminatorsAndBlankLines) {
  EXPECT_EQ(read_all("A\n\nB\n", 80), (Lines{{1, "A"}, {0, ""}, {1, "B"}, {-1, ""}}));
  EXPECT_EQ(read_all("A\r\nB\r\n", 80), (Lines{{2, "A\r"}, {2, "B\r"}, {-1, ""}}));
  EXPECT_EQ(read_all("A\nlast", 80), (Lines{{1, "A"}, {4, "last"}, {-1, ""}}));
  // The empty line at the very start counts as a terminator.
  EXPECT_EQ(read_all("\n\nA\n\n\n", 80), (Lines{{0, ""}, {1, "A"}, {0, ""}, {0, ""}, {-1, ""}}));
  EXPECT_EQ(read_all("", 80), (Lines{{-1, ""}}));
  EXPECT_EQ(read_all("\n", 80), (Lines{{-1, ""}}));
}

TEST(LineReader, LongLinesComeOutInPieces) {
  EXPECT_EQ(read_all("ABCDEFGHIJ\nK\n", 4), (Lines{{4, "ABCD"}, {4, "EFGH"}, {2, "IJ"}, {1, "K"}, {-1, ""}}));
  // A line of exactly the buffer's length gives no extra empty piece.
  EXPECT_EQ(read_all("ABCD\n\nE", 4), (Lines{{4, "ABCD"}, {0, ""}, {1, "E"}, {-1, ""}}));
}

TEST(LineReader, BinaryBytesAreKept) {
  std::string bin("A\0B\xff\x01\n\xfe", 7);
  EXPECT_EQ(read_all(bin, 80), (Lines{{5, std::string("A\0B\xff\x01", 5)}, {1, "\xfe"}, {-1, ""}}));
}

TEST(LineReader, RestoredPositionRereadsTheSameLine) {
  read_all("L1\n\nL3 long line\r\n\n\nL6", 5, true);
  read_all("\nfirst\n", 80, true);
}

TEST(LineReader, FgetstringResultsAndBadHandles) {
  TempDir dir;
  FILE *f = fopen(dir.write("in", "word\n\nx\n").c_str(), "r");
  char buf[81];
  EXPECT_EQ(fgetstring(f, buf, 80), 1);
  EXPECT_STREQ(buf, "word");
  EXPECT_EQ(fgetstring(f, buf, 80), 0);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(fgetstring(f, buf, 80), 1);
  EXPECT_EQ(fgetstring(f, buf, 80), -1);
  fclose(f);
  EXPECT_EQ(fgetnline(nullptr, buf, 80), -1);
  EXPECT_EQ(fgetstring(nullptr, buf, 80), -1);
}
