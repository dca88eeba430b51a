// The File menu's front end: every open, save and new command of the main window asks for
// a file name through the library's file dialogs, checks that there is something to save,
// calls the reader or writer, and after a load puts the editor into a consistent state
// (current slot and selections reset, views fitted, undo step, lists, redraw, timer).
//
// The front end owns no data. It writes g_Sel.g_CurSlot, g_Sel.g_Cur2DSlot, g_Sel.g_CurBoneIndex,
// g_Sel.g_CurPartIndex, g_Sel.g_PickedVertex, g_Sel.g_PickedPolygon, g_ModelAllocArrays, the selection flags
// g_Sel.g_PolySelVerts / g_Sel.g_PolySelFaces and the document changed flags. Scene documents (movie,
// collision set, 2D map) are reached through g_ShellEntries (app/entries.h).
#pragma once
#include "app/hook_ctx.h"
#include "app/shell_ids.h"
#include "model/types.h"

enum {
  FILEMENU_EXPORT_LIMIT = 10000,   // polygons of an MX, LWO or X export
  FILEMENU_NAME = 256,
  FILEMENU_CURRENT_LAYER = DOC_NONE + 1,   // FileCommand::replaces: the layer current when it runs
};

// Picked vertex and polygon of the polygon editors; -1 = none.

enum FileCommandKind : u32 { FILECMD_OPEN = 0, FILECMD_SAVE, FILECMD_NEW };

// One row of the command table.
struct FileCommand {
  u32 id;
  u32 kind;                 // FileCommandKind
  u32 replaces;             // the DocKind a load or new document replaces; DOC_NONE for none,
                            // FILEMENU_CURRENT_LAYER for the current 3D layer
  const char *extension;    // dialog filter; null for "all files" and the new commands
  const char *title;        // dialog title
  void (*run)(void);        // the whole operation, dialog included
};
// The row of a command id, or null.
const FileCommand *FileMenu_Find(u32 id);
// Runs a File-menu command (g_ShellSeam.fileCommand); false for an id that is not one. A
// command that replaces a changed document asks first (Discard_Ask); "いいえ" runs nothing.
bool FileMenu_Command(u32 id);
// Installs FileMenu_Command into the shell seam.
void FileMenu_Install(void);

// The common 3D model load into slot 0 (File menu, command line, quick loads): fit, clear the
// selections, record "<name> 読み込み", refresh. An empty name does nothing but reset the
// timer; a file that does not load leaves the current model, slot and selections as they were.
void FileMenu_LoadKzp(const char *name);
// True when the current model (Current_Model3()) has at most 10000 polygons, or there is none;
// else the message "10000 ポリゴンまでしか保存できません。" and false.
bool FileMenu_CheckExportLimit(void);

// The save dialog's default name: fileName without its extension plus "." ext, cut so that
// the extension always fits; "新規.<ext>" when there is no file name.
void FileMenu_DefaultName(char *out, size_t size, const char *fileName, const char *ext);

// Quick loads of the sample data (keys F7, F9, F11): which one.
enum QuickLoadKind : u32 { QUICK_F7 = 0, QUICK_F9, QUICK_F11 };
// The key table hands its context: the quick load reads into the context's slot, moves its
// selection and refreshes the lists on the model read.
void FileMenu_QuickLoad(const HookCtx *c, u32 which);
