// Polygon modelling in the running program, driven by messages: a cube opened from the
// command line, a face picked by hovering the main view, T and a drag in the Front view
// window moving the selection, a triangle made by free creation and undone by U, a triangle made
// on the layer of button 1343 still there after a switch to the bone sub-mode and back, and
// the moved cube written and read back with its box and polygon count. The program starts
// once per process, so the scenario runs in a child run of this test program.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model_shown.h"
#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_seam.h"
#include "app/shell_win.h"
#include "app/startup_state.h"
#include "app/startup_win.h"
#include "app/views.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/undo.h"
#include "edit3d/undo_win.h"
#include "lib/framework/lib.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "resources/edit3d_ids.h"
#include "resources/shell_ids.h"
#include "wine_drive.h"

namespace {

// A key released once the loop has let go of the key latch (one key per idle pass).
void KeyUp(u32 vk) {
  for (int i = 0; i < 500 && g_AppShell.keyLatch; i++) Drive_Pump(1);
  SendMessageA(g_Lib.mainWnd, WM_KEYUP, vk, 0);
  Drive_Pump(3);
}

f32 MinX(const Model3 *m) {
  f32 x = m->positions[0].x;
  for (i32 i = 1; i < m->positionCount; i++) x = m->positions[i].x < x ? m->positions[i].x : x;
  return x;
}

}  // namespace

TEST(Ed3DPolyWin, InItsOwnProcess) {
  if (GetEnvironmentVariableA("MIRAVEL_POLY_CHILD", nullptr, 0)) GTEST_SKIP();
  char exe[MAX_PATH];
  ASSERT_GT(GetModuleFileNameA(nullptr, exe, sizeof exe), 0u);
  std::string cmd = std::string("\"") + exe + "\" --gtest_filter=Ed3DPolyWin.HoverDragFreeCreationLayersAndSave";
  SetEnvironmentVariableA("MIRAVEL_POLY_CHILD", "1");
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi));
  SetEnvironmentVariableA("MIRAVEL_POLY_CHILD", nullptr);
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, 240000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  EXPECT_EQ(code, 0u);
}

TEST(Ed3DPolyWin, HoverDragFreeCreationLayersAndSave) {
  if (!GetEnvironmentVariableA("MIRAVEL_POLY_CHILD", nullptr, 0)) GTEST_SKIP();
  std::string path = Drive_Temp("miravel_cube.KZP"), saved = Drive_Temp("miravel_cube_saved.KZP");
  ASSERT_TRUE(Drive_WriteCube(path));
  for (auto &layout : g_AppShell.panels)
    for (WindowHolder &h : layout) h.window = nullptr;
  ASSERT_TRUE(Drive_Start3D(path, "miravel_settings_poly"));
  ASSERT_EQ(g_Shell.g_EditSubMode, (u32)SUB_3D_POLY);
  ASSERT_NE(g_Model3Slots[0], nullptr);
  EXPECT_EQ(g_Model3Slots[0]->polygonCount, 6);
  HMENU menu = GetMenu(g_Lib.mainWnd);
  ASSERT_NE(menu, nullptr);
  EXPECT_NE(GetMenuState(menu, IDM_KZP_SAVE, MF_BYCOMMAND), (UINT)-1);   // "MENU_3D_POLY" is the main menu

  // Hover the middle of the main view: the face towards the camera is picked.
  ViewRecord *v0 = &g_Shell.g_Views[SUB_3D_POLY][0];
  v0->panX = v0->panY = v0->panZ = 0;
  v0->zoom = 1;
  g_Sel.g_PolyNoAutoPick = 0;
  g_Sel.g_PolySelectMode = 1;
  g_Sel.g_PolyTool = POLY_TOOL_FACE;
  SetActiveWindow(g_Lib.mainWnd);
  Drive_Pump(10);
  RECT c;
  GetClientRect(g_Lib.mainWnd, &c);
  SendMessageA(g_Lib.mainWnd, WM_MOUSEMOVE, 0, MAKELPARAM(c.right / 2 + 3, c.bottom / 2 + 2));
  Drive_Pump(3);
  EXPECT_GE(Ed3DPolyEditor.pickedFace, 0);
  EXPECT_EQ(g_Sel.g_PolySelFaces[Ed3DPolyEditor.pickedFace], 1u);

  // S selects everything, T takes the move tool, a drag of 40 pixels in the Front view moves
  // the cube by 40 / zoom * 0.025 along x; the release records one step.
  KeyUp('S');
  KeyUp('T');
  EXPECT_EQ(g_Sel.g_PolyTool, (u32)POLY_TOOL_MOVE);
  HWND front = Drive_FrontView(SUB_3D_POLY);
  ASSERT_NE(front, nullptr);
  ViewRecord *fv = nullptr;
  for (u32 i = 1; i < VIEWS_PER_LAYOUT; i++)
    if ((HWND)g_Shell.g_Views[SUB_3D_POLY][i].window == front) fv = &g_Shell.g_Views[SUB_3D_POLY][i];
  f32 zoom = fv->zoom;
  i32 steps = Undo_Current()->top;
  SendMessageA(front, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(50, 50));
  SendMessageA(front, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(70, 50));
  SendMessageA(front, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(90, 50));
  SendMessageA(front, WM_LBUTTONUP, 0, MAKELPARAM(90, 50));
  Drive_Pump(5);
  Model3 *m = g_Model3Slots[0];
  f32 moved = -1.0f + 40.0f / zoom * 0.025f;
  EXPECT_NEAR(MinX(m), moved, 1e-4);
  EXPECT_EQ(Undo_Current()->top, steps + 1);

  // Free creation in the Front view: left, left, middle gives a triangle; undo takes it back.
  Drive_FreeTriangle(front);
  EXPECT_EQ(m->polygonCount, 7);
  EXPECT_EQ(m->polygons[6].cornerCount, 3);
  KeyUp('U');
  m = g_Model3Slots[0];
  EXPECT_EQ(m->polygonCount, 6);

  // A triangle on the layer of button 1343 survives a switch to the bone sub-mode and back.
  SendMessageA((HWND)g_Ed3D.layer.window, WM_COMMAND, MAKEWPARAM(IDC_LAYER_2, BN_CLICKED), 0);
  Drive_Pump(10);
  u32 layer = g_Sel.g_CurSlot;
  ASSERT_NE(layer, 0u);
  front = Drive_FrontView(SUB_3D_POLY);
  ASSERT_NE(front, nullptr);
  Drive_FreeTriangle(front);
  ASSERT_NE(g_Model3Slots[layer], nullptr);
  EXPECT_EQ(g_Model3Slots[layer]->polygonCount, 1);
  SendMessageA((HWND)g_Ed3D.modePanel, WM_COMMAND, MAKEWPARAM(IDC_M3D_BONE, BN_CLICKED), 0);
  Drive_Pump(10);
  SendMessageA((HWND)g_Ed3D.modePanel, WM_COMMAND, MAKEWPARAM(IDC_M3D_POLY, BN_CLICKED), 0);
  Drive_Pump(10);
  ASSERT_NE(g_Model3Slots[layer], nullptr);
  EXPECT_EQ(g_Model3Slots[layer]->polygonCount, 1);
  EXPECT_EQ(g_Model3Slots[0]->polygonCount, 6);

  // The moved cube, written and read back: the box has moved, six polygons.
  ASSERT_TRUE(Shown(Kzp_Write, g_Model3Slots[0], saved.c_str()));
  g_ModelAllocArrays = 1;
  Model3 *back = Shown(Model3_OpenFile, 200, saved.c_str());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->polygonCount, 6);
  EXPECT_NEAR(MinX(back), moved, 1e-4);
  Model3_FreeSlot(200);

  Drive_End("miravel_settings_poly");
  DeleteFileA(path.c_str());
  DeleteFileA(saved.c_str());
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
