// qelmos.h: the MOS report records, the model codes, input selection and
// station retrieval, the bulletin readers, the report printers, the
// station's name and place, and the JSON output (mos_tool.cc, mos_read.cc,
// mos_read_upper.cc, mos_print.cc, mos_station.cc, mos_json.cc).
#pragma once

#include "qel.h"

/// Model codes, held in global flag 4.
enum MOS_model {
  MOS_NGM = 2,
  MOS_NGM_UA = 4,
  MOS_MRF = 5,
  MOS_MRFX = 6,
  MOS_ETA = 7,
  MOS_ETA_UA = 8,
  MOS_NAM = 9,
  MOS_NAM_UA = 10,
  MOS_AVN = 11,
  MOS_GFS = 12,
  MOS_GFSX = 13,
};

/// Reader call types: locate a block and read its identifier, or read it in full.
constexpr int MOS_LOCATE = 25;
constexpr int MOS_READ_FULL = 26;

/// A two-letter code of the bulletin ("FG", "BR") as the value of a
/// character field; one-letter codes are their character code.
constexpr int32_t MOS_code2(char first, char second) { return (first << 8) | second; }

/// Number of column slots of a station report.
constexpr int MOS_SLOTS = 25;

/// One station's forecast from a station MOS bulletin (NGM, ETA, NAM,
/// AVN, GFS, MRF, GFSX). Missing values are -9999; character fields hold
/// the character code of one letter, or -9999.
struct MOS_report {
  char id[7];               // identifier as written in the bulletin
  float elev;               // not filled by the reader
  int32_t model;            // model code of the bulletin read
  int32_t num;              // column slots used: 19, 21 or 15
  int32_t hour[MOS_SLOTS];  // forecast hour of each slot
  int32_t t[MOS_SLOTS];
  int32_t td[MOS_SLOTS];
  int32_t w_dir[MOS_SLOTS];  // degrees
  int32_t w_spd[MOS_SLOTS];
  int32_t pop6[MOS_SLOTS];
  int32_t pop12[MOS_SLOTS];
  int32_t pot6[MOS_SLOTS];
  int32_t pot12[MOS_SLOTS];
  int32_t post6[MOS_SLOTS];
  int32_t post12[MOS_SLOTS];
  int32_t ptype[MOS_SLOTS];  // 'Z', 'S', 'R'
  int32_t ext_t[MOS_SLOTS];  // maximum or minimum temperature
  int32_t cover[MOS_SLOTS];  // 'C', 'F' (few), 'S', 'B', 'O' or ' '
  int32_t hght[MOS_SLOTS];   // ceiling category
  int32_t vis[MOS_SLOTS];    // visibility category
  int32_t obvis[MOS_SLOTS];  // obstruction letter, or two letters (MOS_code2)
  int32_t qpf6[MOS_SLOTS];
  int32_t qpf12[MOS_SLOTS];
  int32_t qsf6[MOS_SLOTS];
  int32_t qsf12[MOS_SLOTS];
};

/// One station's forecast from an upper-air FOUS bulletin (13 rows of 6 hours).
struct MOSU_report {
  char id[5];
  int32_t hour[13];
  int32_t t[13][4];   // layers in elements 1 to 3
  int32_t rh[13][4];  // layers in elements 1 to 3
  int32_t vert[13];
  int32_t li[13];
  int32_t hght[13];
  int32_t dir[13];
  int32_t spd[13];
  int32_t psl[13];
  int32_t prec[13];
};

/// One station's extended-range forecast (days 0 to 8, two halves a day).
struct MOSM_report {
  char id[5];
  int32_t day[9];
  int32_t max[9];
  int32_t nmax[9];
  int32_t min[9];
  int32_t nmin[9];
  int32_t t[9][2];
  int32_t td[9][2];
  int32_t cover[9][2];
  int32_t w_spd[9][2];
  int32_t pop12[9][2];
  int32_t pos12[9][2];
  int32_t pop24[9];
};

// ---------------------------------------------------------------------------
// Records (mos_tool.cc)

/// Marks every forecast value missing (num 0); leaves id, elev, model. Returns 0.
int MOS_initialize(MOS_report *report);
/// Marks every row value missing; leaves id, hour and element 0. Returns 0.
int MOSU_initialize(MOSU_report *report);
/// Marks every day value missing; leaves id and day. Returns 0.
int MOSM_initialize(MOSM_report *report);

// ---------------------------------------------------------------------------
// Input selection and station retrieval (mos_tool.cc)

/// Sets the model code (flag 4), the data type and the print options from
/// the resources model, in_file and parameter. Returns 0.
int MOS_in_file();
/// Finds station `id` in the bulletin file of `date`: 1 and the report, else 0.
int MOS_get_station(Date *date, const char *id, MOS_report *report);
/// As MOS_get_station, for the upper-air family.
int MOSU_get_station(Date *date, const char *id, MOSU_report *report);
/// As MOS_get_station, for the extended-range family.
int MOSM_get_station(Date *date, const char *id, MOSM_report *report);
/// Opens the bulletin file of `date` with blank-line product ends: a handle or -1.
int MOS_open(Date *date);
/// Closes a bulletin handle.
int MOS_close(int ind);

// ---------------------------------------------------------------------------
// Bulletin readers (mos_read.cc, mos_read_upper.cc)

/// Locates (type 25) or reads (type 26) station block *statnum of a station
/// MOS bulletin: 0 when located, -1 when there is none.
int MOS_read(int ind, MOS_report *report, int type, int *statnum);
/// As MOS_read, for the upper-air FOUS bulletins.
int MOSU_read(int ind, MOSU_report *report, int type, int *statnum);
/// As MOS_read, for the extended-range bulletins.
int MOSM_read(int ind, MOSM_report *report, int type, int *statnum);
/// The run (initial date and hour, UTC) that the bulletin itself gives for
/// the block or product located last by any reader: 1 and `*run`, or 0 when
/// that text named no readable run. Each reader sets it when it locates.
int MOS_get_run(Date *run);
/// The heading line of the product of the block or station located last by
/// any reader ("FOUS26 KWNO 010000"), or "" when it had none.
const char *MOS_get_product();
/// Records that heading (null or "": none). Used by the readers.
int MOS_set_product(const char *heading);
/// Records the run of the block just located from its year (full), month,
/// day and hour; the other fields are made from them. Null, or a date that
/// is out of range, records that no run is known. Used by the readers.
int MOS_set_run(const Date *run);

// ---------------------------------------------------------------------------
// Report printing (mos_print.cc)

/// Sets the print options ("full": every slot; "prdash": dashes for
/// missing values). Used by MOS_in_file and tests. Returns 0.
int MOS_set_print_options(int full, int miss_dash);
/// Copies the print options into *full and *miss_dash (when given). Returns 0.
int MOS_get_print_options(int *full, int *miss_dash);
/// Rows of an upper-air report to show: 9 (hours 0 to 48), and the later
/// rows of the longer runs up to the last one read.
int MOSU_rows(const MOSU_report *report);
/// Prints the station table for initial time `date`. Returns 0.
int MOS_print(Date *date, MOS_report *report);
/// Prints the upper-air table. Returns 0.
int MOSU_print(Date *date, MOSU_report *report);
/// Prints the extended-range table. Returns 0.
int MOSM_print(Date *date, MOSM_report *report);
/// Writes the weather text of slot `ind` (at most 4 characters) into `wx6`. Returns 0.
int MOS_weather6(MOS_report *report, int ind, char *wx6);
/// Ceiling of slot `ind` in hundreds of feet, or -9999.
float MOS_cld_hght(MOS_report *report, int ind);
/// Visibility of slot `ind` in miles, or -9999.
float MOS_vis(MOS_report *report, int ind);
/// 6-hour snowfall category of slot `ind` (NGM), or -9999.
float MOS_snow6(MOS_report *report, int ind);
/// 12-hour snowfall category of slot `ind` (NGM, GFS, GFSX), or -9999.
float MOS_snow12(MOS_report *report, int ind);

/// Prints the compact "zim_fore" line of a station family (model `code`)
/// from the reference report `ref` and the requested report `sta`.
/// Returns 1 when printed, 0 for a code without a compact line.
int MOS_zim_fore(int code, const MOS_report *ref, const MOS_report *sta);
/// Prints the compact "zim_fore" line of the extended-range family. Returns 1.
int MOSM_zim_fore(const MOSM_report *ref, const MOSM_report *sta);

// ---------------------------------------------------------------------------
// The station's name and place (mos_station.cc), from the station table

/// What the station table says of a bulletin's station.
struct MOS_station {
  char name[21];   // with blanks ("NEW YORK CITY"); "" when unknown
  char state[3];   // state or province, elsewhere the country; "" when unknown
  float lat, lon;  // degrees north and east; -9999.0 when unknown
  float elev;      // metres; -9999.0 when unknown
};

/// Fills *station for bulletin identifier `id` (BOS and 2A1 find KBOS and
/// K2A1): 1 when the table knows it, else 0 with every field unknown.
int MOS_station_get(const char *id, MOS_station *station);
/// Writes the label of a table's header into `out` (at most size - 1
/// characters): "KBOS: BOSTON, MA  42.37N 71.03W  9 m", leaving out the
/// parts the table does not give, or the identifier alone when it does not
/// know the station. Returns 1 when the table knows it, else 0.
int MOS_station_label(const char *id, char *out, size_t size);

// ---------------------------------------------------------------------------
// JSON output (mos_json.cc)

/// Prints one station as one line of JSON (JSON Lines) for initial time
/// `date` (the bulletin's own run when it gives one). Returns 0.
int MOS_json(Date *date, MOS_report *report);
/// As MOS_json, for the upper-air family.
int MOSU_json(Date *date, MOSU_report *report);
/// As MOS_json, for the extended-range family.
int MOSM_json(Date *date, MOSM_report *report);
/// Prints the stations `ids` (comma-separated, in that order, or "all":
/// every station of the family in file order) of the bulletin file of
/// `date` as JSON Lines, warning for each that is missing. Returns 1 when
/// every one was found (or the model has no output form), else 0.
int MOS_json_stations(Date *date, const char *ids);
