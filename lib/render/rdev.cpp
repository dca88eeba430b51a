// Null-safe wrappers over g_Dev.render (see rdev.h).
#include "lib/render/rdev.h"

#include "model/seam.h"


void *RDev_CreateVertexBuffer(u32 bytes) {
  if (bytes == 0 || !g_Dev.render.createVertexBuffer) return nullptr;
  return g_Dev.render.createVertexBuffer(bytes);
}

void *RDev_CreateIndexBuffer(u32 count, bool index32) {
  if (count == 0 || !g_Dev.render.createIndexBuffer) return nullptr;
  u64 bytes = (u64)count * (index32 ? 4u : 2u);
  if (bytes > 0xFFFFFFFFu) return nullptr;
  return g_Dev.render.createIndexBuffer((u32)bytes, index32);
}

void *RDev_LockVertex(void *vb) {
  return vb && g_Dev.render.lockVertexBuffer ? g_Dev.render.lockVertexBuffer(vb) : nullptr;
}

void RDev_UnlockVertex(void *vb) {
  if (vb && g_Dev.render.unlockVertexBuffer) g_Dev.render.unlockVertexBuffer(vb);
}

void *RDev_LockIndex(void *ib) {
  return ib && g_Dev.render.lockIndexBuffer ? g_Dev.render.lockIndexBuffer(ib) : nullptr;
}

void RDev_UnlockIndex(void *ib) {
  if (ib && g_Dev.render.unlockIndexBuffer) g_Dev.render.unlockIndexBuffer(ib);
}

void RDev_Release(void **handle) {
  if (!*handle) return;
  if (g_Seam.releaseHandle) g_Seam.releaseHandle(*handle);
  *handle = nullptr;
}
