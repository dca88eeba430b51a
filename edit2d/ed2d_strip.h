// What the 2D family's key strips share (the object sub-mode's "2D_OBJ_KEY_DLG" and the motion
// sub-mode's key strip): the mouse messages a strip passes on and their handling, the row under
// a y, the frame under an x, the middle drag's frame step, the scroll bar's steps, and the
// motion list's lines and typed fields. Everything reads the shared strip geometry
// (app/strip.h) and row table (app/tree.h); only the sub-mode's own steps change a model.
#pragma once
#include "edit2d/ed2d.h"
#include "model/types.h"

// The key strips' horizontal scroll bar: its height and control id (made with the strip's window).
enum { ED2D_STRIP_SCROLL_H = 16, ED2D_STRIP_SCROLL_ID = 1000 };

// Mouse messages of a key strip (and of the object sub-mode's image preview).
enum Ed2DObjMouse : u32 {
  ED2D_MOUSE_MOVE = 0, ED2D_MOUSE_LDOWN, ED2D_MOUSE_LUP, ED2D_MOUSE_LDOUBLE, ED2D_MOUSE_MDOWN, ED2D_MOUSE_MUP,
  ED2D_MOUSE_RDOWN, ED2D_MOUSE_RUP,
};

// Scroll bar codes the strips take: line left, line right, page left, page right, thumb.
enum Ed2DScroll : u32 { ED2D_SCROLL_LINE_LEFT = 0, ED2D_SCROLL_LINE_RIGHT, ED2D_SCROLL_PAGE_LEFT,
                        ED2D_SCROLL_PAGE_RIGHT, ED2D_SCROLL_THUMB };

// The row whose band (28 + vertical offset + 21 * r, 21 high) holds y; -1 for none.
i32 Ed2D_StripRowAt(i32 y);
// The frame under window x: 0 at or left of the label column (x <= 188), else
// ((x - horizontal offset - 188) * divisor) / 10 brought into 0 .. length - 1 (0 for a
// length below 1).
i32 Ed2D_StripFrameFromX(i32 x, i32 length);
// The middle drag's frame step for a move of dx pixels: (divisor * dx) / 6, at least one frame
// in the direction of dx; 0 when dx is 0.
i32 Ed2D_StripMiddleStep(i32 dx);
// The frame after a scroll bar code (thumb: pos), clamped to 0 .. last.
i32 Ed2D_StripScrollFrame(u32 code, i32 pos, i32 frame, i32 last);

// A sub-mode's key strip mouse: the editor's button flags and last position, and its own steps.
struct Ed2DStripMouse {
  u32 *left, *middle, *right;   // buttons held inside the strip
  i32 *x, *y, *pressFrame;      // last position; the frame at the left press
  i32 *(*frame)(void);          // the model's current frame; null without a model
  void (*scrub)(i32 x);         // the frame under x becomes current (left press and drag)
  void (*clickRow)(i32 x);      // the left press on the hovered row
  void (*middleDrag)(i32 dx);   // a middle drag by dx pixels (right button up)
  void (*leftUp)(void);         // after the left release; null: nothing
  bool (*leftDouble)(void);     // the left double click
  void (*after)(void);          // after every message with a model (the lists' refresh)
  bool refreshListsOnLeft;      // the left press and release also refresh the app's lists
};
// One mouse message (ED2D_MOUSE_*) at strip position (x, y); without a model only the
// position is kept.
void Ed2D_StripMouse(const Ed2DStripMouse *s, u32 kind, i32 x, i32 y);

// The motion list: one line "%2d : 0 ～ %2d  %s" (number, length, name) per motion, the
// current motion selected.
void Ed2D_MotionListLines(const Motion2 *motions, i32 count, i32 current, Ed2DLines *out);
// "決定" of a motion list: the typed name (at most 255 characters) and length. A length that
// is no whole number refuses both with "モーションの長さには、数値を入力して下さい。"; a length
// of 0 or below is stored as 1 (the frame wrap needs a length). False when refused.
bool Ed2D_ApplyMotionFields(Motion2 *mo, const char *name, const char *length);
