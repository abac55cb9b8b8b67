// tools.cc: interactive prompts and the two commands understood at any
// prompt: "set name value" changes a resource (a bare "set" lists them all)
// and "exit" ends the process with status 0. No module state.
//
// A prompt reads one line of standard input per try; a line longer than an
// answer can be is cut and its rest discarded, so it never answers the next
// prompt. At the end of standard input a prompt takes an empty answer, so an
// unattended run without input always ends.

#include <cstdlib>
#include <cstring>

#include "qel.h"
#include "qelresrc.h"

namespace {

constexpr int kAnswerLen = 79;  // characters of an answer line that count
constexpr int kNameLen = 19;    // characters of a name after "set"

// Prints the prompt and reads one answer line into `line` (kAnswerLen + 1
// bytes) without its line feed, discarding what does not fit. Carriage
// returns and trailing blanks are removed. False at the end of input.
bool read_answer(const char *prompt, char *line) {
  if (prompt) MESS_print(M_PRINT, "%s", prompt);
  fflush(stdout);
  int n = 0, c;
  bool any = false;
  while ((c = getchar()) != EOF) {
    any = true;
    if (c == '\n') break;
    if (n < kAnswerLen) line[n++] = static_cast<char>(c);
  }
  line[n] = '\0';
  if (!any) return false;
  wstrim_string(line);
  return true;
}

}  // namespace

int QEL_set_command(const char *string) {
  if (!string) return 0;
  if (strnicmp(string, "set", 3) == 0) {
    // The first word ("set" or whatever begins with it), blanks, then the
    // name up to a blank or "=", then any blanks and "=", then the value.
    const char *p = string;
    while (*p && !is_space_char(*p)) p++;
    while (is_space_char(*p)) p++;
    char name[kNameLen + 1];
    int n = 0;
    while (*p && *p != '=' && *p != ' ') {
      if (n < kNameLen) name[n++] = *p;
      p++;  // a longer name is cut; the rest of it is skipped
    }
    name[n] = '\0';
    if (n > 0) {
      while (*p == '=' || *p == ' ') p++;
      RES_put(name, p);
    } else {
      MESS_print(M_MESSD, "Set resources\n");
      RES_list();
      MESS_print(M_MESSD, "\n");
    }
    return 1;
  }
  // "exit" only as the whole first word: "exitcodes.txt" is an answer.
  if (strnicmp(string, "exit", 4) == 0 && (!string[4] || is_space_char(string[4]))) QEL_exit(0);
  return 0;
}

char *QEL_prompts(const char *prompt, char *str, int length) {
  int width = length > 1 ? length - 1 : 1;
  if (!str) {
    str = static_cast<char *>(calloc(static_cast<size_t>(width) + 2, 1));
    if (!str) return nullptr;
  }
  char line[kAnswerLen + 1];
  while (read_answer(prompt, line)) {
    if (QEL_set_command(line)) continue;
    // The first word, cut to the width; blanks only leave the buffer as it was.
    const char *p = line;
    while (is_space_char(*p)) p++;
    if (!*p) break;
    int n = 0;
    while (p[n] && !is_space_char(p[n]) && n < width) n++;
    memcpy(str, p, static_cast<size_t>(n));
    str[n] = '\0';
    break;
  }
  return str;
}

float QEL_promptf(const char *prompt) {
  char line[kAnswerLen + 1];
  while (read_answer(prompt, line)) {
    if (QEL_set_command(line)) continue;
    const char *p = line;
    while (is_space_char(*p)) p++;
    if (!*p) return 0;
    char *end = nullptr;
    float value = strtof(p, &end);
    if (end != p) return value;  // a number, whatever follows it
    // Not a number: ask again.
  }
  return 0;
}
