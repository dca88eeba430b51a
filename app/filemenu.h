// The File menu's front end: opening a model named on the command line.
#pragma once

// Reads a .kzp file into slot 0 of the 3D editor, then fits the views, refreshes the
// lists and flags every view for redraw. An undo step "%s 読み込み" records the result. A file that does not load leaves an empty model.
void FileMenu_LoadKzp(const char *path);
