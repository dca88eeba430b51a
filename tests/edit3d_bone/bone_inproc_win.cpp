// The bone and weight sub-modes in the running program, driven by messages: button 1097, A
// twice (a chain of two new bones), a parent chosen in the bone list panel and "決定" (a step
// the undo panel undoes and redoes), a
// bone dragged in the Front view window, button 1102, a box selection in the Front view over
// several drawn frames, "2", "0", "1.0" and "決定" in the weight panel, and the file saved
// with 40024 read back by modeldump: names, parents, the moved rest offset, the bindings.
// The current bone's cross is yellow and another's olive at their projected pixels. A box
// held in the Front view while the other views' timers run selects only what Front shows in it.
#include <gtest/gtest.h>
#include <windows.h>

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/shell_win.h"
#include "app/startup_win.h"
#include "app/views.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/undo_win.h"
#include "lib/draw/texture.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "lib/framework/view_record.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "resources/shell_ids.h"
#include "wine_drive.h"

namespace {

LPARAM At(i32 x, i32 y) { return MAKELPARAM(x, y); }

ViewRecord *ViewOf(u32 sub, u32 kind) {
  for (i32 i = 1; i < VIEWS_PER_LAYOUT; i++)
    if (g_Shell.g_Views[sub][i].kind == kind && g_Shell.g_Views[sub][i].window) return &g_Shell.g_Views[sub][i];
  return nullptr;
}

ViewRecord *FrontOf(u32 sub) { return ViewOf(sub, VIEW_FRONT); }

void KeyUp(u32 vk) {
  for (int i = 0; i < 500 && g_AppShell.keyLatch; i++) Drive_Pump(1);
  SendMessageA(g_Lib.mainWnd, WM_KEYUP, vk, 0);
  Drive_Pump(3);
}

// Runs the loop until done() holds, for at most `ms` milliseconds of the clock (a busy
// machine makes passes slow, and an idle loop waits for messages).
template <class F>
bool PumpFor(F done, DWORD ms) {
  DWORD deadline = GetTickCount() + ms;
  while (!done() && Drive_LoopStep(deadline) == DRIVE_STEP_RAN) {
  }
  return done();
}

// The bone list panel has shown the current bone (its timer ran).
bool PumpPanel() {
  g_Sel.g_BoneListDirty = 1;
  return PumpFor([] { return g_Sel.g_BoneListDirty == 0; }, 10000);
}

// The view is drawn once more (its centre is set by the draw).
bool PumpDrawn(ViewRecord *v) {
  v->redraw = 1;
  return PumpFor([v] { return v->redraw == 0; }, 10000);
}

// The colour of a client pixel of a view on the screen, once the view has been drawn and
// shown on top: drawn frames reach the screen a little later on a busy machine.
COLORREF ViewPixelOnScreen(ViewRecord *v, i32 x, i32 y, COLORREF want) {
  HWND w = (HWND)v->window;
  SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  COLORREF c = CLR_INVALID;
  DWORD start = GetTickCount();
  while (c != want && GetTickCount() - start < 5000) {
    v->redraw = 1;
    PumpFor([v] { return v->redraw == 0; }, 1000);
    Sleep(20);
    POINT pt = {x, y};
    ClientToScreen(w, &pt);
    Drive_DeviceIdle();
    HDC dc = GetDC(nullptr);
    c = GetPixel(dc, pt.x, pt.y);
    ReleaseDC(nullptr, dc);
  }
  return c;
}

// The bone entry of the dump that begins with `head`, up to its closing brace.
std::string Entry(const std::string &dump, const std::string &head) {
  size_t at = dump.find(head);
  if (at == std::string::npos) return "";
  return dump.substr(at, dump.find('}', at) - at);
}

}  // namespace

TEST(BoneInProcess, BonesWeightsAndTheSavedFile) {
  std::string path = Drive_Temp("miravel_bones.KZP"), saved = "miravel_bones_saved.KZP";
  ASSERT_TRUE(Drive_WriteCube(path));
  ASSERT_TRUE(Drive_Start3D(path, "miravel_settings_bones"));
  ASSERT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_3D_MODEL);

  // Button 1097: the bone sub-mode with its bone list panel and menu.
  ASSERT_EQ(Drive_Press3D(IDC_M3D_BONE), (u32)SUB_3D_BONE);
  ASSERT_TRUE(Drive_Alive(g_Ed3D.bonePanel));
  EXPECT_NE(GetMenuState(GetMenu(g_Lib.mainWnd), IDM_KZP_SAVE, MF_BYCOMMAND), (UINT)-1);
  Model3 *m = g_Model3Slots[0];
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->boneCount, 2);

  // Bone 1 current, then A twice: bone 2 a child of 1, bone 3 a child of 2.
  g_Sel.g_CurBoneIndex = 1;
  EXPECT_TRUE(PumpPanel());
  KeyUp('A');
  KeyUp('A');
  ASSERT_EQ(m->boneCount, 4);
  EXPECT_EQ(m->bones[2].parent, 1);
  EXPECT_EQ(m->bones[3].parent, 2);
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 3u);
  EXPECT_STREQ(Undo_Current()->steps[Undo_Current()->top].label, "ボーン追加");

  // Parent 1 for bone 3 and 決定.
  EXPECT_TRUE(PumpPanel());
  EXPECT_EQ(SendMessageA((HWND)g_Ed3D.boneList, LB_GETCARETINDEX, 0, 0), 3);
  SendMessageA((HWND)g_Ed3D.parentCombo, CB_SETCURSEL, 1, 0);
  Drive_Command(g_Ed3D.bonePanel, IDC_BONE_APPLY);
  EXPECT_EQ(m->bones[3].parent, 1);
  EXPECT_STREQ(m->bones[3].name, "ボーン_03");
  // 決定 is a step: the undo panel's アンドゥ and リドゥ take it away and give it back.
  EXPECT_STREQ(Undo_Current()->steps[Undo_Current()->top].label, "決定 ( ボーン )");
  ASSERT_TRUE(Drive_UndoButton(true));
  EXPECT_EQ(m->bones[3].parent, 2);
  ASSERT_TRUE(Drive_UndoButton(false));
  EXPECT_EQ(m->bones[3].parent, 1);

  // Bone 3 dragged 40 pixels right in the Front view: 1 / zoom units along x.
  ViewRecord *front = FrontOf(SUB_3D_BONE);
  ASSERT_NE(front, nullptr);
  HWND fw = (HWND)front->window;
  f32 zoom = front->zoom;
  SendMessageA(fw, WM_LBUTTONDOWN, MK_LBUTTON, At(50, 50));
  SendMessageA(fw, WM_MOUSEMOVE, MK_LBUTTON, At(70, 50));
  SendMessageA(fw, WM_MOUSEMOVE, MK_LBUTTON, At(90, 50));
  SendMessageA(fw, WM_LBUTTONUP, 0, At(90, 50));
  Drive_Pump(5);
  f32 moved = 40.0f * 0.025f / zoom;
  EXPECT_NEAR(m->boneRest[3].pos[0], moved, 1e-5);
  EXPECT_STREQ(Undo_Current()->steps[Undo_Current()->top].label, "移動 ( ボーン )");

  // The drawn Front view: bone 3's cross yellow, bone 0's olive, at their projected pixels.
  EXPECT_TRUE(PumpDrawn(front));
  i32 x3, y3, x0, y0;
  ASSERT_TRUE(Ed3D_BoneScreen(front, Model3_GetBoneRestOrigin(0, 3), &x3, &y3));
  ASSERT_TRUE(Ed3D_BoneScreen(front, Model3_GetBoneRestOrigin(0, 0), &x0, &y0));
  EXPECT_EQ(ViewPixelOnScreen(front, x3 + 4, y3 + 4, RGB(255, 255, 0)), RGB(255, 255, 0));
  EXPECT_EQ(ViewPixelOnScreen(front, x0 - 4, y0 + 4, RGB(180, 180, 0)), RGB(180, 180, 0));

  // Button 1102: the weight sub-mode; a box around the whole cube in its Front view, held
  // over several drawn frames, selects the eight corners.
  ASSERT_EQ(Drive_Press3D(IDC_M3D_WEIGHT), (u32)SUB_3D_WEIGHT);
  ASSERT_TRUE(Drive_Alive(g_Ed3DBones.weightPanel));
  front = FrontOf(SUB_3D_WEIGHT);
  ASSERT_NE(front, nullptr);
  fw = (HWND)front->window;
  EXPECT_TRUE(PumpDrawn(front));
  i32 lo[2] = {1 << 30, 1 << 30}, hi[2] = {-(1 << 30), -(1 << 30)};
  for (i32 v = 0; v < 8; v++) {
    i32 sx, sy;
    ASSERT_TRUE(Ed3D_WeightScreen(front, m->positions[v], &sx, &sy));
    lo[0] = sx < lo[0] ? sx : lo[0], hi[0] = sx > hi[0] ? sx : hi[0];
    lo[1] = sy < lo[1] ? sy : lo[1], hi[1] = sy > hi[1] ? sy : hi[1];
  }
  SendMessageA(fw, WM_LBUTTONDOWN, MK_LBUTTON, At(lo[0] - 5, lo[1] - 5));
  SendMessageA(fw, WM_MOUSEMOVE, MK_LBUTTON, At(lo[0] + 1, lo[1] + 1));
  EXPECT_TRUE(PumpDrawn(front));
  // The mouse keeps moving over the far corner, as a hand does, until a drawn frame of the
  // view under it has run the selection.
  auto all = [] {
    for (i32 v = 0; v < 8; v++)
      if (!g_Sel.g_PolySelVerts[v]) return false;
    return true;
  };
  DWORD start = GetTickCount();
  while (!all() && GetTickCount() - start < 10000) {
    SendMessageA(fw, WM_MOUSEMOVE, MK_LBUTTON, At(hi[0] + 5, hi[1] + 5));
    PumpFor([front] { return front->redraw == 0; }, 500);
  }
  SendMessageA(fw, WM_LBUTTONUP, 0, At(hi[0] + 5, hi[1] + 5));
  Drive_Pump(5);
  for (i32 v = 0; v < 8; v++) EXPECT_EQ(g_Sel.g_PolySelVerts[v], 1u) << v;

  // 2, 0, 1.0 and 決定: the corners on bone 2.
  HWND wp = (HWND)g_Ed3DBones.weightPanel;
  SetDlgItemTextA(wp, IDC_WEIGHT_BONE1, "2");
  SetDlgItemTextA(wp, IDC_WEIGHT_BONE2, "0");
  SetDlgItemTextA(wp, IDC_WEIGHT_VALUE, "1.0");
  Drive_Command(wp, IDC_WEIGHT_APPLY);
  for (i32 v = 0; v < 8; v++) EXPECT_EQ(m->bindings[v].bone1, 2) << v;
  EXPECT_STREQ(Undo_Current()->steps[Undo_Current()->top].label, "数値入力 ( ウエイト )");

  // Saved with 40024 and read back by modeldump (built beside this program).
  Drive_SaveByMenu(40024, saved);
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string tool = self;
  tool = tool.substr(0, tool.find_last_of("\\/") + 1) + "modeldump.exe";
  std::string dump = Drive_RunTool("\"\"" + tool + "\" \"" + Drive_Temp(saved.c_str()) + "\"\"");
  std::string two = Entry(dump, "{\"name\":\"\xe3\x83\x9c\xe3\x83\xbc\xe3\x83\xb3_02\"");
  std::string three = Entry(dump, "{\"name\":\"\xe3\x83\x9c\xe3\x83\xbc\xe3\x83\xb3_03\"");
  EXPECT_NE(two.find("\"parent\":1,"), std::string::npos) << dump;
  EXPECT_NE(two.find("\"vertices\":8"), std::string::npos) << dump;
  EXPECT_NE(three.find("\"parent\":1,"), std::string::npos) << dump;
  size_t rest = three.find("\"rest\":[");
  ASSERT_NE(rest, std::string::npos) << dump;
  EXPECT_NEAR(strtod(three.c_str() + rest + 8, nullptr), moved, 1e-5) << dump;

  // A box around one corner in the Front view, held while the view windows' timers run, again
  // and again: only the vertices the Front view shows in the box are selected, never vertex b,
  // which the Top view (panned so) shows in the same screen rectangle.
  ViewRecord *top = ViewOf(SUB_3D_WEIGHT, VIEW_TOP);
  ASSERT_NE(top, nullptr);
  i32 ax, ay, bx, by;
  ASSERT_TRUE(Ed3D_WeightScreen(front, m->positions[0], &ax, &ay));
  i32 b = 1;
  for (i32 sx, sy; b < 8; b++)
    if (Ed3D_WeightScreen(front, m->positions[b], &sx, &sy) && abs(sx - ax) + abs(sy - ay) > 12) break;
  ASSERT_LT(b, 8);
  f32 unit = 40.0f * top->zoom;
  top->panX = m->positions[b].x - ((f32)ax + 0.5f - (f32)top->centerX) / unit;
  top->panZ = -m->positions[b].z - ((f32)ay + 0.5f - (f32)top->centerY) / unit;
  EXPECT_TRUE(PumpDrawn(top));
  ASSERT_TRUE(Ed3D_WeightScreen(top, m->positions[b], &bx, &by));
  ASSERT_LE(abs(bx - ax) + abs(by - ay), 2);
  u32 want[8];
  for (i32 v = 0; v < 8; v++) {
    i32 sx, sy;
    Ed3D_WeightScreen(front, m->positions[v], &sx, &sy);
    want[v] = abs(sx - ax) < 4 && abs(sy - ay) < 4;
  }
  ASSERT_EQ(want[b], 0u);
  for (int run = 0; run < 12; run++) {
    for (i32 v = 0; v < 8; v++) g_Sel.g_PolySelVerts[v] = 0;
    SendMessageA(fw, WM_LBUTTONDOWN, MK_LBUTTON, At(ax - 4, ay - 4));
    for (int step = 0; step < 4; step++) {
      Sleep(60);   // every view's timer is due again
      SendMessageA(fw, WM_MOUSEMOVE, MK_LBUTTON, At(ax + 4, ay + 4));
      PumpFor([front, top] { return front->redraw == 0 && top->redraw == 0; }, 1000);
    }
    SendMessageA(fw, WM_LBUTTONUP, 0, At(ax + 4, ay + 4));
    Drive_Pump(2);
    for (i32 v = 0; v < 8; v++) EXPECT_EQ(g_Sel.g_PolySelVerts[v], want[v]) << "run " << run << " vertex " << v;
  }

  DeleteFileA(path.c_str());
  DeleteFileA(Drive_Temp(saved.c_str()).c_str());
  Drive_End("miravel_settings_bones");
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
