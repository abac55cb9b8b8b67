// mos_csv.cc: CSV output ("-ou csv"): the CSV writer that the object
// writers of mos_json.cc and mos_json_grid.cc are given in place of the
// JSON writer, and the header of a family, made by writing one report of
// the family (for the fixed-grid products one that holds every row of the
// product's table, for NBP with every statistic) into it. State: the one
// writer of the run, with its header.

#include <nlohmann/json.hpp>

#include <charconv>
#include <cstring>

#include "mos_csv.h"
#include "mos_grid.h"
#include "mos_json.h"

namespace {

// The keys of a station's object that lead every line.
const char *const kHead[3] = {"station", "model", "run"};

qelcsv::Writer csv;

}  // namespace

qelcsv::Writer &qelcsv::writer() { return csv; }

void qelcsv::Writer::begin_columns() {
  collecting_ = true;
  header_printed_ = false;
  names_.clear();
  index_.clear();
  left_out_.clear();
  next_ = 0;
  depth_ = skip_ = 0;
}

void qelcsv::Writer::end_columns() {
  collecting_ = false;
  cells_.assign(names_.size(), std::string());
  next_ = 0;
  depth_ = skip_ = 0;
}

void qelcsv::Writer::open(char c) {
  depth_++;
  if (skip_) return;
  switch (depth_) {
    case 1:  // a station
      for (std::string &h : head_) h.clear();
      lines_.clear();
      break;
    case 2:  // its rows; another member (NBE's "climate") is left out
      if (c != '[') skip_ = depth_;
      break;
    case 3:  // a row
      if (c != '{') skip_ = depth_;
      next_ = 0;
      break;
    case 4:  // a pair of a row
      if (c == '[')
        pair_ = 0;
      else
        skip_ = depth_;
      break;
    default: skip_ = depth_;
  }
}

void qelcsv::Writer::close(char) {
  if (skip_) {
    if (depth_ == skip_) skip_ = 0;
    depth_--;
    return;
  }
  if (depth_ == 4) pair_ = -1;
  if (depth_ == 3) end_row();
  if (depth_ == 1) end_station();
  if (depth_ > 0) depth_--;
}

void qelcsv::Writer::number(int v) {
  if (v == QEL_MISS) return put("", 0);
  char buf[16];
  put(buf, static_cast<size_t>(std::to_chars(buf, buf + sizeof buf, v).ptr - buf));
}

void qelcsv::Writer::real(double v) {
  char buf[40];
  put(buf, static_cast<size_t>(qeljson::put_real(buf, v) - buf));
}

void qelcsv::Writer::fixed(int64_t num, int div) {
  char buf[32];
  put(buf, static_cast<size_t>(qeljson::put_fixed(buf, num, div) - buf));
}

void qelcsv::Writer::text(const char *s) {
  if (!s || !*s) return put("", 0);
  const char *e = s;
  while (*e >= ' ' && *e <= '~') e++;
  if (*e == '\0') return word(s);
  // Bytes that are not printable ASCII: made valid UTF-8 by the JSON
  // library, as in the JSON output, and read back.
  std::string escaped = nlohmann::json(s).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
  std::string repaired = nlohmann::json::parse(escaped).get<std::string>();
  quoted(repaired.data(), repaired.size(), &scratch_);
  put(scratch_.data(), scratch_.size());
}

void qelcsv::Writer::word(const char *s) {
  if (!s) return put("", 0);
  quoted(s, strlen(s), &scratch_);
  put(scratch_.data(), scratch_.size());
}

// A field as RFC 4180 wants it: in double quotes, its quotes doubled,
// only when it holds a comma, a double quote or a line end.
void qelcsv::Writer::quoted(const char *s, size_t n, std::string *out) {
  out->assign(s, n);
  if (out->find_first_of(",\"\r\n") == std::string::npos) return;
  out->clear();
  out->push_back('"');
  for (size_t i = 0; i < n; i++) {
    if (s[i] == '"') out->push_back('"');
    out->push_back(s[i]);
  }
  out->push_back('"');
}

// The column of a row's key, or -1. While the header is made, a new key
// becomes a column.
int qelcsv::Writer::column(const char *name) {
  if (next_ < names_.size() && names_[next_] == name) return static_cast<int>(next_++);
  auto it = index_.find(name);
  if (it != index_.end()) {
    next_ = static_cast<size_t>(it->second) + 1;
    return it->second;
  }
  if (collecting_) {
    int n = static_cast<int>(names_.size());
    names_.emplace_back(name);
    index_.emplace(name, n);
    next_ = names_.size();
    return n;
  }
  if (left_out_.insert(name).second)
    MESS_print(M_WARN, "CSV: no column for '%s' (a row no table knows): left out\n", name);
  return -1;
}

void qelcsv::Writer::put(const char *s, size_t n) {
  if (skip_) return;
  if (depth_ == 1) {
    for (int i = 0; i < 3; i++)
      if (strcmp(key_, kHead[i]) == 0) head_[i].assign(s, n);
    return;
  }
  int col = -1;
  if (depth_ == 3) {
    col = column(key_);
  } else if (depth_ == 4 && pair_ >= 0) {
    char name[80];
    snprintf(name, sizeof name, "%s_%d", key_, ++pair_);
    col = column(name);
  }
  if (col >= 0 && !collecting_) cells_[static_cast<size_t>(col)].assign(s, n);
}

void qelcsv::Writer::end_row() {
  if (collecting_) return;
  for (int i = 0; i < 3; i++) {
    if (i) lines_ += ',';
    lines_ += head_[i];
  }
  for (std::string &cell : cells_) {
    lines_ += ',';
    lines_ += cell;
    cell.clear();
  }
  lines_ += '\n';
}

void qelcsv::Writer::end_station() {
  if (collecting_) return;
  if (!header_printed_) {
    std::string header;
    for (const char *h : kHead) header += std::string(header.empty() ? "" : ",") + h;
    for (const std::string &name : names_) {
      quoted(name.data(), name.size(), &scratch_);
      header += ',' + scratch_;
    }
    MESS_print(M_PRINT, "%s\n", header.c_str());
    header_printed_ = true;
  }
  MESS_print(M_PRINT, "%s", lines_.c_str());
  lines_.clear();
}

namespace {

// A grid block that holds every row of the product's table (for NBP every
// element with every statistic), written in batches of the rows a report
// holds.
void grid_columns(const GridProduct &p) {
  static MOSG_report r;
  auto batch = [&]() {
    if (r.nrows > 0) MOSG_csv(nullptr, &r);
    memset(&r, 0, sizeof r);
    r.model = p.code;
    DATE_init(&r.run);
    r.ncols = 1;
    r.hour[0] = QEL_MISS;
    r.valid[0] = -1;
  };
  batch();
  bool stats = p.label_width == 5;
  for (int e = 0; e < p.n_elements; e++) {
    for (int s = stats ? MOSG_STAT_MEAN : MOSG_STAT_NONE; s <= (stats ? MOSG_STAT_P90 : MOSG_STAT_NONE); s++) {
      if (r.nrows == MOSG_ROWS) batch();
      MOSG_row &row = r.rows[r.nrows++];
      // The label only tells the flight category's rows (CIG, VIS) apart;
      // NBP's, with a statistic, are none of them.
      snprintf(row.label, sizeof row.label, "%s%s", p.elements[e].label, stats ? "S" : "");
      row.element = static_cast<int16_t>(e);
      row.stat = static_cast<int16_t>(s);
      for (MOSG_cell &cell : row.cell) cell.num = QEL_MISS;
    }
  }
  batch();
}

}  // namespace

int MOS_csv_begin(int code) {
  qelcsv::Writer &w = qelcsv::writer();
  w.begin_columns();
  int known = 1;
  switch (MOS_model_family(code)) {
    case MOS_FAMILY_GRID: grid_columns(*grid_product(code)); break;
    case MOS_FAMILY_STATION: {
      MOS_report r;
      memset(&r, 0, sizeof r);
      r.model = code;
      MOS_initialize(&r);
      r.num = 1;
      r.hour[0] = 6;
      MOS_csv(nullptr, &r);
      break;
    }
    case MOS_FAMILY_UPPER: {
      MOSU_report r;
      memset(&r, 0, sizeof r);
      MOSU_initialize(&r);
      MOSU_csv(nullptr, &r);
      break;
    }
    case MOS_FAMILY_EXTENDED: {
      MOSM_report r;
      memset(&r, 0, sizeof r);
      MOSM_initialize(&r);
      MOSM_csv(nullptr, &r);
      break;
    }
    default: known = 0;
  }
  w.end_columns();
  return known;
}
