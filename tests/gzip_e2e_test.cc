// End-to-end tests of gzip-compressed bulletin files, through the built
// qelmos: read as their text by name, on standard input (a pipe and a
// redirected file, read once for both retrievals of the compact line) and
// through a command; joined members; damaged data read up to the damage
// with one warning.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "test_util.h"

using qeltest::data_file;
using qeltest::gzip;
using qeltest::Output;
using qeltest::read_file;
using qeltest::run_program;
using qeltest::run_qelmos;
using qeltest::TempDir;

namespace {

const std::vector<std::string> kGfs = {"-nc", "/dev/null", "-mo", "gfs"};

std::vector<std::string> args_of(std::vector<std::string> more) {
  more.insert(more.begin(), kGfs.begin(), kGfs.end());
  return more;
}

// The compact line of KEED (reference station KIND) in gfs_mav_with_kind.txt.
const char *kKeedLine = "40 25 37 0 3 15 7 1 68 48 68 2 1 2\n";

}  // namespace

TEST(GzipBulletins, ReadAsTheirTextByNameOnStandardInputAndThroughACommand) {
  TempDir dir;
  const std::string text = read_file(data_file("gfs_mav_fous26_00z.txt"));
  // Two members joined in the middle of a line, as cat joins gzip files,
  // under a name that says nothing of gzip.
  const std::string packed = gzip(text.substr(0, 1000)) + gzip(text.substr(1000));
  dir.write("mav", packed);
  dir.write("mav.txt", text);
  dir.write("lead1f", std::string("\x1f") + text);  // 1f without 8b: plain text
  dir.write("kind.gz", gzip(read_file(data_file("gfs_mav_with_kind.txt"))));
  const std::string table = read_file(data_file("expected/gfs_keed.txt"));
  struct Case {
    std::vector<std::string> args;
    std::string input, out;
  } cases[] = {
      {{"-id", "KEED", "mav"}, "", table},
      {{"-id", "KEED", "-"}, packed, table},
      {{"-id", "KEED", "@|cat mav"}, "", table},
      {{"-id", "KEED", "lead1f"}, "", table},
      // The compact line opens the file twice: standard input is read once.
      {{"-ou", "zim_fore", "-id", "KEED", "-"}, read_file(dir.file("kind.gz")), kKeedLine},
  };
  for (const Case &c : cases) {
    Output o = run_qelmos(args_of(c.args), c.input, {}, dir.path());
    EXPECT_EQ(o.out, c.out) << c.args.back();
    EXPECT_EQ(o.err, "") << c.args.back();
    EXPECT_EQ(o.status, 0) << c.args.back();
  }
  // Standard input redirected from the file, which can seek.
  Output o = run_program("/bin/sh",
                         {"-c", std::string(QELMOS_BIN) + " -nc /dev/null -mo gfs -ou zim_fore -id KEED - < kind.gz"},
                         "", {}, dir.path());
  EXPECT_EQ(o.out + o.err, kKeedLine);

  // Every station as JSON Lines: the lines of the plain file.
  Output plain = run_qelmos(args_of({"-ou", "json", "-id", "all", "mav.txt"}), "", {}, dir.path());
  Output packed_json = run_qelmos(args_of({"-ou", "json", "-id", "all", "mav"}), "", {}, dir.path());
  EXPECT_EQ(std::count(plain.out.begin(), plain.out.end(), '\n'), 2);
  EXPECT_EQ(packed_json.out, plain.out);
  EXPECT_EQ(packed_json.err, "");
}

TEST(GzipBulletins, DamagedDataIsReadUpToTheDamageWithOneWarning) {
  // gzip data ends in its CRC and length; the compact line (which opens the
  // file twice) needs the blocks of KIND and KEED, which all of these hold.
  TempDir dir;
  const std::string kind = read_file(data_file("gfs_mav_with_kind.txt"));
  const std::string whole = gzip(kind);
  std::string bad_crc = whole;
  bad_crc[bad_crc.size() - 8] ^= 1;
  struct Case {
    std::string name, data, reason;
  } cases[] = {
      {"cut", whole.substr(0, whole.size() - 4), "unexpected end of file"},
      {"crc", bad_crc, "incorrect data check"},
      {"garbage", whole + "garbage after it\n", "incorrect header check"},
      {"second", whole + whole.substr(0, whole.size() / 2), "unexpected end of file"},
  };
  for (const Case &c : cases) {
    dir.write(c.name, c.data);
    Output o = run_qelmos(args_of({"-ou", "zim_fore", "-id", "KEED", c.name}), "", {}, dir.path());
    EXPECT_EQ(o.out, kKeedLine) << c.name;
    EXPECT_EQ(o.err, "qelmos: " + c.name + ": damaged gzip data (" + c.reason + "): reading the text before it\n");
    EXPECT_EQ(o.status, 0) << c.name;
  }
  Output o = run_qelmos(args_of({"-ou", "zim_fore", "-id", "KEED", "-"}), cases[0].data, {}, dir.path());
  EXPECT_EQ(o.out + o.err,
            kKeedLine + std::string("qelmos: standard input: damaged gzip data (unexpected end of file): reading "
                                    "the text before it\n"));
}
