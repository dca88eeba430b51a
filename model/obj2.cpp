// 2D object models: creation and release of the model record and its slots, key search and
// evaluation, the local and world matrices of the object hierarchy, the quad arithmetic of
// drawing, and the per-slot images (textures through the seam, pixel copies for picking).
//
// Owns g_Obj2Slots, g_Obj2SlotShown, g_Obj2Images, g_Obj2Textures, the matrix tables and
// the rest of the facility's state, g_Obj2 (matrices, pixel copy).
#include "model/obj2.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "model/bytes.h"
#include "model/docref.h"
#include "model/seam.h"

Obj2Model *g_Obj2Slots[OBJ2_SLOTS];
u32 g_Obj2SlotShown[OBJ2_SLOTS];
Obj2Image *g_Obj2Images[OBJ2_SLOTS * OBJ2_MAX_IMAGES];
void *g_Obj2Textures[OBJ2_SLOTS * OBJ2_MAX_IMAGES];
Obj2State g_Obj2 = {0, 2004050};

static bool SlotInRange(i32 s) { return s >= 0 && s < OBJ2_SLOTS; }
static bool ImageInRange(i32 s, i32 i) { return SlotInRange(s) && i >= 0 && i < OBJ2_MAX_IMAGES; }
static i32 ObjectLimit(const Obj2Model *m) {
  return m->objectCount < OBJ2_MAX_OBJECTS ? m->objectCount : OBJ2_MAX_OBJECTS;
}

// [SECTION] creation and release

void Obj2_SetNewKey(ObjKey2 *k) {
  memset(k, 0, sizeof *k);
  k->shown = 1;
  k->scaleX = k->scaleY = 1.0f;
  k->r = k->g = k->b = k->a = 255;
}

bool Obj2_FreshTracks(Obj2Model *m) {
  return m && Keys_FreshTables(m, m->parts, OBJ2_MAX_OBJECTS, OBJ2_TRACK_KEYS, Obj2Track_Reserve, Obj2_SetNewKey);
}

Obj2Track *Obj2_Track(Obj2Model *m, i32 o, i32 motion) {
  return m ? Keys_TableTrack(m->parts, OBJ2_MAX_OBJECTS, o, motion, m->keyTableLength) : nullptr;
}

// A new model without touching any slot: key tables for all 33 objects (the editor adds
// objects up to 33, and each needs its tracks); the tracks of the motion in use hold one key,
// the others get theirs when their motion comes into use (Obj2_FreshTracks).
static Obj2Model *NewModel(void) {
  Obj2Model *m = (Obj2Model *)calloc(1, sizeof(Obj2Model));
  if (!m) return nullptr;
  m->version = g_Obj2.kzaVersion;
  m->keyTableLength = OBJ2_MAX_MOTIONS;
  for (i32 o = 0; o < OBJ2_MAX_OBJECTS; o++) {
    m->parts[o].keys = (Obj2Track *)calloc(OBJ2_MAX_MOTIONS, sizeof(Obj2Track));
    if (!m->parts[o].keys) return Obj2_Free(m);
  }
  for (i32 i = 0; i < OBJ2_MAX_MOTIONS; i++) m->motions[i].length = 60;
  m->motionCount = 1;
  if (!Obj2_FreshTracks(m)) return Obj2_Free(m);
  m->motions[0].used = 1;
  Str_Copy(m->motions[0].name, sizeof m->motions[0].name, "モーション名");
  m->imageCount = 0;
  m->objectCount = 2;
  m->nameListCount = 1;
  Str_Copy(m->nameList[0], sizeof m->nameList[0], "なし");
  m->active = 1;
  return m;
}

Obj2Model *Obj2_New(void) {
  Obj2Model *m = NewModel();
  if (g_Obj2.creatingSlot < OBJ2_SLOTS) g_Obj2SlotShown[g_Obj2.creatingSlot] = 1;
  return m;
}

Obj2Model *Obj2_NewDetached(void) { return NewModel(); }

Obj2Model *Obj2_Free(Obj2Model *m) {
  if (!m) return nullptr;
  Keys_FreeTables(m->parts, OBJ2_MAX_OBJECTS, m->keyTableLength, Obj2Track_Free);
  free(m);
  return nullptr;
}

void Obj2_SetSlot(i32 s, Obj2Model *m) {
  if (!SlotInRange(s)) return;
  Obj2Model *old = g_Obj2Slots[s];
  g_Obj2Slots[s] = m;
  if (!old || old == m) return;
  for (i32 i = 0; i < OBJ2_SLOTS; i++)
    if (g_Obj2Slots[i] == old) return;   // still held by another slot
  Obj2_Free(old);
}

void Obj2_Release(i32 s) {
  if (SlotInRange(s) && g_Obj2Slots[s]) g_Obj2Slots[s]->active = 0;
}

void Obj2_FreeAll(void) {
  for (i32 s = 0; s < OBJ2_SLOTS; s++) Obj2_Release(s);
}

Obj2Model *Obj2_Init(i32 s) {
  if (!SlotInRange(s)) return nullptr;
  g_Obj2.creatingSlot = (u32)s;
  Obj2_Release(s);
  Obj2Model *m = Obj2_New();
  if (!m) return nullptr;
  Obj2_SetSlot(s, m);
  m->slot = s;
  return m;
}

bool Obj2_SetPosition(Obj2Model *m, f32 x, f32 y) {
  if (!m) return false;
  m->placeX = x;
  m->placeY = y;
  return true;
}

i32 *Obj2_PivotEntry(Obj2Model *m, i32 n) {
  if (n >= 0 && n < OBJ2_MAX_IMAGES) return &m->pivotX[n];
  if (n >= OBJ2_MAX_IMAGES && n < 2 * OBJ2_MAX_IMAGES) return &m->pivotY[n - OBJ2_MAX_IMAGES];
  return nullptr;
}

i32 Obj2_FindBadParent(const Obj2Model *m) {
  i32 n = ObjectLimit(m);
  for (i32 o = 1; o < n; o++)
    if (m->parents[o] < 0 || m->parents[o] >= n) return o;
  for (i32 o = 1; o < n; o++) {
    i32 p = m->parents[o];
    // A chain longer than the object count has met an object twice.
    for (i32 steps = 0; p != 0; steps++) {
      if (p == o || steps > n) return o;
      p = m->parents[p];
    }
  }
  return 0;
}

// [SECTION] evaluation

void Obj2_UpdateKeyIndices(i32 s) {
  if (!SlotInRange(s) || g_Obj2SlotShown[s] != 1 || !g_Obj2Slots[s]) return;
  Obj2Model *m = g_Obj2Slots[s];
  i32 cm = m->currentMotion;
  i32 length = cm >= 0 && cm < OBJ2_MAX_MOTIONS ? m->motions[cm].length : 0;
  for (i32 o = 0; o < ObjectLimit(m); o++) {
    Obj2Track *t = Obj2_Track(m, o, cm);
    Obj2Part *part = &m->parts[o];
    Key2_FindSegment(t ? t->keys : nullptr, sizeof(ObjKey2), t ? t->count : 0, m->currentFrame, length, &part->keyIndex,
                     &part->fraction);
  }
}

static i32 ClampChannel(f32 v) {
  if (!(v > 0.0f)) return 0;   // also NaN
  if (v > 255.0f) return 255;
  return (i32)v;
}

void Obj2_EvalKey(i32 s, i32 o, i32 k, f32 t) {
  if (!SlotInRange(s) || !g_Obj2Slots[s] || o < 0 || o >= OBJ2_MAX_OBJECTS) return;
  Obj2Model *m = g_Obj2Slots[s];
  Obj2Part *part = &m->parts[o];
  Obj2Track *track = Obj2_Track(m, o, m->currentMotion);
  const ObjKey2 *keys = track ? track->keys : nullptr;
  i32 count = keys ? track->count : 0;
  if (count <= 0) {
    part->shown = 0;
    part->x = part->y = part->angle = 0.0f;
    part->scaleX = part->scaleY = 1.0f;
    part->image = 0;
    part->r = part->g = part->b = part->a = 255;
    return;
  }
  if (k < 0) k = 0;
  if (k >= count) k = count - 1;
  if (count == 1) k = 0;
  const ObjKey2 *kk = &keys[k];
  part->shown = kk->shown;
  part->image = kk->image;
  if (count == 1) {
    part->x = kk->x;
    part->y = kk->y;
    part->angle = kk->angle;
    part->scaleX = kk->scaleX;
    part->scaleY = kk->scaleY;
    part->r = kk->r;
    part->g = kk->g;
    part->b = kk->b;
    part->a = kk->a;
    return;
  }
  i32 ia = k - 1 < 0 ? count - 1 : k - 1;
  i32 ib = k + 1 >= count ? 0 : k + 1;
  i32 ic = ib + 1 >= count ? 0 : ib + 1;
  const ObjKey2 *ka = &keys[ia], *kb = &keys[ib], *kc = &keys[ic];
  part->x = Motion_HermiteCatmullRom(ka->x, kk->x, kb->x, kc->x, t);
  part->y = Motion_HermiteCatmullRom(ka->y, kk->y, kb->y, kc->y, t);
  part->angle = Motion_HermiteCatmullRom(ka->angle, kk->angle, kb->angle, kc->angle, t);
  part->scaleX = Motion_HermiteCatmullRom(ka->scaleX, kk->scaleX, kb->scaleX, kc->scaleX, t);
  part->scaleY = Motion_HermiteCatmullRom(ka->scaleY, kk->scaleY, kb->scaleY, kc->scaleY, t);
  part->r = ClampChannel(Motion_HermiteCatmullRom((f32)ka->r, (f32)kk->r, (f32)kb->r, (f32)kc->r, t));
  part->g = ClampChannel(Motion_HermiteCatmullRom((f32)ka->g, (f32)kk->g, (f32)kb->g, (f32)kc->g, t));
  part->b = ClampChannel(Motion_HermiteCatmullRom((f32)ka->b, (f32)kk->b, (f32)kb->b, (f32)kc->b, t));
  part->a = ClampChannel(Motion_HermiteCatmullRom((f32)ka->a, (f32)kk->a, (f32)kb->a, (f32)kc->a, t));
}

void Obj2_UpdateAll(void) {
  for (i32 s = 0; s < OBJ2_SLOTS; s++) {
    Obj2Model *m = g_Obj2Slots[s];
    if (g_Obj2SlotShown[s] != 1 || !m) continue;
    Obj2_UpdateKeyIndices(s);
    for (i32 o = 0; o < ObjectLimit(m); o++) Obj2_EvalKey(s, o, m->parts[o].keyIndex, m->parts[o].fraction);
  }
}

void Obj2_ChainMatrix(i32 s, i32 o) {
  if (!SlotInRange(s) || !g_Obj2Slots[s] || o < 0 || o >= OBJ2_MAX_OBJECTS) return;
  const Obj2Model *m = g_Obj2Slots[s];
  const Mat4 *local = g_Obj2.localMatrices[s];
  // world(o) = local(o) . world(parent): the product of the locals up to the root. A parent
  // outside the table ends the chain, and the walk is bounded so a cycle cannot hang it.
  Mat4 world = local[o];
  i32 p = m->parents[o];
  for (i32 steps = 0; p > 0 && p < OBJ2_MAX_OBJECTS && steps < OBJ2_MAX_OBJECTS; steps++) {
    Mat_Multiply(&world, world, local[p]);
    p = m->parents[p];
  }
  g_Obj2.worldMatrices[s][o] = world;
}

void Obj2_BuildMatrices(void) {
  for (i32 s = 0; s < OBJ2_SLOTS; s++) {
    const Obj2Model *m = g_Obj2Slots[s];
    if (g_Obj2SlotShown[s] != 1 || !m) continue;   // a shown slot without a model is skipped
    bool haveImages = g_Obj2Images[s * OBJ2_MAX_IMAGES] != nullptr;
    Mat4 *local = g_Obj2.localMatrices[s];
    for (i32 o = 0; o < ObjectLimit(m); o++) {
      const Obj2Part *p = &m->parts[o];
      // Until the slot's first image was loaded nothing is placed.
      if (o == 0 || !haveImages) Mat_Identity(&local[o]);
      else Mat_ComposeSRTEuler(&local[o], p->x, p->y, 0.0f, 0.0f, 0.0f, -p->angle, p->scaleX, p->scaleY, 0.0f);
    }
    for (i32 o = 0; o < ObjectLimit(m); o++) Obj2_ChainMatrix(s, o);
  }
}

// [SECTION] drawing

static i32 ToPixel(f32 v) {
  if (!(v > -2147483520.0f)) return v != v ? 0 : INT32_MIN;
  if (v > 2147483520.0f) return INT32_MAX;
  return (i32)v;
}

bool Obj2_BuildQuad(i32 s, i32 o, Obj2Quad *q) {
  if (!SlotInRange(s) || !g_Obj2Slots[s] || o <= 0 || o >= OBJ2_MAX_OBJECTS) return false;
  const Obj2Model *m = g_Obj2Slots[s];
  if (o >= m->objectCount) return false;
  const Obj2Part *p = &m->parts[o];
  if (p->shown != 1 || p->image < 0 || p->image >= OBJ2_MAX_IMAGES) return false;
  i32 at = s * OBJ2_MAX_IMAGES + p->image;
  const Obj2Image *img = g_Obj2Images[at];
  if (!g_Obj2Textures[at] || !img) return false;
  f32 w = (f32)img->width, h = (f32)img->height;
  f32 dx = w / 2 - (f32)m->pivotX[p->image], dy = h / 2 - (f32)m->pivotY[p->image];
  const f32 cx[4] = {-w / 2, w / 2, w / 2, -w / 2};
  const f32 cy[4] = {-h / 2, -h / 2, h / 2, h / 2};
  for (i32 c = 0; c < 4; c++) {
    f32 out[3];
    Mat_TransformPoint(out, cx[c] + dx, cy[c] + dy, 0.0f, g_Obj2.worldMatrices[s][o]);
    q->x[c] = ToPixel(out[0] + m->placeX);
    q->y[c] = ToPixel(out[1] + m->placeY);
  }
  q->r = (u8)ClampChannel((f32)p->r);
  q->g = (u8)ClampChannel((f32)p->g);
  q->b = (u8)ClampChannel((f32)p->b);
  q->a = (u32)ClampChannel((f32)p->a);
  q->texture = g_Obj2Textures[at];
  return true;
}

// [SECTION] images

void Obj2_LoadImage(i32 s, i32 i, const char *path) {
  if (!ImageInRange(s, i) || !g_Seam.textureLoad) return;   // no device: nothing at all
  if (!path) path = "";
  i32 at = s * OBJ2_MAX_IMAGES + i;
  if (!g_Obj2Images[at]) {
    g_Obj2Images[at] = (Obj2Image *)calloc(1, sizeof(Obj2Image));
    if (!g_Obj2Images[at]) return;
  }
  Obj2Image *img = g_Obj2Images[at];
  if (g_Obj2Slots[s]) Str_Copy(g_Obj2Slots[s]->imageNames[i], 256, path);
  Str_Copy(img->name, sizeof img->name, path);
  if (g_Obj2Textures[at] && g_Seam.releaseHandle) g_Seam.releaseHandle(g_Obj2Textures[at]);
  g_Obj2Textures[at] = nullptr;
  // Opaque black is the transparent colour of these images. A name kept from the model's
  // folder is found from there first.
  char found[DocRef_Size(DOCREF_KZA_IMAGE) * 4];
  const Obj2Model *m = g_Obj2Slots[s];
  bool there = m && m->imageFolder[0] && path[0] && DocRef_Find(m->imageFolder, path, nullptr, 0, found, sizeof found);
  SeamTexture t = g_Seam.textureLoad(there ? found : path, 0xFF000000u);
  // An image not found where its name says is looked for beside the model's file (one found
  // but not decoded has been said, and is not looked for again).
  char beside[256];
  if (!t.handle && !t.told && g_Obj2Slots[s] && File_BesideDocument(beside, sizeof beside, g_Obj2Slots[s]->filePath, path))
    t = g_Seam.textureLoad(beside, 0xFF000000u);
  g_Obj2Textures[at] = t.handle;
  bool sized = t.handle && t.width > 0 && t.height > 0;
  img->width = sized ? (u32)t.width : 32;
  img->height = sized ? (u32)t.height : 32;
}

u32 Obj2_GetImageWidth(i32 s, i32 i) {
  return ImageInRange(s, i) && g_Obj2Images[s * OBJ2_MAX_IMAGES + i] ? g_Obj2Images[s * OBJ2_MAX_IMAGES + i]->width : 0;
}

u32 Obj2_GetImageHeight(i32 s, i32 i) {
  return ImageInRange(s, i) && g_Obj2Images[s * OBJ2_MAX_IMAGES + i] ? g_Obj2Images[s * OBJ2_MAX_IMAGES + i]->height : 0;
}

void Obj2_ResetImageSize(i32 s, i32 i) {
  if (!ImageInRange(s, i) || !g_Obj2Slots[s]) return;
  g_Obj2Slots[s]->pivotX[i] = (i32)((f32)Obj2_GetImageWidth(s, i) * 0.5f);
  g_Obj2Slots[s]->pivotY[i] = (i32)((f32)Obj2_GetImageHeight(s, i) * 0.5f);
}

u32 *Obj2_ResamplePixels(const u32 *tex, i32 texW, i32 texH, i32 w, i32 h) {
  if (w <= 0 || h <= 0 || texW <= 0 || texH <= 0) return nullptr;
  if ((u64)w * (u64)h > (1u << 28)) return nullptr;   // no image is that large
  u32 *out = (u32 *)calloc((size_t)w * (size_t)h, sizeof(u32));
  if (!out) return nullptr;
  f32 sx = (f32)w / (f32)texW, sy = (f32)h / (f32)texH;
  for (i32 y = 0; y < texH; y++) {
    i32 ty = (i32)(sy * (f32)y);
    if (ty >= h) continue;
    for (i32 x = 0; x < texW; x++) {
      i32 tx = (i32)(sx * (f32)x);
      if (tx >= w) continue;
      u32 c = tex[(size_t)y * (size_t)texW + (size_t)x];   // A8R8G8B8
      u32 a = c >> 24, r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
      out[(size_t)ty * (size_t)w + (size_t)tx] = r | g << 8 | b << 16 | a << 24;
    }
  }
  return out;
}

void Obj2_CopyImagePixels(i32 s, i32 i) {
  if (!ImageInRange(s, i)) return;
  free(g_Obj2.pixels);
  g_Obj2.pixels = nullptr;
  g_Obj2.pixelCount = 0;
  i32 at = s * OBJ2_MAX_IMAGES + i;
  if (!g_Obj2Textures[at] || !g_Obj2Images[at]) return;
  i32 texW = 0, texH = 0;
  if (!g_Seam.texturePixels) return;   // no device to read from
  u32 *tex = g_Seam.texturePixels(g_Obj2Textures[at], &texW, &texH);
  if (!tex) return;
  i32 w = (i32)g_Obj2Images[at]->width, h = (i32)g_Obj2Images[at]->height;
  g_Obj2.pixels = Obj2_ResamplePixels(tex, texW, texH, w, h);
  if (g_Obj2.pixels) g_Obj2.pixelCount = w * h;
  free(tex);
}

u32 Obj2_GetPixel(i32 n) {
  return g_Obj2.pixels && n >= 0 && n < g_Obj2.pixelCount ? g_Obj2.pixels[n] : 0;
}
