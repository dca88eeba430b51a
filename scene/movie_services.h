// The scene editors' entry points that the library and the shell reach through their hook
// tables (installed by Scene_Install), and the movie document (movie_state.h).
//
// Owner: the scene editors (scene/).
#pragma once
#include "app/hook_ctx.h"
#include "model/types.h"
#include "scene/movie_state.h"

// Opens the video window on path and starts it; true when it plays.
bool Movie_OpenVideoWindow(const char *path, i32 flag);
void Movie_CloseVideoWindow(void);
// Opens the video window on the movie's BGM where its kept name finds it; a BGM found nowhere
// is said by name and plays nothing.
bool Movie_OpenBgm(void);
// The library's own advance of movie playback: one frame per call while playing, inert while
// the editor hosts the movie (g_EditorMode 1; the shell's tick runs it then). scene/movie.cpp.
void Movie_PlaybackTick(void);
// Writes the pose of object i between keys k and k+1 at fraction t into its pose fields.
void Movie_InterpolateObject(i32 i, i32 k, f32 t);
void Movie_Enter(const HookCtx *c);
