// Tests of the bulletin product file reader: products and their ends, the
// held line and pending header, searches, saved positions on LF, CRLF and
// feed-framed files, standard input, and the station walk of the readers.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "qel.h"
#include "qelresrc.h"
#include "test_util.h"

namespace {

using qeltest::TempDir;

const char *kNgm = "(FOUS14|FOAK2[56789])";
const char *kGfs = "(FOPA21|FOUS2[123456]|FOAK3[789])";

// Opens `content` as the bulletin file with end mask `end`; returns the handle.
int open_text(const TempDir &dir, const std::string &content, int end = 256) {
  std::string path = dir.write("bulletin.txt", content);
  char buf[QEL_NAME_LEN];
  FILE_set_file(path.c_str(), buf);
  PAR_set_in_file("");
  PAR_set_end(end);
  Date date;
  DATE_init(&date);
  return PAR_open(&date);
}

struct Got {
  int ret;
  std::string line;
  int status;
};

Got read(int ind, int num) {
  char line[129];
  memset(line, 'Z', sizeof line);
  int r = PAR_read(ind, 0, num, line);
  return {r, line, PAR_get_status(ind)};
}

void expect_line(const Got &g, const std::string &line) {
  EXPECT_EQ(g.ret, 1) << line;
  EXPECT_EQ(g.line, line);
}

void expect_end(const Got &g, int status) {
  EXPECT_EQ(g.ret, 0) << g.line;
  EXPECT_EQ(g.status, status) << g.line;
  EXPECT_EQ(g.line, "");
}

// Every line with LF ends replaced by `eol`.
std::string with_eol(const std::string &text, const std::string &eol) {
  std::string out;
  for (char c : text) {
    if (c == '\n')
      out += eol;
    else
      out += c;
  }
  return out;
}

// Walks the station blocks of the open file as the station reader does:
// search, read up to the marker line, note its position, skip the rows.
struct Block {
  std::string heading;
  long pos;
  int rows;
};

std::vector<Block> walk(int ind, const char *pattern, const char *marker, size_t limit = 100000) {
  std::vector<Block> blocks;
  for (int k = 0; blocks.size() < limit; k++) {
    char line[129] = "";
    int n = 0;
    if (k == 0) PAR_rewind(ind);
    if ((k == 0 || (PAR_get_status(ind) & 4)) && PAR_search(ind, pattern) == -1) break;
    bool more = true;
    while (more && !strstr(line, marker)) {
      if (PAR_read(ind, 0, n++, line) == -1) more = false;
      if (more && (PAR_get_status(ind) & 4) && PAR_search(ind, pattern) == -1) more = false;
    }
    if (!more) break;
    Block b{line, PAR_get_pos(ind), 0};
    while (PAR_read(ind, 0, n++, line) > 0) b.rows++;
    blocks.push_back(b);
  }
  return blocks;
}

// Re-reads a located block the way the readers do: seek to its heading,
// read with num 2, then the rows up to the end of the block.
Block reread(int ind, long pos) {
  char line[129] = "";
  PAR_seek(ind, pos);
  Block b{"", pos, 0};
  if (PAR_read(ind, 0, 2, line) > 0) b.heading = line;
  int n = 3;
  while (PAR_read(ind, 0, n++, line) > 0) b.rows++;
  return b;
}

const char *kProduct =
    "FOUS14 KWNO 121200\n"
    "DCA  NGM MOS GUIDANCE\n"
    "TEMP   37 34\n"
    "\n"
    "BOS  NGM MOS GUIDANCE\n"
    "TEMP   30 31\n";

}  // namespace

TEST(ParEnd, ClassifiesAndCleansInPlace) {
  struct Case {
    const char *in;
    int end;
    unsigned long status;
    const char *out;
  };
  const Case cases[] = {
      {"\x03", 0x100, 4, "\x03"},
      {"\x01\r", 0x100, 4, "\x01\r"},
      {"** FOUS14", 0x100, 5, "** FOUS14"},
      {"**FOUS14", 0x100, 0, "**FOUS14"},
      {"  \t \x80", 0x100, 0x100, "     "},
      {"", 0x100, 0x100, ""},
      {"A\tB\x1e\xb0\r\r", 0x100, 0, "A B  "},
      {"TMP 48", 0x10, 0x10, "TMP 48"},
      {"$$ end", 0x400, 0x400, "$$ end"},
      {"OBS=\r", 0x800, 0x800, "OBS="},
      {"OBS=", 0x400, 0, "OBS="},
  };
  for (const Case &c : cases) {
    PAR_set_end(c.end);
    char line[129];
    str_copy(line, c.in, sizeof line);
    EXPECT_EQ(PAR_end(-1, line), c.status) << c.in;
    EXPECT_STREQ(line, c.out) << c.in;
  }
}

TEST(ParRead, ProductFromHeaderToBlankLine) {
  TempDir dir;
  int ind = open_text(dir, kProduct);
  ASSERT_EQ(ind, 0);
  EXPECT_EQ(PAR_get_status(ind), 0);
  EXPECT_EQ(PAR_search(ind, kNgm), 1);
  EXPECT_EQ(PAR_get_status(ind), 1);
  EXPECT_EQ(PAR_get_pos(ind), 0);
  // The header stays pending for num 0.
  expect_line(read(ind, 0), "FOUS14 KWNO 121200");
  expect_line(read(ind, 0), "FOUS14 KWNO 121200");
  expect_line(read(ind, 1), "DCA  NGM MOS GUIDANCE");
  EXPECT_EQ(PAR_get_pos(ind), 18);
  expect_line(read(ind, 2), "TEMP   37 34");
  expect_end(read(ind, 3), 0x100);
  // The empty separator is skipped: the next station's heading comes next.
  expect_line(read(ind, 0), "BOS  NGM MOS GUIDANCE");
  expect_line(read(ind, 1), "TEMP   30 31");
  Got g = read(ind, 2);
  EXPECT_EQ(g.ret, -1);
  EXPECT_EQ(g.status, 4);
  EXPECT_EQ(PAR_search(ind, kNgm), -1);
  EXPECT_EQ(PAR_close(ind), 1);
  EXPECT_EQ(PAR_close(ind), 0);
}

TEST(ParRead, BlankSeparatorsOfBlanksOnly) {
  // Web and archive copies separate station blocks with lines of blanks.
  TempDir dir;
  std::string text = kProduct;
  text.replace(text.find("\n\n"), 2, "\n   \n");
  int ind = open_text(dir, text);
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  expect_line(read(ind, 0), "FOUS14 KWNO 121200");
  expect_line(read(ind, 1), "DCA  NGM MOS GUIDANCE");
  expect_line(read(ind, 2), "TEMP   37 34");
  expect_end(read(ind, 3), 0x100);
  expect_line(read(ind, 1), "BOS  NGM MOS GUIDANCE");
  expect_line(read(ind, 2), "TEMP   30 31");

  // The station walk finds both blocks.
  std::vector<Block> blocks = walk(ind, kNgm, "NGM MOS");
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[1].heading, "BOS  NGM MOS GUIDANCE");
  EXPECT_EQ(blocks[1].rows, 1);
}

TEST(ParRead, StarHeaderEndsProductAndIsKeptForTheSearch) {
  TempDir dir;
  int ind = open_text(dir,
                      "FOUS14 KWNO 121200\n"
                      "DCA  NGM MOS\n"
                      "** FOAK27 PAFC 121200\n"
                      "ANC  NGM MOS\n");
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  read(ind, 0);
  expect_line(read(ind, 1), "DCA  NGM MOS");
  expect_end(read(ind, 2), 5);
  long pos = PAR_get_pos(ind);
  // The search takes the kept header first, without reading a line.
  EXPECT_EQ(PAR_search(ind, kNgm), 1);
  EXPECT_EQ(PAR_get_pos(ind), pos);
  expect_line(read(ind, 0), "** FOAK27 PAFC 121200");
  expect_line(read(ind, 1), "ANC  NGM MOS");

  // A kept header that does not match is dropped and the search reads on.
  TempDir dir2;
  ind = open_text(dir2, "FOUS14 KWNO\nA\n** FOUS99 KWNO\nFOAK25 PAFC\nB\n");
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  read(ind, 0);
  read(ind, 1);
  expect_end(read(ind, 2), 5);
  EXPECT_EQ(PAR_search(ind, kNgm), 1);
  expect_line(read(ind, 0), "FOAK25 PAFC");
}

TEST(ParRead, StartAndEndOfTextBytes) {
  TempDir dir;
  int ind = open_text(dir,
                      "\x01\n"
                      "FOUS14 KWNO 121200\n"
                      "DCA  NGM MOS\n"
                      "\x03\n"
                      "LOST\n"
                      "AFTER\n");
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  EXPECT_EQ(PAR_get_pos(ind), 1);
  read(ind, 0);
  expect_line(read(ind, 1), "DCA  NGM MOS");
  expect_end(read(ind, 2), 4);
  // Read on instead of searching: the held ETX line ends the product again,
  // so the line read with it is not delivered (it becomes the held line).
  expect_end(read(ind, 0), 0);
  expect_line(read(ind, 0), "LOST");
  expect_line(read(ind, 1), "AFTER");
}

TEST(ParRead, EndMaskConditions) {
  TempDir dir;
  int ind = open_text(dir, "FOUS14\nBODY\nLAST LINE=\nNEXT\n$$\nX\n\n\n\nY\n", 0x800 | 0x400 | 0x200);
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  read(ind, 0);
  expect_line(read(ind, 1), "BODY");
  // The "=" line comes with the end signal and is not kept.
  Got g = read(ind, 2);
  EXPECT_EQ(g.ret, 0);
  EXPECT_EQ(g.status, 0x800);
  EXPECT_EQ(g.line, "LAST LINE=");
  expect_line(read(ind, 0), "NEXT");
  expect_end(read(ind, 1), 0x400);
  // The held "$$" line ends the part again.
  expect_end(read(ind, 0), 0);
  expect_line(read(ind, 0), "X");
  // Blank lines are ordinary without 0x100; 0x200 cannot fire in one call.
  expect_line(read(ind, 1), "");
  expect_line(read(ind, 1), "");
  expect_line(read(ind, 1), "");
  expect_line(read(ind, 1), "Y");
}

TEST(ParRead, ControlBytesAreCleanedAndLongLinesCut) {
  TempDir dir;
  std::string longline(200, 'L');
  // A row padded with blanks to 129 characters, and one longer than the
  // reader's buffer: of each the first 128 characters are read and the rest
  // is dropped, so that no rest is taken for a line (a blank one would end
  // the station block).
  std::string padded = "TMP  48 46" + std::string(119, ' ');
  std::string huge(70000, 'H');
  int ind = open_text(dir,
                      "FOUS14\nA\tB\x1e"
                      "C\r\n" +
                          longline + "\n" + padded + "\r\r\n" + huge + "\nDPT  17 17\n\n" + longline + "\n");
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  read(ind, 0);
  expect_line(read(ind, 1), "A B C");
  expect_line(read(ind, 2), std::string(128, 'L'));
  expect_line(read(ind, 3), padded.substr(0, 128));
  expect_line(read(ind, 4), std::string(128, 'H'));
  long pos = PAR_get_pos(ind);
  expect_line(read(ind, 5), "DPT  17 17");
  expect_end(read(ind, 6), 0x100);
  expect_line(read(ind, 0), std::string(128, 'L'));
  PAR_seek(ind, pos);
  expect_line(read(ind, 2), std::string(128, 'H'));
  expect_line(read(ind, 3), "DPT  17 17");
  // A held line keeps its first 80 characters: read on after an ETX line,
  // so that the long line is held, then offered.
  TempDir dir2;
  ind = open_text(dir2, "FOUS14\n\x03\n" + longline + "\nNEXT\n");
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  read(ind, 0);
  expect_end(read(ind, 1), 4);
  expect_end(read(ind, 0), 0);
  expect_line(read(ind, 0), std::string(80, 'L'));
  expect_line(read(ind, 1), "NEXT");
}

TEST(ParRead, FinalLineWithoutLineEndIsNotRead) {
  // A feed file caught while it is being written ends in a half-written
  // line ("TMP  3" of "TMP  36"): it is the end of the file, not a row.
  TempDir dir;
  int ind = open_text(dir, "FOUS14 KWNO\nDCA  NGM MOS\nTMP  3");
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  read(ind, 0);
  expect_line(read(ind, 1), "DCA  NGM MOS");
  long pos = PAR_get_pos(ind);
  expect_end(read(ind, 2), 4);
  Got g = read(ind, 3);
  EXPECT_EQ(g.ret, -1);
  EXPECT_EQ(g.status, 4);
  PAR_seek(ind, pos);
  expect_line(read(ind, 2), "DCA  NGM MOS");
  expect_end(read(ind, 3), 4);
  // A final ETX byte without a line end still ends the product; a final CR
  // is a line end.
  TempDir dir2;
  ind = open_text(dir2, "FOUS14 KWNO\nDCA\n\x03");
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  read(ind, 0);
  read(ind, 1);
  expect_end(read(ind, 2), 4);
  EXPECT_EQ(PAR_search(ind, kNgm), -1);
  TempDir dir3;
  ind = open_text(dir3, "FOUS14 KWNO\rDCA\rTMP  36\r");
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  read(ind, 0);
  expect_line(read(ind, 1), "DCA");
  expect_line(read(ind, 2), "TMP  36");
  EXPECT_EQ(read(ind, 3).ret, -1);
}

TEST(ParRead, CarriageReturnsEndLinesUnlessALineEndFollows) {
  // Old Mac files end lines with CR alone (CR CR is an empty line there);
  // CR LF and CR CR LF stay one line end.
  TempDir dir;
  int ind = open_text(dir, "FOUS14\rA\r\nB\r\r\nC\rD\r\r\r\nE\r\rF\n");
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  expect_line(read(ind, 0), "FOUS14");
  std::vector<std::string> got;
  for (int n = 1; n < 10; n++) {
    Got g = read(ind, n);
    if (g.ret != 1) {
      expect_end(g, 0x100);
      break;
    }
    got.push_back(g.line);
  }
  EXPECT_EQ(got, (std::vector<std::string>{"A", "B", "C", "D", "E"}));
  expect_line(read(ind, 0), "F");
}

TEST(ParRead, ReadStopsAtTheLoopGuard) {
  TempDir dir;
  int ind = open_text(dir, "FOUS14\n$$\nNEXT\n", 0x400);
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  qeltest::Output o = qeltest::capture([&] { expect_end(read(ind, 100000), 0x400); });
  EXPECT_EQ(o.err, "Caught in search loop\n");
  // The ending line was not kept, so the next line is delivered.
  expect_line(read(ind, 0), "NEXT");
}

TEST(ParSearch, NoMatchEndsAtEndOfFileOrAtTheGuard) {
  TempDir dir;
  int ind = open_text(dir, "FOUS44 KWNO\nA\n");
  EXPECT_EQ(PAR_search(ind, kNgm), -1);
  EXPECT_EQ(PAR_get_status(ind), 4);

  std::string many;
  for (int i = 0; i < 100001; i++) many += "X\n";
  many += "FOUS14 KWNO\n";
  TempDir dir2;
  ind = open_text(dir2, many);
  qeltest::Output o = qeltest::capture([&] { EXPECT_EQ(PAR_search(ind, kNgm), 0); });
  EXPECT_EQ(o.err, "Caught in search loop\n");
  EXPECT_EQ(PAR_search(ind, kNgm), 1);  // the search goes on where it stopped

  // A long file gives up again and again: the warning comes once per run,
  // the trace of the last candidate at the debug level only.
  ind = open_text(dir2, many);
  MESS_set(1, M_DEBUGC);
  o = qeltest::capture([&] { EXPECT_EQ(PAR_search(ind, kNgm), 0); });
  EXPECT_EQ(o.err, "");
  EXPECT_NE(o.out.find("SE-!:  0:199997:X                   :          :          :\n"), std::string::npos);
}

TEST(ParSearch, TwoSearchesInARowAndAfterRewindOrSeek) {
  TempDir dir;
  int ind = open_text(dir, "X\nFOUS14 KWNO\nFOAK25 PAFC\n");
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  expect_line(read(ind, 0), "FOUS14 KWNO");
  PAR_rewind(ind);
  EXPECT_EQ(PAR_get_status(ind), 0);
  EXPECT_EQ(PAR_get_pos(ind), 0);
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  expect_line(read(ind, 0), "FOUS14 KWNO");
  ASSERT_EQ(PAR_seek(ind, 0), 1);
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  expect_line(read(ind, 0), "FOUS14 KWNO");
  // A kept header that does not match is dropped; a lower-case pattern is
  // upper-cased for the search, not in place.
  PAR_rewind(ind);
  EXPECT_EQ(PAR_search(ind, "x"), 1);
  expect_line(read(ind, 0), "X");
  std::string pat = "(fous14|foak2[56789])";
  EXPECT_EQ(PAR_search(ind, pat.c_str()), 1);
  expect_line(read(ind, 0), "FOUS14 KWNO");
  EXPECT_EQ(pat, "(fous14|foak2[56789])");
}

TEST(ParSearch, PendingHeaderIsOfferedAgainAfterTheEndOfFile) {
  // A line of blanks matches a group (its last alternative runs out of text
  // at once), so a file ending in one has it as its last "product". The read
  // after it meets the end of the file; the header is still pending, and a
  // search returns it again: walks stop on the -1 of the read.
  TempDir dir;
  int ind = open_text(dir, "A\n \n");
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  expect_line(read(ind, 0), " ");
  EXPECT_EQ(read(ind, 1).ret, -1);
  EXPECT_EQ(PAR_search(ind, kNgm), 1);
  EXPECT_EQ(PAR_search(ind, "FOUS"), -1);
}

TEST(ParRead, FilesLargerThanTheReadBuffer) {
  // Lines of every length from 1 to 127 fall across the reader's buffer
  // boundaries; positions sought back go outside the buffer.
  std::string text;
  for (int p = 0; p < 40; p++) {
    text += "\x01\r\r\nFOUS26 KWNO 0100" + std::to_string(p % 10) + "0\r\r\n";
    for (int b = 0; b < 30; b++) {
      text += "\r\r\n K" + std::to_string(1000 + p * 30 + b) + "   GFS MOS GUIDANCE\r\r\n";
      for (int r = 0; r < 5; r++) text += std::string(1 + (p * 31 + b * 7 + r * 13) % 127, 'A' + r) + "\r\r\n";
    }
    text += "\x03\n";
  }
  ASSERT_GT(text.size(), 4u * 65536);
  TempDir dir;
  int ind = open_text(dir, text);
  std::vector<Block> blocks = walk(ind, kGfs, "GFS MOS");
  ASSERT_EQ(blocks.size(), 1200u);
  for (size_t i : {size_t{0}, size_t{1}, size_t{517}, size_t{1199}, size_t{3}}) {
    SCOPED_TRACE(i);
    EXPECT_EQ(blocks[i].heading, " K" + std::to_string(1000 + i) + "   GFS MOS GUIDANCE");
    EXPECT_EQ(blocks[i].rows, 5);
    Block again = reread(ind, blocks[i].pos);
    EXPECT_EQ(again.heading, blocks[i].heading);
    EXPECT_EQ(again.rows, 5);
  }
}

TEST(ParFind, EveryLineOfTheTextAndTheHeadingPassedOverBeforeIt) {
  // Station lines across the reader's buffer boundaries, among lines full
  // of the bytes that the search looks for first ("B" of NBS, "F" of
  // FOUS16), headings that count (at a line start, after blanks, "** " or
  // control bytes) and one that does not (within a line). Each station is
  // found at its own offset with the heading passed over last.
  struct Want {
    long pos;
    std::string line, product;
  };
  std::vector<Want> want;
  std::string text, product;
  auto add = [&text](const std::string &line) { text += line + "\n"; };
  for (int b = 0; b < 400; b++) {
    if (b % 37 == 0) {
      std::string heading = (b % 2 ? "** " : "") + std::string("FOUS16 KWNO 0712") + std::to_string(10 + b % 50);
      add(heading);
      product = heading;
    }
    if (b % 53 == 0) add("NOT A HEADING FOUS16 KWNO 071200");
    if (b % 5 == 0) add(std::string(1 + b % 120, "BFN"[b % 3]));
    for (int r = 0; r < (b * 7) % 23; r++) add(" TMP  83 81 80 80 79 78 78 82 82 79 78 78 77 77 77 82 82 79 78 78 77");
    std::string station = " K" + std::to_string(1000 + b) + "    NBM V5.0 NBS GUIDANCE    9/19/2026  1200 UTC";
    want.push_back({static_cast<long>(text.size()), station, product});
    add(station);
    add(std::string(b % 90, ' '));
  }
  ASSERT_GT(text.size(), 3u * 65536);
  TempDir dir;
  int ind = open_text(dir, text);
  for (const Want &w : want) {
    SCOPED_TRACE(w.line);
    ASSERT_EQ(PAR_find(ind, "NBS GUIDANCE", "FOUS16"), 1);
    EXPECT_EQ(PAR_get_pos(ind), w.pos);
    EXPECT_EQ(PAR_get_product(ind), w.product);
    expect_line(read(ind, 0), w.line);
  }
  EXPECT_EQ(PAR_find(ind, "NBS GUIDANCE", "FOUS16"), -1);
  PAR_close(ind);
}

TEST(ParOpen, HandlesAndFailures) {
  char line[129] = "x";
  EXPECT_EQ(PAR_close(-1), 0);
  EXPECT_EQ(PAR_rewind(-1), 0);
  EXPECT_EQ(PAR_seek(-1, 0), 0);
  EXPECT_EQ(PAR_get_pos(-1), -1);
  EXPECT_EQ(PAR_get_status(-1), 0);
  EXPECT_EQ(PAR_search(-1, kNgm), -1);
  EXPECT_EQ(PAR_read(-1, 0, 0, line), -1);
  EXPECT_EQ(PAR_search(0, kNgm), -1);  // slot 0, never opened
  EXPECT_EQ(PAR_read(7, 0, 0, line), -1);

  TempDir dir;
  char buf[QEL_NAME_LEN];
  std::string missing = dir.file("none.txt");
  FILE_set_file(missing.c_str(), buf);
  PAR_set_in_file("");
  Date date;
  DATE_init(&date);
  qeltest::Output o = qeltest::capture([&] { EXPECT_EQ(PAR_open(&date), -1); });
  EXPECT_EQ(o.out, "Parsing: " + missing + "\n");

  // Opening twice reuses the slot and starts the new file afresh.
  int ind = open_text(dir, "FOUS14 A\nONE\n");
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  read(ind, 0);
  TempDir dir2;
  EXPECT_EQ(open_text(dir2, "FOUS14 B\nTWO\n"), 0);
  EXPECT_EQ(PAR_get_status(0), 0);
  expect_line(read(0, 1), "FOUS14 B");  // nothing pending from the first file
  EXPECT_EQ(PAR_seek(0, -5), 0);
}

TEST(ParOpen, FlagOneClosesAtTheProductEnd) {
  TempDir dir;
  int ind = open_text(dir, kProduct);
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  char line[129];
  EXPECT_EQ(PAR_read(ind, 1, 0, line), 1);
  EXPECT_EQ(PAR_read(ind, 1, 1, line), 1);
  EXPECT_EQ(PAR_read(ind, 1, 2, line), 1);
  EXPECT_EQ(PAR_read(ind, 1, 3, line), 0);
  EXPECT_EQ(PAR_get_pos(ind), -1);
  EXPECT_EQ(PAR_read(ind, 1, 0, line), -1);
}

TEST(ParOpen, StandardInputFileAndPipe) {
  const std::string text = std::string(kProduct);
  auto body = [] {
    char buf[QEL_NAME_LEN];
    FILE_set_file("-", buf);
    PAR_set_in_file("mos_dat");  // cleared for standard input
    PAR_set_end(256);
    Date date;
    DATE_init(&date);
    int ind = PAR_open(&date);
    std::vector<Block> blocks = walk(ind, kNgm, "NGM MOS");
    std::vector<Block> again = walk(ind, kNgm, "NGM MOS");  // rewinds
    Block last = reread(ind, blocks.back().pos);
    printf("%d %zu %zu %s %d\n", ind, blocks.size(), again.size(), last.heading.c_str(), last.rows);
    PAR_close(ind);
  };
  qeltest::Output o = qeltest::run_child(body, text);
  EXPECT_EQ(o.out, "Parsing: -\n0 2 2 BOS  NGM MOS GUIDANCE 1\n");

  // Through a pipe, which cannot seek.
  o = qeltest::run_child([&] {
    int fd[2];
    if (pipe(fd) != 0) _exit(2);
    pid_t pid = fork();
    if (pid == 0) {
      close(fd[0]);
      ssize_t w = write(fd[1], text.data(), text.size());
      _exit(w == static_cast<ssize_t>(text.size()) ? 0 : 1);
    }
    close(fd[1]);
    dup2(fd[0], 0);
    close(fd[0]);
    body();
    waitpid(pid, nullptr, 0);
  });
  EXPECT_EQ(o.out, "Parsing: -\n0 2 2 BOS  NGM MOS GUIDANCE 1\n");
}

TEST(ParOpen, PipeWithoutRoomForItsCopyFailsTheOpen) {
  // No descriptor is left for the temporary copy of a piped standard input:
  // reading the pipe as it is would lose every position sought back.
  qeltest::Output o = qeltest::run_child([] {
    int fd[2];
    if (pipe(fd) != 0) _exit(2);
    ssize_t w = write(fd[1], kProduct, strlen(kProduct));
    close(fd[1]);
    dup2(fd[0], 0);
    close(fd[0]);
    rlimit lim{3, 3};
    if (w <= 0 || setrlimit(RLIMIT_NOFILE, &lim) != 0) _exit(3);
    char buf[QEL_NAME_LEN];
    FILE_set_file("-", buf);
    Date date;
    DATE_init(&date);
    printf("%d\n", PAR_open(&date));
  });
  EXPECT_EQ(o.out, "Parsing: -\n-1\n");
}

TEST(ParOpen, CommandOutputIsCopiedSoThatPositionsWork) {
  TempDir dir;
  std::string path = dir.write("b.txt", kProduct);
  char buf[QEL_NAME_LEN];
  FILE_set_file(("|cat " + path).c_str(), buf);
  PAR_set_in_file("");
  PAR_set_end(256);
  Date date;
  DATE_init(&date);
  int ind = PAR_open(&date);
  ASSERT_EQ(ind, 0);
  std::vector<Block> blocks = walk(ind, kNgm, "NGM MOS");
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(walk(ind, kNgm, "NGM MOS").size(), 2u);
  EXPECT_EQ(reread(ind, blocks[0].pos).heading, "DCA  NGM MOS GUIDANCE");
  EXPECT_EQ(PAR_close(ind), 1);
}

TEST(ParRead, SeekAfterHeldEtxReturnsTheHeading) {
  // An ETX line right after a station block is held when the block ends;
  // going back to the block must still give its heading and rows.
  TempDir dir;
  int ind = open_text(dir,
                      "\x01\n"
                      "FOUS26 KWNO 010000\n"
                      "\n"
                      "KEED   GFS MOS GUIDANCE\n"
                      "TMP  48 46\n"
                      "DPT  17 17\n"
                      "\x03\n"
                      "\x01\n"
                      "FOUS26 KWNO 010000\n"
                      "\n"
                      "KELN   GFS MOS GUIDANCE\n"
                      "\x03\n");
  std::vector<Block> blocks = walk(ind, kGfs, "GFS MOS", 1);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(blocks[0].rows, 2);
  Block b = reread(ind, blocks[0].pos);
  EXPECT_EQ(b.heading, "KEED   GFS MOS GUIDANCE");
  EXPECT_EQ(b.rows, 2);
}

// The real bulletins, as delivered and with their line ends and separators
// changed: every station block is found, and every delivered line comes
// back when its position is sought again.
TEST(ParRead, RealBulletinsWalkAndPositionContract) {
  struct Case {
    const char *file, *pattern, *marker;
    std::vector<std::string> ids;
  };
  const std::vector<Case> cases = {
      {"gfs_mav_fous26_00z.txt", kGfs, "GFS MOS", {"KEED", "KELN"}},
      {"nam_met_fous46_12z.txt", "(FOUS4[456789])", "NAM MOS", {"KFOZ", "KFPK", "KFRM"}},
      {"gfsx_mex_feus23_12z.txt", "(FEPA20|FEUS2[123456])", "GFSX MOS", {"KY63", "KY70", "KYIP"}},
      {"mrf_mos_kdca_2002_00z.txt", "(FEPA20|FEUS2[123456])", "MRF MOS", {"KDCA"}},
      {"ngm_mos_fous14_1991_sample.txt", kNgm, "NGM MOS", {"DCA"}},
  };
  struct Variant {
    const char *name;
    std::string (*make)(const std::string &);
  };
  const std::vector<Variant> variants = {
      {"as is", [](const std::string &s) { return s; }},
      {"cr only",
       [](const std::string &s) {
         std::string out;
         for (char c : s)
           if (c != '\r') out += c == '\n' ? '\r' : c;
         return out;
       }},
      {"crlf", [](const std::string &s) { return with_eol(s, "\r\n"); }},
      {"web copy",
       [](const std::string &s) {
         // One blank before and after every line (before its line end, CRs
         // included), so separators are blanks only.
         std::string out = " ";
         for (size_t i = 0; i < s.size(); i++) {
           bool end_starts = (s[i] == '\r' || s[i] == '\n') && (i == 0 || (s[i - 1] != '\r' && s[i - 1] != '\n'));
           if (end_starts) out += ' ';
           out += s[i];
           if (s[i] == '\n') out += ' ';
         }
         return out;
       }},
      {"no final newline",
       [](const std::string &s) {
         std::string out = s;
         while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
         return out;
       }},
  };
  for (const Case &c : cases) {
    std::vector<int> rows;  // of each block as delivered; the same in every variant but the last
    for (const Variant &v : variants) {
      SCOPED_TRACE(std::string(c.file) + ", " + v.name);
      TempDir dir;
      int ind = open_text(dir, v.make(qeltest::read_file(qeltest::data_file(c.file))));
      ASSERT_EQ(ind, 0);
      std::vector<Block> blocks = walk(ind, c.pattern, c.marker);
      ASSERT_EQ(blocks.size(), c.ids.size());
      for (size_t i = 0; i < blocks.size(); i++) {
        std::string id = blocks[i].heading.substr(blocks[i].heading.find_first_not_of(' '), c.ids[i].size());
        EXPECT_EQ(id, c.ids[i]);
        EXPECT_GT(blocks[i].rows, 5);
        if (rows.size() < blocks.size()) rows.push_back(blocks[i].rows);
        bool cut_file = std::string(v.name) == "no final newline" && i + 1 == blocks.size();
        if (!cut_file) {
          EXPECT_EQ(blocks[i].rows, rows[i]);
        }
        Block again = reread(ind, blocks[i].pos);
        EXPECT_EQ(again.heading, blocks[i].heading);
        EXPECT_EQ(again.rows, blocks[i].rows);
      }

      // Every line delivered on a walk to the end comes back at its position.
      std::vector<std::pair<long, std::string>> seen;
      PAR_rewind(ind);
      char line[129];
      bool more = true;
      while (more && PAR_search(ind, c.pattern) == 1) {
        for (int n = 0;; n++) {
          int r = PAR_read(ind, 0, n, line);
          if (r == 1) seen.emplace_back(PAR_get_pos(ind), line);
          if (r == -1) more = false;
          if (r == -1 || (PAR_get_status(ind) & 4)) break;
        }
      }
      ASSERT_GT(seen.size(), 10u);
      for (const auto &[pos, text] : seen) {
        ASSERT_EQ(PAR_seek(ind, pos), 1);
        char again[129] = "";
        EXPECT_EQ(PAR_read(ind, 0, 2, again), 1) << pos;
        EXPECT_EQ(again, text) << pos;
      }
      PAR_close(ind);
    }
  }
}

TEST(ParRead, TracesAtDebugC) {
  TempDir dir;
  int ind = open_text(dir, "FOUS14 KWNO\n\nX\n");
  MESS_set(1, M_DEBUGC);
  qeltest::Output o = qeltest::capture([&] {
    PAR_search(ind, "FOUS14");
    char line[129];
    PAR_read(ind, 0, 1, line);
  });
  EXPECT_NE(o.out.find("SE--:  0:     0:----                :          :          :\n"), std::string::npos);
  EXPECT_NE(o.out.find("SE-2:  0:     0:FOUS14 KWNO         :          :          :\n"), std::string::npos);
  EXPECT_NE(o.out.find("SE-$:  1:     0:----                :FOUS14 KWN:          :\n"), std::string::npos);
  EXPECT_NE(o.out.find("RD--:  1:     0:----                :FOUS14 KWN:          :1:\n"), std::string::npos);
  EXPECT_NE(o.out.find("RD-1:100:    11:                    :          :          :\n"), std::string::npos);
  EXPECT_NE(o.out.find("RD-$:100:    11:----                :          :          :\n"), std::string::npos);
}

namespace {

// Bulletin and header index files named by a convention for a date.
class IndexFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("name_conv", "mos_dat %D/%y%m%d%h_mos %D/%y%m%d%h_hdr 0\n");
    RES_put("file_path", dir.path().c_str());
    RES_put("data_path", dir.path().c_str());
    DATE_init(&date);
    date.year = 2026, date.month = 3, date.day = 7, date.hour = 12, date.min = 0;
  }

  // Writes the day's bulletin (and index, unless null), selects it as the
  // tool does, and opens it.
  int open(const std::string &bulletin, const char *index) {
    dir.write("26030712_mos", bulletin);
    if (index) dir.write("26030712_hdr", index);
    char type[] = "mos_dat";
    FILE_set_name(type);
    char buf[QEL_NAME_LEN];
    FILE_set_file("26030712", buf);
    PAR_set_in_file("mos_dat");
    PAR_set_end(256);
    return PAR_open(&date);
  }

  TempDir dir;
  Date date;
};

const std::string kThree =
    "\x01\nFOUS14 KWNO 121200\nDCA  NGM MOS\n\n\x03\n"
    "\x01\nFOUS44 KWNO 121200\nDCA  ETA MOS\n\n\x03\n"
    "\x01\nFOAK27 PAFC 121200\nANC  NGM MOS\n\n\x03\n";

long at_of(const std::string &text, const char *what) { return static_cast<long>(text.find(what)); }

}  // namespace

TEST_F(IndexFiles, SearchWalksTheIndexAndReadsAtItsOffsets) {
  long a = at_of(kThree, "FOUS14"), b = at_of(kThree, "FOUS44"), c = at_of(kThree, "FOAK27");
  // The index's header texts need not be the whole line: the line is read at the offset.
  std::string index = std::to_string(a) + " FOUS14 KWNO\n" + std::to_string(b) + " FOUS44 KWNO\n" + std::to_string(c) +
                      "   FOAK27 PAFC\r\n";
  int ind = open(kThree, index.c_str());
  ASSERT_EQ(ind, 0);
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  EXPECT_EQ(PAR_get_status(ind), 1);
  EXPECT_EQ(PAR_get_pos(ind), a);
  expect_line(read(ind, 0), "FOUS14 KWNO 121200");
  expect_line(read(ind, 1), "DCA  NGM MOS");
  expect_end(read(ind, 2), 0x100);
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  EXPECT_EQ(PAR_get_pos(ind), c);
  expect_line(read(ind, 0), "FOAK27 PAFC 121200");
  expect_line(read(ind, 1), "ANC  NGM MOS");
  long pos = PAR_get_pos(ind);
  // The end of the index: -1, the status stays, header and held line go.
  expect_end(read(ind, 2), 0x100);
  EXPECT_EQ(PAR_search(ind, kNgm), -1);
  EXPECT_EQ(PAR_get_status(ind), 0x100);
  PAR_seek(ind, pos);
  expect_line(read(ind, 0), "ANC  NGM MOS");
  // A rewind rewinds the index too.
  ASSERT_EQ(PAR_rewind(ind), 1);
  ASSERT_EQ(PAR_search(ind, "FOUS4"), 1);
  EXPECT_EQ(PAR_get_pos(ind), b);
  // The station walk of the readers through the index.
  std::vector<Block> blocks = walk(ind, kNgm, "NGM MOS");
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[1].heading, "ANC  NGM MOS");
  EXPECT_EQ(reread(ind, blocks[0].pos).heading, "DCA  NGM MOS");
}

TEST_F(IndexFiles, SecondTextsAfterASlash) {
  long a = at_of(kThree, "FOUS14"), b = at_of(kThree, "FOUS44");
  std::string index = std::to_string(a) + " FOUS14 KWNO/NGM MOS\n" + std::to_string(b) + " FOUS44 KWNO/ ETA MOS\n";
  int ind = open(kThree, index.c_str());
  ASSERT_EQ(PAR_search(ind, "FOUS/ETA"), 1);
  EXPECT_EQ(PAR_get_pos(ind), b);
  PAR_rewind(ind);
  ASSERT_EQ(PAR_search(ind, "FOUS/NGM"), 1);
  EXPECT_EQ(PAR_get_pos(ind), a);
  EXPECT_EQ(PAR_search(ind, "FOUS/NGM"), -1);
  PAR_rewind(ind);
  // The text after the slash is not part of the header.
  EXPECT_EQ(PAR_search(ind, "FOUS14 KWNO/"), 1);
  PAR_rewind(ind);
  EXPECT_EQ(PAR_search(ind, "FOUS14 KWNON"), -1);
}

TEST_F(IndexFiles, UnreadableAndStaleEntriesArePassedOver) {
  long c = at_of(kThree, "FOAK27");
  std::string index =
      "garbage line\n\n   \n"
      "12\n"                  // an offset without a header text
      "-5 FOAK27 PAFC\n"      // no such offset
      "999999 FOAK27 PAFC\n"  // past the end of the bulletin file
      "99999999999999999999999 FOAK27\n" +
      std::string(600, '7') + " FOAK27\n" +  // a line longer than an entry
      std::to_string(c) + " FOAK27 PAFC\n";
  int ind = open(kThree, index.c_str());
  ASSERT_EQ(PAR_search(ind, kNgm), 1);
  EXPECT_EQ(PAR_get_pos(ind), c);
  expect_line(read(ind, 0), "FOAK27 PAFC 121200");
}

TEST_F(IndexFiles, NamesComeFromTheDateAndTheIndexIsOptional) {
  // No index: the search reads the bulletin file line by line.
  int ind = open(kThree, nullptr);
  ASSERT_EQ(ind, 0);
  ASSERT_EQ(PAR_search(ind, "FOUS4"), 1);
  EXPECT_EQ(PAR_get_pos(ind), at_of(kThree, "FOUS44") - 1);
  PAR_close(ind);

  // A file chosen by time is the one the convention names for the date.
  dir.write("26030800_mos", "FOUS14 OTHER DAY\n");
  date.day = 8, date.hour = 0;
  char buf[QEL_NAME_LEN];
  FILE_set_current("#2603080000", buf);
  qeltest::Output o = qeltest::capture([&] { ind = PAR_open(&date); });
  EXPECT_EQ(o.out, "Parsing: " + dir.path() + "/26030800_mos\n");
  ASSERT_EQ(PAR_search(ind, "FOUS"), 1);
  expect_line(read(ind, 0), "FOUS14 OTHER DAY");
  date.day = 9;
  EXPECT_EQ(PAR_open(&date), -1);

  // A file the user named stays the file read when the date names
  // another run ("mybulletins.txt#2603080000"); then no index is used.
  date.day = 8;
  qeltest::capture([&] { ind = open(kThree, "0 FOUS14 OTHER\n"); });
  ASSERT_EQ(PAR_search(ind, "FOUS44"), 1);
  expect_line(read(ind, 0), "FOUS44 KWNO 121200");
}
