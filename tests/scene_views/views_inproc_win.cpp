// What the main window's title and the scene families' view windows show, in the running
// shell: the 3D editor's title before and after a save under a new name, the 2D family's after
// one, the collision and effect families' titles; the collision editor's Front, Top and Side
// views and the effect family's view windows, read from the screen.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/family.h"
#include "app/shell_win.h"
#include "app/views.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "app/shell_view.h"
#include "lib/framework/view_record.h"
#include "resources/shell_ids.h"
#include "scene/coli_edit_win.h"
#include "scene/effect_edit.h"
#include "wine_drive.h"

namespace {

std::string MainTitle() {
  char text[600] = {};
  GetWindowTextA(g_Lib.mainWnd, text, sizeof text);
  return text;
}

std::string Title(const std::string &name, const char *version) {
  return std::string(" ") + g_AppCaption + "   " + name + " ( Ver " + version + " )";
}

bool TitleBecomes(const std::string &want) {
  return Drive_PumpUntil([&] { return MainTitle() == want; }, 3000);
}

// Pixels of a window's client area whose three channels are all above 180: the screen text
// (grey-white) on the collision editor's grey and the effect editor's black.
// Pixels another window covers are not counted.
int Bright(HWND w) {
  int width, height, n = 0;
  std::vector<u32> px = Drive_ScreenOf(w, &width, &height);
  for (int y = 0; y < height; y++)
    for (int x = 0; x < width; x++) {
      u32 c = px[(size_t)y * width + x];
      if ((c >> 16) <= 180 || ((c >> 8) & 255) <= 180 || (c & 255) <= 180) continue;
      POINT p = {x, y};
      ClientToScreen(w, &p);
      n += WindowFromPoint(p) == w;
    }
  return n;
}

// The view windows other than the main view: none of them shows the main view's screen text.
void ExpectNoTextInSideViews(const char *family) {
  int windows = 0;
  for (u32 i = 1; i < VIEWS_PER_LAYOUT; i++) {
    const ViewRecord &v = g_Shell.g_Views[g_Shell.g_EditSubMode][i];
    if (!v.inUse || !v.window || !IsWindowVisible((HWND)v.window)) continue;
    windows++;
    EXPECT_EQ(Bright((HWND)v.window), 0) << family << " view " << i;
  }
  EXPECT_GE(windows, 3) << family;
}

}  // namespace

TEST(ViewsInProcess, TitlesNameTheDocumentAndSceneViewsShowTheirScene) {
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", "1");
  g_ModalHooks.messageBox = Drive_AnswerYes;
  Ed2D_InstallWin();
  Ed2D_ObjInstallWin();
  Ed2D_MotionInstallWin();
  Coli_InstallWin();
  Particle_InstallWin();
  ASSERT_TRUE(Drive_Start3D("", "miravel_settings_views"));
  g_ModalHooks.getSaveFileName = Drive_AnswerFile;

  // The 3D editor: the new model, then the same model saved under a name of its own.
  Drive_Command(g_EditDlg.window, IDC_EDIT_3D_MODEL);
  Drive_Pump(30);
  ASSERT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_3D_MODEL);
  ASSERT_TRUE(Drive_PumpUntil([] { return MainTitle().find("( Ver") != std::string::npos; }, 3000)) << MainTitle();
  std::string version = MainTitle().substr(MainTitle().find("( Ver"));
  EXPECT_TRUE(TitleBecomes(std::string(" ") + g_AppCaption + "   新規.KZP " + version)) << MainTitle();
  std::string saved = Drive_Temp("miravel_views.KZP");
  DeleteFileA(saved.c_str());
  g_DriveAnswer = "miravel_views.KZP";
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZP_SAVE, 0);
  Drive_Pump(5);
  EXPECT_TRUE(TitleBecomes(std::string(" ") + g_AppCaption + "   miravel_views.KZP " + version)) << MainTitle();
  DeleteFileA(saved.c_str());

  // The 2D family: its bone model saved under a name of its own.
  Drive_Command(g_EditDlg.window, IDC_EDIT_2D_MODEL);
  Drive_Pump(30);
  ASSERT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_2D_MODEL);
  g_DriveAnswer = "miravel_views.KZB";
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZB_SAVE, 0);
  Drive_Pump(5);
  EXPECT_TRUE(Drive_PumpUntil([] { return MainTitle().find("   miravel_views.KZB ( Ver ") != std::string::npos; }, 3000))
      << MainTitle();
  DeleteFileA(Drive_Temp("miravel_views.KZB").c_str());

  // The collision editor (its new set; its Front, Top and Side views) and the effect editor
  // (its new effect; its view windows): the new document in the title, no text in the views.
  const struct {
    int button;
    u32 family;
    const char *document, *version, *name;
  } kScenes[] = {
      {IDC_EDIT_COLLISION, FAMILY_COLLISION, "新規.KZC", "2002.010", "collision"},
      {IDC_EDIT_EFFECT, FAMILY_EFFECT, "新規.KZE", "2003.000", "effect"},
  };
  for (const auto &c : kScenes) {
    Drive_Command(g_EditDlg.window, c.button);
    Drive_Pump(30);
    ASSERT_EQ(g_Shell.g_EditFamily, c.family);
    EXPECT_TRUE(TitleBecomes(Title(c.document, c.version))) << MainTitle();
    Drive_PumpIdle(60);
    ExpectNoTextInSideViews(c.name);
  }

  Drive_Command(g_EditDlg.window, IDC_EDIT_PREVIEW);
  Drive_Pump(20);
  SendMessageA(g_Lib.mainWnd, WM_CLOSE, 0, 0);
  Drive_Pump(20);
}

const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
