// Storage of the movie state the frame render reads (lib/framework/movie_state.h).
#include "lib/framework/movie_state.h"

MovieObject *g_MovieObjects[MOVIE_MAX_OBJECTS];
i32 g_MovieObjectCount;
char g_MovieMessages[MOVIE_MESSAGE_COUNT][256];
u8 g_VideoActive;
u32 g_MovieLoaded;
u32 g_MoviePlayState;
char g_MovieVideoPath[256];
