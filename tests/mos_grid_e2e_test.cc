// End-to-end tests of today's guidance: the built qelmos on real NBM (NBH,
// NBS, NBE, NBX, NBP), GFS LAMP (LAV, LEV) and ECMWF MOS products, as the
// feed delivers them, as national files and as stripped copies. Whole
// tables and JSON objects are compared with text checked against the raw
// columns (tests/data/expected).

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_util.h"

using qeltest::data_file;
using qeltest::expected;
using qeltest::Output;
using qeltest::read_file;
using qeltest::TempDir;

namespace {

Output qelmos(std::vector<std::string> args, const std::string &input = "") {
  args.insert(args.begin(), {"-nc", "/dev/null"});
  return qeltest::run_qelmos(args, input);
}

// The "forecasts" array (and what follows it) of a JSON line.
std::string forecasts(const std::string &json) {
  size_t at = json.find("\"forecasts\"");
  return at == std::string::npos ? "" : json.substr(at);
}

}  // namespace

// Columns checked by hand against the raw bulletin, besides a tool of our
// own that decodes every sample independently:
// - NBS KDSM (V4.0 feed): FHR 06 to 72; TMP, DPT, TXN (at 12, 24, ... 72),
//   WDR x 10, GST, P06/P12, Q06 0.05 and Q12 0.23 at hour 12, T03/T06, CIG
//   27 and -88 (UNL at 30, 57, 60, 63), VIS 100 (10.0) and 50 (5.0).
// - NBH KJFK (V4.1, stripped): UTC only, hours 1 to 25 from the 05Z run,
//   CIG -88 in every column.
// - NBE KJFK (V4.1, stripped): FHR 19 to 187 with "|" day marks, Q24 at 31,
//   55, ..., the 98 right of the last column as hour 199, TXN climatology
//   48 63 and P12 11 21, SOL tens (290).
// - NBX CWCD (V3.2 feed): FHR 202 to 262 on the grid that starts at column
//   3, X/N, Q24 and S24 at the 00Z columns.
// - NBP KLAX (V5.0 national file): 5-character labels, TXNP1/P5/P9, W24 and
//   G24 at 00Z, Q24 from 47 on, SLP 004 as 1004.
// - LAV PHHI (1230 UTC feed): hours 1 to 25 from 12Z, TMP 999 runs, WDR and
//   WSP 99, WGS NG, P06 at 18, 00, 06, 12Z; LEV PHBK: HR 26 to 38.
// - ECS KBAF: the GFS MAV columns, N/X at 24 (34), P06 "40100" as 40 and
//   100 at 66 and 72.
TEST(GridProducts, TablesOfEveryProduct) {
  struct Case {
    const char *bulletin, *model, *id, *table;
    std::vector<std::string> extra;
  } cases[] = {
      {"nbs_feed_v40_2021040712.txt", "nbs", "KDSM", "nbs_kdsm.txt", {}},
      {"nbs_file_v50_2026091912.txt", "nbs", "2A1", "nbs_2a1_full_prdash.txt", {"-pa", "full,prdash"}},
      {"nbh_kjfk_v41_2023101705_stripped.txt", "nbh", "KJFK", "nbh_kjfk.txt", {}},
      {"nbe_kjfk_v41_2023101705_stripped.txt", "nbe", "KJFK", "nbe_kjfk.txt", {}},
      {"nbx_feed_v32_2020072214.txt", "nbx", "CWCD", "nbx_cwcd.txt", {}},
      {"nbp_file_v50_2026092813.txt", "nbp", "KLAX", "nbp_klax.txt", {}},
      {"lav_feed_2020071012.txt", "lav", "PHHI", "lav_phhi.txt", {}},
      {"lav_file_v27_2026100523.txt", "lav", "KNYC", "lav_knyc.txt", {}},
      {"lev_feed_2020071312.txt", "lev", "PHBK", "lev_phbk.txt", {}},
      {"ecs_feed_2020022412.txt", "ecs", "KBAF", "ecs_kbaf.txt", {}},
  };
  for (const Case &c : cases) {
    // Named, and found from the file when no model is given.
    for (bool named : {true, false}) {
      std::vector<std::string> args = {"-id", c.id, data_file(c.bulletin)};
      args.insert(args.end(), c.extra.begin(), c.extra.end());
      if (named) args.insert(args.begin(), {"-mo", c.model});
      Output o = qelmos(args);
      EXPECT_EQ(o.status, 0) << c.table << o.err;
      EXPECT_EQ(o.out, expected(c.table)) << c.table << " named " << named;
      EXPECT_EQ(o.err, "") << c.table;
    }
  }
}

TEST(GridProducts, ByDateThroughTheDataTypesOfTheModels) {
  // The data types of data/name_conv name the model: "nbs_mos" selects NBS,
  // and a type that only holds the letters ("lavender") selects nothing.
  const std::string data = std::string(QEL_SOURCE_DIR) + "/data";
  Output o = qeltest::run_qelmos({"-fp", data, "-dp", data, "-cf", "none", "-if", "nbs_mos", "-id", "KDSM", "21040712"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out, expected("nbs_kdsm.txt"));
  TempDir dir;
  dir.write("name_conv", "lavender %D/%y%m%d%h.lav - 0\n");
  std::filesystem::copy_file(data + "/21040712.nbs", dir.file("21040712.lav"));
  o = qeltest::run_qelmos({"-fp", dir.path(), "-dp", dir.path(), "-if", "lavender", "-id", "KDSM", "21040712"});
  EXPECT_EQ(o.out, expected("nbs_kdsm.txt"));  // no model named: the file's family
}

TEST(GridProducts, JsonOfEveryProduct) {
  struct Case {
    const char *bulletin, *model, *id, *json;
  } cases[] = {
      {"nbs_feed_v40_2021040712.txt", "nbs", "KDSM", "json_nbs_kdsm.jsonl"},
      {"nbh_kjfk_v41_2023101705_stripped.txt", "nbh", "KJFK", "json_nbh_kjfk.jsonl"},
      {"nbe_kjfk_v41_2023101705_stripped.txt", "nbe", "KJFK", "json_nbe_kjfk.jsonl"},
      {"nbx_feed_v32_2020072214.txt", "nbx", "CWCD", "json_nbx_cwcd.jsonl"},
      {"nbp_file_v50_2026092813.txt", "nbp", "KLAX", "json_nbp_klax.jsonl"},
      {"lav_feed_2020071012.txt", "lav", "PHHI", "json_lav_phhi.jsonl"},
      {"lev_feed_2020071312.txt", "lev", "PHBK", "json_lev_phbk.jsonl"},
      {"ecs_feed_2020022412.txt", "ecs", "KBAF", "json_ecs_kbaf.jsonl"},
  };
  for (const Case &c : cases) {
    Output o = qelmos({"-mo", c.model, "-ou", "json", "-id", c.id, data_file(c.bulletin)});
    EXPECT_EQ(o.status, 0) << c.json << o.err;
    EXPECT_EQ(o.out, expected(c.json)) << c.json;
  }
  // Every block of a file, each with its own identifier, in file order.
  Output o = qelmos({"-mo", "nbs", "-ou", "json", "-id", "all", data_file("nbs_file_v50_2026091912.txt")});
  EXPECT_EQ(o.status, 0);
  std::string ids;
  for (size_t at = 0; (at = o.out.find("{\"station\":\"", at)) != std::string::npos; at++)
    ids += o.out.substr(at + 12, o.out.find('"', at + 12) - at - 12) + " ";
  EXPECT_EQ(ids, "086092 188557 220792 2A1 ");
}

TEST(GridProducts, DeliveryFormsReadAlike) {
  // KDSM as the feed delivers it, as a line of a national file (one blank
  // in front of every line, a line "1" and a line of blanks first, blocks
  // parted by a line of blanks), stripped of those blanks, and double-spaced.
  std::string feed = read_file(data_file("nbs_feed_v40_2021040712.txt"));
  std::string block = feed.substr(feed.find("KDSM") - 1);  // the RS before the station line
  std::string national = "1\n" + std::string(74, ' ') + "\n", stripped, spaced;
  for (size_t at = 0; at < block.size();) {
    size_t end = block.find('\n', at);
    std::string line = block.substr(at, end - at);
    if (!line.empty() && line[0] == '\x1e') line.erase(0, 1);
    national += " " + line + "\n";
    stripped += line + "\n";
    spaced += line + "\n\n";
    at = end + 1;
  }
  national += std::string(74, ' ') + "\n";
  TempDir dir;
  std::string want = forecasts(qelmos({"-mo", "nbs", "-ou", "json", "-id", "KDSM", dir.write("feed", feed)}).out);
  ASSERT_NE(want, "");
  for (const char *name : {"national", "stripped", "spaced"}) {
    const std::string &text = name[0] == 'n' ? national : name[1] == 't' ? stripped : spaced;
    Output o = qelmos({"-mo", "nbs", "-ou", "json", "-id", "KDSM", dir.write(name, text)});
    EXPECT_EQ(forecasts(o.out), want) << name;
    EXPECT_NE(o.out.find("\"product\":null,"), std::string::npos) << name;  // no heading in these copies
  }
}

TEST(GridProducts, RunsOfADayAndMissingStations) {
  // Two runs of KDSM in one file: the run asked for, else the first with a
  // warning; "all" writes each block with its own run.
  std::string feed = read_file(data_file("nbs_feed_v40_2021040712.txt"));
  std::string later = feed;
  for (const char *from : {"071200", "4/07/2021  1200"}) {
    std::string to = from[0] == '0' ? "071300" : "4/07/2021  1300";
    later.replace(later.find(from), strlen(from), to);
  }
  TempDir dir;
  std::string day = dir.write("day.txt", feed + later);
  Output o = qelmos({"-id", "KDSM", day + "#2021040713"});
  EXPECT_EQ(o.status, 0);
  EXPECT_NE(o.out.find("Initial time: 13Z  7 APR 21\n"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("   6    7/19Z    69"), std::string::npos) << o.out;
  o = qelmos({"-id", "KDSM", day + "#2021040718"});
  EXPECT_EQ(o.out, expected("nbs_kdsm.txt"));
  EXPECT_EQ(o.err, "KDSM: the file holds the run of 12Z  7 APR 21, not 18Z  7 APR 21\n");
  o = qelmos({"-ou", "json", "-id", "all", day});
  EXPECT_NE(o.out.find("\"run\":\"2021-04-07T12:00:00Z\""), std::string::npos);
  EXPECT_NE(o.out.find("\"run\":\"2021-04-07T13:00:00Z\""), std::string::npos);

  o = qelmos({"-id", "KDSM,KXXX", data_file("nbs_feed_v40_2021040712.txt")});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.out, expected("nbs_kdsm.txt"));
  EXPECT_EQ(o.err, "KXXX: No data found!\n");
}

TEST(GridProducts, BadInputGetsAClearResult) {
  // A hand-made NBS block: a row longer and one shorter than the grid, fields
  // that are no numbers, a row no table knows, values touching, and a
  // missing time row in a second block (the product's own grid then, hours
  // unknown); a third block has no date on its station line (the file's
  // date gives the run) and only its time rows.
  const std::string text =
      "KAAA    NBM V4.0 NBS GUIDANCE    4/07/2021  1200 UTC\n"
      "UTC  18 21 00 03\n"
      "FHR  06 09 12 15\n"
      "TMP  69 68 65 61 58 53 50\n"
      "DPT  57 58\n"
      "WSP  NG***  -  7\n"
      "XYZ   1  2 AB  4\n"
      "CIG -88-88 27 -8\n"
      "\n"
      "KBBB    NBM V4.0 NBS GUIDANCE    4/07/2021  1200 UTC\n"
      "TMP  50 51\n"
      "\n"
      "KCCC    NBM V4.0 NBS GUIDANCE\n"
      "UTC  18 21\n"
      "FHR  06 09\n";
  TempDir dir;
  std::string path = dir.write("bad.txt", text);
  Output o = qelmos({"-mo", "nbs", "-ou", "json", "-id", "all", path + "#2021040800"});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out,
            "{\"station\":\"KAAA\",\"name\":null,\"state\":null,\"lat\":null,\"lon\":null,\"elevation_m\":null,\"model\":\"nbs\",\"product\":null,\"run\":\"2021-04-07T12:00:00Z\",\"version\":\"4.0\","
            "\"forecasts\":[{\"hour\":6,\"valid\":\"2021-04-07T18:00:00Z\",\"temp_f\":69,\"dewpoint_f\":57,"
            "\"wind_speed_kt\":null,\"xyz\":1,\"ceiling_ft\":\"unlimited\"},{\"hour\":9,\"valid\":\"2021-04-07T21:00:"
            "00Z\",\"temp_f\":68,\"dewpoint_f\":58,\"wind_speed_kt\":null,\"xyz\":2,\"ceiling_ft\":\"unlimited\"},{"
            "\"hour\":12,\"valid\":\"2021-04-08T00:00:00Z\",\"temp_f\":65,\"dewpoint_f\":null,\"wind_speed_kt\":null,"
            "\"xyz\":\"AB\",\"ceiling_ft\":2700},{\"hour\":15,\"valid\":\"2021-04-08T03:00:00Z\",\"temp_f\":61,"
            "\"dewpoint_f\":null,\"wind_speed_kt\":7,\"xyz\":4,\"ceiling_ft\":-800}]}\n"
            "{\"station\":\"KBBB\",\"name\":null,\"state\":null,\"lat\":null,\"lon\":null,\"elevation_m\":null,\"model\":\"nbs\",\"product\":null,\"run\":\"2021-04-07T12:00:00Z\",\"version\":\"4.0\","
            "\"forecasts\":[{\"hour\":null,\"valid\":null,\"temp_f\":50},{\"hour\":null,\"valid\":null,\"temp_f\":51}]}\n"
            "{\"station\":\"KCCC\",\"name\":null,\"state\":null,\"lat\":null,\"lon\":null,\"elevation_m\":null,\"model\":\"nbs\",\"product\":null,\"run\":\"2021-04-08T00:00:00Z\",\"version\":\"4.0\","
            "\"forecasts\":[{\"hour\":6,\"valid\":\"2021-04-08T06:00:00Z\"},{\"hour\":9,\"valid\":\"2021-04-08T09:00:00Z\"}]}"
            "\n");
}
