// The 2D map editor (family 20): the editor object (g_Map2Editor) with the tile map document
// and its 16 tile image slots, the MAP2 file format and the tile panel.
//
// MAP2 file, little-endian, no gaps:
//   "MAP2" (4 bytes, no terminator), i32 version (2005000), i32 tile count n,
//   n x {u8 passable flag, i32 name length k, k name bytes}, i32 width w, i32 height h,
//   h rows of w i32 cells (tile indexes).
//
// Owners: map2_file.cpp reads and writes the format; map2.cpp owns g_Map2Editor (only the
// family's hooks and the panel change it) and makes the tile dialog
// through the widget seam (app/widget.h); map2_win.cpp registers its template and procedure.
#pragma once
#include "app/hook_ctx.h"
#include "lib/draw/image.h"
#include "model/types.h"
#include "resources/map2_ids.h"

struct ByteWriter;

enum {
  MAP2_TILES = 16,        // tiles per map
  MAP2_NAME_SIZE = 256,   // tile name field, terminator included
  MAP2_SIDE = 64,         // cells per row and per column at most
  MAP2_CELL = 32,         // a cell on screen, in pixels
};
enum : i32 { MAP2_VERSION = 2005000 };

// One map (allocated zeroed; held by g_Map2Editor.doc).
struct Map2Doc {
  u32 version;
  u8 passable[MAP2_TILES];                  // 1 = passable ("○"), 0 = not ("×")
  char names[MAP2_TILES][MAP2_NAME_SIZE];   // image files, relative to `folder` (model/docref.h)
  i32 tileCount;                            // 0..16
  i32 grid[MAP2_SIDE][MAP2_SIDE];           // [row][column]: tile index 0..15
  i32 width, height;                        // cells in use, 0..64 each
  char folder[MAP2_NAME_SIZE];              // what the names are kept from (not in the file; the
                                            // map's folder once read or saved, else the first
                                            // added tile's)
};

// The family object. The tile slots keep their image rows from load to load.
struct Map2Editor {
  Map2Doc *doc;            // the map (null until the family first allocates it)
  u8 painting;             // the left button paints while held
  i32 cursorX, cursorY;    // cursor column and row (clamped to the map)
  i32 scrollX, scrollY;    // scroll in cells (no limits)
  i32 currentTile;         // painted by the left button; below the tile count when there are tiles
  i32 animFrame;           // the sample character's pose 0..3
  f32 animTimer;           // frame-delta units since the last pose change
  void *dialog;            // tile dialog and its list box (platform handles)
  void *list;
  ImageHandle tiles[MAP2_TILES];
  ImageHandle character;   // "cat.psd"
};

// The tile dialog's name with the widget seam (its template is IDD_MAP2_TILES).
#define MAP2_PANEL "IDD_MAP2_TILES"

extern Map2Editor g_Map2Editor;

// [SECTION] MAP2 files (map2_file.cpp)

enum Map2ParseResult {
  MAP2_OK = 0,
  MAP2_NOT_MAP2,     // another magic
  MAP2_TOO_OLD,      // version below 2005000
  MAP2_TOO_NEW,      // version above 2005000
  MAP2_DAMAGED,      // truncated, or a count, size, name or cell out of range
};
// Parses a whole file into out (which the caller has zeroed); out is only complete on MAP2_OK.
Map2ParseResult Map2_Parse(const u8 *data, size_t size, Map2Doc *out);
// Appends the file bytes of doc; false when the buffer could not grow.
bool Map2_Encode(const Map2Doc *doc, ByteWriter *w);
// Reads a MAP2 file into doc, then loads each tile's image and restarts the timer. A refused
// file says why in an error box and leaves doc as it was.
bool Map2_Read(const char *path, Map2Doc *doc);
// Writes doc (its version set to 2005000) through a temporary file, the tile names kept from
// the new file's folder; a failure says so and leaves the old file and doc's names as they were.
bool Map2_Write(Map2Doc *doc, const char *path);
// The file menu's entries: the current map.
bool Map2_ReadCurrent(const char *path);
bool Map2_WriteCurrent(const char *path);
bool Map2_HasDocument(void);
// The list after a read (whether it worked or not).
void Map2_AfterRead(void);

// [SECTION] Editor (map2.cpp)

// Allocates a zeroed document in place of the current one; false when memory runs out.
bool Map2_AllocDocument(void);
void Map2_FreeDocument(void);
// The sample map: "草.psd" (passable) and "川.psd" (not), 20 x 20, tile 1 along row 0 and
// column 0 of the 8 x 8 corner; both images loaded.
void Map2_NewDocument(void);
// Loads an image file into tile slot i (its own image row); false when it did not load.
bool Map2_LoadTileImage(i32 i, const char *name);
// The tile images of map d (its folder set), each looked for from the map's folder, then in
// the data folder's map folder, then from the current folder; the names of those found
// nowhere are said in one message (and kept).
void Map2_LoadTiles(const Map2Doc *d);
// The data folder's map folder, where the sample tiles lie and older maps' bare names were found.
const char *Map2_TileFolder(void);
// After a document change: slots at or above the tile count are empty (their rows are kept
// for the next load) and the current tile is brought below the count.
void Map2_AfterDocumentChange(void);
// The screen position of a cell's top-left corner with the scroll given in pixels.
void Map2_CellToScreen(i32 column, i32 row, i32 sx, i32 sy, i32 *x, i32 *y);
// The cursor cell under client position (mx, my) with view 0 panned by (panX, panY):
// false (and nothing stored) when the map has no cells.
bool Map2_CursorFromMouse(i32 mx, i32 my, f32 panX, f32 panY, i32 *column, i32 *row);
void Map2_DrawTiles(i32 sx, i32 sy);

// Family hooks.
FamilyHookFn Map2_Enter, Map2_Leave, Map2_Draw, Map2_Update, Map2_LButtonDown, Map2_LButtonUp,
    Map2_MouseMove, Map2_KeyDown;

// [SECTION] Tile panel (map2.cpp): the dialog procedure hands its controls here.
// A control's action; value is the list's selected row for IDC_MAP2_LIST (-1: none). True
// when the list must be filled again.
bool Map2_PanelCommand(i32 control, i32 value);
// Row i of the list: "%2d : " + "○" or "×" + " : %s".
void Map2_RowText(i32 i, char *out, size_t size);
// The tile dialog's list: the rows and the current tile selected (nothing without a dialog).
void Map2_FillList(void);
// The registration of the family's File menu entries (at program start).
void Map2_InstallEntries(void);
// The tile dialog's registration with the widget seam (map2_win.cpp, program start).
void Map2_InstallWin(void);
