// Connects the framework to the library facilities it calls but does not own (frame
// render, screen text, primitives, tessellation, sound, AVI capture). Each owner adds the
// line for its function here; an entry left empty is skipped by the framework.
#include "lib/framework/lib.h"
#include "lib/media/avi.h"
#include "lib/media/music.h"
#include "lib/media/sound.h"

#include "lib/draw/drawdev_win.h"
#include "lib/draw/pn.h"
#include "lib/draw/target.h"
#include "lib/draw/text.h"
#include "lib/draw/texture.h"
#include "lib/render/effect_win.h"
#include "lib/render/objects.h"
#include "model/model3.h"
#include "lib/render/rdev.h"
#include "lib/render/frame.h"
#include "model/bone2.h"
#include "model/kzo.h"
#include "model/obj2.h"
#include "lib/render/rebuild.h"
#include "lib/render/render_hooks_win.h"
#include "lib/render/devobjects.h"

// Before a device reset: the text font and the shader passes' resources.
static void ReleaseDrawingBeforeReset(void) {
  Text_ReleaseFont();
  Draw_ReleaseShaderTargets();
}

static void RecreateRenderTargets(void) {
  Draw_CreateAllTargets();
  Draw_FlagTargetForClear(0);
}

void Lib_InstallHooks(void) {
  // Drawing, textures, log window and file dialogs (reads g_Device at each call).
  Draw_Install();
  // Effect slots on g_Device; their release runs with every shader-target release.
  Hlsl_Install();
  g_LibHooks.createTextFont = Text_CreateFont;
  g_LibHooks.rebuildScreenQuad = Draw_FillScreenQuad;
  g_LibHooks.releaseBeforeReset = ReleaseDrawingBeforeReset;
  g_LibHooks.releaseRenderTargets = Draw_ReleaseAllTargets;
  g_LibHooks.recreateRenderTargets = RecreateRenderTargets;
  g_LibHooks.loadToonTexture = Draw_LoadToonTexture;
  g_LibHooks.deviceObjectsLost = DevObjects_Lost;
  g_LibHooks.deviceObjectsReload = DevObjects_Reload;
  // Vertex buffer locks of the per-frame model pass (render modes 1 and 2).
  Object_InstallDeviceHooks();
  // Opening a model file builds the rest matrices of every slot.
  g_Seam.buildRestMatrices = Model3_BuildRestMatrices;
  // Sound effects and the music performance (failures leave the program silent).
  g_LibHooks.startMusic = [] { Music_Init(); };
  g_LibHooks.startSound = Sound_Init;
  g_LibHooks.captureAviFrame = Avi_CaptureFrame;
  // Model render data and frame render: buffers, scene, light on g_Device.
  Render_InstallDevice();
  Render_InstallPassHooks();
  g_LibHooks.renderFrame = Lib_RenderFrame;
  Render_InstallEffectHooks();
  g_LibHooks.buildTessTables = [] { Pn_InitTables(); };
}
