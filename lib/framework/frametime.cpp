// Per-view phase timing of the frame (see frametime.h).
#include "lib/framework/frametime.h"

#include <stdio.h>

#include <chrono>

FrameTimes g_FrameTimes;

f64 FrameTime_Now(void) {
  using namespace std::chrono;
  return duration<f64, std::milli>(steady_clock::now().time_since_epoch()).count();
}

f64 FrameTime_Mark(void) {
  if (g_FrameTimes.on && g_FrameTimes.sync) g_FrameTimes.sync();
  return FrameTime_Now();
}

void FrameTime_BeginView(u32 view) {
  FrameTimes &f = g_FrameTimes;
  if (!f.on) return;
  f.view = view < FRAMETIME_VIEWS ? view : 0;
  for (f64 &p : f.phaseMs[f.view]) p = 0;
  f.frameStart = FrameTime_Mark();
}

void FrameTime_Add(u32 phase, f64 *mark) {
  FrameTimes &f = g_FrameTimes;
  if (!f.on || phase >= FRAMETIME_PHASES) return;
  f64 now = FrameTime_Mark();
  f.phaseMs[f.view][phase] += now - *mark;
  *mark = now;
}

void FrameTime_EndView(void) {
  FrameTimes &f = g_FrameTimes;
  if (!f.on) return;
  f.frameMs[f.view] = FrameTime_Mark() - f.frameStart;
  f.seen[f.view] = 1;
}

void FrameTime_Forget(void) {
  FrameTimes &f = g_FrameTimes;
  for (u32 v = 0; v < FRAMETIME_VIEWS; v++) f.seen[v] = 0, f.frameMs[v] = 0;
}

bool FrameTime_Text(u32 view, char *out, u32 size) {
  const FrameTimes &f = g_FrameTimes;
  if (view == FRAMETIME_VIEWS) {
    f64 sum = 0;
    u32 n = 0;
    for (u32 v = 0; v < FRAMETIME_VIEWS; v++)
      if (f.seen[v]) sum += f.frameMs[v], n++;
    if (!n) return false;
    snprintf(out, size, "all %u views: %.1f ms", n, sum);
    return true;
  }
  if (view >= FRAMETIME_VIEWS || !f.seen[view]) return false;
  snprintf(out, size, "view %u: model %.1f ms, editor %.1f ms, frame %.1f ms", view, f.phaseMs[view][FRAMETIME_MODEL],
           f.phaseMs[view][FRAMETIME_EDITOR], f.frameMs[view]);
  return true;
}
