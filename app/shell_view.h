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
  DOC_KINDS,
  DOC_NONE = DOC_KINDS   // a command that replaces no document
};
enum { DOC_UNDO_LABEL = 256, LIST_SEL_MIRROR = 128 };

extern u32 g_EditorMode;      // 1 when running as the editor (set by WinMain; defined in model/model3.cpp)

struct ShellContext;
extern ShellContext g_Shell;

struct ShellContext {
  // [family] the shell is the only writer (App_EnterFamily / App_SwitchFamily).
  u32 g_EditFamily;           // FAMILY_*
  u32 g_EditSubMode;          // current sub-mode = index of the current layout in g_Views
  u32 g_PrevEditFamily;
  u32 g_PrevEditSubMode;
  void *g_FamilyMenu;         // the family menu the enter hook loaded (destroyed on leave)
  u32 g_Family2DFrame[APP_FAMILY_COUNT];  // 1: 2D content in a centred 640x480 frame

  // [views] the shell changes windows and counts; editors change pan and zoom of the view
  // their hook's context names (app/hook_ctx.h).
  u32 g_DrawView;             // view of the current layout drawn this frame (the main loop)
  u32 g_ActiveView;
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
  // The moves since the last per-frame update summed: navigation turns by all of them, also
  // when several moves (Wine sends stale positions between the real ones) come in one pass.
  f32 g_NavMoveDX, g_NavMoveDY;
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
