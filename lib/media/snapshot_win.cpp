// BMP snapshots of the back buffer. The back buffer is read back through a render target
// of the same size without multisampling and a system-memory copy, so a multisampled or
// non-lockable back buffer saves as well as a plain one. The file is written through the
// safe save (File_WriteAtomic).
#include <windows.h>
#include <d3d9.h>
#include <d3dx9.h>

#include "lib/media/avi_win.h"
#include "model/bytes.h"

// Releases a COM pointer when set.
template <class T> static void SafeRelease(T *&p) {
  if (p) p->Release();
  p = nullptr;
}

// The surface as a BMP through the one safe save: a failure leaves the old picture whole.
static bool SaveBmp(const char *path, IDirect3DSurface9 *surface, const RECT *rect) {
  ID3DXBuffer *bmp = nullptr;
  if (FAILED(D3DXSaveSurfaceToFileInMemory(&bmp, D3DXIFF_BMP, surface, nullptr, rect)) || !bmp) return false;
  bool ok = File_WriteAtomic(path, bmp->GetBufferPointer(), bmp->GetBufferSize());
  bmp->Release();
  return ok;
}

bool Snapshot_SaveBackBuffer(IDirect3DDevice9 *device, const char *path, const RECT *rect) {
  if (!device || !path || !path[0]) return false;
  IDirect3DSurface9 *back = nullptr, *resolved = nullptr, *copy = nullptr;
  bool ok = false;
  D3DSURFACE_DESC desc;
  if (FAILED(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back))) return false;
  // A rectangle must be non-empty and lie inside the back buffer.
  bool rectOk = !rect || (rect->left >= 0 && rect->top >= 0 && rect->left < rect->right &&
                          rect->top < rect->bottom);
  if (rectOk && SUCCEEDED(back->GetDesc(&desc)) &&
      (!rect || ((UINT)rect->right <= desc.Width && (UINT)rect->bottom <= desc.Height))) {
    IDirect3DSurface9 *source = back;
    // A multisampled surface cannot be read back: resolve it into a plain one first.
    if (desc.MultiSampleType != D3DMULTISAMPLE_NONE) {
      if (SUCCEEDED(device->CreateRenderTarget(desc.Width, desc.Height, desc.Format,
                                               D3DMULTISAMPLE_NONE, 0, FALSE, &resolved,
                                               nullptr)) &&
          SUCCEEDED(device->StretchRect(back, nullptr, resolved, nullptr, D3DTEXF_NONE)))
        source = resolved;
      else
        source = nullptr;
    }
    if (source &&
        SUCCEEDED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format,
                                                      D3DPOOL_SYSTEMMEM, &copy, nullptr)) &&
        SUCCEEDED(device->GetRenderTargetData(source, copy)))
      ok = SaveBmp(path, copy, rect);
  }
  SafeRelease(copy);
  SafeRelease(resolved);
  SafeRelease(back);
  return ok;
}
