// Sound bookkeeping: channel rotation, slot bounds, all-or-nothing slot loads, the
// behaviour without a device and the core seam's sound entries.
#include <gtest/gtest.h>
#include <stdio.h>
#include <vector>

#include "file_bytes.h"
#include "lib/media/sound.h"
#include "model/bytes.h"
#include "model/model3.h"
#include "model/seam.h"

namespace {

struct PlayCall {
  i32 channel;
  const WaveRecord *record;
  i32 pan, volume;
  u32 loop;
};
std::vector<PlayCall> g_Plays;
SoundResult g_PlayResult = 0;

SoundResult FakePlay(i32 channel, const WaveRecord *record, i32 pan, i32 volume, u32 loop) {
  g_Plays.push_back({channel, record, pan, volume, loop});
  return g_PlayResult;
}

// 8-bit mono WAV with n sample bytes.
void WriteWav(const char *path, u32 n) {
  ByteWriter w{};
  WriteWavHeader(&w, 1, 22050, 8, n);
  for (u32 i = 0; i < n; i++) Wr_U8(&w, (u8)i);
  ASSERT_TRUE(File_WriteAtomic(path, w.data, w.size));
  Wr_Free(&w);
}

class SoundTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SoundSystem_Reset();
    g_Sound.system.initialised = 1;
    g_Sound.system.playOnChannel = FakePlay;
    g_Plays.clear();
    g_PlayResult = 0;
    WriteWav("snd_a.wav", 10);
    WriteWav("snd_b.wav", 20);
  }
  void TearDown() override {
    Sound_FreeAll();
    SoundSystem_Reset();
    g_Seam = CoreSeam{};
    remove("snd_a.wav");
    remove("snd_b.wav");
  }
};

}  // namespace

TEST_F(SoundTest, OneShotsRotateOverChannelsTwoToSevenThenOne) {
  ASSERT_TRUE(Sound_LoadSlot(0, "snd_a.wav"));
  for (int i = 0; i < 9; i++) ASSERT_TRUE(Sound_PlaySlot(0));
  const i32 expected[9] = {2, 3, 4, 5, 6, 7, 1, 2, 3};
  ASSERT_EQ(g_Plays.size(), 9u);
  for (int i = 0; i < 9; i++) EXPECT_EQ(g_Plays[i].channel, expected[i]) << i;
  // Slot sounds play centred, at full volume, once.
  EXPECT_EQ(g_Plays[0].pan, 0);
  EXPECT_EQ(g_Plays[0].volume, 0);
  EXPECT_EQ(g_Plays[0].loop, 0u);
  // A looping sound always takes channel 0 and leaves the one-shot rotation where it was.
  WaveRecord *rec = g_Sound.slots[0];
  EXPECT_EQ(Sound_PlayWave(rec, -100, -200, 1), 0);
  EXPECT_EQ(g_Plays.back().channel, 0);
  EXPECT_EQ(g_Plays.back().pan, -100);
  EXPECT_EQ(Sound_PlayWave(rec, 0, 0, 0), 0);
  EXPECT_EQ(g_Plays.back().channel, 4);
}

TEST_F(SoundTest, PlayFailuresAreReported) {
  ASSERT_TRUE(Sound_LoadSlot(3, "snd_a.wav"));
  g_PlayResult = SOUND_FAIL;
  EXPECT_FALSE(Sound_PlaySlot(3));
  // An empty record neither plays nor takes a channel from a playing sound.
  WaveRecord empty{};
  size_t before = g_Plays.size();
  EXPECT_EQ(Sound_PlayWave(&empty, 0, 0, 0), SOUND_FAIL);
  EXPECT_EQ(Sound_PlayWave(nullptr, 0, 0, 0), SOUND_FAIL);
  EXPECT_EQ(g_Plays.size(), before);
}

TEST_F(SoundTest, SlotBounds) {
  EXPECT_FALSE(Sound_LoadSlot(100, "snd_a.wav"));
  EXPECT_FALSE(Sound_LoadSlot(-1, "snd_a.wav"));
  EXPECT_TRUE(Sound_LoadSlot(99, "snd_a.wav"));
  EXPECT_FALSE(Sound_PlaySlot(100));
  EXPECT_FALSE(Sound_PlaySlot(-1));
  EXPECT_FALSE(Sound_PlaySlot(5));   // never loaded
  EXPECT_TRUE(Sound_PlaySlot(99));

  EXPECT_FALSE(Sound_LoadModelSoundSlot(256, 1, "snd_a.wav"));
  EXPECT_FALSE(Sound_LoadModelSoundSlot(-1, 1, "snd_a.wav"));
  EXPECT_FALSE(Sound_LoadModelSoundSlot(0, 100, "snd_a.wav"));
  EXPECT_TRUE(Sound_LoadModelSoundSlot(255, 99, "snd_a.wav"));
  ASSERT_NE(Sound_GetModelSound(255, 99), nullptr);
  EXPECT_EQ(g_Sound.modelSounds[255 * 100 + 99], Sound_GetModelSound(255, 99));
  EXPECT_EQ(Sound_GetModelSound(256, 0), nullptr);

  // A model's slot number selects its row.
  Model3 model{};
  model.slot = 12;
  EXPECT_TRUE(Sound_LoadModelSound(&model, 5, "snd_b.wav"));
  ASSERT_NE(Sound_GetModelSound(12, 5), nullptr);
  EXPECT_EQ(Sound_GetModelSound(12, 5)->dataLength, 20u);
  EXPECT_FALSE(Sound_LoadModelSound(nullptr, 5, "snd_b.wav"));
  EXPECT_FALSE(Sound_LoadModelSound(&model, 100, "snd_b.wav"));
}

TEST_F(SoundTest, FailedLoadKeepsSlotAndReloadReplacesIt) {
  EXPECT_FALSE(Sound_LoadSlot(1, "missing.wav"));
  EXPECT_EQ(g_Sound.slotLoaded[1], 0u);   // not marked loaded after a failed load
  EXPECT_EQ(g_Sound.slots[1], nullptr);
  EXPECT_FALSE(Sound_PlaySlot(1));

  ASSERT_TRUE(Sound_LoadSlot(1, "snd_a.wav"));
  WaveRecord *first = g_Sound.slots[1];
  EXPECT_FALSE(Sound_LoadSlot(1, "missing.wav"));
  EXPECT_EQ(g_Sound.slots[1], first);   // the old sound survives a failed reload
  EXPECT_EQ(g_Sound.slotLoaded[1], 1u);
  ASSERT_TRUE(Sound_LoadSlot(1, "snd_b.wav"));   // the old record is freed (leak check)
  EXPECT_EQ(g_Sound.slots[1]->dataLength, 20u);

  ASSERT_TRUE(Sound_LoadModelSoundSlot(4, 2, "snd_a.wav"));
  g_Sound.modelSoundPlayed[4 * 100 + 2] = 1;
  ASSERT_TRUE(Sound_LoadModelSoundSlot(4, 2, "snd_b.wav"));
  EXPECT_EQ(g_Sound.modelSoundPlayed[4 * 100 + 2], 0u);   // cleared on load
  EXPECT_EQ(Sound_GetModelSound(4, 2)->dataLength, 20u);
  EXPECT_FALSE(Sound_LoadModelSoundSlot(4, 2, "missing.wav"));
  EXPECT_EQ(Sound_GetModelSound(4, 2)->dataLength, 20u);
}

TEST_F(SoundTest, WithoutDeviceLoadsSucceedSilently) {
  g_Sound.system.initialised = 0;
  EXPECT_TRUE(Sound_LoadSlot(2, "snd_a.wav"));
  EXPECT_EQ(g_Sound.slots[2], nullptr);
  EXPECT_FALSE(Sound_PlaySlot(2));
  EXPECT_TRUE(Sound_LoadModelSoundSlot(0, 1, "snd_a.wav"));
  EXPECT_EQ(Sound_GetModelSound(0, 1), nullptr);
  EXPECT_FALSE(Sound_LoadSlot(100, "snd_a.wav"));   // bounds still hold
  EXPECT_TRUE(g_Plays.empty());
}

TEST_F(SoundTest, SeamLoadsAndFreesModelAndGlobalSounds) {
  Sound_InstallSeam();
  ASSERT_NE(g_Seam.soundLoad, nullptr);
  EXPECT_TRUE(g_Seam.soundLoad(7, 3, "snd_a.wav"));
  EXPECT_TRUE(g_Seam.soundLoad(7, 4, "snd_b.wav"));
  EXPECT_TRUE(g_Seam.soundLoad(-1, 8, "snd_a.wav"));
  EXPECT_FALSE(g_Seam.soundLoad(7, 5, "missing.wav"));
  EXPECT_NE(Sound_GetModelSound(7, 3), nullptr);
  EXPECT_EQ(g_Sound.slotLoaded[8], 1u);

  g_Seam.soundFree(7, 3);
  EXPECT_EQ(Sound_GetModelSound(7, 3), nullptr);
  EXPECT_NE(Sound_GetModelSound(7, 4), nullptr);
  g_Seam.soundFree(7, -1);   // all sounds of the model
  EXPECT_EQ(Sound_GetModelSound(7, 4), nullptr);
  g_Seam.soundFree(-1, 8);
  EXPECT_EQ(g_Sound.slotLoaded[8], 0u);
  g_Seam.soundFree(-1, 500);   // out of range: nothing happens
  g_Seam.soundFree(300, 0);
}
