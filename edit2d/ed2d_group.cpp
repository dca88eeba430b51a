// The 2D group dialog "2D_GROUP_DLG" (ed2d_tex.h): the group list and the texture and shade
// combos, the change of row, apply, add, colour and mirror. Owns g_Ed2DGroup.
#include <math.h>
#include <string.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/settings.h"
#include "app/shell_options.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/views.h"
#include "app/widget.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_tex.h"
#include "model/str.h"

Ed2DGroupDlg g_Ed2DGroup = {-1, 0};

// The model of sel's 2D slot, whether that slot is shown with a model, and sel's group of m.
static Bone2Model *SlotModel(const ShellSelection *sel) {
  return sel->g_Cur2DSlot < BONE2_SLOTS ? g_Bone2Slots[sel->g_Cur2DSlot] : nullptr;
}
static bool Shown(const ShellSelection *sel) {
  return sel->g_Cur2DSlot < BONE2_SLOTS && g_Bone2SlotShown[sel->g_Cur2DSlot] && SlotModel(sel);
}
static i32 CurGroup(const Bone2Model *m, const ShellSelection *sel) { return Ed2D_GroupOf(m, sel->g_CurGroupIndex); }
// The dialog's handlers work on the shell's selection.
static Bone2Model *CurrentSlotModel(void) { return SlotModel(&g_Sel); }
static bool Shown(void) { return Shown(&g_Sel); }
static i32 CurGroup(const Bone2Model *m) { return CurGroup(m, &g_Sel); }

static void Fill(void *control, bool combo, const Ed2DLines *lines) {
  if (control) Ed2D_Fill(control, combo, lines);
}

static void SetNumber(u32 id, f32 v) {
  char t[32];
  Str_Format(t, sizeof t, "%d", (int)lroundf(v));
  Widget_ShowValue(g_Options.g_Group2DDlg.window, id, t, v);
}

static void ShowColour(const Group2 &g) {
  const f32 c[4] = {g.r, g.g, g.b, g.a};
  for (u32 i = 0; i < 4; i++) SetNumber(IDC_G2D_RED + i, c[i]);
}

static void Edited(const char *label) {
  if (label) Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, label);
  Doc_MarkEdited(DOC_BONE2);
}

// [SECTION] lists
static Ed2DLines s_Lines;
static Ed2DLines s_ListShown;   // the group list's lines as last put

static bool SameLines(const Ed2DLines &a, const Ed2DLines &b) {
  if (a.count != b.count || a.select != b.select) return false;
  for (i32 i = 0; i < a.count && i < ED2D_MAX_LINES; i++)
    if (strcmp(a.text[i], b.text[i]) != 0) return false;
  return true;
}

void Ed2D_FillGroupList(const ShellSelection *sel) {
  Bone2Model *m = SlotModel(sel);
  if (g_Ed2D.groupList && m) {
    Ed2D_GroupListLines(m, CurGroup(m, sel), &s_ListShown);
    Fill(g_Ed2D.groupList, false, &s_ListShown);
    // The list's row is the current group now: only a row the user picks is a change of row.
    g_Ed2DGroup.lastGroup = CurGroup(m, sel);
  }
  Ed2D_FillGroupTextureList(sel);
}

void Ed2D_GroupListFollow(const ShellSelection *sel) {
  Bone2Model *m = SlotModel(sel);
  if (!g_Ed2D.groupList || !m) return;
  Ed2D_GroupListLines(m, CurGroup(m, sel), &s_Lines);
  g_Ed2DGroup.lastGroup = CurGroup(m, sel);
  if (SameLines(s_Lines, s_ListShown)) return;
  s_ListShown = s_Lines;
  Fill(g_Ed2D.groupList, false, &s_ListShown);
}

void Ed2D_FillGroupTextureList(const ShellSelection *sel) {
  Bone2Model *m = SlotModel(sel);
  if (!Shown(sel) || !g_Ed2D.groupTexture) return;
  Ed2D_TextureLines(m, m->groups[CurGroup(m, sel)].texture, &s_Lines);
  Fill(g_Ed2D.groupTexture, true, &s_Lines);
}

void Ed2D_FillShadeList(const ShellSelection *sel) {
  Bone2Model *m = SlotModel(sel);
  if (!Shown(sel) || !g_Ed2D.groupDisplay) return;
  Ed2D_ShadeLines(m->groups[CurGroup(m, sel)].shadeMode, &s_Lines);
  Fill(g_Ed2D.groupDisplay, true, &s_Lines);
}

void Ed2D_RefreshGroupList(void) {
  g_Ed2DPoly.panelRefresh = 1;
  Ed2D_FillGroupList(&g_Sel);
  g_Ed2DGroup.refresh = 1;
  App_MarkAllRedraw(View_CurrentLayout());
}

// [SECTION] change of row
void Ed2D_SelectGroupPolygons(const Bone2Model *m, ShellSelection *sel, i32 g) {
  u32 nf = App_WorkFaceCount(), nv = App_WorkVertCount();
  for (u32 i = 0; sel->g_PolySelFaces && i < nf; i++) sel->g_PolySelFaces[i] = 0;
  for (u32 i = 0; sel->g_PolySelVerts && i < nv; i++) sel->g_PolySelVerts[i] = 0;
  if (!m || !m->polygons || !sel->g_PolySelFaces || !sel->g_PolySelVerts) return;
  i32 n = m->polygonCount < m->polygonCapacity ? m->polygonCount : m->polygonCapacity;
  for (i32 f = 0; f < n && (u32)f < nf; f++) {
    const Polygon2 &p = m->polygons[f];
    if (p.group != (u32)g) continue;
    sel->g_PolySelFaces[f] = 1;
    for (i32 k = 0; k < p.cornerCount && k < 4; k++)
      if (p.corners[k].vertex < nv && p.corners[k].vertex < m->vertexCount) sel->g_PolySelVerts[p.corners[k].vertex] = 1;
  }
}

void Ed2D_SelectGroupPolygons(const Bone2Model *m, i32 g) { Ed2D_SelectGroupPolygons(m, &g_Sel, g); }

void Ed2D_GroupRowChanged(i32 g) {
  Bone2Model *m = CurrentSlotModel();
  Ed2DTexEditor &t = g_Ed2DTex;
  g_Ed2DGroup.lastGroup = g;
  i32 tex = m ? m->groups[g].texture : 0;
  t.texture = tex >= 0 && tex < BONE2_MAX_TEXTURES ? tex : 0;
  Ed2D_SelectGroupPolygons(m, g);
  if (m) Ed2D_TexCentrePreview((i32)m->textures[t.texture].width, (i32)m->textures[t.texture].height);
  g_Ed2DPoly.panelRefresh = 1;
  g_Ed2DGroup.refresh = 1;
  t.refresh = 1;
  Ed2D_FillTextureList(&g_Sel);
  App_MarkAllRedraw(View_CurrentLayout());
}

// [SECTION] commands
static void Apply(Bone2Model *m, i32 g) {
  void *dlg = g_Options.g_Group2DDlg.window;
  char name[256] = {}, colour[4][32] = {};
  if (!Widget_ReadText(dlg, IDC_G2D_NAME, name, sizeof name)) return;
  for (u32 i = 0; i < 4; i++)
    if (!Widget_ReadText(dlg, IDC_G2D_RED + i, colour[i], sizeof colour[i])) return;
  Ed2DGroupFields f = {name, -1, -1, {colour[0], colour[1], colour[2], colour[3]}};
  if (g_Ed2D.groupTexture) f.textureRow = Widget_ListSelection(g_Ed2D.groupTexture);
  if (g_Ed2D.groupDisplay) f.shadeRow = Widget_ListSelection(g_Ed2D.groupDisplay);
  Group2 &grp = m->groups[g];
  bool colourApplied = Ed2D_ApplyGroup(m, g, g_Sel.g_PolySelFaces, g_Sel.g_PolySelFaces ? App_WorkFaceCount() : 0, &f);
  // A colour field still showing a rounded colour stands for the exact colour shown; the
  // fields then show what was stored (a typed colour beyond 0..255 is stored clamped).
  f32 *now[4] = {&grp.r, &grp.g, &grp.b, &grp.a};
  for (u32 i = 0; colourApplied && i < 4; i++) {
    f64 shown;
    if (Widget_ShownValue(dlg, IDC_G2D_RED + i, colour[i], &shown)) *now[i] = (f32)shown;
  }
  g_Ed2DGroup.refresh = 1;
  g_Ed2DTex.texture = m->groups[g].texture;
  Ed2D_FillGroupList(&g_Sel);
  Ed2D_FillTextureList(&g_Sel);
  Edited(nullptr);
  if (!colourApplied) Widget_MessageOk("赤・緑・青・αのいずれかが数値ではないため、カラーは変更しませんでした。");
  App_MarkAllRedraw(View_CurrentLayout());
  g_Shell.g_StripDirty[STRIP_FLAG_SWATCHES] = 1;
}

static void ChooseColour(Bone2Model *m, i32 g) {
  f32 rgb[3] = {0, 0, 0};
  // Cancel leaves the group as it was.
  if (!Ed2D_ChooseColour(rgb)) return;
  Group2 &grp = m->groups[g];
  grp.r = rgb[0];
  grp.g = rgb[1];
  grp.b = rgb[2];
  ShowColour(grp);
  Edited("カラー ( グループ )");
  g_Shell.g_StripDirty[STRIP_FLAG_SWATCHES] = 1;
}

static void Mirror(Bone2Model *m, i32 g) {
  u32 nf = g_Sel.g_PolySelFaces ? App_WorkFaceCount() : 0, nv = g_Sel.g_PolySelVerts ? App_WorkVertCount() : 0;
  if (!Ed2D_MirrorGroup(m, g, g_Sel.g_PolySelFaces, nf, g_Sel.g_PolySelVerts, nv)) {
    Widget_MessageOk("これ以上 追加できません。");
    return;
  }
  g_Sel.g_PolyTool = ED2D_TOOL_MOVE;
  g_Sel.g_PolyFaceNo = -1;
  g_Ed2DPoly.panelRefresh = 1;
  Edited("鏡面 ( グループ )");
  App_MarkAllRedraw(View_CurrentLayout());
}

static void Close(void) {
  void *list = g_Ed2D.groupList, *dlg = g_Options.g_Group2DDlg.window;
  g_Ed2D.groupList = g_Options.g_Group2DDlg.window = nullptr;
  g_Ed2D.groupTexture = g_Ed2D.groupDisplay = nullptr;
  Strip_Unregister(STRIP_GROUP2_SWATCHES);
  if (list) Widget_Destroy(list);
  if (dlg) Widget_Destroy(dlg);
}

void Ed2D_GroupDlgCommand(u32 id, i32 row) {
  Bone2Model *m = CurrentSlotModel();
  if (!m) return;
  // No current row (LB_ERR, or a combo's own change) keeps the group and is no change of row:
  // a row change shows the group's stored fields again and would undo the combo's choice.
  if (row >= 0 && row < m->groupCount && row < BONE2_MAX_GROUPS) g_Sel.g_CurGroupIndex = (u32)row;
  i32 g = CurGroup(m);
  if (row >= 0 && g != g_Ed2DGroup.lastGroup) Ed2D_GroupRowChanged(g);
  switch (id) {
    case IDC_G2D_APPLY: Apply(m, g); break;
    case IDC_G2D_CLOSE: Close(); break;
    case IDC_G2D_MIRROR: Mirror(m, g); break;
    case IDC_G2D_COLOR: ChooseColour(m, g); break;
    case IDC_G2D_ADD:
      g_Sel.g_CurGroupIndex = (u32)Ed2D_AddGroup(m);
      Edited("グループ追加");
      Ed2D_RefreshGroupList();
      break;
    default: break;
  }
}

void Ed2D_GroupDlgTick(void) {
  if (g_Ed2DGroup.refresh != 1) return;
  g_Ed2DGroup.refresh = 0;
  Bone2Model *m = CurrentSlotModel();
  if (!Shown()) return;
  g_Shell.g_StripDirty[STRIP_FLAG_SWATCHES] = 1;
  const Group2 &grp = m->groups[CurGroup(m)];
  if (g_Ed2D.groupTexture) Widget_ListSelect(g_Ed2D.groupTexture, grp.texture);
  if (g_Ed2D.groupDisplay) Widget_ListSelect(g_Ed2D.groupDisplay, grp.shadeMode);
  Widget_SetText(g_Options.g_Group2DDlg.window, IDC_G2D_NAME, grp.name);
  ShowColour(grp);
}
