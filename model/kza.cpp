// KZA file reader and writer for 2D object models.
//
// 2004050 layout (little-endian): "KZA", i32 version, i32 image count; per image its name
// (i32 length, bytes) and two pivot runs of as many i32 values as the name has bytes; i32
// motion count and motions (used, the name only when used is 1, length); i32 object count and
// objects 1..count-1 (flag 1, name, parent, per motion a key count and 48-byte keys).
// 2004000 has no object names; 2003000 holds one object with image-number keys.
//
// A pivot run starts at the image's own entry of the 64-entry pivot table (x entries 0..31,
// y entries 32..63) and goes on over the words that follow the table in the model record
// (object count, parents, three more tables of 33 words, then the object names). Files
// carry those words, so the writer builds that sequence; the reader keeps entries 0..63 only.
//
// Reading is all-or-nothing: the file is parsed into a new model, which replaces the slot's
// model only when every field was read, every count fits and the hierarchy is sound.
#include "model/kza.h"

#include <stdlib.h>
#include <string.h>

#include "model/bytes.h"
#include "model/keytrack.h"
#include "model/kzp.h"
#include "model/seam.h"

static const char *const kMsgNoName = "ファイル名が指定されていません。";
static const char *const kMsgCannotOpen = "%s を開くことができませんでした。";
static const char *const kMsgNotKza = "%s は、ＫＺＡ形式ではありません。";
static const char *const kMsgOld = "ＫＺＡ形式のバージョンが古いので\n読み込むことができません。\n\n%s";
static const char *const kMsgNew =
    "ＫＺＡ形式のバージョンが新しいので\n読み込むことができません。\n最新版へバージョンアップして下さい。\n\n%s";
static const char *const kMsgBroken = "%s は壊れているため、読み込むことができませんでした。";
static const char *const kMsgTooMany = "%s は、%sの数 (%d) が上限 (%d) を超えているので\n読み込むことができません。";
static const char *const kMsgBadParent = "%s は、オブジェクト %d の親 (%d) が範囲外なので\n読み込むことができません。";
static const char *const kMsgParentCycle = "%s は、オブジェクト %d の親子関係が循環しているので\n読み込むことができません。";
static const char *const kMsgCannotSave = "%s に保存することができませんでした。";
static const char *const kMsgCannotStore = "%sの数 (%d) が上限 (%d) を超えているので\n保存することができません。";

enum { PIVOT_ENTRIES = 2 * OBJ2_MAX_IMAGES };

// [SECTION] reading

struct KzaParse {
  ByteReader r;
  Obj2Model *m;
  i32 version;
  const char *path;
  char *err;
  size_t errSize;
};

static bool Fail(KzaParse *p, const char *what, i32 n, i32 max) {
  if (p->err[0]) return false;
  if (what) Str_Format(p->err, p->errSize, kMsgTooMany, p->path, what, n, max);
  else Str_Format(p->err, p->errSize, kMsgBroken, p->path);
  return false;
}

// A stored name into a 256-byte field; its length comes back in *length (0 for none).
static bool ReadName(KzaParse *p, char *field, i32 *length) {
  i32 n = Rd_I32(&p->r);
  if (p->r.err || n >= 256) return Fail(p, nullptr, 0, 0);
  if (n < 0) n = 0;   // a non-positive length has no bytes
  if (!Rd_Bytes(&p->r, field, (u64)n)) return Fail(p, nullptr, 0, 0);
  field[n] = 0;
  if (length) *length = n;
  return true;
}

// One pivot run of n values starting at table entry `first`; entries past 63 are dropped.
static bool ReadPivotRun(KzaParse *p, i32 first, i32 n) {
  for (i32 k = 0; k < n; k++) {
    i32 v = Rd_I32(&p->r);
    i32 *entry = Obj2_PivotEntry(p->m, first + k);
    if (entry) *entry = v;
  }
  return p->r.err ? Fail(p, nullptr, 0, 0) : true;
}

// Keys of object o's track for a motion must ascend by frame.
static bool CheckKeyOrder(KzaParse *p, const Obj2Track *t, i32 o, i32 motion) {
  if (Keys_FirstOutOfOrder(t->keys, t->count, sizeof(ObjKey2)) < 0) return true;
  if (!p->err[0]) {
    char track[300];
    Str_Format(track, sizeof track, "オブジェクト %d「%s」", o, p->m->objectNames[o]);
    Keys_FormatOrderRefusal(p->err, p->errSize, p->path, motion, p->m->motions[motion].name, track);
  }
  return false;
}

static bool ReadKeys(KzaParse *p, i32 o, i32 motion) {
  ByteReader *r = &p->r;
  i32 nk = Rd_I32(r);
  if (r->err || nk < 0 || !Rd_Need(r, (u64)nk * sizeof(ObjKey2))) return Fail(p, nullptr, 0, 0);
  Obj2Track *t = Obj2_Track(p->m, o, motion);
  if (!t || !Obj2Track_Reserve(t, nk)) return Fail(p, nullptr, 0, 0);   // tracks grow past 8
  for (i32 k = 0; k < nk; k++) {
    ObjKey2 *key = &t->keys[k];
    key->frame = Rd_I32(r);
    key->shown = Rd_U32(r);
    key->x = Rd_F32(r);
    key->y = Rd_F32(r);
    key->angle = Rd_F32(r);
    key->scaleX = Rd_F32(r);
    key->scaleY = Rd_F32(r);
    key->image = Rd_I32(r);
    key->r = Rd_I32(r);
    key->g = Rd_I32(r);
    key->b = Rd_I32(r);
    key->a = Rd_I32(r);
  }
  t->count = nk;
  if (r->err) return Fail(p, nullptr, 0, 0);
  return CheckKeyOrder(p, t, o, motion);
}

static bool ReadImages(KzaParse *p) {
  Obj2Model *m = p->m;
  i32 ni = Rd_I32(&p->r);
  if (p->r.err) return Fail(p, nullptr, 0, 0);
  if (ni < 0 || ni > OBJ2_MAX_IMAGES) return Fail(p, "画像", ni, OBJ2_MAX_IMAGES);
  m->imageCount = ni;
  for (i32 i = 0; i < ni; i++) {
    i32 len = 0;
    if (!ReadName(p, m->imageNames[i], &len)) return false;
    if (!ReadPivotRun(p, i, len) || !ReadPivotRun(p, OBJ2_MAX_IMAGES + i, len)) return false;
  }
  return true;
}

static bool ReadMotions(KzaParse *p) {
  Obj2Model *m = p->m;
  ByteReader *r = &p->r;
  i32 nm = Rd_I32(r);
  if (r->err) return Fail(p, nullptr, 0, 0);
  if (nm < 0 || nm > OBJ2_MAX_MOTIONS) return Fail(p, "モーション", nm, OBJ2_MAX_MOTIONS);
  m->motionCount = nm;
  for (i32 i = 0; i < nm; i++) {
    Motion2 *mo = &m->motions[i];
    mo->used = Rd_U32(r);
    if (r->err) return Fail(p, nullptr, 0, 0);
    if (mo->used == 1 && !ReadName(p, mo->name, nullptr)) return false;
    mo->length = Rd_I32(r);
  }
  return r->err ? Fail(p, nullptr, 0, 0) : true;
}

static bool ReadObjects(KzaParse *p) {
  Obj2Model *m = p->m;
  ByteReader *r = &p->r;
  i32 no = Rd_I32(r);
  if (r->err) return Fail(p, nullptr, 0, 0);
  if (no < 0 || no > OBJ2_MAX_OBJECTS) return Fail(p, "オブジェクト", no, OBJ2_MAX_OBJECTS);
  m->objectCount = no;
  for (i32 o = 1; o < no; o++) {
    i32 flag = Rd_I32(r);
    if (r->err) return Fail(p, nullptr, 0, 0);
    if (flag == 1 && p->version == 2004050 && !ReadName(p, m->objectNames[o], nullptr)) return false;
    m->parents[o] = Rd_I32(r);
    for (i32 mo = 0; mo < m->motionCount; mo++)
      if (!ReadKeys(p, o, mo)) return false;
  }
  return r->err ? Fail(p, nullptr, 0, 0) : true;
}

// 2003000: one object, one motion, keys of frame and image number only.
static bool ReadOld(KzaParse *p) {
  Obj2Model *m = p->m;
  ByteReader *r = &p->r;
  i32 entries = Rd_I32(r);
  if (r->err) return Fail(p, nullptr, 0, 0);
  if (entries < 0) return Fail(p, nullptr, 0, 0);
  if (entries > OBJ2_MAX_IMAGES + 1) return Fail(p, "画像", entries - 1, OBJ2_MAX_IMAGES);
  for (i32 e = 0; e < entries; e++) {
    if (e == 0) {
      // The placeholder entry: its bytes (if it has any) are skipped.
      i32 n = Rd_I32(r);
      if (n > 0) Rd_Skip(r, (u64)n);
      if (r->err) return Fail(p, nullptr, 0, 0);
    } else if (!ReadName(p, m->imageNames[e - 1], nullptr)) {
      return false;
    }
  }
  m->imageCount = entries > 0 ? entries - 1 : 0;
  m->motions[0].length = Rd_I32(r);
  i32 nk = Rd_I32(r);
  if (r->err || nk < 0 || !Rd_Need(r, (u64)nk * 8)) return Fail(p, nullptr, 0, 0);
  Obj2Track *t = Obj2_Track(m, 1, 0);
  if (!t || !Obj2Track_Reserve(t, nk)) return Fail(p, nullptr, 0, 0);
  for (i32 k = 0; k < nk; k++) {
    ObjKey2 *key = &t->keys[k];
    Obj2_SetNewKey(key);
    key->frame = Rd_I32(r);
    i32 image = Rd_I32(r);
    key->image = image > 0 ? image - 1 : image;   // stored counting from 1
  }
  t->count = nk;
  m->motionCount = 1;
  m->motions[0].used = 1;
  Str_Copy(m->motions[0].name, sizeof m->motions[0].name, "モーション名");
  if (r->err) return Fail(p, nullptr, 0, 0);
  if (!CheckKeyOrder(p, t, 1, 0)) return false;
  m->objectCount = 2;
  m->parents[1] = 0;
  return r->err ? Fail(p, nullptr, 0, 0) : true;
}

static bool CheckParents(KzaParse *p) {
  i32 o = Obj2_FindBadParent(p->m);
  if (!o) return true;
  i32 parent = p->m->parents[o];
  if (parent < 0 || parent >= p->m->objectCount) Str_Format(p->err, p->errSize, kMsgBadParent, p->path, o, parent);
  else Str_Format(p->err, p->errSize, kMsgParentCycle, p->path, o);
  return false;
}

Obj2Model *Kza_Parse(const u8 *data, size_t size, const char *path, char *err, size_t errSize) {
  KzaParse p = {};
  Rd_Init(&p.r, data, size);
  p.path = path ? path : "";
  p.err = err;
  p.errSize = errSize;
  err[0] = 0;
  char magic[3];
  Rd_Bytes(&p.r, magic, 3);
  p.version = Rd_I32(&p.r);
  bool known = p.version == 2003000 || p.version == 2004000 || p.version == 2004050;
  if (p.r.err || memcmp(magic, "KZA", 3) != 0 || !known) {
    Fail(&p, nullptr, 0, 0);
    return nullptr;
  }
  p.m = Obj2_NewDetached();
  if (!p.m) {
    Fail(&p, nullptr, 0, 0);
    return nullptr;
  }
  p.m->version = p.version;
  bool ok;
  if (p.version == 2003000) ok = ReadOld(&p);
  else
    ok = ReadImages(&p) && ReadMotions(&p) && (Obj2_FreshTracks(p.m) || Fail(&p, nullptr, 0, 0)) && ReadObjects(&p);
  ok = ok && CheckParents(&p);
  if (!ok) return Obj2_Free(p.m);
  return p.m;
}

// The magic and version test of the reader; false with the message shown.
static bool CheckHead(const FileData *f, const char *path) {
  // Versions between the three known ones have no known layout: refused like older files.
  static const i32 kVersions[] = {2003000, 2004000, 2004050};
  static const KzHeaderTexts kTexts = {kMsgNotKza, kMsgOld, kMsgNew, kMsgBroken};
  const char *refusal =
      Kz_HeaderRefusalOf(f->data, f->size, "KZA", kVersions, (int)(sizeof kVersions / sizeof kVersions[0]), &kTexts);
  if (refusal) Lib_ErrorBoxf(refusal, path);
  return !refusal;
}

i32 Kza_Read(i32 s, const char *path) {
  if (!path || !path[0]) {
    Lib_ErrorBox(kMsgNoName);
    return 0;
  }
  if (s < 0 || s >= OBJ2_SLOTS) {
    Lib_ErrorBoxf("Kza_Read(%d) 最大数を超えました。", s);
    return 0;
  }
  FileData f;
  if (!File_ReadAll(path, &f)) {
    Lib_ErrorBoxf(kMsgCannotOpen, path);
    return 0;
  }
  Obj2Model *m = nullptr;
  if (CheckHead(&f, path)) {
    char err[256];
    m = Kza_Parse(f.data, f.size, path, err, sizeof err);
    if (!m) Lib_ErrorBox(err);
  }
  File_Free(&f);
  if (!m) return 0;

  Obj2_SetSlot(s, m);
  m->slot = s;
  g_Obj2SlotShown[s] = 1;
  m->active = 1;
  Str_Copy(m->filePath, sizeof m->filePath, path);
  for (i32 i = 0; i < m->imageCount; i++) {
    char name[256];
    Str_Copy(name, sizeof name, m->imageNames[i]);
    Obj2_LoadImage(s, i, name);
  }
  // Older files place every image by its centre, whatever they hold.
  if (m->version <= 2004000)
    for (i32 i = 0; i < m->imageCount; i++) Obj2_ResetImageSize(s, i);
  Timer_Reset();
  return 1;
}

// [SECTION] writing

// Word n of the pivot table and the record words that follow it (see the file header).
static i32 PivotWord(Obj2Model *m, i32 n) {
  if (i32 *entry = Obj2_PivotEntry(m, n)) return *entry;
  i32 e = n - PIVOT_ENTRIES;
  if (e == 0) return m->objectCount;
  e -= 1;
  const i32 *tables[4] = {m->parents, m->firstChild, m->nextSibling, m->spare};
  if (e < 4 * OBJ2_MAX_OBJECTS) return tables[e / OBJ2_MAX_OBJECTS][e % OBJ2_MAX_OBJECTS];
  e -= 4 * OBJ2_MAX_OBJECTS;
  size_t at = (size_t)e * 4;
  if (at + 4 > sizeof m->objectNames) return 0;
  const u8 *b = (const u8 *)m->objectNames + at;
  return (i32)((u32)b[0] | (u32)b[1] << 8 | (u32)b[2] << 16 | (u32)b[3] << 24);
}

static void WriteName(ByteWriter *w, const char *s) {
  i32 n = (i32)strnlen(s, 255);
  Wr_I32(w, n);
  if (n > 0) Wr_Bytes(w, s, (size_t)n);
}

static bool CannotStore(char *err, size_t errSize, const char *what, i32 n, i32 max) {
  Str_Format(err, errSize, kMsgCannotStore, what, n, max);
  return false;
}

bool Kza_Build(Obj2Model *m, ByteWriter *w, char *err, size_t errSize) {
  err[0] = 0;
  if (m->imageCount < 0 || m->imageCount > OBJ2_MAX_IMAGES) return CannotStore(err, errSize, "画像", m->imageCount, OBJ2_MAX_IMAGES);
  if (m->motionCount < 0 || m->motionCount > OBJ2_MAX_MOTIONS)
    return CannotStore(err, errSize, "モーション", m->motionCount, OBJ2_MAX_MOTIONS);
  if (m->objectCount < 0 || m->objectCount > OBJ2_MAX_OBJECTS)
    return CannotStore(err, errSize, "オブジェクト", m->objectCount, OBJ2_MAX_OBJECTS);
  m->version = g_KzaVersion;
  Wr_Bytes(w, "KZA", 3);
  Wr_I32(w, m->version);
  Wr_I32(w, m->imageCount);
  for (i32 i = 0; i < m->imageCount; i++) {
    i32 len = (i32)strnlen(m->imageNames[i], 255);
    WriteName(w, m->imageNames[i]);
    for (i32 k = 0; k < len; k++) Wr_I32(w, PivotWord(m, i + k));
    for (i32 k = 0; k < len; k++) Wr_I32(w, PivotWord(m, OBJ2_MAX_IMAGES + i + k));
  }
  Wr_I32(w, m->motionCount);
  for (i32 i = 0; i < m->motionCount; i++) {
    Wr_U32(w, m->motions[i].used);
    if (m->motions[i].used == 1) WriteName(w, m->motions[i].name);
    Wr_I32(w, m->motions[i].length);
  }
  Wr_I32(w, m->objectCount);
  for (i32 o = 1; o < m->objectCount; o++) {
    Wr_I32(w, 1);
    WriteName(w, m->objectNames[o]);
    Wr_I32(w, m->parents[o]);
    for (i32 mo = 0; mo < m->motionCount; mo++) {
      Obj2Track *t = Obj2_Track(m, o, mo);
      i32 nk = t && t->keys ? t->count : 0;
      Wr_I32(w, nk);
      for (i32 k = 0; k < nk; k++) {
        const ObjKey2 *key = &t->keys[k];
        Wr_I32(w, key->frame);
        Wr_U32(w, key->shown);
        Wr_F32(w, key->x);
        Wr_F32(w, key->y);
        Wr_F32(w, key->angle);
        Wr_F32(w, key->scaleX);
        Wr_F32(w, key->scaleY);
        Wr_I32(w, key->image);
        Wr_I32(w, key->r);
        Wr_I32(w, key->g);
        Wr_I32(w, key->b);
        Wr_I32(w, key->a);
      }
    }
  }
  return !w->err;
}

i32 Kza_Write(i32 s, const char *path) {
  if (s < 0 || s >= OBJ2_SLOTS || !g_Obj2Slots[s]) return 0;
  if (!path || !path[0]) {   // as the other model writers say it
    Lib_ErrorBox(kMsgNoName);
    return 0;
  }
  ByteWriter w = {};
  char err[256];
  bool ok = Kza_Build(g_Obj2Slots[s], &w, err, sizeof err);
  if (!ok && !err[0]) Str_Format(err, sizeof err, kMsgCannotSave, path);
  if (ok && !File_WriteAtomic(path, w.data, w.size)) {
    ok = false;
    Str_Format(err, sizeof err, kMsgCannotSave, path);
  }
  Wr_Free(&w);
  if (!ok) Lib_ErrorBox(err);
  return ok ? 1 : 0;
}
