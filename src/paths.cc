// paths.cc: the path half of the files module: joining directories and
// names, expanding "~", recognising the standard streams, examining files,
// creating directories and opening files, pipes and new files with their
// directories. It calls nothing above the messages, so every module can
// open its files through it.
//
// State: the source of the values being applied while "|command" names
// are refused. The registry sets it around a value from a defaults file of
// the current directory (FILE_refuse_commands); this file never asks the
// registry.

#include <pwd.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "paths.h"
#include "qel.h"

namespace {

// The source whose values are being applied while commands are refused.
const char *refused_source = nullptr;

}  // namespace

using qelfiles::expand_user;

std::string qelfiles::expand_user(const char *name) {
  if (!name) return "";
  if (name[0] != '~') return name;
  const char *slash = strchr(name, '/');
  size_t ulen = slash ? static_cast<size_t>(slash - name - 1) : strlen(name) - 1;
  if (ulen > 19) return name;  // longer than any user name we look up
  const struct passwd *pw = nullptr;
  if (ulen == 0) {
    pw = getpwuid(getuid());
  } else {
    std::string user(name + 1, ulen);
    pw = getpwnam(user.c_str());
  }
  if (!pw || !pw->pw_dir) return name;
  return std::string(pw->pw_dir) + (slash ? slash : "");
}

int FILE_is_stdio(const char *name) {
  return !name || !*name || strcmp(name, "-") == 0 || stricmp(name, "std") == 0 || stricmp(name, "stdn") == 0;
}

int FILE_fullpath(const char *name) { return name && (name[0] == '/' || name[0] == '.' || name[0] == '~'); }

char *FILE_add_path(const char *dir, const char *name, char *out) {
  if (!name) name = "";
  std::string joined;
  if (FILE_is_stdio(name) || FILE_fullpath(name)) {
    joined = name;
  } else {
    joined = dir ? dir : "";
    if (!joined.empty() && joined.back() != '/') joined += '/';
    joined += name;
  }
  str_copy(out, joined.c_str(), QEL_NAME_LEN);
  return out;
}

int FILE_add_path_delim(char *path) {
  if (!path) return 0;
  size_t n = strlen(path);
  if (n > 0 && path[n - 1] != '/') {
    path[n] = '/';
    path[n + 1] = '\0';
  }
  return 0;
}

char *FILE_add_user_path(const char *name, char *out) {
  std::string full = expand_user(name);
  // A home directory too long for the buffer leaves the name as it was
  // rather than cutting it into the name of some other file.
  str_copy(out, full.size() < QEL_NAME_LEN ? full.c_str() : (name ? name : ""), QEL_NAME_LEN);
  return out;
}

int FILE_exist(const char *name) {
  if (FILE_is_stdio(name)) return 1;
  struct stat sb;
  return stat(expand_user(name).c_str(), &sb) == 0;
}

int FILE_is_dir(const char *name) {
  struct stat sb;
  return name && stat(expand_user(name).c_str(), &sb) == 0 && S_ISDIR(sb.st_mode);
}

long FILE_size(const char *name) {
  struct stat sb;
  if (!name || stat(expand_user(name).c_str(), &sb) != 0) return -1;
  return static_cast<long>(sb.st_size);
}

int FILE_make_dir(char *path, int leave) {
  if (!path) return 0;
  fill_string(path, '\\', '/');
  std::string p = path;
  size_t last = p.rfind('/');
  struct stat sb;
  if (last != std::string::npos && last > 0 && stat(p.substr(0, last).c_str(), &sb) == 0) return 1;

  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t slash = p.find('/', start);
    parts.push_back(p.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  if (leave < 0) leave = 0;
  long create = static_cast<long>(parts.size()) - leave;
  std::string sofar;
  for (long i = 0; i < create; i++) {
    if (!parts[i].empty()) {
      sofar += parts[i];
      mkdir(sofar.c_str(), 0755);  // an existing directory is no error here
    }
    sofar += '/';
  }
  return 0;
}

int FILE_refuse_commands(const char *source) {
  refused_source = source;
  return 0;
}

int FILE_command_ok(const char *name) {
  if (!name || name[0] != '|' || !refused_source) return 1;
  MESS_print(M_WARN, "Command not run: %s (from %s)\n", name, refused_source);
  return 0;
}

FILE *FILE_open(const char *name, const char *mode) {
  if (!mode || !*mode) return nullptr;
  if (FILE_is_stdio(name)) return mode[0] == 'r' ? stdin : stdout;
  if (name[0] == '|') return FILE_command_ok(name) ? popen(name + 1, mode[0] == 'r' ? "r" : "w") : nullptr;
  std::string real = expand_user(name);
  if (mode[0] == 'w' || mode[0] == 'a') {
    std::vector<char> dirs(real.begin(), real.end());
    dirs.push_back('\0');
    FILE_make_dir(dirs.data(), 1);
  }
  return fopen(real.c_str(), mode);
}
