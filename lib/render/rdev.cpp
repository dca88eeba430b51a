// Null-safe wrappers over g_RenderDev (see rdev.h).
#include "lib/render/rdev.h"

#include "model/seam.h"


void *RDev_CreateVertexBuffer(u32 bytes) {
  if (bytes == 0 || !g_RenderDev.createVertexBuffer) return nullptr;
  return g_RenderDev.createVertexBuffer(bytes);
}

void *RDev_CreateIndexBuffer(u32 count, bool index32) {
  if (count == 0 || !g_RenderDev.createIndexBuffer) return nullptr;
  u64 bytes = (u64)count * (index32 ? 4u : 2u);
  if (bytes > 0xFFFFFFFFu) return nullptr;
  return g_RenderDev.createIndexBuffer((u32)bytes, index32);
}

void *RDev_LockVertex(void *vb) {
  return vb && g_RenderDev.lockVertexBuffer ? g_RenderDev.lockVertexBuffer(vb) : nullptr;
}

void RDev_UnlockVertex(void *vb) {
  if (vb && g_RenderDev.unlockVertexBuffer) g_RenderDev.unlockVertexBuffer(vb);
}

void *RDev_LockIndex(void *ib) {
  return ib && g_RenderDev.lockIndexBuffer ? g_RenderDev.lockIndexBuffer(ib) : nullptr;
}

void RDev_UnlockIndex(void *ib) {
  if (ib && g_RenderDev.unlockIndexBuffer) g_RenderDev.unlockIndexBuffer(ib);
}

void RDev_Release(void **handle) {
  if (!*handle) return;
  if (g_Seam.releaseHandle) g_Seam.releaseHandle(*handle);
  *handle = nullptr;
}
