// Bones of the 3D model editor: the model steps shared by the bone list panel and the two
// sub-modes (add, delete, parent rule, drag, picks), the bone list panel's handlers and the
// bone sub-mode (16). Owns the globals declared in ed3d_bone.h. The weight sub-mode is
// ed3d_weight.cpp's; the dialog procedures are ed3d_bone_win.cpp's.
#include "edit3d/ed3d_bone.h"

#include <ctype.h>
#include <float.h>
#include <math.h>
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
#include "app/tree.h"
#include "app/viewdraw.h"
#include "app/views.h"
#include "app/widget.h"
#include "edit3d/bone.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/undo.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/drawwire.h"
#include "lib/draw/texture.h"
#include "lib/framework/lib.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/render/objects.h"
#include "model/mesh.h"
#include "model/seam_errorbox.h"
#include "model/str.h"

Ed3DBonePanels g_Ed3DBones = {0, 0, -1, nullptr, 0, 0, 0};

static const char kRootUndeletable[] = "親ボーンは、消去できません。";
static const char kParentRefused[] = "同じNo 又は、選択しているボーンより\n大きなNoのボーンは、親にすることができません。";
static const char kPositionNotNumber[] = "位置には数値を入力してください。";

static const f32 kPixelStep = 0.025f;   // model units per pixel at zoom 1

// [SECTION] model steps
bool Ed3D_ParseNumber(const char *text, f64 *out) {
  if (!text) return false;
  while (isspace((unsigned char)*text)) text++;
  if (!*text) return false;
  char *end = nullptr;
  f64 v = strtod(text, &end);
  if (end == text) return false;
  while (isspace((unsigned char)*end)) end++;
  if (*end || !(fabs(v) <= FLT_MAX)) return false;   // stored as a float
  *out = v;
  return true;
}

bool Ed3D_SetBoneParent(Model3 *m, i32 bone, i32 choice) {
  if (!m || bone < 0 || bone >= Model3_BoneCount(m)) return false;
  if (choice < 0 || choice >= Model3_BoneCount(m)) choice = 0;
  // Only a lower number may be the parent: the tree fill and the pose pass rely on it.
  if (choice >= bone) return false;
  m->bones[bone].parent = choice;
  return true;
}

i32 Ed3D_ModelAddBone(Model3 *m, i32 parent) {
  if (!m || m->boneCount < 0 || m->boneCount >= MODEL3_BONES) return -1;
  i32 b = m->boneCount;
  // The record past the count may hold a deleted bone's leftovers: everything is set anew.
  Bone3 *bone = &m->bones[b];
  Str_Format(bone->name, MODEL3_NAME, "ボーン_%02d", b);
  bone->parent = parent >= 0 && parent < b ? parent : 0;
  bone->firstChild = bone->nextSibling = 0;
  for (i32 k = 0; k < 3; k++) bone->local[k] = bone->world[k] = 0.0f, bone->scale[k] = 1.0f;
  bone->quat[0] = bone->quat[1] = bone->quat[2] = 0.0f;
  bone->quat[3] = 1.0f;
  bone->keyIndex = 0;
  bone->keyFraction = 0.0f;
  bone->expanded = bone->listed = 0;
  BoneKey3_Identity(&m->boneRest[b], 0);
  i32 motions = m->motionCount < 0 ? 0 : (m->motionCount > MODEL3_MOTIONS ? MODEL3_MOTIONS : m->motionCount);
  if (Model3_EnsureKeyTable(m, b)) {
    for (i32 mo = 0; mo < motions; mo++) {
      KeyTrack *t = &bone->keys[mo];
      if (!KeyTrack_Reserve(t, t->capacity > MODEL3_TRACK_KEYS ? t->capacity : MODEL3_TRACK_KEYS)) {
        t->count = 0;
        continue;
      }
      t->count = 1;
      BoneKey3_Identity(&t->keys[0], 0);
    }
  }
  m->boneCount = b + 1;
  return b;
}

bool Ed3D_ModelDeleteBone(Model3 *m, i32 n) {
  if (!m || n <= 0 || n >= Model3_BoneCount(m)) return false;
  // The delete renumbers the bindings of the later bones; a vertex of bone n itself would stay
  // on whichever bone moves into its place. Automatic, it goes to its nearest remaining bone.
  if (m->bindings)
    for (i32 v = 0, count = Model3_PositionCount(m); v < count; v++) {
      VertexBinding &b = m->bindings[v];
      if (b.bone1 == n || b.bone2 == n) b.automatic = 1;
    }
  return Model3_DeleteBone(m, n);
}

bool Ed3D_BoneDragVector(u32 kind, f32 zoom, i32 dx, i32 dy, f32 out[3]) {
  out[0] = out[1] = out[2] = 0.0f;
  if (zoom == 0.0f) return false;
  f32 h = (f32)dx * kPixelStep / zoom, v = -(f32)dy * kPixelStep / zoom;
  switch (kind) {
    case VIEW_FRONT: out[0] = h; out[1] = v; return true;
    case VIEW_TOP: out[0] = h; out[2] = v; return true;
    case VIEW_SIDE: out[2] = h; out[1] = v; return true;
    default: return false;
  }
}

void Ed3D_BoneMoveOffset(Model3 *m, i32 b, const f32 d[3], bool childrenFollow) {
  if (!m || b < 0 || b >= Model3_BoneCount(m)) return;
  for (i32 k = 0; k < 3; k++) m->boneRest[b].pos[k] += d[k];
  if (childrenFollow) return;
  for (i32 c = 1; c < Model3_BoneCount(m); c++) {
    if (c == b || m->bones[c].parent != b) continue;
    for (i32 k = 0; k < 3; k++) m->boneRest[c].pos[k] -= d[k];
  }
}

static bool Ortho(const ViewRecord *v) { return v->kind == VIEW_FRONT || v->kind == VIEW_TOP || v->kind == VIEW_SIDE; }

bool Ed3D_BoneScreen(const ViewRecord *v, Vec3 p, i32 *sx, i32 *sy) {
  if (!Ortho(v)) return false;
  Poly_OrthoToScreen(v, p.x, p.y, p.z, sx, sy);
  return true;
}

bool Ed3D_WeightScreen(const ViewRecord *v, Vec3 p, i32 *sx, i32 *sy) {
  const f32 k = -40.0f * v->zoom;
  switch (v->kind) {
    case VIEW_FRONT:
      *sx = v->centerX - Poly_ScreenPixel(k * (p.x - v->panX));
      *sy = v->centerY - Poly_ScreenPixel(k * (v->panY - p.y));
      return true;
    case VIEW_TOP:
      *sx = v->centerX - Poly_ScreenPixel(k * (p.x - v->panX));
      *sy = v->centerY - Poly_ScreenPixel(k * (-p.z - v->panZ));
      return true;
    case VIEW_SIDE:
      *sx = v->centerX - Poly_ScreenPixel(k * (p.z + v->panZ));
      *sy = v->centerY - Poly_ScreenPixel(k * (v->panY - p.y));
      return true;
    default: return false;
  }
}

i32 Ed3D_NearestBone(const Vec3 *points, i32 count, const ViewRecord *v, bool weightMapping, i32 x, i32 y,
                     bool laterOnTies) {
  f32 best = 99999.9f;
  i32 found = -1;
  for (i32 b = 0; b < count; b++) {
    i32 sx, sy;
    bool ok = weightMapping ? Ed3D_WeightScreen(v, points[b], &sx, &sy) : Ed3D_BoneScreen(v, points[b], &sx, &sy);
    if (!ok) return -1;
    f32 d = (f32)(abs(sx - x) + abs(sy - y));
    if (d < best || (laterOnTies && d == best)) {
      best = d;
      found = b;
    }
  }
  return found;
}

// [SECTION] shared steps of the editors

// Rest positions of the bones of model m in slot `slot` as the pose record holds them (what is
// drawn).
static i32 RestPoints(const Model3 *m, u32 slot, Vec3 out[MODEL3_BONES]) {
  i32 n = Model3_BoneCount(m);
  for (i32 b = 0; b < n; b++) out[b] = Model3_GetBoneRestOrigin((i32)slot, b);
  return n;
}

static void SetCurrentBone(ShellSelection *sel, u32 layout, u32 b) {
  if (b == sel->g_CurBoneIndex) return;
  sel->g_PrevBone = sel->g_CurBoneIndex;
  sel->g_CurBoneIndex = b;
  sel->g_BoneListDirty = 1;
  App_MarkAllRedraw(layout);
}

static void LoadMenu(const char *name) {
  App_LoadFamilyMenu(name);
}

// One undo step of layer `slot` (a hook's context's, the panel's current layer).
static void Record(u32 slot, const char *label) {
  Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, label);
  Undo_PushSlot(slot);
}

// After a bone was added or deleted: poses, automatic bindings, links and rows, one undo
// step, the lists and the panel.
static void AfterBoneEdit(Model3 *m, ShellSelection *sel, u32 slot, const char *label) {
  Object_UpdateFrame();
  if (m) {
    Model3_AutoBindVertices(m);
    m->changed = 1;
  }
  Tree_LinkBones3D();
  Tree_BuildRowsBones3D();
  Record(slot, label);
  HookCtx c = Family_ShellContext();
  App_RefreshLists(&c);
  sel->g_BoneListDirty = 1;
}

// [SECTION] bone list panel
static void *Panel(void) { return g_Ed3D.bonePanel; }

// False when the field's text was refused (the user has been told).
static bool GetText(u32 id, char *out, u32 size) {
  out[0] = 0;
  bool taken = !Panel() || Widget_ReadText(Panel(), id, out, size);
  out[size - 1] = 0;
  return taken;
}

static void SetText(u32 id, const char *text) {
  if (Panel()) Widget_SetText(Panel(), id, text);
}

void Ed3D_AddBone(Model3 *m, ShellSelection *sel, u32 slot) {
  if (!m) return;
  i32 b = Ed3D_ModelAddBone(m, (i32)sel->g_CurBoneIndex);
  if (b >= 0) {
    sel->g_PrevBone = sel->g_CurBoneIndex;
    sel->g_CurBoneIndex = (u32)b;
    Doc_MarkEdited(DOC_MODEL3);
  }
  AfterBoneEdit(m, sel, slot, "ボーン追加");
}

bool Ed3D_DeleteCurrentBone(void) {
  Model3 *m = Current_Model3();
  if (!m) return true;
  if (g_Sel.g_CurBoneIndex == 0) {
    Seam_ErrorBox(kRootUndeletable);
    return false;
  }
  if (!Ed3D_ModelDeleteBone(m, (i32)g_Sel.g_CurBoneIndex)) return true;
  if (g_Sel.g_CurBoneIndex >= (u32)Model3_BoneCount(m)) g_Sel.g_CurBoneIndex = (u32)(Model3_BoneCount(m) - 1);
  Doc_MarkEdited(DOC_MODEL3);
  AfterBoneEdit(m, &g_Sel, g_Sel.g_CurSlot, "ボーン消去");
  return true;
}

// 決定: position, name and parent of the current bone, one undo step.
static void ApplyFields(const HookCtx *c) {
  Model3 *m = c->model;
  i32 b = (i32)c->sel->g_CurBoneIndex;
  if (b >= Model3_BoneCount(m)) return;
  static const u32 kIds[3] = {IDC_BONE_X, IDC_BONE_Y, IDC_BONE_Z};
  f64 pos[3];
  char text[ED3D_BONE_TEXT], name[ED3D_BONE_TEXT];
  // The name first: a refused name changes nothing.
  if (!GetText(IDC_BONE_NAME, name, sizeof name)) return;
  for (i32 k = 0; k < 3; k++) {
    if (!GetText(kIds[k], text, sizeof text)) return;
    // A field still showing a rounded position stands for the exact one shown.
    if (Widget_ShownValue(Panel(), kIds[k], text, &pos[k])) continue;
    if (!Ed3D_ParseNumber(text, &pos[k])) {
      Seam_ErrorBox(kPositionNotNumber);
      return;
    }
  }
  // What the bone was, so that a 決定 that changes nothing records no step.
  f32 posBefore[3] = {m->boneRest[b].pos[0], m->boneRest[b].pos[1], m->boneRest[b].pos[2]};
  i32 parentBefore = m->bones[b].parent;
  char nameBefore[MODEL3_NAME];
  Str_Copy(nameBefore, sizeof nameBefore, m->bones[b].name);
  for (i32 k = 0; k < 3; k++) m->boneRest[b].pos[k] = (f32)pos[k];
  Str_Copy(m->bones[b].name, MODEL3_NAME, name);
  void *combo = g_Ed3D.parentCombo;
  i32 choice = combo ? Widget_ListSelection(combo) : -1;
  if (!Ed3D_SetBoneParent(m, b, choice)) Widget_MessageOk(kParentRefused);
  c->sel->g_BoneListDirty = 1;
  bool changed = memcmp(posBefore, m->boneRest[b].pos, sizeof posBefore) != 0 || parentBefore != m->bones[b].parent ||
                 strcmp(nameBefore, m->bones[b].name) != 0;
  if (!changed) return;
  Doc_MarkEdited(DOC_MODEL3);
  Tree_LinkBones3D();
  Tree_BuildRowsBones3D();
  Ed3D_FillParentBoneList(c);
  Ed3D_FillBoneTree(c);
  Ed3D_FillParentBoneCombo(c);
  Record(c->slot, "決定 ( ボーン )");
}

// This file's state, main thread only. Written by Ed3D_PairWireEdges and Ed3D_WireEdges (one
// wire at a time, scratch): the rings of the pairing, the mark planner with its model for DrawWire_Plan's
// corner callback, the pixels of the last wire's positions (two per position) and the last
// edge that starts at each (grown as models grow).
static struct {
  u32 *ring;
  u8 *count;
  i32 room;
  const Model3 *model;
  Ed3DWirePlan plan;
  i32 *pixels, *last;
  i32 pixelRoom;
  u32 custom[WIDGET_COLOURS];   // the colour chooser's custom colours, kept for the run (ChooseColour)
} s_Bone;

static void ChooseColour(Model3 *m) {
  f32 rgb[3];
  if (Widget_ChooseColour(s_Bone.custom, WIDGET_COLOUR_FULL, rgb)) {
    for (i32 k = 0; k < 3; k++) m->color[k] = rgb[k];
    m->changed = 1;
    Doc_MarkEdited(DOC_MODEL3);
    Record(g_Sel.g_CurSlot, "カラー ( ボーン )");
  }
  g_Sel.g_BoneListDirty = 1;
}

// The list's focus line is the current bone; a list without one (-1) changes nothing.
static void FollowListLine(const Model3 *m) {
  void *list = g_Ed3D.boneList;
  i32 line = list ? Widget_ListCaret(list) : -1;
  if (line < 0 || line >= Model3_BoneCount(m)) return;
  g_Sel.g_CurBoneIndex = (u32)line;
  if (line != g_Ed3DBones.lastLine) {
    g_Ed3DBones.lastLine = line;
    g_TreeRows.current = line;
    App_MarkAllRedraw(View_CurrentLayout());
    g_Sel.g_BoneListDirty = 1;
  }
}

bool Ed3D_BoneListCommand(u32 id) {
  HookCtx c = Family_ShellContext();
  Model3 *m = c.model;
  if (!m) return true;
  FollowListLine(m);
  switch (id) {
    case IDC_BONE_ADD: Ed3D_AddBone(m, c.sel, c.slot); break;
    case IDC_BONE_DELETE: return Ed3D_DeleteCurrentBone();
    case IDC_BONE_COLOR: ChooseColour(m); break;
    case IDC_BONE_CHILDREN: Ed3DBoneEditor.childrenFollow = Ed3DBoneEditor.childrenFollow == 1 ? 0 : 1; break;
    case IDC_BONE_APPLY: ApplyFields(&c); break;
    default: break;
  }
  return true;
}

void Ed3D_BoneListTick(void) {
  if (g_Sel.g_BoneListDirty != 1 || !Panel()) return;
  g_Sel.g_BoneListDirty = 0;
  char text[ED3D_BONE_TEXT];
  Str_Format(text, sizeof text, "ボーンNo.%d", (int)g_Sel.g_CurBoneIndex);
  SetText(IDC_BONE_NO, text);
  const Model3 *m = Current_Model3();
  if (!m || g_Sel.g_CurBoneIndex >= (u32)Model3_BoneCount(m)) return;
  u32 b = g_Sel.g_CurBoneIndex;
  if (g_Ed3D.boneList) {
    Widget_ListSelectOnly(g_Ed3D.boneList, (i32)b);
    Widget_SetCaret(g_Ed3D.boneList, (i32)b);
  }
  Widget_SetCheck(Panel(), IDC_BONE_CHILDREN, Ed3DBoneEditor.childrenFollow != 0);
  static const u32 kIds[3] = {IDC_BONE_X, IDC_BONE_Y, IDC_BONE_Z};
  for (i32 k = 0; k < 3; k++) {
    Str_Format(text, sizeof text, "%3.3f", (double)m->boneRest[b].pos[k]);
    if (Panel()) Widget_ShowValue(Panel(), kIds[k], text, m->boneRest[b].pos[k]);
  }
  SetText(IDC_BONE_NAME, m->bones[b].name);
  if (g_Ed3D.parentCombo) Widget_ListSelect(g_Ed3D.parentCombo, m->bones[b].parent);
}

void Ed3D_BoneTreeSelected(const char *text) {
  const Model3 *m = Current_Model3();
  if (!m || !text) return;
  if (g_Ed3D.boneList) Widget_ListSelectOnly(g_Ed3D.boneList, -1);
  char line[ED3D_TREE_TEXT];
  for (i32 b = 0; b < Model3_BoneCount(m); b++) {
    Ed3D_BoneTreeText(m, b, line, sizeof line);
    if (strcmp(line, text) != 0) continue;
    g_Sel.g_CurBoneIndex = (u32)b;
    g_Sel.g_BoneListDirty = 1;
    App_MarkAllRedraw(View_CurrentLayout());
    return;
  }
}

// [SECTION] bone sub-mode
static bool Held(u32 button) { return Shell_ButtonHeld(button) != 0; }

void Ed3D_BoneInit(const HookCtx *c) {
  g_Lib.runState = 4;
  App_AllocWorkArrays(c->sel);

  LoadMenu("MENU_3D_BONE");
}

void Ed3D_BoneUpdate(const HookCtx *c) {
  Model3 *m = c->model;
  ShellSelection *sel = c->sel;
  if (!m) return;
  m->displayMode = 3;
  if (Held(BUTTON_RIGHT) && !Held(BUTTON_LEFT) && !Held(BUTTON_MIDDLE)) {
    Vec3 pts[MODEL3_BONES];
    i32 n = RestPoints(m, c->slot, pts);
    i32 b = Ed3D_NearestBone(pts, n, c->view, false, c->mouse->g_MouseX, c->mouse->g_MouseY, true);
    if (b >= 0) SetCurrentBone(sel, c->layout, (u32)b);
  }
  sel->g_SelectedBone = sel->g_CurBoneIndex;
}

void Ed3D_BoneMouseMove(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  if (!Held(BUTTON_LEFT) || Held(BUTTON_RIGHT) || Held(BUTTON_MIDDLE)) return;
  Model3 *m = c->model;
  ShellSelection *sel = c->sel;
  ShellMouse *mouse = c->mouse;
  if (!m) return;
  sel->g_MotionEditOp = 0;
  const ViewRecord *v = c->view;
  f32 d[3];
  i32 dx = x - mouse->g_PolyDragAnchor2.x, dy = y - mouse->g_PolyDragAnchor2.y;
  if ((dx || dy) && sel->g_CurBoneIndex < (u32)Model3_BoneCount(m) && Ed3D_BoneDragVector(v->kind, v->zoom, dx, dy, d)) {
    Ed3D_BoneMoveOffset(m, (i32)sel->g_CurBoneIndex, d, Ed3DBoneEditor.childrenFollow != 0);
    Model3_AutoBindVertices(m);
    Doc_MarkEdited(DOC_MODEL3);
    App_MarkAllRedraw(c->layout);
  }
  DragAnchor_Set(mouse, DRAG_ANCHOR_POLY2, x, y);
  sel->g_BoneListDirty = 1;
}

// Every release records a step, a click without a drag included.
void Ed3D_BoneLButtonUp(const HookCtx *c) {
  if (!c->model) return;
  c->model->changed = 1;
  Record(c->slot, "移動 ( ボーン )");
}

// The pick happens while the button is held (Ed3D_BoneUpdate).
void Ed3D_BoneRButtonUp(const HookCtx *c) { App_MarkAllRedraw(c->layout); }

bool Ed3D_PairWireEdges(const Model3 *m, i32 polys, const i32 *pixels, bool (*late)(u32 face), void (*marks)(u32 corner)) {
  if (polys > s_Bone.room) {
    u32 *r = (u32 *)realloc(s_Bone.ring, (size_t)polys * 4 * sizeof(u32));
    if (r) s_Bone.ring = r;
    u8 *c = (u8 *)realloc(s_Bone.count, (size_t)polys);
    if (c) s_Bone.count = c;
    if (!r || !c) return false;
    s_Bone.room = polys;
  }
  u32 verts = (u32)Model3_PositionCount(m);
  for (i32 f = 0; f < polys; f++) {
    const Polygon3 &p = m->polygons[f];
    u32 k = p.cornerCount > 4 ? 4 : (u32)p.cornerCount, *ring = &s_Bone.ring[4 * f];
    for (u32 j = 0; j < 4; j++) ring[j] = j < k ? p.corners[j].vertex : 0;
    for (u32 j = 0; j < k; j++)
      if (ring[j] >= verts) k = 0;
    s_Bone.count[f] = (u8)k;
  }
  DrawWire_Build(s_Bone.ring, s_Bone.count, (u32)polys);
  return DrawWire_Plan(pixels, verts, late, true, marks);
}


static void PlanWireMarks(u32 c) { s_Bone.plan(s_Bone.model, s_Bone.pixels, s_Bone.last, c); }

void Ed3D_WireEdges(const Model3 *m, const ViewRecord *v, Ed3DWirePoint point, Ed3DWireEdge edge, Ed3DWirePlan plan) {
  i32 verts = Model3_PositionCount(m);
  if (verts > s_Bone.pixelRoom) {
    i32 *p = (i32 *)realloc(s_Bone.pixels, (size_t)verts * 2 * sizeof(i32));
    if (p) s_Bone.pixels = p;
    i32 *l = (i32 *)realloc(s_Bone.last, (size_t)verts * sizeof(i32));
    if (l) s_Bone.last = l;
    if (!p || !l) return;
    s_Bone.pixelRoom = verts;
  }
  for (i32 i = 0; i < verts; i++) point(m, v, (u32)i, &s_Bone.pixels[2 * i], &s_Bone.pixels[2 * i + 1]);
  i32 polys = Model3_PolygonCount(m);
  for (i32 f = 0; f < polys; f++) {
    const Polygon3 &p = m->polygons[f];
    i32 k = p.cornerCount > 4 ? 4 : p.cornerCount;
    for (i32 j = 0; j < k; j++) {
      u32 a = p.corners[j].vertex, b = p.corners[(j + 1) % k].vertex;
      if (a < (u32)verts && b < (u32)verts) s_Bone.last[a] = 4 * f + j;
    }
  }
  DrawBatch_Begin();
  // Every wire is opaque: an edge between two polygons is stroked by the later one only.
  s_Bone.model = m;
  s_Bone.plan = plan;
  bool paired = DrawWire_Exact() && Ed3D_PairWireEdges(m, polys, s_Bone.pixels, nullptr, plan ? PlanWireMarks : nullptr);
  for (i32 f = 0; f < polys; f++) {
    const Polygon3 &p = m->polygons[f];
    i32 k = p.cornerCount > 4 ? 4 : p.cornerCount;
    for (i32 j = 0; j < k; j++) {
      u32 a = p.corners[j].vertex, b = p.corners[(j + 1) % k].vertex;
      if (a >= (u32)verts || b >= (u32)verts) continue;
      const i32 ends[4] = {s_Bone.pixels[2 * a], s_Bone.pixels[2 * a + 1], s_Bone.pixels[2 * b], s_Bone.pixels[2 * b + 1]};
      bool later = paired && DrawWire_Skip((u32)(4 * f + j));
      edge(m, a, b, ends, !DrawBatch_IsOpen() || s_Bone.last[a] == 4 * f + j, !later);
    }
  }
  DrawBatch_End();
}

void Ed3D_WireStroke(i32 x1, i32 y1, i32 x2, i32 y2, i32 r, i32 g, i32 b) {
  if (x1 == x2 && y1 == y2) Draw_Point2D(x1, y1, r, g, b, 255);
  else Draw_Line2D(x1, y1, r, g, b, 255, x2, y2, r, g, b, 255);
}

static void WirePoint(const Model3 *m, const ViewRecord *v, u32 i, i32 *x, i32 *y) {
  Poly_OrthoToScreen(v, m->positions[i].x, m->positions[i].y, m->positions[i].z, x, y);
}

static void WireEdge(const Model3 *, u32, u32, const i32 e[4], bool, bool stroke) {
  if (stroke) Ed3D_WireStroke(e[0], e[1], e[2], e[3], 160, 160, 160);
}

static void DrawWire(const Model3 *m, const ViewRecord *v) { Ed3D_WireEdges(m, v, WirePoint, WireEdge, nullptr); }

// A bone's point: the view's mapping in Front, Top and Side, the camera elsewhere.
static void BonePixel(const ViewRecord *v, Vec3 p, i32 *x, i32 *y) {
  if (Ed3D_BoneScreen(v, p, x, y)) return;
  f32 s[3];
  Cam_ProjectToScreen(s, p.x, p.y, p.z);
  *x = (i32)s[0];
  *y = (i32)s[1];
}

void Ed3D_BoneDraw(const HookCtx *ctx) {
  View_Draw2DGrid(ctx->view);
  const Model3 *m = ctx->model;
  if (!m) return;
  const ViewRecord *v = ctx->view;
  u32 cur = ctx->sel->g_CurBoneIndex;
  if (Ortho(v)) DrawWire(m, v);
  DrawBatch_Begin();
  Vec3 pts[MODEL3_BONES];
  i32 n = RestPoints(m, ctx->slot, pts);
  for (i32 b = 0; b < n; b++) {
    i32 x, y;
    BonePixel(v, pts[b], &x, &y);
    i32 c = (u32)b == cur ? 255 : 180;
    Draw_Line2D(x - 5, y - 5, c, c, 0, 255, x + 5, y + 5, c, c, 0, 255);
    Draw_Line2D(x + 5, y - 5, c, c, 0, 255, x - 5, y + 5, c, c, 0, 255);
    i32 parent = m->bones[b].parent;
    if (parent >= 1 && parent < n) {
      i32 px, py;
      BonePixel(v, pts[parent], &px, &py);
      Draw_Line2D(x, y, 125, 125, 0, 255, px, py, 125, 125, 0, 255);
    }
  }
  if (Held(BUTTON_LEFT) || Held(BUTTON_MIDDLE)) {
    if (cur >= 1 && cur < (u32)n) Ed3D_DrawBoneAxesOf(ctx->slot, ctx->layout, cur, (i32)cur, -1);
  } else if (!Held(BUTTON_RIGHT)) {
    for (i32 b = 1; b < n; b++) Ed3D_DrawBoneAxesOf(ctx->slot, ctx->layout, cur, b, -1);
  }
  DrawBatch_End();
}
