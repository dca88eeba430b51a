// Command routing of the main window: the shell's own commands first, then the family's
// command hook, once per command.
#pragma once
#include "model/types.h"
#include "resources/shell_ids.h"

// Command ids: the IDM_* of resources/shell_ids.h, shared with the menu templates.

enum ShellCommandKind : u32 {
  SHELLCMD_NONE = 0,   // only the family hook sees it
  SHELLCMD_EXIT,
  SHELLCMD_DOWNLOAD,
  SHELLCMD_OPTIONS,
  SHELLCMD_ADD_VIEW,
  SHELLCMD_FILE,       // a File-menu command
};

// The command id of a WM_COMMAND's wParam (its low word; the high word is the notification).
u32 App_CommandIdOf(u64 wParam);
ShellCommandKind App_ShellCommandKind(u32 id);
// Runs the shell's command and then the family hook; stops when the exit was confirmed.
void App_RouteCommand(u64 wParam);
// The download page the "最新版のダウンロードはこちらへ" command opens.
extern const char *const kDownloadPageAddress;
