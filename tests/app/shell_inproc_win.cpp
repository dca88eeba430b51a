// The shell started inside the test program: a quoted .kzp path on the command line opens
// that model in the 3D editor, the selector's preview button installs the preview menu in
// place of the window's menu, every menu command reaches the family hook exactly once, and
// "終了" answered "いいえ" reaches it too while "はい" closes without reaching it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/shell_options.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model_shown.h"
#include "app/current.h"
#include "app/entries.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_seam.h"
#include "app/shell_win.h"
#include "app/startup_win.h"
#include "app/views.h"
#include "edit3d/undo.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "resources/shell_ids.h"
#include "file_bytes.h"
#include "wine_drive.h"
#include "test_models.h"

void CheckFrameUpdateInShell();

namespace {

std::vector<u32> g_commands;
int g_boxAnswer = IDNO;
int g_boxes;

void CountCommand(const HookCtx *c) { g_commands.push_back(c->command); }

int AnswerBox(HWND, const char *, const char *, UINT) {
  g_boxes++;
  return g_boxAnswer;
}

// A key released in a window after the loop ran dry: the idle pass frees the key latch
// (by hand here: a program without focus waits in GetMessage and has no idle passes).
void Release(HWND w, UINT vk) {
  g_AppShell.keyLatch = 0;
  SendMessageA(w, WM_KEYUP, vk, 0);
}

std::string TempKzp() {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  return std::string(dir) + "miravel_cmdline.KZP";
}

}  // namespace

TEST(ShellInProcess, CommandLineModelMenuSwitchAndCommandRouting) {
  // A model of one triangle to name on the command line.
  Model3 *m = TestModel_NewTriangle(1);
  ASSERT_NE(m, nullptr);
  std::string path = TempKzp();
  ASSERT_TRUE(Shown(Kzp_Write, m, path.c_str()));
  Model3_Free(m);

  // A settings file with a polygon limit of 20000 in a settings folder of the test's own:
  // the library must size its arrays by it.
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  std::string folder = std::string(tmp) + "miravel_settings_inproc";
  CreateDirectoryA(folder.c_str(), nullptr);
  SetEnvironmentVariableA("MIRAVEL_SETTINGS_DIR", folder.c_str());
  ASSERT_TRUE(Settings_SetFolder(folder.c_str()));
  char name[300];
  Settings_FilePath(name, sizeof name, GetSystemMetrics(SM_CXSCREEN));
  Settings_SetDefaults();
  g_Options.g_OptMaxPolygons = 20000;
  ByteWriter w = {};
  Settings_Encode(&w);
  ASSERT_TRUE(File_WriteAtomic(name, w.data, w.size));
  Wr_Free(&w);

  g_ModalHooks.messageBox = AnswerBox;
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", nullptr);
  std::string cmd = "\"" + path + "\"";
  ASSERT_TRUE(App_Startup(GetModuleHandleA(nullptr), cmd.c_str()));
  EXPECT_EQ(g_MaxPolygons, 20000u);
  EXPECT_EQ(g_Options.g_OptMaxPolygons, 20000);
  // The shell's start-up values win over the library's: frames go into the view windows,
  // 2D content is centred rather than scaled, the model code runs as the editor.
  EXPECT_EQ(g_Lib.viewWindowMode, 1u);
  EXPECT_EQ(g_Lib.frameScaling, 0u);
  EXPECT_EQ(g_EditorMode, 1u);
  SetCurrentDirectoryA(g_Lib.dataDir);

  Drive_Pump(200);
  EXPECT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_3D_MODEL);
  EXPECT_EQ(g_Shell.g_EditSubMode, 14u);
  ASSERT_NE(g_Model3Slots[0], nullptr);
  EXPECT_EQ(g_Model3Slots[0]->polygonCount, 1);
  EXPECT_TRUE(IsZoomed(g_Lib.mainWnd));

  HWND selector = (HWND)g_EditDlg.window;
  ASSERT_NE(selector, nullptr);
  EXPECT_EQ(IsDlgButtonChecked(selector, IDC_EDIT_3D_MODEL), (UINT)BST_CHECKED);
  HMENU windowMenu = GetMenu(g_Lib.mainWnd);
  SendMessageA(selector, WM_COMMAND, MAKEWPARAM(IDC_EDIT_PREVIEW, BN_CLICKED), 0);
  Drive_Pump(100);
  EXPECT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_PREVIEW);
  EXPECT_EQ(IsDlgButtonChecked(selector, IDC_EDIT_PREVIEW), (UINT)BST_CHECKED);
  HMENU menu = GetMenu(g_Lib.mainWnd);
  ASSERT_NE(menu, nullptr);
  EXPECT_NE(menu, windowMenu);
  EXPECT_NE(GetMenuState(menu, IDM_RENDER, MF_BYCOMMAND), (UINT)-1);
  // Back to the 3D editor: the preview menu is detached before it is destroyed.
  SendMessageA(selector, WM_COMMAND, MAKEWPARAM(IDC_EDIT_3D_MODEL, BN_CLICKED), 0);
  Drive_Pump(50);
  EXPECT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_3D_MODEL);
  EXPECT_NE(GetMenu(g_Lib.mainWnd), menu);
  EXPECT_FALSE(IsMenu(menu));
  // A main view uncovered (its window painted) is flagged to be drawn again.
  ViewRecord *mainView = View_Get(g_Shell.g_EditSubMode, 0);
  mainView->redraw = 0;
  InvalidateRect(g_Lib.mainWnd, nullptr, FALSE);
  SendMessageA(g_Lib.mainWnd, WM_PAINT, 0, 0);
  EXPECT_EQ(mainView->redraw, 1u);

  // File menu: a model saved by the program, opened and saved under a new name: the same bytes.
  Undo_Install();
  g_ModalHooks.getOpenFileName = Drive_AnswerFile;
  g_ModalHooks.getSaveFileName = Drive_AnswerFile;
  std::string tempDir = path.substr(0, path.size() - strlen("miravel_cmdline.KZP"));
  g_DriveAnswer = "miravel_cmdline.KZP";
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZP_OPEN, 0);
  ASSERT_NE(g_Model3Slots[0], nullptr);
  EXPECT_EQ(g_Model3Slots[0]->positionCount, 3);
  g_DriveAnswer = "miravel_first.KZP";
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZP_SAVE, 0);
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZP_OPEN, 0);
  Drive_Pump(10);
  ASSERT_NE(g_Model3Slots[0], nullptr);
  g_DriveAnswer = "miravel_saved.KZP";
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZP_SAVE, 0);
  std::vector<u8> first = ReadFileBytes(tempDir + "miravel_first.KZP");
  EXPECT_FALSE(first.empty());
  EXPECT_EQ(ReadFileBytes(tempDir + g_DriveAnswer), first);
  DeleteFileA((tempDir + "miravel_first.KZP").c_str());
  DeleteFileA((tempDir + g_DriveAnswer).c_str());

  // Keys in a view window (the main window when the layout has none): two edits recorded,
  // U twice and I once leave the model of the first edit.
  HWND keys = g_Shell.g_Views[14][1].window ? (HWND)g_Shell.g_Views[14][1].window : g_Lib.mainWnd;
  Drive_Pump(5);
  g_Model3Slots[0]->positions[0].x = 9;
  g_ShellSeam.undoPush("edit 1");
  g_Model3Slots[0]->positions[0].x = 20;
  g_ShellSeam.undoPush("edit 2");
  Release(keys, 'U');
  Release(keys, 'U');
  Release(keys, 'I');
  EXPECT_EQ(g_Model3Slots[0]->positions[0].x, 9.0f);
  // F7 reads the data folder's "0.KZP" (a cube) into slot 0, once the undone model (a change
  // since it was made) may go.
  int answer = g_boxAnswer;
  g_boxAnswer = IDYES;
  g_boxes = 0;
  Release(keys, VK_F7);
  EXPECT_EQ(g_boxes, 1) << "the undone model is asked for";
  g_boxes = 0;
  g_boxAnswer = answer;
  ASSERT_NE(g_Model3Slots[0], nullptr);
  EXPECT_EQ(g_Model3Slots[0]->polygonCount, 6);
  EXPECT_EQ(g_Model3Slots[0]->positionCount, 8);
  // Esc answered "いいえ" keeps the program running.
  g_boxAnswer = IDNO;
  Release(keys, VK_ESCAPE);
  EXPECT_EQ(g_boxes, 1);
  EXPECT_TRUE(IsWindow(g_Lib.mainWnd));
  g_boxes = 0;
  g_ModalHooks.getOpenFileName = nullptr;
  g_ModalHooks.getSaveFileName = nullptr;
  SetCurrentDirectoryA(g_Lib.dataDir);

  // Commands: the family hook sees each exactly once, the notification word ignored.
  FamilyHooks saved = g_FamilyHooks[FAMILY_3D_MODEL];
  g_FamilyHooks[FAMILY_3D_MODEL].command = CountCommand;
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, MAKEWPARAM(40300, 1), 0);
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_OPTIONS, 0);
  Drive_Pump(20);
  EXPECT_NE(g_OptionDlg.window, nullptr);
  SendMessageA((HWND)g_OptionDlg.window, WM_COMMAND, MAKEWPARAM(IDC_OPT_CLOSE, BN_CLICKED), 0);
  EXPECT_EQ(g_OptionDlg.window, nullptr);
  g_boxAnswer = IDNO;
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_EXIT, 0);
  EXPECT_EQ(g_boxes, 1);
  EXPECT_TRUE(IsWindow(g_Lib.mainWnd));
  EXPECT_EQ(g_commands, (std::vector<u32>{40300, IDM_OPTIONS, IDM_EXIT}));

  CheckFrameUpdateInShell();   // update_checks_win.cpp

  // "はい": the window closes and the command stops there.
  g_boxAnswer = IDYES;
  HWND main = g_Lib.mainWnd;
  SendMessageA(main, WM_COMMAND, IDM_EXIT, 0);
  EXPECT_EQ(g_boxes, 2);
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(g_commands.size(), 3u);
  g_FamilyHooks[FAMILY_3D_MODEL] = saved;
  int code = -1;
  DWORD deadline = GetTickCount() + g_DrivePumpMs;
  for (int i = 0; i < 1000 && Drive_LoopStep(deadline, &code) == DRIVE_STEP_RAN; i++) {
  }
  EXPECT_EQ(code, 0);   // the loop ends on WM_QUIT

  // The settings were saved on WM_DESTROY, into the test's folder.
  EXPECT_FALSE(ReadFileBytes(name).empty());
  DeleteFileA(name);
  RemoveDirectoryA(folder.c_str());
  DeleteFileA(path.c_str());
  g_ModalHooks.messageBox = nullptr;
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
