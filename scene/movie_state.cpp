// Storage of the movie document (movie_state.h).
#include "scene/movie_state.h"

MovieState g_Movie;
