// The bump-mapped pot (render mode 5) and ground (render mode 6): loading their meshes and
// textures and drawing them with their effects.
#include "lib/render/bump_win.h"

#include <d3d9.h>
#include <d3dx9.h>
#include <string.h>

#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/filename.h"
#include "lib/render/hlsl.h"
#include "lib/render/samplemesh_win.h"
#include "model/seam_timer.h"
#include "model/str.h"

static IDirect3DDevice9 *Dev(void) { return g_Lib.device; }

static void LoadErrorBox(const char *path) {
  if (g_Hlsl.messageBox) g_Hlsl.messageBox(path, "Load Error");
  Timer_Reset();
}

// [SECTION] pot

static const D3DVERTEXELEMENT9 kTeapotDecl[] = {
    {0, 0, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_POSITION, 0},
    {0, 12, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_NORMAL, 0},
    {0, 24, D3DDECLTYPE_FLOAT3, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TANGENT, 0},
    {0, 36, D3DDECLTYPE_FLOAT2, D3DDECLMETHOD_DEFAULT, D3DDECLUSAGE_TEXCOORD, 0},
    D3DDECL_END(),
};

static CD3DMesh *TeapotMesh(void) {
  if (!g_Bump.teapot.mesh) g_Bump.teapot.mesh = new CD3DMesh("CD3DFile_Mesh");
  return (CD3DMesh *)g_Bump.teapot.mesh;
}

// Our own tangents (D3DXComputeTangent is missing from Wine's D3DX); 16-bit indices only,
// which is what a mesh loaded without the 32-bit flag has.
static void ComputeTangents(ID3DXMesh *mesh) {
  if (mesh->GetOptions() & D3DXMESH_32BIT) return;
  u8 *vertices = nullptr;
  u16 *indices = nullptr;
  if (FAILED(mesh->LockVertexBuffer(0, (void **)&vertices))) return;
  if (SUCCEEDED(mesh->LockIndexBuffer(D3DLOCK_READONLY, (void **)&indices))) {
    Bump_ComputeTangents(vertices, mesh->GetNumBytesPerVertex(), mesh->GetNumVertices(), indices, mesh->GetNumFaces());
    mesh->UnlockIndexBuffer();
  }
  mesh->UnlockVertexBuffer();
}

void Hlsl_BumpTeapotLoad(void) {
  BumpTeapot &t = g_Bump.teapot;
  IDirect3DDevice9 *dev = Dev();
  if (!dev) return;
  char dir[LIB_TEXT_SIZE + 8];
  Str_Format(dir, sizeof dir, "%s\\Bump", g_Lib.dataDir);
  FileDlg_ChangeDir(dir);
  if (!t.normalMap) {
    IDirect3DTexture9 *tex = nullptr;
    if (FAILED(D3DXCreateTextureFromFileA(dev, "normal.bmp", &tex))) return;
    t.normalMap = tex;
  }
  if (!t.declaration) {
    IDirect3DVertexDeclaration9 *decl = nullptr;
    if (FAILED(dev->CreateVertexDeclaration(kTeapotDecl, &decl))) return;
    t.declaration = decl;
  }
  CD3DMesh *mesh = TeapotMesh();
  if (!mesh->sysMemMesh && FAILED(mesh->Create(dev, "t-pot.x"))) return;
  ID3DXMesh *clone = nullptr;
  if (SUCCEEDED(mesh->sysMemMesh->CloneMesh(mesh->sysMemMesh->GetOptions(), kTeapotDecl, dev, &clone))) {
    D3DXComputeNormals(clone, nullptr);
    ComputeTangents(clone);
    mesh->ReleaseDeviceMesh();
    mesh->localMesh = clone;
  }
  // The effect comes from its slot when drawn; loading it now shows its error at load time.
  Hlsl_GetEffect(HLSL_FX_BUMP);
  t.loaded = 1;
}

void Hlsl_BumpTeapotDraw(void) {
  BumpTeapot &t = g_Bump.teapot;
  IDirect3DDevice9 *dev = Dev();
  Effect *e = Hlsl_GetEffect(HLSL_FX_BUMP);
  CD3DMesh *mesh = TeapotMesh();
  if (!dev || !e || !mesh->localMesh) return;
  Mat4 view, proj;
  dev->GetTransform(D3DTS_VIEW, (D3DMATRIX *)view.f);
  dev->GetTransform(D3DTS_PROJECTION, (D3DMATRIX *)proj.f);
  Effect_SetTechnique(e, "TShader");
  Effect_Begin(e);
  Effect_Pass(e, 1);
  dev->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL);
  dev->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  dev->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  t.angle += 0.005f;
  Mat4 world, wv, wvp;
  f32 lightDir[4], eyePos[4];
  Bump_TeapotVectors(t.angle, &view, &world, lightDir, eyePos);
  Mat_Multiply(&wv, world, view);
  Mat_Multiply(&wvp, wv, proj);
  Effect_SetMatrix(e, "mWVP", &wvp);
  Effect_SetVector(e, "vLightDir", lightDir);
  Effect_SetVector(e, "vEyePos", eyePos);
  Effect_SetTexture(e, "NormalMap", t.normalMap);
  dev->SetVertexDeclaration((IDirect3DVertexDeclaration9 *)t.declaration);
  for (DWORD i = 0; i < mesh->numMaterials; i++) {
    const D3DCOLORVALUE &d = mesh->materials[i].Diffuse;
    const f32 color[4] = {d.r, d.g, d.b, 1.0f};
    Effect_SetVector(e, "vColor", color);
    Effect_SetTexture(e, "DecaleTex", mesh->textures[i]);
    mesh->localMesh->DrawSubset(i);
  }
  Effect_End(e);
}

// [SECTION] ground

static bool LoadTexture(const char *rel, void **out) {
  char path[LIB_TEXT_SIZE + 64];
  Str_Format(path, sizeof path, "%s\\%s", g_Lib.dataDir, rel);
  IDirect3DTexture9 *tex = nullptr;
  if (FAILED(D3DXCreateTextureFromFileA(Dev(), path, &tex))) {
    LoadErrorBox(path);
    return false;
  }
  *out = tex;
  return true;
}

static bool LoadGroundMesh(BumpGroundMesh *rec) {
  char path[LIB_TEXT_SIZE + 64];
  Str_Format(path, sizeof path, "%s\\%s", g_Lib.dataDir, "BumpGround\\BumpGround.x");
  ID3DXBuffer *materialBuffer = nullptr;
  ID3DXMesh *mesh = nullptr;
  DWORD count = 0;
  if (FAILED(D3DXLoadMeshFromXA(path, D3DXMESH_SYSTEMMEM, Dev(), nullptr, &materialBuffer, nullptr, &count, &mesh))) {
    LoadErrorBox(path);
    return false;
  }
  D3DMATERIAL9 *materials = new D3DMATERIAL9[count ? count : 1];
  void **textures = new void *[count ? count : 1];
  const D3DXMATERIAL *src = materialBuffer ? (const D3DXMATERIAL *)materialBuffer->GetBufferPointer() : nullptr;
  for (DWORD i = 0; i < count; i++) {
    textures[i] = nullptr;
    if (!src) continue;
    materials[i] = src[i].MatD3D;
    materials[i].Ambient = materials[i].Diffuse;
    const char *name = src[i].pTextureFilename;
    if (!name || !name[0]) continue;
    IDirect3DTexture9 *tex = nullptr;
    if (FAILED(D3DXCreateTextureFromFileA(Dev(), name, &tex))) {
      char up[300];
      Str_Format(up, sizeof up, "..\\%s", name);
      if (FAILED(D3DXCreateTextureFromFileA(Dev(), up, &tex))) tex = nullptr;
    }
    textures[i] = tex;
  }
  if (materialBuffer) materialBuffer->Release();
  rec->mesh = mesh;
  rec->materials = materials;
  rec->materialCount = count;
  rec->textures = textures;
  return true;
}

void Hlsl_BumpGroundLoad(void) {
  BumpGround &g = g_Bump.ground;
  // A failure is reported once; the next try waits for a device reset (not every frame).
  if (!Dev() || g.failed) return;
  g.failed = 1;
  if (!g.colorTexture && !LoadTexture("BumpGround\\BumpGround.jpg", &g.colorTexture)) return;
  if (!g.normalTexture && !LoadTexture("BumpGround\\BumpGroundNormal.tga", &g.normalTexture)) return;
  for (BumpGroundMesh &rec : g.meshes)
    if (!rec.mesh && !LoadGroundMesh(&rec)) return;
  g.failed = 0;
  g.loaded = 1;
}

void Hlsl_BumpGroundDraw(void) {
  BumpGround &g = g_Bump.ground;
  IDirect3DDevice9 *dev = Dev();
  Effect *e = Hlsl_GetEffect(HLSL_FX_BUMPGROUND);
  const BumpGroundMesh &rec = g.meshes[0];  // the first of the loaded meshes is the one drawn
  if (!dev || !e || !rec.mesh) return;
  Mat4 view, proj, world, wv, wvp;
  dev->GetTransform(D3DTS_VIEW, (D3DMATRIX *)view.f);
  dev->GetTransform(D3DTS_PROJECTION, (D3DMATRIX *)proj.f);
  dev->GetTransform(D3DTS_WORLD, (D3DMATRIX *)world.f);
  g.time += 0.01f;
  Effect_SetFloat(e, "g_fTime", g.time);
  Effect_SetTechnique(e, "RenderScene");
  Mat_Multiply(&wv, world, view);
  Mat_Multiply(&wvp, wv, proj);
  Effect_SetMatrix(e, "g_mWorldViewProjection", &wvp);
  Mat4 ground;
  f32 lightDir[4], lightInv[4], eyePos[4];
  Bump_GroundVectors(g.time, &view, &ground, lightDir, lightInv, eyePos);
  Effect_SetMatrix(e, "g_mWorld", &ground);
  Effect_SetMatrix(e, "g_mWorldInv", &ground);  // built with the angle -0: the same matrix
  u32 passes = Effect_Begin(e);
  for (u32 p = 0; p < passes; p++) {
    Effect_Pass(e, p);
    Effect_SetVector(e, "vLightDir", lightDir);
    Effect_SetVector(e, "vLightInv", lightInv);
    Effect_SetVector(e, "vEyePos", eyePos);
    for (u32 i = 0; i < rec.materialCount; i++) {
      Effect_SetTexture(e, "g_txScene", g.colorTexture);
      Effect_SetTexture(e, "g_tex_nor", g.normalTexture);
      ((ID3DXMesh *)rec.mesh)->DrawSubset(i);
    }
  }
  Effect_End(e);
}

void Hlsl_DrawBumpSample(u32 renderMode) {
  if (renderMode == 5) {
    if (!g_Bump.teapot.loaded) Hlsl_BumpTeapotLoad();
    else Hlsl_BumpTeapotDraw();
  } else if (renderMode == 6) {
    Hlsl_GetEffect(HLSL_FX_BUMPGROUND);
    if (!g_Bump.ground.loaded) Hlsl_BumpGroundLoad();
    else Hlsl_BumpGroundDraw();
  }
}

void Hlsl_BumpResetFailures(void) { g_Bump.ground.failed = 0; }

template <typename T>
static void ReleaseAs(void *&p) {
  if (p) ((T *)p)->Release();
  p = nullptr;
}

void Hlsl_BumpRelease(void) {
  BumpTeapot &t = g_Bump.teapot;
  ReleaseAs<IDirect3DTexture9>(t.normalMap);
  ReleaseAs<IDirect3DVertexDeclaration9>(t.declaration);
  delete (CD3DMesh *)t.mesh;  // its destructor releases the meshes and their textures
  t.mesh = nullptr;
  t.loaded = 0;
  BumpGround &g = g_Bump.ground;
  ReleaseAs<IDirect3DTexture9>(g.colorTexture);
  ReleaseAs<IDirect3DTexture9>(g.normalTexture);
  for (BumpGroundMesh &rec : g.meshes) {
    ReleaseAs<ID3DXMesh>(rec.mesh);
    for (u32 i = 0; rec.textures && i < rec.materialCount; i++) ReleaseAs<IDirect3DTexture9>(rec.textures[i]);
    delete[] (D3DMATERIAL9 *)rec.materials;
    delete[] rec.textures;
    rec = BumpGroundMesh{};
  }
  g.loaded = 0;
  g.failed = 0;
}
