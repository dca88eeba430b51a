// The 2D skin's per-frame pass against the 3D one, at several sizes up to a 64,770-quad skin
// (65,280 vertices) with 128 bones and every vertex blended between two bones:
// - the whole 2D skin against the 3D skinning of as many vertices, nanoseconds a vertex, timed
//   in the same iterations; goal: the 2D one at most twice the 3D one;
// - the idle pass (the shell's frame passes with nothing changed) with the 2D model shown and
//   with no 2D model, timed in the same iterations; goal: the difference under 2 % of a core
//   for a main loop that passes once a millisecond (Sleep(1) and the pass), and the whole skin
//   every pass, as the pass once did, for comparison;
// - a pass at a frame of a motion that moves one bone.
#include "bench/bench_figures.h"
#include "bench/bench_grid.h"

#include "app/shell_services.h"
#include "app/shell_view.h"
#include "lib/framework/lib.h"
#include "lib/render/objects.h"
#include "model/bone2.h"
#include "model/model3.h"

namespace {

const i32 kLargestRows = 254;   // 254 x 255 quads: 64,770 quads, 65,280 vertices

Bone2Model *Skin2D(i32 rows) {
  Bone2Model *m = BenchGrid_Slot2D();
  BenchGrid_Quads2D(m, rows, 1, false);
  BenchGrid_Bones2D(m);
  for (i32 v = 0; v < m->vertexCount; v++) m->bindings[v] = {(u16)(1 + v % 127), (u16)(1 + (v / 7) % 127), 0.5f, 0};
  for (i32 b = 1; b < BONE2_MAX_BONES; b++) m->rest[b].angle = (f32)(b % 30);
  Bone2_SkinAll();
  return m;
}

// A 3D model of as many vertices, bound the same way, its pose evaluated.
Model3 *Skin3D(i32 vertices) {
  Lib_AllocWorkBuffers(g_MaxPolygons);
  Model3 *m = BenchGrid_Slot0(SUB_3D_POLY);
  BenchGrid_Bones(m);
  for (i32 v = 0; v < vertices; v++) {
    m->positions[v] = {(f32)(v % 256) * 0.1f, (f32)(v / 256) * 0.1f, 0.0f};
    m->bindings[v] = {(u16)(1 + v % 127), (u16)(1 + (v / 7) % 127), 0.5f, 0};
  }
  m->positionCount = vertices;
  m->poseUpdate = 1;
  Object_UpdateFrame();
  return m;
}

std::string Sized(const char *what, i32 vertices) { return std::string(what) + ", " + std::to_string(vertices) + " vertices"; }

void BM_WholeSkin2DAgainst3D(benchmark::State &state) {
  i32 rows = (i32)state.range(0);
  Bone2Model *m2 = Skin2D(rows);
  i32 nv = m2->vertexCount;
  Skin3D(nv);
  double t2 = 0, t3 = 0;
  for (auto _ : state) {
    t2 += bench::Time([] { Bone2_SkinSlot(0); });
    t3 += bench::Time([] { Object_SkinModel(0); });
  }
  double n = (double)state.iterations() * nv;
  bench::Report(state, "ns2D", Sized("2D skin, whole (ns a vertex)", nv), t2 / n * 1e9, 0);
  bench::Report(state, "ns3D", Sized("3D skin, whole (ns a vertex)", nv), t3 / n * 1e9, 0);
  bench::Report(state, "ratio", Sized("2D skin / 3D skin a vertex", nv), t2 / t3, 2.0);
  Model3_FreeSlot(0);
  Bone2_FreeAll();
}
BENCHMARK(BM_WholeSkin2DAgainst3D)->Arg(32)->Arg(64)->Arg(128)->Arg(kLargestRows)->Unit(benchmark::kMillisecond);

// The idle pass with the model shown and with slot 0 hidden (as if no 2D model), alternately in
// the same iterations, and the whole skin the pass once did every time.
void BM_IdlePass(benchmark::State &state) {
  i32 rows = (i32)state.range(0);
  Bone2Model *m = Skin2D(rows);
  Model3_FreeSlot(0);
  App_FramePasses();
  double with = 0, without = 0, whole = 0;
  for (auto _ : state) {
    g_Bone2SlotShown[0] = 1;
    with += bench::Time([] { App_FramePasses(); });
    g_Bone2SlotShown[0] = 0;
    without += bench::Time([] { App_FramePasses(); });
    g_Bone2SlotShown[0] = 1;
    whole += bench::Time([] { Bone2_SkinSlot(0); });
  }
  double it = (double)state.iterations();
  i32 nv = m->vertexCount;
  bench::Report(state, "us_with", Sized("idle pass with the 2D model (us)", nv), with / it * 1e6, 0);
  bench::Report(state, "us_without", Sized("idle pass without a 2D model (us)", nv), without / it * 1e6, 0);
  // Points of a core: the extra time per pass over a loop period of 1 ms plus the pass.
  double extra = (with - without) / it;
  bench::Report(state, "points", Sized("idle 2D model, extra % of a core", nv), extra > 0 ? extra / (1e-3 + with / it) * 100 : 0, 2.0);
  bench::Report(state, "points_whole", Sized("whole skin every pass, % of a core", nv), whole / it / (1e-3 + whole / it) * 100, 0);
  Bone2_FreeAll();
}
BENCHMARK(BM_IdlePass)->Arg(32)->Arg(64)->Arg(128)->Arg(kLargestRows)->Unit(benchmark::kMicrosecond);

// A pass at the next frame of a motion that moves one bone (playback): only that bone's
// vertices are skinned again.
void BM_OneBoneMoved(benchmark::State &state) {
  Bone2Model *m = Skin2D((i32)state.range(0));
  Bone2Track *t = Bone2_Track(m, 5, 0);
  if (!t || !Bone2Track_Reserve(t, 2)) return state.SkipWithError("no track");
  t->keys[0] = {0, 0, 0, 0, 1, 1};
  t->keys[1] = {30, 10, 0, 45, 1, 1};
  t->count = 2;
  double t0 = 0;
  for (auto _ : state) {
    m->currentFrame = (m->currentFrame + 1) % 60;
    t0 += bench::Time([] { Bone2_SkinAll(); });
  }
  bench::Report(state, "us", Sized("pass at a frame moving one bone (us)", m->vertexCount), t0 / state.iterations() * 1e6, 0);
  Bone2_FreeAll();
}
BENCHMARK(BM_OneBoneMoved)->Arg(kLargestRows)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCH_MAIN()
