// Device settings dialog: the list cascade over the device enumeration, on modelled combo
// boxes (see settingsdlg.h). The Windows dialog procedure only mirrors these boxes.
#include "lib/framework/settingsdlg.h"

#include <string.h>

#include "model/str.h"

D3DSettingsDialog g_SettingsDialog;

static const i32 kBoxIds[SDLG_BOX_COUNT] = {
    IDC_ADAPTER_COMBO,          IDC_DEVICE_COMBO,          IDC_ADAPTERFORMAT_COMBO,       IDC_RESOLUTION_COMBO,
    IDC_REFRESHRATE_COMBO,      IDC_BACKBUFFERFORMAT_COMBO, IDC_DEPTHSTENCILBUFFERFORMAT_COMBO,
    IDC_MULTISAMPLE_COMBO,      IDC_MULTISAMPLE_QUALITY_COMBO, IDC_VERTEXPROCESSING_COMBO, IDC_PRESENTINTERVAL_COMBO,
};

// [SECTION] names

const char *D3DDevTypeName(u32 t) {
  switch (t) {
    case DEVTYPE_HAL: return "D3DDEVTYPE_HAL";
    case DEVTYPE_SW: return "D3DDEVTYPE_SW";
    case DEVTYPE_REF: return "D3DDEVTYPE_REF";
    default: return "Unknown devType";
  }
}

const char *MultisampleTypeName(u32 type) {
  static const char *const names[17] = {
      "D3DMULTISAMPLE_NONE",        "D3DMULTISAMPLE_NONMASKABLE", "D3DMULTISAMPLE_2_SAMPLES",
      "D3DMULTISAMPLE_3_SAMPLES",   "D3DMULTISAMPLE_4_SAMPLES",   "D3DMULTISAMPLE_5_SAMPLES",
      "D3DMULTISAMPLE_6_SAMPLES",   "D3DMULTISAMPLE_7_SAMPLES",   "D3DMULTISAMPLE_8_SAMPLES",
      "D3DMULTISAMPLE_9_SAMPLES",   "D3DMULTISAMPLE_10_SAMPLES",  "D3DMULTISAMPLE_11_SAMPLES",
      "D3DMULTISAMPLE_12_SAMPLES",  "D3DMULTISAMPLE_13_SAMPLES",  "D3DMULTISAMPLE_14_SAMPLES",
      "D3DMULTISAMPLE_15_SAMPLES",  "D3DMULTISAMPLE_16_SAMPLES",
  };
  return type <= 16 ? names[type] : "Unknown Multisample Type";
}

const char *VertexProcessingTypeName(u32 kind) {
  switch (kind) {
    case VP_SOFTWARE: return "SOFTWARE_VP";
    case VP_MIXED: return "MIXED_VP";
    case VP_HARDWARE: return "HARDWARE_VP";
    case VP_PURE_HARDWARE: return "PURE_HARDWARE_VP";
    default: return "Unknown VertexProcessingType";
  }
}

const char *PresentIntervalName(u32 interval) {
  switch (interval) {
    case PRESENT_INTERVAL_IMMEDIATE: return "D3DPRESENT_INTERVAL_IMMEDIATE";
    case PRESENT_INTERVAL_DEFAULT: return "D3DPRESENT_INTERVAL_DEFAULT";
    case PRESENT_INTERVAL_ONE: return "D3DPRESENT_INTERVAL_ONE";
    case PRESENT_INTERVAL_TWO: return "D3DPRESENT_INTERVAL_TWO";
    case PRESENT_INTERVAL_THREE: return "D3DPRESENT_INTERVAL_THREE";
    case PRESENT_INTERVAL_FOUR: return "D3DPRESENT_INTERVAL_FOUR";
    default: return "Unknown PresentInterval";
  }
}

// [SECTION] combo boxes

SettingsCombo *SettingsCombo_Get(D3DSettingsDialog *dlg, i32 id) {
  for (SettingsCombo &c : dlg->boxes)
    if (c.id == id) return &c;
  return nullptr;
}

// Items beyond the box's capacity are dropped (no adapter offers that many).
void SettingsCombo_Add(SettingsCombo *c, const char *text, uintptr_t value) {
  if (c->count >= SDLG_MAX_ITEMS) return;
  SettingsComboItem *it = &c->items[c->count++];
  Str_Copy(it->text, sizeof it->text, text);
  it->value = value;
}

static void Post(D3DSettingsDialog *dlg, i32 id) {
  if (dlg->pendingCount < SDLG_QUEUE_SIZE) dlg->pending[dlg->pendingCount++] = id;
}

void SettingsCombo_Select(D3DSettingsDialog *dlg, SettingsCombo *c, i32 index) {
  if (index < 0 || index >= c->count) return;
  c->selected = index;
  Post(dlg, c->id);
}

void SettingsCombo_SelectValue(D3DSettingsDialog *dlg, SettingsCombo *c, uintptr_t value) {
  for (i32 i = 0; i < c->count; i++)
    if (c->items[i].value == value) return SettingsCombo_Select(dlg, c, i);
}

bool SettingsCombo_HasSelection(const SettingsCombo *c) { return c->selected >= 0 && c->selected < c->count; }

uintptr_t SettingsCombo_SelectedValue(const SettingsCombo *c) {
  return SettingsCombo_HasSelection(c) ? c->items[c->selected].value : 0;
}

void SettingsCombo_Clear(SettingsCombo *c) {
  c->count = 0;
  c->selected = -1;
}

bool SettingsCombo_ContainsText(const SettingsCombo *c, const char *text) {
  for (i32 i = 0; i < c->count; i++) {
    if (strlen(c->items[i].text) >= 200) continue;
    if (!strcmp(c->items[i].text, text)) return true;
  }
  return false;
}

// The refill rule's last step: the current value, else the first item.
static void SelectValueOrFirst(D3DSettingsDialog *dlg, SettingsCombo *c, uintptr_t value) {
  SettingsCombo_SelectValue(dlg, c, value);
  if (!SettingsCombo_HasSelection(c) && c->count > 0) SettingsCombo_Select(dlg, c, 0);
}

static SettingsCombo *Box(D3DSettingsDialog *dlg, i32 id) { return SettingsCombo_Get(dlg, id); }

static D3DModeSettings *Current(D3DSettingsDialog *dlg) { return D3DSettings_Current(&dlg->settings); }

// [SECTION] cascade

void D3DSettingsDialog_Construct(D3DSettingsDialog *dlg, const D3DEnumeration *e, const D3DSettings *s) {
  memset(dlg, 0, sizeof *dlg);
  dlg->enumeration = e;
  dlg->settings = *s;
  for (i32 i = 0; i < SDLG_BOX_COUNT; i++) {
    dlg->boxes[i].id = kBoxIds[i];
    dlg->boxes[i].selected = -1;
    dlg->boxes[i].enabled = true;
  }
  dlg->windowedEnabled = dlg->fullscreenEnabled = true;
  dlg->windowedChecked = s->windowed;
}

void D3DSettingsDialog_Open(D3DSettingsDialog *dlg) {
  SettingsCombo *c = Box(dlg, IDC_ADAPTER_COMBO);
  SettingsCombo_Clear(c);
  const D3DEnumeration *e = dlg->enumeration;
  const D3DFormatCombo *cur = Current(dlg)->combo;
  for (u32 i = 0; i < D3DEnum_AdapterCount(e); i++) {
    const D3DAdapterRecord *a = D3DEnum_Adapter(e, i);
    SettingsCombo_Add(c, a->description, (uintptr_t)a);
    if (cur && a->adapterOrdinal == cur->adapterOrdinal) SettingsCombo_Select(dlg, c, c->count - 1);
  }
  if (!SettingsCombo_HasSelection(c) && c->count > 0) SettingsCombo_Select(dlg, c, 0);
  D3DSettingsDialog_Run(dlg);
}

static void AdapterChanged(D3DSettingsDialog *dlg) {
  SettingsCombo *ca = Box(dlg, IDC_ADAPTER_COMBO);
  if (!SettingsCombo_HasSelection(ca)) return;
  const D3DAdapterRecord *a = (const D3DAdapterRecord *)SettingsCombo_SelectedValue(ca);
  D3DModeSettings *m = Current(dlg);
  m->adapter = a;
  SettingsCombo *cd = Box(dlg, IDC_DEVICE_COMBO);
  SettingsCombo_Clear(cd);
  for (u32 i = 0; i < a->devices.count; i++) {
    const D3DDeviceRecord *d = (const D3DDeviceRecord *)a->devices.GetPtr(i);
    SettingsCombo_Add(cd, D3DDevTypeName(d->deviceType), (uintptr_t)d);
    if (m->combo && d->deviceType == m->combo->deviceType && !SettingsCombo_HasSelection(cd))
      SettingsCombo_Select(dlg, cd, cd->count - 1);
  }
  if (!SettingsCombo_HasSelection(cd) && cd->count > 0) SettingsCombo_Select(dlg, cd, 0);
}

static bool DeviceHasCombo(const D3DDeviceRecord *d, bool windowed) {
  for (u32 i = 0; i < d->combos.count; i++)
    if (((const D3DFormatCombo *)d->combos.GetPtr(i))->windowed == windowed) return true;
  return false;
}

static void ModeChanged(D3DSettingsDialog *dlg);

static void DeviceChanged(D3DSettingsDialog *dlg) {
  SettingsCombo *cd = Box(dlg, IDC_DEVICE_COMBO);
  if (!SettingsCombo_HasSelection(cd)) return;
  const D3DDeviceRecord *d = (const D3DDeviceRecord *)SettingsCombo_SelectedValue(cd);
  Current(dlg)->device = d;
  bool hasWindowed = DeviceHasCombo(d, true);
  dlg->windowedEnabled = hasWindowed;
  dlg->fullscreenEnabled = DeviceHasCombo(d, false);
  dlg->windowedChecked = dlg->settings.windowed && hasWindowed;
  ModeChanged(dlg);
}

static void FillSingle(D3DSettingsDialog *dlg, i32 id, const char *text, uintptr_t value) {
  SettingsCombo *c = Box(dlg, id);
  SettingsCombo_Clear(c);
  SettingsCombo_Add(c, text, value);
  SettingsCombo_Select(dlg, c, 0);
}

static void RefreshText(u32 rate, char *out, size_t size) {
  if (rate == 0) Str_Copy(out, size, "Default Rate");
  else Str_Format(out, size, "%d Hz", (int)rate);
}

static void ModeChanged(D3DSettingsDialog *dlg) {
  SettingsCombo *ca = Box(dlg, IDC_ADAPTER_COMBO), *cd = Box(dlg, IDC_DEVICE_COMBO);
  if (!SettingsCombo_HasSelection(ca) || !SettingsCombo_HasSelection(cd)) return;
  const D3DAdapterRecord *a = (const D3DAdapterRecord *)SettingsCombo_SelectedValue(ca);
  const D3DDeviceRecord *d = (const D3DDeviceRecord *)SettingsCombo_SelectedValue(cd);
  D3DSettings *s = &dlg->settings;
  char text[64];
  if (dlg->windowedChecked) {
    s->windowed = true;
    s->windowedSet.adapter = a;
    s->windowedSet.device = d;
    const EnumDisplayMode *dm = &s->windowedSet.displayMode;
    FillSingle(dlg, IDC_ADAPTERFORMAT_COMBO, DXUtil_FormatName(dm->format, true), dm->format);
    Box(dlg, IDC_ADAPTERFORMAT_COMBO)->enabled = false;
    Str_Format(text, sizeof text, "%d by %d", (int)dm->width, (int)dm->height);
    FillSingle(dlg, IDC_RESOLUTION_COMBO, text, (uintptr_t)((dm->width & 0xFFFF) | ((dm->height & 0xFFFF) << 16)));
    Box(dlg, IDC_RESOLUTION_COMBO)->enabled = false;
    RefreshText(dm->refreshRate, text, sizeof text);
    FillSingle(dlg, IDC_REFRESHRATE_COMBO, text, dm->refreshRate);
    Box(dlg, IDC_REFRESHRATE_COMBO)->enabled = false;
  } else {
    s->windowed = false;
    s->fullscreenSet.adapter = a;
    s->fullscreenSet.device = d;
    SettingsCombo *cf = Box(dlg, IDC_ADAPTERFORMAT_COMBO);
    SettingsCombo_Clear(cf);
    for (u32 i = 0; i < d->combos.count; i++) {
      const D3DFormatCombo *fc = (const D3DFormatCombo *)d->combos.GetPtr(i);
      if (fc->windowed) continue;
      const char *name = DXUtil_FormatName(fc->adapterFormat, true);
      if (!SettingsCombo_ContainsText(cf, name)) SettingsCombo_Add(cf, name, fc->adapterFormat);
    }
    SelectValueOrFirst(dlg, cf, s->fullscreenSet.displayMode.format);
    cf->enabled = true;
    Box(dlg, IDC_RESOLUTION_COMBO)->enabled = true;
    Box(dlg, IDC_REFRESHRATE_COMBO)->enabled = true;
  }
}

static void DisplayFormatChanged(D3DSettingsDialog *dlg) {
  SettingsCombo *cf = Box(dlg, IDC_ADAPTERFORMAT_COMBO);
  if (!SettingsCombo_HasSelection(cf)) return;
  D3DSettings *s = &dlg->settings;
  D3DModeSettings *m = Current(dlg);
  u32 format = (u32)SettingsCombo_SelectedValue(cf);
  char text[64];
  if (!s->windowed && m->adapter) {
    s->fullscreenSet.displayMode.format = format;
    SettingsCombo *cr = Box(dlg, IDC_RESOLUTION_COMBO);
    SettingsCombo_Clear(cr);
    const ArrayList &modes = m->adapter->displayModes;
    for (u32 i = 0; i < modes.count; i++) {
      const EnumDisplayMode *dm = (const EnumDisplayMode *)modes.GetPtr(i);
      if (dm->format != format) continue;
      Str_Format(text, sizeof text, "%d by %d", (int)dm->width, (int)dm->height);
      if (!SettingsCombo_ContainsText(cr, text))
        SettingsCombo_Add(cr, text, (uintptr_t)((dm->width & 0xFFFF) | ((dm->height & 0xFFFF) << 16)));
    }
    const EnumDisplayMode *fm = &s->fullscreenSet.displayMode;
    SelectValueOrFirst(dlg, cr, (uintptr_t)((fm->width & 0xFFFF) | ((fm->height & 0xFFFF) << 16)));
  }
  SettingsCombo *cb = Box(dlg, IDC_BACKBUFFERFORMAT_COMBO);
  SettingsCombo_Clear(cb);
  if (!m->device) return;
  for (u32 i = 0; i < m->device->combos.count; i++) {
    const D3DFormatCombo *fc = (const D3DFormatCombo *)m->device->combos.GetPtr(i);
    if (fc->windowed != s->windowed || fc->adapterFormat != m->displayMode.format) continue;
    const char *name = DXUtil_FormatName(fc->backBufferFormat, true);
    if (!SettingsCombo_ContainsText(cb, name)) SettingsCombo_Add(cb, name, fc->backBufferFormat);
  }
  SelectValueOrFirst(dlg, cb, m->combo ? m->combo->backBufferFormat : (u32)-1);
}

static void ResolutionChanged(D3DSettingsDialog *dlg) {
  SettingsCombo *cr = Box(dlg, IDC_RESOLUTION_COMBO);
  D3DSettings *s = &dlg->settings;
  if (s->windowed || !SettingsCombo_HasSelection(cr)) return;
  u32 v = (u32)SettingsCombo_SelectedValue(cr);
  s->fullscreenSet.displayMode.width = v & 0xFFFF;
  s->fullscreenSet.displayMode.height = v >> 16;
  u32 format = (u32)SettingsCombo_SelectedValue(Box(dlg, IDC_ADAPTERFORMAT_COMBO));
  SettingsCombo *cr2 = Box(dlg, IDC_REFRESHRATE_COMBO);
  SettingsCombo_Clear(cr2);
  const D3DAdapterRecord *a = s->fullscreenSet.adapter;
  if (!a) return;
  char text[64];
  for (u32 i = 0; i < a->displayModes.count; i++) {
    const EnumDisplayMode *dm = (const EnumDisplayMode *)a->displayModes.GetPtr(i);
    if (dm->format != format || dm->width != (v & 0xFFFF) || dm->height != (v >> 16)) continue;
    RefreshText(dm->refreshRate, text, sizeof text);
    if (!SettingsCombo_ContainsText(cr2, text)) SettingsCombo_Add(cr2, text, dm->refreshRate);
  }
  SelectValueOrFirst(dlg, cr2, s->fullscreenSet.displayMode.refreshRate);
}

static void RefreshRateChanged(D3DSettingsDialog *dlg) {
  SettingsCombo *c = Box(dlg, IDC_REFRESHRATE_COMBO);
  if (dlg->settings.windowed || !SettingsCombo_HasSelection(c)) return;
  dlg->settings.fullscreenSet.displayMode.refreshRate = (u32)SettingsCombo_SelectedValue(c);
}

static void FillU32List(D3DSettingsDialog *dlg, i32 id, const ArrayList &list, const char *(*name)(u32), u32 current) {
  SettingsCombo *c = Box(dlg, id);
  SettingsCombo_Clear(c);
  for (u32 i = 0; i < list.count; i++) SettingsCombo_Add(c, name(ListU32(list, i)), ListU32(list, i));
  SelectValueOrFirst(dlg, c, current);
}

static const char *FormatNameWithPrefix(u32 f) { return DXUtil_FormatName(f, true); }

static void BackBufferChanged(D3DSettingsDialog *dlg) {
  SettingsCombo *cb = Box(dlg, IDC_BACKBUFFERFORMAT_COMBO), *cf = Box(dlg, IDC_ADAPTERFORMAT_COMBO);
  if (!SettingsCombo_HasSelection(cb) || !SettingsCombo_HasSelection(cf)) return;
  D3DModeSettings *m = Current(dlg);
  if (!m->device) return;
  u32 adapterFormat = (u32)SettingsCombo_SelectedValue(cf), backFormat = (u32)SettingsCombo_SelectedValue(cb);
  const D3DFormatCombo *found = nullptr;
  for (u32 i = 0; i < m->device->combos.count && !found; i++) {
    const D3DFormatCombo *fc = (const D3DFormatCombo *)m->device->combos.GetPtr(i);
    if (fc->windowed == dlg->settings.windowed && fc->adapterFormat == adapterFormat && fc->backBufferFormat == backFormat)
      found = fc;
  }
  if (!found) return;
  m->combo = found;
  SettingsCombo *cz = Box(dlg, IDC_DEPTHSTENCILBUFFERFORMAT_COMBO);
  if (dlg->enumeration->usesDepthBuffer) {
    FillU32List(dlg, IDC_DEPTHSTENCILBUFFERFORMAT_COMBO, found->depthStencilFormats, FormatNameWithPrefix,
                m->depthStencilFormat);
    cz->enabled = true;
  } else {
    FillSingle(dlg, IDC_DEPTHSTENCILBUFFERFORMAT_COMBO, "(not used)", 0);
    cz->enabled = false;
  }
  FillU32List(dlg, IDC_VERTEXPROCESSING_COMBO, found->vertexProcessingTypes, VertexProcessingTypeName,
              m->vertexProcessingType);
  FillU32List(dlg, IDC_PRESENTINTERVAL_COMBO, found->presentIntervals, PresentIntervalName, m->presentInterval);
}

static void DepthChanged(D3DSettingsDialog *dlg) {
  SettingsCombo *cz = Box(dlg, IDC_DEPTHSTENCILBUFFERFORMAT_COMBO);
  if (!SettingsCombo_HasSelection(cz)) return;
  D3DModeSettings *m = Current(dlg);
  u32 depth = (u32)SettingsCombo_SelectedValue(cz);
  if (dlg->enumeration->usesDepthBuffer) m->depthStencilFormat = depth;
  SettingsCombo *cm = Box(dlg, IDC_MULTISAMPLE_COMBO);
  SettingsCombo_Clear(cm);
  const D3DFormatCombo *fc = m->combo;
  if (!fc) return;
  for (u32 i = 0; i < fc->multisampleTypes.count; i++) {
    u32 type = ListU32(fc->multisampleTypes, i);
    bool conflict = false;
    for (u32 k = 0; k < fc->conflicts.count && !conflict; k++) {
      const D3DDepthMsConflict *c = (const D3DDepthMsConflict *)fc->conflicts.GetPtr(k);
      conflict = c->depthStencilFormat == depth && c->multisampleType == type;
    }
    if (!conflict) SettingsCombo_Add(cm, MultisampleTypeName(type), type);
  }
  SelectValueOrFirst(dlg, cm, m->multisampleType);
}

static void MultisampleChanged(D3DSettingsDialog *dlg) {
  SettingsCombo *cm = Box(dlg, IDC_MULTISAMPLE_COMBO);
  if (!SettingsCombo_HasSelection(cm)) return;
  D3DModeSettings *m = Current(dlg);
  u32 type = (u32)SettingsCombo_SelectedValue(cm);
  m->multisampleType = type;
  u32 levels = 0;
  if (m->combo) {
    for (u32 i = 0; i < m->combo->multisampleTypes.count && i < m->combo->multisampleQualities.count; i++)
      if (ListU32(m->combo->multisampleTypes, i) == type) {
        levels = ListU32(m->combo->multisampleQualities, i);
        break;
      }
  }
  SettingsCombo *cq = Box(dlg, IDC_MULTISAMPLE_QUALITY_COMBO);
  SettingsCombo_Clear(cq);
  char text[16];
  for (u32 q = 0; q < levels && q < SDLG_MAX_ITEMS; q++) {
    Str_Format(text, sizeof text, "%d", (int)q);
    SettingsCombo_Add(cq, text, q);
  }
  SelectValueOrFirst(dlg, cq, m->multisampleQuality);
}

static void SimpleFieldChanged(D3DSettingsDialog *dlg, i32 id, u32 D3DModeSettings::*field) {
  SettingsCombo *c = Box(dlg, id);
  if (!SettingsCombo_HasSelection(c)) return;
  Current(dlg)->*field = (u32)SettingsCombo_SelectedValue(c);
}

void D3DSettingsDialog_Command(D3DSettingsDialog *dlg, i32 id) {
  switch (id) {
    case IDC_ADAPTER_COMBO: AdapterChanged(dlg); break;
    case IDC_DEVICE_COMBO: DeviceChanged(dlg); break;
    case IDC_WINDOW:
    case IDC_FULLSCREEN: ModeChanged(dlg); break;
    case IDC_ADAPTERFORMAT_COMBO: DisplayFormatChanged(dlg); break;
    case IDC_RESOLUTION_COMBO: ResolutionChanged(dlg); break;
    case IDC_REFRESHRATE_COMBO: RefreshRateChanged(dlg); break;
    case IDC_BACKBUFFERFORMAT_COMBO: BackBufferChanged(dlg); break;
    case IDC_DEPTHSTENCILBUFFERFORMAT_COMBO: DepthChanged(dlg); break;
    case IDC_MULTISAMPLE_COMBO: MultisampleChanged(dlg); break;
    case IDC_MULTISAMPLE_QUALITY_COMBO:
      SimpleFieldChanged(dlg, id, &D3DModeSettings::multisampleQuality);
      break;
    case IDC_VERTEXPROCESSING_COMBO:
      SimpleFieldChanged(dlg, id, &D3DModeSettings::vertexProcessingType);
      break;
    case IDC_PRESENTINTERVAL_COMBO:
      SimpleFieldChanged(dlg, id, &D3DModeSettings::presentInterval);
      break;
    default: break;
  }
}

void D3DSettingsDialog_Run(D3DSettingsDialog *dlg) {
  // Bounded: each handler only refills boxes further down the chain, so the queue drains.
  for (i32 guard = 0; dlg->pendingCount > 0 && guard < 10000; guard++) {
    i32 id = dlg->pending[0];
    memmove(dlg->pending, dlg->pending + 1, (size_t)(dlg->pendingCount - 1) * sizeof(i32));
    dlg->pendingCount--;
    D3DSettingsDialog_Command(dlg, id);
  }
}

void D3DSettingsDialog_UserSelect(D3DSettingsDialog *dlg, i32 id, i32 index) {
  SettingsCombo *c = Box(dlg, id);
  if (!c) return;
  SettingsCombo_Select(dlg, c, index);
  D3DSettingsDialog_Run(dlg);
}

void D3DSettingsDialog_UserRadio(D3DSettingsDialog *dlg, bool windowed) {
  if (windowed ? !dlg->windowedEnabled : !dlg->fullscreenEnabled) return;
  dlg->windowedChecked = windowed;
  D3DSettingsDialog_Command(dlg, windowed ? IDC_WINDOW : IDC_FULLSCREEN);
  D3DSettingsDialog_Run(dlg);
}
