// Movie playback at full capacity. Targets on one core: key search and playback step of 256
// objects of 16 keys under 0.5 ms; a full frame-table build of 254 3D model actors over
// 18,000 frames under 20 ms; the main loop's per-pass refresh of an unchanged movie under 1 us.
#include <benchmark/benchmark.h>

#include "lib/draw/camera.h"
#include "lib/framework/lib.h"
#include "model/model3.h"
#include "scene/movie.h"

namespace {

// A loaded movie of `count` objects: camera, then 3D model actors (each with a model of two
// motions in its slot) and image actors, every one with 16 keys over the 18,000 frames.
void MakeMovie(i32 count) {
  g_MaxPolygons = 64;
  g_MaxVertices = 256;
  Movie_InitData();
  g_Movie.loaded = 1;
  g_MovieScene.frameCount = MOVIE_MAX_FRAMES;
  g_Movie.objectCount = count;
  for (i32 n = 1; n < count; n++) {
    MovieObject *o = Movie_AllocObject(n);
    o->kind = n == 1 ? MOVIE_KIND_CAMERA : (n % 8 == 0 ? MOVIE_KIND_IMAGE : MOVIE_KIND_MODEL3);
    o->keyCount = MOVIE_MAX_KEYS;
    for (i32 k = 0; k < MOVIE_MAX_KEYS; k++) {
      MovieKey &key = o->keys[k];
      key = MovieKey{};
      key.frame = k * 1100 + n % 7;
      key.number = (k / 3) % 2;
      key.shown = 1;
      for (i32 a = 0; a < 3; a++) key.position[a] = (f32)(k * 3 + a + n);
      key.rotation[3] = 1;
      key.scale[0] = key.scale[1] = key.scale[2] = 1;
    }
    if (o->kind == MOVIE_KIND_MODEL3) {
      Model3 *m = Model3_Init(n);
      m->motionCount = 2;
      m->motions[0].length = 60;
      m->motions[1].length = 45;
    }
  }
}

void BM_PlaybackStep(benchmark::State &state) {
  MakeMovie((i32)state.range(0));
  Movie_BuildMotionFrameTables();
  i32 frame = 0;
  for (auto _ : state) {
    g_MovieScene.frame = frame;
    frame = (frame + 997) % MOVIE_MAX_FRAMES;
    Movie_PlaybackStep();
  }
  Lib_ClearAllModels();
  Movie_FreeObjects();
}
BENCHMARK(BM_PlaybackStep)->Arg(64)->Arg(128)->Arg(256)->Unit(benchmark::kMicrosecond);

void BM_BuildFrameTables(benchmark::State &state) {
  MakeMovie((i32)state.range(0) + 2);
  for (auto _ : state) Movie_BuildMotionFrameTables();
  Lib_ClearAllModels();
  Movie_FreeObjects();
}
BENCHMARK(BM_BuildFrameTables)->Arg(64)->Arg(128)->Arg(254)->Unit(benchmark::kMillisecond);

void BM_RefreshUnchanged(benchmark::State &state) {
  MakeMovie((i32)state.range(0));
  Movie_BuildMotionFrameTables();
  for (auto _ : state) Movie_RefreshFrameTables();
  Lib_ClearAllModels();
  Movie_FreeObjects();
}
BENCHMARK(BM_RefreshUnchanged)->Arg(2)->Arg(256)->Unit(benchmark::kNanosecond);

}  // namespace
