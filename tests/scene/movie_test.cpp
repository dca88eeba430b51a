// Movie evaluation and playback against recording fakes: key search and the Hermite curve,
// frame tables with restarts and wraps, sounds, poses handed to the slots, the ends of
// playback and the key commands at their limits.
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "tests/scene/movie_fixture.h"

#include <array>

#include "app/current.h"
#include "app/mainloop.h"
#include "model/object.h"

// Object n of the current movie with the given kind and keys (frame, number, position x).
static MovieObject *Actor(i32 n, i32 kind, std::vector<std::array<f32, 3>> keys) {
  if (g_Movie.objectCount <= n) g_Movie.objectCount = n + 1;
  MovieObject *o = Movie_AllocObject(n);
  o->kind = kind;
  o->moveCurve = o->rotationCurve = o->scaleCurve = 1;   // as every actor starts
  o->keyCount = (i32)keys.size();
  for (size_t k = 0; k < keys.size(); k++) {
    MovieKey &key = o->keys[k];
    key = MovieKey{};
    key.frame = (i32)keys[k][0];
    key.number = (i32)keys[k][1];
    key.shown = 1;
    key.position[0] = keys[k][2];
    key.scale[0] = key.scale[1] = key.scale[2] = 1;
  }
  return o;
}

TEST_F(MovieTest, KeySearchAndCurveGiveTheHandComputedPoses) {
  Movie_InitData();
  MovieObject *o = Actor(2, MOVIE_KIND_IMAGE, {{0, 0, 0}, {10, 0, 10}, {20, 0, 40}});
  MovieObject *late = Actor(3, MOVIE_KIND_IMAGE, {{2, 0, 7}, {4, 0, 9}});
  MovieObject *one = Actor(4, MOVIE_KIND_IMAGE, {{6, 0, 3}});
  struct Case {
    i32 frame, cur, next;
    f32 fraction, x, lateX;
  } cases[] = {
      // Two keys around 5 at 0 and 10: the neighbours clamp to 0, 0, 1, 2: 0.125*5 + 5 - 0.125*20.
      {5, 0, 1, 0.5f, 3.125f, 9},
      {10, 1, 2, 0.0f, 10.0f, 9},
      {20, 2, 2, 0.0f, 40.0f, 9},    // at the last key
      {30, 2, 2, 0.0f, 40.0f, 9},    // after it
      {0, 0, 1, 0.0f, 0.0f, 9},      // before the late object's key 0: its last key
      {3, 0, 1, 0.3f, 1.635f, 8},   // 0.147*5 + 0.216*10 - 0.063*20
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.frame);
    g_MovieScene.frame = c.frame;
    Movie_FindCurrentKeys();
    EXPECT_EQ(o->curKey, c.cur);
    EXPECT_EQ(o->nextKey, c.next);
    EXPECT_FLOAT_EQ(o->fraction, c.fraction);
    Movie_InterpolateObject(2, o->curKey, o->fraction);
    EXPECT_NEAR(o->pose[MOVIE_POSE_POSITION], c.x, 1e-5);
    Movie_InterpolateObject(3, late->curKey, late->fraction);
    EXPECT_NEAR(late->pose[MOVIE_POSE_POSITION], c.lateX, 1e-5);
    Movie_InterpolateObject(4, one->curKey, one->fraction);
    EXPECT_EQ(one->curKey, 0);
    EXPECT_EQ(one->pose[MOVIE_POSE_POSITION], 3.0f);
    EXPECT_EQ(one->pose[MOVIE_POSE_ROTATION + 3], 1.0f);   // zero quaternion: identity
  }
  // The key at frame 0 of a two-key pair with keys 0 and 10 at 5: the plain midpoint.
  MovieObject *pair = Actor(5, MOVIE_KIND_IMAGE, {{0, 0, 2}, {10, 0, 6}});
  g_MovieScene.frame = 5;
  Movie_FindCurrentKeys();
  Movie_InterpolateObject(5, pair->curKey, pair->fraction);
  EXPECT_FLOAT_EQ(pair->pose[MOVIE_POSE_POSITION], 4.0f);
}

// Each curve setting switched to a straight line moves its own channels on the line between
// the two keys and leaves the others on the curve (keys at 0, 10, 20 with x 0, 10, 40; angle z
// and scale x the same; colour red the same, always on the curve). At frame 5: line 5, curve 3.125.
TEST_F(MovieTest, StraightLineSettingsInterpolateTheirChannelsLinearly) {
  const struct { i32 move, rotation, scale; f32 x, angle, scale0; } cases[] = {
      {1, 1, 1, 3.125f, 3.125f, 3.125f}, {0, 1, 1, 5, 3.125f, 3.125f},
      {1, 0, 1, 3.125f, 5, 3.125f},      {1, 1, 0, 3.125f, 3.125f, 5},
      {0, 0, 0, 5, 5, 5},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(testing::Message() << c.move << c.rotation << c.scale);
    Movie_InitData();
    MovieObject *o = Actor(2, MOVIE_KIND_IMAGE, {{0, 0, 0}, {10, 0, 10}, {20, 0, 40}});
    for (i32 k = 0; k < 3; k++)
      o->keys[k].angles[2] = o->keys[k].scale[0] = o->keys[k].color[0] = o->keys[k].position[0];
    o->moveCurve = c.move, o->rotationCurve = c.rotation, o->scaleCurve = c.scale;
    g_MovieScene.frame = 5;
    Movie_FindCurrentKeys();
    Movie_InterpolateObject(2, o->curKey, o->fraction);
    EXPECT_NEAR(o->pose[MOVIE_POSE_POSITION], c.x, 1e-5);
    EXPECT_NEAR(o->pose[MOVIE_POSE_ANGLES + 2], c.angle, 1e-5);
    EXPECT_NEAR(o->pose[MOVIE_POSE_SCALE], c.scale0, 1e-5);
    EXPECT_NEAR(o->pose[MOVIE_POSE_COLOR], 3.125f, 1e-5);
  }
}

TEST_F(MovieTest, FrameTablesRestartOnAMotionChangeAndWrapForEveryModelKind) {
  Movie_InitData();
  g_MovieScene.frameCount = 14;
  g_Movie.loaded = 1;
  Model3 *m = Model3_Init(2);
  m->motionCount = 2;
  m->motions[0].length = 4;
  m->motions[1].length = 3;
  Bone2Model *b = Bone2_Init(3);
  b->motionCount = 1;
  b->motions[0].length = 5;
  g_Bone2SlotShown[3] = 1;
  Obj2Model *a = Obj2_Init(4);
  ASSERT_NE(a, nullptr);
  a->motionCount = 1;
  a->motions[0].length = 2;
  g_Obj2SlotShown[4] = 1;
  Actor(2, MOVIE_KIND_MODEL3, {{0, 0, 0}, {6, 1, 0}, {9, 1, 0}});
  Actor(3, MOVIE_KIND_BONE2, {{0, 0, 0}, {5, 99, 0}});   // 99: no such motion, never indexed
  Actor(4, MOVIE_KIND_OBJ2, {{0, 0, 0}});
  Actor(5, MOVIE_KIND_MODEL3, {{0, 0, 0}});               // no model: keeps counting
  Movie_BuildMotionFrameTables();
  std::vector<i32> expect[4] = {
      {0, 1, 2, 3, 0, 1, 0, 1, 2, 0, 1, 2, 0, 1},
      {0, 1, 2, 3, 4, 0, 1, 2, 3, 4, 5, 6, 7, 8},
      {0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1, 0, 1},
      {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13},
  };
  for (i32 n = 2; n < 6; n++) {
    const i32 *t = g_Movie.objects[n]->frameTable;
    EXPECT_EQ(std::vector<i32>(t, t + 14), expect[n - 2]) << "object " << n;
  }
  // The per-pass refresh rebuilds only after a change.
  g_Movie.objects[2]->frameTable[0] = 77;
  Movie_RefreshFrameTables();
  EXPECT_EQ(g_Movie.objects[2]->frameTable[0], 77);
  Movie_MarkChanged();
  Movie_RefreshFrameTables();
  EXPECT_EQ(g_Movie.objects[2]->frameTable[0], 0);
}

TEST_F(MovieTest, PlaybackStepPosesTheSlotsAndPlaysSoundsOnKeyChanges) {
  Movie_InitData();
  g_MovieScene.frameCount = 30;
  g_MovieScene.playEnd = 30;
  g_Movie.loaded = 1;
  Model3 *m = Model3_Init(2);
  m->motionCount = 2;
  m->motions[0].length = m->motions[1].length = 50;
  MovieObject *model = Actor(2, MOVIE_KIND_MODEL3, {{0, 0, 0}, {4, 1, 8}});
  model->keys[1].shown = 0;
  model->keys[1].scale[1] = 3;
  Actor(3, MOVIE_KIND_SOUND, {{0, 2, 0}, {3, 5, 0}, {6, 5, 0}});
  Movie_BuildMotionFrameTables();
  LoadSoundSlot(2, 0);
  LoadSoundSlot(5, 1);
  g_Movie.playState = MOVIE_PLAYING;
  g_Shell.g_MovieCameraObject = -1;
  // The library's own tick does nothing while the editor hosts the movie.
  g_EditorMode = g_Model3Edited = 1;
  Movie_PlaybackTick();
  EXPECT_EQ(g_MovieScene.frame, 0);
  g_EditorMode = g_Model3Edited = 0;
  for (int i = 0; i < 7; i++) Movie_PlaybackTick();
  EXPECT_EQ(g_MovieScene.frame, 7);
  // Frame 1 plays key 0's sound; frame 3 the new key's; frame 6 is another key of the same
  // sound and plays it again.
  EXPECT_EQ(Played(), (std::vector<i32>{2, 5, 5}));
  EXPECT_EQ(g_Shell.g_MovieCameraObject, 1);
  EXPECT_EQ(m->motion, 1);
  EXPECT_EQ(m->shown, 0);
  KZL::OBJECT *obj = Object_Get(2);
  EXPECT_EQ(obj->pos[0], 8.0f);
  EXPECT_EQ(obj->scale[1], 3.0f);
  // Stopped: no sounds.
  g_Movie.playState = MOVIE_STOPPED;
  g_MovieScene.frame = 1;
  Movie_PlaybackStep();
  EXPECT_EQ(Played().size(), 3u);
}

TEST_F(MovieTest, TheEndOfPlaybackStopsLoopsOrChains) {
  MovieSpec next = EveryKindMovie(2006060);
  for (auto &o : next.objects) o.file.clear();
  next.frameCount = 50;
  Write("next.kzv", BuildKzv(next));
  Write("bgm.mid", {0});
  next.bgmFile = "gone.mid";
  Write("next2.kzv", BuildKzv(next));
  struct Case {
    const char *what;
    i32 loop, runState, nextPresent;
    const char *nextName;
    i32 end, frame, state, count, boxes;
  } cases[] = {
      {"stop", 0, 6, 0, "", MOVIE_END_STOPPED, 10, MOVIE_FINISHED, 2, 0},
      {"loop", 1, 6, 0, "", MOVIE_END_LOOPED, 3, MOVIE_PLAYING, 2, 0},
      {"no loop outside run state 6", 1, 4, 0, "", MOVIE_END_STOPPED, 10, MOVIE_FINISHED, 2, 0},
      {"chain", 0, 6, 1, "next.kzv", MOVIE_END_CHAINED, 0, MOVIE_PLAYING, 9, 0},
      {"chain, its BGM found nowhere (said)", 0, 6, 1, "next2.kzv", MOVIE_END_CHAINED, 0, MOVIE_PLAYING, 9, 1},
      {"chain to a missing file", 1, 6, 1, "gone.kzv", MOVIE_END_STOPPED, 10, MOVIE_FINISHED, 2, 1},
  };
  u32 savedRun = g_Lib.runState;
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    Boxes().clear();
    Movie_InitData();
    g_MovieScene.playStart = 3;
    g_MovieScene.playEnd = 10;
    g_MovieScene.loopFlag = c.loop;
    g_MovieScene.nextPresent = c.nextPresent;
    Str_Copy(g_MovieScene.nextName, sizeof g_MovieScene.nextName, c.nextName);
    g_Lib.runState = (u32)c.runState;
    g_EditorMode = g_Model3Edited = 0;
    g_Movie.playState = MOVIE_PLAYING;
    g_MovieScene.frame = 9;
    Movie_PlaybackTick();
    EXPECT_EQ(g_MovieScene.frame, c.frame);
    EXPECT_EQ(g_Movie.playState, (u32)c.state);
    EXPECT_EQ(g_Movie.objectCount, c.count);
    EXPECT_EQ(Boxes().size(), (size_t)c.boxes) << (Boxes().empty() ? "" : Boxes()[0]);
    if (c.end == MOVIE_END_CHAINED) { EXPECT_STREQ(g_MovieScene.chainName, c.nextName); }
    if (c.boxes == 1 && c.end == MOVIE_END_CHAINED) { EXPECT_NE(Boxes()[0].find("gone.mid"), std::string::npos); }
  }
  g_Lib.runState = savedRun;
}

TEST_F(MovieTest, KeyCommandsAtTheirLimits) {
  Movie_InitData();
  u32 savedSlot = g_Sel.g_CurSlot;
  g_Sel.g_CurSlot = 2;
  std::vector<std::array<f32, 3>> keys;
  for (int k = 0; k < 16; k++) keys.push_back({(f32)(k * 10), (f32)k, (f32)k});
  MovieObject *full = Actor(2, MOVIE_KIND_IMAGE, keys);
  // Full: no 17th key, and a paste away from every key changes nothing.
  g_MovieScene.frame = 15;
  EXPECT_FALSE(Movie_EnsureKeyAtFrame());
  g_MovieScene.keyClipboard = full->keys[3];
  EXPECT_FALSE(Movie_PasteKey());
  EXPECT_EQ(full->keyCount, 16);
  EXPECT_EQ(full->keys[1].number, 1);
  EXPECT_EQ(full->keys[2].frame, 20);
  // Paste onto the key at the current frame only.
  g_MovieScene.frame = 50;
  EXPECT_TRUE(Movie_PasteKey());
  EXPECT_EQ(full->keys[5].frame, 50);
  EXPECT_EQ(full->keys[5].number, 3);
  EXPECT_EQ(full->keys[4].number, 4);
  EXPECT_EQ(full->keys[6].number, 6);
  // Deleting: not at frame 0, not where no key is, else the rest moves down.
  g_MovieScene.frame = 0;
  EXPECT_FALSE(Movie_DeleteKeyAtFrame());
  g_MovieScene.frame = 55;
  EXPECT_FALSE(Movie_DeleteKeyAtFrame());
  g_MovieScene.frame = 20;
  EXPECT_TRUE(Movie_DeleteKeyAtFrame());
  EXPECT_EQ(full->keyCount, 15);
  EXPECT_EQ(full->keys[2].frame, 30);
  EXPECT_EQ(full->keys[14].frame, 150);
  // Inserting takes the evaluated pose and the moved-up key's number.
  g_MovieScene.frame = 25;
  full->pose[MOVIE_POSE_POSITION] = 2.5f;
  EXPECT_TRUE(Movie_EnsureKeyAtFrame());
  EXPECT_EQ(full->keyCount, 16);
  EXPECT_EQ(full->keys[2].frame, 25);
  EXPECT_EQ(full->keys[2].number, 3);
  EXPECT_EQ(full->keys[2].position[0], 2.5f);
  EXPECT_EQ(full->keys[3].frame, 30);
  EXPECT_EQ(Movie_PrevKeyFrame(25), 10);
  EXPECT_EQ(Movie_NextKeyFrame(25), 30);
  EXPECT_EQ(Movie_PrevKeyFrame(0), 0);
  EXPECT_EQ(Movie_NextKeyFrame(150), 150);
  // The only key stays, even away from frame 0.
  MovieObject *single = Actor(3, MOVIE_KIND_IMAGE, {{5, 0, 0}});
  g_Sel.g_CurSlot = 3;
  g_MovieScene.frame = 5;
  EXPECT_FALSE(Movie_DeleteKeyAtFrame());
  EXPECT_EQ(single->keyCount, 1);
  g_Sel.g_CurSlot = savedSlot;
}
