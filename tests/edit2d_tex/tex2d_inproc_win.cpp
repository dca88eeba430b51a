// The 2D texture sub-mode and group dialog in the running program, driven by messages: a
// skin of two quads opened from a KZB file; button 1481; two textures added through the file
// dialog; "各面単位"; a group added and the row changed back; "正面" and a left drag in the
// preview; "ＵＶ編集", "頂点選択", a rectangle and a move drag; in the group dialog the name,
// colours, shading and texture applied, the mirror and the add; the preview and the main view
// show the texture; the KZB saved with 40097 and read back by modeldump.
// With MIRAVEL_TEX2D_HOLD=<seconds> the program keeps running that long once the skin is
// textured, so that a screenshot can be taken of it.
#include <gtest/gtest.h>
#include <windows.h>
#include <d3d9.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "app/shell_options.h"
#include "app/shell_sel.h"
#include "lib/framework/lib_state.h"
#include "model_shown.h"
#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_win.h"
#include "app/startup_state.h"
#include "app/startup_win.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_tex.h"
#include "edit2d/ed2d_win.h"
#include "lib/draw/draw.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "app/shell_view.h"
#include "lib/media/dialogs.h"
#include "lib/render/rdev.h"
#include "model/bone2.h"
#include "model/kzb.h"
#include "resources/edit2d_ids.h"
#include "resources/shell_ids.h"
#include "draw_device_win.h"
#include "wine_drive.h"
#include "test_models.h"

namespace {

// Two 100 x 100 quads side by side above the origin (clear of the texture panel), group 0,
// one UV entry per vertex, written as a KZB file to be opened through the File menu.
bool WriteSkin(const std::string &path) {
  g_ModelAllocArrays = 1;
  Bone2Model *m = Bone2_Init(0);
  g_ModelAllocArrays = 0;
  if (!m) return false;
  TestModel_TwoQuadSkin(m);
  bool ok = Shown(Kzb_Write, 0, path.c_str()) == 1;
  Bone2_FreeSlot(0);
  return ok;
}

// The captured colour at frame position (fx, fy), the model's placement in the view included.
unsigned FramePixel(f32 fx, f32 fy) {
  f32 x, y;
  Drive_FrameToClient(fx, fy, &x, &y);
  return Drive_ShotPixel((i32)x, (i32)y);
}

void Mouse(UINT msg, int x, int y, WPARAM keys) {
  SendMessageA((HWND)g_Ed2DTex.panel, msg, keys, MAKELPARAM(x, y));
  Drive_Pump(2);
}

// Red pixels of a window's client area as the screen shows it.
int CountRed(HWND w) {
  int width, height, n = 0;
  for (u32 c : Drive_ScreenOf(w, &width, &height))
    n += ((c >> 16) & 0xFF) > 200 && ((c >> 8) & 0xFF) < 60 && (c & 0xFF) < 60;
  return n;
}

}  // namespace

TEST(Tex2DInProcess, TexturesProjectionUvToolsGroupDialogAndSave) {
  ASSERT_TRUE(WriteSkin(Drive_Temp("miravel_skin2d.KZB")));
  ASSERT_TRUE(Drive_WriteHalvesBmp(Drive_Temp("miravel_u1.bmp")));
  ASSERT_TRUE(Drive_WriteHalvesBmp(Drive_Temp("miravel_u2.bmp"), 64, 32));
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", "1");
  g_ModalHooks.messageBox = Drive_AnswerYes;
  ASSERT_TRUE(Drive_Start2D("miravel_settings_tex2d"));
  g_ModalHooks.getOpenFileName = Drive_AnswerFile;
  g_DriveAnswer = "miravel_skin2d.KZB";
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZB_OPEN, 0);
  g_ModalHooks.getOpenFileName = nullptr;
  Drive_Pump(5);
  Bone2Model *m = g_Bone2Slots[0];
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->polygonCount, 2);
  ASSERT_EQ(m->uvCount, 6);

  // The texture sub-mode: its panel, the group dialog beside it.
  ASSERT_EQ(Drive_Press2D(IDC_M2D_TEXTURE), (u32)SUB_2D_TEXTURE);
  HWND panel = (HWND)g_Ed2DTex.panel, groups = (HWND)g_Options.g_Group2DDlg.window;
  ASSERT_TRUE(Drive_Alive(panel));
  ASSERT_TRUE(Drive_Alive(groups));
  char caption[64] = "";
  GetWindowTextA(panel, caption, sizeof caption);
  EXPECT_STREQ(caption, "テクスチャ");
  EXPECT_EQ(g_Sel.g_PolySelFaces[0] + g_Sel.g_PolySelFaces[1], 2u);   // group 0's polygons selected

  // Two textures through the file dialog.
  auto platformRun = g_LibHooks.fileDlg.run;
  g_LibHooks.fileDlg.run = Drive_AnswerRequest;
  for (const char *name : {"miravel_u1.bmp", "miravel_u2.bmp"}) {
    g_DriveAnswer = name;
    Drive_Command(panel, IDC_T2D_ADD);
    Drive_Pump(3);
  }
  g_LibHooks.fileDlg.run = platformRun;
  ASSERT_EQ(m->textureCount, 3);
  EXPECT_EQ(m->textures[1].width, 128u);
  EXPECT_EQ(m->textures[2].height, 32u);
  EXPECT_EQ(Drive_ListText(g_Ed2DTex.list, 1), " 1 : miravel_u1.bmp");
  EXPECT_EQ(Drive_ListText(g_Ed2DTex.list, 2), " 2 : miravel_u2.bmp");

  // One square per face.
  Drive_Command(panel, IDC_T2D_PER_FACE);
  EXPECT_EQ(m->groups[0].mappingKind, ED2D_MAP_PER_FACE);
  EXPECT_EQ(m->uvs[m->polygons[1].corners[2].uv].u, 1.0f);

  // A group added selects no face of group 0; the row changed back to it selects them again.
  App_ForgetPolySelection(&g_Sel);
  Drive_Command(groups, IDC_G2D_ADD);
  EXPECT_EQ(m->groupCount, 2);
  EXPECT_EQ(g_Sel.g_CurGroupIndex, 1u);
  EXPECT_EQ(g_Sel.g_PolySelFaces[0], 0u);
  SendMessageA((HWND)g_Ed2D.groupList, LB_SETCARETINDEX, 0, 0);
  SendMessageA(groups, WM_COMMAND, MAKEWPARAM(IDC_2D_LIST, LBN_SELCHANGE), (LPARAM)g_Ed2D.groupList);
  EXPECT_EQ(g_Sel.g_CurGroupIndex, 0u);
  EXPECT_EQ(g_Sel.g_PolySelFaces[0] + g_Sel.g_PolySelFaces[1], 2u);

  // Planar front, then a left drag of 20 pixels in the preview moves the projection.
  Drive_Command(panel, IDC_T2D_FRONT);
  EXPECT_EQ(m->groups[0].mappingKind, ED2D_MAP_FRONT);
  f32 u0 = m->uvs[0].u;
  Mouse(WM_LBUTTONDOWN, 100, 100, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, 110, 100, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, 120, 100, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, 120, 100, 0);
  EXPECT_NEAR(m->groups[0].p[0], 0.1f, 1e-5f);
  EXPECT_NEAR(m->uvs[0].u, u0 - 0.1f, 1e-5f);

  // By hand: the select tool and a rectangle over every coordinate, then a move drag.
  Drive_Command(panel, IDC_T2D_BY_HAND);
  EXPECT_EQ(m->groups[0].mappingKind, ED2D_MAP_BY_HAND);
  Drive_Command(panel, IDC_T2D_SELECT);
  EXPECT_EQ(g_Ed2DTex.tool, (u32)ED2D_UV_SELECT);
  // Group 0 has no texture yet: the preview maps every coordinate to the offset.
  int ox = g_Ed2DTex.offX, oy = g_Ed2DTex.offY;
  Mouse(WM_LBUTTONDOWN, ox - 5, oy - 5, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, ox + 5, oy + 5, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, ox + 5, oy + 5, 0);
  u32 selected = 0;
  for (int i = 0; i < 6; i++) selected += g_Ed2DTex.uvSel[i];
  EXPECT_EQ(selected, 6u);
  Drive_Command(panel, IDC_T2D_MOVE);
  EXPECT_EQ(g_Ed2DTex.tool, (u32)ED2D_UV_MOVE);

  // The group dialog: name, colours, shading and texture 1 applied. Typed once the dialog has
  // shown group 0's stored fields (the row change above asked it to, on its next tick), as a
  // user types into what is shown.
  EXPECT_TRUE(Drive_PumpUntil([] { return g_Ed2DGroup.refresh == 0; }, 3000));
  SetDlgItemTextA(groups, IDC_G2D_NAME, "肌");
  SetDlgItemTextA(groups, IDC_G2D_RED, "255");
  SetDlgItemTextA(groups, IDC_G2D_GREEN, "250");
  SetDlgItemTextA(groups, IDC_G2D_BLUE, "245");
  SetDlgItemTextA(groups, IDC_G2D_ALPHA, "255");
  SendDlgItemMessageA(groups, IDC_G2D_TEXTURE, CB_SETCURSEL, 1, 0);
  SendDlgItemMessageA(groups, IDC_G2D_SHADE, CB_SETCURSEL, 3, 0);
  Drive_Command(groups, IDC_G2D_APPLY);
  EXPECT_STREQ(m->groups[0].name, "肌");
  EXPECT_EQ(m->groups[0].texture, 1);
  EXPECT_EQ(m->groups[0].shadeMode, 3);
  EXPECT_EQ(m->groups[0].b, 245.0f);
  EXPECT_EQ(g_Ed2DTex.texture, 1);
  char line[300] = "";
  SendMessageA((HWND)g_Ed2D.groupList, LB_GETTEXT, 0, (LPARAM)line);
  EXPECT_STREQ(line, " 0 : 肌 ( 2 )");
  // "赤" beyond 255 is stored clamped and the field then shows what was stored; "緑" left as
  // shown (a whole number) keeps the group's exact value.
  m->groups[0].g = 100.4f;
  g_Ed2DGroup.refresh = 1;
  auto Field = [&](int id) {
    char t[64] = "";
    GetDlgItemTextA(groups, id, t, sizeof t);
    return std::string(t);
  };
  EXPECT_TRUE(Drive_PumpUntil([&] { return Field(IDC_G2D_GREEN) == "100"; }, 2000));
  SetDlgItemTextA(groups, IDC_G2D_RED, "300");
  Drive_Command(groups, IDC_G2D_APPLY);
  EXPECT_EQ(m->groups[0].r, 255.0f);
  EXPECT_EQ(m->groups[0].g, 100.4f);
  EXPECT_TRUE(Drive_PumpUntil([&] { return Field(IDC_G2D_RED) == "255"; }, 2000)) << Field(IDC_G2D_RED);
  m->groups[0].g = 250.0f;
  g_Ed2DGroup.refresh = 1;
  // The buttons lie outside the swatch strip painted over the dialog's left 54 x 270 pixels.
  for (int id : {IDC_G2D_ADD, IDC_G2D_DELETE, IDC_G2D_MIRROR, IDC_G2D_APPLY, IDC_G2D_CLOSE, IDC_G2D_COLOR}) {
    RECT r;
    GetWindowRect(GetDlgItem(groups, id), &r);
    MapWindowPoints(nullptr, groups, (POINT *)&r, 2);
    EXPECT_TRUE(r.left >= 54 || r.top >= 270) << id << " at " << r.left << "," << r.top;
  }

  // The move tool on the selected coordinates: 30 pixels on a 128-texel image.
  f32 before = m->uvs[3].u;
  Mouse(WM_LBUTTONDOWN, 200, 200, MK_LBUTTON);
  Mouse(WM_MOUSEMOVE, 230, 200, MK_LBUTTON);
  Mouse(WM_LBUTTONUP, 230, 200, 0);
  EXPECT_NEAR(m->uvs[3].u, before + 0.3f, 1e-5f);

  // Per face again: the preview shows texture 1 (red and green halves) with the group's
  // square over it.
  Drive_Command(panel, IDC_T2D_PER_FACE);
  App_MarkAllRedraw(View_CurrentLayout());
  int red = 0;
  for (int i = 0; i < 20 && red <= 500; i++) {
    Drive_Pump(20);
    red = CountRed(panel);
  }
  EXPECT_GT(red, 500);

  // The main view draws the skin textured, the texel times the group's colour (255, 250, 245).
  // The two quads share the UV entries of their common edge, and per face wrote the right
  // quad's corners last: it spans u 0..1 from left to right, red then green. It covers frame
  // x 320..420, y 40..140 (the origin at the frame's centre (320, 240)).
  ASSERT_TRUE(Drive_CaptureMain());
  EXPECT_EQ(m->uvs[1].u, 0.0f);
  EXPECT_EQ(m->uvs[2].u, 1.0f);
  unsigned redSide = FramePixel(320 + 25, 240 - 180), greenSide = FramePixel(320 + 75, 240 - 180);
  EXPECT_EQ(redSide, 0xFF0000u) << std::hex << redSide;
  EXPECT_EQ(greenSide, 0x00FA00u) << std::hex << greenSide;
  // The frame is shown at 3/4 of its size, its middle at the screen's and its top 16 pixels
  // below the view's: the same texel found by hand, and neither the panel nor the group
  // dialog lies over the frame.
  i32 left = (g_Lib.desktopWidth - 480) / 2, top = 16;
  unsigned byHand = Drive_ShotPixel(left + (320 + 25) * 3 / 4, top + (240 - 180) * 3 / 4);
  EXPECT_EQ(byHand, 0xFF0000u) << std::hex << byHand;
  RECT frame = {left, top, left + 480, top + 360}, at, meet;
  MapWindowPoints(g_Lib.mainWnd, nullptr, (POINT *)&frame, 2);
  for (HWND w : {panel, groups}) {
    GetWindowRect(w, &at);
    EXPECT_FALSE(IntersectRect(&meet, &frame, &at)) << at.left << "," << at.top << " " << at.right << "," << at.bottom;
  }
  Drive_Hold("MIRAVEL_TEX2D_HOLD");

  // Mirror and add.
  Drive_Command(groups, IDC_G2D_MIRROR);
  EXPECT_EQ(m->vertexCount, 12);
  EXPECT_EQ(m->polygonCount, 4);
  EXPECT_EQ(m->positions[6].x, 100.0f);
  Drive_Command(groups, IDC_G2D_ADD);
  EXPECT_EQ(m->groupCount, 3);

  // Saved by the File menu and read back.
  std::string saved = Drive_SaveByMenu(IDM_KZB_SAVE, "miravel_tex2d.KZB");
  std::string dump = Drive_ModelDump(saved);
  EXPECT_NE(dump.find("\"textures\":[\"\",\"miravel_u1.bmp\",\"miravel_u2.bmp\"]"), std::string::npos) << dump;
  EXPECT_NE(dump.find("\"texture\":1,\"mapping\":5,\"params\":[0,0,1,1,"), std::string::npos) << dump;
  EXPECT_NE(dump.find("\"uvBounds\":[0,0,1,1]"), std::string::npos) << dump;

  Drive_End("miravel_settings_tex2d");
  for (const char *f : {"miravel_skin2d.KZB", "miravel_tex2d.KZB", "miravel_u1.bmp", "miravel_u2.bmp"}) DeleteFileA(Drive_Temp(f).c_str());
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
