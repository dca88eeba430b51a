// Fuzz target: the MAP2 parser on arbitrary data. Whatever parses must encode, and the
// encoding must read back into a map that encodes to the same bytes.
#include <stdlib.h>

#include "fuzz_roundtrip.h"
#include "scene/map2.h"

static bool EncodeParsed(const u8 *data, size_t size, ByteWriter *w) {
  Map2Doc *d = (Map2Doc *)calloc(1, sizeof(Map2Doc));
  bool ok = d && Map2_Parse(data, size, d) == MAP2_OK;
  if (ok && !Map2_Encode(d, w)) __builtin_trap();
  free(d);
  return ok;
}

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  return FuzzRoundTrip(EncodeParsed, data, size);
}
