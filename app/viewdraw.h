// Grids and the axis gizmo that the families' scene and overlay hooks draw into a view.
#pragma once
#include "lib/framework/view_record.h"
#include "model/types.h"
#include "app/views.h"

// The ground grid on y = 0 (41 lines each way, -20..20) and the two axes; drawn in view 0 only,
// with the option "グリッド" on.
void View_Draw3DGrid(u32 drawView);
// The 640x480 frame around (320, 240) and the grid of the current view (40 pixels per unit
// at zoom 1 in orthographic views); with the option "グリッド" on.
void View_Draw2DGrid(const ViewRecord *v);
// Red, green and blue axis lines from the view's pan point; perspective views only, not
// while playing, and in the preview only while a mouse button is held.
void View_DrawAxisGizmo(const ViewRecord *v);
// Whether the gizmo is drawn for this state.
bool View_GizmoShown(u32 family, u32 viewKind, bool playing, bool anyButtonHeld);
// Spacing in pixels of the 2D grid lines of a view (never below 4 pixels).
f32 View_Grid2DSpacing(const ViewRecord *v);
