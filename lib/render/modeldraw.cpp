// Model drawing in the render modes, the scene-object and object-set loops, and the shared
// vertex batch (see modeldraw.h).
#include "lib/render/modeldraw.h"

#include <string.h>

#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/pn.h"
#include "lib/draw/texture.h"
#include "lib/framework/lib.h"
#include "lib/render/hlsl.h"
#include "lib/render/meshes.h"
#include "lib/render/objects.h"
#include "lib/render/rdev.h"
#include "lib/render/rebuild.h"
#include "model/kzo.h"
#include "model/math.h"


// [SECTION] Shared vertex batch

// The vertices queued in the shared batch; the batch this module allocated itself, and its
// size: a later change of the polygon capacity must not make the batch look bigger than it is.
// A device with indexed drawing gets each distinct vertex once and an index list: a corner
// given with a key (the caller's number for where it comes from) takes the vertex last queued
// under that key when the two are the same byte for byte. Equal vertices come out of the
// device's vertex stage equal, and the triangles keep their order and their corners' order,
// so the picture is the one the plain triangle list gives.
// A batch of fewer triangles than BATCH_INDEXED_LEAST is drawn as a plain list (its indices
// would save the device next to nothing); plain too is a batch of corners without keys.
enum { BATCH_KEYS = 1 << 17, BATCH_INDICES = 3 * 65536, BATCH_INDEXED_VERTS = 65535, BATCH_INDEXED_LEAST = 64 };
static struct {
  i32 count;        // vertices queued
  i32 indexCount;   // indices queued (indexed batches)
  i32 indexed;      // the batch being filled is drawn indexed: -1 until its first triangle says
  SceneVertex *own;
  i64 ownVerts;
  u32 stamp;        // the batch's number: a key slot of another stamp is empty
  u16 indices[BATCH_INDICES];
  u32 keyStamp[BATCH_KEYS];
  u16 keyVertex[BATCH_KEYS];
} s_Batch;

u32 g_BatchIndexOff;

i32 Batch_Capacity(void) {
  if (!g_Lib.batchVerts) {
    // The same size as the start-up allocation: six vertices per polygon of the capacity.
    Lib_AllocWorkBuffers(g_MaxPolygons);
    s_Batch.own = g_Lib.batchVerts;
    s_Batch.ownVerts = (i64)(g_MaxPolygons ? g_MaxPolygons : 1) * 6;
  }
  if (!g_Lib.batchVerts) return 0;
  i64 cap = (i64)(g_MaxPolygons ? g_MaxPolygons : 1) * 6;
  if (g_Lib.batchVerts == s_Batch.own && s_Batch.ownVerts < cap) cap = s_Batch.ownVerts;
  return (i32)(cap - cap % 3);
}

static void NextStamp(void) {
  if (++s_Batch.stamp == 0) {
    memset(s_Batch.keyStamp, 0, sizeof s_Batch.keyStamp);
    s_Batch.stamp = 1;
  }
}

void Batch_Begin(void) {
  s_Batch.count = 0;
  s_Batch.indexCount = 0;
  s_Batch.indexed = -1;
  NextStamp();
}

// A short indexed batch drawn as the plain list its indices spell.
static void DrawIndexedPlain(void) {
  SceneVertex list[3 * BATCH_INDEXED_LEAST];
  for (i32 i = 0; i < s_Batch.indexCount; i++) list[i] = g_Lib.batchVerts[s_Batch.indices[i]];
  DrawDev_DrawUP(FVF_SCENEVERTEX, DPT_TRIANGLELIST, (u32)(s_Batch.indexCount / 3), list, sizeof(SceneVertex));
}

void Batch_Flush(void) {
  if (s_Batch.indexed == 1) {
    if (s_Batch.indexCount < 3 || !g_Lib.batchVerts) {
    } else if (s_Batch.indexCount < 3 * BATCH_INDEXED_LEAST) {
      DrawIndexedPlain();
    } else {
      DrawDev_DrawIndexedUP(FVF_SCENEVERTEX, DPT_TRIANGLELIST, (u32)s_Batch.count, (u32)(s_Batch.indexCount / 3), s_Batch.indices,
                            g_Lib.batchVerts, sizeof(SceneVertex));
    }
  } else if (s_Batch.count >= 3 && g_Lib.batchVerts) {
    DrawDev_DrawUP(FVF_SCENEVERTEX, DPT_TRIANGLELIST, (u32)(s_Batch.count / 3), g_Lib.batchVerts, sizeof(SceneVertex));
  }
  s_Batch.count = 0;
  s_Batch.indexCount = 0;
  NextStamp();
}

// The index of v in the batch: the vertex queued under `key` when it is the same, else v added.
static u16 SharedVertex(const SceneVertex &v, u32 key) {
  u32 slot = key & (BATCH_KEYS - 1);
  bool keyed = key != BATCH_NO_KEY;
  if (keyed && s_Batch.keyStamp[slot] == s_Batch.stamp) {
    u16 i = s_Batch.keyVertex[slot];
    if (memcmp(&g_Lib.batchVerts[i], &v, sizeof v) == 0) return i;
  }
  u16 i = (u16)s_Batch.count++;
  g_Lib.batchVerts[i] = v;
  if (keyed) s_Batch.keyStamp[slot] = s_Batch.stamp, s_Batch.keyVertex[slot] = i;
  return i;
}

void Batch_AddTriangleKeyed(const SceneVertex v[3], const u32 key[3]) {
  i32 cap = Batch_Capacity();
  if (cap < 3) return;
  if (s_Batch.indexed < 0 || (s_Batch.count == 0 && s_Batch.indexCount == 0))
    s_Batch.indexed = !g_BatchIndexOff && g_Dev.draw.drawIndexedPrimitiveUP && key[0] != BATCH_NO_KEY ? 1 : 0;
  if (!s_Batch.indexed) {
    if (s_Batch.count + 3 > cap) Batch_Flush();
    memcpy(&g_Lib.batchVerts[s_Batch.count], v, 3 * sizeof(SceneVertex));
    s_Batch.count += 3;
    return;
  }
  // No more triangles in one draw than the plain list holds either.
  i32 room = cap < BATCH_INDEXED_VERTS ? cap : BATCH_INDEXED_VERTS, indexRoom = cap < BATCH_INDICES ? cap : BATCH_INDICES;
  if (s_Batch.count + 3 > room || s_Batch.indexCount + 3 > indexRoom) Batch_Flush();
  for (int k = 0; k < 3; k++) s_Batch.indices[s_Batch.indexCount++] = SharedVertex(v[k], key[k]);
}

void Batch_AddFanKeyed(const SceneVertex *v, const u32 *key, i32 n, bool mirror) {
  if (n < 3 || n > 4) return;
  SceneVertex mir[4];
  for (i32 c = 0; mirror && c < n; c++) mir[c] = v[c], mir[c].x = -mir[c].x, mir[c].nx = -mir[c].nx;
  i32 cap = Batch_Capacity();
  if (cap < 3) return;
  if (s_Batch.indexed < 0 || (s_Batch.count == 0 && s_Batch.indexCount == 0))
    s_Batch.indexed = !g_BatchIndexOff && g_Dev.draw.drawIndexedPrimitiveUP && key[0] != BATCH_NO_KEY ? 1 : 0;
  i32 verts = mirror ? 2 * n : n, indices = 3 * (n - 2) * (mirror ? 2 : 1);
  i32 room = cap < BATCH_INDEXED_VERTS ? cap : BATCH_INDEXED_VERTS, indexRoom = cap < BATCH_INDICES ? cap : BATCH_INDICES;
  if (!s_Batch.indexed || verts > room || indices > indexRoom) {
    // Triangle by triangle, each mirrored copy right after its triangle.
    for (i32 t = 0; t + 2 < n; ++t) {
      const SceneVertex tri[3] = {v[0], v[t + 1], v[t + 2]};
      const u32 k[3] = {key[0], key[t + 1], key[t + 2]};
      Batch_AddTriangleKeyed(tri, k);
      if (!mirror) continue;
      const SceneVertex m[3] = {mir[t + 1], mir[0], mir[t + 2]};
      const u32 mk[3] = {k[1] + 1, k[0] + 1, k[2] + 1};
      Batch_AddTriangleKeyed(m, mk);
    }
    return;
  }
  if (s_Batch.count + verts > room || s_Batch.indexCount + indices > indexRoom) Batch_Flush();
  // Each corner looked up once, then the fan's indices.
  u16 at[4], mat[4];
  for (i32 c = 0; c < n; c++) at[c] = SharedVertex(v[c], key[c]);
  for (i32 c = 0; mirror && c < n; c++) mat[c] = SharedVertex(mir[c], key[c] == BATCH_NO_KEY ? key[c] : key[c] + 1);
  u16 *out = s_Batch.indices + s_Batch.indexCount;
  for (i32 t = 0; t + 2 < n; ++t) {
    *out++ = at[0], *out++ = at[t + 1], *out++ = at[t + 2];
    if (mirror) *out++ = mat[t + 1], *out++ = mat[0], *out++ = mat[t + 2];
  }
  s_Batch.indexCount += indices;
}

void Batch_AddTriangle(const SceneVertex v[3]) {
  static const u32 kNone[3] = {BATCH_NO_KEY, BATCH_NO_KEY, BATCH_NO_KEY};
  Batch_AddTriangleKeyed(v, kNone);
}

// [SECTION] Colours and sources

bool Render_UsesPose(const Model3 *m) {
  if (!m->poseUpdate || !m->posed || !m->vertexNormals) return false;
  if (g_Lib.viewWindowMode && Frame_Current()->poseOff) return false;
  return true;
}

static u32 WeightViewColor(const Model3 *m, const Polygon3 *p, i32 c) {
  if (m->boneCount < 2) return Draw_PackColor(196, 0, 0, 255);
  u32 bone = Frame_Current()->selectedBone;
  if (bone == 0 || !m->bindings) return Draw_PackColor(196, 196, 196, 255);
  const VertexBinding &b = m->bindings[p->corners[c].vertex];
  if (b.bone1 == bone || b.bone2 == bone) {
    f32 w = b.weight;
    return Draw_PackColor((i32)(w * 196.0f), 0, (i32)((1.0f - w) * 196.0f), 255);
  }
  return Draw_PackColor(196, 196, 196, 255);
}

u32 Render_ImmediateDiffuse(const Model3 *m, const Polygon3 *p, i32 c) {
  if (m->displayMode == 3) return WeightViewColor(m, p, c);
  Color4 col = Mesh_CornerColor(m, &p->corners[c], p->group);
  return Mesh_PackColor(&col);
}

static bool CornerOk(const Model3 *m, const Polygon3 *p) {
  if (p->cornerCount < 1 || p->cornerCount > 4) return false;
  for (i32 k = 0; k < p->cornerCount; ++k)
    if ((i64)p->corners[k].vertex >= (i64)m->positionCount) return false;
  return true;
}

struct CornerSource {
  const Model3 *m;
  bool posed;
  u32 specular;
  u32 shading;
  bool highlight;   // slot 252: pushed out, magenta, transparent
};

static SceneVertex CornerVertex(const CornerSource *s, const Polygon3 *p, i32 c) {
  const Model3 *m = s->m;
  const PolyCorner &pc = p->corners[c];
  Vec3 pos = s->posed ? m->posed[pc.vertex] : m->positions[pc.vertex];
  Vec3 n = p->faceNormal;
  if (s->shading != 3 && m->normals) {
    if (s->posed) n = m->vertexNormals[pc.vertex];
    else if ((i64)pc.normal < (i64)m->normalCount) n = m->normals[pc.normal];
  }
  Vec2 uv = (m->uvs && (i64)pc.uv < (i64)m->uvCount) ? m->uvs[pc.uv] : Vec2{0, 0};
  u32 diffuse = Render_ImmediateDiffuse(m, p, c);
  if (s->highlight) {
    pos.x += n.x * 0.1f, pos.y += n.y * 0.1f, pos.z += n.z * 0.1f;
    diffuse = Draw_PackColor(255, 0, 255, 0);
  }
  return SceneVertex{pos.x, pos.y, pos.z, n.x, n.y, n.z, diffuse, s->specular, uv.u, uv.v};
}

static SceneVertex Mirrored(SceneVertex v) {
  v.x = -v.x;
  v.nx = -v.nx;
  return v;
}

static PnCorner ToPnCorner(const SceneVertex &v) {
  PnCorner c = {{v.x, v.y, v.z}, {v.nx, v.ny, v.nz},
                {(i32)(v.diffuse >> 16 & 0xFF), (i32)(v.diffuse >> 8 & 0xFF), (i32)(v.diffuse & 0xFF), (i32)(v.diffuse >> 24)},
                {v.u, v.v}};
  return c;
}

static void EmitTriangle(const SceneVertex t[3], u32 shading, i16 level) {
  if (shading == 5) {
    PnCorner a = ToPnCorner(t[0]), b = ToPnCorner(t[1]), c = ToPnCorner(t[2]);
    Pn_TessellatePolygon(&a, &b, &c, level);
  } else {
    Batch_AddTriangle(t);
  }
}

static void EmitPointOrLine(const SceneVertex *v, i32 count) {
  auto r = [](u32 c) { return (i32)(c >> 16 & 0xFF); };
  auto g = [](u32 c) { return (i32)(c >> 8 & 0xFF); };
  auto b = [](u32 c) { return (i32)(c & 0xFF); };
  auto a = [](u32 c) { return (i32)(c >> 24); };
  if (count == 1)
    Draw_Point3D(v[0].x, v[0].y, v[0].z, r(v[0].diffuse), g(v[0].diffuse), b(v[0].diffuse), a(v[0].diffuse), v[0].u, v[0].v);
  else
    Draw_Line3D(v[0].x, v[0].y, v[0].z, r(v[0].diffuse), g(v[0].diffuse), b(v[0].diffuse), a(v[0].diffuse), v[0].u, v[0].v,
                v[1].x, v[1].y, v[1].z, r(v[1].diffuse), g(v[1].diffuse), b(v[1].diffuse), a(v[1].diffuse), v[1].u, v[1].v);
}

// [SECTION] Textures

// `keyed`: the current group key of the current motion names the texture (texture
// animation); mode 3 draws the group's own texture only.
static void *GroupTexture(i32 n, i32 part, const Model3 *m, i32 g, bool keyed = true) {
  ModelPose *pose = (n >= 0 && n < MODEL3_SLOTS) ? g_ModelPoses[n] : nullptr;
  Obj3Pose *setPose = (part >= 0 && n >= 0 && n < OBJ3_SETS) ? g_Obj3Poses[n] : nullptr;
  u32 t = m->groups[g].texture;
  if (keyed && m->motion >= 0 && m->motion < MODEL3_MOTIONS) {
    const GroupKeyList3 *keys = m->motions[m->motion].groupKeys[g];
    if (keys && keys->count > 0) {
      i32 k = keys->keyIndex;
      i32 last = (keys->count < MODEL3_GROUP_KEYS ? keys->count : MODEL3_GROUP_KEYS) - 1;
      k = k < 0 ? 0 : (k > last ? last : k);
      t = keys->keys[k].texture;
      if (t == 0) return nullptr;
    }
  }
  if (t == 0 || t >= MODEL3_TEXTURES) return nullptr;
  // An object-set part draws with its own textures, not those of the slot numbered like its set.
  if (part >= 0 && part < OBJ3_PARTS) return setPose ? setPose->textures[part][t] : nullptr;
  return pose ? pose->textures[t] : nullptr;
}

static void BindGroupStages(i32 n, i32 part, const Model3 *m, i32 g) {
  void *tex = GroupTexture(n, part, m, g);
  // Inside the shader frame's passes the pixel shaders always sample stage 0 (white stands
  // for no texture) and the effect owns the later stages (shadow map, work targets).
  bool shaderPasses = g_Lib.config.shaderMode != 0;
  DrawDev_SetTexture(0, tex || !shaderPasses ? tex : g_Hlsl.whiteTexture);
  if (g_Tex.toonTexture && !shaderPasses) {
    DrawDev_SetTexture(1, g_Tex.toonTexture);
    DrawDev_SetStageState(1, DTSS_COLOROP, DTOP_MODULATE);
    DrawDev_SetStageState(1, DTSS_COLORARG1, DTA_TEXTURE);
    DrawDev_SetStageState(1, DTSS_COLORARG2, DTA_CURRENT);
  }
  DrawDev_SetRenderState(DRS_SPECULARENABLE, m->groups[g].specular ? 1 : 0);
}

void Render_BindGroupStages(i32 n, i32 part, const Model3 *m, i32 g) { BindGroupStages(n, part, m, g); }

// [SECTION] Immediate modes (0, 7, mixed polygons of 3)

// Draws the polygons of group g from the model's arrays; with `only`, just the polygons
// whose flag is set.
static void DrawGroupImmediate(i32 n, const Model3 *m, i32 g, bool posed, const u8 *only, i32 onlyCount) {
  const Group3 &gr = m->groups[g];
  CornerSource src = {m, posed, 0xFF000000u | (gr.specR & 0xFF) << 16 | (gr.specG & 0xFF) << 8 | (gr.specB & 0xFF),
                      gr.shading, n == 252};
  Draw_SetFillMode((i32)gr.shading);
  Batch_Begin();
  for (i32 i = 0; i < m->polygonCount; ++i) {
    const Polygon3 *p = &m->polygons[i];
    if (p->group != (u32)g || !CornerOk(m, p)) continue;
    if (only && (i >= onlyCount || !only[i])) continue;
    if (p->cornerCount < 3) continue;
    SceneVertex corner[4];
    for (i32 c = 0; c < p->cornerCount; ++c) corner[c] = CornerVertex(&src, p, c);
    if (gr.shading != 5) {
      // Keys: twice the corner's position (the mirrored copy one more).
      u32 key[4];
      for (i32 c = 0; c < p->cornerCount; ++c) key[c] = 2 * p->corners[c].vertex;
      Batch_AddFanKeyed(corner, key, p->cornerCount, gr.mirror != 0);
      continue;
    }
    for (i32 t = 0; t + 2 < p->cornerCount; ++t) {
      SceneVertex tri[3] = {corner[0], corner[t + 1], corner[t + 2]};
      EmitTriangle(tri, gr.shading, m->refineLevel);
      if (gr.mirror) {
        SceneVertex mir[3] = {Mirrored(tri[1]), Mirrored(tri[0]), Mirrored(tri[2])};
        EmitTriangle(mir, gr.shading, m->refineLevel);
      }
    }
  }
  Batch_Flush();
  // Points and lines (polygons of one or two corners) after the triangles.
  for (i32 i = 0; i < m->polygonCount; ++i) {
    const Polygon3 *p = &m->polygons[i];
    if (p->group != (u32)g || !CornerOk(m, p) || p->cornerCount > 2) continue;
    if (only && (i >= onlyCount || !only[i])) continue;
    SceneVertex v[2] = {CornerVertex(&src, p, 0), CornerVertex(&src, p, p->cornerCount - 1)};
    EmitPointOrLine(v, p->cornerCount);
    if (gr.mirror) {
      SceneVertex w[2] = {Mirrored(v[1]), Mirrored(v[0])};
      if (p->cornerCount == 1) w[0] = Mirrored(v[0]);
      EmitPointOrLine(w, p->cornerCount);
    }
  }
}

static void DrawImmediate(i32 n, i32 part, const Model3 *m, bool posed) {
  for (i32 g = 0; g < m->groupCount && g < MODEL3_GROUPS; ++g) {
    if (m->groups[g].shading == 0) continue;
    BindGroupStages(n, part, m, g);
    DrawGroupImmediate(n, m, g, posed, nullptr, 0);
  }
}

// [SECTION] Buffer modes (1, 2, 3)

static void DrawGroupBuffers(i32 n, const Model3 *m, ModelPose *pose) {
  bool indexed = m->renderMode == 2;
  const WeldedMesh *w = g_Meshes.indexed2[n];
  if (indexed && !w) return;
  if (g_Dev.draw.setFVF) g_Dev.draw.setFVF(FVF_MESHVERTEX36);
  if (indexed && g_Dev.render.setStreamSource) g_Dev.render.setStreamSource(pose->vertexBuffers[0], MESH_VERTEX36);
  for (i32 g = 0; g < m->groupCount && g < MODEL3_GROUPS; ++g) {
    if (m->groups[g].shading == 0 || pose->primCounts[g] <= 0) continue;
    BindGroupStages(n, -1, m, g);
    if (!indexed) {
      if (!pose->vertexBuffers[g]) continue;
      if (g_Dev.render.setStreamSource) g_Dev.render.setStreamSource(pose->vertexBuffers[g], MESH_VERTEX36);
      if (g_Dev.render.drawPrimitive) g_Dev.render.drawPrimitive(DPT_TRIANGLELIST, 0, (u32)pose->primCounts[g] / 3);
    } else {
      if (!pose->indexBuffers[g]) continue;
      if (g_Dev.render.setIndices) g_Dev.render.setIndices(pose->indexBuffers[g]);
      if (g_Dev.render.drawIndexedPrimitive)
        g_Dev.render.drawIndexedPrimitive(DPT_TRIANGLELIST, (u32)w->vertexCount, 0, (u32)pose->primCounts[g] / 3);
    }
  }
}

static Mat4 BoneBlendMatrix(const ModelPose *pose, i32 bone, const Mat4 &world) {
  if (bone < 0 || bone >= MODEL3_BONES) bone = 0;
  Mat4 t, out;
  Mat_Translation(&t, -pose->rest[bone].f[12], -pose->rest[bone].f[13], -pose->rest[bone].f[14]);
  Mat_Multiply(&out, t, pose->posed[bone]);
  Mat_Multiply(&out, out, world);
  return out;
}

static void DrawPalette(i32 n, const Model3 *m, ModelPose *pose, bool posed) {
  PaletteMesh3 *pm = g_Meshes.palette3[n];
  if (!pm) return;
  Mat4 world;
  Mat_Identity(&world);
  if (g_Dev.draw.getTransform) g_Dev.draw.getTransform(DTS_WORLD, world.f);
  DrawDev_SetRenderState(DRS_VERTEXBLEND, DVBF_1WEIGHTS);
  if (g_Dev.draw.setFVF) g_Dev.draw.setFVF(FVF_BLENDVERTEX40);
  for (i32 g = 0; g < m->groupCount && g < MODEL3_GROUPS; ++g) {
    if (m->groups[g].shading == 0) continue;
    // The toon stage too: blended vertices are unlit under toon and take their shade from it.
    BindGroupStages(n, -1, m, g);
    DrawDev_SetTexture(0, GroupTexture(n, -1, m, g, false));
    for (i32 s = 0; s < pm->groups[g].subCount; ++s) {
      const SubMesh3 &sub = pm->groups[g].subs[s];
      if (!sub.vertexBuffer || !sub.indexBuffer || sub.indexCount <= 0) continue;
      Mat4 w0 = BoneBlendMatrix(pose, sub.bone1, world), w1 = BoneBlendMatrix(pose, sub.bone2, world);
      if (g_Dev.draw.setTransform) {
        g_Dev.draw.setTransform(DTS_WORLD, w0.f);
        g_Dev.draw.setTransform(DTS_WORLD1, w1.f);
      }
      if (g_Dev.render.setStreamSource) g_Dev.render.setStreamSource(sub.vertexBuffer, MESH_VERTEX40);
      if (g_Dev.render.setIndices) g_Dev.render.setIndices(sub.indexBuffer);
      if (g_Dev.render.drawIndexedPrimitive)
        g_Dev.render.drawIndexedPrimitive(DPT_TRIANGLELIST, (u32)sub.vertexCount, 0, (u32)sub.indexCount / 3);
    }
  }
  DrawDev_SetRenderState(DRS_VERTEXBLEND, DVBF_DISABLE);
  if (g_Dev.draw.setTransform) g_Dev.draw.setTransform(DTS_WORLD, world.f);
  // The mixed polygons from the posed arrays; the weight view shows them untextured.
  bool weightView = m->displayMode == 3 && g_Lib.viewWindowMode && !Frame_Current()->rightButtonHeld;
  for (i32 g = 0; g < m->groupCount && g < MODEL3_GROUPS; ++g) {
    if (m->groups[g].shading == 0) continue;
    BindGroupStages(n, -1, m, g);
    DrawDev_SetTexture(0, weightView ? nullptr : GroupTexture(n, -1, m, g, false));
    DrawGroupImmediate(n, m, g, posed, pm->mixedFlags, pm->polygonCount);
  }
}

// [SECTION] Entry points

void Hlsl_DrawModel(i32 n, i32 part, Model3 *model) {
  // The model drawn is tested itself: an object-set part is drawn whatever the model slot
  // numbered like its set holds.
  if (!model || !model->shown || model->polygonCount <= 0 || !model->positions) return;
  static const u32 kFill[4] = {DFILL_POINT, DFILL_WIREFRAME, DFILL_SOLID, DFILL_SOLID};
  DrawDev_SetRenderState(DRS_FILLMODE, kFill[model->displayMode < 4 ? model->displayMode : 2]);
  Draw_SetLighting(!g_Tex.toonTexture && g_Lib.optLight == 1 && model->lighting == 1 ? 1 : 0);
  bool posed = Render_UsesPose(model);
  ModelPose *pose = (part < 0 && n >= 0 && n < MODEL3_SLOTS) ? g_ModelPoses[n] : nullptr;
  u32 mode = model->renderMode;
  // Object-set parts have no pose record of their own buffers: they are drawn immediately.
  if (part >= 0 || !pose) mode = 0;
  // Inside the shader frame's passes the effect's own vertex shader runs, which neither
  // blends matrices (mode 3) nor skins (mode 4): those draw their posed arrays.
  if (g_Lib.config.shaderMode && (mode == 3 || mode == 4)) mode = 0;
  switch (mode) {
    case 1:
    case 2: DrawGroupBuffers(n, model, pose); break;
    case 3: DrawPalette(n, model, pose, posed); break;
    case 4:
      if (g_LibHooks.drawBoneModel && g_LibHooks.drawBoneModel(n, part, model)) break;
      DrawImmediate(n, part, model, posed);
      break;
    case 5:
    case 6:
      if (g_LibHooks.drawBumpSample) g_LibHooks.drawBumpSample(mode);
      break;
    case 7:
      if (g_Meshes.displaced[n]) DrawImmediate(n, part, g_Meshes.displaced[n], false);
      break;
    default: DrawImmediate(n, part, model, posed); break;
  }
  Draw_SetFillMode(4);
  DrawDev_SetTexture(0, nullptr);
  // A scene hook draws its lines after the models it draws itself: the toon stage goes with them.
  if (g_Tex.toonTexture && !g_Lib.config.shaderMode) DrawDev_SetTexture(1, nullptr);
}

void Draw_SceneObjects(void) {
  for (i32 i = 0; i < SCENE_OBJECTS; ++i) {
    KZL::OBJECT *o = g_SceneObjects[i];
    ObjectSideRecord *side = g_ObjectSideRecords[i];
    if (!o || !side || !o->shown) continue;
    Model3 *m = Object_ModelOf(o);
    if (!m) continue;
    if (g_Dev.draw.setTransform) g_Dev.draw.setTransform(DTS_WORLD, side->world.f);
    Hlsl_DrawModel(o->modelSlot, -1, m);
  }
}

void Draw_KzoObjects(void) {
  if (Frame_Current()->objectsHidden) return;
  for (i32 s = 0; s < OBJ3_SETS; ++s) {
    Obj3Set *set = g_Obj3Sets[s];
    Obj3Pose *pose = g_Obj3Poses[s];
    if (!set || !pose || set->objectCount <= 1) continue;
    for (i32 p = 1; p < set->objectCount && p < OBJ3_PARTS; ++p) {
      Model3 *m = g_Obj3PartModels[s][p];
      if (!m || g_Obj3PartLoaded[s][p] != 1) continue;
      if (g_Dev.draw.setTransform) g_Dev.draw.setTransform(DTS_WORLD, pose->drawn[p].f);
      DrawDev_SetRenderState(DRS_FILLMODE, DFILL_SOLID);
      Draw_SetLighting(1);
      Hlsl_DrawModel(s, p, m);
    }
  }
}

void Draw_ResetWorld(f32 x, f32 y, f32 z, f32 a, f32 b, f32 c, f32 sx, f32 sy, f32 sz) {
  Mat4 w;
  Mat_ComposeSRTEuler(&w, x, y, z, a, b, c, sx, sy, sz);
  if (g_Dev.draw.setTransform) g_Dev.draw.setTransform(DTS_WORLD, w.f);
}
