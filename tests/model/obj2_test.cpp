// 2D object models: new models, evaluation of all 33 objects, the hierarchy's matrices,
// the quads the frame draws, slot replacement and the pixel copy.
#include <gtest/gtest.h>

#include "edit2d/ed2d_services.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawdev.h"
#include "model/obj2.h"
#include "lib/draw/draw.h"
#include "tests/model/bone2_testutil.h"
#include "tests/support/resident.h"

namespace {

void SetKeys(Obj2Model *m, i32 o, std::vector<ObjKey2> keys) {
  Obj2Track *t = Obj2_Track(m, o, m->currentMotion);
  ASSERT_TRUE(t);
  ASSERT_TRUE(Obj2Track_Reserve(t, (i32)keys.size()));
  for (size_t i = 0; i < keys.size(); i++) t->keys[i] = keys[i];
  t->count = (i32)keys.size();
}

ObjKey2 Key(i32 frame, f32 x, f32 y, f32 angle = 0, i32 alpha = 255) {
  ObjKey2 k;
  Obj2_SetNewKey(&k);
  k.frame = frame;
  k.x = x;
  k.y = y;
  k.angle = angle;
  k.a = alpha;
  return k;
}

void ClearSlots() {
  for (i32 s = 0; s < OBJ2_SLOTS; s++) {
    Obj2_SetSlot(s, nullptr);
    g_Obj2SlotShown[s] = 0;
  }
}

}  // namespace

// Tracks of motions not in use cost nothing: a new model costs its record and one motion.
TEST(Obj2, TracksOfMotionsNotInUseCostNoMemory) {
  long before = Test_ResidentKiB();
  if (before < 0) GTEST_SKIP();
  Obj2Model *m[OBJ2_SLOTS];
  for (Obj2Model *&e : m) e = Obj2_NewDetached();
  long cost = (Test_ResidentKiB() - before) / OBJ2_SLOTS;
  printf("new 2D object model: %ld KiB resident each (record %zu KiB)\n", cost, sizeof(Obj2Model) / 1024);
  EXPECT_LT(cost, 256);
  for (Obj2Model *e : m) Obj2_Free(e);
}

TEST(Obj2, NewModelHasTablesForAll33Objects) {
  ClearSlots();
  Obj2Model *m = Obj2_Init(2);
  ASSERT_TRUE(m);
  EXPECT_EQ(g_Obj2SlotShown[2], 1u);
  EXPECT_EQ(m->slot, 2);
  EXPECT_EQ(m->version, 2004050);
  EXPECT_EQ(m->objectCount, 2);
  EXPECT_EQ(m->imageCount, 0);
  EXPECT_EQ(m->motionCount, 1);
  EXPECT_STREQ(m->motions[0].name, "モーション名");
  EXPECT_EQ(m->motions[7].length, 60);
  EXPECT_STREQ(m->nameList[0], "なし");
  EXPECT_EQ(m->active, 1u);
  // Tracks of the motion in use hold one new key; the others get theirs when their motion
  // comes into use.
  m->motionCount = 2;
  ASSERT_TRUE(Obj2_FreshTracks(m));
  for (i32 o = 0; o < 33; o++)
    for (i32 mo = 0; mo < 3; mo++) {
      Obj2Track *t = Obj2_Track(m, o, mo);
      ASSERT_TRUE(t) << o;
      EXPECT_EQ(t->count, mo < 2 ? 1 : 0);
      if (mo == 2) continue;
      EXPECT_EQ(t->capacity, 8);
      EXPECT_EQ(t->keys[7].r, 255);
      EXPECT_EQ(t->keys[0].shown, 1u);
    }
  m->motionCount = 1;
  EXPECT_EQ(Obj2_Init(8), nullptr);
  EXPECT_FALSE(Obj2_SetPosition(nullptr, 1, 1));
  Obj2_FreeAll();
  EXPECT_EQ(m->active, 0u);   // released, still in its slot
  EXPECT_EQ(g_Obj2Slots[2], m);
  ClearSlots();
}

TEST(Obj2, ReplacedModelsAreFreedUnlessStillHeld) {
  ClearSlots();
  Obj2Model *a = Obj2_Init(0);
  g_Obj2Slots[1] = a;   // a second holder
  Obj2Model *b = Obj2_Init(0);
  EXPECT_NE(a, b);
  EXPECT_EQ(g_Obj2Slots[1], a);
  EXPECT_EQ(a->active, 0u);   // still readable: not freed
  Obj2_Init(1);               // the last holder lets go: freed (LeakSanitizer watches)
  ClearSlots();
}

TEST(Obj2, EveryOf33ObjectsEvaluates) {
  ClearSlots();
  Obj2Model *m = Obj2_Init(1);
  m->objectCount = 33;
  for (i32 o = 0; o < 33; o++) SetKeys(m, o, {Key(0, 0, 0), Key(20, 2.0f * o, (f32)o, 0, 100)});
  m->currentFrame = 20;
  Obj2_UpdateAll();
  for (i32 o = 0; o < 33; o++) {
    EXPECT_EQ(m->parts[o].keyIndex, 1) << o;
    EXPECT_FLOAT_EQ(m->parts[o].x, 2.0f * o) << o;
    EXPECT_EQ(m->parts[o].a, 100) << o;
    EXPECT_EQ(m->parts[o].shown, 1u);
  }
  // Halfway: Catmull-Rom over the wrapped pair gives the midpoint; colour truncated.
  m->currentFrame = 10;
  Obj2_UpdateAll();
  EXPECT_FLOAT_EQ(m->parts[32].x, 32.0f);
  EXPECT_EQ(m->parts[32].a, 177);
  ClearSlots();
}

TEST(Obj2, KeyEdgeCases) {
  ClearSlots();
  Obj2Model *m = Obj2_Init(0);
  SetKeys(m, 1, {});
  Obj2_EvalKey(0, 1, 0, 0.5f);
  EXPECT_EQ(m->parts[1].shown, 0u);   // no keys: hidden
  EXPECT_EQ(m->parts[1].scaleX, 1.0f);
  EXPECT_EQ(m->parts[1].r, 255);
  ObjKey2 one = Key(5, 7, 8, 9, 40);
  one.image = 3;
  SetKeys(m, 1, {one});
  for (i32 f : {0, 5, 59}) {
    m->currentFrame = f;
    Obj2_UpdateAll();
    EXPECT_EQ(m->parts[1].x, 7.0f);
    EXPECT_EQ(m->parts[1].image, 3);
    EXPECT_EQ(m->parts[1].a, 40);
  }
  // Before the first key: from the last key towards the first through the motion's end.
  SetKeys(m, 1, {Key(10, 0, 0), Key(40, 30, 0)});
  m->currentFrame = 5;
  Obj2_UpdateKeyIndices(0);
  EXPECT_EQ(m->parts[1].keyIndex, 1);
  EXPECT_FLOAT_EQ(m->parts[1].fraction, 25.0f / 30.0f);
  // Colour overshoot is clamped to 0..255.
  SetKeys(m, 1, {Key(0, 0, 0, 0, 0), Key(10, 0, 0, 0, 255), Key(20, 0, 0, 0, 255), Key(30, 0, 0, 0, 0)});
  Obj2_EvalKey(0, 1, 1, 0.5f);
  EXPECT_EQ(m->parts[1].a, 255);
  ClearSlots();
}

TEST(Obj2, MatricesChainAndSkipSlotsWithoutModels) {
  ClearSlots();
  TwodSeam seam;
  g_Obj2SlotShown[0] = 1;   // shown, but no model: skipped, the pass goes on
  Obj2Model *m = Obj2_Init(6);
  m->objectCount = 4;
  m->parents[2] = 1;
  m->parents[3] = 2;
  SetKeys(m, 1, {Key(0, 10, 0, 90)});
  SetKeys(m, 2, {Key(0, 5, 0)});
  SetKeys(m, 3, {Key(0, 0, 1)});
  Obj2_UpdateAll();
  Obj2_BuildMatrices();
  // Without any image loaded nothing is placed.
  EXPECT_EQ(g_Obj2.worldMatrices[6][3].m[3][0], 0.0f);
  Obj2_LoadImage(6, 0, "piece.png");
  Obj2_BuildMatrices();
  // Object 1 turns by 90 degrees: its child's offset (5, 0) becomes (0, 5).
  f32 p[3];
  Mat_TransformPoint(p, 0, 0, 0, g_Obj2.worldMatrices[6][2]);
  EXPECT_NEAR(p[0], 10, 1e-4);
  EXPECT_NEAR(p[1], 5, 1e-4);
  Mat_TransformPoint(p, 0, 0, 0, g_Obj2.worldMatrices[6][3]);
  EXPECT_NEAR(p[0], 9, 1e-4);
  EXPECT_NEAR(p[1], 5, 1e-4);
  EXPECT_EQ(g_Obj2.worldMatrices[6][0].m[0][0], 1.0f);

  // A cycle made after loading (the editor can) cannot hang the chain.
  m->parents[1] = 3;
  Obj2_BuildMatrices();
  EXPECT_EQ(Obj2_FindBadParent(m), 1);
  m->parents[1] = 0;
  EXPECT_EQ(Obj2_FindBadParent(m), 0);
  ClearSlots();
}

TEST(Obj2, QuadsFollowPivotMatrixAndPlacement) {
  ClearSlots();
  TwodSeam seam;
  Fakes().texW = 40;
  Fakes().texH = 20;
  Obj2Model *m = Obj2_Init(7);
  Obj2_LoadImage(7, 0, "piece.png");
  Obj2_LoadImage(7, 1, "missing.png");
  EXPECT_STREQ(m->imageNames[1], "missing.png");
  EXPECT_EQ(Obj2_GetImageWidth(7, 1), 32u);   // a failed load measures 32 x 32
  EXPECT_EQ(Obj2_GetImageWidth(7, 5), 0u);
  Obj2_ResetImageSize(7, 0);
  EXPECT_EQ(m->pivotX[0], 20);
  EXPECT_EQ(m->pivotY[0], 10);
  m->pivotX[0] = 5;
  m->pivotY[0] = 2;
  m->objectCount = 3;
  ObjKey2 k = Key(0, 100, 50);
  k.r = 300;
  SetKeys(m, 1, {k});
  ObjKey2 hidden = Key(0, 0, 0);
  hidden.image = 1;   // no texture: not drawn
  SetKeys(m, 2, {hidden});
  Obj2_SetPosition(m, 7, 3);
  Obj2_UpdateAll();
  Obj2_BuildMatrices();
  Obj2Quad q;
  ASSERT_TRUE(Obj2_BuildQuad(7, 1, &q));
  // The quad runs from (-pivot) to (size - pivot), moved by the object and the placement.
  const i32 xs[4] = {100 - 5 + 7, 100 + 35 + 7, 100 + 35 + 7, 100 - 5 + 7};
  const i32 ys[4] = {50 - 2 + 3, 50 - 2 + 3, 50 + 18 + 3, 50 + 18 + 3};
  for (int c = 0; c < 4; c++) {
    EXPECT_EQ(q.x[c], xs[c]) << c;
    EXPECT_EQ(q.y[c], ys[c]) << c;
  }
  EXPECT_EQ(q.r, 255);   // clamped
  EXPECT_EQ(q.a, 255u);
  EXPECT_TRUE(q.texture != nullptr);
  EXPECT_FALSE(Obj2_BuildQuad(7, 2, &q));
  EXPECT_FALSE(Obj2_BuildQuad(7, 0, &q));   // the root is never drawn
  EXPECT_FALSE(Obj2_BuildQuad(7, 3, &q));   // beyond the object count
  // Reloading an image releases the old texture.
  void *old = g_Obj2Textures[7 * 32];
  Obj2_LoadImage(7, 0, "other.png");
  ASSERT_EQ(Fakes().released.size(), 1u);
  EXPECT_EQ(Fakes().released[0], old);
  ClearSlots();
}

TEST(Obj2, PixelCopyResamplesToTheRecordedSize) {
  // A 4 x 1 texture into a 2 x 1 copy: samples down; red goes to the lowest byte.
  const u32 tex[4] = {0x80FF0000, 0x11111111, 0x8000FF00, 0x22222222};
  u32 *down = Obj2_ResamplePixels(tex, 4, 1, 2, 1);
  ASSERT_TRUE(down);
  EXPECT_EQ(down[0], 0x11111111u);   // the last texel landing there wins
  EXPECT_EQ(down[1], 0x22222222u);
  free(down);
  const u32 red[1] = {0x80FF0000};
  u32 *up = Obj2_ResamplePixels(red, 1, 1, 3, 2);
  ASSERT_TRUE(up);
  EXPECT_EQ(up[0], 0x800000FFu);
  EXPECT_EQ(up[1], 0u);   // in between stays 0
  EXPECT_EQ(up[5], 0u);
  free(up);
  EXPECT_EQ(Obj2_ResamplePixels(red, 1, 1, 0, 2), nullptr);
  EXPECT_EQ(Obj2_GetPixel(0), 0u);   // no copy yet
  EXPECT_EQ(Obj2_GetPixel(-1), 0u);
}

namespace {

struct DrawLog {
  std::vector<void *> textures;
  std::vector<std::vector<ScreenVertex>> quads;
  u32 texels[6] = {0xFF102030, 0xFF405060, 0xFF708090, 0x01020304, 0x05060708, 0x090A0B0C};
  int locks = 0, unlocks = 0;
};
DrawLog g_DrawLog;

void LogSetTexture(u32 stage, void *t) {
  if (stage == 0) g_DrawLog.textures.push_back(t);
}
void LogDrawUP(u32 prim, u32 count, const void *verts, u32 stride) {
  if (prim != DPT_TRIANGLEFAN) return;
  const ScreenVertex *v = (const ScreenVertex *)verts;
  g_DrawLog.quads.push_back(std::vector<ScreenVertex>(v, v + 4));
}
bool LogTextureSize(void *, i32 *w, i32 *h) {
  *w = 3;
  *h = 2;
  return true;
}
u8 *LogLock(void *, i32 *pitch) {
  g_DrawLog.locks++;
  *pitch = 12;
  return (u8 *)g_DrawLog.texels;
}
void LogUnlock(void *) { g_DrawLog.unlocks++; }

}  // namespace

TEST(Obj2, DrawAllDrawsShownObjectsOfActiveModels) {
  ClearSlots();
  TwodSeam seam;
  DrawDev savedDev = g_Dev.draw;
  g_Dev.draw = DrawDev();
  g_Dev.draw.setTexture = LogSetTexture;
  g_Dev.draw.drawPrimitiveUP = LogDrawUP;
  g_DrawLog = DrawLog();
  Fakes().texW = 10;
  Fakes().texH = 10;
  g_Obj2SlotShown[0] = 1;   // shown without a model: skipped
  Obj2Model *m = Obj2_Init(5);
  Obj2_LoadImage(5, 0, "piece.png");
  m->pivotX[0] = m->pivotY[0] = 0;
  m->objectCount = 3;
  ObjKey2 k = Key(0, 20, 30, 0, 128);
  SetKeys(m, 1, {k});
  k.shown = 0;
  SetKeys(m, 2, {k});
  Obj2_UpdateAll();
  Obj2_DrawAll();
  ASSERT_EQ(g_DrawLog.quads.size(), 1u);   // object 2 is hidden, object 0 never drawn
  EXPECT_EQ(g_DrawLog.textures.back(), g_Obj2Textures[5 * 32]);
  const std::vector<ScreenVertex> &q = g_DrawLog.quads[0];
  EXPECT_EQ(q[0].x, 20.0f);
  EXPECT_EQ(q[2].y, 40.0f);
  EXPECT_EQ(q[1].u, 0.99f);
  EXPECT_EQ(q[3].v, 0.99f);
  EXPECT_EQ(q[0].color, 0x80FFFFFFu);
  // A released model is not drawn.
  Obj2_Release(5);
  Obj2_DrawAll();
  EXPECT_EQ(g_DrawLog.quads.size(), 1u);

  // The pixel copy reads level 0 through the device and resamples it to the recorded size.
  g_Dev.draw.textureSize = LogTextureSize;
  g_Dev.draw.lockTexture = LogLock;
  g_Dev.draw.unlockTexture = LogUnlock;
  Obj2_CopyImagePixels(5, 0);
  EXPECT_EQ(g_DrawLog.locks, 1);
  EXPECT_EQ(g_DrawLog.unlocks, 1);
  EXPECT_EQ(Obj2_GetPixel(0), 0xFF302010u);
  EXPECT_EQ(Obj2_GetPixel(3), 0xFF605040u);    // texel (1, 0) lands at x = trunc(10 / 3 * 1)
  EXPECT_EQ(Obj2_GetPixel(50), 0x01040302u);   // texel (0, 1) at row trunc(10 / 2 * 1)
  EXPECT_EQ(Obj2_GetPixel(1), 0u);
  EXPECT_EQ(Obj2_GetPixel(100), 0u);
  Obj2_CopyImagePixels(5, 20);   // no texture: the copy is gone
  EXPECT_EQ(Obj2_GetPixel(0), 0u);
  g_Dev.draw = savedDev;
  ClearSlots();
}

TEST(Obj2, TheObjectListAddsUpTo33ObjectsAndEachEvaluates) {
  ClearSlots();
  TwodSeam seam;
  Obj2Model *m = Obj2_Init(2);
  for (i32 o = 2; o < 33; o++) EXPECT_EQ(Ed2D_AddObject(2), o);
  EXPECT_TRUE(Fakes().errors.empty());
  EXPECT_EQ(Ed2D_AddObject(2), -1);
  ASSERT_EQ(Fakes().errors.size(), 1u);
  EXPECT_EQ(Fakes().errors[0], "これ以上オブジェクトを、追加できません。");
  EXPECT_EQ(m->objectCount, 33);
  // Objects past the eighth have key tables of their own.
  SetKeys(m, 32, {Key(0, 12, 34)});
  Obj2_UpdateAll();
  EXPECT_EQ(m->parts[32].x, 12.0f);
  EXPECT_EQ(m->parts[20].shown, 1u);
  EXPECT_EQ(Ed2D_AddObject(3), -1);   // an empty slot
  ClearSlots();
}
