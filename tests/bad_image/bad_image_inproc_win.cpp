// A text file named bad.png added as an image, wherever images are added (3D textures, 2D
// textures, 2D object images), gives one message: the loader's "cannot read this image", not a
// second "cannot open" after it.
#include <gtest/gtest.h>
#include <windows.h>

#include "edit2d/ed2d_object.h"
#include "edit2d/ed2d_tex.h"
#include "edit3d/ed3d_tex.h"
#include "resources/edit3d_ids.h"
#include "resources/edit3d_tex_ids.h"
#include "wine_drive.h"

namespace {

std::vector<std::string> g_Boxes;
int RecordBox(HWND, const char *text, const char *, UINT) {
  if (strstr(text, "bad.png")) g_Boxes.push_back(text);
  return IDYES;
}

void *TexPanel3D() { return g_Ed3DTex.panel; }
void *TexPanel2D() { return g_Ed2DTex.panel; }
void *ImageDlg2D() { return g_Ed2DObj.imageDlg; }

}  // namespace

TEST(BadImage, OneMessageWhereverAnImageIsAdded) {
  {
    FILE *f = fopen(Drive_Temp("bad.png").c_str(), "wb");
    ASSERT_NE(f, nullptr);
    fputs("this is text, not an image\n", f);
    fclose(f);
  }
  SetEnvironmentVariableA("MIRAVEL_MODAL_AUTO", "1");
  g_ModalHooks.messageBox = RecordBox;
  std::string cube;
  // Both families' windows, as the program installs them.
  Ed2D_InstallWin();
  Ed2D_ObjInstallWin();
  Ed2D_MotionInstallWin();
  ASSERT_NO_FATAL_FAILURE(Drive_Start3DOnCube("miravel_bad_cube.KZP", "miravel_settings_bad", &cube));

  struct Case {
    const char *where;
    void (*enter)(void);
    void *(*panel)(void);
    int add;
  } cases[] = {
      {"3D texture", [] { Drive_Press3D(IDC_M3D_TEXTURE); }, TexPanel3D, IDC_TEX_ADD},
      {"2D texture",
       [] {
         Drive_Command(g_EditDlg.window, IDC_EDIT_2D_MODEL);
         Drive_Pump(20);
         SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_2D_BONE_NEW, 0);
         Drive_Pump(5);
         Drive_Press2D(IDC_M2D_TEXTURE);
       },
       TexPanel2D, IDC_T2D_ADD},
      {"2D object image", [] { Drive_Press2D(IDC_M2D_OBJECT); }, ImageDlg2D, IDC_O2D_IMG_ADD},
  };
  auto platformRun = g_LibHooks.fileDlg.run;
  for (const Case &c : cases) {
    c.enter();
    void *panel = c.panel();
    ASSERT_TRUE(Drive_Alive(panel)) << c.where;
    g_Boxes.clear();
    g_LibHooks.fileDlg.run = Drive_AnswerRequest;
    g_DriveAnswer = "bad.png";
    Drive_Command(panel, c.add);
    g_LibHooks.fileDlg.run = platformRun;
    Drive_Pump(5);
    ASSERT_EQ(g_Boxes.size(), 1u) << c.where << ": " << (g_Boxes.size() > 1 ? g_Boxes[1] : "");
    EXPECT_NE(g_Boxes[0].find("画像ファイル"), std::string::npos) << c.where << ": " << g_Boxes[0];
  }
  g_ModalHooks.messageBox = Drive_AnswerYes;
  Drive_End("miravel_settings_bad");
}
