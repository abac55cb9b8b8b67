// bulletin_gen: writes a bulletin file like a day of a data feed, for the
// reader's benchmark. Products are framed by SOH and ETX lines with CR CR LF
// line ends; most are GFS MOS products "FOUS2x KWNO" with many station
// blocks separated by blank lines, mixed with discussion and observation
// products. The output is the same for the same size and seed.
//
// With -f the mix is that of a whole text feed instead: GFS MOS products
// are 2 % of the products, the rest observations, terminal forecasts,
// discussions, zone and marine forecasts, statements, hydrological and
// climate reports, NAM MOS and short notices, each of its usual size, and
// a few headings carry a correction or delay group ("RRA", "CCA").
//
//   bulletin_gen [-f] FILE [MEGABYTES] [SEED]

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

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

}  // namespace

int main(int argc, char **argv) {
  if (argc > 1 && std::string(argv[1]) == "-f") {
    feed_mix = true;
    argv++;
    argc--;
  }
  if (argc < 2) {
    fprintf(stderr, "usage: bulletin_gen [-f] FILE [MEGABYTES] [SEED]\n");
    return 2;
  }
  double megabytes = argc > 2 ? atof(argv[2]) : 100.0;
  if (argc > 3) state ^= strtoull(argv[3], nullptr, 10) * 0x9E3779B97F4A7C15ull;
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
