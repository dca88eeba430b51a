// Render mode 4 under Wine: a two-bone bar skinned by "Bone.fx" on the device covers the
// same pixels as the same bar skinned on the processor by the per-frame pass's skinning,
// and matches its golden image.
#include <gtest/gtest.h>

#include <string.h>

#include <string>
#include <vector>

#include "draw_device_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/render/effect_win.h"
#include "lib/render/modeldraw.h"
#include "lib/render/hlsl_bone_win.h"
#include "lib/render/meshes.h"
#include "lib/render/objects.h"
#include "lib/render/rdev_win.h"
#include "lib/render/rebuild.h"
#include "model/model3.h"

namespace {

const i32 kSlot = 3;

struct ColorVertex {
  f32 x, y, z;
  u32 color;
};

// A bar of two quads along x (-10..10, y -2..2): the left end on bone 1 (at rest), the
// middle shared half and half by bones 1 and 2, the right end on bone 2, whose pose turns
// it 30 degrees about the bar's middle and lifts it by 3. Bone 0 is moved away, so a vertex
// that blended with bone 0 instead of its second bone would show.
Model3 *MakeBar(void) {
  Model3 *m = Model3_Init(kSlot);
  if (!m || !Model3_Reserve(m, 6, 6, 6, 6, 2)) return nullptr;
  const f32 xs[3] = {-10, 0, 10};
  for (int i = 0; i < 3; i++) {
    m->positions[2 * i] = {xs[i], -2, 0};
    m->positions[2 * i + 1] = {xs[i], 2, 0};
    for (int k = 0; k < 2; k++) {
      m->bindings[2 * i + k] = {(u16)(i == 2 ? 2 : 1), 2, i == 1 ? 0.5f : 1.0f, 0};
      m->uvs[2 * i + k] = {0, 0};
    }
  }
  m->positionCount = m->uvCount = 6;
  m->polygonCount = 2;
  for (int p = 0; p < 2; p++) {
    Polygon3 &poly = m->polygons[p];
    poly.cornerCount = 4;
    poly.group = 0;
    const u32 idx[4] = {(u32)(2 * p), (u32)(2 * p + 1), (u32)(2 * p + 3), (u32)(2 * p + 2)};
    for (int k = 0; k < 4; k++) poly.corners[k].vertex = poly.corners[k].uv = idx[k];
  }
  m->groupCount = 1;
  m->groups[0].r = m->groups[0].g = m->groups[0].b = 200;
  m->groups[0].a = 255;
  m->groups[0].shading = 4;
  for (f32 &c : m->color) c = 255;
  m->boneCount = 3;
  m->shown = 1;
  ModelPose *pose = g_ModelPoses[kSlot];
  Mat_Identity(&pose->rest[0]);
  Mat_Translation(&pose->posed[0], 0, -8, 0);
  Mat_Identity(&pose->rest[1]);
  Mat_Identity(&pose->posed[1]);
  Mat_Identity(&pose->rest[2]);  // bone 2's rest origin is the bar's middle (0, 0, 0)
  Mat4 turn, lift;
  Mat_RotationZ(&turn, 30);
  Mat_Translation(&lift, 0, 3, 0);
  Mat_Multiply(&pose->posed[2], turn, lift);
  return m;
}

struct BoneModeWin : ::testing::Test {
  TestDevice t;
  IDirect3DDevice9 *saved = nullptr;
  LibHooks savedHooks;
  void SetUp() override {
    savedHooks = g_LibHooks;
    ASSERT_TRUE(TestDevice_Create(&t, 320, 240));
    saved = g_Lib.device;
    g_Lib.device = t.device;
    Render_InstallDeviceFor(&t.device);
    Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, SourcePath("Data").c_str());
    Hlsl_Install();
    g_Lib.config.shaderMode = 0;
    D3DXMATRIX view, proj;
    D3DXVECTOR3 eye(0, 0, -40), at(0, 0, 0), up(0, 1, 0);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, 0.785398f, 320.0f / 240.0f, 1.0f, 1000.0f);
    t.device->SetTransform(D3DTS_VIEW, &view);
    t.device->SetTransform(D3DTS_PROJECTION, &proj);
    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    t.device->SetTransform(D3DTS_WORLD, &id);
    t.device->SetRenderState(D3DRS_LIGHTING, FALSE);
    t.device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  }
  void TearDown() override {
    g_LibHooks = savedHooks;
    Hlsl_ReleaseEffects();
    Model3_FreeSlot(kSlot);
    g_Lib.device = saved;
    TestDevice_Destroy(&t);
  }
};

TEST_F(BoneModeWin, ShaderSkinningCoversTheProcessorSkinnedBar) {
  Model3 *m = MakeBar();
  ASSERT_NE(m, nullptr);
  m->renderMode = 4;
  Render_RebuildSlot(kSlot);
  ASSERT_NE(g_Meshes.weighted4[kSlot], nullptr);
  ASSERT_NE(g_ModelPoses[kSlot]->vertexBuffers[0], nullptr);

  t.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(255, 0, 0, 64), 1.0f, 0);
  t.device->BeginScene();
  Hlsl_DrawBoneModel(kSlot, m);
  t.device->EndScene();
  ASSERT_NE(Hlsl_PeekEffect(HLSL_FX_BONE), nullptr);
  std::vector<unsigned> shader = TestDevice_ReadBack(&t);
  std::string report;
  int bad = Golden_Compare(&t, "../effects/bone_mode4", 6, &report);
  EXPECT_GE(bad, 0) << report;
  EXPECT_LT(bad, 100) << report;

  // The same bar skinned on the processor and drawn as plain triangles.
  std::vector<ColorVertex> tris;
  for (i32 p = 0; p < m->polygonCount; p++) {
    const Polygon3 &poly = m->polygons[p];
    for (int k : {0, 1, 2, 0, 2, 3}) {
      Vec3 out;
      Object_SkinPoint(g_ModelPoses[kSlot], m->boneCount, &m->bindings[poly.corners[k].vertex],
                       &m->positions[poly.corners[k].vertex], &out);
      tris.push_back({out.x, out.y, out.z, D3DCOLOR_ARGB(255, 200, 200, 200)});
    }
  }
  t.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(255, 0, 0, 64), 1.0f, 0);
  t.device->BeginScene();
  t.device->SetTexture(0, nullptr);
  t.device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  t.device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, (UINT)(tris.size() / 3), tris.data(), sizeof(ColorVertex));
  t.device->EndScene();
  std::vector<unsigned> cpu = TestDevice_ReadBack(&t);

  int covered = 0, differ = 0;
  for (size_t i = 0; i < cpu.size(); i++) {
    bool a = (shader[i] & 0xFFFFFF) != 0x000040, b = (cpu[i] & 0xFFFFFF) != 0x000040;
    covered += b;
    differ += a != b;
  }
  EXPECT_GT(covered, 2000);
  EXPECT_LT(differ, covered / 50) << "covered " << covered << " differ " << differ;
}

}  // namespace
