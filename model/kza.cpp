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
#include "model/docref.h"
#include "model/finite.h"
#include "model/keytrack.h"
#include "model/kz2.h"
#include "model/seam_timer.h"
#include "model/str.h"

static const char *const kMsgNotKza = "%s は、ＫＺＡ形式ではありません。";
static const char *const kMsgOld = "ＫＺＡ形式のバージョンが古いので\n読み込むことができません。\n\n%s";
static const char *const kMsgNew =
    "ＫＺＡ形式のバージョンが新しいので\n読み込むことができません。\n最新版へバージョンアップして下さい。\n\n%s";
static const char *const kMsgBadParent = "%s は、オブジェクト %d の親 (%d) が範囲外なので\n読み込むことができません。";
static const char *const kMsgParentCycle = "%s は、オブジェクト %d の親子関係が循環しているので\n読み込むことができません。";

// Versions between the three known ones have no known layout: refused like older files.
static const i32 kVersions[] = {2003000, 2004000, 2004050};
static const Kz2Format kFormat = {"KZA", kVersions, (int)(sizeof kVersions / sizeof kVersions[0]),
                                  kMsgNotKza, kMsgOld, kMsgNew, "Kza_Read", OBJ2_SLOTS};

enum { PIVOT_ENTRIES = 2 * OBJ2_MAX_IMAGES };

// The 48-byte key record, which the file stores as a run (see Rd_Run): frame, shown, x, y,
// angle, scaleX, scaleY, image, r, g, b, a, exactly the layout of ObjKey2.
static const char kKeyFields[] = "444444444444";
static_assert(sizeof(ObjKey2) == 48, "key record");

// [SECTION] reading

struct KzaParse {
  Kz2Read in;
  Obj2Model *m;
};

static bool Fail(KzaParse *p) { return Kz2_Broken(&p->in); }

// A stored name; KZA files empty the field for a length of 0 or less.
static bool ReadName(KzaParse *p, char *field, i32 *length) { return Kz2_ReadName(&p->in, field, true, length); }

// One pivot run of n values starting at table entry `first`; entries past 63 are dropped.
static bool ReadPivotRun(KzaParse *p, i32 first, i32 n) {
  for (i32 k = 0; k < n; k++) {
    i32 v = Rd_I32(&p->in.r);
    i32 *entry = Obj2_PivotEntry(p->m, first + k);
    if (entry) *entry = v;
  }
  return p->in.r.err ? Fail(p) : true;
}

// Keys of object o's track for a motion must ascend by frame.
static bool CheckKeyOrder(KzaParse *p, const Obj2Track *t, i32 o, i32 motion) {
  if (Keys_FirstOutOfOrder(t->keys, t->count, sizeof(ObjKey2)) < 0) return true;
  return Kz2_KeysOutOfOrder(&p->in, "オブジェクト", o, p->m->objectNames[o], motion, p->m->motions[motion].name);
}

static bool ReadKeys(KzaParse *p, i32 o, i32 motion) {
  ByteReader *r = &p->in.r;
  i32 nk = Kz2_ReadKeyCount(&p->in, sizeof(ObjKey2));
  if (nk < 0) return false;
  Obj2Track *t = Obj2_Track(p->m, o, motion);
  if (!t || !Obj2Track_Reserve(t, nk)) return Fail(p);   // tracks grow past 8
  Rd_Run(r, t->keys, (u64)nk, kKeyFields);
  t->count = nk;
  if (r->err) return Fail(p);
  return CheckKeyOrder(p, t, o, motion);
}

static bool ReadImages(KzaParse *p) {
  Obj2Model *m = p->m;
  i32 ni;
  if (!Kz2_ReadCount(&p->in, "画像", OBJ2_MAX_IMAGES, &ni)) return false;
  m->imageCount = ni;
  for (i32 i = 0; i < ni; i++) {
    i32 len = 0;
    if (!ReadName(p, m->imageNames[i], &len)) return false;
    if (!ReadPivotRun(p, i, len) || !ReadPivotRun(p, OBJ2_MAX_IMAGES + i, len)) return false;
  }
  return true;
}

// Every motion stores its length, used or not.
static bool ReadMotions(KzaParse *p) {
  return Kz2_ReadMotions(&p->in, p->m->motions, OBJ2_MAX_MOTIONS, &p->m->motionCount, true, true);
}

static bool ReadObjects(KzaParse *p) {
  Obj2Model *m = p->m;
  ByteReader *r = &p->in.r;
  i32 no;
  if (!Kz2_ReadCount(&p->in, "オブジェクト", OBJ2_MAX_OBJECTS, &no)) return false;
  m->objectCount = no;
  for (i32 o = 1; o < no; o++) {
    i32 flag = Rd_I32(r);
    if (r->err) return Fail(p);
    if (flag == 1 && p->in.version == 2004050 && !ReadName(p, m->objectNames[o], nullptr)) return false;
    m->parents[o] = Rd_I32(r);
    for (i32 mo = 0; mo < m->motionCount; mo++)
      if (!ReadKeys(p, o, mo)) return false;
  }
  return r->err ? Fail(p) : true;
}

// 2003000: one object, one motion, keys of frame and image number only.
static bool ReadOld(KzaParse *p) {
  Obj2Model *m = p->m;
  ByteReader *r = &p->in.r;
  i32 entries = Rd_I32(r);
  if (r->err) return Fail(p);
  if (entries < 0) return Fail(p);
  if (entries > OBJ2_MAX_IMAGES + 1) return Kz2_TooMany(&p->in, "画像", entries - 1, OBJ2_MAX_IMAGES);
  for (i32 e = 0; e < entries; e++) {
    if (e == 0) {
      // The placeholder entry: its bytes (if it has any) are skipped.
      i32 n = Rd_I32(r);
      if (n > 0) Rd_Skip(r, (u64)n);
      if (r->err) return Fail(p);
    } else if (!ReadName(p, m->imageNames[e - 1], nullptr)) {
      return false;
    }
  }
  m->imageCount = entries > 0 ? entries - 1 : 0;
  m->motions[0].length = Rd_I32(r);
  i32 nk = Kz2_ReadKeyCount(&p->in, 8);
  if (nk < 0) return false;
  Obj2Track *t = Obj2_Track(m, 1, 0);
  if (!t || !Obj2Track_Reserve(t, nk)) return Fail(p);
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
  if (r->err) return Fail(p);
  if (!CheckKeyOrder(p, t, 1, 0)) return false;
  m->objectCount = 2;
  m->parents[1] = 0;
  return r->err ? Fail(p) : true;
}

static bool CheckParents(KzaParse *p) {
  i32 o = Obj2_FindBadParent(p->m);
  if (!o) return true;
  i32 parent = p->m->parents[o];
  Kz2Read *in = &p->in;
  if (parent < 0 || parent >= p->m->objectCount) Str_Format(in->err, in->errSize, kMsgBadParent, in->path, o, parent);
  else Str_Format(in->err, in->errSize, kMsgParentCycle, in->path, o);
  return false;
}

Obj2Model *Kza_Parse(const u8 *data, size_t size, const char *path, char *err, size_t errSize) {
  KzaParse p = {};
  if (!Kz2_Begin(&p.in, &kFormat, data, size, path, err, errSize)) return nullptr;
  p.m = Obj2_NewDetached();
  if (!p.m) {
    Fail(&p);
    return nullptr;
  }
  p.m->version = p.in.version;
  bool ok;
  if (p.in.version == 2003000) ok = ReadOld(&p);
  else ok = ReadImages(&p) && ReadMotions(&p) && (Obj2_FreshTracks(p.m) || Fail(&p)) && ReadObjects(&p);
  ok = ok && CheckParents(&p) && (Finite_Obj2(p.m) || Kz2_NotFinite(&p.in));
  if (!ok) return Obj2_Free(p.m);
  return p.m;
}

i32 Kza_Read(i32 s, const char *path, ModelResult *res) {
  Obj2Model *m = Kz2_LoadParsed(&kFormat, s, path, res, Kza_Parse);
  if (!m) return 0;

  Obj2_SetSlot(s, m);
  m->slot = s;
  g_Obj2SlotShown[s] = 1;
  m->active = 1;
  Str_Copy(m->filePath, sizeof m->filePath, path);
  if (!DocRef_Folder(path, m->imageFolder, sizeof m->imageFolder)) m->imageFolder[0] = 0;
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

bool Kza_Build(Obj2Model *m, ByteWriter *w, char *err, size_t errSize) {
  err[0] = 0;
  if (!Kz2_CountFits(err, errSize, "画像", m->imageCount, OBJ2_MAX_IMAGES) ||
      !Kz2_CountFits(err, errSize, "モーション", m->motionCount, OBJ2_MAX_MOTIONS) ||
      !Kz2_CountFits(err, errSize, "オブジェクト", m->objectCount, OBJ2_MAX_OBJECTS))
    return false;
  m->version = g_Obj2.kzaVersion;
  Wr_Bytes(w, "KZA", 3);
  Wr_I32(w, m->version);
  Wr_I32(w, m->imageCount);
  for (i32 i = 0; i < m->imageCount; i++) {
    i32 len = (i32)strnlen(m->imageNames[i], 255);
    Kz2_WriteName(w, m->imageNames[i]);
    for (i32 k = 0; k < len; k++) Wr_I32(w, PivotWord(m, i + k));
    for (i32 k = 0; k < len; k++) Wr_I32(w, PivotWord(m, OBJ2_MAX_IMAGES + i + k));
  }
  Kz2_WriteMotions(w, m->motions, m->motionCount, true);
  Wr_I32(w, m->objectCount);
  for (i32 o = 1; o < m->objectCount; o++) {
    Wr_I32(w, 1);
    Kz2_WriteName(w, m->objectNames[o]);
    Wr_I32(w, m->parents[o]);
    for (i32 mo = 0; mo < m->motionCount; mo++) {
      Obj2Track *t = Obj2_Track(m, o, mo);
      i32 nk = t && t->keys ? t->count : 0;
      Wr_I32(w, nk);
      if (nk > 0) Wr_Run(w, t->keys, (u64)nk, kKeyFields);
    }
  }
  return !w->err;
}

i32 Kza_Write(i32 s, const char *path, ModelResult *res) {
  if (s < 0 || s >= OBJ2_SLOTS || !g_Obj2Slots[s]) return 0;
  if (!Kz2_PathGiven(path, res)) return 0;   // as the other model writers say it
  Obj2Model *m = g_Obj2Slots[s];
  // The image names re-kept from the new folder; put back when the save fails.
  static_assert(sizeof m->imageNames[0] == DocRef_Size(DOCREF_KZA_IMAGE), "the image field's row");
  static char s_Was[OBJ2_MAX_IMAGES][DocRef_Size(DOCREF_KZA_IMAGE)];
  char folder[sizeof m->imageFolder];
  bool toFolder = DocRef_Folder(path, folder, sizeof folder);
  i32 count = m->imageCount < 0 ? 0 : (m->imageCount > OBJ2_MAX_IMAGES ? OBJ2_MAX_IMAGES : m->imageCount);
  i32 lost = -1;   // the first image whose name does not fit from the new folder
  for (i32 i = 0; i < count; i++) {
    memcpy(s_Was[i], m->imageNames[i], sizeof s_Was[i]);
    if (toFolder && lost < 0 && !DocRef_Rebase(m->imageFolder, folder, m->imageNames[i], DocRef_Size(DOCREF_KZA_IMAGE), nullptr, 0))
      lost = i;
  }
  ByteWriter w = {};
  char err[512] = "";
  bool built = lost < 0 && Kza_Build(m, &w, err, sizeof err);
  if (lost >= 0) Str_Format(err, sizeof err, kDocRefMsgSaveTooLong, m->imageNames[lost]);
  i32 ok = Kz2_Save(path, &w, built, err, sizeof err, res);
  for (i32 i = 0; !ok && i < count; i++) memcpy(m->imageNames[i], s_Was[i], sizeof s_Was[i]);
  if (ok && toFolder) Str_Copy(m->imageFolder, sizeof m->imageFolder, folder);
  return ok;
}
