// Writes the sample files of the data folder that the F7 key loads: "0.KZP", a cube of six
// quads with two bones, and "0.KZO", an object set whose object 1 is that cube.
// Usage: samples <folder>
// Also writes a full-capacity model for measuring the editors: samples --grid QUADS FILE.KZP
// gives rows of 250 quads with a ripple, 128 bones in chains of 16, every vertex bound.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "bench/bench_grid.h"
#include "model/kzo.h"
#include "model/kzp.h"
#include "model/mesh.h"
#include "model/model3.h"
#include "model/seam_errorbox.h"

static Model3 *Cube(void) {
  g_MaxPolygons = 64;
  g_MaxVertices = 64;
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_New();
  if (!m) return nullptr;
  static const f32 c[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                              {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
  static const u32 q[6][4] = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                              {2, 3, 7, 6}, {1, 2, 6, 5}, {0, 4, 7, 3}};
  for (u32 i = 0; i < 8; i++) {
    m->positions[i] = {c[i][0], c[i][1], c[i][2]};
    m->colors[i] = {255, 255, 255, 255};
  }
  m->positionCount = m->colorCount = 8;
  for (u32 p = 0; p < 6; p++) {
    m->polygons[p].cornerCount = 4;
    for (u32 k = 0; k < 4; k++) m->polygons[p].corners[k] = {q[p][k], q[p][k], q[p][k], q[p][k]};
  }
  m->polygonCount = 6;
  Model3_CalcNormals(m);
  m->boneCount = 2;
  m->bones[1].parent = 0;
  return m;
}

static int Grid(i32 quads, const char *path) {
  i32 cols = 250, rows = quads / cols;
  g_MaxPolygons = 65000;
  g_MaxVertices = 260000;
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_New();
  if (!m || rows < 1 || rows * cols > 65000) return 1;
  // The overlay benchmark's rippled grid and bone chains, each corner naming its vertex's
  // colour, normal and UV entry too.
  BenchGrid_Quads(m, quads, true);
  for (i32 i = 0; i < m->positionCount; i++) m->colors[i] = {255, 255, 255, 255};
  m->colorCount = m->positionCount;
  for (i32 f = 0; f < m->polygonCount; f++)
    for (int j = 0; j < 4; j++) {
      PolyCorner &c = m->polygons[f].corners[j];
      c = {c.vertex, c.vertex, c.vertex, c.vertex};
    }
  Model3_CalcNormals(m);
  BenchGrid_Bones(m);
  Model3_FreshBindings(m, 0, m->positionCount);
  for (i32 i = 0; i < m->positionCount; i++) m->bindings[i].bone1 = 5;
  ModelResult res = {};
  bool ok = Kzp_Write(m, path, &res);
  Seam_ShowResult(&res);
  Model3_Free(m);
  return ok ? 0 : 1;
}

int main(int argc, char **argv) {
  if (argc == 4 && strcmp(argv[1], "--grid") == 0) return Grid(atoi(argv[2]), argv[3]);
  if (argc != 2 || chdir(argv[1]) != 0) {
    fprintf(stderr, "usage: samples <folder>\n");
    return 2;
  }
  Model3 *m = Cube();
  ModelResult res = {};
  bool ok = m && Kzp_Write(m, "0.KZP", &res);
  Seam_ShowResult(&res);
  Model3_Free(m);
  Kzo_NewSet(0);
  Obj3Set *set = g_Obj3Sets[0];
  if (ok && set) {
    set->objectCount = 2;
    Str_Copy(set->parts[1].path, sizeof set->parts[1].path, "0.KZP");
    set->parts[1].parent = 0;
    g_Obj3PartLoaded[0][1] = 1;
    ok = Kzo_Write(0, "0.KZO", &res);
    Seam_ShowResult(&res);
  }
  Kzo_FreeAll();
  return ok ? 0 : 1;
}
