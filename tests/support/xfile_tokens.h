// The binary X file encoding written token by token, for the files the X reader and writer
// tests build by hand: names, braces, integer and float lists, strings.
#pragma once
#include <string>
#include <vector>

#include "model/types.h"

struct XTokens {
  std::string s;   // what has been written, the header too when the test starts with one
  void Word(u16 x) { s.append((const char *)&x, 2); }
  void Dword(u32 x) { s.append((const char *)&x, 4); }
  void Name(const std::string &n) { Word(1); Dword((u32)n.size()); s += n; }
  void Open(const std::string &n) { Name(n); Word(10); }
  void Close() { Word(11); }
  void Ints(const std::vector<u32> &v) { Word(6); Dword((u32)v.size()); for (u32 x : v) Dword(x); }
  void Floats(const std::vector<f32> &v) { Word(7); Dword((u32)v.size()); for (f32 x : v) s.append((const char *)&x, 4); }
  void String(const std::string &t) { Word(2); Dword((u32)t.size()); s += t; Word(20); }
  // A mesh's normals (over the mesh's own faces) and texture coordinates, `count` of each.
  void NormalsAndCoords(u32 count, const std::vector<f32> &normals, const std::vector<u32> &faces,
                        const std::vector<f32> &coords) {
    Open("MeshNormals");
    Ints({count});
    Floats(normals);
    Ints(faces);
    Close();
    Open("MeshTextureCoords");
    Ints({count});
    Floats(coords);
    Close();
  }
};
