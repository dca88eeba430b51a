// Fuzz target: the KZM reader (both layouts) on arbitrary data; whatever parses must encode
// in the writer's layout, and that encoding must read back into the same bytes.
#include "fuzz_roundtrip.h"
#include "model/formats/kzm.h"

static bool EncodeParsed(const u8 *data, size_t size, ByteWriter *w) {
  Model3 *m = Model3_New();
  bool ok = Kzm_Parse(m, data, size);
  if (ok && !Kzm_Encode(m, w)) __builtin_trap();
  Model3_Free(m);
  return ok;
}

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  return FuzzRoundTrip(EncodeParsed, data, size);
}
