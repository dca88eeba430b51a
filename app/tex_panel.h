// What the 2D and 3D texture sub-modes share in their texture panels: the image panel's mouse
// (the buttons held and the select tool's rectangle), the preview the shell's strip painter
// draws from them, the grid field's reading, the selected coordinates the preview marks and
// the texture table's choice of entry for "追加" and "入れ替え". Portable; each editor owns its
// records and passes them in.
#pragma once
#include "app/strip.h"
#include "app/strip_state.h"
#include "model/types.h"

// The image panel's mouse: buttons held (0/1) and the select tool's rectangle, panel pixels.
struct TexPanelMouse {
  u32 left, right, middle;
  i32 rect[4];   // x1, y1, x2, y2
  u32 rectActive;
};

// Button 0 left, 1 right, 2 middle goes down at (x, y). Under the select tool a lone left or
// right button starts the rectangle there.
void TexPanel_Press(TexPanelMouse *pm, u32 button, i32 x, i32 y, bool selectTool);
// The button goes up; the rectangle ends when neither left nor right is held.
void TexPanel_Release(TexPanelMouse *pm, u32 button);
// The sub-mode leaves: its preview leaves the strip dispatcher, its windows are destroyed in
// the order given (their handles emptied) and no button is held, no rectangle active.
void TexPanel_Leave(i32 strip, void **const windows[], i32 count, TexPanelMouse *pm);

// What the preview shows: the texture (-1: none), whether it is in use and the current group
// uses it, the zoom and pan, and the listings of the group's lines and the selected points.
struct TexPanelShown {
  i32 texture;
  bool inUse, groupUses;
  f32 zoom;
  i32 panX, panY;
  i32 (*lineCount)(void);
  void (*line)(i32 i, f32 out[4]);
  i32 (*pointCount)(void);
  void (*point)(i32 i, f32 out[2]);
};
// Fills the preview's record; the rectangle is drawn while it is active, in the right
// button's colour when the right button alone drags it.
struct StripTexView;
void TexPanel_ShowPreview(StripTexView *v, const TexPanelShown *s, const TexPanelMouse *pm);

// A command other than the previous one reads the grid field (gridText null: disabled).
void TexPanel_TakeCommand(u32 id, u32 *lastCommand, const char *gridText, i32 *grid);

// The selected coordinates the preview marks, listed again for each drawing.
struct TexPanelPoints {
  i32 count;
  u32 *entries;
  u32 room;
};
// Lists the flagged entries among the first n (at most the flags' room); their number.
i32 TexPanel_ListPoints(TexPanelPoints *p, const u32 *flags, u32 flagRoom, u32 n);
// Entry i of the list; false outside it.
bool TexPanel_Point(const TexPanelPoints *p, i32 i, u32 *entry);

// The texture table's "追加" (add) or "入れ替え" (replace) of the current entry: the entry to load
// and the file the user chose (*name null: cancelled). False, with the refusal said through
// `say`, for a full table or a replace of entry 0; an entry outside the table does nothing.
bool TexPanel_ChooseEntry(bool add, i32 current, i32 count, i32 capacity, void (*say)(const char *text), i32 *entry,
                          const char **name);
