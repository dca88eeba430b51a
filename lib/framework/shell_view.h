// The library's view state: what the frame render reads about the views it draws (the
// editor family and sub-mode, the view records of every layout, the view being drawn, the
// per-family 2D-frame flags, the selected bone, the right-button flag of the views).
//
// The library owns this storage; the shell (app/) writes it and keeps its meaning
// (app/shell_services.h, app/views.h). The library only reads it, includes nothing above
// itself, and calls the shell only through g_LibHooks (scene and overlay passes of the frame).
#pragma once
#include "model/types.h"

struct HWND__;

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

// View kinds (ViewRecord::kind).
enum { VIEW_MAIN = 0, VIEW_FRONT = 1, VIEW_TOP = 2, VIEW_SIDE = 3, VIEW_PERS = 4 };

// One view of a layout; g_Views holds 24 layouts (one per sub-mode) of 8 views.
struct ViewRecord {
  u32 inUse;            // 1 when the view exists in this layout
  u32 shown;            // 1 when the view has its own window (views 1..7)
  i32 x, y, w, h;       // window rectangle in screen coordinates
  u32 kind;             // VIEW_*
  u32 extra[11];        // kept in the settings file with the record
  HWND__ *window;       // Present destination (view 0: the main window)
  u32 created;
  u32 redraw;           // 1 when the view must be drawn again
  i32 wait;             // passes waited since last drawn
  i32 clientW, clientH; // client size; the render size of movie views of kind 4
  i32 centerX, centerY;
  f32 panX, panY, panZ;
  f32 zoom;
};

extern u32 g_EditFamily;      // FAMILY_*
extern u32 g_EditSubMode;     // current sub-mode = index of the current layout in g_Views
extern u32 g_EditorMode;      // 1 when running as the editor (set by WinMain; defined in model/model3.cpp)
extern u32 g_DrawView;        // view of the current layout drawn this frame
extern ViewRecord g_Views[APP_FAMILY_COUNT][APP_VIEWS_PER_LAYOUT];
extern u32 g_Family2DFrame[APP_FAMILY_COUNT];  // 1: 2D content in a centred 640x480 frame
extern u32 g_SelectedBone;    // 0 = none
extern u32 g_RightButtonFlag; // right button held in a view

