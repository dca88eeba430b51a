// The effect family inside the started program, driven by messages: "エフェクト" in the
// selector opens the effect dialog and the family's menu; the two track bars moved by message
// with their notifications change the counts and the "%d" labels; after 200 passes the back
// buffer shows the explosion's sprites (warm, additive) on the black screen; leaving closes
// the dialog, and entering again reloads the sprite into the same image row.
//
// With MIRAVEL_EFFECT_HOLD=<seconds> the test keeps the program running that long after the
// 200 passes, so that the screen can be looked at (import -display ... -window root).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <stdlib.h>

#include <string>

#include "app/family.h"
#include "app/shell_view.h"
#include "app/shell_win.h"
#include "app/startup_state.h"
#include "app/startup_win.h"
#include "app/views.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "lib/framework/view_record.h"
#include "resources/effect_edit_ids.h"
#include "resources/shell_ids.h"
#include "scene/effect_edit.h"
#include "wine_drive.h"

namespace {

void Select(int id) {
  SendMessageA((HWND)g_EditDlg.window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
  Drive_Pump(20);
}

// The track bar moved as a user drag ends: its position, then the parent's notification.
void Slide(HWND dlg, int id, int pos) {
  HWND bar = GetDlgItem(dlg, id);
  SendMessageA(bar, TBM_SETPOS, TRUE, pos);
  SendMessageA(dlg, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, pos), (LPARAM)bar);
}

std::string Label(HWND dlg, int id) {
  char t[64] = {};
  GetDlgItemTextA(dlg, id, t, sizeof t);
  return t;
}

// Back-buffer samples on a grid: warm sprite pixels (red above green above blue) and the
// pixels that are not black.
void CountPixels(int *warm, int *lit) {
  *warm = *lit = 0;
  // The explosion is drawn in the main view only, whichever view the loop drew last.
  for (u32 i = 0; i < VIEWS_PER_LAYOUT; i++)
    if (View_Get(g_Shell.g_EditSubMode, i)->kind == VIEW_MAIN) { g_Shell.g_DrawView = i; break; }
  ASSERT_EQ(D3DApp_RenderFrame(), S_OK);
  for (int gy = 1; gy < 24; gy++)
    for (int gx = 1; gx < 32; gx++) {
      u32 argb = 0;
      if (!D3DApp_ReadBackPixel(g_Lib.screenWidth * gx / 32, g_Lib.screenHeight * gy / 24, &argb)) continue;
      int r = (argb >> 16) & 255, g = (argb >> 8) & 255, b = argb & 255;
      if (r + g + b > 30) (*lit)++;
      if (r > 40 && r > g && g >= b) (*warm)++;
    }
}

}  // namespace

TEST(EffectInProcess, DialogSlidersAndTheExplosion) {
  g_ModalHooks.messageBox = Drive_AnswerYes;
  ASSERT_TRUE(Drive_StartWith(Particle_InstallWin));

  // "エフェクト": the dialog at the bottom left with its labels, the family's menu.
  Select(IDC_EDIT_EFFECT);
  ASSERT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_EFFECT);
  HWND dlg = (HWND)g_ParticleEdit.dialog;
  ASSERT_TRUE(IsWindow(dlg));
  EXPECT_TRUE(IsWindowVisible(dlg));
  RECT r;
  GetWindowRect(dlg, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.right - r.left, 740);
  EXPECT_EQ(r.bottom - r.top, 300);
  EXPECT_EQ(Label(dlg, IDC_EFFECT_FRAMES_LABEL), "フレーム数");
  EXPECT_EQ(Label(dlg, IDC_EFFECT_EXPLOSIONS_LABEL), "爆発数");
  EXPECT_EQ(Label(dlg, IDC_EFFECT_FRAMES_TEXT), "180");
  EXPECT_EQ(Label(dlg, IDC_EFFECT_EXPLOSIONS_TEXT), "300");
  EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_EFFECT_FRAMES, TBM_GETPOS, 0, 0), 90);
  EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_EFFECT_EXPLOSIONS, TBM_GETRANGEMAX, 0, 0), 300);
  HMENU menu = GetMenu(g_Lib.mainWnd);
  EXPECT_NE(GetMenuState(menu, IDM_OPTIONS, MF_BYCOMMAND), (UINT)-1);
  EXPECT_NE(GetMenuState(menu, IDM_EXIT, MF_BYCOMMAND), (UINT)-1);
  EXPECT_EQ(g_Lib.runState, 5u);
  ASSERT_EQ(g_ParticleEdit.image.loaded, 1u);   // Data/爆発.png
  const i32 row = g_ParticleEdit.image.row;

  // The sliders: a short loop of 40 frames keeps sprites on screen; 200 explosions.
  Slide(dlg, IDC_EFFECT_FRAMES, 40);
  Slide(dlg, IDC_EFFECT_EXPLOSIONS, 200);
  EXPECT_EQ(g_ParticleEdit.frameCount, 40);
  EXPECT_EQ(g_ParticleEdit.explosionCount, 200);
  DWORD until = GetTickCount() + 300;
  Drive_PumpUntil([&] { return GetTickCount() >= until && Label(dlg, IDC_EFFECT_EXPLOSIONS_TEXT) == "200"; });
  EXPECT_EQ(Label(dlg, IDC_EFFECT_FRAMES_TEXT), "40");
  EXPECT_EQ(Label(dlg, IDC_EFFECT_EXPLOSIONS_TEXT), "200");

  // 200 passes, then the preview on screen: sprites lie in a disc of radius 72 + 64 about
  // the centre, the rest of the screen stays black.
  Drive_Pump(200);
  EXPECT_LE(g_ParticleEdit.frameCounter, 40);
  if (const char *hold = getenv("MIRAVEL_EFFECT_HOLD")) {
    DWORD end = GetTickCount() + 1000u * (DWORD)atoi(hold);
    Drive_PumpUntil([&] { return GetTickCount() >= end; }, 100000000);
  }
  // A fresh explosion a few frames old, whatever the loop's phase.
  g_ParticleEdit.frameCounter = 40;
  Drive_Pump(8);
  int warm = 0, lit = 0;
  CountPixels(&warm, &lit);
  EXPECT_GE(warm, 4);
  EXPECT_LT(lit, 31 * 23 / 4);

  // Leaving closes the dialog and stops playback; entering again reuses the image row.
  g_Shell.g_Playing = 1;
  Select(IDC_EDIT_2D_MAP);
  EXPECT_EQ(g_Shell.g_Playing, 0u);
  EXPECT_FALSE(IsWindow(dlg));
  EXPECT_EQ(g_ParticleEdit.dialog, nullptr);
  Select(IDC_EDIT_EFFECT);
  EXPECT_TRUE(IsWindow((HWND)g_ParticleEdit.dialog));
  EXPECT_EQ(g_ParticleEdit.image.row, row);
}

const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
