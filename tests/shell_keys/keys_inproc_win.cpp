// Keys typed into a field belong to the field: in every family, every letter and digit typed
// into an edit field of the family's tool windows (in the movie family the image dialog's
// 名前, where "atrg" once switched the drag mode) lands in the field as text, and the family,
// its sub-mode and run state, the movie's drag mode, frame, playback and 2D offsets stay as
// they were. A key in the main window still acts.
#include <gtest/gtest.h>
#include <windows.h>

#include <string.h>

#include <string>
#include <vector>

#include "app/family.h"
#include "app/shell_view.h"
#include "app/widget_win.h"
#include "edit2d/ed2d_motion_win.h"
#include "edit2d/ed2d_object_win.h"
#include "edit2d/ed2d_rows.h"
#include "edit2d/ed2d_win.h"
#include "edit3d/ed3d_rows.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/undo_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "resources/movie_edit_ids.h"
#include "resources/shell_ids.h"
#include "scene/coli_edit_win.h"
#include "scene/effect_edit.h"
#include "scene/map2.h"
#include "scene/movie.h"
#include "scene/movie_edit.h"
#include "scene/movie_edit_win.h"
#include "scene/prog_run.h"
#include "scene/scene_rows.h"
#include "app/winmain_win.h"
#include "tests/support/wine_drive.h"

namespace {

// The editors' Windows calls, as WinMain installs them.
void InstallAll() {
  WinMain_InstallEditors();
}

// What a key command could change.
struct State {
  u32 family, subMode, runState, playing;
  i32 movieMode, movieFrame;
  u32 moviePlay;
  f32 offsets[5][2];
  bool operator==(const State &o) const { return memcmp(this, &o, sizeof *this) == 0; }
};
State Now() {
  State s;
  memset(&s, 0, sizeof s);
  s.family = g_Shell.g_EditFamily;
  s.subMode = g_Shell.g_EditSubMode;
  s.runState = g_Lib.runState;
  s.playing = g_Shell.g_Playing;
  s.movieMode = g_MovieEditor.mode;
  s.movieFrame = g_MovieScene.frame;
  s.moviePlay = g_Movie.playState;
  memcpy(s.offsets, g_MovieEditor.offset2D, sizeof s.offsets);
  return s;
}

BOOL CALLBACK FindEdit(HWND w, LPARAM out) {
  char name[32] = "";
  GetClassNameA(w, name, sizeof name);
  if (lstrcmpiA(name, "Edit") != 0 || !IsWindowVisible(w) || !IsWindowEnabled(w)) return TRUE;
  if (GetWindowLongA(w, GWL_STYLE) & ES_READONLY) return TRUE;
  *(HWND *)out = w;
  return FALSE;
}

BOOL CALLBACK FindToolEdit(HWND w, LPARAM out) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != GetCurrentProcessId() || w == g_Lib.mainWnd || !IsWindowVisible(w)) return TRUE;
  EnumChildWindows(w, FindEdit, out);
  return *(HWND *)out == nullptr;
}

// The first edit field of a shown tool window (the movie's: the image dialog's 名前).
HWND AField() {
  HWND field = nullptr;
  if (g_Shell.g_EditFamily == FAMILY_MOVIE) EnumChildWindows((HWND)g_MovieEditor.dialogs[MOVIE_DIALOG_IMG], FindEdit, (LPARAM)&field);
  else EnumWindows(FindToolEdit, (LPARAM)&field);
  return field;
}

// One key typed into w as the keyboard sends it: down (the loop makes its character), up.
void Type(HWND w, char c) {
  UINT vk = (UINT)(c >= 'a' ? c - 32 : c);
  PostMessageA(w, WM_KEYDOWN, vk, 1);
  PostMessageA(w, WM_KEYUP, vk, 0xC0000001);
  Drive_Pump(2);
}

}  // namespace

TEST(KeysWin, KeysTypedIntoAFieldStayInIt) {
  g_ModalHooks.messageBox = Drive_AnswerYes;
  ASSERT_TRUE(Drive_StartOwn("miravel_settings_keys", InstallAll));
  const struct {
    int button;
    u32 family;
  } families[] = {
      {IDC_EDIT_PREVIEW, FAMILY_PREVIEW}, {IDC_EDIT_2D_MODEL, FAMILY_2D_MODEL}, {IDC_EDIT_3D_MODEL, FAMILY_3D_MODEL},
      {IDC_EDIT_EFFECT, FAMILY_EFFECT},   {IDC_EDIT_2D_MAP, FAMILY_2D_MAP},     {IDC_EDIT_COLLISION, FAMILY_COLLISION},
      {IDC_EDIT_MOVIE, FAMILY_MOVIE},     {IDC_EDIT_PROGRAM, FAMILY_PROGRAM},
  };
  const char typed[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  int tried = 0;
  for (const auto &f : families) {
    SCOPED_TRACE(f.family);
    Drive_Command(g_EditDlg.window, f.button);
    Drive_Pump(20);
    ASSERT_EQ(g_Shell.g_EditFamily, f.family);
    // The movie's image actor brings its dialog.
    if (f.family == FAMILY_MOVIE) {
      SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_MOVIE_ADD_IMAGE, 0);
      Drive_Pump(10);
    }
    HWND field = AField();
    if (!field) {
      EXPECT_NE(f.family, (u32)FAMILY_MOVIE) << "no 名前 in the image dialog";
      continue;
    }
    tried++;
    SetWindowTextA(field, "");
    SetFocus(field);
    State before = Now();
    // Looked at after each key: "t" after "g" would hide the mode "g" set.
    for (const char *c = typed; *c; c++) {
      Type(field, *c);
      EXPECT_TRUE(Now() == before) << "after " << *c << ": mode " << before.movieMode << " -> " << g_MovieEditor.mode
                                   << ", frame " << before.movieFrame << " -> " << g_MovieScene.frame << ", family "
                                   << before.family << " -> " << g_Shell.g_EditFamily;
    }
    // The field holds the keys as text, as many as it takes (a field without scrolling stops
    // at its width).
    char text[64] = "";
    GetWindowTextA(field, text, sizeof text);
    EXPECT_GE(strlen(text), 5u);
    EXPECT_EQ(std::string(typed).compare(0, strlen(text), text), 0) << text;
  }
  EXPECT_GE(tried, 5);
  // The main window's key still acts: "G" there is the movie's scale mode.
  Drive_Command(g_EditDlg.window, IDC_EDIT_MOVIE);
  Drive_Pump(20);
  g_MovieEditor.mode = MOVIE_MODE_MOVE;
  PostMessageA(g_Lib.mainWnd, WM_KEYUP, 'G', 0xC0000001);
  Drive_Pump(5);
  EXPECT_EQ(g_MovieEditor.mode, MOVIE_MODE_SCALE);
  SendMessageA(g_Lib.mainWnd, WM_CLOSE, 0, 0);
  Drive_Pump(20);
  Drive_End("miravel_settings_keys");
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
