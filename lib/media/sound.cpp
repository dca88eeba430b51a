// Sound bookkeeping: channel rotation, the global sound slots and the model sound table.
// Owns g_Sound.system, g_Sound.slots, g_Sound.modelSounds (see sound.h).
#include "lib/media/sound.h"

#include <stdlib.h>

#include "model/docref.h"
#include "model/model3.h"
#include "model/seam.h"

SoundState g_Sound = {{0, nullptr, 1, 0, 0, 0, nullptr}};  // system

void SoundSystem_Reset(void) {
  g_Sound.system = SoundSystem{};
  g_Sound.system.channelCounter = 1;
}

void Sound_FreeAll(void) {
  for (i32 n = 0; n < SOUND_SLOTS; n++) Sound_FreeSlot(n);
  for (i32 m = 0; m < SOUND_MODEL_SLOTS; m++) Sound_FreeModelSounds(m, -1);
}

// [SECTION] Playing

i32 Sound_NextChannel(u32 loop) {
  if (loop) return 0;
  i32 c = g_Sound.system.channelCounter + 1;
  if (c >= SOUND_CHANNELS) c = 1;
  g_Sound.system.channelCounter = c;
  return c;
}

SoundResult Sound_PlayWave(const WaveRecord *record, i32 pan, i32 volume, u32 loop) {
  // An empty record is refused before a channel is taken, so it cannot cut off a playing sound.
  if (!record || !record->data || record->dataLength == 0) return SOUND_FAIL;
  if (!g_Sound.system.initialised || !g_Sound.system.playOnChannel) return SOUND_FAIL;
  i32 channel = Sound_NextChannel(loop);
  return g_Sound.system.playOnChannel(channel, record, pan, volume, loop);
}

// [SECTION] Loading into a table entry

// Loads path into *entry all-or-nothing: the old record is freed only once the new one loaded.
static bool LoadInto(WaveRecord **entry, const char *path) {
  WaveRecord *fresh = (WaveRecord *)calloc(1, sizeof(WaveRecord));
  if (!fresh) return false;
  if (!Sound_LoadWaveFile(fresh, path)) {
    Wave_Free(fresh);
    return false;
  }
  Wave_Free(*entry);
  *entry = fresh;
  return true;
}

static bool ModelIndex(i32 modelSlot, i32 n, i32 *index) {
  if (modelSlot < 0 || modelSlot >= SOUND_MODEL_SLOTS || n < 0 || n >= SOUND_MODEL_SOUNDS)
    return false;
  *index = modelSlot * SOUND_MODEL_SOUNDS + n;
  return true;
}

// [SECTION] Global slots

bool Sound_LoadSlot(i32 n, const char *path) {
  if (n < 0 || n >= SOUND_SLOTS) return false;
  if (!g_Sound.system.initialised) return true;   // silent without a device
  if (!LoadInto(&g_Sound.slots[n], path)) return false;
  g_Sound.slotLoaded[n] = 1;
  return true;
}

bool Sound_PlaySlot(i32 n) {
  if (n < 0 || n >= SOUND_SLOTS || !g_Sound.slotLoaded[n]) return false;
  const SoundSystem &s = g_Sound.system;
  return Sound_PlayWave(g_Sound.slots[n], s.pan, s.volume, s.loop) >= 0;
}

void Sound_FreeSlot(i32 n) {
  if (n < 0 || n >= SOUND_SLOTS) return;
  Wave_Free(g_Sound.slots[n]);
  g_Sound.slots[n] = nullptr;
  g_Sound.slotLoaded[n] = 0;
}

// [SECTION] Model sounds

bool Sound_LoadModelSoundSlot(i32 modelSlot, i32 n, const char *path) {
  i32 index;
  if (!ModelIndex(modelSlot, n, &index)) return false;
  if (!g_Sound.system.initialised) return true;
  if (!LoadInto(&g_Sound.modelSounds[index], path)) return false;
  g_Sound.modelSoundPlayed[index] = 0;
  return true;
}

bool Sound_LoadModelSound(const Model3 *model, i32 n, const char *path) {
  if (!model || !path) return false;
  // A name kept from the motion file's folder is found from there first (model/docref.h).
  char found[1024];
  if (DocRef_Find(model->soundFolder, path, nullptr, 0, found, sizeof found)) path = found;
  return Sound_LoadModelSoundSlot(model->slot, n, path);
}

WaveRecord *Sound_GetModelSound(i32 modelSlot, i32 n) {
  i32 index;
  return ModelIndex(modelSlot, n, &index) ? g_Sound.modelSounds[index] : nullptr;
}

void Sound_FreeModelSounds(i32 modelSlot, i32 n) {
  if (n < 0) {
    for (i32 k = 0; k < SOUND_MODEL_SOUNDS; k++) Sound_FreeModelSounds(modelSlot, k);
    return;
  }
  i32 index;
  if (!ModelIndex(modelSlot, n, &index)) return;
  Wave_Free(g_Sound.modelSounds[index]);
  g_Sound.modelSounds[index] = nullptr;
  g_Sound.modelSoundPlayed[index] = 0;
}

// [SECTION] Seam

static bool SeamSoundLoad(i32 model, i32 slot, const char *path) {
  return model < 0 ? Sound_LoadSlot(slot, path) : Sound_LoadModelSoundSlot(model, slot, path);
}

static void SeamSoundFree(i32 model, i32 slot) {
  if (model < 0) Sound_FreeSlot(slot);
  else Sound_FreeModelSounds(model, slot);
}

void Sound_InstallSeam(void) {
  g_Seam.soundLoad = SeamSoundLoad;
  g_Seam.soundFree = SeamSoundFree;
}
