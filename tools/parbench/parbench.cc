// parbench: walks a bulletin file with the product reader as the station
// readers do: search the GFS MOS header pattern, read the product's lines
// until the product ends, search again, to the end of the file. Every line
// passes through the reader once. Prints the products and lines it saw.
//
//   parbench FILE

#include <cstdio>

#include "qel.h"

int main(int argc, char **argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: parbench FILE\n");
    return 2;
  }
  MESS_set(MESS_CUMULATIVE, M_ERROR | M_WARN);
  char name[QEL_NAME_LEN];
  FILE_set_file(argv[1], name);
  PAR_set_in_file("");
  PAR_set_end(PAR_END_BLANK);
  Date date;
  DATE_init(&date);
  int ind = PAR_open(&date);
  if (ind < 0) {
    fprintf(stderr, "parbench: cannot open %s\n", argv[1]);
    return 1;
  }
  long products = 0, lines = 0, parts = 0;
  char line[129];
  // The walk stops when a read meets the end of the file, as the station
  // readers do.
  bool more = true;
  while (more && PAR_search(ind, "(FOPA21|FOUS2[123456]|FOAK3[789])") == 1) {
    products++;
    for (int n = 0;; n++) {
      int r = PAR_read(ind, 0, n, line);
      if (r == 1) lines++;
      if (r == 0) parts++;
      if (r < 0) more = false;
      if (r < 0 || (PAR_get_status(ind) & PAR_END_PRODUCT)) break;
    }
  }
  PAR_close(ind);
  printf("%ld products, %ld parts, %ld lines\n", products, parts, lines);
  return 0;
}
