// The 3D polygon modelling editor (sub-mode 14): its global object. The selection, tool and
// pick state it shares with the 2D polygon editor are the shell's (app/startup_state.h,
// app/views.h).
//
// Ed3DPolyEditor is changed by the editor's panel, dialogs, picks and keys only (the writer of
// each field is named beside it); the start-up sets the move mode (Ed3D_SetStartState).
#pragma once
#include "model/types.h"

enum { POLY_STATUS_TEXT = 64 };

struct Ed3DPolyEditorState {
  // How the move tool moves vertices: 0 parallel to the view, 1 along the normals of the
  // selected faces, 2 along one model axis (the axis gizmo's). 0 at start-up.
  u32 moveMode;
  // The last vertex and face picks, -1 none (the picks, ed3d_poly.cpp and ed3d_poly_edit.cpp).
  i32 pickedVertex, pickedFace;
  // The modelling colour of the dialog's four boxes: red, green, blue, alpha (0..255), white at
  // start-up (the colour command, ed3d_poly_ops.cpp).
  i32 colour[4];
  // The selected vertex and face counts and the status line they make (ed3d_poly.cpp).
  u32 selVertCount, selFaceCount;
  char statusText[POLY_STATUS_TEXT];
  // 1: the modelling dialog shows the state again (set by the edits, cleared by its timer).
  u32 dlgRefresh;
  // The modelling dialog and POLY_NUM_DLG, null when closed, and their places (ed3d_poly_dlg.cpp,
  // the places by the dialogs' procedures in ed3d_poly_win.cpp).
  void *dlg, *numDlg;
  i32 dlgX, dlgY, numDlgX, numDlgY;
};
extern Ed3DPolyEditorState Ed3DPolyEditor;
