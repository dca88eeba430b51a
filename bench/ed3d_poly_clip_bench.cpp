// Geometry brought into the model and the group selection, on quad grids of growing size.
// Every iteration starts from the same model and selection (restored outside the timed part).
// Goals at the largest size, one core: selecting a group of a 65,000-quad model under 5 ms;
// pasting a 30,000-quad clipboard, placing a 30,000-quad file already read (the merge) and
// mirroring a 30,000-quad group, each onto a 30,000-quad model, under 50 ms.
#include <benchmark/benchmark.h>
#include <string.h>

#include <string>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "bench_figures.h"
#include "bench_grid.h"
#include "edit3d/ed3d_group_dlg.h"
#include "edit3d/ed3d_poly_clip.h"
#include "model/mesh.h"
#include "model/model3.h"

namespace {

// A grid of quads (250 per row) with a UV per position and four colours, groups alternating
// between 0 and 1 by row; in slot 0 with the 3D editor current when slot0, else a free model.
Model3 *Grid(i32 quads, bool slot0) {
  g_Model3Edited = 1;
  Model3 *m = nullptr;
  if (slot0) {
    m = BenchGrid_Slot0(SUB_3D_POLY);
  } else {
    g_Shell.g_EditFamily = FAMILY_3D_MODEL;
    g_Shell.g_EditSubMode = SUB_3D_POLY;
    g_Sel.g_CurSlot = 0;
    g_ModelAllocArrays = 1;
    m = Model3_New();
  }
  BenchGrid_UvQuads(m, quads);
  for (i32 i = 0; i < m->polygonCount; i++) m->polygons[i].group = (u32)(i / 250 % 2);   // rows alternate
  m->groupCount = 2;
  Model3_FreshBindings(m, 0, m->positionCount);
  Model3_CalcNormals(m);
  if (slot0) {
    App_AllocWorkArrays(&g_Sel);
  }
  return m;
}

void AllFaces(const Model3 *m, u32 flag) {
  memset(g_Sel.g_PolySelVerts, 0, App_WorkVertCount() * sizeof(u32));
  for (i32 i = 0; i < m->polygonCount; i++) g_Sel.g_PolySelFaces[i] = flag;
}

// Times op on a fresh copy of the grid of `quads`; the mean milliseconds per run go into the
// summary against the goal (0: none) at the largest size.
template <typename Op>
void Run(benchmark::State &state, const char *name, double goalMs, i32 largest, Op op) {
  Model3 *m = Grid((i32)state.range(0), true);
  bench::TimeOnFreshCopies(state, name, goalMs, largest, m, [](Model3 *c) { AllFaces(c, 1); }, op);
}

const i32 kFull = 65000, kHalf = 30000;

void BM_SelectGroup(benchmark::State &s) {
  Run(s, "group selection", 5, kFull, [](Model3 *m) {
    Ed3D_SelectGroupFaces(m, 1);
    return g_Sel.g_PolySelFaces[0];
  });
}

// The clipboard holds every face of a grid as large as the model.
void BM_Paste(benchmark::State &s) {
  Model3 *clip = Grid((i32)s.range(0), false);
  Run(s, "paste", 50, kHalf, [&](Model3 *m) { return Poly_PasteFaces(m, clip); });
  Model3_Free(clip);
}

void BM_MergePlace(benchmark::State &s) {
  Model3 *src = Grid((i32)s.range(0), false);
  static const f32 offset[3] = {1, 2, -3};
  Run(s, "merge (after reading)", 50, kHalf, [&](Model3 *m) { return Poly_AppendPlaced(m, &g_Sel, src, 1.0f, offset, 0); });
  Model3_Free(src);
}

// Every polygon of the model in the mirrored group.
void BM_Mirror(benchmark::State &s) {
  Run(s, "mirror", 50, kHalf, [](Model3 *m) {
    for (i32 i = 0; i < m->polygonCount; i++) m->polygons[i].group = 0;
    return Poly_MirrorGroup(m, &g_Sel, 0);
  });
}

#define SIZES(n) ->Arg(n / 16)->Arg(n / 4)->Arg(n)->UseManualTime()->Unit(benchmark::kMillisecond)
BENCHMARK(BM_SelectGroup) SIZES(kFull);
BENCHMARK(BM_Paste) SIZES(kHalf);
BENCHMARK(BM_MergePlace) SIZES(kHalf);
BENCHMARK(BM_Mirror) SIZES(kHalf);

}  // namespace

BENCH_MAIN()
