// The movie editor's dialogs: what their fields, lists and buttons do, the refill of their
// controls from the movie, the key dialog's time line (pick, key move, scale, scroll) and its
// scroll bar. The controls are reached through the widget seam (app/widget.h); the
// Windows dialog procedure only hands commands, mouse and scroll messages to these calls.
//
// Global owned here: g_MovieDlg (selected sound slot and message, drag anchors).
#pragma once
#include <stddef.h>

#include "model/types.h"

enum {
  MOVIE_TIMELINE_X = 230,   // the time line's origin in the key dialog
  MOVIE_TIMELINE_Y = 84,
  MOVIE_TIMELINE_ROW = 25,
  MOVIE_SCALE_START = 8,    // frames per 10 pixels on entering
  MOVIE_SOUND_LINES = 16,
};

// Scroll bar requests of the key dialog (the values of the Windows codes).
enum { MOVIE_SB_LINELEFT = 0, MOVIE_SB_LINERIGHT = 1, MOVIE_SB_PAGELEFT = 2, MOVIE_SB_PAGERIGHT = 3,
       MOVIE_SB_THUMBPOSITION = 4 };

struct MovieDlgState {
  i32 soundSlot;             // selected slot of the sound dialog
  i32 message;               // selected message of the message dialog
  i32 middleX;               // middle drag anchor (x)
  i32 rightX, rightY;        // right drag anchor
};
extern MovieDlgState g_MovieDlg;

// [SECTION] line texts
void MovieDlg_MotionLine(char *out, size_t size, i32 number, const char *name);
void MovieDlg_KeyLine(char *out, size_t size, i32 key, i32 frame, const char *motion);
// Line of sound slot `slot` / message m of the current movie.
void MovieDlg_SoundLine(char *out, size_t size, i32 slot);
void MovieDlg_MessageLine(char *out, size_t size, i32 m);

// [SECTION] rules
// A whole number or decimal (blanks around it allowed); false for anything else.
bool MovieDlg_ParseFloat(const char *text, f32 *out);
bool MovieDlg_ParseInt(const char *text, i32 *out);
// The frame count typed into the key dialog: 1..18000, else a message and nothing changes.
// A new count sets the play range end and lowers the start, the current frame and the play
// range inside it, and the scroll bar's range.
bool MovieDlg_ApplyFrameCount(const char *text);
// chosen relative to base ("" for base itself) into out; false when chosen lies outside it.
bool MovieDlg_RelativeFolder(const char *base, const char *chosen, char *out, size_t size);
// The name the movie keeps for a file the open dialog gave as `name` (bare, in chosenFolder, or
// a full path): relative to the movie's folder when it lies inside it, else the full path, so
// that it is found again from wherever the movie is read. False when it does not fit.
bool MovieDlg_KeepPath(const char *chosenFolder, const char *name, char *out, size_t size);
// Where a kept name is: a full path as it is; a relative one beside the movie (its folder),
// then in the data folder (where names without a folder were kept before), then from the
// current folder. True with the first that exists; false with the name beside the movie.
bool MovieDlg_FindKeptPath(const char *kept, char *out, size_t size);
// The time line's pick at the dialog's point (scroll and scale of the key strip).
i32 MovieDlg_PickFrame(i32 x);
i32 MovieDlg_PickRow(i32 y);
// Frames a middle drag of dx pixels moves a key: scale x dx / 6, at least 1 either way.
i32 MovieDlg_MoveStep(i32 dx);
// "縮小" (out) and "拡大": the time-line scale doubled up to 64, halved down to 1.
void MovieDlg_Zoom(bool out);
// The time line scrolled by (dx, dy); never above 0.
void MovieDlg_ScrollBy(i32 dx, i32 dy);
// The frame after a scroll bar request (range 0..range).
i32 MovieDlg_ScrollFrame(i32 frame, i32 code, i32 thumb, i32 range);
// A list selection of the sound dialog as a slot, or -1 (none: LB_ERR or out of 0..15).
i32 MovieDlg_SoundSelection(i32 sel);
// A motion combo selection for the model with `motions` motions, or -1 (changes nothing).
i32 MovieDlg_MotionSelection(i32 sel, i32 motions);
// Moves the current object's key at the current frame by the step of dx; true when moved.
bool MovieDlg_MoveKey(i32 dx);

// [SECTION] dialogs
void MovieDlg_Command(u32 d, u32 id);
void MovieDlg_Refresh(u32 d);
// Time line mouse of the key dialog.
void MovieDlg_LeftDown(i32 x, i32 y);
void MovieDlg_LeftDrag(i32 x, i32 y);
void MovieDlg_LeftUp(void);
void MovieDlg_DoubleClick(void);
void MovieDlg_MiddleDown(i32 x);
void MovieDlg_MiddleDrag(i32 x);
void MovieDlg_RightDown(i32 x, i32 y);
void MovieDlg_RightDrag(i32 x, i32 y);
// The key dialog's scroll bar.
void MovieDlg_Scroll(i32 code, i32 thumb);
