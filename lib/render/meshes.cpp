// Builders of the derived render data of modes 2, 3, 4 and 7 (see meshes.h).
#include "lib/render/meshes.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "lib/draw/drawdev.h"
#include "lib/render/rdev.h"
#include "model/mesh.h"
#include "model/seam_log.h"
#include "model/workbuf.h"

MeshState g_Meshes;

// [SECTION] Corner values

static bool SlotInRange(i32 slot) { return slot >= 0 && slot < MODEL3_SLOTS; }

bool Mesh_PolygonUsable(const Model3 *m, const Polygon3 *p) {
  if (p->cornerCount < 3 || p->cornerCount > 4 || !m->positions) return false;
  for (i32 k = 0; k < p->cornerCount; ++k)
    if ((i64)p->corners[k].vertex >= (i64)m->positionCount) return false;
  return true;
}

static Vec3 CornerNormal(const Model3 *m, const PolyCorner *c) {
  if (!m->normals || (i64)c->normal >= (i64)m->normalCount) return Vec3{0, 0, 0};
  return m->normals[c->normal];
}

static Vec2 CornerUV(const Model3 *m, const PolyCorner *c) {
  if (!m->uvs || (i64)c->uv >= (i64)m->uvCount) return Vec2{0, 0};
  return m->uvs[c->uv];
}

static VertexBinding CornerBinding(const Model3 *m, const PolyCorner *c) {
  if (!m->bindings) return VertexBinding{0, 0, 1.0f, 0};
  return m->bindings[c->vertex];
}

Color4 Mesh_CornerColor(const Model3 *m, const PolyCorner *c, u32 g) {
  Color4 src = {0, 0, 0, 0};
  if (m->vertexColorMode == 1) {
    if (m->colors && (i64)c->color < (i64)m->colorCount) src = m->colors[c->color];
  } else if (g < MODEL3_GROUPS) {
    const Group3 &gr = m->groups[g];
    src = Color4{gr.r, gr.g, gr.b, gr.a};
  }
  return Color4{src.r * (m->color[0] / 255.0f), src.g * (m->color[1] / 255.0f),
                src.b * (m->color[2] / 255.0f), src.a * (m->color[3] / 255.0f)};
}

// Integer part of a channel; NaN and values outside the i32 range give 0.
static u32 ChannelByte(f32 v) {
  if (!(v > -2147483648.0f && v < 2147483648.0f)) return 0;
  return (u32)(i32)v & 0xFF;
}

u32 Mesh_PackColor(const Color4 *c) {
  return ChannelByte(c->a) << 24 | ChannelByte(c->r) << 16 | ChannelByte(c->g) << 8 | ChannelByte(c->b);
}

// [SECTION] Welding

// Hash of exact (position, uv) keys into the indices of a vertex list.
struct WeldTable {
  u32 *slots;   // vertex index + 1; 0 = empty
  u32 mask;
};

static bool WeldTable_Init(WeldTable *t, i32 capacity) {
  u32 size = 16;
  while (size < (u32)capacity * 2u && size < 0x40000000u) size <<= 1;
  t->slots = (u32 *)calloc(size, sizeof(u32));
  t->mask = size - 1;
  return t->slots != nullptr;
}

static void WeldTable_Free(WeldTable *t) {
  free(t->slots);
  t->slots = nullptr;
}

static u32 FloatKey(f32 f) {
  if (f == 0.0f) return 0;   // -0 and +0 are equal
  u32 b;
  memcpy(&b, &f, 4);
  return b;
}

static u32 WeldHash(const Vec3 *p, const Vec2 *uv) {
  u32 h = 2166136261u;
  u32 keys[5] = {FloatKey(p->x), FloatKey(p->y), FloatKey(p->z), FloatKey(uv->u), FloatKey(uv->v)};
  for (u32 k : keys) h = (h ^ k) * 16777619u, h ^= h >> 15;
  return h;
}

static bool WeldEqual(const Vec3 *a, const Vec2 *au, const Vec3 *b, const Vec2 *bu) {
  return a->x == b->x && a->y == b->y && a->z == b->z && au->u == bu->u && au->v == bu->v;
}

// Index of the vertex equal to (p, uv) in the list, or -1; `slotOut` gets the empty slot.
static i32 WeldFind(const WeldTable *t, const Vec3 *positions, const Vec2 *uvs, const Vec3 *p,
                    const Vec2 *uv, u32 *slotOut) {
  u32 i = WeldHash(p, uv) & t->mask;
  while (t->slots[i]) {
    u32 v = t->slots[i] - 1;
    if (WeldEqual(&positions[v], &uvs[v], p, uv)) return (i32)v;
    i = (i + 1) & t->mask;
  }
  *slotOut = i;
  return -1;
}

// [SECTION] IndexedMesh2 and WeightedMesh4

// The welded vertex of one corner: the one already holding its position and UV, or a new one
// (position and UV written, *added set) whose other channels the caller fills in.
static i32 WeldCorner(WeldTable *t, const Model3 *m, const PolyCorner *pc, Vec3 *positions, Vec2 *uvs,
                      i32 *count, bool *added) {
  Vec3 pos = m->positions[pc->vertex];
  Vec2 uv = CornerUV(m, pc);
  u32 slot = 0;
  i32 v = WeldFind(t, positions, uvs, &pos, &uv, &slot);
  *added = v < 0;
  if (v >= 0) return v;
  v = (*count)++;
  positions[v] = pos;
  uvs[v] = uv;
  t->slots[slot] = (u32)v + 1;
  return v;
}

static void WeldedMesh_Free(WeldedMesh *w) {
  if (!w) return;
  WorkBuf_FreeAll({w->positions, w->normals, w->colors, w->uvs, w->bindings, w->sources});
  for (i32 g = 0; g < MODEL3_GROUPS; ++g) free(w->groups[g].polys);
  for (i32 b = 0; b < w->batchCount; ++b) {
    RDev_Release(&w->batches[b].vertexBuffer);
    RDev_Release(&w->batches[b].indexBuffer);
  }
  free(w->batches);
  free(w->posed);
  free(w->work);
  free(w);
}

// Polygons of the model per group, in model order (a counting sort), for groups below
// the group count; unusable polygons are left out.
struct GroupOrder {
  i32 start[MODEL3_GROUPS + 1];
  i32 *polys;
};

static bool GroupOrder_Build(const Model3 *m, GroupOrder *o) {
  i32 groups = m->groupCount < 0 ? 0 : (m->groupCount > MODEL3_GROUPS ? MODEL3_GROUPS : m->groupCount);
  i32 count[MODEL3_GROUPS] = {};
  for (i32 i = 0; i < m->polygonCount; ++i) {
    const Polygon3 *p = &m->polygons[i];
    if ((i64)p->group < groups && Mesh_PolygonUsable(m, p)) ++count[p->group];
  }
  o->start[0] = 0;
  for (i32 g = 0; g < MODEL3_GROUPS; ++g) o->start[g + 1] = o->start[g] + count[g];
  o->polys = (i32 *)malloc(sizeof(i32) * (size_t)(o->start[MODEL3_GROUPS] + 1));
  if (!o->polys) return false;
  i32 fill[MODEL3_GROUPS];
  memcpy(fill, o->start, sizeof fill);
  for (i32 i = 0; i < m->polygonCount; ++i) {
    const Polygon3 *p = &m->polygons[i];
    if ((i64)p->group < groups && Mesh_PolygonUsable(m, p)) o->polys[fill[p->group]++] = i;
  }
  return true;
}

static WeldedMesh *BuildWelded(const Model3 *m, bool indexed) {
  GroupOrder order;
  if (!GroupOrder_Build(m, &order)) return nullptr;
  i32 polys = order.start[MODEL3_GROUPS];
  i32 cap = polys * 4 + 1;
  WeldedMesh *w = (WeldedMesh *)calloc(1, sizeof(WeldedMesh));
  WeldTable table = {nullptr, 0};
  bool ok = w && WeldTable_Init(&table, cap);
  if (ok) {
    w->capacity = cap;
    w->positions = (Vec3 *)calloc((size_t)cap, sizeof(Vec3));
    w->normals = (Vec3 *)calloc((size_t)cap, sizeof(Vec3));
    w->colors = (Color4 *)calloc((size_t)cap, sizeof(Color4));
    w->uvs = (Vec2 *)calloc((size_t)cap, sizeof(Vec2));
    w->bindings = (VertexBinding *)calloc((size_t)cap, sizeof(VertexBinding));
    w->sources = (i32 *)calloc((size_t)cap, sizeof(i32));
    ok = w->positions && w->normals && w->colors && w->uvs && w->bindings && w->sources;
    if (indexed) {
      w->posed = (Vec3 *)calloc((size_t)cap, sizeof(Vec3));
      w->work = (Vec3 *)calloc((size_t)cap, sizeof(Vec3));
      ok = ok && w->posed && w->work;
    }
  }
  for (i32 g = 0; ok && g < MODEL3_GROUPS; ++g) {
    i32 n = order.start[g + 1] - order.start[g];
    if (n == 0) continue;
    MeshGroupList &list = w->groups[g];
    list.polys = (MeshPoly *)calloc((size_t)n, sizeof(MeshPoly));
    if (!list.polys) { ok = false; break; }
    for (i32 k = order.start[g]; k < order.start[g + 1]; ++k) {
      const Polygon3 *p = &m->polygons[order.polys[k]];
      MeshPoly &out = list.polys[list.count++];
      out.cornerCount = p->cornerCount;
      for (i32 c = 0; c < p->cornerCount; ++c) {
        const PolyCorner *pc = &p->corners[c];
        bool added = false;
        i32 v = WeldCorner(&table, m, pc, w->positions, w->uvs, &w->vertexCount, &added);
        if (added) {
          w->normals[v] = CornerNormal(m, pc);
          w->colors[v] = Mesh_CornerColor(m, pc, (u32)g);
          w->bindings[v] = CornerBinding(m, pc);
          w->sources[v] = (i32)pc->vertex;
        }
        out.index[c] = (u32)v;
      }
    }
  }
  WeldTable_Free(&table);
  free(order.polys);
  if (!ok) {
    WeldedMesh_Free(w);
    return nullptr;
  }
  return w;
}

// The slot's entry of a welded-mesh table (mode 2 or mode 4) released.
static void FreeWelded(WeldedMesh **table, i32 slot) {
  if (!SlotInRange(slot)) return;
  WeldedMesh_Free(table[slot]);
  table[slot] = nullptr;
}

// The slot's entry of a welded-mesh table made afresh from its model; false without one.
static bool RebuildWelded(WeldedMesh **table, i32 slot, bool indexed) {
  FreeWelded(table, slot);
  Model3 *m = Model3_Get(slot);
  if (!m) return false;
  table[slot] = BuildWelded(m, indexed);
  return table[slot] != nullptr;
}

bool Draw_BuildIndexedMesh2(i32 slot) { return RebuildWelded(g_Meshes.indexed2, slot, true); }
void Draw_FreeIndexedMesh2(i32 slot) { FreeWelded(g_Meshes.indexed2, slot); }
bool Draw_BuildWeightedMesh4(i32 slot) { return RebuildWelded(g_Meshes.weighted4, slot, false); }
void Draw_FreeWeightedMesh4(i32 slot) { FreeWelded(g_Meshes.weighted4, slot); }

// [SECTION] PaletteMesh3

static void SubMesh_Free(SubMesh3 *s) {
  WorkBuf_FreeAll({s->positions, s->weights, s->normals, s->colors, s->uvs, s->polys});
  RDev_Release(&s->vertexBuffer);
  RDev_Release(&s->indexBuffer);
  memset(s, 0, sizeof *s);
}

static void PaletteMesh_Free(PaletteMesh3 *pm) {
  if (!pm) return;
  // Every group, whatever the model's group count is now.
  for (i32 g = 0; g < MODEL3_GROUPS; ++g)
    for (i32 s = 0; s < PALETTE_SUBMESHES; ++s) SubMesh_Free(&pm->groups[g].subs[s]);
  free(pm->vertexFlags);
  free(pm->mixedFlags);
  free(pm->normalFlags);
  free(pm);
}

void Draw_FreePaletteMesh3(i32 slot) {
  if (!SlotInRange(slot)) return;
  PaletteMesh_Free(g_Meshes.palette3[slot]);
  g_Meshes.palette3[slot] = nullptr;
}

static void FlagMixed(PaletteMesh3 *pm, const Polygon3 *p, i32 index) {
  pm->mixedFlags[index] = 1;
  for (i32 c = 0; c < p->cornerCount; ++c) pm->vertexFlags[p->corners[c].vertex] = 1;
}

// Sub-mesh of group g for the bone pair, created as the next one; -1 when the group is full.
static i32 SubMeshFor(PaletteGroup3 *grp, i32 b1, i32 b2) {
  for (i32 s = 0; s < grp->subCount; ++s)
    if (grp->subs[s].bone1 == b1 && grp->subs[s].bone2 == b2) return s;
  if (grp->subCount >= PALETTE_SUBMESHES) return -1;
  SubMesh3 &sub = grp->subs[grp->subCount];
  sub.bone1 = b1;
  sub.bone2 = b2;
  return grp->subCount++;
}

static bool SubMesh_Alloc(SubMesh3 *s) {
  size_t n = (size_t)s->polygonCount * 4 + 1;
  s->positions = (Vec3 *)calloc(n, sizeof(Vec3));
  s->weights = (f32 *)calloc(n, sizeof(f32));
  s->normals = (Vec3 *)calloc(n, sizeof(Vec3));
  s->colors = (Color4 *)calloc(n, sizeof(Color4));
  s->uvs = (Vec2 *)calloc(n, sizeof(Vec2));
  s->polys = (MeshPoly *)calloc((size_t)s->polygonCount + 1, sizeof(MeshPoly));
  return s->positions && s->weights && s->normals && s->colors && s->uvs && s->polys;
}

// Welds the assigned polygons of one group into their sub-meshes (model order).
static bool FillGroupSubMeshes(const Model3 *m, PaletteGroup3 *grp, const i32 *polys,
                               const i32 *assign, i32 count, u32 g) {
  for (i32 s = 0; s < grp->subCount; ++s) {
    SubMesh3 &sub = grp->subs[s];
    if (!SubMesh_Alloc(&sub)) return false;
    i32 used = sub.polygonCount;
    sub.polygonCount = 0;
    WeldTable table;
    if (!WeldTable_Init(&table, used * 4 + 1)) return false;
    for (i32 k = 0; k < count; ++k) {
      if (assign[k] != s) continue;
      const Polygon3 *p = &m->polygons[polys[k]];
      MeshPoly &out = sub.polys[sub.polygonCount++];
      out.cornerCount = p->cornerCount;
      for (i32 c = 0; c < p->cornerCount; ++c) {
        const PolyCorner *pc = &p->corners[c];
        bool added = false;
        i32 v = WeldCorner(&table, m, pc, sub.positions, sub.uvs, &sub.vertexCount, &added);
        if (added) {
          sub.weights[v] = CornerBinding(m, pc).weight;
          sub.normals[v] = CornerNormal(m, pc);
          sub.colors[v] = Mesh_CornerColor(m, pc, g);
        }
        out.index[c] = (u32)v;
      }
    }
    WeldTable_Free(&table);
  }
  return true;
}

static bool BuildPaletteGroups(const Model3 *m, PaletteMesh3 *pm, const GroupOrder *order, i32 *assign) {
  for (i32 g = 0; g < MODEL3_GROUPS; ++g) {
    PaletteGroup3 *grp = &pm->groups[g];
    const i32 *polys = order->polys + order->start[g];
    i32 count = order->start[g + 1] - order->start[g];
    for (i32 k = 0; k < count; ++k) {
      const Polygon3 *p = &m->polygons[polys[k]];
      assign[k] = -1;
      VertexBinding first = CornerBinding(m, &p->corners[0]);
      bool mixed = false;
      for (i32 c = 1; c < p->cornerCount; ++c) {
        VertexBinding b = CornerBinding(m, &p->corners[c]);
        if (b.bone1 != first.bone1 || b.bone2 != first.bone2) mixed = true;
      }
      i32 s = mixed ? -1 : SubMeshFor(grp, first.bone1, first.bone2);
      // A polygon that finds no room among the 32 sub-meshes is drawn as a mixed one, so it
      // does not vanish.
      if (s < 0) {
        FlagMixed(pm, p, polys[k]);
        continue;
      }
      assign[k] = s;
      grp->subs[s].polygonCount++;
    }
    if (!FillGroupSubMeshes(m, grp, polys, assign, count, (u32)g)) return false;
  }
  return true;
}

// Polygons touching a flagged vertex get their normals recomputed, and all their corners
// are deformed on the CPU.
static void SpreadNormalFlags(const Model3 *m, PaletteMesh3 *pm) {
  for (i32 i = 0; i < m->polygonCount; ++i) {
    const Polygon3 *p = &m->polygons[i];
    if (!Mesh_PolygonUsable(m, p)) continue;
    for (i32 c = 0; c < p->cornerCount; ++c)
      if (pm->vertexFlags[p->corners[c].vertex]) pm->normalFlags[i] = 1;
  }
  for (i32 i = 0; i < m->polygonCount; ++i) {
    const Polygon3 *p = &m->polygons[i];
    if (!pm->normalFlags[i]) continue;
    for (i32 c = 0; c < p->cornerCount; ++c) pm->vertexFlags[p->corners[c].vertex] = 1;
  }
}

bool Draw_BuildPaletteMesh3(i32 slot) {
  Draw_FreePaletteMesh3(slot);
  Model3 *m = Model3_Get(slot);
  if (!m) return false;
  GroupOrder order;
  if (!GroupOrder_Build(m, &order)) return false;
  PaletteMesh3 *pm = (PaletteMesh3 *)calloc(1, sizeof(PaletteMesh3));
  i32 *assign = (i32 *)malloc(sizeof(i32) * (size_t)(order.start[MODEL3_GROUPS] + 1));
  bool ok = pm && assign;
  if (ok) {
    pm->vertexCount = m->positionCount > 0 ? m->positionCount : 0;
    pm->polygonCount = m->polygonCount > 0 ? m->polygonCount : 0;
    pm->vertexFlags = (u8 *)calloc((size_t)pm->vertexCount + 1, 1);
    pm->mixedFlags = (u8 *)calloc((size_t)pm->polygonCount + 1, 1);
    pm->normalFlags = (u8 *)calloc((size_t)pm->polygonCount + 1, 1);
    ok = pm->vertexFlags && pm->mixedFlags && pm->normalFlags;
  }
  ok = ok && BuildPaletteGroups(m, pm, &order, assign);
  if (ok) SpreadNormalFlags(m, pm);
  free(assign);
  free(order.polys);
  if (!ok) {
    PaletteMesh_Free(pm);
    return false;
  }
  g_Meshes.palette3[slot] = pm;
  return true;
}

// [SECTION] Displaced copy (mode 7)

void Draw_FreeDisplacedModel(i32 slot) {
  if (!SlotInRange(slot)) return;
  Model3_Free(g_Meshes.displaced[slot]);
  g_Meshes.displaced[slot] = nullptr;
}

// Wraps into [0, 1] as repeated steps of 1 would (1.0 and 2.0 stay at 1.0; 1.25 -> 0.25).
static f32 WrapUnit(f32 t) {
  if (!(t > -1e30f && t < 1e30f)) return 0.0f;
  if (t > 1.0f) t -= ceilf(t - 1.0f);
  if (t < 0.0f) t += ceilf(-t);
  return t;
}

u8 Mesh_SampleHeight(const u8 *bits, i32 pitch, i32 width, i32 height, f32 u, f32 v) {
  if (!bits || width <= 0 || height <= 0) return 0;
  u = WrapUnit(u);
  v = WrapUnit(v);
  i32 x = (i32)((f32)width * u) - 1;
  i32 y = (i32)((f32)height * v);
  // u or v of exactly 1.0 land one past the last texel: stay inside the image.
  if (x < 0) x = 0;
  if (x > width - 1) x = width - 1;
  if (y > height - 1) y = height - 1;
  if (y < 0) y = 0;
  return bits[(size_t)y * (size_t)pitch + (size_t)x * 4];
}

static void Displace(Model3 *d, const u8 *bits, i32 pitch, i32 w, i32 h, f32 scale) {
  u8 *seen = (u8 *)calloc((size_t)d->positionCount + 1, 1);
  if (!seen) return;
  for (i32 i = 0; i < d->polygonCount; ++i) {
    const Polygon3 *p = &d->polygons[i];
    for (i32 c = 0; c < p->cornerCount && c < 4; ++c) {
      u32 v = p->corners[c].vertex;
      if ((i64)v >= (i64)d->positionCount || seen[v]) continue;
      seen[v] = 1;
      Vec2 uv = CornerUV(d, &p->corners[c]);
      f32 k = (f32)Mesh_SampleHeight(bits, pitch, w, h, uv.u, uv.v) * scale;
      d->positions[v].x += p->faceNormal.x * k;
      d->positions[v].y += p->faceNormal.y * k;
      d->positions[v].z += p->faceNormal.z * k;
    }
  }
  free(seen);
}

bool Draw_BuildDisplacedModel(i32 slot) {
  Model3 *m = Model3_Get(slot);
  if (!m) return false;
  i32 t = m->dispTexture;
  if (t < 0 || t >= MODEL3_TEXTURES || !m->textures[t].used) return false;
  Draw_FreeDisplacedModel(slot);
  // A private copy stands in for the scratch slot, so no other slot is overwritten.
  Model3 *d = Model3_Clone(m);
  if (!d) return false;
  for (i32 i = 0; i < m->refineLevel; ++i)
    if (!Model3_Subdivide(d)) break;
  Model3_WeldDuplicates(d);
  g_Meshes.displaced[slot] = d;
  ModelPose *pose = g_ModelPoses[slot];
  void *tex = pose ? pose->textures[t] : nullptr;
  if (!tex) {
    Log_Printf("Displacement用Tex == NULL");
    return false;
  }
  // The texture was stretched to a power of two: sample it at its own size and pitch.
  i32 w = 0, h = 0, pitch = 0;
  u8 *bits = nullptr;
  if (g_Dev.draw.textureSize && g_Dev.draw.textureSize(tex, &w, &h) && g_Dev.draw.lockTexture)
    bits = g_Dev.draw.lockTexture(tex, &pitch);
  if (bits) {
    Displace(d, bits, pitch, w, h, m->dispScale * 0.0005f);
    if (g_Dev.draw.unlockTexture) g_Dev.draw.unlockTexture(tex);
  }
  Model3_CalcNormals(d);
  d->groups[0].shading = 4;
  return true;
}
