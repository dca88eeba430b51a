// The list, combo and tree fills of the 3D editor's bone list and group panels, and the
// family's list refresh. Line texts are built here (CP932, bounded) and put into the controls
// through the widget seam.
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "edit3d/ed3d.h"

#include <string.h>

#include "app/current.h"
#include "app/family.h"
#include "app/tree.h"
#include "app/views.h"
#include "app/widget.h"
#include "edit3d/ed3d_group_dlg.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_tex.h"
#include "edit3d/objmotion.h"
#include "model/kzo.h"
#include "model/motion.h"
#include "model/str.h"

static const char kRootBoneLine[] = " 0  親ボーン";
static const char kNoTextureLine[] = " 0 : なし";
static const char *const kDisplayNames[6] = {"非表示", "ポイント", "ワイヤー", "フラット", "グーロー", "曲面"};

enum { SHOWN_CONTROLS = 16 };
struct ShownLines {
  void *control;
  u64 hash;   // of the count, the selection and the texts last put
};

// The fills' state, main thread only: the scratch lines of the fill being built (one fill at a
// time), what each control shows (written by Ed3D_ShownAlready, so an unchanged list is not put
// again) with the next row to reuse, and whether the fills only follow (set inside
// Ed3D_DocumentChanged).
static struct {
  Ed3DLines lines;
  ShownLines shown[SHOWN_CONTROLS];
  u32 nextShown;
  bool followOnly;
} s_Fill;

// [SECTION] lines
static void Begin(Ed3DLines *out) {
  out->count = 0;
  out->select = -1;
}

static char *NextLine(Ed3DLines *out) {
  if (out->count >= ED3D_MAX_LINES) return nullptr;
  char *line = out->text[out->count++];
  line[0] = 0;
  return line;
}

static void Select(Ed3DLines *out, i64 line) { out->select = line >= 0 && line < out->count ? (i32)line : -1; }

static i32 Clamp(i32 count) { return count < 0 ? 0 : count > ED3D_MAX_LINES ? ED3D_MAX_LINES : count; }

// "%2d  %s": a bone's line in the bone list, the parent combo and the tree.
static void BoneLine(const Model3 *m, i32 bone, char *out, size_t size) {
  if (bone == 0) Str_Copy(out, size, kRootBoneLine);
  else Str_Format(out, size, "%2d  %.255s", bone, m->bones[bone].name);
}

void Ed3D_BoneTreeText(const Model3 *m, i32 bone, char *out, size_t size) { BoneLine(m, bone, out, size); }

void Ed3D_ParentBoneLines(const Model3 *m, u32 curBone, Ed3DLines *out) {
  Begin(out);
  if (!m) return;
  for (i32 b = 0; b < Clamp(m->boneCount); b++) {
    char *line = NextLine(out);
    BoneLine(m, b, line, ED3D_LINE);
    i32 parent = m->bones[b].parent;
    if (b > 0 && parent > 0) {
      char tail[32];
      Str_Format(tail, sizeof tail, " ( %d )", parent);
      size_t len = strlen(line);
      Str_Copy(line + len, ED3D_LINE - len, tail);
    }
  }
  Select(out, curBone);
}

void Ed3D_ParentComboLines(const Model3 *m, u32 curBone, Ed3DLines *out) {
  Begin(out);
  if (!m) return;
  for (i32 b = 0; b < Clamp(m->boneCount); b++) BoneLine(m, b, NextLine(out), ED3D_LINE);
  if (curBone < MODEL3_BONES) Select(out, m->bones[curBone].parent);
}

void Ed3D_CountGroupPolygons(const Model3 *m, u32 counts[MODEL3_GROUPS]) {
  memset(counts, 0, MODEL3_GROUPS * sizeof counts[0]);
  if (!m || !m->polygons) return;
  for (i32 p = 0; p < m->polygonCount; p++) {
    u32 g = m->polygons[p].group;
    if (g < MODEL3_GROUPS) counts[g]++;
  }
}

void Ed3D_GroupListLines(const Model3 *m, u32 curGroup, u32 polyCounts[MODEL3_GROUPS], Ed3DLines *out) {
  Begin(out);
  if (!m) return;
  Ed3D_CountGroupPolygons(m, polyCounts);
  for (i32 g = 0; g < Clamp(m->groupCount); g++) {
    char *line = NextLine(out);
    if (polyCounts[g] != 0) Str_Format(line, ED3D_LINE, "%2d : %.255s ( %u )", g, m->groups[g].name, polyCounts[g]);
    else Str_Format(line, ED3D_LINE, "%2d : %.255s", g, m->groups[g].name);
  }
  Select(out, curGroup);
}

void Ed3D_TextureComboLines(const Model3 *m, i32 select, Ed3DLines *out) {
  Begin(out);
  if (!m) return;
  for (i32 t = 0; t < Clamp(m->textureCount); t++) {
    char *line = NextLine(out);
    const Model3Texture &tex = m->textures[t];
    if (t == 0) Str_Copy(line, ED3D_LINE, kNoTextureLine);
    else if (tex.used) Str_Format(line, ED3D_LINE, "%2d : %s", t, tex.name ? tex.name : "");
    else Str_Format(line, ED3D_LINE, "%2d :", t);
  }
  // The combo selects even without lines (the control then shows nothing).
  out->select = select;
}

void Ed3D_GroupDisplayLines(const Model3 *m, u32 curGroup, Ed3DLines *out) {
  Begin(out);
  if (!m) return;
  for (const char *name : kDisplayNames) Str_Copy(NextLine(out), ED3D_LINE, name);
  if (curGroup < MODEL3_GROUPS) Select(out, m->groups[curGroup].shading);
}

i32 Ed3D_BoneTreeParent(const Model3 *m, i32 bone) {
  i32 parent = m->bones[bone].parent;
  // Only a parent numbered below the bone has its item already; any other goes to the root.
  return parent > 0 && parent < bone ? parent : -1;
}

// [SECTION] fills of the panels' controls
void Ed3D_PutLines(void *control, u32 kind, const Ed3DLines *lines) {
  if (!control || !g_Widget.fill || Ed3D_ShownAlready(control, lines)) return;
  WidgetLines l = Widget_Lines(lines->text[0], ED3D_LINE, lines->count, lines->select);
  g_Widget.fill(control, kind, &l);
}

static void Put(void *control, u32 kind) { Ed3D_PutLines(control, kind, &s_Fill.lines); }

// [SECTION] what each control shows

static u64 LinesHash(const Ed3DLines *l) {
  u64 h = 1469598103934665603ull;
  auto mix = [&h](u8 b) { h = (h ^ b) * 1099511628211ull; };
  const i32 head[2] = {l->count, l->select};
  for (i32 v : head)
    for (int i = 0; i < 4; i++) mix((u8)(v >> (8 * i)));
  for (i32 i = 0; i < l->count && i < ED3D_MAX_LINES; i++)
    for (const char *c = l->text[i];; c++) {
      mix((u8)*c);
      if (!*c) break;
    }
  return h;
}

bool Ed3D_ShownAlready(void *control, const Ed3DLines *lines) {
  u64 h = LinesHash(lines);
  for (ShownLines &s : s_Fill.shown)
    if (s.control == control) {
      bool same = s_Fill.followOnly && s.hash == h;
      s.hash = h;
      return same;
    }
  s_Fill.shown[s_Fill.nextShown++ % SHOWN_CONTROLS] = {control, h};
  return false;
}

void Ed3D_FillParentBoneList(const HookCtx *c) {
  if (!c->model) return;
  Ed3D_ParentBoneLines(c->model, c->sel->g_CurBoneIndex, &s_Fill.lines);
  Put(g_Ed3D.boneList, WIDGET_FILL_MULTI);
  Ed3D_FillParentBoneCombo(c);
}

void Ed3D_FillParentBoneCombo(const HookCtx *c) {
  if (!c->model) return;
  Ed3D_ParentComboLines(c->model, c->sel->g_CurBoneIndex, &s_Fill.lines);
  Put(g_Ed3D.parentCombo, WIDGET_FILL_COMBO);
}

void Ed3D_InsertBoneTreeItem(const Model3 *m, i32 bone) {
  Ed3DModelEditor &e = g_Ed3D;
  if (!m || bone < 0 || bone >= MODEL3_BONES) return;
  BoneLine(m, bone, e.treeTexts[bone], ED3D_TREE_TEXT);
  i32 parent = Ed3D_BoneTreeParent(m, bone);
  void *parentItem = parent >= 0 ? e.treeItems[parent] : nullptr;
  void *item = nullptr;
  if (e.boneTree) item = Widget_TreeInsert(e.boneTree, parentItem, e.treeTexts[bone]);
  if (parentItem) Widget_TreeExpand(e.boneTree, parentItem);
  e.treeItems[bone] = item;
}

void Ed3D_FillBoneTree(const HookCtx *c) {
  Ed3DModelEditor &e = g_Ed3D;
  const Model3 *m = c->model;
  if (!m) return;
  // Deleting the items notifies the panel of selection changes; the current bone stays.
  u32 bone = c->sel->g_CurBoneIndex;
  if (e.boneTree) Widget_TreeClear(e.boneTree);
  c->sel->g_CurBoneIndex = bone;
  memset(e.treeItems, 0, sizeof e.treeItems);
  for (i32 b = 0; b < Clamp(m->boneCount); b++) Ed3D_InsertBoneTreeItem(m, b);
  c->sel->g_CurBoneIndex = bone;
  if (bone < MODEL3_BONES && e.treeItems[bone]) Widget_TreeSelect(e.boneTree, e.treeItems[bone]);
}

void Ed3D_FillGroupList(const HookCtx *c) {
  if (!c->model) return;
  Ed3D_GroupListLines(c->model, c->sel->g_CurGroupIndex, g_Ed3D.group.polyCounts, &s_Fill.lines);
  Put(g_Ed3D.group.list, WIDGET_FILL_TALL);
  Ed3D_FillTextureCombo(c);
  Ed3D_FillDisplacementCombo(c);
}

void Ed3D_FillTextureCombo(const HookCtx *c) {
  const Model3 *m = c->model;
  if (!m) return;
  u32 group = c->sel->g_CurGroupIndex;
  i32 tex = group < MODEL3_GROUPS ? (i32)m->groups[group].texture : -1;
  Ed3D_TextureComboLines(m, tex, &s_Fill.lines);
  Put(g_Ed3D.group.textureCombo, WIDGET_FILL_COMBO);
}

void Ed3D_FillDisplacementCombo(const HookCtx *c) {
  const Model3 *m = c->model;
  if (!m) return;
  Ed3D_TextureComboLines(m, (i32)(u16)m->dispTexture, &s_Fill.lines);
  Put(g_Ed3D.group.dispCombo, WIDGET_FILL_COMBO);
}

void Ed3D_FillGroupDisplayCombo(const HookCtx *c) {
  if (!c->model) return;
  Ed3D_GroupDisplayLines(c->model, c->sel->g_CurGroupIndex, &s_Fill.lines);
  Put(g_Ed3D.group.displayCombo, WIDGET_FILL_COMBO);
}

// [SECTION] the family's list refresh
// Every change of the model as a whole (a file read, a merge, undo and redo) comes through
// here: the modelling dialog and the bone list, which show the state again only when asked,
// are asked too. Their timers may have run already for the model before (the empty one at
// start-up), and would otherwise keep its counts and fields.
// What the panels hold as current is checked against the model that is there now: an undo,
// a load or a layer switch may leave fewer bones, motions, groups, textures or objects than
// the one before, and an index past them falls back to the last one there is.
static void FollowCurrent(const HookCtx *c) {
  ShellSelection *sel = c->sel;
  Model3 *m = c->model;
  if (m) {
    i32 bones = Model3_BoneCount(m);
    sel->g_CurBoneIndex = Current_Within(sel->g_CurBoneIndex, bones);
    sel->g_PrevBone = Current_Within(sel->g_PrevBone, bones);
    sel->g_SelectedBone = Current_Within(sel->g_SelectedBone, bones);
    sel->g_CurGroupIndex = Current_Within(sel->g_CurGroupIndex, Clamp(m->groupCount));
    // The texture list was filled while its current line was past the model's: its focus line,
    // which the panel's commands take as current, shows the texture that is current now.
    if (g_Ed3DTex.texture >= m->textureCount) {
      g_Ed3DTex.texture = (i32)Current_Within((u32)g_Ed3DTex.texture, m->textureCount);
      Ed3D_FillTextureList(m);
    }
    i32 motions = m->motionCount < 0 ? 0 : m->motionCount > MODEL3_MOTIONS ? MODEL3_MOTIONS : m->motionCount;
    i32 motion = (i32)Current_Within((u32)(m->motion < 0 ? 0 : m->motion), motions);
    bool frameGone = motion < MODEL3_MOTIONS && m->frame > m->motions[motion].length;
    if (motion != m->motion || frameGone) {
      m->motion = motion;
      m->frame = 0;
      m->frameFraction = 0.0f;
      Model3_UpdateKeyIndices((i32)c->slot);
    }
    g_Ed3DMotionPanels.listSeenMotion = m->motion;
    Ed3D_UpdateCurrentKeyIndex(c);   // the key the dialogs show and edit: of the track there is now
  }
  Obj3Set *s = g_Obj3Sets[0];
  if (s) {
    sel->g_CurPartIndex = Current_Within(sel->g_CurPartIndex, Kzo_ObjectCount(s));
    s->motion = (i32)Current_Within((u32)(s->motion < 0 ? 0 : s->motion), s->motionCount < OBJ3_MOTIONS ? s->motionCount : OBJ3_MOTIONS);
    Kzo_FindKeySegment(0);
  }
  sel->g_BoneListDirty = 1;
}

void Ed3D_DocumentChanged(const HookCtx *c) {
  Ed3DPolyEditor.dlgRefresh = 1;   // the modelling dialog's counts
  FollowCurrent(c);
  s_Fill.followOnly = true;
  Ed3D_FillGroupList(c);
  Ed3D_FillGroupDisplayCombo(c);
  Ed3D_FillMotionList(c->model);
  Ed3D_FillMotionSoundList(c->model);
  Ed3D_FillMotionSoundCombo(c->model);
  s_Fill.followOnly = false;
  g_Ed3DMotion.dialogRefresh = g_Ed3DMotion.keyDialogRefresh = 1;
  g_Ed3DMotionPanels.listRefresh = 1;
  Ed3D_GroupFieldsFollow(c);
  g_Ed3DTex.refresh = 1;
  App_MarkAllRedraw(c->layout);
}

void Ed3D_RefreshLists(const HookCtx *c) {
  Ed3DPolyEditor.dlgRefresh = 1;
  // The lists select the current bone: one past the model's bones falls back to its last.
  if (c->model) c->sel->g_CurBoneIndex = Current_Within(c->sel->g_CurBoneIndex, Model3_BoneCount(c->model));
  c->sel->g_BoneListDirty = 1;
  Ed3D_FillObjMotionList();
  Ed3D_FillPolygonList(c);
  Ed3D_FillTextureList(c->model);
  Ed3D_FillMotionLists(c->model);
  Ed3D_FillParentBoneList(c);
  Ed3D_FillBoneTree(c);
  Ed3D_MotionRefreshLists(c->model, c->layout);
  // The object-motion panels (object list, tree, parent combo, motions, sounds) show the set.
  if (c->layout == SUB_3D_OBJMOTION) Ed3D_ObjMotionRefreshLists(c);
  if (c->layout == SUB_3D_OBJMOTION) Tree_BuildRowsObjects3D();
  else Tree_BuildRowsBones3D();
  Undo_FillListOf(c->slot);
}
