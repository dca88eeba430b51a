// The texture panels' shared steps: the image panel's button and rectangle state through press
// and release sequences (a rectangle only under the select tool and a lone left or right
// button, ended when both are up, never by the middle button), the preview's copy of it, and
// the add and replace choice's refusals, cancels and chosen entries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/strip_state.h"
#include "app/tex_panel.h"
#include "lib/framework/lib.h"
#include "lib/media/dialogs.h"

namespace {

// One step: press (down) or release of a button at (x, y).
struct MouseStep {
  bool down;
  u32 button;
  i32 x, y;
};

struct MouseCase {
  const char *name;
  bool selectTool;
  std::vector<MouseStep> steps;
  u32 left, right, middle, rectActive, dragRight;
  i32 rect[4];
};

TEST(TexPanel, ButtonsAndRectangleFollowThePressesAndReleases) {
  const MouseCase cases[] = {
      {"left under select starts the rectangle", true, {{true, 0, 5, 6}}, 1, 0, 0, 1, 0, {5, 6, 5, 6}},
      {"right alone draws it in the right colour", true, {{true, 1, 7, 8}}, 0, 1, 0, 1, 1, {7, 8, 7, 8}},
      {"a second button keeps the first start", true, {{true, 0, 1, 2}, {true, 1, 9, 9}}, 1, 1, 0, 1, 0, {1, 2, 1, 2}},
      {"the middle button starts none", true, {{true, 2, 3, 3}}, 0, 0, 1, 0, 0, {0, 0, 0, 0}},
      {"other tools start none", false, {{true, 0, 4, 4}}, 1, 0, 0, 0, 0, {0, 0, 0, 0}},
      {"middle up keeps it", true, {{true, 0, 2, 2}, {true, 2, 0, 0}, {false, 2, 0, 0}}, 1, 0, 0, 1, 0, {2, 2, 2, 2}},
      {"right up with left held keeps it", true, {{true, 0, 2, 2}, {true, 1, 0, 0}, {false, 1, 0, 0}}, 1, 0, 0, 1, 0, {2, 2, 2, 2}},
      {"left up ends it", true, {{true, 0, 2, 2}, {false, 0, 0, 0}}, 0, 0, 0, 0, 0, {2, 2, 2, 2}},
  };
  for (const MouseCase &c : cases) {
    TexPanelMouse pm = {};
    for (const MouseStep &s : c.steps) {
      if (s.down) TexPanel_Press(&pm, s.button, s.x, s.y, c.selectTool);
      else TexPanel_Release(&pm, s.button);
    }
    EXPECT_EQ(pm.left, c.left) << c.name;
    EXPECT_EQ(pm.right, c.right) << c.name;
    EXPECT_EQ(pm.middle, c.middle) << c.name;
    EXPECT_EQ(pm.rectActive, c.rectActive) << c.name;
    for (int k = 0; k < 4; k++) EXPECT_EQ(pm.rect[k], c.rect[k]) << c.name << " " << k;
    StripTexView v = {};
    TexPanelShown shown = {3, true, false, 2.0f, 10, 20, nullptr, nullptr, nullptr, nullptr};
    TexPanel_ShowPreview(&v, &shown, &pm);
    EXPECT_EQ(v.dragActive, c.rectActive) << c.name;
    EXPECT_EQ(v.dragRight, c.dragRight) << c.name;
    EXPECT_EQ(v.drag[0], c.rect[0]) << c.name;
    EXPECT_EQ(v.texture, 3) << c.name;
    EXPECT_EQ(v.inUse, 1u) << c.name;
    EXPECT_EQ(v.groupUses, 0u) << c.name;
  }
}

std::string g_file;
int g_asked;
std::vector<std::string> g_said;
bool Answer(FileDlgRequest *req) {
  g_asked++;
  Str_Copy(req->file, FILEDLG_TEXT, g_file.c_str());
  return !g_file.empty();
}
void Say(const char *text) { g_said.push_back(text); }

TEST(TexPanel, AddAndReplaceChooseTheirEntryOrRefuse) {
  struct Case {
    const char *name;
    bool add;
    i32 current, count;
    const char *file;
    bool ok, asked, said;
    i32 entry;
    const char *chosen;   // null: no file
  } cases[] = {
      {"add appends", true, 2, 5, "a.bmp", true, true, false, 5, "a.bmp"},
      {"add to a full table is refused", true, 2, 128, "a.bmp", false, false, true, 128, nullptr},
      {"a cancelled add loads nothing", true, 2, 5, "", true, true, false, 5, nullptr},
      {"replace takes the current entry", false, 2, 5, "b.bmp", true, true, false, 2, "b.bmp"},
      {"entry 0 is refused", false, 0, 5, "b.bmp", false, false, true, 0, nullptr},
      {"an entry past the table does nothing", false, 7, 5, "b.bmp", true, false, false, 7, nullptr},
  };
  g_LibHooks.fileDlg.run = Answer;
  for (const Case &c : cases) {
    g_file = c.file;
    g_asked = 0;
    g_said.clear();
    i32 entry = -1;
    const char *name = "stale";
    EXPECT_EQ(TexPanel_ChooseEntry(c.add, c.current, c.count, 128, Say, &entry, &name), c.ok) << c.name;
    EXPECT_EQ(g_asked != 0, c.asked) << c.name;
    EXPECT_EQ(g_said.size(), c.said ? 1u : 0u) << c.name;
    EXPECT_EQ(entry, c.entry) << c.name;
    EXPECT_EQ(name ? std::string(name) : "(none)", c.chosen ? c.chosen : "(none)") << c.name;
  }
  g_LibHooks.fileDlg.run = nullptr;
}

}  // namespace
