// mos_json.cc: the reports as JSON Lines, one object per station, for
// scripts ("-ou json"): what the tables show, decoded, with the units in
// the key names and every missing value as null. Identifiers and headings
// come from the bulletin file, so the text is written by a JSON library
// that replaces bytes that are not UTF-8 and escapes the rest.

#include <nlohmann/json.hpp>

#include <cstring>
#include <string>

#include "qelmos.h"
#include "qelresrc.h"

namespace {

using Json = nlohmann::ordered_json;

Json value(int v) { return v == QEL_MISS ? Json(nullptr) : Json(v); }

Json text(const char *s) { return s && *s ? Json(s) : Json(nullptr); }

// A character field: one letter, or the two letters of MOS_code2.
Json code_text(int code) {
  if (code == QEL_MISS || code <= ' ') return nullptr;
  char buf[3] = "";
  if (code > 0xff) {
    buf[0] = static_cast<char>(code >> 8);
    buf[1] = static_cast<char>(code & 0xff);
  } else {
    buf[0] = static_cast<char>(code);
  }
  return buf;
}

const char *model_word(int code) {
  switch (code) {
    case MOS_NGM: return "ngm";
    case MOS_NGM_UA: return "ngm_ua";
    case MOS_MRF: return "mrf";
    case MOS_MRFX: return "mrfx";
    case MOS_ETA: return "eta";
    case MOS_ETA_UA: return "eta_ua";
    case MOS_NAM: return "nam";
    case MOS_NAM_UA: return "nam_ua";
    case MOS_AVN: return "avn";
    case MOS_GFS: return "gfs";
    case MOS_GFSX: return "gfsx";
    default: return nullptr;
  }
}

// "2014-01-01T06:00:00Z" for a time in seconds.
Json iso_time(int64_t secs) {
  Date d;
  if (DATE_get_gmdate(&secs, &d) != 0) return nullptr;
  char buf[32];
  snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02dZ", d.year, d.month, d.day, d.hour, d.min, d.sec);
  return buf;
}

// The station, model, product and run of every object; *base is the
// run in seconds, or -1 when neither the bulletin nor the file gives it.
Json head(const char *id, Date *date, int64_t *base) {
  Json j;
  j["station"] = text(id);
  j["model"] = text(model_word(FLAG_get(4)));
  j["product"] = text(MOS_get_product());
  Date run;
  *base = -1;
  if (MOS_get_run(&run)) {
    *base = DATE_num_sec(&run);
  } else if (date && date->year != QEL_MISS) {
    Date d = *date;
    *base = DATE_num_sec(&d);
  }
  j["run"] = *base >= 0 ? iso_time(*base) : Json(nullptr);
  return j;
}

Json valid(int64_t base, int64_t offset) { return base >= 0 ? iso_time(base + offset) : Json(nullptr); }

Json cloud(int cover) {
  switch (cover) {
    case 'C': return "CLR";
    case 'F': return "FEW";
    case 'S': return "SCT";
    case 'B': return "BKN";
    case 'O': return "OVC";
    default: return nullptr;
  }
}

// Temperatures of the upper-air layers: 51 and above stand for below zero.
Json layer_temp(int t) { return t == QEL_MISS ? Json(nullptr) : Json(t >= 51 ? t - 100 : t); }

void put(const Json &j) {
  std::string line = j.dump(-1, ' ', false, Json::error_handler_t::replace);
  MESS_print(M_PRINT, "%s\n", line.c_str());
}

}  // namespace

int MOS_json(Date *date, MOS_report *report) {
  MOS_report &r = *report;
  int64_t base;
  Json j = head(r.id, date, &base);
  Json forecasts = Json::array();
  int num = r.num < 0 ? 0 : r.num > MOS_SLOTS ? MOS_SLOTS : r.num;
  for (int i = 0; i < num; i++) {
    Json f;
    f["hour"] = value(r.hour[i]);
    f["valid"] = r.hour[i] == QEL_MISS ? Json(nullptr) : valid(base, int64_t(r.hour[i]) * 3600);
    f["temp_f"] = value(r.t[i]);
    f["dewpoint_f"] = value(r.td[i]);
    f["wind_dir_deg"] = value(r.w_dir[i]);
    f["wind_speed_kt"] = value(r.w_spd[i]);
    f["cloud"] = cloud(r.cover[i]);
    float cil = MOS_cld_hght(report, i);
    f["ceiling_ft"] = cil != QEL_MISS && cil < 500 ? Json(static_cast<int>(cil * 100)) : Json(nullptr);
    float vis = MOS_vis(report, i);
    f["visibility_mi"] = vis != QEL_MISS ? Json(vis) : Json(nullptr);
    f["obstruction"] = code_text(r.obvis[i]);
    char wx[5];
    MOS_weather6(report, i, wx);
    f["weather"] = text(wx);
    f["max_min_f"] = value(r.ext_t[i]);
    f["pop6_pct"] = value(r.pop6[i]);
    f["pop12_pct"] = value(r.pop12[i]);
    f["qpf6_cat"] = value(r.qpf6[i]);
    f["qpf12_cat"] = value(r.qpf12[i]);
    f["tstm6_pct"] = value(r.pot6[i]);
    f["tstm12_pct"] = value(r.pot12[i]);
    f["svr6_pct"] = value(r.post6[i]);
    f["svr12_pct"] = value(r.post12[i]);
    f["precip_type"] = code_text(r.ptype[i]);
    f["snow6_cat"] = value(r.qsf6[i]);
    f["snow_cat"] = value(r.qsf12[i]);
    forecasts.push_back(std::move(f));
  }
  j["forecasts"] = std::move(forecasts);
  put(j);
  return 0;
}

int MOSU_json(Date *date, MOSU_report *report) {
  MOSU_report &r = *report;
  int64_t base;
  Json j = head(r.id, date, &base);
  Json forecasts = Json::array();
  int rows = MOSU_rows(report);
  for (int row = 0; row < rows; row++) {
    Json f;
    f["hour"] = value(r.hour[row]);
    f["valid"] = r.hour[row] == QEL_MISS ? Json(nullptr) : valid(base, int64_t(r.hour[row]) * 3600);
    f["pressure_hpa"] = value(r.psl[row]);
    f["precip_in"] = r.prec[row] == QEL_MISS ? Json(nullptr) : Json(r.prec[row] / 100.0);
    f["wind_dir_deg"] = value(r.dir[row]);
    f["wind_speed_kt"] = value(r.spd[row]);
    f["thickness_m"] = value(r.hght[row]);
    f["lifted_index"] = value(r.li[row]);
    f["vertical_velocity"] = r.vert[row] == QEL_MISS ? Json(nullptr) : Json(r.vert[row] / 10.0);
    for (int k = 1; k <= 3; k++) f["t" + std::to_string(k) + "_c"] = layer_temp(r.t[row][k]);
    for (int k = 1; k <= 3; k++) f["rh" + std::to_string(k) + "_pct"] = value(r.rh[row][k]);
    forecasts.push_back(std::move(f));
  }
  j["forecasts"] = std::move(forecasts);
  put(j);
  return 0;
}

int MOSM_json(Date *date, MOSM_report *report) {
  MOSM_report &r = *report;
  int64_t base;
  Json j = head(r.id, date, &base);
  Json days = Json::array();
  auto halves = [](const int32_t (&v)[2]) { return Json::array({value(v[0]), value(v[1])}); };
  for (int d = 0; d < 8; d++) {
    Json f;
    f["day"] = value(r.day[d]);
    f["valid"] = r.day[d] == QEL_MISS ? Json(nullptr) : valid(base, int64_t(r.day[d]) * 86400);
    f["max_f"] = value(r.max[d]);
    f["normal_max_f"] = value(r.nmax[d]);
    f["min_f"] = value(r.min[d]);
    f["normal_min_f"] = value(r.nmin[d]);
    // Temperatures of 999 are the bulletin's missing values too.
    auto temps = [](const int32_t (&v)[2]) {
      return Json::array({v[0] > 900 ? Json(nullptr) : value(v[0]), v[1] > 900 ? Json(nullptr) : value(v[1])});
    };
    f["temp_f"] = temps(r.t[d]);
    f["dewpoint_f"] = temps(r.td[d]);
    f["cloud"] = halves(r.cover[d]);
    f["wind_speed"] = halves(r.w_spd[d]);
    f["pop12_pct"] = halves(r.pop12[d]);
    f["pop24_pct"] = value(r.pop24[d]);
    f["snow_cond_pct"] = halves(r.pos12[d]);
    days.push_back(std::move(f));
  }
  j["days"] = std::move(days);
  put(j);
  return 0;
}

namespace {

// Prints every station of the bulletin file in file order with the
// family's reader; false when there is none.
template <typename Report>
bool all_stations(Date *date, int (*reader)(int, Report *, int, int *), int (*print)(Date *, Report *)) {
  int ind = MOS_open(date);
  Report report;
  int found = 0;
  for (int k = 0; reader(ind, &report, MOS_READ_FULL, &k) != -1; k++) {
    if (!report.id[0]) continue;  // the missing right half of an upper-air pair
    print(date, &report);
    found++;
  }
  MOS_close(ind);
  return found > 0;
}

template <typename Report>
bool one_station(Date *date, const char *id, int (*get)(Date *, const char *, Report *),
                 int (*print)(Date *, Report *)) {
  Report report;
  if (get(date, id, &report) != 1) return false;
  print(date, &report);
  return true;
}

}  // namespace

int MOS_json_stations(Date *date, const char *ids) {
  int code = FLAG_get(4);
  bool upper = code == MOS_NGM_UA || code == MOS_ETA_UA || code == MOS_NAM_UA;
  bool extended = code == MOS_MRFX;
  bool station = code == MOS_NGM || code == MOS_ETA || code == MOS_NAM || code == MOS_AVN || code == MOS_MRF ||
                 code == MOS_GFS || code == MOS_GFSX;
  if (!upper && !extended && !station) return 1;  // no output form for this model
  if (!ids) ids = "";

  if (stricmp(ids, "all") == 0) {
    bool any = upper      ? all_stations(date, MOSU_read, MOSU_json)
               : extended ? all_stations(date, MOSM_read, MOSM_json)
                          : all_stations(date, MOS_read, MOS_json);
    if (!any) MESS_print(M_WARN, "No data found!\n");
    return any ? 1 : 0;
  }

  int n = 0;
  char **list = nullptr;
  parse_string(ids, ',', &n, &list);
  int missing = 0;
  for (int i = 0; i < n; i++) {
    const char *id = list[i];
    bool found = upper      ? one_station(date, id, MOSU_get_station, MOSU_json)
                 : extended ? one_station(date, id, MOSM_get_station, MOSM_json)
                            : one_station(date, id, MOS_get_station, MOS_json);
    if (found) continue;
    missing++;
    if (n == 1)
      MESS_print(M_WARN, "No data found!\n");
    else
      MESS_print(M_WARN, "%s: No data found!\n", id);
  }
  if (n == 0) MESS_print(M_WARN, "No data found!\n");
  free_parsed_array(n, list);
  return n > 0 && missing == 0 ? 1 : 0;
}
