// Group operations of the 3D editor on models of growing size with 128 groups: deleting a
// group, swapping two groups and counting the polygons per group for the group list. Target
// at 65,000 polygons: each under 5 ms (one pass over the polygons each).
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include "edit3d/ed3d.h"
#include "model/model3.h"

namespace {

// A model of n triangles spread over the 128 groups. Arrays sized to n, not to the capacity.
Model3 *GroupedModel(i32 n) {
  Model3 *m = Model3_New();
  m->polygons = (Polygon3 *)calloc((size_t)n, sizeof(Polygon3));
  m->capPolygons = n;
  m->polygonCount = n;
  m->groupCount = MODEL3_GROUPS;
  for (i32 p = 0; p < n; p++) {
    m->polygons[p].cornerCount = 3;
    m->polygons[p].group = (u32)(p % MODEL3_GROUPS);
  }
  return m;
}

void BM_DeleteGroup(benchmark::State &state) {
  Model3 *m = GroupedModel((i32)state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    m->groupCount = MODEL3_GROUPS;   // the deleted record and the numbers are back for the next round
    for (i32 p = 0; p < m->polygonCount; p++) m->polygons[p].group = (u32)(p % MODEL3_GROUPS);
    state.ResumeTiming();
    Ed3D_ModelDeleteGroup(m, 5);
  }
  Model3_Free(m);
}

void BM_SwapGroups(benchmark::State &state) {
  Model3 *m = GroupedModel((i32)state.range(0));
  for (auto _ : state) Ed3D_ModelSwapGroups(m, 3, 100);
  Model3_Free(m);
}

void BM_CountGroupPolygons(benchmark::State &state) {
  Model3 *m = GroupedModel((i32)state.range(0));
  u32 counts[MODEL3_GROUPS];
  for (auto _ : state) {
    Ed3D_CountGroupPolygons(m, counts);
    benchmark::DoNotOptimize(counts);
  }
  Model3_Free(m);
}

BENCHMARK(BM_DeleteGroup)->Arg(1000)->Arg(16000)->Arg(65000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SwapGroups)->Arg(1000)->Arg(16000)->Arg(65000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CountGroupPolygons)->Arg(1000)->Arg(16000)->Arg(65000)->Unit(benchmark::kMillisecond);

}  // namespace
