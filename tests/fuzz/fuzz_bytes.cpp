// Fuzz target: the byte cursor's string and line readers on arbitrary data.
#include <stdlib.h>

#include "model/bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  ByteReader r;
  Rd_Init(&r, data, size);
  char name[256];
  while (!r.err && !Rd_AtEnd(&r)) {
    switch (Rd_U8(&r) & 3) {
      case 0: Rd_Name(&r, name, sizeof name); break;
      case 1: free(Rd_NameAlloc(&r, 1000)); break;
      case 2: Rd_Line(&r, name, 8); break;
      default: Rd_Count(&r, 100); break;
    }
  }
  return 0;
}
