// The strips' GDI side: the canvas DIB section, text drawn with TextOut into it and the copy
// of a painted rectangle to a strip window. The pixel operations of app/strip.cpp write the
// section's bits directly; GDI is flushed after every text so that its batched drawing
// lands before our next write.
#include "app/strip.h"
#include "app/strip_win.h"

#include "app/listfont_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"

#include <string.h>

StripGdi g_StripGdi;
static u32 *s_PortableCanvas;   // the array the canvas was before the section took over

static void GdiText(i32 x, i32 y, u32 rgb, const char *text) {
  if (!g_StripGdi.dc) return;
  SetTextColor(g_StripGdi.dc, RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
  TextOutA(g_StripGdi.dc, x, y, text, (int)strlen(text));
  GdiFlush();
}

static void GdiBlit(void *window, i32 dstX, i32 w, i32 h) {
  if (!window || !g_StripGdi.dc || w <= 0 || h <= 0) return;
  HDC dc = GetDC((HWND)window);
  if (!dc) return;
  BitBlt(dc, dstX, 0, w, h, g_StripGdi.dc, 0, 0, SRCCOPY);
  ReleaseDC((HWND)window, dc);
}

void Strip_CreateCanvas(void) {
  Strip_SetTextColor(255, 255, 255);
  if (g_StripGdi.bitmap) return;
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);   // 40
  bi.bmiHeader.biWidth = STRIP_CANVAS_W;
  bi.bmiHeader.biHeight = -STRIP_CANVAS_H;          // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  HDC wdc = GetDC((HWND)g_Lib.mainWnd);
  void *bits = nullptr;
  HBITMAP bmp = CreateDIBSection(wdc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC mem = bmp ? CreateCompatibleDC(wdc) : nullptr;
  if (wdc) ReleaseDC((HWND)g_Lib.mainWnd, wdc);
  if (!bmp || !bits || !mem) {   // the strips keep painting the portable array, unseen
    if (mem) DeleteDC(mem);
    if (bmp) DeleteObject(bmp);
    return;
  }
  SelectObject(mem, bmp);
  g_StripGdi.font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                                FIXED_PITCH | FF_MODERN, "ＭＳ ゴシック");
  // The labels are names ("ボーン_01"): a stand-in face that draws no underscore at this
  // height gives way to the nearest height that does.
  g_StripGdi.font = ListFont_OwnFor(g_StripGdi.font);
  if (g_StripGdi.font) SelectObject(mem, g_StripGdi.font);
  SetBkMode(mem, TRANSPARENT);
  GdiFlush();
  // The bits start zeroed like the array; whatever was painted before is dropped.
  s_PortableCanvas = g_StripCanvas;
  g_StripCanvas = (u32 *)bits;
  g_StripGdi.bitmap = bmp;
  g_StripGdi.dc = mem;
  g_ShellSeam.stripText = GdiText;
  g_ShellSeam.stripBlit = GdiBlit;
}

void Strip_DestroyCanvas(void) {
  if (!g_StripGdi.bitmap) return;
  g_ShellSeam.stripText = nullptr;
  g_ShellSeam.stripBlit = nullptr;
  if (s_PortableCanvas) g_StripCanvas = s_PortableCanvas;
  DeleteDC(g_StripGdi.dc);
  DeleteObject(g_StripGdi.bitmap);
  if (g_StripGdi.font) DeleteObject(g_StripGdi.font);
  g_StripGdi = StripGdi{};
}
