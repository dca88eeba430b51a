// The modelling dialog and the numeric input in the running program: a cube opened from the
// command line shows its counts at once; face mode, select all, extrude, divide, a colour
// typed and applied, Y typed into POLY_NUM_DLG; the undo list holds the labels in order and
// the count statics the new counts; curved surfaces on layer 2 leave layer 1's model as it
// was; the save button writes the file (its dialog answered by the modal hook) and modeldump
// reads the counts and box.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "file_bytes.h"
#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/startup_state.h"
#include "app/startup_win.h"
#include "app/views.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_poly_dlg.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/undo.h"
#include "edit3d/undo_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "model/bytes.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "model/str.h"
#include "resources/edit3d_ids.h"
#include "wine_drive.h"

namespace {

std::string Text(void *dlg, int id) {
  char buf[256] = {};
  GetDlgItemTextA((HWND)dlg, id, buf, sizeof buf);
  return buf;
}

std::vector<u8> Bytes(Model3 *m) {
  ByteWriter w = {};
  Kzp_Encode(m, &w);
  return TakeWriterBytes(&w);
}

}  // namespace

TEST(ModellingDialog, ExtrudeDivideColourNumbersCurveAndSave) {
  std::string path;
  ASSERT_NO_FATAL_FAILURE(Drive_Start3DOnCube("miravel_dlg_cube.KZP", "miravel_settings_modelling", &path));
  ASSERT_TRUE(Drive_Alive(Ed3DPolyEditor.dlg));
  ASSERT_TRUE(Drive_Alive(Ed3DPolyEditor.numDlg));
  char caption[64];
  GetWindowTextA((HWND)Ed3DPolyEditor.dlg, caption, sizeof caption);
  EXPECT_STREQ(caption, "モデリング");
  GetWindowTextA((HWND)Ed3DPolyEditor.numDlg, caption, sizeof caption);
  EXPECT_STREQ(caption, "数値入力 ( 座標用 )");
  Model3 *m = g_Model3Slots[0];
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->polygonCount, 6);
  // The model read at start-up, not the empty one before it, within the first timer ticks.
  EXPECT_TRUE(Drive_PumpUntil([&] { return Text(Ed3DPolyEditor.dlg, IDC_POLY_VERTS) == "頂点数      8"; }, 2000))
      << Text(Ed3DPolyEditor.dlg, IDC_POLY_VERTS);
  EXPECT_EQ(Text(Ed3DPolyEditor.dlg, IDC_POLY_STATUS), "面     0 /    6");   // face mode at start

  // Face mode, all, extrude (0.5 out at zoom 1), divide the six moved faces.
  g_Shell.g_LastViewZoom = 1;
  Drive_Command(Ed3DPolyEditor.dlg, IDC_POLY_FACE_MODE);
  Drive_Command(Ed3DPolyEditor.dlg, IDC_POLY_SELECT_ALL);
  Drive_Command(Ed3DPolyEditor.dlg, IDC_POLY_EXTRUDE);
  EXPECT_EQ(m->polygonCount, 6 + 24);
  EXPECT_EQ(m->positionCount, 8 + 24);
  Drive_Command(Ed3DPolyEditor.dlg, IDC_POLY_DIVIDE);
  EXPECT_EQ(m->polygonCount, 24 + 24);
  EXPECT_EQ(m->positionCount, 32 + 96);

  // A colour typed into the boxes; Y = 2.5 typed into the numeric input.
  const char *rgba[4] = {"10", "20", "30", "200"};
  for (int c = 0; c < 4; c++) SetDlgItemTextA((HWND)Ed3DPolyEditor.dlg, IDC_POLY_RED + c, rgba[c]);
  Drive_Command(Ed3DPolyEditor.dlg, IDC_POLY_APPLY);
  i32 colours = m->colorCount;
  const Color4 &last = m->colors[colours - 1];
  EXPECT_TRUE(last.r == 10 && last.g == 20 && last.b == 30 && last.a == 200);
  SetDlgItemTextA((HWND)Ed3DPolyEditor.numDlg, IDC_PNUM_X, "");
  SetDlgItemTextA((HWND)Ed3DPolyEditor.numDlg, IDC_PNUM_Y, "2.5");
  SetDlgItemTextA((HWND)Ed3DPolyEditor.numDlg, IDC_PNUM_Z, "");
  Drive_Command(Ed3DPolyEditor.numDlg, IDC_PNUM_APPLY);
  // "閉じる" closes the numeric input; entering the sub-mode opens it again.
  HWND num = (HWND)Ed3DPolyEditor.numDlg;
  Drive_Command(num, IDC_PNUM_CLOSE);
  EXPECT_EQ(Ed3DPolyEditor.numDlg, nullptr);
  EXPECT_FALSE(IsWindow(num));
  Ed3D_PolyOpenDialogs();
  EXPECT_NE(Ed3DPolyEditor.numDlg, nullptr);

  // The labels in order after the load's.
  ASSERT_NE(g_Undo.list, nullptr);
  i32 lines = (i32)SendMessageA((HWND)g_Undo.list, LB_GETCOUNT, 0, 0);
  ASSERT_GE(lines, 5);
  const char *labels[4] = {"面押出し ( モデリング )", "分割 ( モデリング )", "決定ボタン ( モデリング )",
                           "数値入力 ( モデリング )"};
  for (int i = 0; i < 4; i++) EXPECT_EQ(Drive_ListText(g_Undo.list, lines - 4 + i), labels[i]);

  // The statics show the new counts within a few timer ticks.
  char want[32];
  Str_Format(want, sizeof want, "頂点数  %5d", m->positionCount);
  EXPECT_TRUE(Drive_PumpUntil([&] { return Text(Ed3DPolyEditor.dlg, IDC_POLY_VERTS) == want; }, 3000)) << Text(Ed3DPolyEditor.dlg, IDC_POLY_VERTS);
  Str_Format(want, sizeof want, " 色数   %5d", colours);
  EXPECT_EQ(Text(Ed3DPolyEditor.dlg, IDC_POLY_COLOUR_COUNT), want);
  EXPECT_EQ(Text(Ed3DPolyEditor.dlg, IDC_POLY_RED), "10");

  // Curved surfaces on layer 2 (a triangle made there): layer 1's model stays as it was.
  std::vector<u8> layer0 = Bytes(g_Model3Slots[0]);
  Drive_Command(g_Ed3D.layer.window, IDC_LAYER_2);
  Drive_Pump(10);
  ASSERT_EQ(g_Sel.g_CurSlot, 1u);
  HWND front = Drive_FrontView(SUB_3D_POLY);
  ASSERT_NE(front, nullptr);
  Drive_FreeTriangle(front);
  ASSERT_NE(g_Model3Slots[1], nullptr);
  ASSERT_EQ(g_Model3Slots[1]->polygonCount, 1);
  Drive_Command(Ed3DPolyEditor.dlg, IDC_POLY_CURVE);
  EXPECT_GT(g_Model3Slots[1]->polygonCount, 1);
  UndoHistory *h = Undo_Current();
  EXPECT_STREQ(h->steps[h->top].label, "曲面化 ( モデリング )");
  EXPECT_TRUE(Bytes(g_Model3Slots[0]) == layer0);

  // Back on layer 1: 保存 with the dialog answered; modeldump reads what was saved.
  Drive_Command(g_Ed3D.layer.window, IDC_LAYER_1);
  Drive_Pump(10);
  ASSERT_EQ(g_Sel.g_CurSlot, 0u);
  g_ModalHooks.getSaveFileName = Drive_AnswerFile;
  g_DriveAnswer = "miravel_dlg_saved.KZP";
  Drive_Command(Ed3DPolyEditor.dlg, IDC_POLY_SAVE);
  g_ModalHooks.getSaveFileName = nullptr;
  std::string saved = Drive_TempDir() + g_DriveAnswer;
  std::string dump = Drive_ModelDump(saved);
  EXPECT_NE(dump.find("\"positions\":128,"), std::string::npos) << dump;
  EXPECT_NE(dump.find("\"polygons\":48,"), std::string::npos) << dump;
  // Every face 0.5 out; the divided faces' vertices at y = 2.5.
  EXPECT_NE(dump.find("\"bbox\":[[-1.5,-1.5,-1.5],[1.5,2.5,1.5]]"), std::string::npos) << dump;

  DeleteFileA(path.c_str());
  DeleteFileA(saved.c_str());
  Drive_End("miravel_settings_modelling");
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
