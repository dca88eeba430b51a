// What the 3D editor's windows show after a change, in the running program: a background
// sketch chosen for Side through the view's "下絵" menu is drawn in the Side view and goes when
// "表示" is cleared; the group panel's swatch shows the colour just applied; a switch to an
// empty layer shows its group 0 in the fields; a texture added and given to the group through
// the group panel shows in the image panel at once; "正面" after "最適化" welded the UV entries
// into one gives each corner its own (modeldump counts them); a KZM opened through the File
// menu shows its sounds in the sound list without a refresh key.
// With MIRAVEL_SHOWN3D_HOLD=<seconds> the program stays on screen that long once the sketch is
// shown and again once the texture is in the image panel.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model_shown.h"
#include "app/current.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/sketch.h"
#include "app/strip.h"
#include "app/views.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_poly_dlg.h"
#include "edit3d/ed3d_tex.h"
#include "edit3d/ed3d_win.h"
#include "lib/draw/draw.h"
#include "lib/framework/modal_hooks.h"
#include "model/formats/kzm.h"
#include "resources/edit3d_ids.h"
#include "resources/edit3d_motion_ids.h"
#include "resources/shell_ids.h"
#include "resources/tools_ids.h"
#include "tests/support/hook_at.h"
#include "wine_drive.h"

namespace {

std::string Text(void *dlg, int id) {
  char buf[256] = {};
  GetDlgItemTextA((HWND)dlg, id, buf, sizeof buf);
  return buf;
}

// [SECTION] one view's picture
// The back buffer read back right after view `view` was drawn, with the 2D placement then.
struct ViewShot {
  std::vector<unsigned> pixels;
  unsigned w = 0, h = 0;
  Place2D place{};
  i32 view = -1;
  i32 ox = 0, oy = 0;   // the model origin's frame point in the view drawn
  void (*endScene)(void) = nullptr;
};
ViewShot g_Shot;

void CapturingEndScene(void) {
  if (g_Shot.endScene) g_Shot.endScene();
  if (g_Shot.view >= 0 && (i32)g_Shell.g_DrawView == g_Shot.view) {
    g_Shot.pixels = Device_ReadBack(g_Lib.device, &g_Shot.w, &g_Shot.h);
    g_Shot.place = Draw_CurrentPlacement();
    Poly_OrthoToScreen(View_Get(g_Shell.g_EditSubMode, g_Shell.g_DrawView), 0, 0, 0, &g_Shot.ox, &g_Shot.oy);
    g_Shot.view = -1;
  }
}

bool CaptureView(i32 view) {
  if (g_Dev.render.endScene != CapturingEndScene) {
    g_Shot.endScene = g_Dev.render.endScene;
    g_Dev.render.endScene = CapturingEndScene;
  }
  g_Shot.view = view;
  App_MarkAllRedraw(View_CurrentLayout());
  bool done = Drive_PumpUntil([] { return g_Shot.view < 0; }, 4000);
  g_Dev.render.endScene = g_Shot.endScene;
  return done && !g_Shot.pixels.empty();
}

// Pixels of a 7 x 7 patch around 2D frame point (fx, fy) that are red, or green.
int Count(i32 fx, i32 fy, bool red) {
  int n = 0;
  for (i32 dy = -3; dy <= 3; dy++)
    for (i32 dx = -3; dx <= 3; dx++) {
      i32 x = (i32)((f32)(fx + dx) * g_Shot.place.scaleX + (g_Shot.place.inFrame ? g_Shot.place.offsetX : 0));
      i32 y = (i32)((f32)(fy + dy) * g_Shot.place.scaleY + (g_Shot.place.inFrame ? g_Shot.place.offsetY : 0));
      if (x < 0 || y < 0 || x >= (i32)g_Shot.w || y >= (i32)g_Shot.h) continue;
      unsigned c = g_Shot.pixels[(size_t)y * g_Shot.w + x];
      unsigned r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
      n += red ? (r > 200 && g < 60 && b < 60) : (g > 200 && r < 60 && b < 60);
    }
  return n;
}

i32 SideViewIndex(void) {
  for (i32 i = 0; i < VIEWS_PER_LAYOUT; i++) {
    const ViewRecord *v = View_Get(SUB_3D_POLY, i);
    if (v && v->inUse == 1 && v->window && v->kind == VIEW_SIDE) return i;
  }
  return -1;
}

// The image panel's pixel as painted.
COLORREF PanelPixel(i32 x, i32 y) { return Drive_WindowPixel(g_Ed3DTex.imagePanel, x, y); }

}  // namespace

TEST(Shown3D, SketchSwatchLayerTexturePanelProjectionAndSounds) {
  std::string path = Drive_Temp("miravel_shown_cube.KZP");
  ASSERT_TRUE(Drive_WriteCube(path, true));
  ASSERT_TRUE(Drive_WriteHalvesBmp(Drive_Temp("miravel_shown.bmp")));
  ASSERT_TRUE(Drive_Start3D(path, "miravel_settings_shown3d"));
  ASSERT_EQ(g_Shell.g_EditSubMode, (u32)SUB_3D_POLY);
  Model3 *m = g_Model3Slots[0];
  ASSERT_NE(m, nullptr);
  g_ModalHooks.getOpenFileName = Drive_AnswerFile;
  // "最適化" welds the 24 equal UV entries into one, as it does a skin's.
  Drive_Command(Ed3DPolyEditor.dlg, IDC_POLY_OPTIMISE);
  ASSERT_EQ(m->uvCount, 1);

  // [sketch] "下絵" from the Side view's menu, the image chosen for Side, "表示" ticked. The
  // 128 x 128 image (red left half, green right) is centred on the origin's screen point at
  // 4 screen pixels a texel per zoom step, so 30 pixels left and up of the origin lie in its
  // red half and 30 right in its green half at any zoom above 1/8, clear of the cube's
  // one-pixel edges within a 7 x 7 patch.
  i32 side = SideViewIndex();
  ASSERT_GE(side, 0);
  ViewRecord *sv = View_Get(SUB_3D_POLY, side);
  SendMessageA((HWND)sv->window, WM_COMMAND, IDM_WIN_SKETCH, 0);
  Drive_Pump(5);
  ASSERT_TRUE(Drive_Alive(g_Sketch.window));
  g_DriveAnswer = "miravel_shown.bmp";
  Drive_Command(g_Sketch.window, IDC_SKETCH_SIDE);
  Drive_Command(g_Sketch.window, IDC_SKETCH_SHOW);
  EXPECT_TRUE(Drive_PumpUntil([] { return Text(g_Sketch.window, IDC_SKETCH_SIDE_NAME) == "miravel_shown.bmp"; }, 200));
  ASSERT_TRUE(CaptureView(side));
  i32 ox = g_Shot.ox, oy = g_Shot.oy;
  EXPECT_GE(Count(ox - 30, oy - 30, true), 40) << "sketch's red half, zoom " << sv->zoom;
  EXPECT_GE(Count(ox + 30, oy - 30, false), 40) << "sketch's green half";
  App_MarkAllRedraw(View_CurrentLayout());
  Drive_Hold("MIRAVEL_SHOWN3D_HOLD");
  Drive_Command(g_Sketch.window, IDC_SKETCH_SHOW);
  ASSERT_TRUE(CaptureView(side));
  EXPECT_EQ(Count(ox - 30, oy - 30, true), 0) << "sketch hidden";
  EXPECT_EQ(Count(ox + 30, oy - 30, false), 0) << "sketch hidden";
  Drive_Command(g_Sketch.window, IDC_SKETCH_CLOSE);

  // [swatch] The group's colour applied; the swatch beside list line 0 shows it (x 18..35 of
  // the 18-pixel row; the tick of the current group lies left of x 15).
  HWND panel = (HWND)g_AppShell.panels[SUB_3D_POLY][PANEL_GROUP].window;
  ASSERT_TRUE(Drive_Alive(panel));
  const char *rgba[4] = {"10", "20", "30", "255"};
  for (int c = 0; c < 4; c++) SetDlgItemTextA(panel, IDC_GRP_RED + c, rgba[c]);
  Drive_Command(panel, IDC_GRP_APPLY);
  HWND swatch = GetDlgItem(panel, IDC_GRP_SWATCHES);
  ASSERT_TRUE(Drive_Alive(swatch));
  Drive_RepaintStrips(STRIP_FLAG_SWATCHES);
  EXPECT_EQ(Drive_WindowPixel(swatch, 27, 9), RGB(10, 20, 30));

  // [layer] Group 1 current (a copy of the record), then the empty layer 1: its new model has
  // group 0 only, and the fields show it.
  Drive_Command(panel, IDC_GRP_COPY_RECORD);
  ASSERT_EQ(g_Sel.g_CurGroupIndex, 1u);
  Drive_Command(g_Ed3D.layer.window, IDC_LAYER_1 + 1);
  ASSERT_NE(g_Model3Slots[1], nullptr);
  std::string name1 = g_Model3Slots[1]->groups[0].name;
  EXPECT_TRUE(Drive_PumpUntil([&] { return Text(panel, IDC_GRP_NAME) == name1 && Text(panel, IDC_GRP_RED) == "200"; }, 300))
      << "name '" << Text(panel, IDC_GRP_NAME) << "' red '" << Text(panel, IDC_GRP_RED) << "'";
  EXPECT_EQ(Drive_ListText(GetDlgItem(panel, IDC_GRP_LIST), 0).substr(0, 5), " 0 : ");
  Drive_Command(g_Ed3D.layer.window, IDC_LAYER_1);
  m = g_Model3Slots[0];
  ASSERT_NE(m, nullptr);

  // [texture] The texture sub-mode; a texture added, then given to group 0 in the group panel:
  // the image panel shows its texels (the red half) without leaving the sub-mode.
  ASSERT_EQ(Drive_Press3D(IDC_M3D_TEXTURE), (u32)SUB_3D_TEXTURE);
  Drive_PumpIdle(5);
  HWND groups = (HWND)g_AppShell.panels[SUB_3D_TEXTURE][PANEL_GROUP].window;
  ASSERT_TRUE(Drive_Alive(groups));
  // Group 0 chosen in the list first: the image view is placed for its texture (none yet).
  HWND glist = GetDlgItem(groups, IDC_GRP_LIST);
  SendMessageA(glist, LB_SETCURSEL, 0, 0);
  SendMessageA(groups, WM_COMMAND, MAKEWPARAM(IDC_GRP_LIST, LBN_SELCHANGE), (LPARAM)glist);
  Drive_Command(g_Ed3DTex.panel, IDC_TEX_ADD);
  Drive_PumpIdle(5);
  ASSERT_EQ(m->textureCount, 2);
  SendDlgItemMessageA(groups, IDC_GRP_TEXTURE, CB_SETCURSEL, 1, 0);
  SendMessageA(groups, WM_COMMAND, MAKEWPARAM(IDC_GRP_TEXTURE, CBN_SELCHANGE), (LPARAM)GetDlgItem(groups, IDC_GRP_TEXTURE));
  Drive_Command(groups, IDC_GRP_APPLY);
  ASSERT_EQ(m->groups[0].texture, 1u);
  // The image from the panel's corner at zoom 1: texel (30, 100) is red, (100, 100) green.
  Drive_RepaintStrips(STRIP_FLAG_TEXTURES);
  EXPECT_EQ(PanelPixel(30, 100), RGB(255, 0, 0)) << "texture 1 at the image panel's corner";
  EXPECT_EQ(PanelPixel(100, 100), RGB(0, 255, 0));
  App_MarkAllRedraw(View_CurrentLayout());
  Drive_Hold("MIRAVEL_SHOWN3D_HOLD");

  // [projection] "正面" gives each of the 24 corners its own entry; saved and dumped.
  Drive_Command(g_Ed3DTex.panel, IDC_TEX_FRONT);
  EXPECT_EQ(m->uvCount, 24);
  std::string saved = Drive_SaveByMenu(40024, "miravel_shown_saved.KZP");
  std::string dump = Drive_ModelDump(saved);
  EXPECT_NE(dump.find("\"uvs\":24"), std::string::npos) << dump.substr(0, 400);

  // [sounds] The motion sub-mode's sound list; a KZM with a second sound opened from the File
  // menu: the list shows it at once.
  ASSERT_EQ(Drive_Press3D(IDC_M3D_MOTION), (u32)SUB_3D_MOTION);
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_MOT_SOUNDS, 0);
  Drive_Pump(5);
  ASSERT_TRUE(Drive_Alive(g_Ed3DMotionPanels.waveList));
  m = g_Model3Slots[0];
  i32 sounds = m->soundCount;
  Str_Copy(m->sounds[sounds], MODEL3_NAME, "bang.wav");
  m->soundCount = sounds + 1;
  std::string kzm = Drive_Temp("miravel_shown.KZM");
  ASSERT_EQ(Shown(Kzm_Write, 0, kzm.c_str()), 1);
  m->soundCount = sounds;
  App_RefreshLists(Hook_Now());
  Drive_Pump(5);
  ASSERT_EQ(SendMessageA((HWND)g_Ed3DMotionPanels.waveList, LB_GETCOUNT, 0, 0), sounds);
  g_DriveAnswer = "miravel_shown.KZM";
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZM_OPEN, 0);
  Drive_PumpIdle(5);
  char want[64];
  snprintf(want, sizeof want, "%2d : bang.wav", (int)sounds);
  EXPECT_EQ(Drive_ListText(g_Ed3DMotionPanels.waveList, sounds), want);

  g_ModalHooks.getOpenFileName = nullptr;
  Drive_End("miravel_settings_shown3d");
  for (const std::string &f : {path, saved, kzm, Drive_Temp("miravel_shown.bmp")}) DeleteFileA(f.c_str());
}

const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
