// The 2D texture sub-mode (7) and its panel "2D_TEX_DLG" (ed2d_tex.h): enter and leave, the
// texture list, the mapping and UV tool buttons, the texture table's add and replace, the
// panel's mouse drags (projection offset and scale, UV tools, pan, UV selection) and the
// preview's source g_Strip.g_StripTex2D. Owns g_Ed2DTex.
#include <stdlib.h>

#include "app/current.h"
#include "app/docflags.h"
#include "app/drag_anchors.h"
#include "app/family.h"
#include "app/poly_select.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/views.h"
#include "edit2d/ed2d_submode.h"
#include "edit2d/ed2d_poly.h"
#include "edit2d/ed2d_tex.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/texture.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "model/str.h"
#include "model/uvtool.h"

Ed2DTexEditor g_Ed2DTex = {0, -1, 0, 0, nullptr, 0, 1.0f, 0, 0, 0, 8};

static Bone2Model *CurrentSlotModel(void) { return g_Sel.g_Cur2DSlot < BONE2_SLOTS ? g_Bone2Slots[g_Sel.g_Cur2DSlot] : nullptr; }
// A hook's model: the context's for 2D slot 0 (the slot the sub-mode's init makes current),
// the slot's own for another.
static Bone2Model *HookModel(const HookCtx *c) {
  u32 slot = c->sel->g_Cur2DSlot;
  return slot == 0 ? c->model2 : slot < BONE2_SLOTS ? g_Bone2Slots[slot] : nullptr;
}
static Group2 *CurGroup(Bone2Model *m, const ShellSelection *sel) {
  return m ? &m->groups[Ed2D_GroupOf(m, sel->g_CurGroupIndex)] : nullptr;
}
static Group2 *CurGroup(Bone2Model *m) { return CurGroup(m, &g_Sel); }
static i32 GroupTexture(Bone2Model *m, const ShellSelection *sel) {
  const Group2 *g = CurGroup(m, sel);
  return g && g->texture >= 0 && g->texture < BONE2_MAX_TEXTURES ? g->texture : 0;
}

static void SayUvFull(const Bone2Model *m) {
  char text[200];
  Str_Format(text, sizeof text, "テクスチャ座標を追加できません。テクスチャ座標は %d 個までです。", (int)Ed2D_UvRoom(m));
  Widget_MessageOk(text);
}

// Projects group g; when the UV array has no room for the entries its corners need, says so
// and leaves the model as it was.
static void Project(Bone2Model *m, i32 g) {
  if (!Ed2D_ProjectBone2Group(m, g) && g >= 0 && g < m->groupCount) SayUvFull(m);
}

static void MarkPanel(void) {
  g_Ed2DTex.refresh = 1;
  g_Shell.g_StripDirty[STRIP_FLAG_TEXTURES] = 1;
}

static void TextureSize(const Bone2Model *m, i32 *w, i32 *h) {
  i32 t = g_Ed2DTex.texture;
  *w = *h = 0;
  if (!m || t < 0 || t >= BONE2_MAX_TEXTURES) return;
  *w = (i32)m->textures[t].width;
  *h = (i32)m->textures[t].height;
}

// One selection flag per UV entry the model can hold, kept across frames.
static bool UvFlagsFor(const Bone2Model *m) {
  Ed2DTexEditor &e = g_Ed2DTex;
  return Poly_GrowFlags(&e.uvSel, &e.uvSelRoom, m && m->uvCapacity > 0 ? (u32)m->uvCapacity : 0);
}

static i32 UvCount(const Bone2Model *m) { return m->uvCount < m->uvCapacity ? m->uvCount : m->uvCapacity; }

// [SECTION] enter and leave
// The panel opens at the bottom left and is 546 pixels high (on a low desktop 418, its
// preview smaller): the frame, shown at 3/4 of its size (1/2, View_TextureFrameZoom), goes
// above it, near the top of the view and across the middle of the screen, so that neither
// covers the other and the group dialog finds room at the right.
static void PlaceFrame(u32 layout) {
  enum { FRAME_TOP = 16 };   // the frame's top, in the view's pixels
  // On a low desktop the group dialog stands right of the edit-mode selector and ends a few
  // pixels past the middle frame's left edge: the frame moves right, clear of it.
  enum { FRAME_LOW_SHIFT = 16 };
  ViewRecord &v = *View_Get(layout, 0);
  f32 zoom = View_TextureFrameZoom();
  v.panX = 320.0f * (1.0f - zoom);   // the frame's middle at the screen's
  if (View_TextureLayoutLow()) v.panX += FRAME_LOW_SHIFT;
  v.panY = (f32)(FRAME_TOP + 240 - g_Lib.desktopHeight / 2);
}

void Ed2D_TexInit(const HookCtx *c) {
  Ed2DTexEditor &e = g_Ed2DTex;
  ShellSelection *sel = c->sel;
  sel->g_CurSlot = 0;
  App_AllocWorkArrays(c->sel);
  Ed2D_InitCommon(c, SUB_2D_TEXTURE);
  sel->g_PolyTool = ED2D_TOOL_FACE;
  sel->g_PolySelectMode = 1;
  Bone2Model *m = HookModel(c);
  e.texture = GroupTexture(m, sel);
  Ed2D_SelectGroupPolygons(m, sel, Ed2D_GroupOf(m, sel->g_CurGroupIndex));
  UvFlagsFor(m);
  PlaceFrame(c->layout);
  // The controls stand right of the preview: a smaller preview takes them along, the panel
  // is lower and opens at the right edge, leaving the left to the edit-mode selector and the
  // group dialog, which are higher than the room above the panel.
  enum : i32 { PANEL_W = 930, PANEL_H = 546, LIST_X = 516, LIST_H = 345 };
  enum : i32 { LOW_PANEL_H = 418, LOW_LIST_H = 329 };
  i32 cut = STRIP_PANEL - Ed2D_TexPreviewSide(), h = cut ? (i32)LOW_PANEL_H : (i32)PANEL_H;
  if (!e.panel)
    e.panel = Widget_CreatePanel(ED2D_TEX_PANEL, cut ? g_Lib.desktopWidth - (PANEL_W - cut) : 0,
                                 g_Lib.desktopHeight - 30 - h, PANEL_W - cut, h);
  if (e.panel && !e.list)
    e.list = Widget_CreateList(e.panel, IDC_T2D_LIST, LIST_X - cut, 35, 200, cut ? (i32)LOW_LIST_H : (i32)LIST_H,
                               WIDGET_LIST_NOTIFY | WIDGET_LIST_EXTENDED);
  Ed2D_FillTextureList(sel);
  MarkPanel();
}

void Ed2D_TexLeave(const HookCtx *c) {
  Ed2DTexEditor &e = g_Ed2DTex;
  void **const windows[] = {&e.list, &e.panel};
  TexPanel_Leave(STRIP_TEX2D, windows, 2, &e.mouse);
}

// [SECTION] the preview's source: the current group's coordinates in texels
// The strip calls the source when it paints: it shows the 2D slot and the group that the last
// update was handed.
static u32 s_PreviewSlot, s_PreviewGroup;
static i32 s_LineCount, s_LineRoom;
static u32 *s_Lines;   // polygon << 2 | corner of each edge's start

static const Bone2Model *PreviewModel(void) { return s_PreviewSlot < BONE2_SLOTS ? g_Bone2Slots[s_PreviewSlot] : nullptr; }

static i32 PreviewLineCount(void) {
  const Bone2Model *m = PreviewModel();
  s_LineCount = 0;
  if (!m || !m->polygons) return 0;
  i32 n = m->polygonCount < m->polygonCapacity ? m->polygonCount : m->polygonCapacity;
  i32 g = Ed2D_GroupOf(m, s_PreviewGroup), need = 4 * n;
  if (need > s_LineRoom) {
    u32 *p = (u32 *)realloc(s_Lines, (size_t)need * sizeof(u32));
    if (!p) return 0;
    s_Lines = p;
    s_LineRoom = need;
  }
  for (i32 f = 0; f < n; f++) {
    const Polygon2 &p = m->polygons[f];
    if (!p.used || p.group != (u32)g) continue;
    for (i32 k = 0; k < p.cornerCount && k < 4; k++) s_Lines[s_LineCount++] = (u32)f << 2 | (u32)k;
  }
  return s_LineCount;
}

static bool UvAt(const Bone2Model *m, u32 e, f32 out[2]) {
  if (e >= (u32)UvCount(m)) return false;
  i32 w, h;
  TextureSize(m, &w, &h);
  out[0] = m->uvs[e].u * (f32)w;
  out[1] = m->uvs[e].v * (f32)h;
  return true;
}

static void PreviewLine(i32 i, f32 out[4]) {
  const Bone2Model *m = PreviewModel();
  out[0] = out[1] = out[2] = out[3] = 0;
  if (!m || i < 0 || i >= s_LineCount || (i32)(s_Lines[i] >> 2) >= m->polygonCount) return;
  const Polygon2 &p = m->polygons[s_Lines[i] >> 2];
  i32 k = (i32)(s_Lines[i] & 3), c = p.cornerCount > 4 ? 4 : p.cornerCount;
  if (c <= 0) return;
  if (!UvAt(m, p.corners[k % c].uv, out) || !UvAt(m, p.corners[(k + 1) % c].uv, out + 2)) out[0] = out[1] = out[2] = out[3] = 0;
}

static TexPanelPoints s_Points;

static i32 PreviewPointCount(void) {
  const Bone2Model *m = PreviewModel();
  return TexPanel_ListPoints(&s_Points, g_Ed2DTex.uvSel, g_Ed2DTex.uvSelRoom, m ? (u32)UvCount(m) : 0);
}

static void PreviewPoint(i32 i, f32 out[2]) {
  const Bone2Model *m = PreviewModel();
  u32 entry;
  out[0] = out[1] = 0;
  if (m && TexPanel_Point(&s_Points, i, &entry)) UvAt(m, entry, out);
}

static void FillPreview(Bone2Model *m, const ShellSelection *sel) {
  Ed2DTexEditor &e = g_Ed2DTex;
  s_PreviewSlot = sel->g_Cur2DSlot;
  s_PreviewGroup = sel->g_CurGroupIndex;
  i32 t = e.texture;
  bool valid = m && t >= 0 && t < BONE2_MAX_TEXTURES;
  const Group2 *g = CurGroup(m, sel);
  TexPanelShown shown = {valid ? t : -1, valid && m->textures[t].used, g && g->texture == t, e.zoom, e.offX, e.offY,
                         PreviewLineCount, PreviewLine, PreviewPointCount, PreviewPoint};
  TexPanel_ShowPreview(&g_Strip.g_StripTex2D, &shown, &e.mouse);
}

void Ed2D_TexUpdate(const HookCtx *c) {
  Bone2Model *m = HookModel(c);
  if (!m) return;
  if (g_Bone2SlotShown[c->sel->g_Cur2DSlot]) {
    m->displayMode = 2;
    Lib_SetSceneDraw(1);
  }
  UvFlagsFor(m);
  FillPreview(m, c->sel);
}

// The view's rectangle selection (tools 0 and 5 of the polygon sub-mode) follows a lone button.
void Ed2D_TexLButtonDown(const HookCtx *c) {
  Ed2D_SetDragAnchors(c);
  Ed2D_LButtonDownAnchors(c);
}

void Ed2D_TexMouseMove(const HookCtx *c) {
  if (!HookModel(c)) return;
  Ed2DPolyEditor &e = g_Ed2DPoly;
  Ed2D_ClientToFrame(c->x, c->y, &e.mouseX, &e.mouseY);
  bool left = Shell_ButtonHeld(BUTTON_LEFT) != 0, right = Shell_ButtonHeld(BUTTON_RIGHT) != 0;
  if (left != right) {
    e.curX = (i32)e.mouseX;
    e.curY = (i32)e.mouseY;
  }
}

// [SECTION] lists, tools and zoom
void Ed2D_FillTextureList(const ShellSelection *sel) {
  static Ed2DLines lines;
  if (!g_Ed2DTex.list) return;
  Ed2D_TextureLines(sel->g_Cur2DSlot < BONE2_SLOTS ? g_Bone2Slots[sel->g_Cur2DSlot] : nullptr, g_Ed2DTex.texture, &lines);
  Ed2D_Fill(g_Ed2DTex.list, false, &lines);
}

void Ed2D_TexRefreshLists(const ShellSelection *sel) {
  MarkPanel();
  Ed2D_FillTextureList(sel);
  Ed2D_FillGroupTextureList(sel);
}

void Ed2D_TexRotateUV(void) {
  Bone2Model *m = CurrentSlotModel();
  if (!m) return;
  Ed2D_RotateFaceUVs(m, g_Sel.g_PolySelFaces, g_Sel.g_PolySelFaces ? App_WorkFaceCount() : 0);
  Str_Copy(g_Shell.g_UndoLabel, sizeof g_Shell.g_UndoLabel, "ＵＶ回転 ( テクスチャ )");
  Doc_MarkEdited(DOC_BONE2);
  App_MarkAllRedraw(View_CurrentLayout());
}

static void Zoom(bool (*step)(f32 *zoom, i32 *x, i32 *y, i32 w, i32 h)) {
  Ed2DTexEditor &e = g_Ed2DTex;
  i32 w, h;
  TextureSize(CurrentSlotModel(), &w, &h);
  step(&e.zoom, &e.offX, &e.offY, w, h);
  MarkPanel();
  Widget_ActivateMain();
}

void Ed2D_TexZoomIn(void) { Zoom(UvTool_ZoomIn); }
void Ed2D_TexZoomOut(void) { Zoom(UvTool_ZoomOut); }

u32 Ed2D_TexMappingButton(void) {
  const Group2 *g = CurGroup(CurrentSlotModel());
  if (!g) return 0;
  switch (g->mappingKind) {
    case 0: return IDC_T2D_FRONT;
    case 1: return IDC_T2D_TOP;
    case 2: return IDC_T2D_SIDE;
    case 3: return IDC_T2D_CYLINDER;
    case 4: return IDC_T2D_SPHERE;
    case 5: return IDC_T2D_PER_FACE;
    case 10: return IDC_T2D_BY_HAND;
    default: return 0;
  }
}

u32 Ed2D_TexToolButton(void) {
  switch (g_Ed2DTex.tool) {
    case ED2D_UV_SELECT: return IDC_T2D_SELECT;
    case ED2D_UV_MOVE: return IDC_T2D_MOVE;
    case ED2D_UV_ROTATE: return IDC_T2D_ROTATE;
    case ED2D_UV_SCALE: return IDC_T2D_SCALE;
    default: return 0;
  }
}

static void Edited(void) {
  Doc_MarkEdited(DOC_BONE2);
  MarkPanel();
  App_MarkAllRedraw(View_CurrentLayout());
}

static void ChooseMapping(u8 type, u32 tool, bool reset) {
  Bone2Model *m = CurrentSlotModel();
  Group2 *g = CurGroup(m);
  if (!g) return;
  g->mappingKind = type;
  if (reset) {
    g->p[0] = g->p[1] = 0;
    g->p[2] = g->p[3] = 1;
  }
  g_Ed2DTex.tool = tool;
  if (type != ED2D_MAP_BY_HAND) Project(m, Ed2D_GroupOf(m, g_Sel.g_CurGroupIndex));
  Edited();
}

// [SECTION] the texture table
// Loads entry n's image, projects every group again and refreshes; a file that does not open
// keeps its entry and is said.
static void LoadEntry(Bone2Model *m, i32 n, bool grow) {
  i32 slot = (i32)g_Sel.g_Cur2DSlot;
  Tex_ReloadBone2Texture(slot, n, m->textures[n].name);
  if (DrawDev_Ready() && !g_Tex.bone2Textures[slot * TEX_PER_MODEL + n] && !g_Tex.lastTold) {
    char text[400];
    Str_Format(text, sizeof text, "%s を開くことができませんでした。", m->textures[n].name);
    Widget_MessageOk(text);
  }
  bool room = true;
  for (i32 g = 0; g < m->groupCount && g < BONE2_MAX_GROUPS; g++) room = Ed2D_ProjectBone2Group(m, g) && room;
  if (!room) SayUvFull(m);
  if (grow) m->textureCount++;
  Tex_CopyBone2Pixels(slot);
  Ed2D_TexRefreshLists(&g_Sel);
  Edited();
}

// "追加" (add) or "入れ替え" (replace); false when the table refuses it.
static bool LoadTexture(bool add) {
  Bone2Model *m = CurrentSlotModel();
  if (!m) return true;
  i32 t;
  const char *name;
  if (!TexPanel_ChooseEntry(add, g_Ed2DTex.texture, m->textureCount, BONE2_MAX_TEXTURES, Widget_MessageOk, &t, &name))
    return false;
  if (name && Ed2D_SetTextureEntry(m, t, name)) LoadEntry(m, t, add);
  return true;
}

// [SECTION] the panel's commands
i32 Ed2D_TexPreviewSide(void) { return View_TextureLayoutLow() ? VIEW_TEXTURE_LOW_PREVIEW : STRIP_PANEL; }

void Ed2D_TexCentrePreview(i32 w, i32 h) {
  Ed2DTexEditor &e = g_Ed2DTex;
  // The image's middle at the preview's middle: the panel's own size would put most images
  // past the preview's right edge, out of sight.
  i32 side = Ed2D_TexPreviewSide();
  e.offX = (side - (i32)((f32)w * e.zoom)) / 2;
  e.offY = (side - (i32)((f32)h * e.zoom)) / 2;
}

static void TakeRow(i32 row) {
  Ed2DTexEditor &e = g_Ed2DTex;
  // No current row (LB_ERR) keeps the texture.
  if (row >= 0 && row < BONE2_MAX_TEXTURES) e.texture = row;
  if (e.texture == e.lastTexture) return;
  e.lastTexture = e.texture;
  i32 w, h;
  TextureSize(CurrentSlotModel(), &w, &h);
  Ed2D_TexCentrePreview(w, h);
  MarkPanel();
}

bool Ed2D_TexCommand(u32 id, i32 row, const char *gridText) {
  Ed2DTexEditor &e = g_Ed2DTex;
  TakeRow(row);
  TexPanel_TakeCommand(id, &e.lastCommand, gridText, &e.grid);
  switch (id) {
    case IDC_T2D_FRONT: ChooseMapping(ED2D_MAP_FRONT, 0, false); break;
    case IDC_T2D_BY_HAND: ChooseMapping(ED2D_MAP_BY_HAND, ED2D_TOOL_UV, false); break;
    case IDC_T2D_MOVE: ChooseMapping(ED2D_MAP_BY_HAND, ED2D_UV_MOVE, false); break;
    case IDC_T2D_ROTATE: ChooseMapping(ED2D_MAP_BY_HAND, ED2D_UV_ROTATE, false); break;
    case IDC_T2D_SCALE: ChooseMapping(ED2D_MAP_BY_HAND, ED2D_UV_SCALE, false); break;
    case IDC_T2D_SELECT: ChooseMapping(ED2D_MAP_BY_HAND, ED2D_UV_SELECT, false); break;
    case IDC_T2D_PER_FACE: ChooseMapping(ED2D_MAP_PER_FACE, 2, true); break;
    case IDC_T2D_SNAP:
      e.snap = 1 - (e.snap ? 1 : 0);
      MarkPanel();
      Widget_ActivateMain();
      break;
    case IDC_T2D_ZOOM_IN: Ed2D_TexZoomIn(); break;
    case IDC_T2D_ZOOM_OUT: Ed2D_TexZoomOut(); break;
    case IDC_T2D_ADD: return LoadTexture(true);
    case IDC_T2D_REPLACE: return LoadTexture(false);
    case IDC_T2D_ROTATE_UV: Ed2D_TexRotateUV(); break;
    default: break;
  }
  return true;
}

// [SECTION] the panel's mouse
void Ed2D_TexPanelDown(u32 button, i32 x, i32 y) {
  Ed2DTexEditor &e = g_Ed2DTex;
  f32 z = e.zoom > 0 ? e.zoom : 1.0f;
  e.prevX = (f32)x / z;
  e.prevY = (f32)y / z;
  // The left button takes the current group's texture.
  if (button == 0) {
    e.texture = GroupTexture(CurrentSlotModel(), &g_Sel);
    Ed2D_FillTextureList(&g_Sel);
  }
  TexPanel_Press(&e.mouse, button, x, y, e.tool == ED2D_UV_SELECT);
  MarkPanel();
}

void Ed2D_TexPanelUp(u32 button) {
  TexPanel_Release(&g_Ed2DTex.mouse, button);
  MarkPanel();
}

void Ed2D_TexSelectRect(const Bone2Model *m, i32 x1, i32 y1, i32 x2, i32 y2, bool select) {
  Ed2DTexEditor &e = g_Ed2DTex;
  if (!m || !m->polygons || !UvFlagsFor(m) || !e.uvSel) return;
  PolyRect r = Poly_SortedRect(x1, y1, x2, y2);
  i32 w, h, g = Ed2D_GroupOf(m, g_Sel.g_CurGroupIndex);
  TextureSize(m, &w, &h);
  i32 n = m->polygonCount < m->polygonCapacity ? m->polygonCount : m->polygonCapacity;
  for (i32 f = 0; f < n; f++) {
    const Polygon2 &p = m->polygons[f];
    if (!p.used || p.group != (u32)g) continue;
    for (i32 k = 0; k < p.cornerCount && k < 4; k++) {
      u32 u = p.corners[k].uv;
      if (u >= (u32)UvCount(m) || u >= e.uvSelRoom) continue;
      f32 px = m->uvs[u].u * (f32)w * e.zoom + (f32)e.offX, py = m->uvs[u].v * (f32)h * e.zoom + (f32)e.offY;
      if (Poly_RectHolds(&r, px, py)) e.uvSel[u] = select ? 1 : 0;
    }
  }
}

// One move of a left drag for a hand-edited group: the UV tool on the selected entries.
static void UvToolStep(Bone2Model *m, f32 dx, f32 dy) {
  Ed2DTexEditor &e = g_Ed2DTex;
  i32 w, h, n = UvCount(m);
  f32 *uv = &m->uvs[0].u;
  TextureSize(m, &w, &h);
  switch (e.tool) {
    case ED2D_UV_MOVE: UvTool_Move(uv, n, e.uvSel, e.uvSelRoom, w, h, dx, dy); break;
    case ED2D_UV_ROTATE: UvTool_Rotate(uv, n, e.uvSel, e.uvSelRoom, (f32)e.panelW, (f32)e.panelH, dx, dy, e.zoom); break;
    case ED2D_UV_SCALE: UvTool_Scale(uv, n, e.uvSel, e.uvSelRoom, dx, dy, e.zoom); break;
    default: return;
  }
  Doc_MarkEdited(DOC_BONE2);
}

static void ProjectionStep(Bone2Model *m, Group2 *g, f32 dx, f32 dy, bool scale) {
  g->p[scale ? 2 : 0] += dx / 200.0f;
  g->p[scale ? 3 : 1] -= dy / 200.0f;
  Project(m, Ed2D_GroupOf(m, g_Sel.g_CurGroupIndex));
  Doc_MarkEdited(DOC_BONE2);
}

void Ed2D_TexPanelMove(i32 x, i32 y) {
  Ed2DTexEditor &e = g_Ed2DTex;
  TexPanelMouse &pm = e.mouse;
  Bone2Model *m = CurrentSlotModel();
  f32 z = e.zoom > 0 ? e.zoom : 1.0f, px = (f32)x / z, py = (f32)y / z;
  f32 dx = px - e.prevX, dy = py - e.prevY;
  Group2 *g = CurGroup(m);
  if (pm.rectActive && pm.left != pm.right) {
    pm.rect[2] = x;
    pm.rect[3] = y;
    Ed2D_TexSelectRect(m, pm.rect[0], pm.rect[1], x, y, pm.left != 0);
  } else if (g && pm.left && !pm.right) {
    if (g->mappingKind >= 3) UvToolStep(m, dx, dy);
    else ProjectionStep(m, g, dx, dy, false);
  } else if (g && pm.left && pm.right) {
    if (g->mappingKind <= 2) ProjectionStep(m, g, dx, dy, true);
  } else if (pm.middle) {
    e.offX += (i32)(dx * e.zoom);
    e.offY += (i32)(dy * e.zoom);
  }
  e.prevX = px;
  e.prevY = py;
  MarkPanel();
  App_MarkAllRedraw(View_CurrentLayout());
}
