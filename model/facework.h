// The face-normal work array the library's start-up allocates for the model pass.
// Defined in model/seam.cpp.
#pragma once
#include "model/types.h"

// f32[3] per polygon of capacity, allocated by Lib_AllocWorkBuffers (the library's start-up,
// or a test), which reports failure when it cannot be allocated; null before that.
extern f32 *g_FaceNormalWork;
