// The shell's context: three records that hold the state the shell and the editors share,
// each field keeping the name the code has always used for it.
//
//   g_Shell  the editor family and sub-mode, the view records of every layout and the view
//            scheduling, the frame's camera and layout numbers, and the refresh flags.
//            Written by the shell (family switching, the main loop, the per-frame update);
//            editors write only the fields marked "editors".
//   g_Mouse  the mouse as the dispatchers decoded it, and the drag anchors. Written by the
//            dispatchers (app/family.cpp) and the anchor setters (app/drag_anchors.h).
//   g_Sel    what is current and selected: slots, bone, part, group, the polygon editors'
//            selection and work arrays, the tools. Written by the editors (and the File
//            menu when a document is replaced).
//
// The frame render sees none of it: it draws the request the shell builds from g_Shell
// (View_FrameRequest, app/views.h). The current model pointers are computed from g_Sel when
// asked (app/current.h).
#pragma once
#include "model/types.h"
#include "lib/framework/view_record.h"

enum {
  APP_FAMILY_COUNT = 24,   // family numbers 0..23 (also the number of view layouts)
  APP_VIEWS_PER_LAYOUT = 8,
};

// Editor families (g_EditFamily).
enum {
  FAMILY_PREVIEW = 0,
  FAMILY_2D_MODEL = 3,
  FAMILY_3D_MODEL = 11,
  FAMILY_EFFECT = 19,
  FAMILY_2D_MAP = 20,
  FAMILY_COLLISION = 21,
  FAMILY_MOVIE = 22,
  FAMILY_PROGRAM = 23,
};

// Kinds of document whose changes the shell tracks (app/docflags.h).
enum DocKind : u32 {
  DOC_MODEL3 = 0,   // the 3D editor's models (KZP, KZM and the imported formats)
  DOC_OBJ3,         // 3D object sets (KZO)
  DOC_BONE2,        // 2D bone models (KZB)
  DOC_OBJ2,         // 2D object models (KZA)
  DOC_MOVIE,        // KZV
  DOC_COLLISION,    // KZC
  DOC_MAP2,         // MAP2
  DOC_EFFECT,
  DOC_PROGRAM,      // the program editor's script text
  DOC_KINDS
};
enum { DOC_UNDO_LABEL = 256, LIST_SEL_MIRROR = 128 };

extern u32 g_EditorMode;      // 1 when running as the editor (set by WinMain; defined in model/model3.cpp)

struct ShellContext {
  // [family] the shell is the only writer (App_EnterFamily / App_SwitchFamily).
  u32 g_EditFamily;           // FAMILY_*
  u32 g_EditSubMode;          // current sub-mode = index of the current layout in g_Views
  u32 g_PrevEditFamily;
  u32 g_PrevEditSubMode;
  void *g_FamilyMenu;         // the family menu the enter hook loaded (destroyed on leave)
  u32 g_Family2DFrame[APP_FAMILY_COUNT];  // 1: 2D content in a centred 640x480 frame

  // [views] the shell changes windows and counts; editors change pan and zoom of g_CurView.
  u32 g_DrawView;             // view of the current layout drawn this frame (the main loop)
  u32 g_ActiveView;
  ViewRecord *g_CurView = &g_Views[0][0];   // never null: the record the code acting now must use
  f32 g_ViewFocus[3];
  f32 g_LastViewZoom;
  HWND__ *g_MainWindowHandle;  // the main window as the views know it (set by the Windows side)
  i32 g_ViewCount[APP_FAMILY_COUNT];

  // [camera and layout] start-up values (app/startup_state.h); the view commands and the
  // editors' camera keys change the perspective camera.
  f32 g_PerspStep = 3.2f;     // camera distance step of the view commands
  f32 g_PerspOffset[3];       // perspective camera offsets
  f32 g_PerspAngleX = -20.0f, g_PerspAngleY = 20.0f;
  u32 g_Frame640;             // 640x480 projection flag (the movie family sets it)
  i32 g_DesktopHalfWidth, g_DesktopHalfHeight;
  i32 g_StripRect[4];         // left, top, right, bottom of the time-line strips
  i32 g_MovieCameraObject = -1;  // the movie's camera object (the movie editor sets it, -1 none)

  // [flags] editors set them; the shell and the panels clear what they act on.
  u32 g_Playing;              // 1 while a motion or movie plays
  u32 g_EditedFlag;           // an edit since the last undo step (app/docflags.h: since loaded)
  u32 g_EditDlgRefresh = 1;   // the selector mirrors the family into its buttons when 1
  u32 g_PendingRedraw;        // every view redrawn next pass
  u32 g_LayerDlgRefresh;      // the 3D editor's layer panel re-checks its buttons when 1
  u32 g_StripDirty[7];        // strip and panel flags, named by StripFlag (app/strip.h)
  i32 g_TitleCounter;         // passes since the title was last set (the per-frame update)
  u32 g_ListSelMirror[LIST_SEL_MIRROR];   // selection of the 2D editor's list rows (the per-frame update)

  // [documents] editors mark edits; loads, saves and new documents clear (app/docflags.h).
  u32 g_DocChanged[DOC_KINDS];
  u32 g_DocRevision;
  char g_UndoLabel[DOC_UNDO_LABEL];   // the label of the next undo step

  // [views] the records of every layout, last because they are the big table.
  ViewRecord g_Views[APP_FAMILY_COUNT][APP_VIEWS_PER_LAYOUT];
};
extern ShellContext g_Shell;

struct DragAnchor { i32 x, y; };

struct ShellMouse {
  // The dispatchers decode every mouse message once into these.
  i32 g_MouseX, g_MouseY;
  i32 g_MouseMoveX, g_MouseMoveY;
  i32 g_MousePrevX, g_MousePrevY;
  f32 g_MouseMoveDX, g_MouseMoveDY;
  u32 g_RightButtonFlag;      // right button held in a view
  u32 g_ZKeyHeld;             // 1 from a Z key-down to the next Z key-up (app/keys.h)
  // The drag anchors (app/drag_anchors.h): the client position at which a drag began.
  DragAnchor g_MotionDragAnchor;      // (a) the motion editor's
  DragAnchor g_ObjMotionDragAnchor;   // (b) the object-motion editor's
  DragAnchor g_PolyDragAnchor;        // (c) the modelling editor's first
  DragAnchor g_PolyDragAnchor2;       // (d) and second
  i32 g_DragAnchorX, g_DragAnchorY;   // (e) the view pan anchor the navigation moves along
};
extern ShellMouse g_Mouse;

enum { POLY_FREE_POINTS = 4 };

struct ShellSelection {
  // [current] the editors' selection; the current pointers are computed from it.
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

  // [tools] start-up values (app/startup_state.h); the editors' tool buttons change them.
  u32 g_PolySelectMode = 1;   // polygon editors: 0 vertices, 1 faces
  u32 g_PolyTool = 5;         // polygon editors' current tool
  u32 g_MotionEditOp = 1;     // motion editors: 0 move, 1 rotate, 2 scale, 3 IK, 4 joint offset
  u32 g_GizmoAxis;            // axis chosen on the perspective view's gizmo (0 x, 1 y, 2 z)
  u32 g_PolyNoAutoPick = 1;   // hover pick off while non-zero

  // [polygon editors] the 3D modelling and the 2D polygon sub-mode (app/views.h).
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

// TRANSITION ALIASES
inline auto &g_EditFamily = g_Shell.g_EditFamily;
inline auto &g_EditSubMode = g_Shell.g_EditSubMode;
inline auto &g_PrevEditFamily = g_Shell.g_PrevEditFamily;
inline auto &g_PrevEditSubMode = g_Shell.g_PrevEditSubMode;
inline auto &g_FamilyMenu = g_Shell.g_FamilyMenu;
inline auto &g_Family2DFrame = g_Shell.g_Family2DFrame;
inline auto &g_DrawView = g_Shell.g_DrawView;
inline auto &g_ActiveView = g_Shell.g_ActiveView;
inline auto &g_CurView = g_Shell.g_CurView;
inline auto &g_ViewFocus = g_Shell.g_ViewFocus;
inline auto &g_LastViewZoom = g_Shell.g_LastViewZoom;
inline auto &g_MainWindowHandle = g_Shell.g_MainWindowHandle;
inline auto &g_ViewCount = g_Shell.g_ViewCount;
inline auto &g_PerspStep = g_Shell.g_PerspStep;
inline auto &g_PerspOffset = g_Shell.g_PerspOffset;
inline auto &g_PerspAngleX = g_Shell.g_PerspAngleX;
inline auto &g_PerspAngleY = g_Shell.g_PerspAngleY;
inline auto &g_Frame640 = g_Shell.g_Frame640;
inline auto &g_DesktopHalfWidth = g_Shell.g_DesktopHalfWidth;
inline auto &g_DesktopHalfHeight = g_Shell.g_DesktopHalfHeight;
inline auto &g_StripRect = g_Shell.g_StripRect;
inline auto &g_MovieCameraObject = g_Shell.g_MovieCameraObject;
inline auto &g_Playing = g_Shell.g_Playing;
inline auto &g_EditedFlag = g_Shell.g_EditedFlag;
inline auto &g_EditDlgRefresh = g_Shell.g_EditDlgRefresh;
inline auto &g_PendingRedraw = g_Shell.g_PendingRedraw;
inline auto &g_LayerDlgRefresh = g_Shell.g_LayerDlgRefresh;
inline auto &g_StripDirty = g_Shell.g_StripDirty;
inline auto &g_TitleCounter = g_Shell.g_TitleCounter;
inline auto &g_ListSelMirror = g_Shell.g_ListSelMirror;
inline auto &g_DocChanged = g_Shell.g_DocChanged;
inline auto &g_DocRevision = g_Shell.g_DocRevision;
inline auto &g_UndoLabel = g_Shell.g_UndoLabel;
inline auto &g_Views = g_Shell.g_Views;
inline auto &g_MouseX = g_Mouse.g_MouseX;
inline auto &g_MouseY = g_Mouse.g_MouseY;
inline auto &g_MouseMoveX = g_Mouse.g_MouseMoveX;
inline auto &g_MouseMoveY = g_Mouse.g_MouseMoveY;
inline auto &g_MousePrevX = g_Mouse.g_MousePrevX;
inline auto &g_MousePrevY = g_Mouse.g_MousePrevY;
inline auto &g_MouseMoveDX = g_Mouse.g_MouseMoveDX;
inline auto &g_MouseMoveDY = g_Mouse.g_MouseMoveDY;
inline auto &g_RightButtonFlag = g_Mouse.g_RightButtonFlag;
inline auto &g_ZKeyHeld = g_Mouse.g_ZKeyHeld;
inline auto &g_MotionDragAnchor = g_Mouse.g_MotionDragAnchor;
inline auto &g_ObjMotionDragAnchor = g_Mouse.g_ObjMotionDragAnchor;
inline auto &g_PolyDragAnchor = g_Mouse.g_PolyDragAnchor;
inline auto &g_PolyDragAnchor2 = g_Mouse.g_PolyDragAnchor2;
inline auto &g_DragAnchorX = g_Mouse.g_DragAnchorX;
inline auto &g_DragAnchorY = g_Mouse.g_DragAnchorY;
inline auto &g_CurSlot = g_Sel.g_CurSlot;
inline auto &g_Cur2DSlot = g_Sel.g_Cur2DSlot;
inline auto &g_CurBoneIndex = g_Sel.g_CurBoneIndex;
inline auto &g_PrevBone = g_Sel.g_PrevBone;
inline auto &g_BoneListDirty = g_Sel.g_BoneListDirty;
inline auto &g_CurPartIndex = g_Sel.g_CurPartIndex;
inline auto &g_CurGroupIndex = g_Sel.g_CurGroupIndex;
inline auto &g_SelectedBone = g_Sel.g_SelectedBone;
inline auto &g_PickedVertex = g_Sel.g_PickedVertex;
inline auto &g_PickedPolygon = g_Sel.g_PickedPolygon;
inline auto &g_PolySelectMode = g_Sel.g_PolySelectMode;
inline auto &g_PolyTool = g_Sel.g_PolyTool;
inline auto &g_MotionEditOp = g_Sel.g_MotionEditOp;
inline auto &g_GizmoAxis = g_Sel.g_GizmoAxis;
inline auto &g_PolyNoAutoPick = g_Sel.g_PolyNoAutoPick;
inline auto &g_PolySelFaces = g_Sel.g_PolySelFaces;
inline auto &g_PolySelVerts = g_Sel.g_PolySelVerts;
inline auto &g_FreeCreatePoints = g_Sel.g_FreeCreatePoints;
inline auto &g_FreeCreateCount = g_Sel.g_FreeCreateCount;
inline auto &g_PolyFaceNo = g_Sel.g_PolyFaceNo;
inline auto &g_PolyVertexNo = g_Sel.g_PolyVertexNo;
inline auto &g_PolyShowNormals = g_Sel.g_PolyShowNormals;
inline auto &g_PolyWorkVerts = g_Sel.g_PolyWorkVerts;
inline auto &g_PolyScreenPos = g_Sel.g_PolyScreenPos;
inline auto &g_PolyFaceCentres = g_Sel.g_PolyFaceCentres;
inline auto &g_PolyFaceNormals2D = g_Sel.g_PolyFaceNormals2D;
// END TRANSITION ALIASES
