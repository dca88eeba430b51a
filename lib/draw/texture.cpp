// Image files into textures (raw "kzi", PSD, PNG and palette BMP decoded here, the platform
// loader for the rest), model texture reloads and CPU pixel copies.
#include "lib/draw/texture.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "lib/draw/drawdev.h"
#include "lib/draw/imagedecode.h"
#include "model/bytes.h"
#include "model/formats/formats.h"
#include "model/seam.h"
#include "model/seam_errorbox.h"
#include "model/seam_texkey.h"
#include "model/str.h"

TexState g_Tex;

// Opaque black becomes transparent in images from the platform loader.
static const u32 kColorKeyBlack = SEAM_MODEL_TEXTURE_KEY;
static const char kMsgCannotDecode[] = "画像ファイル %s を読み込めません。この形式の画像には対応していません。";

// [SECTION] Portable pieces

i32 Tex_TextureSide(i32 imageSide) {
  if (imageSide > TEX_MAX_POW2) return imageSide;
  i32 side = 1;
  while (side < imageSide) side *= 2;
  return side;
}

bool Tex_HasExtension(const char *path, const char *ext) {
  if (!path || !ext) return false;
  const char *dot = strrchr(path, '.');
  if (!dot) return false;
  const char *a = dot + 1;
  while (*a && *ext) {
    if (tolower((u8)*a) != tolower((u8)*ext)) return false;
    a++;
    ext++;
  }
  return *a == 0 && *ext == 0;
}

void TexImage_Free(TexImage *img) {
  if (!img) return;
  free(img->bgra);
  img->bgra = nullptr;
  img->width = img->height = 0;
}

static bool TexImage_Alloc(TexImage *img, i32 width, i32 height) {
  img->bgra = nullptr;
  img->width = img->height = 0;
  if (width < 1 || height < 1 || width > KZI_MAX_SIDE || height > KZI_MAX_SIDE) return false;
  img->bgra = (u8 *)calloc((size_t)width * (size_t)height, 4);
  if (!img->bgra) return false;
  img->width = width;
  img->height = height;
  return true;
}

bool Kzi_Decode(const u8 *data, size_t size, TexImage *out) {
  *out = {nullptr, 0, 0};
  ByteReader r;
  Rd_Init(&r, data, size);
  Rd_I32(&r);   // two header words the reader does not use
  Rd_I32(&r);
  i32 width = Rd_I32(&r);
  i32 height = Rd_I32(&r);
  if (r.err || width <= 0 || height <= 0) return false;
  // A file whose bytes cannot hold the pixels it declares is damaged: refused before anything
  // is allocated for it.
  if ((u64)width * (u64)height * 4 > (u64)Rd_Remaining(&r)) return false;
  if (!TexImage_Alloc(out, width, height)) return false;
  memcpy(out->bgra, r.p, (size_t)width * (size_t)height * 4);
  return true;
}

bool Tex_FromPsdChannels(const u32 *planes, i32 width, i32 height, i32 channels, TexImage *out) {
  if (!planes || !TexImage_Alloc(out, width, height)) return false;
  size_t n = (size_t)width * (size_t)height;
  const u32 *red = planes, *green = planes + n, *blue = planes + 2 * n, *alpha = planes + 3 * n;
  for (size_t i = 0; i < n; i++) {
    u8 *p = out->bgra + i * 4;
    p[0] = (u8)blue[i];
    p[1] = (u8)green[i];
    p[2] = (u8)red[i];
    if (channels == 3) p[3] = (red[i] | green[i] | blue[i]) & 0xFF ? 255 : 0;
    else p[3] = (u8)alpha[i];
  }
  return true;
}

void Tex_Stretch(const TexImage *img, u8 *dst, i32 pitch, i32 texW, i32 texH) {
  if (!img || !img->bgra || !dst || texW < 1 || texH < 1) return;
  f32 ry = (f32)img->height / (f32)texH;
  f32 rx = (f32)img->width / (f32)texW;
  for (i32 y = 0; y < texH; y++) {
    i32 row = (i32)(ry * (f32)y);
    if (row >= img->height) row = img->height - 1;
    u8 *out = dst + (size_t)y * (size_t)pitch;
    for (i32 x = 0; x < texW; x++) {
      i32 col = (i32)(rx * (f32)x);
      if (col >= img->width) col = img->width - 1;
      memcpy(out + (size_t)x * 4, img->bgra + ((size_t)row * img->width + col) * 4, 4);
    }
  }
}

// [SECTION] Loading

// A power-of-two texture (one level) filled from the decoded image; null when it fails.
static void *Tex_CreateFromImage(const TexImage *img) {
  if (!g_Dev.draw.createTexture || !g_Dev.draw.lockTexture) return nullptr;
  i32 texW = 0, texH = 0;
  void *tex = g_Dev.draw.createTexture(Tex_TextureSide(img->width), Tex_TextureSide(img->height), &texW, &texH);
  if (!tex) return nullptr;
  i32 pitch = 0;
  u8 *bits = g_Dev.draw.lockTexture(tex, &pitch);
  if (!bits) {
    DrawDev_Release(tex);
    return nullptr;
  }
  Tex_Stretch(img, bits, pitch, texW, texH);
  if (g_Dev.draw.unlockTexture) g_Dev.draw.unlockTexture(tex);
  return tex;
}

static bool Tex_DecodeKzi(const char *path, TexImage *img) {
  FileData f;
  if (!File_ReadAll(path, &f)) return false;
  bool ok = Kzi_Decode(f.data, f.size, img);
  File_Free(&f);
  return ok;
}

static bool Tex_DecodePsd(const char *path, TexImage *img) {
  PsdImage *psd = Psd_Load(path);
  if (!psd) return false;
  bool ok = Tex_FromPsdChannels(psd->pixels, psd->width, psd->height, psd->channels, img);
  PsdImage_Free(psd);
  return ok;
}

// PNG and palette BMP files, decoded here: the platform's loader refuses some of their kinds
// (2-bit palettes, 16 bits a channel) and draws others wrong (1- and 4-bit palettes). The
// colour key applies as the platform loader applies it: that colour becomes transparent black.
static bool Tex_DecodeInMemory(const char *path, u32 colorKey, TexImage *img) {
  bool png = Tex_HasExtension(path, "png");
  if (!png && !Tex_HasExtension(path, "bmp")) return false;
  FileData f;
  if (!File_ReadAll(path, &f)) return false;
  bool ok = png ? ImgDecode_Png(f.data, f.size, img) : ImgDecode_PaletteBmp(f.data, f.size, img);
  File_Free(&f);
  if (!ok || !colorKey) return ok;
  size_t n = (size_t)img->width * (size_t)img->height;
  for (u8 *p = img->bgra; p < img->bgra + n * 4; p += 4)
    if (((u32)p[3] << 24 | (u32)p[2] << 16 | (u32)p[1] << 8 | p[0]) == colorKey) memset(p, 0, 4);
  return true;
}

// The told list: a file's entry is dropped at every new load of it and made when the load
// refuses its kind.
static char *ToldEntry(const char *path) {
  for (char *t : g_Tex.told)
    if (t[0] && strcmp(t, path) == 0) return t;
  return nullptr;
}

static void Tell(const char *path) {
  Str_Copy(g_Tex.told[g_Tex.toldNext++ % TEX_TOLD], sizeof g_Tex.told[0], path);
  Seam_ErrorBoxf(kMsgCannotDecode, path);
}

bool Tex_WasRefused(const char *name) {
  if (!name || !name[0]) return false;
  size_t n = strlen(name);
  for (const char *t : g_Tex.told) {
    size_t k = strlen(t);
    if (k == n ? strcmp(t, name) == 0 : k > n && strcmp(t + k - n, name) == 0 && (t[k - n - 1] == '\\' || t[k - n - 1] == '/'))
      return true;
  }
  return false;
}

void Tex_LoadImageFileKeyed(void **texture, const char *path, f32 size[2], u32 colorKey) {
  if (!path || !texture) return;
  if (char *told = ToldEntry(path)) told[0] = 0;
  g_Tex.lastTold = false;
  DrawDev_Release(*texture);
  *texture = nullptr;
  size[0] = size[1] = 0.0f;
  if (!DrawDev_Ready()) return;
  TexImage img = {nullptr, 0, 0};
  if (Tex_HasExtension(path, "kzi")) {
    if (!Tex_DecodeKzi(path, &img)) return;   // missing or malformed raw image: no texture
  } else if (Tex_HasExtension(path, "psd")) {
    Tex_DecodePsd(path, &img);                // a refused PSD goes to the platform loader
  } else {
    Tex_DecodeInMemory(path, colorKey, &img);  // other kinds go to the platform loader
  }
  if (img.bgra) {
    size[0] = (f32)img.width;
    size[1] = (f32)img.height;
    *texture = Tex_CreateFromImage(&img);
    TexImage_Free(&img);
    return;
  }
  if (!g_Dev.draw.loadTextureFile) return;
  i32 w = 0, h = 0;
  *texture = g_Dev.draw.loadTextureFile(path, colorKey, &w, &h);
  if (*texture) {
    size[0] = (f32)w;
    size[1] = (f32)h;
  } else if (FILE *f = g_Tex.loadQuiet ? nullptr : fopen(path, "rb")) {
    // A file that is there but does not decode would otherwise draw nothing without a word
    // (a missing file is for the caller to report).
    fclose(f);
    Tell(path);
    g_Tex.lastTold = true;
  }
}

void Tex_LoadImageFile(void **texture, const char *path, f32 size[2]) {
  Tex_LoadImageFileKeyed(texture, path, size, kColorKeyBlack);
}

// [SECTION] CPU pixel copies

void Tex_FreePixelCopies(void) {
  for (int n = 0; n < TEX_PER_MODEL; n++) {
    free(g_Tex.pixels[n]);
    g_Tex.pixels[n] = nullptr;
    g_Tex.pixelsWidth[n] = g_Tex.pixelsHeight[n] = 0;
  }
}

void Tex_CopyPixels(i32 n, void *texture, i32 entryWidth, i32 entryHeight) {
  if (n < 0 || n >= TEX_PER_MODEL || !texture) return;
  if (entryWidth < 1 || entryHeight < 1 || entryWidth > KZI_MAX_SIDE || entryHeight > KZI_MAX_SIDE) return;
  i32 texW = 0, texH = 0, pitch = 0;
  if (!g_Dev.draw.textureSize || !g_Dev.draw.textureSize(texture, &texW, &texH) || texW < 1 || texH < 1) return;
  if (!g_Dev.draw.lockTexture) return;
  u8 *bits = g_Dev.draw.lockTexture(texture, &pitch);
  if (!bits) return;
  u32 *copy = (u32 *)calloc((size_t)entryWidth * (size_t)entryHeight, sizeof(u32));
  if (copy) {
    f32 ry = (f32)entryHeight / (f32)texH, rx = (f32)entryWidth / (f32)texW;
    for (i32 y = 0; y < texH; y++) {
      i32 row = (i32)(ry * (f32)y);
      if (row >= entryHeight) row = entryHeight - 1;
      for (i32 x = 0; x < texW; x++) {
        i32 col = (i32)(rx * (f32)x);
        if (col >= entryWidth) col = entryWidth - 1;
        copy[(size_t)row * entryWidth + col] = Tex_CopyValue(bits + (size_t)y * pitch + (size_t)x * 4);
      }
    }
    free(g_Tex.pixels[n]);   // a copy replaces the slot's earlier one
    g_Tex.pixels[n] = copy;
    g_Tex.pixelsWidth[n] = entryWidth;
    g_Tex.pixelsHeight[n] = entryHeight;
  }
  if (g_Dev.draw.unlockTexture) g_Dev.draw.unlockTexture(texture);
}

u32 Tex_GetPixel(i32 t, i32 i) {
  if (t < 0 || t >= TEX_PER_MODEL || !g_Tex.pixels[t] || i < 0) return 0;
  if ((i64)i >= (i64)g_Tex.pixelsWidth[t] * g_Tex.pixelsHeight[t]) return 0;
  return g_Tex.pixels[t][i];
}

u32 *Tex_ReadPixels(void *texture, i32 *width, i32 *height) {
  *width = *height = 0;
  i32 w = 0, h = 0, pitch = 0;
  if (!texture || !g_Dev.draw.textureSize || !g_Dev.draw.lockTexture) return nullptr;
  if (!g_Dev.draw.textureSize(texture, &w, &h) || w < 1 || h < 1) return nullptr;
  if ((u64)w * (u64)h > (1u << 28)) return nullptr;   // no texture is that large
  u8 *bits = g_Dev.draw.lockTexture(texture, &pitch);
  if (!bits) return nullptr;
  if (pitch < w * 4) {   // rows shorter than the width: nothing to copy safely
    if (g_Dev.draw.unlockTexture) g_Dev.draw.unlockTexture(texture);
    return nullptr;
  }
  u32 *out = (u32 *)malloc((size_t)w * (size_t)h * sizeof(u32));
  if (out) {
    for (i32 y = 0; y < h; y++) memcpy(out + (size_t)y * w, bits + (size_t)y * pitch, (size_t)w * 4);
    *width = w;
    *height = h;
  }
  if (g_Dev.draw.unlockTexture) g_Dev.draw.unlockTexture(texture);
  return out;
}

void Tex_InstallSeam(void) {
  g_Seam.bone2TextureLoad = Tex_ReloadBone2Texture;
  g_Seam.model3TextureLoad = Tex_ReloadModel3Texture;
  g_Seam.obj3PartTextureLoad = Tex_ReloadObj3PartTexture;
  if (!g_Seam.texturePixels) g_Seam.texturePixels = Tex_ReadPixels;
}
