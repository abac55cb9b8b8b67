// main.cc: the qelmos driver. It registers the resources the tool accepts,
// answers a help request, prints the banner, selects the bulletin file and
// the model, obtains the station identifier, retrieves that station's MOS
// report and prints it as a forecast table or as the compact "zim_fore"
// line. Exit status 0, or 30 when a station is not in the file.

#include <cstring>

#include <unistd.h>

#include "qelmos.h"
#include "qelresrc.h"

namespace {

// Keyed resources in the order of registration; the order decides ties in
// option matching and the order of the help page.
res_type res_key[28] = {
    RES_help,       RES_batch,      RES_message,    RES_file_path,  RES_data_path,  RES_con_path,  RES_grid_path,
    RES_raw_path,   RES_image_path, RES_watch_path, RES_text_path,  RES_model_path, RES_sat_path,  RES_city_file,
    RES_stat_prior, RES_name_conv,  RES_in_file,    RES_out_file,   RES_file_param, RES_model,     RES_output,
    RES_current,    RES_hour,       RES_num_hour,   RES_identifier, RES_variable,   RES_parameter, RES_null,
};
res_type res_pos[2] = {RES_filename, RES_null};

bool is_set(const char *value) { return value && *value; }

[[noreturn]] void not_found() {
  MESS_print(M_WARN, "No data found!\n");
  QEL_exit(30);
}

// The compact line: the reference station first, then the requested one;
// either missing ends the run with status 30, "No data found!" on standard
// error and nothing on standard output.
[[noreturn]] void compact_line(Date *datim, const char *id_string) {
  int code = FLAG_get(FLAG_MODEL);
  switch (code) {
    case MOS_NGM:
    case MOS_ETA:
    case MOS_NAM:
    case MOS_AVN:
    case MOS_GFS:
    case MOS_ECS:
    case MOS_GFSX: {
      MOS_report ref, sta;
      const char *ref_id = code == MOS_NGM ? "IND" : "KIND";
      if (MOS_get_station(datim, ref_id, &ref) != 1) not_found();
      if (MOS_get_station(datim, id_string, &sta) != 1) not_found();
      MOS_zim_fore(code, &ref, &sta);
      break;
    }
    case MOS_MRFX: {
      MOSM_report ref, sta;
      if (MOSM_get_station(datim, "IND", &ref) != 1) not_found();
      if (MOSM_get_station(datim, id_string, &sta) != 1) not_found();
      MOSM_zim_fore(&ref, &sta);
      break;
    }
    default: break;  // no compact line for this model
  }
  QEL_exit(0);
}

// After a retrieval: the run that the bulletin gives for the block read
// becomes the initial time, so that the table is labelled with its own run
// (the file's date may be unknown or name another run). The label is made
// from a copy: making it may normalise the record.
void settle_run(Date *datim, char *label) {
  Date run;
  if (MOS_get_run(&run)) *datim = run;
  Date label_date = *datim;
  DATE_make_label(&label_date, label);
}

}  // namespace

int main(int argc, char **argv) {
  char program[20];
  char filename[QEL_NAME_LEN];
  char temp_str[80];
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

  MOS_in_file();
  FILE_get_file_only("Enter the MOS filename: ", filename);
  FILE_get_date(&datim);
  MOS_find_model(&datim);

  // Batch mode never waits for an answer.
  const char *id_string = RES_get("identifier");
  if (!is_set(id_string) && FLAG_batch()) {
    MESS_print(M_WARN, "No station given (-id)\n");
    QEL_exit(30);
  }
  if (!is_set(id_string)) id_string = QEL_prompts("Enter the station: ", reply, sizeof reply);

  const char *output = RES_get("output");
  if (output && stricmp(output, "zim_fore") == 0) compact_line(&datim, id_string);
  if (output && stricmp(output, "json") == 0) QEL_exit(MOS_json_stations(&datim, id_string) ? 0 : 30);
  if (is_set(output) && stricmp(output, "table") != 0)
    MESS_print(M_WARN, "unknown output '%s' (known: table, zim_fore, json)\n", output);

  MESS_print(M_MESS, "Searching for: %s...\n", id_string);

  const char *header = "  %s data for %s\nInitial time: %s\n\n";
  const int code = FLAG_get(FLAG_MODEL);
  const char *title = MOS_model_title(code);
  switch (code) {
    case MOS_NGM:
    case MOS_ETA:
    case MOS_NAM:
    case MOS_AVN:
    case MOS_MRF:
    case MOS_GFS:
    case MOS_ECS:
    case MOS_GFSX: break;
    case MOS_NGM_UA:
    case MOS_ETA_UA:
    case MOS_NAM_UA: {
      MOSU_report ua_report;
      if (MOSU_get_station(&datim, id_string, &ua_report) != 1) not_found();
      settle_run(&datim, temp_str);
      MESS_print(M_PRINT, header, title, ua_report.id, temp_str);
      MOSU_print(&datim, &ua_report);
      return 0;
    }
    case MOS_MRFX: {
      MOSM_report mrf_report;
      if (MOSM_get_station(&datim, id_string, &mrf_report) != 1) not_found();
      settle_run(&datim, temp_str);
      MESS_print(M_PRINT, header, title, mrf_report.id, temp_str);
      MOSM_print(&datim, &mrf_report);
      return 0;
    }
    case MOS_NBH:
    case MOS_NBS:
    case MOS_NBE:
    case MOS_NBX:
    case MOS_NBP:
    case MOS_LAV:
    case MOS_LEV: {
      static MOSG_report grid_report;
      if (MOSG_get_station(&datim, id_string, &grid_report) != 1) not_found();
      char name[40];
      MOSG_header(&grid_report, name, sizeof name);
      // The run of the station line, minutes and all (LAMP runs at HH30);
      // else the file's date.
      Date run = grid_report.run.year != QEL_MISS ? grid_report.run : datim;
      if (run.min == 0 && code != MOS_LAV && code != MOS_LEV) run.min = QEL_MISS;
      if (run.min != QEL_MISS) run.sec = QEL_MISS;
      DATE_make_label(&run, temp_str);
      MESS_print(M_PRINT, header, name, grid_report.id, temp_str);
      MOSG_print(&datim, &grid_report);
      return 0;
    }
    default: return 0;  // no output form for this model
  }

  MOS_report report;
  if (MOS_get_station(&datim, id_string, &report) != 1) not_found();
  settle_run(&datim, temp_str);
  MESS_print(M_PRINT, header, title, report.id, temp_str);
  MOS_print(&datim, &report);
  return 0;
}
