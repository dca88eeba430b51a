// DXF import: the 3DFACE entities of a text DXF file become four-corner polygons; every
// other entity, section and group code is skipped. Lines are compared with their blanks and
// tabs removed, whatever their line ends (CR LF or LF). A file without its closing "EOF"
// line has been cut and is refused: nothing of it is kept.
#include <string.h>

#include "model/formats/fmt_local.h"
#include "model/seam_timer.h"

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

// The 3DFACE entities up to the "EOF" line; *ended says whether that line is there.
static i32 CountFaces(const u8 *data, size_t size, bool *ended) {
  ByteReader r;
  Rd_Init(&r, data, size);
  char line[DXF_LINE];
  i32 count = 0;
  *ended = false;
  while (!*ended && Dxf_ReadLine(&r, line)) {
    if (strcmp(line, "3DFACE") == 0 && count < 0x7FFFFFFF) count++;
    *ended = strcmp(line, "EOF") == 0;
  }
  return count;
}

enum DxfFace { DXF_FACE_OK, DXF_FACE_END, DXF_FACE_BAD };

// The corner value a group code names: codes 10..13, 20..23, 30..33 are axis x, y, z of
// corners 0..3. False for any other code.
static bool CornerCode(const char *code, int *corner, int *axis) {
  if (strlen(code) != 2 || code[0] < '1' || code[0] > '3' || code[1] < '0' || code[1] > '3') return false;
  *axis = code[0] - '1';
  *corner = code[1] - '0';
  return true;
}

// The twelve corner values of one 3DFACE: group code and value lines in pairs up to the next
// entity (group code 0, left for the caller), each corner value found by its code wherever it
// stands, since DXF fixes no order within an entity. BAD when a corner value is missing.
static DxfFace ReadFace(ByteReader *r, f32 corner[4][3]) {
  char code[DXF_LINE], value[DXF_LINE];
  u16 seen = 0;
  for (;;) {
    ByteReader before = *r;
    if (!Dxf_ReadLine(r, code)) return seen == 0xFFF ? DXF_FACE_OK : DXF_FACE_END;
    if (strcmp(code, "0") == 0) {
      *r = before;
      break;
    }
    if (!Dxf_ReadLine(r, value)) return seen == 0xFFF ? DXF_FACE_OK : DXF_FACE_END;
    int c, axis;
    if (!CornerCode(code, &c, &axis)) continue;   // layer, colour, flags, ...
    corner[c][axis] = Fmt_Float(value);   // text that is not a number reads as 0
    seen |= (u16)(1u << (3 * c + axis));
  }
  return seen == 0xFFF ? DXF_FACE_OK : DXF_FACE_BAD;
}

FmtResult Dxf_Parse(Model3 *m, const u8 *data, size_t size, FmtStatus *st) {
  bool ended;
  i32 count = CountFaces(data, size, &ended);
  if (!ended) return Fmt_Refuse(st, "ファイルが途中で終わっているため (\"EOF\" がありません)、読み込むことができません。");
  if (count == 0) return Fmt_Refuse(st, "3DFACE の面がないため、読み込むものがありません。");
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
    if (res == DXF_FACE_BAD)
      return Fmt_Refuse(st, "%d 番目の 3DFACE の角の値が足りないため、読み込むことができませんでした。", faces + 1);
    if (res == DXF_FACE_END) break;   // the data ended inside an entity: refused below
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
  if (faces < count) return Fmt_Refuse(st, "3DFACE の途中でファイルが終わっているため、読み込むことができませんでした。");
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

i32 Dxf_Read(i32 slot, const char *path, ModelResult *res) {
  i32 ok = Fmt_Import(slot, path, Dxf_Parse, res);
  Timer_Reset();
  return ok;
}
