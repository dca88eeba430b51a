// The movie state that the library reads, with its start values, and the least form of
// the scene editors' hooks not built yet (they do nothing). Playback and interpolation are
// in scene/movie.cpp.
#include "scene/movie_services.h"

#include "lib/framework/lib.h"

MovieObject *g_MovieObjects[MOVIE_MAX_OBJECTS];
i32 g_MovieObjectCount;
char g_MovieMessages[MOVIE_MESSAGE_COUNT][256];
u8 g_VideoActive;
u32 g_MovieLoaded;
u32 g_MoviePlayState;
char g_MovieVideoPath[256];

bool Movie_OpenVideoWindow(const char *path, i32 flag) { return false; }
void Movie_CloseVideoWindow(void) { g_VideoActive = 0; }
// The movie editor works in screen pixels, not in the logical 640x480 frame.
void Movie_Enter(void) { g_FrameScaling = 0; }
void Coli_ResolveObjects(void) {}
