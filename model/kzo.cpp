// 3D object sets: the 16 set slots, object creation, the KZO reader and writer, moving and
// removing objects, key segments and the per-frame pose evaluation.
//
// KZO 2005000: "KZO", i32 version, i32 motion count M, per motion {i32 used; when 1: name,
// i32 length, i32 key count K, K x i32 key frames}, i32 object count N, per object 1..N-1
// {i32 loaded; when 1: f32 offset[3], path, i32 parent, i32 extra, per motion K keys of
// f32 pos[3], quat[4], scale[3]}. An unused motion stores no key count; its objects store the
// one key of a fresh motion, so the writer stores exactly one key for it.
#include "model/kzo.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "model/bytes.h"
#include "model/docref.h"
#include "model/keytrack.h"
#include "model/kzp.h"
#include "model/mesh.h"
#include "model/seam.h"
#include "model/seam_timer.h"
#include "model/str.h"

Obj3Set *g_Obj3Sets[OBJ3_SETS];
u32 g_Obj3PartLoaded[OBJ3_SETS][OBJ3_PARTS];
Model3 *g_Obj3PartModels[OBJ3_SETS][OBJ3_PARTS];
Obj3Pose *g_Obj3Poses[OBJ3_SETS];
i32 g_KzoVersion = 2005000;

static const char kMsgNotKzo[] = "%s は、ＫＺＯ形式ではありません。";
static const char kMsgTooOld[] = "ＫＺＯ形式のバージョンが古いので\n読み込むことができません。\n\n%s";
static const char kMsgTooNew[] =
    "ＫＺＯ形式のバージョンが新しいので\n読み込むことができません。\n最新版へバージョンアップして下さい。\n\n%s";

static bool SetInRange(i32 n) { return n >= 0 && n < OBJ3_SETS; }
static bool PartInRange(i32 p) { return p >= 0 && p < OBJ3_PARTS; }

// [SECTION] Records

static void IdentityKey(ObjKey3 *k) {
  memset(k, 0, sizeof *k);
  k->quat[3] = 1.0f;
  k->scale[0] = k->scale[1] = k->scale[2] = 1.0f;
}

static void FreeKeyLists(Obj3Part *part) {
  if (!part->keyLists) return;
  for (int m = 0; m < OBJ3_MOTIONS; m++) free(part->keyLists[m].keys);
  free(part->keyLists);
  part->keyLists = nullptr;
}

// A fresh key-list table: 16 identity keys per motion. False when out of memory.
static bool NewKeyLists(Obj3Part *part) {
  FreeKeyLists(part);
  part->keyLists = (Obj3KeyList *)calloc(OBJ3_MOTIONS, sizeof(Obj3KeyList));
  if (!part->keyLists) return false;
  for (int m = 0; m < OBJ3_MOTIONS; m++) {
    Obj3KeyList *l = &part->keyLists[m];
    l->keys = (ObjKey3 *)malloc(OBJ3_KEYS * sizeof(ObjKey3));
    if (!l->keys) return false;
    l->capacity = OBJ3_KEYS;
    for (int k = 0; k < OBJ3_KEYS; k++) IdentityKey(&l->keys[k]);
  }
  return true;
}

static void ReleasePose(Obj3Pose *pose) {
  if (!pose) return;
  for (int p = 0; p < OBJ3_PARTS; p++)
    for (int t = 0; t < MODEL3_TEXTURES; t++)
      if (pose->textures[p][t] && g_Seam.releaseHandle) g_Seam.releaseHandle(pose->textures[p][t]);
  free(pose);
}

void Obj3Pose_Init(Obj3Pose *pose) {
  if (pose) memset(pose->textures, 0, sizeof pose->textures);
}

static Obj3Pose *NewPose(void) {
  Obj3Pose *pose = (Obj3Pose *)calloc(1, sizeof(Obj3Pose));
  if (!pose) return nullptr;
  for (int p = 0; p < OBJ3_PARTS; p++) {
    Mat_Identity(&pose->drawn[p]);
    Mat_Identity(&pose->offsets[p]);
  }
  Obj3Pose_Init(pose);
  return pose;
}

void Kzo_FreeSetRecord(Obj3Set *set) {
  if (!set) return;
  for (int p = 0; p < OBJ3_PARTS; p++) FreeKeyLists(&set->parts[p]);
  free(set);
}

// Set-wide defaults of object 0's initialisation.
static void ResetSetDefaults(Obj3Set *set) {
  set->version = g_KzoVersion;
  Str_Copy(set->parts[0].path, MODEL3_NAME, "新規.KZO");
  set->folder[0] = 0;
  for (int i = 0; i < 3; i++) {
    set->placePos[i] = 0.0f;
    set->placeAngles[i] = 0.0f;
    set->placeScale[i] = 1.0f;
  }
  for (int m = 0; m < OBJ3_MOTIONS; m++) {
    set->motions[m].used = 0;
    set->motions[m].name[0] = 0;
    set->motions[m].length = 60;
  }
  set->motionCount = 1;
  set->motions[0].used = 1;
  Str_Copy(set->motions[0].name, MODEL3_NAME, "モーション名");
  set->soundCount = 1;
  Str_Copy(set->sounds[0], OBJ3_SOUND_NAME, "なし");
}

// Object p of a set record (no model): fresh keys, offset 0, the motions' key count 1.
static bool InitPartRecord(Obj3Set *set, i32 p) {
  if (!NewKeyLists(&set->parts[p])) return false;
  set->keyTableLength = OBJ3_MOTIONS;
  set->offsets[p][0] = set->offsets[p][1] = set->offsets[p][2] = 0.0f;
  for (int m = 0; m < OBJ3_MOTIONS; m++) set->motions[m].keyCount = 1;
  if (p == 0)
    ResetSetDefaults(set);
  else
    Str_Copy(set->parts[p].path, MODEL3_NAME, "新規.KZP");
  return true;
}

// A fresh set record as Kzo_NewPart for p = 0..31 leaves it (object count 0).
Obj3Set *Kzo_NewSetRecord(void) {
  Obj3Set *set = (Obj3Set *)calloc(1, sizeof(Obj3Set));
  if (!set) return nullptr;
  for (i32 p = 0; p < OBJ3_PARTS; p++)
    if (!InitPartRecord(set, p)) {
      Kzo_FreeSetRecord(set);
      return nullptr;
    }
  return set;
}

void Kzo_NewPart(i32 n, i32 p) {
  if (!SetInRange(n) || !PartInRange(p)) return;
  if (!g_Obj3Sets[n]) {
    g_Obj3Sets[n] = (Obj3Set *)calloc(1, sizeof(Obj3Set));
    if (!g_Obj3Sets[n]) return;
  }
  Model3_Free(g_Obj3PartModels[n][p]);
  g_Obj3PartModels[n][p] = Model3_New();
  InitPartRecord(g_Obj3Sets[n], p);
  ReleasePose(g_Obj3Poses[n]);
  g_Obj3Poses[n] = NewPose();
}

void Kzo_NewSet(i32 n) {
  if (!SetInRange(n)) return;
  for (i32 p = 0; p < OBJ3_PARTS; p++) Kzo_NewPart(n, p);
  if (!g_Obj3Sets[n]) return;
  g_Obj3Sets[n]->objectCount = 1;
  g_Obj3PartLoaded[n][0] = 1;
  g_Obj3Sets[n]->frame = 0;
  g_Obj3Sets[n]->motion = 0;
}

void Kzo_FreeSet(i32 n) {
  if (!SetInRange(n)) return;
  for (i32 p = 0; p < OBJ3_PARTS; p++) {
    Model3_Free(g_Obj3PartModels[n][p]);
    g_Obj3PartModels[n][p] = nullptr;
    g_Obj3PartLoaded[n][p] = 0;
  }
  Kzo_FreeSetRecord(g_Obj3Sets[n]);
  g_Obj3Sets[n] = nullptr;
  ReleasePose(g_Obj3Poses[n]);
  g_Obj3Poses[n] = nullptr;
}

void Kzo_FreeAll(void) {
  for (i32 n = 0; n < OBJ3_SETS; n++) Kzo_FreeSet(n);
}

i32 Kzo_SetIndex(const Obj3Set *set) {
  if (!set) return -1;
  for (i32 n = 0; n < OBJ3_SETS; n++)
    if (g_Obj3Sets[n] == set) return n;
  return -1;
}

// Loads every used texture of object p's model into the set's pose block.
static void LoadPartTextures(i32 n, i32 p) {
  Model3 *m = g_Obj3PartModels[n][p];
  Obj3Pose *pose = g_Obj3Poses[n];
  if (!m || !pose) return;
  for (i32 i = 0; i < m->textureCount && i < MODEL3_TEXTURES; i++)
    if (m->textures[i].used == 1 && g_Seam.obj3PartTextureLoad) g_Seam.obj3PartTextureLoad(n, p, i, m->textures[i].name);
}

bool Kzo_InstallPartModel(i32 n, i32 p, Model3 *m, const char *path) {
  if (!SetInRange(n) || !PartInRange(p) || !m) {
    Model3_Free(m);
    return false;
  }
  if (!g_Obj3Sets[n]) Kzo_NewSet(n);
  Obj3Set *set = g_Obj3Sets[n];
  if (!set || !g_Obj3Poses[n]) {
    Model3_Free(m);
    return false;
  }
  static_assert(sizeof set->parts[p].path == DocRef_Size(DOCREF_KZO_MODEL), "the object model field's row");
  char kept[DocRef_Size(DOCREF_KZO_MODEL)];
  if (!path || !DocRef_Choose(set->folder, sizeof set->folder, path, kept, sizeof kept))
    Str_Copy(kept, sizeof kept, path ? path : "");
  if (set->objectCount < p + 1) set->objectCount = p + 1;
  Model3_Free(g_Obj3PartModels[n][p]);
  g_Obj3PartModels[n][p] = m;
  Str_Copy(set->parts[p].path, MODEL3_NAME, kept);
  // An object is drawn from its rest positions, never posed: its face and vertex normals are
  // made once here (the reader leaves them zero), or the light would not reach it.
  Mesh_AverageNormals(m, m->positions, nullptr, 0, nullptr, 0);
  LoadPartTextures(n, p);
  m->changed = 1;
  g_Obj3PartLoaded[n][p] = 1;
  Timer_Reset();
  return true;
}

// [SECTION] Reader

// Keys each object stores for motion m: the key count of a used motion, one key otherwise.
static i32 StoredKeys(const Obj3Motion *mo) { return mo->used == 1 ? mo->keyCount : 1; }

bool Kzo_Parse(Obj3Set *set, u32 loaded[OBJ3_PARTS], const u8 *data, size_t size) {
  ByteReader r;
  Rd_Init(&r, data, size);
  u8 magic[3];
  Rd_Bytes(&r, magic, 3);
  set->version = Rd_I32(&r);
  if (r.err || memcmp(magic, "KZO", 3) != 0) return false;
  i32 M = Rd_Count(&r, OBJ3_MOTIONS);
  if (r.err) return false;
  set->motionCount = M;
  for (i32 m = 0; m < M; m++) {
    Obj3Motion *mo = &set->motions[m];
    mo->used = (u32)Rd_I32(&r);
    if (mo->used != 1) continue;
    if (!Rd_Name(&r, mo->name, sizeof mo->name)) return false;
    mo->length = Rd_I32(&r);
    mo->keyCount = Rd_Count(&r, OBJ3_KEYS);
    for (i32 k = 0; k < mo->keyCount; k++) mo->keyFrames[k] = Rd_I32(&r);
    if (r.err || Keys_FirstOutOfOrder(mo->keyFrames, mo->keyCount, sizeof(i32)) >= 0) return false;
  }
  i32 N = Rd_Count(&r, OBJ3_PARTS);
  if (r.err) return false;
  set->objectCount = N;
  for (i32 p = 1; p < N; p++) {
    Obj3Part *part = &set->parts[p];
    loaded[p] = (u32)Rd_I32(&r);
    if (loaded[p] != 1) continue;
    for (int i = 0; i < 3; i++) set->offsets[p][i] = Rd_F32Finite(&r);
    if (!Rd_Name(&r, part->path, sizeof part->path)) return false;
    part->parent = Rd_I32(&r);
    part->extra = Rd_I32(&r);
    if (r.err || part->parent < 0 || part->parent >= OBJ3_PARTS) return false;
    for (i32 m = 0; m < M; m++) {
      i32 K = StoredKeys(&set->motions[m]);
      for (i32 k = 0; k < K; k++) {
        ObjKey3 *key = &part->keyLists[m].keys[k];
        for (int i = 0; i < 3; i++) key->pos[i] = Rd_F32Finite(&r);
        for (int i = 0; i < 4; i++) key->quat[i] = Rd_F32Finite(&r);
        for (int i = 0; i < 3; i++) key->scale[i] = Rd_F32Finite(&r);
      }
    }
    if (r.err) return false;
  }
  return !r.err;
}

// Replaces set n by a parsed set, its loaded flags and part models (null = a new empty model).
static void CommitSet(i32 n, Obj3Set *set, const u32 loaded[OBJ3_PARTS], Model3 *models[OBJ3_PARTS]) {
  Kzo_FreeSetRecord(g_Obj3Sets[n]);
  g_Obj3Sets[n] = set;
  ReleasePose(g_Obj3Poses[n]);
  g_Obj3Poses[n] = NewPose();
  for (i32 p = 0; p < OBJ3_PARTS; p++) {
    Model3_Free(g_Obj3PartModels[n][p]);
    g_Obj3PartModels[n][p] = models[p] ? models[p] : Model3_New();
    g_Obj3PartLoaded[n][p] = loaded[p];
    if (models[p]) {
      models[p]->changed = 1;
      LoadPartTextures(n, p);
    }
  }
}

// The first used motion of a parsed (or partly parsed) set whose key frames do not ascend, or -1.
static i32 UnorderedMotion(const Obj3Set *set) {
  for (i32 m = 0; m < set->motionCount && m < OBJ3_MOTIONS; m++) {
    const Obj3Motion *mo = &set->motions[m];
    if (mo->used == 1 && mo->keyCount <= OBJ3_KEYS && Keys_FirstOutOfOrder(mo->keyFrames, mo->keyCount, sizeof(i32)) >= 0)
      return m;
  }
  return -1;
}

// Reads and checks the file; a parsed fresh set or null (with the refusal in *res).
static Obj3Set *ReadSetFile(const char *path, u32 loaded[OBJ3_PARTS], ModelResult *res) {
  FileData f;
  if (!path || !File_ReadAll(path, &f)) {
    ModelResult_Refusef(res, kKzMsgCannotOpen, path ? path : "");
    return nullptr;
  }
  bool reported = false;   // one message a refusal: the key order's names the motion
  static const KzHeaderTexts texts = {kMsgNotKzo, kMsgTooOld, kMsgTooNew};
  const char *refusal = Kz_HeaderRefusal(f.data, f.size, "KZO", g_KzoVersion, &texts);
  Obj3Set *set = nullptr;
  if (!refusal) {
    set = Kzo_NewSetRecord();
    memset(loaded, 0, OBJ3_PARTS * sizeof(u32));
    if (!set || !Kzo_Parse(set, loaded, f.data, f.size)) {
      i32 m = set ? UnorderedMotion(set) : -1;
      if (m >= 0) {
        char text[512];
        Keys_FormatOrderRefusal(text, sizeof text, path, m, set->motions[m].name, "オブジェクト共通");
        ModelResult_Refuse(res, text);
        reported = true;
      }
      Kzo_FreeSetRecord(set);
      set = nullptr;
      refusal = kKzMsgBroken;
    }
  }
  File_Free(&f);
  if (refusal && !reported) ModelResult_Refusef(res, refusal, path);
  return set;
}

bool Kzo_Read(i32 n, const char *path, ModelAnswerFn partAnswer, ModelResult *res) {
  if (!SetInRange(n)) return ModelResult_Refusef(res, "Kzo_Read(%d) 最大数を超えました。", n);
  if (!path || !path[0]) return ModelResult_Refuse(res, "ファイル名が指定されていません。");
  u32 loaded[OBJ3_PARTS] = {};
  Obj3Set *set = ReadSetFile(path, loaded, res);
  if (!set) return false;
  // Part models: a model that cannot be read is answered for at once and leaves that object
  // empty; the set is still read.
  Model3 *models[OBJ3_PARTS] = {};
  if (!DocRef_Folder(path, set->folder, sizeof set->folder)) set->folder[0] = 0;
  // Models found nowhere are named together in one answer; their objects stay empty and
  // keep their paths.
  char missing[400] = "";
  size_t used = 0;
  for (i32 p = 1; p < set->objectCount; p++) {
    if (loaded[p] != 1) continue;
    ModelResult part;
    char found[MODEL3_NAME];
    if (!DocRef_Find(set->folder, set->parts[p].path, nullptr, 0, found, sizeof found)) {
      if (used < sizeof missing) used += (size_t)Str_Format(missing + used, sizeof missing - used, "\n%s", set->parts[p].path);
      continue;
    }
    models[p] = Kzp_ReadPartModel(found, &part);
    if (!models[p] && partAnswer) partAnswer(&part);
  }
  if (used && partAnswer) {
    ModelResult gone;
    ModelResult_Refusef(&gone, "次のファイルが見つかりませんでした。%s", missing);
    partAnswer(&gone);
  }
  CommitSet(n, set, loaded, models);
  Str_Format(set->parts[0].path, MODEL3_NAME, "%s", path);
  g_Obj3PartLoaded[n][0] = 1;
  Timer_Reset();
  ModelResult_Accept(res);
  return true;
}

// [SECTION] Writer

bool Kzo_Encode(Obj3Set *set, const u32 loaded[OBJ3_PARTS], ByteWriter *w) {
  if (!set || set->motionCount < 0 || set->motionCount > OBJ3_MOTIONS || set->objectCount < 0 ||
      set->objectCount > OBJ3_PARTS)
    return false;
  for (i32 m = 0; m < set->motionCount; m++)
    if (set->motions[m].keyCount < 0 || set->motions[m].keyCount > OBJ3_KEYS) return false;
  set->version = g_KzoVersion;
  Wr_Bytes(w, "KZO", 3);
  Wr_I32(w, set->version);
  Wr_I32(w, set->motionCount);
  for (i32 m = 0; m < set->motionCount; m++) {
    const Obj3Motion *mo = &set->motions[m];
    Wr_I32(w, (i32)mo->used);
    if (mo->used != 1) continue;
    Wr_Name(w, mo->name);
    Wr_I32(w, mo->length);
    Wr_I32(w, mo->keyCount);
    for (i32 k = 0; k < mo->keyCount; k++) Wr_I32(w, mo->keyFrames[k]);
  }
  Wr_I32(w, set->objectCount);
  for (i32 p = 1; p < set->objectCount; p++) {
    const Obj3Part *part = &set->parts[p];
    Wr_I32(w, (i32)loaded[p]);
    if (loaded[p] != 1) continue;
    for (int i = 0; i < 3; i++) Wr_F32(w, set->offsets[p][i]);
    Wr_Name(w, part->path);
    Wr_I32(w, part->parent);
    Wr_I32(w, part->extra);
    for (i32 m = 0; m < set->motionCount; m++) {
      i32 K = StoredKeys(&set->motions[m]);
      for (i32 k = 0; k < K; k++) {
        ObjKey3 id;
        IdentityKey(&id);
        const ObjKey3 *key = &id;
        if (part->keyLists && part->keyLists[m].keys && k < part->keyLists[m].capacity) key = &part->keyLists[m].keys[k];
        for (int i = 0; i < 3; i++) Wr_F32(w, key->pos[i]);
        for (int i = 0; i < 4; i++) Wr_F32(w, key->quat[i]);
        for (int i = 0; i < 3; i++) Wr_F32(w, key->scale[i]);
      }
    }
  }
  return !w->err;
}

bool Kzo_Write(i32 n, const char *path, ModelResult *res) {
  if (!SetInRange(n) || !g_Obj3Sets[n]) return ModelResult_Refuse(res, "保存するオブジェクトがありません。");
  if (!path || !path[0]) return ModelResult_Refuse(res, "ファイル名が指定されていません。");
  Obj3Set *set = g_Obj3Sets[n];
  // The model paths re-kept from the new folder; put back when the save fails.
  static char s_Was[OBJ3_PARTS][MODEL3_NAME];
  char folder[MODEL3_NAME];
  bool toFolder = DocRef_Folder(path, folder, sizeof folder);
  i32 lost = 0;   // the first object whose model's name does not fit from the new folder
  for (i32 p = 1; p < Kzo_ObjectCount(set); p++) {
    Str_Copy(s_Was[p], MODEL3_NAME, set->parts[p].path);
    if (toFolder && g_Obj3PartLoaded[n][p] == 1 && !lost &&
        !DocRef_Rebase(set->folder, folder, set->parts[p].path, DocRef_Size(DOCREF_KZO_MODEL), nullptr, 0))
      lost = p;
  }
  ByteWriter w = {};
  bool ok = !lost && Kzo_Encode(set, g_Obj3PartLoaded[n], &w) && File_WriteAtomic(path, w.data, w.size);
  Wr_Free(&w);
  if (!ok) {
    for (i32 p = 1; p < Kzo_ObjectCount(set); p++) Str_Copy(set->parts[p].path, MODEL3_NAME, s_Was[p]);
    if (lost) return DocRef_RefuseSave(res, set->parts[lost].path);
    return ModelResult_RefuseSave(res, path);
  }
  if (toFolder) Str_Copy(set->folder, sizeof set->folder, folder);
  ModelResult_Accept(res);
  return true;
}

// [SECTION] Moving and removing objects

bool Kzo_MovePart(Obj3Set *set, i32 from, i32 to) {
  i32 n = Kzo_SetIndex(set);
  if (n < 0 || !PartInRange(from) || !PartInRange(to)) return false;
  if (from == to) return true;
  Model3 *copy = Model3_Clone(g_Obj3PartModels[n][from]);
  if (g_Obj3PartModels[n][from] && !copy) return false;
  Model3_Free(g_Obj3PartModels[n][to]);
  g_Obj3PartModels[n][to] = copy;
  g_Obj3PartLoaded[n][to] = g_Obj3PartLoaded[n][from];
  memcpy(set->parts[to].path, set->parts[from].path, MODEL3_NAME);
  if (g_Obj3Poses[n]) {
    for (int t = 0; t < MODEL3_TEXTURES; t++) {
      void **h = &g_Obj3Poses[n]->textures[to][t];
      if (*h && g_Seam.releaseHandle) g_Seam.releaseHandle(*h);
      *h = nullptr;
    }
    LoadPartTextures(n, to);
  }
  memcpy(set->offsets[to], set->offsets[from], sizeof set->offsets[to]);
  Obj3Part *src = &set->parts[from], *dst = &set->parts[to];
  if (src->keyLists && (dst->keyLists || NewKeyLists(dst)))
    for (int m = 0; m < OBJ3_MOTIONS; m++) {
      const Obj3KeyList *a = &src->keyLists[m];
      Obj3KeyList *b = &dst->keyLists[m];
      i32 k = a->capacity < b->capacity ? a->capacity : b->capacity;
      if (a->keys && b->keys && k > 0) memcpy(b->keys, a->keys, (size_t)k * sizeof(ObjKey3));
    }
  if (set->objectCount < from) set->objectCount = from;
  if (set->objectCount < to + 1) set->objectCount = to + 1;
  Timer_Reset();
  return true;
}

bool Kzo_RemovePart(Obj3Set *set, i32 p) {
  if (!set || Kzo_SetIndex(set) < 0 || !PartInRange(p)) return false;
  for (i32 i = p; i < set->objectCount - 1; i++) Kzo_MovePart(set, i + 1, i);
  if (set->objectCount >= 2) set->objectCount--;
  return true;
}

// [SECTION] Evaluation

void Kzo_FindKeySegment(i32 n) {
  if (!SetInRange(n) || !g_Obj3Sets[n] || g_Obj3PartLoaded[n][0] != 1) return;
  Obj3Set *set = g_Obj3Sets[n];
  if (set->objectCount < 1 || set->motion < 0 || set->motion >= OBJ3_MOTIONS) return;
  const Obj3Motion *mo = &set->motions[set->motion];
  i32 K = mo->keyCount > OBJ3_KEYS ? OBJ3_KEYS : mo->keyCount;
  i32 f = set->frame;
  if (K <= 1) {
    set->keyIndex = 0;
    set->fraction = 0.0f;
    return;
  }
  // 64-bit frame arithmetic: frames and lengths come from files. A wrap span of zero or less
  // (last key at or past the motion's end) gives fraction 0.
  const i32 *F = mo->keyFrames;
  for (i32 i = 0; i < K; i++)
    if (F[i] <= f) set->keyIndex = i;
  if (set->keyIndex < 0 || set->keyIndex >= K) set->keyIndex = 0;
  i32 k = set->keyIndex;
  i64 first = F[0], fk = F[k], last = F[K - 1], length = mo->length, frame = f;
  if (k != K - 1 && frame >= first) {
    i64 span = (i64)F[k + 1] - fk;
    set->fraction = span <= 0 ? 0.0f : (f32)(frame - fk) / (f32)span;
    return;
  }
  set->keyIndex = K - 1;
  i64 span = length - last + first;
  if (span <= 0) {   // e.g. last key on the motion's end and first on frame 0
    set->fraction = 0.0f;
    return;
  }
  set->fraction = (frame >= first) ? (f32)(frame - last) / (f32)span : (f32)(length - last + frame) / (f32)span;
}

static void MatrixOrigin(const Mat4 *m, f32 out[3]) { Mat_TransformPoint(out, 0, 0, 0, *m); }

void Kzo_EvalPartKey(i32 n, i32 p, i32 k, f32 t) {
  if (!SetInRange(n) || !PartInRange(p) || !g_Obj3Sets[n] || !g_Obj3Poses[n]) return;
  Obj3Set *set = g_Obj3Sets[n];
  if (set->motion < 0 || set->motion >= OBJ3_MOTIONS) return;
  Obj3Part *part = &set->parts[p];
  if (!part->keyLists || !part->keyLists[set->motion].keys) return;
  const Obj3KeyList *list = &part->keyLists[set->motion];
  i32 K = set->motions[set->motion].keyCount;
  if (K > list->capacity) K = list->capacity;
  if (K <= 0) {
    part->worldPos[0] = part->worldPos[1] = part->worldPos[2] = 0.0f;
    Quat_Identity(&part->rotation);
    part->scale[0] = part->scale[1] = part->scale[2] = 1.0f;
    return;
  }
  if (k < 0 || k >= K) k = 0;
  i32 a = k - 1 < 0 ? K - 1 : k - 1;
  i32 b = k + 1 >= K ? 0 : k + 1;
  i32 c = b + 1 >= K ? 0 : b + 1;
  const ObjKey3 *ka = &list->keys[a], *kk = &list->keys[k], *kb = &list->keys[b], *kc = &list->keys[c];
  for (int i = 0; i < 3; i++) part->keyPos[i] = Motion_HermiteCatmullRom(ka->pos[i], kk->pos[i], kb->pos[i], kc->pos[i], t);
  f32 q[4];
  for (int i = 0; i < 4; i++) q[i] = Motion_HermiteCatmullRom(ka->quat[i], kk->quat[i], kb->quat[i], kc->quat[i], t);
  part->rotation = {q[0], q[1], q[2], q[3]};
  Quat_Normalize(&part->rotation);

  i32 parentIndex = PartInRange(part->parent) ? part->parent : 0;
  const Obj3Part *parent = &set->parts[parentIndex];
  f32 own[3], theirs[3], d[3], turned[3];
  MatrixOrigin(&g_Obj3Poses[n]->offsets[p], own);
  MatrixOrigin(&g_Obj3Poses[n]->offsets[parentIndex], theirs);
  for (int i = 0; i < 3; i++) d[i] = own[i] - theirs[i];
  Mat4 R;
  Quat_ToMatrix(&R, parent->rotation.x, parent->rotation.y, parent->rotation.z, parent->rotation.w);
  Mat_TransformPoint(turned, d[0], d[1], d[2], R);
  f32 base[3] = {parent->worldPos[0], parent->worldPos[1], parent->worldPos[2]};
  if (p == 0) {
    // Object 0 is its own parent: adding to its own previous position would drift every frame.
    base[0] = base[1] = base[2] = 0.0f;
    turned[0] = turned[1] = turned[2] = 0.0f;
  }
  for (int i = 0; i < 3; i++) part->worldPos[i] = base[i] + turned[i] + part->keyPos[i];
  for (int i = 0; i < 3; i++) part->scale[i] = Motion_HermiteCatmullRom(ka->scale[i], kk->scale[i], kb->scale[i], kc->scale[i], t);
}

static bool SetInUse(i32 n) {
  return g_Obj3Sets[n] && g_Obj3Poses[n] && g_Obj3PartLoaded[n][0] == 1 && g_Obj3Sets[n]->objectCount >= 1;
}

static i32 PartCount(const Obj3Set *set) { return set->objectCount > OBJ3_PARTS ? OBJ3_PARTS : set->objectCount; }

void Kzo_UpdatePoses(void) {
  for (i32 n = 0; n < OBJ3_SETS; n++) {
    if (!SetInUse(n)) continue;
    Obj3Set *set = g_Obj3Sets[n];
    for (i32 p = 0; p < PartCount(set); p++) {
      Kzo_EvalPartKey(n, p, set->keyIndex, set->fraction);
      const f32 *o = p == 0 ? nullptr : set->offsets[p];
      Mat_ComposeSRTQuat(&g_Obj3Poses[n]->offsets[p], o ? o[0] : 0.0f, o ? o[1] : 0.0f, o ? o[2] : 0.0f, 0, 0, 0, 1,
                         1, 1, 1);
    }
  }
  for (i32 n = 0; n < OBJ3_SETS; n++) {
    if (!SetInUse(n)) continue;
    Obj3Set *set = g_Obj3Sets[n];
    Obj3Pose *pose = g_Obj3Poses[n];
    // A child inherits its parent's chain only when the parent's number is lower.
    for (i32 p = 0; p < OBJ3_PARTS - 1; p++) {
      if (g_Obj3PartLoaded[n][p] != 1) continue;
      for (i32 c = p + 1; c < OBJ3_PARTS; c++)
        if (g_Obj3PartLoaded[n][c] == 1 && set->parts[c].parent == p)
          Mat_Multiply(&pose->offsets[c], pose->offsets[c], pose->offsets[p]);
    }
  }
  for (i32 n = 0; n < OBJ3_SETS; n++) {
    if (!SetInUse(n)) continue;
    Obj3Set *set = g_Obj3Sets[n];
    Kzo_FindKeySegment(n);
    for (i32 p = 0; p < PartCount(set); p++) {
      Kzo_EvalPartKey(n, p, set->keyIndex, set->fraction);
      Obj3Part *part = &set->parts[p];
      Mat_ComposeSRTQuat(&g_Obj3Poses[n]->drawn[p], part->worldPos[0], part->worldPos[1], part->worldPos[2],
                         part->rotation.x, part->rotation.y, part->rotation.z, part->rotation.w, part->scale[0],
                         part->scale[1], part->scale[2]);
    }
    Mat_Identity(&g_Obj3Poses[n]->drawn[0]);
  }
}

void Kzo_GetPartWorldOrigin(i32 n, i32 p, f32 out[3]) {
  out[0] = out[1] = out[2] = 0.0f;
  if (SetInRange(n) && PartInRange(p) && g_Obj3Poses[n]) MatrixOrigin(&g_Obj3Poses[n]->drawn[p], out);
}

void Kzo_GetPartLocalOrigin(i32 n, i32 p, f32 out[3]) {
  out[0] = out[1] = out[2] = 0.0f;
  if (SetInRange(n) && PartInRange(p) && g_Obj3Poses[n]) MatrixOrigin(&g_Obj3Poses[n]->offsets[p], out);
}
