// A family switch frees no changed document unasked, of whatever family: for every family that
// holds a document, every family passed through and every family then chosen, with every
// question answered "いいえ" the document and its changed flag are still there after the
// two switches; a question about another family's document names it in full; and "はい"
// makes the switch.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/docflags.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "model/bone2.h"
#include "model/model3.h"
#include "scene/coli.h"
#include "scene/coli_edit.h"
#include "scene/map2.h"
#include "scene/movie.h"
#include "tests/scene/coli_fixture.h"
#include "tests/support/shell_fixture.h"
#include "tests/support/widget_fake.h"

namespace {

std::vector<std::string> g_questions;
bool g_answer;
bool Ask(const char *text) {
  g_questions.push_back(text);
  return g_answer;
}

void SwitchTo(u32 family) {
  if (family == FAMILY_3D_MODEL) App_SwitchTo3DFamily();
  else App_SwitchFamily(family);
}

// A family's document: how to change it recognisably, and whether it is still the one
// changed. The program's text lives in its edit control: its changed flag alone tells here.
struct Held {
  u32 family, kind;
  const char *fullName;
  void (*change)();
  bool (*intact)();
};
const Held kHeld[] = {
    {FAMILY_3D_MODEL, DOC_MODEL3, "３Ｄモデル", [] { Model3_Get(0)->renderMode = 77; },
     [] { return Model3_Get(0) && Model3_Get(0)->renderMode == 77; }},
    {FAMILY_2D_MODEL, DOC_BONE2, "２Ｄボーンモデル", [] { g_Bone2Slots[0]->placeX = 77; },
     [] { return g_Bone2Slots[0] && g_Bone2Slots[0]->placeX == 77; }},
    {FAMILY_MOVIE, DOC_MOVIE, "ムービー", [] { g_MovieScene.frameCount = 77; },
     [] { return g_MovieScene.frameCount == 77; }},
    {FAMILY_COLLISION, DOC_COLLISION, "コリジョン", [] { Coli_AddBox(); },
     [] { return g_Coli.doc && g_Coli.doc->boxCount == 1; }},
    {FAMILY_2D_MAP, DOC_MAP2, "２Ｄマップ", [] { g_Map2Editor.doc->width = 7; },
     [] { return g_Map2Editor.doc && g_Map2Editor.doc->width == 7; }},
    {FAMILY_PROGRAM, DOC_PROGRAM, "プログラムのソース", [] {}, [] { return true; }},
};
const u32 kFamilies[] = {FAMILY_PREVIEW, FAMILY_2D_MODEL, FAMILY_3D_MODEL, FAMILY_EFFECT,
                         FAMILY_2D_MAP,  FAMILY_COLLISION, FAMILY_MOVIE,   FAMILY_PROGRAM};

struct FamilyDiscardTest : ColiTest {
  void SetUp() override {
    ColiTest::SetUp();
    Shell_ResetForTest();
    WidgetFake_Install();
  }
  void TearDown() override {
    g_answer = true;
    SwitchTo(FAMILY_PREVIEW);
    WidgetFake_Remove();
    memset(g_Shell.g_DocChanged, 0, sizeof g_Shell.g_DocChanged);
    ColiTest::TearDown();
  }
  // From the preview family into h's family, its document changed by hand.
  void Hold(const Held &h) {
    memset(g_Shell.g_DocChanged, 0, sizeof g_Shell.g_DocChanged);
    g_answer = true;
    SwitchTo(FAMILY_PREVIEW);
    SwitchTo(h.family);
    ASSERT_EQ(g_Shell.g_EditFamily, h.family);
    h.change();
    Doc_MarkEdited(h.kind);
  }
};

}  // namespace

TEST_F(FamilyDiscardTest, NoSwitchFreesAChangedDocumentUnasked) {
  g_ShellSeam.askYesNo = Ask;
  for (const Held &h : kHeld)
    for (u32 via : kFamilies)
      for (u32 to : kFamilies) {
        if (via == h.family || to == via) continue;
        ASSERT_NO_FATAL_FAILURE(Hold(h));
        SCOPED_TRACE(std::string(h.fullName) + " via " + std::to_string(via) + " to " + std::to_string(to));
        g_answer = false;
        g_questions.clear();
        SwitchTo(via);
        u32 asked = (u32)g_questions.size();
        EXPECT_EQ(g_Shell.g_EditFamily, asked ? h.family : via);
        SwitchTo(to);
        EXPECT_TRUE(h.intact());
        EXPECT_TRUE(Doc_IsChanged(h.kind));
        // Asked away from its own family, the question names the document in full.
        if (g_questions.size() > asked && g_Shell.g_EditFamily != h.family) {
          EXPECT_NE(g_questions.back().find(h.fullName), std::string::npos) << g_questions.back();
        }
        // "はい" switches.
        g_answer = true;
        SwitchTo(to);
        EXPECT_EQ(g_Shell.g_EditFamily, to);
      }
}

// The trip as a user takes it: a 2D bone model edited, a look at the preview (nothing asked,
// the model stays), then the movie family: asked by name, "いいえ" keeps the model.
TEST_F(FamilyDiscardTest, TheBoneModelSurvivesATripUntilTheUserGivesItUp) {
  g_ShellSeam.askYesNo = Ask;
  ASSERT_NO_FATAL_FAILURE(Hold(kHeld[1]));
  g_answer = false;
  g_questions.clear();
  SwitchTo(FAMILY_PREVIEW);
  EXPECT_TRUE(g_questions.empty());
  SwitchTo(FAMILY_MOVIE);
  ASSERT_EQ(g_questions.size(), 1u);
  EXPECT_EQ(g_questions[0], "編集中の２Ｄボーンモデルは破棄されます。よろしいですか？");
  EXPECT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_PREVIEW);
  SwitchTo(FAMILY_2D_MODEL);
  EXPECT_TRUE(kHeld[1].intact());
  EXPECT_TRUE(Doc_IsChanged(DOC_BONE2));
}
