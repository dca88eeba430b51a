// The program family inside the started program, driven by messages: the selector's
// "プログラム" shows the source dialog, MENU_PROG and the log; command 52 picks a test source
// through an answering file dialog; F5 writes Program.KZS with the bytes built by hand and
// runs the script (a model moved by a variable every frame, the camera, a PNG and a line of
// text); the edit text replaces the source file on F5; F6 frees the model slots.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "lib/framework/lib_state.h"
#include "model_shown.h"
#include "resources/prog_ids.h"
#include "app/family.h"
#include "app/shell_win.h"
#include "app/startup_win.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "lib/media/dialogs.h"
#include "lib/media/log.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "model/object.h"
#include "resources/shell_ids.h"
#include "scene/prog_run.h"
#include "file_bytes.h"
#include "tests/scene/prog_fixture.h"
#include "wine_drive.h"
#include "test_models.h"

namespace {

std::string g_dir;
std::vector<std::string> g_logLines;

std::string Source(void) {
  return "Var x\nVar d\nd = 0 - 30\nFolder " + g_dir +
         "\nPolyLoad 1 t.kzp\nImgLoad 0 p.png\nCameraS 0 0 d\nCameraE 0 0 0\n*L\n"
         "x = x + 0.5\nPolyPos 1 x 0 0\nImgDraw 0 10 100\nFont 10 200 Hello\nScreenDraw\nGo *L\n";
}

// Program.KZS of Source(), field by field from the file layout.
Blob ExpectedKzs(void) {
  return KzsBytes::File({"x", "d"}, {
      {0},
      {0},
      {4, {0, 0, 0, 2, 30}, {1, 0, -1, 0, -1}},
      {20, {}, {}, g_dir.c_str()},
      {9, {0, 1}, {}, "t.kzp"},
      {7, {0}, {}, "p.png"},
      {16, {}, {0, -1, -1, 1, 0}},
      {17, {}, {0, -1, -1, -1, 0}},
      {1},
      {4, {0, 0, 0, 1, 0.5f}, {0, 0, 0, 0, -1}},
      {10, {0, 1}, {0, 0, 0, -1, -1}},
      {8, {0, 0, 10, 100}, {0, 0, -1, 0, 0}},
      {6, {10, 200}, {}, "Hello"},
      {22},
      {21, {0, 8, 0}},
  });
}

void WriteText(const std::string &path, const std::string &text) {
  WriteFileBytes(path.c_str(), std::vector<u8>(text.begin(), text.end()));
}

f32 VariableX(void) { return g_ProgEditor.runtime->tables.variableValues[0]; }

}  // namespace

TEST(ProgInProcess, SourceDialogRunsAScriptWritesProgramKzsAndStops) {
  g_dir = Drive_NewAnswerFolder("progwin");
  g_DriveAnswer = "s.txt";
  // A triangle model and a PNG beside the source.
  Model3 *m = TestModel_NewTriangle(4);
  ASSERT_NE(m, nullptr);
  ASSERT_TRUE(Shown(Kzp_Write, m, (g_dir + "\\t.kzp").c_str()));
  Model3_Free(m);
  ASSERT_TRUE(CopyFileA(SourcePath("tests/golden/draw/textures.png").c_str(), (g_dir + "\\p.png").c_str(), FALSE));
  WriteText(g_dir + "\\s.txt", Source());

  // "プログラム": the source dialog, the family's menu and the log window.
  ASSERT_NO_FATAL_FAILURE(Drive_StartFamily(Prog_InstallWin, IDC_EDIT_PROGRAM, FAMILY_PROGRAM));
  HWND edit = (HWND)g_ProgEditor.editControl;
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(IsWindowVisible(GetParent(edit)));
  EXPECT_NE(GetMenuState(GetMenu(g_Lib.mainWnd), IDM_PROG_SOURCE, MF_BYCOMMAND), (UINT)-1);
  EXPECT_NE(GetMenuState(GetMenu(g_Lib.mainWnd), IDM_PROG_WRITE_KZS, MF_BYCOMMAND), (UINT)-1);
  EXPECT_NE(g_Log.window, nullptr);

  // Command 52: the source is chosen and shown.
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_PROG_SOURCE, 0);
  Drive_Pump(20);
  EXPECT_STREQ(g_ProgEditor.sourceName, "s.txt");
  char text[1024] = {};
  GetWindowTextA(edit, text, sizeof text);
  EXPECT_EQ(std::string(text), Source());

  // F5 (released): Program.KZS beside the source, the script runs.
  PostMessageA(g_Lib.mainWnd, WM_KEYUP, VK_F5, 0);
  ASSERT_TRUE(Drive_PumpUntil([] { return g_ProgEditor.runtime && g_ProgEditor.runtime->running; }));
  EXPECT_EQ(ReadFileBytes((g_dir + "\\Program.KZS").c_str()), ExpectedKzs());
  Drive_PumpUntil([] { return VariableX() >= 15.0f; });
  ASSERT_EQ(VariableX(), 15.0f);   // 30 frames of x + 0.5
  ASSERT_NE(g_Model3Slots[1], nullptr);
  ASSERT_NE(g_SceneObjects[1], nullptr);
  EXPECT_EQ(g_SceneObjects[1]->pos[0], 15.0f);
  EXPECT_EQ(g_ProgEditor.runtime->images[0].loaded, 1u);

  // Text set into the edit control is what F5 compiles and writes back.
  std::string changed = "Var y\ny = 4\nScreenDraw\n";
  SetWindowTextA(edit, changed.c_str());
  PostMessageA(g_Lib.mainWnd, WM_KEYUP, VK_F5, 0);
  EXPECT_TRUE(Drive_PumpUntil([] { return strcmp(g_ProgEditor.runtime->tables.variableNames[0], "y") == 0; }));
  std::vector<u8> file = ReadFileBytes((g_dir + "\\s.txt").c_str());
  EXPECT_EQ(std::string(file.begin(), file.end()), changed);
  EXPECT_STREQ(g_ProgEditor.runtime->tables.variableNames[0], "y");

  // F6 stops and frees the model slots; the folder is the data folder again.
  PostMessageA(g_Lib.mainWnd, WM_KEYUP, VK_F6, 0);
  EXPECT_TRUE(Drive_PumpUntil([] { return g_ProgEditor.runtime->running == 0; }));
  EXPECT_EQ(g_ProgEditor.runtime->running, 0);
  for (int n = 0; n < MODEL3_SLOTS; n++) EXPECT_EQ(g_Model3Slots[n], nullptr) << n;
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(sizeof cwd, cwd);
  EXPECT_STREQ(cwd, g_Lib.dataDir);

  // A path typed into the dialog ("sub\\r.txt", relative to the folder it shows) leaves the
  // current folder where it was: the source is still that file, in that folder.
  CreateDirectoryA((g_dir + "\\sub").c_str(), nullptr);
  WriteText(g_dir + "\\sub\\r.txt", "Var r\r\n");
  static std::string s_typed;
  s_typed = g_dir + "\\sub\\r.txt";
  g_LibHooks.fileDlg.run = [](FileDlgRequest *req) {
    Str_Copy(req->file, FILEDLG_TEXT, s_typed.c_str());
    Str_Copy(req->fileTitle, FILEDLG_TEXT, "r.txt");
    return true;
  };
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_PROG_SOURCE, 0);
  Drive_Pump(20);
  EXPECT_STREQ(g_ProgEditor.sourceName, "r.txt");
  EXPECT_EQ(std::string(g_ProgEditor.sourceFolder), g_dir + "\\sub");
  GetWindowTextA(edit, text, sizeof text);
  EXPECT_EQ(std::string(text), "Var r\r\n");
  g_LibHooks.fileDlg.run = Drive_AnswerRequest;
  DeleteFileA((g_dir + "\\sub\\r.txt").c_str());
  RemoveDirectoryA((g_dir + "\\sub").c_str());

  DestroyWindow(g_Lib.mainWnd);
  Drive_Pump(200);
  for (const char *f : {"s.txt", "t.kzp", "p.png", "Program.KZS"}) DeleteFileA((g_dir + "\\" + f).c_str());
  RemoveDirectoryA(g_dir.c_str());
  g_ModalHooks.messageBox = nullptr;
  g_LibHooks.fileDlg.run = nullptr;
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
