// The shell's command table and the routing of a menu command to the family hook.
#include "app/commands.h"
#include "app/family.h"
#include "app/shell_seam.h"

const char *const kDownloadPageAddress = "https://example.org/miravel/";

u32 App_CommandIdOf(u64 wParam) { return (u32)(wParam & 0xFFFF); }

ShellCommandKind App_ShellCommandKind(u32 id) {
  switch (id) {
    case CMD_EXIT: return SHELLCMD_EXIT;
    case CMD_DOWNLOAD: return SHELLCMD_DOWNLOAD;
    case CMD_OPTIONS: return SHELLCMD_OPTIONS;
    case CMD_ADD_VIEW: return SHELLCMD_ADD_VIEW;
    case 40023: case 40024: case 40025: case 40026: case 40032: case 40033: case 40034:
    case 40044: case 40045: case 40046: case 40047: case 40048: case 40053: case 40054:
    case 40055: case 40062: case 40063: case 40064: case 40065: case 40066: case 40080:
    case 40092: case 40095: case 40097: case 40099: case 40101: case 40104: case 40106:
    case 53: case 54:
      return SHELLCMD_FILE;
    default: return SHELLCMD_NONE;
  }
}

void App_RouteCommand(u64 wParam) {
  u32 id = App_CommandIdOf(wParam);
  const ShellSeam &s = g_ShellSeam;
  switch (App_ShellCommandKind(id)) {
    case SHELLCMD_EXIT:
      // Once the window is closed nothing may reach the family any more.
      if (s.confirmExit && s.confirmExit()) return;
      break;
    case SHELLCMD_DOWNLOAD: if (s.openDownloadPage) s.openDownloadPage(); break;
    case SHELLCMD_OPTIONS: if (s.openOptions) s.openOptions(); break;
    case SHELLCMD_ADD_VIEW: if (s.addView) s.addView(); break;
    case SHELLCMD_FILE: if (s.fileCommand) s.fileCommand(id); break;
    default: break;
  }
  App_FamilyCommand(id);
}
