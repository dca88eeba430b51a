// The image table and its 2D drawing calls.
#include "lib/draw/image.h"

#include <stdlib.h>

#include "lib/draw/draw.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/texture.h"

ImageRow g_ImageTable[IMAGE_ROWS];

static char *DupString(const char *s) {
  size_t n = 0;
  while (s[n]) n++;
  char *d = (char *)malloc(n + 1);
  if (d) {
    for (size_t i = 0; i <= n; i++) d[i] = s[i];
  }
  return d;
}

i32 Img_AllocRow(void) {
  for (i32 i = 0; i < IMAGE_ROWS; i++) {
    if (!g_ImageTable[i].inUse) {
      g_ImageTable[i].inUse = 1;
      return i;
    }
  }
  return -1;
}

// The row a handle already holds (loaded into it and still claimed), or -1.
static i32 HeldRow(const ImageHandle *handle) {
  if (!handle->loaded || handle->row < 0 || handle->row >= IMAGE_ROWS) return -1;
  return g_ImageTable[handle->row].inUse ? handle->row : -1;
}

i32 Img_Load(ImageHandle *handle, const char *path) {
  if (!handle || !path || !DrawDev_Ready()) return -1;
  // A handle that holds a row reloads it, so reloading an image never uses up the table.
  i32 row = HeldRow(handle);
  if (row < 0) row = Img_AllocRow();
  if (row < 0) return -1;
  handle->loaded = 0;
  ImageRow &r = g_ImageTable[row];
  handle->row = row;
  free(r.name);
  r.name = DupString(path);
  f32 size[2] = {0, 0};
  Tex_LoadImageFile(&r.texture, path, size);
  r.width = size[0];
  r.height = size[1];
  if (r.texture) {
    handle->loaded = 1;
    return row;
  }
  // A failed load gives its row back, so repeated failures cannot fill the table.
  r.width = r.height = 32.0f;
  free(r.name);
  r.name = nullptr;
  r.inUse = 0;
  handle->row = -1;
  return -1;
}

void Img_Bind(i32 row) {
  void *tex = (row >= 0 && row < IMAGE_ROWS) ? g_ImageTable[row].texture : nullptr;
  DrawDev_SetTexture(0, tex);
}

ImageRow *Img_GetRow(const ImageHandle *handle) {
  if (!handle || handle->row < 0 || handle->row >= IMAGE_ROWS) return nullptr;
  return &g_ImageTable[handle->row];
}

static void Img_Quad(i32 row, const i32 xy[8], i32 r, i32 g, i32 b, i32 a, const f32 uv[8]) {
  Img_Bind(row);
  Vert2D v[4];
  for (int i = 0; i < 4; i++) v[i] = {xy[i * 2], xy[i * 2 + 1], r, g, b, a, uv[i * 2], uv[i * 2 + 1]};
  Draw_Quad2DCorners(v);
}

// Texture coordinates kept off the edges so that the wrap does not bleed in.
static const f32 kInsetUV[8] = {0.01f, 0.01f, 0.99f, 0.01f, 0.99f, 0.99f, 0.01f, 0.99f};

bool Img_Draw(const ImageHandle *handle, i32 x, i32 y) {
  ImageRow *r = Img_GetRow(handle);
  if (!r || !r->inUse) return false;
  i32 w = (i32)r->width, h = (i32)r->height;
  i32 xy[8] = {x, y, x + w, y, x + w, y + h, x, y + h};
  static const f32 uv[8] = {0, 0, 1, 0, 1, 1, 0, 1};
  Img_Quad(handle->row, xy, 255, 255, 255, 255, uv);
  return true;
}

bool Img_DrawColored(const ImageHandle *handle, i32 x, i32 y, i32 r, i32 g, i32 b, i32 a) {
  ImageRow *row = Img_GetRow(handle);
  if (!row) return false;
  i32 w = (i32)row->width, h = (i32)row->height;
  i32 xy[8] = {x, y, x + w, y, x + w, y + h, x, y + h};
  Img_Quad(handle->row, xy, r, g, b, a, kInsetUV);
  return true;
}

bool Img_DrawQuad(const ImageHandle *handle, i32 x1, i32 y1, i32 x2, i32 y2, i32 x3, i32 y3,
                  i32 x4, i32 y4, i32 r, i32 g, i32 b, i32 a) {
  if (!Img_GetRow(handle)) return false;
  i32 xy[8] = {x1, y1, x2, y2, x3, y3, x4, y4};
  Img_Quad(handle->row, xy, r, g, b, a, kInsetUV);
  return true;
}

bool Img_DrawUV(const ImageHandle *handle, f64 x1, f64 y1, f64 x2, f64 y2, f64 x3, f64 y3,
                f64 x4, f64 y4, f64 s1, f64 t1, f64 s2, f64 t2, f64 s3, f64 t3, f64 s4, f64 t4,
                i32 r, i32 g, i32 b, i32 a) {
  ImageRow *row = Img_GetRow(handle);
  if (!row) return false;
  i32 xy[8] = {(i32)x1, (i32)y1, (i32)x2, (i32)y2, (i32)x3, (i32)y3, (i32)x4, (i32)y4};
  // A row without a size (never loaded) maps pixel coordinates 1:1 instead of dividing by 0.
  f64 w = row->width > 0 ? row->width : 1.0, h = row->height > 0 ? row->height : 1.0;
  f32 uv[8] = {(f32)(s1 / w), (f32)(t1 / h), (f32)(s2 / w), (f32)(t2 / h),
               (f32)(s3 / w), (f32)(t3 / h), (f32)(s4 / w), (f32)(t4 / h)};
  Img_Quad(handle->row, xy, r, g, b, a, uv);
  return true;
}
