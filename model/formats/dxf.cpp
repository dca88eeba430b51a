// DXF import: the 3DFACE entities of a text DXF file become four-corner polygons; every
// other entity, section and group code is skipped. Lines are compared with their blanks and
// tabs removed, whatever their line ends (CR LF or LF).
#include <string.h>

#include "model/formats/fmt_local.h"
#include "model/seam.h"

enum { DXF_LINE = 256 };

// Next line with every blank and tab removed, skipping lines that are then empty.
static bool Dxf_ReadLine(ByteReader *r, char *line) {
  char raw[DXF_LINE];
  while (Fmt_TextLine(r, raw, sizeof raw)) {
    size_t n = 0;
    for (const char *p = raw; *p; p++)
      if (*p != ' ' && *p != '\t') line[n++] = *p;
    line[n] = 0;
    if (n) return true;
  }
  line[0] = 0;
  return false;
}

static i32 CountFaces(const u8 *data, size_t size) {
  ByteReader r;
  Rd_Init(&r, data, size);
  char line[DXF_LINE];
  i32 count = 0;
  while (Dxf_ReadLine(&r, line)) {
    if (strcmp(line, "3DFACE") == 0 && count < 0x7FFFFFFF) count++;
  }
  return count;
}

enum DxfFace { DXF_FACE_OK, DXF_FACE_END, DXF_FACE_BAD };

// The twelve corner values of one 3DFACE, group codes 10, 20, 30, 11, ... 33 in this order.
static DxfFace ReadFace(ByteReader *r, f32 corner[4][3]) {
  char line[DXF_LINE];
  do {
    if (!Dxf_ReadLine(r, line)) return DXF_FACE_END;
  } while (strcmp(line, "10") != 0);
  for (int c = 0; c < 4; c++) {
    for (int axis = 0; axis < 3; axis++) {
      if (c || axis) {
        if (!Dxf_ReadLine(r, line)) return DXF_FACE_END;
        char code[4] = {(char)('1' + axis), (char)('0' + c), 0, 0};
        if (strcmp(line, code) != 0) return DXF_FACE_BAD;
      }
      if (!Dxf_ReadLine(r, line)) return DXF_FACE_END;
      corner[c][axis] = Fmt_Float(line);   // a value that is not a number reads as 0
    }
  }
  return DXF_FACE_OK;
}

FmtResult Dxf_Parse(Model3 *m, const u8 *data, size_t size, FmtStatus *st) {
  i32 count = CountFaces(data, size);
  if (count == 0) return FMT_NOT_READ;
  if (count > m->capPolygons || (i64)count * 4 > m->capPositions)
    return Fmt_Refuse(st, "3DFACE の数 %d が上限 (%d) を超えています。", count, m->capPolygons);
  ByteReader r;
  Rd_Init(&r, data, size);
  char line[DXF_LINE];
  i32 faces = 0;
  while (faces < count && Dxf_ReadLine(&r, line)) {
    if (strcmp(line, "3DFACE") != 0) continue;
    f32 corner[4][3];
    DxfFace res = ReadFace(&r, corner);
    if (res == DXF_FACE_BAD) return FMT_NOT_READ;
    if (res == DXF_FACE_END) break;   // the file ends inside an entity: keep the faces before it
    // The file's corners 2, 1, 0, 3 become the polygon's corners 0..3.
    static const int order[4] = {2, 1, 0, 3};
    Polygon3 &poly = m->polygons[faces];
    poly.cornerCount = 4;
    poly.group = 0;
    for (int c = 0; c < 4; c++) {
      i32 v = 4 * faces + c;
      const f32 *p = corner[order[c]];
      m->positions[v] = Vec3{p[0], p[1], p[2]};
      poly.corners[c] = PolyCorner{(u32)v, 0, 0, 0};
    }
    faces++;
  }
  if (faces == 0) return FMT_NOT_READ;
  m->polygonCount = faces;
  m->positionCount = 4 * faces;
  m->colors[0] = Color4{255, 255, 255, 255};
  m->colorCount = 1;
  m->uvs[0] = Vec2{0, 0};
  m->uvCount = 1;
  Group3 &g = m->groups[0];
  g.r = g.g = g.b = 200.0f;
  g.a = 255.0f;
  g.shading = 3;
  g.word0 = 1;
  Fmt_CalcNormals(m);
  return FMT_OK;
}

i32 Dxf_Read(i32 slot, const char *path) {
  i32 ok = Fmt_Import(slot, path, Dxf_Parse);
  Timer_Reset();
  return ok;
}
