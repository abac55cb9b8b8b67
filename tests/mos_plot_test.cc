// Tests of the meteogram: real samples of every family with station blocks
// drawn as PNG (read back by cairo) and SVG (parsed by expat), the colours
// of the flight-category strip, blocks without values, and the pictures'
// files as the built qelmos writes them.

#include <gtest/gtest.h>

#include <cairo.h>
#include <expat.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "qelmos.h"
#include "test_util.h"

using qeltest::data_file;
using qeltest::Output;
using qeltest::read_file;
using qeltest::run_qelmos;
using qeltest::TempDir;

namespace {

// The series of station `id` of `file` in tests/data, read as model `code`.
MOS_series series_of(int code, const char *file, const char *id) {
  static MOS_series s;
  FLAG_set(FLAG_MODEL, code);
  PAR_set_in_file("");
  char name[QEL_NAME_LEN];
  FILE_set_file(data_file(file).c_str(), name);
  Date d;
  DATE_init(&d);
  EXPECT_EQ(MOS_get_series(&d, id, &s), 1) << file << " " << id;
  return s;
}

// Draws `s` into a file of `dir`: its path, or "" when MOS_plot_write failed.
std::string draw(const TempDir &dir, const MOS_series &s, int form) {
  std::string path = dir.file(form == MOS_FORM_PNG ? "plot.png" : "plot.svg");
  FILE *out = fopen(path.c_str(), "wb");
  int ok = MOS_plot_write(&s, form, out);
  fclose(out);
  return ok ? path : "";
}

// A PNG read back by cairo: its size, or -1 x -1 when it does not parse.
struct Png {
  int width = -1, height = -1;
  cairo_surface_t *surface = nullptr;
  explicit Png(const std::string &path) {
    surface = cairo_image_surface_create_from_png(path.c_str());
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) return;
    width = cairo_image_surface_get_width(surface);
    height = cairo_image_surface_get_height(surface);
  }
  ~Png() { cairo_surface_destroy(surface); }
  // The pixel at (x, y) as 0xRRGGBB.
  uint32_t at(int x, int y) const {
    const unsigned char *row = cairo_image_surface_get_data(surface) + y * cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const uint32_t *>(row)[x] & 0xFFFFFF;
  }
};

// An SVG parsed by expat: whether it is well-formed XML, and how many
// shapes are filled with the temperature's red (its marks only).
struct Svg {
  bool well_formed = false;
  int temp_marks = 0;
  explicit Svg(const std::string &text) {
    XML_Parser p = XML_ParserCreate(nullptr);
    XML_SetUserData(p, this);
    XML_SetStartElementHandler(p, [](void *self, const XML_Char *name, const XML_Char **attrs) {
      if (strcmp(name, "path") != 0) return;
      for (int i = 0; attrs[i]; i += 2)
        if (strcmp(attrs[i], "style") == 0 && strstr(attrs[i + 1], "fill:rgb(80%,10%,10%)"))
          static_cast<Svg *>(self)->temp_marks++;
    });
    well_formed = XML_Parse(p, text.data(), int(text.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(p);
  }
};

int temperatures(const MOS_series &s) {
  int n = 0;
  for (int i = 0; i < s.n; i++) n += s.p[i].temp_f != QEL_MISS;
  return n;
}

struct Sample {
  int code;
  const char *file;
  const char *id;
};
const Sample kSamples[] = {
    {MOS_NGM, "ngm_mos_fous14_1991_sample.txt", "DCA"},
    {MOS_NAM, "nam_met_fous46_12z.txt", "KFPK"},
    {MOS_GFS, "gfs_mav_fous26_00z.txt", "KEED"},
    {MOS_GFSX, "gfsx_mex_feus23_12z.txt", "KY70"},
    {MOS_MRF, "mrf_mos_kdca_2002_00z.txt", "KDCA"},
    {MOS_ECS, "ecs_feed_2020022412.txt", "KBDL"},
    {MOS_NBH, "nbh_v43_2026020500_trimmed.txt", "KFRG"},
    {MOS_NBS, "nbs_feed_v40_2021040712.txt", "KDSM"},
    {MOS_NBE, "nbe_kjfk_v41_2023101705_stripped.txt", "KJFK"},
    {MOS_NBX, "nbx_feed_v40_2020093013.txt", "K07N"},
    {MOS_NBP, "nbp_file_v50_2026092813.txt", "KLAX"},
    {MOS_LAV, "lav_feed_2020071012.txt", "PHHI"},
    {MOS_LEV, "lev_feed_2020071312.txt", "PHBK"},
};

}  // namespace

TEST(MosPlot, RealSamplesOfEveryFamilyDrawAsPngAndSvg) {
  TempDir dir;
  for (const Sample &sample : kSamples) {
    SCOPED_TRACE(sample.file);
    MOS_series s = series_of(sample.code, sample.file, sample.id);
    ASSERT_GT(s.n, 0);
    Png png(draw(dir, s, MOS_FORM_PNG));
    EXPECT_EQ(png.width, 1200);
    EXPECT_EQ(png.height, 800);
    Svg svg(read_file(draw(dir, s, MOS_FORM_SVG)));
    EXPECT_TRUE(svg.well_formed);
    EXPECT_EQ(svg.temp_marks, temperatures(s));
  }

  // Another size; sizes out of range or not WIDTHxHEIGHT leave it.
  for (const char *bad : {"100x100", "5000x800", "1600x", "1600x1000px", "x1000", ""})
    EXPECT_EQ(MOS_plot_set_size(bad), 0) << bad;
  EXPECT_EQ(MOS_plot_set_size("1600x1000"), 1);
  Png png(draw(dir, series_of(MOS_NBS, "nbs_feed_v40_2021040712.txt", "KDSM"), MOS_FORM_PNG));
  EXPECT_EQ(png.width, 1600);
  EXPECT_EQ(png.height, 1000);
  MOS_plot_set_size("1200x800");
}

TEST(MosPlot, FlightStripShowsEachColumnsCategoryInItsColour) {
  // VFR green, MVFR blue, IFR red, LIFR magenta; the NGM's own category
  // tables, the GFS ones (NAM), and feet and miles (NBS).
  const uint32_t kColour[5] = {0, 0x00AB00, 0x0000FF, 0xFF0000, 0xFF00FF};
  TempDir dir;
  int seen[5] = {};
  for (const Sample &sample : {kSamples[0], kSamples[1], kSamples[7]}) {
    SCOPED_TRACE(sample.file);
    MOS_series s = series_of(sample.code, sample.file, sample.id);
    Png png(draw(dir, s, MOS_FORM_PNG));
    ASSERT_EQ(png.width, 1200);
    for (int i = 0; i < s.n; i++) {
      int x = 0, y = 0;
      ASSERT_EQ(MOS_plot_strip_pixel(&s, i, &x, &y), s.p[i].flight != MOS_FLT_NONE) << i;
      if (s.p[i].flight == MOS_FLT_NONE) continue;
      seen[s.p[i].flight]++;
      EXPECT_EQ(png.at(x, y), kColour[s.p[i].flight]) << "column " << i << " " << MOS_flight_text(s.p[i].flight);
    }
  }
  for (int c = MOS_FLT_VFR; c <= MOS_FLT_LIFR; c++) EXPECT_GT(seen[c], 0) << MOS_flight_text(c);
}

TEST(MosPlot, BlocksWithoutValuesOrWithOneColumnStillDraw) {
  // A block of five columns with every value missing, the first column of
  // a real block alone, that column without its times, no column at all,
  // and a count beyond the capacity; an identifier that is not UTF-8.
  MOS_series full = series_of(MOS_NBS, "nbs_feed_v40_2021040712.txt", "KDSM");
  MOS_series empty = full;
  for (int i = 0; i < 5; i++) {
    MOS_point &p = empty.p[i];
    for (float *v : {&p.temp_f, &p.dewpoint_f, &p.max_min_f, &p.max_min_p10_f, &p.max_min_p90_f, &p.wind_dir_deg,
                     &p.wind_speed_kt, &p.gust_kt, &p.wind_p10_kt, &p.wind_p90_kt, &p.pop1_pct, &p.pop6_pct,
                     &p.pop12_pct, &p.tstm_pct, &p.sky_pct, &p.ceiling_ft, &p.visibility_mi})
      *v = QEL_MISS;
    p.cloud[0] = '\0';
    p.ceiling_unlimited = false;
    p.flight = MOS_FLT_NONE;
  }
  empty.n = 5;
  MOS_series one = full;
  one.n = 1;
  MOS_series timeless = one;
  timeless.p[0].valid = -1;
  timeless.p[0].hour = QEL_MISS;
  MOS_series none = full;
  none.n = 0;
  MOS_series beyond = full;
  beyond.n = 100000;
  MOS_series bytes = full;
  str_copy(bytes.id, "K\xff\xfe", sizeof bytes.id);

  TempDir dir;
  for (const MOS_series *s : {&empty, &one, &timeless, &none, &beyond, &bytes}) {
    std::string png = draw(dir, *s, MOS_FORM_PNG);
    ASSERT_NE(png, "") << "series " << s->n;
    EXPECT_EQ(Png(png).width, 1200);
    std::string svg = draw(dir, *s, MOS_FORM_SVG);
    ASSERT_NE(svg, "");
    EXPECT_TRUE(Svg(read_file(svg)).well_formed);
  }
  EXPECT_EQ(Svg(read_file(draw(dir, one, MOS_FORM_SVG))).temp_marks, 1);
}

TEST(MosPlotE2e, WritesAFileAStationOrStandardOutput) {
  TempDir dir;
  std::string nbs = data_file("nbs_feed_v40_2021040712.txt"), gfs = data_file("gfs_mav_fous26_00z.txt");

  Output o =
      run_qelmos({"-nc", "/dev/null", "-mo", "nbs", "-id", "KDSM", "-ou", "png", "-of", dir.file("kdsm.png"), nbs});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out + o.err, "");
  EXPECT_EQ(Png(dir.file("kdsm.png")).width, 1200);

  // Not a terminal: standard output; -pa size= changes the size.
  o = run_qelmos({"-nc", "/dev/null", "-mo", "nbs", "-id", "KDSM", "-ou", "svg", "-pa", "size=800x600", nbs});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.out.compare(0, 38, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>"), 0);
  EXPECT_NE(o.out.find("width=\"800px\" height=\"600px\""), std::string::npos);
  EXPECT_TRUE(Svg(o.out).well_formed);

  // Several stations: "%s" takes the identifier (directories are made),
  // else it stands before the extension.
  o = run_qelmos({"-nc", "/dev/null", "-mo", "gfs", "-id", "all", "-ou", "png", "-of", dir.file("all/%s.png"), gfs});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(Png(dir.file("all/KEED.png")).width, 1200);
  EXPECT_EQ(Png(dir.file("all/KELN.png")).width, 1200);
  // An identifier of the file names no other directory.
  std::string bulletin = read_file(gfs);
  bulletin.replace(bulletin.find("\nKEED "), 5, "\n../X");
  o = run_qelmos({"-nc", "/dev/null", "-mo", "gfs", "-id", "all", "-ou", "png", "-of", dir.file("up/%s.png"),
                  dir.write("up.txt", bulletin)});
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(Png(dir.file("up/___X.png")).width, 1200);
  o = run_qelmos(
      {"-nc", "/dev/null", "-mo", "gfs", "-id", "keln,KXXX", "-ou", "svg", "-of", dir.file("m.v2/gfs.svg"), gfs});
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.err, "KXXX: No data found!\n");
  EXPECT_TRUE(Svg(read_file(dir.file("m.v2/gfs_KELN.svg"))).well_formed);
  struct stat st;
  EXPECT_NE(stat(dir.file("m.v2/gfs_KXXX.svg").c_str(), &st), 0);
}

TEST(MosPlotE2e, RefusesWhatCannotBeDrawnOrWritten) {
  TempDir dir;
  std::string gfs = data_file("gfs_mav_fous26_00z.txt");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  } cases[] = {
      {{"-mo", "gfs", "-id", "all", "-ou", "png", gfs},
       2,
       "qelmos: a picture a station needs a file name: -of 'NAME_%s.png' (%s: the identifier)\n"},
      {{"-mo", "nam_ua", "-id", "BOS", "-ou", "png", "-of", dir.file("bos.png"),
        data_file("nam_fous61_upper_air_00z.txt")},
       2,
       "nam_ua: the upper-air tables have no meteogram (use -ou table or -ou json)\n"},
      {{"-mo", "mrfx", "-id", "KBOS", "-ou", "svg", "-of", dir.file("kbos.svg"),
        data_file("mrf_extended_fous20_handmade.txt")},
       2,
       "mrfx: the extended-range tables have no meteogram (use -ou table or -ou json)\n"},
      {{"-mo", "gfs", "-id", "KEED", "-ou", "png", "-of", dir.file("file.txt/keed.png"), gfs},
       1,
       "qelmos: cannot write " + dir.file("file.txt/keed.png") + ": Not a directory\n"},
  };
  dir.write("file.txt", "");
  for (const Case &c : cases) {
    std::vector<std::string> args = {"-nc", "/dev/null"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    Output o = run_qelmos(args);
    EXPECT_EQ(o.status, c.status) << c.args[1];
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, c.err);
  }
  struct stat st;
  EXPECT_NE(stat(dir.file("bos.png").c_str(), &st), 0);
  EXPECT_NE(stat(dir.file("kbos.svg").c_str(), &st), 0);
}
