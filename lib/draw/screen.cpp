// Reads the library's screen state and the frame request for the 2D placement (see screen.h).
#include "lib/draw/screen.h"

#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/framework/lib.h"
#include "lib/framework/movie_state.h"

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

u32 Screen_DrawnViewKind(void) {
  const ViewRecord *v = Frame_Current()->view;
  return v ? v->kind : 0;
}

i32 Screen_Width(void) { return g_Lib.screenWidth; }
i32 Screen_Height(void) { return g_Lib.screenHeight; }
bool Screen_FrameScaling(void) { return g_Lib.frameScaling == 1; }
bool Screen_ViewWindowMode(void) { return g_Lib.viewWindowMode == 1; }
bool Screen_MovieStage(void) { return Frame_Current()->movieStage; }

bool Screen_MovieMessagesShown(void) { return Frame_Current()->movieStage || g_Movie.loaded != 0; }

i32 Screen_MovieObjectCount(void) {
  i32 n = g_Movie.objectCount;
  if (n < 0) return 0;
  return n > MOVIE_MAX_OBJECTS ? MOVIE_MAX_OBJECTS : n;
}

const char *Screen_MovieMessageOf(i32 i) {
  if (i < 0 || i >= Screen_MovieObjectCount()) return nullptr;
  const MovieObject *o = g_Movie.objects[i];
  if (!o || o->kind != MOVIE_KIND_MESSAGE) return nullptr;
  if (o->curKey < 0 || o->curKey >= MOVIE_MAX_KEYS) return nullptr;
  i32 msg = o->keys[o->curKey].number;
  if (msg < 0 || msg >= MOVIE_MESSAGE_COUNT) return nullptr;   // a bad index draws nothing
  return g_Movie.messages[msg];
}
