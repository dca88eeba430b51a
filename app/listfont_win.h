// Fonts of the controls of the tool windows that show names. A dialog's list shows names a
// user types ("ボーン_01"); where the font stands in for a face this system lacks, the stand-in
// may draw some glyphs empty at the font's size (under Wine every Japanese face falls back to
// a monospaced one that draws "_" as no pixel at 9-12 and 16-20 px, a hinting matter that
// taller rows do not mend). Such a list takes the same font at the nearest height that draws
// the glyph, so its rows show every character. Windows build only.
#pragma once
#include <windows.h>

#include "model/types.h"

enum { LISTFONT_CAPACITY = 16 };

struct ListFontPair {
  HFONT from;   // a font a list was given
  HFONT to;     // what the list shows instead (from itself when it draws every glyph)
};

struct ListFont {
  u32 count;
  ListFontPair pairs[LISTFONT_CAPACITY];
};
extern ListFont g_ListFont;

// True when the font draws at least one pixel of each of `glyphs` (single-byte characters).
bool ListFont_Draws(HFONT font, const char *glyphs);
// The font that shows `font`'s text with every thin glyph drawn (made once per font).
HFONT ListFont_For(HFONT font);
// The request of lf at the nearest height that draws every thin glyph; null when none does.
HFONT ListFont_Replacement(const LOGFONTA &lf);
// For a font the caller owns: itself when it draws every thin glyph, else the replacement
// (font deleted); the caller owns what it gets.
HFONT ListFont_OwnFor(HFONT font);
// Gives a list box, tree view, edit field or combo box the font ListFont_For picks for the one
// it shows with (the key strips' labels take the same for theirs).
void ListFont_MendControl(HWND control);
// Gives every such control of the window the font ListFont_For picks for it.
void ListFont_Mend(HWND window);
