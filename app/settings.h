// Options, window placements and view layouts, and their settings file (the options and
// placements themselves: g_Options, app/shell_options.h)
// "System/System%d.dat" (%d the desktop width g_Lib.desktopWidth) under the data folder.
//
// File layout (little-endian, no gaps): i32 id 2005060; i32 main window x, y, w, h;
// 8 reserved i32 kept as read; i32 update-edited-view-only; u8 antialias + 3 bytes;
// i32 light, shadow, polygon-editor option, pick suspended, grid, toon, max polygons;
// 24 view layouts (i32 count, then per view i32 in use and, when in use, 16 more i32:
// x, y, w, h, kind and the record's 11 words); i32 24; i32 8; 24 x 8 placements (x, y, w, h);
// char[256] program folder; char[256] program file; u8 CPU occupy and u8 vsync in effect;
// i32 24; u8[24] vsync per layout; u8[24] CPU occupy per layout; u8 reverse wheel.
//
// Reading is all-or-nothing: a file with another id, a count beyond its table, a
// rectangle outside -32..10000 or too few bytes leaves every setting at its default.
#pragma once
#include "model/bytes.h"
#include "model/types.h"
#include "app/shell_ids.h"

enum {
  SETTINGS_FILE_ID = 2005060,
  SETTINGS_LAYOUTS = 24,
  SETTINGS_PANELS = 8,
  SETTINGS_RECT_MIN = -32,
  SETTINGS_RECT_MAX = 10000,
  OPT_MAX_POLYGONS_MIN = 10000,
  OPT_MAX_POLYGONS_MAX = 65000,
};

// Holder 1 of each layout's block is the layout's group panel.
enum { PANEL_GROUP = 1 };

// The application object: key latch, tool-dialog placements per layout, per-layout
// vertical-sync and CPU-occupy bytes, the program editor's last folder and file.
struct AppShell {
  u8 keyLatch;
  WindowHolder panels[SETTINGS_LAYOUTS][SETTINGS_PANELS];
  u8 vsync[SETTINGS_LAYOUTS];
  u8 cpuOccupy[SETTINGS_LAYOUTS];
  char progFolder[256];
  char progFile[256];
};
extern AppShell g_AppShell;

void Settings_SetDefaults(void);
// Encodes the current state as the settings file's bytes.
void Settings_Encode(ByteWriter *w);
// Decodes a settings file into the current state; false (and nothing changed) for a file
// that is refused. Applies the CPU-occupy and vsync flags in effect through the shell seam.
bool Settings_Decode(const u8 *data, size_t size);
// The max-polygons option of a valid file, or -1 (read before the library sizes its arrays).
// The toon option of a settings file image (1 or 0), -1 when the image is not a valid settings
// file: read before the library starts, which loads the toon texture when it is set.
i32 Settings_PeekToon(const u8 *data, size_t size);
i32 Settings_PeekMaxPolygons(const u8 *data, size_t size);
// "System/System%d.dat" for a desktop width.
void Settings_FileName(char *out, size_t size, i32 desktopWidth);
// Sets g_SettingsFolder; a folder name that does not fit is refused (false, unchanged).
bool Settings_SetFolder(const char *folder);
// The file actually used: Settings_FileName under the data folder, or "System%d.dat" in
// g_SettingsFolder when one is set.
void Settings_FilePath(char *out, size_t size, i32 desktopWidth);
// Loads / saves the file of the current desktop width (Settings_FilePath).
void Settings_Load(void);
// False, after a message naming the file, when it could not be written (the old file stays).
bool Settings_Save(void);
