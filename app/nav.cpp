// View navigation: pan, orbit and Z-drag zoom.
#include "app/nav.h"

#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"

NavAction Nav_Decide(bool l, bool m, bool r, u32 kind) {
  if ((m && !l && !r) || (l && r && !m)) return NAV_PAN;
  if (r && !l && !m && kind == VIEW_MAIN) return NAV_ORBIT;
  return NAV_NONE;
}

// Clamps v into lo..hi; with no room between them, the middle of the two.
static f32 ClampOrCentre(f32 v, f32 lo, f32 hi) {
  if (lo > hi) return (lo + hi) * 0.5f;
  return v < lo ? lo : v > hi ? hi : v;
}

void Nav_Pan2D(ViewRecord *v, f32 mdx, f32 mdy, i32 halfW, i32 halfH) {
  v->panX = ClampOrCentre(v->panX + mdx, (f32)(321 - halfW), (f32)(halfW - 322));
  v->panY = ClampOrCentre(v->panY + mdy, (f32)(241 - halfH), (f32)(halfH - 164));
}

void Nav_Pan3D(ViewRecord *v, u32 family, i32 dx, i32 dy, f32 angleX, f32 angleY) {
  f32 zoom = v->zoom >= g_ViewMinZoom ? v->zoom : g_ViewMinZoom;   // never divide by 0
  f32 sx = (f32)dx / zoom * 0.025f, sy = (f32)dy / zoom * 0.025f;
  switch (v->kind) {
    case VIEW_FRONT: v->panX -= sx; v->panY += sy; break;
    case VIEW_TOP: v->panX -= sx; v->panZ -= sy; break;
    case VIEW_SIDE: v->panZ += sx; v->panY += sy; break;
    case VIEW_PERS:
      if (family == FAMILY_MOVIE) {   // the movie's camera view moves by whole pixels
        v->panX += (f32)dx;
        v->panY += (f32)dy;
        break;
      }
      // fall through
    case VIEW_MAIN: {
      f32 d[3] = {(f32)dx, (f32)dy, 0};
      View_TurnPerspective(d, angleX, angleY);
      f32 s = v->zoom * 0.013f;
      v->panX += d[0] * s;
      v->panY += d[1] * s;
      v->panZ += d[2] * s;
      break;
    }
    default: break;
  }
}

void Nav_Orbit(f32 *ax, f32 *ay, f32 mdx, f32 mdy) {
  *ax += mdx * 0.2f;
  f32 y = *ay + mdy * 0.2f;
  *ay = y < -89.9f ? -89.9f : y > 89.9f ? 89.9f : y;
}

static bool Grow(f32 *value, f32 by) {
  f32 n = *value + by;
  if (!(n >= g_ViewMinZoom)) n = g_ViewMinZoom;   // the fit's floor; also catches NaN
  if (n == *value) return false;
  *value = n;
  return true;
}

bool Nav_ZZoom(ViewRecord *v, f32 *perspStep, u32 family, u32 subMode, bool left, bool right, f32 delta) {
  if (!left && !right) return false;
  f32 f = v->zoom * 0.01667f * delta;
  if (!left) f = -f;   // the left button wins when both are held
  bool persp = v->kind == VIEW_MAIN;
  bool modelling = family == FAMILY_PREVIEW ||
                   (family == FAMILY_3D_MODEL && (subMode == SUB_3D_OBJMOTION ||
                                                  (subMode >= SUB_3D_POLY && subMode <= SUB_3D_MOTION)));
  if (!persp) return Grow(&v->zoom, f);
  if (modelling) return Grow(&v->zoom, -f);
  return Grow(perspStep, -f);
}

void App_Navigate(const HookCtx *c) {
  ViewRecord *v = c->view;
  ShellMouse *mouse = c->mouse;
  bool l = Shell_ButtonHeld(BUTTON_LEFT), m = Shell_ButtonHeld(BUTTON_MIDDLE), r = Shell_ButtonHeld(BUTTON_RIGHT);
  switch (Nav_Decide(l, m, r, v->kind)) {
    case NAV_PAN:
      if (g_Shell.g_EditFamily < APP_FAMILY_COUNT && g_Shell.g_Family2DFrame[g_Shell.g_EditFamily]) {
        Nav_Pan2D(v, mouse->g_NavMoveDX, mouse->g_NavMoveDY, g_Shell.g_DesktopHalfWidth, g_Shell.g_DesktopHalfHeight);
      } else {
        Nav_Pan3D(v, g_Shell.g_EditFamily, mouse->g_MouseX - mouse->g_DragAnchorX, mouse->g_MouseY - mouse->g_DragAnchorY,
                  c->perspAngleX, c->perspAngleY);
      }
      DragAnchors_SetAll(mouse, mouse->g_MouseX, mouse->g_MouseY);   // the editors' pairs and the pan anchor
      break;
    // The orbit turns the shell's camera from the angles the context carries.
    case NAV_ORBIT: {
      f32 ax = c->perspAngleX, ay = c->perspAngleY;
      Nav_Orbit(&ax, &ay, mouse->g_NavMoveDX, mouse->g_NavMoveDY);
      g_Shell.g_PerspAngleX = ax, g_Shell.g_PerspAngleY = ay;
      break;
    }
    default: break;
  }
}

void App_ZDragZoom(const HookCtx *c) {
  if (c->mouse->g_ZKeyHeld != 1) return;
  bool l = Shell_ButtonHeld(BUTTON_LEFT), r = Shell_ButtonHeld(BUTTON_RIGHT);
  if (!Nav_ZZoom(c->view, &g_Shell.g_PerspStep, g_Shell.g_EditFamily, c->layout, l, r, g_Lib.frameDelta)) return;
  App_MarkAllRedraw(c->layout);
  g_Shell.g_StripDirty[0] = 1;   // the strip panel's redraw
}
