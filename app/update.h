// The shell's per-frame update (App_UpdateFrame, declared in app/shell_services.h): view
// navigation, presentation options, the strips' key marks, playback, the window title, the
// family's update, the library's pose passes and the frame's camera and lights.
//
// The title counter, the list mirror and the pending redraw flag are fields of g_Shell. The
// platform fills the window calls of g_ShellSeam at start-up and the editors their entries of
// g_ShellEntries; an empty entry does nothing.
#pragma once
#include "model/types.h"
#include "app/shell_seam.h"
#include "app/entries.h"
#include "app/shell_ids.h"

enum { TITLE_PERIOD = 61, TITLE_TEXT = 600 };



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

// [SECTION] the door of every command
// Each message of the program's own windows (the main window, the views, every panel) and each
// frame's update is handled between App_CommandBegin and App_CommandEnd. The outermost Begin
// first lets the family's panels follow a document that changed since they last did
// (FamilyHooks::documentChanged), so a command that comes right after an undo, a load or a
// list edit, before any frame, works on current items the document has and that the panels
// then show. A message sent while another is handled passes straight through: its sender may
// be midway through a change.
void App_CommandBegin(void);
void App_CommandEnd(void);

// [SECTION] parts of the update
// The 2D list box's selection into g_Shell.g_ListSelMirror (a negative answer reads as unselected).
void App_MirrorListSelection(void);
// Camera and lights of the frame for the current family (after the library's pose passes).
void App_SetFrameCameraAndLights(void);
