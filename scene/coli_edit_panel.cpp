// The collision editor's four panels as portable handlers: where they open, what they show
// and what their controls do. The dialog procedures only pass control ids and typed texts in
// and copy the view out (scene/coli_edit_win.cpp).
#include <math.h>
#include <stdlib.h>

#include "app/docflags.h"
#include "app/views.h"
#include "app/widget.h"
#include "model/numfield.h"
#include "model/seam_errorbox.h"
#include "model/str.h"
#include "scene/coli_edit.h"

// [SECTION] Places

void Coli_PanelRect(u32 panel, i32 screenW, i32 rect[4]) {
  static const i32 kSizes[COLI_PANELS][3] = {
      {90, 102, 0}, {172, 145, 171}, {140, 305, 140}, {130, 265, 130},   // w, h, distance from the right edge
  };
  if (panel >= COLI_PANELS) panel = COLI_PANEL_SELECT;
  const i32 *s = kSizes[panel];
  rect[0] = panel == COLI_PANEL_SELECT ? 0 : screenW - s[2];
  rect[1] = panel == COLI_PANEL_SELECT ? 317 : 46;
  rect[2] = s[0];
  rect[3] = s[1];
}

// [SECTION] Views

static void AddText(ColiPanelView *v, u32 id, const char *fmt, double value) {
  if (v->count >= COLI_VIEW_TEXTS) return;
  v->ids[v->count] = id;
  Str_Format(v->texts[v->count], COLI_VIEW_TEXT, fmt, value);
  v->values[v->count] = value;
  v->valued |= 1u << v->count;
  v->count++;
}

static void SetButtons(ColiPanelView *v, const u32 *ids, u32 n, u32 pressedIndex) {
  for (u32 i = 0; i < n && i < 5; i++) v->buttons[i] = ids[i];
  v->pressed = pressedIndex < n ? ids[pressedIndex] : 0;
}

static void RangeView(ColiPanelView *v) {
  const f32 *b = g_Coli.doc->bounds;
  AddText(v, IDC_COLI_MIN_X, "%2.0f", b[0]);
  AddText(v, IDC_COLI_MAX_X, "%2.0f", b[3]);
  AddText(v, IDC_COLI_MIN_Z, "%2.0f", b[2]);
  AddText(v, IDC_COLI_MAX_Z, "%2.0f", b[5]);
  AddText(v, IDC_COLI_MIN_Y, "%2.0f", b[1]);
}

// The "No" line and the value lines of a wall; "?" forms without a current record.
static void WallLines(ColiPanelView *v, const u32 ids[], i32 cur, i32 count, const f32 *values, u32 nValues) {
  static const char *const kFormats[4] = {"Ｘ : %2.2f", "Ｚ : %2.2f", "角度 : %2.2f", "サイズ : %2.2f"};
  static const char *const kUnknown[4] = {"Ｘ : ?", "Ｚ : ?", "角度 : ?", "サイズ : ?"};
  v->ids[0] = ids[0];
  if (values)
    Str_Format(v->texts[0], COLI_VIEW_TEXT, "No : %d / %d / %d", (int)(cur + 1), (int)count, 100);
  else
    Str_Format(v->texts[0], COLI_VIEW_TEXT, "No : ? / ? / %d", 100);
  v->count = 1;
  // A circle has no angle: its lines are X, Z and size.
  static const u32 kBoxLines[4] = {0, 1, 2, 3}, kCircleLines[3] = {0, 1, 3};
  const u32 *lines = nValues == 4 ? kBoxLines : kCircleLines;
  for (u32 i = 0; i < nValues; i++) {
    if (values) AddText(v, ids[i + 1], kFormats[lines[i]], values[i]);
    else AddText(v, ids[i + 1], kUnknown[lines[i]], 0.0);
  }
}

// The mode buttons of the box and circle panels, in mode order (ColiMode); circles have no
// rotate mode (0: no button).
enum { COLI_MODES = 5 };
static const u32 kBoxModes[COLI_MODES] = {IDC_COLI_BOX_MOVE, IDC_COLI_BOX_ROTATE, IDC_COLI_BOX_SCALE,
                                          IDC_COLI_BOX_DUPLICATE, IDC_COLI_BOX_DELETE};
static const u32 kCircleModes[COLI_MODES] = {IDC_COLI_CIRCLE_MOVE, 0, IDC_COLI_CIRCLE_SCALE,
                                             IDC_COLI_CIRCLE_DUPLICATE, IDC_COLI_CIRCLE_DELETE};

// The values a box or circle panel shows (X, Z, the box's angle, size) when rec is there; their count.
static u32 ValuesOf(const ColiBox *b, f32 *v) {
  if (b) v[0] = b->x, v[1] = b->z, v[2] = b->angle, v[3] = b->size;
  return 4;
}
static u32 ValuesOf(const ColiCircle *c, f32 *v) {
  if (c) v[0] = c->x, v[1] = c->z, v[2] = c->size;
  return 3;
}

// A wall panel: the lines of record `cur` of recs[n] (count of them in use) and the mode buttons.
template <typename Rec>
static void WallView(ColiPanelView *v, const u32 *ids, const Rec *recs, i32 n, i32 cur, i32 count, const u32 *modes,
                     u32 mode) {
  bool valid = cur >= 0 && cur < n;
  f32 values[4];
  u32 nValues = ValuesOf(valid ? &recs[cur] : nullptr, values);
  WallLines(v, ids, cur, count, valid ? values : nullptr, nValues);
  SetButtons(v, modes, COLI_MODES, mode);
}

static void BoxView(ColiPanelView *v) {
  static const u32 kIds[5] = {IDC_COLI_BOX_NO, IDC_COLI_BOX_X, IDC_COLI_BOX_Z, IDC_COLI_BOX_ANGLE, IDC_COLI_BOX_SIZE};
  const CollisionDoc *d = g_Coli.doc;
  WallView(v, kIds, d->boxes, COLI_BOXES, g_ColiEdit.curBox, d->boxCount, kBoxModes, g_ColiEdit.boxMode);
}

static void CircleView(ColiPanelView *v) {
  static const u32 kIds[4] = {IDC_COLI_CIRCLE_NO, IDC_COLI_CIRCLE_X, IDC_COLI_CIRCLE_Z, IDC_COLI_CIRCLE_SIZE};
  const CollisionDoc *d = g_Coli.doc;
  WallView(v, kIds, d->circles, COLI_CIRCLES, g_ColiEdit.curCircle, d->circleCount, kCircleModes,
           g_ColiEdit.circleMode);
}

void Coli_PanelView(u32 panel, ColiPanelView *out) {
  *out = ColiPanelView{};
  if (panel == COLI_PANEL_SELECT) {
    static const u32 kTargets[3] = {IDC_COLI_RANGE, IDC_COLI_BOXES, IDC_COLI_CIRCLES};
    SetButtons(out, kTargets, 3, g_ColiEdit.target);
    return;
  }
  if (!g_Coli.doc) return;
  if (panel == COLI_PANEL_RANGE) RangeView(out);
  else if (panel == COLI_PANEL_BOX) BoxView(out);
  else if (panel == COLI_PANEL_CIRCLE) CircleView(out);
}

// [SECTION] Commands

// A whole decimal number (surrounding blanks allowed); false for anything else.
static bool ParseNumber(const char *text, f32 *out) {
  f64 v = 0;
  if (NumField_Float(text, -1e30, 1e30, &v) != NUMFIELD_OK) return false;
  *out = (f32)v;
  return true;
}

// "決定": all five fields or none. A field that is not a number is named in the message.
static void ApplyRange(const ColiRangeTexts *t) {
  static const char *const kLabels[5] = {"左", "右", "手前", "奥", "地面"};
  static const u32 kBound[5] = {0, 3, 2, 5, 1};
  static const u32 kIds[5] = {IDC_COLI_MIN_X, IDC_COLI_MAX_X, IDC_COLI_MIN_Z, IDC_COLI_MAX_Z, IDC_COLI_MIN_Y};
  if (!t || !g_Coli.doc) return;
  f32 v[5];
  for (u32 i = 0; i < 5; i++) {
    // A field still showing a bound rounded to a whole number stands for the exact bound shown.
    f64 shown;
    if (Widget_ShownValue(g_ColiEdit.panels[COLI_PANEL_RANGE], kIds[i], t->text[i], &shown)) {
      v[i] = (f32)shown;
      continue;
    }
    if (!ParseNumber(t->text[i], &v[i])) {
      Seam_ErrorBoxf("「%s」に数値を入力して下さい。移動範囲は変更されませんでした。", kLabels[i]);
      return;
    }
  }
  for (u32 i = 0; i < 5; i++) g_Coli.doc->bounds[kBound[i]] = v[i];
  g_ColiEdit.refresh[COLI_PANEL_RANGE] = 1;
  Doc_MarkEdited(DOC_COLLISION);
  App_MarkAllRedraw(View_CurrentLayout());
}

// Button id of a shape panel: its add button adds a shape, a mode button sets *mode and has
// the panel shown again.
static void ShapeCommand(u32 id, u32 addId, bool (*add)(void), const u32 *modes, u32 *mode, u32 panel) {
  if (id == addId) {
    add();
    return;
  }
  for (u32 m = 0; m < COLI_MODES; m++)
    if (modes[m] && modes[m] == id) {
      *mode = m;
      g_ColiEdit.refresh[panel] = 1;
    }
}

void Coli_PanelCommand(u32 panel, u32 id, const ColiRangeTexts *range) {
  switch (panel) {
    case COLI_PANEL_SELECT:
      if (id == IDC_COLI_RANGE) Coli_SetTarget(COLI_TARGET_RANGE);
      else if (id == IDC_COLI_BOXES) Coli_SetTarget(COLI_TARGET_BOXES);
      else if (id == IDC_COLI_CIRCLES) Coli_SetTarget(COLI_TARGET_CIRCLES);
      break;
    case COLI_PANEL_RANGE:
      if (id == IDC_COLI_APPLY) ApplyRange(range);
      break;
    case COLI_PANEL_BOX:
      ShapeCommand(id, IDC_COLI_BOX_ADD, Coli_AddBox, kBoxModes, &g_ColiEdit.boxMode, COLI_PANEL_BOX);
      break;
    case COLI_PANEL_CIRCLE:
      ShapeCommand(id, IDC_COLI_CIRCLE_ADD, Coli_AddCircle, kCircleModes, &g_ColiEdit.circleMode, COLI_PANEL_CIRCLE);
      break;
    default: break;
  }
}
