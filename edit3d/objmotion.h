// The 3D object-motion editor (sub-mode 12): its global object. It always edits object set 0.
//
// Ed3DObjMotionEditor is changed by the editor's hooks and panels; the start-up sets it
// (Ed3D_SetStartState).
#pragma once
#include "model/types.h"

struct Ed3DObjMotionEditorState {
  // Its first field, 1 from the start-up on (the editor gives it its meaning when it is
  // built; the shell's start-up table names it by position only).
  u32 firstField;
};
extern Ed3DObjMotionEditorState Ed3DObjMotionEditor;
