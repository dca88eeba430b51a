// KZM files: motion list, sound list and three model words of a 3D model.
//
// Layout (little-endian): "KZM", i32 version 2002040, i32 motion 0's length, 3 x i32 model
// words, i32 motion count M, per motion {i32 used; when 1: name, i32 length}, i32 sound count
// S, S names. Files from older writers carry one more i32 before each used motion's length;
// the reader takes whichever of the two layouts ends exactly at the end of the file, and
// otherwise the writer's layout with whatever follows its sound list ignored.
#include "model/formats/kzm.h"

#include <stdlib.h>
#include <string.h>

#include "model/docref.h"
#include "model/kzp.h"
#include "model/seam.h"
#include "model/seam_errorbox.h"
#include "model/str.h"

i32 g_KzmVersion = KZM_VERSION;

static const char kMsgNotKzm[] = "%s は、ＫＺＭ形式ではありません。";
static const char kMsgTooOld[] = "ＫＺＭ形式のバージョンが古いので\n読み込むことができません。\n\n%s";
static const char kMsgTooNew[] =
    "ＫＺＭ形式のバージョンが新しいので\n読み込むことができません。\n最新版へバージョンアップして下さい。\n\n%s";
static const char kMsgNoModel[] = "モデルがありません。";

struct KzmMotion {
  u32 used;
  char name[MODEL3_NAME];
  i32 length;
};

struct KzmData {
  i32 firstLength;
  i32 words[3];
  i32 motionCount;
  KzmMotion motions[MODEL3_MOTIONS];
  i32 soundCount;
  char sounds[MODEL3_SOUNDS][MODEL3_NAME];
};

enum KzmFit { KZM_BROKEN, KZM_EXACT, KZM_TRAILING };

// One layout: with or without the extra word after a used motion's name; says whether the
// data ends exactly after the sound list or goes on past it.
static KzmFit ParseLayout(const u8 *data, size_t size, bool extraWord, KzmData *d) {
  ByteReader r;
  Rd_Init(&r, data, size);
  u8 magic[3];
  Rd_Bytes(&r, magic, 3);
  i32 version = Rd_I32(&r);
  if (r.err || memcmp(magic, "KZM", 3) != 0 || version != KZM_VERSION) return KZM_BROKEN;
  d->firstLength = Rd_I32(&r);
  for (int i = 0; i < 3; i++) d->words[i] = Rd_I32(&r);
  d->motionCount = Rd_Count(&r, MODEL3_MOTIONS);
  for (i32 m = 0; m < d->motionCount && !r.err; m++) {
    KzmMotion *mo = &d->motions[m];
    mo->used = Rd_U32(&r);
    if (mo->used != 1) continue;
    if (!Rd_Name(&r, mo->name, sizeof mo->name)) return KZM_BROKEN;
    if (extraWord) Rd_Skip(&r, 4);
    mo->length = Rd_I32(&r);
  }
  d->soundCount = Rd_Count(&r, MODEL3_SOUNDS);
  for (i32 s = 0; s < d->soundCount && !r.err; s++)
    if (!Rd_Name(&r, d->sounds[s], sizeof d->sounds[s])) return KZM_BROKEN;
  if (r.err) return KZM_BROKEN;
  return Rd_AtEnd(&r) ? KZM_EXACT : KZM_TRAILING;
}

bool Kzm_Parse(Model3 *m, const u8 *data, size_t size) {
  if (!m) return false;
  KzmData *d = (KzmData *)calloc(1, sizeof(KzmData));
  if (!d) return false;
  // A layout that ends exactly decides first (so files of either writer read as they always
  // did); bytes after a whole file in the writer's layout are then ignored, as the format's
  // reader stops after the sound list.
  KzmFit writer = ParseLayout(data, size, false, d);
  bool ok = writer == KZM_EXACT;
  if (!ok) {
    memset(d, 0, sizeof *d);
    ok = ParseLayout(data, size, true, d) == KZM_EXACT;
  }
  if (!ok && writer == KZM_TRAILING) {
    memset(d, 0, sizeof *d);
    ok = ParseLayout(data, size, false, d) != KZM_BROKEN;
  }
  if (ok) {
    m->motions[0].length = d->firstLength;
    memcpy(m->kzmWords, d->words, sizeof m->kzmWords);
    m->motionCount = d->motionCount;
    Model3_FreshTracks(m);   // tracks of motions coming into use get their identity key
    for (i32 i = 0; i < d->motionCount; i++) {
      Motion3 *mo = &m->motions[i];
      mo->used = d->motions[i].used;
      if (mo->used != 1) continue;   // an unused motion keeps the name and length it had
      memcpy(mo->name, d->motions[i].name, MODEL3_NAME);
      mo->length = d->motions[i].length;
    }
    m->soundCount = d->soundCount;
    for (i32 s = 0; s < d->soundCount; s++) memcpy(m->sounds[s], d->sounds[s], MODEL3_NAME);
  }
  free(d);
  return ok;
}

i32 Kzm_Read(i32 slot, const char *path, ModelResult *res) {
  if (!path || !path[0]) return ModelResult_Refuse(res, "ファイル名が指定されていません。");
  Model3 *m = Model3_Get(slot);
  if (!m) return ModelResult_Refuse(res, kMsgNoModel);
  FileData f;
  if (!File_ReadAll(path, &f)) return ModelResult_Refusef(res, kKzMsgCannotOpen, path);
  static const KzHeaderTexts texts = {kMsgNotKzm, kMsgTooOld, kMsgTooNew};
  const char *refusal = Kz_HeaderRefusal(f.data, f.size, "KZM", KZM_VERSION, &texts);
  if (!refusal && !Kzm_Parse(m, f.data, f.size)) refusal = kKzMsgBroken;
  File_Free(&f);
  if (refusal) return ModelResult_Refusef(res, refusal, path);
  ModelResult_Accept(res);
  // Entry 0 is the placeholder and is never loaded; the others are found from the file's folder
  // first (model/docref.h). Those found nowhere are named in one message and keep their names.
  if (!DocRef_Folder(path, m->soundFolder, sizeof m->soundFolder)) m->soundFolder[0] = 0;
  char missing[1024] = "";
  size_t used = 0;
  for (i32 s = 1; s < m->soundCount; s++) {
    char found[MODEL3_NAME * 2];
    if (!DocRef_Find(m->soundFolder, m->sounds[s], nullptr, 0, found, sizeof found)) {
      Str_Copy(found, sizeof found, m->sounds[s]);
      if (m->sounds[s][0] && used < sizeof missing)
        used += (size_t)Str_Format(missing + used, sizeof missing - used, "\n%s", m->sounds[s]);
    }
    if (g_Seam.soundLoad) g_Seam.soundLoad(slot, s, found);
  }
  if (used) Seam_ErrorBoxf("次のファイルが見つかりませんでした。%s", missing);
  return 1;
}

bool Kzm_Encode(const Model3 *m, ByteWriter *w) {
  if (!m || m->motionCount < 0 || m->motionCount > MODEL3_MOTIONS || m->soundCount < 0 ||
      m->soundCount > MODEL3_SOUNDS)
    return false;
  Wr_Bytes(w, "KZM", 3);
  Wr_I32(w, g_KzmVersion);
  Wr_I32(w, m->motions[0].length);
  for (int i = 0; i < 3; i++) Wr_I32(w, m->kzmWords[i]);
  Wr_I32(w, m->motionCount);
  for (i32 i = 0; i < m->motionCount; i++) {
    const Motion3 *mo = &m->motions[i];
    Wr_U32(w, mo->used);
    if (mo->used != 1) continue;
    Wr_Name(w, mo->name);
    Wr_I32(w, mo->length);
  }
  Wr_I32(w, m->soundCount);
  for (i32 s = 0; s < m->soundCount; s++) Wr_Name(w, m->sounds[s]);
  return !w->err;
}

i32 Kzm_Write(i32 slot, const char *path, ModelResult *res) {
  Model3 *m = Model3_Get(slot);
  if (!m) return ModelResult_Refuse(res, kMsgNoModel);
  if (!path || !path[0]) return ModelResult_Refuse(res, "ファイル名が指定されていません。");
  // The sound names re-kept from the new folder; put back when the save fails.
  static char s_Was[MODEL3_SOUNDS][MODEL3_NAME];
  char folder[MODEL3_NAME];
  bool toFolder = DocRef_Folder(path, folder, sizeof folder);
  i32 count = m->soundCount < 0 ? 0 : (m->soundCount > MODEL3_SOUNDS ? MODEL3_SOUNDS : m->soundCount);
  i32 lost = 0;   // the first sound whose name does not fit from the new folder
  for (i32 s = 1; s < count; s++) {
    memcpy(s_Was[s], m->sounds[s], MODEL3_NAME);
    if (toFolder && !lost && !DocRef_Rebase(m->soundFolder, folder, m->sounds[s], DocRef_Size(DOCREF_KZM_SOUND), nullptr, 0))
      lost = s;
  }
  ByteWriter w = {};
  bool ok = !lost && Kzm_Encode(m, &w) && File_WriteAtomic(path, w.data, w.size);
  Wr_Free(&w);
  if (!ok) {
    for (i32 s = 1; s < count; s++) memcpy(m->sounds[s], s_Was[s], MODEL3_NAME);
    if (lost) return DocRef_RefuseSave(res, m->sounds[lost]);
    return ModelResult_RefuseSave(res, path);
  }
  if (toFolder) Str_Copy(m->soundFolder, sizeof m->soundFolder, folder);
  ModelResult_Accept(res);
  return 1;
}
