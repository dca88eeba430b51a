// Fuzz target: the KZB parser on arbitrary bytes; a model that parses is skinned and written
// back, so evaluation and the writer see every shape the reader lets through.
#include <string.h>

#include "model/bytes.h"
#include "model/finite.h"
#include "model/kzb.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  char err[256];
  Bone2Model *m = Kzb_Parse(data, size, "fuzz.kzb", err, sizeof err);
  if (!m) return 0;
  if (!Finite_Bone2(m)) __builtin_trap();   // an accepted model is finite
  g_Bone2Slots[0] = m;
  g_Bone2SlotShown[0] = 1;
  m->currentFrame = size > 8 ? (i32)data[size - 1] - 20 : 0;
  m->currentMotion = size > 8 ? (i32)data[size - 2] % 4 : 0;
  Bone2_SkinAll();
  ByteWriter w = {};
  Kzb_Build(m, &w, err, sizeof err);
  Wr_Free(&w);
  Bone2_FreeSlot(0);
  return 0;
}
