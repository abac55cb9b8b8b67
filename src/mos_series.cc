// mos_series.cc: a station's guidance of any station family as one list of
// valid times in the units of the JSON keys (the meteogram and the
// comparison of models read it), and the flight category of a column.
//
// Flight categories: VFR (ceiling above 3,000 ft and visibility above
// 5 mi), MVFR (1,000 to 3,000 ft or 3 to 5 mi), IFR (500 to below 1,000 ft
// or 1 to below 3 mi), LIFR (below 500 ft or below 1 mi); the worse of the
// two decides. MOS families give categories, read with their own tables:
// GFS type (ETA, NAM, AVN, GFS, ECS, LAMP) ceiling 1-2 LIFR, 3 IFR, 4-5
// MVFR, 6-8 VFR, visibility 1-2 LIFR, 3-4 IFR, 5 MVFR, 6-7 VFR; the NGM
// ceiling 1-2 LIFR (below 500 ft), 3 IFR (500 to 900), 4 MVFR (1,000 to
// 2,900), 5-7 VFR (3,000 to 7,500 and above: its 3,000 ft lower bound
// counts as VFR), visibility 1-2 LIFR (below 1 mi), 3 IFR (1 to below 3),
// 4 MVFR (3 to 5), 5 VFR (above 5). NBM gives feet and miles. An
// unlimited ceiling counts as above 3,000 ft; with one of the two missing
// the other decides. The twelve-hourly families (MRF, GFSX, NBE, NBX) have
// a category only where the report carries both rows.

#include <cstring>
#include <initializer_list>

#include "mos_grid.h"

namespace {

constexpr float kMiss = QEL_MISS;

int worse(int a, int b) { return a > b ? a : b; }

// The category of a ceiling category and a visibility category of the GFS
// or the NGM tables (QEL_MISS or out of range: not given).
int from_categories(int cig, int vis, bool ngm) {
  static const int kGfsCig[9] = {0,           MOS_FLT_LIFR, MOS_FLT_LIFR, MOS_FLT_IFR, MOS_FLT_MVFR, MOS_FLT_MVFR,
                                 MOS_FLT_VFR, MOS_FLT_VFR,  MOS_FLT_VFR};
  static const int kGfsVis[8] = {0,           MOS_FLT_LIFR, MOS_FLT_LIFR, MOS_FLT_IFR,
                                 MOS_FLT_IFR, MOS_FLT_MVFR, MOS_FLT_VFR,  MOS_FLT_VFR};
  static const int kNgmCig[8] = {0,           MOS_FLT_LIFR, MOS_FLT_LIFR, MOS_FLT_IFR, MOS_FLT_MVFR,
                                 MOS_FLT_VFR, MOS_FLT_VFR,  MOS_FLT_VFR};
  static const int kNgmVis[6] = {0, MOS_FLT_LIFR, MOS_FLT_LIFR, MOS_FLT_IFR, MOS_FLT_MVFR, MOS_FLT_VFR};
  int c = MOS_FLT_NONE, v = MOS_FLT_NONE;
  if (ngm) {
    if (cig >= 1 && cig <= 7) c = kNgmCig[cig];
    if (vis >= 1 && vis <= 5) v = kNgmVis[vis];
  } else {
    if (cig >= 1 && cig <= 8) c = kGfsCig[cig];
    if (vis >= 1 && vis <= 7) v = kGfsVis[vis];
  }
  return worse(c, v);
}

float as_float(int32_t v) { return v == QEL_MISS ? kMiss : static_cast<float>(v); }

void clear_point(MOS_point *p) {
  p->valid = -1;
  p->hour = QEL_MISS;
  float *values[] = {&p->temp_f,       &p->dewpoint_f,    &p->max_min_f, &p->max_min_p10_f, &p->max_min_p90_f,
                     &p->wind_dir_deg, &p->wind_speed_kt, &p->gust_kt,   &p->wind_p10_kt,   &p->wind_p90_kt,
                     &p->pop1_pct,     &p->pop6_pct,      &p->pop12_pct, &p->tstm_pct,      &p->sky_pct,
                     &p->ceiling_ft,   &p->visibility_mi};
  for (float *v : values) *v = kMiss;
  p->tstm_hours = QEL_MISS;
  p->cloud[0] = '\0';
  p->ceiling_unlimited = false;
  p->flight = MOS_FLT_NONE;
}


// A grid cell as a number in the unit of its key, or kMiss.
float grid_number(const GridProduct &p, const MOSG_report &r, const char *label, int col) {
  const MOSG_row *row = grid_row(r, label);
  if (!row) return kMiss;
  GridValue v = grid_value(p, r, *row, col);
  if (v.kind != GridValue::Number) return kMiss;
  return static_cast<float>(static_cast<double>(v.num) / v.div);
}

// The first of the labels that the block holds, as a number.
float first_number(const GridProduct &p, const MOSG_report &r, std::initializer_list<const char *> labels, int col) {
  for (const char *label : labels)
    if (grid_row(r, label)) return grid_number(p, r, label, col);
  return kMiss;
}

}  // namespace

int64_t MOS_run_seconds(const Date *run) {
  if (!run || run->year == QEL_MISS || run->month == QEL_MISS || run->day == QEL_MISS || run->hour == QEL_MISS)
    return -1;
  Date d = *run;
  d.min = d.min == QEL_MISS ? 0 : d.min;
  d.sec = 0;
  return DATE_num_sec(&d);
}

const char *MOS_flight_text(int flight) {
  switch (flight) {
    case MOS_FLT_VFR: return "VFR";
    case MOS_FLT_MVFR: return "MVFR";
    case MOS_FLT_IFR: return "IFR";
    case MOS_FLT_LIFR: return "LIFR";
    default: return nullptr;
  }
}

int MOS_flight_of(float ceiling_ft, bool unlimited, float visibility_mi) {
  int c = MOS_FLT_NONE, v = MOS_FLT_NONE;
  // A negative ceiling or visibility is no value a bulletin means: not given.
  if (unlimited)
    c = MOS_FLT_VFR;
  else if (ceiling_ft != kMiss && ceiling_ft >= 0)
    c = ceiling_ft < 500     ? MOS_FLT_LIFR
        : ceiling_ft < 1000  ? MOS_FLT_IFR
        : ceiling_ft <= 3000 ? MOS_FLT_MVFR
                             : MOS_FLT_VFR;
  if (visibility_mi != kMiss && visibility_mi >= 0)
    v = visibility_mi < 1    ? MOS_FLT_LIFR
        : visibility_mi < 3  ? MOS_FLT_IFR
        : visibility_mi <= 5 ? MOS_FLT_MVFR
                             : MOS_FLT_VFR;
  return worse(c, v);
}

int MOS_flight_rows(const MOS_report *r) {
  if (!r) return 0;
  if (r->model != MOS_MRF && r->model != MOS_GFSX) return 1;
  bool cig = false, vis = false;
  for (int i = 0; i < MOS_SLOTS; i++) {
    cig = cig || r->hght[i] != QEL_MISS;
    vis = vis || r->vis[i] != QEL_MISS;
  }
  return cig && vis ? 1 : 0;
}

int MOS_flight_slot(const MOS_report *r, int ind) {
  if (!r || ind < 0 || ind >= MOS_SLOTS || !MOS_flight_rows(r)) return MOS_FLT_NONE;
  return from_categories(r->hght[ind], r->vis[ind], r->model == MOS_NGM);
}

int MOSG_flight_rows(const MOSG_report *r) {
  const GridProduct *p = r ? grid_product(r->model) : nullptr;
  if (!p) return 0;
  bool cig = grid_row(*r, "CIG") != nullptr, vis = grid_row(*r, "VIS") != nullptr;
  return (p->step >= 12 ? cig && vis : cig || vis) ? 1 : 0;
}

int MOSG_flight(const MOSG_report *r, int col) {
  const GridProduct *p = r ? grid_product(r->model) : nullptr;
  if (!p || col < 0 || col >= r->ncols || !MOSG_flight_rows(r)) return MOS_FLT_NONE;
  const MOSG_row *cig = grid_row(*r, "CIG"), *vis = grid_row(*r, "VIS");
  if (p->lamp) {
    return from_categories(cig ? cig->cell[col].num : QEL_MISS, vis ? vis->cell[col].num : QEL_MISS, false);
  }
  bool unlimited = cig && cig->cell[col].num == MOSG_UNLIMITED;
  return MOS_flight_of(unlimited ? kMiss : grid_number(*p, *r, "CIG", col), unlimited, grid_number(*p, *r, "VIS", col));
}

int MOS_series_of(const MOS_report *report, const Date *run, MOS_series *s) {
  MOS_report &r = *const_cast<MOS_report *>(report);  // the category decoders take no const record
  s->n = 0;
  str_copy(s->id, r.id, sizeof s->id);
  s->model = r.model;
  const char *title = MOS_model_title(r.model);
  str_copy(s->name, title ? title : "", sizeof s->name);
  DATE_init(&s->run);
  if (run) s->run = *run;
  int64_t base = MOS_run_seconds(run);
  int num = r.num < 0 ? 0 : r.num > MOS_SLOTS ? MOS_SLOTS : r.num;
  for (int i = 0; i < num && s->n < MOSG_COLS; i++) {
    if (r.hour[i] == QEL_MISS) continue;
    MOS_point &p = s->p[s->n++];
    clear_point(&p);
    p.hour = r.hour[i];
    p.valid = base < 0 ? -1 : base + int64_t(r.hour[i]) * 3600;
    p.temp_f = as_float(r.t[i]);
    p.dewpoint_f = as_float(r.td[i]);
    p.max_min_f = as_float(r.ext_t[i]);
    p.wind_dir_deg = as_float(r.w_dir[i]);
    p.wind_speed_kt = as_float(r.w_spd[i]);
    p.pop6_pct = as_float(r.pop6[i]);
    p.pop12_pct = as_float(r.pop12[i]);
    if (r.pot6[i] != QEL_MISS) {
      p.tstm_pct = as_float(r.pot6[i]);
      p.tstm_hours = 6;
    } else if (r.pot12[i] != QEL_MISS) {
      p.tstm_pct = as_float(r.pot12[i]);
      p.tstm_hours = 12;
    }
    const char *cloud = MOS_cloud_word(r.cover[i]);
    str_copy(p.cloud, cloud ? cloud : "", sizeof p.cloud);
    float cil = MOS_cld_hght(&r, i);
    if (cil != QEL_MISS) p.ceiling_ft = cil * 100;
    p.visibility_mi = MOS_vis(&r, i);
    p.flight = MOS_flight_slot(&r, i);
  }
  return 1;
}

int MOSG_series_of(const MOSG_report *report, const Date *run, MOS_series *s) {
  MOSG_report &r = *const_cast<MOSG_report *>(report);
  s->n = 0;
  str_copy(s->id, r.id, sizeof s->id);
  s->model = r.model;
  MOSG_header(&r, s->name, sizeof s->name);
  s->run = r.run;
  if (s->run.year == QEL_MISS && run) {
    s->run = *run;
    MOSG_set_times(&r, run);
  }
  const GridProduct *gp = grid_product(r.model);
  if (!gp) return 1;
  const GridProduct &p = *gp;
  for (int k = 0; k < r.ncols && s->n < MOSG_COLS; k++) {
    MOS_point &pt = s->p[s->n++];
    clear_point(&pt);
    pt.hour = r.hour[k];
    pt.valid = r.valid[k];
    pt.temp_f = grid_number(p, r, "TMP", k);
    pt.dewpoint_f = grid_number(p, r, "DPT", k);
    pt.max_min_f = first_number(p, r, {"TXN", "X/N", "N/X", "TXNP5"}, k);
    pt.max_min_p10_f = grid_number(p, r, "TXNP1", k);
    pt.max_min_p90_f = grid_number(p, r, "TXNP9", k);
    pt.wind_dir_deg = grid_number(p, r, "WDR", k);
    pt.wind_speed_kt = first_number(p, r, {"WSP", "WSPP5"}, k);
    pt.wind_p10_kt = grid_number(p, r, "WSPP1", k);
    pt.wind_p90_kt = grid_number(p, r, "WSPP9", k);
    pt.gust_kt = first_number(p, r, {"GST", "WGS"}, k);
    pt.pop1_pct = grid_number(p, r, "P01", k);
    pt.pop6_pct = grid_number(p, r, "P06", k);
    pt.pop12_pct = grid_number(p, r, "P12", k);
    static const struct {
      const char *label;
      int hours;
    } kThunder[] = {{"T01", 1}, {"LP1", 1}, {"LP2", 2}, {"T03", 3}, {"T06", 6}, {"T12", 12}};
    for (const auto &t : kThunder) {
      float v = grid_number(p, r, t.label, k);
      if (v == kMiss) continue;
      pt.tstm_pct = v;
      pt.tstm_hours = t.hours;
      break;
    }
    pt.sky_pct = grid_number(p, r, "SKY", k);
    if (const MOSG_row *cld = grid_row(r, "CLD")) {
      GridValue v = grid_value(p, r, *cld, k);
      if (v.kind == GridValue::Text) str_copy(pt.cloud, v.text, sizeof pt.cloud);
    }
    if (const MOSG_row *cig = grid_row(r, "CIG")) {
      pt.ceiling_unlimited = !p.lamp && cig->cell[k].num == MOSG_UNLIMITED;
      pt.ceiling_ft = grid_number(p, r, "CIG", k);
    }
    pt.visibility_mi = grid_number(p, r, "VIS", k);
    pt.flight = MOSG_flight(&r, k);
  }
  return 1;
}

int MOS_get_series(Date *date, const char *id, MOS_series *series) {
  switch (MOS_model_family(FLAG_get(FLAG_MODEL))) {
    case MOS_FAMILY_GRID: {
      static MOSG_report grid;
      if (MOSG_get_station(date, id, &grid) != 1) return 0;
      MOSG_series_of(&grid, date, series);
      return 1;
    }
    case MOS_FAMILY_STATION: {
      MOS_report report;
      if (MOS_get_station(date, id, &report) != 1) return 0;
      // The bulletin's own run, else the file's date.
      Date run;
      if (!MOS_get_run(&run)) {
        if (date)
          run = *date;
        else
          DATE_init(&run);
      }
      MOS_series_of(&report, &run, series);
      return 1;
    }
    default: return -1;
  }
}
