// The two bump-mapped samples of render modes 5 (the pot) and 6 (the ground): their records
// and the light and eye vectors they feed to their effects.
//
// Portable: records and arithmetic. The meshes, textures and draws are in bump_win.cpp.
// g_Bump.teapot / g_Bump.ground are changed only by the sample loads and draws.
#pragma once
#include "model/math.h"
#include "model/types.h"

struct BumpTeapot {
  u8 loaded;            // 0 until a load got its texture, declaration and mesh
  f32 angle;            // radians, +0.005 per draw
  void *normalMap;      // IDirect3DTexture9
  void *declaration;    // IDirect3DVertexDeclaration9
  void *mesh;           // CD3DMesh
};

enum { BUMP_GROUND_MESHES = 3 };

struct BumpGroundMesh {
  void *mesh;           // ID3DXMesh
  void *materials;      // D3DMATERIAL9 array (owned)
  u32 materialCount;
  void **textures;      // one per material, null where none loaded
};

struct BumpGround {
  u8 loaded;
  u8 failed;            // a load failed: not retried (nor reported again) until the next reset
  f32 time;             // +0.01 per draw
  void *colorTexture;
  void *normalTexture;
  BumpGroundMesh meshes[BUMP_GROUND_MESHES];
};

// The bump-mapping samples: written by the Bump_ calls (bump.cpp, bump_win.cpp) only.
struct BumpState {
  BumpTeapot teapot;
  BumpGround ground;
};
extern BumpState g_Bump;

// General 4x4 inverse; false (out = identity) for a singular matrix.
bool Bump_Invert(Mat4 *out, const Mat4 *m);
// Row vector (x, y, z, w) times m.
void Bump_Transform(f32 out[4], const f32 v[4], const Mat4 *m);

// The pot's world (rotation about y by angle) and its effect vectors: "vLightDir" =
// (-1, -1, 1, 0) through the inverse world, normalised, w -0.7; "vEyePos" = the origin
// through the inverse of world x view.
void Bump_TeapotVectors(f32 angle, const Mat4 *view, Mat4 *world, f32 lightDir[4], f32 eyePos[4]);
// The ground's world G = translation (0, 19, -55) and the orbiting light at time t:
// L = (50 cos 5t, -50 sin 5t, -10, 0); "vLightDir" = L through the inverse of G,
// "vLightInv" = L through G (both normalised, w -0.3); "vEyePos" = the origin through the
// inverse of G x view with z := -10.
void Bump_GroundVectors(f32 t, const Mat4 *view, Mat4 *world, f32 lightDir[4], f32 lightInv[4], f32 eyePos[4]);

// Per-vertex tangents (direction of rising u) of an indexed triangle list whose vertices lie
// `stride` bytes apart with position at byte 0, normal at 12, tangent at 24 and texture
// coordinates at 36 (the pot's layout): accumulates each triangle's u direction on its
// corners, then keeps the part perpendicular to the normal, normalised (any perpendicular
// when there is none). Indices at or beyond vertexCount are skipped.
void Bump_ComputeTangents(u8 *vertices, u32 stride, u32 vertexCount, const u16 *indices, u32 triangleCount);
