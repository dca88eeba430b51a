// The framework font: a glyph sheet of the characters 32..126 rendered by GDI into an
// A4R4G4B4 texture, made with the device and released with it. Windows build only.
#pragma once
#include <windows.h>
#include <d3d9.h>

enum { D3DFONT_BOLD = 1, D3DFONT_ITALIC = 2 };

class D3DFont {
 public:
  char faceName[80];
  DWORD height;         // points
  DWORD flags;          // D3DFONT_*
  float textScale;
  DWORD texWidth, texHeight;
  IDirect3DDevice9 *device;
  IDirect3DTexture9 *texture;
  IDirect3DVertexBuffer9 *vertexBuffer;
  IDirect3DStateBlock9 *savedState, *drawState;
  float texCoords[128 - 32][4];
  DWORD spacing;

  D3DFont(const char *face, DWORD height, DWORD flags);
  ~D3DFont();
  HRESULT InitDeviceObjects(IDirect3DDevice9 *device);
  HRESULT RestoreDeviceObjects();
  HRESULT InvalidateDeviceObjects();
  HRESULT DeleteDeviceObjects();

 private:
  HRESULT PaintAlphabet(HDC dc, bool measureOnly);
};

