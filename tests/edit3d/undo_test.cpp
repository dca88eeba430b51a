// The per-layer undo history: a full history keeps the last ten steps by rotating its
// snapshots; recording after undos drops the undone steps; the ends of the history change
// nothing; the list walk moves one whole restore at a time and ignores lines it cannot reach;
// nothing happens outside family 11 or on slot 10; a layer used before a re-entry of the
// family never gets its old model back; snapshots leave the caller's one-shot flag alone.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "capacity_guard.h"
#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "edit3d/ed3d_rows.h"
#include "edit3d/undo.h"
#include "lib/draw/drawdev.h"
#include "model/model3.h"
#include "widget_fake.h"

namespace {

// The undo list box as the widget fake sees it, and the layer model's mark at every refill.
int g_list;
std::vector<i32> g_refills;
void (*g_fakeReset)(void *);
std::vector<std::string> &Lines() { return g_WidgetFake.lines[&g_list]; }
i32 Selected() { return g_WidgetFake.selection[&g_list]; }

Model3 *Layer() { return g_Model3Slots[g_Sel.g_CurSlot]; }
// Each test state is told apart by one mark: the first position's x.
void Mark(i32 v) { Layer()->positions[0].x = (f32)v; }
i32 MarkOf(const Model3 *m) { return (i32)m->positions[0].x; }

struct UndoTest : ::testing::Test {
  CapacityGuard capacity;
  void SetUp() override {
    g_MaxPolygons = 16;
    g_MaxVertices = 64;
    memset(&g_ShellSeam, 0, sizeof g_ShellSeam);
    // The family's list refresh refills the undo list too; the refills counted here are the
    // history's own.
    g_FamilyHooks[FAMILY_3D_MODEL].refreshLists = nullptr;
    g_Shell.g_EditFamily = FAMILY_3D_MODEL;
    g_Sel.g_CurSlot = 0;
    Undo_ResetAll();
    g_Undo.list = &g_list;
    WidgetFake_Install();
    g_fakeReset = g_Widget.listReset;
    g_Widget.listReset = [](void *list) {
      g_fakeReset(list);
      g_refills.push_back(Layer() ? MarkOf(Layer()) : -1);
    };
    NewLayer(0);
    g_refills.clear();
  }
  void TearDown() override {
    Model3_FreeAllSlots();
    g_Undo.list = nullptr;
    WidgetFake_Remove();
    Edit3D_Install();
    g_Sel.g_CurSlot = 0;
    g_Shell.g_EditFamily = 0;
    g_ModelAllocArrays = 0;
  }
  static void NewLayer(i32 slot) {
    g_ModelAllocArrays = 1;
    Model3_Init(slot);
    g_Model3Slots[slot]->positionCount = 1;
  }
  // Records steps marked first..last, labelled "s<mark>".
  static void PushRange(i32 first, i32 last) {
    for (i32 v = first; v <= last; v++) {
      Mark(v);
      snprintf(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "s%d", v);
      Undo_Push(Undo_Current());
    }
  }
  static std::vector<std::string> Labels(i32 first, i32 last) {
    std::vector<std::string> v;
    for (i32 i = first; i <= last; i++) v.push_back("s" + std::to_string(i));
    return v;
  }
};

TEST_F(UndoTest, ElevenPushesKeepTheLastTenByRotatingTheSnapshots) {
  PushRange(0, 9);
  UndoHistory *h = Undo_Current();
  std::set<Model3 *> first;
  for (const UndoStep &s : h->steps) first.insert(s.snapshot);
  PushRange(10, 10);
  EXPECT_EQ(h->index, 9);
  EXPECT_EQ(h->top, 9);
  EXPECT_EQ(Lines(), Labels(1, 10));
  EXPECT_EQ(Selected(), 9);
  for (i32 i = 0; i < UNDO_STEPS; i++) EXPECT_EQ(MarkOf(h->steps[i].snapshot), i + 1) << i;
  // 1,000 more records reuse the same ten snapshots.
  PushRange(11, 1010);
  std::set<Model3 *> after;
  for (const UndoStep &s : h->steps) after.insert(s.snapshot);
  EXPECT_EQ(after, first);
  EXPECT_EQ(first.size(), 10u);
  EXPECT_EQ(Lines(), Labels(1001, 1010));
  // Recording after two undos drops the two undone steps.
  Undo_Undo(h);
  Undo_Undo(h);
  PushRange(2000, 2000);
  EXPECT_EQ(h->top, 8);
  EXPECT_EQ(Lines().back(), "s2000");
  EXPECT_EQ(Lines()[7], "s1008");
}

TEST_F(UndoTest, TheEndsOfTheHistoryChangeNothingButRedoAtNineOfTen) {
  struct Case {
    const char *what;
    i32 steps;     // recorded: marks 0..steps-1
    i32 undos;     // made before the operation
    bool redo;     // the operation: redo, else undo
    i32 index;     // afterwards
    bool restored; // the model (marked 99 before the operation) came back from a step
  };
  const Case cases[] = {
    {"undo at step 0", 3, 2, false, 0, false},
    {"redo at the top", 3, 0, true, 2, false},
    {"redo at step 9 of ten", 10, 0, true, 9, true},
    {"undo in the middle", 3, 0, false, 1, true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    Undo_ResetAll();
    PushRange(0, c.steps - 1);
    for (i32 i = 0; i < c.undos; i++) Undo_Undo(Undo_Current());
    Mark(99);
    if (c.redo) Undo_Redo(Undo_Current());
    else Undo_Undo(Undo_Current());
    EXPECT_EQ(Undo_Current()->index, c.index);
    EXPECT_EQ(MarkOf(Layer()), c.restored ? c.index : 99);
    EXPECT_EQ(Undo_Current()->top, c.steps - 1);
  }
}

TEST_F(UndoTest, ChoosingALineWalksOneWholeRestoreAtATime) {
  PushRange(0, 6);
  g_refills.clear();
  Undo_ChooseLine(2);
  EXPECT_EQ(g_refills, (std::vector<i32>{5, 4, 3, 2}));
  EXPECT_EQ(Undo_Current()->index, 2);
  g_refills.clear();
  Undo_ChooseLine(6);
  EXPECT_EQ(g_refills, (std::vector<i32>{3, 4, 5, 6}));
  // LB_ERR and lines past the top are ignored: the walk ends and nothing moves.
  for (i32 line : {-1, 7, 9, 12}) {
    g_refills.clear();
    Undo_ChooseLine(line);
    EXPECT_TRUE(g_refills.empty()) << line;
    EXPECT_EQ(Undo_Current()->index, 6) << line;
  }
}

TEST_F(UndoTest, NothingChangesOutsideTheFamilyOrOnTheBackgroundSlot) {
  PushRange(0, 4);
  Undo_Undo(Undo_Current());
  NewLayer(10);   // (slot 0 stays current for now)
  static UndoManager before;
  memcpy(&before, &g_Undo, sizeof before);
  struct Case { u32 family; u32 slot; } cases[] = {{FAMILY_2D_MODEL, 0}, {FAMILY_PREVIEW, 0}, {FAMILY_3D_MODEL, 10}};
  for (const Case &c : cases) {
    g_Shell.g_EditFamily = c.family;
    g_Sel.g_CurSlot = c.slot;
    Mark(50);
    g_refills.clear();
    UndoHistory *h = &g_Undo.histories[0];
    Undo_Push(h);
    Undo_Undo(h);
    Undo_Redo(h);
    Undo_Restore(h);
    Undo_ChooseLine(0);
    if (c.slot == 10) Undo_FillList();
    EXPECT_EQ(memcmp(&before, &g_Undo, sizeof before), 0) << c.family << "/" << c.slot;
    EXPECT_EQ(MarkOf(Layer()), 50);
    EXPECT_TRUE(g_refills.empty());
    EXPECT_EQ(Undo_Current() == nullptr, c.slot == 10);
  }
}

// Layer 3 used, the family entered again (every history reset), layer 3 used again: the
// model from before the re-entry must never come back, by the layer switch's own steps or by
// a restore without them.
TEST_F(UndoTest, ALayerUsedBeforeAReEntryStartsAfresh) {
  for (bool layerSwitchSteps : {true, false}) {
    SCOPED_TRACE(layerSwitchSteps ? "with the first-step query" : "restore only");
    g_Sel.g_CurSlot = 3;
    NewLayer(3);
    PushRange(1, 4);   // the old model: marks 1..4
    Undo_Install();    // the family switch resets through the shell's entry
    g_ShellSeam.undoResetAll();
    UndoHistory *h = Undo_Current();
    if (layerSwitchSteps) {
      ASSERT_FALSE(Undo_HasSteps(h));
      NewLayer(3);
      Mark(10);
      g_ShellSeam.undoPush("記録開始");
    } else {
      Mark(10);
    }
    Undo_Restore(h);
    PushRange(11, 12);
    for (i32 i = 0; i < 12; i++) {
      Undo_Undo(h);
      EXPECT_GE(MarkOf(Layer()), 10);
    }
    for (i32 i = 0; i < 12; i++) {
      Undo_Redo(h);
      EXPECT_GE(MarkOf(Layer()), 10);
    }
    EXPECT_EQ(MarkOf(Layer()), 12);
    EXPECT_EQ(Lines().front(), layerSwitchSteps ? "記録開始" : "s11");
  }
}

TEST_F(UndoTest, ARecordLeavesTheEditedFlagsAndTheOneShotFlagRight) {
  Doc_MarkEdited(DOC_MODEL3);
  g_ModelAllocArrays = 1;   // a caller about to make a full model
  PushRange(0, 0);
  EXPECT_EQ(g_ModelAllocArrays, 1u);
  EXPECT_LT(Undo_Current()->steps[0].snapshot->capPositions, (i32)g_MaxVertices);
  EXPECT_EQ(g_Shell.g_EditedFlag, 0u);
  EXPECT_TRUE(Doc_IsChanged(DOC_MODEL3));   // still differs from what was loaded
  Doc_ClearChanged(DOC_MODEL3);
  // An empty layer records nothing (no old snapshot filed under a new label).
  Model3_FreeSlot(0);
  Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "s1");
  Undo_Push(Undo_Current());
  EXPECT_EQ(Undo_Current()->top, 0);
  EXPECT_EQ(Lines(), (std::vector<std::string>{"s0"}));
}

}  // namespace

// A quick load replaces the layer's device textures; every undo and redo that brings a model
// back brings its textures back (each step holds its own), references stay balanced, and a
// device that is replaced takes every kept texture with it (none is handed out again).
TEST_F(UndoTest, RestoresBringBackTheTexturesOfTheirStep) {
  static std::map<void *, int> refs;
  refs.clear();
  DrawDev saved = g_Dev.draw;
  g_Dev.draw.retain = [](void *t) { refs[t]++; };
  g_Dev.draw.release = [](void *t) { refs[t]--; };
  static int a, b;   // two textures: the model's own, then the quick load's
  ModelPose *pose = g_ModelPoses[0];
  ASSERT_NE(pose, nullptr);
  auto load = [&](void *t, i32 mark) {   // a texture made by a load: one reference, the pose's
    DrawDev_Release(pose->textures[1]);
    pose->textures[1] = t;
    refs[t] = 1;
    Mark(mark);
    Undo_Push(Undo_Current());
  };
  load(&a, 1);
  load(&b, 2);
  UndoHistory *h = Undo_Current();
  struct { void (*op)(UndoHistory *); i32 mark; void *texture; } walk[] = {
      {Undo_Undo, 1, &a}, {Undo_Redo, 2, &b}, {Undo_Undo, 1, &a}, {Undo_Undo, 1, &a}, {Undo_Redo, 2, &b},
  };
  for (const auto &w : walk) {
    w.op(h);
    EXPECT_EQ(MarkOf(Layer()), w.mark);
    EXPECT_EQ(pose->textures[1], w.texture) << w.mark;
  }
  // Held by the pose and its step (a), or the pose and the step of b.
  EXPECT_EQ(refs[&a], 1);
  EXPECT_EQ(refs[&b], 2);
  // A replaced device: the steps let their textures go and never put them back.
  Undo_Install();
  ASSERT_NE(g_Dev.releaseKept, nullptr);
  g_Dev.releaseKept();
  EXPECT_EQ(refs[&a], 0);
  EXPECT_EQ(refs[&b], 1);   // the pose's own
  Undo_Undo(h);
  EXPECT_EQ(MarkOf(Layer()), 1);
  EXPECT_EQ(pose->textures[1], (void *)&b);
  pose->textures[1] = nullptr;
  g_Dev.draw = saved;
}

// After a save (the flag cleared), every undo, redo or list jump that puts another step into
// the model makes it a changed document again, so the replacing commands ask; one that moves
// nothing (the ends of the history) leaves it saved.
TEST_F(UndoTest, UndoRedoAndAListJumpMakeASavedModelChanged) {
  struct Case {
    const char *what;
    i32 undosBefore;
    void (*op)(void);
    bool changed;
  };
  const Case cases[] = {
    {"undo", 0, [] { Undo_Undo(Undo_Current()); }, true},
    {"redo", 1, [] { Undo_Redo(Undo_Current()); }, true},
    {"list jump", 0, [] { Undo_ChooseLine(1); }, true},
    {"undo at step 0", 3, [] { Undo_Undo(Undo_Current()); }, false},
    {"redo at the top", 0, [] { Undo_Redo(Undo_Current()); }, false},
    {"list line of the current step", 0, [] { Undo_ChooseLine(3); }, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    Undo_ResetAll();
    PushRange(0, 3);
    for (i32 i = 0; i < c.undosBefore; i++) Undo_Undo(Undo_Current());
    Doc_ClearChanged(DOC_MODEL3);   // saved here
    g_Shell.g_EditedFlag = 0;
    c.op();
    EXPECT_EQ(Doc_IsChanged(DOC_MODEL3), c.changed);
    EXPECT_EQ(g_Shell.g_EditedFlag, 0u) << "no edit of its own: no undo step is recorded for it";
  }
  Doc_ClearChanged(DOC_MODEL3);
}
