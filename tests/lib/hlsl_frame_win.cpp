// The shader frame under Wine: a cube (scene object 0) above a ground plate, drawn through
// HLSL_3D.fx / HLSL_2D.fx into the work targets and onto the back buffer. The ground under
// the cube is darkened by the shadow map, the bloom switch changes the picture, and the
// picture matches its golden image.
#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include <string>
#include <vector>

#include "draw_device_win.h"
#include "lib/draw/camera.h"
#include "lib/framework/lib.h"
#include "lib/render/effect_win.h"
#include "lib/render/modeldraw.h"
#include "lib/render/hlsl_frame_win.h"
#include "lib/render/objects.h"
#include "model/model3.h"
#include "model/object.h"

namespace {

struct TestVertex {
  f32 x, y, z, nx, ny, nz;
  u32 color;
};

// Stand-in for the model drawing: every polygon fanned into triangles with its face normal
// turned away from the model's centre and the group colour.
void DrawModelForTest(i32, i32, Model3 *m) {
  Vec3 centre = {0, 0, 0};
  for (i32 i = 0; i < m->positionCount; i++) {
    centre.x += m->positions[i].x / (f32)m->positionCount;
    centre.y += m->positions[i].y / (f32)m->positionCount;
    centre.z += m->positions[i].z / (f32)m->positionCount;
  }
  std::vector<TestVertex> v;
  for (i32 p = 0; p < m->polygonCount; p++) {
    const Polygon3 &poly = m->polygons[p];
    const Vec3 &a = m->positions[poly.corners[0].vertex], &b = m->positions[poly.corners[1].vertex],
               &c = m->positions[poly.corners[2].vertex];
    f32 ux = b.x - a.x, uy = b.y - a.y, uz = b.z - a.z, wx = c.x - b.x, wy = c.y - b.y, wz = c.z - b.z;
    f32 n[3] = {uy * wz - uz * wy, uz * wx - ux * wz, ux * wy - uy * wx};
    f32 len = sqrtf(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    f32 fc[3] = {0, 0, 0};
    for (int k = 0; k < poly.cornerCount; k++) {
      fc[0] += m->positions[poly.corners[k].vertex].x - centre.x;
      fc[1] += m->positions[poly.corners[k].vertex].y - centre.y;
      fc[2] += m->positions[poly.corners[k].vertex].z - centre.z;
    }
    if (n[0] * fc[0] + n[1] * fc[1] + n[2] * fc[2] < 0) len = -len;
    const Group3 &g = m->groups[poly.group];
    u32 color = D3DCOLOR_ARGB(255, (int)g.r, (int)g.g, (int)g.b);
    for (int k = 1; k + 1 < poly.cornerCount; k++)
      for (int idx : {0, k, k + 1}) {
        const Vec3 &q = m->positions[poly.corners[idx].vertex];
        v.push_back({q.x, q.y, q.z, n[0] / len, n[1] / len, n[2] / len, color});
      }
  }
  g_Device->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_DIFFUSE);
  g_Device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, (UINT)(v.size() / 3), v.data(), sizeof(TestVertex));
}

Model3 *MakeBox(i32 slot, f32 hx, f32 hy, f32 hz, bool plateOnly) {
  Model3 *m = Model3_Init(slot);
  if (!m) return nullptr;
  i32 quads = plateOnly ? 1 : 6;
  if (!Model3_Reserve(m, 8, 8, 8, 8, quads)) return nullptr;
  for (int i = 0; i < 8; i++)
    m->positions[i] = {(i & 1) ? hx : -hx, (i & 2) ? hy : -hy, (i & 4) ? hz : -hz};
  static const int faces[6][4] = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};
  static const int plate[4] = {0, 4, 5, 1};  // the y = -hy side
  m->positionCount = 8;
  m->polygonCount = quads;
  for (int p = 0; p < quads; p++) {
    m->polygons[p].cornerCount = 4;
    m->polygons[p].group = 0;
    for (int k = 0; k < 4; k++) m->polygons[p].corners[k].vertex = plateOnly ? plate[k] : faces[p][k];
  }
  m->groups[0].r = m->groups[0].g = m->groups[0].b = 200;
  m->groups[0].a = 255;
  m->groups[0].shading = 4;
  m->shown = 1;
  return m;
}

struct ShaderFrameWin : ::testing::Test {
  TestDevice t;
  IDirect3DDevice9 *saved = nullptr;
  RenderHooks savedHooks;
  void SetUp() override {
    savedHooks = g_RenderHooks;
    ASSERT_TRUE(TestDevice_Create(&t, 640, 480));
    saved = g_Device;
    g_Device = t.device;
    g_ScreenWidth = 640;
    g_ScreenHeight = 480;
    Str_Copy(g_DataDir, sizeof g_DataDir, SourcePath("Data").c_str());
    Hlsl_Install();
    g_Hlsl.drawModel = DrawModelForTest;
    g_LibConfig.shaderMode = 1;
    ASSERT_NE(MakeBox(1, 5, 5, 5, false), nullptr);
    ASSERT_NE(MakeBox(2, 50, 0, 50, true), nullptr);
    KZL::OBJECT *cube = ObjectInit(0), *ground = ObjectInit(1);
    ASSERT_TRUE(cube && ground);
    cube->modelSlot = 1;
    Object_SetPosition(cube, 0, 20, 0);
    ground->modelSlot = 2;
    Object_SetPosition(ground, 0, 0, 0);
    Object_UpdateWorldMatrix(0);
    Object_UpdateWorldMatrix(1);
    const f32 eye[3] = {0, 80, -100}, target[3] = {0, 0, 0}, up[3] = {0, 1, 0};
    memcpy(g_CamEye, eye, sizeof eye);
    memcpy(g_CamTarget, target, sizeof target);
    memcpy(g_CamUp, up, sizeof up);
  }
  void TearDown() override {
    g_RenderHooks = savedHooks;
    Hlsl_ReleaseEffects();
    Hlsl_ReleaseTargets();
    g_Hlsl.drawModel = nullptr;
    g_LibConfig.shaderMode = 0;
    g_LibConfig.shaderOption = 0;
    Model3_FreeSlot(1);
    Model3_FreeSlot(2);
    g_Device = saved;
    TestDevice_Destroy(&t);
  }
  std::vector<unsigned> Frame(bool bloom) {
    g_LibConfig.shaderOption = bloom ? 1 : 0;
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
  ASSERT_TRUE(g_LibConfig.shaderMode) << "no shadow map format on this device";
  // The cube's shadow falls away from the light (25 left, 50 up, 25 in front of object 0).
  int shadowed = Brightness(PixelAt(plain, 10, 0, 10));
  int lit = Brightness(PixelAt(plain, -25, 0, 25));
  EXPECT_GT(lit, 150) << std::hex << PixelAt(plain, -25, 0, 25);
  EXPECT_LT(shadowed * 10, lit * 6) << "shadow " << shadowed << " lit " << lit;
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
  EXPECT_TRUE(g_LibConfig.shaderMode);
}

}  // namespace
