// The colour key the seam's texture load is given for model textures (g_Seam.textureLoad,
// model/seam.h).
#pragma once
#include "model/types.h"

// The colour key of every model texture, whatever file the model came from: opaque black
// texels become transparent.
enum : u32 { SEAM_MODEL_TEXTURE_KEY = 0xFF000000u };
