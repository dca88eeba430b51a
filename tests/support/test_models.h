// Small models the tests build again and again: a 3D slot made current in an editor sub-mode,
// one triangle, a 2D skin of two quads, and a model's KZP file image for byte comparisons.
#pragma once
#include <gtest/gtest.h>

#include <vector>

#include "app/shell_sel.h"
#include "file_bytes.h"
#include "app/current.h"
#include "app/shell_view.h"
#include "model/bone2.h"
#include "model/bytes.h"
#include "model/kzp.h"
#include "model/model3.h"

// Slot 0 made with full arrays in the 3D family's sub-mode, the slot current; null when
// the slot could not be made.
inline Model3 *TestModel_Slot3D(u32 subMode) {
  g_Shell.g_EditFamily = FAMILY_3D_MODEL;
  g_Shell.g_EditSubMode = subMode;
  g_Sel.g_CurSlot = 0;
  g_ModelAllocArrays = 1;
  return Model3_Init(0);
}

// m holds one triangle, (0, 0, 0), (size, 0, 0), (0, size, 0), and nothing else.
inline void TestModel_Triangle(Model3 *m, f32 size) {
  m->positionCount = 3;
  m->positions[0] = {0, 0, 0};
  m->positions[1] = {size, 0, 0};
  m->positions[2] = {0, size, 0};
  m->polygonCount = 1;
  m->polygons[0].cornerCount = 3;
  for (u32 c = 0; c < 3; c++) m->polygons[0].corners[c].vertex = c;
}

// A new model with full arrays holding TestModel_Triangle (null when none could be made).
inline Model3 *TestModel_NewTriangle(f32 size) {
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_New();
  if (m) TestModel_Triangle(m, size);
  return m;
}

// The KZP file image of m.
inline std::vector<u8> TestModel_KzpBytes(const Model3 *m) {
  ByteWriter w = {};
  EXPECT_TRUE(Kzp_Encode(m, &w));
  return TakeWriterBytes(&w);
}

// A fresh live polygon of the group after m's polygons, not yet counted in polygonCount.
inline Polygon2 &TestModel_NewPolygon2(Bone2Model *m, u32 group) {
  Polygon2 &p = m->polygons[m->polygonCount];
  p = Polygon2{};
  p.used = 1;
  p.group = group;
  return p;
}

// Two quads side by side, 100 x 100 pixels each, above the placement: six vertices bound
// afresh, one white colour, one UV entry per vertex that each corner names.
inline void TestModel_TwoQuadSkin(Bone2Model *m) {
  const f32 xs[3] = {-100, 0, 100};
  for (int i = 0; i < 6; i++) m->positions[i] = {xs[i % 3], i < 3 ? -200.0f : -100.0f};
  m->vertexCount = m->uvCount = 6;
  m->colours[0] = {255, 255, 255, 255};
  m->colourCount = 1;
  Bone2_FreshBindings(m, 0, 6);
  for (int q = 0; q < 2; q++) {
    Polygon2 &p = m->polygons[q];
    p = Polygon2{};
    p.used = 1;
    p.cornerCount = 4;
    const u16 v[4] = {(u16)q, (u16)(q + 1), (u16)(q + 4), (u16)(q + 3)};
    for (int k = 0; k < 4; k++) p.corners[k] = {v[k], 0, v[k]};
  }
  m->polygonCount = 2;
}
