// View records and view scheduling: the chooser of the view drawn each idle pass, redraw
// flags, the shared work arrays and the fit arithmetic.
// Owns g_Shell.g_Views, g_Shell.g_ViewCount, g_Shell.g_ActiveView, g_Shell.g_DrawView.
#include "app/views.h"
#include "app/shell_mouse.h"
#include "app/shell_options.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/render/objects.h"
#include "app/entries.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/sketch.h"
#include "app/shell_seam.h"
#include "app/current.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "lib/draw/target.h"
#include "model/model3.h"

#include <math.h>
#include <stdlib.h>
#include <string.h>

static_assert(STRIP_FLAG_COUNT == 7, "App_MarkAllRedraw sets the seven strip and panel flags");

// Elements in the work arrays as allocated (0 until App_AllocWorkArrays).
static u32 s_WorkFaces, s_WorkVerts;

bool View_DrawingMain(const HookCtx *c) { return c->view && c->view->kind == VIEW_MAIN; }

static bool InSubModes(u32 first, u32 last) { return g_Shell.g_EditSubMode >= first && g_Shell.g_EditSubMode <= last; }

bool View_TextureLayoutLow(void) { return g_Lib.desktopHeight > 0 && g_Lib.desktopHeight < VIEW_TEXTURE_FULL_HEIGHT; }

f32 View_TextureFrameZoom(void) { return View_TextureLayoutLow() ? VIEW_TEXTURE_FRAME_ZOOM_LOW : VIEW_TEXTURE_FRAME_ZOOM; }

bool View_MovieCompact(void) {
  return g_Lib.desktopWidth > 0 && g_Lib.desktopHeight > 0 && (g_Lib.desktopWidth < VIEW_MOVIE_FULL_W || g_Lib.desktopHeight < VIEW_MOVIE_FULL_H);
}

bool View_MovieCompactRect(u32 index, i32 desktopW, i32 desktopH, i32 *x, i32 *y, i32 *w, i32 *h) {
  if (index < 1 || index > 4) return false;
  i32 top = VIEW_MOVIE_COMPACT_TOP, bottom = desktopH - VIEW_MOVIE_KEY_H;
  i32 persW = desktopW - VIEW_MOVIE_COMPACT_LEFT - VIEW_MOVIE_ACTOR_W - VIEW_MOVIE_SIDE_W;
  // The frame's 4:3 below the view's caption and menu (44 pixels).
  i32 persH = persW * 3 / 4 + 44;
  if (persH > (bottom - top) * 2 / 3) persH = (bottom - top) * 2 / 3;
  i32 half = (bottom - top) / 2;
  switch (index) {
    case 4: *x = VIEW_MOVIE_COMPACT_LEFT, *y = top, *w = persW, *h = persH; break;
    case 3: *x = VIEW_MOVIE_COMPACT_LEFT, *y = top + persH, *w = persW, *h = bottom - top - persH; break;
    default: *x = VIEW_MOVIE_COMPACT_LEFT + persW, *y = top + half * (i32)(index - 1), *w = VIEW_MOVIE_SIDE_W, *h = half; break;
  }
  return true;
}

// Where the frame of a 2D sub-mode shows on a low desktop: its scale and its top-left corner
// in the view's pixels. The polygon and bone frames at 3/4 right of the sub-mode panel's
// first place, above the modelling panel; the motion frame at 3/4 right of the sub-mode
// panel, above the key strip and left of the motion dialogs; the weight frame at 0.45
// between the group dialog and the bone list, which are as high as the view; the object frame
// at 1/2 right of the edit-mode selector, above the key strip.
struct LowFrame {
  u32 subMode;
  f32 zoom;
  i32 left, top;
};
static const LowFrame kLowFrames[] = {
  {SUB_2D_POLY, 0.75f, 192, 8},
  {SUB_2D_BONE, 0.75f, 192, 8},
  {SUB_2D_MOTION, 0.75f, 96, 8},
  {SUB_2D_WEIGHT, 0.45f, 362, 8},
  {SUB_2D_OBJECT, 0.5f, 96, 8},
};

static const LowFrame *LowFrameOf(u32 subMode) {
  if (!View_TextureLayoutLow()) return nullptr;
  for (const LowFrame &l : kLowFrames)
    if (l.subMode == subMode) return &l;
  return nullptr;
}

bool View_LowFramePan(u32 subMode, f32 *panX, f32 *panY) {
  const LowFrame *l = LowFrameOf(subMode);
  if (!l) return false;
  *panX = (f32)(l->left - (g_Lib.desktopWidth - 640) / 2);
  *panY = (f32)(l->top - (g_Lib.desktopHeight - 480) / 2);
  return true;
}

f32 View_FrameZoom(void) {
  if (g_Shell.g_EditFamily != FAMILY_2D_MODEL) return 1.0f;
  if (g_Shell.g_EditSubMode == SUB_2D_TEXTURE) return View_TextureFrameZoom();
  const LowFrame *l = LowFrameOf(g_Shell.g_EditSubMode);
  return l ? l->zoom : 1.0f;
}

void View_FrameRequest(FrameRequest *out) {
  memset(out, 0, sizeof *out);
  if (g_Shell.g_EditSubMode < VIEW_LAYOUTS && g_Shell.g_DrawView < VIEWS_PER_LAYOUT) out->view = &g_Shell.g_Views[g_Shell.g_EditSubMode][g_Shell.g_DrawView];
  out->viewIndex = g_Shell.g_DrawView;
  const ViewRecord &main = g_Shell.g_Views[View_CurrentLayout()][0];
  out->framePanX = main.panX;
  out->framePanY = main.panY;
  out->frameZoom = View_FrameZoom();
  out->frame2D = g_Shell.g_EditFamily < APP_FAMILY_COUNT && g_Shell.g_Family2DFrame[g_Shell.g_EditFamily] == 1;
  out->movieStage = g_Shell.g_EditFamily == FAMILY_MOVIE;
  out->viewport = g_Shell.g_EditFamily == FAMILY_MOVIE     ? FRAME_VIEWPORT_CENTRED
                  : g_Shell.g_EditFamily == FAMILY_PROGRAM ? FRAME_VIEWPORT_PANNED
                                                   : FRAME_VIEWPORT_WHOLE;
  // The polygon, texture, bone and weight sub-modes edit the model at rest.
  out->atRest = InSubModes(SUB_3D_POLY, SUB_3D_WEIGHT);
  out->poseOff = g_Shell.g_EditFamily == FAMILY_PREVIEW || out->atRest;
  out->objectsHidden = InSubModes(SUB_3D_POLY, SUB_3D_MOTION);
  out->rest2D = InSubModes(SUB_2D_POLY, SUB_2D_WEIGHT);
  out->selectedBone = g_Sel.g_SelectedBone;
  out->rightButtonHeld = g_Mouse.g_RightButtonFlag != 0;
  out->drawScene = g_LibHooks.drawScene;
  out->drawOverlay = g_LibHooks.drawOverlay;
  // The 2D frame's outline shows in the main and the perspective views.
  u32 kind = out->view ? out->view->kind : (u32)VIEW_MAIN;
  out->outline2DFrame = out->frame2D && (kind == VIEW_MAIN || kind == VIEW_PERS);
  if (g_ShellEntries.movieFrameRequest) g_ShellEntries.movieFrameRequest(out);
}

u32 View_CurrentLayout(void) { return g_Shell.g_EditSubMode < VIEW_LAYOUTS ? g_Shell.g_EditSubMode : 0; }

void View_SetCount(u32 layout, i32 count) {
  if (layout < VIEW_LAYOUTS) g_Shell.g_ViewCount[layout] = count;
}

ViewRecord *View_Get(u32 layout, u32 index) {
  if (layout >= VIEW_LAYOUTS) layout = 0;
  if (index >= VIEWS_PER_LAYOUT) index = 0;
  return &g_Shell.g_Views[layout][index];
}

static i32 LayoutCount(u32 layout) {
  i32 n = layout < VIEW_LAYOUTS ? g_Shell.g_ViewCount[layout] : 0;
  if (n < 0) n = 0;
  if (n > VIEWS_PER_LAYOUT) n = VIEWS_PER_LAYOUT;
  return n;
}

// [SECTION] view choice
i32 View_ChooseDrawView(const ViewChoiceInput *in) {
  if (in->layout >= VIEW_LAYOUTS) return -1;
  ViewRecord *views = g_Shell.g_Views[in->layout];
  i32 n = LayoutCount(in->layout);
  if (in->activeView < VIEWS_PER_LAYOUT) views[in->activeView].wait += 3;
  i32 cand = -1;
  for (i32 i = 0; i < n; i++) {
    if (views[i].inUse != 1 || views[i].redraw != 1) continue;
    if (cand < 0 || views[i].wait > views[cand].wait) cand = i;
  }
  if (cand < 0) return -1;
  for (i32 i = 0; i < n; i++)
    if (views[i].redraw == 1 && i != cand) views[i].wait += 1;
  views[cand].wait = 0;
  i32 drawn = cand;
  if (in->updateEditedViewOnly && in->anyButtonHeld) drawn = (i32)in->activeView;
  if (in->playing && in->rightButtonHeld) drawn = (i32)in->activeView;
  if (drawn >= VIEWS_PER_LAYOUT) drawn = cand;
  return drawn;
}

bool View_MoreDue(const ViewChoiceInput *in, bool recording, u32 drawnSinceRest) {
  // These draw one view over and over while others stay flagged: the pass rests as ever.
  if ((in->updateEditedViewOnly && in->anyButtonHeld) || (in->playing && in->rightButtonHeld) || recording) return false;
  if (in->layout >= VIEW_LAYOUTS) return false;
  const ViewRecord *views = g_Shell.g_Views[in->layout];
  for (i32 i = 0, n = LayoutCount(in->layout); i < n; i++)
    if (views[i].inUse == 1 && views[i].redraw == 1 && !(drawnSinceRest >> i & 1)) return true;
  return false;
}

// [SECTION] refresh
bool View_RedrawPending(void) {
  u32 layout = View_CurrentLayout();
  if (layout >= VIEW_LAYOUTS) return false;
  for (i32 i = 0, n = LayoutCount(layout); i < n; i++) {
    const ViewRecord *v = &g_Shell.g_Views[layout][i];
    if (v->inUse == 1 && v->redraw == 1) return true;
  }
  return false;
}

void App_MarkAllRedraw(u32 layout) {
  if (layout >= VIEW_LAYOUTS) layout = 0;
  i32 n = LayoutCount(layout);
  for (i32 i = 0; i < n; i++) {
    ViewRecord *v = &g_Shell.g_Views[layout][i];
    if (v->inUse == 1 && v->window) v->redraw = 1;
  }
  Draw_FlagTargetForClear(0);
  g_Shell.g_StripDirty[STRIP_FLAG_SWATCHES] = 1;
  g_Shell.g_StripDirty[STRIP_FLAG_TEXTURES] = 1;
  g_Shell.g_StripDirty[STRIP_FLAG_EFFECT] = 1;
  g_Shell.g_StripDirty[STRIP_FLAG_OBJ2_IMAGE] = 1;
  g_Shell.g_StripDirty[STRIP_FLAG_OBJ2_KEYS] = 1;
  g_Shell.g_StripDirty[STRIP_FLAG_SKETCH_PANEL] = 1;
  g_Shell.g_StripDirty[STRIP_FLAG_PANEL] = 1;
  g_Shell.g_LayerDlgRefresh = 1;
  g_Sketch.refresh = 1;
}

bool View_DrawnAs(u32 view, bool (*step)(void *arg), void *arg) {
  u32 drawn = g_Shell.g_DrawView;
  g_Shell.g_DrawView = view;
  bool ok = step(arg);
  g_Shell.g_DrawView = drawn;
  return ok;
}

ViewRecord *View_Active(void) {
  return View_Get(g_Shell.g_EditSubMode, g_Shell.g_ActiveView < VIEWS_PER_LAYOUT ? g_Shell.g_ActiveView : 0);
}


void App_RefreshLists(const HookCtx *c) {
  App_MarkAllRedraw(c->layout);
  const FamilyHooks *row = Family_Current();
  if (row && row->refreshLists) row->refreshLists(c);
}

template <typename T>
static void AllocOnce(T **p, size_t count) {
  if (!*p) *p = (T *)calloc(count ? count : 1, sizeof(T));
}

void App_AllocWorkArrays(ShellSelection *sel) {
  if (sel->g_PolySelFaces) return;   // allocated once, never freed
  size_t faces = g_MaxPolygons ? g_MaxPolygons : 65000;
  size_t verts = g_MaxVertices ? g_MaxVertices : faces * 4;
  AllocOnce(&sel->g_PolySelFaces, faces);
  AllocOnce(&sel->g_PolySelVerts, verts);
  AllocOnce(&sel->g_PolyWorkVerts, verts);
  AllocOnce(&sel->g_PolyScreenPos, verts * 3);
  AllocOnce(&sel->g_PolyFaceCentres, faces * 2);
  AllocOnce(&sel->g_PolyFaceNormals2D, faces * 2);
  bool all = sel->g_PolySelFaces && sel->g_PolySelVerts && sel->g_PolyWorkVerts && sel->g_PolyScreenPos && sel->g_PolyFaceCentres &&
             sel->g_PolyFaceNormals2D;
  if (all) { s_WorkFaces = (u32)faces; s_WorkVerts = (u32)verts; }
}

u32 App_WorkFaceCount(void) { return s_WorkFaces; }
u32 App_WorkVertCount(void) { return s_WorkVerts; }
void App_ClearSelectionFlags(u32 verts, u32 faces) { App_ClearSelectionFlags(&g_Sel, verts, faces); }

void App_ClearSelectionFlags(ShellSelection *sel, u32 verts, u32 faces) {
  if (sel->g_PolySelVerts) memset(sel->g_PolySelVerts, 0, sizeof(u32) * (verts < s_WorkVerts ? verts : s_WorkVerts));
  if (sel->g_PolySelFaces) memset(sel->g_PolySelFaces, 0, sizeof(u32) * (faces < s_WorkFaces ? faces : s_WorkFaces));
}

void App_ForgetPolySelection(ShellSelection *sel) {
  App_ClearSelectionFlags(sel, s_WorkVerts, s_WorkFaces);
  sel->g_FreeCreateCount = 0;
  sel->g_PolyFaceNo = sel->g_PolyVertexNo = -1;
}

i32 View_TakeFreeSlot(i32 shown, i32 x, i32 y, i32 w, i32 h) {
  u32 layout = View_CurrentLayout();
  for (i32 i = 1; i < VIEWS_PER_LAYOUT; i++) {
    ViewRecord *v = &g_Shell.g_Views[layout][i];
    if (v->inUse != 0) continue;
    if (g_Shell.g_ViewCount[layout] < i + 1) g_Shell.g_ViewCount[layout] = i + 1;
    v->inUse = 1;
    v->created = 1;
    v->shown = (u32)shown;
    v->x = x; v->y = y; v->w = w; v->h = h;
    v->kind = VIEW_FRONT;
    if (v->zoom <= 0) v->zoom = 0.25f;
    return i;
  }
  return -1;
}

void View_NoteActivated(const ViewRecord *v) {
  switch (v->kind) {
    case VIEW_FRONT: g_Shell.g_ViewFocus[0] = v->panX; g_Shell.g_ViewFocus[1] = v->panY; break;
    case VIEW_TOP: g_Shell.g_ViewFocus[0] = v->panX; g_Shell.g_ViewFocus[2] = v->panZ; break;
    case VIEW_SIDE: g_Shell.g_ViewFocus[2] = v->panZ; g_Shell.g_ViewFocus[1] = v->panY; break;
    default: break;
  }
  g_Shell.g_LastViewZoom = v->zoom;
}

// [SECTION] fitting
// True when all three coordinates of a point are numbers (not NaN, not infinite): a point
// that is not stays out of every bound and fit, which would otherwise be NaN or endless.
static bool FinitePoint(const f32 *p) { return (p[0] * 0.0f + p[1] * 0.0f + p[2] * 0.0f) == 0.0f; }

bool View_BoundsOfPoints(const f32 *pts, u32 n, f32 mn[3], f32 mx[3]) {
  for (int a = 0; a < 3; a++) { mn[a] = 99999.9f; mx[a] = -99999.9f; }
  if (n == 0 || !pts) return false;
  for (u32 i = 0; i < n; i++) {
    if (!FinitePoint(pts + i * 3)) continue;
    for (int a = 0; a < 3; a++) {
      f32 c = pts[i * 3 + a];
      if (c < mn[a]) mn[a] = c;
      if (c > mx[a]) mx[a] = c;
    }
  }
  for (int a = 0; a < 3; a++)
    if (mn[a] == mx[a]) { mn[a] -= 1.0f; mx[a] += 1.0f; }
  return true;
}

static void RotateX(f32 v[3], f32 deg) {
  f32 r = deg * 3.14159265f / 180.0f, c = cosf(r), s = sinf(r);
  f32 y = v[1] * c - v[2] * s, z = v[1] * s + v[2] * c;
  v[1] = y; v[2] = z;
}

static void RotateY(f32 v[3], f32 deg) {
  f32 r = deg * 3.14159265f / 180.0f, c = cosf(r), s = sinf(r);
  f32 x = v[0] * c + v[2] * s, z = -v[0] * s + v[2] * c;
  v[0] = x; v[2] = z;
}

void View_TurnPerspective(f32 v[3], f32 angleX, f32 angleY) {
  RotateX(v, -angleX);
  RotateY(v, angleY);
}

void View_PerspectiveEye(const ViewRecord *v, f32 angleX, f32 angleY, f32 eye[3]) {
  f32 off[3] = {0, 0, -15.0f * v->zoom};
  RotateX(off, -angleX);
  RotateY(off, angleY);
  eye[0] = v->panX + off[0];
  eye[1] = v->panY + off[1];
  eye[2] = v->panZ + off[2];
}

// The smallest zoom a fit starts from: a zero or tiny product of extents would need
// hundreds of 1.1 steps, and a zero zoom never grows.
extern const f32 g_ViewMinZoom = 1e-3f;
static const f32 kFitMinZoom = g_ViewMinZoom;
// The largest zoom a perspective fit gives: the eye (15 x zoom from the box's centre) stays a
// float for any finite model. A model that needs more (widths of 1e10 and beyond) is out of
// the camera's reach anyway; the fit still ends, with a view of finite numbers.
static const f32 kFitMaxZoom = 1e30f;

// The zoom between the fit's floor and ceiling (NaN gives the floor).
static f32 FitZoom(f64 zoom) {
  if (!(zoom >= kFitMinZoom)) return kFitMinZoom;
  return zoom < kFitMaxZoom ? (f32)zoom : kFitMaxZoom;
}

void View_FitPerspective(ViewRecord *v, const f32 mn[3], const f32 mx[3], i32 width, i32 height,
                         f32 angleX, f32 angleY, const FitCamera *cam) {
  v->panX = (mn[0] + mx[0]) * 0.5f;
  v->panY = (mn[1] + mx[1]) * 0.5f;
  v->panZ = (mn[2] + mx[2]) * 0.5f;
  // In double: the product of three widths of a large model is beyond a float.
  v->zoom = FitZoom((f64)(mx[0] - mn[0]) * (mx[1] - mn[1]) * (mx[2] - mn[2]) * 2.0e-7);
  if (!cam || !cam->place || !cam->project || width <= 0 || height <= 0) return;
  f32 target[3] = {v->panX, v->panY, v->panZ};
  for (int step = 0; step < VIEW_FIT_MAX_STEPS; step++) {
    f32 eye[3];
    View_PerspectiveEye(v, angleX, angleY, eye);
    cam->place(eye, target);
    bool inside = true;
    for (int c = 0; c < 8 && inside; c++) {
      f32 p[3] = {(c & 1) ? mx[0] : mn[0], (c & 2) ? mx[1] : mn[1], (c & 4) ? mx[2] : mn[2]};
      f32 s[2];
      if (!cam->project(p, s)) inside = false;
      else if (!(s[0] >= 0 && s[0] <= (f32)width && s[1] >= 0 && s[1] <= (f32)height)) inside = false;
    }
    if (inside) return;
    v->zoom = FitZoom(v->zoom * 1.1);
  }
}

// Whole pixels from lo to hi at `scale` pixels a unit, as the view rounds them. In double and
// whole only where a 64-bit integer holds them: a larger model's span is taken as it is (a
// conversion beyond the integer's range has no defined result, and gave spans of 0).
static f64 PixelSpan(f32 lo, f32 hi, f64 scale) {
  f64 a = lo * scale, b = hi * scale;
  const f64 whole = 9.0e18;
  if (fabs(a) < whole && fabs(b) < whole) return (f64)((i64)b - (i64)a);
  return b - a;
}

void View_FitOrtho(ViewRecord *v, const f32 *pts, u32 n) {
  if (n == 0 || !pts) return;
  f32 mnU = 99999.9f, mxU = -99999.9f, mnV = 99999.9f, mxV = -99999.9f;
  for (u32 i = 0; i < n; i++) {
    if (!FinitePoint(pts + i * 3)) continue;
    f32 x = pts[i * 3], y = pts[i * 3 + 1], z = pts[i * 3 + 2], u, w;
    switch (v->kind) {
      case VIEW_TOP: u = x; w = -z; break;
      case VIEW_SIDE: u = z; w = -y; break;
      default: u = x; w = y; break;
    }
    if (u < mnU) mnU = u;
    if (u > mxU) mxU = u;
    if (w < mnV) mnV = w;
    if (w > mxV) mxV = w;
  }
  if (mnU == mxU) { mnU -= 1.0f; mxU += 1.0f; }
  if (mnV == mxV) { mnV -= 1.0f; mxV += 1.0f; }
  f32 cu = (mnU + mxU) * 0.5f, cv = (mnV + mxV) * 0.5f;
  switch (v->kind) {
    case VIEW_TOP: v->panX = cu; v->panZ = cv; break;
    case VIEW_SIDE: v->panZ = -cu; v->panY = -cv; break;
    default: v->panX = cu; v->panY = cv; break;
  }
  if (!(v->zoom > 0)) v->zoom = 0.25f;
  f64 scale = 40.0 * v->zoom;
  f64 pixW = PixelSpan(mnU, mxU, scale), pixH = PixelSpan(mnV, mxV, scale);
  // A view narrower than its margins would divide by zero or flip the zoom's sign.
  f32 room = (f32)(v->w - 48), roomH = (f32)(v->h - 96);
  if (room < 1.0f) room = 1.0f;
  if (roomH < 1.0f) roomH = 1.0f;
  f64 ratio = pixW / room;
  if (pixH / roomH > ratio) ratio = pixH / roomH;
  if (ratio > 0) v->zoom = (f32)(v->zoom / ratio);
  if (!(v->zoom >= kFitMinZoom)) v->zoom = kFitMinZoom;
}

bool App_HasCurrentModel3(void) { return Current_Model3() != nullptr; }

// [SECTION] fit command
static bool AnySelected(const u32 *flags, i32 count) {
  if (!flags) return false;
  for (i32 i = 0; i < count; i++)
    if (flags[i]) return true;
  return false;
}

static i32 ClampCount(i32 count, i32 cap) {
  if (count < 0) return 0;
  return count < cap ? count : cap;
}

// Every usable corner of every polygon (optionally only of flagged faces).
static u32 AddCorners(const Model3 *m, const u32 *faceFlags, bool posed, f32 *out) {
  u32 n = 0;
  i32 polys = ClampCount(m->polygonCount, m->capPolygons);
  i32 verts = ClampCount(m->positionCount, m->capPositions);
  const Vec3 *src = posed ? m->posed : m->positions;
  for (i32 p = 0; p < polys; p++) {
    if (faceFlags && (p >= (i32)s_WorkFaces || !faceFlags[p])) continue;
    const Polygon3 *poly = &m->polygons[p];
    u32 corners = poly->cornerCount > 4 ? 4 : poly->cornerCount;
    for (u32 c = 0; c < corners; c++) {
      u32 v = poly->corners[c].vertex;
      if (v >= (u32)verts) continue;   // a corner that names no vertex is left out
      if (out) { out[n * 3] = src[v].x; out[n * 3 + 1] = src[v].y; out[n * 3 + 2] = src[v].z; }
      n++;
    }
  }
  return n;
}

static u32 AddSelectedVertices(const Model3 *m, const u32 *vertFlags, bool posed, f32 *out) {
  u32 n = 0;
  i32 verts = ClampCount(m->positionCount, m->capPositions);
  if (verts > (i32)s_WorkVerts) verts = (i32)s_WorkVerts;
  const Vec3 *src = posed ? m->posed : m->positions;
  for (i32 v = 0; v < verts; v++) {
    if (!vertFlags[v]) continue;
    if (out) { out[n * 3] = src[v].x; out[n * 3 + 1] = src[v].y; out[n * 3 + 2] = src[v].z; }
    n++;
  }
  return n;
}

// Counts with out = null, then fills. Rule 0 takes the posed positions when `posed` is set.
static u32 CollectPoints(const Model3 *m, const ShellSelection *sel, int rule, bool posed, f32 *out) {
  i32 verts = ClampCount(m->positionCount, m->capPositions);
  i32 polys = ClampCount(m->polygonCount, m->capPolygons);
  switch (rule) {
    case 0:   // the selection, else every corner
    case 1: { // the same in the editing views: with nothing selected the whole model is fitted,
              // so the fit key always brings a model panned out of sight back
      bool byFaces = sel->g_PolySelectMode == 1;
      bool any = byFaces ? AnySelected(sel->g_PolySelFaces, polys < (i32)s_WorkFaces ? polys : (i32)s_WorkFaces)
                         : AnySelected(sel->g_PolySelVerts, verts < (i32)s_WorkVerts ? verts : (i32)s_WorkVerts);
      posed = posed && rule == 0 && m->posed;
      if (any) return byFaces ? AddCorners(m, sel->g_PolySelFaces, posed, out) : AddSelectedVertices(m, sel->g_PolySelVerts, posed, out);
      return AddCorners(m, nullptr, posed, out);
    }
    case 2: return AddCorners(m, nullptr, false, out);
    default: return AddCorners(m, nullptr, m->posed != nullptr, out);
  }
}

f32 *View_GatherFitPoints(const Model3 *m, const ShellSelection *sel, u32 subMode, u32 kind, u32 *n, bool posed) {
  *n = 0;
  if (!m || !m->polygons || !m->positions) return nullptr;
  int rule;
  if (kind == VIEW_MAIN) rule = 0;
  else if (kind > VIEW_SIDE) return nullptr;
  else if (subMode == SUB_3D_POLY || subMode == SUB_3D_TEXTURE) rule = 1;
  else if (subMode == SUB_3D_BONE || subMode == SUB_3D_WEIGHT) rule = 2;
  else if (subMode == SUB_3D_MOTION) rule = 3;
  else return nullptr;   // orthographic views of other sub-modes are not fitted
  u32 count = CollectPoints(m, sel, rule, posed, nullptr);
  if (count == 0) return nullptr;
  f32 *pts = (f32 *)malloc(sizeof(f32) * 3 * count);
  if (!pts) return nullptr;
  *n = CollectPoints(m, sel, rule, posed, pts);
  return pts;
}

void View_Fit(const HookCtx *c) { View_FitView(c, c->view); }

// The preview's main view draws the model in its pose: the fit takes the shape drawn, every
// vertex skinned by the pose of this frame.
static bool FitsPosedModel(const HookCtx *c, const ViewRecord *v) {
  Model3 *m = c->model;
  if (c->layout != FAMILY_PREVIEW || v->kind != VIEW_MAIN || !m || m->poseUpdate != 1 || !m->posed) return false;
  Object_UpdateFrame();
  Object_SkinModel((i32)c->slot);
  return true;
}

void View_FitView(const HookCtx *c, ViewRecord *v) {
  u32 n = 0;
  f32 *pts = View_GatherFitPoints(c->model, c->sel, c->layout, v->kind, &n, FitsPosedModel(c, v));
  if (pts && v->kind == VIEW_MAIN) {
    f32 mn[3], mx[3];
    View_BoundsOfPoints(pts, n, mn, mx);
    memcpy(c->model->bboxMin, mn, sizeof mn);
    memcpy(c->model->bboxMax, mx, sizeof mx);
    View_FitPerspective(v, mn, mx, g_Options.g_MainWndRect[2], g_Options.g_MainWndRect[3], c->perspAngleX, c->perspAngleY,
                        g_ShellSeam.fitCamera);
  } else if (pts) {
    View_FitOrtho(v, pts, n);
  }
  free(pts);
  App_MarkAllRedraw(c->layout);
}

void View_FitAll(const HookCtx *c) {
  Object_UpdateFrame();   // every pose current before the views are fitted
  u32 layout = c->layout < VIEW_LAYOUTS ? c->layout : 0;
  i32 n = LayoutCount(layout);
  for (i32 i = 1; i < n; i++) View_FitView(c, View_Get(layout, (u32)i));
  g_Shell.g_ActiveView = 0;
}
