// The screen placement that screen text and 2D primitives share.
//
// g_Scale2D is owned here (recomputed by Text_CreateFont). The other values come from the
// library (back-buffer and desktop size, frame scaling, view-window mode) and from the frame
// request (the 2D-frame flag, the frame pan and zoom, the text rule and the message lines); the
// accessors below are the one place that reads them.
#pragma once
#include "model/types.h"

extern f32 g_Scale2D[2];

// The logical frame every 2D coordinate is given in while frame scaling is on.
enum { SCREEN_FRAME_W = 640, SCREEN_FRAME_H = 480 };

// True when frames go to view windows and the request places 2D content in a 640x480 frame.
bool Screen_InViewFrame(void);
// The frame's offset in the view window: (desktop size - 640x480) / 2 + pan of view 0.
void Screen_FrameOffset(f32 *x, f32 *y);
// The pure form of the same: what the offset is for a desktop size and a pan.
void Screen_FrameOffsetFor(i32 desktopW, i32 desktopH, f32 panX, f32 panY, f32 *x, f32 *y);
// The scale of what the 640x480 frame shows (the request's; 1 when it gives none or a value
// that is not a positive finite number), and the pure form of the same.
f32 Screen_FrameZoom(void);
f32 Screen_FrameZoomOf(f32 requested);
i32 Screen_Width(void);
i32 Screen_Height(void);
bool Screen_FrameScaling(void);
bool Screen_ViewWindowMode(void);
// True when, with view windows, the screen text waits for another view's frame.
bool Screen_TextWaits(void);
// The request's message lines (drawn after the screen text): their count, and line i (null
// when there is none at i).
i32 Screen_MessageLines(void);
const char *Screen_MessageLine(i32 i);
