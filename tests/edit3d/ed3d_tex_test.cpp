// The texture sub-mode's rules without windows: tools, zoom and grid; the projection, the
// unfolds and the UV tools against values worked out by hand; the texture table's add,
// replace and delete with the renumbering of groups, displacement and group keys; refusals
// that leave the model as it was.
#include "tests/support/hook_at.h"
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_sel.h"
#include "app/views.h"
#include "edit3d/ed3d_tex.h"
#include "edit3d/undo.h"
#include "edit3d/uv.h"
#include "lib/media/dialogs.h"
#include "model/bytes.h"
#include "model/kzp.h"
#include "model/seam.h"
#include "shell_fixture.h"
#include "test_models.h"

namespace {

std::vector<std::string> g_boxes;
std::string g_answer;

bool Answer(FileDlgRequest *req) {
  Str_Copy(req->file, FILEDLG_TEXT, g_answer.c_str());
  Str_Copy(req->fileTitle, FILEDLG_TEXT, g_answer.c_str());
  return !g_answer.empty();
}

struct TexTest : ::testing::Test {
  Model3 *m = nullptr;
  void SetUp() override {
    Shell_ResetForTest();
    g_boxes.clear();
    g_Seam.errorBox = [](const char *t) { g_boxes.push_back(t); };
    g_LibHooks.fileDlg.run = Answer;
    g_Sel.g_CurGroupIndex = 0;
    m = TestModel_Slot3D(SUB_3D_TEXTURE);
    ASSERT_NE(m, nullptr);
    App_AllocWorkArrays(&g_Sel);
    Undo_ResetAll();
    free(g_Ed3DTex.uvSel);   // left by another test's enter
    g_Ed3DTex = Ed3DTexEditor{TEX_TOOL_SELECT, TEX_TOOL_MOVE, 0, 0, 0, 0, -1, 0, 0, 0, 1.0f, 8, 0};
  }
  void TearDown() override {
    Model3_FreeAllSlots();
    free(g_Ed3DTex.uvSel);
    g_Ed3DTex = Ed3DTexEditor{};
    g_Seam.errorBox = nullptr;
    g_LibHooks.fileDlg.run = nullptr;
  }
  // A face of `corners` positions, each with its own UV entry.
  i32 Face(std::vector<Vec3> corners, u32 group = 0) {
    Polygon3 &p = m->polygons[m->polygonCount];
    p = Polygon3{};
    p.cornerCount = (u8)corners.size();
    p.group = group;
    for (size_t k = 0; k < corners.size(); k++) {
      m->positions[m->positionCount] = corners[k];
      p.corners[k].vertex = (u32)m->positionCount++;
      m->uvs[m->uvCount] = {-7, -7};
      p.corners[k].uv = (u32)m->uvCount++;
    }
    return m->polygonCount++;
  }
  Vec2 Uv(i32 f, i32 k) { return m->uvs[m->polygons[f].corners[k].uv]; }
  std::vector<u8> Bytes() { return TestModel_KzpBytes(m); }
  void Reinit() {
    Model3_FreeAllSlots();
    g_ModelAllocArrays = 1;
    m = Model3_Init(0);
    ASSERT_NE(m, nullptr);
  }
  void Press(u32 id, i32 focus = -1, const char *grid = nullptr) { Ed3D_TexCommand(id, focus, grid); }
};

TEST_F(TexTest, ToolsZoomAndGrid) {
  // 移動 twice returns to select, then 頂点選択 returns to move; keys do the same.
  Press(IDC_TEX_MOVE);
  EXPECT_EQ(g_Ed3DTex.tool, (u32)TEX_TOOL_MOVE);
  EXPECT_EQ(m->groups[0].mapping, UV_MAP_BY_HAND);
  Press(IDC_TEX_MOVE);
  EXPECT_EQ(g_Ed3DTex.tool, (u32)TEX_TOOL_SELECT);
  Press(IDC_TEX_SELECT);
  EXPECT_EQ(g_Ed3DTex.tool, (u32)TEX_TOOL_MOVE);
  Ed3D_TexKeyUp(Hook_Key('R'));
  EXPECT_EQ(g_Ed3DTex.tool, (u32)TEX_TOOL_ROTATE);

  // Planar buttons set their tool and keep offset and scale; cylinder, sphere and per face
  // reset them.
  m->groups[0].offsetU = 0.3f;
  m->groups[0].scaleV = 2;
  const struct { u32 id; u8 mapping; u32 tool; bool reset; } kButtons[] = {
      {IDC_TEX_TOP, UV_MAP_TOP, TEX_TOOL_TOP, false}, {IDC_TEX_FRONT, UV_MAP_FRONT, TEX_TOOL_FRONT, false},
      {IDC_TEX_SIDE, UV_MAP_SIDE, TEX_TOOL_SIDE, false}, {IDC_TEX_BY_HAND, UV_MAP_BY_HAND, TEX_TOOL_BY_HAND, false},
      {IDC_TEX_SPHERE, UV_MAP_SPHERE, TEX_TOOL_SIDE, true}};
  for (const auto &b : kButtons) {
    Press(b.id);
    EXPECT_EQ(m->groups[0].mapping, b.mapping) << b.id;
    EXPECT_EQ(g_Ed3DTex.tool, b.tool) << b.id;
    EXPECT_EQ(m->groups[0].offsetU, b.reset ? 0.0f : 0.3f) << b.id;
  }
  EXPECT_EQ(m->groups[0].scaleV, 1.0f);

  // Zoom keeps the image centre: the offset moves by half the image at the old (in) or new
  // (out) scale, and stops at 128 and 0.25.
  m->textureCount = 2;
  m->textures[1] = {1, m->textures[1].name, 64, 32};
  Press(IDC_TEX_ZOOM_IN, 1);
  EXPECT_EQ(g_Ed3DTex.scale, 2.0f);
  EXPECT_EQ(g_Ed3DTex.imageX, -32);
  EXPECT_EQ(g_Ed3DTex.imageY, -16);
  for (int i = 0; i < 10; i++) Ed3D_TexZoomIn();
  EXPECT_EQ(g_Ed3DTex.scale, 128.0f);
  for (int i = 0; i < 12; i++) Ed3D_TexZoomOut();
  EXPECT_EQ(g_Ed3DTex.scale, 0.25f);
  EXPECT_EQ(g_Ed3DTex.imageX, -32 - 64 - 128 - 256 - 512 - 1024 - 2048 + 2048 + 1024 + 512 + 256 + 128 + 64 + 32 + 16 + 8);

  // The grid field: 0 and text give 1; read only when the command differs from the last.
  const struct { const char *text; i32 grid; } kGrid[] = {{"16", 16}, {"0", 1}, {"abc", 1}, {"-3", 1}};
  for (const auto &g : kGrid) {
    g_Ed3DTex.lastCommand = 0;
    Press(IDC_TEX_SNAP, -1, g.text);
    EXPECT_EQ(g_Ed3DTex.grid, g.grid) << g.text;
  }
  Press(IDC_TEX_SNAP, -1, "32");
  EXPECT_EQ(g_Ed3DTex.grid, 1);
  // A list without a focus line keeps the current texture.
  EXPECT_EQ(g_Ed3DTex.texture, 1);
}

TEST_F(TexTest, ProjectionAndUnfolds) {
  // Front projection of a 2 x 4 quad centred at (1, 2): u = (x - 1) / 2 + 1 + 0.5, v = 2 + 0.5 - (y - 2) / 4.
  i32 q = Face({{0, 0, 0}, {2, 0, 0}, {2, 4, 0}, {0, 4, 0}});
  m->groups[0].mapping = UV_MAP_FRONT;
  ASSERT_TRUE(Ed3D_ProjectGroupUV(0, 0));
  EXPECT_FLOAT_EQ(Uv(q, 0).u, 1.0f);
  EXPECT_FLOAT_EQ(Uv(q, 0).v, 3.0f);
  EXPECT_FLOAT_EQ(Uv(q, 2).u, 2.0f);
  EXPECT_FLOAT_EQ(Uv(q, 2).v, 2.0f);
  // Per face: the unit square by corner.
  m->groups[0].mapping = UV_MAP_PER_FACE;
  Uv_ProjectGroup(m, 0);
  EXPECT_EQ(Uv(q, 2).u, 1.0f);
  EXPECT_EQ(Uv(q, 3).v, 1.0f);
  // A flat group (all on one vertical line) gives finite values.
  Reinit();
  i32 flat = Face({{1, 0, 0}, {1, 1, 0}, {1, 2, 0}});
  m->groups[0].mapping = UV_MAP_FRONT;
  Uv_ProjectGroup(m, 0);
  for (i32 k = 0; k < 3; k++) EXPECT_TRUE(isfinite(Uv(flat, k).u) && isfinite(Uv(flat, k).v));

  // Vertex unfold: faces at z >= 0 map max x to 0.5 and min x to 1.0; the entries are new,
  // after the existing ones, and the unselected face keeps its coordinates.
  Reinit();
  i32 a = Face({{-2, 0, 0}, {2, 0, 0}, {2, 2, 0}}), b = Face({{0, 0, -1}, {1, 0, -1}, {1, 1, -1}});
  i32 before = m->uvCount;
  memset(g_Sel.g_PolySelFaces, 0, App_WorkFaceCount() * sizeof(u32));
  g_Sel.g_PolySelFaces[a] = 1;
  Press(IDC_TEX_VERTEX_UNFOLD);
  EXPECT_EQ(m->uvCount, before + 3);
  EXPECT_EQ((i32)m->polygons[a].corners[0].uv, before);
  EXPECT_FLOAT_EQ(Uv(a, 0).u, 1.0f);
  EXPECT_FLOAT_EQ(Uv(a, 1).u, 0.5f);
  EXPECT_FLOAT_EQ(Uv(a, 2).v, 0.0f);
  EXPECT_EQ(Uv(b, 0).u, -7.0f);
  EXPECT_EQ(m->groups[0].mapping, UV_MAP_BY_HAND);
  EXPECT_EQ(g_Ed3DTex.tool, (u32)TEX_TOOL_SELECT);
  // At the capacity the entries no other face uses make room (face b keeps its values); with
  // no room even then: a message, the model unchanged.
  u32 max = g_MaxVertices;
  g_MaxVertices = (u32)m->uvCount + 1;
  Press(IDC_TEX_VERTEX_UNFOLD);
  EXPECT_EQ(m->uvCount, 6);
  EXPECT_EQ(Uv(b, 2).u, -7.0f);
  EXPECT_FLOAT_EQ(Uv(a, 0).u, 1.0f);
  g_MaxVertices = 5;
  std::vector<u8> kept = Bytes();
  Press(IDC_TEX_VERTEX_UNFOLD);
  g_MaxVertices = max;
  EXPECT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(Bytes(), kept);

  // Normal unfold from the corner normal: (0.25 nx + 0.25, + 0.5 when nz < 0; 0.5 - 0.5 ny).
  m->normals[0] = {1, 0, -1};
  m->normalCount = 1;
  Press(IDC_TEX_NORMAL_UNFOLD);
  EXPECT_FLOAT_EQ(Uv(a, 0).u, 1.0f);
  EXPECT_FLOAT_EQ(Uv(a, 0).v, 0.5f);

  // Cylinder unfold: a quad across the seam (angle near 0 and near a full turn) gets its low
  // u values one turn on, and a triangle with a corner on the axis becomes a quad whose axis
  // corners take the off-axis corners' u.
  Reinit();
  i32 seam = Face({{0.9f, 0, -0.1f}, {1, 0, 0.1f}, {1, 1, 0.1f}, {0.9f, 1, -0.1f}});
  i32 cone = Face({{0, 2, 0}, {1, 1, 0}, {0, 1, 1}});
  Uv_CylinderUnfold(m, 0);
  for (i32 k = 0; k < 4; k++) EXPECT_GT(Uv(seam, k).u, 0.7f) << k;
  EXPECT_EQ(m->polygons[cone].cornerCount, 4);
  EXPECT_EQ(m->polygons[cone].corners[3].vertex, m->polygons[cone].corners[0].vertex);
  // The apex (corners 0 and 3 share one entry) ends with the u of the larger off-axis corner.
  EXPECT_FLOAT_EQ(Uv(cone, 0).u, Uv(cone, 1).u);
  EXPECT_FLOAT_EQ(Uv(cone, 0).v, 0.0f);
}

TEST_F(TexTest, UvToolsAndFaceRotation) {
  i32 q = Face({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
  for (i32 k = 0; k < 4; k++) m->uvs[m->polygons[q].corners[k].uv] = {0.25f * (f32)k, 0.5f};
  // Rotating the UVs of the selected quad twice brings corner 0's entry to corner 2.
  memset(g_Sel.g_PolySelFaces, 0, App_WorkFaceCount() * sizeof(u32));
  g_Sel.g_PolySelFaces[q] = 1;
  u32 first = m->polygons[q].corners[0].uv;
  Press(IDC_TEX_ROTATE_FACE_UV);
  Press(IDC_TEX_ROTATE_FACE_UV);
  EXPECT_EQ(m->polygons[q].corners[2].uv, first);
  EXPECT_STREQ(Undo_Current()->steps[Undo_Current()->top].label, "ＵＶ回転 ( テクスチャ )");

  u32 sel[4] = {1, 0, 1, 0};
  // Move: 128 / size per 100 pixels; nothing on a texture of size 0.
  Uv_MoveSelected(m, sel, 4, 64, 128, 10, 20);
  EXPECT_FLOAT_EQ(m->uvs[0].u, 0.2f);
  EXPECT_FLOAT_EQ(m->uvs[0].v, 0.7f);
  EXPECT_FLOAT_EQ(m->uvs[1].u, 0.25f);
  Uv_MoveSelected(m, sel, 4, 0, 128, 10, 20);
  EXPECT_FLOAT_EQ(m->uvs[0].u, 0.2f);
  // Rotate about the centre: 180 degrees (0.5 (dx - dy) s = 180) mirrors through (0.5, 0.5);
  // dx equal to dy turns nothing and stays finite.
  m->uvs[2] = {0.75f, 0.25f};
  Uv_RotateSelected(m, sel, 4, 410, 358, 360, 0, 1);
  EXPECT_NEAR(m->uvs[2].u, 0.25f, 1e-5);
  EXPECT_NEAR(m->uvs[2].v, 0.75f, 1e-5);
  Uv_RotateSelected(m, sel, 4, 410, 358, 5, 5, 1);
  EXPECT_NEAR(m->uvs[2].u, 0.25f, 1e-5);
  Uv_RotateSelected(m, sel, 4, 0, 358, 360, 0, 1);
  EXPECT_TRUE(isfinite(m->uvs[2].u));
  // Scale away from the centre.
  Uv_ScaleSelected(m, sel, 4, 100, 0, 2);
  EXPECT_NEAR(m->uvs[2].u, 0.25f + (0.25f - 0.5f) * 100 * 2 * 0.005f, 1e-6);
}

TEST_F(TexTest, TextureTable) {
  // Five entries (0 and four files); groups, displacement and a group key name them.
  for (int n = 1; n <= 4; n++) {
    g_answer = "t" + std::to_string(n) + ".png";
    Press(IDC_TEX_ADD);
  }
  ASSERT_EQ(m->textureCount, 5);
  EXPECT_STREQ(m->textures[4].name, "t4.png");
  // No drawing device here: each image fails to load, is said, and keeps its name.
  ASSERT_EQ(g_boxes.size(), 4u);
  EXPECT_EQ(g_boxes[0], "テクスチャ t1.png を読み込めませんでした。");
  g_boxes.clear();
  m->groupCount = 4;
  const u32 textures[4] = {1, 2, 3, 4};
  for (int g = 0; g < 4; g++) m->groups[g].texture = textures[g];
  m->dispTexture = 4;
  GroupKeyList3 *keys = Model3_EnsureGroupKeys(m, 0, 1);
  ASSERT_NE(keys, nullptr);
  keys->keys[0].texture = 3;
  keys->count = 1;

  // Deleting 3: entry 3 goes, 4 moves down, groups on 3 get 0 and those above one less.
  g_Ed3DTex.texture = 3;
  Press(IDC_TEX_DELETE, 3);
  EXPECT_EQ(m->textureCount, 4);
  EXPECT_STREQ(m->textures[3].name, "t4.png");
  EXPECT_STREQ(m->textures[4].name, "");
  EXPECT_EQ(m->textures[4].used, 0u);
  EXPECT_EQ(m->groups[2].texture, 0u);
  EXPECT_EQ(m->groups[3].texture, 3u);
  EXPECT_EQ(m->dispTexture, 3);
  EXPECT_EQ(keys->keys[0].texture, 0);
  EXPECT_EQ(g_Ed3DTex.texture, 2);
  // Deleting 1: the first file goes.
  Press(IDC_TEX_DELETE, 1);
  EXPECT_EQ(m->textureCount, 3);
  EXPECT_STREQ(m->textures[1].name, "t2.png");
  EXPECT_STREQ(m->textures[2].name, "t4.png");
  EXPECT_EQ(m->groups[0].texture, 0u);
  EXPECT_EQ(m->groups[1].texture, 1u);
  EXPECT_EQ(m->dispTexture, 2);
  // Deleting 0 does nothing; replacing 0 and a 129th texture are refused with their messages.
  Press(IDC_TEX_DELETE, 0);
  EXPECT_EQ(m->textureCount, 3);
  EXPECT_FALSE(Ed3D_TexCommand(IDC_TEX_REPLACE, 0, nullptr));
  m->textureCount = MODEL3_TEXTURES;
  EXPECT_FALSE(Ed3D_TexCommand(IDC_TEX_ADD, 0, nullptr));
  ASSERT_EQ(g_boxes.size(), 2u);
  EXPECT_EQ(g_boxes[0], "０番には、テクスチャを読み込めません。");
  EXPECT_EQ(g_boxes[1], "これ以上テクスチャを、追加できません。");
  m->textureCount = 3;
  // Replace keeps the count; a cancelled question changes nothing.
  g_answer = "new.png";
  g_boxes.clear();
  EXPECT_TRUE(Ed3D_TexCommand(IDC_TEX_REPLACE, 2, nullptr));
  EXPECT_STREQ(m->textures[2].name, "new.png");
  g_answer = "";
  Press(IDC_TEX_ADD);
  EXPECT_EQ(m->textureCount, 3);
}

TEST_F(TexTest, ImagePanelDragsRecordOneStep) {
  i32 q = Face({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
  m->textureCount = 2;
  m->textures[1] = {1, m->textures[1].name, 100, 100};
  m->groups[0].texture = 1;
  m->groups[0].mapping = UV_MAP_PER_FACE;
  Uv_ProjectGroup(m, 0);
  Ed3D_TexUpdate(Hook_Now());
  // The select tool's rectangle over corner 1 (texel 100, 0) only.
  Ed3D_TexImageDown(0, 90, -5);
  Ed3D_TexImageMove(110, 5);
  Ed3D_TexImageUp(0, 110, 5);
  u32 c1 = m->polygons[q].corners[1].uv;
  for (u32 e = 0; e < (u32)m->uvCount; e++) EXPECT_EQ(g_Ed3DTex.uvSel[e], e == c1 ? 1u : 0u) << e;
  // Move tool: a drag of 10 pixels moves u by 128 / 100 * 10 * 0.01; one step at the release.
  Press(IDC_TEX_MOVE);
  i32 steps = Undo_Current()->top;
  Ed3D_TexImageDown(0, 50, 50);
  Ed3D_TexImageMove(55, 50);
  Ed3D_TexImageMove(60, 50);
  Ed3D_TexImageUp(0, 60, 50);
  EXPECT_FLOAT_EQ(m->uvs[c1].u, 1.0f + 0.128f);
  EXPECT_EQ(Undo_Current()->top, steps + 1);
  EXPECT_STREQ(Undo_Current()->steps[Undo_Current()->top].label, "ＵＶ移動 ( テクスチャ )");
  // A press without a drag records nothing.
  Ed3D_TexImageDown(0, 60, 50);
  Ed3D_TexImageUp(0, 60, 50);
  EXPECT_EQ(Undo_Current()->top, steps + 1);
}

}  // namespace
