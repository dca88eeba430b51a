// The shader frame on Direct3D 9 (Windows build only): its 1024 x 1024 work targets and the
// HLSL_3D / HLSL_2D passes.
#pragma once
#include <d3d9.h>

#include "lib/render/hlsl.h"

enum { HLSL_WORK_TARGETS = 6, HLSL_TARGET_SIZE = 1024 };

struct HlslTargets {
  bool recreate;  // set at start and by every release; cleared when they are made
  IDirect3DTexture9 *work[HLSL_WORK_TARGETS];
  IDirect3DSurface9 *workSurface[HLSL_WORK_TARGETS];
  IDirect3DSurface9 *depth;        // shared D16 of the work targets
  IDirect3DTexture9 *shadowMap;    // R32F, else R16F, else none
  IDirect3DSurface9 *shadowSurface;
  IDirect3DSurface9 *shadowDepth;
};
extern HlslTargets g_HlslTargets;

// Makes the targets when the re-create flag is set (logging the shadow-map format tried).
void Hlsl_CreateTargets(void);
// Releases every target and sets the re-create flag (before a device reset).
void Hlsl_ReleaseTargets(void);

// The shader path's part of the frame, between BeginScene and the application's hooks.
void Hlsl_RenderFrame(void);
void Hlsl_RenderFrame3D(void);
// Every shown scene object with a model, once per pass of the effect's current technique.
void Hlsl_DrawObjectPasses(Effect *effect);
