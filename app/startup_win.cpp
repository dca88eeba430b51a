// WinMain's start-up steps and the message loop: one message routed, or one idle pass that
// updates the frame and draws the one view chosen by the wait counters. Windows build only.
#include "app/startup_win.h"
#include "app/shell_options.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/tools_win.h"

#include <mmsystem.h>
#include <objbase.h>

#include "app/current.h"
#include "app/family.h"
#include "app/filemenu.h"
#include "app/mainloop.h"
#include "app/preview.h"
#include "app/settings.h"
#include "app/shell_seam.h"
#include "app/shell_win.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/views.h"
#include "app/winorder_win.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "lib/framework/view_record.h"
#include "lib/media/filename.h"
#include "model/bytes.h"
#include "model/model3.h"
#include "model/bone2.h"
#include "model/kzo.h"
#include "model/obj2.h"
#include "model/object.h"
#include "lib/render/objects.h"
#include "model/seam_errorbox.h"
#include "model/seam_log.h"
#include "model/seam_timer.h"

static FrameClock s_Clock;
static i32 s_StripCounter;
static u32 s_DrawnSinceRest;   // bit i: view i drawn since the idle pass last rested (View_MoreDue)

// [SECTION] fit camera of the platform
static void FitPlace(const f32 eye[3], const f32 target[3]) {
  Cam_SetEye(eye[0], eye[1], eye[2]);
  Cam_SetTarget(target[0], target[1], target[2]);
}

static bool FitProject(const f32 world[3], f32 screen[2]) {
  f32 out[3];
  Cam_ProjectToScreen(out, world[0], world[1], world[2]);
  screen[0] = out[0];
  screen[1] = out[1];
  return out[2] > 0.0f;
}

static const FitCamera kFitCamera = {FitPlace, FitProject};

static void SetCameraSeam(const f32 eye[3], const f32 target[3]) { FitPlace(eye, target); }

// The ActiveX host window class (atl.dll's AtlAxWinInit; no ATL headers here). A system
// without it starts all the same.
static void InitActiveXHost(void) {
  HMODULE atl = LoadLibraryA("atl.dll");
  if (!atl) return;
  typedef BOOL(WINAPI * AtlAxWinInitFn)(void);
  AtlAxWinInitFn init = (AtlAxWinInitFn)(void (*)(void))GetProcAddress(atl, "AtlAxWinInit");
  if (init) init();
}

static void InstallPlatformSeam(void) {
  Shell_InstallSeam();
  g_ShellSeam.fitCamera = &kFitCamera;
  g_ShellSeam.setBrightness = Cam_SetBrightness;
  g_ShellSeam.setCamera = SetCameraSeam;
  App_InstallFrameEntries();
  Preview_InstallPlatform();
}

// [SECTION] polygon capacity and toon
// The polygon limit and the toon option take effect at the next start: they are read from
// the settings file before the library sizes its arrays and loads its textures. The current
// folder is kept.
static void ApplySavedStartOptions(void) {
  char saved[MAX_PATH];
  DWORD n = GetCurrentDirectoryA(sizeof saved, saved);
  char root[LIB_TEXT_SIZE], data[LIB_TEXT_SIZE];
  if (Lib_FindDataFolder(Lib_RealFs(), root, data) && SetCurrentDirectoryA(data)) {
    char name[300];
    Settings_FilePath(name, sizeof name, GetSystemMetrics(SM_CXSCREEN));
    FileData f;
    if (name[0] && File_ReadAll(name, &f)) {
      i32 limit = Settings_PeekMaxPolygons(f.data, f.size);
      Lib_SetStartOptions(limit > 0 ? (u32)limit : 0, Settings_PeekToon(f.data, f.size) == 1 ? 1 : 0);
      File_Free(&f);
    }
  }
  if (n > 0 && n < sizeof saved) SetCurrentDirectoryA(saved);
}

// [SECTION] start-up
// The data folder is looked for from the folder the program is started in. Started elsewhere
// (from a document's folder, a shortcut that starts in another folder), where there is none,
// it is looked for from the folder that holds the program instead: the shipped files the
// documents name are found wherever the program was started from.
static void StartWhereTheDataIs(void) {
  char saved[MAX_PATH], root[LIB_TEXT_SIZE], data[LIB_TEXT_SIZE];
  DWORD n = GetCurrentDirectoryA(sizeof saved, saved);
  if (n == 0 || n >= sizeof saved) return;
  bool here = Lib_FindDataFolder(Lib_RealFs(), root, data) && strcmp(root, data) != 0;
  SetCurrentDirectoryA(saved);
  if (here) return;
  char exe[MAX_PATH];
  DWORD len = GetModuleFileNameA(nullptr, exe, sizeof exe);
  if (len == 0 || len >= sizeof exe) return;
  size_t cut = File_NameOffset(exe);
  if (cut == 0) return;
  exe[cut] = 0;
  SetCurrentDirectoryA(exe);
}

// MIRAVEL_SETTINGS_DIR names a settings folder of its own (tests and screenshots).
static void TakeSettingsFolder(void) {
  char folder[sizeof g_Options.g_SettingsFolder];
  DWORD n = GetEnvironmentVariableA("MIRAVEL_SETTINGS_DIR", folder, sizeof folder);
  if (n > 0 && n < sizeof folder) Settings_SetFolder(folder);
}

bool App_Startup(HINSTANCE instance, const char *commandLine) {
  g_Options.g_OptMaxPolygons = 65000;
  StartWhereTheDataIs();
  TakeSettingsFolder();
  InstallPlatformSeam();
  ApplySavedStartOptions();
  g_LibHooks.shellWndProc = App_MainWndProc;
  if (!Lib_Init(instance)) {
    Seam_ErrorBox("初期化に失敗しました。");
    return false;
  }
  g_LibHooks.shellWndProc = App_MainWndProc;   // kept even if the library re-installed its hooks
  App_InstallLibHooks();
  Preview_Install();
  Log_Printf("データフォルダ : %s", g_Lib.dataDir);
  Log_Printf("ビデオチップ識別 : %d", (int)(i16)g_GpuInfo.level);
  CoInitialize(nullptr);
  InitActiveXHost();
  // The start-up globals the library reads: frames go into the view windows, 2D content is
  // centred in them rather than scaled (the view windows are desktop-sized).
  Lib_SetFrameMode(1, 0);
  g_EditorMode = 1;
  g_Model3Edited = 1;
  g_Shell.g_EditFamily = FAMILY_PREVIEW;
  g_Shell.g_EditSubMode = 0;
  App_InitFamily2DFrame();
  g_Shell.g_Frame640 = 0;
  FileDlg_ChangeDir(g_Lib.dataDir);
  g_Shell.g_MainWindowHandle = (HWND__ *)g_Lib.mainWnd;
  RECT r;
  if (GetWindowRect(g_Lib.mainWnd, &r)) {
    g_Options.g_MainWndRect[0] = r.left; g_Options.g_MainWndRect[1] = r.top;
    g_Options.g_MainWndRect[2] = r.right - r.left; g_Options.g_MainWndRect[3] = r.bottom - r.top;
  }
  Settings_Load();
  ShowWindow(g_Lib.mainWnd, SW_MAXIMIZE);
  HMENU sys = GetSystemMenu(g_Lib.mainWnd, FALSE);
  if (sys) {
    RemoveMenu(sys, SC_RESTORE, MF_BYCOMMAND);
    RemoveMenu(sys, SC_MOVE, MF_BYCOMMAND);
  }
  Lib_SetAntialias(g_Lib.optAntialias != 0);
  App_SetEditorStartState();
  App_EnterFamily();
  ObjectInit((i32)g_Sel.g_CurSlot);
  if (g_ShellSeam.buildMovieFrameTables) g_ShellSeam.buildMovieFrameTables();
  Strip_CreateCanvas();
  App_CreateEditDlg();
  App_SetLayoutStartState(g_Lib.desktopWidth, g_Lib.desktopHeight, Lib_GetScreenHeight());
  Strip_Install();   // after the strip rectangle: the geometry reads it
  Lib_SetFade(1.0f);
  Timer_Reset();
  char path[MAX_PATH];
  bool opened = false;
  if (Loop_CommandLinePath(commandLine, path, sizeof path) && Loop_IsKzpPath(path)) {
    App_SwitchTo3DFamily();
    FileMenu_LoadKzp(path);
    opened = true;
  }
  SetActiveWindow(g_Lib.mainWnd);
  Log_Printf("起動しました。");
  if (!opened) App_SwitchTo3DFamily();
  // Activating and maximising the main window can stack it over its own tool windows
  // (seen under Wine): they are raised once everything is in place.
  WinOrder_RaiseAll();
  return true;
}

// [SECTION] idle pass
static void ApplyMovieCamera(ViewRecord *v, ViewRecord *views, i32 count) {
  Lib_SetSceneDraw(1);
  f32 s = 1.0f;
  if (g_Lib.frameScaling) {
    if (v->kind == VIEW_MAIN) s = (f32)g_Lib.desktopWidth / 640.0f;
    else if (v->kind == VIEW_PERS && count > 4) s = (f32)views[4].w / 640.0f;
  }
  f32 eye[3], target[3];
  if (v->kind == VIEW_MAIN || v->kind == VIEW_PERS) {
    // Without a camera object the previous camera stays.
    if (Loop_MovieCamera(g_Shell.g_MovieCameraObject, eye, target)) FitPlace(eye, target);
    return;
  }
  Loop_MovieOrthoCamera(v, s, eye, target);
  FitPlace(eye, target);
}

// Set while an idle pass runs: a modal window opened from inside one draws nothing more until
// it returns (the pass is not entered twice).
static bool s_InIdlePass;

static void IdlePass(void) {
  Lib_StepFade();
  Cam_SetBrightness(g_Lib.fade);
  g_Lib.frameDelta = Loop_FrameDelta(&s_Clock, timeGetTime());
  s_Clock.last = timeGetTime();
  Text_SetSuppressed(0);
  App_UpdateFrameThunk();

  u32 L = View_CurrentLayout();
  ViewChoiceInput in = {};
  in.layout = L;
  in.activeView = g_Shell.g_ActiveView;
  in.updateEditedViewOnly = g_Options.g_OptUpdateEditedViewOnly == 1;
  in.anyButtonHeld = Shell_AnyButtonHeld();
  in.playing = g_Shell.g_Playing == 1;
  in.rightButtonHeld = Shell_ButtonHeld(BUTTON_RIGHT) != 0;
  i32 chosen = View_ChooseDrawView(&in);
  if (chosen >= 0) {
    g_Shell.g_DrawView = (u32)chosen;
    ViewRecord *views = g_Shell.g_Views[L];
    ViewRecord *v = &views[g_Shell.g_DrawView];
    Lib_SetSceneDraw(1);
    if (v->kind != VIEW_MAIN && v->kind != VIEW_PERS) Lib_SetSceneDraw(0);
    if (g_Shell.g_EditFamily == FAMILY_MOVIE) {
      g_Shell.g_DrawView = Loop_MovieDrawView(g_Shell.g_DrawView, g_Lib.runState == LIB_RUN_RECORDING, views, g_Shell.g_ViewCount[L]);
      v = &views[g_Shell.g_DrawView];
      ApplyMovieCamera(v, views, g_Shell.g_ViewCount[L]);
    }
    RECT c;
    if (v->window && GetClientRect((HWND)v->window, &c)) { v->clientW = c.right; v->clientH = c.bottom; }
    Loop_ViewCentre(v->w, v->h, &v->centerX, &v->centerY);
    v->redraw = 0;
    D3DApp_FrameStep();
  }
  if (Loop_StripsDue(&s_StripCounter, g_Lib.runState == LIB_RUN_RECORDING) && g_ShellSeam.redrawStrips) g_ShellSeam.redrawStrips();
  if (g_ShellSeam.buildMovieFrameTables) g_ShellSeam.buildMovieFrameTables();
  // The rest that leaves the processor to others comes once every view flagged has been drawn.
  if (chosen >= 0 && g_Shell.g_DrawView < 32) s_DrawnSinceRest |= 1u << g_Shell.g_DrawView;
  bool due = View_MoreDue(&in, g_Lib.runState == LIB_RUN_RECORDING, s_DrawnSinceRest);
  if (!due) s_DrawnSinceRest = 0;
  if (!due && !Lib_GetCpuOccupy()) Sleep(1);
}

void App_IdlePass(void) {
  s_InIdlePass = true;
  IdlePass();
  s_InIdlePass = false;
}

// While a message box or a file dialog is up, the main loop waits for it: the views and panels
// it uncovers are drawn by the idle pass from the modal window's own loop.
static void ModalIdle(void) {
  if (!s_InIdlePass && Lib_IsReady()) App_IdlePass();
}

void App_InstallModalIdle(void) { g_LibHooks.modalIdle = ModalIdle; }

// [SECTION] message loop
// True for a key that a control takes itself (an edit field, a combo box or its edit field, a
// list): there a letter, a digit or an arrow is text or a move, never a key command. The
// function keys stay commands everywhere (F5 runs the script being typed).
static bool TakesKeys(HWND w, u32 vk) {
  static const char *const kClasses[] = {"Edit", "ComboBox", "ComboLBox", "ListBox", "SysListView32", "SysTreeView32"};
  char name[32];
  if (vk >= VK_F1 && vk <= VK_F24) return false;
  if (!w || !GetClassNameA(w, name, sizeof name)) return false;
  for (const char *c : kClasses)
    if (lstrcmpiA(name, c) == 0) return true;
  return false;
}

static void RouteMessage(MSG *msg) {
  if (Modal_TakeStaleKey(msg)) return;   // the release of a key that closed a modal window
  if (msg->message == WM_KEYUP && !TakesKeys(msg->hwnd, (u32)msg->wParam)) App_LoopKeyUp((u32)msg->wParam);
  if (msg->message == WM_MOUSEWHEEL && App_WheelTargetActive()) {
    if ((i16)HIWORD(msg->wParam) >= 0) App_OnWheelUp();
    else App_OnWheelDown();
  }
  if (App_DialogPanelsTake(msg)) return;
  TranslateMessage(msg);
  DispatchMessageA(msg);
}

bool App_LoopStep(int *exitCode) {
  MSG msg;
  bool taken;
  if (D3DApp_IsActive()) {
    taken = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != 0;
  } else {
    taken = true;
    if (GetMessageA(&msg, nullptr, 0, 0) <= 0) msg.message = WM_QUIT;
  }
  if (taken) {
    if (msg.message == WM_QUIT) {
      if (exitCode) *exitCode = (int)msg.wParam;
      return false;
    }
    RouteMessage(&msg);
    return true;
  }
  if (D3DApp_IsActive() && Lib_IsReady()) App_IdlePass();
  g_AppShell.keyLatch = 0;   // no message waiting: the next key may act
  return true;
}

int App_MainLoop(void) {
  MSG peek;
  if (PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE) && peek.message == WM_QUIT) return (int)peek.wParam;
  int code = 0;
  while (App_LoopStep(&code)) {
  }
  return code;
}
