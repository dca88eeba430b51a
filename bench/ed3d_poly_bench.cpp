// Polygon modelling on quad grids of growing size up to 65,000 quads: the hover pick in
// vertex and face mode (projection of every position included), one rectangle-selection pass,
// select all, invert, the status count, and one move, rotate and scale step with every vertex
// selected. Target at 65,000 quads: each under 5 ms.
#include "tests/support/hook_at.h"
#include <benchmark/benchmark.h>
#include <string.h>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "edit3d/ed3d_poly.h"
#include "bench_grid.h"
#include "lib/framework/view_record.h"
#include "model/model3.h"

namespace {

// A grid of cols x rows quads in z = 0 around the origin, in slot 0, the 3D editor current.
Model3 *Grid(i32 quads) {
  Model3 *m = BenchGrid_Slot0(SUB_3D_POLY);
  BenchGrid_Quads(m, quads, false);
  App_AllocWorkArrays(&g_Sel);
  ViewRecord *v = g_Shell.g_Views[SUB_3D_POLY];
  v[0].inUse = 1; v[0].kind = VIEW_MAIN; v[0].clientW = 1024; v[0].clientH = 768; v[0].zoom = 3.2f;
  v[1].inUse = 1; v[1].kind = VIEW_FRONT; v[1].centerX = 200; v[1].centerY = 200; v[1].zoom = 1;
  g_Shell.g_ViewCount[SUB_3D_POLY] = 2;
  g_Shell.g_ActiveView = 0;
  return m;
}

void SelectAll(const Model3 *m, u32 flag) {
  for (i32 i = 0; i < m->polygonCount; i++) g_Sel.g_PolySelFaces[i] = flag;
  for (i32 i = 0; i < m->positionCount; i++) g_Sel.g_PolySelVerts[i] = flag;
}

void BM_HoverPick(benchmark::State &state, u32 mode) {
  Grid((i32)state.range(0));
  g_Sel.g_PolySelectMode = mode;
  g_Mouse.g_MouseX = 500;
  g_Mouse.g_MouseY = 380;
  for (auto _ : state) Ed3D_PickUnderCursor(Hook_Now());
}
void BM_HoverPickVertex(benchmark::State &state) { BM_HoverPick(state, 0); }
void BM_HoverPickFace(benchmark::State &state) { BM_HoverPick(state, 1); }

void BM_RectSelectPass(benchmark::State &state) {
  Model3 *m = Grid((i32)state.range(0));
  g_Sel.g_PolySelectMode = 1;
  g_Sel.g_PolyTool = POLY_TOOL_FACE;
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
  const ViewRecord *front = &g_Shell.g_Views[SUB_3D_POLY][1];
  for (auto _ : state) {
    Poly_FaceScratch(m, front);
    Poly_RectSelectPass(m, front, 10, 10, 300, 300);
  }
  Shell_SetButtonHeld(BUTTON_LEFT, 0);
}

void BM_SelectAll(benchmark::State &state) {
  Model3 *m = Grid((i32)state.range(0));
  SelectAll(m, 1);
  for (auto _ : state) Ed3D_PolySelectAllOrNone(&g_Sel, View_CurrentLayout());
}

void BM_Invert(benchmark::State &state) {
  Grid((i32)state.range(0));
  for (auto _ : state) Ed3D_PolyInvertSelection(Current_Model3(), &g_Sel, View_CurrentLayout());
}

void BM_StatusCount(benchmark::State &state) {
  Model3 *m = Grid((i32)state.range(0));
  SelectAll(m, 1);
  g_Sel.g_PolySelectMode = 1;
  for (auto _ : state) Ed3D_PolyStatusText(m, &g_Sel);
}

void BM_Step(benchmark::State &state, u32 tool) {
  Model3 *m = Grid((i32)state.range(0));
  SelectAll(m, 1);
  HookCtx c = Family_ShellContext();
  c.model = m;
  c.view = &g_Shell.g_Views[SUB_3D_POLY][1];
  for (auto _ : state) {
    if (tool == POLY_TOOL_MOVE) Poly_MoveStep(&c, 0, 1, -1);
    else if (tool == POLY_TOOL_ROTATE) Poly_RotateStep(&c, 1, 0, 200, 200);
    else Poly_ScaleStep(&c, 1, 0, 200, 200);
  }
}
void BM_MoveStep(benchmark::State &state) { BM_Step(state, POLY_TOOL_MOVE); }
void BM_RotateStep(benchmark::State &state) { BM_Step(state, POLY_TOOL_ROTATE); }
void BM_ScaleStep(benchmark::State &state) { BM_Step(state, POLY_TOOL_SCALE); }

#define SIZES ->Arg(1000)->Arg(16000)->Arg(65000)->Unit(benchmark::kMillisecond)
BENCHMARK(BM_HoverPickVertex) SIZES;
BENCHMARK(BM_HoverPickFace) SIZES;
BENCHMARK(BM_RectSelectPass) SIZES;
BENCHMARK(BM_SelectAll) SIZES;
BENCHMARK(BM_Invert) SIZES;
BENCHMARK(BM_StatusCount) SIZES;
BENCHMARK(BM_MoveStep) SIZES;
BENCHMARK(BM_RotateStep) SIZES;
BENCHMARK(BM_ScaleStep) SIZES;

}  // namespace
