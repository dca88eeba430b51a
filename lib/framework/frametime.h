// Where a frame's time goes, per view: the model render (the scene passes of the frame render
// and the 2D models),
// the editor's drawing (its scene and overlay hooks), the present, and the whole frame from
// the render to the end of the present. Off unless MIRAVEL_PHASE_STATS is set (and not "0"); then the frame statistics
// show one line per view drawn since the start.
//
// Global owned here: g_FrameTimes, written by the frame render and the frame step only.
#pragma once
#include "model/types.h"

enum { FRAMETIME_VIEWS = 8, FRAMETIME_MODEL = 0, FRAMETIME_EDITOR = 1, FRAMETIME_PRESENT = 2, FRAMETIME_PHASES = 3 };

struct FrameTimes {
  u32 on;
  u32 view;                                       // the view being drawn
  u32 seen[FRAMETIME_VIEWS];                      // 1 once the view has been drawn
  f64 phaseMs[FRAMETIME_VIEWS][FRAMETIME_PHASES]; // of the view's last frame
  f64 frameMs[FRAMETIME_VIEWS];
  f64 frameStart;
  // Waits until the device has done what it was given (the Windows side installs it): a
  // device that works behind the program would otherwise put one phase's drawing in the next.
  void (*sync)(void);
};

extern FrameTimes g_FrameTimes;

// Milliseconds of a steady clock.
f64 FrameTime_Now(void);
// The start of a phase: the device has finished what came before (when timing is on).
f64 FrameTime_Mark(void);
// A view's frame starts: its phase sums go back to 0.
void FrameTime_BeginView(u32 view);
// Adds the time since *mark to the phase of the view being drawn and moves *mark to now.
void FrameTime_Add(u32 phase, f64 *mark);
// The view's frame is presented.
void FrameTime_EndView(void);
// Every view counts as not drawn again (another layout's views took the numbers).
void FrameTime_Forget(void);
// "View n: model x ms, editor y ms, frame z ms" of view `view` into out; false when the view
// has not been drawn. The line "all views: ..." comes with view == FRAMETIME_VIEWS.
bool FrameTime_Text(u32 view, char *out, u32 size);
