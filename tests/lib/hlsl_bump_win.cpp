// Render modes 5 and 6 under Wine: the bump-mapped pot and ground load from the data folder
// on their first draw and draw on the next (golden images); a missing ground file is
// reported once per device reset, not on every frame.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "draw_device_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "lib/render/bump_win.h"
#include "lib/render/hlsl.h"
#include "lib/render/effect_win.h"
#include "lib/draw/target.h"
#include "lib/render/modeldraw.h"

namespace {

std::vector<std::string> g_Boxes;
int RecordBox(HWND, const char *text, const char *caption, UINT) {
  g_Boxes.push_back(std::string(caption) + ": " + text);
  return IDOK;
}

struct BumpWin : ::testing::Test {
  TestDevice t;
  IDirect3DDevice9 *saved = nullptr;
  LibHooks savedHooks;
  char cwd[MAX_PATH];
  void SetUp() override {
    GetCurrentDirectoryA(sizeof cwd, cwd);
    savedHooks = g_LibHooks;
    ASSERT_TRUE(TestDevice_Create(&t, 320, 240));
    saved = g_Lib.device;
    g_Lib.device = t.device;
    Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, SourcePath("Data").c_str());
    Hlsl_Install();
    g_ModalHooks.messageBox = RecordBox;
    g_Boxes.clear();
    D3DXMATRIX view, proj, id;
    D3DXVECTOR3 eye(0, 3, -6), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, 0.785398f, 320.0f / 240.0f, 1.0f, 1000.0f);
    D3DXMatrixIdentity(&id);
    t.device->SetTransform(D3DTS_VIEW, &view);
    t.device->SetTransform(D3DTS_PROJECTION, &proj);
    t.device->SetTransform(D3DTS_WORLD, &id);
  }
  void TearDown() override {
    Hlsl_ReleaseEffects();
    g_ModalHooks.messageBox = nullptr;
    g_LibHooks = savedHooks;
    g_Lib.device = saved;
    TestDevice_Destroy(&t);
    SetCurrentDirectoryA(cwd);
  }
  int DrawAndCount(u32 mode) {
    t.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(255, 0, 0, 64), 1.0f, 0);
    t.device->BeginScene();
    Hlsl_DrawBumpSample(mode);
    t.device->EndScene();
    int n = 0;
    for (unsigned c : TestDevice_ReadBack(&t)) n += (c & 0xFFFFFF) != 0x000040;
    return n;
  }
};

TEST_F(BumpWin, PotAndGroundLoadThenDraw) {
  EXPECT_EQ(DrawAndCount(5), 0);  // the first call only loads
  ASSERT_TRUE(g_Bump.teapot.loaded);
  EXPECT_GT(DrawAndCount(5), 3000);
  EXPECT_NEAR(g_Bump.teapot.angle, 0.005f, 1e-6f);
  std::string report;
  int bad = Golden_Compare(&t, "../effects/bump_pot", 8, &report);
  EXPECT_GE(bad, 0) << report;
  EXPECT_LT(bad, 200) << report;

  D3DXMATRIX view;
  D3DXVECTOR3 eye(0, 30, -45), at(0, 0, 0), up(0, 1, 0);
  D3DXMatrixLookAtLH(&view, &eye, &at, &up);
  t.device->SetTransform(D3DTS_VIEW, &view);
  EXPECT_EQ(DrawAndCount(6), 0);
  ASSERT_TRUE(g_Bump.ground.loaded);
  EXPECT_GT(DrawAndCount(6), 20000);
  bad = Golden_Compare(&t, "../effects/bump_ground", 8, &report);
  EXPECT_GE(bad, 0) << report;
  EXPECT_LT(bad, 300) << report;
  EXPECT_TRUE(g_Boxes.empty()) << g_Boxes[0];
}

TEST_F(BumpWin, MissingGroundFileIsReportedOncePerReset) {
  BumpGround keep = g_Bump.ground;
  memset(&g_Bump.ground, 0, sizeof g_Bump.ground);
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, (std::string(dir) + "miravel_no_data").c_str());
  DrawAndCount(6);
  DrawAndCount(6);
  DrawAndCount(6);
  // The effect's box and one "Load Error" naming the colour texture.
  int loadErrors = 0;
  for (const std::string &b : g_Boxes) loadErrors += b.rfind("Load Error: ", 0) == 0;
  EXPECT_EQ(loadErrors, 1);
  EXPECT_EQ(g_Boxes.size(), 2u);
  EXPECT_FALSE(g_Bump.ground.loaded);
  Draw_ReleaseShaderTargets();  // a device reset allows one new try
  DrawAndCount(6);
  EXPECT_EQ(g_Boxes.size(), 4u);
  g_Bump.ground = keep;
}

}  // namespace
