// mos_json.cc: the reports as JSON Lines, one object per station, for
// scripts ("-ou json"): what the tables show, decoded, with the units in
// the key names and every missing value as null. Identifiers and headings
// come from the bulletin file, so the text is written by a JSON library
// that replaces bytes that are not UTF-8 and escapes the rest. The same
// object writers, given the CSV writer (mos_csv.h), make the CSV lines
// ("-ou csv"), so that its columns are the JSON keys.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "mos_csv.h"
#include "mos_json.h"
#include "qelresrc.h"

namespace {

using qeljson::Writer;

// The times of the last few stations as texts (every station of a product
// has the same times), indexed by the hour.
struct KeptTime {
  int64_t secs = -1;
  char text[32] = "";
};

// What the writer keeps from one object to the next.
struct JsonState {
  std::vector<char> line;  // the storage of every object
  KeptTime times[64];
  KeptTime local_times[64];  // the same in the zone of local times
};
JsonState js;

}  // namespace

std::vector<char> &qeljson::line_storage() { return js.line; }

const char *qeljson::iso_text(int64_t secs) {
  if (secs < 0) return nullptr;
  KeptTime &k = js.times[static_cast<uint64_t>(secs / 3600) % 64];
  if (k.secs != secs) {
    Date d;
    if (DATE_get_gmdate(&secs, &d) != 0) return nullptr;
    snprintf(k.text, sizeof k.text, "%04d-%02d-%02dT%02d:%02d:%02dZ", d.year, d.month, d.day, d.hour, d.min, d.sec);
    k.secs = secs;
  }
  return k.text;
}

const char *qeljson::local_text(int64_t secs) {
  if (secs < 0) return nullptr;
  KeptTime &k = js.local_times[static_cast<uint64_t>(secs / 3600) % 64];
  if (k.secs != secs) {
    Date d;
    int32_t off = 0;
    if (DATE_get_zonedate(secs, &d, nullptr, 0, &off) != 0) return nullptr;
    int mins = (off < 0 ? -off : off) / 60;
    snprintf(k.text, sizeof k.text, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", d.year, d.month, d.day, d.hour, d.min,
             d.sec, off < 0 ? '-' : '+', mins / 60, mins % 60);
    k.secs = secs;
  }
  return k.text;
}

namespace {

using qeljson::iso_time;

// A character field: one letter, or the two letters of MOS_code2.
template <class W>
void code_text(W &w, int code) {
  if (code == QEL_MISS || code <= ' ' || code > 0xffff) return w.null();
  char buf[3] = "";
  if (code > 0xff) {
    buf[0] = static_cast<char>(code >> 8);
    buf[1] = static_cast<char>(code & 0xff);
  } else {
    buf[0] = static_cast<char>(code);
  }
  w.text(buf);
}

// Opens the object with its station (and the station table's name and
// place of it), model, product and run, then the
// array of its rows under `rows`; returns the run in seconds, or -1 when
// neither the bulletin nor the file gives it.
template <class W, size_t N>
int64_t head(W &w, const char *id, Date *date, const char (&rows)[N]) {
  w.open('{');
  w.key("station"), w.text(id);
  qeljson::station_keys(w, id);
  w.key("model"), w.word(MOS_model_word(FLAG_get(FLAG_MODEL)));
  w.key("product"), w.text(MOS_get_product());
  Date run;
  int64_t base = -1;
  if (MOS_get_run(&run)) {
    base = DATE_num_sec(&run);
  } else if (date && date->year != QEL_MISS) {
    Date d = *date;
    base = DATE_num_sec(&d);
  }
  w.key("run"), iso_time(w, base);
  w.key(rows);
  w.open('[');
  return base;
}

// The hour (or day) of a row and its valid time (and local time).
template <class W, size_t N>
void when(W &w, const char (&k)[N], int value, int64_t base, int64_t unit) {
  w.field(k, value);
  qeljson::valid(w, value == QEL_MISS || base < 0 ? -1 : base + int64_t(value) * unit);
}


// A number of hundredths or tenths as a decimal.
template <class W, size_t N>
void scaled(W &w, const char (&k)[N], int v, double div) {
  w.key(k);
  if (v == QEL_MISS) return w.null();
  w.real(v / div);
}

// The object of a station report (its rows under "forecasts").
template <class W>
void station_object(W &w, Date *date, MOS_report *report) {
  MOS_report &r = *report;
  int64_t base = head(w, r.id, date, "forecasts");
  int num = r.num < 0 ? 0 : r.num > MOS_SLOTS ? MOS_SLOTS : r.num;
  for (int i = 0; i < num; i++) {
    w.open('{');
    when(w, "hour", r.hour[i], base, 3600);
    w.field("temp_f", r.t[i]);
    w.field("dewpoint_f", r.td[i]);
    w.field("wind_dir_deg", r.w_dir[i]);
    w.field("wind_speed_kt", r.w_spd[i]);
    w.key("cloud"), w.word(MOS_cloud_word(r.cover[i]));
    float cil = MOS_cld_hght(report, i);
    w.field("ceiling_ft", cil != QEL_MISS && cil < 500 ? static_cast<int>(cil * 100) : QEL_MISS);
    float vis = MOS_vis(report, i);
    w.key("visibility_mi");
    if (vis != QEL_MISS)
      w.real(vis);
    else
      w.null();
    w.key("flight_category"), w.word(MOS_flight_text(MOS_flight_slot(report, i)));
    w.key("obstruction"), code_text(w, r.obvis[i]);
    char wx[5];
    MOS_weather6(report, i, wx);
    w.key("weather"), w.text(wx);
    w.field("max_min_f", r.ext_t[i]);
    w.field("pop6_pct", r.pop6[i]);
    w.field("pop12_pct", r.pop12[i]);
    w.field("qpf6_cat", r.qpf6[i]);
    w.field("qpf12_cat", r.qpf12[i]);
    w.field("tstm6_pct", r.pot6[i]);
    w.field("tstm12_pct", r.pot12[i]);
    w.field("svr6_pct", r.post6[i]);
    w.field("svr12_pct", r.post12[i]);
    w.key("precip_type"), code_text(w, r.ptype[i]);
    w.field("snow6_cat", r.qsf6[i]);
    w.field("snow_cat", r.qsf12[i]);
    w.close('}');
  }
  w.close(']');
  w.close('}');
}

// The object of an upper-air report.
template <class W>
void upper_object(W &w, Date *date, MOSU_report *report) {
  MOSU_report &r = *report;
  int64_t base = head(w, r.id, date, "forecasts");
  int rows = MOSU_rows(report);
  for (int row = 0; row < rows; row++) {
    w.open('{');
    when(w, "hour", r.hour[row], base, 3600);
    w.field("pressure_hpa", r.psl[row]);
    scaled(w, "precip_in", r.prec[row], 100.0);
    w.field("wind_dir_deg", r.dir[row]);
    w.field("wind_speed_kt", r.spd[row]);
    w.field("thickness_m", r.hght[row]);
    w.field("lifted_index", r.li[row]);
    scaled(w, "vertical_velocity", r.vert[row], 10.0);
    // Layer temperatures of 51 and above stand for below zero.
    auto temp = [&](int k) { return r.t[row][k] != QEL_MISS && r.t[row][k] >= 51 ? r.t[row][k] - 100 : r.t[row][k]; };
    w.field("t1_c", temp(1));
    w.field("t2_c", temp(2));
    w.field("t3_c", temp(3));
    w.field("rh1_pct", r.rh[row][1]);
    w.field("rh2_pct", r.rh[row][2]);
    w.field("rh3_pct", r.rh[row][3]);
    w.close('}');
  }
  w.close(']');
  w.close('}');
}

// The object of an extended-range report (its days under "days").
template <class W>
void extended_object(W &w, Date *date, MOSM_report *report) {
  MOSM_report &r = *report;
  int64_t base = head(w, r.id, date, "days");
  // Temperatures of 999 are the bulletin's missing values too.
  auto temp = [](int v) { return v > 900 ? QEL_MISS : v; };
  for (int d = 0; d < 8; d++) {
    w.open('{');
    when(w, "day", r.day[d], base, 86400);
    w.field("max_f", r.max[d]);
    w.field("normal_max_f", r.nmax[d]);
    w.field("min_f", r.min[d]);
    w.field("normal_min_f", r.nmin[d]);
    w.pair("temp_f", temp(r.t[d][0]), temp(r.t[d][1]));
    w.pair("dewpoint_f", temp(r.td[d][0]), temp(r.td[d][1]));
    w.pair("cloud", r.cover[d][0], r.cover[d][1]);
    w.pair("wind_speed", r.w_spd[d][0], r.w_spd[d][1]);
    w.pair("pop12_pct", r.pop12[d][0], r.pop12[d][1]);
    w.field("pop24_pct", r.pop24[d]);
    w.pair("snow_cond_pct", r.pos12[d][0], r.pos12[d][1]);
    w.close('}');
  }
  w.close(']');
  w.close('}');
}

}  // namespace

int MOS_json(Date *date, MOS_report *report) {
  Writer w;
  station_object(w, date, report);
  MESS_print(M_PRINT, "%s", w.line());
  return 0;
}

int MOSU_json(Date *date, MOSU_report *report) {
  Writer w;
  upper_object(w, date, report);
  MESS_print(M_PRINT, "%s", w.line());
  return 0;
}

int MOSM_json(Date *date, MOSM_report *report) {
  Writer w;
  extended_object(w, date, report);
  MESS_print(M_PRINT, "%s", w.line());
  return 0;
}

int MOS_csv(Date *date, MOS_report *report) {
  station_object(qelcsv::writer(), date, report);
  return 0;
}
int MOSU_csv(Date *date, MOSU_report *report) {
  upper_object(qelcsv::writer(), date, report);
  return 0;
}
int MOSM_csv(Date *date, MOSM_report *report) {
  extended_object(qelcsv::writer(), date, report);
  return 0;
}

