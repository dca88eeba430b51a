// Screen text queue and its drawing pass.
#include "lib/draw/text.h"

#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/screen.h"
#include "lib/framework/d3dapp.h"
#include "lib/framework/frametime.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "model/cp932.h"

ScreenTextState g_Text = {{255, 255, 255, 255}};  // white text

// [SECTION] Queue

void Text_Printf(i32 x, i32 y, const char *format, ...) {
  if (!Text_IsOutputOn() || !format) return;
  if (g_Text.lineCount >= TEXT_MAX_LINES) return;   // a full frame drops the line silently
  ScreenTextEntry *&e = g_Text.lines[g_Text.lineCount];
  if (!e) {
    e = (ScreenTextEntry *)calloc(1, sizeof(ScreenTextEntry));
    if (!e) return;
  }
  char line[TEXT_LINE_BYTES];
  va_list ap;
  va_start(ap, format);
  int n = vsnprintf(line, sizeof line, format, ap);
  va_end(ap);
  // A line longer than the entry is cut, never in the middle of a two-byte character.
  size_t len = n < 0 ? 0 : (size_t)n < sizeof line ? (size_t)n : sizeof line - 1;
  len = Cp932_CutLength(line, len);
  memcpy(e->text, line, len);
  e->text[len] = 0;
  e->x = x;
  e->y = y;
  e->r = g_Text.color[0];
  e->g = g_Text.color[1];
  e->b = g_Text.color[2];
  e->a = g_Text.color[3];
  e->size = g_Lib.textSize;
  g_Text.lineCount++;
}

void Text_SetColor(i32 r, i32 g, i32 b, i32 a) {
  g_Text.color[0] = r;
  g_Text.color[1] = g;
  g_Text.color[2] = b;
  g_Text.color[3] = a;
}

// [SECTION] Font

i32 Text_FontHeight(f32 scaleX, f32 size) { return (i32)(scaleX * 16.0f * size); }

void Text_ReleaseFont(void) {
  DrawDev_Release(g_Text.font);
  g_Text.font = nullptr;
}

void Text_CreateFont(f32 size) {
  g_Text.fontSize = size;
  if (Screen_FrameScaling()) {
    g_Scale2D[0] = (f32)Screen_Width() / 640.0f;
    g_Scale2D[1] = (f32)Screen_Height() / 480.0f;
  } else {
    g_Scale2D[0] = 1.0f;
    g_Scale2D[1] = 1.0f;
  }
  Text_ReleaseFont();
  if (g_Dev.draw.createFont && DrawDev_Ready())
    g_Text.font = g_Dev.draw.createFont(Text_FontHeight(g_Scale2D[0], size));
}

// [SECTION] Drawing

void Text_Anchor(i32 x, i32 y, bool frameScaling, i32 screenW, i32 screenH, i32 *left, i32 *top) {
  if (frameScaling) {
    *left = (i32)((f64)((i64)x * screenW) / 640.0);
    *top = (i32)((f64)((i64)y * screenH) / 480.0);
  } else {
    *left = x;
    *top = y;
  }
}

void Text_MessagePosition(i32 length, bool viewWindowMode, i32 screenW, i32 screenH, i32 *x, i32 *y) {
  *x = (40 - length) * 8;
  *y = 430;
  if (viewWindowMode) {
    *x += (screenW - 640) / 2;
    *y += (screenH - 480) / 2;
  }
}

// Brings the font to `size` when it holds another; false when the line cannot be drawn.
static bool Text_UseSize(f32 size) {
  if (size != g_Text.fontSize) Text_CreateFont(size);
  return g_Text.fontSize > 0.0f;
}

static void Text_DrawAt(const char *text, i32 x, i32 y, u32 color) {
  i32 left, top;
  Text_Anchor(x, y, Screen_FrameScaling(), Screen_Width(), Screen_Height(), &left, &top);
  DrawBatch_FlushPending();
  if (g_Text.font && g_Dev.draw.drawText) g_Dev.draw.drawText(g_Text.font, text, left, top, color);
}

static void Text_DrawMessageLines(void) {
  i32 count = Screen_MessageLines();
  for (i32 i = 0; i < count; i++) {
    const char *msg = Screen_MessageLine(i);
    if (!msg) continue;
    if (!Text_UseSize(2.0f)) continue;
    i32 x, y;
    Text_MessagePosition((i32)strlen(msg), Screen_ViewWindowMode(), Screen_Width(), Screen_Height(), &x, &y);
    Text_DrawAt(msg, x, y, 0xFFFFFFFFu);
  }
}

void Text_DrawQueue(void) {
  // With view windows the lines may wait for the frame of another view (the request says).
  if (Screen_ViewWindowMode() && Screen_TextWaits()) return;
  if (!g_Text.font) Text_CreateFont(g_Text.fontSize + 1.0f);
  bool inFrame = Screen_InViewFrame();
  f32 offX = 0.0f, offY = 0.0f, zoom = 1.0f;
  if (inFrame) Screen_FrameOffset(&offX, &offY), zoom = Screen_FrameZoom();
  for (u32 i = 0; i < g_Text.lineCount && i < TEXT_MAX_LINES; i++) {
    ScreenTextEntry *e = g_Text.lines[i];
    if (!e) continue;
    if (!Text_UseSize(e->size)) continue;
    if (inFrame) {   // the line keeps its size; its place follows the frame's zoom
      e->x = (i32)((f32)e->x * zoom) + (i32)offX;
      e->y = (i32)((f32)e->y * zoom) + (i32)offY;
    }
    Text_DrawAt(e->text, e->x, e->y, Draw_PackColor(e->r, e->g, e->b, e->a));
  }
  Text_DrawMessageLines();
  g_Text.lineCount = 0;
}

// The device and frame lines at the top-left of the frame, in yellow, when asked for.
void Text_QueueStats(void) {
  if (!g_D3DApp.showStats && !g_FrameTimes.on) return;
  i32 saved[4];
  memcpy(saved, g_Text.color, sizeof saved);
  Text_SetColor(255, 255, 0, 255);
  i32 y = 0;
  if (g_D3DApp.showStats) {
    Text_Printf(2, 0, "%s", g_D3DApp.frameStats);
    Text_Printf(2, 20, "%s", g_D3DApp.deviceStats);
    y = 40;
  }
  char line[128];
  for (u32 v = 0; g_FrameTimes.on && v <= FRAMETIME_VIEWS; v++)
    if (FrameTime_Text(v, line, sizeof line)) Text_Printf(2, y, "%s", line), y += 20;
  memcpy(g_Text.color, saved, sizeof saved);
}
