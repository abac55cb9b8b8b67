// mqueue.cc: the client end of the loop-window link over a System V
// message queue. Stand-in until the link is written: no window is reachable.

#include "qel.h"

int MQ_open(int) { return -1; }
int MQ_connect(int) { return -1; }
int MQ_put(int, int, const char *, ...) { return -1; }
int MQ_get(int, int, char *item) {
  item[0] = '\0';
  return -1;
}
int MQ_clear(int, int) { return -1; }
int MQ_enable_alarm() { return 0; }
int MQ_disable_alarm() { return 0; }
void MQ_intrp(int) {
  MESS_print(M_WARN, "Queue not responding!!\n");
  QEL_exit(7);
}
int MQ_set_time_limit(int) { return 0; }
