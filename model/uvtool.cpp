// Shared texture-coordinate arithmetic (uvtool.h).
#include "model/uvtool.h"

#include <math.h>
#include <stdlib.h>

f32 UvTool_Ratio(f32 num, f32 den) { return fabsf(den) < 1e-6f ? 0.0f : num / den; }

static bool Flagged(const u32 *sel, u32 room, i32 i) { return (u32)i < room && sel[i]; }

void UvTool_Move(f32 *uv, i32 count, const u32 *sel, u32 selRoom, i32 texW, i32 texH, f32 dx, f32 dy) {
  if (!uv || !sel || texW <= 0 || texH <= 0) return;
  f32 du = 128.0f / (f32)texW * dx * 0.01f, dv = 128.0f / (f32)texH * dy * 0.01f;
  for (i32 i = 0; i < count; i++)
    if (Flagged(sel, selRoom, i)) {
      uv[2 * i] += du;
      uv[2 * i + 1] += dv;
    }
}

void UvTool_Rotate(f32 *uv, i32 count, const u32 *sel, u32 selRoom, f32 w, f32 h, f32 dx, f32 dy, f32 zoom) {
  if (!uv || !sel || w == 0 || h == 0) return;
  // A turn of 0.5 (dx - dy) zoom degrees, clockwise on the image.
  f32 angle = -6.283185308f * (0.5f * (dx - dy) * zoom) / 360.0f;
  f32 c = cosf(angle), sn = sinf(angle);
  for (i32 i = 0; i < count; i++) {
    if (!Flagged(sel, selRoom, i)) continue;
    f32 X = w * (2 * uv[2 * i] - 1), Y = h * (2 * uv[2 * i + 1] - 1);
    uv[2 * i] = 0.5f + (X * c + Y * sn) / (2 * w);
    uv[2 * i + 1] = 0.5f + (Y * c - X * sn) / (2 * h);
  }
}

void UvTool_Scale(f32 *uv, i32 count, const u32 *sel, u32 selRoom, f32 dx, f32 dy, f32 zoom) {
  if (!uv || !sel) return;
  for (i32 i = 0; i < count; i++) {
    if (!Flagged(sel, selRoom, i)) continue;
    uv[2 * i] += (uv[2 * i] - 0.5f) * dx * zoom * 0.005f;
    uv[2 * i + 1] -= (uv[2 * i + 1] - 0.5f) * dy * zoom * 0.005f;
  }
}

bool UvTool_ZoomIn(f32 *zoom, i32 *x, i32 *y, i32 w, i32 h) {
  if (!(*zoom < 128.0f)) return false;
  *x += (i32)((f32)w * -0.5f * *zoom);
  *y += (i32)((f32)h * -0.5f * *zoom);
  *zoom *= 2;
  return true;
}

bool UvTool_ZoomOut(f32 *zoom, i32 *x, i32 *y, i32 w, i32 h) {
  if (!(*zoom > 0.25f)) return false;
  *zoom /= 2;
  *x += (i32)((f32)w * 0.5f * *zoom);
  *y += (i32)((f32)h * 0.5f * *zoom);
  return true;
}

i32 UvTool_GridOf(const char *text) {
  i32 n = text ? atoi(text) : 0;
  return n > 0 ? n : 1;
}
