// The movie's side of the shell's playback clock: the movie fills the shell's play entries
// when the program starts, so that the shell's tick advances g_MovieFrame with the scene's
// frame time and runs the movie step and end branches.
#include "app/play.h"
#include "scene/movie.h"

static i32 EndFrame(void) { return g_MovieScene.playEnd; }
static i32 End(void) { return Movie_PlaybackEnd(g_MovieScene.chainFlag == 1); }

void Movie_InstallTick(void) {
  PlayEntries &e = g_PlayEntries;
  e.movieFrame = &g_MovieFrame;
  e.movieFraction = &g_MovieScene.frameTime;
  e.movieEndFrame = EndFrame;
  e.movieSnapshotKeys = Movie_SnapshotPrevKeys;
  e.movieStep = Movie_PlaybackStep;
  e.movieEnd = End;
}
