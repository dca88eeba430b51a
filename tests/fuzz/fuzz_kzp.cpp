// Fuzz target: the KZP body readers on arbitrary data. Whatever parses must encode, and the
// encoding must read back into a model that encodes to the same bytes (names are cut at an
// embedded NUL, so the first encoding need not equal the input). A parsed model is then used
// as the program uses a read model: normals, automatic binding and the bone pose of every
// motion at frames inside, before and far beyond its keys.
#include <limits.h>

#include "fuzz_roundtrip.h"
#include "model/finite.h"
#include "model/kzp.h"
#include "model/mesh.h"
#include "model/motion.h"

static void Evaluate(Model3 *m) {
  Model3 *placed = Model3_ReplaceSlot(0, m);
  if (!placed) {
    Model3_Free(m);
    return;
  }
  Model3_AfterRead(placed);
  Model3_AutoBindVertices(placed);
  static const i32 kFrames[] = {0, 1, 29, -1, 100000, INT_MAX, INT_MIN};
  for (i32 mo = 0; mo < placed->motionCount && mo < 4; mo++) {
    placed->motion = mo;
    for (i32 f : kFrames) {
      placed->frame = f;
      Model3_EvalBonePose(0);
    }
  }
  Model3_FreeSlot(0);
}

static bool EncodeParsed(const u8 *data, size_t size, ByteWriter *w) {
  Model3 *m = Model3_New();
  bool ok = Kzp_ParseBody(m, data, size);
  if (ok && (!Kzp_Encode(m, w) || !Finite_Model3(m))) __builtin_trap();   // an accepted model is finite
  if (ok) Evaluate(m);
  else Model3_Free(m);
  return ok;
}

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  return FuzzRoundTrip(EncodeParsed, data, size);
}
