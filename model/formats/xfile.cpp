// X files: the import (our reader's merged mesh built into a model) and the binary writer
// that stands in for the platform's mesh saver.
#include "model/formats/xfile.h"

#include <string.h>

#include "model/finite.h"
#include "model/formats/fmt_local.h"
#include "model/formats/xread.h"
#include "model/seam_log.h"
#include "model/str.h"

// [SECTION] Import

// File name without folder-independent extension: "tex/wood.png" -> "tex/wood".
static void StripExtension(char *dst, size_t size, const char *name) {
  Str_Copy(dst, size, name);
  char *dot = strrchr(dst, '.');
  char *slash = strrchr(dst, '\\');
  char *slash2 = strrchr(dst, '/');
  if (slash2 > slash) slash = slash2;
  if (dot && (!slash || dot > slash)) *dot = 0;
}

// With overLimit, faces beyond the polygon limit are refused (an import does so, as the other
// importers do: a model cut to the limit would lose the rest for good at its next save).
static bool CheckMesh(const XMeshData *mesh, const char *path, char *reason, size_t size, bool overLimit) {
  if (mesh->materialCount > XFILE_MAX_MATERIALS) {
    Str_Format(reason, size, "%s : マテリアル数 %u ( 最大%dを超えています )", path, mesh->materialCount,
               XFILE_MAX_MATERIALS);
    return false;
  }
  if (mesh->rangeCount > XFILE_MAX_RANGES) {
    Str_Format(reason, size, "%s : 属性数 %u ( 最大%dを超えています )", path, mesh->rangeCount, XFILE_MAX_RANGES);
    return false;
  }
  if (mesh->vertexCount > XFILE_MAX_VERTICES || mesh->vertexCount > g_MaxVertices) {
    Str_Format(reason, size, "%s : 頂点数 %u ( 最大%dを超えています )", path, mesh->vertexCount,
               (int)(g_MaxVertices < (u32)XFILE_MAX_VERTICES ? g_MaxVertices : (u32)XFILE_MAX_VERTICES));
    return false;
  }
  if (overLimit && mesh->faceCount > g_MaxPolygons) {
    Str_Format(reason, size, "%s : ポリゴン数 %u ( 最大%dを超えています )", path, mesh->faceCount, (int)g_MaxPolygons);
    return false;
  }
  u64 indexCount = (u64)mesh->faceCount * 3;
  for (u64 i = 0; i < indexCount; i++) {
    if (mesh->indices[i] >= mesh->vertexCount) {
      Str_Format(reason, size, "%s : 頂点番号 %u が頂点数 %u を超えています。", path, mesh->indices[i],
                 mesh->vertexCount);
      return false;
    }
  }
  return true;
}

// A mesh without materials is one white group with the file's texture coordinates, as the
// other importers give a model without surfaces or materials one group.
static void BuildDefaultGroup(Model3 *m) {
  Group3 &g = m->groups[0];
  g.r = g.g = g.b = g.a = 255.0f;
  g.texture = 0;
  g.mapping = 10;
  m->groupCount = 1;
}

static void BuildMaterials(Model3 *m, const XMeshData *mesh) {
  if (mesh->materialCount == 0) return BuildDefaultGroup(m);
  m->groupCount = (i32)mesh->materialCount;
  for (u32 i = 0; i < mesh->materialCount; i++) {
    const XMaterial &mat = mesh->materials[i];
    Group3 &g = m->groups[i];
    g.r = mat.diffuse[0] * 255.0f;
    g.g = mat.diffuse[1] * 255.0f;
    g.b = mat.diffuse[2] * 255.0f;
    g.a = mat.diffuse[3] * 255.0f;
    g.texture = i + 1;   // material i owns texture entry i + 1, textured or not
    g.mapping = 10;      // coordinates given by the file
    i32 entry = m->textureCount;
    if (mat.texture[0] && entry < MODEL3_TEXTURES) {
      m->textures[entry].used = 1;
      Model3_SetText(&m->textures[entry].name, mat.texture);
      StripExtension(g.name, sizeof g.name, mat.texture);
    }
    if (m->textureCount < MODEL3_TEXTURES) m->textureCount++;
  }
}

static void BuildVertices(Model3 *m, const XMeshData *mesh) {
  for (u32 i = 0; i < mesh->vertexCount; i++) {
    const XMeshVertex &v = mesh->vertices[i];
    m->positions[i] = {v.pos[0] * 5.0f, v.pos[1] * 5.0f, v.pos[2] * 5.0f};
    m->normals[i] = {v.normal[0], v.normal[1], v.normal[2]};
    m->uvs[i] = {v.u, v.v};
  }
  m->positionCount = (i32)mesh->vertexCount;
  m->uvCount = (i32)mesh->vertexCount;
  // Every corner indexes a normal of its own vertex, so all of them are in use.
  m->normalCount = (i32)mesh->vertexCount;
  m->colors[0] = {255, 255, 255, 255};
  m->colorCount = 1;
}

// The group of face f: the material of the attribute range that holds it (not the range's
// position in the table, which an unused material would shift), or 0.
static u32 FaceGroup(const XMeshData *mesh, u32 f, i32 groupCount) {
  for (u32 r = 0; r < mesh->rangeCount; r++) {
    const XAttributeRange &range = mesh->ranges[r];
    if (f >= range.faceStart && f - range.faceStart < range.faceCount)
      return range.attribId < (u32)groupCount ? range.attribId : 0;
  }
  return 0;
}

static void BuildPolygons(Model3 *m, const XMeshData *mesh, const char *path) {
  u32 faces = mesh->faceCount;
  if (faces > g_MaxPolygons) {
    Log_Printf("%s : ポリゴン数 %d ( 最大%dを超えています )", path, (int)faces, (int)g_MaxPolygons);
    faces = g_MaxPolygons;
  }
  for (u32 f = 0; f < faces; f++) {
    Polygon3 &p = m->polygons[f];
    memset(&p, 0, sizeof p);
    p.cornerCount = 3;
    for (int k = 0; k < 3; k++) {
      u32 index = mesh->indices[3 * f + k];
      p.corners[k].vertex = index;
      p.corners[k].normal = index;
      p.corners[k].uv = index;
      p.corners[k].color = 0;
    }
    p.group = FaceGroup(mesh, f, m->groupCount);
  }
  m->polygonCount = (i32)faces;
}

static bool BuildModel(Model3 *m, const XMeshData *mesh, const char *path, char *reason, size_t reasonSize,
                       bool overLimit) {
  if (!m || !mesh || !m->positions || !m->polygons) {
    Str_Format(reason, reasonSize, "%s : モデルを作れませんでした。", path);
    return false;
  }
  if (!CheckMesh(mesh, path, reason, reasonSize, overLimit)) return false;
  BuildMaterials(m, mesh);
  BuildVertices(m, mesh);
  BuildPolygons(m, mesh, path);
  for (int c = 0; c < 4; c++) m->color[c] = 255.0f;
  return true;
}

bool XFile_BuildModel(Model3 *m, const XMeshData *mesh, const char *path, char *reason, size_t reasonSize) {
  return BuildModel(m, mesh, path, reason, reasonSize, false);
}

static const i32 kLoadFailed = (i32)0x80004005;

// Reads a file image into the scratch model: 1, kLoadFailed (reason set unless the data is
// no X file at all) or -1 for a mesh the model cannot hold (reason set).
static i32 ParseInto(Model3 *m, const u8 *data, size_t size, const char *path, char *reason, size_t reasonSize) {
  XReadMesh mesh;
  if (XRead_Parse(data, size, path, &mesh, reason, reasonSize) != XREAD_OK) return kLoadFailed;
  XMeshData view;
  XRead_View(&mesh, &view);
  if (!BuildModel(m, &view, path, reason, reasonSize, true)) return -1;
  if (Finite_Model3(m)) return 1;
  Str_Format(reason, reasonSize, kKzMsgNotFinite, path);
  return -1;
}

FmtResult XFile_Parse(Model3 *m, const u8 *data, size_t size, FmtStatus *st) {
  i32 r = ParseInto(m, data, size, "", st->reason, sizeof st->reason);
  st->result = r == 1 ? FMT_OK : st->reason[0] ? FMT_REFUSED : FMT_NOT_READ;
  return st->result;
}

i32 XFile_Import(i32 slot, const char *path, ModelResult *res) {
  ModelResult_Refuse(res, "");
  if (slot < 0 || slot >= MODEL3_SLOTS || !path || !path[0]) return kLoadFailed;
  FileData f;
  if (!File_ReadAll(path, &f)) return kLoadFailed;
  char reason[256] = "";
  i32 result = kLoadFailed;
  Model3 *m = Fmt_NewModel();
  if (m) result = ParseInto(m, f.data, f.size, path, reason, sizeof reason);
  if (result == 1) {
    result = Fmt_Commit(slot, m, path);
    ModelResult_Accept(res);
    m = nullptr;
  } else if (reason[0]) {
    ModelResult_Refuse(res, reason);
  }
  Model3_Free(m);
  File_Free(&f);
  return result;
}

// [SECTION] Binary writer

enum XToken : u16 {
  TOKEN_NAME = 1,
  TOKEN_STRING = 2,
  TOKEN_INTEGER_LIST = 6,
  TOKEN_FLOAT_LIST = 7,
  TOKEN_OBRACE = 10,
  TOKEN_CBRACE = 11,
  TOKEN_SEMICOLON = 20,
};

static void WriteName(ByteWriter *w, const char *name) {
  size_t n = strlen(name);
  Wr_U16(w, TOKEN_NAME);
  Wr_U32(w, (u32)n);
  Wr_Bytes(w, name, n);
}

static void OpenObject(ByteWriter *w, const char *templateName) {
  WriteName(w, templateName);
  Wr_U16(w, TOKEN_OBRACE);
}

static void CloseObject(ByteWriter *w) { Wr_U16(w, TOKEN_CBRACE); }

static void WriteIntegers(ByteWriter *w, const u32 *values, u32 count) {
  Wr_U16(w, TOKEN_INTEGER_LIST);
  Wr_U32(w, count);
  for (u32 i = 0; i < count; i++) Wr_U32(w, values[i]);
}

static void WriteInteger(ByteWriter *w, u32 value) { WriteIntegers(w, &value, 1); }

// The face list of T unshared triangles: T, then 3; 3v, 3v+1, 3v+2 for each.
static void WriteFaces(ByteWriter *w, u32 triangles) {
  Wr_U16(w, TOKEN_INTEGER_LIST);
  Wr_U32(w, 1 + 4 * triangles);
  Wr_U32(w, triangles);
  for (u32 t = 0; t < triangles; t++) {
    Wr_U32(w, 3);
    for (u32 k = 0; k < 3; k++) Wr_U32(w, 3 * t + k);
  }
}

// Calls fn(corner) for the corners 0, j+1, j+2 of every fan triangle, in file order.
template <typename Fn>
static void ForEachFanCorner(const Model3 *m, Fn fn) {
  for (i32 p = 0; p < m->polygonCount; p++) {
    const Polygon3 &poly = m->polygons[p];
    i32 corners = poly.cornerCount > 4 ? 4 : poly.cornerCount;
    for (i32 j = 0; j + 2 < corners; j++) {
      fn(poly.corners[0]);
      fn(poly.corners[j + 1]);
      fn(poly.corners[j + 2]);
    }
  }
}

static u32 TriangleCount(const Model3 *m) {
  u64 t = 0;
  for (i32 p = 0; p < m->polygonCount; p++) {
    i32 corners = m->polygons[p].cornerCount > 4 ? 4 : m->polygons[p].cornerCount;
    if (corners > 2) t += (u64)(corners - 2);   // polygons of 1 or 2 corners give none
  }
  return t > 0xFFFFFFFFu ? 0xFFFFFFFFu : (u32)t;
}

static void WriteMaterialList(ByteWriter *w, const Model3 *m, u32 triangles) {
  OpenObject(w, "MeshMaterialList");
  Wr_U16(w, TOKEN_INTEGER_LIST);
  Wr_U32(w, 2 + triangles);
  Wr_U32(w, 1);           // one material
  Wr_U32(w, triangles);   // every face uses it
  for (u32 t = 0; t < triangles; t++) Wr_U32(w, 0);
  OpenObject(w, "Material");
  // Face colour white, power 0, specular and emissive black: defined values throughout.
  const f32 material[11] = {1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
  Wr_U16(w, TOKEN_FLOAT_LIST);
  Wr_U32(w, 11);
  for (f32 v : material) Wr_F32(w, v);
  const Model3Texture &tex = m->textures[1];
  // Entry 1's own used word decides, whatever the texture count says.
  if (tex.used && tex.name && tex.name[0]) {
    OpenObject(w, "TextureFilename");
    size_t n = strlen(tex.name);
    Wr_U16(w, TOKEN_STRING);
    Wr_U32(w, (u32)n);
    Wr_Bytes(w, tex.name, n);
    Wr_U16(w, TOKEN_SEMICOLON);
    CloseObject(w);
  }
  CloseObject(w);
  CloseObject(w);
}

// Opens a vertex array object: its vertex count, then a float list of perVertex floats each.
static void OpenVertexFloats(ByteWriter *w, const char *name, u32 vertices, u32 perVertex) {
  OpenObject(w, name);
  WriteInteger(w, vertices);
  Wr_U16(w, TOKEN_FLOAT_LIST);
  Wr_U32(w, vertices * perVertex);
}

// A vector divided by the file's scale (positions are stored at a fifth of the model's size).
static void WriteVec3(ByteWriter *w, Vec3 v, f32 scale) {
  Wr_F32(w, v.x / scale);
  Wr_F32(w, v.y / scale);
  Wr_F32(w, v.z / scale);
}

bool XFile_WriteBinary(const Model3 *m, ByteWriter *w, char *reason, size_t reasonSize) {
  u32 triangles = TriangleCount(m);
  if ((u64)triangles * 3 > XFILE_MAX_VERTICES) {
    Str_Format(reason, reasonSize, "頂点数 %llu が多すぎて、Ｘファイルに保存できません。( 最大%d )",
               (unsigned long long)triangles * 3, XFILE_MAX_VERTICES);
    return false;
  }
  u32 vertices = triangles * 3;
  Wr_Bytes(w, "xof 0303bin 0032", 16);
  OpenVertexFloats(w, "Mesh", vertices, 3);
  ForEachFanCorner(m, [&](const PolyCorner &c) {
    WriteVec3(w, Fmt_CornerPosition(m, c), 5.0f);
  });
  WriteFaces(w, triangles);

  OpenVertexFloats(w, "MeshNormals", vertices, 3);
  ForEachFanCorner(m, [&](const PolyCorner &c) {
    WriteVec3(w, Fmt_CornerNormal(m, c), 1.0f);
  });
  WriteFaces(w, triangles);
  CloseObject(w);

  OpenVertexFloats(w, "MeshTextureCoords", vertices, 2);
  ForEachFanCorner(m, [&](const PolyCorner &c) {
    Vec2 uv = Fmt_CornerUV(m, c);
    Wr_F32(w, uv.u);
    Wr_F32(w, uv.v);
  });
  CloseObject(w);

  WriteMaterialList(w, m, triangles);
  CloseObject(w);
  if (w->err) {
    Str_Format(reason, reasonSize, "メモリが足りません。");
    return false;
  }
  return true;
}

i32 XFile_Export(i32 slot, const char *path, ModelResult *res) {
  ModelResult_Refuse(res, "");
  Model3 *m = Model3_Get(slot);
  if (!m || !m->polygons) return -1;
  ByteWriter w = {};
  char reason[256] = "";
  i32 result = -1;
  if (!XFile_WriteBinary(m, &w, reason, sizeof reason)) {
    ModelResult_Refusef(res, "%s\n%s", path, reason);
  } else if (!File_WriteAtomic(path, w.data, w.size)) {
    ModelResult_RefuseSave(res, path);
  } else {
    ModelResult_Accept(res);
    result = 1;
  }
  Wr_Free(&w);
  return result;
}
