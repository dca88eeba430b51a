// The shader frame under Wine: a cube (scene object 0) above a ground plate, drawn by the
// model drawing inside the HLSL_3D.fx passes and copied onto the back buffer by HLSL_2D.fx.
// The ground under the cube is darkened by the shadow map, the ground shows its texture
// (red on its left half, blue on its right) where it is lit, the bloom switch changes the
// picture, and the picture matches its golden image.
#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include <string>
#include <vector>

#include "draw_device_win.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/drawdev_win.h"
#include "lib/draw/camera.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/render/effect_win.h"
#include "lib/render/modeldraw.h"
#include "lib/render/hlsl_frame_win.h"
#include "lib/render/objects.h"
#include "lib/render/rdev.h"
#include "lib/render/rdev_win.h"
#include "model/mesh.h"
#include "model/model3.h"
#include "model/seam.h"
#include "model/object.h"

namespace {

void ReleaseUnknown(void *h) { ((IUnknown *)h)->Release(); }

// A box (or its bottom plate) of flat-shaded quads, corners clockwise seen from outside;
// texture coordinates spread x and z over 0..1.
Model3 *MakeBox(i32 slot, f32 hx, f32 hy, f32 hz, bool plateOnly) {
  Model3 *m = Model3_Init(slot);
  if (!m) return nullptr;
  i32 quads = plateOnly ? 1 : 6;
  if (!Model3_Reserve(m, 8, 8, 8, 8, quads)) return nullptr;
  for (int i = 0; i < 8; i++) {
    m->positions[i] = {(i & 1) ? hx : -hx, (i & 2) ? hy : -hy, (i & 4) ? hz : -hz};
    m->uvs[i] = {(i & 1) ? 1.0f : 0.0f, (i & 4) ? 1.0f : 0.0f};
  }
  m->uvCount = 8;
  static const int faces[6][4] = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};
  static const int plate[4] = {0, 4, 5, 1};  // the y = -hy side
  m->positionCount = 8;
  m->polygonCount = quads;
  for (int p = 0; p < quads; p++) {
    m->polygons[p].cornerCount = 4;
    m->polygons[p].group = 0;
    for (int k = 0; k < 4; k++) {
      u32 v = (u32)(plateOnly ? plate[k] : faces[p][k]);
      m->polygons[p].corners[k].vertex = m->polygons[p].corners[k].uv = v;
    }
  }
  m->groups[0].r = m->groups[0].g = m->groups[0].b = 200;
  m->groups[0].a = 255;
  m->groups[0].shading = 3;
  for (int c = 0; c < 4; c++) m->color[c] = 255;
  m->displayMode = 2;
  m->shown = 1;
  Model3_CalcNormals(m);
  return m;
}

struct ShaderFrameWin : ::testing::Test {
  TestDevice t;
  IDirect3DDevice9 *saved = nullptr;
  LibHooks savedHooks;
  CoreSeam savedSeam;
  void SetUp() override {
    savedHooks = g_LibHooks;
    savedSeam = g_Seam;
    ASSERT_TRUE(TestDevice_Create(&t, 640, 480));
    saved = g_Lib.device;
    g_Lib.device = t.device;
    g_Seam.releaseHandle = ReleaseUnknown;
    Draw_InstallFor(&t.device);
    Render_InstallDeviceFor(&t.device);
    g_Lib.screenWidth = 640;
    g_Lib.screenHeight = 480;
    Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, SourcePath("Data").c_str());
    Hlsl_Install();
    g_Lib.config.shaderMode = 1;
    ASSERT_NE(MakeBox(1, 5, 5, 5, false), nullptr);
    Model3 *plate = MakeBox(2, 50, 0, 50, true);
    ASSERT_NE(plate, nullptr);
    // The plate's texture: red on the left half (u < 0.5), blue on the right.
    IDirect3DTexture9 *tex = nullptr;
    ASSERT_EQ(t.device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr), D3D_OK);
    D3DLOCKED_RECT r;
    ASSERT_EQ(tex->LockRect(0, &r, nullptr, 0), D3D_OK);
    for (int y = 0; y < 16; y++)
      for (int x = 0; x < 16; x++) ((u32 *)((u8 *)r.pBits + y * r.Pitch))[x] = x < 8 ? 0xFFFF2020u : 0xFF2020FFu;
    tex->UnlockRect(0);
    g_ModelPoses[2]->textures[1] = tex;
    plate->groups[0].texture = 1;
    KZL::OBJECT *cube = ObjectInit(0), *ground = ObjectInit(1);
    ASSERT_TRUE(cube && ground);
    cube->modelSlot = 1;
    Object_SetPosition(cube, 0, 20, 0);
    ground->modelSlot = 2;
    Object_SetPosition(ground, 0, 0, 0);
    Object_UpdateWorldMatrix(0);
    Object_UpdateWorldMatrix(1);
    const f32 eye[3] = {0, 80, -100}, target[3] = {0, 0, 0}, up[3] = {0, 1, 0};
    memcpy(g_Camera.eye, eye, sizeof eye);
    memcpy(g_Camera.target, target, sizeof target);
    memcpy(g_Camera.up, up, sizeof up);
  }
  void TearDown() override {
    g_LibHooks = savedHooks;
    Hlsl_ReleaseEffects();
    Hlsl_ReleaseTargets();
    g_Hlsl.drawModel = nullptr;
    g_Lib.config.shaderMode = 0;
    g_Lib.config.shaderOption = 0;
    Model3_FreeSlot(1);
    Model3_FreeSlot(2);
    g_Dev.render = RenderDev{};
    g_Dev.draw = DrawDev{};
    g_Seam = savedSeam;
    g_Lib.device = saved;
    TestDevice_Destroy(&t);
  }
  std::vector<unsigned> Frame(bool bloom) {
    g_Lib.config.shaderOption = bloom ? 1 : 0;
    t.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(255, 0, 0, 255), 1.0f, 0);
    t.device->BeginScene();
    Hlsl_RenderFrame();
    t.device->EndScene();
    return TestDevice_ReadBack(&t);
  }
  // Screen pixel of a world point through the frame's camera (the copy maps 0..0.99 of the
  // work target onto the screen).
  unsigned PixelAt(const std::vector<unsigned> &img, f32 x, f32 y, f32 z) {
    HlslFrameValues v;
    Hlsl_FrameValues(&v);
    f32 p[4] = {};
    for (int c = 0; c < 4; c++) p[c] = x * v.wvproj.m[0][c] + y * v.wvproj.m[1][c] + z * v.wvproj.m[2][c] + v.wvproj.m[3][c];
    f32 u = (p[0] / p[3] + 1) * 0.5f, w = (1 - p[1] / p[3]) * 0.5f;
    int px = (int)(u / 0.99f * 640), py = (int)(w / 0.99f * 480);
    return img[(size_t)py * 640 + px];
  }
  static int Brightness(unsigned c) { return (int)((c >> 16) & 255) + (int)((c >> 8) & 255) + (int)(c & 255); }
};

TEST_F(ShaderFrameWin, ShadowUnderObjectZeroBloomSwitchAndGolden) {
  std::vector<unsigned> plain = Frame(false);
  ASSERT_TRUE(g_Lib.config.shaderMode) << "no shadow map format on this device";
  // The cube's shadow falls away from the light (25 left, 50 up, 25 in front of object 0).
  int shadowed = Brightness(PixelAt(plain, 10, 0, 10));
  int lit = Brightness(PixelAt(plain, -25, 0, 25));
  EXPECT_GT(lit, 150) << std::hex << PixelAt(plain, -25, 0, 25);
  EXPECT_LT(shadowed * 10, lit * 6) << "shadow " << shadowed << " lit " << lit;
  // The plate's texture where the ground is lit: red left of the middle, blue right of it
  // (u = (x + 50) / 100), the other channels near the ambient share of the 32s.
  unsigned left = PixelAt(plain, -25, 0, 25), right = PixelAt(plain, 25, 0, -25);
  EXPECT_GT((int)(left >> 16 & 255), 3 * (int)(left & 255)) << std::hex << left;
  EXPECT_GT((int)(right & 255), 3 * (int)(right >> 16 & 255)) << std::hex << right;
  std::string report;
  int bad = Golden_Compare(&t, "../effects/shader_frame", 8, &report);
  EXPECT_GE(bad, 0) << report;
  EXPECT_LT(bad, 640 * 480 / 200) << report;

  std::vector<unsigned> bloom = Frame(true);
  int changed = 0;
  for (size_t i = 0; i < plain.size(); i++) changed += Brightness(plain[i]) != Brightness(bloom[i]);
  EXPECT_GT(changed, 1000) << "the bloom switch left the picture as it was";
  bad = Golden_Compare(&t, "../effects/shader_frame_bloom", 8, &report);
  EXPECT_GE(bad, 0) << report;
  EXPECT_LT(bad, 640 * 480 / 200) << report;
}

TEST_F(ShaderFrameWin, NoSceneObjectZeroDrawsNothingOfItsOwn) {
  KZL::OBJECT *saved0 = g_SceneObjects[0];
  g_SceneObjects[0] = nullptr;
  std::vector<unsigned> img = Frame(false);
  g_SceneObjects[0] = saved0;
  EXPECT_EQ(img[240 * 640 + 320] & 0xFFFFFF, 0x0000FFu);  // the clear colour stays
  EXPECT_TRUE(g_Lib.config.shaderMode);
}

}  // namespace
