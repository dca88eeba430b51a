// KZC collision set files: one parser and one encoder for both versions, the read that loads
// the models a set names, and the atomic write. Owns g_KzcVersion.
#include "scene/kzc.h"

#include <string.h>

#include "lib/render/objects.h"
#include "model/docref.h"
#include "model/kzp.h"
#include "model/object.h"
#include "model/seam_errorbox.h"
#include "model/seam_timer.h"
#include "model/str.h"

const u32 g_KzcVersion = KZC_VERSION_2002010;

static const char kMsgNotKzc[] = "%s は、ＫＺＣ形式ではありません。";
static const char kMsgTooOld[] = "KZC形式のバージョンが古いので\n読み込むことができません。\n\n%s";
static const char kMsgTooNew[] =
    "KZC形式のバージョンが新しいので\n読み込むことができません。\n最新版へバージョンアップして下さい。\n\n%s";

// [SECTION] Parser

// The head that boxes and circles share: the in-use flag and the position.
static void ReadPlace(ByteReader *r, u32 *used, f32 *x, f32 *y, f32 *z) {
  *used = Rd_U32(r);
  *x = Rd_F32Finite(r);
  *y = Rd_F32Finite(r);
  *z = Rd_F32Finite(r);
}

static void ReadBox(ByteReader *r, ColiBox *b) {
  ReadPlace(r, &b->used, &b->x, &b->y, &b->z);
  b->angle = Rd_F32Finite(r);
  b->size = Rd_F32Finite(r);
}

static void ReadCircle(ByteReader *r, ColiCircle *c) {
  ReadPlace(r, &c->used, &c->x, &c->y, &c->z);
  c->size = Rd_F32Finite(r);
}

const char *Kzc_Parse(CollisionDoc *d, const u8 *data, size_t size) {
  // Versions 2002001..2002009 have no known layout: they are refused as too old.
  static const i32 kVersions[] = {KZC_VERSION_2002000, KZC_VERSION_2002010};
  static const KzHeaderTexts kTexts = {kMsgNotKzc, kMsgTooOld, kMsgTooNew, kKzMsgBroken};
  const char *refusal = Kz_HeaderRefusalOf(data, size, "KZC", kVersions, 2, &kTexts);
  if (refusal) return refusal;
  ByteReader r;
  Rd_Init(&r, data, size);
  Rd_Skip(&r, 3);
  d->version = (u32)Rd_I32(&r);
  bool current = d->version == KZC_VERSION_2002010;
  // Version 2002000 stores neither the range nor circles: they keep the new set's defaults.
  if (current)
    for (int k = 0; k < 6; k++) d->bounds[k] = Rd_F32Finite(&r);
  d->boxCount = Rd_Count(&r, COLI_BOXES);
  for (i32 i = 0; i < d->boxCount; i++) ReadBox(&r, &d->boxes[i]);
  if (current) {
    d->circleCount = Rd_Count(&r, COLI_CIRCLES);
    for (i32 i = 0; i < d->circleCount; i++) ReadCircle(&r, &d->circles[i]);
  }
  Rd_Name(&r, d->modelName, sizeof d->modelName);
  i32 slots = Rd_Count(&r, COLI_SLOTS);
  for (i32 i = 0; i < slots && !r.err; i++) {
    d->slotFlags[i] = Rd_U32(&r);
    if (d->slotFlags[i] == 1) Rd_Name(&r, d->slotNames[i], sizeof d->slotNames[i]);
  }
  return r.err ? kKzMsgBroken : nullptr;
}

// [SECTION] Encoder

static bool NameFits(const char *s) { return memchr(s, 0, COLI_NAME) != nullptr; }

static void WritePlace(ByteWriter *w, u32 used, f32 x, f32 y, f32 z) {
  Wr_U32(w, used);
  Wr_F32(w, x);
  Wr_F32(w, y);
  Wr_F32(w, z);
}

bool Kzc_Encode(CollisionDoc *d, ByteWriter *w) {
  if (!d || d->boxCount < 0 || d->boxCount > COLI_BOXES || d->circleCount < 0 || d->circleCount > COLI_CIRCLES ||
      !NameFits(d->modelName))
    return false;
  for (int i = 0; i < COLI_SLOTS; i++)
    if (d->slotFlags[i] == 1 && !NameFits(d->slotNames[i])) return false;
  d->version = g_KzcVersion;
  Wr_Bytes(w, "KZC", 3);
  Wr_I32(w, (i32)d->version);
  for (int k = 0; k < 6; k++) Wr_F32(w, d->bounds[k]);
  Wr_I32(w, d->boxCount);
  for (i32 i = 0; i < d->boxCount; i++) {
    const ColiBox &b = d->boxes[i];
    WritePlace(w, b.used, b.x, b.y, b.z);
    Wr_F32(w, b.angle);
    Wr_F32(w, b.size);
  }
  Wr_I32(w, d->circleCount);
  for (i32 i = 0; i < d->circleCount; i++) {
    const ColiCircle &c = d->circles[i];
    WritePlace(w, c.used, c.x, c.y, c.z);
    Wr_F32(w, c.size);
  }
  Wr_Name(w, d->modelName);
  Wr_I32(w, COLI_SLOTS);   // always all ten slots
  for (int i = 0; i < COLI_SLOTS; i++) {
    Wr_U32(w, d->slotFlags[i]);
    if (d->slotFlags[i] == 1) Wr_Name(w, d->slotNames[i]);
  }
  return !w->err;
}

// [SECTION] Reading and writing files

CollisionDoc *Kzc_ReadDocument(const char *path) {
  FileData f;
  if (!path || !File_ReadAll(path, &f)) {
    Seam_ErrorBoxf(kKzMsgCannotOpen, path ? path : "");
    return nullptr;
  }
  CollisionDoc *d = Coli_AllocDocument();
  const char *refusal = d ? Kzc_Parse(d, f.data, f.size) : kKzMsgBroken;
  File_Free(&f);
  if (refusal) {
    Coli_FreeDocument(d);
    Seam_ErrorBoxf(refusal, path);
    return nullptr;
  }
  return d;
}

// The collision model: opened into the scratch slot and copied into a model of the document's
// own. Null when the file could not be read (the opener said why); a stale model left in the
// scratch slot by an earlier open is never taken for it.
static Model3 *LoadCollisionModel(const char *name) {
  ModelResult res;
  const Model3 *opened = Model3_OpenFile(COLI_SCRATCH_SLOT, name, &res);
  Seam_ShowResult(&res);
  if (!opened) return nullptr;
  Model3 *m = Model3_New();
  if (m) Model3_Copy(opened, m, 1);
  return m;
}

// Character slot i: model slot and scene object 10 + i, the object hidden; the model read
// from name (none for a file found nowhere).
static void LoadCharacter(i32 i, const char *name) {
  i32 n = COLI_FIRST_CHARACTER + i;
  Model3_Init(n);
  if (name) {
    ModelResult res;
    Model3_OpenFile(n, name, &res);   // a model that cannot be read is reported; the read goes on
    Seam_ShowResult(&res);
  }
  Object_SetVisible(ObjectInit(n), 0);
}

bool Kzc_Read(const char *path) {
  if (!path || !path[0]) {
    Seam_ErrorBox("ファイル名が指定されていません。");
    return false;
  }
  CollisionDoc *d = Kzc_ReadDocument(path);
  if (!d) return false;
  Str_Copy(d->fileName, sizeof d->fileName, path);
  if (!DocRef_Folder(path, d->folder, sizeof d->folder)) d->folder[0] = 0;
  // Each model found from the set's folder first; those found nowhere are named in one
  // message and keep their names for the next save.
  char found[COLI_NAME], missing[1024] = "";
  size_t used = 0;
  for (i32 i = -1; i < COLI_SLOTS; i++) {
    const char *name = i < 0 ? d->modelName : d->slotNames[i];
    if (i >= 0 && d->slotFlags[i] != 1) continue;
    if (i < 0 && !name[0]) continue;
    bool there = DocRef_Find(d->folder, name, nullptr, 0, found, sizeof found);
    if (!there && used < sizeof missing) used += (size_t)Str_Format(missing + used, sizeof missing - used, "\n%s", name);
    if (i < 0 && there) d->model = LoadCollisionModel(found);
    if (i >= 0) LoadCharacter(i, there ? found : nullptr);
  }
  if (used) Seam_ErrorBoxf("次のファイルが見つかりませんでした。%s", missing);
  Coli_ReplaceDocument(d);
  d->loaded = 1;
  Timer_Reset();
  return true;
}

bool Kzc_Write(const char *path) {
  if (!path || !path[0]) {
    Seam_ErrorBox("ファイル名が指定されていません。");
    return false;
  }
  // The model names re-kept from the new folder; put back when the save fails.
  static_assert(sizeof CollisionDoc::modelName == DocRef_Size(DOCREF_KZC_MODEL), "the collision model field's row");
  static_assert(sizeof CollisionDoc::slotNames[0] == DocRef_Size(DOCREF_KZC_CHARACTER), "the character field's row");
  CollisionDoc *d = g_Coli.doc;
  static char s_Was[COLI_SLOTS + 1][COLI_NAME];
  char folder[COLI_NAME];
  bool toFolder = d && DocRef_Folder(path, folder, sizeof folder);
  i32 lost = -1;   // the first name that does not fit from the new folder
  for (i32 i = 0; d && i <= COLI_SLOTS; i++) {
    char *name = i < COLI_SLOTS ? d->slotNames[i] : d->modelName;
    Str_Copy(s_Was[i], COLI_NAME, name);
    size_t size = DocRef_Size(i < COLI_SLOTS ? DOCREF_KZC_CHARACTER : DOCREF_KZC_MODEL);
    if (toFolder && lost < 0 && (i == COLI_SLOTS || d->slotFlags[i] == 1) && !DocRef_Rebase(d->folder, folder, name, size, nullptr, 0))
      lost = i;
  }
  ByteWriter w = {};
  bool ok = d && lost < 0 && Kzc_Encode(d, &w) && File_WriteAtomic(path, w.data, w.size);
  Wr_Free(&w);
  for (i32 i = 0; d && !ok && i <= COLI_SLOTS; i++)
    Str_Copy(i < COLI_SLOTS ? d->slotNames[i] : d->modelName, COLI_NAME, s_Was[i]);
  if (ok && toFolder) Str_Copy(d->folder, sizeof d->folder, folder);
  if (!ok) {
    char text[512];
    if (lost >= 0) Str_Format(text, sizeof text, kDocRefMsgSaveTooLong, s_Was[lost]);
    else File_SaveFailureText(path, text, sizeof text);
    Seam_ErrorBox(text);
  }
  else Str_Copy(g_Coli.doc->fileName, sizeof g_Coli.doc->fileName, path);   // the title names it
  return ok;
}
