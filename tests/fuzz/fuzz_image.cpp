// Fuzz target: the in-memory PNG and palette BMP decoders over arbitrary bytes (a PNG when
// the bytes start with its signature, else a BMP).
//
// Both allocate width x height pixels from the header before the pixel data is checked, so
// sizes up to 4,096 x 4,096 only test the allocator: the harness keeps images to 4 megapixels.
#include <string.h>

#include "lib/draw/imagedecode.h"
#include "model/bytes.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  ByteReader r;
  Rd_Init(&r, data, size);
  bool png = size >= 8 && memcmp(data, "\x89PNG", 4) == 0;
  i64 width, height;
  if (png) {
    Rd_Skip(&r, 16);
    width = Rd_U32BE(&r), height = Rd_U32BE(&r);
  } else {
    Rd_Skip(&r, 18);
    width = Rd_I32(&r), height = Rd_I32(&r);
    if (height < 0) height = -height;
  }
  if (width > KZI_MAX_SIDE || height > KZI_MAX_SIDE || width * height > (1 << 22)) return 0;
  TexImage img = {nullptr, 0, 0};
  if (png ? ImgDecode_Png(data, size, &img) : ImgDecode_PaletteBmp(data, size, &img)) TexImage_Free(&img);
  return 0;
}
