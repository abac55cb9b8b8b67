// main.cc: the qelmos driver. It registers the resources the tool accepts,
// answers a help request, prints the banner, selects the bulletin file and
// the model, obtains the station identifier, retrieves that station's MOS
// report and prints it as a forecast table, the compact "zim_fore" line,
// JSON or a meteogram; for a list of models, that station of every model
// side by side. Exit status 0, 30 when a station is not in the file, 2
// when a meteogram cannot be made, 1 when one cannot be written.

#include <cstring>

#include <unistd.h>

#include "qelmos.h"
#include "qelresrc.h"

namespace {

// Keyed resources in the order of registration; the order decides ties in
// option matching and the order of the help page.
res_type res_key[29] = {
    RES_help,       RES_batch,     RES_message,    RES_file_path,  RES_data_path, RES_con_path,
    RES_grid_path,  RES_raw_path,  RES_image_path, RES_watch_path, RES_text_path, RES_model_path,
    RES_sat_path,   RES_city_file, RES_stat_prior, RES_name_conv,  RES_in_file,   RES_out_file,
    RES_file_param, RES_model,     RES_output,     RES_current,    RES_hour,      RES_num_hour,
    RES_identifier, RES_variable,  RES_parameter,  RES_time_zone,  RES_null,
};
// The bulletin files: the first, or one per model of a list ("-mo gfs,nbs").
res_type res_pos[2] = {RES_filenames, RES_null};

bool is_set(const char *value) { return value && *value; }

}  // namespace

int main(int argc, char **argv) {
  char program[20];
  char filename[QEL_NAME_LEN];
  char reply[60] = "";
  Date datim;

  // Output for a file or a pipe goes out in large writes: a JSON run of
  // every station writes more than the bulletin file holds.
  static char out_buffer[1 << 18];
  if (!isatty(STDOUT_FILENO)) setvbuf(stdout, out_buffer, _IOFBF, sizeof out_buffer);

  RES_init(argc, argv, res_key, res_pos);

  if (FLAG_help()) {
    RES_get_progname(program);
    MESS_print(M_PRINT, "%s: This program converts raw surface observations\n", program);
    MESS_print(M_PRINT, "   into a useable format\n");
    RES_help_print(program, res_key, res_pos);
    MESS_print(M_PRINT, "See man qelmos and README.md for every option, value and file.\n");
    QEL_exit(0);
  }

  // Unattended runs print only the table unless the user chose a level.
  if (is_set(RES_get("identifier"))) MESS_set(MESS_DEFAULT_CUMULATIVE, M_UNATTENDED);

  MESS_print_prog("VOD UVOR UVEREV");

  // A list of models ("-mo gfs,nbs,lav") compares one station across them:
  // each model chooses its file once the station is known.
  bool compare = MOS_compare_models() >= 0;
  if (!compare) {
    MOS_in_file();
    FILE_get_file_only("Enter the MOS filename: ", filename);
    FILE_get_date(&datim);
    MOS_find_model(&datim);
  }

  // Batch mode never waits for an answer.
  const char *id_string = RES_get("identifier");
  if (!is_set(id_string) && FLAG_batch()) {
    MESS_print(M_WARN, "No station given (-id)\n");
    QEL_exit(30);
  }
  if (!is_set(id_string)) id_string = QEL_prompts("Enter the station: ", reply, sizeof reply);

  int form = MOS_FORM_TABLE;
  const char *output = RES_get("output");
  if (output && stricmp(output, "zim_fore") == 0)
    form = MOS_FORM_ZIM;
  else if (output && stricmp(output, "json") == 0)
    form = MOS_FORM_JSON;
  else if (output && stricmp(output, "csv") == 0)
    form = MOS_FORM_CSV;
  else if (!compare && output && stricmp(output, "png") == 0)
    form = MOS_FORM_PNG;
  else if (!compare && output && stricmp(output, "svg") == 0)
    form = MOS_FORM_SVG;
  else if (is_set(output) && stricmp(output, "table") != 0)
    MESS_print(M_WARN, "unknown output '%s' (known: table, zim_fore, json, csv%s)\n", output,
               compare ? "" : ", png, svg");

  // Times in a zone of the user's choice; an unknown one leaves them in UTC.
  const char *zone = RES_get("time_zone");
  if (is_set(zone) && DATE_set_zone(zone) < 0)
    MESS_print(M_WARN, "unknown time zone '%s' (an IANA name such as America/New_York, or local): times stay in UTC\n",
               zone);

  if (form == MOS_FORM_TABLE) MESS_print(M_MESS, "Searching for: %s...\n", id_string);
  if (compare) QEL_exit(MOS_compare(id_string, form) ? 0 : 30);
  int result = MOS_output(&datim, id_string, form);
  QEL_exit(result == 1 ? 0 : result == 0 ? 30 : result == MOS_OUT_WRITE ? 1 : 2);
}
