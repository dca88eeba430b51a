// The 2D groups and textures on quad grids of growing size: both group projections (front,
// per face) of one group of up to 64,770 quads (goal under 20 ms), a group row change with
// the group list's lines and counts (goal under 5 ms), and the mirror of a group of up to
// 30,090 quads (goal under 50 ms; the doubled counts stay within 16 bits).
#include <benchmark/benchmark.h>
#include <string.h>

#include "app/current.h"
#include "app/shell_sel.h"
#include "app/views.h"
#include "bench/bench_figures.h"
#include "bench/bench_grid.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_tex.h"
#include "model/bone2.h"
#include "model/model3.h"

namespace {

// rows x 255 quads of group 0, one UV entry per vertex.
Bone2Model *Grid(i32 rows) {
  Bone2Model *m = BenchGrid_Slot2D();
  BenchGrid_Quads2D(m, rows, 0, true);
  m->colourCount = 1;
  App_AllocWorkArrays(&g_Sel);
  return m;
}

void Figure(benchmark::State &state, const char *name, double seconds, i32 quads, bool goalSize, double goal) {
  char what[96];
  snprintf(what, sizeof what, "%s, %d quads: ms", name, (int)quads);
  bench::Report(state, "ms", what, seconds / (double)state.iterations() * 1e3, goalSize ? goal : 0);
}

void BM_Project2D(benchmark::State &state) {
  Bone2Model *m = Grid((i32)state.range(0));
  u8 type = (u8)state.range(1);
  m->groups[0].mappingKind = type;
  double t = 0;
  for (auto _ : state) t += bench::Time([&] { Ed2D_ProjectBone2Group(m, 0); });
  Figure(state, type ? "2D projection per face" : "2D projection front", t, m->polygonCount, state.range(0) == 254, 20);
  Bone2_FreeAll();
}
BENCHMARK(BM_Project2D)->ArgsProduct({{16, 64, 254}, {0, 5}})->Unit(benchmark::kMillisecond);

void BM_RowChange(benchmark::State &state) {
  Bone2Model *m = Grid((i32)state.range(0));
  m->groupCount = BONE2_MAX_GROUPS;
  static Ed2DLines lines;
  g_Sel.g_Cur2DSlot = 0;
  double t = 0;
  i32 g = 0;
  for (auto _ : state) {
    t += bench::Time([&] {
      Ed2D_GroupRowChanged(g);
      Ed2D_GroupListLines(m, g, &lines);
    });
    g = 1 - g;
  }
  Figure(state, "2D group row change and list", t, m->polygonCount, state.range(0) == 254, 5);
  Bone2_FreeAll();
}
BENCHMARK(BM_RowChange)->Arg(16)->Arg(64)->Arg(254)->Unit(benchmark::kMillisecond);

void BM_Mirror(benchmark::State &state) {
  i32 rows = (i32)state.range(0);
  double t = 0;
  i32 quads = 0;
  for (auto _ : state) {
    state.PauseTiming();
    Bone2Model *m = Grid(rows);
    quads = m->polygonCount;
    state.ResumeTiming();
    t += bench::Time([&] {
      Ed2D_MirrorGroup(m, 0, g_Sel.g_PolySelFaces, App_WorkFaceCount(), g_Sel.g_PolySelVerts, App_WorkVertCount());
    });
    benchmark::DoNotOptimize(m->polygonCount);
  }
  Figure(state, "2D mirror", t, quads, rows == 118, 50);
  Bone2_FreeAll();
}
BENCHMARK(BM_Mirror)->Arg(16)->Arg(64)->Arg(118)->Unit(benchmark::kMillisecond);

}  // namespace
