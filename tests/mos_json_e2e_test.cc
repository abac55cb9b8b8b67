// End-to-end tests of the JSON Lines output ("-ou json"): one whole object
// per family (checked by hand against the bulletin columns), every station
// of a product with "-id all", several stations in the order asked, and
// bytes of the bulletin that JSON must escape or replace.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <sstream>

#include "test_util.h"

using qeltest::data_file;
using qeltest::Output;
using qeltest::read_file;
using qeltest::run_qelmos;
using qeltest::TempDir;

namespace {

// Runs qelmos in an empty directory on a tests/data bulletin named as it is.
Output json(const std::string &model, const std::string &ids, const std::string &bulletin) {
  return run_qelmos({"-nc", "/dev/null", "-mo", model, "-ou", "json", "-id", ids, data_file(bulletin)});
}

// The lines of `text`, each parsed as JSON (a parse error fails the test).
std::vector<nlohmann::json> objects(const std::string &text) {
  std::vector<nlohmann::json> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    try {
      out.push_back(nlohmann::json::parse(line));
    } catch (const nlohmann::json::exception &e) {
      ADD_FAILURE() << e.what() << ": " << line;
    }
  }
  return out;
}

}  // namespace

TEST(JsonOutput, OneWholeObjectPerFamily) {
  struct Case {
    const char *model, *id, *bulletin, *expected;
  } cases[] = {
      {"gfs", "KEED", "gfs_mav_fous26_00z.txt", "json_gfs_keed.jsonl"},
      {"nam_ua", "KBOS", "nam_fous61_upper_air_06z.txt", "json_nam_ua_bos_06z.jsonl"},
      {"mrfx", "KBOS", "mrf_extended_fous20_handmade.txt", "json_mrfx_kbos.jsonl"},
  };
  for (const Case &c : cases) {
    Output o = json(c.model, c.id, c.bulletin);
    EXPECT_EQ(o.status, 0) << c.expected << o.err;
    EXPECT_EQ(o.out, read_file(data_file(std::string("expected/") + c.expected))) << c.expected;
    EXPECT_EQ(objects(o.out).size(), 1u);
  }
}

TEST(JsonOutput, AllStationsAListAndMissingOnes) {
  auto stations = [](const std::string &out) {
    std::string ids;
    for (const auto &j : objects(out)) ids += j["station"].get<std::string>() + " ";
    return ids;
  };
  EXPECT_EQ(stations(json("gfs", "all", "gfs_mav_fous26_00z.txt").out), "KEED KELN ");
  EXPECT_EQ(stations(json("nam", "ALL", "nam_met_fous46_12z.txt").out), "KFOZ KFPK KFRM ");
  EXPECT_EQ(stations(json("nam_ua", "all", "nam_fous61_upper_air_00z.txt").out), "ALB BTV BOS LGA PHL IPT ");

  // In the order asked; a missing station is named and makes the status 30.
  Output o = json("nam", "kfrm,KXXX,KFOZ", "nam_met_fous46_12z.txt");
  EXPECT_EQ(stations(o.out), "KFRM KFOZ ");
  EXPECT_EQ(o.err, "KXXX: No data found!\n");
  EXPECT_EQ(o.status, 30);
  o = json("gfs", "KXXX", "gfs_mav_fous26_00z.txt");
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "No data found!\n");
  EXPECT_EQ(o.status, 30);
}

TEST(JsonOutput, BulletinBytesStayValidJson) {
  // An identifier with a quote and a backslash, a heading with them, a
  // control byte and a byte that is not UTF-8.
  std::string b = read_file(data_file("gfs_mav_fous26_00z.txt"));
  b.replace(b.find("FOUS26 KWNO 010000"), 18, "FOUS26 KWNO \"\\\x02\xfe");
  b.replace(b.find("KEED "), 5, "K\"\\X ");
  TempDir dir;
  dir.write("odd.txt", b);
  Output o = run_qelmos({"-nc", "/dev/null", "-mo", "gfs", "-ou", "json", "-id", "all", dir.file("odd.txt")});
  std::vector<nlohmann::json> all = objects(o.out);
  ASSERT_EQ(all.size(), 2u) << o.out;
  EXPECT_EQ(all[0]["station"], "K\"\\X");
  EXPECT_EQ(all[0]["product"], "FOUS26 KWNO \"\\\x02\xef\xbf\xbd");  // 0xfe becomes U+FFFD
  EXPECT_EQ(all[1]["forecasts"][20]["temp_f"], 38);
}
