// Direct3D 9 side of the effect layer: D3DXAssembleShader for our shader assembly and the
// device calls of the runtime.
#include "lib/render/effect_win.h"

#include <d3dx9.h>
#include <string.h>

#include "lib/draw/target.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "lib/render/bump_win.h"
#include "lib/render/hlsl.h"
#include "lib/render/hlsl_bone_win.h"
#include "lib/render/modeldraw.h"
#include "lib/render/hlsl_frame_win.h"
#include "model/str.h"

static IDirect3DDevice9 *Dev(void *ctx) { return *(IDirect3DDevice9 **)ctx; }

static bool CreateShader(void *ctx, bool pixel, const char *src, size_t len, void **out, char *err, size_t errSize) {
  *out = nullptr;
  IDirect3DDevice9 *dev = Dev(ctx);
  if (!dev) {
    Str_Copy(err, errSize, "no device");
    return false;
  }
  ID3DXBuffer *code = nullptr, *errors = nullptr;
  HRESULT hr = D3DXAssembleShader(src, (UINT)len, nullptr, nullptr, 0, &code, &errors);
  if (FAILED(hr) || !code) {
    if (errors && errors->GetBufferSize() > 0)
      Str_Format(err, errSize, "%.*s", (int)errors->GetBufferSize(), (const char *)errors->GetBufferPointer());
    else
      Str_Format(err, errSize, "D3DXAssembleShader failed (0x%08lX)", (unsigned long)hr);
    if (errors) errors->Release();
    if (code) code->Release();
    return false;
  }
  if (errors) errors->Release();
  const DWORD *tokens = (const DWORD *)code->GetBufferPointer();
  if (pixel) {
    IDirect3DPixelShader9 *ps = nullptr;
    hr = dev->CreatePixelShader(tokens, &ps);
    *out = ps;
  } else {
    IDirect3DVertexShader9 *vs = nullptr;
    hr = dev->CreateVertexShader(tokens, &vs);
    *out = vs;
  }
  code->Release();
  if (FAILED(hr)) {
    Str_Format(err, errSize, "the device refused the %s shader (0x%08lX)", pixel ? "pixel" : "vertex", (unsigned long)hr);
    *out = nullptr;
    return false;
  }
  return true;
}

static void ReleaseShader(void *, void *shader) {
  if (shader) ((IUnknown *)shader)->Release();
}

static void SetShader(void *ctx, bool pixel, void *shader) {
  IDirect3DDevice9 *dev = Dev(ctx);
  if (!dev) return;
  if (pixel) dev->SetPixelShader((IDirect3DPixelShader9 *)shader);
  else dev->SetVertexShader((IDirect3DVertexShader9 *)shader);
}

static void SetConstants(void *ctx, bool pixel, i32 reg, const f32 *values, i32 count) {
  IDirect3DDevice9 *dev = Dev(ctx);
  if (!dev || count <= 0) return;
  if (pixel) dev->SetPixelShaderConstantF((UINT)reg, values, (UINT)count);
  else dev->SetVertexShaderConstantF((UINT)reg, values, (UINT)count);
}

static void SetTexture(void *ctx, i32 stage, void *texture) {
  IDirect3DDevice9 *dev = Dev(ctx);
  if (dev) dev->SetTexture((DWORD)stage, (IDirect3DBaseTexture9 *)texture);
}

static u32 GetState(void *ctx, u16 kind, u16 stage, u32 state) {
  IDirect3DDevice9 *dev = Dev(ctx);
  DWORD v = 0;
  if (!dev) return 0;
  if (kind == FXS_SAMPLER) dev->GetSamplerState(stage, (D3DSAMPLERSTATETYPE)state, &v);
  else dev->GetRenderState((D3DRENDERSTATETYPE)state, &v);
  return (u32)v;
}

static void SetState(void *ctx, u16 kind, u16 stage, u32 state, u32 value) {
  IDirect3DDevice9 *dev = Dev(ctx);
  if (!dev) return;
  if (kind == FXS_SAMPLER) dev->SetSamplerState(stage, (D3DSAMPLERSTATETYPE)state, value);
  else dev->SetRenderState((D3DRENDERSTATETYPE)state, value);
}

// The effect device tables (a few are enough: the program has one device, tests one more at
// a time) and whether Hlsl_Install added its release hook.
static struct {
  EffectDevice tables[4];
  int used;
  bool hooked;
} s_Effect;

const EffectDevice *Effect_DeviceFor(IDirect3DDevice9 **device) {
  EffectDevice *tables = s_Effect.tables;
  int &used = s_Effect.used;
  for (int i = 0; i < used; i++)
    if (tables[i].ctx == device) return &tables[i];
  EffectDevice *t = &tables[used < 4 ? used++ : 3];
  *t = {device, CreateShader, ReleaseShader, SetShader, SetConstants, SetTexture, GetState, SetState};
  return t;
}

// Effects and shader targets go together before every device reset.
static void ReleaseBeforeReset(void) {
  Hlsl_ReleaseEffects();
  Hlsl_ReleaseTargets();
  Hlsl_BumpResetFailures();
}

static void EffectMessageBox(const char *text, const char *caption) {
  Modal_MessageBox(g_Lib.mainWnd, text, caption, MB_OK);
}

void Hlsl_Install(void) {
  bool &hooked = s_Effect.hooked;
  g_Hlsl.device = Effect_DeviceFor(&g_Lib.device);
  g_Hlsl.messageBox = EffectMessageBox;
  Hlsl_Init();
  // The model drawing and the frame render reach the effect layer through their hooks.
  g_Hlsl.drawModel = Hlsl_DrawModel;
  Hlsl_InstallBoneHook();
  g_LibHooks.shaderFrame = Hlsl_RenderFrame;
  g_LibHooks.drawBumpSample = Hlsl_DrawBumpSample;
  g_LibHooks.releaseBumpSamples = Hlsl_BumpRelease;
  if (!hooked) {
    Draw_AddReleaseHook(ReleaseBeforeReset);
    hooked = true;
  }
}
