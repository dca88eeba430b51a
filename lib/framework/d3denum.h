// Device enumeration: every adapter with its usable display modes, the device types that
// work on it, and per device type each usable pairing of adapter format, back-buffer
// format and windowed use with its depth/stencil formats, multisample types, conflicts,
// vertex-processing kinds and present intervals.
//
// Portable: the runtime is reached through D3DQuery (the real IDirect3D9 in the Windows
// build, a fake in tests). g_D3DEnum is built once during start-up and read-only after.
#pragma once
#include "lib/framework/dxutil.h"

enum { DEVTYPE_HAL = 1, DEVTYPE_REF = 2, DEVTYPE_SW = 3 };
enum { VP_SOFTWARE = 0, VP_MIXED = 1, VP_HARDWARE = 2, VP_PURE_HARDWARE = 3 };

// Caps bits tested by the framework.
enum : u32 {
  DEVCAPS_HWTRANSFORMANDLIGHT = 0x10000,
  DEVCAPS_PUREDEVICE = 0x100000,
  PMISCCAPS_NULLREFERENCE = 0x1000,
  PTEXTURECAPS_ALPHA = 0x4,
  PTEXTURECAPS_ALPHAPALETTE = 0x80,
  USAGE_RENDERTARGET = 0x1,
  USAGE_DEPTHSTENCIL = 0x2,
  USAGE_QUERY_POSTPIXELSHADER_BLENDING = 0x80000,
  RTYPE_SURFACE = 1,
  PRESENT_INTERVAL_DEFAULT = 0,
  PRESENT_INTERVAL_ONE = 1,
  PRESENT_INTERVAL_TWO = 2,
  PRESENT_INTERVAL_THREE = 4,
  PRESENT_INTERVAL_FOUR = 8,
  PRESENT_INTERVAL_IMMEDIATE = 0x80000000u,
  CREATE_SOFTWARE_VP = 0x20,
  CREATE_HARDWARE_VP = 0x40,
  CREATE_MIXED_VP = 0x80,
  CREATE_PUREDEVICE = 0x10,
};

struct EnumDisplayMode {
  u32 width, height, refreshRate, format;
};

// The caps the framework reads, plus the platform's whole caps record (Windows build).
struct EnumCaps {
  u32 deviceType;
  u32 devCaps;
  u32 primitiveMiscCaps;
  u32 textureCaps;
  u32 presentationIntervals;
  u32 maxTextureWidth;
  u32 maxVertexBlendMatrices, maxVertexBlendMatrixIndex, maxPrimitiveCount, maxVertexIndex;
  u32 vertexShaderVersion, pixelShaderVersion;
  alignas(8) u8 platform[320];  // D3DCAPS9 as the runtime returned it
};

// The Direct3D queries the enumeration and the mode choice make; true = the call succeeded.
struct D3DQuery {
  void *ctx;
  u32 (*adapterCount)(void *ctx);
  void (*adapterDescription)(void *ctx, u32 adapter, char *out, size_t size);
  u32 (*adapterModeCount)(void *ctx, u32 adapter, u32 format);
  bool (*enumAdapterModes)(void *ctx, u32 adapter, u32 format, u32 index, EnumDisplayMode *mode);
  bool (*adapterDisplayMode)(void *ctx, u32 adapter, EnumDisplayMode *mode);
  bool (*deviceCaps)(void *ctx, u32 adapter, u32 deviceType, EnumCaps *caps);
  bool (*checkDeviceType)(void *ctx, u32 adapter, u32 deviceType, u32 adapterFormat, u32 backBufferFormat, bool windowed);
  bool (*checkDeviceFormat)(void *ctx, u32 adapter, u32 deviceType, u32 adapterFormat, u32 usage, u32 resourceType, u32 format);
  bool (*checkDepthStencilMatch)(void *ctx, u32 adapter, u32 deviceType, u32 adapterFormat, u32 renderTargetFormat, u32 depthFormat);
  // qualityLevels may be null.
  bool (*checkMultiSampleType)(void *ctx, u32 adapter, u32 deviceType, u32 format, bool windowed, u32 type, u32 *qualityLevels);
};

struct D3DDepthMsConflict {
  u32 depthStencilFormat;
  u32 multisampleType;
};

struct D3DFormatCombo {
  u32 adapterOrdinal;
  u32 deviceType;
  u32 adapterFormat;
  u32 backBufferFormat;
  bool windowed;
  ArrayList depthStencilFormats{ARRAYLIST_VALUES, sizeof(u32)};
  ArrayList multisampleTypes{ARRAYLIST_VALUES, sizeof(u32)};
  ArrayList multisampleQualities{ARRAYLIST_VALUES, sizeof(u32)};  // parallel to the types
  ArrayList conflicts{ARRAYLIST_VALUES, sizeof(D3DDepthMsConflict)};
  ArrayList vertexProcessingTypes{ARRAYLIST_VALUES, sizeof(u32)};
  ArrayList presentIntervals{ARRAYLIST_VALUES, sizeof(u32)};
};

struct D3DDeviceRecord {
  u32 adapterOrdinal;
  u32 deviceType;
  EnumCaps caps;
  ArrayList combos{ARRAYLIST_REFERENCES, 0};  // D3DFormatCombo*
};

struct D3DAdapterRecord {
  u32 adapterOrdinal;
  char description[512];
  ArrayList displayModes{ARRAYLIST_VALUES, sizeof(EnumDisplayMode)};
  ArrayList devices{ARRAYLIST_REFERENCES, 0};  // D3DDeviceRecord*
};

// Accepts (true) or refuses a device combination for a vertex-processing kind.
typedef bool (*D3DConfirmFn)(const EnumCaps *caps, u32 vertexProcessingType, u32 adapterFormat, u32 backBufferFormat);

struct D3DEnumeration {
  const D3DQuery *query;    // not owned; set before D3DEnum_Enumerate
  ArrayList *adapters;      // D3DAdapterRecord*
  D3DConfirmFn confirm;     // null accepts everything
  u32 minFullscreenWidth, minFullscreenHeight;
  u32 minColorBits, minAlphaBits;
  u32 minDepthBits, minStencilBits;
  bool usesDepthBuffer, usesMixedVP, requiresWindowed, requiresFullscreen;
  ArrayList *allowedAdapterFormats;  // u32

  D3DEnumeration();
  ~D3DEnumeration();
};
extern D3DEnumeration g_D3DEnum;

// Defaults: 640x480 minimum, 5 colour bits, 0 alpha, 15 depth, 0 stencil, flags false.
void D3DEnum_Construct(D3DEnumeration *e);
// Builds every list once; HRES_FAIL without a query object, HRES_OUTOFMEMORY on allocation.
HResult D3DEnum_Enumerate(D3DEnumeration *e);
void D3DEnum_Destroy(D3DEnumeration *e);

inline D3DAdapterRecord *D3DEnum_Adapter(const D3DEnumeration *e, u32 i) {
  return e->adapters ? (D3DAdapterRecord *)e->adapters->GetPtr(i) : nullptr;
}
inline u32 D3DEnum_AdapterCount(const D3DEnumeration *e) { return e->adapters ? e->adapters->count : 0; }
inline u32 ListU32(const ArrayList &l, u32 i) { return *(const u32 *)l.GetPtr(i); }

u32 D3DEnum_ColorBits(u32 format);
u32 D3DEnum_AlphaBits(u32 format);
u32 D3DEnum_DepthBits(u32 format);
u32 D3DEnum_StencilBits(u32 format);
// Creation flags of a vertex-processing kind (0 for an unknown one).
u32 D3DEnum_BehaviorFlags(u32 vertexProcessingType);
