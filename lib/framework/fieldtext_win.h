// Texts typed into the program's fields, in the code page that documents keep (CP932).
//
// An edit control holds UTF-16: any letter can be typed or pasted into it. The code-page
// reads (GetWindowTextA, GetDlgItemTextA) turn a letter the code page lacks into "?", so a
// bone named "한국" would be stored as "??" without a word. Every read of a field's text goes
// through FieldText_Read, which takes the UTF-16 text and converts it exactly, or refuses it
// with a message naming the first letter the code page cannot hold.
//
// No global state.
#pragma once
#include <windows.h>

#include "model/types.h"

// The exact code-page form of w into out (size bytes, terminated): false when a letter has no
// code-page form (no best-fit substitute is taken) or the text does not fit.
bool FieldText_ExactCodePage(const wchar_t *w, char *out, int size);
// The first letter of w that the code page cannot hold (a pair of surrogates is one letter),
// 0 when there is none.
u32 FieldText_FirstForeign(const wchar_t *w);
// The text of a control (a field, a combo's edit, a window's caption) into out (size bytes,
// cut at a character boundary, terminated). A text with a letter the code page cannot hold is
// refused with a message naming that letter: false, and out is "". A missing control reads "".
bool FieldText_Read(HWND control, char *out, u32 size);
// The same for a text of any length: a new malloc() block the caller frees (null when
// refused, with the message, or when memory is short); *length gets its length in bytes.
char *FieldText_ReadAll(HWND control, u32 *length);
