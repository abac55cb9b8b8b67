// mos_grid_print.cc: the forecast table of the fixed-grid products (NBM,
// LAMP): the header with product, version and station, then one line per
// column of the block, HOUR and TIME first. By default the columns a
// forecaster reads first (each product's list below, as far as the block
// holds their rows); with "full" every row of the block, in its order,
// rows no table knows included. Both end with the flight category (FLT)
// where the block holds its rows. A column keeps its width whatever its
// values.

#include <cstdio>
#include <cstring>

#include "mos_grid.h"

namespace {

// A column of a default table: its heading and the rows it may show, the
// first the block holds (a product writes its max/min row as TXN, X/N or N/X).
struct Column {
  const char *head;
  const char *labels[3];
};

// clang-format off
const Column kNbhColumns[] = {
    {"TEMP", {"TMP"}}, {"DEW", {"DPT"}}, {"SKY", {"SKY"}}, {"DIR", {"WDR"}}, {"SPD", {"WSP"}}, {"GUST", {"GST"}},
    {"P01", {"P01"}}, {"Q01", {"Q01"}}, {"T01", {"T01"}}, {"SNOW", {"S01"}}, {"ICE", {"I01"}}, {"CIG", {"CIG"}},
    {"VIS", {"VIS"}},
};
const Column kNbsColumns[] = {
    {"TEMP", {"TMP"}}, {"DEW", {"DPT"}}, {"MX/MN", {"TXN", "X/N", "N/X"}}, {"SKY", {"SKY"}}, {"DIR", {"WDR"}},
    {"SPD", {"WSP"}}, {"GUST", {"GST"}}, {"P06", {"P06"}}, {"P12", {"P12"}}, {"Q06", {"Q06"}}, {"Q12", {"Q12"}},
    {"T03", {"T03"}}, {"T06", {"T06"}}, {"SNOW", {"S06"}}, {"ICE", {"I06"}}, {"CIG", {"CIG"}}, {"VIS", {"VIS"}},
};
const Column kNbeColumns[] = {
    {"TEMP", {"TMP"}}, {"DEW", {"DPT"}}, {"MX/MN", {"TXN", "X/N", "N/X"}}, {"SKY", {"SKY"}}, {"DIR", {"WDR"}},
    {"SPD", {"WSP"}}, {"GUST", {"GST"}}, {"P12", {"P12"}}, {"Q12", {"Q12"}}, {"Q24", {"Q24"}}, {"T12", {"T12"}},
    {"SNOW", {"S12"}}, {"SN24", {"S24"}}, {"ICE", {"I12"}}, {"CIG", {"CIG"}}, {"VIS", {"VIS"}},
};
const Column kNbpColumns[] = {
    {"MXMN10", {"TXNP1"}}, {"MXMN50", {"TXNP5"}}, {"MXMN90", {"TXNP9"}}, {"SPD50", {"WSPP5"}}, {"W24_50", {"W24P5"}},
    {"G24_50", {"G24P5"}}, {"Q24_50", {"Q24P5"}}, {"Q24_90", {"Q24P9"}}, {"S24_50", {"S24P5"}}, {"I24_50", {"I24P5"}},
    {"SLP50", {"SLPP5"}},
};
const Column kLampColumns[] = {
    {"TEMP", {"TMP"}}, {"DEW", {"DPT"}}, {"DIR", {"WDR"}}, {"SPD", {"WSP"}}, {"GUST", {"WGS"}}, {"PPO", {"PPO"}},
    {"PCO", {"PCO"}}, {"P01", {"P01"}}, {"P06", {"P06"}}, {"LTG", {"LP1", "LP2"}}, {"TYP", {"TYP"}},
    {"COV", {"CLD"}}, {"CIL", {"CIG"}}, {"VIS", {"VIS"}}, {"OBV", {"OBV"}},
};
// clang-format on

template <int N>
constexpr int count_of(const Column (&)[N]) {
  return N;
}

void columns_of(int code, const Column **cols, int *n) {
  switch (code) {
    case MOS_NBH: *cols = kNbhColumns, *n = count_of(kNbhColumns); return;
    case MOS_NBS: *cols = kNbsColumns, *n = count_of(kNbsColumns); return;
    case MOS_NBE:
    case MOS_NBX: *cols = kNbeColumns, *n = count_of(kNbeColumns); return;
    case MOS_NBP: *cols = kNbpColumns, *n = count_of(kNbpColumns); return;
    default: *cols = kLampColumns, *n = count_of(kLampColumns); return;
  }
}

// The characters a row's values take, by its conversion ("-10", "12000",
// "0.05", "UNL", "BKN").
int value_width(const GridProduct &p, const MOSG_row &row) {
  if (row.element < 0) return 4;
  switch (p.elements[row.element].conv) {
    case GridConv::Times100:
    case GridConv::NbmCeiling: return 5;
    case GridConv::Div10:
    case GridConv::Div100:
    case GridConv::NbmVis:
    case GridConv::Solar:
    case GridConv::Pressure: return 4;
    default: return 3;
  }
}

// The text of a value as a table shows it: "UNL" for unlimited, decimals
// as the unit has them, LAMP's ceiling in hundreds of feet and its
// visibility as the GFS table writes it.
void value_text(const GridProduct &p, const MOSG_row &row, const GridValue &v, char *out, size_t size) {
  out[0] = '\0';
  if (v.kind == GridValue::Null) return;
  if (v.kind == GridValue::Text) {
    str_copy(out, strcmp(v.text, "unlimited") == 0 ? "UNL" : v.text, size);
    return;
  }
  GridConv conv = row.element >= 0 ? p.elements[row.element].conv : GridConv::Raw;
  if (conv == GridConv::LampCeiling || conv == GridConv::LampCondCeil) {
    snprintf(out, size, "%lld", static_cast<long long>(v.num / 100));
  } else if (v.div == 1000) {
    double miles = static_cast<double>(v.num) / 1000;
    snprintf(out, size, miles < 1 ? "%.1f" : "%.0f", miles);
  } else if (v.div > 1) {
    snprintf(out, size, "%.*f", v.div == 10 ? 1 : 2, static_cast<double>(v.num) / v.div);
  } else {
    snprintf(out, size, "%lld", static_cast<long long>(v.num));
  }
}

struct Shown {
  const MOSG_row *row;
  char head[8];
  int width;
};

}  // namespace

int MOSG_print(Date *date, MOSG_report *report) {
  MOSG_report &r = *report;
  const GridProduct *p = grid_product(r.model);
  if (!p) return 0;
  int full = 0, dash = 0;
  MOS_get_print_options(&full, &dash);
  if (r.run.year == QEL_MISS && date && date->year != QEL_MISS) MOSG_set_times(&r, date);

  // The columns to show, each as wide as its heading and its values.
  Shown shown[MOSG_ROWS];
  int n = 0;
  if (full) {
    for (int i = 0; i < r.nrows; i++) {
      shown[n].row = &r.rows[i];
      str_copy(shown[n].head, r.rows[i].label, sizeof shown[n].head);
      n++;
    }
  } else {
    const Column *cols;
    int count;
    columns_of(r.model, &cols, &count);
    for (int c = 0; c < count; c++) {
      const MOSG_row *row = nullptr;
      for (const char *label : cols[c].labels)
        if (label && !row) row = grid_row(r, label);
      if (!row) continue;
      shown[n].row = row;
      str_copy(shown[n].head, cols[c].head, sizeof shown[n].head);
      n++;
    }
  }
  // The flight category last, where the block holds its rows.
  bool flight = MOSG_flight_rows(&r);
  for (int i = 0; i < n; i++) {
    int w = value_width(*p, *shown[i].row);
    int h = static_cast<int>(strlen(shown[i].head));
    shown[i].width = (w > h ? w : h) + 1;
  }

  MESS_print(M_PRINT, " HOUR   TIME  %*s", MOS_time_width() - 6, "");
  for (int i = 0; i < n; i++) MESS_print(M_PRINT, "%*s", shown[i].width, shown[i].head);
  if (flight) MESS_print(M_PRINT, "  FLT");
  MESS_print(M_PRINT, "\n");
  for (int k = 0; k < r.ncols; k++) {
    char hour[8] = "   ", time[40];
    if (r.hour[k] != QEL_MISS) snprintf(hour, sizeof hour, "%3d", r.hour[k]);
    snprintf(time, sizeof time, "%*s", MOS_time_width(), "");
    if (r.valid[k] >= 0) MOS_time_cell(r.valid[k], time, sizeof time);
    MESS_print(M_PRINT, " %s   %s ", hour, time);
    for (int i = 0; i < n; i++) {
      char text[32];
      value_text(*p, *shown[i].row, grid_value(*p, r, *shown[i].row, k), text, sizeof text);
      MESS_print(M_PRINT, "%*s", shown[i].width, text[0] ? text : dash ? "-" : "");
    }
    if (flight) {
      const char *flt = MOS_flight_text(MOSG_flight(&r, k));
      MESS_print(M_PRINT, "%5s", flt ? flt : dash ? "-" : "");
    }
    MESS_print(M_PRINT, "\n");
  }
  return 0;
}

int MOSG_header(MOSG_report *report, char *out, size_t size) {
  const GridProduct *p = grid_product(report->model);
  const char *title = MOS_model_title(report->model);
  if (!p || !title) {
    str_copy(out, "", size);
    return 0;
  }
  if (report->version[0])
    snprintf(out, size, "%s V%s", title, report->version);
  else
    str_copy(out, title, size);
  return 1;
}
