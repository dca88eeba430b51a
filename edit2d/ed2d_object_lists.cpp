// The 2D object sub-mode's list fillers, its refresh after every change and the strip's frame
// bar; the 2D family's dialog fields (the generic control calls, typed numbers) and their parsing.
#include <ctype.h>
#include <errno.h>
#include <float.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include "app/current.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/strip.h"
#include "app/tree.h"
#include "app/views.h"
#include "edit2d/ed2d_object.h"
#include "model/model3.h"
#include "model/numfield.h"
#include "model/seam_errorbox.h"

static Ed2DLines s_Lines;   // one fill at a time

static i32 Clamp(i32 n, i32 hi) { return n < 0 ? 0 : n > hi ? hi : n; }

static void Add(Ed2DLines *out, const char *fmt, i32 n, const char *text) {
  if (out->count >= ED2D_MAX_LINES) return;
  snprintf(out->text[out->count++], ED2D_LINE, fmt, n, text);
}

// [SECTION] lines
void Ed2D_ImageLines(const Obj2Model *m, Ed2DLines *out) {
  out->count = 0;
  out->select = g_Ed2DObj.curImage;
  for (i32 i = 0; m && i < Clamp(m->imageCount, OBJ2_MAX_IMAGES); i++) Add(out, "%d : %s", i, m->imageNames[i]);
}

void Ed2D_ObjectLines(const Obj2Model *m, Ed2DLines *out) { Ed2D_ObjectLines(m, &g_Sel, out); }

void Ed2D_ObjectLines(const Obj2Model *m, const ShellSelection *sel, Ed2DLines *out) {
  out->count = 0;
  out->select = (i32)sel->g_CurPartIndex;
  for (i32 o = 0; m && o < Clamp(m->objectCount, OBJ2_MAX_OBJECTS); o++) {
    if (o == 0) Add(out, "%2d : 親オブジェクト", 0, "");
    else Add(out, "%2d : %s", o, m->objectNames[o]);
  }
}

void Ed2D_ParentLines(const Obj2Model *m, Ed2DLines *out) { Ed2D_ParentLines(m, &g_Sel, out); }

void Ed2D_ParentLines(const Obj2Model *m, const ShellSelection *sel, Ed2DLines *out) {
  out->count = 0;
  out->select = -1;
  i32 n = m ? Clamp(m->objectCount, OBJ2_MAX_OBJECTS) : 0;
  for (i32 o = 0; o < n; o++) {
    if (o == 0) Add(out, "%2d : 親オブジェクト", 0, "");
    else Add(out, "%2d", o, "");
  }
  if (m && sel->g_CurPartIndex < (u32)n) out->select = m->parents[sel->g_CurPartIndex];
}

void Ed2D_NameLines(const Obj2Model *m, Ed2DLines *out) {
  out->count = 0;
  out->select = -1;
  for (i32 i = 0; m && i < Clamp(m->nameListCount, 100); i++) Add(out, "%2d : %s", i, m->nameList[i]);
}

void Ed2D_ObjectMotionLines(const Obj2Model *m, Ed2DLines *out) {
  out->count = 0;
  out->select = -1;
  if (m) Ed2D_MotionListLines(m->motions, Clamp(m->motionCount, OBJ2_MAX_MOTIONS), m->currentMotion, out);
}

// [SECTION] fills
typedef void ObjLinesFn(const Obj2Model *, const ShellSelection *, Ed2DLines *);

// The lines of the object model of sel's current 2D slot into a control.
static void Fill(void *control, u32 kind, ObjLinesFn *lines, const ShellSelection *sel) {
  if (!control) return;
  lines(sel->g_Cur2DSlot < OBJ2_SLOTS ? g_Obj2Slots[sel->g_Cur2DSlot] : nullptr, sel, &s_Lines);
  Ed2D_FillAs(control, kind, &s_Lines);
}

static void ImageLines(const Obj2Model *m, const ShellSelection *, Ed2DLines *out) { Ed2D_ImageLines(m, out); }
static void NameLines(const Obj2Model *m, const ShellSelection *, Ed2DLines *out) { Ed2D_NameLines(m, out); }
static void MotionLines(const Obj2Model *m, const ShellSelection *, Ed2DLines *out) { Ed2D_ObjectMotionLines(m, out); }

void Ed2D_FillImageList(const ShellSelection *sel) { Fill(g_Ed2DObj.imageList, ED2D_FILL_LIST, ImageLines, sel); }
void Ed2D_FillObjectList(const ShellSelection *sel) { Fill(g_Ed2DObj.objectList, ED2D_FILL_MULTI, Ed2D_ObjectLines, sel); }
void Ed2D_FillObjParentCombo(const ShellSelection *sel) { Fill(g_Ed2DObj.parentCombo, ED2D_FILL_COMBO, Ed2D_ParentLines, sel); }
void Ed2D_FillObjNameList(const ShellSelection *sel) { Fill(g_Ed2DObj.nameList, ED2D_FILL_LIST, NameLines, sel); }
void Ed2D_FillObjectMotionList(const ShellSelection *sel) { Fill(g_Ed2DObj.motionList, ED2D_FILL_LIST, MotionLines, sel); }

void Ed2D_ObjSetFrameBar(void) {
  const Obj2Model *m = Current_Obj2Model();
  if (!m || !g_Ed2DObj.scrollBar) return;
  i32 mo = m->currentMotion;
  i32 len = mo >= 0 && mo < OBJ2_MAX_MOTIONS ? m->motions[mo].length : 0;
  Widget_SetScroll(g_Ed2DObj.scrollBar, len < 0 ? 0 : len, m->currentFrame);
}

void Ed2D_RefreshObjectLists(const ShellSelection *sel) {
  Ed2DObjEditor &e = g_Ed2DObj;
  e.valuesRefresh = e.stripRefresh = e.listRefresh = 1;
  g_Shell.g_StripDirty[STRIP_FLAG_OBJ2_KEYS] = 1;
  Tree_BuildRowsObjects2D();
  // A model read or made anew may have fewer images: the list selects one it has.
  const Obj2Model *m = Current_Obj2Model();
  if (e.curImage < 0 || !m || e.curImage >= m->imageCount) e.curImage = 0;
  Ed2D_FillImageList(sel);
  Ed2D_FillObjectList(sel);
  Ed2D_FillObjNameList(sel);
  Ed2D_FillObjectMotionList(sel);
  Ed2D_FillObjParentCombo(sel);
  e.motionRefresh = 1;
  // Its textures are new, so is the preview's copy of the image.
  Ed2D_ShowCurrentImage();
}

// [SECTION] dialog fields
static const char kNotNumber[] = "数値ではない値が入力されています。\n値は変更されませんでした。";

bool Ed2D_GetText(void *dlg, u32 id, char *out, u32 size) {
  out[0] = 0;
  bool taken = !dlg || Widget_ReadText(dlg, id, out, size);
  out[size - 1] = 0;
  return taken;
}

void Ed2D_SetText(void *dlg, u32 id, const char *text) {
  if (dlg) Widget_SetText(dlg, id, text);
}

void Ed2D_Check(void *dlg, u32 id, bool on) {
  if (dlg) Widget_SetCheck(dlg, id, on);
}

bool Ed2D_ReadFloats(void *dlg, const u32 *ids, i32 n, f32 *out, u32 *refresh) {
  char text[64];
  for (i32 i = 0; i < n; i++) {
    bool taken = Ed2D_GetText(dlg, ids[i], text, sizeof text);
    if (!taken || !Ed2D_ParseFloat(text, &out[i])) {
      if (taken) Seam_ErrorBox(kNotNumber);
      *refresh = 1;
      return false;
    }
  }
  return true;
}

static const char *SkipSpace(const char *s) {
  while (*s && isspace((unsigned char)*s)) s++;
  return s;
}

bool Ed2D_ParseFloat(const char *text, f32 *out) {
  f64 v = 0;
  if (NumField_Float(text, -FLT_MAX, FLT_MAX, &v) != NUMFIELD_OK) return false;
  *out = (f32)v;
  return true;
}

bool Ed2D_ParseColour(const char *text, i32 *out) {
  if (!text) return false;
  const char *s = SkipSpace(text);
  if (!isdigit((unsigned char)*s)) return false;
  i64 v = 0;
  for (; isdigit((unsigned char)*s); s++) v = v > 255 ? v : v * 10 + (*s - '0');
  if (*SkipSpace(s)) return false;
  *out = v > 255 ? 255 : (i32)v;
  return true;
}

bool Ed2D_ParseInt(const char *text, i32 *out) {
  i64 v = 0;
  if (NumField_Int(text, INT32_MIN, INT32_MAX, &v) != NUMFIELD_OK) return false;
  *out = (i32)v;
  return true;
}
