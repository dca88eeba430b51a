// The 2D bone editor's skin rebinding, run on every drag move: automatic vertices (1,024 to
// 65,535) each matched against every bone (8 to 128). Target: under 20 ms at 65,535 vertices
// and 128 bones.
#include <benchmark/benchmark.h>
#include <math.h>

#include "app/current.h"
#include "edit2d/ed2d.h"
#include "model/bone2.h"
#include "model/model3.h"

namespace {

void BM_RebindSkin(benchmark::State &state) {
  i32 verts = (i32)state.range(0), bones = (i32)state.range(1);
  g_MaxVertices = 65535;
  g_MaxPolygons = 65000;
  g_ModelAllocArrays = 1;
  Bone2Model *m = Bone2_Init(0);
  if (!m) {
    state.SkipWithError("no model");
    return;
  }
  g_Bone2SlotShown[0] = 1;
  m->boneCount = bones;
  for (i32 b = 1; b < bones; b++) {
    m->bones[b].parent = b > 1 && b % 3 == 0 ? b - 1 : 0;
    m->rest[b].x = (f32)(b * 7 % 300) - 150.0f;
    m->rest[b].y = (f32)(b * 13 % 200) - 100.0f;
  }
  m->vertexCount = (u16)verts;
  for (i32 v = 0; v < verts; v++) {
    m->positions[v] = {(f32)(v % 256) - 128.0f, (f32)(v / 256) - 128.0f};
    m->bindings[v] = {0, 0, 1.0f, 1};
  }
  for (auto _ : state) {
    Ed2D_RebindSkin(Current_Bone2Edited());
    benchmark::DoNotOptimize(m->bindings[verts - 1].bone1);
  }
  Bone2_FreeAll();
}
BENCHMARK(BM_RebindSkin)->Args({1024, 128})->Args({16384, 128})->Args({65535, 8})->Args({65535, 128})
    ->Unit(benchmark::kMillisecond);

}  // namespace
