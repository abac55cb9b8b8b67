// cty_tool.cc: finding the city database and looking a station up in it
// by identifier, name or five-digit WMO number. The database is the
// "city_file" resource ("none": there is none) or the caller's file, else
// "sao.cty", in the "file_path" directory; it is opened for each lookup
// and closed again.
//
// The station table lookup (CTY_find) serves a name and place for every
// station a bulletin run prints, thousands in one run: it reads the table
// once, on first use, into a hash index by identifier held for the rest of
// the run. The table may also be the one installed with the program.

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <unordered_map>

#include "db_text.h"
#include "qelcty.h"

// The directory of the installed station table: absolute, or relative to
// the installation's prefix, the directory above the program's own (so
// "share/qelmos" beside "bin/qelmos"). Set by CMake.
#ifndef QEL_DATADIR
#define QEL_DATADIR "share/qelmos"
#endif

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

// The station table's records by identifier in upper case; `loaded` once
// the table was read (or found missing), so that it is never read twice.
struct StationIndex {
  bool loaded = false;
  std::unordered_map<std::string, CTY_data> by_id;
};
StationIndex stations;

std::string upper(const char *s) {
  std::string out(s);
  for (char &c : out) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
  return out;
}

// The installed table's path in `out` (QEL_NAME_LEN): false when the
// program's own path is unknown or the name would not fit.
bool installed_table(char *out) {
  std::string path = QEL_DATADIR;
  if (path.empty() || path[0] != '/') {
    char exe[QEL_NAME_LEN];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return false;
    std::string prog(exe, static_cast<size_t>(n));
    size_t bin = prog.rfind('/');
    size_t prefix = bin == std::string::npos || bin == 0 ? std::string::npos : prog.rfind('/', bin - 1);
    if (prefix == std::string::npos) return false;
    path = prog.substr(0, prefix + 1) + path;
  }
  path += "/sao.cty";
  if (path.size() >= static_cast<size_t>(QEL_NAME_LEN)) return false;
  str_copy(out, path.c_str(), QEL_NAME_LEN);
  return true;
}

// Opens the station table (see CTY_find), its name in `path`
// (QEL_NAME_LEN): a descriptor, or -1. A table the user named that cannot
// be read is the only one warned about.
int open_station_table(char *path) {
  const char *res = RES_get("city_file");
  if (res && *res) {
    if (stricmp(res, "none") == 0) return -1;
    int fd = -1;
    errno = 0;
    if (!qeldb::in_file_path(res, path))
      errno = ENAMETOOLONG;
    else if (FILE_is_dir(path))
      errno = EISDIR;
    else
      fd = CTY_open(path, 0, 0);
    if (fd < 0) {
      char prog[20];
      RES_get_progname(prog);
      MESS_print(M_WARN, "%s: cannot read the station table %s: %s\n", prog, res,
                 errno ? strerror(errno) : "not opened");
    }
    return fd;
  }
  if (qeldb::in_file_path("sao.cty", path) && FILE_exist(path) && !FILE_is_dir(path)) {
    int fd = CTY_open(path, 0, 0);
    if (fd >= 0) return fd;
  }
  if (installed_table(path) && FILE_exist(path) && !FILE_is_dir(path)) return CTY_open(path, 0, 0);
  return -1;
}

void load_stations() {
  stations.loaded = true;
  char path[QEL_NAME_LEN];
  int fd = open_station_table(path);
  if (fd < 0) return;
  long size = FILE_size(path);
  if (size > 0) stations.by_id.reserve(static_cast<size_t>(size / kRecordLen));
  CTY_data rec;
  for (int n; (n = CTY_read(fd, &rec)) != -1;)
    if (n >= 4 && rec.id[0]) stations.by_id.emplace(upper(rec.id), rec);  // the first of equal ones stays
  CTY_close(fd);
  MESS_print(M_MESS, "Station table %s: %zu identifiers\n", path, stations.by_id.size());
}

}  // namespace

int CTY_find(const char *id, CTY_data *data) {
  if (!id || !*id) return 0;
  if (!stations.loaded) load_stations();
  if (stations.by_id.empty()) return 0;
  std::string key = upper(id);
  auto it = stations.by_id.find(key);
  if (it == stations.by_id.end() && key.size() == 3) it = stations.by_id.find("K" + key);
  if (it == stations.by_id.end()) return 0;
  if (data) *data = it->second;
  return 1;
}

int CTY_find_reset() {
  stations = StationIndex{};
  return 0;
}

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
