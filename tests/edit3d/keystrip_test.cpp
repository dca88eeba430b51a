// The shared key strip: the scroll bar's steps stay within 0..max and leave the frame alone
// for codes it does not know, a middle drag moves at least one frame whichever way the
// pointer went, and a strip mouse move reaches the scrub, the key move or the pan only for
// its own button combination.
#include <gtest/gtest.h>

#include "app/strip.h"
#include "app/strip_state.h"
#include "app/tree.h"
#include "edit3d/keystrip.h"

TEST(KeyStrip, ScrollStepsStayWithinTheMotion) {
  struct Case { i32 frame, code, pos, max; bool ok; i32 after; };
  const Case cases[] = {
      {10, 0, 0, 59, true, 9},   {0, 0, 0, 59, true, 0},      {10, 1, 0, 59, true, 11},  {59, 1, 0, 59, true, 59},
      {70, 2, 0, 59, true, 10},  {30, 2, 0, 59, true, 0},     {0, 3, 0, 200, true, 60},  {30, 3, 0, 59, true, 59},
      {5, 5, 42, 59, true, 42},  {5, 5, 90, 59, true, 59},    {5, 5, -3, 59, true, 0},   {5, 1, 0, 0, true, 0},
      {5, 4, 42, 59, false, 5},  {5, 6, 42, 59, false, 5},    {5, -1, 42, 59, false, 5},
      {0x7fffffff, 3, 0, 0x7fffffff, true, 0x7fffffff},
  };
  for (const Case &c : cases) {
    i32 f = c.frame;
    EXPECT_EQ(KeyStrip_ScrollFrame(&f, c.code, c.pos, c.max), c.ok) << c.frame << " code " << c.code;
    EXPECT_EQ(f, c.after) << c.frame << " code " << c.code;
  }
  const i32 drags[][3] = {{0, 1, 1}, {0, -1, -1}, {0, 0, 0}, {3, 1, 3}, {-16, -50, -16}, {0, 7, 1}};
  for (const auto &d : drags) EXPECT_EQ(KeyStrip_DragFrames(d[0], d[1]), d[2]) << d[0] << "," << d[1];
}

static Ed3DStripMouse s_Mouse;
static i32 s_Scrubs, s_Drags, s_LastDx;
static void Scrub(void) { s_Scrubs++; }
static void Drag(i32 dx) { s_Drags++, s_LastDx = dx; }

TEST(KeyStrip, EachButtonCombinationReachesOnlyItsDrag) {
  KeyStrip k = {};
  k.mouse = &s_Mouse;
  k.window = STRIP_KZO_KEYS;
  k.scrub = Scrub;
  k.dragKeys = Drag;
  // left, middle, right; then scrubs, drags and whether the strip pans.
  struct Case { u8 l, m, r; i32 scrubs, drags; bool pans; };
  const Case cases[] = {
      {0, 0, 0, 0, 0, false}, {1, 0, 0, 1, 0, false}, {0, 1, 0, 0, 1, false}, {0, 0, 1, 0, 0, true},
      {1, 1, 0, 0, 1, false}, {1, 0, 1, 0, 0, true},  {0, 1, 1, 0, 0, false}, {1, 1, 1, 0, 0, false},
  };
  for (const Case &c : cases) {
    Strip_ResetGeometry();
    g_TreeRows.count = 0;
    s_Mouse = Ed3DStripMouse{};
    s_Mouse.x = 300, s_Mouse.y = 100;
    s_Mouse.left = c.l, s_Mouse.middle = c.m, s_Mouse.right = c.r;
    s_Scrubs = s_Drags = s_LastDx = 0;
    g_Strip.g_StripWindows[STRIP_KZO_KEYS].dirty = 0;
    KeyStrip_Move(&k, 290, 90);
    EXPECT_EQ(s_Scrubs, c.scrubs) << (int)c.l << (int)c.m << (int)c.r;
    EXPECT_EQ(s_Drags, c.drags) << (int)c.l << (int)c.m << (int)c.r;
    EXPECT_EQ(s_LastDx, c.drags ? -10 : 0);
    EXPECT_EQ(g_Strip.g_StripGeo.offsetX, c.pans ? -10 : 0) << (int)c.l << (int)c.m << (int)c.r;
    EXPECT_EQ(g_Strip.g_StripGeo.offsetY, c.pans ? -10 : 0) << (int)c.l << (int)c.m << (int)c.r;
    EXPECT_EQ(s_Mouse.prevX, 300);
    EXPECT_EQ(g_Strip.g_StripWindows[STRIP_KZO_KEYS].dirty, 1u);
  }
}
