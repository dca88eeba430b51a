// The drawing device table and its null-safe helpers (see drawdev.h).
#include "lib/draw/drawdev.h"

#include "lib/draw/drawbatch.h"

LibDevice g_Dev;

void DrawDev_SetRenderState(u32 state, u32 value) {
  DrawBatch_FlushPending();
  if (g_DrawDev.setRenderState) g_DrawDev.setRenderState(state, value);
}

void DrawDev_SetSamplerState(u32 sampler, u32 type, u32 value) {
  DrawBatch_FlushPending();
  if (g_DrawDev.setSamplerState) g_DrawDev.setSamplerState(sampler, type, value);
}

void DrawDev_SetStageState(u32 stage, u32 type, u32 value) {
  DrawBatch_FlushPending();
  if (g_DrawDev.setTextureStageState) g_DrawDev.setTextureStageState(stage, type, value);
}

void DrawDev_SetTexture(u32 stage, void *texture) {
  DrawBatch_FlushPending();
  if (g_DrawDev.setTexture) g_DrawDev.setTexture(stage, texture);
}

void DrawDev_DrawUP(u32 fvf, u32 primType, u32 primCount, const void *verts, u32 stride) {
  DrawBatch_FlushPending();
  if (g_DrawDev.setFVF) g_DrawDev.setFVF(fvf);
  if (g_DrawDev.drawPrimitiveUP) g_DrawDev.drawPrimitiveUP(primType, primCount, verts, stride);
}

void DrawDev_DrawIndexedUP(u32 fvf, u32 primType, u32 vertCount, u32 primCount, const u16 *indices,
                           const void *verts, u32 stride) {
  DrawBatch_FlushPending();
  if (g_DrawDev.setFVF) g_DrawDev.setFVF(fvf);
  if (g_DrawDev.drawIndexedPrimitiveUP)
    g_DrawDev.drawIndexedPrimitiveUP(primType, vertCount, primCount, indices, verts, stride);
}

void DrawDev_Release(void *handle) {
  if (handle && g_DrawDev.release) g_DrawDev.release(handle);
}

bool DrawDev_Retain(void *handle) {
  if (!handle || !g_DrawDev.retain) return false;
  g_DrawDev.retain(handle);
  return true;
}
