// The motion editor's drag and key operations. On a chain of 16..128 bones with a key in
// every track: one rotate drag step with children following (restore, rotate, subtree) and
// one IK step with children following, each under 1 ms at 128 bones. On tracks of 10..1,000
// keys: create, move and delete of one key, each under 0.1 ms at 1,000 keys.
#include "tests/support/hook_at.h"
#include <benchmark/benchmark.h>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/tree.h"
#include "app/views.h"
#include "edit3d/ed3d_motion.h"
#include "lib/framework/view_record.h"
#include "lib/render/objects.h"

namespace {

// Layer 0: a chain of n bones (each the child of the one before), a key at frame 0 and at
// frame 10 in every track, the current frame 10, the pose evaluated.
void Chain(i32 n) {
  Model3_FreeAllSlots();
  g_ModelAllocArrays = 0;
  Model3 *m = Model3_Init(0);
  m->boneCount = n;
  m->keyTableLength = MODEL3_MOTIONS;
  for (i32 b = 0; b < n; b++) {
    m->bones[b].parent = b ? b - 1 : 0;
    m->boneRest[b].pos[1] = b ? 0.1f : 0.0f;
    Model3_EnsureKeyTable(m, b);
    BoneKey3 k;
    for (i32 f : {0, 10}) BoneKey3_Identity(&k, f), KeyTrack_Insert(&m->bones[b].keys[0], &k);
  }
  m->frame = 10;
  g_Sel.g_CurSlot = 0;
  g_Shell.g_EditFamily = FAMILY_PREVIEW;   // no undo steps here
  g_Shell.g_EditSubMode = SUB_3D_MOTION;
  Tree_LinkBones3D();
  Model3_BuildRestMatrices();
  Model3_EvalPoseMatrices();
}

void BM_RotateDragStep(benchmark::State &state) {
  Chain((i32)state.range(0));
  g_Shell.g_Views[SUB_3D_MOTION][1] = ViewRecord{1, 0, 0, 0, 0, 0, VIEW_FRONT};
  g_Shell.g_Views[SUB_3D_MOTION][1].zoom = 1;
  g_Shell.g_ActiveView = 1;
  g_Sel.g_CurBoneIndex = 1;
  g_Sel.g_MotionEditOp = ED3D_MOTION_TOOL_ROTATE;
  g_Ed3DMotion.childrenFollow = 1;
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
  Ed3D_MotionLButtonDown(Hook_At(0, 0));
  f32 dx = 1;
  for (auto _ : state) {
    g_Mouse.g_MouseMoveDX = dx;
    dx = -dx;
    Ed3D_MotionMouseMove(Hook_At(0, 0));
  }
  Shell_SetButtonHeld(BUTTON_LEFT, 0);
  Ed3D_MotionLButtonUp(Hook_At(0, 0));
  Model3_FreeAllSlots();
}
BENCHMARK(BM_RotateDragStep)->Arg(16)->Arg(64)->Arg(128)->Unit(benchmark::kMicrosecond);

void BM_IkStep(benchmark::State &state) {
  Chain((i32)state.range(0));
  ViewRecord side = {1, 0, 0, 0, 0, 0, VIEW_SIDE};
  side.zoom = 1;
  g_Sel.g_CurBoneIndex = 3;
  g_Ed3DMotion.childrenFollow = 1;
  Ed3D_MotionLButtonDown(Hook_At(0, 0));
  Ed3D_IkSetChain(Hook_Now(), 3);
  for (auto _ : state) {
    // A target far off, so that both joints turn on every step.
    g_Ed3DMotion.ikTarget[0] = 5000;
    g_Ed3DMotion.ikTarget[1] = 5000;
    Ed3D_IkStep(Hook_Now(), &side);
  }
  Ed3D_MotionLButtonUp(Hook_At(0, 0));
  Model3_FreeAllSlots();
}
BENCHMARK(BM_IkStep)->Arg(16)->Arg(64)->Arg(128)->Unit(benchmark::kMicrosecond);

// Create at a free frame, move it by 3, delete it: one key in and out of a long track.
void BM_CreateMoveDelete(benchmark::State &state) {
  Chain(2);
  Model3 *m = g_Model3Slots[0];
  KeyTrack *t = &m->bones[1].keys[0];
  t->count = 0;
  i32 n = (i32)state.range(0);
  BoneKey3 k;
  for (i32 i = 0; i < n; i++) BoneKey3_Identity(&k, i * 10), KeyTrack_Insert(t, &k);
  g_Sel.g_CurBoneIndex = 1;
  for (auto _ : state) {
    m->frame = n * 5 + 1;
    Ed3D_CreateBoneKey(Hook_Now());
    Ed3D_MoveKeyFrame(Hook_Now(), 3);
    m->frame += 3;
    Ed3D_DeleteKey(Hook_Now());
  }
  state.counters["ops"] = benchmark::Counter(3, benchmark::Counter::kIsIterationInvariantRate);
  Model3_FreeAllSlots();
}
BENCHMARK(BM_CreateMoveDelete)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace
