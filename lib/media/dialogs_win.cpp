// The common open and save dialogs and the folder chooser (Windows side of dialogs.h), all
// through the modal hooks, so that tests answer them without a window.
#include <windows.h>
#include <commdlg.h>
#include <shlobj.h>

#include "lib/framework/modal_hooks.h"
#include "lib/media/dialogs.h"
#include "model/seam.h"

static HINSTANCE OwnerInstance(HWND owner) {
  return owner ? (HINSTANCE)GetWindowLongPtrA(owner, GWLP_HINSTANCE) : GetModuleHandleA(nullptr);
}

static bool RunFileDialog(FileDlgRequest *req) {
  OPENFILENAMEA ofn = {};
  // The 76-byte form of the structure (without the Windows 2000 fields).
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400A;
  ofn.hwndOwner = (HWND)req->owner;
  ofn.hInstance = OwnerInstance((HWND)req->owner);
  ofn.lpstrFilter = req->filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = req->file;
  ofn.nMaxFile = FILEDLG_TEXT;
  ofn.lpstrFileTitle = req->fileTitle;
  ofn.nMaxFileTitle = FILEDLG_TEXT;
  ofn.lpstrInitialDir = req->initialDir;
  ofn.lpstrTitle = req->dialogTitle;
  if (req->save) {
    ofn.Flags = OFN_OVERWRITEPROMPT;
    ofn.lpstrDefExt = req->defaultExt;
    return Modal_GetSaveFileName(&ofn) != FALSE;
  }
  ofn.Flags = OFN_HIDEREADONLY;
  return Modal_GetOpenFileName(&ofn) != FALSE;
}

static int CALLBACK BrowseCallback(HWND wnd, UINT msg, LPARAM lp, LPARAM data) {
  if (msg == BFFM_INITIALIZED) SendMessageA(wnd, BFFM_SETSELECTIONA, TRUE, data);
  return 0;
}

static bool BrowseFolder(const char *startDir, char *out) {
  BROWSEINFOA bi = {};
  bi.hwndOwner = nullptr;
  bi.lpszTitle = FileDlg_BrowseTitle();
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  bi.lpfn = BrowseCallback;
  bi.lParam = (LPARAM)startDir;
  LPITEMIDLIST item = Modal_BrowseForFolder(&bi);
  if (!item) return false;
  char path[MAX_PATH] = {};
  bool ok = SHGetPathFromIDListA(item, path) != FALSE;
  CoTaskMemFree(item);
  if (ok) Str_Copy(out, FILEDLG_TEXT, path);
  return ok;
}

void FileDlg_InstallPlatform(void) {
  g_LibHooks.fileDlg.run = RunFileDialog;
  g_LibHooks.fileDlg.browseFolder = BrowseFolder;
}
