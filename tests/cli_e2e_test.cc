// End-to-end tests of the command line as a new user meets it: mistakes are
// named, batch runs never wait, files named like time words are files, the
// manual page lints, and `make install` puts a working tool in place.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "test_util.h"

using qeltest::data_file;
using qeltest::expected;
using qeltest::Output;
using qeltest::read_file;
using qeltest::run_program;
using qeltest::TempDir;

namespace {

const std::string kNameConv = data_file("name_conv");  // mos_dat %D/%y%m%d%h_mos

Output qelmos(std::vector<std::string> args, const std::string &input = "", const std::vector<std::string> &env = {},
              const std::string &cwd = "") {
  args.insert(args.begin(), {"-nc", kNameConv});
  return qeltest::run_qelmos(args, input, env, cwd);
}


// The full path of a program on PATH, or "" when there is none.
std::string on_path(const std::string &name) {
  const char *path = getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  for (size_t start = 0; start <= dirs.size();) {
    size_t colon = dirs.find(':', start);
    std::string dir = dirs.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    std::string full = (dir.empty() ? "." : dir) + "/" + name;
    if (access(full.c_str(), X_OK) == 0) return full;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return "";
}

const std::string kSource = QEL_SOURCE_DIR;
const std::string kBuild = std::filesystem::path(QELMOS_BIN).parent_path().string();

}  // namespace

TEST(Cli, UnknownWordsAreNamedAndChangeNothing) {
  const std::string ngm = data_file("ngm_mos_fous14_1991_sample.txt");
  Output o = qelmos({"-mo", "gfz", "-me", "bogus", "-ou", "tabel", "-pa", "bogus", "-zz", "3", "-zz", "4", "-nh", "2",
                     "-id", "dca", ngm});
  EXPECT_EQ(o.status, 0);
  // The file is read as NGM (the family it holds); "-me bogus" leaves the level (and so the default of
  // an unattended run: the table only) as it was.
  EXPECT_EQ(o.out, expected("ngm_dca.txt"));
  EXPECT_EQ(o.err,
            "unknown message word 'bogus' (known: none, print, error, warn, mess, out1, out2, out3, out4, debug)\n"
            "unknown option -zz\n"
            "unknown model 'gfz' (known: ngm, ngm_ua, eta, eta_ua, nam, nam_ua, avn, mrf, mrfx, gfs, gfsx, nbh, nbs, nbe, "
            "nbx, nbp, lav, lev, ecs)\n"
            "unknown parameter 'bogus' (known: full, prdash, size=WIDTHxHEIGHT)\n"
            "unknown output 'tabel' (known: table, zim_fore, json, csv, png, svg)\n");

  // They are warnings: "-me none" silences them, wherever it stands.
  o = qelmos({"-zz", "3", "-mo", "gfz", "-me", "none", "-id", "dca", ngm});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out + o.err, "");
}

TEST(Cli, UnreadableBulletinFileIsNamedWithTheReason) {
  TempDir dir;
  const std::string missing = dir.file("missing.txt");
  Output o = qelmos({"-id", "KEED", missing});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "qelmos: cannot read " + missing + ": No such file or directory\nNo data found!\n");

  // The compact line stops at the first retrieval, so the file is named once.
  o = qelmos({"-id", "KEED", "-mo", "gfs", "-ou", "zim_fore", dir.path()});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.err, "qelmos: cannot read " + dir.path() + ": Is a directory\nNo data found!\n");

  // An empty file is read: the station is simply not there.
  o = qelmos({"-id", "KEED", dir.write("empty.txt", "")});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.err, "No data found!\n");

  if (geteuid() != 0) {  // root reads any file
    std::string locked = dir.write("locked.txt", "FOUS26 KWNO 010000\n");
    chmod(locked.c_str(), 0);
    o = qelmos({"-id", "KEED", locked});
    EXPECT_EQ(o.status, 30);
    EXPECT_EQ(o.err, "qelmos: cannot read " + locked + ": Permission denied\nNo data found!\n");
  }
}

TEST(Cli, BatchModeNeverWaitsForAnAnswer) {
  TempDir dir;
  std::filesystem::copy_file(data_file("gfs_mav_fous26_00z.txt"), dir.file("14010100_mos"));
  const std::vector<std::string> env = {"qelcurtime=2014010105"};
  // A station on standard input is not read.
  Output o = qelmos({"-ba", "-mo", "gfs", dir.file("14010100_mos")}, "KEED\n", env, dir.path());
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "No station given (-id)\n");

  // No file and no time: the latest file, found six names back.
  o = qelmos({"-ba", "-mo", "gfs", "-id", "KEED"}, "", env, dir.path());
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, expected("gfs_keed.txt"));
  EXPECT_EQ(o.err, "");
}

TEST(Cli, FilesNamedLikeTimeWordsAreReadAsFiles) {
  TempDir dir;
  for (const char *name : {"cut.txt", "latest.txt", "labrador_mos.txt", "exitcodes.txt", "14010100_mos"})
    std::filesystem::copy_file(data_file("gfs_mav_fous26_00z.txt"), dir.file(name));
  const std::vector<std::string> env = {"qelcurtime=2014010105"};
  // Named on the command line, and typed at the prompt; "cu" and "la"
  // followed by a time still choose by time.
  for (const char *name : {"cut.txt", "latest.txt", "labrador_mos.txt", "cu5", "la", "la#6", "cu-1la"}) {
    Output o = qelmos({"-mo", "gfs", "-id", "KEED", name}, "", env, dir.path());
    EXPECT_EQ(o.status, 0) << name << o.err;
    EXPECT_EQ(o.out, expected("gfs_keed.txt")) << name;
  }
  Output o = qelmos({"-mo", "gfs", "-id", "KEED"}, "exitcodes.txt\n", env, dir.path());
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("\nEnter the MOS filename: " + expected("gfs_keed.txt")), std::string::npos) << o.out;
}

TEST(Cli, ManPagesRenderWithoutWarnings) {
  std::string groff = on_path("groff"), mandoc = on_path("mandoc");
  if (groff.empty() && mandoc.empty()) GTEST_SKIP() << "neither groff nor mandoc is installed";
  for (const char *name : {"/qelmos.1", "/qelindex.1"}) {
    const std::string page = kSource + name;
    ASSERT_TRUE(std::filesystem::exists(page));
    if (!groff.empty()) {
      Output o = run_program(groff, {"-man", "-ww", "-z", page});
      EXPECT_EQ(o.status, 0) << name;
      EXPECT_EQ(o.out + o.err, "") << name;
    }
    if (!mandoc.empty()) {
      Output o = run_program(mandoc, {"-T", "lint", "-W", "warning", page});
      EXPECT_EQ(o.status, 0) << name;
      EXPECT_EQ(o.out + o.err, "") << name;
    }
  }
}

TEST(Cli, MakeInstallPutsAWorkingToolInPlaceAndUninstallRemovesIt) {
  std::string make = on_path("make");
  if (make.empty()) GTEST_SKIP() << "make is not installed";
  TempDir dest;
  const std::vector<std::string> vars = {"-s", "-C", kSource, "BUILD=" + kBuild, "JOBS=1", "DESTDIR=" + dest.path()};
  std::vector<std::string> args = vars;
  args.push_back("install");
  Output o = run_program(make, args);
  ASSERT_EQ(o.status, 0) << o.out << o.err;

  const std::string bin = dest.file("usr/local/bin/qelmos"), page = dest.file("usr/local/share/man/man1/qelmos.1");
  EXPECT_EQ(read_file(page), read_file(kSource + "/qelmos.1"));
  o = run_program(bin, {"-h"});
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.out.find("qelmos syntax (version:"), std::string::npos) << o.out;
  // The help page ends by pointing to the manual.
  const std::string last = "See man qelmos and README.md for every option, value and file.\n";
  ASSERT_GE(o.out.size(), last.size());
  EXPECT_EQ(o.out.substr(o.out.size() - last.size()), last);
  // The station table comes with it, where the tool finds it when no other
  // is at hand; data/ holds the same table for runs in the source tree.
  const std::string table = dest.file("usr/local/share/qelmos/sao.cty");
  EXPECT_EQ(read_file(table), read_file(kSource + "/data/sao.cty"));
  std::string keed = expected("gfs_keed.txt");
  keed.replace(0, keed.find('\n'), "  GFS MOS data for KEED: NEEDLES, CA  34.77N 114.62W  270 m");
  o = run_program(bin,
                  {"-fp", kSource + "/data", "-dp", kSource + "/data", "-if", "gfs_mos", "-id", "KEED", "14010100"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, keed);
  o = run_program(bin, {"-nc", "/dev/null", "-mo", "gfs", "-id", "KEED", kSource + "/data/14010100.mav"}, "", {},
                  dest.path());
  EXPECT_EQ(o.out + o.err, keed);

  // The index writer comes with it.
  const std::string index_bin = dest.file("usr/local/bin/qelindex");
  EXPECT_TRUE(std::filesystem::exists(dest.file("usr/local/share/man/man1/qelindex.1")));
  o = run_program(index_bin, {kSource + "/data/14010100.mav"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "5 FOUS26 KWNO 010000/MAVWC0\n");

  args = vars;
  args.push_back("uninstall");
  o = run_program(make, args);
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_FALSE(std::filesystem::exists(bin));
  EXPECT_FALSE(std::filesystem::exists(page));
  EXPECT_FALSE(std::filesystem::exists(index_bin));
  EXPECT_FALSE(std::filesystem::exists(table));
}

TEST(Cli, MakeRunBuildsOnlyTheTool) {
  std::string make = on_path("make");
  if (make.empty()) GTEST_SKIP() << "make is not installed";
  // A dry run: the commands, without running them.
  Output o = run_program(make, {"-n", "-s", "-C", kSource, "BUILD=/nonexistent-build", "run"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.out.find("cmake --build /nonexistent-build -j"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("--target qelmos\n"), std::string::npos) << o.out;
  EXPECT_EQ(o.out.find("ctest"), std::string::npos) << o.out;
}
