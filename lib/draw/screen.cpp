// Reads the library's screen state and the frame request for the 2D placement (see screen.h).
#include "lib/draw/screen.h"

#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/framework/lib.h"

f32 g_Scale2D[2] = {1.0f, 1.0f};

bool Screen_InViewFrame(void) { return g_Lib.viewWindowMode == 1 && Frame_Current()->frame2D; }

void Screen_FrameOffsetFor(i32 desktopW, i32 desktopH, f32 panX, f32 panY, f32 *x, f32 *y) {
  *x = (f32)(desktopW - SCREEN_FRAME_W) * 0.5f + panX;
  *y = (f32)(desktopH - SCREEN_FRAME_H) * 0.5f + panY;
}

void Screen_FrameOffset(f32 *x, f32 *y) {
  const FrameRequest *r = Frame_Current();
  Screen_FrameOffsetFor(g_Lib.desktopWidth, g_Lib.desktopHeight, r->framePanX, r->framePanY, x, y);
}

f32 Screen_FrameZoomOf(f32 requested) { return requested > 0.0f && requested <= 16.0f ? requested : 1.0f; }

f32 Screen_FrameZoom(void) { return Screen_FrameZoomOf(Frame_Current()->frameZoom); }

i32 Screen_Width(void) { return g_Lib.screenWidth; }
i32 Screen_Height(void) { return g_Lib.screenHeight; }
bool Screen_FrameScaling(void) { return g_Lib.frameScaling == 1; }
bool Screen_ViewWindowMode(void) { return g_Lib.viewWindowMode == 1; }
bool Screen_TextWaits(void) { return Frame_Current()->textWaits; }

i32 Screen_MessageLines(void) {
  const FrameRequest *r = Frame_Current();
  return r->messageLine && r->messageLines > 0 ? r->messageLines : 0;
}

const char *Screen_MessageLine(i32 i) {
  if (i < 0 || i >= Screen_MessageLines()) return nullptr;
  return Frame_Current()->messageLine(i);
}
