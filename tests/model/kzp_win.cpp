// Model files in the Windows program: a model saved over an existing file reads back whole,
// with the real full-size arrays and its CP932 names, and a KZO set finds its part models.
// (File names stay ASCII: this Wine set-up cannot create files with non-ASCII names.)
#include <gtest/gtest.h>
#include <windows.h>

#include "model_shown.h"
#include "model/kzo.h"
#include "model/kzp.h"
#include "model/seam_errorbox.h"

TEST(ModelFilesWin, JapaneseNamesAndReplacedFiles) {
  const char *path = "model_win.kzp";
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_Init(0);
  ASSERT_NE(m, nullptr);
  m->positionCount = 3;
  m->positions[2].y = 7.5f;
  m->polygonCount = 1;
  m->polygons[0].cornerCount = 3;
  m->polygons[0].corners[1].vertex = 1;
  m->polygons[0].corners[2].vertex = 2;
  Str_Copy(m->bones[1].name, 256, "腕");
  ASSERT_TRUE(Shown(Kzp_Write, m, path));
  m->positions[2].y = 9.0f;
  ASSERT_TRUE(Shown(Kzp_Write, m, path));   // over the existing file

  g_ModelAllocArrays = 1;
  Model3 *r = Shown(Model3_OpenFile, 1, path);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->positions[2].y, 9.0f);
  EXPECT_STREQ(r->bones[1].name, "腕");
  EXPECT_EQ(r->capPolygons, (i32)g_MaxPolygons);

  // A set with that part.
  Kzo_NewSet(0);
  ASSERT_TRUE(Shown(Kzp_ReadIntoObjectPart, 0, 1, path));
  g_Obj3Sets[0]->parts[1].parent = 0;
  ASSERT_TRUE(Shown(Kzo_Write, 0, "set_win.kzo"));
  ASSERT_TRUE(Shown(Kzo_Read, 1, "set_win.kzo", Seam_ShowResult));
  ASSERT_NE(g_Obj3PartModels[1][1], nullptr);
  EXPECT_EQ(g_Obj3PartModels[1][1]->positionCount, 3);
  EXPECT_STREQ(g_Obj3Sets[1]->parts[1].path, path);

  Kzo_FreeAll();
  Model3_FreeAllSlots();
  DeleteFileA(path);
  DeleteFileA("set_win.kzo");
}
