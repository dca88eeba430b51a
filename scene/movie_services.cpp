// The least form of the scene editors' hooks (they do nothing until the editors exist).
// Playback and interpolation are in scene/movie.cpp.
#include "scene/movie_services.h"

#include "lib/framework/lib.h"

bool Movie_OpenVideoWindow(const char *path, i32 flag) { return false; }
void Movie_CloseVideoWindow(void) { g_VideoActive = 0; }
// The movie editor works in screen pixels, not in the logical 640x480 frame.
void Movie_Enter(void) { g_FrameScaling = 0; }
