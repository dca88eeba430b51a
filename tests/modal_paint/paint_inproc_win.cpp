// While a real message box or a real file dialog of the program is up, the windows it leaves
// uncovered stay drawn: the 2D texture panel's preview and the main view, exposed again while
// the box is up, show what they showed before it (a loop that only the main loop drew left the
// preview blank and the view black until the box closed).
#include <gtest/gtest.h>
#include <windows.h>

#include "app/strip.h"
#include "app/winorder_win.h"
#include "edit2d/ed2d_tex.h"
#include "wine_drive.h"

namespace {

struct Look {
  std::vector<u32> panel, view;
  RECT modal = {};
  bool seen = false;
};
Look g_During;

// The screen inside the texture panel's and the main window's client areas.
void Take(Look *l) {
  int w, h;
  l->panel = Drive_ScreenOf((HWND)g_Ed2DTex.panel, &w, &h);
  l->view = Drive_ScreenOf(g_Lib.mainWnd, &w, &h);
}

// The shown modal window of the program (the box or the file dialog), or null.
HWND g_Modal;
BOOL CALLBACK FindModal(HWND w, LPARAM) {
  char cls[32] = "";
  GetClassNameA(w, cls, sizeof cls);
  if (!strcmp(cls, "#32770") && IsWindowVisible(w) && IsWindowEnabled(w) && w != (HWND)g_Ed2DTex.panel) g_Modal = w;
  return TRUE;
}

// Inside the modal loop: every window uncovered (as a box moved away uncovers them), a moment
// to draw, then the screen read and the modal window closed.
void CALLBACK Read(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  g_Modal = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindModal, 0);
  if (g_Modal) GetWindowRect(g_Modal, &g_During.modal);
  Take(&g_During);
  g_During.seen = g_Modal != nullptr;
  if (g_Modal) PostMessageA(g_Modal, WM_COMMAND, IDCANCEL, 0);
}
void CALLBACK Uncover(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
  SetTimer(nullptr, 0, 1500, Read);
}

// Pixels of window w's client area (as Take read it) that differ between two looks, those the
// modal window covers left out.
int Changed(HWND w, const std::vector<u32> &a, const std::vector<u32> &b, const RECT &modal) {
  RECT c;
  GetClientRect(w, &c);
  POINT o = {0, 0};
  ClientToScreen(w, &o);
  int n = 0;
  for (int y = 0; y < c.bottom; y++)
    for (int x = 0; x < c.right; x++) {
      POINT p = {o.x + x, o.y + y};
      size_t i = (size_t)y * c.right + x;
      if (!PtInRect(&modal, p) && i < a.size() && i < b.size() && a[i] != b[i]) n++;
    }
  return n;
}


}  // namespace

TEST(ModalPaint, ViewsAndPanelsStayDrawnUnderABoxAndAFileDialog) {
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", "1");
  g_ModalHooks.messageBox = Drive_AnswerYes;
  ASSERT_NE(Drive_Start2DOnNewModel("miravel_settings_paint"), nullptr);
  ASSERT_EQ(Drive_Press2D(IDC_M2D_TEXTURE), (u32)SUB_2D_TEXTURE);
  ASSERT_TRUE(Drive_WriteHalvesBmp(Drive_Temp("miravel_paint.bmp")));
  auto platformRun = g_LibHooks.fileDlg.run;
  g_LibHooks.fileDlg.run = Drive_AnswerRequest;
  g_DriveAnswer = "miravel_paint.bmp";
  Drive_Command(g_Ed2DTex.panel, IDC_T2D_ADD);
  g_LibHooks.fileDlg.run = platformRun;
  Drive_Pump(50);

  struct Case {
    const char *what;
    void (*show)(void);
  } cases[] = {
      {"message box", [] { Modal_MessageBox(g_Lib.mainWnd, "テスト", "Miravel", MB_OK); }},
      {"file dialog", [] { FileDlg_OpenByExt(g_Lib.mainWnd, "*", "テスト", ""); }},
  };
  g_ModalHooks.messageBox = nullptr;
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", "0");
  for (const Case &c : cases) {
    // The windows in their order and drawn, as the user sees them before the box.
    WinOrder_RaiseAll();
    Drive_RepaintStrips(STRIP_FLAG_TEXTURES);
    App_MarkAllRedraw(View_CurrentLayout());
    Drive_Pump(40);
    Look before;
    Take(&before);
    g_During = Look{};
    SetTimer(nullptr, 0, 500, Uncover);
    c.show();
    Drive_Pump(20);
    ASSERT_TRUE(g_During.seen) << c.what;
    int panel = Changed((HWND)g_Ed2DTex.panel, before.panel, g_During.panel, g_During.modal);
    int view = Changed(g_Lib.mainWnd, before.view, g_During.view, g_During.modal);
    // A few pixels may differ (a caret, a focus frame); an unpainted preview or view is
    // hundreds of thousands.
    EXPECT_LT(panel, 2000) << c.what << ": the texture panel while it is up";
    EXPECT_LT(view, 20000) << c.what << ": the main window while it is up";
  }
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", "1");
  g_ModalHooks.messageBox = Drive_AnswerYes;
  Drive_End("miravel_settings_paint");
}
