// Fuzz target: the KZO reader on arbitrary data. Whatever parses must encode, and the
// encoding must read back into a set that encodes to the same bytes. A parsed set is then
// posed as the program poses it: every motion at frames inside, before and far beyond its keys.
#include <limits.h>

#include "fuzz_roundtrip.h"
#include "model/kzo.h"

static void Evaluate(Obj3Set *set, const u32 loaded[OBJ3_PARTS]) {
  Kzo_NewSet(0);   // set 0 in use with its pose block; then the parsed record takes its place
  if (!g_Obj3Sets[0]) return;
  Kzo_FreeSetRecord(g_Obj3Sets[0]);
  g_Obj3Sets[0] = set;
  for (i32 p = 1; p < OBJ3_PARTS; p++) g_Obj3PartLoaded[0][p] = loaded[p];
  static const i32 kFrames[] = {0, 1, 39, -1, 100000, INT_MAX, INT_MIN};
  for (i32 mo = 0; mo < set->motionCount && mo < 4; mo++) {
    set->motion = mo;
    for (i32 f : kFrames) {
      set->frame = f;
      Kzo_UpdatePoses();
    }
  }
  Kzo_FreeAll();
}

static bool EncodeParsed(const u8 *data, size_t size, ByteWriter *w) {
  Obj3Set *set = Kzo_NewSetRecord();
  u32 loaded[OBJ3_PARTS] = {};
  bool ok = set && Kzo_Parse(set, loaded, data, size) && set->version == g_KzoVersion;
  if (ok && !Kzo_Encode(set, loaded, w)) __builtin_trap();
  if (ok) Evaluate(set, loaded);
  else Kzo_FreeSetRecord(set);
  return ok;
}

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  return FuzzRoundTrip(EncodeParsed, data, size);
}
