// The frame render on a real Direct3D 9 device under Wine, against golden images: one posed
// two-bone model in render modes 0 to 3 (the four must agree), blob, ground and stencil
// shadows, the edge outline and a 2D bone model.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/shell_services.h"
#include "draw_device_win.h"
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

namespace {

const int kTolerance = 8;
const int W = 320, H = 240;

void ReleaseUnknown(void *h) { ((IUnknown *)h)->Release(); }

struct RenderWinTest : ::testing::Test {
  TestDevice t;
  CoreSeam savedSeam;
  void SetUp() override {
    ASSERT_TRUE(TestDevice_Create(&t, W, H)) << "no Direct3D device";
    savedSeam = g_Seam;
    g_Seam.releaseHandle = ReleaseUnknown;
    g_Device = t.device;
    Draw_InstallFor(&t.device);
    Render_InstallDeviceFor(&t.device);
    Object_InstallDeviceHooks();
    Render_InstallPassHooks();
    ASSERT_EQ(Pn_InitTables(), 0);
    g_ScreenWidth = g_DesktopWidth = W;
    g_ScreenHeight = g_DesktopHeight = H;
    g_FrameScaling = 0;
    g_ViewWindowMode = 0;
    g_EditFamily = FAMILY_3D_MODEL;
    g_EditSubMode = 18;
    g_DrawView = 0;
    memset(g_Views, 0, sizeof g_Views);
    memset(g_Family2DFrame, 0, sizeof g_Family2DFrame);
    g_TextSuppressed = 0;
    g_ScreenTextCount = 0;
    g_SceneDrawOn = 1;
    g_OptLight = 1;
    g_ClearColor[0] = 40, g_ClearColor[1] = 60, g_ClearColor[2] = 90;
    Cam_SetAmbient(0.3f, 0.3f, 0.3f);
    g_Light = {{3, 8, -2}, {1, 1, 1}, 1.0f};
    g_LibConfig.stencilShadows = 0;
    g_LibConfig.shaderMode = 0;
    Str_Copy(g_DataDir, sizeof g_DataDir, SourcePath("Data").c_str());
    g_CamUp[0] = 0, g_CamUp[1] = 1, g_CamUp[2] = 0;
    g_CamTarget[0] = 0, g_CamTarget[1] = 1.5f, g_CamTarget[2] = 0;
    Cam_SetEye(0, 4.5f, -7);
    f32 proj[16];
    Cam_BuildPerspectiveFovLH(proj, 0.785f, (f32)W / H, 0.5f, 1000.0f);
    g_DrawDev.setTransform(DTS_PROJECTION, proj);
  }
  void TearDown() override {
    for (i32 s = 0; s < MODEL3_SLOTS; ++s) {
      Draw_FreeIndexedMeshA(s);
      Draw_FreeIndexedMeshB(s);
      Draw_FreeIndexedMeshC(s);
      Draw_FreeDisplacedModel(s);
    }
    Model3_FreeAllSlots();
    Bone2_FreeAll();
    Obj2_FreeAll();
    for (i32 i = 0; i < SCENE_OBJECTS; ++i) {
      if (g_SceneObjects[i]) {
        g_SceneObjects[i]->~OBJECT();
        ::operator delete(g_SceneObjects[i]);
      }
      g_SceneObjects[i] = nullptr;
      free(g_ObjectSideRecords[i]);
      g_ObjectSideRecords[i] = nullptr;
    }
    Shadow_ReleaseBlobTexture();
    g_ObjectPassHooks = ObjectPassHooks();
    g_RenderDev = RenderDev{};
    g_DrawDev = DrawDev{};
    g_Device = nullptr;
    g_Seam = savedSeam;
    TestDevice_Destroy(&t);
  }
  void Render() {
    Object_UpdateFrame();
    ASSERT_GE(Lib_RenderFrame(), 0);
  }
  int Golden(const char *name) {
    std::string report;
    int bad = Golden_Compare(&t, (std::string("../render/") + name).c_str(), kTolerance, &report);
    EXPECT_GE(bad, 0) << report;
    EXPECT_LE(bad, W * H / 400) << name << ": " << bad << " pixels differ\n" << report;
    return bad;
  }
};

void Quad(Model3 *m, i32 at, u32 a, u32 b, u32 c, u32 d, u32 group) {
  Polygon3 &p = m->polygons[at];
  p = Polygon3{};
  p.cornerCount = 4;
  p.group = group;
  const u32 v[4] = {a, b, c, d};
  for (int k = 0; k < 4; ++k) p.corners[k] = PolyCorner{v[k], v[k], 0, v[k]};
}

// A bar 1 wide and 3 high in two groups, bones 1 (at the origin) and 2 (at y 1.5, turned
// 40 degrees about z): rows at y 0 and 1 follow bone 1, y 2 half and half, y 3 bone 2.
Model3 *PosedBar(i32 slot, f32 x) {
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

KZL::OBJECT *Place(i32 n, f32 x, f32 y, f32 z) {
  KZL::OBJECT *o = ObjectInit(n);
  Object_SetPosition(o, x, y, z);
  return o;
}

TEST_F(RenderWinTest, PosedModelAgreesInModes0To3) {
  Model3 *m = PosedBar(0, 0);
  Place(0, 0, 0, 0);
  std::vector<unsigned> pictures[4];
  for (u32 mode = 0; mode < 4; ++mode) {
    m->renderMode = mode;
    m->changed = 1;
    Render();
    pictures[mode] = TestDevice_ReadBack(&t);
    if (mode == 0) Golden("model_posed");
  }
  // The cross-mode check: every mode gives the mode-0 picture within the tolerance.
  for (u32 mode = 1; mode < 4; ++mode) {
    int differ = 0;
    for (size_t i = 0; i < pictures[0].size(); ++i) {
      unsigned a = pictures[0][i], b = pictures[mode][i];
      for (int s = 0; s < 24; s += 8)
        if (abs((int)((a >> s) & 0xFF) - (int)((b >> s) & 0xFF)) > kTolerance) {
          ++differ;
          break;
        }
    }
    EXPECT_LE(differ, W * H / 400) << "mode " << mode;
  }
}

// A flat square floor of 6 x 6 in slot 9 under object 9, lit.
void Floor(i32 slot) {
  Model3 *f = Model3_Init(slot);
  Model3_Reserve(f, 4, 4, 1, 4, 1);
  f->positionCount = f->normalCount = f->uvCount = 4;
  f->colorCount = 1;
  f->polygonCount = 1;
  const Vec3 p[4] = {{-3, 0, -3}, {-3, 0, 3}, {3, 0, 3}, {3, 0, -3}};
  for (int i = 0; i < 4; ++i) f->positions[i] = p[i], f->normals[i] = Vec3{0, 1, 0};
  Quad(f, 0, 0, 1, 2, 3, 0);
  f->groupCount = 1;
  f->groups[0].r = f->groups[0].g = f->groups[0].b = 200, f->groups[0].a = 255;
  f->groups[0].shading = 4;
  for (int c = 0; c < 4; ++c) f->color[c] = 255;
  f->lighting = 0;
  f->displayMode = 2;
  f->shown = 1;
  Place(slot, 0, 0, 0);
}

// A unit cube standing on y = 0 (corners clockwise from outside), lit, in `slot`.
Model3 *Cube(i32 slot, u8 r, u8 g, u8 b) {
  Model3 *m = Model3_Init(slot);
  Model3_Reserve(m, 8, 6, 1, 1, 6);
  m->positionCount = 8, m->normalCount = 6, m->colorCount = 1, m->uvCount = 1;
  for (u32 v = 0; v < 8; ++v)
    m->positions[v] = Vec3{(v & 1) ? 0.5f : -0.5f, (v & 2) ? 1.0f : 0.0f, (v & 4) ? 0.5f : -0.5f};
  const u32 faces[6][4] = {{2, 3, 1, 0}, {7, 6, 4, 5}, {2, 6, 7, 3}, {0, 1, 5, 4}, {3, 7, 5, 1}, {6, 2, 0, 4}};
  const Vec3 normals[6] = {{0, 0, -1}, {0, 0, 1}, {0, 1, 0}, {0, -1, 0}, {1, 0, 0}, {-1, 0, 0}};
  m->polygonCount = 6;
  for (u32 f = 0; f < 6; ++f) {
    m->normals[f] = normals[f];
    Polygon3 &p = m->polygons[f];
    p = Polygon3{};
    p.cornerCount = 4;
    p.faceNormal = normals[f];
    for (int k = 0; k < 4; ++k) p.corners[k] = PolyCorner{faces[f][k], f, 0, 0};
  }
  m->groupCount = 1;
  m->groups[0].r = r, m->groups[0].g = g, m->groups[0].b = b, m->groups[0].a = 255;
  m->groups[0].shading = 4;
  for (int c = 0; c < 4; ++c) m->color[c] = 255;
  m->lighting = 1;
  m->displayMode = 2;
  m->boneCount = 1;
  m->poseUpdate = 1;
  m->normalUpdate = 1;
  m->shown = 1;
  return m;
}

TEST_F(RenderWinTest, BlobGroundAndEdge) {
  Floor(9);
  Model3 *blob = Cube(0, 230, 140, 40);
  blob->shadowKind = 1;
  blob->shadow[0] = 0.02f;
  blob->shadow[1] = 0.25f;
  Place(0, -2, 0, 0);
  Model3 *ground = Cube(1, 60, 150, 230);
  ground->shadowKind = 2;
  ground->shadow[0] = -0.98f;   // in the object's space: the object stands 1.0 up
  // The ground direction stored in the model is not overwritten by the pass.
  ground->shadow[2] = 0.25f, ground->shadow[3] = 0.5f, ground->shadow[4] = 0.75f;
  Place(1, 0, 1.0f, 0);
  Model3 *edge = Cube(2, 90, 200, 110);
  edge->immediate = 1;
  edge->normalOffset = 2.0f;
  Place(2, 2, 0, 0);
  Render();
  EXPECT_EQ(ground->shadow[3], 0.5f);
  Golden("shadows_blob_ground_edge");
}

TEST_F(RenderWinTest, StencilShadowOnTheFloor) {
  Floor(9);
  Cube(0, 230, 140, 40)->shadowKind = 3;
  Place(0, 0, 0.8f, 0);
  g_LibConfig.stencilShadows = 1;
  g_GpuInfo.level = 1;
  Render();
  g_LibConfig.stencilShadows = 0;
  Golden("shadow_stencil");
}

TEST_F(RenderWinTest, TwoDBoneModel) {
  g_ModelAllocArrays = 1;
  Bone2Model *b = Bone2_Init(0);
  ASSERT_TRUE(b);
  b->vertexCount = 5;
  b->uvCount = 1;
  b->colourCount = 1;
  const Bone2Point p[5] = {{100, 60}, {220, 60}, {240, 170}, {160, 210}, {80, 170}};
  for (int i = 0; i < 5; ++i) b->positions[i] = p[i];
  b->polygonCount = 2;
  Polygon2 &q = b->polygons[0];
  q = Polygon2{};
  q.used = 1, q.cornerCount = 4, q.group = 0;
  for (int k = 0; k < 4; ++k) q.corners[k] = Corner2{(u16)k, 0, 0};
  Polygon2 &t3 = b->polygons[1];
  t3 = Polygon2{};
  t3.used = 1, t3.cornerCount = 3, t3.group = 1;
  t3.corners[0] = Corner2{0, 0, 0}, t3.corners[1] = Corner2{3, 0, 0}, t3.corners[2] = Corner2{4, 0, 0};
  b->groupCount = 2;
  b->groups[0].r = 250, b->groups[0].g = 200, b->groups[0].b = 60, b->groups[0].a = 255, b->groups[0].shadeMode = 4;
  b->groups[1].r = 90, b->groups[1].g = 220, b->groups[1].b = 120, b->groups[1].a = 255, b->groups[1].shadeMode = 4;
  b->groups[0].texture = b->groups[1].texture = -1;
  for (int c = 0; c < 4; ++c) b->colour[c] = 255;
  b->displayMode = 2;
  b->skinned = nullptr;
  g_Bone2SlotShown[0] = 1;
  Render();
  g_Bone2SlotShown[0] = 0;
  Golden("bone2d_model");
}

// A 2D object model of two image objects: the second turned and coloured.
TEST_F(RenderWinTest, TwoDObjectModel) {
  g_ModelAllocArrays = 1;
  Obj2Model *m = Obj2_Init(0);
  ASSERT_TRUE(m);
  Obj2_LoadImage(0, 0, SourcePath("Data/System/Toon.JPG").c_str());
  ASSERT_TRUE(g_Obj2Textures[0]);
  m->objectCount = 3;
  m->active = 1;
  m->placeX = 160, m->placeY = 120;
  for (int o = 1; o < 3; ++o) {
    Obj2Part &p = m->parts[o];
    p.shown = 1, p.image = 0, p.scaleX = p.scaleY = 3.0f;
    p.r = p.g = p.b = p.a = 255;
    p.x = o == 1 ? -60.0f : 60.0f;
  }
  m->parts[2].angle = 30.0f;
  m->parts[2].g = 120;
  g_Obj2SlotShown[0] = 1;
  Render();
  g_Obj2SlotShown[0] = 0;
  Golden("obj2d_model");
}

}  // namespace
