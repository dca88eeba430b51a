// Texture coordinates of 3D models (uv.h).
#include "edit3d/uv.h"

#include <math.h>
#include <stdlib.h>

#include "model/docref.h"
#include "model/str.h"
#include "model/uvtool.h"

static const f32 kTurn = 6.28318f;   // the full turn of the angle mappings

// [SECTION] corner access
static i32 PolyCount(const Model3 *m) { return m->polygonCount < m->capPolygons ? m->polygonCount : m->capPolygons; }
static i32 Corners(const Polygon3 &p) { return p.cornerCount > 4 ? 4 : p.cornerCount; }

static bool PosOk(const Model3 *m, u32 i) { return i < (u32)m->positionCount && i < (u32)m->capPositions; }
static bool UvOk(const Model3 *m, u32 i) { return i < (u32)m->uvCount && i < (u32)m->capUVs; }
static bool NormalOk(const Model3 *m, u32 i) { return i < (u32)m->normalCount && i < (u32)m->capNormals; }

// The corner's position and UV entry when both lie inside their arrays.
static bool CornerPosUv(Model3 *m, const PolyCorner &c, Vec3 *pos, Vec2 **uv) {
  if (!PosOk(m, c.vertex) || !UvOk(m, c.uv)) return false;
  *pos = m->positions[c.vertex];
  *uv = &m->uvs[c.uv];
  return true;
}

static bool Selected(const u32 *flags, u32 room, i32 i) { return flags && (u32)i < room && flags[i]; }

// t / extent, or 0.5 for the whole coordinate where the extent is 0 (a flat selection).
struct Extent {
  f32 lo = 99999.0f, hi = -99999.0f;
  void Add(f32 v) {
    if (v < lo) lo = v;
    if (v > hi) hi = v;
  }
  f32 Size() const { return hi - lo; }
  f32 FromTop(f32 v) const { return Size() != 0 ? Share(hi - v, (f64)hi - v, Size(), (f64)hi - lo) : 0.5f; }
  // num / den, from the double values where the float ones left the float range (positions
  // near the float limit, whose differences overflow).
  static f32 Share(f32 num, f64 wideNum, f32 den, f64 wideDen) {
    f32 r = num / den;
    return isfinite(num) && isfinite(den) ? r : (f32)(wideNum / wideDen);
  }
};

// The angle of (x, z) around the y axis as a fraction of a turn, shifted by a quarter.
static f32 AngleU(f32 x, f32 z) {
  f32 a = atan2f(z, x);
  if (a < 0) a += kTurn;
  f32 u = a / kTurn - 0.25f;
  return u < 0 ? u + 1.0f : u;
}

// [SECTION] seams of the angle mappings
static void SortPairByU(const Model3 *m, const Polygon3 &p, i32 *k, i32 n) {
  if (n == 2 && m->uvs[p.corners[k[1]].uv].u < m->uvs[p.corners[k[0]].uv].u) {
    i32 t = k[0];
    k[0] = k[1];
    k[1] = t;
  }
}

// A triangle becomes a quad repeating its first corner; corners on the y axis take the u of
// the off-axis corners; a polygon across the seam gets its low u values one turn on. Each UV
// entry is shifted once, however many corners share it.
static void CloseSeam(Model3 *m, Polygon3 &p) {
  if (p.cornerCount < 3) return;
  if (p.cornerCount == 3) {
    p.corners[3] = p.corners[0];
    p.cornerCount = 4;
  }
  i32 axis[2], off[2], na = 0, no = 0;
  for (i32 k = 0; k < 4; k++) {
    Vec3 pos;
    Vec2 *uv;
    if (!CornerPosUv(m, p.corners[k], &pos, &uv)) continue;
    bool onAxis = fabsf(pos.x) + fabsf(pos.z) < 0.1f;
    if (onAxis && na < 2) axis[na++] = k;
    if (!onAxis && no < 2) off[no++] = k;
  }
  SortPairByU(m, p, axis, na);
  SortPairByU(m, p, off, no);
  if (no > 0)
    for (i32 i = 0; i < na; i++) m->uvs[p.corners[axis[i]].uv].u = m->uvs[p.corners[off[i < no ? i : no - 1]].uv].u;
  bool high = false;
  for (i32 k = 0; k < 4; k++)
    if (UvOk(m, p.corners[k].uv) && m->uvs[p.corners[k].uv].u > 0.75f) high = true;
  if (!high) return;
  for (i32 k = 0; k < 4; k++) {
    u32 e = p.corners[k].uv;
    bool seen = false;
    for (i32 j = 0; j < k; j++) seen |= p.corners[j].uv == e;
    if (!seen && UvOk(m, e) && PosOk(m, p.corners[k].vertex) && m->uvs[e].u < 0.25f) m->uvs[e].u += 1.0f;
  }
}

// [SECTION] group projection
// The two axes a planar or angle mapping measures: Front and the angle mappings x and y, Top
// x and z, Side z and y.
static void MappingAxes(u8 mode, const Vec3 &p, f32 *a, f32 *b) {
  *a = mode == UV_MAP_SIDE ? p.z : p.x;
  *b = mode == UV_MAP_TOP ? p.z : p.y;
}

static Vec2 PlanarUv(const Group3 &g, f32 a, f32 b, const Extent &e1, const Extent &e2) {
  f32 c1 = Math_Mean2(e1.lo, e1.hi), c2 = Math_Mean2(e2.lo, e2.hi);
  f32 d1 = e1.Size() * g.scaleU, d2 = e2.Size() * g.scaleV;
  f32 t1 = UvTool_Ratio(a - c1, d1), t2 = UvTool_Ratio(b - c2, d2);
  if (!isfinite(a - c1) || !isfinite(d1)) t1 = Extent::Share(a - c1, (f64)a - c1, d1, ((f64)e1.hi - e1.lo) * g.scaleU);
  if (!isfinite(b - c2) || !isfinite(d2)) t2 = Extent::Share(b - c2, (f64)b - c2, d2, ((f64)e2.hi - e2.lo) * g.scaleV);
  return {t1 + c1 + 0.5f - g.offsetU, c2 + 0.5f + g.offsetV - t2};
}

static Vec2 CylinderUv(const Vec3 &p, const Extent &ey) {
  if (fabsf(p.x) + fabsf(p.z) < 0.1f) return {0.25f, p.y > 0 ? 0.0f : 1.0f};
  f32 v = ey.Size() != 0 ? ey.FromTop(p.y) * 0.5f + 0.25f : 0.5f;
  return {AngleU(p.x, p.z), v};
}

static const Vec2 kSquare[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

static i32 UvCount(const Model3 *m) { return m->uvCount < m->capUVs ? m->uvCount : m->capUVs; }

// Corners of group g that share their UV entry with another corner leave it (the last user
// keeps it); with apply each gets a copy appended after `count`. The number that leave.
static i32 Unshare(Model3 *m, i32 g, i32 *uses, i32 count, bool apply) {
  i32 n = PolyCount(m), moved = 0;
  for (i32 i = 0; i < count; i++) uses[i] = 0;
  for (i32 f = 0; f < n; f++)
    for (i32 k = 0; k < Corners(m->polygons[f]); k++)
      if (m->polygons[f].corners[k].uv < (u32)count) uses[m->polygons[f].corners[k].uv]++;
  for (i32 f = 0; f < n; f++) {
    Polygon3 &p = m->polygons[f];
    if (p.group != (u32)g) continue;
    for (i32 k = 0; k < Corners(p); k++) {
      u32 e = p.corners[k].uv;
      if (e >= (u32)count || uses[e] < 2) continue;
      uses[e]--;
      if (apply) {
        m->uvs[count + moved] = m->uvs[e];
        p.corners[k].uv = (u32)(count + moved);
      }
      moved++;
    }
  }
  return moved;
}

bool Uv_OwnGroupEntries(Model3 *m, i32 g) {
  i32 count = m ? UvCount(m) : 0;
  if (count <= 0) return true;
  i32 *uses = (i32 *)malloc((size_t)count * sizeof(i32));
  if (!uses) return false;
  i32 need = Unshare(m, g, uses, count, false);
  bool ok = need == 0 || ((i64)count + need <= (i64)g_MaxVertices &&
                          Model3_Reserve(m, m->positionCount, m->normalCount, m->colorCount, count + need, m->polygonCount));
  if (ok && need > 0) {
    Unshare(m, g, uses, count, true);
    m->uvCount = count + need;
  }
  free(uses);
  return ok;
}

// Every corner of group g takes the coordinate `mode` gives its position, measured against the
// extents of the group's corners; the angle mappings close each polygon's seam. Only the planar
// mappings read the group's record (its offset and scale).
static void MapGroup(Model3 *m, i32 g, u8 mode) {
  i32 n = PolyCount(m);
  Extent e1, e2;
  for (i32 f = 0; f < n; f++) {
    const Polygon3 &p = m->polygons[f];
    if (p.group != (u32)g) continue;
    for (i32 k = 0; k < Corners(p); k++) {
      if (!PosOk(m, p.corners[k].vertex)) continue;
      f32 a, b;
      MappingAxes(mode, m->positions[p.corners[k].vertex], &a, &b);
      e1.Add(a);
      e2.Add(b);
    }
  }
  for (i32 f = 0; f < n; f++) {
    Polygon3 &p = m->polygons[f];
    if (p.group != (u32)g) continue;
    for (i32 k = 0; k < Corners(p); k++) {
      Vec3 pos;
      Vec2 *uv;
      if (!CornerPosUv(m, p.corners[k], &pos, &uv)) continue;
      f32 a, b;
      MappingAxes(mode, pos, &a, &b);
      if (mode <= UV_MAP_SIDE) *uv = PlanarUv(m->groups[g], a, b, e1, e2);
      else if (mode == UV_MAP_CYLINDER) *uv = CylinderUv(pos, e2);
      else if (mode == UV_MAP_SPHERE) *uv = {AngleU(pos.x, pos.z), e2.FromTop(pos.y)};
      else *uv = kSquare[k];
    }
    if (mode == UV_MAP_CYLINDER || mode == UV_MAP_SPHERE) CloseSeam(m, p);
  }
}

bool Uv_ProjectGroup(Model3 *m, i32 g) {
  if (!m || g < 0 || g >= m->groupCount || g >= MODEL3_GROUPS) return false;
  u8 mode = m->groups[g].mapping;
  if (mode > UV_MAP_PER_FACE) return true;
  // Every corner gets its own coordinate: an entry welded with others would take one value.
  if (!Uv_OwnGroupEntries(m, g)) return false;
  MapGroup(m, g, mode);
  return true;
}

bool Ed3D_ProjectGroupUV(i32 slot, i32 g) {
  return Uv_ProjectGroup(slot >= 0 && slot < MODEL3_SLOTS ? g_Model3Slots[slot] : nullptr, g);
}

// [SECTION] unfolds
i32 Uv_VertexUnfoldNeed(const Model3 *m, const u32 *selFaces, u32 faceFlags) {
  i32 need = 0, n = m ? PolyCount(m) : 0;
  for (i32 f = 0; f < n; f++)
    if (Selected(selFaces, faceFlags, f)) need += Corners(m->polygons[f]);
  return need;
}

// Drops the UV entries no unselected face uses (the selected faces get new ones), keeping the
// order of the rest and renumbering the unselected faces' corners. The entries left.
static i32 KeepEntriesOfOtherFaces(Model3 *m, const u32 *selFaces, u32 faceFlags) {
  i32 n = PolyCount(m), count = m->uvCount < m->capUVs ? m->uvCount : m->capUVs;
  if (count <= 0) return 0;
  i32 *newIndex = (i32 *)malloc((size_t)count * sizeof(i32));
  if (!newIndex) return m->uvCount;
  for (i32 i = 0; i < count; i++) newIndex[i] = -1;
  for (i32 f = 0; f < n; f++)
    if (!Selected(selFaces, faceFlags, f))
      for (i32 k = 0; k < Corners(m->polygons[f]); k++)
        if (UvOk(m, m->polygons[f].corners[k].uv)) newIndex[m->polygons[f].corners[k].uv] = 0;
  i32 kept = 0;
  for (i32 i = 0; i < count; i++)
    if (newIndex[i] == 0) {
      m->uvs[kept] = m->uvs[i];
      newIndex[i] = kept++;
    }
  for (i32 f = 0; f < n; f++)
    if (!Selected(selFaces, faceFlags, f))
      for (i32 k = 0; k < Corners(m->polygons[f]); k++) {
        u32 &e = m->polygons[f].corners[k].uv;
        if (e < (u32)count) e = (u32)newIndex[e];
      }
  free(newIndex);
  m->uvCount = kept;
  return kept;
}

// Entries the unselected faces use (an upper bound is enough for the room check).
static i32 EntriesOfOtherFaces(const Model3 *m, const u32 *selFaces, u32 faceFlags) {
  i32 n = PolyCount(m), used = 0;
  for (i32 f = 0; f < n; f++)
    if (!Selected(selFaces, faceFlags, f)) used += Corners(m->polygons[f]);
  return used < m->uvCount ? used : m->uvCount;
}

bool Uv_VertexUnfold(Model3 *m, const u32 *selFaces, u32 faceFlags) {
  if (!m) return false;
  i32 need = Uv_VertexUnfoldNeed(m, selFaces, faceFlags), n = PolyCount(m);
  if (need == 0) return true;
  // The new entries go after the existing ones; where the array would pass its capacity, the
  // entries only the selected faces used make room first.
  if ((i64)m->uvCount + need > (i64)g_MaxVertices) {
    if ((i64)EntriesOfOtherFaces(m, selFaces, faceFlags) + need > (i64)g_MaxVertices) return false;
    KeepEntriesOfOtherFaces(m, selFaces, faceFlags);
  }
  if (!Model3_Reserve(m, m->positionCount, m->normalCount, m->colorCount, m->uvCount + need, m->polygonCount))
    return false;
  Extent ex, ey;
  for (i32 f = 0; f < n; f++)
    for (i32 k = 0; k < Corners(m->polygons[f]); k++) {
      u32 v = m->polygons[f].corners[k].vertex;
      if (!PosOk(m, v)) continue;
      ex.Add(m->positions[v].x);
      ey.Add(m->positions[v].y);
    }
  for (i32 f = 0; f < n; f++) {
    if (!Selected(selFaces, faceFlags, f)) continue;
    Polygon3 &p = m->polygons[f];
    bool front = true;
    for (i32 k = 0; k < Corners(p); k++)
      if (PosOk(m, p.corners[k].vertex) && m->positions[p.corners[k].vertex].z < 0) front = false;
    for (i32 k = 0; k < Corners(p); k++) {
      u32 v = p.corners[k].vertex;
      Vec2 uv = {0.5f, 0.5f};
      if (PosOk(m, v)) {
        f32 x = m->positions[v].x;
        f32 across = ex.Size() != 0 ? Extent::Share(0.5f * (ex.hi - x), 0.5 * ((f64)ex.hi - x), ex.Size(), (f64)ex.hi - ex.lo) : 0.0f;
        uv = {front ? 0.5f + across : 0.5f - across, ey.FromTop(m->positions[v].y)};
      }
      p.corners[k].uv = (u32)m->uvCount;
      m->uvs[m->uvCount++] = uv;
    }
  }
  return true;
}

void Uv_NormalUnfold(Model3 *m, const u32 *selFaces, u32 faceFlags) {
  if (!m) return;
  for (i32 f = 0, n = PolyCount(m); f < n; f++) {
    if (!Selected(selFaces, faceFlags, f)) continue;
    const Polygon3 &p = m->polygons[f];
    for (i32 k = 0; k < Corners(p); k++) {
      const PolyCorner &c = p.corners[k];
      if (!NormalOk(m, c.normal) || !UvOk(m, c.uv)) continue;
      const Vec3 &nv = m->normals[c.normal];
      m->uvs[c.uv] = {0.25f * nv.x + 0.25f + (nv.z < 0 ? 0.5f : 0.0f), 0.5f - 0.5f * nv.y};
    }
  }
}

// The unfold is the sphere mapping's coordinates (angle around y, height from the top).
void Uv_CylinderUnfold(Model3 *m, i32 g) {
  if (m) MapGroup(m, g, UV_MAP_SPHERE);
}

void Uv_RotateFaceUVs(Model3 *m, const u32 *selFaces, u32 faceFlags) {
  if (!m) return;
  for (i32 f = 0, n = PolyCount(m); f < n; f++) {
    if (!Selected(selFaces, faceFlags, f)) continue;
    Polygon3 &p = m->polygons[f];
    i32 c = Corners(p);
    if (c < 2) continue;
    u32 last = p.corners[c - 1].uv;
    for (i32 k = c - 1; k > 0; k--) p.corners[k].uv = p.corners[k - 1].uv;
    p.corners[0].uv = last;
  }
}

// [SECTION] UV tools (the shared arithmetic of model/uvtool.h on the model's entries)
static_assert(sizeof(Vec2) == 2 * sizeof(f32), "UV entries are (u, v) pairs");

void Uv_MoveSelected(Model3 *m, const u32 *sel, u32 flags, i32 texW, i32 texH, f32 dx, f32 dy) {
  if (m && m->uvs) UvTool_Move(&m->uvs[0].u, UvCount(m), sel, flags, texW, texH, dx, dy);
}

void Uv_RotateSelected(Model3 *m, const u32 *sel, u32 flags, f32 w, f32 h, f32 dx, f32 dy, f32 s) {
  if (m && m->uvs) UvTool_Rotate(&m->uvs[0].u, UvCount(m), sel, flags, w, h, dx, dy, s);
}

void Uv_ScaleSelected(Model3 *m, const u32 *sel, u32 flags, f32 dx, f32 dy, f32 s) {
  if (m && m->uvs) UvTool_Scale(&m->uvs[0].u, UvCount(m), sel, flags, dx, dy, s);
}

// [SECTION] texture table
bool Uv_SetTextureEntry(Model3 *m, i32 n, const char *name) {
  if (!m || n <= 0 || n > m->textureCount || n >= MODEL3_TEXTURES || !name) return false;
  // Kept from the model's folder (a bare name from the dialog's folder becomes relative to it).
  char kept[DocRef_Size(DOCREF_KZP_TEXTURE)];
  if (!DocRef_Choose(m->textureFolder, sizeof m->textureFolder, name, kept, sizeof kept)) Str_Copy(kept, sizeof kept, name);
  if (!Model3_SetText(&m->textures[n].name, kept)) return false;
  m->textures[n].used = 1;
  if (n == m->textureCount) m->textureCount++;
  return true;
}

// The number a reference to texture t's neighbours takes once t is gone.
static u32 Renumbered(u32 ref, u32 t) { return ref == t ? 0 : ref > t ? ref - 1 : ref; }

bool Uv_DeleteTexture(Model3 *m, i32 t) {
  if (!m || t <= 0 || t >= m->textureCount || m->textureCount > MODEL3_TEXTURES) return false;
  i32 last = m->textureCount - 1;
  free(m->textures[t].name);
  for (i32 i = t; i < last; i++) m->textures[i] = m->textures[i + 1];
  m->textures[last] = {0, nullptr, 0, 0};
  Model3_SetText(&m->textures[last].name, "");
  m->textureCount--;
  for (i32 g = 0; g < MODEL3_GROUPS; g++) m->groups[g].texture = Renumbered(m->groups[g].texture, (u32)t);
  if (m->dispTexture > 0) m->dispTexture = (i16)Renumbered((u32)m->dispTexture, (u32)t);
  for (i32 mo = 0; mo < MODEL3_MOTIONS; mo++)
    for (i32 g = 0; g < MODEL3_GROUPS; g++)
      if (GroupKeyList3 *l = m->motions[mo].groupKeys[g])
        for (GroupKey3 &k : l->keys) k.texture = (u16)Renumbered(k.texture, (u32)t);
  return true;
}
