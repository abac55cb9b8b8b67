// bulletin_gen: writes a bulletin file like a day of a data feed, for the
// reader's benchmark. Products are framed by SOH and ETX lines with CR CR LF
// line ends; most are GFS MOS products "FOUS2x KWNO" with many station
// blocks separated by blank lines, mixed with discussion and observation
// products. The output is the same for the same size and seed.
//
//   bulletin_gen FILE [MEGABYTES] [SEED]

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

void open_product(std::string &out, const std::string &header, const std::string &awips) {
  out += "\x01";
  out += kEol;
  char seq[16];
  snprintf(seq, sizeof seq, "%03d ", sequence++ % 1000);
  line(out, seq);
  line(out, header);
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
  static const char *const words[] = {"THE", "FRONT", "WILL", "MOVE", "ACROSS", "AREA", "TONIGHT", "WITH",
                                      "SHOWERS", "AND", "A", "FEW", "STORMS", "CLEARING", "BY", "MORNING"};
  if (pick(2) == 0) {
    char header[32];
    snprintf(header, sizeof header, "FXUS6%d K%s %02d%02d00", pick(10), station_id().substr(1).c_str(),
             1 + pick(28), pick(24));
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

}  // namespace

int main(int argc, char **argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: bulletin_gen FILE [MEGABYTES] [SEED]\n");
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
    if (pick(10) < 7)
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
