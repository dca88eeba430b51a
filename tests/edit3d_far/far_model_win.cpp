// A model of finite points and enormous size in the running program: an MQO whose corners
// lie at +-3e38 (3e37 once read) and at 0, opened from the menu, is shown in every 3D sub-mode
// and each view is redrawn in ordinary time; every view's fit holds finite numbers.
#include <gtest/gtest.h>
#include <windows.h>

#include <cmath>
#include <string>

#include "app/current.h"
#include "app/shell_view.h"
#include "app/views.h"
#include "lib/framework/lib.h"
#include "lib/framework/view_record.h"
#include "model/model3.h"
#include "resources/edit3d_ids.h"
#include "resources/shell_ids.h"
#include "tests/support/hook_at.h"
#include "wine_drive.h"

namespace {

const char kFarMqo[] =
    "Metasequoia Document\nFormat Text Ver 1.0\n\n"
    "Material 1 {\n\t\"mat1\" col(1.000 1.000 1.000 1.000) dif(0.800) amb(0.600) emi(0.000) spc(0.000) power(5.00)\n}\n"
    "Object \"obj1\" {\n\tvertex 4 {\n"
    "\t\t-300000000000000000000000000000000000000.0 0.0 0.0\n"
    "\t\t300000000000000000000000000000000000000.0 0.0 300000000000000000000000000000000000000.0\n"
    "\t\t0.0 300000000000000000000000000000000000000.0 0.0\n\t\t1.0 2.0 3.0\n\t}\n"
    "\tface 2 {\n\t\t3 V(0 1 2) M(0)\n\t\t3 V(0 3 2) M(0)\n\t}\n}\nEof\n";

}  // namespace

TEST(FarModel, OpensAndEverySubModeRedrawsInOrdinaryTime) {
  std::string path;
  ASSERT_NO_FATAL_FAILURE(Drive_Start3DOnCube("miravel_far_cube.KZP", "miravel_settings_far", &path));
  FILE *f = fopen(Drive_Temp("far.mqo").c_str(), "wb");
  ASSERT_NE(f, nullptr);
  fputs(kFarMqo, f);
  fclose(f);
  g_LibHooks.fileDlg.run = Drive_AnswerRequest;
  g_DriveAnswer = "far.mqo";
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_MQO_OPEN, 0);
  const Model3 *m = Current_Model3();
  ASSERT_TRUE(m && m->positionCount == 4);
  EXPECT_FLOAT_EQ(m->positions[0].x, -3e37f);
  // A redraw once took seconds for each line reaching far outside a view: a generous bound.
  for (int button : {IDC_M3D_POLY, IDC_M3D_TEXTURE, IDC_M3D_BONE, IDC_M3D_WEIGHT, IDC_M3D_MOTION, IDC_M3D_POLY}) {
    Drive_Press3D(button);
    View_FitAll(Hook_Now());
    DWORD start = GetTickCount();
    EXPECT_TRUE(Drive_PumpIdle(5)) << button;
    DWORD took = GetTickCount() - start;
    printf("sub-mode button %d: 5 redraws in %lu ms\n", button, (unsigned long)took);
    EXPECT_LT(took, 10000u) << button;
    u32 layout = View_CurrentLayout();
    for (i32 i = 0; i < g_Shell.g_ViewCount[layout]; i++) {
      const ViewRecord *v = View_Get(layout, (u32)i);
      EXPECT_TRUE(std::isfinite(v->zoom) && std::isfinite(v->panX) && std::isfinite(v->panY) && std::isfinite(v->panZ))
          << button << " view " << i;
    }
  }
}

const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
