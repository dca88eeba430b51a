// A memory-backed render device for the native render tests: buffers are byte vectors,
// so the tests read back exactly what the render-data set-up wrote. Creation and locking
// can be made to fail.
#pragma once
#include <vector>

#include "lib/render/rdev.h"
#include "model/model3.h"

struct FakeBuffer {
  u32 magic;
  bool index;
  bool index32;
  bool locked;
  std::vector<u8> bytes;
};

struct FakeRender {
  bool failCreate = false;
  bool failLock = false;
  i32 created = 0;
  i32 released = 0;
  std::vector<u32> calls;   // drawPrimitive / drawIndexedPrimitive prim counts
  i32 clears = 0, begins = 0, ends = 0;
  u32 clearColor = 0, clearFlags = 0;
  i32 beginResult = 0;
};

extern FakeRender *g_FakeRender;

void FakeRender_Install(void);
void FakeRender_Remove(void);
// Empties the per-frame model pass's entries of g_LibHooks (the other hooks stay).
void FakeRender_ClearPassHooks(void);
// The buffer behind a handle (null when it is not a live fake buffer).
FakeBuffer *FakeRender_Buffer(void *handle);
std::vector<u32> FakeRender_Indices(void *handle);

// A small two-bone model in `slot`: one quad (corners 0..3) in group 0 bound to bones
// (1, 0) with weight 1 for corners 0 and 1 and to (2, 0) with weight 0.5 otherwise is
// mixed; see the test for the values.
Model3 *RenderTest_NewModel(i32 slot, i32 positions, i32 polygons);
