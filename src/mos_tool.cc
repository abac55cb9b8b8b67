// mos_tool.cc: the MOS report records, the selection of model and data
// type from the resources (with the print options of the "parameter"
// resource) and station retrieval over the bulletin readers. The printers
// are in mos_print.cc. No module state.

#include <cstring>
#include <string>

#include "qelmos.h"
#include "qelresrc.h"

namespace {

void fill(int32_t *a, int n, int32_t v) {
  for (int i = 0; i < n; i++) a[i] = v;
}

}  // namespace

// ---------------------------------------------------------------------------
// Records

int MOS_initialize(MOS_report *r) {
  r->num = 0;
  int32_t *arrays[] = {r->hour, r->t,     r->td,    r->w_dir,  r->w_spd, r->pop6,  r->pop12,
                       r->pot6, r->pot12, r->post6, r->post12, r->ptype, r->ext_t, r->cover,
                       r->hght, r->vis,   r->obvis, r->qpf6,   r->qpf12, r->qsf6,  r->qsf12};
  for (int32_t *a : arrays) fill(a, MOS_SLOTS, QEL_MISS);
  return 0;
}

int MOSU_initialize(MOSU_report *r) {
  for (int i = 0; i < 13; i++) {
    r->prec[i] = r->vert[i] = r->li[i] = r->hght[i] = QEL_MISS;
    r->dir[i] = r->spd[i] = r->psl[i] = QEL_MISS;
    for (int k = 1; k <= 3; k++) r->t[i][k] = r->rh[i][k] = QEL_MISS;
  }
  return 0;
}

int MOSM_initialize(MOSM_report *r) {
  for (int d = 0; d < 9; d++) {
    r->max[d] = r->nmax[d] = r->min[d] = r->nmin[d] = r->pop24[d] = QEL_MISS;
    for (int h = 0; h < 2; h++)
      r->t[d][h] = r->td[d][h] = r->cover[d][h] = r->w_spd[d][h] = r->pop12[d][h] = r->pos12[d][h] = QEL_MISS;
  }
  return 0;
}

// ---------------------------------------------------------------------------
// Models

namespace {

struct Model {
  const char *word;   // the model word of "-mo" and of JSON's "model"
  int code;           // flag 4
  const char *title;  // the guidance as a table header names it
  bool bounded;       // in a data type, the word counts only between "_"s (today's words)
  int family;         // the kind of its reports (MOS_family)
};

constexpr int S = MOS_FAMILY_STATION, U = MOS_FAMILY_UPPER, X = MOS_FAMILY_EXTENDED, G = MOS_FAMILY_GRID;

// The order in which a "model" value is compared, and the known words in
// the order the warning lists them.
// clang-format off
const Model kModels[] = {
    {"ngm", MOS_NGM, "NGM MOS", false, S},           {"ngm_ua", MOS_NGM_UA, "NGM MOS", false, U},
    {"eta", MOS_ETA, "ETA MOS", false, S},           {"eta_ua", MOS_ETA_UA, "ETA MOS", false, U},
    {"nam", MOS_NAM, "NAM MOS", false, S},           {"nam_ua", MOS_NAM_UA, "NAM MOS", false, U},
    {"avn", MOS_AVN, "AVN MOS", false, S},           {"mrf", MOS_MRF, "MRF MOS", false, S},
    {"mrfx", MOS_MRFX, "MRF MOS", false, X},         {"gfs", MOS_GFS, "GFS MOS", false, S},
    {"gfsx", MOS_GFSX, "GFSX MOS", false, S},        {"nbh", MOS_NBH, "NBM NBH", true, G},
    {"nbs", MOS_NBS, "NBM NBS", true, G},            {"nbe", MOS_NBE, "NBM NBE", true, G},
    {"nbx", MOS_NBX, "NBM NBX", true, G},            {"nbp", MOS_NBP, "NBM NBP", true, G},
    {"lav", MOS_LAV, "GFS LAMP LAV", true, G},       {"lev", MOS_LEV, "GFS LAMP LEV", true, G},
    {"ecs", MOS_ECS, "ECS MOS", true, S},
};
// clang-format on

// The order in which an "in_file" value is searched: longer keywords before
// the keywords they contain.
const char *const kInFileOrder[] = {"ngm_ua", "ngm", "eta_ua", "eta", "nam_ua", "nam", "avn", "mrfx", "mrf", "gfsx",
                                    "gfs",    "nbh", "nbs",    "nbe", "nbx",    "nbp", "lav", "lev",  "ecs"};

const Model *model_of_word(const char *word) {
  for (const Model &m : kModels)
    if (stricmp(word, m.word) == 0) return &m;
  return nullptr;
}

const Model *model_of_code(int code) {
  for (const Model &m : kModels)
    if (m.code == code) return &m;
  return nullptr;
}

// Whether data type `type` names model `m`: the word anywhere in it, or,
// for today's words, as a whole part between "_"s ("nbs_mos", "mos_nbs").
bool type_names(const char *type, const Model &m) {
  size_t n = strlen(m.word);
  for (const char *p = strstr(type, m.word); p; p = strstr(p + 1, m.word)) {
    if (!m.bounded) return true;
    if ((p == type || p[-1] == '_') && (p[n] == '\0' || p[n] == '_' || p[n] == ':')) return true;
  }
  return false;
}

// What the selection found: whether a model was named at all.
struct Selection {
  bool model_named = false;
};
Selection sel;

}  // namespace

const char *MOS_model_word(int code) {
  const Model *m = model_of_code(code);
  return m ? m->word : nullptr;
}

int MOS_model_family(int code) {
  const Model *m = model_of_code(code);
  return m ? m->family : MOS_FAMILY_NONE;
}

const char *MOS_model_title(int code) {
  const Model *m = model_of_code(code);
  return m ? m->title : nullptr;
}

// ---------------------------------------------------------------------------
// Input selection and station retrieval

int MOS_in_file() {
  char type[] = "mos_dat";
  FILE_set_name(type);
  PAR_set_in_file(type);
  FLAG_set(FLAG_MODEL, MOS_NGM);
  sel.model_named = false;

  // A word that names no model is named in a warning; the file then tells
  // the family, as when no model is given.
  const char *model = RES_get("model");
  if (model && *model) {
    const Model *found = model_of_word(model);
    if (found) {
      FLAG_set(FLAG_MODEL, found->code);
      sel.model_named = true;
    } else {
      std::string known;
      for (const Model &m : kModels) known += known.empty() ? m.word : std::string(", ") + m.word;
      MESS_print(M_WARN, "unknown model '%s' (known: %s)\n", model, known.c_str());
    }
  }

  int n = 0;
  char **values = nullptr;
  RES_getvals("in_file", &n, &values);
  for (int i = 0; i < n; i++) {
    for (const char *word : kInFileOrder) {
      const Model &m = *model_of_word(word);
      if (type_names(values[i], m)) {
        FLAG_set(FLAG_MODEL, m.code);
        sel.model_named = true;
        break;
      }
    }
    FILE_set_name(values[i]);  // cuts ":k=v" key settings off in place
    PAR_set_in_file(values[i]);
  }
  free_parsed_array(n, values);

  int full = 0, dash = 0;
  MOS_get_print_options(&full, &dash);
  RES_getvals("parameter", &n, &values);
  for (int i = 0; i < n; i++) {
    if (stricmp(values[i], "full") == 0)
      full = 1;
    else if (stricmp(values[i], "prdash") == 0)
      dash = 1;
    else if (strnicmp(values[i], "size=", 5) == 0) {
      if (!MOS_plot_set_size(values[i] + 5))  // the size of the pictures
        MESS_print(M_WARN, "bad picture size '%s' (WIDTHxHEIGHT, 320x240 to 4000x4000)\n", values[i] + 5);
    } else if (values[i][0])
      MESS_print(M_WARN, "unknown parameter '%s' (known: full, prdash, size=WIDTHxHEIGHT)\n", values[i]);
  }
  free_parsed_array(n, values);
  MOS_set_print_options(full, dash);
  return 0;
}

namespace {

// The station line of a family: the marker, then the run's date
// ("KEED   GFS MOS GUIDANCE    1/01/2014  0000 UTC"). The date keeps a
// discussion that names "GFS MOS" in its prose from counting.
struct StationMarker {
  const char *marker;
  int code;
};
const StationMarker kStationMarkers[] = {
    {"NGM MOS", MOS_NGM},      {"ETA MOS", MOS_ETA},           {"NAM MOS", MOS_NAM},      {"AVN MOS", MOS_AVN},
    {"GFS MOS", MOS_GFS},      {"MRF MOS", MOS_MRF},           {"GFSX MOS", MOS_GFSX},    {"ECM MOS", MOS_ECS},
    {"NBH GUIDANCE", MOS_NBH}, {"NBS GUIDANCE", MOS_NBS},      {"NBE GUIDANCE", MOS_NBE}, {"NBX GUIDANCE", MOS_NBX},
    {"NBP GUIDANCE", MOS_NBP}, {"GFS LAMP GUIDANCE", MOS_LAV},
};

// Product headings of the families whose station lines carry no marker.
struct HeadingMarker {
  const char *pattern;
  int code;
};
const HeadingMarker kHeadingMarkers[] = {
    {"(FOUS20|FOX)", MOS_MRFX},
};

// Whether the text from `p` holds a date "m/d/yy" (or a four-digit year).
bool has_date(const char *p) {
  for (; *p; p++) {
    int m = 0, d = 0, y = 0, used = 0;
    if (is_digit_char(*p) && sscanf(p, "%2d/%2d/%4d%n", &m, &d, &y, &used) == 3 && used >= 5) return true;
  }
  return false;
}

// The family whose station line `line` is, or 0.
int station_line_family(const char *line) {
  const char *text = line;
  while (*text == ' ') text++;
  // The upper-air products name their model on their second line.
  if (strncmp(text, "OUTPUT FROM ", 12) == 0) {
    const char *m = text + 12;
    if (strncmp(m, "NGM ", 4) == 0) return MOS_NGM_UA;
    if (strncmp(m, "ETA ", 4) == 0) return MOS_ETA_UA;
    if (strncmp(m, "NAM ", 4) == 0) return MOS_NAM_UA;
    return 0;
  }
  for (const StationMarker &s : kStationMarkers) {
    const char *at = strstr(text, s.marker);
    if (!at || at == text || !has_date(at)) continue;
    // Today's NBM lines name the blend before the product ("NBM V5.0 NBS").
    if (strstr(s.marker, " GUIDANCE") && s.code != MOS_LAV) {
      const char *nbm = strstr(text, "NBM ");
      if (!nbm || nbm > at) continue;
    }
    return s.code;
  }
  return 0;
}

// LAMP's station line is the same for the hourly and the extended
// product; the extended block names its columns with "DT" and "HR" rows.
bool lamp_extended(const char *next) {
  while (*next == ' ') next++;
  return strncmp(next, "DT ", 3) == 0 || strncmp(next, "HR ", 3) == 0;
}

}  // namespace

namespace {

int mrfx_heading(const char *line) {
  for (const HeadingMarker &h : kHeadingMarkers)
    if (PAR_cmp(line, "", h.pattern) == 0) return h.code;
  return 0;
}

// The family of the first line from where reading stands that holds `text`
// and that `family` takes, with its position; 0 when none is left. Lines
// are passed over as the grid reader passes over them, not read one by one.
int first_of(int ind, const char *text, int (*family)(const char *), long *pos) {
  char line[129];
  while (PAR_find(ind, text, nullptr) == 1) {
    long at = PAR_get_pos(ind);
    if (PAR_read(ind, 0, 0, line) <= 0) continue;
    int code = family(line);
    if (!code) continue;
    *pos = at;
    // LAMP's hourly and extended blocks share their station line.
    if (code == MOS_LAV && PAR_read(ind, 0, 1, line) > 0 && lamp_extended(line)) code = MOS_LEV;
    return code;
  }
  return 0;
}

}  // namespace

int MOS_find_model(Date *date) {
  if (sel.model_named) return FLAG_get(FLAG_MODEL);
  // A file that cannot be opened is named once, by the retrieval.
  M_type warn = MESS_get_level() & M_WARN;
  MESS_set(MESS_FORCE_REMOVE, warn);
  int ind = MOS_open(date);
  MESS_set(MESS_FORCE_ADD, warn);
  if (ind < 0) return FLAG_get(FLAG_MODEL);
  // A file that holds an NGM block anywhere is read as NGM, as it always
  // was without a model. Otherwise the first station line of a known family
  // decides ("GUIDANCE": every family but the upper air, which names its
  // model on an "OUTPUT FROM" line, and the extended range, known by its
  // product heading). Each is a search for a text, as fast as grep.
  long pos = 0;
  int found = first_of(ind, "NGM MOS", [](const char *l) { return station_line_family(l) == MOS_NGM ? MOS_NGM : 0; },
                       &pos);
  if (!found) {
    struct Kind {
      const char *text;
      int (*family)(const char *);
    } kinds[] = {{"GUIDANCE", station_line_family}, {"OUTPUT FROM ", station_line_family},
                 {"FOUS20", mrfx_heading}, {"FOX", mrfx_heading}};
    long first = -1;
    for (const Kind &k : kinds) {
      PAR_rewind(ind);
      int code = first_of(ind, k.text, k.family, &pos);
      if (code && (first < 0 || pos < first)) {
        found = code;
        first = pos;
      }
    }
  }
  MOS_close(ind);
  if (found && found != MOS_NGM) {
    FLAG_set(FLAG_MODEL, found);
    MESS_print(M_MESS, "reading the file as %s\n", MOS_model_word(found));
  }
  return FLAG_get(FLAG_MODEL);
}

int MOS_open(Date *date) {
  PAR_set_end(PAR_END_BLANK);
  return PAR_open(date);
}

int MOS_close(int ind) { return PAR_close(ind); }

namespace {

// Whether two dates name the same run: the same date and hour.
bool same_run(const Date &a, const Date &b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour;
}

// The run of `date` as full fields (two-digit years widened), or false
// when it names no run (its date or hour is unset).
bool requested_run(const Date *date, Date *run) {
  if (!date || date->year == QEL_MISS || date->month == QEL_MISS || date->day == QEL_MISS || date->hour == QEL_MISS)
    return false;
  Date d = *date;
  d.min = d.sec = 0;
  int64_t secs = DATE_num_sec(&d);
  return DATE_get_gmdate(&secs, run) == 0;
}

std::string run_label(const Date &run) {
  Date d = run;
  d.min = d.sec = QEL_MISS;  // a run is named by its hour: "06Z  1 JAN 14"
  char label[80] = "";
  DATE_make_label(&d, label);
  return label;
}

// Walks the station blocks of the bulletin file of `date` with `reader`
// until one carries `id` (ignoring case), then reads that block in full.
// A file may hold the station's blocks of several runs (a day of a feed):
// when the date names a run, the block of that run is read; when no block
// is of it, the first block of the station is, with a warning that names
// the run it holds (the driver then labels the table with that run).
template <typename Report>
int get_station(Date *date, const char *id, Report *report, int (*reader)(int, Report *, int, int *)) {
  if (!id || !report) return 0;  // nothing to look for, or nowhere to put it
  Date want;
  bool by_run = requested_run(date, &want);
  int ind = MOS_open(date);
  int first = -1;  // the station's first block whose run is another
  Date first_run{};
  int k = 0;
  int found = 0;
  while (reader(ind, report, MOS_LOCATE, &k) != -1) {
    if (stricmp(report->id, id) == 0) {
      Date run;
      if (!by_run || !MOS_get_run(&run) || same_run(run, want)) {
        found = 1;
        reader(ind, report, MOS_READ_FULL, &k);
        break;
      }
      if (first < 0) {
        first = k;
        first_run = run;
      }
    }
    k++;
  }
  if (!found && first >= 0) {
    // Walk again to the first block, so that the reader stands on it.
    for (k = 0; k <= first; k++)
      if (reader(ind, report, MOS_LOCATE, &k) == -1) break;
    if (k > first) {
      k = first;
      reader(ind, report, MOS_READ_FULL, &k);
      found = 1;
      MESS_print(M_WARN, "%s: the file holds the run of %s, not %s\n", report->id, run_label(first_run).c_str(),
                 run_label(want).c_str());
    }
  }
  MOS_close(ind);
  return found;
}

}  // namespace

int MOS_get_station(Date *date, const char *id, MOS_report *report) { return get_station(date, id, report, MOS_read); }

int MOSU_get_station(Date *date, const char *id, MOSU_report *report) {
  // Upper-air identifiers have three characters: "KIND" is looked for as "IND".
  if (id && strlen(id) == 4) id++;
  return get_station(date, id, report, MOSU_read);
}

int MOSM_get_station(Date *date, const char *id, MOSM_report *report) {
  return get_station(date, id, report, MOSM_read);
}

int MOSG_get_station(Date *date, const char *id, MOSG_report *report) {
  return get_station(date, id, report, MOSG_read);
}
