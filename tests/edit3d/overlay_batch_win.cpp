// The editors' overlays drawn in batches give the same picture, pixel for pixel, as drawing
// every line and point at once, on a real Direct3D 9 device: each 3D sub-mode in the main,
// Front, Top and Side views (also with the mesh partly off the back buffer), each 2D sub-mode
// (also in a frame placed half a pixel off) and the collision editor, on small models with degenerate edges, overlapping marks, everything
// selected and every vertex bound to the current bone. The 2D bone model's own triangles too:
// gathered per group into batches, against one draw per triangle.
#include "tests/support/hook_at.h"
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_services.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "draw_device_win.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_motion.h"
#include "edit2d/ed2d_poly.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/ed3d_poly.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/drawdev_win.h"
#include "lib/draw/image.h"
#include "lib/draw/text.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/render/shadow.h"
#include "lib/render/objects.h"
#include "model/bone2.h"
#include "model/model3.h"
#include "scene/coli.h"
#include "scene/coli_edit.h"
#include "bench/bench_grid.h"

namespace {

const u32 kBone = 3;   // every vertex is bound to it; it is the current bone

// 6 x 4 quads of one unit with a ripple, a seventh quad shrunk onto one pixel (its edges are
// points), 8 bones; everything selected.
void Model3D(u32 subMode) {
  Model3 *m = BenchGrid_Slot0(subMode);
  const i32 cols = 6, rows = 4;
  for (i32 y = 0; y <= rows; y++)
    for (i32 x = 0; x <= cols; x++)
      m->positions[m->positionCount++] = {(f32)x - 3.0f, (f32)y - 2.0f + 0.3f * (f32)(x % 2), 0.2f * (f32)y};
  i32 tiny = m->positionCount;
  const Vec3 t[4] = {{3.5f, 2.5f, 0}, {3.5f, 2.501f, 0}, {3.501f, 2.501f, 0.001f}, {3.501f, 2.5f, 0.001f}};
  for (const Vec3 &p : t) m->positions[m->positionCount++] = p;
  Model3_FreshBindings(m, 0, m->positionCount);
  for (i32 i = 0; i < m->positionCount; i++) m->bindings[i].bone1 = kBone, m->bindings[i].weight = 0.25f * (f32)(i % 5);
  for (i32 y = 0; y < rows; y++)
    for (i32 x = 0; x < cols; x++) {
      Polygon3 &p = m->polygons[m->polygonCount++];
      p.cornerCount = (x + y) % 3 == 0 ? 3 : 4;
      u32 v = (u32)(y * (cols + 1) + x);
      const u32 c[4] = {v, v + (u32)cols + 1, v + (u32)cols + 2, v + 1};
      for (int j = 0; j < 4; j++) p.corners[j].vertex = c[j];
    }
  Polygon3 &p = m->polygons[m->polygonCount++];
  p.cornerCount = 4;
  for (int j = 0; j < 4; j++) p.corners[j].vertex = (u32)(tiny + j);
  m->boneCount = 8;
  for (i32 b = 1; b < 8; b++) {
    m->bones[b].parent = b - 1;
    f32 *pos = m->boneRest[b].pos;
    pos[0] = b == 1 ? -2.0f : 0.6f;
    pos[1] = b == 1 ? -1.0f : 0.4f;
    pos[2] = 0.1f;
  }
  App_AllocWorkArrays(&g_Sel);
  for (u32 i = 0; i < 4; i++) g_Shell.g_Views[subMode][i] = ViewRecord{};
  BenchGrid_FourViews3D(m, subMode, 320, 240, 1.1f, kBone);
  g_Sel.g_PolyFaceNo = g_Sel.g_PolyVertexNo = -1;
}

// Model3D with every third face and every fourth position not selected, and a corner of a
// selected face chosen (its cross in the Front view).
void Model3DPartly(u32 subMode) {
  Model3D(subMode);
  for (i32 f = 0; f < 25; f += 3) g_Sel.g_PolySelFaces[f] = 0;
  for (i32 i = 0; i < 39; i += 4) g_Sel.g_PolySelVerts[i] = 0;
  g_Sel.g_PolyFaceNo = 8;
  g_Sel.g_PolyVertexNo = 1;
}

// 40 x 30 quads of 2 pixels a side in Front whose depth steps a pixel at a time and comes
// round every 7 rows: in Top and Side, rows fall on each other and their slanted edges, with
// halfway steps, are drawn again the same way round. Everything selected.
void Model3DRows(u32 subMode) {
  Model3 *m = BenchGrid_Slot0(subMode);
  BenchGrid_QuadRows(m, 40, 30, -2.0f, -1.5f, true);
  Model3_FreshBindings(m, 0, m->positionCount);
  for (i32 i = 0; i < m->positionCount; i++) m->bindings[i].bone1 = kBone;
  App_AllocWorkArrays(&g_Sel);
  for (u32 i = 0; i < 4; i++) g_Shell.g_Views[subMode][i] = ViewRecord{};
  BenchGrid_FourViews3D(m, subMode, 320, 240, 0.5f, kBone);
  g_Sel.g_PolyFaceNo = g_Sel.g_PolyVertexNo = -1;
}

// 12 x 5 quads of 3 x 2 pixels (their marks overlap), 6 bones, everything selected.
void Model2D(u32 subMode) {
  g_Shell.g_EditFamily = FAMILY_2D_MODEL;
  g_Shell.g_EditSubMode = subMode;
  Bone2_FreeAll();
  g_ModelAllocArrays = 1;
  Bone2Model *m = Bone2_Init(0);
  g_Bone2SlotShown[0] = 1;
  m->placeX = 150;
  m->placeY = 110;
  const i32 cols = 12, rows = 5;
  for (i32 y = 0; y <= rows; y++)
    for (i32 x = 0; x <= cols; x++) {
      m->positions[m->vertexCount] = {(f32)(3 * x - 18) + 0.4f * (f32)(y % 2), (f32)(2 * y - 5)};
      m->bindings[m->vertexCount++] = {kBone, 0, 1.0f, 1};
    }
  BenchGrid_QuadFaces2D(m, cols, rows, false);
  // The motion sub-mode draws the skinned skin: here the skin at rest.
  if (m->skinned) memcpy(m->skinned, m->positions, sizeof(Bone2Point) * m->vertexCount);
  m->boneCount = 6;
  for (i32 b = 1; b < 6; b++) {
    m->bones[b].parent = b - 1;
    m->rest[b].x = (f32)(b * 17 % 60) - 30.0f;
    m->rest[b].y = (f32)(b * 11 % 40) - 20.0f;
  }
  App_AllocWorkArrays(&g_Sel);
  g_Shell.g_Views[subMode][0] = ViewRecord{};
  BenchGrid_OneView2D(m, subMode, kBone);
}

// A rolling floor of 5 x 5 quads with a box wall and a circle wall.
void ModelColi(u32) {
  g_Shell.g_EditFamily = FAMILY_COLLISION;
  CollisionDoc *doc = Coli_NewDocument();
  Model3 *m = Model3_New();
  ASSERT_TRUE(doc && m && Model3_Reserve(m, 36, 1, 1, 1, 25));
  for (i32 z = 0; z <= 5; z++)
    for (i32 x = 0; x <= 5; x++) m->positions[m->positionCount++] = {x * 1.2f - 3.0f, (f32)((x * z) % 3) * 0.2f - 1.0f, z * 1.2f - 3.0f};
  m->normals[m->normalCount++] = {0, 1, 0};
  for (i32 z = 0; z < 5; z++)
    for (i32 x = 0; x < 5; x++) {
      u32 a = (u32)(z * 6 + x);
      const u32 c[4] = {a, a + 6, a + 7, a + 1};
      Polygon3 &p = m->polygons[m->polygonCount++];
      p = Polygon3();
      p.cornerCount = 4;
      for (int k = 0; k < 4; k++) p.corners[k].vertex = c[k];
    }
  doc->model = m;
  doc->boxes[0].used = 1, doc->boxes[0].size = 1.5f, doc->boxes[0].angle = 20.0f;
  doc->circles[0].used = 1, doc->circles[0].size = 2.0f, doc->circles[0].x = 1.0f;
  doc->bounds[1] = 1.0f;
  g_Shell.g_DrawView = 0;
}

struct Case {
  const char *what;
  void (*setup)(u32 subMode);
  u32 subMode, selectMode, tool;
  FamilyHook scene;
  FamilyHook overlay;
  u32 firstView, views;   // views firstView .. views-1 are drawn
  bool halfPixelFrame;
  i32 shiftX;   // the 3D views' centres moved by it: part of the mesh off the back buffer
  f32 zoom;     // the 3D views' zoom when not 0: a dense mesh whose lines and marks fall on each other
};

const Case kCases[] = {
    {"3D polygon, vertices", Model3D, SUB_3D_POLY, 0, POLY_TOOL_VERTEX, Ed3D_PolyDrawScene, Ed3D_PolyDrawOverlay, 0, 4, false},
    {"3D polygon, faces", Model3D, SUB_3D_POLY, 1, POLY_TOOL_FACE, Ed3D_PolyDrawScene, Ed3D_PolyDrawOverlay, 0, 4, false},
    {"3D polygon, faces, some selected, a corner chosen", Model3DPartly, SUB_3D_POLY, 1, POLY_TOOL_FACE,
     Ed3D_PolyDrawScene, Ed3D_PolyDrawOverlay, 0, 4, false},
    {"3D polygon, vertices, some selected, a corner chosen", Model3DPartly, SUB_3D_POLY, 0, POLY_TOOL_VERTEX,
     Ed3D_PolyDrawScene, Ed3D_PolyDrawOverlay, 0, 4, false},
    {"3D texture, faces", Model3D, SUB_3D_TEXTURE, 1, POLY_TOOL_FACE, Ed3D_PolyDrawScene, Ed3D_PolyDrawOverlay, 0, 4, false},
    {"3D bone", Model3D, SUB_3D_BONE, 0, 0, nullptr, Ed3D_BoneDraw, 0, 4, false},
    {"3D weight", Model3D, SUB_3D_WEIGHT, 0, 0, nullptr, Ed3D_WeightDrawOverlay, 1, 4, false},
    {"3D weight, half off the left", Model3D, SUB_3D_WEIGHT, 0, 0, nullptr, Ed3D_WeightDrawOverlay, 1, 4, false, -150},
    {"3D polygon, vertices, half off the right", Model3D, SUB_3D_POLY, 0, POLY_TOOL_VERTEX, Ed3D_PolyDrawScene,
     Ed3D_PolyDrawOverlay, 1, 4, false, 120},
    {"3D motion", Model3D, SUB_3D_MOTION, 0, 0, nullptr, Ed3D_MotionDrawOverlay, 0, 4, false},
    {"3D polygon, vertices, dense", Model3D, SUB_3D_POLY, 0, POLY_TOOL_VERTEX, nullptr, Ed3D_PolyDrawOverlay, 1, 4, false, 0, 0.07f},
    {"3D polygon, faces, dense", Model3D, SUB_3D_POLY, 1, POLY_TOOL_FACE, nullptr, Ed3D_PolyDrawOverlay, 1, 3, false, 0, 0.1f},
    {"3D bone, dense", Model3D, SUB_3D_BONE, 0, 0, nullptr, Ed3D_BoneDraw, 1, 4, false, 0, 0.04f},
    {"3D weight, dense", Model3D, SUB_3D_WEIGHT, 0, 0, nullptr, Ed3D_WeightDrawOverlay, 1, 4, false, 0, 0.06f},
    {"3D motion, dense", Model3D, SUB_3D_MOTION, 0, 0, nullptr, Ed3D_MotionDrawOverlay, 1, 4, false, 0, 0.08f},
    {"3D polygon, faces, rows edge-on", Model3DRows, SUB_3D_POLY, 1, POLY_TOOL_FACE, nullptr, Ed3D_PolyDrawOverlay, 1, 4, false},
    {"3D polygon, vertices, rows edge-on", Model3DRows, SUB_3D_POLY, 0, POLY_TOOL_VERTEX, nullptr, Ed3D_PolyDrawOverlay, 1, 4, false},
    {"3D bone, rows edge-on", Model3DRows, SUB_3D_BONE, 0, 0, nullptr, Ed3D_BoneDraw, 1, 4, false},
    {"2D polygon, vertices", Model2D, SUB_2D_POLY, 0, ED2D_TOOL_VERTEX, nullptr, Ed2D_PolyDraw, 0, 1, false},
    {"2D polygon, faces", Model2D, SUB_2D_POLY, 1, ED2D_TOOL_FACE, nullptr, Ed2D_PolyDraw, 0, 1, false},
    {"2D polygon, frame half a pixel off", Model2D, SUB_2D_POLY, 0, ED2D_TOOL_VERTEX, nullptr, Ed2D_PolyDraw, 0, 1, true},
    {"2D bone", Model2D, SUB_2D_BONE, 0, 0, nullptr, Ed2D_BoneDraw, 0, 1, false},
    {"2D weight", Model2D, SUB_2D_WEIGHT, 0, 0, nullptr, Ed2D_WeightDraw, 0, 1, false},
    {"2D motion", Model2D, SUB_2D_MOTION, 0, 0, nullptr, Ed2D_MotionDraw, 0, 1, false},
    {"collision", ModelColi, 0, 0, 0, Coli_DrawScene, nullptr, 0, 1, false},
};

struct OverlayBatchWin : ::testing::Test {
  TestDevice t;
  void SetUp() override {
    ASSERT_TRUE(TestDevice_Create(&t, 321, 240)) << "no Direct3D device";
    Draw_InstallFor(&t.device);
    g_Lib.screenWidth = g_Lib.desktopWidth = 321;
    g_Lib.screenHeight = g_Lib.desktopHeight = 240;
    g_Lib.frameScaling = 0;
    g_MaxPolygons = 65000;
    g_MaxVertices = 260000;
  }
  void TearDown() override {
    g_DrawBatchOff = 0;
    g_Lib.viewWindowMode = 0;
    memset(g_Shell.g_Family2DFrame, 0, sizeof g_Shell.g_Family2DFrame);
    g_Dev.draw = DrawDev{};
    TestDevice_Destroy(&t);
  }
  // One view of a case drawn, batched or not, as the frame render leaves the device.
  std::vector<unsigned> Draw(const Case &c, u32 view, bool batched) {
    g_DrawBatchOff = batched ? 0 : 1;
    t.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF102030, 1.0f, 0);
    if (FAILED(t.device->BeginScene())) return {};
    Draw_SetDefaultStates();
    f32 proj[16], id[16];
    Cam_BuildPerspectiveFovLH(proj, 3.14159265f / 4.0f, 321.0f / 240.0f, 1.0f, 65000.0f);
    g_Dev.draw.setTransform(DTS_PROJECTION, proj);
    Cam_SetEye(2, 5, -12);
    Cam_SetTarget(0, 0, 0);
    Cam_Identity(id);
    g_Dev.draw.setTransform(DTS_WORLD, id);
    Draw_SetLighting(1);
    DrawDev_SetTexture(0, nullptr);
    g_Shell.g_DrawView = view;
    if (c.scene) c.scene(Hook_Draw(g_Shell.g_DrawView));
    Img_Bind(-1);
    if (c.overlay) c.overlay(Hook_Draw(g_Shell.g_DrawView));
    t.device->EndScene();
    return TestDevice_ReadBack(&t);
  }
};

TEST_F(OverlayBatchWin, BatchedOverlaysMatchOneDrawEachPixelForPixel) {
  for (const Case &c : kCases) {
    c.setup(c.subMode);
    for (u32 i = 0; i < 4 && c.setup == Model3D; i++) {
      g_Shell.g_Views[c.subMode][i].centerX += c.shiftX;
      if (c.zoom) g_Shell.g_Views[c.subMode][i].zoom = c.zoom;
    }
    g_Sel.g_PolySelectMode = c.selectMode;
    g_Sel.g_PolyTool = c.tool;
    // A 2D-frame family in view windows with an odd desktop width places the 640x480 frame
    // half a pixel off: points there fall between pixel centres.
    g_Lib.viewWindowMode = c.halfPixelFrame ? 1 : 0;
    g_Shell.g_Family2DFrame[FAMILY_2D_MODEL] = c.halfPixelFrame ? 1 : 0;
    g_Lib.desktopWidth = c.halfPixelFrame ? 641 : 321;    // frame offset x (641 - 640) / 2
    g_Lib.desktopHeight = c.halfPixelFrame ? 480 : 240;   // and y 0
    for (u32 view = c.firstView; view < c.views; view++) {
      SCOPED_TRACE(std::string(c.what) + ", view " + std::to_string(view));
      std::vector<unsigned> one = Draw(c, view, false), batched = Draw(c, view, true);
      ASSERT_EQ(one.size(), (size_t)(321 * 240));
      ASSERT_EQ(batched.size(), one.size());
      size_t drawn = 0, differ = 0;
      for (size_t i = 0; i < one.size(); i++) {
        drawn += one[i] != 0xFF102030u;
        differ += one[i] != batched[i];
      }
      EXPECT_GT(drawn, 50u) << "the overlay drew next to nothing";
      EXPECT_EQ(differ, 0u);
    }
  }
  Model3_FreeSlot(0);
  Bone2_FreeAll();
}

// The 2D model of Model2D dressed for its render: seven groups (shade modes 0 to 5, and a
// group number past the table), translucent group and vertex colours, triangles among the
// quads, UVs, four times the size, and a skin moved off its rest in the sub-modes that draw it posed.
void Dress2D(Bone2Model *m, i32 displayMode, i32 vertexColours) {
  m->groupCount = 6;
  for (i32 g = 0; g < 6; g++) {
    Group2 &gr = m->groups[g];
    gr.shadeMode = g;
    gr.texture = -1;
    gr.r = (f32)(40 * g + 30), gr.g = (f32)(200 - 30 * g), gr.b = 120, gr.a = (f32)(90 + 30 * g);
  }
  m->colour[0] = 255, m->colour[1] = 230, m->colour[2] = 200, m->colour[3] = 220;
  m->displayMode = displayMode;
  m->vertexColourFlag = vertexColours;
  m->colourCount = 5;
  for (i32 c = 0; c < 5; c++) m->colours[c] = {(f32)(50 * c), 255.0f - 40 * c, 100, (f32)(120 + 30 * c)};
  m->uvCount = 4;
  for (i32 u = 0; u < 4; u++) m->uvs[u] = {0.25f * (f32)u, 1.0f - 0.25f * (f32)u};
  for (i32 i = 0; i < m->polygonCount; i++) {
    Polygon2 &p = m->polygons[i];
    p.group = (u32)(i % 7);
    // Clockwise on the screen (drawn), every fourth left counter-clockwise (culled).
    if (i % 4 != 3) {
      Corner2 c1 = p.corners[1];
      p.corners[1] = p.corners[3];
      p.corners[3] = c1;
    }
    if (i % 5 == 2) p.cornerCount = 3;
    for (i32 j = 0; j < 4; j++) p.corners[j].colour = (u16)((i + j) % 6), p.corners[j].uv = (u16)(j % 4);   // 5: past the table
  }
  for (i32 v = 0; v < m->vertexCount; v++) m->positions[v].x *= 4.0f, m->positions[v].y *= 4.0f;
  for (i32 v = 0; v < m->vertexCount && m->skinned; v++) m->skinned[v] = {m->positions[v].x * 1.3f + 4.0f, m->positions[v].y * 1.2f};
  // Every other vertex bound to another bone: red and grey in the weight view.
  for (i32 v = 0; v < m->vertexCount; v += 2) m->bindings[v].bone1 = kBone + 1;
}

TEST_F(OverlayBatchWin, Bone2ModelInBatchesMatchesOneDrawPerTrianglePixelForPixel) {
  struct Sub {
    const char *what;
    u32 subMode;
    FamilyHook overlay;
    i32 displayMode, vertexColours;
  };
  const Sub subs[] = {
      {"polygon", SUB_2D_POLY, Ed2D_PolyDraw, 2, 0},      {"polygon, vertex colours", SUB_2D_POLY, Ed2D_PolyDraw, 2, 1},
      {"texture", SUB_2D_TEXTURE, nullptr, 2, 0},         {"bone", SUB_2D_BONE, Ed2D_BoneDraw, 2, 1},
      {"weight", SUB_2D_WEIGHT, Ed2D_WeightDraw, 3, 0},   {"motion", SUB_2D_MOTION, Ed2D_MotionDraw, 2, 0},
      {"motion, vertex colours", SUB_2D_MOTION, Ed2D_MotionDraw, 2, 1},
  };
  for (const Sub &c : subs) {
    SCOPED_TRACE(c.what);
    Model2D(c.subMode);
    Bone2Model *m = g_Bone2Slots[0];
    ASSERT_NE(m, nullptr);
    Dress2D(m, c.displayMode, c.vertexColours);
    g_Sel.g_SelectedBone = kBone;
    // The model alone, then with the sub-mode's overlay over it as the frame draws them.
    for (int withOverlay = 0; withOverlay < (c.overlay ? 2 : 1); withOverlay++) {
      SCOPED_TRACE(withOverlay ? "with the overlay" : "the model alone");
      std::vector<unsigned> pics[2];
      for (int batched = 0; batched < 2; batched++) {
        g_DrawBatchOff = batched ? 0 : 1;
        t.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF102030, 1.0f, 0);
        ASSERT_TRUE(SUCCEEDED(t.device->BeginScene()));
        Draw_SetDefaultStates();
        DrawDev_SetTexture(0, nullptr);
        g_Shell.g_DrawView = 0;
        Draw_Kzb2DModels();
        if (withOverlay) c.overlay(Hook_Draw(g_Shell.g_DrawView));
        t.device->EndScene();
        pics[batched] = TestDevice_ReadBack(&t);
      }
      ASSERT_EQ(pics[0].size(), (size_t)(321 * 240));
      ASSERT_EQ(pics[1].size(), pics[0].size());
      size_t drawn = 0, differ = 0;
      for (size_t i = 0; i < pics[0].size(); i++) {
        drawn += pics[0][i] != 0xFF102030u;
        differ += pics[0][i] != pics[1][i];
      }
      EXPECT_GT(drawn, 2000u) << "the model drew next to nothing";
      EXPECT_EQ(differ, 0u);
    }
  }
  g_Sel.g_SelectedBone = 0;
  Bone2_FreeAll();
}

}  // namespace
