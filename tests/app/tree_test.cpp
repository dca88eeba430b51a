// Hierarchy rows, one table of trees run for each of the four kinds (2D bones, 2D objects,
// 3D bones, 3D objects): rows follow the links, not the item order; collapsed items hide
// their subtrees; cycles, out-of-range parents and stale links neither crash nor loop;
// depths and labels (CP932 bytes) come out exact.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/current.h"
#include "app/shell_sel.h"
#include "app/tree.h"
#include "model/bone2.h"
#include "model/kzo.h"
#include "model/model3.h"
#include "model/obj2.h"

namespace {

// One kind of tree as the test sees it: make its document, reach an item's fields.
struct Kind {
  const char *name;
  void (*make)(void);
  void (*free)(void);
  i32 *(*count)(void);
  i32 *(*parent)(i32 i);
  i32 *(*firstChild)(i32 i);
  u32 *(*expanded)(i32 i);
  char *(*nameField)(i32 i);   // null: the labels are fixed texts
  void (*build)(void);
  void (*fill)(i32 item);
};

const i32 kSlot = 2, k2DSlot = 1;

Bone2Model *B2() { return g_Bone2Slots[kSlot]; }
Obj2Model *O2() { return g_Obj2Slots[k2DSlot]; }
Model3 *B3() { return g_Model3Slots[kSlot]; }
Obj3Set *O3() { return g_Obj3Sets[0]; }

const Kind kKinds[] = {
  {"Bones2D", [] { Bone2_Init(kSlot); }, [] { Bone2_FreeSlot(kSlot); },
   [] { return &B2()->boneCount; }, [](i32 i) { return &B2()->bones[i].parent; },
   [](i32 i) { return &B2()->bones[i].firstChild; }, [](i32 i) { return &B2()->bones[i].expanded; },
   [](i32 i) { return B2()->bones[i].name; }, Tree_BuildRowsBones2D, Tree_FillRowsBones2D},
  {"Objects2D", [] { Obj2_Init(k2DSlot); }, [] { Obj2_SetSlot(k2DSlot, nullptr); },
   [] { return &O2()->objectCount; }, [](i32 i) { return &O2()->parents[i]; },
   [](i32 i) { return &O2()->firstChild[i]; }, [](i32 i) { return &O2()->parts[i].expanded; },
   nullptr, Tree_BuildRowsObjects2D, Tree_FillRowsObjects2D},
  {"Bones3D", [] { Model3_Init(kSlot); }, [] { Model3_FreeAllSlots(); },
   [] { return &B3()->boneCount; }, [](i32 i) { return &B3()->bones[i].parent; },
   [](i32 i) { return &B3()->bones[i].firstChild; }, [](i32 i) { return &B3()->bones[i].expanded; },
   [](i32 i) { return B3()->bones[i].name; }, Tree_BuildRowsBones3D, Tree_FillRowsBones3D},
  {"Objects3D", [] { Kzo_NewSet(0); }, [] { Kzo_FreeAll(); },
   [] { return &O3()->objectCount; }, [](i32 i) { return &O3()->parts[i].parent; },
   [](i32 i) { return &O3()->parts[i].firstChild; }, [](i32 i) { return &O3()->parts[i].expanded; },
   [](i32 i) { return O3()->parts[i].path; }, Tree_BuildRowsObjects3D, Tree_FillRowsObjects3D},
};

struct Tree {
  const char *what;
  i32 count;
  std::vector<i32> parents;     // of items 1..count-1
  std::vector<i32> collapsed;   // items whose expanded flag is 0 (all others 1)
  bool collapseRootAndRefill;   // collapse the root after the build and fill again
  std::vector<std::pair<i32, i32>> rows;   // (item, depth) expected
};

const Tree kTrees[] = {
  {"one item", 1, {}, {}, false, {{0, 0}}},
  {"child numbered before its parent", 4, {3, 0, 0}, {}, false, {{0, 0}, {2, 1}, {3, 1}, {1, 2}}},
  {"collapsed root", 4, {0, 1, 0}, {}, true, {{0, 0}}},
  {"only the root expanded", 5, {0, 1, 0, 3}, {1, 2, 3, 4}, false, {{0, 0}, {1, 1}, {3, 1}}},
  {"collapsed inner item", 5, {0, 1, 2, 0}, {2}, false, {{0, 0}, {1, 1}, {2, 2}, {4, 1}}},
  // Items 1 and 2 are each other's parent (never listed); 3 and 4 name parents outside the
  // tree and hang from the root; 5 hangs from 3.
  {"cycle and parents out of range", 6, {2, 1, 99, -5, 3}, {}, false, {{0, 0}, {3, 1}, {5, 2}, {4, 1}}},
};

std::string Hex(const char *s) {
  std::string out;
  char b[4];
  for (; *s; s++) {
    snprintf(b, sizeof b, "%02x", (u8)*s);
    out += b;
  }
  return out;
}

struct TreeRowsTest : ::testing::TestWithParam<Kind> {
  void SetUp() override {
    g_Sel.g_CurSlot = kSlot;
    g_Sel.g_Cur2DSlot = k2DSlot;
    g_ModelAllocArrays = 0;
  }
  void TearDown() override {
    GetParam().free();
    g_Sel.g_CurSlot = 0;
    g_Sel.g_Cur2DSlot = 0;
  }
};

TEST_P(TreeRowsTest, RowsFollowTheLinksDepthFirst) {
  const Kind &k = GetParam();
  for (const Tree &t : kTrees) {
    SCOPED_TRACE(t.what);
    k.make();
    *k.count() = t.count;
    for (i32 i = 0; i < t.count; i++) {
      if (i > 0) *k.parent(i) = t.parents[i - 1];
      *k.expanded(i) = 1;
      *k.firstChild(i) = i;   // stale links: the builder must link again
      if (k.nameField) snprintf(k.nameField(i), 256, "item%d", i);
    }
    for (i32 c : t.collapsed) *k.expanded(c) = 0;
    g_TreeRows.count = 99;
    k.build();
    if (t.collapseRootAndRefill) {
      *k.expanded(0) = 0;
      g_TreeRows.count = 0;
      g_TreeRows.depth = 0;
      k.fill(0);
    }
    ASSERT_EQ(g_TreeRows.count, (i32)t.rows.size());
    for (size_t r = 0; r < t.rows.size(); r++) {
      const HierRow &row = g_TreeRows.rows[r];
      EXPECT_EQ(row.item, t.rows[r].first) << "row " << r;
      EXPECT_EQ(row.depth, t.rows[r].second) << "row " << r;
      i32 p = row.item == 0 ? row.parent : t.parents[row.item - 1];
      EXPECT_EQ(row.parent, p >= 0 && p < t.count ? p : 0) << "row " << r;
      if (k.nameField) {
        EXPECT_EQ(std::string(row.label), "item" + std::to_string(row.item));
      } else {
        // "親オブジェクト" for object 0, "オブジェクト" for the others, in CP932.
        const char *want = row.item == 0 ? "90658349837583578346834e8367" : "8349837583578346834e8367";
        EXPECT_EQ(Hex(row.label), want);
      }
      // The label field is zero-filled after the text.
      for (size_t b = strlen(row.label); b < sizeof row.label; b++) ASSERT_EQ(row.label[b], 0);
    }
    k.free();
  }
}

TEST_P(TreeRowsTest, NothingWithoutADocument) {
  const Kind &k = GetParam();
  k.free();
  g_TreeRows.count = 7;
  k.build();
  EXPECT_EQ(g_TreeRows.count, 7);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, TreeRowsTest, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind> &i) { return std::string(i.param.name); });

}  // namespace
