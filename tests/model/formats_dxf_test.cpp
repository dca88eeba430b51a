// DXF import: 3DFACE corners stored in the order 2, 1, 0, 3 with CR LF or LF line ends;
// broken group-code order fails; a file ending inside an entity keeps the faces before it.
#include "tests/model/formats_test_util.h"

using namespace fmt_test;

namespace {

class Dxf : public FormatTest {};

void ExpectSample(i32 slot) {
  Model3 *m = Model3_Get(slot);
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->polygonCount, 2);
  EXPECT_EQ(m->positionCount, 8);
  EXPECT_VEC3(m->positions[0], 1, 1, 0);
  EXPECT_VEC3(m->positions[1], 1, 0, 0);
  EXPECT_VEC3(m->positions[2], 0, 0, 0);
  EXPECT_VEC3(m->positions[3], 0, 1, 0);
  EXPECT_VEC3(m->positions[6], 1000.5f, 2, 3);   // "1 000.5": blanks removed
  for (int c = 0; c < 4; c++) EXPECT_EQ(m->polygons[1].corners[c].vertex, (u32)(4 + c));
  EXPECT_EQ(m->polygons[0].cornerCount, 4);
  EXPECT_EQ(m->colorCount, 1);
  EXPECT_FLOAT_EQ(m->colors[0].r, 255);
  EXPECT_EQ(m->uvCount, 1);
  EXPECT_FLOAT_EQ(m->groups[0].r, 200);
  EXPECT_FLOAT_EQ(m->groups[0].a, 255);
  EXPECT_EQ(m->groups[0].shading, 3u);
  EXPECT_EQ(m->groups[0].word0, 1u);
  EXPECT_VEC3(m->polygons[0].faceNormal, 0, 0, -1);
}

}  // namespace

TEST_F(Dxf, SampleReadsWithLfAndCrLf) {
  PutMarker(0);
  ASSERT_EQ(Dxf_Read(0, DataPath("dxf/sample.dxf").c_str()), 1);
  ExpectSample(0);
  ASSERT_EQ(Dxf_Read(1, DataPath("dxf/sample_crlf.dxf").c_str()), 1);
  ExpectSample(1);
}

TEST_F(Dxf, EndInsideAnEntityKeepsTheCompleteFaces) {
  std::string s = ReadBytes(DataPath("dxf/sample_crlf.dxf"));
  size_t second = s.find("3DFACE", s.find("3DFACE") + 1);
  WriteBytes("dxf_cut.dxf", s.substr(0, s.find("22", second)));
  ASSERT_EQ(Dxf_Read(0, "dxf_cut.dxf"), 1);
  EXPECT_EQ(Model3_Get(0)->polygonCount, 1);
  // Cut inside the first face: nothing complete, the import fails.
  PutMarker(0);
  WriteBytes("dxf_cut.dxf", s.substr(0, s.find("22")));
  EXPECT_EQ(Dxf_Read(0, "dxf_cut.dxf"), 0);
  EXPECT_TRUE(IsMarker(0));
  std::vector<FmtResult> cuts = ParseEveryCut(Dxf_Parse, s);
  for (size_t cut = 0; cut < cuts.size(); cut++) EXPECT_NE(cuts[cut], FMT_REFUSED) << cut;
  remove("dxf_cut.dxf");
}

TEST_F(Dxf, BrokenOrderFailsAndNonNumbersReadAsZero) {
  std::string s = ReadBytes(DataPath("dxf/sample.dxf"));
  PutMarker(3);
  std::string layerInside = s;
  layerInside.replace(layerInside.find(" 11\n"), 0, "  8\nWALLS\n");
  std::string noFaces = "  0\nSECTION\n  0\nENDSEC\n  0\nEOF\n";
  for (const std::string &t : {layerInside, noFaces}) {
    WriteBytes("dxf_bad.dxf", t);
    EXPECT_EQ(Dxf_Read(3, "dxf_bad.dxf"), 0);
    EXPECT_TRUE(IsMarker(3));
  }
  std::string word = s;
  word.replace(word.find("2.0"), 3, "abc");
  WriteBytes("dxf_bad.dxf", word);
  ASSERT_EQ(Dxf_Read(3, "dxf_bad.dxf"), 1);
  EXPECT_FLOAT_EQ(Model3_Get(3)->positions[6].y, 0);
  // More faces than the model holds: refused with a reason.
  PutMarker(3);
  SetCapacity(1);
  EXPECT_EQ(Dxf_Read(3, DataPath("dxf/sample.dxf").c_str()), 0);
  EXPECT_TRUE(IsMarker(3));
  EXPECT_EQ(Rec().errors.size(), 1u);
  remove("dxf_bad.dxf");
}
