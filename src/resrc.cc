// resrc.cc: the resource registry. It owns the process-wide resource list
// (named text values behind a head node, appended in order of first
// creation, names unique and compared exactly, never removed), the saved
// command line, the catalogue of resource definitions, and the start-up
// merge of every source: defaults files on the search path, a loop window,
// the environment and the command line (its two passes are in
// resrc_args.cc), each later source replacing what an earlier one set,
// followed by one conversion of the final values. Its state is one record
// (Registry).

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <list>
#include <string>
#include <unordered_map>
#include <sys/ipc.h>
#include <unistd.h>

#include "resrc_args.h"

using namespace qelresrc;

namespace {

// ---------------------------------------------------------------------------
// The resource list

struct res_obj {
  int index;        // definition-table position; -9999 when set by name only
  char *name;       // owned; null only when its copy failed
  char *data;       // owned; null for a resource without a value
  DEF_convert cvt;  // converter; CV_string without a definition
  res_obj *next;
  // The defaults file of the current directory that set the value, or null
  // for every other source (see RES_get_origin).
  const char *origin;
};

// The connected loop window, if any.
struct Window {
  bool connected = false;
  int queue = -1;
  int conn = -1;
};

// The registry's state, one for the process.
struct Registry {
  res_obj root = {QEL_MISS, nullptr, nullptr, CV_string, nullptr, nullptr};  // head node of the list
  res_obj *tail = &root;  // the last node, where new ones are appended
  int clargc = 0;         // the saved command line
  char **clargv = nullptr;
  // The nodes by name, so that a defaults file of many distinct names is
  // read in linear time. Made at first use and never destroyed: the nodes
  // live until the process ends.
  std::unordered_map<std::string, res_obj *> *names = nullptr;
  // The origin given to values stored now: the defaults file of the current
  // directory being read, or null. The names live until the process ends.
  const char *storing_origin = nullptr;
  std::list<std::string> *origin_names = nullptr;
  // The search path split into elements. Kept for the whole process: the
  // tags registered from "+" elements are these strings, stored by pointer.
  int path_count = 0;
  char **path_elems = nullptr;
  Window window;
};

Registry reg;

std::unordered_map<std::string, res_obj *> &by_name() {
  if (!reg.names) reg.names = new std::unordered_map<std::string, res_obj *>();
  return *reg.names;
}

std::list<std::string> &origin_names() {
  if (!reg.origin_names) reg.origin_names = new std::list<std::string>();
  return *reg.origin_names;
}

res_obj *find(const char *name) {
  if (!name) return nullptr;
  auto it = by_name().find(name);
  return it == by_name().end() ? nullptr : it->second;
}

char *dup_or_null(const char *s) { return s ? strdup(s) : nullptr; }

// The node of `name`, appended with a copy of the name when it is new.
res_obj *find_or_add(const char *name) {
  if (!name) return nullptr;
  auto [it, added] = by_name().try_emplace(name, nullptr);
  if (!added) return it->second;
  res_obj *r = static_cast<res_obj *>(calloc(1, sizeof(res_obj)));
  if (r) r->name = strdup(name);
  if (!r || !r->name) {
    free(r);
    by_name().erase(it);
    return nullptr;
  }
  r->index = QEL_MISS;
  r->cvt = CV_string;
  it->second = r;
  reg.tail->next = r;
  reg.tail = r;
  return r;
}

// ---------------------------------------------------------------------------
// The catalogue: every identifier that has a definition. `pos` is the
// position number of a positional resource (10 collects), 0 for a keyed one.

struct CatEntry {
  res_type id;
  const char *def;
  const char *cmd;
  int pos;
  const char *env;
  DEF_convert cvt;
};

const CatEntry kCatalogue[] = {
    {RES_background, "background", "bg", 0, "qelback", CV_string},
    {RES_batch, "batch", "ba", 0, "qelbatch", CV_batch},
    {RES_bull_file, "bull_file", "bf", 0, "qelbullfile", CV_string},
    {RES_city_file, "city_file", "cf", 0, "qelcity", CV_string},
    {RES_color_clabel, "color_clabel", "cocl", 0, "qelclrclab", CV_string},
    {RES_color_cloud, "color_cloud", "cocd", 0, "qelclrcld", CV_string},
    {RES_color_cmap, "color_cmap", "cocm", 0, "qelclrcmap", CV_string},
    {RES_color_cont, "color_cont", "coco", 0, "qelclrcont", CV_string},
    {RES_color_data, "color_data", "cod", 0, "qelclrdata", CV_string},
    {RES_color_fill, "color_fill", "cof", 0, "qelclrfill", CV_string},
    {RES_color_front, "color_front", "cofr", 0, "qelclrfront", CV_string},
    {RES_color_grid, "color_grid", "cogr", 0, "qelclrgrid", CV_string},
    {RES_color_hodo, "color_hodo", "coh", 0, "qelclrhodo", CV_string},
    {RES_color_hodtxt, "color_hodtxt", "coht", 0, "qelclrhdtxt", CV_string},
    {RES_color_label, "color_label", "cola", 0, "qelclrlab", CV_string},
    {RES_color_line, "color_line", "coln", 0, "qelclrln", CV_string},
    {RES_color_map, "color_map", "com", 0, "qelclrmap", CV_string},
    {RES_color_pop, "color_pop", "copp", 0, "qelclrpop", CV_string},
    {RES_color_sound, "color_sound", "cosd", 0, "qelclrsnd", CV_string},
    {RES_color_table, "color_table", "ct", 0, "qelclrtbl", CV_string},
    {RES_color_text, "color_text", "cot", 0, "qelclrtext", CV_string},
    {RES_color_therm, "color_therm", "coth", 0, "qelclrtherm", CV_string},
    {RES_color_thrmtxt, "color_thrmtxt", "cott", 0, "qelclrthtxt", CV_string},
    {RES_color_wind, "color_wind", "cowd", 0, "qelclrwind", CV_string},
    {RES_color_wx, "color_wx", "cowx", 0, "qelclrwx", CV_string},
    {RES_command, "command", nullptr, kCollect, "qelcommand", CV_strings},
    {RES_commands, "command", "cd", 0, "qelcommand", CV_string},
    {RES_con_base, "con_base", "cb", 0, "qelconbase", CV_float},
    {RES_con_interval, "con_interval", "in", 0, "qelconint", CV_float},
    {RES_con_path, "con_path", "cp", 0, "qelcon", CV_path},
    {RES_current, "current", "cu", 0, "qelcurrent", CV_current},
    {RES_data_path, "data_path", "dp", 0, "qeldata", CV_path},
    {RES_draw, "draw", "dr", 0, "qeldraw", CV_draw},
    {RES_decode_hour, "decode_hour", "dh", 0, "qeldecode", CV_string},
    {RES_device, "device", "de", 0, "qeldevice", CV_device},
    {RES_file_param, "file_param", "pf", 0, "qelfileparam", CV_file_param},
    {RES_file_path, "file_path", "fp", 0, "qelfile", CV_path},
    {RES_filename, "filename", nullptr, 1, "qelfilename", CV_strcpy},
    {RES_filenames, "filename", nullptr, kCollect, "qelfilename", CV_strings},
    {RES_font_list, "font_list", "fl", 0, "qelfontlist", CV_string},
    {RES_forecast, "forecast", "fc", 0, "qelforecast", CV_string},
    {RES_geometry, "geometry", "ge", 0, "qelgeometry", CV_string},
    {RES_grid_num, "grid_num", "gn", 0, "qelgridnum", CV_string},
    {RES_grid_path, "grid_path", "gp", 0, "qelgrid", CV_path},
    {RES_grid_type, "grid_type", "gt", 0, "qelgridtype", CV_int},
    {RES_help, "help", "h", 0, "qelhelp", CV_help},
    {RES_hour, "hour", "ho", 0, "qelhour", CV_hour},
    {RES_icon, "icon", "ic", 0, "qelicon", CV_bool},
    {RES_identifier, "identifier", "id", 0, "qelident", CV_string},
    {RES_image_path, "image_path", "ip", 0, "qelimage", CV_string},
    {RES_in_file, "in_file", "if", 0, "qelinfile", CV_string},
    {RES_in_files, "in_file", "if", 0, "qelinfile", CV_string},
    {RES_ingestor, "ingestor", "di", 0, "qelingestor", CV_ingestor},
    {RES_input, "input", "in", 0, "qelin", CV_string},
    {RES_label, "label", "la", 0, "qellabel", CV_string},
    {RES_level, "level", "le", 0, "qellevel", CV_string},
    {RES_map_file, "map_file", "mf", 0, "qelmap", CV_string},
    {RES_message, "message", "me", 0, "qelmess", CV_mess},
    {RES_model, "model", "mo", 0, "qelmodel", CV_string},
    {RES_name_conv, "name_conv", "nc", 0, "qelnameconv", CV_name},
    {RES_num_hour, "num_hour", "nh", 0, "qelnumhour", CV_string},
    {RES_object_param, "object_param", "oa", 0, "qelobject", CV_string},
    {RES_out_file, "out_file", "of", 0, "qeloutfile", CV_string},
    {RES_output, "output", "ou", 0, "qelout", CV_string},
    {RES_parameter, "parameter", "pa", 0, "qelparam", CV_string},
    {RES_plot_domain, "plot_domain", "pd", 0, "qeldomain", CV_domain},
    {RES_plot_format, "plot_format", "fm", 0, "qelformat", CV_string},
    {RES_plot_param, "plot_param", "pp", 0, "qelpltparam", CV_string},
    {RES_plot_scale, "plot_scale", "sc", 0, "qelscale", CV_float},
    {RES_plot_type, "plot_type", "pl", 0, "qelplot", CV_plot_type},
    {RES_product, "product", "ph", 0, "qelproduct", CV_string},
    {RES_raw_path, "raw_path", "rp", 0, "qelraw", CV_path},
    {RES_region, "region", "re", 0, "qelregion", CV_region},
    {RES_stat_prior, "stat_prior", "pr", 0, "qelprior", CV_int},
    {RES_state, "state", "st", 0, "qelstate", CV_string},
    {RES_table, "table", "ta", 0, "qeltable", CV_bool},
    {RES_time, "time", "ft", 0, "qeltime", CV_string},
    {RES_title, "title", "ti", 0, "qeltitle", CV_string},
    {RES_values, "value", nullptr, kCollect, "qelvalue", CV_strings},
    {RES_variable, "variable", "va", 0, "qelvar", CV_string},
    {RES_watch_path, "watch_path", "wp", 0, "qelwatch", CV_path},
    {RES_window_num, "window_num", "wn", 0, "qelwindownum", CV_int},
    {RES_color_watch, "color_watch", "cowa", 0, "qelclrwatch", CV_string},
    {RES_log_file, "log_file", "lf", 0, "qellog", CV_string},
    {RES_grid_domain, "grid_domain", "gd", 0, "qelgrddomain", CV_domain},
    {RES_inputg, "input", "inp", 0, "qelin", CV_string},
    {RES_text_path, "text_path", "tp", 0, "qeltext", CV_path},
    {RES_model_path, "model_path", "mp", 0, "qelmpath", CV_path},
    {RES_sat_path, "sat_path", "sp", 0, "qelsat", CV_path},
    {RES_time_zone, "time_zone", "tz", 0, "qelzone", CV_string},
};

// ---------------------------------------------------------------------------
// Start-up merge

// Room of the definition table: 74 identifiers and the end marker.
constexpr int kTableSize = 75;
// Defaults-file entries: name and value buffers handed to DEF_get.
constexpr size_t kDefName = 50;
constexpr size_t kDefValue = 200;
// A loop-window reply: MQ_get fills at least 120 bytes; a value holds 199.
constexpr size_t kReplyLen = 200;

const char *const kDefaultPath = ".:/home/qel/etc:/usr/local/qel/etc";

// A window that streams values without ever ending its answer is taken as
// not responding after this many values for one request.
constexpr int kMaxValues = 1000;

// Reads the replies to one request up to its end (the first non-zero
// result of MQ_get, which is returned), handing every value to `take`. The
// queue's time limit covers the whole answer, not each reply; more than
// kMaxValues values end the process as a silent window does.
template <class Take>
int read_answer(int queue, int conn, Take take) {
  char item[kReplyLen];
  int values = 0, result;
  MQ_begin_answer();
  while ((result = MQ_get(queue, conn, item)) == 0) {
    if (++values > kMaxValues) MQ_intrp(SIGALRM);
    take(item);
  }
  MQ_end_answer();
  return result;
}

void read_until_nonzero() {
  read_answer(reg.window.queue, reg.window.conn, [](char *) {});
}

}  // namespace

void qelresrc::window_set(const char *def, const char *value) {
  if (!reg.window.connected) return;
  MQ_put(reg.window.queue, reg.window.conn, "set res %s %s", def, value ? value : "");
  read_until_nonzero();
}

namespace {

// A search-path element "#N": ask loop window N for the value of every
// definition and send it those it lacks but the registry holds.
void consult_window(const char *number, RES_defobj *table) {
  reg.window = Window();
  // The number is the window's queue key. The private key (0, also what a
  // missing or non-numeric number reads as) names no window: looking it up
  // would make a fresh queue that nobody answers.
  int num = atoi(number);
  int queue = static_cast<key_t>(num) == IPC_PRIVATE ? -1 : MQ_open(num);
  if (queue == -1) {
    MESS_print(M_WARN, "RAVizir window: %s not running or no message queue exists\n", number);
    return;
  }
  int conn = MQ_connect(queue);
  if (conn == -1) {
    MESS_print(M_WARN, "RAVizir window: %s unable to connect\n", number);
    return;
  }
  reg.window.queue = queue;
  reg.window.conn = conn;

  for (int i = 0; table[i].def; i++)
    if (has_def(table[i])) MQ_put(queue, conn, "query res %s", table[i].def);

  int pending = 0;
  for (int i = 0; table[i].def; i++) {
    if (!has_def(table[i])) continue;
    bool got = false;
    alarm(100);
    int result = read_answer(queue, conn, [&](char *item) {
      alarm(0);
      if (item[0] && item[0] != '!' && item[0] != '\n') {
        // The reply is one line: drop its line end, and only that.
        size_t n = strlen(item);
        if (item[n - 1] == '\n') item[n - 1] = '\0';
        RES_new(i, table[i].def, item, table[i].cvt);
        got = true;
      }
    });
    alarm(0);
    const char *held = got ? nullptr : RES_get(table[i].def);
    if (held) {
      MQ_put(queue, conn, "set res %s %s", table[i].def, held);
      pending++;
    }
    if (result == -3) MESS_print(M_WARN, "RAVizir not running!\n");
  }

  signal(SIGALRM, SIG_IGN);
  reg.window.connected = true;
  for (; pending > 0; pending--) read_until_nonzero();
}

// A search-path element that finds its file through the current directory.
bool in_current_dir(const char *element) {
  return !*element || strcmp(element, ".") == 0 || strcmp(element, "./") == 0;
}

// One defaults file or directory of the search path.
void read_defaults(const char *element, RES_defobj *table) {
  char key[kDefName], value[kDefValue];
  DEF_open(element);
  // Whoever can write to the current directory may not be the user: its
  // values are marked, so that none of them runs a command.
  reg.storing_origin = nullptr;
  if (in_current_dir(element) && *DEF_file_name()) {
    origin_names().emplace_back(DEF_file_name());
    reg.storing_origin = origin_names().back().c_str();
  }
  while (DEF_get(key, value) >= 0) {
    bool matched = false;
    for (int i = 0; table[i].def; i++) {
      if (!has_def(table[i]) || !DEF_cmp(table[i].def, key)) continue;
      RES_new(i, table[i].def, value, table[i].cvt);
      MESS_print(M_DEBUGD, "RESRC: %s=%s\n", key, value);
      matched = true;
    }
    if (!matched && DEF_valid(key)) {
      char component[kDefName];
      DEF_parse_name(key, component);
      RES_new(QEL_MISS, component, value, CV_string);
    }
  }
  reg.storing_origin = nullptr;
  DEF_close();
}

void search_path(RES_defobj *table) {
  DEF_clr_tag();  // before the strings of an earlier path go
  free_parsed_array(reg.path_count, reg.path_elems);
  reg.path_count = 0;
  reg.path_elems = nullptr;
  const char *path = RES_get("default");
  if (!path) path = kDefaultPath;
  if (*path) {
    parse_string(path, ':', &reg.path_count, &reg.path_elems);
  } else {
    // An empty path is one element without a name: the file in the
    // current directory (laid out as parse_string lays out its arrays).
    reg.path_elems = static_cast<char **>(calloc(1, sizeof(char *)));
    if (reg.path_elems && (reg.path_elems[0] = strdup(""))) {
      reg.path_count = 1;
    } else {
      free(reg.path_elems);
      reg.path_elems = nullptr;
    }
  }
  for (int e = 0; e < reg.path_count; e++) {
    const char *element = reg.path_elems[e];
    if (element[0] == '+')
      DEF_tag(element + 1);
    else if (element[0] == '#')
      consult_window(element + 1, table);
    else
      read_defaults(element, table);
  }
}

void environment(RES_defobj *table) {
  for (int i = 0; table[i].def; i++) {
    if (!has_def(table[i])) continue;
    char value[kDefValue];
    if (DEF_env(table[i].def, table[i].env ? table[i].env : "", value)) RES_new(i, table[i].def, value, table[i].cvt);
  }
}

void convert_all(RES_defobj *table, int table_len) {
  for (res_obj *r = reg.root.next; r; r = r->next) {
    if (r->index == QEL_MISS || r->index < 0 || r->index >= table_len) continue;
    const RES_defobj &d = table[r->index];
    // A converter that opens a file (the message file) runs no command
    // named by a value from the current directory.
    std::string source;
    if (r->origin) {
      source = std::string("the defaults file ") + r->origin + " in the current directory";
      FILE_refuse_commands(source.c_str());
    }
    if (r->cvt == CV_strings && d.out) {
      int n = 0;
      parse_string(r->data, '\n', &n, static_cast<char ***>(d.out));
      if (d.num) *d.num = n;
    } else {
      RES_conv_data(r->data, d.out, r->cvt);
    }
    FILE_refuse_commands(nullptr);
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Resource list

int RES_new(int index, const char *name, const char *data, DEF_convert cvt) {
  res_obj *r = find_or_add(name);
  if (!r) return -1;
  char *copy = dup_or_null(data);  // before the old value goes: `data` may be it
  free(r->data);
  r->data = copy;
  r->cvt = cvt;
  r->index = index;
  r->origin = reg.storing_origin;
  return 0;
}

int RES_append(int index, const char *name, const char *data, DEF_convert cvt) {
  res_obj *r = find(name);
  if (!r) return RES_new(index, name, data, cvt);
  if (!data) return 0;
  if (reg.storing_origin) r->origin = reg.storing_origin;  // part of the value is from there
  if (!r->data) {
    r->data = strdup(data);
    return 0;
  }
  size_t n = strlen(r->data) + strlen(data) + 2;
  char *joined = static_cast<char *>(malloc(n));
  if (!joined) return -1;
  snprintf(joined, n, "%s\n%s", r->data, data);
  free(r->data);
  r->data = joined;
  return 0;
}

int RES_put(const char *name, const char *value) { return RES_new(QEL_MISS, name, value, CV_string); }

const char *RES_get(const char *name) {
  res_obj *r = find(name);
  if (!r) return nullptr;
  return r->data ? r->data : "";
}

const char *RES_get_origin(const char *name) {
  res_obj *r = find(name);
  return r ? r->origin : nullptr;
}

int RES_getvals(const char *name, int *paramc, char ***paramv) {
  if (!paramc || !paramv) return 0;
  *paramc = 0;
  *paramv = nullptr;
  res_obj *r = find(name);
  if (!r || !r->data) return 0;
  if (parse_string(r->data, r->cvt == CV_strings ? '\n' : ',', paramc, paramv) != 0) return 0;
  return *paramc;
}

int RES_list() {
  for (res_obj *r = reg.root.next; r; r = r->next) {
    if (!r->name) continue;
    if (r->data)
      MESS_print(M_PRINTD, "%s: %s\n", r->name, r->data);
    else
      MESS_print(M_PRINTD, "%s:\n", r->name);
  }
  return 0;
}

int RES_setCL(int argc, char **argv) {
  reg.clargc = argc;
  reg.clargv = argv;
  QEL_set_prog(RES_get_prog());  // the way out names the program without asking the registry
  return 1;
}

const char *RES_get_prog() { return reg.clargv && reg.clargc > 0 ? reg.clargv[0] : nullptr; }

char *RES_get_progname(char *prog) {
  const char *full = RES_get_prog();
  if (!full) full = "QEL";
  const char *slash = strrchr(full, '/');
  const char *base = slash ? slash + 1 : full;
  if (!prog) {
    prog = strdup(base);
    return prog ? prog : const_cast<char *>("QEL");
  }
  str_copy(prog, base, 20);
  return prog;
}

// ---------------------------------------------------------------------------
// Definitions and start-up

int RES_fill_obj(RES_defobj *obj, const char *def, const char *env, const char *cmd, DEF_convert cvt, void *out,
                 int *num) {
  obj->def = def;
  obj->env = env;
  obj->cmd = cmd;
  obj->cvt = cvt;
  obj->out = out;
  obj->num = num;
  return 1;
}

int RES_enter(RES_defobj *obj, res_type key) {
  for (const CatEntry &e : kCatalogue) {
    if (e.id != key) continue;
    const char *cmd = e.pos ? RES_POS_CMD(e.pos) : e.cmd;
    return RES_fill_obj(obj, e.def, e.env, cmd, e.cvt, nullptr, nullptr);
  }
  // No definition: an empty name takes part in nothing.
  RES_fill_obj(obj, "", "", "", CV_string, nullptr, nullptr);
  fprintf(stdout, "%d\n", static_cast<int>(key));
  return 1;
}

int RES_decode(const char *, const char *, int argc, char **argv, RES_defobj *def_table) {
  RES_setCL(argc, argv);
  DEF_prog();

  if (const char *env = getenv("qeldefault")) RES_new(QEL_MISS, "default", env, CV_string);

  first_pass(argc, argv);
  search_path(def_table);
  environment(def_table);
  second_pass(argc, argv, def_table);

  if (reg.window.connected) {
    MQ_put(reg.window.queue, reg.window.conn, "quit");
    read_until_nonzero();
  }

  int table_len = 0;
  while (def_table[table_len].def) table_len++;
  convert_all(def_table, table_len);
  warn_unknown_options();
  return 0;
}

int RES_init(int argc, char **argv, res_type *res_key, res_type *res_pos) {
  QEL_watch_output();  // start-up of the process: a lost table is a failed run
  FLAG_reset(QEL_MISS);
  RES_defobj table[kTableSize];
  int n = 0;
  for (res_type *list : {res_key, res_pos})
    for (int k = 0; list && list[k] != RES_null && n < kTableSize - 1; k++) RES_enter(&table[n++], list[k]);
  RES_fill_obj(&table[n], nullptr, nullptr, nullptr, CV_none, nullptr, nullptr);

  RES_decode(argc > 0 ? argv[0] : nullptr, "Qel", argc, argv, table);

  if (const char *tz = getenv("qeltz")) DATE_set_TZ(tz);
  return 1;
}
