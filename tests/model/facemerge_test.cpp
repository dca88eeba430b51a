// The face merge against the merge as it first was (facemerge_ref.h) on random meshes of shared
// positions, fans of triangles, poles, many quads on one position, faces holding a position
// twice, NaN and -0 corners and faces that may not merge: the same joins in the same order and
// the same faces after them, in 2D and 3D.
#include <gtest/gtest.h>
#include <math.h>

#include <random>
#include <string>
#include <vector>

#include "model/facemerge.h"
#include "tests/model/facemerge_ref.h"
#include "tests/model/facemerge_shapes.h"

namespace {

using namespace facemerge_shapes;

// Runs one merge on a copy of m; the copy after it.
Mesh Merged(const Mesh &m, bool reference) {
  Mesh r = m;
  s_Mesh = &r;
  const FaceMergeHooks h = Hooks(m.dim);
  bool ok = reference ? facemerge_ref::RefFaceMerge_Run((i32)m.faces.size(), h) : FaceMerge_Run((i32)m.faces.size(), h);
  EXPECT_TRUE(ok);
  s_Mesh = nullptr;
  return r;
}

void ExpectSame(const Mesh &m, const std::string &what) {
  SCOPED_TRACE(what);
  Mesh ref = Merged(m, true), fast = Merged(m, false);
  ASSERT_EQ(fast.joins, ref.joins);
  ASSERT_EQ(fast.alive, ref.alive);
  for (size_t f = 0; f < ref.faces.size(); f++) {
    ASSERT_EQ(fast.faces[f].cornerCount, ref.faces[f].cornerCount) << "face " << f;
    for (i32 c = 0; c < ref.faces[f].cornerCount; c++)
      ASSERT_EQ(fast.faces[f].corners[c].vertex, ref.faces[f].corners[c].vertex) << "face " << f << " corner " << c;
  }
}

TEST(FaceMerge, AgreesWithTheMergeOverEveryFacePerPosition) {
  std::mt19937 rng(68);
  for (i32 dim : {2, 3}) {
    std::string d = std::to_string(dim) + "D ";
    for (i32 round = 0; round < 300; round++) {
      i32 side = 2 + round % 5, faces = 2 + (round * 7) % 90;
      ExpectSame(RandomMesh(rng, dim, faces, side), d + "random " + std::to_string(round));
    }
    for (i32 n : {3, 4, 7, 64}) {
      ExpectSame(Fan(dim, n, false), d + "open fan " + std::to_string(n));
      ExpectSame(Fan(dim, n, true), d + "closed fan " + std::to_string(n));
      ExpectSame(Pole(dim, n, 3), d + "pole " + std::to_string(n));
      ExpectSame(QuadsOnOnePosition(dim, n), d + "quads on one position " + std::to_string(n));
      ExpectSame(QuadsAtOneCorner(dim, n), d + "quads at one corner " + std::to_string(n));
    }
    Mesh pair = TrianglePair(dim);
    ExpectSame(pair, d + "triangle pair");
    Mesh merged = Merged(pair, false);
    EXPECT_EQ(merged.faces[0].cornerCount, 4) << "the triangle pair became no quad";
    EXPECT_EQ(merged.alive[1], 0);
  }
}

// Positions held by about as many faces as the merge walks before it looks pairs up instead:
// fans and poles whose apex is just under, at and over that count, random meshes whose
// positions straddle it, and plain grids.
TEST(FaceMerge, AgreesOnEitherSideOfTheWalkedListLength) {
  std::mt19937 rng(6812);
  for (i32 dim : {2, 3}) {
    std::string d = std::to_string(dim) + "D ";
    for (i32 n = kFaceMergeWalk - 2; n <= kFaceMergeWalk + 3; n++) {
      ExpectSame(Fan(dim, n, true), d + "closed fan " + std::to_string(n));
      ExpectSame(Fan(dim, n, false), d + "open fan " + std::to_string(n));
      ExpectSame(Pole(dim, n, 2), d + "pole " + std::to_string(n));
      ExpectSame(QuadsOnOnePosition(dim, n), d + "quads on one position " + std::to_string(n));
    }
    for (i32 round = 0; round < 200; round++) {
      i32 side = 3 + round % 4, faces = 20 + (round * 13) % 160;
      ExpectSame(RandomMesh(rng, dim, faces, side), d + "random " + std::to_string(round));
    }
    for (i32 w : {1, 2, 5, 16}) ExpectSame(Grid(dim, w, 7), d + "grid " + std::to_string(w));
  }
}

}  // namespace
