// Fuzz target: the KZV parser on arbitrary bytes. Whatever parses must encode, and the encoding
// must parse again into a movie that encodes to the same bytes; the key search runs over
// every parsed object at a frame taken from the input.
#include "fuzz_roundtrip.h"
#include "scene/kzv.h"

static bool EncodeParsed(const u8 *data, size_t size, ByteWriter *w) {
  char err[768];
  KzvMovie *m = Kzv_Parse(data, size, "fuzz.kzv", err, sizeof err);
  if (!m) return false;
  if (!Kzv_Encode(m, w)) __builtin_trap();
  i32 frame = size > 8 ? (i32)data[size - 1] - 20 : 0;
  for (i32 i = 0; i < m->objectCount; i++) {
    Movie_FindKeysOf(m->objects[i], frame);
    if (m->objects[i]->curKey < 0 || m->objects[i]->curKey >= m->objects[i]->keyCount) __builtin_trap();
  }
  Kzv_FreeMovie(m);
  return true;
}

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  return FuzzRoundTrip(EncodeParsed, data, size);
}
