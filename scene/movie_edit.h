// The movie editor (family 22): five views of the movie in g_MovieScene / g_Movie.objects,
// actors added from the menu, the key of the current actor (g_Sel.g_CurSlot) at the current frame
// dragged in one of three modes, frame stepping, playback, and the render dialog's BMP and
// AVI output and the video window that plays the movie's BGM.
//
// Global owned here: g_MovieEditor (editor state and its dialogs). The dialogs go through the
// widget seam (app/widget.h); the MCI window and the library's Windows-only calls
// (back-buffer snapshot, AVI capture, frame step) are reached through g_SceneSeam, which
// scene/movie_edit_win.cpp fills and native tests replace; an empty entry does nothing.
#pragma once
#include "app/hook_ctx.h"
#include <stddef.h>

#include "model/types.h"
#include "resources/movie_edit_ids.h"
#include "scene/scene_seam.h"

enum { MOVIE_MODE_MOVE = 0, MOVIE_MODE_ROTATE = 1, MOVIE_MODE_SCALE = 2 };

// The editor's dialogs (MOVIE_DIALOG_* index the handle and refresh tables).
enum {
  MOVIE_DIALOG_MAIN = 0,   // MOVIE_DLG
  MOVIE_DIALOG_IMG,        // actor dialogs, one per kind: 0, 1, 2, 3, 4
  MOVIE_DIALOG_KZA,
  MOVIE_DIALOG_KZB,
  MOVIE_DIALOG_KZO,
  MOVIE_DIALOG_KZP,
  MOVIE_DIALOG_CAM,        // kind 5
  MOVIE_DIALOG_SCENE,      // kind 6
  MOVIE_DIALOG_WAVE,       // kind 8
  MOVIE_DIALOG_MES,        // kind 9
  MOVIE_DIALOG_KEY,        // the key time line (the movie strip's window)
  MOVIE_DIALOG_RENDER,
  MOVIE_DIALOGS
};

struct MovieEditor {
  i32 mode;                  // MOVIE_MODE_*
  i32 anchorX, anchorY;      // mouse at the last button-down or drag step
  i32 moveX, moveY;          // mouse position copied at the start of each move
  u8 dragStarted;            // set on left-button-down, cleared by the first rotate step
  f32 savedRotation[4];      // key quaternion when the rotate drag started
  f32 dragAngles[3];         // accumulated degrees: Side (A), Top (B), Front (C)
  f32 offset2D[5][2];        // 2D offset per view kind (arrow keys)
  i32 savedFrame;            // frame when playback started
  i32 shownFrame;            // frame last shown on the key dialog's scroll bar
  u8 recordHold;             // a recording just started: its first pass shows the start frame
  void *video;               // the video window playing the BGM (platform handle), null: none
  char bgmRefused[256];      // the BGM that could not be played since playback started (named once)
  void *dialogs[MOVIE_DIALOGS];
  u32 refresh[MOVIE_DIALOGS];
};
extern MovieEditor g_MovieEditor;

// [SECTION] dialogs (through the widget seam)
// The template name of dialog d (MOVIE_DIALOG_*), null for another.
const char *Movie_DialogName(u32 d);
// Dialog d's window, null when it is not open (or d is none).
void *Movie_Dialog(u32 d);
// The key dialog's scroll bar: range 0..range, position pos.
void Movie_SetScroll(i32 pos, i32 range);

// [SECTION] family hooks
FamilyHookFn Movie_Enter, Movie_Leave, Movie_Update, Movie_DrawScene, Movie_Draw,
    Movie_LButtonDown, Movie_RButtonDown, Movie_MouseMove, Movie_KeyUp, Movie_Command, Movie_DocumentChanged;
// Steps the current frame to the previous (-1) or next (+1) key frame of the current object.
void Movie_WheelKey(const HookCtx *c);

// [SECTION] document and lists
// A new document on the views of layout `layout`, the lists showing sel's current object (a
// hook passes its context's).
void Movie_NewDocument(u32 layout, const ShellSelection *sel);
void Movie_RefreshAllLists(const ShellSelection *sel);
// The dialog of the current object of sel (a hook passes its context's selection).
void Movie_ShowActorDialog(const ShellSelection *sel);
// Closes dialog d ("閉じる"); it opens again when the family is entered again.
void Movie_CloseDialog(u32 d);
// Adds an actor of `kind` (MOVIE_KIND_*) as the new last object, made the current slot of sel.
// False after "これ以上 追加できません。" when the tables have no room (nothing changes).
bool Movie_AddActorTo(ShellSelection *sel, i32 kind);
// "消去": the 3D model actor of sel's slot starts over (one key at frame 0, scale 1). False for
// other kinds.
bool Movie_ClearModelActorOf(const ShellSelection *sel);
// The same on the shell's selection.
bool Movie_AddActor(i32 kind);
bool Movie_ClearModelActor(void);

// [SECTION] playback
// Playback with view 4 of layout `layout` activated (a hook passes its context's).
void Movie_StartPlayback(u32 layout);
void Movie_StopPlayback(u32 layout);
void Movie_TogglePlayback(u32 layout);

// [SECTION] rendering (the render dialog)
// Drawing interval clamped to 1..60.
i32 Movie_ClampInterval(i32 interval);
// Recorded frames per second of a (clamped) interval: 60 / interval.
u32 Movie_FrameRate(i32 interval);
// The 640 x 480 rectangle saved as a BMP (left, top, right, bottom): the centre of a back
// buffer of screenW x screenH, where the library draws the movie's picture.
void Movie_BmpRect(i32 screenW, i32 screenH, i32 rect[4]);
// True for a video file (ASX, AVI, MPG, WMV in any case) as opposed to music.
bool Movie_IsVideoPath(const char *path);
// "このシーンのみレンダリング": the current frame, as the movie camera draws it in view 4, into
// "<name>.BMP". False after a message.
bool Movie_SaveFrameBmp(const char *name);
// "ＡＶＩ 形式で保存する": records the movie into "<name>.AVI". False after a message or when
// the writer did not open.
bool Movie_RecordAvi(const char *name, i32 interval);
// Stops the AVI writer; a recording that ran names the file it wrote.
void Movie_EndRecording(void);
// Refresh of the render dialog: name, first and last frame, interval.
void Movie_RenderDlgRefresh(void);
