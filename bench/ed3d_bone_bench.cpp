// Bones of the 3D editor on quad grids of growing size up to 65,000 quads with 128 bones: one
// bone drag step (offset, children, automatic binding of every vertex), one weight apply with
// every vertex selected (automatic, so the binding runs over all of them) and one box-selection
// pass of the weight sub-mode. Targets at 65,000 quads: drag step and weight apply under 50 ms,
// the box pass under 5 ms.
#include "tests/support/hook_at.h"
#include <benchmark/benchmark.h>
#include <string.h>

#include "app/current.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "edit3d/bone.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/ed3d_poly.h"
#include "lib/framework/view_record.h"
#include "lib/render/objects.h"
#include "bench_grid.h"
#include "model/mesh.h"
#include "model/model3.h"

namespace {

// A grid of 250-wide rows of quads in z = 0 in slot 0, bones 1..127 spread over it in a chain
// of rows (each bone the child of the one before, every sixteenth a child of bone 0).
Model3 *Grid(i32 quads, u32 subMode) {
  Model3 *m = BenchGrid_Slot0(subMode);
  BenchGrid_Quads(m, quads, false);
  Model3_FreshBindings(m, 0, m->positionCount);
  BenchGrid_Bones(m);
  App_AllocWorkArrays(&g_Sel);
  ViewRecord *v = g_Shell.g_Views[subMode];
  v[1].inUse = 1; v[1].kind = VIEW_FRONT; v[1].centerX = 400; v[1].centerY = 300; v[1].zoom = 1;
  g_Shell.g_ViewCount[subMode] = 2;
  g_Shell.g_ActiveView = 1;
  Object_UpdateFrame();
  return m;
}

void BM_BoneDragStep(benchmark::State &state) {
  Grid((i32)state.range(0), SUB_3D_BONE);
  g_Sel.g_CurBoneIndex = 40;
  Ed3DBoneEditor.childrenFollow = 0;
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
  DragAnchor_PressAll(Hook_At(100, 100));
  i32 x = 100;
  for (auto _ : state) {
    x = x == 100 ? 101 : 100;
    Ed3D_BoneMouseMove(Hook_At(x, 100));
  }
  Shell_SetButtonHeld(BUTTON_LEFT, 0);
}

void BM_WeightApplyAll(benchmark::State &state) {
  Model3 *m = Grid((i32)state.range(0), SUB_3D_WEIGHT);
  for (i32 i = 0; i < m->positionCount; i++) g_Sel.g_PolySelVerts[i] = 1;
  for (auto _ : state) {
    Ed3D_WeightApplyModel(m, g_Sel.g_PolySelVerts, Poly_VertFlagRoom(), 0, 0, 1.0f);
    Model3_AutoBindVertices(m);
  }
}

void BM_WeightBoxPass(benchmark::State &state) {
  Model3 *m = Grid((i32)state.range(0), SUB_3D_WEIGHT);
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
  const ViewRecord *front = &g_Shell.g_Views[SUB_3D_WEIGHT][1];
  for (auto _ : state) Ed3D_WeightBoxPass(m, front, 100, 100, 500, 400);
  Shell_SetButtonHeld(BUTTON_LEFT, 0);
}

#define SIZES ->Arg(1000)->Arg(16000)->Arg(65000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_BoneDragStep) SIZES;
BENCHMARK(BM_WeightApplyAll) SIZES;
BENCHMARK(BM_WeightBoxPass) SIZES;

}  // namespace
