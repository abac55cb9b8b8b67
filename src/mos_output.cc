// mos_output.cc: one station, a list of stations ("KBOS,KJFK") or every
// station of the family in the file ("all") in the chosen output form:
// the table (with its header), the compact line, JSON Lines or CSV. A station
// that is not there is named on standard error and makes the result 0;
// the others are still printed, in the order asked (file order for "all").
// Tables of several stations are separated by a blank line. The pictures
// (PNG, SVG) are drawn from each station's series, one file a station.

#include <cstring>
#include <string>
#include <vector>

#include "mos_grid.h"
#include "qelresrc.h"

namespace {

// What the printers keep from one station to the next.
struct OutputState {
  int printed = 0;      // stations printed so far
  Date date{};          // the date the file was chosen for (the run asked)
  int form = 0;         // the output form
  bool failed = false;  // a picture could not be written: no more are tried
};
OutputState out;

// A table of several stations begins on its own line.
void separate() {
  if (out.printed++ > 0) MESS_print(M_PRINT, "\n");
}

// The header of a table: the guidance, the station (with its name and
// place when the station table knows it) and the initial time (in the zone
// of local times when one is set).
void header(const char *name, const char *id, Date run) {
  char label[80], station[96];
  DATE_make_zone_label(&run, label, sizeof label);
  MOS_station_label(id, station, sizeof station);
  MESS_print(M_PRINT, "  %s data for %s\nInitial time: %s\n\n", name, station, label);
}

// The run of the block read last (the bulletin's own), else the file's date.
Date block_run(Date *date) {
  Date run;
  if (MOS_get_run(&run)) return run;
  return *date;
}

int table_station(Date *date, MOS_report *r) {
  separate();
  Date run = block_run(date);
  header(MOS_model_title(r->model), r->id, run);
  MOS_print(&run, r);
  return 0;
}

int table_upper(Date *date, MOSU_report *r) {
  separate();
  Date run = block_run(date);
  header(MOS_model_title(FLAG_get(FLAG_MODEL)), r->id, run);
  MOSU_print(&run, r);
  return 0;
}

int table_extended(Date *date, MOSM_report *r) {
  separate();
  Date run = block_run(date);
  header(MOS_model_title(FLAG_get(FLAG_MODEL)), r->id, run);
  MOSM_print(&run, r);
  return 0;
}

int table_grid(Date *date, MOSG_report *r) {
  separate();
  char name[40];
  MOSG_header(r, name, sizeof name);
  // The run of the station line, minutes and all (LAMP runs at HH30, and
  // "1230Z" is never labelled "12Z"); else the file's date.
  Date run = r->run.year != QEL_MISS ? r->run : *date;
  const GridProduct *p = grid_product(r->model);
  if (run.min == 0 && !(p && p->lamp)) run.min = QEL_MISS;
  if (run.min != QEL_MISS) run.sec = QEL_MISS;
  header(name, r->id, run);
  MOSG_print(date, r);
  return 0;
}

// The picture of a station's series; none after a failed one.
void picture(const MOS_series *series) {
  if (!out.failed && !MOS_plot_station(series, out.form)) out.failed = true;
}

int picture_station(Date *date, MOS_report *r) {
  static MOS_series series;
  Date run = block_run(date);
  MOS_series_of(r, &run, &series);
  picture(&series);
  return 0;
}

int picture_grid(Date *date, MOSG_report *r) {
  static MOS_series series;
  MOSG_series_of(r, date, &series);
  picture(&series);
  return 0;
}

// Keeps the identifier of each station read (the compact lines of "all").
std::vector<std::string> *kept_ids = nullptr;
template <typename Report>
int keep_id(Date *, Report *r) {
  kept_ids->push_back(r->id);
  return 0;
}

// Prints every station of the bulletin file in file order with the
// family's reader; false when there is none.
template <typename Report>
bool all_stations(Date *date, int (*reader)(int, Report *, int, int *), int (*print)(Date *, Report *)) {
  int ind = MOS_open(date);
  static Report report;  // a grid report is large
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
  static Report report;
  if (get(date, id, &report) != 1) return false;
  print(date, &report);
  return true;
}

enum class Family { None, Station, Upper, Extended, Grid };

Family family_of(int code) {
  switch (MOS_model_family(code)) {
    case MOS_FAMILY_STATION: return Family::Station;
    case MOS_FAMILY_UPPER: return Family::Upper;
    case MOS_FAMILY_EXTENDED: return Family::Extended;
    case MOS_FAMILY_GRID: return Family::Grid;
    default: return Family::None;
  }
}

// The printer of a report for output form `form` (not the compact line).
template <typename Report>
using Printer = int (*)(Date *, Report *);
template <typename Report>
Printer<Report> printer(int form, Printer<Report> table, Printer<Report> json, Printer<Report> csv) {
  return form == MOS_FORM_JSON ? json : form == MOS_FORM_CSV ? csv : table;
}

// Every station of the file, in the chosen form (not the compact line).
bool every_station(Date *date, Family f, int form) {
  if (form == MOS_FORM_PNG || form == MOS_FORM_SVG)
    return f == Family::Grid ? all_stations(date, MOSG_read, picture_grid)
                             : all_stations(date, MOS_read, picture_station);
  switch (f) {
    case Family::Station: return all_stations(date, MOS_read, printer(form, table_station, MOS_json, MOS_csv));
    case Family::Upper: return all_stations(date, MOSU_read, printer(form, table_upper, MOSU_json, MOSU_csv));
    case Family::Extended: return all_stations(date, MOSM_read, printer(form, table_extended, MOSM_json, MOSM_csv));
    case Family::Grid: return all_stations(date, MOSG_read, printer(form, table_grid, MOSG_json, MOSG_csv));
    default: return false;
  }
}

bool station(Date *date, Family f, int form, const char *id) {
  if (form == MOS_FORM_PNG || form == MOS_FORM_SVG) {
    static MOS_series series;
    if (MOS_get_series(date, id, &series) != 1) return false;
    picture(&series);
    return true;
  }
  switch (f) {
    case Family::Station:
      return one_station(date, id, MOS_get_station, printer(form, table_station, MOS_json, MOS_csv));
    case Family::Upper: return one_station(date, id, MOSU_get_station, printer(form, table_upper, MOSU_json, MOSU_csv));
    case Family::Extended:
      return one_station(date, id, MOSM_get_station, printer(form, table_extended, MOSM_json, MOSM_csv));
    case Family::Grid: return one_station(date, id, MOSG_get_station, printer(form, table_grid, MOSG_json, MOSG_csv));
    default: return false;
  }
}

// The compact line of one station: the reference station's report first,
// then the station's; false when either is missing.
bool compact(Date *date, int code, const char *id) {
  if (code == MOS_MRFX) {
    static MOSM_report ref, sta;
    if (MOSM_get_station(date, "IND", &ref) != 1 || MOSM_get_station(date, id, &sta) != 1) return false;
    MOSM_zim_fore(&ref, &sta);
    return true;
  }
  static MOS_report ref, sta;
  const char *ref_id = code == MOS_NGM ? "IND" : "KIND";
  if (MOS_get_station(date, ref_id, &ref) != 1 || MOS_get_station(date, id, &sta) != 1) return false;
  MOS_zim_fore(code, &ref, &sta);
  return true;
}

bool has_compact(int code) {
  switch (code) {
    case MOS_NGM:
    case MOS_ETA:
    case MOS_NAM:
    case MOS_AVN:
    case MOS_GFS:
    case MOS_ECS:
    case MOS_GFSX:
    case MOS_MRFX: return true;
    default: return false;
  }
}

}  // namespace

int MOS_output(Date *date, const char *ids, int form) {
  int code = FLAG_get(FLAG_MODEL);
  Family f = family_of(code);
  if (f == Family::None || (form == MOS_FORM_ZIM && !has_compact(code))) return 1;  // no output form for this model
  if (!ids) ids = "";
  out.printed = 0;
  out.form = form;
  out.failed = false;
  if (date) out.date = *date;
  if (form == MOS_FORM_CSV) MOS_csv_begin(code);  // the header, fixed before the first station
  if (form == MOS_FORM_PNG || form == MOS_FORM_SVG) {
    if (f == Family::Upper || f == Family::Extended) {
      MESS_print(M_ERROR, "%s: the %s tables have no meteogram (use -ou table or -ou json)\n", MOS_model_word(code),
                 f == Family::Upper ? "upper-air" : "extended-range");
      return MOS_OUT_CANNOT;
    }
    if (!MOS_plot_target(stricmp(ids, "all") == 0 || strchr(ids, ',') != nullptr)) return MOS_OUT_CANNOT;
  }

  std::vector<std::string> list;
  if (stricmp(ids, "all") == 0) {
    if (form != MOS_FORM_ZIM) {
      bool any = every_station(date, f, form);
      if (!any) MESS_print(M_WARN, "No data found!\n");
      if (out.failed) return MOS_OUT_WRITE;
      return any ? 1 : 0;
    }
    // The compact lines of every station: their identifiers first.
    std::vector<std::string> all;
    kept_ids = &all;
    bool any = f == Family::Extended ? all_stations(date, MOSM_read, keep_id<MOSM_report>)
                                     : all_stations(date, MOS_read, keep_id<MOS_report>);
    kept_ids = nullptr;
    if (!any) {
      MESS_print(M_WARN, "No data found!\n");
      return 0;
    }
    list = all;
  } else {
    int n = 0;
    char **words = nullptr;
    parse_string(ids, ',', &n, &words);
    for (int i = 0; i < n; i++) list.push_back(words[i]);
    free_parsed_array(n, words);
  }

  int missing = 0;
  for (const std::string &id : list) {
    bool found = form == MOS_FORM_ZIM ? compact(date, code, id.c_str()) : station(date, f, form, id.c_str());
    if (found) continue;
    missing++;
    if (list.size() == 1)
      MESS_print(M_WARN, "No data found!\n");
    else
      MESS_print(M_WARN, "%s: No data found!\n", id.c_str());
  }
  if (list.empty()) MESS_print(M_WARN, "No data found!\n");
  if (out.failed) return MOS_OUT_WRITE;
  return !list.empty() && missing == 0 ? 1 : 0;
}

int MOS_json_stations(Date *date, const char *ids) { return MOS_output(date, ids, MOS_FORM_JSON); }
