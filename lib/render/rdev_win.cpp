// Direct3D 9 calls behind g_Dev.render: managed write-only buffers, scene, clear, material,
// point light, viewport and the indexed draws of the model renderers.
#include "lib/render/rdev_win.h"

#include <d3d9.h>
#include <string.h>

#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/render/rdev.h"

#define SAME_VALUE(ours, platform) static_assert((int)(ours) == (int)(platform), #ours)
SAME_VALUE(DRS_SPECULARENABLE, D3DRS_SPECULARENABLE);
SAME_VALUE(DRS_AMBIENT, D3DRS_AMBIENT);
SAME_VALUE(DRS_VERTEXBLEND, D3DRS_VERTEXBLEND);
SAME_VALUE(DRS_INDEXEDVERTEXBLENDENABLE, D3DRS_INDEXEDVERTEXBLENDENABLE);
SAME_VALUE(DVBF_1WEIGHTS, D3DVBF_1WEIGHTS);
SAME_VALUE(DTSS_TEXCOORDINDEX, D3DTSS_TEXCOORDINDEX);
SAME_VALUE(DTSS_TEXTURETRANSFORMFLAGS, D3DTSS_TEXTURETRANSFORMFLAGS);
SAME_VALUE(DTSS_TCI_CAMERASPACENORMAL, D3DTSS_TCI_CAMERASPACENORMAL);
SAME_VALUE(DTTFF_COUNT2, D3DTTFF_COUNT2);
SAME_VALUE(DTA_CURRENT, D3DTA_CURRENT);
SAME_VALUE(DTS_TEXTURE1, D3DTS_TEXTURE1);
SAME_VALUE(DTS_WORLD1, D3DTS_WORLDMATRIX(1));
SAME_VALUE(DCLEAR_TARGET, D3DCLEAR_TARGET);
SAME_VALUE(DCLEAR_ZBUFFER, D3DCLEAR_ZBUFFER);
SAME_VALUE(DCLEAR_STENCIL, D3DCLEAR_STENCIL);
SAME_VALUE(DFVF_XYZB1, D3DFVF_XYZB1);
SAME_VALUE(DFVF_XYZB2, D3DFVF_XYZB2);
SAME_VALUE(DFVF_LASTBETA_UBYTE4, D3DFVF_LASTBETA_UBYTE4);

static IDirect3DDevice9 **s_Device;
static IDirect3DDevice9 *Dev() { return s_Device ? *s_Device : nullptr; }

static void *CreateVB(u32 bytes) {
  IDirect3DVertexBuffer9 *vb = nullptr;
  if (!Dev() || FAILED(Dev()->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, 0, D3DPOOL_MANAGED, &vb, nullptr)))
    return nullptr;
  return vb;
}

static void *CreateIB(u32 bytes, bool index32) {
  IDirect3DIndexBuffer9 *ib = nullptr;
  if (!Dev() || FAILED(Dev()->CreateIndexBuffer(bytes, D3DUSAGE_WRITEONLY, index32 ? D3DFMT_INDEX32 : D3DFMT_INDEX16,
                                               D3DPOOL_MANAGED, &ib, nullptr)))
    return nullptr;
  return ib;
}

static void *LockVB(void *b) {
  void *p = nullptr;
  if (FAILED(((IDirect3DVertexBuffer9 *)b)->Lock(0, 0, &p, 0))) return nullptr;
  return p;
}
static void UnlockVB(void *b) { ((IDirect3DVertexBuffer9 *)b)->Unlock(); }
static void *LockIB(void *b) {
  void *p = nullptr;
  if (FAILED(((IDirect3DIndexBuffer9 *)b)->Lock(0, 0, &p, 0))) return nullptr;
  return p;
}
static void UnlockIB(void *b) { ((IDirect3DIndexBuffer9 *)b)->Unlock(); }

static i32 BeginScene(void) { return Dev() ? (i32)Dev()->BeginScene() : (i32)D3DERR_INVALIDCALL; }
static void EndScene(void) { if (Dev()) Dev()->EndScene(); }
static void Clear(u32 flags, u32 color, f32 z, u32 stencil) {
  if (Dev()) Dev()->Clear(0, nullptr, flags, color, z, stencil);
}
static void SetViewport(const DrawViewport *v) {
  D3DVIEWPORT9 vp = {v->x, v->y, v->width, v->height, v->minZ, v->maxZ};
  if (Dev()) Dev()->SetViewport(&vp);
}
static D3DCOLORVALUE Col(const RenderColor &c) { return D3DCOLORVALUE{c.r, c.g, c.b, c.a}; }
static void SetMaterial(const RenderMaterial *m) {
  D3DMATERIAL9 mt = {Col(m->diffuse), Col(m->ambient), Col(m->specular), Col(m->emissive), m->power};
  if (Dev()) Dev()->SetMaterial(&mt);
}
static void SetLight(u32 index, const RenderLight *l) {
  D3DLIGHT9 d;
  memset(&d, 0, sizeof d);
  d.Type = D3DLIGHT_POINT;
  d.Diffuse = Col(l->diffuse);
  d.Specular = Col(l->specular);
  d.Ambient = Col(l->ambient);
  d.Position = D3DVECTOR{l->position[0], l->position[1], l->position[2]};
  d.Direction = D3DVECTOR{l->direction[0], l->direction[1], l->direction[2]};
  d.Range = l->range;
  d.Attenuation0 = l->attenuation[0];
  d.Attenuation1 = l->attenuation[1];
  d.Attenuation2 = l->attenuation[2];
  if (Dev()) Dev()->SetLight(index, &d);
}
static void EnableLight(u32 index, bool on) { if (Dev()) Dev()->LightEnable(index, on); }
static void SetStream(void *b, u32 stride) {
  if (Dev()) Dev()->SetStreamSource(0, (IDirect3DVertexBuffer9 *)b, 0, stride);
}
static void SetIndices(void *b) { if (Dev()) Dev()->SetIndices((IDirect3DIndexBuffer9 *)b); }
static void DrawPrim(u32 type, u32 start, u32 count) {
  if (Dev()) Dev()->DrawPrimitive((D3DPRIMITIVETYPE)type, start, count);
}
static void DrawIndexed(u32 type, u32 numVertices, u32 startIndex, u32 count) {
  if (Dev()) Dev()->DrawIndexedPrimitive((D3DPRIMITIVETYPE)type, 0, 0, numVertices, startIndex, count);
}
static void SoftwareVP(bool on) { if (Dev()) Dev()->SetSoftwareVertexProcessing(on); }

void Render_InstallDeviceFor(IDirect3DDevice9 **device) {
  s_Device = device;
  RenderDev &r = g_Dev.render;
  r.createVertexBuffer = CreateVB;
  r.createIndexBuffer = CreateIB;
  r.lockVertexBuffer = LockVB;
  r.unlockVertexBuffer = UnlockVB;
  r.lockIndexBuffer = LockIB;
  r.unlockIndexBuffer = UnlockIB;
  r.beginScene = BeginScene;
  r.endScene = EndScene;
  r.clear = Clear;
  r.setViewport = SetViewport;
  r.setMaterial = SetMaterial;
  r.setLight = SetLight;
  r.enableLight = EnableLight;
  r.setStreamSource = SetStream;
  r.setIndices = SetIndices;
  r.drawPrimitive = DrawPrim;
  r.drawIndexedPrimitive = DrawIndexed;
  r.setSoftwareVertexProcessing = SoftwareVP;
}

void Render_InstallDevice(void) { Render_InstallDeviceFor(&g_Lib.device); }
