// Every render mode on the shared tube under Wine, with lighting and textures on, through the
// real per-frame pass and frame render: the modes give the mode-0 picture (the mirrored fin's
// copy exists only in mode 0, so modes 1-4 are compared with mode 0 drawn without it), and
// probes at pixels computed from the camera and the bone chain say the picture is right:
// the bent tip where the chain puts it, the hidden group's pixels left to the background,
// the edge just outside the silhouette and the ground shadow under the tip.
#include <stdlib.h>

#include <d3dx9.h>

#include "lib/draw/image.h"
#include "lib/draw/texture.h"
#include "lib/framework/lib_state.h"
#include "lib/render/devobjects.h"
#include "lib/render/effect_win.h"
#include "lib/render/hlsl_frame_win.h"
#include "render_tube_win.h"

namespace {

using namespace tubetest;

const i32 kSlot = 0;

struct RenderModesWin : FrameWinTest {
  LibHooks savedHooks;
  void SetUp() override {
    savedHooks = g_LibHooks;
    FrameWinTest::SetUp();
    if (HasFatalFailure()) return;
    Hlsl_Install();
    g_Camera.light = {{-3, 6, -6}, {1, 1, 1}, 1.0f};
    Cam_SetAmbient(0.25f, 0.25f, 0.25f);
  }
  void TearDown() override {
    Hlsl_ReleaseEffects();
    Hlsl_ReleaseTargets();
    g_LibHooks = savedHooks;
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
  unsigned Clear() const { return (unsigned)(g_Lib.clearColor[0] << 16 | g_Lib.clearColor[1] << 8 | g_Lib.clearColor[2]); }
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

// Toon shading: every mode gives the mode-0 toon picture (mode 3 drew its blended vertices
// unlit and flat, without the toon stage), and a white line that the scene hook draws after
// the models stays white (it was drawn through the toon texture and came out dark).
void WhiteSceneLine(void) {
  Draw_Line3D(-3.0f, 0.2f, -1.0f, 255, 255, 255, 255, 0, 0, 3.0f, 0.2f, -1.0f, 255, 255, 255, 255, 0, 0);
}

TEST_F(RenderModesWin, ToonShadesEveryModeAlikeAndLeavesTheSceneLinesAlone) {
  i32 tw = 0, th = 0;
  ASSERT_TRUE(Draw_LoadToonTexture(SourcePath("Data/System/Toon.JPG").c_str(), &tw, &th));
  void (*savedScene)(void) = g_LibHooks.drawScene;
  g_LibHooks.drawScene = WhiteSceneLine;
  Model3 *m = Tube(kSlot, t.device);
  Place(0, 0, 0, 0);
  m->groups[2].mirror = 0;
  std::vector<unsigned> mode0 = Draw(m, 0, "toon_mode0");
  int lx, ly;
  Project(Vec3{-2.5f, 0.2f, -1.0f}, &lx, &ly);
  // The one-pixel line lies within a pixel of its projection (rasteriser rounding).
  auto white = [&](const std::vector<unsigned> &px) {
    for (int dy = -1; dy <= 1; dy++)
      if (Near(At(px, lx, ly + dy), 0xFFFFFF, 8)) return true;
    return false;
  };
  EXPECT_TRUE(white(mode0));
  for (u32 mode : {1u, 2u, 3u, 4u}) {
    char name[32];
    snprintf(name, sizeof name, "toon_mode%u", mode);
    std::vector<unsigned> px = Draw(m, mode, name);
    SCOPED_TRACE(name);
    EXPECT_LE(Differ(mode0, px), W * H / 400) << "differs from mode 0's toon picture";
    EXPECT_TRUE(white(px));
  }
  g_LibHooks.drawScene = savedScene;
  Draw_ReleaseToonTexture();
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
  ASSERT_TRUE(g_Meshes.weighted4[kSlot]);
  EXPECT_GT(g_Meshes.weighted4[kSlot]->batchCount, 0);
  int covered = 0;
  for (unsigned c : mode0) covered += !Near(c, Clear(), 8);
  EXPECT_GT(covered, 2000);
  EXPECT_LE(Differ(mode0, mode4), W * H / 400) << "covered " << covered;
}

// True when the texture lives on `device`.
bool OnDevice(void *texture, IDirect3DDevice9 *device) {
  IDirect3DDevice9 *d = nullptr;
  if (!texture || FAILED(((IDirect3DResource9 *)texture)->GetDevice(&d))) return false;
  d->Release();
  return d == device;
}

std::string TempFile(const char *name) {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  return std::string(dir) + name;
}

// A textured 2D bone model: a pentagon of two groups over the toon picture.
void Bone2Pentagon(const char *texture) {
  g_ModelAllocArrays = 1;
  Bone2Model *b = Bone2_Init(0);
  ASSERT_TRUE(b);
  b->vertexCount = b->uvCount = 5;
  b->colourCount = 1;
  const Bone2Point p[5] = {{20, 150}, {120, 150}, {130, 230}, {70, 235}, {10, 230}};
  const Bone2UV uv[5] = {{0, 0}, {1, 0}, {1, 1}, {0.5f, 1}, {0, 1}};
  for (int i = 0; i < 5; ++i) b->positions[i] = p[i], b->uvs[i] = uv[i];
  b->polygonCount = 1;
  Polygon2 &q = b->polygons[0];
  q = Polygon2{};
  q.used = 1, q.cornerCount = 4, q.group = 0;
  for (int k = 0; k < 4; ++k) q.corners[k] = Corner2{(u16)k, 0, (u16)k};
  b->groupCount = 1;
  b->groups[0].r = b->groups[0].g = b->groups[0].b = b->groups[0].a = 255;
  b->groups[0].shadeMode = 4;
  b->groups[0].texture = 0;
  b->textureCount = 1;
  b->textures[0].used = 1;
  Str_Copy(b->textures[0].name, sizeof b->textures[0].name, texture);
  Tex_ReloadBone2Texture(0, 0, texture);
  for (int c = 0; c < 4; ++c) b->colour[c] = 255;
  b->displayMode = 2;
  b->skinned = nullptr;
  g_Bone2SlotShown[0] = 1;
}

// A change to another device (the old one released, a new one created): every model,
// texture and 2D model draws as before, on the new device, and nothing is left holding the
// old one. The tube is drawn twice, in mode 4 (effect, bone buffers) and mode 3 (sub-mesh
// buffers), with textures loaded from files as the model readers load them.
TEST_F(RenderModesWin, ADeviceChangeKeepsEveryModelAndTexture) {
  Model3 *m4 = Tube(0, t.device), *m3 = Tube(1, t.device);
  Place(0, -1.0f, 0, 0);
  Place(1, 1.2f, 0, 1);
  for (i32 slot : {0, 1}) {
    Model3 *m = g_Model3Slots[slot];
    m->textureCount = 3;
    for (i32 n : {1, 2}) {
      std::string path = TempFile(n == 1 ? "devlost_checker.png" : "devlost_gradient.png");
      ASSERT_EQ(D3DXSaveTextureToFileA(path.c_str(), D3DXIFF_PNG, (IDirect3DTexture9 *)g_ModelPoses[slot]->textures[n],
                                       nullptr), D3D_OK);
      m->textures[n].used = 1;
      Model3_SetText(&m->textures[n].name, path.c_str());
      Tex_ReloadModel3Texture(slot, n, path.c_str());
    }
  }
  m4->renderMode = 4, m3->renderMode = 3;
  m4->changed = m3->changed = 1;
  std::string toon = SourcePath("Data/System/Toon.JPG");
  Bone2Pentagon(toon.c_str());
  g_ModelAllocArrays = 1;
  Obj2Model *o2 = Obj2_Init(0);
  ASSERT_TRUE(o2);
  Obj2_LoadImage(0, 0, toon.c_str());
  o2->objectCount = 2, o2->active = 1, o2->placeX = 260, o2->placeY = 60;
  o2->parts[1].shown = 1, o2->parts[1].image = 0, o2->parts[1].scaleX = o2->parts[1].scaleY = 2.0f;
  o2->parts[1].r = o2->parts[1].g = o2->parts[1].b = o2->parts[1].a = 255;
  g_Obj2SlotShown[0] = 1;
  ImageHandle image = {0, -1};
  ASSERT_GE(Img_Load(&image, toon.c_str()), 0);
  m4->shadowKind = 1;  // the blob shadow's texture
  i32 tw = 0, th = 0;
  ASSERT_TRUE(Draw_LoadToonTexture(toon.c_str(), &tw, &th));

  Render();
  ASSERT_NE(Hlsl_PeekEffect(HLSL_FX_BONE), nullptr);
  std::vector<unsigned> before = TestDevice_ReadBack(&t);
  int covered = 0;
  for (unsigned c : before) covered += !Near(c, Clear(), 8);
  EXPECT_GT(covered, 6000);

  DevObjects_Lost();
  EXPECT_EQ(t.device->Release(), 0u) << "the old device is still referenced";
  t.device = nullptr;
  TestDevice old = t;
  ASSERT_TRUE(TestDevice_Create(&t, W, H));
  TestDevice_Destroy(&old);
  g_Lib.device = t.device;
  f32 proj[16];
  Cam_BuildPerspectiveFovLH(proj, 0.785f, (f32)W / H, 0.5f, 1000.0f);
  g_Dev.draw.setTransform(DTS_PROJECTION, proj);
  DevObjects_Reload();

  Render();
  std::vector<unsigned> after = TestDevice_ReadBack(&t);
  EXPECT_LE(Differ(before, after), W * H / 400);
  for (i32 slot : {0, 1})
    for (i32 n : {1, 2}) EXPECT_TRUE(OnDevice(g_ModelPoses[slot]->textures[n], t.device)) << slot << " " << n;
  EXPECT_TRUE(OnDevice(g_Tex.bone2Textures[0], t.device));
  EXPECT_TRUE(OnDevice(g_Obj2Textures[0], t.device));
  EXPECT_TRUE(OnDevice(Img_GetRow(&image)->texture, t.device));
  EXPECT_TRUE(OnDevice(g_Tex.toonTexture, t.device));
  Draw_ReleaseToonTexture();
  DrawDev_Release(Img_GetRow(&image)->texture);
  Img_GetRow(&image)->texture = nullptr;
  g_Bone2SlotShown[0] = g_Obj2SlotShown[0] = 0;
  for (const char *f : {"devlost_checker.png", "devlost_gradient.png"}) DeleteFileA(TempFile(f).c_str());
}

}  // namespace
