// The Direct3D 9 drawing device behind g_Dev.draw, and the D3DX text font.
#include "lib/draw/drawdev_win.h"

#include <d3dx9.h>
#include <windows.h>

#include "lib/draw/drawdev.h"
#include "lib/draw/texture.h"
#include "model/seam.h"

// The portable constants carry the platform's numbers.
#define SAME_VALUE(ours, platform) static_assert((int)(ours) == (int)(platform), #ours)
SAME_VALUE(DRS_ZENABLE, D3DRS_ZENABLE);
SAME_VALUE(DRS_FILLMODE, D3DRS_FILLMODE);
SAME_VALUE(DRS_SHADEMODE, D3DRS_SHADEMODE);
SAME_VALUE(DRS_ZWRITEENABLE, D3DRS_ZWRITEENABLE);
SAME_VALUE(DRS_ALPHATESTENABLE, D3DRS_ALPHATESTENABLE);
SAME_VALUE(DRS_SRCBLEND, D3DRS_SRCBLEND);
SAME_VALUE(DRS_DESTBLEND, D3DRS_DESTBLEND);
SAME_VALUE(DRS_CULLMODE, D3DRS_CULLMODE);
SAME_VALUE(DRS_ALPHAREF, D3DRS_ALPHAREF);
SAME_VALUE(DRS_ALPHAFUNC, D3DRS_ALPHAFUNC);
SAME_VALUE(DRS_DITHERENABLE, D3DRS_DITHERENABLE);
SAME_VALUE(DRS_ALPHABLENDENABLE, D3DRS_ALPHABLENDENABLE);
SAME_VALUE(DRS_FOGENABLE, D3DRS_FOGENABLE);
SAME_VALUE(DRS_STENCILENABLE, D3DRS_STENCILENABLE);
SAME_VALUE(DRS_STENCILFAIL, D3DRS_STENCILFAIL);
SAME_VALUE(DRS_STENCILZFAIL, D3DRS_STENCILZFAIL);
SAME_VALUE(DRS_STENCILPASS, D3DRS_STENCILPASS);
SAME_VALUE(DRS_STENCILFUNC, D3DRS_STENCILFUNC);
SAME_VALUE(DRS_STENCILREF, D3DRS_STENCILREF);
SAME_VALUE(DRS_STENCILMASK, D3DRS_STENCILMASK);
SAME_VALUE(DRS_STENCILWRITEMASK, D3DRS_STENCILWRITEMASK);
SAME_VALUE(DRS_LIGHTING, D3DRS_LIGHTING);
SAME_VALUE(DRS_NORMALIZENORMALS, D3DRS_NORMALIZENORMALS);
SAME_VALUE(DFILL_POINT, D3DFILL_POINT);
SAME_VALUE(DFILL_WIREFRAME, D3DFILL_WIREFRAME);
SAME_VALUE(DFILL_SOLID, D3DFILL_SOLID);
SAME_VALUE(DSHADE_FLAT, D3DSHADE_FLAT);
SAME_VALUE(DSHADE_GOURAUD, D3DSHADE_GOURAUD);
SAME_VALUE(DBLEND_ZERO, D3DBLEND_ZERO);
SAME_VALUE(DBLEND_ONE, D3DBLEND_ONE);
SAME_VALUE(DBLEND_SRCALPHA, D3DBLEND_SRCALPHA);
SAME_VALUE(DBLEND_INVSRCALPHA, D3DBLEND_INVSRCALPHA);
SAME_VALUE(DCULL_NONE, D3DCULL_NONE);
SAME_VALUE(DCULL_CW, D3DCULL_CW);
SAME_VALUE(DCULL_CCW, D3DCULL_CCW);
SAME_VALUE(DCMP_ALWAYS, D3DCMP_ALWAYS);
SAME_VALUE(DCMP_LESSEQUAL, D3DCMP_LESSEQUAL);
SAME_VALUE(DCMP_GREATEREQUAL, D3DCMP_GREATEREQUAL);
SAME_VALUE(DSTENCILOP_KEEP, D3DSTENCILOP_KEEP);
SAME_VALUE(DSTENCILOP_INCR, D3DSTENCILOP_INCR);
SAME_VALUE(DSTENCILOP_DECR, D3DSTENCILOP_DECR);
SAME_VALUE(DTSS_COLOROP, D3DTSS_COLOROP);
SAME_VALUE(DTSS_COLORARG1, D3DTSS_COLORARG1);
SAME_VALUE(DTSS_COLORARG2, D3DTSS_COLORARG2);
SAME_VALUE(DTSS_ALPHAOP, D3DTSS_ALPHAOP);
SAME_VALUE(DTSS_ALPHAARG1, D3DTSS_ALPHAARG1);
SAME_VALUE(DTOP_MODULATE, D3DTOP_MODULATE);
SAME_VALUE(DTA_DIFFUSE, D3DTA_DIFFUSE);
SAME_VALUE(DTA_TEXTURE, D3DTA_TEXTURE);
SAME_VALUE(DSAMP_ADDRESSU, D3DSAMP_ADDRESSU);
SAME_VALUE(DSAMP_ADDRESSV, D3DSAMP_ADDRESSV);
SAME_VALUE(DSAMP_MAGFILTER, D3DSAMP_MAGFILTER);
SAME_VALUE(DSAMP_MINFILTER, D3DSAMP_MINFILTER);
SAME_VALUE(DSAMP_MIPFILTER, D3DSAMP_MIPFILTER);
SAME_VALUE(DTEXF_NONE, D3DTEXF_NONE);
SAME_VALUE(DTEXF_POINT, D3DTEXF_POINT);
SAME_VALUE(DTEXF_LINEAR, D3DTEXF_LINEAR);
SAME_VALUE(DTADDRESS_WRAP, D3DTADDRESS_WRAP);
SAME_VALUE(DPT_POINTLIST, D3DPT_POINTLIST);
SAME_VALUE(DPT_LINELIST, D3DPT_LINELIST);
SAME_VALUE(DPT_TRIANGLELIST, D3DPT_TRIANGLELIST);
SAME_VALUE(DPT_TRIANGLESTRIP, D3DPT_TRIANGLESTRIP);
SAME_VALUE(DPT_TRIANGLEFAN, D3DPT_TRIANGLEFAN);
SAME_VALUE(DFVF_XYZ, D3DFVF_XYZ);
SAME_VALUE(DFVF_XYZRHW, D3DFVF_XYZRHW);
SAME_VALUE(DFVF_NORMAL, D3DFVF_NORMAL);
SAME_VALUE(DFVF_DIFFUSE, D3DFVF_DIFFUSE);
SAME_VALUE(DFVF_SPECULAR, D3DFVF_SPECULAR);
SAME_VALUE(DFVF_TEX1, D3DFVF_TEX1);
SAME_VALUE(DTS_VIEW, D3DTS_VIEW);
SAME_VALUE(DTS_PROJECTION, D3DTS_PROJECTION);
SAME_VALUE(DTS_WORLD, D3DTS_WORLD);
#undef SAME_VALUE

// The device the calls use (read at each call) and the screen-text font.
static struct {
  IDirect3DDevice9 **device;
  HFONT textFont;
} s_Win;
// The GDI font the current text font was made from (deleted when the next one is made).

static IDirect3DDevice9 *Dev() { return s_Win.device ? *s_Win.device : nullptr; }

static bool Ready() { return Dev() != nullptr; }

static void SetRenderState(u32 s, u32 v) {
  if (Dev()) Dev()->SetRenderState((D3DRENDERSTATETYPE)s, v);
}

static void SetSamplerState(u32 sampler, u32 t, u32 v) {
  if (Dev()) Dev()->SetSamplerState(sampler, (D3DSAMPLERSTATETYPE)t, v);
}

static void SetStageState(u32 stage, u32 t, u32 v) {
  if (Dev()) Dev()->SetTextureStageState(stage, (D3DTEXTURESTAGESTATETYPE)t, v);
}

static void SetTexture(u32 stage, void *tex) {
  if (Dev()) Dev()->SetTexture(stage, (IDirect3DBaseTexture9 *)tex);
}

static void SetFVF(u32 fvf) {
  if (Dev()) Dev()->SetFVF(fvf);
}

static void DrawUP(u32 type, u32 count, const void *verts, u32 stride) {
  if (Dev()) Dev()->DrawPrimitiveUP((D3DPRIMITIVETYPE)type, count, verts, stride);
}

static void DrawIndexedUP(u32 type, u32 vertCount, u32 count, const u16 *indices, const void *verts, u32 stride) {
  if (Dev()) Dev()->DrawIndexedPrimitiveUP((D3DPRIMITIVETYPE)type, 0, vertCount, count, indices, D3DFMT_INDEX16, verts, stride);
}

// D3DMATRIX is row-major _11.._44, the same 16 floats as the portable matrices.
static i32 SetTransform(u32 which, const f32 *m) {
  if (!Dev()) return (i32)D3DERR_INVALIDCALL;
  D3DMATRIX d;
  memcpy(&d, m, sizeof d);
  return (i32)Dev()->SetTransform((D3DTRANSFORMSTATETYPE)which, &d);
}

static void GetTransform(u32 which, f32 *m) {
  D3DMATRIX d;
  if (!Dev() || FAILED(Dev()->GetTransform((D3DTRANSFORMSTATETYPE)which, &d))) return;
  memcpy(m, &d, sizeof d);
}

static void GetViewport(DrawViewport *vp) {
  D3DVIEWPORT9 v;
  if (!Dev() || FAILED(Dev()->GetViewport(&v))) return;
  *vp = {v.X, v.Y, v.Width, v.Height, v.MinZ, v.MaxZ};
}

static bool TextureSize(void *tex, i32 *w, i32 *h) {
  D3DSURFACE_DESC desc;
  if (!tex || FAILED(((IDirect3DTexture9 *)tex)->GetLevelDesc(0, &desc))) return false;
  *w = (i32)desc.Width;
  *h = (i32)desc.Height;
  return true;
}

static void *CreateTexture(i32 w, i32 h, i32 *outW, i32 *outH) {
  IDirect3DTexture9 *tex = nullptr;
  if (!Dev() || FAILED(D3DXCreateTexture(Dev(), (UINT)w, (UINT)h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex)))
    return nullptr;
  if (!TextureSize(tex, outW, outH)) {
    tex->Release();
    return nullptr;
  }
  return tex;
}

static u8 *LockTexture(void *tex, i32 *pitch) {
  D3DLOCKED_RECT lr;
  if (!tex || FAILED(((IDirect3DTexture9 *)tex)->LockRect(0, &lr, nullptr, 0))) return nullptr;
  *pitch = lr.Pitch;
  return (u8 *)lr.pBits;
}

static void UnlockTexture(void *tex) {
  if (tex) ((IDirect3DTexture9 *)tex)->UnlockRect(0);
}

static void *LoadTextureFile(const char *path, u32 colorKey, i32 *w, i32 *h) {
  IDirect3DTexture9 *tex = nullptr;
  D3DXIMAGE_INFO info = {};
  if (!Dev()) return nullptr;
  HRESULT hr = D3DXCreateTextureFromFileExA(Dev(), path, D3DX_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                            D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_POINT,
                                            D3DX_FILTER_POINT, colorKey, &info, nullptr, &tex);
  if (FAILED(hr)) return nullptr;
  *w = (i32)info.Width;
  *h = (i32)info.Height;
  return tex;
}

static void *CreateTargetTexture(u32 w, u32 h, void **surface) {
  IDirect3DTexture9 *tex = nullptr;
  *surface = nullptr;
  if (!Dev() || FAILED(Dev()->CreateTexture(w, h, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &tex, nullptr)))
    return nullptr;
  IDirect3DSurface9 *s = nullptr;
  if (SUCCEEDED(tex->GetSurfaceLevel(0, &s))) *surface = s;
  return tex;
}

static void Release(void *handle) {
  if (handle) ((IUnknown *)handle)->Release();
}

static void Retain(void *handle) {
  if (handle) ((IUnknown *)handle)->AddRef();
}

// The face of the screen text: "ＭＳ 明朝" (CP932 bytes through the compiler's charset).
static const char kTextFace[] = "ＭＳ 明朝";

static void *CreateFont(i32 height) {
  if (!Dev()) return nullptr;
  if (s_Win.textFont) DeleteObject(s_Win.textFont);
  s_Win.textFont = CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET, OUT_TT_PRECIS,
                            CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FIXED_PITCH | FF_MODERN, kTextFace);
  // The text font takes the same description as the GDI font.
  D3DXFONT_DESCA desc = {};
  desc.Height = height;
  desc.Width = 0;
  desc.Weight = FW_NORMAL;
  desc.MipLevels = 1;
  desc.Italic = FALSE;
  desc.CharSet = SHIFTJIS_CHARSET;
  desc.OutputPrecision = OUT_TT_PRECIS;
  desc.Quality = PROOF_QUALITY;
  desc.PitchAndFamily = FIXED_PITCH | FF_MODERN;
  Str_Copy(desc.FaceName, sizeof desc.FaceName, kTextFace);
  ID3DXFont *font = nullptr;
  if (FAILED(D3DXCreateFontIndirectA(Dev(), &desc, &font))) return nullptr;
  return font;
}

// The text font keeps its glyphs in textures with a whole mip chain of which only the first
// level is filled (Wine's D3DX), and the sprite it makes for itself samples them filtered:
// the glyph is spread over its neighbours and the empty levels, and a one-pixel stroke ("-",
// "_") shows at a tenth of its colour. The glyphs are drawn texel for pixel, so the text goes
// through a sprite of ours that samples the first level texel by texel.
static void DrawTextLine(void *font, const char *text, i32 left, i32 top, u32 color) {
  RECT rc = {left, top, 0, 0};
  ID3DXSprite *sprite = nullptr;
  if (FAILED(D3DXCreateSprite(Dev(), &sprite))) sprite = nullptr;
  if (sprite) {
    sprite->Begin(D3DXSPRITE_ALPHABLEND);   // its states, restored at End
    Dev()->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_POINT);
    Dev()->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);
    Dev()->SetSamplerState(0, D3DSAMP_MIPFILTER, D3DTEXF_NONE);
  }
  ((ID3DXFont *)font)->DrawTextA(sprite, text, -1, &rc, DT_NOPREFIX | DT_NOCLIP, color);
  if (sprite) {
    sprite->End();
    sprite->Release();
  }
}

// The seam's texture entry: the same loader, with the caller's colour key.
static SeamTexture SeamTextureLoad(const char *path, u32 colorKey) {
  SeamTexture t = {nullptr, 0, 0};
  f32 size[2] = {0, 0};
  Tex_LoadImageFileKeyed(&t.handle, path, size, colorKey);
  t.width = (i32)size[0];
  t.height = (i32)size[1];
  t.told = g_Tex.lastTold;
  return t;
}

void Draw_InstallFor(IDirect3DDevice9 **device) {
  s_Win.device = device;
  DrawDev d = {};
  d.ready = Ready;
  d.setRenderState = SetRenderState;
  d.setSamplerState = SetSamplerState;
  d.setTextureStageState = SetStageState;
  d.setTexture = SetTexture;
  d.setFVF = SetFVF;
  d.drawPrimitiveUP = DrawUP;
  d.drawIndexedPrimitiveUP = DrawIndexedUP;
  d.setTransform = SetTransform;
  d.getTransform = GetTransform;
  d.getViewport = GetViewport;
  d.createTexture = CreateTexture;
  d.textureSize = TextureSize;
  d.lockTexture = LockTexture;
  d.unlockTexture = UnlockTexture;
  d.loadTextureFile = LoadTextureFile;
  d.createTargetTexture = CreateTargetTexture;
  d.release = Release;
  d.retain = Retain;
  d.createFont = CreateFont;
  d.drawText = DrawTextLine;
  g_Dev.draw = d;
  g_Seam.textureLoad = SeamTextureLoad;
  g_Seam.texturePixels = Tex_ReadPixels;
}
