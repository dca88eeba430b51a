// The group panel "3D_GROUP_DLG" ("グループ") of sub-modes 14, 15 and 17: group selection,
// the apply button, the colour chooser, the two switches, the mirror and the copy, delete and
// move of groups, and the per-frame refresh of its fields.
//
// The decisions are portable (ed3d_group_dlg.cpp), and so are the reads and writes of the
// panel's fields (through the widget seam, app/widget.h); the dialog procedure
// (ed3d_group_win.cpp) passes its messages on. Every change of the model records an undo step
// under the panel's labels. The current texture is the texture sub-mode's (g_Ed3DTex.texture,
// ed3d_tex.h).
#pragma once
#include "app/hook_ctx.h"
#include "model/model3.h"
#include "model/types.h"

enum { GROUP_FIELD_TEXT = 64 };

// The panel's fields: the selected lines of its combo boxes (-1: none) and its edit texts.
struct Ed3DGroupFields {
  char name[MODEL3_NAME];
  i32 texture, disp, display;
  char height[GROUP_FIELD_TEXT], divisions[GROUP_FIELD_TEXT];
  char colour[4][GROUP_FIELD_TEXT];     // red, green, blue, transparency
  char specular[3][GROUP_FIELD_TEXT];   // red, green, blue
  u32 mirrorFlag, specularFlag;         // the two check boxes
  f32 heightValue, colourValue[4];      // the exact values behind height and colour (shown rounded)
};

// The selection of group list line `line`: the group, its polygons and vertices, its texture.
void Ed3D_GroupSelect(i32 line);
// A button of the panel (67 and Enter apply); false for ids that are not the panel's.
bool Ed3D_GroupCommand(u32 id);
// Applies the panel's fields (read through the widget seam) to the current group and the model.
void Ed3D_ApplyGroup(void);
// The same with the fields given.
void Ed3D_ApplyGroupFields(const Ed3DGroupFields *f);
// The family's list refresh: the group list with its combo boxes (the model may be new), of
// the records and layout of context c.
void Ed3D_FillPolygonList(const HookCtx *c);
// Per frame: shows the fields again when the layout's group panel record asks for it.
void Ed3D_RefreshGroupDialog(void);
// Asks for the per-frame refresh when the fields of the current group differ from what the
// panel last showed (so an edit elsewhere shows, and text being typed is not rewritten); the
// group, model and layout are those of context c.
void Ed3D_GroupFieldsFollow(const HookCtx *c);
// The fields the panel shows for group g of m.
void Ed3D_GroupFieldsOf(const Model3 *m, u32 g, Ed3DGroupFields *out);

// [SECTION] model-level steps (also the benchmark's)
// Flags the polygons of group g and every vertex they use; every other flag is cleared.
void Ed3D_SelectGroupFaces(const Model3 *m, u32 g);
