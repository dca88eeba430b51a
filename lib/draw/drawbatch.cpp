// Batched immediate lines and points (see drawbatch.h).
#include "lib/draw/drawbatch.h"

#include <string.h>

#include "lib/draw/drawdev.h"

DrawBatch g_DrawBatch;
u32 g_DrawBatchOff;

static bool Is2D(u32 kind) { return kind == DRAWBATCH_LINES2D || kind == DRAWBATCH_TRIS2D; }
static u32 Stride(u32 kind) { return Is2D(kind) ? (u32)sizeof(ScreenVertex) : (u32)sizeof(SceneVertex); }

void DrawBatch_Begin(void) {
  DrawBatch &b = g_DrawBatch;
  if (b.depth++ > 0) return;
  b.clipOn = 0;
  if (!g_Dev.draw.getViewport) return;
  DrawViewport vp = {0, 0, 0, 0, 0.0f, 1.0f};
  g_Dev.draw.getViewport(&vp);
  // A pixel is drawn only when its centre lies within half a pixel of the line; a line more
  // than a pixel beyond a side reaches no pixel of the viewport.
  b.clip[0] = (f32)vp.x - 1.0f;
  b.clip[1] = (f32)vp.y - 1.0f;
  b.clip[2] = (f32)vp.x + (f32)vp.width + 1.0f;
  b.clip[3] = (f32)vp.y + (f32)vp.height + 1.0f;
  b.clipOn = vp.width > 0 && vp.height > 0;
}

static bool Outside(const ScreenVertex &a, const ScreenVertex &c) {
  const f32 *k = g_DrawBatch.clip;
  return (a.x < k[0] && c.x < k[0]) || (a.y < k[1] && c.y < k[1]) || (a.x > k[2] && c.x > k[2]) || (a.y > k[3] && c.y > k[3]);
}

void DrawBatch_End(void) {
  if (g_DrawBatch.depth == 0) return;
  if (--g_DrawBatch.depth == 0) DrawBatch_FlushPending();
}

// A device without indexed draws gets the primitives one call each.
static void DrawEach(u32 fvf, u32 prim, u32 per, u32 count) {
  const DrawBatch &b = g_DrawBatch;
  u32 stride = Stride(b.kind);
  u8 one[3 * sizeof(SceneVertex)];
  for (u32 p = 0; p < count; p++) {
    for (u32 k = 0; k < per; k++) memcpy(one + k * stride, b.verts + (size_t)b.indices[p * per + k] * stride, stride);
    DrawDev_DrawUP(fvf, prim, 1, one, stride);
  }
}

void DrawBatch_Flush(void) {
  DrawBatch &b = g_DrawBatch;
  if (!b.indexCount || b.flushing) return;
  b.flushing = 1;
  bool unlit = b.kind == DRAWBATCH_LINES3D || b.kind == DRAWBATCH_POINTS3D;
  // Lines and points in 3D keep their own colour, as each one alone does.
  if (unlit) DrawDev_SetRenderState(DRS_LIGHTING, 0);
  bool tris = b.kind == DRAWBATCH_TRIS3D || b.kind == DRAWBATCH_TRIS2D;
  u32 fvf = Is2D(b.kind) ? FVF_SCREENVERTEX : FVF_SCENEVERTEX;
  u32 prim = b.kind == DRAWBATCH_POINTS3D ? DPT_POINTLIST : tris ? DPT_TRIANGLELIST : DPT_LINELIST;
  u32 per = b.kind == DRAWBATCH_POINTS3D ? 1 : tris ? 3 : 2;
  u32 count = b.indexCount / per;
  if (g_Dev.draw.drawIndexedPrimitiveUP) DrawDev_DrawIndexedUP(fvf, prim, b.vertCount, count, b.indices, b.verts, Stride(b.kind));
  else DrawEach(fvf, prim, per, count);
  if (unlit) DrawDev_SetRenderState(DRS_LIGHTING, 1);
  b.vertCount = 0;
  b.indexCount = 0;
  b.kind = DRAWBATCH_NONE;
  b.stamp++;
  b.lists++;
  b.flushing = 0;
}

// Room for `indices` more indices of kind `kind` (with up to as many new vertices).
static void MakeRoom(u32 kind, u32 indices) {
  DrawBatch &b = g_DrawBatch;
  if (b.kind != kind || b.indexCount + indices > DRAWBATCH_INDICES || b.vertCount + indices > DRAWBATCH_VERTS)
    DrawBatch_FlushPending();
  b.kind = kind;
  if (b.stamp == 0) b.stamp = 1;   // stamp 0 marks a share slot never used
}

// A hash of the words that tell vertices apart (position and colour of either layout): equal
// vertices share one index.
static u32 ShareSlot(const void *v) {
  u32 w[7];   // both layouts are at least 28 bytes long
  memcpy(w, v, sizeof w);
  u32 h = w[0] * 0x9E3779B1u ^ w[1] * 0x85EBCA77u ^ w[2] * 0xC2B2AE3Du ^ w[4] * 0x27D4EB2Fu ^ w[6] * 0x165667B1u;
  return (h ^ (h >> 15) ^ (h >> 23)) & (DRAWBATCH_SHARE - 1);
}

// The index of v in the list: the vertex in share slot `slot` when it is the same, else v added
// (and listed in that slot). The layout's size is fixed here, so the compare is inlined.
template <typename V> static u16 SharedVertex(const V &v, u32 slot) {
  DrawBatch &b = g_DrawBatch;
  if (b.shareStamp[slot] == b.stamp) {
    u16 i = b.shareIndex[slot];
    if (memcmp(b.verts + (size_t)i * sizeof(V), &v, sizeof(V)) == 0) return i;
  }
  u16 i = (u16)b.vertCount++;
  memcpy(b.verts + (size_t)i * sizeof(V), &v, sizeof(V));
  b.shareStamp[slot] = b.stamp;
  b.shareIndex[slot] = i;
  return i;
}

static u16 AddVertex(const void *v, u32 stride) {
  if (stride == sizeof(ScreenVertex)) return SharedVertex(*(const ScreenVertex *)v, ShareSlot(v));
  return SharedVertex(*(const SceneVertex *)v, ShareSlot(v));
}

static void AddLine(u32 kind, const void *a, const void *c) {
  MakeRoom(kind, 2);
  u32 stride = Stride(kind);
  DrawBatch &b = g_DrawBatch;
  b.indices[b.indexCount++] = AddVertex(a, stride);
  b.indices[b.indexCount++] = AddVertex(c, stride);
}

void DrawBatch_Line2D(const ScreenVertex v[2]) {
  if (g_DrawBatch.clipOn && Outside(v[0], v[1])) return;
  AddLine(DRAWBATCH_LINES2D, &v[0], &v[1]);
}

void DrawBatch_Line2DKeyed(const ScreenVertex v[2], const u32 keys[2]) {
  if (g_DrawBatch.clipOn && Outside(v[0], v[1])) return;
  MakeRoom(DRAWBATCH_LINES2D, 2);
  DrawBatch &b = g_DrawBatch;
  b.indices[b.indexCount++] = SharedVertex(v[0], keys[0] & (DRAWBATCH_SHARE - 1));
  b.indices[b.indexCount++] = SharedVertex(v[1], keys[1] & (DRAWBATCH_SHARE - 1));
}

void DrawBatch_Point2D(const ScreenVertex &v) {
  // A point on a pixel centre covers the pixel that the one-pixel line to its right covers;
  // a point placed between centres (a fractional frame offset) is drawn alone, in order.
  if (v.x != (f32)(i32)v.x || v.y != (f32)(i32)v.y) {
    DrawBatch_FlushPending();
    DrawDev_DrawUP(FVF_SCREENVERTEX, DPT_POINTLIST, 1, &v, sizeof(ScreenVertex));
    return;
  }
  ScreenVertex e = v;
  e.x += 1.0f;
  if (g_DrawBatch.clipOn && Outside(v, e)) return;
  AddLine(DRAWBATCH_LINES2D, &v, &e);
}

void DrawBatch_Line3D(const SceneVertex v[2]) { AddLine(DRAWBATCH_LINES3D, &v[0], &v[1]); }

void DrawBatch_Triangle3D(const SceneVertex v[3]) {
  MakeRoom(DRAWBATCH_TRIS3D, 3);
  DrawBatch &b = g_DrawBatch;
  for (int k = 0; k < 3; k++) b.indices[b.indexCount++] = AddVertex(&v[k], sizeof(SceneVertex));
}

void DrawBatch_Point3D(const SceneVertex &v) {
  MakeRoom(DRAWBATCH_POINTS3D, 1);
  DrawBatch &b = g_DrawBatch;
  b.indices[b.indexCount++] = AddVertex(&v, sizeof(SceneVertex));
}

void DrawBatch_Polygon2D(const ScreenVertex *v, u32 n) {
  if (n < 3 || n > 4) return;
  MakeRoom(DRAWBATCH_TRIS2D, 3 * (n - 2));
  DrawBatch &b = g_DrawBatch;
  u16 first = (u16)b.vertCount;
  memcpy(b.verts + (size_t)first * sizeof(ScreenVertex), v, n * sizeof(ScreenVertex));
  b.vertCount += n;
  for (u32 k = 1; k + 1 < n; k++) {
    b.indices[b.indexCount++] = first;
    b.indices[b.indexCount++] = (u16)(first + k);
    b.indices[b.indexCount++] = (u16)(first + k + 1);
  }
}

void DrawBatch_Ring3D(const SceneVertex *v, u32 n) {
  if (n < 2 || n > 4) return;
  MakeRoom(DRAWBATCH_LINES3D, 2 * n);
  DrawBatch &b = g_DrawBatch;
  u16 first = (u16)b.vertCount;
  memcpy(b.verts + (size_t)first * sizeof(SceneVertex), v, n * sizeof(SceneVertex));
  b.vertCount += n;
  for (u32 j = 0; j < n; j++) {
    b.indices[b.indexCount++] = (u16)(first + j);
    b.indices[b.indexCount++] = (u16)(first + (j + 1) % n);
  }
}

// The index of v in the list: the vertex listed under `key` when it is the same, else v added.
static u16 KeyedVertex(const SceneVertex &v, u32 key) { return SharedVertex(v, key & (DRAWBATCH_SHARE - 1)); }

void DrawBatch_Ring3DKeyed(const SceneVertex *v, const u32 *keys, u32 n) {
  if (n < 2 || n > 4) return;
  MakeRoom(DRAWBATCH_LINES3D, 2 * n);
  DrawBatch &b = g_DrawBatch;
  u16 at[4];
  for (u32 j = 0; j < n; j++) at[j] = KeyedVertex(v[j], keys[j]);
  for (u32 j = 0; j < n; j++) {
    b.indices[b.indexCount++] = at[j];
    b.indices[b.indexCount++] = at[(j + 1) % n];
  }
}
