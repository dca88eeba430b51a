// ROK import: the sample's points, edge chains and palette give the expected positions and
// colours with either line end; broken numbering, references and palettes fail cleanly.
#include "model_shown.h"
#include "tests/model/formats_test_util.h"

using namespace fmt_test;

namespace {

class Rok : public FormatTest {};

std::string ToLf(std::string s) {
  std::string out;
  for (char c : s)
    if (c != '\r') out += c;
  return out;
}

// Replaces the first occurrence of `from` (a whole line) with `to`.
std::string ReplaceLine(std::string s, const std::string &from, const std::string &to) {
  size_t at = s.find("\r\n" + from + "\r\n");
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) s.replace(at + 2, from.size(), to);
  return s;
}

void ExpectSample(i32 slot) {
  Model3 *m = Model3_Get(slot);
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->polygonCount, 2);
  EXPECT_EQ(m->positionCount, 8);
  EXPECT_EQ(m->colorCount, 8);
  // Edges (2, 1), (3, 1) give corners at points 2, 1, 3; y negated, x10.
  EXPECT_VEC3(m->positions[0], 40, -50, 60);
  EXPECT_VEC3(m->positions[1], 10, -20, 30);
  EXPECT_VEC3(m->positions[2], 70, -80, 90);
  EXPECT_VEC3(m->positions[3], 0, 0, 0);   // a triangle leaves its fourth position at zero
  EXPECT_EQ(m->polygons[0].cornerCount, 3);
  EXPECT_EQ(m->polygons[1].cornerCount, 4);
  EXPECT_EQ(m->polygons[1].corners[3].vertex, 7u);
  // Palette index 0 takes the first record (entry 1): the mean of its two triples.
  EXPECT_NEAR(m->colors[0].r, 0, 1e-4);
  EXPECT_NEAR(m->colors[0].g, 30, 1e-4);
  EXPECT_NEAR(m->colors[0].b, 40, 1e-4);
  EXPECT_NEAR(m->colors[4].r, 20, 1e-4);
  EXPECT_EQ(m->polygons[1].corners[2].color, 6u);
  EXPECT_EQ(m->uvCount, 1);
  EXPECT_EQ(m->groupCount, 1);
  EXPECT_EQ(m->groups[0].shading, 3u);
  EXPECT_EQ(m->groups[0].word0, 1u);
  EXPECT_EQ(m->vertexColorMode, 1u);
}

}  // namespace

TEST_F(Rok, SampleReadsTheSameWithEitherLineEnd) {
  std::string crlf = ReadFileString(DataPath("rok/sample.rok"));
  ASSERT_FALSE(crlf.empty());
  PutMarker(0);
  ASSERT_EQ(Shown(Rok_Read, 0, DataPath("rok/sample.rok").c_str()), 1);
  ExpectSample(0);
  WriteFileBytes("rok_lf.rok", ToLf(crlf));
  ASSERT_EQ(Shown(Rok_Read, 1, "rok_lf.rok"), 1);
  ExpectSample(1);
  remove("rok_lf.rok");
}

TEST_F(Rok, PaletteIndicesWithoutAnEntryTakeTheDefault) {
  std::string s = ReadFileString(DataPath("rok/sample.rok"));
  // Face 2's palette index (line "2" after corner count "4").
  size_t at = s.find("FACE0");
  at = s.find("\r\n4\r\n2\r\n", at);
  ASSERT_NE(at, std::string::npos);
  for (const char *index : {"13", "-5"}) {
    std::string t = s;
    t.replace(at + 5, 1, index);
    WriteFileBytes("rok_pal.rok", t);
    ASSERT_EQ(Shown(Rok_Read, 0, "rok_pal.rok"), 1) << index;
    EXPECT_NEAR(Model3_Get(0)->colors[4].r, 128, 1e-3) << index;
  }
  remove("rok_pal.rok");
}

TEST_F(Rok, BrokenFilesFailAndLeaveTheSlot) {
  std::string s = ReadFileString(DataPath("rok/sample.rok"));
  PutMarker(2);
  size_t face = s.find("FACE0");
  std::string fiveCorners = s;
  fiveCorners.replace(s.find("\r\n3\r\n0\r\n1\r\n", face) + 2, 1, "5");
  std::string twelve = ReplaceLine(s, "13", "12");
  std::string missingRecord = s.substr(0, s.rfind("ENDP0")) ;
  missingRecord = missingRecord.substr(0, missingRecord.size() - 2);
  missingRecord = missingRecord.substr(0, missingRecord.rfind("\r\n", missingRecord.size()));
  std::string badNumber = s;   // point 2 numbered 7
  badNumber.replace(s.find("\r\n2\r\n0\r\n0\r\n0\r\n0\r\n4\r\n") + 2, 1, "7");
  const std::string silent[] = {fiveCorners, twelve, s.substr(0, s.find("ENDP0")), badNumber, "", "POINT\r\nLINE0\r\n"};
  for (const std::string &t : silent) {
    WriteFileBytes("rok_bad.rok", t);
    EXPECT_EQ(Shown(Rok_Read, 2, "rok_bad.rok"), 0) << &t - silent;
    EXPECT_TRUE(IsMarker(2));
  }
  EXPECT_EQ(Rec().errors.size(), 0u);
  // Edge points 0 and count + 1, and an edge number 0: refused with a reason.
  size_t line0 = s.find("LINE0\r\n") + 7;
  std::string zeroPoint = s, pastPoint = s, zeroEdge = s;
  zeroPoint.replace(line0, 1, "0");
  pastPoint.replace(line0, 1, "5");
  zeroEdge.replace(s.find("\r\n3\r\n0\r\n1\r\n1\r\n", face) + 11, 1, "0");
  for (const std::string &t : {zeroPoint, pastPoint, zeroEdge}) {
    WriteFileBytes("rok_bad.rok", t);
    EXPECT_EQ(Shown(Rok_Read, 2, "rok_bad.rok"), 0);
    EXPECT_TRUE(IsMarker(2));
  }
  EXPECT_EQ(Rec().errors.size(), 3u);
  std::vector<FmtResult> cuts = ParseEveryCut(Rok_Parse, s);
  for (size_t cut = 0; cut < cuts.size(); cut++) EXPECT_NE(cuts[cut], FMT_REFUSED) << cut;
  // More faces than the model holds.
  SetCapacity(1);
  EXPECT_EQ(Shown(Rok_Read, 2, DataPath("rok/sample.rok").c_str()), 0);
  EXPECT_TRUE(IsMarker(2));
  remove("rok_bad.rok");
}
