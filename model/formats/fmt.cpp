// Helpers shared by the foreign-format importers and exporters: scratch models, the commit
// into a slot, refusal messages, text lines and checked corner access.
#include "model/formats/fmt_local.h"

#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>

#include "model/docref.h"
#include "model/finite.h"
#include "model/mesh.h"
#include "model/seam.h"
#include "model/seam_texkey.h"

FmtResult Fmt_Refuse(FmtStatus *st, const char *fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  char buf[256];
  vsnprintf(buf, sizeof buf, fmt, ap);
  va_end(ap);
  Str_Copy(st->reason, sizeof st->reason, buf);
  st->result = FMT_REFUSED;
  return FMT_REFUSED;
}

const char kFmtMsgBroken[] = "ファイルが壊れているため、読み込むことができません。";

FmtResult Fmt_Broken(FmtStatus *st, const char *fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  char detail[200];
  vsnprintf(detail, sizeof detail, fmt, ap);
  va_end(ap);
  return Fmt_Refuse(st, "%s\n%s", kFmtMsgBroken, detail);
}

Model3 *Fmt_NewModel(void) {
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_New();
  g_ModelAllocArrays = 0;
  if (m && (!m->positions || !m->polygons)) {
    Model3_Free(m);
    return nullptr;
  }
  return m;
}

// Loads texture n of the model in the slot into the slot's pose record and stores its size.
static void LoadSlotTexture(i32 slot, Model3 *m, i32 n) {
  ModelPose *pose = g_ModelPoses[slot];
  if (!pose || !g_Seam.textureLoad) return;
  SeamTexture t = g_Seam.textureLoad(m->textures[n].name, SEAM_MODEL_TEXTURE_KEY);
  if (pose->textures[n] && g_Seam.releaseHandle) g_Seam.releaseHandle(pose->textures[n]);
  pose->textures[n] = t.handle;
  if (t.handle) {
    m->textures[n].width = t.width;
    m->textures[n].height = t.height;
  }
}

i32 Fmt_Commit(i32 slot, Model3 *m, const char *path) {
  Model3_FreshBindings(m, 0, m->positionCount);   // imported positions bind automatically
  Model3_SetText(&m->fileName, path);
  if (!DocRef_Folder(path, m->textureFolder, sizeof m->textureFolder)) m->textureFolder[0] = 0;
  m->changed = 1;
  Model3 *placed = Model3_ReplaceSlot(slot, m);
  if (!placed) return 0;
  for (i32 n = 1; n < placed->textureCount && n < MODEL3_TEXTURES; n++) {
    if (placed->textures[n].used && placed->textures[n].name && placed->textures[n].name[0]) {
      LoadSlotTexture(slot, placed, n);
    }
  }
  return 1;
}

// Elements an import of a file of `size` bytes gets in every array: no format makes more
// than four of any element from one byte of its file (a file that needs more is read again
// at full capacity by Fmt_Import).
static i32 RoomForFile(size_t size, u32 capacity) {
  u64 room = (u64)size * 4 + 64;
  return (i32)(room < capacity ? room : capacity);
}

Model3 *Fmt_NewModelFor(size_t fileSize) {
  i32 vertices = RoomForFile(fileSize, g_MaxVertices), polygons = RoomForFile(fileSize, g_MaxPolygons);
  if ((u32)vertices >= g_MaxVertices && (u32)polygons >= g_MaxPolygons) return Fmt_NewModel();
  Model3 *m = Model3_New();
  bool ok = m && Model3_Reserve(m, vertices, vertices, vertices, vertices, polygons);
  // The key tables a full model has: every bone's, with the tracks of the motion in use.
  for (i32 b = 0; ok && b < MODEL3_BONES; b++) ok = Model3_EnsureKeyTable(m, b);
  if (ok) {
    m->keyTableLength = MODEL3_MOTIONS;
    Model3_FreshTracks(m);
  }
  if (!ok) {
    Model3_Free(m);
    return nullptr;
  }
  return m;
}

FmtResult Fmt_ParseChecked(FmtParseFn parse, Model3 *m, const u8 *data, size_t size, FmtStatus *st) {
  FmtResult r = parse(m, data, size, st);
  if (r == FMT_OK && !Finite_Model3(m)) r = Fmt_Refuse(st, "%s", kFmtMsgNotFinite);
  return r;
}

// One parse of the file into a scratch model of the given room (full: every array at capacity).
static FmtResult ParseInto(Model3 **out, const FileData *f, bool full, FmtParseFn parse, FmtStatus *st) {
  *out = full ? Fmt_NewModel() : Fmt_NewModelFor(f->size);
  if (!*out) return FMT_NOT_READ;
  *st = FmtStatus{};
  return Fmt_ParseChecked(parse, *out, f->data, f->size, st);
}

i32 Fmt_Import(i32 slot, const char *path, FmtParseFn parse, ModelResult *res) {
  ModelResult_Refuse(res, "");
  if (slot < 0 || slot >= MODEL3_SLOTS || !path || !path[0]) return 0;
  FileData f;
  if (!File_ReadAll(path, &f)) return 0;
  i32 ok = 0;
  // A scratch model sized from the file; a file it cannot take is parsed again at full
  // capacity, so its result and its refusal are those of a full model.
  Model3 *m = nullptr;
  FmtStatus st = {};
  FmtResult r = ParseInto(&m, &f, false, parse, &st);
  bool sized = m && (m->capPositions < (i32)g_MaxVertices || m->capPolygons < (i32)g_MaxPolygons);
  if (r != FMT_OK && sized) {
    Model3_Free(m);
    r = ParseInto(&m, &f, true, parse, &st);
  }
  if (m) {
    if (r == FMT_OK) {
      ok = Fmt_Commit(slot, m, path);
      ModelResult_Accept(res);
      m = nullptr;
    } else if (r == FMT_REFUSED) {
      ModelResult_Refusef(res, "%s\n%s", path, st.reason);
    }
    Model3_Free(m);
  }
  File_Free(&f);
  return ok;
}

bool Fmt_TextLine(ByteReader *r, char *dst, size_t dstSize) {
  if (r->err || r->p >= r->end) {
    if (dstSize) dst[0] = 0;
    return false;
  }
  size_t n = 0;
  while (r->p < r->end && *r->p != '\n' && *r->p != '\r') {
    if (n + 1 < dstSize) dst[n++] = (char)*r->p;
    r->p++;
  }
  if (r->p < r->end) {
    u8 first = *r->p++;
    // A CR LF or LF CR pair is one line end.
    if (r->p < r->end && (*r->p == '\n' || *r->p == '\r') && *r->p != first) r->p++;
  }
  if (dstSize) dst[n] = 0;
  return true;
}

i32 Fmt_Int(const char *s) {
  long v = strtol(s, nullptr, 10);
  if (v > 0x7FFFFFFFL) return 0x7FFFFFFF;
  if (v < -0x7FFFFFFFL) return -0x7FFFFFFF;
  return (i32)v;
}

f32 Fmt_Float(const char *s) { return strtof(s, nullptr); }

u8 Fmt_ColorByte(f32 v) {
  if (!(v > 0.0f)) return 0;
  if (v >= 255.0f) return 255;
  return (u8)v;
}

void Fmt_CalcNormals(Model3 *m) {
  Model3_CalcNormals(m);
  if (m->normalCount > 0 || !m->vertexNormals) return;
  // The normal array was left alone: give every corner the normal of its position.
  i32 n = m->positionCount < m->capNormals ? m->positionCount : m->capNormals;
  for (i32 i = 0; i < n; i++) m->normals[i] = m->vertexNormals[i];
  m->normalCount = n;
  for (i32 p = 0; p < m->polygonCount; p++) {
    Polygon3 &poly = m->polygons[p];
    for (int c = 0; c < 4; c++) poly.corners[c].normal = poly.corners[c].vertex;
  }
}

Vec3 Fmt_CornerPosition(const Model3 *m, const PolyCorner &c) {
  return c.vertex < (u32)m->positionCount ? m->positions[c.vertex] : Vec3{0, 0, 0};
}

Vec3 Fmt_CornerNormal(const Model3 *m, const PolyCorner &c) {
  return c.normal < (u32)m->normalCount ? m->normals[c.normal] : Vec3{0, 0, 0};
}

Color4 Fmt_CornerColor(const Model3 *m, const PolyCorner &c) {
  return c.color < (u32)m->colorCount ? m->colors[c.color] : Color4{0, 0, 0, 0};
}

Vec2 Fmt_CornerUV(const Model3 *m, const PolyCorner &c) {
  return c.uv < (u32)m->uvCount ? m->uvs[c.uv] : Vec2{0, 0};
}
