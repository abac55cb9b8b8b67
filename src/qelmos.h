// qelmos.h: the MOS report records, the model codes, input selection and
// station retrieval, the bulletin readers, the report printers, the
// station's name and place, the JSON output and the meteogram (mos_tool.cc,
// mos_read.cc, mos_read_upper.cc, mos_print.cc, mos_station.cc, mos_json.cc,
// mos_plot.cc).
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
  // Today's guidance: the National Blend of Models text products, GFS LAMP
  // and ECMWF MOS.
  MOS_NBH = 14,
  MOS_NBS = 15,
  MOS_NBE = 16,
  MOS_NBX = 17,
  MOS_NBP = 18,
  MOS_LAV = 19,
  MOS_LEV = 20,
  MOS_ECS = 21,
};

/// The kinds of report a model's bulletins give.
enum MOS_family {
  MOS_FAMILY_NONE,      // no model of this tool
  MOS_FAMILY_STATION,   // station MOS columns (MOS_report): NGM ... GFSX, ECS
  MOS_FAMILY_UPPER,     // upper-air pairs (MOSU_report)
  MOS_FAMILY_EXTENDED,  // the MRF extended range (MOSM_report)
  MOS_FAMILY_GRID,      // the fixed-grid products (MOSG_report): NBM, LAMP
};

/// The model word of a code ("gfs", "nbs"), or null for a code without one.
const char *MOS_model_word(int code);
/// The kind of report of a model code (MOS_family).
int MOS_model_family(int code);
/// The name a table header gives the model's guidance ("GFS MOS", "NBM NBS",
/// "GFS LAMP LAV"), or null for a code without one.
const char *MOS_model_title(int code);

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

/// Capacities of a grid report: columns (NBH and LAMP write 25, NBS 23,
/// NBP 19, NBE 15 and one more) and rows (NBP writes about 45). Columns and
/// rows beyond them are not kept (a debug-level message names them).
constexpr int MOSG_COLS = 40;
constexpr int MOSG_ROWS = 96;
/// The value of a cell that says "unlimited" (a ceiling or cloud base of
/// -88 or 888).
constexpr int32_t MOSG_UNLIMITED = -8888;

/// One cell of a grid row: a number as the bulletin writes it (QEL_MISS for
/// a blank or missing field, MOSG_UNLIMITED), or a code of letters ("NG",
/// "BK", "Y") in `text`.
struct MOSG_cell {
  int32_t num;
  char text[4];  // a code of at most 3 characters, or ""
};

/// One row of a grid block, as the bulletin labels it.
struct MOSG_row {
  char label[6];     // "TMP", "X/N", NBP's "TXNP1"
  int16_t element;   // its entry in the product's table of elements, or -1 for a row no table knows
  int16_t stat;      // NBP's statistic (MOSG_STAT_...), else 0
  int32_t n_climate; // NBE's climatology values after the last column: 0 to 2
  int32_t climate[2];
  MOSG_cell cell[MOSG_COLS];
};

/// NBP's statistics, named by the last two characters of a row label.
enum MOSG_stat { MOSG_STAT_NONE, MOSG_STAT_MEAN, MOSG_STAT_SD, MOSG_STAT_P10, MOSG_STAT_P25, MOSG_STAT_P50,
                 MOSG_STAT_P75, MOSG_STAT_P90 };

/// One station's block of a fixed-grid product (NBH, NBS, NBE, NBX, NBP,
/// LAV, LEV): every row the block holds, on the columns of its time row.
struct MOSG_report {
  char id[9];          // identifier as written ("KDSM", "XSBN_0")
  int32_t model;       // model code
  char version[8];     // the version the station line names ("5.0"), or ""
  Date run;            // the run, minutes included (LAMP runs at HH30); year -9999 when the line gives none
  int32_t ncols;       // columns read
  int32_t utc[MOSG_COLS];    // hour of day the UTC row gives each column, or QEL_MISS
  int32_t hour[MOSG_COLS];   // forecast hour of each column (FHR or HR; counted from the run's whole hour), or QEL_MISS
  int64_t valid[MOSG_COLS];  // valid time of each column, seconds since 1970 UTC, or -1 when unknown
  int32_t nrows;
  MOSG_row rows[MOSG_ROWS];
};

/// Flight categories, worst last.
enum MOS_flight { MOS_FLT_NONE = 0, MOS_FLT_VFR = 1, MOS_FLT_MVFR = 2, MOS_FLT_IFR = 3, MOS_FLT_LIFR = 4 };

/// One valid time of a station's guidance, whatever its family, in the
/// units of the JSON keys; QEL_MISS (-9999) where the family gives nothing.
struct MOS_point {
  int64_t valid;  // seconds since 1970 UTC, or -1 when unknown
  int32_t hour;   // forecast hour
  float temp_f, dewpoint_f;
  float max_min_f;                       // the maximum or minimum ending here
  float max_min_p10_f, max_min_p90_f;    // NBP's 10 % and 90 % of it (median in max_min_f)
  float wind_dir_deg, wind_speed_kt, gust_kt;
  float wind_p10_kt, wind_p90_kt;        // NBP's 10 % and 90 % of the wind speed (median in wind_speed_kt)
  float pop1_pct, pop6_pct, pop12_pct;   // precipitation probabilities of the periods ending here
  float tstm_pct;                        // thunder probability of the period ending here
  int32_t tstm_hours;                    // its period (1, 3, 6 or 12 hours)
  float sky_pct;                         // sky cover percent (NBM)
  char cloud[4];                         // "CLR", "FEW", "SCT", "BKN", "OVC", or ""
  float ceiling_ft;                      // QEL_MISS when none is given
  bool ceiling_unlimited;                // no ceiling (NBM's -88)
  float visibility_mi;
  int32_t flight;                        // MOS_flight
};

/// A station's guidance as one list of valid times (mos_series.cc): what
/// the meteogram and the comparison of models read.
struct MOS_series {
  char id[9];
  int32_t model;
  char name[24];  // the guidance as the table header names it: "GFS MOS", "NBM NBS V5.0"
  Date run;       // minutes included; year QEL_MISS when unknown
  int32_t n;
  MOS_point p[MOSG_COLS];
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
/// When MOS_in_file found no model named (no known model word, no data type
/// naming one) and the bulletin file of `date` holds no NGM block, takes the
/// family of the first station line or product heading of a known family
/// in the file into flag 4, saying so at the informational level. Returns
/// the model code then in flag 4.
int MOS_find_model(Date *date);
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
/// As MOS_read, for the fixed-grid products (NBM, LAMP) of the model in
/// flag 4. Blocks are found by their station line, with or without product
/// headings, in single- or double-spaced copies, with or without the one
/// leading blank of the national files.
int MOSG_read(int ind, MOSG_report *report, int type, int *statnum);
/// As MOS_get_station, for the fixed-grid products.
int MOSG_get_station(Date *date, const char *id, MOSG_report *report);
/// Makes the valid times (and, where only the UTC row gives them, the
/// hours) of the columns from the run `run` (null: the report's own run):
/// FHR and HR hours count from the run (LAMP: from its whole hour); a UTC
/// hour is the first such hour after the previous column. Returns 1, or 0
/// (times unknown) without a run.
int MOSG_set_times(MOSG_report *report, const Date *run);
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
/// Sets the size of the meteogram's pictures from "WIDTHxHEIGHT" in pixels
/// (320 x 240 to 4000 x 4000; 1200 x 800 until set), a print option of
/// "-pa size=": 1, or 0 and the size unchanged.
int MOS_plot_set_size(const char *text);
/// Copies the pictures' size into *width and *height (when given). Returns 0.
int MOS_plot_get_size(int *width, int *height);
/// Copies the print options into *full and *miss_dash (when given). Returns 0.
int MOS_get_print_options(int *full, int *miss_dash);
/// Rows of an upper-air report to show: 9 (hours 0 to 48), and the later
/// rows of the longer runs up to the last one read.
int MOSU_rows(const MOSU_report *report);
/// Characters of a table's TIME cell: 6 in UTC ("31/19Z"), 11 with a zone
/// of local times ("31/13 CST  ").
int MOS_time_width();
/// Writes the TIME cell of valid time `secs` (seconds since 1970 UTC) into
/// `cell`, padded to MOS_time_width: the day and hour in UTC with "Z", or,
/// with a zone of local times set, in that zone with its abbreviation (the
/// minutes too in a zone off UTC by part of an hour: "31/0530 IST"). A time
/// that cannot be broken down gives blanks. Returns 0.
int MOS_time_cell(int64_t secs, char *cell, size_t size);
/// Prints the station table for initial time `date`. Returns 0.
int MOS_print(Date *date, MOS_report *report);
/// Prints the upper-air table. Returns 0.
int MOSU_print(Date *date, MOSU_report *report);
/// Prints the extended-range table. Returns 0.
int MOSM_print(Date *date, MOSM_report *report);
/// Prints the table of a fixed-grid product (NBM, LAMP); `date` gives the
/// run when the station line does not. Returns 0.
int MOSG_print(Date *date, MOSG_report *report);
/// Writes the header's name of the guidance with its version ("NBM NBS
/// V5.0") into `out`: 1, or 0 (and "") for a code of no fixed-grid product.
int MOSG_header(MOSG_report *report, char *out, size_t size);
/// Writes the weather text of slot `ind` (at most 4 characters) into `wx6`. Returns 0.
int MOS_weather6(MOS_report *report, int ind, char *wx6);
/// "CLR", "FEW", "SCT", "BKN" or "OVC" of a cloud letter ('C', 'F', 'S',
/// 'B', 'O'), or null for another.
const char *MOS_cloud_word(int cover);
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
// Flight categories and series (mos_series.cc)

/// The seconds since 1970 UTC of a run whose minutes may be unset (taken
/// as 0), or -1 when it names no year, month, day or hour.
int64_t MOS_run_seconds(const Date *run);
/// "VFR", "MVFR", "IFR", "LIFR", or null for MOS_FLT_NONE.
const char *MOS_flight_text(int flight);
/// The flight category of a ceiling in feet (QEL_MISS: none given;
/// `unlimited`: no ceiling, above 3,000 ft) and a visibility in miles
/// (QEL_MISS: none): the worse of the two; one missing, the other decides.
/// A negative ceiling or visibility counts as not given.
int MOS_flight_of(float ceiling_ft, bool unlimited, float visibility_mi);
/// 1 when the report's family has a flight category: every three-hourly
/// family; MRF and GFSX only where the report carries both a ceiling and a
/// visibility category. Else 0.
int MOS_flight_rows(const MOS_report *report);
/// The flight category of slot `ind` from its ceiling and visibility
/// categories (the NGM's own tables, the GFS ones for the others); NONE
/// where MOS_flight_rows is 0.
int MOS_flight_slot(const MOS_report *report, int ind);
/// 1 when the grid block holds the rows of a flight category: a CIG or a
/// VIS row, and both in the twelve-hourly products (NBE, NBX). Else 0
/// (always for NBP, whose rows carry statistics).
int MOSG_flight_rows(const MOSG_report *report);
/// The flight category of column `col` of a grid report (NBM feet and
/// miles, LAMP categories); NONE where the product gives neither, or where
/// MOSG_flight_rows is 0.
int MOSG_flight(const MOSG_report *report, int col);
/// The series of a station report for initial time `run` (slots with a
/// forecast hour, in order). Returns 1.
int MOS_series_of(const MOS_report *report, const Date *run, MOS_series *series);
/// The series of a grid report (its own run, else `run`). Returns 1.
int MOSG_series_of(const MOSG_report *report, const Date *run, MOS_series *series);
/// The series of station `id` of the model in flag 4 from the bulletin file
/// of `date`: 1, 0 when the station is not there, -1 for a family without
/// station columns (the upper-air and extended-range families).
int MOS_get_series(Date *date, const char *id, MOS_series *series);

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
/// As MOS_json, for the fixed-grid products (NBM, LAMP).
int MOSG_json(Date *date, MOSG_report *report);

// ---------------------------------------------------------------------------
// CSV output (mos_csv.cc; the lines by mos_json.cc and mos_json_grid.cc)

/// Fixes the CSV header of the family of model `code`: station, model,
/// run, then the keys of the family's JSON rows ("hour", "valid", ...; for
/// the fixed-grid products every row of the product's table, for NBP with
/// every statistic; a pair as two columns, temp_f_1 and temp_f_2). It is
/// printed before the first line. 1, or 0 for a code of no family.
int MOS_csv_begin(int code);
/// Prints one station's CSV lines, one per column slot, under the header of
/// MOS_csv_begin (printed first when no station was); the values as JSON
/// gives them, null as an empty field. Returns 0.
int MOS_csv(Date *date, MOS_report *report);
/// As MOS_csv, for the upper-air family.
int MOSU_csv(Date *date, MOSU_report *report);
/// As MOS_csv, for the extended-range family (a line per day).
int MOSM_csv(Date *date, MOSM_report *report);
/// As MOS_csv, for the fixed-grid products; a row that the header lacks
/// (one that no table knows) is left out and named once in a warning.
int MOSG_csv(Date *date, MOSG_report *report);

/// Output forms of MOS_output.
constexpr int MOS_FORM_TABLE = 0;  // the forecast table with its header
constexpr int MOS_FORM_JSON = 1;   // JSON Lines
constexpr int MOS_FORM_ZIM = 2;    // the compact "zim_fore" line
constexpr int MOS_FORM_CSV = 3;    // CSV: a header, then a line per station and column (comparison: per time and model)
constexpr int MOS_FORM_PNG = 4;    // the meteogram as PNG
constexpr int MOS_FORM_SVG = 5;    // the meteogram as SVG
/// MOS_output's results beyond 1 (every station found) and 0 (some missing).
constexpr int MOS_OUT_WRITE = -1;  // a picture could not be written (named on standard error)
constexpr int MOS_OUT_CANNOT = -2; // the form cannot be made here: no meteogram for the family, no file for the pictures
/// Prints the stations `ids` (one, several separated by commas in that
/// order, or "all": every station of the family in file order) of the
/// bulletin file of `date` in output form `form` (mos_output.cc), naming
/// each that is missing on standard error. Returns 1 when every one was
/// found (or the model has no such output form), else 0; for the
/// pictures also MOS_OUT_WRITE or MOS_OUT_CANNOT.
int MOS_output(Date *date, const char *ids, int form);
/// Prints the stations `ids` (comma-separated, in that order, or "all":
/// every station of the family in file order) of the bulletin file of
/// `date` as JSON Lines, warning for each that is missing. Returns 1 when
/// every one was found (or the model has no output form), else 0.
int MOS_json_stations(Date *date, const char *ids);

// ---------------------------------------------------------------------------
// One station, every model side by side (mos_compare.cc)

/// Reads the list of models of the "model" resource ("gfs,nbs,lav"),
/// naming each unknown word in a warning: the number of known models kept
/// (a model listed again is kept again), or -1 when the resource holds no
/// list (one model or none: the single-model path).
int MOS_compare_models();
/// Reads station `id` (the first of a list; "all" is refused) of every model
/// kept by MOS_compare_models, each from its own bulletin file (the name in
/// its place of the "filename" list, one name for every model, or chosen by
/// time through the model's data type), and prints them on one time axis
/// in output form `form` (table, JSON or CSV). A model without the station
/// is named on standard error. Returns 1 when some model holds the
/// station, else 0 ("No data found!").
int MOS_compare(const char *id, int form);

// ---------------------------------------------------------------------------
// The meteogram (mos_plot.cc, mos_plot_panels.cc)

/// Writes the meteogram of `series` as PNG (MOS_FORM_PNG) or SVG
/// (MOS_FORM_SVG) to `out`: 1, or 0 when it could not be drawn or written.
int MOS_plot_write(const MOS_series *series, int form, FILE *out);
/// Chooses where this run's pictures go from the out_file resource (-of):
/// standard output when it is unset or "-", else a file, a name pattern
/// ("%s": the identifier) or a "|command". 1, or 0 after naming on
/// standard error why it cannot be: standard output at a terminal, or
/// for `several` stations; a command from a defaults file of the current
/// directory.
int MOS_plot_target(int several);
/// Writes the meteogram of `series` where MOS_plot_target chose: 1, or 0
/// after naming the file and the reason (a file left half written is removed).
int MOS_plot_station(const MOS_series *series, int form);
/// A pixel (*x, *y) of the flight-category strip in column `col` of the
/// picture of `series` at the current size: 1, or 0 when the column has
/// no category or the picture no strip. Used by tests.
int MOS_plot_strip_pixel(const MOS_series *series, int col, int *x, int *y);
