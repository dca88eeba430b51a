// g_Shell: the editor family and sub-mode, the view records of every layout and the view
// scheduling, the frame's camera and layout numbers, the refresh flags and the document flags,
// each field keeping the name the code has always used for it. The other records the shell and
// the editors share: g_Mouse (app/shell_mouse.h), g_Sel (app/shell_sel.h), g_Options
// (app/shell_options.h).
//
// Each group of fields names the files that may write it ("writers:", a folder standing for
// every file in it); a field's own "writers:" replaces its group's. The build's record check
// (tools/hookcheck writes) refuses a write from any other file.
//
// The frame render sees none of it: it draws the request the shell builds from g_Shell
// (View_FrameRequest, app/views.h).
#pragma once
#include "model/types.h"
#include "app/shell_ids.h"
#include "lib/framework/view_record.h"

extern u32 g_EditorMode;      // 1 when running as the editor (set by WinMain; defined in app/startup_state.cpp)

struct ShellContext;
extern ShellContext g_Shell;

struct ShellContext {
  // [family] family switching (App_EnterFamily / App_SwitchFamily, App_SetSubMode,
  // App_LoadFamilyMenu) and the start-up; the preview family's enter forgets the previous family.
  // writers: app/family.cpp app/startup_win.cpp
  u32 g_EditFamily;           // FAMILY_*
  u32 g_EditSubMode;          // current sub-mode = index of the current layout in g_Views
  u32 g_PrevEditFamily;       // writers: app/family.cpp app/preview.cpp
  u32 g_PrevEditSubMode;
  void *g_FamilyMenu;         // the family menu the enter hook loaded (destroyed on leave)
  u32 g_Family2DFrame[APP_FAMILY_COUNT];  // 1: 2D content in a centred 640x480 frame; writers: app/shell_services.cpp

  // [views] the shell's view code; editors change pan and zoom of the view their hook's
  // context names (app/hook_ctx.h), and counts only through View_SetCount.
  // writers: app/family.cpp app/settings.cpp app/shell_win.cpp app/startup_state.cpp app/startup_win.cpp app/views.cpp
  u32 g_DrawView;             // view of the current layout drawn this frame (the main loop); writers: app/startup_win.cpp app/preview_win.cpp app/views.cpp
  u32 g_ActiveView;
  f32 g_ViewFocus[3];
  f32 g_LastViewZoom;
  HWND__ *g_MainWindowHandle;  // the main window as the views know it (set by the Windows side)
  i32 g_ViewCount[APP_FAMILY_COUNT];

  // [camera and layout] start-up values (app/startup_state.h); the view commands and the
  // editors' camera keys change the perspective camera.
  // writers: app/startup_state.cpp app/nav.cpp edit3d/ scene/
  f32 g_PerspStep = 3.2f;     // camera distance step of the view commands
  f32 g_PerspOffset[3];       // perspective camera offsets
  f32 g_PerspAngleX = -20.0f, g_PerspAngleY = 20.0f;
  u32 g_Frame640;             // 640x480 projection flag (0 from the start-up on); writers: app/startup_win.cpp
  i32 g_DesktopHalfWidth, g_DesktopHalfHeight;   // writers: app/startup_state.cpp
  i32 g_StripRect[4];         // left, top, right, bottom of the time-line strips; writers: app/startup_state.cpp
  i32 g_MovieCameraObject = -1;  // the movie's camera object (-1 none); writers: scene/

  // [flags] editors set them; the shell and the panels clear what they act on.
  // writers: app/docflags.cpp app/family.cpp app/nav.cpp app/play.cpp app/shell_win.cpp app/startup_state.cpp app/strip.cpp app/update.cpp app/views.cpp edit3d/ edit2d/ scene/
  u32 g_Playing;              // 1 while a motion or movie plays
  u32 g_EditedFlag;           // an edit since the last undo step (app/docflags.h: since loaded)
  u32 g_EditDlgRefresh = 1;   // the selector mirrors the family into its buttons when 1
  u32 g_PendingRedraw;        // every view redrawn next pass
  u32 g_LayerDlgRefresh;      // the 3D editor's layer panel re-checks its buttons when 1
  u32 g_StripDirty[7];        // strip and panel flags, named by StripFlag (app/strip.h)
  i32 g_TitleCounter;         // passes since the title was last set; writers: app/update.cpp
  u32 g_ListSelMirror[LIST_SEL_MIRROR];   // selection of the 2D editor's list rows; writers: app/update.cpp

  // [documents] editors mark edits through app/docflags.h; loads, saves and new documents
  // clear. Editors write the undo label.
  // writers: app/docflags.cpp
  u32 g_DocChanged[DOC_KINDS];
  u32 g_DocRevision;
  char g_UndoLabel[DOC_UNDO_LABEL];   // the label of the next undo step; writers: app/docflags.cpp edit3d/ edit2d/

  // [views] the records of every layout, last because they are the big table. The main loop
  // (app/startup_win.cpp) sets the drawn view's client size and clears its redraw flag.
  // writers: app/family.cpp app/settings.cpp app/shell_win.cpp app/startup_win.cpp app/views.cpp edit3d/ edit2d/ scene/
  ViewRecord g_Views[APP_FAMILY_COUNT][APP_VIEWS_PER_LAYOUT];
};
extern ShellContext g_Shell;
