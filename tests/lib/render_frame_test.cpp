// The frame render's decisions on a recording device: weight-view colours, the batch drawn
// in chunks, the blob texture's failed load remembered, ground shadows that leave the model
// alone, object-set parts drawn whatever the slot of their set number holds, and the frame
// order (video, movie main view, brightness cover).
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/shell_sel.h"
#include "app/shell_services.h"
#include "app/shell_view.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/framework/d3dapp.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/render/frame.h"
#include "app/views.h"
#include "lib/render/modeldraw.h"
#include "lib/render/objects.h"
#include "lib/render/shadow.h"
#include "lib/draw/target.h"
#include "model/kzo.h"
#include "model/object.h"
#include "model/seam.h"
#include "scene/movie_services.h"
#include "draw_fakedev.h"
#include "render_fakes.h"
#include "capacity_guard.h"
#include "render_cleanup.h"
#include "view_reset.h"

namespace {

void IgnoreBox(const char *) {}

// One frame of the view the shell draws now.
static i32 RenderAsShell(void) {
  FrameRequest req;
  View_FrameRequest(&req);
  return Lib_RenderFrame(&req);
}

struct RenderFrameTest : ::testing::Test {
  CoreSeam saved;
  CapacityGuard capacity;
  void SetUp() override {
    saved = g_Seam;
    g_Seam.errorBox = IgnoreBox;
    FakeDev_Install();
    FakeRender_Install();
    ViewReset_3DModel(18);
    g_Shell.g_DrawView = 0;
    g_Sel.g_SelectedBone = 0;
    g_D3DApp.videoActive = 0;
    g_Draw.sceneDrawOn = 1;
    g_Camera.light.brightness = 1.0f;
  }
  void TearDown() override {
    Shadow_ReleaseBlobTexture();
    Model3_FreeAllSlots();
    Kzo_FreeAll();
    RenderTest_FreeSceneObjects();
    FakeRender_Remove();
    FakeDev_Remove();
    g_Seam = saved;
  }
};

// `quads` unit quads side by side in group 0, bones 1 and 2, shown, lit off.
Model3 *Quads(Model3 *m, i32 quads) {
  Model3_Reserve(m, quads * 4, 1, 1, 1, quads);
  m->positionCount = quads * 4;
  m->normalCount = m->colorCount = m->uvCount = 1;
  m->normals[0] = {0, 0, -1};
  m->polygonCount = quads;
  for (i32 q = 0; q < quads; ++q) {
    Polygon3 &p = m->polygons[q];
    p = Polygon3{};
    p.cornerCount = 4;
    for (u32 c = 0; c < 4; ++c) {
      u32 v = (u32)q * 4 + c;
      m->positions[v] = Vec3{(f32)q + (c == 1 || c == 2), (f32)(c >= 2), 0};
      m->bindings[v] = VertexBinding{1, 2, 0.25f, 0};
      p.corners[c] = {v, 0, 0, 0};
    }
  }
  m->groupCount = 1;
  m->groups[0].r = 100, m->groups[0].g = 150, m->groups[0].b = 200, m->groups[0].a = 255;
  m->groups[0].shading = 4;
  for (int c = 0; c < 4; ++c) m->color[c] = 255;
  m->boneCount = 3;
  m->shown = 1;
  return m;
}

TEST_F(RenderFrameTest, WeightViewGivesTheExactColours) {
  Model3 *m = Quads(Model3_Init(0), 1);
  m->displayMode = 3;
  const Polygon3 *p = &m->polygons[0];
  // No bone selected: grey 196.
  EXPECT_EQ(Render_ImmediateDiffuse(m, p, 0), 0xFFC4C4C4u);
  // The selected bone is one of the vertex's bones: red = w * 196, blue = (1 - w) * 196.
  g_Sel.g_SelectedBone = 2;
  EXPECT_EQ(Render_ImmediateDiffuse(m, p, 0), 0xFF310093u);   // 49, 0, 147
  g_Sel.g_SelectedBone = 1;
  m->bindings[0].weight = 1.0f;
  EXPECT_EQ(Render_ImmediateDiffuse(m, p, 0), 0xFFC40000u);
  // Another bone selected: grey.
  g_Sel.g_SelectedBone = 5;
  EXPECT_EQ(Render_ImmediateDiffuse(m, p, 0), 0xFFC4C4C4u);
  // A model of fewer than two bones: red 196.
  m->boneCount = 1;
  EXPECT_EQ(Render_ImmediateDiffuse(m, p, 0), 0xFFC40000u);
  // Outside the weight view: group colour scaled by the model colour.
  m->displayMode = 2;
  m->color[1] = 127.5f;
  EXPECT_EQ(Render_ImmediateDiffuse(m, p, 0), 0xFF644BC8u);   // 100, 75, 200
}

TEST_F(RenderFrameTest, MirroredGroupBeyondTheBatchIsDrawnInChunks) {
  Model3 *m = Quads(Model3_Init(0), 6);
  m->groups[0].mirror = 1;
  // The library's work arrays exist at the full capacity first (as after start-up); then
  // a smaller capacity makes the batch hold 24 vertices: 8 triangles.
  ASSERT_GT(Batch_Capacity(), 0);
  g_MaxPolygons = 4;
  Hlsl_DrawModel(0, -1, m);
  i32 triangles = 0, mirrored = 0;
  for (size_t d = 0; d < g_Fake->draws.size(); ++d) {
    const FakeDraw &fd = g_Fake->draws[d];
    if (fd.primType != DPT_TRIANGLELIST) continue;
    EXPECT_LE(fd.primCount, 8u);
    triangles += (i32)fd.primCount;
    for (const SceneVertex &v : FakeDev_SceneVerts(d)) mirrored += v.x < 0;
  }
  EXPECT_EQ(triangles, 6 * 2 * 2);
  EXPECT_GT(mirrored, 0);
}

const char *g_LoadedPath;
i32 g_Loads;
void *(*g_RealLoad)(const char *, u32, i32 *, i32 *);
void *CountingLoad(const char *path, u32 key, i32 *w, i32 *h) {
  ++g_Loads;
  g_LoadedPath = path;
  return g_RealLoad(path, key, w, h);
}

TEST_F(RenderFrameTest, MissingBlobTextureIsTriedAgainOnlyForANewDataFolder) {
  g_RealLoad = g_Dev.draw.loadTextureFile;
  g_Dev.draw.loadTextureFile = CountingLoad;
  g_Loads = 0;
  Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, "C:\\one");
  for (int frame = 0; frame < 5; ++frame) EXPECT_EQ(Shadow_BlobTexture(), nullptr);
  EXPECT_EQ(g_Loads, 1);
  EXPECT_STREQ(g_LoadedPath, "C:\\one\\System\\shadow2d.png");
  Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, "C:\\two");
  g_Fake->loaderFiles["C:\\two\\System\\shadow2d.png"] = {64, 64};
  EXPECT_NE(Shadow_BlobTexture(), nullptr);
  EXPECT_NE(Shadow_BlobTexture(), nullptr);
  EXPECT_EQ(g_Loads, 2);
}

TEST_F(RenderFrameTest, GroundShadowLiesAtItsHeightAndLeavesTheModelAlone) {
  Model3 *m = Quads(Model3_Init(0), 1);
  m->shadowKind = 2;
  m->shadow[0] = -0.5f;
  m->shadow[2] = 0.1f, m->shadow[3] = 0.2f, m->shadow[4] = 0.3f;
  for (i32 v = 0; v < 4; ++v) m->positions[v].z = (f32)v;   // not flat in y alone
  ASSERT_TRUE(ObjectInit(0));
  Shadow_DrawGround();
  EXPECT_EQ(m->shadow[2], 0.1f);
  EXPECT_EQ(m->shadow[3], 0.2f);
  EXPECT_EQ(m->shadow[4], 0.3f);
  ASSERT_EQ(g_Fake->draws.size(), 1u);
  for (const SceneVertex &v : FakeDev_SceneVerts(0)) {
    EXPECT_EQ(v.y, -0.5f);
    EXPECT_EQ(v.diffuse, 0xFF000000u);
  }
  // Kind 2 projects straight down.
  Mat4 down;
  Shadow_GroundMatrix(&down, 2, 30.0f);
  f32 a[3];
  Mat_TransformPoint(a, 0.5f, 2, 1, down);
  EXPECT_FLOAT_EQ(a[0], 0.5f);
  EXPECT_FLOAT_EQ(a[2], 1.0f);
}

TEST_F(RenderFrameTest, ObjectSetPartsDrawWithTheSlotOfTheirSetNumberEmpty) {
  Kzo_NewSet(3);
  ASSERT_TRUE(g_Obj3Sets[3]);
  g_Obj3Sets[3]->objectCount = 2;
  Model3_Free(g_Obj3PartModels[3][1]);
  Model3 *part = Model3_New();
  Quads(part, 1);
  g_Obj3PartModels[3][1] = part;
  g_Obj3PartLoaded[3][1] = 1;
  ASSERT_EQ(Model3_Get(3), nullptr);
  g_Shell.g_EditSubMode = 12;
  Draw_KzoObjects();
  EXPECT_EQ(g_Fake->draws.size(), 1u);
  // The modelling sub-modes draw no object sets.
  g_Fake->draws.clear();
  g_Shell.g_EditSubMode = 14;
  Draw_KzoObjects();
  EXPECT_TRUE(g_Fake->draws.empty());
}

TEST_F(RenderFrameTest, FrameOrderVideoMovieViewAndCover) {
  // A playing video: nothing at all.
  g_D3DApp.videoActive = 1;
  EXPECT_EQ(RenderAsShell(), 0);
  EXPECT_EQ(g_FakeRender->clears, 0);
  g_D3DApp.videoActive = 0;
  // The movie editor's main view: the background only.
  g_Shell.g_EditFamily = FAMILY_MOVIE;
  g_Lib.clearColor[0] = 1, g_Lib.clearColor[1] = 2, g_Lib.clearColor[2] = 3;
  RenderAsShell();
  EXPECT_EQ(g_FakeRender->clears, 1);
  EXPECT_EQ(g_FakeRender->clearColor, 0xFF010203u);
  EXPECT_EQ(g_FakeRender->begins, 0);
  // A failed BeginScene drops the frame without EndScene.
  g_Shell.g_EditFamily = FAMILY_3D_MODEL;
  g_FakeRender->beginResult = -1;
  EXPECT_LT(RenderAsShell(), 0);
  EXPECT_EQ(g_FakeRender->ends, 0);
  g_FakeRender->beginResult = 0;
  // Brightness 0.5: a black cover of alpha 128 is the last thing drawn.
  g_Camera.light.brightness = 0.5f;
  g_Fake->draws.clear();
  EXPECT_EQ(RenderAsShell(), 0);
  EXPECT_EQ(g_FakeRender->ends, 1);
  ASSERT_FALSE(g_Fake->draws.empty());
  std::vector<ScreenVertex> cover = FakeDev_ScreenVerts(g_Fake->draws.size() - 1);
  ASSERT_FALSE(cover.empty());
  EXPECT_EQ(cover[0].color, 0x80000000u);
  // Brightness 1: no cover.
  g_Camera.light.brightness = 1.0f;
  g_Fake->draws.clear();
  RenderAsShell();
  for (size_t d = 0; d < g_Fake->draws.size(); ++d)
    if (g_Fake->draws[d].fvf == FVF_SCREENVERTEX) { EXPECT_NE(FakeDev_ScreenVerts(d)[0].color >> 24, 0x80u); }
}

TEST_F(RenderFrameTest, VolumesExtrudeTheLitTrianglesAwayFromTheLight) {
  Model3 *m = Quads(Model3_Init(0), 1);
  m->shadowKind = 3;
  // The quad lies in z = 0 facing +z; a light on the +z side lights both triangles.
  ASSERT_TRUE(ObjectInit(0));
  Object_UpdateWorldMatrix(0);
  g_Camera.light.vector[0] = 0, g_Camera.light.vector[1] = 0, g_Camera.light.vector[2] = 10;
  Shadow_BuildVolumes();
  ShadowVolume &v = g_Target.shadowVolumes[0];
  // Two triangles, three edges each, two triangles per edge.
  ASSERT_EQ(v.count, 2 * 3 * 6);
  // The far corners lie 10 x the light vector behind the near ones.
  EXPECT_FLOAT_EQ(v.positions[2 * 3 + 2], -100.0f);
  // A light on the other side lights nothing.
  g_Camera.light.vector[2] = -10;
  Shadow_BuildVolumes();
  EXPECT_EQ(g_Target.shadowVolumes[0].count, 0);
  free(g_Target.shadowVolumes[0].positions);
  g_Target.shadowVolumes[0] = ShadowVolume{};
}

}  // namespace
