// Texture coordinates of 3D models: the group projection by mapping mode, the three unfolds
// of the texture sub-mode, the UV tools (move, rotate, scale) on the selected coordinates,
// the corner rotation of selected faces and the rules of the model's texture table.
//
// Everything here works on a Model3 alone (no editor state, no window), so the texture
// sub-mode (ed3d_tex.cpp) and the 2D editor's twin share one arithmetic and the tests and
// the benchmark call it directly. Corners whose position, normal or UV index lies outside its
// array are skipped; a zero extent or texture size never divides.
#pragma once
#include "model/model3.h"
#include "model/types.h"

enum : u8 {
  UV_MAP_FRONT = 0, UV_MAP_TOP = 1, UV_MAP_SIDE = 2, UV_MAP_CYLINDER = 3, UV_MAP_SPHERE = 4,
  UV_MAP_PER_FACE = 5, UV_MAP_BY_HAND = 10,
};

// Recomputes the texture coordinates of group g from its mapping mode (modes 0..5; mode 10
// and other values write nothing). Each corner of the group first gets a UV entry no other
// corner uses (Uv_OwnGroupEntries). Cylinder and sphere mappings also close the seam: a
// triangle of the group becomes a quad whose fourth corner repeats its first. False for a
// group out of range, and, with the model unchanged, when the UV array has no room for the
// entries the group's corners need (the caller says why).
bool Uv_ProjectGroup(Model3 *m, i32 g);
// Gives every corner of group g that shares its UV entry with another corner a copy of that
// entry of its own, appended. False, with the model unchanged, past g_MaxVertices entries.
bool Uv_OwnGroupEntries(Model3 *m, i32 g);
// The same for the model in a slot (the texture sub-mode's "project the group").
bool Ed3D_ProjectGroupUV(i32 slot, i32 g);

// Vertex unfold: every corner of the selected faces gets a new UV entry (appended after the
// existing ones) from its position's x and y within the bounds of all polygons; a face whose
// corners all have z >= 0 takes the right half of the image, the others the left half.
// False, with the model unchanged, when the UV array has no room (the caller says why).
bool Uv_VertexUnfold(Model3 *m, const u32 *selFaces, u32 faceFlags);
// UV entries the vertex unfold of this selection appends.
i32 Uv_VertexUnfoldNeed(const Model3 *m, const u32 *selFaces, u32 faceFlags);
// Normal unfold: the UV entry of every corner of the selected faces from the corner's normal.
void Uv_NormalUnfold(Model3 *m, const u32 *selFaces, u32 faceFlags);
// Cylinder unfold of group g (angle around y, height from the top) with the seam closed.
void Uv_CylinderUnfold(Model3 *m, i32 g);

// Corner k's UV index of every selected face moves to corner k + 1, the last to corner 0.
void Uv_RotateFaceUVs(Model3 *m, const u32 *selFaces, u32 faceFlags);

// The UV tools on the selected coordinates (flags per UV entry), one drag step of (dx, dy)
// image pixels. Move: by 128 / texture size per 100 pixels (nothing for a texture of size 0).
// Rotate: by 0.5 (dx - dy) s degrees about the centre in a frame of w x h (the texture
// panel's size; nothing when either is 0). Scale: away from the centre by dx, dy x s x 0.005.
void Uv_MoveSelected(Model3 *m, const u32 *selUVs, u32 uvFlags, i32 texW, i32 texH, f32 dx, f32 dy);
void Uv_RotateSelected(Model3 *m, const u32 *selUVs, u32 uvFlags, f32 w, f32 h, f32 dx, f32 dy, f32 s);
void Uv_ScaleSelected(Model3 *m, const u32 *selUVs, u32 uvFlags, f32 dx, f32 dy, f32 s);

// [SECTION] the texture table (entry 0 stands for no texture)
// Entry n := the name, in use; the count grows when n is the count. False for entry 0, an
// entry above the count or a full table.
bool Uv_SetTextureEntry(Model3 *m, i32 n, const char *name);
// Removes entry t (1..count-1): the later entries move down, the freed last entry is cleared;
// groups, the displacement texture and the group keys of every motion that name t get 0, those
// above t one less. False for entry 0 or one out of range.
bool Uv_DeleteTexture(Model3 *m, i32 t);
