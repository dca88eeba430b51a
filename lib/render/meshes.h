// Render data derived from a model's polygons: the welded indexed mesh of render mode 2
// (IndexedMesh2), the bone-pair sub-meshes of mode 3 (PaletteMesh3), the weighted mesh of
// mode 4 (WeightedMesh4) and the displaced, refined copy of mode 7.
//
// Globals owned here, one entry per model slot (null = none): g_Meshes.indexed2,
// g_Meshes.palette3, g_Meshes.weighted4, g_Meshes.displaced. Only the builders and the free
// calls below change them; the per-frame pass writes the posed positions of IndexedMesh2.
//
// Welding: a corner joins an earlier vertex of the same list only when position and texture
// coordinates are exactly equal (-0 equals +0, NaN equals nothing); the first corner that
// creates a vertex decides its normal, colour and binding. The search is hashed and gives
// the same result as a scan from the first vertex.
#pragma once
#include "model/model3.h"
#include "model/types.h"

enum {
  PALETTE_SUBMESHES = 32,
  // Bones one palette of the bone effect holds (three constant registers each, beside the
  // effect's own twenty): a model with more bones is drawn in batches of at most this many.
  BONE_BATCH_BONES = 76,
};

// A polygon of a derived mesh: corner count and welded vertex indices.
struct MeshPoly {
  u8 cornerCount;
  u32 index[4];
};

struct MeshGroupList {
  i32 count;
  MeshPoly *polys;   // room for the group's polygons
};

// One draw of render mode 4 for a model with more bones than a palette holds: the
// polygons of one group whose corners name only the bones listed, with vertices of their own
// whose index bytes are positions in that list.
struct BoneBatch4 {
  i32 group;
  i32 boneCount;
  u8 bones[BONE_BATCH_BONES];  // model bone of each palette entry
  void *vertexBuffer;          // 44-byte vertices
  void *indexBuffer;
  i32 vertexCount;
  i32 indexCount;
};

// IndexedMesh2 and WeightedMesh4 (the same record; posed and work exist only in
// IndexedMesh2, the batches only in WeightedMesh4).
struct WeldedMesh {
  i32 vertexCount;
  i32 capacity;            // room of the per-vertex arrays (4 per polygon)
  Vec3 *positions;
  Vec3 *normals;           // zero when the model has no normal array
  Color4 *colors;          // 0..255, already scaled by the model colour
  Vec2 *uvs;
  VertexBinding *bindings; // the source vertex's binding
  i32 *sources;            // the model vertex each welded vertex was made from
  MeshGroupList groups[MODEL3_GROUPS];
  Vec3 *posed;             // IndexedMesh2: written by the per-frame pass
  Vec3 *work;              // IndexedMesh2: second work array
  BoneBatch4 *batches;     // WeightedMesh4 of more than BONE_BATCH_BONES bones (render-data set-up)
  i32 batchCount;
};
typedef WeldedMesh IndexedMesh2;
typedef WeldedMesh WeightedMesh4;

// One bone-pair sub-mesh of a group (mode 3).
struct SubMesh3 {
  i32 bone1, bone2;
  i32 vertexCount;
  Vec3 *positions;
  f32 *weights;            // weight of bone 1
  Vec3 *normals;
  Color4 *colors;
  Vec2 *uvs;
  i32 polygonCount;
  MeshPoly *polys;
  void *vertexBuffer;      // 40-byte vertices (render-data set-up)
  void *indexBuffer;
  i32 indexCount;
};

struct PaletteGroup3 {
  SubMesh3 subs[PALETTE_SUBMESHES];
  i32 subCount;
};

struct PaletteMesh3 {
  PaletteGroup3 groups[MODEL3_GROUPS];
  i32 vertexCount;         // size of vertexFlags
  i32 polygonCount;        // size of the polygon flag arrays
  u8 *vertexFlags;         // 1 = deformed on the CPU each frame
  u8 *mixedFlags;          // 1 = drawn from the posed arrays (corners on different bone pairs)
  u8 *normalFlags;         // 1 = touches a flagged vertex; face normal recomputed each frame
};

// The per-slot render meshes: written by the Mesh_ builders and releases (meshes.cpp,
// rebuild.cpp) only.
struct MeshState {
  WeldedMesh *indexed2[MODEL3_SLOTS];
  PaletteMesh3 *palette3[MODEL3_SLOTS];
  WeldedMesh *weighted4[MODEL3_SLOTS];
  Model3 *displaced[MODEL3_SLOTS];
};
extern MeshState g_Meshes;

// Colour of a corner (0..255 per channel): its vertex colour in vertex-colour mode 1, else
// the colour of group g; both scaled by the model colour / 255. Zero for a bad index.
Color4 Mesh_CornerColor(const Model3 *m, const PolyCorner *c, u32 g);
// A8R8G8B8 from channels truncated to integers (low 8 bits kept; NaN and huge values safe).
u32 Mesh_PackColor(const Color4 *c);
// True when every corner of the polygon indexes existing positions (the other indices are
// read through bounds-checked accessors).
bool Mesh_PolygonUsable(const Model3 *m, const Polygon3 *p);

// Builders and frees, by slot. Each build frees the slot's old record of its kind first;
// false when the slot has no model or memory ran out (the slot then has no record).
bool Draw_BuildIndexedMesh2(i32 slot);
void Draw_FreeIndexedMesh2(i32 slot);
bool Draw_BuildPaletteMesh3(i32 slot);
void Draw_FreePaletteMesh3(i32 slot);
bool Draw_BuildWeightedMesh4(i32 slot);
void Draw_FreeWeightedMesh4(i32 slot);

// The displaced copy of mode 7: refined refineLevel times, welded, each vertex moved along
// its first polygon's face normal by the height (first byte of the texel) * dispScale * 0.0005.
// False when the model has no displacement texture or its device texture is missing.
bool Draw_BuildDisplacedModel(i32 slot);
void Draw_FreeDisplacedModel(i32 slot);
// The height lookup: texel column max(trunc(W*u) - 1, 0) and row trunc(H*v), clamped into
// the texture (u, v wrapped into [0, 1] first). pitch in bytes.
u8 Mesh_SampleHeight(const u8 *bits, i32 pitch, i32 width, i32 height, f32 u, f32 v);
