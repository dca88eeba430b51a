// What the strip files share among themselves (app/strip*.cpp).
#pragma once
#include "app/strip.h"
#include "model/bone2.h"
#include "model/keytrack.h"
#include "model/model3.h"

// x of frame f: f * 10 / divisor + horizontal offset + origin (clamped far off-canvas).
i32 Strip_FrameX(i32 frame, i32 origin);
// Writes are kept inside (0, 0) - (w, h) of the canvas until the next call (at most the canvas).
void Strip_SetClip(i32 w, i32 h);
// One canvas word, inside the clip.
void Strip_Put(i32 x, i32 y, u32 word);
// Starts painting an entry: its client size clipped to the canvas; false when it has no window.
bool Strip_Begin(i32 entry, i32 *w, i32 *h);
// Copies (0, 0, w, h) of the canvas to the entry's window at x = dstX.
void Strip_End(i32 entry, i32 dstX, i32 w, i32 h);
// The key track of a bone in a motion, or null.
const Bone2Track *Strip_Bone2Track(const Bone2Model *m, i32 bone, i32 motion);
const KeyTrack *Strip_Bone3Track(const Model3 *m, i32 bone, i32 motion);
