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
// Input selection and station retrieval

namespace {

struct ModelKeyword {
  const char *word;
  int code;
};

// The order in which a "model" value is compared.
const ModelKeyword kModelOrder[] = {
    {"ngm", MOS_NGM},   {"ngm_ua", MOS_NGM_UA}, {"eta", MOS_ETA},   {"eta_ua", MOS_ETA_UA},
    {"nam", MOS_NAM},   {"nam_ua", MOS_NAM_UA}, {"avn", MOS_AVN},   {"mrf", MOS_MRF},
    {"mrfx", MOS_MRFX}, {"gfs", MOS_GFS},       {"gfsx", MOS_GFSX},
};

// The order in which an "in_file" value is searched: longer keywords before
// the keywords they contain.
const ModelKeyword kInFileOrder[] = {
    {"ngm_ua", MOS_NGM_UA}, {"ngm", MOS_NGM},   {"eta_ua", MOS_ETA_UA}, {"eta", MOS_ETA},
    {"nam_ua", MOS_NAM_UA}, {"nam", MOS_NAM},   {"avn", MOS_AVN},       {"mrfx", MOS_MRFX},
    {"mrf", MOS_MRF},       {"gfsx", MOS_GFSX}, {"gfs", MOS_GFS},
};

}  // namespace

int MOS_in_file() {
  char type[] = "mos_dat";
  FILE_set_name(type);
  PAR_set_in_file(type);
  FLAG_set(FLAG_MODEL, MOS_NGM);

  // A word that names no model is named in a warning; NGM stays.
  const char *model = RES_get("model");
  if (model && *model) {
    const ModelKeyword *found = nullptr;
    std::string known;
    for (const ModelKeyword &k : kModelOrder) {
      if (!found && stricmp(model, k.word) == 0) found = &k;
      known += known.empty() ? k.word : std::string(", ") + k.word;
    }
    if (found)
      FLAG_set(FLAG_MODEL, found->code);
    else
      MESS_print(M_WARN, "unknown model '%s' (known: %s)\n", model, known.c_str());
  }

  int n = 0;
  char **values = nullptr;
  RES_getvals("in_file", &n, &values);
  for (int i = 0; i < n; i++) {
    for (const ModelKeyword &k : kInFileOrder) {
      if (strstr(values[i], k.word)) {
        FLAG_set(FLAG_MODEL, k.code);
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
    else if (values[i][0])
      MESS_print(M_WARN, "unknown parameter '%s' (known: full, prdash)\n", values[i]);
  }
  free_parsed_array(n, values);
  MOS_set_print_options(full, dash);
  return 0;
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
