// The texture sub-mode of the 3D editor (ed3d_tex.h): enter and leave, the view hooks, the
// texture panel's commands, the texture table's add, replace and delete, the image panel's
// drags and the preview's source. Owns g_Ed3DTex.
#include "edit3d/ed3d_tex.h"

#include <stdlib.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/poly_select.h"
#include "app/shell_mouse.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/views.h"
#include "app/vkeys.h"
#include "app/widget.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_poly.h"
#include "edit3d/undo.h"
#include "edit3d/uv.h"
#include "lib/draw/draw.h"
#include "lib/draw/texture.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model/seam_errorbox.h"
#include "model/str.h"
#include "model/uvtool.h"

Ed3DTexEditor g_Ed3DTex = {TEX_TOOL_SELECT, TEX_TOOL_MOVE, 0, 0, 0, 0, -1, 0, 0, 0, 1.0f, 8, 0};

static Model3 *CurrentModel(void) {
  return Current_Model3();
}

// Group `group` of model m, or null for a number outside its groups.
static Group3 *GroupOf(Model3 *m, u32 group) {
  return m && group < (u32)m->groupCount && group < MODEL3_GROUPS ? &m->groups[group] : nullptr;
}

// The current group of the shell's selection (the panel's commands).
static Group3 *CurGroup(Model3 *m) { return GroupOf(m, g_Sel.g_CurGroupIndex); }

static bool Planar(const Group3 *g) { return g && g->mapping <= UV_MAP_SIDE; }

static void MarkPanels(void) {
  g_Ed3DTex.refresh = 1;
  g_Shell.g_StripDirty[STRIP_FLAG_TEXTURES] = 1;
}

static void AfterEdit(Model3 *m, u32 layout) {
  Doc_MarkEdited(DOC_MODEL3);
  if (m) m->changed = 1;
  MarkPanels();
  App_MarkAllRedraw(layout);
}

// One undo step of layer `slot` (a hook's context's); Record's of the current layer.
static void RecordSlot(u32 slot, const char *label) {
  Str_Format(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "%s", label);
  Doc_MarkEdited(DOC_MODEL3);
  Undo_PushSlot(slot);
}
static void Record(const char *label) { RecordSlot(g_Sel.g_CurSlot, label); }

// An edit of a panel button: the after-edit refresh and its undo step (of layer `slot`).
static void RecordEditSlot(u32 slot, u32 layout, Model3 *m, const char *label) {
  AfterEdit(m, layout);
  if (m) RecordSlot(slot, label);
}
static void RecordEdit(Model3 *m, const char *label) { RecordEditSlot(g_Sel.g_CurSlot, View_CurrentLayout(), m, label); }

static void ActivateMain(void) { Widget_ActivateMain(); }

// One selection flag per texture coordinate the model can hold, kept across frames.
static bool UvFlagsFor(const Model3 *m) {
  Ed3DTexEditor &e = g_Ed3DTex;
  return Poly_GrowFlags(&e.uvSel, &e.uvSelRoom, m && m->capUVs > 0 ? (u32)m->capUVs : 0);
}

static i32 GroupTexture(const Model3 *m, u32 group) {
  const Group3 *g = GroupOf((Model3 *)m, group);
  return g && g->texture < MODEL3_TEXTURES ? (i32)g->texture : 0;
}

// [SECTION] enter and leave
static void SelectCurrentGroup(Model3 *m, ShellSelection *sel) {
  u32 nf = Poly_SelFaceRoom(sel), nv = Poly_SelVertRoom(sel);
  for (u32 i = 0; i < nf; i++) sel->g_PolySelFaces[i] = 0;
  for (u32 i = 0; i < nv; i++) sel->g_PolySelVerts[i] = 0;
  if (!m) return;
  for (i32 f = 0; f < m->polygonCount && f < m->capPolygons && (u32)f < nf; f++) {
    const Polygon3 &p = m->polygons[f];
    if (p.group != sel->g_CurGroupIndex) continue;
    sel->g_PolySelFaces[f] = 1;
    for (i32 k = 0; k < p.cornerCount && k < 4; k++)
      if (p.corners[k].vertex < nv && (i32)p.corners[k].vertex < m->positionCount) sel->g_PolySelVerts[p.corners[k].vertex] = 1;
  }
}

static void LoadMenu(const char *name) {
  App_LoadFamilyMenu(name);
}

static void *CreatePanel(u32 which, i32 x, i32 y, i32 w, i32 h) {
  return Widget_CreatePanel(which == TEX_PANEL_IMAGE ? "3D_TEX_IMAGE_DLG" : "3D_TEX_DLG", x, y, w, h);
}

static void OpenPanels(void) {
  Ed3DTexEditor &e = g_Ed3DTex;
  // On a low desktop the texture panel stands at the bottom left and the image panel, 168
  // pixels narrower and 128 lower, at the top right: the group dialog goes between them, the
  // undo dialog below the image panel and the views beside them (ed3d_shell.cpp).
  enum { PANEL_W = 410, PANEL_H = 358, IMAGE_W = 512, IMAGE_H = 546, LOW_IMAGE_W = 344, LOW_IMAGE_H = 418 };
  bool low = View_TextureLayoutLow();
  if (!e.panel)
    e.panel = low ? CreatePanel(TEX_PANEL_TEXTURES, 0, g_Lib.desktopHeight - PANEL_H, PANEL_W, PANEL_H)
                  : CreatePanel(TEX_PANEL_TEXTURES, g_Lib.screenWidth - 922, g_Lib.screenHeight - 388, PANEL_W, PANEL_H);
  if (e.panel && !e.list)
    e.list = Widget_CreateList(e.panel, IDC_TEX_LIST, 0, 35, 200, 290, WIDGET_LIST_NOTIFY | WIDGET_LIST_EXTENDED);
  if (!e.imagePanel)
    e.imagePanel = low ? CreatePanel(TEX_PANEL_IMAGE, g_Lib.desktopWidth - LOW_IMAGE_W, 40, LOW_IMAGE_W, LOW_IMAGE_H)
                       : CreatePanel(TEX_PANEL_IMAGE, g_Lib.screenWidth - IMAGE_W, g_Lib.screenHeight - 576, IMAGE_W, IMAGE_H);
}

void Ed3D_TexEnter(const HookCtx *c) {
  g_Lib.runState = 4;
  c->sel->g_CurSlot = 0;
  App_AllocWorkArrays(c->sel);
  // The layer changed to 0 above: the context's model may be another layer's.
  Model3 *m = Model3_Get((i32)c->sel->g_CurSlot);
  LoadMenu("MENU_3D_BONE");
  g_Ed3DTex.texture = GroupTexture(m, c->sel->g_CurGroupIndex);
  SelectCurrentGroup(m, c->sel);
  UvFlagsFor(m);
  OpenPanels();
  g_Ed3DTex.texture = GroupTexture(m, c->sel->g_CurGroupIndex);
  Ed3D_FillTextureList(m);
  MarkPanels();
}

void Ed3D_TexLeave(const HookCtx *c) {
  Ed3DTexEditor &e = g_Ed3DTex;
  void **const windows[] = {&e.imagePanel, &e.list, &e.panel};
  TexPanel_Leave(STRIP_TEX3D, windows, 3, &e.mouse);
}

// [SECTION] the preview's source: the current group's coordinates in texels
// The preview's scratch, main thread only, rebuilt by the listings below for each drawing: the
// corners listed for the lines, the polygon of each listed corner and its corner number; the
// points listed; and the texts of the texture table (Ed3D_FillTextureList).
static struct {
  i32 lineCorners;
  u32 *linePolys;
  u8 *lineCornerNo;
  i32 lineRoom;
  TexPanelPoints points;
  char text[MODEL3_TEXTURES][ED3D_LINE];
  u32 previewSlot, previewGroup;   // the layer and group the last update showed
} s_Tex;

// The model of the layer the last update showed, as it is when the strip draws.
static Model3 *PreviewModel(void) { return Model3_Get((i32)s_Tex.previewSlot); }

static void TexelSize(const Model3 *m, f32 *w, f32 *h) {
  i32 t = g_Ed3DTex.texture;
  *w = *h = 0;
  if (!m || t < 0 || t >= MODEL3_TEXTURES) return;
  *w = (f32)m->textures[t].width;
  *h = (f32)m->textures[t].height;
}

static i32 PreviewLineCount(void) {
  const Model3 *m = PreviewModel();
  s_Tex.lineCorners = 0;
  if (!m) return 0;
  i32 n = m->polygonCount < m->capPolygons ? m->polygonCount : m->capPolygons;
  i32 need = 0;
  for (i32 f = 0; f < n; f++)
    if (m->polygons[f].group == s_Tex.previewGroup) need += m->polygons[f].cornerCount > 4 ? 4 : m->polygons[f].cornerCount;
  if (need > s_Tex.lineRoom) {
    u32 *p = (u32 *)realloc(s_Tex.linePolys, (size_t)need * sizeof(u32));
    if (p) s_Tex.linePolys = p;
    u8 *c = (u8 *)realloc(s_Tex.lineCornerNo, (size_t)need);
    if (c) s_Tex.lineCornerNo = c;
    if (!p || !c) return 0;
    s_Tex.lineRoom = need;
  }
  for (i32 f = 0; f < n; f++) {
    const Polygon3 &p = m->polygons[f];
    if (p.group != s_Tex.previewGroup) continue;
    for (i32 k = 0; k < p.cornerCount && k < 4; k++) {
      s_Tex.linePolys[s_Tex.lineCorners] = (u32)f;
      s_Tex.lineCornerNo[s_Tex.lineCorners++] = (u8)k;
    }
  }
  return s_Tex.lineCorners;
}

static bool UvAt(const Model3 *m, u32 e, f32 out[2]) {
  if (e >= (u32)m->uvCount || e >= (u32)m->capUVs) return false;
  f32 w, h;
  TexelSize(m, &w, &h);
  out[0] = m->uvs[e].u * w;
  out[1] = m->uvs[e].v * h;
  return true;
}

// The edge from corner k of its polygon to the next corner.
static void PreviewLine(i32 i, f32 out[4]) {
  const Model3 *m = PreviewModel();
  out[0] = out[1] = out[2] = out[3] = 0;
  if (!m || i < 0 || i >= s_Tex.lineCorners || s_Tex.linePolys[i] >= (u32)m->polygonCount) return;
  const Polygon3 &p = m->polygons[s_Tex.linePolys[i]];
  i32 k = s_Tex.lineCornerNo[i], c = p.cornerCount > 4 ? 4 : p.cornerCount;
  if (c <= 0) return;
  if (!UvAt(m, p.corners[k % c].uv, out) || !UvAt(m, p.corners[(k + 1) % c].uv, out + 2)) out[0] = out[1] = out[2] = out[3] = 0;
}


static i32 PreviewPointCount(void) {
  const Model3 *m = PreviewModel();
  u32 n = m ? (u32)(m->uvCount < m->capUVs ? m->uvCount : m->capUVs) : 0;
  return TexPanel_ListPoints(&s_Tex.points, g_Ed3DTex.uvSel, g_Ed3DTex.uvSelRoom, n);
}

static void PreviewPoint(i32 i, f32 out[2]) {
  const Model3 *m = PreviewModel();
  u32 entry;
  out[0] = out[1] = 0;
  if (m && TexPanel_Point(&s_Tex.points, i, &entry)) UvAt(m, entry, out);
}

// The strip draws the preview later through the callbacks, which read the model of layer
// `slot` as it is then, and group `group`.
static void FillPreview(const Model3 *m, u32 slot, u32 group) {
  Ed3DTexEditor &e = g_Ed3DTex;
  s_Tex.previewSlot = slot;
  s_Tex.previewGroup = group;
  i32 t = e.texture;
  bool valid = m && t >= 0 && t < MODEL3_TEXTURES;
  const Group3 *g = GroupOf((Model3 *)m, group);
  TexPanelShown shown = {valid ? t : -1, valid && m->textures[t].used, g && (i32)g->texture == t, e.scale, e.imageX,
                         e.imageY, PreviewLineCount, PreviewLine, PreviewPointCount, PreviewPoint};
  TexPanel_ShowPreview(&g_Strip.g_StripTex3D, &shown, &e.mouse);
}

void Ed3D_TexUpdate(const HookCtx *c) {
  Model3 *m = c->model;
  if (!m) return;
  m->displayMode = 2;
  Lib_SetSceneDraw(1);
  UvFlagsFor(m);
  FillPreview(m, c->slot, c->sel->g_CurGroupIndex);
}

// [SECTION] view hooks
static bool LeftOrRightHeld(void) { return Shell_ButtonHeld(BUTTON_LEFT) || Shell_ButtonHeld(BUTTON_RIGHT); }

void Ed3D_TexKeyUp(const HookCtx *c) {
  u32 key = c->key;
  if (LeftOrRightHeld()) return;
  f32 step = 3 * g_Shell.g_PerspStep;
  switch (key) {
    case VKEY_LEFT: g_Shell.g_PerspOffset[1] += step; break;
    case VKEY_RIGHT: g_Shell.g_PerspOffset[1] -= step; break;
    case VKEY_UP: g_Shell.g_PerspOffset[0] -= step; break;
    case VKEY_DOWN: g_Shell.g_PerspOffset[0] += step; break;
    case 'E': Ed3D_TexSelectTool(c); return;
    case 'T': Ed3D_TexMoveTool(c); return;
    case 'R': Ed3D_TexRotateTool(c); return;
    case 'G': Ed3D_TexScaleTool(c); return;
    case 'S': Ed3D_PolySelectAllOrNone(c->sel, c->layout); return;
    default: return;
  }
  App_MarkAllRedraw(c->layout);
}

static const char kUvFull[] = "テクスチャ座標を追加できません。テクスチャ座標は %u 個までです。";

// Projects group g; when the UV array has no room for the entries its corners need, says so
// and leaves the model as it was.
static void Project(Model3 *m, i32 g) {
  if (!Uv_ProjectGroup(m, g) && g >= 0 && g < m->groupCount)
    Seam_ErrorBoxf(kUvFull, g_MaxVertices);
}

// A planar group's offset (or, with the right button also held, its scale) follows a drag.
static bool PlanarDrag(Model3 *m, u32 layout, u32 group, f32 dx, f32 dy, bool scale) {
  Group3 *g = GroupOf(m, group);
  if (!Planar(g) || (dx == 0 && dy == 0)) return false;
  if (scale) {
    g->scaleU += dx / 200.0f;
    g->scaleV -= dy / 200.0f;
  } else {
    g->offsetU += dx / 200.0f;
    g->offsetV -= dy / 200.0f;
  }
  Project(m, (i32)group);
  AfterEdit(m, layout);
  return true;
}

void Ed3D_TexMouseMove(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  Ed3DTexEditor &e = g_Ed3DTex;
  Model3 *m = c->model;
  const ViewRecord *v = c->view;
  bool left = Shell_ButtonHeld(BUTTON_LEFT) != 0, right = Shell_ButtonHeld(BUTTON_RIGHT) != 0;
  if (m && v && v->kind == VIEW_MAIN && left) PlanarDrag(m, c->layout, c->sel->g_CurGroupIndex, (f32)(x - e.lastX), (f32)(y - e.lastY), right);
  // The last position follows every move, so a drag's first step starts where it began.
  e.lastX = x;
  e.lastY = y;
  if (v && (v->kind == VIEW_FRONT || v->kind == VIEW_TOP || v->kind == VIEW_SIDE) && left != right) {
    DragAnchor_Set(c->mouse, DRAG_ANCHOR_POLY2, x, y);
  }
}

static const char *StepLabel(u32 tool);

// The end of a drag in the main view: one step when it moved or scaled the group's projection.
void Ed3D_TexLButtonUp(const HookCtx *c) {
  const Group3 *g = c->model ? GroupOf(c->model, c->sel->g_CurGroupIndex) : nullptr;
  if (g_Shell.g_EditedFlag && Planar(g)) RecordSlot(c->slot, StepLabel(g->mapping));
}

void Ed3D_TexRButtonUp(const HookCtx *c) {
  i32 x = c->x, y = c->y;
  // With both buttons held the shell swallows the first release: when that was the left one,
  // this release ends the drag and records its step.
  Ed3D_TexLButtonUp(c);
  // A click, not the end of a drag: the right-down anchor is where the button went down.
  if (c->mouse->g_PolyDragAnchor.x == x && c->mouse->g_PolyDragAnchor.y == y) Ed3D_PickUnderCursor(c);
}

// [SECTION] tools, zoom and grid
// A tool chosen by hand sets group `group` of model m (of layer `slot`) to mapping by hand.
static void SetTool(const HookCtx *c, u32 tool, bool byHand) {
  Ed3DTexEditor &e = g_Ed3DTex;
  e.tool = tool;
  MarkPanels();
  Group3 *g = byHand ? GroupOf(c->model, c->sel->g_CurGroupIndex) : nullptr;
  if (!g || g->mapping == UV_MAP_BY_HAND) return;
  // The group's mapping is saved with it: the switch to editing by hand is an edit.
  g->mapping = UV_MAP_BY_HAND;
  RecordEditSlot(c->slot, c->layout, c->model, "ＵＶ編集 ( テクスチャ )");
}

// Move, rotate and scale: another tool active switches to this one (free UV editing); this one
// active goes back to select and remembers it.
static void ToolButton(const HookCtx *c, u32 tool) {
  Ed3DTexEditor &e = g_Ed3DTex;
  if (e.tool != tool) {
    SetTool(c, tool, true);
    return;
  }
  e.prevTool = tool;
  SetTool(c, TEX_TOOL_SELECT, false);
}

void Ed3D_TexSelectTool(const HookCtx *c) {
  Ed3DTexEditor &e = g_Ed3DTex;
  if (e.tool != TEX_TOOL_SELECT) SetTool(c, TEX_TOOL_SELECT, true);
  else SetTool(c, e.prevTool >= TEX_TOOL_MOVE && e.prevTool <= TEX_TOOL_SCALE ? e.prevTool : TEX_TOOL_MOVE, false);
}
void Ed3D_TexMoveTool(const HookCtx *c) { ToolButton(c, TEX_TOOL_MOVE); }
void Ed3D_TexRotateTool(const HookCtx *c) { ToolButton(c, TEX_TOOL_ROTATE); }
void Ed3D_TexScaleTool(const HookCtx *c) { ToolButton(c, TEX_TOOL_SCALE); }

static void TextureSize(i32 *w, i32 *h) {
  const Model3 *m = Current_Model3();
  i32 t = g_Ed3DTex.texture;
  *w = *h = 0;
  if (m && t >= 0 && t < MODEL3_TEXTURES) {
    *w = m->textures[t].width;
    *h = m->textures[t].height;
  }
}

static void Zoom(bool (*step)(f32 *zoom, i32 *x, i32 *y, i32 w, i32 h)) {
  Ed3DTexEditor &e = g_Ed3DTex;
  i32 w, h;
  TextureSize(&w, &h);
  step(&e.scale, &e.imageX, &e.imageY, w, h);
  MarkPanels();
  ActivateMain();
}

void Ed3D_TexZoomIn(void) { Zoom(UvTool_ZoomIn); }
void Ed3D_TexZoomOut(void) { Zoom(UvTool_ZoomOut); }

i32 Ed3D_TexGridOf(const char *text) { return UvTool_GridOf(text); }

u32 Ed3D_TexMappingButton(void) {
  const Group3 *g = CurGroup(Current_Model3());
  if (!g) return 0;
  switch (g->mapping) {
    case UV_MAP_FRONT: return IDC_TEX_FRONT;
    case UV_MAP_TOP: return IDC_TEX_TOP;
    case UV_MAP_SIDE: return IDC_TEX_SIDE;
    case UV_MAP_CYLINDER: return IDC_TEX_CYLINDER;
    case UV_MAP_SPHERE: return IDC_TEX_SPHERE;
    case UV_MAP_PER_FACE: return IDC_TEX_PER_FACE;
    case UV_MAP_BY_HAND: return IDC_TEX_BY_HAND;
    default: return 0;
  }
}

u32 Ed3D_TexToolButton(void) {
  switch (g_Ed3DTex.tool) {
    case TEX_TOOL_SELECT: return IDC_TEX_SELECT;
    case TEX_TOOL_MOVE: return IDC_TEX_MOVE;
    case TEX_TOOL_ROTATE: return IDC_TEX_ROTATE;
    case TEX_TOOL_SCALE: return IDC_TEX_SCALE;
    default: return 0;
  }
}

// [SECTION] mappings and unfolds
static const char *MappingLabel(u8 mode) {
  switch (mode) {
    case UV_MAP_FRONT: return "正面 ( テクスチャ )";
    case UV_MAP_TOP: return "上面 ( テクスチャ )";
    case UV_MAP_SIDE: return "側面 ( テクスチャ )";
    case UV_MAP_CYLINDER: return "円柱 ( テクスチャ )";
    case UV_MAP_SPHERE: return "球体 ( テクスチャ )";
    case UV_MAP_PER_FACE: return "各面単位 ( テクスチャ )";
    default: return "ＵＶ編集 ( テクスチャ )";
  }
}

static void ChooseMapping(u8 mode, u32 tool, bool reset) {
  Model3 *m = CurrentModel();
  Group3 *g = CurGroup(m);
  if (!g) return;
  g->mapping = mode;
  if (reset) {
    g->offsetU = g->offsetV = 0;
    g->scaleU = g->scaleV = 1;
  }
  g_Ed3DTex.tool = tool;
  if (mode != UV_MAP_BY_HAND) Project(m, (i32)g_Sel.g_CurGroupIndex);
  RecordEdit(CurrentModel(), MappingLabel(mode));
}

static void AfterUnfold(const char *label) {
  if (Group3 *g = CurGroup(Current_Model3())) g->mapping = UV_MAP_BY_HAND;
  g_Ed3DTex.tool = TEX_TOOL_SELECT;
  RecordEdit(CurrentModel(), label);
}

static void VertexUnfold(void) {
  Model3 *m = CurrentModel();
  if (!m) return;
  if (!Uv_VertexUnfold(m, g_Sel.g_PolySelFaces, Poly_FaceFlagRoom())) {
    Seam_ErrorBoxf(kUvFull, g_MaxVertices);
    return;
  }
  UvFlagsFor(m);
  AfterUnfold("頂点展開 ( テクスチャ )");
}

static void NormalUnfold(void) {
  Model3 *m = CurrentModel();
  if (!m) return;
  Uv_NormalUnfold(m, g_Sel.g_PolySelFaces, Poly_FaceFlagRoom());
  AfterUnfold("法線展開 ( テクスチャ )");
}

static void CylinderUnfold(void) {
  Model3 *m = CurrentModel();
  if (!m) return;
  Uv_CylinderUnfold(m, (i32)g_Sel.g_CurGroupIndex);
  AfterUnfold("ＵＶ展開 ( テクスチャ )");
}

void Ed3D_TexRotateFaceUVs(void) {
  Model3 *m = CurrentModel();
  if (!m) return;
  Uv_RotateFaceUVs(m, g_Sel.g_PolySelFaces, Poly_FaceFlagRoom());
  m->changed = 1;
  Record("ＵＶ回転 ( テクスチャ )");
  App_MarkAllRedraw(View_CurrentLayout());
}

// [SECTION] the texture table
void Ed3D_FillTextureList(const Model3 *m) {
  Ed3DTexEditor &e = g_Ed3DTex;
  if (!e.list) return;
  i32 count = m ? m->textureCount : 1;
  if (count < 1) count = 1;
  if (count > MODEL3_TEXTURES) count = MODEL3_TEXTURES;
  Str_Format(s_Tex.text[0], ED3D_LINE, " 0 : テクスチャ無し");
  for (i32 n = 1; n < count; n++) {
    if (m->textures[n].used) Str_Format(s_Tex.text[n], ED3D_LINE, "%2d : %s", (int)n, m->textures[n].name ? m->textures[n].name : "");
    else Str_Format(s_Tex.text[n], ED3D_LINE, "%2d :", (int)n);
  }
  WidgetLines lines = Widget_Lines(s_Tex.text[0], ED3D_LINE, count, e.texture < count ? e.texture : -1);
  Widget_Fill(e.list, WIDGET_FILL_MULTI_CARET, &lines);
}

void Ed3D_TexRefreshLists(void) {
  MarkPanels();
  HookCtx c = Family_ShellContext();
  Ed3D_FillTextureList(c.model);
  Ed3D_FillTextureCombo(&c);
  Ed3D_FillDisplacementCombo(&c);
}

static bool PoseHasTexture(i32 n) {
  ModelPose *pose = g_Sel.g_CurSlot < MODEL3_SLOTS ? g_ModelPoses[g_Sel.g_CurSlot] : nullptr;
  return pose && pose->textures[n];
}

// Loads entry n's image; a file that cannot be loaded is said once, the entry keeps its name.
static void LoadEntry(i32 n, bool report) {
  const Model3 *m = Current_Model3();
  Tex_ReloadModel3Texture((i32)g_Sel.g_CurSlot, n, m->textures[n].name);
  if (report && !PoseHasTexture(n) && g_ModelPoses[g_Sel.g_CurSlot] && !g_Tex.lastTold)
    Seam_ErrorBoxf("テクスチャ %s を読み込めませんでした。", m->textures[n].name);
}

static void AfterTableChange(Model3 *m, const char *label) {
  bool room = true;
  for (i32 g = 0; g < m->groupCount && g < MODEL3_GROUPS; g++) room = Uv_ProjectGroup(m, g) && room;
  if (!room) Seam_ErrorBoxf(kUvFull, g_MaxVertices);
  Ed3DPolyEditor.pickedVertex = -1;
  Tex_CopyModel3Pixels((i32)g_Sel.g_CurSlot);
  Ed3D_TexRefreshLists();
  RecordEdit(CurrentModel(), label);
}

// "追加" (add) or "入れ替え" (replace): the entry takes the chosen file and its image is loaded;
// the lists follow. False when the table refuses it.
static bool LoadTexture(bool add) {
  Model3 *m = CurrentModel();
  if (!m) return true;
  i32 t;
  const char *name;
  if (!TexPanel_ChooseEntry(add, g_Ed3DTex.texture, m->textureCount, MODEL3_TEXTURES, Seam_ErrorBox, &t, &name))
    return false;
  if (!name || !Uv_SetTextureEntry(m, t, name)) return true;
  LoadEntry(t, true);
  AfterTableChange(m, add ? "追加 ( テクスチャ )" : "入れ替え ( テクスチャ )");
  return true;
}

static void DeleteTexture(void) {
  Model3 *m = CurrentModel();
  i32 t = g_Ed3DTex.texture;
  if (!m || !Uv_DeleteTexture(m, t)) return;
  g_Ed3DTex.texture = t - 1;
  for (i32 n = 1; n < m->textureCount; n++)
    if (m->textures[n].used) LoadEntry(n, false);
  // The handle of the entry freed at the end goes with it.
  if (PoseHasTexture(m->textureCount)) Tex_ReloadModel3Texture((i32)g_Sel.g_CurSlot, m->textureCount, "");
  AfterTableChange(m, "消去 ( テクスチャ )");
}

// [SECTION] the texture panel's commands
static void TakeFocusLine(i32 focus) {
  Ed3DTexEditor &e = g_Ed3DTex;
  // A list without a focus line keeps the current texture.
  if (focus >= 0 && focus < MODEL3_TEXTURES) e.texture = focus;
  if (e.texture != e.lastTexture) {
    e.lastTexture = e.texture;
    e.imageX = e.imageY = 0;
    MarkPanels();
  }
}

bool Ed3D_TexCommand(u32 id, i32 focus, const char *gridText) {
  Ed3DTexEditor &e = g_Ed3DTex;
  HookCtx c = Family_ShellContext();
  TakeFocusLine(focus);
  TexPanel_TakeCommand(id, &e.lastCommand, gridText, &e.grid);
  switch (id) {
    case IDC_TEX_FRONT: ChooseMapping(UV_MAP_FRONT, TEX_TOOL_FRONT, false); break;
    case IDC_TEX_TOP: ChooseMapping(UV_MAP_TOP, TEX_TOOL_TOP, false); break;
    case IDC_TEX_SIDE: ChooseMapping(UV_MAP_SIDE, TEX_TOOL_SIDE, false); break;
    case IDC_TEX_CYLINDER: ChooseMapping(UV_MAP_CYLINDER, TEX_TOOL_SIDE, true); break;
    case IDC_TEX_SPHERE: ChooseMapping(UV_MAP_SPHERE, TEX_TOOL_SIDE, true); break;
    case IDC_TEX_PER_FACE: ChooseMapping(UV_MAP_PER_FACE, TEX_TOOL_SIDE, true); break;
    case IDC_TEX_BY_HAND: ChooseMapping(UV_MAP_BY_HAND, TEX_TOOL_BY_HAND, false); break;
    case IDC_TEX_SELECT: Ed3D_TexSelectTool(&c); break;
    case IDC_TEX_MOVE: Ed3D_TexMoveTool(&c); break;
    case IDC_TEX_ROTATE: Ed3D_TexRotateTool(&c); break;
    case IDC_TEX_SCALE: Ed3D_TexScaleTool(&c); break;
    case IDC_TEX_ZOOM_IN: Ed3D_TexZoomIn(); break;
    case IDC_TEX_ZOOM_OUT: Ed3D_TexZoomOut(); break;
    case IDC_TEX_SNAP:
      e.snap = 1 - (e.snap ? 1 : 0);
      MarkPanels();
      ActivateMain();
      break;
    case IDC_TEX_VERTEX_UNFOLD: VertexUnfold(); break;
    case IDC_TEX_NORMAL_UNFOLD: NormalUnfold(); break;
    case IDC_TEX_UV_UNFOLD: CylinderUnfold(); break;
    case IDC_TEX_ROTATE_FACE_UV: Ed3D_TexRotateFaceUVs(); break;
    case IDC_TEX_ADD: return LoadTexture(true);
    case IDC_TEX_DELETE: DeleteTexture(); break;
    case IDC_TEX_REPLACE: return LoadTexture(false);
    default: break;
  }
  return true;
}

// [SECTION] the image panel
static void ImagePoint(i32 x, i32 y, f32 *ix, f32 *iy) {
  f32 s = g_Ed3DTex.scale > 0 ? g_Ed3DTex.scale : 1.0f;
  *ix = (f32)x / s;
  *iy = (f32)y / s;
}

void Ed3D_TexImageDown(u32 button, i32 x, i32 y) {
  Ed3DTexEditor &e = g_Ed3DTex;
  if (e.imagePanel) Widget_Capture(e.imagePanel);
  f32 ix, iy;
  ImagePoint(x, y, &ix, &iy);
  e.lastX = (i32)ix;
  e.lastY = (i32)iy;
  // The left button starts a drag that has changed nothing yet and takes the group's texture.
  if (button == 0) {
    e.dragEdited = 0;
    e.texture = GroupTexture(CurrentModel(), g_Sel.g_CurGroupIndex);
    Ed3D_FillTextureList(CurrentModel());
  }
  TexPanel_Press(&e.mouse, button, x, y, e.tool == TEX_TOOL_SELECT);
  MarkPanels();
}

static void UvToolStep(Model3 *m, f32 dx, f32 dy) {
  Ed3DTexEditor &e = g_Ed3DTex;
  i32 w, h;
  TextureSize(&w, &h);
  switch (e.tool) {
    case TEX_TOOL_MOVE: Uv_MoveSelected(m, e.uvSel, e.uvSelRoom, w, h, dx, dy); break;
    case TEX_TOOL_ROTATE: Uv_RotateSelected(m, e.uvSel, e.uvSelRoom, (f32)e.panelW, (f32)e.panelH, dx, dy, e.scale); break;
    case TEX_TOOL_SCALE: Uv_ScaleSelected(m, e.uvSel, e.uvSelRoom, dx, dy, e.scale); break;
    default: return;
  }
  e.dragEdited = 1;
  AfterEdit(CurrentModel(), View_CurrentLayout());
}

void Ed3D_TexImageMove(i32 x, i32 y) {
  Ed3DTexEditor &e = g_Ed3DTex;
  TexPanelMouse &pm = e.mouse;
  if (!pm.left && !pm.right && !pm.middle) return;
  Model3 *m = CurrentModel();
  f32 ix, iy;
  ImagePoint(x, y, &ix, &iy);
  f32 dx = ix - (f32)e.lastX, dy = iy - (f32)e.lastY;
  if (pm.rectActive) {
    pm.rect[2] = x;
    pm.rect[3] = y;
  } else if (m && pm.left && !pm.right && (dx != 0 || dy != 0)) {
    if (Planar(CurGroup(m))) e.dragEdited |= PlanarDrag(m, View_CurrentLayout(), g_Sel.g_CurGroupIndex, dx, dy, false) ? 1u : 0u;
    else UvToolStep(m, dx, dy);
  } else if (m && pm.left && pm.right) {
    e.dragEdited |= PlanarDrag(m, View_CurrentLayout(), g_Sel.g_CurGroupIndex, dx, dy, true) ? 1u : 0u;
  } else if (pm.middle && !pm.right) {
    e.imageX += (i32)(dx * e.scale);
    e.imageY += (i32)(dy * e.scale);
  }
  e.lastX = (i32)ix;
  e.lastY = (i32)iy;
  MarkPanels();
}

static const char *StepLabel(u32 tool) {
  switch (tool) {
    case TEX_TOOL_FRONT: return "ＵＶ正面 ( テクスチャ )";
    case TEX_TOOL_TOP: return "ＵＶ上面 ( テクスチャ )";
    case TEX_TOOL_SIDE: return "ＵＶ側面 ( テクスチャ )";
    case TEX_TOOL_MOVE: return "ＵＶ移動 ( テクスチャ )";
    case TEX_TOOL_ROTATE: return "ＵＶ回転 ( テクスチャ )";
    case TEX_TOOL_SCALE: return "ＵＶ拡縮 ( テクスチャ )";
    default: return nullptr;
  }
}

void Ed3D_TexImageUp(u32 button, i32, i32) {
  Ed3DTexEditor &e = g_Ed3DTex;
  TexPanelMouse &pm = e.mouse;
  Widget_Capture(nullptr);
  if (pm.rectActive && button != 2) {
    Ed3D_TexSelectRect(pm.rect[0], pm.rect[1], pm.rect[2], pm.rect[3], button == 0);
    pm.rectActive = 0;
  }
  if (button == 0) {
    pm.left = 0;
    const char *label = StepLabel(e.tool);
    // A press without a drag changed nothing: no step.
    if (label && e.dragEdited && Current_Model3()) Record(label);
    e.dragEdited = 0;
  } else if (button == 1) {
    pm.right = 0;
  } else {
    pm.middle = 0;
  }
  MarkPanels();
}

void Ed3D_TexSelectRect(i32 x1, i32 y1, i32 x2, i32 y2, bool select) {
  Ed3DTexEditor &e = g_Ed3DTex;
  Model3 *m = CurrentModel();
  if (!m || !UvFlagsFor(m) || !e.uvSel) return;
  f32 lx = (f32)(x1 < x2 ? x1 : x2), hx = (f32)(x1 < x2 ? x2 : x1);
  f32 ly = (f32)(y1 < y2 ? y1 : y2), hy = (f32)(y1 < y2 ? y2 : y1);
  f32 w, h, s = e.scale;
  TexelSize(m, &w, &h);
  i32 n = m->polygonCount < m->capPolygons ? m->polygonCount : m->capPolygons;
  for (i32 f = 0; f < n; f++) {
    const Polygon3 &p = m->polygons[f];
    if (p.group != g_Sel.g_CurGroupIndex) continue;
    for (i32 k = 0; k < p.cornerCount && k < 4; k++) {
      u32 u = p.corners[k].uv;
      if (u >= (u32)m->uvCount || u >= e.uvSelRoom) continue;
      f32 px = m->uvs[u].u * w * s + (f32)e.imageX, py = m->uvs[u].v * h * s + (f32)e.imageY;
      if (px >= lx && px <= hx && py >= ly && py <= hy) e.uvSel[u] = select ? 1 : 0;
    }
  }
  MarkPanels();
}
