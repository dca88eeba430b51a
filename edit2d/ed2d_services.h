// The 2D model editor's object list, as far as the 2D object model relies on it: adding an
// object to the model of a slot. The editor's dialog calls this for its "add" button.
#pragma once
#include "model/types.h"

enum { ED2D_MAX_OBJECTS = 33 };

// Adds an object hanging from the root to the 2D object model of slot s and returns its
// number; with 33 objects already there it shows "これ以上オブジェクトを、追加できません。"
// and returns -1 (also -1 for an empty or unknown slot).
i32 Ed2D_AddObject(i32 s);
