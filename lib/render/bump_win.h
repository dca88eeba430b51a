// The bump-mapped samples drawn for render modes 5 and 6 (Windows build only).
#pragma once
#include "lib/render/bump.h"

// The pot (mode 5): the first call loads it (from "<data>\Bump", which stays the current
// folder), later calls draw it. Inside the scene, with the view's transforms set.
void Hlsl_BumpTeapotLoad(void);
void Hlsl_BumpTeapotDraw(void);
// The ground (mode 6): textures and mesh from "<data>\BumpGround"; drawn with the
// "BumpGround.fx" effect slot.
void Hlsl_BumpGroundLoad(void);
void Hlsl_BumpGroundDraw(void);
// What the model drawing calls for a model of render mode 5 or 6: load or draw.
void Hlsl_DrawBumpSample(u32 renderMode);
// Lets a failed ground load try (and report) again; run before every device reset.
void Hlsl_BumpResetFailures(void);
// Releases both samples' meshes, textures and declaration; the next draw loads them again
// (before the device is replaced by another).
void Hlsl_BumpRelease(void);
