// A real bulletin cut at every byte, as a feed file is caught while it is
// being written: every prefix gives the station's table, or no station at
// all, and never a value the bulletin does not hold (a number cut short, a
// warning, anything else).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <sstream>
#include <string>
#include <vector>

#include "qelmos.h"
#include "test_util.h"

using qeltest::TempDir;

namespace {

std::vector<std::string> lines_of(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

// Why the table of a prefix is not a part of the whole file's table, or
// "": each line is a line of the whole table (the same hour and time) with
// some of its values left blank. The weather column is left out: without
// the precipitation-type row it is told from the temperature instead.
std::string not_part_of(const std::string &table, const std::vector<std::string> &whole) {
  std::vector<std::string> lines = lines_of(table);
  if (lines.empty() || lines[0] != whole[0]) return "no heading";
  size_t wx = whole[0].find(" WX ");
  for (size_t i = 1; i < lines.size(); i++) {
    const std::string &l = lines[i];
    const std::string *match = nullptr;
    for (const std::string &w : whole)
      if (w.size() == l.size() && w.compare(0, 14, l, 0, 14) == 0) match = &w;
    if (!match) return "no such line: " + l;
    for (size_t c = 0; c < l.size(); c++) {
      bool weather = wx != std::string::npos && c + 2 >= wx && c < wx + 5;
      if (!weather && l[c] != ' ' && l[c] != (*match)[c]) return "other value: " + l + " for " + *match;
    }
  }
  return "";
}

}  // namespace

// Standard output and error sent to files for a whole loop; take() gives
// what each stream got since the last take().
class Sinks {
 public:
  explicit Sinks(const TempDir &dir) {
    fflush(stdout);
    fflush(stderr);
    for (int i = 0; i < 2; i++) {
      saved_[i] = dup(i + 1);
      fd_[i] = open(dir.file(i ? "err" : "out").c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
      dup2(fd_[i], i + 1);
    }
  }
  ~Sinks() {
    fflush(stdout);
    fflush(stderr);
    for (int i = 0; i < 2; i++) {
      dup2(saved_[i], i + 1);
      close(saved_[i]);
      close(fd_[i]);
    }
  }
  std::string take(int i) {
    fflush(i ? stderr : stdout);
    std::string got;
    char buf[4096];
    ssize_t n;
    while ((n = pread(fd_[i], buf, sizeof buf, at_[i])) > 0) {
      got.append(buf, static_cast<size_t>(n));
      at_[i] += n;
    }
    return got;
  }

 private:
  int saved_[2] = {-1, -1}, fd_[2] = {-1, -1};
  off_t at_[2] = {0, 0};
};

TEST(Truncation, EveryPrefixOfARealBulletin) {
  struct Case {
    const char *file;
    int model;
    const char *id;
  };
  // The last station of each file: every cut falls before its end.
  const Case cases[] = {
      {"gfs_mav_fous26_00z.txt", MOS_GFS, "KELN"},    // LF line ends
      {"gfsx_mex_feus23_12z.txt", MOS_GFSX, "KYIP"},  // feed framing, CR CR LF
  };
  MESS_set(0, M_WARN);  // warnings stay on, the "Parsing" lines go
  TempDir dir;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.file);
    std::string text = qeltest::read_file(qeltest::data_file(c.file));
    ASSERT_GT(text.size(), 1000u);
    FLAG_set(4, c.model);
    PAR_set_in_file("");
    std::string path = dir.write("cut.txt", text);
    std::vector<std::string> problems, whole;
    int tables = 0;
    {
      Sinks sinks(dir);
      // 1 for a table, 0 for no station, -1 for anything else.
      auto retrieve = [&](std::string *table) {
        char name[QEL_NAME_LEN];
        FILE_set_file(path.c_str(), name);
        Date d;
        DATE_init(&d);
        MOS_report r;
        int got = MOS_get_station(&d, c.id, &r);
        if (got == 1) MOS_print(&d, &r);
        *table = sinks.take(0);
        std::string err = sinks.take(1);
        return got == 1 && err.empty() ? 1 : got == 0 && table->empty() && err.empty() ? 0 : -1;
      };
      std::string full;
      if (retrieve(&full) != 1) problems.push_back("no table from the whole file");
      whole = lines_of(full);
      for (size_t n = text.size(); n-- > 0 && problems.size() < 5;) {  // shorter and shorter
        if (truncate(path.c_str(), static_cast<off_t>(n)) != 0) problems.push_back("truncate failed");
        std::string table;
        int got = retrieve(&table);
        std::string why = got < 0 ? "neither a table nor no station:\n" + table : got ? not_part_of(table, whole) : "";
        if (!why.empty()) problems.push_back("cut at " + std::to_string(n) + ": " + why);
        tables += got == 1;
      }
    }
    EXPECT_GT(whole.size(), 5u);
    EXPECT_EQ(problems, std::vector<std::string>{});
    EXPECT_GT(tables, 100);
  }
}

// The same for the fixed-grid products, compared as JSON: every value that
// a prefix gives is the whole file's value of that key and column.
TEST(Truncation, EveryPrefixOfARealGridProduct) {
  struct Case {
    const char *file;
    int model;
    const char *id;
  };
  const Case cases[] = {
      {"nbs_file_v50_2026091912.txt", MOS_NBS, "2A1"},    // national file: leading blanks, LF
      {"nbe_feed_v32_2020072214.txt", MOS_NBE, "CLHC1"},  // feed framing, CR CR LF, climatology
      {"lav_feed_2020071012.txt", MOS_LAV, "PHJH"},       // 81-character lines, codes
  };
  MESS_set(0, M_WARN);
  TempDir dir;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.file);
    std::string text = qeltest::read_file(qeltest::data_file(c.file));
    FLAG_set(4, c.model);
    PAR_set_in_file("");
    std::string path = dir.write("cut.txt", text);
    std::vector<std::string> problems;
    int found = 0;
    {
      Sinks sinks(dir);
      auto retrieve = [&](nlohmann::json *obj) {
        char name[QEL_NAME_LEN];
        FILE_set_file(path.c_str(), name);
        Date d;
        DATE_init(&d);
        static MOSG_report r;
        int got = MOSG_get_station(&d, c.id, &r);
        if (got == 1) MOSG_json(&d, &r);
        std::string out = sinks.take(0), err = sinks.take(1);
        if (!err.empty() || (got == 1) == out.empty()) return -1;
        if (got == 1) *obj = nlohmann::json::parse(out);
        return got;
      };
      nlohmann::json whole;
      if (retrieve(&whole) != 1) problems.push_back("no object from the whole file");
      for (size_t n = text.size(); n-- > 0 && problems.size() < 5;) {
        if (truncate(path.c_str(), static_cast<off_t>(n)) != 0) problems.push_back("truncate failed");
        nlohmann::json part;
        int got = retrieve(&part);
        if (got < 0) problems.push_back("cut at " + std::to_string(n) + ": neither an object nor no station");
        if (got != 1) continue;
        found++;
        const auto &cols = part["forecasts"], &all = whole["forecasts"];
        for (size_t k = 0; k < cols.size(); k++)
          for (const auto &[key, value] : cols[k].items()) {
            bool same = k < all.size() && all[k].contains(key) && all[k][key] == value;
            if (!value.is_null() && !same)
              problems.push_back("cut at " + std::to_string(n) + ": " + key + " of column " + std::to_string(k) + " is " +
                                 value.dump());
          }
      }
    }
    EXPECT_EQ(problems, std::vector<std::string>{});
    EXPECT_GT(found, 100);
  }
}
