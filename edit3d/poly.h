// The 3D polygon modelling editor (sub-mode 14): its global object. The selection, tool and
// pick state it shares with the 2D polygon editor are the shell's (app/startup_state.h,
// app/views.h).
//
// Ed3DPolyEditor is changed by the editor's panel and keys only; the start-up sets it
// (Ed3D_SetStartState).
#pragma once
#include "model/types.h"

struct Ed3DPolyEditorState {
  // How the move tool moves vertices: 0 parallel to the view, 1 along the normals of the
  // selected faces, 2 along one model axis (the axis gizmo's). 0 at start-up.
  u32 moveMode;
};
extern Ed3DPolyEditorState Ed3DPolyEditor;
