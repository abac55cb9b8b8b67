// End-to-end tests of one station compared across models ("-mo nbs,nbh,nbe"):
// whole tables, JSON and CSV, checked by hand against each model's own
// table and JSON (tests/data/expected/compare_*).

#include <gtest/gtest.h>

#include <filesystem>

#include "test_util.h"

using qeltest::data_file;
using qeltest::expected;
using qeltest::Output;
using qeltest::read_file;
using qeltest::run_qelmos;
using qeltest::TempDir;

namespace {

const char *const kNbs = "nbs_kjfk_v41_2023101705_stripped.txt";
const char *const kNbh = "nbh_kjfk_v41_2023101705_stripped.txt";
const char *const kNbe = "nbe_kjfk_v41_2023101705_stripped.txt";

// Runs qelmos in an empty directory on tests/data bulletins named as they are.
Output compare(const std::vector<std::string> &options, const std::vector<std::string> &bulletins) {
  std::vector<std::string> args = {"-nc", "/dev/null"};
  args.insert(args.end(), options.begin(), options.end());
  for (const std::string &b : bulletins) args.push_back(data_file(b));
  return run_qelmos(args);
}

}  // namespace

TEST(Compare, BlendModelsOfOneStationSideBySide) {
  const std::string want = expected("compare_kjfk_blend.txt");
  Output o = compare({"-id", "KJFK", "-mo", "nbs,nbh,nbe"}, {kNbs, kNbh, kNbe});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, want);
  EXPECT_EQ(o.err, "");

  // Each model's file from its own data type: one date completed by every
  // template, the time of -cu, and batch mode's latest files.
  TempDir dir;
  dir.write("name_conv",
            "nbs_mos %D/%y%m%d%h.nbs - 0\nnbh_mos %D/%y%m%d%h.nbh - 0\nnbe_mos %D/%y%m%d%h.nbe - 0\n"
            "mos_dat %D/%y%m%d%h_mos - 0\n");
  for (const char *b : {kNbs, kNbh, kNbe})
    std::filesystem::copy_file(data_file(b), dir.file(std::string("23101705.") + std::string(b, 3)));
  for (const std::vector<std::string> &when : {std::vector<std::string>{"23101705"}, {"-cu", "#2023101705"}, {"-ba"}}) {
    std::vector<std::string> args = {"-dp", dir.path(), "-id", "kjfk", "-mo", "nbs,nbh,nbe"};
    args.insert(args.end(), when.begin(), when.end());
    o = run_qelmos(args, "", {"qelcurtime=2023101809"}, dir.path());
    EXPECT_EQ(o.out, want) << when[0];
    EXPECT_EQ(o.err, "") << when[0];
  }
}

TEST(Compare, StationFamiliesRunsAndAMissingStation) {
  // GFS runs of 00Z and 18Z (the second labelled gfs_2), the 12-hourly
  // GFSX six years later (the GFS runs flagged old), LAMP without KIND.
  Output o = compare({"-id", "KIND", "-mo", "gfs,gfsx,gfs,lav"}, {"gfs_mav_with_kind.txt", "gfsx_mex_with_kind.txt",
                                                                  "gfs_mav_18z_hand.txt", "lav_feed_2020071012.txt"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, expected("compare_kind_runs.txt"));
  EXPECT_EQ(o.err, "lav: No data found for KIND!\n");
}

TEST(Compare, JsonAndCsv) {
  // JSON: one object per valid time, null for a model without a value then.
  Output o = compare({"-id", "KIND", "-mo", "gfs,gfsx,lav", "-ou", "json"},
                     {"gfs_mav_18z_hand.txt", "gfsx_mex_with_kind.txt", "lav_feed_2020071012.txt"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, expected("compare_kind.jsonl"));
  EXPECT_EQ(o.err, "lav: No data found for KIND!\n");
  // CSV: a line per valid time and model that has a value then.
  o = compare({"-id", "KJFK", "-mo", "nbs,nbx,lav", "-ou", "csv"},
              {kNbs, "nbx_kjfk_v41_2023103017_stripped.txt", "lav_feed_2020071012.txt"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, expected("compare_kjfk.csv"));
}

TEST(Compare, NothingToCompareAndOneModelAsBefore) {
  Output o = compare({"-id", "KXXX", "-mo", "nbs,nbh"}, {kNbs, kNbh});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "nbs: No data found for KXXX!\nnbh: No data found for KXXX!\nNo data found!\n");
  o = compare({"-id", "all", "-mo", "nbs,nbh"}, {kNbs, kNbh});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.err, "-id all: a comparison of models takes one station\n");
  // One model reads the first file and passes over the others, as it always did.
  Output one = compare({"-id", "KJFK", "-mo", "nbs"}, {kNbs});
  o = compare({"-id", "KJFK", "-mo", "nbs"}, {kNbs, kNbh, kNbe});
  EXPECT_EQ(o.out, one.out);
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.out.substr(0, 28), "  NBM NBS V4.1 data for KJFK");
}

TEST(Compare, LocalTimesAndLocalDays) {
  // -tz: the TIME column and the initial times in the zone, and the
  // maxima and minima of each local day (midnight to midnight EDT, 04Z to
  // 04Z): 18 OCT is NBS's alone, as NBH has ended and NBE's first value
  // (12Z, 08 EDT) lies more than 6 hours after its start.
  Output o = compare({"-id", "KJFK", "-mo", "nbs,nbh,nbe", "-tz", "America/New_York"}, {kNbs, kNbh, kNbe});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, expected("compare_kjfk_blend_new_york.txt"));
}
