// mos_csv.h: the CSV writer ("-ou csv"). It has the members of the JSON
// writer (mos_json.h), and the object writers of every family are
// templates of their writer, so that a CSV column is a JSON key and cannot
// drift from it. A station's object becomes one CSV line per row object
// (a column of the bulletin: "forecasts" or "days"); the header is fixed
// before the first station, from the keys the family's writer gives.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "mos_json.h"
#include "qelmos.h"

namespace qelcsv {

// What the JSON writers give, as CSV (RFC 4180): the values of the keys
// "station", "model" and "run" of a station's object, then, for each
// object of its rows, the values of its keys in the header's columns,
// empty for null and for a key the row does not give. A pair of values
// ("temp_f": [61, 54]) fills the columns temp_f_1 and temp_f_2. The other
// keys of the station's object (its name and place, product, version) and
// its other members (NBE's "climate") are left out. Each station's lines
// are printed when its object closes, the header before the first.
class Writer {
 public:
  /// Starts the header anew: until end_columns, the keys of the rows of
  /// the objects written become its columns, in the order first met, and
  /// nothing is printed.
  void begin_columns();
  /// Fixes the header. A key of a later row that it lacks is left out,
  /// named once in a warning.
  void end_columns();

  void open(char c);
  void close(char c);
  template <size_t N>
  void key(const char (&k)[N]) {
    key_ = k;
  }
  void key_text(const char *k) { key_ = k; }
  void key(const qeljson::ReadyKey &k) { key_ = k.plain; }
  void null() { put("", 0); }
  void number(int v);
  void real(double v);
  void fixed(int64_t num, int div);
  /// A text of the file: bytes that are not UTF-8 become U+FFFD, as in JSON.
  void text(const char *s);
  /// A text of the module's own.
  void word(const char *s);
  /// A text of the module's own of `n` characters.
  void word(const char *s, size_t n) { word(std::string(s, n).c_str()); }
  template <size_t N>
  void field(const char (&k)[N], int v) {
    key(k);
    number(v);
  }
  template <size_t N>
  void pair(const char (&k)[N], int a, int b) {
    key(k);
    open('[');
    number(a);
    number(b);
    close(']');
  }

 private:
  void put(const char *s, size_t n);
  void quoted(const char *s, size_t n, std::string *out);
  int column(const char *name);
  void end_row();
  void end_station();

  bool collecting_ = false;
  bool header_printed_ = false;
  std::vector<std::string> names_;  // the columns of the rows, after station, model and run
  std::unordered_map<std::string, int> index_;
  std::unordered_set<std::string> left_out_;  // keys named in a warning
  size_t next_ = 0;                           // the column the next key most likely names
  int depth_ = 0;                             // objects and arrays open
  int skip_ = 0;                              // the depth of a member left out, or 0
  int pair_ = -1;                             // values written of the pair at hand
  const char *key_ = "";                      // the key of the value to come
  std::string head_[3];                       // station, model, run
  std::vector<std::string> cells_;            // the row's values
  std::string lines_;                         // the station's lines
  std::string scratch_;
};

/// The CSV writer of the run.
Writer &writer();

}  // namespace qelcsv
