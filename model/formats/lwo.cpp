// LightWave object (IFF "FORM" of type "LWOB") import and export.
//
// Only points, polygons and surface colours are carried over. Each distinct polygon colour
// is one surface "KZ%d" on export; on import each surface becomes a group of its colour.
// All numbers are big-endian; chunks of odd length carry a pad byte (IFF), which the reader
// honours and the writer never needs (every chunk it writes has an even length).
#include <stdlib.h>
#include <string.h>

#include "model/formats/fmt_local.h"
#include "model/cp932.h"
#include "model/str.h"

enum {
  LWO_MAX_POINTS_OUT = 65535,   // position indices are 16-bit
  LWO_MAX_SURFACES = MODEL3_GROUPS,
  LWO_DETAIL_DEPTH = 8,
};

// Colour of a surface without "COLR": mid grey on the model's 0..255 colour scale.
static const f32 LWO_DEFAULT_COLOR = 128.0f;

struct LwoSurface {
  char name[MODEL3_NAME];
  bool hasColor;
  f32 r, g, b;
};

struct LwoReadState {
  LwoSurface surfaces[LWO_MAX_SURFACES];
  i32 surfaceCount;
  i32 current;
  ByteReader points;   // the "PNTS" data
  ByteReader pols;     // the "POLS" data
  bool seenPnts, seenSrfs, seenPols;
};

// [SECTION] Reading

// Zero-terminated, even-padded string within a chunk's data.
static void ReadPaddedString(ByteReader *r, char *dst, size_t dstSize) {
  size_t start = Rd_Tell(r), n = 0;
  while (!Rd_AtEnd(r)) {
    u8 c = Rd_U8(r);
    if (!c) break;
    if (n + 1 < dstSize) dst[n++] = (char)c;
  }
  dst[Cp932_CutLength(dst, n)] = 0;
  if ((Rd_Tell(r) - start) & 1) Rd_Skip(r, 1);
  r->err = false;   // a pad byte missing at the very end of the data is harmless
}

static FmtResult ReadSurfaceNames(LwoReadState *s, ByteReader *r, FmtStatus *st) {
  while (!Rd_AtEnd(r)) {
    if (s->surfaceCount >= LWO_MAX_SURFACES) return Fmt_Refuse(st, "サーフェスの数が上限 (%d) を超えています。", LWO_MAX_SURFACES);
    LwoSurface &surf = s->surfaces[s->surfaceCount++];
    ReadPaddedString(r, surf.name, sizeof surf.name);
    surf.hasColor = false;
  }
  return FMT_OK;
}

static void ReadSurface(LwoReadState *s, ByteReader *r) {
  char name[MODEL3_NAME];
  ReadPaddedString(r, name, sizeof name);
  for (i32 i = 0; i < s->surfaceCount; i++) {
    if (strcmp(s->surfaces[i].name, name) == 0) { s->current = i; break; }
  }
  while (Rd_Remaining(r) >= 6) {
    u8 tag[4];
    Rd_Bytes(r, tag, 4);
    u16 len = Rd_U16BE(r);
    ByteReader sub;
    size_t avail = Rd_Remaining(r);
    Rd_Init(&sub, r->p, len < avail ? len : avail);
    Rd_Skip(r, (u64)len + (len & 1));
    if (memcmp(tag, "COLR", 4) == 0 && Rd_Remaining(&sub) >= 3 && s->current >= 0 && s->current < s->surfaceCount) {
      LwoSurface &surf = s->surfaces[s->current];
      surf.r = Rd_U8(&sub);
      surf.g = Rd_U8(&sub);
      surf.b = Rd_U8(&sub);
      surf.hasColor = true;
    }
    if (r->err) break;
  }
  // A "SURF" whose name matches no listed surface applies to the one after the previous.
  s->current++;
}

static FmtResult ReadChunks(LwoReadState *s, ByteReader *r, FmtStatus *st) {
  u8 tag[4] = {0, 0, 0, 0};
  size_t size = Rd_Remaining(r);
  u8 first = size ? r->p[0] : 0;
  Rd_Bytes(r, tag, 4);
  u32 formLength = Rd_U32BE(r);
  u8 type[4] = {0, 0, 0, 0};
  Rd_Bytes(r, type, 4);
  if (first != 'F') return Fmt_Refuse(st, "LWO 形式のファイルではありません。");
  // The later LightWave object kind has other chunks for the same names; only LWOB is read.
  if (!r->err && memcmp(type, "LWO2", 4) == 0)
    return Fmt_Refuse(st, "LWO2 形式のファイルは読み込めません。\nLWOB 形式に対応しています。");
  // A file cut anywhere, also between two chunks, is shorter than its FORM says: refused
  // rather than read without the chunks it has lost.
  if (r->err || (u64)formLength + 8 > (u64)size)
    return Fmt_Refuse(st, "ファイルが途中で切れています (%llu バイト、FORM の長さでは %llu バイト)。",
                      (unsigned long long)size, r->err ? 12ull : (unsigned long long)formLength + 8);
  u64 remaining = formLength >= 4 ? formLength - 4 : 0;
  while (remaining > 0 && Rd_Remaining(r) >= 8) {
    Rd_Bytes(r, tag, 4);
    u32 len = Rd_U32BE(r);
    if (!Rd_Need(r, len)) return Fmt_Refuse(st, "%.4s チャンクが途中で切れているため、読み込むことができませんでした。", (const char *)tag);
    ByteReader data;
    Rd_Init(&data, r->p, len);
    Rd_Skip(r, len);
    if ((len & 1) && !Rd_AtEnd(r)) Rd_Skip(r, 1);
    u64 used = 8 + (u64)len + (len & 1);
    remaining = used < remaining ? remaining - used : 0;
    if (memcmp(tag, "PNTS", 4) == 0) {
      s->points = data;
      s->seenPnts = true;
    } else if (memcmp(tag, "SRFS", 4) == 0) {
      FmtResult res = ReadSurfaceNames(s, &data, st);
      if (res != FMT_OK) return res;
      s->seenSrfs = true;
    } else if (memcmp(tag, "POLS", 4) == 0) {
      s->pols = data;
      s->seenPols = true;
    } else if (memcmp(tag, "SURF", 4) == 0) {
      ReadSurface(s, &data);
    }
  }
  if (s->seenPnts && s->seenSrfs && s->seenPols) return FMT_OK;
  return Fmt_Refuse(st, "%s チャンクがないため、読み込むことができませんでした。",
                    !s->seenPnts ? "PNTS" : !s->seenSrfs ? "SRFS" : "POLS");
}

// Skips `count` detail polygons (which may carry details of their own).
static bool SkipDetailPolygons(ByteReader *r, u32 count, int depth) {
  for (u32 i = 0; i < count && !r->err; i++) {
    u16 n = Rd_U16BE(r);
    Rd_Skip(r, (u64)n * 2);
    i16 surface = Rd_I16BE(r);
    if (surface < 0) {
      if (depth >= LWO_DETAIL_DEPTH) return false;
      if (!SkipDetailPolygons(r, Rd_U16BE(r), depth + 1)) return false;
    }
  }
  return !r->err;
}

// Appends one model polygon of 0..4 corners (a polygon keeps its corner count, also 0) with the surface's group and colour.
static FmtResult AddPolygon(Model3 *m, const u16 *idx, int n, i32 group, Color4 color, FmtStatus *st) {
  if (m->polygonCount >= m->capPolygons || m->colorCount >= m->capColors)
    return Fmt_Refuse(st, "ポリゴン数が上限 (%d) を超えています。", m->capPolygons);
  i32 p = m->polygonCount++;
  Polygon3 &poly = m->polygons[p];
  poly.cornerCount = (u8)n;
  poly.group = (u32)group;
  m->colors[p] = color;
  m->colorCount = p + 1;
  for (int c = 0; c < n; c++) poly.corners[c] = PolyCorner{idx[c], 0, (u32)p, 0};
  return FMT_OK;
}

// The last group whose colour equals the surface's exactly (group 0 when none does).
static i32 GroupOfSurface(const Model3 *m, const LwoSurface &surf) {
  i32 group = 0;
  for (i32 g = 0; g < m->groupCount; g++) {
    if (m->groups[g].r == surf.r && m->groups[g].g == surf.g && m->groups[g].b == surf.b) group = g;
  }
  return group;
}

// The read's state and one polygon's corner indices (too large for the stack).
static struct {
  LwoReadState state;
  u16 corners[65536];
} s_Lwo;

static FmtResult BuildPolygons(Model3 *m, LwoReadState *s, FmtStatus *st) {
  ByteReader *r = &s->pols;
  u16 *idx = s_Lwo.corners;
  while (Rd_Remaining(r) >= 2) {
    u16 n = Rd_U16BE(r);
    for (u32 c = 0; c < n; c++) idx[c] = Rd_U16BE(r);
    i16 surface = Rd_I16BE(r);
    // A polygon whose corners run past the end of the chunk: its count does not fit the file.
    if (r->err) return Fmt_Broken(st, "ポリゴン %d の頂点数 %u が POLS チャンクに収まりません。", m->polygonCount + 1, n);
    for (u32 c = 0; c < n; c++) {
      if (idx[c] >= m->positionCount) return Fmt_Refuse(st, "ポリゴンの頂点番号 %u が範囲外です。", idx[c]);
    }
    // A negative surface number marks detail polygons after this one: they are skipped.
    i32 sn = surface < 0 ? -(i32)surface : surface;
    if (surface < 0 && !SkipDetailPolygons(r, Rd_U16BE(r), 1))
      return Fmt_Broken(st, "ポリゴン %d の細部ポリゴンが POLS チャンクに収まりません。", m->polygonCount + 1);
    LwoSurface grey = {"", false, LWO_DEFAULT_COLOR, LWO_DEFAULT_COLOR, LWO_DEFAULT_COLOR};
    const LwoSurface &surf = sn >= 1 && sn <= s->surfaceCount ? s->surfaces[sn - 1] : grey;
    i32 group = GroupOfSurface(m, surf);
    Color4 color = {surf.r, surf.g, surf.b, 255.0f};
    FmtResult res;
    if (n <= 4) {
      res = AddPolygon(m, idx, n, group, color, st);
    } else {
      // A model polygon holds four corners: longer ones become a fan of triangles.
      res = FMT_OK;
      for (u32 c = 1; c + 1 < n && res == FMT_OK; c++) {
        u16 tri[3] = {idx[0], idx[c], idx[c + 1]};
        res = AddPolygon(m, tri, 3, group, color, st);
      }
    }
    if (res != FMT_OK) return res;
  }
  return FMT_OK;
}

FmtResult Lwo_Parse(Model3 *m, const u8 *data, size_t size, FmtStatus *st) {
  LwoReadState &s = s_Lwo.state;
  memset(&s, 0, sizeof s);
  ByteReader r;
  Rd_Init(&r, data, size);
  FmtResult res = ReadChunks(&s, &r, st);
  if (res != FMT_OK) return res;

  u64 points = Rd_Remaining(&s.points) / 12;
  if (points > (u64)m->capPositions) return Fmt_Refuse(st, "頂点数 %llu が上限 (%d) を超えています。", (unsigned long long)points, m->capPositions);
  for (u64 i = 0; i < points; i++) {
    f32 x = Rd_F32BE(&s.points), y = Rd_F32BE(&s.points), z = Rd_F32BE(&s.points);
    m->positions[i] = Vec3{x * 10.0f, y * 10.0f, z * 10.0f};
  }
  m->positionCount = (i32)points;

  for (i32 i = 0; i < s.surfaceCount; i++) {
    LwoSurface &surf = s.surfaces[i];
    if (!surf.hasColor) surf.r = surf.g = surf.b = LWO_DEFAULT_COLOR;
    Group3 &g = m->groups[i];
    g.r = surf.r; g.g = surf.g; g.b = surf.b; g.a = 255.0f;
  }
  m->groupCount = s.surfaceCount > 0 ? s.surfaceCount : 1;
  res = BuildPolygons(m, &s, st);
  if (res != FMT_OK) return res;
  m->uvs[0] = Vec2{0, 0};
  m->uvCount = 1;
  for (int k = 0; k < 4; k++) m->color[k] = 255.0f;
  Fmt_CalcNormals(m);
  return FMT_OK;
}

i32 Lwo_Read(i32 slot, const char *path, ModelResult *res) { return Fmt_Import(slot, path, Lwo_Parse, res); }

// [SECTION] Writing

// Open-addressing table from a 24-bit colour to its surface number.
struct LwoColorTable {
  u32 *keys;     // colour + 1 (0 = empty)
  u16 *values;
  u32 mask;
};

static u16 SurfaceOfColor(LwoColorTable *t, u32 rgb, u32 *colors, i32 *count) {
  u32 h = (rgb * 2654435761u) & t->mask;
  while (t->keys[h]) {
    if (t->keys[h] == rgb + 1) return t->values[h];
    h = (h + 1) & t->mask;
  }
  colors[*count] = rgb;
  t->keys[h] = rgb + 1;
  t->values[h] = (u16)++*count;
  return t->values[h];
}

static void WritePaddedString(ByteWriter *w, const char *s) {
  size_t n = strlen(s) + 1;
  Wr_Bytes(w, s, n);
  if (n & 1) Wr_U8(w, 0);
}

static void BeginChunk(ByteWriter *w, const char *tag, size_t *lengthAt) {
  Wr_Bytes(w, tag, 4);
  *lengthAt = w->size;
  Wr_U32BE(w, 0);
}

static void EndChunk(ByteWriter *w, size_t lengthAt) { Wr_PatchU32BE(w, lengthAt, (u32)(w->size - lengthAt - 4)); }

static void WriteSubChunk(ByteWriter *w, const char *tag, const void *data, u16 len) {
  Wr_Bytes(w, tag, 4);
  Wr_U16BE(w, len);
  Wr_Bytes(w, data, len);
}

static void WriteSurface(ByteWriter *w, i32 number, u32 rgb) {
  size_t at;
  char name[32];
  Str_Format(name, sizeof name, "KZ%d", number - 1);
  BeginChunk(w, "SURF", &at);
  WritePaddedString(w, name);
  u8 colr[4] = {(u8)(rgb >> 16), (u8)(rgb >> 8), (u8)rgb, 0};
  WriteSubChunk(w, "COLR", colr, 4);
  u8 flag[2] = {0x01, 0x04};   // smoothing and double-sided
  WriteSubChunk(w, "FLAG", flag, 2);
  Wr_Bytes(w, "SMAN", 4);   // maximum smoothing angle: 44.5 degrees in radians
  Wr_U16BE(w, 4);
  Wr_F32BE(w, 0.7766715f);
  u8 diff[2] = {0x01, 0x00};   // 256: full diffuse
  WriteSubChunk(w, "DIFF", diff, 2);
  u8 zero[2] = {0, 0};
  WriteSubChunk(w, "TRAN", zero, 2);
  WriteSubChunk(w, "SPEC", zero, 2);
  WriteSubChunk(w, "GLOS", zero, 2);
  EndChunk(w, at);
}

i32 Lwo_Write(i32 slot, const char *path, ModelResult *res) {
  ModelResult_Refuse(res, "");
  const Model3 *m = Model3_Get(slot);
  if (!m || !path || !path[0] || !m->polygons) return 0;
  if (m->positionCount > LWO_MAX_POINTS_OUT)
    return ModelResult_Refusef(res, "LWO には %d 個までの頂点しか保存できません。(%d 個)", LWO_MAX_POINTS_OUT,
                               m->positionCount);
  for (i32 p = 0; p < m->polygonCount; p++) {
    const Polygon3 &poly = m->polygons[p];
    for (int c = 0; c < poly.cornerCount && c < 4; c++)
      if (poly.corners[c].vertex >= (u32)m->positionCount) return 0;
  }
  // Surfaces: one per distinct colour of corner 0, numbered from 1 in order of first use.
  i32 polys = m->polygonCount;
  u32 tableSize = 16;
  while (tableSize < (u32)polys * 2 + 2) tableSize *= 2;
  LwoColorTable table = {(u32 *)calloc(tableSize, 4), (u16 *)calloc(tableSize, 2), tableSize - 1};
  u32 *colors = (u32 *)malloc(((size_t)polys + 1) * 4);
  u16 *surfaceOf = (u16 *)malloc(((size_t)polys + 1) * 2);
  i32 surfaceCount = 0;
  bool ok = table.keys && table.values && colors && surfaceOf;
  for (i32 p = 0; ok && p < polys; p++) {
    Color4 c = Fmt_CornerColor(m, m->polygons[p].corners[0]);
    u32 rgb = (u32)Fmt_ColorByte(c.r) << 16 | (u32)Fmt_ColorByte(c.g) << 8 | Fmt_ColorByte(c.b);
    surfaceOf[p] = SurfaceOfColor(&table, rgb, colors, &surfaceCount);
  }

  ByteWriter w = {};
  size_t formAt, at;
  BeginChunk(&w, "FORM", &formAt);
  Wr_Bytes(&w, "LWOB", 4);
  BeginChunk(&w, "SRFS", &at);
  for (i32 s = 1; ok && s <= surfaceCount; s++) {
    char name[32];
    Str_Format(name, sizeof name, "KZ%d", s - 1);
    WritePaddedString(&w, name);
  }
  EndChunk(&w, at);
  BeginChunk(&w, "PNTS", &at);
  for (i32 i = 0; i < m->positionCount; i++) {
    Wr_F32BE(&w, m->positions[i].x * 0.1f);
    Wr_F32BE(&w, m->positions[i].y * 0.1f);
    Wr_F32BE(&w, m->positions[i].z * 0.1f);
  }
  EndChunk(&w, at);
  BeginChunk(&w, "POLS", &at);
  for (i32 p = 0; ok && p < polys; p++) {
    const Polygon3 &poly = m->polygons[p];
    int n = poly.cornerCount <= 4 ? poly.cornerCount : 4;
    Wr_U16BE(&w, (u16)n);
    for (int c = 0; c < n; c++) Wr_U16BE(&w, (u16)poly.corners[c].vertex);
    Wr_U16BE(&w, surfaceOf[p]);
  }
  EndChunk(&w, at);
  for (i32 s = 1; ok && s <= surfaceCount; s++) WriteSurface(&w, s, colors[s - 1]);
  EndChunk(&w, formAt);
  ok = ok && !w.err && File_WriteAtomic(path, w.data, w.size);
  if (ok) ModelResult_Accept(res);
  else ModelResult_RefuseSave(res, path);
  Wr_Free(&w);
  free(table.keys);
  free(table.values);
  free(colors);
  free(surfaceOf);
  return ok ? 1 : 0;
}
