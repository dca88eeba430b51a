// The movie's side of the shell's playback clock: the movie fills the shell's play entries
// when the program starts, so that the shell's tick advances g_MovieScene.frame with the scene's
// frame time and runs the movie step and end branches.
#include "app/family.h"
#include "app/play.h"
#include "scene/movie.h"
#include "scene/movie_edit.h"

// True while the movie plays (the shell runs its tick then).
static bool Playing(void) { return g_Movie.playState == MOVIE_PLAYING; }

static i32 EndFrame(void) { return g_MovieScene.playEnd; }

// The end of the play range: the next movie, a loop (frame back to the loop start, the video
// reopened), or the editor's stop (recording ended, run state 6, the frame from before
// playback back).
static i32 End(void) {
  i32 r = Movie_PlaybackEnd(g_MovieScene.chainFlag == 1);
  if (r != MOVIE_END_STOPPED) return r;
  HookCtx c = Family_ShellContext();
  Movie_StopPlayback(c.layout);
  return r;
}

static void RefreshLists(void) {
  HookCtx c = Family_ShellContext();
  Movie_RefreshAllLists(c.sel);
}

void Movie_InstallTick(void) {
  ShellEntries &e = g_ShellEntries;
  e.movieFrame = &g_MovieScene.frame;
  e.movieFraction = &g_MovieScene.frameTime;
  e.movieEndFrame = EndFrame;
  e.movieSnapshotKeys = Movie_SnapshotPrevKeys;
  e.movieStep = Movie_PlaybackStep;
  e.movieEnd = End;
  e.movieRefreshLists = RefreshLists;
  e.movieHoldOnce = &g_MovieEditor.recordHold;
  e.moviePlaying = Playing;
}
