// The effect dialog (template 107): the thin procedure that hands its sliders to
// Particle_SliderChanged and writes Particle_LabelText into the two "%d" labels on its timer,
// and the host entries.
//
// Owner of g_ParticleDlg: this file.
#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include "app/views.h"
#include "app/winorder_win.h"
#include "app/winplace_win.h"
#include "lib/draw/text.h"
#include "lib/framework/lib.h"
#include "resources/effect_edit_ids.h"
#include "scene/effect_edit.h"

struct ParticleDialog {
  HWND window;
  RECT rect;   // last window rectangle (screen)
};
static ParticleDialog g_ParticleDlg;

static void Particle_RefreshLabels(HWND dlg) {
  char text[32];
  Particle_LabelText(PARTICLE_CTL_FRAMES_TEXT, text, sizeof text);
  SetDlgItemTextA(dlg, IDC_EFFECT_FRAMES_TEXT, text);
  Particle_LabelText(PARTICLE_CTL_EXPLOSIONS_TEXT, text, sizeof text);
  SetDlgItemTextA(dlg, IDC_EFFECT_EXPLOSIONS_TEXT, text);
  g_ParticleEdit.refresh = 0;
}

static void Particle_InitSlider(HWND dlg, i32 id, i32 max, i32 pos) {
  SendDlgItemMessageA(dlg, id, TBM_SETRANGE, TRUE, MAKELPARAM(0, max));
  SendDlgItemMessageA(dlg, id, TBM_SETPOS, TRUE, pos);
}

static INT_PTR CALLBACK Particle_DlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
  GetWindowRect(dlg, &g_ParticleDlg.rect);
  switch (msg) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dlg, IDC_EFFECT_FRAMES_LABEL, "フレーム数");
      SetDlgItemTextA(dlg, IDC_EFFECT_EXPLOSIONS_LABEL, "爆発数");
      Particle_DialogInit();
      Particle_InitSlider(dlg, IDC_EFFECT_FRAMES, PARTICLE_FRAMES_MAX, 90);
      Particle_InitSlider(dlg, IDC_EFFECT_EXPLOSIONS, PARTICLE_SPRITES, 150);
      SetTimer(dlg, 1, 50, nullptr);
      return TRUE;
    case WM_HSCROLL: {
      HWND slider = (HWND)lParam;
      if (!slider) return FALSE;
      i32 pos = (i32)SendMessageA(slider, TBM_GETPOS, 0, 0);
      return Particle_SliderChanged(GetDlgCtrlID(slider), pos) ? TRUE : FALSE;
    }
    case WM_TIMER:
      if (g_ParticleEdit.refresh) Particle_RefreshLabels(dlg);
      return TRUE;
    default: return FALSE;
  }
}

// The family's two lines of screen text (a two-byte character as wide as the font is high),
// with a margin: no window covers them.
static void Particle_KeepNotice(void) {
  enum { MARGIN = 4 };
  i32 h = Text_FontHeight(1.0f, g_TextSize);
  i32 noticeRight = EFFECT_NOTICE_X + (i32)strlen(g_EffectNotice) * h / 2;
  i32 hintRight = EFFECT_HINT_X + (i32)strlen(g_EffectVSyncHint) * h / 2;
  i32 left = EFFECT_NOTICE_X < EFFECT_HINT_X ? EFFECT_NOTICE_X : EFFECT_HINT_X;
  i32 right = noticeRight > hintRight ? noticeRight : hintRight;
  WinPlace_KeepInFrame(WINPLACE_KEEP_TEXT, left - MARGIN, EFFECT_HINT_Y - MARGIN, right - left + 2 * MARGIN,
                       EFFECT_NOTICE_Y + h - EFFECT_HINT_Y + 2 * MARGIN, nullptr, false);
}

static void Particle_OpenDialog(void) {
  if (g_ParticleDlg.window) return;
  Particle_KeepNotice();
  HWND main = (HWND)g_Shell.g_MainWindowHandle;
  HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_EFFECT), main, Particle_DlgProc, 0);
  if (!dlg) return;
  g_ParticleDlg.window = dlg;
  g_ParticleEdit.dialog = dlg;
  i32 h = g_DesktopHeight > 0 ? g_DesktopHeight : GetSystemMetrics(SM_CYSCREEN);
  MoveWindow(dlg, 0, h - 330, 740, 300, TRUE);
  ShowWindow(dlg, SW_SHOW);
  WinOrder_Join(dlg);
  Particle_RefreshLabels(dlg);
}

static void Particle_CloseDialog(void) {
  WinPlace_Keep(WINPLACE_KEEP_TEXT, nullptr, nullptr);
  if (g_ParticleDlg.window) {
    KillTimer(g_ParticleDlg.window, 1);
    WinOrder_Leave(g_ParticleDlg.window);
    DestroyWindow(g_ParticleDlg.window);
  }
  g_ParticleDlg.window = nullptr;
  g_ParticleEdit.dialog = nullptr;
}

void Particle_InstallWin(void) {
  g_ParticleHost.openDialog = Particle_OpenDialog;
  g_ParticleHost.closeDialog = Particle_CloseDialog;
}
