// Code page 932 byte rules (see cp932.h).
#include "model/cp932.h"

size_t Cp932_CutLength(const char *s, size_t len) {
  size_t i = 0;
  while (i < len) {
    size_t step = Cp932_IsLead((u8)s[i]) ? 2 : 1;
    if (i + step > len) break;
    i += step;
  }
  return i;
}
