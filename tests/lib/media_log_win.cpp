// The log window under Wine (created on demand, lines listed, closed and made again) and the
// file dialogs answered through the modal hooks (the chosen folder becomes current).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "lib/draw/drawdev_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/dialogs.h"
#include "lib/framework/modal_hooks.h"
#include "lib/media/log.h"
#include "model/seam.h"
#include "model/seam_log.h"

namespace {

LRESULT ListCount() { return SendMessageA((HWND)g_Log.list, LB_GETCOUNT, 0, 0); }

std::string ListLine(int i) {
  char buf[512] = {};
  SendMessageA((HWND)g_Log.list, LB_GETTEXT, (WPARAM)i, (LPARAM)buf);
  return buf;
}

TEST(LogWindowWin, CreatedOnDemandAndAgainAfterItWasClosed) {
  Log_InstallPlatform();
  CoreSeam saved = g_Seam;
  g_Seam.logLine = Log_AddLine;
  g_Log = LogState{};
  Log_Printf("起動前の行 %d", 1);   // no window yet: dropped
  Log_Create();
  ASSERT_NE(g_Log.window, nullptr);
  char cls[64] = {};
  GetClassNameA((HWND)g_Log.window, cls, sizeof cls);
  EXPECT_STREQ(cls, "LogWin");
  void *first = g_Log.window;
  Log_Create();   // a second call while it exists does nothing
  EXPECT_EQ(g_Log.window, first);
  Log_Printf("行 %d", 1);
  Log_Printf("%s", "ShadowMap 未対応");
  ASSERT_EQ(ListCount(), 2);
  EXPECT_EQ(ListLine(0), "行 1");
  EXPECT_EQ(ListLine(1), "ShadowMap 未対応");
  EXPECT_EQ(SendMessageA((HWND)g_Log.list, LB_GETCURSEL, 0, 0), 1);
  // Escape closes the window; its handles are cleared and later lines are dropped.
  SendMessageA((HWND)g_Log.window, WM_KEYUP, VK_ESCAPE, 0);
  EXPECT_FALSE(IsWindow((HWND)first));
  EXPECT_EQ(g_Log.window, nullptr);
  EXPECT_EQ(g_Log.list, nullptr);
  Log_Printf("閉じた後");
  Log_Create();
  ASSERT_NE(g_Log.window, nullptr);
  Log_Printf("再作成");
  ASSERT_EQ(ListCount(), 1);
  EXPECT_EQ(ListLine(0), "再作成");
  EXPECT_GT(Log_FreeMemory(), 0u);
  DestroyWindow((HWND)g_Log.window);
  EXPECT_EQ(g_Log.window, nullptr);
  g_Seam = saved;
}

// [SECTION] File dialogs

std::string g_Folder;
std::string g_SeenFilter, g_SeenInitialDir, g_SeenDefExt;
DWORD g_SeenFlags;

BOOL AnswerOpen(OPENFILENAMEA *ofn) {
  g_SeenFilter.assign(ofn->lpstrFilter, 40);
  g_SeenInitialDir = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "";
  g_SeenFlags = ofn->Flags;
  // What the real dialog does on OK: the chosen folder becomes current.
  SetCurrentDirectoryA(g_Folder.c_str());
  std::string full = g_Folder + "\\a.kzp";
  lstrcpynA(ofn->lpstrFile, full.c_str(), ofn->nMaxFile);
  lstrcpynA(ofn->lpstrFileTitle, "a.kzp", ofn->nMaxFileTitle);
  return TRUE;
}

BOOL AnswerSave(OPENFILENAMEA *ofn) {
  g_SeenDefExt = ofn->lpstrDefExt ? ofn->lpstrDefExt : "";
  g_SeenFlags = ofn->Flags;
  g_SeenInitialDir = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "";
  SetCurrentDirectoryA(g_Folder.c_str());
  // The dialog appends the default extension to a name typed without one, and gives the
  // full path as well as the name.
  lstrcpynA(ofn->lpstrFile, (g_Folder + "\\typed.KZP").c_str(), ofn->nMaxFile);
  lstrcpynA(ofn->lpstrFileTitle, "typed.KZP", ofn->nMaxFileTitle);
  return TRUE;
}

BOOL Cancel(OPENFILENAMEA *) { return FALSE; }

// The platform's file dialogs installed for one test, the hooks put back as they were then.
struct PlatformDialogs {
  ModalHooks saved;
  PlatformDialogs() {
    FileDlg_InstallPlatform();
    saved = g_ModalHooks;
  }
  ~PlatformDialogs() { g_ModalHooks = saved; }
};

// The full path of the temporary folder, or of `name` in it.
std::string TempFullPath(const char *name) {
  char tmp[MAX_PATH], full[MAX_PATH];
  GetTempPathA(sizeof tmp, tmp);
  GetFullPathNameA((std::string(tmp) + name).c_str(), sizeof full, full, nullptr);
  return full;
}

TEST(FileDialogWin, OpenAnsweredThroughTheHookLeavesTheChosenFolderCurrent) {
  PlatformDialogs dialogs;
  char start[MAX_PATH];
  GetCurrentDirectoryA(sizeof start, start);
  g_Folder = TempFullPath("miravel_dlg");
  CreateDirectoryA(g_Folder.c_str(), nullptr);
  g_FileDlg = FileDlgState{};
  Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, start);

  g_ModalHooks.getOpenFileName = AnswerOpen;
  EXPECT_STREQ(FileDlg_OpenByExt(nullptr, "kzp", "開く", ""), "a.kzp");
  EXPECT_EQ(std::string(g_SeenFilter.c_str()), "kzp Files (*.kzp)");
  EXPECT_EQ(g_SeenInitialDir, start);   // first open: the data folder
  EXPECT_TRUE(g_SeenFlags & OFN_HIDEREADONLY);
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(sizeof cwd, cwd);
  EXPECT_STREQ(cwd, g_Folder.c_str());
  // The next open dialog starts in the chosen folder.
  SetCurrentDirectoryA(start);
  FileDlg_OpenByExt(nullptr, "kzp", "開く", "");
  EXPECT_EQ(g_SeenInitialDir, g_Folder);

  g_ModalHooks.getSaveFileName = AnswerSave;
  SetCurrentDirectoryA(start);
  EXPECT_STREQ(FileDlg_SaveByExt(nullptr, "KZP", "保存", "typed"), "typed.KZP");
  EXPECT_EQ(g_SeenDefExt, "KZP");
  EXPECT_TRUE(g_SeenFlags & OFN_OVERWRITEPROMPT);
  GetCurrentDirectoryA(sizeof cwd, cwd);
  EXPECT_STREQ(cwd, g_Folder.c_str());

  g_ModalHooks.getOpenFileName = Cancel;
  EXPECT_STREQ(FileDlg_OpenByExt(nullptr, "kzp", "開く", ""), "");

  SetCurrentDirectoryA(start);
  RemoveDirectoryA(g_Folder.c_str());
}

std::string g_SeenBrowseTitle;
PIDLIST_ABSOLUTE AnswerBrowse(BROWSEINFOA *bi) {
  g_SeenBrowseTitle = bi->lpszTitle ? bi->lpszTitle : "";
  return ILCreateFromPathA(g_Folder.c_str());
}
PIDLIST_ABSOLUTE CancelBrowse(BROWSEINFOA *) { return nullptr; }

TEST(FileDialogWin, FolderChooserGivesThePathOfTheChosenFolder) {
  PlatformDialogs dialogs;
  g_Folder = TempFullPath("");
  if (!g_Folder.empty() && g_Folder.back() == '\\') g_Folder.pop_back();
  g_ModalHooks.browseForFolder = AnswerBrowse;
  char out[FILEDLG_TEXT];
  ASSERT_TRUE(FileDlg_BrowseFolder(out));
  EXPECT_STRCASEEQ(out, g_Folder.c_str());
  EXPECT_EQ(g_SeenBrowseTitle, "フォルダを選択して下さい");
  g_ModalHooks.browseForFolder = CancelBrowse;
  EXPECT_FALSE(FileDlg_BrowseFolder(out));
  EXPECT_STREQ(out, "");
}

}  // namespace
