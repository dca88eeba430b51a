// The drawing device table and its null-safe helpers (see drawdev.h).
#include "lib/draw/drawdev.h"

#include "lib/draw/drawbatch.h"

LibDevice g_Dev;

void DrawDev_SetRenderState(u32 state, u32 value) {
  DrawBatch_FlushPending();
  if (g_Dev.draw.setRenderState) g_Dev.draw.setRenderState(state, value);
}

void DrawDev_SetSamplerState(u32 sampler, u32 type, u32 value) {
  DrawBatch_FlushPending();
  if (g_Dev.draw.setSamplerState) g_Dev.draw.setSamplerState(sampler, type, value);
}

void DrawDev_SetStageState(u32 stage, u32 type, u32 value) {
  DrawBatch_FlushPending();
  if (g_Dev.draw.setTextureStageState) g_Dev.draw.setTextureStageState(stage, type, value);
}

void DrawDev_ModulateTextureColour(void) {
  DrawDev_SetStageState(0, DTSS_COLORARG1, DTA_TEXTURE);
  DrawDev_SetStageState(0, DTSS_COLORARG2, DTA_DIFFUSE);
  DrawDev_SetStageState(0, DTSS_COLOROP, DTOP_MODULATE);
}

void DrawDev_SetTexture(u32 stage, void *texture) {
  DrawBatch_FlushPending();
  if (g_Dev.draw.setTexture) g_Dev.draw.setTexture(stage, texture);
}

void DrawDev_DrawUP(u32 fvf, u32 primType, u32 primCount, const void *verts, u32 stride) {
  DrawBatch_FlushPending();
  if (g_Dev.draw.setFVF) g_Dev.draw.setFVF(fvf);
  if (g_Dev.draw.drawPrimitiveUP) g_Dev.draw.drawPrimitiveUP(primType, primCount, verts, stride);
}

void DrawDev_DrawIndexedUP(u32 fvf, u32 primType, u32 vertCount, u32 primCount, const u16 *indices,
                           const void *verts, u32 stride) {
  DrawBatch_FlushPending();
  if (g_Dev.draw.setFVF) g_Dev.draw.setFVF(fvf);
  if (g_Dev.draw.drawIndexedPrimitiveUP)
    g_Dev.draw.drawIndexedPrimitiveUP(primType, vertCount, primCount, indices, verts, stride);
}

void DrawDev_Release(void *handle) {
  if (handle && g_Dev.draw.release) g_Dev.draw.release(handle);
}

bool DrawDev_Retain(void *handle) {
  if (!handle || !g_Dev.draw.retain) return false;
  g_Dev.draw.retain(handle);
  return true;
}
