// View navigation by mouse drags, run by the per-frame update on the current view: pan with
// the middle button (or left and right together), orbit of the perspective view with the
// right button, and zoom while Z is held. Each step is a plain function of its inputs; the
// per-frame update hands App_Navigate and App_ZDragZoom the shell's context.
#pragma once
#include "lib/framework/view_record.h"
#include "model/types.h"
#include "app/hook_ctx.h"
#include "app/views.h"

enum NavAction : u32 { NAV_NONE = 0, NAV_PAN, NAV_ORBIT };
// What the held buttons do on a view of this kind: pan for the middle button alone or left
// and right together; orbit for the right button alone on a kind-0 view.
NavAction Nav_Decide(bool left, bool middle, bool right, u32 viewKind);

// Pan of a family drawn in the 640 x 480 frame: by the mouse move, then clamped so the frame
// stays on a desktop of half sizes (halfW, halfH). When the desktop is too small for any
// range the frame is centred between the limits.
void Nav_Pan2D(ViewRecord *v, f32 moveDX, f32 moveDY, i32 halfW, i32 halfH);
// Pan of a 3D view by the mouse offset (dx, dy) from the drag anchor, by view kind: Front,
// Top and Side by 0.025 / zoom per pixel; perspective views by the offset turned with the
// camera and scaled by zoom * 0.013; kind 4 in the movie family by the pixels themselves.
void Nav_Pan3D(ViewRecord *v, u32 family, i32 dx, i32 dy, f32 angleX, f32 angleY);
// Orbit: angle x by 0.2 degrees a pixel, angle y the same, held within -89.9..89.9.
void Nav_Orbit(f32 *angleX, f32 *angleY, f32 moveDX, f32 moveDY);

// Z held with the left (zoom in) or right button (out): what changes and by how much. In the
// preview and the 3D sub-modes 12, 14..18 a kind-0 view's zoom goes down and other kinds' up;
// elsewhere other kinds' zoom goes up and a kind-0 view moves g_Shell.g_PerspStep down. The right
// button alone reverses each. Zoom and step never go below g_ViewMinZoom. True when anything changed.
bool Nav_ZZoom(ViewRecord *v, f32 *perspStep, u32 family, u32 subMode, bool left, bool right, f32 delta);

// The per-frame update's navigation (before the family's update) and its Z-drag zoom (after
// it, while the context's mouse holds Z): on the context's view, mouse record and camera angles.
void App_Navigate(const HookCtx *c);
void App_ZDragZoom(const HookCtx *c);
