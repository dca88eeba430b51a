// MX import and export: the hand-written sample reads into the expected model, export then
// import gives back positions and normals, and bad or oversized files leave the slot alone.
#include "model_shown.h"
#include "tests/model/formats_test_util.h"

using namespace fmt_test;

namespace {

class Mx : public FormatTest {};

// A model of one quad and one triangle with their own normals, UVs and colours; the
// triangle's group carries texture 2 (64 x 32 pixels).
Model3 *BuildModel(i32 slot) {
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_Init(slot);
  const Vec3 pos[7] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {5, 6, 7}, {8, 9, 10}, {11, 12, 14}};
  for (int i = 0; i < 7; i++) {
    m->positions[i] = pos[i];
    f32 l = sqrtf(1.0f + i * i + 4.0f);
    m->normals[i] = Vec3{1.0f / l, (f32)i / l, -2.0f / l};
    m->uvs[i] = Vec2{i * 0.125f, 1.0f - i * 0.0625f};
    m->colors[i] = Color4{10.7f * i, 20.0f, 250.9f, 255};
  }
  m->positionCount = m->normalCount = m->uvCount = m->colorCount = 7;
  m->polygons[0].cornerCount = 4;
  for (int c = 0; c < 4; c++) m->polygons[0].corners[c] = PolyCorner{(u32)c, (u32)c, (u32)c, (u32)c};
  m->polygons[0].group = 0;
  m->polygons[1].cornerCount = 3;
  for (int c = 0; c < 3; c++) m->polygons[1].corners[c] = PolyCorner{(u32)(4 + c), (u32)(4 + c), (u32)(4 + c), (u32)(4 + c)};
  m->polygons[1].group = 1;
  m->polygonCount = 2;
  m->groupCount = 2;
  m->groups[1].texture = 2;
  m->textures[2].used = 1;
  Model3_SetText(&m->textures[2].name, "bark.png");
  m->textures[2].width = 64;
  m->textures[2].height = 32;
  m->textureCount = 3;
  return m;
}

}  // namespace

TEST_F(Mx, SampleReadsCornersNormalsUVsAndTextureNumbers) {
  Rec().images["stone.bmp"] = {64, 128};
  PutMarker(3);
  ASSERT_EQ(Shown(Mx_Read, 3, DataPath("mx/sample.mx").c_str()), 1);
  Model3 *m = Model3_Get(3);
  ASSERT_NE(m, nullptr);
  ASSERT_EQ(m->polygonCount, 2);
  EXPECT_EQ(m->positionCount, 8);
  EXPECT_EQ(m->normalCount, 8);
  EXPECT_EQ(m->colorCount, 8);
  EXPECT_EQ(m->uvCount, 8);
  // Position slots A, C, B, A give the quad A, B, C, A.
  EXPECT_VEC3(m->positions[0], 1, 2, 3);
  EXPECT_VEC3(m->positions[1], 4, 5, 6);
  EXPECT_VEC3(m->positions[2], 7, 8, 9);
  EXPECT_VEC3(m->positions[3], 1, 2, 3);
  EXPECT_VEC3(m->normals[0], 0, 0, -1);
  EXPECT_VEC3(m->normals[1], 1, 0, 0);
  EXPECT_VEC3(m->normals[2], 0, -1, 0);
  EXPECT_FLOAT_EQ(m->uvs[1].u, 0.5f);
  EXPECT_FLOAT_EQ(m->uvs[2].v, 0.5f);
  EXPECT_FLOAT_EQ(m->colors[0].r, 16);
  EXPECT_FLOAT_EQ(m->colors[0].b, 48);
  EXPECT_FLOAT_EQ(m->colors[0].a, 255);
  for (int c = 0; c < 4; c++) EXPECT_EQ(m->polygons[1].corners[c].vertex, (u32)(4 + c));
  EXPECT_EQ(m->polygons[0].group, 1u);
  // Texture index -1 has no size: UV 0, not a division by zero.
  for (int v = 4; v < 8; v++) EXPECT_EQ(m->uvs[v].u, 0.0f);
  // Three name records: three groups; texture n is record n - 1 (record 1 is empty).
  EXPECT_EQ(m->groupCount, 3);
  EXPECT_EQ(m->groups[1].texture, 1u);
  EXPECT_EQ(m->groups[0].texture, 0u);
  EXPECT_EQ(m->textureCount, 4);
  EXPECT_STREQ(m->textures[1].name, "stone.bmp");
  EXPECT_EQ(m->textures[2].used, 0u);
  EXPECT_STREQ(m->textures[3].name, "moss.bmp");
  EXPECT_EQ(m->vertexColorMode, 1u);
  EXPECT_EQ(m->textures[1].width, 64);
  ASSERT_NE(g_ModelPoses[3], nullptr);
  EXPECT_NE(g_ModelPoses[3]->textures[1], nullptr);
  EXPECT_EQ(Rec().errors.size(), 0u);
}

TEST_F(Mx, ExportThenImportKeepsPositionsNormalsUVsAndTextures) {
  Rec().images["bark.bmp"] = {64, 32};
  Model3 *src = BuildModel(1);
  ASSERT_EQ(Mx_Write(1, "mx_roundtrip.mx"), 1);
  std::string bytes = ReadFileString("mx_roundtrip.mx");
  // Header, scene block, 2 faces, names up to texture 2 (group 1 uses it).
  ASSERT_EQ(bytes.size(), 92u + 2 * 168u + 2 * 16u);
  EXPECT_EQ(bytes.substr(92 + 2 * 168 + 16, 5), std::string("bark\0", 5));
  ASSERT_EQ(Shown(Mx_Read, 2, "mx_roundtrip.mx"), 1);
  Model3 *m = Model3_Get(2);
  src = Model3_Get(1);
  ASSERT_EQ(m->polygonCount, 2);
  for (int p = 0; p < 2; p++) {
    const Polygon3 &a = src->polygons[p];
    const Polygon3 &b = m->polygons[p];
    EXPECT_EQ(b.group, a.group);
    for (int c = 0; c < 4; c++) {
      int sc = c < a.cornerCount ? c : 0;   // a triangle comes back with corner 0 repeated
      Vec3 pa = src->positions[a.corners[sc].vertex], pb = m->positions[b.corners[c].vertex];
      EXPECT_VEC3(pb, pa.x, pa.y, pa.z);
      Vec3 na = src->normals[a.corners[sc].normal], nb = m->normals[b.corners[c].normal];
      EXPECT_VEC3(nb, na.x, na.y, na.z);
      if (p == 1) {
        Vec2 ua = src->uvs[a.corners[sc].uv], ub = m->uvs[b.corners[c].uv];
        EXPECT_FLOAT_EQ(ub.u, ua.u);
        EXPECT_FLOAT_EQ(ub.v, ua.v);
      }
    }
  }
  // The quad's face colour is corner 3's; the triangle's is corner 0's (truncated).
  EXPECT_FLOAT_EQ(m->colors[0].r, 32);
  EXPECT_FLOAT_EQ(m->colors[4].r, 42);
  EXPECT_EQ(m->groups[1].texture, 2u);
  EXPECT_STREQ(m->textures[2].name, "bark.bmp");
  remove("mx_roundtrip.mx");
}

TEST_F(Mx, ShortPolygonsArePaddedWithCornerZero) {
  Model3 *m = BuildModel(1);
  m->polygons[0].cornerCount = 2;
  m->polygons[1].cornerCount = 1;
  ASSERT_EQ(Mx_Write(1, "mx_short.mx"), 1);
  ASSERT_EQ(Shown(Mx_Read, 2, "mx_short.mx"), 1);
  Model3 *r = Model3_Get(2);
  EXPECT_VEC3(r->positions[1], 1, 0, 0);
  EXPECT_VEC3(r->positions[2], 0, 0, 0);
  EXPECT_VEC3(r->positions[3], 0, 0, 0);
  for (int c = 0; c < 4; c++) EXPECT_VEC3(r->positions[4 + c], 5, 6, 7);
  remove("mx_short.mx");
}

TEST_F(Mx, LongTextureNamesAreCutAtFifteenBytes) {
  Model3 *m = BuildModel(1);
  Model3_SetText(&m->textures[2].name, "a_very_long_texture_name.png");
  ASSERT_EQ(Mx_Write(1, "mx_names.mx"), 1);
  std::string bytes = ReadFileString("mx_names.mx");
  EXPECT_EQ(bytes.substr(92 + 2 * 168 + 16, 16), std::string("a_very_long_tex\0", 16));
  remove("mx_names.mx");
}

TEST_F(Mx, BadFilesLeaveTheSlotAsItWas) {
  std::string good = ReadFileString(DataPath("mx/sample.mx"));
  ASSERT_FALSE(good.empty());
  PutMarker(4);
  std::vector<FmtResult> cuts = ParseEveryCut(Mx_Parse, good);
  for (size_t cut = 0; cut < cuts.size(); cut++) EXPECT_EQ(cuts[cut], FMT_NOT_READ) << cut;
  WriteFileBytes("mx_cut.mx", good.substr(0, good.size() - 1));
  EXPECT_EQ(Shown(Mx_Read, 4, "mx_cut.mx"), 0);
  EXPECT_TRUE(IsMarker(4));
  auto patch = [&](size_t at, i32 v) {
    std::string s = good;
    memcpy(&s[at], &v, 4);
    return s;
  };
  // Negative block size; more faces than the model holds; more than 128 names.
  const std::string bad[] = {patch(16, -168), patch(16, 168 * 4001), patch(24, 16 * 129)};
  for (const std::string &s : bad) {
    WriteFileBytes("mx_bad.mx", s);
    EXPECT_EQ(Shown(Mx_Read, 4, "mx_bad.mx"), 0);
    EXPECT_TRUE(IsMarker(4));
  }
  EXPECT_EQ(Rec().errors.size(), 2u);   // the two capacity refusals say why
  // A group index beyond the 128 groups and a texture index beyond the table.
  std::string s = good;
  i16 g = 300;
  memcpy(&s[92 + 166], &g, 2);
  WriteFileBytes("mx_bad.mx", s);
  EXPECT_EQ(Shown(Mx_Read, 4, "mx_bad.mx"), 0);
  s = good;
  g = 200;
  memcpy(&s[92 + 164], &g, 2);
  WriteFileBytes("mx_bad.mx", s);
  EXPECT_EQ(Shown(Mx_Read, 4, "mx_bad.mx"), 0);
  EXPECT_TRUE(IsMarker(4));
  EXPECT_EQ(Shown(Mx_Read, 4, "no/such/file.mx"), 0);
  EXPECT_EQ(Shown(Mx_Read, 300, DataPath("mx/sample.mx").c_str()), 0);
  remove("mx_cut.mx");
  remove("mx_bad.mx");
}

TEST_F(Mx, FailedExportKeepsTheOldFile) {
  BuildModel(1);
  WriteFileBytes("mx_keep.mx", "old");
  EXPECT_EQ(Mx_Write(1, "no/such/dir/x.mx"), 0);
  EXPECT_EQ(Mx_Write(7, "mx_keep.mx"), 0);   // empty slot
  EXPECT_EQ(ReadFileString("mx_keep.mx"), "old");
  remove("mx_keep.mx");
}
