// bulletin_gen: writes bulletin files for the reader's benchmark. The
// output is the same for the same arguments and seed.
//
// By default a file like a day of a data feed: products framed by SOH and
// ETX lines with CR CR LF line ends; most are GFS MOS products "FOUS2x
// KWNO" with many station blocks separated by blank lines, mixed with
// discussion and observation products.
//
// With -f the mix is that of a whole text feed instead: GFS MOS products
// are 2 % of the products, the rest observations, terminal forecasts,
// discussions, zone and marine forecasts, statements, hydrological and
// climate reports, NAM MOS and short notices, each of its usual size, and
// a few headings carry a correction or delay group ("RRA", "CCA").
//
// With -n, -d or -l a national file of a fixed-grid product as its whole
// file arrives (see "National files" below): -n an NBS V5.0 run of BLOCKS
// stations (9,000 by default, about 30 MB), -d a day of them (the 24
// hourly runs one after the other, each with its own run, about 700 MB),
// -l a GFS LAMP LAV run (1,800 stations by default, about 4 MB). The last
// block of every run is station K0LS.
//
//   bulletin_gen [-f] FILE [MEGABYTES] [SEED]
//   bulletin_gen -n|-d|-l FILE [BLOCKS] [SEED]

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <set>
#include <string>
#include <vector>

namespace {

uint64_t state = 88172645463325252ull;

uint32_t next() {
  state ^= state << 13;
  state ^= state >> 7;
  state ^= state << 17;
  return static_cast<uint32_t>(state >> 16);
}

int pick(int n) { return static_cast<int>(next() % static_cast<uint32_t>(n)); }

const char *kEol = "\r\r\n";
int sequence = 100;

void line(std::string &out, const std::string &text) {
  out += text;
  out += kEol;
}

bool feed_mix = false;  // -f: headings sometimes carry a correction group

void open_product(std::string &out, const std::string &header, const std::string &awips) {
  out += "\x01";
  out += kEol;
  char seq[16];
  snprintf(seq, sizeof seq, "%03d ", sequence++ % 1000);
  line(out, seq);
  static const char *const groups[] = {" RRA", " RRB", " AAA", " CCA"};
  line(out, feed_mix && pick(50) == 0 ? header + groups[pick(4)] : header);
  line(out, awips);
}

void close_product(std::string &out) {
  out += "\x03";
  out += "\n";
}

std::string station_id() {
  std::string id = "K";
  for (int i = 0; i < 3; i++) id += static_cast<char>('A' + pick(26));
  return id;
}

// A row of 21 three-character fields after a four-character label.
std::string row(const char *label, int lo, int hi, int blanks) {
  char buf[128];
  int n = snprintf(buf, sizeof buf, "%-4.4s", label);
  for (int i = 0; i < 21; i++) {
    if (blanks && pick(blanks) != 0)
      n += snprintf(buf + n, sizeof buf - static_cast<size_t>(n), "   ");
    else
      n += snprintf(buf + n, sizeof buf - static_cast<size_t>(n), " %2d", lo + pick(hi - lo + 1));
  }
  return buf;
}

std::string letters_row(const char *label, const char *const *codes, int ncodes) {
  std::string s = label;
  s.resize(4, ' ');
  for (int i = 0; i < 21; i++) {
    s += ' ';
    s += codes[pick(ncodes)];
  }
  return s;
}

void gfs_product(std::string &out) {
  char header[32];
  snprintf(header, sizeof header, "FOUS2%d KWNO %02d%02d00", 1 + pick(6), 1 + pick(28), 6 * pick(4));
  open_product(out, header, "MAVWC0");
  const char *clouds[] = {"CL", "FW", "SC", "BK", "OV"};
  const char *types[] = {" R", " S", " Z"};
  const char *obv[] = {" N", "BR", "HZ", "FG"};
  int stations = 20 + pick(40);
  for (int s = 0; s < stations; s++) {
    line(out, "");
    line(out, " " + station_id() + "   GFS MOS GUIDANCE    1/01/2014  0000 UTC");
    line(out, "DT /JAN   1            /JAN   2                /JAN   3          /");
    line(out, "HR   06 09 12 15 18 21 00 03 06 09 12 15 18 21 00 03 06 09 12 18 00");
    line(out, row("X/N", 20, 90, 5));
    line(out, row("TMP", 10, 99, 0));
    line(out, row("DPT", 0, 70, 0));
    line(out, letters_row("CLD", clouds, 5));
    line(out, row("WDR", 1, 36, 0));
    line(out, row("WSP", 0, 30, 0));
    line(out, row("P06", 0, 99, 2));
    line(out, row("P12", 0, 99, 4));
    line(out, row("Q06", 0, 4, 2));
    line(out, row("Q12", 0, 4, 4));
    line(out, "T06      0/ 3  0/ 4  0/ 0  0/ 1  0/ 7  0/ 4  0/ 0  0/ 2  0/ 2  0/ 0");
    line(out, "T12            0/ 4        0/ 4        0/ 7        0/ 2     0/ 6");
    line(out, row("POZ", 0, 9, 0));
    line(out, row("POS", 0, 99, 0));
    line(out, letters_row("TYP", types, 3));
    line(out, row("SNW", 0, 4, 6));
    line(out, row("CIG", 1, 8, 0));
    line(out, row("VIS", 1, 7, 0));
    line(out, letters_row("OBV", obv, 4));
  }
  line(out, "");
  close_product(out);
}

void other_product(std::string &out) {
  static const char *const words[] = {"THE",     "FRONT", "WILL", "MOVE", "ACROSS", "AREA",     "TONIGHT", "WITH",
                                      "SHOWERS", "AND",   "A",    "FEW",  "STORMS", "CLEARING", "BY",      "MORNING"};
  if (pick(2) == 0) {
    char header[32];
    snprintf(header, sizeof header, "FXUS6%d K%s %02d%02d00", pick(10), station_id().substr(1).c_str(), 1 + pick(28),
             pick(24));
    open_product(out, header, "AFDXXX");
    int paragraphs = 3 + pick(8);
    for (int p = 0; p < paragraphs; p++) {
      line(out, "");
      int lines = 2 + pick(8);
      for (int l = 0; l < lines; l++) {
        std::string text;
        while (text.size() < 60) {
          if (!text.empty()) text += ' ';
          text += words[pick(16)];
        }
        line(out, text);
      }
    }
    line(out, "");
    line(out, "$$");
  } else {
    open_product(out, "SAUS70 KWBC 010000", "METAR");
    int obs = 10 + pick(60);
    for (int i = 0; i < obs; i++) {
      char buf[96];
      snprintf(buf, sizeof buf, "METAR %s 010%02dZ %03d%02dKT 10SM FEW%03d %02d/%02d A30%02d=", station_id().c_str(),
               pick(60), 10 * pick(36), pick(30), 10 * (1 + pick(20)), pick(30), pick(20), pick(100));
      line(out, buf);
    }
  }
  close_product(out);
}

// ---------------------------------------------------------------------------
// The feed mix (-f)

std::string office() { return station_id().substr(1); }

std::string heading(const char *ttaaii, const std::string &centre) {
  char buf[48];
  snprintf(buf, sizeof buf, "%s %s %02d%02d%02d", ttaaii, centre.c_str(), 1 + pick(28), pick(24), pick(60));
  return buf;
}

std::string digits_code(const char *prefix, int n) {
  char buf[16];
  snprintf(buf, sizeof buf, "%s%d", prefix, n);
  return buf;
}

const char *const kWords[] = {"THE",     "FRONT",    "WILL",   "MOVE",      "ACROSS", "AREA",     "TONIGHT", "WITH",
                              "SHOWERS", "AND",      "A",      "FEW",       "STORMS", "CLEARING", "BY",      "MORNING",
                              "HIGH",    "PRESSURE", "BUILDS", "SOUTHWEST", "WINDS",  "GUSTS",    "UP",      "TO",
                              "MPH",     "CHANCE",   "OF",     "RAIN",      "SNOW",   "LOWS",     "IN",      "UPPER"};

// Lines of words about `width` characters wide.
void prose(std::string &out, int lines, size_t width) {
  for (int l = 0; l < lines; l++) {
    std::string text;
    while (text.size() < width) {
      if (!text.empty()) text += ' ';
      text += kWords[pick(32)];
    }
    line(out, text);
  }
}

// METAR or SPECI collective of one region.
void metar_product(std::string &out) {
  open_product(out, heading(digits_code("SAUS", 40 + pick(40)).c_str(), "K" + office()), "MTR" + office());
  int obs = 8 + pick(30);
  for (int i = 0; i < obs; i++) {
    char buf[128];
    snprintf(buf, sizeof buf, "METAR %s 01%02d%02dZ %03d%02dKT 10SM FEW%03d SCT%03d %02d/%02d A30%02d RMK AO2 SLP%03d=",
             station_id().c_str(), pick(24), pick(60), 10 * pick(36), pick(30), 10 * (1 + pick(20)),
             10 * (20 + pick(20)), pick(30), pick(20), pick(100), pick(1000));
    line(out, buf);
  }
}

// One terminal aerodrome forecast.
void taf_product(std::string &out) {
  std::string id = station_id();
  open_product(out, heading(digits_code("FTUS", 40 + pick(40)).c_str(), "K" + office()), "TAF" + id.substr(1));
  line(out, "TAF");
  char buf[96];
  snprintf(buf, sizeof buf, "%s 01%02d00Z 0%d%02d/0%d%02d %03d%02dKT P6SM FEW%03d", id.c_str(), pick(24), 1 + pick(2),
           pick(24), 2 + pick(2), pick(24), 10 * pick(36), pick(25), 10 * (5 + pick(50)));
  line(out, buf);
  int groups = 2 + pick(5);
  for (int g = 0; g < groups; g++) {
    snprintf(buf, sizeof buf, "     FM01%02d00 %03d%02dKT P6SM SCT%03d BKN%03d", pick(24), 10 * pick(36), pick(25),
             10 * (5 + pick(50)), 10 * (20 + pick(100)));
    line(out, buf);
  }
  line(out, "=");
}

// Area forecast discussion: paragraphs of prose under section titles.
void discussion_product(std::string &out) {
  std::string wfo = office();
  open_product(out, heading(digits_code("FXUS6", pick(10)).c_str(), "K" + wfo), "AFD" + wfo);
  line(out, "");
  line(out, "AREA FORECAST DISCUSSION");
  line(out, "NATIONAL WEATHER SERVICE " + wfo);
  int sections = 4 + pick(6);
  for (int s = 0; s < sections; s++) {
    line(out, "");
    line(out, ".SHORT TERM /TONIGHT THROUGH TUESDAY/...");
    prose(out, 6 + pick(14), 64);
    line(out, "");
    line(out, "&&");
  }
  line(out, "");
  line(out, "$$");
}

// Zone forecast: a block of periods for each group of zones.
void zone_product(std::string &out) {
  std::string wfo = office();
  open_product(out, heading(digits_code("FPUS5", pick(10)).c_str(), "K" + wfo), "ZFP" + wfo);
  int zones = 6 + pick(20);
  for (int z = 0; z < zones; z++) {
    line(out, "");
    char buf[96];
    snprintf(buf, sizeof buf, "%sZ0%02d-0%02d-0%02d-011200-", wfo.substr(0, 2).c_str(), pick(99), pick(99), pick(99));
    line(out, buf);
    line(out, "INCLUDING THE CITIES OF...SPRINGFIELD...RIVERTON");
    line(out, "430 AM CDT MON JUN 1 2014");
    for (int p = 0; p < 5; p++) {
      line(out, "");
      prose(out, 2 + pick(2), 60);
    }
    line(out, "");
    line(out, "$$");
  }
}

// Special weather statement or warning.
void statement_product(std::string &out) {
  static const char *const kinds[] = {"SPS", "SVR", "FFW", "WSW", "NPW"};
  std::string wfo = office();
  const char *kind = kinds[pick(5)];
  open_product(out, heading(pick(2) ? "WWUS83" : "WUUS53", "K" + wfo), std::string(kind) + wfo);
  line(out, "");
  line(out, "BULLETIN - IMMEDIATE BROADCAST REQUESTED");
  prose(out, 8 + pick(20), 64);
  line(out, "");
  line(out, "LAT...LON 4120 8822 4115 8790 4087 8801 4092 8834");
  line(out, "");
  line(out, "$$");
}

// Hydrological observations in SHEF.
void shef_product(std::string &out) {
  std::string wfo = office();
  open_product(out, heading(digits_code("SRUS5", pick(10)).c_str(), "K" + wfo), "RR3" + wfo);
  line(out, ":SHEF ENCODED RIVER STAGES");
  int obs = 5 + pick(50);
  for (int i = 0; i < obs; i++) {
    char buf[96];
    snprintf(buf, sizeof buf, ".A %s%d 0601 C DH%02d/HG %2d.%d/PP %d.%02d", station_id().substr(1).c_str(), 1 + pick(9),
             pick(24), pick(30), pick(10), pick(2), pick(100));
    line(out, buf);
  }
}

// Daily climate report: a fixed table of about sixty lines.
void climate_product(std::string &out) {
  std::string wfo = office();
  open_product(out, heading(digits_code("CDUS4", pick(10)).c_str(), "K" + wfo), "CLI" + wfo);
  line(out, "");
  line(out, "...THE " + wfo + " CLIMATE SUMMARY FOR MAY 31 2014...");
  line(out, "");
  line(out, "WEATHER ITEM   OBSERVED TIME   RECORD YEAR NORMAL DEPARTURE LAST");
  line(out, "                VALUE   (LST)  VALUE       VALUE  FROM      YEAR");
  for (int i = 0; i < 50; i++) {
    char buf[96];
    snprintf(buf, sizeof buf, "  %-12s %4d   %4d PM  %4d  %4d   %4d   %4d     %4d", kWords[pick(32)], pick(100),
             1 + pick(12), pick(110), 1880 + pick(130), pick(100), pick(20) - 10, pick(100));
    line(out, buf);
  }
  line(out, "");
  line(out, "$$");
}

// Coastal waters forecast.
void marine_product(std::string &out) {
  std::string wfo = office();
  open_product(out, heading(digits_code("FZUS5", pick(10)).c_str(), "K" + wfo), "CWF" + wfo);
  int zones = 3 + pick(6);
  for (int z = 0; z < zones; z++) {
    line(out, "");
    line(out, "ANZ2" + std::to_string(10 + pick(80)) + "-011600-");
    for (int p = 0; p < 4; p++) {
      line(out, ".TODAY...");
      prose(out, 2 + pick(2), 60);
    }
    line(out, "");
    line(out, "$$");
  }
}

// NAM MOS: station blocks like the GFS ones under another heading.
void nam_product(std::string &out) {
  char header[32];
  snprintf(header, sizeof header, "FOUS4%d KWNO %02d%02d00", 4 + pick(6), 1 + pick(28), 6 * pick(4));
  open_product(out, header, "METNC1");
  int stations = 10 + pick(40);
  for (int s = 0; s < stations; s++) {
    line(out, "");
    line(out, " " + station_id() + "   NAM MOS GUIDANCE    1/01/2014  0000 UTC");
    line(out, "DT /JAN   1            /JAN   2                /JAN   3          /");
    line(out, "HR   06 09 12 15 18 21 00 03 06 09 12 15 18 21 00 03 06 09 12 18 00");
    line(out, row("X/N", 20, 90, 5));
    line(out, row("TMP", 10, 99, 0));
    line(out, row("DPT", 0, 70, 0));
    line(out, row("WDR", 1, 36, 0));
    line(out, row("WSP", 0, 30, 0));
    line(out, row("P06", 0, 99, 2));
    line(out, row("P12", 0, 99, 4));
    line(out, row("CIG", 1, 8, 0));
    line(out, row("VIS", 1, 7, 0));
  }
  line(out, "");
}

// Short notices: administrative messages, public information.
void notice_product(std::string &out) {
  open_product(out, heading(pick(2) ? "NOUS41" : "NOXX99", "K" + office()), pick(2) ? "PNSXXX" : "ADMXXX");
  line(out, "");
  prose(out, 2 + pick(8), 64);
}

// One product of the feed mix: GFS MOS 2 % of them.
void feed_product(std::string &out) {
  int p = pick(100);
  if (p < 2) {
    gfs_product(out);
    return;
  }
  if (p < 24)
    metar_product(out);
  else if (p < 39)
    taf_product(out);
  else if (p < 47)
    discussion_product(out);
  else if (p < 52)
    zone_product(out);
  else if (p < 63)
    statement_product(out);
  else if (p < 77)
    shef_product(out);
  else if (p < 83)
    climate_product(out);
  else if (p < 88)
    marine_product(out);
  else if (p < 90)
    nam_product(out);
  else
    notice_product(out);
  close_product(out);
}

// ---------------------------------------------------------------------------
// National files (-n, -d, -l)
//
// The whole-file form of the fixed-grid products: a line "1", a line of
// blanks, then one block per station. Every line has one leading blank and
// is padded with blanks to the product's width (NBS 74 characters, its UTC
// and FHR rows one blank more; LAMP 81), a line of blanks follows every
// block, and lines end in LF. Fields are three characters wide, values
// right-aligned, so that wide ones touch their neighbours ("-88-88",
// "100100", "130140").

constexpr int kBlank = -1000;  // a field left blank

void line_lf(std::string &out, const std::string &text) {
  out += text;
  out += '\n';
}

// A line of a block: the leading blank, the label, then fields of three
// characters, field k in columns 5 + 3k to 7 + 3k (0-based).
struct GridLine {
  std::string text;
  GridLine(const char *label, int width) : text(static_cast<size_t>(width), ' ') {
    memcpy(&text[1], label, strlen(label));
  }
  char *field(int k) { return &text[static_cast<size_t>(5 + 3 * k)]; }
};

// `v` right-aligned in the three characters at p (-99 to 999), or blanks
// for kBlank.
void put3(char *p, int v) {
  p[0] = p[1] = p[2] = ' ';
  if (v == kBlank) return;
  bool neg = v < 0;
  if (neg) v = -v;
  int i = 2;
  do {
    p[i--] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v > 0 && i >= 0);
  if (neg && i >= 0) p[i] = '-';
}

// LAMP writes its wind fields with two digits ("05").
void put02(char *p, int v) {
  p[0] = ' ';
  p[1] = static_cast<char>('0' + v / 10 % 10);
  p[2] = static_cast<char>('0' + v % 10);
}

// A code right-aligned in its field ("  N", " FW").
void put_code(char *p, const char *code) {
  size_t n = strlen(code);
  p[0] = p[1] = p[2] = ' ';
  memcpy(p + 3 - n, code, n);
}

// Identifiers of the shapes the national files carry, sorted as the files
// are: NBM's K and three letters (KDSM), a digit, a letter and a digit
// (2A1), five or six digits (46083, 086092), four letters and a digit
// (CLFU1); LAMP's airports (KDSM, PHNL, TJSJ). Then K0LS, a shape never
// made otherwise, last.
std::vector<std::string> national_stations(int n, bool airports) {
  std::set<std::string> ids;
  auto letter = [] { return static_cast<char>('A' + pick(26)); };
  auto digit = [] { return static_cast<char>('0' + pick(10)); };
  while (static_cast<int>(ids.size()) < n - 1) {
    int shape = pick(20);
    std::string id;
    if (airports) {
      id = {shape < 17 ? 'K' : shape < 19 ? 'P' : 'T', letter(), letter(), letter()};
    } else if (shape < 10) {
      id = {'K', letter(), letter(), letter()};
    } else if (shape < 13) {
      id = {digit(), letter(), digit()};
    } else if (shape < 16) {
      for (int i = 0; i < 6; i++) id += digit();
    } else if (shape < 18) {
      for (int i = 0; i < 5; i++) id += digit();
    } else {
      id = {letter(), letter(), letter(), letter(), digit()};
    }
    ids.insert(id);
  }
  std::vector<std::string> list(ids.begin(), ids.end());
  list.push_back("K0LS");
  return list;
}

tm utc_of(time_t t) {
  tm r{};
  gmtime_r(&t, &r);
  return r;
}

// The date of a station line ("9/19/2026").
std::string date_text(const tm &r) {
  char buf[48];
  snprintf(buf, sizeof buf, "%d/%02d/%04d", r.tm_mon + 1, r.tm_mday, r.tm_year + 1900);
  return buf;
}

// The DT row: "/SEP  19" over the first column and over every 00Z column
// after it, its "/" on the second character of that column's field; the
// first label is left out where the next would overwrite it, the last cut
// at the end of the line.
std::string dt_row(time_t first_valid, const int *utc, int ncols) {
  static const char *const kMonths[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                        "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  GridLine l("DT", 74);
  auto label = [&l](size_t at, time_t t) {
    tm d = utc_of(t);
    char buf[16];
    snprintf(buf, sizeof buf, "/%s%4d", kMonths[d.tm_mon], d.tm_mday);
    for (size_t i = 0; buf[i] && at + i < l.text.size(); i++) l.text[at + i] = buf[i];
  };
  if (utc[0] == 0 || ncols < 2 || utc[1] != 0) label(4, first_valid);
  for (int k = 1; k < ncols; k++)
    if (utc[k] == 0) label(static_cast<size_t>(6 + 3 * k), first_valid + k * 3 * 3600);
  return l.text;
}

// One NBS V5.0 block of station `id` for the run `run`: 23 columns every 3
// hours from the first synoptic hour at least 4 hours after the run; the
// 6-hourly rows in the columns of 00, 06, 12 and 18Z, the 12-hourly ones
// in those of 00 and 12Z; -99 (missing) now and then in any row, the wave
// height only at one station in six, missing in its last three columns.
void nbs_block(std::string &out, const std::string &id, time_t run) {
  constexpr int kCols = 23;
  tm r = utc_of(run);
  char buf[128];
  snprintf(buf, sizeof buf, " %-8sNBM V5.0 NBS GUIDANCE%13s  %02d00 UTC", id.c_str(), date_text(r).c_str(), r.tm_hour);
  line_lf(out, buf);
  int first = (r.tm_hour + 4 + 2) / 3 * 3 - r.tm_hour;  // the FHR of column 0: 4, 5 or 6
  int fhr[kCols], utc[kCols];
  for (int k = 0; k < kCols; k++) {
    fhr[k] = first + 3 * k;
    utc[k] = (r.tm_hour + fhr[k]) % 24;
  }
  line_lf(out, dt_row(run + first * 3600, utc, kCols));
  GridLine u("UTC", 75), f("FHR", 75);
  for (int k = 0; k < kCols; k++) {
    put02(u.field(k), utc[k]);
    put02(f.field(k), fhr[k]);
  }
  line_lf(out, u.text);
  line_lf(out, f.text);

  // The station's weather: a temperature, a dew point depression, a wind
  // direction; cold stations get snow, sleet and freezing rain.
  int base = -15 + pick(105), depression = pick(25), dir = pick(37);
  bool cold = base < 35, marine = pick(6) == 0;
  static const int kDiurnal[8] = {6, 2, -2, -5, -7, 0, 6, 8};  // by 3-hour slot of the day (00Z ...)
  int tmp[kCols], wsp[kCols];
  for (int k = 0; k < kCols; k++) {
    tmp[k] = base + kDiurnal[utc[k] / 3] + pick(5) - 2;
    wsp[k] = pick(25);
  }
  auto row = [&](const char *label, int every, auto value) {
    GridLine l(label, 74);
    for (int k = 0; k < kCols; k++) put3(l.field(k), utc[k] % every != 0 ? kBlank : pick(500) == 0 ? -99 : value(k));
    line_lf(out, l.text);
  };
  auto upto = [](int hi) { return [hi](int) { return pick(hi + 1); }; };
  auto from = [](int lo, int hi) { return [lo, hi](int) { return lo + pick(hi - lo + 1); }; };
  auto zero_unless = [](bool on, int hi) { return [on, hi](int) { return on ? pick(hi + 1) : 0; }; };
  row("TXN", 12, [&](int k) { return tmp[k] + (utc[k] == 0 ? 4 : -3) + pick(3); });
  row("XND", 12, from(1, 5));
  row("TMP", 3, [&](int k) { return tmp[k]; });
  row("TSD", 3, from(1, 5));
  row("DPT", 3, [&](int k) { return tmp[k] - depression - pick(4); });
  row("DSD", 3, from(1, 6));
  row("WBG", 3, [&](int k) { return tmp[k] - pick(6); });
  row("SKY", 3, [](int) { return pick(4) == 0 ? 100 : pick(101); });
  row("SSD", 3, upto(40));
  row("WDR", 3, [&](int) { return (dir + pick(5) + 35) % 37; });
  row("WSP", 3, [&](int k) { return wsp[k]; });
  row("WSD", 3, from(1, 7));
  row("GST", 3, [&](int k) { return wsp[k] + 2 + pick(10); });
  row("GSD", 3, from(1, 7));
  row("P06", 6, [](int) { return pick(5) == 0 ? 100 : pick(101); });
  row("P12", 12, upto(100));
  row("Q06", 6, [](int) { return pick(3) ? pick(5) : pick(80); });
  row("Q12", 12, [](int) { return pick(3) ? pick(5) : pick(120); });
  row("DUR", 12, upto(12));
  row("T03", 3, upto(60));
  row("T06", 6, upto(70));
  row("T12", 12, upto(80));
  row("PZR", 3, zero_unless(cold, 30));
  row("PSN", 3, zero_unless(cold, 100));
  row("PPL", 3, zero_unless(cold, 20));
  row("PRA", 3, [](int) { return pick(3) == 0 ? 100 : pick(101); });
  row("S06", 6, zero_unless(cold, 40));
  row("SLV", 3, [&](int) { return cold ? pick(50) : 60 + pick(100); });
  row("I06", 6, zero_unless(cold, 5));
  row("CIG", 3, [](int) { return pick(2) ? -88 : 1 + pick(250); });
  row("IFC", 3, upto(60));
  row("LCB", 3, [](int) { return pick(4) == 0 ? -88 : 5 + pick(250); });
  row("VIS", 3, [](int) { return pick(3) ? 100 : 1 + pick(99); });
  row("IFV", 3, upto(40));
  row("MHT", 3, from(1, 60));
  row("TWD", 3, upto(36));
  row("TWS", 3, upto(40));
  row("SOL", 3, [&](int k) { return utc[k] >= 12 ? pick(91) : 0; });
  if (marine) row("SWH", 3, [&](int k) { return k >= kCols - 3 ? -99 : pick(13); });
  line_lf(out, std::string(74, ' '));
}

// One LAV block (GFS LAMP V2.7) of station `id` for the run `run` (HH30):
// 25 columns every hour from the run's whole hour plus one, the 6-hour PoP
// in the columns of 00, 06, 12 and 18Z from hour 6 on; 999 (missing) now
// and then in the temperature rows, touching its neighbours.
void lav_block(std::string &out, const std::string &id, time_t run) {
  constexpr int kCols = 25;
  tm r = utc_of(run);
  char buf[128];
  snprintf(buf, sizeof buf, " %-7sGFS LAMP GUIDANCE%12s  %02d%02d UTC", id.c_str(), date_text(r).c_str(), r.tm_hour,
           r.tm_min);
  std::string station = buf;
  station.resize(81, ' ');
  line_lf(out, station);
  int utc[kCols];
  GridLine u("UTC", 81);
  for (int k = 0; k < kCols; k++) {
    utc[k] = (r.tm_hour + 1 + k) % 24;
    put02(u.field(k), utc[k]);
  }
  line_lf(out, u.text);

  int base = -10 + pick(100), depression = pick(20), dir = 1 + pick(36);
  bool cold = base < 35;
  auto row = [&](const char *label, auto write) {
    GridLine l(label, 81);
    for (int k = 0; k < kCols; k++) write(l.field(k), k);
    line_lf(out, l.text);
  };
  auto number = [](int hi) { return [hi](char *p, int) { put3(p, pick(hi + 1)); }; };
  auto codes = [](std::initializer_list<const char *> list, int hold) {
    std::vector<const char *> c(list);
    return [c, hold](char *p, int) {
      put_code(p, pick(hold) ? c[0] : c[static_cast<size_t>(pick(static_cast<int>(c.size())))]);
    };
  };
  int tmp[kCols];
  for (int k = 0; k < kCols; k++) tmp[k] = base + pick(7) - 3;
  row("TMP", [&](char *p, int k) { put3(p, pick(400) == 0 ? 999 : tmp[k]); });
  row("DPT", [&](char *p, int k) { put3(p, pick(400) == 0 ? 999 : tmp[k] - depression - pick(3)); });
  row("WDR", [&](char *p, int) { put02(p, (dir + pick(3) + 34) % 36 + 1); });
  row("WSP", [](char *p, int) { put02(p, pick(25)); });
  row("WGS", [](char *p, int) {
    if (pick(4))
      put_code(p, "NG");
    else
      put02(p, 15 + pick(25));
  });
  row("PPO", number(99));
  row("PCO", codes({"N", "Y"}, 4));
  row("P01", number(99));
  row("PC1", codes({"N", "Y"}, 4));
  row("P06", [&](char *p, int k) { put3(p, utc[k] % 6 == 0 && k >= 5 ? pick(100) : kBlank); });
  row("LP1", number(60));
  row("LC1", codes({"N", "L", "M", "H"}, 3));
  row("CP1", number(40));
  row("CC1", codes({"N", "L", "M", "H"}, 3));
  row("POZ", [cold](char *p, int) { put3(p, cold ? pick(30) : 0); });
  row("POS", [cold](char *p, int) { put3(p, cold ? pick(100) : 0); });
  row("TYP", codes({cold ? "S" : "R", "Z", "S", "R"}, 6));
  row("CLD", codes({"CL", "FW", "SC", "BK", "OV"}, 1));
  row("CIG", [](char *p, int) { put3(p, pick(3) ? 8 : 1 + pick(8)); });
  row("CCG", [](char *p, int) { put3(p, pick(3) ? 8 : 1 + pick(8)); });
  row("VIS", [](char *p, int) { put3(p, pick(3) ? 7 : 1 + pick(7)); });
  row("CVS", [](char *p, int) { put3(p, pick(3) ? 7 : 1 + pick(7)); });
  row("OBV", codes({"N", "HZ", "BR", "FG", "BL"}, 3));
  line_lf(out, std::string(81, ' '));
}

// Writes a national file: `runs` runs an hour apart from `run`, each the
// line "1", a line of blanks and a block per station. False on a write
// error (named).
bool national(const char *path, char kind, int blocks) {
  FILE *f = fopen(path, "wb");
  if (!f) {
    perror(path);
    return false;
  }
  tm start{};
  bool lamp = kind == 'l';
  start.tm_year = 2026 - 1900;
  start.tm_mon = lamp ? 9 : 8;
  start.tm_mday = lamp ? 5 : 19;
  start.tm_hour = kind == 'd' ? 0 : lamp ? 23 : 12;
  start.tm_min = lamp ? 30 : 0;
  time_t run = timegm(&start);
  int runs = kind == 'd' ? 24 : 1;
  std::vector<std::string> ids = national_stations(blocks, lamp);
  std::string out;
  bool ok = true;
  for (int n = 0; n < runs && ok; n++, run += 3600) {
    out = "1\n" + std::string(lamp ? 81 : 74, ' ') + "\n";
    for (const std::string &id : ids) {
      if (lamp)
        lav_block(out, id, run);
      else
        nbs_block(out, id, run);
      if (out.size() > (1u << 20)) {
        ok = fwrite(out.data(), 1, out.size(), f) == out.size();
        out.clear();
      }
    }
    ok = ok && fwrite(out.data(), 1, out.size(), f) == out.size();
  }
  if (fclose(f) != 0) ok = false;
  if (!ok) perror(path);
  return ok;
}

}  // namespace

int main(int argc, char **argv) {
  char mode = 0;
  if (argc > 1 && argv[1][0] == '-' && argv[1][1] && !argv[1][2] && strchr("fndl", argv[1][1])) {
    mode = argv[1][1];
    argv++;
    argc--;
  }
  if (argc < 2) {
    fprintf(stderr,
            "usage: bulletin_gen [-f] FILE [MEGABYTES] [SEED]\n       bulletin_gen -n|-d|-l FILE [BLOCKS] [SEED]\n");
    return 2;
  }
  if (argc > 3) state ^= strtoull(argv[3], nullptr, 10) * 0x9E3779B97F4A7C15ull;
  if (mode && mode != 'f') {
    int blocks = argc > 2 ? atoi(argv[2]) : mode == 'l' ? 1800 : 9000;
    if (blocks < 1) {
      fprintf(stderr, "bulletin_gen: BLOCKS must be at least 1\n");
      return 2;
    }
    return national(argv[1], mode, blocks) ? 0 : 1;
  }
  feed_mix = mode == 'f';
  double megabytes = argc > 2 ? atof(argv[2]) : 100.0;
  const uint64_t target = static_cast<uint64_t>(megabytes * 1024 * 1024);
  FILE *f = fopen(argv[1], "wb");
  if (!f) {
    perror(argv[1]);
    return 1;
  }
  uint64_t written = 0;
  std::string out;
  while (written < target) {
    out.clear();
    // Mostly GFS MOS products, with other products between them.
    if (feed_mix)
      feed_product(out);
    else if (pick(10) < 7)
      gfs_product(out);
    else
      other_product(out);
    if (fwrite(out.data(), 1, out.size(), f) != out.size()) {
      perror(argv[1]);
      fclose(f);
      return 1;
    }
    written += out.size();
  }
  if (fclose(f) != 0) {
    perror(argv[1]);
    return 1;
  }
  return 0;
}
