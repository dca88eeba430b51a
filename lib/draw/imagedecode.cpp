// PNG and palette BMP images decoded into TexImage pixels (blue, green, red, alpha).
#include "lib/draw/imagedecode.h"

#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include "model/bytes.h"

static bool NewImage(TexImage *out, u32 width, u32 height) {
  out->bgra = nullptr;
  out->width = out->height = 0;
  if (width < 1 || height < 1 || width > KZI_MAX_SIDE || height > KZI_MAX_SIDE) return false;
  out->bgra = (u8 *)calloc((size_t)width * height, 4);
  if (!out->bgra) return false;
  out->width = (i32)width;
  out->height = (i32)height;
  return true;
}

static void Put(TexImage *img, u32 x, u32 y, u8 r, u8 g, u8 b, u8 a) {
  u8 *p = img->bgra + ((size_t)y * (size_t)img->width + x) * 4;
  p[0] = b, p[1] = g, p[2] = r, p[3] = a;
}

// [SECTION] PNG

struct PngHeader {
  u32 width, height;
  u32 depth, colorType, interlace;
  u32 channels;                // samples per pixel
  u8 palette[256][4];          // red, green, blue, alpha
  u32 paletteCount;
  bool keyed;                  // tRNS of a grey or RGB image: that colour is transparent
  u16 key[3];
};

static bool PngChannels(u32 colorType, u32 depth, u32 *channels) {
  switch (colorType) {
    case 0: *channels = 1; return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case 2: *channels = 3; return depth == 8 || depth == 16;
    case 3: *channels = 1; return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case 4: *channels = 2; return depth == 8 || depth == 16;
    case 6: *channels = 4; return depth == 8 || depth == 16;
    default: return false;
  }
}

static size_t RowBytes(const PngHeader &h, u32 width) { return ((size_t)width * h.channels * h.depth + 7) / 8; }

// The seven Adam7 passes (x, y start and step), or the whole image as one pass.
static const u32 kAdam7[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                 {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
static const u32 kWhole[1][4] = {{0, 0, 1, 1}};

static u32 PassSide(u32 side, u32 start, u32 step) { return side > start ? (side - start + step - 1) / step : 0; }

static size_t PngRawSize(const PngHeader &h) {
  const u32(*passes)[4] = h.interlace ? kAdam7 : kWhole;
  size_t total = 0;
  for (u32 p = 0; p < (h.interlace ? 7u : 1u); p++) {
    u32 w = PassSide(h.width, passes[p][0], passes[p][2]), rows = PassSide(h.height, passes[p][1], passes[p][3]);
    if (w && rows) total += (size_t)rows * (1 + RowBytes(h, w));
  }
  return total;
}

static u8 Paeth(u8 a, u8 b, u8 c) {
  int p = a + b - c, pa = abs(p - a), pb = abs(p - b), pc = abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Undoes the row filters of one pass in place; prev is null for the first row.
static bool Unfilter(u8 *row, const u8 *prev, size_t bytes, size_t bpp, u8 type) {
  for (size_t i = 0; i < bytes; i++) {
    u8 a = i >= bpp ? row[i - bpp] : 0, b = prev ? prev[i] : 0, c = prev && i >= bpp ? prev[i - bpp] : 0;
    switch (type) {
      case 0: break;
      case 1: row[i] = (u8)(row[i] + a); break;
      case 2: row[i] = (u8)(row[i] + b); break;
      case 3: row[i] = (u8)(row[i] + ((a + b) >> 1)); break;
      case 4: row[i] = (u8)(row[i] + Paeth(a, b, c)); break;
      default: return false;
    }
  }
  return true;
}

// Sample s of a row (depth 1..16), as stored.
static u32 Sample(const u8 *row, size_t s, u32 depth) {
  if (depth == 16) return (u32)row[s * 2] << 8 | row[s * 2 + 1];
  if (depth == 8) return row[s];
  size_t bit = s * depth;
  return (u32)(row[bit / 8] >> (8 - depth - bit % 8)) & ((1u << depth) - 1);
}

static u8 To8(u32 v, u32 depth) {
  switch (depth) {
    case 1: return v ? 255 : 0;
    case 2: return (u8)(v * 85);
    case 4: return (u8)(v * 17);
    case 16: return (u8)(v >> 8);
    default: return (u8)v;
  }
}

static void PutPngPixel(const PngHeader &h, TexImage *img, const u8 *row, u32 i, u32 x, u32 y) {
  u32 d = h.depth, c = h.channels;
  u32 s0 = Sample(row, (size_t)i * c, d);
  switch (h.colorType) {
    case 0: {
      u8 g = To8(s0, d);
      Put(img, x, y, g, g, g, h.keyed && s0 == h.key[0] ? 0 : 255);
      break;
    }
    case 2: {
      u32 s1 = Sample(row, (size_t)i * c + 1, d), s2 = Sample(row, (size_t)i * c + 2, d);
      bool clear = h.keyed && s0 == h.key[0] && s1 == h.key[1] && s2 == h.key[2];
      Put(img, x, y, To8(s0, d), To8(s1, d), To8(s2, d), clear ? 0 : 255);
      break;
    }
    case 3: {
      const u8 *e = s0 < h.paletteCount ? h.palette[s0] : nullptr;   // past the palette: black
      Put(img, x, y, e ? e[0] : 0, e ? e[1] : 0, e ? e[2] : 0, e ? e[3] : 255);
      break;
    }
    case 4: {
      u8 g = To8(s0, d);
      Put(img, x, y, g, g, g, To8(Sample(row, (size_t)i * c + 1, d), d));
      break;
    }
    default:
      Put(img, x, y, To8(s0, d), To8(Sample(row, (size_t)i * c + 1, d), d), To8(Sample(row, (size_t)i * c + 2, d), d),
          To8(Sample(row, (size_t)i * c + 3, d), d));
      break;
  }
}

// The inflated pixel data, unfiltered pass by pass, into the image.
static bool PngPixels(const PngHeader &h, u8 *raw, TexImage *img) {
  const u32(*passes)[4] = h.interlace ? kAdam7 : kWhole;
  size_t bpp = (h.channels * h.depth + 7) / 8;
  u8 *at = raw;
  for (u32 p = 0; p < (h.interlace ? 7u : 1u); p++) {
    u32 w = PassSide(h.width, passes[p][0], passes[p][2]), rows = PassSide(h.height, passes[p][1], passes[p][3]);
    if (!w || !rows) continue;
    size_t bytes = RowBytes(h, w);
    const u8 *prev = nullptr;
    for (u32 r = 0; r < rows; r++) {
      u8 *row = at + 1;
      if (!Unfilter(row, prev, bytes, bpp, at[0])) return false;
      for (u32 i = 0; i < w; i++) PutPngPixel(h, img, row, i, passes[p][0] + i * passes[p][2], passes[p][1] + r * passes[p][3]);
      prev = row;
      at += 1 + bytes;
    }
  }
  return true;
}

static bool PngChunkHeader(ByteReader *r, PngHeader *h, u32 length) {
  if (length != 13) return false;
  h->width = Rd_U32BE(r);
  h->height = Rd_U32BE(r);
  h->depth = Rd_U8(r);
  h->colorType = Rd_U8(r);
  u32 compression = Rd_U8(r), filter = Rd_U8(r);
  h->interlace = Rd_U8(r);
  return !r->err && compression == 0 && filter == 0 && h->interlace <= 1 && PngChannels(h->colorType, h->depth, &h->channels);
}

static bool PngPalette(ByteReader *r, PngHeader *h, u32 length) {
  if (length % 3 || length / 3 > 256) return false;
  h->paletteCount = length / 3;
  for (u32 i = 0; i < h->paletteCount; i++) {
    for (u32 c = 0; c < 3; c++) h->palette[i][c] = Rd_U8(r);
    h->palette[i][3] = 255;
  }
  return !r->err;
}

static bool PngTransparency(ByteReader *r, PngHeader *h, u32 length) {
  if (h->colorType == 3) {
    for (u32 i = 0; i < length; i++) {
      u8 a = Rd_U8(r);
      if (i < 256) h->palette[i][3] = a;
    }
  } else if ((h->colorType == 0 && length == 2) || (h->colorType == 2 && length == 6)) {
    for (u32 i = 0; i < length / 2; i++) h->key[i] = Rd_U16BE(r);
    h->keyed = true;
  } else {
    Rd_Skip(r, length);   // not allowed for the colour type: ignored, as decoders do
  }
  return !r->err;
}

bool ImgDecode_Png(const u8 *data, size_t size, TexImage *out) {
  static const u8 kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  out->bgra = nullptr;
  out->width = out->height = 0;
  if (!data || size < 8 || memcmp(data, kSignature, 8) != 0) return false;
  ByteReader r;
  Rd_Init(&r, data + 8, size - 8);
  PngHeader *h = (PngHeader *)calloc(1, sizeof(PngHeader));
  z_stream z = {};
  bool zOpen = false, ok = false, header = false, ended = false;
  u8 *raw = nullptr;
  size_t rawSize = 0;
  while (h && !r.err && !ended) {
    u32 length = Rd_U32BE(&r);
    u8 type[4];
    if (!Rd_Bytes(&r, type, 4) || !Rd_Need(&r, (u64)length + 4)) break;
    const u8 *body = r.p;
    bool good = true;
    if (!memcmp(type, "IHDR", 4)) {
      good = !header && PngChunkHeader(&r, h, length);
      header = good;
      if (good) {
        rawSize = PngRawSize(*h);
        raw = NewImage(out, h->width, h->height) ? (u8 *)malloc(rawSize) : nullptr;
        good = raw && inflateInit(&z) == Z_OK;
        zOpen = good;
        z.next_out = raw;
        z.avail_out = (uInt)rawSize;
      }
    } else if (!header) {
      good = false;   // IHDR comes first
    } else if (!memcmp(type, "PLTE", 4)) {
      good = PngPalette(&r, h, length);
    } else if (!memcmp(type, "tRNS", 4)) {
      good = PngTransparency(&r, h, length);
    } else if (!memcmp(type, "IDAT", 4)) {
      z.next_in = (Bytef *)body;
      z.avail_in = length;
      int ret = z.avail_out ? inflate(&z, Z_NO_FLUSH) : Z_STREAM_END;
      good = ret == Z_OK || ret == Z_STREAM_END || ret == Z_BUF_ERROR;
    } else if (!memcmp(type, "IEND", 4)) {
      ended = true;
    } else if (!(type[0] & 0x20)) {
      good = false;   // an unknown chunk the image cannot be shown without
    }
    if (!good) break;
    Rd_Seek(&r, (u64)(body - r.begin) + length + 4);   // past the data and its CRC
  }
  // Every row must be there; a palette image needs its palette.
  if (ended && zOpen && z.avail_out == 0 && (h->colorType != 3 || h->paletteCount > 0))
    ok = PngPixels(*h, raw, out);
  if (zOpen) inflateEnd(&z);
  free(raw);
  free(h);
  if (!ok) TexImage_Free(out);
  return ok;
}

// [SECTION] BMP

bool ImgDecode_PaletteBmp(const u8 *data, size_t size, TexImage *out) {
  out->bgra = nullptr;
  out->width = out->height = 0;
  ByteReader r;
  Rd_Init(&r, data, size);
  if (Rd_U8(&r) != 'B' || Rd_U8(&r) != 'M') return false;
  Rd_Seek(&r, 10);
  u32 pixelsAt = Rd_U32(&r), infoSize = Rd_U32(&r);
  i64 width, height;
  u32 bpp, compression = 0, used = 0, entryBytes = 4;
  if (infoSize == 12) {
    width = Rd_U16(&r), height = Rd_U16(&r);
    Rd_U16(&r);
    bpp = Rd_U16(&r);
    entryBytes = 3;
  } else {
    width = Rd_I32(&r), height = Rd_I32(&r);
    Rd_U16(&r);
    bpp = Rd_U16(&r);
    compression = Rd_U32(&r);
    Rd_Seek(&r, 14 + 32);
    used = Rd_U32(&r);
  }
  if (r.err || infoSize < 12 || (infoSize > 12 && infoSize < 40) || compression != 0) return false;
  if (bpp != 1 && bpp != 4 && bpp != 8) return false;
  bool topDown = height < 0;
  if (topDown) height = -height;
  u32 entries = used && used <= (1u << bpp) ? used : 1u << bpp;
  u8 palette[256][3] = {};
  if (!Rd_Seek(&r, 14 + (u64)infoSize)) return false;
  for (u32 i = 0; i < entries; i++) {
    palette[i][0] = Rd_U8(&r), palette[i][1] = Rd_U8(&r), palette[i][2] = Rd_U8(&r);   // blue, green, red
    if (entryBytes == 4) Rd_U8(&r);
  }
  u64 stride = ((u64)width * bpp + 31) / 32 * 4;
  if (r.err || width < 1 || height < 1 || width > KZI_MAX_SIDE || height > KZI_MAX_SIDE) return false;
  if ((u64)pixelsAt + stride * (u64)height > size) return false;
  if (!NewImage(out, (u32)width, (u32)height)) return false;
  for (u32 y = 0; y < (u32)height; y++) {
    const u8 *row = data + pixelsAt + stride * (topDown ? y : (u32)height - 1 - y);
    for (u32 x = 0; x < (u32)width; x++) {
      u32 i = Sample(row, x, bpp);
      const u8 *e = i < entries ? palette[i] : palette[0];
      Put(out, x, y, e[2], e[1], e[0], 255);
    }
  }
  return true;
}
