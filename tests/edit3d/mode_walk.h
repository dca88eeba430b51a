// The 3D editor's mode buttons in the order the panel tests press them: polygon, texture,
// bone, weight, motion, object and polygon again (sub-modes 14 15 16 17 18 12 14).
#pragma once
#include "model/types.h"
#include "resources/edit3d_ids.h"

inline const u32 kModeWalk[] = {IDC_M3D_POLY,   IDC_M3D_TEXTURE, IDC_M3D_BONE, IDC_M3D_WEIGHT,
                                IDC_M3D_MOTION, IDC_M3D_OBJECT,  IDC_M3D_POLY};
