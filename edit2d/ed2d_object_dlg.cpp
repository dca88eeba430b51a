// The 2D object sub-mode's dialog handlers: the image dialog (images, the key's image, the
// rotation pivot), the key-value dialog (tools, key buttons, typed values), the object list
// (adding objects, names, parents with their rules), the motion list and the key strip's
// scroll bar and mouse. The thin dialog procedures of ed2d_object_win.cpp call these.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/tree.h"
#include "app/views.h"
#include "app/widget.h"
#include "edit2d/ed2d_mlist.h"
#include "edit2d/ed2d_object.h"
#include "edit2d/ed2d_services.h"
#include "lib/draw/texture.h"
#include "lib/framework/lib.h"
#include "lib/media/dialogs.h"
#include "model/docref.h"
#include "model/seam_errorbox.h"
#include "model/seam_timer.h"

static const char kNoMoreImages[] = "これ以上 追加できません。";
static const char kNoMoreMotions[] = "これ以上 モーションを追加できません。";
static const char kParentOfOne[] = "オブジェクトNo.1 の親Noは変更できません";
static const char kParentSelf[] = "自分自身は、親に設定できません。";
static const char kParentLoop[] = "無限ループの可能性があります。";
enum { PARENT_WALK_LIMIT = 330 };


static void Edited(void) { Doc_MarkEdited(DOC_OBJ2); }

static void AfterStructureChange(void) {
  Tree_BuildRowsObjects2D();
  HookCtx c = Family_ShellContext();
  Ed2D_RefreshObjectLists(c.sel);
  App_MarkAllRedraw(c.layout);
}

// [SECTION] image dialog
void Ed2D_ShowCurrentImage(void) {
  g_Strip.g_StripObj2Image = g_Ed2DObj.curImage;
  Obj2_CopyImagePixels(0, g_Ed2DObj.curImage);
  g_Shell.g_StripDirty[STRIP_FLAG_OBJ2_IMAGE] = 1;
}

// An image whose file could not be read leaves no trace: no record, no name.
static void DropImage(Obj2Model *m, i32 n) {
  free(g_Obj2Images[n]);
  g_Obj2Images[n] = nullptr;
  m->imageNames[n][0] = 0;
}

static void AddImage(void) {
  Obj2Model *m = Current_Obj2Model();
  if (!m || g_Shell.g_Playing == 1) return;
  if (m->imageCount >= OBJ2_MAX_IMAGES) {
    Seam_ErrorBox(kNoMoreImages);
    return;
  }
  const char *name = FileDlg_OpenByExt(g_Shell.g_MainWindowHandle, "*", "読み込むイメージファイルを、選択して下さい", "");
  if (!name || !name[0]) {
    Timer_Reset();
    return;
  }
  // Kept from the model's folder (a bare name from the dialog's folder becomes relative to it);
  // a name the field cannot hold is refused, never cut.
  char path[DocRef_Size(DOCREF_KZA_IMAGE)];
  if (!DocRef_Choose(m->imageFolder, sizeof m->imageFolder, name, path, sizeof path)) {
    Seam_ErrorBoxf(kDocRefMsgTooLong, name);
    Timer_Reset();
    return;
  }
  i32 n = m->imageCount < 0 ? 0 : m->imageCount;
  Obj2_LoadImage(0, n, path);
  if (!g_Obj2Textures[n]) {
    DropImage(m, n);
    if (!g_Tex.lastTold) Seam_ErrorBoxf("%s を開くことができませんでした。", path);
    return;
  }
  g_Ed2DObj.curImage = n;
  Obj2_ResetImageSize(0, n);
  m->imageCount = n + 1;
  Ed2D_ShowCurrentImage();
  Edited();
  HookCtx c = Family_ShellContext();
  Ed2D_RefreshObjectLists(c.sel);
  App_MarkAllRedraw(c.layout);
  Timer_Reset();
}

void Ed2D_ObjImgCommand(u32 id) {
  Ed2DObjEditor &e = g_Ed2DObj;
  i32 sel = e.imageList ? Widget_ListSelection(e.imageList) : -1;
  i32 img = (u32)sel >= 1024 ? 0 : sel;
  // A line the list still shows from before a change of the model may be past its images.
  if (img > 0 && img >= (Current_Obj2Model() ? Current_Obj2Model()->imageCount : 0)) img = e.curImage;
  if (img != e.curImage) {
    e.curImage = img;
    Ed2D_ShowCurrentImage();
    e.imageRefresh = 1;
  }
  switch (id) {
    case IDC_O2D_IMG_ADD: AddImage(); break;
    case IDC_O2D_IMG_APPLY: {
      ObjKey2 *k = g_Shell.g_Playing == 1 ? nullptr : Ed2D_ObjCurrentKey();
      if (k && e.curImage < (Current_Obj2Model() ? Current_Obj2Model()->imageCount : 0)) {
        k->image = e.curImage;
        Edited();
        e.valuesRefresh = 1;
        App_MarkAllRedraw(View_CurrentLayout());
      }
      Widget_Activate(nullptr);
      break;
    }
    case IDC_O2D_IMG_PIVOT:
      e.pivotEdit = !e.pivotEdit;
      e.imageRefresh = 1;
      break;
    default: break;   // "消去" and "入れ換え" have no action
  }
}

void Ed2D_ObjImgMouse(u32 kind, i32 x, i32 y) {
  Ed2DObjEditor &e = g_Ed2DObj;
  switch (kind) {
    case ED2D_MOUSE_LDOWN: e.imgLeft = 1; break;
    case ED2D_MOUSE_LUP: e.imgLeft = 0; break;
    case ED2D_MOUSE_MDOWN: e.imgMiddle = 1; break;
    case ED2D_MOUSE_MUP: e.imgMiddle = 0; break;
    case ED2D_MOUSE_RDOWN: e.imgRight = 1; break;
    case ED2D_MOUSE_RUP: e.imgRight = 0; break;
    case ED2D_MOUSE_MOVE: {
      Obj2Model *m = Current_Obj2Model();
      bool leftAlone = e.imgLeft && !e.imgMiddle && !e.imgRight;
      i32 i = e.curImage;
      if (leftAlone && e.pivotEdit && m && i >= 0 && i < m->imageCount && (x != e.imgX || y != e.imgY)) {
        m->pivotX[i] += x - e.imgX;
        m->pivotY[i] += y - e.imgY;
        Edited();
      }
      App_MarkAllRedraw(View_CurrentLayout());
      break;
    }
    default: break;
  }
  e.imgX = x;
  e.imgY = y;
}

void Ed2D_ObjImgTick(void) {
  Ed2DObjEditor &e = g_Ed2DObj;
  if (e.imageRefresh != 1) return;
  e.imageRefresh = 0;
  Ed2D_Check(e.imageDlg, IDC_O2D_IMG_PIVOT, e.pivotEdit != 0);
}

// [SECTION] key-value dialog
// "決定": a key on the current frame takes the typed values. A field that is no number
// refuses the whole entry (the key keeps its values); a colour field that is no unsigned
// number only keeps its own component.
static void ApplyValues(void) {
  Ed2DObjEditor &e = g_Ed2DObj;
  void *d = e.valuesDlg;
  HookCtx ctx = Family_ShellContext();
  if (g_Shell.g_Playing == 1 || !Current_Obj2Model() || ctx.sel->g_CurPartIndex < 1) return;
  static const u32 kFields[5] = {IDC_O2D_X, IDC_O2D_Y, IDC_O2D_ANGLE, IDC_O2D_SCALE_X, IDC_O2D_SCALE_Y};
  f32 v[5];
  if (!Ed2D_ReadFloats(d, kFields, 5, v, &e.valuesRefresh)) return;
  static const u32 kColours[4] = {IDC_O2D_RED, IDC_O2D_GREEN, IDC_O2D_BLUE, IDC_O2D_ALPHA};
  char colours[4][64];
  for (i32 i = 0; i < 4; i++)
    if (!Ed2D_GetText(d, kColours[i], colours[i], sizeof colours[i])) return;
  Ed2D_ObjCreateKey(Current_Obj2Model(), ctx.sel);
  Obj2_UpdateKeyIndices(0);
  ObjKey2 *k = Ed2D_ObjCurrentKey();
  if (!k) return;
  // A field still showing a rounded value stands for the exact value shown.
  f32 *slot[5] = {&k->x, &k->y, &k->angle, &k->scaleX, &k->scaleY};
  char text[64];
  for (i32 i = 0; i < 5; i++) {
    Ed2D_GetText(d, kFields[i], text, sizeof text);
    f64 shown;
    *slot[i] = Widget_ShownValue(d, kFields[i], text, &shown) ? (f32)shown : v[i];
  }
  i32 *channel[4] = {&k->r, &k->g, &k->b, &k->a};
  for (i32 i = 0; i < 4; i++) {
    i32 c;
    if (Ed2D_ParseColour(colours[i], &c)) *channel[i] = c;
  }
  Edited();
  AfterStructureChange();
}

static void SetTool(u32 tool) {
  g_Ed2DObj.tool = tool;
  g_Ed2DObj.valuesRefresh = 1;
  App_MarkAllRedraw(View_CurrentLayout());
}

void Ed2D_ObjDlgCommand(u32 id) {
  Ed2DObjEditor &e = g_Ed2DObj;
  HookCtx c = Family_ShellContext();
  switch (id) {
    case IDC_O2D_PLAY: Ed2D_ObjPlay(); break;
    case IDC_O2D_STOP: Ed2D_ObjStop(); break;
    case IDC_O2D_CREATE: Ed2D_ObjCreateKey(Current_Obj2Model(), c.sel); Ed2D_RefreshObjectLists(c.sel); break;
    case IDC_O2D_COPY: Ed2D_ObjCopyKey(); break;
    case IDC_O2D_CUT: Ed2D_ObjCutKey(); Ed2D_RefreshObjectLists(c.sel); break;
    case IDC_O2D_PASTE: Ed2D_ObjPasteKey(); Ed2D_RefreshObjectLists(c.sel); break;
    case IDC_O2D_DELETE: Ed2D_ObjDeleteKey(); Ed2D_RefreshObjectLists(c.sel); break;
    case IDC_O2D_MOVE: SetTool(0); break;
    case IDC_O2D_ROTATE: SetTool(1); break;
    case IDC_O2D_SCALE: SetTool(2); break;
    case IDC_O2D_APPLY: ApplyValues(); break;
    case IDC_O2D_SHOWN: {
      ObjKey2 *k = g_Shell.g_Playing == 1 ? nullptr : Ed2D_ObjCurrentKey();
      if (k) {
        k->shown = k->shown == 1 ? 0u : 1u;
        Edited();
      }
      e.valuesRefresh = 1;
      App_MarkAllRedraw(c.layout);
      break;
    }
    default: break;
  }
}

void Ed2D_ObjDlgTick(void) {
  Ed2DObjEditor &e = g_Ed2DObj;
  if (e.valuesRefresh != 1) return;
  e.valuesRefresh = 0;
  void *d = e.valuesDlg;
  Ed2D_Check(d, IDC_O2D_MOVE, e.tool == 0);
  Ed2D_Check(d, IDC_O2D_ROTATE, e.tool == 1);
  Ed2D_Check(d, IDC_O2D_SCALE, e.tool == 2);
  const ObjKey2 *k = Ed2D_ObjCurrentKey();
  if (!k) return;
  char t[64];
  struct { u32 id; const char *fmt; f32 v; } floats[] = {
      {IDC_O2D_ANGLE, "%3.3f", k->angle}, {IDC_O2D_SCALE_X, "%3.3f", k->scaleX}, {IDC_O2D_SCALE_Y, "%3.3f", k->scaleY}};
  snprintf(t, sizeof t, "%d", (i32)k->x);
  if (d) Widget_ShowValue(d, IDC_O2D_X, t, k->x);
  snprintf(t, sizeof t, "%d", (i32)k->y);
  if (d) Widget_ShowValue(d, IDC_O2D_Y, t, k->y);
  for (auto &f : floats) {
    snprintf(t, sizeof t, "%3.3f", (double)f.v);
    if (d) Widget_ShowValue(d, f.id, t, f.v);
  }
  const i32 colours[4] = {k->r, k->g, k->b, k->a};
  for (i32 i = 0; i < 4; i++) {
    snprintf(t, sizeof t, "%d", colours[i]);
    Ed2D_SetText(d, IDC_O2D_RED + (u32)i, t);
  }
  Ed2D_Check(d, IDC_O2D_SHOWN, k->shown == 1);
}

// [SECTION] object list
bool Ed2D_SetObjectParent(Obj2Model *m, i32 c, i32 choice) {
  if (!m || c <= 0 || c >= Obj2_ObjectCount(m)) return false;
  i32 old = m->parents[c];
  if (choice == old) return true;
  m->parents[c] = choice;
  if (c == 1) {
    m->parents[1] = 0;
    Seam_ErrorBox(kParentOfOne);
    return false;
  }
  if (m->parents[c] == c) {
    m->parents[c] = old;
    Seam_ErrorBox(kParentSelf);
    return false;
  }
  i32 p = c;
  for (i32 steps = 0; p != 0; steps++) {
    // A number outside the table counts as a broken chain, like a loop.
    if (steps > PARENT_WALK_LIMIT || p < 0 || p >= OBJ2_MAX_OBJECTS) {
      m->parents[c] = old;
      Seam_ErrorBox(kParentLoop);
      return false;
    }
    p = m->parents[p];
  }
  return true;
}

static void SelectRowOf(i32 object) {
  for (i32 r = 0; r < g_TreeRows.count && r < TREE_ROWS; r++)
    if (g_TreeRows.rows[r].item == object) g_TreeRows.current = r;
}

static void ApplyObject(void) {
  Obj2Model *m = Current_Obj2Model();
  i32 c = (i32)g_Sel.g_CurPartIndex;
  if (!m || c <= 0 || c >= Obj2_ObjectCount(m)) return;
  Ed2DObjEditor &e = g_Ed2DObj;
  char name[256];
  if (!Ed2D_GetText(e.listDlg, IDC_O2D_LIST_NAME, name, sizeof name)) return;
  if (strcmp(m->objectNames[c], name) != 0) {
    Str_Copy(m->objectNames[c], sizeof m->objectNames[c], name);
    Edited();
  }
  i32 sel = e.parentCombo ? Widget_ListSelection(e.parentCombo) : -1;
  // No selection keeps the parent (the walk would otherwise read outside the table).
  i32 choice = sel < 0 ? m->parents[c] : sel < Obj2_ObjectCount(m) ? sel : 0;
  if (choice != m->parents[c]) {
    Ed2D_SetObjectParent(m, c, choice);
    Edited();
  }
  AfterStructureChange();
}

void Ed2D_ObjListCommand(u32 id) {
  Ed2DObjEditor &e = g_Ed2DObj;
  HookCtx c = Family_ShellContext();
  Obj2Model *m = Current_Obj2Model();
  i32 caret = e.objectList ? Widget_ListCaret(e.objectList) : -1;
  if (m && caret >= 0 && caret < Obj2_ObjectCount(m) && (u32)caret != c.sel->g_CurPartIndex) {
    c.sel->g_CurPartIndex = (u32)caret;
    SelectRowOf(caret);
    Ed2D_RefreshObjectLists(c.sel);
  }
  if (!m || g_Shell.g_Playing == 1) return;
  if (id == IDC_O2D_LIST_ADD) {
    i32 o = Ed2D_AddObject(0);
    if (o < 0) return;
    Obj2_FreshTracks(m);
    c.sel->g_CurPartIndex = (u32)o;
    Edited();
    AfterStructureChange();
    SelectRowOf(o);
  } else if (id == IDC_O2D_LIST_APPLY) {
    ApplyObject();
  }
}

void Ed2D_ObjListTick(void) {
  Ed2DObjEditor &e = g_Ed2DObj;
  if (e.listRefresh != 1) return;
  e.listRefresh = 0;
  const Obj2Model *m = Current_Obj2Model();
  if (m && (i32)g_Sel.g_CurPartIndex < Obj2_ObjectCount(m)) Ed2D_SetText(e.listDlg, IDC_O2D_LIST_NAME, m->objectNames[g_Sel.g_CurPartIndex]);
}

// [SECTION] motion list
// "決定": the current motion's name and length (a length that is no number changes neither).
static bool ApplyMotion(const Ed2DMList *l) {
  Obj2Model *m = Current_Obj2Model();
  i32 cm = m->currentMotion;
  if (cm < 0 || cm >= OBJ2_MAX_MOTIONS) return false;
  if (!Ed2D_MListApplyFields(l, &m->motions[cm])) return false;
  Edited();
  return true;
}

static void MotionChanged(void) {
  Ed2DObjEditor &e = g_Ed2DObj;
  Obj2Model *m = Current_Obj2Model();
  m->currentFrame = 0;
  e.lastMotion = m->currentMotion;
  e.motionRefresh = 1;
  Obj2_UpdateAll();
  Ed2D_ObjSetFrameBar();
  e.stripRefresh = e.valuesRefresh = 1;
  App_MarkAllRedraw(View_CurrentLayout());
}

static void AddMotion(const Ed2DMList *l) {
  Obj2Model *m = Current_Obj2Model();
  if (!ApplyMotion(l)) return;
  if (m->motionCount >= OBJ2_MAX_MOTIONS || m->motionCount >= m->keyTableLength) {
    Seam_ErrorBox(kNoMoreMotions);
    return;
  }
  i32 n = m->motionCount < 0 ? 0 : m->motionCount;
  m->motionCount = n + 1;
  // The new motion's tracks get their first key before anything reads them.
  if (!Obj2_FreshTracks(m)) {
    m->motionCount = n;
    return;
  }
  m->motions[n].used = 1;
  if (m->motions[n].length < 1) m->motions[n].length = 1;
  m->currentMotion = n;
  MotionChanged();
}

// The list's "決定" also sets the strip's frame bar for the length.
static bool ApplyFromList(const Ed2DMList *l) {
  if (!ApplyMotion(l)) return false;
  Ed2D_ObjSetFrameBar();
  return true;
}

static void FillMotionList(void) {
  HookCtx c = Family_ShellContext();
  Ed2D_FillObjectMotionList(c.sel);
}

// The dialog shows any motion of the table, counted or not.
static const Ed2DMList kList = {
    &g_Ed2DObj.motionList, &g_Ed2DObj.motionDlg, &g_Ed2DObj.lastMotion, &g_Ed2DObj.motionRefresh,
    IDC_OML_NO, IDC_OML_NAME, IDC_OML_LENGTH, IDC_OML_CLOSE, IDC_OML_APPLY, IDC_OML_ADD,
    OBJ2_MAX_MOTIONS, false, MotionChanged, ApplyFromList, AddMotion, FillMotionList};

void Ed2D_ObjMotionListCommand(u32 id) {
  Obj2Model *m = Current_Obj2Model();
  if (m) Ed2D_MListCommand(&kList, &m->currentMotion, m->motionCount, id);
}

void Ed2D_ObjMotionListTick(void) {
  const Obj2Model *m = Current_Obj2Model();
  if (m) Ed2D_MListTick(&kList, m->motions, m->motionCount, m->currentMotion);
}

// [SECTION] key strip
static i32 MotionLength(const Obj2Model *m) {
  i32 mo = m->currentMotion;
  return mo >= 0 && mo < OBJ2_MAX_MOTIONS ? m->motions[mo].length : 0;
}

i32 Ed2D_ObjFrameFromX(i32 x) {
  const Obj2Model *m = Current_Obj2Model();
  return m ? Ed2D_StripFrameFromX(x, MotionLength(m)) : 0;
}

static void SetFrame(Obj2Model *m, i32 f) {
  m->currentFrame = f;
  Obj2_UpdateKeyIndices(0);
}

void Ed2D_ObjKeyScroll(u32 code, i32 pos) {
  Obj2Model *m = Current_Obj2Model();
  if (!m) return;
  // The bar's range runs to the length itself here (0 .. length).
  i32 f = Ed2D_StripScrollFrame(code, pos, m->currentFrame, MotionLength(m));
  SetFrame(m, f);
  if (g_Ed2DObj.scrollBar) Widget_SetScroll(g_Ed2DObj.scrollBar, -1, f);
  g_Ed2DObj.stripRefresh = 1;
}

static void FrameFromStrip(i32 x) {
  SetFrame(Current_Obj2Model(), Ed2D_ObjFrameFromX(x));
  Tree_BuildRowsObjects2D();
}

// A click on a row makes its object current; inside the expander box it opens or closes it.
static void ClickRow(i32 x) {
  Obj2Model *m = Current_Obj2Model();
  i32 r = g_TreeRows.hovered;
  if (r < 0 || r >= g_TreeRows.count || r >= TREE_ROWS) return;
  const HierRow &row = g_TreeRows.rows[r];
  g_TreeRows.current = r;
  if (row.item < 0 || row.item >= Obj2_ObjectCount(m)) return;
  g_Sel.g_CurPartIndex = (u32)row.item;
  i32 box = row.depth * 16;
  if (x > box + 1 && x < box + 16) m->parts[row.item].expanded = m->parts[row.item].expanded ? 0u : 1u;
}

static void MiddleDrag(i32 dx) {
  if (dx != 0) Ed2D_ObjMoveKey(Ed2D_StripMiddleStep(dx));
}

static i32 *CurrentFrame(void) { return Current_Obj2Model() ? &Current_Obj2Model()->currentFrame : nullptr; }

static bool CreateKey(void) {
  HookCtx c = Family_ShellContext();
  return Ed2D_ObjCreateKey(Current_Obj2Model(), c.sel);
}

static void RefreshLists(void) {
  HookCtx c = Family_ShellContext();
  Ed2D_RefreshObjectLists(c.sel);
}

// No snap on the left release; the left press and release refresh the app's lists too.
static const Ed2DStripMouse kStripMouse = {
    &g_Ed2DObj.stripLeft, &g_Ed2DObj.stripMiddle, &g_Ed2DObj.stripRight, &g_Ed2DObj.stripX, &g_Ed2DObj.stripY,
    &g_Ed2DObj.pressFrame, CurrentFrame, FrameFromStrip, ClickRow, MiddleDrag, nullptr, CreateKey,
    RefreshLists, true};

void Ed2D_ObjKeyMouse(u32 kind, i32 x, i32 y) { Ed2D_StripMouse(&kStripMouse, kind, x, y); }

void Ed2D_ObjKeyIdle(void) {
  if (g_Ed2DObj.stripRefresh != 1) return;
  g_Ed2DObj.stripRefresh = 0;
  g_Shell.g_StripDirty[STRIP_FLAG_OBJ2_KEYS] = 1;
}
