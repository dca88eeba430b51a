// DirectX .x file reader: text ("txt "), binary ("bin ") and their MSZIP-compressed forms
// ("tzip", "bzip"), with 32- or 64-bit floats.
//
// The file is tokenised as the format defines it; templates need not be declared. Every
// mesh of the file (top-level or inside frames, each frame's FrameTransformMatrix applied
// down the hierarchy) is merged into one mesh of 32-byte vertices: a vertex whose faces give
// it several normals is duplicated per normal, polygons become fans of triangles, and the
// triangles are sorted by material with one attribute range per material, as the platform's
// mesh loader hands a file over. Materials are taken in file order (references to named
// top-level materials resolved), with their diffuse colour and texture file name. Objects the
// import has no use for (skinning, animation, vertex colours, duplication indices, ...) are
// skipped whole.
#pragma once
#include <vector>

#include "model/formats/xfile.h"

struct XReadMesh {
  std::vector<XMeshVertex> vertices;
  std::vector<u32> indices;   // three per triangle
  std::vector<XMaterial> materials;
  std::vector<XAttributeRange> ranges;
};

enum XReadResult {
  XREAD_OK = 0,
  XREAD_NOT_X,     // no X file header: nothing said
  XREAD_DAMAGED,   // an X file that cannot be read: reason says why and where
};

// Reads the file image into out. path only names the file in the reason.
XReadResult XRead_Parse(const u8 *data, size_t size, const char *path, XReadMesh *out, char *reason,
                        size_t reasonSize);
// The arrays of a read mesh as XFile_BuildModel takes them (out points into mesh).
void XRead_View(const XReadMesh *mesh, XMeshData *out);
