// flag.cc: the thirty global flags that carry decoded settings between
// modules (model code, batch mode, help request, ...) and the thirteen plot
// component switches. Flags start at 0 and are set to -9999 by RES_init;
// the switches start at 1. Switch 0 is always the sum of 1 to 6, and
// switch 12 the sum of 0 to 11, after any FLAG_setplot.

#include "qel.h"

namespace {

constexpr int kFlags = 30;
constexpr int kSwitches = 13;

long flags[kFlags];
int plot_it[kSwitches] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

bool valid_flag(int flag) { return flag >= 0 && flag < kFlags; }

}  // namespace

int FLAG_get(int flag) {
  if (!valid_flag(flag)) return 0;
  return static_cast<int>(flags[flag]);
}

int FLAG_set(int flag, int value) {
  if (!valid_flag(flag)) return -1;
  flags[flag] = value;
  return 0;
}

int FLAG_reset(int value) {
  for (long &f : flags) f = value;
  return 0;
}

int FLAG_batch() { return flags[FLAG_BATCH] > 0 ? 1 : 0; }

int FLAG_help() { return flags[FLAG_HELP] > 0 ? 1 : 0; }

int FLAG_setplot(int kind, int val) {
  if (kind < 0 || kind >= kSwitches) return 0;
  plot_it[kind] = val;
  if (kind == FLAG_PLOT_ALL)
    for (int i = 0; i < FLAG_PLOT_ALL; i++) plot_it[i] = val;
  if (kind == FLAG_PLOT_TEXT)
    for (int i = 0; i <= 6; i++) plot_it[i] = val;

  plot_it[FLAG_PLOT_TEXT] = 0;
  for (int i = 1; i <= 6; i++) plot_it[FLAG_PLOT_TEXT] += plot_it[i];
  plot_it[FLAG_PLOT_ALL] = 0;
  for (int i = 0; i < FLAG_PLOT_ALL; i++) plot_it[FLAG_PLOT_ALL] += plot_it[i];
  return 0;
}

int FLAG_resetplot(int val) {
  for (int &s : plot_it) s = val;
  return 0;
}

int FLAG_getplot(int kind) {
  if (kind < 0 || kind >= kSwitches) return 0;
  return plot_it[kind];
}
