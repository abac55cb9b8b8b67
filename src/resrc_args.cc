// resrc_args.cc: the registry's two passes over the command line. The
// first, before any defaults file, takes only the instance name and the
// defaults search path; the second, after every other source, takes every
// option (by abbreviation, full name or prefix of a keyed definition) and
// every positional argument, replacing what the earlier sources set.
//
// State: the options that matched no definition, kept until the registry
// has converted the values and names them.

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "resrc_args.h"

using namespace qelresrc;

namespace {

// An option name holds up to 49 characters; a longer one is cut.
constexpr size_t kOptNameLen = 50;

// Options of the command line that matched no definition, each once, in
// the order typed: named in a warning after conversion, so that the
// message level the user chose applies to it.
std::vector<std::string> unknown_options;

bool single_dash_option(const char *a) { return a[0] == '-' && is_letter_char(a[1]); }

// A word that the second pass reads as an option: "-" or "--" and a letter.
// Such a word is never taken as the value of the option before it.
bool option_word(const char *a) {
  return single_dash_option(a) || (a[0] == '-' && a[1] == '-' && is_letter_char(a[2]));
}

// Splits the text after the dashes into a name (cut at "=" and to 49
// characters) and the value after the first "=", or null without "=".
const char *split_option(const char *text, char *name) {
  const char *eq = strchr(text, '=');
  size_t n = eq ? static_cast<size_t>(eq - text) : strlen(text);
  if (n > kOptNameLen - 1) n = kOptNameLen - 1;
  memcpy(name, text, n);
  name[n] = '\0';
  return eq ? eq + 1 : nullptr;
}

// "n", "na", "nam" or "name", compared case-sensitively or not.
bool is_name_prefix(const char *name, bool ignore_case) {
  size_t n = strlen(name);
  if (n == 0 || n > 4) return false;
  return ignore_case ? strnicmp(name, "name", static_cast<int>(n)) == 0 : strncmp(name, "name", n) == 0;
}

bool is_default_word(const char *name, bool ignore_case) {
  if (ignore_case) return strnicmp(name, "default", 7) == 0 || strnicmp(name, "df", 2) == 0;
  return strncmp(name, "default", 7) == 0 || strncmp(name, "df", 2) == 0;
}

// `name` is a prefix of `full`, ignoring case.
bool is_prefix_ci(const char *name, const char *full) {
  for (; *name; name++, full++)
    if (!*full || tolower(static_cast<unsigned char>(*name)) != tolower(static_cast<unsigned char>(*full)))
      return false;
  return true;
}

bool is_keyed(const RES_defobj &d) { return d.cmd && RES_cmd_pos(d.cmd) == 0; }

// The keyed definition an option name selects: abbreviation, then full
// name, then a prefix of the full name; the first in table order wins.
int match_option(const char *name, RES_defobj *table) {
  for (int i = 0; table[i].def; i++)
    if (has_def(table[i]) && is_keyed(table[i]) && stricmp(name, table[i].cmd) == 0) return i;
  for (int i = 0; table[i].def; i++)
    if (has_def(table[i]) && is_keyed(table[i]) && stricmp(name, table[i].def) == 0) return i;
  for (int i = 0; table[i].def; i++)
    if (has_def(table[i]) && is_keyed(table[i]) && is_prefix_ci(name, table[i].def)) return i;
  return -1;
}

int positional_definition(int count, RES_defobj *table) {
  for (int i = 0; table[i].def; i++)
    if (has_def(table[i]) && RES_cmd_pos(table[i].cmd) == count) return i;
  for (int i = 0; table[i].def; i++)
    if (has_def(table[i]) && RES_cmd_pos(table[i].cmd) == kCollect) return i;
  return -1;
}

void note_unknown(const char *name) {
  for (const std::string &u : unknown_options)
    if (u == name) return;
  unknown_options.emplace_back(name);
}

}  // namespace

void qelresrc::first_pass(int argc, char **argv) {
  for (int i = 1; i < argc; i++) {
    const char *arg = argv[i];
    if (!single_dash_option(arg)) continue;
    char name[kOptNameLen];
    const char *value = split_option(arg + 1, name);
    if (!value && i + 1 < argc && !option_word(argv[i + 1])) value = argv[++i];
    if (!value) continue;
    if (is_name_prefix(name, false)) {
      RES_new(QEL_MISS, "name", value, CV_string);
      DEF_name(value);
    } else if (is_default_word(name, false)) {
      RES_new(QEL_MISS, "default", value, CV_string);
    }
  }
}

void qelresrc::second_pass(int argc, char **argv, RES_defobj *table) {
  int positional = 0;
  bool collected = false;
  for (int i = 1; i < argc; i++) {
    const char *arg = argv[i];
    if (strcmp(arg, "--") == 0) continue;

    if (!option_word(arg)) {
      int d = positional_definition(++positional, table);
      if (d < 0) continue;
      if (RES_cmd_pos(table[d].cmd) == kCollect && collected) {
        RES_append(d, table[d].def, arg, table[d].cvt);
      } else {
        RES_new(d, table[d].def, arg, table[d].cvt);
        if (RES_cmd_pos(table[d].cmd) == kCollect) collected = true;
      }
      continue;
    }

    char name[kOptNameLen];
    const char *value = split_option(arg + (arg[1] == '-' ? 2 : 1), name);
    bool taken = false;
    if (!value && i + 1 < argc && !option_word(argv[i + 1])) {
      value = argv[++i];
      taken = true;
    }

    // "name" and "default" are the first pass's: never stored again here,
    // though a value taken from the next word stays consumed.
    if (is_name_prefix(name, true) || is_default_word(name, true)) continue;
    int d = match_option(name, table);
    if (d < 0) {
      RES_new(QEL_MISS, name, value, CV_string);
      note_unknown(name);
      continue;
    }
    DEF_convert cvt = table[d].cvt;
    if ((cvt == CV_bool || cvt == CV_batch || cvt == CV_help) && taken) {
      i--;  // the following word is read again as an argument of its own
      value = nullptr;
    }
    RES_new(d, table[d].def, value, cvt);
    window_set(table[d].def, value);
  }
}

void qelresrc::warn_unknown_options() {
  for (const std::string &u : unknown_options) MESS_print(M_WARN, "unknown option -%s\n", u.c_str());
  unknown_options.clear();
}
