// The object motion sub-mode's life: entering (object set 0 kept or started afresh) and
// leaving with its panels, the per-frame update, the scene and overlay draw (rings about the
// current object, axis crosses), the mouse (key made on the left press, the drags of the
// move, joint, rotate and scale tools by view kind, the right-click object pick), the keys
// from the main loop, the menu and the list refresh. Owns Ed3DObjMotionEditor.
#include <math.h>
#include <string.h>

#include "app/docflags.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/tree.h"
#include "app/viewdraw.h"
#include "app/views.h"
#include "app/vkeys.h"
#include "app/widget.h"
#include "edit3d/objmotion.h"
#include "edit3d/undo.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/target.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "lib/media/dialogs.h"
#include "lib/media/sound.h"
#include "model/seam_timer.h"
#include "resources/edit3d_obj_ids.h"

Ed3DObjMotionEditorState Ed3DObjMotionEditor;

// [SECTION] helpers
static Obj3Set *Set(void) { return g_Obj3Sets[0]; }


static void LoadMenu(const char *name) {
  // A sub-mode switch inside the family replaces the previous sub-mode's menu.
  App_LoadFamilyMenu(name);
}

// The current object of selection sel when it exists in the set, else -1.
static i32 CurrentOf(const ShellSelection *sel) {
  Obj3Set *s = Set();
  i32 o = (i32)sel->g_CurPartIndex;
  return (s && o >= 0 && o < Kzo_ObjectCount(s)) ? o : -1;
}

i32 Ed3D_ObjCurrent(const ShellSelection *sel) { return CurrentOf(sel); }

static void SetLabel(const char *label) { Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, label); }

// [SECTION] enter and leave
// A set with objects besides the parent object is only thrown away when the user agrees.
static bool KeepSet(void) {
  const Obj3Set *s = Set();
  if (!s || g_Obj3PartLoaded[0][0] != 1 || s->objectCount <= 1) return false;
  bool fresh = g_ShellSeam.askYesNo
                   ? g_ShellSeam.askYesNo("編集中のオブジェクトを破棄して、新しいオブジェクトセットを作成しますか？")
                   : true;
  return !fresh;
}

static void NewSet(void) {
  Kzo_NewSet(0);
  // Flags of a set edited before would leave objects of it in the tree and the offset chain.
  // Parent numbers and extra words are no part of a new object record either.
  for (i32 p = 1; p < OBJ3_PARTS; p++) g_Obj3PartLoaded[0][p] = 0;
  if (Obj3Set *s = Set())
    for (i32 p = 0; p < OBJ3_PARTS; p++) s->parts[p].parent = 0, s->parts[p].extra = 0;
  Doc_Replaced(DOC_OBJ3);
}

static void OpenPanels(void) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  i32 dw = g_Lib.desktopWidth, dh = g_Lib.desktopHeight;
  if (!e.objDlg) e.objDlg = Widget_CreatePanel("3D_OBJ_DLG", dw - 273, dh - 336, 273, 307);
  if (!e.keyDlg) {
    e.keyDlg = Widget_CreatePanel("OBJ_KEY_DLG", 0, dh - 152, 678, 122);
    e.soundCombo = Ed3D_Control(e.keyDlg, IDC_OKEY_SOUND);
  }
  if (!e.listDlg) {
    e.listDlg = Widget_CreatePanel("OBJ_LIST_DLG", dw - 356, 47, 356, 573);
    e.parentCombo = Ed3D_Control(e.listDlg, IDC_OLIST_PARENT);
    // The tree at (0, 49) 168 x 360 and the extended-selection list at (169, 49) 180 x 360.
    if (e.listDlg) e.tree = Ed3D_CreatePanelTree(e.listDlg);
    if (e.listDlg) e.list = Ed3D_CreatePanelList(e.listDlg);
  }
  if (!e.motionDlg) {
    e.motionDlg = Widget_CreatePanel("3D_OBJ_MOTION_LIST_DLG", 0, dh - 526, 228, 450);
    e.motionList = Ed3D_CreateListBox(e.motionDlg, IDC_OLIST_LIST, 0, 95, 222, 330);
    if (e.motionDlg) Widget_Activate(e.motionDlg);
  }
}

void Ed3D_ObjMotionEnter(const HookCtx *c) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  ShellSelection *sel = c->sel;
  g_Lib.runState = 3;
  sel->g_CurSlot = 0;
  App_AllocWorkArrays(sel);
  if (g_TreeRows.current == 0) g_TreeRows.current = 1;
  if (g_TreeRows.hovered == 0) g_TreeRows.hovered = 1;
  if (!KeepSet()) NewSet();
  if (Obj3Set *s = Set()) {
    if (s->motion < 0 || s->motion >= OBJ3_MOTIONS) s->motion = 0;
    s->frame = 0;
    s->objectCount = s->objectCount < 1 ? 1 : s->objectCount;
    Kzo_FindKeySegment(0);
    e.seenMotion = s->motion;
  }
  e.seenObject = (i32)sel->g_CurPartIndex;
  LoadMenu("MENU_3D_OBJ");
  Ed3D_ResetViewConstants();
  sel->g_MotionEditOp = ED3D_OBJ_TOOL_ROTATE;
  e.loop = 1;
  e.ring = -1;
  g_Strip.g_StripGeo.margin = 0;
  OpenPanels();
  Tree_BuildRowsObjects3D();
  Ed3D_ObjMotionRefreshLists(c);
}

void Ed3D_ObjMotionLeave(const HookCtx *c) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  g_Shell.g_Playing = 0;
  Ed3D_DestroyWindow(&e.parentCombo);
  Ed3D_DestroyWindow(&e.list);
  Ed3D_DestroyWindow(&e.tree);
  Ed3D_DestroyWindow(&e.listDlg);
  memset(e.treeItems, 0, sizeof e.treeItems);
  e.soundCombo = nullptr;
  Ed3D_DestroyWindow(&e.keyDlg);
  Ed3D_DestroyWindow(&e.motionList);
  Ed3D_DestroyWindow(&e.motionDlg);
  Ed3D_DestroyWindow(&e.objDlg);
  Ed3D_DestroyWindow(&e.waveList);
  Ed3D_DestroyWindow(&e.waveDlg);
  e.strip.left = e.strip.middle = e.strip.right = 0;
}

// [SECTION] update and draw
void Ed3D_ObjMotionUpdate(const HookCtx *c) {
  g_Strip.g_StripWindows[STRIP_KZO_KEYS].dirty = 1;
  Lib_SetSceneDraw(1);
}

void Ed3D_ObjDrawScene(const HookCtx *c) { View_Draw3DGrid(c->viewIndex); }

static Vec3 WorldOrigin(i32 o) {
  f32 p[3];
  Kzo_GetPartWorldOrigin(0, o, p);
  return {p[0], p[1], p[2]};
}

// The object the overlay being drawn marks as current: Ed3D_DrawObjAxes is called back by the
// cross drawing, which hands it no more than the object and the axis.
static i32 s_AxesCurrent = -1;

void Ed3D_DrawObjAxes(i32 o, i32 axis) { Ed3D_DrawAxisCross(WorldOrigin(o), o == s_AxesCurrent, axis); }

void Ed3D_ObjDrawOverlay(const HookCtx *c) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  const Obj3Set *s = Set();
  if (c->view->kind != VIEW_MAIN || g_Shell.g_Playing == 1 || !s) return;
  i32 cur = CurrentOf(c->sel);
  s_AxesCurrent = cur;
  DrawBatch_Begin();
  if (cur > 0 && c->sel->g_MotionEditOp == ED3D_OBJ_TOOL_ROTATE)
    Ed3D_DrawRings(WorldOrigin(cur), c->mouse->g_MouseX, c->mouse->g_MouseY, &e.ring);
  else
    e.ring = -1;
  Ed3D_DrawAxisCrosses(Kzo_ObjectCount(s), cur, e.ring, Ed3D_DrawObjAxes);
  DrawBatch_End();
}

// [SECTION] mouse
void Ed3D_ObjLButtonDown(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  DragAnchors_SetAll(c->mouse, x, y);
  // A press in a view keeps the current frame (the strip sets it in the key dialog).
  Ed3D_CreateObjKey();
  App_MarkAllRedraw(c->layout);
}

void Ed3D_ObjRButtonUp(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  const Obj3Set *s = Set();
  if (!s || c->view->kind != VIEW_MAIN || g_Shell.g_Playing == 1) return;
  const DragAnchor &press = c->mouse->g_ObjMotionDragAnchor;
  if (x != press.x || y != press.y) return;   // moved: a drag, not a pick
  f32 best = 99999.0f;
  i32 found = -1;
  for (i32 o = 1; o < Kzo_ObjectCount(s); o++) {
    Vec3 p = WorldOrigin(o);
    f32 sc[2];
    if (!Ed3D_ProjectView0(c, p.x, p.y, p.z, sc)) continue;
    f32 d = fabsf(sc[0] - (f32)x) + fabsf(sc[1] - (f32)y);
    if (d < best) {
      best = d;
      found = o;
    }
  }
  if (found > 0) {
    c->sel->g_CurPartIndex = (u32)found;
    for (i32 r = 0; r < g_TreeRows.count && r < TREE_ROWS; r++)
      if (g_TreeRows.rows[r].item == found) g_TreeRows.current = r;
  }
  HookCtx shell = Family_ShellContext();
  App_RefreshLists(&shell);   // the object-motion panels with the others
}

// The amounts of a move drag by view kind into p (the key position or the joint offset).
static bool MoveBy(f32 p[3], u32 kind, u32 gizmoAxis, f32 dx, f32 dy) {
  if (dx == 0 && dy == 0) return false;
  Ed3D_MoveByView(p, kind, gizmoAxis, dx, dy);
  return true;
}

// The rotation of a drag by view kind: the axis (0 X, 1 Y, 2 Z, -1 none) and the angle.
static i32 RotateAxis(u32 kind, f32 dx, f32 dy, f32 *a) {
  *a = dx * 0.3f - dy * 0.3f;
  switch (kind) {
    case VIEW_MAIN:
      switch (Ed3DObjMotionEditor.ring) {
        case 0: *a = dy * 0.3f - dx * 0.3f; return 1;
        case 1: return 0;
        case 2: return 2;
        default: return -1;
      }
    case VIEW_FRONT: return 2;
    case VIEW_TOP: return 1;
    case VIEW_SIDE: return 0;
    default: return -1;
  }
}

static void Rotate(ShellSelection *sel, i32 o, ObjKey3 *k, i32 axis, f32 a) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  Mat4 m;
  Mat_ComposeSRTEuler(&m, 0, 0, 0, axis == 1 ? a : 0.0f, axis == 0 ? a : 0.0f, axis == 2 ? a : 0.0f, 1, 1, 1);
  Quat q;
  Quat_FromMatrix(&q, m);
  Quat r = {k->quat[0], k->quat[1], k->quat[2], k->quat[3]};
  Quat_MulInPlace(&r, q);
  k->quat[0] = r.x, k->quat[1] = r.y, k->quat[2] = r.z, k->quat[3] = r.w;
  Vec3 p = WorldOrigin(o);
  e.pivot[0] = p.x, e.pivot[1] = p.y, e.pivot[2] = p.z;
  e.delta = q;
  // Children always follow an object's rotation.
  Tree_LinkObjects3D();
  i32 child = Set()->parts[o].firstChild;
  if (child > 0) {
    Ed3D_RotateObjSubtree(sel, child);
    sel->g_CurPartIndex = (u32)o;
  }
}

void Ed3D_ObjMouseMove(const HookCtx *c) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  App_MarkAllRedraw(c->layout);
  Obj3Set *s = Set();
  if (!s || !Shell_ButtonHeld(BUTTON_LEFT) || Shell_ButtonHeld(BUTTON_MIDDLE) || Shell_ButtonHeld(BUTTON_RIGHT)) return;
  ShellSelection *sel = c->sel;
  i32 o = CurrentOf(sel);
  i32 k = Ed3D_ObjKeyAtFrame();
  if (g_Shell.g_Playing == 1 || o <= 0 || k < 0) return;
  ObjKey3 *key = Ed3D_ObjKey(o, k);
  if (!key) return;
  u32 kind = c->view->kind;
  f32 dx = c->mouse->g_MouseMoveDX, dy = c->mouse->g_MouseMoveDY;
  bool edited = false;
  switch (sel->g_MotionEditOp) {
    case ED3D_OBJ_TOOL_MOVE:
      SetLabel("移動 ( モーション )");
      edited = MoveBy(key->pos, kind, sel->g_GizmoAxis, dx, dy);
      break;
    case ED3D_OBJ_TOOL_JOINT:
      SetLabel("移動 ( モーション )");
      edited = MoveBy(s->offsets[o], kind, sel->g_GizmoAxis, dx, dy);
      break;
    case ED3D_OBJ_TOOL_ROTATE: {
      SetLabel("回転 ( モーション )");
      f32 a;
      i32 axis = RotateAxis(kind, dx, dy, &a);
      if (axis >= 0 && a != 0) {
        Rotate(sel, o, key, axis, a);
        edited = true;
      }
      break;
    }
    case ED3D_OBJ_TOOL_SCALE:
      SetLabel("拡大 ( モーション )");
      if (kind == VIEW_MAIN && (dx != 0 || dy != 0)) {
        for (i32 i = 0; i < 3; i++) key->scale[i] += dx * 0.01f - dy * 0.01f;
        edited = true;
      }
      break;
    default: break;
  }
  if (edited) {
    g_Shell.g_EditedFlag = 1;
    Doc_MarkEdited(DOC_OBJ3);
  }
  e.objDlgRefresh = 1;
  e.keyDialogRefresh = 1;
}

// [SECTION] keys
static void SetTool(ShellSelection *sel, u32 tool) {
  sel->g_MotionEditOp = tool;
  Ed3DObjMotionEditor.objDlgRefresh = 1;
  Ed3DObjMotionEditor.listRefresh = 1;
}

void Ed3D_ObjMotionKeyDown(const HookCtx *c) {
  u32 vk = c->key;
  switch (vk) {
    case VKEY_LEFT: case VKEY_UP: case VKEY_RIGHT: case VKEY_DOWN: Ed3D_MotionArrowKey(c->view, c->layout, vk, false); break;
    case 'A': Ed3D_ObjTogglePlay(); break;
    case 'G': SetTool(c->sel, ED3D_OBJ_TOOL_SCALE); break;
    case 'R': SetTool(c->sel, ED3D_OBJ_TOOL_ROTATE); break;
    case 'T': SetTool(c->sel, ED3D_OBJ_TOOL_MOVE); break;
    default: break;
  }
}

// [SECTION] refresh
void Ed3D_ObjMotionRefreshLists(const HookCtx *c) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  e.objDlgRefresh = 1;
  e.keyDialogRefresh = 1;
  e.listRefresh = 1;
  e.motionListRefresh = 1;
  e.waveRefresh = 1;
  g_Strip.g_StripWindows[STRIP_KZO_KEYS].dirty = 1;
  Ed3D_FillObjList(c->sel);
  Ed3D_FillObjSoundList(c->model);
  Ed3D_FillObjTree(c->sel);
  Ed3D_FillObjMotionList();
  Ed3D_FillObjParentCombo(c->sel);
  App_MarkAllRedraw(c->layout);
}

// [SECTION] menu
static void OpenSoundDialog(const Model3 *m) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  if (Ed3D_OpenSoundPanel("OBJ_WAVE_DLG", IDC_OLIST_LIST, &e.waveDlg, &e.waveList)) Ed3D_FillObjSoundList(m);
}

// The chosen file is not read: the command keeps the set's frame, the current bone and the
// model's sounds in step, as its menu text promises nothing more of the set.
static void CopyMotionsCommand(const HookCtx *c) {
  const char *file = FileDlg_OpenByExt(g_Shell.g_MainWindowHandle, "KZP", "コピー元 KZP ファイルを選択して下さい", "");
  if (file && file[0]) {
    if (Obj3Set *s = Set()) s->frame = 0;
    c->sel->g_CurBoneIndex = 0;
    // The slot's model is looked up after the dialog, which ran the message loop meanwhile.
    if (Model3 *m = Model3_Get((i32)c->slot))
      for (i32 i = 1; i < m->soundCount && i < MODEL3_SOUNDS; i++) Sound_LoadModelSound(m, i, m->sounds[i]);
  }
  HookCtx after = *c;
  after.model = Model3_Get((i32)c->slot);
  Ed3D_ObjMotionRefreshLists(&after);
  Timer_Reset();
}

void Ed3D_ObjMotionCommand(const HookCtx *c) {
  u32 id = c->command;
  switch (id) {
    case IDM_OBJ_SOUNDS: OpenSoundDialog(c->model); break;
    case IDM_OBJ_COPY_MOTIONS: CopyMotionsCommand(c); break;
    default: break;
  }
}
