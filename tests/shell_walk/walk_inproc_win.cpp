// One walk through the running program as a user takes it, each step checked on what the
// screen or the written file shows: a cube primitive then "全選択( S )" (the count), F in a
// Front view panned away with nothing selected (the fit), a textured model, the quick load
// F7 and U (the texture back in the main view), the preview's "レンダリング" (the BMP holds
// what the view shows), the option "３Ｄシャドウ" with F8 and the option "２Ｄシャドウ" (the
// shadows' pixels).
// With MIRAVEL_WALK_SHOTS set the render is kept in the root folder to be looked at.
#include <gtest/gtest.h>
#include <windows.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "app/shell_options.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model_shown.h"
#include "app/current.h"
#include "app/family.h"
#include "app/options.h"
#include "app/preview.h"
#include "app/settings.h"
#include "app/shell_win.h"
#include "app/views.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_poly_dlg.h"
#include "lib/draw/camera.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "resources/edit3d_ids.h"
#include "resources/shell_ids.h"
#include "resources/tools_ids.h"
#include "wine_drive.h"

namespace {

const char kSettings[] = "miravel_settings_walk";

// A key released after the loop ran dry (the idle pass frees the latch; here by hand).
void Release(HWND w, UINT vk) {
  g_AppShell.keyLatch = 0;
  SendMessageA(w, WM_KEYUP, vk, 0);
}

std::string Text(void *dlg, int id) {
  char buf[256] = {};
  GetDlgItemTextA((HWND)dlg, id, buf, sizeof buf);
  return buf;
}

// A 4-unit cube standing on y = 1 .. 5 (so its shadow on the ground y = 0 shows below it), every
// face showing the whole of texture entry 1, named by a bare file name.
bool WriteTexturedCube(const std::string &path, const char *texture) {
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_New();
  if (!m) return false;
  for (int i = 0; i < 8; i++)
    m->positions[i] = {(i & 1) ? 2.0f : -2.0f, (i & 2) ? 5.0f : 1.0f, (i & 4) ? 2.0f : -2.0f};
  m->positionCount = 8;
  const Vec2 corners[4] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
  for (int c = 0; c < 4; c++) m->uvs[c] = corners[c];
  m->uvCount = 4;
  const u32 faces[6][4] = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
  for (int f = 0; f < 6; f++) {
    m->polygons[f].cornerCount = 4;
    for (int j = 0; j < 4; j++) m->polygons[f].corners[j] = {faces[f][j], 0, 0, (u32)j};
  }
  m->polygonCount = 6;
  m->textureCount = 2;
  m->textures[1].used = 1;
  Model3_SetText(&m->textures[1].name, texture);
  Group3 &g = m->groups[0];
  g.texture = 1;
  g.r = g.g = g.b = g.a = 255;
  g.mapping = 10;   // by hand: the corners' coordinates stay
  bool ok = Shown(Kzp_Write, m, path.c_str());
  Model3_Free(m);
  return ok;
}

// Pixels of the texture's red and green halves among pixels 0x..RRGGBB.
struct Tally {
  int red = 0, green = 0;
};
Tally Count(const std::vector<unsigned> &px) {
  Tally t;
  for (unsigned p : px) {
    int r = (p >> 16) & 255, g = (p >> 8) & 255, b = p & 255;
    t.red += r >= 96 && r > 2 * g + 30 && r > 2 * b + 30;
    t.green += g >= 96 && g > 2 * r + 30 && g > 2 * b + 30;
  }
  return t;
}

// Black pixels in the 7 x 7 square around ground point (x, 0, z) of the capture (the grid's
// lines cross a shadow on the ground: about a third of them stay grey).
int BlackAround(f32 x, f32 z) {
  f32 s[3];
  Cam_ProjectToScreen(s, x, 0.0f, z);
  int n = 0;
  for (int dy = -3; dy <= 3; dy++)
    for (int dx = -3; dx <= 3; dx++) n += Drive_ShotPixel((i32)s[0] + dx, (i32)s[1] + dy) <= 0x101010u;
  return n;
}

// The mean green level of the 7 x 7 square around ground point (x, 0, z) of the capture.
int MeanAround(f32 x, f32 z) {
  f32 s[3];
  Cam_ProjectToScreen(s, x, 0.0f, z);
  int sum = 0;
  for (int dy = -3; dy <= 3; dy++)
    for (int dx = -3; dx <= 3; dx++) sum += (Drive_ShotPixel((i32)s[0] + dx, (i32)s[1] + dy) >> 8) & 255;
  return sum / 49;
}

// A 32- or 24-bit BMP file as 0xRRGGBB pixels, rows from the top, through the system's loader.
bool ReadBmp(const std::string &path, std::vector<unsigned> *px, unsigned *w, unsigned *h) {
  HBITMAP bmp = (HBITMAP)LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION);
  DIBSECTION d = {};
  bool ok = bmp && GetObjectA(bmp, sizeof d, &d) == sizeof d && d.dsBm.bmBits && d.dsBm.bmBitsPixel >= 24;
  if (ok) {
    *w = (unsigned)d.dsBm.bmWidth, *h = (unsigned)d.dsBm.bmHeight;
    px->assign((size_t)*w * *h, 0);
    bool bottomUp = d.dsBmih.biHeight > 0;
    for (unsigned y = 0; y < *h; y++)
      for (unsigned x = 0; x < *w; x++) {
        const u8 *p = (const u8 *)d.dsBm.bmBits + (size_t)(bottomUp ? *h - 1 - y : y) * d.dsBm.bmWidthBytes + x * (d.dsBm.bmBitsPixel / 8);
        (*px)[(size_t)y * *w + x] = (unsigned)p[2] << 16 | (unsigned)p[1] << 8 | p[0];
      }
  }
  if (bmp) DeleteObject(bmp);
  return ok;
}

HWND ViewOfKind(u32 layout, u32 kind, u32 *index) {
  for (u32 i = 1; i < VIEWS_PER_LAYOUT; i++) {
    ViewRecord *v = &g_Shell.g_Views[layout][i];
    if (v->inUse == 1 && v->window && v->kind == kind) {
      *index = i;
      return (HWND)v->window;
    }
  }
  return nullptr;
}

// Fits the main view (F with the main view active and nothing selected: the whole model).
void FitMain(void) {
  g_Shell.g_ActiveView = 0;
  Release(g_Lib.mainWnd, 'F');
  Drive_PumpIdle(3);
}

}  // namespace

TEST(ShellWalk, SelectAllFitQuickLoadUndoRenderAndShadow) {
  ASSERT_TRUE(Drive_Start3D("", kSettings));
  ASSERT_EQ(g_Shell.g_EditSubMode, (u32)SUB_3D_POLY);
  ASSERT_TRUE(Drive_Alive(Ed3DPolyEditor.dlg));
  std::string tempDir = Drive_TempDir();

  // A cube primitive comes in with its six faces selected; "全選択( S )" then selects
  // everything (the flags are looked at over the arrays' full room), a second press nothing.
  {
    SCOPED_TRACE("select all after a primitive");
    Drive_Command(Ed3DPolyEditor.dlg, IDC_POLY_FACE_MODE);
    Drive_Command(Ed3DPolyEditor.dlg, IDC_POLY_CUBE);
    ASSERT_NE(Current_Model3(), nullptr);
    ASSERT_EQ(Current_Model3()->polygonCount, 6);
    const char *after[2] = {"面     6 /    6", "面     0 /    6"};
    for (const char *want : after) {
      Drive_Command(Ed3DPolyEditor.dlg, IDC_POLY_SELECT_ALL);
      EXPECT_TRUE(Drive_PumpUntil([&] { return Text(Ed3DPolyEditor.dlg, IDC_POLY_STATUS) == want; }, 2000))
          << Text(Ed3DPolyEditor.dlg, IDC_POLY_STATUS) << " wanted " << want;
    }
  }

  // F in a Front view panned far away, nothing selected: the whole model comes back.
  {
    SCOPED_TRACE("fit with nothing selected");
    u32 index = 0;
    HWND front = ViewOfKind(SUB_3D_POLY, VIEW_FRONT, &index);
    ASSERT_NE(front, nullptr);
    ViewRecord *v = &g_Shell.g_Views[SUB_3D_POLY][index];
    for (u32 i = 0; i < Poly_FaceFlagRoom(); i++) g_Sel.g_PolySelFaces[i] = 0;
    for (u32 i = 0; i < Poly_VertFlagRoom(); i++) g_Sel.g_PolySelVerts[i] = 0;
    v->panX = -500.0f;
    v->zoom = 1.0f;
    g_Shell.g_ActiveView = index;
    Release(front, 'F');
    EXPECT_LT(fabsf(v->panX), 2.0f);   // the cube's centre
    EXPECT_NE(v->zoom, 1.0f);
  }

  // A textured model opened through the File menu, the quick load F7, then U: the model comes
  // back with its texture, in the main view and in the layer's texture table.
  ASSERT_TRUE(Drive_WriteHalvesBmp(Drive_Temp("miravel_walk_tex.bmp")));
  ASSERT_TRUE(WriteTexturedCube(Drive_Temp("miravel_walk_cube.KZP"), "miravel_walk_tex.bmp"));
  g_ModalHooks.getOpenFileName = Drive_AnswerFile;
  g_DriveFolder.clear();
  g_DriveAnswer = "miravel_walk_cube.KZP";
  {
    SCOPED_TRACE("undo of a quick load");
    // The cube above is a changed document: the open asks first, and the user lets it go.
    g_ModalHooks.messageBox = [](HWND, const char *, const char *, UINT) { return IDYES; };
    SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZP_OPEN, 0);
    g_ModalHooks.messageBox = nullptr;
    Drive_PumpIdle(3);
    ASSERT_NE(g_Model3Slots[0], nullptr);
    ASSERT_NE(g_ModelPoses[0]->textures[1], nullptr);
    FitMain();
    ASSERT_TRUE(Drive_CaptureMain());
    Tally opened = Count(g_DriveShot.pixels);
    EXPECT_GT(opened.red, 200);
    EXPECT_GT(opened.green, 200);
    Release(g_Lib.mainWnd, VK_F7);
    Drive_PumpIdle(3);
    Release(g_Lib.mainWnd, 'U');
    Drive_PumpIdle(3);
    EXPECT_STREQ(g_Model3Slots[0]->textures[1].name, "miravel_walk_tex.bmp");
    EXPECT_NE(g_ModelPoses[0]->textures[1], nullptr);
    ASSERT_TRUE(Drive_CaptureMain());
    Tally restored = Count(g_DriveShot.pixels);
    EXPECT_GT(restored.red, opened.red / 2);
    EXPECT_GT(restored.green, opened.green / 2);
    // Redo brings the quick load's model back, undo the textured one again; so does a switch
    // to layer 2 and back, which restores the layer's step.
    Release(g_Lib.mainWnd, 'I');
    Release(g_Lib.mainWnd, 'U');
    EXPECT_NE(g_ModelPoses[0]->textures[1], nullptr);
    Drive_Command(g_Ed3D.layer.window, IDC_LAYER_2);
    Drive_Command(g_Ed3D.layer.window, IDC_LAYER_1);
    Drive_PumpIdle(3);
    ASSERT_EQ(g_Sel.g_CurSlot, 0u);
    EXPECT_NE(g_ModelPoses[0]->textures[1], nullptr);
    ASSERT_TRUE(Drive_CaptureMain());
    EXPECT_GT(Count(g_DriveShot.pixels).red, opened.red / 2);
  }

  // The preview with the same model: "レンダリング" writes what the main view shows. The undone
  // model is a change: the switch asks, and the user lets it go.
  g_ModalHooks.messageBox = [](HWND, const char *, const char *, UINT) { return IDYES; };
  Drive_Command(g_EditDlg.window, IDC_EDIT_PREVIEW);
  g_ModalHooks.messageBox = nullptr;
  Drive_Pump(50);
  ASSERT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_PREVIEW);
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZP_OPEN, 0);
  Drive_PumpIdle(3);
  ASSERT_NE(g_Model3Slots[0], nullptr);
  FitMain();
  {
    SCOPED_TRACE("preview render");
    ASSERT_TRUE(Drive_CaptureMain());
    std::vector<unsigned> shown = g_DriveShot.pixels;
    SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_RENDER, 0);
    Drive_Pump(20);
    HWND dlg = (HWND)g_PreviewRender.window;
    ASSERT_TRUE(Drive_Alive(dlg));
    SetDlgItemTextA(dlg, IDC_RENDER_NAME, "miravel_walk_render");
    Drive_Command(dlg, IDC_RENDER_RUN);
    std::string file = std::string(g_Lib.rootDir) + "\\miravel_walk_render.BMP";
    std::vector<unsigned> px;
    unsigned w = 0, h = 0;
    ASSERT_TRUE(ReadBmp(file, &px, &w, &h)) << file;
    if (!getenv("MIRAVEL_WALK_SHOTS")) DeleteFileA(file.c_str());
    Tally t = Count(px);
    EXPECT_GT(t.red, 200);
    EXPECT_GT(t.green, 200);
    // The file is the view: the same size, and all but a few pixels (screen text) alike.
    ASSERT_EQ(w, g_DriveShot.w);
    ASSERT_EQ(h, g_DriveShot.h);
    size_t differ = 0;
    for (size_t i = 0; i < px.size(); i++) {
      unsigned a = px[i], b = shown[i] & 0xFFFFFFu;
      for (int c = 0; c < 24; c += 8) differ += abs((int)((a >> c) & 255) - (int)((b >> c) & 255)) > 16 ? 1 : 0;
    }
    EXPECT_LT(differ, px.size() / 100);
    Drive_Command(dlg, IDC_RENDER_CLOSE);
  }

  // "３Ｄシャドウ" in the options dialog: the cube's shadow lies black on the ground below it;
  // F8 switches the model to render mode 4 and back, the shadow staying; off again, no shadow.
  {
    SCOPED_TRACE("3D shadow");
    g_Shell.g_Views[0][0].zoom *= 2.0f;   // the eye backs off: the ground under the cube in sight
    Drive_PumpIdle(3);
    ASSERT_TRUE(Drive_CaptureMain());
    EXPECT_LE(BlackAround(0.0f, -1.5f), 4);   // the ground in front, under the cube's front face
    SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_OPTIONS, 0);
    Drive_Pump(20);
    ASSERT_TRUE(Drive_Alive(g_OptionDlg.window));
    Drive_Command(g_OptionDlg.window, IDC_OPT_SHADOW_3D);
    EXPECT_EQ(g_Options.g_OptShadow, 30);
    Drive_PumpIdle(3);
    ASSERT_TRUE(Drive_CaptureMain());
    EXPECT_GE(BlackAround(0.0f, -1.5f), 25);
    const u32 modes[2] = {4, 0};
    for (u32 mode : modes) {
      Release(g_Lib.mainWnd, VK_F8);
      EXPECT_EQ(g_Model3Slots[0]->renderMode, mode);
      ASSERT_TRUE(Drive_CaptureMain());
      EXPECT_GE(BlackAround(0.0f, -1.5f), 25) << mode;
      EXPECT_GT(Count(g_DriveShot.pixels).red, 200) << mode;   // the model is drawn in either mode
    }
    Drive_Command(g_OptionDlg.window, IDC_OPT_SHADOW_3D);
    EXPECT_EQ(g_Options.g_OptShadow, 0);
    ASSERT_TRUE(Drive_CaptureMain());
    EXPECT_LE(BlackAround(0.0f, -1.5f), 4);
  }

  // "２Ｄシャドウ ( プレビューのみ )": the blob texture (RGB 10 under an alpha that falls from 212
  // at its centre to 0 at its edge) on the ground under the cube, 1.5 times its footprint:
  // (0, -1.5) lies a quarter of the way in from the blob's edge (alpha about 100), where the
  // grey ground (128 but for the grid's lines) darkens to about 10 * 0.4 + 128 * 0.6 = 81;
  // never black as the 3D shadow is. Off again, the ground is as it was.
  {
    SCOPED_TRACE("2D shadow");
    ASSERT_TRUE(Drive_CaptureMain());
    int ground = MeanAround(0.0f, -1.5f);
    EXPECT_GE(ground, 100);
    Drive_Command(g_OptionDlg.window, IDC_OPT_SHADOW_2D);
    EXPECT_EQ(g_Options.g_OptShadow, 20);
    Drive_PumpIdle(3);
    ASSERT_TRUE(Drive_CaptureMain());
    int shaded = MeanAround(0.0f, -1.5f);
    EXPECT_LE(shaded, ground - 25) << ground;
    EXPECT_GE(shaded, 40) << ground;
    EXPECT_LE(BlackAround(0.0f, -1.5f), 4);
    Drive_Command(g_OptionDlg.window, IDC_OPT_SHADOW_2D);
    EXPECT_EQ(g_Options.g_OptShadow, 0);
    Drive_PumpIdle(3);
    ASSERT_TRUE(Drive_CaptureMain());
    EXPECT_NEAR(MeanAround(0.0f, -1.5f), ground, 3);
  }

  Drive_CaptureEnd();
  g_ModalHooks.getOpenFileName = nullptr;
  DeleteFileA(Drive_Temp("miravel_walk_tex.bmp").c_str());
  DeleteFileA(Drive_Temp("miravel_walk_cube.KZP").c_str());
  Drive_End(kSettings);
}

::testing::Environment *const kEnd = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
