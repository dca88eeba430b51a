// The movie editor inside the running shell, driven by messages: "ムービー" in the selector
// gives five views with a Pers window, the dialogs with the key dialog's scroll bar and the
// movie menu; a 3D model actor added from the menu is turned by "R" and a left drag in the
// Front view at frame 60; the play button starts and stops playback (the frame comes back);
// the render dialog writes a 640 x 480 BMP; the video window refuses a text file.
#include <gtest/gtest.h>
#include <windows.h>

#include <math.h>

#include <string>
#include <vector>

#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_seam.h"
#include "app/shell_win.h"
#include "app/startup_win.h"
#include "app/views.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "resources/movie_edit_ids.h"
#include "resources/shell_ids.h"
#include "scene/movie.h"
#include "scene/movie_edit.h"
#include "scene/movie_edit_win.h"

namespace {

std::vector<std::string> g_boxes;
int AnswerBox(HWND, const char *text, const char *, UINT) {
  g_boxes.push_back(text);
  return IDYES;
}

template <class F>
bool PumpUntil(F done, int limit = 20000) {
  int code;
  for (int i = 0; i < limit && !done(); i++)
    if (!App_LoopStep(&code)) break;
  return done();
}
void Pump(int steps) { PumpUntil([] { return false; }, steps); }

void Click(HWND dlg, int id) { SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id)); }

HWND Dialog(u32 d) { return (HWND)g_MovieEditor.dialogs[d]; }

}  // namespace

TEST(MovieEditWin, EnterDragPlayRenderAndVideo) {
  char tmp[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  std::string folder = std::string(tmp) + "miravel_settings_movie";
  CreateDirectoryA(folder.c_str(), nullptr);
  SetEnvironmentVariableA("MIRAVEL_SETTINGS_DIR", folder.c_str());
  ASSERT_TRUE(Settings_SetFolder(folder.c_str()));
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", nullptr);
  g_ModalHooks.messageBox = AnswerBox;
  Movie_InstallWin();
  ASSERT_TRUE(App_Startup(GetModuleHandleA(nullptr), ""));
  Pump(100);

  // "ムービー": five views, view 4 a Pers window, every dialog but the render dialog.
  HWND selector = (HWND)g_EditDlg.window;
  ASSERT_NE(selector, nullptr);
  Click(selector, IDC_EDIT_MOVIE);
  Pump(50);
  ASSERT_EQ(g_EditFamily, (u32)FAMILY_MOVIE);
  EXPECT_EQ(g_ViewCount[g_EditSubMode], 5);
  ViewRecord *v4 = View_Get(g_EditSubMode, 4);
  EXPECT_EQ(v4->kind, (u32)VIEW_PERS);
  EXPECT_EQ(v4->x, 176);
  EXPECT_EQ(v4->w, 712);
  EXPECT_TRUE(v4->window && IsWindow((HWND)v4->window));
  for (u32 d = 0; d < MOVIE_DIALOG_RENDER; d++) EXPECT_TRUE(IsWindow(Dialog(d))) << d;
  HWND key = Dialog(MOVIE_DIALOG_KEY);
  HWND bar = GetDlgItem(key, IDC_MOVIE_SCROLL);
  ASSERT_NE(bar, nullptr);
  int lo = -1, hi = -1;
  GetScrollRange(bar, SB_CTL, &lo, &hi);
  EXPECT_EQ(lo, 0);
  EXPECT_EQ(hi, 180);
  EXPECT_EQ(IsDlgButtonChecked(key, IDC_MOVIE_LOOP), (UINT)BST_CHECKED);
  HMENU menu = GetMenu(g_MainWnd);
  ASSERT_NE(menu, nullptr);
  char text[128] = {};
  GetMenuStringA(menu, IDM_MOVIE_KZV_SAVE, text, sizeof text, MF_BYCOMMAND);
  EXPECT_STREQ(text, "　保存　  ( KZV )");

  // A 3D model actor from the menu, keyed at 0 and 60; "R" and a left drag of 100 in the
  // Front view at frame 60 turn key 60 by 30 degrees about z.
  SendMessageA(g_MainWnd, WM_COMMAND, IDM_MOVIE_ADD_KZP, 0);
  ASSERT_EQ(g_MovieObjectCount, 3);
  EXPECT_EQ(g_CurSlot, 2u);
  EXPECT_TRUE(IsWindowVisible(Dialog(MOVIE_DIALOG_KZP)));
  EXPECT_FALSE(IsWindowVisible(Dialog(MOVIE_DIALOG_CAM)));
  g_MovieFrame = 60;
  ASSERT_TRUE(Movie_EnsureKeyAtFrame());
  g_MovieFrame = 0;
  Movie_WheelKey(1);
  EXPECT_EQ(g_MovieFrame, 60);
  App_LoopKeyUp('R');
  EXPECT_EQ(g_MovieEditor.mode, MOVIE_MODE_ROTATE);
  u32 front = 0;
  for (u32 i = 1; i < 4; i++)
    if (View_Get(g_EditSubMode, i)->kind == VIEW_FRONT) front = i;
  ASSERT_NE(front, 0u) << "no Front view";
  HWND fw = (HWND)View_Get(g_EditSubMode, front)->window;
  ASSERT_TRUE(IsWindow(fw));
  g_ActiveView = front;
  g_CurView = View_Get(g_EditSubMode, front);
  SendMessageA(fw, WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));   // the pointer arrives first
  SendMessageA(fw, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
  SendMessageA(fw, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 100));
  SendMessageA(fw, WM_LBUTTONUP, 0, MAKELPARAM(200, 100));
  Pump(5);
  const MovieObject *o = g_MovieObjects[2];
  ASSERT_EQ(o->keyCount, 2);
  EXPECT_EQ(o->keys[1].frame, 60);
  EXPECT_NEAR(fabsf(o->keys[1].rotation[2]), sinf(15.0f / 57.29578f), 1e-4f);
  EXPECT_NEAR(o->keys[1].rotation[3], cosf(15.0f / 57.29578f), 1e-4f);

  // The play button starts playback; only view 4 is drawn; the button again stops it and
  // frame 60 comes back.
  Click(key, IDC_MOVIE_PLAY);
  EXPECT_EQ(g_MoviePlayState, (u32)MOVIE_PLAYING);
  GetDlgItemTextA(key, IDC_MOVIE_PLAY, text, sizeof text);
  EXPECT_STREQ(text, "停止(A)");
  Pump(5);
  Click(key, IDC_MOVIE_PLAY);
  EXPECT_EQ(g_MoviePlayState, (u32)MOVIE_STOPPED);
  EXPECT_EQ(g_MovieFrame, 60);

  // "レンダリング": the render dialog, and "このシーンのみレンダリング" writes a 640 x 480 BMP.
  SendMessageA(g_MainWnd, WM_COMMAND, IDM_MOVIE_RENDER, 0);
  HWND render = Dialog(MOVIE_DIALOG_RENDER);
  ASSERT_TRUE(IsWindow(render));
  Pump(5);
  std::string bmp = std::string(g_RootDir) + "\\miravel_movie_shot.BMP";
  DeleteFileA(bmp.c_str());
  SetDlgItemTextA(render, IDC_RENDER_NAME, "miravel_movie_shot");
  g_boxes.clear();
  Click(render, IDC_RENDER_BMP);
  EXPECT_TRUE(g_boxes.empty()) << (g_boxes.empty() ? "" : g_boxes[0]);
  HANDLE f = CreateFileA(bmp.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE) << bmp;
  BITMAPFILEHEADER fh;
  BITMAPINFOHEADER ih;
  DWORD got = 0;
  ReadFile(f, &fh, sizeof fh, &got, nullptr);
  ReadFile(f, &ih, sizeof ih, &got, nullptr);
  CloseHandle(f);
  EXPECT_EQ(ih.biWidth, 640);
  EXPECT_EQ(abs(ih.biHeight), 480);
  DeleteFileA(bmp.c_str());
  EXPECT_EQ(g_MovieFrame, 60);
  Click(render, IDC_RENDER_CLOSE);
  EXPECT_FALSE(IsWindow(render));

  // The video window refuses a file it cannot play.
  std::string txt = std::string(tmp) + "miravel_movie_notes.txt";
  HANDLE t = CreateFileA(txt.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  WriteFile(t, "hello", 5, &got, nullptr);
  CloseHandle(t);
  EXPECT_FALSE(Movie_OpenVideoWindow(txt.c_str(), 1));
  EXPECT_EQ(g_VideoActive, 0);
  DeleteFileA(txt.c_str());

  // Leaving: the edited movie is asked about (answered yes), the dialogs close.
  g_boxes.clear();
  Click(selector, IDC_EDIT_PREVIEW);
  Pump(20);
  EXPECT_EQ(g_EditFamily, (u32)FAMILY_PREVIEW);
  EXPECT_FALSE(IsWindow(key));
  SendMessageA(g_MainWnd, WM_CLOSE, 0, 0);
  Pump(20);
}
