// The 2D map family inside the started program, driven by messages: "２Ｄマップ" shows the
// sample map and the tile dialog's rows; "追加" with a test PNG adds row 2 and "移動○×" makes
// it passable; a left drag across the main view paints a row of cells; the File menu's MAP2
// writer writes exactly those cells and its reader brings them back; entered again from every
// family, the map's tiles are drawn.
//
// With MIRAVEL_MAP2_HOLD=<seconds> the test keeps the program running that long after the
// drag, so that the screen can be looked at (import -display ... -window root).
#include <gtest/gtest.h>
#include <windows.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "app/family.h"
#include "app/shell_win.h"
#include "app/startup_win.h"
#include "app/views.h"
#include "app/winmain_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "lib/media/dialogs.h"
#include "model/bytes.h"
#include "resources/map2_ids.h"
#include "resources/shell_ids.h"
#include "scene/map2.h"
#include "file_bytes.h"
#include "wine_drive.h"

namespace {

std::string g_dir;

std::vector<std::string> ListRows(void) {
  std::vector<std::string> rows;
  HWND list = (HWND)g_Map2Editor.list;
  LRESULT n = SendMessageA(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < n; i++) {
    char t[300] = {};
    SendMessageA(list, LB_GETTEXT, (WPARAM)i, (LPARAM)t);
    rows.push_back(t);
  }
  return rows;
}

void Click(i32 id) {
  HWND dlg = (HWND)g_Map2Editor.dialog;
  SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id));
}

// The client position inside cell (column, row) by the cursor mapping with the family's pan
// (-160, -120) and no scroll.
LPARAM CellPoint(i32 column, i32 row) {
  return MAKELPARAM(32 * (column + 19) + 16 - 160 + 10, 32 * (row + 15) + 16 - 120 + 10);
}

void Drag(i32 row, i32 from, i32 to) {
  HWND main = g_Lib.mainWnd;
  SendMessageA(main, WM_MOUSEMOVE, 0, CellPoint(from, row));
  Drive_Pump(3);
  SendMessageA(main, WM_LBUTTONDOWN, MK_LBUTTON, CellPoint(from, row));
  for (i32 c = from; c <= to; c++) {
    SendMessageA(main, WM_MOUSEMOVE, MK_LBUTTON, CellPoint(c, row));
    // The cell is painted by a frame after the cursor reached it: wait for that frame too.
    Drive_PumpUntil([&] { return g_Map2Editor.cursorX == c; }, 500);
    Drive_PumpUntil([&] { return g_Map2Editor.doc->grid[row][c] == g_Map2Editor.currentTile; }, 500);
  }
  SendMessageA(main, WM_LBUTTONUP, 0, CellPoint(to, row));
  Drive_Pump(3);
}

}  // namespace

TEST(Map2InProcess, TilesArePaintedSavedAndReopened) {
  g_dir = Drive_NewAnswerFolder("map2win");
  ASSERT_TRUE(CopyFileA(SourcePath("tests/golden/draw/textures.png").c_str(), (g_dir + "\\t.png").c_str(), FALSE));

  // "２Ｄマップ": the sample map, the tile dialog with its two rows and the family's menu.
  ASSERT_NO_FATAL_FAILURE(Drive_StartFamily(WinMain_InstallEditors, IDC_EDIT_2D_MAP, FAMILY_2D_MAP));
  ASSERT_NE(g_Map2Editor.doc, nullptr);
  ASSERT_NE(g_Map2Editor.dialog, nullptr);
  EXPECT_TRUE(IsWindowVisible((HWND)g_Map2Editor.dialog));
  EXPECT_EQ(ListRows(), (std::vector<std::string>{" 0 : ○ : 草.psd", " 1 : × : 川.psd"}));
  EXPECT_EQ(g_Map2Editor.tiles[0].loaded, 1u);
  EXPECT_EQ(g_Map2Editor.tiles[1].loaded, 1u);
  EXPECT_EQ(g_Map2Editor.character.loaded, 1u);
  EXPECT_NE(GetMenuState(GetMenu(g_Lib.mainWnd), IDM_MAP2_SAVE, MF_BYCOMMAND), (UINT)-1);

  // "追加" with the test PNG, then "移動○×".
  g_DriveAnswer = "t.png";
  Click(IDC_MAP2_ADD);
  Drive_Pump(5);
  EXPECT_EQ(ListRows(), (std::vector<std::string>{" 0 : ○ : 草.psd", " 1 : × : 川.psd", " 2 : × : t.png"}));
  EXPECT_EQ(g_Map2Editor.currentTile, 2);
  EXPECT_EQ(g_Map2Editor.tiles[2].loaded, 1u);
  Click(IDC_MAP2_PASSABLE);
  EXPECT_EQ(ListRows()[2], " 2 : ○ : t.png");
  EXPECT_EQ(SendMessageA((HWND)g_Map2Editor.list, LB_GETCURSEL, 0, 0), 2);

  // A left drag along row 3 from column 2 to 9 paints tile 2 there.
  Drag(3, 2, 9);
  for (i32 c = 0; c < 20; c++) EXPECT_EQ(g_Map2Editor.doc->grid[3][c], c >= 2 && c <= 9 ? 2 : c == 0 ? 1 : 0) << c;
  EXPECT_EQ(g_Map2Editor.painting, 0);
  Map2Doc painted = *g_Map2Editor.doc;
  if (const char *hold = getenv("MIRAVEL_MAP2_HOLD")) {
    DWORD until = GetTickCount() + 1000u * (DWORD)atoi(hold);
    Drive_PumpUntil([&] { return GetTickCount() >= until; }, 100000000);
  }

  // The File menu's MAP2 writer: the file holds exactly the painted map.
  std::string path = g_dir + "\\painted.map2";
  ASSERT_TRUE(Map2_WriteCurrent(path.c_str()));
  painted.version = 2005000;   // set by the writer
  std::vector<u8> file = ReadFileBytes(g_dir + "\\painted.map2");
  Map2Doc *read = (Map2Doc *)calloc(1, sizeof(Map2Doc));
  ASSERT_EQ(Map2_Parse(file.data(), file.size(), read), MAP2_OK);
  EXPECT_EQ(read->tileCount, 3);
  EXPECT_EQ(read->passable[2], 1);
  EXPECT_STREQ(read->names[2], "t.png");
  EXPECT_EQ(memcmp(read->grid, painted.grid, sizeof read->grid), 0);
  free(read);

  // The sample again, from wherever a file dialog left the current folder: its images come
  // from the map folder. Then the saved map reopened.
  SetCurrentDirectoryA(g_dir.c_str());
  Click(IDC_MAP2_SAMPLE);
  EXPECT_EQ(g_Map2Editor.doc->grid[3][5], 0);
  EXPECT_EQ(g_Map2Editor.tiles[0].loaded, 1u);
  EXPECT_EQ(g_Map2Editor.tiles[1].loaded, 1u);
  // Saved outside the map folder and read from elsewhere, the map still finds its tiles:
  // t.png beside the map, the sample's two in the map folder.
  SetCurrentDirectoryA(g_Lib.dataDir);
  ASSERT_TRUE(Map2_ReadCurrent(path.c_str()));
  Map2_AfterRead();
  EXPECT_EQ(memcmp(g_Map2Editor.doc, &painted, sizeof painted), 0);
  EXPECT_EQ(ListRows().size(), 3u);
  for (i32 i = 0; i < 3; i++) EXPECT_EQ(g_Map2Editor.tiles[i].loaded, 1u) << i;
  // A tile image found nowhere is named.
  static std::vector<std::string> s_boxes;
  g_ModalHooks.messageBox = [](HWND, const char *text, const char *, UINT) { s_boxes.push_back(text); return IDOK; };
  DeleteFileA((g_dir + "\\t.png").c_str());
  ASSERT_TRUE(Map2_ReadCurrent(path.c_str()));
  EXPECT_EQ(s_boxes, std::vector<std::string>{"次のタイルの画像が見つかりませんでした。\n\nt.png"});
  EXPECT_EQ(g_Map2Editor.tiles[2].loaded, 0u);
  g_ModalHooks.messageBox = Drive_AnswerYes;

  // Entered from every family, in two rounds after each family's views have drawn, the map
  // draws its tiles and its cat: the middle of grass cell (2, 2) is a grass texel (every one is
  // r 40 or 70, g 100..186, b 30 or 50; not black, the grey ground or water) and the middle of
  // the cat's body is its fur (235, 150, 60) in every pose.
  const int kFrom[] = {IDC_EDIT_PREVIEW, IDC_EDIT_3D_MODEL, IDC_EDIT_2D_MODEL, IDC_EDIT_COLLISION,
                       IDC_EDIT_EFFECT,  IDC_EDIT_MOVIE,    IDC_EDIT_PROGRAM};
  auto shot = [](f32 fx, f32 fy) {
    f32 x, y;
    Drive_FrameToClient(fx, fy, &x, &y);
    return Drive_ShotPixel((i32)x, (i32)y);
  };
  for (int round = 0; round < 2; round++)
    for (int from : kFrom) {
      Drive_Command(g_EditDlg.window, from);
      Drive_PumpIdle(20 + 10 * round);
      Drive_Command(g_EditDlg.window, IDC_EDIT_2D_MAP);
      Drive_PumpIdle(10);
      ASSERT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_2D_MAP) << from;
      ASSERT_TRUE(Drive_CaptureMain());
      unsigned c = shot(304 + 64 + 16, 224 + 64 + 16), g = c >> 8 & 255;
      EXPECT_TRUE(g >= 90 && g > (c >> 16 & 255) + 40 && g > (c & 255) + 40) << from << " " << round << std::hex << " " << c;
      EXPECT_EQ(shot(288 + 32, 192 + 42), 0xEB963Cu) << from << " " << round;
    }
  Drive_CaptureEnd();

  DestroyWindow(g_Lib.mainWnd);
  Drive_Pump(200);
  for (const char *f : {"t.png", "painted.map2"}) DeleteFileA((g_dir + "\\" + f).c_str());
  RemoveDirectoryA(g_dir.c_str());
  g_ModalHooks.messageBox = nullptr;
  g_LibHooks.fileDlg.run = nullptr;
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
