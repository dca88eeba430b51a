// The 3D editor's lists and layers: the fill texts byte-exact in CP932 (a wrong format, a
// missing count or an unbounded name shows here), the bone tree's order and its refuge at the
// root for parents that are not lower than the bone, the group operations' renumbering of
// polygons with their refusals, and the layer switch's first step, restore and fresh start.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "capacity_guard.h"
#include "app/current.h"
#include "app/family.h"
#include "edit3d/ed3d.h"
#include "layer_objects.h"
#include "lib/render/objects.h"
#include "model/model3.h"
#include "model/object.h"
#include "model/str.h"
#include "tests/support/hook_at.h"
#include "widget_fake.h"

namespace {

std::vector<std::string> Lines(const Ed3DLines &l) {
  std::vector<std::string> v;
  for (i32 i = 0; i < l.count; i++) v.push_back(l.text[i]);
  return v;
}

struct ModelFixture : ::testing::Test {
  CapacityGuard capacity;
  Model3 *m = nullptr;
  void SetUp() override {
    g_MaxPolygons = 64;
    g_MaxVertices = 64;
    g_ModelAllocArrays = 1;
    m = Model3_Init(0);
    g_Sel.g_CurSlot = 0;
  }
  void TearDown() override {
    Model3_FreeAllSlots();
    FreeLayerObjects();
    g_Sel.g_CurSlot = 0;
    g_ModelAllocArrays = 0;
  }
  void Polys(std::initializer_list<u32> groups) {
    m->polygonCount = 0;
    for (u32 g : groups) {
      m->polygons[m->polygonCount] = Polygon3{};
      m->polygons[m->polygonCount].cornerCount = 3;
      m->polygons[m->polygonCount++].group = g;
    }
  }
  std::vector<u32> GroupsOfPolys() const {
    std::vector<u32> v;
    for (i32 p = 0; p < m->polygonCount; p++) v.push_back(m->polygons[p].group);
    return v;
  }
};

// [SECTION] fill texts
struct FillTest : ModelFixture {
  void SetUp() override {
    ModelFixture::SetUp();
    m->boneCount = 3;
    Str_Copy(m->bones[1].name, MODEL3_NAME, "arm");
    m->bones[1].parent = 0;
    Str_Copy(m->bones[2].name, MODEL3_NAME, "hand");
    m->bones[2].parent = 1;
    m->groupCount = 3;
    Str_Copy(m->groups[0].name, MODEL3_NAME, "\x94\xa7");   // 肌
    Str_Copy(m->groups[1].name, MODEL3_NAME, "empty");
    memset(m->groups[2].name, 'x', MODEL3_NAME);            // no terminator: read at most 255
    m->groups[0].texture = 2;
    m->groups[2].shading = 5;
    // Group 200 is outside the table: not counted anywhere.
    Polys({0, 2, 0, 200});
    m->textureCount = 4;
    auto setTex = [&](i32 t, u32 used, const char *name) {
      m->textures[t].used = used;
      free(m->textures[t].name);
      m->textures[t].name = strdup(name);
    };
    setTex(1, 1, "skin.png");
    setTex(2, 1, "\x8a\xe7.bmp");   // 顔.bmp
    setTex(3, 0, "old.png");
    m->dispTexture = 1;
  }
};

TEST_F(FillTest, EveryFillHasThePanelsTextsByteExact) {
  Ed3DLines l;
  const std::string root = "\x20\x30\x20\x20\x90\x65\x83\x7b\x81\x5b\x83\x93";   // " 0  親ボーン"

  Ed3D_ParentBoneLines(m, 2, &l);
  EXPECT_EQ(Lines(l), (std::vector<std::string>{root, " 1  arm", " 2  hand ( 1 )"}));
  EXPECT_EQ(l.select, 2);

  Ed3D_ParentComboLines(m, 2, &l);
  EXPECT_EQ(Lines(l), (std::vector<std::string>{root, " 1  arm", " 2  hand"}));
  EXPECT_EQ(l.select, 1);   // the current bone's parent

  u32 counts[MODEL3_GROUPS];
  Ed3D_GroupListLines(m, 1, counts, &l);
  EXPECT_EQ(Lines(l), (std::vector<std::string>{" 0 : \x94\xa7 ( 2 )", " 1 : empty", " 2 : " + std::string(255, 'x') + " ( 1 )"}));
  EXPECT_EQ(l.select, 1);

  Ed3D_TextureComboLines(m, 2, &l);
  EXPECT_EQ(Lines(l), (std::vector<std::string>{"\x20\x30\x20\x3a\x20\x82\xc8\x82\xb5", " 1 : skin.png",
                                                " 2 : \x8a\xe7.bmp", " 3 :"}));
  EXPECT_EQ(l.select, 2);

  Ed3D_GroupDisplayLines(m, 2, &l);
  EXPECT_EQ(Lines(l), (std::vector<std::string>{"\x94\xf1\x95\x5c\x8e\xa6", "\x83\x7c\x83\x43\x83\x93\x83\x67",
                                                "\x83\x8f\x83\x43\x83\x84\x81\x5b", "\x83\x74\x83\x89\x83\x62\x83\x67",
                                                "\x83\x4f\x81\x5b\x83\x8d\x81\x5b", "\x8b\xc8\x96\xca"}));
  EXPECT_EQ(l.select, 5);

  // Without a model no line; a combo with no texture lines still selects.
  Ed3D_GroupListLines(nullptr, 0, counts, &l);
  EXPECT_EQ(l.count, 0);
  m->textureCount = 0;
  Ed3D_TextureComboLines(m, 0, &l);
  EXPECT_EQ(l.count, 0);
  EXPECT_EQ(l.select, 0);
}

// The fills put their lines into the panel's controls through the widget seam.
TEST_F(FillTest, TheBoneTreeInsertsBonesUnderLowerParentsAndTheRestAtTheRoot) {
  m->boneCount = 7;
  const i32 parents[7] = {0, 0, 1, 5, 1, -3, 200};   // bone 3: parent above itself; 5, 6: out of range
  for (i32 b = 1; b < 7; b++) {
    m->bones[b].parent = parents[b];
    Str_Format(m->bones[b].name, MODEL3_NAME, "b%d", b);
  }
  WidgetFake_Install();
  g_WidgetFake.tree = {"before the fill"};   // the fill clears the tree first
  int tree = 0;
  g_Ed3D.boneTree = &tree;
  g_Sel.g_CurBoneIndex = 4;
  Ed3D_FillBoneTree(Hook_Now());
  const std::string root = " 0  \x90\x65\x83\x7b\x81\x5b\x83\x93";
  EXPECT_EQ(g_WidgetFake.tree, (std::vector<std::string>{"root|" + root, "root| 1  b1", " 1  b1| 2  b2", "root| 3  b3",
                                                         " 1  b1| 4  b4", "root| 5  b5", "root| 6  b6"}));
  EXPECT_EQ(g_WidgetFake.expanded, (std::vector<std::string>{" 1  b1", " 1  b1"}));
  EXPECT_EQ(g_WidgetFake.treeSelected, " 4  b4");
  EXPECT_EQ(g_Sel.g_CurBoneIndex, 4u);
  EXPECT_STREQ(g_Ed3D.treeTexts[2], " 2  b2");
  memset(g_Ed3D.treeItems, 0, sizeof g_Ed3D.treeItems);
  g_Ed3D.boneTree = nullptr;
  WidgetFake_Remove();
}

// [SECTION] group operations
struct GroupCase {
  const char *what;
  i32 groups;
  bool swap;   // false: delete a
  i32 a, b;
  std::vector<u32> polysBefore, polysAfter;
  std::vector<std::string> namesAfter;
  i32 currentAfter;   // -1: unchanged (starts at 7)
};

struct GroupTest : ModelFixture {};

TEST_F(GroupTest, DeleteAndSwapRenumberThePolygonsAndRefuseWhatIsOutOfRange) {
  const std::vector<GroupCase> cases = {
      {"delete 0: group 1 joins group 0", 3, false, 0, 0, {0, 1, 2, 1}, {0, 0, 1, 0}, {"g1", "g2"}, -1},
      {"delete 1: its polygons join group 0", 3, false, 1, 0, {0, 1, 2, 1}, {0, 0, 1, 0}, {"g0", "g2"}, -1},
      {"delete the last", 3, false, 2, 0, {0, 1, 2, 1}, {0, 1, 1, 1}, {"g0", "g1"}, -1},
      {"delete past the count", 3, false, 3, 0, {0, 1, 2}, {0, 1, 2}, {"g0", "g1", "g2"}, -1},
      {"delete -1", 3, false, -1, 0, {0, 1, 2}, {0, 1, 2}, {"g0", "g1", "g2"}, -1},
      {"delete the only group", 1, false, 0, 0, {0, 0}, {0, 0}, {"g0"}, -1},
      {"swap a with a", 3, true, 1, 1, {0, 1, 2, 1}, {0, 1, 2, 1}, {"g0", "g1", "g2"}, 1},
      {"swap a with b", 3, true, 0, 2, {0, 1, 2, 0}, {2, 1, 0, 2}, {"g2", "g1", "g0"}, 2},
      {"swap with a group past the count", 3, true, 0, 3, {0, 1, 2}, {0, 1, 2}, {"g0", "g1", "g2"}, -1},
      {"swap with -1", 3, true, -1, 0, {0, 1, 2}, {0, 1, 2}, {"g0", "g1", "g2"}, -1},
  };
  for (const GroupCase &c : cases) {
    SCOPED_TRACE(c.what);
    m->groupCount = c.groups;
    for (i32 g = 0; g < 4; g++) Str_Format(m->groups[g].name, MODEL3_NAME, "g%d", g);
    m->polygonCount = 0;
    for (u32 g : c.polysBefore) {
      m->polygons[m->polygonCount] = Polygon3{};
      m->polygons[m->polygonCount++].group = g;
    }
    g_Sel.g_CurGroupIndex = 7;
    if (c.swap) Ed3D_SwapGroups(c.a, c.b);
    else Ed3D_DeleteGroupRecord(c.a);
    EXPECT_EQ(GroupsOfPolys(), c.polysAfter);
    std::vector<std::string> names;
    for (i32 g = 0; g < m->groupCount; g++) names.push_back(m->groups[g].name);
    EXPECT_EQ(names, c.namesAfter);
    EXPECT_EQ(g_Sel.g_CurGroupIndex, c.currentAfter < 0 ? 7u : (u32)c.currentAfter);
  }
  // A copy makes the next record from a group; a source outside the groups copies nothing.
  m->groupCount = 2;
  Ed3D_CopyGroupRecord(1, 2);
  EXPECT_STREQ(m->groups[2].name, "g1");
  Ed3D_CopyGroupRecord(2, 3);
  EXPECT_STREQ(m->groups[3].name, "g3");
}

// [SECTION] layers
struct LayerTest : ModelFixture {
  void SetUp() override {
    ModelFixture::SetUp();
    g_Shell.g_EditFamily = FAMILY_3D_MODEL;
    g_Shell.g_EditSubMode = SUB_3D_POLY;
    Undo_ResetAll();
    ObjectInit(0);
    Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "start");
    Undo_Push(Undo_Current());
  }
  void TearDown() override {
    g_Shell.g_EditFamily = 0;
    g_Shell.g_EditSubMode = 0;
    ModelFixture::TearDown();
  }
  static std::vector<std::string> Labels(i32 layer) {
    std::vector<std::string> v;
    const UndoHistory &h = g_Undo.histories[layer];
    for (i32 i = 0; i <= h.top; i++) v.push_back(h.steps[i].label);
    return v;
  }
};

TEST_F(LayerTest, AFirstSelectionMakesAnEmptyLayerAndLaterOnesRestoreItsStep) {
  m->boneCount = 5;   // layer 0's work, not recorded
  Ed3D_SelectLayer(2);
  const std::string start = "\x8b\x4c\x98\x5e\x8a\x4a\x8e\x6e";   // 記録開始
  ASSERT_NE(g_Model3Slots[2], nullptr);
  EXPECT_EQ(g_Sel.g_CurSlot, 2u);
  EXPECT_EQ(Current_Model3(), g_Model3Slots[2]);
  EXPECT_EQ(g_Model3Slots[2]->polygonCount, 0);
  EXPECT_EQ(Labels(2), std::vector<std::string>{start});
  EXPECT_EQ(g_Model3Slots[2]->capPolygons, 64);   // fully allocated
  EXPECT_TRUE(Object_Get(2)->shown);
  EXPECT_FALSE(Object_Get(0)->shown);
  // Layer 0 is left as it was (its history untouched, its model not restored yet).
  EXPECT_EQ(Labels(0), std::vector<std::string>{"start"});
  EXPECT_EQ(m->boneCount, 5);

  g_Model3Slots[2]->groupCount = 9;   // unrecorded work on layer 2 is dropped by a switch
  Ed3D_SelectLayer(0);
  EXPECT_EQ(m->boneCount, 2);         // back to layer 0's recorded step
  Ed3D_SelectLayer(2);
  EXPECT_EQ(g_Model3Slots[2]->groupCount, 1);
  EXPECT_EQ(Labels(2), std::vector<std::string>{start});
  for (i32 n : {1, 3, 4, 5, 6, 7, 8, 9}) EXPECT_EQ(g_Model3Slots[n], nullptr) << n;

  // Outside 0..9: nothing.
  Ed3D_SelectLayer(10);
  Ed3D_SelectLayer(-1);
  EXPECT_EQ(g_Sel.g_CurSlot, 2u);

  // A re-entry of the family empties every history: a used layer starts afresh.
  Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "edit");
  g_Model3Slots[2]->groupCount = 3;
  Undo_Push(Undo_Current());
  Undo_ResetAll();
  Ed3D_SelectLayer(2);
  EXPECT_EQ(Labels(2), std::vector<std::string>{start});
  EXPECT_EQ(g_Model3Slots[2]->groupCount, 1);
}

}  // namespace
