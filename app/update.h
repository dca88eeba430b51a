// The shell's per-frame update (App_UpdateFrame, declared in app/shell_services.h): view
// navigation, presentation options, the strips' key marks, playback, the window title, the
// family's update, the library's pose passes and the frame's camera and lights.
//
// Global owned here: g_FrameEntries (the title counter, the list mirror and the pending
// redraw flag are fields of g_Shell). The
// platform fills the window calls of g_FrameEntries at start-up and the editors their
// entries; an empty entry does nothing.
#pragma once
#include "model/types.h"
#include "app/shell_view.h"

enum { TITLE_PERIOD = 61, TITLE_TEXT = 600 };


struct FrameEntries {
  // Platform: the view under activation becomes g_Shell.g_ActiveView / g_Shell.g_CurView; the main
  // window's title; the full-screen quad's colour (rebuilds the quad).
  void (*findActiveView)(void);
  void (*setMainTitle)(const char *text);
  void (*setScreenQuadColor)(f32 r, f32 g, f32 b, f32 a);
  // The 3D editor's list window: its top row, or -1 while it does not exist.
  i32 (*ed3dListTopIndex)(void);
  // The 2D editor's multi-selection list box: true while it exists and its refresh is not
  // suspended; the LB_GETSEL answer of a row (negative past the last row).
  bool (*list2DActive)(void);
  i32 (*list2DGetSel)(i32 row);
  // The 3D group panel's per-frame refresh.
  void (*refreshGroupDialog)(void);
  // The document of a scene family (effect, collision, movie) for the title: its file
  // name and version; false without one.
  bool (*sceneDocument)(u32 family, const char **name, i32 *version);
};
extern FrameEntries g_FrameEntries;

// [SECTION] title
enum TitleStyle : u32 { TITLE_CAPTION = 0, TITLE_NAME, TITLE_NAME_VERSION };
struct TitleDoc {
  u32 style;          // TitleStyle
  const char *name;   // null reads as ""
  i32 version;        // YEAR * 1000 + minor
};
// " %s   %s ( Ver %4.3f )", " %s   %s" or " %s", bounded to size.
void Title_Format(char *out, size_t size, const char *caption, const TitleDoc *doc);
// The document the title names in a family and sub-mode (preview: the model of slot 0 with
// polygons, its version only for a .kzp; 2D: the object model of g_Sel.g_Cur2DSlot in sub-mode 4, the
// bone model in 6..10; 3D: the object set of g_Sel.g_CurSlot in 12, the current model in 14..18;
// effect, collision, movie: the scene entry; 2D map and program: the caption only).
TitleDoc Title_DocOf(u32 family, u32 subMode);
// Counts a pass; every 61st sets the title of the current family. True when it was set.
bool App_TickTitle(void);

// [SECTION] parts of the update
// The 2D list box's selection into g_Shell.g_ListSelMirror (a negative answer reads as unselected).
void App_MirrorListSelection(void);
// Step 16: camera and lights of the frame for the current family.
void App_SetFrameCameraAndLights(void);
