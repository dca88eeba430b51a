// The 2D modelling panel's mesh operations on quad grids of growing size up to 64,770 quads
// (65,280 vertices, each with its own colour and UV entry), every other quad and every other
// vertex selected; the grid is restored outside the timing before each run. Targets at 64,770
// quads: each operation under 50 ms (those that would pass the 16-bit counts are refused
// after their room check), the optimize of the whole grid under 50 ms, the face merge of
// every face under 1 s.
#include <benchmark/benchmark.h>
#include <string.h>

#include <vector>

#include "app/current.h"
#include "app/shell_sel.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_poly_ops.h"
#include "model/bone2.h"
#include "model/model3.h"
#include "model/seam.h"

namespace {

struct Grid {
  Bone2Model *m;
  std::vector<Bone2Point> pos;
  std::vector<Bone2Colour> col;
  std::vector<Bone2UV> uv;
  std::vector<VertexBinding> bind;
  std::vector<Polygon2> polys;
  bool allFaces;
};

void Quiet(const char *) {}

// Puts the grid back (arrays, counts, flags).
void Restore(const Grid &g) {
  Bone2Model *m = g.m;
  memcpy(m->positions, g.pos.data(), g.pos.size() * sizeof(Bone2Point));
  memcpy(m->colours, g.col.data(), g.col.size() * sizeof(Bone2Colour));
  memcpy(m->uvs, g.uv.data(), g.uv.size() * sizeof(Bone2UV));
  memcpy(m->bindings, g.bind.data(), g.bind.size() * sizeof(VertexBinding));
  memcpy(m->polygons, g.polys.data(), g.polys.size() * sizeof(Polygon2));
  m->vertexCount = m->colourCount = m->uvCount = (u16)g.pos.size();
  m->polygonCount = (i32)g.polys.size();
  for (u32 i = 0; i < App_WorkVertCount(); i++) g_Sel.g_PolySelVerts[i] = i % 2;
  for (u32 i = 0; i < App_WorkFaceCount(); i++) g_Sel.g_PolySelFaces[i] = g.allFaces ? 1 : i % 2;
}

// rows x 255 quads of 2 x 2 pixels.
Grid MakeGrid(i32 rows, bool allFaces) {
  const i32 cols = 255;
  g_MaxVertices = 65535;
  g_MaxPolygons = 65000;
  g_Seam.errorBox = Quiet;
  Bone2_FreeAll();
  g_ModelAllocArrays = 1;
  Grid g;
  g.m = Bone2_Init(0);
  g.allFaces = allFaces;
  for (i32 y = 0; y <= rows; y++)
    for (i32 x = 0; x <= cols; x++) {
      g.pos.push_back({(f32)(2 * x - cols), (f32)(2 * y - rows)});
      g.col.push_back({(f32)(x % 7), 0, 0, 255});
      g.uv.push_back({(f32)x / cols, (f32)y / rows});
      g.bind.push_back({0, 0, 1.0f, 1});
    }
  for (i32 y = 0; y < rows; y++)
    for (i32 x = 0; x < cols; x++) {
      Polygon2 p = Polygon2{};
      p.used = 1;
      p.cornerCount = 4;
      u16 v = (u16)(y * (cols + 1) + x);
      const u16 c[4] = {v, (u16)(v + cols + 1), (u16)(v + cols + 2), (u16)(v + 1)};
      for (int j = 0; j < 4; j++) p.corners[j] = {c[j], c[j], c[j]};
      g.polys.push_back(p);
    }
  App_AllocWorkArrays(&g_Sel);
  Restore(g);
  return g;
}

enum Op : i64 {
  SELECT_ALL, INVERT, COLOUR, LEFT_HALF, FLIP, REMOVE_FACES, SPLIT, MAKE_FACE, MERGE_VERTS, MERGE_FACES, DELETE,
  COPY, PASTE, OPTIMIZE, OPS
};
const char *const kNames[OPS] = {"select_all", "invert", "colour", "left_half", "flip", "remove_faces", "split",
                                 "make_face", "merge_vertices", "merge_faces", "delete", "copy", "paste", "optimize"};

void Run(Bone2Model *m, i64 op) {
  const i32 rgba[4] = {1, 2, 3, 4};
  g_Sel.g_PolySelectMode = op == MERGE_VERTS ? 0 : 1;
  switch (op) {
    case SELECT_ALL: Ed2D_PolySelectAll(m); break;
    case INVERT: Ed2D_PolyInvertSelection(m); break;
    case COLOUR: Ed2D_PolyApplyColour(m, rgba); break;
    case LEFT_HALF: Ed2D_PolyDeleteLeftHalf(m); break;
    case FLIP: Ed2D_PolyFlipFaces(m); break;
    case REMOVE_FACES: Ed2D_PolyRemoveFaces(m); break;
    case SPLIT: Ed2D_PolySplitQuads(m); break;
    case MAKE_FACE: Ed2D_PolyMakeFace(m); break;
    case MERGE_VERTS:
    case MERGE_FACES: Ed2D_PolyMerge(m); break;
    case DELETE: Ed2D_PolyDeleteSelection(m); break;
    case COPY: Ed2D_PolyCopy(m); break;
    case PASTE: Ed2D_PolyPaste(m); break;
    case OPTIMIZE: Ed2D_PolyOptimize(m); break;
    default: break;
  }
}

void BM_Operation(benchmark::State &state) {
  i64 op = state.range(1);
  Grid g = MakeGrid((i32)state.range(0), false);
  if (op == PASTE) Ed2D_PolyCopy(g.m);
  for (auto _ : state) {
    state.PauseTiming();
    Restore(g);
    state.ResumeTiming();
    Run(g.m, op);
    benchmark::DoNotOptimize(g.m->polygonCount);
  }
  state.SetLabel(kNames[op]);
  state.counters["quads"] = (double)g.polys.size();
  Bone2_FreeAll();
}

void BM_MergeEveryFace(benchmark::State &state) {
  Grid g = MakeGrid((i32)state.range(0), true);
  for (auto _ : state) {
    state.PauseTiming();
    Restore(g);
    state.ResumeTiming();
    g_Sel.g_PolySelectMode = 1;
    Ed2D_PolyMerge(g.m);
    benchmark::DoNotOptimize(g.m->polygons[0].corners[0].vertex);
  }
  state.counters["quads"] = (double)g.polys.size();
  Bone2_FreeAll();
}

void OperationArgs(benchmark::internal::Benchmark *b) {
  for (i64 op = 0; op < OPS; op++)
    for (i64 rows : {16, 64, 254}) b->Args({rows, op});
}

BENCHMARK(BM_Operation)->Apply(OperationArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MergeEveryFace)->Arg(16)->Arg(64)->Arg(254)->Unit(benchmark::kMillisecond);

}  // namespace
