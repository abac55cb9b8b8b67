// mos_json_grid.cc: the fixed-grid products (NBM, LAMP) as JSON Lines (and,
// through the same object writer, CSV lines): one object per station block
// with its run and version, one object per column under "forecasts" with a
// key for every row the block holds (the keys of mos_grid_tables.cc, values
// in the unit the key names, then "flight_category" where the block holds
// its rows), and NBE's climatology under "climate".

#include <cstring>

#include "mos_csv.h"
#include "mos_grid.h"
#include "mos_json.h"

namespace {

using qeljson::Writer;

template <class W>
void value(W &w, const GridValue &v) {
  switch (v.kind) {
    case GridValue::Null: return w.null();
    case GridValue::Number: return w.fixed(v.num, v.div);
    case GridValue::Text: {
      size_t n = 0;  // a code or a word: a few characters
      while (n < sizeof v.text && v.text[n]) n++;
      return w.word(v.text, n);
    }
  }
}


// The object of a grid block; false for a code of no product.
template <class W>
bool grid_object(W &w, Date *date, MOSG_report *report) {
  MOSG_report &r = *report;
  const GridProduct *p = grid_product(r.model);
  if (!p) return false;
  // A station line without a run: the file's date gives it.
  Date run = r.run;
  if (run.year == QEL_MISS && date && date->year != QEL_MISS) {
    run = *date;
    MOSG_set_times(&r, &run);
  }

  // Keys of the rows, made once for the block.
  char keys[MOSG_ROWS][48];
  static qeljson::ReadyKey ready[MOSG_ROWS];  // the keys of the columns' objects
  for (int i = 0; i < r.nrows; i++) {
    grid_key(*p, r.rows[i], keys[i], sizeof keys[i]);
    ready[i] = qeljson::ReadyKey(keys[i]);
  }
  bool flight = MOSG_flight_rows(&r);

  w.open('{');
  w.key("station"), w.text(r.id);
  qeljson::station_keys(w, r.id);
  w.key("model"), w.word(MOS_model_word(r.model));
  w.key("product"), w.text(MOS_get_product());
  w.key("run"), qeljson::iso_time(w, MOS_run_seconds(&run));
  w.key("version"), w.text(r.version);
  w.key("forecasts");
  w.open('[');
  for (int k = 0; k < r.ncols; k++) {
    w.open('{');
    w.field("hour", r.hour[k]);
    qeljson::valid(w, r.valid[k]);
    for (int i = 0; i < r.nrows; i++) {
      w.key(ready[i]);
      value(w, grid_value(*p, r, r.rows[i], k));
    }
    if (flight) w.key("flight_category"), w.word(MOS_flight_text(MOSG_flight(&r, k)));
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
  return true;
}

}  // namespace

int MOSG_json(Date *date, MOSG_report *report) {
  Writer w;
  if (grid_object(w, date, report)) MESS_print(M_PRINT, "%s", w.line());
  return 0;
}

int MOSG_csv(Date *date, MOSG_report *report) {
  grid_object(qelcsv::writer(), date, report);
  return 0;
}
