// The Direct3D window framework: framework state, device settings, the choice of the best
// windowed and fullscreen modes, present parameters, the Present rectangles of each view,
// the 4:3 window size, mouse decoding, pauses and the framework's error texts.
//
// The decisions are portable (native tests reach them); the window, device, frame step and
// message handler that use them are in d3dapp_win.cpp. Owner: lib/framework; other code
// reads g_D3DApp only (the movie's video window sets its fields through D3DApp_VideoOpened
// and D3DApp_VideoClosed).
#pragma once
#include <stdint.h>
#include "lib/framework/d3denum.h"
#include "lib/framework/lib.h"
#include "lib/framework/view_record.h"

struct HWND__;
struct ViewRecord;

// Framework error codes (HRESULT values).
enum : u32 {
  D3DAPPERR_NODIRECT3D = 0x82000001u,
  D3DAPPERR_NOWINDOW = 0x82000002u,
  D3DAPPERR_NOCOMPATIBLEDEVICES = 0x82000003u,
  D3DAPPERR_NOWINDOWABLEDEVICES = 0x82000004u,
  D3DAPPERR_NOHARDWAREDEVICE = 0x82000005u,
  D3DAPPERR_HALNOTCOMPATIBLE = 0x82000006u,
  D3DAPPERR_NOWINDOWEDHAL = 0x82000007u,
  D3DAPPERR_NODESKTOPHAL = 0x82000008u,
  D3DAPPERR_NOHALTHISMODE = 0x82000009u,
  D3DAPPERR_NONZEROREFCOUNT = 0x8200000Au,
  D3DAPPERR_MEDIANOTFOUND = 0x8200000Bu,
  D3DAPPERR_RESETFAILED = 0x8200000Cu,
  D3DAPPERR_NULLREFDEVICE = 0x8200000Du,
  HRES_OUTOFVIDEOMEMORY = 0x8876017Cu,
  HRES_DRIVERINTERNALERROR = 0x88760827u,
  HRES_DEVICELOST = 0x88760868u,
  HRES_DEVICENOTRESET = 0x88760869u,
};
enum { MSGERR_APPMUSTEXIT = 1, MSGWARN_SWITCHEDTOREF = 2, MSGWARN = 0 };

// One half (windowed or fullscreen) of the device settings.
struct D3DModeSettings {
  const D3DAdapterRecord *adapter;
  const D3DDeviceRecord *device;
  const D3DFormatCombo *combo;
  EnumDisplayMode displayMode;
  u32 depthStencilFormat;
  u32 multisampleType;
  u32 multisampleQuality;
  u32 vertexProcessingType;
  u32 presentInterval;
};

struct D3DSettings {
  bool windowed;
  D3DModeSettings windowedSet;
  D3DModeSettings fullscreenSet;
  i32 windowedWidth, windowedHeight;
};
inline D3DModeSettings *D3DSettings_Current(D3DSettings *s) { return s->windowed ? &s->windowedSet : &s->fullscreenSet; }

// The present parameters in portable form (copied field by field into the platform's).
struct PresentSetup {
  u32 backBufferWidth, backBufferHeight, backBufferFormat, backBufferCount;
  u32 multisampleType, multisampleQuality;
  u32 windowed;
  u32 autoDepthStencil, depthStencilFormat, flags;
  u32 refreshRate, presentInterval;
};
enum : u32 { PRESENTFLAG_DISCARD_DEPTHSTENCIL = 0x2 };

// Framework state (one instance).
struct D3DAppState {
  u8 windowed;
  i32 pauseCount;
  u8 deviceLost;
  u8 objectsInitialised, objectsRestored;
  u8 frameMoving, singleStep;
  u8 ignoreSizeChange;
  u8 showCursorWhenFullscreen, clipCursorWhenFullscreen, startFullscreen;
  u8 minimized, maximized;
  u8 renderingSuspended;   // a video plays: the frame step and the paint handler do nothing
  u8 videoLoop;            // replay the video when it stops
  u8 videoActive;          // the video window plays a file: nothing is rendered or advanced
  u8 fatalErrorShown;
  f32 time, elapsedTime, fps;
  f32 lastFpsTime;
  u32 frames;
  u32 presentCount;        // frames presented since start-up
  u32 devicesCreated;      // successful CreateDevice calls since start-up
  u32 windowStyle;
  u32 creationFlags;
  i32 createWidth, createHeight;   // client size of the window to create
  char windowTitle[256];
  char videoPath[256];      // the file the video window plays (replayed on loop)
  char deviceStats[90];     // D3DApp_DeviceStatsText of the current device
  char frameStats[90];      // D3DApp_FrameStatsText, refreshed about once a second
  u8 showStats;             // draw both lines at the top-left of every frame
  D3DSettings settings;
  PresentSetup present;
};
extern D3DAppState g_D3DApp;

// Framework defaults of the start-up (not windowed-specific: time 0, not active, ...).
void D3DApp_SetDefaults(void);
// +1 / -1 on the pause counter; the framework timer stops on the first pause and
// restarts on the last resume (while the frame is moving).
void D3DApp_Pause(bool pause);

// [SECTION] statistics texts
// The device: "HAL", "REF" or "SW", the vertex processing (" (pure hw vp)", " (hw vp)",
// " (mixed vp)" or " (sw vp)"; "simulated" before the hardware kinds on other devices than
// HAL), for HAL ": " and the adapter's description; cut to the 89 characters that fit.
void D3DApp_DeviceStatsText(u32 deviceType, u32 vertexProcessing, const char *adapter, char *out, size_t size);
// The frame: "%.02f fps (%dx%d), " then the back-buffer format (or "backbuf %s, adapter %s"
// when the adapter's format differs), " (%s)" with the depth format when there is a depth
// buffer, and the multisampling (" (Nonmaskable Multisample)", " (2x Multisample)" ..
// " (16x Multisample)").
void D3DApp_FrameStatsText(f32 fps, u32 width, u32 height, u32 backBufferFormat, u32 adapterFormat, bool depthBuffer,
                           u32 depthFormat, u32 multisample, char *out, size_t size);

// [SECTION] best modes
// Best windowed mode over all adapters; false when there is none. requireHal/requireRef
// restrict the device type.
bool D3DApp_FindBestWindowedMode(const D3DEnumeration *e, bool requireHal, bool requireRef,
                                 i32 clientWidth, i32 clientHeight, D3DSettings *s);
bool D3DApp_FindBestFullscreenMode(const D3DEnumeration *e, bool requireHal, bool requireRef, D3DSettings *s);
// Copies the first depth (with a depth buffer), the first multisample type (quality 0),
// the first vertex processing and the first present interval of the combo.
void D3DApp_FillModeDefaults(const D3DEnumeration *e, D3DModeSettings *m);

// Present parameters of the current half of the settings.
void D3DApp_BuildPresentParams(const D3DSettings *s, bool usesDepthBuffer, i32 clientWidth,
                               i32 clientHeight, PresentSetup *pp);

// [SECTION] present rectangles
enum { PRESENT_NOTHING = 0, PRESENT_WHOLE = 1, PRESENT_RECTS = 2 };
struct PresentChoice {
  i32 mode;            // PRESENT_*
  HWND__ *window;      // destination override (null: the device window)
  i32 src[4];          // left, top, right, bottom
  i32 dst[4];
};
// Where the frame goes: the drawn view of the current layout in view-window mode,
// otherwise the whole back buffer into the device window.
PresentChoice D3DApp_ChoosePresent(u32 viewWindowMode, bool movieStage, const ViewRecord *view,
                                   i32 screenWidth, i32 screenHeight);

// [SECTION] messages
// Height of the window whose client area is 4:3 for a window width (WM_SIZE); frameWidth
// and frameHeight are the window's non-client sizes (borders, caption, menu).
i32 D3DApp_SizeFor43(i32 width, i32 frameWidth, i32 frameHeight);
// Client position from a mouse message's lParam; halves above 10000 become small negatives.
void D3DApp_DecodeMouse(intptr_t lParam, i32 *x, i32 *y);
// One 16-bit half of a mouse message's lParam: read unsigned, above 10000 minus 65535. The
// one decoder of the program: the framework handler and the shell's dispatchers use it.
i32 Mouse_DecodeCoord(u32 half);
// True for the video window's stop notice: the MCI mode notification carrying MCI_MODE_STOP.
bool D3DApp_IsVideoStopNotice(u32 msg, intptr_t lParam);
// The video window opened on path (kept for a replay; path may be g_D3DApp.videoPath itself):
// playing, nothing is rendered or advanced while it plays a video file; loop 1 replays it
// on its stop notice.
void D3DApp_VideoOpened(const char *path, bool playing, u8 loop);
// The video window closed: rendering goes on.
void D3DApp_VideoClosed(void);
enum : u32 { MSG_MCIWNDM_NOTIFYMODE = 0x0400 + 200, VIDEO_MODE_STOP = 525 };

// [SECTION] errors
// The text shown for a framework error code.
const char *D3DApp_ErrorText(HResult hr);
// Shows the error (kind MSGERR_APPMUSTEXIT, MSGWARN_SWITCHEDTOREF or MSGWARN) and returns
// hr; after a fatal error nothing more is shown.
HResult D3DApp_DisplayError(HResult hr, int kind);
// Applies one frame's timer values; false when the frame is to be skipped (moving, and
// no time has passed).
bool D3DApp_AdvanceFrameTime(f32 appTime, f32 elapsedTime);
// Frame counter and frames-per-second once a second; true when the rate was refreshed.
bool D3DApp_CountFrame(f32 absoluteTime);
