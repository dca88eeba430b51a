// Immediate primitives: placement, colours, quad blending, fill modes, states, and the camera.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include "app/shell_services.h"
#include "app/shell_view.h"
#include "draw_fakedev.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/draw/screen.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "model/model3.h"
#include "view_reset.h"

namespace {

struct PrimTest : ::testing::Test {
  void SetUp() override {
    FakeDev_InstallFor3DFrame();
    g_Draw.nextQuadAdditive = 0;
  }
  void TearDown() override { FakeDev_Remove(); }
};

TEST_F(PrimTest, RectDrawsItsFourEdgesInOneColour) {
  Draw_Rect2D(10, 10, 20, 30, 1, 2, 3, 4);
  ASSERT_EQ(g_Fake->draws.size(), 4u);
  const float want[4][4] = {{10, 10, 20, 10}, {20, 10, 20, 30}, {10, 30, 20, 30}, {10, 10, 10, 30}};
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(g_Fake->draws[i].primType, (u32)DPT_LINELIST);
    EXPECT_EQ(g_Fake->draws[i].fvf, (u32)FVF_SCREENVERTEX);
    EXPECT_EQ(g_Fake->draws[i].stride, 28u);
    auto v = FakeDev_ScreenVerts(i);
    ASSERT_EQ(v.size(), 2u);
    EXPECT_EQ(v[0].x, want[i][0]);
    EXPECT_EQ(v[0].y, want[i][1]);
    EXPECT_EQ(v[1].x, want[i][2]);
    EXPECT_EQ(v[1].y, want[i][3]);
    for (auto &s : v) {
      EXPECT_EQ(s.color, 0x04010203u);
      EXPECT_EQ(s.z, 0.0f);
      EXPECT_EQ(s.rhw, 1.0f);
      EXPECT_EQ(s.u, 0.0f);
    }
  }
}

TEST_F(PrimTest, PointInA2DFrameFamilyLandsInTheMiddleOfTheDesktop) {
  ViewReset_2DFrame(FAMILY_2D_MAP, 20);
  g_Lib.desktopWidth = 1920;
  g_Lib.desktopHeight = 1080;
  Draw_Point2D(0, 0, 255, 255, 255, 255);
  auto v = FakeDev_ScreenVerts(0);
  EXPECT_EQ(v[0].x, 640.0f);
  EXPECT_EQ(v[0].y, 300.0f);
  // View 0's pan moves the frame; the scale applies before the offset.
  g_Shell.g_Views[20][0].panX = 12.5f;
  g_Shell.g_Views[20][0].panY = -3.0f;
  g_Scale2D[0] = 2.0f;
  g_Scale2D[1] = 0.5f;
  Draw_Point2DColors(10, 10, 0, 0, 0, 0, 0.25f, 0.75f);
  v = FakeDev_ScreenVerts(1);
  EXPECT_EQ(v[0].x, 20.0f + 652.5f);
  EXPECT_EQ(v[0].y, 5.0f + 297.0f);
  EXPECT_EQ(v[0].u, 0.25f);
  EXPECT_EQ(v[0].v, 0.75f);
  // Without view windows the same family gets no offset.
  g_Lib.viewWindowMode = 0;
  Draw_Point2D(10, 10, 0, 0, 0, 0);
  EXPECT_EQ(FakeDev_ScreenVerts(2)[0].x, 20.0f);
}

TEST_F(PrimTest, AdditiveQuadIsOneShotAndEveryQuadRestoresNormalBlending) {
  Draw_SetNextQuadAdditive(1);
  Draw_Quad2D(0, 0, 255, 255, 255, 255, 0, 0, 10, 0, 255, 255, 255, 255, 1, 0,
              10, 10, 255, 255, 255, 255, 1, 1, 0, 10, 255, 255, 255, 255, 0, 1);
  Draw_Quad2D(0, 0, 255, 255, 255, 255, 0, 0, 10, 0, 255, 255, 255, 255, 1, 0,
              10, 10, 255, 255, 255, 255, 1, 1, 0, 10, 255, 255, 255, 255, 0, 1);
  ASSERT_EQ(g_Fake->draws.size(), 2u);
  EXPECT_EQ(g_Fake->draws[0].statesAtDraw[DRS_DESTBLEND], (u32)DBLEND_ONE);
  EXPECT_EQ(g_Fake->draws[1].statesAtDraw[DRS_DESTBLEND], (u32)DBLEND_INVSRCALPHA);
  EXPECT_EQ(g_Fake->draws[1].primType, (u32)DPT_TRIANGLEFAN);
  EXPECT_EQ(g_Fake->draws[1].primCount, 2u);
  EXPECT_EQ(g_Fake->states[DRS_DESTBLEND], (u32)DBLEND_INVSRCALPHA);
  EXPECT_EQ(g_Draw.nextQuadAdditive, 0u);
}

TEST_F(PrimTest, FillModesAndOutOfRangeValues) {
  Draw_SetFillMode(3);
  EXPECT_EQ(g_Fake->states[DRS_FILLMODE], (u32)DFILL_SOLID);
  EXPECT_EQ(g_Fake->states[DRS_SHADEMODE], (u32)DSHADE_FLAT);
  size_t n = g_Fake->stateLog.size();
  Draw_SetFillMode(0);
  Draw_SetFillMode(6);
  EXPECT_EQ(g_Fake->stateLog.size(), n);
  Draw_SetFillMode(2);
  EXPECT_EQ(g_Fake->states[DRS_FILLMODE], (u32)DFILL_WIREFRAME);
  EXPECT_EQ(g_Fake->states[DRS_SHADEMODE], (u32)DSHADE_GOURAUD);
  Draw_SetFillMode(1);
  EXPECT_EQ(g_Fake->states[DRS_FILLMODE], (u32)DFILL_POINT);
}

TEST_F(PrimTest, Line3DDrawsUnlitAndLeavesLightingOn) {
  Draw_SetLighting(1);
  Draw_Line3D(0, 0, 0, 255, 0, 0, 255, 0, 0, 1, 2, 3, 0, 255, 0, 255, 0, 0);
  ASSERT_EQ(g_Fake->draws.size(), 1u);
  EXPECT_EQ(g_Fake->draws[0].statesAtDraw[DRS_LIGHTING], 0u);
  EXPECT_EQ(g_Fake->states[DRS_LIGHTING], 1u);
  EXPECT_EQ(g_Fake->draws[0].fvf, (u32)FVF_SCENEVERTEX);
  auto v = FakeDev_SceneVerts(0);
  EXPECT_EQ(v[0].diffuse, 0xFFFF0000u);
  EXPECT_EQ(v[1].z, 3.0f);
  EXPECT_EQ(v[1].nx, 0.0f);
  EXPECT_EQ(v[1].specular, 0u);
}

TEST_F(PrimTest, Quad3DSplitsIntoTwoTrianglesSharingTheFirstCorner) {
  Draw_SetLighting(1);
  Draw_Quad3D(0, 0, 0, 0, 0, -1, 1, 1, 1, 1, 0, 0, 1, 0, 0, 0, 0, -1, 2, 2, 2, 2, 1, 0,
              1, 1, 0, 0, 0, -1, 3, 3, 3, 3, 1, 1, 0, 1, 0, 0, 0, -1, 4, 4, 4, 4, 0, 1);
  auto v = FakeDev_SceneVerts(0);
  ASSERT_EQ(v.size(), 6u);
  const u32 order[6] = {1, 2, 3, 1, 3, 4};
  for (int i = 0; i < 6; i++) EXPECT_EQ(v[i].diffuse & 0xFF, order[i]);
  EXPECT_EQ(v[0].nz, -1.0f);
  EXPECT_EQ(g_Fake->draws[0].statesAtDraw[DRS_LIGHTING], 1u);   // triangles keep lighting
}

TEST_F(PrimTest, DefaultStatesDiscardZeroAlphaAndBlendTheRest) {
  Draw_SetDefaultStates();
  EXPECT_EQ(g_Fake->states[DRS_ALPHATESTENABLE], 1u);
  EXPECT_EQ(g_Fake->states[DRS_ALPHAREF], 1u);
  EXPECT_EQ(g_Fake->states[DRS_ALPHAFUNC], (u32)DCMP_GREATEREQUAL);
  EXPECT_EQ(g_Fake->states[DRS_SRCBLEND], (u32)DBLEND_SRCALPHA);
  EXPECT_EQ(g_Fake->states[DRS_DESTBLEND], (u32)DBLEND_INVSRCALPHA);
  EXPECT_EQ(g_Fake->states[DRS_FILLMODE], (u32)DFILL_SOLID);
}

// [SECTION] Camera

struct CameraTest : PrimTest {
  void SetUp() override {
    PrimTest::SetUp();
    g_Lib.screenWidth = 640;
    g_Lib.screenHeight = 480;
    f32 proj[16];
    Cam_BuildPerspectiveFovLH(proj, 3.14159265f / 4.0f, 640.0f / 480.0f, 1.0f, 65000.0f);
    g_Dev.draw.setTransform(DTS_PROJECTION, proj);
  }
  // The point (x, y, z) seen from eye to target lands on the centre of the 640 x 480 screen.
  static void ExpectCentred(Vec3 eye, Vec3 target, f32 x, f32 y, f32 z) {
    Cam_SetEye(eye.x, eye.y, eye.z);
    Cam_SetTarget(target.x, target.y, target.z);
    f32 out[3];
    Cam_ProjectToScreen(out, x, y, z);
    EXPECT_NEAR(out[0], 320.0f, 1e-3);
    EXPECT_NEAR(out[1], 240.0f, 1e-3);
    EXPECT_GT(out[2], 0.0f);
  }
};

TEST_F(CameraTest, TargetProjectsToTheViewportCentre) {
  ExpectCentred({3, 4, -20}, {1, 2, 3}, 1, 2, 3);
  f32 out[3];
  // A point to the right of the target (seen from -z) lands right of the centre, one above it higher.
  Cam_SetEye(0, 0, -15);
  Cam_SetTarget(0, 0, 0);
  Cam_ProjectToScreen(out, 1, 1, 0);
  EXPECT_GT(out[0], 320.0f);
  EXPECT_LT(out[1], 240.0f);
  // pi/4 vertical field at distance 15: y = 15 * tan(pi/8) reaches the top edge.
  Cam_ProjectToScreen(out, 0, 15.0f * tanf(3.14159265f / 8.0f), 0);
  EXPECT_NEAR(out[1], 0.0f, 1e-2);
}

TEST_F(CameraTest, FrameScalingMapsTheCentreOfA1280x960ViewTo320x240) {
  g_Lib.frameScaling = 1;
  g_Lib.screenWidth = 1280;
  g_Lib.screenHeight = 960;
  g_Fake->viewport = {0, 0, 1280, 960, 0.0f, 1.0f};
  ExpectCentred({0, 0, -15}, {0, 0, 0}, 0, 0, 0);
}

TEST_F(CameraTest, ProjectionLeavesTheWorldTransformAtIdentity) {
  f32 moved[16];
  Cam_Identity(moved);
  moved[12] = 5.0f;
  g_Dev.draw.setTransform(DTS_WORLD, moved);
  Cam_SetEye(0, 0, -15);
  Cam_SetTarget(0, 0, 0);
  f32 out[3];
  Cam_ProjectToScreen(out, 0, 0, 0);
  f32 world[16], id[16];
  g_Dev.draw.getTransform(DTS_WORLD, world);
  Cam_Identity(id);
  EXPECT_EQ(memcmp(world, id, sizeof id), 0);
  // The device's view is the look-at of the stored camera.
  f32 view[16];
  g_Dev.draw.getTransform(DTS_VIEW, view);
  EXPECT_NEAR(view[14], 15.0f, 1e-5);   // eye at z = -15 looking at the origin
}

TEST_F(CameraTest, BrightnessStoresOnlyChangesAndGivesTheCoverAlpha) {
  Light_Init();
  Cam_SetBrightness(0.5f);
  EXPECT_EQ(g_Camera.light.brightness, 0.5f);
  EXPECT_EQ(Cam_CoverAlpha(0.5f), 128);
  EXPECT_EQ(Cam_CoverAlpha(1.0f), 0);
  EXPECT_EQ(Cam_CoverAlpha(0.0f), 255);
  EXPECT_EQ(Cam_SetLightDirection(1, 2, 3), 1);
  EXPECT_EQ(g_Camera.light.vector[2], 3.0f);
  Lib_SetClearColor(10, 20, 30);
  EXPECT_EQ(g_Lib.clearColor[2], 30u);
}

}  // namespace
