// Files as other programs write them: each generator below lays out a model of a few
// thousand polygons the way the format's own tools do (extra chunks, sections, sub-chunks,
// group codes and attributes this program skips), and the import must give the expected
// counts without a crash.
#include <math.h>
#include <stdarg.h>

#include "model_shown.h"
#include "model/kzp.h"
#include "tests/model/formats_test_util.h"

using namespace fmt_test;

namespace {

class ForeignFiles : public FormatTest {
 protected:
  void SetUp() override {
    FormatTest::SetUp();
    SetCapacity(20000);
  }
  // The file written under name and read into slot 0; null when the read refused it.
  static Model3 *WriteAndOpen(const char *name, const std::string &bytes) {
    WriteFileBytes(name, bytes);
    return Shown(Model3_OpenFile, 0, name) ? Model3_Get(0) : nullptr;
  }
  // WriteAndOpen of a file of *faces quads with four corners of their own each, into *m.
  static void OpenQuads(const char *name, const std::string &bytes, const int *faces, Model3 **m) {
    *m = WriteAndOpen(name, bytes);
    ASSERT_NE(*m, nullptr);
    EXPECT_EQ((*m)->polygonCount, *faces);
    EXPECT_EQ((*m)->positionCount, 4 * *faces);
  }
};

std::string Printf(const char *fmt, ...) {
  char buf[512];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  return buf;
}

// Torus point (ring i of `rings`, segment j of `segs`).
void TorusPoint(int i, int j, int rings, int segs, f32 out[3]) {
  f64 a = 2 * M_PI * i / rings, b = 2 * M_PI * j / segs;
  out[0] = (f32)((100 + 30 * cos(b)) * cos(a));
  out[1] = (f32)(30 * sin(b));
  out[2] = (f32)((100 + 30 * cos(b)) * sin(a));
}

// [SECTION] MQO as the modeller writes it: CR LF, scene and material attributes, an object
// header full of settings, UVs on every face, a second mirrored object of triangles.
std::string MakeMqo(int rings, int segs, int *faces) {
  std::string s = "Metasequoia Document\r\nFormat Text Ver 1.0\r\n\r\n";
  s += "Scene {\r\n\tpos 0.0000 0.0000 1500.0000\r\n\tlookat 0.0000 0.0000 0.0000\r\n\thead -0.5236\r\n\tpich 0.5236\r\n"
       "\tortho 0\r\n\tzoom2 5.0000\r\n\tamb 0.250 0.250 0.250\r\n}\r\n";
  s += "Material 3 {\r\n"
       "\t\"skin\" shader(3) col(0.800 0.600 0.500 1.000) dif(0.800) amb(0.600) emi(0.000) spc(0.000) power(5.00) "
       "tex(\"C:\\\\Users\\\\モデル\\\\ソフト.png\")\r\n"
       "\t\"cloth\" shader(3) vcol(1) col(0.200 0.300 0.900 1.000) dif(0.800) amb(0.600) emi(0.000) spc(0.100) power(30.00)\r\n"
       "\t\"metal\" shader(4) col(0.700 0.700 0.700 0.500) dif(0.500) amb(0.200) emi(0.000) spc(0.900) power(60.00) "
       "tex(\"metal.bmp\") aplane(\"metal_a.bmp\") bump(\"metal_b.bmp\")\r\n}\r\n";
  s += "Object \"torus\" {\r\n\tdepth 0\r\n\tfolding 0\r\n\tscale 1.000000 1.000000 1.000000\r\n"
       "\trotation 0.000000 0.000000 0.000000\r\n\ttranslation 0.000000 0.000000 0.000000\r\n\tvisible 15\r\n"
       "\tlocking 0\r\n\tshading 1\r\n\tfacet 59.5\r\n\tcolor 0.898 0.498 0.698\r\n\tcolor_type 0\r\n";
  s += Printf("\tvertex %d {\r\n", rings * segs);
  for (int i = 0; i < rings; i++)
    for (int j = 0; j < segs; j++) {
      f32 p[3];
      TorusPoint(i, j, rings, segs, p);
      s += Printf("\t\t%.4f %.4f %.4f\r\n", p[0], p[1], p[2]);
    }
  s += Printf("\t}\r\n\tface %d {\r\n", rings * segs);
  for (int i = 0; i < rings; i++)
    for (int j = 0; j < segs; j++) {
      int a = i * segs + j, b = i * segs + (j + 1) % segs, c = ((i + 1) % rings) * segs + (j + 1) % segs,
          d = ((i + 1) % rings) * segs + j;
      s += Printf("\t\t4 V(%d %d %d %d) M(%d) UV(%.5f %.5f %.5f %.5f %.5f %.5f %.5f %.5f)\r\n", a, b, c, d, (i + j) % 3,
                  (f32)j / segs, (f32)i / rings, (f32)(j + 1) / segs, (f32)i / rings, (f32)(j + 1) / segs,
                  (f32)(i + 1) / rings, (f32)j / segs, (f32)(i + 1) / rings);
    }
  s += "\t}\r\n}\r\n";
  s += "Object \"fin\" {\r\n\tdepth 0\r\n\tfolding 0\r\n\tmirror 1\r\n\tmirror_axis 1\r\n\tvisible 15\r\n\tshading 0\r\n";
  s += "\tvertex 201 {\r\n\t\t0.0000 0.0000 0.0000\r\n";
  for (int k = 0; k < 200; k++) s += Printf("\t\t%.4f %.4f 0.0000\r\n", 50 * cos(k * 0.0314), 50 * sin(k * 0.0314));
  s += "\t}\r\n\tface 199 {\r\n";
  for (int k = 1; k < 200; k++) s += Printf("\t\t3 V(0 %d %d) M(1)\r\n", k, k + 1);
  s += "\t}\r\n}\r\nEof\r\n";
  *faces = rings * segs + 199;
  return s;
}

// [SECTION] LWOB as LightWave 5 writes it: surface names of odd and even length, quads and
// n-gon caps, a quad carrying a detail polygon, surface sub-chunks with texture strings (odd
// lengths, pad bytes).
void Be16(std::string &s, u16 v) { s += (char)(v >> 8); s += (char)v; }
void Be32(std::string &s, u32 v) { Be16(s, (u16)(v >> 16)); Be16(s, (u16)v); }
void BeF(std::string &s, f32 f) { u32 u; memcpy(&u, &f, 4); Be32(s, u); }
void PadStr(std::string &s, const std::string &t) { s += t; s += '\0'; if ((t.size() + 1) & 1) s += '\0'; }
// The tag, the data's size (32 bits for a chunk, 16 for a sub-chunk), the data, and a pad
// byte after data of odd length.
std::string Tagged(const char *tag, const std::string &data, bool chunk) {
  std::string s(tag, 4);
  if (chunk) Be32(s, (u32)data.size());
  else Be16(s, (u16)data.size());
  s += data;
  if (data.size() & 1) s += '\0';
  return s;
}
std::string Chunk(const char *tag, const std::string &data) { return Tagged(tag, data, true); }
std::string Sub(const char *tag, const std::string &data) { return Tagged(tag, data, false); }

std::string MakeLwo(int rings, int segs, int *polys, int *points) {
  std::string pnts, pols, srfs;
  for (int i = 0; i <= rings; i++)
    for (int j = 0; j < segs; j++) {
      f64 a = 2 * M_PI * j / segs;
      BeF(pnts, (f32)cos(a)); BeF(pnts, (f32)(i * 0.05)); BeF(pnts, (f32)sin(a));
    }
  for (int i = 0; i < rings; i++)
    for (int j = 0; j < segs; j++) {
      Be16(pols, 4);
      Be16(pols, (u16)(i * segs + j)); Be16(pols, (u16)((i + 1) * segs + j));
      Be16(pols, (u16)((i + 1) * segs + (j + 1) % segs)); Be16(pols, (u16)(i * segs + (j + 1) % segs));
      if (i == 0 && j == 0) {   // a negative surface: one detail polygon follows
        Be16(pols, (u16)-1);
        Be16(pols, 1);
        Be16(pols, 3);
        Be16(pols, 0); Be16(pols, 1); Be16(pols, (u16)(segs + 1));
        Be16(pols, 3);
      } else {
        Be16(pols, (u16)(1 + (i % 2)));
      }
    }
  for (int cap = 0; cap < 2; cap++) {   // two n-gon caps
    Be16(pols, (u16)segs);
    for (int j = 0; j < segs; j++) Be16(pols, (u16)(cap * rings * segs + (cap ? segs - 1 - j : j)));
    Be16(pols, 3);
  }
  PadStr(srfs, "Default");
  PadStr(srfs, "Body_Paint");
  PadStr(srfs, "Cap");
  std::string body = "LWOB" + Chunk("SRFS", srfs) + Chunk("PNTS", pnts) + Chunk("POLS", pols);
  const char *names[3] = {"Default", "Body_Paint", "Cap"};
  const u8 colr[3][3] = {{200, 200, 200}, {180, 20, 20}, {30, 30, 30}};
  for (int k = 0; k < 3; k++) {
    std::string surf;
    PadStr(surf, names[k]);
    surf += Sub("COLR", std::string{(char)colr[k][0], (char)colr[k][1], (char)colr[k][2], 0});
    std::string flag; Be16(flag, 0x0104); surf += Sub("FLAG", flag);
    std::string v; Be16(v, 256);
    surf += Sub("LUMI", std::string(2, 0)) + Sub("DIFF", v) + Sub("SPEC", std::string(2, 0));
    std::string tex; PadStr(tex, "Planar Image Map");
    surf += Sub("CTEX", tex);
    std::string img; PadStr(img, "Images\\paint.iff (sequence)");
    surf += Sub("TIMG", img);
    std::string sman; BeF(sman, 1.5608f); surf += Sub("SMAN", sman);
    body += Chunk("SURF", surf);
  }
  std::string file = "FORM";
  Be32(file, (u32)body.size());
  *polys = rings * segs + 2 * (segs - 2);
  *points = (rings + 1) * segs;
  return file + body;
}

// [SECTION] DXF as a CAD program writes it (R12): header, tables, blocks, a terrain of
// 3DFACE entities with handles, layers and colours, lines and polylines between them.
std::string MakeDxf(int w, int h, int *faces) {
  std::string s = "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1009\r\n  9\r\n$EXTMIN\r\n 10\r\n0.0\r\n"
                  " 20\r\n0.0\r\n 30\r\n0.0\r\n  0\r\nENDSEC\r\n  0\r\nSECTION\r\n  2\r\nTABLES\r\n  0\r\nTABLE\r\n  2\r\n"
                  "LAYER\r\n 70\r\n     2\r\n  0\r\nLAYER\r\n  2\r\nTERRAIN\r\n 70\r\n     0\r\n 62\r\n     3\r\n  6\r\n"
                  "CONTINUOUS\r\n  0\r\nENDTAB\r\n  0\r\nENDSEC\r\n  0\r\nSECTION\r\n  2\r\nBLOCKS\r\n  0\r\nENDSEC\r\n"
                  "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";
  int handle = 0x20;
  auto z = [](int x, int y) { return 5.0 * sin(x * 0.2) * cos(y * 0.15); };
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      s += Printf("  0\r\n3DFACE\r\n  5\r\n%X\r\n  8\r\nTERRAIN\r\n 62\r\n     %d\r\n", handle++, 1 + (x + y) % 7);
      int cx[4] = {x, x + 1, x + 1, x}, cy[4] = {y, y, y + 1, y + 1};
      if ((x + y) % 5 == 0) { cx[3] = cx[2]; cy[3] = cy[2]; }   // a triangle: corner 3 repeats corner 2
      for (int c = 0; c < 4; c++)
        s += Printf(" 1%d\r\n%.6f\r\n 2%d\r\n%.6f\r\n 3%d\r\n%.6f\r\n", c, cx[c] * 10.0, c, cy[c] * 10.0, c, z(cx[c], cy[c]));
      if (x == 0) s += Printf("  0\r\nLINE\r\n  8\r\n0\r\n 10\r\n0.0\r\n 20\r\n%d.0\r\n 30\r\n0.0\r\n 11\r\n1.0\r\n 21\r\n1.0\r\n 31\r\n0.0\r\n", y);
    }
  s += "  0\r\nPOLYLINE\r\n  8\r\n0\r\n 66\r\n     1\r\n  0\r\nVERTEX\r\n  8\r\n0\r\n 10\r\n1.0\r\n 20\r\n2.0\r\n 30\r\n3.0\r\n"
       "  0\r\nSEQEND\r\n  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
  *faces = w * h;
  return s;
}

// [SECTION] ROK: a grid of quads bounded by horizontal and vertical edges, values written
// with six decimals, a full 13-colour palette.
std::string MakeRok(int w, int h, int *faces) {
  std::string s = "ROK model\r\nPOINT\r\n";
  int n = 1;
  for (int y = 0; y <= h; y++)
    for (int x = 0; x <= w; x++)
      s += Printf("%d\r\n0\r\n0\r\n0\r\n0\r\n%.6f\r\n%.6f\r\n%.6f\r\n", n++, x * 1.5, y * 1.5, 0.25 * ((x * y) % 7));
  s += "LINE0\r\n";
  auto pt = [&](int x, int y) { return y * (w + 1) + x + 1; };
  // Horizontal edges first, then vertical ones.
  for (int y = 0; y <= h; y++)
    for (int x = 0; x < w; x++) s += Printf("%d\r\n%d\r\n0\r\n0\r\n", pt(x, y), pt(x + 1, y));
  int horizontal = (h + 1) * w;
  for (int y = 0; y < h; y++)
    for (int x = 0; x <= w; x++) s += Printf("%d\r\n%d\r\n0\r\n0\r\n", pt(x, y + 1), pt(x, y));
  s += "FACE0\r\n";
  int f = 1;
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      int bottom = y * w + x + 1, top = (y + 1) * w + x + 1;
      int left = horizontal + y * (w + 1) + x + 1, right = left + 1;
      s += Printf("4\r\n%d\r\n%d\r\n%d\r\n%d\r\n%d\r\n%d\r\n", (x + y) % 13, f++, bottom, right, top, left);
    }
  s += "END00\r\nPALC0\r\n13\r\n0\r\n";
  for (int k = 0; k < 13; k++) s += Printf("%d\r\n%d\r\n%d\r\n%d\r\n%d\r\n%d\r\n0\r\n", k * 19, 255 - k * 19, 128, k * 10, 200, 90);
  s += "ENDP0\r\n";
  *faces = w * h;
  return s;
}

// [SECTION] MX as the other tool writes it: quads with normals, three textures, groups.
std::string MakeMx(int n, int *faces) {
  std::string faceBytes;
  auto f32le = [&](f32 f) { faceBytes.append((const char *)&f, 4); };
  for (int k = 0; k < n; k++) {
    for (int s = 0; s < 4; s++) { f32le((f32)(k % 50 + (s == 1 || s == 2))); f32le((f32)(k / 50)); f32le((f32)(s >= 2)); f32le(1); }
    for (int s = 0; s < 4; s++) { f32le(0); f32le(-1); f32le(0); f32le(0); }
    for (int s = 0; s < 4; s++) { f32le((f32)(s * 16)); f32le((f32)(s * 8)); }
    u32 color = 0x00808080 + k;
    faceBytes.append((const char *)&color, 4);
    i16 tex = (i16)(k % 4 - 1), group = (i16)(k % 3);
    faceBytes.append((const char *)&tex, 2);
    faceBytes.append((const char *)&group, 2);
  }
  std::string names = std::string("wall", 4) + std::string(12, 0) + std::string("floor", 5) + std::string(11, 0) +
                      std::string("roof", 4) + std::string(12, 0);
  i32 hdr[7] = {256, 60, 32, (i32)faceBytes.size(), 92, (i32)names.size(), 92 + (i32)faceBytes.size()};
  std::string s("MXF\0", 4);
  s.append((const char *)hdr, sizeof hdr);
  s += std::string(48, 0);
  u16 one = 1, count = (u16)n;
  s.append((const char *)&one, 2);
  s.append((const char *)&count, 2);
  s += std::string(8, 0);
  *faces = n;
  return s + faceBytes + names;
}

// Lowest and highest position of the model, for extents.
void Extents(const Model3 *m, Vec3 *lo, Vec3 *hi) {
  *lo = *hi = m->positions[0];
  for (i32 i = 1; i < m->positionCount; i++) {
    const Vec3 &p = m->positions[i];
    *lo = {fminf(lo->x, p.x), fminf(lo->y, p.y), fminf(lo->z, p.z)};
    *hi = {fmaxf(hi->x, p.x), fmaxf(hi->y, p.y), fmaxf(hi->z, p.z)};
  }
}

#define EXPECT_VEC3_NEAR(v, X, Y, Z, e) \
  do {                                  \
    EXPECT_NEAR((v).x, (X), (e));       \
    EXPECT_NEAR((v).y, (Y), (e));       \
    EXPECT_NEAR((v).z, (Z), (e));       \
  } while (0)

}  // namespace

TEST_F(ForeignFiles, MetasequoiaModel) {
  int faces;
  Model3 *m = WriteAndOpen("other.mqo", MakeMqo(64, 40, &faces));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->polygonCount, faces);
  EXPECT_EQ(m->positionCount, 64 * 40 + 201);
  EXPECT_EQ(m->groupCount, 3);
  EXPECT_EQ(m->textureCount, 3);
  EXPECT_STREQ(m->textures[1].name, "ソフト.png");   // "ソ" ends in the byte of a backslash
  EXPECT_EQ(m->groups[1].mirror, 1u);
  int textured = 0;   // quads of the untextured "cloth" add no UVs
  for (int i = 0; i < 64; i++)
    for (int j = 0; j < 40; j++) textured += (i + j) % 3 != 1;
  EXPECT_EQ(m->uvCount, 1 + 4 * textured);
  // Torus of radius 130 and tube 30, fin of radius 50 in the x-y plane: a tenth of the size.
  Vec3 lo, hi;
  Extents(m, &lo, &hi);
  EXPECT_VEC3_NEAR(lo, -13, -5, -13, 1e-3);
  EXPECT_VEC3_NEAR(hi, 13, 5, 13, 1e-3);
  remove("other.mqo");
}

TEST_F(ForeignFiles, LightWaveObject) {
  int polys, points;
  Model3 *m = WriteAndOpen("other.lwo", MakeLwo(40, 64, &polys, &points));
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->polygonCount, polys);
  EXPECT_EQ(m->positionCount, points);
  EXPECT_EQ(m->groupCount, 3);
  EXPECT_FLOAT_EQ(m->groups[1].r, 180);
  EXPECT_EQ(m->polygons[0].group, 0u);
  EXPECT_EQ(m->polygons[polys - 1].group, 2u);
  EXPECT_EQ(m->polygons[0].group, m->polygons[2].group);   // the detail's owner keeps its surface
  // A unit cylinder 2 high, ten times the size.
  Vec3 lo, hi;
  Extents(m, &lo, &hi);
  EXPECT_VEC3_NEAR(lo, -10, 0, -10, 1e-4);
  EXPECT_VEC3_NEAR(hi, 10, 20, 10, 1e-4);
  remove("other.lwo");
}

TEST_F(ForeignFiles, CadDrawing) {
  int faces;
  Model3 *m;
  ASSERT_NO_FATAL_FAILURE(OpenQuads("other.dxf", MakeDxf(60, 50, &faces), &faces, &m));
  EXPECT_FLOAT_EQ(m->positions[4 * 61 + 2].x, 10);
  EXPECT_NEAR(m->positions[4 * 61 + 2].z, 5.0 * sin(0.2) * cos(0.15), 1e-5);
  remove("other.dxf");
}

TEST_F(ForeignFiles, RokGrid) {
  int faces;
  Model3 *m;
  ASSERT_NO_FATAL_FAILURE(OpenQuads("other.rok", MakeRok(50, 50, &faces), &faces, &m));
  // Face 0: bottom edge (1, 2), right edge (53, 2): corners at points 1, 2, 53, 52.
  EXPECT_VEC3(m->positions[0], 0, 0, 0);
  EXPECT_VEC3(m->positions[1], 15, 0, 0);
  EXPECT_VEC3(m->positions[2], 15, -15, 2.5f);
  EXPECT_VEC3(m->positions[3], 0, -15, 0);
  remove("other.rok");
}

TEST_F(ForeignFiles, MxScene) {
  int faces;
  Model3 *m;
  ASSERT_NO_FATAL_FAILURE(OpenQuads("other.mx", MakeMx(3000, &faces), &faces, &m));
  EXPECT_EQ(m->groupCount, 3);
  EXPECT_EQ(m->textureCount, 4);
  EXPECT_VEC3(m->normals[5], 0, 1, 0);
  remove("other.mx");
}

// The import's scratch model is sized from the file: every sample must parse into it exactly
// as into a model at full capacity (same result, counts and array bytes), or the sizing has
// cut something off.
TEST_F(ForeignFiles, ScratchSizedFromTheFileParsesLikeAFullModel) {
  struct Case {
    const char *file;
    FmtParseFn parse;
  } cases[] = {{"dxf/sample.dxf", Dxf_Parse}, {"dxf/sample_crlf.dxf", Dxf_Parse}, {"lwo/sample.lwo", Lwo_Parse},
               {"mqo/sample.mqo", Mqo_Parse},  {"mx/sample.mx", Mx_Parse},          {"rok/sample.rok", Rok_Parse}};
  int faces;
  std::string big = MakeDxf(60, 50, &faces);
  for (const Case &c : cases) {
    std::string bytes = ReadFileString(DataPath(c.file));
    ASSERT_FALSE(bytes.empty()) << c.file;
    Model3 *sized = Fmt_NewModelFor(bytes.size()), *full = Fmt_NewModel();
    ASSERT_TRUE(sized && full);
    EXPECT_LT(sized->capPolygons, full->capPolygons) << c.file;
    FmtStatus s1 = {}, s2 = {};
    FmtResult r1 = c.parse(sized, (const u8 *)bytes.data(), bytes.size(), &s1);
    FmtResult r2 = c.parse(full, (const u8 *)bytes.data(), bytes.size(), &s2);
    EXPECT_EQ(r1, FMT_OK) << c.file;
    EXPECT_EQ(r1, r2) << c.file;
    ASSERT_EQ(sized->positionCount, full->positionCount) << c.file;
    ASSERT_EQ(sized->normalCount, full->normalCount) << c.file;
    ASSERT_EQ(sized->colorCount, full->colorCount) << c.file;
    ASSERT_EQ(sized->uvCount, full->uvCount) << c.file;
    ASSERT_EQ(sized->polygonCount, full->polygonCount) << c.file;
    EXPECT_EQ(memcmp(sized->positions, full->positions, sized->positionCount * sizeof(Vec3)), 0) << c.file;
    EXPECT_EQ(memcmp(sized->bindings, full->bindings, sized->positionCount * sizeof(VertexBinding)), 0) << c.file;
    EXPECT_EQ(memcmp(sized->normals, full->normals, sized->normalCount * sizeof(Vec3)), 0) << c.file;
    EXPECT_EQ(memcmp(sized->colors, full->colors, sized->colorCount * sizeof(Color4)), 0) << c.file;
    EXPECT_EQ(memcmp(sized->uvs, full->uvs, sized->uvCount * sizeof(Vec2)), 0) << c.file;
    EXPECT_EQ(memcmp(sized->polygons, full->polygons, sized->polygonCount * sizeof(Polygon3)), 0) << c.file;
    EXPECT_EQ(sized->groupCount, full->groupCount) << c.file;
    EXPECT_EQ(sized->textureCount, full->textureCount) << c.file;
    // The bones have the key tables of a full model.
    for (i32 b : {0, 1, MODEL3_BONES - 1})
      for (i32 mo : {0, MODEL3_MOTIONS - 1}) {
        ASSERT_NE(sized->bones[b].keys, nullptr);
        EXPECT_EQ(sized->bones[b].keys[mo].count, full->bones[b].keys[mo].count) << b << " " << mo;
      }
    EXPECT_EQ(sized->bones[1].keys[0].keys[0].quat[3], 1.0f);
    EXPECT_EQ(sized->keyTableLength, full->keyTableLength);
    Model3_Free(sized);
    Model3_Free(full);
  }
}
