// Cells of the 3D family's sub-mode rows, and list fills, whose editors are not built yet.
// Each is a named function that does nothing; the issue that builds an editor removes its
// lines here (ed3d_pending.cpp) and defines the function in its own file.
#pragma once
#include "model/types.h"

