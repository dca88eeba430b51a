// Modal windows answered without a window: the error box goes through the message-box hook
// with the program's caption and restarts the library timer; automatic mode answers each
// kind of box with its default button.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "lib/framework/framework_win.h"
#include "lib/framework/modal_hooks.h"
#include "model/seam.h"
#include "model/seam_errorbox.h"

namespace {

std::string g_Text, g_Caption;
UINT g_Type;
int g_Calls;
int RecordBox(HWND, const char *text, const char *caption, UINT type) {
  g_Text = text;
  g_Caption = caption;
  g_Type = type;
  g_Calls++;
  return IDOK;
}
int g_TimerResets;
void CountTimerReset() { g_TimerResets++; }

TEST(ModalHooks, ErrorBoxGoesThroughTheHookThenRestartsTheTimer) {
  CoreSeam saved = g_Seam;
  g_Seam = CoreSeam{};
  Lib_InstallSeam();
  g_Seam.timerReset = CountTimerReset;
  g_ModalHooks.messageBox = RecordBox;
  Seam_ErrorBoxf("%s を開けません。", "a.kzp");
  EXPECT_EQ(g_Calls, 1);
  EXPECT_EQ(g_Text, "a.kzp を開けません。");
  EXPECT_EQ(g_Caption, "Miravel");
  EXPECT_EQ(g_Type & MB_TYPEMASK, (UINT)MB_OK);
  EXPECT_EQ(g_TimerResets, 1);
  g_ModalHooks.messageBox = nullptr;
  g_Seam = saved;
}

TEST(ModalHooks, AutomaticModeAnswersWithTheDefault) {
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", "1");
  EXPECT_EQ(Modal_MessageBox(nullptr, "?", "Miravel", MB_OK), IDOK);
  EXPECT_EQ(Modal_MessageBox(nullptr, "?", "Miravel", MB_YESNO), IDNO);
  EXPECT_EQ(Modal_MessageBox(nullptr, "?", "Miravel", MB_OKCANCEL), IDCANCEL);
  char file[MAX_PATH] = "x";
  OPENFILENAMEA ofn;
  ZeroMemory(&ofn, sizeof ofn);
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  EXPECT_FALSE(Modal_GetOpenFileName(&ofn));
  EXPECT_FALSE(Modal_GetSaveFileName(&ofn));
  EXPECT_EQ(Modal_DialogBox(GetModuleHandleA(nullptr), "NO_SUCH_DLG", nullptr, nullptr, 0), IDCANCEL);
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", nullptr);
  EXPECT_FALSE(Modal_IsAuto());
}

}  // namespace
