// DirectX .x file reader: decompression, one tokeniser for the text and binary encodings, and
// the object parser that merges the file's meshes (see xread.h).
#include "model/formats/xread.h"

#include <float.h>
#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include <algorithm>

#include "model/formats/fmt_local.h"
#include "model/str.h"

namespace {

enum { MAX_FRAME_DEPTH = 64, MSZIP_BLOCK = 32768, HEADER_SIZE = 16 };

// [SECTION] Tokens

enum XTok : u8 { T_END, T_NAME, T_STRING, T_INT, T_FLOAT, T_OBRACE, T_CBRACE, T_SEP, T_GUID, T_OTHER };

// Binary token numbers of the format.
enum : u16 {
  B_NAME = 1, B_STRING = 2, B_INTEGER = 3, B_GUID = 5, B_INTEGER_LIST = 6, B_FLOAT_LIST = 7,
  B_OBRACE = 10, B_CBRACE = 11, B_OPAREN = 12, B_DOT = 18, B_COMMA = 19, B_SEMICOLON = 20,
  B_TEMPLATE = 31, B_WORD = 40, B_ARRAY = 52,
};

struct XLex {
  ByteReader r;   // the file body (decompressed), after the 16-byte header
  bool binary, doubles;
  u32 listLeft;   // binary: elements of the current integer or float list still to come
  bool listFloat;
  bool peeked;
  XTok tok;
  char text[256];   // name or string (cut to fit; the file's bytes as they are)
  f64 num;
  bool integral;    // num is a whole number in 0..0xFFFFFFFF
  const char *path;
  char *reason;
  size_t reasonSize;
  bool failed;
};

void Fail(XLex *lx, const char *fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;

// Records the first failure with the byte offset it was found at; every later token is T_END.
void Fail(XLex *lx, const char *fmt, ...) {
  if (lx->failed) return;
  lx->failed = true;
  char what[200];
  va_list ap;
  va_start(ap, fmt);
  vsnprintf(what, sizeof what, fmt, ap);
  va_end(ap);
  Str_Format(lx->reason, lx->reasonSize, "%s : %s ( %llu バイト目 )", lx->path, what,
             (unsigned long long)(Rd_Tell(&lx->r) + HEADER_SIZE));
}

void SetNumber(XLex *lx, f64 v) {
  // NaN and the infinities are kept: the import refuses a model that holds one.
  lx->num = v;
  lx->integral = isfinite(v) && v >= 0 && v <= 4294967295.0 && v == floor(v);
}

void SetText(XLex *lx, const u8 *s, size_t n) {
  size_t k = n < sizeof lx->text - 1 ? n : sizeof lx->text - 1;
  memcpy(lx->text, s, k);
  lx->text[k] = 0;
}

bool IsSpace(u8 c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == 0; }
bool IsStop(u8 c) { return IsSpace(c) || strchr("{}[]()<>,;\"#", c) != nullptr; }

// A text word: a number when it reads whole as one, else a name.
XTok TextWord(XLex *lx) {
  const u8 *s = lx->r.p;
  while (lx->r.p < lx->r.end && !IsStop(*lx->r.p)) lx->r.p++;
  size_t n = (size_t)(lx->r.p - s);
  SetText(lx, s, n);
  char c = lx->text[0];
  if (n < 64 && ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.')) {
    char *endp = nullptr;
    f64 v = strtod(lx->text, &endp);
    if (endp && *endp == 0 && endp != lx->text) {
      SetNumber(lx, v);
      return lx->integral && !strpbrk(lx->text, ".eE") ? T_INT : T_FLOAT;
    }
  }
  return T_NAME;
}

XTok TextNext(XLex *lx) {
  ByteReader &r = lx->r;
  for (;;) {
    while (r.p < r.end && IsSpace(*r.p)) r.p++;
    if (r.p >= r.end) return T_END;
    if (*r.p == '#' || (*r.p == '/' && r.p + 1 < r.end && r.p[1] == '/')) {
      while (r.p < r.end && *r.p != '\n') r.p++;   // a comment runs to the end of its line
      continue;
    }
    break;
  }
  u8 c = *r.p;
  if (c == '{' || c == '}' || c == ';' || c == ',') {
    r.p++;
    return c == '{' ? T_OBRACE : c == '}' ? T_CBRACE : T_SEP;
  }
  if (c == '"' || c == '<') {
    u8 close = c == '"' ? '"' : '>';
    const u8 *q = (const u8 *)memchr(r.p + 1, close, (size_t)(r.end - r.p - 1));
    if (!q) {
      Fail(lx, c == '"' ? "文字列が閉じていません。" : "GUID が閉じていません。");
      return T_END;
    }
    SetText(lx, r.p + 1, (size_t)(q - r.p - 1));
    r.p = q + 1;
    return c == '"' ? T_STRING : T_GUID;
  }
  if (strchr("[]()>", c)) {
    r.p++;
    return T_OTHER;
  }
  return TextWord(lx);
}

// A binary name or string: a 32-bit length and the bytes.
XTok BinaryText(XLex *lx, XTok tok) {
  u32 n = Rd_U32(&lx->r);
  const u8 *s = lx->r.p;
  if (!Rd_Skip(&lx->r, n)) return T_END;
  SetText(lx, s, n);
  return tok;
}

XTok BinaryListElement(XLex *lx) {
  lx->listLeft--;
  if (!lx->listFloat) {
    SetNumber(lx, Rd_U32(&lx->r));
    return T_INT;
  }
  SetNumber(lx, lx->doubles ? Rd_F64(&lx->r) : (f64)Rd_F32(&lx->r));
  return T_FLOAT;
}

XTok BinaryNext(XLex *lx) {
  ByteReader &r = lx->r;
  for (;;) {
    if (lx->listLeft) return BinaryListElement(lx);
    if (Rd_AtEnd(&r)) return T_END;
    u16 t = Rd_U16(&r);
    switch (t) {
      case B_NAME: return BinaryText(lx, T_NAME);
      case B_STRING: return BinaryText(lx, T_STRING);
      case B_INTEGER: SetNumber(lx, Rd_U32(&r)); return T_INT;
      case B_GUID: Rd_Skip(&r, 16); return T_GUID;
      case B_INTEGER_LIST:
      case B_FLOAT_LIST: {
        u32 n = Rd_U32(&r);
        u64 bytes = (u64)n * (t == B_FLOAT_LIST && lx->doubles ? 8 : 4);
        if (!Rd_Need(&r, bytes)) return T_END;
        lx->listLeft = n;
        lx->listFloat = t == B_FLOAT_LIST;
        continue;   // an empty list gives no token
      }
      case B_OBRACE: return T_OBRACE;
      case B_CBRACE: return T_CBRACE;
      case B_COMMA:
      case B_SEMICOLON: return T_SEP;
      case B_TEMPLATE: Str_Copy(lx->text, sizeof lx->text, "template"); return T_NAME;
      default:
        if ((t >= B_OPAREN && t <= B_DOT) || (t >= B_WORD && t <= B_ARRAY)) return T_OTHER;
        Fail(lx, "不明なトークン %u があります。", t);
        return T_END;
    }
  }
}

XTok Peek(XLex *lx) {
  if (!lx->peeked) {
    lx->tok = lx->failed ? T_END : lx->binary ? BinaryNext(lx) : TextNext(lx);
    if (lx->r.err) {
      lx->r.err = false;   // keep the offset readable for the message
      Fail(lx, "ファイルが途中で終わっています。");
      lx->tok = T_END;
    }
    lx->peeked = true;
  }
  return lx->tok;
}

XTok Take(XLex *lx) {
  XTok t = Peek(lx);
  lx->peeked = false;
  return t;
}

void FailAtEnd(XLex *lx) { Fail(lx, "ファイルが途中で終わっています。"); }

// [SECTION] Values and objects

// The next number, separators skipped.
bool Number(XLex *lx, f64 *out) {
  for (;;) {
    XTok t = Take(lx);
    if (t == T_SEP) continue;
    if (t == T_INT || t == T_FLOAT) {
      *out = lx->num;
      return true;
    }
    if (t == T_END) FailAtEnd(lx);
    else Fail(lx, "数値がありません。");
    return false;
  }
}

bool Float(XLex *lx, f32 *out) {
  f64 v;
  if (!Number(lx, &v)) return false;
  // Beyond the float range is infinite (NaN stays NaN): the import refuses such a model.
  *out = v > FLT_MAX ? INFINITY : v < -FLT_MAX ? -INFINITY : (f32)v;
  return true;
}

bool Floats(XLex *lx, f32 *out, int n) {
  for (int i = 0; i < n; i++)
    if (!Float(lx, &out[i])) return false;
  return true;
}

// A count or index: a whole number that fits 32 bits.
bool Whole(XLex *lx, u32 *out) {
  f64 v;
  if (!Number(lx, &v)) return false;
  if (!lx->integral) {
    Fail(lx, "整数が必要な所に %g があります。", v);
    return false;
  }
  *out = (u32)v;
  return true;
}

// A count of items of at least perItem numbers each: every number takes at least one byte,
// so a count beyond what the rest of the file can hold is refused before anything is made.
bool Count(XLex *lx, u32 perItem, u32 *out) {
  if (!Whole(lx, out)) return false;
  if ((u64)*out * perItem > Rd_Remaining(&lx->r) + lx->listLeft) {
    Fail(lx, "個数 %u がファイルの大きさを超えています。", *out);
    return false;
  }
  return true;
}

// After an object's template name: its optional name and GUID, then the opening brace.
bool OpenObject(XLex *lx, char *name, size_t nameSize) {
  if (name) name[0] = 0;
  if (Peek(lx) == T_NAME) {
    Take(lx);
    if (name) Str_Copy(name, nameSize, lx->text);
  }
  if (Peek(lx) == T_GUID) Take(lx);
  XTok t = Take(lx);
  if (t == T_OBRACE) return true;
  if (t == T_END) FailAtEnd(lx);
  else Fail(lx, "{ がありません。");
  return false;
}

// Skips to the brace that closes an object already opened, whatever it holds.
bool SkipBody(XLex *lx) {
  for (int depth = 1;;) {
    if (lx->binary && lx->listLeft) {   // a binary list is passed over in one step
      Rd_Skip(&lx->r, (u64)lx->listLeft * (lx->listFloat && lx->doubles ? 8 : 4));
      lx->listLeft = 0;
    }
    XTok t = Take(lx);
    if (t == T_OBRACE) depth++;
    if (t == T_CBRACE && --depth == 0) return true;
    if (t == T_END) {
      FailAtEnd(lx);
      return false;
    }
  }
}

bool SkipObject(XLex *lx) { return OpenObject(lx, nullptr, 0) && SkipBody(lx); }

enum Child { CHILD_END, CHILD_OBJECT, CHILD_REF, CHILD_FAIL };

// The next child of an open object: a data object (its template name in lx->text, not yet
// opened), a reference "{ name }" (the name in lx->text, already read), or the closing
// brace. Values after an object's known members are passed over.
Child NextChild(XLex *lx) {
  for (;;) {
    XTok t = Take(lx);
    switch (t) {
      case T_CBRACE: return CHILD_END;
      case T_NAME: return CHILD_OBJECT;
      case T_OBRACE: {
        char name[256] = "";
        for (;;) {
          XTok u = Take(lx);
          if (u == T_NAME) Str_Copy(name, sizeof name, lx->text);
          if (u == T_CBRACE) break;
          if (u == T_END) {
            FailAtEnd(lx);
            return CHILD_FAIL;
          }
        }
        Str_Copy(lx->text, sizeof lx->text, name);
        return CHILD_REF;
      }
      case T_END: FailAtEnd(lx); return CHILD_FAIL;
      default: continue;
    }
  }
}

// Template names compared ignoring case, as exporters do not agree on "TextureFileName".
bool Is(const XLex *lx, const char *name) {
  const char *a = lx->text;
  for (; *a && *name; a++, name++) {
    char x = (*a >= 'A' && *a <= 'Z') ? (char)(*a + 32) : *a;
    char y = (*name >= 'A' && *name <= 'Z') ? (char)(*name + 32) : *name;
    if (x != y) return false;
  }
  return *a == *name;
}

// [SECTION] Meshes

struct NamedMaterial {
  char name[256];
  XMaterial material;
};

// One mesh as the file gives it: positions, polygons, and per-polygon normal indices.
struct FileMesh {
  std::vector<Vec3> positions;
  std::vector<u32> faceStart;   // polygon p: corners faceStart[p] .. faceStart[p + 1] - 1
  std::vector<u32> corners;
  std::vector<Vec3> normals;
  std::vector<u32> normalCorners;   // same layout as corners; empty without MeshNormals
  std::vector<Vec2> uvs;            // empty or one per position
  std::vector<XMaterial> materials;
  std::vector<u32> faceMaterials;   // per polygon; may be shorter (the last one repeats)
  bool hasMaterialList;
};

struct XParser {
  XLex lx;
  XReadMesh *out;
  std::vector<NamedMaterial> named;   // top-level materials, for references
  std::vector<u32> attributes;        // per output triangle; NO_MATERIAL until resolved
};

const u32 NO_MATERIAL = 0xFFFFFFFFu;

// Polygon lists (faces of Mesh and of MeshNormals): count, then per polygon its corner count
// and indices, each below `limit`.
bool ReadPolygons(XParser *ps, std::vector<u32> *start, std::vector<u32> *corners, u32 limit, bool positions) {
  XLex *lx = &ps->lx;
  u32 n;
  if (!Count(lx, 1, &n)) return false;
  start->reserve((size_t)n + 1);
  start->push_back(0);
  for (u32 f = 0; f < n; f++) {
    u32 k;
    if (!Count(lx, 1, &k)) return false;
    for (u32 i = 0; i < k; i++) {
      u32 index;
      if (!Whole(lx, &index)) return false;
      if (index >= limit) {
        if (positions) Fail(lx, "頂点番号 %u が頂点数 %u を超えています。", index, limit);
        else Fail(lx, "法線番号 %u が法線数 %u を超えています。", index, limit);
        return false;
      }
      corners->push_back(index);
    }
    start->push_back((u32)corners->size());
  }
  return true;
}

bool ReadVectors(XLex *lx, std::vector<Vec3> *v) {
  u32 n;
  if (!Count(lx, 3, &n)) return false;
  v->resize(n);
  for (Vec3 &p : *v)
    if (!Floats(lx, &p.x, 3)) return false;
  return true;
}

bool ReadNormals(XParser *ps, FileMesh *mesh) {
  XLex *lx = &ps->lx;
  std::vector<u32> start;
  if (!OpenObject(lx, nullptr, 0) || !ReadVectors(lx, &mesh->normals) ||
      !ReadPolygons(ps, &start, &mesh->normalCorners, (u32)mesh->normals.size(), false))
    return false;
  // The normal polygons must match the mesh polygons corner for corner.
  if (start != mesh->faceStart) {
    Fail(lx, "法線の面 %llu 個がメッシュの面 %llu 個と合いません。", (unsigned long long)(start.size() - 1),
         (unsigned long long)(mesh->faceStart.size() - 1));
    return false;
  }
  return SkipBody(lx);
}

bool ReadTextureCoords(XParser *ps, FileMesh *mesh) {
  XLex *lx = &ps->lx;
  u32 n;
  if (!OpenObject(lx, nullptr, 0) || !Count(lx, 2, &n)) return false;
  if (n != mesh->positions.size()) {
    Fail(lx, "テクスチャ座標の数 %u が頂点数 %llu と合いません。", n, (unsigned long long)mesh->positions.size());
    return false;
  }
  mesh->uvs.resize(n);
  for (Vec2 &uv : mesh->uvs)
    if (!Float(lx, &uv.u) || !Float(lx, &uv.v)) return false;
  return SkipBody(lx);
}

// Material: face colour (r, g, b, a), power, specular and emissive colours, then children of
// which TextureFilename is read.
bool ReadMaterial(XParser *ps, XMaterial *mat, char *name, size_t nameSize) {
  XLex *lx = &ps->lx;
  memset(mat, 0, sizeof *mat);
  f32 rest[7];
  if (!OpenObject(lx, name, nameSize) || !Floats(lx, mat->diffuse, 4) || !Floats(lx, rest, 7)) return false;
  for (;;) {
    Child c = NextChild(lx);
    if (c == CHILD_END) return true;
    if (c == CHILD_FAIL) return false;
    if (c == CHILD_OBJECT && (Is(lx, "TextureFilename") || Is(lx, "TextureFileName"))) {
      if (!OpenObject(lx, nullptr, 0)) return false;
      XTok t;
      while ((t = Take(lx)) == T_SEP) {
      }
      if (t != T_STRING) {
        if (t == T_END) FailAtEnd(lx);
        else Fail(lx, "テクスチャファイル名がありません。");
        return false;
      }
      Str_Copy(mat->texture, sizeof mat->texture, lx->text);
      if (!SkipBody(lx)) return false;
    } else if (c == CHILD_OBJECT && !SkipObject(lx)) {
      return false;
    }
  }
}

bool ReadMaterialList(XParser *ps, FileMesh *mesh) {
  XLex *lx = &ps->lx;
  u32 count, faces;
  if (!OpenObject(lx, nullptr, 0) || !Whole(lx, &count) || !Count(lx, 1, &faces)) return false;
  mesh->hasMaterialList = true;
  mesh->faceMaterials.resize(faces);
  for (u32 &m : mesh->faceMaterials)
    if (!Whole(lx, &m)) return false;
  for (;;) {
    Child c = NextChild(lx);
    if (c == CHILD_FAIL) return false;
    if (c == CHILD_END) break;
    if (c == CHILD_REF) {
      const NamedMaterial *found = nullptr;
      for (const NamedMaterial &n : ps->named)
        if (strcmp(n.name, lx->text) == 0) found = &n;
      if (!found) {
        Fail(lx, "マテリアル %s がありません。", lx->text);
        return false;
      }
      mesh->materials.push_back(found->material);
    } else if (Is(lx, "Material")) {
      XMaterial mat;
      if (!ReadMaterial(ps, &mat, nullptr, 0)) return false;
      mesh->materials.push_back(mat);
    } else if (!SkipObject(lx)) {
      return false;
    }
  }
  if (mesh->materials.size() < count) {
    Fail(lx, "マテリアルが %u 個のはずが %llu 個しかありません。", count, (unsigned long long)mesh->materials.size());
    return false;
  }
  mesh->materials.resize(count);
  for (u32 m : mesh->faceMaterials) {
    if (m >= count) {
      Fail(lx, "マテリアル番号 %u がマテリアル数 %u を超えています。", m, count);
      return false;
    }
  }
  return true;
}

// The output vertex of position p with normal n: the position's own vertex for the first
// normal it meets, a duplicate for every other.
struct VertexMap {
  std::vector<u32> normalOf;   // per output vertex of this mesh: its normal, or NO_MATERIAL
  std::vector<u32> nextDup;    // chain of duplicates of one position
};

u32 VertexFor(XParser *ps, VertexMap *vm, u32 base, u32 p, u32 n) {
  u32 v = p;
  for (;;) {
    if (vm->normalOf[v] == NO_MATERIAL) vm->normalOf[v] = n;
    if (vm->normalOf[v] == n) return base + v;
    if (vm->nextDup[v] == NO_MATERIAL) break;
    v = vm->nextDup[v];
  }
  u32 dup = (u32)vm->normalOf.size();
  vm->nextDup[v] = dup;
  vm->normalOf.push_back(n);
  vm->nextDup.push_back(NO_MATERIAL);
  ps->out->vertices.push_back(ps->out->vertices[base + p]);
  return base + dup;
}

// Appends a parsed mesh to the output: vertices (duplicated per normal), fan triangles and
// their materials (numbered after those of the meshes before).
bool AppendMesh(XParser *ps, const FileMesh &mesh) {
  XReadMesh *out = ps->out;
  u32 base = (u32)out->vertices.size();
  for (size_t i = 0; i < mesh.positions.size(); i++) {
    XMeshVertex v = {};
    memcpy(v.pos, &mesh.positions[i].x, sizeof v.pos);
    if (!mesh.uvs.empty()) {
      v.u = mesh.uvs[i].u;
      v.v = mesh.uvs[i].v;
    }
    out->vertices.push_back(v);
  }
  VertexMap vm;
  vm.normalOf.assign(mesh.positions.size(), NO_MATERIAL);
  vm.nextDup.assign(mesh.positions.size(), NO_MATERIAL);
  u32 materialBase = (u32)out->materials.size();
  out->materials.insert(out->materials.end(), mesh.materials.begin(), mesh.materials.end());
  bool normals = !mesh.normalCorners.empty();
  std::vector<u32> polygon;
  for (size_t f = 0; f + 1 < mesh.faceStart.size(); f++) {
    polygon.clear();
    for (u32 c = mesh.faceStart[f]; c < mesh.faceStart[f + 1]; c++) {
      u32 p = mesh.corners[c];
      polygon.push_back(normals ? VertexFor(ps, &vm, base, p, mesh.normalCorners[c]) : base + p);
    }
    u32 attribute = NO_MATERIAL;
    if (mesh.hasMaterialList) {
      size_t k = mesh.faceMaterials.size();
      attribute = k == 0 ? 0 : materialBase + mesh.faceMaterials[f < k ? f : k - 1];
    }
    for (size_t j = 1; j + 1 < polygon.size(); j++) {
      out->indices.insert(out->indices.end(), {polygon[0], polygon[j], polygon[j + 1]});
      ps->attributes.push_back(attribute);
    }
  }
  if (normals) {
    for (size_t v = 0; v < vm.normalOf.size(); v++) {
      u32 n = vm.normalOf[v];
      if (n != NO_MATERIAL) memcpy(out->vertices[base + v].normal, &mesh.normals[n].x, sizeof(f32) * 3);
    }
  }
  if (out->vertices.size() > XFILE_MAX_VERTICES) {
    Fail(&ps->lx, "頂点数 %llu ( 最大%dを超えています )", (unsigned long long)out->vertices.size(), XFILE_MAX_VERTICES);
    return false;
  }
  return true;
}

bool ReadMesh(XParser *ps) {
  XLex *lx = &ps->lx;
  FileMesh mesh = {};
  if (!OpenObject(lx, nullptr, 0) || !ReadVectors(lx, &mesh.positions)) return false;
  if (mesh.positions.size() > XFILE_MAX_VERTICES) {
    Fail(lx, "頂点数 %llu ( 最大%dを超えています )", (unsigned long long)mesh.positions.size(), XFILE_MAX_VERTICES);
    return false;
  }
  if (!ReadPolygons(ps, &mesh.faceStart, &mesh.corners, (u32)mesh.positions.size(), true)) return false;
  for (;;) {
    Child c = NextChild(lx);
    if (c == CHILD_FAIL) return false;
    if (c == CHILD_END) break;
    bool ok = true;
    if (c == CHILD_REF) continue;
    if (Is(lx, "MeshNormals")) ok = ReadNormals(ps, &mesh);
    else if (Is(lx, "MeshTextureCoords")) ok = ReadTextureCoords(ps, &mesh);
    else if (Is(lx, "MeshMaterialList")) ok = ReadMaterialList(ps, &mesh);
    else ok = SkipObject(lx);   // skinning, duplication indices, vertex colours, ...
    if (!ok) return false;
  }
  return AppendMesh(ps, mesh);
}

// [SECTION] Frames

// Row-vector transform of the vertices from `first` on: positions by the matrix, normals by
// the inverse transpose of its 3x3 part (its cofactors, sign-corrected), renormalised.
void TransformVertices(XReadMesh *out, size_t first, const f32 m[16]) {
  f32 c[9] = {
      m[5] * m[10] - m[6] * m[9], m[6] * m[8] - m[4] * m[10], m[4] * m[9] - m[5] * m[8],
      m[2] * m[9] - m[1] * m[10], m[0] * m[10] - m[2] * m[8], m[1] * m[8] - m[0] * m[9],
      m[1] * m[6] - m[2] * m[5], m[2] * m[4] - m[0] * m[6], m[0] * m[5] - m[1] * m[4],
  };
  f32 det = m[0] * c[0] + m[1] * c[1] + m[2] * c[2];
  f32 sign = det < 0 ? -1.0f : 1.0f;
  for (size_t i = first; i < out->vertices.size(); i++) {
    XMeshVertex &v = out->vertices[i];
    f32 p[3], n[3];
    for (int k = 0; k < 3; k++) {
      p[k] = v.pos[0] * m[k] + v.pos[1] * m[4 + k] + v.pos[2] * m[8 + k] + m[12 + k];
      n[k] = sign * (v.normal[0] * c[3 * 0 + k] + v.normal[1] * c[3 * 1 + k] + v.normal[2] * c[3 * 2 + k]);
    }
    f32 len = sqrtf(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    bool finite = isfinite(n[0]) && isfinite(n[1]) && isfinite(n[2]);
    // A position or normal that is not a number stays so, and the import refuses the model.
    for (int k = 0; k < 3; k++) {
      v.pos[k] = p[k];
      v.normal[k] = !finite ? NAN : len > 0 && isfinite(len) ? n[k] / len : 0.0f;
    }
  }
}

bool ReadFrame(XParser *ps, int depth) {
  XLex *lx = &ps->lx;
  if (depth >= MAX_FRAME_DEPTH) {
    Fail(lx, "フレームの入れ子が %d 段を超えています。", MAX_FRAME_DEPTH);
    return false;
  }
  if (!OpenObject(lx, nullptr, 0)) return false;
  size_t first = ps->out->vertices.size();
  f32 matrix[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  bool transformed = false;
  for (;;) {
    Child c = NextChild(lx);
    if (c == CHILD_FAIL) return false;
    if (c == CHILD_END) break;
    if (c == CHILD_REF) continue;
    bool ok;
    if (Is(lx, "Frame")) ok = ReadFrame(ps, depth + 1);
    else if (Is(lx, "Mesh")) ok = ReadMesh(ps);
    else if (Is(lx, "FrameTransformMatrix")) {
      ok = OpenObject(lx, nullptr, 0) && Floats(lx, matrix, 16) && SkipBody(lx);
      transformed = true;
    } else ok = SkipObject(lx);
    if (!ok) return false;
  }
  // Applied when the frame closes, so the matrix holds wherever it stands in the frame and
  // the meshes of inner frames (already in their own frame's space) get it after theirs.
  if (transformed) TransformVertices(ps->out, first, matrix);
  return true;
}

// [SECTION] File

bool TopLevel(XParser *ps) {
  XLex *lx = &ps->lx;
  for (;;) {
    XTok t = Take(lx);
    if (t == T_END) return !lx->failed;
    if (t == T_SEP) continue;
    if (t != T_NAME) {
      Fail(lx, "データオブジェクトの名前がありません。");
      return false;
    }
    bool ok;
    if (Is(lx, "template")) {
      ok = true;
      while (ok && (t = Take(lx)) != T_OBRACE) ok = t != T_END;
      ok = ok ? SkipBody(lx) : (FailAtEnd(lx), false);
    } else if (Is(lx, "Frame")) {
      ok = ReadFrame(ps, 0);
    } else if (Is(lx, "Mesh")) {
      ok = ReadMesh(ps);
    } else if (Is(lx, "Material")) {
      NamedMaterial n;
      ok = ReadMaterial(ps, &n.material, n.name, sizeof n.name);
      if (ok && n.name[0]) ps->named.push_back(n);
    } else {
      ok = SkipObject(lx);   // animation sets, header, tick rate, ...
    }
    if (!ok) return false;
  }
}

// Meshes without a material list take one white material when others have materials.
void ResolveMaterials(XParser *ps) {
  XReadMesh *out = ps->out;
  bool missing = std::find(ps->attributes.begin(), ps->attributes.end(), NO_MATERIAL) != ps->attributes.end();
  u32 fill = 0;
  if (missing && !out->materials.empty()) {
    XMaterial white = {{1, 1, 1, 1}, ""};
    fill = (u32)out->materials.size();
    out->materials.push_back(white);
  }
  for (u32 &a : ps->attributes)
    if (a == NO_MATERIAL) a = fill;
}

// Triangles sorted by material (stable), one attribute range per material used.
void SortByMaterial(XParser *ps) {
  XReadMesh *out = ps->out;
  u32 count = (u32)ps->attributes.size();
  std::vector<u32> order(count);
  for (u32 i = 0; i < count; i++) order[i] = i;
  std::stable_sort(order.begin(), order.end(), [&](u32 a, u32 b) { return ps->attributes[a] < ps->attributes[b]; });
  std::vector<u32> sorted((size_t)count * 3);
  for (u32 i = 0; i < count; i++) {
    u32 t = order[i];
    std::copy(&out->indices[3 * (size_t)t], &out->indices[3 * (size_t)t] + 3, &sorted[3 * (size_t)i]);
    u32 a = ps->attributes[t];
    if (out->ranges.empty() || out->ranges.back().attribId != a) out->ranges.push_back({a, i, 0});
    out->ranges.back().faceCount++;
  }
  out->indices.swap(sorted);
}

// MSZIP body: after the header a 32-bit size of the whole decompressed file (header
// included), then blocks of a 16-bit decompressed size, a 16-bit size of what follows
// ("CK" and a raw deflate stream whose dictionary is the previous block's output).
bool Decompress(XLex *lx, std::vector<u8> *out) {
  ByteReader &r = lx->r;
  u32 total = Rd_U32(&r);
  const u8 *blocks = r.p;
  u64 sum = 0;
  while (!Rd_AtEnd(&r) && !r.err) {   // sizes first: the output is made once, at its size
    u16 plain = Rd_U16(&r);
    u16 packed = Rd_U16(&r);
    sum += plain;
    if (packed < 2) r.err = true;
    if (!Rd_Skip(&r, packed)) break;
  }
  if (r.err || (sum != total && sum + HEADER_SIZE != total)) {
    r.err = false;
    Fail(lx, "圧縮されたデータが壊れています。");
    return false;
  }
  out->resize((size_t)sum);
  z_stream z = {};
  if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
    Fail(lx, "メモリが足りません。");
    return false;
  }
  ByteReader b;   // the blocks again, now known to be whole
  Rd_Init(&b, blocks, (size_t)(r.end - blocks));
  size_t done = 0, previous = 0;
  bool ok = true;
  while (ok && !Rd_AtEnd(&b)) {
    u16 plain = Rd_U16(&b);
    u16 packed = Rd_U16(&b);
    const u8 *data = b.p;
    Rd_Skip(&b, packed);
    ok = plain <= MSZIP_BLOCK && data[0] == 'C' && data[1] == 'K' && inflateReset(&z) == Z_OK;
    if (ok && previous) ok = inflateSetDictionary(&z, out->data() + done - previous, (uInt)previous) == Z_OK;
    if (!ok) break;
    z.next_in = (Bytef *)(data + 2);
    z.avail_in = packed - 2u;
    z.next_out = out->data() + done;
    z.avail_out = plain;
    int ret = plain ? inflate(&z, Z_FINISH) : Z_STREAM_END;
    // A block need not end its deflate stream; it is whole when its output is.
    ok = (ret == Z_STREAM_END || ret == Z_OK || ret == Z_BUF_ERROR) && z.avail_out == 0;
    done += plain;
    previous = plain;
  }
  inflateEnd(&z);
  if (!ok) {
    r.p = b.p;   // the message names the block that failed
    Fail(lx, "圧縮されたデータが壊れています。");
  }
  return ok;
}

}  // namespace

XReadResult XRead_Parse(const u8 *data, size_t size, const char *path, XReadMesh *out, char *reason,
                        size_t reasonSize) {
  *out = XReadMesh();
  if (reasonSize) reason[0] = 0;
  if (size < HEADER_SIZE || memcmp(data, "xof ", 4) != 0) return XREAD_NOT_X;
  const char *format = (const char *)data + 8;
  bool text = memcmp(format, "txt ", 4) == 0, binary = memcmp(format, "bin ", 4) == 0;
  bool ztext = memcmp(format, "tzip", 4) == 0, zbinary = memcmp(format, "bzip", 4) == 0;
  bool f32s = memcmp(data + 12, "0032", 4) == 0, f64s = memcmp(data + 12, "0064", 4) == 0;
  if (!(text || binary || ztext || zbinary) || !(f32s || f64s)) {
    Str_Format(reason, reasonSize, "%s : 読めない形式のＸファイルです。( %.8s )", path, (const char *)data + 8);
    return XREAD_DAMAGED;
  }
  XParser *ps = new XParser();
  ps->out = out;
  XLex &lx = ps->lx;
  lx.binary = binary || zbinary;
  lx.doubles = f64s;
  lx.path = path;
  lx.reason = reason;
  lx.reasonSize = reasonSize;
  Rd_Init(&lx.r, data + HEADER_SIZE, size - HEADER_SIZE);
  std::vector<u8> body;
  bool ok = true;
  if (ztext || zbinary) {
    ok = Decompress(&lx, &body);
    if (ok) Rd_Init(&lx.r, body.data(), body.size());
  }
  ok = ok && TopLevel(ps);
  if (ok && out->vertices.empty()) {
    Fail(&lx, "メッシュがありません。");
    ok = false;
  }
  if (ok) {
    ResolveMaterials(ps);
    SortByMaterial(ps);
  }
  delete ps;
  if (!ok) *out = XReadMesh();
  return ok ? XREAD_OK : XREAD_DAMAGED;
}

void XRead_View(const XReadMesh *mesh, XMeshData *out) {
  *out = {mesh->vertices.data(), (u32)mesh->vertices.size(), mesh->indices.data(), (u32)(mesh->indices.size() / 3),
          mesh->materials.data(), (u32)mesh->materials.size(), mesh->ranges.data(), (u32)mesh->ranges.size()};
}
