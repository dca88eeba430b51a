// Storage of the movie state the frame render reads (lib/framework/movie_state.h).
#include "lib/framework/movie_state.h"

MovieState g_Movie;
