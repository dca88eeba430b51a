// Playback of motions and movies, advanced once per idle pass by the per-frame update.
//
// The four motion ticks advance the current model of their kind by g_Lib.frameDelta; the movie
// tick advances the movie clock. The clock arithmetic is the plain Play_AdvanceFrame, shared
// by every tick: whole frames move from the fraction to the frame, the frame wraps modulo
// the motion's length, and a motion of no length holds frame 0.
//
// The movie itself belongs to the movie editor, which fills the playback entries of
// g_ShellEntries (app/entries.h) when the program starts (app/ names nothing of scene/).
// Global owned here: g_AviFrameStep
// (the library's g_Lib.renderInterval, read only: movie frames per recorded picture).
#pragma once
#include "model/types.h"
#include "app/entries.h"

// Movie end branches (the same numbers as the movie editor's end step).
enum { PLAY_MOVIE_CHAINED = 0, PLAY_MOVIE_LOOPED = 1, PLAY_MOVIE_STOPPED = 2 };
// What Play_TickMovie did this pass.
enum { PLAY_MOVIE_IDLE = -1, PLAY_MOVIE_STEPPED = 3 };

extern const i32 &g_AviFrameStep;

// Moves delta frames onto (frame, fraction): whole frames go from the fraction to the frame,
// the frame wraps modulo length, length <= 0 holds frame 0 (fraction kept). A delta that is
// not finite and positive adds nothing. Constant work for any delta. Returns the whole frames
// moved (capped; only its being non-zero matters to callers).
i64 Play_AdvanceFrame(i32 *frame, f32 *fraction, f32 delta, i32 length);

// The motion ticks (by g_Lib.runState 1..5). Each sets g_Shell.g_Playing back to 1 while its model exists.
void Play_TickObj2(void);    // 2D object model of g_Sel.g_Cur2DSlot
void Play_TickBone2(void);   // 2D bone model of g_Sel.g_CurSlot
void Play_TickObj3(void);    // 3D object set of g_Sel.g_CurSlot
void Play_TickModel3(void);  // the current 3D model
void Play_TickNone(void);    // the effect editor's run state: nothing advances
// Runs the tick of a run state (0 and states above 5: none).
void Play_TickByRunState(u32 runState);

// [SECTION] start and stop of the editors' motion playback
// An editor's playback controls: the panel holding its loop check box (*loopPanel null: the
// flag is kept), the box's id, the loop flag, and the refresh flag of the panel that shows the
// frame.
struct PlayControl {
  void *const *loopPanel;
  u32 loopId;
  u32 *loop;
  u32 *refresh;
};
// Playback from frame 0: the loop flag read from the check box, *frame (null: no motion)
// kept in *saved first (saved null: the frame kept before stays), the panel refreshed.
void Play_Start(const PlayControl *c, i32 *frame, i32 *saved);
// The stop: the kept frame back in *frame (null: none), the panel refreshed, every view
// flagged for redraw.
void Play_Stop(const PlayControl *c, i32 *frame, i32 saved);

// The movie clock, for one pass: while recording (g_Lib.runState 8) g_AviFrameStep frames (none
// on a pass that holds the start frame), else
// the whole frames of the fraction; at or past the end the movie's end branch (each followed
// by Timer_Reset), before it the movie step; every view flagged for redraw. Nothing while
// screen output is off or the movie has not installed its clock. Returns PLAY_MOVIE_*.
i32 Play_TickMovie(void);
