// Key-frame time-line strips and the small GDI panels: the one shared canvas, its drawing
// operations, the time-line geometry, the strip-window records the owning dialogs fill and
// the dispatcher that repaints every strip whose dirty flag is set.
//
// The canvas is a 1600 x 1024 array of 32-bit words (blue, green, red: word = b | g << 8 |
// r << 16); pixel (x, y) is word y * 1600 + x. Every pixel operation writes it directly and
// clips to it, so the painting code runs natively and is checked word for word. Text goes
// through g_ShellSeam.stripText (GDI TextOut into the same bitmap on Windows, a recorder in
// tests), and the finished rectangle goes to the strip's window through g_ShellSeam.stripBlit.
//
// Globals owned here: g_StripCanvas and g_Strip (geometry, window records, data sources:
// app/strip_state.h). The owning editors fill the window records, the data sources and their
// dirty flags; the dispatcher clears the flags it acts on.
#pragma once
#include "model/types.h"
#include "app/hook_ctx.h"
#include "app/shell_seam.h"

enum {
  STRIP_CANVAS_W = 1600,
  STRIP_CANVAS_H = 1024,
  STRIP_HEADER = 28,        // rows 0..27 are the frame ruler
  STRIP_ROW = 21,           // row height of the hierarchical strips
  STRIP_ROW_WIDE = 25,      // row height of the effect and movie strips
  STRIP_LABEL_X = 188,      // x of the separator; the key area starts at 189
  STRIP_DIVISOR_MAX = 64,
  STRIP_TEXT = 256,         // the library's text buffer
  STRIP_RULER_STEP = 60,    // frames between ruler numbers
  STRIP_PANEL = 512,        // side of the texture previews
};

// Colour of a canvas word.
static inline u32 Strip_RGB(u32 r, u32 g, u32 b) { return (b & 0xFF) | (g & 0xFF) << 8 | (r & 0xFF) << 16; }

// The canvas (never null: a portable array until the Windows side hands over its bitmap).
extern u32 *g_StripCanvas;

// Start-up values: left 0, right 1024, divisor 4, offsets 0, margin 0, row top 90, bottom
// from g_StripRect.
void Strip_ResetGeometry(void);
// Setters the owning dialogs use: the divisor is kept within 1..64, the offsets at most 0.
void Strip_SetDivisor(i32 d);
void Strip_SetOffsets(i32 x, i32 y);
// The divisor as drawn (the stored value clamped into 1..64).
i32 Strip_Divisor(void);

// The movie strip's rows, one mapping for drawing and picking: the top of row i on the
// canvas (row top + vertical offset + 25 i), and the row under canvas y (-1 above the rows).
i32 Strip_MovieRowTop(i32 row);
i32 Strip_MovieRowAt(i32 y);

// [SECTION] drawing operations
// Windows: creates the DIB section from the main window's device context, makes it the
// canvas, fills the strip calls of g_ShellSeam and sets the text colour white (app/strip_win.cpp). Natively the
// canvas is a portable array from the start.
void Strip_CreateCanvas(void);
void Strip_SetTextColor(u32 r, u32 g, u32 b);
// Formats into the library's text buffer (bounded, CP932-safe) and draws it at (x, y).
void Strip_TextOut(i32 x, i32 y, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
void Strip_SetPixel(i32 x, i32 y, u32 r, u32 g, u32 b);
// A 1-pixel solid line from (x1, y1) up to but not including (x2, y2), as LineTo draws it.
void Strip_Line(i32 x1, i32 y1, i32 x2, i32 y2, u32 r, u32 g, u32 b);
// Horizontal lines for y = y1 .. y2 - 1 from x1 to x2 (x2 left out).
void Strip_FillRect(i32 x1, i32 y1, i32 x2, i32 y2, u32 r, u32 g, u32 b);
// The outline: four lines.
void Strip_Rect(i32 x1, i32 y1, i32 x2, i32 y2, u32 r, u32 g, u32 b);
// Clears the whole canvas to black.
void Strip_ClearCanvas(void);

// The platform's part (text into the canvas, the blit to a window) is g_ShellSeam.stripText
// and stripBlit (app/shell_seam.h); empty entries do nothing.

// [SECTION] windows and flags
// Dispatcher entries, in the order the dispatcher runs them.
enum StripEntry {
  STRIP_GROUP2_SWATCHES = 0,  // 2D group dialog
  STRIP_OBJ2_IMAGE,           // image preview of the 2D object image dialog
  STRIP_OBJ2_KEYS,            // 2D object key strip
  STRIP_TEX2D,                // preview of the 2D texture dialog
  STRIP_BONE2_KEYS,           // 2D motion key strip
  STRIP_GROUP3_SWATCHES,      // group panel of the current 3D layout
  STRIP_KZO_KEYS,             // key strip of the 3D object motion editor
  STRIP_TEX3D,                // preview of the 3D texture image dialog
  STRIP_MOTION3_KEYS,         // key strip of the 3D bone / group motion editor
  STRIP_EFFECT_KEYS,          // effect editor's strip
  STRIP_MOVIE_KEYS,           // movie editor's strip
  STRIP_ENTRIES
};

// The seven flags App_MarkAllRedraw sets (g_StripDirty of app/views.h), by name. The
// swatch and texture flags are each shared by a 2D and a 3D window: the 2D one, when open,
// takes the flag first.
enum StripFlag {
  STRIP_FLAG_SWATCHES = 0,   // group swatches (the group dialogs set it after an edit)
  STRIP_FLAG_TEXTURES,       // texture previews
  STRIP_FLAG_EFFECT,         // effect strip
  STRIP_FLAG_OBJ2_IMAGE,     // 2D object image preview
  STRIP_FLAG_OBJ2_KEYS,      // 2D object key strip
  STRIP_FLAG_SKETCH_PANEL,   // refresh flag of the sketch dialog
  STRIP_FLAG_PANEL,          // the second panel flag of other editors
  STRIP_FLAG_COUNT
};

// Opens / closes an entry's window (an owner calls this when its window is made or
// destroyed); the size is the client size. Entries outside the table are ignored.
void Strip_Register(i32 entry, void *window, i32 width, i32 height);
void Strip_Unregister(i32 entry);

// The dispatcher: every entry whose flag is 1 and whose window exists, in StripEntry order,
// with one context of the shell's (Family_ShellContext) for the pass; the movie strip on every
// run in the movie family.
void Strip_RedrawDirty(void);
// Start-up (after g_StripRect is set): the geometry and preview defaults, and
// Strip_RedrawDirty as the main loop's redrawStrips.
void Strip_Install(void);

// [SECTION] strips and panels (each paints the canvas and copies it to its window)
// Those that show a selection or a model take them from the context: the 2D strips the models
// of its selection's slots, the 3D strips and swatches its model, each the current bone, part
// or group of its selection.
void Strip_DrawBone2Keys(const HookCtx *c);
void Strip_DrawObj2Keys(const HookCtx *c);
void Strip_DrawBone3Keys(const HookCtx *c);
void Strip_DrawGroup3Keys(const HookCtx *c);
void Strip_DrawKzoKeys(void);
void Strip_DrawEffectKeys(void);
void Strip_DrawMovieKeys(void);
void Strip_DrawObj2Image(const HookCtx *c);
void Strip_DrawGroup2Swatches(const HookCtx *c);
void Strip_DrawGroup3Swatches(const HookCtx *c);
void Strip_DrawTex2D(void);
void Strip_DrawTex3D(void);

// The per-frame key copy in the context's layout: the key frames of the tracks of its model
// (3D motion: the current motion of c->model over the bones of slot 0's model; 2D motion:
// c->model2) into the rows.
void Strip_CopyKeys2D(const HookCtx *c);
void Strip_CopyKeys3D(const HookCtx *c);

// Test support: every global of this facility back to its zero / start-up state.
void Strip_ResetForTest(void);
