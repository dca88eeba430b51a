// The 2D object sub-mode in the running program, driven by messages: the five dialogs and the
// menu after 1478; an image added with 1390; an object added with 1486, named and hung under
// object 1 with 1429, 1488 and 1289; keys made by strip clicks at frames 0 and 30 with 1446
// and typed values with 1472; a drag in the main view; the pivot dragged with 1394; play and
// stop; 1482 asking first; a re-press of 1478 keeping the model; the KZA saved with 40106 as
// modeldump reads it; and the image drawn on screen where its key puts it.
//
// With MIRAVEL_OBJ2_HOLD=<seconds> the program keeps running that long at the end, so that
// the screen can be looked at.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdlib.h>

#include <string>
#include <vector>

#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "lib/framework/lib_state.h"
#include "model_shown.h"
#include "app/current.h"
#include "app/family.h"
#include "app/startup_state.h"
#include "app/shell_win.h"
#include "app/startup_win.h"
#include "app/strip.h"
#include "app/views.h"
#include "edit2d/ed2d.h"
#include "edit2d/ed2d_object.h"
#include "edit2d/ed2d_object_win.h"
#include "edit2d/ed2d_win.h"
#include "lib/draw/draw.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "model/bone2.h"
#include "model/kzb.h"
#include "model/obj2.h"
#include "resources/shell_ids.h"
#include "wine_drive.h"

namespace {

std::vector<std::string> g_boxes;
int g_boxAnswer = IDYES;

int RecordBox(HWND, const char *text, const char *, UINT) {
  g_boxes.push_back(text);
  return g_boxAnswer;
}

// A 32 x 32 24-bit BMP of one colour.
bool WriteBmp(const std::string &path, u8 r, u8 g, u8 b) {
  const int w = 32, h = 32, row = w * 3;
  BITMAPFILEHEADER fh = {};
  BITMAPINFOHEADER ih = {};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + row * h;
  ih.biSize = sizeof ih;
  ih.biWidth = w;
  ih.biHeight = h;
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  std::vector<u8> pixels((size_t)row * h);
  for (size_t i = 0; i < pixels.size(); i += 3) pixels[i] = b, pixels[i + 1] = g, pixels[i + 2] = r;
  FILE *f = fopen(path.c_str(), "wb");
  if (!f) return false;
  fwrite(&fh, sizeof fh, 1, f);
  fwrite(&ih, sizeof ih, 1, f);
  fwrite(pixels.data(), 1, pixels.size(), f);
  return fclose(f) == 0;
}

void SetField(void *dlg, u32 id, const char *text) { SetDlgItemTextA((HWND)dlg, (int)id, text); }

// A click in the key strip at (x, y).
void StripClick(i32 x, i32 y) {
  HWND strip = (HWND)g_Ed2DObj.keyDlg;
  SendMessageA(strip, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  Drive_Click(strip, WM_LBUTTONDOWN, WM_LBUTTONUP, x, y);
}

// A KZB file whose skin is one white quad from (-100, -200) to (100, -100).
bool WriteSkin(const std::string &path) {
  g_ModelAllocArrays = 1;
  Bone2Model *m = Bone2_Init(0);
  g_ModelAllocArrays = 0;
  if (!m) return false;
  for (int i = 0; i < 4; i++) m->positions[i] = {i == 1 || i == 2 ? 100.0f : -100.0f, i < 2 ? -200.0f : -100.0f};
  m->vertexCount = m->uvCount = 4;
  m->colours[0] = {255, 255, 255, 255};
  m->colourCount = 1;
  Bone2_FreshBindings(m, 0, 4);
  Polygon2 &p = m->polygons[0];
  p = Polygon2{};
  p.used = 1;
  p.cornerCount = 4;
  for (int k = 0; k < 4; k++) p.corners[k] = {(u16)k, 0, (u16)k};
  m->polygonCount = 1;
  bool ok = Shown(Kzb_Write, 0, path.c_str()) == 1;
  Bone2_FreeSlot(0);
  return ok;
}

const Obj2Track *Track(i32 o) { return Obj2_Track(g_Obj2Slots[0], o, 0); }

}  // namespace

TEST(Obj2InProcess, ObjectsImagesKeysAndTheSavedModel) {
  std::string image = "miravel_obj2_green.bmp";
  ASSERT_TRUE(WriteBmp(Drive_Temp(image.c_str()), 0, 200, 0));
  g_ModalHooks.messageBox = RecordBox;
  g_ModalHooks.getOpenFileName = Drive_AnswerFile;
  g_ModalHooks.getSaveFileName = Drive_AnswerFile;

  // The 2D family, then its object button: five dialogs and MENU_2D_OBJ.
  ASSERT_TRUE(WriteSkin(Drive_Temp("miravel_obj2_skin.KZB")));
  ASSERT_TRUE(Drive_Start2D("miravel_settings_obj2"));
  // The bone model's skin, a white 200 x 100 quad above the placement (read from a KZB), is
  // drawn in the bone sub-mode and hidden in the object sub-mode: the main view at its centre
  // shows the skin, then the frame's background.
  g_DriveAnswer = "miravel_obj2_skin.KZB";
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZB_OPEN, 0);
  Drive_Pump(5);
  ASSERT_NE(g_Bone2Slots[0], nullptr);
  ASSERT_EQ(g_Bone2Slots[0]->polygonCount, 1);
  ASSERT_EQ(Drive_Press2D(IDC_M2D_BONE), (u32)SUB_2D_BONE);
  // Frame points inside grid cells: (300, 90) in the skin, (300, 300) clear of it.
  auto framePixel = [](f32 fx, f32 fy) {
    f32 x, y;
    Drive_FrameToClient(fx, fy, &x, &y);
    return Drive_ShotPixel((i32)x, (i32)y);
  };
  ASSERT_TRUE(Drive_CaptureMain());
  unsigned inSkin = framePixel(300, 90);
  EXPECT_TRUE((inSkin >> 16) > 150 && ((inSkin >> 8) & 255) < 60) << std::hex << inSkin;   // the weight view's red
  ASSERT_EQ(Drive_Press2D(IDC_M2D_OBJECT), (u32)SUB_2D_OBJECT);
  ASSERT_TRUE(Drive_CaptureMain());
  EXPECT_EQ(framePixel(300, 90), framePixel(300, 300)) << "the bone model's skin is drawn behind the objects";
  Drive_CaptureEnd();
  Ed2DObjEditor &e = g_Ed2DObj;
  for (void *w : {e.listDlg, e.imageDlg, e.valuesDlg, e.keyDlg, e.motionDlg}) EXPECT_TRUE(Drive_Alive(w));
  EXPECT_NE(GetMenuState(GetMenu(g_Lib.mainWnd), IDM_KZA_SAVE, MF_BYCOMMAND), (UINT)-1);
  Obj2Model *m = g_Obj2Slots[0];
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->objectCount, 2);
  EXPECT_EQ(Drive_ListText(e.motionList, 0), " 0 : 0 ～ 60  モーション名");

  // An image through the file dialog.
  g_DriveAnswer = image;
  Drive_Command(e.imageDlg, IDC_O2D_IMG_ADD);
  Drive_Pump(5);
  ASSERT_EQ(m->imageCount, 1) << (g_boxes.empty() ? "" : g_boxes.back());
  EXPECT_EQ(Drive_ListText(e.imageList, 0), "0 : " + image);
  EXPECT_EQ(m->pivotX[0], 16);

  // A second object, named and hung under object 1.
  Drive_Command(e.listDlg, IDC_O2D_LIST_ADD);
  Drive_Pump(5);
  ASSERT_EQ(m->objectCount, 3);
  ASSERT_EQ(g_Sel.g_CurPartIndex, 2u);
  // The dialog shows the new object's (empty) name at its next tick; the user types after.
  EXPECT_TRUE(Drive_PumpUntil([&] { return e.listRefresh == 0; }, 3000));
  SetField(e.listDlg, IDC_O2D_LIST_NAME, "腕");
  SendMessageA((HWND)e.parentCombo, CB_SETCURSEL, 1, 0);
  Drive_Command(e.listDlg, IDC_O2D_LIST_APPLY);
  Drive_Pump(5);
  EXPECT_EQ(m->parents[2], 1);
  EXPECT_STREQ(m->objectNames[2], "腕");
  EXPECT_EQ(Drive_ListText(e.objectList, 2), " 2 : 腕");

  // Object 1's row in the strip: frame 0 and frame 30, each with typed values.
  const i32 row1 = STRIP_HEADER + STRIP_ROW + 5;
  struct { i32 x, frame; const char *fx, *fy; f32 wantX; } keys[] = {{190, 0, "40", "-20", 40}, {263, 30, "100", "50", 100}};
  for (auto &k : keys) {
    StripClick(k.x, row1);
    EXPECT_EQ(g_Sel.g_CurPartIndex, 1u);
    EXPECT_EQ(m->currentFrame, k.frame);
    Drive_Command(e.valuesDlg, IDC_O2D_CREATE);
    SetField(e.valuesDlg, IDC_O2D_X, k.fx);
    SetField(e.valuesDlg, IDC_O2D_Y, k.fy);
    Drive_Command(e.valuesDlg, IDC_O2D_APPLY);
    Drive_Pump(5);
  }
  ASSERT_EQ(Track(1)->count, 2);
  EXPECT_EQ(Track(1)->keys[1].frame, 30);
  EXPECT_FLOAT_EQ(Track(1)->keys[0].x, 40);
  EXPECT_FLOAT_EQ(Track(1)->keys[1].x, 100);
  EXPECT_FLOAT_EQ(Track(1)->keys[1].y, 50);
  Drive_Command(e.imageDlg, IDC_O2D_IMG_APPLY);   // the key shows image 0

  // A drag to the right in the main view moves the key at frame 30.
  SendMessageA(g_Lib.mainWnd, WM_MOUSEMOVE, 0, MAKELPARAM(300, 300));
  SendMessageA(g_Lib.mainWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 300));
  for (i32 x = 302; x <= 320; x += 2) SendMessageA(g_Lib.mainWnd, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, 300));
  SendMessageA(g_Lib.mainWnd, WM_LBUTTONUP, 0, MAKELPARAM(320, 300));
  Drive_Pump(5);
  EXPECT_GT(Track(1)->keys[1].x, 105.0f);
  EXPECT_FLOAT_EQ(Track(1)->keys[1].y, 50);

  // The pivot drag in the image dialog.
  Drive_Command(e.imageDlg, IDC_O2D_IMG_PIVOT);
  HWND img = (HWND)e.imageDlg;
  SendMessageA(img, WM_MOUSEMOVE, 0, MAKELPARAM(300, 200));
  SendMessageA(img, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 200));
  SendMessageA(img, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(305, 203));
  SendMessageA(img, WM_LBUTTONUP, 0, MAKELPARAM(305, 203));
  Drive_Command(e.imageDlg, IDC_O2D_IMG_PIVOT);
  EXPECT_EQ(m->pivotX[0], 21);
  EXPECT_EQ(m->pivotY[0], 19);

  // Play advances, stop comes back to frame 30.
  Drive_Command(e.valuesDlg, IDC_O2D_PLAY);
  EXPECT_TRUE(Drive_PumpUntil([&] { return m->currentFrame > 3; }, 3000));
  Drive_Command(e.valuesDlg, IDC_O2D_STOP);
  EXPECT_EQ(g_Shell.g_Playing, 0u);
  EXPECT_EQ(m->currentFrame, 30);

  // The bone button asks first; "いいえ" keeps everything. A re-press of 1478 keeps the model.
  g_boxes.clear();
  g_boxAnswer = IDNO;
  Drive_Command(g_Ed2D.panel, IDC_M2D_BONE);
  g_boxAnswer = IDYES;
  EXPECT_EQ(g_boxes, std::vector<std::string>{"保存しないで編集モードを変更しますか？"});
  EXPECT_EQ(g_Shell.g_EditSubMode, (u32)SUB_2D_OBJECT);
  Drive_Command(g_Ed2D.panel, IDC_M2D_OBJECT);
  Drive_Pump(5);
  EXPECT_EQ(g_Obj2Slots[0], m);
  EXPECT_EQ(Track(1)->count, 2);

  // The image stands where its key puts it: frame (320 + x, 240 + y), less the pivot's offset.
  m->currentFrame = 30;
  Drive_Pump(60);
  const ObjKey2 &k30 = Track(1)->keys[1];
  COLORREF c = Drive_ScreenAtFrame(320.0f + k30.x - 5.0f, 240.0f + k30.y - 3.0f);
  EXPECT_LT(GetRValue(c), 60);
  EXPECT_GT(GetGValue(c), 150) << "green expected at the keyed place, got " << std::hex << c;
  COLORREF away = Drive_ScreenAtFrame(320.0f + k30.x - 60.0f, 240.0f + k30.y);
  EXPECT_LT(GetGValue(away), 150) << "nothing green beside it";
  Drive_Hold("MIRAVEL_OBJ2_HOLD");

  // Saved with 40106 and read back by modeldump: the keys and the pivot.
  g_DriveAnswer = "miravel_obj2_saved.KZA";
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZA_SAVE, 0);
  std::string saved = Drive_Temp(g_DriveAnswer.c_str());
  std::string dump = Drive_ModelDump(saved);
  EXPECT_NE(dump.find("{\"name\":\"" + image + "\",\"pivot\":[21,19]}"), std::string::npos) << dump;
  EXPECT_NE(dump.find("{\"object\":1,\"motions\":[[[0,1,40,-20,"), std::string::npos) << dump;
  EXPECT_NE(dump.find("],[30,1,"), std::string::npos) << dump;
  EXPECT_NE(dump.find("\"parent\":1"), std::string::npos) << dump;

  Drive_End("miravel_settings_obj2");
  DeleteFileA(saved.c_str());
  DeleteFileA(Drive_Temp(image.c_str()).c_str());
  g_ModalHooks = ModalHooks{};
}

namespace {
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
}  // namespace
