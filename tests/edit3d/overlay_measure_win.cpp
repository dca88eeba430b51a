// A measuring run of the running program, not a test: with MIRAVEL_MEASURE_OVERLAY naming a
// large KZP file (tools/samples --grid 65000 FILE writes one), the program opens it and
// prints, for every 3D sub-mode with everything selected, each view's model render and editor
// drawing, the time all views take to be drawn again after one step of a drag (moving every
// selected face in the Front view, turning the camera in the main view), and the main view's
// frame in each render mode with the edge outline on against an empty scene. Each view's
// figures: model render, editor drawing, present and the whole frame, the least of several
// redraws (MIRAVEL_MEASURE_REPS of them). Skipped without the variable; run alone:
// wintest_edit3d --gtest_filter=OverlayMeasure*.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "bench/bench_grid.h"
#include "edit2d/ed2d.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_poly.h"
#include "lib/draw/drawwire.h"
#include "lib/framework/frametime.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/framework/d3dapp.h"
#include "lib/render/modeldraw.h"
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

int EnvInt(const char *name, int fallback) {
  char v[32];
  if (!GetEnvironmentVariableA(name, v, sizeof v)) return fallback;
  int n = atoi(v);
  return n > 0 ? n : fallback;
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

u32 s_Presents;   // frames presented by the last UntilAllDrawn

// Where the last UntilAllDrawn's time went besides the frames: the step itself, the idle
// passes less the frames drawn in them, and the passes that took a message (with their count).
struct Outside {
  f64 step, idle, messages;
  u32 idlePasses, messagePasses;
};
Outside s_Outside;

u32 ViewsSeen() {
  u32 n = 0;
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++) n += g_FrameTimes.seen[i];
  return n;
}

// Milliseconds until every view of the layout has been presented again after `step`.
f64 UntilAllDrawn(void (*step)(void)) {
  memset(g_FrameTimes.seen, 0, sizeof g_FrameTimes.seen);
  u32 presents = g_D3DApp.presentCount;
  s_Outside = Outside{};
  f64 t0 = NowMs();
  step();
  s_Outside.step = NowMs() - t0;
  u32 views = ViewsInUse();
  Drive_Pumping(__FILE__, __LINE__);
  DWORD deadline = GetTickCount() + g_DrivePumpMs;
  for (int i = 0; i < 5000 && ViewsSeen() < views; i++) {
    bool idle = Drive_NextPassIdle();
    u32 shown = g_D3DApp.presentCount;
    f64 s = NowMs();
    if (Drive_LoopStep(deadline) != DRIVE_STEP_RAN) break;
    f64 took = NowMs() - s;
    // A frame presented in this pass is not outside.
    if (g_D3DApp.presentCount != shown) took -= g_FrameTimes.frameMs[g_FrameTimes.view];
    if (idle) s_Outside.idle += took, s_Outside.idlePasses++;
    else s_Outside.messages += took, s_Outside.messagePasses++;
  }
  f64 ms = NowMs() - t0;
  s_Presents = g_D3DApp.presentCount - presents;
  return ms;
}

void MarkAll() { App_MarkAllRedraw(View_CurrentLayout()); }

// The least of each figure over the redraws since ResetLeast: a shared machine's other work
// only ever adds to a figure.
struct Least {
  f64 all, model[VIEWS_PER_LAYOUT], editor[VIEWS_PER_LAYOUT], present[VIEWS_PER_LAYOUT], frame[VIEWS_PER_LAYOUT];
  bool seen[VIEWS_PER_LAYOUT];
};
Least s_Least;
Outside s_LeastOutside;   // each part's least over the redraws since ResetLeast

void ResetLeast() {
  s_LeastOutside = Outside{1e30, 1e30, 1e30, 0, 0};
  Least &L = s_Least;
  L.all = 1e30;
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++)
    L.model[i] = L.editor[i] = L.present[i] = L.frame[i] = 1e30, L.seen[i] = false;
}

void TakeLeast(f64 allMs) {
  Outside &O = s_LeastOutside;
  O.step = s_Outside.step < O.step ? s_Outside.step : O.step;
  if (s_Outside.idle < O.idle) O.idle = s_Outside.idle, O.idlePasses = s_Outside.idlePasses;
  if (s_Outside.messages < O.messages) O.messages = s_Outside.messages, O.messagePasses = s_Outside.messagePasses;
  Least &L = s_Least;
  L.all = allMs < L.all ? allMs : L.all;
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++) {
    if (!g_FrameTimes.seen[i]) continue;
    L.seen[i] = true;
    f64 m = g_FrameTimes.phaseMs[i][FRAMETIME_MODEL], e = g_FrameTimes.phaseMs[i][FRAMETIME_EDITOR], f = g_FrameTimes.frameMs[i];
    L.model[i] = m < L.model[i] ? m : L.model[i];
    L.editor[i] = e < L.editor[i] ? e : L.editor[i];
    f64 p = g_FrameTimes.phaseMs[i][FRAMETIME_PRESENT];
    L.present[i] = p < L.present[i] ? p : L.present[i];
    L.frame[i] = f < L.frame[i] ? f : L.frame[i];
  }
}

void PrintLeast(const char *what) {
  const Least &L = s_Least;
  static const char *const kKinds[] = {"main", "front", "top", "side", "pers"};
  printf("%-34s all views %7.1f ms |", what, L.all);
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++) {
    const ViewRecord &v = g_Shell.g_Views[g_Shell.g_EditSubMode][i];
    if (v.inUse != 1 || !L.seen[i]) continue;
    printf(" %s model %.1f editor %.1f present %.1f frame %.1f |", kKinds[v.kind < 5 ? v.kind : 0], L.model[i], L.editor[i],
           L.present[i], L.frame[i]);
  }
  printf("\n");
  fflush(stdout);
}

// The least figures of several redraws of every view.
void PrintLeastOfFive(const char *what) {
  ResetLeast();
  const int reps = EnvInt("MIRAVEL_MEASURE_REPS", 5);
  for (int i = 0; i < reps; i++) TakeLeast(UntilAllDrawn(MarkAll));
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
  // MIRAVEL_MEASURE_PLAIN: the model render's batches as plain triangle lists (the figures before
  // corners were shared).
  char plain[8];
  g_BatchIndexOff = GetEnvironmentVariableA("MIRAVEL_MEASURE_PLAIN", plain, sizeof plain) > 0 ? 1 : 0;
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
  // MIRAVEL_MEASURE_DRAGS_ONLY: the drags' figures alone (the sub-modes and render modes left out).
  char dragsOnly[8];
  const bool onlyDrags = GetEnvironmentVariableA("MIRAVEL_MEASURE_DRAGS_ONLY", dragsOnly, sizeof dragsOnly) > 0;
  for (const Mode &md : modes) {
    if (onlyDrags) break;
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
  // The empty scene's main-view frame first (no model shown, nothing selected), least of
  // several, as the drags' yardstick.
  std::vector<u32> faces(g_Sel.g_PolySelFaces, g_Sel.g_PolySelFaces + m->polygonCount);
  std::vector<u32> verts(g_Sel.g_PolySelVerts, g_Sel.g_PolySelVerts + m->positionCount);
  memset(g_Sel.g_PolySelFaces, 0, sizeof(u32) * faces.size());
  memset(g_Sel.g_PolySelVerts, 0, sizeof(u32) * verts.size());
  m->shown = 0;
  f64 emptyFrame = 1e30;
  for (int i = 0; i < 7; i++) {
    UntilAllDrawn(MarkAll);
    emptyFrame = g_FrameTimes.frameMs[0] < emptyFrame ? g_FrameTimes.frameMs[0] : emptyFrame;
  }
  m->shown = 1;
  memcpy(g_Sel.g_PolySelFaces, faces.data(), sizeof(u32) * faces.size());
  memcpy(g_Sel.g_PolySelVerts, verts.data(), sizeof(u32) * verts.size());
  printf("main view, empty scene: frame %.1f ms (least of 7)\n", emptyFrame);
  const int reps = EnvInt("MIRAVEL_MEASURE_REPS", 6);
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
      for (int i = 0; i < reps; i++) TakeLeast(UntilAllDrawn(DragStep));
      PrintLeast((std::string(d.what) + (off ? " (all drawn)" : " (hidden left out)")).c_str());
      printf("  %.1f x the empty frame (%u frames presented in the last step)\n", s_Least.all / emptyFrame, s_Presents);
      printf("  outside the frames, least of the steps: step %.1f ms, idle passes %.1f ms (%u), message passes %.1f ms (%u)\n",
             s_LeastOutside.step, s_LeastOutside.idle, s_LeastOutside.idlePasses, s_LeastOutside.messages,
             s_LeastOutside.messagePasses);
    }
    SendMessageA(s_DragWindow, d.up, 0, MAKELPARAM(s_DragX, 60));
    Drive_Pump(10);
  }

  if (onlyDrags) {
    Doc_ClearChanged(DOC_MODEL3);
    g_BatchIndexOff = 0;
    return;
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
  // The 3D model stays in its slot, and the 2D editor's main view draws the scene's models:
  // hidden, so that the 2D model phase is the 2D model's own render.
  m->shown = 0;
  m->immediate = 0;
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
    App_AllocWorkArrays(&g_Sel);
    g_Sel.g_CurBoneIndex = 5;
    g_Sel.g_PolySelectMode = md.selectMode;
    for (i32 i = 0; i < b2->vertexCount && (u32)i < App_WorkVertCount(); i++) g_Sel.g_PolySelVerts[i] = 1;
    for (i32 i = 0; i < b2->polygonCount && (u32)i < App_WorkFaceCount(); i++) g_Sel.g_PolySelFaces[i] = 1;
    MeasureBothWays(md.what);
  }
  s_DrawnViews = 0;
  g_BatchIndexOff = 0;
}
