// The hook rows of the scene families (effect 19, 2D map 20, collision 21, movie 22,
// program 23) and the movie editor's calls that the library makes through its hook tables.
#pragma once
#include "app/family.h"

// Installs the rows and the library hooks (at program start).
void Scene_Install(void);
