// Background sketch images under the Front, Top and Side views, chosen in the small modeless
// dialog "SKETCH_DLG" ("下絵") opened from a view window's menu. The modelling draw reads
// g_Sketch to draw a view's image; this facility only names, loads and shows or hides them.
//
// Global owned here: g_Sketch. The dialog's procedure (sketch_win.cpp) and the choices below
// change it; App_MarkAllRedraw sets its refresh flag.
#pragma once
#include "lib/draw/image.h"
#include "model/types.h"

enum SketchView : u32 { SKETCH_FRONT = 0, SKETCH_TOP, SKETCH_SIDE, SKETCH_VIEWS };
enum { SKETCH_NAME = 256 };

struct SketchState {
  void *window;                          // the dialog, null while closed
  u32 show;                              // "表示"
  u32 refresh;                           // the dialog copies the state into its controls when 1
  char names[SKETCH_VIEWS][SKETCH_NAME]; // bare file names as the file dialog returns them
  ImageHandle images[SKETCH_VIEWS];      // the image shown under each view
  // The row a new choice loads into; swapped with images[] when the load succeeds, so a file
  // that does not load leaves the view's image as it was and each view uses two rows at most.
  ImageHandle spare[SKETCH_VIEWS];
};
extern SketchState g_Sketch;

// The view a dialog button chooses for (IDC_SKETCH_FRONT, _TOP, _SIDE), or SKETCH_VIEWS.
u32 Sketch_ViewOfButton(u32 id);
// Loads a chosen file for a view: an empty name (a cancelled dialog) changes nothing; a file
// that loads becomes the view's image and name; one that does not keeps both and says
// "%s を開くことができませんでした。". True when the view's image changed.
bool Sketch_Load(u32 view, const char *name);
// The file dialog ("*", "下絵用のファイルを、選択して下さい。", the view's name as default)
// owned by the main window, then Sketch_Load.
bool Sketch_Choose(u32 view);
// "表示": flips the show flag and flags every view for redraw.
void Sketch_ToggleShow(void);
// A command of the dialog (the three file buttons and "表示"); false for other ids.
bool Sketch_Command(u32 id);
