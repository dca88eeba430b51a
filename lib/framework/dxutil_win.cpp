// Framework utilities that need the platform: the SDK media path and media-file search, and
// the device cursor.
#include <string.h>

#include "lib/framework/framework_win.h"
#include "model/str.h"

HRESULT DXUtil_GetMediaPath(char *buf, int size) {
  if (!buf || size < 1) return E_INVALIDARG;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\DirectX SDK", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return E_FAIL;
  char value[MAX_PATH];
  DWORD type = 0, bytes = sizeof value - 1;
  LONG r = RegQueryValueExA(key, "DX9SDK Samples Path", nullptr, &type, (BYTE *)value, &bytes);
  RegCloseKey(key);
  if (r != ERROR_SUCCESS || type != REG_SZ) return E_FAIL;
  value[bytes < sizeof value ? bytes : sizeof value - 1] = 0;
  if (strlen(value) + strlen("\\Media\\") + 1 > (size_t)size) return E_INVALIDARG;
  Str_Format(buf, (size_t)size, "%s\\Media\\", value);
  return S_OK;
}

static bool FileOpens(const char *path) {
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  CloseHandle(h);
  return true;
}

HRESULT DXUtil_FindMediaFile(char *dest, int size, const char *name) {
  if (!dest || !name || size < 1) return E_INVALIDARG;
  char *filePart = nullptr;
  DWORD n = GetFullPathNameA(name, (DWORD)size, dest, &filePart);
  if (n == 0 || n >= (DWORD)size) return E_FAIL;
  if (FileOpens(dest)) return S_OK;
  // The bare file name in the current folder, then in the SDK's media folder.
  const char *bare = name;
  for (const char *p = name; *p; p++)
    if (*p == '\\' || *p == '/') bare = p + 1;
  if (FileOpens(bare)) {
    Str_Copy(dest, (size_t)size, bare);
    return S_OK;
  }
  char media[MAX_PATH], path[MAX_PATH];
  if (SUCCEEDED(DXUtil_GetMediaPath(media, sizeof media)) &&
      Str_FormatAll(path, sizeof path, "%s%s", media, bare) && FileOpens(path) &&
      strlen(path) < (size_t)size) {
    Str_Copy(dest, (size_t)size, path);
    return S_OK;
  }
  Str_Copy(dest, (size_t)size, name);
  return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
}

// Builds a 32x32 A8R8G8B8 cursor surface from the cursor's colour and mask bitmaps.
HRESULT D3DUtil_SetDeviceCursor(IDirect3DDevice9 *device, HCURSOR cursor, bool addWatermark) {
  if (!device || !cursor) return E_INVALIDARG;
  ICONINFO info;
  if (!GetIconInfo(cursor, &info)) return E_FAIL;
  HRESULT hr = E_FAIL;
  BITMAP bm;
  IDirect3DSurface9 *surface = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc && GetObjectA(info.hbmMask, sizeof bm, &bm)) {
    bool bw = info.hbmColor == nullptr;  // monochrome: mask and colour stacked in one bitmap
    int w = bm.bmWidth, h = bw ? bm.bmHeight / 2 : bm.bmHeight;
    if (w > 32) w = 32;
    if (h > 32) h = 32;
    static DWORD mask[64 * 64], color[64 * 64];
    BITMAPINFO bi;
    memset(&bi, 0, sizeof bi);
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    if (bm.bmWidth <= 64 && bm.bmHeight <= 64 &&
        GetDIBits(dc, info.hbmMask, 0, bm.bmHeight, mask, &bi, DIB_RGB_COLORS) &&
        (bw || GetDIBits(dc, info.hbmColor, 0, h, color, &bi, DIB_RGB_COLORS)) &&
        SUCCEEDED(device->CreateOffscreenPlainSurface(32, 32, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH, &surface, nullptr))) {
      D3DLOCKED_RECT lr;
      if (SUCCEEDED(surface->LockRect(&lr, nullptr, 0))) {
        for (int y = 0; y < 32; y++) {
          DWORD *row = (DWORD *)((BYTE *)lr.pBits + y * lr.Pitch);
          for (int x = 0; x < 32; x++) {
            DWORD v = 0;
            if (x < w && y < h) {
              bool transparent = (mask[y * bm.bmWidth + x] & 0xFFFFFF) != 0;
              DWORD c = bw ? (mask[(y + h) * bm.bmWidth + x] & 0xFFFFFF) : (color[y * bm.bmWidth + x] & 0xFFFFFF);
              if (!transparent) v = 0xFF000000 | c;
              if (addWatermark && x < 12 && y > 27 && (x + y) % 2 == 0) v = 0xFF808080;
            }
            row[x] = v;
          }
        }
        surface->UnlockRect();
        hr = device->SetCursorProperties(info.xHotspot, info.yHotspot, surface);
      }
    }
  }
  if (surface) surface->Release();
  if (dc) DeleteDC(dc);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return hr;
}
