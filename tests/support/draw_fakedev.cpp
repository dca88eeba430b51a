// The recording drawing device of the native tests (see draw_fakedev.h).
#include "draw_fakedev.h"

#include <string.h>

#include "lib/draw/draw.h"
#include "lib/draw/screen.h"
#include "view_reset.h"

FakeDevice *g_Fake;

static u32 Slot(u32 which) { return which == DTS_WORLD ? 0 : which == DTS_VIEW ? 1 : 2; }

static bool Ready() { return g_Fake && g_Fake->ready; }
static void SetRS(u32 s, u32 v) {
  g_Fake->stateChanges++;
  if (g_Fake->countOnly) return;
  g_Fake->states[s] = v;
  g_Fake->stateLog.push_back({s, v});
}
// A state kept in the map, unless the device only counts.
static void KeepState(u32 key, u32 v) {
  g_Fake->stateChanges++;
  if (!g_Fake->countOnly) g_Fake->states[key] = v;
}
static void SetSS(u32 sampler, u32 t, u32 v) { KeepState(0x10000 + sampler * 256 + t, v); }
static void SetTSS(u32 stage, u32 t, u32 v) { KeepState(0x20000 + stage * 256 + t, v); }
static void SetTex(u32 stage, void *t) {
  g_Fake->stateChanges++;
  if (stage == 0) g_Fake->boundTexture = t;
}
static void SetFVF(u32 fvf) { g_Fake->states[0x30000] = fvf; }
static void DrawUP(u32 type, u32 count, const void *v, u32 stride) {
  g_Fake->primitives += count;
  if (g_Fake->countOnly) {
    g_Fake->deviceDraws++;
    return;
  }
  FakeDraw d;
  d.fvf = g_Fake->states[0x30000];
  d.primType = type;
  d.primCount = count;
  d.stride = stride;
  u32 verts = type == DPT_POINTLIST ? count : type == DPT_LINELIST ? count * 2
            : type == DPT_TRIANGLELIST ? count * 3 : count + 2;
  d.bytes.assign((const u8 *)v, (const u8 *)v + (size_t)verts * stride);
  d.statesAtDraw = g_Fake->states;
  g_Fake->draws.push_back(d);
  g_Fake->deviceDraws++;
}
static void DrawIndexedUP(u32 type, u32, u32 count, const u16 *idx, const void *v, u32 stride) {
  g_Fake->primitives += count;
  if (g_Fake->countOnly) {
    g_Fake->deviceDraws++;
    return;
  }
  u32 per = type == DPT_POINTLIST ? 1 : type == DPT_TRIANGLELIST ? 3 : 2;
  for (u32 p = 0; p < count; p++) {
    FakeDraw d;
    d.fvf = g_Fake->states[0x30000];
    d.primType = type;
    d.primCount = 1;
    d.stride = stride;
    for (u32 k = 0; k < per; k++) {
      const u8 *src = (const u8 *)v + (size_t)idx[p * per + k] * stride;
      d.bytes.insert(d.bytes.end(), src, src + stride);
    }
    d.statesAtDraw = g_Fake->states;
    g_Fake->draws.push_back(d);
  }
  g_Fake->deviceDraws++;
}
static i32 SetTransform(u32 which, const f32 *m) {
  memcpy(g_Fake->transforms[Slot(which)], m, 64);
  return 0;
}
static void GetTransform(u32 which, f32 *m) { memcpy(m, g_Fake->transforms[Slot(which)], 64); }
static void GetViewport(DrawViewport *vp) { *vp = g_Fake->viewport; }
static void *CreateTexture(i32 w, i32 h, i32 *ow, i32 *oh) {
  FakeTexture *t = new FakeTexture{w, h, std::vector<u8>((size_t)w * h * 4, 0xCD), false, "", 0};
  g_Fake->textures.push_back(t);
  *ow = w;
  *oh = h;
  return t;
}
static bool TextureSize(void *t, i32 *w, i32 *h) {
  *w = ((FakeTexture *)t)->width;
  *h = ((FakeTexture *)t)->height;
  return true;
}
static u8 *Lock(void *t, i32 *pitch) {
  *pitch = ((FakeTexture *)t)->width * 4;
  return ((FakeTexture *)t)->texels.data();
}
static void Unlock(void *) {}
static void *LoadFile(const char *path, u32 key, i32 *w, i32 *h) {
  auto it = g_Fake->loaderFiles.find(path);
  if (it == g_Fake->loaderFiles.end()) return nullptr;
  FakeTexture *t = new FakeTexture{it->second.first, it->second.second, {}, false, path, key};
  g_Fake->textures.push_back(t);
  *w = t->width;
  *h = t->height;
  return t;
}
static void Release(void *h) {
  for (FakeTexture *t : g_Fake->textures)
    if (t == h) t->released = true;
  for (FakeFont *f : g_Fake->fonts)
    if (f == h) g_Fake->fontsReleased++;
}
static void *CreateTarget(u32 w, u32 h, void **surface) {
  FakeTexture *t = new FakeTexture{(i32)w, (i32)h, {}, false, "target", 0};
  g_Fake->textures.push_back(t);
  FakeTexture *s = new FakeTexture{(i32)w, (i32)h, {}, false, "surface", 0};
  g_Fake->textures.push_back(s);
  *surface = s;
  return t;
}

static void *CreateFont(i32 height) {
  FakeFont *f = new FakeFont{height};
  g_Fake->fonts.push_back(f);
  return f;
}
static void DrawText(void *font, const char *text, i32 left, i32 top, u32 color) {
  if (!g_Fake->countOnly) g_Fake->texts.push_back({text, left, top, ((FakeFont *)font)->height, color});
}

void FakeDev_Remove(void) {
  if (!g_Fake) return;
  for (FakeTexture *t : g_Fake->textures) delete t;
  for (FakeFont *f : g_Fake->fonts) delete f;
  delete g_Fake;
  g_Fake = nullptr;
  g_Dev.draw = DrawDev{};
}

void FakeDev_Install(void) {
  FakeDev_Remove();
  g_Fake = new FakeDevice();
  for (auto &m : g_Fake->transforms) {
    memset(m, 0, 64);
    m[0] = m[5] = m[10] = m[15] = 1.0f;
  }
  DrawDev d = {};
  d.ready = Ready;
  d.setRenderState = SetRS;
  d.setSamplerState = SetSS;
  d.setTextureStageState = SetTSS;
  d.setTexture = SetTex;
  d.setFVF = SetFVF;
  d.drawPrimitiveUP = DrawUP;
  d.drawIndexedPrimitiveUP = DrawIndexedUP;
  d.setTransform = SetTransform;
  d.getTransform = GetTransform;
  d.getViewport = GetViewport;
  d.createTexture = CreateTexture;
  d.textureSize = TextureSize;
  d.lockTexture = Lock;
  d.unlockTexture = Unlock;
  d.loadTextureFile = LoadFile;
  d.release = Release;
  d.createTargetTexture = CreateTarget;
  d.createFont = CreateFont;
  d.drawText = DrawText;
  g_Dev.draw = d;
}

void FakeDev_InstallCounter(void) {
  FakeDev_Install();
  g_Fake->countOnly = true;
}

void FakeDev_InstallFor3DFrame(void) {
  FakeDev_Install();
  g_Scale2D[0] = g_Scale2D[1] = 1.0f;
  ViewReset_3DModel(14);
}

std::vector<ScreenVertex> FakeDev_ScreenVerts(size_t i) {
  const FakeDraw &d = g_Fake->draws.at(i);
  std::vector<ScreenVertex> v(d.bytes.size() / sizeof(ScreenVertex));
  memcpy(v.data(), d.bytes.data(), v.size() * sizeof(ScreenVertex));
  return v;
}

std::vector<SceneVertex> FakeDev_SceneVerts(size_t i) {
  const FakeDraw &d = g_Fake->draws.at(i);
  std::vector<SceneVertex> v(d.bytes.size() / sizeof(SceneVertex));
  memcpy(v.data(), d.bytes.data(), v.size() * sizeof(SceneVertex));
  return v;
}
