// Current pointers, computed when asked: they follow the slot and bone indices, and become null (never
// dangle) when the model, the bone's key table or the key they pointed into is gone.
#include <gtest/gtest.h>

#include <string>

#include "app/current.h"
#include "app/filemenu.h"
#include "app/shell_sel.h"
#include "app/shell_services.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "model/seam.h"
#include "shell_fixture.h"

TEST(CurrentPointers, FollowIndicesAndClearWhenOwnerIsGone) {
  Shell_ResetForTest();
  g_Sel.g_CurSlot = 3;
  g_Sel.g_CurBoneIndex = 1;
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_Init(3);
  ASSERT_NE(m, nullptr);
  ASSERT_TRUE(Model3_EnsureKeyTable(m, 1));
  BoneKey3 key;
  BoneKey3_Identity(&key, 0);
  ASSERT_GE(KeyTrack_Insert(&m->bones[1].keys[m->motion], &key), 0);
  m->bones[1].keyIndex = 0;
  EXPECT_EQ(Current_Model3(), m);
  EXPECT_EQ(Current_Bone3(), &m->bones[1]);
  EXPECT_EQ(Current_Motion3(), &m->motions[m->motion]);
  ASSERT_NE(Current_Bone3KeyTrack(), nullptr);
  EXPECT_EQ(Current_Bone3Key(), &Current_Bone3KeyTrack()->keys[0]);
  EXPECT_EQ(View_Active(), &g_Shell.g_Views[0][0]);

  // A key index past the track's keys: no key pointer.
  m->bones[1].keyIndex = 5;
  EXPECT_EQ(Current_Bone3Key(), nullptr);
  EXPECT_NE(Current_Bone3KeyTrack(), nullptr);

  // The slot emptied: every model pointer is null, not the freed model.
  Model3_FreeSlot(3);
  EXPECT_EQ(Current_Model3(), nullptr);
  EXPECT_EQ(Current_Bone3(), nullptr);
  EXPECT_EQ(Current_Bone3KeyTrack(), nullptr);
  EXPECT_EQ(Current_Bone3Key(), nullptr);
  EXPECT_EQ(Current_Motion3(), nullptr);

  // Out-of-range indices never index past a table.
  g_Sel.g_CurSlot = 100000;
  g_Sel.g_CurBoneIndex = 100000;
  EXPECT_EQ(Current_Model3(), nullptr);
  EXPECT_EQ(Current_SceneObject(), nullptr);
  g_Sel.g_CurSlot = 0;
  g_Sel.g_CurBoneIndex = 0;
}

// The exporters' limit: 10000 polygons pass, one more is refused with the limit message.
TEST(ExportLimit, RefusesModelsAboveTenThousandPolygons) {
  static std::string shown;
  CoreSeam saved = g_Seam;
  g_Seam.errorBox = [](const char *text) { shown = text; };
  static Model3 m;
  Model3 *savedSlot = g_Model3Slots[g_Sel.g_CurSlot];
  g_Model3Slots[g_Sel.g_CurSlot] = &m;
  struct Case { i32 polygons; bool passes; };
  for (Case c : {Case{0, true}, Case{10000, true}, Case{10001, false}, Case{65000, false}}) {
    shown.clear();
    m.polygonCount = c.polygons;
    EXPECT_EQ(FileMenu_CheckExportLimit(), c.passes) << c.polygons;
    EXPECT_EQ(shown.empty(), c.passes) << c.polygons;
  }
  // Only the limit: the message says nothing about other programs.
  EXPECT_EQ(shown, "10000 ポリゴンまでしか保存できません。");
  g_Model3Slots[g_Sel.g_CurSlot] = nullptr;
  EXPECT_TRUE(FileMenu_CheckExportLimit());
  g_Model3Slots[g_Sel.g_CurSlot] = savedSlot;
  g_Seam = saved;
}
