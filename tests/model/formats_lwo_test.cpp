// LWO import and export: the hand-written sample (pad bytes, detail polygons, a pentagon,
// a surface without colour) reads into the expected model; export then import gives back
// the positions; bad and oversized files are refused with the slot left as it was.
#include "model_shown.h"
#include "tests/model/formats_test_util.h"

using namespace fmt_test;

namespace {

class Lwo : public FormatTest {};

// A cube of six quads; every corner colour `color`, the first quad's `first`.
Model3 *BuildCube(i32 slot, Color4 color, Color4 first) {
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_Init(slot);
  for (int i = 0; i < 8; i++) m->positions[i] = Vec3{(f32)(i & 1) * 1.5f, (f32)((i >> 1) & 1) * 2.25f, (f32)(i >> 2) * -3.0f};
  m->positionCount = 8;
  static const int quads[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
  m->colors[0] = color;
  m->colors[1] = first;
  m->colorCount = 2;
  for (int p = 0; p < 6; p++) {
    m->polygons[p].cornerCount = 4;
    for (int c = 0; c < 4; c++) m->polygons[p].corners[c] = PolyCorner{(u32)quads[p][c], 0, p == 0 ? 1u : 0u, 0};
  }
  m->polygonCount = 6;
  return m;
}

}  // namespace

TEST_F(Lwo, SampleReadsPointsSurfacesAndSplitPolygons) {
  PutMarker(0);
  ASSERT_EQ(Shown(Lwo_Read, 0, DataPath("lwo/sample.lwo").c_str()), 1);
  Model3 *m = Model3_Get(0);
  ASSERT_EQ(m->positionCount, 6);
  EXPECT_VEC3(m->positions[4], 5, 20, 0);
  EXPECT_VEC3(m->positions[5], 20, 20, 20);
  ASSERT_EQ(m->groupCount, 2);
  // "Red" has no COLR: mid grey on the 0..255 scale; "Blue" takes its COLR bytes.
  EXPECT_FLOAT_EQ(m->groups[0].r, 128);
  EXPECT_FLOAT_EQ(m->groups[1].b, 250);
  // quad, pentagon as a fan of three triangles, the detail-carrying triangle (its detail
  // polygon skipped), the one-corner polygon.
  ASSERT_EQ(m->polygonCount, 6);
  EXPECT_EQ(m->polygons[0].cornerCount, 4);
  const u32 fan[3][3] = {{0, 1, 2}, {0, 2, 4}, {0, 4, 3}};
  for (int t = 0; t < 3; t++) {
    EXPECT_EQ(m->polygons[1 + t].cornerCount, 3);
    for (int c = 0; c < 3; c++) EXPECT_EQ(m->polygons[1 + t].corners[c].vertex, fan[t][c]);
    EXPECT_EQ(m->polygons[1 + t].group, 1u);
  }
  EXPECT_EQ(m->polygons[4].group, 0u);
  EXPECT_EQ(m->polygons[4].corners[2].vertex, 5u);
  EXPECT_EQ(m->polygons[5].cornerCount, 1);
  EXPECT_EQ(m->polygons[5].corners[0].vertex, 5u);
  EXPECT_EQ(m->colorCount, 6);
  EXPECT_FLOAT_EQ(m->colors[2].g, 20);
  EXPECT_FLOAT_EQ(m->colors[4].r, 128);
  EXPECT_EQ(m->polygons[2].corners[1].color, 2u);
  EXPECT_FLOAT_EQ(m->color[3], 255);
}

TEST_F(Lwo, ExportWritesOneSurfacePerColourAndImportGivesPositionsBack) {
  // 10.2 and 10.7 share one surface once the fraction is dropped.
  BuildCube(1, Color4{10.2f, 20, 30, 255}, Color4{10.7f, 20, 30, 255});
  ASSERT_EQ(Lwo_Write(1, "lwo_cube.lwo"), 1);
  std::string b = ReadFileString("lwo_cube.lwo");
  ASSERT_GE(b.size(), 32u);
  EXPECT_EQ(b.substr(0, 4), "FORM");
  EXPECT_EQ(b.substr(8, 4), "LWOB");
  EXPECT_EQ(b.substr(12, 4), "SRFS");
  EXPECT_EQ(b.substr(16, 4), std::string("\0\0\0\4", 4));
  EXPECT_EQ(b.substr(20, 4), std::string("KZ0\0", 4));
  u32 formLength = (u8)b[4] << 24 | (u8)b[5] << 16 | (u8)b[6] << 8 | (u8)b[7];
  EXPECT_EQ(formLength + 8, b.size());
  EXPECT_EQ(b.size() % 2, 0u);

  ASSERT_EQ(Shown(Lwo_Read, 2, "lwo_cube.lwo"), 1);
  Model3 *src = Model3_Get(1), *m = Model3_Get(2);
  ASSERT_EQ(m->positionCount, 8);
  for (int i = 0; i < 8; i++) {
    EXPECT_NEAR(m->positions[i].x, src->positions[i].x, 1e-5);
    EXPECT_NEAR(m->positions[i].y, src->positions[i].y, 1e-5);
    EXPECT_NEAR(m->positions[i].z, src->positions[i].z, 1e-5);
  }
  ASSERT_EQ(m->polygonCount, 6);
  for (int p = 0; p < 6; p++)
    for (int c = 0; c < 4; c++) EXPECT_EQ(m->polygons[p].corners[c].vertex, src->polygons[p].corners[c].vertex);
  EXPECT_EQ(m->groupCount, 1);
  EXPECT_FLOAT_EQ(m->groups[0].r, 10);

  // A polygon keeps its corner count, also 0 (here the cube's last face emptied).
  src->polygons[5].cornerCount = 0;
  ASSERT_EQ(Lwo_Write(1, "lwo_cube.lwo"), 1);
  ASSERT_EQ(Shown(Lwo_Read, 2, "lwo_cube.lwo"), 1);
  m = Model3_Get(2);
  ASSERT_EQ(m->polygonCount, 6);
  EXPECT_EQ(m->polygons[5].cornerCount, 0);
  remove("lwo_cube.lwo");
}

TEST_F(Lwo, ExportRefusesMoreThan65535Positions) {
  SetCapacity(17000);
  Model3 *m = BuildCube(1, Color4{1, 2, 3, 255}, Color4{1, 2, 3, 255});
  m->positionCount = 65536;
  WriteFileBytes("lwo_big.lwo", "old");
  EXPECT_EQ(Lwo_Write(1, "lwo_big.lwo"), 0);
  EXPECT_EQ(ReadFileString("lwo_big.lwo"), "old");
  EXPECT_EQ(Rec().errors.size(), 1u);
  m->positionCount = 65535;
  EXPECT_EQ(Lwo_Write(1, "lwo_big.lwo"), 1);
  remove("lwo_big.lwo");
}

TEST_F(Lwo, BadFilesLeaveTheSlotAsItWas) {
  std::string good = ReadFileString(DataPath("lwo/sample.lwo"));
  ASSERT_FALSE(good.empty());
  std::vector<FmtResult> cuts = ParseEveryCut(Lwo_Parse, good);
  for (size_t cut = 0; cut < cuts.size(); cut++) EXPECT_NE(cuts[cut], FMT_NOT_READ) << cut;   // never silent
  PutMarker(5);
  WriteFileBytes("lwo_bad.lwo", good.substr(0, good.size() - 3));
  EXPECT_EQ(Shown(Lwo_Read, 5, "lwo_bad.lwo"), 0);
  EXPECT_TRUE(IsMarker(5));
  ASSERT_EQ(Rec().errors.size(), 1u);   // shorter than its FORM length says
  EXPECT_NE(Rec().errors[0].find("FORM"), std::string::npos);
  Rec().errors.clear();
  // Not an IFF file: said as such.
  std::string s = good;
  s[0] = 'X';
  WriteFileBytes("lwo_bad.lwo", s);
  EXPECT_EQ(Shown(Lwo_Read, 5, "lwo_bad.lwo"), 0);
  ASSERT_EQ(Rec().errors.size(), 1u);
  Rec().errors.clear();
  // A polygon index beyond the points: refused with a reason.
  s = good;
  size_t pols = s.find("POLS") + 8;
  s[pols + 3] = 9;
  WriteFileBytes("lwo_bad.lwo", s);
  EXPECT_EQ(Shown(Lwo_Read, 5, "lwo_bad.lwo"), 0);
  EXPECT_EQ(Rec().errors.size(), 1u);
  // More points than the model holds.
  SetCapacity(1);
  EXPECT_EQ(Shown(Lwo_Read, 5, DataPath("lwo/sample.lwo").c_str()), 0);
  EXPECT_EQ(Rec().errors.size(), 2u);
  EXPECT_TRUE(IsMarker(5));
  remove("lwo_bad.lwo");
}
