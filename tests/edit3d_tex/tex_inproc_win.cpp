// The texture sub-mode in the running program, driven by messages: button 1098, two textures
// added through the file dialog (the second one undone and redone by the undo panel), cylinder
// mapping and the UV unfold (a step each), a rectangle selection
// and a move drag in the image panel, the panel read back (texels at the offset, selected
// coordinates in yellow), texture 1 deleted, and the model saved with 40024 and read by
// modeldump.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_view.h"
#include "app/shell_win.h"
#include "app/strip.h"
#include "app/views.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_tex.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/undo.h"
#include "edit3d/undo_win.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "resources/shell_ids.h"
#include "wine_drive.h"

namespace {

void Image(UINT msg, i32 x, i32 y, WPARAM keys) {
  SendMessageA((HWND)g_Ed3DTex.imagePanel, msg, keys, MAKELPARAM(x, y));
}

// The image panel's pixel as painted (red, green, blue).
COLORREF PanelPixel(i32 x, i32 y) { return Drive_WindowPixel(g_Ed3DTex.imagePanel, x, y); }

void Repaint(void) { Drive_RepaintStrips(STRIP_FLAG_TEXTURES); }

}  // namespace

TEST(TexInProcess, TexturesUnfoldUvDragDeleteAndSave) {
  std::string path = Drive_Temp("miravel_tex.KZP");
  ASSERT_TRUE(Drive_WriteCube(path, true));
  ASSERT_TRUE(Drive_WriteHalvesBmp(Drive_Temp("miravel_t1.bmp")));
  ASSERT_TRUE(Drive_WriteHalvesBmp(Drive_Temp("miravel_t2.bmp")));
  ASSERT_TRUE(Drive_Start3D(path, "miravel_settings_tex"));
  ASSERT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_3D_MODEL);

  ASSERT_EQ(Drive_Press3D(IDC_M3D_TEXTURE), (u32)SUB_3D_TEXTURE);
  ASSERT_TRUE(Drive_Alive(g_Ed3DTex.panel));
  ASSERT_TRUE(Drive_Alive(g_Ed3DTex.imagePanel));
  Model3 *m = g_Model3Slots[0];
  ASSERT_NE(m, nullptr);

  // Two textures through the file dialog.
  g_ModalHooks.getOpenFileName = Drive_AnswerFile;
  for (const char *name : {"miravel_t1.bmp", "miravel_t2.bmp"}) {
    g_DriveAnswer = name;
    Drive_Command(g_Ed3DTex.panel, IDC_TEX_ADD);
    Drive_Pump(5);
  }
  ASSERT_EQ(m->textureCount, 3);
  // Each 追加 is a step: the undo panel's アンドゥ takes the second away, リドゥ gives it back
  // with its picture.
  UndoHistory *hist = Undo_Current();
  EXPECT_STREQ(hist->steps[hist->top].label, "追加 ( テクスチャ )");
  ASSERT_TRUE(Drive_UndoButton(true));
  EXPECT_EQ(m->textureCount, 2);
  ASSERT_TRUE(Drive_UndoButton(false));
  ASSERT_EQ(m->textureCount, 3);
  EXPECT_STREQ(m->textures[2].name, "miravel_t2.bmp");
  EXPECT_NE(g_ModelPoses[0]->textures[2], nullptr);
  EXPECT_STREQ(m->textures[1].name, "miravel_t1.bmp");
  EXPECT_EQ(m->textures[1].width, 128);
  EXPECT_EQ(SendMessageA((HWND)g_Ed3DTex.list, LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(Drive_ListText(g_Ed3DTex.list, 1), " 1 : miravel_t1.bmp");

  // The group shows texture 1 (the group panel's choice); cylinder, then the UV unfold.
  m->groups[0].texture = 1;
  SendMessageA((HWND)g_Ed3DTex.list, LB_SETCARETINDEX, 1, 0);
  Drive_Command(g_Ed3DTex.panel, IDC_TEX_CYLINDER);
  EXPECT_STREQ(hist->steps[hist->top].label, "円柱 ( テクスチャ )");
  Drive_Command(g_Ed3DTex.panel, IDC_TEX_UV_UNFOLD);
  Drive_Pump(5);
  EXPECT_STREQ(hist->steps[hist->top].label, "ＵＶ展開 ( テクスチャ )");
  EXPECT_EQ(m->groups[0].mapping, 10);
  EXPECT_EQ(g_Ed3DTex.tool, (u32)TEX_TOOL_SELECT);

  // Every coordinate selected by a rectangle over the whole panel.
  Image(WM_LBUTTONDOWN, 0, 0, MK_LBUTTON);
  Image(WM_MOUSEMOVE, 500, 500, MK_LBUTTON);
  Image(WM_LBUTTONUP, 500, 500, 0);
  std::vector<f32> before;
  for (i32 f = 0; f < m->polygonCount; f++)
    for (i32 k = 0; k < m->polygons[f].cornerCount; k++) {
      u32 e = m->polygons[f].corners[k].uv;
      EXPECT_EQ(g_Ed3DTex.uvSel[e], 1u);
      before.push_back(m->uvs[e].u);
    }

  // The panel as painted at offset 0 and zoom 1: texels between the coordinate lines (rows 0
  // and 128, columns 16, 48, 80, 112 and 144), the background past the image, and the first
  // coordinate's point in yellow.
  Repaint();
  EXPECT_EQ(PanelPixel(30, 100), RGB(255, 0, 0));
  EXPECT_EQ(PanelPixel(100, 100), RGB(0, 255, 0));
  EXPECT_EQ(PanelPixel(300, 300), RGB(0, 0, 72));
  u32 e0 = m->polygons[0].corners[0].uv;
  EXPECT_EQ(PanelPixel((i32)(m->uvs[e0].u * 128), (i32)(m->uvs[e0].v * 128)), RGB(255, 255, 0));
  // MIRAVEL_TEX_HOLD=seconds keeps the program on screen here, for a look at it.
  if (const char *hold = getenv("MIRAVEL_TEX_HOLD")) {
    DWORD until = GetTickCount() + 1000u * (DWORD)atoi(hold);
    while (GetTickCount() < until) Drive_Pump(10);
  }

  // 移動(T) and a drag of 10 pixels: u += 128 / 128 * 10 * 0.01 for every coordinate, one step.
  Drive_Command(g_Ed3DTex.panel, IDC_TEX_MOVE);
  UndoHistory *h = Undo_Current();
  i32 steps = h->top;
  Image(WM_LBUTTONDOWN, 200, 200, MK_LBUTTON);
  Image(WM_MOUSEMOVE, 205, 200, MK_LBUTTON);
  Image(WM_MOUSEMOVE, 210, 200, MK_LBUTTON);
  Image(WM_LBUTTONUP, 210, 200, 0);
  Drive_Pump(5);
  size_t i = 0;
  f32 lo = 1e9f, hi = -1e9f;
  for (i32 f = 0; f < m->polygonCount; f++)
    for (i32 k = 0; k < m->polygons[f].cornerCount; k++) {
      f32 u = m->uvs[m->polygons[f].corners[k].uv].u;
      EXPECT_NEAR(u, before[i++] + 0.1f, 1e-5);
      lo = u < lo ? u : lo;
      hi = u > hi ? u : hi;
    }
  EXPECT_EQ(h->top, steps + 1);
  EXPECT_STREQ(h->steps[h->top].label, "ＵＶ移動 ( テクスチャ )");

  // Texture 1 deleted: the second file takes its place, the group falls back to none.
  SendMessageA((HWND)g_Ed3DTex.list, LB_SETCARETINDEX, 1, 0);
  Drive_Command(g_Ed3DTex.panel, IDC_TEX_DELETE);
  Drive_Pump(5);
  ASSERT_EQ(m->textureCount, 2);
  EXPECT_STREQ(m->textures[1].name, "miravel_t2.bmp");
  EXPECT_EQ(m->groups[0].texture, 0u);

  // Saved by the File menu and read by modeldump.
  g_ModalHooks.getSaveFileName = Drive_AnswerFile;
  g_DriveAnswer = "miravel_tex_saved.KZP";
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZP_SAVE, 0);
  std::string saved = Drive_Temp("miravel_tex_saved.KZP");
  std::string dump = Drive_ModelDump(saved);
  EXPECT_NE(dump.find("\"textures\":[\"\",\"miravel_t2.bmp\"]"), std::string::npos) << dump;
  EXPECT_NE(dump.find("\"texture\":0,\"mapping\":10,\"uvBounds\":["), std::string::npos) << dump;
  char bounds[64];
  snprintf(bounds, sizeof bounds, "\"uvBounds\":[%.9g,", (double)lo);
  EXPECT_NE(dump.find(bounds), std::string::npos) << bounds << " in " << dump;

  g_ModalHooks.getOpenFileName = nullptr;
  g_ModalHooks.getSaveFileName = nullptr;
  for (const char *f : {"miravel_tex.KZP", "miravel_tex_saved.KZP", "miravel_t1.bmp", "miravel_t2.bmp"})
    DeleteFileA(Drive_Temp(f).c_str());
  Drive_End("miravel_settings_tex");
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
