// Texture coordinates of one group of 8,000 to 65,000 quads (a cylinder): the group projection of every mapping mode, the three unfolds with every face
// selected (goal at 65,000 under 20 ms each) and one step of the UV move, rotate and scale
// tools with every coordinate selected (goal under 5 ms each).
#include <math.h>
#include <string.h>

#include <vector>

#include "bench/bench_figures.h"
#include "edit3d/uv.h"
#include "model/model3.h"

namespace {

// Quads around the y axis on a grid of rings of 256 positions stacked upwards; each position
// has its own normal and UV entry, shared by the four quads around it.
Model3 *Cylinder(i32 quads) {
  Model3 *m = Model3_New();
  i32 rings = (quads + 255) / 256 + 1, n = rings * 256;
  Model3_Reserve(m, n, n, 0, 4 * quads, quads);
  m->positionCount = m->normalCount = m->uvCount = n;
  for (i32 v = 0; v < n; v++) {
    f32 a = (f32)(v % 256) * 6.2831853f / 256.0f;
    m->positions[v] = {cosf(a), (f32)(v / 256), sinf(a)};
    m->normals[v] = {cosf(a), 0, sinf(a)};
  }
  m->polygonCount = quads;
  for (i32 q = 0; q < quads; q++) {
    i32 ring = q / 256, step = q % 256;
    for (i32 k = 0; k < 4; k++) {
      u32 v = (u32)((ring + (k >= 2)) * 256 + (step + (k == 1 || k == 2)) % 256);
      m->polygons[q].corners[k] = {v, v, 0, v};
    }
    m->polygons[q].cornerCount = 4;
  }
  return m;
}

void Figure(benchmark::State &state, const char *name, double seconds, double goal) {
  char what[96];
  snprintf(what, sizeof what, "%s, %d quads: ms", name, (int)state.range(0));
  bench::Report(state, "ms", what, seconds / (double)state.iterations() * 1e3, state.range(0) >= 65000 ? goal : 0);
}

void BM_ProjectGroup(benchmark::State &state) {
  Model3 *m = Cylinder((i32)state.range(0));
  static const char *const kNames[] = {"projection front", "projection top", "projection side",
                                       "projection cylinder", "projection sphere", "projection per face"};
  u8 mode = (u8)state.range(1);
  m->groups[0].mapping = mode;
  double t = 0;
  for (auto _ : state) t += bench::Time([&] { Uv_ProjectGroup(m, 0); });
  Figure(state, kNames[mode], t, 20);
  Model3_Free(m);
}
BENCHMARK(BM_ProjectGroup)->ArgsProduct({{8000, 16000, 32000, 65000}, {0, 1, 2, 3, 4, 5}})->Unit(benchmark::kMillisecond);

void BM_Unfold(benchmark::State &state) {
  i32 quads = (i32)state.range(0);
  Model3 *m = Cylinder(quads);
  std::vector<u32> faces((size_t)quads, 1);
  static const char *const kNames[] = {"vertex unfold", "normal unfold", "cylinder unfold"};
  double t = 0;
  for (auto _ : state) {
    switch (state.range(1)) {
      case 0:
        // Every face's entries are new; the old ones, used by no face then, are dropped.
        t += bench::Time([&] {
          if (!Uv_VertexUnfold(m, faces.data(), (u32)quads)) state.SkipWithError("no room");
        });
        break;
      case 1: t += bench::Time([&] { Uv_NormalUnfold(m, faces.data(), (u32)quads); }); break;
      default: t += bench::Time([&] { Uv_CylinderUnfold(m, 0); }); break;
    }
  }
  Figure(state, kNames[state.range(1)], t, 20);
  Model3_Free(m);
}
BENCHMARK(BM_Unfold)->ArgsProduct({{8000, 16000, 32000, 65000}, {0, 1, 2}})->Unit(benchmark::kMillisecond);

void BM_UvTool(benchmark::State &state) {
  Model3 *m = Cylinder((i32)state.range(0));
  std::vector<u32> sel((size_t)m->uvCount, 1);
  u32 n = (u32)sel.size();
  static const char *const kNames[] = {"UV move step", "UV rotate step", "UV scale step"};
  double t = 0;
  for (auto _ : state) {
    switch (state.range(1)) {
      case 0: t += bench::Time([&] { Uv_MoveSelected(m, sel.data(), n, 256, 256, 3, -2); }); break;
      case 1: t += bench::Time([&] { Uv_RotateSelected(m, sel.data(), n, 410, 358, 3, -2, 1); }); break;
      default: t += bench::Time([&] { Uv_ScaleSelected(m, sel.data(), n, 3, -2, 1); }); break;
    }
  }
  Figure(state, kNames[state.range(1)], t, 5);
  Model3_Free(m);
}
BENCHMARK(BM_UvTool)->ArgsProduct({{8000, 16000, 32000, 65000}, {0, 1, 2}})->Unit(benchmark::kMillisecond);

}  // namespace

BENCH_MAIN()
