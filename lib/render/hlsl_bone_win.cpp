// Render mode 4: the vertex shader of "Bone.fx" blends each vertex between the two bones of
// its binding, turns its normal with them and lights it as the fixed pipeline lights the
// other modes; colour and texture stay with the fixed pipeline's stages.
#include "lib/render/hlsl_bone_win.h"

#include <d3d9.h>
#include <string.h>

#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/render/meshes.h"
#include "lib/render/modeldraw.h"
#include "lib/render/rdev.h"
#include "lib/render/rebuild.h"
#include "model/model3.h"

static_assert((int)HLSL_BONE_PALETTE == (int)BONE_BATCH_BONES, "one palette size for the batches and the effect");

// Bone-independent values of one draw: transforms, light, and whether the model is lit now.
static void SetDrawValues(IDirect3DDevice9 *dev, Effect *e) {
  f32 w[16], v[16], p[16];
  dev->GetTransform(D3DTS_WORLD, (D3DMATRIX *)w);
  dev->GetTransform(D3DTS_VIEW, (D3DMATRIX *)v);
  dev->GetTransform(D3DTS_PROJECTION, (D3DMATRIX *)p);
  HlslBoneValues values;
  Hlsl_BoneValues(w, v, p, &values);
  Effect_SetTechnique(e, "BoneRender");
  g_Hlsl.boneTime += 0.01f;
  Effect_SetFloat(e, "fTime", g_Hlsl.boneTime);
  Effect_SetMatrix(e, "mViewProj", &values.worldViewProj);
  Mat4 world;
  memcpy(world.f, w, sizeof w);
  Effect_SetMatrix(e, "g_mWorld", &world);  // the object's world, as the scene loop sets it
  Effect_SetMatrix(e, "mToon", &values.toon);
  Effect_SetVector(e, "vLightPos", values.lightPos);
  Effect_SetVector(e, "vLightDiffuse", values.lightDiffuse);
  Effect_SetVector(e, "vLightAmbient", values.lightAmbient);
  DWORD lit = FALSE;
  dev->GetRenderState(D3DRS_LIGHTING, &lit);
  Effect_SetFloat(e, "fLit", lit ? 1.0f : 0.0f);
}

// One indexed list, through the effect's passes (or once inside the shader frame's passes,
// whose shaders are already bound).
static void DrawList(IDirect3DDevice9 *dev, Effect *e, i32 vertices, i32 indices) {
  if (g_Lib.config.shaderMode) {
    dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, (UINT)vertices, 0, (UINT)(indices / 3));
    return;
  }
  u32 passes = Effect_Begin(e);
  for (u32 p = 0; p < passes; p++) {
    Effect_Pass(e, p);
    dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, (UINT)vertices, 0, (UINT)(indices / 3));
  }
  Effect_End(e);
}

// The bone palette of the model being drawn (static: too big for the stack).
static Mat4 s_Palette[HLSL_BONE_PALETTE];

// Models of at most one palette of bones: the shared vertex buffer and the group index
// buffers, index bytes naming the bones themselves.
static void DrawGroups(IDirect3DDevice9 *dev, Effect *e, i32 slot, const Model3 *m, const ModelPose *pose,
                       const WeldedMesh *mesh) {
  Mat4 *palette = s_Palette;
  i32 count = Hlsl_BonePalette(pose, m->boneCount, palette);
  Effect_SetMatrixArray(e, "matWorld", palette, count);
  dev->SetStreamSource(0, (IDirect3DVertexBuffer9 *)pose->vertexBuffers[0], 0, MESH_VERTEX44);
  i32 groups = m->groupCount < MODEL3_GROUPS ? m->groupCount : MODEL3_GROUPS;
  for (i32 g = 0; g < groups; g++) {
    i32 indices = pose->primCounts[g];
    if (m->groups[g].shading == 0 || indices <= 0 || !pose->indexBuffers[g]) continue;
    Render_BindGroupStages(slot, -1, m, g);  // texture, toon stage and specular as in mode 0
    dev->SetIndices((IDirect3DIndexBuffer9 *)pose->indexBuffers[g]);
    DrawList(dev, e, mesh->vertexCount, indices);
  }
}

// Models of more bones: each batch with its own palette, vertices and indices.
static void DrawBatches(IDirect3DDevice9 *dev, Effect *e, i32 slot, const Model3 *m, const ModelPose *pose,
                        const WeldedMesh *mesh) {
  Mat4 *palette = s_Palette;
  for (i32 i = 0; i < mesh->batchCount; i++) {
    const BoneBatch4 &b = mesh->batches[i];
    if (b.group >= m->groupCount || m->groups[b.group].shading == 0 || b.indexCount <= 0) continue;
    Hlsl_BonePaletteOf(pose, b.bones, b.boneCount, palette);
    Effect_SetMatrixArray(e, "matWorld", palette, b.boneCount > 0 ? b.boneCount : 1);
    Render_BindGroupStages(slot, -1, m, b.group);
    dev->SetStreamSource(0, (IDirect3DVertexBuffer9 *)b.vertexBuffer, 0, MESH_VERTEX44);
    dev->SetIndices((IDirect3DIndexBuffer9 *)b.indexBuffer);
    DrawList(dev, e, b.vertexCount, b.indexCount);
  }
}

bool Hlsl_DrawBoneModel(i32 slot, Model3 *m) {
  IDirect3DDevice9 *dev = g_Lib.device;
  if (!dev || !m || slot < 0 || slot >= MODEL3_SLOTS) return false;
  ModelPose *pose = g_ModelPoses[slot];
  const WeldedMesh *mesh = g_Meshes.weighted4[slot];
  Effect *e = Hlsl_GetEffect(HLSL_FX_BONE);
  if (!e || !pose || !mesh || !pose->vertexBuffers[0]) return false;

  dev->SetSoftwareVertexProcessing(TRUE);
  dev->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, TRUE);
  dev->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_1WEIGHTS);
  dev->SetFVF(FVF_SKINVERTEX44);
  SetDrawValues(dev, e);
  if (mesh->batchCount > 0) DrawBatches(dev, e, slot, m, pose, mesh);
  else DrawGroups(dev, e, slot, m, pose, mesh);
  dev->SetVertexShader(nullptr);
  dev->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE);
  dev->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
  dev->SetSoftwareVertexProcessing(FALSE);
  return true;
}

// The one hook of render mode 4. An object-set part has no buffers of its own and is drawn
// as in mode 0 (false); a scene object is the effect's whether it could draw or not (a
// failed effect has shown its box, and the mode then draws nothing).
static bool DrawBoneHook(i32 n, i32 part, Model3 *model) {
  if (part >= 0) return false;
  Hlsl_DrawBoneModel(n, model);
  return true;
}

void Hlsl_InstallBoneHook(void) { g_LibHooks.drawBoneModel = DrawBoneHook; }
