// The modelling clipboard, primitives and file merge, and the group panel's commands, through
// the dialogs' command entries: results, labels and steps, the bindings of appended vertices,
// and the refusals (no room, unreadable file, wrong mode), each leaving the model byte for byte
// as it was with no step.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model_shown.h"
#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "draw_fakedev.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_group_dlg.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_poly_clip.h"
#include "edit3d/ed3d_poly_dlg.h"
#include "edit3d/ed3d_tex.h"
#include "edit3d/undo.h"
#include "lib/framework/lib.h"
#include "model/bytes.h"
#include "model/kzp.h"
#include "model/seam.h"
#include "resources/edit3d_ids.h"
#include "shell_fixture.h"
#include "test_models.h"

namespace {

std::vector<std::string> g_Messages;
void RecordMessage(const char *t) { g_Messages.push_back(t); }

// A unit cube of six quads centred on the origin, written as KZP.
bool WriteCube(const std::string &path, f32 half) {
  Model3 *c = Model3_New();
  if (!c || !Model3_Reserve(c, 8, 1, 1, 1, 6)) {
    Model3_Free(c);
    return false;
  }
  for (int i = 0; i < 8; i++) c->positions[i] = {i & 1 ? half : -half, i & 2 ? half : -half, i & 4 ? half : -half};
  const u32 faces[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
  for (int f = 0; f < 6; f++) {
    c->polygons[f] = Polygon3{};
    c->polygons[f].cornerCount = 4;
    for (int k = 0; k < 4; k++) c->polygons[f].corners[k].vertex = faces[f][k];
  }
  c->positionCount = 8, c->normalCount = c->colorCount = c->uvCount = 1, c->polygonCount = 6;
  Model3_FreshBindings(c, 0, 8);
  bool ok = Shown(Kzp_Write, c, path.c_str());
  Model3_Free(c);
  return ok;
}

struct ClipTest : ::testing::Test {
  Model3 *m = nullptr;
  u32 savedMaxV = 0, savedMaxP = 0;
  u16 savedGpu = 0;
  char savedData[LIB_TEXT_SIZE] = {}, savedCwd[1024] = {};
  std::string dir;
  Ed3DTexEditor savedTex = {};
  void SetUp() override {
    savedTex = g_Ed3DTex;
    Shell_ResetForTest();
    FakeDev_Install();
    savedMaxV = g_MaxVertices, savedMaxP = g_MaxPolygons, savedGpu = g_GpuInfo.level;
    memcpy(savedData, g_Lib.dataDir, sizeof savedData);
    ASSERT_NE(getcwd(savedCwd, sizeof savedCwd), nullptr);
    g_MaxVertices = 260000, g_MaxPolygons = 65000;
    g_Seam.errorBox = RecordMessage;
    g_Messages.clear();
    g_Sel.g_CurGroupIndex = 0;
    m = TestModel_Slot3D(SUB_3D_POLY);
    ASSERT_NE(m, nullptr);
    App_AllocWorkArrays(&g_Sel);
    App_ClearSelectionFlags(App_WorkVertCount(), App_WorkFaceCount());
    g_Sel.g_PolySelectMode = 1;
    Model3_Free(g_PolyClipboard);
    g_PolyClipboard = nullptr;
    Undo_ResetAll();
    Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "記録開始");
    Undo_Push(Undo_Current());
    dir = ::testing::TempDir() + "clip_" + std::to_string(getpid());
    mkdir(dir.c_str(), 0755);
  }
  void TearDown() override {
    g_Seam.errorBox = nullptr;
    g_MaxVertices = savedMaxV, g_MaxPolygons = savedMaxP;
    Lib_SetGpuLevel(savedGpu);
    memcpy(g_Lib.dataDir, savedData, sizeof savedData);
    EXPECT_EQ(chdir(savedCwd), 0);
    Model3_FreeAllSlots();
    FakeDev_Remove();
    g_Ed3DTex = savedTex;
  }
  i32 V(f32 x, f32 y, f32 z) {
    m->positions[m->positionCount] = {x, y, z};
    return m->positionCount++;
  }
  // A quad of group g in z = 0 at (x, y); its polygon number.
  i32 Quad(f32 x, f32 y, u32 g) {
    i32 a = V(x, y, 0), b = V(x + 1, y, 0), c = V(x + 1, y + 1, 0), d = V(x, y + 1, 0);
    Polygon3 &p = m->polygons[m->polygonCount];
    p = Polygon3{};
    p.cornerCount = 4;
    p.group = g;
    const i32 v[4] = {a, b, c, d};
    for (int k = 0; k < 4; k++) p.corners[k] = {(u32)v[k], 0, (u32)k % 2, 0};
    for (int k = 0; k < 4; k++) m->bindings[v[k]] = VertexBinding{(u16)(g + 2), 0, 0.5f, 0};
    return m->polygonCount++;
  }
  // Three quads (groups 0, 1, 1), one normal, two colours, one UV; the first quad selected.
  void Scene() {
    Quad(0, 0, 0), Quad(2, 0, 1), Quad(4, 0, 1);
    m->normals[0] = {0, 0, -1};
    m->colors[0] = {255, 0, 0, 255}, m->colors[1] = {0, 255, 0, 255};
    m->normalCount = 1, m->colorCount = 2, m->uvCount = 1;
    m->groupCount = 2;
    g_Sel.g_PolySelFaces[0] = 1;
  }
  i32 Steps() { return Undo_Current()->top; }
  std::string TopLabel() { UndoHistory *h = Undo_Current(); return h->steps[h->top].label; }
  std::vector<u8> Bytes() { return TestModel_KzpBytes(m); }
  void Command(u32 id) {
    Ed3D_PolyDlgCommand(id);
    m = g_Model3Slots[0];
  }
  void Group(u32 id) {
    Ed3D_GroupCommand(id);
    m = g_Model3Slots[0];
  }
  ViewRecord *Active() { return View_Get(SUB_3D_POLY, g_Shell.g_ActiveView); }
  std::string Cwd() {
    char b[1024];
    return getcwd(b, sizeof b) ? b : "";
  }
  // Box of the positions from `from` on.
  void Box(i32 from, Vec3 *lo, Vec3 *hi) {
    *lo = *hi = m->positions[from];
    for (i32 i = from; i < m->positionCount; i++) {
      const Vec3 &p = m->positions[i];
      lo->x = fminf(lo->x, p.x), lo->y = fminf(lo->y, p.y), lo->z = fminf(lo->z, p.z);
      hi->x = fmaxf(hi->x, p.x), hi->y = fmaxf(hi->y, p.y), hi->z = fmaxf(hi->z, p.z);
    }
  }
};

// [SECTION] clipboard
TEST_F(ClipTest, CopyPasteAndCutThroughTheClipboard) {
  Scene();
  Command(IDC_POLY_PASTE);   // nothing copied yet
  EXPECT_EQ(m->polygonCount, 3);
  EXPECT_EQ(Steps(), 0);
  g_Sel.g_PolySelectMode = 0;
  Command(IDC_POLY_COPY);
  ASSERT_EQ(g_Messages, std::vector<std::string>{"面選択モードで利用できます。"});
  EXPECT_EQ(Steps(), 0);
  g_Sel.g_PolySelectMode = 1;
  Command(IDC_POLY_COPY);
  Command(IDC_POLY_COPY);   // a second copy replaces the first
  EXPECT_EQ(TopLabel(), "コピー ( モデリング )");
  Command(IDC_POLY_PASTE);
  EXPECT_EQ(TopLabel(), "ペースト ( モデリング )");
  // The full arrays once more, the copied face on top of the original, with its bindings.
  EXPECT_EQ(m->positionCount, 24);
  EXPECT_EQ(m->normalCount, 2);
  EXPECT_EQ(m->colorCount, 4);
  EXPECT_EQ(m->uvCount, 2);
  ASSERT_EQ(m->polygonCount, 4);
  const Polygon3 &p = m->polygons[3];
  for (int k = 0; k < 4; k++) {
    const PolyCorner &a = m->polygons[0].corners[k], &b = p.corners[k];
    EXPECT_EQ(b.vertex, a.vertex + 12);
    EXPECT_EQ(b.color, a.color + 2);
    EXPECT_EQ(b.normal, a.normal + 1);
    EXPECT_EQ(b.uv, a.uv + 1);
    EXPECT_EQ(memcmp(&m->positions[b.vertex], &m->positions[a.vertex], sizeof(Vec3)), 0);
    EXPECT_EQ(memcmp(&m->bindings[b.vertex], &m->bindings[a.vertex], sizeof(VertexBinding)), 0);
  }
  EXPECT_EQ(g_Sel.g_PolySelFaces[0], 1u);   // the selection stays
  EXPECT_EQ(g_Sel.g_PolySelFaces[3], 0u);
  // Cut: copied, then deleted.
  g_Sel.g_PolySelFaces[0] = 0, g_Sel.g_PolySelFaces[2] = 1;
  Command(IDC_POLY_CUT);
  EXPECT_EQ(TopLabel(), "カット ( モデリング )");
  EXPECT_EQ(m->polygonCount, 3);
  EXPECT_EQ(g_PolyClipboard->polygonCount, 1);
  EXPECT_EQ(g_PolyClipboard->polygons[0].group, 1u);
}

// [SECTION] primitives and merge
TEST_F(ClipTest, PrimitivesAndMergedFilesArePlacedAtTheViewsCentre) {
  std::string folder = dir + "/System";
  mkdir(folder.c_str(), 0755);
  folder += "/プリミティブ";
  mkdir(folder.c_str(), 0755);
  ASSERT_TRUE(WriteCube(folder + "/立方体.KZP", 0.5f));
  ASSERT_TRUE(WriteCube(dir + "/merge.kzp", 1.0f));
  Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, dir.c_str());
  Scene();
  m->boneCount = 1;
  std::string cwd = Cwd();
  ViewRecord *v = Active();
  v->panX = 3, v->panY = 4, v->panZ = 5;
  g_Sel.g_CurGroupIndex = 1;
  g_Sel.g_PolyTool = POLY_TOOL_VERTEX;
  struct Case { f32 zoom; f32 size; };
  for (Case c : {Case{1, 0.25f}, Case{2, 0.5f}}) {
    SCOPED_TRACE(c.zoom);
    v->zoom = c.zoom;
    i32 np = m->positionCount, nf = m->polygonCount, steps = Steps();
    Command(IDC_POLY_CUBE);
    EXPECT_EQ(Steps(), steps + 1);
    EXPECT_EQ(TopLabel(), "立方体 ( モデリング )");
    EXPECT_EQ(Cwd(), cwd);
    ASSERT_EQ(m->positionCount, np + 8);
    ASSERT_EQ(m->polygonCount, nf + 6);
    Vec3 lo, hi;
    Box(np, &lo, &hi);
    EXPECT_FLOAT_EQ(hi.x - lo.x, c.size);
    EXPECT_FLOAT_EQ((hi.x + lo.x) / 2, 3);
    EXPECT_FLOAT_EQ((hi.y + lo.y) / 2, 4);
    EXPECT_FLOAT_EQ((hi.z + lo.z) / 2, -5);
    for (i32 f = 0; f < m->polygonCount; f++) EXPECT_EQ(g_Sel.g_PolySelFaces[f], f >= nf ? 1u : 0u) << f;
    for (i32 i = 0; i < m->positionCount; i++) EXPECT_EQ(g_Sel.g_PolySelVerts[i], i >= np ? 1u : 0u) << i;
    EXPECT_EQ(m->polygons[nf].group, 1u);
    EXPECT_EQ(m->bindings[np].automatic, 1u);
    EXPECT_EQ(g_Sel.g_PolyTool, (u32)POLY_TOOL_MOVE);
    // Every corner has its own normal, colour and UV.
    EXPECT_EQ(m->polygons[m->polygonCount - 1].corners[3].color, (u32)m->colorCount - 1);
  }
  // A merged file: no scaling, the same centre; its vertices bound automatically.
  i32 np = m->positionCount;
  Ed3D_PolyMergeFile((dir + "/merge.kzp").c_str());
  ASSERT_EQ(m->positionCount, np + 8);
  Vec3 lo, hi;
  Box(np, &lo, &hi);
  EXPECT_FLOAT_EQ(hi.x - lo.x, 2);
  EXPECT_FLOAT_EQ((hi.z + lo.z) / 2, -5);
  for (i32 i = np; i < m->positionCount; i++) {
    EXPECT_EQ(m->bindings[i].automatic, 1u);
    EXPECT_EQ(m->bindings[i].bone1, 1u);   // the single bone's rule of the automatic binding
    EXPECT_FLOAT_EQ(m->bindings[i].weight, 1.0f);
  }
  EXPECT_EQ(g_Model3Slots[POLY_SCRATCH_SLOT], nullptr);
}

// Refusals: a file that cannot be read, no room, the wrong mode. Each says why and leaves
// the model, the selection, the history and the current folder as they were.
TEST_F(ClipTest, RefusalsLeaveEverythingAsItWas) {
  Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, dir.c_str());
  std::string cwd = Cwd();
  Scene();
  Ed3D_PolyCopy(m, &g_Sel);
  g_Messages.clear();
  ASSERT_TRUE(WriteCube(dir + "/merge.kzp", 1.0f));
  g_MaxPolygons = 3;   // no room for a single new polygon
  struct Case {
    const char *what;
    std::function<void()> run;
  };
  const std::vector<Case> cases = {
      {"missing primitive", [&] { Command(IDC_POLY_SPHERE); }},
      {"missing file", [&] { Ed3D_PolyMergeFile((dir + "/none.kzp").c_str()); }},
      {"merge without room", [&] { Ed3D_PolyMergeFile((dir + "/merge.kzp").c_str()); }},
      {"paste without room", [&] { Command(IDC_POLY_PASTE); }},
      {"mirror without room", [&] { Group(IDC_GRP_MIRROR); }},
      {"group copy without room", [&] { Group(IDC_GRP_COPY_POLYS); }},
      {"cut in vertex mode", [&] { g_Sel.g_PolySelectMode = 0; Command(IDC_POLY_CUT); g_Sel.g_PolySelectMode = 1; }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    g_Messages.clear();
    std::vector<u8> before = Bytes();
    i32 steps = Steps(), groups = m->groupCount;
    c.run();
    EXPECT_EQ(g_Messages.size(), 1u);
    EXPECT_EQ(Bytes(), before);
    EXPECT_EQ(m->groupCount, groups);
    EXPECT_EQ(Steps(), steps);
    EXPECT_EQ(g_Sel.g_PolySelFaces[0], 1u);
    EXPECT_EQ(Cwd(), cwd);
    EXPECT_EQ(g_Model3Slots[POLY_SCRATCH_SLOT], nullptr);
  }
}

// [SECTION] group panel
Ed3DGroupFields Fields(const Model3 *m, u32 g) {
  Ed3DGroupFields f;
  Ed3D_GroupFieldsOf(m, g, &f);
  return f;
}

TEST_F(ClipTest, ApplyStoresTheFieldsByItsRules) {
  Scene();
  Lib_SetGpuLevel(1);
  m->textureCount = 3;
  g_Sel.g_CurGroupIndex = 1;
  g_Sel.g_PolySelFaces[0] = 1;   // polygon 0 joins group 1
  Ed3DGroupFields f = Fields(m, 1);
  Str_Copy(f.name, sizeof f.name, "腕");
  f.texture = 2, f.disp = 1, f.display = 2;
  Str_Copy(f.height, sizeof f.height, " 1.5 ");
  Str_Copy(f.divisions, sizeof f.divisions, "3");
  const char *colour[4] = {"10", "300", "30", "40"};
  for (int i = 0; i < 4; i++) Str_Copy(f.colour[i], GROUP_FIELD_TEXT, colour[i]);
  Ed3D_ApplyGroupFields(&f);
  const Group3 &g = m->groups[1];
  EXPECT_EQ(m->polygons[0].group, 1u);
  EXPECT_STREQ(g.name, "腕");
  EXPECT_EQ(g.texture, 2u);
  EXPECT_EQ(g_Ed3DTex.texture, 2);
  EXPECT_EQ(m->dispTexture, 1);
  EXPECT_EQ(m->renderMode, 7u);
  EXPECT_FLOAT_EQ(m->dispScale, 1.5f);
  EXPECT_EQ(m->refineLevel, 3);
  EXPECT_EQ(g.shading, 2u);
  EXPECT_FLOAT_EQ(g.g, 255.0f);   // clamped
  EXPECT_EQ(TopLabel(), "グループ 決定ボタン");
  EXPECT_TRUE(g_Messages.empty());
  // Lines past the entries mean none, displacement 0 ends render mode 7, a display line out
  // of range or a field that does not parse changes nothing (the latter say why).
  struct Case {
    const char *what;
    i32 texture, disp, display;
    const char *height, *divisions, *red, *specRed;
    u32 messages;
  };
  const std::vector<Case> cases = {
      {"line 129", 129, 0, 9, "1.5", "3", "10", "64", 0},
      {"line = count", 3, 3, -1, "1.5", "3", "10", "64", 0},
      {"bad height and divisions", 0, 0, 2, "x", "3.5", "10", "64", 2},
      {"bad colour and specular", 0, 0, 2, "1.5", "3", "1a", "a", 2},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    g_Messages.clear();
    Ed3DGroupFields h = Fields(m, 1);
    h.texture = c.texture, h.disp = c.disp, h.display = c.display;
    Str_Copy(h.height, sizeof h.height, c.height);
    Str_Copy(h.divisions, sizeof h.divisions, c.divisions);
    Str_Copy(h.colour[0], GROUP_FIELD_TEXT, c.red);
    Str_Copy(h.specular[0], GROUP_FIELD_TEXT, c.specRed);
    Ed3D_ApplyGroupFields(&h);
    EXPECT_EQ(g.texture, 0u);
    EXPECT_EQ(m->dispTexture, 0);
    EXPECT_EQ(m->renderMode, 0u);
    EXPECT_EQ(g.shading, 2u);
    EXPECT_FLOAT_EQ(m->dispScale, 1.5f);
    EXPECT_EQ(m->refineLevel, 3);
    EXPECT_FLOAT_EQ(g.r, 10.0f);
    EXPECT_FLOAT_EQ(g.g, 255.0f);
    EXPECT_EQ(g.specR, 64u);
    EXPECT_EQ(g_Messages.size(), c.messages);
  }
}

TEST_F(ClipTest, SelectMirrorCopyDeleteAndMoveGroups) {
  Scene();
  g_Sel.g_PolySelectMode = 0;   // the group commands act on the group's faces in either mode
  m->groups[1].texture = 200;
  Ed3D_GroupSelect(1);
  EXPECT_EQ(g_Sel.g_CurGroupIndex, 1u);
  EXPECT_EQ(g_Ed3DTex.texture, 0);
  // A texture in use: current, its image placed in the lower right of the texture panel.
  m->groups[1].texture = 2;
  m->textureCount = 3;
  m->textures[2].width = 64, m->textures[2].height = 32;
  g_Ed3DTex.panelW = 410, g_Ed3DTex.panelH = 358, g_Ed3DTex.scale = 2;
  Ed3D_GroupSelect(1);
  EXPECT_EQ(g_Ed3DTex.texture, 2);
  EXPECT_EQ(g_Ed3DTex.imageX, 410 - 128);
  EXPECT_EQ(g_Ed3DTex.imageY, 358 - 64);
  for (i32 f = 0; f < 3; f++) EXPECT_EQ(g_Sel.g_PolySelFaces[f], f >= 1 ? 1u : 0u);
  for (i32 i = 0; i < 12; i++) EXPECT_EQ(g_Sel.g_PolySelVerts[i], i >= 4 ? 1u : 0u);
  // Mirror: every array doubled, twins of group 1's faces reversed, bindings copied.
  Group(IDC_GRP_MIRROR);
  EXPECT_EQ(TopLabel(), "鏡面 ( グループ )");
  EXPECT_EQ(m->positionCount, 24);
  EXPECT_EQ(m->colorCount, 4);
  ASSERT_EQ(m->polygonCount, 5);
  for (int k = 0; k < 4; k++) {
    const PolyCorner &a = m->polygons[1].corners[3 - k], &b = m->polygons[3].corners[k];
    EXPECT_EQ(b.vertex, a.vertex + 12);
    EXPECT_EQ(b.color, a.color + 2);
    EXPECT_FLOAT_EQ(m->positions[b.vertex].x, -m->positions[a.vertex].x);
    EXPECT_EQ(m->bindings[b.vertex].bone1, m->bindings[a.vertex].bone1);
  }
  EXPECT_EQ(g_Sel.g_PolySelFaces[1], 0u);
  EXPECT_EQ(g_Sel.g_PolySelFaces[3], 1u);
  // Copy with polygons: the group's selected faces (the twins), pasted into the new group 2.
  g_Sel.g_PolySelFaces[0] = 1;   // a face of group 0: not the group's
  Group(IDC_GRP_COPY_POLYS);
  EXPECT_EQ(TopLabel(), "グループ コピー");
  ASSERT_EQ(m->groupCount, 3);
  EXPECT_EQ(g_Sel.g_CurGroupIndex, 2u);
  ASSERT_EQ(m->polygonCount, 7);
  EXPECT_EQ(m->polygons[5].group, 2u);
  EXPECT_EQ(m->polygons[6].group, 2u);
  // Delete with polygons: only the current group's selected faces go.
  Ed3D_GroupSelect(2);
  g_Sel.g_PolySelFaces[0] = 1;
  Group(IDC_GRP_DELETE_POLYS);
  EXPECT_EQ(TopLabel(), "グループ 消去");
  EXPECT_EQ(m->polygonCount, 5);
  EXPECT_EQ(m->groupCount, 2);
  EXPECT_EQ(g_Sel.g_CurGroupIndex, 1u);   // the highest group was current: the new highest is
  // Up from group 0 records nothing; down from the last neither; up from 1 swaps.
  i32 steps = Steps();
  g_Sel.g_CurGroupIndex = 0;
  Group(IDC_GRP_UP);
  g_Sel.g_CurGroupIndex = 1;
  Group(IDC_GRP_DOWN);
  EXPECT_EQ(Steps(), steps);
  Group(IDC_GRP_UP);
  EXPECT_EQ(TopLabel(), "グループ ↑");
  EXPECT_EQ(g_Sel.g_CurGroupIndex, 0u);
  EXPECT_EQ(m->polygons[0].group, 1u);
  // One group left cannot go; at 128 groups no copy is made.
  Group(IDC_GRP_DELETE_RECORD);
  g_Messages.clear();
  steps = Steps();
  Group(IDC_GRP_DELETE_RECORD);
  m->groupCount = MODEL3_GROUPS;
  Group(IDC_GRP_COPY_RECORD);
  m->groupCount = 1;
  EXPECT_EQ(g_Messages, (std::vector<std::string>{"グループを消去できません。", "グループを、コピーできませんでした。"}));
  EXPECT_EQ(Steps(), steps);
}

TEST_F(ClipTest, GroupKeyListsFollowTheirGroups) {
  m->groupCount = 4;
  auto Tag = [&](i32 motion, i32 g) -> i32 {
    const GroupKeyList3 *l = m->motions[motion].groupKeys[g];
    return l ? (i32)l->keys[0].frame : -1;
  };
  for (i32 g = 0; g < 4; g++) Model3_EnsureGroupKeys(m, 2, g)->keys[0].frame = (u32)(10 + g);
  Model3_EnsureGroupKeys(m, 5, 3)->keys[0].frame = 99;
  g_Sel.g_CurGroupIndex = 1;
  Ed3D_DeleteGroupRecord(1);   // 0, 2, 3 remain
  EXPECT_EQ((std::vector<i32>{Tag(2, 0), Tag(2, 1), Tag(2, 2), Tag(2, 3)}), (std::vector<i32>{10, 12, 13, -1}));
  EXPECT_EQ(Tag(5, 2), 99);
  Ed3D_SwapGroups(0, 2);
  EXPECT_EQ((std::vector<i32>{Tag(2, 0), Tag(2, 1), Tag(2, 2)}), (std::vector<i32>{13, 12, 10}));
  EXPECT_EQ(Tag(5, 0), 99);
  EXPECT_EQ(Tag(5, 2), -1);
  Ed3D_CopyGroupRecord(0, 3);   // a copy gets copies, not the same lists
  EXPECT_EQ(Tag(5, 3), 99);
  EXPECT_NE(m->motions[5].groupKeys[3], m->motions[5].groupKeys[0]);
  Ed3D_CopyGroupRecord(1, 3);
  EXPECT_EQ(Tag(5, 3), -1);
  EXPECT_EQ(Tag(2, 3), 12);
}

}  // namespace
