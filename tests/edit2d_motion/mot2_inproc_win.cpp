// The 2D motion sub-mode in the running program, driven by messages: the three dialogs and
// the motion menu after 1484; a KZB opened with 40095; a strip click making bone 2 current at
// frame 30; a key made with 1238 and typed values applied with 1289; a left drag in the main
// view rotating it with 1123; a motion added with 1010, 1048 and 1056; play and stop; the KZB
// saved with 40097, its keys as modeldump prints them, and the pose it gives at frame 45.
//
// With MIRAVEL_MOT2_HOLD=<seconds> the program keeps running that long after the cross check,
// so that the screen can be looked at.
#include <gtest/gtest.h>
#include <windows.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/strip_state.h"
#include "lib/framework/lib_state.h"
#include "model_shown.h"
#include "app/current.h"
#include "app/family.h"
#include "app/shell_win.h"
#include "app/startup_state.h"
#include "app/startup_win.h"
#include "app/strip.h"
#include "app/tree.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_motion.h"
#include "edit2d/ed2d_motion_win.h"
#include "edit2d/ed2d_object_win.h"
#include "edit2d/ed2d_win.h"
#include "lib/draw/draw.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "model/bone2.h"
#include "model/kzb.h"
#include "resources/edit2d_ids.h"
#include "resources/shell_ids.h"
#include "wine_drive.h"

namespace {

std::vector<std::string> g_boxes;

int RecordBox(HWND, const char *text, const char *, UINT) {
  g_boxes.push_back(text);
  return IDYES;
}

// Bones 1 and 2 at the root, one motion of 60 frames, every track the identity key at 0.
bool WriteModel(const std::string &path) {
  const i32 spare = 9;
  g_ModelAllocArrays = 1;
  Bone2Model *m = Bone2_Init(spare);
  if (!m) return false;
  m->boneCount = 3;
  m->rest[1] = BoneKey2{0, -40, 0, 0, 1, 1};
  m->rest[2] = BoneKey2{0, 40, 20, 0, 1, 1};
  bool ok = Shown(Kzb_Write, spare, path.c_str()) == 1;
  Bone2_FreeSlot(spare);
  return ok;
}

void SetField(void *dlg, u32 id, const char *text) { SetDlgItemTextA((HWND)dlg, (int)id, text); }

void StripClick(i32 x, i32 y) {
  HWND strip = (HWND)g_Ed2DMotion.keyDlg;
  SendMessageA(strip, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  Drive_Click(strip, WM_LBUTTONDOWN, WM_LBUTTONUP, x, y);
}

const Bone2Track *Track(i32 b, i32 motion) { return Bone2_Track(g_Bone2Slots[0], b, motion); }

std::string Num(double v) {
  char buf[64];
  snprintf(buf, sizeof buf, "%.9g", v);
  return buf;
}

std::string KeyText(const BoneKey2 &k) {
  return "[" + std::to_string(k.frame) + "," + Num(k.x) + "," + Num(k.y) + "," + Num(k.angle) + "," + Num(k.scaleX) +
         "," + Num(k.scaleY) + "]";
}

}  // namespace

TEST(Mot2InProcess, KeysByStripAndDragPlaybackAndTheSavedMotion) {
  std::string opened = Drive_Temp("miravel_mot2.KZB");
  ASSERT_TRUE(WriteModel(opened));
  g_ModalHooks.messageBox = RecordBox;
  g_ModalHooks.getOpenFileName = Drive_AnswerFile;
  g_ModalHooks.getSaveFileName = Drive_AnswerFile;

  // The 2D family, then its motion button: three dialogs and the motion menu.
  ASSERT_TRUE(Drive_Start2D("miravel_settings_mot2"));
  ASSERT_EQ(Drive_Press2D(IDC_M2D_MOTION), (u32)SUB_2D_MOTION);
  Ed2DMotionEditor &e = g_Ed2DMotion;
  for (void *w : {e.valuesDlg, e.keyDlg, e.listDlg, e.motionList}) EXPECT_TRUE(Drive_Alive(w));
  EXPECT_NE(GetMenuState(GetMenu(g_Lib.mainWnd), IDM_2D_SOUND_LIST, MF_BYCOMMAND), (UINT)-1) << "MENU_2D_MOTION";
  EXPECT_EQ(g_Strip.g_StripWindows[STRIP_BONE2_KEYS].window, e.keyDlg);
  EXPECT_EQ(e.tool, 1u);

  // The test model through the file dialog.
  g_DriveAnswer = "miravel_mot2.KZB";
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZB_OPEN, 0);
  Drive_Pump(10);
  Bone2Model *m = g_Bone2Slots[0];
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->boneCount, 3) << (g_boxes.empty() ? "" : g_boxes.back());
  EXPECT_EQ(Drive_ListText(e.motionList, 0), " 0 : 0 ～ 60  モーション名");

  // Row 2 of the strip at frame 30's x: bone 2 and frame 30.
  ASSERT_GE(g_TreeRows.count, 3);
  ASSERT_EQ(g_TreeRows.rows[2].item, 2);
  StripClick(STRIP_LABEL_X + 30 * 10 / Strip_Divisor(), STRIP_HEADER + 2 * STRIP_ROW + 5);
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 2u);
  EXPECT_EQ(m->currentFrame, 30);

  // A key at 30 with typed values.
  Drive_Command(e.valuesDlg, IDC_MOT2D_CREATE);
  EXPECT_TRUE(Drive_PumpUntil([&] { return e.valuesRefresh == 0; }, 3000));
  SetField(e.valuesDlg, IDC_MOT2D_X, "40");
  SetField(e.valuesDlg, IDC_MOT2D_Y, "-20");
  SetField(e.valuesDlg, IDC_MOT2D_ANGLE, "15");
  Drive_Command(e.valuesDlg, IDC_MOT2D_APPLY);
  Drive_Pump(5);
  ASSERT_EQ(Track(2, 0)->count, 2);
  const BoneKey2 &k30 = Track(2, 0)->keys[1];
  EXPECT_EQ(k30.frame, 30);
  EXPECT_FLOAT_EQ(k30.x, 40);
  EXPECT_FLOAT_EQ(k30.y, -20);
  EXPECT_FLOAT_EQ(k30.angle, 15);
  EXPECT_FLOAT_EQ(k30.scaleX, 1);

  // Rotate tool, a left drag right 10 and up 10 in the main view: 0.3 per frame pixel each.
  Drive_Command(e.valuesDlg, IDC_MOT2D_ROTATE);
  Place2D p = Draw_CurrentPlacement();
  SendMessageA(g_Lib.mainWnd, WM_MOUSEMOVE, 0, MAKELPARAM(300, 300));
  SendMessageA(g_Lib.mainWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 300));
  for (i32 d = 2; d <= 10; d += 2) SendMessageA(g_Lib.mainWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300 + d, 300 - d));
  SendMessageA(g_Lib.mainWnd, WM_LBUTTONUP, 0, MAKELPARAM(310, 290));
  Drive_Pump(5);
  f32 turned = 0.3f * 10.0f / (p.scaleX != 0.0f ? p.scaleX : 1.0f) + 0.3f * 10.0f / (p.scaleY != 0.0f ? p.scaleY : 1.0f);
  EXPECT_NEAR(k30.angle, 15.0f + turned, 0.01f);
  EXPECT_EQ(Track(2, 0)->count, 2) << "the press on a keyed frame makes no second key";
  EXPECT_FLOAT_EQ(k30.x, 40);
  const BoneKey2 a = Track(2, 0)->keys[0], b = k30;

  // A motion added from the list dialog: the current one takes the typed name and length.
  SetField(e.listDlg, IDC_ML2D_NAME, "歩く");
  SetField(e.listDlg, IDC_ML2D_LENGTH, "60");
  Drive_Command(e.listDlg, IDC_ML2D_ADD);
  Drive_Pump(5);
  ASSERT_EQ(m->motionCount, 2);
  EXPECT_EQ(m->currentMotion, 1);
  EXPECT_EQ(Drive_ListText(e.motionList, 0), " 0 : 0 ～ 60  歩く");
  ASSERT_NE(Track(2, 1), nullptr);
  EXPECT_EQ(Track(2, 1)->count, 1);

  // Back to motion 0 through the list, frame 30 from the strip; play runs, stop comes back.
  SendMessageA((HWND)e.motionList, LB_SETCURSEL, 0, 0);
  SendMessageA((HWND)e.listDlg, WM_COMMAND, MAKEWPARAM(IDC_2D_LIST, LBN_SELCHANGE), (LPARAM)e.motionList);
  EXPECT_EQ(m->currentMotion, 0);
  StripClick(STRIP_LABEL_X + 30 * 10 / Strip_Divisor(), STRIP_HEADER + 2 * STRIP_ROW + 5);
  ASSERT_EQ(m->currentFrame, 30);
  Drive_Command(e.valuesDlg, IDC_MOT2D_PLAY);
  EXPECT_TRUE(Drive_PumpUntil([&] { return m->currentFrame > 3 && m->currentFrame < 30; }, 3000));
  EXPECT_EQ(g_Shell.g_Playing, 1u);
  Drive_Command(e.valuesDlg, IDC_MOT2D_STOP);
  EXPECT_EQ(g_Shell.g_Playing, 0u);
  EXPECT_EQ(m->currentFrame, 30);

  // Bone 2's cross stands at its posed origin: rest (40, 20) + key (40, -20) + placement.
  Drive_Pump(60);
  COLORREF cross = Drive_ScreenAtFrame(320.0f + 80.0f, 240.0f + 0.0f);
  EXPECT_GT(GetRValue(cross), 200) << std::hex << cross;
  EXPECT_GT(GetGValue(cross), 200) << std::hex << cross;
  EXPECT_LT(GetBValue(cross), 80) << std::hex << cross;
  COLORREF rest = Drive_ScreenAtFrame(320.0f + 40.0f + 3.0f, 240.0f + 20.0f + 3.0f);
  EXPECT_FALSE(GetRValue(rest) > 200 && GetGValue(rest) > 200 && GetBValue(rest) < 80) << "not at the rest place";
  Drive_Hold("MIRAVEL_MOT2_HOLD");

  // Saved with 40097: modeldump shows bone 2's keys exactly, and the file read back gives at
  // frame 45 the pose halfway between its two keys (the segment 30 -> 60 wraps to the key at 0).
  g_DriveAnswer = "miravel_mot2_saved.KZB";
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZB_SAVE, 0);
  Drive_Pump(5);
  std::string saved = Drive_Temp(g_DriveAnswer.c_str());
  std::string dump = Drive_ModelDump(saved);
  std::string want = "{\"bone\":2,\"motions\":[[" + KeyText(a) + "," + KeyText(b) + "],[[0,0,0,0,1,1]]]}";
  EXPECT_NE(dump.find(want), std::string::npos) << want << "\n" << dump;

  const i32 spare = 9;
  g_ModelAllocArrays = 0;
  ASSERT_EQ(Shown(Kzb_Read, spare, saved.c_str()), 1);
  Bone2Model *r = g_Bone2Slots[spare];
  r->currentMotion = 0;
  r->currentFrame = 45;
  Bone2_UpdateKeyIndices(spare);
  Bone2_EvalKey(spare, 2, r->bones[2].keyIndex, r->bones[2].fraction);
  const f32 *pose = r->bones[2].pose;
  const f32 half[5] = {(a.x + b.x) / 2, (a.y + b.y) / 2, (a.angle + b.angle) / 2, (a.scaleX + b.scaleX) / 2,
                       (a.scaleY + b.scaleY) / 2};
  for (int i = 0; i < 5; i++) EXPECT_NEAR(pose[i], half[i], 1e-4) << i;
  Bone2_FreeSlot(spare);

  Drive_End("miravel_settings_mot2");
  DeleteFileA(saved.c_str());
  DeleteFileA(opened.c_str());
  g_ModalHooks = ModalHooks{};
}

namespace {
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
}  // namespace
