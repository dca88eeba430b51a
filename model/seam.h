// The seam between the portable core and the platform.
//
// Model, format, movie, collision, map and script code never call the platform directly:
// the few outward calls they need (error box, log line, timer reset, textures, sounds,
// device resources) go through g_Seam. The Windows program fills it with the real calls
// at start-up; native tests fill it with recording fakes. An empty entry does nothing
// (the error box and the log then write to stderr when MIRAVEL_SEAM_STDERR is set).
//
// Entries are only ever appended, so every build sees the same layout.
//
// This header holds the table alone: only the code that fills it or calls an entry directly
// includes it. The calls made through it have headers of their own, so a change here rebuilds
// only those files: seam_errorbox.h (Seam_ErrorBox, Seam_ShowResult), seam_log.h (Log_Printf),
// seam_timer.h (Timer_Reset); seam_texkey.h holds the model textures' colour key.
#pragma once
#include "model/types.h"

struct SeamTexture {
  void *handle;   // platform texture (IDirect3DTexture9* in the program), null when the load failed
  i32 width;      // image size as stored in the file
  i32 height;
  bool told;      // the file is there but does not decode, and the loader has said so
};

struct CoreSeam {
  // User-facing error box (modal in the program, recorded in tests).
  void (*errorBox)(const char *text);
  // One line for the log window (dropped while it does not exist).
  void (*logLine)(const char *text);
  // Restarts the library timer after a modal interruption.
  void (*timerReset)(void);
  // Loads an image file as a texture; colorKey 0 = none (A8R8G8B8 value otherwise).
  SeamTexture (*textureLoad)(const char *path, u32 colorKey);
  // Releases any device resource handle (texture, vertex or index buffer, ...).
  void (*releaseHandle)(void *handle);
  // Loads a WAV file for sound slot `slot` of model `model` (-1 = global sound slot); true on success.
  bool (*soundLoad)(i32 model, i32 slot, const char *path);
  // Frees a model's sounds, or a global sound slot when model is -1.
  void (*soundFree)(i32 model, i32 slot);
  // Loads texture n of 2D bone model slot `slot` (the library's per-slot table) and stores the
  // image size into the model's texture record n.
  void (*bone2TextureLoad)(i32 slot, i32 n, const char *path);
  // Copies level 0 of a texture as A8R8G8B8 pixels, rows top to bottom, into a new malloc()
  // block (the caller frees it) and gives its size; null when it cannot be read.
  // The library fills the texture entries (Tex_InstallSeam); empty, nothing is loaded.
  u32 *(*texturePixels)(void *handle, i32 *width, i32 *height);
  // Loads texture n of 3D model slot `slot` into the slot's pose block and stores its size.
  void (*model3TextureLoad)(i32 slot, i32 n, const char *path);
  // Loads texture n of part `part` of 3D object set `set` into the set's pose block.
  void (*obj3PartTextureLoad)(i32 set, i32 part, i32 n, const char *path);
  // Builds the rest matrices of every model slot after a model was opened (the pose code).
  void (*buildRestMatrices)(void);
};

extern CoreSeam g_Seam;
