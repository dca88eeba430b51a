// Fuzz target: the Program.KZS parser on arbitrary bytes. A refused file leaves nothing
// allocated; an accepted one writes back to exactly the bytes it was read from.
#include <stdlib.h>
#include <string.h>

#include "model/bytes.h"
#include "scene/prog_kzs.h"

static KzsFile *s_file;

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  if (!s_file) s_file = (KzsFile *)calloc(1, sizeof(KzsFile));
  if (!s_file) return 0;
  if (!Kzs_Parse(data, size, s_file, nullptr, 0)) {
    for (ProgBlock *b : s_file->blocks)
      if (b) abort();
    return 0;
  }
  ByteWriter w = {};
  Kzs_Build(&w, &s_file->tables, s_file->blocks, s_file->blockCount);
  if (w.size != size || memcmp(w.data, data, size) != 0) abort();
  Wr_Free(&w);
  Kzs_Free(s_file);
  return 0;
}
