// Driving the running shell from an in-process Wine test: the message loop, temporary
// files, a settings folder of the test's own, the file dialog answered with a chosen file,
// clicks and list texts, the start of the 3D editor or the 2D family, and the main view's
// picture (on screen or read back from the device). Each in-process test program starts the
// shell once.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>
#include <commdlg.h>
#include <d3d9.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/shell_mouse.h"
#include "app/shell_sel.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model_shown.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_win.h"
#include "app/startup_state.h"
#include "app/startup_win.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_motion_win.h"
#include "edit2d/ed2d_object_win.h"
#include "edit2d/ed2d_win.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/undo.h"
#include "edit3d/undo_win.h"
#include "lib/draw/draw.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "app/shell_view.h"
#include "lib/media/dialogs.h"
#include "lib/render/rdev.h"
#include "model/bone2.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "resources/edit2d_ids.h"
#include "resources/edit3d_ids.h"
#include "resources/shell_ids.h"
#include "draw_device_win.h"
#include "screen_grab.h"

// [SECTION] passes of the main loop
//
// Every pump ends by the clock as well as by its count. While the application is paused
// (a menu open, a size change, or before the device exists) the loop waits in GetMessage, so
// a pass lasts until a message comes: a count alone could then wait for ever. A pump whose
// time runs out says so on stderr, naming the line it was called from.
//
// A pass that never returns (the program stuck inside it, or the test stuck between two
// pumps) cannot end by a pump's clock: while the program's main window lives, a watcher
// thread ends the program when no pass has started for g_DriveStuckMs, naming the line of the
// last pump.

inline DWORD g_DrivePumpMs = 60000;    // the clock limit of one pump
inline DWORD g_DriveStuckMs = 150000;  // no pass for this long: the program is stuck
inline std::string g_DriveRanOut;       // what the last pump that ran out of time said
inline volatile LONG g_DriveLastPass;   // GetTickCount when the last pass started
inline const char *g_DrivePumpFile = "";   // the last pump's caller
inline int g_DrivePumpLine;

inline const char *Drive_BaseName(const char *path) {
  const char *base = strrchr(path, '/');
  return base ? base + 1 : path;
}

inline DWORD WINAPI Drive_Watch(void *) {
  for (;;) {
    Sleep(1000);
    DWORD since = GetTickCount() - (DWORD)g_DriveLastPass;
    if (since < g_DriveStuckMs || !IsWindow((HWND)g_Lib.mainWnd)) continue;
    char text[400];
    int n = snprintf(text, sizeof text,
                     "no pass of the main loop for %lu s: stuck after the pump at %s:%d; the program is ended\n",
                     (unsigned long)(since / 1000), Drive_BaseName(g_DrivePumpFile), g_DrivePumpLine);
    DWORD put;
    // Straight to the handle: the stuck thread may hold the C library's stream locks.
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text, (DWORD)n, &put, nullptr);
    fflush(stdout);   // what the test printed so far
    TerminateProcess(GetCurrentProcess(), 3);
  }
}

// The pump about to run, for the watcher's message (started with the first one).
inline void Drive_Pumping(const char *file, int line) {
  static bool watching;
  g_DrivePumpFile = file;
  g_DrivePumpLine = line;
  InterlockedExchange(&g_DriveLastPass, (LONG)GetTickCount());
  if (!watching) {
    watching = true;
    HANDLE t = CreateThread(nullptr, 0, Drive_Watch, nullptr, 0, nullptr);
    if (t) CloseHandle(t);
  }
}

enum DriveStep { DRIVE_STEP_RAN, DRIVE_STEP_ENDED, DRIVE_STEP_LATE };

// One pass of the main loop, started only before `deadline` (a GetTickCount value) and only
// when it cannot wait past it: a paused application's pass starts once a message is there to
// take. When the program ends, its exit code goes to *exitCode.
inline DriveStep Drive_LoopStep(DWORD deadline, int *exitCode = nullptr) {
  if ((LONG)(deadline - GetTickCount()) <= 0) return DRIVE_STEP_LATE;
  if (!D3DApp_IsActive()) {
    MSG waiting;
    while (!PeekMessageA(&waiting, nullptr, 0, 0, PM_NOREMOVE)) {
      LONG left = (LONG)(deadline - GetTickCount());
      if (left <= 0) return DRIVE_STEP_LATE;
      MsgWaitForMultipleObjectsEx(0, nullptr, (DWORD)left, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    }
  }
  InterlockedExchange(&g_DriveLastPass, (LONG)GetTickCount());
  int code = 0;
  bool ran = App_LoopStep(&code);
  if (!ran && exitCode) *exitCode = code;
  return ran ? DRIVE_STEP_RAN : DRIVE_STEP_ENDED;
}

// The line a pump that ran out of time prints: which pump, called from where, how far it came.
inline void Drive_RanOut(const char *pump, const char *file, int line, int passes, int limit) {
  char text[400];
  snprintf(text, sizeof text, "%s at %s:%d: %lu ms went by after %d of %d passes (application %s)", pump,
           Drive_BaseName(file), line, (unsigned long)g_DrivePumpMs, passes, limit,
           D3DApp_IsActive() ? "active" : "paused");
  g_DriveRanOut = text;
  fprintf(stderr, "%s\n", text);
  fflush(stderr);
}

// Runs up to `steps` passes of the main loop (fewer when the program ends or the time runs
// out); returns the passes made.
inline int Drive_Pump(int steps, const char *file = __builtin_FILE(), int line = __builtin_LINE()) {
  Drive_Pumping(file, line);
  DWORD deadline = GetTickCount() + g_DrivePumpMs;
  for (int i = 0; i < steps; i++) {
    DriveStep s = Drive_LoopStep(deadline);
    if (s == DRIVE_STEP_LATE) Drive_RanOut("Drive_Pump", file, line, i, steps);
    if (s != DRIVE_STEP_RAN) return i;
  }
  return steps;
}

// Whether the next pass is an idle pass: no message waiting, so the per-frame pass runs (a view
// is drawn, the strip panels painted).
inline bool Drive_NextPassIdle(void) {
  MSG waiting;
  return !PeekMessageA(&waiting, nullptr, 0, 0, PM_NOREMOVE) && D3DApp_IsActive() && Lib_IsReady();
}

// Runs the main loop until it has made `passes` idle passes (steps that found no message
// waiting, so the per-frame pass ran and a view was drawn), or `limit` steps went by, or the
// time ran out; returns whether it made them. A fixed number of steps need not reach one:
// every control of a newly opened dialog paints first, one message a step.
inline bool Drive_PumpIdle(int passes, int limit = 20000, const char *file = __builtin_FILE(),
                           int line = __builtin_LINE()) {
  Drive_Pumping(file, line);
  DWORD deadline = GetTickCount() + g_DrivePumpMs;
  int idle = 0;
  for (int i = 0; i < limit && idle < passes; i++) {
    bool idlePass = Drive_NextPassIdle();
    DriveStep s = Drive_LoopStep(deadline);
    if (s == DRIVE_STEP_LATE) Drive_RanOut("Drive_PumpIdle", file, line, i, limit);
    if (s != DRIVE_STEP_RAN) break;
    idle += idlePass;
  }
  return idle >= passes;
}

// Runs the main loop until done() holds, `limit` passes went by or the time ran out; returns
// done().
template <class F>
inline bool Drive_PumpUntil(F done, int limit = 20000, const char *file = __builtin_FILE(), int line = __builtin_LINE()) {
  Drive_Pumping(file, line);
  DWORD deadline = GetTickCount() + g_DrivePumpMs;
  for (int i = 0; i < limit && !done(); i++) {
    DriveStep s = Drive_LoopStep(deadline);
    if (s == DRIVE_STEP_LATE) Drive_RanOut("Drive_PumpUntil", file, line, i, limit);
    if (s != DRIVE_STEP_RAN) break;
  }
  return done();
}

// Drive_PumpUntil for a condition on what the screen shows (shown() reads it): asked only
// after an idle pass, when the picture may have changed. A read of the screen takes far
// longer than a pass; asked on every pass, the 50-ms timers of the program's twenty-odd
// windows would keep a message waiting at every step and no idle pass would ever come.
template <class F>
inline bool Drive_PumpUntilShown(F shown, int limit = 20000, const char *file = __builtin_FILE(),
                                 int line = __builtin_LINE()) {
  Drive_Pumping(file, line);
  DWORD deadline = GetTickCount() + g_DrivePumpMs;
  if (shown()) return true;
  for (int i = 0; i < limit; i++) {
    bool idlePass = Drive_NextPassIdle();
    DriveStep s = Drive_LoopStep(deadline);
    if (s == DRIVE_STEP_LATE) Drive_RanOut("Drive_PumpUntilShown", file, line, i, limit);
    if (s != DRIVE_STEP_RAN) break;
    if (idlePass && shown()) return true;
  }
  return shown();
}

// Runs the main loop for `ms` milliseconds of the clock (less when the program ends).
inline void Drive_RunFor(DWORD ms, const char *file = __builtin_FILE(), int line = __builtin_LINE()) {
  Drive_Pumping(file, line);
  DWORD until = GetTickCount() + ms;
  while ((LONG)(until - GetTickCount()) > 0 && Drive_LoopStep(until) == DRIVE_STEP_RAN) {
  }
}

inline std::string Drive_TempDir() {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  return dir;
}

inline std::string Drive_Temp(const char *name) { return Drive_TempDir() + name; }

inline bool Drive_Alive(void *w) { return w && IsWindow((HWND)w); }

// A settings folder of the test's own, so the user's settings file is never touched.
inline bool Drive_OwnSettings(const char *name) {
  std::string folder = Drive_Temp(name);
  CreateDirectoryA(folder.c_str(), nullptr);
  SetEnvironmentVariableA("MIRAVEL_SETTINGS_DIR", folder.c_str());
  return Settings_SetFolder(folder.c_str());
}

// The file the next file dialog answers with: a bare name in g_DriveFolder (the temporary
// folder when that is empty). The dialog leaves the chosen folder current, as the real one
// does. Drive_AnswerFile stands in for the common dialog call, Drive_AnswerRequest for the
// program's own dialog layer.
inline std::string g_DriveAnswer;
inline std::string g_DriveFolder;

inline std::string Drive_AnswerFolder() {
  if (g_DriveFolder.empty()) return Drive_TempDir();
  return g_DriveFolder.back() == '\\' ? g_DriveFolder : g_DriveFolder + "\\";
}

// A new folder in the temporary folder, named `name` and the process id, which the file
// dialogs answer from; its path.
inline std::string Drive_NewAnswerFolder(const char *name) {
  std::string dir = Drive_TempDir() + name + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  g_DriveFolder = dir;
  return dir;
}

inline BOOL Drive_AnswerFile(OPENFILENAMEA *ofn) {
  std::string dir = Drive_AnswerFolder();
  SetCurrentDirectoryA(dir.c_str());
  lstrcpynA(ofn->lpstrFile, (dir + g_DriveAnswer).c_str(), (int)ofn->nMaxFile);
  if (ofn->lpstrFileTitle) lstrcpynA(ofn->lpstrFileTitle, g_DriveAnswer.c_str(), (int)ofn->nMaxFileTitle);
  return TRUE;
}

inline bool Drive_AnswerRequest(FileDlgRequest *req) {
  std::string dir = Drive_AnswerFolder();
  Str_Copy(req->file, FILEDLG_TEXT, (dir + g_DriveAnswer).c_str());
  Str_Copy(req->fileTitle, FILEDLG_TEXT, g_DriveAnswer.c_str());
  SetCurrentDirectoryA(dir.c_str());
  return true;
}

inline int Drive_AnswerYes(HWND, const char *, const char *, UINT) { return IDYES; }

// The real codec chooser answered as a user would: while Drive_AnswerCodecs(true) holds, every
// dialog box that this thread activates gets its first codec ("full frames (uncompressed)")
// selected and OK pressed. Drive_AnswerCodecs(false) ends it.
inline HHOOK g_DriveCodecHook;
inline LRESULT CALLBACK Drive_CodecHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND dlg = (HWND)wParam;
    char cls[32] = {};
    GetClassNameA(dlg, cls, sizeof cls);
    HWND combo = strcmp(cls, "#32770") == 0 ? FindWindowExA(dlg, nullptr, "ComboBox", nullptr) : nullptr;
    if (combo) {
      SendMessageA(combo, CB_SETCURSEL, 0, 0);
      SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), (LPARAM)combo);
      PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
  }
  return CallNextHookEx(g_DriveCodecHook, code, wParam, lParam);
}
inline void Drive_AnswerCodecs(bool on) {
  if (g_DriveCodecHook) UnhookWindowsHookEx(g_DriveCodecHook);
  g_DriveCodecHook = on ? SetWindowsHookExA(WH_CBT, Drive_CodecHook, nullptr, GetCurrentThreadId()) : nullptr;
}

// A button press as its dialog receives it.
inline void Drive_Command(void *window, int id) {
  HWND w = (HWND)window;
  SendMessageA(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(w, id));
}

// The undo panel's アンドゥ (undo true) or リドゥ pressed, then a few passes; false when the
// current layout has no undo panel.
inline bool Drive_UndoButton(bool undo) {
  HWND panel = (HWND)g_AppShell.panels[View_CurrentLayout()][UNDO_PANEL_HOLDER].window;
  if (!panel || !IsWindow(panel)) return false;
  Drive_Command(panel, undo ? IDC_UNDO_UNDO : IDC_UNDO_REDO);
  Drive_Pump(3);
  return true;
}

// A press and release of one mouse button at client point (x, y), then a few passes.
inline void Drive_Click(HWND w, UINT down, UINT up, int x, int y, const char *file = __builtin_FILE(), int line = __builtin_LINE()) {
  SendMessageA(w, down, 0, MAKELPARAM(x, y));
  SendMessageA(w, up, 0, MAKELPARAM(x, y));
  Drive_Pump(3, file, line);
}

inline std::string Drive_ListText(void *list, int line) {
  char buf[300] = {};
  SendMessageA((HWND)list, LB_GETTEXT, (WPARAM)line, (LPARAM)buf);
  return buf;
}

// What a command line program (tools/modeldump and the like) prints.
inline std::string Drive_RunTool(const std::string &cmd) {
  std::string out;
  FILE *p = _popen(cmd.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  _pclose(p);
  return out;
}

// The whole program started in process as WinMain starts it for the 3D editor, with a
// settings folder of the test's own and modal boxes answered, a model (or nothing) on the
// command line; the first passes run. False when the shell did not start.
inline bool Drive_Start3D(const std::string &modelPath, const char *settingsName) {
  if (!Drive_OwnSettings(settingsName)) return false;
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", "1");
  Undo_InstallWin();
  Ed3D_InstallWin();
  std::string cmd = modelPath.empty() ? std::string() : "\"" + modelPath + "\"";
  if (!App_Startup(GetModuleHandleA(nullptr), cmd.c_str())) return false;
  Drive_Pump(100);
  return true;
}

// The whole program started in process with one family's Windows calls installed as WinMain
// installs them (install), then the first passes run. Modal hooks set before stay. False when
// the shell did not start.
inline bool Drive_StartWith(void (*install)(void)) {
  install();
  if (!App_Startup(GetModuleHandleA(nullptr), "")) return false;
  Drive_Pump(100);
  return true;
}

// Drive_StartWith with a settings folder of the test's own, every modal box going to the hooks
// (none answered by itself).
inline bool Drive_StartOwn(const char *settingsName, void (*install)(void)) {
  if (!Drive_OwnSettings(settingsName)) return false;
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", nullptr);
  return Drive_StartWith(install);
}

// Drive_StartOwn with message boxes answered by `box` and both file dialogs by `file`, then
// the family's button pressed in the selector; fails the test when the shell did not start,
// there was no selector or the family did not become current.
inline void Drive_StartOwnFamily(const char *settingsName, void (*install)(void), int button, u32 family,
                                 int (*box)(HWND, const char *, const char *, UINT),
                                 BOOL (*file)(OPENFILENAMEA *)) {
  g_ModalHooks.messageBox = box;
  g_ModalHooks.getOpenFileName = file;
  g_ModalHooks.getSaveFileName = file;
  ASSERT_TRUE(Drive_StartOwn(settingsName, install));
  ASSERT_NE(g_EditDlg.window, nullptr);
  Drive_Command(g_EditDlg.window, button);
  Drive_Pump(50);
  ASSERT_EQ(g_Shell.g_EditFamily, family);
}

// Drive_StartWith with message boxes answered "はい" and the program's file dialog answered
// from the answer folder, then the family's button pressed in the selector; fails the test
// when the shell did not start or the family did not become current.
inline void Drive_StartFamily(void (*install)(void), int button, u32 family) {
  g_ModalHooks.messageBox = Drive_AnswerYes;
  ASSERT_TRUE(Drive_StartWith(install));
  g_LibHooks.fileDlg.run = Drive_AnswerRequest;
  SendMessageA((HWND)g_EditDlg.window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
  Drive_Pump(20);
  ASSERT_EQ(g_Shell.g_EditFamily, family);
}

// The whole program started in process with the 2D family's calls installed as WinMain installs
// them, then "２Ｄモデル" pressed in the selector. Modal hooks set before stay. False when the
// shell did not start or the family did not come up.
inline bool Drive_Start2D(const char *settingsName) {
  if (!Drive_OwnSettings(settingsName)) return false;
  Ed2D_InstallWin();
  Ed2D_ObjInstallWin();
  Ed2D_MotionInstallWin();
  if (!App_Startup(GetModuleHandleA(nullptr), "")) return false;
  Drive_Pump(100);
  Drive_Command(g_EditDlg.window, IDC_EDIT_2D_MODEL);
  Drive_Pump(20);
  return g_Shell.g_EditFamily == FAMILY_2D_MODEL;
}

// Drive_Start2D with every message box answered "Yes", then a new bone model in the polygon
// sub-mode the family comes up in: the model, or null (the fault reported) when any step failed.
inline Bone2Model *Drive_Start2DOnNewModel(const char *settingsName) {
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", "1");
  g_ModalHooks.messageBox = Drive_AnswerYes;
  if (!Drive_Start2D(settingsName)) {
    ADD_FAILURE() << "the 2D family did not start";
    return nullptr;
  }
  EXPECT_EQ(g_Shell.g_EditSubMode, (u32)SUB_2D_POLY);
  if (g_Shell.g_EditSubMode != SUB_2D_POLY) return nullptr;
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_2D_BONE_NEW, 0);
  Drive_Pump(5);
  return g_Bone2Slots[0];
}

// A button of the 2D family's panel ("ボーン", "モーション", ...) pressed, then the passes a
// change of sub-mode takes; returns the sub-mode then current.
inline u32 Drive_Press2D(int button, const char *file = __builtin_FILE(), int line = __builtin_LINE()) {
  Drive_Command(g_Ed2D.panel, button);
  Drive_Pump(20, file, line);
  return g_Shell.g_EditSubMode;
}

// A button of the 3D editor's mode panel ("ボーン", "テクスチャ", ...) pressed, then the passes a
// change of sub-mode takes; returns the sub-mode then current.
inline u32 Drive_Press3D(int button, const char *file = __builtin_FILE(), int line = __builtin_LINE()) {
  Drive_Command(g_Ed3D.modePanel, button);
  Drive_Pump(20, file, line);
  return g_Shell.g_EditSubMode;
}

// With <envName>=<seconds> set, the program keeps running that long, so that the screen can be
// looked at.
inline void Drive_Hold(const char *envName) {
  const char *hold = getenv(envName);
  if (!hold) return;
  Drive_RunFor(1000u * (DWORD)atoi(hold));
}

// The window of the first Front view in use in a layout (null when there is none).
inline HWND Drive_FrontView(u32 layout) {
  for (u32 i = 1; i < VIEWS_PER_LAYOUT; i++) {
    const ViewRecord *v = &g_Shell.g_Views[layout][i];
    if (v->inUse == 1 && v->window && v->kind == VIEW_FRONT) return (HWND)v->window;
  }
  return nullptr;
}

// A left drag in a view window from client (100, 100) to (160, 100) in steps of 10 pixels.
inline void Drive_DragRight(HWND view, const char *file = __builtin_FILE(), int line = __builtin_LINE()) {
  // The pointer reaches the press point first, as a hand's does: a move the display server
  // delivered to another window meanwhile would otherwise count in the drag's first step.
  SendMessageA(view, WM_MOUSEMOVE, 0, MAKELPARAM(100, 100));
  SendMessageA(view, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 100));
  for (int px = 110; px <= 160; px += 10) SendMessageA(view, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(px, 100));
  SendMessageA(view, WM_LBUTTONUP, 0, MAKELPARAM(160, 100));
  Drive_Pump(5, file, line);
}

// The 3D family's own overlay while Drive_MainFrameWithOverlay has put a stand-in in its place.
inline FamilyHook g_DriveOverlay;

// One frame of the main view with `overlay` standing in for the 3D family's (it calls
// g_DriveOverlay itself), the pointer far from every handle; false when the frame failed.
inline bool Drive_MainFrameWithOverlay(FamilyHook overlay) {
  g_DriveOverlay = g_FamilyHooks[FAMILY_3D_MODEL].drawOverlay;
  g_FamilyHooks[FAMILY_3D_MODEL].drawOverlay = overlay;
  g_Mouse.g_MouseX = g_Mouse.g_MouseY = -5000;
  g_Shell.g_DrawView = 0;
  HRESULT hr = D3DApp_RenderFrame();
  g_FamilyHooks[FAMILY_3D_MODEL].drawOverlay = g_DriveOverlay;
  return hr == S_OK;
}

// One triangle made by the free creation tool in a view window: two left clicks and a middle
// click at client (20, 20), (60, 20) and (60, 60).
inline void Drive_FreeTriangle(HWND view) {
  g_Sel.g_PolyTool = POLY_TOOL_FREE;
  g_Sel.g_FreeCreateCount = 0;
  Drive_Click(view, WM_LBUTTONDOWN, WM_LBUTTONUP, 20, 20);
  Drive_Click(view, WM_LBUTTONDOWN, WM_LBUTTONUP, 60, 20);
  Drive_Click(view, WM_MBUTTONDOWN, WM_MBUTTONUP, 60, 60);
}

// Closes the main window, lets the loop end, and removes the test's settings file and folder.
inline void Drive_End(const char *settingsName) {
  DestroyWindow(g_Lib.mainWnd);
  Drive_Pump(1000);
  char name[300];
  Settings_FilePath(name, sizeof name, GetSystemMetrics(SM_CXSCREEN));
  DeleteFileA(name);
  RemoveDirectoryA(Drive_Temp(settingsName).c_str());
}

// The document saved by a command of the main window's menu, the save dialog answered with
// `name` in the temporary folder; the saved file's path.
inline std::string Drive_SaveByMenu(int command, const std::string &name) {
  g_ModalHooks.getSaveFileName = Drive_AnswerFile;
  g_DriveAnswer = name;
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, (WPARAM)command, 0);
  g_ModalHooks.getSaveFileName = nullptr;
  return Drive_Temp(name.c_str());
}

// A command of the main window's menu that opens a file, the open dialog answered with `name`
// in the temporary folder.
inline void Drive_OpenByMenu(int command, const std::string &name) {
  g_ModalHooks.getOpenFileName = Drive_AnswerFile;
  g_DriveAnswer = name;
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, (WPARAM)command, 0);
  g_ModalHooks.getOpenFileName = nullptr;
}

// The strip panels of one kind (STRIP_FLAG_*) marked for repainting and painted, then a few
// passes more.
inline void Drive_RepaintStrips(u32 flag, const char *file = __builtin_FILE(), int line = __builtin_LINE()) {
  g_Shell.g_StripDirty[flag] = 1;
  Drive_PumpUntil([flag] { return g_Shell.g_StripDirty[flag] == 0; }, 2000, file, line);
  Drive_Pump(2, file, line);
}

// What tools/modeldump (built beside the test program) prints for a file.
inline std::string Drive_ModelDump(const std::string &file) {
  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, sizeof self);
  std::string tool = self;
  tool = tool.substr(0, tool.find_last_of("\\/") + 1) + "modeldump.exe";
  return Drive_RunTool("\"\"" + tool + "\" \"" + file + "\"\"");
}

// [SECTION] the main view's picture
//
// Wine's Direct3D can carry out the device's calls on a thread of its own (tools/winenv.sh
// turns that off), which talks to the X server on the same connection as a read of the screen.
// When the server reports an error to that thread (it does now and then while a view presents)
// as the read waits for its answer, Xlib deadlocks the two: the program stops in GetPixel for
// good, and the device thread's presents stop with it. So every read of the screen here first
// waits until the device has carried out every call made so far: then nothing else in the
// process is using that connection, whichever way Wine runs.

// Waits, for at most 5 s by the clock, until the device's queued calls are done.
inline void Drive_DeviceIdle(void) {
  IDirect3DDevice9 *device = g_Lib.device;
  IDirect3DQuery9 *done = nullptr;
  if (!device || FAILED(device->CreateQuery(D3DQUERYTYPE_EVENT, &done)) || !done) return;
  done->Issue(D3DISSUE_END);
  DWORD start = GetTickCount();
  while (done->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE && GetTickCount() - start < 5000) Sleep(1);
  done->Release();
}

// A window's pixel at client point (x, y) as painted.
inline COLORREF Drive_WindowPixel(void *window, int x, int y) {
  Drive_DeviceIdle();
  HWND w = (HWND)window;
  HDC dc = GetDC(w);
  COLORREF c = GetPixel(dc, x, y);
  ReleaseDC(w, dc);
  return c;
}

// The screen's pixels in the width * height rectangle at (x, y): 0xRRGGBB, row by row.
inline std::vector<u32> Drive_ScreenRect(int x, int y, int width, int height) {
  Drive_DeviceIdle();
  return ScreenGrab_Rect(x, y, width, height);
}

// The screen inside window w's client area (what another window covers included).
inline std::vector<u32> Drive_ScreenOf(HWND w, int *width, int *height) {
  RECT r;
  GetClientRect(w, &r);
  POINT o = {0, 0};
  ClientToScreen(w, &o);
  *width = r.right, *height = r.bottom;
  return Drive_ScreenRect(o.x, o.y, r.right, r.bottom);
}

// 2D frame pixels (the model's placement in the main view included) to the main window's
// client position.
inline void Drive_FrameToClient(f32 fx, f32 fy, f32 *cx, f32 *cy) {
  Place2D p = Draw_CurrentPlacement();
  *cx = fx * p.scaleX + (p.inFrame ? p.offsetX : 0.0f);
  *cy = fy * p.scaleY + (p.inFrame ? p.offsetY : 0.0f);
}

// The screen's colour at 2D frame pixel (fx, fy) of the main view.
inline COLORREF Drive_ScreenAtFrame(f32 fx, f32 fy) {
  f32 cx, cy;
  Drive_FrameToClient(fx, fy, &cx, &cy);
  POINT pt = {(LONG)cx, (LONG)cy};
  ClientToScreen(g_Lib.mainWnd, &pt);
  Drive_DeviceIdle();
  HDC dc = GetDC(nullptr);
  COLORREF c = GetPixel(dc, pt.x, pt.y);
  ReleaseDC(nullptr, dc);
  return c;
}

// The main view's picture as the device drew it: Drive_CaptureMain reads back the next frame
// that draws view 0 into g_DriveShot (w * h pixels 0xAARRGGBB, row by row), through the render
// table's end of scene; Drive_CaptureEnd gives the table its own entry back.
struct DriveShot {
  std::vector<unsigned> pixels;
  unsigned w = 0, h = 0;
  bool wanted = false;
  void (*endScene)(void) = nullptr;   // the table's own entry
};
inline DriveShot g_DriveShot;

inline void Drive_CapturingEndScene(void) {
  DriveShot &s = g_DriveShot;
  if (s.endScene) s.endScene();
  if (s.wanted && g_Shell.g_DrawView == 0) {
    s.pixels = Device_ReadBack(g_Lib.device, &s.w, &s.h);
    s.wanted = false;
  }
}

inline bool Drive_CaptureMain(const char *file = __builtin_FILE(), int line = __builtin_LINE()) {
  DriveShot &s = g_DriveShot;
  // A device reset fills the table again: take the entry as it is now.
  if (g_Dev.render.endScene != Drive_CapturingEndScene) {
    s.endScene = g_Dev.render.endScene;
    g_Dev.render.endScene = Drive_CapturingEndScene;
  }
  s.wanted = true;
  App_MarkAllRedraw(View_CurrentLayout());
  return Drive_PumpUntil([] { return !g_DriveShot.wanted; }, 2000, file, line) && !s.pixels.empty();
}

inline void Drive_CaptureEnd(void) {
  if (g_Dev.render.endScene == Drive_CapturingEndScene) g_Dev.render.endScene = g_DriveShot.endScene;
}

// The captured colour 0xRRGGBB at client pixel (x, y); 0xFFFFFFFF outside the picture.
inline unsigned Drive_ShotPixel(i32 x, i32 y) {
  const DriveShot &s = g_DriveShot;
  if (x < 0 || y < 0 || x >= (i32)s.w || y >= (i32)s.h) return 0xFFFFFFFFu;
  return s.pixels[(size_t)y * s.w + x] & 0xFFFFFFu;
}

// A w x h 24-bit BMP: red on the left half, green on the right.
inline bool Drive_WriteHalvesBmp(const std::string &path, int w = 128, int h = 128) {
  const int row = (w * 3 + 3) & ~3;
  std::vector<unsigned char> f(54 + (size_t)row * h);
  auto put32 = [&](int at, unsigned v) { for (int i = 0; i < 4; i++) f[at + i] = (unsigned char)(v >> (8 * i)); };
  f[0] = 'B';
  f[1] = 'M';
  put32(2, (unsigned)f.size());
  put32(10, 54);
  put32(14, 40);
  put32(18, (unsigned)w);
  put32(22, (unsigned)h);
  f[26] = 1;
  f[28] = 24;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      unsigned char *p = &f[54 + (size_t)y * row + x * 3];
      p[1] = x >= w / 2 ? 255 : 0;
      p[2] = x < w / 2 ? 255 : 0;
    }
  FILE *out = fopen(path.c_str(), "wb");
  if (!out) return false;
  bool ok = fwrite(f.data(), 1, f.size(), out) == f.size();
  return fclose(out) == 0 && ok;
}

// A unit cube of six quads written as a KZP file; with ownUVs each corner has a texture
// coordinate entry of its own (at 0, 0).
inline bool Drive_WriteCube(const std::string &path, bool ownUVs = false) {
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_New();
  if (!m) return false;
  for (int i = 0; i < 8; i++)
    m->positions[i] = {(i & 1) ? 1.0f : -1.0f, (i & 2) ? 1.0f : -1.0f, (i & 4) ? 1.0f : -1.0f};
  m->positionCount = 8;
  const u32 faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (int f = 0; f < 6; f++) {
    m->polygons[f].cornerCount = 4;
    for (int j = 0; j < 4; j++) m->polygons[f].corners[j].vertex = faces[f][j];
    for (int j = 0; ownUVs && j < 4; j++) m->polygons[f].corners[j].uv = (u32)(4 * f + j);
  }
  m->polygonCount = 6;
  if (ownUVs) m->uvCount = 24;
  bool ok = Shown(Kzp_Write, m, path.c_str());
  Model3_Free(m);
  return ok;
}

// A cube written to `file` in the temporary folder (its path into *path) and the program
// started on it in the 3D editor's polygon sub-mode; fails the test otherwise.
inline void Drive_Start3DOnCube(const char *file, const char *settingsName, std::string *path) {
  *path = Drive_Temp(file);
  ASSERT_TRUE(Drive_WriteCube(*path));
  ASSERT_TRUE(Drive_Start3D(*path, settingsName));
  ASSERT_EQ(g_Shell.g_EditSubMode, (u32)SUB_3D_POLY);
}

// Under Wine a program that made a device, sound and windows in process now and then crashes
// in Wine's own teardown ("double free or corruption") after every test passed. A program
// that includes this ends, once its tests have run, with their result and without that
// teardown.
class Drive_EndWithResult : public ::testing::Environment {
 public:
  void TearDown() override {
    fflush(stdout);
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), ::testing::UnitTest::GetInstance()->Passed() ? 0 : 1);
  }
};
