// DirectSound half of the sound system: the device, its primary buffer and one secondary
// buffer per channel. The channel choice and the slot tables are sound.cpp's.
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <dsound.h>
#include <string.h>

#include "lib/media/sound.h"

// The DirectSound objects: made by Sound_Init and kept until the process ends.
static struct {
  IDirectSound *directSound;
  IDirectSoundBuffer *primary;
  IDirectSoundBuffer *channels[SOUND_CHANNELS];
} s_DS;

// Secondary buffers: global focus, volume, pan and frequency control, mixed in software.
static const DWORD kChannelBufferFlags = DSBCAPS_GLOBALFOCUS | DSBCAPS_CTRLVOLUME |
                                         DSBCAPS_CTRLPAN | DSBCAPS_CTRLFREQUENCY |
                                         DSBCAPS_LOCSOFTWARE;

static void StopChannel(i32 channel) {
  IDirectSoundBuffer *&buf = s_DS.channels[channel];
  if (!buf) return;
  buf->Stop();
  buf->Release();
  buf = nullptr;
}

// Plays the record on the channel: the channel's previous buffer is stopped and released and a
// new buffer holding the samples takes its place.
static SoundResult PlayOnChannel(i32 channel, const WaveRecord *record, i32 pan, i32 volume,
                                 u32 loop) {
  if (!s_DS.directSound || channel < 0 || channel >= SOUND_CHANNELS) return SOUND_FAIL;
  StopChannel(channel);

  WAVEFORMATEX format = {};
  format.wFormatTag = record->formatTag;
  format.nChannels = record->channels;
  format.nSamplesPerSec = record->samplesPerSec;
  format.nAvgBytesPerSec = record->avgBytesPerSec;
  format.nBlockAlign = record->blockAlign;
  format.wBitsPerSample = record->bitsPerSample;
  format.cbSize = 0;
  DSBUFFERDESC desc = {};
  desc.dwSize = sizeof desc;
  desc.dwFlags = kChannelBufferFlags;
  desc.dwBufferBytes = record->dataLength;
  desc.lpwfxFormat = &format;
  IDirectSoundBuffer *buf = nullptr;
  HRESULT hr = s_DS.directSound->CreateSoundBuffer(&desc, &buf, nullptr);
  if (FAILED(hr)) return hr;
  s_DS.channels[channel] = buf;

  void *part1 = nullptr, *part2 = nullptr;
  DWORD bytes1 = 0, bytes2 = 0;
  hr = buf->Lock(0, record->dataLength, &part1, &bytes1, &part2, &bytes2, 0);
  if (FAILED(hr)) return hr;
  if (bytes1 > record->dataLength) bytes1 = record->dataLength;
  memcpy(part1, record->data, bytes1);
  if (part2 && bytes2) {
    DWORD rest = record->dataLength - bytes1;
    memcpy(part2, record->data + bytes1, bytes2 < rest ? bytes2 : rest);
  }
  buf->Unlock(part1, bytes1, part2, bytes2);

  buf->SetPan(pan);
  buf->SetVolume(volume);
  buf->Stop();
  buf->SetCurrentPosition(0);
  return buf->Play(0, 0, loop ? DSBPLAY_LOOPING : 0);
}

i32 Sound_CreateDevice(void *window) {
  HWND hwnd = (HWND)window;
  if (!hwnd) hwnd = GetDesktopWindow();
  g_Sound.system.window = hwnd;
  HRESULT hr = DirectSoundCreate(nullptr, &s_DS.directSound, nullptr);
  if (FAILED(hr)) {
    s_DS.directSound = nullptr;
    return hr;
  }
  hr = s_DS.directSound->SetCooperativeLevel(hwnd, DSSCL_NORMAL);
  if (FAILED(hr)) return hr;
  DSBUFFERDESC desc = {};
  desc.dwSize = sizeof desc;
  desc.dwFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_STATIC | DSBCAPS_GLOBALFOCUS;
  hr = s_DS.directSound->CreateSoundBuffer(&desc, &s_DS.primary, nullptr);
  if (SUCCEEDED(hr)) g_Sound.system.initialised = 1;
  return hr;
}

void Sound_InitForWindow(void *window) {
  Sound_InstallSeam();
  if (s_DS.directSound) return;   // started once already: keep the device and its channels
  SoundSystem_Reset();
  g_Sound.system.playOnChannel = PlayOnChannel;
  Sound_CreateDevice(window);
}

i32 Sound_ChannelStatus(i32 channel) {
  if (channel < 0 || channel >= SOUND_CHANNELS || !s_DS.channels[channel]) return -1;
  DWORD status = 0;
  if (FAILED(s_DS.channels[channel]->GetStatus(&status))) return -1;
  return (i32)status;
}
