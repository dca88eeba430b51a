// Fuzz target: the KZM reader (both layouts) on arbitrary data; a file read in the writer's
// layout must encode back to itself.
#include <string.h>

#include "model/formats/kzm.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  Model3 *m = Model3_New();
  if (Kzm_Parse(m, data, size)) {
    ByteWriter w = {};
    if (!Kzm_Encode(m, &w)) __builtin_trap();
    Wr_Free(&w);
  }
  Model3_Free(m);
  return 0;
}
