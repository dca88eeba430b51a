// Grid and axis-gizmo drawing used by the scene and overlay hooks.
#include "app/viewdraw.h"

#include "app/family.h"
#include "app/settings.h"
#include "app/shell_options.h"
#include "app/shell_seam.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/framework/view_record.h"

static const i32 kGridGrey = 112, kGridDark = 80;

void View_Draw3DGrid(u32 drawView) {
  if (drawView != 0 || g_Options.g_OptGrid != 1) return;
  for (i32 i = -20; i <= 20; i++) {
    f32 f = (f32)i;
    Draw_Line3D(f, 0, -20, kGridGrey, kGridGrey, kGridGrey, 255, 0, 0, f, 0, 20, kGridGrey, kGridGrey, kGridGrey, 255, 0, 0);
    Draw_Line3D(-20, 0, f, kGridGrey, kGridGrey, kGridGrey, 255, 0, 0, 20, 0, f, kGridGrey, kGridGrey, kGridGrey, 255, 0, 0);
  }
  Draw_Line3D(-20, 0, 0, 200, 200, 200, 255, 0, 0, 20, 0, 0, 200, 200, 200, 255, 0, 0);
  Draw_Line3D(0, 0, -20, 200, 200, 200, 255, 0, 0, 0, 0, 20, 200, 200, 200, 255, 0, 0);
}

f32 View_Grid2DSpacing(const ViewRecord *v) {
  f32 s = v->kind == VIEW_MAIN ? 40.0f : 40.0f * v->zoom;
  if (!(s >= 4.0f)) s = 4.0f;   // a tiny or broken zoom would draw thousands of lines
  return s;
}

void View_Draw2DGrid(const ViewRecord *v) {
  if (g_Options.g_OptGrid != 1) return;
  f32 step = View_Grid2DSpacing(v);
  for (f32 x = 320.0f; x <= 640.0f; x += step) {
    Draw_Line2D((i32)x, 0, kGridDark, kGridDark, kGridDark, 255, (i32)x, 480, kGridDark, kGridDark, kGridDark, 255);
    i32 mx = (i32)(640.0f - x);
    Draw_Line2D(mx, 0, kGridDark, kGridDark, kGridDark, 255, mx, 480, kGridDark, kGridDark, kGridDark, 255);
  }
  for (f32 y = 240.0f; y <= 480.0f; y += step) {
    Draw_Line2D(0, (i32)y, kGridDark, kGridDark, kGridDark, 255, 640, (i32)y, kGridDark, kGridDark, kGridDark, 255);
    i32 my = (i32)(480.0f - y);
    Draw_Line2D(0, my, kGridDark, kGridDark, kGridDark, 255, 640, my, kGridDark, kGridDark, kGridDark, 255);
  }
  Draw_Line2D(320, 0, kGridGrey, kGridGrey, kGridGrey, 255, 320, 480, kGridGrey, kGridGrey, kGridGrey, 255);
  Draw_Line2D(0, 240, kGridGrey, kGridGrey, kGridGrey, 255, 640, 240, kGridGrey, kGridGrey, kGridGrey, 255);
  Draw_Rect2D(0, 0, 640, 480, kGridGrey, kGridGrey, kGridGrey, 255);
}

bool View_GizmoShown(u32 family, u32 viewKind, bool playing, bool anyButtonHeld) {
  if (playing || viewKind != VIEW_MAIN) return false;
  if (family == FAMILY_PREVIEW && !anyButtonHeld) return false;
  return true;
}

void View_DrawAxisGizmo(const ViewRecord *v) {
  if (!View_GizmoShown(g_Shell.g_EditFamily, v->kind, g_Shell.g_Playing == 1, Shell_AnyButtonHeld())) return;
  f32 len = 2.0f * 1.75f * v->zoom;
  f32 o[3], p[3];
  Cam_ProjectToScreen(o, v->panX, v->panY, v->panZ);
  static const i32 kColor[3][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
  const f32 ends[3][3] = {{v->panX + len, v->panY, v->panZ},
                          {v->panX, v->panY + len, v->panZ},
                          {v->panX, v->panY, v->panZ - len}};
  for (int a = 0; a < 3; a++) {
    Cam_ProjectToScreen(p, ends[a][0], ends[a][1], ends[a][2]);
    const i32 *c = kColor[a];
    Draw_Line2D((i32)o[0], (i32)o[1], c[0], c[1], c[2], 255, (i32)p[0], (i32)p[1], c[0], c[1], c[2], 255);
  }
}
