// The library start-up (Lib_Init) and the connection of the framework to the library
// facilities it calls but does not own (frame render, screen text, primitives,
// tessellation, sound, AVI capture). Each owner adds the line for its function to
// Lib_InstallHooks; an entry left empty is skipped by the framework. This file sits in the
// top folder of the library because it names every other one.
#include <windows.h>
#include <commctrl.h>
#include <mmsystem.h>
#include <stdlib.h>
#include <time.h>

#include "lib/framework/d3dfont.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/lib.h"
#include "lib/media/avi.h"
#include "lib/media/music.h"
#include "lib/media/sound.h"

#include "lib/draw/drawdev_win.h"
#include "lib/draw/pn.h"
#include "lib/draw/target.h"
#include "lib/draw/text.h"
#include "lib/draw/texture.h"
#include "lib/render/effect_win.h"
#include "lib/render/objects.h"
#include "model/model3.h"
#include "lib/render/rdev.h"
#include "lib/render/frame.h"
#include "model/bone2.h"
#include "model/kzo.h"
#include "model/obj2.h"
#include "lib/render/rebuild.h"
#include "lib/render/render_hooks_win.h"
#include "lib/render/devobjects.h"
#include "model/seam.h"
#include "model/seam_log.h"
#include "model/seam_timer.h"

// Before a device reset: the text font and the shader passes' resources.
static void ReleaseDrawingBeforeReset(void) {
  Text_ReleaseFont();
  Draw_ReleaseShaderTargets();
}

static void RecreateRenderTargets(void) {
  Draw_CreateAllTargets();
  Draw_FlagTargetForClear(0);
}

void Lib_InstallHooks(void) {
  // Drawing, textures, log window and file dialogs (reads g_Lib.device at each call).
  Draw_Install();
  // Effect slots on g_Lib.device; their release runs with every shader-target release.
  Hlsl_Install();
  g_LibHooks.createTextFont = Text_CreateFont;
  g_LibHooks.queueStats = Text_QueueStats;
  g_LibHooks.rebuildScreenQuad = Draw_FillScreenQuad;
  g_LibHooks.releaseBeforeReset = ReleaseDrawingBeforeReset;
  g_LibHooks.releaseRenderTargets = Draw_ReleaseAllTargets;
  g_LibHooks.recreateRenderTargets = RecreateRenderTargets;
  g_LibHooks.loadToonTexture = Draw_LoadToonTexture;
  g_LibHooks.deviceObjectsLost = DevObjects_Lost;
  g_LibHooks.deviceObjectsReload = DevObjects_Reload;
  // Vertex buffer locks of the per-frame model pass (render modes 1 and 2).
  Object_InstallDeviceHooks();
  // Opening a model file builds the rest matrices of every slot.
  g_Seam.buildRestMatrices = Model3_BuildRestMatrices;
  // Sound effects and the music performance (failures leave the program silent).
  g_LibHooks.startMusic = [] { Music_Init(); };
  g_LibHooks.startSound = Sound_Init;
  g_LibHooks.captureAviFrame = Avi_CaptureFrame;
  // Model render data and frame render: buffers, scene, light on g_Lib.device.
  Render_InstallDevice();
  Render_InstallPassHooks();
  g_LibHooks.renderFrame = Lib_RenderFrame;
  Render_InstallEffectHooks();
  g_LibHooks.buildTessTables = [] { Pn_InitTables(); };
}

// [SECTION] start-up

// The capability report: adapter, 4-sample support and the GPU levels of adapter 0.
static void ReportCapabilities(void) {
  const D3DModeSettings &ws = g_D3DApp.settings.windowedSet;
  if (ws.adapter) Log_Printf("%s", ws.adapter->description);
  D3DDISPLAYMODE dm;
  g_GpuInfo.msaa4 = 0;
  if (SUCCEEDED(g_Lib.d3d->GetAdapterDisplayMode(0, &dm)) &&
      SUCCEEDED(g_Lib.d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, dm.Format, FALSE, D3DMULTISAMPLE_4_SAMPLES, nullptr))) {
    g_GpuInfo.msaa4 = 1;
    Log_Printf("アンチエイリアス 対応( 4 Sample )");
  } else {
    Log_Printf("アンチエイリアス 未対応( 4 Sample )");
  }
  D3DCAPS9 caps;
  memset(&caps, 0, sizeof caps);
  g_Lib.d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps);
  GpuCapsInput in = {caps.MaxVertexBlendMatrices, caps.MaxVertexBlendMatrixIndex, caps.MaxPrimitiveCount,
                     caps.MaxVertexIndex, caps.VertexShaderVersion, caps.PixelShaderVersion};
  g_Lib.optAntialias = Lib_ComputeGpuLevels(&in, &g_GpuInfo);
  Lib_SetGpuLevel(g_GpuInfo.level);
  Log_Printf("KZ.GPU_Info.GeForce %d", g_GpuInfo.level);
  Log_Printf("VertexShader %d", g_GpuInfo.vertexShaderLevel);
  Log_Printf("PixelShader  %d", g_GpuInfo.pixelShaderLevel);
}

bool Lib_Init(HINSTANCE__ *instance) {
  Lib_InstallSeam();
  Lib_InstallHooks();
  // The version line (dropped: the log window does not exist yet) and the home page.
  Log_Printf("KZライブラリ %s", Lib_GetVersion());
  Str_Copy(g_Lib.app.homePage, sizeof g_Lib.app.homePage, "https://example.org/miravel/");

  // Framework defaults, paused once until the device exists.
  D3DApp_SetDefaults();
  D3DApp_Pause(true);
  g_D3DApp.clipCursorWhenFullscreen = 1;
  Str_Copy(g_D3DApp.windowTitle, sizeof g_D3DApp.windowTitle, g_AppCaption);
  if (!g_D3DAppWin.font) g_D3DAppWin.font = new D3DFont("Arial", 12, D3DFONT_BOLD);
  g_D3DApp.createWidth = 640;
  g_D3DApp.createHeight = 480;

  // Common controls and the random seed.
  InitCommonControls();
  srand((unsigned)time(nullptr));

  // Capacities and work arrays; the device needs a depth buffer.
  g_MaxPolygons = g_Lib.config.polygonCapacity;
  g_MaxVertices = 4 * g_Lib.config.polygonCapacity;
  if (!Lib_AllocWorkBuffers(g_Lib.config.polygonCapacity)) return false;
  g_Lib.frameScaling = 1;
  g_D3DEnum.usesDepthBuffer = true;
  if (g_Lib.config.stencilShadows) {
    g_D3DEnum.minDepthBits = 16;
    g_D3DEnum.minStencilBits = 4;
  }

  // Window, Direct3D and the device (created once: the framework keeps this device).
  if (FAILED(D3DApp_CreateWindow((HINSTANCE)instance))) return false;

  // Data folder.
  if (!Lib_FindDataFolder(Lib_RealFs(), g_Lib.rootDir, g_Lib.dataDir)) return false;

  // Windows version class, then the capability report.
  g_Lib.osVersion = (u32)Lib_GetOsVersion();
  ReportCapabilities();

  // Main window, instance and the library's start values.
  g_Lib.mainWnd = g_D3DAppWin.frameworkWnd;
  g_Lib.app.instance = instance;
  g_ModelAllocArrays = 0;
  Lib_SetStartValues();

  // Tessellation tables and a 1 ms timer resolution.
  if (g_LibHooks.buildTessTables) g_LibHooks.buildTessTables();
  timeBeginPeriod(1);

  // Focus window and rectangles. The device made with the window is kept (making a second
  // one without releasing the first would leak it); a reference device has no GPU level.
  if (!g_D3DAppWin.focusWnd) g_D3DAppWin.focusWnd = g_D3DAppWin.frameworkWnd;
  g_D3DApp.windowStyle = (u32)GetWindowLongA(g_D3DAppWin.frameworkWnd, GWL_STYLE);
  GetWindowRect(g_D3DAppWin.frameworkWnd, &g_D3DAppWin.windowBounds);
  GetClientRect(g_D3DAppWin.frameworkWnd, &g_D3DAppWin.clientRect);
  const D3DModeSettings *cur = D3DSettings_Current(&g_D3DApp.settings);
  if (cur->device && cur->device->deviceType == DEVTYPE_REF) {
    Lib_SetGpuLevel(0);
    g_Lib.optAntialias = 0;
  }
  if (!g_Lib.device) {
    if (g_Lib.d3d) {
      g_Lib.d3d->Release();
      g_Lib.d3d = nullptr;
    }
    return false;
  }

  // Music, then sound.
  if (g_LibHooks.startMusic) g_LibHooks.startMusic();
  if (g_LibHooks.startSound) g_LibHooks.startSound();

  // Screen size, antialiasing, the text font and the toon texture.
  Lib_UpdateScreenSize();
  Lib_SetAntialias(g_Lib.optAntialias != 0);
  if (g_LibHooks.createTextFont) g_LibHooks.createTextFont(1.0f);
  if (g_Lib.config.toonTexture) Lib_LoadToonTexture();

  // A first black frame.
  g_Lib.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  g_Lib.device->Present(nullptr, nullptr, nullptr, nullptr);

  // Fade speed, the frame timer started, the library marked ready.
  g_Lib.fadeStep = 0.03f;
  DXUtil_Timer(TIMER_START);
  g_Lib.ready = 1;
  Timer_Reset();
  return true;
}
