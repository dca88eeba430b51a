// Fuzz target: the KZC parser on arbitrary data. Whatever parses must encode, and the
// encoding must read back into a set that encodes to the same bytes.
#include "fuzz_roundtrip.h"
#include "scene/kzc.h"

static bool EncodeParsed(const u8 *data, size_t size, ByteWriter *w) {
  CollisionDoc *d = Coli_AllocDocument();
  bool ok = d && !Kzc_Parse(d, data, size);
  if (ok && !Kzc_Encode(d, w)) __builtin_trap();
  Coli_FreeDocument(d);
  return ok;
}

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  return FuzzRoundTrip(EncodeParsed, data, size);
}
