// mos_plot.h: what the two files of the meteogram share: the frame of one
// picture (the panels shown, their boxes, the time axis and each column's
// place on it), laid out by mos_plot.cc, and the panels and text helpers
// of mos_plot_panels.cc that draw into it with cairo.
#pragma once

#include <cairo.h>

#include "qelmos.h"

namespace qelplot {

/// A rectangle of the picture, in pixels from its top left corner.
struct Box {
  double x = 0, y = 0, w = 0, h = 0;
};

/// The panels, top to bottom.
enum Panel { kTemp, kPrecip, kWind, kSky, kFlight, kPanels };

/// One picture's layout. Columns stand on the time axis at their valid
/// times, or at their forecast hours when a valid time is unknown, or one
/// hour apart when neither is; the axis reaches half a column step beyond
/// the first and the last column.
struct Frame {
  const MOS_series *s = nullptr;
  double width = 0, height = 0;
  double scale = 1;            // of fonts and lines, against 1200 x 800
  Box title;                   // the title band
  Box axis;                    // the time labels under the panels
  Box panel[kPanels];          // the panels (height 0 when not shown)
  bool shown[kPanels] = {};    // a panel is shown where the family gives its elements
  double left = 0, right = 0;  // the x span of the time axis, pixels
  bool real_times = false;     // t holds valid times (else hours from the run)
  double t[MOSG_COLS] = {};    // each column's place on the axis, seconds
  double t0 = 0, t1 = 1;       // the axis' span, seconds

  /// The pixel column of a place on the axis.
  double x(double secs) const { return left + (secs - t0) / (t1 - t0) * (right - left); }
  /// The pixel column of column i.
  double col_x(int i) const { return x(t[i]); }
  /// The cell of column i: from halfway to the previous column to halfway
  /// to the next (the axis' ends for the first and last).
  double cell_left(int i) const { return i > 0 ? x((t[i - 1] + t[i]) / 2) : left; }
  double cell_right(int i) const { return i + 1 < s->n ? x((t[i] + t[i + 1]) / 2) : right; }
  /// The narrowest distance between two columns, pixels (the width when one column).
  double min_step() const;
};

/// The frame of `series` in a picture of `width` x `height` pixels.
Frame make_frame(const MOS_series &series, double width, double height);

// ---------------------------------------------------------------------------
// Panels (mos_plot_panels.cc)

/// True when the series gives any element of panel `p`.
bool panel_has_data(const MOS_series &s, Panel p);
/// The share of the height panel `p` takes against the others shown.
double panel_weight(Panel p);
/// Draws panel `p` into its box of the frame.
void draw_panel(cairo_t *cr, const Frame &f, Panel p);
/// The box of the flight-category strip inside the flight panel.
Box flight_strip(const Frame &f);

// ---------------------------------------------------------------------------
// Text and colours (mos_plot_panels.cc)

/// An RGB colour, each part 0 to 1.
struct Colour {
  double r, g, b;
};
void set_colour(cairo_t *cr, Colour c);
/// Selects the sans-serif face of the system (fontconfig) at `size` pixels
/// times the frame's scale.
void set_font(cairo_t *cr, const Frame &f, double size, bool bold = false);
/// Shows `text` (UTF-8) with its reference point at (x, y): `ax` 0 puts
/// its left edge there, 0.5 its middle, 1 its right edge; `ay` likewise
/// from its top (0) to its bottom (1).
void show_text(cairo_t *cr, double x, double y, const char *text, double ax, double ay);
/// The width of `text` in the current font, pixels.
double text_width(cairo_t *cr, const char *text);

/// True for a value the series gives (not QEL_MISS).
inline bool has(float v) { return v != QEL_MISS && v == v; }

}  // namespace qelplot
