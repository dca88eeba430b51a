// The group panel's decisions (ed3d_group_dlg.h).
#include "edit3d/ed3d_group_dlg.h"

#include <ctype.h>
#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/views.h"
#include "app/widget.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/ed3d_poly_clip.h"
#include "edit3d/ed3d_poly_ops.h"
#include "edit3d/ed3d_tex.h"
#include "edit3d/undo.h"
#include "model/numfield.h"
#include "model/seam_errorbox.h"
#include "model/str.h"
#include "resources/edit3d_ids.h"

static const u32 kColourIds[4] = {IDC_GRP_RED, IDC_GRP_GREEN, IDC_GRP_BLUE, IDC_GRP_ALPHA};
static const u32 kSpecularIds[3] = {IDC_GRP_SPEC_RED, IDC_GRP_SPEC_GREEN, IDC_GRP_SPEC_BLUE};

static const char kCannotCopy[] = "グループを、コピーできませんでした。";
static const char kCannotDelete[] = "グループを消去できません。";
static const char kBadHeight[] = "↑高さは数値で入力して下さい。";
static const char kBadDivisions[] = "分割数は 0 から 32767 までの整数で入力して下さい。";
static const char kBadColour[] = "カラーの赤・緑・青・透明は、整数で入力して下さい。";
static const char kBadSpecular[] = "スペキュラーの赤・緑・青は、整数で入力して下さい。";

// [SECTION] helpers
static WindowHolder *Panel(void) { return &g_AppShell.panels[View_CurrentLayout()][PANEL_GROUP]; }

static Model3 *Current(void) {
  return Current_Model3();
}

// The current group when it is one of the model's, else -1.
static i32 CurrentGroup(const Model3 *m) {
  return m && g_Sel.g_CurGroupIndex < (u32)m->groupCount && g_Sel.g_CurGroupIndex < MODEL3_GROUPS ? (i32)g_Sel.g_CurGroupIndex : -1;
}

static void Record(Model3 *m, const char *label) {
  Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, label);
  Doc_MarkEdited(DOC_MODEL3);
  m->changed = 1;
  Undo_Push(Undo_Current());
}

static void RefreshPanels(void) {
  Ed3DPolyEditor.dlgRefresh = 1;
  Panel()->flags = 1;
  App_MarkAllRedraw(View_CurrentLayout());
}

// The current texture is the texture sub-mode's: its panel's list selects it; with place, the
// image view is placed for it (its lower right corner at the panel's).
static void ChooseTexture(i32 t, bool place) {
  Ed3DTexEditor &e = g_Ed3DTex;
  e.texture = t;
  if (place) {
    const Model3 *m = Current_Model3();
    bool known = m && t >= 0 && t < m->textureCount && t < MODEL3_TEXTURES;
    i32 w = known ? m->textures[t].width : 0, h = known ? m->textures[t].height : 0;
    e.imageX = e.panelW - (i32)((f32)w * e.scale);
    e.imageY = e.panelH - (i32)((f32)h * e.scale);
    e.lastTexture = t;   // the panel's next command keeps this placement
  } else if (t != e.lastTexture) {
    // Another texture chosen here shows from the image's corner, as a choice in the texture
    // panel's list does; an offset placed for the texture before could leave it out of view.
    e.imageX = e.imageY = 0;
    e.lastTexture = t;
  }
  e.refresh = 1;
  Ed3D_FillTextureList(Current_Model3());
}

// [SECTION] selection
void Ed3D_SelectGroupFaces(const Model3 *m, u32 g) {
  App_ClearSelectionFlags(Poly_VertFlagRoom(), Poly_FaceFlagRoom());
  if (!m || !g_Sel.g_PolySelFaces || !g_Sel.g_PolySelVerts) return;
  i32 n = Model3_PolygonCount(m);
  u32 faceRoom = Poly_FaceFlagRoom(), vertRoom = Poly_VertFlagRoom();
  for (i32 f = 0; f < n && (u32)f < faceRoom; f++) {
    const Polygon3 &p = m->polygons[f];
    if (p.group != g) continue;
    g_Sel.g_PolySelFaces[f] = 1;
    for (i32 k = 0; k < p.cornerCount && k < 4; k++)
      if (p.corners[k].vertex < vertRoom) g_Sel.g_PolySelVerts[p.corners[k].vertex] = 1;
  }
}

void Ed3D_GroupSelect(i32 line) {
  HookCtx c = Family_ShellContext();
  Model3 *m = c.model;
  if (!m || line < 0 || line >= m->groupCount || line >= MODEL3_GROUPS) return;
  c.sel->g_CurGroupIndex = (u32)line;
  u32 t = m->groups[line].texture;
  ChooseTexture(t < MODEL3_TEXTURES ? (i32)t : 0, true);
  App_AllocWorkArrays(c.sel);
  Ed3D_SelectGroupFaces(m, (u32)line);
  RefreshPanels();
}

// [SECTION] apply
void Ed3D_ApplyGroupFields(const Ed3DGroupFields *f) {
  HookCtx ctx = Family_ShellContext();
  Model3 *m = ctx.model;
  i32 g = CurrentGroup(m);
  if (g < 0) return;
  Group3 &gr = m->groups[g];
  i32 n = Model3_PolygonCount(m);
  for (i32 p = 0; ctx.sel->g_PolySelFaces && p < n && (u32)p < Poly_FaceFlagRoom(); p++)
    if (ctx.sel->g_PolySelFaces[p]) m->polygons[p].group = (u32)g;
  Str_Copy(gr.name, sizeof gr.name, f->name);
  // Entries run 0..count-1: any other line (or none) stands for no texture.
  gr.texture = f->texture >= 0 && f->texture < m->textureCount ? (u32)f->texture : 0;
  ChooseTexture((i32)gr.texture, false);
  m->dispTexture = (i16)(f->disp >= 0 && f->disp < m->textureCount ? f->disp : 0);
  // A field still showing what the panel put there stands for the exact value it shows rounded.
  void *panel = Panel()->window;
  f64 height = 0;
  if (Widget_ShownValue(panel, IDC_GRP_DISP_HEIGHT, f->height, &height) || Poly_ParseNumber(f->height, &height))
    m->dispScale = (f32)height;
  else
    Seam_ErrorBox(kBadHeight);
  if (m->dispTexture != 0) Ed3D_SetRenderMode7AndRefresh();
  else Model3_SetRenderMode(m, 0);
  Ed3D_FillGroupList(&ctx);
  Ed3D_FillTextureCombo(&ctx);
  Ed3D_FillTextureList(ctx.model);
  if (f->display >= 0 && f->display <= 5) gr.shading = (u32)f->display;
  // Colours beyond 0..255 are stored clamped; the panel then shows what was stored.
  i64 c[4];
  bool ok = true;
  for (int i = 0; i < 4; i++) ok = ok && NumField_Int(f->colour[i], 0, 255, &c[i]) != NUMFIELD_NOT_NUMBER;
  f32 *colour[4] = {&gr.r, &gr.g, &gr.b, &gr.a};
  for (int i = 0; ok && i < 4; i++) {
    f64 shown;
    *colour[i] = Widget_ShownValue(panel, kColourIds[i], f->colour[i], &shown) ? (f32)shown : (f32)c[i];
  }
  if (!ok) Seam_ErrorBox(kBadColour);
  ok = true;
  for (int i = 0; i < 3; i++) ok = ok && NumField_Int(f->specular[i], 0, 255, &c[i]) != NUMFIELD_NOT_NUMBER;
  if (ok) gr.specR = (u32)c[0], gr.specG = (u32)c[1], gr.specB = (u32)c[2];
  else Seam_ErrorBox(kBadSpecular);
  i64 div = 0;
  if (NumField_Int(f->divisions, 0, INT16_MAX, &div) == NUMFIELD_OK) m->refineLevel = (i16)div;
  else Seam_ErrorBox(kBadDivisions);
  Panel()->flags = 1;
  Record(m, "グループ 決定ボタン");
  App_MarkAllRedraw(ctx.layout);
  g_Shell.g_StripDirty[0] = 1;
}

// [SECTION] the panel's controls
static i32 ComboLine(void *panel, u32 id) { return Widget_ListSelection(Widget_Control(panel, id)); }
static void SetComboLine(void *panel, u32 id, i32 line) { Widget_ListSelect(Widget_Control(panel, id), line); }

// False when a field's text was refused (the user has been told).
static bool ReadFields(void *panel, Ed3DGroupFields *f) {
  if (!Widget_ReadText(panel, IDC_GRP_NAME, f->name, sizeof f->name)) return false;
  f->texture = ComboLine(panel, IDC_GRP_TEXTURE);
  f->disp = ComboLine(panel, IDC_GRP_DISP);
  f->display = ComboLine(panel, IDC_GRP_DISPLAY);
  if (!Widget_ReadText(panel, IDC_GRP_DISP_HEIGHT, f->height, sizeof f->height)) return false;
  if (!Widget_ReadText(panel, IDC_GRP_DIVISIONS, f->divisions, sizeof f->divisions)) return false;
  for (int i = 0; i < 4; i++)
    if (!Widget_ReadText(panel, kColourIds[i], f->colour[i], GROUP_FIELD_TEXT)) return false;
  for (int i = 0; i < 3; i++)
    if (!Widget_ReadText(panel, kSpecularIds[i], f->specular[i], GROUP_FIELD_TEXT)) return false;
  f->mirrorFlag = Widget_IsChecked(panel, IDC_GRP_MIRROR_FLAG);
  f->specularFlag = Widget_IsChecked(panel, IDC_GRP_SPECULAR);
  return true;
}

static void ShowColourFields(void *panel, const Ed3DGroupFields *f) {
  for (int i = 0; i < 4; i++) Widget_ShowValue(panel, kColourIds[i], f->colour[i], f->colourValue[i]);
}

static void ShowFields(void *panel, const Ed3DGroupFields *f) {
  SetComboLine(panel, IDC_GRP_TEXTURE, f->texture);
  SetComboLine(panel, IDC_GRP_DISPLAY, f->display);
  SetComboLine(panel, IDC_GRP_DISP, f->disp);
  Widget_ShowValue(panel, IDC_GRP_DISP_HEIGHT, f->height, f->heightValue);
  Widget_SetCheck(panel, IDC_GRP_SPECULAR, f->specularFlag != 0);
  Widget_SetCheck(panel, IDC_GRP_MIRROR_FLAG, f->mirrorFlag != 0);
  Widget_SetText(panel, IDC_GRP_NAME, f->name);
  ShowColourFields(panel, f);
  for (int i = 0; i < 3; i++) Widget_SetText(panel, kSpecularIds[i], f->specular[i]);
  Widget_SetText(panel, IDC_GRP_DIVISIONS, f->divisions);
}

// The group panel's state, main thread only: the fields read by Ed3D_ApplyGroup, the fields the
// panel showed last (Ed3D_RefreshGroupDialog) and those of the model now (Ed3D_GroupFieldsFollow),
// and ChooseColour's fields and the chooser's custom colours, kept for the run.
static struct {
  Ed3DGroupFields read, shown, now, chosen;
  u32 custom[WIDGET_COLOURS];
} s_Group;

void Ed3D_ApplyGroup(void) {
  WindowHolder *rec = Panel();
  if (!Current_Model3() || !rec->window || !g_Widget.getText) return;
  if (ReadFields(rec->window, &s_Group.read)) Ed3D_ApplyGroupFields(&s_Group.read);
}

// [SECTION] fields
void Ed3D_GroupFieldsOf(const Model3 *m, u32 g, Ed3DGroupFields *f) {
  memset(f, 0, sizeof *f);
  f->texture = f->disp = f->display = -1;
  if (!m) return;
  f->disp = (i32)(u16)m->dispTexture;
  Str_Format(f->height, sizeof f->height, "%1.3f", (double)m->dispScale);
  f->heightValue = m->dispScale;
  Str_Format(f->divisions, sizeof f->divisions, "%d", (int)m->refineLevel);
  if (g >= (u32)m->groupCount || g >= MODEL3_GROUPS) return;
  const Group3 &gr = m->groups[g];
  f->texture = (i32)gr.texture;
  f->display = (i32)gr.shading;
  Str_Copy(f->name, sizeof f->name, gr.name);
  const f32 colour[4] = {gr.r, gr.g, gr.b, gr.a};
  for (int i = 0; i < 4; i++) Str_Format(f->colour[i], GROUP_FIELD_TEXT, "%d", (int)colour[i]);
  memcpy(f->colourValue, colour, sizeof f->colourValue);
  const u32 spec[3] = {gr.specR, gr.specG, gr.specB};
  for (int i = 0; i < 3; i++) Str_Format(f->specular[i], GROUP_FIELD_TEXT, "%d", (int)spec[i]);
  f->mirrorFlag = gr.mirror, f->specularFlag = gr.specular;
}

void Ed3D_FillPolygonList(const HookCtx *c) {
  Ed3D_FillGroupList(c);
  Ed3D_FillGroupDisplayCombo(c);
  g_AppShell.panels[c->layout][PANEL_GROUP].flags = 1;
}

void Ed3D_RefreshGroupDialog(void) {
  WindowHolder *rec = Panel();
  if (!rec->window || !rec->flags) return;
  if (!Current_Model3()) return;
  rec->flags = 0;
  g_Shell.g_StripDirty[0] = 1;
  Ed3D_GroupFieldsOf(Current_Model3(), g_Sel.g_CurGroupIndex, &s_Group.shown);
  ShowFields(rec->window, &s_Group.shown);
}

void Ed3D_GroupFieldsFollow(const HookCtx *c) {
  Ed3D_GroupFieldsOf(c->model, c->sel->g_CurGroupIndex, &s_Group.now);
  if (memcmp(&s_Group.now, &s_Group.shown, sizeof s_Group.now) != 0) g_AppShell.panels[c->layout][PANEL_GROUP].flags = 1;
}

// [SECTION] commands
static void ChooseColour(Model3 *m, i32 g) {
  f32 rgb[3];
  if (Widget_ChooseColour(s_Group.custom, WIDGET_COLOUR_FULL, rgb)) {
    Group3 &gr = m->groups[g];
    gr.r = (u8)rgb[0], gr.g = (u8)rgb[1], gr.b = (u8)rgb[2];
    Ed3D_GroupFieldsOf(m, (u32)g, &s_Group.chosen);
    if (Panel()->window) ShowColourFields(Panel()->window, &s_Group.chosen);
    Record(m, "カラー ( グループ )");
  }
  g_Shell.g_StripDirty[0] = 1;
}

// After a change of the groups or their polygons: the list shows the groups and counts again.
static void AfterGroupEdit(void) {
  HookCtx c = Family_ShellContext();
  Ed3D_FillGroupList(&c);
  Ed3D_PolyAfterEdit(View_CurrentLayout());
}

static void Toggle(Model3 *m, u32 *flag, const char *on, const char *off) {
  *flag = *flag ? 0 : 1;
  Record(m, *flag ? on : off);
  RefreshPanels();
}

static void Mirror(Model3 *m, i32 g) {
  if (!Poly_MirrorGroup(m, &g_Sel, (u32)g)) return;
  g_Sel.g_PolyTool = POLY_TOOL_MOVE;
  g_Sel.g_PolyFaceNo = -1;
  Record(m, "鏡面 ( グループ )");
  AfterGroupEdit();
}

// Copy (with the polygons: the group's selected faces, whatever the selection mode, through
// the clipboard). The new group comes last and becomes current.
static void Copy(Model3 *m, i32 g, bool polygons) {
  if (m->groupCount >= MODEL3_GROUPS) {
    Seam_ErrorBox(kCannotCopy);
    return;
  }
  i32 first = -1;
  if (polygons) {
    Model3 *clip = Poly_Clipboard();
    if (!Poly_CopyFaces(m, &g_Sel, clip, g)) {
      Seam_ErrorBox(kCannotCopy);
      return;
    }
    first = Poly_PasteFaces(m, clip);
    if (first < 0) return;   // no room: said so, the model as it was
  }
  i32 to = m->groupCount;
  Ed3D_ModelCopyGroup(m, g, to);
  m->groupCount = to + 1;
  if (first >= 0)
    for (i32 p = first; p < Model3_PolygonCount(m); p++) m->polygons[p].group = (u32)to;
  g_Sel.g_CurGroupIndex = (u32)to;
  Record(m, "グループ コピー");
  AfterGroupEdit();
}

// Delete (with the polygons: the group's selected faces, whatever the selection mode).
static void Delete(Model3 *m, i32 g, bool polygons) {
  if (m->groupCount <= 1) {
    Seam_ErrorBox(kCannotDelete);
    return;
  }
  if (polygons && g_Sel.g_PolySelFaces) {
    i32 n = Model3_PolygonCount(m);
    u32 room = Poly_FaceFlagRoom();
    for (i32 f = 0; f < n && (u32)f < room; f++)
      if (m->polygons[f].group != (u32)g) g_Sel.g_PolySelFaces[f] = 0;
    u32 mode = g_Sel.g_PolySelectMode;
    g_Sel.g_PolySelectMode = 1;
    Ed3D_PolyDelete(m, &g_Sel);
    g_Sel.g_PolySelectMode = mode;
  }
  Ed3D_ModelDeleteGroup(m, g);
  if (g_Sel.g_CurGroupIndex >= (u32)m->groupCount) g_Sel.g_CurGroupIndex = (u32)m->groupCount - 1;
  Record(m, "グループ 消去");
  AfterGroupEdit();
}

static void Move(Model3 *m, i32 g, i32 step) {
  i32 to = g + step;
  if (to < 0 || to >= m->groupCount) return;
  Ed3D_SwapGroups(g, to);
  Record(m, step < 0 ? "グループ ↑" : "グループ ↓");
  AfterGroupEdit();
}

bool Ed3D_GroupCommand(u32 id) {
  static const u32 kIds[] = {IDC_GRP_APPLY, IDC_GRP_COLOR, IDC_GRP_MIRROR_FLAG, IDC_GRP_SPECULAR, IDC_GRP_MIRROR,
                             IDC_GRP_COPY_POLYS, IDC_GRP_COPY_RECORD, IDC_GRP_DELETE_POLYS, IDC_GRP_DELETE_RECORD,
                             IDC_GRP_UP, IDC_GRP_DOWN, IDC_GRP_CLOSE};
  bool ours = false;
  for (u32 k : kIds) ours = ours || k == id;
  if (!ours) return false;
  if (id == IDC_GRP_APPLY) {
    Ed3D_ApplyGroup();
    return true;
  }
  Model3 *m = Current();
  i32 g = CurrentGroup(m);
  if (g < 0) return true;
  switch (id) {
    case IDC_GRP_COLOR: ChooseColour(m, g); break;
    case IDC_GRP_MIRROR_FLAG: Toggle(m, &m->groups[g].mirror, "鏡面ON ( グループ )", "鏡面OFF ( グループ )"); break;
    case IDC_GRP_SPECULAR:
      Toggle(m, &m->groups[g].specular, "スペキュラーON ( グループ )", "スペキュラーOFF ( グループ )");
      break;
    case IDC_GRP_MIRROR: Mirror(m, g); break;
    case IDC_GRP_COPY_POLYS: Copy(m, g, true); break;
    case IDC_GRP_COPY_RECORD: Copy(m, g, false); break;
    case IDC_GRP_DELETE_POLYS: Delete(m, g, true); break;
    case IDC_GRP_DELETE_RECORD: Delete(m, g, false); break;
    case IDC_GRP_UP: Move(m, g, -1); break;
    case IDC_GRP_DOWN: Move(m, g, 1); break;
    default: break;   // 閉じる: the panel stays
  }
  return true;
}
