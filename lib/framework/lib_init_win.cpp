// The Windows-only library calls: the seam's real entries, the library timer, the screen
// size, antialias and vsync switches, the OS version class, the shell open and the toon
// texture load. The start-up that calls them is Lib_Init (lib/render/lib_start_win.cpp).
#include <windows.h>
#include <commctrl.h>
#include <direct.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "lib/framework/framework_win.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "model/model3.h"
#include "model/seam.h"
#include "model/seam_timer.h"
#include "model/str.h"

// [SECTION] seam and clock

static void RealErrorBox(const char *text) { Modal_MessageBox(g_Lib.mainWnd, text, g_AppCaption, MB_OK); }
static void RealReleaseHandle(void *handle) {
  if (handle) ((IUnknown *)handle)->Release();
}

static void LibTimer_Reset(void) { g_Lib.timerStart = (double)(u32)timeGetTime(); }

void Timer_UpdateElapsed(void) { g_Lib.timerElapsedMs = (u32)((double)(u32)timeGetTime() - g_Lib.timerStart); }

static bool ClockFrequency(i64 *f) {
  LARGE_INTEGER li;
  if (!QueryPerformanceFrequency(&li) || li.QuadPart <= 0) return false;
  *f = li.QuadPart;
  return true;
}
static i64 ClockCounter(void) {
  LARGE_INTEGER li;
  QueryPerformanceCounter(&li);
  return li.QuadPart;
}
static u32 ClockMilliseconds(void) { return timeGetTime(); }

static void ShowFrameworkError(const char *text, bool errorIcon) {
  Modal_MessageBox(nullptr, text, g_AppCaption, errorIcon ? MB_ICONERROR : MB_ICONWARNING);
}
static void CloseFrameworkWindow(void) {
  if (g_D3DAppWin.frameworkWnd) SendMessageA(g_D3DAppWin.frameworkWnd, WM_CLOSE, 0, 0);
}

void Lib_InstallSeam(void) {
  if (!g_Seam.errorBox) g_Seam.errorBox = RealErrorBox;
  if (!g_Seam.timerReset) g_Seam.timerReset = LibTimer_Reset;
  if (!g_Seam.releaseHandle) g_Seam.releaseHandle = RealReleaseHandle;
  // g_Seam.logLine stays empty until the log window exists: start-up lines are dropped.
  if (!g_LibHooks.clock.counter) g_LibHooks.clock = {ClockFrequency, ClockCounter, ClockMilliseconds};
  if (!g_LibHooks.errorUi.showBox) g_LibHooks.errorUi = {ShowFrameworkError, CloseFrameworkWindow};
}

// [SECTION] real file system for the data-folder search

static bool FsCanOpen(void *, const char *path) {
  FILE *f = fopen(path, "rb");
  if (!f) return false;
  fclose(f);
  return true;
}
static bool FsChangeDir(void *, const char *path) { return _chdir(path) == 0; }
static bool FsCurrentDir(void *, char *out, size_t size) { return _getcwd(out, (int)size) != nullptr; }

const LibFs *Lib_RealFs(void) {
  static const LibFs fs = {FsCanOpen, FsChangeDir, FsCurrentDir, nullptr};
  return &fs;
}

// [SECTION] accessors that need the platform

int Lib_GetOsVersion(void) {
  OSVERSIONINFOA vi;
  memset(&vi, 0, sizeof vi);
  vi.dwOSVersionInfoSize = sizeof vi;
  if (!GetVersionExA(&vi)) return 0;
  return Lib_OsVersionClass(vi.dwPlatformId, vi.dwMajorVersion, vi.dwMinorVersion);
}

void Lib_ShellOpen(const char *path) { ShellExecuteA(nullptr, nullptr, path, nullptr, nullptr, SW_SHOWMINIMIZED); }

void Lib_UpdateScreenSize(void) {
  if (!g_Lib.device) return;
  IDirect3DSurface9 *bb = nullptr;
  if (FAILED(g_Lib.device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb))) return;
  D3DSURFACE_DESC d;
  bb->GetDesc(&d);
  bb->Release();
  g_Lib.screenWidth = (i32)d.Width;
  g_Lib.screenHeight = (i32)d.Height;
  if (g_LibHooks.rebuildScreenQuad) g_LibHooks.rebuildScreenQuad();
  if (g_D3DApp.videoActive && g_LibHooks.moveVideoWindow) g_LibHooks.moveVideoWindow(g_Lib.screenWidth, g_Lib.screenHeight);
}

void Draw_SetScreenQuadColor(f32 r, f32 g, f32 b, f32 a) {
  g_Lib.flags.r = r;
  g_Lib.flags.g = g;
  g_Lib.flags.b = b;
  g_Lib.flags.alpha = a;
  if (g_LibHooks.rebuildScreenQuad) g_LibHooks.rebuildScreenQuad();
}

// Release, reset, re-create around a present-parameter change.
static void ResetForOption(void) {
  if (g_LibHooks.releaseRenderTargets) g_LibHooks.releaseRenderTargets();
  D3DApp_ResetDevice();
  if (g_LibHooks.recreateRenderTargets) g_LibHooks.recreateRenderTargets();
}

void Lib_SetAntialias(bool on) {
  on = on && g_GpuInfo.msaa4;
  if (!g_D3DApp.windowed) {
    g_Lib.optAntialias = 0;
    return;
  }
  g_Lib.optAntialias = on ? 1 : 0;
  D3DMULTISAMPLE_TYPE type = on ? D3DMULTISAMPLE_4_SAMPLES : D3DMULTISAMPLE_NONE;
  g_D3DAppWin.presentParams.MultiSampleType = type;
  g_D3DApp.settings.windowedSet.multisampleType = type;
  if (!on) {
    g_D3DAppWin.presentParams.MultiSampleQuality = 0;
    g_D3DApp.settings.windowedSet.multisampleQuality = 0;
  }
  ResetForOption();
}

void Lib_SetVSync(bool on) {
  if (g_D3DApp.windowed) {
    g_D3DAppWin.presentParams.PresentationInterval = on ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
    g_D3DApp.settings.windowedSet.presentInterval = g_D3DAppWin.presentParams.PresentationInterval;
    ResetForOption();
  }
  g_Lib.flags.vsync = on ? 1 : 0;
  Timer_Reset();
}

bool Lib_LoadToonTexture(void) {
  if (!g_Lib.device) return false;
  char path[LIB_TEXT_SIZE];
  // An over-long data folder is refused rather than cut into another path.
  if (!Str_FormatAll(path, sizeof path, "%s\\System\\Toon.JPG", g_Lib.dataDir)) return false;
  i32 w = 32, h = 32;
  bool loaded = g_LibHooks.loadToonTexture && g_LibHooks.loadToonTexture(path, &w, &h);
  // Model3_SetRenderMode reads this: with the toon stage modes 2 and 3 become 1.
  g_Model3ToonLoaded = loaded ? 1 : 0;
  return loaded;
}
