// AVI capture: a 640 x 480 x 24-bit movie written frame by frame while g_Lib.runState is 8,
// and the layout arithmetic behind it. The writer itself (AVIFile, the video compression
// manager, the DIB frame) is avi_win.cpp; the arithmetic and the run-state rules here are
// portable.
#pragma once
#include "model/types.h"
#include "lib/media/snapshot.h"

enum {
  AVI_WIDTH = 640,
  AVI_HEIGHT = 480,
};

// Bytes of one bottom-up 24-bit DIB frame: rows padded to 4 bytes (921,600 for 640 x 480).
u32 Avi_FrameBytes(u32 width, u32 height);
// Top-left of the 640 x 480 area copied from a back buffer of screenWidth x screenHeight:
// (0, 0) without view windows, else the centre (a smaller buffer gives a negative origin).
void Avi_CaptureOrigin(u32 viewWindowMode, i32 screenWidth, i32 screenHeight, i32 *x, i32 *y);
// The movie file for a requested path: the same folder and name with ".avi" in place of any
// extension ("C:\\out\\movie.KZV" -> "C:\\out\\movie.avi"). CP932-safe. False when it does not fit.
bool Avi_MakeFileName(char *dst, size_t size, const char *path);
// "<root>\\<name>" into dst; false when it does not fit.
bool Avi_RootPath(char *dst, size_t size, const char *root, const char *name);

// The full path the renders write an output named `name` to: "<g_Lib.rootDir>\\<name>" (a
// BMP), for an AVI with ".avi" in place of its extension. False when it does not fit.
bool Avi_OutputPath(char *dst, size_t size, const char *name, bool avi);
// Tells the user which file a render wrote: the message box naming its full path.
void Avi_SayWritten(const char *name, bool avi);

// Run state while recording: Avi_EnterRecordingState keeps the current g_Lib.runState in *saved
// and sets 8; Avi_LeaveRecordingState restores it only when the state is still 8.
void Avi_EnterRecordingState(u32 *saved);
void Avi_LeaveRecordingState(u32 saved);

// [SECTION] Windows program only (avi_win.cpp, snapshot_win.cpp)

// Opens a recording "<root>\\<name>" (written as <name without extension>.avi) with the codec
// the user picks; true when recording started (g_Lib.runState is then 8).
bool Avi_StartRecording(const char *name, u32 frameRate);
// Ends the recording (nothing when none runs): run state restored, file closed, "avi.bmp" deleted.
void Avi_StopRecording(void);
// The frame step's capture: while recording, the back buffer becomes the next movie frame.
void Avi_CaptureFrame(void);
// True while a writer exists.
bool Avi_IsRecording(void);
