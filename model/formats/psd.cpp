// PSD image reader: version 1, 8 bits per channel, RGB, raw or PackBits image data.
//
// Only the merged image at the end of the file is read; layers, resources and colour-mode
// data are skipped by their lengths. A file whose image data ends early is refused, and so is
// a size the bytes left could not hold even at the best compression, before anything is
// allocated for it. A PackBits run that would pass the end of its channel is clipped there and
// the channels after it are treated as damaged (defaults).
#include "model/formats/formats.h"

#include <stdlib.h>
#include <string.h>

#include "model/bytes.h"

static const u32 PSD_SIGNATURE = 0x38425053;   // "8BPS"

u16 Psd_ReadU16BE(ByteReader *r) { return Rd_U16BE(r); }
u32 Psd_ReadU32BE(ByteReader *r) { return Rd_U32BE(r); }

bool PsdImage_Init(PsdImage *img, i32 width, i32 height) {
  img->pixels = nullptr;
  img->width = img->height = 0;
  if (width <= 0 || height <= 0 || width > PSD_MAX_SIDE || height > PSD_MAX_SIDE) return false;
  u64 total = (u64)width * (u64)height * 4;
  img->pixels = (u32 *)calloc((size_t)total, sizeof(u32));
  if (!img->pixels) return false;
  img->width = width;
  img->height = height;
  return true;
}

void PsdImage_Free(PsdImage *img) {
  if (!img) return;
  free(img->pixels);
  free(img);
}

static u32 ChannelDefault(int c) { return c == 3 ? 255u : 0u; }

static void FillChannel(u32 *dst, size_t from, size_t count, u32 value) {
  for (size_t i = from; i < count; i++) dst[i] = value;
}

// Decodes PackBits bytes into one channel. Returns the values produced; *damaged is set when
// a run had to be clipped at the channel's end.
static size_t DecodePackBits(ByteReader *r, u32 *dst, size_t count, bool *damaged) {
  size_t n = 0;
  while (n < count && !Rd_AtEnd(r)) {
    u8 h = Rd_U8(r);
    if (h == 128) continue;
    if (h < 128) {
      size_t run = (size_t)h + 1;
      for (size_t i = 0; i < run && !Rd_AtEnd(r); i++) {
        u8 v = Rd_U8(r);
        if (n < count) dst[n++] = v;
        else *damaged = true;
      }
    } else {
      size_t run = 257 - (size_t)h;
      if (Rd_AtEnd(r)) break;
      u8 v = Rd_U8(r);
      if (run > count - n) { run = count - n; *damaged = true; }
      for (size_t i = 0; i < run; i++) dst[n++] = v;
    }
  }
  return n;
}

static size_t ReadRaw(ByteReader *r, u32 *dst, size_t count) {
  size_t avail = Rd_Remaining(r);
  size_t n = count < avail ? count : avail;
  for (size_t i = 0; i < n; i++) dst[i] = r->p[i];
  r->p += n;
  return n;
}

PsdImage *Psd_Decode(const u8 *data, size_t size) {
  ByteReader r;
  Rd_Init(&r, data, size);
  if (Psd_ReadU32BE(&r) != PSD_SIGNATURE) return nullptr;
  if (Psd_ReadU16BE(&r) != 1) return nullptr;
  Rd_Skip(&r, 6);
  u16 channels = Psd_ReadU16BE(&r);
  u32 height = Psd_ReadU32BE(&r);
  u32 width = Psd_ReadU32BE(&r);
  u16 depth = Psd_ReadU16BE(&r);
  u16 mode = Psd_ReadU16BE(&r);
  if (r.err || channels > 16 || depth != 8 || mode != 3) return nullptr;
  if (width == 0 || height == 0 || width > PSD_MAX_SIDE || height > PSD_MAX_SIDE) return nullptr;
  for (int section = 0; section < 3; section++) Rd_Skip(&r, Psd_ReadU32BE(&r));
  u16 compression = Psd_ReadU16BE(&r);
  if (r.err || compression > 1) return nullptr;

  // The least the image data can take: raw, a byte per value of each channel read; PackBits,
  // after the table of row lengths, two bytes per 128 values of the first channel at least
  // (a run clipped at a channel's end leaves the channels after it to their defaults).
  u64 count64 = (u64)width * height, read = channels < 4 ? channels : 4;
  u64 least = compression == 0 ? read * count64 : (u64)height * channels * 2 + (count64 + 127) / 128 * 2;
  if (channels == 0 || least > Rd_Remaining(&r)) return nullptr;

  PsdImage *img = (PsdImage *)calloc(1, sizeof(PsdImage));
  if (!img) return nullptr;
  if (!PsdImage_Init(img, (i32)width, (i32)height)) { free(img); return nullptr; }
  img->channels = channels;
  size_t count = (size_t)width * height;

  if (compression == 1) {
    // The table of compressed row lengths is not needed: the runs are read back to back.
    u64 table = (u64)height * channels * 2;
    if (table > Rd_Remaining(&r)) table = Rd_Remaining(&r);
    Rd_Skip(&r, table);
  }
  bool damaged = false;
  for (int c = 0; c < 4; c++) {
    u32 *dst = img->pixels + (size_t)c * count;
    size_t n = 0;
    if (c < channels && !damaged) {
      n = compression == 1 ? DecodePackBits(&r, dst, count, &damaged) : ReadRaw(&r, dst, count);
      if (n < count) {   // the data ended inside the channel
        PsdImage_Free(img);
        return nullptr;
      }
    }
    FillChannel(dst, n, count, ChannelDefault(c));
  }
  return img;
}

PsdImage *Psd_Load(const char *path) {
  FileData f;
  if (!File_ReadAll(path, &f)) return nullptr;
  PsdImage *img = Psd_Decode(f.data, f.size);
  File_Free(&f);
  return img;
}
