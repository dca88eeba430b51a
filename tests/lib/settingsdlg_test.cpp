// The device settings dialog's list cascade over a fake enumeration: the exact items of
// every box after opening and after each kind of user choice.
#include <gtest/gtest.h>

#include <string.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "lib/framework/settingsdlg.h"

namespace {

struct Fake {
  std::vector<std::string> names = {"Fake Adapter 0", "Fake Adapter 1"};
  std::vector<EnumDisplayMode> modes = {{640, 480, 60, FMT_X8R8G8B8},  {640, 480, 75, FMT_X8R8G8B8},
                                        {800, 600, 0, FMT_X8R8G8B8},   {800, 600, 60, FMT_R5G6B5},
                                        {1024, 768, 60, FMT_X8R8G8B8}};
  bool fullscreenOnly = false;
};

Fake *F(void *c) { return (Fake *)c; }
u32 QCount(void *c) { return (u32)F(c)->names.size(); }
void QDesc(void *c, u32 a, char *out, size_t n) { Str_Copy(out, n, F(c)->names[a].c_str()); }
u32 QModeCount(void *c, u32, u32 f) {
  u32 n = 0;
  for (auto &m : F(c)->modes) n += m.format == f;
  return n;
}
bool QModes(void *c, u32, u32 f, u32 i, EnumDisplayMode *out) {
  for (auto &m : F(c)->modes)
    if (m.format == f && i-- == 0) { *out = m; return true; }
  return false;
}
bool QDisplay(void *, u32, EnumDisplayMode *m) { *m = {1280, 1024, 60, FMT_X8R8G8B8}; return true; }
bool QCaps(void *, u32, u32 type, EnumCaps *caps) {
  if (type == DEVTYPE_SW) return false;
  memset(caps, 0, sizeof *caps);
  caps->deviceType = type;
  caps->devCaps = type == DEVTYPE_HAL ? (u32)DEVCAPS_HWTRANSFORMANDLIGHT : 0u;
  caps->presentationIntervals = PRESENT_INTERVAL_ONE | PRESENT_INTERVAL_TWO | PRESENT_INTERVAL_IMMEDIATE;
  return true;
}
bool QType(void *c, u32, u32, u32 af, u32 bf, bool windowed) {
  if (windowed && F(c)->fullscreenOnly) return false;
  return af == bf || (af == FMT_X8R8G8B8 && bf == FMT_A8R8G8B8);
}
bool QFormat(void *, u32, u32, u32, u32 usage, u32, u32 f) {
  return usage != USAGE_DEPTHSTENCIL || f == FMT_D24X8 || f == FMT_D24S8;
}
bool QMatch(void *, u32, u32, u32, u32, u32 df) { return df == FMT_D24X8 || df == FMT_D24S8; }
bool QMs(void *, u32, u32, u32 f, bool, u32 type, u32 *q) {
  if (q) *q = type == 0 ? 1u : type == 2 ? 2u : 0u;  // type 4 reports no quality level
  if (f == FMT_D24S8 && type == 4) return false;
  return type == 0 || type == 2 || type == 4;
}

struct SettingsDialog : ::testing::Test {
  Fake fake;
  D3DQuery query{&fake, QCount, QDesc, QModeCount, QModes, QDisplay, QCaps, QType, QFormat, QMatch, QMs};
  D3DEnumeration e;
  D3DSettings s{};
  D3DSettingsDialog &dlg = g_SettingsDialog;

  void Enumerate(bool depth = true) {
    e.query = &query;
    e.usesDepthBuffer = depth;
    ASSERT_EQ(D3DEnum_Enumerate(&e), (HResult)HRES_OK);
  }
  const D3DFormatCombo *FindCombo(const D3DDeviceRecord *d, u32 af, u32 bf, bool windowed) {
    for (u32 i = 0; i < d->combos.count; i++) {
      auto *c = (const D3DFormatCombo *)d->combos.GetPtr(i);
      if (c->adapterFormat == af && c->backBufferFormat == bf && c->windowed == windowed) return c;
    }
    return nullptr;
  }
  // Windowed X8 on X8 with D24S8, 2 samples quality 1; fullscreen 800x600 default rate.
  void StandardSettings() {
    const D3DAdapterRecord *a = D3DEnum_Adapter(&e, 0);
    const D3DDeviceRecord *d = (const D3DDeviceRecord *)a->devices.GetPtr(0);
    s.windowed = true;
    s.windowedSet = {a, d, FindCombo(d, FMT_X8R8G8B8, FMT_X8R8G8B8, true), {1280, 1024, 60, FMT_X8R8G8B8},
                     FMT_D24S8, 2, 1, VP_HARDWARE, PRESENT_INTERVAL_ONE};
    s.fullscreenSet = {a, d, FindCombo(d, FMT_X8R8G8B8, FMT_A8R8G8B8, false), {800, 600, 0, FMT_X8R8G8B8},
                       FMT_D24X8, 0, 0, VP_HARDWARE, PRESENT_INTERVAL_IMMEDIATE};
  }
  std::vector<std::string> Items(i32 id) {
    std::vector<std::string> v;
    SettingsCombo *c = SettingsCombo_Get(&dlg, id);
    for (i32 i = 0; i < c->count; i++) v.push_back(c->items[i].text);
    return v;
  }
  std::string Selected(i32 id) {
    SettingsCombo *c = SettingsCombo_Get(&dlg, id);
    return SettingsCombo_HasSelection(c) ? c->items[c->selected].text : "";
  }
  bool Enabled(i32 id) { return SettingsCombo_Get(&dlg, id)->enabled; }
  i32 IndexOf(i32 id, const char *text) {
    SettingsCombo *c = SettingsCombo_Get(&dlg, id);
    for (i32 i = 0; i < c->count; i++)
      if (!strcmp(c->items[i].text, text)) return i;
    return -1;
  }
  void Pick(i32 id, const char *text) {
    i32 i = IndexOf(id, text);
    ASSERT_GE(i, 0) << text;
    D3DSettingsDialog_UserSelect(&dlg, id, i);
  }
  void Open() {
    D3DSettingsDialog_Construct(&dlg, &e, &s);
    D3DSettingsDialog_Open(&dlg);
  }
};

using Strings = std::vector<std::string>;

TEST_F(SettingsDialog, WindowedOpeningFillsTheWholeChainFromTheSettings) {
  Enumerate();
  StandardSettings();
  D3DSettings before = s;
  Open();
  EXPECT_EQ(Items(IDC_ADAPTER_COMBO), (Strings{"Fake Adapter 0", "Fake Adapter 1"}));
  EXPECT_EQ(Selected(IDC_ADAPTER_COMBO), "Fake Adapter 0");
  EXPECT_EQ(Items(IDC_DEVICE_COMBO), (Strings{"D3DDEVTYPE_HAL", "D3DDEVTYPE_REF"}));
  EXPECT_EQ(Selected(IDC_DEVICE_COMBO), "D3DDEVTYPE_HAL");
  EXPECT_TRUE(dlg.windowedEnabled && dlg.fullscreenEnabled && dlg.windowedChecked);
  // Windowed: one disabled item each for format, resolution and rate.
  EXPECT_EQ(Items(IDC_ADAPTERFORMAT_COMBO), (Strings{"D3DFMT_X8R8G8B8"}));
  EXPECT_EQ(Items(IDC_RESOLUTION_COMBO), (Strings{"1280 by 1024"}));
  EXPECT_EQ(Items(IDC_REFRESHRATE_COMBO), (Strings{"60 Hz"}));
  EXPECT_FALSE(Enabled(IDC_ADAPTERFORMAT_COMBO) || Enabled(IDC_RESOLUTION_COMBO) || Enabled(IDC_REFRESHRATE_COMBO));
  EXPECT_EQ(Items(IDC_BACKBUFFERFORMAT_COMBO), (Strings{"D3DFMT_A8R8G8B8", "D3DFMT_X8R8G8B8"}));
  EXPECT_EQ(Selected(IDC_BACKBUFFERFORMAT_COMBO), "D3DFMT_X8R8G8B8");
  EXPECT_EQ(Items(IDC_DEPTHSTENCILBUFFERFORMAT_COMBO), (Strings{"D3DFMT_D24X8", "D3DFMT_D24S8"}));
  EXPECT_EQ(Selected(IDC_DEPTHSTENCILBUFFERFORMAT_COMBO), "D3DFMT_D24S8");
  // 4 samples conflict with D24S8 and are hidden.
  EXPECT_EQ(Items(IDC_MULTISAMPLE_COMBO), (Strings{"D3DMULTISAMPLE_NONE", "D3DMULTISAMPLE_2_SAMPLES"}));
  EXPECT_EQ(Selected(IDC_MULTISAMPLE_COMBO), "D3DMULTISAMPLE_2_SAMPLES");
  EXPECT_EQ(Items(IDC_MULTISAMPLE_QUALITY_COMBO), (Strings{"0", "1"}));
  EXPECT_EQ(Selected(IDC_MULTISAMPLE_QUALITY_COMBO), "1");
  EXPECT_EQ(Items(IDC_VERTEXPROCESSING_COMBO), (Strings{"HARDWARE_VP", "SOFTWARE_VP"}));
  EXPECT_EQ(Selected(IDC_VERTEXPROCESSING_COMBO), "HARDWARE_VP");
  EXPECT_EQ(Items(IDC_PRESENTINTERVAL_COMBO),
            (Strings{"D3DPRESENT_INTERVAL_IMMEDIATE", "D3DPRESENT_INTERVAL_DEFAULT", "D3DPRESENT_INTERVAL_ONE"}));
  EXPECT_EQ(Selected(IDC_PRESENTINTERVAL_COMBO), "D3DPRESENT_INTERVAL_ONE");
  // The dialog edits its copy only: the caller's settings stay as they were (Cancel).
  EXPECT_EQ(memcmp(&before, &s, sizeof s), 0);
  EXPECT_EQ(dlg.settings.windowedSet.combo, s.windowedSet.combo);
  EXPECT_EQ(dlg.settings.windowedSet.multisampleQuality, 1u);
}

TEST_F(SettingsDialog, FullscreenListsFormatsResolutionsAndOnlyTheRatesOfTheChosenSize) {
  Enumerate();
  StandardSettings();
  Open();
  D3DSettingsDialog_UserRadio(&dlg, false);
  EXPECT_FALSE(dlg.settings.windowed);
  EXPECT_EQ(Items(IDC_ADAPTERFORMAT_COMBO), (Strings{"D3DFMT_X8R8G8B8", "D3DFMT_R5G6B5"}));
  EXPECT_TRUE(Enabled(IDC_ADAPTERFORMAT_COMBO) && Enabled(IDC_RESOLUTION_COMBO) && Enabled(IDC_REFRESHRATE_COMBO));
  EXPECT_EQ(Items(IDC_RESOLUTION_COMBO), (Strings{"640 by 480", "800 by 600", "1024 by 768"}));
  EXPECT_EQ(Selected(IDC_RESOLUTION_COMBO), "800 by 600");
  EXPECT_EQ(Items(IDC_REFRESHRATE_COMBO), (Strings{"Default Rate"}));
  EXPECT_EQ(Items(IDC_BACKBUFFERFORMAT_COMBO), (Strings{"D3DFMT_A8R8G8B8", "D3DFMT_X8R8G8B8"}));
  EXPECT_EQ(Selected(IDC_BACKBUFFERFORMAT_COMBO), "D3DFMT_A8R8G8B8");
  EXPECT_EQ(Selected(IDC_DEPTHSTENCILBUFFERFORMAT_COMBO), "D3DFMT_D24X8");
  EXPECT_EQ(Items(IDC_MULTISAMPLE_COMBO),
            (Strings{"D3DMULTISAMPLE_NONE", "D3DMULTISAMPLE_2_SAMPLES", "D3DMULTISAMPLE_4_SAMPLES"}));
  EXPECT_EQ(Items(IDC_MULTISAMPLE_QUALITY_COMBO), (Strings{"0"}));
  EXPECT_EQ(Items(IDC_PRESENTINTERVAL_COMBO),
            (Strings{"D3DPRESENT_INTERVAL_IMMEDIATE", "D3DPRESENT_INTERVAL_DEFAULT", "D3DPRESENT_INTERVAL_ONE",
                     "D3DPRESENT_INTERVAL_TWO"}));

  Pick(IDC_RESOLUTION_COMBO, "640 by 480");
  EXPECT_EQ(Items(IDC_REFRESHRATE_COMBO), (Strings{"60 Hz", "75 Hz"}));
  Pick(IDC_REFRESHRATE_COMBO, "75 Hz");
  EXPECT_EQ(dlg.settings.fullscreenSet.displayMode.width, 640u);
  EXPECT_EQ(dlg.settings.fullscreenSet.displayMode.height, 480u);
  EXPECT_EQ(dlg.settings.fullscreenSet.displayMode.refreshRate, 75u);

  // Another display format re-lists sizes and back-buffer formats of that format only.
  Pick(IDC_ADAPTERFORMAT_COMBO, "D3DFMT_R5G6B5");
  EXPECT_EQ(Items(IDC_RESOLUTION_COMBO), (Strings{"800 by 600"}));
  EXPECT_EQ(Items(IDC_REFRESHRATE_COMBO), (Strings{"60 Hz"}));
  EXPECT_EQ(Items(IDC_BACKBUFFERFORMAT_COMBO), (Strings{"D3DFMT_R5G6B5"}));
  ASSERT_NE(dlg.settings.fullscreenSet.combo, nullptr);
  EXPECT_EQ(dlg.settings.fullscreenSet.combo->adapterFormat, (u32)FMT_R5G6B5);
  EXPECT_EQ(dlg.settings.fullscreenSet.displayMode.refreshRate, 60u);
}

TEST_F(SettingsDialog, DepthConflictsAndMissingQualityLevels) {
  Enumerate();
  StandardSettings();
  s.windowed = false;
  Open();
  Pick(IDC_MULTISAMPLE_COMBO, "D3DMULTISAMPLE_4_SAMPLES");
  EXPECT_EQ(dlg.settings.fullscreenSet.multisampleType, 4u);
  EXPECT_TRUE(Items(IDC_MULTISAMPLE_QUALITY_COMBO).empty());  // quality count 0
  // D24S8 cannot take 4 samples: the list loses them and the first type is chosen.
  Pick(IDC_DEPTHSTENCILBUFFERFORMAT_COMBO, "D3DFMT_D24S8");
  EXPECT_EQ(Items(IDC_MULTISAMPLE_COMBO), (Strings{"D3DMULTISAMPLE_NONE", "D3DMULTISAMPLE_2_SAMPLES"}));
  EXPECT_EQ(dlg.settings.fullscreenSet.depthStencilFormat, (u32)FMT_D24S8);
  EXPECT_EQ(dlg.settings.fullscreenSet.multisampleType, 0u);
  Pick(IDC_VERTEXPROCESSING_COMBO, "SOFTWARE_VP");
  Pick(IDC_PRESENTINTERVAL_COMBO, "D3DPRESENT_INTERVAL_TWO");
  EXPECT_EQ(dlg.settings.fullscreenSet.vertexProcessingType, (u32)VP_SOFTWARE);
  EXPECT_EQ(dlg.settings.fullscreenSet.presentInterval, (u32)PRESENT_INTERVAL_TWO);
}

TEST_F(SettingsDialog, WithoutDepthBufferTheDepthBoxIsNotUsedButSamplesAreListed) {
  Enumerate(false);
  StandardSettings();
  Open();
  EXPECT_EQ(Items(IDC_DEPTHSTENCILBUFFERFORMAT_COMBO), (Strings{"(not used)"}));
  EXPECT_FALSE(Enabled(IDC_DEPTHSTENCILBUFFERFORMAT_COMBO));
  EXPECT_EQ(Items(IDC_MULTISAMPLE_COMBO),
            (Strings{"D3DMULTISAMPLE_NONE", "D3DMULTISAMPLE_2_SAMPLES", "D3DMULTISAMPLE_4_SAMPLES"}));
  EXPECT_EQ(dlg.settings.windowedSet.depthStencilFormat, (u32)FMT_D24S8);  // untouched
}

TEST_F(SettingsDialog, DeviceWithOnlyFullscreenCombosChecksFullscreen) {
  fake.fullscreenOnly = true;
  Enumerate();
  const D3DAdapterRecord *a = D3DEnum_Adapter(&e, 0);
  const D3DDeviceRecord *d = (const D3DDeviceRecord *)a->devices.GetPtr(0);
  s.windowed = true;
  s.windowedSet.adapter = a;
  s.windowedSet.device = d;
  s.fullscreenSet = {a, d, FindCombo(d, FMT_X8R8G8B8, FMT_X8R8G8B8, false), {1024, 768, 60, FMT_X8R8G8B8},
                     FMT_D24X8, 0, 0, VP_SOFTWARE, PRESENT_INTERVAL_DEFAULT};
  Open();
  EXPECT_FALSE(dlg.windowedEnabled);
  EXPECT_TRUE(dlg.fullscreenEnabled);
  EXPECT_FALSE(dlg.windowedChecked);
  EXPECT_FALSE(dlg.settings.windowed);
  EXPECT_EQ(Selected(IDC_RESOLUTION_COMBO), "1024 by 768");
  EXPECT_EQ(Selected(IDC_BACKBUFFERFORMAT_COMBO), "D3DFMT_X8R8G8B8");
  D3DSettingsDialog_UserRadio(&dlg, true);  // disabled: ignored
  EXPECT_FALSE(dlg.settings.windowed);
}

TEST(SettingsDialogNames, ShownNames) {
  EXPECT_STREQ(D3DDevTypeName(3), "D3DDEVTYPE_SW");
  EXPECT_STREQ(D3DDevTypeName(9), "Unknown devType");
  EXPECT_STREQ(MultisampleTypeName(16), "D3DMULTISAMPLE_16_SAMPLES");
  EXPECT_STREQ(MultisampleTypeName(17), "Unknown Multisample Type");
  EXPECT_STREQ(VertexProcessingTypeName(7), "Unknown VertexProcessingType");
  EXPECT_STREQ(PresentIntervalName(4), "D3DPRESENT_INTERVAL_THREE");
  EXPECT_STREQ(PresentIntervalName(3), "Unknown PresentInterval");
}

}  // namespace
