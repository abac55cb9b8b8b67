// files.cc: file paths, naming conventions and input-file selection.
// Stand-in until the naming module is written: names are used as typed,
// without conventions, and files open with plain fopen.

#include <cstring>
#include <sys/stat.h>

#include "qelresrc.h"

namespace {

char filename[QEL_NAME_LEN] = "";
int filename_type = 0;
Date file_date = {QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS};

}  // namespace

int FILE_is_stdio(const char *name) {
  return !name || !*name || strcmp(name, "-") == 0 || stricmp(name, "std") == 0 || stricmp(name, "stdn") == 0;
}

FILE *FILE_open(const char *name, const char *mode) {
  if (FILE_is_stdio(name)) return mode[0] == 'r' ? stdin : stdout;
  return fopen(name, mode);
}

int FILE_set_name(char *) {
  filename[0] = '\0';
  return 0;
}

int FILE_set_date(Date *, char *out) {
  str_copy(out, filename[0] ? filename : "filename", QEL_NAME_LEN);
  return 1;
}

int FILE_hdr_set_date(Date *, char *out) {
  out[0] = '\0';
  return 0;
}

int FILE_set_key(char, const char *) { return 0; }

const char *FILE_get_filename(char *buf) {
  if (buf) str_copy(buf, filename, QEL_NAME_LEN);
  return filename;
}

int FILE_get_filename_type() { return filename_type; }
int FILE_save_name_conv() { return 0; }
int FILE_restore_name_conv() { return 0; }

int FILE_fullpath(const char *name) { return name && (name[0] == '/' || name[0] == '.' || name[0] == '~'); }

char *FILE_add_path(const char *dir, const char *name, char *out) {
  if (FILE_is_stdio(name) || FILE_fullpath(name) || !dir || !*dir) {
    str_copy(out, name, QEL_NAME_LEN);
  } else {
    size_t n = strlen(dir);
    snprintf(out, QEL_NAME_LEN, "%s%s%s", dir, dir[n - 1] == '/' ? "" : "/", name);
  }
  return out;
}

int FILE_add_path_delim(char *path) {
  size_t n = strlen(path);
  if (n > 0 && path[n - 1] != '/') {
    path[n] = '/';
    path[n + 1] = '\0';
  }
  return 0;
}

char *FILE_add_user_path(const char *name, char *out) {
  str_copy(out, name, QEL_NAME_LEN);
  return out;
}

int FILE_exist(const char *name) {
  struct stat sb;
  return FILE_is_stdio(name) || stat(name, &sb) == 0;
}

int FILE_is_dir(const char *name) {
  struct stat sb;
  return name && stat(name, &sb) == 0 && S_ISDIR(sb.st_mode);
}

long FILE_size(const char *name) {
  struct stat sb;
  return stat(name, &sb) == 0 ? static_cast<long>(sb.st_size) : -1;
}

int FILE_make_dir(char *, int) { return 1; }

int FILE_set_file(const char *name, char *out) {
  str_copy(filename, name, sizeof filename);
  filename_type = 1;
  if (out) str_copy(out, filename, QEL_NAME_LEN);
  return 0;
}

int64_t FILE_set_current(const char *, char *out) {
  if (out) str_copy(out, filename, QEL_NAME_LEN);
  return 0;
}

int FILE_list_file() { return 0; }

int FILE_get_file_only(const char *prompt, char *out) {
  const char *name = RES_get("filename");
  char answer[80] = "";
  if (!name || !*name) {
    QEL_prompts(prompt, answer, 80);
    name = answer;
  }
  FILE_set_file(name, out);
  return FILE_exist(filename);
}

Date set = {QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, QEL_MISS, 0};

int FILE_set_time(const Date *date) {
  set = *date;
  return 0;
}

int FILE_get_time(Date *date) {
  *date = set;
  return 0;
}

int FILE_get_date(Date *date) {
  *date = file_date;
  return 0;
}
