// The 2D weight sub-mode (9): the rectangle selection of skin vertices, the bone pick by a
// right click, the overlay (grey skin, vertices of the current bone, selected vertices, the
// bone crosses) and the panel that binds the selected vertices to two bones with a weight.
#include <float.h>
#include <math.h>
#include <stdlib.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/viewdraw.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_submode.h"
#include "edit2d/ed2d_poly.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/drawmarks.h"
#include "lib/draw/drawwire.h"
#include "lib/framework/lib.h"
#include "app/shell_view.h"
#include "model/numfield.h"
#include "model/seam_errorbox.h"

namespace {

i32 BoneCount(const Bone2Model *m) {
  if (!m || m->boneCount <= 0) return 0;
  return m->boneCount < BONE2_MAX_BONES ? m->boneCount : BONE2_MAX_BONES;
}

i32 Verts(const Bone2Model *m) {
  if (!m->positions) return 0;
  i32 n = m->vertexCount < m->vertexCapacity ? m->vertexCount : m->vertexCapacity;
  return n < 0 ? 0 : n;
}

bool Held(u32 b) { return Shell_ButtonHeld(b) != 0; }

void Line(i32 x1, i32 y1, i32 x2, i32 y2, i32 r, i32 g, i32 b) {
  if (x1 == x2 && y1 == y2) Draw_Point2D(x1, y1, r, g, b, 255);
  else Draw_Line2D(x1, y1, r, g, b, 255, x2, y2, r, g, b, 255);
}

// A decimal number filling the whole text (blanks around it allowed); false otherwise.
bool ParseNumber(const char *text, double *out) { return NumField_Float(text, -FLT_MAX, FLT_MAX, out) == NUMFIELD_OK; }

// A bone number: the value truncated toward zero, 0 or a bone of the model.
bool ParseBone(const char *text, i32 bones, i32 *out) {
  double v;
  if (!ParseNumber(text, &v)) return false;
  double t = trunc(v);
  if (t < 0.0 || (t > 0.0 && t >= (double)bones)) return false;
  *out = (i32)t;
  return true;
}

}  // namespace

// [SECTION] hooks
void Ed2D_WeightInit(const HookCtx *c) {
  c->sel->g_CurSlot = 0;
  App_AllocWorkArrays(c->sel);
  Ed2D_InitCommon(c, SUB_2D_WEIGHT);
  Ed2DPolyEditor &e = g_Ed2DPoly;
  if (!e.weightPanel) e.weightPanel = Widget_CreatePanel(Ed2D_WindowName(ED2D_WIN_WEIGHT_DLG), 0, 317, 90, 180);
  App_ClearSelectionFlags(c->sel, App_WorkVertCount(), App_WorkFaceCount());
}

void Ed2D_WeightLeave(const HookCtx *c) {
  Ed2DPolyEditor &e = g_Ed2DPoly;
  if (e.weightPanel) Widget_Destroy(e.weightPanel);
  e.weightPanel = nullptr;
}

void Ed2D_WeightUpdate(const HookCtx *c) {
  Bone2Model *m = c->model2;
  if (!m) return;
  m->displayMode = 3;
  Lib_SetSceneDraw(1);
}

void Ed2D_WeightMouseMove(const HookCtx *c) {
  if (!c->model2) return;
  Ed2DPolyEditor &e = g_Ed2DPoly;
  Ed2D_ClientToFrame(c->x, c->y, &e.mouseX, &e.mouseY);
  if (Held(BUTTON_LEFT) || Held(BUTTON_RIGHT)) {
    e.curX = (i32)floorf(e.mouseX);
    e.curY = (i32)floorf(e.mouseY);
  }
}

void Ed2D_WeightRButtonUp(const HookCtx *c) {
  Bone2Model *m = c->model2;
  ShellSelection *sel = c->sel;
  const Ed2DPolyEditor &e = g_Ed2DPoly;
  if (!m || e.startX != e.curX || e.startY != e.curY) return;
  // The cross the user sees: the rest origin plus the placement, in frame pixels.
  f32 fx, fy;
  Ed2D_ClientToFrame(c->x, c->y, &fx, &fy);
  Bone2_BuildRestMatrices();   // a bone moved since the last pass is where it now is
  u32 old = sel->g_CurBoneIndex;
  if (!Ed2D_MakeBoneCurrent(m, sel, c->layout, Ed2D_PickBone(m, 0, fx, fy, false))) return;
  sel->g_PrevBone = old;
  sel->g_BoneListDirty = 1;
}

void Ed2D_WeightRectTest(ShellSelection *sel, u32 v, i32 x, i32 y, const PolyRect *r) {
  if (!sel->g_PolySelVerts || v >= App_WorkVertCount()) return;
  bool left = Held(BUTTON_LEFT) && !Held(BUTTON_RIGHT), right = Held(BUTTON_RIGHT) && !Held(BUTTON_LEFT);
  if ((!left && !right) || !Poly_RectHolds(r, (f32)x, (f32)y)) return;
  sel->g_PolySelVerts[v] = left ? 1 : 0;
}

void Ed2D_WeightRectTest(u32 v, i32 x, i32 y, const PolyRect *r) { Ed2D_WeightRectTest(&g_Sel, v, x, y, r); }

// [SECTION] draw
// The selection the draw in progress shows (the draw hook's): the pairing's callbacks take
// a vertex only.
static const ShellSelection *s_Drawn;

static bool CrossedVertex(const Bone2Model *m, u32 v) { return m->bindings && m->bindings[v].bone1 == s_Drawn->g_CurBoneIndex; }

static bool BoxedVertex(u32 v) { return v < App_WorkVertCount() && s_Drawn->g_PolySelVerts && s_Drawn->g_PolySelVerts[v]; }

void Ed2D_WeightDraw(const HookCtx *c) {
  View_Draw2DGrid(c->view);
  const Bone2Model *m = c->model2;
  ShellSelection *sel = c->sel;
  s_Drawn = sel;
  if (!m || g_Bone2SlotShown[0] == 0 || !m->positions || !m->polygons) return;
  const Ed2DPolyEditor &e = g_Ed2DPoly;
  PolyRect r = Poly_SortedRect(e.startX, e.startY, e.curX, e.curY);
  i32 np = m->polygonCount < m->polygonCapacity ? m->polygonCount : m->polygonCapacity;
  // A vertex's marks are opaque and the same at every corner that passes it: drawn at the last
  // of them only, they leave the picture that drawing them at every one leaves.
  DrawBatch_Begin();
  const i32 *last = DrawBatch_IsOpen() ? Ed2D_LastCorners(m) : nullptr;
  // The edges are opaque: one between two polygons is drawn by the later one only.
  // A drag changes the selection as the walk goes: the marks are planned only without one.
  bool dragging = Held(BUTTON_LEFT) || Held(BUTTON_RIGHT);
  Ed2DMarks plan = {dragging ? nullptr : last, 3, BoxedVertex, CrossedVertex};
  bool paired = Ed2D_PairEdges(m, m->positions, true, nullptr, true, &plan);
  const u8 *marks = paired && plan.last ? Ed2D_MarkParts() : nullptr;
  for (i32 f = 0; f < np; f++) {
    const Polygon2 *p = &m->polygons[f];
    if (p->used != 1) continue;
    u32 verts[4];
    i32 k = Ed2D_PolyCorners(m, p, verts), xs[4], ys[4];
    for (i32 j = 0; j < k; j++) {
      Ed2D_CornerPoint(m, verts[j], &xs[j], &ys[j]);
      Ed2D_WeightRectTest(sel, verts[j], xs[j], ys[j], &r);
    }
    for (i32 j = 0; j < k; j++) {
      i32 n = (j + 1) % k, x = xs[j], y = ys[j];
      if (!paired || !DrawWire_Skip((u32)(4 * f + j))) Line(x, y, xs[n], ys[n], 160, 160, 160);
      if (last && last[verts[j]] != 4 * f + j) continue;
      u32 bits = marks ? marks[verts[j]] : 255;
      if (CrossedVertex(m, verts[j]))
        for (i32 c = 0; c < 4; c++)
          if (bits & (16u << c)) Draw_Point2D(x + g_Ed2DCross[c][0], y + g_Ed2DCross[c][1], 255, 255, 0, 255);
      if (BoxedVertex(verts[j])) DrawMarks_DrawBox(x - 3, y - 3, x + 3, y + 3, bits & 15, 255, 255, 0, 255);
    }
  }
  for (i32 b = 0; b < BoneCount(m); b++) {
    f32 fx, fy;
    Ed2D_BoneCrossPoint(m, 0, b, false, &fx, &fy);
    i32 x = (i32)floorf(fx + 0.5f), y = (i32)floorf(fy + 0.5f), shade = (u32)b == sel->g_CurBoneIndex ? 255 : 180;
    Line(x - 5, y - 5, x + 5, y + 5, shade, shade, 0);
    Line(x + 5, y - 5, x - 5, y + 5, shade, shade, 0);
    i32 parent = m->bones[b].parent;
    if (parent > 0 && parent < BoneCount(m)) {
      Ed2D_BoneCrossPoint(m, 0, parent, false, &fx, &fy);
      Line(x, y, (i32)floorf(fx + 0.5f), (i32)floorf(fy + 0.5f), 125, 125, 0);
    }
  }
  if (c->viewIndex == c->activeView) {
    if (Held(BUTTON_LEFT)) Draw_Rect2D(e.startX, e.startY, e.curX, e.curY, 0, 0, 255, 255);
    else if (Held(BUTTON_RIGHT)) Draw_Rect2D(e.startX, e.startY, e.curX, e.curY, 255, 0, 0, 255);
  }
  DrawBatch_End();
}

// [SECTION] binding
bool Ed2D_WeightApply(Bone2Model *m, const char *bone1, const char *bone2, const char *weight) {
  if (!m || !m->bindings) return false;
  i32 nb = BoneCount(m), b1, b2;
  double w;
  if (!ParseBone(bone1, nb, &b1) || !ParseBone(bone2, nb, &b2)) {
    Seam_ErrorBoxf("ボーン番号には 0 から %d までの数を入力して下さい。", nb > 0 ? nb - 1 : 0);
    return false;
  }
  if (!ParseNumber(weight, &w)) {
    Seam_ErrorBox("ウエイトには数を入力して下さい。");
    return false;
  }
  i32 n = Verts(m), room = (i32)App_WorkVertCount();
  for (i32 v = 0; v < n && v < room && g_Sel.g_PolySelVerts; v++) {
    if (!g_Sel.g_PolySelVerts[v]) continue;
    VertexBinding &b = m->bindings[v];
    b.bone1 = (u16)b1;
    b.bone2 = (u16)b2;
    b.weight = (f32)w;
    b.automatic = b1 == 0 && b2 == 0 ? 1u : 0u;
  }
  return true;
}

// [SECTION] panel
void Ed2D_WeightDlgCommand(u32 id) {
  Bone2Model *m = Current_Bone2Edited();
  void *p = g_Ed2DPoly.weightPanel;
  if (id != IDC_W2D_APPLY || !m || !p) return;
  char t1[64] = "", t2[64] = "", tw[64] = "";
  if (!Widget_ReadText(p, IDC_W2D_BONE1, t1, sizeof t1) || !Widget_ReadText(p, IDC_W2D_BONE2, t2, sizeof t2) ||
      !Widget_ReadText(p, IDC_W2D_WEIGHT, tw, sizeof tw))
    return;
  if (!Ed2D_WeightApply(m, t1, t2, tw)) return;
  Doc_MarkEdited(DOC_BONE2);
  Ed2D_RebindSkin(m);
  g_Ed2DPoly.weightRefresh = 1;
}

void Ed2D_WeightDlgTick(void) {
  if (g_Ed2DPoly.weightRefresh != 1) return;
  g_Ed2DPoly.weightRefresh = 0;
  App_MarkAllRedraw(View_CurrentLayout());
}
