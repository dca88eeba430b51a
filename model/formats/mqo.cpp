// Metasequoia text model import ("Metasequoia Document" / "Format Text Ver 1.0").
//
// Materials become groups (colour and texture), the vertices of every object are scaled by
// 0.1 with z negated, faces of two, three and four corners keep their material and texture
// coordinates, and an object's "mirror" line sets the mirror switch of the group numbered
// like the object. Everything else is skipped. A file that ends before its "Eof" line, or
// inside a chunk, is refused as cut: nothing of it is kept.
#include <stdlib.h>
#include <string.h>

#include "model/formats/fmt_local.h"
#include "model/cp932.h"

enum {
  MQO_LINE = 1024,
  MQO_MAX_OBJECT_VERTICES = 160000,   // larger objects are abandoned
};

struct MqoState {
  i32 nextTexture;
  i32 textureOf[MODEL3_GROUPS];   // texture number of each material (0 = none)
  i32 materialCount;
  i32 highestMaterial;            // highest material a face used (-1 = none)
  i32 objectIndex;
  i32 vertexBase;
  f32 uv[8];                      // texture coordinates of the last face that had them
};

static const char kMsgCut[] = "ファイルが途中で終わっているため、読み込むことができません。";

// [SECTION] Tokens

const char *Mqo_NextToken(const char *s, char *out, size_t outSize) {
  if (!s || !*s) return nullptr;
  while (*s == ' ' || *s == '\t') s++;
  size_t n = 0;
  auto put = [&](char c) { if (n + 1 < outSize) out[n++] = c; };
  if (*s == '"') {
    s++;
    while (*s && *s != '"') put(*s++);
    if (*s == '"') s++;
  } else {
    while (*s && *s != ' ' && *s != '\t' && *s != '\r' && *s != '\n') {
      if (*s == '(') {
        // Everything up to the matching parenthesis, blanks included, is one token.
        int depth = 0;
        while (*s) {
          if (*s == '(') depth++;
          else if (*s == ')') depth--;
          put(*s++);
          if (depth == 0) break;
        }
        continue;
      }
      put(*s++);
    }
  }
  if (outSize) out[n] = 0;
  if (!*s || *s == '\r' || *s == '\n') return nullptr;
  return s;
}

// Reads up to `max` numbers separated by blanks; returns how many were read.
static int ReadFloats(const char *s, f32 *dst, int max) {
  int n = 0;
  while (n < max) {
    char *end;
    f32 v = strtof(s, &end);
    if (end == s) break;
    dst[n++] = v;
    s = end;
  }
  return n;
}

// [SECTION] Materials

// The file name part of a texture path (after the last backslash or slash; CP932-aware,
// since a trail byte may equal the backslash).
static const char *BaseName(const char *path) {
  const char *base = path;
  for (const char *p = path; *p;) {
    if (Cp932_IsLead((u8)*p) && p[1]) { p += 2; continue; }
    if (*p == '\\' || *p == '/') base = p + 1;
    p++;
  }
  return base;
}

static FmtResult ReadMaterialToken(Model3 *m, MqoState *s, i32 mat, const char *tok, FmtStatus *st) {
  Group3 &g = m->groups[mat];
  if (strncmp(tok, "col", 3) == 0 && tok[3] == '(') {
    f32 c[4] = {1, 1, 1, 1};
    ReadFloats(tok + 4, c, 4);
    g.r = c[0] * 255.0f; g.g = c[1] * 255.0f; g.b = c[2] * 255.0f; g.a = c[3] * 255.0f;
  } else if (strncmp(tok, "tex", 3) == 0 && strlen(tok) >= 5) {
    if (s->nextTexture >= MODEL3_TEXTURES) return Fmt_Refuse(st, "テクスチャ数が上限 (%d) を超えています。", MODEL3_TEXTURES - 1);
    char path[MQO_LINE];
    Str_Copy(path, sizeof path, tok + 5);
    char *quote = strchr(path, '"');
    if (quote) *quote = 0;
    i32 t = s->nextTexture++;
    char name[MODEL3_NAME];
    Str_Copy(name, sizeof name, BaseName(path));
    Model3_SetText(&m->textures[t].name, name);
    m->textures[t].used = 1;
    g.texture = (u32)t;
    s->textureOf[mat] = t;
  }
  return FMT_OK;
}

static FmtResult ReadMaterials(Model3 *m, MqoState *s, ByteReader *r, const char *rest, FmtStatus *st) {
  char tok[MQO_LINE] = "";
  Mqo_NextToken(rest, tok, sizeof tok);
  i32 count = Fmt_Int(tok);
  if (count < 0 || (u64)count > Rd_Remaining(r)) return Fmt_Broken(st, "Material %d がファイルに収まりません。", count);
  if (count > MODEL3_GROUPS) return Fmt_Refuse(st, "材質の数 %d が上限 (%d) を超えています。", count, MODEL3_GROUPS);
  char line[MQO_LINE];
  for (i32 mat = 0; mat < count; mat++) {
    if (!Fmt_TextLine(r, line, sizeof line)) return Fmt_Refuse(st, "%s", kMsgCut);
    const char *p = Mqo_NextToken(line, tok, sizeof tok);
    if (tok[0] == '}') break;
    Group3 &g = m->groups[mat];
    Str_Copy(g.name, sizeof g.name, tok);
    g.r = g.g = g.b = g.a = 255.0f;
    g.texture = 0;
    s->textureOf[mat] = 0;
    if (mat + 1 > s->materialCount) s->materialCount = mat + 1;
    while (p) {
      p = Mqo_NextToken(p, tok, sizeof tok);
      FmtResult res = ReadMaterialToken(m, s, mat, tok, st);
      if (res != FMT_OK) return res;
    }
  }
  return FMT_OK;
}

// [SECTION] Objects

static FmtResult ReadVertices(Model3 *m, ByteReader *r, i32 count, FmtStatus *st) {
  if (m->positionCount + (i64)count > m->capPositions)
    return Fmt_Refuse(st, "頂点数が上限 (%d) を超えています。", m->capPositions);
  char line[MQO_LINE];
  for (i32 i = 0; i < count; i++) {
    if (!Fmt_TextLine(r, line, sizeof line)) return Fmt_Refuse(st, "%s", kMsgCut);
    f32 v[3] = {0, 0, 0};
    ReadFloats(line, v, 3);
    m->positions[m->positionCount++] = Vec3{v[0] * 0.1f, v[1] * 0.1f, -v[2] * 0.1f};
  }
  return FMT_OK;
}

static FmtResult ReadFace(Model3 *m, MqoState *s, const char *line, FmtStatus *st) {
  char tok[MQO_LINE] = "";
  const char *p = Mqo_NextToken(line, tok, sizeof tok);
  if (tok[0] != '2' && tok[0] != '3' && tok[0] != '4') return FMT_OK;
  int corners = tok[0] - '0';
  i32 v[4] = {0, 0, 0, 0};
  tok[0] = 0;
  p = Mqo_NextToken(p, tok, sizeof tok);
  const char *q = strlen(tok) >= 2 ? tok + 2 : "";
  for (int i = 0; i < corners; i++) {
    char *end;
    long x = strtol(q, &end, 10);
    if (end == q) break;
    v[i] = (x < 0 || x > 0x7FFFFFFF) ? -1 : (i32)x;
    q = end;
  }
  i32 material = 0;
  if (p) {
    Mqo_NextToken(p, tok, sizeof tok);
    if (tok[0] == 'M' && tok[1] == '(') material = Fmt_Int(tok + 2);
  }
  if (material < 0) material = 0;   // no material
  if (material >= MODEL3_GROUPS) return Fmt_Refuse(st, "面の材質番号 %d が上限 (%d) を超えています。", material, MODEL3_GROUPS - 1);
  i32 objectVertices = m->positionCount - s->vertexBase;
  for (int i = 0; i < corners; i++) {
    if (v[i] < 0 || v[i] >= objectVertices) return Fmt_Refuse(st, "面の頂点番号 %d が範囲外です。", v[i]);
  }
  // The last UV(...) of the line; without one the previous face's values stand.
  const char *uv = nullptr;
  for (const char *f = strstr(line, "UV("); f; f = strstr(f + 1, "UV(")) uv = f;
  if (uv) ReadFloats(uv + 3, s->uv, corners == 4 ? 8 : 6);

  if (m->polygonCount >= m->capPolygons) return Fmt_Refuse(st, "ポリゴン数が上限 (%d) を超えています。", m->capPolygons);
  bool textured = s->textureOf[material] != 0;
  if (textured && m->uvCount + corners > m->capUVs) return Fmt_Refuse(st, "UV の数が上限 (%d) を超えています。", m->capUVs);
  Polygon3 &poly = m->polygons[m->polygonCount++];
  poly.cornerCount = (u8)corners;
  poly.group = (u32)material;
  for (int i = 0; i < corners; i++) {
    u32 uvIndex = 0;
    if (textured) {
      uvIndex = (u32)m->uvCount;
      m->uvs[m->uvCount++] = Vec2{s->uv[2 * i], s->uv[2 * i + 1]};
    }
    poly.corners[i] = PolyCorner{(u32)(v[i] + s->vertexBase), 0, 0, uvIndex};
  }
  if (material > s->highestMaterial) s->highestMaterial = material;
  return FMT_OK;
}

static bool EndsWithBrace(const char *line) {
  const char *p = line;
  char tok[MQO_LINE] = "";
  while (p) p = Mqo_NextToken(p, tok, sizeof tok);
  return strcmp(tok, "{") == 0;
}

static FmtResult ReadObject(Model3 *m, MqoState *s, ByteReader *r, FmtStatus *st) {
  s->objectIndex++;
  s->vertexBase = m->positionCount;
  int depth = 1;
  char line[MQO_LINE], tok[MQO_LINE];
  while (depth > 0 && Fmt_TextLine(r, line, sizeof line)) {
    tok[0] = 0;
    const char *p = Mqo_NextToken(line, tok, sizeof tok);
    char count[MQO_LINE] = "";
    if (strcmp(tok, "mirror") == 0) {
      if (s->objectIndex < MODEL3_GROUPS) m->groups[s->objectIndex].mirror = 1;
    } else if (strcmp(tok, "vertex") == 0) {
      Mqo_NextToken(p, count, sizeof count);
      i32 n = Fmt_Int(count);
      // Every vertex takes a line of at least one byte: a count the rest of the file cannot
      // hold is damage, not a large object.
      if (n < 0 || (u64)n > Rd_Remaining(r)) return Fmt_Broken(st, "vertex %d がファイルに収まりません。", n);
      if (n > MQO_MAX_OBJECT_VERTICES) return FMT_OK;   // the object is abandoned
      depth++;
      FmtResult res = ReadVertices(m, r, n, st);
      if (res != FMT_OK) return res;
    } else if (strcmp(tok, "face") == 0) {
      Mqo_NextToken(p, count, sizeof count);
      i32 n = Fmt_Int(count);
      if (n < 0 || (u64)n > Rd_Remaining(r)) return Fmt_Broken(st, "face %d がファイルに収まりません。", n);
      depth++;
      for (i32 i = 0; i < n; i++) {
        if (!Fmt_TextLine(r, line, sizeof line)) return Fmt_Refuse(st, "%s", kMsgCut);
        FmtResult res = ReadFace(m, s, line, st);
        if (res != FMT_OK) return res;
      }
    } else if (strcmp(tok, "BVertex") == 0) {
      return FMT_OK;
    } else if (tok[0] == '}') {
      depth--;
    } else if (EndsWithBrace(line)) {
      depth++;   // a chunk this reader does not know: skipped with its braces
    }
  }
  return depth > 0 ? Fmt_Refuse(st, "%s", kMsgCut) : FMT_OK;   // the data ended inside the object
}

// [SECTION] File

// The two header lines, compared without their line ends: files written on other systems
// end their lines with LF alone and read the same.
static bool ReadHeader(ByteReader *r) {
  char line[64];
  return Fmt_TextLine(r, line, sizeof line) && strcmp(line, "Metasequoia Document") == 0 &&
         Fmt_TextLine(r, line, sizeof line) && strcmp(line, "Format Text Ver 1.0") == 0;
}

FmtResult Mqo_Parse(Model3 *m, const u8 *data, size_t size, FmtStatus *st) {
  ByteReader r;
  Rd_Init(&r, data, size);
  if (!ReadHeader(&r)) return FMT_NOT_READ;
  static MqoState s;
  memset(&s, 0, sizeof s);
  s.nextTexture = 1;
  s.objectIndex = -1;
  s.highestMaterial = -1;
  m->colors[0] = Color4{255, 255, 255, 255};
  m->colorCount = 1;
  m->uvs[0] = Vec2{0, 0};
  m->uvCount = 1;

  char line[MQO_LINE], tok[MQO_LINE];
  bool ended = false;
  while (!ended && Fmt_TextLine(&r, line, sizeof line)) {
    ended = strncmp(line, "Eof", 3) == 0;
    if (ended) break;
    tok[0] = 0;
    const char *p = Mqo_NextToken(line, tok, sizeof tok);
    FmtResult res = FMT_OK;
    if (strcmp(tok, "Material") == 0) res = ReadMaterials(m, &s, &r, p, st);
    else if (strcmp(tok, "Object") == 0) res = ReadObject(m, &s, &r, st);
    if (res != FMT_OK) return res;
  }
  if (!ended) return Fmt_Refuse(st, "%s", kMsgCut);
  // One group per material, and at least one per material a face uses.
  i32 groups = s.materialCount > s.highestMaterial + 1 ? s.materialCount : s.highestMaterial + 1;
  if (groups < 1) groups = 1;
  if (groups > MODEL3_GROUPS) groups = MODEL3_GROUPS;
  m->groupCount = groups;
  for (i32 g = 0; g < groups; g++) m->groups[g].mapping = 10;
  m->textureCount = (i16)s.nextTexture;
  Fmt_CalcNormals(m);
  return FMT_OK;
}

i32 Mqo_Read(i32 slot, const char *path, ModelResult *res) { return Fmt_Import(slot, path, Mqo_Parse, res); }
