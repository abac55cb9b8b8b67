// End-to-end tests of the upper-air and extended-range tables: the built
// qelmos on the real NAM FOUS61 bulletins of a 00Z (11 rows a station) and
// a 06Z run (9 rows), and on hand-made NGM, ETA and MRF extended-range
// bulletins. The files are named without a date, so the initial time comes
// from the product itself. Whole tables are compared with text checked by
// hand against the bulletin columns (tests/data/expected).

#include <gtest/gtest.h>

#include "test_util.h"

using qeltest::data_file;
using qeltest::expected;
using qeltest::Output;
using qeltest::read_file;
using qeltest::run_qelmos;
using qeltest::TempDir;

namespace {

class UpperAir : public ::testing::Test, public qeltest::BulletinDir {};

}  // namespace

TEST_F(UpperAir, TablesOfEveryFamily) {
  struct Case {
    const char *bulletin, *model, *id, *level, *table;
  } cases[] = {
      // Left station of a middle pair; the 11-row family on a 9-row run
      // keeps the next pair whole. "KBOS" is looked for as "BOS".
      {"nam_fous61_upper_air_06z.txt", "nam_ua", "KBOS", nullptr, "nam_ua_bos_06z.txt"},
      // Right station of the first pair of an 11-row run: hours 54 and 60.
      {"nam_fous61_upper_air_00z.txt", "nam_ua", "BTV", nullptr, "nam_ua_btv_00z.txt"},
      // Right station with thicknesses below 5000 m (layer-1 temperatures
      // below -10, written 84 and up), with the layer temperatures shown.
      {"ngm_fous_upper_air_handmade.txt", "ngm_ua", "INL", "print,+out3", "ngm_ua_inl.txt"},
      // The last pair of a product, whose right half is missing.
      {"ngm_fous_upper_air_handmade.txt", "ngm_ua", "FSD", nullptr, "ngm_ua_fsd.txt"},
      // Identifier line with values (pressures below 1000, negative lifted
      // indices), and one without values followed by its row 0.
      {"eta_fous_upper_air_handmade.txt", "eta_ua", "OKC", "print,+out3", "eta_ua_okc.txt"},
      {"eta_fous_upper_air_handmade.txt", "eta_ua", "LBB", "print,+out3", "eta_ua_lbb.txt"},
      {"mrf_extended_fous20_handmade.txt", "mrfx", "KBOS", nullptr, "mrfx_kbos.txt"},
  };
  for (const Case &c : cases) {
    // Named, and found from the file when no model is given.
    for (bool named : {true, false}) {
      std::vector<std::string> args = {"-id", c.id, data_file(c.bulletin)};
      if (named) args.insert(args.begin(), {"-mo", c.model});
      if (c.level) args.insert(args.end(), {"-me", c.level});
      Output o = qelmos(args);
      EXPECT_EQ(o.status, 0) << c.table << o.err;
      EXPECT_EQ(o.out, expected(c.table)) << c.table << " named " << named;
      EXPECT_EQ(o.err, "") << c.table;
    }
  }
}

TEST_F(UpperAir, LastPairFromStandardInputTakesTheRunOfTheProduct) {
  // Standard input without "#": the run is the product's "OUTPUT FROM NAM 06Z OCT 05 26".
  Output o = qelmos({"-mo", "nam_ua", "-id", "ipt", "-"}, read_file(data_file("nam_fous61_upper_air_06z.txt")));
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, expected("nam_ua_ipt_06z.txt"));
}

TEST_F(UpperAir, ExtendedRangeCompactLine) {
  // Reference IND, then KBOS: minimum, maximum, minimum, three PoPs, wind.
  Output o = qelmos({"-mo", "mrfx", "-id", "kbos", "-ou", "zim_fore", data_file("mrf_extended_fous20_handmade.txt")});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "29 45 27 5 6 11 0 9 39 51 42 55 35 20\n");
}

TEST_F(UpperAir, MissingStationsEndWithStatus30) {
  struct Case {
    const char *bulletin, *model, *id;
  } cases[] = {
      {"nam_fous61_upper_air_00z.txt", "nam_ua", "XYZ"},
      {"nam_fous61_upper_air_00z.txt", "nam_ua", "KBTVX"},   // longer than any identifier
      {"ngm_fous_upper_air_handmade.txt", "ngm_ua", "ALB"},  // walks past the empty right half
      {"nam_fous61_upper_air_06z.txt", "ngm_ua", "BOS"},     // no NGM product in the file
      {"mrf_extended_fous20_handmade.txt", "mrfx", "KXYZ"},
  };
  for (const Case &c : cases) {
    Output o = qelmos({"-mo", c.model, "-id", c.id, data_file(c.bulletin)});
    EXPECT_EQ(o.status, 30) << c.id;
    EXPECT_EQ(o.out, "") << c.id;
    EXPECT_EQ(o.err, "No data found!\n") << c.id;
  }
}
