// The screen placement that screen text and 2D primitives share.
//
// g_Scale2D is owned here (recomputed by Text_CreateFont). The other values come from the
// library (back-buffer and desktop size, frame scaling, view-window mode) and from the frame
// request (the 2D-frame flag, the frame pan, the kind of the view being drawn); the
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
// Kind of the view being drawn (0 main, 1 Front, 2 Top, 3 Side, 4 Pers).
u32 Screen_DrawnViewKind(void);
i32 Screen_Width(void);
i32 Screen_Height(void);
bool Screen_FrameScaling(void);
bool Screen_ViewWindowMode(void);
// True while the movie stage is drawn.
bool Screen_MovieStage(void);
// The movie's message line: shown on the movie stage or once a movie file was loaded.
bool Screen_MovieMessagesShown(void);
i32 Screen_MovieObjectCount(void);
// Text of movie object i's current message, or null when i is no message object.
const char *Screen_MovieMessageOf(i32 i);
