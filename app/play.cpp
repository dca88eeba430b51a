// Motion and movie playback ticks over the one clock rule of Play_AdvanceFrame, and the
// start and stop of the editors' motion playback.
#include "app/play.h"

#include <math.h>

#include "app/current.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "app/widget.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "model/bone2.h"
#include "model/kzo.h"
#include "model/model3.h"
#include "model/motion.h"
#include "model/obj2.h"
#include "model/seam_timer.h"

const i32 &g_AviFrameStep = g_Lib.renderInterval;

// The 2D object models and the object sets keep no fraction of their own.
static f32 s_Obj2Fraction[OBJ2_SLOTS];
static f32 s_Obj3Fraction[OBJ3_SETS];

// [SECTION] clock
i64 Play_AdvanceFrame(i32 *frame, f32 *fraction, f32 delta, i32 length) {
  if (!(*fraction >= 0.0f) || isinf(*fraction)) *fraction = 0.0f;
  if (delta > 0.0f && !isinf(delta)) *fraction += delta;
  if (*fraction < 1.0f) {
    if (length <= 0) *frame = 0;
    return 0;
  }
  f32 whole = floorf(*fraction);
  *fraction -= whole;
  // Only the remainder modulo the length matters, so a huge delta costs no more than 1.
  i64 steps = whole > 4e18f ? (i64)4e18 : (i64)whole;
  if (length <= 0) {
    *frame = 0;
    return steps;
  }
  i64 f = (i64)*frame % length;
  if (f < 0) f += length;
  *frame = (i32)((f + steps % length) % length);
  return steps;
}

// [SECTION] motion ticks
static void MarkPanel(u32 *flag) {
  if (flag) *flag = 1;
}

static i32 MotionLength2(const Motion2 *motions, i32 count, i32 motion) {
  return motion >= 0 && motion < count ? motions[motion].length : 0;
}

// One tick of a motion of `len` frames: advances the frame by the frame time, finds the keys
// again when it moved and marks the key panel. Without looping the motion ends on its last
// frame: false then, as playback stops there.
static bool TickMotion(i32 *frame, f32 *fraction, i32 len, void (*findKeys)(i32 slot), i32 slot, u32 *panel,
                       const u32 *loop) {
  i32 before = *frame;
  i64 steps = Play_AdvanceFrame(frame, fraction, g_Lib.frameDelta, len);
  if (steps) findKeys(slot);
  MarkPanel(panel);
  if (loop && *loop == 0 && len > 0 && (i64)before + steps >= (i64)len - 1) {
    *frame = len - 1;
    findKeys(slot);
    return false;
  }
  return true;
}

// TickMotion over the current motion (of a table of `motions`) of a 2D model in slot s.
template <typename Model>
static bool TickModel2(Model *m, i32 motions, f32 *fraction, void (*findKeys)(i32 slot), u32 s, u32 *panel,
                       const u32 *loop) {
  i32 len = MotionLength2(m->motions, motions, m->currentMotion);
  return TickMotion(&m->currentFrame, fraction, len, findKeys, (i32)s, panel, loop);
}

void Play_TickObj2(void) {
  u32 s = g_Sel.g_Cur2DSlot;
  Obj2Model *m = s < OBJ2_SLOTS ? g_Obj2Slots[s] : nullptr;
  if (!m) return;
  if (TickModel2(m, OBJ2_MAX_MOTIONS, &s_Obj2Fraction[s], Obj2_UpdateKeyIndices, s, g_ShellEntries.obj2KeyPanelRefresh,
                 g_ShellEntries.obj2Loop))
    g_Shell.g_Playing = 1;
}

void Play_TickBone2(void) {
  u32 s = g_Sel.g_CurSlot;
  Bone2Model *m = s < BONE2_SLOTS ? g_Bone2Slots[s] : nullptr;
  if (!m) return;
  bool on = TickModel2(m, BONE2_MAX_MOTIONS, &m->playTime, Bone2_UpdateKeyIndices, s,
                       g_ShellEntries.bone2KeyPanelRefresh, g_ShellEntries.bone2Loop);
  g_Shell.g_Playing = on ? 1 : 0;
}

void Play_TickObj3(void) {
  u32 s = g_Sel.g_CurSlot;
  Obj3Set *set = s < OBJ3_SETS ? g_Obj3Sets[s] : nullptr;
  if (!set) return;
  i32 len = set->motion >= 0 && set->motion < OBJ3_MOTIONS ? set->motions[set->motion].length : 0;
  if (Play_AdvanceFrame(&set->frame, &s_Obj3Fraction[s], g_Lib.frameDelta, len)) Kzo_FindKeySegment((i32)s);
  g_Shell.g_Playing = 1;
}

void Play_TickModel3(void) {
  Model3 *m = Current_Model3();
  if (!m) return;
  i32 len = m->motion >= 0 && m->motion < MODEL3_MOTIONS ? m->motions[m->motion].length : 0;
  for (u32 &f : g_Shell.g_StripDirty) f = 1;
  if (TickMotion(&m->frame, &m->frameFraction, len, Model3_UpdateKeyIndices, (i32)g_Sel.g_CurSlot,
                 g_ShellEntries.motionPanelRefresh, g_ShellEntries.model3Loop))
    g_Shell.g_Playing = 1;
}

void Play_TickNone(void) {}

void Play_TickByRunState(u32 runState) {
  switch (runState) {
    case 1: Play_TickObj2(); break;
    case 2: Play_TickBone2(); break;
    case 3: Play_TickObj3(); break;
    case 4: Play_TickModel3(); break;
    case 5: Play_TickNone(); break;
    default: break;
  }
}

// [SECTION] movie clock

i32 Play_TickMovie(void) {
  const ShellEntries &e = g_ShellEntries;
  if (!Text_IsOutputOn() || !e.movieFrame || !e.movieFraction) return PLAY_MOVIE_IDLE;
  if (e.movieSnapshotKeys) e.movieSnapshotKeys();
  if (g_Lib.runState == LIB_RUN_RECORDING) {
    if (e.movieHoldOnce && *e.movieHoldOnce) *e.movieHoldOnce = 0;
    else *e.movieFrame += g_AviFrameStep;
  } else {
    f32 *fr = e.movieFraction;
    if (!(*fr >= 0.0f) || isinf(*fr)) *fr = 0.0f;
    if (g_Lib.frameDelta > 0.0f && !isinf(g_Lib.frameDelta)) *fr += g_Lib.frameDelta;
    f32 whole = floorf(*fr);
    *fr -= whole;
    // The end branch catches the frame at the end, so a long pause never runs far past it.
    i64 f = (i64)*e.movieFrame + (whole > 1e9f ? (i64)1e9 : (i64)whole);
    *e.movieFrame = f > 0x3fffffff ? 0x3fffffff : (i32)f;
  }
  i32 result = PLAY_MOVIE_STEPPED;
  i32 end = e.movieEndFrame ? e.movieEndFrame() : 0;
  if (*e.movieFrame >= end) {
    result = e.movieEnd ? e.movieEnd() : PLAY_MOVIE_STOPPED;
    if (result == PLAY_MOVIE_CHAINED && e.movieRefreshLists) e.movieRefreshLists();
    Timer_Reset();
  } else if (e.movieStep) {
    e.movieStep();
  }
  App_MarkAllRedraw(View_CurrentLayout());
  return result;
}

// [SECTION] start and stop
void Play_Start(const PlayControl *c, i32 *frame, i32 *saved) {
  void *panel = *c->loopPanel;
  if (panel && g_Widget.isChecked) *c->loop = Widget_IsChecked(panel, c->loopId) ? 1 : 0;
  if (frame) {
    if (saved) *saved = *frame;
    *frame = 0;
  }
  g_Shell.g_Playing = 1;
  *c->refresh = 1;
}

void Play_Stop(const PlayControl *c, i32 *frame, i32 saved) {
  g_Shell.g_Playing = 0;
  if (frame) *frame = saved;
  *c->refresh = 1;
  App_MarkAllRedraw(View_CurrentLayout());
}
