// qelcty.h: the city (station) database: records, reading and lookup
// (cty_tool.cc, cty_read.cc).
#pragma once

#include "qel.h"

/// One station or city record of the database.
struct CTY_data {
  char name[21];
  char state[3];
  char region[3];
  char id[10];
  int prior;
  char mos;  // '*' when the station has MOS forecasts
  char ua;   // '*' when the station has upper-air soundings
  float lat;
  float lon;
  float el;  // -9999.0 when missing
  int wmo;
  int num;
};

/// 1 and the station's location when found, else 0.
int CTY_get_loc(const char *file, const char *station, float *lat, float *lon);
/// 1 and the record when found, else 0.
int CTY_get(const char *file, const char *station, CTY_data *data);
/// Opens the database: a descriptor, or -1.
int CTY_open_file(const char *file, int *count);
/// Opens a file for reading (0) or writing (1): a descriptor, or -1.
int CTY_open(const char *file, int access, int type);
/// Reads one record: the number of fields read, or -1.
int CTY_read(int fd, CTY_data *data);
/// Rewinds the database: 0, or -1 when no file is open.
int CTY_rewind(int fd);
/// Closes the database: 0, or -1 when no file is open.
int CTY_close(int fd);
