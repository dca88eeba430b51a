// MX import and export.
//
// MX: a 32-byte header of block sizes, scene blocks of 60 bytes (unused), faces of 168 bytes
// (four corners with their own position, normal, pixel texture coordinates, one colour, a
// texture index and a group index) and texture names of 16 bytes. Positions and normals
// are stored with y and z negated, positions and normals in the opposite slot order from
// the texture coordinates. Name record n - 1 names texture n; texture index t - 1 stands
// for texture t (-1 for none). Every face has four corners: shorter polygons repeat corner 0.
#include <stdio.h>
#include <string.h>

#include "model/formats/fmt_local.h"
#include "model/seam.h"
#include "model/seam_texkey.h"
#include "model/cp932.h"
#include "model/str.h"

enum {
  MX_HEADER_SIZE = 32,
  MX_SCENE_SIZE = 60,
  MX_FACE_SIZE = 168,
  MX_NAME_SIZE = 16,
  MX_MAX_NAMES = MODEL3_GROUPS,
};

// [SECTION] Texture sizes

void Mx_TextureFileSize(const char *path, f32 *width, f32 *height) {
  *width = *height = 0.0f;
  if (!g_Seam.textureLoad || !path || !path[0]) return;
  SeamTexture t = g_Seam.textureLoad(path, SEAM_MODEL_TEXTURE_KEY);
  if (!t.handle) return;
  *width = (f32)t.width;
  *height = (f32)t.height;
  if (g_Seam.releaseHandle) g_Seam.releaseHandle(t.handle);
}

// [SECTION] Reading

struct MxFace {
  f32 pos[4][4];
  f32 normal[4][4];
  f32 uv[4][2];
  u32 color;
  i16 texture;
  i16 group;
};

static void ReadFace(ByteReader *r, MxFace *f) {
  for (int s = 0; s < 4; s++)
    for (int k = 0; k < 4; k++) f->pos[s][k] = Rd_F32(r);
  for (int s = 0; s < 4; s++)
    for (int k = 0; k < 4; k++) f->normal[s][k] = Rd_F32(r);
  for (int s = 0; s < 4; s++)
    for (int k = 0; k < 2; k++) f->uv[s][k] = Rd_F32(r);
  f->color = Rd_U32(r);
  f->texture = Rd_I16(r);
  f->group = Rd_I16(r);
}

// Block sizes from the header as record counts; false for a negative or ragged size.
static bool BlockCount(i32 bytes, i32 recordSize, i32 *count) {
  if (bytes < 0) return false;
  *count = bytes / recordSize;
  return true;
}

// Name records: texture n = record n - 1 + "." "bmp"; one group per record.
// Work tables of one read or write (too large for the stack; the two never run at once).
static struct {
  f32 sizes[MODEL3_TEXTURES][2];       // the texture sizes, by texture entry
  char names[MX_MAX_NAMES][MX_NAME_SIZE];
} s_Mx;

static FmtResult ReadNames(Model3 *m, ByteReader *r, i32 nameCount, f32 sizes[][2], FmtStatus *st) {
  i32 lastTexture = 0;
  for (i32 n = 0; n < nameCount; n++) {
    char raw[MX_NAME_SIZE + 1] = {};
    Rd_Bytes(r, raw, MX_NAME_SIZE);
    if (r->err) return FMT_NOT_READ;
    if (!raw[0]) continue;
    i32 t = n + 1;
    if (t >= MODEL3_TEXTURES) return Fmt_Refuse(st, "テクスチャ数が上限 (%d) を超えています。", MODEL3_TEXTURES - 1);
    char name[MODEL3_NAME];
    Str_Copy(name, sizeof name, raw);   // a record without terminator keeps its 16 bytes
    char file[MODEL3_NAME];
    Str_Format(file, sizeof file, "%s.bmp", name);
    m->textures[t].used = 1;
    Model3_SetText(&m->textures[t].name, file);
    Mx_TextureFileSize(file, &sizes[t][0], &sizes[t][1]);
    m->textures[t].width = (i32)sizes[t][0];
    m->textures[t].height = (i32)sizes[t][1];
    lastTexture = t;
  }
  m->textureCount = (i16)(lastTexture + 1);
  return FMT_OK;
}

static void StoreFace(Model3 *m, i32 f, const MxFace &face, const f32 sizes[][2]) {
  Polygon3 &poly = m->polygons[f];
  i32 t = face.texture + 1;
  poly.cornerCount = 4;
  poly.group = (u32)face.group;
  m->groups[face.group].texture = (u32)t;
  f32 w = sizes[t][0], h = sizes[t][1];
  Color4 color = {(f32)((face.color >> 16) & 255), (f32)((face.color >> 8) & 255), (f32)(face.color & 255), 255.0f};
  for (int j = 0; j < 4; j++) {
    i32 v = 4 * f + j;
    const f32 *p = face.pos[3 - j];
    const f32 *n = face.normal[3 - j];
    m->positions[v] = Vec3{p[0], -p[1], -p[2]};
    m->normals[v] = Vec3{n[0], -n[1], -n[2]};
    m->colors[v] = color;
    // No texture (or an image that could not be loaded) has no pixel size: UV 0.
    m->uvs[v] = Vec2{w > 0 ? face.uv[j][0] / w : 0.0f, h > 0 ? face.uv[j][1] / h : 0.0f};
    poly.corners[j] = PolyCorner{(u32)v, (u32)v, (u32)v, (u32)v};
  }
}

FmtResult Mx_Parse(Model3 *m, const u8 *data, size_t size, FmtStatus *st) {
  ByteReader r;
  Rd_Init(&r, data, size);
  Rd_Skip(&r, 8);   // magic and version word: not checked
  i32 sceneBytes = Rd_I32(&r);
  Rd_Skip(&r, 4);
  i32 faceBytes = Rd_I32(&r);
  Rd_Skip(&r, 4);
  i32 nameBytes = Rd_I32(&r);
  Rd_Skip(&r, 4);
  i32 scenes, faces, names;
  if (r.err || !BlockCount(sceneBytes, MX_SCENE_SIZE, &scenes) || !BlockCount(faceBytes, MX_FACE_SIZE, &faces) ||
      !BlockCount(nameBytes, MX_NAME_SIZE, &names))
    return FMT_NOT_READ;
  if (!Rd_Skip(&r, (u64)scenes * MX_SCENE_SIZE)) return FMT_NOT_READ;
  if ((u64)faces * 4 > (u64)m->capPositions || faces > m->capPolygons)
    return Fmt_Refuse(st, "ポリゴン数 %d が上限 (%d) を超えています。", faces, m->capPolygons);
  if (names > MX_MAX_NAMES) return Fmt_Refuse(st, "テクスチャ名の数 %d が上限 (%d) を超えています。", names, MX_MAX_NAMES);
  if (!Rd_Need(&r, (u64)faces * MX_FACE_SIZE + (u64)names * MX_NAME_SIZE)) return FMT_NOT_READ;

  // The names come after the faces but the faces need the texture sizes.
  ByteReader nameReader = r;
  Rd_Skip(&nameReader, (u64)faces * MX_FACE_SIZE);
  f32 (*sizes)[2] = s_Mx.sizes;
  memset(s_Mx.sizes, 0, sizeof s_Mx.sizes);
  FmtResult res = ReadNames(m, &nameReader, names, sizes, st);
  if (res != FMT_OK) return res;

  i32 groupCount = names > 0 ? names : 1;
  for (i32 f = 0; f < faces; f++) {
    MxFace face;
    ReadFace(&r, &face);
    if (face.group < 0 || face.group >= MODEL3_GROUPS)
      return Fmt_Refuse(st, "面 %d のグループ番号 %d が範囲外です。", f, face.group);
    if (face.texture < -1 || face.texture + 1 >= MODEL3_TEXTURES)
      return Fmt_Refuse(st, "面 %d のテクスチャ番号 %d が範囲外です。", f, face.texture);
    if (face.group + 1 > groupCount) groupCount = face.group + 1;
    StoreFace(m, f, face, sizes);
  }
  if (r.err) return FMT_NOT_READ;
  m->polygonCount = faces;
  m->positionCount = m->normalCount = m->colorCount = m->uvCount = 4 * faces;
  m->groupCount = groupCount;
  m->vertexColorMode = 1;
  return FMT_OK;
}

i32 Mx_Read(i32 slot, const char *path, ModelResult *res) { return Fmt_Import(slot, path, Mx_Parse, res); }

// [SECTION] Writing

static void WriteFace(ByteWriter *w, const Model3 *m, const Polygon3 &poly, const f32 sizes[][2]) {
  // Polygons of fewer than four corners repeat corner 0 in the slots left.
  PolyCorner c[4];
  int n = poly.cornerCount >= 1 && poly.cornerCount <= 4 ? poly.cornerCount : 4;
  for (int j = 0; j < 4; j++) c[j] = poly.corners[j < n ? j : 0];
  u32 t = poly.group < MODEL3_GROUPS ? m->groups[poly.group].texture : 0;
  bool textured = t > 0 && t < MODEL3_TEXTURES && m->textures[t].used;
  f32 w0 = textured ? sizes[t][0] : 0.0f, h0 = textured ? sizes[t][1] : 0.0f;

  for (int s = 0; s < 4; s++) {   // position slot s holds corner 3 - s
    Vec3 p = Fmt_CornerPosition(m, c[3 - s]);
    Wr_F32(w, p.x); Wr_F32(w, -p.y); Wr_F32(w, -p.z); Wr_F32(w, 1.0f);
  }
  for (int s = 0; s < 4; s++) {   // normals mirror the positions, as the reader takes them
    Vec3 nv = Fmt_CornerNormal(m, c[3 - s]);
    Wr_F32(w, nv.x); Wr_F32(w, -nv.y); Wr_F32(w, -nv.z); Wr_F32(w, 0.0f);
  }
  for (int s = 0; s < 4; s++) {
    Vec2 uv = Fmt_CornerUV(m, c[s]);
    Wr_F32(w, uv.u * w0); Wr_F32(w, uv.v * h0);
  }
  Color4 col = Fmt_CornerColor(m, c[3]);
  Wr_U32(w, (u32)Fmt_ColorByte(col.r) << 16 | (u32)Fmt_ColorByte(col.g) << 8 | Fmt_ColorByte(col.b));
  Wr_I16(w, textured ? (i16)(t - 1) : (i16)-1);
  Wr_I16(w, (i16)poly.group);
}

// Name record n - 1 := texture n's name without its extension, cut to 15 bytes.
static void BuildNames(const Model3 *m, char names[][MX_NAME_SIZE], f32 sizes[][2]) {
  for (i32 n = 1; n < MODEL3_TEXTURES && n <= MX_MAX_NAMES; n++) {
    const Model3Texture &tex = m->textures[n];
    if (!tex.used || !tex.name) continue;
    size_t len = strlen(tex.name);
    len = len > 4 ? len - 4 : 0;
    if (len > MX_NAME_SIZE - 1) len = Cp932_CutLength(tex.name, MX_NAME_SIZE - 1);
    memcpy(names[n - 1], tex.name, len);
    sizes[n][0] = (f32)tex.width;
    sizes[n][1] = (f32)tex.height;
    if (tex.width <= 0 || tex.height <= 0) Mx_TextureFileSize(tex.name, &sizes[n][0], &sizes[n][1]);
  }
}

i32 Mx_Write(i32 slot, const char *path, ModelResult *res) {
  ModelResult_Refuse(res, "");
  const Model3 *m = Model3_Get(slot);
  if (!m || !path || !path[0] || !m->polygons) return 0;
  char (*names)[MX_NAME_SIZE] = s_Mx.names;
  f32 (*sizes)[2] = s_Mx.sizes;
  memset(s_Mx.names, 0, sizeof s_Mx.names);
  memset(s_Mx.sizes, 0, sizeof s_Mx.sizes);
  BuildNames(m, names, sizes);

  // One record per group number, and at least up to the highest texture a face uses, so
  // that every texture index written has its name.
  i32 nameCount = 0;
  for (i32 p = 0; p < m->polygonCount; p++) {
    u32 g = m->polygons[p].group;
    if (g >= MODEL3_GROUPS) continue;
    if ((i32)g + 1 > nameCount) nameCount = (i32)g + 1;
    u32 t = m->groups[g].texture;
    if (t > 0 && t < MODEL3_TEXTURES && m->textures[t].used && (i32)t > nameCount) nameCount = (i32)t;
  }
  i32 faces = m->polygonCount;

  ByteWriter w = {};
  Wr_Bytes(&w, "MXF", 4);
  Wr_I32(&w, 256);
  Wr_I32(&w, MX_SCENE_SIZE); Wr_I32(&w, MX_HEADER_SIZE);
  Wr_I32(&w, MX_FACE_SIZE * faces); Wr_I32(&w, MX_HEADER_SIZE + MX_SCENE_SIZE);
  Wr_I32(&w, MX_NAME_SIZE * nameCount); Wr_I32(&w, MX_HEADER_SIZE + MX_SCENE_SIZE + MX_FACE_SIZE * faces);
  Wr_Zeros(&w, 12 * 4);
  Wr_U16(&w, 1); Wr_U16(&w, (u16)faces); Wr_U32(&w, 0); Wr_U16(&w, 0); Wr_U16(&w, 0);
  for (i32 p = 0; p < faces; p++) WriteFace(&w, m, m->polygons[p], sizes);
  for (i32 n = 0; n < nameCount; n++) Wr_Bytes(&w, names[n], MX_NAME_SIZE);
  bool ok = !w.err && File_WriteAtomic(path, w.data, w.size);
  Wr_Free(&w);
  if (!ok) return ModelResult_RefuseSave(res, path);
  ModelResult_Accept(res);
  return 1;
}
