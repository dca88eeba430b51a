// The 2D bone sub-mode (8): the pick, the drag of the selected bones, the crosses and skin
// edges drawn over the view, the rebinding of automatic skin vertices to their nearest bone,
// and the bone dialog's fills and handlers (the dialog is shared with the weight sub-mode).
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
#include "app/shell_view.h"
#include "app/tree.h"
#include "app/update.h"
#include "app/viewdraw.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_submode.h"
#include "edit2d/ed2d_poly.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/drawwire.h"
#include "lib/framework/lib.h"
#include "model/str.h"

static const char kParentRefused[] =
    "同じNo 又は、選択しているボーンより\n大きなNoのボーンは、親にすることができません。";

// [SECTION] hooks
void Ed2D_BoneInit(const HookCtx *c) {
  c->sel->g_CurSlot = 0;
  App_AllocWorkArrays(c->sel);
  Ed2D_InitCommon(c, SUB_2D_BONE);
}

void Ed2D_SetDragAnchors(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  f32 fx, fy;
  Ed2D_ClientToFrame(x, y, &fx, &fy);
  g_Ed2D.dragX = fx;
  g_Ed2D.dragY = fy;
  DragAnchors_SetAll(c->mouse, (i32)fx, (i32)fy);
}

// A bone's rest entry is relative to its parent (the rest matrices chain them), so its origin
// comes through its rest matrix: the point the skin is bound around and the cross is drawn at.
void Ed2D_BoneCrossPoint(const Bone2Model *m, i32 slot, i32 b, bool posed, f32 *x, f32 *y) {
  f32 o[3];
  if (posed) Bone2_TransformByPose(o, slot, b, 0.0f, 0.0f, 0.0f);
  else Bone2_TransformByRest(o, slot, b, 0.0f, 0.0f, 0.0f);
  *x = m->placeX + o[0];
  *y = m->placeY + o[1];
}

i32 Ed2D_PickBone(const Bone2Model *m, i32 slot, f32 fx, f32 fy, bool posed) {
  i32 best = -1;
  f32 bestD = 99999.9f;
  for (i32 b = 0; b < Bone2_BoneCount(m); b++) {
    f32 x, y;
    Ed2D_BoneCrossPoint(m, slot, b, posed, &x, &y);
    f32 d = fabsf(y - fy) + fabsf(x - fx);
    if (d < bestD) best = b, bestD = d;
  }
  return best;
}

void Ed2D_PickCurrentBone(const HookCtx *c, bool posed) {
  if (!posed) Bone2_BuildRestMatrices();   // a bone dragged since the last pass is where it now is
  f32 fx, fy;
  Ed2D_ClientToFrame(c->mouse->g_MouseX, c->mouse->g_MouseY, &fx, &fy);
  Ed2D_MakeBoneCurrent(c->model2, c->sel, c->layout, Ed2D_PickBone(c->model2, 0, fx, fy, posed));
}

void Ed2D_PickCurrentBone(bool posed) {
  HookCtx c = Family_ShellContext();
  Ed2D_PickCurrentBone(&c, posed);
}

bool Ed2D_ChooseBone(const Bone2Model *m, ShellSelection *sel, u32 layout, i32 b, bool fromList) {
  if (b < 0 || (m && b >= Bone2_BoneCount(m)) || (u32)b == sel->g_CurBoneIndex) return false;
  sel->g_CurBoneIndex = (u32)b;
  g_TreeRows.current = b;
  App_MarkAllRedraw(layout);
  // Every field shows the bone before anything else reads them: a "決定" that follows
  // applies the name and parent shown, to the bone shown.
  Ed2DEditor &e = g_Ed2D;
  e.boneReselect = fromList ? 0 : 1;
  Ed2D_BoneDlgShowCurrent(m, sel);
  if (m && e.boneDlg) {
    // The tree's own notification of this selection finds the bone current already.
    if (e.boneTree && e.treeItems[b]) Widget_TreeSelect(e.boneTree, e.treeItems[b]);
    if (e.parentCombo) Widget_ListSelect(e.parentCombo, m->bones[b].parent);
  }
  return true;
}

bool Ed2D_MakeBoneCurrent(const Bone2Model *m, ShellSelection *sel, u32 layout, i32 b) {
  return Ed2D_ChooseBone(m, sel, layout, b, false);
}
bool Ed2D_MakeBoneCurrent(i32 b) { return Ed2D_MakeBoneCurrent(Current_Bone2Edited(), &g_Sel, View_CurrentLayout(), b); }

static bool RightAlone(void) {
  return Shell_ButtonHeld(BUTTON_RIGHT) && !Shell_ButtonHeld(BUTTON_LEFT) && !Shell_ButtonHeld(BUTTON_MIDDLE);
}

static bool LeftAlone(void) {
  return Shell_ButtonHeld(BUTTON_LEFT) && !Shell_ButtonHeld(BUTTON_RIGHT) && !Shell_ButtonHeld(BUTTON_MIDDLE);
}

void Ed2D_BoneUpdate(const HookCtx *c) {
  Bone2Model *m = c->model2;
  if (!m || g_Bone2SlotShown[0] != 1) return;
  if (RightAlone()) Ed2D_PickCurrentBone(c, false);
  m->displayMode = 3;
  Lib_SetSceneDraw(1);
}

// The selection as the per-frame update last mirrored it from the list box.
bool Ed2D_BoneSelected(i32 b) { return b >= 0 && b < LIST_SEL_MIRROR && g_Shell.g_ListSelMirror[b] != 0; }

// A bone moves with the delta unless an ancestor of it moves too (it follows that one).
static bool AncestorSelected(const Bone2Model *m, const u32 *sel, i32 b) {
  i32 n = Bone2_BoneCount(m);
  for (i32 p = m->bones[b].parent, guard = 0; p > 0 && p < n && guard < n; p = m->bones[p].parent, guard++)
    if (sel[p]) return true;
  return false;
}

void Ed2D_MoveSelectedBones(Bone2Model *m, const u32 *sel, f32 dx, f32 dy) {
  for (i32 b = 0; b < Bone2_BoneCount(m); b++) {
    if (!sel[b] || AncestorSelected(m, sel, b)) continue;
    m->rest[b].x += dx;
    m->rest[b].y += dy;
  }
}

void Ed2D_BoneMouseMove(const HookCtx *c) {
  Bone2Model *m = c->model2;
  if (!m) return;
  f32 fx, fy;
  Ed2D_ClientToFrame(c->x, c->y, &fx, &fy);
  if (LeftAlone()) {
    u32 sel[BONE2_MAX_BONES] = {};
    for (i32 b = 0; b < Bone2_BoneCount(m); b++) sel[b] = Ed2D_BoneSelected(b) ? 1u : 0u;
    f32 dx = fx - g_Ed2D.dragX, dy = fy - g_Ed2D.dragY;
    if (dx != 0.0f || dy != 0.0f) {
      Ed2D_MoveSelectedBones(m, sel, dx, dy);
      Doc_MarkEdited(DOC_BONE2);
      App_MarkAllRedraw(c->layout);
    }
    Ed2D_RebindSkin(m);
  }
  g_Ed2D.dragX = fx;
  g_Ed2D.dragY = fy;
  DragAnchor_Set(c->mouse, DRAG_ANCHOR_MOTION, (i32)fx, (i32)fy);
  g_Ed2D.boneRefresh = 1;
}

// [SECTION] draw
static void Line(f32 x1, f32 y1, f32 x2, f32 y2, i32 r, i32 g, i32 b) {
  i32 ax = (i32)x1, ay = (i32)y1, bx = (i32)x2, by = (i32)y2;
  if (ax == bx && ay == by) Draw_Point2D(ax, ay, r, g, b, 255);
  else Draw_Line2D(ax, ay, r, g, b, 255, bx, by, r, g, b, 255);
}

// The skin's edges in grey, then each bone's cross and the link to its parent; the bone and
// motion editors draw the same skeleton, the motion one from the posed points.
static void DrawSkinEdges(const Bone2Model *m, const Bone2Point *pts, i32 grey) {
  if (!m->polygons || !pts) return;
  i32 np = m->polygonCount < m->polygonCapacity ? m->polygonCount : m->polygonCapacity;
  i32 nv = m->vertexCount < m->vertexCapacity ? m->vertexCount : m->vertexCapacity;
  // The edges are opaque: one between two polygons is drawn by the later one only.
  bool paired = Ed2D_PairEdges(m, pts, false, nullptr, true, nullptr);
  for (i32 i = 0; i < np; i++) {
    const Polygon2 *p = &m->polygons[i];
    i32 n = p->cornerCount < 4 ? p->cornerCount : 4;
    if (p->used != 1 || n <= 0) continue;
    for (i32 c = 0; c < n; c++) {
      i32 a = p->corners[c].vertex, b = p->corners[(c + 1) % n].vertex;
      if (a >= nv || b >= nv) continue;   // a corner outside the skin has no place
      f32 x1 = m->placeX + pts[a].x, y1 = m->placeY + pts[a].y, x2 = m->placeX + pts[b].x, y2 = m->placeY + pts[b].y;
      // A later polygon draws it
      if (paired && DrawWire_Skip((u32)(4 * i + c))) continue;
      Line(x1, y1, x2, y2, grey, grey, grey);
    }
  }
}

void Ed2D_DrawSkeleton(const Bone2Model *m, const Bone2Point *pts, bool posed, i32 edgeGrey, i32 linkShade,
                       u32 curBone) {
  DrawBatch_Begin();
  DrawSkinEdges(m, pts, edgeGrey);
  i32 n = Bone2_BoneCount(m);
  for (i32 b = 0; b < n; b++) {
    f32 sx, sy;
    Ed2D_BoneCrossPoint(m, 0, b, posed, &sx, &sy);
    i32 shade = (u32)b == curBone ? 255 : 180;
    Line(sx - 5, sy - 5, sx + 5, sy + 5, shade, shade, 0);
    Line(sx + 5, sy - 5, sx - 5, sy + 5, shade, shade, 0);
    i32 p = m->bones[b].parent;
    if (p > 0 && p < n) {
      f32 px, py;
      Ed2D_BoneCrossPoint(m, 0, p, posed, &px, &py);
      Line(sx, sy, px, py, linkShade, linkShade, 0);
    }
  }
  DrawBatch_End();
}

void Ed2D_BoneDraw(const HookCtx *c) {
  View_Draw2DGrid(c->view);
  const Bone2Model *m = c->model2;
  if (!m || g_Bone2SlotShown[0] == 0) return;
  Ed2D_DrawSkeleton(m, m->positions, false, 160, 125, c->sel->g_CurBoneIndex);
}

// [SECTION] rebind
static bool ReserveRebind(i32 n) {
  Ed2DEditor &e = g_Ed2D;
  if (n <= e.rebindCapacity) return true;
  u16 *nearest = (u16 *)realloc(e.rebindNearest, sizeof(u16) * (size_t)n);
  if (nearest) e.rebindNearest = nearest;
  f32 *best = (f32 *)realloc(e.rebindBest, sizeof(f32) * (size_t)n);
  if (best) e.rebindBest = best;
  if (!nearest || !best) return false;
  e.rebindCapacity = n;
  return true;
}

void Ed2D_RebindModel(Bone2Model *m, i32 slot) {
  i32 nb = Bone2_BoneCount(m);
  if (nb == 0 || !m->bindings || !m->positions) return;
  for (i32 b = 0; b < nb; b++) {
    Bone2_TransformByRest(m->workPoint[b], slot, b, 0.0f, 0.0f, 0.0f);
    m->workCount[b] = 1;
  }
  for (i32 b = 0; b < nb; b++) {
    i32 p = m->bones[b].parent;
    if (p <= 0 || p >= nb) continue;
    for (i32 k = 0; k < 3; k++) m->workPoint[p][k] += m->workPoint[b][k];
    m->workCount[p]++;
  }
  for (i32 b = 0; b < nb; b++)
    for (i32 k = 0; k < 3; k++) m->workPoint[b][k] /= (f32)m->workCount[b];
  i32 nv = m->vertexCount < m->vertexCapacity ? m->vertexCount : m->vertexCapacity;
  if (!ReserveRebind(nv > 0 ? nv : 1)) return;
  u16 *nearest = g_Ed2D.rebindNearest;
  f32 *best = g_Ed2D.rebindBest;
  for (i32 v = 0; v < nv; v++) {
    nearest[v] = 1;
    best[v] = 99999.9f;
    if (m->bindings[v].automatic != 1 || nb < 2) continue;
    const Bone2Point *q = &m->positions[v];
    for (i32 k = 1; k < nb; k++) {
      f32 d = fabsf(q->y - m->workPoint[k][1]) + fabsf(q->x - m->workPoint[k][0]);
      if (d < best[v]) nearest[v] = (u16)k, best[v] = d;
    }
  }
  Bone2_ModelChanged();   // the bindings are the skin's too
  for (i32 v = 0; v < nv; v++) {
    VertexBinding *bind = &m->bindings[v];
    if (bind->automatic != 1) continue;
    bind->bone1 = nearest[v];
    bind->bone2 = 0;
    bind->weight = 1.0f;
  }
}

void Ed2D_RebindSkin(Bone2Model *m) {
  if (!m || g_FrameOutputSuppressed || g_Bone2SlotShown[0] != 1) return;
  // The rest matrices are rebuilt each frame: a bone moved since would be seen where it was.
  Bone2_BuildRestMatrices();
  Ed2D_RebindModel(m, 0);
}

// [SECTION] dialog fills
void Ed2D_BoneLabel(const Bone2Model *m, i32 b, char *out, u32 size) {
  if (b == 0) Str_Format(out, size, " 0  親ボーン");
  else Str_Format(out, size, "%2d  %s", (int)b, m->bones[b].name);
}

void Ed2D_ParentBoneLines(const Bone2Model *m, i32 curBone, Ed2DLines *out) {
  out->count = Bone2_BoneCount(m);
  out->select = curBone < out->count ? curBone : -1;
  for (i32 b = 0; b < out->count; b++) {
    char label[ED2D_LINE];
    Ed2D_BoneLabel(m, b, label, sizeof label);
    i32 p = m->bones[b].parent;
    if (b > 0 && p > 0) Str_Format(out->text[b], ED2D_LINE, "%s ( %d )", label, (int)p);
    else Str_Format(out->text[b], ED2D_LINE, "%s", label);
  }
}

void Ed2D_ParentComboLines(const Bone2Model *m, i32 curBone, Ed2DLines *out) {
  out->count = Bone2_BoneCount(m);
  out->select = curBone < out->count ? m->bones[curBone].parent : -1;
  for (i32 b = 0; b < out->count; b++) Ed2D_BoneLabel(m, b, out->text[b], ED2D_LINE);
}

static Ed2DLines s_Lines;

void Ed2D_FillParentBoneList(const Bone2Model *m, u32 curBone) {
  if (!m || !g_Ed2D.boneList) return;
  Ed2D_ParentBoneLines(m, (i32)curBone, &s_Lines);
  Ed2D_Fill(g_Ed2D.boneList, false, &s_Lines);
  Ed2D_FillParentCombo(m, curBone);
}

void Ed2D_FillParentCombo(const Bone2Model *m, u32 curBone) {
  if (!m || !g_Ed2D.parentCombo) return;
  Ed2D_ParentComboLines(m, (i32)curBone, &s_Lines);
  Ed2D_Fill(g_Ed2D.parentCombo, true, &s_Lines);
}

void Ed2D_InsertBoneTreeItem(const Bone2Model *m, i32 b) {
  Ed2DEditor &e = g_Ed2D;
  if (!m || b < 0 || b >= Bone2_BoneCount(m)) return;
  Ed2D_BoneLabel(m, b, e.boneLabels[b], ED2D_LABEL);
  i32 p = m->bones[b].parent;
  // A parent not below its child (a file may hold one) has no item yet: the bone goes to the root.
  void *parent = p > 0 && p < b ? e.treeItems[p] : nullptr;
  e.treeItems[b] = Widget_TreeInsert(e.boneTree, parent, e.boneLabels[b]);
  if (parent) Widget_TreeExpand(e.boneTree, parent);
}

void Ed2D_FillBoneTree(const Bone2Model *m, u32 curBone) {
  Ed2DEditor &e = g_Ed2D;
  if (!m || !e.boneTree) return;
  Widget_TreeClear(e.boneTree);
  memset(e.treeItems, 0, sizeof e.treeItems);
  for (i32 b = 0; b < Bone2_BoneCount(m); b++) Ed2D_InsertBoneTreeItem(m, b);
  if (curBone < BONE2_MAX_BONES && e.treeItems[curBone]) Widget_TreeSelect(e.boneTree, e.treeItems[curBone]);
}

// [SECTION] dialog handlers
bool Ed2D_SetBoneParent(Bone2Model *m, i32 bone, i32 choice) {
  if (choice < 0) return true;   // no line chosen: the parent stays
  if (choice >= Bone2_BoneCount(m)) choice = 0;
  if (choice < bone) {
    m->bones[bone].parent = choice;
    return true;
  }
  return false;
}

static void FillAll(const Bone2Model *m) {
  Ed2D_FillParentBoneList(m, g_Sel.g_CurBoneIndex);
  Ed2D_FillBoneTree(m, g_Sel.g_CurBoneIndex);
}

// Rest origin of bone b of slot 0 where the bone editor draws its cross (without the placement).
static void RestOrigin(i32 b, f32 out[2]) {
  f32 o[3];
  Bone2_TransformByRest(o, 0, b, 0.0f, 0.0f, 0.0f);
  out[0] = o[0];
  out[1] = o[1];
}

// Rest entries are relative to the parent: after bone `from` changed parent, each bone from
// there on whose origin moved gets the rest position that puts it back at was[b] (its parent's
// rest matrix inverted on the plane). Model m is slot 0's.
void Ed2D_KeepBonesInPlace(Bone2Model *m, i32 from, const f32 (*was)[2]) {
  i32 n = Bone2_BoneCount(m);
  for (i32 b = from > 1 ? from : 1; b < n; b++) {
    Bone2_BuildSlotMatrices(0);
    f32 now[2];
    RestOrigin(b, now);
    if (fabsf(now[0] - was[b][0]) < 1e-4f && fabsf(now[1] - was[b][1]) < 1e-4f) continue;
    i32 p = m->bones[b].parent;
    f32 o[3], ex[3], ey[3];
    bool chained = p >= 0 && p < b;
    if (chained) {
      Bone2_TransformByRest(o, 0, p, 0.0f, 0.0f, 0.0f);
      Bone2_TransformByRest(ex, 0, p, 1.0f, 0.0f, 0.0f);
      Bone2_TransformByRest(ey, 0, p, 0.0f, 1.0f, 0.0f);
    } else {
      o[0] = o[1] = 0.0f, ex[0] = 1.0f, ex[1] = 0.0f, ey[0] = 0.0f, ey[1] = 1.0f;
    }
    f32 ax = ex[0] - o[0], ay = ex[1] - o[1], bx = ey[0] - o[0], by = ey[1] - o[1];
    f32 det = ax * by - bx * ay, dx = was[b][0] - o[0], dy = was[b][1] - o[1];
    if (fabsf(det) < 1e-12f) continue;   // a parent scaled to nothing: no position puts it back
    m->rest[b].x = (dx * by - bx * dy) / det;
    m->rest[b].y = (ax * dy - dx * ay) / det;
  }
  Bone2_BuildSlotMatrices(0);
}

static void Apply(Bone2Model *m) {
  Ed2DEditor &e = g_Ed2D;
  i32 b = (i32)g_Sel.g_CurBoneIndex;
  if (b >= Bone2_BoneCount(m)) return;
  char name[256] = "";
  if (!Widget_ReadText(e.boneDlg, IDC_BONE_NAME, name, sizeof name)) return;
  memcpy(m->bones[b].name, name, sizeof name);
  m->bones[b].name[255] = 0;
  i32 choice = e.parentCombo ? Widget_ListSelection(e.parentCombo) : -1;
  i32 parentBefore = m->bones[b].parent;
  // Where every bone is drawn before the change: a new parent keeps each of them there.
  static f32 was[BONE2_MAX_BONES][2];
  bool slot0 = m == g_Bone2Slots[0];
  if (slot0) {
    Bone2_BuildSlotMatrices(0);
    for (i32 i = 0; i < Bone2_BoneCount(m); i++) RestOrigin(i, was[i]);
  }
  if (!Ed2D_SetBoneParent(m, b, choice)) Widget_MessageOk(kParentRefused);
  if (slot0 && m->bones[b].parent != parentBefore) Ed2D_KeepBonesInPlace(m, b, was);
  Doc_MarkEdited(DOC_BONE2);
  FillAll(m);
  Tree_LinkBones2D();
  Tree_BuildRowsBones2D();
}

static void AddBone(Bone2Model *m) {
  if (m->boneCount < BONE2_MAX_BONES) {
    m->boneCount++;
    Doc_MarkEdited(DOC_BONE2);
  }
  Ed2D_RebindSkin(m);
  FillAll(m);
  Tree_LinkBones2D();
  Tree_BuildRowsBones2D();
}

void Ed2D_BoneDlgCommand(u32 id) {
  Ed2DEditor &e = g_Ed2D;
  Bone2Model *m = Current_Bone2Edited();
  if (!m) return;
  i32 caret = e.boneList ? Widget_ListCaret(e.boneList) : -1;
  Ed2D_ChooseBone(m, &g_Sel, View_CurrentLayout(), caret, true);
  switch (id) {
    case IDC_BONE_APPLY: Apply(m); break;
    case IDC_BONE_COLOR: {
      f32 rgb[3];
      if (Ed2D_ChooseColour(rgb)) {
        for (i32 k = 0; k < 3; k++) m->colour[k] = rgb[k];
        Doc_MarkEdited(DOC_BONE2);
      }
      e.boneRefresh = 1;
      break;
    }
    case IDC_BONE_ADD: AddBone(m); break;
    default: break;
  }
}

void Ed2D_BoneDlgShowCurrent(const Bone2Model *m, const ShellSelection *sel) {
  Ed2DEditor &e = g_Ed2D;
  if (!e.boneDlg) {
    e.boneRefresh = 1;   // a dialog opened later shows the bone
    return;
  }
  e.boneRefresh = 0;
  u32 b = sel->g_CurBoneIndex;
  char text[64];
  Str_Format(text, sizeof text, "ボーンNo.%d", (int)b);
  Widget_SetText(e.boneDlg, IDC_BONE_NO, text);
  if (e.boneReselect && e.boneList) {
    Widget_ListSelectOnly(e.boneList, (i32)b);
    Widget_SetCaret(e.boneList, (i32)b);   // the next command takes the caret's bone
  }
  e.boneReselect = 0;
  if (!m || b >= (u32)Bone2_BoneCount(m)) return;
  const BoneKey2 *r = &m->rest[b];
  Str_Format(text, sizeof text, "%3.3f", (double)r->x);
  Widget_SetText(e.boneDlg, IDC_BONE_X, text);
  Str_Format(text, sizeof text, "%3.3f", (double)r->y);
  Widget_SetText(e.boneDlg, IDC_BONE_Y, text);
  Widget_SetText(e.boneDlg, IDC_BONE_NAME, m->bones[b].name);
}

void Ed2D_BoneDlgTick(void) {
  if (g_Ed2D.boneRefresh != 1) return;
  HookCtx c = Family_ShellContext();
  Ed2D_BoneDlgShowCurrent(c.model2, c.sel);
}

void Ed2D_BoneTreeSelected(const char *text) {
  Ed2DEditor &e = g_Ed2D;
  const Bone2Model *m = Current_Bone2Edited();
  if (!m || !text) return;
  for (i32 b = 0; b < Bone2_BoneCount(m); b++)
    if (strcmp(e.boneLabels[b], text) == 0) {
      Ed2D_MakeBoneCurrent(b);
      return;
    }
}
