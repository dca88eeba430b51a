// The frame render on a real Direct3D 9 device under Wine, against golden images: one posed
// two-bone model in render modes 0 to 3 (the four must agree), blob, ground and stencil
// shadows, the edge outline and a 2D bone model.
#include <algorithm>

#include "lib/framework/lib_state.h"
#include "lib/render/shadow.h"
#include "render_scene_win.h"

namespace {

using namespace frametest;

struct RenderWinTest : FrameWinTest {};

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
  for (u32 mode = 1; mode < 4; ++mode) EXPECT_LE(Differ(pictures[0], pictures[mode]), W * H / 400) << "mode " << mode;
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
  g_Lib.config.stencilShadows = 1;
  Lib_SetGpuLevel(1);
  Render();
  g_Lib.config.stencilShadows = 0;
  Golden("shadow_stencil");
}

// The preview's 2D shadow (shadow mode 2) under a unit cube hung at y = 2 .. 3, so that the ground
// below it shows: System/shadow2d.png is RGB (10, 10, 10) with alpha 212 at its centre, falling
// to 0 at its edge, blended over the background (40, 60, 90). A pixel under alpha a therefore
// reads 10 + (background - 10) * (1 - a / 255) in each channel: the darkest one, at the blob's
// centre, about (17, 20, 26) (alpha about 200 once the texture is filtered); every changed
// pixel darker in each channel and alike in its three alphas; none above the ground's horizon.
TEST_F(RenderWinTest, PreviewTwoDShadowIsTheBlobUnderTheModel) {
  Model3 *m = Cube(0, 230, 140, 40);
  for (i32 v = 0; v < m->positionCount; ++v) m->positions[v].y += 2.0f;
  Place(0, 0, 0, 0);
  Render();
  std::vector<unsigned> without = TestDevice_ReadBack(&t);
  f32 cx, cz, s;
  m->shadowMode = 2;
  ASSERT_TRUE(Shadow_PreviewBlob(m, &cx, &cz, &s));   // from the posed positions the pass made
  EXPECT_FLOAT_EQ(cx, 0.0f);
  EXPECT_FLOAT_EQ(cz, 0.0f);
  EXPECT_FLOAT_EQ(s, 0.75f);   // the footprint 1 x 1, half as wide again
  Render();
  std::vector<unsigned> with = TestDevice_ReadBack(&t);
  const int bg[3] = {40, 60, 90};
  int changed = 0, top = H, darkest = 255 * 3;
  unsigned darkestPixel = 0;
  for (int i = 0; i < W * H; i++) {
    if (with[i] == without[i]) continue;
    changed++;
    top = std::min(top, i / W);
    int c[3] = {(int)(with[i] >> 16 & 255), (int)(with[i] >> 8 & 255), (int)(with[i] & 255)};
    int was[3] = {(int)(without[i] >> 16 & 255), (int)(without[i] >> 8 & 255), (int)(without[i] & 255)};
    for (int k = 0; k < 3; k++) EXPECT_LE(c[k], was[k]) << "pixel " << i;
    if (was[0] != bg[0] || was[1] != bg[1] || was[2] != bg[2]) continue;   // the cube's own pixels
    // The alpha each channel gives agrees (within rounding and the 8-bit steps of red).
    double a[3];
    for (int k = 0; k < 3; k++) a[k] = 255.0 * (bg[k] - c[k]) / (bg[k] - 10);
    EXPECT_NEAR(a[1], a[2], 20.0) << "pixel " << i;
    if (c[0] + c[1] + c[2] < darkest) darkest = c[0] + c[1] + c[2], darkestPixel = with[i];
  }
  EXPECT_GT(changed, 400);   // a blob some 60 pixels wide, seen at a slant
  EXPECT_GT(top, H / 2);     // on the ground, below the middle of the picture
  int b = (int)(darkestPixel & 255);
  double centreAlpha = 255.0 * (90 - b) / 80;
  EXPECT_GE(centreAlpha, 170.0) << std::hex << darkestPixel;
  EXPECT_LE(centreAlpha, 215.0) << std::hex << darkestPixel;
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
