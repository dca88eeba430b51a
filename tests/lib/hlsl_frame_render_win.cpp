// Render mode 4 and the shader path inside the whole frame render under Wine: the posed
// two-bone bar of the frame-render tests gives the mode-0 picture in mode 4 (both bones of
// the half-and-half row blended), and the shader path draws it with the effects.
#include "lib/framework/lib_state.h"
#include "lib/render/effect_win.h"
#include "lib/render/hlsl_frame_win.h"
#include "render_scene_win.h"

namespace {

using namespace frametest;

// The frame-render fixture with the effects installed from the source tree's data folder.
struct BoneFrameWin : FrameWinTest {
  LibHooks savedHooks;
  void SetUp() override {
    savedHooks = g_LibHooks;
    goldenDir = "../effects/";
    FrameWinTest::SetUp();
    if (HasFatalFailure()) return;
    Hlsl_Install();
  }
  void TearDown() override {
    Hlsl_ReleaseEffects();
    Hlsl_ReleaseTargets();
    g_LibHooks = savedHooks;
    g_Hlsl.drawModel = nullptr;
    g_Lib.config.shaderMode = 0;
    FrameWinTest::TearDown();
  }
};

TEST_F(BoneFrameWin, Mode4GivesTheMode0Picture) {
  Model3 *m = PosedBar(0, 0);
  Place(0, 0, 0, 0);
  m->renderMode = 0;
  m->changed = 1;
  Render();
  std::vector<unsigned> mode0 = TestDevice_ReadBack(&t);
  m->renderMode = 4;
  m->changed = 1;
  Render();
  ASSERT_NE(Hlsl_PeekEffect(HLSL_FX_BONE), nullptr);
  std::vector<unsigned> mode4 = TestDevice_ReadBack(&t);
  int covered = 0;
  unsigned clear = mode0[0];
  for (unsigned c : mode0) covered += c != clear;
  EXPECT_GT(covered, 1000);
  EXPECT_LE(Differ(mode0, mode4), W * H / 400) << "covered " << covered;
  Golden("bar_mode4");
}

TEST_F(BoneFrameWin, ShaderPathDrawsTheSceneThroughTheEffects) {
  Model3 *m = PosedBar(0, 0);
  Place(0, 0, 0, 0);
  m->changed = 1;
  Render();
  std::vector<unsigned> fixed = TestDevice_ReadBack(&t);
  g_Lib.config.shaderMode = 1;
  Render();
  EXPECT_TRUE(g_Lib.config.shaderMode);  // a shadow map format exists here
  std::vector<unsigned> shaded = TestDevice_ReadBack(&t);
  int lit = 0;
  for (unsigned c : shaded) lit += (c & 0xFFFFFF) != 0;
  EXPECT_GT(lit, 500) << "the shader path drew nothing";
  EXPECT_GT(Differ(fixed, shaded), 1000) << "the shader path gave the fixed-function picture";
}

}  // namespace
