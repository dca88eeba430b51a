// The frame render: fills the back buffer for one frame (the frame step presents it).
//
// The fixed-function path draws, inside one BeginScene/EndScene: the 3D object sets, the
// scene objects, blob, ground and stencil shadows and the edge outlines; the scene
// call of the request; the 2D bone models, 2D object models and the request's images; its
// overlay call, the queued screen text, the white 640x480 outlines and the brightness cover. With the
// shaderMode option the effect layer's shader frame (g_LibHooks.shaderFrame) takes the
// place of the 3D passes.
#pragma once
#include "lib/framework/view_record.h"
#include "model/types.h"

struct FrameRequest;

// Renders one frame of the view req asks for; the device result (< 0 when BeginScene failed),
// 0 when nothing was to be drawn (a video plays) or the frame was drawn.
i32 Lib_RenderFrame(const FrameRequest *req);
// Texture stage 1 for toon shading from the light vector.
void Draw_SetupToonStage(void);
// The stage-1 texture matrix of the toon stage: LookAt(origin, light, up) x RotationX(-pi/2)
// x Scaling(0.49, -0.49, 1) x Translation(0.5, 0.5, 0); up is (0, 1, 0), or (-y, 0, 0) when
// the light's x and z are both 0.
void Render_ToonMatrix(f32 out[16], const f32 light[3]);
