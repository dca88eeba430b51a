// The collision editor's drawing: the collision model as translucent fan triangles, the box
// walls as turned squares at the ground height and at the range floor, the circle walls as
// 16-sided outlines, and the vertical-sync warning. Everything goes through g_SceneSeam.
#include <math.h>

#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/text.h"
#include "app/views.h"
#include "lib/framework/lib.h"
#include "scene/coli_edit.h"
#include "scene/scene_seam.h"

void Coli_Draw(const HookCtx *c) {
  // The warning is the main view's: the other view windows would show a cut-off copy.
  if (!Lib_IsVSync() && View_DrawingMain(c))
    g_SceneSeam.print(100, 10, "オプション -> 垂直同期 -> ONにされないと、時の流れ(タイミング)が合いません。");
}

// [SECTION] Scene

static const f32 kDegree = 2.0f * 3.14159265f / 360.0f;

static void DrawModel(const Model3 *m) {
  if (!m || !m->polygons || !m->positions) return;
  for (i32 i = 0; i < m->polygonCount; i++) {
    const Polygon3 &p = m->polygons[i];
    if (p.cornerCount < 3 || p.cornerCount > 4) continue;
    bool inside = true;
    for (int c = 0; c < p.cornerCount; c++) inside = inside && p.corners[c].vertex < (u32)m->positionCount;
    if (!inside) continue;
    f32 n[3] = {0, 1, 0};
    if (m->normals && p.corners[0].normal < (u32)m->normalCount) {
      const Vec3 &v = m->normals[p.corners[0].normal];
      n[0] = v.x, n[1] = v.y, n[2] = v.z;
    }
    for (int t = 0; t + 2 < p.cornerCount; t++) {
      const int idx[3] = {0, t + 1, t + 2};
      f32 tri[9];
      for (int k = 0; k < 3; k++) {
        const Vec3 &v = m->positions[p.corners[idx[k]].vertex];
        tri[k * 3] = v.x, tri[k * 3 + 1] = v.y, tri[k * 3 + 2] = v.z;
      }
      g_SceneSeam.triangle(tri, n);
    }
  }
}

// A closed outline of n corners (x, z pairs) at height y.
static void Outline(const f32 (*xz)[2], int n, f32 y, bool current) {
  i32 g = current ? 255 : 0;
  for (int i = 0; i < n; i++) {
    const f32 *a = xz[i], *b = xz[(i + 1) % n];
    f32 p[3] = {a[0], y, a[1]}, q[3] = {b[0], y, b[1]};
    g_SceneSeam.line(p, q, 255, g, 0);
  }
}

// Corners (±size, ±size) turned by the angle about the centre, as the resolution turns them.
static void BoxCorners(const ColiBox &b, f32 out[4][2]) {
  static const f32 kSigns[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  f32 c = cosf(b.angle * kDegree), s = sinf(b.angle * kDegree);
  for (int i = 0; i < 4; i++) {
    f32 lx = kSigns[i][0] * b.size, lz = kSigns[i][1] * b.size;
    out[i][0] = b.x + lx * c + lz * s;
    out[i][1] = b.z + lz * c - lx * s;
  }
}

static void CircleCorners(const ColiCircle &c, f32 out[16][2]) {
  for (int i = 0; i < 16; i++) {
    f32 a = (f32)i * 22.5f * kDegree;
    out[i][0] = c.x + c.size * cosf(a);
    out[i][1] = c.z + c.size * sinf(a);
  }
}

void Coli_DrawScene(const HookCtx *c) {
  const CollisionDoc *d = g_Coli.doc;
  if (!d) return;
  DrawDev_SetTexture(0, nullptr);
  DrawBatch_Begin();
  DrawModel(d->model);
  const f32 heights[2] = {d->groundHeight, d->bounds[1]};
  for (i32 k = 0; k < COLI_BOXES; k++) {
    if (!d->boxes[k].used) continue;
    f32 corners[4][2];
    BoxCorners(d->boxes[k], corners);
    for (f32 y : heights) Outline(corners, 4, y, k == g_ColiEdit.curBox);
  }
  for (i32 k = 0; k < COLI_CIRCLES; k++) {
    if (!d->circles[k].used) continue;
    f32 corners[16][2];
    CircleCorners(d->circles[k], corners);
    for (f32 y : heights) Outline(corners, 16, y, k == g_ColiEdit.curCircle);
  }
  DrawBatch_End();
}
