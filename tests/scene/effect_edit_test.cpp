// The effect editor: the key segment and the wheel steps over tables of key frames, the key
// drag, and the explosion preview with a seeded random source (spawn counts, positions within
// the radius, delays before fading, the restart, a source that never hits the centre).
#include "tests/support/hook_at.h"
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/drag_anchors.h"
#include "app/shell_mouse.h"
#include "app/shell_view.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "scene/movie_state.h"
#include "scene/effect_edit.h"
#include "scene/movie.h"
#include "shell_fixture.h"

namespace {

u32 g_Seed;
i32 SeededRandom() {
  g_Seed = g_Seed * 1103515245u + 12345u;
  return (i32)((g_Seed >> 16) & 0x7fff);
}
i32 NeverCentre() { return 0; }   // always the corner (-160, -120)

std::vector<std::string> g_StripTexts;
void RecordText(i32, i32, u32, const char *text) { g_StripTexts.push_back(text); }

struct EffectTest : ::testing::Test {
  void SetUp() override {
    Shell_ResetForTest();
    g_Shell.g_EditFamily = g_Shell.g_EditSubMode = 19;
    memset(&g_ParticleEdit, 0, sizeof g_ParticleEdit);
    g_ParticleEdit.random = SeededRandom;
    g_Seed = 7;
    ASSERT_TRUE(Effect_InitDocument(0));
    g_MovieScene.frame = 0;
  }
  void TearDown() override {
    Particle_FreeDocuments();
    for (i32 b = 0; b < 3; b++) Shell_SetButtonHeld(b, 0);
  }
  ParticleEmitter &Em() { return g_ParticleEdit.docs[0]->emitters[0]; }
  void SetKeys(const std::vector<i32> &frames) {
    Em().keyCount = (i32)frames.size();
    for (size_t i = 0; i < frames.size(); i++) Em().keys[i].frame = frames[i];
  }
  i32 InUse() {
    i32 n = 0;
    for (const ParticleSprite &p : g_ParticleEdit.particles) n += p.inUse ? 1 : 0;
    return n;
  }
};

TEST_F(EffectTest, KeySegmentAndWheelStepsOverKeyTables) {
  struct Case {
    std::vector<i32> frames;
    i32 frame;
    i32 cur, next;
    f32 fraction;
    i32 prev, nextFrame;   // Effect_PrevKeyFrame / Effect_NextKeyFrame of the frame
  };
  const Case cases[] = {
      {{0}, 0, 0, 0, 0.0f, 0, 0},
      {{0}, 50, 0, 0, 0.0f, 0, 50},              // above the last key the frame stays
      {{10, 20, 40}, 15, 0, 1, 0.5f, 10, 20},
      {{10, 20, 40}, 30, 1, 2, 0.5f, 20, 40},
      {{10, 20, 40}, 5, 2, 2, 0.0f, 0, 10},      // below the first key: no segment, wheel gives 0
      {{10, 20, 40}, 40, 2, 2, 0.0f, 20, 40},
      {{10, 10, 20}, 10, 1, 2, 0.0f, 0, 20},
  };
  for (const Case &c : cases) {
    SetKeys(c.frames);
    g_MovieScene.frame = c.frame;
    Effect_FindCurrentKeys();
    EXPECT_EQ(Em().curKey, c.cur) << c.frame;
    EXPECT_EQ(Em().nextKey, c.next) << c.frame;
    EXPECT_FLOAT_EQ(Em().fraction, c.fraction) << c.frame;
    EXPECT_EQ(Effect_PrevKeyFrame(c.frame), c.prev) << c.frame;
    EXPECT_EQ(Effect_NextKeyFrame(c.frame), c.nextFrame) << c.frame;
  }
  // The wheel moves the frame and finds the segment again.
  SetKeys({10, 20, 40});
  g_MovieScene.frame = 30;
  Particle_WheelKey(Hook_Step(-1));
  EXPECT_EQ(g_MovieScene.frame, 20);
  EXPECT_EQ(Em().curKey, 1);
  Particle_WheelKey(Hook_Step(+1));
  EXPECT_EQ(g_MovieScene.frame, 40);
  // No keys: nothing is found and nothing changes.
  Em().curKey = 7;
  Em().nextKey = 8;
  Em().fraction = 0.25f;
  SetKeys({});
  Particle_WheelKey(Hook_Step(+1));
  EXPECT_EQ(g_MovieScene.frame, 40);
  Effect_FindCurrentKeys();
  EXPECT_EQ(Em().curKey, 7);
  EXPECT_EQ(Em().nextKey, 8);
  EXPECT_FLOAT_EQ(Em().fraction, 0.25f);
}

TEST_F(EffectTest, DragMovesOnlyTheLastKeyAtTheCurrentFrame) {
  SetKeys({0, 5, 5, 9});
  g_MovieScene.frame = 5;
  DragAnchor_PressAC(Hook_At(10, 10));
  Effect_MouseMove(Hook_At(13, 7));            // no button: nothing
  EXPECT_EQ(Em().keys[2].x, 0.0f);
  Shell_SetButtonHeld(BUTTON_LEFT, 1);
  Effect_MouseMove(Hook_At(13, 7));
  EXPECT_EQ(Em().keys[2].x, 3.0f);
  EXPECT_EQ(Em().keys[2].y, -3.0f);
  EXPECT_EQ(Em().keys[1].x, 0.0f);
  EXPECT_EQ(g_Mouse.g_MotionDragAnchor.x, 13);   // the anchors follow
  Shell_SetButtonHeld(BUTTON_RIGHT, 1);   // not the left button alone
  Effect_MouseMove(Hook_At(20, 20));
  EXPECT_EQ(Em().keys[2].x, 3.0f);
  Shell_SetButtonHeld(BUTTON_RIGHT, 0);
  // Rotate mode turns a movie object only when it and its key exist.
  g_ParticleEdit.mode = PARTICLE_MODE_ROTATE;
  MovieObject *saved = g_Movie.objects[0];
  g_Movie.objects[0] = nullptr;
  Effect_MouseMove(Hook_At(23, 20));
  static MovieObject o;
  o.keyCount = 3;
  g_Movie.objects[0] = &o;
  View_Active()->kind = 1;
  Effect_MouseMove(Hook_At(27, 22));   // Front: x by dx, y by -dy
  EXPECT_FLOAT_EQ(o.keys[2].angles[0], 0.1f);
  EXPECT_FLOAT_EQ(o.keys[2].angles[1], -0.05f);
  EXPECT_EQ(Em().keys[2].x, 3.0f);
  g_Movie.objects[0] = saved;
}

TEST_F(EffectTest, ExplosionSpawnsWithinItsRadiusAndCountsAreBounded) {
  struct Case { i32 count, inUse; };
  for (const Case &c : {Case{0, 0}, Case{150, 150}, Case{400, PARTICLE_SPRITES}}) {
    g_ParticleEdit.explosionCount = c.count;
    Particle_Restart();
    EXPECT_EQ(InUse(), c.inUse) << c.count;
  }
  // The 300 records of the full explosion, in spawn order.
  for (i32 k = 0; k < PARTICLE_SPRITES; k++) {
    const ParticleSprite &p = g_ParticleEdit.particles[k];
    f32 dx = p.x - 288.0f, dy = p.y - 208.0f;
    i32 r = k < 72 ? k : 72;
    EXPECT_LE(dx * dx + dy * dy, (f32)(r * r)) << k;
    EXPECT_EQ(p.delay, (i32)(k * 0.04)) << k;
    EXPECT_EQ(p.alpha, 255.0f);
  }
  EXPECT_EQ(g_ParticleEdit.particles[0].x, 288.0f);
  EXPECT_EQ(g_ParticleEdit.particles[0].y, 208.0f);
  // A source that never gives the centre still ends; the particles sit at the centre.
  g_ParticleEdit.random = NeverCentre;
  g_ParticleEdit.explosionCount = 3;
  Particle_Restart();
  EXPECT_EQ(InUse(), 3);
  EXPECT_EQ(g_ParticleEdit.particles[1].x, 288.0f);
  EXPECT_EQ(g_ParticleEdit.particles[2].y, 208.0f);
}

TEST_F(EffectTest, ParticlesWaitThenFadeAndTheCounterRestarts) {
  ParticleEditor &e = g_ParticleEdit;
  e.frameCount = 10;
  e.frameCounter = 0;
  e.explosionCount = 0;
  Particle_Spawn(0, 2);
  e.particles[0].alpha = 8.0f;
  const f32 alphas[] = {8.0f, 8.0f, 4.0f};   // two frames of delay, then 4 a frame
  for (f32 a : alphas) {
    Effect_Update(Hook_Now());
    EXPECT_EQ(e.particles[0].inUse, 1u);
    EXPECT_EQ(e.particles[0].alpha, a);
  }
  EXPECT_EQ(e.particles[0].delay, 0);
  Effect_Update(Hook_Now());   // alpha 0: cleared
  EXPECT_EQ(e.particles[0].inUse, 0u);
  EXPECT_EQ(e.frameCounter, 4);
  EXPECT_EQ(e.fall, -12.0f);
  // Above the frame count the explosion starts again.
  e.explosionCount = 5;
  e.frameCounter = 10;
  Effect_Update(Hook_Now());
  EXPECT_EQ(e.frameCounter, 0);
  EXPECT_EQ(InUse(), 5);
}

TEST_F(EffectTest, StripPaintsTheEmittersOfDocumentZero) {
  Strip_ResetForTest();
  Particle_InstallStripSource();
  g_ShellSeam.stripText = RecordText;
  g_StripTexts.clear();
  static int window;
  Strip_Register(STRIP_EFFECT_KEYS, &window, 800, 200);
  Str_Copy(Em().name, sizeof Em().name, "火花");
  SetKeys({0, 40});
  g_ParticleEdit.docs[0]->emitters[1].keyCount = 1;   // beyond the emitter count: not shown
  g_ParticleEdit.docs[0]->emitters[1].keys[0].frame = 80;
  Strip_DrawEffectKeys();
  const u32 blue = Strip_RGB(0, 128, 255);
  auto at = [](i32 frame, i32 row) {
    i32 x = frame * 10 / Strip_Divisor() + g_Strip.g_StripGeo.offsetX + g_Strip.g_StripGeo.margin;
    return g_StripCanvas[(g_Strip.g_StripGeo.rowTop + 25 * row + 2) * STRIP_CANVAS_W + x + 3];
  };
  EXPECT_EQ(at(0, 0), blue);
  EXPECT_EQ(at(40, 0), blue);
  EXPECT_NE(at(80, 1), blue);
  ASSERT_FALSE(g_StripTexts.empty());
  EXPECT_EQ(g_StripTexts[0], "火花");
  Strip_ResetForTest();
}

}  // namespace
