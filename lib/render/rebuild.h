// Model render data set-up: the device buffers each render mode draws from, built once
// after a model's render mode changed (its changed flag), and the additive blend switch.
//
// Buffers of a slot live in its ModelPose (group vertex buffers, group index buffers, element
// counts) and, for mode 3, in the sub-meshes of its PaletteMesh3. The byte images below are
// portable so that tests check them exactly:
//   36-byte vertex (modes 1, 2): position, normal, diffuse A8R8G8B8, u, v
//   40-byte vertex (mode 3):     position, weight of bone 1, normal, diffuse, u, v
//   44-byte vertex (mode 4):     position, weight of bone 1, bone indices (u32: bone 1 in
//                                byte 0, bone 2 in byte 1), normal, diffuse, u, v
// Index buffers hold 16-bit indices, or 32-bit ones when the vertices they address number
// more than 65,535.
#pragma once
#include "lib/render/meshes.h"
#include "model/model3.h"
#include "model/types.h"

enum { MESH_VERTEX36 = 36, MESH_VERTEX40 = 40, MESH_VERTEX44 = 44 };

void Mesh_WriteVertex36(u8 *dst, const Vec3 *pos, const Vec3 *normal, u32 diffuse, const Vec2 *uv);
void Mesh_WriteVertex40(u8 *dst, const Vec3 *pos, f32 weight, const Vec3 *normal, u32 diffuse, const Vec2 *uv);
void Mesh_WriteVertex44(u8 *dst, const Vec3 *pos, f32 weight, u32 bones, const Vec3 *normal, u32 diffuse,
                        const Vec2 *uv);
// The binding as the bone effect blends it, following the processor's skinning rule: bones
// outside the model count as bone 0; weight 1 is bone 1 alone, a weight outside (0, 1)
// bone 2 alone (both indices then name that bone).
void Mesh_EffectBinding(const VertexBinding *b, i32 boneCount, f32 *weight, u32 *bone1, u32 *bone2);
// Fan indices (0, t+1, t+2) of the polygons, written as 16- or 32-bit values; returns the count.
i32 Mesh_WriteFanIndices(void *dst, bool index32, const MeshPoly *polys, i32 count);
// Number of fan indices of the polygons: sum of 3 * (corners - 2).
i32 Mesh_FanIndexCount(const MeshPoly *polys, i32 count);
// True when indices into `vertices` vertices need 32 bits.
inline bool Mesh_NeedsIndex32(i32 vertices) { return vertices > 65535; }

// The render data of every slot whose model exists, has a pose record, has vertices and has
// its changed flag set (the flag is cleared). Called by the per-frame pass.
void Object_RebuildModelMeshes(void);
// The same for one slot (no checks of the changed flag).
void Render_RebuildSlot(i32 slot);
// Releases every device buffer of the slot's render data (group buffers, mode-3 sub-meshes,
// mode-4 batches) and sets its model's changed flag, so the next per-frame pass builds them
// again on the device then current.
void Render_ReleaseSlotBuffers(i32 slot);
// Connects the per-frame pass (lib/render/objects.h) to this set-up: the rebuild, the
// mode-2 welded vertices and the mode-3 CPU flags.
void Render_InstallPassHooks(void);
