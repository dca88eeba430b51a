// The movie in memory: new movie, key search, interpolation, motion frame tables, playback
// step and ticks, and the key editing commands (see scene/movie.h).
#include "scene/movie.h"

#include <stdlib.h>
#include <string.h>

#include "app/current.h"
#include "app/mainloop.h"
#include "app/entries.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "lib/draw/camera.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/sound.h"
#include "lib/render/modeldraw.h"
#include "lib/render/objects.h"
#include "model/bone2.h"
#include "model/math.h"
#include "model/model3.h"
#include "model/obj2.h"
#include "model/object.h"
#include "lib/media/dialogs.h"
#include "lib/media/filename.h"
#include "model/bytes.h"
#include "model/str.h"
#include "scene/kzv.h"
#include "scene/movie_dlg.h"

const i32 g_KzvVersion = KZV_VERSION;
MovieScene g_MovieScene;
ImageHandle g_MovieImages[MOVIE_MAX_OBJECTS];

// A frame as an index of the 18,000-entry frame table.
static i32 TableIndex(i32 frame) {
  if (frame < 0) return 0;
  return frame >= MOVIE_MAX_FRAMES ? MOVIE_MAX_FRAMES - 1 : frame;
}

// Key count usable for indexing: 1..16 (an object always evaluates one key at least).
static i32 UsableKeys(const MovieObject *o) {
  if (o->keyCount < 1) return 1;
  return o->keyCount > MOVIE_MAX_KEYS ? MOVIE_MAX_KEYS : o->keyCount;
}

i32 Movie_ObjectCount(void) {
  if (g_Movie.objectCount < 0) return 0;
  return g_Movie.objectCount > MOVIE_MAX_OBJECTS ? MOVIE_MAX_OBJECTS : g_Movie.objectCount;
}

MovieObject *Movie_Object(i32 n) {
  if (n < 0 || n >= MOVIE_MAX_OBJECTS) return nullptr;
  return g_Movie.objects[n];
}

MovieObject *Movie_ObjectAtSlot(u32 slot) {
  if ((i32)slot >= Movie_ObjectCount()) return nullptr;
  return Movie_Object((i32)slot);
}

MovieObject *Movie_CurrentObject(void) { return Movie_ObjectAtSlot(g_Sel.g_CurSlot); }

// [SECTION] data

MovieObject *Movie_AllocObject(i32 n) {
  if (n < 0 || n >= MOVIE_MAX_OBJECTS) return nullptr;
  if (!g_Movie.objects[n]) {
    MovieObject *o = (MovieObject *)calloc(1, sizeof(MovieObject));
    if (!o) return nullptr;
    o->keyCount = 5;   // every caller sets the real count
    g_Movie.objects[n] = o;
    ObjectInit(n);
  }
  return g_Movie.objects[n];
}

void Movie_FreeObjects(void) {
  for (i32 n = 0; n < MOVIE_MAX_OBJECTS; n++) {
    free(g_Movie.objects[n]);
    g_Movie.objects[n] = nullptr;
  }
  g_Movie.objectCount = 0;
}

static void InitFixedObject(i32 n, i32 kind) {
  MovieObject *o = g_Movie.objects[n];
  // A record kept from the previous movie starts over.
  memset(o, 0, sizeof *o);
  o->kind = kind;
  o->moveCurve = o->rotationCurve = o->scaleCurve = 1;
  o->keyCount = 1;
  o->keys[0].shown = 1;
}

void Movie_InitData(void) {
  MovieScene &s = g_MovieScene;
  Lib_ClearAllModels();   // also clears g_Movie.loaded and the play state
  s.version = g_KzvVersion;
  Str_Copy(s.movieFolder, sizeof s.movieFolder, g_Lib.dataDir);
  Str_Copy(s.movieFileName, sizeof s.movieFileName, "新規.KZV");
  g_MovieScene.frame = 0;
  s.frameTime = 0;
  s.frameCount = 180;
  s.playStart = 0;
  s.playEnd = 180;
  // Objects past the scene and the camera belong to the old movie.
  for (i32 n = 2; n < MOVIE_MAX_OBJECTS; n++) {
    free(g_Movie.objects[n]);
    g_Movie.objects[n] = nullptr;
  }
  g_Movie.objectCount = 2;
  for (i32 n = 0; n < 2; n++) {
    if (!Movie_AllocObject(n)) {
      g_Movie.objectCount = n;
      break;
    }
    InitFixedObject(n, n == 0 ? MOVIE_KIND_SCENE : MOVIE_KIND_CAMERA);
  }
  if (MovieObject *scene = g_Movie.objects[0]) {
    for (f32 &c : scene->keys[0].color) c = 255.0f;
  }
  if (MovieObject *cam = g_Movie.objects[1]) {
    const f32 eye[3] = {0, 15, -128}, target[3] = {0, 10, -5};
    memcpy(cam->keys[0].position, eye, sizeof eye);
    memcpy(cam->keys[0].target, target, sizeof target);
  }
  s.bgmPresent = 0;
  s.bgmSecondName[0] = s.bgmFileName[0] = 0;
  s.soundCount = 0;
  memset(s.soundFolders, 0, sizeof s.soundFolders);
  memset(s.soundFileNames, 0, sizeof s.soundFileNames);
  s.messageCount = 0;
  memset(g_Movie.messages, 0, sizeof g_Movie.messages);
  s.nextPresent = 0;
  s.nextName[0] = 0;
  if (s.chainFlag == 1) Str_Copy(s.nextName, sizeof s.nextName, s.chainName);
  memset(s.prevKeys, 0, sizeof s.prevKeys);
  Movie_MarkChanged();
  Movie_BuildMotionFrameTables();   // nothing: the tables are not valid in a new movie
}

// [SECTION] key search and interpolation

void Movie_FindKeysOf(MovieObject *o, i32 frame) {
  i32 count = UsableKeys(o);
  i32 cur = -1;
  for (i32 k = 0; k + 1 < count; k++) {
    if (o->keys[k].frame <= frame && frame < o->keys[k + 1].frame) {
      cur = k;
      break;
    }
  }
  // Before key 0 or at or after the last key: the last key's pose.
  if (cur < 0) {
    o->curKey = o->nextKey = count - 1;
    o->fraction = 0;
    return;
  }
  o->curKey = cur;
  o->nextKey = cur + 1;
  f32 d = (f32)o->keys[cur + 1].frame - (f32)o->keys[cur].frame;
  o->fraction = d != 0.0f ? ((f32)frame - (f32)o->keys[cur].frame) / d : 0.0f;
}

void Movie_FindCurrentKeys(void) {
  i32 count = Movie_ObjectCount();
  for (i32 n = 0; n < count; n++)
    if (MovieObject *o = g_Movie.objects[n]) Movie_FindKeysOf(o, g_MovieScene.frame);
}

// The 20 channels of a key in pose order.
static void KeyChannels(const MovieKey *k, f32 c[MOVIE_POSE_COUNT]) {
  memcpy(c + MOVIE_POSE_POSITION, k->position, sizeof k->position);
  memcpy(c + MOVIE_POSE_TARGET, k->target, sizeof k->target);
  memcpy(c + MOVIE_POSE_ANGLES, k->angles, sizeof k->angles);
  memcpy(c + MOVIE_POSE_ROTATION, k->rotation, sizeof k->rotation);
  memcpy(c + MOVIE_POSE_SCALE, k->scale, sizeof k->scale);
  memcpy(c + MOVIE_POSE_COLOR, k->color, sizeof k->color);
}

void Movie_InterpolateObject(i32 i, i32 k, f32 t) {
  MovieObject *o = Movie_Object(i);
  if (!o) return;
  i32 n = UsableKeys(o);
  if (k < 0) k = 0;
  if (k > n - 1) k = n - 1;
  // Neighbours clamped at both ends (a movie does not wrap like a model motion).
  i32 idx[4] = {k > 0 ? k - 1 : 0, k, k + 1 < n ? k + 1 : n - 1, k + 2 < n ? k + 2 : n - 1};
  f32 c[4][MOVIE_POSE_COUNT];
  for (i32 j = 0; j < 4; j++) KeyChannels(&o->keys[idx[j]], c[j]);
  // A channel follows the curve unless its setting is a straight line (0): position and target
  // by the move setting, angles and rotation by the rotation setting, scale by the scale
  // setting; colour always follows the curve.
  for (i32 ch = 0; ch < MOVIE_POSE_COUNT; ch++) {
    i32 curve = ch < MOVIE_POSE_ANGLES ? o->moveCurve : ch < MOVIE_POSE_SCALE ? o->rotationCurve
              : ch < MOVIE_POSE_COLOR ? o->scaleCurve : 1;
    o->pose[ch] = curve == 0 ? c[1][ch] + (c[2][ch] - c[1][ch]) * t
                             : Motion_HermiteCatmullRom(c[0][ch], c[1][ch], c[2][ch], c[3][ch], t);
  }
  f32 *r = o->pose + MOVIE_POSE_ROTATION;
  Quat q = {r[0], r[1], r[2], r[3]};
  Quat_Normalize(&q);
  r[0] = q.x; r[1] = q.y; r[2] = q.z; r[3] = q.w;
}

// [SECTION] motion frame tables

// Frames after which the counter of object n's motion `number` wraps; -1 when it never wraps
// (no model in the slot, or a number outside the model's motions).
static i32 WrapLength(const MovieObject *o, i32 n, i32 number) {
  if (number < 0) return -1;
  switch (o->kind) {
    case MOVIE_KIND_OBJ2: {
      if (n >= OBJ2_SLOTS || !g_Obj2SlotShown[n] || !g_Obj2Slots[n]) return -1;
      const Obj2Model *m = g_Obj2Slots[n];
      return number < m->motionCount && number < OBJ2_MAX_MOTIONS ? m->motions[number].length : -1;
    }
    case MOVIE_KIND_BONE2: {
      if (n >= BONE2_SLOTS || !g_Bone2SlotShown[n] || !g_Bone2Slots[n]) return -1;
      const Bone2Model *m = g_Bone2Slots[n];
      return number < m->motionCount && number < BONE2_MAX_MOTIONS ? m->motions[number].length : -1;
    }
    case MOVIE_KIND_MODEL3: {
      const Model3 *m = g_Model3Slots[n];
      if (!m) return -1;
      return number < m->motionCount && number < MODEL3_MOTIONS ? m->motions[number].length : -1;
    }
    default: return -1;
  }
}

// The key that governs frame f: the first k with frame(k) <= f < end(k); end(k) is the next
// key's frame, or 18000 when that is not greater; key 0 when none matches.
static i32 KeyOfFrame(const MovieObject *o, i32 count, i32 f) {
  for (i32 k = 0; k < count; k++) {
    i32 end = (k + 1 < count && o->keys[k + 1].frame > o->keys[k].frame) ? o->keys[k + 1].frame : MOVIE_MAX_FRAMES;
    if (o->keys[k].frame <= f && f < end) return k;
  }
  return 0;
}

static void SortInts(i32 *v, i32 n) {
  for (i32 i = 1; i < n; i++) {
    i32 x = v[i], j = i;
    for (; j > 0 && v[j - 1] > x; j--) v[j] = v[j - 1];
    v[j] = x;
  }
}

static void BuildTableOf(MovieObject *o, i32 n, i32 frameCount) {
  i32 count = UsableKeys(o);
  // The governing key only changes where a key starts or ends: walk those segments.
  i32 cuts[2 * MOVIE_MAX_KEYS + 2], nc = 0;
  cuts[nc++] = 0;
  cuts[nc++] = frameCount;
  for (i32 k = 0; k < count; k++) {
    i32 a = o->keys[k].frame;
    i32 b = (k + 1 < count && o->keys[k + 1].frame > a) ? o->keys[k + 1].frame : MOVIE_MAX_FRAMES;
    if (a > 0 && a < frameCount) cuts[nc++] = a;
    if (b > 0 && b < frameCount) cuts[nc++] = b;
  }
  SortInts(cuts, nc);
  o->frameTableStart = 0;
  i32 running = o->keys[0].number, counter = 0;
  i32 length = WrapLength(o, n, running);
  for (i32 c = 0; c + 1 < nc; c++) {
    i32 a = cuts[c], b = cuts[c + 1];
    if (a == b) continue;
    i32 number = o->keys[KeyOfFrame(o, count, a)].number;
    if (number != running) {
      running = number;
      counter = 0;
      length = WrapLength(o, n, running);
    }
    i32 *table = o->frameTable;
    if (length < 0) {
      for (i32 f = a; f < b; f++) table[f] = counter++;
    } else {
      for (i32 f = a; f < b; f++) {
        table[f] = counter++;
        if (counter >= length) counter = 0;
      }
    }
  }
}

void Movie_BuildMotionFrameTables(void) {
  g_MovieScene.tablesStale = 0;
  if (g_Movie.loaded != 1 || Movie_ObjectCount() < 1) return;
  i32 frames = g_MovieScene.frameCount;
  if (frames < 0) frames = 0;
  if (frames > MOVIE_MAX_FRAMES) frames = MOVIE_MAX_FRAMES;
  for (i32 n = 0; n < Movie_ObjectCount(); n++) {
    MovieObject *o = g_Movie.objects[n];
    if (!o) continue;
    // 2D object actors read their frame from the table as well, so they get one.
    if (o->kind == MOVIE_KIND_OBJ2 || o->kind == MOVIE_KIND_BONE2 || o->kind == MOVIE_KIND_MODEL3)
      BuildTableOf(o, n, frames);
  }
}

void Movie_MarkChanged(void) { g_MovieScene.tablesStale = 1; }

void Movie_RefreshFrameTables(void) {
  if (g_MovieScene.tablesStale) Movie_BuildMotionFrameTables();
}

// [SECTION] playback

static void StepSound(i32 n, const MovieObject *o) {
  if (g_Movie.playState != MOVIE_PLAYING) return;
  if (g_MovieScene.frame == 1 && o->keys[0].frame == 0) Sound_PlaySlot(o->keys[0].number);
  if (o->curKey != g_MovieScene.prevKeys[n]) Sound_PlaySlot(o->keys[o->curKey].number);
}

static void StepObj2(i32 n, MovieObject *o, i32 frameIndex) {
  if (n >= OBJ2_SLOTS || !g_Obj2SlotShown[n] || !g_Obj2Slots[n]) return;
  Obj2Model *m = g_Obj2Slots[n];
  m->currentFrame = o->frameTable[frameIndex];
  Movie_InterpolateObject(n, o->curKey, o->fraction);
  Obj2_SetPosition(m, o->pose[MOVIE_POSE_POSITION], o->pose[MOVIE_POSE_POSITION + 1]);
}

static void StepBone2(i32 n, MovieObject *o, i32 frameIndex) {
  if (n >= BONE2_SLOTS || !g_Bone2SlotShown[n] || !g_Bone2Slots[n]) return;
  Bone2Model *m = g_Bone2Slots[n];
  m->currentFrame = o->frameTable[frameIndex];
  Movie_InterpolateObject(n, o->curKey, o->fraction);
  const f32 *p = o->pose;
  Bone2_SetPosition(m, p[MOVIE_POSE_POSITION], p[MOVIE_POSE_POSITION + 1]);
  Bone2_SetAngle(m, p[MOVIE_POSE_ANGLES + 2]);
  Bone2_SetScale(m, p[MOVIE_POSE_SCALE], p[MOVIE_POSE_SCALE + 1]);
}

static void StepModel3(i32 n, MovieObject *o, i32 frameIndex) {
  Model3 *m = g_Model3Slots[n];
  if (!m) return;
  m->frame = o->frameTable[frameIndex];
  const MovieKey &key = o->keys[o->curKey];
  if (m->motion != key.number) Model3_SetMotion(m, key.number);   // refuses numbers outside the model
  Movie_InterpolateObject(n, o->curKey, o->fraction);
  m->shown = key.shown;
  KZL::OBJECT *obj = Object_Get(n);
  const f32 *p = o->pose;
  Object_SetPosition(obj, p[MOVIE_POSE_POSITION], p[MOVIE_POSE_POSITION + 1], p[MOVIE_POSE_POSITION + 2]);
  Object_SetQuaternion(obj, p[MOVIE_POSE_ROTATION], p[MOVIE_POSE_ROTATION + 1], p[MOVIE_POSE_ROTATION + 2],
                       p[MOVIE_POSE_ROTATION + 3]);
  Object_SetScale(obj, p[MOVIE_POSE_SCALE], p[MOVIE_POSE_SCALE + 1], p[MOVIE_POSE_SCALE + 2]);
}

void Movie_PlaybackStep(void) {
  Movie_FindCurrentKeys();
  i32 frameIndex = TableIndex(g_MovieScene.frame);
  i32 count = Movie_ObjectCount();
  for (i32 n = 0; n < count; n++) {
    MovieObject *o = g_Movie.objects[n];
    if (!o) continue;
    switch (o->kind) {
      case MOVIE_KIND_SOUND: StepSound(n, o); break;
      case MOVIE_KIND_OBJ2: StepObj2(n, o, frameIndex); break;
      case MOVIE_KIND_BONE2: StepBone2(n, o, frameIndex); break;
      case MOVIE_KIND_MODEL3: StepModel3(n, o, frameIndex); break;
      case MOVIE_KIND_CAMERA:
        // The main loop places the views' cameras from this object's pose.
        g_Shell.g_MovieCameraObject = n;
        Movie_InterpolateObject(n, o->curKey, o->fraction);
        break;
      default: break;
    }
  }
}

void Movie_SnapshotPrevKeys(void) {
  i32 count = Movie_ObjectCount();
  for (i32 n = 0; n < count; n++)
    if (const MovieObject *o = g_Movie.objects[n]) g_MovieScene.prevKeys[n] = o->curKey;
}

i32 Movie_PlaybackEnd(bool chain) {
  MovieScene &s = g_MovieScene;
  if (chain && s.nextName[0]) {
    Str_Copy(s.chainName, sizeof s.chainName, s.nextName);
    // The kept name is found from this movie's folder; the next movie's own folder becomes
    // current, as an open from the File menu makes it, so that its references resolve there.
    char next[FILEDLG_TEXT];
    MovieDlg_FindKeptPath(s.nextName, next, sizeof next);   // one found nowhere: the read names it
    size_t at = File_NameOffset(next);
    if (at > 0) {
      char folder[FILEDLG_TEXT];
      Str_Format(folder, sizeof folder, "%.*s", (int)at, next);
      FileDlg_ChangeDir(folder);
    }
    // This movie's BGM ends with it; the next one's starts with the next movie.
    Movie_CloseVideoWindow();
    if (Kzv_Read(next)) {
      g_Movie.playState = MOVIE_PLAYING;
      g_MovieScene.frame = 0;
      // The reader opens it itself where no editor runs.
      if (s.bgmPresent == 1 && g_EditorMode != 0) Movie_OpenBgm();
      return MOVIE_END_CHAINED;
    }
    // The next movie did not read: this one stays, stopped.
    g_Movie.playState = MOVIE_FINISHED;
    return MOVIE_END_STOPPED;
  }
  if (s.loopFlag && g_Lib.runState == LIB_RUN_MOVIE_PLAYBACK) {
    g_MovieScene.frame = s.playStart;
    if (s.bgmPresent == 1) Movie_OpenBgm();
    return MOVIE_END_LOOPED;
  }
  g_Movie.playState = MOVIE_FINISHED;
  return MOVIE_END_STOPPED;
}

void Movie_PlaybackTick(void) {
  // The editor runs playback from the shell's tick; this one serves a host without it.
  if (g_Movie.playState != MOVIE_PLAYING || g_EditorMode != 0) return;
  Movie_SnapshotPrevKeys();
  g_MovieScene.frame++;
  if (g_MovieScene.frame < g_MovieScene.playEnd) Movie_PlaybackStep();
  else Movie_PlaybackEnd(g_MovieScene.nextPresent == 1);
}

// [SECTION] key editing

// Index of the key at frame f, or -1.
static i32 KeyAt(const MovieObject *o, i32 f) {
  i32 count = o->keyCount > MOVIE_MAX_KEYS ? MOVIE_MAX_KEYS : o->keyCount;
  for (i32 k = 0; k < count; k++)
    if (o->keys[k].frame == f) return k;
  return -1;
}

bool Movie_EnsureKeyAtFrame(void) { return Movie_EnsureKeyOf(Movie_CurrentObject()); }

bool Movie_EnsureKeyOf(MovieObject *o) {
  if (!o) return false;
  if (KeyAt(o, g_MovieScene.frame) >= 0) return true;
  i32 count = o->keyCount < 0 ? 0 : o->keyCount;
  if (count >= MOVIE_MAX_KEYS) return false;   // a 17th key has no room
  i32 i = 0;
  while (i < count && o->keys[i].frame < g_MovieScene.frame) i++;
  memmove(&o->keys[i + 1], &o->keys[i], (size_t)(count - i) * sizeof(MovieKey));
  // Key i keeps its number (the moved-up key's); the rest comes from the evaluated pose.
  MovieKey &k = o->keys[i];
  k.frame = g_MovieScene.frame;
  k.shown = 1;
  const f32 *p = o->pose;
  memcpy(k.position, p + MOVIE_POSE_POSITION, sizeof k.position);
  memcpy(k.target, p + MOVIE_POSE_TARGET, sizeof k.target);
  memcpy(k.angles, p + MOVIE_POSE_ANGLES, sizeof k.angles);
  memcpy(k.rotation, p + MOVIE_POSE_ROTATION, sizeof k.rotation);
  memcpy(k.scale, p + MOVIE_POSE_SCALE, sizeof k.scale);
  memcpy(k.color, p + MOVIE_POSE_COLOR, sizeof k.color);
  o->keyCount = count + 1;
  Movie_MarkChanged();
  return true;
}

bool Movie_DeleteKeyAtFrame(void) {
  MovieObject *o = Movie_CurrentObject();
  if (!o || g_MovieScene.frame == 0 || o->keyCount <= 1) return false;   // an object keeps one key
  i32 i = KeyAt(o, g_MovieScene.frame);
  if (i < 0) return false;
  i32 count = o->keyCount > MOVIE_MAX_KEYS ? MOVIE_MAX_KEYS : o->keyCount;
  memmove(&o->keys[i], &o->keys[i + 1], (size_t)(count - i - 1) * sizeof(MovieKey));
  o->keyCount = count - 1;
  Movie_MarkChanged();
  return true;
}

void Movie_CopyKey(void) {
  MovieObject *o = Movie_CurrentObject();
  if (!o) return;
  i32 k = o->curKey;
  if (k < 0 || k >= UsableKeys(o)) k = 0;
  g_MovieScene.keyClipboard = o->keys[k];
}

bool Movie_PasteKey(void) {
  MovieObject *o = Movie_CurrentObject();
  if (!o || !Movie_EnsureKeyOf(o)) return false;
  Movie_FindCurrentKeys();
  // Only ever the key at the current frame, never a neighbour.
  i32 k = KeyAt(o, g_MovieScene.frame);
  if (k < 0) return false;
  o->keys[k] = g_MovieScene.keyClipboard;
  o->keys[k].frame = g_MovieScene.frame;
  Movie_MarkChanged();
  return true;
}

i32 Movie_PrevKeyFrame(i32 f) { return Movie_PrevKeyFrameOf(Movie_CurrentObject(), f); }
i32 Movie_NextKeyFrame(i32 f) { return Movie_NextKeyFrameOf(Movie_CurrentObject(), f); }

i32 Movie_PrevKeyFrameOf(const MovieObject *o, i32 f) {
  i32 best = 0;
  if (!o) return best;
  i32 count = o->keyCount > MOVIE_MAX_KEYS ? MOVIE_MAX_KEYS : o->keyCount;
  for (i32 k = 0; k < count; k++)
    if (o->keys[k].frame < f && o->keys[k].frame > best) best = o->keys[k].frame;
  return best;
}

i32 Movie_NextKeyFrameOf(const MovieObject *o, i32 f) {
  if (!o) return f;
  i32 count = o->keyCount > MOVIE_MAX_KEYS ? MOVIE_MAX_KEYS : o->keyCount;
  i32 best = f;
  bool found = false;
  for (i32 k = 0; k < count; k++) {
    i32 kf = o->keys[k].frame;
    if (kf > f && (!found || kf < best)) { best = kf; found = true; }
  }
  return best;
}

// [SECTION] hooks

static bool MovieHasData(void) { return g_Movie.objectCount > 0; }
static const char *MovieFileName(void) { return g_MovieScene.movieFileName; }

void Movie_InstallHooks(void) {
  Movie_InstallStage();
  g_ShellSeam.buildMovieFrameTables = Movie_RefreshFrameTables;
  DocFileEntries &f = g_ShellEntries.movie;
  f.read = Kzv_Read;
  f.write = Kzv_Write;
  f.hasData = MovieHasData;
  f.fileName = MovieFileName;
}
