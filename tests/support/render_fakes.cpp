// Memory-backed render device for the native tests (see render_fakes.h).
#include "render_fakes.h"

#include <string.h>

#include "lib/framework/lib.h"
#include "model/seam.h"

FakeRender *g_FakeRender;
static const u32 kMagic = 0x46414B45;
static void (*s_SavedRelease)(void *);

static void *Create(u32 bytes, bool index, bool index32) {
  if (g_FakeRender->failCreate) return nullptr;
  FakeBuffer *b = new FakeBuffer();
  b->magic = kMagic;
  b->index = index;
  b->index32 = index32;
  b->locked = false;
  b->bytes.assign(bytes, 0xCD);
  g_FakeRender->created++;
  return b;
}
static void *CreateVB(u32 bytes) { return Create(bytes, false, false); }
static void *CreateIB(u32 bytes, bool index32) { return Create(bytes, true, index32); }
static void *Lock(void *h) {
  FakeBuffer *b = FakeRender_Buffer(h);
  if (!b || g_FakeRender->failLock) return nullptr;
  b->locked = true;
  return b->bytes.data();
}
static void Unlock(void *h) {
  if (FakeBuffer *b = FakeRender_Buffer(h)) b->locked = false;
}
static void Release(void *h) {
  FakeBuffer *b = FakeRender_Buffer(h);
  if (!b) {
    if (s_SavedRelease) s_SavedRelease(h);
    return;
  }
  b->magic = 0;
  if (g_FakeRender) g_FakeRender->released++;
  delete b;
}
static void DrawPrim(u32, u32, u32 count) { g_FakeRender->calls.push_back(count); }
static void DrawIndexed(u32, u32, u32, u32 count) { g_FakeRender->calls.push_back(count); }

static i32 Begin(void) {
  g_FakeRender->begins++;
  return g_FakeRender->beginResult;
}
static void End(void) { g_FakeRender->ends++; }
static void Clear(u32 flags, u32 color, f32, u32) {
  g_FakeRender->clears++;
  g_FakeRender->clearFlags = flags;
  g_FakeRender->clearColor = color;
}

void FakeRender_Install(void) {
  g_FakeRender = new FakeRender();
  g_Dev.render = RenderDev{};
  g_Dev.render.createVertexBuffer = CreateVB;
  g_Dev.render.createIndexBuffer = CreateIB;
  g_Dev.render.lockVertexBuffer = Lock;
  g_Dev.render.unlockVertexBuffer = Unlock;
  g_Dev.render.lockIndexBuffer = Lock;
  g_Dev.render.unlockIndexBuffer = Unlock;
  g_Dev.render.drawPrimitive = DrawPrim;
  g_Dev.render.drawIndexedPrimitive = DrawIndexed;
  g_Dev.render.beginScene = Begin;
  g_Dev.render.endScene = End;
  g_Dev.render.clear = Clear;
  s_SavedRelease = g_Seam.releaseHandle;
  g_Seam.releaseHandle = Release;
}

void FakeRender_Remove(void) {
  g_Seam.releaseHandle = s_SavedRelease;
  g_Dev.render = RenderDev{};
  delete g_FakeRender;
  g_FakeRender = nullptr;
}

void FakeRender_ClearPassHooks(void) {
  g_LibHooks.lockVertexBuffer = nullptr;
  g_LibHooks.unlockVertexBuffer = nullptr;
  g_LibHooks.rebuildModelMeshes = nullptr;
  g_LibHooks.indexedMeshSkin = nullptr;
  g_LibHooks.paletteFlags = nullptr;
}

FakeBuffer *FakeRender_Buffer(void *handle) {
  FakeBuffer *b = (FakeBuffer *)handle;
  return b && b->magic == kMagic ? b : nullptr;
}

std::vector<u32> FakeRender_Indices(void *handle) {
  std::vector<u32> out;
  FakeBuffer *b = FakeRender_Buffer(handle);
  if (!b) return out;
  size_t step = b->index32 ? 4 : 2;
  for (size_t i = 0; i + step <= b->bytes.size(); i += step) {
    u32 v = 0;
    memcpy(&v, &b->bytes[i], step);
    out.push_back(v);
  }
  return out;
}

Model3 *RenderTest_NewModel(i32 slot, i32 positions, i32 polygons) {
  Model3 *m = Model3_Init(slot);
  if (!m) return nullptr;
  if (!Model3_Reserve(m, positions, positions, positions, positions, polygons)) return nullptr;
  m->positionCount = m->normalCount = m->colorCount = m->uvCount = positions;
  m->polygonCount = polygons;
  return m;
}
