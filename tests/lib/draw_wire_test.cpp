// Lines left out where the picture stays: which lines cover the same pixels both ways, the
// pixels a line may and surely covers walked backwards, the pairing of faces' edges, and the
// plan that leaves out the earlier draw of a shared edge only where a later opaque primitive
// covers its start on every device, and any edge that later ones cover wholly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "draw_fakedev.h"
#include "lib/draw/drawmarks.h"
#include "lib/draw/drawwire.h"

namespace {

TEST(DrawWire, SymmetricLinesHaveNoHalfwayStep) {
  struct Row {
    i32 x1, y1, x2, y2;
    bool symmetric;
  } const rows[] = {
      {0, 0, 0, 0, true},  {0, 0, 9, 0, true},   {0, 0, 0, -7, true}, {0, 0, 9, 3, true},  {0, 0, 5, 5, true},
      {0, 0, 2, 1, false}, {0, 0, 4, 2, false},  {3, 8, 0, 0, false}, {0, 0, -10, 4, true}, {0, 0, 10, -5, false},
  };
  for (const Row &r : rows)
    EXPECT_EQ(DrawMarks_TieFree(r.x1, r.y1, r.x2, r.y2), r.symmetric) << r.x1 << "," << r.y1 << " " << r.x2 << "," << r.y2;
}

// Two quads side by side (positions 0 1 2 below 3 4 5, ten pixels apart, y down the screen),
// wound as the grids are: their shared edge is corner 2 of face 0 (4 to 1, down) and corner 0
// of face 1 (1 to 4, up); a third face, when present, has that edge too.
struct Mesh {
  std::vector<u32> ring = {0, 3, 4, 1, 1, 4, 5, 2};
  std::vector<u8> count = {4, 4};
  std::vector<i32> pixels = {0, 20, 10, 20, 20, 20, 0, 10, 10, 10, 20, 10};
};

bool FaceZeroLate(u32 f) { return f == 0; }

struct DrawWireTest : ::testing::Test {
  void SetUp() override { FakeDev_Install(); }   // a 640 x 480 viewport
  void TearDown() override { FakeDev_Remove(); }
};

TEST_F(DrawWireTest, ALineShowsUnlessLaterOpaqueOnesCoverAllItMayCover) {
  struct Row {
    i32 x1, y1, x2, y2;
    bool opaque, shows;
  } const rows[] = {   // from the last drawn to the first
      {0, 5, 10, 5, true, true},    {2, 5, 8, 5, true, false},
      {0, 5, 11, 5, true, true},    // its end may show
      {0, 5, 10, 5, true, false},   // the same line again: every device draws it as the later one
      {5, 0, 5, 5, true, true},     {5, 4, 5, 1, true, false},    {3, 5, 3, 5, true, false},   // a point
      {9, 5, 9, 5, true, false},    // its right pixel is a later line's end wherever a device draws both
      {0, 0, 3, 1, true, true},     {1, 0, 2, 1, true, false},    {20, 20, 25, 20, false, true},
      {21, 20, 23, 20, true, true}, {-3, 5, 2, 5, true, true},    {30, 10, 30, 5, true, true},
      {30, 8, 30, 6, true, false},
      {30, 10, 30, 9, true, false},   // its start is drawn on the devices that draw the later line's
      {30, 11, 30, 10, true, true},   // its start is not covered
      {1, 0, 1, 0, true, true},       // beside the slanted start
      {11, 5, 11, 5, true, true},     // on a later line's end, which some devices leave out
  };
  ASSERT_TRUE(DrawMarks_Begin());
  for (const Row &r : rows)
    EXPECT_EQ(DrawMarks_Line(r.x1, r.y1, r.x2, r.y2, r.opaque), r.shows) << r.x1 << "," << r.y1 << " " << r.x2 << "," << r.y2;
  EXPECT_TRUE(DrawMarks_Covered(0, 0));   // a slanted line longer across covers its start
  EXPECT_EQ(DrawMarks_Box(30, 6, 34, 10), 1u | 2u | 4u);   // its left side lies on the lines at x 30
  // A mark met again at a pixel: the earlier draw is hidden; the marks are told apart, and the
  // lines' covering leaves them unmet.
  EXPECT_FALSE(DrawMarks_Again(0, 5, 0));
  EXPECT_TRUE(DrawMarks_Again(0, 5, 0));
  EXPECT_FALSE(DrawMarks_Again(0, 5, 1));
  EXPECT_FALSE(DrawMarks_Again(-1, 5, 0) || DrawMarks_Again(-1, 5, 0));   // beyond the viewport
  EXPECT_TRUE(DrawMarks_Covered(0, 5));
}

// Lines of an enormous model reach anywhere an i32 does: each shows, covers the pixels of
// its steps within the viewport as a short line there would, and is walked at once (not pixel
// by pixel to its far end, nor with differences that overflow).
TEST_F(DrawWireTest, LinesFromFarBeyondTheViewportCoverOnlyWhatLiesInIt) {
  const i32 lo = INT32_MIN, hi = INT32_MAX, far = 1000000000;
  struct Row {
    i32 x1, y1, x2, y2;
    i32 px, py, qx, qy;   // a short line on its pixels inside, covered after it
  } const rows[] = {
      {lo, 100, hi, 100, 0, 100, 639, 100},
      {320, hi, 320, lo, 320, 0, 320, 479},
      {-far, -far, far, far, 10, 10, 20, 20},   // 45 degrees
      {far, 200, 100, 200, 101, 200, 639, 200},   // its end at 100 is not drawn by every device
      {lo, 7, 3, 7, 0, 7, 2, 7},   // ends inside
  };
  for (const Row &r : rows) {
    SCOPED_TRACE(testing::Message() << r.x1 << "," << r.y1 << " " << r.x2 << "," << r.y2);
    ASSERT_TRUE(DrawMarks_Begin());
    EXPECT_TRUE(DrawMarks_Line(r.x1, r.y1, r.x2, r.y2, true));
    EXPECT_FALSE(DrawMarks_Line(r.px, r.py, r.qx, r.qy, true));
    EXPECT_FALSE(DrawMarks_Covered(r.px + (r.py == r.qy ? 0 : 1), r.py + (r.py == r.qy ? 1 : 0)));   // beside it
  }
}

// The walk against a plain model of it: for each of the four kinds of device (drawing the
// last pixel or not, leaving out an upward start or not), the set of pixels later opaque
// primitives draw, and a line shown when it draws one outside its kind's set.
TEST_F(DrawWireTest, LinesShownAsAPixelSetPerKindOfDeviceSays) {
  std::set<std::pair<i32, i32>> covered[4];
  auto pixelsOn = [](u32 kind, i32 x1, i32 y1, i32 x2, i32 y2) {
    std::vector<std::pair<i32, i32>> px;
    if (x1 == x2 && y1 == y2) x2 = x1 + 1;   // a point is the one-pixel line to its right
    i32 dx = x2 - x1, dy = y2 - y1, n = std::max(std::abs(dx), std::abs(dy));
    bool upward = std::abs(dy) >= std::abs(dx) && dy < 0;
    for (i32 i = 0; i <= n; i++) {
      if ((i == 0 && upward && (kind & 2)) || (i == n && !(kind & 1))) continue;
      px.push_back({x1 + (i32)std::lround((double)dx * i / n), y1 + (i32)std::lround((double)dy * i / n)});
    }
    return px;
  };
  std::mt19937 rng(7);
  ASSERT_TRUE(DrawMarks_Begin());
  for (int line = 0; line < 20000; line++) {
    i32 x1 = (i32)(rng() % 40) + 600, y1 = (i32)(rng() % 40) + 440;   // some reach past the viewport's corner
    i32 len = (i32)(rng() % 4), x2 = x1 + (i32)(rng() % 9) - 4, y2 = y1 + (i32)(rng() % 9) - 4;
    if (len == 0) x2 = x1, y2 = y1;
    if (len == 1) y2 = y1;
    bool opaque = rng() % 8 != 0, tieFree = DrawMarks_TieFree(x1, y1, x2, y2);
    bool shows = !tieFree;
    for (u32 k = 0; k < 4 && tieFree; k++)
      for (auto &p : pixelsOn(k, x1, y1, x2, y2)) shows |= p.first >= 640 || p.second >= 480 || !covered[k].count(p);
    ASSERT_EQ(DrawMarks_Line(x1, y1, x2, y2, opaque), shows) << "line " << line << ": " << x1 << "," << y1 << " " << x2 << "," << y2;
    for (u32 k = 0; k < 4 && opaque; k++) {
      auto px = pixelsOn(k, x1, y1, x2, y2);
      if (!tieFree) px.resize(px.empty() || px[0] != std::make_pair(x1, y1) ? 0 : 1);   // only its start is sure
      for (auto &p : px) covered[k].insert(p);
    }
  }
}

TEST_F(DrawWireTest, PlanLeavesOutTheEarlierDrawOfASharedEdgeOnlyWhereThePictureStays) {
  struct Row {
    const char *what;
    i32 pixel5x, pixel5y, pixel1x;   // moves positions 5 and 1
    bool (*late)(u32);
    bool earlyOpaque, thirdFace;
    bool skip2, skip4, skip7;   // face 0's corner 2, face 1's corners 0 and 3 left out
  } const rows[] = {
      {"the later edge from 4 goes across", 20, 10, 10, nullptr, true, false, true, false, false},
      {"the later edge from 4 goes steeply up", 12, 0, 10, nullptr, true, false, false, false, false},
      {"the shared edge has a halfway step", 20, 10, 15, nullptr, true, false, false, false, false},
      {"the faces' edges are not opaque", 20, 10, 10, nullptr, false, false, false, false, false},
      {"face 0 is drawn last", 20, 10, 10, FaceZeroLate, false, false, false, true, false},
      {"a third face has edges 1-4 and 2-1 (later lines cover 4-1; 1-4 and 2-1 are drawn again alike)", 20, 10, 10, nullptr, true, true, true, true, true},
  };
  for (const Row &r : rows) {
    Mesh m;
    m.pixels[10] = r.pixel5x, m.pixels[11] = r.pixel5y, m.pixels[2] = r.pixel1x;
    if (r.thirdFace) m.ring.insert(m.ring.end(), {1, 4, 2, 0}), m.count.push_back(3);
    DrawWire_Build(m.ring.data(), m.count.data(), (u32)m.count.size());
    ASSERT_TRUE(DrawWire_Plan(m.pixels.data(), 6, r.late, r.earlyOpaque, nullptr)) << r.what;
    EXPECT_EQ(DrawWire_Twin(2), r.thirdFace ? -1 : 4) << r.what;
    EXPECT_EQ(DrawWire_Skip(2), r.skip2) << r.what;
    EXPECT_EQ(DrawWire_Skip(4), r.skip4) << r.what;
    EXPECT_EQ(DrawWire_Skip(7), r.skip7) << r.what;
    for (u32 c : {0u, 1u, 3u, 5u, 6u}) EXPECT_FALSE(DrawWire_Skip(c)) << r.what << " corner " << c;
  }
  // A ring naming a position beyond the pixels leaves everything in.
  Mesh m;
  DrawWire_Build(m.ring.data(), m.count.data(), 2);
  EXPECT_FALSE(DrawWire_Plan(m.pixels.data(), 5, nullptr, true, nullptr));
  EXPECT_FALSE(DrawWire_Skip(2));
}

// The plan against drawing every line, on a plain model of eight kinds of device (the last
// pixel drawn or not, an upward start left out or not, a halfway step rounded up or down):
// random meshes whose positions fall on a few pixels, so that edges meet again the same way
// round and the other, with and without halfway steps; faces drawn early (opaque or not) and
// late, each in a colour of a few. The picture with the plan's lines left out is the picture
// with every line, pixel for pixel, on every kind.
TEST_F(DrawWireTest, PlannedWireDrawsEveryLinesPictureOnEveryKindOfDevice) {
  auto floorDiv = [](i64 a, i64 b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
  auto pixelsOn = [&](u32 kind, i32 x1, i32 y1, i32 x2, i32 y2) {
    std::vector<std::pair<i32, i32>> px;
    if (x1 == x2 && y1 == y2) x2 = x1 + 1;
    i32 dx = x2 - x1, dy = y2 - y1, n = std::max(std::abs(dx), std::abs(dy));
    bool across = std::abs(dx) > std::abs(dy), upward = !across && dy < 0;
    for (i32 i = 0; i <= n; i++) {
      if ((i == 0 && upward && (kind & 2)) || (i == n && !(kind & 1))) continue;
      i64 num = 2 * (i64)(across ? dy : dx) * i;   // twice the minor offset, over 2 n
      i64 minor = kind & 4 ? floorDiv(num + n, 2 * n) : -floorDiv(-num + n, 2 * n);
      i32 major = (across ? dx : dy) > 0 ? i : -i;
      px.push_back(across ? std::make_pair(x1 + major, y1 + (i32)minor) : std::make_pair(x1 + (i32)minor, y1 + major));
    }
    return px;
  };
  std::mt19937 rng(11);
  u32 leftOut = 0, leftOutWithHalfway = 0;
  for (int trial = 0; trial < 400; trial++) {
    const u32 positions = 10 + rng() % 6, faces = 30 + rng() % 30;
    std::vector<i32> pixels;
    for (u32 v = 0; v < positions; v++) pixels.push_back(100 + (i32)(rng() % 7)), pixels.push_back(200 + (i32)(rng() % 5));
    std::vector<u32> ring(4 * faces, 0);
    std::vector<u8> count(faces);
    for (u32 f = 0; f < faces; f++) {
      count[f] = (u8)(2 + rng() % 3);
      for (u32 j = 0; j < count[f]; j++) ring[4 * f + j] = rng() % positions;
    }
    bool (*late)(u32) = trial % 3 == 0 ? nullptr : +[](u32 f) { return f % 4 == 1; };
    bool earlyOpaque = trial % 2 == 0;
    DrawWire_Build(ring.data(), count.data(), faces);
    ASSERT_TRUE(DrawWire_Plan(pixels.data(), positions, late, earlyOpaque, nullptr));
    for (u32 kind = 0; kind < 8; kind++) {
      std::map<std::pair<i32, i32>, u64> every, planned;
      for (int pass = 0; pass < 2; pass++)
        for (u32 f = 0; f < faces; f++) {
          bool isLate = late && late(f);
          if (isLate != (pass == 1)) continue;
          bool opaque = earlyOpaque || isLate;
          u64 colour = 1 + f % 3;
          for (u32 j = 0; j < count[f]; j++) {
            u32 a = ring[4 * f + j], b = ring[4 * f + (j + 1) % count[f]];
            bool skip = DrawWire_Skip(4 * f + j);
            for (auto &p : pixelsOn(kind, pixels[2 * a], pixels[2 * a + 1], pixels[2 * b], pixels[2 * b + 1])) {
              for (auto *image : {&every, &planned}) {
                if (image == &planned && skip) continue;
                u64 &px = (*image)[p];
                px = opaque ? colour : px * 1000003u + colour;   // blended: what was there shows through
              }
            }
            if (kind == 0 && skip) {
              leftOut++;
              leftOutWithHalfway += !DrawMarks_TieFree(pixels[2 * a], pixels[2 * a + 1], pixels[2 * b], pixels[2 * b + 1]);
            }
          }
        }
      ASSERT_EQ(every, planned) << "trial " << trial << ", kind " << kind;
    }
  }
  // Both kinds of line were left out.
  EXPECT_GT(leftOut, 1000u);
  EXPECT_GT(leftOutWithHalfway, 100u);
}

}  // namespace
