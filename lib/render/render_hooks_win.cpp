// Connects the frame render and the model drawing to the effect layer (Windows build): the
// shader frame, render mode 4 through the bone effect, and the model draw the effect passes
// call back into.
#include "lib/render/render_hooks_win.h"

#include "lib/draw/drawdev.h"
#include "lib/render/effect.h"
#include "lib/render/hlsl.h"
#include "lib/render/hlsl_bone_win.h"
#include "lib/render/hlsl_frame_win.h"
#include "lib/render/modeldraw.h"
#include "model/math.h"

// Mode 4: the bone effect draws from the slot's own buffers; an object-set part has none.
static bool DrawBoneModel(i32 n, i32 part, Model3 *model) {
  if (part >= 0) return false;
  // The effect's world matrix follows the object's (the device world set by the caller).
  if (Effect *e = Hlsl_PeekEffect(HLSL_FX_BONE)) {
    Mat4 world;
    Mat_Identity(&world);
    if (g_DrawDev.getTransform) g_DrawDev.getTransform(DTS_WORLD, world.f);
    Effect_SetMatrix(e, "g_mWorld", &world);
  }
  Hlsl_DrawBoneModel(n, model);
  return true;
}

void Render_InstallEffectHooks(void) {
  g_RenderHooks.shaderFrame = Hlsl_RenderFrame;
  g_RenderHooks.drawBoneModel = DrawBoneModel;
  g_Hlsl.drawModel = Hlsl_DrawModel;
}
