// End-to-end tests of the CSV output ("-ou csv"): for every family, each
// line carries the values of the family's JSON object under the JSON keys
// (so that the two cannot drift apart); one whole table checked by hand;
// RFC 4180 quoting, rows no table knows and missing stations.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "test_util.h"

using qeltest::data_file;
using qeltest::expected;
using qeltest::Output;
using qeltest::read_file;
using qeltest::run_qelmos;
using qeltest::TempDir;

namespace {

Output qelmos(std::vector<std::string> args) {
  args.insert(args.begin(), {"-nc", "/dev/null", "-cf", "none"});
  return run_qelmos(args);
}

// The records of a CSV text (RFC 4180: quoted fields may hold commas,
// doubled quotes and line ends).
std::vector<std::vector<std::string>> records(const std::string &text) {
  std::vector<std::vector<std::string>> out(1, std::vector<std::string>(1));
  bool quoted = false;
  for (size_t i = 0; i < text.size(); i++) {
    char c = text[i];
    std::string &field = out.back().back();
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"', i++;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      out.back().emplace_back();
    } else if (c == '\n') {
      out.emplace_back(1);
    } else {
      field += c;
    }
  }
  out.pop_back();  // after the last line end
  return out;
}

// A JSON value as its CSV field: a text as it is, null empty, a number as JSON writes it.
std::string field_of(const nlohmann::json &v) {
  return v.is_string() ? v.get<std::string>() : v.is_null() ? "" : v.dump();
}

}  // namespace

TEST(CsvOutput, EveryFamilyGivesTheJsonValuesUnderTheJsonKeys) {
  struct Case {
    const char *model, *ids, *bulletin;
  } cases[] = {
      {"gfs", "all", "gfs_mav_fous26_00z.txt"},          {"nam", "all", "nam_met_fous46_12z.txt"},
      {"ngm", "DCA", "ngm_mos_fous14_1991_sample.txt"},  {"gfsx", "all", "gfsx_mex_feus23_12z.txt"},
      {"mrf", "KDCA", "mrf_mos_kdca_2002_00z.txt"},      {"ecs", "all", "ecs_feed_2020022412.txt"},
      {"nam_ua", "all", "nam_fous61_upper_air_00z.txt"}, {"mrfx", "all", "mrf_extended_fous20_handmade.txt"},
      {"nbs", "all", "nbs_file_v50_2026091912.txt"},     {"nbh", "all", "nbh_v43_2026020500_trimmed.txt"},
      {"nbe", "all", "nbe_feed_v32_2020072214.txt"},     {"nbx", "all", "nbx_feed_v40_2020093013.txt"},
      {"nbp", "all", "nbp_file_v50_2026092813.txt"},     {"lav", "all", "lav_file_v27_2026100523.txt"},
      {"lev", "all", "lev_feed_2020071312.txt"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.model);
    for (bool local : {false, true}) {
      std::vector<std::string> args = {"-mo", c.model, "-id", c.ids, data_file(c.bulletin)};
      if (local) args.insert(args.end(), {"-tz", "America/Denver"});
      std::vector<std::string> json_args = args, csv_args = args;
      json_args.insert(json_args.end(), {"-ou", "json"});
      csv_args.insert(csv_args.end(), {"-ou", "csv"});
      Output json = qelmos(json_args), csv = qelmos(csv_args);
      ASSERT_EQ(csv.status, 0) << csv.err;
      EXPECT_EQ(csv.err, "");
      std::vector<std::vector<std::string>> lines = records(csv.out);
      ASSERT_FALSE(lines.empty());
      const std::vector<std::string> &header = lines[0];
      std::map<std::string, size_t> col;
      for (size_t i = 0; i < header.size(); i++) col[header[i]] = i;
      ASSERT_EQ(std::vector<std::string>(header.begin(), header.begin() + 3),
                (std::vector<std::string>{"station", "model", "run"}));
      EXPECT_EQ(col.size(), header.size()) << "a column twice";
      EXPECT_EQ(col.count("valid_local"), local ? 1u : 0u);

      size_t line = 1;
      std::istringstream in(json.out);
      for (std::string text; std::getline(in, text);) {
        nlohmann::json obj = nlohmann::json::parse(text);
        const nlohmann::json &rows = obj.contains("days") ? obj["days"] : obj["forecasts"];
        for (const auto &row : rows) {
          ASSERT_LT(line, lines.size());
          const std::vector<std::string> &f = lines[line++];
          ASSERT_EQ(f.size(), header.size());
          EXPECT_EQ(f[0], field_of(obj["station"]));
          EXPECT_EQ(f[1], field_of(obj["model"]));
          EXPECT_EQ(f[2], field_of(obj["run"]));
          size_t given = 3;
          for (const auto &[key, value] : row.items()) {
            std::vector<std::pair<std::string, nlohmann::json>> cells;
            if (value.is_array()) {
              for (size_t k = 0; k < value.size(); k++) cells.emplace_back(key + "_" + std::to_string(k + 1), value[k]);
            } else {
              cells.emplace_back(key, value);
            }
            for (const auto &[name, v] : cells) {
              ASSERT_EQ(col.count(name), 1u) << "no column " << name;
              EXPECT_EQ(f[col[name]], field_of(v)) << name << " of line " << line - 1;
              given++;
            }
          }
          // Every column the row does not give is empty.
          size_t filled = 0;
          for (const std::string &cell : f) filled += !cell.empty();
          EXPECT_LE(filled, given);
        }
      }
      EXPECT_EQ(line, lines.size()) << "lines without an object";
    }
  }
}

TEST(CsvOutput, WholeTableQuotingUnknownRowsAndMissingStations) {
  // The extended range's half-day pairs as two columns, checked by hand.
  Output o = qelmos({"-mo", "mrfx", "-ou", "csv", "-id", "KBOS", data_file("mrf_extended_fous20_handmade.txt")});
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, expected("csv_mrfx_kbos.csv"));

  // A station written with a comma and a quote: quoted, the quote doubled.
  std::string b = read_file(data_file("gfs_mav_fous26_00z.txt"));
  b.replace(b.find("KEED "), 5, "K,\"X ");
  TempDir dir;
  o = qelmos({"-mo", "gfs", "-ou", "csv", "-id", "all", dir.write("odd.txt", b)});
  std::vector<std::string> lines;
  std::istringstream in(o.out);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  ASSERT_EQ(lines.size(), 1u + 21 + 21);
  EXPECT_EQ(lines[1].substr(0, 35), "\"K,\"\"X\",gfs,2014-01-01T00:00:00Z,6,");
  EXPECT_EQ(lines[22].substr(0, 31), "KELN,gfs,2014-01-01T00:00:00Z,6");

  // A row that no table knows is left out, named once; a list in its order
  // with a missing station named; no station at all prints nothing.
  std::string block =
      "NBM V4.0 NBS GUIDANCE    4/07/2021  1200 UTC\nUTC  18 21\nFHR  06 09\nTMP  69 68\nXYZ   1  2\n\n";
  std::string path = dir.write("xyz.txt", "KAAA    " + block + "KBBB    " + block);
  o = qelmos({"-mo", "nbs", "-ou", "csv", "-id", "KBBB,KXXX,KAAA", path});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.err, "CSV: no column for 'xyz' (a row no table knows): left out\nKXXX: No data found!\n");
  std::vector<std::vector<std::string>> recs = records(o.out);
  ASSERT_EQ(recs.size(), 5u);
  EXPECT_EQ(recs[0].size(), recs[1].size());
  EXPECT_EQ(recs[0].back(), "flight_category");
  EXPECT_EQ(recs[1][0] + recs[3][0] + recs[3][3], "KBBBKAAA6");
  o = qelmos({"-mo", "nbs", "-ou", "csv", "-id", "KXXX", path});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "No data found!\n");
}
