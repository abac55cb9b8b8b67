// qelresrc.h: resource identifiers, value converters and the resource
// registry (resrc.cc), the defaults-file reader (def_read.cc), value
// conversion and the help page.
#pragma once

#include "qel.h"

/// Resource identifiers; 0 (RES_null) ends every list of identifiers.
enum res_type {
  RES_null = 0,
  RES_age = 1,
  RES_background = 2,
  RES_batch = 3,
  RES_bin_path = 4,
  RES_bull_file = 5,
  RES_city_file = 6,
  RES_color_cgrid = 7,
  RES_color_clabel = 8,
  RES_color_cloud = 9,
  RES_color_cmap = 10,
  RES_color_cont = 11,
  RES_color_conts = 12,
  RES_color_data = 13,
  RES_color_echo = 14,
  RES_color_fill = 15,
  RES_color_front = 16,
  RES_color_grid = 17,
  RES_color_hodo = 18,
  RES_color_hodtxt = 19,
  RES_color_label = 20,
  RES_color_labels = 21,
  RES_color_line = 22,
  RES_color_map = 23,
  RES_color_pop = 24,
  RES_color_rep = 25,
  RES_color_sound = 26,
  RES_color_table = 27,
  RES_color_text = 28,
  RES_color_therm = 29,
  RES_color_thrmtxt = 30,
  RES_color_wind = 31,
  RES_color_wx = 32,
  RES_command = 33,
  RES_commands = 34,
  RES_con_base = 35,
  RES_con_bases = 36,
  RES_con_interval = 37,
  RES_con_intervals = 38,
  RES_con_path = 39,
  RES_current = 40,
  RES_data_path = 41,
  RES_data_src = 42,
  RES_default = 43,
  RES_draw = 44,
  RES_decode_hour = 45,
  RES_device = 46,
  RES_file_param = 47,
  RES_file_path = 48,
  RES_filename = 49,
  RES_filenames = 50,
  RES_font_list = 51,
  RES_forecast = 52,
  RES_geometry = 53,
  RES_grid_num = 54,
  RES_grid_path = 55,
  RES_grid_type = 56,
  RES_help = 57,
  RES_hour = 58,
  RES_icon = 59,
  RES_identifier = 60,
  RES_identifiers = 61,
  RES_identifierp = 62,
  RES_image_path = 63,
  RES_in_file = 64,
  RES_in_files = 65,
  RES_ingest_port = 66,
  RES_ingestor = 67,
  RES_input = 68,
  RES_label = 69,
  RES_labels = 70,
  RES_level = 71,
  RES_map_file = 72,
  RES_message = 73,
  RES_model = 74,
  RES_name = 75,
  RES_name_conv = 76,
  RES_num_grid = 77,
  RES_num_hour = 78,
  RES_object_param = 79,
  RES_out_file = 80,
  RES_out_files = 81,
  RES_output = 82,
  RES_parameter = 83,
  RES_plot_domain = 84,
  RES_plot_format = 85,
  RES_plot_param = 86,
  RES_plot_range = 87,
  RES_plot_scale = 88,
  RES_plot_type = 89,
  RES_plot_types = 90,
  RES_position = 91,
  RES_product = 92,
  RES_program = 93,
  RES_raw_path = 94,
  RES_read_conf = 95,
  RES_region = 96,
  RES_save_param = 97,
  RES_stat_prior = 98,
  RES_state = 99,
  RES_table = 100,
  RES_time = 101,
  RES_title = 102,
  RES_unit = 103,
  RES_values = 104,
  RES_variable = 105,
  RES_watch_path = 106,
  RES_window_num = 107,
  RES_color_watch = 108,
  RES_log_file = 109,
  RES_grid_domain = 110,
  RES_inputg = 111,
  RES_text_path = 112,
  RES_model_path = 113,
  RES_sat_path = 114,
  RES_time_zone = 115,
};

/// The number of resource identifiers (0 to 115).
constexpr int RES_COUNT = 116;

/// Value converters applied to the merged resource values.
enum DEF_convert {
  CV_none = 0,
  CV_bool = 1,
  CV_int = 2,
  CV_short = 3,
  CV_long = 4,
  CV_float = 5,
  CV_string = 6,
  CV_strcpy = 7,
  CV_path = 8,
  CV_mess = 9,
  CV_draw = 10,
  CV_current = 11,
  CV_hour = 12,
  CV_region = 13,
  CV_name = 14,
  CV_ingestor = 15,
  CV_file_param = 16,
  CV_device = 17,
  CV_plot_type = 18,
  CV_color = 19,
  CV_domain = 20,
  CV_strings = 21,
  CV_batch = 22,
  CV_help = 23,
};

/// One resource definition. `cmd` is the command-line abbreviation of a
/// keyed resource, or, for a positional one, a small number 1 to 10 stored
/// in the pointer (RES_POS_CMD); a value of 10 or less marks it positional.
struct RES_defobj {
  const char *def;  // resource name; "" without definition; null ends a table
  const char *env;  // the resource's own environment variable
  const char *cmd;  // abbreviation, or position number (see RES_POS_CMD)
  DEF_convert cvt;  // converter of the final value
  void *out;        // converter target, may be null
  int *num;         // CV_strings: receives the count, may be null
};

/// Encodes a position number (1 to 9, or 10 = collect) in a `cmd` field.
inline const char *RES_POS_CMD(int n) { return reinterpret_cast<const char *>(static_cast<intptr_t>(n)); }
/// The position number of a positional `cmd` field, or 0 for a keyed one.
inline int RES_cmd_pos(const char *cmd) {
  intptr_t v = reinterpret_cast<intptr_t>(cmd);
  return (v >= 1 && v <= 10) ? static_cast<int>(v) : 0;
}

// ---------------------------------------------------------------------------
// Resource registry (resrc.cc)

/// Resets the flags, builds the definition table from the two lists (74
/// identifiers at most; more are ignored), merges every source and applies
/// "qeltz". Returns 1.
int RES_init(int argc, char **argv, res_type *res_key, res_type *res_pos);
/// Merges defaults files, loop window, environment and command line, then
/// converts the values. `progname` and `cls` are not consulted. Returns 0.
int RES_decode(const char *progname, const char *cls, int argc, char **argv, RES_defobj *def_table);
/// Fills a definition for one identifier from the catalogue; one without a
/// definition gets an empty name and its number is printed ("%d\n"). Returns 1.
int RES_enter(RES_defobj *obj, res_type key);
/// Stores the six fields of a definition. Returns 1.
int RES_fill_obj(RES_defobj *obj, const char *def, const char *env, const char *cmd, DEF_convert cvt, void *out,
                 int *num);
/// Sets a resource (replacing any value). 0, or -1 when no node could be had.
int RES_new(int index, const char *name, const char *data, DEF_convert cvt);
/// As RES_new, but an existing value is extended with "\n" and the new one.
int RES_append(int index, const char *name, const char *data, DEF_convert cvt);
/// RES_new(-9999, name, value, CV_string).
int RES_put(const char *name, const char *value);
/// The value of the named resource, "" when it has none, null when unknown.
const char *RES_get(const char *name);
/// The defaults file of the current directory (a "." or empty search-path
/// element) that set the resource's value, or null when the value came
/// from any other source. Such a value never runs a "|command".
const char *RES_get_origin(const char *name);
/// Splits the value (at newlines for CV_strings, else commas) into
/// *paramv (caller frees with free_parsed_array); returns the item count.
int RES_getvals(const char *name, int *paramc, char ***paramv);
/// Prints every resource at message level 8. Returns 0.
int RES_list();
/// Saves the command line. Returns 1.
int RES_setCL(int argc, char **argv);
/// The first saved command-line word, or null before RES_setCL.
const char *RES_get_prog();
/// Copies the program name (after the last "/") into `prog` (20 bytes; a
/// longer name is cut) or a new buffer when `prog` is null; returns it.
char *RES_get_progname(char *prog);

// ---------------------------------------------------------------------------
// Value conversion

/// Converts one value with `cvt` (CV_strcpy targets hold 160 bytes). 0 when
/// a needed value or target is missing, 1 otherwise (also for unknown words).
int RES_conv_data(const char *data, void *out, DEF_convert cvt);
/// Device code from the first character of a device name: 4, 5, 3, 6, else 1.
int RES_set_device(const char *str);

// ---------------------------------------------------------------------------
// Help page

/// Prints the usage page for program `name`. Returns 1.
int RES_help_print(const char *name, res_type *res_key, res_type *res_pos);
/// Prints the help entry of one identifier (its bare number, unfiltered,
/// when it has none). Returns 1.
int RES_help_item(res_type res);

// ---------------------------------------------------------------------------
// Defaults files (def_read.cc)

/// Takes the program's name from the command line. Returns 0.
int DEF_prog();
/// Sets the program's instance name (at most 29 characters). Returns 0.
int DEF_name(const char *name);
/// Forgets all tags. Returns 0.
int DEF_clr_tag();
/// Adds a tag (the pointer is stored). 0, or -1 when 10 are defined.
int DEF_tag(const char *str);
/// Opens a defaults file (null or "": ".qeldef") or a directory's first
/// candidate. 0 when open, -1 when not (also when a candidate's name would
/// exceed 159 characters).
int DEF_open(const char *filename);
/// Closes the open defaults file. Returns 0.
int DEF_close();
/// The name of the open defaults file ("" when none is open).
const char *DEF_file_name();
/// Reads the next active resource line into `resrc` (50) and `value` (200):
/// 1, or -1 at end of file, without a file, or with a null `resrc`.
int DEF_get(char *resrc, char *value);
/// 1 when file name `string` matches the full name of resource `resrc`.
int DEF_cmp(const char *resrc, const char *string);
/// 1 when file name `string` is meant for this program.
int DEF_valid(const char *string);
/// Copies the text after the last "." or "*" of `str` into `ostr` (50). Returns 1.
int DEF_parse_name(const char *str, char *ostr);
/// Looks up the environment setting of a resource into `value` (200):
/// 1 when found, else 0.
int DEF_env(const char *resrc, const char *env, char *value);
