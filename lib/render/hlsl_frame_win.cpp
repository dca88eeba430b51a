// The shader frame: shadow map from the light above scene object 0, the shadowed scene,
// the depth-of-field source, the optional bright pass and bloom, the blend into work 5 and
// the copy of work 5 onto the back buffer. Owns g_HlslTargets.
#include "lib/render/hlsl_frame_win.h"

#include <string.h>

#include "lib/draw/draw.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/render/objects.h"
#include "model/object.h"
#include "model/seam_log.h"

HlslTargets g_HlslTargets = {true};

static IDirect3DDevice9 *Device(void) { return g_Lib.device; }

template <typename T>
static void ReleaseRef(T *&p) {
  if (p) p->Release();
  p = nullptr;
}

void Hlsl_ReleaseTargets(void) {
  HlslTargets &t = g_HlslTargets;
  for (int i = 0; i < HLSL_WORK_TARGETS; i++) {
    ReleaseRef(t.workSurface[i]);
    ReleaseRef(t.work[i]);
  }
  ReleaseRef(t.depth);
  ReleaseRef(t.shadowSurface);
  ReleaseRef(t.shadowMap);
  ReleaseRef(t.shadowDepth);
  if (g_Hlsl.whiteTexture) ((IDirect3DTexture9 *)g_Hlsl.whiteTexture)->Release();
  g_Hlsl.whiteTexture = nullptr;
  t.recreate = true;
}

static IDirect3DTexture9 *MakeWhite(void) {
  IDirect3DTexture9 *tex = nullptr;
  if (FAILED(Device()->CreateTexture(1, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr))) return nullptr;
  D3DLOCKED_RECT r;
  if (SUCCEEDED(tex->LockRect(0, &r, nullptr, 0))) {
    *(u32 *)r.pBits = 0xFFFFFFFFu;
    tex->UnlockRect(0);
  }
  return tex;
}

static IDirect3DTexture9 *MakeTarget(D3DFORMAT format) {
  IDirect3DTexture9 *tex = nullptr;
  if (FAILED(Device()->CreateTexture(HLSL_TARGET_SIZE, HLSL_TARGET_SIZE, 1, D3DUSAGE_RENDERTARGET, format,
                                     D3DPOOL_DEFAULT, &tex, nullptr)))
    return nullptr;
  return tex;
}

static IDirect3DSurface9 *MakeDepth(void) {
  IDirect3DSurface9 *s = nullptr;
  if (FAILED(Device()->CreateDepthStencilSurface(HLSL_TARGET_SIZE, HLSL_TARGET_SIZE, D3DFMT_D16, D3DMULTISAMPLE_NONE,
                                                  0, TRUE, &s, nullptr)))
    return nullptr;
  return s;
}

void Hlsl_CreateTargets(void) {
  HlslTargets &t = g_HlslTargets;
  if (!t.recreate || !Device()) return;
  t.recreate = false;
  for (int i = 0; i < HLSL_WORK_TARGETS; i++) {
    ReleaseRef(t.workSurface[i]);
    ReleaseRef(t.work[i]);
    t.work[i] = MakeTarget(D3DFMT_A8R8G8B8);
    if (t.work[i]) t.work[i]->GetSurfaceLevel(0, &t.workSurface[i]);
  }
  ReleaseRef(t.depth);
  t.depth = MakeDepth();
  ReleaseRef(t.shadowSurface);
  ReleaseRef(t.shadowMap);
  Log_Printf("ShadowMap D3DFMT_R32F");
  t.shadowMap = MakeTarget(D3DFMT_R32F);
  if (!t.shadowMap) {
    Log_Printf("ShadowMap D3DFMT_R16F");
    t.shadowMap = MakeTarget(D3DFMT_R16F);
  }
  if (!t.shadowMap) Log_Printf("ShadowMap 未対応");
  if (t.shadowMap) t.shadowMap->GetSurfaceLevel(0, &t.shadowSurface);
  ReleaseRef(t.shadowDepth);
  t.shadowDepth = MakeDepth();
  if (!g_Hlsl.whiteTexture) g_Hlsl.whiteTexture = MakeWhite();
}

// [SECTION] passes

struct FrameQuadVertex {
  f32 x, y, z, rhw;
  u32 color;
  f32 u, v;
};
static const DWORD kScreenFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

static void DrawQuad(f32 w, f32 h, u32 color, f32 uvMax) {
  FrameQuadVertex q[4] = {
      {0, 0, 0, 1, color, 0, 0}, {w, 0, 0, 1, color, uvMax, 0}, {w, h, 0, 1, color, uvMax, uvMax}, {0, h, 0, 1, color, 0, uvMax},
  };
  Device()->SetFVF(kScreenFvf);
  Device()->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q, sizeof(FrameQuadVertex));
}

static void SetTarget(int work, bool clearDepth) {
  HlslTargets &t = g_HlslTargets;
  Device()->SetRenderTarget(0, t.workSurface[work]);
  Device()->SetDepthStencilSurface(t.depth);
  Device()->Clear(0, nullptr, D3DCLEAR_TARGET | (clearDepth ? D3DCLEAR_ZBUFFER : 0), D3DCOLOR_ARGB(255, 0, 0, 0),
                  1.0f, 0);
}

void Hlsl_DrawObjectPasses(Effect *e) {
  if (!e) return;
  Effect_SetBool(e, "bTex", true);
  g_Hlsl.objectTime += 0.01f;
  Effect_SetFloat(e, "g_fTime", g_Hlsl.objectTime);
  for (i32 n = 0; n < SCENE_OBJECTS; n++) {
    const KZL::OBJECT *o = g_SceneObjects[n];
    if (!o || !o->inUse || !o->shown) continue;
    Model3 *m = Object_ModelOf(o);
    const ObjectSideRecord *side = g_ObjectSideRecords[n];
    if (!m || !side) continue;
    Effect_SetMatrix(e, "World", &side->world);
    Device()->SetTransform(D3DTS_WORLD, (const D3DMATRIX *)side->world.f);
    u32 passes = Effect_Begin(e);
    for (u32 p = 0; p < passes; p++) {
      Effect_Pass(e, p);
      if (g_Hlsl.drawModel) g_Hlsl.drawModel(o->modelSlot, -1, m);
    }
    Effect_End(e);
  }
}

static void RunQuadTechnique(Effect *e, u32 color) {
  u32 passes = Effect_Begin(e);
  for (u32 p = 0; p < passes; p++) {
    Effect_Pass(e, p);
    DrawQuad((f32)HLSL_TARGET_SIZE, (f32)HLSL_TARGET_SIZE, color, 1.0f);
  }
  Effect_End(e);
}

void Hlsl_RenderFrame3D(void) {
  if (!g_SceneObjects[0]) return;
  Effect *e = Hlsl_GetEffect(HLSL_FX_3D);
  if (!e) return;
  HlslTargets &t = g_HlslTargets;
  for (int i = 0; i < HLSL_WORK_TARGETS; i++)
    if (!t.workSurface[i]) return;
  if (!t.depth || !t.shadowDepth) return;
  IDirect3DDevice9 *dev = Device();
  IDirect3DSurface9 *oldTarget = nullptr, *oldDepth = nullptr;
  D3DVIEWPORT9 oldViewport;
  dev->GetRenderTarget(0, &oldTarget);
  dev->GetDepthStencilSurface(&oldDepth);
  dev->GetViewport(&oldViewport);

  HlslFrameValues v;
  Hlsl_FrameValues(&v);
  Effect_SetMatrix(e, "World", &v.world);
  Effect_SetMatrix(e, "WView", &v.wview);
  Effect_SetMatrix(e, "WVProj", &v.wvproj);
  Effect_SetVector(e, "Ambient", v.ambient);
  Effect_SetVector(e, "vLightDir", v.lightDir);
  Effect_SetMatrix(e, "LightVProj", &v.lightVProj);

  // Shadow map seen from the light.
  dev->SetRenderTarget(0, t.shadowSurface);
  dev->SetDepthStencilSurface(t.shadowDepth);
  dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_ARGB(255, 0, 0, 0), 1.0f, 0);
  Effect_SetVector(e, "LightColor", v.lightColor);
  Effect_SetTexture(e, "ShadowTex", t.shadowMap);
  Effect_SetTechnique(e, "ShadowMapTex");
  Effect_SetFloat(e, "Margin", 0.001f);
  Hlsl_DrawObjectPasses(e);

  // The shadowed scene.
  SetTarget(4, true);
  Effect_SetTechnique(e, "ShadowMapDraw");
  Hlsl_DrawObjectPasses(e);

  // Depth-of-field source (work 0 is also "Tex1": the technique does not sample it).
  SetTarget(0, true);
  g_Hlsl.frameTime3D += 0.01f;
  Effect_SetFloat(e, "g_fTime", g_Hlsl.frameTime3D);
  Effect_SetTexture(e, "Tex1", t.work[0]);
  Effect_SetTechnique(e, "DepthOfFieldTex");
  Hlsl_DrawObjectPasses(e);

  bool bloom = g_Lib.config.shaderOption != 0;
  Effect_SetBool(e, "bBloom", bloom);
  if (bloom) {
    dev->SetRenderTarget(0, t.workSurface[2]);
    dev->SetDepthStencilSurface(t.depth);
    dev->Clear(0, nullptr, D3DCLEAR_TARGET, D3DCOLOR_ARGB(255, 0, 0, 0), 1.0f, 0);
    Effect_SetTexture(e, "Tex2", t.work[0]);
    Effect_SetTechnique(e, "SpecularDraw");
    Hlsl_DrawObjectPasses(e);

    SetTarget(3, true);
    dev->SetTexture(0, t.work[2]);
    Effect_SetTechnique(e, "BloomDraw");
    Effect_SetTexture(e, "Tex1", t.work[2]);
    Effect_SetTexture(e, "Tex2", t.work[0]);
    RunQuadTechnique(e, D3DCOLOR_ARGB(128, 255, 255, 255));
  }

  SetTarget(5, true);
  Effect_SetTechnique(e, "RenderBlend");
  Effect_SetTexture(e, "Tex1", t.work[0]);
  Effect_SetTexture(e, "Tex2", t.work[4]);
  if (bloom) Effect_SetTexture(e, "Tex3", t.work[3]);
  RunQuadTechnique(e, D3DCOLOR_ARGB(255, 255, 255, 255));

  dev->SetRenderTarget(0, oldTarget);
  dev->SetDepthStencilSurface(oldDepth);
  dev->SetViewport(&oldViewport);  // setting a target resets the viewport to the target
  ReleaseRef(oldTarget);
  ReleaseRef(oldDepth);
}

void Hlsl_RenderFrame(void) {
  if (!g_SceneObjects[0] || !Device()) return;
  Hlsl_CreateTargets();
  if (!g_HlslTargets.shadowSurface) {
    g_Lib.config.shaderMode = 0;
    Log_Printf("ShadowMap 未対応のため、シェーダーモードを使用できません。");
    return;
  }
  IDirect3DDevice9 *dev = Device();
  Draw_SetDefaultStates();
  Hlsl_RenderFrame3D();
  Effect *e2 = Hlsl_GetEffect(HLSL_FX_2D);
  if (!e2) return;
  g_Hlsl.frameTime2D += 0.001f;
  Effect_SetFloat(e2, "g_fTime", g_Hlsl.frameTime2D);
  u32 passes = Effect_Begin(e2);
  for (u32 p = 0; p < passes; p++) {
    Effect_Pass(e2, p);
    dev->SetTexture(0, g_HlslTargets.work[5]);
    FrameQuadVertex q[4] = {
        {0, 0, 0, 1, 0xFFFFFFFF, 0, 0},
        {(f32)g_Lib.screenWidth, 0, 0, 1, 0xFFFFFFFF, 0.99f, 0},
        {(f32)g_Lib.screenWidth, (f32)g_Lib.screenHeight, 0, 1, 0xFFFFFFFF, 0.99f, 0.99f},
        {0, (f32)g_Lib.screenHeight, 0, 1, 0xFFFFFFFF, 0, 0.99f},
    };
    dev->SetFVF(kScreenFvf);
    dev->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, q, sizeof(FrameQuadVertex));
  }
  Effect_End(e2);
  dev->SetTexture(0, nullptr);
}
