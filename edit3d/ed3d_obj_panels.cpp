// The decisions of the object motion sub-mode's dialogs: the motion dialog's buttons and key
// fields, the object list (adding, replacing and removing objects, the parent rules, the
// joint tool, the tree selection), the key strip (scrub, key move, scroll, sound combo), the
// motion list and the sound list, and the fills of their lists and tree. The dialog
// procedures (ed3d_obj_win.cpp) only move values between the controls and these.
#include <string.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/tree.h"
#include "app/views.h"
#include "app/widget.h"
#include "edit3d/objmotion.h"
#include "lib/media/dialogs.h"
#include "model/kzp.h"
#include "model/seam_errorbox.h"
#include "model/str.h"
#include "resources/edit2d_ids.h"
#include "resources/edit3d_obj_ids.h"

const u32 kEd3DObjKeyFields[ED3D_FIELDS] = {IDC_OBJ_POS_X,  IDC_OBJ_POS_Y,  IDC_OBJ_POS_Z,  IDC_OBJ_QUAT_X,
                                            IDC_OBJ_QUAT_Y, IDC_OBJ_QUAT_Z, IDC_OBJ_QUAT_W, IDC_OBJ_SCALE_X,
                                            IDC_OBJ_SCALE_Y, IDC_OBJ_SCALE_Z};

static Ed3DLines s_Lines;   // scratch of the fills below (one fill at a time, main thread)

// [SECTION] helpers
static Obj3Set *Set(void) { return g_Obj3Sets[0]; }

static void Put(void *control, u32 kind) { Ed3D_PutLines(control, kind, &s_Lines); }

static void Edited(void) { Doc_MarkEdited(DOC_OBJ3); }

static void SetTool(u32 tool) {
  g_Sel.g_MotionEditOp = tool;
  Ed3DObjMotionEditor.objDlgRefresh = 1;
  Ed3DObjMotionEditor.listRefresh = 1;
  App_MarkAllRedraw(View_CurrentLayout());
}

// The last hierarchy row of object o becomes the current row.
static void RowFollows(i32 o) {
  for (i32 r = 0; r < g_TreeRows.count && r < TREE_ROWS; r++)
    if (g_TreeRows.rows[r].item == o) g_TreeRows.current = r;
}

// [SECTION] motion dialog
bool Ed3D_ObjApplyFields(const char fields[ED3D_FIELDS][ED3D_FIELD_TEXT]) {
  HookCtx c = Family_ShellContext();
  Obj3Set *s = Set();
  i32 o = Ed3D_ObjCurrent(c.sel);
  if (!s || o < 0) return false;
  Kzo_FindKeySegment(0);
  ObjKey3 *k = Ed3D_ObjKey(o, s->keyIndex);
  if (!k) return false;
  BoneKey3 b = {};
  if (!Ed3D_ParseKeyFields(fields, nullptr, &b)) return false;
  memcpy(k->pos, b.pos, sizeof k->pos);
  memcpy(k->quat, b.quat, sizeof k->quat);
  memcpy(k->scale, b.scale, sizeof k->scale);
  Edited();
  App_MarkAllRedraw(c.layout);
  return true;
}

bool Ed3D_ObjDlgCommand(u32 id, const char fields[ED3D_FIELDS][ED3D_FIELD_TEXT]) {
  HookCtx c = Family_ShellContext();
  switch (id) {
    case IDC_OBJ_PLAY: Ed3D_ObjPlay(); break;
    case IDC_OBJ_STOP: Ed3D_ObjStop(); break;
    case IDC_OBJ_KEY_CREATE: Ed3D_CreateObjKey(); Ed3D_ObjMotionRefreshLists(&c); break;
    case IDC_OBJ_KEY_COPY: Ed3D_CopyObjKey(); break;
    case IDC_OBJ_KEY_CUT: Ed3D_CutObjKey(); Ed3D_ObjMotionRefreshLists(&c); break;
    case IDC_OBJ_KEY_PASTE: Ed3D_PasteObjKey(); Ed3D_ObjMotionRefreshLists(&c); break;
    case IDC_OBJ_KEY_DELETE: Ed3D_DeleteObjKey(); Ed3D_ObjMotionRefreshLists(&c); break;
    case IDC_OBJ_MOVE: SetTool(ED3D_OBJ_TOOL_MOVE); break;
    case IDC_OBJ_ROTATE: SetTool(ED3D_OBJ_TOOL_ROTATE); break;
    case IDC_OBJ_SCALE: SetTool(ED3D_OBJ_TOOL_SCALE); break;
    case IDC_OBJ_APPLY:
      if (fields) Ed3D_ObjApplyFields(fields);
      break;
    default: return false;
  }
  return true;
}

// [SECTION] object list: parents
bool Ed3D_ObjSetParent(i32 selection) {
  HookCtx c = Family_ShellContext();
  Obj3Set *s = Set();
  i32 o = Ed3D_ObjCurrent(c.sel);
  if (!s || o < 0) return false;
  i32 n = Kzo_ObjectCount(s);
  i32 *parent = &s->parts[o].parent;
  i32 old = *parent;
  *parent = (selection >= 0 && selection < n) ? selection : 0;
  bool ok = true;
  if (o == 1) {
    *parent = 0;
    Seam_ErrorBox("オブジェクトNo.1 の親Noは変更できません");
    ok = false;
  } else if (*parent == o) {
    *parent = old;
    Seam_ErrorBox("自分自身は、親に設定できません。");
    ok = false;
  } else {
    // The chain from the object must reach object 0; a loop never does.
    i32 p = o;
    bool reached = false;
    for (i32 step = 0; step < ED3D_OBJ_CYCLE_STEPS && !reached; step++) {
      i32 next = s->parts[p].parent;
      p = (next >= 0 && next < OBJ3_PARTS) ? next : 0;
      reached = p == 0;
    }
    if (!reached) {
      *parent = old;
      Seam_ErrorBox("無限ループの可能性があります。");
      ok = false;
    }
  }
  if (*parent != old) Edited();
  Tree_BuildRowsObjects3D();
  Ed3D_ObjMotionRefreshLists(&c);
  return ok;
}

// [SECTION] object list: adding, replacing, removing
// An object place past the count: no model path, identity keys, offset 0, parent 0.
static void ClearPlace(Obj3Set *s, i32 p) {
  if (p <= 0 || p >= OBJ3_PARTS) return;
  Obj3Part &part = s->parts[p];
  part.parent = 0;
  part.extra = 0;
  s->offsets[p][0] = s->offsets[p][1] = s->offsets[p][2] = 0.0f;
  g_Obj3PartLoaded[0][p] = 0;
  if (!part.keyLists) return;
  for (i32 m = 0; m < OBJ3_MOTIONS; m++) {
    Obj3KeyList &l = part.keyLists[m];
    for (i32 k = 0; l.keys && k < l.capacity; k++) {
      memset(&l.keys[k], 0, sizeof l.keys[k]);
      l.keys[k].quat[3] = 1.0f;
      l.keys[k].scale[0] = l.keys[k].scale[1] = l.keys[k].scale[2] = 1.0f;
    }
  }
}

// After an object came or went: the poses, the hierarchy rows and the lists follow.
static void ObjectsChanged(void) {
  Edited();
  Kzo_UpdatePoses();
  Tree_BuildRowsObjects3D();
  HookCtx c = Family_ShellContext();
  Ed3D_ObjMotionRefreshLists(&c);
}

bool Ed3D_ObjRemove(i32 o) {
  Obj3Set *s = Set();
  if (!s) return false;
  if (o == 0) {
    Seam_ErrorBox("親オブジェクトは、消去できません。");
    return false;
  }
  i32 n = Kzo_ObjectCount(s);
  if (o < 0 || o >= n) return false;
  // Moving an object down keeps the parent and extra word of its new place: each object
  // takes its own along, with the numbers above the removed one one lower.
  i32 parents[OBJ3_PARTS], extras[OBJ3_PARTS];
  for (i32 i = 0; i < n; i++) parents[i] = s->parts[i].parent, extras[i] = s->parts[i].extra;
  if (!Kzo_RemovePart(s, o)) return false;
  for (i32 i = o; i < n - 1; i++) {
    i32 p = parents[i + 1];
    s->parts[i].parent = p == o ? 0 : (p > o ? p - 1 : p);
    s->parts[i].extra = extras[i + 1];
  }
  for (i32 i = 1; i < o; i++) {
    i32 p = parents[i];
    s->parts[i].parent = p == o ? 0 : (p > o ? p - 1 : p);
  }
  ClearPlace(s, n - 1);
  if ((i32)g_Sel.g_CurPartIndex >= Kzo_ObjectCount(s)) g_Sel.g_CurPartIndex = (u32)(Kzo_ObjectCount(s) - 1);
  ObjectsChanged();
  return true;
}

bool Ed3D_ObjAddFile(const char *path) {
  Obj3Set *s = Set();
  if (!s || !path || !path[0]) return false;
  i32 n = Kzo_ObjectCount(s);
  if (n >= OBJ3_PARTS) {
    Seam_ErrorBoxf("オブジェクトは %d 個までです。これ以上追加できません。", (int)OBJ3_PARTS);
    return false;
  }
  ClearPlace(s, n);
  ModelResult res;
  bool read = Kzp_ReadIntoObjectPart(0, n, path, &res);
  Seam_ShowResult(&res);
  if (!read) return false;
  g_Sel.g_CurPartIndex = (u32)(Kzo_ObjectCount(s) - 1);
  ObjectsChanged();
  return true;
}

bool Ed3D_ObjReplaceFile(const char *path) {
  HookCtx c = Family_ShellContext();
  Obj3Set *s = Set();
  i32 o = Ed3D_ObjCurrent(c.sel);
  if (!s || o < 0) return false;
  if (o == 0) {
    Seam_ErrorBox("親オブジェクトは、入れ替えできません。");
    return false;
  }
  if (!path || !path[0]) return false;
  ModelResult res;
  bool read = Kzp_ReadIntoObjectPart(0, o, path, &res);
  Seam_ShowResult(&res);
  if (!read) return false;
  Edited();
  Ed3D_ObjMotionRefreshLists(&c);
  return true;
}

static const char *AskKzp(void) {
  const char *file = FileDlg_OpenByExt(g_Shell.g_MainWindowHandle, "KZP", "KZPファイルを、選択して下さい", "");
  return file && file[0] ? file : nullptr;
}

void Ed3D_ObjListCommand(u32 id, i32 caretLine, i32 comboLine) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  HookCtx c = Family_ShellContext();
  Obj3Set *s = Set();
  if (!s) return;
  if (caretLine >= 0 && caretLine < Kzo_ObjectCount(s)) c.sel->g_CurPartIndex = (u32)caretLine;
  if ((i32)c.sel->g_CurPartIndex != e.seenObject) {
    e.seenObject = (i32)c.sel->g_CurPartIndex;
    RowFollows(e.seenObject);
    Ed3D_ObjMotionRefreshLists(&c);
  }
  char path[1024];
  switch (id) {
    case IDC_OLIST_ADD:
      if (const char *f = AskKzp()) {
        Str_Copy(path, sizeof path, f);
        Ed3D_ObjAddFile(path);
      }
      break;
    case IDC_OLIST_REPLACE:
      if (Ed3D_ObjCurrent(c.sel) == 0) {
        Ed3D_ObjReplaceFile(nullptr);   // says why
      } else if (const char *f = AskKzp()) {
        Str_Copy(path, sizeof path, f);
        Ed3D_ObjReplaceFile(path);
      }
      break;
    case IDC_OLIST_REMOVE: Ed3D_ObjRemove(Ed3D_ObjCurrent(c.sel)); break;
    case IDC_OLIST_JOINT: SetTool(ED3D_OBJ_TOOL_JOINT); break;
    case IDC_OLIST_APPLY: Ed3D_ObjSetParent(comboLine); break;
    default: break;
  }
  e.seenObject = (i32)c.sel->g_CurPartIndex;
}

void Ed3D_ObjTreeSelect(const char *text) {
  HookCtx c = Family_ShellContext();
  Obj3Set *s = Set();
  if (!s || !text) return;
  for (i32 o = 0; o < Kzo_ObjectCount(s); o++)
    if (strcmp(Ed3DObjMotionEditor.texts[o], text) == 0) {
      c.sel->g_CurPartIndex = (u32)o;
      Ed3DObjMotionEditor.seenObject = o;
      Ed3DObjMotionEditor.listRefresh = 1;
      RowFollows(o);
      Ed3D_FillObjList(c.sel);
      App_MarkAllRedraw(c.layout);
      return;
    }
}

// [SECTION] key strip
bool Ed3D_ObjSetFrameFromStrip(void) {
  Obj3Set *s = Set();
  Obj3Motion *mo = Ed3D_ObjMotion();
  if (!s || !mo) return false;
  i32 x = Ed3DObjMotionEditor.strip.x;
  if (x <= STRIP_LABEL_X + 1) return false;
  if (mo->length < 1) {
    Seam_ErrorBoxf("モーション %d の長さが %d です。長さを 1 以上にして下さい。", (int)s->motion, (int)mo->length);
    return false;
  }
  Ed3D_StripFrameAt(x, mo->length, &s->frame);
  Kzo_FindKeySegment(0);
  Tree_BuildRowsObjects3D();
  return true;
}

bool Ed3D_ObjMoveKeyFrame(i32 delta) {
  Obj3Set *s = Set();
  Obj3Motion *mo = Ed3D_ObjMotion();
  if (!s || !mo || delta == 0 || Ed3D_ObjKeyAtFrame() < 0) return false;
  i64 t = (i64)s->frame + delta;
  i32 target = t < 0 ? 0 : (t > 0x7fffffff ? 0x7fffffff : (i32)t);
  if (target == s->frame) return false;
  for (i32 i = 0; i < mo->keyCount && i < OBJ3_KEYS; i++)
    if (mo->keyFrames[i] == target) return false;   // the target frame holds a key
  Ed3D_CutObjKey();
  s->frame = target;
  Ed3D_PasteObjKey();
  return true;
}

// No message while scrubbing: the press already said it once.
static void Scrub(void) {
  Obj3Motion *mo = Ed3D_ObjMotion();
  if (mo && mo->length >= 1) Ed3D_ObjSetFrameFromStrip();
}

static void DragKeys(i32 dx) {
  if (Ed3D_ObjKeyAtFrame() < 0) return;
  if (!Ed3D_ObjMoveKeyFrame(KeyStrip_DragFrames(Strip_Divisor() * dx / 12, dx))) return;
  HookCtx c = Family_ShellContext();
  Ed3D_ObjMotionRefreshLists(&c);
}

static i32 Frame(void) { return Set() ? Set()->frame : 0; }

static void Press(void) { Ed3D_ObjSetFrameFromStrip(); }

static void SyncScroll(void *dlg) {
  const Obj3Set *s = Set();
  if (s) KeyStrip_SetScroll(&g_Ed3DObjKeyStrip, dlg, s->frame, Ed3D_ObjStripScrollMax());
}

static void CreateKey(void) {
  Ed3D_CreateObjKey();
  HookCtx c = Family_ShellContext();
  Ed3D_ObjMotionRefreshLists(&c);
}

const KeyStrip g_Ed3DObjKeyStrip = {
    &Ed3DObjMotionEditor.strip, STRIP_KZO_KEYS, IDC_OKEY_SCROLL, IDC_OKEY_SOUND,
    {&Ed3DObjMotionEditor.keyDlg, IDC_OKEY_LOOP, &Ed3DObjMotionEditor.loop, &Ed3DObjMotionEditor.keyDialogRefresh},
    Frame, Scrub, DragKeys, Press, nullptr, Ed3D_ObjKeyStripScroll, SyncScroll, Ed3D_ObjSetKeySound, CreateKey,
    nullptr, nullptr, nullptr};

i32 Ed3D_ObjStripScrollMax(void) {
  Obj3Motion *mo = Ed3D_ObjMotion();
  return (mo && mo->length > 1) ? mo->length - 1 : 0;
}

void Ed3D_ObjKeyStripScroll(i32 code, i32 pos) {
  Obj3Set *s = Set();
  if (!s || !KeyStrip_ScrollFrame(&s->frame, code, pos, Ed3D_ObjStripScrollMax())) return;
  Kzo_FindKeySegment(0);
  Ed3DObjMotionEditor.keyDialogRefresh = 1;
  App_MarkAllRedraw(View_CurrentLayout());
}

void Ed3D_ObjSetKeySound(i32 line) {
  Obj3Set *s = Set();
  Model3 *m = Current_Model3();
  if (!s || !m) return;
  Kzo_FindKeySegment(0);
  Ed3D_StoreKeySound(m, s->keyIndex, line);
}

// [SECTION] motion list
void Ed3D_ObjMotionListSelect(i32 line) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  Obj3Set *s = Set();
  if (!s) return;
  if (line >= 0 && line < OBJ3_MOTIONS && line < s->motionCount) s->motion = line;
  if (s->motion == e.seenMotion) return;
  e.seenMotion = s->motion;
  s->frame = 0;
  e.motionListRefresh = 1;
  e.keyDialogRefresh = 1;
  Kzo_UpdatePoses();
  App_MarkAllRedraw(View_CurrentLayout());
}

bool Ed3D_ObjMotionListStore(u32 id, const char *name, const char *length) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  Obj3Set *s = Set();
  Obj3Motion *mo = Ed3D_ObjMotion();
  if (!s || !mo) return false;
  if (id == IDC_OML_ADD && s->motionCount >= OBJ3_MOTIONS) {
    Seam_ErrorBoxf("モーションは %d 個までです。これ以上追加できません。", (int)OBJ3_MOTIONS);
    return false;
  }
  if (!Ed3D_StoreMotionEntry(mo->name, sizeof mo->name, &mo->length, name, length)) return false;
  if (id == IDC_OML_ADD) {
    i32 n = s->motionCount < 0 ? 0 : s->motionCount;
    s->motionCount = n + 1;
    s->motion = n;
    s->motions[n].used = 1;
    s->frame = 0;
    e.seenMotion = n;
    Kzo_UpdatePoses();
  }
  Edited();
  Ed3D_FillObjMotionList();
  e.motionListRefresh = 1;
  e.keyDialogRefresh = 1;
  return true;
}

void Ed3D_ObjMotionListRefresh(void) {
  static const u32 kIds[3] = {IDC_OML_NO, IDC_OML_NAME, IDC_OML_LENGTH};
  Obj3Set *s = Set();
  Obj3Motion *mo = Ed3D_ObjMotion();
  void *dlg = Ed3DObjMotionEditor.motionDlg;
  if (!s || !mo || !dlg) return;
  Ed3D_ShowMotionEntry(dlg, kIds, s->motion, mo->name, mo->length);
}

// [SECTION] sounds
bool Ed3D_ObjAddSound(const char *path) {
  if (!Ed3D_AddMotionSound(path)) return false;
  HookCtx c = Family_ShellContext();
  Ed3D_FillObjSoundList(c.model);
  return true;
}

void Ed3D_ObjAddSoundCommand(void) {
  char path[1024];
  if (Ed3D_AskSoundFile(path, sizeof path)) Ed3D_ObjAddSound(path);
}

// [SECTION] lines and fills
void Ed3D_ObjTreeText(i32 o, char *out, size_t size) {
  const Obj3Set *s = Set();
  if (o == 0) Str_Copy(out, size, " 0  親オブジェクト");
  else Str_Format(out, size, "%2d  %s", (int)o, s && o > 0 && o < OBJ3_PARTS ? s->parts[o].path : "");
}

// One line per object of the set (the list's and the parent combo's alike), nothing
// selected; false without a set.
static bool ObjectLines(Ed3DLines *out) {
  out->count = 0;
  out->select = -1;
  const Obj3Set *s = Set();
  if (!s) return false;
  for (i32 o = 0; o < Kzo_ObjectCount(s); o++) {
    if (o == 0) Str_Copy(out->text[out->count++], ED3D_LINE, " 0 : 親オブジェクト");
    else Str_Format(out->text[out->count++], ED3D_LINE, "%2d : %s", (int)o, s->parts[o].path);
  }
  return true;
}

void Ed3D_ObjListLines(Ed3DLines *out) { Ed3D_ObjListLines(&g_Sel, out); }
void Ed3D_ObjParentLines(Ed3DLines *out) { Ed3D_ObjParentLines(&g_Sel, out); }

void Ed3D_ObjListLines(const ShellSelection *sel, Ed3DLines *out) {
  if (ObjectLines(out)) out->select = Ed3D_ObjCurrent(sel);
}

void Ed3D_ObjParentLines(const ShellSelection *sel, Ed3DLines *out) {
  if (!ObjectLines(out)) return;
  i32 cur = Ed3D_ObjCurrent(sel);
  if (cur >= 0) out->select = Set()->parts[cur].parent;
}

void Ed3D_ObjMotionLines(Ed3DLines *out) {
  out->count = 0;
  out->select = -1;
  const Obj3Set *s = Set();
  if (!s) return;
  i32 n = s->motionCount < 0 ? 0 : (s->motionCount > OBJ3_MOTIONS ? OBJ3_MOTIONS : s->motionCount);
  for (i32 i = 0; i < n; i++) {
    const Obj3Motion &mo = s->motions[i];
    Str_Format(out->text[out->count++], ED3D_LINE, "%2d : 0 ～ %2d  %s", (int)i, (int)mo.length, mo.name);
  }
  out->select = s->motion;
}

void Ed3D_ObjSoundLines(Ed3DLines *out) { Ed3D_ObjSoundLines(Current_Model3(), out); }
void Ed3D_ObjSoundLines(const Model3 *m, Ed3DLines *out) { Ed3D_MotionSoundLines(m, out); }

void Ed3D_AddObjTreeItem(i32 o) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  const Obj3Set *s = Set();
  if (!s || o < 0 || o >= OBJ3_PARTS || !e.tree || !g_Widget.treeInsert) return;
  Ed3D_ObjTreeText(o, e.texts[o], sizeof e.texts[o]);
  i32 p = s->parts[o].parent;
  void *parent = (o > 0 && p > 0 && p < OBJ3_PARTS) ? e.treeItems[p] : nullptr;
  e.treeItems[o] = Widget_TreeInsert(e.tree, parent, e.texts[o]);
  if (parent) Widget_TreeExpand(e.tree, parent);
}

void Ed3D_FillObjTree(const ShellSelection *sel) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  const Obj3Set *s = Set();
  memset(e.treeItems, 0, sizeof e.treeItems);
  for (i32 o = 0; o < OBJ3_PARTS; o++) e.texts[o][0] = 0;
  if (!s || !e.tree) return;
  Widget_TreeClear(e.tree);
  for (i32 o = 0; o < Kzo_ObjectCount(s); o++)
    if (o == 0 || g_Obj3PartLoaded[0][o] == 1) Ed3D_AddObjTreeItem(o);
  i32 cur = Ed3D_ObjCurrent(sel);
  if (cur >= 0 && e.treeItems[cur]) Widget_TreeSelect(e.tree, e.treeItems[cur]);
}

void Ed3D_FillObjList(const ShellSelection *sel) {
  Ed3D_ObjListLines(sel, &s_Lines);
  void *list = Ed3DObjMotionEditor.list;
  Put(list, WIDGET_FILL_MULTI);
  if (list && s_Lines.select >= 0) Widget_SetCaret(list, s_Lines.select);
}

void Ed3D_FillObjParentCombo(const ShellSelection *sel) {
  Ed3D_ObjParentLines(sel, &s_Lines);
  Put(Ed3DObjMotionEditor.parentCombo, WIDGET_FILL_COMBO);
}

void Ed3D_FillObjMotionList(void) {
  Ed3D_ObjMotionLines(&s_Lines);
  Put(Ed3DObjMotionEditor.motionList, WIDGET_FILL_LIST);
}

void Ed3D_FillObjSoundList(const Model3 *m) {
  Ed3DObjMotionEditorState &e = Ed3DObjMotionEditor;
  Ed3D_ObjSoundLines(m, &s_Lines);
  Put(e.waveList, WIDGET_FILL_LIST);
  const Obj3Set *s = Set();
  s_Lines.select = Ed3D_KeySoundLine(m, s ? s->keyIndex : -1);
  Put(e.soundCombo, WIDGET_FILL_COMBO);
}
