// The library object and the library globals: start-up state, folders, screen size,
// capacities, capability levels and the small accessors every editor calls.
//
// Owner: the library start-up (lib/framework). Lib_Init fills these once; afterwards the
// framework message handler writes the input state of g_LibApp, the main loop writes
// g_FrameDelta, g_Fade and g_FrameOutputSuppressed (model/seam.h), and editors write g_RunState and
// g_FrameScaling. Everything else is read-only outside lib/framework.
//
// Portable: platform objects are named by forward declarations only, so portable code above
// the library may include this header (the model core may not: layers include downwards).
// g_D3D, g_Device, g_MainWnd and the calls that need the
// platform are defined in the _win.cpp files of lib/framework (Windows build only).
// g_MaxPolygons, g_MaxVertices and g_ModelAllocArrays are defined by the model core
// (model/model3.h); Lib_Init sets the first two.
#pragma once
#include <stdint.h>
#include "model/types.h"
#include "model/seam.h"

struct HWND__;
struct HINSTANCE__;
struct IDirect3D9;
struct IDirect3DDevice9;
struct SceneVertex;
struct FrameRequest;

enum { LIB_TEXT_SIZE = 256, LIB_RANDOM_COUNT = 256 };

// Input state and identity of the library (one instance, zero-filled with the process).
struct LibApp {
  u32 keyState[256];           // 1 while the virtual key is down
  u32 leftHeld, middleHeld, rightHeld;
  i32 cursorX, cursorY;        // last mouse-move position, client pixels
  i32 leftUpX, leftUpY, leftDownX, leftDownY;
  i32 middleUpX, middleUpY, middleDownX, middleDownY;
  i32 rightUpX, rightUpY, rightDownX, rightDownY;
  HINSTANCE__ *instance;       // module given to Lib_Init
  char homePage[LIB_TEXT_SIZE];  // address stamped on rendered movie frames
};
extern LibApp g_LibApp;

// Start-up options of a host program; this editor leaves them at their defaults.
struct LibConfig {
  u32 polygonCapacity;  // 65000
  u8 stencilShadows;    // the device then needs a stencil buffer
  u8 toonTexture;       // Lib_Init loads System/Toon.JPG
  u8 shaderMode;        // shader render path
  u8 shaderOption;
};
extern LibConfig g_LibConfig;

struct LibFlags {
  u8 busy;              // files are loading: the main loop does not sleep, the shell ignores input
  u8 vsync;             // 1
  f32 r, g, b, alpha;   // full-screen quad colour (0, 0, 0, 0.2)
};
extern LibFlags g_LibFlags;

// GpuInfo and g_GpuInfo: model/seam.h (the model core reads the level).

// The caps values the levels are computed from (shader versions as packed version words).
struct GpuCapsInput {
  u32 maxVertexBlendMatrices;
  u32 maxVertexBlendMatrixIndex;
  u32 maxPrimitiveCount;
  u32 maxVertexIndex;
  u32 vertexShaderVersion;  // 0xFFFEmmnn
  u32 pixelShaderVersion;   // 0xFFFFmmnn
};
// Fills g_GpuInfo's levels from caps; returns the antialias option the levels imply (0/1).
u8 Lib_ComputeGpuLevels(const GpuCapsInput *caps, GpuInfo *out);

// [SECTION] library globals
extern u32 g_RunState;               // 8 recording, 6 movie playback; others informative
extern char g_RootDir[LIB_TEXT_SIZE];
extern char g_DataDir[LIB_TEXT_SIZE];
extern char g_RenderName[LIB_TEXT_SIZE];
extern i32 g_RenderInterval, g_RenderFirstFrame, g_RenderLastFrame;
extern char g_TextBuf[LIB_TEXT_SIZE]; // shared formatting buffer (format with Str_Format)
extern const char g_AppCaption[];     // "Miravel": caption of every message box
extern f32 g_FrameDelta;              // frames of 1/60 s since the previous idle pass
extern i32 g_ScreenWidth, g_ScreenHeight;   // back-buffer size
extern i32 g_DesktopWidth, g_DesktopHeight; // primary screen size, stored at window creation
extern u32 g_ViewWindowMode;          // 1: frames are presented into view windows
extern u32 g_FrameScaling;            // 1: 2D uses a logical 640x480 frame
extern u32 g_OsVersion;               // Lib_GetOsVersion() stored at start-up
extern u8 g_OptAntialias;
extern u32 g_OptLight;
extern f32 g_Ambient[3];
extern u32 g_ClearColor[3];
extern f32 g_RandomTable[LIB_RANDOM_COUNT];  // 3.0 .. 7.0
extern f32 g_TextSize;
extern f32 g_Fade, g_FadeStep;
extern u32 g_LibReady;
extern u32 g_AppActive;               // 1 while the framework is not paused
extern u8 g_CpuOccupy;                // the main loop skips its Sleep(1)
// Work arrays of the per-frame model pass and the normal computation, allocated by Lib_Init
// (or Lib_AllocWorkBuffers in tests): f32[3] per polygon (g_FaceNormalWork, model/seam.h)
// and i32 per vertex of capacity.
extern i32 *g_VertexShareCounts;
// Shared vertex batch: polygon capacity x 240 bytes (six 40-byte SceneVertex per polygon).
extern SceneVertex *g_BatchVerts;

// Platform objects (defined in the Windows build only).
extern HWND__ *g_MainWnd;
extern IDirect3D9 *g_D3D;
extern IDirect3DDevice9 *g_Device;

// [SECTION] start-up
// The whole start-up; true when the library is ready (Windows build).
bool Lib_Init(HINSTANCE__ *instance);
// Allocates the zeroed work arrays and the vertex batch for a polygon capacity, each only
// once; false when an allocation fails.
bool Lib_AllocWorkBuffers(u32 polygonCapacity);
// Fills the random table with (rand() % 5) + 3.0.
void Lib_FillRandomTable(void);
// The values of step 9 of the start-up (ambient, run state, render defaults, ...).
void Lib_SetStartValues(void);

// Data-folder search over a file system given as calls (the real one, or a fake in tests).
struct LibFs {
  bool (*canOpen)(void *ctx, const char *path);   // file can be opened for reading
  bool (*changeDir)(void *ctx, const char *path);
  bool (*currentDir)(void *ctx, char *out, size_t size);
  void *ctx;
};
// Steps up past the build folders' "KZ.Lib"/"KZ.LibDebug" markers, then into "Data".
// Fills root and data (LIB_TEXT_SIZE each). False when a folder name does not fit: the
// name is then refused, never cut into another path.
bool Lib_FindDataFolder(const LibFs *fs, char *root, char *data);

// [SECTION] accessors
const char *Lib_GetVersion(void);     // "2008.00"
// Version class from GetVersionEx values: platform 0 Win32s, 1 Windows 9x, 2 NT.
int Lib_OsVersionClass(u32 platformId, u32 major, u32 minor);
int Lib_GetOsVersion(void);           // Windows build: the class of this system
u32 D3DApp_IsActive(void);
u32 Lib_IsReady(void);
i32 Lib_GetScreenHeight(void);
void Lib_SetFadeStep(f32 step);
void Lib_SetFade(f32 level);
u8 Lib_IsVSync(void);
void Lib_SetCpuOccupy(u8 on);
u8 Lib_GetCpuOccupy(void);
bool Text_IsOutputOn(void);
void Text_SetSuppressed(u32 suppressed);
// Heap copy (malloc); null for null or a failed allocation.
char *Lib_StrDup(const char *text);
// Advances g_Fade by g_FadeStep, clamped to 0..1; the step stops at either end.
void Lib_StepFade(void);
// Frames of 1/60 s between two timeGetTime readings (wrap-safe).
f32 Lib_FrameDeltaFromMs(u32 lastMs, u32 nowMs);

// Library timer: restarted after modal interruptions (Timer_Reset, through the seam).
void Timer_UpdateElapsed(void);
extern u32 g_TimerElapsedMs;

// [SECTION] Windows build only
void Lib_ShellOpen(const char *path);
bool Lib_LoadToonTexture(void);
void Lib_UpdateScreenSize(void);
void Draw_SetScreenQuadColor(f32 r, f32 g, f32 b, f32 a);
// Applied by a device reset (windowed only).
void Lib_SetAntialias(bool on);
void Lib_SetVSync(bool on);

// Calls into facilities built elsewhere in the library (frame render, screen text,
// primitives, tessellation, sound, AVI capture). A null entry is skipped. The Windows
// start-up fills them in Lib_InstallHooks (lib/framework/lib_hooks_win.cpp): owners of
// those facilities add their line there.
struct LibHooks {
  i32 (*renderFrame)(const FrameRequest *req);  // Lib_RenderFrame: BeginScene .. EndScene; <0 = failed
  void (*rebuildScreenQuad)(void);     // after a size or quad colour change
  void (*releaseBeforeReset)(void);    // text font, lazily made effects, shader targets
  void (*releaseRenderTargets)(void);  // around antialias / vsync resets
  void (*recreateRenderTargets)(void); // ... and flag target 0 for clearing
  // Around a change to another device: everything made on the old one released before it
  // goes, textures loaded again by name on the new one (DevObjects_Lost / _Reload).
  void (*deviceObjectsLost)(void);
  void (*deviceObjectsReload)(void);
  void (*createTextFont)(f32 size);    // screen-text font
  void (*buildTessTables)(void);       // curved-triangle tables
  void (*startMusic)(void);
  void (*startSound)(void);
  bool (*loadToonTexture)(const char *path, i32 *width, i32 *height);
  void (*captureAviFrame)(void);       // while g_RunState is 8
  void (*moveVideoWindow)(i32 width, i32 height);  // the movie's video window, when open
  // The shell's main-window handler (App_MainWndProc), called first for every message.
  intptr_t (*shellWndProc)(HWND__ *wnd, u32 msg, uintptr_t wParam, intptr_t lParam);
  // Asked before the main window closes (WM_CLOSE) or the Windows session ends
  // (WM_QUERYENDSESSION): false keeps the program running. Empty: close without asking.
  bool (*mayClose)(void);
  // The shell's render hooks (App_DrawScene, App_DrawOverlay): the editor's scene draw inside
  // the scene, its overlay after the 2D layers.
  void (*drawScene)(void);
  void (*drawOverlay)(void);
  // The shell's request for the view it draws now (View_FrameRequest); empty: a request of
  // no view with the two render hooks above.
  void (*frameRequest)(FrameRequest *out);
  // The movie editor's video window and playback step (scene/, Scene_Install).
  bool (*openVideoWindow)(const char *path, i32 flag);
  void (*closeVideoWindow)(void);
  void (*moviePlaybackTick)(void);
};
extern LibHooks g_LibHooks;
void Lib_InstallHooks(void);
