// X files, portable half: the model built from a loaded mesh (groups by material, texture
// entries, scaling, refusals) and the binary writer's exact bytes.
#include "model_shown.h"
#include "model/formats/xfile.h"

#include "model/seam.h"
#include "tests/model/formats_test_util.h"
#include "xfile_tokens.h"

using namespace fmt_test;

namespace {

class XFileTest : public FormatTest {};

// Four triangles over six vertices; materials 1 and 2 are used, material 0 is not.
struct SampleMesh {
  XMeshVertex vertices[6];
  u32 indices[12] = {0, 1, 2, 2, 1, 3, 3, 4, 5, 5, 4, 0};
  XMaterial materials[3];
  XAttributeRange ranges[2] = {{1, 0, 2}, {2, 2, 2}};
  XMeshData data;
  SampleMesh() {
    for (int i = 0; i < 6; i++) vertices[i] = {{(f32)i, (f32)i + 0.5f, -(f32)i}, {0, 1, 0}, 0.25f * i, 1 - 0.25f * i};
    materials[0] = {{0, 0, 1, 1}, "unused.png"};
    materials[1] = {{1, 0.5f, 0, 1}, "tex/wood.png"};
    materials[2] = {{0, 1, 0, 0.5f}, ""};
    data = {vertices, 6, indices, 4, materials, 3, ranges, 2};
  }
};

TEST_F(XFileTest, MeshBecomesGroupsByMaterialNotByRangePosition) {
  SampleMesh s;
  Model3 *m = Fmt_NewModel();
  char reason[256] = "";
  ASSERT_TRUE(XFile_BuildModel(m, &s.data, "cube.x", reason, sizeof reason)) << reason;
  ASSERT_EQ(m->polygonCount, 4);
  // An unused first material must not shift the later groups.
  EXPECT_EQ(m->polygons[0].group, 1u);
  EXPECT_EQ(m->polygons[1].group, 1u);
  EXPECT_EQ(m->polygons[2].group, 2u);
  EXPECT_EQ(m->polygons[3].group, 2u);
  EXPECT_EQ(m->groupCount, 3);
  // Every material takes a texture entry, textured or not.
  EXPECT_EQ(m->textureCount, 4);
  EXPECT_EQ(m->textures[1].used, 1u);
  EXPECT_STREQ(m->textures[1].name, "unused.png");
  EXPECT_EQ(m->textures[2].used, 1u);
  EXPECT_STREQ(m->textures[2].name, "tex/wood.png");
  EXPECT_EQ(m->textures[3].used, 0u);
  EXPECT_STREQ(m->groups[1].name, "tex/wood");
  EXPECT_EQ(m->groups[2].texture, 3u);
  EXPECT_EQ(m->groups[2].mapping, 10);
  EXPECT_FLOAT_EQ(m->groups[1].g, 127.5f);
  EXPECT_FLOAT_EQ(m->groups[2].a, 127.5f);
  // Positions x 5.0; every corner indexes its own normal and UV, all of them in use.
  EXPECT_VEC3(m->positions[3], 15.0f, 17.5f, -15.0f);
  EXPECT_EQ(m->positionCount, 6);
  EXPECT_EQ(m->normalCount, 6);
  EXPECT_EQ(m->uvCount, 6);
  EXPECT_EQ(m->colorCount, 1);
  EXPECT_EQ(m->polygons[1].corners[2].normal, 3u);
  EXPECT_EQ(m->polygons[1].corners[2].color, 0u);
  Model3_Free(m);
}

TEST_F(XFileTest, MeshesBeyondCapacityOrWithBadIndicesAreRefused) {
  SampleMesh s;
  Model3 *m = Fmt_NewModel();
  char reason[256];

  XMeshData bad = s.data;
  u32 indices[12];
  memcpy(indices, s.indices, sizeof indices);
  indices[7] = 6;   // past the six vertices
  bad.indices = indices;
  EXPECT_FALSE(XFile_BuildModel(m, &bad, "a.x", reason, sizeof reason));
  EXPECT_NE(strstr(reason, "a.x"), nullptr);

  std::vector<XMaterial> many(128, s.materials[2]);
  bad = s.data;
  bad.materials = many.data();
  bad.materialCount = 128;
  EXPECT_FALSE(XFile_BuildModel(m, &bad, "a.x", reason, sizeof reason));

  std::vector<XAttributeRange> ranges(129, XAttributeRange{0, 0, 0});
  bad = s.data;
  bad.ranges = ranges.data();
  bad.rangeCount = 129;
  EXPECT_FALSE(XFile_BuildModel(m, &bad, "a.x", reason, sizeof reason));

  std::vector<XMeshVertex> verts(65536, s.vertices[0]);
  bad = s.data;
  bad.vertices = verts.data();
  bad.vertexCount = 65536;
  SetCapacity(20000);
  EXPECT_FALSE(XFile_BuildModel(m, &bad, "a.x", reason, sizeof reason));
  Model3_Free(m);
}

TEST_F(XFileTest, FacesBeyondThePolygonCapacityAreCutWithALogLine) {
  static std::vector<std::string> lines;
  lines.clear();
  g_Seam.logLine = [](const char *t) { lines.push_back(t); };
  SetCapacity(3);
  SampleMesh s;
  Model3 *m = Fmt_NewModel();
  char reason[256];
  ASSERT_TRUE(XFile_BuildModel(m, &s.data, "big.x", reason, sizeof reason));
  EXPECT_EQ(m->polygonCount, 3);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("big.x"), std::string::npos);
  Model3_Free(m);
}

// [SECTION] Writer

// A quad (0,1,2,3) and a two-corner polygon, which gives no triangle.
static Model3 *QuadModel(bool textured) {
  Model3 *m = Fmt_NewModel();
  for (int i = 0; i < 4; i++) {
    m->positions[i] = {5.0f * i, 10.0f, -5.0f};
    m->normals[i] = {0, 0, (f32)(i + 1)};
    m->uvs[i] = {0.5f * i, 1.0f};
  }
  m->positionCount = m->normalCount = m->uvCount = 4;
  m->polygonCount = 2;
  m->polygons[0].cornerCount = 4;
  for (u32 k = 0; k < 4; k++) m->polygons[0].corners[k] = {k, 3 - k, 0, k};
  m->polygons[1].cornerCount = 2;
  if (textured) {   // entry 1 in use names the texture, the texture count aside
    m->textures[1].used = 1;
    Model3_SetText(&m->textures[1].name, "skin.png");
  }
  return m;
}

static std::string ExpectedQuadFile(bool textured) {
  const u32 order[6] = {0, 1, 2, 0, 2, 3};   // the fan of the quad
  XTokens t{"xof 0303bin 0032"};
  t.Open("Mesh");
  t.Ints({6});
  std::vector<f32> pos, nrm, uv;
  for (u32 c : order) {
    pos.insert(pos.end(), {(5.0f * c) / 5.0f, 10.0f / 5.0f, -5.0f / 5.0f});
    nrm.insert(nrm.end(), {0, 0, (f32)(3 - c + 1)});
    uv.insert(uv.end(), {0.5f * c, 1.0f});
  }
  std::vector<u32> faces = {2, 3, 0, 1, 2, 3, 3, 4, 5};
  t.Floats(pos);
  t.Ints(faces);
  t.NormalsAndCoords(6, nrm, faces, uv);
  t.Open("MeshMaterialList");
  t.Ints({1, 2, 0, 0});
  t.Open("Material");
  t.Floats({1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0});
  if (textured) {
    t.Open("TextureFilename");
    t.String("skin.png");
    t.Close();
  }
  t.Close();
  t.Close();
  t.Close();
  return t.s;
}

TEST_F(XFileTest, WriterBytesMatchTheHandBuiltFile) {
  for (bool textured : {false, true}) {
    Model3 *m = QuadModel(textured);
    ByteWriter w = {};
    char reason[256];
    ASSERT_TRUE(XFile_WriteBinary(m, &w, reason, sizeof reason));
    EXPECT_EQ(std::string((char *)w.data, w.size), ExpectedQuadFile(textured)) << textured;
    Wr_Free(&w);
    Model3_Free(m);
  }
}

TEST_F(XFileTest, ExportRefusesTooManyVerticesAndKeepsTheOldFile) {
  SetCapacity(30000);
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_Init(3);
  m->positionCount = 3;
  m->polygonCount = 21846;   // 65,538 vertices
  for (i32 p = 0; p < m->polygonCount; p++) m->polygons[p].cornerCount = 3;
  std::string path = "x_export_test.x";
  WriteFileBytes(path, "old");
  EXPECT_EQ(Shown(XFile_Export, 3, path.c_str()), -1);
  EXPECT_EQ(ReadFileString(path), "old");
  ASSERT_EQ(Rec().errors.size(), 1u);

  m->polygonCount = 21845;   // 65,535 vertices fit
  EXPECT_EQ(Shown(XFile_Export, 3, path.c_str()), 1);
  EXPECT_GT(ReadFileString(path).size(), 65535u * 32);
  EXPECT_EQ(Shown(XFile_Export, 4, path.c_str()), -1);   // empty slot
  remove(path.c_str());
}

}  // namespace
