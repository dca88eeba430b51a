// Every render mode on the shared tube under Wine, with lighting and textures on, through the
// real per-frame pass and frame render: the modes give the mode-0 picture (the mirrored fin's
// copy exists only in mode 0, so modes 1-4 are compared with mode 0 drawn without it), and
// probes at pixels computed from the camera and the bone chain say the picture is right:
// the bent tip where the chain puts it, the hidden group's pixels left to the background,
// the edge just outside the silhouette and the ground shadow under the tip.
#include <stdlib.h>

#include <d3dx9.h>

#include "lib/render/effect_win.h"
#include "lib/render/hlsl_frame_win.h"
#include "render_tube_win.h"

namespace {

using namespace tubetest;

const i32 kSlot = 0;

struct RenderModesWin : FrameWinTest {
  RenderHooks savedHooks;
  void SetUp() override {
    savedHooks = g_RenderHooks;
    FrameWinTest::SetUp();
    if (HasFatalFailure()) return;
    Hlsl_Install();
    g_Light = {{-3, 6, -6}, {1, 1, 1}, 1.0f};
    Cam_SetAmbient(0.25f, 0.25f, 0.25f);
  }
  void TearDown() override {
    Hlsl_ReleaseEffects();
    Hlsl_ReleaseTargets();
    g_RenderHooks = savedHooks;
    g_Hlsl.drawModel = nullptr;
    FrameWinTest::TearDown();
  }
  std::vector<unsigned> Draw(Model3 *m, u32 mode, const char *dump = nullptr) {
    if (m->renderMode != mode) {
      m->renderMode = mode;
      m->changed = 1;
    }
    Render();
    // MIRAVEL_DUMP_DIR: the pictures as PNG files, to look at.
    if (const char *dir = getenv("MIRAVEL_DUMP_DIR")) {
      IDirect3DSurface9 *bb = nullptr;
      if (dump && SUCCEEDED(t.device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &bb))) {
        D3DXSaveSurfaceToFileA((std::string(dir) + "/" + dump + ".png").c_str(), D3DXIFF_PNG, bb, nullptr, nullptr);
        bb->Release();
      }
    }
    return TestDevice_ReadBack(&t);
  }
  unsigned Clear() const { return (unsigned)(g_ClearColor[0] << 16 | g_ClearColor[1] << 8 | g_ClearColor[2]); }
};

// Where the bone chain puts a rest point of the upper tube, skinned as the pass skins it.
Vec3 Skinned(Model3 *m, Vec3 rest) {
  VertexBinding b = {2, 2, 1.0f, 0};
  Vec3 out;
  Object_SkinPoint(g_ModelPoses[kSlot], m->boneCount, &b, &rest, &out);
  return out;
}

TEST_F(RenderModesWin, EveryModeDrawsTheLitTexturedBentTube) {
  Model3 *m = Tube(kSlot, t.device);
  Place(0, 0, 0, 0);
  m->groups[2].mirror = 0;
  std::vector<unsigned> unmirrored = Draw(m, 0, "mode0_unmirrored");
  m->groups[2].mirror = 1;
  std::vector<unsigned> mode0 = Draw(m, 0, "mode0");

  // The bend, reasoned by hand: the tip's centre turns 50 degrees about the pivot.
  Vec3 tip = Skinned(m, Vec3{0, 2.75f, 0});
  f32 dx = tip.x, dy = tip.y - kPivotY;
  EXPECT_NEAR(sqrtf(dx * dx + dy * dy), 1.25f, 1e-3f);
  EXPECT_NEAR(atan2f(fabsf(dx), dy) * 57.29578f, kBendDegrees, 0.1f);
  int tx, ty, rx, ry, hx, hy, mx, my;
  Project(tip, &tx, &ty);
  Project(Vec3{-tip.x, tip.y, 0}, &rx, &ry);        // where a bend the other way would put it
  Project(kHiddenCentre, &hx, &hy);
  Project(Vec3{-0.85f, 0.6f, 0}, &mx, &my);         // the fin's mirror copy
  // The mirror copy is the only difference the unmirrored picture has.
  EXPECT_FALSE(Near(At(mode0, mx, my), Clear(), 8));
  EXPECT_TRUE(Near(At(unmirrored, mx, my), Clear(), 8));

  const u32 modes[] = {0, 1, 2, 3, 4};
  for (u32 mode : modes) {
    char name[32];
    snprintf(name, sizeof name, "mode%u", mode);
    std::vector<unsigned> px = Draw(m, mode, name);
    SCOPED_TRACE(name);
    EXPECT_FALSE(Near(At(px, tx, ty), Clear(), 8)) << "no tube at the bent tip";
    EXPECT_TRUE(Near(At(px, rx, ry), Clear(), 8)) << "tube where a bend the other way would be";
    EXPECT_TRUE(Near(At(px, hx, hy), Clear(), 0)) << "the hidden group was drawn";
    if (mode == 0) continue;
    EXPECT_LE(Differ(unmirrored, px), W * H / 400) << "differs from mode 0 without the mirror copy";
  }
}

TEST_F(RenderModesWin, EdgeAndGroundShadowFollowTheDrawnPoseInEveryMode) {
  Model3 *m = Tube(kSlot, t.device);
  Place(0, 0, 0, 0);
  m->groups[2].mirror = 0;
  Draw(m, 0);   // the pose
  Vec3 tip = Skinned(m, Vec3{0, 2.75f, 0});
  // The ground shadow falls straight down (kind 2) onto the shadow height. Under a point
  // just inside the bent part's upper wall, x 0.55 at z -0.3, only that wall casts: the lower
  // tube's shadow ends at x 0.4 there, and the tip's open end (whose walls below face down
  // and are culled) leaves its shadow open from x 0.70.
  m->shadow[0] = 0.01f;
  Vec3 wall = Skinned(m, Vec3{-0.4f, 2.55f, -0.3f});
  ASSERT_GT(wall.x, 0.5f);
  ASSERT_LT(wall.x, 0.6f);
  int gx, gy, ox, oy;
  Project(Vec3{wall.x, 0.01f, -0.3f}, &gx, &gy);
  Project(Vec3{-wall.x, 0.01f, -0.3f}, &ox, &oy);
  // The silhouette on the tip's row, walked outward from the tip's centre.
  int tx, ty;
  Project(tip, &tx, &ty);
  int step = tip.x < 0 ? -1 : 1;
  for (u32 mode : {0u, 1u, 2u, 3u, 4u}) {
    char name[32];
    snprintf(name, sizeof name, "plain%u", mode);
    SCOPED_TRACE(name);
    m->immediate = 0;
    m->shadowKind = 0;
    std::vector<unsigned> plain = Draw(m, mode, name);
    // What an earlier mode left in the posed arrays must not stand in for this mode's pose.
    memset(m->posed, 0, sizeof(Vec3) * (size_t)m->positionCount);
    memset(m->vertexNormals, 0, sizeof(Vec3) * (size_t)m->positionCount);
    int edgeX = tx;
    while (edgeX >= 0 && edgeX < W && !Near(At(plain, edgeX, ty), Clear(), 8)) edgeX += step;
    ASSERT_GT(abs(edgeX - tx), 3);
    m->immediate = 1;
    m->shadowKind = 2;
    snprintf(name, sizeof name, "edged%u", mode);
    std::vector<unsigned> edged = Draw(m, mode, name);
    // The outline lies one pixel outside the silhouette (0.05 units is about 2 pixels here).
    unsigned out1 = At(edged, edgeX, ty), out2 = At(edged, edgeX + step, ty);
    EXPECT_TRUE(Near(out1, 0, 24) || Near(out2, 0, 24)) << std::hex << out1 << " " << out2;
    // Nothing black far from the model: no shards running to the origin.
    EXPECT_TRUE(Near(At(edged, edgeX + 8 * step, ty), Clear(), 8));
    EXPECT_TRUE(Near(At(edged, gx, gy), 0, 24)) << "no ground shadow under the bent part";
    EXPECT_TRUE(Near(At(edged, ox, oy), Clear(), 8)) << "ground shadow where no part of the tube is above";
  }
}

// Mode 4 after mode 0 and back, twenty times: the rebuilt buffers (often at a reused address)
// draw the same picture each time.
TEST_F(RenderModesWin, Mode4AfterMode0TwentyTimesGivesOnePicture) {
  Model3 *m = Tube(kSlot, t.device);
  Place(0, 0, 0, 0);
  std::vector<unsigned> first = Draw(m, 4);
  for (int i = 0; i < 20; i++) {
    Draw(m, 0);
    std::vector<unsigned> again = Draw(m, 4);
    ASSERT_EQ(Differ(first, again), 0) << "round " << i;
  }
}

// The 128-bone chain: rings bound to bones up to 109, past one palette of 76.
TEST_F(RenderModesWin, Mode4Of128BonesMatchesMode0) {
  Model3 *m = Tube(kSlot, t.device, 128);
  Place(0, 0, 0, 0);
  m->groups[2].mirror = 0;
  std::vector<unsigned> mode0 = Draw(m, 0, "bones128_mode0");
  std::vector<unsigned> mode4 = Draw(m, 4, "bones128_mode4");
  ASSERT_TRUE(g_WeightedMesh4[kSlot]);
  EXPECT_GT(g_WeightedMesh4[kSlot]->batchCount, 0);
  int covered = 0;
  for (unsigned c : mode0) covered += !Near(c, Clear(), 8);
  EXPECT_GT(covered, 2000);
  EXPECT_LE(Differ(mode0, mode4), W * H / 400) << "covered " << covered;
}

}  // namespace
