// g_Lib: the library object, with the input state, start-up options and flags it holds. Each
// group of fields names the files that may write it ("writers:", a folder standing for every
// file in it), checked by the build (tools/hookcheck writes).
//
// Portable: platform objects are named by forward declarations only.
#pragma once
#include "model/types.h"
#include "lib/framework/lib.h"

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

// Start-up options of a host program; this editor leaves them at their defaults.
struct LibConfig {
  u32 polygonCapacity;  // 65000
  u8 stencilShadows;    // the device then needs a stencil buffer
  u8 toonTexture;       // Lib_Init loads System/Toon.JPG
  u8 shaderMode;        // shader render path
  u8 shaderOption;
};

struct LibFlags {
  u8 busy;              // files are loading: the main loop does not sleep, the shell ignores input
  u8 vsync;             // 1
  f32 r, g, b, alpha;   // full-screen quad colour (0, 0, 0, 0.2)
};

// The library object (one instance, zero-filled with the process but for the values given in
// lib_globals.cpp). Lib_Init and the framework fill it at start-up and on size or device
// changes; the framework message handler writes app (input state), the shell through
// Lib_SetButtonHeld; the main loop writes frameDelta; editors write runState, frameScaling
// and the render range and name; any code may format into textBuf. The host's options reach
// it through Lib_SetStartOptions, Lib_SetFrameMode and Lib_SetOptions. Everything else is
// written only inside the library.
// The run states the code acts on (g_Lib.runState; the other values only inform).
enum : u32 { LIB_RUN_MOVIE_PLAYBACK = 6, LIB_RUN_RECORDING = 8 };

struct LibState {
  // writers: lib/
  i32 screenWidth;
  i32 screenHeight;
  LibConfig config;
  LibFlags flags;
  i32 desktopWidth;
  i32 desktopHeight;
  u32 runState;  // 8 recording, 6 movie playback; others informative; writers: lib/ app/preview.cpp edit3d/ edit2d/ scene/
  u32 viewWindowMode;  // 1: frames are presented into view windows
  u32 frameScaling;  // 1: 2D uses a logical 640x480 frame; writers: lib/ scene/
  u32 osVersion;  // Lib_GetOsVersion() stored at start-up
  u8 optAntialias;
  u32 optLight;
  u32 ready;
  u32 appActive;  // 1 while the framework is not paused
  u8 cpuOccupy;  // the main loop skips its Sleep(1)
  f32 frameDelta;  // frames of 1/60 s since the previous idle pass; writers: lib/ app/startup_win.cpp
  f32 textSize;
  f32 fade;
  f32 fadeStep;
  u32 timerElapsedMs;
  f64 timerStart;  // Windows build: timeGetTime at the last Timer_Reset (lib_init_win.cpp)
  i32 renderInterval;    // writers: lib/ scene/
  i32 renderFirstFrame;  // writers: lib/ scene/
  i32 renderLastFrame;   // writers: lib/ scene/
  f32 ambient[3];
  u32 clearColor[3];
  HWND__ *mainWnd;
  IDirect3D9 *d3d;
  IDirect3DDevice9 *device;
  i32 *vertexShareCounts;
  SceneVertex *batchVerts;
  LibApp app;
  char rootDir[LIB_TEXT_SIZE];
  char dataDir[LIB_TEXT_SIZE];
  char renderName[LIB_TEXT_SIZE];   // writers: lib/ scene/ app/preview_win.cpp
  char textBuf[LIB_TEXT_SIZE];  // shared formatting buffer (format with Str_Format); writers: lib/ app/ edit3d/ edit2d/ scene/
  f32 randomTable[LIB_RANDOM_COUNT];  // 3.0 .. 7.0
};
extern LibState g_Lib;
