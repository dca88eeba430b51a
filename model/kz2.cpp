// Records and steps the KZA and KZB readers and writers share (see model/kz2.h).
#include "model/kz2.h"

#include <string.h>

#include "model/finite.h"
#include "model/keytrack.h"
#include "model/kzp.h"
#include "model/str.h"

static const char *const kMsgNoName = "ファイル名が指定されていません。";
static const char *const kMsgSlot = "%s(%d) 最大数を超えました。";
static const char *const kMsgTooMany = "%s は、%sの数 (%d) が上限 (%d) を超えているので\n読み込むことができません。";
static const char *const kMsgCannotStore = "%sの数 (%d) が上限 (%d) を超えているので\n保存することができません。";

// [SECTION] reading

static bool KnownVersion(const Kz2Format *f, i32 version) {
  for (int i = 0; i < f->versionCount; i++)
    if (f->versions[i] == version) return true;
  return false;
}

bool Kz2_Begin(Kz2Read *p, const Kz2Format *f, const u8 *data, size_t size, const char *path, char *err,
               size_t errSize) {
  Rd_Init(&p->r, data, size);
  p->path = path ? path : "";
  p->err = err;
  p->errSize = errSize;
  err[0] = 0;
  char magic[3];
  Rd_Bytes(&p->r, magic, 3);
  p->version = Rd_I32(&p->r);
  if (p->r.err || memcmp(magic, f->magic, 3) != 0 || !KnownVersion(f, p->version)) return Kz2_Broken(p);
  return true;
}

bool Kz2_Broken(Kz2Read *p) {
  if (!p->err[0]) Str_Format(p->err, p->errSize, kKzMsgBroken, p->path);
  return false;
}

bool Kz2_NotFinite(Kz2Read *p) {
  Str_Format(p->err, p->errSize, kKzMsgNotFinite, p->path);
  return false;
}

bool Kz2_TooMany(Kz2Read *p, const char *what, i32 n, i32 max) {
  if (!p->err[0]) Str_Format(p->err, p->errSize, kMsgTooMany, p->path, what, n, max);
  return false;
}

bool Kz2_ReadCount(Kz2Read *p, const char *what, i32 max, i32 *n) {
  *n = Rd_I32(&p->r);
  if (p->r.err) return Kz2_Broken(p);
  if (*n < 0 || *n > max) return Kz2_TooMany(p, what, *n, max);
  return true;
}

bool Kz2_ReadName(Kz2Read *p, char *field, bool clearEmpty, i32 *length) {
  i32 n = Rd_I32(&p->r);
  if (p->r.err) return Kz2_Broken(p);
  if (n <= 0) {
    if (clearEmpty) field[0] = 0;
    if (length) *length = 0;
    return true;
  }
  if (n >= 256) return Kz2_Broken(p);
  if (!Rd_Bytes(&p->r, field, (u64)n)) return Kz2_Broken(p);
  field[n] = 0;
  if (length) *length = n;
  return true;
}

bool Kz2_ReadMotions(Kz2Read *p, Motion2 *motions, i32 max, i32 *count, bool clearEmptyName, bool lengthAlways) {
  ByteReader *r = &p->r;
  i32 nm;
  if (!Kz2_ReadCount(p, "モーション", max, &nm)) return false;
  *count = nm;
  for (i32 i = 0; i < nm; i++) {
    Motion2 *mo = &motions[i];
    mo->used = Rd_U32(r);
    if (r->err) return Kz2_Broken(p);
    if (mo->used == 1 && !Kz2_ReadName(p, mo->name, clearEmptyName, nullptr)) return false;
    if (mo->used == 1 || lengthAlways) mo->length = Rd_I32(r);
  }
  return r->err ? Kz2_Broken(p) : true;
}

i32 Kz2_ReadKeyCount(Kz2Read *p, size_t keySize) {
  i32 nk = Rd_I32(&p->r);
  if (p->r.err || nk < 0 || !Rd_Need(&p->r, (u64)nk * keySize)) {
    Kz2_Broken(p);
    return -1;
  }
  return nk;
}

bool Kz2_KeysOutOfOrder(Kz2Read *p, const char *kind, i32 index, const char *name, i32 motion, const char *motionName) {
  if (p->err[0]) return false;
  char track[300];
  Str_Format(track, sizeof track, "%s %d「%s」", kind, index, name);
  Keys_FormatOrderRefusal(p->err, p->errSize, p->path, motion, motionName, track);
  return false;
}

// The magic and version test before a parse; false with the refusal in *res.
static bool CheckHead(const Kz2Format *f, const FileData *file, const char *path, ModelResult *res) {
  const KzHeaderTexts texts = {f->notFormat, f->tooOld, f->tooNew, kKzMsgBroken};
  const char *refusal = Kz_HeaderRefusalOf(file->data, file->size, f->magic, f->versions, f->versionCount, &texts);
  if (refusal) return ModelResult_Refusef(res, refusal, path);
  return true;
}

bool Kz2_Load(const Kz2Format *f, i32 slot, const char *path, FileData *out, ModelResult *res) {
  if (!Kz2_PathGiven(path, res)) return false;
  if (slot < 0 || slot >= f->slots) return ModelResult_Refusef(res, kMsgSlot, f->reader, slot);
  if (!File_ReadAll(path, out)) return ModelResult_Refusef(res, kKzMsgCannotOpen, path);
  if (CheckHead(f, out, path, res)) return true;
  File_Free(out);
  return false;
}

// [SECTION] writing

bool Kz2_CountFits(char *err, size_t errSize, const char *what, i32 n, i32 max) {
  if (n >= 0 && n <= max) return true;
  Str_Format(err, errSize, kMsgCannotStore, what, n, max);
  return false;
}

void Kz2_WriteName(ByteWriter *w, const char *s) {
  i32 n = (i32)strnlen(s, 255);
  Wr_I32(w, n);
  if (n > 0) Wr_Bytes(w, s, (size_t)n);
}

void Kz2_WriteMotions(ByteWriter *w, const Motion2 *motions, i32 count, bool lengthAlways) {
  Wr_I32(w, count);
  for (i32 i = 0; i < count; i++) {
    Wr_U32(w, motions[i].used);
    if (motions[i].used == 1) Kz2_WriteName(w, motions[i].name);
    if (motions[i].used == 1 || lengthAlways) Wr_I32(w, motions[i].length);
  }
}

bool Kz2_PathGiven(const char *path, ModelResult *res) {
  if (path && path[0]) return true;
  return ModelResult_Refuse(res, kMsgNoName);
}

i32 Kz2_Save(const char *path, ByteWriter *w, bool built, char *err, size_t errSize, ModelResult *res) {
  bool ok = built;
  if (!ok && !err[0]) Str_Format(err, errSize, kKzMsgCannotSave, path);
  if (ok && !File_WriteAtomic(path, w->data, w->size)) {
    ok = false;
    File_SaveFailureText(path, err, errSize);
  }
  Wr_Free(w);
  if (!ok) return ModelResult_Refuse(res, err);
  ModelResult_Accept(res);
  return 1;
}
