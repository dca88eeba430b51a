// Fuzz target: the KZA parser on arbitrary bytes; a model that parses is evaluated, its
// matrices and quads built, and it is written back.
#include <string.h>

#include "model/bytes.h"
#include "model/finite.h"
#include "model/kza.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  char err[256];
  Obj2Model *m = Kza_Parse(data, size, "fuzz.kza", err, sizeof err);
  if (!m) return 0;
  if (!Finite_Obj2(m)) __builtin_trap();   // an accepted model is finite
  Obj2_SetSlot(0, m);
  g_Obj2SlotShown[0] = 1;
  m->currentFrame = size > 8 ? (i32)data[size - 1] - 20 : 0;
  m->currentMotion = size > 8 ? (i32)data[size - 2] % 4 : 0;
  Obj2_UpdateAll();
  Obj2_BuildMatrices();
  Obj2Quad q;
  for (i32 o = 0; o < OBJ2_MAX_OBJECTS; o++) Obj2_BuildQuad(0, o, &q);
  ByteWriter w = {};
  Kza_Build(m, &w, err, sizeof err);
  Wr_Free(&w);
  Obj2_SetSlot(0, nullptr);
  return 0;
}
