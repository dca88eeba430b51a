// Render mode 4: shader skinning of a model with the "Bone.fx" effect (Windows build only).
#pragma once
#include "lib/render/hlsl.h"

// Draws the model of slot `slot` from its weighted mesh (vertex buffer 0 and the group index
// buffers of its pose record, or its bone batches) with the current world transform. False (nothing drawn)
// without the effect or the render data.
bool Hlsl_DrawBoneModel(i32 slot, Model3 *model);
// Installs g_LibHooks.drawBoneModel (the effect layer's installer calls it).
void Hlsl_InstallBoneHook(void);
