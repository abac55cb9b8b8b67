// End-to-end tests: the built qelmos on real bulletins (NAM, GFS, GFSX, MRF
// and NGM products from public feeds and documentation) and on hand-made
// ones laid out exactly like them (ETA, AVN, winter GFSX, framing cases).
// Whole tables are compared with text checked by hand against the
// bulletin columns (tests/data/expected).

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

class Bulletins : public ::testing::Test, public qeltest::BulletinDir {};

}  // namespace

TEST_F(Bulletins, StationTablesOfEveryFamily) {
  struct Case {
    const char *bulletin, *run, *model, *id, *table;
  } cases[] = {
      {"gfs_mav_fous26_00z.txt", "14010100", "gfs", "KEED", "gfs_keed.txt"},
      {"nam_met_fous46_12z.txt", "17081212", "nam", "kfpk", "nam_kfpk.txt"},  // lower case finds KFPK
      {"gfsx_mex_feus23_12z.txt", "20071012", "gfsx", "KY70", "gfsx_ky70.txt"},
      {"gfsx_mex_feus23_12z.txt", "20071012", "gfsx", "KYIP", "gfsx_kyip.txt"},  // last block, ETX after it
      {"mrf_mos_kdca_2002_00z.txt", "02091900", "mrf", "KDCA", "mrf_kdca.txt"},
      {"ngm_mos_fous14_1991_sample.txt", "91030600", "ngm", "dca", "ngm_dca.txt"},
      {"eta_mos_fous46_hand.txt", "17081212", "eta", "KFRM", "eta_kfrm.txt"},
      {"avn_mos_fous26_hand.txt", "14010100", "avn", "KELN", "avn_keln.txt"},
  };
  for (const Case &c : cases) {
    place(c.bulletin, c.run);
    // Named, and found from the file when no model is given.
    for (bool named : {true, false}) {
      std::vector<std::string> args = {"-id", c.id, c.run};
      if (named) args.insert(args.begin(), {"-mo", c.model});
      Output o = qelmos(args);
      EXPECT_EQ(o.status, 0) << c.table << o.err;
      EXPECT_EQ(o.out, expected(c.table)) << c.table << " named " << named;
      EXPECT_EQ(o.err, "") << c.table;
    }
  }
}

TEST_F(Bulletins, FamilyFoundFromTheFile) {
  // Said at the informational level; an explicit model always wins.
  place("gfs_mav_fous26_00z.txt", "14010100");
  Output o = qelmos({"-id", "KEED", "-me", "warn,+mess", "14010100"});
  EXPECT_NE(o.out.find("reading the file as gfs\n"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find(expected("gfs_keed.txt")), std::string::npos) << o.out;
  o = qelmos({"-mo", "nam", "-id", "KEED", "14010100"});
  EXPECT_EQ(o.status, 30);
  // A file that holds an NGM block anywhere is read as NGM, as it always was.
  dir.write("91030600_mos", read_file(data_file("gfs_mav_fous26_00z.txt")) +
                                read_file(data_file("ngm_mos_fous14_1991_sample.txt")));
  o = qelmos({"-id", "DCA", "91030600"});
  EXPECT_EQ(o.out, expected("ngm_dca.txt"));
  o = qelmos({"-id", "KEED", "91030600"});
  EXPECT_EQ(o.status, 30);

  // A national file of many blocks (here 160,000 lines) is searched, not
  // read line by line, and without a warning.
  std::string feed = read_file(data_file("nbs_feed_v40_2021040712.txt"));
  std::string block = feed.substr(feed.find("KDSM")), national;
  for (int i = 0; i < 4000; i++) national += block + "\n";
  dir.write("21040712_mos", national);
  o = qelmos({"-id", "KDSM", "21040712"});
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.out, expected("nbs_kdsm.txt"));
}

TEST_F(Bulletins, FullTableWithDashesAndOptionalColumns) {
  place("gfs_mav_fous26_00z.txt", "14010100");
  Output o = qelmos({"-mo", "gfs", "-id", "KELN", "-pa", "FULL,prdash", "-me", "out4", "14010100"});
  EXPECT_EQ(o.status, 0);
  // An explicit level shows the banner and the informational lines too.
  EXPECT_EQ(o.out, expected("gfs_keln_full_prdash_out4.txt"));
}

TEST_F(Bulletins, MissingStationAndModelHeadingMismatch) {
  // The second block of the ETA file is headed "NAM MOS": not an ETA block.
  place("eta_mos_fous46_hand.txt", "17081212");
  Output o = qelmos({"-mo", "eta", "-id", "KFPK", "17081212"});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "No data found!\n");

  place("gfs_mav_fous26_00z.txt", "14010100");
  o = qelmos({"-mo", "gfs", "-id", "KXXX", "14010100"});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.err, "No data found!\n");
  // The wrong family finds no product at all.
  o = qelmos({"-mo", "nam", "-id", "KEED", "14010100"});
  EXPECT_EQ(o.status, 30);
}

TEST_F(Bulletins, ProductEndingMidWalkAndBlockBeforeEtx) {
  // KEED's product ends with an ETX line right after its last row; KELN
  // is in the next product.
  place("gfs_mav_two_products.txt", "14010100");
  Output o = qelmos({"-mo", "gfs", "-id", "KELN", "14010100"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, expected("gfs_keln.txt"));
  o = qelmos({"-mo", "gfs", "-id", "KEED", "14010100"});
  EXPECT_EQ(o.out, expected("gfs_keed.txt"));
}

TEST_F(Bulletins, MissingRowAndWinterWeather) {
  place("gfs_mav_hand.txt", "14010100");
  Output o = qelmos({"-mo", "gfs", "-id", "KMIS", "14010100"});
  EXPECT_EQ(o.status, 0);
  // No temperature row: the TEMP column is blank, everything else is read.
  EXPECT_NE(o.out.find("\n   6    1/06Z        17  300   5      CLR  10"), std::string::npos) << o.out;

  // Precipitation types from the "TYP" row reach the weather column; the
  // flight category is the worse of ceiling and visibility (36: CIG 2, VIS 5).
  o = qelmos({"-mo", "gfs", "-id", "KWXX", "-pa", "full", "14010100"});
  const char *lines[] = {
      "  12    1/12Z    31  26  340   4  250 BKN   6   ZR-                   VFR\n",
      "  18    1/18Z    33  29    0   0      CLR   6    ZR                   VFR\n",
      "  24    2/00Z    37  30  310   3  250 OVC  10   ZR+   40     0        VFR\n",
      "  36    2/12Z    28  25    0   0    3 OVC   4    R+   25     3       LIFR\n",
      "  48    3/00Z    35  31  140   1   15 OVC 0.8    S-   37    15        IFR\n",
  };
  for (const char *line : lines) EXPECT_NE(o.out.find(line), std::string::npos) << line << o.out;
}

namespace {

// The SNOW column (the last five characters) of the table line of `hour`.
std::string snow_column(const std::string &table, int hour) {
  char prefix[16];
  snprintf(prefix, sizeof prefix, "\n %3d   ", hour);
  size_t at = table.find(prefix);
  if (at == std::string::npos) return "no line";
  size_t end = table.find('\n', at + 1);
  return table.substr(end - 5, 5);
}

}  // namespace

TEST_F(Bulletins, TwelveHourlySnowfallOfBothRuns) {
  // 00Z runs put the 24-hour snowfall at hours 48, 72, 96 and 120, 12Z runs
  // at 60, 84, 108 and 132; each run keeps exactly its own values.
  place("gfsx_mex_snow_00z_hand.txt", "02091900");
  Output o = qelmos({"-mo", "gfsx", "-id", "KSN0", "-pa", "full", "02091900"});
  EXPECT_EQ(o.status, 0);
  const char *values00[] = {"   3 ", "     ", "     ", "     ", "   2 ", "     ", "   1 ", "     "};  // 48 .. 132
  for (int i = 0; i < 8; i++) EXPECT_EQ(snow_column(o.out, 48 + 12 * i), values00[i]) << 48 + 12 * i << o.out;

  place("gfsx_mex_snow_12z_hand.txt", "20071012");
  o = qelmos({"-mo", "gfsx", "-id", "KSN1", "-pa", "full", "20071012"});
  EXPECT_EQ(o.status, 0);
  const char *values12[] = {"     ", "   1 ", "     ", "   2 ", "     ", "     ", "     ", "   4 ", "     "};
  for (int i = 0; i < 9; i++) EXPECT_EQ(snow_column(o.out, 48 + 12 * i), values12[i]) << 48 + 12 * i << o.out;
}

TEST_F(Bulletins, CompactLine) {
  place("gfs_mav_with_kind.txt", "14010100");
  Output o = qelmos({"-mo", "gfs", "-id", "KEED", "-ou", "ZIM_FORE", "14010100"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "40 25 37 0 3 15 7 1 68 48 68 2 1 2\n");
  EXPECT_EQ(o.err, "");

  place("gfsx_mex_with_kind.txt", "20071012");
  o = qelmos({"-mo", "gfsx", "-id", "KY70", "-ou", "zim_fore", "20071012"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "73 61 78 63 2 15 0 7 84 63 77 3 19 28\n");

  // Without the reference station nothing goes to standard output and the status is 30.
  place("gfs_mav_fous26_00z.txt", "14010100");
  o = qelmos({"-mo", "gfs", "-id", "KEED", "-ou", "zim_fore", "14010100"});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "No data found!\n");
}

TEST_F(Bulletins, WebCopyPrintsTheFeedTable) {
  // One blank before every line and after it, blank-only separators.
  place("gfs_mav_web_copy.txt", "14010100");
  Output o = qelmos({"-mo", "gfs", "-id", "KEED", "14010100"});
  EXPECT_EQ(o.out, expected("gfs_keed.txt"));
  o = qelmos({"-mo", "gfs", "-id", "KELN", "-pa", "full,prdash", "-me", "out4", "14010100"});
  EXPECT_EQ(o.out, expected("gfs_keln_full_prdash_out4.txt"));
}

TEST_F(Bulletins, NamedFileWithoutDateIsReadAsNamed) {
  std::filesystem::copy_file(data_file("gfs_mav_fous26_00z.txt"), dir.file("mybulletins.txt"));
  Output o = qelmos({"-id", "KEED", "-mo", "gfs", "mybulletins.txt"});
  EXPECT_EQ(o.status, 0) << o.err;
  // The file's date is unknown: the station heading gives the run.
  EXPECT_EQ(o.out, expected("gfs_keed.txt"));

  // A conventionally named file keeps being found through its date.
  place("gfs_mav_fous26_00z.txt", "14010100");
  o = qelmos({"-id", "KEED", "-mo", "gfs", "14010100_mos"});
  EXPECT_EQ(o.out, expected("gfs_keed.txt"));
}

TEST_F(Bulletins, StandardInputFromAFileOrAPipe) {
  std::string bulletin = data_file("gfs_mav_with_kind.txt");
  Output from_file = qelmos({"-id", "KELN", "-mo", "gfs", "-"}, read_file(bulletin));
  EXPECT_EQ(from_file.status, 0);
  EXPECT_EQ(from_file.out.substr(0, 24), "  GFS MOS data for KELN\n");

  // A pipe cannot be repositioned: the re-read of the block and the second
  // retrieval of the compact line still work.
  std::string pipe = "cat '" + bulletin + "' | '" + QELMOS_BIN + "' -id KELN -mo gfs -";
  Output piped = qeltest::run_program("/bin/sh", {"-c", pipe}, "", {}, dir.path());
  EXPECT_EQ(piped.status, 0);
  EXPECT_EQ(piped.out, from_file.out);

  Output line = qeltest::run_program("/bin/sh", {"-c", pipe + " -ou zim_fore"}, "", {}, dir.path());
  EXPECT_EQ(line.status, 0);
  EXPECT_EQ(line.out, "40 25 37 0 3 15 7 1 40 25 37 0 3 15\n");
}

namespace {

// The contents of a tests/data bulletin with `from` replaced by `to` once.
std::string with_heading(const std::string &bulletin, const std::string &from, const std::string &to) {
  std::string text = read_file(data_file(bulletin));
  size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

}  // namespace

TEST_F(Bulletins, OffHourRunsAndBlocksWithoutHeading) {
  // An 18Z Honolulu block saved without its product heading and without a
  // last line end: N/X ends at 18, 30, 42, 54, 63, P12 at 24, 36, ... 66.
  std::filesystem::copy_file(data_file("gfs_mav_phnl_18z_block.txt"), dir.file("phnl.txt"));
  Output o = qelmos({"-mo", "gfs", "-id", "PHNL", "-pa", "full", "phnl.txt"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, expected("gfs_phnl_18z_full.txt"));

  // A day of a feed: the 00Z product, then an 18Z one whose X/N, P12 and
  // Q12 end at 18, 30, ... and whose T12 pairs end at 24, 36, ... 66. The
  // run given with "#" chooses the block, in a file of the user's own name.
  dir.write("day.txt", read_file(data_file("gfs_mav_fous26_00z.txt")) + read_file(data_file("gfs_mav_18z_hand.txt")));
  o = qelmos({"-mo", "gfs", "-id", "KEED", "-pa", "full", "-me", "out3", "day.txt#2014010118"});
  EXPECT_EQ(o.out, expected("gfs_keed_18z_full_out3.txt"));
  // The compact line takes the twelve-hour values of hours 18, 30 and 42.
  o = qelmos({"-mo", "gfs", "-id", "KEED", "-ou", "zim_fore", "day.txt#2014010118"});
  EXPECT_EQ(o.out, "30 45 28 40 50 60 34 6 44 60 40 5 10 20\n");
  // No block of the run asked for: the first, labelled with its own run.
  o = qelmos({"-mo", "gfs", "-id", "KEED", "day.txt#2014010106"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, expected("gfs_keed.txt"));
  EXPECT_EQ(o.err, "KEED: the file holds the run of 00Z  1 JAN 14, not 06Z  1 JAN 14\n");
}

TEST_F(Bulletins, DoubleSpacingPacificAndAlaskaHeadingsAndExtendedThunder) {
  place("nam_met_fous46_12z_double_spaced.txt", "17081212");
  Output o = qelmos({"-mo", "nam", "-id", "KFPK", "17081212"});
  EXPECT_EQ(o.out, expected("nam_kfpk.txt"));
  std::string spaced = qelmos({"-mo", "nam", "-id", "KFRM", "-pa", "full", "17081212"}).out;
  place("nam_met_fous46_12z.txt", "17081212");
  EXPECT_EQ(qelmos({"-mo", "nam", "-id", "KFRM", "-pa", "full", "17081212"}).out, spaced);

  dir.write("17081212_mos", with_heading("nam_met_fous46_12z.txt", "FOUS46", "FOPA40"));
  EXPECT_EQ(qelmos({"-mo", "nam", "-id", "KFPK", "17081212"}).out, expected("nam_kfpk.txt"));
  dir.write("20071012_mos", with_heading("gfsx_mex_feus23_12z.txt", "FEUS23", "FEAK39"));
  EXPECT_EQ(qelmos({"-mo", "gfsx", "-id", "KY70", "20071012"}).out, expected("gfsx_ky70.txt"));

  // The GFSX "T12" row fills the 12-hour thunderstorm column.
  place("gfsx_mex_feus23_12z.txt", "20071012");
  EXPECT_EQ(qelmos({"-mo", "gfsx", "-id", "KY70", "-me", "out3", "20071012"}).out, expected("gfsx_ky70_out3.txt"));
}

TEST(StationTable, HeaderAndJsonNameAKnownStationOnly) {
  const std::string table = data_file("stations.cty");
  auto run = [&](const std::string &model, const std::string &id, const std::string &bulletin,
                 const std::string &output = "table") {
    return run_qelmos({"-nc", "/dev/null", "-cf", table, "-mo", model, "-ou", output, "-id", id, data_file(bulletin)});
  };
  // The expected table with its first line replaced.
  auto headed = [](const std::string &header, const std::string &name) {
    std::string text = expected(name);
    return header + text.substr(text.find('\n'));
  };
  // KELN is not in the table: the header stays as it was. The upper-air
  // BOS is KBOS of the table.
  EXPECT_EQ(run("gfs", "KEED", "gfs_mav_fous26_00z.txt").out,
            headed("  GFS MOS data for KEED: NEEDLES, CA  34.77N 114.62W  270 m", "gfs_keed.txt"));
  EXPECT_EQ(run("gfs", "KELN", "gfs_mav_fous26_00z.txt").out, expected("gfs_keln.txt"));
  EXPECT_EQ(run("nam_ua", "KBOS", "nam_fous61_upper_air_06z.txt").out,
            headed("  NAM MOS data for BOS: BOSTON, MA  42.37N 71.03W  9 m", "nam_ua_bos_06z.txt"));

  Output o = run("gfs", "KEED,KELN", "gfs_mav_fous26_00z.txt", "json");
  EXPECT_EQ(o.status, 0) << o.err;
  std::string keed = expected("json_gfs_keed.jsonl");
  const std::string unknown = R"("name":null,"state":null,"lat":null,"lon":null,"elevation_m":null,)";
  keed.replace(keed.find(unknown), unknown.size(),
               R"("name":"NEEDLES","state":"CA","lat":34.7667,"lon":-114.6167,"elevation_m":270,)");
  ASSERT_EQ(o.out.substr(0, keed.size()), keed);
  const std::string keln = R"({"station":"KELN",)" + unknown + R"("model":"gfs",)";
  EXPECT_EQ(o.out.substr(keed.size(), keln.size()), keln);
}

TEST_F(Bulletins, LocalTimesThroughADaylightSavingChange) {
  // KEED's block as the run of 00Z 13 March 2021: New York's clocks go
  // forward at 07Z on the 14th, between hours 30 and 36.
  dir.write("dst.txt", with_heading("gfs_mav_fous26_00z.txt", "1/01/2014  0000 UTC", "3/13/2021  0000 UTC"));
  Output o = qelmos({"-mo", "gfs", "-id", "KEED", "-tz", "America/New_York", "dst.txt"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, expected("gfs_keed_new_york.txt"));
  EXPECT_EQ(o.err, "");
  o = qelmos({"-mo", "gfs", "-id", "KEED", "-tz", "America/New_York", "-ou", "json", "dst.txt"});
  for (const char *times : {"\"valid\":\"2021-03-14T06:00:00Z\",\"valid_local\":\"2021-03-14T01:00:00-05:00\",",
                            "\"valid\":\"2021-03-14T12:00:00Z\",\"valid_local\":\"2021-03-14T08:00:00-04:00\","})
    EXPECT_NE(o.out.find(times), std::string::npos) << times;

  // An unknown zone: a warning, and the table of UTC times.
  std::string utc = qelmos({"-mo", "gfs", "-id", "KEED", "dst.txt"}).out;
  o = qelmos({"-mo", "gfs", "-id", "KEED", "-tz", "Mars/Olympus", "dst.txt"});
  EXPECT_EQ(o.out, utc);
  EXPECT_EQ(o.err,
            "unknown time zone 'Mars/Olympus' (an IANA name such as America/New_York, or local): times stay in UTC\n");

  // The zone from its own environment variable, and the machine's zone
  // (TZ): a LAMP run keeps its minutes, a grid table's TIME column widens.
  o = run_qelmos({"-nc", "/dev/null", "-id", "PHBK", data_file("lav_feed_2020071012.txt")}, "",
                 {"qelzone=Pacific/Honolulu"});
  EXPECT_EQ(o.out.substr(0, o.out.find("\n   2 ")),
            "  GFS LAMP LAV data for PHBK\nInitial time: 0230 HST [1230Z] 10 JUL 20\n\n"
            " HOUR   TIME        COV CIL VIS OBV  FLT\n"
            "   1   10/03 HST    BKN  50  10   N  VFR");
  o = run_qelmos({"-nc", "/dev/null", "-tz", "local", "-id", "PHBK", data_file("lev_feed_2020071312.txt")}, "",
                 {"TZ=Asia/Tokyo"});
  EXPECT_NE(o.out.find("Initial time: 2130 JST [1230Z] 13 JUL 20\n"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("\n  27   15/00 JST    250  10   N  VFR\n"), std::string::npos) << o.out;
}

TEST_F(Bulletins, SeveralStationsInTablesAndCompactLines) {
  // Every station in file order, each table after a blank line.
  place("gfs_mav_fous26_00z.txt", "14010100");
  Output o = qelmos({"-mo", "gfs", "-id", "all", "14010100"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, expected("gfs_keed.txt") + "\n" + expected("gfs_keln.txt"));
  // A list in its order; a missing station is named and makes the status 30.
  o = qelmos({"-mo", "gfs", "-id", "keln,KXXX,KEED", "14010100"});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.out, expected("gfs_keln.txt") + "\n" + expected("gfs_keed.txt"));
  EXPECT_EQ(o.err, "KXXX: No data found!\n");

  // Compact lines, one a station (the reference station's own included).
  place("gfs_mav_with_kind.txt", "14010100");
  o = qelmos({"-mo", "gfs", "-id", "all", "-ou", "zim_fore", "14010100"});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out,
            "40 25 37 0 3 15 7 1 68 48 68 2 1 2\n"     // KEED
            "40 25 37 0 3 15 7 1 40 25 37 0 3 15\n"    // KELN
            "40 25 37 0 3 15 7 1 40 25 37 0 3 15\n");  // KIND
  o = qelmos({"-mo", "gfs", "-id", "KXXX,KEED", "-ou", "zim_fore", "14010100"});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.out, "40 25 37 0 3 15 7 1 68 48 68 2 1 2\n");
  EXPECT_EQ(o.err, "KXXX: No data found!\n");

  // The upper air's pairs: every station, the missing right half of the last
  // pair left out; an extended-range file's compact lines.
  place("ngm_fous_upper_air_handmade.txt", "26011500");
  o = qelmos({"-mo", "ngm_ua", "-id", "all", "26011500"});
  EXPECT_EQ(o.status, 0);
  std::string heads;
  for (size_t at = 0; (at = o.out.find("data for ", at)) != std::string::npos; at += 9)
    heads += o.out.substr(at + 9, 4);
  EXPECT_EQ(heads, "OMA\nDSM\nMSP\nINL\nFSD\n");
  EXPECT_EQ(o.out.find(expected("ngm_ua_fsd.txt")), o.out.size() - expected("ngm_ua_fsd.txt").size());
  place("mrf_extended_fous20_handmade.txt", "25112012");
  o = qelmos({"-mo", "mrfx", "-id", "all", "-ou", "zim_fore", "25112012"});
  EXPECT_EQ(o.out,
            "29 45 27 5 6 11 0 9 39 51 42 55 35 20\n29 45 27 5 6 11 0 9 30 44 28 5 5 10\n"
            "29 45 27 5 6 11 0 9 29 45 27 5 6 11\n29 45 27 5 6 11 0 9 32 45 30 15 10 5\n");
}
