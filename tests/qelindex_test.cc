// qelindex, the built binary: the header index of the real bulletins, the
// lookups of every family through an index against the same lookups
// without one, stale and unfinished indexes, -a on a growing file, and
// its errors. And the product search's shortcut past candidates that
// cannot match, against the search that gives every one to the matcher.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "qel.h"
#include "qelresrc.h"
#include "test_util.h"

using qeltest::data_file;
using qeltest::Output;
using qeltest::read_file;
using qeltest::run_program;
using qeltest::run_qelmos;
using qeltest::TempDir;

namespace {

Output qelindex(const std::vector<std::string> &args, const std::string &cwd = "") {
  return run_program(QELINDEX_BIN, args, "", {}, cwd);
}

ino_t inode_of(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

// A data directory with two conventions for the same bulletin files:
// "plain" without a header index, "indexed" with the index "RUN_hdr".
class Indexed : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("name_conv",
              "plain   %D/%y%m%d%h_mos  -            0\n"
              "indexed %D/%y%m%d%h_mos  %D/%y%m%d%h_hdr 0\n");
  }

  // Places a tests/data bulletin under the name of `run`, and its index.
  void place(const std::string &bulletin, const std::string &run) {
    std::filesystem::copy_file(data_file(bulletin), dir.file(run + "_mos"),
                               std::filesystem::copy_options::overwrite_existing);
    Output o = qelindex({"-o", run + "_hdr", run + "_mos"}, dir.path());
    ASSERT_EQ(o.status, 0) << o.err;
  }

  Output qelmos(const char *type, std::vector<std::string> args) {
    args.insert(args.begin(), {"-fp", dir.path(), "-dp", dir.path(), "-if", type});
    return run_qelmos(args, "", {}, dir.path());
  }

  TempDir dir;
};

}  // namespace

TEST(Qelindex, IndexOfEveryRealBulletin) {
  struct Case {
    const char *bulletin, *index;
  } cases[] = {
      {"gfs_mav_fous26_00z.txt", "5 FOUS26 KWNO 010000/MAVWC0\n"},  // after a sequence line
      {"nam_met_fous46_12z.txt", "5 FOUS46 KWNO 121200/METNC1\n"},
      {"gfsx_mex_feus23_12z.txt", "11 FEUS23 KWNO 101200/MEXNC1\n"},  // SOH, sequence, CR CR LF
      {"mrf_mos_kdca_2002_00z.txt", "0 FEUS21 KWNO 190000/MEXNE1\n"},
      {"ngm_mos_fous14_1991_sample.txt", "0 FOUS14 KWBC 060357/DCA  ESC  NGM MOS GUIDANCE   3/06/91  0000 UTC\n"},
      {"nam_fous61_upper_air_00z.txt", "6 FOUS61 KWNO 050000/OUTPUT FROM NAM 00Z OCT 05 26\n"},
      {"nam_fous61_upper_air_06z.txt", "6 FOUS61 KWNO 050600/OUTPUT FROM NAM 06Z OCT 05 26\n"},
      {"gfs_mav_phnl_18z_block.txt", ""},  // a block without a product heading
      // Derived from the real ones: two products; a web copy, whose lines
      // have a blank in front (the offset is the line's); double spacing,
      // where an empty line follows the heading.
      {"gfs_mav_two_products.txt", "7 FOUS26 KWNO 010000/MAVWC0\n1502 FOUS21 KWNO 010000/MAVNE1\n"},
      {"gfs_mav_web_copy.txt", "7 FOUS26 KWNO 010000/MAVWC0\n"},
      {"nam_met_fous46_12z_double_spaced.txt", "8 FOUS46 KWNO 121200\n"},
  };
  for (const Case &c : cases) {
    Output o = qelindex({data_file(c.bulletin)});
    EXPECT_EQ(o.status, 0) << c.bulletin << o.err;
    EXPECT_EQ(o.out, c.index) << c.bulletin;
    EXPECT_EQ(o.err, "");
    // Each offset is where the heading line begins, as the reader reads it.
    std::string text = read_file(data_file(c.bulletin));
    for (size_t at = 0; at < o.out.size(); at = o.out.find('\n', at) + 1) {
      size_t off = std::stoul(o.out.substr(at));
      std::string head = o.out.substr(o.out.find(' ', at) + 1);
      head = head.substr(0, head.find_first_of("/\n"));
      ASSERT_LT(off, text.size()) << c.bulletin;
      EXPECT_TRUE(off == 0 || text[off - 1] == '\n') << c.bulletin << " " << off;
      EXPECT_EQ(text.substr(text.find_first_not_of(' ', off), head.size()), head) << c.bulletin;
    }
  }
}

TEST(Qelindex, LineEndsOfEveryKind) {
  // The real GFS bulletin with CR CR LF, CR alone, and CR CR alone (an
  // empty line after each line, so the heading has no next line).
  std::string lf = read_file(data_file("gfs_mav_fous26_00z.txt"));
  auto with = [&](const std::string &end) {
    std::string text;
    for (char c : lf) text += c == '\n' ? end : std::string(1, c);
    return text;
  };
  TempDir dir;
  struct Case {
    std::string end, index;
  } cases[] = {{"\r\r\n", "7 FOUS26 KWNO 010000/MAVWC0\n"},
               {"\r", "5 FOUS26 KWNO 010000/MAVWC0\n"},
               {"\r\r", "6 FOUS26 KWNO 010000\n"}};
  for (const Case &c : cases) {
    Output o = qelindex({dir.write("bulletin", with(c.end))});
    EXPECT_EQ(o.out, c.index);
  }
}

TEST_F(Indexed, LookupsThroughTheIndexPrintTheSameTables) {
  struct Case {
    const char *bulletin, *run, *model, *id, *table;
    std::vector<std::string> more;
  } cases[] = {
      {"gfs_mav_fous26_00z.txt", "14010100", "gfs", "KEED", "gfs_keed.txt", {}},
      {"nam_met_fous46_12z.txt", "17081212", "nam", "kfpk", "nam_kfpk.txt", {}},
      {"gfsx_mex_feus23_12z.txt", "20071012", "gfsx", "KYIP", "gfsx_kyip.txt", {}},
      {"mrf_mos_kdca_2002_00z.txt", "02091900", "mrf", "KDCA", "mrf_kdca.txt", {}},
      {"ngm_mos_fous14_1991_sample.txt", "91030600", "ngm", "dca", "ngm_dca.txt", {}},
      {"eta_mos_fous46_hand.txt", "17081212", "eta", "KFRM", "eta_kfrm.txt", {}},
      {"avn_mos_fous26_hand.txt", "14010100", "avn", "KELN", "avn_keln.txt", {}},
      {"gfs_mav_two_products.txt", "14010100", "gfs", "KELN", nullptr, {}},
      {"gfs_mav_web_copy.txt", "14010100", "gfs", "KEED", "gfs_keed.txt", {}},
      {"gfs_mav_phnl_18z_block.txt", "20051018", "gfs", "PHNL", nullptr, {"-pa", "full"}},
      {"gfs_mav_with_kind.txt", "14010100", "gfs", "KEED", nullptr, {"-ou", "zim_fore"}},
      {"nam_met_fous46_12z_double_spaced.txt", "17081212", "nam", "KFPK", "nam_kfpk.txt", {}},
      {"nam_fous61_upper_air_06z.txt", "26100506", "nam_ua", "KBOS", "nam_ua_bos_06z.txt", {}},
      {"nam_fous61_upper_air_00z.txt", "26100500", "nam_ua", "BTV", "nam_ua_btv_00z.txt", {}},
      {"ngm_fous_upper_air_handmade.txt", "26011500", "ngm_ua", "FSD", "ngm_ua_fsd.txt", {}},
      {"eta_fous_upper_air_handmade.txt", "98051212", "eta_ua", "OKC", "eta_ua_okc.txt", {"-me", "print,+out3"}},
      {"mrf_extended_fous20_handmade.txt", "25112012", "mrfx", "KBOS", "mrfx_kbos.txt", {}},
  };
  for (const Case &c : cases) {
    place(c.bulletin, c.run);
    std::vector<std::string> args = {"-mo", c.model, "-id", c.id, c.run};
    args.insert(args.end(), c.more.begin(), c.more.end());
    Output plain = qelmos("plain", args);
    Output indexed = qelmos("indexed", args);
    EXPECT_EQ(indexed.status, 0) << c.bulletin << indexed.err;
    EXPECT_EQ(indexed.out, plain.out) << c.bulletin;
    EXPECT_EQ(indexed.err, plain.err) << c.bulletin;
    if (c.table) {
      EXPECT_EQ(indexed.out, read_file(data_file(std::string("expected/") + c.table))) << c.bulletin;
    }
  }

  // The lookup does go through the index: a product it leaves out is not found.
  place("gfs_mav_two_products.txt", "14010100");
  dir.write("14010100_hdr", "1502 FOUS21 KWNO 010000/MAVNE1\n");
  EXPECT_EQ(qelmos("indexed", {"-mo", "gfs", "-id", "KEED", "14010100"}).status, 30);
  EXPECT_EQ(qelmos("indexed", {"-mo", "gfs", "-id", "KELN", "14010100"}).status, 0);
}

TEST_F(Indexed, GzipFileIsIndexedByItsText) {
  // A gzip bulletin of two members: the index holds offsets in its text, so
  // that the lookup through it finds the station of the second product; -a
  // after a member more decompresses the file up to its last entry and
  // appends the new product.
  const std::string two = read_file(data_file("gfs_mav_two_products.txt"));
  const std::string feed = read_file(data_file("gfsx_mex_feus23_12z.txt"));
  dir.write("14010100_mos", qeltest::gzip(two.substr(0, 1600)) + qeltest::gzip(two.substr(1600)));
  Output o = qelindex({"-o", "14010100_hdr", "14010100_mos"}, dir.path());
  EXPECT_EQ(o.status, 0) << o.err;
  const std::string index = "7 FOUS26 KWNO 010000/MAVWC0\n1502 FOUS21 KWNO 010000/MAVNE1\n";
  EXPECT_EQ(read_file(dir.file("14010100_hdr")), index);
  const std::vector<std::string> keln = {"-mo", "gfs", "-id", "KELN", "14010100"};
  Output indexed = qelmos("indexed", keln);
  EXPECT_EQ(indexed.status, 0) << indexed.err;
  EXPECT_EQ(indexed.out, qelmos("plain", keln).out);

  std::ofstream(dir.file("14010100_mos"), std::ios::app | std::ios::binary) << qeltest::gzip(feed);
  o = qelindex({"-a", "-o", "14010100_hdr", "14010100_mos"}, dir.path());
  EXPECT_EQ(o.out + o.err, "");
  EXPECT_EQ(read_file(dir.file("14010100_hdr")),
            index + std::to_string(two.size() + 11) + " FEUS23 KWNO 101200/MEXNC1\n");
  const std::vector<std::string> kyip = {"-mo", "gfsx", "-id", "KYIP", "14010100"};
  indexed = qelmos("indexed", kyip);
  EXPECT_NE(indexed.out, "");
  EXPECT_EQ(indexed.out, qelmos("plain", kyip).out);
}

TEST_F(Indexed, StaleIndexes) {
  place("gfs_mav_two_products.txt", "14010100");
  const std::string full = read_file(dir.file("14010100_hdr"));
  const std::vector<std::string> keln = {"-mo", "gfs", "-id", "KELN", "14010100"};
  const std::string table = qelmos("plain", keln).out;

  // The reader: an entry past the end of the file names no product and is
  // passed over; a last line cut in its heading still names its product;
  // one cut after its offset has no heading and is passed over.
  struct Stale {
    std::string index;
    bool found;
  } stale[] = {
      {"99999 FOUS21 KWNO 010000/MAVNE1\n" + full, true},
      {full.substr(0, full.size() - 12), true},
      {"7 FOUS26 KWNO 010000/MAVWC0\n15", false},
  };
  for (const Stale &c : stale) {
    dir.write("14010100_hdr", c.index);
    Output o = qelmos("indexed", keln);
    EXPECT_EQ(o.out, c.found ? table : "") << c.index;
    EXPECT_EQ(o.status, c.found ? 0 : 30) << c.index;
  }

  // -a: an index whose last entry does not fit the file (its offset past
  // the end, at another line or another heading, or unreadable) is written
  // anew; an unfinished last line is replaced.
  for (const std::string &index :
       std::vector<std::string>{"5 FOUS26 KWNO 010000\n9999 FOUS21 KWNO 010000/MAVNE1\n",
                                "7 FOUS26 KWNO 010000/MAVWC0\n1503 FOUS21 KWNO 010000/MAVNE1\n",
                                "7 FOUS26 KWNO 010000/MAVWC0\n1502 FOUS22 KWNO 010000/MAVNE1\n", "garbage\n",
                                std::string(5000, 'x') + "\n", "", full + "1502 FOUS21 KW", full.substr(0, 34)}) {
    dir.write("14010100_hdr", index);
    Output o = qelindex({"-a", "-o", "14010100_hdr", "14010100_mos"}, dir.path());
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(read_file(dir.file("14010100_hdr")), full) << index;
  }
  // A missing index is made.
  std::filesystem::remove(dir.file("14010100_hdr"));
  EXPECT_EQ(qelindex({"-a", "-o", "14010100_hdr", "14010100_mos"}, dir.path()).status, 0);
  EXPECT_EQ(read_file(dir.file("14010100_hdr")), full);
}

TEST(Qelindex, AppendAddsOnlyTheNewProducts) {
  TempDir dir;
  const std::string two = read_file(data_file("gfs_mav_two_products.txt"));
  const std::string feed = read_file(data_file("gfsx_mex_feus23_12z.txt"));
  const std::vector<std::string> append = {"-a", "-o", "idx", "bulletin"};
  auto index_after = [&](const std::string &bulletin) {
    dir.write("bulletin", bulletin);
    Output o = qelindex(append, dir.path());
    EXPECT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.out + o.err, "");
    return read_file(dir.file("idx"));
  };

  // The second heading is being written: not a heading until its line ends.
  EXPECT_EQ(index_after(two.substr(0, 1502 + 10)), "7 FOUS26 KWNO 010000/MAVWC0\n");
  ino_t ino = inode_of(dir.file("idx"));
  // Its line has ended, the product's next line not yet: an entry without it...
  EXPECT_EQ(index_after(two.substr(0, 1502 + 19)), "7 FOUS26 KWNO 010000/MAVWC0\n1502 FOUS21 KWNO 010000\n");
  // ...written again, whole, when that line has come.
  EXPECT_EQ(index_after(two), "7 FOUS26 KWNO 010000/MAVWC0\n1502 FOUS21 KWNO 010000/MAVNE1\n");
  // Nothing new: nothing changes. A product more: its entry only is added.
  EXPECT_EQ(index_after(two), "7 FOUS26 KWNO 010000/MAVWC0\n1502 FOUS21 KWNO 010000/MAVNE1\n");
  std::string grown = two + feed + "\n" + feed;
  EXPECT_EQ(index_after(grown), "7 FOUS26 KWNO 010000/MAVWC0\n1502 FOUS21 KWNO 010000/MAVNE1\n" +
                                    std::to_string(two.size() + 11) + " FEUS23 KWNO 101200/MEXNC1\n" +
                                    std::to_string(two.size() + feed.size() + 1 + 11) + " FEUS23 KWNO 101200/MEXNC1\n");
  // All in place, and the same as the index of the whole file.
  EXPECT_EQ(inode_of(dir.file("idx")), ino);
  EXPECT_EQ(qelindex({"bulletin"}, dir.path()).out, read_file(dir.file("idx")));
}

TEST(Qelindex, ErrorsAndUsage) {
  TempDir dir;
  dir.write("bulletin", read_file(data_file("gfs_mav_fous26_00z.txt")));
  const std::string usage = "usage: qelindex [-a] [-o OUT] FILE\n";
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {{"missing"}, 1, "qelindex: cannot read missing: No such file or directory\n"},
      {{"."}, 1, "qelindex: cannot read .: Is a directory\n"},
      {{"-o", "no/such/dir/idx", "bulletin"}, 1, "qelindex: cannot write no/such/dir/idx: No such file or directory\n"},
      {{"-o", "sub", "bulletin"}, 1, "qelindex: cannot write sub: Is a directory\n"},
      {{}, 2, usage},
      {{"-a", "bulletin"}, 2, "qelindex: -a needs the index to extend (-o OUT)\n" + usage},
      {{"-x", "bulletin"}, 2, "qelindex: unknown option -x\n" + usage},
      {{"-o"}, 2, "qelindex: -o needs a file name\n" + usage},
      {{"bulletin", "other"}, 2, "qelindex: one FILE only\n" + usage},
  };
  std::filesystem::create_directory(dir.file("sub"));
  for (const Case &c : cases) {
    Output o = qelindex(c.args, dir.path());
    EXPECT_EQ(o.status, c.status) << o.err;
    EXPECT_EQ(o.err, c.err);
    EXPECT_EQ(o.out, "");
  }
  // No temporary file is left behind; -h is no error; options may follow FILE.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), std::filesystem::directory_iterator()), 2);
  EXPECT_EQ(qelindex({"-h"}).out, usage);
  EXPECT_EQ(qelindex({"bulletin", "-ao", "idx"}, dir.path()).status, 0);
  EXPECT_EQ(read_file(dir.file("idx")), "5 FOUS26 KWNO 010000/MAVWC0\n");
}

TEST(SearchShortcut, FindsWhatTheMatcherFindsWithAndWithoutIndex) {
  // Candidates whose first character decides only after the "**" marker,
  // once carriage returns are gone (a lone one ends a line), or before a "/"
  // of an index entry.
  const std::string bulletin = "x\n**|\n \r F\nFOUS14 KWNO\n   \n**\rFOAK27\nQ\n** FOAK25\nZ\n";
  const std::string index = "2 **X/UE6\n5 \r\rFOUS14\n7 G/FOUS14\n24  FOAK29\n44 **\n";
  TempDir dir;
  dir.write("name_conv", "indexed %D/%y%m%d%h_mos %D/%y%m%d%h_hdr 0\n");
  dir.write("14010100_mos", bulletin);
  RES_put("file_path", dir.path().c_str());
  RES_put("data_path", dir.path().c_str());
  const char *patterns[] = {"(FOUS14|FOAK2[56789])", "FO[UC][ENMW][678]", "[^Q]", "(|Z)", "*K", "_X", "(**|Q)"};
  auto hits = [&](bool indexed, M_type level) {
    std::string found;
    if (indexed)
      dir.write("14010100_hdr", index);
    else
      std::filesystem::remove(dir.file("14010100_hdr"));
    qeltest::capture([&] {
      MESS_set(0, level);
      for (const char *p : patterns) {
        char type[] = "indexed";
        FILE_set_name(type);
        char buf[QEL_NAME_LEN];
        FILE_set_file("14010100", buf);
        PAR_set_in_file("indexed");
        PAR_set_end(256);
        Date d;
        DATE_init(&d);
        d.year = 2014, d.month = 1, d.day = 1, d.hour = 0, d.min = 0;
        int ind = PAR_open(&d);
        char pat[32], line[129];
        str_copy(pat, p, sizeof pat);
        while (PAR_search(ind, pat) == 1 && PAR_read(ind, 0, 0, line) == 1) {
          found += std::to_string(PAR_get_pos(ind)) + ":" + line + "|";
          PAR_read(ind, 0, 1, line);
        }
        found += "\n";
        PAR_close(ind);
      }
    });
    return found;
  };
  for (bool indexed : {false, true}) {
    std::string traced = hits(indexed, M_DEBUGC);  // every candidate goes to the matcher
    EXPECT_EQ(hits(indexed, M_ERROR), traced) << indexed;
    EXPECT_EQ(traced.substr(1, 5), ":**||") << traced;  // the line "**|", or the entry "**X/UE6"
  }
}
