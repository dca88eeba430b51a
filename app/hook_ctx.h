// What a family hook acts on. The dispatchers (app/family.cpp) build one context per message
// or per drawn view and hand it to the hook; the hook and the steps under it work on these
// records and values, not on whichever view, model or selection the shell holds as current.
#pragma once
#include "model/types.h"

struct ViewRecord;
struct Model3;
struct Bone2Model;
struct ShellSelection;
struct ShellMouse;

struct HookCtx {
  // The view acted on: for a message the active view of the current layout, for a draw hook
  // the view being drawn.
  ViewRecord *view;
  u32 layout;      // the current layout (the sub-mode, or the family number)
  u32 viewIndex;   // index of view in the layout
  u32 activeView;  // the layout's active view (a message's view; a draw hook's may differ)
  i32 x, y;        // mouse cells and the double click: the message's decoded client position
  Model3 *model;   // the 3D model of the current slot (null when the slot is empty)
  u32 slot;        // that slot
  Bone2Model *model2;   // the 2D model the 2D model editors work on (2D slot 0)
  f32 perspAngleX, perspAngleY;   // the perspective camera's angles (main views)
  ShellSelection *sel;
  ShellMouse *mouse;
  u32 key;         // key cells: the virtual key
  u32 command;     // command cell: the command id
  i32 step;        // wheel key cell: -1 previous key frame, +1 next
};

// A family hook: every cell of a hook row has this one form. Headers declare their hooks
// with the function type (FamilyHookFn Name, Name2;); the rows hold pointers to them.
typedef void FamilyHookFn(const HookCtx *c);
typedef FamilyHookFn *FamilyHook;
