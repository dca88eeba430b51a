// What the 2D editor's windows show after a change, in the running program: the motion
// dialog's values after a KZB is opened again over edited keys; the group dialog's texture
// combo chosen and applied the first time after the dialog opened; the group list's polygon
// count after "面分割". With MIRAVEL_SHOWN2D_HOLD=<seconds> the program stays on screen that
// long at the end.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <string>

#include "app/shell_options.h"
#include "app/shell_sel.h"
#include "lib/framework/lib_state.h"
#include "model_shown.h"
#include "app/current.h"
#include "app/family.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/tree.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_motion.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_tex.h"
#include "edit2d/ed2d_win.h"
#include "lib/framework/modal_hooks.h"
#include "lib/media/dialogs.h"
#include "model/bone2.h"
#include "model/kzb.h"
#include "resources/edit2d_ids.h"
#include "resources/shell_ids.h"
#include "wine_drive.h"
#include "test_models.h"

namespace {

// Bone 1 at the root and a skin of two 100 x 100 quads in group 0, one UV entry per vertex.
bool WriteModel(const std::string &path) {
  const i32 spare = 9;
  g_ModelAllocArrays = 1;
  Bone2Model *m = Bone2_Init(spare);
  g_ModelAllocArrays = 0;
  if (!m) return false;
  m->boneCount = 2;
  TestModel_TwoQuadSkin(m);
  bool ok = Shown(Kzb_Write, spare, path.c_str()) == 1;
  Bone2_FreeSlot(spare);
  return ok;
}

std::string Text(void *dlg, u32 id) {
  char buf[256] = {};
  GetDlgItemTextA((HWND)dlg, (int)id, buf, sizeof buf);
  return buf;
}

// The angle field as the current key gives it: "%3.3f", or empty without a key.
std::string AngleOfCurrentKey(void) {
  const BoneKey2 *k = Ed2D_MotionCurrentKey(Current_Bone2Edited(), &g_Sel);
  if (!k) return "";
  char t[64];
  snprintf(t, sizeof t, "%3.3f", (double)k->angle);
  return t;
}

}  // namespace

TEST(Shown2D, MotionValuesTextureComboAndGroupCounts) {
  std::string file = Drive_Temp("miravel_shown2d.KZB");
  ASSERT_TRUE(WriteModel(file));
  ASSERT_TRUE(Drive_WriteHalvesBmp(Drive_Temp("miravel_shown2d.bmp")));
  g_ModalHooks.messageBox = Drive_AnswerYes;
  g_ModalHooks.getOpenFileName = Drive_AnswerFile;
  ASSERT_TRUE(Drive_Start2D("miravel_settings_shown2d"));
  g_DriveAnswer = "miravel_shown2d.KZB";
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZB_OPEN, 0);
  Drive_Pump(10);
  Bone2Model *m = g_Bone2Slots[0];
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->boneCount, 2);

  // [motion] Bone 1's key at frame 0 given the angle 13.5; the file opened again: the dialog
  // shows the key of the model now open (bone 0 current, which has none), not 13.500.
  ASSERT_EQ(Drive_Press2D(IDC_M2D_MOTION), (u32)SUB_2D_MOTION);
  Ed2DMotionEditor &e = g_Ed2DMotion;
  HWND strip = (HWND)e.keyDlg;
  i32 x = STRIP_LABEL_X + 2, y = STRIP_HEADER + STRIP_ROW + 5;
  SendMessageA(strip, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  Drive_Click(strip, WM_LBUTTONDOWN, WM_LBUTTONUP, x, y);
  ASSERT_EQ(g_Sel.g_CurBoneIndex, 1u);
  ASSERT_TRUE(Drive_PumpUntil([&] { return Text(e.valuesDlg, IDC_MOT2D_X) == "0.000"; }, 300));
  SetDlgItemTextA((HWND)e.valuesDlg, IDC_MOT2D_ANGLE, "13.5");
  Drive_Command(e.valuesDlg, IDC_MOT2D_APPLY);
  EXPECT_TRUE(Drive_PumpUntil([&] { return Text(e.valuesDlg, IDC_MOT2D_ANGLE) == "13.500"; }, 300));
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZB_OPEN, 0);
  Drive_Pump(20);
  m = g_Bone2Slots[0];
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(Drive_PumpUntil([&] { return Text(e.valuesDlg, IDC_MOT2D_ANGLE) == AngleOfCurrentKey(); }, 300))
      << "shown '" << Text(e.valuesDlg, IDC_MOT2D_ANGLE) << "', key '" << AngleOfCurrentKey() << "'";

  // [combo] The texture sub-mode; a texture added; a group added in the dialog (the new group
  // current, its row not yet the row the dialog handled last); texture 1 chosen and applied:
  // the group takes it, the combo keeps it.
  ASSERT_EQ(Drive_Press2D(IDC_M2D_TEXTURE), (u32)SUB_2D_TEXTURE);
  HWND groups = (HWND)g_Options.g_Group2DDlg.window;
  ASSERT_TRUE(Drive_Alive(groups));
  auto platformRun = g_LibHooks.fileDlg.run;
  g_LibHooks.fileDlg.run = Drive_AnswerRequest;
  g_DriveAnswer = "miravel_shown2d.bmp";
  Drive_Command(g_Ed2DTex.panel, IDC_T2D_ADD);
  g_LibHooks.fileDlg.run = platformRun;
  Drive_Pump(10);
  ASSERT_EQ(m->textureCount, 2);
  Drive_Command(groups, IDC_G2D_ADD);
  ASSERT_EQ(g_Sel.g_CurGroupIndex, 1u);
  Drive_PumpIdle(3);
  HWND combo = GetDlgItem(groups, IDC_G2D_TEXTURE);
  SendMessageA(combo, CB_SETCURSEL, 1, 0);
  SendMessageA(groups, WM_COMMAND, MAKEWPARAM(IDC_G2D_TEXTURE, CBN_SELCHANGE), (LPARAM)combo);
  Drive_Pump(30);   // the dialog's ticks run
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1) << "the choice stays until applied";
  App_ForgetPolySelection(&g_Sel);   // "決定" moves no face: only the texture changes
  Drive_Command(groups, IDC_G2D_APPLY);
  Drive_Pump(30);
  EXPECT_EQ(m->groups[1].texture, 1);
  EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);

  // [counts] The polygon sub-mode; both quads selected in face mode and "面分割": the group
  // list counts the eight quads.
  ASSERT_EQ(Drive_Press2D(IDC_M2D_POLY), (u32)SUB_2D_POLY);
  ASSERT_TRUE(Drive_Alive(g_Ed2DPoly.panel));
  ASSERT_TRUE(Drive_Alive(g_Ed2D.groupList));
  EXPECT_EQ(Drive_ListText(g_Ed2D.groupList, 0).substr(Drive_ListText(g_Ed2D.groupList, 0).size() - 5), "( 2 )");
  g_Sel.g_PolySelectMode = 1;
  g_Sel.g_PolySelFaces[0] = g_Sel.g_PolySelFaces[1] = 1;
  Drive_Command(g_Ed2DPoly.panel, IDC_P2D_SPLIT);
  ASSERT_EQ(m->polygonCount, 10);   // two removed, eight appended
  EXPECT_TRUE(Drive_PumpUntil([] {
    std::string line = Drive_ListText(g_Ed2D.groupList, 0);
    return line.size() > 5 && line.substr(line.size() - 5) == "( 8 )";
  }, 300)) << Drive_ListText(g_Ed2D.groupList, 0);
  App_MarkAllRedraw(View_CurrentLayout());
  Drive_Hold("MIRAVEL_SHOWN2D_HOLD");

  g_ModalHooks = ModalHooks{};
  Drive_End("miravel_settings_shown2d");
  DeleteFileA(file.c_str());
  DeleteFileA(Drive_Temp("miravel_shown2d.bmp").c_str());
}

namespace {
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
}  // namespace
