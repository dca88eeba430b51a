// The music manager object behind Music_Init (Windows program only).
#pragma once
#include <windows.h>
#include <mmsystem.h>
#include <dmusici.h>

#include "model/types.h"

class MusicManager {
 public:
  MusicManager();
  // Loader and performance in process, InitAudio on the window, the default audio path's
  // 3D listener. Returns the first failure.
  HRESULT Initialize(HWND window, DWORD channels, DWORD defaultPathType,
                     IDirectSound *directSound);
  // The performance's default audio path (AddRef'd) or null.
  IDirectMusicAudioPath *DefaultAudioPath();

  u8 comInitialised;
  IDirectMusicLoader8 *loader;
  IDirectMusicPerformance8 *performance;
  IDirectSound3DListener *listener;
};

// The music performance: written by Music_Init (music_win.cpp) and kept until the process ends.
struct MusicState {
  MusicManager *manager;
  HANDLE event;
};
extern MusicState g_Music;
