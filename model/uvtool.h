// The texture-coordinate arithmetic both texture sub-modes share, on plain arrays of (u, v)
// pairs: the UV tools on the flagged entries (move, rotate, scale), the preview's zoom steps,
// the grid field's rule and the safe ratio the planar projections divide with.
//
// No editor state and no model type: the 3D editor passes its Vec2 array, the 2D editor its
// Bone2UV array (both two f32 per entry, u first).
#pragma once
#include "model/types.h"

// num / den, or 0 when |den| is below 1e-6 (a group of zero width or a scale dragged to 0
// would otherwise make every coordinate infinite).
f32 UvTool_Ratio(f32 num, f32 den);

// One drag step of (dx, dy) image pixels on the entries i < count with sel[i] set (i below
// selRoom). Move: 128 / texture size per 100 pixels; nothing for a texture of size 0.
void UvTool_Move(f32 *uv, i32 count, const u32 *sel, u32 selRoom, i32 texW, i32 texH, f32 dx, f32 dy);
// Rotate: by -(0.5 (dx - dy) zoom) degrees about the centre of a w x h frame (the texture
// panel's size); nothing when either is 0.
void UvTool_Rotate(f32 *uv, i32 count, const u32 *sel, u32 selRoom, f32 w, f32 h, f32 dx, f32 dy, f32 zoom);
// Scale: away from the centre by dx, -dy x zoom x 0.005.
void UvTool_Scale(f32 *uv, i32 count, const u32 *sel, u32 selRoom, f32 dx, f32 dy, f32 zoom);

// The preview's zoom steps for a texture of w x h texels: in while below 128 (the offset moves
// by half the image at the old zoom, then the zoom doubles), out while above 0.25 (the zoom
// halves, then the offset moves back by half the image at the new zoom). False when the zoom
// is already at its end.
bool UvTool_ZoomIn(f32 *zoom, i32 *x, i32 *y, i32 w, i32 h);
bool UvTool_ZoomOut(f32 *zoom, i32 *x, i32 *y, i32 w, i32 h);

// The grid step a field's text gives: its number, at least 1.
i32 UvTool_GridOf(const char *text);
