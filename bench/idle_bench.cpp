// The idle pass of the main loop (the shell's per-frame update with nothing touched), measured
// side by side in the same iterations:
// - the 3D model family with a posed model of 8k, 16k, 32k and 65k quads, 128 bones and a
//   motion, against the empty program (a new model); goal at 65k: at most 1.5 times the
//   empty program's pass. The whole pose pass, which every idle pass once ran, for comparison.
// - the 2D model family's sub-modes with a 128-bone model: ボーン and ウエイト read the bone
//   list's marks, the others read nothing. Each read of a mark is a window message in the
//   program; here it is a fake list's answer, counted. Goal: the bone and weight sub-modes
//   within 2 points of a core of the others, with a main loop that passes once a millisecond.
#include "bench/bench_figures.h"
#include "bench/bench_grid.h"

#include <algorithm>
#include <string>
#include <vector>

#include "app/entries.h"
#include "app/shell_services.h"
#include "app/shell_view.h"
#include "app/update.h"
#include "app/widget.h"
#include "edit2d/ed2d.h"
#include "lib/framework/lib.h"
#include "lib/render/objects.h"
#include "model/bone2.h"
#include "model/keytrack.h"
#include "model/model3.h"

namespace {

// A posed model: `quads` quads bound across 128 bones, each bone turning in motion 0.
Model3 *PosedModel(i32 quads) {
  Lib_AllocWorkBuffers(g_MaxPolygons);
  Model3 *m = BenchGrid_Slot0(SUB_3D_POLY);
  BenchGrid_Quads(m, quads, true);
  BenchGrid_Bones(m);
  for (i32 v = 0; v < m->positionCount; v++) m->bindings[v] = {(u16)(1 + v % 127), (u16)(1 + (v / 7) % 127), 0.5f, 0};
  m->motion = 0;
  m->motions[0].used = 1;
  m->motions[0].length = 60;
  m->motionCount = 1;
  for (i32 b = 1; b < MODEL3_BONES; b++) {
    Model3_EnsureKeyTable(m, b);
    for (u32 f = 0; f < 60; f += 20) {
      BoneKey3 key;
      BoneKey3_Identity(&key, f);
      key.quat[2] = 0.1f * (f32)(f / 20);
      KeyTrack_Insert(&m->bones[b].keys[0], &key);
    }
  }
  m->poseUpdate = 1;
  m->normalUpdate = 1;
  m->frame = 10;
  return m;
}

// Idle passes are timed in runs of this many, as the loop makes them one after another.
const i32 kIdlePasses = 20;
void IdlePasses() {
  for (i32 i = 0; i < kIdlePasses; i++) App_UpdateFrame();
}

void SwapSlot0(Model3 **other, ModelPose **otherPose) {
  std::swap(g_Model3Slots[0], *other);
  std::swap(g_ModelPoses[0], *otherPose);
}

void BM_Idle3DModel(benchmark::State &state) {
  i32 quads = (i32)state.range(0);
  g_Shell.g_EditFamily = FAMILY_3D_MODEL;
  g_Shell.g_EditSubMode = SUB_3D_POLY;
  Model3 *posed = PosedModel(quads);
  // The empty program's model, kept aside while the posed one is in slot 0.
  Model3 *other = Model3_New();
  ModelPose *otherPose = ModelPose_New();
  double empty = 0, model = 0, whole = 0;
  for (auto _ : state) {
    // Each model is posed once when it comes into the slot; the passes after that are idle.
    SwapSlot0(&other, &otherPose);
    App_UpdateFrame();
    empty += bench::Time(IdlePasses);
    SwapSlot0(&other, &otherPose);
    App_UpdateFrame();
    model += bench::Time(IdlePasses);
    whole += bench::Time([] { Object_UpdateFrame(); });
  }
  double it = (double)state.iterations(), passes = it * kIdlePasses;
  std::string size = ", " + std::to_string(quads) + " quads";
  bench::Report(state, "us_empty", "idle pass, empty program (us)" + size, empty / passes * 1e6, 0);
  bench::Report(state, "us_model", "idle pass, posed 128-bone model (us)" + size, model / passes * 1e6, 0);
  bench::Report(state, "ratio", "idle pass, model / empty" + size, model / empty, quads == 65000 ? 1.5 : 0);
  bench::Report(state, "us_whole", "whole pose pass, as every idle pass once ran (us)" + size, whole / it * 1e6, 0);
  (void)posed;
  Model3_Free(other);
  ModelPose_Free(otherPose);
  Model3_FreeSlot(0);
}
BENCHMARK(BM_Idle3DModel)->Arg(8000)->Arg(16000)->Arg(32000)->Arg(65000)->Unit(benchmark::kMicrosecond);

// [SECTION] 2D sub-modes

// The bone list of the 2D editor: 128 lines, the fourth marked; reads are counted.
struct FakeList {
  std::vector<u8> marks = std::vector<u8>(128, 0);
  long long reads = 0;
  u32 stamp = 1;
} s_List;
int s_ListHandle;

bool ListMarked(void *, i32 line) {
  s_List.reads++;
  return line >= 0 && line < (i32)s_List.marks.size() && s_List.marks[(size_t)line];
}
u32 ListStamp(void *) { return s_List.stamp; }

const u32 kSubModes[] = {SUB_2D_POLY, SUB_2D_TEXTURE, SUB_2D_MOTION, SUB_2D_BONE, SUB_2D_WEIGHT};
const char *const kSubNames[] = {"modelling", "texture", "motion", "bone", "weight"};

void BM_Idle2DSubModes(benchmark::State &state) {
  g_Ed2D.boneList = &s_ListHandle;
  s_List.marks[3] = 1;
  g_Widget.listSelected = ListMarked;
  g_Widget.listMarksStamp = ListStamp;
  Ed2D_InstallMirror();
  Bone2Model *m = BenchGrid_Slot2D();
  BenchGrid_Quads2D(m, 64, 1, false);
  BenchGrid_Bones2D(m);
  Model3_FreeSlot(0);
  g_Shell.g_EditFamily = FAMILY_2D_MODEL;
  const size_t n = sizeof kSubModes / sizeof kSubModes[0];
  double t[n] = {};
  long long reads[n] = {};
  for (auto _ : state)
    for (size_t i = 0; i < n; i++) {
      g_Shell.g_EditSubMode = kSubModes[i];
      App_UpdateFrame();   // the sub-mode entered: its list read once
      long long before = s_List.reads;
      t[i] += bench::Time([] { App_UpdateFrame(); });
      reads[i] += s_List.reads - before;
    }
  double it = (double)state.iterations(), others = 0;
  for (size_t i = 0; i < 3; i++) others += t[i] / it / 3;
  for (size_t i = 0; i < n; i++) {
    std::string what = std::string("idle pass, 2D ") + kSubNames[i];
    bench::Report(state, "us", what + " (us)", t[i] / it * 1e6, 0);
    bench::Report(state, "reads", what + ", list reads a pass", (double)reads[i] / it, 0);
    if (i < 3) continue;
    // Points of a core over the others', for a loop that rests 1 ms between passes.
    double extra = t[i] / it - others;
    bench::Report(state, "points", what + ", % of a core over the others", extra > 0 ? extra / (1e-3 + t[i] / it) * 100 : 0, 2.0);
  }
  // The bone sub-mode reading every mark every pass, as it once did.
  g_Widget.listMarksStamp = nullptr;
  g_Shell.g_EditSubMode = SUB_2D_BONE;
  double every = 0;
  long long before = s_List.reads;
  for (i32 i = 0; i < 100; i++) every += bench::Time([] { App_UpdateFrame(); });
  bench::Report(state, "reads_every", "idle pass, 2D bone, reading every pass: list reads a pass",
                (double)(s_List.reads - before) / 100, 0);
  bench::Report(state, "us_every", "idle pass, 2D bone, reading every pass (us)", every / 100 * 1e6, 0);
  g_Widget.listSelected = nullptr;
  g_Ed2D.boneList = nullptr;
  Bone2_FreeAll();
}
BENCHMARK(BM_Idle2DSubModes)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCH_MAIN()
