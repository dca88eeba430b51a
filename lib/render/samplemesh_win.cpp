// CD3DMesh: loading an X file into system memory with its materials and textures.
#include "lib/render/samplemesh_win.h"

#include <string.h>

#include "lib/framework/framework_win.h"

CD3DMesh::CD3DMesh(const char *meshName)
    : sysMemMesh(nullptr), localMesh(nullptr), numMaterials(0), materials(nullptr), textures(nullptr),
      useMaterials(true) {
  Str_Copy(name, sizeof name, meshName ? meshName : "");
}

CD3DMesh::~CD3DMesh() { Destroy(); }

HRESULT CD3DMesh::Create(IDirect3DDevice9 *device, const char *file) {
  char path[260];
  Str_Copy(path, sizeof path, file);  // kept when the media search finds nothing
  DXUtil_FindMediaFile(path, sizeof path, file);
  ID3DXBuffer *adjacency = nullptr, *materialBuffer = nullptr;
  HRESULT hr = D3DXLoadMeshFromXA(path, D3DXMESH_SYSTEMMEM, device, &adjacency, &materialBuffer, nullptr,
                                  &numMaterials, &sysMemMesh);
  if (FAILED(hr)) return hr;
  // Compact and attribute sort only: the vertex-cache ordering is not implemented by every
  // runtime (Wine answers E_NOTIMPL) and changes nothing that is drawn.
  hr = sysMemMesh->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT,
                                   (const DWORD *)adjacency->GetBufferPointer(), nullptr, nullptr, nullptr);
  if (FAILED(hr)) {
    adjacency->Release();
    if (materialBuffer) materialBuffer->Release();
    return hr;
  }
  if (materialBuffer && numMaterials > 0) {
    const D3DXMATERIAL *src = (const D3DXMATERIAL *)materialBuffer->GetBufferPointer();
    materials = new D3DMATERIAL9[numMaterials];
    textures = new IDirect3DTexture9 *[numMaterials];
    for (DWORD i = 0; i < numMaterials; i++) {
      materials[i] = src[i].MatD3D;
      textures[i] = nullptr;
      if (src[i].pTextureFilename && src[i].pTextureFilename[0]) {
        char texPath[260];
        Str_Copy(texPath, sizeof texPath, src[i].pTextureFilename);
        DXUtil_FindMediaFile(texPath, sizeof texPath, src[i].pTextureFilename);
        if (FAILED(D3DXCreateTextureFromFileA(device, texPath, &textures[i]))) textures[i] = nullptr;
      }
    }
  }
  adjacency->Release();
  if (materialBuffer) materialBuffer->Release();
  return S_OK;
}

void CD3DMesh::ReleaseDeviceMesh() {
  if (localMesh) localMesh->Release();
  localMesh = nullptr;
}

void CD3DMesh::Destroy() {
  ReleaseDeviceMesh();
  for (DWORD i = 0; textures && i < numMaterials; i++)
    if (textures[i]) textures[i]->Release();
  delete[] textures;
  delete[] materials;
  textures = nullptr;
  materials = nullptr;
  if (sysMemMesh) sysMemMesh->Release();
  sysMemMesh = nullptr;
  numMaterials = 0;
}
