// The framework font (see d3dfont.h).
#include "lib/framework/d3dfont.h"

#include <math.h>
#include <string.h>

#include "model/types.h"

struct FontVertex { float x, y, z, rhw; DWORD color; float u, v; };
enum { FONT_FVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, FONT_MAX_VERTICES = 50 * 6 };

D3DFont::D3DFont(const char *face, DWORD h, DWORD f) {
  memset(this, 0, sizeof *this);
  Str_Copy(faceName, sizeof faceName, face);
  height = h;
  flags = f;
  textScale = 1.0f;
}

D3DFont::~D3DFont() {
  InvalidateDeviceObjects();
  DeleteDeviceObjects();
}

// Paints (or only measures) the glyphs 32..126 into the sheet; D3DERR_MOREDATA when the
// sheet is too small.
HRESULT D3DFont::PaintAlphabet(HDC dc, bool measureOnly) {
  SIZE size;
  GetTextExtentPoint32A(dc, "x", 1, &size);
  spacing = (DWORD)ceil(size.cy * 0.3);
  DWORD x = spacing, y = 0;
  for (int c = 32; c < 127; c++) {
    char ch = (char)c;
    if (!GetTextExtentPoint32A(dc, &ch, 1, &size)) continue;
    if (x + size.cx + spacing > texWidth) {
      x = spacing;
      y += size.cy + 1;
    }
    if (y + size.cy > texHeight) return D3DERR_MOREDATA;
    if (!measureOnly) {
      ExtTextOutA(dc, x, y, ETO_OPAQUE, nullptr, &ch, 1, nullptr);
      texCoords[c - 32][0] = (float)(x - spacing) / texWidth;
      texCoords[c - 32][1] = (float)y / texHeight;
      texCoords[c - 32][2] = (float)(x + size.cx + spacing) / texWidth;
      texCoords[c - 32][3] = (float)(y + size.cy) / texHeight;
    }
    x += size.cx + 2 * spacing;
  }
  return S_OK;
}

static HFONT MakeFont(HDC dc, const D3DFont *f) {
  int h = -MulDiv((int)f->height, (int)(GetDeviceCaps(dc, LOGPIXELSY) * f->textScale), 72);
  return CreateFontA(h, 0, 0, 0, (f->flags & D3DFONT_BOLD) ? FW_BOLD : FW_NORMAL,
                     (f->flags & D3DFONT_ITALIC) ? TRUE : FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, VARIABLE_PITCH, f->faceName);
}

HRESULT D3DFont::InitDeviceObjects(IDirect3DDevice9 *dev) {
  device = dev;
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return E_FAIL;
  SetMapMode(dc, MM_TEXT);
  HFONT font = MakeFont(dc, this);
  if (!font) { DeleteDC(dc); return E_FAIL; }
  HGDIOBJ oldFont = SelectObject(dc, font);

  // Grow the sheet until the glyphs fit; past the device's limit shrink the text instead.
  D3DCAPS9 caps;
  device->GetDeviceCaps(&caps);
  DWORD maxWidth = caps.MaxTextureWidth ? caps.MaxTextureWidth : 2048;
  texWidth = texHeight = 128;
  while (PaintAlphabet(dc, true) == D3DERR_MOREDATA) {
    if (texWidth * 2 > maxWidth) {
      textScale *= 0.9f;
      SelectObject(dc, oldFont);
      DeleteObject(font);
      font = MakeFont(dc, this);
      oldFont = SelectObject(dc, font);
      if (textScale < 0.1f) break;
      continue;
    }
    texWidth *= 2;
    texHeight *= 2;
  }

  HRESULT hr = device->CreateTexture(texWidth, texHeight, 1, 0, D3DFMT_A4R4G4B4, D3DPOOL_MANAGED, &texture, nullptr);
  if (SUCCEEDED(hr)) {
    BITMAPINFO bmi;
    memset(&bmi, 0, sizeof bmi);
    bmi.bmiHeader.biSize = sizeof bmi.bmiHeader;
    bmi.bmiHeader.biWidth = (LONG)texWidth;
    bmi.bmiHeader.biHeight = -(LONG)texHeight;
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 32;
    DWORD *bits = nullptr;
    HBITMAP bmp = CreateDIBSection(dc, &bmi, DIB_RGB_COLORS, (void **)&bits, nullptr, 0);
    if (bmp && bits) {
      HGDIOBJ oldBmp = SelectObject(dc, bmp);
      SetTextColor(dc, RGB(255, 255, 255));
      SetBkColor(dc, 0);
      SetTextAlign(dc, TA_TOP);
      PaintAlphabet(dc, false);
      GdiFlush();
      D3DLOCKED_RECT lr;
      if (SUCCEEDED(texture->LockRect(0, &lr, nullptr, 0))) {
        for (DWORD y = 0; y < texHeight; y++) {
          WORD *row = (WORD *)((BYTE *)lr.pBits + y * lr.Pitch);
          for (DWORD x = 0; x < texWidth; x++) {
            BYTE alpha = (BYTE)((bits[texWidth * y + x] & 0xFF) >> 4);
            row[x] = alpha ? (WORD)((alpha << 12) | 0x0FFF) : 0;
          }
        }
        texture->UnlockRect(0);
      }
      SelectObject(dc, oldBmp);
    }
    if (bmp) DeleteObject(bmp);
  }
  SelectObject(dc, oldFont);
  DeleteObject(font);
  DeleteDC(dc);
  return hr;
}

HRESULT D3DFont::RestoreDeviceObjects() {
  if (!device) return E_FAIL;
  HRESULT hr = device->CreateVertexBuffer(FONT_MAX_VERTICES * sizeof(FontVertex), D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC,
                                          0, D3DPOOL_DEFAULT, &vertexBuffer, nullptr);
  if (FAILED(hr)) return hr;
  for (int which = 0; which < 2; which++) {
    device->BeginStateBlock();
    device->SetTexture(0, texture);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_ZENABLE, FALSE);
    device->SetRenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    device->EndStateBlock(which == 0 ? &savedState : &drawState);
  }
  return S_OK;
}

HRESULT D3DFont::InvalidateDeviceObjects() {
  if (vertexBuffer) { vertexBuffer->Release(); vertexBuffer = nullptr; }
  if (savedState) { savedState->Release(); savedState = nullptr; }
  if (drawState) { drawState->Release(); drawState = nullptr; }
  return S_OK;
}

HRESULT D3DFont::DeleteDeviceObjects() {
  if (texture) { texture->Release(); texture = nullptr; }
  device = nullptr;
  return S_OK;
}
