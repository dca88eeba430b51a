// Modelling operations on quad grids of growing size. Every iteration starts from the same
// model and selection (restored outside the timed part). Goals at the largest size, one core:
// with half the faces (or vertices) of a 65,000-quad grid selected, delete (both modes), the
// left-half delete, flip, rotate colours, apply colour, vertex merge and optimise under 50 ms;
// extrude, divide and break up of 5,000 selected quads of a 40,000-quad model under 50 ms;
// the face merge of every face of a 65,000-quad grid under 1 s.
#include <benchmark/benchmark.h>
#include <string.h>

#include <string>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_sel.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "bench_figures.h"
#include "bench_grid.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_poly_ops.h"
#include "model/mesh.h"
#include "model/model3.h"

namespace {

// A grid of quads (250 per row) in z = 0 around the origin in slot 0 with four colours and a
// UV per position, normals computed; the 3D editor current.
Model3 *Grid(i32 quads) {
  g_Model3Edited = 1;
  Model3 *m = BenchGrid_Slot0(SUB_3D_POLY);
  BenchGrid_UvQuads(m, quads);
  Model3_FreshBindings(m, 0, m->positionCount);
  Model3_CalcNormals(m);
  App_AllocWorkArrays(&g_Sel);
  return m;
}

// Every `step`-th face (with its vertices) or every other vertex selected.
void Select(const Model3 *m, u32 mode, i32 step) {
  memset(g_Sel.g_PolySelFaces, 0, App_WorkFaceCount() * sizeof(u32));
  memset(g_Sel.g_PolySelVerts, 0, App_WorkVertCount() * sizeof(u32));
  g_Sel.g_PolySelectMode = mode;
  if (mode == 0) {
    for (i32 i = 0; i < m->positionCount; i += 2) g_Sel.g_PolySelVerts[i] = 1;
    return;
  }
  for (i32 i = 0; i < m->polygonCount; i += step) {
    g_Sel.g_PolySelFaces[i] = 1;
    for (u32 j = 0; j < 4; j++) g_Sel.g_PolySelVerts[m->polygons[i].corners[j].vertex] = 1;
  }
}

// Times op on a fresh copy of the grid of `quads` with the selection of (mode, step) in g_Sel;
// the mean milliseconds per run go into the summary against the goal (0: none) at the largest
// size.
template <typename Op>
void Run(benchmark::State &state, const char *name, double goalMs, i32 largest, u32 mode, i32 step, Op op) {
  Model3 *m = Grid((i32)state.range(0));
  bench::TimeOnFreshCopies(state, name, goalMs, largest, m, [=](Model3 *c) { Select(c, mode, step); },
                           [=](Model3 *c) { return op(c, &g_Sel); });
}

const i32 kFull = 65000, kPart = 40000;

void BM_DeleteFaces(benchmark::State &s) { Run(s, "delete, face mode", 50, kFull, 1, 2, Ed3D_PolyDelete); }
void BM_DeleteVertices(benchmark::State &s) { Run(s, "delete, vertex mode", 50, kFull, 0, 2, Ed3D_PolyDelete); }
void BM_LeftHalf(benchmark::State &s) { Run(s, "left-half delete", 50, kFull, 1, 2, Ed3D_PolyDeleteLeftHalf); }
void BM_Flip(benchmark::State &s) { Run(s, "flip", 50, kFull, 1, 2, Ed3D_PolyFlipFaces); }
void BM_RotateColours(benchmark::State &s) { Run(s, "rotate colours", 50, kFull, 1, 2, Ed3D_PolyRotateColours); }
void BM_ApplyColour(benchmark::State &s) {
  static const i32 rgba[4] = {10, 20, 30, 255};
  Run(s, "apply colour", 50, kFull, 1, 2,
      [](Model3 *m, ShellSelection *sel) { return Ed3D_PolyApplyColour(m, sel, rgba); });
}
void BM_MergeVertices(benchmark::State &s) { Run(s, "vertex merge", 50, kFull, 0, 2, Ed3D_PolyMerge); }
void BM_Optimise(benchmark::State &s) { Run(s, "optimise", 50, kFull, 1, 2, Ed3D_PolyOptimise); }
// 5,000 of 40,000 quads: every eighth.
void BM_Extrude(benchmark::State &s) {
  Run(s, "extrude, 1/8 selected", 50, kPart, 1, 8,
      [](Model3 *m, ShellSelection *sel) { return Ed3D_PolyExtrude(m, sel, 1.0f); });
}
void BM_Divide(benchmark::State &s) { Run(s, "divide, 1/8 selected", 50, kPart, 1, 8, Ed3D_PolyDivide); }
void BM_Break(benchmark::State &s) { Run(s, "break up, 1/8 selected", 50, kPart, 1, 8, Ed3D_PolyBreakFaces); }
void BM_MergeFaces(benchmark::State &s) { Run(s, "face merge, all selected", 1000, kFull, 1, 1, Ed3D_PolyMerge); }

#define SIZES ->Arg(1000)->Arg(16000)->Arg(kFull)->UseManualTime()->Unit(benchmark::kMillisecond)
#define PART_SIZES ->Arg(5000)->Arg(20000)->Arg(kPart)->UseManualTime()->Unit(benchmark::kMillisecond)
BENCHMARK(BM_DeleteFaces) SIZES;
BENCHMARK(BM_DeleteVertices) SIZES;
BENCHMARK(BM_LeftHalf) SIZES;
BENCHMARK(BM_Flip) SIZES;
BENCHMARK(BM_RotateColours) SIZES;
BENCHMARK(BM_ApplyColour) SIZES;
BENCHMARK(BM_MergeVertices) SIZES;
BENCHMARK(BM_Optimise) SIZES;
BENCHMARK(BM_Extrude) PART_SIZES;
BENCHMARK(BM_Divide) PART_SIZES;
BENCHMARK(BM_Break) PART_SIZES;
BENCHMARK(BM_MergeFaces) SIZES;

}  // namespace

BENCH_MAIN()
