// region.cc: plot domains and regions. Stand-in until the domain decoder is
// written: every text decodes to an unset domain.

#include "qel.h"

int DOM_init(Domain *dom) {
  dom->proj = QEL_MISS;
  dom->plat = dom->plon = -9999.0f;
  for (float &p : dom->param) p = -9999.0f;
  dom->clat = dom->clon = dom->dx = dom->dy = -9999.0f;
  dom->nx = dom->ny = QEL_MISS;
  dom->ellipse = 0;
  return 0;
}

int DOM_decode(const char *str, Domain *dom) {
  if (dom) DOM_init(dom);
  if (!str || !*str) return QEL_MISS;
  return -1;
}
