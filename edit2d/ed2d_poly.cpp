// The 2D polygon sub-mode: entering and leaving, the per-frame update, the mouse hooks with
// the move, rotate and scale drags, free creation, the selection modes, the rectangle
// selection over the skin and the modelling panel's handlers. Owns g_Ed2DPoly (its panel
// refresh flag included). The overlay is ed2d_poly_draw.cpp's.
#include "edit2d/ed2d_poly.h"

#include <math.h>
#include <string.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_submode.h"
#include "lib/draw/draw.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "model/seam_errorbox.h"
#include "model/str.h"

Ed2DPolyEditor g_Ed2DPoly = {nullptr, 0, 0, nullptr, 0, 0, 0, 0, 0, 0, 0, 0.0f, 0.0f, {200, 200, 200, 255}};

static const char kNoRoom[] = "これ以上 追加できません。";
enum : u32 { MAX_U16_COUNT = 65535 };

// [SECTION] model helpers
// The modelling panel's model: its handlers come from the dialog, not through a hook.
// Selected vertices that the model has (flags past either end are not touched).
static i32 SelFlagVerts(const Bone2Model *m, const ShellSelection *sel) {
  i32 n = Bone2_VertexCount(m), room = (i32)App_WorkVertCount();
  return sel->g_PolySelVerts && n < room ? n : (sel->g_PolySelVerts ? room : 0);
}
static i32 FlagVerts(const Bone2Model *m) { return SelFlagVerts(m, &g_Sel); }

i32 Ed2D_PolyCorners(const Bone2Model *m, const Polygon2 *p, u32 verts[4]) {
  i32 nv = Bone2_VertexCount(m), k = 0, n = p->cornerCount < 4 ? p->cornerCount : 4;
  for (i32 j = 0; j < n; j++)
    if (p->corners[j].vertex < nv) verts[k++] = p->corners[j].vertex;
  return k;
}

void Ed2D_CornerPoint(const Bone2Model *m, u32 v, i32 *x, i32 *y) {
  *x = (i32)floorf(m->positions[v].x + m->placeX + 0.5f);
  *y = (i32)floorf(m->positions[v].y + m->placeY + 0.5f);
}

static void Label(const char *text) { Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, text); }

static void MouseToFrame(i32 x, i32 y, f32 *fx, f32 *fy) { Ed2D_ClientToFrame(x, y, fx, fy); }

// [SECTION] hooks
void Ed2D_PolyInit(const HookCtx *c) {
  c->sel->g_CurSlot = 0;
  App_AllocWorkArrays(c->sel);
  Ed2D_InitCommon(c, SUB_2D_POLY);
  Ed2DPolyEditor &e = g_Ed2DPoly;
  if (!e.panel)
    e.panel = Widget_CreatePanel(Ed2D_WindowName(ED2D_WIN_POLY_DLG), 0, g_Lib.desktopHeight - 210, 740, 180);
  g_Ed2DPoly.panelRefresh = 1;
}

void Ed2D_PolyLeave(const HookCtx *c) {
  Ed2DPolyEditor &e = g_Ed2DPoly;
  if (e.panel) Widget_Destroy(e.panel);
  e.panel = nullptr;
}

void Ed2D_PolyUpdate(const HookCtx *c) {
  Bone2Model *m = c->model2;
  ShellSelection *sel = c->sel;
  if (!m) return;
  // The live point follows the last decoded position (the update comes from no mouse message).
  if (sel->g_PolyTool == ED2D_TOOL_FREE && sel->g_FreeCreateCount < POLY_FREE_POINTS)
    Ed2D_FreePointAt(m, c->mouse->g_MouseX, c->mouse->g_MouseY, sel->g_FreeCreatePoints[sel->g_FreeCreateCount]);
  m->displayMode = 2;
  Lib_SetSceneDraw(1);
}

static void Anchor(i32 x, i32 y) {
  Ed2DPolyEditor &e = g_Ed2DPoly;
  MouseToFrame(x, y, &e.mouseX, &e.mouseY);
  e.startX = e.curX = (i32)floorf(e.mouseX);
  e.startY = e.curY = (i32)floorf(e.mouseY);
}

void Ed2D_LButtonDownAnchors(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  Anchor(x, y);
  App_MarkAllRedraw(c->layout);
}

void Ed2D_MButtonDownAnchors(const HookCtx *c) { i32 x = c->x, y = c->y; Anchor(x, y); }
void Ed2D_RButtonDownAnchors(const HookCtx *c) { i32 x = c->x, y = c->y; Anchor(x, y); }

// Fixes the live point at the release position.
static void TakeLivePoint(Bone2Model *m, ShellSelection *sel, i32 x, i32 y) {
  if (sel->g_FreeCreateCount < POLY_FREE_POINTS) Ed2D_FreePointAt(m, x, y, sel->g_FreeCreatePoints[sel->g_FreeCreateCount]);
}

static void FinishFree(Bone2Model *m, ShellSelection *sel, u32 layout) {
  u32 count = sel->g_FreeCreateCount + 1;
  sel->g_FreeCreateCount = 0;
  if (count > POLY_FREE_POINTS || !Ed2D_PolyAppendFree(m, sel, count)) return;
  Str_Format(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "自由作成:%d ( モデリング )", (int)count);
  Doc_MarkEdited(DOC_BONE2);
  App_MarkAllRedraw(layout);
}

void Ed2D_PolyLButtonUp(const HookCtx *c) {
  Bone2Model *m = c->model2;
  ShellSelection *sel = c->sel;
  if (!m) return;
  if (sel->g_PolyTool == ED2D_TOOL_FREE) {
    TakeLivePoint(m, sel, c->x, c->y);
    if (sel->g_FreeCreateCount < POLY_FREE_POINTS - 1) sel->g_FreeCreateCount++;
    else FinishFree(m, sel, c->layout);
  }
  g_Ed2DPoly.panelRefresh = 1;
}

void Ed2D_PolyFreeCreate(const HookCtx *c) {
  Bone2Model *m = c->model2;
  ShellSelection *sel = c->sel;
  if (!m || sel->g_PolyTool != ED2D_TOOL_FREE) return;
  TakeLivePoint(m, sel, c->x, c->y);
  FinishFree(m, sel, c->layout);
  g_Ed2DPoly.panelRefresh = 1;
}

void Ed2D_PolyRButtonUp(const HookCtx *c) {
  if (!c->model2) return;
  g_Ed2DPoly.panelRefresh = 1;
  if (c->sel->g_PolyTool == ED2D_TOOL_FREE) c->sel->g_FreeCreateCount = 0;
}

static bool Held(u32 b) { return Shell_ButtonHeld(b) != 0; }

void Ed2D_PolyMouseMove(const HookCtx *c) {
  Bone2Model *m = c->model2;
  const ShellSelection *sel = c->sel;
  if (!m) return;
  u32 tool = sel->g_PolyTool;
  bool view0 = c->viewIndex == 0;
  if ((!view0 && tool == ED2D_TOOL_FREE) || (view0 && (tool == ED2D_TOOL_MOVE || tool == ED2D_TOOL_FREE)) ||
      (view0 && sel->g_PolyNoAutoPick == 0 && (tool == ED2D_TOOL_VERTEX || tool == ED2D_TOOL_FACE)))
    App_MarkAllRedraw(c->layout);
  Ed2DPolyEditor &e = g_Ed2DPoly;
  f32 fx, fy;
  MouseToFrame(c->x, c->y, &fx, &fy);
  // The drags follow the mouse in frame pixels, so the selection stays under the cursor
  // whatever the scale of the frame.
  f32 dx = fx - e.mouseX, dy = fy - e.mouseY;
  e.mouseX = fx;
  e.mouseY = fy;
  bool left = Held(BUTTON_LEFT), middle = Held(BUTTON_MIDDLE), right = Held(BUTTON_RIGHT);
  if (left && !middle && !right) {
    e.curX = (i32)floorf(fx);
    e.curY = (i32)floorf(fy);
    const char *label = nullptr;
    i32 moved = 0;   // a drag with nothing selected changes nothing
    if (tool == ED2D_TOOL_MOVE) moved = Ed2D_PolyMoveStep(m, sel, dx, dy), label = "移動 ( モデリング )";
    else if (tool == ED2D_TOOL_ROTATE)
      moved = Ed2D_PolyRotateStep(m, sel, dx, dy, (f32)e.startX, (f32)e.startY), label = "回転 ( モデリング )";
    else if (tool == ED2D_TOOL_SCALE)
      moved = Ed2D_PolyScaleStep(m, sel, dx, dy, (f32)e.startX, (f32)e.startY), label = "拡大 ( モデリング )";
    if (label && moved > 0 && (dx != 0.0f || dy != 0.0f)) {
      Label(label);
      Doc_MarkEdited(DOC_BONE2);
    }
  } else if (right && !left && !middle) {
    e.curX = (i32)floorf(fx);
    e.curY = (i32)floorf(fy);
  }
}

// [SECTION] modes
static void SelectMode(u32 mode, u32 tool) {
  g_Sel.g_PolyTool = tool;
  if (g_Sel.g_PolySelectMode != mode) App_ClearSelectionFlags(App_WorkVertCount(), App_WorkFaceCount());
  g_Sel.g_PolySelectMode = mode;
  g_Sel.g_PolyFaceNo = -1;
  Ed2DPolyEditor &e = g_Ed2DPoly;
  e.startX = e.startY = e.curX = e.curY = 0;
  g_Ed2DPoly.panelRefresh = 1;
  App_MarkAllRedraw(View_CurrentLayout());
}

void Ed2D_PolyVertexMode(void) { SelectMode(0, ED2D_TOOL_VERTEX); }
void Ed2D_PolyFaceMode(void) { SelectMode(1, ED2D_TOOL_FACE); }

// [SECTION] tools
i32 Ed2D_PolyMoveStep(Bone2Model *m, const ShellSelection *sel, f32 dx, f32 dy) {
  i32 n = SelFlagVerts(m, sel), moved = 0;
  for (i32 v = 0; v < n; v++) {
    if (!sel->g_PolySelVerts[v]) continue;
    moved++;
    m->positions[v].x += dx;
    m->positions[v].y += dy;
  }
  return moved;
}

i32 Ed2D_PolyRotateStep(Bone2Model *m, const ShellSelection *sel, f32 dx, f32 dy, f32 cx, f32 cy) {
  f32 deg = 0.5f * dy - 0.5f * dx;
  f32 a = deg * 3.14159265f / 180.0f, c = cosf(a), s = sinf(a);
  i32 n = SelFlagVerts(m, sel), moved = 0;
  for (i32 v = 0; v < n; v++) {
    if (!sel->g_PolySelVerts[v]) continue;
    moved++;
    Bone2Point &p = m->positions[v];
    f32 ox = p.x + m->placeX - cx, oy = p.y + m->placeY - cy;
    p.x = cx + ox * c + oy * s - m->placeX;
    p.y = cy + oy * c - ox * s - m->placeY;
  }
  return moved;
}

i32 Ed2D_PolyScaleStep(Bone2Model *m, const ShellSelection *sel, f32 dx, f32 dy, f32 cx, f32 cy) {
  i32 n = SelFlagVerts(m, sel), moved = 0;
  for (i32 v = 0; v < n; v++) {
    if (!sel->g_PolySelVerts[v]) continue;
    moved++;
    Bone2Point &p = m->positions[v];
    p.x += (p.x + m->placeX - cx) * dx * 0.005f;
    p.y -= (p.y + m->placeY - cy) * dy * 0.005f;
  }
  return moved;
}

// [SECTION] selection
void Ed2D_RectSelect(const Bone2Model *m, i32 face, i32 corner, const u32 *verts, i32 count, i32 x, i32 y,
                     f32 centreX, f32 centreY, const PolyRect *r) {
  PolyRectFace f = {face, verts, count, centreX, centreY};
  u32 vertRoom = (u32)FlagVerts(m);
  Poly_RectSelectCorner(&f, corner, x, y, r, App_WorkFaceCount(), vertRoom);
}

static bool RectActive(const ShellSelection *sel) {
  if (sel->g_PolyTool != ED2D_TOOL_VERTEX && sel->g_PolyTool != ED2D_TOOL_FACE) return false;
  return Held(BUTTON_LEFT) != Held(BUTTON_RIGHT) && !Held(BUTTON_MIDDLE);
}

// The face mode's rule after the drag: every corner vertex of a selected live polygon is selected.
static void VertexFlagsFollowFaces(const Bone2Model *m, ShellSelection *sel) {
  i32 np = Bone2_PolygonCount(m), faces = (i32)App_WorkFaceCount();
  u32 vertRoom = (u32)SelFlagVerts(m, sel);
  for (i32 f = 0; f < np && f < faces; f++) {
    const Polygon2 *p = &m->polygons[f];
    if (p->used != 1 || !sel->g_PolySelFaces[f]) continue;
    u32 verts[4];
    i32 k = Ed2D_PolyCorners(m, p, verts);
    for (i32 j = 0; j < k; j++)
      if (verts[j] < vertRoom) sel->g_PolySelVerts[verts[j]] = 1;
  }
}

// One polygon against the rectangle: face mode takes it whole when a corner or its centre lies
// inside (the centre being the mean of its corners' screen points); vertex mode each corner.
static void RectSelectFace(const Bone2Model *m, ShellSelection *sel, i32 f, const PolyRect *r, u32 flag, u32 faceRoom,
                           u32 vertRoom) {
  u32 verts[4];
  i32 k = Ed2D_PolyCorners(m, &m->polygons[f], verts), xs[4], ys[4];
  if (k == 0) return;
  f32 cx = 0.0f, cy = 0.0f;
  bool any = false;
  for (i32 j = 0; j < k; j++) {
    Ed2D_CornerPoint(m, verts[j], &xs[j], &ys[j]);
    cx += (f32)xs[j];
    cy += (f32)ys[j];
    bool in = Poly_RectHolds(r, (f32)xs[j], (f32)ys[j]);
    any = any || in;
    if (sel->g_PolySelectMode != 1 && in && verts[j] < vertRoom) sel->g_PolySelVerts[verts[j]] = flag;
  }
  if (sel->g_PolySelectMode != 1 || (!any && !Poly_RectHolds(r, cx / (f32)k, cy / (f32)k))) return;
  if ((u32)f < faceRoom) sel->g_PolySelFaces[f] = flag;
  for (i32 j = 0; j < k; j++)
    if (verts[j] < vertRoom) sel->g_PolySelVerts[verts[j]] = flag;
}

void Ed2D_PolySelectPass(Bone2Model *m, ShellSelection *sel) {
  if (!m || !sel->g_PolySelFaces || !sel->g_PolySelVerts || g_Bone2SlotShown[0] == 0) return;
  const Ed2DPolyEditor &e = g_Ed2DPoly;
  // The rule of Ed2D_RectSelect for every corner, with the buttons read once and a face
  // taken once rather than once per corner inside.
  if (RectActive(sel)) {
    PolyRect r = Poly_SortedRect(e.startX, e.startY, e.curX, e.curY);
    u32 flag = Held(BUTTON_LEFT) ? 1u : 0u, faceRoom = App_WorkFaceCount(), vertRoom = (u32)SelFlagVerts(m, sel);
    i32 np = Bone2_PolygonCount(m);
    for (i32 f = 0; f < np; f++)
      if (m->polygons[f].used == 1) RectSelectFace(m, sel, f, &r, flag, faceRoom, vertRoom);
  }
  if (sel->g_PolySelectMode == 1) VertexFlagsFollowFaces(m, sel);
}

void Ed2D_PolySelectPass(Bone2Model *m) { Ed2D_PolySelectPass(m, &g_Sel); }

void Ed2D_PolySelectionText(const Bone2Model *m, const ShellSelection *s, char *out, u32 size) {
  i32 np = Bone2_PolygonCount(m), faces = (i32)App_WorkFaceCount(), vertRoom = SelFlagVerts(m, s);
  i32 sel = 0, all = 0;
  for (i32 f = 0; f < np; f++) {
    const Polygon2 *p = &m->polygons[f];
    if (p->used != 1) continue;
    if (s->g_PolySelectMode == 1) {
      all++;
      sel += f < faces && s->g_PolySelFaces && s->g_PolySelFaces[f] ? 1 : 0;
      continue;
    }
    u32 verts[4];
    i32 k = Ed2D_PolyCorners(m, p, verts);
    all += k;
    for (i32 j = 0; j < k; j++) sel += (i32)verts[j] < vertRoom && s->g_PolySelVerts[verts[j]] ? 1 : 0;
  }
  if (s->g_PolySelectMode == 1) Str_Format(out, size, "面  %4d / %4d", sel, all);
  else Str_Format(out, size, "頂点  %4d / %4d", sel, all);
}

void Ed2D_PolySelectionText(const Bone2Model *m, char *out, u32 size) { Ed2D_PolySelectionText(m, &g_Sel, out, size); }

// [SECTION] free creation
void Ed2D_FreePointAt(const Bone2Model *m, i32 x, i32 y, f32 out[3]) {
  f32 fx, fy;
  MouseToFrame(x, y, &fx, &fy);
  out[0] = fx - m->placeX;
  out[1] = fy - m->placeY;
  out[2] = 0.0f;
}

// The last colour entry equal to opaque white, or -1.
static i32 FindWhite(const Bone2Model *m) {
  i32 n = m->colours ? (m->colourCount < m->colourCapacity ? m->colourCount : m->colourCapacity) : 0;
  for (i32 i = n - 1; i >= 0; i--) {
    const Bone2Colour &c = m->colours[i];
    if (c.r == 255.0f && c.g == 255.0f && c.b == 255.0f && c.a == 255.0f) return i;
  }
  return -1;
}

static bool Room(const Bone2Model *m, u32 count, bool newColour) {
  if (!m->positions || !m->bindings || !m->uvs || !m->colours || !m->polygons) return false;
  u32 nv = m->vertexCount, nu = m->uvCount, nc = m->colourCount + (newColour ? 1u : 0u);
  i32 np = m->polygonCount;
  if (nv + count > MAX_U16_COUNT || nu + count > MAX_U16_COUNT || nc > MAX_U16_COUNT) return false;
  if ((i32)(nv + count) > m->vertexCapacity || (i32)(nu + count) > m->uvCapacity || (i32)nc > m->colourCapacity)
    return false;
  return np >= 0 && np < m->polygonCapacity;
}

bool Ed2D_PolyAppendFree(Bone2Model *m, ShellSelection *sel, u32 count) {
  if (!m || count < 1 || count > POLY_FREE_POINTS) return false;
  i32 white = FindWhite(m);
  if (!Room(m, count, white < 0)) {
    Seam_ErrorBox(kNoRoom);
    return false;
  }
  if (white < 0) {
    white = m->colourCount++;
    m->colours[white] = {255.0f, 255.0f, 255.0f, 255.0f};
  }
  i32 f = m->polygonCount;
  Polygon2 &p = m->polygons[f];
  p = Polygon2{};
  p.used = 1;
  p.cornerCount = (u8)count;
  p.group = sel->g_CurGroupIndex;
  u32 nv = m->vertexCount, nu = m->uvCount;
  u32 vertRoom = App_WorkVertCount();
  for (u32 i = 0; i < count; i++) {
    m->positions[nv + i] = {sel->g_FreeCreatePoints[i][0], sel->g_FreeCreatePoints[i][1]};
    m->bindings[nv + i] = VertexBinding{0, 0, 0.0f, 1};
    m->uvs[nu + i] = {0.0f, 0.0f};
    p.corners[i] = {(u16)(nv + i), (u16)white, (u16)(nu + i)};
    if (sel->g_PolySelectMode == 0 && sel->g_PolySelVerts && nv + i < vertRoom) sel->g_PolySelVerts[nv + i] = 1;
  }
  m->vertexCount = (u16)(nv + count);
  m->uvCount = (u16)(nu + count);
  if (sel->g_PolySelectMode == 1 && sel->g_PolySelFaces && (u32)f < App_WorkFaceCount()) sel->g_PolySelFaces[f] = 1;
  m->polygonCount = f + 1;
  return true;
}

bool Ed2D_PolyAppendFree(Bone2Model *m, u32 count) { return Ed2D_PolyAppendFree(m, &g_Sel, count); }

// [SECTION] modelling panel
static void SetTool(u32 tool) {
  g_Sel.g_PolyTool = tool;
  g_Ed2DPoly.panelRefresh = 1;
}

void Ed2D_PolyDlgCommand(u32 id) {
  switch (id) {
    case IDC_P2D_MOVE: SetTool(ED2D_TOOL_MOVE); break;
    case IDC_P2D_VERTEX_MODE: Ed2D_PolyVertexMode(); break;
    case IDC_P2D_FACE_MODE: Ed2D_PolyFaceMode(); break;
    case IDC_P2D_ROTATE: SetTool(ED2D_TOOL_ROTATE); break;
    case IDC_P2D_SCALE: SetTool(ED2D_TOOL_SCALE); break;
    case IDC_P2D_UV: SetTool(ED2D_TOOL_UV); break;
    case IDC_P2D_FREE:
      SetTool(ED2D_TOOL_FREE);
      g_Sel.g_FreeCreateCount = 0;
      break;
    case IDC_P2D_NO_AUTO_PICK:
      g_Sel.g_PolyNoAutoPick = g_Sel.g_PolyNoAutoPick ? 0 : 1;
      g_Ed2DPoly.panelRefresh = 1;
      break;
    case IDC_P2D_NORMALS:
      g_Sel.g_PolyShowNormals = g_Sel.g_PolyShowNormals ? 0 : 1;
      g_Ed2DPoly.panelRefresh = 1;
      break;
    default: Ed2D_PolyOpCommand(id); break;
  }
}

void Ed2D_PolyShowSelection(const Bone2Model *m, const ShellSelection *sel) {
  if (!m || !g_Ed2DPoly.panel) return;
  char text[64];
  Ed2D_PolySelectionText(m, sel, text, sizeof text);
  Widget_SetText(g_Ed2DPoly.panel, IDC_P2D_SELECTION, text);
}

// Buttons the refresh unchecks first and the state each is checked by.
static bool CheckedByState(u32 id) {
  switch (id) {
    case IDC_P2D_VERTEX_MODE: return g_Sel.g_PolySelectMode == 0;
    case IDC_P2D_FACE_MODE: return g_Sel.g_PolySelectMode == 1;
    case IDC_P2D_MOVE: return g_Sel.g_PolyTool == ED2D_TOOL_MOVE;
    case IDC_P2D_ROTATE: return g_Sel.g_PolyTool == ED2D_TOOL_ROTATE;
    case IDC_P2D_SCALE: return g_Sel.g_PolyTool == ED2D_TOOL_SCALE;
    case IDC_P2D_FREE: return g_Sel.g_PolyTool == ED2D_TOOL_FREE;
    case IDC_P2D_MAKE_FACE: return g_Sel.g_PolyTool == ED2D_TOOL_FACE_MAKE;
    case IDC_P2D_UV: return g_Sel.g_PolyTool == ED2D_TOOL_UV;
    default: return false;
  }
}

void Ed2D_PolyDlgTick(void) {
  Ed2DPolyEditor &e = g_Ed2DPoly;
  if (g_Ed2DPoly.panelRefresh != 1 || !e.panel) return;
  g_Ed2DPoly.panelRefresh = 0;
  App_MarkAllRedraw(View_CurrentLayout());
  g_Shell.g_StripDirty[0] = 1;
  static const u32 kTools[] = {IDC_P2D_VERTEX_MODE, IDC_P2D_FACE_MODE, IDC_P2D_MOVE, IDC_P2D_ROTATE,
                               IDC_P2D_SCALE,       IDC_P2D_FREE,      IDC_P2D_MAKE_FACE, IDC_P2D_UV};
  const Bone2Model *m = Current_Bone2Edited();
  for (u32 id : kTools) Widget_SetCheck(e.panel, id, CheckedByState(id));
  Widget_SetCheck(e.panel, IDC_P2D_NO_AUTO_PICK, g_Sel.g_PolyNoAutoPick != 0);
  Widget_SetCheck(e.panel, IDC_P2D_NORMALS, g_Sel.g_PolyShowNormals != 0);
  Widget_SetCheck(e.panel, IDC_P2D_VERTEX_COLOUR, m && m->vertexColourFlag == 1);
  Widget_SetCheck(e.panel, IDC_P2D_LIGHT, m && m->lightingFlag == 1);
  char text[64];
  for (u32 k = 0; k < 4; k++) {
    Str_Format(text, sizeof text, "%d", (int)e.colour[k]);
    Widget_SetText(e.panel, IDC_P2D_RED + k, text);
  }
  if (!m) return;
  Str_Format(text, sizeof text, "頂点数  %5d", (int)m->vertexCount);
  Widget_SetText(e.panel, IDC_P2D_VERTEX_COUNT, text);
  Str_Format(text, sizeof text, " 色数   %5d", (int)m->colourCount);
  Widget_SetText(e.panel, IDC_P2D_COLOUR_COUNT, text);
  Str_Format(text, sizeof text, "ＵＶ数  %5d", (int)m->uvCount);
  Widget_SetText(e.panel, IDC_P2D_UV_COUNT, text);
  Ed2D_PolyShowSelection(m, &g_Sel);
}
