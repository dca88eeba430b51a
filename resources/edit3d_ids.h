// Ids of the 3D model editor's resource templates. Shared by edit3d.rc and the editor's code.
#pragma once

// Undo panel "UNDO_DLG".
#define IDC_UNDO_LIST 1373
#define IDC_UNDO_UNDO 1318
#define IDC_UNDO_REDO 1319
#define IDC_UNDO_OK 1316
#define IDC_UNDO_CLOSE 1317
