// MAP2 files and the 2D map editor: a hand-built file read field by field, byte-identical
// saves, every refusal keeping the map, the sample map, the cursor mapping, painting by
// mouse positions, the tile panel's rows and actions, and the modeldump output.
#include "tests/support/hook_at.h"
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>

#include <string>
#include <vector>

#include "app/docflags.h"
#include "app/shell_mouse.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "file_bytes.h"
#include "lib/framework/view_record.h"
#include "lib/media/dialogs.h"
#include "model/bytes.h"
#include "scene/map2.h"
#include "shell_fixture.h"
#include "tests/model/kz_files.h"
#include "box_fixture.h"
#include "file_messages.h"
#include "run_tool.h"

namespace {

const char kTooOld[] = "ＭＡＰ２形式のバージョンが古いので\n読み込むことができません。\n\n%s";
const char kTooNew[] =
    "ＭＡＰ２形式のバージョンが新しいので\n読み込むことができません。\n最新版へバージョンアップして下さい。\n\n%s";
const char kNotMap2[] = "%s は、ＭＡＰ２形式ではありません。";

struct Tile {
  u8 flag;
  std::string name;
};

// A MAP2 file laid down field by field.
Bytes Map2File(i32 version, const std::vector<Tile> &tiles, i32 w, i32 h, const std::vector<i32> &cells,
               const char *magic = "MAP2") {
  Bytes b;
  b.raw(magic, 4).i32_(version).i32_((i32)tiles.size());
  for (const Tile &t : tiles) b.u8_(t.flag).str(t.name.c_str());
  b.i32_(w).i32_(h);
  for (i32 c : cells) b.i32_(c);
  return b;
}

// Three tiles, 3 x 2 cells.
Bytes Sample3x2() {
  return Map2File(2005000, {{1, "草.psd"}, {0, "川.psd"}, {1, "道.png"}}, 3, 2, {0, 1, 2, 2, 1, 0});
}

struct Map2Test : BoxRecordingTest {
  void SetUp() override {
    BoxRecordingTest::SetUp();
    Shell_ResetForTest();
    g_Shell.g_EditFamily = g_Shell.g_EditSubMode = FAMILY_2D_MAP;
    memset(&g_Map2Editor, 0, sizeof g_Map2Editor);
    memset(g_Shell.g_DocChanged, 0, sizeof g_Shell.g_DocChanged);
    ASSERT_TRUE(Map2_AllocDocument());
    Map2_NewDocument();
  }
  void TearDown() override {
    Map2_FreeDocument();
    memset(&g_LibHooks.fileDlg, 0, sizeof g_LibHooks.fileDlg);
    BoxRecordingTest::TearDown();
  }
};

TEST_F(Map2Test, HandBuiltFileReadsExactlyAndSavesTheSameBytes) {
  WriteFileBytes("m.map2", Sample3x2().b);
  ASSERT_TRUE(Map2_Read("m.map2", g_Map2Editor.doc));
  const Map2Doc &d = *g_Map2Editor.doc;
  EXPECT_EQ(d.version, 2005000u);
  ASSERT_EQ(d.tileCount, 3);
  EXPECT_EQ(d.passable[0], 1);
  EXPECT_EQ(d.passable[1], 0);
  EXPECT_EQ(d.passable[2], 1);
  EXPECT_STREQ(d.names[0], "草.psd");
  EXPECT_STREQ(d.names[1], "川.psd");
  EXPECT_STREQ(d.names[2], "道.png");
  EXPECT_EQ(d.width, 3);
  EXPECT_EQ(d.height, 2);
  const i32 cells[2][3] = {{0, 1, 2}, {2, 1, 0}};
  for (int y = 0; y < 2; y++)
    for (int x = 0; x < 3; x++) EXPECT_EQ(d.grid[y][x], cells[y][x]) << x << "," << y;
  EXPECT_TRUE(Messages().empty());

  ASSERT_TRUE(Map2_Write(g_Map2Editor.doc, "w.map2"));
  EXPECT_EQ(ReadFileBytes("w.map2"), Sample3x2().b);
  // The sample map round-trips as well (20 x 20, cells outside the corner 0).
  Map2_NewDocument();
  ASSERT_TRUE(Map2_Write(g_Map2Editor.doc, "s.map2"));
  std::vector<u8> first = ReadFileBytes("s.map2");
  ASSERT_TRUE(Map2_Read("s.map2", g_Map2Editor.doc));
  ASSERT_TRUE(Map2_Write(g_Map2Editor.doc, "s2.map2"));
  EXPECT_EQ(ReadFileBytes("s2.map2"), first);
  EXPECT_EQ(first.size(), 4u + 4 + 4 + (1 + 4 + 6) * 2 + 8 + 400 * 4);
  for (const char *f : {"m.map2", "w.map2", "s.map2", "s2.map2"}) remove(f);
}

TEST_F(Map2Test, RefusedFilesSayWhyAndKeepTheMap) {
  std::vector<u8> good = Sample3x2().b;
  struct Case {
    const char *what;
    std::vector<u8> bytes;
    const char *message;
  };
  std::vector<Case> cases = {
      {"another magic", Map2File(2005000, {{1, "a"}}, 1, 1, {0}, "MAP3").b, kNotMap2},
      {"old version", Map2File(2004999, {{1, "a"}}, 1, 1, {0}).b, kTooOld},
      {"new version", Map2File(2005001, {{1, "a"}}, 1, 1, {0}).b, kTooNew},
      {"17 tiles", Map2File(2005000, std::vector<Tile>(17, {1, "a"}), 1, 1, {0}).b, kBroken},
      {"width 65", Map2File(2005000, {{1, "a"}}, 65, 1, std::vector<i32>(65, 0)).b, kBroken},
      {"height -1", Map2File(2005000, {{1, "a"}}, 1, -1, {}).b, kBroken},
      {"cell 16", Map2File(2005000, {{1, "a"}}, 2, 1, {0, 16}).b, kBroken},
      {"cell -1", Map2File(2005000, {{1, "a"}}, 2, 1, {-1, 0}).b, kBroken},
      {"300-byte name", Map2File(2005000, {{1, std::string(300, 'n')}}, 1, 1, {0}).b, kBroken},
      {"256-byte name", Map2File(2005000, {{1, std::string(256, 'n')}}, 1, 1, {0}).b, kBroken},
  };
  for (size_t n = 0; n < good.size(); n++)
    cases.push_back({"truncated", std::vector<u8>(good.begin(), good.begin() + n), n >= 4 && n < 8 ? kBroken : nullptr});
  Map2Doc before = *g_Map2Editor.doc;
  for (const Case &c : cases) {
    Messages().clear();
    WriteFileBytes("bad.map2", c.bytes);
    EXPECT_FALSE(Map2_Read("bad.map2", g_Map2Editor.doc)) << c.what << " " << c.bytes.size();
    ASSERT_EQ(Messages().size(), 1u) << c.what;
    if (c.message) EXPECT_EQ(Messages()[0], Fmt(c.message, "bad.map2")) << c.what;
    else EXPECT_TRUE(Messages()[0] == Fmt(kBroken, "bad.map2") || Messages()[0] == Fmt(kNotMap2, "bad.map2")) << c.bytes.size();
    EXPECT_EQ(memcmp(&before, g_Map2Editor.doc, sizeof before), 0) << c.what << " " << c.bytes.size();
  }
  remove("bad.map2");
  Messages().clear();
  EXPECT_FALSE(Map2_Read("no such.map2", g_Map2Editor.doc));
  EXPECT_FALSE(Map2_Read("", g_Map2Editor.doc));
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[0], Fmt(kCannotOpen, "no such.map2"));
  EXPECT_EQ(Messages()[1], "ファイル名が指定されていません。");
  EXPECT_EQ(memcmp(&before, g_Map2Editor.doc, sizeof before), 0);
  // A save that cannot be made says so and reports failure.
  Messages().clear();
  EXPECT_FALSE(Map2_Write(g_Map2Editor.doc, "no/such/folder/x.map2"));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], Fmt(kCannotSave, "no/such/folder/x.map2") +
                               "\n\n保存先のフォルダ: no/such/folder\n理由: 保存先のフォルダが見つかりません。");
}

TEST_F(Map2Test, AShortNameAfterALongOneLeavesNoTail) {
  WriteFileBytes("long.map2", Map2File(2005000, {{1, std::string(200, 'L')}}, 1, 1, {0}).b);
  WriteFileBytes("short.map2", Map2File(2005000, {{1, "s"}}, 1, 1, {0}).b);
  ASSERT_TRUE(Map2_Read("long.map2", g_Map2Editor.doc));
  ASSERT_TRUE(Map2_Read("short.map2", g_Map2Editor.doc));
  EXPECT_STREQ(g_Map2Editor.doc->names[0], "s");
  EXPECT_EQ(g_Map2Editor.doc->names[0][2], 0);
  ASSERT_TRUE(Map2_Write(g_Map2Editor.doc, "short2.map2"));
  EXPECT_EQ(ReadFileBytes("short2.map2"), ReadFileBytes("short.map2"));
  for (const char *f : {"long.map2", "short.map2", "short2.map2"}) remove(f);
}

TEST_F(Map2Test, SampleMapAndCurrentTileAfterARead) {
  const Map2Doc &d = *g_Map2Editor.doc;
  EXPECT_EQ(d.tileCount, 2);
  EXPECT_STREQ(d.names[0], "草.psd");
  EXPECT_STREQ(d.names[1], "川.psd");
  EXPECT_EQ(d.passable[0], 1);
  EXPECT_EQ(d.passable[1], 0);
  EXPECT_EQ(d.width, 20);
  EXPECT_EQ(d.height, 20);
  for (int y = 0; y < MAP2_SIDE; y++)
    for (int x = 0; x < MAP2_SIDE; x++)
      EXPECT_EQ(d.grid[y][x], (x < 8 && y < 8 && (x == 0 || y == 0)) ? 1 : 0) << x << "," << y;
  // A map with fewer tiles brings the current tile below its count.
  g_Map2Editor.currentTile = 1;
  WriteFileBytes("one.map2", Map2File(2005000, {{0, "a"}}, 1, 1, {0}).b);
  ASSERT_TRUE(Map2_Read("one.map2", g_Map2Editor.doc));
  EXPECT_EQ(g_Map2Editor.currentTile, 0);
  remove("one.map2");
}

TEST_F(Map2Test, CursorFollowsTheMouseWithPanAndScrollClampedToTheMap) {
  struct Case {
    i32 mx, my;
    f32 panX, panY;
    i32 scrollX, scrollY;
    i32 column, row;
    bool underMouse;   // the cell found is the one drawn under the mouse
  };
  const Case cases[] = {
      // Cell (0, 0) lies at client (464, 376) with the family's pan (-160, -120).
      {464, 376, -160, -120, 0, 0, 0, 0, true},
      {495, 407, -160, -120, 0, 0, 0, 0, true},
      {496, 408, -160, -120, 0, 0, 1, 1, true},
      {464 + 32 * 5 + 3, 376 + 32 * 7 + 3, -160, -120, 0, 0, 5, 7, true},
      {464 + 32 * 5 + 3, 376 + 32 * 7 + 3, -160, -120, 2, 3, 7, 10, true},
      {624, 496, 0, 0, 0, 0, 0, 0, true},     // another pan moves the cells
      {656, 528, 0, 0, 0, 0, 1, 1, true},
      {0, 0, -160, -120, 0, 0, 0, 0, true},   // clamped at the top-left
      {2000, 2000, -160, -120, 0, 0, 19, 19, true},   // and at the bottom-right
      {464, 376, -160, -120, -30, 40, 0, 19, true},
      // Division toward zero: a position just left of and above the origin still counts as
      // cell 0 of its scroll, one cell off the drawing (only reachable with a pan above -16).
      {6, 6, 0, 0, 20, 16, 1, 1, false},
  };
  for (const Case &c : cases) {
    g_Map2Editor.scrollX = c.scrollX;
    g_Map2Editor.scrollY = c.scrollY;
    i32 col = -9, row = -9;
    ASSERT_TRUE(Map2_CursorFromMouse(c.mx, c.my, c.panX, c.panY, &col, &row));
    EXPECT_EQ(col, c.column) << c.mx << "," << c.my;
    EXPECT_EQ(row, c.row) << c.mx << "," << c.my;
    if (!c.underMouse) continue;
    i32 x, y;
    Map2_CellToScreen(col, row, 32 * c.scrollX, 32 * c.scrollY, &x, &y);
    f32 ox = 320 + c.panX, oy = 272 + c.panY;   // the 2D frame's placement on a 1280 x 1024 desktop
    bool inside = c.mx >= x + ox && c.mx < x + ox + 32 && c.my >= y + oy && c.my < y + oy + 32;
    bool clamped = col == 0 || row == 0 || col == 19 || row == 19;
    EXPECT_TRUE(inside || clamped) << c.mx << "," << c.my;
  }
}

TEST_F(Map2Test, DraggingTheLeftButtonPaintsTheCellsUnderTheMouse) {
  ViewRecord *v = View_Get(FAMILY_2D_MAP, 0);
  v->panX = -160;
  v->panY = -120;
  g_Map2Editor.currentTile = 1;
  auto at = [](i32 col, i32 row) { return std::pair<i32, i32>{464 + 32 * col + 10, 376 + 32 * row + 10}; };
  // Hovering paints nothing.
  g_Mouse.g_MouseX = at(10, 10).first;
  g_Mouse.g_MouseY = at(10, 10).second;
  Map2_Update(Hook_Now());
  EXPECT_EQ(g_Map2Editor.doc->grid[10][10], 0);
  EXPECT_FALSE(Doc_IsChanged(DOC_MAP2));
  // A drag along row 12 from column 3 to 6, then released over column 9.
  Map2_LButtonDown(Hook_At(at(3, 12).first, at(3, 12).second));
  for (i32 col = 3; col <= 6; col++) {
    g_Mouse.g_MouseX = at(col, 12).first;
    g_Mouse.g_MouseY = at(col, 12).second;
    Map2_Update(Hook_Now());
  }
  Map2_LButtonUp(Hook_At(at(9, 12).first, at(9, 12).second));
  g_Mouse.g_MouseX = at(9, 12).first;
  Map2_Update(Hook_Now());
  for (i32 y = 0; y < 20; y++)
    for (i32 x = 0; x < 20; x++) {
      i32 expect = (x < 8 && y < 8 && (x == 0 || y == 0)) || (y == 12 && x >= 3 && x <= 6) ? 1 : 0;
      EXPECT_EQ(g_Map2Editor.doc->grid[y][x], expect) << x << "," << y;
    }
  EXPECT_TRUE(Doc_IsChanged(DOC_MAP2));
  EXPECT_EQ(g_Map2Editor.cursorX, 9);
  EXPECT_EQ(g_Map2Editor.cursorY, 12);

  // An empty map has no cell: painting changes nothing (no grid[-1]).
  WriteFileBytes("empty.map2", Map2File(2005000, {{1, "a"}}, 0, 0, {}).b);
  ASSERT_TRUE(Map2_Read("empty.map2", g_Map2Editor.doc));
  remove("empty.map2");
  Map2Doc before = *g_Map2Editor.doc;
  Map2_LButtonDown(Hook_At(0, 0));
  for (i32 m : {0, 500, 3000}) {
    g_Mouse.g_MouseX = g_Mouse.g_MouseY = m;
    Map2_Update(Hook_Now());
  }
  EXPECT_EQ(memcmp(&before, g_Map2Editor.doc, sizeof before), 0);
}

const char *AnswerName;
bool AnswerDialog(FileDlgRequest *req) {
  Str_Copy(req->file, FILEDLG_TEXT, AnswerName);
  Str_Copy(req->fileTitle, FILEDLG_TEXT, AnswerName);
  return true;
}

TEST_F(Map2Test, TilePanelRowsAndActions) {
  auto row = [](i32 i) {
    char t[300];
    Map2_RowText(i, t, sizeof t);
    return std::string(t);
  };
  EXPECT_EQ(row(0), " 0 : ○ : 草.psd");
  EXPECT_EQ(row(1), " 1 : × : 川.psd");
  // "追加": the chosen file becomes tile 2 and the current tile.
  g_LibHooks.fileDlg.run = AnswerDialog;
  AnswerName = "石.png";
  EXPECT_TRUE(Map2_PanelCommand(IDC_MAP2_ADD, -1));
  EXPECT_EQ(g_Map2Editor.doc->tileCount, 3);
  EXPECT_EQ(g_Map2Editor.currentTile, 2);
  EXPECT_EQ(row(2), " 2 : × : 石.png");
  EXPECT_TRUE(Doc_IsChanged(DOC_MAP2));
  // "移動○×" toggles the current tile.
  EXPECT_TRUE(Map2_PanelCommand(IDC_MAP2_PASSABLE, -1));
  EXPECT_EQ(row(2), " 2 : ○ : 石.png");
  // A list without a selection (LB_ERR) changes nothing; a row chooses its tile.
  Map2_PanelCommand(IDC_MAP2_LIST, -1);
  EXPECT_EQ(g_Map2Editor.currentTile, 2);
  Map2_PanelCommand(IDC_MAP2_LIST, 1);
  EXPECT_EQ(g_Map2Editor.currentTile, 1);
  Map2_PanelCommand(IDC_MAP2_LIST, 7);
  EXPECT_EQ(g_Map2Editor.currentTile, 1);
  // At 16 tiles the 17th is refused before the dialog opens.
  while (g_Map2Editor.doc->tileCount < MAP2_TILES) Map2_PanelCommand(IDC_MAP2_ADD, -1);
  g_LibHooks.fileDlg.run = nullptr;
  Messages().clear();
  Map2_PanelCommand(IDC_MAP2_ADD, -1);
  EXPECT_EQ(g_Map2Editor.doc->tileCount, MAP2_TILES);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], "これ以上 追加できません。");
  EXPECT_EQ(row(15), "15 : × : 石.png");
  // "サンプルデータセット" brings the sample back.
  EXPECT_TRUE(Map2_PanelCommand(IDC_MAP2_SAMPLE, -1));
  EXPECT_EQ(g_Map2Editor.doc->tileCount, 2);
  EXPECT_EQ(g_Map2Editor.currentTile, 1);
}

TEST_F(Map2Test, ModeldumpPrintsMap2Files) {
  if (!Test_ToolBuilt("./modeldump")) GTEST_SKIP() << "modeldump not built here";
  WriteFileBytes("d.map2", Sample3x2().b);
  std::string out;
  ASSERT_EQ(Test_Modeldump("d.map2", &out), 0);
  EXPECT_EQ(out,
            "{\"file\":\"d.map2\",\"format\":\"map2\",\"version\":2005000,\"tiles\":["
            "{\"passable\":1,\"name\":\"\xe8\x8d\x89.psd\"},{\"passable\":0,\"name\":\"\xe5\xb7\x9d.psd\"},"
            "{\"passable\":1,\"name\":\"\xe9\x81\x93.png\"}],\"width\":3,\"height\":2,\"rows\":[[0,1,2],[2,1,0]]}\n");
  remove("d.map2");
}

}  // namespace
