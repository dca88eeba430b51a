// The motion sub-mode in the running program, driven by messages: button 1094, a right click
// in the main view on bone 2 makes it current, a left drag in the Front view window turns
// its key at the current frame (one undo step), and the file saved with 40024 shows the new
// key frame through modeldump.
#include <gtest/gtest.h>
#include <windows.h>

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <string>

#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/startup_win.h"
#include "app/views.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/undo_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "wine_drive.h"

namespace {

LPARAM At(i32 x, i32 y) { return MAKELPARAM(x, y); }

}  // namespace

TEST(MotionInProcess, PickARotateDragAndTheSavedKey) {
  // Bones 1 and 2 stand one above the other over the root.
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_New();
  ASSERT_NE(m, nullptr);
  m->boneCount = 3;
  m->bones[1].parent = 0;
  m->bones[2].parent = 1;
  m->boneRest[1].pos[1] = 2.0f;
  m->boneRest[2].pos[1] = 2.0f;
  std::string path = Drive_TempDir() + "miravel_motion.KZP";
  ASSERT_TRUE(Kzp_Write(m, path.c_str()));
  Model3_Free(m);

  std::string folder = Drive_TempDir() + "miravel_settings_motion";
  CreateDirectoryA(folder.c_str(), nullptr);
  SetEnvironmentVariableA("MIRAVEL_SETTINGS_DIR", folder.c_str());
  ASSERT_TRUE(Settings_SetFolder(folder.c_str()));
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", "1");
  Undo_InstallWin();
  Ed3D_InstallWin();
  std::string cmd = "\"" + path + "\"";
  ASSERT_TRUE(App_Startup(GetModuleHandleA(nullptr), cmd.c_str()));
  Drive_Pump(100);
  ASSERT_EQ(g_EditFamily, (u32)FAMILY_3D_MODEL);

  SendMessageA((HWND)g_Ed3D.modePanel, WM_COMMAND, MAKEWPARAM(ED3D_BTN_MOTION, BN_CLICKED), 0);
  Drive_Pump(20);
  ASSERT_EQ(g_EditSubMode, (u32)SUB_3D_MOTION);
  Model3 *cur = g_Model3Slots[0];
  ASSERT_NE(cur, nullptr);
  ASSERT_EQ(cur->boneCount, 3);
  cur->frame = 5;
  g_CurBoneIndex = 1;
  Drive_Pump(10);   // the per-frame pass poses the bones

  // A right click on bone 2 in the main view.
  ASSERT_TRUE(g_Views[SUB_3D_MOTION][0].clientW > 0 || g_Views[SUB_3D_MOTION][0].w > 0);
  f32 s[2];
  ASSERT_TRUE(Ed3D_MotionBoneScreenView0(2, s));
  i32 x = (i32)s[0], y = (i32)s[1];
  SendMessageA(g_MainWnd, WM_RBUTTONDOWN, MK_RBUTTON, At(x, y));
  SendMessageA(g_MainWnd, WM_RBUTTONUP, 0, At(x, y));
  Drive_Pump(5);
  EXPECT_EQ(g_CurBoneIndex, 2u);

  // A left drag in the Front view window.
  HWND front = nullptr;
  for (i32 i = 1; i < VIEWS_PER_LAYOUT; i++)
    if (g_Views[SUB_3D_MOTION][i].kind == VIEW_FRONT && g_Views[SUB_3D_MOTION][i].window)
      front = (HWND)g_Views[SUB_3D_MOTION][i].window;
  ASSERT_NE(front, nullptr);
  UndoHistory *h = Undo_Current();
  ASSERT_NE(h, nullptr);
  i32 steps = h->top;
  SendMessageA(front, WM_LBUTTONDOWN, MK_LBUTTON, At(100, 100));
  for (i32 px = 110; px <= 160; px += 10) SendMessageA(front, WM_MOUSEMOVE, MK_LBUTTON, At(px, 100));
  SendMessageA(front, WM_LBUTTONUP, 0, At(160, 100));
  Drive_Pump(5);
  const KeyTrack *t = &cur->bones[2].keys[0];
  i32 k = KeyTrack_Find(t, 5);
  ASSERT_GE(k, 0);
  EXPECT_GT(fabsf(t->keys[k].quat[2]), 0.1f);   // turned about Z in the Front view
  EXPECT_EQ(h->top, steps + 1);
  EXPECT_STREQ(h->steps[h->top].label, "回転 ( モーション )");

  // Saved by the File menu and read by modeldump: bone 2 keys frames 0 and 5.
  g_ModalHooks.getSaveFileName = Drive_AnswerFile;
  g_DriveAnswer = "miravel_motion_saved.KZP";
  SendMessageA(g_MainWnd, WM_COMMAND, 40024, 0);
  g_ModalHooks.getSaveFileName = nullptr;
  std::string saved = Drive_TempDir() + g_DriveAnswer;
  std::string dump = Drive_ModelDump(saved);
  EXPECT_NE(dump.find("\"parent\":1,\"keyFrames\":[[0,5]]"), std::string::npos) << dump;

  DestroyWindow(g_MainWnd);
  int code = -1;
  for (int i = 0; i < 1000 && App_LoopStep(&code); i++) {
  }
  DeleteFileA(path.c_str());
  DeleteFileA(saved.c_str());
  char name[300];
  Settings_FilePath(name, sizeof name, GetSystemMetrics(SM_CXSCREEN));
  DeleteFileA(name);
  RemoveDirectoryA(folder.c_str());
}
