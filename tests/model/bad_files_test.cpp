// Files that no reader may take in part: a model whose points span more than the views can
// take (each point finite, the size not), and counts that the file cannot hold. Every such
// file of every reader (tests/data/<format>/bad/, laid out as the formats' own programs
// write them) is refused with the message of its kind, naming the file, and the open model
// stays as it was. The X importer's other refusals and its one group without materials too.
#include <dirent.h>
#include <stdio.h>

#include <set>
#include <string>

#include "formats_test_util.h"
#include "model/finite.h"
#include "model/formats/fmt_local.h"
#include "model/formats/xfile.h"
#include "model/kzp.h"
#include "model_shown.h"

using namespace fmt_test;

namespace {

struct BadFile {
  const char *file;      // under tests/data/
  const char *message;   // what the refusal says (after the file's path)
};

const BadFile kBadFiles[] = {
    {"kzp/bad/extent.kzp", kKzMsgNotFinite},   // "%s" is the path
    {"mx/bad/extent.mx", kFmtMsgNotFinite},
    {"lwo/bad/extent.lwo", kFmtMsgNotFinite},
    {"mqo/bad/extent.mqo", kFmtMsgNotFinite},
    {"dxf/bad/extent.dxf", kFmtMsgNotFinite},
    {"rok/bad/extent.rok", kFmtMsgNotFinite},
    {"x/bad/extent.x", kKzMsgNotFinite},
    {"lwo/bad/polygon_count.lwo", kFmtMsgBroken},
    {"mqo/bad/vertex_count.mqo", kFmtMsgBroken},
    {"mqo/bad/face_count.mqo", kFmtMsgBroken},
};

class BadFiles : public FormatTest {};

TEST_F(BadFiles, EveryReaderRefusesThemAndKeepsTheOpenModel) {
  std::set<std::string> listed;
  for (const BadFile &b : kBadFiles) {
    SCOPED_TRACE(b.file);
    listed.insert(b.file);
    const std::string path = DataPath(b.file);
    PutMarker(5);
    Rec().errors.clear();
    EXPECT_EQ(Shown(Model3_OpenFile, 5, path.c_str()), nullptr);
    EXPECT_TRUE(IsMarker(5));
    ASSERT_EQ(Rec().errors.size(), 1u);
    const std::string &said = Rec().errors[0];
    EXPECT_NE(said.find(path), std::string::npos) << said;
    char want[512];
    snprintf(want, sizeof want, b.message, path.c_str());
    EXPECT_NE(said.find(want), std::string::npos) << said;
  }
  // Every file of the bad folders is in the table: a new one cannot go untried.
  for (const char *format : {"kzp", "mx", "lwo", "mqo", "dxf", "rok", "x"}) {
    std::string folder = std::string(format) + "/bad";
    DIR *d = opendir(DataPath(folder.c_str()).c_str());
    ASSERT_NE(d, nullptr) << folder;
    while (dirent *e = readdir(d)) {
      if (e->d_name[0] != '.') EXPECT_EQ(listed.count(folder + "/" + e->d_name), 1u) << e->d_name;
    }
    closedir(d);
  }
}

// Sizes at the edge: the views take a model of 1e12, not one of 1e13 (the cube of the
// diagonal stays a float up to about 7e12), nor one that runs from -3e38 to +3e38.
TEST(FiniteExtent, TheCubeOfTheDiagonalMustStayAFloat) {
  struct Case {
    Vec3 a, b;
    bool fits;
  };
  const Case cases[] = {
      {{0, 0, 0}, {0, 0, 0}, true},
      {{-5e11f, 0, 0}, {5e11f, 0, 0}, true},
      {{-5e12f, 0, 0}, {5e12f, 0, 0}, false},
      {{3e38f, 3e38f, 3e38f}, {3e38f, 3e38f, 3e38f}, true},   // far away, but no size
      {{-3e38f, 0, 0}, {3e38f, 0, 0}, false},
      {{0, -3e37f, 0}, {0, 3e37f, 0}, false},
      {{0, 0, -3e5f}, {1e4f, 2e4f, 3e5f}, true},
  };
  for (const Case &c : cases) {
    const Vec3 points[3] = {c.a, {0.5f * c.a.x + 0.5f * c.b.x, c.a.y, c.b.z}, c.b};
    EXPECT_EQ(Finite_Extent(points, 3), c.fits) << c.a.x << " " << c.a.y << " " << c.b.x;
  }
}

// X files: faces beyond the polygon limit are refused with the limit named (as the other
// importers refuse theirs), and a mesh without materials opens as one white group.
TEST_F(BadFiles, XFilesOverTheLimitAreRefusedAndWithoutMaterialsGetOneGroup) {
  const std::string quads = "xof 0303txt 0032\nMesh {\n 4;\n 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;;\n"
                            " 4;\n 3;0,1,2;, 3;0,2,3;, 3;0,1,3;, 3;1,2,3;;\n";
  const std::string materials = " MeshMaterialList { 1; 4; 0,0,0,0;; Material { 1;0;0;1;; 5; 0;0;0;; 0;0;0;; } }\n";
  struct Case {
    std::string text;
    u32 limit;
    i32 groups;   // 0: refused
  };
  const Case cases[] = {
      {quads + "}\n", 4, 1},
      {quads + materials + "}\n", 4, 1},
      {quads + "}\n", 3, 0},
      {quads + materials + "}\n", 3, 0},
  };
  for (const Case &c : cases) {
    SetCapacity(c.limit);
    WriteFileBytes("limit.x", c.text);
    PutMarker(5);
    Rec().errors.clear();
    Model3 *m = Shown(Model3_OpenFile, 5, "limit.x");
    if (!c.groups) {
      EXPECT_EQ(m, nullptr);
      EXPECT_TRUE(IsMarker(5));
      ASSERT_EQ(Rec().errors.size(), 1u);
      EXPECT_NE(Rec().errors[0].find("limit.x : ポリゴン数 4 ( 最大3を超えています )"), std::string::npos) << Rec().errors[0];
      continue;
    }
    ASSERT_NE(m, nullptr) << c.text;
    EXPECT_EQ(m->polygonCount, 4);
    ASSERT_EQ(m->groupCount, c.groups);
    for (i32 p = 0; p < m->polygonCount; p++) EXPECT_EQ(m->polygons[p].group, 0u);
    EXPECT_FLOAT_EQ(m->groups[0].a, 255.0f);
    EXPECT_TRUE(Rec().errors.empty());
  }
  remove("limit.x");
}

}  // namespace
