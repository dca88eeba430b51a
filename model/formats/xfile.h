// DirectX .x files: import through our own reader (xread.h), export through our own binary
// writer ("xof 0303bin 0032"); both the same on every platform.
//
// The import is split in two: the reader merges the file's meshes into plain arrays
// (XMeshData), the form a loaded mesh takes; XFile_BuildModel turns those into a model.
#pragma once
#include "model/bytes.h"
#include "model/model3.h"
#include "model/model_result.h"

enum {
  XFILE_MAX_MATERIALS = 127,
  XFILE_MAX_RANGES = 128,
  XFILE_MAX_VERTICES = 65535,   // indices are 16-bit on both sides
};

// Position, normal and one texture-coordinate pair: the 32-byte vertex of both directions.
struct XMeshVertex {
  f32 pos[3];
  f32 normal[3];
  f32 u, v;
};

struct XMaterial {
  f32 diffuse[4];     // r, g, b, a on 0..1
  char texture[256];  // texture file name, "" for none
};

// One entry of the mesh's attribute table: faces faceStart.. of material attribId.
struct XAttributeRange {
  u32 attribId;
  u32 faceStart;
  u32 faceCount;
};

struct XMeshData {
  const XMeshVertex *vertices;
  u32 vertexCount;
  const u32 *indices;   // three per face
  u32 faceCount;
  const XMaterial *materials;
  u32 materialCount;
  const XAttributeRange *ranges;
  u32 rangeCount;
};

// Fills a scratch model (made with full arrays) from a loaded mesh: positions x 5.0, one
// group and one texture entry per material (one white group for a mesh without materials),
// triangles grouped by their material; faces beyond the polygon limit are cut with a log
// line (the import, XFile_Parse, refuses them instead). False
// with a user-facing reason for meshes beyond the capacities or with indices past the
// vertices; the model is then left half-filled and must be discarded.
bool XFile_BuildModel(Model3 *m, const XMeshData *mesh, const char *path, char *reason, size_t reasonSize);

// Writes the model as a binary X file image: one mesh of unshared fan-triangle vertices
// (positions / 5.0) with normals and texture coordinates and one white material that
// names texture entry 1 when it is used. False (reason set) past 65,535 vertices.
bool XFile_WriteBinary(const Model3 *m, ByteWriter *w, char *reason, size_t reasonSize);

// Exports the model of a slot: 1 after the file was written, -1 when the slot is empty or
// the model cannot be written (with the refusal in *res); a failed save leaves the old file
// as it was.
i32 XFile_Export(i32 slot, const char *path, ModelResult *res);

// Imports an X file into a slot: 1 on success, 0x80004005 when the file cannot be read
// (missing, not an X file, or damaged: the last with a message in *res), -1 when the mesh is
// beyond what a model holds (with a message); the slot is left as it was unless 1.
i32 XFile_Import(i32 slot, const char *path, ModelResult *res);
