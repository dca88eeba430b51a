// The effect dialog (template 107): its registration with the widget seam (it keeps the
// family's screen text clear while it exists), and the thin procedure that hands its sliders
// to Particle_SliderChanged and writes Particle_LabelText into the two "%d" labels on its timer.
#include <windows.h>
#include <commctrl.h>
#include <string.h>

#include "app/views.h"
#include "app/widget_win.h"
#include "app/winplace_win.h"
#include "lib/draw/text.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "resources/effect_edit_ids.h"
#include "scene/effect_edit.h"

static void Particle_RefreshLabels(HWND dlg) {
  char text[32];
  Particle_LabelText(IDC_EFFECT_FRAMES_TEXT, text, sizeof text);
  SetDlgItemTextA(dlg, IDC_EFFECT_FRAMES_TEXT, text);
  Particle_LabelText(IDC_EFFECT_EXPLOSIONS_TEXT, text, sizeof text);
  SetDlgItemTextA(dlg, IDC_EFFECT_EXPLOSIONS_TEXT, text);
  g_ParticleEdit.refresh = 0;
}

static void Particle_InitSlider(HWND dlg, i32 id, i32 max, i32 pos) {
  SendDlgItemMessageA(dlg, id, TBM_SETRANGE, TRUE, MAKELPARAM(0, max));
  SendDlgItemMessageA(dlg, id, TBM_SETPOS, TRUE, pos);
}

static INT_PTR CALLBACK Particle_DlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam) {
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
  i32 h = Text_FontHeight(1.0f, g_Lib.textSize);
  i32 noticeRight = EFFECT_NOTICE_X + (i32)strlen(g_EffectNotice) * h / 2;
  i32 hintRight = EFFECT_HINT_X + (i32)strlen(g_EffectVSyncHint) * h / 2;
  i32 left = EFFECT_NOTICE_X < EFFECT_HINT_X ? EFFECT_NOTICE_X : EFFECT_HINT_X;
  i32 right = noticeRight > hintRight ? noticeRight : hintRight;
  WinPlace_KeepInFrame(WINPLACE_KEEP_TEXT, left - MARGIN, EFFECT_HINT_Y - MARGIN, right - left + 2 * MARGIN,
                       EFFECT_NOTICE_Y + h - EFFECT_HINT_Y + 2 * MARGIN, nullptr, false);
}

static void Particle_DialogCreated(HWND dlg) {
  Particle_KeepNotice();
  Particle_RefreshLabels(dlg);
}

static void Particle_DialogDestroyed(HWND dlg) {
  WinPlace_Keep(WINPLACE_KEEP_TEXT, nullptr, nullptr);
  KillTimer(dlg, 1);
}

void Particle_InstallWin(void) {
  static const WidgetPanelClass kPanel = {PARTICLE_PANEL, MAKEINTRESOURCEA(IDD_EFFECT), Particle_DlgProc, 0, 0,
                                          Particle_DialogCreated, Particle_DialogDestroyed};
  Widget_InstallWin();
  Widget_RegisterPanels(&kPanel, 1);
}
