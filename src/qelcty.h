// qelcty.h: the city (station) database: records, reading and lookup
// (cty_tool.cc, cty_read.cc), and the station table's in-memory index.
#pragma once

#include "qel.h"

/// One station or city record of the database.
struct CTY_data {
  char name[21];
  char state[3];
  char region[3];
  char id[10];
  int prior;  // 0 to 9; -9999 when the priority code has no digit
  char mos;   // '*' when the station has MOS forecasts
  char ua;    // '*' when the station has upper-air soundings
  float lat;
  float lon;
  float el;  // -9999.0 when missing
  int wmo;
  int num;
};

/// Looks the station up (CTY_get) and copies its latitude and longitude:
/// 1 when found, else 0 with the outputs unchanged.
int CTY_get_loc(const char *file, const char *station, float *lat, float *lon);
/// Finds the first record whose identifier or name equals `station`, any
/// case, or whose WMO number written "%05d" does; `file` null means
/// "sao.cty", and the "city_file" resource wins over it. 1 and the record
/// when found, else 0 (`data` unchanged).
int CTY_get(const char *file, const char *station, CTY_data *data);
/// Opens the database (see CTY_get) in the "file_path" directory and
/// stores the station-count estimate (size / 59, at most 4000; 0 when
/// unknown) in *count when given: a descriptor, or -1 ("city_file" "none",
/// or a warning that the file is not found).
int CTY_open_file(const char *file, int *count);
/// Opens `file` for reading (access 0) or writing (1), closing any open
/// database; `type` is not consulted. A descriptor, or -1.
int CTY_open(const char *file, int access, int type);
/// Reads the next record (blank lines skipped): the number of the ten
/// fields converted, in order, up to the first that does not; -1 for a
/// handle that is not the open database or at end of file.
int CTY_read(int fd, CTY_data *data);
/// Rewinds the database: 0, or -1 for a handle that is not the open database.
int CTY_rewind(int fd);
/// Closes the database: 0, or -1 for a handle that is not the open database.
int CTY_close(int fd);

/// Finds the station whose identifier is `id`, any case, in the station
/// table, which the first call reads whole into memory: the "city_file"
/// resource ("none": no table; a name is looked for in the "file_path"
/// directory), else "sao.cty" in the "file_path" directory when it exists,
/// else the installed table. A three-character identifier that the table
/// lacks is looked for with "K" in front (BOS: KBOS, 2A1: K2A1); of equal
/// identifiers the first record counts. 1 and the record when found, else 0
/// (`data` unchanged). Only a "city_file" that cannot be read is named, once,
/// in a warning.
int CTY_find(const char *id, CTY_data *data);
/// Forgets the table CTY_find read, so that the next call reads it again
/// (after its resources changed). Returns 0. Used by tests.
int CTY_find_reset();
