// The Direct3D window framework: "D3D Window", Direct3D and the device, resets, fullscreen
// toggle, size changes, lost devices, the frame step with its Present into the drawn view,
// and the framework message handler.
#include <windows.h>
#include <d3dx9.h>
#include <mmsystem.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/framework/frametime.h"
#include "lib/framework/d3dfont.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/settingsdlg_win.h"
#include "resources/framework_ids.h"
#include "model/seam_timer.h"

D3DAppPlatform g_D3DAppWin;

enum : DWORD { STYLE_WINDOWED = 0x10CF0000, STYLE_FULLSCREEN = WS_POPUP | WS_SYSMENU | WS_VISIBLE };

// [SECTION] device objects of the framework (font and projection)

static HRESULT InitDeviceObjects(void) {
  return g_D3DAppWin.font ? g_D3DAppWin.font->InitDeviceObjects(g_Lib.device) : S_OK;
}

static HRESULT RestoreDeviceObjects(void) {
  if (g_D3DAppWin.font) {
    HRESULT hr = g_D3DAppWin.font->RestoreDeviceObjects();
    if (FAILED(hr)) return hr;
  }
  D3DXMATRIX proj;
  float aspect = g_D3DAppWin.backBufferDesc.Height ? (float)g_D3DAppWin.backBufferDesc.Width / (float)g_D3DAppWin.backBufferDesc.Height : 1.0f;
  D3DXMatrixPerspectiveFovLH(&proj, 0.785398f, aspect, 1.0f, 65000.0f);
  g_Lib.device->SetTransform(D3DTS_PROJECTION, &proj);
  return S_OK;
}

static void InvalidateDeviceObjects(void) {
  if (g_D3DAppWin.font) g_D3DAppWin.font->InvalidateDeviceObjects();
}

static void DeleteDeviceObjects(void) {
  if (g_D3DAppWin.font) g_D3DAppWin.font->DeleteDeviceObjects();
}

// [SECTION] helpers

static void ReadBackBufferDesc(void) {
  IDirect3DSurface9 *bb = nullptr;
  if (g_Lib.device && SUCCEEDED(g_Lib.device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb))) {
    bb->GetDesc(&g_D3DAppWin.backBufferDesc);
    bb->Release();
  }
}

static void CopyPresentParams(const PresentSetup *ps) {
  D3DPRESENT_PARAMETERS &pp = g_D3DAppWin.presentParams;
  memset(&pp, 0, sizeof pp);
  pp.BackBufferWidth = ps->backBufferWidth;
  pp.BackBufferHeight = ps->backBufferHeight;
  pp.BackBufferFormat = (D3DFORMAT)ps->backBufferFormat;
  pp.BackBufferCount = ps->backBufferCount;
  pp.MultiSampleType = (D3DMULTISAMPLE_TYPE)ps->multisampleType;
  pp.MultiSampleQuality = ps->multisampleQuality;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.hDeviceWindow = g_D3DAppWin.frameworkWnd;
  pp.Windowed = ps->windowed;
  pp.EnableAutoDepthStencil = ps->autoDepthStencil;
  pp.AutoDepthStencilFormat = (D3DFORMAT)ps->depthStencilFormat;
  pp.Flags = ps->flags;
  pp.FullScreen_RefreshRateInHz = ps->refreshRate;
  pp.PresentationInterval = ps->presentInterval;
}

static void BuildPresentParams(void) {
  PresentSetup ps;
  D3DApp_BuildPresentParams(&g_D3DApp.settings, g_D3DEnum.usesDepthBuffer,
                            g_D3DAppWin.clientRect.right - g_D3DAppWin.clientRect.left, g_D3DAppWin.clientRect.bottom - g_D3DAppWin.clientRect.top, &ps);
  g_D3DApp.present = ps;
  CopyPresentParams(&ps);
}

// Style and menu for the windowed or fullscreen state.
static void AdjustWindowForChange(void) {
  if (g_D3DApp.windowed) {
    // A maximised window stays maximised: the style kept from creation lacks that state.
    DWORD state = (DWORD)GetWindowLongA(g_D3DAppWin.frameworkWnd, GWL_STYLE) & (WS_MAXIMIZE | WS_MINIMIZE);
    SetWindowLongA(g_D3DAppWin.frameworkWnd, GWL_STYLE, (LONG)(g_D3DApp.windowStyle | state));
    if (g_D3DAppWin.savedMenu) {
      SetMenu(g_D3DAppWin.frameworkWnd, g_D3DAppWin.savedMenu);
      g_D3DAppWin.savedMenu = nullptr;
    }
  } else {
    SetWindowLongA(g_D3DAppWin.frameworkWnd, GWL_STYLE, (LONG)STYLE_FULLSCREEN);
    if (!g_D3DAppWin.savedMenu) {
      g_D3DAppWin.savedMenu = GetMenu(g_D3DAppWin.frameworkWnd);
      SetMenu(g_D3DAppWin.frameworkWnd, nullptr);
    }
  }
}

static void UpdateCursorAfterDeviceChange(void) {
  if (!g_D3DApp.windowed && g_D3DApp.showCursorWhenFullscreen) {
    HCURSOR cursor = (HCURSOR)GetClassLongPtrA(g_D3DAppWin.frameworkWnd, GCLP_HCURSOR);
    D3DUtil_SetDeviceCursor(g_Lib.device, cursor, true);
    g_Lib.device->ShowCursor(TRUE);
  }
  if (g_D3DApp.clipCursorWhenFullscreen) {
    if (!g_D3DApp.windowed) {
      RECT r;
      GetWindowRect(g_D3DAppWin.frameworkWnd, &r);
      ClipCursor(&r);
    } else {
      ClipCursor(nullptr);
    }
  }
}

static void SingleStepWhenStopped(void) {
  if (!g_D3DApp.frameMoving) {
    g_D3DApp.singleStep = 1;
    DXUtil_Timer(TIMER_START);
    DXUtil_Timer(TIMER_STOP);
  }
}

// [SECTION] creation

// The phase timing's wait: an event query issued now and polled until the device reaches it.
static void D3DApp_WaitForDevice(void) {
  IDirect3DQuery9 *q = nullptr;
  if (!g_Lib.device || FAILED(g_Lib.device->CreateQuery(D3DQUERYTYPE_EVENT, &q)) || !q) return;
  q->Issue(D3DISSUE_END);
  for (int i = 0; i < 100000 && q->GetData(nullptr, 0, D3DGETDATA_FLUSH) == S_FALSE; i++) Sleep(0);
  q->Release();
}

HRESULT D3DApp_CreateWindow(HINSTANCE instance) {
  // MIRAVEL_FRAME_STATS (set, not "0") shows the frame and device lines on every frame.
  const char *stats = getenv("MIRAVEL_FRAME_STATS");
  g_D3DApp.showStats = stats && stats[0] && strcmp(stats, "0") != 0 ? 1 : 0;
  // MIRAVEL_PHASE_STATS adds the time of each view's model render and editor drawing.
  const char *phases = getenv("MIRAVEL_PHASE_STATS");
  g_FrameTimes.on = phases && phases[0] && strcmp(phases, "0") != 0 ? 1 : 0;
  g_FrameTimes.sync = D3DApp_WaitForDevice;
  g_Lib.d3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!g_Lib.d3d) return D3DApp_DisplayError((HResult)D3DAPPERR_NODIRECT3D, MSGERR_APPMUSTEXIT);

  g_D3DEnum.query = D3DEnum_RealQuery(g_Lib.d3d);
  g_D3DEnum.confirm = D3DApp_ConfirmDeviceByType;
  HRESULT hr = D3DEnum_Enumerate(&g_D3DEnum);
  if (FAILED(hr)) {
    g_Lib.d3d->Release();
    g_Lib.d3d = nullptr;
    return D3DApp_DisplayError(hr, MSGERR_APPMUSTEXIT);
  }

  if (!g_D3DAppWin.frameworkWnd) {
    WNDCLASSA wc;
    memset(&wc, 0, sizeof wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = D3DApp_WndProc;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_MAIN_ICON));
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(BLACK_BRUSH);
    wc.lpszClassName = "D3D Window";
    RegisterClassA(&wc);  // already registered after a failed start: keep going

    g_D3DApp.windowStyle = STYLE_WINDOWED;
    RECT rc;
    SetRect(&rc, 0, 0, g_D3DApp.createWidth, g_D3DApp.createHeight);
    AdjustWindowRect(&rc, g_D3DApp.windowStyle, TRUE);
    HMENU menu = LoadMenuA(instance, MAKEINTRESOURCEA(IDR_MAIN_MENU));
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    g_Lib.desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    g_Lib.desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    g_D3DAppWin.frameworkWnd = CreateWindowA("D3D Window", g_D3DApp.windowTitle, g_D3DApp.windowStyle,
                                   (g_Lib.desktopWidth - w) / 2, (g_Lib.desktopHeight - h) / 2, w, h,
                                   nullptr, menu, instance, nullptr);
    g_D3DAppWin.instance = instance;
    if (!g_D3DAppWin.frameworkWnd) {
      g_Lib.d3d->Release();
      g_Lib.d3d = nullptr;
      return D3DApp_DisplayError((HResult)D3DAPPERR_NOWINDOW, MSGERR_APPMUSTEXIT);
    }
  }
  if (!g_D3DAppWin.focusWnd) g_D3DAppWin.focusWnd = g_D3DAppWin.frameworkWnd;
  g_D3DApp.windowStyle = (u32)GetWindowLongA(g_D3DAppWin.frameworkWnd, GWL_STYLE);
  GetWindowRect(g_D3DAppWin.frameworkWnd, &g_D3DAppWin.windowBounds);
  GetClientRect(g_D3DAppWin.frameworkWnd, &g_D3DAppWin.clientRect);

  // Initial settings: windowed when possible.
  D3DSettings &s = g_D3DApp.settings;
  i32 cw = g_D3DAppWin.clientRect.right - g_D3DAppWin.clientRect.left, ch = g_D3DAppWin.clientRect.bottom - g_D3DAppWin.clientRect.top;
  bool fullscreenFound = D3DApp_FindBestFullscreenMode(&g_D3DEnum, false, false, &s);
  bool windowedFound = D3DApp_FindBestWindowedMode(&g_D3DEnum, false, false, cw, ch, &s);
  if (g_D3DApp.startFullscreen && fullscreenFound) s.windowed = false;
  else if (windowedFound) s.windowed = true;
  else if (fullscreenFound) s.windowed = false;
  else hr = D3DAPPERR_NOCOMPATIBLEDEVICES;

  if (SUCCEEDED(hr)) {
    DXUtil_Timer(TIMER_START);
    hr = D3DApp_InitDevice();
    if (SUCCEEDED(hr)) {
      D3DApp_Pause(false);
      return S_OK;
    }
  }
  if (g_Lib.d3d) {
    g_Lib.d3d->Release();
    g_Lib.d3d = nullptr;
  }
  return D3DApp_DisplayError(hr, MSGERR_APPMUSTEXIT);
}

HRESULT D3DApp_InitDevice(void) {
  D3DSettings &s = g_D3DApp.settings;
  D3DModeSettings *m = D3DSettings_Current(&s);
  g_D3DApp.windowed = s.windowed ? 1 : 0;
  AdjustWindowForChange();
  GetClientRect(g_D3DAppWin.frameworkWnd, &g_D3DAppWin.clientRect);
  BuildPresentParams();

  const D3DDeviceRecord *dev = m->device;
  if (dev->caps.primitiveMiscCaps & PMISCCAPS_NULLREFERENCE)
    D3DApp_DisplayError((HResult)D3DAPPERR_NULLREFDEVICE, MSGWARN);

  DWORD behavior = D3DEnum_BehaviorFlags(m->vertexProcessingType);
  HRESULT hr = g_Lib.d3d->CreateDevice(m->adapter->adapterOrdinal, (D3DDEVTYPE)dev->deviceType, g_D3DAppWin.focusWnd,
                                   behavior, &g_D3DAppWin.presentParams, &g_Lib.device);
  if (SUCCEEDED(hr)) {
    g_D3DApp.devicesCreated++;
    g_D3DAppWin.presentedWindow = nullptr;   // a new swap chain presents into the device window
    if (g_Lib.d3d && g_D3DApp.windowed)
      SetWindowPos(g_D3DAppWin.frameworkWnd, HWND_NOTOPMOST, g_D3DAppWin.windowBounds.left, g_D3DAppWin.windowBounds.top,
                   g_D3DAppWin.windowBounds.right - g_D3DAppWin.windowBounds.left, g_D3DAppWin.windowBounds.bottom - g_D3DAppWin.windowBounds.top,
                   SWP_SHOWWINDOW);
    g_Lib.device->GetDeviceCaps(&g_D3DAppWin.deviceCaps);
    g_D3DApp.creationFlags = behavior;
    D3DApp_DeviceStatsText(dev->deviceType, m->vertexProcessingType, m->adapter->description, g_D3DApp.deviceStats,
                           sizeof g_D3DApp.deviceStats);
    if (dev->deviceType == DEVTYPE_REF) {
      Lib_SetGpuLevel(0);
      g_Lib.optAntialias = 0;
    }
    ReadBackBufferDesc();
    UpdateCursorAfterDeviceChange();
    hr = InitDeviceObjects();
    if (FAILED(hr)) {
      DeleteDeviceObjects();
    } else {
      g_D3DApp.objectsInitialised = 1;
      hr = RestoreDeviceObjects();
      if (FAILED(hr)) InvalidateDeviceObjects();
      else { g_D3DApp.objectsRestored = 1; return S_OK; }
    }
    g_Lib.device->Release();
    g_Lib.device = nullptr;
    g_D3DApp.objectsInitialised = g_D3DApp.objectsRestored = 0;
  }

  // A HAL that fails falls back once to a windowed reference device.
  if (hr != (HRESULT)D3DAPPERR_MEDIANOTFOUND && hr != (HRESULT)HRES_FILE_NOT_FOUND && dev->deviceType == DEVTYPE_HAL) {
    if (D3DApp_FindBestWindowedMode(&g_D3DEnum, false, true, s.windowedWidth, s.windowedHeight, &s)) {
      g_D3DApp.windowed = 1;
      AdjustWindowForChange();
      SetWindowPos(g_D3DAppWin.frameworkWnd, HWND_NOTOPMOST, g_D3DAppWin.windowBounds.left, g_D3DAppWin.windowBounds.top,
                   g_D3DAppWin.windowBounds.right - g_D3DAppWin.windowBounds.left, g_D3DAppWin.windowBounds.bottom - g_D3DAppWin.windowBounds.top,
                   SWP_SHOWWINDOW);
      D3DApp_DisplayError(hr, MSGWARN_SWITCHEDTOREF);
      return D3DApp_InitDevice();
    }
  }
  return hr;
}

// [SECTION] reset, toggle, size change

// The views are presented into their own windows (Present's window override). Under Wine the
// swap chain then stays bound to the last view window presented into, and every later device
// call that needs a drawing context (a reset, a texture made or used, a draw) makes it current
// on that window: a window destroyed since, or one whose pixel format cannot be set again,
// leaves the device without a context; a reset then faults at the next draw, and a texture
// first used meanwhile gets no storage and samples black for as long as it lives. One pixel
// presented into the device window binds the swap chain to the main window, which lives as
// long as the device. (On Windows the call only shows that pixel again; the next frame draws
// every view anew.)
static void PresentIntoDeviceWindow(void) {
  RECT one = {0, 0, 1, 1};
  g_Lib.device->Present(&one, &one, nullptr, nullptr);
  g_D3DAppWin.presentedWindow = nullptr;
}

void D3DApp_WindowGoing(HWND wnd) {
  if (g_Lib.device && wnd && wnd == g_D3DAppWin.presentedWindow) PresentIntoDeviceWindow();
}

HRESULT D3DApp_ResetDevice(void) {
  if (!g_Lib.device) return S_OK;
  D3DApp_HandleSizeChange();
  if (g_D3DApp.objectsRestored) {
    InvalidateDeviceObjects();
    g_D3DApp.objectsRestored = 0;
  }
  if (!g_Lib.device) {
    HRESULT hr = D3DApp_InitDevice();
    if (FAILED(hr)) return hr;
  }
  if (g_LibHooks.releaseBeforeReset) g_LibHooks.releaseBeforeReset();
  PresentIntoDeviceWindow();
  HRESULT hr = g_Lib.device->Reset(&g_D3DAppWin.presentParams);
  if (FAILED(hr)) return hr;
  ReadBackBufferDesc();
  UpdateCursorAfterDeviceChange();
  hr = RestoreDeviceObjects();
  if (FAILED(hr)) {
    InvalidateDeviceObjects();
    return hr;
  }
  g_D3DApp.objectsRestored = 1;
  Lib_UpdateScreenSize();
  SingleStepWhenStopped();
  return S_OK;
}

void D3DApp_ReleaseDevice(void) {
  if (!g_Lib.device) return;
  if (g_D3DApp.objectsRestored) {
    InvalidateDeviceObjects();
    g_D3DApp.objectsRestored = 0;
  }
  if (g_D3DApp.objectsInitialised) {
    DeleteDeviceObjects();
    g_D3DApp.objectsInitialised = 0;
  }
  g_Lib.device->Release();
  g_Lib.device = nullptr;
}

void D3DApp_DeleteFont(void) {
  delete g_D3DAppWin.font;
  g_D3DAppWin.font = nullptr;
}

// Another adapter or device type: a new device. Everything the library made on the old one
// goes first, so the old device's last reference goes with D3DApp_ReleaseDevice; textures
// come back by name on the new one, render data with the next per-frame pass.
static HRESULT ReplaceDevice(void) {
  if (g_LibHooks.releaseBeforeReset) g_LibHooks.releaseBeforeReset();
  if (g_LibHooks.deviceObjectsLost) g_LibHooks.deviceObjectsLost();
  D3DApp_ReleaseDevice();
  HRESULT hr = D3DApp_InitDevice();
  if (SUCCEEDED(hr) && g_LibHooks.deviceObjectsReload) g_LibHooks.deviceObjectsReload();
  return hr;
}

static void BackToWindowed(void) {
  g_D3DApp.windowed = 1;
  g_D3DApp.settings.windowed = true;
  AdjustWindowForChange();
  SetWindowPos(g_D3DAppWin.frameworkWnd, HWND_NOTOPMOST, g_D3DAppWin.savedWindowBounds.left, g_D3DAppWin.savedWindowBounds.top,
               g_D3DAppWin.savedWindowBounds.right - g_D3DAppWin.savedWindowBounds.left,
               g_D3DAppWin.savedWindowBounds.bottom - g_D3DAppWin.savedWindowBounds.top, SWP_SHOWWINDOW);
}

HRESULT D3DApp_ToggleFullscreen(void) {
  D3DSettings &s = g_D3DApp.settings;
  const D3DModeSettings before = *D3DSettings_Current(&s);
  D3DApp_Pause(true);
  g_D3DApp.ignoreSizeChange = 1;
  bool goingFullscreen = g_D3DApp.windowed != 0;
  if (goingFullscreen) GetWindowRect(g_D3DAppWin.frameworkWnd, &g_D3DAppWin.savedWindowBounds);
  g_D3DApp.windowed = !g_D3DApp.windowed;
  s.windowed = g_D3DApp.windowed != 0;
  if (!s.fullscreenSet.combo && goingFullscreen) {
    // No fullscreen mode was found at start-up: stay windowed.
    g_D3DApp.windowed = 1;
    s.windowed = true;
    g_D3DApp.ignoreSizeChange = 0;
    D3DApp_Pause(false);
    return D3DApp_DisplayError((HResult)D3DAPPERR_RESETFAILED, MSGERR_APPMUSTEXIT);
  }
  AdjustWindowForChange();
  const D3DModeSettings *now = D3DSettings_Current(&s);
  HRESULT hr;
  if (before.adapter != now->adapter || before.device->deviceType != now->device->deviceType) {
    hr = ReplaceDevice();
  } else {
    GetClientRect(g_D3DAppWin.frameworkWnd, &g_D3DAppWin.clientRect);
    BuildPresentParams();
    hr = D3DApp_ResetDevice();
  }
  g_D3DApp.ignoreSizeChange = 0;
  if (SUCCEEDED(hr)) {
    if (g_D3DApp.windowed)
      SetWindowPos(g_D3DAppWin.frameworkWnd, HWND_NOTOPMOST, g_D3DAppWin.savedWindowBounds.left, g_D3DAppWin.savedWindowBounds.top,
                   g_D3DAppWin.savedWindowBounds.right - g_D3DAppWin.savedWindowBounds.left,
                   g_D3DAppWin.savedWindowBounds.bottom - g_D3DAppWin.savedWindowBounds.top, SWP_SHOWWINDOW);
    else
      GetWindowRect(g_D3DAppWin.frameworkWnd, &g_D3DAppWin.windowBounds);
    Lib_UpdateScreenSize();
    D3DApp_Pause(false);
    return S_OK;
  }
  if (goingFullscreen) BackToWindowed();
  D3DApp_Pause(false);
  return D3DApp_DisplayError(hr == (HRESULT)HRES_OUTOFVIDEOMEMORY ? hr : (HRESULT)D3DAPPERR_RESETFAILED,
                             MSGERR_APPMUSTEXIT);
}

HRESULT D3DApp_SelectNewDevice(void) {
  if (!g_D3DApp.windowed) {
    if (FAILED(D3DApp_ToggleFullscreen())) {
      D3DApp_DisplayError((HResult)D3DAPPERR_RESETFAILED, MSGERR_APPMUSTEXIT);
      return E_FAIL;
    }
  }
  // The settings dialog edits a copy; only OK adopts it and re-creates the device.
  D3DSettingsDialog_Construct(&g_SettingsDialog, &g_D3DEnum, &g_D3DApp.settings);
  if (D3DSettingsDialog_Show(g_D3DAppWin.frameworkWnd) != 1) return S_OK;
  const D3DModeSettings before = *D3DSettings_Current(&g_D3DApp.settings);
  g_D3DApp.settings = g_SettingsDialog.settings;
  g_D3DApp.windowed = g_D3DApp.settings.windowed ? 1 : 0;
  const D3DModeSettings *now = D3DSettings_Current(&g_D3DApp.settings);
  // Same adapter, device type and vertex processing: a reset applies the new settings and
  // keeps every managed texture and buffer the other facilities made on this device valid.
  // Anything else needs a new device.
  bool sameDevice = g_Lib.device && before.adapter == now->adapter && before.device && now->device &&
                    before.device->deviceType == now->device->deviceType &&
                    before.vertexProcessingType == now->vertexProcessingType;
  if (g_LibHooks.releaseRenderTargets) g_LibHooks.releaseRenderTargets();
  HRESULT hr;
  if (sameDevice) {
    g_D3DApp.ignoreSizeChange = 1;
    AdjustWindowForChange();
    GetClientRect(g_D3DAppWin.frameworkWnd, &g_D3DAppWin.clientRect);
    BuildPresentParams();
    hr = D3DApp_ResetDevice();  // runs the release-before-reset hooks itself
    g_D3DApp.ignoreSizeChange = 0;
  } else {
    hr = ReplaceDevice();
  }
  if (FAILED(hr)) {
    BackToWindowed();
    return D3DApp_DisplayError(hr == (HRESULT)HRES_OUTOFVIDEOMEMORY ? hr : (HRESULT)D3DAPPERR_RESETFAILED,
                               MSGERR_APPMUSTEXIT);
  }
  if (g_LibHooks.createTextFont) g_LibHooks.createTextFont(1.0f);
  if (g_LibHooks.recreateRenderTargets) g_LibHooks.recreateRenderTargets();
  if (g_LibHooks.rebuildScreenQuad) g_LibHooks.rebuildScreenQuad();
  Lib_UpdateScreenSize();
  SingleStepWhenStopped();
  return S_OK;
}

HRESULT D3DApp_HandleSizeChange(void) {
  if (g_D3DApp.ignoreSizeChange) return S_OK;
  RECT oldClient = g_D3DAppWin.clientRect;
  GetWindowRect(g_D3DAppWin.frameworkWnd, &g_D3DAppWin.windowBounds);
  GetClientRect(g_D3DAppWin.frameworkWnd, &g_D3DAppWin.clientRect);
  if (oldClient.right - oldClient.left == g_D3DAppWin.clientRect.right - g_D3DAppWin.clientRect.left &&
      oldClient.bottom - oldClient.top == g_D3DAppWin.clientRect.bottom - g_D3DAppWin.clientRect.top)
    return S_OK;
  D3DApp_Pause(true);
  g_D3DAppWin.presentParams.BackBufferWidth = g_D3DAppWin.clientRect.right - g_D3DAppWin.clientRect.left;
  g_D3DAppWin.presentParams.BackBufferHeight = g_D3DAppWin.clientRect.bottom - g_D3DAppWin.clientRect.top;
  HRESULT hr = S_OK;
  if (g_Lib.device) {
    hr = D3DApp_ResetDevice();
    if (FAILED(hr)) {
      if (hr != (HRESULT)HRES_OUTOFVIDEOMEMORY) hr = D3DAPPERR_RESETFAILED;
      D3DApp_DisplayError(hr, MSGERR_APPMUSTEXIT);
    }
  }
  D3DApp_Pause(false);
  return hr;
}

// [SECTION] frame

// The least frame when no frame render is installed: clear, the shell's hooks, done.
static HRESULT DefaultRenderFrame(void) {
  D3DCOLOR clear = D3DCOLOR_ARGB(255, g_Lib.clearColor[0] & 0xFF, g_Lib.clearColor[1] & 0xFF, g_Lib.clearColor[2] & 0xFF);
  DWORD flags = D3DCLEAR_TARGET | (g_D3DAppWin.presentParams.EnableAutoDepthStencil ? D3DCLEAR_ZBUFFER : 0);
  g_Lib.device->Clear(0, nullptr, flags, clear, 1.0f, 0);
  HRESULT hr = g_Lib.device->BeginScene();
  if (FAILED(hr)) return hr;
  const FrameRequest *req = Frame_Current();
  if (req->drawScene) req->drawScene();
  if (req->drawOverlay) req->drawOverlay();
  g_Lib.device->EndScene();
  return S_OK;
}

HRESULT D3DApp_RenderFrame(void) {
  FrameRequest req;
  Frame_Ask(&req);
  Frame_Begin(&req);
  HRESULT hr;
  if (g_LibHooks.renderFrame) hr = g_LibHooks.renderFrame(&req) < 0 ? E_FAIL : S_OK;
  else hr = DefaultRenderFrame();
  Frame_End();
  return hr;
}

static void RecoverLostDevice(void) {
  HRESULT hr = g_Lib.device->TestCooperativeLevel();
  if (hr == D3DERR_DEVICENOTRESET) {
    if (g_D3DApp.windowed) {
      D3DDISPLAYMODE dm;
      const D3DModeSettings &m = g_D3DApp.settings.windowedSet;
      if (SUCCEEDED(g_Lib.d3d->GetAdapterDisplayMode(m.adapter->adapterOrdinal, &dm))) {
        g_D3DApp.settings.windowedSet.displayMode = {dm.Width, dm.Height, dm.RefreshRate, (u32)dm.Format};
        g_D3DAppWin.presentParams.BackBufferFormat = dm.Format;
      }
    }
    hr = D3DApp_ResetDevice();
  }
  if (SUCCEEDED(hr)) g_D3DApp.deviceLost = 0;
}

// Test tooling: after a few presented frames the file named by MIRAVEL_READY_FILE is
// created once, so that tools/screenshot knows the program draws.
static void NoteFramePresented(void) {
  if (++g_D3DApp.presentCount != 3) return;
  char path[MAX_PATH];
  DWORD n = GetEnvironmentVariableA("MIRAVEL_READY_FILE", path, sizeof path);
  if (n == 0 || n >= sizeof path) return;
  FILE *f = fopen(path, "wb");
  if (f) fclose(f);
}

static void PresentFrame(void) {
  const FrameRequest *req = Frame_Current();
  PresentChoice pc = D3DApp_ChoosePresent(g_Lib.viewWindowMode, req->movieStage, req->view, g_Lib.screenWidth, g_Lib.screenHeight);
  HRESULT hr = S_OK;
  if (pc.mode == PRESENT_WHOLE) {
    hr = g_Lib.device->Present(nullptr, nullptr, (HWND)pc.window, nullptr);
  } else if (pc.mode == PRESENT_RECTS) {
    RECT src = {pc.src[0], pc.src[1], pc.src[2], pc.src[3]};
    RECT dst = {pc.dst[0], pc.dst[1], pc.dst[2], pc.dst[3]};
    hr = g_Lib.device->Present(&src, &dst, (HWND)pc.window, nullptr);
  }
  if (pc.mode != PRESENT_NOTHING) g_D3DAppWin.presentedWindow = (HWND)pc.window;
  if (hr == D3DERR_DEVICELOST) g_D3DApp.deviceLost = 1;
  else if (pc.mode != PRESENT_NOTHING) NoteFramePresented();
}

static void UpdateFrameStats(void) {
  const D3DModeSettings *m = D3DSettings_Current(&g_D3DApp.settings);
  u32 adapterFormat = m->combo ? m->combo->adapterFormat : (u32)g_D3DAppWin.backBufferDesc.Format;
  D3DApp_FrameStatsText(g_D3DApp.fps, g_D3DAppWin.backBufferDesc.Width, g_D3DAppWin.backBufferDesc.Height, (u32)g_D3DAppWin.backBufferDesc.Format,
                        adapterFormat, g_D3DAppWin.presentParams.EnableAutoDepthStencil != 0,
                        (u32)g_D3DAppWin.presentParams.AutoDepthStencilFormat, (u32)g_D3DAppWin.presentParams.MultiSampleType,
                        g_D3DApp.frameStats, sizeof g_D3DApp.frameStats);
}

HRESULT D3DApp_FrameStep(void) {
  if (D3DApp_CountFrame((f32)(timeGetTime() * 0.001))) UpdateFrameStats();
  if (g_D3DApp.renderingSuspended || !g_Lib.device) return 0;
  if (g_D3DApp.deviceLost) {
    RecoverLostDevice();
    if (g_D3DApp.deviceLost) return 0;
  }
  f32 appTime = DXUtil_Timer(TIMER_GETAPPTIME);
  f32 elapsed = DXUtil_Timer(TIMER_GETELAPSEDTIME);
  if (!D3DApp_AdvanceFrameTime(appTime, elapsed)) return 0;
  if (g_LibHooks.queueStats) g_LibHooks.queueStats();
  FrameTime_BeginView(Frame_Current()->viewIndex);
  if (FAILED(D3DApp_RenderFrame())) return 0;
  // The recording reads the back buffer before it is presented: after Present the buffer of
  // a discarding swap chain holds nothing defined (black under Wine).
  if (g_Lib.runState == LIB_RUN_RECORDING && g_LibHooks.captureAviFrame) g_LibHooks.captureAviFrame();
  f64 mark = FrameTime_Mark();
  PresentFrame();
  FrameTime_Add(FRAMETIME_PRESENT, &mark);
  FrameTime_EndView();
  Timer_UpdateElapsed();
  return 0;
}

bool D3DApp_ReadBackPixel(int x, int y, u32 *argb) {
  if (!g_Lib.device) return false;
  IDirect3DSurface9 *bb = nullptr, *plain = nullptr, *sys = nullptr;
  bool ok = false;
  if (SUCCEEDED(g_Lib.device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb))) {
    D3DSURFACE_DESC d;
    bb->GetDesc(&d);
    // A multisampled back buffer is resolved into a plain target first.
    if (SUCCEEDED(g_Lib.device->CreateRenderTarget(d.Width, d.Height, d.Format, D3DMULTISAMPLE_NONE, 0, FALSE, &plain, nullptr)) &&
        SUCCEEDED(g_Lib.device->StretchRect(bb, nullptr, plain, nullptr, D3DTEXF_NONE)) &&
        SUCCEEDED(g_Lib.device->CreateOffscreenPlainSurface(d.Width, d.Height, d.Format, D3DPOOL_SYSTEMMEM, &sys, nullptr)) &&
        SUCCEEDED(g_Lib.device->GetRenderTargetData(plain, sys))) {
      D3DLOCKED_RECT lr;
      if (x >= 0 && y >= 0 && (UINT)x < d.Width && (UINT)y < d.Height && SUCCEEDED(sys->LockRect(&lr, nullptr, D3DLOCK_READONLY))) {
        *argb = *(const u32 *)((const u8 *)lr.pBits + y * lr.Pitch + x * 4);
        sys->UnlockRect();
        ok = true;
      }
    }
  }
  if (sys) sys->Release();
  if (plain) plain->Release();
  if (bb) bb->Release();
  return ok;
}

// [SECTION] messages

LRESULT CALLBACK D3DApp_WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (g_LibHooks.shellWndProc) g_LibHooks.shellWndProc((HWND__ *)wnd, msg, wParam, lParam);
  return D3DApp_HandleMessage(wnd, msg, wParam, lParam);
}

// A button press captures the mouse until its release; both keep where they happened.
static void ButtonDown(HWND wnd, LPARAM lParam, u32 *held, i32 *x, i32 *y) {
  *held = 1;
  SetCapture(wnd);
  D3DApp_DecodeMouse(lParam, x, y);
}

static void ButtonUp(LPARAM lParam, u32 *held, i32 *x, i32 *y) {
  *held = 0;
  ReleaseCapture();
  D3DApp_DecodeMouse(lParam, x, y);
}

static void OnMouseMove(LPARAM lParam) {
  D3DApp_DecodeMouse(lParam, &g_Lib.app.cursorX, &g_Lib.app.cursorY);
  if (g_Lib.appActive && g_Lib.device) {
    POINT p;
    GetCursorPos(&p);
    if (g_D3DApp.windowed) ScreenToClient(g_D3DAppWin.frameworkWnd, &p);
    g_Lib.device->SetCursorPosition(p.x, p.y, 0);
  }
}

static void OnClose(HWND wnd) {
  D3DApp_ReleaseDevice();
  if (g_Lib.d3d) {
    g_Lib.d3d->Release();
    g_Lib.d3d = nullptr;
  }
  D3DApp_DeleteFont();
  HMENU menu = GetMenu(wnd);
  if (menu) DestroyMenu(menu);
  DestroyWindow(wnd);
  PostQuitMessage(0);
  if (wnd == g_D3DAppWin.frameworkWnd) g_D3DAppWin.frameworkWnd = nullptr;
  if (wnd == g_Lib.mainWnd) g_Lib.mainWnd = nullptr;
}

static LRESULT OnCommand(HWND wnd, WPARAM wParam, LPARAM lParam) {
  switch (LOWORD(wParam)) {
    case IDM_CHANGE_DEVICE:
      D3DApp_Pause(true);
      D3DApp_SelectNewDevice();
      D3DApp_Pause(false);
      return 0;
    case IDM_TOGGLE_FULLSCREEN:
      D3DApp_Pause(true);
      if (FAILED(D3DApp_ToggleFullscreen())) D3DApp_DisplayError((HResult)D3DAPPERR_RESETFAILED, MSGERR_APPMUSTEXIT);
      D3DApp_Pause(false);
      return 0;
    case IDM_TOGGLE_START:
      g_D3DApp.frameMoving = !g_D3DApp.frameMoving;
      DXUtil_Timer(g_D3DApp.frameMoving ? TIMER_START : TIMER_STOP);
      break;
    case IDM_SINGLE_STEP:
      if (!g_D3DApp.frameMoving) DXUtil_Timer(TIMER_ADVANCE);
      else DXUtil_Timer(TIMER_STOP);
      g_D3DApp.frameMoving = 0;
      g_D3DApp.singleStep = 1;
      break;
    case IDM_FRAMEWORK_EXIT:
      SendMessageA(wnd, WM_CLOSE, 0, 0);
      return 0;
  }
  return DefWindowProcA(wnd, WM_COMMAND, wParam, lParam);
}

LRESULT D3DApp_HandleMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  // The video window's stop notice: replay or close. Only that notification counts (a
  // mouse move at (525, 0) carries the same lParam).
  if (D3DApp_IsVideoStopNotice(msg, lParam)) {
    if (g_D3DApp.videoLoop == 1) {
      if (g_LibHooks.openVideoWindow) g_LibHooks.openVideoWindow(g_D3DApp.videoPath, 1);
    } else if (g_LibHooks.closeVideoWindow) {
      g_LibHooks.closeVideoWindow();
    } else {
      D3DApp_VideoClosed();
    }
    return DefWindowProcA(wnd, msg, wParam, lParam);
  }
  switch (msg) {
    case WM_SIZE: {
      RECT r;
      GetWindowRect(wnd, &r);
      i32 width = r.right - r.left;
      RECT frame = {0, 0, 0, 0};
      AdjustWindowRect(&frame, (DWORD)GetWindowLongA(wnd, GWL_STYLE), GetMenu(wnd) != nullptr);
      MoveWindow(wnd, r.left, r.top, width,
                 D3DApp_SizeFor43(width, frame.right - frame.left, frame.bottom - frame.top), TRUE);
      g_D3DApp.minimized = wParam == SIZE_MINIMIZED;
      g_D3DApp.maximized = wParam == SIZE_MAXIMIZED;
      if (wParam != SIZE_MINIMIZED) Lib_UpdateScreenSize();
      break;
    }
    case WM_ACTIVATE:
      Timer_Reset();
      break;
    case WM_PAINT:
      if (g_Lib.device && !g_Lib.appActive && g_D3DApp.windowed && g_D3DApp.objectsInitialised &&
          g_D3DApp.objectsRestored && !g_D3DApp.renderingSuspended && !g_Lib.viewWindowMode) {
        D3DApp_RenderFrame();
        g_Lib.device->Present(nullptr, nullptr, nullptr, nullptr);
      }
      break;
    case WM_GETMINMAXINFO:
      ((MINMAXINFO *)lParam)->ptMinTrackSize.x = 100;
      ((MINMAXINFO *)lParam)->ptMinTrackSize.y = 100;
      break;
    case WM_SETCURSOR:
      if (g_Lib.appActive && !g_D3DApp.windowed) {
        SetCursor(nullptr);
        if (g_D3DApp.showCursorWhenFullscreen && g_Lib.device) g_Lib.device->ShowCursor(TRUE);
        return TRUE;
      }
      break;
    case WM_NCHITTEST:
      if (!g_D3DApp.windowed) return HTCLIENT;
      break;
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_SIZE: case SC_MOVE: case SC_MAXIMIZE: case SC_KEYMENU: case SC_MONITORPOWER:
          if (!g_D3DApp.windowed) return 1;
      }
      break;
    case WM_ENTERMENULOOP:
      D3DApp_Pause(true);
      break;
    case WM_EXITMENULOOP:
      D3DApp_Pause(false);
      break;
    case WM_POWERBROADCAST:
      if (wParam == 0 || wParam == 7) return TRUE;  // PBT_APMQUERYSUSPEND, PBT_APMRESUMESUSPEND
      break;
    case WM_KEYDOWN:
      if (wParam < 256) g_Lib.app.keyState[wParam] = 1;
      break;
    case WM_KEYUP:
      if (wParam < 256) g_Lib.app.keyState[wParam] = 0;
      break;
    case WM_MOUSEMOVE:
      OnMouseMove(lParam);
      break;
    case WM_LBUTTONDOWN:
      ButtonDown(wnd, lParam, &g_Lib.app.leftHeld, &g_Lib.app.leftDownX, &g_Lib.app.leftDownY);
      break;
    case WM_MBUTTONDOWN:
      ButtonDown(wnd, lParam, &g_Lib.app.middleHeld, &g_Lib.app.middleDownX, &g_Lib.app.middleDownY);
      break;
    case WM_RBUTTONDOWN:
      ButtonDown(wnd, lParam, &g_Lib.app.rightHeld, &g_Lib.app.rightDownX, &g_Lib.app.rightDownY);
      break;
    case WM_LBUTTONUP:
      ButtonUp(lParam, &g_Lib.app.leftHeld, &g_Lib.app.leftUpX, &g_Lib.app.leftUpY);
      break;
    case WM_MBUTTONUP:
      ButtonUp(lParam, &g_Lib.app.middleHeld, &g_Lib.app.middleUpX, &g_Lib.app.middleUpY);
      break;
    case WM_RBUTTONUP:
      ButtonUp(lParam, &g_Lib.app.rightHeld, &g_Lib.app.rightUpX, &g_Lib.app.rightUpY);
      break;
    case WM_COMMAND:
      return OnCommand(wnd, wParam, lParam);
    case WM_CLOSE:
      if (g_LibHooks.mayClose && !g_LibHooks.mayClose()) return 0;
      OnClose(wnd);
      return 0;
    case WM_QUERYENDSESSION:
      return !g_LibHooks.mayClose || g_LibHooks.mayClose();
  }
  return DefWindowProcA(wnd, msg, wParam, lParam);
}
