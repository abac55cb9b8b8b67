// tools.cc: interactive prompts and the commands understood at any prompt.
// Stand-in until the prompt module is written: one line, one word.

#include <cstdlib>
#include <cstring>

#include "qel.h"

int QEL_set_command(const char *) { return 0; }

char *QEL_prompts(const char *prompt, char *str, int length) {
  if (length < 2) length = 2;
  if (!str) {
    str = static_cast<char *>(calloc(length + 1, 1));
    if (!str) return nullptr;
  }
  MESS_print(M_PRINT, "%s", prompt);
  fflush(stdout);
  char line[80];
  if (!fgets(line, sizeof line, stdin)) return str;
  char word[80] = "";
  if (sscanf(line, "%79s", word) == 1) str_copy(str, word, length);
  return str;
}

float QEL_promptf(const char *prompt) {
  MESS_print(M_PRINT, "%s", prompt);
  fflush(stdout);
  char line[80];
  if (!fgets(line, sizeof line, stdin)) return 0;
  return static_cast<float>(atof(line));
}
