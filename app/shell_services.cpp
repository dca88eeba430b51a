// The shell's start-up of the 2D-frame flags. The per-frame, scene and overlay hooks are in
// family.cpp, the main window's handler in shell_win.cpp.
#include "app/shell_services.h"

#include <string.h>

#include "app/current.h"
#include "model/seam.h"


void App_InitFamily2DFrame(void) {
  memset(g_Family2DFrame, 0, sizeof g_Family2DFrame);
  g_Family2DFrame[FAMILY_2D_MODEL] = 1;
  g_Family2DFrame[FAMILY_EFFECT] = 1;
  g_Family2DFrame[FAMILY_2D_MAP] = 1;
  g_Family2DFrame[FAMILY_PROGRAM] = 1;
}

// The exporters (MX, LWO, X) write at most this many polygons.
static const i32 kExportPolygonLimit = 10000;

bool FileMenu_CheckPolygonLimit(void) {
  if (!g_CurModel3 || g_CurModel3->polygonCount <= kExportPolygonLimit) return true;
  Lib_ErrorBoxf("%d ポリゴンまでしか保存できません。\nPelorinなら、よりたくさんのポリゴンをコンバートできます。",
                (int)kExportPolygonLimit);
  return false;
}
