// Shared set-up of the native movie tests: a private folder as data and current folder, a
// recording error box and recording sound channels.
#pragma once
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/shell_view.h"
#include "lib/draw/camera.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/sound.h"
#include "model/bone2.h"
#include "model/model3.h"
#include "model/obj2.h"
#include "model/object.h"
#include "model/seam.h"
#include "scene/kzv.h"
#include "scene/movie.h"
#include "scene/movie_edit.h"
#include "tests/scene/kzv_build.h"
#include "tests/support/file_bytes.h"
#include "tests/support/widget_fake.h"

// [SECTION] fixture

struct MovieTest : ::testing::Test {
  static std::vector<std::string> &Boxes() {
    static std::vector<std::string> m;
    return m;
  }
  static std::vector<i32> &Played() {
    static std::vector<i32> p;
    return p;
  }
  static void RecordBox(const char *text) { Boxes().push_back(text); }
  // The editor's dialogs all open, as the family's entry leaves them: windows of the widget
  // fake, which this installs.
  static void OpenFakeDialogs() {
    WidgetFake_Install();
    for (u32 d = 0; d < MOVIE_DIALOGS; d++)
      g_MovieEditor.dialogs[d] = Widget_CreatePanel(Movie_DialogName(d), 0, 0, 0, 0);
  }
  // The slot a played record belongs to (records are the slots' own).
  static SoundResult RecordPlay(i32, const WaveRecord *rec, i32, i32, u32) {
    for (i32 n = 0; n < SOUND_SLOTS; n++)
      if (g_Sound.slots[n] == rec) Played().push_back(n);
    return 0;
  }
  CoreSeam savedSeam;
  SoundSystem savedSound;
  char savedCwd[1024] = {};
  char savedData[LIB_TEXT_SIZE] = {};
  u32 savedMode = 0;
  std::string dir;
  WaveRecord waves[4] = {};
  u8 sample[4] = {1, 2, 3, 4};

  void SetUp() override {
    savedSeam = g_Seam;
    savedSound = g_Sound.system;
    savedMode = g_EditorMode;
    memcpy(savedData, g_Lib.dataDir, sizeof savedData);
    g_Seam.errorBox = RecordBox;
    Boxes().clear();
    Played().clear();
    if (!getcwd(savedCwd, sizeof savedCwd)) savedCwd[0] = 0;
    char tmpl[] = "/tmp/movietestXXXXXX";
    dir = mkdtemp(tmpl);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, dir.c_str());
    // The sound files the hand-made movies name (kzv_build.h), where their folders say: a
    // movie read here finds every sound it keeps.
    ASSERT_EQ(mkdir(Path("Wave").c_str(), 0700), 0);
    for (const char *wav : {"Wave/one.wav", "two.wav"}) {
      ByteWriter w = {};
      WriteWavHeader(&w, 1, 22050, 8, sizeof sample);
      Wr_Bytes(&w, sample, sizeof sample);
      WriteFileBytes(Path(wav), w.data, w.size);
      Wr_Free(&w);
    }
    // The other files they name and a read looks for: the model actor's motion, the music and
    // the next movie.
    for (const char *kept : {"dm", "bgm.mid", "next.kzv"}) WriteFileBytes(Path(kept), std::string("-"));
    g_EditorMode = g_Model3Edited = 1;
    g_MaxPolygons = g_MaxPolygons ? g_MaxPolygons : 64;
    g_MaxVertices = g_MaxVertices ? g_MaxVertices : 256;
  }
  void TearDown() override {
    Lib_ClearAllModels();
    Movie_FreeObjects();
    for (i32 n = 0; n < SOUND_SLOTS; n++) {
      // Slots filled by the tests hold the fixture's own records.
      for (WaveRecord &w : waves)
        if (g_Sound.slots[n] == &w) { g_Sound.slots[n] = nullptr; g_Sound.slotLoaded[n] = 0; }
    }
    g_Seam = savedSeam;
    g_Sound.system = savedSound;
    g_EditorMode = g_Model3Edited = savedMode;
    memcpy(g_Lib.dataDir, savedData, sizeof savedData);
    g_MovieScene = MovieScene{};
    g_MovieScene.frame = 0;
    if (savedCwd[0] && chdir(savedCwd) != 0) ADD_FAILURE() << "cannot return";
    std::string cmd = "rm -rf '" + dir + "'";
    if (system(cmd.c_str()) != 0) ADD_FAILURE() << "cannot clean " << dir;
  }
  // Sound slot n plays through the recording channel.
  void LoadSoundSlot(i32 n, int which) {
    g_Sound.system.initialised = 1;
    g_Sound.system.playOnChannel = RecordPlay;
    waves[which].data = sample;
    waves[which].dataLength = sizeof sample;
    g_Sound.slots[n] = &waves[which];
    g_Sound.slotLoaded[n] = 1;
  }
  std::string Path(const std::string &name) const { return dir + "/" + name; }
  std::string Write(const std::string &name, const std::vector<u8> &bytes) const {
    WriteFileBytes(Path(name), bytes);
    return Path(name);
  }
};
