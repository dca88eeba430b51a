// Render mode 4: the vertex shader of "Bone.fx" blends each vertex between two palette bones;
// colour and texture stay with the fixed pipeline's stages, as in the other modes.
#include "lib/render/hlsl_bone_win.h"

#include <d3d9.h>

#include "lib/framework/lib.h"
#include "lib/render/meshes.h"
#include "lib/render/modeldraw.h"
#include "lib/render/rebuild.h"
#include "model/model3.h"

static const DWORD kBoneFvf = D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_DIFFUSE | D3DFVF_TEX1;
enum { BONE_VERTEX_STRIDE = 32 };

// world x view x projection as the device holds them.
static void DeviceWorldViewProj(IDirect3DDevice9 *dev, Mat4 *out) {
  Mat4 w, v, p, wv;
  dev->GetTransform(D3DTS_WORLD, (D3DMATRIX *)w.f);
  dev->GetTransform(D3DTS_VIEW, (D3DMATRIX *)v.f);
  dev->GetTransform(D3DTS_PROJECTION, (D3DMATRIX *)p.f);
  Mat_Multiply(&wv, w, v);
  Mat_Multiply(out, wv, p);
}

// The weighted mesh's vertices name only their first bone; a vertex shared by two bones
// would blend with bone 0. Each new vertex buffer is rewritten once with the second bone in
// index byte 1, so both bones of the binding are blended as in the other render modes.
static void *s_PairedBuffer[MODEL3_SLOTS];

static u32 PaletteBone(u32 bone, i32 boneCount) {
  return bone < (u32)boneCount && bone < (u32)HLSL_BONE_PALETTE ? bone : 0;
}

static void WriteBonePairs(i32 slot, const Model3 *m, const WeldedMesh *mesh, ModelPose *pose) {
  IDirect3DVertexBuffer9 *vb = (IDirect3DVertexBuffer9 *)pose->vertexBuffers[0];
  if (s_PairedBuffer[slot] == vb) return;
  D3DVERTEXBUFFER_DESC desc;
  u8 *dst = nullptr;
  if (FAILED(vb->GetDesc(&desc)) || desc.Size < (UINT)mesh->vertexCount * MESH_VERTEX32 ||
      FAILED(vb->Lock(0, 0, (void **)&dst, 0)))
    return;
  for (i32 v = 0; v < mesh->vertexCount; v++) {
    const VertexBinding &b = mesh->bindings[v];
    u32 bones = PaletteBone(b.bone1, m->boneCount) | PaletteBone(b.bone2, m->boneCount) << 8;
    Mesh_WriteVertex32(dst + (size_t)v * MESH_VERTEX32, &mesh->positions[v], b.weight, bones,
                       Mesh_PackColor(&mesh->colors[v]), &mesh->uvs[v]);
  }
  vb->Unlock();
  s_PairedBuffer[slot] = vb;
}

bool Hlsl_DrawBoneModel(i32 slot, Model3 *m) {
  IDirect3DDevice9 *dev = g_Device;
  if (!dev || !m || slot < 0 || slot >= MODEL3_SLOTS) return false;
  ModelPose *pose = g_ModelPoses[slot];
  const WeldedMesh *mesh = g_WeightedMesh4[slot];
  Effect *e = Hlsl_GetEffect(HLSL_FX_BONE);
  if (!e || !pose || !mesh || !pose->vertexBuffers[0]) return false;

  WriteBonePairs(slot, m, mesh, pose);
  dev->SetSoftwareVertexProcessing(TRUE);
  static Mat4 palette[HLSL_BONE_PALETTE];
  i32 count = Hlsl_BonePalette(pose, m->boneCount, palette);
  Effect_SetMatrixArray(e, "matWorld", palette, count);
  dev->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, TRUE);
  dev->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_1WEIGHTS);
  dev->SetFVF(kBoneFvf);
  dev->SetStreamSource(0, (IDirect3DVertexBuffer9 *)pose->vertexBuffers[0], 0, BONE_VERTEX_STRIDE);
  Effect_SetTechnique(e, "BoneRender");
  g_Hlsl.boneTime += 0.01f;
  Effect_SetFloat(e, "fTime", g_Hlsl.boneTime);
  Mat4 wvp;
  DeviceWorldViewProj(dev, &wvp);
  Effect_SetMatrix(e, "mViewProj", &wvp);
  Mat4 world;
  dev->GetTransform(D3DTS_WORLD, (D3DMATRIX *)world.f);
  Effect_SetMatrix(e, "g_mWorld", &world);  // the object's world, as the scene loop sets it

  i32 groups = m->groupCount < MODEL3_GROUPS ? m->groupCount : MODEL3_GROUPS;
  for (i32 g = 0; g < groups; g++) {
    const Group3 &grp = m->groups[g];
    i32 indices = pose->primCounts[g];
    if (grp.shading == 0 || indices <= 0 || !pose->indexBuffers[g]) continue;
    Render_BindGroupStages(slot, -1, m, g);  // texture, toon stage and specular as in mode 0
    dev->SetIndices((IDirect3DIndexBuffer9 *)pose->indexBuffers[g]);
    if (!g_LibConfig.shaderMode) {
      u32 passes = Effect_Begin(e);
      for (u32 p = 0; p < passes; p++) {
        Effect_Pass(e, p);
        dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, (UINT)mesh->vertexCount, 0, (UINT)(indices / 3));
      }
      Effect_End(e);
    } else {
      // Inside the shader frame's passes: their shaders are already bound.
      dev->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, (UINT)mesh->vertexCount, 0, (UINT)(indices / 3));
    }
  }
  dev->SetVertexShader(nullptr);
  dev->SetRenderState(D3DRS_INDEXEDVERTEXBLENDENABLE, FALSE);
  dev->SetRenderState(D3DRS_VERTEXBLEND, D3DVBF_DISABLE);
  dev->SetSoftwareVertexProcessing(FALSE);
  return true;
}
