// Render targets, the full-screen quad and the stencil shadow-volume passes.
#include "lib/draw/target.h"

#include "lib/draw/drawdev.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "model/object.h"

TargetState g_Target;


// [SECTION] Render targets

void Draw_FlagTargetForClear(i32 i) {
  if (i >= 0 && i < RENDER_TARGETS) g_Target.slots[i].clearFlag = 1;
}

void Draw_ReleaseTarget(i32 i) {
  if (i < 0 || i >= RENDER_TARGETS) return;
  RenderTargetSlot &t = g_Target.slots[i];
  DrawDev_Release(t.surface);
  DrawDev_Release(t.texture);
  t.surface = nullptr;
  t.texture = nullptr;
}

void Draw_CreateTarget(i32 i) {
  if (i < 0 || i >= RENDER_TARGETS || !DrawDev_Ready() || !g_Dev.draw.createTargetTexture) return;
  Draw_ReleaseTarget(i);
  RenderTargetSlot &t = g_Target.slots[i];
  if (t.width == 0 || t.height == 0) return;
  void *surface = nullptr;
  t.texture = g_Dev.draw.createTargetTexture(t.width, t.height, &surface);
  t.state = 0;
  t.surface = t.texture ? surface : nullptr;
}

void Draw_CreateAllTargets(void) {
  for (i32 i = 0; i < RENDER_TARGETS; i++) Draw_CreateTarget(i);
}

void Draw_ReleaseAllTargets(void) {
  for (i32 i = 0; i < RENDER_TARGETS; i++) Draw_ReleaseTarget(i);
}

void Draw_AddReleaseHook(void (*release)(void)) {
  for (auto &h : g_Target.releaseHooks) {
    if (h == release) return;
    if (!h) {
      h = release;
      return;
    }
  }
}

void Draw_ReleaseShaderTargets(void) {
  for (auto h : g_Target.releaseHooks)
    if (h) h();
}

// [SECTION] Full-screen quad and stencil shadows

void Draw_FillScreenQuad(void) {
  const LibFlags &f = g_Lib.flags;
  u32 color = (u32)(i32)(f.alpha * 255.0f) << 24 | (u32)(i32)(f.r * 255.0f) << 16 |
              (u32)(i32)(f.g * 255.0f) << 8 | (u32)(i32)(f.b * 255.0f);
  f32 w = (f32)g_Lib.screenWidth, h = (f32)g_Lib.screenHeight;
  const f32 xy[4][2] = {{0, h}, {0, 0}, {w, h}, {w, 0}};
  for (int i = 0; i < 4; i++) g_Target.screenQuad[i] = {xy[i][0], xy[i][1], 0.0f, 1.0f, color};
}

void Shadow_AddEdge(u16 *edges, i32 *count, u16 a, u16 b) {
  edges[*count * 2] = a;
  edges[*count * 2 + 1] = b;
  (*count)++;
}

void Shadow_DrawVolumes(void) {
  for (i32 i = 0; i < SHADOW_VOLUME_OBJECTS; i++) {
    const ShadowVolume &v = g_Target.shadowVolumes[i];
    const ObjectSideRecord *side = g_ObjectSideRecords[i];
    if (v.count < 3 || !v.positions || !side) continue;
    if (g_Dev.draw.setTransform) g_Dev.draw.setTransform(DTS_WORLD, side->world.f);
    DrawDev_DrawUP(DFVF_XYZ, DPT_TRIANGLELIST, (u32)(v.count / 3), v.positions, 12);
  }
}

void Shadow_StencilVolumePass(void) {
  DrawDev_SetRenderState(DRS_ZWRITEENABLE, 0);
  DrawDev_SetRenderState(DRS_STENCILENABLE, 1);
  DrawDev_SetRenderState(DRS_SHADEMODE, DSHADE_FLAT);
  DrawDev_SetRenderState(DRS_STENCILFUNC, DCMP_ALWAYS);
  DrawDev_SetRenderState(DRS_STENCILZFAIL, DSTENCILOP_KEEP);
  DrawDev_SetRenderState(DRS_STENCILFAIL, DSTENCILOP_KEEP);
  DrawDev_SetRenderState(DRS_STENCILREF, 1);
  DrawDev_SetRenderState(DRS_STENCILMASK, 0xFFFFFFFFu);
  DrawDev_SetRenderState(DRS_STENCILWRITEMASK, 0xFFFFFFFFu);
  DrawDev_SetRenderState(DRS_STENCILPASS, DSTENCILOP_INCR);
  // The volumes only count into the stencil: the colour stays as it is.
  DrawDev_SetRenderState(DRS_ALPHABLENDENABLE, 1);
  DrawDev_SetRenderState(DRS_SRCBLEND, DBLEND_ZERO);
  DrawDev_SetRenderState(DRS_DESTBLEND, DBLEND_ONE);
  Shadow_DrawVolumes();
  DrawDev_SetRenderState(DRS_CULLMODE, DCULL_CW);
  DrawDev_SetRenderState(DRS_STENCILPASS, DSTENCILOP_DECR);
  Shadow_DrawVolumes();
  DrawDev_SetRenderState(DRS_SHADEMODE, DSHADE_GOURAUD);
  DrawDev_SetRenderState(DRS_CULLMODE, DCULL_CCW);
  DrawDev_SetRenderState(DRS_ZWRITEENABLE, 1);
  DrawDev_SetRenderState(DRS_STENCILENABLE, 0);
  DrawDev_SetRenderState(DRS_ALPHABLENDENABLE, 0);
}

void Shadow_DarkenStencil(void) {
  DrawDev_SetRenderState(DRS_ZENABLE, 0);
  DrawDev_SetRenderState(DRS_STENCILENABLE, 1);
  DrawDev_SetRenderState(DRS_FOGENABLE, 0);
  DrawDev_SetRenderState(DRS_ALPHABLENDENABLE, 1);
  DrawDev_SetRenderState(DRS_SRCBLEND, DBLEND_SRCALPHA);
  DrawDev_SetRenderState(DRS_DESTBLEND, DBLEND_INVSRCALPHA);
  DrawDev_ModulateTextureColour();
  DrawDev_SetStageState(0, DTSS_ALPHAARG1, DTA_TEXTURE);
  DrawDev_SetStageState(0, DTSS_ALPHAOP, DTOP_MODULATE);
  // Darken where the stencil value is 1 or more.
  DrawDev_SetRenderState(DRS_STENCILREF, 1);
  DrawDev_SetRenderState(DRS_STENCILFUNC, DCMP_LESSEQUAL);
  DrawDev_SetRenderState(DRS_STENCILPASS, DSTENCILOP_KEEP);
  DrawDev_DrawUP(FVF_QUADVERTEX, DPT_TRIANGLESTRIP, 2, g_Target.screenQuad, sizeof(QuadVertex));
  DrawDev_SetRenderState(DRS_ZENABLE, 1);
  DrawDev_SetRenderState(DRS_STENCILENABLE, 0);
}
