// Numbers that are not numbers: every reader refuses a file in which one float it keeps is
// NaN or an infinity, names the file in its message and leaves the open model as it was.
// Binary formats get the value through their own writers (the writers store what the model
// holds), text formats through the text itself.
#include <math.h>
#include <string.h>

#include <functional>

#include "formats_test_util.h"
#include "kz_samples.h"
#include "model/finite.h"
#include "model/formats/formats.h"
#include "model/formats/xfile.h"
#include "model/kzo.h"
#include "model/kzp.h"
#include "model_shown.h"

using namespace fmt_test;

namespace {

typedef std::function<void(Model3 *, f32)> Poison;

struct PoisonCase {
  const char *what;
  Poison set;
};

// The floats a KZP file keeps, each poisoned in a model that has them all.
const PoisonCase kKzpFloats[] = {
    {"position", [](Model3 *m, f32 v) { m->positions[1].y = v; }},
    {"colour", [](Model3 *m, f32 v) { m->colors[0].g = v; }},
    {"uv", [](Model3 *m, f32 v) { m->uvs[0].v = v; }},
    {"weight", [](Model3 *m, f32 v) { m->bindings[2].weight = v; }},
    {"group colour", [](Model3 *m, f32 v) { m->groups[0].a = v; }},
    {"group mapping", [](Model3 *m, f32 v) { m->groups[0].scaleU = v; }},
    {"group key",
     [](Model3 *m, f32 v) {
       GroupKeyList3 *l = Model3_EnsureGroupKeys(m, 0, 0);
       if (l->count < 1) l->count = 1;
       l->keys[0].values[2] = v;
     }},
    {"bone rest", [](Model3 *m, f32 v) { m->boneRest[1].quat[3] = v; }},
    {"bone key", [](Model3 *m, f32 v) { m->bones[1].keys[0].keys[0].pos[0] = v; }},
    {"displacement scale", [](Model3 *m, f32 v) { m->dispScale = v; }},
    {"edge offset", [](Model3 *m, f32 v) { m->normalOffset = v; }},
};

// Gives every corner a normal and texture coordinates of its own vertex (the cube has none),
// so that the writers store them.
void GiveCornerData(Model3 *m) {
  for (i32 v = 0; v < m->positionCount; v++) {
    m->normals[v] = Vec3{0, 0, 1};
    m->uvs[v] = Vec2{0.25f, 0.5f};
  }
  m->normalCount = m->uvCount = m->positionCount;
  for (i32 p = 0; p < m->polygonCount; p++)
    for (PolyCorner &c : m->polygons[p].corners) c.normal = c.uv = c.vertex;
}

// The floats the MX and X writers store: positions, normals and texture coordinates (MX
// keeps the last only on textured faces: they are pixels divided by the texture's size).
const PoisonCase kMeshFloats[] = {
    {"position", [](Model3 *m, f32 v) { m->positions[m->polygons[0].corners[1].vertex].z = v; }},
    {"normal", [](Model3 *m, f32 v) { m->normals[m->polygons[0].corners[0].normal].x = v; }},
    {"uv", [](Model3 *m, f32 v) { m->uvs[m->polygons[0].corners[2].uv].u = v; }},
};

struct Finite : FormatTest {
  // Opens path into slot 5 over a marker: refused, one message naming the file, slot kept.
  void ExpectRefused(const std::string &path, const std::string &label) {
    PutMarker(5);
    Rec().errors.clear();
    EXPECT_EQ(Shown(Model3_OpenFile, 5, path.c_str()), nullptr) << label;
    EXPECT_TRUE(IsMarker(5)) << label;
    ASSERT_EQ(Rec().errors.size(), 1u) << label;
    EXPECT_NE(Rec().errors[0].find(path), std::string::npos) << label << ": " << Rec().errors[0];
  }
  // The model a file opens into slot 4 (null when it is refused).
  Model3 *Open(const std::string &path) { return Shown(Model3_OpenFile, 4, path.c_str()); }
};

const f32 kBad[] = {NAN, INFINITY, -INFINITY};

TEST_F(Finite, KzpFilesWithANonFiniteValueAreRefused) {
  WriteFileBytes("finite.kzp", std::string((const char *)Kzp(2006000).data(), Kzp(2006000).size()));
  int refused = 0;
  for (const PoisonCase &c : kKzpFloats)
    for (f32 v : kBad) {
      Model3 *m = Open("finite.kzp");
      ASSERT_NE(m, nullptr) << c.what;
      ASSERT_TRUE(Finite_Model3(m));
      c.set(m, v);
      EXPECT_FALSE(Finite_Model3(m)) << c.what;
      ByteWriter w = {};
      ASSERT_TRUE(Kzp_Encode(m, &w)) << c.what;
      WriteFileBytes("poisoned.kzp", std::string((const char *)w.data, w.size));
      Wr_Free(&w);
      ExpectRefused("poisoned.kzp", c.what);
      char want[512];
      snprintf(want, sizeof want, kKzMsgNotFinite, "poisoned.kzp");
      if (!Rec().errors.empty()) { EXPECT_EQ(Rec().errors[0], want) << c.what; }
      refused++;
    }
  EXPECT_EQ(refused, 33);
  remove("finite.kzp");
  remove("poisoned.kzp");
}

// MX and X (binary, through the X writer) from the cube, one poisoned float of each kind.
TEST_F(Finite, MeshFilesWithANonFiniteValueAreRefused) {
  struct Writer {
    const char *file;
    std::function<bool(i32 slot, const char *path)> write;
    int kinds;   // of kMeshFloats, from the first
  };
  const Writer writers[] = {
      {"poisoned.mx", [](i32 s, const char *p) { return Shown(Mx_Write, s, p) == 1; }, 2},
      {"poisoned.x", [](i32 s, const char *p) { return Shown(XFile_Export, s, p) == 1; }, 3},
  };
  for (const Writer &w : writers)
    for (int k = 0; k < w.kinds; k++)
      for (f32 v : kBad) {
        const PoisonCase &c = kMeshFloats[k];
        g_ModelAllocArrays = 1;   // room for the corner data
        Model3 *m = Open(DataPath("kzp/cube.kzp"));
        ASSERT_NE(m, nullptr);
        GiveCornerData(m);
        c.set(m, v);
        ASSERT_TRUE(w.write(4, w.file)) << w.file << " " << c.what;
        ExpectRefused(w.file, std::string(w.file) + " " + c.what);
        remove(w.file);
      }
  // LWO keeps positions only (its normals are made on import, its colours are bytes).
  for (f32 v : kBad) {
    Model3 *m = Open(DataPath("kzp/cube.kzp"));
    ASSERT_NE(m, nullptr);
    m->positions[3].x = v;
    ASSERT_EQ(Shown(Lwo_Write, 4, "poisoned.lwo"), 1);
    ExpectRefused("poisoned.lwo", "lwo position");
  }
  remove("poisoned.lwo");
}

// Text formats: "@" in a whole, valid file stands for the value tried.
TEST_F(Finite, TextFilesWithANonFiniteNumberAreRefused) {
  const std::string mqoHead = "Metasequoia Document\r\nFormat Text Ver 1.0\r\n";
  const std::string mqoMaterial = "Material 1 {\r\n\t\"m\" col(@ 1.000 1.000 1.000) tex(\"a.bmp\")\r\n}\r\n";
  const std::string mqoPlain = "Material 1 {\r\n\t\"m\" col(1.000 1.000 1.000 1.000) tex(\"a.bmp\")\r\n}\r\n";
  const std::string dxfFace = "  0\nSECTION\n  2\nENTITIES\n  0\n3DFACE\n  8\n0\n";
  const std::string xHead = "xof 0303txt 0032\n";
  struct TextCase {
    const char *file;
    std::string text;
  };
  const TextCase cases[] = {
      {"vertex.mqo", mqoHead + mqoPlain +
                         "Object \"o\" {\r\n\tvertex 3 {\r\n\t\t0 0 0\r\n\t\t10 @ 0\r\n\t\t0 10 0\r\n\t}\r\n"
                         "\tface 1 {\r\n\t\t3 V(0 1 2) M(0) UV(0 0 1 0 0 1)\r\n\t}\r\n}\r\nEof\r\n"},
      {"uv.mqo", mqoHead + mqoPlain +
                     "Object \"o\" {\r\n\tvertex 3 {\r\n\t\t0 0 0\r\n\t\t10 0 0\r\n\t\t0 10 0\r\n\t}\r\n"
                     "\tface 1 {\r\n\t\t3 V(0 1 2) M(0) UV(0 0 @ 0 0 1)\r\n\t}\r\n}\r\nEof\r\n"},
      {"colour.mqo", mqoHead + mqoMaterial +
                         "Object \"o\" {\r\n\tvertex 3 {\r\n\t\t0 0 0\r\n\t\t10 0 0\r\n\t\t0 10 0\r\n\t}\r\n"
                         "\tface 1 {\r\n\t\t3 V(0 1 2) M(0) UV(0 0 1 0 0 1)\r\n\t}\r\n}\r\nEof\r\n"},
      {"corner.dxf", dxfFace + " 10\n0\n 20\n0\n 30\n0\n 11\n1\n 21\n@\n 31\n0\n 12\n0\n 22\n1\n 32\n0\n"
                               " 13\n0\n 23\n1\n 33\n0\n  0\nENDSEC\n  0\nEOF\n"},
      {"point.rok", ""},   // filled below from the sample
      {"position.x", xHead + "Mesh { 3; 0;0;0;, 1;@;0;, 0;1;0;; 1; 3;0,1,2;; }\n"},
      {"normal.x", xHead + "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
                           " MeshNormals { 1; 0;@;1;; 1; 3;0,0,0;; } }\n"},
      {"uv.x", xHead + "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
                       " MeshTextureCoords { 3; 0;0;, 1;@;, 0;1;; } }\n"},
      {"colour.x", xHead + "Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;\n"
                           " MeshMaterialList { 1; 1; 0;; Material { 1;@;1;1;; 0; 0;0;0;; 0;0;0;; } } }\n"},
  };
  // The ROK sample with its first point's x coordinate replaced.
  std::string rok = ReadFileString(DataPath("rok/sample.rok"));
  size_t point = rok.find("POINT");
  ASSERT_NE(point, std::string::npos);
  size_t line = point;
  for (int i = 0; i < 6; i++) line = rok.find('\n', line) + 1;   // past POINT, the number and 4 lines
  size_t end = rok.find_first_of("\r\n", line);
  std::string rokText = rok.substr(0, line) + "@" + rok.substr(end);
  int refused = 0;
  for (TextCase c : cases) {
    if (strcmp(c.file, "point.rok") == 0) c.text = rokText;
    size_t at = c.text.find('@');
    ASSERT_NE(at, std::string::npos) << c.file;
    // The whole file with an ordinary number reads.
    WriteFileBytes(c.file, c.text.substr(0, at) + "0.5" + c.text.substr(at + 1));
    EXPECT_NE(Open(c.file), nullptr) << c.file;
    for (const char *v : {"nan", "inf", "-inf", "1e39"}) {
      WriteFileBytes(c.file, c.text.substr(0, at) + v + c.text.substr(at + 1));
      ExpectRefused(c.file, std::string(c.file) + " " + v);
      refused++;
    }
    remove(c.file);
  }
  EXPECT_EQ(refused, 36);
}

// A KZO set whose object offset or key holds NaN or an infinity is refused as damaged.
TEST_F(Finite, KzoSetsWithANonFiniteValueAreRefused) {
  std::vector<u8> bytes = Kzo();
  const std::function<void(Obj3Set *, f32)> poisons[] = {
      [](Obj3Set *s, f32 v) { s->offsets[1][1] = v; },
      [](Obj3Set *s, f32 v) { s->parts[2].keyLists[0].keys[1].quat[0] = v; },
      [](Obj3Set *s, f32 v) { s->parts[1].keyLists[0].keys[0].scale[2] = v; },
  };
  for (const auto &poison : poisons)
    for (f32 v : kBad) {
      Obj3Set *set = Kzo_NewSetRecord();
      u32 loaded[OBJ3_PARTS] = {};
      ASSERT_TRUE(Kzo_Parse(set, loaded, bytes.data(), bytes.size()));
      poison(set, v);
      ByteWriter w = {};
      ASSERT_TRUE(Kzo_Encode(set, loaded, &w));
      Kzo_FreeSetRecord(set);
      Obj3Set *again = Kzo_NewSetRecord();
      EXPECT_FALSE(Kzo_Parse(again, loaded, w.data, w.size));
      Kzo_FreeSetRecord(again);
      Wr_Free(&w);
    }
}

// Every kind of float at every place of runs from 0 to 37 long (the eight-word passes and the
// tail alike), against the C library's own test: NaNs of any payload and sign, both
// infinities, denormals, both zeros and the largest finite values.
TEST(FiniteFloats, AgreeWithIsfiniteAtEveryPlaceOfAnyLength) {
  auto bits = [](u32 w) {
    f32 f;
    memcpy(&f, &w, 4);
    return f;
  };
  const f32 kinds[] = {0.0f, -0.0f, 1.0f, -2.5f, 3.4028235e38f, -3.4028235e38f, 1e-45f, -1e-45f,
                       bits(0x007FFFFFu), bits(0x80800000u), INFINITY, -INFINITY, NAN, -NAN,
                       bits(0x7F800001u), bits(0xFFFFFFFFu), bits(0x7FC00000u), bits(0x7F7FFFFFu)};
  f32 run[40];
  for (size_t n = 0; n <= 37; n++)
    for (f32 kind : kinds)
      for (size_t at = 0; at < (n ? n : 1); at++) {
        for (size_t i = 0; i < 40; i++) run[i] = (f32)i * 0.5f - 3.0f;
        run[n] = NAN;   // just past the run: never looked at
        if (n) run[at] = kind;
        bool want = n == 0 || isfinite(kind);
        EXPECT_EQ(Finite_Floats(run, n), want) << n << " " << at << " " << kind;
      }
}

}  // namespace
