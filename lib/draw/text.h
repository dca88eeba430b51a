// Screen text: a per-frame queue of printf-style lines drawn at the end of the frame.
//
// Text_Printf only queues (at most 127 lines a frame, 256 bytes each, cut at a character
// boundary); Text_DrawQueue draws the queue through the SHIFTJIS text font after the
// overlay hook and empties it, and also draws the frame request's message lines.
// Global owned here: g_Text (queued lines, colour, font and its size; g_Scale2D lives in
// screen.h, g_Lib.textSize in lib.h). The framework releases g_Text.font
// (Text_ReleaseFont) before a device reset; the next draw creates it again.
#pragma once
#include "model/types.h"

enum { TEXT_MAX_LINES = 127, TEXT_LINE_BYTES = 256 };

struct ScreenTextEntry {
  char text[TEXT_LINE_BYTES];
  i32 x, y;
  i32 r, g, b, a;
  f32 size;   // 1.0 = 16-pixel font
};

// The screen-text queue and font: written by the Text_ calls (text.cpp) only.
struct ScreenTextState {
  i32 color[4];
  u32 lineCount;
  f32 fontSize;
  void *font;
  ScreenTextEntry *lines[TEXT_MAX_LINES];
};
extern ScreenTextState g_Text;

void Text_Printf(i32 x, i32 y, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
void Text_SetColor(i32 r, i32 g, i32 b, i32 a);
// Queues the framework's device and frame lines, when they are asked for (g_LibHooks.queueStats).
void Text_QueueStats(void);
void Text_CreateFont(f32 size);
void Text_ReleaseFont(void);
void Text_DrawQueue(void);

// Pixel height of the font for a size factor at an x scale (16 pixels at 1.0, truncated).
i32 Text_FontHeight(f32 scaleX, f32 size);
// Top-left of a line: frame-scaled coordinates (products in integers, division in floats).
void Text_Anchor(i32 x, i32 y, bool frameScaling, i32 screenW, i32 screenH, i32 *left, i32 *top);
// Where a message line of `length` bytes starts, before frame scaling.
void Text_MessagePosition(i32 length, bool viewWindowMode, i32 screenW, i32 screenH, i32 *x, i32 *y);
