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
  char label[80];  // the station and, when the station table knows it, its name and place
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

  const char *header = nullptr;
  switch (FLAG_get(FLAG_MODEL)) {
    case MOS_NGM: header = "  NGM MOS data for %s\nInitial time: %s\n\n"; break;
    case MOS_ETA: header = "  ETA MOS data for %s\nInitial time: %s\n\n"; break;
    case MOS_NAM: header = "  NAM MOS data for %s\nInitial time: %s\n\n"; break;
    case MOS_AVN: header = "  AVN MOS data for %s\nInitial time: %s\n\n"; break;
    case MOS_MRF: header = "  MRF MOS data for %s\nInitial time: %s\n\n"; break;
    case MOS_GFS: header = "  GFS MOS data for %s\nInitial time: %s\n\n"; break;
    case MOS_GFSX: header = "  GFSX MOS data for %s\nInitial time: %s\n\n"; break;
    case MOS_NGM_UA:
    case MOS_ETA_UA:
    case MOS_NAM_UA: {
      int code = FLAG_get(FLAG_MODEL);
      const char *ua_header = code == MOS_NGM_UA   ? "  NGM MOS data for %s\nInitial time: %s\n\n"
                              : code == MOS_ETA_UA ? "  ETA MOS data for %s\nInitial time: %s\n\n"
                                                   : "  NAM MOS data for %s\nInitial time: %s\n\n";
      MOSU_report ua_report;
      if (MOSU_get_station(&datim, id_string, &ua_report) != 1) not_found();
      settle_run(&datim, temp_str);
      MOS_station_label(ua_report.id, label, sizeof label);
      MESS_print(M_PRINT, ua_header, label, temp_str);
      MOSU_print(&datim, &ua_report);
      return 0;
    }
    case MOS_MRFX: {
      MOSM_report mrf_report;
      if (MOSM_get_station(&datim, id_string, &mrf_report) != 1) not_found();
      settle_run(&datim, temp_str);
      MOS_station_label(mrf_report.id, label, sizeof label);
      MESS_print(M_PRINT, "  MRF MOS data for %s\nInitial time: %s\n\n", label, temp_str);
      MOSM_print(&datim, &mrf_report);
      return 0;
    }
    default: return 0;  // no output form for this model
  }

  MOS_report report;
  if (MOS_get_station(&datim, id_string, &report) != 1) not_found();
  settle_run(&datim, temp_str);
  MOS_station_label(report.id, label, sizeof label);
  MESS_print(M_PRINT, header, label, temp_str);
  MOS_print(&datim, &report);
  return 0;
}
