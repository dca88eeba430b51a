// The 2D model's groups and textures: the group texture projection and the model-level edits
// behind the group dialog and the texture sub-mode (ed2d_uv.cpp), the group dialog
// "2D_GROUP_DLG" (ed2d_group.cpp) and the texture sub-mode (7) with its panel "2D_TEX_DLG"
// (ed2d_tex.cpp), whose preview the shell's strip painter draws from g_Strip.g_StripTex2D.
//
// Globals owned here: g_Ed2DGroup (the group dialog's state) and g_Ed2DTex (the texture
// sub-mode). The current group is the editors' shared g_Sel.g_CurGroupIndex: one outside the 2D
// model's groups counts as group 0. Window calls go through the widget seam (app/widget.h);
// the procedures in ed2d_win.cpp and ed2d_tex_win.cpp only pass messages on.
#pragma once
#include "app/hook_ctx.h"
#include "app/tex_panel.h"
#include "edit2d/ed2d.h"
#include "model/bone2.h"
#include "model/types.h"
#include "resources/edit2d_ids.h"

enum : u32 {
  ED2D_MAP_FRONT = 0, ED2D_MAP_PER_FACE = 5, ED2D_MAP_BY_HAND = 10,
  ED2D_UV_SELECT = 11, ED2D_UV_MOVE = 12, ED2D_UV_ROTATE = 13, ED2D_UV_SCALE = 14,
};

// The texture panel's template.
#define ED2D_TEX_PANEL "2D_TEX_DLG"

// [SECTION] model-level edits (ed2d_uv.cpp; no editor state)
// The group's texture coordinates from its mapping type: 0 planar front (the group's centre
// is added to the coordinate; offset p[0], p[1], scale p[2], p[3]), 5 one square per face;
// other types write nothing. Each live corner of the group first gets a UV entry no other
// corner uses (Ed2D_OwnGroupEntries). False for a group out of range, and, with the model
// unchanged, when the UV array has no room for the entries the corners need.
bool Ed2D_ProjectBone2Group(Bone2Model *m, i32 g);
// Gives every live corner of group g that shares its UV entry with another corner a copy of
// that entry of its own, appended. False, with the model unchanged, past Ed2D_UvRoom entries.
bool Ed2D_OwnGroupEntries(Bone2Model *m, i32 g);
// The UV entries a 2D model can hold: its array's room, at most what a 16-bit index reaches.
i32 Ed2D_UvRoom(const Bone2Model *m);
bool Ed2D_ProjectGroupUV(i32 slot, i32 g);
// Corner k + 1 of every live selected polygon takes corner k's UV index, the last wraps to 0.
void Ed2D_RotateFaceUVs(Bone2Model *m, const u32 *selFaces, u32 faceRoom);
// The mirrored copy of group g about x = 0 (vertices, colours and UV entries doubled, the
// group's polygons copied reversed; each new vertex takes its source's binding). The new
// vertices and polygons are selected, the old flags cleared. False, with the model unchanged,
// when an array or a 16-bit count has no room.
bool Ed2D_MirrorGroup(Bone2Model *m, i32 g, u32 *selFaces, u32 faceRoom, u32 *selVerts, u32 vertRoom);
// Number of live polygons per group (out: BONE2_MAX_GROUPS entries).
void Ed2D_GroupPolyCounts(const Bone2Model *m, i32 out[BONE2_MAX_GROUPS]);
// The group the editors' current group stands for in m (0 when outside its groups).
i32 Ed2D_GroupOf(const Bone2Model *m, u32 cur);

// The fields of "決定" as the dialog holds them.
struct Ed2DGroupFields {
  const char *name;
  i32 textureRow;       // -1: none
  i32 shadeRow;         // -1: none
  const char *colour[4];   // r, g, b, alpha
};
// Membership of the selected polygons, name, texture (a row at or above the texture count,
// or none, gives 0) and shading (none keeps it); then the colour when all four fields are
// numbers (clamped to 0..255). False when the colour was not applied.
bool Ed2D_ApplyGroup(Bone2Model *m, i32 g, const u32 *selFaces, u32 faceRoom, const Ed2DGroupFields *f);
// Texture entry n := the name, in use (the count is the caller's). False for entry 0, an
// entry above the count or past the table.
bool Ed2D_SetTextureEntry(Bone2Model *m, i32 n, const char *name);
// "追加": the count grows while below 128; the new current group (count - 1).
i32 Ed2D_AddGroup(Bone2Model *m);

// [SECTION] list texts
void Ed2D_GroupListLines(const Bone2Model *m, i32 cur, Ed2DLines *out);
// " 0 : テクスチャ無し", then "%2d : %s" (used) or "%2d :" for entries 1 .. count - 1.
void Ed2D_TextureLines(const Bone2Model *m, i32 select, Ed2DLines *out);
void Ed2D_ShadeLines(i32 select, Ed2DLines *out);

// [SECTION] group dialog (ed2d_group.cpp)
struct Ed2DGroupDlg {
  i32 lastGroup;      // the group selected last (a change of row selects its polygons)
  u32 refresh;        // 1: the dialog shows the group at its next message
};
extern Ed2DGroupDlg g_Ed2DGroup;

// The fills show the group of sel's current group and 2D slot (the dialog's handlers pass g_Sel).
void Ed2D_FillGroupList(const ShellSelection *sel);
void Ed2D_FillGroupTextureList(const ShellSelection *sel);
void Ed2D_FillShadeList(const ShellSelection *sel);
void Ed2D_RefreshGroupList(void);
// A command of the dialog; `row` is the group list's current row (-1: none).
void Ed2D_GroupDlgCommand(u32 id, i32 row);
// Puts the group list again when the lines it would show differ from those it shows.
void Ed2D_GroupListFollow(const ShellSelection *sel);
// Any other message: shows the group while the refresh flag is 1.
void Ed2D_GroupDlgTick(void);
// Every polygon and vertex flag cleared, then group g's polygons (live or removed) and their
// corner vertices selected: sel's flags (g_Sel's without sel).
void Ed2D_SelectGroupPolygons(const Bone2Model *m, ShellSelection *sel, i32 g);
void Ed2D_SelectGroupPolygons(const Bone2Model *m, i32 g);
// The current group changed to g: texture, selection, preview offset, refreshes.
void Ed2D_GroupRowChanged(i32 g);

// [SECTION] texture sub-mode (ed2d_tex.cpp)
struct Ed2DTexEditor {
  i32 texture;          // current texture, 0..127
  i32 lastTexture;      // of the previous command (a change resets the preview offset)
  u32 lastCommand;      // id of the previous command (a change reads the grid field)
  u32 tool;             // ED2D_UV_* or 0, 2, 10
  u32 *uvSel;           // one flag per UV entry the model can hold
  u32 uvSelRoom;
  f32 zoom;             // 0.25 .. 128
  i32 offX, offY;       // preview offset, panel pixels
  u32 snap;
  i32 grid;             // at least 1
  TexPanelMouse mouse;  // buttons held; the selection rectangle (panel pixels) of tool 11
  f32 prevX, prevY;     // last mouse position in the panel, divided by the zoom
  u32 refresh;
  void *panel, *list;
  i32 panelX, panelY, panelW, panelH;
};
extern Ed2DTexEditor g_Ed2DTex;


FamilyHookFn Ed2D_TexInit, Ed2D_TexLeave, Ed2D_TexUpdate, Ed2D_TexMouseMove;
// Left down: every editor's drag anchors and the rectangle's start, as in the modelling sub-mode.
FamilyHookFn Ed2D_TexLButtonDown;
void Ed2D_FillTextureList(const ShellSelection *sel);
void Ed2D_TexRefreshLists(const ShellSelection *sel);
void Ed2D_TexRotateUV(void);
void Ed2D_TexZoomIn(void);
// The side of the panel's square UV preview: STRIP_PANEL, smaller on a low desktop.
i32 Ed2D_TexPreviewSide(void);
void Ed2D_TexZoomOut(void);
// A command of the panel: `row` the texture list's current row (-1: none), `gridText` the
// grid field (null while disabled). False for a refused texture command.
bool Ed2D_TexCommand(u32 id, i32 row, const char *gridText);
// Mouse in the panel (client pixels): button 0 left, 1 right, 2 middle.
void Ed2D_TexPanelDown(u32 button, i32 x, i32 y);
void Ed2D_TexPanelUp(u32 button);
void Ed2D_TexPanelMove(i32 x, i32 y);
// The UV selection of tool 11: the UV entries of the current group's polygons whose preview
// point lies strictly inside the rectangle become selected, or deselected.
void Ed2D_TexSelectRect(const Bone2Model *m, i32 x1, i32 y1, i32 x2, i32 y2, bool select);
// The preview offset that shows a w x h texture in the middle of the preview (a new texture
// row and a new group row both start there).
void Ed2D_TexCentrePreview(i32 w, i32 h);
// The button checked for the current group's mapping type and for the tool (0: none).
u32 Ed2D_TexMappingButton(void);
u32 Ed2D_TexToolButton(void);
