// DirectMusic performance set-up: one MusicManager on the heap and an auto-reset event that
// receives segment notifications. Owns g_Music.manager and g_Music.event; nothing is released
// before the process ends.
#include "lib/media/music_win.h"

#include "lib/media/music.h"

MusicState g_Music;

// Path type 8 is the one the library has always asked for.
static const DWORD kMusicPathType = 8;
static const DWORD kMusicChannels = 128;

MusicManager::MusicManager()
    : comInitialised(0), loader(nullptr), performance(nullptr), listener(nullptr) {
  comInitialised = SUCCEEDED(CoInitialize(nullptr)) ? 1 : 0;
}

HRESULT MusicManager::Initialize(HWND window, DWORD channels, DWORD defaultPathType,
                                 IDirectSound *directSound) {
  HRESULT hr = CoCreateInstance(CLSID_DirectMusicLoader, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IDirectMusicLoader8, (void **)&loader);
  if (FAILED(hr)) return hr;
  hr = CoCreateInstance(CLSID_DirectMusicPerformance, nullptr, CLSCTX_INPROC_SERVER,
                        IID_IDirectMusicPerformance8, (void **)&performance);
  if (FAILED(hr)) return hr;
  IDirectSound *ds = directSound;
  hr = performance->InitAudio(nullptr, directSound ? &ds : nullptr, window, defaultPathType,
                              channels, DMUS_AUDIOF_ALL, nullptr);
  if (FAILED(hr)) return hr;
  IDirectMusicAudioPath *path = DefaultAudioPath();
  if (!path) return E_FAIL;
  hr = path->GetObjectInPath(0, DMUS_PATH_PRIMARY_BUFFER, 0, GUID_All_Objects, 0,
                             IID_IDirectSound3DListener, (void **)&listener);
  path->Release();
  return hr;
}

IDirectMusicAudioPath *MusicManager::DefaultAudioPath() {
  if (!performance) return nullptr;
  IDirectMusicAudioPath *path = nullptr;
  if (FAILED(performance->GetDefaultAudioPath(&path))) return nullptr;
  return path;
}

i32 Music_InitForWindow(void *window) {
  if (!g_Music.event) g_Music.event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  if (!g_Music.manager) g_Music.manager = new MusicManager();
  HRESULT hr = g_Music.manager->Initialize((HWND)window, kMusicChannels, kMusicPathType, nullptr);
  if (FAILED(hr)) return hr;
  hr = g_Music.manager->performance->AddNotificationType(GUID_NOTIFICATION_SEGMENT);
  if (FAILED(hr)) return hr;
  return g_Music.manager->performance->SetNotificationHandle(g_Music.event, 0);
}
