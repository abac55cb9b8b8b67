// mos_station.cc: the name and place of a bulletin's station, from the
// station table (CTY_find), for the tables' headers and the JSON objects
// of every family. The table holds names with "_" for blanks and
// -9999 (latitude, longitude) or -9999.0 (elevation) for what it lacks.

#include <cmath>
#include <cstdio>
#include <string>

#include "qelcty.h"
#include "qelmos.h"

namespace {

bool known(float v) { return v != QEL_MISS && std::isfinite(v); }

// "42.37N" or "71.03W": two decimals and the hemisphere.
void coordinate(char *out, size_t size, float v, char plus, char minus) {
  double rounded = std::round(std::fabs(static_cast<double>(v)) * 100.0) / 100.0;
  snprintf(out, size, "%.2f%c", rounded, v < 0 && rounded > 0 ? minus : plus);
}

}  // namespace

int MOS_station_get(const char *id, MOS_station *station) {
  *station = MOS_station{"", "", -9999.0f, -9999.0f, -9999.0f};
  CTY_data rec;
  if (!CTY_find(id, &rec)) return 0;
  str_copy(station->name, rec.name, sizeof station->name);
  for (char *c = station->name; *c; c++)
    if (*c == '_') *c = ' ';
  str_copy(station->state, rec.state, sizeof station->state);
  // A position is a pair: half of one is none.
  if (known(rec.lat) && known(rec.lon) && std::fabs(rec.lat) <= 90 && std::fabs(rec.lon) <= 180) {
    station->lat = rec.lat;
    station->lon = rec.lon;
  }
  if (known(rec.el)) station->elev = rec.el;
  return 1;
}

int MOS_station_label(const char *id, char *out, size_t size) {
  if (!out || size == 0) return 0;
  if (!id) id = "";
  MOS_station st;
  if (!MOS_station_get(id, &st)) {
    str_copy(out, id, size);
    return 0;
  }
  // The parts: the place, the position, the elevation, two blanks apart.
  char place[32] = "", position[32] = "", elevation[24] = "";
  if (st.name[0] && st.state[0])
    snprintf(place, sizeof place, "%s, %s", st.name, st.state);
  else
    snprintf(place, sizeof place, "%s", st.name[0] ? st.name : st.state);
  if (known(st.lat)) {
    char lat[16], lon[16];
    coordinate(lat, sizeof lat, st.lat, 'N', 'S');
    coordinate(lon, sizeof lon, st.lon, 'E', 'W');
    snprintf(position, sizeof position, "%s %s", lat, lon);
  }
  if (known(st.elev)) snprintf(elevation, sizeof elevation, "%ld m", std::lround(st.elev));
  std::string label = id;
  const char *sep = ": ";
  for (const char *part : {place, position, elevation}) {
    if (!*part) continue;
    label += sep;
    label += part;
    sep = "  ";
  }
  str_copy(out, label.c_str(), size);
  return 1;
}
