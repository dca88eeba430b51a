// X file import: a grid mesh of about 4,000, 16,000 and 65,000 triangles with per-vertex
// normals, texture coordinates and one textured material, held in memory as a text, binary or
// MSZIP-compressed text file, read and built into a model (XFile_Parse: everything of the
// import but reading the file from disk and placing the model in its slot).
#include <benchmark/benchmark.h>
#include <math.h>
#include <stdio.h>
#include <string.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "model/formats/fmt_local.h"
#include "model/formats/xfile.h"
#include "tests/support/mszip.h"

namespace {

const int kGridW = 130;   // quads across; rows give the size (250 rows: 65,000 triangles)

std::string TextGrid(int rows) {
  int w = kGridW + 1, h = rows + 1;
  std::string s = "xof 0303txt 0032\nFrame Root {\n FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n";
  char buf[96];
  s += " Mesh Grid {\n  " + std::to_string(w * h) + ";\n";
  for (int j = 0; j < h; j++)
    for (int i = 0; i < w; i++) {
      snprintf(buf, sizeof buf, "  %f;%f;%f;%s\n", (double)i, sin(i * 0.07), (double)j, j * w + i + 1 < w * h ? "," : ";");
      s += buf;
    }
  s += "  " + std::to_string(kGridW * rows) + ";\n";
  for (int j = 0; j < rows; j++)
    for (int i = 0; i < kGridW; i++) {
      int a = j * w + i;
      snprintf(buf, sizeof buf, "  4;%d,%d,%d,%d;%s\n", a, a + w, a + w + 1, a + 1, j * kGridW + i + 1 < kGridW * rows ? "," : ";");
      s += buf;
    }
  s += "  MeshNormals {\n  " + std::to_string(w * h) + ";\n";
  for (int v = 0; v < w * h; v++) s += v + 1 < w * h ? "  0.0;1.0;0.0;,\n" : "  0.0;1.0;0.0;;\n";
  size_t faces = s.find("  " + std::to_string(kGridW * rows) + ";\n");
  size_t normals = s.find("  MeshNormals");
  s += s.substr(faces, normals - faces);   // the normal faces are the position faces
  s += "  }\n  MeshTextureCoords {\n  " + std::to_string(w * h) + ";\n";
  for (int j = 0; j < h; j++)
    for (int i = 0; i < w; i++) {
      snprintf(buf, sizeof buf, "  %f;%f;%s\n", i / (double)kGridW, j / (double)rows, j * w + i + 1 < w * h ? "," : ";");
      s += buf;
    }
  s += "  }\n  MeshMaterialList { 1; 1; 0;; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { \"grid.bmp\"; } } }\n";
  s += " }\n}\n";
  return s;
}

// The same grid as a binary file, token for token.
std::string BinaryGrid(int rows) {
  int w = kGridW + 1, h = rows + 1;
  std::string s = "xof 0303bin 0032";
  auto word = [&](u16 v) { s.append((const char *)&v, 2); };
  auto dword = [&](u32 v) { s.append((const char *)&v, 4); };
  auto name = [&](const char *n) { word(1); dword((u32)strlen(n)); s += n; };
  auto open = [&](const char *n) { name(n); word(10); };
  auto floats = [&](const std::vector<f32> &v) {
    word(7);
    dword((u32)v.size());
    s.append((const char *)v.data(), v.size() * 4);
  };
  std::vector<u32> faces = {(u32)(kGridW * rows)};
  for (int j = 0; j < rows; j++)
    for (int i = 0; i < kGridW; i++) {
      u32 a = (u32)(j * w + i);
      faces.insert(faces.end(), {4, a, a + w, a + w + 1, a + 1});
    }
  auto ints = [&](const std::vector<u32> &v) {
    word(6);
    dword((u32)v.size());
    s.append((const char *)v.data(), v.size() * 4);
  };
  std::vector<f32> pos, nrm, uv;
  for (int j = 0; j < h; j++)
    for (int i = 0; i < w; i++) {
      pos.insert(pos.end(), {(f32)i, sinf(i * 0.07f), (f32)j});
      nrm.insert(nrm.end(), {0, 1, 0});
      uv.insert(uv.end(), {i / (f32)kGridW, j / (f32)rows});
    }
  open("Mesh");
  ints({(u32)(w * h)});
  floats(pos);
  ints(faces);
  open("MeshNormals");
  ints({(u32)(w * h)});
  floats(nrm);
  ints(faces);
  word(11);
  open("MeshTextureCoords");
  ints({(u32)(w * h)});
  floats(uv);
  word(11);
  open("MeshMaterialList");
  ints({1, 1, 0});
  open("Material");
  floats({1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0});
  word(11);
  word(11);
  word(11);
  return s;
}

// MSZIP form (zlib level 6).
std::string Mszip(const std::string &plain) {
  bool ok = false;
  return ::Mszip(plain, 6, &ok);
}

void Import(benchmark::State &state, std::string (*make)(int)) {
  int rows = (int)state.range(0);
  std::string file = make(rows);
  g_MaxPolygons = 70000;
  g_MaxVertices = 280000;
  Model3 *m = Fmt_NewModel();
  for (auto _ : state) {
    m->polygonCount = m->positionCount = m->normalCount = m->colorCount = m->uvCount = 0;
    m->groupCount = 0;
    m->textureCount = 1;
    FmtStatus st = {};
    if (XFile_Parse(m, (const u8 *)file.data(), file.size(), &st) != FMT_OK) state.SkipWithError(st.reason);
    benchmark::DoNotOptimize(m->polygonCount);
  }
  state.counters["triangles"] = m->polygonCount;
  state.counters["file_bytes"] = (double)file.size();
  Model3_Free(m);
}

std::string CompressedText(int rows) { return Mszip(TextGrid(rows)); }

void BM_XImportText(benchmark::State &state) { Import(state, TextGrid); }
void BM_XImportBinary(benchmark::State &state) { Import(state, BinaryGrid); }
void BM_XImportCompressedText(benchmark::State &state) { Import(state, CompressedText); }

// 16, 62 and 250 rows of 130 quads: 4,160, 16,120 and 65,000 triangles.
BENCHMARK(BM_XImportText)->Arg(16)->Arg(62)->Arg(250)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XImportBinary)->Arg(16)->Arg(62)->Arg(250)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XImportCompressedText)->Arg(16)->Arg(62)->Arg(250)->Unit(benchmark::kMillisecond);

}  // namespace
