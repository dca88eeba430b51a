// The two modeless dialogs of polygon modelling: the modelling dialog (template 133,
// "モデリング") and the numeric input "POLY_NUM_DLG". Created by the sub-mode's enter,
// destroyed by its leave.
//
// The decisions are portable (ed3d_poly_dlg.cpp): a command id, or the texts of the boxes a
// command reads, go in; the operation runs (ed3d_poly_ops.h), its label is written and the
// undo step recorded. The dialog procedures (ed3d_poly_win.cpp) read the controls, call these
// and show the state again on their 50 ms timer while Ed3DPolyEditor.dlgRefresh is 1.
//
// Globals owned here: the dialog handles and their last screen positions. The dialogs are
// made through the widget seam (app/widget.h), where ed3d_poly_win.cpp registers them.
#pragma once
#include "app/hook_ctx.h"
#include "edit3d/poly.h"
#include "model/types.h"

struct Model3;
struct ShellMouse;
struct ShellSelection;

enum PolyDialog : u32 { POLY_DLG_MAIN = 0, POLY_DLG_NUMERIC = 1 };

// The two dialogs' names on the widget seam (the modelling dialog's template is id 133).
extern const char *const kPolyDlgNames[2];
// The dialogs' handles and places are Ed3DPolyEditor's (poly.h).

// Creates the missing dialogs at their places; destroys both (handles cleared).
void Ed3D_PolyOpenDialogs(void);
void Ed3D_PolyCloseDialogs(void);

// A command of the modelling dialog that reads no control (every id of its table but
// IDC_POLY_COLOUR and IDC_POLY_APPLY); the Delete / D and M keys come here too. False for any
// other id.
bool Ed3D_PolyDlgCommand(u32 id);
// The same on the records of context c (the key hooks pass theirs, the dialog the shell's):
// its model, selection, mouse record, layer, layout and active view.
bool Ed3D_PolyCommand(const HookCtx *c, u32 id);
// The same on model m with selection sel and mouse record mouse, the rest the shell's.
bool Ed3D_PolyCommand(Model3 *m, ShellSelection *sel, ShellMouse *mouse, u32 id);
// IDC_POLY_APPLY "決定" and the colour chooser: the colour of the four boxes' texts onto the
// selection, recorded under the label.
void Ed3D_PolyColourCommand(const char *const text[4], const char *label);
// IDC_PNUM_APPLY "決定" of POLY_NUM_DLG with the texts of X, Y and Z.
void Ed3D_PolyNumericCommand(const char *const text[3]);

// The texts the modelling dialog shows for the current model: its four counts.
void Ed3D_PolyCountTexts(char out[4][32]);
