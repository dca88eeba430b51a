// The library start-up (Lib_Init) and the Windows-only library calls: the seam's real
// entries, the library timer, the screen size, antialias and vsync switches, the OS
// version class and the shell open.
#include <windows.h>
#include <commctrl.h>
#include <direct.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#include "lib/framework/d3dfont.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/modal_hooks.h"
#include "model/model3.h"
#include "lib/framework/movie_state.h"

extern D3DFont *g_FrameworkFont;

// [SECTION] seam and clock

static void RealErrorBox(const char *text) { Modal_MessageBox(g_MainWnd, text, g_AppCaption, MB_OK); }
static void RealReleaseHandle(void *handle) {
  if (handle) ((IUnknown *)handle)->Release();
}

static double s_TimerStart;
static void LibTimer_Reset(void) { s_TimerStart = (double)(u32)timeGetTime(); }

void Timer_UpdateElapsed(void) { g_TimerElapsedMs = (u32)((double)(u32)timeGetTime() - s_TimerStart); }

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
  if (g_FrameworkWnd) SendMessageA(g_FrameworkWnd, WM_CLOSE, 0, 0);
}

void Lib_InstallSeam(void) {
  if (!g_Seam.errorBox) g_Seam.errorBox = RealErrorBox;
  if (!g_Seam.timerReset) g_Seam.timerReset = LibTimer_Reset;
  if (!g_Seam.releaseHandle) g_Seam.releaseHandle = RealReleaseHandle;
  // g_Seam.logLine stays empty until the log window exists: start-up lines are dropped.
  if (!g_DXUtilClock.counter) g_DXUtilClock = {ClockFrequency, ClockCounter, ClockMilliseconds};
  if (!g_D3DAppErrorUi.showBox) g_D3DAppErrorUi = {ShowFrameworkError, CloseFrameworkWindow};
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
  if (!g_Device) return;
  IDirect3DSurface9 *bb = nullptr;
  if (FAILED(g_Device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb))) return;
  D3DSURFACE_DESC d;
  bb->GetDesc(&d);
  bb->Release();
  g_ScreenWidth = (i32)d.Width;
  g_ScreenHeight = (i32)d.Height;
  if (g_LibHooks.rebuildScreenQuad) g_LibHooks.rebuildScreenQuad();
  if (g_VideoActive && g_LibHooks.moveVideoWindow) g_LibHooks.moveVideoWindow(g_ScreenWidth, g_ScreenHeight);
}

void Draw_SetScreenQuadColor(f32 r, f32 g, f32 b, f32 a) {
  g_LibFlags.r = r;
  g_LibFlags.g = g;
  g_LibFlags.b = b;
  g_LibFlags.alpha = a;
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
    g_OptAntialias = 0;
    return;
  }
  g_OptAntialias = on ? 1 : 0;
  D3DMULTISAMPLE_TYPE type = on ? D3DMULTISAMPLE_4_SAMPLES : D3DMULTISAMPLE_NONE;
  g_PresentParams.MultiSampleType = type;
  g_D3DApp.settings.windowedSet.multisampleType = type;
  if (!on) {
    g_PresentParams.MultiSampleQuality = 0;
    g_D3DApp.settings.windowedSet.multisampleQuality = 0;
  }
  ResetForOption();
}

void Lib_SetVSync(bool on) {
  if (g_D3DApp.windowed) {
    g_PresentParams.PresentationInterval = on ? D3DPRESENT_INTERVAL_ONE : D3DPRESENT_INTERVAL_IMMEDIATE;
    g_D3DApp.settings.windowedSet.presentInterval = g_PresentParams.PresentationInterval;
    ResetForOption();
  }
  g_LibFlags.vsync = on ? 1 : 0;
  Timer_Reset();
}

bool Lib_LoadToonTexture(void) {
  if (!g_Device) return false;
  char path[LIB_TEXT_SIZE];
  // An over-long data folder is refused rather than cut into another path.
  if (!Str_FormatAll(path, sizeof path, "%s\\System\\Toon.JPG", g_DataDir)) return false;
  i32 w = 32, h = 32;
  bool loaded = g_LibHooks.loadToonTexture && g_LibHooks.loadToonTexture(path, &w, &h);
  // Model3_SetRenderMode reads this: with the toon stage modes 2 and 3 become 1.
  g_Model3ToonLoaded = loaded ? 1 : 0;
  return loaded;
}

// [SECTION] start-up

// The capability report: adapter, 4-sample support and the GPU levels of adapter 0.
static void ReportCapabilities(void) {
  const D3DModeSettings &ws = g_D3DApp.settings.windowedSet;
  if (ws.adapter) Log_Printf("%s", ws.adapter->description);
  D3DDISPLAYMODE dm;
  g_GpuInfo.msaa4 = 0;
  if (SUCCEEDED(g_D3D->GetAdapterDisplayMode(0, &dm)) &&
      SUCCEEDED(g_D3D->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, dm.Format, FALSE, D3DMULTISAMPLE_4_SAMPLES, nullptr))) {
    g_GpuInfo.msaa4 = 1;
    Log_Printf("アンチエイリアス 対応( 4 Sample )");
  } else {
    Log_Printf("アンチエイリアス 未対応( 4 Sample )");
  }
  D3DCAPS9 caps;
  memset(&caps, 0, sizeof caps);
  g_D3D->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps);
  GpuCapsInput in = {caps.MaxVertexBlendMatrices, caps.MaxVertexBlendMatrixIndex, caps.MaxPrimitiveCount,
                     caps.MaxVertexIndex, caps.VertexShaderVersion, caps.PixelShaderVersion};
  g_OptAntialias = Lib_ComputeGpuLevels(&in, &g_GpuInfo);
  Log_Printf("KZ.GPU_Info.GeForce %d", g_GpuInfo.level);
  Log_Printf("VertexShader %d", g_GpuInfo.vertexShaderLevel);
  Log_Printf("PixelShader  %d", g_GpuInfo.pixelShaderLevel);
}

bool Lib_Init(HINSTANCE__ *instance) {
  Lib_InstallSeam();
  Lib_InstallHooks();
  // 1. Version line (dropped: the log window does not exist yet) and the home page.
  Log_Printf("KZライブラリ %s", Lib_GetVersion());
  Str_Copy(g_LibApp.homePage, sizeof g_LibApp.homePage, "https://example.org/miravel/");

  // 2. Framework defaults, paused once until the device exists.
  D3DApp_SetDefaults();
  D3DApp_Pause(true);
  g_D3DApp.clipCursorWhenFullscreen = 1;
  Str_Copy(g_D3DApp.windowTitle, sizeof g_D3DApp.windowTitle, g_AppCaption);
  if (!g_FrameworkFont) g_FrameworkFont = new D3DFont("Arial", 12, D3DFONT_BOLD);
  g_D3DApp.createWidth = 640;
  g_D3DApp.createHeight = 480;

  // 3.
  InitCommonControls();
  srand((unsigned)time(nullptr));

  // 4. Capacities and work arrays; the device needs a depth buffer.
  g_MaxPolygons = g_LibConfig.polygonCapacity;
  g_MaxVertices = 4 * g_LibConfig.polygonCapacity;
  if (!Lib_AllocWorkBuffers(g_LibConfig.polygonCapacity)) return false;
  g_FrameScaling = 1;
  g_D3DEnum.usesDepthBuffer = true;
  if (g_LibConfig.stencilShadows) {
    g_D3DEnum.minDepthBits = 16;
    g_D3DEnum.minStencilBits = 4;
  }

  // 5. Window, Direct3D and the device (created once: the framework keeps this device).
  if (FAILED(D3DApp_CreateWindow((HINSTANCE)instance))) return false;

  // 6. Data folder.
  if (!Lib_FindDataFolder(Lib_RealFs(), g_RootDir, g_DataDir)) return false;

  // 7., 8.
  g_OsVersion = (u32)Lib_GetOsVersion();
  ReportCapabilities();

  // 9. Start values.
  g_MainWnd = g_FrameworkWnd;
  g_LibApp.instance = instance;
  g_ModelAllocArrays = 0;
  g_MoviePlayState = 0;
  Lib_SetStartValues();

  // 10.
  if (g_LibHooks.buildTessTables) g_LibHooks.buildTessTables();
  timeBeginPeriod(1);

  // 11. Focus window and rectangles. The device made in step 5 is kept (making a second
  // one without releasing the first would leak it); a reference device has no GPU level.
  if (!g_FocusWnd) g_FocusWnd = g_FrameworkWnd;
  g_D3DApp.windowStyle = (u32)GetWindowLongA(g_FrameworkWnd, GWL_STYLE);
  GetWindowRect(g_FrameworkWnd, &g_WindowBounds);
  GetClientRect(g_FrameworkWnd, &g_ClientRect);
  const D3DModeSettings *cur = D3DSettings_Current(&g_D3DApp.settings);
  if (cur->device && cur->device->deviceType == DEVTYPE_REF) {
    g_GpuInfo.level = 0;
    g_OptAntialias = 0;
  }
  if (!g_Device) {
    if (g_D3D) {
      g_D3D->Release();
      g_D3D = nullptr;
    }
    return false;
  }

  // 13. Music, then sound.
  if (g_LibHooks.startMusic) g_LibHooks.startMusic();
  if (g_LibHooks.startSound) g_LibHooks.startSound();

  // 14.
  Lib_UpdateScreenSize();
  Lib_SetAntialias(g_OptAntialias != 0);
  if (g_LibHooks.createTextFont) g_LibHooks.createTextFont(1.0f);
  if (g_LibConfig.toonTexture) Lib_LoadToonTexture();

  // 15. A first black frame.
  g_Device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  g_Device->Present(nullptr, nullptr, nullptr, nullptr);

  // 16.
  g_FadeStep = 0.03f;
  DXUtil_Timer(TIMER_START);
  g_LibReady = 1;
  Timer_Reset();
  return true;
}
