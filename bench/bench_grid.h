// Shared by the editor benchmarks. 3D: a model of rows of 250 quads around the origin (flat in
// z = 0, or with a small ripple in z so that no two faces lie in one plane) and 127 bones over
// it in chains of sixteen, each bone the child of the one before and every sixteenth a child of
// bone 0. 2D: rows of 255 quads of 2 x 2 pixels around the placement and 127 bones.
#pragma once
#include <string.h>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "lib/framework/view_record.h"
#include "lib/render/objects.h"
#include "model/bone2.h"
#include "model/model3.h"

// Slot 0 emptied and made afresh with full arrays, the 3D editor's sub-mode current.
inline Model3 *BenchGrid_Slot0(u32 subMode) {
  g_Shell.g_EditFamily = FAMILY_3D_MODEL;
  g_Shell.g_EditSubMode = subMode;
  g_Sel.g_CurSlot = 0;
  Model3_FreeSlot(0);
  g_ModelAllocArrays = 1;
  return Model3_Init(0);
}

// cols x rows quads a tenth apart from (x0, y0), rippled in depth or flat, appended to m.
inline void BenchGrid_QuadRows(Model3 *m, i32 cols, i32 rows, f32 x0, f32 y0, bool ripple) {
  for (i32 y = 0; y <= rows; y++)
    for (i32 x = 0; x <= cols; x++) {
      f32 z = ripple ? (f32)((x + y) % 7) * 0.05f : 0.0f;
      m->positions[m->positionCount++] = {(f32)x * 0.1f + x0, (f32)y * 0.1f + y0, z};
    }
  for (i32 y = 0; y < rows; y++)
    for (i32 x = 0; x < cols; x++) {
      Polygon3 &p = m->polygons[m->polygonCount++];
      p.cornerCount = 4;
      u32 v = (u32)(y * (cols + 1) + x);
      const u32 c[4] = {v, v + (u32)cols + 1, v + (u32)cols + 2, v + 1};
      for (int j = 0; j < 4; j++) p.corners[j].vertex = c[j];
    }
}

inline void BenchGrid_Quads(Model3 *m, i32 quads, bool ripple) { BenchGrid_QuadRows(m, 250, quads / 250, -12.5f, -13.0f, ripple); }

// The quad at (x, z) of a w x h grid appended with four corners of its own, (x, z), (x, z + 1),
// (x + 1, z + 1), (x + 1, z): each a position at the given height, a UV spreading the grid
// over 0..1, an upward normal and white.
inline Polygon3 *BenchGrid_OwnCornerQuad(Model3 *m, i32 x, i32 z, i32 w, i32 h, f32 (*height)(i32, i32)) {
  Polygon3 *p = &m->polygons[m->polygonCount++];
  memset(p, 0, sizeof *p);
  p->cornerCount = 4;
  const i32 cx[4] = {x, x, x + 1, x + 1}, cz[4] = {z, z + 1, z + 1, z};
  for (int j = 0; j < 4; j++) {
    u32 v = (u32)m->positionCount++;
    m->positions[v] = {(f32)cx[j], height(cx[j], cz[j]), (f32)cz[j]};
    m->uvs[v] = {cx[j] / (f32)w, cz[j] / (f32)h};
    m->normals[v] = {0, 1, 0};
    m->colors[v] = {255, 255, 255, 255};
    p->corners[j] = {v, v, v, v};
  }
  m->normalCount = m->colorCount = m->uvCount = m->positionCount;
  return p;
}

inline void BenchGrid_Bones(Model3 *m) {
  m->boneCount = MODEL3_BONES;
  for (i32 b = 1; b < MODEL3_BONES; b++) {
    bool rowStart = (b - 1) % 16 == 0;
    m->bones[b].parent = rowStart ? 0 : b - 1;
    f32 *pos = m->boneRest[b].pos;
    pos[0] = rowStart ? -12.0f : 1.5f;
    pos[1] = rowStart ? (f32)((b - 1) / 16) * 3.0f - 12.0f : 0.0f;
    pos[2] = 0;
  }
}

// Rows of 250 quads in z = 0 with a UV per position (the grid spread over 0..1), four colours,
// corners wound the other way round from BenchGrid_Quads and each corner's colour its place.
inline void BenchGrid_UvQuads(Model3 *m, i32 quads) {
  i32 cols = 250, rows = quads / cols;
  for (i32 y = 0; y <= rows; y++)
    for (i32 x = 0; x <= cols; x++) {
      m->uvs[m->uvCount++] = {(f32)x / (f32)cols, (f32)y / (f32)rows};
      m->positions[m->positionCount++] = {(f32)x * 0.1f - 12.5f, (f32)y * 0.1f - 13.0f, 0};
    }
  for (i32 c = 0; c < 4; c++) m->colors[m->colorCount++] = {(f32)(c * 60), 100, 100, 255};
  for (i32 y = 0; y < rows; y++)
    for (i32 x = 0; x < cols; x++) {
      Polygon3 &p = m->polygons[m->polygonCount++];
      p.cornerCount = 4;
      u32 v = (u32)(y * (cols + 1) + x);
      const u32 c[4] = {v, v + 1, v + (u32)cols + 2, v + (u32)cols + 1};
      for (u32 j = 0; j < 4; j++) p.corners[j] = {c[j], 0, j, c[j]};
    }
}

// 2D slot 0 made afresh with full arrays (the 16-bit capacities at their largest) and shown.
inline Bone2Model *BenchGrid_Slot2D(void) {
  g_MaxVertices = 65535;
  g_MaxPolygons = 65000;
  Bone2_FreeAll();
  g_ModelAllocArrays = 1;
  Bone2Model *m = Bone2_Init(0);
  g_Bone2SlotShown[0] = 1;
  return m;
}

// rows x 255 quads of 2 x 2 pixels around the placement, every vertex bound to `bone`; with
// `uvs`, a UV entry per vertex that each corner names.
// The quads of a grid of (cols + 1) x (rows + 1) vertices numbered row by row, in use; with
// `uvs`, each corner names the UV entry of its vertex's number.
inline void BenchGrid_QuadFaces2D(Bone2Model *m, i32 cols, i32 rows, bool uvs) {
  for (i32 y = 0; y < rows; y++)
    for (i32 x = 0; x < cols; x++) {
      Polygon2 &p = m->polygons[m->polygonCount++];
      p.used = 1;
      p.cornerCount = 4;
      u16 v = (u16)(y * (cols + 1) + x);
      const u16 c[4] = {v, (u16)(v + cols + 1), (u16)(v + cols + 2), (u16)(v + 1)};
      for (int j = 0; j < 4; j++) p.corners[j].vertex = c[j];
      if (uvs)
        for (int j = 0; j < 4; j++) p.corners[j].uv = c[j];
    }
}

inline void BenchGrid_Quads2D(Bone2Model *m, i32 rows, u16 bone, bool uvs) {
  const i32 cols = 255;
  for (i32 y = 0; y <= rows; y++)
    for (i32 x = 0; x <= cols; x++) {
      m->positions[m->vertexCount] = {(f32)(2 * x - cols), (f32)(2 * y - rows)};
      m->bindings[m->vertexCount++] = {bone, 0, 1.0f, 1};
    }
  if (uvs) m->uvCount = m->vertexCount;
  BenchGrid_QuadFaces2D(m, cols, rows, uvs);
}

// The 2D model's full bone table spread over the grid.
inline void BenchGrid_Bones2D(Bone2Model *m) {
  m->boneCount = BONE2_MAX_BONES;
  for (i32 b = 1; b < BONE2_MAX_BONES; b++) {
    m->bones[b].parent = b > 1 && b % 3 == 0 ? b - 1 : 0;
    m->rest[b].x = (f32)(b * 7 % 300) - 150.0f;
    m->rest[b].y = (f32)(b * 13 % 200) - 100.0f;
  }
}

// Every vertex and face of the current selection arrays marked, up to the counts given.
inline void BenchGrid_SelectAll(i32 vertices, i32 faces) {
  for (i32 i = 0; i < vertices; i++) g_Sel.g_PolySelVerts[i] = 1;
  for (i32 i = 0; i < faces; i++) g_Sel.g_PolySelFaces[i] = 1;
}

// The 3D model drawn in four views of subMode (main, front, top, side), each width x height
// pixels at `zoom` around its centre, view 1 active, `bone` current, the frame brought up to
// date and everything selected.
inline void BenchGrid_FourViews3D(Model3 *m, u32 subMode, i32 width, i32 height, f32 zoom, u32 bone) {
  ViewRecord *v = g_Shell.g_Views[subMode];
  const u32 kinds[4] = {VIEW_MAIN, VIEW_FRONT, VIEW_TOP, VIEW_SIDE};
  for (u32 i = 0; i < 4; i++) {
    v[i].inUse = 1;
    v[i].kind = kinds[i];
    v[i].centerX = width / 2;
    v[i].centerY = height / 2;
    v[i].w = width;
    v[i].h = height;
    v[i].zoom = zoom;
  }
  g_Shell.g_ViewCount[subMode] = 4;
  g_Shell.g_ActiveView = 1;
  g_Sel.g_CurBoneIndex = bone;
  Object_UpdateFrame();
  BenchGrid_SelectAll(m->positionCount, m->polygonCount);
}

// The 2D model drawn in the one main view of subMode, `bone` current, everything selected.
inline void BenchGrid_OneView2D(Bone2Model *m, u32 subMode, u32 bone) {
  g_Shell.g_Views[subMode][0].inUse = 1;
  g_Shell.g_ViewCount[subMode] = 1;
  g_Shell.g_DrawView = g_Shell.g_ActiveView = 0;
  g_Sel.g_CurBoneIndex = bone;
  BenchGrid_SelectAll(m->vertexCount, m->polygonCount);
}
