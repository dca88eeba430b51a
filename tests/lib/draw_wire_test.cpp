// Lines left out where the picture stays: which lines cover the same pixels both ways, the
// pixels a line may and surely covers walked backwards, the pairing of faces' edges, and the
// plan that leaves out the earlier draw of a shared edge only where a later opaque primitive
// covers its start on every device, and any edge that later ones cover wholly.
#include <gtest/gtest.h>

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
    EXPECT_EQ(DrawWire_Symmetric(r.x1, r.y1, r.x2, r.y2), r.symmetric) << r.x1 << "," << r.y1 << " " << r.x2 << "," << r.y2;
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
      {0, 5, 10, 5, true, true},    {2, 5, 8, 5, true, false},    {0, 5, 10, 5, true, true},   // the end may show
      {5, 0, 5, 5, true, true},     {5, 4, 5, 1, true, false},    {3, 5, 3, 5, true, false},   // a point
      {9, 5, 9, 5, true, true},     {0, 0, 3, 1, true, true},     {20, 20, 25, 20, false, true},
      {21, 20, 23, 20, true, true}, {-3, 5, 2, 5, true, true},    {30, 10, 30, 5, true, true},
      {30, 8, 30, 6, true, false},  {30, 10, 30, 9, true, true},  {1, 0, 1, 0, true, true},    // beside the slanted start
  };
  ASSERT_TRUE(DrawMarks_Begin());
  for (const Row &r : rows)
    EXPECT_EQ(DrawMarks_Line(r.x1, r.y1, r.x2, r.y2, r.opaque), r.shows) << r.x1 << "," << r.y1 << " " << r.x2 << "," << r.y2;
  EXPECT_TRUE(DrawMarks_Covered(0, 0));   // a slanted line longer across covers its start
  EXPECT_EQ(DrawMarks_Box(30, 6, 34, 10), 1u | 2u | 4u);   // its left side lies on the lines at x 30
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
      {"a third face has edges 1-4 and 2-1 (later lines cover 4-1; 2-1 is drawn again alike)", 20, 10, 10, nullptr, true, true, true, false, true},
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

}  // namespace
