// Fonts of the controls that show names (see listfont_win.h). Owns g_ListFont.
#include "app/listfont_win.h"

#include <string.h>

ListFont g_ListFont;

// The glyphs a name is most likely to lose: the underscore and the hyphen are one thin
// horizontal stroke, the first a stand-in face hints away.
static const char kThinGlyphs[] = "_-";

bool ListFont_Draws(HFONT font, const char *glyphs) {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return true;
  HGDIOBJ old = SelectObject(dc, font);
  static const MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
  bool all = true;
  for (const char *g = glyphs; *g && all; g++) {
    GLYPHMETRICS gm;
    // The size of the glyph's 1-bit picture: 0 when it has no pixel (GDI_ERROR: a face
    // without outlines, taken as drawing it).
    DWORD bytes = GetGlyphOutlineA(dc, (u8)*g, GGO_BITMAP, &gm, 0, nullptr, &kIdentity);
    all = bytes != 0;
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return all;
}

// The request of `lf` at the nearest height that draws every thin glyph (larger first, as
// the row height follows the font); null when none within two pixels does. Only the height
// helps: every Japanese face request, whatever its pitch, falls back to the same stand-in.
HFONT ListFont_Replacement(const LOGFONTA &lf) {
  static const LONG kSteps[] = {1, -1, 2, -2};
  for (LONG step : kSteps) {
    LOGFONTA t = lf;
    if (t.lfHeight < 0) t.lfHeight -= step;
    else t.lfHeight += step;
    if (t.lfHeight == 0) continue;
    HFONT f = CreateFontIndirectA(&t);
    if (f && ListFont_Draws(f, kThinGlyphs)) return f;
    if (f) DeleteObject(f);
  }
  return nullptr;
}

HFONT ListFont_OwnFor(HFONT font) {
  LOGFONTA lf;
  if (!font || ListFont_Draws(font, kThinGlyphs) || GetObjectA(font, sizeof lf, &lf) != sizeof lf) return font;
  HFONT r = ListFont_Replacement(lf);
  if (!r) return font;
  DeleteObject(font);
  return r;
}

HFONT ListFont_For(HFONT font) {
  ListFont &g = g_ListFont;
  if (!font) return font;
  for (u32 i = 0; i < g.count; i++)
    if (g.pairs[i].from == font || g.pairs[i].to == font) return g.pairs[i].to;
  HFONT to = font;
  LOGFONTA lf;
  if (!ListFont_Draws(font, kThinGlyphs) && GetObjectA(font, sizeof lf, &lf) == sizeof lf)
    if (HFONT r = ListFont_Replacement(lf)) to = r;
  if (g.count < LISTFONT_CAPACITY) g.pairs[g.count++] = {font, to};
  return to;
}

// The controls that show names: lists, trees, edit fields and combo boxes.
static bool ShowsNames(HWND c) {
  char cls[32] = "";
  GetClassNameA(c, cls, sizeof cls);
  return !lstrcmpiA(cls, "ListBox") || !lstrcmpiA(cls, "SysTreeView32") || !lstrcmpiA(cls, "Edit") ||
         !lstrcmpiA(cls, "ComboBox");
}

void ListFont_MendControl(HWND c) {
  if (!c || !ShowsNames(c)) return;
  HFONT font = (HFONT)SendMessageA(c, WM_GETFONT, 0, 0);
  // A control never given a font draws with the system font.
  HFONT shown = font ? font : (HFONT)GetStockObject(SYSTEM_FONT);
  HFONT to = ListFont_For(shown);
  if (to != shown) SendMessageA(c, WM_SETFONT, (WPARAM)to, TRUE);
}

void ListFont_Mend(HWND window) {
  for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ListFont_MendControl(c);
}
