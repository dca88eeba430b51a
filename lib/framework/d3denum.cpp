// Device enumeration over the Direct3D queries (real or fake).
#include "lib/framework/d3denum.h"

#include <new>
#include <stdlib.h>
#include <string.h>

D3DEnumeration g_D3DEnum;

D3DEnumeration::D3DEnumeration() { D3DEnum_Construct(this); }
D3DEnumeration::~D3DEnumeration() { D3DEnum_Destroy(this); }

void D3DEnum_Construct(D3DEnumeration *e) {
  e->query = nullptr;
  e->adapters = nullptr;
  e->confirm = nullptr;
  e->minFullscreenWidth = 640;
  e->minFullscreenHeight = 480;
  e->minColorBits = 5;
  e->minAlphaBits = 0;
  e->minDepthBits = 15;
  e->minStencilBits = 0;
  e->usesDepthBuffer = e->usesMixedVP = e->requiresWindowed = e->requiresFullscreen = false;
  e->allowedAdapterFormats = nullptr;
}

// [SECTION] record lifetimes

static void FreeDevice(D3DDeviceRecord *d) {
  for (u32 i = 0; i < d->combos.count; i++) delete (D3DFormatCombo *)d->combos.GetPtr(i);
  delete d;
}

static void FreeAdapter(D3DAdapterRecord *a) {
  for (u32 i = 0; i < a->devices.count; i++) FreeDevice((D3DDeviceRecord *)a->devices.GetPtr(i));
  delete a;
}

void D3DEnum_Destroy(D3DEnumeration *e) {
  if (e->adapters) {
    for (u32 i = 0; i < e->adapters->count; i++) FreeAdapter((D3DAdapterRecord *)e->adapters->GetPtr(i));
    delete e->adapters;
    e->adapters = nullptr;
  }
  delete e->allowedAdapterFormats;
  e->allowedAdapterFormats = nullptr;
}

// [SECTION] format tables

u32 D3DEnum_ColorBits(u32 f) {
  switch (f) {
    case FMT_R8G8B8: case FMT_A8R8G8B8: case FMT_X8R8G8B8: return 8;
    case FMT_R5G6B5: case FMT_X1R5G5B5: case FMT_A1R5G5B5: return 5;
    case FMT_A4R4G4B4: case FMT_X4R4G4B4: return 4;
    case FMT_R3G3B2: case FMT_A8R3G3B2: return 2;
    case FMT_A2B10G10R10: case FMT_A2R10G10B10: return 10;
    default: return 0;
  }
}

u32 D3DEnum_AlphaBits(u32 f) {
  switch (f) {
    case FMT_A8R8G8B8: case FMT_A8R3G3B2: return 8;
    case FMT_A1R5G5B5: return 1;
    case FMT_A4R4G4B4: return 4;
    case FMT_A2B10G10R10: case FMT_A2R10G10B10: return 2;
    default: return 0;
  }
}

u32 D3DEnum_DepthBits(u32 f) {
  switch (f) {
    case FMT_D32: return 32;
    case FMT_D15S1: return 15;
    case FMT_D24S8: case FMT_D24X8: case FMT_D24X4S4: return 24;
    case FMT_D16: return 16;
    default: return 0;
  }
}

u32 D3DEnum_StencilBits(u32 f) {
  switch (f) {
    case FMT_D15S1: return 1;
    case FMT_D24S8: return 8;
    case FMT_D24X4S4: return 4;
    default: return 0;
  }
}

u32 D3DEnum_BehaviorFlags(u32 vp) {
  switch (vp) {
    case VP_SOFTWARE: return CREATE_SOFTWARE_VP;
    case VP_MIXED: return CREATE_MIXED_VP;
    case VP_HARDWARE: return CREATE_HARDWARE_VP;
    case VP_PURE_HARDWARE: return CREATE_HARDWARE_VP | CREATE_PUREDEVICE;
    default: return 0;
  }
}

// [SECTION] combo lists

static HResult AddU32(ArrayList &l, u32 v) { return l.Add(&v); }

static bool Accepts(const D3DEnumeration *e, const EnumCaps *caps, u32 vp, const D3DFormatCombo *c) {
  return !e->confirm || e->confirm(caps, vp, c->adapterFormat, c->backBufferFormat);
}

static HResult BuildDepthStencilList(const D3DEnumeration *e, D3DFormatCombo *c) {
  static const u32 kCandidates[] = {FMT_D24X8, FMT_D24S8, FMT_D24X4S4, FMT_D32};
  const D3DQuery *q = e->query;
  for (u32 f : kCandidates) {
    if (D3DEnum_DepthBits(f) < e->minDepthBits || D3DEnum_StencilBits(f) < e->minStencilBits) continue;
    if (!q->checkDeviceFormat(q->ctx, c->adapterOrdinal, c->deviceType, c->adapterFormat, USAGE_DEPTHSTENCIL, RTYPE_SURFACE, f)) continue;
    if (!q->checkDepthStencilMatch(q->ctx, c->adapterOrdinal, c->deviceType, c->adapterFormat, c->backBufferFormat, f)) continue;
    HResult hr = AddU32(c->depthStencilFormats, f);
    if (Hr_Failed(hr)) return hr;
  }
  // D16 without a check, so that the list is never empty.
  if (c->depthStencilFormats.count == 0) return AddU32(c->depthStencilFormats, FMT_D16);
  return HRES_OK;
}

static HResult BuildMultisampleLists(const D3DEnumeration *e, D3DFormatCombo *c) {
  const D3DQuery *q = e->query;
  for (u32 type = 0; type <= 16; type++) {
    u32 quality = 0;
    if (!q->checkMultiSampleType(q->ctx, c->adapterOrdinal, c->deviceType, c->backBufferFormat, c->windowed, type, &quality)) continue;
    HResult hr = AddU32(c->multisampleTypes, type);
    if (!Hr_Failed(hr)) hr = AddU32(c->multisampleQualities, quality);
    if (Hr_Failed(hr)) return hr;
  }
  return HRES_OK;
}

static HResult BuildConflictList(const D3DEnumeration *e, D3DFormatCombo *c) {
  const D3DQuery *q = e->query;
  for (u32 i = 0; i < c->depthStencilFormats.count; i++) {
    for (u32 j = 0; j < c->multisampleTypes.count; j++) {
      D3DDepthMsConflict dc = {ListU32(c->depthStencilFormats, i), ListU32(c->multisampleTypes, j)};
      if (q->checkMultiSampleType(q->ctx, c->adapterOrdinal, c->deviceType, dc.depthStencilFormat, c->windowed, dc.multisampleType, nullptr)) continue;
      HResult hr = c->conflicts.Add(&dc);
      if (Hr_Failed(hr)) return hr;
    }
  }
  return HRES_OK;
}

static HResult BuildVertexProcessingList(const D3DEnumeration *e, const D3DDeviceRecord *d, D3DFormatCombo *c) {
  const EnumCaps *caps = &d->caps;
  HResult hr = HRES_OK;
  if (caps->devCaps & DEVCAPS_HWTRANSFORMANDLIGHT) {
    if ((caps->devCaps & DEVCAPS_PUREDEVICE) && Accepts(e, caps, VP_PURE_HARDWARE, c)) hr = AddU32(c->vertexProcessingTypes, VP_PURE_HARDWARE);
    if (!Hr_Failed(hr) && Accepts(e, caps, VP_HARDWARE, c)) hr = AddU32(c->vertexProcessingTypes, VP_HARDWARE);
    if (!Hr_Failed(hr) && e->usesMixedVP && Accepts(e, caps, VP_MIXED, c)) hr = AddU32(c->vertexProcessingTypes, VP_MIXED);
  }
  if (!Hr_Failed(hr) && Accepts(e, caps, VP_SOFTWARE, c)) hr = AddU32(c->vertexProcessingTypes, VP_SOFTWARE);
  return hr;
}

static HResult BuildPresentIntervalList(const D3DDeviceRecord *d, D3DFormatCombo *c) {
  static const u32 kIntervals[] = {PRESENT_INTERVAL_IMMEDIATE, PRESENT_INTERVAL_DEFAULT, PRESENT_INTERVAL_ONE,
                                   PRESENT_INTERVAL_TWO, PRESENT_INTERVAL_THREE, PRESENT_INTERVAL_FOUR};
  for (u32 pi : kIntervals) {
    if (c->windowed && (pi == PRESENT_INTERVAL_TWO || pi == PRESENT_INTERVAL_THREE || pi == PRESENT_INTERVAL_FOUR)) continue;
    if (pi != PRESENT_INTERVAL_DEFAULT && !(d->caps.presentationIntervals & pi)) continue;
    HResult hr = AddU32(c->presentIntervals, pi);
    if (Hr_Failed(hr)) return hr;
  }
  return HRES_OK;
}

// Fills the lists of one combo; *keep is false when a required list stays empty.
static HResult BuildComboLists(const D3DEnumeration *e, const D3DDeviceRecord *d, D3DFormatCombo *c, bool *keep) {
  *keep = false;
  HResult hr;
  if (e->usesDepthBuffer) {
    if (Hr_Failed(hr = BuildDepthStencilList(e, c))) return hr;
    if (c->depthStencilFormats.count == 0) return HRES_OK;
  }
  if (Hr_Failed(hr = BuildMultisampleLists(e, c))) return hr;
  if (c->multisampleTypes.count == 0) return HRES_OK;
  if (Hr_Failed(hr = BuildConflictList(e, c))) return hr;
  if (Hr_Failed(hr = BuildVertexProcessingList(e, d, c))) return hr;
  if (c->vertexProcessingTypes.count == 0) return HRES_OK;
  if (Hr_Failed(hr = BuildPresentIntervalList(d, c))) return hr;
  *keep = true;
  return HRES_OK;
}

static HResult EnumerateCombos(const D3DEnumeration *e, D3DDeviceRecord *d, const ArrayList *adapterFormats) {
  static const u32 kBackBufferFormats[] = {FMT_A8R8G8B8, FMT_X8R8G8B8, FMT_A2R10G10B10,
                                           FMT_R5G6B5, FMT_A1R5G5B5, FMT_X1R5G5B5};
  const D3DQuery *q = e->query;
  for (u32 i = 0; i < adapterFormats->count; i++) {
    u32 adapterFormat = ListU32(*adapterFormats, i);
    for (u32 bb : kBackBufferFormats) {
      if (D3DEnum_AlphaBits(bb) < e->minAlphaBits) continue;
      for (int w = 0; w < 2; w++) {
        bool windowed = w == 1;
        if (!windowed && e->requiresWindowed) continue;
        if (windowed && e->requiresFullscreen) continue;
        if (!q->checkDeviceType(q->ctx, d->adapterOrdinal, d->deviceType, adapterFormat, bb, windowed)) continue;
        D3DFormatCombo *c = new (std::nothrow) D3DFormatCombo;
        if (!c) return (HResult)HRES_OUTOFMEMORY;
        c->adapterOrdinal = d->adapterOrdinal;
        c->deviceType = d->deviceType;
        c->adapterFormat = adapterFormat;
        c->backBufferFormat = bb;
        c->windowed = windowed;
        bool keep = false;
        HResult hr = BuildComboLists(e, d, c, &keep);
        if (!Hr_Failed(hr) && keep) hr = d->combos.Add(c);
        if (Hr_Failed(hr) || !keep) delete c;
        if (Hr_Failed(hr)) return hr;
      }
    }
  }
  return HRES_OK;
}

static HResult EnumerateDevices(const D3DEnumeration *e, D3DAdapterRecord *a, const ArrayList *adapterFormats) {
  static const u32 kDeviceTypes[] = {DEVTYPE_HAL, DEVTYPE_SW, DEVTYPE_REF};
  const D3DQuery *q = e->query;
  for (u32 type : kDeviceTypes) {
    D3DDeviceRecord *d = new (std::nothrow) D3DDeviceRecord;
    if (!d) return (HResult)HRES_OUTOFMEMORY;
    d->adapterOrdinal = a->adapterOrdinal;
    d->deviceType = type;
    memset(&d->caps, 0, sizeof d->caps);
    if (!q->deviceCaps(q->ctx, a->adapterOrdinal, type, &d->caps)) { FreeDevice(d); continue; }
    HResult hr = EnumerateCombos(e, d, adapterFormats);
    if (Hr_Failed(hr)) { FreeDevice(d); return hr; }
    if (d->combos.count == 0) { FreeDevice(d); continue; }
    hr = a->devices.Add(d);
    if (Hr_Failed(hr)) { FreeDevice(d); return hr; }
  }
  return HRES_OK;
}

// [SECTION] enumeration

static int CompareModes(const void *pa, const void *pb) {
  const EnumDisplayMode *a = (const EnumDisplayMode *)pa, *b = (const EnumDisplayMode *)pb;
  if (a->width != b->width) return a->width < b->width ? -1 : 1;
  if (a->height != b->height) return a->height < b->height ? -1 : 1;
  if ((i32)a->format != (i32)b->format) return (i32)a->format < (i32)b->format ? -1 : 1;
  if (a->refreshRate != b->refreshRate) return a->refreshRate < b->refreshRate ? -1 : 1;
  return 0;
}

static HResult CollectModes(const D3DEnumeration *e, D3DAdapterRecord *a, ArrayList *adapterFormats) {
  const D3DQuery *q = e->query;
  for (u32 i = 0; i < e->allowedAdapterFormats->count; i++) {
    u32 format = ListU32(*e->allowedAdapterFormats, i);
    u32 n = q->adapterModeCount(q->ctx, a->adapterOrdinal, format);
    for (u32 m = 0; m < n; m++) {
      EnumDisplayMode mode;
      if (!q->enumAdapterModes(q->ctx, a->adapterOrdinal, format, m, &mode)) continue;
      if (mode.width < e->minFullscreenWidth || mode.height < e->minFullscreenHeight) continue;
      if (D3DEnum_ColorBits(mode.format) < e->minColorBits) continue;
      HResult hr = a->displayModes.Add(&mode);
      if (!Hr_Failed(hr) && !adapterFormats->Contains(&mode.format)) hr = adapterFormats->Add(&mode.format);
      if (Hr_Failed(hr)) return hr;
    }
  }
  if (a->displayModes.count > 1)
    qsort(a->displayModes.data, a->displayModes.count, sizeof(EnumDisplayMode), CompareModes);
  return HRES_OK;
}

HResult D3DEnum_Enumerate(D3DEnumeration *e) {
  // Kept across adapters: later adapters are also tried with formats found on earlier ones.
  ArrayList adapterFormats(ARRAYLIST_VALUES, sizeof(u32));
  if (!e->query) return (HResult)HRES_FAIL;
  D3DEnum_Destroy(e);
  e->adapters = new (std::nothrow) ArrayList(ARRAYLIST_REFERENCES, 0);
  e->allowedAdapterFormats = new (std::nothrow) ArrayList(ARRAYLIST_VALUES, sizeof(u32));
  if (!e->adapters || !e->allowedAdapterFormats) return (HResult)HRES_OUTOFMEMORY;
  static const u32 kAllowed[] = {FMT_X8R8G8B8, FMT_X1R5G5B5, FMT_R5G6B5, FMT_A2R10G10B10};
  for (u32 f : kAllowed) {
    HResult hr = AddU32(*e->allowedAdapterFormats, f);
    if (Hr_Failed(hr)) return hr;
  }
  const D3DQuery *q = e->query;
  u32 count = q->adapterCount(q->ctx);
  for (u32 ordinal = 0; ordinal < count; ordinal++) {
    D3DAdapterRecord *a = new (std::nothrow) D3DAdapterRecord;
    if (!a) return (HResult)HRES_OUTOFMEMORY;
    a->adapterOrdinal = ordinal;
    a->description[0] = 0;
    if (q->adapterDescription) q->adapterDescription(q->ctx, ordinal, a->description, sizeof a->description);
    HResult hr = CollectModes(e, a, &adapterFormats);
    if (!Hr_Failed(hr)) hr = EnumerateDevices(e, a, &adapterFormats);
    if (Hr_Failed(hr)) { FreeAdapter(a); return hr; }
    if (a->devices.count == 0) { FreeAdapter(a); continue; }
    hr = e->adapters->Add(a);
    if (Hr_Failed(hr)) { FreeAdapter(a); return hr; }
  }
  return HRES_OK;
}
