// Off-screen render targets, the full-screen quad and the stencil shadow-volume passes.
//
// Global owned here: g_Target: the render-target slots (8), the screen quad (4 vertices of the
// full-screen quad, XYZRHW | DIFFUSE), the shadow volumes (per scene object the volume's
// triangle positions, filled by the shadow-volume builder) and the release hooks.
#pragma once
#include "model/types.h"

enum { RENDER_TARGETS = 8, SHADOW_VOLUME_OBJECTS = 512, DRAW_RELEASE_HOOKS = 8 };

struct RenderTargetSlot {
  u32 clearFlag;
  u32 state;      // 0 after creation
  u32 width;
  u32 height;
  void *texture;  // A8R8G8B8, render-target usage, default pool, one level
  void *surface;  // its level-0 surface
};

struct QuadVertex {
  f32 x, y, z, rhw;
  u32 color;
};
static_assert(sizeof(QuadVertex) == 20, "QuadVertex layout");
enum : u32 { FVF_QUADVERTEX = 0x004 | 0x040 };

struct ShadowVolume {
  i32 count;        // vertices (three per triangle)
  f32 *positions;   // x, y, z per vertex
};
// Render targets, the screen quad and the shadow volumes: written by the Draw_ target and
// shadow calls (target.cpp, render/shadow.cpp).
struct TargetState {
  void (*releaseHooks[DRAW_RELEASE_HOOKS])(void);  // Draw_AddReleaseHook
  QuadVertex screenQuad[4];
  RenderTargetSlot slots[RENDER_TARGETS];
  ShadowVolume shadowVolumes[SHADOW_VOLUME_OBJECTS];
};
extern TargetState g_Target;

void Draw_FlagTargetForClear(i32 i);
void Draw_CreateTarget(i32 i);
void Draw_CreateAllTargets(void);
void Draw_ReleaseTarget(i32 i);
void Draw_ReleaseAllTargets(void);
// Before a device reset: the shader passes' resources (each owner registers its release).
void Draw_ReleaseShaderTargets(void);
void Draw_AddReleaseHook(void (*release)(void));

// (0, H), (0, 0), (W, H), (W, 0) of the frame in the library's quad colour.
void Draw_FillScreenQuad(void);
// Stores the edge (a, b) at edges[*count] and counts it.
void Shadow_AddEdge(u16 *edges, i32 *count, u16 a, u16 b);
void Shadow_StencilVolumePass(void);
void Shadow_DrawVolumes(void);
void Shadow_DarkenStencil(void);
