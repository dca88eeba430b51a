// Do-nothing cells of the sub-mode editors not built yet (see ed3d_pending.h).
#include "edit3d/ed3d_pending.h"

