// Mesh operations and the per-frame model pass at full capacity: a 65,000-polygon model with
// 128 bones. Targets on one core: normals, weld, one refinement pass and automatic binding
// under 50 ms each; the per-frame pass (pose evaluation, skinning, normals) below.
#include "bench/bench_figures.h"
#include "bench/bench_grid.h"
#include <math.h>
#include <string.h>

#include "lib/framework/lib.h"
#include "lib/render/objects.h"
#include "model/mesh.h"
#include "model/model3.h"
#include "model/motion.h"

namespace {

const i32 kGridW = 260, kGridH = 250;   // 65,000 quads

f32 Height(i32 x, i32 z) { return sinf(x * 0.07f) * cosf(z * 0.05f) * 3.0f; }

Model3 *NewFullModel(i32 slot) {
  g_ModelAllocArrays = 1;
  return slot >= 0 ? Model3_Init(slot) : Model3_New();
}

// 128 bones spread over the grid, each with four keys in motion 0.
void AddBones(Model3 *m) {
  m->boneCount = MODEL3_BONES;
  for (i32 b = 1; b < MODEL3_BONES; b++) {
    m->bones[b].parent = b < 16 ? 0 : (b % 16);
    m->boneRest[b].pos[0] = (f32)(b % 16) * (kGridW / 16.0f) - (b >= 16 ? (f32)(b % 16) * (kGridW / 16.0f) : 0);
    m->boneRest[b].pos[2] = (f32)(b / 16) * (kGridH / 8.0f);
    KeyTrack *t = &m->bones[b].keys[0];
    for (i32 k = 0; k < 4; k++) {
      BoneKey3 key;
      BoneKey3_Identity(&key, k * 15);
      key.pos[1] = 0.1f * k;
      f32 h = 0.05f * (k + 1), s = sinf(h), c = cosf(h);
      key.quat[0] = 0;
      key.quat[1] = s;
      key.quat[2] = 0;
      key.quat[3] = c;
      KeyTrack_Insert(t, &key);
    }
  }
}

// A grid of quads; with shared corners (welded) or four own corners per quad.
void BuildGrid(Model3 *m, i32 w, i32 h, bool shared) {
  m->positionCount = m->normalCount = m->colorCount = m->uvCount = 0;
  m->polygonCount = 0;
  if (shared) {
    for (i32 z = 0; z <= h; z++)
      for (i32 x = 0; x <= w; x++) {
        i32 v = m->positionCount++;
        m->positions[v] = {(f32)x, Height(x, z), (f32)z};
        m->uvs[v] = {x / (f32)w, z / (f32)h};
        m->normals[v] = {0, 1, 0};
        m->colors[v] = {255, 255, 255, 255};
      }
    m->normalCount = m->colorCount = m->uvCount = m->positionCount;
  }
  for (i32 z = 0; z < h; z++)
    for (i32 x = 0; x < w; x++) {
      if (!shared) {
        BenchGrid_OwnCornerQuad(m, x, z, w, h, Height);
        continue;
      }
      Polygon3 *p = &m->polygons[m->polygonCount++];
      memset(p, 0, sizeof *p);
      p->cornerCount = 4;
      const u32 v = (u32)(z * (w + 1) + x), c[4] = {v, v + (u32)w + 1, v + (u32)w + 2, v + 1};
      for (int j = 0; j < 4; j++) p->corners[j] = {c[j], c[j], c[j], c[j]};
    }
}

void BM_CalcNormalsReindexed(benchmark::State &state) {
  g_Model3Edited = 1;   // the editor re-indexes the normal array every time
  Model3 *m = NewFullModel(-1);
  BuildGrid(m, kGridW, kGridH, true);
  for (auto _ : state) Model3_CalcNormals(m);
  state.counters["polygons"] = m->polygonCount;
  state.counters["normals"] = m->normalCount;
  Model3_Free(m);
}
BENCHMARK(BM_CalcNormalsReindexed)->Unit(benchmark::kMillisecond);

void BM_WeldDuplicates(benchmark::State &state) {
  g_Model3Edited = 1;
  Model3 *source = NewFullModel(-1), *m = NewFullModel(-1);
  BuildGrid(source, kGridW, kGridH, false);   // 260,000 corners with their own entries
  for (auto _ : state) {
    state.PauseTiming();
    Model3_Copy(source, m, 0);
    state.ResumeTiming();
    Model3_WeldDuplicates(m);
  }
  state.counters["positions_after"] = m->positionCount;
  Model3_Free(source);
  Model3_Free(m);
}
BENCHMARK(BM_WeldDuplicates)->Unit(benchmark::kMillisecond);

// The refinement pass of the quads that fit: 15,000 quads become 60,000 (255,251 positions).
void BM_SubdivideOnePass(benchmark::State &state) {
  g_Model3Edited = 1;
  Model3 *source = NewFullModel(-1), *m = NewFullModel(-1);
  BuildGrid(source, 150, 100, true);
  for (auto _ : state) {
    state.PauseTiming();
    Model3_Copy(source, m, 0);
    state.ResumeTiming();
    if (!Model3_Subdivide(m)) state.SkipWithError("the pass did not fit");
  }
  state.counters["polygons_after"] = m->polygonCount;
  state.counters["positions_after"] = m->positionCount;
  Model3_Free(source);
  Model3_Free(m);
}
BENCHMARK(BM_SubdivideOnePass)->Unit(benchmark::kMillisecond);

void BM_AutoBindVertices(benchmark::State &state) {
  Model3 *m = NewFullModel(-1);
  BuildGrid(m, kGridW, kGridH, false);   // 260,000 positions, all automatic
  AddBones(m);
  for (auto _ : state) Model3_AutoBindVertices(m);
  state.counters["positions"] = m->positionCount;
  Model3_Free(m);
}
BENCHMARK(BM_AutoBindVertices)->Unit(benchmark::kMillisecond);

// Pose evaluation of 128 bones, two-bone skinning of every vertex and face-averaged normals at
// 8k, 16k, 32k and 65k quads; corners shared (65,511 vertices at 65k) or four own vertices per
// quad (260,000). Goals at 65k: under 1 ms shared, under 2 ms with own corners. A memcpy of the
// positions is timed in the same iterations (memory's pace for the same bytes).
Model3 *PosedModel(i32 polygons, bool shared) {
  g_Model3Edited = 1;
  Lib_AllocWorkBuffers(g_MaxPolygons);
  Model3 *m = NewFullModel(0);
  BuildGrid(m, kGridW, polygons / kGridW, shared);
  AddBones(m);
  Model3_AutoBindVertices(m);
  for (i32 v = 0; v < m->positionCount; v++) {
    m->bindings[v].bone2 = (u16)((m->bindings[v].bone1 + 1) % MODEL3_BONES);
    m->bindings[v].weight = 0.5f;
  }
  m->poseUpdate = 1;
  m->normalUpdate = 1;
  m->renderMode = 0;
  return m;
}

void BM_PerFramePass(benchmark::State &state) {
  bool shared = state.range(1) != 0;
  Model3 *m = PosedModel((i32)state.range(0), shared);
  bench::CopyRef copy((size_t)m->positionCount * sizeof(Vec3));
  i32 frame = 0;
  double pass = bench::TimeAgainstCopy(state, copy, [&] {
    m->frame = frame++ % 60;
    Object_UpdateFrame();
  });
  char what[96];
  snprintf(what, sizeof what, "per-frame pass %dk %s (%d vertices): ms", (int)(state.range(0) / 1000),
           shared ? "shared" : "unshared", m->positionCount);
  state.counters["vertices"] = m->positionCount;
  bench::Report(state, "ms", what, pass / state.iterations() * 1e3, shared ? 1.0 : 2.0);
  Model3_FreeSlot(0);
}
BENCHMARK(BM_PerFramePass)
    ->ArgsProduct({{8000, 16000, 32000, 65000}, {1, 0}})
    ->Unit(benchmark::kMillisecond);

// The skinning alone, nanoseconds a vertex.
void BM_Skinning(benchmark::State &state) {
  Model3 *m = PosedModel((i32)state.range(0), false);
  Object_UpdateFrame();
  double t = 0;
  for (auto _ : state) t += bench::Time([&] { Object_SkinModel(0); });
  char what[96];
  snprintf(what, sizeof what, "skinning %d vertices: ns a vertex", m->positionCount);
  bench::Report(state, "ns_per_vertex", what, t / state.iterations() / m->positionCount * 1e9, 0);
  Model3_FreeSlot(0);
}
BENCHMARK(BM_Skinning)->Arg(65000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCH_MAIN()
