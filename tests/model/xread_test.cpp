// X file reader: files laid out as exporters write them (standard templates used without
// being declared, skinning, duplication indices and animation, several meshes in frames, a
// material referenced by name), in the text, binary, 64-bit-float and MSZIP-compressed
// encodings, import to the same model; damaged files are refused with the reason.
#include <zlib.h>

#include <algorithm>

#include "model_shown.h"
#include "model/formats/xfile.h"
#include "model/formats/xread.h"
#include "tests/model/formats_test_util.h"
#include "tests/support/mszip.h"
#include "model/seam_texkey.h"

using namespace fmt_test;

namespace {

// [SECTION] Writing test files

// One X file as a list of items, written in either encoding.
struct XDoc {
  enum Kind { NAME, OPEN, CLOSE, INTS, FLOATS, STRING, REF };
  struct Item {
    Kind kind;
    std::string s;
    std::vector<double> v;
  };
  std::vector<Item> items;
  XDoc &Obj(const std::string &type, const std::string &name = "") {
    items.push_back({NAME, type, {}});
    if (!name.empty()) items.push_back({NAME, name, {}});
    items.push_back({OPEN, "", {}});
    return *this;
  }
  XDoc &End() { return Add(CLOSE, "", {}); }
  XDoc &Ints(std::vector<double> v) { return Add(INTS, "", v); }
  XDoc &Floats(std::vector<double> v) { return Add(FLOATS, "", v); }
  XDoc &Str(const std::string &s) { return Add(STRING, s, {}); }
  XDoc &Ref(const std::string &s) { return Add(REF, s, {}); }
  XDoc &Add(Kind k, const std::string &s, std::vector<double> v) {
    items.push_back({k, s, std::move(v)});
    return *this;
  }
};

// Text as exporters lay it out; `ends` gets the offsets where a top-level object ends.
std::string Text(const XDoc &d, std::vector<size_t> *ends = nullptr) {
  std::string s = "xof 0303txt 0032\n";
  int depth = 0;
  char buf[64];
  for (const XDoc::Item &it : d.items) {
    switch (it.kind) {
      case XDoc::NAME: s += it.s + " "; break;
      case XDoc::OPEN: s += "{\n"; depth++; break;
      case XDoc::CLOSE:
        s += "}";
        if (--depth == 0 && ends) ends->push_back(s.size());
        s += "\n";
        break;
      case XDoc::INTS:
      case XDoc::FLOATS:
        for (size_t i = 0; i < it.v.size(); i++) {
          snprintf(buf, sizeof buf, it.kind == XDoc::INTS ? "%.0f" : "%f", it.v[i]);
          s += buf;
          s += i + 1 < it.v.size() ? (it.kind == XDoc::INTS ? "," : ";") : ";";
        }
        s += "\n";
        break;
      case XDoc::STRING: s += "\"" + it.s + "\";\n"; break;
      case XDoc::REF: s += "{ " + it.s + " }\n"; break;
    }
  }
  return s;
}

struct BinaryOut {
  std::string s;
  void Word(u16 v) { s.append((const char *)&v, 2); }
  void Dword(u32 v) { s.append((const char *)&v, 4); }
  void Name(const std::string &n) { Word(1); Dword((u32)n.size()); s += n; }
};

std::string Binary(const XDoc &d, bool doubles, std::vector<size_t> *ends = nullptr) {
  BinaryOut b;
  b.s = doubles ? "xof 0303bin 0064" : "xof 0303bin 0032";
  int depth = 0;
  for (const XDoc::Item &it : d.items) {
    switch (it.kind) {
      case XDoc::NAME: b.Name(it.s); break;
      case XDoc::OPEN: b.Word(10); depth++; break;
      case XDoc::CLOSE:
        b.Word(11);
        if (--depth == 0 && ends) ends->push_back(b.s.size());
        break;
      case XDoc::INTS:
        b.Word(6);
        b.Dword((u32)it.v.size());
        for (double x : it.v) b.Dword((u32)x);
        break;
      case XDoc::FLOATS:
        b.Word(7);
        b.Dword((u32)it.v.size());
        for (double x : it.v) {
          if (doubles) b.s.append((const char *)&x, 8);
          else {
            f32 f = (f32)x;
            b.s.append((const char *)&f, 4);
          }
        }
        break;
      case XDoc::STRING: b.Word(2); b.Dword((u32)it.s.size()); b.s += it.s; b.Word(20); break;
      case XDoc::REF: b.Word(10); b.Name(it.s); b.Word(11); break;
    }
  }
  return b.s;
}

// MSZIP form at zlib's best compression; zlib must take every step.
std::string Mszip(const std::string &plain) {
  bool ok = false;
  std::string out = ::Mszip(plain, 9, &ok);
  EXPECT_TRUE(ok);
  return out;
}

std::vector<double> Matrix(double s, double tx, double ty) {
  return {s, 0, 0, 0, 0, s, 0, 0, 0, 0, s, 0, tx, ty, 0, 1};
}

// A skinned, animated character as a modeller's exporter writes it, no template declared:
// a shared material, a frame (x2, moved 10 along x) holding a cube with face normals, two
// materials, duplication indices and skin weights, and a child frame (moved 5 up) with an
// unlit triangle without materials; then the tick rate and an animation set. With `grid`, a
// top-level 40 x 40 quad grid at z = -3 (one material given once for all faces) comes first,
// which takes the file past one compressed block.
XDoc Character(bool grid) {
  XDoc d;
  d.Obj("Header").Ints({1, 0, 1}).End();
  d.Obj("Material", "Shared").Floats({0.5, 0.5, 1, 1}).Floats({5}).Floats({0, 0, 0}).Floats({0, 0, 0});
  d.Obj("TextureFilename").Str("body.bmp").End().End();
  if (grid) {
    std::vector<double> pos = {41 * 41}, faces = {40 * 40}, uv = {41 * 41};
    for (int j = 0; j <= 40; j++)
      for (int i = 0; i <= 40; i++) {
        pos.insert(pos.end(), {-4 + 0.2 * i, -4 + 0.2 * j, -3});
        uv.insert(uv.end(), {i / 40.0, j / 40.0});
      }
    for (int j = 0; j < 40; j++)
      for (int i = 0; i < 40; i++) {
        double a = j * 41 + i;
        faces.insert(faces.end(), {4, a, a + 1, a + 42, a + 41});
      }
    d.Obj("Mesh", "Grid").Ints({pos[0]}).Floats({pos.begin() + 1, pos.end()}).Ints(faces);
    d.Obj("MeshTextureCoords").Ints({uv[0]}).Floats({uv.begin() + 1, uv.end()}).End();
    d.Obj("MeshMaterialList").Ints({1, 1, 0}).Obj("Material").Floats({0.25, 0.25, 0.25, 1, 1, 0, 0, 0, 0, 0, 0});
    d.End().End().End();
  }
  d.Obj("Frame", "Scene_Root").Obj("FrameTransformMatrix").Floats(Matrix(2, 10, 0)).End();
  d.Obj("Frame", "Body").Obj("FrameTransformMatrix").Floats(Matrix(1, 0, 0)).End();
  d.Obj("Mesh", "BodyMesh").Ints({8});
  d.Floats({-1, -1, -1, 1, -1, -1, 1, 1, -1, -1, 1, -1, -1, -1, 1, 1, -1, 1, 1, 1, 1, -1, 1, 1});
  d.Ints({6, 4, 0, 3, 2, 1, 4, 4, 5, 6, 7, 4, 0, 4, 7, 3, 4, 1, 2, 6, 5, 4, 3, 7, 6, 2, 4, 0, 1, 5, 4});
  d.Obj("MeshNormals").Ints({6}).Floats({0, 0, -1, 0, 0, 1, -1, 0, 0, 1, 0, 0, 0, 1, 0, 0, -1, 0});
  d.Ints({6, 4, 0, 0, 0, 0, 4, 1, 1, 1, 1, 4, 2, 2, 2, 2, 4, 3, 3, 3, 3, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5}).End();
  d.Obj("MeshTextureCoords").Ints({8}).Floats({0, 0, 1, 0, 1, 1, 0, 1, 0, 0, 1, 0, 1, 1, 0, 1}).End();
  d.Obj("MeshMaterialList").Ints({2, 6, 0, 0, 0, 0, 1, 1}).Ref("Shared");
  d.Obj("Material", "Red").Floats({1, 0, 0, 1, 10, 1, 1, 1, 0, 0, 0}).End().End();
  d.Obj("VertexDuplicationIndices").Ints({8, 8, 0, 1, 2, 3, 4, 5, 6, 7}).End();
  d.Obj("XSkinMeshHeader").Ints({2, 4, 1}).End();
  d.Obj("SkinWeights").Str("Arm").Ints({8, 0, 1, 2, 3, 4, 5, 6, 7}).Floats({1, 1, 1, 1, 1, 1, 1, 1});
  d.Floats(Matrix(1, 0, 0)).End();
  d.End().End();   // BodyMesh, Body
  d.Obj("Frame", "Arm").Obj("FrameTransformMatrix").Floats(Matrix(1, 0, 5)).End();
  d.Obj("Mesh", "ArmMesh").Ints({3}).Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}).Ints({1, 3, 0, 1, 2}).End();
  d.End().End();   // Arm, Scene_Root
  d.Obj("AnimTicksPerSecond").Ints({4800}).End();
  d.Obj("AnimationSet", "Walk").Obj("Animation").Ref("Arm").Obj("AnimationKey").Ints({2, 2, 0, 3});
  d.Floats({0, 0, 0}).Ints({4800, 3}).Floats({0, 5, 0}).End().End().End();
  return d;
}

struct Extents {
  Vec3 lo = {1e30f, 1e30f, 1e30f}, hi = {-1e30f, -1e30f, -1e30f};
};
Extents Bounds(const Model3 *m) {
  Extents e;
  for (i32 i = 0; i < m->positionCount; i++) {
    const Vec3 &p = m->positions[i];
    e.lo = {std::min(e.lo.x, p.x), std::min(e.lo.y, p.y), std::min(e.lo.z, p.z)};
    e.hi = {std::max(e.hi.x, p.x), std::max(e.hi.y, p.y), std::max(e.hi.z, p.z)};
  }
  return e;
}

class XReadTest : public FormatTest {};

// [SECTION] Files as exporters write them

TEST_F(XReadTest, ExporterFilesImportAlikeInEveryEncoding) {
  struct Expect {
    bool grid;
    i32 positions, polygons, groups;
    std::vector<int> perGroup;
    Extents box;
  };
  const Expect expects[] = {
      {false, 27, 13, 3, {8, 4, 1}, {{40, -10, -10}, {60, 60, 10}}},
      {true, 27 + 1681, 13 + 1600 * 2, 4, {3200, 8, 4, 1}, {{-20, -20, -15}, {60, 60, 10}}},
  };
  for (const Expect &e : expects) {
    XDoc doc = Character(e.grid);
    const std::string files[] = {Text(doc), Binary(doc, false), Binary(doc, true), Mszip(Text(doc)),
                                 Mszip(Binary(doc, false))};
    if (e.grid) { ASSERT_GT(Text(doc).size(), 3 * 32768u); }   // several compressed blocks
    for (const std::string &file : files) {
      SCOPED_TRACE(file.substr(0, 16) + (e.grid ? " with grid" : ""));
      Model3 *m = Fmt_NewModel();
      FmtStatus st = {};
      ASSERT_EQ(XFile_Parse(m, (const u8 *)file.data(), file.size(), &st), FMT_OK) << st.reason;
      EXPECT_EQ(m->positionCount, e.positions);   // the cube's corners once per face normal
      EXPECT_EQ(m->polygonCount, e.polygons);
      EXPECT_EQ(m->groupCount, e.groups);
      std::vector<int> perGroup(e.groups);
      for (i32 p = 0; p < m->polygonCount; p++) perGroup[m->polygons[p].group]++;
      EXPECT_EQ(perGroup, e.perGroup);
      Extents box = Bounds(m);
      EXPECT_VEC3(box.lo, e.box.lo.x, e.box.lo.y, e.box.lo.z);
      EXPECT_VEC3(box.hi, e.box.hi.x, e.box.hi.y, e.box.hi.z);
      // The referenced material keeps its texture; the unlit triangle's material is white.
      i32 shared = e.grid ? 1 : 0;
      EXPECT_STREQ(m->textures[shared + 1].name, "body.bmp");
      EXPECT_STREQ(m->groups[shared].name, "body");
      EXPECT_FLOAT_EQ(m->groups[shared].b, 255.0f);
      EXPECT_FLOAT_EQ(m->groups[shared + 1].r, 255.0f);
      EXPECT_FLOAT_EQ(m->groups[shared + 1].g, 0.0f);
      EXPECT_FLOAT_EQ(m->groups[e.groups - 1].g, 255.0f);
      // Face normals survive the frame's scaling as unit vectors along the face.
      for (i32 p = 0; p < m->polygonCount; p++) {
        if (m->polygons[p].group != (u32)shared + 1) continue;   // the top and bottom faces
        for (int k = 0; k < 3; k++) {
          Vec3 n = m->normals[m->polygons[p].corners[k].normal];
          EXPECT_FLOAT_EQ(fabsf(n.y), 1.0f);
          EXPECT_FLOAT_EQ(n.x, 0.0f);
        }
      }
      Model3_Free(m);
    }
  }
}

TEST_F(XReadTest, ImportThroughTheSlotLoadsTexturesAndKeepsTheSlotOnFailure) {
  Rec().images["body.bmp"] = {64, 32};
  WriteFileBytes("xread_test.x", Mszip(Binary(Character(false), false)));
  ASSERT_EQ(Shown(XFile_Import, 2, "xread_test.x"), 1);
  EXPECT_EQ(Model3_Get(2)->textures[1].width, 64);
  EXPECT_EQ(Rec().keys, std::vector<u32>{SEAM_MODEL_TEXTURE_KEY});

  // Damaged: the reason, the slot as it was. Beyond the model's capacity: -1, the reason.
  std::string text = Text(Character(false));
  WriteFileBytes("xread_test.x", text.substr(0, text.size() / 2));
  PutMarker(3);
  EXPECT_EQ(Shown(XFile_Import, 3, "xread_test.x"), (i32)0x80004005);
  EXPECT_TRUE(IsMarker(3));
  WriteFileBytes("xread_test.x", text);
  SetCapacity(5);   // 20 vertices
  EXPECT_EQ(Shown(XFile_Import, 3, "xread_test.x"), -1);
  EXPECT_TRUE(IsMarker(3));
  ASSERT_EQ(Rec().errors.size(), 2u);
  EXPECT_NE(Rec().errors[0].find("xread_test.x"), std::string::npos);
  EXPECT_NE(Rec().errors[1].find("頂点数 27"), std::string::npos);
  EXPECT_EQ(Shown(XFile_Import, 3, "missing.x"), (i32)0x80004005);
  remove("xread_test.x");
}

// [SECTION] Damaged files

// A text or binary file cut right after one of its top-level objects is a whole X file (read
// when a mesh came before the cut); every other cut is refused with a reason.
TEST_F(XReadTest, EveryCutInsideAnObjectIsRefused) {
  XDoc doc = Character(false);
  std::vector<size_t> textEnds, binaryEnds, none;
  std::string text = Text(doc, &textEnds), binary = Binary(doc, false, &binaryEnds);
  struct Case {
    std::string file;
    const std::vector<size_t> *wholeAt;   // cuts that end a top-level object leave a whole file
  };
  const Case cases[] = {{text, &textEnds}, {binary, &binaryEnds}, {Mszip(text), &none}, {Mszip(binary), &none}};
  for (const Case &c : cases) {
    std::vector<FmtResult> cuts = ParseEveryCut(XFile_Parse, c.file);
    for (size_t n = 0; n < cuts.size(); n++) {
      bool atBoundary = false;
      for (size_t end : *c.wholeAt)
        if (n >= end && c.file.find_first_not_of(" \n", end) >= n) atBoundary = true;
      if (cuts[n] == FMT_OK) {
        EXPECT_TRUE(atBoundary) << c.file.substr(0, 16) << " cut at " << n;
      } else {
        ASSERT_EQ(cuts[n], n < 16 ? FMT_NOT_READ : FMT_REFUSED) << c.file.substr(0, 16) << " cut at " << n;
      }
    }
  }
}

TEST_F(XReadTest, DamagedFilesAreRefusedWithTheirReason) {
  const std::string mesh = "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;; ";
  std::string deep = "xof 0303txt 0032\n";
  for (int i = 0; i < 70; i++) deep += "Frame { ";
  std::string badZip = Mszip(Text(Character(false)));
  badZip[25] = 'X';   // the first block's "CK"
  std::string badToken = Binary(Character(false), false);
  badToken[16] = 99;
  struct Case {
    std::string file;
    const char *reason;
  } cases[] = {
      {"xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,3;; }", "頂点番号 3 が頂点数 3 を超えています。"},
      {"xof 0303txt 0032\n" + mesh + "MeshNormals { 1; 0;0;1;; 1; 3;0,0,1;; } }", "法線番号 1 が法線数 1 を超えています。"},
      {"xof 0303txt 0032\n" + mesh + "MeshNormals { 1; 0;0;1;; 0; } }", "法線の面 0 個がメッシュの面 1 個と合いません。"},
      {"xof 0303txt 0032\n" + mesh + "MeshTextureCoords { 2; 0;0;, 1;1;; } }", "テクスチャ座標の数 2 が頂点数 3 と合いません。"},
      {"xof 0303txt 0032\n" + mesh + "MeshMaterialList { 1; 1; 0;; { Missing } } }", "マテリアル Missing がありません。"},
      {"xof 0303txt 0032\n" + mesh + "MeshMaterialList { 1; 1; 1;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } } }",
       "マテリアル番号 1 がマテリアル数 1 を超えています。"},
      {"xof 0303txt 0032\n" + mesh + "MeshMaterialList { 2; 1; 0;; { } } }", "マテリアル  がありません。"},
      {"xof 0303txt 0032\nMesh { 99999999; 0;0;0;; }", "個数 99999999 がファイルの大きさを超えています。"},
      {"xof 0303txt 0032\nMesh { 1.5; }", "整数が必要な所に 1.5 があります。"},
      {"xof 0303txt 0032\nMesh { 1; 0;0;x; }", "数値がありません。"},
      {"xof 0303txt 0032\nMaterial { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"a.bmp } }", "文字列が閉じていません。"},
      {"xof 0303txt 0032\nMesh 3;", "{ がありません。"},
      {"xof 0303txt 0032\n12;", "データオブジェクトの名前がありません。"},
      {deep, "フレームの入れ子が 64 段を超えています。"},
      {badZip, "圧縮されたデータが壊れています。"},
      {badToken, "不明なトークン 99 があります。"},
      {"xof 0303zip 0032\n", "読めない形式のＸファイルです。"},
      {"xof 0303txt 0032\nHeader { 1; 0; 1; }", "メッシュがありません。"},
  };
  for (const Case &c : cases) {
    Model3 *m = Fmt_NewModel();
    FmtStatus st = {};
    EXPECT_EQ(XFile_Parse(m, (const u8 *)c.file.data(), c.file.size(), &st), FMT_REFUSED) << c.reason;
    EXPECT_NE(strstr(st.reason, c.reason), nullptr) << st.reason;
    Model3_Free(m);
  }
  FmtStatus st = {};
  Model3 *m = Fmt_NewModel();
  EXPECT_EQ(XFile_Parse(m, (const u8 *)"not an x file", 13, &st), FMT_NOT_READ);
  Model3_Free(m);
}

}  // namespace
