// Connects the frame render and the model drawing to the effect layer (Windows build): the
// shader frame and the model draw the effect passes call back into (render mode 4's hook is
// installed with the effect layer, Hlsl_Install).
#include "lib/render/render_hooks_win.h"

#include "lib/draw/drawdev.h"
#include "lib/render/effect.h"
#include "lib/render/hlsl.h"
#include "lib/render/hlsl_bone_win.h"
#include "lib/render/hlsl_frame_win.h"
#include "lib/render/modeldraw.h"
#include "model/math.h"

void Render_InstallEffectHooks(void) {
  g_LibHooks.shaderFrame = Hlsl_RenderFrame;
  g_Hlsl.drawModel = Hlsl_DrawModel;
}
