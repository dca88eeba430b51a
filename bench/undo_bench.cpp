// The undo history at full size: recording a model into a full history (the oldest step's
// snapshot rotated to the end and overwritten) and one undo (a whole restore), for models of
// about 4,000, 16,000 and 65,000 quads with four own corners each (up to 260,000 positions)
// and 128 bones with keys in every motion slot used. Target: each under 50 ms.
#include <benchmark/benchmark.h>
#include <math.h>
#include <string.h>

#include "app/current.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "bench/bench_grid.h"
#include "app/shell_services.h"
#include "edit3d/undo.h"
#include "model/model3.h"

namespace {

const i32 kGridW = 260;

f32 Ripple(i32 x, i32) { return sinf(x * 0.07f); }

void BuildModel(Model3 *m, i32 h) {
  m->positionCount = m->normalCount = m->colorCount = m->uvCount = 0;
  m->polygonCount = 0;
  for (i32 z = 0; z < h; z++)
    for (i32 x = 0; x < kGridW; x++) {
      Polygon3 *p = BenchGrid_OwnCornerQuad(m, x, z, kGridW, h, Ripple);
      for (int j = 0; j < 4; j++) m->bindings[p->corners[j].vertex] = {(u16)(x % MODEL3_BONES), 0, 1.0f, 1};
    }
  m->boneCount = MODEL3_BONES;
  for (i32 b = 1; b < MODEL3_BONES; b++) {
    m->bones[b].parent = b / 2;
    for (i32 mo = 0; mo < m->motionCount; mo++) {
      KeyTrack *t = &m->bones[b].keys[mo];
      for (i32 k = 0; k < 8; k++) {
        BoneKey3 key;
        BoneKey3_Identity(&key, k * 8);
        key.pos[1] = 0.1f * k;
        KeyTrack_Insert(t, &key);
      }
    }
  }
}

// Slot 0 holds the model and its history is full (every snapshot allocated).
Model3 *FullHistory(i32 h) {
  g_Shell.g_EditFamily = FAMILY_3D_MODEL;
  g_Sel.g_CurSlot = 0;
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_Init(0);
  m->motionCount = 4;
  BuildModel(m, h);
  Undo_ResetAll();
  for (i32 i = 0; i < UNDO_STEPS; i++) Undo_Push(Undo_Current());
  return m;
}

void BM_UndoPushIntoFullHistory(benchmark::State &state) {
  Model3 *m = FullHistory((i32)state.range(0));
  for (auto _ : state) Undo_Push(Undo_Current());
  state.counters["polygons"] = m->polygonCount;
  state.counters["positions"] = m->positionCount;
  Model3_FreeSlot(0);
}
BENCHMARK(BM_UndoPushIntoFullHistory)->Arg(16)->Arg(64)->Arg(250)->Unit(benchmark::kMillisecond);

void BM_UndoOneStep(benchmark::State &state) {
  Model3 *m = FullHistory((i32)state.range(0));
  UndoHistory *h = Undo_Current();
  for (auto _ : state) {
    Undo_Undo(h);   // restores step 8
    state.PauseTiming();
    h->index = UNDO_STEPS - 1;
    state.ResumeTiming();
  }
  state.counters["polygons"] = m->polygonCount;
  Model3_FreeSlot(0);
}
BENCHMARK(BM_UndoOneStep)->Arg(16)->Arg(64)->Arg(250)->Unit(benchmark::kMillisecond);

}  // namespace
