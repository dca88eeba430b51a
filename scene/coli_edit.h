// The collision editor (family 21): five test characters walk in the collision set of
// g_Coli.doc while its movement range, box walls and circle walls are edited in three
// small panels chosen in a selector panel; the mouse picks the wall nearest to the cursor and
// moves, turns or scales it.
//
// Global owned here: g_ColiEdit (the editor state and its four panels). The panels are
// portable handlers: Coli_PanelCommand takes a control id (and the range panel's typed texts),
// Coli_PanelView gives what a panel shows; the Windows side only creates the windows and
// copies values in and out (scene/coli_edit_win.cpp). Projection and drawing go through
// g_SceneSeam (scene/scene_seam.h), which native tests replace.
#pragma once
#include "app/hook_ctx.h"
#include "model/types.h"
#include "resources/coli_edit_ids.h"   // control ids of the four templates
#include "scene/coli.h"
#include "scene/scene_seam.h"

enum ColiTarget : u32 { COLI_TARGET_RANGE = 0, COLI_TARGET_BOXES = 1, COLI_TARGET_CIRCLES = 2 };
enum ColiMode : u32 { COLI_MODE_MOVE = 0, COLI_MODE_ROTATE, COLI_MODE_SCALE, COLI_MODE_DUPLICATE, COLI_MODE_DELETE };
enum ColiPanel : u32 { COLI_PANEL_SELECT = 0, COLI_PANEL_RANGE, COLI_PANEL_BOX, COLI_PANEL_CIRCLE, COLI_PANELS };
enum { COLI_CHARACTERS = 5 };   // test characters in model slots and scene objects 0..4

struct ColiEditor {
  u32 target;                   // ColiTarget
  u32 boxMode, circleMode;      // ColiMode (circles have no rotate)
  i32 curBox, curCircle;        // -1: none
  u8 boxSelected[COLI_BOXES];   // set on a duplicate, cleared by compaction
  u8 circleSelected[COLI_CIRCLES];
  void *panels[COLI_PANELS];    // window of each panel (null: not open)
  u32 refresh[COLI_PANELS];     // 1: the panel shows its values again (the panel clears it)
};
extern ColiEditor g_ColiEdit;

// The template name of panel p (COLI_PANEL_*), null for another; the panels are made and
// destroyed through the widget seam (app/widget.h).
const char *Coli_PanelName(u32 p);

// [SECTION] Records
// Record k not in use; with a model in slot 0 it sits at scene object 0 with angle 0, size 5.
void Coli_ResetBox(i32 k);
void Coli_ResetCircle(i32 k);
// Moves the records in use to the front keeping their order; the count follows.
void Coli_CompactBoxes(void);
void Coli_CompactCircles(void);
// "追加": the first free record made current-ready; false after the table-full message.
bool Coli_AddBox(void);
bool Coli_AddCircle(void);
// The set takes m as its collision model (owned from then on, the old one freed) with the name
// of its file. False (m still the caller's) without a set or when the name does not fit.
bool Coli_SetModel(Model3 *m, const char *name);
// Sets the three target panels' refresh flags and flags every view of layout `layout` for
// redraw (the row's cell passes its context's).
void Coli_RefreshLists(u32 layout);
// Makes t the edit target: the other target panels are closed, t's panel opened.
void Coli_SetTarget(u32 t);

// [SECTION] Family hooks
FamilyHookFn Coli_Enter, Coli_Leave, Coli_DocumentChanged, Coli_Update, Coli_MouseMove, Coli_LButtonUp, Coli_KeyDown,
    Coli_Draw, Coli_DrawScene;

// [SECTION] Panels
enum { COLI_VIEW_TEXTS = 5, COLI_VIEW_TEXT = 64 };
// What a panel shows: texts by control id (edit fields and labels) and the pressed button.
struct ColiPanelView {
  u32 count;
  u32 ids[COLI_VIEW_TEXTS];
  char texts[COLI_VIEW_TEXTS][COLI_VIEW_TEXT];
  f64 values[COLI_VIEW_TEXTS];   // the number a text shows (rounded), where bit i of `valued` is set
  u32 valued;
  u32 pressed;    // control id shown pressed (0: none)
  u32 buttons[5]; // the panel's mode or target buttons (0: no button in that place)
};
void Coli_PanelView(u32 panel, ColiPanelView *out);
// The range panel's typed texts in the order min x, max x, min z, max z, min y.
struct ColiRangeTexts {
  const char *text[5];
};
// A control of panel p was pressed. range: the typed texts (range panel's "決定" only).
void Coli_PanelCommand(u32 panel, u32 id, const ColiRangeTexts *range);
// Where panel p opens and its size (x, y, w, h) on a desktop `screenW` wide.
void Coli_PanelRect(u32 panel, i32 screenW, i32 rect[4]);
