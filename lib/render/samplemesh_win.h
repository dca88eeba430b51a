// CD3DMesh: an X-file mesh with its materials and textures, the mesh of the pot sample
// (Windows build only).
#pragma once
#include <d3d9.h>
#include <d3dx9.h>

class CD3DMesh {
 public:
  char name[512];
  ID3DXMesh *sysMemMesh;
  ID3DXMesh *localMesh;   // the device mesh drawn
  DWORD numMaterials;
  D3DMATERIAL9 *materials;
  IDirect3DTexture9 **textures;
  bool useMaterials;

  explicit CD3DMesh(const char *meshName);
  virtual ~CD3DMesh();
  // Loads the file (found through the media search), optimises it and loads its textures.
  HRESULT Create(IDirect3DDevice9 *device, const char *file);
  void ReleaseDeviceMesh();
  void Destroy();
};
