// The options dialog "OPTION_DLG", decided in portable code. Its dialog procedure
// (shell_win.cpp) is glue: it hands a clicked control's id to Options_Command, with the
// polygon limit's text as the dialog shows it, and puts what Options_Show returns into the
// controls. The editors' panels are built the same way: a portable handler (control id and
// values in, state changes out) and a thin dialog procedure.
//
// The options themselves are globals of the shell (settings.h) and the library (lib.h);
// the settings file keeps them.
#pragma once
#include "model/types.h"

// What a command meant to the dialog.
enum OptionsAnswer : u32 {
  OPTIONS_NOT_MINE,   // no control of the dialog: the default handling applies
  OPTIONS_CHANGED,    // an option changed: the dialog shows the values again, the views redraw
  OPTIONS_CLOSE,      // the close button: the polygon limit was taken, the window goes
};

enum { OPTIONS_CHECKS = 10, OPTIONS_TEXT = 16 };

// What the dialog's controls show: every check box by id, and the polygon limit's text.
struct OptionsShown {
  struct { i32 id; u8 on; } checks[OPTIONS_CHECKS];
  char maxPolygons[OPTIONS_TEXT];
};

// The click of control id; maxPolygonsText is the limit's edit text (read when closing;
// may be null otherwise).
OptionsAnswer Options_Command(i32 id, const char *maxPolygonsText);
void Options_Show(OptionsShown *out);

// The vertical-sync and CPU-occupy toggles of layout `layout` (the current one: the check
// boxes and the F3 / F4 keys pass their context's): the layout's byte (what the box shows) is
// flipped and the new value put in effect, so box, byte and device always agree.
void Options_ToggleVSync(u32 layout);
void Options_ToggleCpuOccupy(u32 layout);
// Antialiasing on when it is off and off when on (check box IDC_OPT_ANTIALIAS and F2); the device decides
// (no 4x multisampling, or fullscreen, leaves it off) and the box shows what it made of it.
void Options_ToggleAntialias(void);
// Clamps a polygon limit to 10000..65000: typed text (no number reads as 0) or a stored value.
i32 Options_ClampMaxPolygons(long v);
i32 Options_ParseMaxPolygons(const char *text);
