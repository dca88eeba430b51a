// Render targets, the full-screen quad, shadow edges and the stencil state sequences.
#include <gtest/gtest.h>
#include <string.h>

#include "draw_fakedev.h"
#include "lib/draw/target.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "model/object.h"

namespace {

struct TargetTest : ::testing::Test {
  void SetUp() override { FakeDev_Install(); }
  void TearDown() override {
    for (int i = 0; i < RENDER_TARGETS; i++) g_Target.slots[i] = RenderTargetSlot{};
    FakeDev_Remove();
  }
};

TEST_F(TargetTest, TargetsAreMadeOnlyWithADeviceAndReleasedBeforeRemaking) {
  g_Target.slots[2].width = 256;
  g_Target.slots[2].height = 128;
  g_Target.slots[2].state = 9;
  g_Fake->ready = false;
  Draw_CreateTarget(2);
  EXPECT_EQ(g_Target.slots[2].texture, nullptr);
  g_Fake->ready = true;
  Draw_CreateAllTargets();
  ASSERT_NE(g_Target.slots[2].texture, nullptr);
  EXPECT_NE(g_Target.slots[2].surface, nullptr);
  EXPECT_EQ(g_Target.slots[2].state, 0u);
  EXPECT_EQ(g_Target.slots[0].texture, nullptr);   // no size: nothing to make
  FakeTexture *first = (FakeTexture *)g_Target.slots[2].texture;
  Draw_CreateTarget(2);
  EXPECT_TRUE(first->released);
  Draw_ReleaseAllTargets();
  EXPECT_EQ(g_Target.slots[2].texture, nullptr);
  EXPECT_EQ(g_Target.slots[2].surface, nullptr);
  Draw_FlagTargetForClear(0);
  Draw_FlagTargetForClear(8);   // out of range: ignored
  EXPECT_EQ(g_Target.slots[0].clearFlag, 1u);
}

int g_Released;
void CountRelease(void) { g_Released++; }

TEST_F(TargetTest, ShaderTargetReleaseRunsEveryRegisteredReleaseOnce) {
  g_Released = 0;
  Draw_AddReleaseHook(CountRelease);
  Draw_AddReleaseHook(CountRelease);
  Draw_ReleaseShaderTargets();
  EXPECT_EQ(g_Released, 1);
}

TEST_F(TargetTest, ScreenQuadCoversTheFrameInTheQuadColour) {
  g_Lib.screenWidth = 800;
  g_Lib.screenHeight = 600;
  g_Lib.flags.r = 1.0f;
  g_Lib.flags.g = 0.5f;
  g_Lib.flags.b = 0.0f;
  g_Lib.flags.alpha = 0.2f;
  Draw_FillScreenQuad();
  EXPECT_EQ(g_Target.screenQuad[0].x, 0.0f);
  EXPECT_EQ(g_Target.screenQuad[0].y, 600.0f);
  EXPECT_EQ(g_Target.screenQuad[3].x, 800.0f);
  EXPECT_EQ(g_Target.screenQuad[3].y, 0.0f);
  EXPECT_EQ(g_Target.screenQuad[2].rhw, 1.0f);
  EXPECT_EQ(g_Target.screenQuad[1].color, 0x33FF7F00u);
}

TEST_F(TargetTest, StencilPassesCountVolumesTwiceAndDarkenWhereCounted) {
  u16 edges[8];
  i32 count = 0;
  Shadow_AddEdge(edges, &count, 3, 4);
  Shadow_AddEdge(edges, &count, 4, 5);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(edges[2], 4);
  EXPECT_EQ(edges[3], 5);

  static f32 tri[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
  static ObjectSideRecord side;
  Mat_Translation(&side.world, 5, 0, 0);
  g_Target.shadowVolumes[3] = {3, tri};
  g_ObjectSideRecords[3] = &side;
  Shadow_StencilVolumePass();
  ASSERT_EQ(g_Fake->draws.size(), 2u);
  EXPECT_EQ(g_Fake->draws[0].statesAtDraw[DRS_STENCILPASS], (u32)DSTENCILOP_INCR);
  EXPECT_EQ(g_Fake->draws[1].statesAtDraw[DRS_STENCILPASS], (u32)DSTENCILOP_DECR);
  EXPECT_EQ(g_Fake->draws[1].statesAtDraw[DRS_CULLMODE], (u32)DCULL_CW);
  EXPECT_EQ(g_Fake->draws[0].statesAtDraw[DRS_DESTBLEND], (u32)DBLEND_ONE);   // colour unchanged
  EXPECT_EQ(g_Fake->draws[0].stride, 12u);
  EXPECT_EQ(g_Fake->transforms[0][12], 5.0f);
  EXPECT_EQ(g_Fake->states[DRS_STENCILENABLE], 0u);
  EXPECT_EQ(g_Fake->states[DRS_ZWRITEENABLE], 1u);
  EXPECT_EQ(g_Fake->states[DRS_CULLMODE], (u32)DCULL_CCW);
  Shadow_DarkenStencil();
  ASSERT_EQ(g_Fake->draws.size(), 3u);
  EXPECT_EQ(g_Fake->draws[2].primType, (u32)DPT_TRIANGLESTRIP);
  EXPECT_EQ(g_Fake->draws[2].stride, 20u);
  EXPECT_EQ(g_Fake->draws[2].statesAtDraw[DRS_STENCILFUNC], (u32)DCMP_LESSEQUAL);
  EXPECT_EQ(g_Fake->draws[2].statesAtDraw[DRS_ZENABLE], 0u);
  EXPECT_EQ(g_Fake->states[DRS_ZENABLE], 1u);
  g_Target.shadowVolumes[3] = {0, nullptr};
  g_ObjectSideRecords[3] = nullptr;
}

}  // namespace
