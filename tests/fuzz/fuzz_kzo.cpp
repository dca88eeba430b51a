// Fuzz target: the KZO reader on arbitrary data. Whatever parses must encode, and the
// encoding must read back into a set that encodes to the same bytes. A parsed set is then
// posed as the program poses it: every motion at frames inside, before and far beyond its keys.
#include <limits.h>

#include "fuzz_roundtrip.h"
#include "model/kzo.h"

// Set 0 with its 32 empty part models and pose block is made once: making and freeing them
// for every input (32 models of several hundred kilobytes each under the address sanitizer)
// took three quarters of the run. Each parsed record takes the place of the one before.
static void Evaluate(Obj3Set *set, const u32 loaded[OBJ3_PARTS]) {
  if (!g_Obj3Poses[0]) Kzo_NewSet(0);
  if (!g_Obj3Poses[0]) {
    Kzo_FreeSetRecord(set);
    return;
  }
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
