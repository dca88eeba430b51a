// The 2D object sub-mode's hooks, key operations, view drag, playback and wheel step.
// Owns g_Ed2DObj.
#include "edit2d/ed2d_object.h"

#include <math.h>
#include <string.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/drag_anchors.h"
#include "app/entries.h"
#include "app/family.h"
#include "app/play.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/tree.h"
#include "app/viewdraw.h"
#include "app/views.h"
#include "edit2d/ed2d_submode.h"
#include "lib/draw/draw.h"
#include "lib/framework/lib.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model/model3.h"

Ed2DObjEditor g_Ed2DObj;

// [SECTION] model access

// The current object's track in the current motion; null for object 0 or outside the model.
static Obj2Track *CurTrack(Obj2Model *m, const ShellSelection *sel) {
  i32 o = (i32)sel->g_CurPartIndex;
  if (!m || o <= 0 || o >= Obj2_ObjectCount(m)) return nullptr;
  if (m->currentMotion < 0 || m->currentMotion >= m->motionCount) return nullptr;
  return Obj2_Track(m, o, m->currentMotion);
}

static bool Editable(const Obj2Model *m) { return g_Shell.g_Playing != 1 && m != nullptr; }
static bool Editable(void) { return Editable(Current_Obj2Model()); }

static void Edited(void) { Doc_MarkEdited(DOC_OBJ2); }

// The last key whose frame is not above the current frame (0 when none); -1 without keys.
static i32 CurKeyIndex(const Obj2Model *m, const Obj2Track *t) {
  if (!t || !t->keys || t->count <= 0) return -1;
  i32 k = Keys_FindAtOrBefore(t->keys, t->count, sizeof(ObjKey2), m->currentFrame);
  return k < 0 ? 0 : k;
}

static ObjKey2 *CurrentKey(Obj2Model *m, const ShellSelection *sel) {
  Obj2Track *t = CurTrack(m, sel);
  i32 k = CurKeyIndex(m, t);
  return k >= 0 ? &t->keys[k] : nullptr;
}

ObjKey2 *Ed2D_ObjCurrentKey(void) { return CurrentKey(Current_Obj2Model(), &g_Sel); }

static void SetNewKeyValues(ObjKey2 *k) { Obj2_SetNewKey(k); }

// [SECTION] hooks
const char *Ed2D_ObjWindowName(u32 kind) {
  static const char *const kNames[ED2D_OBJ_WIN_KINDS] = {"2D_OBJ_LIST_DLG", "2D_OBJ_IMG_DLG", "2D_OBJ_DLG",
                                                         "2D_OBJ_KEY_DLG", "OBJ_MOTION_LIST_DLG"};
  return kind < ED2D_OBJ_WIN_KINDS ? kNames[kind] : nullptr;
}

static void DestroyWindow2D(void **w) {
  if (*w) Widget_Destroy(*w);
  *w = nullptr;
}

static void *Create(u32 kind, i32 x, i32 y, i32 w, i32 h) {
  return Widget_CreatePanel(Ed2D_ObjWindowName(kind), x, y, w, h);
}

static void *CreateList(void *dlg, i32 x, i32 y, i32 w, i32 h, bool extended) {
  u32 style = WIDGET_LIST_NOTIFY | (extended ? (u32)WIDGET_LIST_EXTENDED : 0u);
  return dlg ? Widget_CreateList(dlg, 1, x, y, w, h, style) : nullptr;
}

static void *Control(void *dlg, u32 id) {
  return dlg ? Widget_Control(dlg, id) : nullptr;
}

// Where the windows open: at full size the frame starts at the top of the view (see
// Ed2D_ObjInit) with the motion list at the left below it, the value dialog right of that and
// the key strip under the value dialog, as wide as the room left of the image dialog. On a
// desktop lower than VIEW_TEXTURE_FULL_HEIGHT the frame shows at half size right of the
// edit-mode selector, the key strip below it, the image dialog (a smaller preview) under the
// key strip, the motion list below the selector, and the object list, shorter, above the value
// dialog in the right column.
struct ObjRect {
  i32 x, y, w, h;
};
struct ObjLayout {
  ObjRect list, image, values, keys, motions;
  i32 listCut, motionCut;   // how much shorter the two lists are than at full size
};
enum { LOW_SELECTOR_H = 378, LOW_KEYS_Y = 292 };

static ObjLayout LayoutFor(i32 sw, i32 sh) {
  ObjLayout l = {};
  if (!View_TextureLayoutLow()) {
    l.list = {sw - 356, 47, 356, 573};
    l.image = {sw - 468, sh - 553, 468, 524};
    l.values = {228, sh - 504, 273, 307};
    l.keys = {228, sh - 196, sw - 468 - 228, 170};
    l.motions = {0, sh - 574, 228, 450};
    return l;
  }
  l.values = {sw - 273, sh - 307, 273, 307};
  l.list = {sw - 356, 47, 356, l.values.y - 4 - 47};
  l.listCut = 573 - l.list.h;
  l.keys = {228, LOW_KEYS_Y, l.list.x - 228, 170};
  l.image = {228, LOW_KEYS_Y + 174, 468, sh - (LOW_KEYS_Y + 174)};
  l.motions = {0, LOW_SELECTOR_H, 228, sh - LOW_SELECTOR_H};
  l.motionCut = 450 - l.motions.h;
  return l;
}

static void *CreateAt(u32 kind, const ObjRect &r) { return Create(kind, r.x, r.y, r.w, r.h); }

static void CreateWindows(ShellSelection *sel) {
  Ed2DObjEditor &e = g_Ed2DObj;
  ObjLayout l = LayoutFor(g_Lib.desktopWidth, g_Lib.desktopHeight);
  if (!e.listDlg) {
    // The list's first messages pick its caret line as the current object: keep the indices.
    u32 bone = sel->g_CurBoneIndex, part = sel->g_CurPartIndex;
    e.listDlg = CreateAt(ED2D_OBJ_WIN_LIST, l.list);
    sel->g_CurBoneIndex = bone;
    sel->g_CurPartIndex = part;
    e.objectList = CreateList(e.listDlg, 0, 49, 211, 360 - l.listCut, true);
    e.parentCombo = Control(e.listDlg, IDC_O2D_LIST_PARENT);
  }
  if (!e.imageDlg) {
    e.imageDlg = CreateAt(ED2D_OBJ_WIN_IMAGE, l.image);
    e.imageList = Control(e.imageDlg, IDC_O2D_IMG_LIST);
    Ed2D_FillImageList(sel);
  }
  if (!e.valuesDlg) {
    e.valuesDlg = CreateAt(ED2D_OBJ_WIN_VALUES, l.values);
    Widget_SetCheck(e.valuesDlg, IDC_O2D_LOOP, e.loop != 0);
    Ed2D_FillObjParentCombo(sel);
  }
  if (!e.keyDlg) {
    e.keyDlg = CreateAt(ED2D_OBJ_WIN_KEYS, l.keys);
    e.scrollBar = Control(e.keyDlg, ED2D_STRIP_SCROLL_ID);
    Ed2D_ObjSetFrameBar();
  }
  if (!e.motionDlg) {
    e.motionDlg = CreateAt(ED2D_OBJ_WIN_MOTIONS, l.motions);
    e.motionList = CreateList(e.motionDlg, 0, 95, 222, 330 - l.motionCut, false);
    Ed2D_FillObjectMotionList(sel);
    if (e.motionDlg) Widget_Activate(e.motionDlg);
  }
}

void Ed2D_ObjInit(const HookCtx *c) {
  Ed2DObjEditor &e = g_Ed2DObj;
  Ed2D_InitCommon(c, SUB_2D_OBJECT);   // run state 1, 2D slot 0, MENU_2D_OBJ
  c->sel->g_CurPartIndex = 1;
  if (g_TreeRows.current == 0) g_TreeRows.current = 1;
  if (g_TreeRows.hovered == 0) g_TreeRows.hovered = 1;
  // The 3D slots are freed and the object model made anew: nothing below reads the context's
  // models.
  Model3_FreeAllSlots();
  Obj2Model *m = Obj2_Init(0);
  if (m) m->objectCount = 2;
  Doc_Replaced(DOC_OBJ2);
  e.loop = 1;
  e.tool = 0;
  e.curImage = 0;
  e.pivotEdit = 0;
  e.playStart = 0;
  e.lastFrame = -1;
  e.lastMotion = 0;
  SetNewKeyValues(&e.clipboard);
  g_Strip.g_StripObj2Image = 0;
  // The frame starts at the top of the view (on a low desktop at the place View_LowFramePan
  // names), its right edge against the image dialog's left (which opens 468 pixels from the
  // screen's right): below it the motion list, the value
  // dialog and the key strip find room, and none of them lies over the image's preview.
  ViewRecord &v = *View_Get(c->layout, 0);
  if (!View_LowFramePan(c->layout, &v.panX, &v.panY)) {
    i32 halfW = g_Lib.desktopWidth / 2, halfH = g_Lib.desktopHeight / 2;
    f32 panX = (f32)(halfW - 468 - 320), lowX = (f32)(321 - halfW), highX = (f32)(halfW - 322);
    v.panX = panX < lowX ? lowX : panX > highX ? highX : panX;
    v.panY = (f32)(241 - halfH);
  }
  g_Strip.g_StripGeo.margin = 0;
  CreateWindows(c->sel);
  Tree_BuildRowsObjects2D();
  Ed2D_RefreshObjectLists(c->sel);
}

void Ed2D_ObjLeave(const HookCtx *c) {
  Ed2DObjEditor &e = g_Ed2DObj;
  g_Shell.g_Playing = 0;
  Obj2_FreeAll();
  e.imageList = nullptr;   // a control of the template: it goes with its dialog
  DestroyWindow2D(&e.imageDlg);
  DestroyWindow2D(&e.scrollBar);
  DestroyWindow2D(&e.keyDlg);
  DestroyWindow2D(&e.objectList);
  e.parentCombo = nullptr;
  DestroyWindow2D(&e.listDlg);
  DestroyWindow2D(&e.valuesDlg);
  DestroyWindow2D(&e.motionList);
  DestroyWindow2D(&e.motionDlg);
  g_ModelAllocArrays = 1;
}

void Ed2D_ObjUpdate(const HookCtx *c) {
  Obj2Model *m = Current_Obj2Model();
  if (!m || g_Obj2SlotShown[0] != 1) return;
  Obj2_UpdateKeyIndices(0);
  if (m->currentFrame != g_Ed2DObj.lastFrame) {
    g_Ed2DObj.lastFrame = m->currentFrame;
    if (g_Ed2DObj.scrollBar) Widget_SetScroll(g_Ed2DObj.scrollBar, -1, m->currentFrame);
  }
  Lib_SetSceneDraw(1);
}

void Ed2D_ObjDraw(const HookCtx *c) {
  if (g_Shell.g_Playing != 1) View_Draw2DGrid(c->view);
  // The family's update places the model at (320, 240) again before the next frame.
  if (Current_Obj2Model()) Obj2_SetPosition(Current_Obj2Model(), 0.0f, 0.0f);
}

void Ed2D_ObjLButtonDown(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  DragAnchors_SetAll(c->mouse, x, y);
  Ed2D_ClientToFrame(x, y, &g_Ed2DObj.dragX, &g_Ed2DObj.dragY);
  if (Ed2D_ObjCreateKey(Current_Obj2Model(), c->sel)) Ed2D_RefreshObjectLists(c->sel);
  App_MarkAllRedraw(c->layout);
}

static bool LeftAlone(void) {
  return Shell_ButtonHeld(BUTTON_LEFT) && !Shell_ButtonHeld(BUTTON_RIGHT) && !Shell_ButtonHeld(BUTTON_MIDDLE);
}

void Ed2D_ObjDragKey(Obj2Model *m, const ShellSelection *sel, u32 layout, f32 dx, f32 dy) {
  if (!Editable(m) || sel->g_CurPartIndex < 1) return;
  ObjKey2 *k = CurrentKey(m, sel);
  if (!k || (dx == 0.0f && dy == 0.0f)) return;
  switch (g_Ed2DObj.tool) {
    case 0: k->x += dx, k->y += dy; break;
    case 1: k->angle += 0.25f * dx; break;
    case 2: k->scaleX += 0.005f * dx, k->scaleY -= 0.005f * dy; break;
    default: return;
  }
  Edited();
  g_Ed2DObj.valuesRefresh = 1;
  App_MarkAllRedraw(layout);
}

void Ed2D_ObjDragKey(f32 dx, f32 dy) { Ed2D_ObjDragKey(Current_Obj2Model(), &g_Sel, View_CurrentLayout(), dx, dy); }

void Ed2D_ObjMouseMove(const HookCtx *c) {
  f32 fx, fy;
  Ed2D_ClientToFrame(c->x, c->y, &fx, &fy);
  if (LeftAlone()) Ed2D_ObjDragKey(Current_Obj2Model(), c->sel, c->layout, fx - g_Ed2DObj.dragX, fy - g_Ed2DObj.dragY);
  g_Ed2DObj.dragX = fx;
  g_Ed2DObj.dragY = fy;
}

// [SECTION] keys
bool Ed2D_ObjCreateKey(Obj2Model *m, const ShellSelection *sel) {
  if (!Editable(m)) return false;
  Obj2Track *t = CurTrack(m, sel);
  if (!t) return false;   // object 0 never gets keys
  i32 f = m->currentFrame;
  if (t->keys && Keys_Find(t->keys, t->count, sizeof(ObjKey2), f) >= 0) return false;
  ObjKey2 k;
  SetNewKeyValues(&k);
  if (t->count > 0 && t->keys) {
    i32 o = (i32)sel->g_CurPartIndex;
    Obj2_UpdateKeyIndices(0);
    Obj2Part *p = &m->parts[o];
    Obj2_EvalKey(0, o, p->keyIndex, p->fraction);
    k.shown = p->shown;
    k.x = p->x, k.y = p->y, k.angle = p->angle;
    k.scaleX = p->scaleX, k.scaleY = p->scaleY;
    k.image = p->image;
    k.r = p->r, k.g = p->g, k.b = p->b, k.a = p->a;
  }
  k.frame = f;
  // The track grows as needed: no fixed room of eight keys.
  if (Obj2Track_Insert(t, &k) < 0) return false;
  Obj2_UpdateKeyIndices(0);
  Edited();
  return true;
}

void Ed2D_ObjDeleteKey(void) {
  Obj2Model *m = Current_Obj2Model();
  if (!Editable()) return;
  Obj2Track *t = CurTrack(m, &g_Sel);
  if (!t || !t->keys) return;
  i32 k = Keys_Find(t->keys, t->count, sizeof(ObjKey2), m->currentFrame);
  if (k < 0 || !Keys_Remove(t->keys, &t->count, sizeof(ObjKey2), k)) return;
  Obj2_UpdateKeyIndices(0);
  Edited();
}

void Ed2D_ObjCopyKey(void) {
  if (!Editable()) return;
  const ObjKey2 *k = Ed2D_ObjCurrentKey();
  if (k) g_Ed2DObj.clipboard = *k;
}

void Ed2D_ObjCutKey(void) {
  if (!Editable()) return;
  Ed2D_ObjCopyKey();
  Ed2D_ObjDeleteKey();
}

void Ed2D_ObjPasteKey(void) {
  HookCtx c = Family_ShellContext();
  Obj2Model *m = Current_Obj2Model();
  if (!Editable() || !CurTrack(m, c.sel)) return;
  Ed2D_ObjCreateKey(m, c.sel);
  Obj2_UpdateKeyIndices(0);
  ObjKey2 *k = Ed2D_ObjCurrentKey();
  if (!k || k->frame != m->currentFrame) return;
  *k = g_Ed2DObj.clipboard;
  k->frame = m->currentFrame;
  Edited();
}

bool Ed2D_ObjMoveKey(i32 delta) {
  Obj2Model *m = Current_Obj2Model();
  if (!Editable()) return false;
  Obj2Track *t = CurTrack(m, &g_Sel);
  i32 k = CurKeyIndex(m, t);
  if (k < 0 || t->keys[k].frame != m->currentFrame || delta == 0) return false;
  i64 to = (i64)m->currentFrame + delta;
  if (to < 0) to = 0;
  if (to > 0x3fffffff) to = 0x3fffffff;
  // A taken frame refuses the move: the key there and the user's clipboard both stay.
  if (Keys_Find(t->keys, t->count, sizeof(ObjKey2), (i32)to) >= 0) return false;
  ObjKey2 moved = t->keys[k];
  moved.frame = (i32)to;
  Keys_Remove(t->keys, &t->count, sizeof(ObjKey2), k);
  Obj2Track_Insert(t, &moved);   // never grows: a key was just removed
  m->currentFrame = (i32)to;
  Obj2_UpdateKeyIndices(0);
  Edited();
  return true;
}

// [SECTION] wheel
static i32 PrevKeyFrame(const Obj2Track *t, i32 f) {
  if (!t || !t->keys) return f;
  for (i32 i = t->count - 1; i >= 0; i--)
    if (t->keys[i].frame < f) return t->keys[i].frame;
  return f;
}

static i32 NextKeyFrame(const Obj2Track *t, i32 f) {
  if (!t || !t->keys) return f;
  for (i32 i = 0; i < t->count; i++)
    if (t->keys[i].frame > f) return t->keys[i].frame;
  return f;
}

i32 Ed2D_ObjPrevKeyFrame(i32 f) { return PrevKeyFrame(CurTrack(Current_Obj2Model(), &g_Sel), f); }
i32 Ed2D_ObjNextKeyFrame(i32 f) { return NextKeyFrame(CurTrack(Current_Obj2Model(), &g_Sel), f); }

void Ed2D_ObjectWheelKey(const HookCtx *c) {
  Obj2Model *m = Current_Obj2Model();
  if (!m) return;
  const Obj2Track *t = CurTrack(m, c->sel);
  m->currentFrame = c->step < 0 ? PrevKeyFrame(t, m->currentFrame) : NextKeyFrame(t, m->currentFrame);
  Obj2_UpdateKeyIndices(0);
  // Only row 0 of the object list stays marked (the current object is kept).
  if (g_Ed2DObj.objectList) Widget_ListSelectOnly(g_Ed2DObj.objectList, 0);
  Ed2D_RefreshObjectLists(c->sel);
}

// [SECTION] playback
static const PlayControl kPlay = {&g_Ed2DObj.valuesDlg, IDC_O2D_LOOP, &g_Ed2DObj.loop, &g_Ed2DObj.stripRefresh};

void Ed2D_ObjPlay(void) {
  Obj2Model *m = Current_Obj2Model();
  if (!m) return;
  // A play while playing starts again and keeps the frame from before the first.
  Play_Start(&kPlay, &m->currentFrame, g_Shell.g_Playing != 1 ? &g_Ed2DObj.playStart : nullptr);
}

void Ed2D_ObjStop(void) {
  Obj2Model *m = Current_Obj2Model();
  Play_Stop(&kPlay, m ? &m->currentFrame : nullptr, g_Ed2DObj.playStart);
  Obj2_UpdateKeyIndices(0);
}

// [SECTION] installation
static void FrameBar(i32 range) {
  if (g_Ed2DObj.scrollBar) Widget_SetScroll(g_Ed2DObj.scrollBar, range, 0);
}

static void RefreshLists(void) {
  HookCtx c = Family_ShellContext();
  Ed2D_RefreshObjectLists(c.sel);
}

void Ed2D_ObjInstall(void) {
  g_ShellEntries.obj2RefreshLists = RefreshLists;
  g_ShellEntries.obj2FrameBar = FrameBar;
  g_ShellEntries.obj2KeyPanelRefresh = &g_Ed2DObj.stripRefresh;
  g_ShellEntries.obj2Loop = &g_Ed2DObj.loop;
}
