// Model texture reloads and pixel copies, bone origins of the pose records, and the scene
// reset that frees every loaded model.
#include <gtest/gtest.h>
#include <string.h>

#include "draw_fakedev.h"
#include "lib/draw/camera.h"
#include "lib/draw/texture.h"
#include "model/bone2.h"
#include "model/kzo.h"
#include "model/model3.h"
#include "model/obj2.h"
#include "scene/movie_services.h"

namespace {

struct ModelTexTest : ::testing::Test {
  void SetUp() override { FakeDev_Install(); }
  void TearDown() override {
    Tex_FreePixelCopies();
    for (auto &t : g_Tex.bone2Textures) t = nullptr;
    Model3_FreeAllSlots();
    Bone2_FreeAll();
    Obj2_FreeAll();
    FakeDev_Remove();
  }
};

TEST_F(ModelTexTest, Model3TextureReloadStoresTextureAndSize) {
  Model3 *m = Model3_Init(3);
  ASSERT_NE(m, nullptr);
  g_Fake->loaderFiles["skin.png"] = {64, 32};
  Tex_ReloadModel3Texture(3, 2, "skin.png");
  ASSERT_NE(g_ModelPoses[3]->textures[2], nullptr);
  EXPECT_EQ(m->textures[2].width, 64);
  EXPECT_EQ(m->textures[2].height, 32);
  // A failed reload releases the old texture and keeps the sizes.
  FakeTexture *old = (FakeTexture *)g_ModelPoses[3]->textures[2];
  Tex_ReloadModel3Texture(3, 2, "missing.png");
  EXPECT_TRUE(old->released);
  EXPECT_EQ(g_ModelPoses[3]->textures[2], nullptr);
  EXPECT_EQ(m->textures[2].width, 64);
  // Texture numbers and slots out of range do nothing.
  Tex_ReloadModel3Texture(3, 128, "skin.png");
  Tex_ReloadModel3Texture(-1, 0, "skin.png");
  Tex_ReloadModel3Texture(4, 0, "skin.png");   // empty slot
  EXPECT_EQ(g_Fake->textures.size(), 1u);
}

// A texture name is relative: it is found in the current folder or else beside the model
// (the folder of the model's file name); a name with its own folder is taken as it is.
TEST_F(ModelTexTest, TexturesAreFoundBesideTheModel) {
  Model3 *m = Model3_Init(3);
  ASSERT_NE(m, nullptr);
  struct Case { const char *model, *texture, *file; bool found; };
  const Case cases[] = {
    {"Z:\\work\\robot.KZP", "skin.png", "Z:\\work\\skin.png", true},
    {"/home/u/robot.KZP", "skin.png", "/home/u/skin.png", true},
    {"robot.KZP", "skin.png", "skin.png", true},
    {"Z:\\work\\robot.KZP", "skin.png", "Z:\\else\\skin.png", false},
    {"Z:\\work\\robot.KZP", "tex\\skin.png", "Z:\\work\\tex\\skin.png", false},
  };
  for (const Case &c : cases) {
    g_Fake->loaderFiles.clear();
    g_Fake->loaderFiles[c.file] = {16, 8};
    Model3_SetText(&m->fileName, c.model);
    Tex_ReloadModel3Texture(3, 1, c.texture);
    EXPECT_EQ(g_ModelPoses[3]->textures[1] != nullptr, c.found) << c.model << " " << c.file;
  }
}

TEST_F(ModelTexTest, PixelCopiesFollowTheModelCopiedLast) {
  Model3 *m = Model3_Init(1);
  ASSERT_NE(m, nullptr);
  ModelPose *pose = g_ModelPoses[1];
  // A 4x2 texture holding a 3x2 image: the copy has the image's own size.
  i32 w, h;
  pose->textures[0] = g_Dev.draw.createTexture(4, 2, &w, &h);
  FakeTexture *t = (FakeTexture *)pose->textures[0];
  for (int i = 0; i < 8; i++) {
    t->texels[i * 4 + 0] = (u8)i;   // blue
    t->texels[i * 4 + 1] = 0x20;    // green
    t->texels[i * 4 + 2] = 0x30;    // red
    t->texels[i * 4 + 3] = 0xFF;
  }
  m->textures[0].used = 1;
  m->textures[0].width = 3;
  m->textures[0].height = 2;
  Tex_CopyModel3Pixels(1);
  ASSERT_NE(g_Tex.pixels[0], nullptr);
  EXPECT_EQ(g_Tex.pixelsWidth[0], 3);
  // Texels (0, 0) and (1, 0) both land on pixel (0, 0): the later one stays.
  EXPECT_EQ(Tex_GetPixel(0, 0), 0xFF012030u);
  EXPECT_EQ(Tex_GetPixel(0, 5), 0xFF072030u);   // texel (3, 1) lands on pixel (2, 1)
  EXPECT_EQ(Tex_GetPixel(0, 6), 0u);
  // Another model's copy replaces it.
  Model3_Init(2);
  Tex_CopyModel3Pixels(2);
  EXPECT_EQ(g_Tex.pixels[0], nullptr);
  EXPECT_EQ(Tex_GetPixel(0, 0), 0u);
}

TEST_F(ModelTexTest, Bone2TextureReloadAndCopy) {
  Bone2Model *b = Bone2_Init(5);
  ASSERT_NE(b, nullptr);
  g_Fake->loaderFiles["part.png"] = {16, 8};
  Tex_ReloadBone2Texture(5, 1, "part.png");
  void *tex = g_Tex.bone2Textures[5 * 128 + 1];
  ASSERT_NE(tex, nullptr);
  EXPECT_EQ(((FakeTexture *)tex)->colorKey, 0xFF000000u);
  EXPECT_EQ(b->textures[1].width, 16u);
  Tex_ReloadBone2Texture(32, 1, "part.png");
  Tex_ReloadBone2Texture(5, 128, "part.png");
  EXPECT_EQ(g_Fake->textures.size(), 1u);
}

TEST_F(ModelTexTest, ObjectSetPartTextureReload) {
  Kzo_NewSet(2);
  ASSERT_NE(g_Obj3Poses[2], nullptr);
  ASSERT_NE(g_Obj3PartModels[2][3], nullptr);
  g_Fake->loaderFiles["part.png"] = {32, 16};
  Tex_ReloadObj3PartTexture(2, 3, 5, "part.png");
  ASSERT_NE(g_Obj3Poses[2]->textures[3][5], nullptr);
  EXPECT_EQ(g_Obj3PartModels[2][3]->textures[5].width, 32);
  EXPECT_EQ(g_Obj3PartModels[2][3]->textures[5].height, 16);
  Tex_ReloadObj3PartTexture(16, 3, 5, "part.png");
  Tex_ReloadObj3PartTexture(2, 32, 5, "part.png");
  Tex_ReloadObj3PartTexture(2, 3, 128, "part.png");
  EXPECT_EQ(g_Fake->textures.size(), 1u);
  g_Obj3Poses[2]->textures[3][5] = nullptr;   // the fake texture is not a platform handle
}

TEST_F(ModelTexTest, BoneOriginsComeFromThePoseRecord) {
  ASSERT_NE(Model3_Init(7), nullptr);
  Mat_Translation(&g_ModelPoses[7]->posed[4], 1, 2, 3);
  Mat_Translation(&g_ModelPoses[7]->rest[4], -1, -2, -3);
  Vec3 p = Model3_GetBoneOrigin(7, 4);
  Vec3 r = Model3_GetBoneRestOrigin(7, 4);
  EXPECT_EQ(p.x, 1.0f);
  EXPECT_EQ(p.z, 3.0f);
  EXPECT_EQ(r.y, -2.0f);
  Vec3 none = Model3_GetBoneOrigin(7, 128);
  EXPECT_EQ(none.x, 0.0f);
  none = Model3_GetBoneOrigin(8, 0);
  EXPECT_EQ(none.x, 0.0f);
}

TEST_F(ModelTexTest, ClearAllModelsFreesEverySlotAndTheMovieState) {
  Model3_Init(0);
  Model3_Init(255);
  Bone2_Init(31);
  Obj2_Init(7);
  g_Movie.loaded = 1;
  g_Movie.playState = MOVIE_PLAYING;
  Lib_ClearAllModels();
  EXPECT_EQ(g_Model3Slots[0], nullptr);
  EXPECT_EQ(g_Model3Slots[255], nullptr);
  EXPECT_EQ(g_Bone2Slots[31], nullptr);
  EXPECT_TRUE(!g_Obj2Slots[7] || !g_Obj2Slots[7]->active);   // 2D object models are released
  EXPECT_EQ(g_Movie.loaded, 0u);
  EXPECT_EQ(g_Movie.playState, 0u);
}

}  // namespace
