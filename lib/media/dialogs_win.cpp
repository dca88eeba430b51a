// The common open and save dialogs and the folder chooser (Windows side of dialogs.h), all
// through the modal hooks, so that tests answer them without a window.
//
// The file dialogs run in UTF-16: the name box accepts any letter, and the code-page dialog
// would map one the code page lacks to its nearest letter ("café.kzp" became "cafe.kzp",
// another file). A chosen name is taken only when it converts to the code page exactly;
// any other is refused with a message naming it, before the caller reads or writes anything.
#include <windows.h>
#include <string.h>
#include <commdlg.h>
#include <shlobj.h>

#include "lib/framework/fieldtext_win.h"
#include "lib/framework/modal_hooks.h"
#include "lib/media/dialogs.h"
#include "model/bytes.h"
#include "model/seam.h"
#include "model/str.h"

static HINSTANCE OwnerInstance(HWND owner) {
  return owner ? (HINSTANCE)GetWindowLongPtrA(owner, GWLP_HINSTANCE) : GetModuleHandleA(nullptr);
}

enum { WIDE_TEXT = 1024 };

// Code-page text of `bytes` bytes (inner NULs kept: a filter list) into UTF-16 with a NUL
// after it; an empty string when it does not fit.
static void ToWide(const char *s, int bytes, wchar_t *out, int count) {
  int n = s && bytes > 0 ? MultiByteToWideChar(CP_ACP, 0, s, bytes, out, count - 1) : 0;
  out[n > 0 ? n : 0] = 0;
}

// The refusal of a name the code page cannot hold: the name as far as the code page shows it
// and the first letter that it cannot.
static void RefuseName(const wchar_t *w) {
  char shown[FILEDLG_TEXT * 2] = "";
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w, -1, shown, sizeof shown - 1, "?", nullptr);
  unsigned code = (unsigned)FieldText_FirstForeign(w);
  char text[768];
  if (code)
    Str_Format(text, sizeof text,
               "%s\n\nこのファイル名には、この環境の文字コードで表せない文字 (U+%04X) が含まれているため、使うことができません。\n別の名前を指定して下さい。",
               shown, code);
  else
    Str_Format(text, sizeof text, "%s\n\nこのファイル名は長すぎるため、使うことができません。", shown);
  Seam_ErrorBox(text);
}

// The dialog in UTF-16; the chosen path goes back into the request's code-page buffers only
// when it converts exactly.
static bool RunWideFileDialog(FileDlgRequest *req) {
  static wchar_t filter[FILEDLG_TEXT], file[WIDE_TEXT], dir[WIDE_TEXT], title[FILEDLG_TEXT], ext[32];
  ToWide(req->filter, (int)FileDlg_FilterLength(req->filter, FILEDLG_TEXT), filter, FILEDLG_TEXT);
  ToWide(req->file, (int)strlen(req->file) + 1, file, WIDE_TEXT);
  ToWide(req->initialDir, req->initialDir ? (int)strlen(req->initialDir) + 1 : 0, dir, WIDE_TEXT);
  ToWide(req->dialogTitle, req->dialogTitle ? (int)strlen(req->dialogTitle) + 1 : 0, title, FILEDLG_TEXT);
  ToWide(req->defaultExt, req->defaultExt ? (int)strlen(req->defaultExt) + 1 : 0, ext, 32);
  OPENFILENAMEW ofn = {};
  ofn.lStructSize = OPENFILENAME_SIZE_VERSION_400W;
  ofn.hwndOwner = (HWND)req->owner;
  ofn.hInstance = OwnerInstance((HWND)req->owner);
  ofn.lpstrFilter = filter[0] ? filter : nullptr;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = WIDE_TEXT;
  ofn.lpstrInitialDir = req->initialDir && req->initialDir[0] ? dir : nullptr;
  ofn.lpstrTitle = req->dialogTitle ? title : nullptr;
  BOOL ok;
  if (req->save) {
    ofn.Flags = OFN_OVERWRITEPROMPT;
    ofn.lpstrDefExt = req->defaultExt ? ext : nullptr;
    ok = Modal_GetSaveFileNameW(&ofn);
  } else {
    ofn.Flags = OFN_HIDEREADONLY;
    ok = Modal_GetOpenFileNameW(&ofn);
  }
  if (!ok) return false;
  file[WIDE_TEXT - 1] = 0;
  char path[FILEDLG_TEXT];
  if (!FieldText_ExactCodePage(file, path, sizeof path)) {
    RefuseName(file);
    return false;
  }
  Str_Copy(req->file, FILEDLG_TEXT, path);
  Str_Copy(req->fileTitle, FILEDLG_TEXT, path + File_NameOffset(path));
  return true;
}

static bool RunFileDialog(FileDlgRequest *req) {
  // A code-page fake installed by a test answers as before.
  if (!(req->save ? g_ModalHooks.getSaveFileName : g_ModalHooks.getOpenFileName)) return RunWideFileDialog(req);
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
