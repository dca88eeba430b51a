// The decisions of the main loop that do not need a window: frame delta, fade, the
// command-line path, strip pacing and the movie family's camera for the drawn view.
// The loop itself (messages, idle pass, Sleep) is in winmain_win.cpp.
#pragma once
#include "lib/framework/view_record.h"
#include "model/types.h"
#include "app/views.h"

struct FrameClock {
  bool started;
  u32 last;   // milliseconds of the previous idle pass
};
// Frames of 1/60 s since the previous pass (0 on the first), also across the wrap of the
// millisecond counter. The caller stores a fresh reading into clock->last afterwards.
f32 Loop_FrameDelta(FrameClock *clock, u32 now);
// The path named on the command line: the text without surrounding double quotes (only
// when both are there) and surrounding blanks. False when nothing is left.
bool Loop_CommandLinePath(const char *commandLine, char *out, size_t size);
// True when the file name's extension is "kzp" in any case.
bool Loop_IsKzpPath(const char *path);
// Counts one idle pass; true when the strips are due (every fourth pass, every pass while recording).
bool Loop_StripsDue(i32 *counter, bool recording);
// The view drawn in the movie family: view 4 while recording, when it is in use with a window.
u32 Loop_MovieDrawView(u32 chosen, bool recording, const ViewRecord *layoutViews, i32 count);
// Eye and target of an orthographic view (Front, Top, Side) in the movie family.
void Loop_MovieOrthoCamera(const ViewRecord *v, f32 scale, f32 eye[3], f32 target[3]);
// The movie's camera object (index of a movie actor; the movie editor sets it, -1 none).
// Eye and target of camera object `index` (asked through g_ShellEntries.movieCamera); false
// (camera left as it was) when there is no such object or it is not a camera.
bool Loop_MovieCamera(i32 index, f32 eye[3], f32 target[3]);
// Screen centre used for 2D drawing of a view of this size.
void Loop_ViewCentre(i32 width, i32 height, i32 *cx, i32 *cy);
