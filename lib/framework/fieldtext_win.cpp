// Texts typed into fields, read as UTF-16 and taken only when the code page holds every letter
// (see fieldtext_win.h).
#include "lib/framework/fieldtext_win.h"

#include <stdlib.h>
#include <string.h>

#include "model/seam_errorbox.h"
#include "model/str.h"

bool FieldText_ExactCodePage(const wchar_t *w, char *out, int size) {
  if (!w || !out || size <= 0) return false;
  out[0] = 0;
  BOOL usedDefault = FALSE;
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w, -1, out, size, nullptr, &usedDefault);
  if (n <= 0 || usedDefault) {
    out[0] = 0;
    return false;
  }
  // Back to UTF-16 and compared, for a converter that maps to near letters regardless.
  int count = MultiByteToWideChar(CP_ACP, 0, out, -1, nullptr, 0);
  wchar_t *back = count > 0 ? (wchar_t *)malloc((size_t)count * sizeof(wchar_t)) : nullptr;
  bool same = back && MultiByteToWideChar(CP_ACP, 0, out, -1, back, count) == count && lstrcmpW(back, w) == 0;
  free(back);
  if (!same) out[0] = 0;
  return same;
}

u32 FieldText_FirstForeign(const wchar_t *w) {
  for (const wchar_t *p = w; p && *p; p++) {
    bool pair = *p >= 0xD800 && *p < 0xDC00 && p[1] >= 0xDC00 && p[1] < 0xE000;
    wchar_t one[3] = {p[0], pair ? p[1] : (wchar_t)0, 0};
    char mb[16];
    if (!FieldText_ExactCodePage(one, mb, sizeof mb))
      return pair ? 0x10000u + (((u32)p[0] - 0xD800u) << 10) + ((u32)p[1] - 0xDC00u) : (u32)*p;
    if (pair) p++;
  }
  return 0;
}

// The refusal: the text as far as the code page shows it and the letter it cannot hold.
static void Refuse(const wchar_t *w) {
  char shown[512] = "";
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, w, -1, shown, sizeof shown - 1, "?", nullptr);
  shown[sizeof shown - 1] = 0;
  char cut[160];
  Str_Copy(cut, sizeof cut, shown);   // a long text is named by its start
  Seam_ErrorBoxf("%s\n\nこの文字列には、この環境の文字コードで表せない文字 (U+%04X) が含まれているため、使うことができません。\n別の文字に直して下さい。",
                 cut, (unsigned)FieldText_FirstForeign(w));
}

// The control's text in UTF-16, in a new block (null when memory is short).
static wchar_t *WideText(HWND control) {
  int n = control ? GetWindowTextLengthW(control) : 0;
  if (n < 0) n = 0;
  wchar_t *w = (wchar_t *)malloc(((size_t)n + 1) * sizeof(wchar_t));
  if (!w) return nullptr;
  int got = n > 0 ? GetWindowTextW(control, w, n + 1) : 0;
  w[got > 0 ? got : 0] = 0;
  return w;
}

// The exact code-page form of w in a new block, or null after the refusal's message.
static char *Convert(const wchar_t *w, u32 *length) {
  // Each UTF-16 unit takes at most two bytes of the code page.
  size_t size = wcslen(w) * 2 + 1;
  char *out = (char *)malloc(size);
  if (!out) return nullptr;
  if (!FieldText_ExactCodePage(w, out, (int)size)) {
    free(out);
    Refuse(w);
    return nullptr;
  }
  if (length) *length = (u32)strlen(out);
  return out;
}

char *FieldText_ReadAll(HWND control, u32 *length) {
  if (length) *length = 0;
  wchar_t *w = WideText(control);
  char *out = w ? Convert(w, length) : nullptr;
  free(w);
  return out;
}

bool FieldText_Read(HWND control, char *out, u32 size) {
  if (!out || size == 0) return false;
  out[0] = 0;
  if (!control) return true;
  char *all = FieldText_ReadAll(control, nullptr);
  if (!all) return false;
  Str_Copy(out, size, all);   // as the code-page read: cut to the buffer, never inside a letter
  free(all);
  return true;
}
