// resrc_help.cc: the usage page printed for the help resource. Each entry
// is a fixed text chosen by the identifier: a usage text left-aligned in a
// ten-character column, two blanks and a description, sometimes followed by
// lines of its own. Every line goes out at level 15 (print), so the page
// obeys the message level; no state.

#include "qelresrc.h"

namespace {

struct HelpEntry {
  res_type id;
  const char *usage;
  const char *desc;     // null: the usage stands on a line of its own
  const char *more[5];  // further lines, printed as they stand
};

#define IND "               "  // the description column

const char *const kDomainLines[] = {
    IND "proj: ps,ll,lc,me,... (default ps); clat,clon: centre latitude and longitude\n",
    IND "nx,ny: number of grid points; dx,dy: grid spacing\n",
};

const HelpEntry kHelp[] = {
    {RES_help, "-h", "Print this help", {}},
    {RES_batch, "-ba", "Run program in batch mode", {}},
    {RES_message,
     "-me level",
     "Message level to be displayed:",
     {IND "none,print,error,warn,mess,out1,*out2,out3,out4,debug\n"}},
    {RES_file_path, "-fp path", "File path", {}},
    {RES_data_path, "-dp path", "Raw data path", {}},
    {RES_con_path, "-cp path", "Converted data path", {}},
    {RES_grid_path, "-gp path", "Gridded data path", {}},
    {RES_raw_path, "-rp path", "Raw files path", {}},
    {RES_image_path, "-ip path", "Image file path", {}},
    {RES_watch_path, "-wp path", "Watch file data path", {}},
    {RES_text_path, "-tp path", "Text file path", {}},
    {RES_model_path, "-mp path", "Model file path", {}},
    {RES_sat_path, "-sp path", "Satellite file path", {}},
    {RES_city_file, "-cf file", "City database file name", {}},
    {RES_stat_prior, "-pr prior", "Priority of stations used in the plot", {}},
    {RES_name_conv, "-nc type", "Naming convention file name", {}},
    {RES_in_file, "-if type", "Input data file type", {}},
    {RES_out_file, "-of type", "Output file type", {}},
    {RES_file_param, "-pf param", "File parameters: use,calc,over,app", {}},
    {RES_model,
     "-mo model",
     "Specific model to use (default: the file's family):",
     {IND "nbh,nbs,nbe,nbx,nbp,lav,lev,ecs,*ngm,ngm_ua,eta,eta_ua,nam,nam_ua,\n",
      IND "avn,mrf,mrfx,gfs,gfsx\n"}},
    {RES_output, "-ou type", "Type of output", {}},
    {RES_current, "-cu [hour]", "Use current data file", {}},
    {RES_hour, "-ho hour", "Actual hour of the file", {}},
    {RES_num_hour, "-nh hour[,step]", "Number of hours to view", {}},
    {RES_identifier, "-id ident", "Specific station identifier", {}},
    {RES_variable, "-va var", "Variable to be plotted or contoured", {}},
    {RES_parameter, "-pa param[,...]", "Program parameters", {}},
    {RES_filename, "file", "Input file name", {}},

    {RES_background, "-bg color", "Background color", {}},
    {RES_bull_file, "-bf file", "Bulletin file name", {}},
    {RES_color_clabel, "-cocl color", "Color of contour labels", {}},
    {RES_color_cloud, "-cocd color", "Color of cloud cover", {}},
    {RES_color_cmap, "-cocm color", "Color map of images", {}},
    {RES_color_cont, "-coco color", "Color of contours", {}},
    {RES_color_data, "-cod color", "Color of plotted data", {}},
    {RES_color_fill, "-cof color[,...]", "Colors of filled contours", {}},
    {RES_color_front, "-cofr color", "Color of fronts", {}},
    {RES_color_grid, "-cogr color", "Color of grid lines", {}},
    {RES_color_hodo, "-coh color", "Color of the hodograph", {}},
    {RES_color_hodtxt, "-coht color", "Color of hodograph text", {}},
    {RES_color_label, "-cola color", "Color of labels", {}},
    {RES_color_line, "-coln color", "Color of lines", {}},
    {RES_color_map, "-com color", "Color of the map", {}},
    {RES_color_pop, "-copp color", "Color of precipitation probabilities", {}},
    {RES_color_sound, "-cosd color", "Color of the sounding", {}},
    {RES_color_table, "-ct file", "Color table file name", {}},
    {RES_color_text, "-cot color", "Color of text", {}},
    {RES_color_therm, "-coth color", "Color of the thermodynamic diagram", {}},
    {RES_color_thrmtxt, "-cott color", "Color of thermodynamic diagram text", {}},
    {RES_color_wind, "-cowd color", "Color of winds", {}},
    {RES_color_wx, "-cowx color", "Color of weather symbols", {}},
    {RES_color_watch, "-cowa color", "Color of watches and warnings", {}},
    {RES_command, "command...", "Commands to be run", {}},
    {RES_commands, "-cd command", "Command to be run", {}},
    {RES_con_base, "-cb base", "Contour base value", {}},
    {RES_con_interval, "-in interval", "Contour interval", {}},
    {RES_draw, "-dr item[,...]", "Plot items: text,data,map,grid,sum,bord,all,none", {}},
    {RES_decode_hour, "-dh hour", "Hour of the data to decode", {}},
    {RES_device, "-de dev[,par]", "Output device and its parameters", {}},
    {RES_filenames, "file...", "Input file names", {}},
    {RES_font_list, "-fl font[,...]", "List of fonts", {}},
    {RES_forecast, "-fc hour", "Forecast hour", {}},
    {RES_geometry, "-ge geometry", "Window geometry", {}},
    {RES_grid_num, "-gn num", "Grid number", {}},
    {RES_grid_type, "-gt type", "Grid type", {}},
    {RES_icon, "-ic", "Start the window as an icon", {}},
    {RES_in_files, "-if type[,...]", "Input data file types", {}},
    {RES_ingestor, "-di ingestor", "Data ingestor", {}},
    {RES_input, "-in input", "Input source", {}},
    {RES_inputg, "-inp input", "Input source", {}},
    {RES_label, "-la label", "Plot label", {}},
    {RES_level, "-le level", "Level to be plotted", {}},
    {RES_log_file, "-lf file", "Log file name", {}},
    {RES_map_file, "-mf file", "Map file name", {}},
    {RES_plot_format, "-fm format", "Plot format", {}},
    {RES_plot_param, "-pp param[,...]", "Plot parameters", {}},
    {RES_plot_scale, "-sc scale", "Plot scale", {}},
    {RES_plot_type, "-pl type", "Type of plot", {}},
    {RES_product, "-ph product", "Product header", {}},
    {RES_state, "-st state", "State", {}},
    {RES_table, "-ta", "Print a table", {}},
    {RES_time, "-ft time", "Forecast time", {}},
    {RES_title, "-ti title", "Plot title", {}},
    {RES_values, "value...", "Values", {}},
    {RES_window_num, "-wn num", "RAVizir window number", {}},

    {RES_object_param, "-oa object[,param...]", nullptr, {IND "Objects to be plotted and their parameters\n"}},
    {RES_plot_domain,
     "-pd region or [proj],clat,clon[,nx,ny][,dx,dy]",
     nullptr,
     {IND "Plot domain: a region, a station or an explicit domain\n",
      IND "Predefined regions: those of the region file\n", kDomainLines[0], kDomainLines[1]}},
    {RES_grid_domain,
     "-gd region or [proj],clat,clon[,nx,ny][,dx,dy]",
     nullptr,
     {IND "Grid domain: a region, a station or an explicit domain\n",
      IND "Predefined regions: those of the region file\n", kDomainLines[0], kDomainLines[1]}},
    {RES_region,
     "-re region or [proj],clat,clon[,nx,ny][,dx,dy]",
     nullptr,
     {IND "Region to be plotted: a region, a station or an explicit domain\n", IND "Predefined regions:\n",
      IND "us,ne,at,se,mw,sp,nw,sw,var\n", kDomainLines[0], kDomainLines[1]}},
};

#undef IND

}  // namespace

int RES_help_item(res_type res) {
  for (const HelpEntry &e : kHelp) {
    if (e.id != res) continue;
    if (e.desc)
      MESS_print(M_PRINT, " %-10s  %s\n", e.usage, e.desc);
    else
      MESS_print(M_PRINT, " %-10s\n", e.usage);
    for (const char *line : e.more)
      if (line) MESS_print(M_PRINT, "%s", line);
    return 1;
  }
  // No entry: the bare number, whatever the message level.
  fprintf(stdout, "%d\n", static_cast<int>(res));
  return 1;
}

int RES_help_print(const char *name, res_type *res_key, res_type *res_pos) {
  MESS_print(M_PRINT, "%s syntax (version:%s)\n", name, QEL_version());
  MESS_print(M_PRINT, "   %s [options...]\n", name);
  MESS_print(M_PRINT, "Keyed options...\n");
  MESS_print(M_PRINT, " %-10s  Resource/defaults file name\n", "-df file");
  MESS_print(M_PRINT, " %-10s  Program name\n", "-na name");
  for (int i = 0; res_key && res_key[i] != RES_null; i++) RES_help_item(res_key[i]);
  MESS_print(M_PRINT, "Positional options...\n");
  for (int i = 0; res_pos && res_pos[i] != RES_null; i++) RES_help_item(res_pos[i]);
  return 1;
}
