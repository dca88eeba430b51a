// The enumeration's Direct3D queries over the real IDirect3D9, and the device filter.
#include <string.h>

#include "lib/framework/framework_win.h"
#include "lib/framework/lib_state.h"

static_assert(sizeof(D3DCAPS9) <= sizeof(((EnumCaps *)0)->platform), "caps record must fit");

static IDirect3D9 *D(void *ctx) { return (IDirect3D9 *)ctx; }

static u32 AdapterCount(void *ctx) { return D(ctx)->GetAdapterCount(); }

static void AdapterDescription(void *ctx, u32 adapter, char *out, size_t size) {
  D3DADAPTER_IDENTIFIER9 id;
  memset(&id, 0, sizeof id);
  D(ctx)->GetAdapterIdentifier(adapter, 0, &id);
  Str_Copy(out, size, id.Description);
}

static u32 AdapterModeCount(void *ctx, u32 adapter, u32 format) {
  return D(ctx)->GetAdapterModeCount(adapter, (D3DFORMAT)format);
}

static bool EnumModes(void *ctx, u32 adapter, u32 format, u32 index, EnumDisplayMode *mode) {
  D3DDISPLAYMODE dm;
  if (FAILED(D(ctx)->EnumAdapterModes(adapter, (D3DFORMAT)format, index, &dm))) return false;
  *mode = {dm.Width, dm.Height, dm.RefreshRate, (u32)dm.Format};
  return true;
}

static bool DisplayMode(void *ctx, u32 adapter, EnumDisplayMode *mode) {
  D3DDISPLAYMODE dm;
  if (FAILED(D(ctx)->GetAdapterDisplayMode(adapter, &dm))) return false;
  *mode = {dm.Width, dm.Height, dm.RefreshRate, (u32)dm.Format};
  return true;
}

void D3DEnum_CapsFromPlatform(const D3DCAPS9 *in, EnumCaps *out) {
  memset(out, 0, sizeof *out);
  out->deviceType = in->DeviceType;
  out->devCaps = in->DevCaps;
  out->primitiveMiscCaps = in->PrimitiveMiscCaps;
  out->textureCaps = in->TextureCaps;
  out->presentationIntervals = in->PresentationIntervals;
  out->maxTextureWidth = in->MaxTextureWidth;
  out->maxVertexBlendMatrices = in->MaxVertexBlendMatrices;
  out->maxVertexBlendMatrixIndex = in->MaxVertexBlendMatrixIndex;
  out->maxPrimitiveCount = in->MaxPrimitiveCount;
  out->maxVertexIndex = in->MaxVertexIndex;
  out->vertexShaderVersion = in->VertexShaderVersion;
  out->pixelShaderVersion = in->PixelShaderVersion;
  memcpy(out->platform, in, sizeof *in);
}

static bool DeviceCaps(void *ctx, u32 adapter, u32 type, EnumCaps *caps) {
  D3DCAPS9 c;
  if (FAILED(D(ctx)->GetDeviceCaps(adapter, (D3DDEVTYPE)type, &c))) return false;
  D3DEnum_CapsFromPlatform(&c, caps);
  return true;
}

static bool CheckType(void *ctx, u32 adapter, u32 type, u32 af, u32 bf, bool windowed) {
  return SUCCEEDED(D(ctx)->CheckDeviceType(adapter, (D3DDEVTYPE)type, (D3DFORMAT)af, (D3DFORMAT)bf, windowed));
}

static bool CheckFormat(void *ctx, u32 adapter, u32 type, u32 af, u32 usage, u32 rtype, u32 f) {
  return SUCCEEDED(D(ctx)->CheckDeviceFormat(adapter, (D3DDEVTYPE)type, (D3DFORMAT)af, usage, (D3DRESOURCETYPE)rtype, (D3DFORMAT)f));
}

static bool CheckDepthMatch(void *ctx, u32 adapter, u32 type, u32 af, u32 rf, u32 df) {
  return SUCCEEDED(D(ctx)->CheckDepthStencilMatch(adapter, (D3DDEVTYPE)type, (D3DFORMAT)af, (D3DFORMAT)rf, (D3DFORMAT)df));
}

static bool CheckMultiSample(void *ctx, u32 adapter, u32 type, u32 f, bool windowed, u32 ms, u32 *quality) {
  DWORD q = 0;
  HRESULT hr = D(ctx)->CheckDeviceMultiSampleType(adapter, (D3DDEVTYPE)type, (D3DFORMAT)f, windowed,
                                                  (D3DMULTISAMPLE_TYPE)ms, quality ? &q : nullptr);
  if (quality) *quality = q;
  return SUCCEEDED(hr);
}

const D3DQuery *D3DEnum_RealQuery(IDirect3D9 *d3d) {
  D3DQuery &q = g_D3DAppWin.query;
  q = {d3d, AdapterCount, AdapterDescription, AdapterModeCount, EnumModes, DisplayMode,
       DeviceCaps, CheckType, CheckFormat, CheckDepthMatch, CheckMultiSample};
  return &q;
}

// [SECTION] device filter

HRESULT D3DApp_ConfirmDevice(const D3DCAPS9 *caps, DWORD behavior, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat) {
  if (behavior & D3DCREATE_PUREDEVICE) return E_FAIL;
  if (!g_Lib.d3d) return E_FAIL;
  if (FAILED(g_Lib.d3d->CheckDeviceFormat(caps->AdapterOrdinal, caps->DeviceType, adapterFormat,
                                      D3DUSAGE_RENDERTARGET | D3DUSAGE_QUERY_POSTPIXELSHADER_BLENDING,
                                      D3DRTYPE_SURFACE, backBufferFormat)))
    return E_FAIL;
  if (!(caps->TextureCaps & D3DPTEXTURECAPS_ALPHAPALETTE) && !(caps->TextureCaps & D3DPTEXTURECAPS_ALPHA))
    return E_FAIL;
  return S_OK;
}

bool D3DApp_ConfirmDeviceByType(const EnumCaps *caps, u32 vp, u32 adapterFormat, u32 backBufferFormat) {
  return SUCCEEDED(D3DApp_ConfirmDevice((const D3DCAPS9 *)caps->platform, D3DEnum_BehaviorFlags(vp),
                                        (D3DFORMAT)adapterFormat, (D3DFORMAT)backBufferFormat));
}
