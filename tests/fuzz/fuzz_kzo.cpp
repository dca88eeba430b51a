// Fuzz target: the KZO reader on arbitrary data. Whatever parses must encode, and the
// encoding must read back into a set that encodes to the same bytes.
#include "fuzz_roundtrip.h"
#include "model/kzo.h"

static bool EncodeParsed(const u8 *data, size_t size, ByteWriter *w) {
  Obj3Set *set = Kzo_NewSetRecord();
  u32 loaded[OBJ3_PARTS] = {};
  bool ok = set && Kzo_Parse(set, loaded, data, size) && set->version == g_KzoVersion;
  if (ok && !Kzo_Encode(set, loaded, w)) __builtin_trap();
  Kzo_FreeSetRecord(set);
  return ok;
}

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  return FuzzRoundTrip(EncodeParsed, data, size);
}
