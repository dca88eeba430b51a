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
#include <dlgs.h>
#include <shlobj.h>

#include "lib/framework/fieldtext_win.h"
#include "lib/framework/modal_hooks.h"
#include "lib/media/dialogs.h"
#include "model/bytes.h"
#include "model/seam_errorbox.h"
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
// and the first letter that it cannot, into text (size bytes).
static void NameRefusal(const wchar_t *w, char *text, size_t size) {
  char shown[FILEDLG_TEXT * 2] = "";
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w, -1, shown, sizeof shown - 1, "?", nullptr);
  unsigned code = (unsigned)FieldText_FirstForeign(w);
  if (code)
    Str_Format(text, size,
               "%s\n\nこのファイル名には、この環境の文字コードで表せない文字 (U+%04X) が含まれているため、使うことができません。\n別の名前を指定して下さい。",
               shown, code);
  else
    Str_Format(text, size, "%s\n\nこのファイル名は長すぎるため、使うことができません。", shown);
}

static void RefuseName(const wchar_t *w) {
  char text[768];
  NameRefusal(w, text, sizeof text);
  Seam_ErrorBox(text);
}

// [SECTION] What the name box may hand the dialog
//
// The dialog builds the path of a name typed into its name box (its folder, a backslash, the
// name, the default extension) in a buffer of MAX_PATH characters; under Wine a longer one
// overruns it and ends the program inside the dialog, before the program sees anything. So
// the dialog's OK (its button and Enter alike) is looked at first: a path longer than the
// program or the dialog can hold, or one with a letter the code page cannot hold, is refused
// with a message owned by the dialog, which stays open for another name, and a save never
// asks to overwrite a file it would then refuse.

enum {
  GUARD_SPEC = 4096,                 // the longest name box text looked at whole
  GUARD_UNKNOWN_FOLDER = 64,         // a virtual folder's path form (a GUID) is about 40 letters
  GUARD_DIALOG_ROOM = MAX_PATH - 4,  // what the dialog's own buffer takes, with its terminator
};

static struct {
  WNDPROC dialogProc;   // the dialog's own window procedure
  bool save;
  wchar_t ext[32];      // default extension of a save, or empty
  wchar_t spec[GUARD_SPEC];
  wchar_t full[GUARD_SPEC + MAX_PATH];
} s_Guard;

// The name box's text into s_Guard.spec; false when there is none or it is longer than looked at.
static bool NameBoxText(HWND dlg, bool *tooLong) {
  *tooLong = false;
  HWND box = GetDlgItem(dlg, cmb13);
  if (!box) box = GetDlgItem(dlg, edt1);
  if (!box) return false;
  int n = GetWindowTextLengthW(box);
  if (n >= GUARD_SPEC) return *tooLong = true;
  GetWindowTextW(box, s_Guard.spec, GUARD_SPEC);
  return n > 0;
}

// The path the dialog builds from the name box into s_Guard.full: the name itself when it has
// a drive, the folder's drive and the name when it starts at the root, else the dialog's
// folder, a backslash and the name. Its length in letters (a folder the dialog gives no path
// for counted as the longest such name).
static size_t GuardFullPath(HWND dlg) {
  const wchar_t *spec = s_Guard.spec;
  wchar_t *full = s_Guard.full;
  full[0] = 0;
  size_t unknown = 0;
  bool drive = spec[0] && spec[1] == L':', root = spec[0] == L'\\' || spec[0] == L'/';
  if (!drive) {
    LRESULT n = SendMessageW(dlg, CDM_GETFOLDERPATH, MAX_PATH, (LPARAM)full);
    if (n <= 0 || n > MAX_PATH || !full[0]) {
      full[0] = 0;
      unknown = root ? 2 : GUARD_UNKNOWN_FOLDER;
    } else if (root) {
      full[2] = 0;
    } else if (full[lstrlenW(full) - 1] != L'\\') {
      lstrcatW(full, L"\\");
    }
  }
  lstrcatW(full, spec);
  return unknown + (size_t)lstrlenW(full);
}

// Letters a save adds: a dot and the default extension when the name has no extension.
static size_t ExtensionRoom(const wchar_t *spec) {
  if (!s_Guard.save || !s_Guard.ext[0]) return 0;
  const wchar_t *name = spec;
  for (const wchar_t *p = spec; *p; p++)
    if (*p == L'\\' || *p == L'/') name = p + 1;
  for (const wchar_t *p = name; *p; p++)
    if (*p == L'.') return 0;
  return 1 + (size_t)lstrlenW(s_Guard.ext);
}

static void GuardBox(HWND dlg, const char *text) { Modal_MessageBox(dlg, text, g_AppCaption, MB_OK | MB_ICONWARNING); }

// The refusal of a path too long: its start, its length and what can be held.
static void RefuseLength(HWND dlg, const wchar_t *path, size_t letters) {
  wchar_t start[64];
  lstrcpynW(start, path, 60);
  char shown[200] = "";
  WideCharToMultiByte(CP_ACP, 0, start, -1, shown, sizeof shown - 1, "?", nullptr);
  char text[512];
  Str_Format(text, sizeof text,
             "%s%s\n\nこのファイル名は長すぎるため、使うことができません。(%u 文字)\nフォルダとファイル名を合わせて %d バイトまでにして下さい。",
             shown, letters >= 59 ? "…" : "", (unsigned)letters, FILEDLG_TEXT - 1);
  GuardBox(dlg, text);
}

// Whether the dialog may take the name box's text: false after a message when it may not.
static bool NameAcceptable(HWND dlg) {
  bool tooLong;
  if (!NameBoxText(dlg, &tooLong)) {
    if (tooLong) RefuseLength(dlg, L"", GUARD_SPEC);
    return !tooLong;
  }
  size_t letters = GuardFullPath(dlg);
  size_t room = ExtensionRoom(s_Guard.spec);
  if (letters + room >= GUARD_DIALOG_ROOM) {
    RefuseLength(dlg, s_Guard.full, letters);
    return false;
  }
  char path[FILEDLG_TEXT * 2];
  int bytes = WideCharToMultiByte(CP_ACP, 0, s_Guard.full, -1, path, sizeof path, nullptr, nullptr);
  if (bytes <= 0 || (size_t)bytes - 1 + room >= FILEDLG_TEXT) {
    RefuseLength(dlg, s_Guard.full, letters);
    return false;
  }
  if (!FieldText_ExactCodePage(s_Guard.full, path, sizeof path)) {
    char text[768];
    NameRefusal(s_Guard.full, text, sizeof text);
    GuardBox(dlg, text);
    return false;
  }
  return true;
}

static LRESULT CALLBACK GuardDialogProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC own = s_Guard.dialogProc;
  if (msg == WM_COMMAND && LOWORD(wp) == IDOK && !NameAcceptable(dlg)) return 0;
  if (msg == WM_NCDESTROY) SetWindowLongPtrW(dlg, GWLP_WNDPROC, (LONG_PTR)own);
  return CallWindowProcW(own, dlg, msg, wp, lp);
}

// The dialog's hook: only there to put GuardDialogProc in front of the dialog's procedure.
static UINT_PTR CALLBACK GuardHook(HWND child, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_INITDIALOG) {
    HWND dlg = GetParent(child);
    s_Guard.dialogProc = (WNDPROC)SetWindowLongPtrW(dlg, GWLP_WNDPROC, (LONG_PTR)GuardDialogProc);
  }
  return 0;
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
  // The hook puts the name guard in front of the dialog (sizing is then asked for by name).
  ofn.lpfnHook = GuardHook;
  const DWORD guarded = OFN_EXPLORER | OFN_ENABLEHOOK | OFN_ENABLESIZING;
  s_Guard.save = req->save;
  lstrcpynW(s_Guard.ext, req->save && req->defaultExt ? ext : L"", 32);
  BOOL ok;
  if (req->save) {
    ofn.Flags = OFN_OVERWRITEPROMPT | guarded;
    ofn.lpstrDefExt = req->defaultExt ? ext : nullptr;
    ok = Modal_GetSaveFileNameW(&ofn);
  } else {
    ofn.Flags = OFN_HIDEREADONLY | guarded;
    ok = Modal_GetOpenFileNameW(&ofn);
  }
  s_Guard.dialogProc = nullptr;
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
