// mos_plot.cc: the meteogram (-ou png, -ou svg): a station's guidance as
// one picture drawn with cairo from its series (mos_series.cc), a title
// over the panels of mos_plot_panels.cc on one time axis; where the
// pictures of a run go (a file, a file a station, standard output or a
// command); the picture size. State: the size and the target of the run.

#include <algorithm>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include <cairo-svg.h>
#include <fontconfig/fontconfig.h>
#include <unistd.h>

#include "mos_plot.h"
#include "paths.h"
#include "qelresrc.h"

namespace {

using namespace qelplot;

struct PlotState {
  std::string pattern;   // the out_file value: a file, a name pattern, "" (standard output) or "|command"
  bool several = false;  // one picture a station of several
};
PlotState st;

// The zone of the time axis: UTC, or the zone of -tz. The axis labels,
// the day boundaries and the title's zone come from these functions alone.
std::string zone_name(const MOS_series &s) {
  if (!DATE_zone_set()) return "UTC";
  // The zone's abbreviations over the picture ("EST", or "EDT/EST" across
  // a change of daylight saving).
  std::string names;
  for (int i = 0; i < s.n; i++) {
    if (s.p[i].valid < 0) continue;
    Date d;
    char abbr[16] = "";
    DATE_get_zonedate(s.p[i].valid, &d, abbr, sizeof abbr, nullptr);
    if (abbr[0] && names.find(abbr) == std::string::npos) names += (names.empty() ? "" : "/") + std::string(abbr);
  }
  return names.empty() ? "local" : names;
}
Date zone_date(int64_t secs) {
  Date d;
  DATE_get_zonedate(secs, &d, nullptr, 0, nullptr);  // UTC without a zone
  return d;
}

// A valid time's axis label: its hour ("18Z", LAMP's "1830Z"; in a local
// zone "14" or "1430") and its day ("Wed 7 Apr").
void axis_label(int64_t valid, char *hour, size_t hour_size, char *day, size_t day_size) {
  static const char *const kDays[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char *const kMonths[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  Date d = zone_date(valid);
  if (d.month < 1 || d.month > 12 || d.wday < 0 || d.wday > 6) {  // beyond what the system breaks down
    str_copy(hour, "", hour_size);
    str_copy(day, "", day_size);
    return;
  }
  const char *z = DATE_zone_set() ? "" : "Z";
  if (d.min != 0)
    snprintf(hour, hour_size, "%02d%02d%s", d.hour, d.min, z);
  else
    snprintf(hour, hour_size, "%02d%s", d.hour, z);
  snprintf(day, day_size, "%s %d %s", kDays[d.wday], d.day, kMonths[d.month - 1]);
}

// A text of the file for the title: bytes other than printable ASCII
// become "?" (cairo draws nothing more after a text that is not UTF-8).
std::string printable(const char *text) {
  std::string out;
  for (const char *c = text; *c; c++) out += (*c >= 0x20 && *c < 0x7F) ? *c : '?';
  return out;
}

// The run as the title gives it: "12Z 7 APR 2021", LAMP's "1230Z ...".
std::string run_text(const Date &run) {
  if (run.year == QEL_MISS || run.month < 1 || run.month > 12 || run.day == QEL_MISS || run.hour == QEL_MISS)
    return "run unknown";
  char text[48];
  if (run.min != QEL_MISS && run.min != 0)
    snprintf(text, sizeof text, "run %02d%02dZ %d %s %d", run.hour, run.min, run.day, DATE_month(run.month), run.year);
  else
    snprintf(text, sizeof text, "run %02dZ %d %s %d", run.hour, run.day, DATE_month(run.month), run.year);
  return text;
}

// The title: the station (with its name and place where the station
// table knows them), the product, the run and the zone, in smaller type
// where they would not fit on one line.
void title(cairo_t *cr, const Frame &f) {
  const MOS_series &s = *f.s;
  char label[96];
  MOS_station_label(s.id, label, sizeof label);
  std::string head = printable(label), rest = printable(s.name) + "    " + run_text(s.run);
  std::string zone = std::string("times ") + zone_name(s);
  double size = 1;
  for (; size > 0.6; size -= 0.05) {
    set_font(cr, f, 18 * size, true);
    double w = text_width(cr, head.c_str()) + 16 * f.scale;
    set_font(cr, f, 15 * size);
    w += text_width(cr, rest.c_str()) + 16 * f.scale;
    set_font(cr, f, 12 * size);
    if (w + text_width(cr, zone.c_str()) <= f.right - f.left) break;
  }
  double y = f.title.h / 2 + 2 * f.scale, x = f.left;
  set_colour(cr, Colour{0.1, 0.1, 0.1});
  set_font(cr, f, 18 * size, true);
  show_text(cr, x, y, head.c_str(), 0, 0.5);
  x += text_width(cr, head.c_str()) + 16 * f.scale;
  set_font(cr, f, 15 * size);
  show_text(cr, x, y, rest.c_str(), 0, 0.5);
  set_font(cr, f, 12 * size);
  show_text(cr, f.right, y, zone.c_str(), 1, 0.5);
}

// The vertical lines of the columns through every panel, darker at the
// start of a day.
void column_lines(cairo_t *cr, const Frame &f, double top, double bottom) {
  cairo_set_line_width(cr, 1);
  set_colour(cr, Colour{0.93, 0.93, 0.93});
  for (int i = 0; i < f.s->n; i++) {
    double x = std::round(f.col_x(i)) + 0.5;
    cairo_move_to(cr, x, top);
    cairo_line_to(cr, x, bottom);
  }
  cairo_stroke(cr);
  if (!f.real_times) return;
  set_colour(cr, Colour{0.55, 0.55, 0.55});
  for (int i = 0; i < f.s->n; i++) {
    Date d = zone_date(int64_t(f.t[i]));
    if (i > 0 && zone_date(int64_t(f.t[i - 1])).day == d.day) continue;
    double midnight = f.t[i] - d.hour * 3600.0 - d.min * 60.0;
    if (midnight <= f.t0) continue;
    double x = std::round(f.x(midnight)) + 0.5;
    cairo_move_to(cr, x, top);
    cairo_line_to(cr, x, bottom);
  }
  cairo_stroke(cr);
}

// The hours under the columns (every other one, or fewer, where they do
// not fit) and the day of the first column and of each new day.
void time_axis(cairo_t *cr, const Frame &f) {
  const MOS_series &s = *f.s;
  if (s.n == 0) return;
  set_font(cr, f, 11);
  double need = text_width(cr, "0000Z") + 6 * f.scale;
  int every = 1;
  while (every < s.n && every * f.min_step() < need) every++;
  double y = f.axis.y + 4 * f.scale;
  set_colour(cr, Colour{0.15, 0.15, 0.15});
  for (int i = 0; i < s.n; i += every) {
    char hour[16], day[32];
    if (f.real_times)
      axis_label(int64_t(f.t[i]), hour, sizeof hour, day, sizeof day);
    else if (s.p[i].hour != QEL_MISS)
      snprintf(hour, sizeof hour, "+%dh", s.p[i].hour);
    else
      hour[0] = '\0';
    show_text(cr, f.col_x(i), y, hour, 0.5, 0);
  }
  if (!f.real_times) {
    show_text(cr, f.left, y + 16 * f.scale, "hours from the run", 0, 0);
    return;
  }
  set_font(cr, f, 11.5, true);
  double last_end = -1e9;
  for (int i = 0; i < s.n; i++) {
    Date d = zone_date(int64_t(f.t[i]));
    if (i > 0 && zone_date(int64_t(f.t[i - 1])).day == d.day) continue;
    char hour[16], day[32];
    axis_label(int64_t(f.t[i]), hour, sizeof hour, day, sizeof day);
    double midnight = f.t[i] - d.hour * 3600.0 - d.min * 60.0;
    double x = std::max(f.x(midnight) + 3 * f.scale, f.left);
    x = std::min(x, f.width - 4 * f.scale - text_width(cr, day));  // the last day stays inside the picture
    if (x < last_end) continue;
    show_text(cr, x, y + 16 * f.scale, day, 0, 0);
    last_end = x + text_width(cr, day) + 8 * f.scale;
  }
}

void render(cairo_t *cr, const Frame &f) {
  cairo_set_source_rgb(cr, 1, 1, 1);
  cairo_paint(cr);
  title(cr, f);
  bool any = false;
  double top = f.height, bottom = 0;
  for (int p = 0; p < kPanels; p++) {
    if (!f.shown[p]) continue;
    any = true;
    top = std::min(top, f.panel[p].y);
    bottom = std::max(bottom, f.panel[p].y + f.panel[p].h);
  }
  if (!any) {
    set_font(cr, f, 16);
    set_colour(cr, Colour{0.3, 0.3, 0.3});
    show_text(cr, f.width / 2, f.height / 2, "No forecast values in this station's block", 0.5, 0.5);
    time_axis(cr, f);
    return;
  }
  column_lines(cr, f, top + 16 * f.scale, bottom);
  for (int p = 0; p < kPanels; p++)
    if (f.shown[p]) draw_panel(cr, f, Panel(p));
  time_axis(cr, f);
}

// Where cairo's output goes, with the reason of a failed write.
struct Sink {
  FILE *out;
  int err;
};
cairo_status_t write_sink(void *closure, const unsigned char *data, unsigned int length) {
  Sink *sink = static_cast<Sink *>(closure);
  if (fwrite(data, 1, length, sink->out) == length) return CAIRO_STATUS_SUCCESS;
  sink->err = errno ? errno : EIO;
  return CAIRO_STATUS_WRITE_ERROR;
}

// Under the address sanitizer, the font caches that cairo and fontconfig
// keep for the life of the process are released at its end, so that the
// leak check sees only the program's own memory.
#if defined(__SANITIZE_ADDRESS__)
void release_fonts() {
  cairo_debug_reset_static_data();
  FcFini();
}
void release_fonts_at_exit() {
  static bool registered = false;
  if (!registered) atexit(release_fonts);
  registered = true;
}
#else
void release_fonts_at_exit() {}
#endif

// A series held here with its count inside the capacity.
const MOS_series &bounded(const MOS_series *series) {
  static MOS_series s;
  s = *series;
  s.n = std::clamp(s.n, 0, MOSG_COLS);
  return s;
}

// The picture of `series` into `out`: 0 and *err (the reason) when cairo
// or the stream failed.
int draw(const MOS_series *series, int form, FILE *out, int *err) {
  const MOS_series &s = bounded(series);
  int width, height;
  MOS_plot_get_size(&width, &height);
  Frame f = make_frame(s, width, height);
  release_fonts_at_exit();
  Sink sink{out, 0};
  cairo_surface_t *surface = form == MOS_FORM_SVG
                                 ? cairo_svg_surface_create_for_stream(write_sink, &sink, width, height)
                                 : cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
  if (form == MOS_FORM_SVG) cairo_svg_surface_set_document_unit(surface, CAIRO_SVG_UNIT_PX);
  cairo_t *cr = cairo_create(surface);
  render(cr, f);
  cairo_status_t status = cairo_status(cr);
  cairo_destroy(cr);
  if (status == CAIRO_STATUS_SUCCESS && form == MOS_FORM_PNG)
    status = cairo_surface_write_to_png_stream(surface, write_sink, &sink);
  cairo_surface_finish(surface);
  if (status == CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface);
  cairo_surface_destroy(surface);
  if (status == CAIRO_STATUS_SUCCESS) return 1;
  *err = sink.err;
  if (!*err) MESS_print(M_DEBUG, "cairo: %s\n", cairo_status_to_string(status));
  return 0;
}

// An identifier as a part of a file name: letters, digits, "_" and "-"
// kept, any other byte "_" (an identifier of the file never names another
// directory, nor reaches a command's text).
std::string file_part(const char *id) {
  std::string out;
  for (const char *c = id; *c; c++)
    out += ((*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z') || (*c >= '0' && *c <= '9') || *c == '-') ? *c : '_';
  return out.empty() ? "_" : out;
}

// The file of station `id`: "%s" in the pattern replaced by the
// identifier; else, for one picture of several, the identifier put before
// the extension ("kdsm.png" -> "kdsm_KDSM.png"); else the pattern itself.
std::string file_of(const std::string &pattern, const char *id) {
  std::string part = file_part(id), name;
  bool replaced = false;
  for (size_t i = 0; i < pattern.size(); i++) {
    if (pattern.compare(i, 2, "%s") == 0) {
      name += part;
      replaced = true;
      i++;
    } else {
      name += pattern[i];
    }
  }
  if (replaced || !st.several || pattern[0] == '|') return name;
  size_t slash = name.rfind('/');
  size_t base = slash == std::string::npos ? 0 : slash + 1;
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot <= base) dot = name.size();
  return name.substr(0, dot) + "_" + part + name.substr(dot);
}

// An error of the pictures, after the program's name.
void say_error(const std::string &text) {
  char prog[20];
  RES_get_progname(prog);
  MESS_print(M_ERROR, "%s: %s\n", prog, text.c_str());
}

}  // namespace

namespace qelplot {

double Frame::min_step() const {
  double step = right - left;
  for (int i = 1; i < s->n; i++) step = std::min(step, col_x(i) - col_x(i - 1));
  return step;
}

Frame make_frame(const MOS_series &s, double width, double height) {
  Frame f;
  f.s = &s;
  f.width = width;
  f.height = height;
  f.scale = std::min(width / 1200, height / 800);
  double sc = f.scale;
  f.title = Box{0, 0, width, 40 * sc};
  f.left = 84 * sc;
  f.right = width - 24 * sc;
  f.axis = Box{f.left, height - 42 * sc, f.right - f.left, 42 * sc};

  // The columns' places: valid times, else hours, else one hour apart;
  // a place that does not follow the one before makes them one hour apart.
  int n = std::clamp(s.n, 0, MOSG_COLS);
  bool valid = true, hours = true;
  for (int i = 0; i < n; i++) {
    valid = valid && s.p[i].valid >= 0;
    hours = hours && s.p[i].hour != QEL_MISS;
  }
  for (int i = 0; i < n; i++) f.t[i] = valid ? double(s.p[i].valid) : hours ? s.p[i].hour * 3600.0 : i * 3600.0;
  for (int i = 1; i < n; i++)
    if (f.t[i] <= f.t[i - 1]) {
      valid = false;
      for (int k = 0; k < n; k++) f.t[k] = k * 3600.0;
      break;
    }
  f.real_times = n > 0 && valid;
  double first = n > 1 ? f.t[1] - f.t[0] : 3600, last = n > 1 ? f.t[n - 1] - f.t[n - 2] : 3600;
  f.t0 = n > 0 ? f.t[0] - first / 2 : 0;
  f.t1 = n > 0 ? f.t[n - 1] + last / 2 : 3600;

  // The panels shown share the height between the title and the axis, a
  // panel at most two and a half times its height among all five (a
  // family of few elements leaves room at the bottom); the axis follows
  // the last panel.
  double weights = 0, all = 0;
  int count = 0;
  for (int p = 0; p < kPanels; p++) {
    f.shown[p] = panel_has_data(s, Panel(p));
    all += panel_weight(Panel(p));
    if (f.shown[p]) weights += panel_weight(Panel(p)), count++;
  }
  double gap = 8 * sc, y = f.title.h + 2 * sc;
  double room = f.axis.y - y - gap * std::max(0, count - 1);
  double unit = (f.axis.y - y - gap * (kPanels - 1)) / all;
  for (int p = 0; p < kPanels; p++) {
    if (!f.shown[p]) continue;
    double h = std::min(room * panel_weight(Panel(p)) / weights, 2.5 * unit * panel_weight(Panel(p)));
    f.panel[p] = Box{f.left, y, f.right - f.left, h};
    y += h + gap;
  }
  if (count > 0) f.axis.y = y - gap;
  return f;
}

}  // namespace qelplot

int MOS_plot_write(const MOS_series *series, int form, FILE *out) {
  if (!series || !out || (form != MOS_FORM_PNG && form != MOS_FORM_SVG)) return 0;
  int err = 0;
  return draw(series, form, out, &err);
}

int MOS_plot_target(int several) {
  const char *value = RES_get("out_file");
  st.pattern = value ? value : "";
  st.several = several != 0;
  const char *name = st.pattern.c_str();
  if (FILE_is_stdio(name)) {
    if (st.several) {
      say_error("a picture a station needs a file name: -of 'NAME_%s.png' (%s: the identifier)");
      return 0;
    }
    if (isatty(STDOUT_FILENO)) {
      say_error("a picture is not written to a terminal: name its file with -of FILE");
      return 0;
    }
  }
  if (name[0] == '|' && RES_get_origin("out_file")) {
    std::string source = std::string("the defaults file ") + RES_get_origin("out_file") + " in the current directory";
    MESS_print(M_WARN, "Command not run: %s (from %s)\n", name, source.c_str());
    return 0;
  }
  return 1;
}

int MOS_plot_station(const MOS_series *series, int form) {
  bool to_stdout = FILE_is_stdio(st.pattern.c_str());
  std::string name = to_stdout ? "standard output" : file_of(st.pattern, series->id);
  bool command = !to_stdout && name[0] == '|';
  errno = 0;
  FILE *out = to_stdout ? stdout : FILE_open(name.c_str(), "wb");
  if (!out) {
    say_error("cannot write " + name + ": " + (command ? "command not run" : strerror(errno ? errno : EACCES)));
    return 0;
  }
  int err = 0;
  int ok = draw(series, form, out, &err);
  std::string reason = err ? strerror(err) : "the picture could not be drawn";
  if (to_stdout) {
    if (fflush(stdout) != 0 && ok) ok = 0, reason = strerror(errno);
  } else if (command) {
    if (pclose(out) != 0 && ok) ok = 0, reason = "the command failed";
  } else if (fclose(out) != 0 && ok) {
    ok = 0, reason = strerror(errno);
  }
  if (!ok) {
    say_error("cannot write " + name + ": " + reason);
    if (!to_stdout && !command) unlink(qelfiles::expand_user(name.c_str()).c_str());  // no half a picture
    return 0;
  }
  if (!to_stdout) MESS_print(M_MESS, "%s: written to %s\n", series->id, name.c_str());
  return 1;
}

int MOS_plot_strip_pixel(const MOS_series *series, int col, int *x, int *y) {
  const MOS_series &s = bounded(series);
  int width, height;
  MOS_plot_get_size(&width, &height);
  Frame f = make_frame(s, width, height);
  if (!f.shown[kFlight] || col < 0 || col >= s.n || s.p[col].flight == MOS_FLT_NONE) return 0;
  Box strip = flight_strip(f);
  *x = int(f.col_x(col));
  *y = int(strip.y + strip.h * 0.12) + 1;
  return 1;
}
