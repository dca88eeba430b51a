// Framework decisions: Present rectangles per family and view kind, the 4:3 window size,
// mouse decoding, the video stop notice, error texts and the single fatal box, pauses,
// the framework timer and the framework utilities.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "app/shell_services.h"
#include "lib/framework/d3dapp.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"

namespace {

HWND__ *FakeWindow() { return (HWND__ *)(uintptr_t)0x1234; }

ViewRecord View(u32 kind, i32 w, i32 h, i32 w2 = 0, i32 h2 = 0) {
  ViewRecord v = {};
  v.inUse = 1;
  v.kind = kind;
  v.w = w;
  v.h = h;
  v.clientW = w2;
  v.clientH = h2;
  v.window = FakeWindow();
  return v;
}

void ExpectRect(const i32 *r, i32 l, i32 t, i32 rr, i32 b) {
  EXPECT_EQ(r[0], l);
  EXPECT_EQ(r[1], t);
  EXPECT_EQ(r[2], rr);
  EXPECT_EQ(r[3], b);
}

TEST(PresentChoice, WithoutViewWindowsTheWholeFrameGoesToTheDeviceWindow) {
  ViewRecord v = View(VIEW_FRONT, 200, 100);
  PresentChoice pc = D3DApp_ChoosePresent(0, false, &v, 1280, 1024);
  EXPECT_EQ(pc.mode, PRESENT_WHOLE);
  EXPECT_EQ(pc.window, nullptr);
}

TEST(PresentChoice, ViewWithoutWindowOrNotInUsePresentsNothing) {
  ViewRecord v = View(VIEW_MAIN, 640, 480);
  v.window = nullptr;
  EXPECT_EQ(D3DApp_ChoosePresent(1, false, &v, 640, 480).mode, PRESENT_NOTHING);
  v = View(VIEW_MAIN, 640, 480);
  v.inUse = 2;
  EXPECT_EQ(D3DApp_ChoosePresent(1, false, &v, 640, 480).mode, PRESENT_NOTHING);
  EXPECT_EQ(D3DApp_ChoosePresent(1, false, nullptr, 640, 480).mode, PRESENT_NOTHING);
}

TEST(PresentChoice, EditorFamiliesPresentTheTopLeftOfTheView) {
  ViewRecord main = View(VIEW_MAIN, 300, 200);
  PresentChoice pc = D3DApp_ChoosePresent(1, false, &main, 1280, 1024);
  EXPECT_EQ(pc.mode, PRESENT_RECTS);
  EXPECT_EQ(pc.window, FakeWindow());
  ExpectRect(pc.src, 0, 0, 1280, 1024);
  ExpectRect(pc.dst, 0, 0, 1280, 1024);
  ViewRecord top = View(VIEW_TOP, 300, 200);
  pc = D3DApp_ChoosePresent(1, false, &top, 1280, 1024);
  ExpectRect(pc.src, 0, 0, 300, 200);
  ExpectRect(pc.dst, 0, 0, 300, 200);
}

TEST(PresentChoice, MovieViewsShowTheCentreOfTheFrame) {
  ViewRecord main = View(VIEW_MAIN, 300, 200);
  PresentChoice pc = D3DApp_ChoosePresent(1, true, &main, 1280, 1024);
  EXPECT_EQ(pc.mode, PRESENT_WHOLE);
  EXPECT_EQ(pc.window, FakeWindow());

  // A Top view smaller than the back buffer: the centre crop at its own size.
  ViewRecord top = View(VIEW_TOP, 301, 200);
  pc = D3DApp_ChoosePresent(1, true, &top, 1280, 1024);
  EXPECT_EQ(pc.mode, PRESENT_RECTS);
  ExpectRect(pc.src, 489, 412, 1280 - 489, 1024 - 412);
  ExpectRect(pc.dst, 0, 0, 301, 200);

  // The render view uses its second size.
  ViewRecord pers = View(VIEW_PERS, 100, 100, 640, 480);
  pc = D3DApp_ChoosePresent(1, true, &pers, 1280, 1024);
  ExpectRect(pc.src, 320, 272, 960, 752);
  ExpectRect(pc.dst, 0, 0, 640, 480);

  // One smaller than the frame shows it whole with its outline, scaled to its client area.
  pers = View(VIEW_PERS, 333, 293, 327, 245);
  pc = D3DApp_ChoosePresent(1, true, &pers, 1024, 768);
  ExpectRect(pc.src, 181, 136, 843, 632);
  ExpectRect(pc.dst, 0, 0, 327, 245);

  ViewRecord odd = View(7, 100, 100);
  EXPECT_EQ(D3DApp_ChoosePresent(1, true, &odd, 1280, 1024).mode, PRESENT_NOTHING);
}

TEST(WindowMessages, FourThreeSizeFromTheWidth) {
  // Classic frame: 3-pixel borders, caption and menu of 19 pixels each.
  EXPECT_EQ(D3DApp_SizeFor43(646, 6, 44), 524);    // client 640 x 480
  EXPECT_EQ(D3DApp_SizeFor43(647, 6, 44), 524);    // 480.75: the fraction is dropped
  EXPECT_EQ(D3DApp_SizeFor43(1030, 8, 53), 819);   // client 1022 x 766
  EXPECT_EQ(D3DApp_SizeFor43(4, 6, 44), 44);       // narrower than its frame
}

TEST(WindowMessages, MouseHalvesBeyond10000BecomeSmallNegatives) {
  i32 x, y;
  D3DApp_DecodeMouse((intptr_t)((200 << 16) | 100), &x, &y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 200);
  D3DApp_DecodeMouse((intptr_t)((0xFFF0 << 16) | 0xFFFB), &x, &y);
  EXPECT_EQ(x, 0xFFFB - 0xFFFF);
  EXPECT_EQ(y, 0xFFF0 - 0xFFFF);
  D3DApp_DecodeMouse((intptr_t)((10000 << 16) | 10001), &x, &y);
  EXPECT_EQ(y, 10000);
  EXPECT_LT(x, 0);
}

TEST(WindowMessages, OnlyTheVideoNotificationIsAStopNotice) {
  EXPECT_TRUE(D3DApp_IsVideoStopNotice(MSG_MCIWNDM_NOTIFYMODE, 525));
  EXPECT_FALSE(D3DApp_IsVideoStopNotice(MSG_MCIWNDM_NOTIFYMODE, 526));
  // A mouse move at (525, 0) carries lParam 525.
  EXPECT_FALSE(D3DApp_IsVideoStopNotice(0x0200, 525));
}

std::vector<std::pair<std::string, bool>> g_Boxes;
int g_Closes;
void RecordBox(const char *text, bool error) { g_Boxes.push_back({text, error}); }
void RecordClose() { g_Closes++; }

struct ErrorBoxes : ::testing::Test {
  void SetUp() override {
    g_Boxes.clear();
    g_Closes = 0;
    g_LibHooks.errorUi = {RecordBox, RecordClose};
    g_D3DApp.fatalErrorShown = 0;
  }
  void TearDown() override {
    g_LibHooks.errorUi = {};
    g_D3DApp.fatalErrorShown = 0;
  }
};

TEST_F(ErrorBoxes, TextsOfTheTable) {
  EXPECT_STREQ(D3DApp_ErrorText((HResult)D3DAPPERR_RESETFAILED), "Could not reset the Direct3D device.");
  EXPECT_STREQ(D3DApp_ErrorText((HResult)D3DAPPERR_MEDIANOTFOUND), "Could not load required media.");
  EXPECT_STREQ(D3DApp_ErrorText((HResult)HRES_FILE_NOT_FOUND), "Could not load required media.");
  EXPECT_STREQ(D3DApp_ErrorText((HResult)HRES_OUTOFMEMORY), "Not enough memory.");
  EXPECT_STREQ(D3DApp_ErrorText((HResult)HRES_OUTOFVIDEOMEMORY), "Not enough video memory.");
  EXPECT_STREQ(D3DApp_ErrorText((HResult)D3DAPPERR_NOCOMPATIBLEDEVICES),
               "ビデオカードが、DirectX 9 に対応していない可能性があります。\n使用できる Direct3D デバイスが、見つかりませんでした。");
  EXPECT_STREQ(D3DApp_ErrorText((HResult)0x80004001u),
               "Generic application error. Enable\ndebug output for detailed information.");
}

TEST_F(ErrorBoxes, WarningsThenOneFatalBoxThenSilence) {
  EXPECT_EQ(D3DApp_DisplayError((HResult)D3DAPPERR_NULLREFDEVICE, MSGWARN), (HResult)D3DAPPERR_NULLREFDEVICE);
  D3DApp_DisplayError((HResult)HRES_OUTOFMEMORY, MSGWARN_SWITCHEDTOREF);
  ASSERT_EQ(g_Boxes.size(), 2u);
  EXPECT_FALSE(g_Boxes[0].second);
  EXPECT_EQ(g_Boxes[1].first,
            "Not enough memory.\n\nSwitching to the reference rasterizer,\na software device that implements the entire\n"
            "Direct3D feature set, but runs very slowly.");
  EXPECT_EQ(g_Closes, 0);

  D3DApp_DisplayError((HResult)D3DAPPERR_RESETFAILED, MSGERR_APPMUSTEXIT);
  ASSERT_EQ(g_Boxes.size(), 3u);
  EXPECT_TRUE(g_Boxes[2].second);
  EXPECT_EQ(g_Closes, 1);
  // After a fatal error nothing more is shown and the window is not closed twice.
  EXPECT_EQ(D3DApp_DisplayError((HResult)D3DAPPERR_NODIRECT3D, MSGERR_APPMUSTEXIT), (HResult)D3DAPPERR_NODIRECT3D);
  D3DApp_DisplayError((HResult)HRES_OUTOFMEMORY, MSGWARN);
  EXPECT_EQ(g_Boxes.size(), 3u);
  EXPECT_EQ(g_Closes, 1);
}

TEST_F(ErrorBoxes, DriverInternalErrorIsAlwaysFatal) {
  D3DApp_DisplayError((HResult)HRES_DRIVERINTERNALERROR, MSGWARN);
  ASSERT_EQ(g_Boxes.size(), 1u);
  EXPECT_TRUE(g_Boxes[0].second);
  EXPECT_EQ(g_Closes, 1);
}

// [SECTION] timer and pauses

i64 g_Now;
bool FakeFrequency(i64 *f) { *f = 1000000; return true; }
i64 FakeCounter() { return g_Now; }

struct Timer : ::testing::Test {
  void SetUp() override {
    g_LibHooks.clock = {FakeFrequency, FakeCounter, nullptr};
    DXUtil_TimerRestart();
    g_Now = 5000000;
    DXUtil_Timer(TIMER_RESET);
  }
  void TearDown() override { g_LibHooks.clock = {}; DXUtil_TimerRestart(); }
};

TEST_F(Timer, ApplicationAndElapsedTime) {
  g_Now += 250000;
  EXPECT_FLOAT_EQ(DXUtil_Timer(TIMER_GETAPPTIME), 0.25f);
  EXPECT_FLOAT_EQ(DXUtil_Timer(TIMER_GETELAPSEDTIME), 0.25f);
  g_Now += 100000;
  EXPECT_FLOAT_EQ(DXUtil_Timer(TIMER_GETELAPSEDTIME), 0.1f);
  EXPECT_FLOAT_EQ(DXUtil_Timer(TIMER_GETABSOLUTETIME), 5.35f);
  EXPECT_EQ(DXUtil_Timer(9), -1.0f);
}

TEST_F(Timer, StoppedTimeStandsAndAdvanceStepsATenth) {
  g_Now += 1000000;
  DXUtil_Timer(TIMER_STOP);
  g_Now += 3000000;
  EXPECT_FLOAT_EQ(DXUtil_Timer(TIMER_GETAPPTIME), 1.0f);
  DXUtil_Timer(TIMER_ADVANCE);
  EXPECT_FLOAT_EQ(DXUtil_Timer(TIMER_GETAPPTIME), 1.1f);
  // Starting again leaves out the stopped interval.
  DXUtil_Timer(TIMER_START);
  g_Now += 500000;
  EXPECT_NEAR(DXUtil_Timer(TIMER_GETAPPTIME), 1.6f, 1e-5);
}

TEST_F(Timer, PausesNestAndStopTheTimerOnce) {
  g_D3DApp.pauseCount = 0;
  g_D3DApp.frameMoving = 1;
  D3DApp_Pause(true);
  D3DApp_Pause(true);
  EXPECT_EQ(g_Lib.appActive, 0u);
  g_Now += 2000000;
  D3DApp_Pause(false);
  EXPECT_EQ(g_Lib.appActive, 0u);
  EXPECT_FLOAT_EQ(DXUtil_Timer(TIMER_GETAPPTIME), 0.0f);
  D3DApp_Pause(false);
  EXPECT_EQ(g_Lib.appActive, 1u);
  g_Now += 1000000;
  EXPECT_FLOAT_EQ(DXUtil_Timer(TIMER_GETAPPTIME), 1.0f);
}

TEST(FrameTime, MovingFrameWithoutElapsedTimeIsSkipped) {
  g_D3DApp.frameMoving = 1;
  g_D3DApp.singleStep = 0;
  EXPECT_FALSE(D3DApp_AdvanceFrameTime(3.0f, 0.0f));
  EXPECT_TRUE(D3DApp_AdvanceFrameTime(3.0f, 0.016f));
  EXPECT_FLOAT_EQ(g_D3DApp.time, 3.0f);
  // Stopped: the time stands unless one step was asked for.
  g_D3DApp.frameMoving = 0;
  EXPECT_TRUE(D3DApp_AdvanceFrameTime(4.0f, 0.0f));
  EXPECT_FLOAT_EQ(g_D3DApp.time, 3.0f);
  g_D3DApp.singleStep = 1;
  EXPECT_TRUE(D3DApp_AdvanceFrameTime(5.0f, 0.1f));
  EXPECT_FLOAT_EQ(g_D3DApp.time, 5.0f);
  EXPECT_EQ(g_D3DApp.singleStep, 0);
  g_D3DApp.frameMoving = 1;
}

// [SECTION] utilities

TEST(ArrayListTest, GrowsFrom16To32KeepingEntries) {
  ArrayList values(ARRAYLIST_VALUES, sizeof(u32));
  for (u32 i = 0; i < 17; i++) {
    u32 v = i * 7;
    ASSERT_EQ(values.Add(&v), (HResult)HRES_OK);
    EXPECT_EQ(values.capacity, i < 16 ? 16u : 32u);
  }
  for (u32 i = 0; i < 17; i++) EXPECT_EQ(*(u32 *)values.GetPtr(i), i * 7);
  u32 probe = 14, absent = 15;
  EXPECT_TRUE(values.Contains(&probe));
  EXPECT_FALSE(values.Contains(&absent));
  EXPECT_EQ(values.GetPtr(17), nullptr);

  ArrayList refs(ARRAYLIST_REFERENCES, 4);
  int a, b;
  EXPECT_FALSE(refs.Contains(&a));
  refs.Add(&a);
  EXPECT_EQ(refs.GetPtr(0), &a);
  EXPECT_TRUE(refs.Contains(&a));
  EXPECT_FALSE(refs.Contains(&b));

  ArrayList empty(ARRAYLIST_VALUES, 0);
  EXPECT_EQ(empty.Add(&a), (HResult)HRES_FAIL);
}

TEST(FrameworkText, FormatNamesAndBoundedCopies) {
  EXPECT_STREQ(DXUtil_FormatName(FMT_X8R8G8B8, false), "X8R8G8B8");
  EXPECT_STREQ(DXUtil_FormatName(FMT_D24S8, true), "D3DFMT_D24S8");
  EXPECT_STREQ(DXUtil_FormatName(0x31545844u, true), "D3DFMT_DXT1");
  EXPECT_STREQ(DXUtil_FormatName(12345, true), "Unknown format");
  char buf[6];
  EXPECT_EQ(DXUtil_CopyString(buf, "abcdefgh", 6), (HResult)HRES_OK);
  EXPECT_STREQ(buf, "abcde");
  EXPECT_EQ(DXUtil_CopyString(buf, "x", 0), (HResult)HRES_INVALIDARG);
  EXPECT_EQ(DXUtil_CopyString(nullptr, "x", 4), (HResult)HRES_INVALIDARG);
}

TEST(StatisticsTexts, DeviceAndFrameLines) {
  struct DeviceCase {
    u32 type, vp;
    const char *adapter, *want;
  } devices[] = {
      {DEVTYPE_HAL, VP_PURE_HARDWARE, "Wine GPU", "HAL (pure hw vp): Wine GPU"},
      {DEVTYPE_HAL, VP_SOFTWARE, "Wine GPU", "HAL (sw vp): Wine GPU"},
      {DEVTYPE_REF, VP_HARDWARE, "Wine GPU", "REF (simulated hw vp)"},
      {DEVTYPE_SW, VP_MIXED, nullptr, "SW (simulated mixed vp)"},
  };
  for (const DeviceCase &c : devices) {
    char out[200];
    D3DApp_DeviceStatsText(c.type, c.vp, c.adapter, out, sizeof out);
    EXPECT_STREQ(out, c.want);
  }
  // A long adapter name: 89 characters at most.
  char out[200];
  D3DApp_DeviceStatsText(DEVTYPE_HAL, VP_HARDWARE, std::string(150, 'x').c_str(), out, sizeof out);
  EXPECT_EQ(strlen(out), 89u);
  EXPECT_EQ(std::string(out, 15), "HAL (hw vp): xx");

  struct FrameCase {
    f32 fps;
    u32 bb, adapter;
    bool depth;
    u32 samples;
    const char *want;
  } frames[] = {
      {59.951f, 22, 22, true, 0, "59.95 fps (640x480), X8R8G8B8 (D24S8)"},
      {12.0f, 21, 22, false, 1, "12.00 fps (640x480), backbuf A8R8G8B8, adapter X8R8G8B8 (Nonmaskable Multisample)"},
      {0.0f, 22, 22, true, 4, "0.00 fps (640x480), X8R8G8B8 (D24S8) (4x Multisample)"},
  };
  for (const FrameCase &c : frames) {
    D3DApp_FrameStatsText(c.fps, 640, 480, c.bb, c.adapter, c.depth, 75, c.samples, out, sizeof out);
    EXPECT_STREQ(out, c.want);
  }
}

}  // namespace
