// DirectSound under Wine on the ALSA null device: a WAV file loads into a slot and plays on
// the rotating channels; the music set-up fails or succeeds without taking the program down.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>
#include <dsound.h>
#include <stdio.h>

#include "file_bytes.h"
#include "lib/media/music.h"
#include "lib/media/music_win.h"
#include "lib/media/sound.h"
#include "model/bytes.h"
#include "model/seam.h"

// One second of a 16-bit stereo 44.1 kHz square wave.
static void WriteTone(const char *path) {
  const u32 frames = 44100;
  ByteWriter w{};
  WriteWavHeader(&w, 2, 44100, 16, frames * 4);
  for (u32 i = 0; i < frames; i++) {
    i16 v = (i / 50) % 2 ? 3000 : -3000;
    Wr_I16(&w, v);
    Wr_I16(&w, v);
  }
  ASSERT_TRUE(File_WriteAtomic(path, w.data, w.size));
  Wr_Free(&w);
}

TEST(SoundWin, LoadsAndPlaysOnTheNullDevice) {
  Sound_InitForWindow(nullptr);
  ASSERT_EQ(g_Sound.system.initialised, 1u) << "no DirectSound device (ALSA null device?)";
  EXPECT_NE(g_Seam.soundLoad, nullptr);
  WriteTone("tone.wav");
  ASSERT_TRUE(Sound_LoadSlot(0, "tone.wav"));
  ASSERT_EQ(g_Sound.slotLoaded[0], 1u);
  EXPECT_EQ(g_Sound.slots[0]->dataLength, 44100u * 4);

  ASSERT_TRUE(Sound_PlaySlot(0));   // first one-shot: channel 2
  i32 status = Sound_ChannelStatus(2);
  ASSERT_GE(status, 0);
  EXPECT_TRUE(status & DSBSTATUS_PLAYING);
  EXPECT_EQ(Sound_ChannelStatus(3), -1);

  // A looping play takes channel 0 and keeps playing.
  EXPECT_GE(Sound_PlayWave(g_Sound.slots[0], 0, 0, 1), 0);
  status = Sound_ChannelStatus(0);
  EXPECT_TRUE(status & DSBSTATUS_LOOPING);

  // Model sounds load through the core seam, as the KZM reader does.
  EXPECT_TRUE(g_Seam.soundLoad(3, 1, "tone.wav"));
  EXPECT_NE(Sound_GetModelSound(3, 1), nullptr);
  EXPECT_FALSE(g_Seam.soundLoad(3, 2, "missing.wav"));
  Sound_FreeAll();
  remove("tone.wav");
}

TEST(SoundWin, MusicSetUpReturnsItsResult) {
  // DirectMusic's InitAudio is missing under Wine: the set-up must report that, not crash.
  i32 hr = Music_InitForWindow(nullptr);
  printf("Music_Init result 0x%08X\n", (unsigned)hr);
  ASSERT_NE(g_Music.manager, nullptr);
  EXPECT_NE(g_Music.event, nullptr);
  // Success means the whole chain stands, down to the listener of the primary buffer.
  if (SUCCEEDED(hr)) {
    EXPECT_NE(g_Music.manager->performance, nullptr);
    EXPECT_NE(g_Music.manager->listener, nullptr);
  }
  // A second set-up reuses the manager and the event instead of making new ones.
  MusicManager *manager = g_Music.manager;
  HANDLE event = g_Music.event;
  Music_InitForWindow(nullptr);
  EXPECT_EQ(g_Music.manager, manager);
  EXPECT_EQ(g_Music.event, event);
}
