// g_Sel: what is current and selected: slots, bone, part, group, the polygon editors'
// selection and work arrays, the tools. The fields keep the names the code has always used for
// them; each group names the files that may write it ("writers:", checked by the build,
// tools/hookcheck writes).
#pragma once
#include "model/types.h"

enum { POLY_FREE_POINTS = 4 };

struct ShellSelection {
  // [current] the editors' selection (the current model pointers are computed from it,
  // app/current.h); the File menu resets it when a document is replaced, the preview family
  // and the movie editor choose their slot.
  // writers: app/filemenu.cpp app/preview.cpp app/startup_state.cpp edit3d/ edit2d/ scene/
  u32 g_CurSlot;              // current 3D model slot / layer
  u32 g_Cur2DSlot;            // current 2D slot
  u32 g_CurBoneIndex;         // shared by the 2D and 3D bone editors
  u32 g_PrevBone;             // the current bone before its last change
  u32 g_BoneListDirty;        // 1: the bone list shows the current bone again
  u32 g_CurPartIndex;         // shared by the 2D and 3D object editors
  u32 g_CurGroupIndex;        // current group of the 3D editor's layer model
  u32 g_SelectedBone;         // 0 = none
  i32 g_PickedVertex = -1;    // the File menu resets both when a model is replaced
  i32 g_PickedPolygon = -1;

  // [tools] start-up values (app/startup_state.h); the editors' tool buttons change them,
  // the settings file keeps the hover-pick switch.
  // writers: app/startup_state.cpp app/settings.cpp edit3d/ edit2d/
  u32 g_PolySelectMode = 1;   // polygon editors: 0 vertices, 1 faces
  u32 g_PolyTool = 5;         // polygon editors' current tool
  u32 g_MotionEditOp = 1;     // motion editors: 0 move, 1 rotate, 2 scale, 3 IK, 4 joint offset
  u32 g_GizmoAxis;            // axis chosen on the perspective view's gizmo (0 x, 1 y, 2 z)
  u32 g_PolyNoAutoPick = 1;   // hover pick off while non-zero

  // [polygon editors] the 3D modelling and the 2D polygon sub-mode; the shell allocates the
  // arrays and clears the selection (app/views.h, app/poly_select.h).
  // writers: app/views.cpp app/poly_select.cpp edit3d/ edit2d/
  u32 *g_PolySelFaces;        // one flag per face (null until allocated)
  u32 *g_PolySelVerts;        // one flag per vertex
  f32 g_FreeCreatePoints[POLY_FREE_POINTS][3];
  u32 g_FreeCreateCount;
  i32 g_PolyFaceNo = -1, g_PolyVertexNo = -1;
  u32 g_PolyShowNormals;
  u32 *g_PolyWorkVerts;
  f32 *g_PolyScreenPos;
  f32 *g_PolyFaceCentres;
  f32 *g_PolyFaceNormals2D;
};
extern ShellSelection g_Sel;
