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
// overruns it and ends the program inside the dialog, before the program sees anything, and so
// does a drive letter with a name but no backslash ("Z:abc"), which it takes for a full path.
// So the dialog's OK (its button and Enter alike) is looked at first: the name is resolved as
// the system resolves it against the dialog's folder and handed back whole, or refused with a
// message owned by the dialog, which stays open for another name: a letter or a device name
// the system forbids, a path longer than the program or the dialog can hold, a letter the code
// page cannot hold. A save never asks to overwrite a file it would then refuse.

enum {
  GUARD_SPEC = 4096,                 // the longest name box text looked at whole
  GUARD_UNKNOWN_FOLDER = 64,         // a virtual folder's path form (a GUID) is about 40 letters
  GUARD_DIALOG_ROOM = MAX_PATH - 4,  // what the dialog's own buffer takes, with its terminator
  GUARD_FULL = GUARD_SPEC + MAX_PATH,
};

static struct {
  WNDPROC dialogProc;   // the dialog's own window procedure
  bool save;
  wchar_t ext[32];      // default extension of a save, or empty
  wchar_t spec[GUARD_SPEC];
  wchar_t joined[GUARD_FULL];
  wchar_t full[GUARD_FULL];
} s_Guard;

static HWND NameBox(HWND dlg) {
  HWND box = GetDlgItem(dlg, cmb13);
  return box ? box : GetDlgItem(dlg, edt1);
}

// The name box's text into s_Guard.spec; false when there is none or it is longer than looked at.
static bool NameBoxText(HWND dlg, bool *tooLong) {
  *tooLong = false;
  HWND box = NameBox(dlg);
  if (!box) return false;
  int n = GetWindowTextLengthW(box);
  if (n >= GUARD_SPEC) return *tooLong = true;
  GetWindowTextW(box, s_Guard.spec, GUARD_SPEC);
  return n > 0;
}

static bool IsSepW(wchar_t c) { return c == L'\\' || c == L'/'; }
static bool IsDriveW(const wchar_t *p) {
  return ((p[0] >= L'A' && p[0] <= L'Z') || (p[0] >= L'a' && p[0] <= L'z')) && p[1] == L':';
}

// The first letter of the typed name that no file name may hold: a control letter, one of
// " < > | * ?, or a colon other than a leading drive's; 0 when there is none.
static wchar_t ForbiddenLetter(const wchar_t *spec) {
  for (const wchar_t *p = spec; *p; p++) {
    if (*p < 32 || wcschr(L"\"<>|*?", *p)) return *p;
    if (*p == L':' && !(p == spec + 1 && IsDriveW(spec))) return *p;
  }
  return 0;
}

// Whether the step [at, at + len) names a device (CON, PRN, AUX, NUL, COM0..COM9, LPT0..LPT9,
// CONIN$, CONOUT$), with any extension and trailing blanks: the system opens the device, not
// a file, by such a name in any folder.
static bool IsDeviceStep(const wchar_t *at, size_t len) {
  size_t n = 0;
  while (n < len && at[n] != L'.') n++;
  while (n > 0 && at[n - 1] == L' ') n--;
  wchar_t base[8] = {};
  if (n < 3 || n > 7) return false;
  for (size_t i = 0; i < n; i++) base[i] = (at[i] >= L'a' && at[i] <= L'z') ? (wchar_t)(at[i] - 32) : at[i];
  static const wchar_t *const kDevices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"};
  for (const wchar_t *d : kDevices)
    if (!lstrcmpW(base, d)) return true;
  return n == 4 && (!wcsncmp(base, L"COM", 3) || !wcsncmp(base, L"LPT", 3)) && base[3] >= L'0' && base[3] <= L'9';
}

// The first step of the typed name that names a device into out (count letters); false when
// there is none.
static bool DeviceStep(const wchar_t *spec, wchar_t *out, int count) {
  const wchar_t *p = IsDriveW(spec) ? spec + 2 : spec;
  while (*p) {
    while (IsSepW(*p)) p++;
    const wchar_t *start = p;
    while (*p && !IsSepW(*p)) p++;
    if (p > start && IsDeviceStep(start, (size_t)(p - start))) {
      size_t n = (size_t)(p - start) + 1;
      lstrcpynW(out, start, (int)(n < (size_t)count ? n : (size_t)count));
      return true;
    }
  }
  return false;
}

// a, b and c one after another into out (GUARD_FULL letters: a folder and the name box's text
// always fit).
static void Join3(wchar_t *out, const wchar_t *a, const wchar_t *b, const wchar_t *c) {
  lstrcpynW(out, a, GUARD_FULL);
  lstrcatW(out, b);
  lstrcatW(out, c);
}

// True when the typed name is a name alone, which the dialog joins to its folder as it is: no
// drive, separator or colon, and no trailing dot or blank for the system to drop.
static bool PlainName(const wchar_t *spec) {
  size_t n = (size_t)lstrlenW(spec);
  for (size_t i = 0; i < n; i++)
    if (IsSepW(spec[i]) || spec[i] == L':') return false;
  return n > 0 && spec[n - 1] != L'.' && spec[n - 1] != L' ';
}

// The path the system makes of the name box's text, as GetFullPathName does against the
// dialog's folder, into s_Guard.full: a drive and a name without a backslash continue from the
// folder when it is on that drive (else from that drive's current folder), a leading backslash
// starts at the folder's drive, any other relative name at the folder; ".", "..", "/", runs of
// separators and trailing dots and blanks are tidied. Its length in letters (a relative name in
// a folder the dialog gives no path for counted with the longest such folder, and left as typed).
static size_t GuardFullPath(HWND dlg) {
  const wchar_t *spec = s_Guard.spec;
  wchar_t folder[MAX_PATH + 1] = {};
  LRESULT got = SendMessageW(dlg, CDM_GETFOLDERPATH, MAX_PATH, (LPARAM)folder);
  bool known = got > 0 && got <= MAX_PATH && folder[0];
  bool onDrive = known && IsDriveW(folder);
  wchar_t *joined = s_Guard.joined;
  const wchar_t *sep = known && !IsSepW(folder[lstrlenW(folder) - 1]) ? L"\\" : L"";
  joined[0] = 0;
  if (IsDriveW(spec) && IsSepW(spec[2])) {
    lstrcpynW(joined, spec, GUARD_FULL);
  } else if (IsSepW(spec[0]) && IsSepW(spec[1])) {
    lstrcpynW(joined, spec, GUARD_FULL);
  } else if (IsDriveW(spec)) {
    bool same = onDrive && (folder[0] | 32) == (spec[0] | 32);
    if (same) Join3(joined, folder, sep, spec + 2);
    else lstrcpynW(joined, spec, GUARD_FULL);
  } else if (IsSepW(spec[0])) {
    if (onDrive) folder[2] = 0, Join3(joined, folder, L"", spec);
    else lstrcpynW(joined, spec, GUARD_FULL);
  } else if (known) {
    Join3(joined, folder, sep, spec);
  } else {
    lstrcpynW(s_Guard.full, spec, GUARD_FULL);
    return GUARD_UNKNOWN_FOLDER + (size_t)lstrlenW(spec);
  }
  DWORD n = GetFullPathNameW(joined, GUARD_FULL, s_Guard.full, nullptr);
  if (n == 0 || n >= GUARD_FULL) {
    lstrcpynW(s_Guard.full, joined, GUARD_FULL);
    return GUARD_FULL;
  }
  return n;
}

// Letters a save adds: a dot and the default extension when the name has no extension.
static size_t ExtensionRoom(const wchar_t *spec) {
  if (!s_Guard.save || !s_Guard.ext[0]) return 0;
  const wchar_t *name = spec;
  for (const wchar_t *p = spec; *p; p++)
    if (IsSepW(*p)) name = p + 1;
  for (const wchar_t *p = name; *p; p++)
    if (*p == L'.') return 0;
  return 1 + (size_t)lstrlenW(s_Guard.ext);
}

static void GuardBox(HWND dlg, const char *text) { Modal_MessageBox(dlg, text, g_AppCaption, MB_OK | MB_ICONWARNING); }

// Up to 60 letters of a path in the code page (what it cannot hold as "?") and "…" when cut.
static void ShownStart(const wchar_t *path, char *shown, int size) {
  wchar_t start[64];
  lstrcpynW(start, path, 60);
  shown[0] = 0;
  int n = WideCharToMultiByte(CP_ACP, 0, start, -1, shown, size - 4, "?", nullptr);
  if (n > 0 && lstrlenW(path) >= 59) lstrcatA(shown, "…");
}

// The refusal of a path too long: its start, its length and what can be held.
static void RefuseLength(HWND dlg, const wchar_t *path, size_t letters) {
  char shown[200];
  ShownStart(path, shown, sizeof shown);
  char text[512];
  Str_Format(text, sizeof text,
             "%s\n\nこのファイル名は長すぎるため、使うことができません。(%u 文字)\nフォルダとファイル名を合わせて %d バイトまでにして下さい。",
             shown, (unsigned)letters, FILEDLG_TEXT - 1);
  GuardBox(dlg, text);
}

// The refusal of a letter or a device name no file name may hold.
static void RefuseForbidden(HWND dlg, const wchar_t *spec, wchar_t letter, const wchar_t *device) {
  char shown[200], what[64] = "";
  ShownStart(spec, shown, sizeof shown);
  char text[768];
  if (device) {
    WideCharToMultiByte(CP_ACP, 0, device, -1, what, sizeof what - 1, "?", nullptr);
    Str_Format(text, sizeof text,
               "%s\n\n%s はシステムが装置に使う名前のため、ファイル名に使うことができません。\n別の名前を指定して下さい。",
               shown, what);
  } else {
    if (letter >= 32) Str_Format(what, sizeof what, "%c", (char)letter);
    else Str_Format(what, sizeof what, "U+%04X", (unsigned)letter);
    Str_Format(text, sizeof text,
               "%s\n\nファイル名に使えない文字 ( %s ) が含まれているため、使うことができません。\nファイル名には \\ / : * ? \" < > | は使えません。",
               shown, what);
  }
  GuardBox(dlg, text);
}

// Whether the dialog may take the name box's text: false after a message when it may not.
// A name it may take is handed back as the full path the system makes of it.
static bool NameAcceptable(HWND dlg) {
  bool tooLong;
  if (!NameBoxText(dlg, &tooLong)) {
    if (tooLong) RefuseLength(dlg, L"", GUARD_SPEC);
    return !tooLong;
  }
  wchar_t device[16];
  wchar_t letter = ForbiddenLetter(s_Guard.spec);
  if (letter || DeviceStep(s_Guard.spec, device, 16)) {
    RefuseForbidden(dlg, s_Guard.spec, letter, letter ? nullptr : device);
    return false;
  }
  size_t letters = GuardFullPath(dlg);
  size_t room = ExtensionRoom(s_Guard.full);
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
  if (!PlainName(s_Guard.spec)) SetWindowTextW(NameBox(dlg), s_Guard.full);
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
