// Reads the library's and the shell's screen state for the 2D placement (see screen.h).
#include "lib/draw/screen.h"

#include "lib/framework/shell_view.h"
#include "lib/framework/lib.h"
#include "lib/render/movie_state.h"

f32 g_Scale2D[2] = {1.0f, 1.0f};

static const ViewRecord *CurrentLayoutView(u32 view) {
  if (g_EditSubMode >= APP_FAMILY_COUNT || view >= APP_VIEWS_PER_LAYOUT) return nullptr;
  return &g_Views[g_EditSubMode][view];
}

bool Screen_InViewFrame(void) {
  return g_ViewWindowMode == 1 && g_EditFamily < APP_FAMILY_COUNT && g_Family2DFrame[g_EditFamily] == 1;
}

void Screen_FrameOffsetFor(i32 desktopW, i32 desktopH, f32 panX, f32 panY, f32 *x, f32 *y) {
  *x = (f32)(desktopW - SCREEN_FRAME_W) * 0.5f + panX;
  *y = (f32)(desktopH - SCREEN_FRAME_H) * 0.5f + panY;
}

void Screen_FrameOffset(f32 *x, f32 *y) {
  const ViewRecord *v = CurrentLayoutView(0);
  Screen_FrameOffsetFor(g_DesktopWidth, g_DesktopHeight, v ? v->panX : 0.0f, v ? v->panY : 0.0f, x, y);
}

u32 Screen_DrawnViewKind(void) {
  const ViewRecord *v = CurrentLayoutView(g_DrawView);
  return v ? v->kind : 0;
}

i32 Screen_Width(void) { return g_ScreenWidth; }
i32 Screen_Height(void) { return g_ScreenHeight; }
bool Screen_FrameScaling(void) { return g_FrameScaling == 1; }
bool Screen_ViewWindowMode(void) { return g_ViewWindowMode == 1; }
u32 Screen_Family(void) { return g_EditFamily; }

bool Screen_MovieMessagesShown(void) { return g_EditFamily == FAMILY_MOVIE || g_MovieLoaded != 0; }

i32 Screen_MovieObjectCount(void) {
  i32 n = g_MovieObjectCount;
  if (n < 0) return 0;
  return n > MOVIE_MAX_OBJECTS ? MOVIE_MAX_OBJECTS : n;
}

const char *Screen_MovieMessageOf(i32 i) {
  if (i < 0 || i >= Screen_MovieObjectCount()) return nullptr;
  const MovieObject *o = g_MovieObjects[i];
  if (!o || o->kind != MOVIE_KIND_MESSAGE) return nullptr;
  if (o->curKey < 0 || o->curKey >= MOVIE_MAX_KEYS) return nullptr;
  i32 msg = o->keys[o->curKey].number;
  if (msg < 0 || msg >= MOVIE_MESSAGE_COUNT) return nullptr;   // a bad index draws nothing
  return g_MovieMessages[msg];
}
