// cty_tool.cc: finding the city database and looking a station up in it
// by identifier, name or five-digit WMO number. The database is the
// "city_file" resource ("none": there is none) or the caller's file, else
// "sao.cty", in the "file_path" directory; it is opened for each lookup
// and closed again.

#include <algorithm>

#include "db_text.h"
#include "qelcty.h"

namespace {

constexpr int kRecordLen = 59;  // a typical record line, for the estimate
constexpr long kMaxCount = 4000;

bool matches(const char *station, const CTY_data &rec) {
  if (stricmp(station, rec.id) == 0 || stricmp(station, rec.name) == 0) return true;
  if (rec.wmo == QEL_MISS) return false;
  char wmo[16];
  snprintf(wmo, sizeof wmo, "%05d", rec.wmo);
  return stricmp(station, wmo) == 0;
}

}  // namespace

int CTY_open_file(const char *file, int *count) {
  if (count) *count = 0;
  const char *name = file && *file ? file : "sao.cty";
  const char *res = RES_get("city_file");
  if (res && *res) {
    if (stricmp(res, "none") == 0) return -1;
    name = res;
  }
  char path[QEL_NAME_LEN];
  if (!qeldb::in_file_path(name, path)) {
    MESS_print(M_WARN, "CTY_open_file: Database file not found: %s\n", name);
    return -1;
  }
  long size = FILE_size(path);
  if (count && size > 0) *count = static_cast<int>(std::min(size / kRecordLen, kMaxCount));
  int fd = CTY_open(path, 0, 0);
  if (fd < 0) MESS_print(M_WARN, "CTY_open_file: Database file not found: %s\n", path);
  return fd;
}

int CTY_get(const char *file, const char *station, CTY_data *data) {
  if (!station || !*station) return 0;
  int fd = CTY_open_file(file, nullptr);
  if (fd < 0) return 0;
  MESS_print(M_MESS, "Searching the city database file for: %s ...\n", station);
  CTY_rewind(fd);
  CTY_data rec;
  int found = 0;
  while (!found && CTY_read(fd, &rec) > 0) found = matches(station, rec);
  CTY_close(fd);
  if (found && data) *data = rec;
  return found;
}

int CTY_get_loc(const char *file, const char *station, float *lat, float *lon) {
  CTY_data rec;
  if (!CTY_get(file, station, &rec)) return 0;
  if (lat) *lat = rec.lat;
  if (lon) *lon = rec.lon;
  return 1;
}
