// Direct3D 9 side of the per-frame model pass: whole-buffer locks of the group vertex
// buffers that render modes 1 and 2 rewrite every frame.
#include <d3d9.h>

#include "lib/render/objects.h"

// Locks the whole buffer for writing; null when the lock fails.
static void *LockWholeVertexBuffer(void *buffer) {
  IDirect3DVertexBuffer9 *vb = (IDirect3DVertexBuffer9 *)buffer;
  void *data = nullptr;
  if (FAILED(vb->Lock(0, 0, &data, 0))) return nullptr;
  return data;
}

static void UnlockVertexBuffer(void *buffer) { ((IDirect3DVertexBuffer9 *)buffer)->Unlock(); }

void Object_InstallDeviceHooks(void) {
  g_LibHooks.lockVertexBuffer = LockWholeVertexBuffer;
  g_LibHooks.unlockVertexBuffer = UnlockVertexBuffer;
}
