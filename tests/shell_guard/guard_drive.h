// The whole program in process with every family installed as WinMain installs them, started
// once for all tests of this program, with its questions and file dialogs answered by the
// test; keys, family switches, sub-mode buttons and frames as a user makes them.
#pragma once
#include "app/winmain_win.h"
#include "app/settings.h"
#include "app/views.h"
#include "lib/framework/lib_state.h"
#include "wine_drive.h"

#include "app/discard.h"
#include "app/docflags.h"
#include "app/shell_view.h"
#include "app/widget_win.h"
#include "edit2d/ed2d_rows.h"
#include "edit3d/ed3d_rows.h"
#include "lib/framework/d3dapp.h"
#include "resources/edit3d_ids.h"
#include "scene/coli_edit_win.h"
#include "scene/effect_edit.h"
#include "scene/map2.h"
#include "scene/movie_edit_win.h"
#include "scene/prog_run.h"
#include "scene/scene_rows.h"

// What the program's message boxes were asked and how the test answers them.
inline std::vector<std::string> g_GuardBoxes;
inline int g_GuardAnswer = IDYES;
// Runs inside every message box while it is up (null: nothing).
inline void (*g_GuardWhileBox)(void);
// Runs inside every file dialog while it is up; its result is the dialog's (null: cancel).
inline BOOL (*g_GuardWhileFile)(OPENFILENAMEA *ofn);
inline std::vector<std::string> g_GuardFileTitles;

inline int Guard_Box(HWND, const char *text, const char *, UINT) {
  g_GuardBoxes.push_back(text ? text : "");
  if (g_GuardWhileBox) g_GuardWhileBox();
  return g_GuardAnswer;
}

inline BOOL Guard_File(OPENFILENAMEA *ofn) {
  g_GuardFileTitles.push_back(ofn->lpstrTitle ? ofn->lpstrTitle : "");
  return g_GuardWhileFile ? g_GuardWhileFile(ofn) : FALSE;
}

inline void Guard_InstallAll(void) {
  WinMain_InstallEditors();
}

inline bool g_GuardStarted;

// Starts the program once (later calls find it running) in the 3D editor.
inline void Guard_Start(const char *settingsName) {
  if (!g_GuardStarted) {
    g_GuardStarted = true;
    g_ModalHooks.messageBox = Guard_Box;
    g_ModalHooks.getOpenFileName = Guard_File;
    g_ModalHooks.getSaveFileName = Guard_File;
    ASSERT_TRUE(Drive_StartOwn(settingsName, Guard_InstallAll));
  }
  ASSERT_TRUE(Drive_Alive(g_Lib.mainWnd));
  ASSERT_NE(g_EditDlg.window, nullptr);
}

inline bool Guard_PumpIdle(int passes, const char *file = __builtin_FILE(), int line = __builtin_LINE()) {
  return Drive_PumpIdle(passes, 20000, file, line);
}

// The main loop run for `ms` milliseconds.
inline void Guard_Wait(DWORD ms) { Drive_RunFor(ms); }

// A key pressed and released on the main window as a user does, an idle pass between.
inline void Guard_KeyMessage(UINT message, UINT vk, LPARAM lParam) {
  // The one-key latch is free again once the loop found its queue empty.
  Drive_PumpUntil([] { return g_AppShell.keyLatch == 0; });
  PostMessageA(g_Lib.mainWnd, message, vk, lParam);
  Drive_PumpUntil([] {
    MSG m;
    return !PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE) && g_AppShell.keyLatch == 0;
  });
  Guard_PumpIdle(1);
}

inline void Guard_Key(UINT vk) {
  Guard_KeyMessage(WM_KEYDOWN, vk, 0x00000001);
  Guard_KeyMessage(WM_KEYUP, vk, 0xC0000001);
}

// True when the device still draws: a redraw asked for presents `frames` more times.
inline bool Guard_Frames(u32 frames) {
  for (u32 i = 0; i < frames; i++) {
    u32 until = g_D3DApp.presentCount + 1;
    App_MarkAllRedraw(View_CurrentLayout());
    if (!Drive_PumpUntil([&] { return g_D3DApp.presentCount >= until; }, 20000)) return false;
  }
  return true;
}

// The selector's family button; true when the family is then current.
inline bool Guard_Family(int button, u32 family) {
  Drive_Command(g_EditDlg.window, button);
  Guard_PumpIdle(5);
  return g_Shell.g_EditFamily == family;
}

inline void Guard_Press2D(int id) { Drive_Press2D(id); }
inline void Guard_Press3D(int id) { Drive_Press3D(id); }

struct GuardFamily {
  const char *name;
  int button;
  u32 family;
  void (*press)(int id);   // a sub-mode button of the family's panel
  int subModes[6];
  int subModeCount;
};

inline const GuardFamily kGuardFamilies[] = {
    {"preview", IDC_EDIT_PREVIEW, FAMILY_PREVIEW, nullptr, {}, 0},
    {"2D", IDC_EDIT_2D_MODEL, FAMILY_2D_MODEL, Guard_Press2D,
     {IDC_M2D_POLY, IDC_M2D_TEXTURE, IDC_M2D_BONE, IDC_M2D_WEIGHT, IDC_M2D_MOTION, IDC_M2D_OBJECT}, 6},
    {"3D", IDC_EDIT_3D_MODEL, FAMILY_3D_MODEL, Guard_Press3D,
     {IDC_M3D_TEXTURE, IDC_M3D_BONE, IDC_M3D_WEIGHT, IDC_M3D_MOTION, IDC_M3D_OBJECT, IDC_M3D_POLY}, 6},
    {"effect", IDC_EDIT_EFFECT, FAMILY_EFFECT, nullptr, {}, 0},
    {"map", IDC_EDIT_2D_MAP, FAMILY_2D_MAP, nullptr, {}, 0},
    {"collision", IDC_EDIT_COLLISION, FAMILY_COLLISION, nullptr, {}, 0},
    {"movie", IDC_EDIT_MOVIE, FAMILY_MOVIE, nullptr, {}, 0},
    {"program", IDC_EDIT_PROGRAM, FAMILY_PROGRAM, nullptr, {}, 0},
};
