// Every prefix of a real file of each foreign format, opened the way the
// File menu opens it (Model3_OpenFile, the answer shown): each either reads the whole model
// or is refused with one message naming the file, and the open model stays as it was. The
// empty file included. The in-memory parsers agree: a cut binary file is refused with a
// reason once it has begun as the format's.
#include "model_shown.h"
#include "formats_test_util.h"
#include "model/formats/formats.h"
#include "model/formats/xfile.h"
#include "model/kzp.h"

using namespace fmt_test;

namespace {

struct PrefixCase {
  const char *ext;
  std::string bytes;
};

// The same model: counts, every position and every polygon's corners.
bool SameModel(const Model3 *a, const Model3 *b) {
  if (a->positionCount != b->positionCount || a->polygonCount != b->polygonCount || a->uvCount != b->uvCount ||
      a->groupCount != b->groupCount)
    return false;
  for (i32 i = 0; i < a->positionCount; i++)
    if (memcmp(&a->positions[i], &b->positions[i], sizeof(Vec3)) != 0) return false;
  for (i32 p = 0; p < a->polygonCount; p++)
    if (memcmp(a->polygons[p].corners, b->polygons[p].corners, sizeof a->polygons[p].corners) != 0) return false;
  return true;
}

// A small text X file: a frame holding a textured, two-material mesh with normals.
const char kTextX[] =
    "xof 0303txt 0032\n"
    "Frame Box {\n"
    " FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }\n"
    " Mesh {\n"
    "  4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n"
    "  2; 3;0,1,2;, 3;0,2,3;;\n"
    "  MeshNormals { 1; 0;0;1;; 2; 3;0,0,0;, 3;0,0,0;; }\n"
    "  MeshTextureCoords { 4; 0;0;, 1;0;, 1;1;, 0;1;; }\n"
    "  MeshMaterialList { 2; 2; 0, 1;;\n"
    "   Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }\n"
    "   Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"a.bmp\"; } }\n"
    "  }\n"
    " }\n"
    "}\n";

TEST_F(FormatTest, EveryPrefixThroughTheRealOpenReadsAllOrIsRefused) {
  std::vector<PrefixCase> cases = {
      {"lwo", ReadFileString(DataPath("lwo/sample.lwo"))}, {"mx", ReadFileString(DataPath("mx/sample.mx"))},
      {"mqo", ReadFileString(DataPath("mqo/sample.mqo"))}, {"dxf", ReadFileString(DataPath("dxf/sample_crlf.dxf"))},
      {"rok", ReadFileString(DataPath("rok/sample.rok"))}, {"x", kTextX},
  };
  SetCapacity(100);   // room for every sample; small, so the many opens stay quick
  // The binary X file: the cube written by the X writer.
  g_ModelAllocArrays = 1;
  ASSERT_NE(Shown(Model3_OpenFile, 6, DataPath("kzp/cube.kzp").c_str()), nullptr);
  ASSERT_EQ(Shown(XFile_Export, 6, "prefix_bin.x"), 1);
  cases.push_back({"x", ReadFileString("prefix_bin.x")});
  remove("prefix_bin.x");
  int read = 0, refused = 0;
  for (const PrefixCase &c : cases) {
    int readBefore = read;
    std::string path = std::string("prefix_test.") + c.ext;
    WriteFileBytes(path, c.bytes);
    g_ModelAllocArrays = 1;
    Model3 *whole = Shown(Model3_OpenFile, 2, path.c_str());
    ASSERT_NE(whole, nullptr) << c.ext;
    PutMarker(3);
    for (size_t n = 0; n < c.bytes.size(); n++) {
      WriteFileBytes(path, c.bytes.substr(0, n));
      if (!IsMarker(3)) PutMarker(3);   // only after a read replaced it: a marker is costly
      Rec().errors.clear();
      Model3 *m = Shown(Model3_OpenFile, 3, path.c_str());
      if (m) {
        EXPECT_TRUE(SameModel(m, whole)) << c.ext << " cut at " << n << " read in part";
        read++;
        continue;
      }
      refused++;
      EXPECT_TRUE(IsMarker(3)) << c.ext << " cut at " << n;
      ASSERT_EQ(Rec().errors.size(), 1u) << c.ext << " cut at " << n << " refused in silence";
      EXPECT_NE(Rec().errors[0].find(path), std::string::npos) << c.ext << " cut at " << n;
    }
    remove(path.c_str());
    printf("%s (%zu bytes): %zu prefixes, %d read whole, %zu refused with a message\n", c.ext, c.bytes.size(),
           c.bytes.size(), read - readBefore, c.bytes.size() - (size_t)(read - readBefore));
  }
  // Only cuts that lose nothing but trailing line ends or blanks read.
  EXPECT_LT(read, 40);
  EXPECT_GT(refused, 4900);
}

// The in-memory binary parsers refuse every cut with a reason once the header is whole.
TEST_F(FormatTest, EveryCutBinaryFileIsRefusedWithAReason) {
  const struct {
    const char *sample;
    FmtParseFn parse;
  } cases[] = {{"lwo/sample.lwo", Lwo_Parse}, {"mx/sample.mx", Mx_Parse}, {"rok/sample.rok", Rok_Parse}};
  for (const auto &c : cases) {
    std::string whole = ReadFileString(DataPath(c.sample));
    std::vector<FmtResult> cuts = ParseEveryCut(c.parse, whole);
    for (size_t n = 1; n < cuts.size(); n++) {
      if (whole.find_first_not_of("\r\n", n) == std::string::npos) continue;   // only the last line end lost
      EXPECT_NE(cuts[n], FMT_OK) << c.sample << " cut at " << n;
    }
  }
}

}  // namespace
