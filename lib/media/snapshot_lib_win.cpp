// The library's snapshot calls: the back buffer of g_Lib.device into the root folder.
#include <windows.h>
#include <d3d9.h>

#include "lib/framework/framework_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/avi.h"
#include "lib/media/avi_win.h"
#include "lib/media/snapshot.h"

// The framework keeps the back buffer's description; a snapshot refreshes it.
static void RefreshBackBufferDesc(void) {
  IDirect3DSurface9 *back = nullptr;
  if (!g_Lib.device || FAILED(g_Lib.device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return;
  back->GetDesc(&g_D3DAppWin.backBufferDesc);
  back->Release();
}

bool Lib_SaveBackBuffer(const char *name) {
  char path[LIB_TEXT_SIZE];
  if (!name || !Avi_RootPath(path, sizeof path, g_Lib.rootDir, name)) return false;
  RefreshBackBufferDesc();
  return Snapshot_SaveBackBuffer(g_Lib.device, path, nullptr);
}

bool Lib_SaveBackBufferRect(const char *name, i32 left, i32 top, i32 right, i32 bottom) {
  char path[LIB_TEXT_SIZE];
  if (!name || !Avi_RootPath(path, sizeof path, g_Lib.rootDir, name)) return false;
  RefreshBackBufferDesc();
  RECT rect = {left, top, right, bottom};
  return Snapshot_SaveBackBuffer(g_Lib.device, path, &rect);
}
