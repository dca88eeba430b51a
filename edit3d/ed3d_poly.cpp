// Polygon modelling: entering and leaving, the per-frame update, the mouse hooks with their
// drags, free creation, the key commands, the selection commands and the status text.
// Owns the globals declared in ed3d_poly.h. The arithmetic is ed3d_poly_edit.cpp's.
#include "edit3d/ed3d_poly.h"

#include "app/current.h"
#include "app/docflags.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "app/vkeys.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_poly_dlg.h"
#include "edit3d/undo.h"
#include "lib/draw/camera.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/render/objects.h"
#include "model/mesh.h"
#include "model/object.h"
#include "model/str.h"
#include "resources/edit3d_ids.h"

// The editor's global object (poly.h); its start-up value is set by Ed3D_SetStartState.
Ed3DPolyEditorState Ed3DPolyEditor = {0, -1, -1, {255, 255, 255, 255}, 0, 0, "", 0, nullptr, nullptr, 0, 0, 0, 0};



static bool CtrlHeld(void) { return g_Lib.app.keyState[VKEY_CTRL] != 0; }

static bool LeftAlone(void) {
  return Shell_ButtonHeld(BUTTON_LEFT) && !Shell_ButtonHeld(BUTTON_MIDDLE) && !Shell_ButtonHeld(BUTTON_RIGHT);
}


// [SECTION] enter, leave, update
static void LoadMenu(const char *name) {
  // A sub-mode switch inside the family replaces the previous sub-mode's menu.
  App_LoadFamilyMenu(name);
}

void Ed3D_PolyEnter(const HookCtx *c) {
  g_Lib.runState = 4;
  c->sel->g_CurSlot = 0;
  App_AllocWorkArrays(c->sel);
  LoadMenu("MENU_3D_POLY");
  Ed3D_PolyOpenDialogs();
}

void Ed3D_PolyLeave(const HookCtx *c) {
  Ed3D_PolyCloseDialogs();
  // The other layers are hidden, their models kept whole: a layer switch shows them again.
  for (i32 n = 1; n < ED3D_LAYERS; n++)
    if (KZL::OBJECT *o = Object_Get(n)) Object_SetVisible(o, 0);
}

void Ed3D_PolyUpdate(const HookCtx *c) {
  Model3 *m = c->model;
  if (!m) return;
  if (c->sel->g_PolyTool == POLY_TOOL_FREE && c->sel->g_FreeCreateCount < POLY_FREE_POINTS)
    Poly_FreePointAt(c->view, c->mouse->g_MouseX, c->mouse->g_MouseY, c->sel->g_FreeCreatePoints[c->sel->g_FreeCreateCount]);
  m->displayMode = 2;
}

// [SECTION] pick
void Ed3D_PickUnderCursor(const HookCtx *c) {
  Model3 *m = c->model;
  if (!m || (c->layout != SUB_3D_POLY && c->layout != SUB_3D_TEXTURE)) return;
  if (c->view->kind != VIEW_MAIN) return;
  App_AllocWorkArrays(c->sel);
  // View 0's own camera, as the frame sets it, in view 0's client pixels as the mouse is:
  // not whichever view the device drew last.
  f32 vp[16];
  i32 w, h;
  if (!Ed3D_ViewCamera(View_Get(c->layout, 0), c->perspAngleX, c->perspAngleY, vp, &w, &h)) return;
  Ed3D_PolyProjectAll(m, c->sel, vp, (f32)w * 0.5f, (f32)h * 0.5f);
  Ed3D_PolyPickInto(m, c->sel, c->mouse->g_MouseX, c->mouse->g_MouseY, CtrlHeld(), c->layout);
}

// [SECTION] commands
void Ed3D_PolyAfterEdit(u32 layout) {
  Ed3DPolyEditor.dlgRefresh = 1;
  // The layout's panels (the group panel among them) show the state again.
  if (layout < SETTINGS_LAYOUTS) g_AppShell.panels[layout][PANEL_GROUP].flags = 1;
  App_MarkAllRedraw(layout);
}

void Ed3D_PolyClearFlags(ShellSelection *sel) {
  u32 nf = Poly_SelFaceRoom(sel), nv = Poly_SelVertRoom(sel);
  for (u32 i = 0; i < nf; i++) sel->g_PolySelFaces[i] = 0;
  for (u32 i = 0; i < nv; i++) sel->g_PolySelVerts[i] = 0;
}

static void SelectMode(ShellSelection *sel, ShellMouse *mouse, u32 mode, u32 tool, u32 layout) {
  sel->g_PolyTool = tool;
  if (sel->g_PolySelectMode != mode) Ed3D_PolyClearFlags(sel);
  Ed3DPolyEditor.selVertCount = Ed3DPolyEditor.selFaceCount = 0;
  sel->g_PolyFaceNo = -1;
  sel->g_PolySelectMode = mode;
  DragAnchor_Set(mouse, DRAG_ANCHOR_POLY, 0, 0);
  DragAnchor_Set(mouse, DRAG_ANCHOR_POLY2, 0, 0);
  Ed3DPolyEditor.dlgRefresh = 1;
  Ed3D_PolyAfterEdit(layout);
}

void Ed3D_PolySelectVertexMode(ShellSelection *sel, ShellMouse *mouse, u32 layout) { SelectMode(sel, mouse, 0, POLY_TOOL_VERTEX, layout); }
void Ed3D_PolySelectFaceMode(ShellSelection *sel, ShellMouse *mouse, u32 layout) { SelectMode(sel, mouse, 1, POLY_TOOL_FACE, layout); }

// The flags of the model's faces and vertices (faces added later come unselected).
static void FlagCounts(const Model3 *m, const ShellSelection *sel, i32 *faces, i32 *verts) {
  *faces = *verts = 0;
  if (!m) return;
  i32 nf = m->polygonCount < m->capPolygons ? m->polygonCount : m->capPolygons;
  i32 nv = m->positionCount < m->capPositions ? m->positionCount : m->capPositions;
  i32 faceRoom = (i32)Poly_SelFaceRoom(sel), vertRoom = (i32)Poly_SelVertRoom(sel);
  *faces = nf < faceRoom ? (nf < 0 ? 0 : nf) : faceRoom;
  *verts = nv < vertRoom ? (nv < 0 ? 0 : nv) : vertRoom;
}

// The flags are looked at over the arrays' full room, not only the model's elements: the
// unused flags past the model stay 0, so a press selects everything even when every face of
// the model is selected already (as a new primitive comes in).
void Ed3D_PolySelectAllOrNone(ShellSelection *sel, u32 layout) {
  i32 nf = (i32)Poly_SelFaceRoom(sel), nv = (i32)Poly_SelVertRoom(sel);
  bool anyClear = false;
  for (i32 i = 0; i < nf && !anyClear; i++) anyClear = sel->g_PolySelFaces[i] == 0;
  for (i32 i = 0; i < nv && !anyClear; i++) anyClear = sel->g_PolySelVerts[i] == 0;
  u32 flag = anyClear ? 1 : 0;
  for (i32 i = 0; i < nf; i++) sel->g_PolySelFaces[i] = flag;
  for (i32 i = 0; i < nv; i++) sel->g_PolySelVerts[i] = flag;
  g_AppShell.keyLatch = 1;
  Ed3DPolyEditor.dlgRefresh = 1;
  Ed3D_PolyAfterEdit(layout);
}

void Ed3D_PolyInvertSelection(const Model3 *m, ShellSelection *sel, u32 layout) {
  i32 nf, nv;
  FlagCounts(m, sel, &nf, &nv);
  for (i32 i = 0; i < nf; i++) sel->g_PolySelFaces[i] = sel->g_PolySelFaces[i] ? 0 : 1;
  for (i32 i = 0; i < nv; i++) sel->g_PolySelVerts[i] = sel->g_PolySelVerts[i] ? 0 : 1;
  Ed3DPolyEditor.dlgRefresh = 1;
  Ed3D_PolyAfterEdit(layout);
}

void Ed3D_PolyToggleAutoPick(ShellSelection *sel, u32 layout) {
  sel->g_PolyNoAutoPick = sel->g_PolyNoAutoPick ? 0 : 1;
  Ed3D_PolyAfterEdit(layout);
}

void Ed3D_PolyToolKey(ShellSelection *sel, ShellMouse *mouse, u32 tool, u32 layout) {
  if (sel->g_PolyTool != tool) sel->g_PolyTool = tool;
  else if (sel->g_PolySelectMode == 1) Ed3D_PolySelectFaceMode(sel, mouse, layout);
  else Ed3D_PolySelectVertexMode(sel, mouse, layout);
  Ed3DPolyEditor.dlgRefresh = 1;
}

// The counts of model m's selection (the overlay runs it while a view is drawn).
void Ed3D_PolyStatusText(const Model3 *m, const ShellSelection *sel) {
  i32 nf, nv;
  FlagCounts(m, sel, &nf, &nv);
  u32 verts = 0, faces = 0;
  if (sel->g_PolySelectMode == 0) {
    for (i32 i = 0; i < nv; i++) verts += sel->g_PolySelVerts[i] ? 1 : 0;
    Str_Format(Ed3DPolyEditor.statusText, sizeof Ed3DPolyEditor.statusText, "頂点  %4u / %4d", verts, m ? m->positionCount : 0);
  } else {
    for (i32 i = 0; i < nf; i++)
      if (sel->g_PolySelFaces[i]) { faces++; verts += m->polygons[i].cornerCount; }
    Str_Format(Ed3DPolyEditor.statusText, sizeof Ed3DPolyEditor.statusText, "面  %4u / %4d", faces, m ? m->polygonCount : 0);
  }
  Ed3DPolyEditor.selVertCount = verts;
  Ed3DPolyEditor.selFaceCount = faces;
}

// [SECTION] keys
// One arrow step of the current orthographic view: 1 / zoom along its horizontal (dx) or
// vertical (dy, screen up +1) axis.
static void ViewStep(ViewRecord *v, u32 layout, i32 dx, i32 dy) {
  if (Shell_ButtonHeld(BUTTON_LEFT) || Shell_ButtonHeld(BUTTON_RIGHT)) return;
  if (v->zoom == 0.0f) return;
  f32 d = 1.0f / v->zoom;
  switch (v->kind) {
    case VIEW_FRONT: v->panX += (f32)dx * d; v->panY += (f32)dy * d; break;
    case VIEW_TOP: v->panX += (f32)dx * d; v->panZ -= (f32)dy * d; break;
    case VIEW_SIDE: v->panZ -= (f32)dx * d; v->panY += (f32)dy * d; break;
    default: return;
  }
  App_MarkAllRedraw(layout);
}

void Ed3D_PolyKeyUp(const HookCtx *c) {
  u32 vk = c->key;
  ShellSelection *sel = c->sel;
  if (!c->model) return;
  switch (vk) {
    case VKEY_LEFT: ViewStep(c->view, c->layout, -1, 0); break;
    case VKEY_UP: ViewStep(c->view, c->layout, 0, 1); break;
    case VKEY_RIGHT: ViewStep(c->view, c->layout, 1, 0); break;
    case VKEY_DOWN: ViewStep(c->view, c->layout, 0, -1); break;
    case VKEY_DELETE:
    case 'D': Ed3D_PolyCommand(c, IDC_POLY_DELETE); break;
    case 'A': Ed3D_PolyToggleAutoPick(sel, c->layout); break;
    case 'E':
      if (sel->g_PolySelectMode == 1) Ed3D_PolySelectVertexMode(sel, c->mouse, c->layout);
      else Ed3D_PolySelectFaceMode(sel, c->mouse, c->layout);
      Ed3DPolyEditor.dlgRefresh = 1;
      break;
    case 'G': Ed3D_PolyToolKey(sel, c->mouse, POLY_TOOL_SCALE, c->layout); break;
    case 'M': Ed3D_PolyCommand(c, IDC_POLY_MERGE); break;
    case 'R': Ed3D_PolyToolKey(sel, c->mouse, POLY_TOOL_ROTATE, c->layout); break;
    case 'S': Ed3D_PolySelectAllOrNone(sel, c->layout); break;
    case 'T': Ed3D_PolyToolKey(sel, c->mouse, POLY_TOOL_MOVE, c->layout); break;
    default: break;
  }
}

// [SECTION] mouse
void Ed3D_PolyMButtonDown(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  DragAnchors_SetAD(c->mouse, x, y);
  App_MarkAllRedraw(c->layout);
}

void Ed3D_PolyRButtonUp(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  if (!c->model) return;
  // With both buttons held the shell swallows the first release: when that was the left one,
  // this release ends the drag and records its step.
  if (g_Shell.g_EditedFlag) Undo_PushSlot(c->slot);
  // A click picks even with automatic picking off.
  if (x == c->mouse->g_PolyDragAnchor.x && y == c->mouse->g_PolyDragAnchor.y) Ed3D_PickUnderCursor(c);
  if (c->sel->g_PolyTool == POLY_TOOL_FREE && c->view->kind != VIEW_MAIN) c->sel->g_FreeCreateCount = 0;
  Ed3DPolyEditor.dlgRefresh = 1;
}

void Ed3D_PolyFreeCreate(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  Model3 *m = c->model;
  const ViewRecord *v = c->view;
  if (!m || c->sel->g_PolyTool != POLY_TOOL_FREE || c->sel->g_FreeCreateCount >= POLY_FREE_POINTS) return;
  // The point under the mouse joins the fixed ones.
  if (!Poly_FreePointAt(v, x, y, c->sel->g_FreeCreatePoints[c->sel->g_FreeCreateCount])) return;
  u32 count = ++c->sel->g_FreeCreateCount;
  c->sel->g_FreeCreateCount = 0;
  if (!Poly_AppendFreePolygon(m, c->sel, v, count)) return;
  Model3_CalcNormals(m);
  Str_Format(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "自由作成:%u ( モデリング )", count);
  Doc_MarkEdited(DOC_MODEL3);
  Undo_PushSlot(c->slot);
  m->changed = 1;
  Ed3DPolyEditor.dlgRefresh = 1;
  Ed3D_PolyAfterEdit(c->layout);
}

void Ed3D_PolyLButtonUp(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  DragAnchor_Set(c->mouse, DRAG_ANCHOR_POLY, x, y);
  Model3 *m = c->model;
  if (!m) return;
  if (c->sel->g_PolyTool == POLY_TOOL_FREE && c->view->kind != VIEW_MAIN) {
    if (c->sel->g_FreeCreateCount >= POLY_FREE_POINTS - 1) Ed3D_PolyFreeCreate(c);
    else if (Poly_FreePointAt(c->view, x, y, c->sel->g_FreeCreatePoints[c->sel->g_FreeCreateCount])) c->sel->g_FreeCreateCount++;
  }
  if (m->autoNormals && m->lighting) Model3_CalcNormals(m);
  m->changed = 1;
  // One undo step per drag, under the label the drag wrote.
  if (g_Shell.g_EditedFlag) Undo_PushSlot(c->slot);
  Ed3DPolyEditor.dlgRefresh = 1;
}

// The views of the context's layout a move over them draws again: the main view (the
// context's own when it is view 0) for a pick or a move, the others while creating freely.
static void FlagViewsForMove(const HookCtx *c) {
  u32 L = c->layout;
  const ShellSelection *sel = c->sel;
  if (c->viewIndex == 0) {
    if (sel->g_PolyNoAutoPick == 0 && (sel->g_PolyTool == POLY_TOOL_VERTEX || sel->g_PolyTool == POLY_TOOL_FACE)) App_MarkAllRedraw(c->layout);
    else if (sel->g_PolyTool == POLY_TOOL_MOVE) c->view->redraw = 1;
  }
  if (sel->g_PolyTool == POLY_TOOL_FREE)
    for (u32 i = 1; (i32)i < g_Shell.g_ViewCount[L] && i < VIEWS_PER_LAYOUT; i++) {
      ViewRecord *v = i == c->viewIndex ? c->view : View_Get(L, i);
      if (v->inUse == 1) v->redraw = 1;
    }
}

static void DragLabel(const char *label) {
  Str_Format(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "%s", label);
  Doc_MarkEdited(DOC_MODEL3);
}

void Ed3D_PolyMouseMove(const HookCtx *c) {
  if (!c->model) return;
  FlagViewsForMove(c);
  if (!LeftAlone()) return;
  Ed3D_PolyDrag(c);
}

// Whether a drag step of (dx, dy) moves anything: some vertex is selected and the mouse moved.
static bool DragMoves(const HookCtx *c, i32 dx, i32 dy) {
  const u32 *flags = c->sel->g_PolySelVerts;
  if ((dx == 0 && dy == 0) || !flags) return false;
  i32 n = c->model->positionCount < (i32)App_WorkVertCount() ? c->model->positionCount : (i32)App_WorkVertCount();
  for (i32 v = 0; v < n; v++)
    if (flags[v]) return true;
  return false;
}

void Ed3D_PolyDrag(const HookCtx *c) {
  ShellMouse *mouse = c->mouse;
  i32 dx = c->x - mouse->g_PolyDragAnchor2.x, dy = c->y - mouse->g_PolyDragAnchor2.y;
  i32 ax = mouse->g_PolyDragAnchor.x, ay = mouse->g_PolyDragAnchor.y;
  // A drag with nothing selected is no edit.
  u32 tool = c->sel->g_PolyTool;
  if ((tool == POLY_TOOL_MOVE || tool == POLY_TOOL_ROTATE || tool == POLY_TOOL_SCALE) && !DragMoves(c, dx, dy)) {
    DragAnchor_Set(mouse, DRAG_ANCHOR_POLY2, c->x, c->y);
    return;
  }
  switch (tool) {
    case POLY_TOOL_MOVE:
      DragLabel("移動 ( モデリング )");
      Poly_MoveStep(c, Ed3DPolyEditor.moveMode, dx, dy);
      break;
    case POLY_TOOL_ROTATE:
      if (c->view->kind == VIEW_MAIN || c->view->kind == VIEW_PERS) break;
      DragLabel("回転 ( モデリング )");
      Poly_RotateStep(c, dx, dy, ax, ay);
      break;
    case POLY_TOOL_SCALE:
      DragLabel("拡大 ( モデリング )");
      Poly_ScaleStep(c, dx, dy, ax, ay);
      break;
    case POLY_TOOL_MARK_CHANGED: c->model->changed = 1; break;
    default: break;
  }
  DragAnchor_Set(mouse, DRAG_ANCHOR_POLY2, c->x, c->y);
}
