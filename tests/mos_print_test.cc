// Tests of the report printers: the compact "zim_fore" line, the category
// decoders and the tables.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "qelmos.h"
#include "test_util.h"

using qeltest::capture;

namespace {

MOS_report blank_report(const char *id) {
  MOS_report r;
  memset(&r, 0x55, sizeof r);
  snprintf(r.id, sizeof r.id, "%s", id);
  MOS_initialize(&r);
  return r;
}

// A station report whose value in slot s is base + s, for the rows the
// compact line reads.
MOS_report numbered_report(const char *id, int base) {
  MOS_report r = blank_report(id);
  for (int s = 0; s < 25; s++) {
    r.ext_t[s] = base + s;
    r.pop12[s] = base + 100 + s;
    r.w_dir[s] = 10 * (base + s);
    r.w_spd[s] = base + 200 + s;
  }
  return r;
}

}  // namespace

TEST(ZimFore, ThreeHourlyFamiliesReadSlotsOfHours24To48) {
  MOS_report ref = numbered_report("KIND", 0), sta = numbered_report("KBOS", 1000);
  for (int code : {7, 9, 11, 12}) {
    auto o = capture([&] { EXPECT_EQ(MOS_zim_fore(code, &ref, &sta), 1); });
    EXPECT_EQ(o.out, "6 10 14 106 110 114 8 208 1006 1010 1014 1106 1110 1114\n") << code;
  }
}

TEST(ZimFore, NgmSubstitutesWhenDayOnePopIsMissing) {
  MOS_report ref = numbered_report("IND", 0), sta = numbered_report("BOS", 1000);
  auto o = capture([&] { MOS_zim_fore(2, &ref, &sta); });
  EXPECT_EQ(o.out, "6 10 14 106 110 114 8 208 1006 1010 1014 1106 1110 1114\n");

  sta.pop12[6] = -9999;
  o = capture([&] { MOS_zim_fore(2, &ref, &sta); });
  EXPECT_EQ(o.out, "6 10 14 106 110 114 8 208 1006 1010 1014 1104 1108 1112\n");

  // The other families take slots 4, 8 and 12 only for a group whose slot
  // 4 holds a value (a 06Z or 18Z run); each group is judged alone.
  ref.ext_t[6] = -9999;
  o = capture([&] { MOS_zim_fore(12, &ref, &sta); });
  EXPECT_EQ(o.out, "4 8 12 106 110 114 8 208 1006 1010 1014 1104 1108 1112\n");
  sta.pop12[4] = -9999;
  o = capture([&] { MOS_zim_fore(12, &ref, &sta); });
  EXPECT_EQ(o.out, "4 8 12 106 110 114 8 208 1006 1010 1014 -9999 1110 1114\n");
}

TEST(ZimFore, WindDirectionDividesTowardZero) {
  MOS_report ref = blank_report("IND"), sta = blank_report("BOS");
  auto o = capture([&] { MOS_zim_fore(2, &ref, &sta); });
  EXPECT_EQ(o.out, "-9999 -9999 -9999 -9999 -9999 -9999 -999 -9999 -9999 -9999 -9999 -9999 -9999 -9999\n");
  ref.w_dir[8] = 270;
  o = capture([&] { MOS_zim_fore(2, &ref, &sta); });
  EXPECT_EQ(o.out.substr(0, 42), "-9999 -9999 -9999 -9999 -9999 -9999 27 -99");
}

TEST(ZimFore, GfsxReadsTwelveHourlySlots) {
  MOS_report ref = numbered_report("KIND", 0), sta = numbered_report("KBOS", 1000);
  auto o = capture([&] { EXPECT_EQ(MOS_zim_fore(13, &ref, &sta), 1); });
  EXPECT_EQ(o.out, "1 2 3 101 102 103 0 202 1001 1002 1003 1101 1102 1103\n");
}

TEST(ZimFore, ModelsWithoutCompactLinePrintNothing) {
  MOS_report ref = numbered_report("KIND", 0), sta = numbered_report("KBOS", 1000);
  for (int code : {4, 5, 6, 8, 10, -9999}) {
    auto o = capture([&] { EXPECT_EQ(MOS_zim_fore(code, &ref, &sta), 0); });
    EXPECT_EQ(o.out, "") << code;
  }
}

TEST(ZimFore, ExtendedRangeLine) {
  MOSM_report ref, sta;
  MOSM_initialize(&ref);
  MOSM_initialize(&sta);
  ref.min[1] = 40, ref.max[1] = 60, ref.min[2] = 42;
  ref.pop12[1][0] = 10, ref.pop12[1][1] = 20, ref.pop12[2][0] = 30;
  ref.w_spd[1][1] = 12;
  sta.min[1] = 30, sta.max[1] = 50;
  sta.pop12[1][0] = 5, sta.pop12[2][0] = 7;
  auto o = capture([&] { MOSM_zim_fore(&ref, &sta); });
  EXPECT_EQ(o.out, "40 60 42 10 20 30 0 12 30 50 -9999 5 -9999 7\n");
}

// ---------------------------------------------------------------------------
// Decoders and printers, on hand-made records.

namespace {

Date initial_time() {  // 1200 UTC 7 March 2026
  Date d;
  DATE_init(&d);
  d.year = 2026, d.month = 3, d.day = 7, d.hour = 12, d.min = 0;
  return d;
}

MOS_report station(int model, int slots) {
  MOS_report r = blank_report("KXYZ");
  r.model = model;
  r.num = slots;
  for (int i = 0; i < slots; i++) r.hour[i] = model == MOS_GFSX || model == MOS_MRF ? 12 * i + 24 : 3 * i + 6;
  return r;
}

std::string printed(MOS_report r) {
  Date d = initial_time();
  return capture([&] { MOS_print(&d, &r); }).out;
}

// The printed line of the table that starts with hour `hour`.
std::string line_for(const std::string &table, int hour) {
  char prefix[16];
  snprintf(prefix, sizeof prefix, "\n %3d   ", hour);
  size_t at = table.find(prefix);
  if (at == std::string::npos) return "";
  return table.substr(at + 1, table.find('\n', at + 1) - at);
}

}  // namespace

TEST(MosDecoders, CeilingByModelAndUnderClearSky) {
  MOS_report r = station(MOS_NGM, 19);
  r.hght[0] = 4, r.hght[1] = 8, r.hght[2] = 9, r.hght[3] = 3, r.hght[4] = 0;
  r.cover[3] = 'C';
  EXPECT_EQ(MOS_cld_hght(&r, 0), 20);
  EXPECT_EQ(MOS_cld_hght(&r, 1), -9999);
  EXPECT_EQ(MOS_cld_hght(&r, 2), 500);
  EXPECT_EQ(MOS_cld_hght(&r, 3), -9999);  // no ceiling under a clear sky
  EXPECT_EQ(MOS_cld_hght(&r, 4), -9999);
  EXPECT_EQ(MOS_cld_hght(&r, 5), -9999);  // missing category
  r.model = MOS_GFS;
  EXPECT_EQ(MOS_cld_hght(&r, 0), 15);
  EXPECT_EQ(MOS_cld_hght(&r, 1), 250);
  EXPECT_EQ(MOS_cld_hght(&r, 99), -9999);
}

TEST(MosDecoders, VisibilityAndSnowByModel) {
  MOS_report r = station(MOS_NGM, 19);
  r.vis[0] = 2, r.vis[1] = 6, r.vis[2] = 7, r.vis[3] = 8;
  EXPECT_FLOAT_EQ(MOS_vis(&r, 0), 0.75f);
  EXPECT_EQ(MOS_vis(&r, 1), -9999);
  EXPECT_EQ(MOS_vis(&r, 3), -9999);
  r.model = MOS_ETA;
  EXPECT_FLOAT_EQ(MOS_vis(&r, 0), 0.375f);
  EXPECT_EQ(MOS_vis(&r, 2), 10);

  r.qsf6[2] = 2, r.qsf12[2] = 3, r.qsf12[4] = 0;
  for (int model : {MOS_NGM, MOS_ETA, MOS_NAM, MOS_AVN, MOS_GFS, MOS_MRF, MOS_GFSX}) {
    r.model = model;
    EXPECT_EQ(MOS_snow6(&r, 2), model == MOS_NGM ? 2 : -9999) << model;
    bool shows = model == MOS_NGM || model == MOS_NAM || model == MOS_GFS || model == MOS_GFSX;
    EXPECT_EQ(MOS_snow12(&r, 2), shows ? 3 : -9999) << model;
    EXPECT_EQ(MOS_snow12(&r, 4), -9999) << model;  // a category of 0 shows nothing
  }
}

TEST(MosDecoders, WeatherText) {
  MOS_report r = station(MOS_NGM, 19);
  char wx[5];
  auto weather = [&](int i) {
    MOS_weather6(&r, i, wx);
    return std::string(wx);
  };
  // Low precipitation chance: fog or haze from visibility and obstruction.
  r.pop6[0] = 20, r.vis[0] = 2, r.obvis[0] = 'F';
  EXPECT_EQ(weather(0), "F");
  r.vis[0] = 4;
  EXPECT_EQ(weather(0), "");
  r.obvis[0] = 'H';
  EXPECT_EQ(weather(0), "H");
  r.pop6[0] = -9999;  // missing counts as below 25
  EXPECT_EQ(weather(0), "H");
  // Today's two-letter codes: fog and mist under the fog condition (a
  // category below 4), haze and blowing under the haze one (below 5).
  struct Obstruction {
    char a, b;
    int vis;
    const char *text;
  } codes[] = {{'F', 'G', 3, "F"}, {'F', 'G', 4, ""}, {'B', 'R', 3, "BR"}, {'B', 'R', 4, ""},
               {'H', 'Z', 4, "H"}, {'H', 'Z', 5, ""}, {'B', 'L', 4, "BL"}, {'B', 'L', 5, ""}};
  for (const Obstruction &c : codes) {
    r.obvis[0] = MOS_code2(c.a, c.b), r.vis[0] = c.vis;
    EXPECT_EQ(weather(0), c.text) << c.a << c.b << c.vis;
  }

  r.pop6[2] = 60, r.qpf6[2] = 3, r.ptype[2] = 'S';
  EXPECT_EQ(weather(2), "S");
  r.pot6[4] = 40;  // the slot two further on
  EXPECT_EQ(weather(2), "TRW-");
  r.post6[2] = 21;
  EXPECT_EQ(weather(2), "TRW+");

  r.pop6[6] = 50;
  struct Case {
    int qpf, type, t;
    const char *text;
  } cases[] = {
      {1, 'Z', 50, "ZR-"},  {3, 'Z', 50, "ZR"},       {5, 'Z', 50, "ZR+"}, {2, 'S', 50, "S-"}, {4, 'S', 50, "S+"},
      {3, 'R', 20, "R-"},   {4, 'R', 20, "R"},        {5, 'R', 20, "R+"},  {3, ' ', 31, "S"},  {3, ' ', 32, "R-"},
      {4, -9999, 20, "S+"}, {-9999, -9999, 40, "R-"}, {7, 'S', 40, "S-"},
  };
  for (const Case &c : cases) {
    r.qpf6[6] = c.qpf, r.ptype[6] = c.type, r.t[6] = c.t;
    EXPECT_EQ(weather(6), c.text) << c.qpf << " " << c.type << " " << c.t;
  }
  // A cold maximum/minimum alone makes the slot cold.
  r.qpf6[6] = 3, r.ptype[6] = -9999, r.t[6] = -9999, r.ext_t[6] = 30;
  EXPECT_EQ(weather(6), "S");
  EXPECT_EQ(weather(40), "");  // outside the record
}

TEST(MosPrint, TableLineColumns) {
  MOS_report r = station(MOS_NGM, 19);
  r.t[0] = 45, r.td[0] = 30, r.w_dir[0] = 270, r.w_spd[0] = 12;
  r.cover[0] = 'O', r.hght[0] = 3, r.vis[0] = 2, r.obvis[0] = 'F';
  r.t[2] = -5, r.cover[2] = 'C', r.hght[2] = 3, r.pop6[2] = 60, r.pop12[2] = 70, r.qpf6[2] = 4, r.ptype[2] = 'S';
  r.ext_t[2] = 12, r.qsf12[2] = 2, r.vis[2] = 5;
  std::string table = printed(r);
  EXPECT_EQ(table.substr(0, table.find('\n') + 1),
            " HOUR   TIME   TEMP DEW  DIR SPD  CIL COV  VIS  WX  MX/MN POP12 SNOW  FLT\n");
  EXPECT_EQ(line_for(table, 6), "   6    7/18Z    45  30  270  12    7 OVC 0.8     F                  LIFR\n");
  EXPECT_EQ(line_for(table, 12), "  12    8/00Z    -5                   CLR  10    S+   12    70    2   IFR\n");
  // Every other slot by default: hours 6, 12, ..., 60.
  EXPECT_EQ(line_for(table, 9), "");
  EXPECT_NE(line_for(table, 60), "");
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 1 + 10);
}

TEST(MosPrint, FullDashesAndOptionalColumns) {
  MOS_report r = station(MOS_GFS, 21);
  r.hour[19] = 66, r.hour[20] = 72;
  r.pop6[0] = 5, r.pot6[0] = 3, r.pot12[0] = 4, r.post6[0] = 1, r.post12[0] = 2;
  MOS_set_print_options(1, 1);
  std::string table = printed(r);
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 1 + 21);
  EXPECT_EQ(line_for(table, 9), "   9    7/21Z     -   -    -   -    -   -   -     -    -     -    -     -\n");
  EXPECT_NE(line_for(table, 72), "");

  MESS_set_str("print,+out3,+out4");
  table = printed(r);
  EXPECT_EQ(
      table.substr(0, table.find('\n') + 1),
      " HOUR   TIME   TEMP DEW  DIR SPD  CIL COV  VIS  WX  MX/MN  POP6 POP12  POT6 POT12  PST6 PST12 SNW6 SNOW  FLT\n");
  EXPECT_EQ(
      line_for(table, 6),
      "   6    7/18Z     -   -    -   -    -   -   -     -    -     5     -     3     4     1     2    -    -     -\n");
  MOS_set_print_options(0, 0);
}

TEST(MosuPrint, RowsTotalAndLayerTemperatures) {
  MOSU_report u;
  memset(&u, 0, sizeof u);
  snprintf(u.id, sizeof u.id, "OKC");
  MOSU_initialize(&u);
  for (int i = 0; i < 13; i++) u.hour[i] = 6 * i;
  u.psl[0] = 1012, u.prec[0] = 50, u.dir[0] = 270, u.spd[0] = 15, u.hght[0] = 5400, u.vert[0] = -12;
  u.t[0][1] = 5, u.t[0][2] = 55, u.t[0][3] = -9999;
  u.prec[1] = 25, u.prec[8] = 5, u.li[1] = -3;
  Date d = initial_time();
  MESS_set_str("print,+out3");
  std::string out = capture([&] { MOSU_print(&d, &u); }).out;
  std::string expected =
      " HOUR   TIME    PSL   PREC  DIR  SPD  THK    LI  VERT  T1  T2  T3\n"
      "   0    7/12Z   1012  0.50  270   15  5400       -1.2   5 -45     \n"
      "   6    7/18Z         0.25                  -3                     \n";
  EXPECT_EQ(out.substr(0, expected.size()), expected);
  EXPECT_NE(out.find("\n  48    9/12Z         0.05"), std::string::npos) << out;
  EXPECT_EQ(out.substr(out.size() - 27), "Total:                0.30\n");  // row 0 is not counted
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1 + 9 + 1);

  MOS_set_print_options(0, 1);  // the lifted index stays blank even with dashes
  out = capture([&] { MOSU_print(&d, &u); }).out;
  EXPECT_NE(out.find("   0    7/12Z   1012  0.50  270   15  5400       -1.2   5 -45   - \n"), std::string::npos) << out;
  EXPECT_NE(out.find("  12    8/00Z      -     -    -    -    -         -    -    -    - \n"), std::string::npos)
      << out;
}

TEST(MosmPrint, DaysNormalsAndDepartures) {
  MOSM_report m;
  memset(&m, 0, sizeof m);
  MOSM_initialize(&m);
  for (int d = 0; d < 9; d++) m.day[d] = d;
  m.max[1] = 70, m.nmax[1] = 65, m.min[1] = 40, m.nmin[1] = 48;
  m.cover[1][0] = 3, m.cover[1][1] = 5, m.w_spd[1][0] = 10, m.pop12[1][1] = 30;
  m.max[2] = 60;
  Date d = initial_time();
  std::string out = capture([&] { MOSM_print(&d, &m); }).out;
  EXPECT_EQ(out.substr(0, out.find('\n') + 1), " DAY   DATE   MAX NRM        MIN NRM        CLOUDS   WINDS   POP12\n");
  EXPECT_NE(out.find("\n  1    8 MAR   70  65 ( +5)   40  48 ( -8)   3   5  10          30 \n"), std::string::npos)
      << out;
  EXPECT_NE(out.find("\n  2    9 MAR   60                                                  \n"), std::string::npos)
      << out;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1 + 8);
}
