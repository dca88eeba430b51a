// Fuzz target: the raw "kzi" image decoder and the stretch into a power-of-two texture, over
// arbitrary bytes.
// The decoder refuses a size its bytes cannot hold before it allocates, so no input needs
// keeping out.
#include <stdlib.h>

#include "lib/draw/texture.h"
#include "model/bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
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
