// A measuring run of the running program, not a test: with MIRAVEL_MEASURE_OVERLAY naming a
// large KZP file (tools/samples --grid 65000 FILE writes one), the program opens it and
// prints, for every 3D sub-mode with everything selected, each view's model render and editor
// drawing, the time all views take to be drawn again after one step of a drag (moving every
// selected face in the Front view, turning the camera in the main view), and the main view's
// frame in each render mode with the edge outline on against an empty scene. Skipped without
// the variable; run alone: wintest_edit3d --gtest_filter=OverlayMeasure*.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <string>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "bench/bench_grid.h"
#include "edit2d/ed2d.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_poly.h"
#include "lib/draw/drawwire.h"
#include "lib/framework/frametime.h"
#include "model/bone2.h"
#include "model/model3.h"
#include "wine_drive.h"

namespace {

f64 NowMs() {
  LARGE_INTEGER f, c;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&c);
  return (f64)c.QuadPart * 1000.0 / (f64)f.QuadPart;
}

u32 s_DrawnViews;   // views a 2D family draws (the main view only); 0: every view in use

u32 ViewsInUse() {
  if (s_DrawnViews) return s_DrawnViews;
  u32 n = 0;
  // Only the views with a window are drawn (object motion has the main view alone).
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++) {
    const ViewRecord &v = g_Shell.g_Views[g_Shell.g_EditSubMode][i];
    n += v.inUse == 1 && (i == 0 || v.window);
  }
  return n;
}

// Milliseconds until every view of the layout has been presented again after `step`.
f64 UntilAllDrawn(void (*step)(void)) {
  memset(g_FrameTimes.seen, 0, sizeof g_FrameTimes.seen);
  f64 t0 = NowMs();
  step();
  u32 views = ViewsInUse();
  Drive_PumpUntil([&] {
    u32 n = 0;
    for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++) n += g_FrameTimes.seen[i];
    return n >= views;
  }, 5000);
  return NowMs() - t0;
}

void MarkAll() { App_MarkAllRedraw(); }

// The least of each figure over the redraws since ResetLeast: a shared machine's other work
// only ever adds to a figure.
struct Least {
  f64 all, model[VIEWS_PER_LAYOUT], editor[VIEWS_PER_LAYOUT], frame[VIEWS_PER_LAYOUT];
  bool seen[VIEWS_PER_LAYOUT];
};
Least s_Least;

void ResetLeast() {
  s_Least.all = 1e30;
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++)
    s_Least.model[i] = s_Least.editor[i] = s_Least.frame[i] = 1e30, s_Least.seen[i] = false;
}

void TakeLeast(f64 allMs) {
  s_Least.all = allMs < s_Least.all ? allMs : s_Least.all;
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++) {
    if (!g_FrameTimes.seen[i]) continue;
    s_Least.seen[i] = true;
    f64 m = g_FrameTimes.phaseMs[i][FRAMETIME_MODEL], e = g_FrameTimes.phaseMs[i][FRAMETIME_EDITOR], f = g_FrameTimes.frameMs[i];
    s_Least.model[i] = m < s_Least.model[i] ? m : s_Least.model[i];
    s_Least.editor[i] = e < s_Least.editor[i] ? e : s_Least.editor[i];
    s_Least.frame[i] = f < s_Least.frame[i] ? f : s_Least.frame[i];
  }
}

void PrintLeast(const char *what) {
  static const char *const kKinds[] = {"main", "front", "top", "side", "pers"};
  printf("%-34s all views %7.1f ms |", what, s_Least.all);
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++) {
    const ViewRecord &v = g_Shell.g_Views[g_Shell.g_EditSubMode][i];
    if (v.inUse != 1 || !s_Least.seen[i]) continue;
    printf(" %s model %.1f editor %.1f frame %.1f |", kKinds[v.kind < 5 ? v.kind : 0], s_Least.model[i], s_Least.editor[i],
           s_Least.frame[i]);
  }
  printf("\n");
  fflush(stdout);
}

// The least figures of five redraws of every view.
void PrintLeastOfFive(const char *what) {
  ResetLeast();
  for (int i = 0; i < 5; i++) TakeLeast(UntilAllDrawn(MarkAll));
  PrintLeast(what);
}

// A sub-mode drawn with every line and mark, then with those that later ones hide left out.
void MeasureBothWays(const char *what) {
  for (u32 off : {1u, 0u}) {
    g_DrawWireOff = off;
    UntilAllDrawn(MarkAll);
    PrintLeastOfFive((std::string(what) + (off ? " (all drawn)" : " (hidden left out)")).c_str());
  }
}

void SelectAll(Model3 *m) {
  for (i32 i = 0; i < m->positionCount && (u32)i < App_WorkVertCount(); i++) g_Sel.g_PolySelVerts[i] = 1;
  for (i32 i = 0; i < m->polygonCount && (u32)i < App_WorkFaceCount(); i++) g_Sel.g_PolySelFaces[i] = 1;
}

HWND ViewWindow(u32 kind, i32 *index) {
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++) {
    ViewRecord &v = g_Shell.g_Views[g_Shell.g_EditSubMode][i];
    if (v.inUse == 1 && v.kind == kind) {
      *index = (i32)i;
      return (HWND)(v.window ? v.window : g_Lib.mainWnd);
    }
  }
  return nullptr;
}

HWND s_DragWindow;
i32 s_DragX;
UINT s_DragButton;
void DragStep() {
  s_DragX += 4;
  SendMessageA(s_DragWindow, WM_MOUSEMOVE, s_DragButton, MAKELPARAM(s_DragX, 60));
}

}  // namespace

TEST(OverlayMeasure, SubModesDragsAndRenderModes) {
  char path[MAX_PATH];
  if (!GetEnvironmentVariableA("MIRAVEL_MEASURE_OVERLAY", path, sizeof path)) GTEST_SKIP();
  for (auto &layout : g_AppShell.panels)
    for (WindowHolder &h : layout) h.window = nullptr;
  ASSERT_TRUE(Drive_OwnSettings("miravel_settings_measure"));
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", "1");
  Undo_InstallWin();
  Ed3D_InstallWin();
  std::string cmd = std::string("\"") + path + "\"";
  ASSERT_TRUE(App_Startup(GetModuleHandleA(nullptr), cmd.c_str()));
  g_FrameTimes.on = 1;
  Drive_Pump(100);
  Model3 *m = g_Model3Slots[0];
  ASSERT_NE(m, nullptr);
  printf("model: %d quads, %d positions\n", m->polygonCount, m->positionCount);

  struct Mode {
    const char *what;
    u32 button, selectMode;
  };
  const Mode modes[] = {{"polygon, vertices", IDC_M3D_POLY, 0}, {"polygon, faces", IDC_M3D_POLY, 1},
                        {"texture, faces", IDC_M3D_TEXTURE, 1}, {"bone", IDC_M3D_BONE, 0},
                        {"weight", IDC_M3D_WEIGHT, 0}, {"motion", IDC_M3D_MOTION, 0},
                        {"object motion", IDC_M3D_OBJECT, 0}};
  for (const Mode &md : modes) {
    if (Ed3D_ModeButtonSubMode(md.button) != g_Shell.g_EditSubMode) Ed3D_ModeCommand(md.button);
    Drive_Pump(20);
    g_Sel.g_PolySelectMode = md.selectMode;
    SelectAll(g_Model3Slots[0]);
    MeasureBothWays(md.what);
    Drive_Hold("MIRAVEL_MEASURE_HOLD");   // seconds to look at each sub-mode
  }

  // One step of two drags with every face selected: T moving them in the Front view, and the
  // right button turning the camera in the main view.
  Ed3D_ModeCommand(IDC_M3D_POLY);
  Drive_Pump(20);
  g_Sel.g_PolySelectMode = 1;
  SelectAll(g_Model3Slots[0]);
  g_Sel.g_PolyTool = POLY_TOOL_MOVE;
  struct Drag {
    const char *what;
    u32 kind;
    UINT down, flag, up;
  };
  const Drag drags[] = {{"drag: move faces in Front", VIEW_FRONT, WM_LBUTTONDOWN, MK_LBUTTON, WM_LBUTTONUP},
                        {"drag: turn the main view", VIEW_MAIN, WM_RBUTTONDOWN, MK_RBUTTON, WM_RBUTTONUP}};
  for (const Drag &d : drags) {
    i32 index = -1;
    s_DragWindow = ViewWindow(d.kind, &index);
    ASSERT_NE(s_DragWindow, nullptr);
    s_DragX = 60;
    s_DragButton = d.flag;
    SendMessageA(s_DragWindow, d.down, d.flag, MAKELPARAM(s_DragX, 60));
    for (u32 off : {1u, 0u}) {
      g_DrawWireOff = off;
      UntilAllDrawn(DragStep);
      ResetLeast();
      for (int i = 0; i < 4; i++) TakeLeast(UntilAllDrawn(DragStep));
      PrintLeast((std::string(d.what) + (off ? " (all drawn)" : " (hidden left out)")).c_str());
    }
    SendMessageA(s_DragWindow, d.up, 0, MAKELPARAM(s_DragX, 60));
    Drive_Pump(10);
  }

  // The main view's frame in each render mode with the edge outline on, against no model.
  memset(g_Sel.g_PolySelFaces, 0, sizeof(u32) * (size_t)m->polygonCount);
  m = g_Model3Slots[0];
  m->shown = 0;
  f64 empty = 0;
  for (int i = 0; i < 3; i++) UntilAllDrawn(MarkAll), empty = g_FrameTimes.frameMs[0];
  printf("main view, empty scene: frame %.1f ms\n", empty);
  m->shown = 1;
  m->immediate = 1;
  for (u32 mode = 0; mode < 8; mode++) {
    if (!Model3_SetRenderMode(m, mode)) continue;
    f64 frame = 0, model = 0;
    for (int i = 0; i < 3; i++)
      UntilAllDrawn(MarkAll), frame = g_FrameTimes.frameMs[0], model = g_FrameTimes.phaseMs[0][FRAMETIME_MODEL];
    printf("main view, render mode %u, edge on: frame %.1f ms (%.1f x empty), model render %.1f ms\n", mode, frame,
           empty > 0 ? frame / empty : 0.0, model);
  }
  fflush(stdout);

  // The 2D sub-modes on rows of 255 quads of 2 x 2 pixels, 128 bones, every vertex bound.
  Doc_ClearChanged(DOC_MODEL3);   // the drags edited the model: leave without the question
  Drive_Command(g_EditDlg.window, IDC_EDIT_2D_MODEL);
  Drive_Pump(20);
  ASSERT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_2D_MODEL);
  const i32 rows = 254;
  g_MaxVertices = 65535;
  g_MaxPolygons = 65000;
  g_ModelAllocArrays = 1;
  Bone2Model *b2 = Bone2_Init(0);
  ASSERT_NE(b2, nullptr);
  g_Bone2SlotShown[0] = 1;
  b2->placeX = 320;
  b2->placeY = 240;
  BenchGrid_Quads2D(b2, rows, 5, false);
  BenchGrid_Bones2D(b2);
  printf("2D model: %d quads, %d vertices\n", b2->polygonCount, b2->vertexCount);
  s_DrawnViews = 1;
  const Mode modes2[] = {{"2D polygon, vertices", IDC_M2D_POLY, 0}, {"2D polygon, faces", IDC_M2D_POLY, 1},
                         {"2D bone", IDC_M2D_BONE, 0}, {"2D weight", IDC_M2D_WEIGHT, 0},
                         {"2D motion", IDC_M2D_MOTION, 0}};
  for (const Mode &md : modes2) {
    if (g_Shell.g_EditSubMode != SUB_2D_POLY || md.button != IDC_M2D_POLY) Drive_Press2D((int)md.button);
    App_AllocWorkArrays();
    g_Sel.g_CurBoneIndex = 5;
    g_Sel.g_PolySelectMode = md.selectMode;
    for (i32 i = 0; i < b2->vertexCount && (u32)i < App_WorkVertCount(); i++) g_Sel.g_PolySelVerts[i] = 1;
    for (i32 i = 0; i < b2->polygonCount && (u32)i < App_WorkFaceCount(); i++) g_Sel.g_PolySelFaces[i] = 1;
    MeasureBothWays(md.what);
  }
  s_DrawnViews = 0;
}
