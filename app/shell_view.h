// The shell's view state: the editor family and sub-mode, the view records of every layout,
// the view being drawn, the per-family 2D-frame flags, the selected bone, the right-button
// flag of the views. The shell writes it; the frame render sees it only through the request
// the shell builds from it (View_FrameRequest, app/views.h).
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

extern u32 g_EditFamily;      // FAMILY_*
extern u32 g_EditSubMode;     // current sub-mode = index of the current layout in g_Views
extern u32 g_EditorMode;      // 1 when running as the editor (set by WinMain; defined in model/model3.cpp)
extern u32 g_DrawView;        // view of the current layout drawn this frame
extern ViewRecord g_Views[APP_FAMILY_COUNT][APP_VIEWS_PER_LAYOUT];
extern u32 g_Family2DFrame[APP_FAMILY_COUNT];  // 1: 2D content in a centred 640x480 frame
extern u32 g_SelectedBone;    // 0 = none
extern u32 g_RightButtonFlag; // right button held in a view

