// files_state.h: the naming state that the naming files of the file module
// share: files.cc (conventions, templates) and files_select.cc (choosing the
// input file). Nothing outside those two files includes it; the path half
// (paths.cc) knows nothing of it.
#pragma once

#include <string>

#include "paths.h"
#include "qel.h"

namespace qelfiles {

/// The process-wide naming context: one convention at a time.
struct NameState {
  char conv[QEL_NAME_LEN] = "";      // template of the current data type; "" = none
  char hconv[QEL_NAME_LEN] = "";     // template of the companion header file; "" = none
  char ext[20] = "";                 // extension of a partially matched type (%e)
  char filename[QEL_NAME_LEN] = "";  // last name produced or chosen
  int filename_type = 0;             // 1: named by the user or copied unchanged
  // The name the user chose directly. FILE_set_name clears `filename`, so
  // this copy keeps the source of the extracted path while filename_type is 1.
  char user_file[QEL_NAME_LEN] = "";
  // The file name exactly as the user gave it to FILE_set_file (without a
  // "@" or a "#" suffix): a "|command" runs only when it is this text.
  char user_text[QEL_NAME_LEN] = "";
  // The last selection chose no file to read; the reader opens nothing.
  bool none_chosen = false;
  int late_off = 3600;  // step of the finest date field met last; -9999 none
  long min_size = 0;    // smallest size of a present file, from the convention
  long rmin_size = 0;   // a tighter minimum tested first when positive (0 here)
  char keys[256][30] = {};
  int header = 0;  // 1 while a header-file name is made (selects hconv)
  // Fixed date fields chosen by the user; negative day/hour/min are step codes.
  Date set = {QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, 0};
  Date file_date = {QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS};
};

/// The one naming context of the process.
NameState &naming();

/// The resource behind directory field letter `c` (C D F R G I W T M S), or null.
const char *dir_resource(char c);
/// The value of a resource, or `fallback` when it is unset or empty.
std::string resource_or(const char *name, const char *fallback);
/// Reads the step or width number after "%" (advancing *t): N, or 0 when
/// there is none. Very long numbers are capped at 9999.
int read_number(const char **t);
/// Decodes a step code -(100*offset + step) of `set`: false for values that
/// are not codes (unset, not negative, or a zero step).
bool step_code(int value, int *offset, int *step);
/// The day step k of a day code -k, or 0 when `value` is not one.
int day_code(int value);
/// The file step of a date field with step `n` (late_off rules); `cur` is
/// the step so far (-9999 = none yet).
int field_step(char field, int n, int cur);
/// Makes `name` the current file name with its type (1 user, 0 selected).
void set_filename(const char *name, int type);
/// Copies `src` into a 160-byte output buffer when one is given.
void put_name(char *out, const char *src);

}  // namespace qelfiles
