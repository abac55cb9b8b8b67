// Tests of the resource registry: the resource list, the catalogue, and the
// start-up merge (command line, environment, defaults files) as the tool
// runs it, each start-up in a child with a clean environment and its own
// current directory.

#include <gtest/gtest.h>

#include <sys/ipc.h>
#include <sys/msg.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "qelresrc.h"
#include "test_util.h"

using qeltest::capture;
using qeltest::LoopWindow;
using qeltest::Output;
using qeltest::run_child;
using qeltest::TempDir;

namespace {
// The text of loop-window number `n` of this test process.
std::string wk(int n) { return std::to_string(qeltest::window_key(n)); }
}  // namespace

namespace {

// This tool's lists, in its order of registration.
res_type kKey[] = {
    RES_help,       RES_batch,      RES_message,    RES_file_path,  RES_data_path,  RES_con_path,  RES_grid_path,
    RES_raw_path,   RES_image_path, RES_watch_path, RES_text_path,  RES_model_path, RES_sat_path,  RES_city_file,
    RES_stat_prior, RES_name_conv,  RES_in_file,    RES_out_file,   RES_file_param, RES_model,     RES_output,
    RES_current,    RES_hour,       RES_num_hour,   RES_identifier, RES_variable,   RES_parameter, RES_null,
};
res_type kPos[] = {RES_filename, RES_null};

// A start-up in a child: clean environment (only `env`, "NAME=value"),
// current directory the fixture's TempDir, argv = "qelmos" + args. Prints
// each resource of `show` as "name=value" (newlines as "\n") or
// "name unset", then the batch and help flags and the message level.
class Registry : public ::testing::Test {
 protected:
  TempDir dir;
  std::function<void()> before_init;  // runs in the child just before RES_init
  int want_status = 0;

  Output start(const std::vector<std::string> &args, const std::vector<std::string> &show,
               const std::vector<std::string> &env = {}, res_type *key = kKey, res_type *pos = kPos) {
    Output o = run_child([&] {
      clearenv();
      // Unless a test names its own, the search path is one missing file.
      setenv("qeldefault", dir.file("no-defaults").c_str(), 1);
      for (const std::string &e : env) {
        size_t eq = e.find('=');
        setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
      }
      if (chdir(dir.path().c_str()) != 0) _exit(99);
      std::vector<std::string> words = {"qelmos"};
      words.insert(words.end(), args.begin(), args.end());
      std::vector<char *> argv;
      for (std::string &w : words) argv.push_back(w.data());
      argv.push_back(nullptr);
      if (before_init) before_init();
      RES_init(static_cast<int>(words.size()), argv.data(), key, pos);
      std::string report;
      for (const std::string &name : show) {
        const char *v = RES_get(name.c_str());
        if (!v) {
          report += name + " unset\n";
          continue;
        }
        std::string value = v;
        for (size_t p; (p = value.find('\n')) != std::string::npos;) value.replace(p, 1, "\\n");
        report += name + "=" + value + "\n";
      }
      char flags[80];
      snprintf(flags, sizeof flags, "batch=%d help=%d level=%#x\n", FLAG_batch(), FLAG_help(),
               static_cast<unsigned>(MESS_get_level()));
      report += flags;
      fputs(report.c_str(), stdout);
    });
    EXPECT_EQ(o.status, want_status) << o.err;  // also catches leaks under the sanitizers
    return o;
  }

  // The value line of one resource in a start-up report.
  static std::string line(const Output &o, const std::string &name) {
    size_t p = o.out.find(name + "=");
    if (p == std::string::npos || (p > 0 && o.out[p - 1] != '\n')) {
      p = o.out.find(name + " unset");
      return p == std::string::npos ? "?" : "unset";
    }
    size_t e = o.out.find('\n', p);
    return o.out.substr(p + name.size() + 1, e - p - name.size() - 1);
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// The resource list

TEST(ResourceList, SetReplaceAppendAndGet) {
  EXPECT_EQ(RES_get("model"), nullptr);
  EXPECT_EQ(RES_new(3, "model", "eta", CV_string), 0);
  EXPECT_STREQ(RES_get("model"), "eta");
  EXPECT_EQ(RES_get("Model"), nullptr);  // names are case-sensitive

  RES_new(3, "model", nullptr, CV_string);  // set by name only: no value
  ASSERT_NE(RES_get("model"), nullptr);
  EXPECT_STREQ(RES_get("model"), "");

  RES_append(0, "filename", "a", CV_strings);  // new node
  RES_append(0, "filename", "b", CV_strings);
  RES_append(0, "filename", nullptr, CV_strings);  // changes nothing
  RES_append(0, "filename", "c", CV_strings);
  EXPECT_STREQ(RES_get("filename"), "a\nb\nc");
  RES_append(0, "model", "gfs", CV_string);  // existing node without value
  EXPECT_STREQ(RES_get("model"), "gfs");
  RES_new(3, "model", RES_get("model"), CV_string);  // set to its own value
  EXPECT_STREQ(RES_get("model"), "gfs");

  EXPECT_EQ(RES_put("identifier", "KDCA"), 0);
  EXPECT_STREQ(RES_get("identifier"), "KDCA");
  EXPECT_EQ(RES_get(nullptr), nullptr);

  // Listing at level 8, in order of first creation.
  auto o = capture([] { RES_list(); });
  EXPECT_EQ(o.out, "model: gfs\nfilename: a\nb\nc\nidentifier: KDCA\n");
  RES_new(0, "model", nullptr, CV_string);
  o = capture([] { RES_list(); });
  EXPECT_EQ(o.out.substr(0, 7), "model:\n");
}

TEST(ResourceList, GetvalsSplitsAtNewlinesOnlyForStringLists) {
  RES_new(0, "filename", "a,b\nc", CV_strings);
  RES_new(0, "parameter", "full,prdash,", CV_string);
  int n = -1;
  char **v = nullptr;
  EXPECT_EQ(RES_getvals("filename", &n, &v), 2);
  ASSERT_EQ(n, 2);
  EXPECT_STREQ(v[0], "a,b");
  EXPECT_STREQ(v[1], "c");
  free_parsed_array(n, v);
  EXPECT_EQ(RES_getvals("parameter", &n, &v), 2);
  EXPECT_STREQ(v[1], "prdash");
  free_parsed_array(n, v);

  RES_new(0, "model", nullptr, CV_string);
  EXPECT_EQ(RES_getvals("model", &n, &v), 0);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(v, nullptr);
  EXPECT_EQ(RES_getvals("missing", &n, &v), 0);
  EXPECT_EQ(RES_getvals("model", nullptr, nullptr), 0);
}

TEST(ResourceList, ProgramNameFromTheCommandLine) {
  EXPECT_EQ(RES_get_prog(), nullptr);
  char w0[] = "/usr/local/bin/qelmos_with_a_very_long_name", *argv[] = {w0, nullptr};
  EXPECT_EQ(RES_setCL(1, argv), 1);
  EXPECT_STREQ(RES_get_prog(), w0);
  char prog[20];
  EXPECT_EQ(RES_get_progname(prog), prog);
  EXPECT_STREQ(prog, "qelmos_with_a_very_");  // cut to the 20-byte buffer
  char *own = RES_get_progname(nullptr);
  EXPECT_STREQ(own, "qelmos_with_a_very_long_name");
  free(own);
}

// ---------------------------------------------------------------------------
// The catalogue

TEST(Catalogue, PositionalSharedAndUndefinedIdentifiers) {
  // Abbreviations are checked against the help page's usage texts and the
  // environment names by a start-up; here the special entries.
  RES_defobj d;
  RES_enter(&d, RES_filename);
  EXPECT_EQ(RES_cmd_pos(d.cmd), 1);
  EXPECT_EQ(d.cvt, CV_strcpy);
  RES_enter(&d, RES_filenames);
  EXPECT_STREQ(d.def, "filename");
  EXPECT_EQ(RES_cmd_pos(d.cmd), 10);
  EXPECT_EQ(d.cvt, CV_strings);
  RES_enter(&d, RES_model_path);
  EXPECT_STREQ(d.env, "qelmpath");
  EXPECT_EQ(d.out, nullptr);
  RES_enter(&d, RES_inputg);
  EXPECT_STREQ(d.def, "input");
  EXPECT_STREQ(d.cmd, "inp");

  // Identifiers without a definition print their number and take part in nothing.
  auto o = capture([&] {
    for (res_type id : {RES_null, RES_age, RES_unit}) {
      RES_enter(&d, id);
      EXPECT_STREQ(d.def, "");
    }
  });
  EXPECT_EQ(o.out, "0\n1\n103\n");
}

// ---------------------------------------------------------------------------
// The command line

TEST_F(Registry, OptionMatchingInTableOrder) {
  struct Case {
    std::vector<std::string> args;
    const char *resource;
  };
  const Case cases[] = {
      {{"-me", "mess"}, "message"},    {{"-m", "mess"}, "message"},       {{"-me=mess"}, "message"},
      {{"--me", "mess"}, "message"},   {{"-message", "mess"}, "message"}, {{"-MESS", "mess"}, "message"},
      {{"-model", "eta"}, "model"},    {{"-mod", "/m"}, "model_path"},    {{"-mode", "/m"}, "model_path"},
      {{"-ID", "KDCA"}, "identifier"}, {{"-i", "KDCA"}, "image_path"},    {{"--pa=full"}, "parameter"},
  };
  for (const Case &c : cases) {
    auto o = start(c.args, {"message", "model", "model_path", "identifier", "image_path", "parameter"});
    std::string value = c.args.size() > 1 ? c.args[1] : c.args[0].substr(c.args[0].find('=') + 1);
    EXPECT_EQ(line(o, c.resource), value) << c.args[0] << "\n" << o.out;
    int set = 0;
    for (const char *r : {"message", "model", "model_path", "identifier", "image_path", "parameter"})
      set += line(o, r) != "unset";
    EXPECT_EQ(set, 1) << c.args[0] << "\n" << o.out;
  }
}

TEST_F(Registry, ValuesGivenBackSkippedAndStoredAsTyped) {
  // -ba takes no following word: foo is the file name.
  auto o = start({"-id", "KIND", "-ba", "foo"}, {"identifier", "batch", "filename"});
  EXPECT_EQ(line(o, "identifier"), "KIND");
  EXPECT_EQ(line(o, "batch"), "");
  EXPECT_EQ(line(o, "filename"), "foo");
  EXPECT_NE(o.out.find("batch=1 help=0 level=0xff\n"), std::string::npos) << o.out;

  // "=" always carries a value; "-6" is a value; "--" is skipped anywhere.
  o = start({"-ba=yes", "--", "-nh", "-6", "--", "file1", "file2"}, {"batch", "num_hour", "filename"});
  EXPECT_EQ(line(o, "batch"), "yes");
  EXPECT_EQ(line(o, "num_hour"), "-6");
  EXPECT_EQ(line(o, "filename"), "file1");  // the second positional has no definition

  // "-h no": help, and no is positional.
  o = start({"-h", "no"}, {"help", "filename"});
  EXPECT_EQ(line(o, "help"), "");
  EXPECT_EQ(line(o, "filename"), "no");
  EXPECT_NE(o.out.find("help=1"), std::string::npos);

  // No definition: stored under the name as typed, never converted.
  o = start({"-xyz", "3", "-Hour", "12"}, {"xyz", "XYZ", "hour", "Hour"});
  EXPECT_EQ(line(o, "xyz"), "3");
  EXPECT_EQ(line(o, "XYZ"), "unset");
  EXPECT_EQ(line(o, "hour"), "12");  // matched by name, ignoring case
  EXPECT_EQ(line(o, "Hour"), "unset");

  // An option directly followed by another has no value.
  o = start({"-me", "-id", "KDCA"}, {"message", "identifier"});
  EXPECT_EQ(line(o, "message"), "");
  EXPECT_NE(o.out.find("level=0xfffff"), std::string::npos);  // nothing applied
}

TEST_F(Registry, DoubleDashOptionIsNeverTakenAsAValue) {
  auto o =
      start({"-me", "--ba", "-pa", "--id=KDCA", "file"}, {"message", "batch", "parameter", "identifier", "filename"});
  EXPECT_EQ(line(o, "message"), "");
  EXPECT_EQ(line(o, "batch"), "");
  EXPECT_EQ(line(o, "parameter"), "");
  EXPECT_EQ(line(o, "identifier"), "KDCA");
  EXPECT_EQ(line(o, "filename"), "file");
  EXPECT_NE(o.out.find("batch=1"), std::string::npos) << o.out;
}

TEST_F(Registry, LongOptionNamesAreCut) {
  std::string long_name(80, 'q');
  auto o = start({"-" + long_name, "v1", "-" + long_name + "=v2"}, {long_name.substr(0, 49), long_name});
  EXPECT_EQ(line(o, long_name.substr(0, 49)), "v2");
  EXPECT_EQ(line(o, long_name), "unset");
}

TEST_F(Registry, NameAndDefaultsPathFromTheFirstPass) {
  dir.write("a", "*model: ngm\nfoo.model: eta\n");
  dir.write("b", "*model: avn\n");
  std::string a = dir.file("a"), b = dir.file("b");

  // -na sets the instance name before any file is read.
  auto o = start({"-na", "foo", "-df", a}, {"name", "model", "default"});
  EXPECT_EQ(line(o, "name"), "foo");
  EXPECT_EQ(line(o, "model"), "eta");
  EXPECT_EQ(line(o, "default"), a);

  // Wrong case or a double dash: skipped by both passes, value included.
  for (const char *form : {"-NA", "--na", "-Na"}) {
    o = start({form, "foo", "-df", a}, {"name", "model", "filename"});
    EXPECT_EQ(line(o, "name"), "unset") << form;
    EXPECT_EQ(line(o, "model"), "ngm") << form;
    EXPECT_EQ(line(o, "filename"), "unset") << form;
  }

  // -df beats qeldefault; the later -df wins; -default is the long form.
  o = start({"-df", a, "-df", b}, {"model"}, {"qeldefault=" + a});
  EXPECT_EQ(line(o, "model"), "avn");
  o = start({"-default=" + a}, {"model"}, {"qeldefault=" + b});
  EXPECT_EQ(line(o, "model"), "ngm");
  o = start({"-DF", a}, {"model", "filename"}, {"qeldefault=" + b});
  EXPECT_EQ(line(o, "model"), "avn");
  EXPECT_EQ(line(o, "filename"), "unset");
}

TEST_F(Registry, PrecedenceFilesEnvironmentCommandLine) {
  dir.write("a", "*model: ngm\n*output: table\n*parameter: full\n");
  dir.write("b", "*model: eta\n*model: avn\n");
  std::string path = "qeldefault=" + dir.file("a") + ":" + dir.file("b");

  auto o = start({}, {"model", "output", "parameter"}, {path});
  EXPECT_EQ(line(o, "model"), "avn");  // the later file, the later line
  EXPECT_EQ(line(o, "output"), "table");

  o = start({}, {"model", "output"}, {path, "qelmodel=gfs", "qelout=zim_fore"});
  EXPECT_EQ(line(o, "model"), "gfs");
  EXPECT_EQ(line(o, "output"), "zim_fore");

  o = start({"-mo", "nam", "-parameter", "prdash", "-mo", "mrf"}, {"model", "parameter"}, {path, "qelmodel=gfs"});
  EXPECT_EQ(line(o, "model"), "mrf");  // the last occurrence
  EXPECT_EQ(line(o, "parameter"), "prdash");

  // The program-qualified variable beats the resource's own and the generic one.
  o = start({}, {"model", "identifier"},
            {path, "qelqelmos.model=eta", "qelmodel=gfs", "qelidentifier=KDCA", "qelident=KIND"});
  EXPECT_EQ(line(o, "model"), "eta");
  EXPECT_EQ(line(o, "identifier"), "KIND");
}

TEST_F(Registry, ConversionAfterEverySourceIsMerged) {
  // A message level from a defaults file applies, but only at the end:
  // the defaults-entry traces of the merge itself are not shown.
  dir.write("defs", "*message: debug\n*hour: 12\n");
  auto o = start({}, {"message"}, {"qeldefault=" + dir.file("defs")});
  EXPECT_EQ(line(o, "message"), "debug");
  EXPECT_NE(o.out.find("level=0xffffffff"), std::string::npos) << o.out;
  EXPECT_EQ(o.out.find("RESRC"), std::string::npos) << o.out;

  // Batch mode from the environment acts on presence alone; an explicit
  // level keeps it from lowering the level, whatever the order.
  o = start({}, {}, {"qelbatch=no"});
  EXPECT_NE(o.out.find("batch=1 help=0 level=0xff\n"), std::string::npos) << o.out;
  o = start({"-ba", "-me", "mess"}, {});
  EXPECT_NE(o.out.find("batch=1 help=0 level=0xfff\n"), std::string::npos) << o.out;
  o = start({"-me", "mess", "-ba"}, {});
  EXPECT_NE(o.out.find("batch=1 help=0 level=0xfff\n"), std::string::npos) << o.out;

  // The requested time is converted once.
  auto c = run_child([&] {
    clearenv();
    setenv("qeldefault", dir.file("defs").c_str(), 1);
    char w0[] = "qelmos", w1[] = "-ho", w2[] = "-6:30", *argv[] = {w0, w1, w2, nullptr};
    RES_init(3, argv, kKey, kPos);
    Date d;
    FILE_get_time(&d);
    printf("%d %d %d\n", d.day, d.hour, d.min);
  });
  EXPECT_EQ(c.out, "-9999 -6 30\n");
}

TEST_F(Registry, DefaultSearchPathReadsTheCurrentDirectory) {
  dir.write(".qeldef", "*model: eta\n");
  auto o = run_child([&] {
    clearenv();
    if (chdir(dir.path().c_str()) != 0) _exit(99);
    char w0[] = "qelmos", *argv[] = {w0, nullptr};
    RES_init(1, argv, kKey, kPos);
    printf("%s|%s\n", RES_get("model"), RES_get("default") ? "set" : "unset");
  });
  EXPECT_EQ(o.out, "eta|unset\n");

  // An empty path, or an empty element, also means the current directory's file.
  dir.write("later", "*output: table\n");
  for (const std::string &path : {std::string(""), ":" + dir.file("later")}) {
    auto r = start({}, {"model", "output"}, {"qeldefault=" + path});
    EXPECT_EQ(line(r, "model"), "eta") << path;
  }
  auto r = start({"-df="}, {"model"});
  EXPECT_EQ(line(r, "model"), "eta");
}

TEST_F(Registry, SearchPathTagsAndUndeclaredEntries) {
  dir.write("defs",
            "IF mos\n*model: eta\nELSE\n*model: ngm\nEND\n"
            "qelmos.colour: red\n*.title: Forecast\nother.region: us\n");
  std::string defs = dir.file("defs");
  auto o = start({}, {"model", "colour", "title", "region"}, {"qeldefault=+MOS:" + defs});
  EXPECT_EQ(line(o, "model"), "eta");
  EXPECT_EQ(line(o, "colour"), "red");  // meant for this program: stored by its last part
  EXPECT_EQ(line(o, "title"), "Forecast");
  EXPECT_EQ(line(o, "region"), "unset");  // another program's
  o = start({}, {"model"}, {"qeldefault=" + defs + ":+mos"});
  EXPECT_EQ(line(o, "model"), "ngm");  // a tag applies to the files after it
}

TEST_F(Registry, LargeDefaultsFilesAreReadInLinearTime) {
  // 100,000 distinct names meant for this program, and IF blocks 100,000
  // deep: each took many seconds when every line was compared with every
  // stored resource or the whole condition stack.
  std::string names, deep = "DEF t\n";
  for (int i = 0; i < 100000; i++) names += "qelmos.name" + std::to_string(i) + ": v" + std::to_string(i) + "\n";
  for (int i = 0; i < 100000; i++) deep += "IF t\n";
  deep += "*model: gfs\n";
  for (int i = 0; i < 100000; i++) deep += "END\n";
  deep += "*output: table\n";
  dir.write("names", names);
  dir.write("deep", deep);
  auto t0 = std::chrono::steady_clock::now();
  auto o = start({}, {"name99999", "model", "output"}, {"qeldefault=" + dir.file("names") + ":" + dir.file("deep")});
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  EXPECT_EQ(o.out, "name99999=v99999\nmodel=gfs\noutput=table\nbatch=0 help=0 level=0xfffff\n");
  EXPECT_LT(secs, 5.0);
}

TEST_F(Registry, EveryResourceHasItsOwnVariable) {
  const char *const own[][2] = {
      {"help", "qelhelp"},
      {"batch", "qelbatch"},
      {"message", "qelmess"},
      {"file_path", "qelfile"},
      {"data_path", "qeldata"},
      {"con_path", "qelcon"},
      {"grid_path", "qelgrid"},
      {"raw_path", "qelraw"},
      {"image_path", "qelimage"},
      {"watch_path", "qelwatch"},
      {"text_path", "qeltext"},
      {"model_path", "qelmpath"},
      {"sat_path", "qelsat"},
      {"city_file", "qelcity"},
      {"stat_prior", "qelprior"},
      {"name_conv", "qelnameconv"},
      {"in_file", "qelinfile"},
      {"out_file", "qeloutfile"},
      {"file_param", "qelfileparam"},
      {"model", "qelmodel"},
      {"output", "qelout"},
      {"current", "qelcurrent"},
      {"hour", "qelhour"},
      {"num_hour", "qelnumhour"},
      {"identifier", "qelident"},
      {"variable", "qelvar"},
      {"parameter", "qelparam"},
      {"filename", "qelfilename"},
  };
  std::vector<std::string> env, show;
  for (const auto &r : own) {
    env.push_back(std::string(r[1]) + "=v_" + r[0]);
    show.push_back(r[0]);
  }
  auto o = start({}, show, env);
  for (const auto &r : own) EXPECT_EQ(line(o, r[0]), std::string("v_") + r[0]) << r[1];
}

TEST_F(Registry, EnvironmentValuesAreCut) {
  std::string value(300, 'v');
  auto o = start({}, {"identifier"}, {"qelident=" + value});
  EXPECT_EQ(line(o, "identifier"), value.substr(0, 199));
}

TEST_F(Registry, CollectingPositionalDefinition) {
  res_type key[] = {RES_batch, RES_null};
  res_type pos[] = {RES_filenames, RES_null};
  dir.write("defs", "*filename: old\n");
  auto o = start({"a", "-ba", "b", "c"}, {"filename"}, {"qeldefault=" + dir.file("defs")}, key, pos);
  EXPECT_EQ(line(o, "filename"), "a\\nb\\nc");  // the file's value is replaced, then extended
}

TEST_F(Registry, NoLoopWindowRunning) {
  auto o = start({}, {"model"}, {"qeldefault=#" + wk(1) + ":#" + wk(2) + "x"});
  EXPECT_EQ(o.err, "RAVizir window: " + wk(1) +
                       " not running or no message queue exists\n"
                       "RAVizir window: " +
                       wk(2) + "x not running or no message queue exists\n");
  EXPECT_EQ(line(o, "model"), "unset");

  // No number, or not a number: no window, and no private queue that would
  // never answer.
  before_init = [] { MQ_set_time_limit(1); };
  o = start({}, {"model"}, {"qeldefault=#:#x"});
  EXPECT_EQ(o.err,
            "RAVizir window:  not running or no message queue exists\n"
            "RAVizir window: x not running or no message queue exists\n");
}

TEST_F(Registry, TheToolTakesItsSettingsFromEverySource) {
  // The station from the environment, batch mode and the model from a
  // defaults file: no prompt, and only the warning is printed.
  dir.write("defs", "*batch: on\nqelmos.model: gfs\n");
  dir.write("name_conv", "mos_dat %D/%y%m%d%h_mos - 0\n");  // no warning about a missing convention file
  std::vector<std::string> env = {"qeldefault=" + dir.file("defs"), "qelident=KEED"};
  auto o = qeltest::run_qelmos({dir.file("missing.txt")}, "", env, dir.path());
  EXPECT_EQ(o.status, 30);
  EXPECT_EQ(o.out, "");
  EXPECT_EQ(o.err, "qelmos: cannot read " + dir.file("missing.txt") + ": No such file or directory\nNo data found!\n");
  // The command line's level beats the batch default.
  o = qeltest::run_qelmos({"-me", "mess", "-ou", "table", dir.file("missing.txt")}, "", env, dir.path());
  EXPECT_EQ(o.out.find("      VOD UVOR UVEREV (Ver "), 0u) << o.out;
  EXPECT_NE(o.out.find("Searching for: KEED...\n"), std::string::npos) << o.out;
}

// ---------------------------------------------------------------------------
// The loop window

#ifdef LOOPWIN_BIN

TEST_F(Registry, LoopWindowValuesAndSettings) {
  std::string log = dir.file("log");
  LoopWindow win(qeltest::window_key(11), {"-l", log}, {"model=eta", "parameter=full", "model_path=/w"});
  ASSERT_TRUE(win.ready());
  dir.write("defs", "*output: table\n*model_path: /file\n");
  dir.write("later", "*model: ngm\n");
  auto o = start({"-id", "KIND", "-xyz", "3"}, {"model", "model_path", "output", "parameter", "identifier"},
                 {"qeldefault=" + dir.file("defs") + ":#" + wk(11), "qelparam=prdash"});
  EXPECT_EQ(o.err, "unknown option -xyz\n");
  EXPECT_EQ(line(o, "model"), "eta");      // from the window
  EXPECT_EQ(line(o, "model_path"), "/w");  // the window comes after the file
  EXPECT_EQ(line(o, "output"), "table");
  EXPECT_EQ(line(o, "parameter"), "prdash");  // the environment beats the window
  EXPECT_EQ(line(o, "identifier"), "KIND");

  // Every definition is asked for in table order; the window is given what
  // it lacks and the registry holds, then the matched options, then "quit".
  std::string want;
  for (const char *name :
       {"help",       "batch",      "message",    "file_path",  "data_path",  "con_path",  "grid_path",
        "raw_path",   "image_path", "watch_path", "text_path",  "model_path", "sat_path",  "city_file",
        "stat_prior", "name_conv",  "in_file",    "out_file",   "file_param", "model",     "output",
        "current",    "hour",       "num_hour",   "identifier", "variable",   "parameter", "filename"})
    want += std::string("query res ") + name + "\n";
  want += "set res output table\nset res identifier KIND\nquit\n";
  EXPECT_EQ(qeltest::read_file(log), want);
  EXPECT_EQ(win.wait(3), 0);  // "quit" ended it

  // A later file beats the window.
  LoopWindow again(qeltest::window_key(12), {}, {"model=eta"});
  ASSERT_TRUE(again.ready());
  o = start({}, {"model"}, {"qeldefault=#" + wk(12) + ":" + dir.file("later")});
  EXPECT_EQ(line(o, "model"), "ngm");
}

TEST_F(Registry, LoopWindowReplacedByAFailedOne) {
  std::string log = dir.file("log");
  LoopWindow win(qeltest::window_key(13), {"-l", log});
  ASSERT_TRUE(win.ready());
  auto o = start({"-id", "KIND"}, {"identifier"}, {"qeldefault=#" + wk(13) + ":#" + wk(14)});
  EXPECT_EQ(o.err, "RAVizir window: " + wk(14) + " not running or no message queue exists\n");
  EXPECT_EQ(line(o, "identifier"), "KIND");
  std::string got = qeltest::read_file(log);
  EXPECT_EQ(got.find("set res"), std::string::npos) << got;
  EXPECT_EQ(got.find("quit"), std::string::npos) << got;
  EXPECT_NE(got.find("query res filename\n"), std::string::npos) << got;
}

TEST_F(Registry, LoopWindowThatNeverAnswers) {
  LoopWindow win(qeltest::window_key(15), {"-n"});
  ASSERT_TRUE(win.ready());
  before_init = [] { MQ_set_time_limit(1); };
  want_status = 7;
  auto o = start({}, {}, {"qeldefault=#" + wk(15)});
  EXPECT_EQ(o.err, "Queue not responding!!\n");
}

namespace {

// A scripted peer on a queue of its own: it answers the handshake with
// `handshake` (code character and text), every "query res" with the texts
// of `replies` (`gap` microseconds before each) and anything else with
// code 1, all on connection 3.
class FakePeer {
 public:
  FakePeer(key_t key, const std::string &handshake, const std::vector<std::string> &replies, useconds_t gap = 0) {
    queue_ = msgget(key, IPC_CREAT | IPC_EXCL | 0600);
    if (queue_ < 0) return;
    pid_ = fork();
    if (pid_ != 0) return;
    mqueuebuf m;
    if (msgrcv(queue_, &m, 120, 1, 0) < 0) _exit(0);
    send(2, handshake);
    while (msgrcv(queue_, &m, 120, 1, 0) >= 0) {
      if (strncmp(m.mtext + 1, "query res", 9) == 0)
        for (const std::string &r : replies) {
          if (gap) usleep(gap);
          send(3, r);
        }
      else
        send(3, "1");
    }
    _exit(0);
  }
  ~FakePeer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
    if (queue_ >= 0) msgctl(queue_, IPC_RMID, nullptr);
  }
  bool ok() const { return queue_ >= 0 && pid_ > 0; }

 private:
  void send(long type, const std::string &text) {
    mqueuebuf m = {};
    m.mtype = type;
    snprintf(m.mtext, sizeof m.mtext, "%s", text.c_str());
    msgsnd(queue_, &m, 120, 0);
  }
  int queue_ = -1;
  pid_t pid_ = -1;
};

res_type kModelOnly[] = {RES_model, RES_null};
res_type kNone[] = {RES_null};

}  // namespace

TEST_F(Registry, LoopWindowRefusingTheConnection) {
  FakePeer peer(qeltest::window_key(16), "9", {});
  ASSERT_TRUE(peer.ok());
  auto o = start({}, {"model"}, {"qeldefault=#" + wk(16)}, kModelOnly, kNone);
  EXPECT_EQ(o.err, "RAVizir window: " + wk(16) + " unable to connect\n");
}

TEST_F(Registry, LoopWindowRepliesWithoutLineEndOrNotRunning) {
  {
    // Only a line end is dropped: a reply cut short keeps its last character.
    FakePeer peer(qeltest::window_key(17), "23", {"0eta", "1"});
    ASSERT_TRUE(peer.ok());
    auto o = start({}, {"model"}, {"qeldefault=#" + wk(17)}, kModelOnly, kNone);
    EXPECT_EQ(o.err, "");
    EXPECT_EQ(line(o, "model"), "eta");
  }
  FakePeer peer(qeltest::window_key(18), "23", {"-"});
  ASSERT_TRUE(peer.ok());
  auto o = start({}, {"model"}, {"qeldefault=#" + wk(18)}, kModelOnly, kNone);
  EXPECT_EQ(o.err, "RAVizir not running!\n");
  EXPECT_EQ(line(o, "model"), "unset");
}

TEST_F(Registry, LoopWindowStreamingValuesWithoutEnd) {
  // The time limit covers a whole answer, however many values keep it
  // going; more than 1000 values for one resource are no answer either.
  res_type *key = kModelOnly;
  before_init = [] { MQ_set_time_limit(1); };
  want_status = 7;
  {
    std::vector<std::string> slow(8, "0eta");  // one value every 0.3 s, the end after 2.7 s
    slow.push_back("1");
    FakePeer peer(qeltest::window_key(19), "23", slow, 300000);
    ASSERT_TRUE(peer.ok());
    auto o = start({}, {"model"}, {"qeldefault=#" + wk(19)}, key, kNone);
    EXPECT_EQ(o.err, "Queue not responding!!\n");
  }
  std::vector<std::string> flood(1001, "0eta");
  flood.push_back("1");
  FakePeer peer(qeltest::window_key(20), "23", flood);
  ASSERT_TRUE(peer.ok());
  auto o = start({}, {"model"}, {"qeldefault=#" + wk(20)}, key, kNone);
  EXPECT_EQ(o.err, "Queue not responding!!\n");
}

#endif
