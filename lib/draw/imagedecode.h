// Image files decoded in memory into blue, green, red, alpha pixels: PNG (every colour type,
// bit depth and interlace the format allows; zlib inflates the pixel data) and BMP with a
// palette of 1, 4 or 8 bits, uncompressed. The platform's loader draws these kinds wrong or
// refuses them; the texture loader takes them from here and the rest from the platform.
//
// PNG: 8-byte signature, then chunks (u32 big-endian length, 4-byte type, data, CRC); IHDR,
// PLTE, tRNS and IDAT are read, the rest skipped. BMP: "BM" file header (pixel offset at 10),
// an info header of 12 (core) or at least 40 bytes, the palette, rows padded to 4 bytes,
// bottom-up unless the height is negative.
#pragma once
#include <stddef.h>

#include "lib/draw/texture.h"

// False for a file that is not of the kind or is damaged; out is then left empty.
bool ImgDecode_Png(const u8 *data, size_t size, TexImage *out);
bool ImgDecode_PaletteBmp(const u8 *data, size_t size, TexImage *out);
