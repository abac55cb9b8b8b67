// resrc_convert.cc: conversion of merged resource values into program
// state. Converters either store a typed value at a caller's target or act
// on global state (message level, flags, plot switches, the requested time
// for file selection). No state of its own; conversion never fails loudly:
// unknown words and unparsable text change nothing.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "qelresrc.h"

namespace {

struct WordCode {
  const char *word;
  int code;
};

const WordCode kFileParams[] = {
    {"use", 3}, {"over", 1}, {"calc", 1}, {"reuse", 3}, {"recalc", 1}, {"app", 2},
};

const WordCode kPlotTypes[] = {
    {"raw", 0},     {"none", 99},  {"value", 17},  {"gvalue", 17}, {"cf", 15},    {"lcf", 16},
    {"ln", 12},     {"dln", 13},   {"ndln", 14},   {"vect", 21},   {"barb", 22},  {"strm", 23},
    {"stream", 23}, {"an", 54},    {"number", 54}, {"pm", 55},     {"skewt", 62}, {"ema", 63},
    {"teph", 64},   {"rteph", 65}, {"stuve", 61},  {"hodo", 69},
};

// Draw words and the plot switch each names.
const WordCode kDrawWords[] = {
    {"text_ul", 1}, {"text_uc", 2}, {"text_ur", 3}, {"text_ll", 4}, {"text_lc", 5}, {"text_lr", 6},
    {"data", 7},    {"map", 8},     {"grid", 9},    {"sum", 10},    {"bord", 11},
};

template <size_t N>
const WordCode *lookup(const WordCode (&table)[N], const char *word) {
  for (const WordCode &w : table)
    if (stricmp(word, w.word) == 0) return &w;
  return nullptr;
}

void convert_bool(const char *data, int *out) {
  if (!data || stricmp(data, "true") == 0 || stricmp(data, "on") == 0 || stricmp(data, "yes") == 0)
    *out = 1;
  else if (stricmp(data, "false") == 0 || stricmp(data, "off") == 0 || stricmp(data, "no") == 0)
    *out = 0;
}

// "#" followed by digits: year (4 characters), then month, day, hour and
// minute (2 each), each only while a digit follows. The reading position
// moves by the field width however many digits were read, and never past
// the end of the text.
void hour_hash_form(const char *v, Date *d) {
  size_t len = strlen(v);
  size_t pos = 1;
  if (!is_digit_char(v[pos])) return;
  sscanf(v + pos, "%4d", &d->year);
  pos += 4;
  int32_t *fields[] = {&d->month, &d->day, &d->hour, &d->min};
  for (int32_t *f : fields) {
    if (pos >= len || !is_digit_char(v[pos])) break;
    sscanf(v + pos, "%2d", f);
    pos += 2;
  }
}

// Numbers are read with at most nine digits, so that no field overflows.
void convert_hour(const char *v) {
  Date d;
  DATE_init(&d);
  size_t len = strlen(v);
  bool colon = strchr(v, ':') != nullptr;
  if (v[0] == '#') {
    hour_hash_form(v, &d);
  } else if (len == 6 && !colon) {
    sscanf(v, "%2d%2d%2d", &d.month, &d.day, &d.hour);
  } else if (len == 4 && is_digit_char(v[0]) && !colon) {
    sscanf(v, "%2d%2d", &d.day, &d.hour);
  } else if (len == 3 && is_digit_char(v[0]) && !colon) {
    sscanf(v, "%1d%2d", &d.day, &d.hour);
  } else if (strchr(v, 'd')) {
    sscanf(v, "%9dd%9d:%9d", &d.day, &d.hour, &d.min);
  } else if (v[0] == ':') {
    sscanf(v, ":%9d", &d.min);
  } else if (v[0] == '-' && v[1] == ':') {
    // A minute that was not read stays "not given" rather than negated.
    if (sscanf(v + 2, "%9d", &d.min) == 1) d.min = -d.min;
  } else {
    sscanf(v, "%9d:%9d", &d.hour, &d.min);
    if (v[0] == '-' && d.hour == 0) {
      d.hour = QEL_MISS;
      if (d.min != QEL_MISS) d.min = -d.min;
    }
  }
  FILE_set_time(&d);
}

void convert_draw(const char *data) {
  int n = 0;
  char **items = nullptr;
  if (parse_string(data, ',', &n, &items) != 0) return;
  for (int k = 0; k < n; k++) {
    const char *word = items[k];
    int on = 1;
    if (*word == '+') {
      word++;
    } else if (*word == '-') {
      on = 0;
      word++;
    } else if (k == 0) {
      FLAG_resetplot(0);  // an unsigned list names exactly what is drawn
    }
    if (stricmp(word, "none") == 0) {
      FLAG_setplot(FLAG_PLOT_ALL, 0);
    } else if (stricmp(word, "all") == 0) {
      FLAG_setplot(FLAG_PLOT_ALL, 1);
    } else if (stricmp(word, "text") == 0) {
      FLAG_setplot(FLAG_PLOT_TEXT, on);
      FLAG_setplot(FLAG_PLOT_BORD, on);
    } else if (const WordCode *w = lookup(kDrawWords, word)) {
      FLAG_setplot(w->code, on);
    }
  }
  free_parsed_array(n, items);
}

void convert_device(const char *data, const char **out) {
  int n = 0;
  char **items = nullptr;
  parse_string(data, ',', &n, &items);
  FLAG_set(FLAG_DEVICE, n == 0 ? 1 : RES_set_device(items[0]));
  if (n > 1) *out = strchr(data, ',') + 1;
  free_parsed_array(n, items);
}

}  // namespace

int RES_set_device(const char *str) {
  switch (str ? str[0] : '\0') {
    case 'P':
    case 'p': return 4;
    case 'H':
    case 'h':
    case 'Q':
    case 'q': return 5;
    case 'M':
    case 'm': return 3;
    case 'W':
    case 'w': return 6;
    default: return 1;
  }
}

int RES_conv_data(const char *data, void *out, DEF_convert cvt) {
  // Converters that act on the presence of the resource alone.
  if (cvt == CV_batch) {
    FLAG_set(FLAG_BATCH, 1);
    if (MESS_check_set() == 0) MESS_set(MESS_CUMULATIVE, M_UNATTENDED);
    return 1;
  }
  if (cvt == CV_help) {
    FLAG_set(FLAG_HELP, 1);
    return 1;
  }
  if (cvt == CV_bool && out) {
    convert_bool(data, static_cast<int *>(out));
    return 1;
  }

  // Converters that act on global state: they need only a value.
  if (!data) return 0;
  switch (cvt) {
    case CV_mess: MESS_set_str(data); return 1;
    case CV_hour: convert_hour(data); return 1;
    case CV_file_param:
      if (const WordCode *w = lookup(kFileParams, data)) FLAG_set(FLAG_FILE_PARAM, w->code);
      return 1;
    case CV_plot_type:
      if (const WordCode *w = lookup(kPlotTypes, data)) FLAG_set(FLAG_PLOT_TYPE, w->code);
      return 1;
    case CV_draw: convert_draw(data); return 1;
    default: break;
  }

  // Storing converters: they need a target as well.
  if (!out) return 0;
  switch (cvt) {
    case CV_int:
      if (is_digit_char(data[0]) || data[0] == '-' || data[0] == '+') {
        bool hex = data[1] == 'x' || data[1] == 'X';
        *static_cast<int *>(out) = static_cast<int>(strtol(data, nullptr, hex ? 16 : 10));
      }
      break;
    case CV_short:
      if (is_digit_char(data[0])) *static_cast<int16_t *>(out) = static_cast<int16_t>(strtol(data, nullptr, 10));
      break;
    case CV_long:
      if (is_digit_char(data[0])) *static_cast<int64_t *>(out) = strtoll(data, nullptr, 10);
      break;
    case CV_float: *static_cast<float *>(out) = static_cast<float>(atof(data)); break;
    case CV_string: *static_cast<const char **>(out) = data; break;
    case CV_strcpy:
      // The target is a file-name buffer (160 bytes): a longer value is cut.
      str_copy(static_cast<char *>(out), data, QEL_NAME_LEN);
      break;
    case CV_path:
      if (stricmp(data, "none") == 0) {
        *static_cast<const char **>(out) = "";
      } else {
        size_t n = strlen(data) + 2;
        char *path = static_cast<char *>(malloc(n));
        if (path) {
          str_copy(path, data, n);
          FILE_add_path_delim(path);
        }
        *static_cast<char **>(out) = path;
      }
      break;
    case CV_region:
    case CV_domain: DOM_decode(data, static_cast<Domain *>(out)); break;
    case CV_device: convert_device(data, static_cast<const char **>(out)); break;
    case CV_color: *static_cast<int64_t *>(out) = strtoll(data, nullptr, 10); break;
    default: break;  // CV_none, CV_current, CV_name, CV_ingestor, CV_strings: nothing here
  }
  return 1;
}
