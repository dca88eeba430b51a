// The 2D modelling panel's operations in the running program, driven by its buttons: a new
// model, "４角形", face mode, select all and "面分割"; copy and paste (welded by the
// optimize); "最適化"; a colour typed into the fields and "決定"; the vertex-colour flag; a
// KZP cube imported through the file dialog; "保存". modeldump shows the counts and the
// bounding box, and the file read back with "読み込み" and saved again is byte-identical.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_seam.h"
#include "app/shell_view.h"
#include "app/shell_win.h"
#include "app/startup_state.h"
#include "app/startup_win.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "model/bone2.h"
#include "resources/edit2d_ids.h"
#include "resources/shell_ids.h"
#include "wine_drive.h"
#include "file_bytes.h"

namespace {

i32 LivePolygons(const Bone2Model *m) {
  i32 n = 0;
  for (i32 i = 0; i < m->polygonCount; i++) n += m->polygons[i].used == 1;
  return n;
}

}  // namespace

TEST(Ed2DPolyOpsInProcess, PanelOperationsSavedAndReadBack) {
  Bone2Model *m = Drive_Start2DOnNewModel("miravel_settings_polyops2d");
  ASSERT_NE(m, nullptr);
  HWND panel = (HWND)g_Ed2DPoly.panel;
  ASSERT_TRUE(Drive_Alive(panel));

  // A quad, split into four.
  Drive_Command(panel, IDC_P2D_QUAD);
  ASSERT_EQ(m->polygonCount, 1);
  EXPECT_EQ(m->vertexCount, 4);
  Drive_Command(panel, IDC_P2D_FACE_MODE);
  Drive_Command(panel, IDC_P2D_SELECT_ALL);
  Drive_Command(panel, IDC_P2D_SPLIT);
  EXPECT_EQ(LivePolygons(m), 4);
  EXPECT_EQ(m->vertexCount, 20);

  // Copy and paste: the optimize welds the pasted quads onto the 3 x 3 points.
  Drive_Command(panel, IDC_P2D_COPY);
  Drive_Command(panel, IDC_P2D_PASTE);
  EXPECT_EQ(m->polygonCount, 8);
  EXPECT_EQ(m->vertexCount, 9);
  EXPECT_EQ(m->colourCount, 1);
  EXPECT_EQ(m->uvCount, 4);
  Drive_Command(panel, IDC_P2D_OPTIMIZE);
  EXPECT_EQ(m->polygonCount, 8);
  EXPECT_EQ(m->vertexCount, 9);
  EXPECT_STREQ(g_Shell.g_UndoLabel, "最適化 ( モデリング )");
  // The panel's next tick shows the counts.
  char text[64] = "";
  Drive_PumpUntil([&] {
    GetDlgItemTextA(panel, IDC_P2D_VERTEX_COUNT, text, sizeof text);
    return strcmp(text, "頂点数      9") == 0;
  });
  EXPECT_STREQ(text, "頂点数      9");

  // A colour typed in and applied to everything.
  Drive_Command(panel, IDC_P2D_SELECT_ALL);
  const char *rgba[4] = {"10", "20", "30", "40"};
  for (int k = 0; k < 4; k++) SetDlgItemTextA(panel, IDC_P2D_RED + k, rgba[k]);
  Drive_Command(panel, IDC_P2D_APPLY_COLOUR);
  ASSERT_EQ(m->colourCount, 2);
  EXPECT_EQ(m->colours[1].a, 40.0f);
  EXPECT_EQ(m->polygons[7].corners[3].colour, 1);
  Drive_Command(panel, IDC_P2D_VERTEX_COLOUR);
  EXPECT_EQ(m->vertexColourFlag, 1);
  EXPECT_STREQ(g_Shell.g_UndoLabel, "頂点カラーフラグON ( モデリング )");

  // A KZP cube imported: 8 more positions and 6 quads, z dropped.
  g_DriveAnswer = "miravel_polyops_cube.kzp";
  ASSERT_TRUE(Drive_WriteCube(Drive_Temp(g_DriveAnswer.c_str())));
  g_ModalHooks.getOpenFileName = Drive_AnswerFile;
  Drive_Command(panel, IDC_P2D_IMPORT);
  EXPECT_EQ(m->vertexCount, 17);
  EXPECT_EQ(m->polygonCount, 14);
  EXPECT_EQ(m->colourCount, 26);
  EXPECT_EQ(m->uvCount, 28);
  EXPECT_STREQ(g_Shell.g_UndoLabel, "miravel_polyops_cube.kzp ( モデリング )");
  DeleteFileA(Drive_Temp(g_DriveAnswer.c_str()).c_str());

  // Saved with "保存", dumped, read back with "読み込み" and saved again.
  g_ModalHooks.getSaveFileName = Drive_AnswerFile;
  g_DriveAnswer = "miravel_polyops_a.KZB";
  Drive_Command(panel, IDC_P2D_SAVE);
  std::string a = Drive_Temp("miravel_polyops_a.KZB"), b = Drive_Temp("miravel_polyops_b.KZB");
  std::string dump = Drive_ModelDump(a);
  EXPECT_NE(dump.find("\"positions\":17,\"normals\":0,\"uvs\":28,\"colors\":26,\"polygons\":14,\"triangles\":28"),
            std::string::npos)
      << dump;
  EXPECT_NE(dump.find("\"bbox\":[[-32,-32,0],[32,32,0]]"), std::string::npos) << dump;
  Drive_Command(panel, IDC_P2D_OPEN);
  Drive_Pump(5);
  m = g_Bone2Slots[0];
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->vertexCount, 17);
  EXPECT_EQ(m->vertexColourFlag, 1);
  g_DriveAnswer = "miravel_polyops_b.KZB";
  panel = (HWND)g_Ed2DPoly.panel;
  Drive_Command(panel, IDC_P2D_SAVE);
  g_ModalHooks.getSaveFileName = nullptr;
  g_ModalHooks.getOpenFileName = nullptr;
  std::string first = ReadFileString(a), second = ReadFileString(b);
  EXPECT_GT(first.size(), 100u);
  EXPECT_TRUE(first == second) << first.size() << " " << second.size();

  Drive_End("miravel_settings_polyops2d");
  DeleteFileA(a.c_str());
  DeleteFileA(b.c_str());
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
