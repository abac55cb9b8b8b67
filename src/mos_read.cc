// mos_read.cc: the station, upper-air and extended-range bulletin readers.
// Stand-in until the readers are written: no block is ever located.

#include "qelmos.h"

int MOS_read(int, MOS_report *, int, int *) { return -1; }
int MOSU_read(int, MOSU_report *, int, int *) { return -1; }
int MOSM_read(int, MOSM_report *, int, int *) { return -1; }
