// Tests of the help page: the tool's page compared line by line, its
// message level, and an entry for every identifier that has a definition.

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "qelresrc.h"
#include "test_util.h"

using qeltest::capture;
using qeltest::run_qelmos;
using qeltest::TempDir;

namespace {

const char *const kToolHelp =
    "qelmos: This program converts raw surface observations\n"
    "   into a useable format\n"
    "qelmos syntax (version:1.0.0-linux-none)\n"
    "   qelmos [options...]\n"
    "Keyed options...\n"
    " -df file    Resource/defaults file name\n"
    " -na name    Program name\n"
    " -h          Print this help\n"
    " -ba         Run program in batch mode\n"
    " -me level   Message level to be displayed:\n"
    "               none,print,error,warn,mess,out1,*out2,out3,out4,debug\n"
    " -fp path    File path\n"
    " -dp path    Raw data path\n"
    " -cp path    Converted data path\n"
    " -gp path    Gridded data path\n"
    " -rp path    Raw files path\n"
    " -ip path    Image file path\n"
    " -wp path    Watch file data path\n"
    " -tp path    Text file path\n"
    " -mp path    Model file path\n"
    " -sp path    Satellite file path\n"
    " -cf file    City database file name\n"
    " -pr prior   Priority of stations used in the plot\n"
    " -nc type    Naming convention file name\n"
    " -if type    Input data file type\n"
    " -of type    Output file type\n"
    " -pf param   File parameters: use,calc,over,app\n"
    " -mo model   Specific model to use (default: the file's family):\n"
    "               nbh,nbs,nbe,nbx,nbp,lav,lev,ecs,*ngm,ngm_ua,eta,eta_ua,nam,nam_ua,\n"
    "               avn,mrf,mrfx,gfs,gfsx\n"
    " -ou type    Type of output\n"
    " -cu [hour]  Use current data file\n"
    " -ho hour    Actual hour of the file\n"
    " -nh hour[,step]  Number of hours to view\n"
    " -id ident   Specific station identifier\n"
    " -va var     Variable to be plotted or contoured\n"
    " -pa param[,...]  Program parameters\n"
    "Positional options...\n"
    " file...     Input file names\n"
    "See man qelmos and README.md for every option, value and file.\n";

std::vector<std::string> lines_of(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) lines.push_back(l);
  return lines;
}

}  // namespace

TEST(HelpPage, ToolPageLineByLine) {
  TempDir dir;
  std::vector<std::string> env = {"qeldefault=" + dir.file("none")};
  for (const std::vector<std::string> &args :
       {std::vector<std::string>{"-h"}, {"-help", "no"}, {"-ba", "--h", "-id", "KDCA"}}) {
    auto o = run_qelmos(args, "", env, dir.path());
    EXPECT_EQ(o.status, 0) << args[0];
    EXPECT_EQ(o.err, "");
    std::vector<std::string> got = lines_of(o.out), want = lines_of(kToolHelp);
    ASSERT_EQ(got.size(), want.size()) << o.out;
    for (size_t i = 0; i < want.size(); i++) EXPECT_EQ(got[i], want[i]) << "line " << i + 1;
    EXPECT_EQ(o.out, kToolHelp);
  }
}

TEST(HelpPage, FollowsTheMessageLevel) {
  TempDir dir;
  std::vector<std::string> env = {"qeldefault=" + dir.file("none")};
  for (const std::vector<std::string> &args : {std::vector<std::string>{"-h", "-me", "none"}, {"-me=none", "-h"}}) {
    auto o = run_qelmos(args, "", env, dir.path());
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out + o.err, "");
  }
  // A help request from a defaults file, with the page sent to a message file only.
  dir.write("defs", "*help: yes\n");
  auto o = run_qelmos({"-me", "print,fi=" + dir.file("page")}, "", {"qeldefault=" + dir.file("defs")}, dir.path());
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(qeltest::read_file(dir.file("page")), kToolHelp);
}

TEST(HelpItem, EveryDefinedIdentifierHasAnEntry) {
  for (int id = 0; id < RES_COUNT; id++) {
    RES_defobj d;
    auto entered = capture([&] { RES_enter(&d, static_cast<res_type>(id)); });
    auto o = capture([&] { RES_help_item(static_cast<res_type>(id)); });
    if (*d.def == '\0') {
      EXPECT_EQ(o.out, std::to_string(id) + "\n");
      EXPECT_EQ(entered.out, std::to_string(id) + "\n");
      continue;
    }
    std::vector<std::string> lines = lines_of(o.out);
    ASSERT_FALSE(lines.empty()) << d.def;
    // One blank, the usage (its abbreviation first for a keyed resource),
    // then the description in column 14 or further out.
    EXPECT_EQ(lines[0][0], ' ') << d.def;
    if (RES_cmd_pos(d.cmd) == 0) {
      EXPECT_EQ(lines[0].compare(1, strlen(d.cmd) + 2, std::string("-") + d.cmd + " "), 0) << lines[0];
    }
    for (size_t i = 1; i < lines.size(); i++) EXPECT_EQ(lines[i].compare(0, 15, std::string(15, ' ')), 0) << lines[i];
    EXPECT_EQ(o.err, "");
  }
}

TEST(HelpItem, MultiLineEntries) {
  auto o = capture([] { RES_help_item(RES_region); });
  std::vector<std::string> lines = lines_of(o.out);
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], " -re region or [proj],clat,clon[,nx,ny][,dx,dy]");
  EXPECT_NE(o.out.find("\n               us,ne,at,se,mw,sp,nw,sw,var\n"), std::string::npos);
  for (res_type id : {RES_plot_domain, RES_grid_domain}) {
    o = capture([&] { RES_help_item(id); });
    EXPECT_EQ(lines_of(o.out).size(), 5u);
    EXPECT_EQ(o.out.find("us,ne"), std::string::npos);
  }
  o = capture([] { RES_help_item(RES_object_param); });
  EXPECT_EQ(lines_of(o.out).size(), 2u);
  EXPECT_EQ(o.out.substr(0, 5), " -oa ");
}

TEST(HelpPrint, HeadingAndListsWhateverTheyHold) {
  res_type key[] = {RES_null};
  res_type pos[] = {RES_values, RES_null};
  auto o = capture([&] { RES_help_print("tool", key, pos); });
  EXPECT_EQ(o.out,
            "tool syntax (version:1.0.0-linux-none)\n"
            "   tool [options...]\n"
            "Keyed options...\n"
            " -df file    Resource/defaults file name\n"
            " -na name    Program name\n"
            "Positional options...\n"
            " value...    Values\n");
}
