// The shell's command table and the routing of a menu command to the family hook.
#include "app/commands.h"
#include "app/family.h"
#include "app/shell_seam.h"

const char *const kDownloadPageAddress = "https://example.org/miravel/";

u32 App_CommandIdOf(u64 wParam) { return (u32)(wParam & 0xFFFF); }

// The File menu's commands, in every family's menu that has them.
static const u32 kFileCommands[] = {
  IDM_KZP_OPEN, IDM_KZP_SAVE, IDM_KZO_OPEN, IDM_KZO_SAVE, IDM_LWO_OPEN, IDM_KZV_OPEN,
  IDM_KZV_SAVE, IDM_MX_OPEN, IDM_MX_SAVE, IDM_DXF_OPEN, IDM_ROK_OPEN, IDM_LWO_SAVE,
  IDM_X_OPEN, IDM_X_SAVE, IDM_NEW_MODEL, IDM_MQO_OPEN, IDM_KZC_OPEN, IDM_KZC_SAVE,
  IDM_COLI_KZP_OPEN, IDM_BACK_KZP_OPEN, IDM_KZM_OPEN, IDM_ANY_OPEN, IDM_KZB_OPEN,
  IDM_KZB_SAVE, IDM_KZM_SAVE, IDM_NEW_OBJ2, IDM_KZA_OPEN, IDM_KZA_SAVE, IDM_MAP2_OPEN,
  IDM_MAP2_SAVE,
};

ShellCommandKind App_ShellCommandKind(u32 id) {
  switch (id) {
    case IDM_EXIT: return SHELLCMD_EXIT;
    case IDM_DOWNLOAD: return SHELLCMD_DOWNLOAD;
    case IDM_OPTIONS: return SHELLCMD_OPTIONS;
    case IDM_ADD_VIEW: return SHELLCMD_ADD_VIEW;
    default: break;
  }
  for (u32 file : kFileCommands)
    if (file == id) return SHELLCMD_FILE;
  return SHELLCMD_NONE;
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
