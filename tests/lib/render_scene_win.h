// Shared by the frame-render tests under Wine: a real device wired into the draw, render and
// object layers with a fixed camera and light, the golden-image check, the posed two-bone bar
// and scene object placement.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/shell_services.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "draw_device_win.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "tests/support/render_fakes.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/drawdev_win.h"
#include "lib/draw/pn.h"
#include "lib/draw/text.h"
#include "lib/framework/lib.h"
#include "lib/render/frame.h"
#include "lib/render/meshes.h"
#include "lib/render/modeldraw.h"
#include "lib/render/objects.h"
#include "lib/render/rdev.h"
#include "lib/render/rdev_win.h"
#include "lib/render/rebuild.h"
#include "lib/render/shadow.h"
#include "model/bone2.h"
#include "model/math.h"
#include "model/obj2.h"
#include "model/seam.h"
#include "render_cleanup.h"
#include "view_reset.h"

namespace frametest {

const int kTolerance = 8;
const int W = 320, H = 240;

inline void ReleaseUnknown(void *h) { ((IUnknown *)h)->Release(); }

struct FrameWinTest : ::testing::Test {
  const char *goldenDir = "../render/";  // golden folder, relative to the draw goldens
  TestDevice t;
  CoreSeam savedSeam;
  void SetUp() override {
    ASSERT_TRUE(TestDevice_Create(&t, W, H)) << "no Direct3D device";
    savedSeam = g_Seam;
    g_Seam.releaseHandle = ReleaseUnknown;
    g_Lib.device = t.device;
    Draw_InstallFor(&t.device);
    Render_InstallDeviceFor(&t.device);
    Object_InstallDeviceHooks();
    Render_InstallPassHooks();
    ASSERT_EQ(Pn_InitTables(), 0);
    g_Lib.screenWidth = g_Lib.desktopWidth = W;
    g_Lib.screenHeight = g_Lib.desktopHeight = H;
    ViewReset_3DModel(18);
    g_Shell.g_DrawView = 0;
    g_FrameOutputSuppressed = 0;
    g_Text.lineCount = 0;
    g_Draw.sceneDrawOn = 1;
    g_Lib.optLight = 1;
    g_Lib.clearColor[0] = 40, g_Lib.clearColor[1] = 60, g_Lib.clearColor[2] = 90;
    Cam_SetAmbient(0.3f, 0.3f, 0.3f);
    g_Camera.light = {{3, 8, -2}, {1, 1, 1}, 1.0f};
    g_Lib.config.stencilShadows = 0;
    g_Lib.config.shaderMode = 0;
    Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, SourcePath("Data").c_str());
    g_Camera.up[0] = 0, g_Camera.up[1] = 1, g_Camera.up[2] = 0;
    g_Camera.target[0] = 0, g_Camera.target[1] = 1.5f, g_Camera.target[2] = 0;
    Cam_SetEye(0, 4.5f, -7);
    f32 proj[16];
    Cam_BuildPerspectiveFovLH(proj, 0.785f, (f32)W / H, 0.5f, 1000.0f);
    g_Dev.draw.setTransform(DTS_PROJECTION, proj);
  }
  void TearDown() override {
    RenderTest_FreeSlotMeshes();
    Model3_FreeAllSlots();
    Bone2_FreeAll();
    Obj2_FreeAll();
    RenderTest_FreeSceneObjects();
    Shadow_ReleaseBlobTexture();
    FakeRender_ClearPassHooks();
    g_Dev.render = RenderDev{};
    g_Dev.draw = DrawDev{};
    g_Lib.device = nullptr;
    g_Seam = savedSeam;
    TestDevice_Destroy(&t);
  }
  void Render() {
    Object_UpdateFrame();
    FrameRequest req;
    View_FrameRequest(&req);
    ASSERT_GE(Lib_RenderFrame(&req), 0);
  }
  int Golden(const char *name) {
    std::string report;
    int bad = Golden_Compare(&t, (std::string(goldenDir) + name).c_str(), kTolerance, &report);
    EXPECT_GE(bad, 0) << report;
    EXPECT_LE(bad, W * H / 400) << name << ": " << bad << " pixels differ\n" << report;
    return bad;
  }
};

inline void Quad(Model3 *m, i32 at, u32 a, u32 b, u32 c, u32 d, u32 group) {
  Polygon3 &p = m->polygons[at];
  p = Polygon3{};
  p.cornerCount = 4;
  p.group = group;
  const u32 v[4] = {a, b, c, d};
  for (int k = 0; k < 4; ++k) p.corners[k] = PolyCorner{v[k], v[k], 0, v[k]};
}

// A bar 1 wide and 3 high in two groups, bones 1 (at the origin) and 2 (at y 1.5, turned
// 40 degrees about z): rows at y 0 and 1 follow bone 1, y 2 half and half, y 3 bone 2.
inline Model3 *PosedBar(i32 slot, f32 x) {
  Model3 *m = Model3_Init(slot);
  Model3_Reserve(m, 8, 8, 1, 10, 3);
  m->positionCount = m->normalCount = 8;
  m->uvCount = 10;
  m->colorCount = 1;
  m->polygonCount = 3;
  const f32 w[4] = {1, 1, 0.5f, 0};
  for (int row = 0; row < 4; ++row)
    for (int side = 0; side < 2; ++side) {
      int v = row * 2 + side;
      m->positions[v] = Vec3{x - 0.5f + side, (f32)row, 0};
      m->normals[v] = Vec3{0, 0, -1};
      m->uvs[v] = Vec2{(f32)side, row / 3.0f};
      m->bindings[v] = VertexBinding{1, 2, w[row], 0};
    }
  // Corners clockwise as seen from the camera (front faces).
  for (int r = 0; r < 3; ++r) Quad(m, r, r * 2, r * 2 + 2, r * 2 + 3, r * 2 + 1, r < 2 ? 0 : 1);
  // The second group's lower corners get texture coordinates of their own, so the welded
  // modes keep the two group colours apart at the seam (welding joins equal UVs only).
  m->uvs[8] = Vec2{0, 0.7f}, m->uvs[9] = Vec2{1, 0.7f};
  m->polygons[2].corners[0].uv = 8;
  m->polygons[2].corners[3].uv = 9;
  m->groupCount = 2;
  m->groups[0].r = 230, m->groups[0].g = 140, m->groups[0].b = 40, m->groups[0].a = 255;
  m->groups[1].r = 60, m->groups[1].g = 150, m->groups[1].b = 230, m->groups[1].a = 255;
  m->groups[0].shading = m->groups[1].shading = 4;
  for (int c = 0; c < 4; ++c) m->color[c] = 255;
  m->lighting = 0;
  m->displayMode = 2;
  m->boneCount = 3;
  m->bones[1].parent = 0;
  m->bones[2].parent = 1;
  m->boneRest[2].pos[1] = 1.5f;
  m->motionCount = 1;
  m->motions[0].used = 1;
  m->motions[0].length = 60;
  m->motion = 0;
  for (int b = 1; b < 3; ++b) {
    Model3_EnsureKeyTable(m, b);
    BoneKey3 k;
    BoneKey3_Identity(&k, 0);
    if (b == 2) {
      k.pos[1] = 1.5f;
      Quat q;
      Quat_FromAxisAngle(&q, 0, 0, 1, 40);
      k.quat[0] = q.x, k.quat[1] = q.y, k.quat[2] = q.z, k.quat[3] = q.w;
    }
    KeyTrack_Insert(&m->bones[b].keys[0], &k);
  }
  m->poseUpdate = 1;
  m->normalUpdate = 1;
  m->shown = 1;
  return m;
}

inline KZL::OBJECT *Place(i32 n, f32 x, f32 y, f32 z) {
  KZL::OBJECT *o = ObjectInit(n);
  Object_SetPosition(o, x, y, z);
  return o;
}

// Pixels of two equally sized read-backs that differ in some colour channel by more than the
// tolerance.
inline int Differ(const std::vector<unsigned> &a, const std::vector<unsigned> &b) {
  int n = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); i++) {
    for (int s = 0; s < 24; s += 8) {
      int d = (int)((a[i] >> s) & 255) - (int)((b[i] >> s) & 255);
      if (d > kTolerance || d < -kTolerance) {
        n++;
        break;
      }
    }
  }
  return n;
}

}  // namespace frametest
