// The 2D polygon and weight sub-modes in the running program, driven by messages: the 2D
// family on a new model; "ポリゴン自由作成", two left clicks and a middle click in the main
// window make a triangle; "面選択(E)" and a rectangle drag select it (the screen shows its
// edges in cyan and the blue rectangle while the button is held); "移動(T)" and a drag move
// it; the weight sub-mode binds its vertices to bone 1 with "決定"; the KZB saved by the File
// menu shows all of it through modeldump.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/shell_win.h"
#include "app/startup_state.h"
#include "app/startup_win.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_win.h"
#include "lib/draw/draw.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "model/bone2.h"
#include "resources/edit2d_ids.h"
#include "resources/shell_ids.h"
#include "wine_drive.h"

namespace {

// The client point of a 2D frame point (the inverse of Ed2D_ClientToFrame).
POINT Client(f32 fx, f32 fy) {
  Place2D p = Draw_CurrentPlacement();
  f32 x = fx * p.scaleX, y = fy * p.scaleY;
  if (p.inFrame) x += p.offsetX, y += p.offsetY;
  return POINT{(LONG)(x + 0.5f), (LONG)(y + 0.5f)};
}

LPARAM At(POINT c) { return MAKELPARAM(c.x, c.y); }

// Frame point where a client point lands, as the editor maps it.
Bone2Point Frame(POINT c) {
  Bone2Point q;
  Ed2D_ClientToFrame(c.x, c.y, &q.x, &q.y);
  return q;
}

void Press(UINT down, UINT up, WPARAM held, POINT c) {
  SetActiveWindow(g_Lib.mainWnd);
  SendMessageA(g_Lib.mainWnd, WM_MOUSEMOVE, 0, At(c));
  Drive_Pump(3);
  SendMessageA(g_Lib.mainWnd, down, held, At(c));
  SendMessageA(g_Lib.mainWnd, up, 0, At(c));
  Drive_Pump(3);
}

// Runs the loop for `ms` milliseconds.
void PumpFor(DWORD ms) {
  DWORD until = GetTickCount() + ms;
  Drive_PumpUntil([&] { return GetTickCount() >= until; }, 1000000);
}

// Left drag from a to b in steps, with `during` run while the button is still held.
template <class F>
void LeftDrag(POINT a, POINT b, F during) {
  // A click in the main window activates it: the view under the mouse is view 0.
  SetForegroundWindow(g_Lib.mainWnd);
  SetActiveWindow(g_Lib.mainWnd);
  Drive_Pump(3);
  SendMessageA(g_Lib.mainWnd, WM_MOUSEMOVE, 0, At(a));
  SendMessageA(g_Lib.mainWnd, WM_LBUTTONDOWN, MK_LBUTTON, At(a));
  for (int i = 1; i <= 5; i++) {
    POINT c = {a.x + (b.x - a.x) * i / 5, a.y + (b.y - a.y) * i / 5};
    SendMessageA(g_Lib.mainWnd, WM_MOUSEMOVE, MK_LBUTTON, At(c));
    Drive_Pump(2);
  }
  during();
  SendMessageA(g_Lib.mainWnd, WM_LBUTTONUP, 0, At(b));
  Drive_Pump(3);
}

int CountColour(const std::vector<u32> &px, u32 rgb) {
  int n = 0;
  for (u32 p : px) n += p == rgb ? 1 : 0;
  return n;
}

}  // namespace

TEST(Ed2DPolyInProcess, FreeTriangleSelectedMovedBoundAndSaved) {
  // The 2D family on a new model, sub-mode 6.
  Bone2Model *m = Drive_Start2DOnNewModel("miravel_settings_poly2d");
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->polygonCount, 0);
  HWND panel = (HWND)g_Ed2DPoly.panel;
  ASSERT_TRUE(Drive_Alive(panel));
  char caption[64] = "";
  GetWindowTextA(panel, caption, sizeof caption);
  EXPECT_STREQ(caption, "モデリング");
  // Only the main view: every message of a view window (its timer too) makes that view the
  // active one, which would take the drawing away from the main view during a drag.
  if (g_ShellSeam.destroyExtraViews) g_ShellSeam.destroyExtraViews();
  Drive_Pump(5);
  SetForegroundWindow(g_Lib.mainWnd);
  SetActiveWindow(g_Lib.mainWnd);

  // Free creation: two left clicks and a middle click.
  Drive_Command(panel, IDC_P2D_FREE);
  ASSERT_EQ(g_Sel.g_PolyTool, (u32)ED2D_TOOL_FREE);
  const POINT c[3] = {Client(300, 200), Client(380, 210), Client(340, 280)};
  Press(WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, c[0]);
  Press(WM_LBUTTONDOWN, WM_LBUTTONUP, MK_LBUTTON, c[1]);
  Press(WM_MBUTTONDOWN, WM_MBUTTONUP, MK_MBUTTON, c[2]);
  ASSERT_EQ(m->polygonCount, 1);
  ASSERT_EQ(m->polygons[0].cornerCount, 3);
  Bone2Point want[3];
  for (int i = 0; i < 3; i++) {
    want[i] = Frame(c[i]);
    want[i].x -= 320.0f;
    want[i].y -= 240.0f;
    EXPECT_EQ(m->positions[i].x, want[i].x) << i;
    EXPECT_EQ(m->positions[i].y, want[i].y) << i;
  }

  // Face mode and a rectangle drag around it; the screen while the button is held.
  Drive_Command(panel, IDC_P2D_FACE_MODE);
  ASSERT_EQ(g_Sel.g_PolyTool, (u32)ED2D_TOOL_FACE);
  int cyan = 0, blue = 0, w = 0, h = 0;
  LeftDrag(Client(260, 160), Client(420, 320), [&] {
    // The overlay selects while it draws: wait for that frame, then for a few more.
    Drive_PumpUntil([] { return g_Sel.g_PolySelFaces[0] == 1; });
    PumpFor(400);
    std::vector<u32> px = Drive_ScreenOf(g_Lib.mainWnd, &w, &h);
    cyan = CountColour(px, 0x80FFFF);
    blue = CountColour(px, 0x0000FF);
  });
  EXPECT_EQ(g_Sel.g_PolySelFaces[0], 1u);
  EXPECT_GT(cyan, 60) << w << "x" << h;   // the edges (some 240 pixels, partly blended)
  EXPECT_GT(blue, 200);                    // the rectangle's outline

  // The move tool and a drag by (+20, -10) frame pixels.
  Drive_Command(panel, IDC_P2D_MOVE);
  ASSERT_EQ(g_Sel.g_PolyTool, (u32)ED2D_TOOL_MOVE);
  POINT a = Client(200, 400), b = Client(220, 390);
  Bone2Point fa = Frame(a), fb = Frame(b);
  LeftDrag(a, b, [] {});
  for (int i = 0; i < 3; i++) {
    EXPECT_NEAR(m->positions[i].x, want[i].x + (fb.x - fa.x), 1e-3f) << i;
    EXPECT_NEAR(m->positions[i].y, want[i].y + (fb.y - fa.y), 1e-3f) << i;
  }

  // The weight sub-mode: a rectangle over the triangle, bone 1 by hand.
  SendMessageA((HWND)g_Ed2D.panel, WM_COMMAND, MAKEWPARAM(IDC_M2D_WEIGHT, BN_CLICKED), 0);
  Drive_Pump(10);
  ASSERT_EQ(g_Shell.g_EditSubMode, (u32)SUB_2D_WEIGHT);
  HWND weights = (HWND)g_Ed2DPoly.weightPanel;
  ASSERT_TRUE(Drive_Alive(weights));
  EXPECT_EQ(g_Sel.g_PolySelVerts[0] + g_Sel.g_PolySelVerts[1] + g_Sel.g_PolySelVerts[2], 0u);   // cleared on entering
  LeftDrag(Client(240, 140), Client(440, 340), [] {
    Drive_PumpUntil([] { return g_Sel.g_PolySelVerts[0] + g_Sel.g_PolySelVerts[1] + g_Sel.g_PolySelVerts[2] == 3; });
  });
  EXPECT_EQ(g_Sel.g_PolySelVerts[0] + g_Sel.g_PolySelVerts[1] + g_Sel.g_PolySelVerts[2], 3u);
  SetDlgItemTextA(weights, IDC_W2D_BONE1, "1");
  Drive_Command(weights, IDC_W2D_APPLY);
  for (int i = 0; i < 3; i++) {
    EXPECT_EQ(m->bindings[i].bone1, 1) << i;
    EXPECT_EQ(m->bindings[i].automatic, 0u) << i;
  }

  // Saved by the File menu and read back by modeldump.
  std::string saved = Drive_SaveByMenu(IDM_KZB_SAVE, "miravel_poly2d.KZB");
  std::string dump = Drive_ModelDump(saved);
  EXPECT_NE(dump.find("\"positions\":3,"), std::string::npos) << dump;
  EXPECT_NE(dump.find("\"polygons\":1,\"triangles\":1"), std::string::npos) << dump;
  std::string skin = "\"skin\":[";
  for (int i = 0; i < 3; i++) {
    char e[128];
    snprintf(e, sizeof e, "%s[%g,%g,1,0,1,0]", i ? "," : "", (double)m->positions[i].x, (double)m->positions[i].y);
    skin += e;
  }
  EXPECT_NE(dump.find(skin + "]"), std::string::npos) << skin << "\n" << dump;

  Drive_End("miravel_settings_poly2d");
  DeleteFileA(saved.c_str());
}

namespace {
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
}  // namespace
