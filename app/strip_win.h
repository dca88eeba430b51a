// The strips' canvas as a GDI bitmap (Windows build only): the DIB section made by
// Strip_CreateCanvas and the memory device context it stays selected into.
#pragma once
#include <windows.h>

struct StripGdi {
  HBITMAP bitmap;   // the 1600 x 1024 top-down 32-bit DIB section; its bits are g_StripCanvas
  HDC dc;           // memory context holding the bitmap (and the font) while the program runs
  HFONT font;       // Japanese font of the strip texts
};
extern StripGdi g_StripGdi;

// Releases the canvas bitmap, context and font; the portable array becomes the canvas again.
void Strip_DestroyCanvas(void);
