// KZV movie files: one parser for the three versions, one encoder, and the read that swaps
// the parsed movie in and loads what its actors name (see scene/kzv.h).
#include "scene/kzv.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include "app/shell_view.h"
#include "lib/draw/image.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/filename.h"
#include "lib/media/sound.h"
#include "lib/render/objects.h"
#include "model/bytes.h"
#include "model/docref.h"
#include "model/kza.h"
#include "model/kzb.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "model/seam_errorbox.h"
#include "model/seam_timer.h"
#include "model/cp932.h"
#include "model/str.h"

static const char *const kMsgNoName = "ファイル名が指定されていません。";
static const char *const kMsgNotKzv = "%s\nこのファイルは、ＫＺＶ形式ではありません。";
static const char *const kMsgOld = "ＫＺＶ形式のバージョンが古いので\n読み込むことができません。\n\n%s  Ver %4.3f";
static const char *const kMsgNew =
    "KZV形式のバージョンが新しいので\n読み込むことができません。\n最新版へバージョンアップして下さい。\n\n%s  Ver %4.3f";
static const char *const kMsgTooLong =
    "%s は、フレームの数 (%d) が上限 (%d) を超えているので\n読み込むことができません。";
static const char *const kMsgNoSlot =
    "オブジェクト %d ( %s ) は、読み込み先の２Ｄモデルのスロットがないため、表示されません。\n"
    "( ２Ｄオブジェクトモデルは 0〜7 番、２Ｄボーンモデルは 0〜31 番のオブジェクトだけが表示されます。)";

enum { KZV_2004050 = 2004050, KZV_2006000 = 2006000, KZV_2006060 = 2006060 };
enum { ERR_SIZE = 768 };

// A message box of a formatted text (paths make them longer than Seam_ErrorBoxf keeps).
static void Box(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
static void Box(const char *fmt, ...) {
  char text[ERR_SIZE];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(text, sizeof text, fmt, ap);
  va_end(ap);
  text[Cp932_CutLength(text, strlen(text))] = 0;
  Seam_ErrorBox(text);
}

// Kinds with the full payload (position, angles, rotation, scale, colour) and a file block.
static bool HasFile(i32 kind) { return kind >= MOVIE_KIND_IMAGE && kind <= MOVIE_KIND_MODEL3; }

static bool KnownKind(i32 kind) {
  return (kind >= MOVIE_KIND_IMAGE && kind <= MOVIE_KIND_SCENE) || kind == MOVIE_KIND_SOUND ||
         kind == MOVIE_KIND_MESSAGE;
}

// [SECTION] parsing

struct KzvParse {
  ByteReader r;
  KzvMovie *m;
  bool shownByte;   // 2006060 keys carry the shown flag
  bool rotation;    // 2004050 keys of kinds 0-4 have no quaternion
  bool tooLong;     // the frame count is above the frame tables
};

// A string into a 256-byte field. A length of 0 has no bytes and, with keepOnEmpty, leaves
// the field as it is; 256 or more cannot be held, and a negative one is damage: both refused.
static bool ReadString(ByteReader *r, char *field, bool keepOnEmpty) {
  i32 n = Rd_I32(r);
  if (r->err || n >= 256 || n < 0) return false;
  if (n == 0) {
    if (!keepOnEmpty) field[0] = 0;
    return true;
  }
  if (!Rd_Bytes(r, field, (u64)n)) return false;
  field[n] = 0;
  return true;
}

static void ReadFloats(ByteReader *r, f32 *v, int n) {
  for (int i = 0; i < n; i++) v[i] = Rd_F32Finite(r);
}

static void ReadKey(KzvParse *p, i32 kind, MovieKey *k) {
  ByteReader *r = &p->r;
  k->frame = Rd_I32(r);
  k->shown = p->shownByte ? Rd_U8(r) : 1;
  k->number = Rd_I32(r);
  if (HasFile(kind)) {
    ReadFloats(r, k->position, 3);
    ReadFloats(r, k->angles, 3);
    if (p->rotation) ReadFloats(r, k->rotation, 4);   // else all zero: evaluates as identity
    ReadFloats(r, k->scale, 3);
    ReadFloats(r, k->color, 4);
  } else if (kind == MOVIE_KIND_CAMERA) {
    ReadFloats(r, k->position, 3);
    ReadFloats(r, k->target, 3);
  } else if (kind == MOVIE_KIND_SCENE) {
    ReadFloats(r, k->color, 4);
  }
}

static bool ReadObject(KzvParse *p, MovieObject *o) {
  ByteReader *r = &p->r;
  if (!ReadString(r, o->name, true)) return false;
  o->keyCount = Rd_I32(r);
  o->kind = Rd_I32(r);
  o->moveCurve = Rd_I32(r);
  o->rotationCurve = Rd_I32(r);
  o->scaleCurve = Rd_I32(r);
  if (r->err || o->keyCount < 1 || o->keyCount > MOVIE_MAX_KEYS || !KnownKind(o->kind)) return false;
  for (i32 k = 0; k < o->keyCount; k++) ReadKey(p, o->kind, &o->keys[k]);
  return !r->err;
}

static bool ReadObjects(KzvParse *p) {
  KzvMovie *m = p->m;
  for (i32 i = 0; i < m->objectCount; i++) {
    m->objects[i] = (MovieObject *)calloc(1, sizeof(MovieObject));
    if (!m->objects[i] || !ReadObject(p, m->objects[i])) return false;
  }
  for (i32 i = 0; i < m->objectCount; i++) {
    MovieObject *o = m->objects[i];
    if (!HasFile(o->kind)) continue;
    if (!ReadString(&p->r, o->folder, false) || !ReadString(&p->r, o->fileName, false) ||
        !ReadString(&p->r, o->motionFileName, false))
      return false;
    o->shadowKind = Rd_I32(&p->r);
  }
  return !p->r.err;
}

static bool ReadTables(KzvParse *p) {
  ByteReader *r = &p->r;
  KzvMovie *m = p->m;
  m->bgmPresent = Rd_I32(r);
  if (m->bgmPresent == 1 &&
      (!ReadString(r, m->bgmSecondName, false) || !ReadString(r, m->bgmFileName, false)))
    return false;
  m->soundCount = Rd_I32(r);
  if (r->err || m->soundCount < 0 || m->soundCount > MOVIE_MESSAGE_COUNT) return false;
  for (i32 i = 1; i < m->soundCount; i++)
    if (!ReadString(r, m->soundFolders[i], false) || !ReadString(r, m->soundFileNames[i], false)) return false;
  m->messageCount = Rd_I32(r);
  if (r->err || m->messageCount < 0 || m->messageCount > MOVIE_MESSAGE_COUNT) return false;
  for (i32 i = 1; i < m->messageCount; i++)
    if (!ReadString(r, m->messages[i], false)) return false;
  m->nextPresent = Rd_I32(r);
  return ReadString(r, m->nextName, false);
}

// The trailer repeats each object's name and shadow kind; it is read only when the file goes
// on after the next movie's name, and then it must be whole.
static bool ReadTrailer(KzvParse *p) {
  if (Rd_AtEnd(&p->r)) return true;
  for (i32 i = 0; i < p->m->objectCount; i++) {
    MovieObject *o = p->m->objects[i];
    if (!ReadString(&p->r, o->name, true)) return false;
    o->shadowKind = Rd_I32(&p->r);
  }
  p->m->hadTrailer = 1;
  return !p->r.err;
}

static bool ParseBody(KzvParse *p) {
  KzvMovie *m = p->m;
  ByteReader *r = &p->r;
  m->frameCount = Rd_I32(r);
  // 2004050 movies were at most 180 long and are cut to that, as that version was read. Later
  // ones longer than the frame tables (18,000 frames) are refused: a movie never loads cut short.
  if (m->frameCount < 1) m->frameCount = 1;
  if (m->version == KZV_2004050 && m->frameCount > 180) m->frameCount = 180;
  if (m->frameCount > MOVIE_MAX_FRAMES) {
    p->tooLong = true;
    return false;
  }
  m->objectCount = Rd_I32(r);
  if (r->err || m->objectCount < 0 || m->objectCount > MOVIE_MAX_OBJECTS) return false;
  return ReadObjects(p) && ReadTables(p) && ReadTrailer(p);
}

KzvMovie *Kzv_Parse(const u8 *data, size_t size, const char *path, char *err, size_t errSize) {
  err[0] = 0;
  if (!path) path = "";
  if (size < 3 || memcmp(data, "KZV", 3) != 0) {
    Str_Format(err, errSize, kMsgNotKzv, path);
    return nullptr;
  }
  KzvParse p = {};
  Rd_Init(&p.r, data, size);
  Rd_Skip(&p.r, 3);
  i32 version = Rd_I32(&p.r);
  if (p.r.err) {
    Str_Format(err, errSize, kKzMsgBroken, path);
    return nullptr;
  }
  if (version > KZV_2006060) {
    Str_Format(err, errSize, kMsgNew, path, version / 1000.0);
    return nullptr;
  }
  // Older files and unlisted versions alike: their layout is not known.
  if (version != KZV_2004050 && version != KZV_2006000 && version != KZV_2006060) {
    Str_Format(err, errSize, kMsgOld, path, version / 1000.0);
    return nullptr;
  }
  p.m = (KzvMovie *)calloc(1, sizeof(KzvMovie));
  if (!p.m) {
    Str_Format(err, errSize, kKzMsgBroken, path);
    return nullptr;
  }
  p.m->version = version;
  p.shownByte = version == KZV_2006060;
  p.rotation = version != KZV_2004050;
  if (!ParseBody(&p)) {
    if (p.tooLong) Str_Format(err, errSize, kMsgTooLong, path, p.m->frameCount, (i32)MOVIE_MAX_FRAMES);
    else Str_Format(err, errSize, kKzMsgBroken, path);
    Kzv_FreeMovie(p.m);
    return nullptr;
  }
  return p.m;
}

void Kzv_FreeMovie(KzvMovie *m) {
  if (!m) return;
  for (MovieObject *o : m->objects) free(o);
  free(m);
}

// [SECTION] encoding

static void WriteString(ByteWriter *w, const char *field) {
  size_t n = strnlen(field, 255);
  Wr_I32(w, (i32)n);
  Wr_Bytes(w, field, n);
}

static void WriteFloats(ByteWriter *w, const f32 *v, int n) {
  for (int i = 0; i < n; i++) Wr_F32(w, v[i]);
}

static void WriteKey(ByteWriter *w, i32 kind, const MovieKey *k) {
  Wr_I32(w, k->frame);
  Wr_U8(w, k->shown);
  Wr_I32(w, k->number);
  if (HasFile(kind)) {
    WriteFloats(w, k->position, 3);
    WriteFloats(w, k->angles, 3);
    WriteFloats(w, k->rotation, 4);
    WriteFloats(w, k->scale, 3);
    WriteFloats(w, k->color, 4);
  } else if (kind == MOVIE_KIND_CAMERA) {
    WriteFloats(w, k->position, 3);
    WriteFloats(w, k->target, 3);
  } else if (kind == MOVIE_KIND_SCENE) {
    WriteFloats(w, k->color, 4);
  }
}

// Nothing is written that the reader would refuse.
static bool Storable(const KzvMovie *m) {
  if (m->objectCount < 0 || m->objectCount > MOVIE_MAX_OBJECTS) return false;
  if (m->soundCount < 0 || m->soundCount > MOVIE_MESSAGE_COUNT) return false;
  if (m->messageCount < 0 || m->messageCount > MOVIE_MESSAGE_COUNT) return false;
  for (i32 i = 0; i < m->objectCount; i++) {
    const MovieObject *o = m->objects[i];
    if (!o || o->keyCount < 1 || o->keyCount > MOVIE_MAX_KEYS || !KnownKind(o->kind)) return false;
  }
  return true;
}

bool Kzv_Encode(const KzvMovie *m, ByteWriter *w) {
  if (!Storable(m)) return false;
  Wr_Bytes(w, "KZV", 3);
  Wr_I32(w, KZV_VERSION);
  Wr_I32(w, m->frameCount);
  Wr_I32(w, m->objectCount);
  for (i32 i = 0; i < m->objectCount; i++) {
    const MovieObject *o = m->objects[i];
    WriteString(w, o->name);
    Wr_I32(w, o->keyCount);
    Wr_I32(w, o->kind);
    Wr_I32(w, o->moveCurve);
    Wr_I32(w, o->rotationCurve);
    Wr_I32(w, o->scaleCurve);
    for (i32 k = 0; k < o->keyCount; k++) WriteKey(w, o->kind, &o->keys[k]);
  }
  for (i32 i = 0; i < m->objectCount; i++) {
    const MovieObject *o = m->objects[i];
    if (!HasFile(o->kind)) continue;
    WriteString(w, o->folder);
    WriteString(w, o->fileName);
    WriteString(w, o->motionFileName);
    Wr_I32(w, o->shadowKind);
  }
  Wr_I32(w, m->bgmPresent);
  if (m->bgmPresent == 1) {
    WriteString(w, m->bgmSecondName);
    WriteString(w, m->bgmFileName);
  }
  Wr_I32(w, m->soundCount);
  for (i32 i = 1; i < m->soundCount; i++) {
    WriteString(w, m->soundFolders[i]);
    WriteString(w, m->soundFileNames[i]);
  }
  Wr_I32(w, m->messageCount);
  for (i32 i = 1; i < m->messageCount; i++) WriteString(w, m->messages[i]);
  Wr_I32(w, m->nextPresent);
  WriteString(w, m->nextName);
  return !w->err;
}

void Kzv_Capture(KzvMovie *out) {
  const MovieScene &s = g_MovieScene;
  memset(out, 0, sizeof *out);
  out->version = s.version;
  out->frameCount = s.frameCount;
  out->objectCount = g_Movie.objectCount;
  for (i32 i = 0; i < MOVIE_MAX_OBJECTS; i++) out->objects[i] = g_Movie.objects[i];
  out->bgmPresent = s.bgmPresent;
  memcpy(out->bgmSecondName, s.bgmSecondName, sizeof out->bgmSecondName);
  memcpy(out->bgmFileName, s.bgmFileName, sizeof out->bgmFileName);
  out->soundCount = s.soundCount;
  memcpy(out->soundFolders, s.soundFolders, sizeof out->soundFolders);
  memcpy(out->soundFileNames, s.soundFileNames, sizeof out->soundFileNames);
  out->messageCount = s.messageCount;
  memcpy(out->messages, g_Movie.messages, sizeof out->messages);
  out->nextPresent = s.nextPresent;
  memcpy(out->nextName, s.nextName, sizeof out->nextName);
}

#ifdef _WIN32
static const char kSep = '\\';
#else
static const char kSep = '/';
#endif

// The names a save re-keeps, put back when it fails.
struct KeptNames {
  char objects[MOVIE_MAX_OBJECTS][3][256];
  char sounds[MOVIE_MESSAGE_COUNT][2][256];
  char bgm[256], next[256];
};

// The reference field an actor of `kind` keeps its file in (DOCREF_FIELDS: none).
static DocRefField ActorField(i32 kind) {
  switch (kind) {
    case MOVIE_KIND_IMAGE: return DOCREF_KZV_IMAGE;
    case MOVIE_KIND_OBJ2: return DOCREF_KZV_KZA;
    case MOVIE_KIND_BONE2: return DOCREF_KZV_KZB;
    case MOVIE_KIND_OBJ3: return DOCREF_KZV_KZO;
    case MOVIE_KIND_MODEL3: return DOCREF_KZV_KZP;
    default: return DOCREF_FIELDS;
  }
}
static_assert(sizeof MovieObject::fileName == DocRef_Size(DOCREF_KZV_IMAGE) &&
                  sizeof MovieObject::fileName == DocRef_Size(DOCREF_KZV_KZA) &&
                  sizeof MovieObject::fileName == DocRef_Size(DOCREF_KZV_KZB) &&
                  sizeof MovieObject::fileName == DocRef_Size(DOCREF_KZV_KZO) &&
                  sizeof MovieObject::fileName == DocRef_Size(DOCREF_KZV_KZP) &&
                  sizeof MovieObject::motionFileName == DocRef_Size(DOCREF_KZV_MOTION) &&
                  sizeof MovieScene::soundFileNames[0] == DocRef_Size(DOCREF_KZV_SOUND) &&
                  sizeof MovieScene::bgmFileName == DocRef_Size(DOCREF_KZV_BGM) &&
                  sizeof MovieScene::nextName == DocRef_Size(DOCREF_KZV_NEXT),
              "the movie's reference fields' rows");

// A kept name split into the movie's folder and name pair (256 bytes each); false, with
// neither changed, when a part does not fit or there is no name.
static bool SplitPair(const char *kept, char *folder, char *name) {
  size_t at = File_NameOffset(kept);
  size_t folderLen = at > 0 ? at - 1 : 0;
  if (folderLen >= 256 || strlen(kept + at) >= 256 || !kept[at]) return false;
  Str_Format(folder, 256, "%.*s", (int)folderLen, kept);
  Str_Copy(name, 256, kept + at);
  return true;
}

// A folder and name pair joined, re-kept from the movie's folder for `to`, and split again:
// relative to `to`, or the full path when the relative folder does not fit its half. False,
// with the pair as it was, when neither fits.
static bool RebasePair(const char *to, char *folder, char *name) {
  if (!name[0]) return true;
  char kept[600], was[600], full[1024];
  if (folder[0]) Str_Format(kept, sizeof kept, "%s%c%s", folder, kSep, name);
  else Str_Copy(kept, sizeof kept, name);
  Str_Copy(was, sizeof was, kept);
  const char *bases[] = {g_Lib.dataDir};
  if (!DocRef_Rebase(g_MovieScene.movieFolder, to, kept, sizeof kept, bases, 1)) return false;
  if (SplitPair(kept, folder, name)) return true;
  DocRef_Find(g_MovieScene.movieFolder, was, bases, 1, full, sizeof full);   // or where it was expected
  return DocRef_IsFull(full) && SplitPair(full, folder, name);
}

// Every name the movie keeps, re-kept for the folder `to` (save) or put back from *was. A
// save's answer: the first name that cannot be kept from `to` (joined), or "" when all can.
static void RebaseAll(const char *to, KeptNames *was, bool restore, char *lost, size_t lostSize) {
  MovieScene &s = g_MovieScene;
  const char *bases[] = {g_Lib.dataDir};
  for (i32 n = 0; n < MOVIE_MAX_OBJECTS; n++) {
    MovieObject *o = g_Movie.objects[n];
    if (!o) continue;
    if (restore) {
      Str_Copy(o->folder, sizeof o->folder, was->objects[n][0]);
      Str_Copy(o->fileName, sizeof o->fileName, was->objects[n][1]);
      Str_Copy(o->motionFileName, sizeof o->motionFileName, was->objects[n][2]);
      continue;
    }
    Str_Copy(was->objects[n][0], 256, o->folder);
    Str_Copy(was->objects[n][1], 256, o->fileName);
    Str_Copy(was->objects[n][2], 256, o->motionFileName);
    if (ActorField(o->kind) == DOCREF_FIELDS) continue;
    if (!RebasePair(to, o->folder, o->fileName) && !lost[0])
      Str_Format(lost, lostSize, "%s%s%s", o->folder, o->folder[0] ? (kSep == '/' ? "/" : "\\") : "", o->fileName);
    if (!DocRef_Rebase(g_MovieScene.movieFolder, to, o->motionFileName, DocRef_Size(DOCREF_KZV_MOTION), bases, 1) && !lost[0])
      Str_Copy(lost, lostSize, o->motionFileName);
  }
  for (i32 i = 1; i < MOVIE_MESSAGE_COUNT; i++) {
    if (restore) {
      Str_Copy(s.soundFolders[i], 256, was->sounds[i][0]);
      Str_Copy(s.soundFileNames[i], 256, was->sounds[i][1]);
      continue;
    }
    Str_Copy(was->sounds[i][0], 256, s.soundFolders[i]);
    Str_Copy(was->sounds[i][1], 256, s.soundFileNames[i]);
    if (!RebasePair(to, s.soundFolders[i], s.soundFileNames[i]) && !lost[0])
      Str_Format(lost, lostSize, "%s%s%s", s.soundFolders[i], s.soundFolders[i][0] ? (kSep == '/' ? "/" : "\\") : "",
                 s.soundFileNames[i]);
  }
  if (restore) {
    Str_Copy(s.bgmFileName, sizeof s.bgmFileName, was->bgm);
    Str_Copy(s.nextName, sizeof s.nextName, was->next);
    return;
  }
  Str_Copy(was->bgm, 256, s.bgmFileName);
  Str_Copy(was->next, 256, s.nextName);
  if (!DocRef_Rebase(s.movieFolder, to, s.bgmFileName, DocRef_Size(DOCREF_KZV_BGM), bases, 1) && !lost[0])
    Str_Copy(lost, lostSize, s.bgmFileName);
  if (!DocRef_Rebase(s.movieFolder, to, s.nextName, DocRef_Size(DOCREF_KZV_NEXT), bases, 1) && !lost[0])
    Str_Copy(lost, lostSize, s.nextName);
}

bool Kzv_Write(const char *path) {
  if (!path || !path[0]) {
    Seam_ErrorBox(kMsgNoName);
    return false;
  }
  MovieScene &s = g_MovieScene;
  s.version = g_KzvVersion;
  KzvMovie *m = (KzvMovie *)calloc(1, sizeof(KzvMovie));
  KeptNames *was = (KeptNames *)malloc(sizeof(KeptNames));
  char folder[256], lost[600] = "";
  bool toFolder = was && DocRef_Folder(path, folder, sizeof folder);
  if (toFolder) RebaseAll(folder, was, false, lost, sizeof lost);
  ByteWriter w = {};
  bool ok = false;
  if (m && was && !lost[0]) {
    Kzv_Capture(m);
    ok = Kzv_Encode(m, &w) && File_WriteAtomic(path, w.data, w.size);
  }
  Wr_Free(&w);
  free(m);   // the objects are the movie's own
  if (toFolder && !ok) RebaseAll(folder, was, true, lost, sizeof lost);
  free(was);
  if (!ok) {
    char text[ERR_SIZE];
    if (lost[0]) Str_Format(text, sizeof text, kDocRefMsgSaveTooLong, lost);
    else File_SaveFailureText(path, text, sizeof text);
    Seam_ErrorBox(text);
    return false;
  }
  Str_Copy(s.movieFileName, sizeof s.movieFileName, path);   // the title names it
  if (toFolder) Str_Copy(s.movieFolder, sizeof s.movieFolder, folder);
  return true;
}

// [SECTION] reading into the movie

// The movie in memory becomes m (its objects move over; m keeps none).
static void Adopt(KzvMovie *m) {
  MovieScene &s = g_MovieScene;
  Movie_InitData();
  Movie_FreeObjects();
  for (i32 i = 0; i < m->objectCount; i++) {
    g_Movie.objects[i] = m->objects[i];
    m->objects[i] = nullptr;
    ObjectInit(i);   // each object has its scene object
  }
  g_Movie.objectCount = m->objectCount;
  s.version = m->version;
  s.frameCount = m->frameCount;
  s.bgmPresent = m->bgmPresent;
  memcpy(s.bgmSecondName, m->bgmSecondName, sizeof s.bgmSecondName);
  memcpy(s.bgmFileName, m->bgmFileName, sizeof s.bgmFileName);
  s.soundCount = m->soundCount;
  memcpy(s.soundFolders, m->soundFolders, sizeof s.soundFolders);
  memcpy(s.soundFileNames, m->soundFileNames, sizeof s.soundFileNames);
  s.messageCount = m->messageCount;
  memcpy(g_Movie.messages, m->messages, sizeof g_Movie.messages);
  s.nextPresent = m->nextPresent;
  memcpy(s.nextName, m->nextName, sizeof s.nextName);
  memset(s.prevKeys, 0, sizeof s.prevKeys);
  Movie_MarkChanged();
}

// Reads and parses a file; null with the message shown.
static KzvMovie *LoadFile(const char *path) {
  if (!path || !path[0]) {
    Seam_ErrorBox(kMsgNoName);
    return nullptr;
  }
  FileData f = {};
  if (!File_ReadAll(path, &f)) {
    Box(kKzMsgCannotOpen, path);
    return nullptr;
  }
  char err[ERR_SIZE];
  KzvMovie *m = Kzv_Parse(f.data, f.size, path, err, sizeof err);
  File_Free(&f);
  if (!m) Seam_ErrorBox(err);
  return m;
}

bool Kzv_FindFile(const char *folder, const char *name, char *out, size_t size) {
  char kept[600];
  if (folder[0]) Str_Format(kept, sizeof kept, "%s%c%s", folder, kSep, name);
  else Str_Copy(kept, sizeof kept, name);
  const char *bases[] = {g_Lib.dataDir};
  return DocRef_Find(g_MovieScene.movieFolder, kept, bases, 1, out, size);
}

bool Kzv_KeepFile(const char *file, char *folder, char *name) {
  char kept[600];
  if (DocRef_Keep(g_MovieScene.movieFolder, file, kept, sizeof kept) && SplitPair(kept, folder, name)) return true;
  // The relative folder too long for its half: the full path.
  return DocRef_FullPath(file, kept, sizeof kept) && SplitPair(kept, folder, name);
}

// The names of files found nowhere, said in one message after the movie is read.
struct Missing {
  char text[1024];
  size_t used;
};

static void AddMissing(Missing *miss, const char *folder, const char *name) {
  if (miss->used >= sizeof miss->text) return;
  miss->used += (size_t)Str_Format(miss->text + miss->used, sizeof miss->text - miss->used, "\n%s%s%s", folder,
                                   folder[0] ? (kSep == '/' ? "/" : "\\") : "", name);
}

static void LoadActors(Missing *miss) {
  const MovieScene &s = g_MovieScene;
  bool slotMissingSaid = false;
  char path[768];
  for (i32 n = 0; n < g_Movie.objectCount; n++) {
    MovieObject *o = g_Movie.objects[n];
    FileDlg_ChangeDir(s.movieFolder);
    if (!o || !o->fileName[0]) continue;
    bool noSlot = (o->kind == MOVIE_KIND_OBJ2 && n >= OBJ2_SLOTS) || (o->kind == MOVIE_KIND_BONE2 && n >= BONE2_SLOTS);
    if (noSlot) {
      // Kept and saved with the movie, but there is no slot to show it in.
      if (!slotMissingSaid) Box(kMsgNoSlot, n, o->name);
      slotMissingSaid = true;
      continue;
    }
    bool loads = o->kind == MOVIE_KIND_IMAGE || o->kind == MOVIE_KIND_OBJ2 || o->kind == MOVIE_KIND_BONE2 ||
                 o->kind == MOVIE_KIND_MODEL3;
    bool found = Kzv_FindFile(o->folder, o->fileName, path, sizeof path);
    if (o->kind == MOVIE_KIND_MODEL3) Model3_Init(n);
    if (!loads) continue;   // 3D object sets are kept, not loaded
    if (!found) {
      AddMissing(miss, o->folder, o->fileName);
      // The failed load empties the handle of an earlier movie's image.
      if (o->kind == MOVIE_KIND_IMAGE) Img_Load(&g_MovieImages[n], path);
      continue;
    }
    ModelResult res = {true, ""};
    switch (o->kind) {
      case MOVIE_KIND_IMAGE: Img_Load(&g_MovieImages[n], path); break;
      case MOVIE_KIND_OBJ2: Kza_Read(n, path, &res); break;
      case MOVIE_KIND_BONE2: Kzb_Read(n, path, &res); break;
      default:
        Model3_OpenFile(n, path, &res);
        if (Model3 *m = g_Model3Slots[n]) m->shadowKind = (u32)o->shadowKind;
        break;
    }
    Seam_ShowResult(&res);
  }
}

static void LoadSounds(Missing *miss) {
  const MovieScene &s = g_MovieScene;
  char path[768];
  for (i32 i = 1; i < s.soundCount && i < MOVIE_MESSAGE_COUNT; i++) {
    if (!s.soundFileNames[i][0]) continue;
    // Loaded also when missing: the failed load empties the slot of an earlier movie's sound.
    if (!Kzv_FindFile(s.soundFolders[i], s.soundFileNames[i], path, sizeof path))
      AddMissing(miss, s.soundFolders[i], s.soundFileNames[i]);
    Sound_LoadSlot(i, path);
  }
}

// The files the movie keeps without loading them on open (a 3D object set actor's set, a model
// actor's motion, the music, the next movie), named when found nowhere.
static void CheckKept(Missing *miss) {
  const MovieScene &s = g_MovieScene;
  const char *bases[] = {g_Lib.dataDir};
  char path[768];
  for (i32 n = 0; n < g_Movie.objectCount && n < MOVIE_MAX_OBJECTS; n++) {
    const MovieObject *o = g_Movie.objects[n];
    if (!o) continue;
    if (o->kind == MOVIE_KIND_OBJ3 && o->fileName[0] && !Kzv_FindFile(o->folder, o->fileName, path, sizeof path))
      AddMissing(miss, o->folder, o->fileName);
    if (o->kind == MOVIE_KIND_MODEL3 && o->motionFileName[0] &&
        !DocRef_Find(s.movieFolder, o->motionFileName, bases, 1, path, sizeof path))
      AddMissing(miss, "", o->motionFileName);
  }
  // Where no editor runs the read opens the music at once, and that open names it.
  if (g_EditorMode != 0 && s.bgmPresent == 1 && s.bgmFileName[0] && !DocRef_Find(s.movieFolder, s.bgmFileName, bases, 1, path, sizeof path))
    AddMissing(miss, "", s.bgmFileName);
  if (s.nextPresent == 1 && s.nextName[0] && !DocRef_Find(s.movieFolder, s.nextName, bases, 1, path, sizeof path))
    AddMissing(miss, "", s.nextName);
}

bool Kzv_Read(const char *path) {
  // Parsed first: a file that does not read leaves the movie, its models and its play state.
  KzvMovie *m = LoadFile(path);
  if (!m) return false;
  Adopt(m);
  Kzv_FreeMovie(m);
  MovieScene &s = g_MovieScene;
  g_Movie.loaded = 1;
  if (!DocRef_Folder(path, s.movieFolder, sizeof s.movieFolder)) Str_Copy(s.movieFolder, sizeof s.movieFolder, g_Lib.dataDir);
  Str_Copy(s.movieFileName, sizeof s.movieFileName, path);
  Missing miss = {};
  LoadActors(&miss);
  LoadSounds(&miss);
  CheckKept(&miss);
  if (miss.used) Box("次のファイルが見つかりませんでした。%s", miss.text);
  s.playStart = 0;
  s.playEnd = s.frameCount;
  s.loopFlag = 0;
  g_MovieScene.frame = 0;
  s.frameTime = 0;
  // A host without the editor starts playing at once; the editor keeps a read movie stopped.
  if (g_EditorMode == 0) {
    g_Movie.playState = MOVIE_PLAYING;
    if (s.bgmPresent == 1) Movie_OpenBgm();
  }
  Movie_BuildMotionFrameTables();
  Timer_Reset();
  return true;
}
