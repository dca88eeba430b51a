// Device enumeration and the best windowed / fullscreen choice against a fake Direct3D
// object with several adapters, modes and formats.
#include <gtest/gtest.h>

#include <string.h>

#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "lib/framework/d3dapp.h"

namespace {

struct FakeAdapter {
  std::string description;
  EnumDisplayMode desktop;
  std::vector<EnumDisplayMode> modes;   // in runtime order, any format
  std::set<u32> deviceTypes;            // types whose caps succeed
  u32 devCaps = DEVCAPS_HWTRANSFORMANDLIGHT | DEVCAPS_PUREDEVICE;
  u32 presentIntervals = PRESENT_INTERVAL_ONE | PRESENT_INTERVAL_TWO | PRESENT_INTERVAL_IMMEDIATE;
  // (device type, adapter format, back-buffer format, windowed) pairs the runtime accepts;
  // empty = every pair.
  std::set<std::tuple<u32, u32, u32, bool>> deviceTypeOk;
};

struct FakeD3D {
  std::vector<FakeAdapter> adapters;
  std::set<u32> depthFormatsOk = {FMT_D24X8, FMT_D24S8, FMT_D16};
  std::set<u32> multisampleOk = {0, 2, 4};
  std::set<std::pair<u32, u32>> depthMsRefused;  // (depth format, type) that fail
};

FakeD3D *F(void *ctx) { return (FakeD3D *)ctx; }
u32 QAdapterCount(void *ctx) { return (u32)F(ctx)->adapters.size(); }
void QDescription(void *ctx, u32 a, char *out, size_t size) { Str_Copy(out, size, F(ctx)->adapters[a].description.c_str()); }
u32 QModeCount(void *ctx, u32 a, u32 format) {
  u32 n = 0;
  for (auto &m : F(ctx)->adapters[a].modes) n += m.format == format;
  return n;
}
bool QEnumModes(void *ctx, u32 a, u32 format, u32 index, EnumDisplayMode *mode) {
  for (auto &m : F(ctx)->adapters[a].modes)
    if (m.format == format && index-- == 0) { *mode = m; return true; }
  return false;
}
bool QDisplayMode(void *ctx, u32 a, EnumDisplayMode *mode) { *mode = F(ctx)->adapters[a].desktop; return true; }
bool QCaps(void *ctx, u32 a, u32 type, EnumCaps *caps) {
  const FakeAdapter &fa = F(ctx)->adapters[a];
  if (!fa.deviceTypes.count(type)) return false;
  memset(caps, 0, sizeof *caps);
  caps->deviceType = type;
  caps->devCaps = type == DEVTYPE_HAL ? fa.devCaps : 0;
  caps->presentationIntervals = fa.presentIntervals;
  caps->textureCaps = PTEXTURECAPS_ALPHA;
  return true;
}
bool QCheckType(void *ctx, u32 a, u32 type, u32 af, u32 bf, bool windowed) {
  const FakeAdapter &fa = F(ctx)->adapters[a];
  if (fa.deviceTypeOk.empty()) return af == bf || (af == FMT_X8R8G8B8 && bf == FMT_A8R8G8B8);
  return fa.deviceTypeOk.count({type, af, bf, windowed}) > 0;
}
bool QCheckFormat(void *ctx, u32, u32, u32, u32 usage, u32, u32 f) {
  return usage != USAGE_DEPTHSTENCIL || F(ctx)->depthFormatsOk.count(f);
}
bool QDepthMatch(void *ctx, u32, u32, u32, u32, u32 df) { return F(ctx)->depthFormatsOk.count(df) > 0; }
bool QMultiSample(void *ctx, u32, u32, u32 f, bool, u32 type, u32 *quality) {
  if (quality) *quality = type == 0 ? 1 : 2;
  if (F(ctx)->depthMsRefused.count({f, type})) return false;
  return F(ctx)->multisampleOk.count(type) > 0;
}

const u32 X8 = FMT_X8R8G8B8, A8 = FMT_A8R8G8B8, R565 = FMT_R5G6B5;

struct Enumeration : ::testing::Test {
  FakeD3D fake;
  D3DQuery query{&fake, QAdapterCount, QDescription, QModeCount, QEnumModes, QDisplayMode,
                 QCaps, QCheckType, QCheckFormat, QDepthMatch, QMultiSample};
  D3DEnumeration e;
  // One adapter whose HAL device alone answers, showing `desktop` and offering `modes`.
  void OneHalAdapter(EnumDisplayMode desktop, std::vector<EnumDisplayMode> modes) {
    FakeAdapter a;
    a.desktop = desktop;
    a.modes = modes;
    a.deviceTypes = {DEVTYPE_HAL};
    fake.adapters = {a};
  }
  void Enumerate() {
    e.query = &query;
    e.usesDepthBuffer = true;
    ASSERT_EQ(D3DEnum_Enumerate(&e), (HResult)HRES_OK);
  }
};

TEST_F(Enumeration, ModesAreFilteredAndSortedAndFormatsCarryOver) {
  FakeAdapter a;
  a.description = "first";
  a.desktop = {1280, 1024, 60, X8};
  a.modes = {{1280, 1024, 75, X8}, {640, 480, 60, R565}, {320, 240, 60, X8}, {1280, 1024, 60, X8},
             {800, 600, 60, X8}, {640, 480, 60, X8}};
  a.deviceTypes = {DEVTYPE_HAL, DEVTYPE_REF};
  FakeAdapter b;  // every mode below 640x480: no display modes, devices from earlier formats
  b.description = "second";
  b.desktop = {320, 240, 60, X8};
  b.modes = {{320, 240, 60, X8}};
  b.deviceTypes = {DEVTYPE_HAL};
  fake.adapters = {a, b};
  Enumerate();

  ASSERT_EQ(D3DEnum_AdapterCount(&e), 2u);
  D3DAdapterRecord *ra = D3DEnum_Adapter(&e, 0);
  EXPECT_STREQ(ra->description, "first");
  std::vector<std::tuple<u32, u32, u32, u32>> got;
  for (u32 i = 0; i < ra->displayModes.count; i++) {
    auto *m = (EnumDisplayMode *)ra->displayModes.GetPtr(i);
    got.push_back({m->width, m->height, m->format, m->refreshRate});
  }
  // Width, height, format (X8 22 before R5G6B5 23), then refresh.
  std::vector<std::tuple<u32, u32, u32, u32>> want = {
      {640, 480, X8, 60}, {640, 480, R565, 60}, {800, 600, X8, 60}, {1280, 1024, X8, 60}, {1280, 1024, X8, 75}};
  EXPECT_EQ(got, want);
  EXPECT_EQ(ra->devices.count, 2u);  // HAL and REF; SW has no caps

  D3DAdapterRecord *rb = D3DEnum_Adapter(&e, 1);
  EXPECT_EQ(rb->displayModes.count, 0u);
  ASSERT_EQ(rb->devices.count, 1u);
  auto *dev = (D3DDeviceRecord *)rb->devices.GetPtr(0);
  EXPECT_GT(dev->combos.count, 0u);  // X8 and R5G6B5 found on the first adapter
}

TEST_F(Enumeration, ComboListsFollowTheirRules) {
  OneHalAdapter({1024, 768, 60, X8}, {{1024, 768, 60, X8}});
  fake.depthMsRefused = {{FMT_D24S8, 4}};
  Enumerate();
  auto *dev = (D3DDeviceRecord *)D3DEnum_Adapter(&e, 0)->devices.GetPtr(0);
  bool sawWindowed = false, sawFullscreen = false;
  for (u32 i = 0; i < dev->combos.count; i++) {
    auto *c = (D3DFormatCombo *)dev->combos.GetPtr(i);
    // D24X8 then D24S8 (D32 refused by the runtime, D15S1 never a candidate).
    ASSERT_EQ(c->depthStencilFormats.count, 2u);
    EXPECT_EQ(ListU32(c->depthStencilFormats, 0), (u32)FMT_D24X8);
    EXPECT_EQ(ListU32(c->depthStencilFormats, 1), (u32)FMT_D24S8);
    ASSERT_EQ(c->multisampleTypes.count, 3u);
    EXPECT_EQ(ListU32(c->multisampleQualities, 2), 2u);
    ASSERT_EQ(c->conflicts.count, 1u);
    auto *conflict = (D3DDepthMsConflict *)c->conflicts.GetPtr(0);
    EXPECT_EQ(conflict->depthStencilFormat, (u32)FMT_D24S8);
    EXPECT_EQ(conflict->multisampleType, 4u);
    // Without a confirmation hook pure hardware is listed first.
    EXPECT_EQ(ListU32(c->vertexProcessingTypes, 0), (u32)VP_PURE_HARDWARE);
    if (c->windowed) {
      sawWindowed = true;
      // IMMEDIATE, DEFAULT, ONE: TWO is never offered to a window.
      ASSERT_EQ(c->presentIntervals.count, 3u);
      EXPECT_EQ(ListU32(c->presentIntervals, 0), (u32)PRESENT_INTERVAL_IMMEDIATE);
    } else {
      sawFullscreen = true;
      EXPECT_EQ(c->presentIntervals.count, 4u);
    }
  }
  EXPECT_TRUE(sawWindowed && sawFullscreen);
}

bool RefusePure(const EnumCaps *, u32 vp, u32, u32) { return vp != VP_PURE_HARDWARE; }

TEST_F(Enumeration, StencilNeedsAndFilterAndD16Fallback) {
  OneHalAdapter({1024, 768, 60, X8}, {{1024, 768, 60, X8}});
  fake.depthFormatsOk = {FMT_D24X8, FMT_D32};  // no stencil format passes
  e.minDepthBits = 16;
  e.minStencilBits = 4;
  e.confirm = RefusePure;
  Enumerate();
  auto *dev = (D3DDeviceRecord *)D3DEnum_Adapter(&e, 0)->devices.GetPtr(0);
  auto *c = (D3DFormatCombo *)dev->combos.GetPtr(0);
  ASSERT_EQ(c->depthStencilFormats.count, 1u);
  EXPECT_EQ(ListU32(c->depthStencilFormats, 0), (u32)FMT_D16);
  // Hardware then software; neither pure (refused) nor mixed (not asked for).
  ASSERT_EQ(c->vertexProcessingTypes.count, 2u);
  EXPECT_EQ(ListU32(c->vertexProcessingTypes, 0), (u32)VP_HARDWARE);
  EXPECT_EQ(ListU32(c->vertexProcessingTypes, 1), (u32)VP_SOFTWARE);
}

TEST_F(Enumeration, NoQueryObjectFails) {
  EXPECT_EQ(D3DEnum_Enumerate(&e), (HResult)HRES_FAIL);
}

// [SECTION] best modes

TEST_F(Enumeration, BestWindowedPrefersHalWithMatchingBackBuffer) {
  FakeAdapter ref;  // adapter 0 only has a reference device
  ref.desktop = {1024, 768, 60, X8};
  ref.modes = {{1024, 768, 60, X8}};
  ref.deviceTypes = {DEVTYPE_REF};
  FakeAdapter hal;
  hal.desktop = {1280, 1024, 60, X8};
  hal.modes = {{1280, 1024, 60, X8}};
  hal.deviceTypes = {DEVTYPE_HAL};
  fake.adapters = {ref, hal};
  Enumerate();
  D3DSettings s = {};
  ASSERT_TRUE(D3DApp_FindBestWindowedMode(&e, false, false, 640, 480, &s));
  EXPECT_TRUE(s.windowed);
  EXPECT_EQ(s.windowedSet.adapter->adapterOrdinal, 1u);
  EXPECT_EQ(s.windowedSet.device->deviceType, (u32)DEVTYPE_HAL);
  // A8 back buffer is listed first, but X8 on X8 ends the search.
  EXPECT_EQ(s.windowedSet.combo->backBufferFormat, X8);
  EXPECT_EQ(s.windowedSet.displayMode.width, 1280u);
  EXPECT_EQ(s.windowedWidth, 640);
  EXPECT_EQ(s.windowedSet.depthStencilFormat, (u32)FMT_D24X8);
  EXPECT_EQ(s.windowedSet.multisampleType, 0u);
  EXPECT_EQ(s.windowedSet.presentInterval, (u32)PRESENT_INTERVAL_IMMEDIATE);

  // Requiring the reference device picks adapter 0.
  ASSERT_TRUE(D3DApp_FindBestWindowedMode(&e, false, true, 640, 480, &s));
  EXPECT_EQ(s.windowedSet.adapter->adapterOrdinal, 0u);
}

TEST_F(Enumeration, BestWindowedNeedsTheDesktopFormat) {
  // The desktop format has no combo.
  OneHalAdapter({1024, 768, 60, FMT_X1R5G5B5}, {{1024, 768, 60, X8}});
  Enumerate();
  D3DSettings s = {};
  EXPECT_FALSE(D3DApp_FindBestWindowedMode(&e, false, false, 640, 480, &s));
  EXPECT_TRUE(D3DApp_FindBestFullscreenMode(&e, false, false, &s));
}

TEST_F(Enumeration, BestFullscreenModeChoice) {
  // Exact desktop match wins over a later mode of the same width.
  OneHalAdapter({1280, 1024, 85, X8}, {{800, 600, 60, X8}, {1280, 960, 60, X8}, {1280, 1024, 85, X8}, {1600, 1200, 60, X8}});
  Enumerate();
  D3DSettings s = {};
  ASSERT_TRUE(D3DApp_FindBestFullscreenMode(&e, false, false, &s));
  EXPECT_FALSE(s.windowed);
  EXPECT_EQ(s.fullscreenSet.displayMode.width, 1280u);
  EXPECT_EQ(s.fullscreenSet.displayMode.height, 1024u);
  EXPECT_EQ(s.fullscreenSet.displayMode.refreshRate, 85u);
  EXPECT_EQ(s.fullscreenSet.combo->backBufferFormat, X8);
  EXPECT_EQ(s.fullscreenSet.presentInterval, (u32)PRESENT_INTERVAL_IMMEDIATE);
}

TEST_F(Enumeration, BestFullscreenWithoutExactMatchTakesLastModeOfDesktopWidth) {
  OneHalAdapter({1280, 1024, 85, X8}, {{800, 600, 60, X8}, {1280, 960, 60, X8}, {1280, 1024, 60, X8}, {1280, 1024, 75, X8}, {1600, 1200, 60, X8}});
  Enumerate();
  D3DSettings s = {};
  ASSERT_TRUE(D3DApp_FindBestFullscreenMode(&e, false, false, &s));
  EXPECT_EQ(s.fullscreenSet.displayMode.width, 1280u);
  EXPECT_EQ(s.fullscreenSet.displayMode.height, 1024u);
  EXPECT_EQ(s.fullscreenSet.displayMode.refreshRate, 75u);

  // No width match at all: the first mode of the format.
  fake.adapters[0].desktop = {1920, 1080, 60, X8};
  D3DEnumeration e2;
  e2.query = &query;
  e2.usesDepthBuffer = true;
  ASSERT_EQ(D3DEnum_Enumerate(&e2), (HResult)HRES_OK);
  ASSERT_TRUE(D3DApp_FindBestFullscreenMode(&e2, false, false, &s));
  EXPECT_EQ(s.fullscreenSet.displayMode.width, 800u);
}

TEST_F(Enumeration, BestFullscreenPrefersHalThenDesktopFormat) {
  FakeAdapter a;
  a.desktop = {1024, 768, 60, X8};
  a.deviceTypes = {DEVTYPE_HAL, DEVTYPE_REF};
  a.modes = {{1024, 768, 60, R565}, {1024, 768, 60, X8}};
  // HAL offers only R5G6B5 fullscreen and X8 with an A8 back buffer.
  a.deviceTypeOk = {{DEVTYPE_REF, X8, X8, false},
                    {DEVTYPE_HAL, R565, R565, false},
                    {DEVTYPE_HAL, X8, A8, false},
                    {DEVTYPE_HAL, X8, X8, true}};
  fake.adapters = {a};
  Enumerate();
  D3DSettings s = {};
  ASSERT_TRUE(D3DApp_FindBestFullscreenMode(&e, false, false, &s));
  EXPECT_EQ(s.fullscreenSet.device->deviceType, (u32)DEVTYPE_HAL);
  EXPECT_EQ(s.fullscreenSet.combo->adapterFormat, X8);  // the desktop format beats R5G6B5
  EXPECT_EQ(s.fullscreenSet.combo->backBufferFormat, A8);
  EXPECT_EQ(s.fullscreenSet.displayMode.format, X8);
}

TEST_F(Enumeration, PresentParametersOfEachHalf) {
  OneHalAdapter({1280, 1024, 60, X8}, {{1280, 1024, 60, X8}});
  Enumerate();
  D3DSettings s = {};
  ASSERT_TRUE(D3DApp_FindBestFullscreenMode(&e, false, false, &s));
  ASSERT_TRUE(D3DApp_FindBestWindowedMode(&e, false, false, 640, 480, &s));
  PresentSetup pp;
  D3DApp_BuildPresentParams(&s, true, 640, 480, &pp);
  EXPECT_EQ(pp.windowed, 1u);
  EXPECT_EQ(pp.backBufferWidth, 640u);
  EXPECT_EQ(pp.backBufferHeight, 480u);
  EXPECT_EQ(pp.refreshRate, 0u);
  EXPECT_EQ(pp.autoDepthStencil, 1u);
  EXPECT_EQ(pp.flags, (u32)PRESENTFLAG_DISCARD_DEPTHSTENCIL);
  EXPECT_EQ(pp.depthStencilFormat, (u32)FMT_D24X8);
  s.windowed = false;
  D3DApp_BuildPresentParams(&s, false, 640, 480, &pp);
  EXPECT_EQ(pp.windowed, 0u);
  EXPECT_EQ(pp.backBufferWidth, 1280u);
  EXPECT_EQ(pp.refreshRate, 60u);
  EXPECT_EQ(pp.autoDepthStencil, 0u);
  EXPECT_EQ(pp.flags, 0u);
}

TEST(EnumTables, ChannelBitsAndBehaviourFlags) {
  EXPECT_EQ(D3DEnum_ColorBits(FMT_A2R10G10B10), 10u);
  EXPECT_EQ(D3DEnum_AlphaBits(FMT_A1R5G5B5), 1u);
  EXPECT_EQ(D3DEnum_ColorBits(FMT_A8), 0u);
  EXPECT_EQ(D3DEnum_DepthBits(FMT_D15S1), 15u);
  EXPECT_EQ(D3DEnum_StencilBits(FMT_D24X4S4), 4u);
  EXPECT_EQ(D3DEnum_BehaviorFlags(VP_SOFTWARE), 0x20u);
  EXPECT_EQ(D3DEnum_BehaviorFlags(VP_MIXED), 0x80u);
  EXPECT_EQ(D3DEnum_BehaviorFlags(VP_HARDWARE), 0x40u);
  EXPECT_EQ(D3DEnum_BehaviorFlags(VP_PURE_HARDWARE), 0x50u);
  EXPECT_EQ(D3DEnum_BehaviorFlags(7), 0u);
}

}  // namespace
