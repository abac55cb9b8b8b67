// mos_plot_panels.cc: the panels of the meteogram, each in its box of the
// frame: temperature and dewpoint lines with the period maxima and minima
// (NBP: their 10-90 % range), precipitation probabilities as bars of their
// periods with thunder, wind speed and gusts (NBP: 10-90 %) over a row of
// barbs, sky cover bars or cloud circles, and the ceiling and visibility
// rows above the flight-category strip. Missing values leave gaps; a
// panel's scale comes from the values it shows.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "mos_plot.h"

namespace qelplot {

namespace {

constexpr Colour kInk{0.15, 0.15, 0.15};
constexpr Colour kGrid{0.85, 0.85, 0.85};
constexpr Colour kTempColour{0.80, 0.10, 0.10};
constexpr Colour kTempText{0.60, 0.05, 0.05};
constexpr Colour kDewColour{0.10, 0.55, 0.20};
constexpr Colour kDewText{0.05, 0.40, 0.12};
constexpr Colour kMaxColour{0.85, 0.40, 0.00};
constexpr Colour kMinColour{0.15, 0.35, 0.80};
constexpr Colour kExtColour{0.35, 0.35, 0.35};
constexpr Colour kThunder{0.55, 0.10, 0.65};
constexpr Colour kSpeed{0.10, 0.25, 0.60};
constexpr Colour kGust{0.85, 0.45, 0.00};
constexpr Colour kBand{0.78, 0.83, 0.95};
constexpr Colour kSkyColour{0.60, 0.62, 0.66};
// The usual flight-category colours.
constexpr Colour kFlightColour[5] = {
    {1.0, 1.0, 1.0}, {0.0, 0.67, 0.0}, {0.0, 0.0, 1.0}, {1.0, 0.0, 0.0}, {1.0, 0.0, 1.0}};

constexpr double kHour = 3600;

// A value scale over a box: `lo` at its bottom, `hi` at its top.
struct Scale {
  double lo, hi;
  Box b;
  double y(double v) const { return b.y + b.h - (v - lo) / (hi - lo) * b.h; }
};

// The box under a panel's label band.
Box data_box(const Frame &f, Box b) {
  double band = 16 * f.scale;
  return Box{b.x, b.y + band, b.w, std::max(1.0, b.h - band)};
}

void clip_to(cairo_t *cr, Box b) {
  cairo_save(cr);
  cairo_rectangle(cr, b.x, b.y, b.w, b.h);
  cairo_clip(cr);
}

// The panel's frame, its label at the top left and its legend (items of
// a colour, a mark and a text) at the top right.
enum Mark { kLine, kBar, kDot, kOutline };
struct Item {
  Colour c;
  Mark mark;
  const char *text;
};
void panel_frame(cairo_t *cr, const Frame &f, Box b, const char *label, const std::vector<Item> &legend) {
  Box d = data_box(f, b);
  set_colour(cr, kGrid);
  cairo_set_line_width(cr, 1);
  cairo_rectangle(cr, d.x + 0.5, d.y + 0.5, d.w - 1, d.h - 1);
  cairo_stroke(cr);
  double base = b.y + 8 * f.scale;
  set_font(cr, f, 11.5, true);
  set_colour(cr, kInk);
  show_text(cr, b.x + 2, base, label, 0, 0.5);
  set_font(cr, f, 10.5);
  double x = b.x + b.w - 2, mark = 14 * f.scale;
  for (auto it = legend.rbegin(); it != legend.rend(); ++it) {
    set_colour(cr, kInk);
    show_text(cr, x, base, it->text, 1, 0.5);
    x -= text_width(cr, it->text) + 4 * f.scale;
    set_colour(cr, it->c);
    switch (it->mark) {
      case kLine:
        cairo_set_line_width(cr, 2 * f.scale);
        cairo_move_to(cr, x - mark, base);
        cairo_line_to(cr, x, base);
        cairo_stroke(cr);
        break;
      case kBar:
      case kOutline:
        cairo_rectangle(cr, x - mark * 0.7, base - 4 * f.scale, mark * 0.7, 8 * f.scale);
        if (it->mark == kBar) {
          cairo_fill(cr);
        } else {
          cairo_set_line_width(cr, 1.5 * f.scale);
          cairo_stroke(cr);
        }
        break;
      case kDot:
        cairo_set_line_width(cr, 1.5 * f.scale);
        cairo_arc(cr, x - mark / 2, base, 3.5 * f.scale, 0, 2 * M_PI);
        cairo_stroke(cr);
        break;
    }
    x -= mark + 14 * f.scale;
  }
}

// Horizontal lines of a scale every `step`, labelled on the left.
void scale_lines(cairo_t *cr, const Frame &f, const Scale &sc, double step) {
  set_font(cr, f, 10.5);
  cairo_set_line_width(cr, 1);
  for (double v = std::ceil(sc.lo / step) * step; v <= sc.hi + 1e-9; v += step) {
    double y = std::round(sc.y(v)) + 0.5;
    set_colour(cr, kGrid);
    cairo_move_to(cr, sc.b.x, y);
    cairo_line_to(cr, sc.b.x + sc.b.w, y);
    cairo_stroke(cr);
    char label[16];
    snprintf(label, sizeof label, "%g", v + 0.0);  // never "-0"
    set_colour(cr, kInk);
    show_text(cr, sc.b.x - 5 * f.scale, y, label, 1, 0.5);
  }
}

// A scale over the values lo..hi with whole steps and some room around.
Scale nice_scale(double lo, double hi, Box b, double *step) {
  if (lo > hi) lo = 0, hi = 100;  // no value at all
  double range = hi - lo;
  *step = range <= 25 ? 5 : range <= 70 ? 10 : range <= 160 ? 20 : 50;
  double s = *step;
  lo = std::floor((lo - s / 2) / s) * s;
  hi = std::ceil((hi + s / 2) / s) * s;
  return Scale{lo, hi, b};
}

void dot(cairo_t *cr, double x, double y, double r) {
  cairo_new_sub_path(cr);
  cairo_arc(cr, x, y, r, 0, 2 * M_PI);
  cairo_fill(cr);
}

// Whether labels of `sample`'s width fit between neighbouring columns.
bool labels_fit(cairo_t *cr, const Frame &f, const char *sample) {
  return f.min_step() >= text_width(cr, sample) + 2 * f.scale;
}

// A line through the values of a member (across the columns that give
// none: some elements come every second or fourth column), with a dot at
// each value and, where they fit, the value above (`above`) or below it.
void value_line(cairo_t *cr, const Frame &f, const Scale &sc, float MOS_point::*member, Colour line, Colour text,
                bool above) {
  const MOS_series &s = *f.s;
  set_colour(cr, line);
  cairo_set_line_width(cr, 2.2 * f.scale);
  bool open = false;
  for (int i = 0; i < s.n; i++) {
    float v = s.p[i].*member;
    if (!has(v)) continue;
    if (open)
      cairo_line_to(cr, f.col_x(i), sc.y(v));
    else
      cairo_move_to(cr, f.col_x(i), sc.y(v));
    open = true;
  }
  cairo_stroke(cr);
  for (int i = 0; i < s.n; i++)
    if (has(s.p[i].*member)) dot(cr, f.col_x(i), sc.y(s.p[i].*member), 3.2 * f.scale);
  set_font(cr, f, 10.5, true);
  if (!labels_fit(cr, f, "-00")) return;
  set_colour(cr, text);
  for (int i = 0; i < s.n; i++) {
    float v = s.p[i].*member;
    if (!has(v)) continue;
    char label[16];
    snprintf(label, sizeof label, "%.0f", v);
    show_text(cr, f.col_x(i), sc.y(v) + (above ? -5 : 5) * f.scale, label, 0.5, above ? 1 : 0);
  }
}

// True when some column gives the member.
bool any(const MOS_series &s, float MOS_point::*member) {
  for (int i = 0; i < s.n; i++)
    if (has(s.p[i].*member)) return true;
  return false;
}

// A maximum is above the extremes next to it, a minimum below; a lone
// extreme is neither (0).
int extreme_kind(const MOS_series &s, int i) {
  float v = s.p[i].max_min_f;
  int prev = -1, next = -1;
  for (int k = i - 1; k >= 0 && prev < 0; k--)
    if (has(s.p[k].max_min_f)) prev = k;
  for (int k = i + 1; k < s.n && next < 0; k++)
    if (has(s.p[k].max_min_f)) next = k;
  int up = 0, down = 0;
  for (int k : {prev, next}) {
    if (k < 0) continue;
    if (v > s.p[k].max_min_f) up++;
    if (v < s.p[k].max_min_f) down++;
  }
  return up > down ? 1 : down > up ? -1 : 0;
}

void temp_panel(cairo_t *cr, const Frame &f, Box b) {
  const MOS_series &s = *f.s;
  Box d = data_box(f, b);
  double lo = 1e9, hi = -1e9;
  bool ext = false, range = false, dew = false;
  for (int i = 0; i < s.n; i++) {
    const MOS_point &p = s.p[i];
    for (float v : {p.temp_f, p.dewpoint_f, p.max_min_f, p.max_min_p10_f, p.max_min_p90_f})
      if (has(v)) lo = std::min(lo, double(v)), hi = std::max(hi, double(v));
    ext |= has(p.max_min_f);
    range |= has(p.max_min_p10_f) && has(p.max_min_p90_f);
    dew |= has(p.dewpoint_f);
  }
  double step;
  Scale sc = nice_scale(lo, hi, d, &step);
  scale_lines(cr, f, sc, step);

  std::vector<Item> legend;
  if (any(s, &MOS_point::temp_f)) legend.push_back({kTempColour, kLine, "temperature"});
  if (dew) legend.push_back({kDewColour, kLine, "dewpoint"});
  if (ext) legend.push_back({kMaxColour, kLine, "max / min (12 h)"});
  if (range) legend.push_back({kBand, kBar, "10-90 %"});
  panel_frame(cr, f, b,
              "Temperature (\xC2\xB0"
              "F)",
              legend);

  // The maxima and minima: a bar over the twelve hours ending at the
  // column, NBP's 10-90 % range as a box behind it.
  clip_to(cr, d);
  for (int i = 0; i < s.n; i++) {
    const MOS_point &p = s.p[i];
    if (!has(p.max_min_f)) continue;
    double x0 = f.x(f.t[i] - 12 * kHour), x1 = f.col_x(i);
    if (has(p.max_min_p10_f) && has(p.max_min_p90_f)) {
      set_colour(cr, kBand);
      cairo_rectangle(cr, x0, sc.y(p.max_min_p90_f), x1 - x0, sc.y(p.max_min_p10_f) - sc.y(p.max_min_p90_f));
      cairo_fill(cr);
    }
    int kind = extreme_kind(s, i);
    set_colour(cr, kind > 0 ? kMaxColour : kind < 0 ? kMinColour : kExtColour);
    cairo_set_line_width(cr, 3 * f.scale);
    cairo_move_to(cr, x0, sc.y(p.max_min_f));
    cairo_line_to(cr, x1, sc.y(p.max_min_f));
    cairo_stroke(cr);
  }
  value_line(cr, f, sc, &MOS_point::dewpoint_f, kDewColour, kDewText, false);
  value_line(cr, f, sc, &MOS_point::temp_f, kTempColour, kTempText, true);
  cairo_restore(cr);

  // The extremes' values beside their bars (inside the box where they
  // would leave it).
  set_font(cr, f, 11, true);
  for (int i = 0; i < s.n; i++) {
    const MOS_point &p = s.p[i];
    if (!has(p.max_min_f)) continue;
    int kind = extreme_kind(s, i);
    char label[16];
    snprintf(label, sizeof label, "%.0f", p.max_min_f);
    double xm = std::clamp((f.x(f.t[i] - 12 * kHour) + f.col_x(i)) / 2, d.x + 10 * f.scale, d.x + d.w - 10 * f.scale);
    double y = sc.y(p.max_min_f);
    set_colour(cr, kind > 0 ? kMaxColour : kind < 0 ? kMinColour : kExtColour);
    if (kind < 0)
      show_text(cr, xm, std::min(y + 4 * f.scale, d.y + d.h - 14 * f.scale), label, 0.5, 0);
    else
      show_text(cr, xm, std::max(y - 4 * f.scale, d.y + 14 * f.scale), label, 0.5, 1);
  }
}

// The precipitation probabilities of the periods the family gives, each
// as bars over its period, longest behind; thunder as a line of diamonds.
struct Period {
  float MOS_point::*member;
  int hours;
  Colour c;
  const char *name;
};
const Period kPeriods[] = {{&MOS_point::pop12_pct, 12, {0.72, 0.84, 0.96}, "PoP 12 h"},
                           {&MOS_point::pop6_pct, 6, {0.38, 0.62, 0.90}, "PoP 6 h"},
                           {&MOS_point::pop1_pct, 1, {0.10, 0.35, 0.75}, "PoP 1 h"}};

void precip_panel(cairo_t *cr, const Frame &f, Box b) {
  const MOS_series &s = *f.s;
  Box d = data_box(f, b);
  Scale sc{0, 100, d};
  scale_lines(cr, f, sc, d.h >= 90 * f.scale ? 25 : 50);

  std::vector<Item> legend;
  const Period *shortest = nullptr;
  for (const Period &p : kPeriods)
    if (any(s, p.member)) {
      legend.push_back({p.c, p.hours == 12 ? kOutline : kBar, p.name});
      shortest = &p;
    }
  // The thunder period most columns give.
  int counts[13] = {};
  for (int i = 0; i < s.n; i++)
    if (has(s.p[i].tstm_pct) && s.p[i].tstm_hours >= 1 && s.p[i].tstm_hours <= 12) counts[s.p[i].tstm_hours]++;
  int thunder_hours = int(std::max_element(counts, counts + 13) - counts);
  char thunder_label[32];
  snprintf(thunder_label, sizeof thunder_label, "thunder (%d h)", thunder_hours);
  if (counts[thunder_hours] > 0) legend.push_back({kThunder, kLine, thunder_label});
  panel_frame(cr, f, b, "Precipitation and thunder (%)", legend);

  clip_to(cr, d);
  for (const Period &p : kPeriods) {
    if (!any(s, p.member)) continue;
    for (int i = 0; i < s.n; i++) {
      float v = s.p[i].*p.member;
      if (!has(v)) continue;
      double x0 = f.x(f.t[i] - p.hours * kHour) + 1, x1 = f.col_x(i) - 1;
      if (x1 - x0 < 2) x0 = f.col_x(i) - 1, x1 = f.col_x(i) + 1;
      double y = sc.y(std::clamp(double(v), 0.0, 100.0));
      set_colour(cr, p.c);
      cairo_rectangle(cr, x0, y, x1 - x0, d.y + d.h - y);
      if (p.hours == 12) {
        cairo_fill_preserve(cr);
        set_colour(cr, Colour{0.30, 0.50, 0.80});
        cairo_set_line_width(cr, 1);
        cairo_stroke(cr);
      } else {
        cairo_fill(cr);
      }
    }
  }
  if (counts[thunder_hours] > 0) {
    set_colour(cr, kThunder);
    cairo_set_line_width(cr, 1.6 * f.scale);
    bool open = false;
    for (int i = 0; i < s.n; i++) {
      if (!has(s.p[i].tstm_pct)) continue;
      double x = f.col_x(i), y = sc.y(s.p[i].tstm_pct);
      open ? cairo_line_to(cr, x, y) : cairo_move_to(cr, x, y);
      open = true;
    }
    cairo_stroke(cr);
    double r = 4 * f.scale;
    for (int i = 0; i < s.n; i++) {
      if (!has(s.p[i].tstm_pct)) continue;
      double x = f.col_x(i), y = sc.y(s.p[i].tstm_pct);
      cairo_move_to(cr, x, y - r);
      cairo_line_to(cr, x + r, y);
      cairo_line_to(cr, x, y + r);
      cairo_line_to(cr, x - r, y);
      cairo_close_path(cr);
      cairo_fill(cr);
    }
  }
  cairo_restore(cr);

  // The values of the shortest period above its bars, where they fit.
  if (!shortest) return;
  set_font(cr, f, 10, true);
  set_colour(cr, kInk);
  double bar = shortest->hours * kHour / (f.t1 - f.t0) * (f.right - f.left);
  if (bar < text_width(cr, "100") + 2 * f.scale || !labels_fit(cr, f, "100")) return;
  for (int i = 0; i < s.n; i++) {
    float v = s.p[i].*shortest->member;
    if (!has(v)) continue;
    char label[16];
    snprintf(label, sizeof label, "%.0f", v);
    double xm = std::max(f.x(f.t[i] - shortest->hours * kHour / 2.0), d.x + 8 * f.scale);
    double y = std::max(sc.y(std::clamp(double(v), 0.0, 100.0)) - 2 * f.scale, d.y + 12 * f.scale);
    show_text(cr, xm, y, label, 0.5, 1);
  }
}

// A wind barb at (x, y) for the wind from `dir` degrees at `kt` knots:
// the staff points into the wind, a pennant is 50 kt, a feather 10, a half
// feather 5, on the side of low pressure (northern hemisphere); a circle
// for a calm.
void barb(cairo_t *cr, double x, double y, double dir, double kt, double len, double scale) {
  int knots = int(std::lround(std::clamp(kt, 0.0, 300.0) / 5.0)) * 5;
  cairo_set_line_width(cr, 1.4 * scale);
  if (knots < 5) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, len * 0.15, 0, 2 * M_PI);
    cairo_stroke(cr);
    return;
  }
  double a = dir * M_PI / 180;
  double ux = std::sin(a), uy = -std::cos(a);  // toward where the wind comes from
  double rx = -uy, ry = ux;                    // its right-hand side
  double tx = x + ux * len, ty = y + uy * len;
  cairo_move_to(cr, x, y);
  cairo_line_to(cr, tx, ty);
  cairo_stroke(cr);
  double feather = len * 0.42, gap = len * 0.16;
  double along = 0;  // from the tip toward the station
  for (; knots >= 50; knots -= 50) {
    double bx = tx - ux * along, by = ty - uy * along;
    cairo_move_to(cr, bx, by);
    cairo_line_to(cr, bx + rx * feather, by + ry * feather);
    cairo_line_to(cr, bx - ux * gap, by - uy * gap);
    cairo_close_path(cr);
    cairo_fill(cr);
    along += gap * 1.3;
  }
  for (; knots >= 5; knots -= 10) {
    double bx = tx - ux * along, by = ty - uy * along;
    double l = knots >= 10 ? feather : feather / 2;
    if (knots < 10 && along == 0) bx -= ux * gap, by -= uy * gap;  // a lone half feather stands off the tip
    cairo_move_to(cr, bx, by);
    cairo_line_to(cr, bx + (rx + ux * 0.35) * l, by + (ry + uy * 0.35) * l);
    cairo_stroke(cr);
    along += gap;
  }
}

void wind_panel(cairo_t *cr, const Frame &f, Box b) {
  const MOS_series &s = *f.s;
  Box d = data_box(f, b);
  bool dirs = false, gusts = false, range = false;
  double hi = 10;
  for (int i = 0; i < s.n; i++) {
    const MOS_point &p = s.p[i];
    dirs |= has(p.wind_dir_deg) && has(p.wind_speed_kt);
    gusts |= has(p.gust_kt);
    range |= has(p.wind_p10_kt) && has(p.wind_p90_kt);
    for (float v : {p.wind_speed_kt, p.gust_kt, p.wind_p90_kt})
      if (has(v)) hi = std::max(hi, double(v));
  }
  Box chart = d, row = d;
  if (dirs) {
    chart.h = d.h * 0.56;
    row.y = d.y + chart.h;
    row.h = d.h - chart.h;
  }
  hi = std::min(hi, 400.0);
  double step = hi <= 20 ? 5 : hi <= 50 ? 10 : hi <= 100 ? 20 : 50;
  Scale sc{-step * 0.95, std::ceil((hi + step * 0.8) / step) * step, chart};  // room for the labels under zero
  scale_lines(cr, f, sc, sc.hi / step > 4 ? step * 2 : step);

  std::vector<Item> legend = {{kSpeed, kLine, "speed"}};
  if (gusts) legend.push_back({kGust, kDot, "gust"});
  if (range) legend.push_back({kBand, kBar, "10-90 %"});
  panel_frame(cr, f, b, dirs ? "Wind (kt) and direction" : "Wind (kt)", legend);

  clip_to(cr, chart);
  if (range) {
    set_colour(cr, kBand);
    for (int i = 0; i + 1 < s.n; i++) {
      const MOS_point &p = s.p[i], &q = s.p[i + 1];
      if (!has(p.wind_p10_kt) || !has(p.wind_p90_kt) || !has(q.wind_p10_kt) || !has(q.wind_p90_kt)) continue;
      cairo_move_to(cr, f.col_x(i), sc.y(p.wind_p90_kt));
      cairo_line_to(cr, f.col_x(i + 1), sc.y(q.wind_p90_kt));
      cairo_line_to(cr, f.col_x(i + 1), sc.y(q.wind_p10_kt));
      cairo_line_to(cr, f.col_x(i), sc.y(p.wind_p10_kt));
      cairo_close_path(cr);
      cairo_fill(cr);
    }
    for (int i = 0; i < s.n; i++) {  // a column alone shows its range as a bar
      const MOS_point &p = s.p[i];
      if (!has(p.wind_p10_kt) || !has(p.wind_p90_kt)) continue;
      cairo_rectangle(cr, f.col_x(i) - 2 * f.scale, sc.y(p.wind_p90_kt), 4 * f.scale,
                      sc.y(p.wind_p10_kt) - sc.y(p.wind_p90_kt));
      cairo_fill(cr);
    }
  }
  value_line(cr, f, sc, &MOS_point::wind_speed_kt, kSpeed, kSpeed, false);
  set_colour(cr, kGust);
  cairo_set_line_width(cr, 1.6 * f.scale);
  for (int i = 0; i < s.n; i++) {
    if (!has(s.p[i].gust_kt)) continue;
    cairo_new_sub_path(cr);
    cairo_arc(cr, f.col_x(i), sc.y(s.p[i].gust_kt), 3.5 * f.scale, 0, 2 * M_PI);
    cairo_stroke(cr);
  }
  set_font(cr, f, 10, true);
  if (gusts && labels_fit(cr, f, "G00")) {
    for (int i = 0; i < s.n; i++) {
      if (!has(s.p[i].gust_kt)) continue;
      char label[16];
      snprintf(label, sizeof label, "G%.0f", s.p[i].gust_kt);
      show_text(cr, f.col_x(i), sc.y(s.p[i].gust_kt) - 5 * f.scale, label, 0.5, 1);
    }
  }
  cairo_restore(cr);

  if (!dirs) return;
  set_colour(cr, kGrid);
  cairo_set_line_width(cr, 1);
  cairo_move_to(cr, row.x, std::round(row.y) + 0.5);
  cairo_line_to(cr, row.x + row.w, std::round(row.y) + 0.5);
  cairo_stroke(cr);
  double len = std::min(row.h * 0.46, 30 * f.scale);
  clip_to(cr, row);
  set_colour(cr, kInk);
  for (int i = 0; i < s.n; i++) {
    const MOS_point &p = s.p[i];
    if (!has(p.wind_dir_deg) || !has(p.wind_speed_kt)) continue;
    barb(cr, f.col_x(i), row.y + row.h / 2, p.wind_dir_deg, p.wind_speed_kt, len, f.scale);
  }
  cairo_restore(cr);
}

// The share of the sky a cloud word covers, or -1 for another word.
double cloud_cover(const char *word) {
  static const struct {
    const char *word;
    double cover;
  } kCover[] = {{"CLR", 0}, {"FEW", 0.25}, {"SCT", 0.5}, {"BKN", 0.75}, {"OVC", 1}};
  for (const auto &c : kCover)
    if (strcmp(word, c.word) == 0) return c.cover;
  return -1;
}

void sky_panel(cairo_t *cr, const Frame &f, Box b) {
  const MOS_series &s = *f.s;
  Box d = data_box(f, b);
  bool pct = any(s, &MOS_point::sky_pct), circles = false;
  for (int i = 0; i < s.n; i++) circles |= cloud_cover(s.p[i].cloud) >= 0;
  std::vector<Item> legend;
  if (pct) legend.push_back({kSkyColour, kBar, "sky cover"});
  if (circles) legend.push_back({kInk, kDot, "clear, few, scattered, broken, overcast"});
  panel_frame(cr, f, b, pct ? "Sky cover (%)" : "Cloud cover", legend);

  if (pct) {
    Scale sc{0, 100, d};
    scale_lines(cr, f, sc, 50);
    clip_to(cr, d);
    set_colour(cr, kSkyColour);
    for (int i = 0; i < s.n; i++) {
      float v = s.p[i].sky_pct;
      if (!has(v)) continue;
      double y = sc.y(std::clamp(double(v), 0.0, 100.0));
      cairo_rectangle(cr, f.cell_left(i) + 1, y, f.cell_right(i) - f.cell_left(i) - 2, d.y + d.h - y);
      cairo_fill(cr);
    }
    cairo_restore(cr);
  }
  if (!circles) return;
  // A circle a column, filled by the share of the sky covered.
  double r = std::max(2.0, std::min({f.min_step() * 0.38, d.h * 0.32, 11 * f.scale}));
  double y = d.y + d.h / 2;
  cairo_set_line_width(cr, 1.3 * f.scale);
  set_colour(cr, kInk);
  for (int i = 0; i < s.n; i++) {
    double cover = cloud_cover(s.p[i].cloud);
    if (cover < 0) continue;
    double x = f.col_x(i);
    if (cover > 0) {
      cairo_move_to(cr, x, y);
      cairo_arc(cr, x, y, r, -M_PI / 2, -M_PI / 2 + cover * 2 * M_PI);
      cairo_close_path(cr);
      cairo_fill(cr);
    }
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, r, 0, 2 * M_PI);
    cairo_stroke(cr);
  }
}

// The ceiling in hundreds of feet ("UNL": none), the visibility in miles.
void ceiling_text(const MOS_point &p, char *out, size_t size) {
  if (p.ceiling_unlimited)
    snprintf(out, size, "UNL");
  else if (has(p.ceiling_ft))
    snprintf(out, size, "%.0f", p.ceiling_ft / 100);
  else
    out[0] = '\0';
}
void visibility_text(const MOS_point &p, char *out, size_t size) {
  float v = p.visibility_mi;
  if (!has(v))
    out[0] = '\0';
  else if (v == std::floor(v))
    snprintf(out, size, "%.0f", v);
  else
    snprintf(out, size, "%.1f", v);
}

void flight_panel(cairo_t *cr, const Frame &f, Box b) {
  const MOS_series &s = *f.s;
  Box d = data_box(f, b);
  Box strip = flight_strip(f);
  double row = (strip.y - d.y) / 2;
  std::vector<Item> legend;
  for (int c = MOS_FLT_VFR; c <= MOS_FLT_LIFR; c++) legend.push_back({kFlightColour[c], kBar, MOS_flight_text(c)});
  panel_frame(cr, f, b, "Ceiling, visibility and flight category", legend);

  set_font(cr, f, 10.5, true);
  set_colour(cr, kInk);
  show_text(cr, d.x - 5 * f.scale, d.y + row / 2, "CIG 100 ft", 1, 0.5);
  show_text(cr, d.x - 5 * f.scale, d.y + row * 1.5, "VIS mi", 1, 0.5);
  show_text(cr, d.x - 5 * f.scale, strip.y + strip.h / 2, "category", 1, 0.5);

  // The values; where they do not fit between columns, every other one.
  double size = 10.5;
  set_font(cr, f, size);
  while (size > 7 && !labels_fit(cr, f, "UNL")) set_font(cr, f, size -= 0.5);
  int every = labels_fit(cr, f, "UNL") ? 1 : 2;
  for (int i = 0; i < s.n; i += every) {
    char text[16];
    ceiling_text(s.p[i], text, sizeof text);
    show_text(cr, f.col_x(i), d.y + row / 2, text, 0.5, 0.5);
    visibility_text(s.p[i], text, sizeof text);
    show_text(cr, f.col_x(i), d.y + row * 1.5, text, 0.5, 0.5);
  }

  set_font(cr, f, 10, true);
  bool names = labels_fit(cr, f, "LIFR");
  for (int i = 0; i < s.n; i++) {
    int c = s.p[i].flight;
    if (c < MOS_FLT_VFR || c > MOS_FLT_LIFR) continue;
    set_colour(cr, kFlightColour[c]);
    cairo_rectangle(cr, f.cell_left(i), strip.y, f.cell_right(i) - f.cell_left(i), strip.h);
    cairo_fill(cr);
    if (!names) continue;
    set_colour(cr, Colour{1, 1, 1});
    show_text(cr, f.col_x(i), strip.y + strip.h * 0.55, MOS_flight_text(c), 0.5, 0.5);
  }
}

}  // namespace

bool panel_has_data(const MOS_series &s, Panel p) {
  for (int i = 0; i < s.n; i++) {
    const MOS_point &q = s.p[i];
    switch (p) {
      case kTemp:
        if (has(q.temp_f) || has(q.dewpoint_f) || has(q.max_min_f)) return true;
        break;
      case kPrecip:
        if (has(q.pop1_pct) || has(q.pop6_pct) || has(q.pop12_pct) || has(q.tstm_pct)) return true;
        break;
      case kWind:
        if (has(q.wind_speed_kt) || has(q.gust_kt)) return true;
        break;
      case kSky:
        if (has(q.sky_pct) || cloud_cover(q.cloud) >= 0) return true;
        break;
      case kFlight:
        if (has(q.ceiling_ft) || q.ceiling_unlimited || has(q.visibility_mi) || q.flight != MOS_FLT_NONE) return true;
        break;
      default: return false;
    }
  }
  return false;
}

double panel_weight(Panel p) {
  static const double kWeight[kPanels] = {3.0, 1.5, 1.7, 0.9, 1.3};
  return p >= 0 && p < kPanels ? kWeight[p] : 0;
}

Box flight_strip(const Frame &f) {
  Box d = data_box(f, f.panel[kFlight]);
  double h = std::max(1.0, d.h * 0.36);
  return Box{d.x, d.y + d.h - h, d.w, h};
}

void draw_panel(cairo_t *cr, const Frame &f, Panel p) {
  Box b = f.panel[p];
  switch (p) {
    case kTemp: temp_panel(cr, f, b); break;
    case kPrecip: precip_panel(cr, f, b); break;
    case kWind: wind_panel(cr, f, b); break;
    case kSky: sky_panel(cr, f, b); break;
    case kFlight: flight_panel(cr, f, b); break;
    default: break;
  }
}

void set_colour(cairo_t *cr, Colour c) { cairo_set_source_rgb(cr, c.r, c.g, c.b); }

void set_font(cairo_t *cr, const Frame &f, double size, bool bold) {
  cairo_select_font_face(cr, "sans-serif", CAIRO_FONT_SLANT_NORMAL,
                         bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
  cairo_set_font_size(cr, size * f.scale);
}

void show_text(cairo_t *cr, double x, double y, const char *text, double ax, double ay) {
  cairo_font_extents_t fe;
  cairo_font_extents(cr, &fe);
  cairo_text_extents_t te;
  cairo_text_extents(cr, text, &te);
  double height = fe.ascent + fe.descent;
  cairo_move_to(cr, x - te.x_advance * ax, y - height * ay + fe.ascent);
  cairo_show_text(cr, text);
  cairo_new_path(cr);
}

double text_width(cairo_t *cr, const char *text) {
  cairo_text_extents_t te;
  cairo_text_extents(cr, text, &te);
  return te.x_advance;
}

}  // namespace qelplot
