// mos_grid_tables.cc: the products of the fixed-grid reader and the rows
// each may hold, with the JSON key and the conversion of every row. A row
// a new version adds is one more line here; a row no table knows is still
// read and kept under its label.

#include <cstdio>
#include <cstring>

#include "mos_grid.h"

namespace {

using C = GridConv;

// The National Blend of Models' rows (NBH, NBS, NBE, NBX; NBP's elements
// with their statistics). 999 is missing in every numeric row; 99 only
// where marked.
// clang-format off
const GridElement kNbmElements[] = {
    {"TXN", "max_min_f", C::Raw, false},
    {"X/N", "max_min_f", C::Raw, false},
    {"N/X", "max_min_f", C::Raw, false},
    {"XND", "max_min_sd_f", C::Raw, false},
    {"TMP", "temp_f", C::Raw, false},
    {"TSD", "temp_sd_f", C::Raw, false},
    {"DPT", "dewpoint_f", C::Raw, false},
    {"DSD", "dewpoint_sd_f", C::Raw, false},
    {"WBG", "wet_bulb_globe_f", C::Raw, false},
    {"SKY", "sky_pct", C::Raw, false},
    {"SSD", "sky_sd_pct", C::Raw, false},
    {"WDR", "wind_dir_deg", C::Times10, true},
    {"WSP", "wind_speed_kt", C::Raw, false},
    {"WSD", "wind_speed_sd_kt", C::Raw, false},
    {"GST", "gust_kt", C::Raw, false},
    {"GSD", "gust_sd_kt", C::Raw, false},
    {"P01", "pop1_pct", C::Raw, false},
    {"P06", "pop6_pct", C::Raw, false},
    {"P12", "pop12_pct", C::Raw, false},
    {"P24", "pop24_pct", C::Raw, false},
    {"Q01", "qpf1_in", C::Div100, false},
    {"Q06", "qpf6_in", C::Div100, false},
    {"Q12", "qpf12_in", C::Div100, false},
    {"Q24", "qpf24_in", C::Div100, false},
    {"DUR", "precip_hours", C::Raw, false},
    {"T01", "tstm1_pct", C::Raw, false},
    {"T03", "tstm3_pct", C::Raw, false},
    {"T06", "tstm6_pct", C::Raw, false},
    {"T12", "tstm12_pct", C::Raw, false},
    {"PZR", "freezing_rain_pct", C::Raw, false},
    {"PSN", "snow_pct", C::Raw, false},
    {"PPL", "sleet_pct", C::Raw, false},
    {"PRA", "rain_pct", C::Raw, false},
    {"S01", "snow1_in", C::Div10, false},
    {"S06", "snow6_in", C::Div10, false},
    {"S12", "snow12_in", C::Div10, false},
    {"S24", "snow24_in", C::Div10, false},
    {"I01", "ice1_in", C::Div100, false},
    {"I06", "ice6_in", C::Div100, false},
    {"I12", "ice12_in", C::Div100, false},
    {"I24", "ice24_in", C::Div100, false},
    {"SLV", "snow_level_ft", C::Times100, false},
    {"CIG", "ceiling_ft", C::NbmCeiling, false},
    {"LCB", "cloud_base_ft", C::NbmCeiling, false},
    {"VIS", "visibility_mi", C::NbmVis, false},
    {"MVC", "mvfr_ceiling_pct", C::Raw, false},
    {"IFC", "ifr_ceiling_pct", C::Raw, false},
    {"LIC", "lifr_ceiling_pct", C::Raw, false},
    {"MVV", "mvfr_visibility_pct", C::Raw, false},
    {"IFV", "ifr_visibility_pct", C::Raw, false},
    {"LIV", "lifr_visibility_pct", C::Raw, false},
    {"MHT", "mixing_height_ft", C::Times100, false},
    {"TWD", "transport_wind_dir_deg", C::Times10, true},
    {"TWS", "transport_wind_kt", C::Raw, false},
    {"HID", "haines_index", C::Raw, false},
    {"SOL", "solar_wm2", C::Solar, false},
    {"SWH", "wave_height_ft", C::Raw, false},
    // NBP's own elements (with a statistic in the label: "W24P5").
    {"W24", "max_wind24_kt", C::Raw, false},
    {"G24", "max_gust24_kt", C::Raw, false},
    {"SLP", "pressure_hpa", C::Pressure, false},
};

// GFS LAMP's rows (LAV, LEV): categories and codes with the GFS MOS
// meanings; two-digit wind fields write 99 for missing.
const GridElement kLampElements[] = {
    {"TMP", "temp_f", C::Raw, false},
    {"DPT", "dewpoint_f", C::Raw, false},
    {"WDR", "wind_dir_deg", C::Times10, true},
    {"WSP", "wind_speed_kt", C::Raw, true},
    {"WGS", "gust_kt", C::Gust, true},
    {"PPO", "pop_pct", C::Raw, false},
    {"PCO", "precip", C::Code, false},
    {"P01", "pop1_pct", C::Raw, false},
    {"PC1", "precip1", C::Code, false},
    {"P06", "pop6_pct", C::Raw, false},
    {"LP1", "lightning1_pct", C::Raw, false},
    {"LC1", "lightning1_cat", C::Code, false},
    {"LP2", "lightning2_pct", C::Raw, false},
    {"LC2", "lightning2_cat", C::Code, false},
    {"CP1", "convection1_pct", C::Raw, false},
    {"CC1", "convection1_cat", C::Code, false},
    {"CP2", "convection2_pct", C::Raw, false},
    {"CC2", "convection2_cat", C::Code, false},
    {"POZ", "freezing_pct", C::Raw, false},
    {"POS", "snow_pct", C::Raw, false},
    {"TYP", "precip_type", C::Code, false},
    {"CLD", "cloud", C::Cloud, false},
    {"CIG", "ceiling_ft", C::LampCeiling, false},
    {"CCG", "conditional_ceiling_ft", C::LampCondCeil, false},
    {"VIS", "visibility_mi", C::LampVis, false},
    {"CVS", "conditional_visibility_mi", C::LampVis, false},
    {"OBV", "obstruction", C::Code, false},
};

template <int N>
constexpr int count_of(const GridElement (&)[N]) { return N; }

// code, name, marker, heading, width, label width, end of field 0, UTC shift, step, climate, lamp
const GridProduct kProducts[] = {
    {MOS_NBH, "NBH", "NBH GUIDANCE", "FOUS15", 3, 3, 6, 0, 1, false, false, kNbmElements, count_of(kNbmElements)},
    {MOS_NBS, "NBS", "NBS GUIDANCE", "FOUS16", 3, 3, 6, 0, 3, false, false, kNbmElements, count_of(kNbmElements)},
    {MOS_NBE, "NBE", "NBE GUIDANCE", "FEUS16", 4, 3, 8, 0, 12, true, false, kNbmElements, count_of(kNbmElements)},
    {MOS_NBX, "NBX", "NBX GUIDANCE", "FEUS17", 4, 3, 6, 1, 12, false, false, kNbmElements, count_of(kNbmElements)},
    {MOS_NBP, "NBP", "NBP GUIDANCE", nullptr, 4, 5, 8, 0, 12, false, false, kNbmElements, count_of(kNbmElements)},
    {MOS_LAV, "LAV", "GFS LAMP GUIDANCE", "FOUS11", 3, 3, 6, 0, 1, false, true, kLampElements, count_of(kLampElements)},
    {MOS_LEV, "LEV", "GFS LAMP GUIDANCE", "FEUS11", 3, 3, 6, 0, 1, false, true, kLampElements, count_of(kLampElements)},
};
// clang-format on

// NBP's statistics: the last two characters of its five-character labels.
struct Stat {
  const char *suffix;
  int stat;
  const char *word;  // what goes into the key before its unit
};
const Stat kStats[] = {
    {"MN", MOSG_STAT_MEAN, "mean"}, {"SD", MOSG_STAT_SD, "sd"},   {"P1", MOSG_STAT_P10, "p10"},
    {"P2", MOSG_STAT_P25, "p25"},   {"P5", MOSG_STAT_P50, "p50"}, {"P7", MOSG_STAT_P75, "p75"},
    {"P9", MOSG_STAT_P90, "p90"},
};

}  // namespace

const GridProduct *grid_product(int code) {
  for (const GridProduct &p : kProducts)
    if (p.code == code) return &p;
  return nullptr;
}

int grid_element(const GridProduct &p, const char *label, int *stat) {
  *stat = MOSG_STAT_NONE;
  size_t n = strlen(label);
  if (p.label_width == 5 && n == 5) {
    for (const Stat &s : kStats)
      if (strcmp(label + 3, s.suffix) == 0) *stat = s.stat;
    if (*stat == MOSG_STAT_NONE) return -1;
    n = 3;
  } else if (n != 3) {
    return -1;
  }
  for (int i = 0; i < p.n_elements; i++)
    if (strncmp(p.elements[i].label, label, n) == 0 && p.elements[i].label[n] == '\0') return i;
  if (*stat != MOSG_STAT_NONE) *stat = MOSG_STAT_NONE;
  return -1;
}

void grid_key(const GridProduct &p, const MOSG_row &row, char *out, size_t size) {
  if (row.element < 0 || row.element >= p.n_elements) {
    size_t i = 0;
    for (; row.label[i] && i + 1 < size; i++) {
      char c = row.label[i];
      out[i] = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    out[i] = '\0';
    return;
  }
  const char *key = p.elements[row.element].key;
  const char *word = nullptr;
  for (const Stat &s : kStats)
    if (s.stat == row.stat) word = s.word;
  if (!word) {
    str_copy(out, key, size);
    return;
  }
  // The statistic goes in before the unit, the key's last part.
  const char *unit = strrchr(key, '_');
  size_t stem = unit ? static_cast<size_t>(unit - key) : strlen(key);
  snprintf(out, size, "%.*s_%s%s", static_cast<int>(stem), key, word, unit ? unit : "");
}
