// The weight sub-mode (17) of the 3D model editor: vertices selected by a box in the Front,
// Top and Side views (one pass per drawn frame of the active view), a bone picked by a right
// click, and the panel "3D_WEIGHT_DLG" binding the selected vertices to two bones with a
// weight. Draws the mesh as a wire frame with the current bone's and the selected vertices
// marked, and the bones as crosses joined to their parents.
#include <stdlib.h>
#include <string.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/startup_state.h"
#include "app/viewdraw.h"
#include "app/views.h"
#include "app/widget.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_bone.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/undo.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/drawmarks.h"
#include "lib/draw/texture.h"
#include "lib/framework/lib.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model/mesh.h"
#include "model/seam_errorbox.h"
#include "model/str.h"

static i32 Polygons(const Model3 *m) {
  if (!m->polygons) return 0;
  i32 n = m->polygonCount < m->capPolygons ? m->polygonCount : m->capPolygons;
  return n < 0 ? 0 : n;
}

static bool Held(u32 button) { return Shell_ButtonHeld(button) != 0; }


// [SECTION] model steps
i32 Ed3D_WeightApplyModel(Model3 *m, const u32 *sel, u32 room, i32 b1, i32 b2, f32 w) {
  if (!m || !m->bindings || !sel) return 0;
  i32 n = Model3_PositionCount(m);
  if ((u32)n > room) n = (i32)room;
  i32 changed = 0;
  for (i32 v = 0; v < n; v++) {
    if (!sel[v]) continue;
    VertexBinding &b = m->bindings[v];
    b.bone1 = (u16)b1;
    b.bone2 = (u16)b2;
    b.weight = w;
    b.automatic = b1 == 0 && b2 == 0 ? 1 : 0;
    changed++;
  }
  return changed;
}

// A bone number of the panel: a number whose whole part names a bone of the model.
static bool ParseBone(const char *text, i32 count, i32 *out) {
  f64 v;
  if (!Ed3D_ParseNumber(text, &v) || !(v > -1.0) || v >= (f64)count) return false;
  *out = (i32)v;   // toward zero: 2.9 is bone 2
  return true;
}

bool Ed3D_WeightParse(const Model3 *m, const char *t1, const char *t2, const char *tw, i32 *b1, i32 *b2, f32 *w,
                      char *msg, size_t msgSize) {
  i32 count = m ? Model3_BoneCount(m) : 0;
  if (!ParseBone(t1, count, b1) || !ParseBone(t2, count, b2)) {
    Str_Format(msg, msgSize, "ボーンNoには 0 から %d までの数値を入力してください。", count - 1);
    return false;
  }
  f64 v;
  if (!Ed3D_ParseNumber(tw, &v) || v < 0.0 || v > 1.0) {
    Str_Copy(msg, msgSize, "ウエイトには 0 から 1.0 までの数値を入力してください。");
    return false;
  }
  *w = (f32)v;
  return true;
}

// The flag a box gives under the buttons held now: 1 left alone, 0 right alone, -1 none.
static i32 BoxFlag(void) {
  bool l = Held(BUTTON_LEFT), mid = Held(BUTTON_MIDDLE), r = Held(BUTTON_RIGHT);
  if (l && !mid && !r) return 1;
  if (r && !l && !mid) return 0;
  return -1;
}

static inline void BoxTest(ShellSelection *sel, i32 flag, i32 vertex, i32 x, i32 y, i32 left, i32 top, i32 right, i32 bottom) {
  if (flag < 0 || vertex < 0 || (u32)vertex >= Poly_SelVertRoom(sel)) return;
  if (left < x && x < right && top < y && y < bottom) sel->g_PolySelVerts[vertex] = (u32)flag;
}

void Ed3D_WeightBoxPass(const Model3 *m, const ViewRecord *v, i32 left, i32 top, i32 right, i32 bottom) {
  Ed3D_WeightBoxPass(&g_Sel, m, v, left, top, right, bottom);
}

void Ed3D_WeightBoxPass(ShellSelection *sel, const Model3 *m, const ViewRecord *v, i32 left, i32 top, i32 right, i32 bottom) {
  i32 flag = BoxFlag();
  if (!m || flag < 0 || right - left < 2 || bottom - top < 2) return;
  i32 verts = Model3_PositionCount(m);
  for (i32 f = 0, n = Polygons(m); f < n; f++) {
    const Polygon3 &p = m->polygons[f];
    i32 k = p.cornerCount > 4 ? 4 : p.cornerCount;
    for (i32 j = 0; j < k; j++) {
      u32 vi = p.corners[j].vertex;
      i32 x, y;
      if (vi >= (u32)verts || !Ed3D_WeightScreen(v, m->positions[vi], &x, &y)) continue;
      BoxTest(sel, flag, (i32)vi, x, y, left, top, right, bottom);
    }
  }
}

// [SECTION] hooks
void Ed3D_WeightEnter(const HookCtx *c) {
  g_Lib.runState = 4;
  c->sel->g_CurSlot = 0;
  App_AllocWorkArrays(c->sel);
  App_LoadFamilyMenu("MENU_3D_BONE");
  Ed3DBonePanels &p = g_Ed3DBones;
  if (!p.weightPanel) p.weightPanel = Widget_CreatePanel("3D_WEIGHT_DLG", 0, 317, 90, 180);
  Ed3D_PolyClearFlags(c->sel);
}

void Ed3D_WeightLeave(const HookCtx *c) {
  Ed3DBonePanels &p = g_Ed3DBones;
  if (p.weightPanel) Widget_Destroy(p.weightPanel);
  p.weightPanel = nullptr;
}

void Ed3D_WeightUpdate(const HookCtx *c) {
  if (c->model) c->model->displayMode = 3;
  Lib_SetSceneDraw(1);
  c->sel->g_SelectedBone = c->sel->g_CurBoneIndex;
}

void Ed3D_WeightMouseMove(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  if (!Held(BUTTON_LEFT) && !Held(BUTTON_RIGHT)) return;
  DragAnchor_Set(c->mouse, DRAG_ANCHOR_OBJ_MOTION, x, y);
  // The box and the selection it makes are seen while the button is held.
  App_MarkAllRedraw(c->layout);
}

// A right click that did not move picks the bone nearest the click in the active view.
void Ed3D_WeightRButtonUp(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  const Model3 *m = c->model;
  const ShellMouse *mouse = c->mouse;
  ShellSelection *sel = c->sel;
  if (!m) return;
  if (mouse->g_PolyDragAnchor.x != mouse->g_ObjMotionDragAnchor.x || mouse->g_PolyDragAnchor.y != mouse->g_ObjMotionDragAnchor.y) return;
  Vec3 pts[MODEL3_BONES];
  i32 n = Model3_BoneCount(m);
  for (i32 b = 0; b < n; b++) pts[b] = Model3_GetBoneRestOrigin((i32)c->slot, b);
  i32 b = Ed3D_NearestBone(pts, n, c->view, true, x, y, false);
  if (b < 0 || (u32)b == sel->g_CurBoneIndex) return;
  sel->g_PrevBone = sel->g_CurBoneIndex;
  sel->g_CurBoneIndex = (u32)b;
  sel->g_BoneListDirty = 1;
  App_MarkAllRedraw(c->layout);
}

// [SECTION] overlay
static void Sorted(i32 a, i32 b, i32 *lo, i32 *hi) {
  *lo = a < b ? a : b;
  *hi = a < b ? b : a;
}

static void MeshPoint(const Model3 *m, const ViewRecord *v, u32 i, i32 *x, i32 *y) {
  Ed3D_WeightScreen(v, m->positions[i], x, y);
}

// Per position, the parts of its marks still to be drawn (drawmarks.h): box sides in bits 0-3,
// the cross's four points in bits 4-7; all of them unless planned. The selection drawn (the
// overlay's context's) names the current bone and the selected positions.
static struct {
  u8 *parts;
  i32 room;
  bool planned;
  const ShellSelection *sel;
} s_Marks;

static const i32 kCross[4][2] = {{0, -1}, {1, 0}, {0, 1}, {-1, 0}};

static bool Bound(const Model3 *m, u32 a) {
  const VertexBinding *bind = m->bindings ? &m->bindings[a] : nullptr;
  u32 cur = s_Marks.sel->g_CurBoneIndex;
  return bind && (bind->bone1 == cur || bind->bone2 == cur);
}

static bool Selected(u32 a) { return a < Poly_SelVertRoom(s_Marks.sel) && s_Marks.sel->g_PolySelVerts[a]; }

// The marks drawn after corner c's edge, planned backwards: a part that later primitives
// cover is left out.
static void PlanMarks(const Model3 *m, const i32 *px, const i32 *lastFrom, u32 c) {
  u32 a = m->polygons[c / 4].corners[c % 4].vertex;
  if (lastFrom[a] != (i32)c) return;
  i32 x = px[2 * a], y = px[2 * a + 1];
  // Where a later position lands on the same pixel its marks hide these wholly.
  u32 bits = Selected(a) && !DrawMarks_Again(x, y, 0) ? DrawMarks_Box(x - 3, y - 3, x + 3, y + 3) : 0;
  if (Bound(m, a) && !DrawMarks_Again(x, y, 1))
    for (i32 k = 3; k >= 0; k--) bits |= DrawMarks_Point(x + kCross[k][0], y + kCross[k][1]) ? 16u << k : 0;
  s_Marks.parts[a] = (u8)bits;
}

// Every part of every mark until the plan says otherwise.
static void ResetMarks(const Model3 *m) {
  i32 verts = m->positions ? (m->positionCount < m->capPositions ? m->positionCount : m->capPositions) : 0;
  s_Marks.planned = false;
  if (verts > s_Marks.room) {
    u8 *p = (u8 *)realloc(s_Marks.parts, (size_t)verts);
    if (!p) return;
    s_Marks.parts = p;
    s_Marks.room = verts;
  }
  if (verts > 0) memset(s_Marks.parts, 255, (size_t)verts);
  s_Marks.planned = verts > 0;
}

// One wire edge with the marks of its start vertex: a yellow cross when the current bone
// binds it, a yellow box when it is selected.
static void MeshEdge(const Model3 *m, u32 a, u32, const i32 e[4], bool lastFromA, bool stroke) {
  i32 x1 = e[0], y1 = e[1];
  if (stroke) Ed3D_WireStroke(x1, y1, e[2], e[3], 160, 160, 160);
  // The marks are opaque and the same at every edge that starts at a: drawn after the last
  // of them only, they leave the picture that drawing them after every one leaves.
  if (!lastFromA) return;
  u32 bits = s_Marks.planned ? s_Marks.parts[a] : 255;
  if (Bound(m, a))
    for (i32 c = 0; c < 4; c++)
      if (bits & (16u << c)) Draw_Point2D(x1 + kCross[c][0], y1 + kCross[c][1], 255, 255, 0, 255);
  if (Selected(a)) DrawMarks_DrawBox(x1 - 3, y1 - 3, x1 + 3, y1 + 3, bits & 15, 255, 255, 0, 255);
}

static void DrawMesh(const Model3 *m, const ShellSelection *sel, const ViewRecord *v) {
  s_Marks.sel = sel;
  ResetMarks(m);
  Ed3D_WireEdges(m, v, MeshPoint, MeshEdge, s_Marks.planned ? PlanMarks : nullptr);
}

static void DrawBones(const Model3 *m, u32 slot, u32 cur, const ViewRecord *v) {
  i32 n = Model3_BoneCount(m);
  DrawBatch_Begin();
  for (i32 b = 0; b < n; b++) {
    i32 x, y;
    Ed3D_WeightScreen(v, Model3_GetBoneRestOrigin((i32)slot, b), &x, &y);
    i32 c = (u32)b == cur ? 255 : 180;
    Draw_Line2D(x - 5, y - 5, c, c, 0, 255, x + 5, y + 5, c, c, 0, 255);
    Draw_Line2D(x + 5, y - 5, c, c, 0, 255, x - 5, y + 5, c, c, 0, 255);
    i32 parent = m->bones[b].parent;
    if (parent > 0 && parent < n) {
      i32 px, py;
      Ed3D_WeightScreen(v, Model3_GetBoneRestOrigin((i32)slot, parent), &px, &py);
      Draw_Line2D(x, y, 125, 125, 0, 255, px, py, 125, 125, 0, 255);
    }
  }
  DrawBatch_End();
}

void Ed3D_WeightDrawOverlay(const HookCtx *c) {
  View_Draw2DGrid(c->view);
  const Model3 *m = c->model;
  const ViewRecord *v = c->view;
  const ShellMouse *mouse = c->mouse;
  if (!m || (v->kind != VIEW_FRONT && v->kind != VIEW_TOP && v->kind != VIEW_SIDE)) return;
  i32 left, right, top, bottom;
  Sorted(mouse->g_PolyDragAnchor.x, mouse->g_ObjMotionDragAnchor.x, &left, &right);
  Sorted(mouse->g_PolyDragAnchor.y, mouse->g_ObjMotionDragAnchor.y, &top, &bottom);
  bool active = c->viewIndex == c->activeView;
  if (active) Ed3D_WeightBoxPass(c->sel, m, v, left, top, right, bottom);
  DrawMesh(m, c->sel, v);
  DrawBones(m, c->slot, c->sel->g_CurBoneIndex, v);
  if (active && Held(BUTTON_LEFT)) Draw_Rect2D(left, top, right, bottom, 0, 0, 255, 255);
}

// [SECTION] panel
// False when the field's text was refused (the user has been told).
static bool GetText(u32 id, char *out, u32 size) {
  out[0] = 0;
  bool taken = !g_Ed3DBones.weightPanel || Widget_ReadText(g_Ed3DBones.weightPanel, id, out, size);
  out[size - 1] = 0;
  return taken;
}

void Ed3D_WeightCommand(u32 id) {
  if (id != IDC_WEIGHT_APPLY) return;
  Model3 *m = Current_Model3();
  if (!m) return;
  char t1[ED3D_BONE_TEXT], t2[ED3D_BONE_TEXT], tw[ED3D_BONE_TEXT], msg[ED3D_BONE_TEXT];
  if (!GetText(IDC_WEIGHT_BONE1, t1, sizeof t1) || !GetText(IDC_WEIGHT_BONE2, t2, sizeof t2) ||
      !GetText(IDC_WEIGHT_VALUE, tw, sizeof tw))
    return;
  i32 b1, b2;
  f32 w;
  // Skinning reads one matrix per bone: a number past the bones, or a weight outside 0..1,
  // is refused before anything changes.
  if (!Ed3D_WeightParse(m, t1, t2, tw, &b1, &b2, &w, msg, sizeof msg)) {
    Seam_ErrorBox(msg);
    return;
  }
  if (Ed3D_WeightApplyModel(m, g_Sel.g_PolySelVerts, Poly_VertFlagRoom(), b1, b2, w) > 0) Doc_MarkEdited(DOC_MODEL3);
  Model3_AutoBindVertices(m);
  m->changed = 1;
  Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "数値入力 ( ウエイト )");
  Undo_Push(Undo_Current());
  g_Ed3DBones.weightRefresh = 1;
}

void Ed3D_WeightTick(void) {
  if (g_Ed3DBones.weightRefresh != 1) return;
  g_Ed3DBones.weightRefresh = 0;
  App_MarkAllRedraw(View_CurrentLayout());
}
