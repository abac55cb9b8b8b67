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

/// One field of a file-name template. The template language is read here
/// once (next_field) for its three walkers: making a name (files.cc),
/// matching a typed name and making the listing pattern (files_select.cc).
struct TemplateField {
  enum Kind {
    literal,       // one character of the template itself (`letter`), "{", "}" and "*" included
    percent,       // "%%"
    lone_percent,  // a "%" (with any digits) that ends the template
    date,          // %Y %y %m %b %d %j %h %n: `letter` with its step `n` (0: none given)
    ext,           // %e: the extension of a partially matched type
    resource,      // %{name}: the resource `name`
    directory,     // %C %D %F %R %G %I %W %T %M %S: `letter` and its resource `name`
    key,           // "%" and any other character: key `letter` with its width `n` (0: whole)
  };
  Kind kind = literal;
  char letter = '\0';
  int n = 0;  // the number between "%" and the letter; very long ones are capped at 9999
  std::string name;
};

/// Reads the field of the template at *t into `f` and moves *t past it;
/// false at the end of the template.
bool next_field(const char **t, TemplateField *f);
/// The value of template key `key` cut to `width` characters (0: whole);
/// "" when the key is unset.
std::string key_text(char key, int width);
/// The value of a resource, or `fallback` when it is unset or empty.
std::string resource_or(const char *name, const char *fallback);
/// The Date field of the plain date letters Y, m, d, h and n; null for the others.
int32_t Date::*date_member(char letter);
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
