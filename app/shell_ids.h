// The shell's numbers and small shared types: family numbers and layout sizes, the kinds of
// document the shell tracks and the placement record of a tool dialog. The records the shell
// and the editors share have headers of their own (app/shell_view.h g_Shell,
// app/shell_mouse.h g_Mouse, app/shell_sel.h g_Sel, app/shell_options.h g_Options), so that a
// change to one rebuilds only its users.
#pragma once
#include "model/types.h"

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
// Each layer of the 3D editor is a document of its own, and so is the sound list of its model,
// which only a KZM file keeps (app/docflags.h Doc_LayerKind, Doc_SoundKind).
enum DocKind : u32 {
  DOC_MODEL3 = 0,   // layer 1 of the 3D editor, model slot 0 (KZP and the imported formats)
  DOC_OBJ3,         // 3D object sets (KZO)
  DOC_BONE2,        // 2D bone models (KZB)
  DOC_OBJ2,         // 2D object models (KZA)
  DOC_MOVIE,        // KZV
  DOC_COLLISION,    // KZC
  DOC_MAP2,         // MAP2
  DOC_EFFECT,
  DOC_PROGRAM,      // the program editor's script text
  DOC_LAYER2,       // layers 2..10 of the 3D editor, model slots 1..9, in order
  DOC_SOUNDS1 = DOC_LAYER2 + 9,   // the sound lists (KZM) of layers 1..10, in order
  DOC_KINDS = DOC_SOUNDS1 + 10,
  DOC_NONE = DOC_KINDS   // a command that replaces no document
};
enum { DOC_UNDO_LABEL = 256, LIST_SEL_MIRROR = 128 };

// Window handle and screen placement of a tool dialog; a null window means it is closed.
struct WindowHolder {
  void *window;
  u32 flags;
  i32 x, y, w, h;
};
