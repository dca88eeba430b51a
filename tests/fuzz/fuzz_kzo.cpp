// Fuzz target: the KZO reader on arbitrary data. Whatever parses must encode, and the
// encoding must read back into a set that encodes to the same bytes.
#include <string.h>

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
  ByteWriter a = {}, b = {};
  if (EncodeParsed(data, size, &a)) {
    if (!EncodeParsed(a.data, a.size, &b)) __builtin_trap();
    if (a.size != b.size || memcmp(a.data, b.data, a.size) != 0) __builtin_trap();
  }
  Wr_Free(&a);
  Wr_Free(&b);
  return 0;
}
