// The portable decisions of the Direct3D window framework (see d3dapp.h).
#include "lib/framework/d3dapp.h"

#include <string.h>

#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/framework/lib.h"
#include "lib/framework/dxutil.h"
#include "model/str.h"

D3DAppState g_D3DApp;

void D3DApp_SetDefaults(void) {
  D3DSettings keep = g_D3DApp.settings;
  memset(&g_D3DApp, 0, sizeof g_D3DApp);
  g_D3DApp.settings = keep;
  g_D3DApp.windowed = 1;
  g_D3DApp.frameMoving = 1;
  g_D3DApp.clipCursorWhenFullscreen = 1;
  Str_Copy(g_D3DApp.windowTitle, sizeof g_D3DApp.windowTitle, "D3D9 Application");
  g_D3DApp.createWidth = 400;
  g_D3DApp.createHeight = 300;
  g_Lib.appActive = 0;
}

void D3DApp_Pause(bool pause) {
  g_D3DApp.pauseCount += pause ? 1 : -1;
  g_Lib.appActive = g_D3DApp.pauseCount == 0;
  if (pause && g_D3DApp.pauseCount == 1 && g_D3DApp.frameMoving) DXUtil_Timer(TIMER_STOP);
  if (!pause && g_D3DApp.pauseCount == 0 && g_D3DApp.frameMoving) DXUtil_Timer(TIMER_START);
}

// [SECTION] best modes

void D3DApp_FillModeDefaults(const D3DEnumeration *e, D3DModeSettings *m) {
  const D3DFormatCombo *c = m->combo;
  m->depthStencilFormat = (e->usesDepthBuffer && c->depthStencilFormats.count) ? ListU32(c->depthStencilFormats, 0) : (u32)FMT_UNKNOWN;
  m->multisampleType = c->multisampleTypes.count ? ListU32(c->multisampleTypes, 0) : 0;
  m->multisampleQuality = 0;
  m->vertexProcessingType = c->vertexProcessingTypes.count ? ListU32(c->vertexProcessingTypes, 0) : (u32)VP_SOFTWARE;
  m->presentInterval = c->presentIntervals.count ? ListU32(c->presentIntervals, 0) : (u32)PRESENT_INTERVAL_DEFAULT;
}

static bool DeviceTypeWanted(u32 type, bool requireHal, bool requireRef) {
  if (requireHal && type != DEVTYPE_HAL) return false;
  if (requireRef && type != DEVTYPE_REF) return false;
  return true;
}

// One candidate of the best-mode searches: a format combination with its device, its
// adapter and that adapter's desktop mode.
struct ComboChoice {
  const D3DAdapterRecord *adapter;
  const D3DDeviceRecord *device;
  const D3DFormatCombo *combo;
  EnumDisplayMode desktop;
};

// Whether candidate `c` replaces `best` (best.combo is null before the first one); *exact is
// set when no later candidate can beat it.
typedef bool (*ComboBetter)(const ComboChoice &best, const ComboChoice &c, bool *exact);

// Walks every format combination of the wanted device types in enumeration order, keeping
// the best by `better` and stopping at the first exact one. False when none qualifies.
static bool ChooseCombo(const D3DEnumeration *e, bool requireHal, bool requireRef, ComboBetter better,
                        ComboChoice *best) {
  *best = {};
  const D3DQuery *q = e->query;
  for (u32 ai = 0; ai < D3DEnum_AdapterCount(e); ai++) {
    ComboChoice c = {D3DEnum_Adapter(e, ai), nullptr, nullptr, {}};
    if (!q || !q->adapterDisplayMode(q->ctx, c.adapter->adapterOrdinal, &c.desktop)) continue;
    for (u32 di = 0; di < c.adapter->devices.count; di++) {
      c.device = (const D3DDeviceRecord *)c.adapter->devices.GetPtr(di);
      if (!DeviceTypeWanted(c.device->deviceType, requireHal, requireRef)) continue;
      for (u32 ci = 0; ci < c.device->combos.count; ci++) {
        c.combo = (const D3DFormatCombo *)c.device->combos.GetPtr(ci);
        bool exact = false;
        if (!better(*best, c, &exact)) continue;
        *best = c;
        if (exact) return true;
      }
    }
  }
  return best->combo != nullptr;
}

static void StoreChoice(const D3DEnumeration *e, const ComboChoice &c, const EnumDisplayMode &mode,
                        D3DModeSettings *m) {
  m->adapter = c.adapter;
  m->device = c.device;
  m->combo = c.combo;
  m->displayMode = mode;
  D3DApp_FillModeDefaults(e, m);
}

// Windowed: the desktop's format; a HAL beats anything else, and a HAL whose back buffer
// has the desktop format ends the search.
static bool BetterWindowed(const ComboChoice &best, const ComboChoice &c, bool *exact) {
  if (!c.combo->windowed || c.combo->adapterFormat != c.desktop.format) return false;
  bool hal = c.device->deviceType == DEVTYPE_HAL;
  bool bbMatches = c.combo->backBufferFormat == c.combo->adapterFormat;
  *exact = hal && bbMatches;
  return !best.combo || (best.device->deviceType != DEVTYPE_HAL && hal) || *exact;
}

// Fullscreen: a HAL first, then the desktop's format, then a matching back buffer.
static bool BetterFullscreen(const ComboChoice &best, const ComboChoice &c, bool *exact) {
  if (c.combo->windowed) return false;
  bool hal = c.device->deviceType == DEVTYPE_HAL;
  bool desktopMatches = c.combo->adapterFormat == c.desktop.format;
  bool bbMatches = c.combo->backBufferFormat == c.combo->adapterFormat;
  *exact = hal && desktopMatches && bbMatches;
  return !best.combo || (best.device->deviceType != DEVTYPE_HAL && hal) ||
         (hal && best.combo->adapterFormat != best.desktop.format && desktopMatches) || *exact;
}

bool D3DApp_FindBestWindowedMode(const D3DEnumeration *e, bool requireHal, bool requireRef,
                                 i32 clientWidth, i32 clientHeight, D3DSettings *s) {
  ComboChoice best;
  if (!ChooseCombo(e, requireHal, requireRef, BetterWindowed, &best)) return false;
  StoreChoice(e, best, best.desktop, &s->windowedSet);
  s->windowedWidth = clientWidth;
  s->windowedHeight = clientHeight;
  s->windowed = true;
  return true;
}

bool D3DApp_FindBestFullscreenMode(const D3DEnumeration *e, bool requireHal, bool requireRef, D3DSettings *s) {
  ComboChoice c;
  if (!ChooseCombo(e, requireHal, requireRef, BetterFullscreen, &c)) return false;
  // The display mode: exact desktop match ends the search; otherwise the last mode of the
  // desktop width, or the first mode of the format when no width matches.
  bool chosen = false;
  EnumDisplayMode best = {};
  for (u32 i = 0; i < c.adapter->displayModes.count; i++) {
    const EnumDisplayMode *dm = (const EnumDisplayMode *)c.adapter->displayModes.GetPtr(i);
    if (dm->format != c.combo->adapterFormat) continue;
    if (dm->width == c.desktop.width && dm->height == c.desktop.height && dm->refreshRate == c.desktop.refreshRate) {
      best = *dm;
      chosen = true;
      break;
    }
    if (dm->width == c.desktop.width || !chosen) {
      best = *dm;
      chosen = true;
    }
  }
  if (!chosen) return false;
  StoreChoice(e, c, best, &s->fullscreenSet);
  s->windowed = false;
  return true;
}

void D3DApp_BuildPresentParams(const D3DSettings *s, bool usesDepthBuffer, i32 clientWidth,
                               i32 clientHeight, PresentSetup *pp) {
  const D3DModeSettings *m = s->windowed ? &s->windowedSet : &s->fullscreenSet;
  memset(pp, 0, sizeof *pp);
  pp->windowed = s->windowed ? 1 : 0;
  pp->backBufferCount = 1;
  pp->multisampleType = m->multisampleType;
  pp->multisampleQuality = m->multisampleQuality;
  pp->autoDepthStencil = usesDepthBuffer ? 1 : 0;
  if (usesDepthBuffer) {
    pp->flags = PRESENTFLAG_DISCARD_DEPTHSTENCIL;
    pp->depthStencilFormat = m->depthStencilFormat;
  }
  pp->backBufferFormat = m->combo ? m->combo->backBufferFormat : (u32)FMT_UNKNOWN;
  if (s->windowed) {
    pp->backBufferWidth = (u32)(clientWidth > 0 ? clientWidth : 0);
    pp->backBufferHeight = (u32)(clientHeight > 0 ? clientHeight : 0);
    pp->refreshRate = 0;
  } else {
    pp->backBufferWidth = m->displayMode.width;
    pp->backBufferHeight = m->displayMode.height;
    pp->refreshRate = m->displayMode.refreshRate;
  }
  pp->presentInterval = m->presentInterval;
}

// [SECTION] present rectangles

static void SetRect4(i32 *r, i32 l, i32 t, i32 rr, i32 b) { r[0] = l; r[1] = t; r[2] = rr; r[3] = b; }

// The frame with its outline and a margin of 8 pixels on every side.
enum { PERS_FRAME_W = 640 + 16, PERS_FRAME_H = 480 + 16 };

PresentChoice D3DApp_ChoosePresent(u32 viewWindowMode, bool movieStage, const ViewRecord *view,
                                   i32 W, i32 H) {
  PresentChoice pc;
  memset(&pc, 0, sizeof pc);
  if (!viewWindowMode) { pc.mode = PRESENT_WHOLE; return pc; }
  if (!view || !view->window || view->inUse != 1) { pc.mode = PRESENT_NOTHING; return pc; }
  pc.window = view->window;
  if (!movieStage) {
    pc.mode = PRESENT_RECTS;
    if (view->kind == VIEW_MAIN) SetRect4(pc.src, 0, 0, W, H);
    else SetRect4(pc.src, 0, 0, view->w, view->h);
    memcpy(pc.dst, pc.src, sizeof pc.src);
    return pc;
  }
  // The movie stage: the orthographic views and the render view show the centre of the frame.
  switch (view->kind) {
    case VIEW_MAIN:
      pc.mode = PRESENT_WHOLE;
      break;
    case VIEW_FRONT: case VIEW_TOP: case VIEW_SIDE: {
      i32 a = (i32)((W - view->w) * 0.5), b = (i32)((H - view->h) * 0.5);
      pc.mode = PRESENT_RECTS;
      SetRect4(pc.src, a, b, W - a, H - b);
      SetRect4(pc.dst, 0, 0, view->w, view->h);
      break;
    }
    case VIEW_PERS: {
      // A render view smaller than the frame shows it whole with its outline, scaled down:
      // the centre of the back buffer at the client area's shape, just wide and high enough.
      i32 w2 = view->clientW, h2 = view->clientH, sw = w2, sh = h2;
      if (w2 > 0 && h2 > 0 && (w2 < 640 || h2 < 480)) {
        sw = PERS_FRAME_W, sh = (i32)((i64)PERS_FRAME_W * h2 / w2);
        if (sh < PERS_FRAME_H) sh = PERS_FRAME_H, sw = (i32)((i64)PERS_FRAME_H * w2 / h2);
      }
      i32 a = (i32)((W - sw) * 0.5), b = (i32)((H - sh) * 0.5);
      pc.mode = PRESENT_RECTS;
      SetRect4(pc.src, a, b, a + sw, b + sh);
      SetRect4(pc.dst, 0, 0, w2, h2);
      break;
    }
    default:
      // Kinds the movie stage does not know get no rectangle: nothing is presented.
      pc.mode = PRESENT_NOTHING;
      break;
  }
  return pc;
}

// [SECTION] messages

// The frame sizes come from the system's metrics rather than from constants of one theme,
// so that the client area stays 4:3 (640x480 at start-up) under any frame style.
i32 D3DApp_SizeFor43(i32 width, i32 frameWidth, i32 frameHeight) {
  i32 clientWidth = width - frameWidth;
  if (clientWidth < 0) clientWidth = 0;
  return (i32)(clientWidth * 0.75) + frameHeight;
}

i32 Mouse_DecodeCoord(u32 half) {
  i32 v = (i32)(half & 0xFFFF);
  // A drag left of or above the window reports 65535-ish: kept as small negatives.
  // 65535, not 65536: 65535 becomes 0 and 65534 becomes -1.
  if (v > 10000) v -= 0xFFFF;
  return v;
}

void D3DApp_DecodeMouse(intptr_t lParam, i32 *x, i32 *y) {
  *x = Mouse_DecodeCoord((u32)(lParam & 0xFFFF));
  *y = Mouse_DecodeCoord((u32)((lParam >> 16) & 0xFFFF));
}

bool D3DApp_IsVideoStopNotice(u32 msg, intptr_t lParam) {
  return msg == MSG_MCIWNDM_NOTIFYMODE && lParam == VIDEO_MODE_STOP;
}

void D3DApp_VideoOpened(const char *path, bool playing, u8 loop) {
  if (path != g_D3DApp.videoPath) Str_Copy(g_D3DApp.videoPath, sizeof g_D3DApp.videoPath, path);
  g_D3DApp.videoActive = playing ? 1 : 0;
  g_D3DApp.videoLoop = loop;
}

void D3DApp_VideoClosed(void) {
  g_D3DApp.videoActive = 0;
  g_D3DApp.videoLoop = 0;   // a stop notice from a closed window replays nothing
}

// [SECTION] errors

const char *D3DApp_ErrorText(HResult hr) {
  switch ((u32)hr) {
    case D3DAPPERR_NODIRECT3D:
      return "Could not initialize Direct3D. You may\nwant to check that the latest version of\nDirectX is correctly installed on your\nsystem.  Also make sure that this program\nwas compiled with header files that match\nthe installed DirectX DLLs.";
    case D3DAPPERR_NOCOMPATIBLEDEVICES:
      return "ビデオカードが、DirectX 9 に対応していない可能性があります。\n使用できる Direct3D デバイスが、見つかりませんでした。";
    case D3DAPPERR_NOWINDOWABLEDEVICES:
      return "This sample cannot run in a desktop\nwindow with the current display settings.\nPlease change your desktop settings to a\n16- or 32-bit display mode and re-run this\nsample.";
    case D3DAPPERR_NOHARDWAREDEVICE:
      return "No hardware-accelerated Direct3D devices\nwere found.";
    case D3DAPPERR_HALNOTCOMPATIBLE:
      return "This sample requires functionality that is\nnot available on your Direct3D hardware\naccelerator.";
    case D3DAPPERR_NOWINDOWEDHAL:
      return "Your Direct3D hardware accelerator cannot\nrender into a window.\nPress F2 while the app is running to see a\nlist of available devices and modes.";
    case D3DAPPERR_NODESKTOPHAL:
      return "Your Direct3D hardware accelerator cannot\nrender into a window with the current\ndesktop display settings.\nPress F2 while the app is running to see a\nlist of available devices and modes.";
    case D3DAPPERR_NOHALTHISMODE:
      return "This sample requires functionality that is\nnot available on your Direct3D hardware\naccelerator with the current desktop display\nsettings.\nPress F2 while the app is running to see a\nlist of available devices and modes.";
    case D3DAPPERR_NONZEROREFCOUNT:
      return "A D3D object has a non-zero reference\ncount (meaning things were not properly\ncleaned up).";
    case D3DAPPERR_MEDIANOTFOUND:
    case HRES_FILE_NOT_FOUND:
      return "Could not load required media.";
    case D3DAPPERR_RESETFAILED:
      return "Could not reset the Direct3D device.";
    case D3DAPPERR_NULLREFDEVICE:
      return "ビデオカードが、DirectX 9 に対応していない可能性があります。\nD3DAPPERR_NULLREFDEVICE";
    case HRES_OUTOFMEMORY:
      return "Not enough memory.";
    case HRES_OUTOFVIDEOMEMORY:
      return "Not enough video memory.";
    case HRES_DRIVERINTERNALERROR:
      return "A serious problem occured inside the display driver.";
    default:
      return "Generic application error. Enable\ndebug output for detailed information.";
  }
}

HResult D3DApp_DisplayError(HResult hr, int kind) {
  if (g_D3DApp.fatalErrorShown) return hr;
  char text[1024];
  Str_Copy(text, sizeof text, D3DApp_ErrorText(hr));
  if (kind == MSGWARN_SWITCHEDTOREF) {
    size_t n = strlen(text);
    Str_Copy(text + n, sizeof text - n,
             "\n\nSwitching to the reference rasterizer,\na software device that implements the entire\n"
             "Direct3D feature set, but runs very slowly.");
  }
  bool fatal = kind == MSGERR_APPMUSTEXIT || (u32)hr == HRES_DRIVERINTERNALERROR;
  if (fatal) g_D3DApp.fatalErrorShown = 1;
  if (g_LibHooks.errorUi.showBox) g_LibHooks.errorUi.showBox(text, fatal);
  if (fatal && g_LibHooks.errorUi.closeWindow) g_LibHooks.errorUi.closeWindow();
  return hr;
}

bool D3DApp_AdvanceFrameTime(f32 appTime, f32 elapsedTime) {
  if (g_D3DApp.frameMoving && elapsedTime == 0.0f) return false;
  if (g_D3DApp.frameMoving || g_D3DApp.singleStep) {
    g_D3DApp.time = appTime;
    g_D3DApp.elapsedTime = elapsedTime;
    g_D3DApp.singleStep = 0;
  }
  return true;
}

bool D3DApp_CountFrame(f32 absoluteTime) {
  g_D3DApp.frames++;
  if (absoluteTime - g_D3DApp.lastFpsTime > 1.0f) {
    g_D3DApp.fps = (f32)g_D3DApp.frames / (absoluteTime - g_D3DApp.lastFpsTime);
    g_D3DApp.lastFpsTime = absoluteTime;
    g_D3DApp.frames = 0;
    return true;
  }
  return false;
}

// [SECTION] statistics texts

void D3DApp_DeviceStatsText(u32 deviceType, u32 vertexProcessing, const char *adapter, char *out, size_t size) {
  bool hal = deviceType == DEVTYPE_HAL;
  const char *type = hal ? "HAL" : deviceType == DEVTYPE_REF ? "REF" : "SW";
  const char *vp = vertexProcessing == VP_PURE_HARDWARE ? (hal ? " (pure hw vp)" : " (simulated pure hw vp)")
                   : vertexProcessing == VP_HARDWARE    ? (hal ? " (hw vp)" : " (simulated hw vp)")
                   : vertexProcessing == VP_MIXED       ? (hal ? " (mixed vp)" : " (simulated mixed vp)")
                                                        : " (sw vp)";
  char text[300];
  Str_Format(text, sizeof text, "%s%s%s%s", type, vp, hal ? ": " : "", hal && adapter ? adapter : "");
  Str_Format(out, size < 90 ? size : 90, "%s", text);
}

void D3DApp_FrameStatsText(f32 fps, u32 width, u32 height, u32 backBufferFormat, u32 adapterFormat, bool depthBuffer,
                           u32 depthFormat, u32 multisample, char *out, size_t size) {
  char format[80], depth[40] = "", samples[40] = "";
  if (backBufferFormat == adapterFormat) Str_Format(format, sizeof format, "%s", DXUtil_FormatName(backBufferFormat, false));
  else
    Str_Format(format, sizeof format, "backbuf %s, adapter %s", DXUtil_FormatName(backBufferFormat, false),
               DXUtil_FormatName(adapterFormat, false));
  if (depthBuffer) Str_Format(depth, sizeof depth, " (%s)", DXUtil_FormatName(depthFormat, false));
  if (multisample == 1) Str_Format(samples, sizeof samples, " (Nonmaskable Multisample)");
  else if (multisample >= 2 && multisample <= 16) Str_Format(samples, sizeof samples, " (%ux Multisample)", multisample);
  Str_Format(out, size, "%.02f fps (%ux%u), %s%s%s", (double)fps, width, height, format, depth, samples);
}
