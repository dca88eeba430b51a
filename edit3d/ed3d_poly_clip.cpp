// The modelling clipboard, the primitives, the file merge and the group mirror
// (ed3d_poly_clip.h). Each appends to the model's arrays after one room check.
#include "edit3d/ed3d_poly_clip.h"

#include <string.h>
#if defined(_WIN32)
#include <direct.h>
#define getcwd _getcwd
#else
#include <unistd.h>
#endif

#include "app/current.h"
#include "app/family.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "app/widget.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_poly_ops.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/media/filename.h"
#include "model/kzp.h"
#include "model/mesh.h"
#include "model/seam_errorbox.h"
#include "model/str.h"

Model3 *g_PolyClipboard;

static const char kFaceModeOnly[] = "面選択モードで利用できます。";

// [SECTION] bounds
static i32 Corners(const Polygon3 &p) { return p.cornerCount > 4 ? 4 : p.cornerCount; }

static Vec3 NormalAt(const Model3 *m, u32 i) { return i < (u32)Model3_NormalCount(m) ? m->normals[i] : Vec3{0, 0, 0}; }
static Color4 ColourAt(const Model3 *m, u32 i) { return i < (u32)Model3_ColorCount(m) ? m->colors[i] : Color4{0, 0, 0, 0}; }
static Vec2 UvAt(const Model3 *m, u32 i) { return i < (u32)Model3_UVCount(m) ? m->uvs[i] : Vec2{0, 0}; }

static bool FaceFlag(const ShellSelection *sel, i32 f) { return (u32)f < Poly_SelFaceRoom(sel) && sel->g_PolySelFaces[f]; }
static void FlagFace(ShellSelection *sel, i32 f) {
  if ((u32)f < Poly_SelFaceRoom(sel)) sel->g_PolySelFaces[f] = 1;
}
static void FlagVert(ShellSelection *sel, i32 v) {
  if ((u32)v < Poly_SelVertRoom(sel)) sel->g_PolySelVerts[v] = 1;
}
static void ClearFlags(ShellSelection *sel) {
  if (u32 n = Poly_SelVertRoom(sel)) memset(sel->g_PolySelVerts, 0, n * sizeof(u32));
  if (u32 n = Poly_SelFaceRoom(sel)) memset(sel->g_PolySelFaces, 0, n * sizeof(u32));
}

template <typename T>
static void CopyRange(T *dst, const T *src, i32 n) {
  if (n > 0) memcpy(dst, src, (size_t)n * sizeof(T));
}

// [SECTION] model-level steps
bool Poly_CopyFaces(const Model3 *m, const ShellSelection *sel, Model3 *clip, i32 group) {
  if (!m || !clip) return false;
  i32 np = Model3_PositionCount(m), nn = Model3_NormalCount(m), nc = Model3_ColorCount(m), nt = Model3_UVCount(m), nf = Model3_PolygonCount(m);
  i32 take = 0;
  for (i32 f = 0; f < nf; f++) take += FaceFlag(sel, f) && (group < 0 || m->polygons[f].group == (u32)group);
  if (!Model3_Reserve(clip, np, nn, nc, nt, take)) return false;
  CopyRange(clip->positions, m->positions, np);
  if (m->bindings) CopyRange(clip->bindings, m->bindings, np);
  else Model3_FreshBindings(clip, 0, np);
  CopyRange(clip->normals, m->normals, nn);
  CopyRange(clip->colors, m->colors, nc);
  CopyRange(clip->uvs, m->uvs, nt);
  clip->positionCount = np, clip->normalCount = nn, clip->colorCount = nc, clip->uvCount = nt;
  i32 w = 0;
  for (i32 f = 0; f < nf; f++)
    if (FaceFlag(sel, f) && (group < 0 || m->polygons[f].group == (u32)group)) clip->polygons[w++] = m->polygons[f];
  clip->polygonCount = w;
  return true;
}

// Raises top[1..3] (normals, colours, UVs) to one past the largest such index of a corner of
// the polygons (of one group, or all for a negative group). A corner may name the first entry
// of an empty array (a normal before the normals are made): shifted along with the others,
// its index needs room as well, as a model read from a file has room for every index.
static void IndexRoom(const Polygon3 *polys, i32 count, i64 group, i64 top[4]) {
  for (i32 f = 0; f < count; f++) {
    if (group >= 0 && polys[f].group != (u64)group) continue;
    for (i32 k = 0; k < Corners(polys[f]); k++) {
      const PolyCorner &c = polys[f].corners[k];
      const u32 idx[4] = {c.vertex, c.normal, c.color, c.uv};
      for (int j = 1; j < 4; j++)
        if ((i64)idx[j] + 1 > top[j]) top[j] = (i64)idx[j] + 1;
    }
  }
}

i32 Poly_PasteFaces(Model3 *m, const Model3 *clip) {
  if (!m || !clip) return -1;
  i32 np = Model3_PositionCount(m), nn = Model3_NormalCount(m), nc = Model3_ColorCount(m), nt = Model3_UVCount(m), nf = Model3_PolygonCount(m);
  i32 cp = Model3_PositionCount(clip), cn = Model3_NormalCount(clip), cc = Model3_ColorCount(clip), ct = Model3_UVCount(clip), cf = Model3_PolygonCount(clip);
  i64 top[4] = {cp, cn, cc, ct};
  IndexRoom(clip->polygons, cf, -1, top);
  if (!Poly_ReserveOrSay(m, (i64)np + cp, nn + top[1], nc + top[2], nt + top[3], (i64)nf + cf)) return -1;
  CopyRange(m->positions + np, clip->positions, cp);
  if (clip->bindings) CopyRange(m->bindings + np, clip->bindings, cp);
  else Model3_FreshBindings(m, np, np + cp);
  CopyRange(m->normals + nn, clip->normals, cn);
  CopyRange(m->colors + nc, clip->colors, cc);
  CopyRange(m->uvs + nt, clip->uvs, ct);
  for (i32 f = 0; f < cf; f++) {
    Polygon3 p = clip->polygons[f];
    for (i32 k = 0; k < 4; k++) {
      PolyCorner &c = p.corners[k];
      c.vertex += (u32)np, c.normal += (u32)nn, c.color += (u32)nc, c.uv += (u32)nt;
    }
    m->polygons[nf + f] = p;
  }
  m->positionCount = np + cp, m->normalCount = nn + cn, m->colorCount = nc + cc, m->uvCount = nt + ct;
  m->polygonCount = nf + cf;
  return nf;
}

bool Poly_AppendPlaced(Model3 *m, ShellSelection *sel, const Model3 *src, f32 scale, const f32 offset[3], u32 group) {
  if (!m || !src) return false;
  i32 np = Model3_PositionCount(m), nn = Model3_NormalCount(m), nc = Model3_ColorCount(m), nt = Model3_UVCount(m), nf = Model3_PolygonCount(m);
  i32 sp = Model3_PositionCount(src), sf = Model3_PolygonCount(src);
  i64 corners = 0;
  for (i32 f = 0; f < sf; f++) corners += Corners(src->polygons[f]);
  if (!Poly_ReserveOrSay(m, (i64)np + sp, nn + corners, nc + corners, nt + corners, (i64)nf + sf)) return false;
  ClearFlags(sel);
  for (i32 i = 0; i < sp; i++) {
    const Vec3 &p = src->positions[i];
    m->positions[np + i] = {p.x * scale + offset[0], p.y * scale + offset[1], p.z * scale + offset[2]};
    // Bound to bone 1 until the automatic binding below finds the nearest bone.
    m->bindings[np + i] = VertexBinding{1, 0, 1.0f, 1};
    FlagVert(sel, np + i);
  }
  for (i32 f = 0; f < sf; f++) {
    const Polygon3 &s = src->polygons[f];
    Polygon3 p = s;
    p.group = group;
    for (i32 k = 0; k < Corners(s); k++) {
      PolyCorner &c = p.corners[k];
      c.vertex = s.corners[k].vertex + (u32)np;
      m->normals[nn] = NormalAt(src, s.corners[k].normal);
      m->colors[nc] = ColourAt(src, s.corners[k].color);
      m->uvs[nt] = UvAt(src, s.corners[k].uv);
      c.normal = (u32)nn++, c.color = (u32)nc++, c.uv = (u32)nt++;
    }
    m->polygons[nf + f] = p;
    FlagFace(sel, nf + f);
  }
  m->positionCount = np + sp, m->normalCount = nn, m->colorCount = nc, m->uvCount = nt;
  m->polygonCount = nf + sf;
  Model3_AutoBindVertices(m);
  return true;
}

bool Poly_MirrorGroup(Model3 *m, ShellSelection *sel, u32 group) {
  if (!m) return false;
  i32 np = Model3_PositionCount(m), nn = Model3_NormalCount(m), nc = Model3_ColorCount(m), nt = Model3_UVCount(m), nf = Model3_PolygonCount(m);
  i32 twins = 0;
  for (i32 f = 0; f < nf; f++) twins += m->polygons[f].group == group;
  i64 top[4] = {np, nn, nc, nt};
  IndexRoom(m->polygons, nf, group, top);
  if (!Poly_ReserveOrSay(m, 2 * (i64)np, nn + top[1], nc + top[2], nt + top[3], (i64)nf + twins)) return false;
  ClearFlags(sel);
  for (i32 i = 0; i < np; i++) {
    const Vec3 p = m->positions[i];
    m->positions[np + i] = {-p.x, p.y, p.z};
    m->bindings[np + i] = m->bindings[i];
    FlagVert(sel, np + i);
  }
  for (i32 i = 0; i < nn; i++) m->normals[nn + i] = {-m->normals[i].x, m->normals[i].y, m->normals[i].z};
  CopyRange(m->colors + nc, m->colors, nc);
  CopyRange(m->uvs + nt, m->uvs, nt);
  i32 w = nf;
  for (i32 f = 0; f < nf; f++) {
    const Polygon3 &s = m->polygons[f];
    if (s.group != group) continue;
    Polygon3 p = s;
    i32 n = Corners(s);
    // Reversed corners keep the twin facing outwards after the x flip.
    for (i32 k = 0; k < n; k++) {
      const PolyCorner &c = s.corners[n - 1 - k];
      p.corners[k] = {c.vertex + (u32)np, c.normal + (u32)nn, c.color + (u32)nc, c.uv + (u32)nt};
    }
    m->polygons[w] = p;
    FlagFace(sel, w++);
  }
  m->positionCount = 2 * np, m->normalCount = 2 * nn, m->colorCount = 2 * nc, m->uvCount = 2 * nt;
  m->polygonCount = w;
  return true;
}

// [SECTION] commands
static void ActivateMain(void) {
  Widget_ActivateMain();
}

Model3 *Poly_Clipboard(void) {
  if (!g_PolyClipboard) {
    g_ModelAllocArrays = 1;
    g_PolyClipboard = Model3_New();
  }
  return g_PolyClipboard;
}

bool Ed3D_PolyCopy(Model3 *m, ShellSelection *sel) {
  if (!m) return false;
  Model3 *clip = Poly_Clipboard();
  if (sel->g_PolySelectMode != 1) {
    Seam_ErrorBox(kFaceModeOnly);
    return false;
  }
  bool done = Poly_CopyFaces(m, sel, clip, -1);
  ActivateMain();
  return done;
}

bool Ed3D_PolyCut(Model3 *m, ShellSelection *sel) {
  if (!m) return false;
  if (sel->g_PolySelectMode != 1) {
    Seam_ErrorBox(kFaceModeOnly);
    return false;
  }
  if (!Ed3D_PolyCopy(m, sel)) return false;
  Ed3D_PolyDelete(m, sel);
  return true;
}

bool Ed3D_PolyPaste(Model3 *m) {
  if (!m || !g_PolyClipboard) return false;
  bool done = Poly_PasteFaces(m, g_PolyClipboard) >= 0;
  Ed3DPolyEditor.dlgRefresh = 1;
  ActivateMain();
  return done;
}

// The active view of the modelling layout: its pan is where new geometry goes.
static const ViewRecord *ActiveView(const HookCtx *c) { return View_Get(SUB_3D_POLY, c->activeView); }

// Reads a file into the scratch slot and places it into m with the context's selection; the
// scratch slot is empty afterwards.
static bool PlaceFile(const HookCtx *c, Model3 *m, const char *path, f32 scale) {
  ShellSelection *sel = c->sel;
  Model3_FreeSlot(POLY_SCRATCH_SLOT);
  ModelResult res;
  Model3 *src = Model3_OpenFile(POLY_SCRATCH_SLOT, path, &res);
  Seam_ShowResult(&res);
  bool done = false;
  if (src) {
    const ViewRecord *v = ActiveView(c);
    // The view's centre: its pan with z negated, as free creation places points.
    const f32 offset[3] = {v->panX, v->panY, -v->panZ};
    done = Poly_AppendPlaced(m, sel, src, scale, offset, sel->g_CurGroupIndex);
  }
  Model3_FreeSlot(POLY_SCRATCH_SLOT);
  if (done) {
    sel->g_PolyTool = POLY_TOOL_MOVE;
    sel->g_PolyFaceNo = -1;
  }
  Ed3DPolyEditor.dlgRefresh = 1;
  return done;
}

bool Ed3D_PolyLoadPrimitive(const char *name) {
  HookCtx c = Family_ShellContext();
  return Ed3D_PolyLoadPrimitiveInto(&c, c.model, name);
}

bool Ed3D_PolyLoadPrimitiveInto(const HookCtx *c, Model3 *m, const char *name) {
  if (!m || !name) return false;
  char folder[LIB_TEXT_SIZE], path[LIB_TEXT_SIZE], saved[LIB_TEXT_SIZE];
  if (!Str_FormatAll(folder, sizeof folder, "%s/System/プリミティブ", g_Lib.dataDir) ||
      !Str_FormatAll(path, sizeof path, "%s/%s.KZP", folder, name)) {
    Seam_ErrorBoxf("%s のファイル名が長すぎます。", name);
    return false;
  }
  // Textures named by a primitive are found beside it; the user's folder comes back after.
  bool back = getcwd(saved, sizeof saved) != nullptr;
  FileDlg_ChangeDir(folder);
  const ViewRecord *v = ActiveView(c);
  bool done = PlaceFile(c, m, path, v->zoom * 0.25f);
  if (back) FileDlg_ChangeDir(saved);
  ActivateMain();
  return done;
}

bool Ed3D_PolyMergeFile(const char *name) {
  HookCtx c = Family_ShellContext();
  return Ed3D_PolyMergeFileInto(&c, c.model, name);
}

bool Ed3D_PolyMergeFileInto(const HookCtx *c, Model3 *m, const char *name) {
  if (!m || !name || !name[0]) return false;
  bool done = PlaceFile(c, m, name, 1.0f);
  ActivateMain();
  Ed3D_PolyAfterEdit(c->layout);
  return done;
}
