// Tests of naming conventions and templates.

#include <gtest/gtest.h>

#include <string>

#include "qel.h"
#include "qelresrc.h"
#include "test_util.h"

using qeltest::capture;
using qeltest::TempDir;

namespace {

Date at(int y, int mo, int d, int h, int mi = QEL_MISS) {
  Date r;
  DATE_init(&r);
  r.year = y, r.month = mo, r.day = d, r.hour = h, r.min = mi;
  return r;
}

// Selects a type (a writable copy, as callers pass) and makes its name.
std::string name_for(const char *type, Date date) {
  char text[QEL_NAME_LEN];
  str_copy(text, type, sizeof text);
  FILE_set_name(text);
  char out[QEL_NAME_LEN];
  FILE_set_date(&date, out);
  return out;
}

// A convention file in a fresh directory, found through "file_path".
class Conventions : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("name_conv",
              "# type template header minimum\n"
              "mos_dat %D/%y%m%d%h_mos %D/%y%m%d%h_hdr 100\n"
              "\n"
              "ext_dat %D/%y%m%d%h_%e\n"
              "nohdr %D/x%y - 0\n"
              "keyed %D/%r_%1x_%x_%q_%y\n"
              "dirs %C/%R/%{model_dir}/%{unset_res}/%n\n"
              "julian %F/%Y%j\n");
    RES_put("file_path", dir.path().c_str());
    RES_put("data_path", "/data");
  }
  TempDir dir;
};

}  // namespace

TEST_F(Conventions, ExactMatchMakesNameAndDate) {
  char type[] = "mos_dat";
  EXPECT_EQ(FILE_set_name(type), 1);
  Date d = at(2026, 3, 7, 12);
  char out[QEL_NAME_LEN];
  EXPECT_EQ(FILE_set_date(&d, out), 0);
  EXPECT_STREQ(out, "/data/26030712_mos");
  EXPECT_STREQ(FILE_get_filename(nullptr), "/data/26030712_mos");
  Date fd;
  FILE_get_date(&fd);
  EXPECT_EQ(fd.year, 2026);
  EXPECT_EQ(fd.month, 3);
  EXPECT_EQ(fd.day, 7);
  EXPECT_EQ(fd.hour, 12);
  EXPECT_EQ(fd.min, QEL_MISS);  // the template has no minute field

  // The header name comes from the second template and leaves the data name alone.
  EXPECT_EQ(FILE_hdr_set_date(&d, out), 1);
  EXPECT_STREQ(out, "/data/26030712_hdr");
  EXPECT_STREQ(FILE_get_filename(nullptr), "/data/26030712_mos");
  Date unset = at(QEL_MISS, 3, 7, 12);
  EXPECT_EQ(FILE_hdr_set_date(&unset, out), 0);
  EXPECT_STREQ(out, "");
}

TEST_F(Conventions, PartialMatchTakesExtensionAndFirstMatchWins) {
  EXPECT_EQ(name_for("ext_dat_ngm", at(2026, 3, 7, 12)), "/data/26030712_ngm");
  dir.write("name_conv", "mos %D/first_%e\nmos_dat %D/second\n");
  EXPECT_EQ(name_for("mos_dat", at(2026, 3, 7, 12)), "/data/first_dat");
}

TEST_F(Conventions, KeySettingsAreCutOffTheType) {
  char type[] = "keyed:r=ne:x=g fs:=x:q";
  EXPECT_EQ(FILE_set_name(type), 1);
  EXPECT_STREQ(type, "keyed");
  Date d = at(2026, 3, 7, 12);
  char out[QEL_NAME_LEN];
  FILE_set_date(&d, out);
  EXPECT_STREQ(out, "/data/ne_g_g_fs_0_26");  // width 1, blanks as "_", unset key "0"
  FILE_set_key('q', "a very long key value that is cut at 29");
  FILE_set_date(&d, out);
  EXPECT_STREQ(out, "/data/ne_g_g_fs_a_very_long_key_value_that_is_26");
}

TEST(FileKeys, KeysSetBeforeTheFirstConventionSurvive) {
  FILE_set_key('r', "ne");
  char type[] = "@/x/%r";
  FILE_set_name(type);
  Date d = at(2026, 3, 7, 12);
  char out[QEL_NAME_LEN];
  FILE_set_date(&d, out);
  EXPECT_STREQ(out, "/x/ne");
}

TEST_F(Conventions, TemplateFieldsStepsAndUnsetValues) {
  // Blank as "_", braces dropped, %3h cuts 14 to 12.
  const char *spaced = "@%D/mos dat{_}%Y%b%d.%3h";
  EXPECT_EQ(name_for(spaced, at(2026, 3, 7, 14)), "/data/mos_dat_2026mar07.12");
  EXPECT_EQ(name_for(spaced, at(QEL_MISS + 1, -2, -3, -4)), "/data/mos_dat_0000xxx00.00");
  EXPECT_EQ(name_for("julian", at(2024, 3, 1, 0)), dir.path() + "/2024061");
  RES_put("con_path", "/con/");
  RES_put("model_dir", "gfs");
  EXPECT_EQ(name_for("dirs", at(2026, 3, 7, 12, 45)), "/con/./gfs//45");
  char lit[] = "@%%%Y%%%";
  FILE_set_name(lit);
  char out[QEL_NAME_LEN];
  Date d = at(2026, 3, 7, 12);
  FILE_set_date(&d, out);
  EXPECT_STREQ(out, "%2026%%");
}

TEST_F(Conventions, FixedFieldsAndStepCodesOfTheRequestedTime) {
  Date fixed = at(QEL_MISS, QEL_MISS, QEL_MISS, 6);
  FILE_set_time(&fixed);
  EXPECT_EQ(name_for("mos_dat", at(2026, 3, 7, 14)), "/data/26030706_mos");
  fixed.hour = -6;  // every six hours
  FILE_set_time(&fixed);
  EXPECT_EQ(name_for("mos_dat", at(2026, 3, 7, 14)), "/data/26030712_mos");
  fixed.hour = -312;  // 03 and 15: at 01 the slot in force is yesterday's 15
  FILE_set_time(&fixed);
  EXPECT_EQ(name_for("mos_dat", at(2026, 3, 1, 1)), "/data/26022815_mos");
  EXPECT_EQ(name_for("mos_dat", at(2026, 3, 1, 14)), "/data/26030103_mos");
  fixed.hour = -100;  // a zero step is no code: the hour is used as it is
  FILE_set_time(&fixed);
  EXPECT_EQ(name_for("mos_dat", at(2026, 3, 1, 14)), "/data/26030114_mos");
}

TEST_F(Conventions, UndatedSourceGivesTheCurrentNameBack) {
  char type[] = "mos_dat";
  FILE_set_name(type);
  FILE_set_file("/data/26030712_mos", nullptr);
  Date undated = at(QEL_MISS, 3, 7, 12);
  char out[QEL_NAME_LEN];
  EXPECT_EQ(FILE_set_date(&undated, out), 1);
  EXPECT_STREQ(out, "/data/26030712_mos");
  EXPECT_EQ(FILE_get_filename_type(), 1);
}

TEST_F(Conventions, TypesWithoutALine) {
  // The type is its own template, and the last line's header template is not kept.
  dir.write("name_conv", "other %D/x %D/x_hdr 10\n");
  EXPECT_EQ(name_for("/d/%y%m%d%h_mos", at(2026, 3, 7, 12)), "/d/26030712_mos");
  char out[QEL_NAME_LEN];
  Date d = at(2026, 3, 7, 12);
  EXPECT_EQ(FILE_hdr_set_date(&d, out), 0);

  char none[] = "NONE";
  EXPECT_EQ(FILE_set_name(none), 0);
  EXPECT_EQ(FILE_set_date(&d, out), 1);
  EXPECT_STREQ(out, "filename");
  EXPECT_EQ(FILE_hdr_set_date(&d, out), 0);
  char lit[] = "@/lit/%y";
  EXPECT_EQ(FILE_set_name(lit), 1);
  FILE_set_date(&d, out);
  EXPECT_STREQ(out, "/lit/26");
  char stdio[] = "@-";
  FILE_set_name(stdio);
  EXPECT_EQ(FILE_set_date(&d, out), 1);
  EXPECT_STREQ(out, "-");
}

TEST(FileSetName, MissingConventionFileWarnsAndUsesTheType) {
  TempDir dir;
  RES_put("file_path", dir.path().c_str());
  RES_put("name_conv", "absent");
  char type[] = "/d/%y%m%d%h_mos";
  auto o = capture([&] { EXPECT_EQ(FILE_set_name(type), 0); });
  EXPECT_EQ(o.err, "FILE_set_name: No file name convention file: " + dir.path() + "/absent\n");
  Date d = at(2026, 3, 7, 12);
  char out[QEL_NAME_LEN];
  FILE_set_date(&d, out);
  EXPECT_STREQ(out, "/d/26030712_mos");
  // The convention file is read as a plain file, never run as a command.
  std::string cmd = "|touch " + dir.file("ran");
  RES_put("file_path", "");
  RES_put("name_conv", cmd.c_str());
  capture([&] { FILE_set_name(type); });
  EXPECT_EQ(FILE_exist(dir.file("ran").c_str()), 0);
}

TEST_F(Conventions, SaveAndRestoreKeepTheChosenFile) {
  char type[] = "mos_dat";
  FILE_set_name(type);
  FILE_set_file("26030712", nullptr);
  FILE_save_name_conv();
  EXPECT_EQ(name_for("nohdr", at(2026, 3, 7, 12)), "/data/x26");
  FILE_restore_name_conv();
  EXPECT_STREQ(FILE_get_filename(nullptr), "/data/26030712_mos");
  Date d = at(2026, 3, 8, 0);
  char out[QEL_NAME_LEN];
  FILE_set_date(&d, out);
  EXPECT_STREQ(out, "/data/26030800_mos");
}

TEST_F(Conventions, LongValuesAreCutToTheNameBuffer) {
  std::string longdir(300, 'd');
  RES_put("data_path", longdir.c_str());
  std::string name = name_for("mos_dat", at(2026, 3, 7, 12));
  EXPECT_EQ(name, longdir.substr(0, QEL_NAME_LEN - 1));
  std::string longline = "mos_dat /" + std::string(400, 'x') + "%y\n";
  dir.write("name_conv", longline);
  EXPECT_EQ(name_for("mos_dat", at(2026, 3, 7, 12)), "/" + std::string(151, 'x'));  // the line is cut at 160
}
