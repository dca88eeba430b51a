// The 2D groups and textures: the group projection's goldens (planar over the group's extent,
// per face, a zero-width group, types that write nothing), the texture panel's zoom, UV
// rotation and drags, the texture table's refusals, and the group dialog's apply, add,
// mirror and list texts; every refusal leaves the model byte-identical.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/shell_options.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "test_models.h"
#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_seam.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "draw_fakedev.h"
#include "hook_at.h"
#include "lib/draw/draw.h"
#include "lib/draw/screen.h"
#include "lib/draw/text.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_tex.h"
#include "lib/framework/lib.h"
#include "lib/media/dialogs.h"
#include "model/bone2.h"
#include "shell_fixture.h"
#include "widget_fake.h"

namespace {

std::string g_answer;
void *const kTexCombo = (void *)1, *const kShadeCombo = (void *)2, *const kGroupList = (void *)3;

bool Answer(FileDlgRequest *req) {
  Str_Copy(req->file, FILEDLG_TEXT, g_answer.c_str());
  Str_Copy(req->fileTitle, FILEDLG_TEXT, g_answer.c_str());
  return !g_answer.empty();
}

// The OK boxes shown.
std::vector<std::string> &Boxes(void) { return g_WidgetFake.messages; }

struct TexTest2D : ::testing::Test {
  Bone2Model *m = nullptr;
  void SetUp() override {
    Shell_ResetFor2DTest();
    g_Shell.g_EditFamily = FAMILY_2D_MODEL;
    g_Shell.g_EditSubMode = SUB_2D_TEXTURE;
    g_Sel.g_CurGroupIndex = 0;
    WidgetFake_Install();
    g_LibHooks.fileDlg.run = Answer;
    g_Ed2DTex.zoom = 1.0f;
    g_Ed2DTex.offX = g_Ed2DTex.offY = 0;
    g_Ed2DTex.texture = 0;
    g_Ed2DGroup.lastGroup = 0;
    m = Ed2D_EnsureBoneModel(Current_Bone2Edited());
    m->groupCount = 4;
  }
  void TearDown() override {
    g_LibHooks.fileDlg.run = nullptr;
    WidgetFake_Remove();
    g_Ed2D = Ed2DEditor{};
    App_ForgetPolySelection(&g_Sel);
    Bone2_FreeAll();
    Shell_ResetForTest();
  }
  // The group dialog's fields: name, then red, green, blue, alpha (k 1..4); its combos' rows.
  static void Field(i32 k, const char *text) {
    WidgetFake_SetText(g_Options.g_Group2DDlg.window, k == 0 ? IDC_G2D_NAME : IDC_G2D_RED + k - 1, text);
  }
  static void Rows(i32 texture, i32 shade) {
    g_WidgetFake.selection[kTexCombo] = texture;
    g_WidgetFake.selection[kShadeCombo] = shade;
  }
  u16 Vertex(f32 x, f32 y) {
    m->positions[m->vertexCount] = {x, y};
    m->uvs[m->uvCount] = {-7, -7};
    m->bindings[m->vertexCount] = {(u16)(m->vertexCount % 5), 3, 0.25f, 0};
    m->uvCount++;
    return m->vertexCount++;
  }
  // A live polygon of group g, one new vertex and UV entry per corner.
  i32 Poly(std::initializer_list<std::pair<f32, f32>> pts, u32 g = 0) {
    Polygon2 &p = TestModel_NewPolygon2(m, g);
    for (auto &q : pts) {
      u16 v = Vertex(q.first, q.second);
      p.corners[p.cornerCount++] = {v, 0, v};
    }
    return m->polygonCount++;
  }
  Bone2UV Uv(i32 f, i32 k) { return m->uvs[m->polygons[f].corners[k].uv]; }
  // The model's editable content as bytes.
  std::vector<u8> Bytes() {
    std::vector<u8> b;
    auto add = [&](const void *p, size_t n) { b.insert(b.end(), (const u8 *)p, (const u8 *)p + n); };
    add(&m->vertexCount, 6);
    add(m->positions, m->vertexCount * sizeof(Bone2Point));
    add(m->bindings, m->vertexCount * sizeof(VertexBinding));
    add(m->uvs, m->uvCount * sizeof(Bone2UV));
    add(m->polygons, (size_t)m->polygonCount * sizeof(Polygon2));
    add(&m->polygonCount, 4);
    add(&m->textureCount, 4);
    add(m->textures, sizeof m->textures);
    add(&m->groupCount, 4);
    add(m->groups, sizeof m->groups);
    return b;
  }
};

// [SECTION] projection
TEST_F(TexTest2D, ProjectionGoldens) {
  // A 2 x 4 quad centred at (1, 2): u = (x - 1) / (2 su) + 0.5 - ou, v = (y - 2) / (4 sv) + 0.5 + ov.
  i32 q = Poly({{0, 0}, {2, 0}, {2, 4}, {0, 4}});
  i32 t = Poly({{5, 5}, {6, 5}, {6, 6}}, 1);
  i32 flat = Poly({{3, 0}, {3, 1}, {3, 2}}, 2);
  m->groups[0].p[0] = 0.25f;
  m->groups[0].p[1] = 0.5f;
  m->groups[0].p[2] = 2.0f;
  m->groups[0].p[3] = 0.5f;
  ASSERT_TRUE(Ed2D_ProjectGroupUV(0, 0));
  EXPECT_FLOAT_EQ(Uv(q, 0).u, -0.25f + 0.5f - 0.25f);
  EXPECT_FLOAT_EQ(Uv(q, 0).v, -1.0f + 0.5f + 0.5f);
  EXPECT_FLOAT_EQ(Uv(q, 2).u, 0.25f + 0.5f - 0.25f);
  EXPECT_FLOAT_EQ(Uv(q, 2).v, 1.0f + 0.5f + 0.5f);
  EXPECT_EQ(Uv(t, 0).u, -7.0f);   // other groups untouched
  // Per face on a triangle.
  m->groups[1].mappingKind = ED2D_MAP_PER_FACE;
  Ed2D_ProjectBone2Group(m, 1);
  EXPECT_EQ(Uv(t, 0).u, 0.0f);
  EXPECT_EQ(Uv(t, 0).v, 0.0f);
  EXPECT_EQ(Uv(t, 1).u, 1.0f);
  EXPECT_EQ(Uv(t, 1).v, 0.0f);
  EXPECT_EQ(Uv(t, 2).u, 1.0f);
  EXPECT_EQ(Uv(t, 2).v, 1.0f);
  // A vertical line (width 0) and a scale dragged to 0 stay finite: that term is 0.
  Ed2D_ProjectBone2Group(m, 2);
  for (i32 k = 0; k < 3; k++) EXPECT_TRUE(isfinite(Uv(flat, k).u) && isfinite(Uv(flat, k).v)) << k;
  EXPECT_FLOAT_EQ(Uv(flat, 0).u, 0.5f);
  m->groups[0].p[2] = 0;
  Ed2D_ProjectBone2Group(m, 0);
  EXPECT_FLOAT_EQ(Uv(q, 1).u, 0.25f);
  // Types 1-4, 6 and 10 write nothing; a group out of range is refused.
  for (u8 type : {1, 2, 3, 4, 6, 10}) {
    m->groups[2].mappingKind = type;
    m->uvs[m->polygons[flat].corners[0].uv] = {-7, -7};
    EXPECT_TRUE(Ed2D_ProjectBone2Group(m, 2));
    EXPECT_EQ(Uv(flat, 0).u, -7.0f) << (int)type;
  }
  EXPECT_FALSE(Ed2D_ProjectBone2Group(m, m->groupCount));
}

// "正面" maps a group's extent onto the texture wherever the group lies: a 64 x 65 quad at the
// frame's centre, one far off in negative pixels and a thin one all give u and v 0..1 at its
// corners (they once ran 0.5..1.5 and -32..-31, off the texture and out of the UV preview).
TEST_F(TexTest2D, FrontProjectionSpansTheTextureWherever) {
  struct Case { f32 x0, y0, w, h; };
  const Case cases[] = {{-32, -32, 64, 65}, {-640, -480, 64, 65}, {100, 200, 3, 400}, {-0.25f, 7.5f, 0.5f, 0.5f}};
  for (const Case &k : cases) {
    m->polygonCount = 0;
    m->vertexCount = m->uvCount = 0;
    i32 q = Poly({{k.x0, k.y0}, {k.x0 + k.w, k.y0}, {k.x0 + k.w, k.y0 + k.h}, {k.x0, k.y0 + k.h}});
    m->groups[0].mappingKind = ED2D_MAP_FRONT;
    m->groups[0].p[0] = m->groups[0].p[1] = 0;
    m->groups[0].p[2] = m->groups[0].p[3] = 1;
    ASSERT_TRUE(Ed2D_ProjectGroupUV(0, 0));
    for (i32 c = 0; c < 4; c++) {
      EXPECT_FLOAT_EQ(Uv(q, c).u, c == 1 || c == 2 ? 1.0f : 0.0f) << "corner " << c << " of the quad at " << k.x0;
      EXPECT_FLOAT_EQ(Uv(q, c).v, c >= 2 ? 1.0f : 0.0f) << "corner " << c << " of the quad at " << k.x0;
    }
  }
}

// After the optimiser welds a skin's UV entries into one, "正面" must still give each corner its
// own value (a welded entry would colour the whole skin with one texel), leave another group's
// corner on the shared entry as it was, grow no further when projected again, and, without
// room for the copies, say so and change nothing.
TEST_F(TexTest2D, ProjectionGivesWeldedCornersEntriesOfTheirOwn) {
  i32 q = Poly({{0, 0}, {2, 0}, {2, 4}, {0, 4}});
  i32 other = Poly({{5, 5}, {6, 5}, {6, 6}}, 1);
  for (i32 k = 0; k < 4; k++) m->polygons[q].corners[k].uv = 0;
  m->polygons[other].corners[0].uv = 0;
  m->uvs[0] = {0.125f, 0.875f};
  u16 before = m->uvCount;
  ASSERT_TRUE(Ed2D_ProjectGroupUV(0, 0));
  EXPECT_EQ(m->uvCount, before + 4);
  const Bone2UV want[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
  for (i32 k = 0; k < 4; k++) {
    EXPECT_FLOAT_EQ(Uv(q, k).u, want[k].u) << k;
    EXPECT_FLOAT_EQ(Uv(q, k).v, want[k].v) << k;
  }
  EXPECT_FLOAT_EQ(Uv(other, 0).u, 0.125f);
  EXPECT_FLOAT_EQ(Uv(other, 0).v, 0.875f);
  ASSERT_TRUE(Ed2D_ProjectGroupUV(0, 0));
  EXPECT_EQ(m->uvCount, before + 4);
  // No room: the message, and the model as it was.
  for (i32 k = 0; k < 4; k++) m->polygons[q].corners[k].uv = 0;
  m->uvCapacity = m->uvCount + 3;
  std::vector<u8> was = Bytes();
  g_Sel.g_CurGroupIndex = 0;
  Ed2D_TexCommand(IDC_T2D_FRONT, -1, nullptr);
  EXPECT_EQ(Bytes(), was);
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].find("テクスチャ座標を追加できません。"), std::string::npos) << Boxes()[0];
}


// [SECTION] texture panel
TEST_F(TexTest2D, ZoomRotateAndDrags) {
  m->textures[1] = {1, "a.png", 64, 32};
  m->textureCount = 2;
  g_Ed2DTex.texture = g_Ed2DTex.lastTexture = 1;
  m->groups[0].texture = 1;
  for (i32 i = 0; i < 7; i++) Ed2D_TexCommand(IDC_T2D_ZOOM_IN, -1, nullptr);
  EXPECT_EQ(g_Ed2DTex.zoom, 128.0f);
  // Offsets: the sum of -0.5 w z over z = 1 .. 64.
  EXPECT_EQ(g_Ed2DTex.offX, -32 * 127);
  EXPECT_EQ(g_Ed2DTex.offY, -16 * 127);
  Ed2D_TexZoomIn();
  EXPECT_EQ(g_Ed2DTex.zoom, 128.0f);
  g_Ed2DTex.zoom = 1.0f;
  g_Ed2DTex.offX = 0;
  Ed2D_TexZoomOut();
  Ed2D_TexZoomOut();
  Ed2D_TexZoomOut();
  EXPECT_EQ(g_Ed2DTex.zoom, 0.25f);
  EXPECT_EQ(g_Ed2DTex.offX, 16 + 8);

  // UV rotation twice: corner 0's UV index reaches corner 2; removed polygons keep theirs.
  i32 q = Poly({{0, 0}, {2, 0}, {2, 4}, {0, 4}});
  i32 gone = Poly({{9, 9}, {8, 8}, {7, 7}});
  m->polygons[gone].used = 0;
  g_Sel.g_PolySelFaces[q] = g_Sel.g_PolySelFaces[gone] = 1;
  u16 first = m->polygons[q].corners[0].uv, goneFirst = m->polygons[gone].corners[0].uv;
  Ed2D_TexCommand(IDC_T2D_ROTATE_UV, -1, nullptr);
  Ed2D_TexCommand(IDC_T2D_ROTATE_UV, -1, nullptr);
  EXPECT_EQ(m->polygons[q].corners[2].uv, first);
  EXPECT_EQ(m->polygons[gone].corners[0].uv, goneFirst);
  EXPECT_STREQ(g_Shell.g_UndoLabel, "ＵＶ回転 ( テクスチャ )");

  // Left and right held scale a planar group (not move it); the left alone moves it.
  g_Ed2DTex.zoom = 1.0f;
  Ed2D_TexPanelDown(0, 100, 100);
  Ed2D_TexPanelDown(1, 100, 100);
  Ed2D_TexPanelMove(120, 90);
  EXPECT_FLOAT_EQ(m->groups[0].p[2], 1.1f);
  EXPECT_FLOAT_EQ(m->groups[0].p[3], 1.05f);
  EXPECT_EQ(m->groups[0].p[0], 0.0f);
  Ed2D_TexPanelUp(1);
  Ed2D_TexPanelMove(140, 90);
  EXPECT_FLOAT_EQ(m->groups[0].p[0], 0.1f);
  EXPECT_FLOAT_EQ(Uv(q, 0).u, -0.5f / 1.1f + 0.5f - 0.1f);
  Ed2D_TexPanelUp(0);

  // Hand-edited: tool 11 selects strictly inside the rectangle, tool 12 moves the selection by
  // 128 / width per 100 pixels; with no image loaded nothing moves.
  Ed2D_TexCommand(IDC_T2D_SELECT, 1, nullptr);
  EXPECT_EQ(m->groups[0].mappingKind, ED2D_MAP_BY_HAND);
  for (i32 k = 0; k < 4; k++) m->uvs[m->polygons[q].corners[k].uv] = {0.5f * (k & 1), 0.5f * (k >> 1)};
  g_Ed2DTex.offX = g_Ed2DTex.offY = 0;
  Ed2D_TexPanelDown(0, -1, -1);
  Ed2D_TexPanelMove(32, 16);   // corner at (32, 0) lies on the edge
  Ed2D_TexPanelUp(0);
  std::vector<u32> sel(g_Ed2DTex.uvSel, g_Ed2DTex.uvSel + 8);
  u32 e0 = m->polygons[q].corners[0].uv;
  for (u32 i = 0; i < 8; i++) EXPECT_EQ(sel[i], i == e0 ? 1u : 0u) << i;
  Ed2D_TexCommand(IDC_T2D_MOVE, 1, nullptr);
  Bone2UV before = m->uvs[e0];
  Ed2D_TexPanelDown(0, 0, 0);
  Ed2D_TexPanelMove(50, 0);
  EXPECT_FLOAT_EQ(m->uvs[e0].u, before.u + 1.0f);
  m->textures[1].width = 0;
  Ed2D_TexPanelMove(100, 0);
  EXPECT_FLOAT_EQ(m->uvs[e0].u, before.u + 1.0f);
  Ed2D_TexPanelUp(0);
}

TEST_F(TexTest2D, TextureTableRefusals) {
  Poly({{0, 0}, {2, 0}, {2, 4}});
  // Add: the entry takes the name, the count grows, the groups are projected again.
  g_answer = "skin.bmp";
  EXPECT_TRUE(Ed2D_TexCommand(IDC_T2D_ADD, 0, nullptr));
  EXPECT_EQ(m->textureCount, 2);
  EXPECT_STREQ(m->textures[1].name, "skin.bmp");
  EXPECT_EQ(m->textures[1].used, 1u);
  EXPECT_NE(m->uvs[0].u, -7.0f);
  // Replace of entry 0 and a 129th texture: the box, the model as it was.
  std::vector<u8> kept = Bytes();
  EXPECT_FALSE(Ed2D_TexCommand(IDC_T2D_REPLACE, 0, nullptr));
  m->textureCount = BONE2_MAX_TEXTURES;
  kept = Bytes();
  EXPECT_FALSE(Ed2D_TexCommand(IDC_T2D_ADD, 1, nullptr));
  EXPECT_EQ(Bytes(), kept);
  ASSERT_EQ(Boxes().size(), 2u);
  EXPECT_EQ(Boxes()[0], "０番には、テクスチャを読み込めません。");
  EXPECT_EQ(Boxes()[1], "これ以上テクスチャを、追加できません。");
  // Cancelled file dialog: nothing.
  m->textureCount = 2;
  g_answer.clear();
  kept = Bytes();
  Ed2D_TexCommand(IDC_T2D_REPLACE, 1, nullptr);
  EXPECT_EQ(Bytes(), kept);
}

// [SECTION] group dialog
TEST_F(TexTest2D, GroupDialogApplyAddMirror) {
  g_Ed2D.groupTexture = kTexCombo;
  g_Ed2D.groupDisplay = kShadeCombo;
  m->textureCount = 3;
  i32 a = Poly({{1, 0}, {2, 0}, {2, 1}});
  i32 b = Poly({{5, 5}, {6, 5}, {6, 6}}, 1);
  g_Sel.g_PolySelFaces[b] = 1;
  g_Sel.g_CurGroupIndex = 2;
  g_Ed2DGroup.lastGroup = 2;   // no change of row (which would select group 2's polygons)
  // Row 128 (past the table) gives texture 0; CB_ERR keeps the shading; "abc" keeps the colour
  // but membership, name and texture are applied, with a box that says why.
  Field(0, "顔");
  Field(1, "10");
  Field(2, "abc");
  Field(3, "30");
  Field(4, "300");
  Rows(128, -1);
  m->groups[2].texture = 2;
  Ed2D_GroupDlgCommand(IDC_G2D_APPLY, -1);
  const Group2 &g = m->groups[2];
  EXPECT_EQ(m->polygons[b].group, 2u);
  EXPECT_STREQ(g.name, "顔");
  EXPECT_EQ(g.texture, 0);
  EXPECT_EQ(g.shadeMode, 4);
  EXPECT_EQ(g.r, 200.0f);
  EXPECT_EQ(Boxes().size(), 1u);
  Field(2, "20");
  Rows(2, 1);
  Ed2D_GroupDlgCommand(IDC_G2D_APPLY, -1);
  EXPECT_EQ(g.texture, 2);
  EXPECT_EQ(g.shadeMode, 1);
  EXPECT_EQ(g.g, 20.0f);
  EXPECT_EQ(g.a, 255.0f);   // clamped

  // A row change selects that group's polygons and their vertices.
  Ed2D_GroupDlgCommand(0, 0);
  EXPECT_EQ(g_Sel.g_CurGroupIndex, 0u);
  EXPECT_EQ(g_Sel.g_PolySelFaces[a], 1u);
  EXPECT_EQ(g_Sel.g_PolySelFaces[b], 0u);
  EXPECT_EQ(g_Sel.g_PolySelVerts[0] + g_Sel.g_PolySelVerts[1] + g_Sel.g_PolySelVerts[2] + g_Sel.g_PolySelVerts[3], 3u);

  // Mirror of group 0: 6 vertices mirrored about x = 0 with their bindings; the copy's corners
  // reversed and shifted; only the copy selected.
  i32 nv = m->vertexCount, np = m->polygonCount;
  Ed2D_GroupDlgCommand(IDC_G2D_MIRROR, 0);
  ASSERT_EQ(m->vertexCount, 2 * nv);
  ASSERT_EQ(m->polygonCount, np + 1);
  EXPECT_EQ(m->positions[nv].x, -1.0f);
  EXPECT_EQ(m->bindings[nv + 4].bone1, m->bindings[4].bone1);
  const Polygon2 &c = m->polygons[np];
  EXPECT_EQ(c.corners[0].vertex, m->polygons[a].corners[2].vertex + nv);
  EXPECT_EQ(c.corners[2].uv, m->polygons[a].corners[0].uv + nv);
  EXPECT_EQ(g_Sel.g_PolySelFaces[np], 1u);
  EXPECT_EQ(g_Sel.g_PolySelFaces[a], 0u);
  EXPECT_EQ(g_Sel.g_PolyTool, (u32)ED2D_TOOL_MOVE);
  EXPECT_STREQ(g_Shell.g_UndoLabel, "鏡面 ( グループ )");
  // No room for the doubled counts: refused, the model byte-identical.
  m->uvCount = 40000;
  std::vector<u8> kept = Bytes();
  Ed2D_GroupDlgCommand(IDC_G2D_MIRROR, 0);
  EXPECT_EQ(Bytes(), kept);
  EXPECT_EQ(Boxes().size(), 2u);
  m->uvCount = (u16)(2 * nv);

  // "追加" at 128 groups makes 127 current and adds nothing.
  m->groupCount = BONE2_MAX_GROUPS;
  Ed2D_GroupDlgCommand(IDC_G2D_ADD, 0);
  EXPECT_EQ(m->groupCount, BONE2_MAX_GROUPS);
  EXPECT_EQ(g_Sel.g_CurGroupIndex, 127u);
  EXPECT_STREQ(g_Shell.g_UndoLabel, "グループ追加");
}

TEST_F(TexTest2D, ListTexts) {
  m->groupCount = 3;
  Poly({{1, 0}, {2, 0}, {2, 1}}, 1);
  Poly({{1, 0}, {2, 0}, {2, 1}}, 1);
  i32 gone = Poly({{1, 0}, {2, 0}, {2, 1}}, 2);
  m->polygons[gone].used = 0;
  static Ed2DLines lines;
  Ed2D_GroupListLines(m, 1, &lines);
  ASSERT_EQ(lines.count, 3);
  EXPECT_STREQ(lines.text[0], " 0 : グループ 0");
  EXPECT_STREQ(lines.text[1], " 1 : グループ 1 ( 2 )");
  EXPECT_STREQ(lines.text[2], " 2 : グループ 2");
  EXPECT_EQ(lines.select, 1);
  m->textureCount = 3;
  m->textures[1] = {1, "a.bmp", 0, 0};
  Ed2D_TextureLines(m, 2, &lines);
  ASSERT_EQ(lines.count, 3);
  EXPECT_STREQ(lines.text[0], " 0 : テクスチャ無し");
  EXPECT_STREQ(lines.text[1], " 1 : a.bmp");
  EXPECT_STREQ(lines.text[2], " 2 :");
  Ed2D_ShadeLines(-1, &lines);
  EXPECT_STREQ(lines.text[0], "非表示");
  EXPECT_STREQ(lines.text[5], "曲面");
  EXPECT_EQ(lines.select, -1);
  // The CP932 bytes of " 0 : テクスチャ無し".
  const u8 expect[] = {0x20, 0x30, 0x20, 0x3A, 0x20, 0x83, 0x65, 0x83, 0x4E, 0x83, 0x58, 0x83, 0x60, 0x83, 0x83, 0x96, 0xB3};
  Ed2D_TextureLines(m, 0, &lines);
  EXPECT_EQ(memcmp(lines.text[0], expect, sizeof expect), 0);
}

// [SECTION] the frame beside the panel
// Where the 2D frame's pixels land in the view: the texture sub-mode shows the frame at 3/4,
// its middle at the screen's and its top 16 pixels below the view's, clear of the mode panel
// (right edge 180) and above the texture panel (its top desktop height - 576 on the screen,
// under at most 60 pixels of caption and menu); lines, screen text and the mouse follow.
TEST_F(TexTest2D, FrameShownSmallerAboveThePanelAndEverythingFollows) {
  struct Row {
    const char *what;
    u32 family, subMode;
    i32 desktopW, desktopH;
    f32 zoom, left, top;   // the zoom and where frame (0, 0) lands in the view
  };
  const Row rows[] = {
    {"texture at 1280 x 1024", FAMILY_2D_MODEL, SUB_2D_TEXTURE, 1280, 1024, 0.75f, 400, 16},
    {"texture at 1600 x 1200", FAMILY_2D_MODEL, SUB_2D_TEXTURE, 1600, 1200, 0.75f, 560, 16},
    {"texture at 1024 x 768: half the frame over a smaller panel, clear of the group dialog", FAMILY_2D_MODEL, SUB_2D_TEXTURE, 1024, 768, 0.5f, 368, 16},
    {"polygon keeps the whole frame", FAMILY_2D_MODEL, SUB_2D_POLY, 1280, 1024, 1.0f, 320, 272},
    {"another family at the same number", FAMILY_EFFECT, SUB_2D_TEXTURE, 1280, 1024, 1.0f, 320, 272},
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(r.what);
    FakeDev_InstallFor3DFrame();   // the 3D family's state: set again below
    g_LibHooks.frameRequest = View_FrameRequest;   // the shell's request, as the program has it
    g_Lib.desktopWidth = r.desktopW;
    g_Lib.desktopHeight = r.desktopH;
    g_Lib.viewWindowMode = 1;
    g_Shell.g_EditFamily = r.family;
    g_Shell.g_EditSubMode = r.subMode;
    g_Shell.g_Family2DFrame[r.family] = 1;
    g_Shell.g_Views[r.subMode][0].panX = g_Shell.g_Views[r.subMode][0].panY = 0;
    if (r.family == FAMILY_2D_MODEL && r.subMode == SUB_2D_TEXTURE) Ed2D_TexInit(Hook_At(0, 0));
    EXPECT_EQ(View_FrameZoom(), r.zoom);
    g_Text.lineCount = 0;
    g_FrameOutputSuppressed = 0;
    g_Lib.textSize = 1.0f;
    g_Shell.g_DrawView = 0;
    Text_CreateFont(1.0f);
    Draw_Line2D(0, 0, 255, 255, 255, 255, 640, 480, 255, 255, 255, 255);
    Text_Printf(313, 462, "Y+");
    Text_DrawQueue();
    ASSERT_EQ(g_Fake->draws.size(), 1u);
    std::vector<ScreenVertex> v = FakeDev_ScreenVerts(0);
    EXPECT_EQ(v[0].x, r.left);
    EXPECT_EQ(v[0].y, r.top);
    EXPECT_EQ(v[1].x, r.left + 640 * r.zoom);
    EXPECT_EQ(v[1].y, r.top + 480 * r.zoom);
    ASSERT_EQ(g_Fake->texts.size(), 1u);
    EXPECT_EQ(g_Fake->texts[0].left, (i32)(313 * r.zoom) + (i32)r.left);
    EXPECT_EQ(g_Fake->texts[0].top, (i32)(462 * r.zoom) + (i32)r.top);
    f32 fx, fy;
    Ed2D_ClientToFrame((i32)(r.left + 300 * r.zoom), (i32)(r.top + 120 * r.zoom), &fx, &fy);
    EXPECT_EQ(fx, 300.0f);
    EXPECT_EQ(fy, 120.0f);
    if (r.zoom != 1.0f) {
      EXPECT_GE(r.left, 180.0f);
      EXPECT_LE(r.top + 480 * r.zoom + 60, r.desktopH - 30 - (r.desktopH < VIEW_TEXTURE_FULL_HEIGHT ? 418 : 546));
    }
    g_Text.font = nullptr;
    FakeDev_Remove();
    g_Shell.g_Family2DFrame[r.family] = 0;
  }
  g_Lib.viewWindowMode = 0;
}

}  // namespace
