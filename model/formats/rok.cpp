// ROK text model import: points, edges ("lines"), faces bounded by edges and a 13-colour
// palette, one value per line. Every face becomes one polygon with its own four positions
// and per-corner colours; the model draws with vertex colours.
#include <stdlib.h>
#include <string.h>

#include "model/formats/fmt_local.h"
#include "model/seam_timer.h"

enum {
  ROK_LINE = 256,
  ROK_PALETTE = 13,
};

struct RokPoint { f32 x, y, z; };
struct RokEdge { i32 a, b; };
struct RokFace {
  i32 corners;
  i32 palette;
  i32 edges[4];
};

struct RokData {
  RokPoint *points;
  i32 pointCount, pointCap;
  RokEdge *edges;
  i32 edgeCount, edgeCap;
  RokFace *faces;
  i32 faceCount, faceCap;
  f32 palette[ROK_PALETTE + 1][3];   // entry 0 is the default grey, 1..13 the file's records
};

// [SECTION] Lines

static bool NextLine(ByteReader *r, char *line) { return Fmt_TextLine(r, line, ROK_LINE); }

static bool NextInt(ByteReader *r, i32 *v) {
  char line[ROK_LINE];
  if (!NextLine(r, line)) return false;
  *v = Fmt_Int(line);
  return true;
}

// Skips lines up to and including the section line `word`; false when the file ends first.
static bool FindSection(ByteReader *r, const char *word) {
  char line[ROK_LINE];
  while (NextLine(r, line)) {
    if (strcmp(line, word) == 0) return true;
  }
  return false;
}

// Grows a working array by one element; false when out of memory.
template <typename T> static bool Grow(T **arr, i32 *count, i32 *cap) {
  if (*count < *cap) return true;
  i32 cap2 = *cap ? *cap * 2 : 256;
  T *p = (T *)realloc(*arr, (size_t)cap2 * sizeof(T));
  if (!p) return false;
  *arr = p;
  *cap = cap2;
  return true;
}

// [SECTION] Sections

static FmtResult ReadPoints(RokData *d, ByteReader *r) {
  if (!FindSection(r, "POINT")) return FMT_NOT_READ;
  char line[ROK_LINE];
  while (NextLine(r, line)) {
    if (strcmp(line, "LINE0") == 0) return d->pointCount > 0 ? FMT_OK : FMT_NOT_READ;
    if (Fmt_Int(line) != d->pointCount + 1) return FMT_NOT_READ;
    for (int i = 0; i < 4; i++)
      if (!NextLine(r, line)) return FMT_NOT_READ;
    f32 v[3];
    for (int i = 0; i < 3; i++) {
      if (!NextLine(r, line)) return FMT_NOT_READ;
      v[i] = Fmt_Float(line);
    }
    if (!Grow(&d->points, &d->pointCount, &d->pointCap)) return FMT_NOT_READ;
    d->points[d->pointCount++] = RokPoint{v[0], -v[1], v[2]};
  }
  return FMT_NOT_READ;
}

static FmtResult ReadEdges(RokData *d, ByteReader *r, FmtStatus *st) {
  char line[ROK_LINE];
  while (NextLine(r, line)) {
    if (strcmp(line, "FACE0") == 0) return d->edgeCount > 0 ? FMT_OK : FMT_NOT_READ;
    i32 a = Fmt_Int(line), b, ignored;
    if (!NextInt(r, &b) || !NextInt(r, &ignored) || !NextInt(r, &ignored)) return FMT_NOT_READ;
    if (a < 1 || b < 1 || a > d->pointCount || b > d->pointCount)
      return Fmt_Refuse(st, "辺 %d の点番号 (%d, %d) が範囲外です。", d->edgeCount + 1, a, b);
    if (!Grow(&d->edges, &d->edgeCount, &d->edgeCap)) return FMT_NOT_READ;
    d->edges[d->edgeCount++] = RokEdge{a, b};
  }
  return FMT_NOT_READ;
}

static FmtResult ReadFaces(RokData *d, ByteReader *r, FmtStatus *st) {
  char line[ROK_LINE];
  while (NextLine(r, line)) {
    if (strcmp(line, "END00") == 0) return d->faceCount > 0 ? FMT_OK : FMT_NOT_READ;
    RokFace f = {};
    f.corners = Fmt_Int(line);
    i32 number;
    if (!NextInt(r, &f.palette) || !NextInt(r, &number)) return FMT_NOT_READ;
    if ((f.corners != 3 && f.corners != 4) || f.palette > ROK_PALETTE || number != d->faceCount + 1) return FMT_NOT_READ;
    for (i32 i = 0; i < f.corners; i++) {
      if (!NextInt(r, &f.edges[i])) return FMT_NOT_READ;
      if (f.edges[i] < 1 || f.edges[i] > d->edgeCount)
        return Fmt_Refuse(st, "面 %d の辺番号 %d が範囲外です。", number, f.edges[i]);
    }
    if (!Grow(&d->faces, &d->faceCount, &d->faceCap)) return FMT_NOT_READ;
    d->faces[d->faceCount++] = f;
  }
  return FMT_NOT_READ;
}

static FmtResult ReadPalette(RokData *d, ByteReader *r) {
  if (!FindSection(r, "PALC0")) return FMT_NOT_READ;
  i32 count, ignored;
  if (!NextInt(r, &count) || count != ROK_PALETTE || !NextInt(r, &ignored)) return FMT_NOT_READ;
  char line[ROK_LINE];
  i32 records = 0;
  while (NextLine(r, line)) {
    if (strcmp(line, "ENDP0") == 0) return records == ROK_PALETTE ? FMT_OK : FMT_NOT_READ;
    if (records == ROK_PALETTE) return FMT_NOT_READ;
    i32 v[7];
    v[0] = Fmt_Int(line);
    for (int i = 1; i < 7; i++)
      if (!NextInt(r, &v[i])) return FMT_NOT_READ;
    // The colour is the mean of the record's two triples, on a 0..1 scale.
    f32 *c = d->palette[++records];
    // (Sums in 64 bits: the values are whatever the file holds.)
    c[0] = (f32)((i64)v[0] + v[3]) / 510.0f;
    c[1] = (f32)((i64)v[1] + v[4]) / 510.0f;
    c[2] = (f32)((i64)v[2] + v[5]) / 510.0f;
  }
  return FMT_NOT_READ;
}

// [SECTION] Model

// Corner points (0-based) of a face, following the chain of its first edges.
static void FaceCorners(const RokData *d, const RokFace &f, i32 out[4]) {
  const RokEdge &e0 = d->edges[f.edges[0] - 1];
  const RokEdge &e1 = d->edges[f.edges[1] - 1];
  i32 c0, c1;
  if (e0.a == e1.a || e0.a == e1.b) { c0 = e0.b; c1 = e0.a; }
  else { c0 = e0.a; c1 = e0.b; }
  i32 c2 = c1 == e1.a ? e1.b : e1.a;
  out[0] = c0 - 1;
  out[1] = c1 - 1;
  out[2] = c2 - 1;
  out[3] = 0;
  if (f.corners == 4) {
    const RokEdge &e2 = d->edges[f.edges[2] - 1];
    out[3] = (c2 == e2.a ? e2.b : e2.a) - 1;
  }
}

static FmtResult BuildModel(Model3 *m, const RokData *d, FmtStatus *st) {
  if (d->faceCount > m->capPolygons || (i64)d->faceCount * 4 > m->capPositions || (i64)d->faceCount * 4 > m->capColors)
    return Fmt_Refuse(st, "ポリゴン数 %d が上限 (%d) を超えています。", d->faceCount, m->capPolygons);
  for (i32 f = 0; f < d->faceCount; f++) {
    const RokFace &face = d->faces[f];
    i32 pts[4];
    FaceCorners(d, face, pts);
    // Palette index i is entry i + 1; indices without an entry take the default entry 0.
    i32 entry = face.palette + 1;
    if (entry < 0 || entry > ROK_PALETTE) entry = 0;
    const f32 *c = d->palette[entry];
    Polygon3 &poly = m->polygons[f];
    poly.cornerCount = (u8)face.corners;
    poly.group = 0;
    for (i32 i = 0; i < face.corners; i++) {
      const RokPoint &p = d->points[pts[i]];
      i32 v = 4 * f + i;
      m->positions[v] = Vec3{p.x * 10.0f, p.y * 10.0f, p.z * 10.0f};
      m->colors[v] = Color4{c[0] * 255.0f, c[1] * 255.0f, c[2] * 255.0f, 255.0f};
      poly.corners[i] = PolyCorner{(u32)v, 0, (u32)v, 0};
    }
  }
  m->polygonCount = d->faceCount;
  m->positionCount = m->colorCount = 4 * d->faceCount;
  m->uvs[0] = Vec2{0, 0};
  m->uvCount = 1;
  m->groupCount = 1;
  m->groups[0].shading = 3;
  m->groups[0].word0 = 1;
  m->vertexColorMode = 1;
  return FMT_OK;
}

FmtResult Rok_Parse(Model3 *m, const u8 *data, size_t size, FmtStatus *st) {
  RokData d = {};
  for (int k = 0; k < 3; k++) d.palette[0][k] = 256.0f / 510.0f;   // (128 + 128) / 510
  ByteReader r;
  Rd_Init(&r, data, size);
  FmtResult res = ReadPoints(&d, &r);
  if (res == FMT_OK) res = ReadEdges(&d, &r, st);
  if (res == FMT_OK) res = ReadFaces(&d, &r, st);
  if (res == FMT_OK) res = ReadPalette(&d, &r);
  if (res == FMT_OK) res = BuildModel(m, &d, st);
  free(d.points);
  free(d.edges);
  free(d.faces);
  return res;
}

i32 Rok_Read(i32 slot, const char *path, ModelResult *res) {
  i32 ok = Fmt_Import(slot, path, Rok_Parse, res);
  Timer_Reset();
  return ok;
}
