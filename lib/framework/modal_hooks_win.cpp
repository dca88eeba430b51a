// The modal hooks: each modal call goes to its hook when one is installed, is answered
// with its default in automatic mode, and otherwise makes the real platform call. Around
// every modal call the program's other windows take no input, and the keys the modal window
// saw pressed have their release kept from the program afterwards.
#include "lib/framework/modal_hooks.h"

#include "lib/framework/lib.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

ModalHooks g_ModalHooks;

// [SECTION] the program-wide modal state
enum { MODAL_DISABLED_MAX = 128 };

// Owned by this file: the depth of nested modal calls, the windows a modal call disabled,
// the keys pressed inside a modal window and not yet released, and those whose release is
// still to be kept from the program.
static struct {
  int depth;
  HWND disabled[MODAL_DISABLED_MAX];
  int disabledCount;
  HWND activeBefore;
  HHOOK keyWatch;
  UINT_PTR drawTimer;
  unsigned char pressedInside[256];
  unsigned char staleRelease[256];
} s_Modal;

// Every key-down a modal window's own message loop takes is a key of that window.
static LRESULT CALLBACK WatchModalKeys(int code, WPARAM removed, LPARAM lParam) {
  const MSG *m = (const MSG *)lParam;
  if (code == HC_ACTION && removed == PM_REMOVE && m) {
    unsigned vk = (unsigned)m->wParam & 0xFF;
    if (m->message == WM_KEYDOWN || m->message == WM_SYSKEYDOWN) s_Modal.pressedInside[vk] = 1;
    if (m->message == WM_KEYUP || m->message == WM_SYSKEYUP) s_Modal.pressedInside[vk] = 0;
  }
  return CallNextHookEx(s_Modal.keyWatch, code, removed, lParam);
}

// The modal window disables its owner itself; every other shown window of the program
// (tool panels, views, the selector, a main window that is not the owner) is disabled here.
static BOOL CALLBACK DisableOther(HWND w, LPARAM owner) {
  if (w == (HWND)owner || !IsWindowVisible(w) || !IsWindowEnabled(w)) return TRUE;
  if (s_Modal.disabledCount >= MODAL_DISABLED_MAX) return FALSE;
  EnableWindow(w, FALSE);
  s_Modal.disabled[s_Modal.disabledCount++] = w;
  return TRUE;
}

// The modal window's loop dispatches this thread timer: the program's windows are drawn on
// while the main loop waits for the modal call to return (a view or panel the window uncovers
// would stay unpainted, black or blank, until then).
static void CALLBACK DrawWhileModal(HWND, UINT, UINT_PTR, DWORD) {
  if (g_LibHooks.modalIdle) g_LibHooks.modalIdle();
}

static void ModalBegin(HWND owner) {
  if (s_Modal.depth++ > 0) return;
  s_Modal.disabledCount = 0;
  s_Modal.activeBefore = GetActiveWindow();
  memset(s_Modal.pressedInside, 0, sizeof s_Modal.pressedInside);
  EnumThreadWindows(GetCurrentThreadId(), DisableOther, (LPARAM)owner);
  s_Modal.keyWatch = SetWindowsHookExA(WH_GETMESSAGE, WatchModalKeys, nullptr, GetCurrentThreadId());
  s_Modal.drawTimer = SetTimer(nullptr, 0, 50, DrawWhileModal);
}

static void ModalEnd(HWND owner) {
  if (--s_Modal.depth > 0) return;
  if (s_Modal.drawTimer) KillTimer(nullptr, s_Modal.drawTimer);
  s_Modal.drawTimer = 0;
  if (s_Modal.keyWatch) UnhookWindowsHookEx(s_Modal.keyWatch);
  s_Modal.keyWatch = nullptr;
  for (int vk = 0; vk < 256; vk++)
    if (s_Modal.pressedInside[vk]) s_Modal.staleRelease[vk] = 1;
  for (int i = s_Modal.disabledCount - 1; i >= 0; i--)
    if (IsWindow(s_Modal.disabled[i])) EnableWindow(s_Modal.disabled[i], TRUE);
  s_Modal.disabledCount = 0;
  // A modal window whose owner was disabled here (or that had none) leaves no window active
  // when it closes: the window that was active before it takes the input again.
  HWND back = owner && IsWindow(owner) ? owner : s_Modal.activeBefore;
  if (back && IsWindow(back) && !GetActiveWindow()) SetActiveWindow(back);
}

bool Modal_TakeStaleKey(const MSG *m) {
  if (!m) return false;
  unsigned vk = (unsigned)m->wParam & 0xFF;
  switch (m->message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN:
      // Auto-repeat of the key still held from the modal window stays there; a new press
      // (its release was lost to another window) is the program's again.
      if ((m->lParam & 0x40000000) != 0) return s_Modal.staleRelease[vk] != 0;
      s_Modal.staleRelease[vk] = 0;
      return false;
    case WM_KEYUP: case WM_SYSKEYUP:
      if (!s_Modal.staleRelease[vk]) return false;
      s_Modal.staleRelease[vk] = 0;
      return true;
    default: return false;
  }
}

// Runs one modal call between ModalBegin and ModalEnd.
template <class F>
static auto Modally(HWND owner, F call) -> decltype(call()) {
  ModalBegin(owner);
  auto result = call();
  ModalEnd(owner);
  return result;
}

// Read from the process environment (not the C library's copy), so that a change made
// with SetEnvironmentVariable counts at once.
bool Modal_IsAuto(void) {
  char v[8];
  DWORD n = GetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", v, sizeof v);
  return n > 0 && n < sizeof v && v[0] == '1';
}

static void AutoNote(const char *what, const char *text) {
  fprintf(stderr, "modal %s: %s\n", what, text ? text : "");
  fflush(stderr);
}

// The answer a message box gives when nobody is there to press a button.
static int DefaultButton(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: case MB_RETRYCANCEL: case MB_YESNOCANCEL: return IDCANCEL;
    case MB_YESNO: return IDNO;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    default: return IDOK;
  }
}

static int MessageBoxCall(HWND owner, const char *text, const char *caption, UINT type) {
  if (g_ModalHooks.messageBox) return g_ModalHooks.messageBox(owner, text, caption, type);
  if (Modal_IsAuto()) { AutoNote("box", text); return DefaultButton(type); }
  return MessageBoxA(owner, text, caption, type);
}

int Modal_MessageBox(HWND owner, const char *text, const char *caption, UINT type) {
  return Modally(owner, [&] { return MessageBoxCall(owner, text, caption, type); });
}

static BOOL OpenCall(OPENFILENAMEA *ofn) {
  if (g_ModalHooks.getOpenFileName) return g_ModalHooks.getOpenFileName(ofn);
  if (Modal_IsAuto()) { AutoNote("open", ofn->lpstrTitle); return FALSE; }
  return GetOpenFileNameA(ofn);
}

BOOL Modal_GetOpenFileName(OPENFILENAMEA *ofn) {
  return Modally(ofn->hwndOwner, [&] { return OpenCall(ofn); });
}

static BOOL SaveCall(OPENFILENAMEA *ofn) {
  if (g_ModalHooks.getSaveFileName) return g_ModalHooks.getSaveFileName(ofn);
  if (Modal_IsAuto()) { AutoNote("save", ofn->lpstrTitle); return FALSE; }
  return GetSaveFileNameA(ofn);
}

BOOL Modal_GetSaveFileName(OPENFILENAMEA *ofn) {
  return Modally(ofn->hwndOwner, [&] { return SaveCall(ofn); });
}

// The title of a UTF-16 dialog for the automatic mode's note, in the code page.
static void AutoNoteW(const char *what, const wchar_t *title) {
  char text[256] = "";
  if (title) WideCharToMultiByte(CP_ACP, 0, title, -1, text, sizeof text - 1, nullptr, nullptr);
  AutoNote(what, text);
}

static BOOL OpenCallW(OPENFILENAMEW *ofn) {
  if (g_ModalHooks.getOpenFileNameW) return g_ModalHooks.getOpenFileNameW(ofn);
  if (Modal_IsAuto()) { AutoNoteW("open", ofn->lpstrTitle); return FALSE; }
  return GetOpenFileNameW(ofn);
}

BOOL Modal_GetOpenFileNameW(OPENFILENAMEW *ofn) {
  return Modally(ofn->hwndOwner, [&] { return OpenCallW(ofn); });
}

static BOOL SaveCallW(OPENFILENAMEW *ofn) {
  if (g_ModalHooks.getSaveFileNameW) return g_ModalHooks.getSaveFileNameW(ofn);
  if (Modal_IsAuto()) { AutoNoteW("save", ofn->lpstrTitle); return FALSE; }
  return GetSaveFileNameW(ofn);
}

BOOL Modal_GetSaveFileNameW(OPENFILENAMEW *ofn) {
  return Modally(ofn->hwndOwner, [&] { return SaveCallW(ofn); });
}

static BOOL ColorCall(CHOOSECOLORA *cc) {
  if (g_ModalHooks.chooseColor) return g_ModalHooks.chooseColor(cc);
  if (Modal_IsAuto()) { AutoNote("colour", ""); return FALSE; }
  return ChooseColorA(cc);
}

BOOL Modal_ChooseColor(CHOOSECOLORA *cc) {
  return Modally(cc->hwndOwner, [&] { return ColorCall(cc); });
}

static PIDLIST_ABSOLUTE FolderCall(BROWSEINFOA *bi) {
  if (g_ModalHooks.browseForFolder) return g_ModalHooks.browseForFolder(bi);
  if (Modal_IsAuto()) { AutoNote("folder", bi->lpszTitle); return nullptr; }
  return SHBrowseForFolderA(bi);
}

PIDLIST_ABSOLUTE Modal_BrowseForFolder(BROWSEINFOA *bi) {
  return Modally(bi->hwndOwner, [&] { return FolderCall(bi); });
}

static BOOL CompressorCall(HWND owner, UINT flags, LPVOID in, LPVOID data, COMPVARS *cv, LPSTR title) {
  if (g_ModalHooks.chooseCompressor) return g_ModalHooks.chooseCompressor(owner, flags, in, data, cv, title);
  if (Modal_IsAuto()) { AutoNote("codec", title); return FALSE; }
  return ICCompressorChoose(owner, flags, in, data, cv, title);
}

BOOL Modal_ChooseCompressor(HWND owner, UINT flags, LPVOID in, LPVOID data, COMPVARS *cv, LPSTR title) {
  return Modally(owner, [&] { return CompressorCall(owner, flags, in, data, cv, title); });
}

static INT_PTR DialogCall(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  if (g_ModalHooks.dialogBox) return g_ModalHooks.dialogBox(instance, name, owner, proc, param);
  if (Modal_IsAuto()) { AutoNote("dialog", IS_INTRESOURCE(name) ? "#" : name); return IDCANCEL; }
  return DialogBoxParamA(instance, name, owner, proc, param);
}

INT_PTR Modal_DialogBox(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  return Modally(owner, [&] { return DialogCall(instance, name, owner, proc, param); });
}
