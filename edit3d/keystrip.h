// The key strip of a 3D key dialog, one facility for the bone / group motion editor and the
// object motion editor: the strip mouse (hovered row, left scrub, middle key move, right pan
// of the strip), the scroll bar's frame steps and the press and release of the left button.
// Playback starts and stops with the record's controls (Play_Start, app/play.h).
// Each editor describes its strip with one constant KeyStrip record of pointers and calls;
// the state stays the editor's (its Ed3DStripMouse, its flags, its frame). The key dialog's
// procedure on Windows is keystrip_win.cpp's.
#pragma once
#include "app/play.h"
#include "model/types.h"

// Strip mouse state of a key dialog: positions in the strip, the previous position and the
// three drags (left scrub, middle key move, right scroll).
struct Ed3DStripMouse {
  i32 x, y, prevX, prevY;
  u8 left, middle, right;
  i32 pressFrame;
};

struct KeyStrip {
  Ed3DStripMouse *mouse;
  u32 window;                   // the strip's entry of g_Strip.g_StripWindows
  u32 scrollId, soundId;        // the key dialog's scroll bar and sound combo
  // Playback's controls: the editor's handle of the key dialog (null while closed), its loop
  // check box, the loop flag (the box shows it on creation) and the dialog's refresh flag (the
  // dialog refreshes when 1).
  PlayControl play;
  i32 (*frame)(void);           // the current frame (0 without a motion)
  void (*scrub)(void);          // a left drag alone: the frame follows the pointer
  void (*dragKeys)(i32 dx);     // a middle drag without the right button, dx pixels
  void (*press)(void);          // the left press, after the press frame is kept
  void (*release)(void);        // the left release, before the redraw; null: nothing
  void (*scroll)(i32 code, i32 pos);   // the scroll bar (codes of KeyStrip_ScrollFrame)
  void (*syncScroll)(void *dlg);       // the scroll bar put onto the current frame
  void (*setSound)(i32 line);   // the sound combo's line (-1: none)
  void (*createKey)(void);      // a double click in the strip
  void (*deleteKey)(void);      // the Delete key; null: the key is not taken
  i32 (*rows)(void);            // the rows the strip shows; null: the hierarchy tree's rows
  void (*dragEnd)(void);        // the middle release that ends a key move; null: nothing
};

// A mouse move to strip (x, y): the hovered row, then the left scrub, the middle key move
// and the right pan of the strip by the move; the strip is painted again.
void KeyStrip_Move(const KeyStrip *k, i32 x, i32 y);
// The left press (the current frame kept as the press frame) and the release.
void KeyStrip_LeftDown(const KeyStrip *k);
void KeyStrip_LeftUp(const KeyStrip *k);
// The middle press and release: the key move starts and ends (the editor records it).
void KeyStrip_MiddleDown(const KeyStrip *k);
void KeyStrip_MiddleUp(const KeyStrip *k);
// The frames of a middle drag: `scaled` (dx already scaled by the editor), else one frame
// the way of dx when the scaling left nothing.
i32 KeyStrip_DragFrames(i32 scaled, i32 dx);
// The scroll bar's step on *frame: code 0 line left, 1 line right, 2 page left (60 frames),
// 3 page right, 5 thumb to pos; the result within 0..max. False (frame untouched) for any
// other code.
bool KeyStrip_ScrollFrame(i32 *frame, i32 code, i32 pos, i32 max);
// The key dialog's scroll bar (null dlg: nothing): range 0..max, position pos.
void KeyStrip_SetScroll(const KeyStrip *k, void *dlg, i32 pos, i32 max);
