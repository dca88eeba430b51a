// The collision editor inside the running shell, driven by messages: "コリジョン" in the
// selector loads five characters from the shipped model, a floor KZP becomes the collision
// model, the range panel takes typed bounds, two boxes are added and the current one turned
// by a left drag in the main view, character 0 walks into a box for 100 passes and stops
// where the resolution's formulas put it, and the saved set holds what was edited.
#include <gtest/gtest.h>
#include <math.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "model_shown.h"
#include "app/family.h"
#include "app/settings.h"
#include "app/shell_win.h"
#include "app/startup_win.h"
#include "lib/framework/framework_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "model/object.h"
#include "resources/shell_ids.h"
#include "scene/coli_edit.h"
#include "scene/coli_edit_win.h"
#include "scene/kzc.h"
#include "wine_drive.h"

namespace {

std::vector<std::string> g_boxes;
int AnswerBox(HWND, const char *text, const char *, UINT) {
  g_boxes.push_back(text);
  return IDYES;
}

std::string g_answerPath;
int g_fileDialogs;
// Answers as the real dialog does: the full path, the bare name, and the chosen folder left
// current.
BOOL AnswerFile(OPENFILENAMEA *ofn) {
  g_fileDialogs++;
  Str_Copy(ofn->lpstrFile, ofn->nMaxFile, g_answerPath.c_str());
  size_t cut = g_answerPath.find_last_of("\\/");
  std::string folder = cut == std::string::npos ? "." : g_answerPath.substr(0, cut);
  std::string name = cut == std::string::npos ? g_answerPath : g_answerPath.substr(cut + 1);
  if (ofn->lpstrFileTitle) Str_Copy(ofn->lpstrFileTitle, ofn->nMaxFileTitle, name.c_str());
  SetCurrentDirectoryA(folder.c_str());
  return TRUE;
}

std::string BareName(const std::string &path) {
  size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// A floor of one quad at y = 0 over -40..40.
void WriteFloor(const std::string &path) {
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_New();
  ASSERT_NE(m, nullptr);
  const Vec3 corners[4] = {{-40, 0, -40}, {-40, 0, 40}, {40, 0, 40}, {40, 0, -40}};
  m->positionCount = 4;
  for (int i = 0; i < 4; i++) m->positions[i] = corners[i];
  m->normalCount = 1;
  m->normals[0] = {0, 1, 0};
  m->polygonCount = 1;
  m->polygons[0].cornerCount = 4;
  for (u32 c = 0; c < 4; c++) m->polygons[0].corners[c].vertex = c;
  ASSERT_TRUE(Shown(Kzp_Write, m, path.c_str()));
  Model3_Free(m);
}

void Click(HWND dlg, int id) { SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id)); }

// One frame of the box walls and the range as the resolution's formulas give them, for an
// object of radius r alone in the set (no circles; a floor whose normal has no x or z part).
void ReferenceFrame(const CollisionDoc *d, f32 r, f32 *X, f32 *Z) {
  const f32 pi = 3.14159265358979f;
  *X = std::min(std::max(*X, d->bounds[0] + r), d->bounds[3] - r);
  *Z = std::min(std::max(*Z, d->bounds[2] + r), d->bounds[5] - r);
  for (const ColiBox &b : d->boxes) {
    if (b.used != 1) continue;
    f32 reach = b.size + r;
    f32 th = atan2f(*X - 0.25f * b.x, *Z + 0.25f * b.z);
    f32 kx = sinf(th) / 3.0f, kz = cosf(th) / 3.0f;
    f32 p = *X - b.x - kx, q = *Z - b.z - kz;
    f32 phi = -b.angle * 2.0f * pi / 360.0f;
    f32 lx = p * cosf(phi) + q * sinf(phi), lz = q * cosf(phi) - p * sinf(phi);
    if (!(-reach < lx && lx < reach && -reach < lz && lz < reach)) continue;
    if (fabsf(lz) < fabsf(lx)) lx = lx >= 0 ? reach : -reach;
    else lz = lz >= 0 ? reach : -reach;
    f32 psi = b.angle * 2.0f * pi / 360.0f;
    *X = b.x + kx + lx * cosf(psi) + lz * sinf(psi);
    *Z = b.z + kz + lz * cosf(psi) - lx * sinf(psi);
  }
}

}  // namespace

TEST(ColiEditWin, CharactersFloorRangeBoxesDragWalkAndSave) {
  // "コリジョン": five characters from the shipped model, the selector and the range panel.
  ASSERT_NO_FATAL_FAILURE(Drive_StartOwnFamily("miravel_settings_coli", Coli_InstallWin, IDC_EDIT_COLLISION,
                                               FAMILY_COLLISION, AnswerBox, AnswerFile));
  HWND selector = (HWND)g_EditDlg.window;
  EXPECT_TRUE(g_boxes.empty()) << (g_boxes.empty() ? "" : g_boxes[0]);
  for (int i = 0; i < COLI_CHARACTERS; i++) {
    ASSERT_NE(g_Model3Slots[i], nullptr) << i;
    EXPECT_EQ(g_Model3Slots[i]->polygonCount, 30);
    EXPECT_NE(std::string(g_Model3Slots[i]->fileName).find("コリジョンキャラ.KZP"), std::string::npos);
    ASSERT_NE(Object_Get(i), nullptr);
    EXPECT_EQ(g_Coli.collide[i], 1u);
  }
  HMENU menu = GetMenu(g_Lib.mainWnd);
  EXPECT_NE(GetMenuState(menu, IDM_COLI_KZP_OPEN, MF_BYCOMMAND), (UINT)-1);
  HWND colSelect = (HWND)g_ColiEdit.panels[COLI_PANEL_SELECT];
  HWND range = (HWND)g_ColiEdit.panels[COLI_PANEL_RANGE];
  ASSERT_TRUE(IsWindow(colSelect));
  ASSERT_TRUE(IsWindow(range));
  char text[64];
  GetDlgItemTextA(range, IDC_COLI_MIN_X, text, sizeof text);
  EXPECT_STREQ(text, "-32");

  // The floor as the collision model: through the File menu when it reads collision models,
  // else handed to the set as the menu would.
  std::string floor = Drive_Temp("miravel_coli_floor.KZP");
  WriteFloor(floor);
  g_answerPath = floor;
  g_fileDialogs = 0;
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_COLI_KZP_OPEN, 0);
  if (g_fileDialogs == 0) {
    Model3 *opened = Shown(Model3_OpenFile, COLI_SCRATCH_SLOT, floor.c_str());
    ASSERT_NE(opened, nullptr);
    ASSERT_TRUE(Coli_SetModel(Model3_Clone(opened), floor.c_str()));
  }
  ASSERT_NE(g_Coli.doc->model, nullptr);
  EXPECT_EQ(g_Coli.doc->model->polygonCount, 1);
  // The menu hands over the name the dialog leaves (the folder is current); else the path.
  const std::string floorName = g_fileDialogs ? BareName(floor) : floor;
  EXPECT_EQ(std::string(g_Coli.doc->modelName), floorName);

  // Typed bounds and "決定".
  const int fields[5] = {IDC_COLI_MIN_X, IDC_COLI_MAX_X, IDC_COLI_MIN_Z, IDC_COLI_MAX_Z, IDC_COLI_MIN_Y};
  const char *typed[5] = {"-30", "30", "-28", "28", "0"};
  for (int i = 0; i < 5; i++) SetDlgItemTextA(range, fields[i], typed[i]);
  Click(range, IDC_COLI_APPLY);
  const f32 bounds[6] = {-30, 0, -28, 30, 32, 28};
  for (int i = 0; i < 6; i++) EXPECT_EQ(g_Coli.doc->bounds[i], bounds[i]) << i;

  // Box panel: two boxes placed where character 0 stands at the time, then "回転".
  Click(colSelect, IDC_COLI_BOXES);
  Drive_Pump(5);
  EXPECT_FALSE(IsWindow(range));
  HWND boxes = (HWND)g_ColiEdit.panels[COLI_PANEL_BOX];
  ASSERT_TRUE(IsWindow(boxes));
  // The others keep out of the way in the corners.
  const f32 corners[4][2] = {{25, 25}, {-25, 25}, {25, -25}, {-25, -25}};
  for (int i = 1; i < COLI_CHARACTERS; i++) Object_SetPosition(Object_Get(i), corners[i - 1][0], 0, corners[i - 1][1]);
  Object_SetPosition(Object_Get(0), 16, 0, 0);
  Click(boxes, IDC_COLI_BOX_ADD);
  Object_SetPosition(Object_Get(0), -15, 0, 12);
  Click(boxes, IDC_COLI_BOX_ADD);
  Object_SetPosition(Object_Get(0), 0, 0, 0);
  EXPECT_EQ(g_Coli.doc->boxCount, 2);
  Click(boxes, IDC_COLI_BOX_ROTATE);
  EXPECT_EQ(g_ColiEdit.boxMode, (u32)COLI_MODE_ROTATE);
  Drive_Pump(10);
  GetDlgItemTextA(boxes, IDC_COLI_BOX_NO, text, sizeof text);
  EXPECT_EQ(std::string(text).substr(0, 4), "No :");

  // A left drag of (+50, -20) turns the current box by 0.2 * 50 + 0.2 * 20 = 14 degrees. The
  // hover pick chose one of the two; box 1 is made current so that box 0, which character 0
  // walks into, keeps its square face towards it (a turned face lets it slide round).
  ASSERT_TRUE(g_ColiEdit.curBox == 0 || g_ColiEdit.curBox == 1);
  g_ColiEdit.curBox = 1;
  const i32 cur = 1;
  SendMessageA(g_Lib.mainWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 200));
  SendMessageA(g_Lib.mainWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(350, 180));
  SendMessageA(g_Lib.mainWnd, WM_LBUTTONUP, 0, MAKELPARAM(350, 180));
  EXPECT_NEAR(g_Coli.doc->boxes[cur].angle, 14.0f, 1e-4);
  EXPECT_EQ(g_Coli.doc->boxes[1 - cur].angle, 0.0f);
  EXPECT_EQ(Object_Get(0)->pos[0], 0.0f);

  // Right arrow held for 100 passes: character 0 walks into box 0 and stops at its wall.
  f32 r = Coli_Radius(0), X = Object_Get(0)->pos[0], Z = Object_Get(0)->pos[2];
  g_Lib.app.keyState[VK_RIGHT] = 1;
  for (int i = 0; i < 100; i++) {
    App_UpdateFrame();
    X += 0.5f;
    ReferenceFrame(g_Coli.doc, r, &X, &Z);
  }
  g_Lib.app.keyState[VK_RIGHT] = 0;
  EXPECT_NEAR(Object_Get(0)->pos[0], X, 1e-4);
  EXPECT_NEAR(Object_Get(0)->pos[2], Z, 1e-4);
  EXPECT_LT(Object_Get(0)->pos[0], 16.0f - 5.0f);
  EXPECT_GT(Object_Get(0)->pos[0], 0.0f);

  // "　保存　  ( KZC )": through the File menu when it saves sets, else the writer itself.
  std::string saved = Drive_Temp("miravel_coli_saved.KZC");
  DeleteFileA(saved.c_str());
  g_answerPath = saved;
  g_fileDialogs = 0;
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZC_SAVE, 0);
  if (g_fileDialogs == 0) { ASSERT_TRUE(Kzc_Write(saved.c_str())); }
  CollisionDoc *back = Kzc_ReadDocument(saved.c_str());
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->boxCount, 2);
  EXPECT_NEAR(back->boxes[cur].angle, 14.0f, 1e-4);
  EXPECT_EQ(back->boxes[0].x, 16.0f);
  for (int i = 0; i < 6; i++) EXPECT_EQ(back->bounds[i], bounds[i]) << i;
  EXPECT_EQ(std::string(back->modelName), floorName);
  Coli_FreeDocument(back);

  // Leaving: the set's loaded flag drops, the panels close, slots 0..4 are empty models.
  HWND boxPanel = boxes;
  Click(selector, IDC_EDIT_PREVIEW);
  Drive_Pump(20);
  EXPECT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_PREVIEW);
  EXPECT_FALSE(IsWindow(boxPanel));
  EXPECT_FALSE(IsWindow(colSelect));
  DeleteFileA(saved.c_str());
  DeleteFileA(floor.c_str());
  SendMessageA(g_Lib.mainWnd, WM_CLOSE, 0, 0);
  Drive_Pump(20);
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
