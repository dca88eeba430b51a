// The program's installation of the drawing device, the log sink and the file dialogs.
#include "lib/draw/drawdev_win.h"
#include "lib/framework/lib.h"
#include "lib/draw/texture.h"
#include "lib/framework/lib_state.h"
#include "lib/media/dialogs.h"
#include "lib/media/log.h"
#include "model/seam.h"

void Draw_Install(void) {
  Draw_InstallFor(&g_Lib.device);
  Log_InstallPlatform();
  FileDlg_InstallPlatform();
  g_Seam.logLine = Log_AddLine;
  Tex_InstallSeam();
}
