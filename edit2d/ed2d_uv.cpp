// The 2D model's group projection, UV corner rotation, mirror copy, group apply and add, and
// the texts of the group and texture lists (ed2d_tex.h). Works on a Bone2Model alone.
#include <stdlib.h>
#include <string.h>

#include "edit2d/ed2d_tex.h"
#include "model/docref.h"
#include "model/numfield.h"
#include "model/seam_errorbox.h"
#include "model/str.h"
#include "model/uvtool.h"

static_assert(sizeof(Bone2UV) == 2 * sizeof(f32), "UV entries are (u, v) pairs");

// [SECTION] access
static i32 PolyCount(const Bone2Model *m) { return m->polygonCount < m->polygonCapacity ? m->polygonCount : m->polygonCapacity; }
static i32 Corners(const Polygon2 &p) { return p.cornerCount > 4 ? 4 : p.cornerCount; }
static bool PosOk(const Bone2Model *m, u32 i) { return i < m->vertexCount && (i32)i < m->vertexCapacity; }
static bool UvOk(const Bone2Model *m, u32 i) { return i < m->uvCount && (i32)i < m->uvCapacity; }
static i32 GroupTotal(const Bone2Model *m) {
  return m->groupCount < 0 ? 0 : m->groupCount > BONE2_MAX_GROUPS ? BONE2_MAX_GROUPS : m->groupCount;
}

i32 Ed2D_GroupOf(const Bone2Model *m, u32 cur) { return m && cur < (u32)GroupTotal(m) ? (i32)cur : 0; }

// [SECTION] projection
static const Bone2UV kSquare[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};

i32 Ed2D_UvRoom(const Bone2Model *m) { return m->uvCapacity < 0xFFFF ? m->uvCapacity : 0xFFFF; }

// Live corners of group g that share their UV entry with another corner leave it (the last
// user keeps it); with apply each gets a copy appended after `count`. The number that leave.
static i32 Unshare(Bone2Model *m, i32 g, i32 *uses, i32 count, bool apply) {
  i32 n = PolyCount(m), moved = 0;
  for (i32 i = 0; i < count; i++) uses[i] = 0;
  for (i32 f = 0; f < n; f++)
    for (i32 k = 0; k < Corners(m->polygons[f]); k++)
      if (m->polygons[f].corners[k].uv < count) uses[m->polygons[f].corners[k].uv]++;
  for (i32 f = 0; f < n; f++) {
    Polygon2 &p = m->polygons[f];
    if (!p.used || p.group != (u32)g) continue;
    for (i32 k = 0; k < Corners(p); k++) {
      u16 e = p.corners[k].uv;
      if (e >= count || uses[e] < 2) continue;
      uses[e]--;
      if (apply) {
        m->uvs[count + moved] = m->uvs[e];
        p.corners[k].uv = (u16)(count + moved);
      }
      moved++;
    }
  }
  return moved;
}

bool Ed2D_OwnGroupEntries(Bone2Model *m, i32 g) {
  i32 count = m && m->uvs ? (m->uvCount < m->uvCapacity ? m->uvCount : m->uvCapacity) : 0;
  if (count <= 0) return true;
  i32 *uses = (i32 *)malloc((size_t)count * sizeof(i32));
  if (!uses) return false;
  i32 need = Unshare(m, g, uses, count, false);
  bool ok = (i64)count + need <= (i64)Ed2D_UvRoom(m);
  if (ok && need > 0) {
    Unshare(m, g, uses, count, true);
    m->uvCount = (u16)(count + need);
  }
  free(uses);
  return ok;
}

bool Ed2D_ProjectBone2Group(Bone2Model *m, i32 g) {
  if (!m || g < 0 || g >= GroupTotal(m)) return false;
  const Group2 &grp = m->groups[g];
  u8 type = grp.mappingKind;
  // Only the front and per-face mappings exist for 2D models; the others write nothing.
  if (type != ED2D_MAP_FRONT && type != ED2D_MAP_PER_FACE) return true;
  // Every corner gets its own coordinate: an entry welded with others would take one value.
  if (!Ed2D_OwnGroupEntries(m, g)) return false;
  f32 lx = 99999.0f, hx = -99999.0f, ly = 99999.0f, hy = -99999.0f;
  i32 n = PolyCount(m);
  for (i32 f = 0; f < n && type == ED2D_MAP_FRONT; f++) {
    const Polygon2 &p = m->polygons[f];
    if (!p.used || p.group != (u32)g) continue;
    for (i32 k = 0; k < Corners(p); k++) {
      if (!PosOk(m, p.corners[k].vertex)) continue;
      const Bone2Point &q = m->positions[p.corners[k].vertex];
      if (q.x < lx) lx = q.x;
      if (q.x > hx) hx = q.x;
      if (q.y < ly) ly = q.y;
      if (q.y > hy) hy = q.y;
    }
  }
  f32 cx = (lx + hx) * 0.5f, cy = (ly + hy) * 0.5f, w = hx - lx, h = hy - ly;
  for (i32 f = 0; f < n; f++) {
    const Polygon2 &p = m->polygons[f];
    if (!p.used || p.group != (u32)g) continue;
    for (i32 k = 0; k < Corners(p); k++) {
      const Corner2 &c = p.corners[k];
      if (!UvOk(m, c.uv)) continue;
      if (type == ED2D_MAP_PER_FACE) {
        m->uvs[c.uv] = kSquare[k];
        continue;
      }
      if (!PosOk(m, c.vertex)) continue;
      const Bone2Point &q = m->positions[c.vertex];
      // The group's extent spans the texture once (0..1 at scale 1 and offset 0), whatever
      // pixels the group lies on.
      m->uvs[c.uv].u = UvTool_Ratio(q.x - cx, w * grp.p[2]) + 0.5f - grp.p[0];
      m->uvs[c.uv].v = UvTool_Ratio(q.y - cy, h * grp.p[3]) + 0.5f + grp.p[1];
    }
  }
  return true;
}

bool Ed2D_ProjectGroupUV(i32 slot, i32 g) {
  return Ed2D_ProjectBone2Group(slot >= 0 && slot < BONE2_SLOTS ? g_Bone2Slots[slot] : nullptr, g);
}

// [SECTION] corner UVs
static bool Flag(const u32 *flags, u32 room, i32 i) { return flags && (u32)i < room && flags[i]; }

void Ed2D_RotateFaceUVs(Bone2Model *m, const u32 *selFaces, u32 faceRoom) {
  if (!m) return;
  for (i32 f = 0, n = PolyCount(m); f < n; f++) {
    Polygon2 &p = m->polygons[f];
    i32 c = Corners(p);
    if (!p.used || !Flag(selFaces, faceRoom, f) || c < 2) continue;
    u16 last = p.corners[c - 1].uv;
    for (i32 k = c - 1; k > 0; k--) p.corners[k].uv = p.corners[k - 1].uv;
    p.corners[0].uv = last;
  }
}

// [SECTION] mirror
static i32 MirrorPolygons(const Bone2Model *m, i32 g) {
  i32 count = 0;
  for (i32 f = 0, n = PolyCount(m); f < n; f++) count += m->polygons[f].group == (u32)g;
  return count;
}

static bool MirrorFits(const Bone2Model *m, i32 g) {
  i32 nv = m->vertexCount, nc = m->colourCount, nu = m->uvCount;
  return 2 * nv <= 0xFFFF && 2 * nv <= m->vertexCapacity && 2 * nc <= 0xFFFF && 2 * nc <= m->colourCapacity &&
         2 * nu <= 0xFFFF && 2 * nu <= m->uvCapacity && m->polygonCount <= m->polygonCapacity &&
         (i64)m->polygonCount + MirrorPolygons(m, g) <= (i64)m->polygonCapacity;
}

bool Ed2D_MirrorGroup(Bone2Model *m, i32 g, u32 *selFaces, u32 faceRoom, u32 *selVerts, u32 vertRoom) {
  if (!m || !MirrorFits(m, g)) return false;
  i32 nv = m->vertexCount, nc = m->colourCount, nu = m->uvCount, np = m->polygonCount;
  if (selFaces) memset(selFaces, 0, (size_t)((u32)np < faceRoom ? np : faceRoom) * sizeof(u32));
  if (selVerts) memset(selVerts, 0, (size_t)vertRoom * sizeof(u32));
  for (i32 i = 0; i < nv; i++) {
    m->positions[nv + i] = {-m->positions[i].x, m->positions[i].y};
    if (m->bindings) m->bindings[nv + i] = m->bindings[i];
    if ((u32)(nv + i) < vertRoom && selVerts) selVerts[nv + i] = 1;
  }
  for (i32 i = 0; i < nc; i++) m->colours[nc + i] = m->colours[i];
  for (i32 i = 0; i < nu; i++) m->uvs[nu + i] = m->uvs[i];
  for (i32 f = 0; f < np; f++) {
    const Polygon2 &p = m->polygons[f];
    if (p.group != (u32)g) continue;
    Polygon2 q = p;
    i32 c = Corners(p);
    for (i32 k = 0; k < c; k++) {
      const Corner2 &s = p.corners[c - 1 - k];
      q.corners[k] = {(u16)(s.vertex + nv), (u16)(s.colour + nc), (u16)(s.uv + nu)};
    }
    if (selFaces && (u32)m->polygonCount < faceRoom) selFaces[m->polygonCount] = 1;
    m->polygons[m->polygonCount++] = q;
  }
  m->vertexCount = (u16)(2 * nv);
  m->colourCount = (u16)(2 * nc);
  m->uvCount = (u16)(2 * nu);
  return true;
}

// [SECTION] group apply and add
// A colour 0..255; a number beyond it is clamped (the dialog then shows what was stored).
static bool ReadNumber(const char *text, i32 *out) {
  i64 v = 0;
  if (NumField_Int(text, 0, 255, &v) == NUMFIELD_NOT_NUMBER) return false;
  *out = (i32)v;
  return true;
}

bool Ed2D_ApplyGroup(Bone2Model *m, i32 g, const u32 *selFaces, u32 faceRoom, const Ed2DGroupFields *f) {
  if (!m || g < 0 || g >= GroupTotal(m) || !f) return false;
  for (i32 i = 0, n = PolyCount(m); i < n; i++)
    if (Flag(selFaces, faceRoom, i)) m->polygons[i].group = (u32)g;
  Group2 &grp = m->groups[g];
  if (f->name) Str_Copy(grp.name, sizeof grp.name, f->name);
  grp.texture = f->textureRow >= 0 && f->textureRow < m->textureCount && f->textureRow < BONE2_MAX_TEXTURES ? f->textureRow : 0;
  if (f->shadeRow >= 0) grp.shadeMode = f->shadeRow;
  i32 c[4];
  for (i32 i = 0; i < 4; i++)
    if (!ReadNumber(f->colour[i], &c[i])) return false;
  grp.r = (f32)c[0];
  grp.g = (f32)c[1];
  grp.b = (f32)c[2];
  grp.a = (f32)c[3];
  return true;
}

bool Ed2D_SetTextureEntry(Bone2Model *m, i32 n, const char *name) {
  if (!m || !name || n <= 0 || n > m->textureCount || n >= BONE2_MAX_TEXTURES) return false;
  Texture2 &t = m->textures[n];
  // Kept from the model's folder (a bare name from the dialog's folder becomes relative to it);
  // a name the field cannot hold is refused, never cut.
  char kept[DocRef_Size(DOCREF_KZB_TEXTURE)];
  if (!DocRef_Choose(m->textureFolder, sizeof m->textureFolder, name, kept, sizeof kept)) {
    Seam_ErrorBoxf(kDocRefMsgTooLong, name);
    return false;
  }
  Str_Copy(t.name, sizeof t.name, kept);
  t.used = 1;
  t.width = t.height = 0;   // the load that follows sets the size of an image that opened
  return true;
}

i32 Ed2D_AddGroup(Bone2Model *m) {
  if (!m) return 0;
  if (m->groupCount < BONE2_MAX_GROUPS) m->groupCount++;
  return GroupTotal(m) - 1;
}

// [SECTION] texts
void Ed2D_GroupPolyCounts(const Bone2Model *m, i32 out[BONE2_MAX_GROUPS]) {
  memset(out, 0, BONE2_MAX_GROUPS * sizeof(i32));
  if (!m) return;
  for (i32 f = 0, n = PolyCount(m); f < n; f++) {
    const Polygon2 &p = m->polygons[f];
    if (p.used && p.group < BONE2_MAX_GROUPS) out[p.group]++;
  }
}

void Ed2D_GroupListLines(const Bone2Model *m, i32 cur, Ed2DLines *out) {
  out->count = 0;
  out->select = -1;
  if (!m) return;
  static i32 counts[BONE2_MAX_GROUPS];
  Ed2D_GroupPolyCounts(m, counts);
  for (i32 g = 0; g < GroupTotal(m); g++) {
    char *t = out->text[out->count++];
    if (counts[g] > 0) Str_Format(t, ED2D_LINE, "%2d : %s ( %d )", (int)g, m->groups[g].name, (int)counts[g]);
    else Str_Format(t, ED2D_LINE, "%2d : %s", (int)g, m->groups[g].name);
  }
  out->select = cur >= 0 && cur < out->count ? cur : -1;
}

void Ed2D_TextureLines(const Bone2Model *m, i32 select, Ed2DLines *out) {
  i32 count = m ? m->textureCount : 1;
  if (count < 1) count = 1;
  if (count > BONE2_MAX_TEXTURES) count = BONE2_MAX_TEXTURES;
  Str_Format(out->text[0], ED2D_LINE, " 0 : テクスチャ無し");
  for (i32 n = 1; n < count; n++) {
    if (m->textures[n].used) Str_Format(out->text[n], ED2D_LINE, "%2d : %s", (int)n, m->textures[n].name);
    else Str_Format(out->text[n], ED2D_LINE, "%2d :", (int)n);
  }
  out->count = count;
  out->select = select >= 0 && select < count ? select : -1;
}

void Ed2D_ShadeLines(i32 select, Ed2DLines *out) {
  static const char *const kShades[6] = {"非表示", "ポイント", "ワイヤー", "フラット", "グーロー", "曲面"};
  for (i32 i = 0; i < 6; i++) Str_Copy(out->text[i], ED2D_LINE, kShades[i]);
  out->count = 6;
  out->select = select >= 0 && select < 6 ? select : -1;
}
