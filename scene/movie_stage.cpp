// The movie stage: the movie's part of each view's frame request (background-only main view,
// the image actors, the message lines, the outline of the rendered picture) and what the
// shell shows of the movie through g_ShellEntries (play state, camera actor, key strip rows).
#include "scene/movie.h"

#include <stddef.h>
#include <string.h>

#include "app/entries.h"
#include "lib/draw/draw.h"
#include "lib/draw/image.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model/math.h"

// Places in the movie's view layout: the main view and the Pers view that renders the picture.
enum { STAGE_MAIN_VIEW = 0, STAGE_PERS_VIEW = 4 };

// [SECTION] images

static const ImageHandle *MovieImage(i32 i) {
  if (i < 0 || i >= MOVIE_MAX_OBJECTS) return nullptr;
  const ImageHandle *h = &g_MovieImages[i];
  return h->loaded && h->row >= 0 ? h : nullptr;
}

static i32 ClampByte(f32 v) {
  if (!(v > 0.0f)) return 0;
  return v >= 255.0f ? 255 : (i32)v;
}

// Every shown image actor as a 2D quad at its pose (screen coordinates of the 640x480 picture,
// centred in the back buffer with view windows).
static void DrawImages(void) {
  for (i32 i = 0; i < g_Movie.objectCount && i < MOVIE_MAX_OBJECTS; ++i) {
    MovieObject *o = g_Movie.objects[i];
    if (!o || o->kind != MOVIE_KIND_IMAGE || o->curKey < 0 || o->curKey >= MOVIE_MAX_KEYS) continue;
    if (!o->keys[o->curKey].shown) continue;
    Movie_InterpolateObject(i, o->curKey, o->fraction);
    const f32 *p = o->pose;
    Mat4 m;
    Mat_ComposeSRTEuler(&m, p[MOVIE_POSE_POSITION], p[MOVIE_POSE_POSITION + 1], 0, 0, 0, -p[MOVIE_POSE_ANGLES + 2],
                        p[MOVIE_POSE_SCALE], p[MOVIE_POSE_SCALE + 1], 0);
    const ImageHandle *h = MovieImage(i);
    ImageRow *row = h ? Img_GetRow(h) : nullptr;
    if (!o->fileName[0] || !row) continue;
    f32 w = row->width * 0.5f, hh = row->height * 0.5f;
    const f32 cx[4] = {-w, w, w, -w}, cy[4] = {-hh, -hh, hh, hh};
    const f32 tu[4] = {0.01f, 0.99f, 0.99f, 0.01f}, tv[4] = {0.01f, 0.01f, 0.99f, 0.99f};
    f32 sx = g_Lib.viewWindowMode ? (f32)(g_Lib.screenWidth - 640) * 0.5f : 0, sy = g_Lib.viewWindowMode ? (f32)(g_Lib.screenHeight - 480) * 0.5f : 0;
    Vert2D v[4];
    for (i32 k = 0; k < 4; ++k) {
      f32 q[3];
      Mat_TransformPoint(q, cx[k], cy[k], 0, m);
      v[k] = Vert2D{(i32)(q[0] + sx), (i32)(q[1] + sy), ClampByte(p[MOVIE_POSE_COLOR]), ClampByte(p[MOVIE_POSE_COLOR + 1]),
                    ClampByte(p[MOVIE_POSE_COLOR + 2]), ClampByte(p[MOVIE_POSE_COLOR + 3]), tu[k], tv[k]};
    }
    Img_Bind(h->row);
    Draw_Quad2DCorners(v);
  }
}

// [SECTION] frame request

// The current message of actor i, or null when i is no message actor.
static const char *MessageLine(i32 i) {
  if (i < 0 || i >= Movie_ObjectCount()) return nullptr;
  const MovieObject *o = g_Movie.objects[i];
  if (!o || o->kind != MOVIE_KIND_MESSAGE) return nullptr;
  if (o->curKey < 0 || o->curKey >= MOVIE_MAX_KEYS) return nullptr;
  i32 msg = o->keys[o->curKey].number;
  if (msg < 0 || msg >= MOVIE_MESSAGE_COUNT) return nullptr;   // a bad index draws nothing
  return g_Movie.messages[msg];
}

static void StageRequest(FrameRequest *out) {
  // The message lines show on the stage and, once a movie was read, wherever it plays.
  if (out->movieStage || g_Movie.loaded != 0) {
    out->messageLines = Movie_ObjectCount();
    out->messageLine = MessageLine;
  }
  if (!out->movieStage) return;
  u32 kind = out->view ? out->view->kind : (u32)VIEW_MAIN;
  // The main view shows only the background; the Pers view renders the picture, outlined
  // with view windows, and the screen text waits for its frame.
  out->backgroundOnly = kind == VIEW_MAIN;
  out->outlineCentred = kind == VIEW_PERS;
  out->textWaits = kind != VIEW_PERS;
  if (out->viewIndex == STAGE_MAIN_VIEW || out->viewIndex == STAGE_PERS_VIEW) out->drawImages = DrawImages;
}

// [SECTION] shell entries

static bool CameraOf(i32 index, f32 eye[3], f32 target[3]) {
  const MovieObject *o = Movie_Object(index);
  if (!o || index >= g_Movie.objectCount || o->kind != MOVIE_KIND_CAMERA) return false;
  for (int a = 0; a < 3; a++) {
    eye[a] = o->pose[MOVIE_POSE_POSITION + a];
    target[a] = o->pose[MOVIE_POSE_TARGET + a];
  }
  return true;
}

static bool ActorRow(i32 i, MovieActorRow *out) {
  const MovieObject *o = Movie_Object(i);
  if (!o) return false;
  static_assert(sizeof out->name == sizeof o->name + 1, "a row holds a whole actor name");
  memcpy(out->name, o->name, sizeof o->name);
  out->name[sizeof o->name] = 0;
  out->kind = o->kind;
  out->keyCount = o->keyCount < 0 ? 0 : o->keyCount > MOVIE_MAX_KEYS ? MOVIE_MAX_KEYS : o->keyCount;
  static_assert(offsetof(MovieKey, frame) == 0, "the strip reads a key's frame at its start");
  out->keys = o->keys;
  out->keyStride = sizeof o->keys[0];
  return true;
}

// Lib_ClearAllModels freed every model: the movie is no longer loaded nor playing.
static void ModelsCleared(void) {
  g_Movie.loaded = 0;
  g_Movie.playState = MOVIE_STOPPED;
}

void Movie_InstallStage(void) {
  g_LibHooks.modelsCleared = ModelsCleared;
  for (ImageHandle &h : g_MovieImages)
    if (!h.loaded) h.row = -1;
  ShellEntries &e = g_ShellEntries;
  e.movieFrameRequest = StageRequest;
  e.movieCamera = CameraOf;
  e.movieActorCount = Movie_ObjectCount;
  e.movieActor = ActorRow;
}
