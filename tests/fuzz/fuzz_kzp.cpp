// Fuzz target: the KZP body readers on arbitrary data. Whatever parses must encode, and the
// encoding must read back into a model that encodes to the same bytes (names are cut at an
// embedded NUL, so the first encoding need not equal the input).
#include "fuzz_roundtrip.h"
#include "model/kzp.h"

static bool EncodeParsed(const u8 *data, size_t size, ByteWriter *w) {
  Model3 *m = Model3_New();
  bool ok = Kzp_ParseBody(m, data, size);
  if (ok && !Kzp_Encode(m, w)) __builtin_trap();
  Model3_Free(m);
  return ok;
}

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  g_MaxPolygons = 4096;
  g_MaxVertices = 4 * 4096;
  return FuzzRoundTrip(EncodeParsed, data, size);
}
