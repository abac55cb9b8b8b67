// mos_grid.h: the tables of the fixed-grid products (the National Blend of
// Models' NBH, NBS, NBE, NBX and NBP, GFS LAMP's LAV and LEV) and the
// decoding of their cells, shared by the reader (mos_grid.cc), the table
// printer (mos_grid_print.cc) and the JSON writer (mos_json_grid.cc). A new
// row or a new version of a product is an edit of the tables in
// mos_grid_tables.cc.
#pragma once

#include "qelmos.h"

/// How a row's numbers become the value of its JSON key.
enum class GridConv {
  Raw,           // as written
  Times10,       // tens (directions: tens of degrees)
  Times100,      // hundreds (feet)
  Div10,         // tenths
  Div100,        // hundredths
  NbmCeiling,    // hundreds of feet; -88 or 888 unlimited
  NbmVis,        // tenths of a mile
  Solar,         // W/m2: as written before version 4.0, tens from 4.0 on
  Pressure,      // hPa without its thousands digit (004 is 1004)
  LampCeiling,   // the GFS ceiling categories, in feet, blank under a clear sky
  LampCondCeil,  // the GFS ceiling categories, in feet
  LampVis,       // the GFS visibility categories, in miles
  Cloud,         // CL FW SC BK OV as CLR FEW SCT BKN OVC
  Code,          // letters as written (Y/N, N/L/M/H, R/S/Z, HZ/BR/FG/BL)
  Gust,          // knots, "NG" (no gust) null
};

/// One row a product may hold.
struct GridElement {
  const char *label;  // the row label (NBP: the element part of it, "TXN" of "TXNP1")
  const char *key;    // the JSON key ("temp_f"); NBP statistics go in before its unit
  GridConv conv;
  bool miss99;  // 99 is missing (direction rows, LAMP's two-digit wind fields)
};

/// One fixed-grid product.
struct GridProduct {
  int code;             // model code
  const char *name;     // "NBS", "LAV"
  const char *marker;   // what its station lines hold: "NBS GUIDANCE"
  const char *heading;  // the start of its WMO heading ("FOUS16"), or null
  int width;            // characters of a field: 3 or 4
  int label_width;      // characters of a row label: 3, NBP 5
  int first_end;        // the column of the last character of field 0 (no leading blank)
  int utc_shift;        // columns the UTC row stands left of the data (NBX: 1)
  int step;             // hours between columns as the product is made (for a block without a time row)
  bool climate;         // NBE: the max/min and P12 rows end with two climatology values
  bool lamp;            // LAMP: hours count from the run's whole hour
  const GridElement *elements;
  int n_elements;
};

/// The product of a model code, or null for a code that is no grid product.
const GridProduct *grid_product(int code);
/// The entry of `label` (its first three characters for NBP) in the
/// product's table, or -1.
int grid_element(const GridProduct &p, const char *label, int *stat);

/// A decoded cell: null, a fixed-point number (num / div: div 1, 10, 100 or
/// 1000), or a text (a code, "unlimited").
struct GridValue {
  enum Kind { Null, Number, Text } kind = Null;
  int64_t num = 0;
  int div = 1;
  char text[12] = "";
};

/// The value of column `col` of `row`, converted to the unit of its key.
GridValue grid_value(const GridProduct &p, const MOSG_report &r, const MOSG_row &row, int col);
/// The JSON key of a row into `out` (48): the element's key with NBP's
/// statistic before its unit ("max_min_p10_f"), or the label in lower case
/// for a row no table knows.
void grid_key(const GridProduct &p, const MOSG_row &row, char *out, size_t size);
/// The row of `label` in the report (exactly, NBP labels whole), or null.
const MOSG_row *grid_row(const MOSG_report &r, const char *label);
