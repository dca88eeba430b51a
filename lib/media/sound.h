// Sound effects: the eight playback channels, the 100 global sound slots and the
// 256 x 100 model sounds.
//
// The bookkeeping (which channel plays next, which slot holds what) lives here and is
// portable; the DirectSound half (sound_win.cpp) fills g_Sound.system.playOnChannel and the
// initialised flag in Sound_Init. Without a sound device loads succeed and load nothing,
// and playing fails, so the program goes on silent.
//
// g_Sound.system, g_Sound.slots and g_Sound.modelSounds are changed only by the functions below.
#pragma once
#include "model/types.h"
#include "lib/media/wave.h"

struct Model3;

enum {
  SOUND_CHANNELS = 8,        // channel 0 loops, 1..7 take the one-shots in turn
  SOUND_SLOTS = 100,         // global slots (movie editor, movie playback)
  SOUND_MODEL_SLOTS = 256,   // one row per 3D model slot
  SOUND_MODEL_SOUNDS = 100,  // sounds per model
};

// Result of the platform's play call: 0 or positive for success (an HRESULT in the program).
typedef i32 SoundResult;
enum { SOUND_FAIL = (i32)0x80004005 };   // E_FAIL

struct SoundSystem {
  u32 initialised;      // 1 once the sound device and its primary buffer exist
  void *window;         // HWND given to the device's cooperative level
  i32 channelCounter;   // last one-shot channel; starts at 1 so the first one-shot uses 2
  // Play settings of slot sounds: written by nothing, so slot sounds play centred, at full
  // volume, once.
  i32 pan;
  i32 volume;
  u32 loop;
  // Platform half: plays `record` on `channel`, stopping what that channel played before.
  SoundResult (*playOnChannel)(i32 channel, const WaveRecord *record, i32 pan, i32 volume,
                               u32 loop);
};

// Row-major: model slot x 100 + sound number.
// The sound facility. Writers: the functions below only (Sound_*).
struct SoundState {
  SoundSystem system;
  u32 slotLoaded[SOUND_SLOTS];
  u32 modelSoundPlayed[SOUND_MODEL_SLOTS * SOUND_MODEL_SOUNDS];
  WaveRecord *slots[SOUND_SLOTS];
  WaveRecord *modelSounds[SOUND_MODEL_SLOTS * SOUND_MODEL_SOUNDS];
};
extern SoundState g_Sound;

// Puts the sound system into its start state (no device, counter 1); slots are kept.
void SoundSystem_Reset(void);
// Frees every loaded sound and clears the slot tables.
void Sound_FreeAll(void);

// The channel the next play uses: 0 for a looping sound, otherwise 2, 3, ... 7, 1, 2, ...
i32 Sound_NextChannel(u32 loop);
// Plays a record on its channel; SOUND_FAIL without a device or without samples.
SoundResult Sound_PlayWave(const WaveRecord *record, i32 pan, i32 volume, u32 loop);

// Loads a WAV file into global slot n (0..99). True without loading when there is no device;
// false for a bad slot number or a file that cannot be read (the slot then keeps what it had).
bool Sound_LoadSlot(i32 n, const char *path);
// Plays global slot n once with the system's play settings; false when it is not loaded.
bool Sound_PlaySlot(i32 n);
// Frees global slot n and clears its loaded flag.
void Sound_FreeSlot(i32 n);

// Loads sound n (0..99) of the model in slot modelSlot (0..255); same rules as Sound_LoadSlot.
bool Sound_LoadModelSoundSlot(i32 modelSlot, i32 n, const char *path);
// Loads sound n of a model (its slot number selects the row); false for a null model.
bool Sound_LoadModelSound(const Model3 *model, i32 n, const char *path);
// The loaded sound n of a model slot, or null.
WaveRecord *Sound_GetModelSound(i32 modelSlot, i32 n);
// Frees sound n of a model slot, or all its sounds when n is negative.
void Sound_FreeModelSounds(i32 modelSlot, i32 n);

// Points the core seam's soundLoad / soundFree at these tables (model -1 = global slot).
void Sound_InstallSeam(void);

// [SECTION] Windows program only (sound_win.cpp)

// Creates the sound system on the main window and starts the device; the result is ignored
// by the library start-up (without a device the program goes on silent).
void Sound_Init(void);
// The same on a given window (null = the desktop window).
void Sound_InitForWindow(void *window);
// DirectSoundCreate on the default device, normal cooperative level, primary buffer; sets the
// initialised flag when that succeeds. Returns the first failure or the last result (HRESULT).
i32 Sound_CreateDevice(void *window);
// DSBSTATUS bits of a channel's buffer, -1 when the channel holds none.
i32 Sound_ChannelStatus(i32 channel);
