// mess.cc: the levelled printer every module writes through. It owns the
// process-wide message level (a 32-bit mask of ten groups with sub-levels),
// the count of explicit level settings that lets a user's choice beat a
// program's default, the optional message file with its destination mode,
// and paging. Messages with an error or warn bit go to standard error,
// all others to standard output.

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdlib>
#include <cstring>

#include "qel.h"

namespace {

struct MessState {
  M_type level = 0xFFFFF;  // print through out2
  int explicit_sets = 0;   // mess_set: explicit settings so far
  int out = 1;             // 1 screen (+file), -1 labelled file + screen, 0 file only, 2 reopened file + screen
  int page = 1;            // 0 never, 1 only on direct MESS_hold, 2 every max_lines
  int lines = 0;
  int max_lines = 22;
  FILE *pfile = nullptr;
  char filename[QEL_NAME_LEN] = "";
  int write_errno = 0;  // first failed write to standard output
};

MessState st;

constexpr M_type kScreenErr = M_ERROR | M_WARN;  // 0xF0

// The highest set bit of `value` and every bit below it (0 stays 0).
M_type cumulative(M_type value) {
  for (int bit = 31; bit >= 0; bit--)
    if (value & (M_type(1) << bit)) return bit == 31 ? 0xFFFFFFFFu : ((M_type(1) << (bit + 1)) - 1);
  return 0;
}

void close_pfile() {
  if (st.pfile && st.pfile != stdout && st.pfile != stderr && st.pfile != stdin) fclose(st.pfile);
  st.pfile = nullptr;
}

// Opens `name` as the message file in `mode` and selects destination `out`.
// A file that is refused (a command from a source that may not run one) or
// cannot be opened is named in a warning, and messages go to the screen as
// they would without a message file: "file only" must not mean "nowhere".
void open_message_file(const char *name, const char *mode, int out) {
  close_pfile();
  st.out = 1;
  if (!FILE_command_ok(name)) return;  // warned "Command not run"
  errno = 0;
  st.pfile = FILE_open(name, mode);
  if (!st.pfile) {
    MESS_print(M_WARN, "cannot open message file %s: %s\n", name, errno ? strerror(errno) : "not opened");
    return;
  }
  st.out = out;
}

// The file name of a file item: after exactly one separator character.
const char *item_file_name(const char *item, size_t keyword_len) {
  size_t n = strlen(item);
  return n > keyword_len + 1 ? item + keyword_len + 1 : "";
}

struct GroupWord {
  const char *word;
  int len;
  M_type mask;
};

const GroupWord kGroups[] = {
    {"none", 4, M_NONE}, {"print", 5, M_PRINT}, {"error", 5, M_ERROR}, {"warn", 4, M_WARN}, {"mess", 4, M_MESS},
    {"out1", 4, M_OUT1}, {"out2", 4, M_OUT2},   {"out3", 4, M_OUT3},   {"out4", 4, M_OUT4}, {"debug", 5, M_DEBUG},
};

// A level item. A word that names no group changes nothing and is named in
// a warning, so that a typing mistake cannot silence every message, the
// tables included. Returns whether the item was understood.
bool apply_level_item(const char *item) {
  char sign = 0;
  const char *word = item;
  if (*word == '+' || *word == '-') sign = *word++;

  const GroupWord *group = nullptr;
  for (const GroupWord &g : kGroups) {
    if (strnicmp(word, g.word, g.len) == 0) {
      group = &g;
      break;
    }
  }
  if (!group) {
    if (*item)
      MESS_print(M_WARN,
                 "unknown message word '%s' (known: none, print, error, warn, mess, out1, out2, out3, out4, "
                 "debug)\n",
                 item);
    return false;
  }
  M_type mask = group->mask;

  size_t n = strlen(item);
  if (n > 0) {
    switch (item[n - 1]) {
      case 'a': mask &= 0x11111111u; break;
      case 'b': mask &= 0x22222222u; break;
      case 'c': mask &= 0x44444444u; break;
      case 'd': mask &= 0x88888888u; break;
      default: break;
    }
  }

  if (sign == '+')
    st.level |= mask;
  else if (sign == '-')
    st.level &= ~mask;
  else
    st.level = cumulative(mask);
  return true;
}

// Keywords match over their own length, so anything that begins with one matches.
bool starts_with(const char *item, const char *keyword) {
  return strnicmp(item, keyword, static_cast<int>(strlen(keyword))) == 0;
}

// Applies one item of a message setting; false when it was not understood.
bool apply_item(const char *item) {
  if (starts_with(item, "@fi")) {
    open_message_file(item_file_name(item, 3), "a", -1);
  } else if (starts_with(item, "+fi")) {
    open_message_file(item_file_name(item, 3), "a", 1);
  } else if (starts_with(item, "-fi")) {
    open_message_file(item_file_name(item, 3), "w", 1);
  } else if (starts_with(item, "dfi")) {
    // The file is opened for every message, long after this value's source
    // is known: a command that may not run is refused now, and messages
    // then go to the screen only, as for a file that cannot be opened.
    const char *name = item_file_name(item, 3);
    if (FILE_command_ok(name)) {
      str_copy(st.filename, name, sizeof st.filename);
      st.out = 2;
    } else {
      close_pfile();
      st.filename[0] = '\0';
      st.out = 1;
    }
  } else if (starts_with(item, "fi")) {
    open_message_file(item_file_name(item, 2), "a", 0);
  } else if (stricmp(item, "nopage") == 0) {
    st.page = 0;
  } else if (stricmp(item, "page") == 0) {
    st.page = 2;
  } else if (starts_with(item, "line")) {
    // strtol, not atoi: a number too large for an int is clamped, not undefined.
    long n = strtol(item_file_name(item, 4), nullptr, 10);
    st.max_lines = n <= 0 ? 22 : n > INT_MAX ? INT_MAX : static_cast<int>(n);
  } else {
    return apply_level_item(item);
  }
  return true;
}

int count_newlines(const char *s) {
  int n = 0;
  for (; *s; s++)
    if (*s == '\n') n++;
  return n;
}

}  // namespace

int MESS_set(int oper, M_type level) {
  if (oper <= 4) st.explicit_sets++;
  if (oper >= 16 && st.explicit_sets > 0) return 0;
  switch (oper) {
    case MESS_CUMULATIVE:
    case MESS_FORCE_CUMULATIVE:
    case MESS_DEFAULT_CUMULATIVE: st.level = cumulative(level); break;
    case MESS_ADD:
    case MESS_FORCE_ADD:
    case MESS_DEFAULT_ADD: st.level |= level; break;
    case MESS_REMOVE:
    case MESS_FORCE_REMOVE:
    case MESS_DEFAULT_REMOVE: st.level &= ~level; break;
    default: break;
  }
  return 0;
}

// A setting counts as explicit when at least one of its items was
// understood: one that only held unknown words leaves the level, and the
// program's defaults, as they were.
int MESS_set_str(const char *str) {
  int argc = 0;
  char **argv = nullptr;
  bool understood = false;
  if (parse_string(str, ',', &argc, &argv) == 0)
    for (int i = 0; i < argc; i++) understood = apply_item(argv[i]) || understood;
  free_parsed_array(argc, argv);
  if (understood) st.explicit_sets++;
  return 0;
}

int MESS_check(M_type level) { return (level & st.level) ? 1 : 0; }

int MESS_check_set() { return st.explicit_sets; }

M_type MESS_get_level() { return st.level; }

int MESS_write_error() { return st.write_errno; }

int MESS_print(M_type type, const char *mess, ...) {
  if (!(type & st.level)) return 0;

  FILE *file = st.pfile;
  if (st.out == 2) file = FILE_open(st.filename, "a");

  va_list ap;
  va_start(ap, mess);
  if (file) {
    if (st.out == -1) {
      char label[32];
      DATE_get_current_str(label);
      fprintf(file, "%s -- ", label);
    }
    va_list aq;
    va_copy(aq, ap);
    vfprintf(file, mess, aq);
    va_end(aq);
    fflush(file);
  }
  if (st.out == 2 && file && file != stdout && file != stderr) fclose(file);

  if (st.out == 0) {
    va_end(ap);
    return 0;
  }

  FILE *screen = (type & kScreenErr) ? stderr : stdout;
  if (vfprintf(screen, mess, ap) < 0 && screen == stdout && !st.write_errno) st.write_errno = errno;
  va_end(ap);

  if (st.page == 2) {
    st.lines += count_newlines(mess);
    if (st.lines > st.max_lines) MESS_hold(type, "Press return to continue\n");
  }
  return 1;
}

int MESS_hold(M_type type, const char *mess) {
  if (!(type & st.level) || st.out == 0 || FLAG_batch() || st.page == 0) return 0;
  FILE *screen = ((type & M_ERROR) && (type & M_WARN)) ? stderr : stdout;
  fputs(mess, screen);
  fflush(screen);
  if (screen != stdout) fflush(stdout);
  getchar();
  st.lines = 0;
  return 0;
}

int MESS_print_prog(const char *string) {
  MESS_print(M_MESS, "      %s (Ver %s)\n\n", string, QEL_version());
  return 0;
}
