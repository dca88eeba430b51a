// The modal hooks: each modal call goes to its hook when one is installed, is answered
// with its default in automatic mode, and otherwise makes the real platform call.
#include "lib/framework/modal_hooks.h"

#include <stdio.h>
#include <stdlib.h>

ModalHooks g_ModalHooks;

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

int Modal_MessageBox(HWND owner, const char *text, const char *caption, UINT type) {
  if (g_ModalHooks.messageBox) return g_ModalHooks.messageBox(owner, text, caption, type);
  if (Modal_IsAuto()) { AutoNote("box", text); return DefaultButton(type); }
  return MessageBoxA(owner, text, caption, type);
}

BOOL Modal_GetOpenFileName(OPENFILENAMEA *ofn) {
  if (g_ModalHooks.getOpenFileName) return g_ModalHooks.getOpenFileName(ofn);
  if (Modal_IsAuto()) { AutoNote("open", ofn->lpstrTitle); return FALSE; }
  return GetOpenFileNameA(ofn);
}

BOOL Modal_GetSaveFileName(OPENFILENAMEA *ofn) {
  if (g_ModalHooks.getSaveFileName) return g_ModalHooks.getSaveFileName(ofn);
  if (Modal_IsAuto()) { AutoNote("save", ofn->lpstrTitle); return FALSE; }
  return GetSaveFileNameA(ofn);
}

// The title of a UTF-16 dialog for the automatic mode's note, in the code page.
static void AutoNoteW(const char *what, const wchar_t *title) {
  char text[256] = "";
  if (title) WideCharToMultiByte(CP_ACP, 0, title, -1, text, sizeof text - 1, nullptr, nullptr);
  AutoNote(what, text);
}

BOOL Modal_GetOpenFileNameW(OPENFILENAMEW *ofn) {
  if (g_ModalHooks.getOpenFileNameW) return g_ModalHooks.getOpenFileNameW(ofn);
  if (Modal_IsAuto()) { AutoNoteW("open", ofn->lpstrTitle); return FALSE; }
  return GetOpenFileNameW(ofn);
}

BOOL Modal_GetSaveFileNameW(OPENFILENAMEW *ofn) {
  if (g_ModalHooks.getSaveFileNameW) return g_ModalHooks.getSaveFileNameW(ofn);
  if (Modal_IsAuto()) { AutoNoteW("save", ofn->lpstrTitle); return FALSE; }
  return GetSaveFileNameW(ofn);
}

BOOL Modal_ChooseColor(CHOOSECOLORA *cc) {
  if (g_ModalHooks.chooseColor) return g_ModalHooks.chooseColor(cc);
  if (Modal_IsAuto()) { AutoNote("colour", ""); return FALSE; }
  return ChooseColorA(cc);
}

PIDLIST_ABSOLUTE Modal_BrowseForFolder(BROWSEINFOA *bi) {
  if (g_ModalHooks.browseForFolder) return g_ModalHooks.browseForFolder(bi);
  if (Modal_IsAuto()) { AutoNote("folder", bi->lpszTitle); return nullptr; }
  return SHBrowseForFolderA(bi);
}

BOOL Modal_ChooseCompressor(HWND owner, UINT flags, LPVOID in, LPVOID data, COMPVARS *cv, LPSTR title) {
  if (g_ModalHooks.chooseCompressor) return g_ModalHooks.chooseCompressor(owner, flags, in, data, cv, title);
  if (Modal_IsAuto()) { AutoNote("codec", title); return FALSE; }
  return ICCompressorChoose(owner, flags, in, data, cv, title);
}

INT_PTR Modal_DialogBox(HINSTANCE instance, LPCSTR name, HWND owner, DLGPROC proc, LPARAM param) {
  if (g_ModalHooks.dialogBox) return g_ModalHooks.dialogBox(instance, name, owner, proc, param);
  if (Modal_IsAuto()) { AutoNote("dialog", IS_INTRESOURCE(name) ? "#" : name); return IDCANCEL; }
  return DialogBoxParamA(instance, name, owner, proc, param);
}
