// Checks of the per-frame update, the preview's render dialog and the sketch dialog in the
// running shell, driven by messages (called from the in-process shell test while its main
// window lives, in the 3D editor with the command-line model in slot 0).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/family.h"
#include "app/nav.h"
#include "app/preview.h"
#include "app/settings.h"
#include "app/shell_options.h"
#include "app/shell_view.h"
#include "app/sketch.h"
#include "app/startup_state.h"
#include "app/startup_win.h"
#include "app/update.h"
#include "app/views.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "lib/framework/view_record.h"
#include "model/model3.h"
#include "resources/shell_ids.h"
#include "resources/tools_ids.h"
#include "file_bytes.h"
#include "wine_drive.h"

namespace {
int g_Boxes;
std::string g_LastBox;
int CountBox(HWND, const char *text, const char *, UINT) {
  g_Boxes++;
  g_LastBox = text;
  return IDOK;
}

void Pass(int n, const char *file = __builtin_FILE(), int line = __builtin_LINE()) { Drive_Pump(n, file, line); }

std::string g_Pick;   // bare name the open dialog answers; empty: cancel
BOOL PickFile(OPENFILENAMEA *ofn) {
  if (g_Pick.empty()) return FALSE;
  SetCurrentDirectoryA(g_Lib.rootDir);   // the dialog leaves the chosen folder current
  lstrcpynA(ofn->lpstrFile, g_Pick.c_str(), ofn->nMaxFile);
  if (ofn->lpstrFileTitle) lstrcpynA(ofn->lpstrFileTitle, g_Pick.c_str(), ofn->nMaxFileTitle);
  return TRUE;
}

std::string EditText(HWND dlg, int id) {
  char t[300] = {};
  GetDlgItemTextA(dlg, id, t, sizeof t);
  return t;
}

std::string RootFile(const char *name) { return std::string(g_Lib.rootDir) + "\\" + name; }

void CheckPlaybackAndTitle() {
  Model3 *m = g_Model3Slots[0];
  ASSERT_NE(m, nullptr);
  m->motions[m->motion].length = 10;
  m->frame = 0;
  m->frameFraction = 0;
  g_Lib.runState = 4;
  g_Shell.g_Playing = 1;
  int wraps = 0;
  i32 last = 0;
  // Loop steps are messages or idle passes: run until the motion has wrapped a few times.
  DWORD deadline = GetTickCount() + g_DrivePumpMs;
  for (int i = 0; i < 5000 && wraps < 3 && Drive_LoopStep(deadline) == DRIVE_STEP_RAN; i++) {
    ASSERT_GE(m->frame, 0);
    ASSERT_LT(m->frame, 10);
    if (m->frame < last) wraps++;
    last = m->frame;
  }
  EXPECT_GT(wraps, 0);
  EXPECT_EQ(g_Shell.g_Playing, 1u);
  g_Lib.runState = 0;
  g_Shell.g_Playing = 0;

  char want[600];
  snprintf(want, sizeof want, " Miravel   %s ( Ver 2006.000 )", m->fileName);
  g_Shell.g_TitleCounter = 0;
  char title[600] = {};
  for (int i = 0; i < 5000 && strcmp(title, want) != 0; i++) {
    Pass(1);
    GetWindowTextA(g_Lib.mainWnd, title, sizeof title);
  }
  EXPECT_STREQ(title, want);
}

void CheckPreviewPanAndRender() {
  App_SwitchFamily(FAMILY_PREVIEW);
  Pass(20);
  ASSERT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_PREVIEW);
  // A middle-button drag in the main window pans view 0 as the navigation computes it.
  g_Shell.g_ActiveView = 0;
  ViewRecord *v = &g_Shell.g_Views[0][0];
  ViewRecord want = *v;
  SendMessageA(g_Lib.mainWnd, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(200, 200));
  SendMessageA(g_Lib.mainWnd, WM_MOUSEMOVE, MK_MBUTTON, MAKELPARAM(230, 190));
  Nav_Pan3D(&want, FAMILY_PREVIEW, 30, -10, g_Shell.g_PerspAngleX, g_Shell.g_PerspAngleY);
  App_UpdateFrame();
  EXPECT_FLOAT_EQ(v->panX, want.panX);
  EXPECT_FLOAT_EQ(v->panY, want.panY);
  EXPECT_FLOAT_EQ(v->panZ, want.panZ);
  EXPECT_NE(v->panX, 0.0f);
  SendMessageA(g_Lib.mainWnd, WM_MBUTTONUP, 0, MAKELPARAM(230, 190));
  Pass(30);

  u32 grid = g_Options.g_OptGrid;
  g_Options.g_OptGrid = 1;   // the preview draws its grid into the main view
  Pass(30);
  // "レンダリング" twice: one dialog.
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_RENDER, 0);
  HWND dlg = (HWND)g_PreviewRender.window;
  ASSERT_NE(dlg, nullptr);
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_RENDER, 0);
  EXPECT_EQ((HWND)g_PreviewRender.window, dlg);
  Pass(10);
  EXPECT_EQ(EditText(dlg, IDC_RENDER_NAME), "レンダリング");

  std::string out = RootFile("miravel_render_test.BMP");
  DeleteFileA(out.c_str());
  SetDlgItemTextA(dlg, IDC_RENDER_NAME, "miravel_render_test");
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_RENDER_RUN, BN_CLICKED), 0);
  EXPECT_EQ(g_LastBox, out + " に保存しました。");
  std::vector<u8> bmp = ReadFileBytes(out);
  ASSERT_GT(bmp.size(), 54u);
  i32 w = *(i32 *)&bmp[18], h = *(i32 *)&bmp[22];
  u16 bits = *(u16 *)&bmp[28];
  EXPECT_EQ(w, (i32)g_D3DAppWin.backBufferDesc.Width);
  EXPECT_EQ(h < 0 ? -h : h, (i32)g_D3DAppWin.backBufferDesc.Height);
  EXPECT_TRUE(bits == 24 || bits == 32);

  // An empty name: the box, and no ".BMP".
  std::string bare = RootFile(".BMP");
  DeleteFileA(bare.c_str());
  g_Boxes = 0;
  SetDlgItemTextA(dlg, IDC_RENDER_NAME, "");
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_RENDER_RUN, BN_CLICKED), 0);
  EXPECT_EQ(g_Boxes, 1);
  EXPECT_EQ(g_LastBox, "ファイル名が指定されていません。");
  EXPECT_EQ(GetFileAttributesA(bare.c_str()), INVALID_FILE_ATTRIBUTES);
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_RENDER_CLOSE, BN_CLICKED), 0);
  EXPECT_EQ(g_PreviewRender.window, nullptr);
  EXPECT_FALSE(IsWindow(dlg));
  Str_Copy(g_Lib.renderName, sizeof g_Lib.renderName, "レンダリング");
  g_Options.g_OptGrid = grid;
}

void CheckSketch() {
  App_SwitchTo3DFamily();
  Pass(20);
  ViewRecord *front = nullptr;
  for (u32 i = 1; i < VIEWS_PER_LAYOUT; i++) {
    ViewRecord *v = &g_Shell.g_Views[g_Shell.g_EditSubMode][i];
    if (v->inUse == 1 && v->window && v->kind == VIEW_FRONT) front = v;
  }
  ASSERT_NE(front, nullptr);
  SendMessageA((HWND)front->window, WM_COMMAND, IDM_WIN_SKETCH, 0);
  HWND dlg = (HWND)g_Sketch.window;
  ASSERT_NE(dlg, nullptr);
  SendMessageA((HWND)front->window, WM_COMMAND, IDM_WIN_SKETCH, 0);
  EXPECT_EQ((HWND)g_Sketch.window, dlg);

  g_Pick = "miravel_render_test.BMP";
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_SKETCH_FRONT, BN_CLICKED), 0);
  Pass(10);
  EXPECT_EQ(EditText(dlg, IDC_SKETCH_FRONT_NAME), "miravel_render_test.BMP");
  i32 row = g_Sketch.images[SKETCH_FRONT].row;
  EXPECT_GE(row, 0);
  g_Pick.clear();   // cancel keeps it
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_SKETCH_FRONT, BN_CLICKED), 0);
  Pass(10);
  EXPECT_EQ(EditText(dlg, IDC_SKETCH_FRONT_NAME), "miravel_render_test.BMP");
  EXPECT_EQ(EditText(dlg, IDC_SKETCH_TOP_NAME), "");
  // A broken image keeps the old one, with the message.
  std::string broken = RootFile("miravel_broken.bmp");
  HANDLE f = CreateFileA(broken.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD wr;
  WriteFile(f, "BMnotanimage", 12, &wr, nullptr);
  CloseHandle(f);
  g_Pick = "miravel_broken.bmp";
  g_Boxes = 0;
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_SKETCH_FRONT, BN_CLICKED), 0);
  Pass(10);
  EXPECT_EQ(g_Boxes, 1);
  EXPECT_EQ(EditText(dlg, IDC_SKETCH_FRONT_NAME), "miravel_render_test.BMP");
  EXPECT_EQ(g_Sketch.images[SKETCH_FRONT].row, row);
  EXPECT_EQ(g_Sketch.images[SKETCH_FRONT].loaded, 1u);
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_SKETCH_CLOSE, BN_CLICKED), 0);
  EXPECT_EQ(g_Sketch.window, nullptr);
  g_Pick.clear();
  DeleteFileA(broken.c_str());
  DeleteFileA(RootFile("miravel_render_test.BMP").c_str());
}
}  // namespace

void CheckFrameUpdateInShell() {
  auto savedBox = g_ModalHooks.messageBox;
  g_ModalHooks.messageBox = CountBox;
  g_ModalHooks.getOpenFileName = PickFile;
  CheckPlaybackAndTitle();
  CheckPreviewPanAndRender();
  CheckSketch();
  g_ModalHooks.getOpenFileName = nullptr;
  g_ModalHooks.messageBox = savedBox;
}
