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
      if (e->d_name[0] != '.') { EXPECT_EQ(listed.count(folder + "/" + e->d_name), 1u) << e->d_name; }
    }
    closedir(d);
  }
}

// Sizes at the edge: a width is hi - lo in float. (An MQO file cannot hold a model of no
// finite width: its reader scales every coordinate by 0.1.)
TEST(FiniteExtent, EveryWidthMustBeAFloat) {
  struct Case {
    Vec3 a, b;
    bool fits;
  };
  const Case cases[] = {
      {{0, 0, 0}, {0, 0, 0}, true},
      {{3e38f, 3e38f, 3e38f}, {3e38f, 3e38f, 3e38f}, true},   // far away, but no size
      {{-1.7e38f, 0, 0}, {1.7e38f, 0, 0}, true},
      {{-3e38f, 0, 0}, {3e38f, 0, 0}, false},
      {{0, -3.4e38f, 0}, {0, 1e38f, 0}, false},
      {{0, 0, -3e38f}, {1e4f, 2e4f, 3e38f}, false},
      {{-3e37f, -3e37f, -3e37f}, {3e37f, 3e37f, 3e37f}, true},
  };
  for (const Case &c : cases) {
    const Vec3 points[3] = {c.a, {0.5f * c.a.x + 0.5f * c.b.x, c.a.y, c.b.z}, c.b};
    EXPECT_EQ(Finite_Extent(points, 3), c.fits) << c.a.x << " " << c.a.y << " " << c.a.z;
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

namespace {

// The program never writes a KZP it would refuse to read: a model of no finite size is not
// saved, with a message naming the file, and the file there stays as it was.
TEST_F(BadFiles, AModelOfNoFiniteSizeIsNotSaved) {
  Model3 *m = Shown(Model3_OpenFile, 4, DataPath("kzp/cube.kzp").c_str());
  ASSERT_NE(m, nullptr);
  WriteFileBytes("size.kzp", std::string("old"));
  m->positions[0].x = -3e38f;
  m->positions[1].x = 3e38f;
  Rec().errors.clear();
  EXPECT_FALSE(Shown(Kzp_Write, m, "size.kzp"));
  ASSERT_EQ(Rec().errors.size(), 1u);
  EXPECT_NE(Rec().errors[0].find("size.kzp"), std::string::npos);
  EXPECT_EQ(ReadFileString("size.kzp"), "old");
  m->positions[0].x = -1e38f;   // a width of 6e38 is no float; one of 2.9e38 is saved and read back
  m->positions[1].x = 1.9e38f;
  EXPECT_TRUE(Shown(Kzp_Write, m, "size.kzp"));
  EXPECT_NE(Shown(Model3_OpenFile, 5, "size.kzp"), nullptr);
  remove("size.kzp");
}

}  // namespace
