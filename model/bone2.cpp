// 2D one-skin bone models: creation and release of the model record and its slots,
// key search and evaluation, and the rest and pose matrices of the bone hierarchy (the
// per-frame skinning is bone2skin.cpp).
//
// Owns g_Bone2Slots, g_Bone2SlotShown and g_Bone2 (the rest and pose matrix tables).
#include "model/bone2.h"

#include <stdlib.h>
#include <string.h>

#include "model/str.h"
#include "model/workbuf.h"

Bone2Model *g_Bone2Slots[BONE2_SLOTS];
u32 g_Bone2SlotShown[BONE2_SLOTS];
u32 g_Bone2SkinPaused;
Bone2State g_Bone2 = {2004000};

static bool SlotInRange(i32 slot) { return slot >= 0 && slot < BONE2_SLOTS; }

// [SECTION] creation and release

static void SetNewKey(BoneKey2 *k) {
  k->frame = 0;
  k->x = k->y = 0.0f;
  k->angle = 0.0f;
  k->scaleX = k->scaleY = 1.0f;
}

static void SetNewGroup(Group2 *g, i32 n) {
  Str_Format(g->name, sizeof g->name, "グループ %d", n);
  g->texture = 0;
  g->r = g->g = g->b = 200.0f;
  g->a = 255.0f;
  g->shadeMode = 4;
  g->mappingKind = 0;
  g->p[0] = 0.0f;
  g->p[1] = 0.0f;
  g->p[2] = 1.0f;
  g->p[3] = 1.0f;
  g->p[4] = 0.0f;
}

// The full arrays of an editable model: every per-vertex array at g_MaxVertices, polygons at
// g_MaxPolygons, every bone with a table of 100 tracks. The arrays come zeroed from calloc,
// which hands large blocks over as untouched zero pages, so capacity nobody writes to costs
// no memory: bindings past the vertices in use stay zero (code that adds vertices gives them
// Bone2_FreshBindings), and a track gets its keys when its motion comes into use
// (Bone2_FreshTracks). False when memory ran out.
static bool AllocFullArrays(Bone2Model *m) {
  i32 nv = (i32)g_MaxVertices, np = (i32)g_MaxPolygons;
  if (nv < 1) nv = 1;
  if (np < 1) np = 1;
  m->positions = (Bone2Point *)calloc((size_t)nv, sizeof(Bone2Point));
  m->colours = (Bone2Colour *)calloc((size_t)nv, sizeof(Bone2Colour));
  m->uvs = (Bone2UV *)calloc((size_t)nv, sizeof(Bone2UV));
  m->bindings = (VertexBinding *)calloc((size_t)nv, sizeof(VertexBinding));
  m->skinned = (Bone2Point *)calloc((size_t)nv, sizeof(Bone2Point));
  m->polygons = (Polygon2 *)calloc((size_t)np, sizeof(Polygon2));
  if (!m->positions || !m->colours || !m->uvs || !m->bindings || !m->skinned || !m->polygons) return false;
  m->vertexCapacity = m->colourCapacity = m->uvCapacity = nv;
  m->polygonCapacity = np;
  m->keyTableLength = BONE2_MAX_MOTIONS;
  for (i32 b = 0; b < BONE2_MAX_BONES; b++) {
    Bone2 *bone = &m->bones[b];
    if (b == 0) Str_Copy(bone->name, sizeof bone->name, "親ボーン");
    else Str_Format(bone->name, sizeof bone->name, "ボーン_%02d", b);
    bone->parent = 0;
    bone->keys = (Bone2Track *)calloc(BONE2_MAX_MOTIONS, sizeof(Bone2Track));
    if (!bone->keys) return false;
    SetNewKey(&m->rest[b]);
  }
  m->textureCount = 1;
  m->groupCount = 1;
  for (i32 g = 0; g < BONE2_MAX_GROUPS; g++) SetNewGroup(&m->groups[g], g);
  return true;
}

void Bone2_FreshBindings(Bone2Model *m, i32 from, i32 to) {
  if (m) Model3_FreshBindingRange(m->bindings, m->vertexCapacity, from, to);
}

bool Bone2_FreshTracks(Bone2Model *m) {
  return m && Keys_FreshTables(m, m->bones, BONE2_MAX_BONES, BONE2_TRACK_KEYS, Bone2Track_Reserve, SetNewKey);
}

Bone2Track *Bone2_Track(Bone2Model *m, i32 bone, i32 motion) {
  return m ? Keys_TableTrack(m->bones, BONE2_MAX_BONES, bone, motion, m->keyTableLength) : nullptr;
}

Bone2Model *Bone2_New(void) {
  Bone2Model *m = (Bone2Model *)calloc(1, sizeof(Bone2Model));
  if (!m) return nullptr;
  Bone2_ModelChanged();   // a slot's skin may now be another model's
  if (g_ModelAllocArrays == 1) {
    g_ModelAllocArrays = 0;
    if (!AllocFullArrays(m)) return Bone2_Free(m);
  }
  m->boneCount = 2;
  Str_Copy(m->name, sizeof m->name, "新規.KZB");
  for (i32 i = 0; i < BONE2_MAX_MOTIONS; i++) {
    m->motions[i].used = 0;
    m->motions[i].name[0] = 0;
    m->motions[i].length = 60;
  }
  m->motions[0].used = 1;
  Str_Copy(m->motions[0].name, sizeof m->motions[0].name, "モーション名");
  m->motionCount = 1;
  if (!Bone2_FreshTracks(m)) return Bone2_Free(m);
  for (i32 c = 0; c < 4; c++) m->colour[c] = 255.0f;
  m->displayMode = 2;
  m->nameListCount = 1;
  Str_Copy(m->nameList[0], sizeof m->nameList[0], "なし");
  m->lightingFlag = 1;
  m->vertexColourFlag = 0;
  m->reservedWord = 0;
  m->reservedFloat = 1.0f;
  m->placeX = m->placeY = 0.0f;
  m->placeAngle = 0.0f;
  m->placeScaleX = m->placeScaleY = 1.0f;
  m->currentFrame = 0;
  m->currentMotion = 0;
  return m;
}

Bone2Model *Bone2_Free(Bone2Model *m) {
  if (!m) return nullptr;
  Bone2_ModelChanged();   // a new model may come at the same address
  WorkBuf_FreeAll({m->positions, m->colours, m->uvs, m->bindings, m->polygons, m->skinned});
  Keys_FreeTables(m->bones, BONE2_MAX_BONES, m->keyTableLength, Bone2Track_Free);
  free(m);
  return nullptr;
}

Bone2Model *Bone2_Init(i32 slot) {
  if (!SlotInRange(slot)) return nullptr;
  Bone2_FreeSlot(slot);
  Bone2Model *m = Bone2_New();
  g_Bone2Slots[slot] = m;
  if (m) m->slot = slot;
  return m;
}

void Bone2_FreeSlot(i32 slot) {
  if (!SlotInRange(slot)) return;
  g_Bone2Slots[slot] = Bone2_Free(g_Bone2Slots[slot]);
  g_Bone2SlotShown[slot] = 0;
}

void Bone2_FreeAll(void) {
  for (i32 s = 0; s < BONE2_SLOTS; s++) Bone2_FreeSlot(s);
}

bool Bone2_SetPosition(Bone2Model *m, f32 x, f32 y) {
  if (!m) return false;
  m->placeX = x;
  m->placeY = y;
  return true;
}

bool Bone2_SetAngle(Bone2Model *m, f32 angle) {
  if (!m) return false;
  m->placeAngle = angle;
  return true;
}

bool Bone2_SetScale(Bone2Model *m, f32 sx, f32 sy) {
  if (!m) return false;
  m->placeScaleX = sx;
  m->placeScaleY = sy;
  return true;
}

bool Bone2_ReserveKeys(Bone2Model *m, i32 bone, i32 motion, i32 count) {
  if (!m || bone < 0 || bone >= BONE2_MAX_BONES || motion < 0 || motion >= BONE2_MAX_MOTIONS) return false;
  Bone2 *b = &m->bones[bone];
  if (!b->keys || motion >= m->keyTableLength) {
    // Every bone's table has keyTableLength tracks: widen all of them together.
    i32 len = motion + 1 > m->keyTableLength ? motion + 1 : m->keyTableLength;
    for (i32 i = 0; i < BONE2_MAX_BONES; i++) {
      Bone2 *bi = &m->bones[i];
      if (!bi->keys && i != bone) continue;
      Bone2Track *t = (Bone2Track *)realloc(bi->keys, (size_t)len * sizeof(Bone2Track));
      if (!t) return false;
      i32 had = bi->keys ? m->keyTableLength : 0;
      memset(t + had, 0, (size_t)(len - had) * sizeof(Bone2Track));
      bi->keys = t;
    }
    m->keyTableLength = len;
  }
  return Bone2Track_Reserve(&b->keys[motion], count);
}

// [SECTION] evaluation

static i32 KeyFrame(const void *keys, size_t stride, i32 i) {
  i32 f;
  memcpy(&f, (const u8 *)keys + (size_t)i * stride, sizeof f);
  return f;
}

// Frame arithmetic is done in 64 bits: frames and lengths come from files and may lie far
// apart. A span of zero or less (two keys on a frame, or a last key at or past the motion's
// end) gives fraction 0.
void Key2_FindSegment(const void *keys, size_t stride, i32 count, i32 frame, i32 length, i32 *index, f32 *fraction) {
  if (count < 2 || !keys) {
    *index = 0;
    *fraction = 0.0f;
    return;
  }
  i32 idx = *index;
  for (i32 i = 0; i < count; i++)
    if (KeyFrame(keys, stride, i) <= frame) idx = i;
  if (idx < 0 || idx >= count) idx = count - 1;   // a stale index from another motion
  i64 first = KeyFrame(keys, stride, 0);
  if (idx != count - 1 && frame >= first) {
    i64 at = KeyFrame(keys, stride, idx);
    i64 span = KeyFrame(keys, stride, idx + 1) - at;
    *fraction = span > 0 ? (f32)(frame - at) / (f32)span : 0.0f;
    *index = idx;
    return;
  }
  // After the last key (or before the first): the segment wraps round the motion's end.
  i64 last = KeyFrame(keys, stride, count - 1);
  i64 span = first - last + length;
  i64 elapsed = frame >= first ? frame - last : length - last + frame;
  *fraction = span > 0 ? (f32)elapsed / (f32)span : 0.0f;
  *index = count - 1;
}

static i32 MotionLength(const Bone2Model *m) {
  i32 cm = m->currentMotion;
  return cm >= 0 && cm < BONE2_MAX_MOTIONS ? m->motions[cm].length : 0;
}

void Bone2_UpdateKeyIndices(i32 slot) {
  if (!SlotInRange(slot) || !g_Bone2Slots[slot]) return;
  Bone2Model *m = g_Bone2Slots[slot];
  i32 length = MotionLength(m);
  for (i32 b = 0; b < m->boneCount && b < BONE2_MAX_BONES; b++) {
    Bone2Track *t = Bone2_Track(m, b, m->currentMotion);
    Bone2 *bone = &m->bones[b];
    Key2_FindSegment(t ? t->keys : nullptr, sizeof(BoneKey2), t ? t->count : 0, m->currentFrame, length, &bone->keyIndex,
                     &bone->fraction);
  }
}

// Pose values of a track at key k and fraction t (wrapping neighbours, Catmull-Rom).
static void EvalTrack(Bone2Track *track, i32 k, f32 t, f32 out[5]) {
  i32 count = track ? track->count : 0;
  const BoneKey2 *keys = track ? track->keys : nullptr;
  if (count <= 0 || !keys) {
    out[0] = out[1] = out[2] = 0.0f;
    out[3] = out[4] = 1.0f;
    return;
  }
  if (k < 0) k = 0;
  if (k >= count) k = count - 1;
  if (count == 1) {
    out[0] = keys[0].x;
    out[1] = keys[0].y;
    out[2] = keys[0].angle;
    out[3] = keys[0].scaleX;
    out[4] = keys[0].scaleY;
    return;
  }
  i32 a = k - 1 < 0 ? count - 1 : k - 1;
  i32 b = k + 1 >= count ? 0 : k + 1;
  i32 c = b + 1 >= count ? 0 : b + 1;
  const BoneKey2 *ka = &keys[a], *kk = &keys[k], *kb = &keys[b], *kc = &keys[c];
  out[0] = Motion_HermiteCatmullRom(ka->x, kk->x, kb->x, kc->x, t);
  out[1] = Motion_HermiteCatmullRom(ka->y, kk->y, kb->y, kc->y, t);
  out[2] = Motion_HermiteCatmullRom(ka->angle, kk->angle, kb->angle, kc->angle, t);
  out[3] = Motion_HermiteCatmullRom(ka->scaleX, kk->scaleX, kb->scaleX, kc->scaleX, t);
  out[4] = Motion_HermiteCatmullRom(ka->scaleY, kk->scaleY, kb->scaleY, kc->scaleY, t);
}

void Bone2_EvalKey(i32 slot, i32 bone, i32 k, f32 t) {
  if (!SlotInRange(slot) || !g_Bone2Slots[slot] || bone < 0 || bone >= BONE2_MAX_BONES) return;
  Bone2Model *m = g_Bone2Slots[slot];
  EvalTrack(Bone2_Track(m, bone, m->currentMotion), k, t, m->bones[bone].pose);
}

// Composes every bone's matrix with its parent's, parents in ascending order.
// A parent not lower than its bone (or outside the model) is not composed with.
static void ChainParents(const Bone2Model *m, Mat4 *mats) {
  i32 n = m->boneCount < BONE2_MAX_BONES ? m->boneCount : BONE2_MAX_BONES;
  for (i32 p = 0; p < n; p++)
    for (i32 c = p + 1; c < n; c++)
      if (m->bones[c].parent == p) Mat_Multiply(&mats[c], mats[c], mats[p]);
}

static void BuildRestSlot(i32 s) {
  Bone2Model *m = g_Bone2Slots[s];
  Mat4 *rest = g_Bone2.restMatrices[s];
  i32 n = m->boneCount < BONE2_MAX_BONES ? m->boneCount : BONE2_MAX_BONES;
  Mat_Identity(&rest[0]);   // the root never moves
  for (i32 b = 1; b < n; b++) {
    const BoneKey2 *r = &m->rest[b]; Mat_ComposeSRTEuler(&rest[b], r->x, r->y, 0.0f, 0.0f, 0.0f, r->angle, r->scaleX, r->scaleY, 1.0f);
  }
  ChainParents(m, rest);
}

void Bone2_BuildRestMatrices(void) {
  for (i32 s = 0; s < BONE2_SLOTS; s++)
    if (g_Bone2SlotShown[s] == 1 && g_Bone2Slots[s]) BuildRestSlot(s);
}

static void BuildPoseSlot(i32 s) {
  Bone2Model *m = g_Bone2Slots[s];
  Mat4 *pose = g_Bone2.poseMatrices[s];
  Bone2_UpdateKeyIndices(s);
  i32 n = m->boneCount < BONE2_MAX_BONES ? m->boneCount : BONE2_MAX_BONES;
  Mat_Identity(&pose[0]);
  for (i32 b = 0; b < n; b++) {
    Bone2 *bone = &m->bones[b];
    Bone2_EvalKey(s, b, bone->keyIndex, bone->fraction);
    const f32 *p = bone->pose;
    const BoneKey2 *r = &m->rest[b];
    // Only the rest position enters the pose: rest angle and scale act on the rest matrix alone.
    if (b > 0) Mat_ComposeSRTEuler(&pose[b], r->x + p[0], r->y + p[1], 0.0f, 0.0f, 0.0f, -p[2], p[3], p[4], 1.0f);
  }
  ChainParents(m, pose);
}

void Bone2_BuildSlotMatrices(i32 s) {
  if (!SlotInRange(s) || !g_Bone2Slots[s]) return;
  BuildPoseSlot(s);
  BuildRestSlot(s);
}

void Bone2_UpdatePoseMatrices(void) {
  for (i32 s = 0; s < BONE2_SLOTS; s++)
    if (g_Bone2SlotShown[s] == 1 && g_Bone2Slots[s]) BuildPoseSlot(s);
}

static void TransformBy(const Mat4 (*table)[BONE2_MAX_BONES], f32 out[3], i32 slot, i32 bone, f32 x, f32 y, f32 z) {
  if (!SlotInRange(slot) || bone < 0 || bone >= BONE2_MAX_BONES) {
    out[0] = x;
    out[1] = y;
    out[2] = z;
    return;
  }
  Mat_TransformPoint(out, x, y, z, table[slot][bone]);
}

void Bone2_TransformByPose(f32 out[3], i32 slot, i32 bone, f32 x, f32 y, f32 z) {
  TransformBy(g_Bone2.poseMatrices, out, slot, bone, x, y, z);
}

void Bone2_TransformByRest(f32 out[3], i32 slot, i32 bone, f32 x, f32 y, f32 z) {
  TransformBy(g_Bone2.restMatrices, out, slot, bone, x, y, z);
}

void Polygon2_ToImage(const Polygon2 *p, u8 image[36]) {
  memset(image, 0, 36);
  image[0] = (u8)p->used;
  image[1] = (u8)(p->used >> 8);
  image[2] = (u8)(p->used >> 16);
  image[3] = (u8)(p->used >> 24);
  image[4] = p->cornerCount;
  image[5] = p->pad0;
  for (i32 c = 0; c < 4; c++) {
    const Corner2 *k = &p->corners[c];
    u16 v[3] = {k->vertex, k->colour, k->uv};
    for (i32 i = 0; i < 3; i++) {
      image[6 + 6 * c + 2 * i] = (u8)v[i];
      image[7 + 6 * c + 2 * i] = (u8)(v[i] >> 8);
    }
  }
  image[30] = (u8)p->pad1;
  image[31] = (u8)(p->pad1 >> 8);
  for (i32 i = 0; i < 4; i++) image[32 + i] = (u8)(p->group >> (8 * i));
}
