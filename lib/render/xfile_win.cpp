// X files: the platform half of the import. D3DX loads the mesh, which is brought into the
// 32-byte position/normal/UV layout, sorted by material, and handed to XFile_BuildModel.
#include <windows.h>
#include <d3dx9.h>

#include <vector>

#include "lib/framework/lib.h"
#include "model/formats/fmt_local.h"
#include "model/formats/xfile.h"
#include "model/seam.h"

static const DWORD kXVertexFormat = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;   // 0x112
static const i32 kLoadFailed = (i32)0x80004005;

template <typename T>
static void ReleaseCom(T *&p) {
  if (p) p->Release();
  p = nullptr;
}

// Brings the mesh into the 32-byte layout (a clone with the mesh's own options).
static bool ToVertexFormat(ID3DXMesh **mesh) {
  if ((*mesh)->GetFVF() == kXVertexFormat) return true;
  ID3DXMesh *clone = nullptr;
  if (FAILED((*mesh)->CloneMeshFVF((*mesh)->GetOptions(), kXVertexFormat, g_Device, &clone))) return false;
  (*mesh)->Release();
  *mesh = clone;
  return true;
}

static void CopyMaterials(ID3DXBuffer *buffer, DWORD count, std::vector<XMaterial> *out) {
  out->resize(count);
  const D3DXMATERIAL *mats = buffer ? (const D3DXMATERIAL *)buffer->GetBufferPointer() : nullptr;
  for (DWORD i = 0; i < count; i++) {
    XMaterial &m = (*out)[i];
    const D3DCOLORVALUE d = mats ? mats[i].MatD3D.Diffuse : D3DCOLORVALUE{1, 1, 1, 1};
    m.diffuse[0] = d.r;
    m.diffuse[1] = d.g;
    m.diffuse[2] = d.b;
    m.diffuse[3] = d.a;
    Str_Copy(m.texture, sizeof m.texture, mats ? mats[i].pTextureFilename : nullptr);
  }
}

// Reads vertices, indices and the attribute table of the sorted mesh. Indices are kept
// 16-bit; a 32-bit index past 65,535 is left for the vertex check to refuse.
static bool ReadMesh(ID3DXMesh *mesh, std::vector<XMeshVertex> *vertices, std::vector<u16> *indices,
                     std::vector<XAttributeRange> *ranges) {
  DWORD rangeCount = 0;
  if (FAILED(mesh->GetAttributeTable(nullptr, &rangeCount))) return false;
  std::vector<D3DXATTRIBUTERANGE> table(rangeCount);
  if (rangeCount && FAILED(mesh->GetAttributeTable(table.data(), &rangeCount))) return false;
  for (const D3DXATTRIBUTERANGE &r : table) ranges->push_back({r.AttribId, r.FaceStart, r.FaceCount});

  if (mesh->GetNumBytesPerVertex() != sizeof(XMeshVertex)) return false;
  DWORD vertexCount = mesh->GetNumVertices();
  DWORD faceCount = mesh->GetNumFaces();
  void *data = nullptr;
  if (FAILED(mesh->LockVertexBuffer(D3DLOCK_READONLY, &data))) return false;
  vertices->assign((const XMeshVertex *)data, (const XMeshVertex *)data + vertexCount);
  mesh->UnlockVertexBuffer();

  bool wide = (mesh->GetOptions() & D3DXMESH_32BIT) != 0;
  if (FAILED(mesh->LockIndexBuffer(D3DLOCK_READONLY, &data))) return false;
  indices->resize((size_t)faceCount * 3);
  for (size_t i = 0; i < indices->size(); i++) {
    u32 index = wide ? ((const u32 *)data)[i] : ((const u16 *)data)[i];
    (*indices)[i] = index > 0xFFFF ? (u16)0xFFFF : (u16)index;
  }
  mesh->UnlockIndexBuffer();
  return true;
}

i32 XFile_Import(i32 slot, const char *path) {
  if (slot < 0 || slot >= MODEL3_SLOTS || !path || !path[0] || !g_Device) return kLoadFailed;
  ID3DXMesh *mesh = nullptr;
  ID3DXBuffer *adjacency = nullptr, *materials = nullptr;
  DWORD materialCount = 0;
  if (FAILED(D3DXLoadMeshFromXA(path, D3DXMESH_SYSTEMMEM, g_Device, &adjacency, &materials, nullptr,
                                &materialCount, &mesh)))
    return kLoadFailed;

  i32 result = -1;
  std::vector<XMaterial> mats;
  std::vector<XMeshVertex> vertices;
  std::vector<u16> indices;
  std::vector<XAttributeRange> ranges;
  CopyMaterials(materials, materialCount, &mats);
  if (ToVertexFormat(&mesh) &&
      SUCCEEDED(mesh->OptimizeInplace(D3DXMESHOPT_ATTRSORT, (const DWORD *)adjacency->GetBufferPointer(), nullptr,
                                      nullptr, nullptr)) &&
      ReadMesh(mesh, &vertices, &indices, &ranges)) {
    XMeshData data = {vertices.data(), (u32)vertices.size(), indices.data(), (u32)(indices.size() / 3),
                      mats.data(), (u32)mats.size(), ranges.data(), (u32)ranges.size()};
    char reason[256] = "";
    Model3 *m = Fmt_NewModel();
    if (m && XFile_BuildModel(m, &data, path, reason, sizeof reason)) {
      result = Fmt_Commit(slot, m, path);
      m = nullptr;
    } else if (reason[0]) {
      Lib_ErrorBox(reason);
    }
    Model3_Free(m);
  }
  ReleaseCom(materials);
  ReleaseCom(adjacency);
  ReleaseCom(mesh);
  return result;
}

static bool ImportThroughSeam(i32 slot, const char *path) { return XFile_Import(slot, path) == 1; }

void XFile_InstallSeam(void) { g_Seam.importX = ImportThroughSeam; }
