// The edge outline pass and the flattened ground shadows (see shadow.h): whole models sent
// through the shared vertex batch, drawn in chunks when a batch fills.
#include <string.h>

#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawdev.h"
#include "lib/framework/lib.h"
#include "lib/render/modeldraw.h"
#include "lib/render/objects.h"
#include "lib/render/shadow.h"
#include "model/object.h"

// [SECTION] Edge outline

static bool CornersInRange(const Model3 *m, const Polygon3 *p) {
  if (p->cornerCount < 3 || p->cornerCount > 4) return false;
  for (i32 k = 0; k < p->cornerCount; ++k)
    if ((i64)p->corners[k].vertex >= (i64)m->positionCount) return false;
  return true;
}

static SceneVertex EdgeVertex(const Model3 *m, const Polygon3 *p, i32 c, bool posed, u32 shading) {
  const PolyCorner &pc = p->corners[c];
  Vec3 pos = posed ? m->posed[pc.vertex] : m->positions[pc.vertex];
  Vec3 n = p->faceNormal;
  if (posed) n = m->vertexNormals[pc.vertex];
  else if (shading != 3 && m->normals && (i64)pc.normal < (i64)m->normalCount) n = m->normals[pc.normal];
  f32 push = m->normalOffset * 0.05f;
  Vec2 uv = (m->uvs && (i64)pc.uv < (i64)m->uvCount) ? m->uvs[pc.uv] : Vec2{0, 0};
  return SceneVertex{pos.x + n.x * push, pos.y + n.y * push, pos.z + n.z * push, n.x, n.y, n.z,
                     0xFF000000u, 0, uv.u, uv.v};
}

static void EdgeGroup(i32 slot, const Model3 *m, i32 g, bool posed) {
  const Group3 &gr = m->groups[g];
  void *tex = nullptr;
  ModelPose *pose = g_ModelPoses[slot];
  if (!(g_Lib.viewWindowMode && m->displayMode == 3) && pose && gr.texture < MODEL3_TEXTURES) tex = pose->textures[gr.texture];
  DrawDev_SetTexture(0, tex);
  Draw_SetFillMode((i32)gr.shading);
  Batch_Begin();
  for (i32 i = 0; i < m->polygonCount; ++i) {
    const Polygon3 *p = &m->polygons[i];
    if (p->group != (u32)g || !CornersInRange(m, p)) continue;
    i32 n = p->cornerCount;
    // The fan in reverse corner order: the hull shows its back faces.
    for (i32 t = 0; t + 2 < n; ++t) {
      SceneVertex tri[3] = {EdgeVertex(m, p, n - 1, posed, gr.shading), EdgeVertex(m, p, n - 2 - t, posed, gr.shading),
                            EdgeVertex(m, p, n - 3 - t, posed, gr.shading)};
      Batch_AddTriangle(tri);
      if (gr.mirror) {
        SceneVertex mir[3] = {tri[2], tri[1], tri[0]};
        for (SceneVertex &v : mir) v.x = -v.x, v.nx = -v.nx;
        Batch_AddTriangle(mir);
      }
    }
  }
  Batch_Flush();
}

void Draw_ModelsFixed(void) {
  bool restMode = Frame_Current()->atRest;
  for (i32 slot = 0; slot < MODEL3_SLOTS; ++slot) {
    Model3 *m = g_Model3Slots[slot];
    if (!m || m->immediate != 1 || !m->positions) continue;
    // Slot n draws under scene object n; without that object, at the origin.
    Mat4 world;
    Mat_Identity(&world);
    if (slot < SCENE_OBJECTS && g_SceneObjects[slot] && g_ObjectSideRecords[slot]) world = g_ObjectSideRecords[slot]->world;
    if (g_Dev.draw.setTransform) g_Dev.draw.setTransform(DTS_WORLD, world.f);
    static const u32 kFill[4] = {DFILL_POINT, DFILL_WIREFRAME, DFILL_SOLID, DFILL_SOLID};
    DrawDev_SetRenderState(DRS_FILLMODE, kFill[m->displayMode < 4 ? m->displayMode : 2]);
    Draw_SetLighting(0);
    bool posed = m->poseUpdate && !restMode && m->posed && m->vertexNormals;
    for (i32 g = 0; g < m->groupCount && g < MODEL3_GROUPS; ++g)
      if (m->groups[g].shading != 0) EdgeGroup(slot, m, g, posed);
  }
  Draw_SetLighting(1);
  DrawDev_SetRenderState(DRS_FILLMODE, DFILL_SOLID);
  DrawDev_SetTexture(0, nullptr);
}

// [SECTION] Ground shadows

void Shadow_GroundMatrix(Mat4 *out, u32 kind, f32 firstAngle) {
  // A local direction: the model's stored shadow direction is left as it is.
  f32 dir[3] = {0, 1, 0};
  if (kind == 21) {
    Mat4 r;
    Mat_ComposeSRTEuler(&r, 0, 0, 0, firstAngle, 0, 0, 1, 1, 1);
    Mat_TransformPoint(dir, 0, 1, 0, r);
  }
  Mat_ShadowProjection(out, dir[0], dir[1], dir[2]);
}

// The ground shadow a model casts: its own shadow kind 2 or 21 at its shadow height, else the
// preview's 3D shadow (shadow mode 3), its shape flattened straight down onto the preview's
// ground y = 0. (The preview's light sits at the eye: a shadow cast away from it would fall
// behind the model, where the user never sees it.) False when it casts none.
static bool GroundShadowOf(const Model3 *m, u32 *kind, f32 *height) {
  if (m->shadowKind == 2 || m->shadowKind == 21) {
    *kind = m->shadowKind;
    *height = m->shadow[0];
    return true;
  }
  if (m->shadowMode != 3) return false;
  *kind = 2;
  *height = 0.0f;
  return true;
}

void Shadow_DrawGround(void) {
  for (i32 i = 0; i < SCENE_OBJECTS; ++i) {
    KZL::OBJECT *o = g_SceneObjects[i];
    ObjectSideRecord *side = g_ObjectSideRecords[i];
    Model3 *m = o ? Object_ModelOf(o) : nullptr;
    u32 kind;
    f32 height;
    if (!m || !side || !GroundShadowOf(m, &kind, &height)) continue;
    Mat4 proj;
    Shadow_GroundMatrix(&proj, kind, o->angles[0]);
    if (g_Dev.draw.setTransform) g_Dev.draw.setTransform(DTS_WORLD, side->world.f);
    DrawDev_SetRenderState(DRS_FILLMODE, DFILL_SOLID);
    Draw_SetLighting(0);
    DrawDev_SetTexture(0, nullptr);
    const Vec3 *pts = (m->poseUpdate && m->posed) ? m->posed : m->positions;
    Batch_Begin();
    for (i32 k = 0; k < m->polygonCount; ++k) {
      const Polygon3 *p = &m->polygons[k];
      if (!CornersInRange(m, p)) continue;
      for (i32 t = 0; t + 2 < p->cornerCount; ++t) {
        const i32 fan[3] = {0, t + 1, t + 2};
        SceneVertex tri[3];
        for (i32 j = 0; j < 3; ++j) {
          const PolyCorner &pc = p->corners[fan[j]];
          const Vec3 &q = pts[pc.vertex];
          f32 s[3];
          Mat_TransformPoint(s, q.x, q.y, q.z, proj);
          Vec2 uv = (m->uvs && (i64)pc.uv < (i64)m->uvCount) ? m->uvs[pc.uv] : Vec2{0, 0};
          tri[j] = SceneVertex{s[0], height, s[2], 0, -1, 0, 0xFF000000u, 0, uv.u, uv.v};
        }
        Batch_AddTriangle(tri);
      }
    }
    Batch_Flush();
    DrawDev_SetRenderState(DRS_FILLMODE, DFILL_SOLID);
  }
  Draw_SetLighting(1);
}
