// The library globals: start-up, folders, screen size, capacities, capability levels and the
// small accessors every editor calls. The library object itself, g_Lib, and who writes which
// of its fields: lib/framework/lib_state.h.
//
// Owner: the library start-up (lib/framework). The main loop writes g_FrameOutputSuppressed.
//
// Portable: platform objects are named by forward declarations only, so portable code above
// the library may include this header (the model core may not: layers include downwards).
// g_Lib.d3d, g_Lib.device, g_Lib.mainWnd and the calls that need the
// platform are defined in the _win.cpp files of lib/framework (Windows build only).
// g_MaxPolygons, g_MaxVertices and g_ModelAllocArrays are defined by the model core
// (model/model3.h); Lib_Init sets the first two.
#pragma once
#include <stdint.h>
#include "lib/framework/view_record.h"
#include "model/types.h"

struct HWND__;
struct HINSTANCE__;
struct IDirect3D9;
struct IDirect3DDevice9;
struct SceneVertex;
struct FrameRequest;
struct FileDlgRequest;
struct Model3;
struct SkinTarget;

enum { LIB_TEXT_SIZE = 256, LIB_RANDOM_COUNT = 256 };

// Capability levels derived from the HAL caps of adapter 0 at start-up. The library fills
// them (the level through Lib_SetGpuLevel, which tells the model core whether render modes
// other than 0 are drawn).
struct GpuInfo {
  u16 level;                  // GPU level 0..8
  u8 msaa4;                   // 4-sample multisampling supported (fullscreen target)
  u32 vertexShaderLevel;      // 0..3
  u32 pixelShaderLevel;       // 0..3
  u32 maxVertexBlendMatrices;
  u32 maxVertexBlendMatrixIndex;
  u32 maxPrimitiveCount;
  u32 maxVertexIndex;
};
extern GpuInfo g_GpuInfo;
// Sets g_GpuInfo.level and the model core's g_Model3ModesOn (level 0: every model in mode 0).
void Lib_SetGpuLevel(u16 level);

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
extern const char g_AppCaption[];     // "Miravel": caption of every message box
// Work arrays allocated at the polygon capacity by Lib_Init (or Lib_AllocWorkBuffers in tests):
// f32[3] per polygon (g_FaceNormalWork, model/facework.h) and i32 per vertex
// (g_Lib.vertexShareCounts).
// Shared vertex batch: polygon capacity x 240 bytes (six 40-byte SceneVertex per polygon).

// Platform objects (defined in the Windows build only).

// [SECTION] start-up
// The whole start-up; true when the library is ready (Windows build).
bool Lib_Init(HINSTANCE__ *instance);
// Allocates the zeroed work arrays and the vertex batch for a polygon capacity, each only
// once; false when an allocation fails.
bool Lib_AllocWorkBuffers(u32 polygonCapacity);
// Fills the random table with (rand() % 5) + 3.0.
void Lib_FillRandomTable(void);
// The library's start values: ambient, text size, run state, random table, clear colour,
// render name and defaults.
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
// While non-zero the frame's screen output is off: no screen text is queued and the
// per-frame pose passes (2D bone skinning, scene-object poses) are skipped.
extern u32 g_FrameOutputSuppressed;
// The host's start-up options, set before Lib_Init: a polygon capacity (0 keeps 65000) and
// whether the toon texture is loaded.
void Lib_SetStartOptions(u32 polygonCapacity, u8 toonTexture);
// How frames are presented: into the view windows (g_Lib.viewWindowMode), 2D content in a
// logical 640x480 frame (g_Lib.frameScaling).
void Lib_SetFrameMode(u32 viewWindows, u32 frameScaling);
// The antialias and light options as the settings file and the options dialog keep them
// (the antialias one takes effect at the next device reset, Lib_SetAntialias).
void Lib_SetOptions(u8 antialias, u32 light);
// The held flag of a mouse button (0 left, 1 middle, 2 right) in g_Lib.app.
void Lib_SetButtonHeld(u32 button, u32 held);
bool Text_IsOutputOn(void);
// Sets g_FrameOutputSuppressed and pauses the model core's 2D bone skinning with it.
void Text_SetSuppressed(u32 suppressed);
// Heap copy (malloc); null for null or a failed allocation.
char *Lib_StrDup(const char *text);
// Advances g_Lib.fade by g_Lib.fadeStep, clamped to 0..1; the step stops at either end.
void Lib_StepFade(void);
// Frames of 1/60 s between two timeGetTime readings (wrap-safe).
f32 Lib_FrameDeltaFromMs(u32 lastMs, u32 nowMs);

// Library timer: restarted after modal interruptions (Timer_Reset, through the seam).
void Timer_UpdateElapsed(void);

// [SECTION] Windows build only
void Lib_ShellOpen(const char *path);
bool Lib_LoadToonTexture(void);
void Lib_UpdateScreenSize(void);
void Draw_SetScreenQuadColor(f32 r, f32 g, f32 b, f32 a);
// Applied by a device reset (windowed only).
void Lib_SetAntialias(bool on);
void Lib_SetVSync(bool on);

// [SECTION] calls the library makes through pointers
// Platform halves the Windows start-up installs and tests replace with fakes.
// The log window (media/log_win.cpp).
struct LogPlatform {
  void (*create)(void);                       // makes window and list box, fills g_Log
  void (*addLine)(const char *text, u32 index);  // adds the line and selects it
  u32 (*freeMemory)(void);
};
// The platform file dialogs (media/dialogs_win.cpp).
struct FileDlgPlatform {
  // Runs the dialog; true on OK (file and fileTitle filled), false on cancel or error.
  bool (*run)(FileDlgRequest *req);
  // Runs the folder chooser starting at startDir; true with out (FILEDLG_TEXT) filled.
  bool (*browseFolder)(const char *startDir, char *out);
};
// How error boxes reach the screen (the Windows build: modal hooks; tests: recorders).
struct D3DAppErrorUi {
  void (*showBox)(const char *text, bool errorIcon);
  void (*closeWindow)(void);   // sends WM_CLOSE to the framework window when it exists
};
// Clock of the framework timer: a high-resolution counter when it works, else milliseconds.
struct DXUtilClock {
  bool (*counterFrequency)(i64 *ticksPerSecond);  // false: no performance counter
  i64 (*counter)(void);
  u32 (*milliseconds)(void);
};

// The one table of calls the library makes through pointers, other than the drawing device
// (g_Dev) and the modal windows (g_ModalHooks): calls into facilities built elsewhere in the
// library (frame render, screen text, primitives, tessellation, sound, AVI capture, the
// effect layer), the shell's hooks, and the platform halves above. A null entry is skipped.
// Writers: the Windows start-up fills the library's entries in Lib_InstallHooks
// (lib/render/lib_start_win.cpp; owners of those facilities add their line there) and
// Lib_InstallSeam; the shell (app/) and the movie editor (scene/) install theirs when
// they start; tests install fakes.
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
  void (*queueStats)(void);            // the device and frame lines of the frame step
  void (*buildTessTables)(void);       // curved-triangle tables
  void (*startMusic)(void);
  void (*startSound)(void);
  bool (*loadToonTexture)(const char *path, i32 *width, i32 *height);
  void (*captureAviFrame)(void);       // while g_Lib.runState is 8
  void (*moveVideoWindow)(i32 width, i32 height);  // the movie's video window, when open
  // The shell's main-window handler (App_MainWndProc), called first for every message.
  intptr_t (*shellWndProc)(HWND__ *wnd, u32 msg, uintptr_t wParam, intptr_t lParam);
  // Asked before the main window closes (WM_CLOSE) or the Windows session ends
  // (WM_QUERYENDSESSION): false keeps the program running. Empty: close without asking.
  bool (*mayClose)(void);
  // While a modal window's own message loop runs (a message box, a file dialog), called about
  // every 50 ms, so that the views and panels it uncovers are drawn again (App_InstallModalIdle).
  void (*modalIdle)(void);
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
  // After Lib_ClearAllModels freed every model: the movie forgets its loaded and play state.
  void (*modelsCleared)(void);
  // [model drawing] the effect layer (render/modeldraw.cpp).
  // Render mode 4 (the bone effect); false when it drew nothing (the model is then drawn
  // as in mode 0).
  bool (*drawBoneModel)(i32 n, i32 part, Model3 *model);
  // The shader frame (Hlsl_RenderFrame), run between BeginScene and the scene hook.
  void (*shaderFrame)(void);
  // Render modes 5 and 6: the bump-mapped samples drawn in place of the model.
  void (*drawBumpSample)(u32 renderMode);
  // Releases the bump samples' meshes, textures and declaration (the next draw loads them).
  void (*releaseBumpSamples)(void);
  // [per-frame model pass] device buffers and render data (render/objects.cpp); the pass
  // runs and is tested natively with these empty.
  // Locks a whole device vertex buffer for writing; null when it cannot be locked.
  void *(*lockVertexBuffer)(void *buffer);
  void (*unlockVertexBuffer)(void *buffer);
  // Rebuilds the render data of every model whose changed flag is set (render-data set-up).
  void (*rebuildModelMeshes)(void);
  // Mode 2: the welded vertices of the slot's indexed mesh; false when the slot has none.
  bool (*indexedMeshSkin)(i32 slot, SkinTarget *out);
  // Mode 3: the vertex flags and normal-polygon flags of the slot's bone-pair meshes, with
  // their counts (the model's vertex and polygon counts when they were built); false when
  // the slot has none. Vertices and polygons past the counts are not deformed.
  bool (*paletteFlags)(i32 slot, const u8 **vertexFlags, i32 *vertexCount, const u8 **normalPolygonFlags,
                       i32 *polygonCount);
  // [platform halves]
  LogPlatform log;
  FileDlgPlatform fileDlg;
  D3DAppErrorUi errorUi;
  DXUtilClock clock;
};
extern LibHooks g_LibHooks;
void Lib_InstallHooks(void);
