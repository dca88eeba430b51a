// MQO import: the sample's materials, objects, faces and UVs read into the expected model;
// the tokenizer's forms; LF line ends, missing "Eof", huge objects and out-of-range numbers.
#include "model_shown.h"
#include "tests/model/formats_test_util.h"

using namespace fmt_test;

namespace {

class Mqo : public FormatTest {};

const char *HEADER = "Metasequoia Document\r\nFormat Text Ver 1.0\r\n";

std::string Crlf(const std::string &s) {
  std::string out;
  for (char c : s) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

i32 ReadText(i32 slot, const std::string &body) {
  WriteFileBytes("mqo_test.mqo", HEADER + Crlf(body));
  return Shown(Mqo_Read, slot, "mqo_test.mqo");
}

}  // namespace

TEST(MqoToken, ParenthesesQuotesAndLineEnds) {
  char tok[64] = "unchanged";
  EXPECT_EQ(Mqo_NextToken("", tok, sizeof tok), nullptr);
  EXPECT_STREQ(tok, "unchanged");
  const char *line = "\t\"my name\" col(1.000 0.500 0.000 1.000) V(0 1 2)\r\n";
  const char *p = Mqo_NextToken(line, tok, sizeof tok);
  EXPECT_STREQ(tok, "my name");
  p = Mqo_NextToken(p, tok, sizeof tok);
  EXPECT_STREQ(tok, "col(1.000 0.500 0.000 1.000)");
  p = Mqo_NextToken(p, tok, sizeof tok);
  EXPECT_STREQ(tok, "V(0 1 2)");
  EXPECT_EQ(p, nullptr);
  char small[4];
  Mqo_NextToken("abcdefgh", small, sizeof small);
  EXPECT_STREQ(small, "abc");
}

TEST_F(Mqo, SampleReadsMaterialsObjectsAndFaces) {
  PutMarker(0);
  ASSERT_EQ(Shown(Mqo_Read, 0, DataPath("mqo/sample.mqo").c_str()), 1);
  Model3 *m = Model3_Get(0);
  ASSERT_EQ(m->positionCount, 11);
  EXPECT_VEC3(m->positions[0], 1, 2, -3);
  EXPECT_VEC3(m->positions[9], 10, 0, 0);
  ASSERT_EQ(m->groupCount, 2);
  EXPECT_STREQ(m->groups[0].name, "wood");
  EXPECT_FLOAT_EQ(m->groups[0].g, 127.5f);
  EXPECT_FLOAT_EQ(m->groups[1].a, 204);
  EXPECT_EQ(m->groups[0].texture, 1u);
  EXPECT_EQ(m->groups[1].texture, 0u);
  EXPECT_EQ(m->groups[0].mapping, 10);
  EXPECT_EQ(m->groups[1].mirror, 1u);   // "mirror" in the second object
  EXPECT_EQ(m->textureCount, 2);
  EXPECT_STREQ(m->textures[1].name, "wood.bmp");
  ASSERT_EQ(m->polygonCount, 4);
  const Polygon3 &quad = m->polygons[0];
  EXPECT_EQ(quad.cornerCount, 4);
  EXPECT_EQ(quad.corners[3].vertex, 3u);
  EXPECT_EQ(quad.corners[2].uv, 3u);
  EXPECT_FLOAT_EQ(m->uvs[quad.corners[2].uv].u, 1);
  EXPECT_FLOAT_EQ(m->uvs[quad.corners[3].uv].v, 1);
  EXPECT_EQ(m->uvCount, 5);
  EXPECT_EQ(m->polygons[1].corners[0].uv, 0u);   // untextured material: UV 0
  EXPECT_EQ(m->polygons[2].cornerCount, 2);
  // The second object's vertices start after the first's 8.
  const Polygon3 &wing = m->polygons[3];
  EXPECT_EQ(wing.corners[0].vertex, 8u);
  EXPECT_EQ(wing.corners[2].vertex, 10u);
  EXPECT_EQ(wing.group, 1u);
  EXPECT_EQ(m->colorCount, 1);
  ASSERT_FALSE(Rec().loads.empty());
  EXPECT_EQ(Rec().loads.back(), "wood.bmp");
  // Imported textures take the colour key a KZP model's textures take: opaque black.
  EXPECT_EQ(Rec().keys.back(), 0xFF000000u);
}

TEST_F(Mqo, LfLineEndsReadAsCrLfAndACutFileIsRefused) {
  std::string s = ReadFileString(DataPath("mqo/sample.mqo"));
  std::string lf;
  for (char c : s)
    if (c != '\r') lf += c;
  PutMarker(1);
  WriteFileBytes("mqo_crlf.mqo", s);
  ASSERT_EQ(Shown(Mqo_Read, 2, "mqo_crlf.mqo"), 1);
  WriteFileBytes("mqo_lf.mqo", lf);
  ASSERT_EQ(Shown(Mqo_Read, 1, "mqo_lf.mqo"), 1);
  EXPECT_EQ(Model3_Get(1)->polygonCount, Model3_Get(2)->polygonCount);
  EXPECT_EQ(Model3_Get(1)->positionCount, Model3_Get(2)->positionCount);
  EXPECT_EQ(Model3_Get(1)->groupCount, Model3_Get(2)->groupCount);
  remove("mqo_crlf.mqo");
  // Cut before "Eof" (inside the second object, or between objects): refused, the slot kept.
  for (size_t cut : {s.find("mirror 1"), s.find("Object", s.find("Object") + 1), s.find("Eof")}) {
    PutMarker(1);
    WriteFileBytes("mqo_lf.mqo", s.substr(0, cut));
    EXPECT_EQ(Shown(Mqo_Read, 1, "mqo_lf.mqo"), 0) << cut;
    EXPECT_TRUE(IsMarker(1)) << cut;
  }
  // Every cut after the header says why; only the whole file reads.
  std::vector<FmtResult> cuts = ParseEveryCut(Mqo_Parse, s);
  size_t header = s.find("Format Text Ver 1.0") + 21, eof = s.find("Eof") + 3;
  for (size_t cut = header; cut < cuts.size(); cut++)
    EXPECT_EQ(cuts[cut], cut < eof ? FMT_REFUSED : FMT_OK) << cut;
  remove("mqo_lf.mqo");
}

TEST_F(Mqo, GroupCountCoversUsedMaterialsAndUvStartsAtZero) {
  // No material chunk, a face of material 5 with texture-less material: 6 groups.
  ASSERT_EQ(ReadText(0, "Object \"a\" {\n vertex 3 {\n 0 0 0\n 1 0 0\n 0 1 0\n }\n face 1 {\n 3 V(0 1 2) M(5)\n }\n}\nEof\n"), 1);
  EXPECT_EQ(Model3_Get(0)->groupCount, 6);
  // A textured face before any UV(...) gets UV 0.
  ASSERT_EQ(ReadText(0, "Material 1 {\n \"t\" tex(\"a.bmp\")\n}\nObject \"a\" {\n vertex 3 {\n 0 0 0\n 1 0 0\n 0 1 0\n }\n"
                        " face 1 {\n 3 V(0 1 2) M(0)\n }\n}\nEof\n"),
            1);
  Model3 *m = Model3_Get(0);
  EXPECT_EQ(m->uvCount, 4);
  EXPECT_FLOAT_EQ(m->uvs[3].u, 0);
  // An unknown chunk inside an object does not end it early.
  ASSERT_EQ(ReadText(0, "Object \"a\" {\n vertex 3 {\n 0 0 0\n 1 0 0\n 0 1 0\n }\n vertexattr {\n  uid {\n  }\n }\n"
                        " face 1 {\n 3 V(0 1 2)\n }\n}\nEof\n"),
            1);
  EXPECT_EQ(Model3_Get(0)->polygonCount, 1);
  remove("mqo_test.mqo");
}

TEST_F(Mqo, OutOfRangeNumbersAreRefused) {
  PutMarker(2);
  std::string tooManyMaterials = "Material 129 {\n}\nEof\n";
  std::string badVertex = "Object \"a\" {\n vertex 3 {\n 0 0 0\n 1 0 0\n 0 1 0\n }\n face 1 {\n 3 V(0 1 3)\n }\n}\nEof\n";
  std::string badMaterial = "Object \"a\" {\n vertex 3 {\n 0 0 0\n 1 0 0\n 0 1 0\n }\n face 1 {\n 3 V(0 1 2) M(128)\n }\n}\nEof\n";
  for (const std::string &body : {tooManyMaterials, badVertex, badMaterial}) {
    EXPECT_EQ(ReadText(2, body), 0);
    EXPECT_TRUE(IsMarker(2));
  }
  EXPECT_EQ(Rec().errors.size(), 3u);
  // Vertices beyond the model's capacity.
  SetCapacity(1);
  EXPECT_EQ(ReadText(2, "Object \"a\" {\n vertex 5 {\n 0 0 0\n 0 0 0\n 0 0 0\n 0 0 0\n 0 0 0\n }\n}\nEof\n"), 0);
  EXPECT_TRUE(IsMarker(2));
  // An object of more than 160,000 vertices is abandoned: its faces are not read.
  SetCapacity(4000);
  std::string lines;
  for (int i = 0; i < 200000; i++) lines += " 0 0 0\n";
  ASSERT_EQ(ReadText(2, "Object \"a\" {\n vertex 200000 {\n" + lines + " }\n face 1 {\n 3 V(0 0 0)\n }\n}\nEof\n"), 1);
  EXPECT_EQ(Model3_Get(2)->polygonCount, 0);
  remove("mqo_test.mqo");
}
