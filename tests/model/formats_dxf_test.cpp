// DXF import: 3DFACE corners stored in the order 2, 1, 0, 3 with CR LF or LF line ends;
// corner group codes in any order within an entity, a missing one fails; a file ending inside an entity keeps the faces before it.
#include "model_shown.h"
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
  ASSERT_EQ(Shown(Dxf_Read, 0, DataPath("dxf/sample.dxf").c_str()), 1);
  ExpectSample(0);
  ASSERT_EQ(Shown(Dxf_Read, 1, DataPath("dxf/sample_crlf.dxf").c_str()), 1);
  ExpectSample(1);
}

// A file cut anywhere before its "EOF" line is refused with a reason, also where the cut
// falls between whole faces (reading those would replace the model by a part of it).
TEST_F(Dxf, ACutFileIsRefusedWithAReason) {
  std::string s = ReadFileString(DataPath("dxf/sample_crlf.dxf"));
  size_t second = s.find("3DFACE", s.find("3DFACE") + 1);
  for (size_t cut : {s.find("22", second), second, s.find("22")}) {
    PutMarker(0);
    WriteFileBytes("dxf_cut.dxf", s.substr(0, cut));
    EXPECT_EQ(Shown(Dxf_Read, 0, "dxf_cut.dxf"), 0) << cut;
    EXPECT_TRUE(IsMarker(0)) << cut;
  }
  std::vector<FmtResult> cuts = ParseEveryCut(Dxf_Parse, s);
  size_t eof = s.rfind("EOF") + 3;
  for (size_t cut = 0; cut < cuts.size(); cut++)
    EXPECT_EQ(cuts[cut], cut < eof ? FMT_REFUSED : FMT_OK) << cut;   // never silent, never in part
  remove("dxf_cut.dxf");
}

// Corner codes in another order, as other programs write them (13, 23, 33 ... 10, 20, 30), and
// other codes among them read into the same model as the sample.
TEST_F(Dxf, CornerCodesInAnyOrderReadAlike) {
  std::string s = ReadFileString(DataPath("dxf/sample.dxf"));
  std::string reordered;
  size_t pos = 0;
  while (true) {
    size_t face = s.find("3DFACE\n", pos);
    if (face == std::string::npos) break;
    face += 7;
    reordered += s.substr(pos, face - pos);
    // The entity's code/value pairs up to the next code 0, corner pairs reversed.
    std::vector<std::pair<std::string, std::string>> pairs, corners;
    size_t p = face;
    while (true) {
      size_t e1 = s.find('\n', p), e2 = s.find('\n', e1 + 1);
      std::string code = s.substr(p, e1 - p), value = s.substr(e1 + 1, e2 - e1 - 1);
      if (code.find_first_not_of(' ') != std::string::npos && code.substr(code.find_first_not_of(' ')) == "0") break;
      int n = atoi(code.c_str());
      (n >= 10 && n <= 33 ? corners : pairs).push_back({code, value});
      p = e2 + 1;
    }
    ASSERT_EQ(corners.size(), 12u);
    for (int c = 3; c >= 0; c--) {   // corner 3 first, each corner's x, y, z in order
      for (int axis = 0; axis < 3; axis++) pairs.push_back(corners[3 * c + axis]);
      if (c == 2) pairs.push_back({" 62", "     3"});   // another code among the corners
    }
    for (auto &kv : pairs) reordered += kv.first + "\n" + kv.second + "\n";
    pos = p;
  }
  reordered += s.substr(pos);
  ASSERT_NE(reordered.find(" 33\n"), std::string::npos);
  ASSERT_LT(reordered.find(" 33\n"), reordered.find(" 10\n"));
  WriteFileBytes("dxf_reordered.dxf", reordered);
  ASSERT_EQ(Shown(Dxf_Read, 4, "dxf_reordered.dxf"), 1);
  ExpectSample(4);
  remove("dxf_reordered.dxf");
}

TEST_F(Dxf, MissingCornerFailsAndNonNumbersReadAsZero) {
  std::string s = ReadFileString(DataPath("dxf/sample.dxf"));
  PutMarker(3);
  std::string missingCorner = s;   // the first face without its code 23
  size_t at = missingCorner.find(" 23\n");
  missingCorner.erase(at, missingCorner.find("\n", at + 4) + 1 - at);
  std::string noFaces = "  0\nSECTION\n  0\nENDSEC\n  0\nEOF\n";
  for (const std::string &t : {missingCorner, noFaces}) {
    WriteFileBytes("dxf_bad.dxf", t);
    EXPECT_EQ(Shown(Dxf_Read, 3, "dxf_bad.dxf"), 0);
    EXPECT_TRUE(IsMarker(3));
  }
  std::string word = s;
  word.replace(word.find("2.0"), 3, "abc");
  WriteFileBytes("dxf_bad.dxf", word);
  ASSERT_EQ(Shown(Dxf_Read, 3, "dxf_bad.dxf"), 1);
  EXPECT_FLOAT_EQ(Model3_Get(3)->positions[6].y, 0);
  // More faces than the model holds: refused with a reason.
  PutMarker(3);
  SetCapacity(1);
  EXPECT_EQ(Shown(Dxf_Read, 3, DataPath("dxf/sample.dxf").c_str()), 0);
  EXPECT_TRUE(IsMarker(3));
  EXPECT_EQ(Rec().errors.size(), 3u);   // each refusal says why: the corner, no faces, the capacity
  remove("dxf_bad.dxf");
}
