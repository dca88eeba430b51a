// Fuzz target: building a model from arbitrary mesh arrays (counts, indices, attribute
// ranges and material names as a loaded X file could hand them over).
#include <string.h>

#include <vector>

#include "model/formats/fmt_local.h"
#include "model/formats/xfile.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  static bool ready = false;
  if (!ready) {
    g_MaxPolygons = 512;
    g_MaxVertices = 2048;
    ready = true;
  }
  ByteReader r;
  Rd_Init(&r, data, size);
  u32 vertexCount = Rd_U16(&r) % 300;
  u32 faceCount = Rd_U16(&r) % 600;
  u32 materialCount = Rd_U8(&r);
  u32 rangeCount = Rd_U8(&r);
  std::vector<XMeshVertex> vertices(vertexCount);
  for (XMeshVertex &v : vertices) Rd_Bytes(&r, &v, sizeof v);
  std::vector<u32> indices((size_t)faceCount * 3);
  for (u32 &i : indices) i = Rd_U16(&r);
  std::vector<XMaterial> materials(materialCount);
  for (XMaterial &m : materials) {
    Rd_Bytes(&r, m.diffuse, sizeof m.diffuse);
    Rd_Name(&r, m.texture, sizeof m.texture);
  }
  std::vector<XAttributeRange> ranges(rangeCount);
  for (XAttributeRange &a : ranges) a = {Rd_U32(&r), Rd_U32(&r), Rd_U32(&r)};
  XMeshData mesh = {vertices.data(), vertexCount, indices.data(), faceCount, materials.data(), materialCount,
                    ranges.data(), rangeCount};
  Model3 *m = Fmt_NewModel();
  char reason[256];
  XFile_BuildModel(m, &mesh, "fuzz.x", reason, sizeof reason);
  ByteWriter w = {};
  XFile_WriteBinary(m, &w, reason, sizeof reason);
  Wr_Free(&w);
  Model3_Free(m);
  return 0;
}
