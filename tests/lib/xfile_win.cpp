// X files under Wine, through the program's own reader: a text cube and its binary twin
// import into the same model, and our exported file loads back with every triangle intact.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "lib/framework/lib_state.h"
#include "model_shown.h"
#include "draw_device_win.h"
#include "lib/framework/lib.h"
#include "model/bytes.h"
#include "model/formats/xfile.h"
#include "model/model3.h"
#include "model/seam.h"
#include "xfile_tokens.h"

namespace {

// The unit cube as 12 unshared triangles: per face its normal and the four corners.
struct CubeFace {
  f32 n[3];
  f32 c[4][3];
};
const CubeFace kFaces[6] = {
    {{0, 0, -1}, {{-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}, {1, -1, -1}}},
    {{0, 0, 1}, {{1, -1, 1}, {1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}}},
    {{-1, 0, 0}, {{-1, -1, 1}, {-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}}},
    {{1, 0, 0}, {{1, -1, -1}, {1, 1, -1}, {1, 1, 1}, {1, -1, 1}}},
    {{0, 1, 0}, {{-1, 1, -1}, {-1, 1, 1}, {1, 1, 1}, {1, 1, -1}}},
    {{0, -1, 0}, {{-1, -1, 1}, {-1, -1, -1}, {1, -1, -1}, {1, -1, 1}}},
};
const f32 kUV[4][2] = {{0, 1}, {0, 0}, {1, 0}, {1, 1}};
const int kFan[6] = {0, 1, 2, 0, 2, 3};

struct CubeVertex {
  f32 p[3], n[3], uv[2];
};
std::vector<CubeVertex> CubeVertices() {
  std::vector<CubeVertex> v;
  for (const CubeFace &f : kFaces)
    for (int k : kFan) v.push_back({{f.c[k][0], f.c[k][1], f.c[k][2]}, {f.n[0], f.n[1], f.n[2]}, {kUV[k][0], kUV[k][1]}});
  return v;
}
// Faces 0..5 (the first three cube sides) use material 0, the rest material 1; material 2
// ("unused.png") is used by no face.
u32 FaceMaterial(int face) { return face < 6 ? 0 : 1; }

std::string TextCube() {
  std::vector<CubeVertex> v = CubeVertices();
  std::string s = "xof 0303txt 0032\nMesh cube {\n 36;\n";
  char buf[160];
  auto list = [&](size_t n, auto fmt) {
    for (size_t i = 0; i < n; i++) {
      s += fmt(i);
      s += (i + 1 < n) ? ",\n" : ";\n";
    }
  };
  list(36, [&](size_t i) { snprintf(buf, sizeof buf, " %f;%f;%f;", v[i].p[0], v[i].p[1], v[i].p[2]); return std::string(buf); });
  s += " 12;\n";
  list(12, [&](size_t f) { snprintf(buf, sizeof buf, " 3;%zu,%zu,%zu;", 3 * f, 3 * f + 1, 3 * f + 2); return std::string(buf); });
  s += " MeshMaterialList {\n  3;\n  12;\n";
  list(12, [&](size_t f) { return std::string("  ") + std::to_string(FaceMaterial((int)f)); });
  s += "  Material { 1.0;0.0;0.0;1.0;; 5.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"tex.png\"; } }\n";
  s += "  Material { 0.0;1.0;0.0;0.5;; 5.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; }\n";
  s += "  Material { 0.0;0.0;1.0;1.0;; 5.0; 0.0;0.0;0.0;; 0.0;0.0;0.0;; TextureFilename { \"unused.png\"; } }\n";
  s += " }\n MeshNormals {\n  36;\n";
  list(36, [&](size_t i) { snprintf(buf, sizeof buf, "  %f;%f;%f;", v[i].n[0], v[i].n[1], v[i].n[2]); return std::string(buf); });
  s += "  12;\n";
  list(12, [&](size_t f) { snprintf(buf, sizeof buf, "  3;%zu,%zu,%zu;", 3 * f, 3 * f + 1, 3 * f + 2); return std::string(buf); });
  s += " }\n MeshTextureCoords {\n  36;\n";
  list(36, [&](size_t i) { snprintf(buf, sizeof buf, "  %f;%f;", v[i].uv[0], v[i].uv[1]); return std::string(buf); });
  s += " }\n}\n";
  return s;
}

// The same cube in the binary encoding, token by token.
std::string BinaryCube() {
  std::vector<CubeVertex> v = CubeVertices();
  XTokens t{"xof 0303bin 0032"};
  std::vector<f32> pos, nrm, uv;
  std::vector<u32> faces = {12};
  for (const CubeVertex &c : v) {
    pos.insert(pos.end(), {c.p[0], c.p[1], c.p[2]});
    nrm.insert(nrm.end(), {c.n[0], c.n[1], c.n[2]});
    uv.insert(uv.end(), {c.uv[0], c.uv[1]});
  }
  for (u32 f = 0; f < 12; f++) faces.insert(faces.end(), {3, 3 * f, 3 * f + 1, 3 * f + 2});
  t.Open("Mesh");
  t.Ints({36});
  t.Floats(pos);
  t.Ints(faces);
  t.Open("MeshMaterialList");
  std::vector<u32> list = {3, 12};
  for (int f = 0; f < 12; f++) list.push_back(FaceMaterial(f));
  t.Ints(list);
  auto material = [&](std::vector<f32> colour, const char *texture) {
    t.Open("Material");
    colour.insert(colour.end(), {5, 0, 0, 0, 0, 0, 0});
    t.Floats(colour);
    if (texture) {
      t.Open("TextureFilename");
      t.String(texture);
      t.Close();
    }
    t.Close();
  };
  material({1, 0, 0, 1}, "tex.png");
  material({0, 1, 0, 0.5f}, nullptr);
  material({0, 0, 1, 1}, "unused.png");
  t.Close();
  t.NormalsAndCoords(36, nrm, faces, uv);
  t.Close();
  return t.s;
}

// One triangle as its three corners' position, normal and UV, for order-free comparison.
using Triangle = std::array<f32, 24>;
std::vector<Triangle> Triangles(const Model3 *m, f32 scale) {
  std::vector<Triangle> out;
  for (i32 p = 0; p < m->polygonCount; p++) {
    Triangle t{};
    for (int k = 0; k < 3; k++) {
      const PolyCorner &c = m->polygons[p].corners[k];
      const Vec3 &pos = m->positions[c.vertex];
      const Vec3 &n = m->normals[c.normal];
      const Vec2 &uv = m->uvs[c.uv];
      f32 values[8] = {pos.x * scale, pos.y * scale, pos.z * scale, n.x, n.y, n.z, uv.u, uv.v};
      std::copy(values, values + 8, t.begin() + 8 * k);
    }
    out.push_back(t);
  }
  std::sort(out.begin(), out.end());
  return out;
}

class XFileWin : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(TestDevice_Create(&dev_, 64, 64));
    g_Lib.device = dev_.device;
    saved_ = g_Seam;
    g_Seam.textureLoad = nullptr;   // texture files are not part of these tests
    errors_ = 0;
    g_Seam.errorBox = [](const char *) { errors_++; };   // never a modal box in a test
    g_MaxPolygons = 1000;
    g_MaxVertices = 4000;
  }
  void TearDown() override {
    for (int s = 0; s < MODEL3_SLOTS; s++) Model3_FreeSlot(s);
    g_Seam = saved_;
    g_Lib.device = nullptr;
    TestDevice_Destroy(&dev_);
  }
  static void Write(const char *path, const std::string &bytes) {
    ASSERT_TRUE(File_WriteAtomic(path, bytes.data(), bytes.size()));
  }
  TestDevice dev_;
  CoreSeam saved_;
  static int errors_;
};
int XFileWin::errors_;

TEST_F(XFileWin, TextCubeAndItsBinaryTwinGiveTheSameModel) {
  Write("cube_text.x", TextCube());
  Write("cube_bin.x", BinaryCube());
  EXPECT_EQ(Shown(XFile_Import, 2, "cube_bin.x"), 1);
  ASSERT_EQ(Shown(XFile_Import, 1, "cube_text.x"), 1);
  for (int slot : {1, 2}) {
    Model3 *m = Model3_Get(slot);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->positionCount, 36) << slot;
    EXPECT_EQ(m->polygonCount, 12);
    EXPECT_EQ(m->groupCount, 3);
    EXPECT_EQ(m->textureCount, 4);
    EXPECT_STREQ(m->textures[1].name, "tex.png");
    EXPECT_EQ(m->textures[2].used, 0u);
    EXPECT_STREQ(m->textures[3].name, "unused.png");
    EXPECT_STREQ(m->groups[0].name, "tex");
    EXPECT_FLOAT_EQ(m->groups[1].a, 127.5f);
    int perGroup[3] = {};
    for (i32 p = 0; p < m->polygonCount; p++) perGroup[m->polygons[p].group]++;
    EXPECT_EQ(perGroup[0], 6);
    EXPECT_EQ(perGroup[1], 6);
    EXPECT_EQ(perGroup[2], 0);
    f32 maxX = 0;
    for (i32 i = 0; i < m->positionCount; i++) maxX = std::max(maxX, m->positions[i].x);
    EXPECT_FLOAT_EQ(maxX, 5.0f);   // x 5.0
  }
  EXPECT_EQ(Triangles(Model3_Get(1), 1), Triangles(Model3_Get(2), 1));
}

TEST_F(XFileWin, ExportThenImportKeepsEveryTriangle) {
  Write("cube_text.x", TextCube());
  ASSERT_EQ(Shown(XFile_Import, 1, "cube_text.x"), 1);
  ASSERT_EQ(Shown(XFile_Export, 1, "cube_out.x"), 1);
  ASSERT_EQ(Shown(XFile_Import, 2, "cube_out.x"), 1);
  Model3 *a = Model3_Get(1), *b = Model3_Get(2);
  EXPECT_EQ(b->positionCount, 36);
  EXPECT_EQ(b->groupCount, 1);
  EXPECT_STREQ(b->textures[1].name, "tex.png");   // texture entry 1 of the source
  std::vector<Triangle> ta = Triangles(a, 1), tb = Triangles(b, 1);
  ASSERT_EQ(ta.size(), tb.size());
  for (size_t i = 0; i < ta.size(); i++)
    for (int k = 0; k < 24; k++) EXPECT_NEAR(ta[i][k], tb[i][k], 1e-5f);
}

TEST_F(XFileWin, UnreadableFilesLeaveTheSlotAlone) {
  g_ModelAllocArrays = 1;
  Model3 *marker = Model3_Init(5);
  marker->positionCount = 1;
  EXPECT_EQ(Shown(XFile_Import, 5, "missing.x"), (i32)0x80004005);
  std::string cut = BinaryCube();
  Write("cut.x", cut.substr(0, cut.size() / 2));
  EXPECT_NE(Shown(XFile_Import, 5, "cut.x"), 1);
  EXPECT_EQ(errors_, 1);   // the damaged file says why
  EXPECT_EQ(Model3_Get(5), marker);
  EXPECT_EQ(marker->positionCount, 1);
}

}  // namespace
