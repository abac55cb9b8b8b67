// mos_json_grid.cc: the fixed-grid products (NBM, LAMP) as JSON Lines: one
// object per station block with its run and version, one object per
// column under "forecasts" with a key for every row the block holds (the
// keys of mos_grid_tables.cc, values in the unit the key names), and NBE's
// climatology under "climate".

#include <cstring>

#include "mos_grid.h"
#include "mos_json.h"

namespace {

using qeljson::Writer;

void value(Writer &w, const GridValue &v) {
  switch (v.kind) {
    case GridValue::Null: return w.null();
    case GridValue::Number: return w.fixed(v.num, v.div);
    case GridValue::Text: return w.word(v.text);
  }
}

// The run in seconds (minutes kept), or -1 when neither the station line
// nor the file's date gives it.
int64_t run_seconds(const Date &run) {
  if (run.year == QEL_MISS || run.month == QEL_MISS || run.day == QEL_MISS || run.hour == QEL_MISS) return -1;
  Date d = run;
  if (d.min == QEL_MISS) d.min = 0;
  d.sec = 0;
  return DATE_num_sec(&d);
}

}  // namespace

int MOSG_json(Date *date, MOSG_report *report) {
  MOSG_report &r = *report;
  const GridProduct *p = grid_product(r.model);
  if (!p) return 0;
  // A station line without a run: the file's date gives it.
  Date run = r.run;
  if (run.year == QEL_MISS && date && date->year != QEL_MISS) {
    run = *date;
    MOSG_set_times(&r, &run);
  }

  // Keys of the rows, made once for the block.
  char keys[MOSG_ROWS][48];
  for (int i = 0; i < r.nrows; i++) grid_key(*p, r.rows[i], keys[i], sizeof keys[i]);

  Writer w;
  w.open('{');
  w.key("station"), w.text(r.id);
  qeljson::station_keys(w, r.id);
  w.key("model"), w.word(MOS_model_word(r.model));
  w.key("product"), w.text(MOS_get_product());
  w.key("run"), qeljson::iso_time(w, run_seconds(run));
  w.key("version"), w.text(r.version);
  w.key("forecasts");
  w.open('[');
  for (int k = 0; k < r.ncols; k++) {
    w.open('{');
    w.field("hour", r.hour[k]);
    w.key("valid"), qeljson::iso_time(w, r.valid[k]);
    for (int i = 0; i < r.nrows; i++) {
      w.key_text(keys[i]);
      value(w, grid_value(*p, r, r.rows[i], k));
    }
    w.close('}');
  }
  w.close(']');
  if (p->climate) {
    w.key("climate");
    w.open('{');
    for (int i = 0; i < r.nrows; i++) {
      const MOSG_row &row = r.rows[i];
      if (row.n_climate == 0) continue;
      w.key_text(keys[i]);
      w.open('[');
      for (int c = 0; c < row.n_climate; c++) w.number(row.climate[c]);
      w.close(']');
    }
    w.close('}');
  }
  w.close('}');
  MESS_print(M_PRINT, "%s", w.line());
  return 0;
}
