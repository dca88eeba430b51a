// Mesh operations and the per-frame model pass at full capacity: a 65,000-polygon model with
// 128 bones. Targets on one core: normals, weld, one refinement pass and automatic binding
// under 50 ms each; pose evaluation + skinning + normals under 5 ms per frame.
#include <benchmark/benchmark.h>
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
      Polygon3 *p = &m->polygons[m->polygonCount++];
      memset(p, 0, sizeof *p);
      p->cornerCount = 4;
      const i32 cx[4] = {x, x, x + 1, x + 1}, cz[4] = {z, z + 1, z + 1, z};
      for (int j = 0; j < 4; j++) {
        u32 v;
        if (shared) {
          v = (u32)(cz[j] * (w + 1) + cx[j]);
        } else {
          v = (u32)m->positionCount++;
          m->positions[v] = {(f32)cx[j], Height(cx[j], cz[j]), (f32)cz[j]};
          m->uvs[v] = {cx[j] / (f32)w, cz[j] / (f32)h};
          m->normals[v] = {0, 1, 0};
          m->colors[v] = {255, 255, 255, 255};
          m->normalCount = m->colorCount = m->uvCount = m->positionCount;
        }
        p->corners[j] = {v, v, v, v};
      }
    }
}

void BM_CalcNormalsReindexed(benchmark::State &state) {
  g_EditorMode = 1;   // the editor re-indexes the normal array every time
  Model3 *m = NewFullModel(-1);
  BuildGrid(m, kGridW, kGridH, true);
  for (auto _ : state) Model3_CalcNormals(m);
  state.counters["polygons"] = m->polygonCount;
  state.counters["normals"] = m->normalCount;
  Model3_Free(m);
}
BENCHMARK(BM_CalcNormalsReindexed)->Unit(benchmark::kMillisecond);

void BM_WeldDuplicates(benchmark::State &state) {
  g_EditorMode = 1;
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
  g_EditorMode = 1;
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

// Pose evaluation of 128 bones, two-bone skinning of every vertex and face-averaged normals;
// argument 1: corners shared (65,511 vertices), 0: four own vertices per quad (260,000).
void BM_PerFramePass(benchmark::State &state) {
  g_EditorMode = 1;
  Lib_AllocWorkBuffers(g_MaxPolygons);
  Model3 *m = NewFullModel(0);
  BuildGrid(m, kGridW, kGridH, state.range(0) != 0);
  AddBones(m);
  Model3_AutoBindVertices(m);
  for (i32 v = 0; v < m->positionCount; v++) {
    m->bindings[v].bone2 = (u16)((m->bindings[v].bone1 + 1) % MODEL3_BONES);
    m->bindings[v].weight = 0.5f;
  }
  m->poseUpdate = 1;
  m->normalUpdate = 1;
  m->renderMode = 0;
  i32 frame = 0;
  for (auto _ : state) {
    m->frame = frame++ % 60;
    Object_UpdateFrame();
  }
  state.counters["vertices"] = m->positionCount;
  state.counters["polygons"] = m->polygonCount;
  Model3_FreeSlot(0);
}
BENCHMARK(BM_PerFramePass)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
