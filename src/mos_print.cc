// mos_print.cc: the report printers: the forecast tables of the three
// report families with the category decoders they show (ceiling,
// visibility, snowfall, weather text), and the compact "zim_fore" lines.
// They need only the messages and the dates.
//
// Module settings (PrintOptions): `every_slot` (the full table: every
// slot) and `miss_dash` (dashes for missing values), set once from the
// "parameter" resource by MOS_in_file.

#include <cstdio>
#include <initializer_list>

#include "qelmos.h"

namespace {

struct PrintOptions {
  int every_slot = 0;  // "full": every slot instead of every other one
  int miss_dash = 0;   // "prdash": missing values print as a dash
  int width = 1200;    // "size=": the meteogram's pictures, in pixels
  int height = 800;
};
PrintOptions opts;

}  // namespace

// ---------------------------------------------------------------------------
// Print options and rows

int MOS_set_print_options(int full, int dash) {
  opts.every_slot = full;
  opts.miss_dash = dash;
  return 0;
}

int MOS_plot_set_size(const char *text) {
  constexpr int kMinSide = 320, kMaxSide = 4000;
  int w = 0, h = 0, used = 0;
  if (!text || sscanf(text, "%5d%*[xX]%5d%n", &w, &h, &used) != 2 || text[used] != '\0') return 0;
  if (w < kMinSide || h < kMinSide * 3 / 4 || w > kMaxSide || h > kMaxSide) return 0;
  opts.width = w;
  opts.height = h;
  return 1;
}

int MOS_plot_get_size(int *width, int *height) {
  if (width) *width = opts.width;
  if (height) *height = opts.height;
  return 0;
}

int MOS_get_print_options(int *full, int *dash) {
  if (full) *full = opts.every_slot;
  if (dash) *dash = opts.miss_dash;
  return 0;
}

int MOSU_rows(const MOSU_report *r) {
  // Hours 0 to 48 always; the later rows of the longer runs when read.
  int rows = 9;
  for (int row = 9; row < 13; row++) {
    bool read = false;
    for (int v : {r->prec[row], r->psl[row], r->dir[row], r->spd[row], r->hght[row], r->li[row], r->vert[row],
                  r->t[row][1], r->t[row][2], r->t[row][3], r->rh[row][1], r->rh[row][2], r->rh[row][3]})
      if (v != QEL_MISS) read = true;
    if (!read) break;
    rows = row + 1;
  }
  return rows;
}

// ---------------------------------------------------------------------------
// Category decoders

float MOS_cld_hght(MOS_report *report, int ind) {
  if (ind < 0 || ind >= MOS_SLOTS || report->cover[ind] == 'C') return QEL_MISS;
  static const float kNgm[8] = {1, 3, 7, 20, 50, 100, 250, -9999};
  static const float kOther[8] = {1, 3, 7, 15, 25, 50, 100, 250};
  int cat = report->hght[ind];
  if (cat >= 1 && cat <= 8) return (report->model == MOS_NGM ? kNgm : kOther)[cat - 1];
  if (cat == 9) return 500;
  return QEL_MISS;
}

float MOS_vis(MOS_report *report, int ind) {
  if (ind < 0 || ind >= MOS_SLOTS) return QEL_MISS;
  static const float kNgm[7] = {0.25f, 0.75f, 2, 4, 10, -9999, -9999};
  static const float kOther[7] = {0.125f, 0.375f, 0.75f, 2, 4, 6, 10};
  int cat = report->vis[ind];
  if (cat >= 1 && cat <= 7) return (report->model == MOS_NGM ? kNgm : kOther)[cat - 1];
  return QEL_MISS;
}

float MOS_snow6(MOS_report *report, int ind) {
  if (ind < 0 || ind >= MOS_SLOTS) return QEL_MISS;
  if (report->model == MOS_NGM && report->qsf6[ind] > 0) return static_cast<float>(report->qsf6[ind]);
  return QEL_MISS;
}

float MOS_snow12(MOS_report *report, int ind) {
  if (ind < 0 || ind >= MOS_SLOTS) return QEL_MISS;
  int m = report->model;
  if ((m == MOS_NGM || m == MOS_NAM || m == MOS_GFS || m == MOS_ECS || m == MOS_GFSX) && report->qsf12[ind] > 0)
    return static_cast<float>(report->qsf12[ind]);
  return QEL_MISS;
}

int MOS_weather6(MOS_report *report, int ind, char *wx6) {
  wx6[0] = '\0';
  if (ind < 0 || ind >= MOS_SLOTS) return 0;
  const MOS_report &r = *report;
  auto set = [wx6](const char *text) { str_copy(wx6, text, 5); };

  if (r.pop6[ind] < 25) {  // a missing value counts as below
    // Fog and mist under the fog condition, haze and blowing under the
    // haze one; today's bulletins write two letters, the NGM one.
    int ob = r.obvis[ind];
    bool fog_vis = r.vis[ind] > 0 && r.vis[ind] < 4;
    bool haze_vis = r.vis[ind] > 0 && r.vis[ind] < 5;
    if (fog_vis && (ob == 'F' || ob == MOS_code2('F', 'G'))) set("F");
    if (fog_vis && ob == MOS_code2('B', 'R')) set("BR");
    if (haze_vis && (ob == 'H' || ob == MOS_code2('H', 'Z'))) set("H");
    if (haze_vis && ob == MOS_code2('B', 'L')) set("BL");
    return 0;
  }
  if (r.post6[ind] >= 21) {
    set("TRW+");
    return 0;
  }
  if (r.pot6[ind] >= 31 || (ind + 2 < MOS_SLOTS && r.pot6[ind + 2] >= 31)) {
    set("TRW-");
    return 0;
  }

  bool cold = (r.t[ind] != QEL_MISS && r.t[ind] <= 31) || (r.ext_t[ind] != QEL_MISS && r.ext_t[ind] <= 31);
  int type = r.ptype[ind];
  // Columns: freezing, snow, rain, other type when cold, other type otherwise.
  static const char *const kAmounts[4][5] = {
      {"ZR-", "S-", "R-", "S-", "R-"},  // 1, 2 and any other category
      {"ZR", "S", "R-", "S", "R-"},     // 3
      {"ZR+", "S+", "R", "S+", "R"},    // 4
      {"ZR+", "S+", "R+", "S+", "R+"},  // 5
  };
  int q = r.qpf6[ind];
  int row = q == 3 ? 1 : q == 4 ? 2 : q == 5 ? 3 : 0;
  int col = type == 'Z' ? 0 : type == 'S' ? 1 : type == 'R' ? 2 : cold ? 3 : 4;
  set(kAmounts[row][col]);
  return 0;
}

// ---------------------------------------------------------------------------
// Printers

namespace {

// Prints `value` with `format`, or the column's missing text.
void print_int(M_type level, int value, const char *format, const char *dash, const char *blank) {
  if (value == QEL_MISS)
    MESS_print(level, "%s", opts.miss_dash ? dash : blank);
  else
    MESS_print(level, format, value);
}

void print_float(M_type level, float value, bool shown, const char *format, const char *dash, const char *blank) {
  if (!shown)
    MESS_print(level, "%s", opts.miss_dash ? dash : blank);
  else
    MESS_print(level, format, value);
}

// The valid time of an offset from the initial time, broken down in UTC.
Date valid_time(int64_t base, int64_t offset) {
  int64_t secs = base + offset;
  Date v;
  DATE_get_gmdate(&secs, &v);
  return v;
}

// The blanks a table's heading needs after "TIME" for a TIME cell wider
// than the UTC one.
const char *time_pad() { return MOS_time_width() > 6 ? "     " : ""; }

// The cover column's text of a cloud letter, or null for none.
}  // namespace

const char *MOS_cloud_word(int cover) {
  switch (cover) {
    case 'C': return "CLR";
    case 'F': return "FEW";
    case 'S': return "SCT";
    case 'B': return "BKN";
    case 'O': return "OVC";
    default: return nullptr;
  }
}

int MOS_time_width() { return DATE_zone_set() ? 11 : 6; }

int MOS_time_cell(int64_t secs, char *cell, size_t size) {
  int width = MOS_time_width();
  Date v;
  char abbr[16], text[40] = "";
  if (DATE_get_zonedate(secs, &v, abbr, sizeof abbr, nullptr) == 0) {
    if (!DATE_zone_set())
      snprintf(text, sizeof text, "%2d/%2.2dZ", v.day, v.hour);
    else if (v.min != 0)
      snprintf(text, sizeof text, "%2d/%2.2d%2.2d %s", v.day, v.hour, v.min, abbr);
    else
      snprintf(text, sizeof text, "%2d/%2.2d %s", v.day, v.hour, abbr);
  }
  snprintf(cell, size, "%-*s", width, text);
  return 0;
}

int MOS_print(Date *date, MOS_report *report) {
  MESS_print(M_PRINT, " HOUR   TIME%s   TEMP DEW  DIR SPD  CIL COV  VIS  WX  MX/MN", time_pad());
  MESS_print(M_OUT4, "  POP6");
  MESS_print(M_PRINT, " POP12");
  MESS_print(M_OUT4, "  POT6");
  MESS_print(M_OUT3, " POT12");
  MESS_print(M_OUT4, "  PST6");
  MESS_print(M_OUT3, " PST12");
  MESS_print(M_OUT4, " SNW6");
  MESS_print(M_PRINT, " SNOW");
  // The flight category last, for the families with ceilings and visibilities.
  bool flight = MOS_flight_rows(report);
  if (flight) MESS_print(M_PRINT, "  FLT");
  MESS_print(M_PRINT, "\n");

  int64_t base = DATE_num_sec(date);
  const MOS_report &r = *report;
  int num = r.num < 0 ? 0 : r.num > MOS_SLOTS ? MOS_SLOTS : r.num;
  bool twelve_hourly = r.model == MOS_MRF || r.model == MOS_GFSX;
  for (int i = 0; i < num; i++) {
    // Without "full": every six hours (every 24 for the twelve-hourly families).
    if (!opts.every_slot && (twelve_hourly ? i % 2 != 0 : r.hour[i] % 6 != 0)) continue;
    char cell[40];
    MOS_time_cell(base + int64_t(r.hour[i]) * 3600, cell, sizeof cell);
    MESS_print(M_PRINT, " %3d   %s  ", r.hour[i], cell);
    print_int(M_PRINT, r.t[i], " %3d ", "   - ", "     ");
    print_int(M_PRINT, r.td[i], "%3d ", "  - ", "    ");
    print_int(M_PRINT, r.w_dir[i], " %3d ", "   - ", "     ");
    print_int(M_PRINT, r.w_spd[i], "%3d ", "  - ", "    ");
    float cil = MOS_cld_hght(report, i);
    print_float(M_PRINT, cil, cil != QEL_MISS && cil < 500, " %3.0f", "   -", "    ");
    const char *cov = MOS_cloud_word(r.cover[i]);
    if (cov)
      MESS_print(M_PRINT, " %s ", cov);
    else
      MESS_print(M_PRINT, "%s", opts.miss_dash ? "   - " : "     ");
    // Under a mile the visibility keeps one decimal ("0.4", the NGM's
    // quarter mile "0.2"), so that no table shows a mile for less.
    float vis = MOS_vis(report, i);
    const char *vis_format = vis < 1 ? "%3.1f " : "%3.0f ";
    print_float(M_PRINT, vis, vis != QEL_MISS && vis < 500, vis_format, "  - ", "    ");
    char wx[5];
    MOS_weather6(report, i, wx);
    if (!wx[0] && opts.miss_dash)
      MESS_print(M_PRINT, "    - ");
    else
      MESS_print(M_PRINT, " %4.4s ", wx);
    print_int(M_PRINT, r.ext_t[i], " %3d ", "   - ", "     ");
    print_int(M_OUT4, r.pop6[i], "  %3d ", "    - ", "      ");
    print_int(M_PRINT, r.pop12[i], "  %3d ", "    - ", "      ");
    print_int(M_OUT4, r.pot6[i], "  %3d ", "    - ", "      ");
    print_int(M_OUT3, r.pot12[i], "  %3d ", "    - ", "      ");
    print_int(M_OUT4, r.post6[i], "  %3d ", "    - ", "      ");
    print_int(M_OUT3, r.post12[i], "  %3d ", "    - ", "      ");
    float snow6 = MOS_snow6(report, i);
    print_float(M_OUT4, snow6, snow6 != QEL_MISS, " %3.0f ", "   - ", "     ");
    float snow12 = MOS_snow12(report, i);
    print_float(M_PRINT, snow12, snow12 != QEL_MISS, " %3.0f ", "   - ", "     ");
    if (flight) {
      const char *flt = MOS_flight_text(MOS_flight_slot(report, i));
      if (flt)
        MESS_print(M_PRINT, " %4s", flt);
      else
        MESS_print(M_PRINT, "%s", opts.miss_dash ? "    -" : "     ");
    }
    MESS_print(M_PRINT, "\n");
  }
  return 0;
}

int MOSU_print(Date *date, MOSU_report *report) {
  MESS_print(M_PRINT, " HOUR   TIME%s    PSL   PREC  DIR  SPD  THK    LI  VERT", time_pad());
  MESS_print(M_OUT3, "  T1  T2  T3");
  MESS_print(M_PRINT, "\n");

  int64_t base = DATE_num_sec(date);
  const MOSU_report &r = *report;
  float total = 0;
  int rows = MOSU_rows(report);
  for (int row = 0; row < rows; row++) {
    char cell[40];
    MOS_time_cell(base + int64_t(r.hour[row]) * 3600, cell, sizeof cell);
    MESS_print(M_PRINT, "  %2d   %s  ", r.hour[row], cell);
    print_int(M_PRINT, r.psl[row], " %4d ", "    - ", "      ");
    print_float(M_PRINT, r.prec[row] / 100.0f, r.prec[row] != QEL_MISS, " %4.2f ", "    - ", "      ");
    print_int(M_PRINT, r.dir[row], " %3d ", "   - ", "     ");
    print_int(M_PRINT, r.spd[row], " %3d ", "   - ", "     ");
    print_int(M_PRINT, r.hght[row], " %3d ", "   - ", "     ");
    print_int(M_PRINT, r.li[row], " %3d ", "     ", "     ");
    print_float(M_PRINT, r.vert[row] / 10.0f, r.vert[row] != QEL_MISS, " %4.1f", "   - ", "     ");
    for (int k = 1; k <= 3; k++) {
      int t = r.t[row][k];
      print_int(M_OUT3, t != QEL_MISS && t >= 51 ? t - 100 : t, " %3d", "   - ", "     ");
    }
    MESS_print(M_PRINT, "\n");
    if (row >= 1 && r.prec[row] != QEL_MISS) total += r.prec[row] / 100.0f;
  }
  MESS_print(M_PRINT, "Total:                %3.2f\n", total);
  return 0;
}

int MOSM_print(Date *date, MOSM_report *report) {
  MESS_print(M_PRINT, " DAY   DATE   MAX NRM        MIN NRM        CLOUDS   WINDS   POP12\n");
  int64_t base = DATE_num_sec(date);
  const MOSM_report &r = *report;
  for (int d = 0; d < 8; d++) {
    Date v = valid_time(base, int64_t(r.day[d]) * 86400);
    MESS_print(M_PRINT, " %2d   %2d %3s ", r.day[d], v.day, DATE_month(v.month));
    for (int pass = 0; pass < 2; pass++) {
      int value = pass == 0 ? r.max[d] : r.min[d];
      int normal = pass == 0 ? r.nmax[d] : r.nmin[d];
      print_int(M_PRINT, value, " %3d ", "   - ", "     ");
      print_int(M_PRINT, normal, "%3d ", "  - ", "    ");
      int departure = value == QEL_MISS || normal == QEL_MISS ? QEL_MISS : value - normal;
      print_int(M_PRINT, departure, "(%+3d) ", "    - ", "      ");
    }
    for (const int32_t(*halves)[2] : {r.cover, r.w_spd, r.pop12})
      for (int h = 0; h < 2; h++) print_int(M_PRINT, halves[d][h], "%3d ", "  - ", "    ");
    MESS_print(M_PRINT, "\n");
  }
  return 0;
}

// ---------------------------------------------------------------------------
// The compact "zim_fore" line

int MOS_zim_fore(int code, const MOS_report *ref, const MOS_report *sta) {
  if (code == MOS_GFSX) {
    MESS_print(M_PRINT, "%d %d %d ", ref->ext_t[1], ref->ext_t[2], ref->ext_t[3]);
    MESS_print(M_PRINT, "%d %d %d ", ref->pop12[1], ref->pop12[2], ref->pop12[3]);
    MESS_print(M_PRINT, "0 %d ", ref->w_spd[2]);
    MESS_print(M_PRINT, "%d %d %d ", sta->ext_t[1], sta->ext_t[2], sta->ext_t[3]);
    MESS_print(M_PRINT, "%d %d %d\n", sta->pop12[1], sta->pop12[2], sta->pop12[3]);
    return 1;
  }
  if (code != MOS_NGM && code != MOS_ETA && code != MOS_NAM && code != MOS_AVN && code != MOS_GFS && code != MOS_ECS)
    return 0;

  // Slots 6, 10, 14 are hours 24, 36, 48; slot 8 is hour 30. The
  // twelve-hour values of 06Z and 18Z runs end at hours 18, 30 and 42
  // (slots 4, 8, 12): a group whose slot 6 is empty while slot 4 holds a
  // value takes those. The NGM's own rule stands for its station's PoP12.
  auto group = [code](const int32_t *v, const char *format) {
    bool off_run = code != MOS_NGM && v[6] == QEL_MISS && v[4] != QEL_MISS;
    if (off_run)
      MESS_print(M_PRINT, format, v[4], v[8], v[12]);
    else
      MESS_print(M_PRINT, format, v[6], v[10], v[14]);
  };
  group(ref->ext_t, "%d %d %d ");
  group(ref->pop12, "%d %d %d ");
  MESS_print(M_PRINT, "%d %d ", ref->w_dir[8] / 10, ref->w_spd[8]);
  group(sta->ext_t, "%d %d %d ");
  if (code == MOS_NGM && sta->pop12[6] == QEL_MISS)  // NGM: the 18, 30 and 42-hour values instead
    MESS_print(M_PRINT, "%d %d %d\n", sta->pop12[4], sta->pop12[8], sta->pop12[12]);
  else
    group(sta->pop12, "%d %d %d\n");
  return 1;
}

int MOSM_zim_fore(const MOSM_report *ref, const MOSM_report *sta) {
  MESS_print(M_PRINT, "%d %d %d ", ref->min[1], ref->max[1], ref->min[2]);
  MESS_print(M_PRINT, "%d %d %d ", ref->pop12[1][0], ref->pop12[1][1], ref->pop12[2][0]);
  MESS_print(M_PRINT, "0 %d ", ref->w_spd[1][1]);
  MESS_print(M_PRINT, "%d %d %d ", sta->min[1], sta->max[1], sta->min[2]);
  MESS_print(M_PRINT, "%d %d %d\n", sta->pop12[1][0], sta->pop12[1][1], sta->pop12[2][0]);
  return 1;
}
