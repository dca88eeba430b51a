// The texture sub-mode (15) of the 3D editor: the model's texture list (add, delete,
// replace), the current group's mapping mode with its planar offset and scale, the three
// unfolds, the UV tools on the selected texture coordinates and the image panel that shows
// the current texture with the group's coordinates (painted by the shell's texture preview
// strip from g_Strip.g_StripTex3D, which this editor fills).
//
// Global owned here: g_Ed3DTex (the editor object). The texture panel "3D_TEX_DLG" and the
// image panel "3D_TEX_IMAGE_DLG" exist while the sub-mode is active; their procedures
// (ed3d_tex_win.cpp) pass commands and mouse positions to the functions below, which decide.
// The platform calls go through the widget seam (app/widget.h). The arithmetic is uv.h's.
#pragma once
#include "app/hook_ctx.h"
#include "app/tex_panel.h"
#include "model/types.h"
#include "resources/edit3d_tex_ids.h"

enum : u32 {
  TEX_TOOL_FRONT = 0, TEX_TOOL_TOP = 1, TEX_TOOL_SIDE = 2, TEX_TOOL_BY_HAND = 10,
  TEX_TOOL_SELECT = 11, TEX_TOOL_MOVE = 12, TEX_TOOL_ROTATE = 13, TEX_TOOL_SCALE = 14,
};

enum : u32 { TEX_PANEL_TEXTURES = 0, TEX_PANEL_IMAGE = 1 };

struct Ed3DTexEditor {
  u32 tool;            // TEX_TOOL_*
  u32 prevTool;        // 12..14: the tool a second press of 頂点選択 returns to
  i32 lastX, lastY;    // last mouse position of a drag (image pixels in the image panel)
  u32 refresh;         // 1: the texture panel shows the state again on its next message
  i32 texture;         // current texture (the group panel shows the same)
  i32 lastTexture;     // texture of the previous command (a change resets the image offset)
  u32 lastCommand;     // id of the previous command (a change reads the grid field)
  // The image view.
  i32 imageX, imageY;  // offset in panel pixels
  f32 scale;           // 0.25 .. 128, halved and doubled
  i32 grid;            // at least 1
  u32 snap;            // 0 / 1
  // One flag per texture coordinate (the UV tools act on the flagged ones).
  u32 *uvSel;
  u32 uvSelRoom;
  // The panels (null while closed) and the texture panel's size (the rotate tool's frame).
  void *panel, *list, *imagePanel;
  i32 panelX, panelY, panelW, panelH;
  // The image panel's mouse: buttons held, the select tool's rectangle (panel pixels), and
  // whether the left drag changed the model (its release records a step then).
  TexPanelMouse mouse;
  u32 dragEdited;
};
extern Ed3DTexEditor g_Ed3DTex;

// [SECTION] hooks of sub-mode 15 (edit3d/ed3d_rows.cpp)
FamilyHookFn Ed3D_TexEnter, Ed3D_TexLeave, Ed3D_TexUpdate, Ed3D_TexKeyUp, Ed3D_TexMouseMove,
    Ed3D_TexRButtonUp, Ed3D_TexLButtonUp;

// [SECTION] the texture panel
// A command of the panel: `focus` is the texture list's focus line (-1: none, the current
// texture stays), `gridText` the grid field's text (null while the field is disabled).
// False for the refused texture commands.
bool Ed3D_TexCommand(u32 id, i32 focus, const char *gridText);
// The texture table of model m.
void Ed3D_FillTextureList(const Model3 *m);
void Ed3D_TexRefreshLists(void);
// The tool buttons and keys on the current group of context c's model and layer (whose history
// takes the step of a switch to mapping by hand), the views of its layout redrawn.
void Ed3D_TexSelectTool(const HookCtx *c);
void Ed3D_TexMoveTool(const HookCtx *c);
void Ed3D_TexRotateTool(const HookCtx *c);
void Ed3D_TexScaleTool(const HookCtx *c);
void Ed3D_TexZoomIn(void);
void Ed3D_TexZoomOut(void);
void Ed3D_TexRotateFaceUVs(void);
// The grid size a field's text gives (at least 1).
i32 Ed3D_TexGridOf(const char *text);
// The button checked for the current group's mapping mode and for the tool (0: none).
u32 Ed3D_TexMappingButton(void);
u32 Ed3D_TexToolButton(void);

// [SECTION] the image panel (positions in panel client pixels)
void Ed3D_TexImageDown(u32 button, i32 x, i32 y);   // 0 left, 1 right, 2 middle
void Ed3D_TexImageMove(i32 x, i32 y);
void Ed3D_TexImageUp(u32 button, i32 x, i32 y);
// The select tool's rectangle (panel pixels): the coordinates of the current group's faces
// inside it become selected, or deselected.
void Ed3D_TexSelectRect(i32 x1, i32 y1, i32 x2, i32 y2, bool select);
