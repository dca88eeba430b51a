// The 3D polygon model: creation with its defaults, copy, release, the 256 model slots with
// their pose records, and the small per-model operations (motion, lighting, render mode,
// polygon and bone removal, bone copy).
//
// Owns g_Model3Slots, g_ModelPoses, g_ModelAllocArrays, g_MaxPolygons, g_MaxVertices,
// g_KzpVersion, g_Model3Edited, g_Model3ToonLoaded and g_Model3ModesOn.
#include "model/model3.h"

#include <stdlib.h>
#include <string.h>

#include "model/mesh.h"
#include "model/seam.h"
#include "model/seam_errorbox.h"
#include "model/str.h"
#include "model/workbuf.h"

Model3 *g_Model3Slots[MODEL3_SLOTS];
ModelPose *g_ModelPoses[MODEL3_SLOTS];
u32 g_ModelAllocArrays;
u32 g_MaxPolygons = 65000;
u32 g_MaxVertices = 4 * 65000;
u32 g_KzpVersion = 2006000;
u32 g_Model3Edited;
u32 g_Model3ToonLoaded;
u32 g_Model3ModesOn;

// Render mode 2 turns into 3 from this many polygons on.
static const i32 kVertexBlendPolygons = 3200;

// [SECTION] Small helpers

bool Model3_SetText(char **field, const char *s) {
  if (!s) s = "";
  size_t n = strlen(s);
  char *p = (char *)malloc(n + 1);
  if (!p) return false;
  memcpy(p, s, n + 1);
  free(*field);
  *field = p;
  return true;
}

// Grows *ptr to hold at least `need` elements (never shrinks); new room zeroed. A new array
// comes zeroed from calloc, which hands large blocks over as untouched zero pages: capacity
// nobody writes to costs no memory. With fill the first `need` elements are left unset (the
// caller writes every one of them); only room past them is zeroed.
static bool GrowArray(void **ptr, i32 *cap, i32 need, size_t elem, bool fill = false) {
  if (need < 0) return false;
  if (*ptr && need <= *cap) return true;
  i32 old = *ptr ? *cap : 0, filled = fill ? need : old;
  if (need < 1) need = 1;
  if (!*ptr) {
    void *fresh = fill ? malloc((size_t)need * elem) : calloc((size_t)need, elem);
    if (!fresh) return false;
    if (fill) memset((u8 *)fresh + (size_t)filled * elem, 0, (size_t)(need - filled) * elem);
    *ptr = fresh;
    *cap = need;
    return true;
  }
  void *p = realloc(*ptr, (size_t)need * elem);
  if (!p) return false;
  if (filled < old) filled = old;
  memset((u8 *)p + (size_t)filled * elem, 0, (size_t)(need - filled) * elem);
  *ptr = p;
  *cap = need;
  return true;
}

// Positions, bindings, posed positions and vertex normals share capPositions (the smallest
// room among them, so no caller writes past any of the four). With fill the positions and
// bindings are left unset up to `need`.
static bool GrowPositions(Model3 *m, i32 need, bool fill = false) {
  i32 cap = m->capPositions;
  i32 c1 = m->positions ? cap : 0, c2 = m->bindings ? cap : 0;
  i32 c3 = m->posed ? cap : 0, c4 = m->vertexNormals ? cap : 0;
  bool ok = GrowArray((void **)&m->positions, &c1, need, sizeof(Vec3), fill) &&
            GrowArray((void **)&m->bindings, &c2, need, sizeof(VertexBinding), fill) &&
            GrowArray((void **)&m->posed, &c3, need, sizeof(Vec3)) &&
            GrowArray((void **)&m->vertexNormals, &c4, need, sizeof(Vec3));
  if (!m->positions) c1 = 0;
  if (!m->bindings) c2 = 0;
  if (!m->posed) c3 = 0;
  if (!m->vertexNormals) c4 = 0;
  cap = c1;
  if (c2 < cap) cap = c2;
  if (c3 < cap) cap = c3;
  if (c4 < cap) cap = c4;
  m->capPositions = cap;
  return ok;
}

static bool ReserveArrays(Model3 *m, i32 positions, i32 normals, i32 colors, i32 uvs, i32 polygons, bool fill) {
  if (!m) return false;
  if (positions < 0 || normals < 0 || colors < 0 || uvs < 0 || polygons < 0) return false;
  if ((u32)positions > g_MaxVertices || (u32)normals > g_MaxVertices || (u32)colors > g_MaxVertices ||
      (u32)uvs > g_MaxVertices || (u32)polygons > g_MaxPolygons)
    return false;
  return GrowPositions(m, positions, fill) &&
         GrowArray((void **)&m->normals, &m->capNormals, normals, sizeof(Vec3), fill) &&
         GrowArray((void **)&m->colors, &m->capColors, colors, sizeof(Color4), fill) &&
         GrowArray((void **)&m->uvs, &m->capUVs, uvs, sizeof(Vec2), fill) &&
         GrowArray((void **)&m->polygons, &m->capPolygons, polygons, sizeof(Polygon3));
}

bool Model3_Reserve(Model3 *m, i32 positions, i32 normals, i32 colors, i32 uvs, i32 polygons) {
  return ReserveArrays(m, positions, normals, colors, uvs, polygons, false);
}

bool Model3_ReserveToFill(Model3 *m, i32 positions, i32 normals, i32 colors, i32 uvs) {
  return ReserveArrays(m, positions, normals, colors, uvs, 0, true);
}

bool Model3_ReservePolygonsToFill(Model3 *m, i32 polygons) {
  if (!m || polygons < 0 || (u32)polygons > g_MaxPolygons) return false;
  if (m->polygons && polygons <= m->capPolygons) return true;
  i32 old = m->polygons ? m->capPolygons : 0;
  if (polygons < 1) polygons = 1;
  Polygon3 *p = (Polygon3 *)malloc((size_t)polygons * sizeof(Polygon3));
  if (!p) return false;
  if (old > 0) memcpy(p, m->polygons, (size_t)old * sizeof(Polygon3));
  free(m->polygons);
  m->polygons = p;
  m->capPolygons = polygons;
  return true;
}

void GroupKeyList3_Reset(GroupKeyList3 *l) {
  memset(l, 0, sizeof *l);
  for (int k = 0; k < MODEL3_GROUP_KEYS; k++)
    for (int j = 0; j < 4; j++) l->keys[k].values[j] = 1.0f;
}

GroupKeyList3 *Model3_EnsureGroupKeys(Model3 *m, i32 motion, i32 group) {
  if (!m || motion < 0 || motion >= MODEL3_MOTIONS || group < 0 || group >= MODEL3_GROUPS) return nullptr;
  GroupKeyList3 **slot = &m->motions[motion].groupKeys[group];
  if (!*slot) {
    *slot = (GroupKeyList3 *)malloc(sizeof(GroupKeyList3));
    if (!*slot) return nullptr;
    GroupKeyList3_Reset(*slot);
  }
  return *slot;
}

bool Model3_EnsureKeyTable(Model3 *m, i32 bone) {
  if (!m || bone < 0 || bone >= MODEL3_BONES) return false;
  if (m->bones[bone].keys) return true;
  m->bones[bone].keys = (KeyTrack *)calloc(MODEL3_MOTIONS, sizeof(KeyTrack));
  return m->bones[bone].keys != nullptr;
}

static void SetDefaultBoneName(Model3 *m, int b) {
  if (b == 0)
    Str_Copy(m->bones[b].name, MODEL3_NAME, "親ボーン");
  else
    Str_Format(m->bones[b].name, MODEL3_NAME, "ボーン_%02d", b);
}

static void SetDefaultGroup(Group3 *g, int index) {
  memset(g, 0, sizeof *g);
  Str_Format(g->name, MODEL3_NAME, "グループ %d", index);
  g->texture = 0;
  g->r = g->g = g->b = 200.0f;
  g->a = 255.0f;
  g->shading = 4;
  g->mapping = 0;
  g->offsetU = g->offsetV = 0.0f;
  g->scaleU = g->scaleV = 1.0f;
  g->word0 = 0;
  g->word1 = 4;
  g->mirror = 0;
  g->specular = 0;
  g->specR = g->specG = g->specB = 64;
}

void Model3_AfterRead(Model3 *m) {
  if (m) Model3_CalcNormals(m);
}

// [SECTION] Creation and release

// Full arrays of an editable model; false when an allocation failed.
static bool AllocateFullArrays(Model3 *m) {
  if (!Model3_Reserve(m, (i32)g_MaxVertices, (i32)g_MaxVertices, (i32)g_MaxVertices, (i32)g_MaxVertices,
                      (i32)g_MaxPolygons))
    return false;
  // Key tables for every bone; the tracks of a motion get their keys when the motion comes
  // into use (Model3_FreshTracks), and group key lists when first written (a missing list
  // reads as an empty one everywhere). Bindings past the positions in use stay zero: code that
  // adds positions gives them Model3_FreshBindings.
  for (int b = 0; b < MODEL3_BONES; b++)
    if (!Model3_EnsureKeyTable(m, b)) return false;
  m->keyTableLength = MODEL3_MOTIONS;
  return true;
}

void Model3_FreshBindingRange(VertexBinding *bindings, i32 room, i32 from, i32 to) {
  if (!bindings) return;
  if (from < 0) from = 0;
  if (to > room) to = room;
  for (i32 v = from; v < to; v++) bindings[v] = VertexBinding{0, 0, 0.0f, 1};
}

void Model3_FreshBindings(Model3 *m, i32 from, i32 to) {
  if (m) Model3_FreshBindingRange(m->bindings, m->capPositions, from, to);
}

void Model3_FreshTracks(Model3 *m) {
  if (!m) return;
  i32 motions = m->motionCount < 0 ? 0 : (m->motionCount > MODEL3_MOTIONS ? MODEL3_MOTIONS : m->motionCount);
  for (int b = 0; b < MODEL3_BONES; b++) {
    if (!m->bones[b].keys) continue;
    for (i32 t = 0; t < motions; t++) {
      KeyTrack *tr = &m->bones[b].keys[t];
      if (tr->keys || !KeyTrack_Reserve(tr, MODEL3_TRACK_KEYS)) continue;
      tr->count = 1;
      for (i32 k = 0; k < tr->capacity; k++) BoneKey3_Identity(&tr->keys[k], 0);
    }
  }
}

static void SetDefaultBones(Model3 *m) {
  for (int b = 0; b < MODEL3_BONES; b++) {
    Bone3 *bone = &m->bones[b];
    SetDefaultBoneName(m, b);
    bone->parent = 0;
    BoneKey3_Identity(&m->boneRest[b], 0);
  }
}

// Every default of a new model (the record before its arrays and texts). With full arrays
// (g_ModelAllocArrays) the bones' tracks get their identity keys here too.
static void SetDefaults(Model3 *m) {
  m->shown = 1;
  if (g_ModelAllocArrays == 1) {
    g_ModelAllocArrays = 0;
    AllocateFullArrays(m);   // a failed allocation leaves smaller arrays; copies grow them
  }
  m->positionCount = m->normalCount = m->colorCount = m->uvCount = 0;
  m->polygonCount = 0;
  SetDefaultBones(m);

  m->textureCount = 1;
  m->dispTexture = 0;
  m->dispScale = 1.0f;
  m->groupCount = 1;
  for (int g = 0; g < MODEL3_GROUPS; g++) SetDefaultGroup(&m->groups[g], g);

  const f32 shadow[5] = {-0.01f, 1.0f, 0.0f, 1.0f, 0.0f};
  memcpy(m->shadow, shadow, sizeof shadow);
  m->refineLevel = 4;
  m->renderMode = 0;
  m->poseUpdate = 0;
  m->boneCount = 2;

  for (int mo = 0; mo < MODEL3_MOTIONS; mo++) {
    Motion3 *mot = &m->motions[mo];
    for (int g = 0; g < MODEL3_GROUPS; g++)
      if (mot->groupKeys[g]) GroupKeyList3_Reset(mot->groupKeys[g]);
    mot->used = 0;
    mot->name[0] = 0;
    mot->length = 60;
  }
  m->motionCount = 1;
  m->motions[0].used = 1;
  Str_Copy(m->motions[0].name, MODEL3_NAME, "モーション名");
  // One identity key at frame 0 in every track of the motion in use.
  if (m->keyTableLength >= 1) Model3_FreshTracks(m);
  for (int c = 0; c < 4; c++) m->color[c] = 255.0f;

  m->normalUpdate = 1;
  m->displayMode = 2;
  m->soundCount = 1;
  Str_Copy(m->sounds[0], MODEL3_NAME, "なし");
  m->lighting = 1;
  m->vertexColorMode = 0;
  m->immediate = 0;
  m->normalOffset = 1.0f;
  m->frame = 0;
  m->motion = 0;
  m->motionEnded = 0;
}

// The texts every new model owns a copy of, and the version it is written as.
static void SetDefaultTexts(Model3 *m) {
  for (int i = 0; i < MODEL3_TEXTURES; i++) Model3_SetText(&m->textures[i].name, "");
  m->version = g_KzpVersion;
  Model3_SetText(&m->fileName, "新規.KZP");
}

// The defaults of a model without arrays, made once: most of a new model's record is its
// defaults (256 formatted names, the motions' lists), so a new model starts as a copy of it.
// It owns no memory (no texts, no arrays, no key tables).
static const Model3 *DefaultRecord(void) {
  static Model3 *s_Default;
  if (!s_Default) {
    Model3 *d = (Model3 *)calloc(1, sizeof(Model3));
    if (!d) return nullptr;
    SetDefaults(d);
    s_Default = d;
  }
  return s_Default;
}

Model3 *Model3_New(void) {
  const Model3 *d = g_ModelAllocArrays == 1 ? nullptr : DefaultRecord();
  Model3 *m = (Model3 *)(d ? malloc(sizeof(Model3)) : calloc(1, sizeof(Model3)));
  if (!m) return nullptr;
  if (d) memcpy(m, d, sizeof(Model3));
  else SetDefaults(m);
  SetDefaultTexts(m);
  return m;
}

void Model3_Free(Model3 *m) {
  if (!m) return;
  WorkBuf_FreeAll({m->positions, m->normals, m->colors, m->uvs, m->bindings, m->polygons, m->posed,
                   m->vertexNormals, m->fileName});
  for (int i = 0; i < MODEL3_TEXTURES; i++) free(m->textures[i].name);
  for (int b = 0; b < MODEL3_BONES; b++) {
    KeyTrack *table = m->bones[b].keys;
    if (!table) continue;
    // The table goes with its tracks: only keys of their own are freed (borrowed ones live
    // in the table's block), nothing is cleared.
    for (int t = 0; t < MODEL3_MOTIONS; t++)
      if (!table[t].borrowed) free(table[t].keys);
    free(table);
  }
  for (int mo = 0; mo < MODEL3_MOTIONS; mo++)
    for (int g = 0; g < MODEL3_GROUPS; g++)
      if (m->motions[mo].groupKeys[g]) free(m->motions[mo].groupKeys[g]);
  free(m);
}

// [SECTION] Copy

static i32 Clamp(i32 v, i32 lo, i32 hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Sizes d's arrays for s's counts. With grow they get one spare element as the copy always
// had; without it they only grow where they are too small (a copy never writes past them).
void Model3_CornerExtents(const Model3 *m, i32 room[4]) {
  room[0] = m->positionCount;
  room[1] = m->normalCount;
  room[2] = m->colorCount;
  room[3] = m->uvCount;
  for (i32 i = 0; m->polygons && i < m->polygonCount; i++) {
    i32 corners = Clamp(m->polygons[i].cornerCount, 0, 4);
    for (i32 c = 0; c < corners; c++) {
      const PolyCorner *k = &m->polygons[i].corners[c];
      const u32 idx[4] = {k->vertex, k->normal, k->color, k->uv};
      for (int j = 0; j < 4; j++)
        if (idx[j] < g_MaxVertices && (i32)idx[j] >= room[j]) room[j] = (i32)idx[j] + 1;
    }
  }
}

static bool SizeArraysFor(const Model3 *s, Model3 *d, u8 grow) {
  i32 extra = grow ? 1 : 0;
  // Room for every index a corner names, not only for the counts (stale colour/UV indices).
  i32 room[4];
  Model3_CornerExtents(s, room);
  return GrowPositions(d, room[0] + extra) &&
         GrowArray((void **)&d->normals, &d->capNormals, room[1] + extra, sizeof(Vec3)) &&
         GrowArray((void **)&d->colors, &d->capColors, room[2] + extra, sizeof(Color4)) &&
         GrowArray((void **)&d->uvs, &d->capUVs, room[3] + extra, sizeof(Vec2)) &&
         GrowArray((void **)&d->polygons, &d->capPolygons, s->polygonCount + extra, sizeof(Polygon3));
}

static void CopyGeometry(const Model3 *s, Model3 *d) {
  d->positionCount = s->positionCount;
  d->normalCount = s->normalCount;
  d->colorCount = s->colorCount;
  d->uvCount = s->uvCount;
  if (s->positions && s->positionCount) memcpy(d->positions, s->positions, (size_t)s->positionCount * sizeof(Vec3));
  if (s->bindings && s->positionCount)
    memcpy(d->bindings, s->bindings, (size_t)s->positionCount * sizeof(VertexBinding));
  if (s->normals && s->normalCount) memcpy(d->normals, s->normals, (size_t)s->normalCount * sizeof(Vec3));
  if (s->colors && s->colorCount) memcpy(d->colors, s->colors, (size_t)s->colorCount * sizeof(Color4));
  if (s->uvs && s->uvCount) memcpy(d->uvs, s->uvs, (size_t)s->uvCount * sizeof(Vec2));
  d->polygonCount = s->polygonCount;
  for (i32 i = 0; s->polygons && i < s->polygonCount; i++) {
    const Polygon3 *sp = &s->polygons[i];
    Polygon3 *dp = &d->polygons[i];
    dp->group = sp->group;
    dp->faceNormal = sp->faceNormal;
    dp->cornerCount = sp->cornerCount;
    i32 corners = Clamp(sp->cornerCount, 0, 4);
    for (i32 c = 0; c < corners; c++) dp->corners[c] = sp->corners[c];
  }
}

static void CopyTextures(const Model3 *s, Model3 *d) {
  d->textureCount = s->textureCount;
  i32 n = Clamp(s->textureCount, 0, MODEL3_TEXTURES);
  for (i32 i = 0; i < n; i++) {
    d->textures[i].used = s->textures[i].used;
    Model3_SetText(&d->textures[i].name, s->textures[i].name);
    d->textures[i].width = s->textures[i].width;
    d->textures[i].height = s->textures[i].height;
  }
}

// Motions with their group key lists (undo and layer copies carry group-motion edits).
static void CopyMotions(const Model3 *s, Model3 *d) {
  i32 n = Clamp(s->motionCount, 0, MODEL3_MOTIONS);
  for (i32 mo = 0; mo < n; mo++) {
    const Motion3 *sm = &s->motions[mo];
    Motion3 *dm = &d->motions[mo];
    dm->used = sm->used;
    dm->word = sm->word;
    memcpy(dm->name, sm->name, MODEL3_NAME);
    dm->length = sm->length;
    for (int g = 0; g < MODEL3_GROUPS; g++) {
      if (sm->groupKeys[g]) {
        GroupKeyList3 *dl = Model3_EnsureGroupKeys(d, mo, g);
        if (dl) *dl = *sm->groupKeys[g];
      } else if (dm->groupKeys[g]) {
        GroupKeyList3_Reset(dm->groupKeys[g]);
      }
    }
  }
}

static void CopyBones(const Model3 *s, Model3 *d) {
  d->boneCount = s->boneCount;
  i32 n = Clamp(s->boneCount, 0, MODEL3_BONES);
  i32 motions = Clamp(s->motionCount, 0, MODEL3_MOTIONS);
  for (i32 b = 0; b < n; b++) {
    const Bone3 *sb = &s->bones[b];
    Bone3 *db = &d->bones[b];
    memcpy(db->name, sb->name, MODEL3_NAME);
    db->parent = sb->parent;
    d->boneRest[b] = s->boneRest[b];
    if (!Model3_EnsureKeyTable(d, b)) continue;
    for (i32 mo = 0; mo < motions; mo++) {
      if (sb->keys)
        KeyTrack_CopyFrom(&db->keys[mo], &sb->keys[mo]);
      else
        db->keys[mo].count = 0;
    }
  }
  d->keyTableLength = s->motionCount;
}

void Model3_Copy(const Model3 *s, Model3 *d, u8 grow) {
  if (!s || !d || s == d) return;
  d->version = s->version;
  Model3_SetText(&d->fileName, s->fileName);
  memcpy(d->textureFolder, s->textureFolder, sizeof d->textureFolder);
  memcpy(d->soundFolder, s->soundFolder, sizeof d->soundFolder);
  if (!SizeArraysFor(s, d, grow)) {
    // Out of memory: leave d with no geometry rather than a half copy past its arrays.
    d->positionCount = d->normalCount = d->colorCount = d->uvCount = d->polygonCount = 0;
  } else {
    CopyGeometry(s, d);
  }
  CopyTextures(s, d);
  d->dispTexture = s->dispTexture;
  d->dispScale = s->dispScale;
  d->groupCount = s->groupCount;
  memcpy(d->groups, s->groups, (size_t)Clamp(s->groupCount, 0, MODEL3_GROUPS) * sizeof(Group3));
  memcpy(d->color, s->color, sizeof d->color);
  d->renderMode = s->renderMode;
  CopyMotions(s, d);
  CopyBones(s, d);
  d->motionCount = s->motionCount;
}

Model3 *Model3_Clone(const Model3 *s) {
  if (!s) return nullptr;
  u32 flag = g_ModelAllocArrays;
  g_ModelAllocArrays = 0;
  Model3 *d = Model3_New();
  g_ModelAllocArrays = flag;
  if (!d) return nullptr;
  Model3_Copy(s, d, 1);
  // The words Model3_Copy leaves to the destination.
  d->refineLevel = s->refineLevel;
  d->keyTableLength = s->keyTableLength;
  d->soundCount = s->soundCount;
  memcpy(d->sounds, s->sounds, sizeof d->sounds);
  memcpy(d->keySounds, s->keySounds, sizeof d->keySounds);
  d->lighting = s->lighting;
  d->vertexColorMode = s->vertexColorMode;
  d->immediate = s->immediate;
  d->normalOffset = s->normalOffset;
  d->autoNormals = s->autoNormals;
  memcpy(d->kzmWords, s->kzmWords, sizeof d->kzmWords);
  d->shadowKind = s->shadowKind;
  memcpy(d->shadow, s->shadow, sizeof d->shadow);
  d->shadowMode = s->shadowMode;
  d->shown = s->shown;
  d->normalUpdate = s->normalUpdate;
  d->changed = 1;
  d->poseUpdate = s->poseUpdate;
  d->displayMode = s->displayMode;
  d->displayState = s->displayState;
  return d;
}

// [SECTION] Slots

ModelPose *ModelPose_New(void) { return (ModelPose *)calloc(1, sizeof(ModelPose)); }

static void ReleaseHandle(void **h) {
  if (*h && g_Seam.releaseHandle) g_Seam.releaseHandle(*h);
  *h = nullptr;
}

void ModelPose_Free(ModelPose *p) {
  if (!p) return;
  for (int i = 0; i < MODEL3_GROUPS; i++) {
    ReleaseHandle(&p->vertexBuffers[i]);
    ReleaseHandle(&p->indexBuffers[i]);
  }
  for (int i = 0; i < MODEL3_TEXTURES; i++) ReleaseHandle(&p->textures[i]);
  free(p);
}

static bool SlotInRange(i32 n) { return n >= 0 && n < MODEL3_SLOTS; }

Model3 *Model3_Get(i32 slot) { return SlotInRange(slot) ? g_Model3Slots[slot] : nullptr; }

Model3 *Model3_Init(i32 n) {
  if (!SlotInRange(n)) {
    Seam_ErrorBoxf("Model3_Init(%d) 最大数を超えました。", n);
    return nullptr;
  }
  Model3_FreeSlot(n);
  Model3 *m = Model3_New();
  g_Model3Slots[n] = m;
  if (m) m->slot = n;
  g_ModelPoses[n] = ModelPose_New();
  return m;
}

void Model3_FreeSlot(i32 n) {
  if (!SlotInRange(n)) return;
  Model3_Free(g_Model3Slots[n]);
  g_Model3Slots[n] = nullptr;
  ModelPose_Free(g_ModelPoses[n]);
  g_ModelPoses[n] = nullptr;
}

void Model3_FreeAllSlots(void) {
  for (i32 n = 0; n < MODEL3_SLOTS; n++) Model3_FreeSlot(n);
}

Model3 *Model3_ReplaceSlot(i32 n, Model3 *src) {
  if (!SlotInRange(n) || !src) return nullptr;
  Model3_FreeSlot(n);
  g_Model3Slots[n] = src;
  src->slot = n;
  g_ModelPoses[n] = ModelPose_New();
  return src;
}

bool Model3_CopyToSlot(i32 src, i32 dst) {
  if (!SlotInRange(src) || !SlotInRange(dst) || !g_Model3Slots[src]) return false;
  if (src == dst) return true;
  if (!g_Model3Slots[dst]) {
    if (g_Model3Edited == 1) g_ModelAllocArrays = 1;
    g_Model3Slots[dst] = Model3_New();
    if (!g_Model3Slots[dst]) return false;
    g_Model3Slots[dst]->slot = dst;
  }
  Model3_Copy(g_Model3Slots[src], g_Model3Slots[dst], 0);
  return true;
}

// [SECTION] Small operations

bool Model3_SetMotion(Model3 *m, i32 n) {
  if (!m || n < 0 || n >= m->motionCount) return false;
  m->poseUpdate = 1;
  if (n == m->motion) return false;
  m->motion = n;
  m->frame = 0;
  m->motionEnded = 0;
  return true;
}

bool Model3_SetLighting(Model3 *m, u8 on) {
  if (!m) return false;
  m->lighting = on;
  return true;
}

bool Model3_SetRenderMode(Model3 *m, u32 mode) {
  if (!m) return false;
  if (!g_Model3ModesOn)
    mode = 0;
  else if (mode == 2 && m->polygonCount >= kVertexBlendPolygons)
    mode = 3;
  if (g_Model3ToonLoaded && (mode == 2 || mode == 3)) mode = 1;
  m->renderMode = mode;
  m->changed = 1;
  return true;
}

bool Model3_DeletePolygon(Model3 *m, i32 n) {
  if (!m || !m->polygons || n < 0 || n >= m->polygonCount) return false;
  memmove(&m->polygons[n], &m->polygons[n + 1], (size_t)(m->polygonCount - n - 1) * sizeof(Polygon3));
  m->polygonCount--;
  return true;
}

bool Model3_CopyBone(Model3 *m, i32 from, i32 to) {
  if (!m || from < 0 || from >= MODEL3_BONES || to < 0 || to >= MODEL3_BONES) return false;
  if (from == to) return true;
  Bone3 *src = &m->bones[from];
  Bone3 *dst = &m->bones[to];
  m->boneRest[to] = m->boneRest[from];
  memcpy(dst->name, src->name, MODEL3_NAME);
  dst->parent = src->parent;
  i32 motions = Clamp(m->motionCount, 0, MODEL3_MOTIONS);
  if (src->keys || dst->keys) {
    if (!Model3_EnsureKeyTable(m, to)) return false;
    for (i32 mo = 0; mo < motions; mo++) {
      // The destination grows when the source holds more keys than it has room for.
      if (src->keys) {
        if (!KeyTrack_CopyFrom(&dst->keys[mo], &src->keys[mo])) return false;
      } else {
        dst->keys[mo].count = 0;
      }
    }
  }
  i32 count = m->boneCount;
  if (from > count) count = from;
  if (to > count) count = to;
  m->boneCount = count;
  return true;
}

bool Model3_DeleteBone(Model3 *m, i32 n) {
  if (!m || n < 0 || n >= m->boneCount || n >= MODEL3_BONES) return false;
  i32 last = m->boneCount - 1;   // the bones after n move down one, up to this one
  for (i32 b = n; b <= last - 1; b++) {
    Model3_CopyBone(m, b + 1, b);
    Bone3 *moved = &m->bones[b];
    if (moved->parent == n)
      moved->parent = 0;
    else if (moved->parent > n)
      moved->parent--;
  }
  // Bindings follow their bones in one pass: n + 1 .. last become one lower; a binding to n
  // itself stays n (the bone that moved into its place).
  for (i32 v = 0; m->bindings && v < m->positionCount; v++) {
    VertexBinding *bind = &m->bindings[v];
    if (bind->bone1 > n && bind->bone1 <= last) bind->bone1--;
    if (bind->bone2 > n && bind->bone2 <= last) bind->bone2--;
  }
  if (m->boneCount >= 2) m->boneCount--;
  return true;
}
