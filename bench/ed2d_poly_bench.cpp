// The 2D skin editors on quad grids of growing size up to 64,770 quads (65,280 vertices,
// within the 16-bit counts): the overlay's selection step with a face-mode drag over the
// whole grid, one move, rotate and scale step with every vertex selected, and the weight
// panel's "決定" on every vertex with the rebind that follows (128 bones). Targets at 64,770
// quads: the selection and each tool step under 5 ms, "決定" with the rebind under 20 ms.
#include <benchmark/benchmark.h>
#include <string.h>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "bench/bench_grid.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_poly.h"
#include "model/bone2.h"
#include "model/model3.h"

namespace {

// rows x 255 quads of 2 x 2 pixels around the placement, everything selected.
Bone2Model *Grid(i32 rows) {
  Bone2Model *m = BenchGrid_Slot2D();
  m->placeX = 320;
  m->placeY = 240;
  BenchGrid_Quads2D(m, rows, 0, false);
  App_AllocWorkArrays(&g_Sel);
  BenchGrid_SelectAll(m->vertexCount, m->polygonCount);
  return m;
}

void BM_SelectPass(benchmark::State &state) {
  Bone2Model *m = Grid((i32)state.range(0));
  g_Sel.g_PolySelectMode = 1;
  g_Sel.g_PolyTool = ED2D_TOOL_FACE;
  g_Ed2DPoly.startX = 0, g_Ed2DPoly.startY = 0, g_Ed2DPoly.curX = 640, g_Ed2DPoly.curY = 480;
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
  for (auto _ : state) {
    Ed2D_PolySelectPass(m);
    benchmark::DoNotOptimize(g_Sel.g_PolySelFaces[m->polygonCount - 1]);
  }
  Shell_SetButtonHeld(BUTTON_LEFT, 0);
  state.counters["quads"] = m->polygonCount;
  Bone2_FreeAll();
}

void BM_ToolStep(benchmark::State &state) {
  Bone2Model *m = Grid((i32)state.range(0));
  i32 tool = (i32)state.range(1);
  for (auto _ : state) {
    if (tool == 1) Ed2D_PolyMoveStep(m, &g_Sel, 1.0f, -1.0f);
    else if (tool == 2) Ed2D_PolyRotateStep(m, &g_Sel, 2.0f, 0.0f, 320.0f, 240.0f);
    else Ed2D_PolyScaleStep(m, &g_Sel, 1.0f, -1.0f, 320.0f, 240.0f);
    benchmark::DoNotOptimize(m->positions[m->vertexCount - 1].x);
  }
  state.counters["quads"] = m->polygonCount;
  Bone2_FreeAll();
}

void BM_WeightApplyAndRebind(benchmark::State &state) {
  Bone2Model *m = Grid((i32)state.range(0));
  m->boneCount = 128;
  for (i32 b = 1; b < 128; b++) {
    m->rest[b].x = (f32)(b * 7 % 300) - 150.0f;
    m->rest[b].y = (f32)(b * 13 % 200) - 100.0f;
  }
  for (auto _ : state) {
    Ed2D_WeightApply(m, "0", "0", "1.0");
    Ed2D_RebindSkin(Current_Bone2Edited());
    benchmark::DoNotOptimize(m->bindings[m->vertexCount - 1].bone1);
  }
  state.counters["vertices"] = m->vertexCount;
  Bone2_FreeAll();
}

BENCHMARK(BM_SelectPass)->Arg(16)->Arg(64)->Arg(254)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ToolStep)->Args({16, 1})->Args({254, 1})->Args({16, 2})->Args({254, 2})->Args({16, 3})->Args({254, 3})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeightApplyAndRebind)->Arg(16)->Arg(64)->Arg(254)->Unit(benchmark::kMillisecond);

}  // namespace
