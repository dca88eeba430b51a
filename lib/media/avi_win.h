// The AVI writer behind Avi_StartRecording (Windows program only): AVIFile with the codec the
// user chooses in the video compression manager's dialog, fed from a 640 x 480 x 24 DIB
// section that the frame step draws into.
#pragma once
#include <windows.h>
#include <vfw.h>

#include "model/types.h"

struct IDirect3DDevice9;

struct AviWriter {
  u8 *bits;                    // pixel memory of the DIB section (bottom-up BGR)
  HBITMAP bitmap;              // the frame DC's bitmap before the DIB section went in
  HDC frameDC;                 // memory DC holding the DIB section
  PAVISTREAM stream;           // uncompressed video stream of the file
  PAVISTREAM compressedStream; // the stream frames are written to
  COMPVARS compressor;         // filled by the compressor dialog
  PAVIFILE file;
  u32 width, height;
  u32 frameBytes;
  u32 frameCounter;            // index of the next frame
  u32 savedRunState;           // g_Lib.runState before recording started
  u32 frameRate;
  u8 aviFileInit;              // AVIFileInit was called (close balances it)

  AviWriter();
  // Creates "<path without extension>.avi" (replacing an old one) and returns the frame DC,
  // or null when the dialog was cancelled or a step failed (close() then cleans up).
  HDC open(HWND window, u32 width, u32 height, const char *path, u32 scale, u32 rate);
  // Appends the DIB section's pixels as the next key frame; false when nothing was written.
  bool writeFrame();
  // Releases everything open() created; safe after a partial open and when called twice.
  void close();
};

// The writer of the running recording, null when none runs.
extern AviWriter *g_AviWriter;

// The compressor choice: ICCompressorChoose through the library's modal hooks. Tests answer
// it with "full frames (uncompressed)". False when the user cancelled.
bool Avi_ChooseCompressor(HWND window, BITMAPINFOHEADER *format, COMPVARS *compressor);

// The frame step's capture on a given device (Avi_CaptureFrame passes g_Lib.device).
void Avi_CaptureFrameOf(IDirect3DDevice9 *device);
// Snapshot of a device's back buffer (whole, or rect when not null) as a BMP file at path.
// A multisampled back buffer is resolved into a plain surface first.
bool Snapshot_SaveBackBuffer(IDirect3DDevice9 *device, const char *path, const RECT *rect);
