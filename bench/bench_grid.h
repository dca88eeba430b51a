// Shared by the 3D editor benchmarks: a model of rows of 250 quads around the origin (flat in
// z = 0, or with a small ripple in z so that no two faces lie in one plane) and 127 bones over
// it in chains of sixteen, each bone the child of the one before and every sixteenth a child of
// bone 0.
#pragma once
#include "model/model3.h"

inline void BenchGrid_Quads(Model3 *m, i32 quads, bool ripple) {
  i32 cols = 250, rows = quads / cols;
  for (i32 y = 0; y <= rows; y++)
    for (i32 x = 0; x <= cols; x++) {
      f32 z = ripple ? (f32)((x + y) % 7) * 0.05f : 0.0f;
      m->positions[m->positionCount++] = {(f32)x * 0.1f - 12.5f, (f32)y * 0.1f - 13.0f, z};
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
