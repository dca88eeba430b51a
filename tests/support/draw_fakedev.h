// A recording drawing device for the native tests: keeps render states, transforms, the
// vertices of every draw and textures in memory.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "lib/draw/draw.h"
#include "lib/draw/drawdev.h"

struct FakeDraw {
  u32 fvf, primType, primCount, stride;
  std::vector<u8> bytes;
  std::map<u32, u32> statesAtDraw;
};

struct FakeTexture {
  i32 width, height;
  std::vector<u8> texels;   // width * height * 4
  bool released;
  std::string file;         // set when made by the platform loader
  u32 colorKey;
};

struct FakeFont {
  i32 height;
};

struct FakeText {
  std::string text;
  i32 left, top, fontHeight;
  u32 color;
};

struct FakeDevice {
  bool ready = true;
  std::map<u32, u32> states;
  std::vector<std::pair<u32, u32>> stateLog;
  // One entry per primitive list as drawn at once; an indexed draw of a batch is recorded as
  // the primitives it holds, one entry each, so that tests see what was drawn and in order.
  std::vector<FakeDraw> draws;
  u32 deviceDraws = 0;   // draw calls that reached the device (indexed ones count once)
  u64 primitives = 0;    // primitives in those calls
  u64 stateChanges = 0;  // render, sampler and stage states set and textures bound
  // Counting only (the benchmarks): draws and states are counted above, not recorded.
  bool countOnly = false;
  std::vector<FakeText> texts;
  std::vector<FakeTexture *> textures;
  std::vector<FakeFont *> fonts;
  f32 transforms[3][16];
  DrawViewport viewport = {0, 0, 640, 480, 0.0f, 1.0f};
  void *boundTexture = nullptr;
  // Files the fake platform loader "knows": path -> size.
  std::map<std::string, std::pair<i32, i32>> loaderFiles;
  u32 fontsReleased = 0;
};

extern FakeDevice *g_Fake;

// Installs a fresh fake device into g_Dev.draw (and resets the drawing globals the tests use).
void FakeDev_Install(void);
// The same, drawing as the 3D model family's main view does with unscaled 2D placement,
// whole-client views and no 2D frame.
void FakeDev_InstallFor3DFrame(void);
// A fresh fake device that only counts draws and states and keeps no text.
void FakeDev_InstallCounter(void);
void FakeDev_Remove(void);
// The screen vertices of draw i.
std::vector<ScreenVertex> FakeDev_ScreenVerts(size_t i);
std::vector<SceneVertex> FakeDev_SceneVerts(size_t i);
