// Fuzz target: the raw "kzi" image decoder and the stretch into a power-of-two texture, over
// arbitrary bytes.
//
// The decoder allocates width x height pixels before it looks at how much data follows (a
// short file keeps the missing pixels 0), so sizes up to 4,096 x 4,096 only test the
// allocator: the harness keeps images to 4 megapixels.
#include <stdlib.h>

#include "lib/draw/texture.h"
#include "model/bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  ByteReader r;
  Rd_Init(&r, data, size);
  Rd_Skip(&r, 8);   // two unused header words
  i64 width = Rd_I32(&r);
  i64 height = Rd_I32(&r);
  if (width > 0 && height > 0 && width * height > (1 << 22)) return 0;
  TexImage img = {nullptr, 0, 0};
  if (!Kzi_Decode(data, size, &img)) return 0;
  // The texture the loader would make, with a pitch wider than its rows as devices give.
  i32 texW = Tex_TextureSide(img.width), texH = Tex_TextureSide(img.height);
  i32 pitch = texW * 4 + 16;
  if ((i64)pitch * texH <= (64 << 20)) {
    u8 *bits = (u8 *)malloc((size_t)pitch * (size_t)texH);
    if (bits) Tex_Stretch(&img, bits, pitch, texW, texH);
    free(bits);
  }
  TexImage_Free(&img);
  return 0;
}
