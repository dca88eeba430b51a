// The request of the frame being drawn (see view_record.h).
#include "lib/framework/view_record.h"

#include <string.h>

#include "lib/framework/lib.h"

// The frame being drawn, and whether one is (Frame_Begin .. Frame_End).
static struct {
  FrameRequest req;
  bool inFrame;
} s_FrameState;

void Frame_Ask(FrameRequest *out) {
  memset(out, 0, sizeof *out);
  if (g_LibHooks.frameRequest) {
    g_LibHooks.frameRequest(out);
    return;
  }
  out->drawScene = g_LibHooks.drawScene;
  out->drawOverlay = g_LibHooks.drawOverlay;
}

void Frame_Begin(const FrameRequest *req) {
  s_FrameState.req = *req;
  s_FrameState.inFrame = true;
}

void Frame_End(void) { s_FrameState.inFrame = false; }

const FrameRequest *Frame_Current(void) {
  // Screen text and 2D primitives are also drawn outside a frame (tools, tests): they follow
  // the shell's state as it is then.
  if (!s_FrameState.inFrame) Frame_Ask(&s_FrameState.req);
  return &s_FrameState.req;
}
