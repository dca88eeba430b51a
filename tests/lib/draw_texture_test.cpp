// Textures and the image table: raw and PSD decoding, power-of-two stretching, extension
// rules, the platform-loader fallback, pixel copies and the 1,024 image rows.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "file_bytes.h"
#include "draw_fakedev.h"
#include "lib/draw/image.h"
#include "lib/draw/imagedecode.h"
#include "lib/draw/texture.h"
#include "model/bytes.h"

namespace {

std::string TempPath(const char *name) {
  const char *dir = getenv("TMPDIR");
  return std::string(dir ? dir : "/tmp") + "/miravel_draw_" + name;
}

// A raw image whose pixel (x, y) is (x, y, 7, 200) in blue, green, red, alpha order.
std::vector<u8> Kzi(i32 w, i32 h, size_t cutPixels = 0) {
  ByteWriter bw = {};
  Wr_I32(&bw, 1);
  Wr_I32(&bw, 2);
  Wr_I32(&bw, w);
  Wr_I32(&bw, h);
  size_t total = (size_t)std::max(w, 0) * std::max(h, 0);
  for (size_t i = 0; i + cutPixels < total; i++) {
    Wr_U8(&bw, (u8)(i % w));
    Wr_U8(&bw, (u8)(i / w));
    Wr_U8(&bw, 7);
    Wr_U8(&bw, 200);
  }
  return TakeWriterBytes(&bw);
}

// A raw 8-bit RGB(A) PSD with planar data: channel c of pixel (x, y) = c * 60 + x + y.
std::vector<u8> Psd(i32 w, i32 h, int channels, bool blackFirstPixel) {
  ByteWriter bw = {};
  WritePsdHeader(&bw, w, h, channels);
  for (int c = 0; c < channels; c++)
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) Wr_U8(&bw, (blackFirstPixel && x == 0 && y == 0) ? 0 : (u8)(c * 60 + x + y));
  return TakeWriterBytes(&bw);
}

struct TextureTest : ::testing::Test {
  void SetUp() override { FakeDev_Install(); }
  std::vector<std::string> written;   // the files Load wrote, removed after the test
  f32 size[2];
  // The bytes written to the temporary file `name` and loaded as a texture (null when refused);
  // its size into size.
  void *Load(const char *name, const std::vector<u8> &bytes) {
    written.push_back(TempPath(name));
    WriteFileBytes(written.back(), bytes);
    void *tex = nullptr;
    Tex_LoadImageFile(&tex, written.back().c_str(), size);
    return tex;
  }
  void TearDown() override {
    for (const std::string &path : written) remove(path.c_str());
    Tex_FreePixelCopies();
    for (auto &r : g_ImageTable) {
      free(r.name);
      r = ImageRow{};
    }
    FakeDev_Remove();
  }
};

TEST(TextureArithmetic, PowerOfTwoSidesAndExtensionRules) {
  EXPECT_EQ(Tex_TextureSide(1), 1);
  EXPECT_EQ(Tex_TextureSide(3), 4);
  EXPECT_EQ(Tex_TextureSide(300), 512);
  EXPECT_EQ(Tex_TextureSide(200), 256);
  EXPECT_EQ(Tex_TextureSide(1024), 1024);
  EXPECT_EQ(Tex_TextureSide(1025), 1025);
  EXPECT_EQ(Tex_TextureSide(2048), 2048);
  EXPECT_TRUE(Tex_HasExtension("a/b/pic.KZI", "kzi"));
  EXPECT_TRUE(Tex_HasExtension("pic.Psd", "psd"));
  EXPECT_FALSE(Tex_HasExtension("pic.kzip", "kzi"));
  EXPECT_FALSE(Tex_HasExtension("kzi", "kzi"));
  EXPECT_FALSE(Tex_HasExtension("pic.kz", "kzi"));
}

TEST(TextureArithmetic, RawImagesWithImpossibleSizesAreRefused) {
  TexImage img;
  for (auto wh : std::vector<std::pair<i32, i32>>{{0, 4}, {4, 0}, {-1, 4}, {4, -2147483647 - 1},
                                                    {KZI_MAX_SIDE + 1, 1}, {65536, 65536}}) {
    auto bytes = Kzi(1, 1);
    memcpy(&bytes[8], &wh.first, 4);
    memcpy(&bytes[12], &wh.second, 4);
    EXPECT_FALSE(Kzi_Decode(bytes.data(), bytes.size(), &img)) << wh.first << "x" << wh.second;
    EXPECT_EQ(img.bgra, nullptr);
  }
  auto header = Kzi(2, 2);
  EXPECT_FALSE(Kzi_Decode(header.data(), 15, &img));   // shorter than the header
}

// A raw image cut short, or one declaring more pixels than its bytes hold (a 16-byte file
// claiming 16384 x 16384), is refused before a pixel is allocated.
TEST(TextureArithmetic, ShortRawImageIsRefusedBeforeAllocating) {
  auto bytes = Kzi(4, 2, 3);
  TexImage img = {nullptr, 0, 0};
  EXPECT_FALSE(Kzi_Decode(bytes.data(), bytes.size(), &img));
  EXPECT_EQ(img.bgra, nullptr);
  auto huge = Kzi(1, 1);
  i32 side = 16384;
  memcpy(&huge[8], &side, 4);
  memcpy(&huge[12], &side, 4);
  EXPECT_FALSE(Kzi_Decode(huge.data(), huge.size(), &img));
  EXPECT_EQ(img.bgra, nullptr);
  auto whole = Kzi(4, 2);
  ASSERT_TRUE(Kzi_Decode(whole.data(), whole.size(), &img));
  TexImage_Free(&img);
}

TEST_F(TextureTest, RawImage300x200BecomesA512x256StretchedTexture) {
  void *tex = Load("stretch.KZI", Kzi(300, 200));   // capitals: still the raw reader
  ASSERT_NE(tex, nullptr);
  EXPECT_EQ(size[0], 300.0f);
  EXPECT_EQ(size[1], 200.0f);
  FakeTexture *t = (FakeTexture *)tex;
  ASSERT_EQ(t->width, 512);
  ASSERT_EQ(t->height, 256);
  for (int y : {0, 1, 100, 255}) {
    for (int x : {0, 1, 300, 511}) {
      const u8 *p = &t->texels[((size_t)y * 512 + x) * 4];
      EXPECT_EQ(p[0], (u8)(int)(300.0f / 512.0f * x)) << x << "," << y;
      EXPECT_EQ(p[1], (u8)(int)(200.0f / 256.0f * y)) << x << "," << y;
      EXPECT_EQ(p[2], 7);
      EXPECT_EQ(p[3], 200);
    }
  }
  // Loading again releases the previous texture first.
  Tex_LoadImageFile(&tex, written.back().c_str(), size);
  EXPECT_TRUE(t->released);
}

TEST_F(TextureTest, WideRawImageKeepsItsWidth) {
  void *tex = Load("wide.kzi", Kzi(2048, 3));
  ASSERT_NE(tex, nullptr);
  EXPECT_EQ(((FakeTexture *)tex)->width, 2048);
  EXPECT_EQ(((FakeTexture *)tex)->height, 4);
}

TEST_F(TextureTest, MissingOrBrokenRawImageGivesNoTextureAndNoSize) {
  void *tex = nullptr;
  f32 size[2] = {5, 5};
  Tex_LoadImageFile(&tex, TempPath("absent.kzi").c_str(), size);
  EXPECT_EQ(tex, nullptr);
  EXPECT_EQ(size[0], 0.0f);
  std::string path = TempPath("huge.kzi");
  auto bytes = Kzi(1, 1);
  i32 big = 0x40000000;
  memcpy(&bytes[8], &big, 4);
  WriteFileBytes(path, bytes);
  Tex_LoadImageFile(&tex, path.c_str(), size);
  EXPECT_EQ(tex, nullptr);
  EXPECT_TRUE(g_Fake->textures.empty());
  // A null path changes nothing.
  size[0] = 9;
  Tex_LoadImageFile(&tex, nullptr, size);
  EXPECT_EQ(size[0], 9.0f);
  remove(path.c_str());
}

TEST_F(TextureTest, ThreeChannelPsdShowsPureBlackTransparent) {
  void *tex = Load("rgb.psd", Psd(4, 4, 3, true));
  ASSERT_NE(tex, nullptr);
  FakeTexture *t = (FakeTexture *)tex;
  ASSERT_EQ(t->width, 4);
  EXPECT_EQ(t->texels[3], 0);   // black pixel: alpha 0
  const u8 *p = &t->texels[(1 * 4 + 2) * 4];   // (2, 1): r = 3, g = 63, b = 123
  EXPECT_EQ(p[0], 123);
  EXPECT_EQ(p[1], 63);
  EXPECT_EQ(p[2], 3);
  EXPECT_EQ(p[3], 255);
}

TEST_F(TextureTest, PsdOfOddSizeIsStretchedWithinItsPixels) {
  void *tex = Load("odd.psd", Psd(3, 5, 4, false));
  ASSERT_NE(tex, nullptr);
  EXPECT_EQ(size[0], 3.0f);
  EXPECT_EQ(size[1], 5.0f);
  FakeTexture *t = (FakeTexture *)tex;
  ASSERT_EQ(t->width, 4);
  ASSERT_EQ(t->height, 8);
  // Texel (3, 7) takes pixel (2, 4): red 6, alpha 180 + 6.
  const u8 *p = &t->texels[(7 * 4 + 3) * 4];
  EXPECT_EQ(p[2], 6);
  EXPECT_EQ(p[3], 186);
  for (size_t i = 0; i < t->texels.size(); i++) ASSERT_NE(t->texels[i], 0xCD) << i;   // every texel written
}

TEST_F(TextureTest, OtherFilesAndRefusedPsdsGoToThePlatformLoaderWithBlackKey) {
  std::string bad = TempPath("bad.psd");
  WriteFileBytes(bad, std::string("not psd"));
  g_Fake->loaderFiles[bad] = {64, 32};
  g_Fake->loaderFiles["pic.png"] = {100, 50};
  void *tex = nullptr;
  f32 size[2];
  Tex_LoadImageFile(&tex, bad.c_str(), size);
  ASSERT_NE(tex, nullptr);
  EXPECT_EQ(size[0], 64.0f);
  Tex_LoadImageFile(&tex, "pic.png", size);
  ASSERT_NE(tex, nullptr);
  EXPECT_EQ(((FakeTexture *)tex)->colorKey, 0xFF000000u);
  EXPECT_EQ(size[1], 50.0f);
  remove(bad.c_str());
}

TEST_F(TextureTest, PixelCopiesHaveTheImageSizeAndAreBounded) {
  void *tex = Load("copy.kzi", Kzi(3, 2));
  ASSERT_NE(tex, nullptr);
  Tex_CopyPixels(5, tex, 3, 2);
  // Pixel (2, 1): blue 2, green 1, red 7, alpha 200 -> alpha, blue, green, red.
  EXPECT_EQ(Tex_GetPixel(5, 1 * 3 + 2), 0xC8020107u);
  EXPECT_EQ(Tex_GetPixel(5, 6), 0u);      // one past the copy
  EXPECT_EQ(Tex_GetPixel(5, -1), 0u);
  EXPECT_EQ(Tex_GetPixel(4, 0), 0u);      // no copy
  EXPECT_EQ(Tex_GetPixel(128, 0), 0u);
  EXPECT_EQ(Tex_GetPixel(-1, 0), 0u);
}

TEST_F(TextureTest, ACopyReplacesTheEarlierCopyOfItsSlot) {
  void *tex = Load("again.kzi", Kzi(3, 2));
  ASSERT_NE(tex, nullptr);
  Tex_CopyPixels(5, tex, 3, 2);
  // The second copy of slot 5 takes the place of the first (LeakSanitizer sees a lost one).
  Tex_CopyPixels(5, tex, 2, 1);
  EXPECT_EQ(g_Tex.pixelsWidth[5], 2);
  EXPECT_EQ(g_Tex.pixelsHeight[5], 1);
  EXPECT_EQ(Tex_GetPixel(5, 2), 0u);   // past the smaller copy
  // A refused size leaves the slot's copy as it was.
  Tex_CopyPixels(5, tex, 0, 1);
  EXPECT_EQ(g_Tex.pixelsWidth[5], 2);
}

TEST_F(TextureTest, ReadPixelsCopiesLevelZeroRowByRow) {
  i32 w, h;
  void *tex = g_Dev.draw.createTexture(3, 2, &w, &h);
  FakeTexture *t = (FakeTexture *)tex;
  for (size_t i = 0; i < t->texels.size(); i++) t->texels[i] = (u8)i;
  u32 *px = Tex_ReadPixels(tex, &w, &h);
  ASSERT_NE(px, nullptr);
  EXPECT_EQ(w, 3);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(px[4], 0x13121110u);   // texel (1, 1): bytes 16..19, blue first
  free(px);
  EXPECT_EQ(Tex_ReadPixels(nullptr, &w, &h), nullptr);
  EXPECT_EQ(w, 0);
}

// [SECTION] Image table

TEST_F(TextureTest, ImageTableFillsAt1024RowsAndRefusesTheNext) {
  g_Fake->loaderFiles["img.png"] = {16, 16};
  static ImageHandle h[IMAGE_ROWS];
  for (int i = 0; i < IMAGE_ROWS; i++) {
    h[i] = {0, -1};
    ASSERT_EQ(Img_Load(&h[i], "img.png"), i);
  }
  EXPECT_EQ(h[0].loaded, 1u);
  ImageHandle more = {0, -1};
  EXPECT_EQ(Img_Load(&more, "img.png"), -1);
  EXPECT_EQ(Img_AllocRow(), -1);
}

TEST_F(TextureTest, ALoadedHandleReloadsItsOwnRow) {
  g_Fake->loaderFiles["a.png"] = {8, 8};
  g_Fake->loaderFiles["b.png"] = {4, 2};
  ImageHandle h = {0, -1}, other = {0, -1};
  ASSERT_EQ(Img_Load(&h, "a.png"), 0);
  ASSERT_EQ(Img_Load(&other, "a.png"), 1);
  EXPECT_EQ(Img_Load(&h, "b.png"), 0);   // same row, new image
  EXPECT_EQ(g_ImageTable[0].width, 4.0f);
  EXPECT_STREQ(g_ImageTable[0].name, "b.png");
  EXPECT_EQ(g_ImageTable[2].inUse, 0);
  // A reload that fails gives the row back.
  EXPECT_EQ(Img_Load(&h, "missing.png"), -1);
  EXPECT_EQ(g_ImageTable[0].inUse, 0);
  EXPECT_EQ(h.loaded, 0u);
  // A handle that never loaded does not take the row its zero fields name.
  ImageHandle zero = {0, 1};
  EXPECT_EQ(Img_Load(&zero, "a.png"), 0);
  EXPECT_EQ(g_ImageTable[1].width, 8.0f);
}

TEST_F(TextureTest, FailedLoadsGiveTheirRowBack) {
  g_Fake->loaderFiles["ok.png"] = {10, 20};
  ImageHandle h = {0, -1};
  for (int i = 0; i < 2 * IMAGE_ROWS; i++) ASSERT_EQ(Img_Load(&h, "missing.png"), -1);
  EXPECT_EQ(h.row, -1);
  EXPECT_EQ(h.loaded, 0u);
  EXPECT_EQ(Img_Load(&h, "ok.png"), 0);
  EXPECT_EQ(g_ImageTable[0].width, 10.0f);
  EXPECT_STREQ(g_ImageTable[0].name, "ok.png");
  EXPECT_EQ(g_ImageTable[1].inUse, 0);
}

TEST_F(TextureTest, NoDeviceNoLoad) {
  g_Fake->ready = false;
  g_Fake->loaderFiles["ok.png"] = {10, 20};
  ImageHandle h = {0, -1};
  EXPECT_EQ(Img_Load(&h, "ok.png"), -1);
  EXPECT_EQ(g_ImageTable[0].inUse, 0);
}

TEST_F(TextureTest, ImageDrawingPlacesTheQuadAndItsTextureCoordinates) {
  g_Fake->loaderFiles["ok.png"] = {10, 20};
  ImageHandle h = {0, -1};
  ASSERT_EQ(Img_Load(&h, "ok.png"), 0);
  ASSERT_TRUE(Img_Draw(&h, 5, 6));
  EXPECT_EQ(g_Fake->boundTexture, g_ImageTable[0].texture);
  auto v = FakeDev_ScreenVerts(0);
  ASSERT_EQ(v.size(), 4u);
  EXPECT_EQ(v[2].x, 15.0f);
  EXPECT_EQ(v[2].y, 26.0f);
  EXPECT_EQ(v[2].u, 1.0f);
  EXPECT_EQ(v[0].color, 0xFFFFFFFFu);
  ASSERT_TRUE(Img_DrawColored(&h, 0, 0, 1, 2, 3, 4));
  v = FakeDev_ScreenVerts(1);
  EXPECT_EQ(v[0].u, 0.01f);
  EXPECT_EQ(v[2].v, 0.99f);
  EXPECT_EQ(v[0].color, 0x04010203u);
  ASSERT_TRUE(Img_DrawUV(&h, 0, 0, 9.9, 0, 9.9, 9.9, 0, 9.9, 0, 0, 5, 0, 5, 10, 0, 10, 255, 255, 255, 255));
  v = FakeDev_ScreenVerts(2);
  EXPECT_EQ(v[1].x, 9.0f);
  EXPECT_EQ(v[1].u, 0.5f);
  EXPECT_EQ(v[2].v, 0.5f);
  ImageHandle none = {0, -1};
  EXPECT_FALSE(Img_Draw(&none, 0, 0));
  EXPECT_FALSE(Img_DrawQuad(nullptr, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
  ImageHandle far = {1, 5000};
  EXPECT_FALSE(Img_DrawColored(&far, 0, 0, 0, 0, 0, 0));
  EXPECT_EQ(g_Fake->draws.size(), 3u);
}

}  // namespace

// The PNG and palette BMP kinds paint programs write (tests/data/images, 16 x 16: left half
// (200, 40, 40), right half (40, 40, 200); grey ones 60 and 200) decode to those colours, and
// every shortened copy of each file is refused without reading past its end.
TEST(ImageDecode, PaintProgramKindsDecodeAndShortenedFilesAreRefused) {
  const char *src = getenv("MIRAVEL_SRC");
  std::string dir = std::string(src ? src : ".") + "/tests/data/images/";
  const char *files[] = {"pal1.png", "pal2.png", "pal4.png", "pal8.png", "grey8.png", "grey16.png", "greyalpha.png",
                         "rgb8.png", "rgb16.png", "rgba16.png", "interlaced.png", "bmp1.bmp", "bmp4.bmp", "bmp8.bmp"};
  for (const char *f : files) {
    SCOPED_TRACE(f);
    std::vector<u8> bytes = ReadFileBytes(dir + f);
    ASSERT_FALSE(bytes.empty());
    bool png = strstr(f, ".png") != nullptr;
    auto decode = [&](size_t n, TexImage *img) {
      return png ? ImgDecode_Png(bytes.data(), n, img) : ImgDecode_PaletteBmp(bytes.data(), n, img);
    };
    TexImage img = {};
    ASSERT_TRUE(decode(bytes.size(), &img));
    ASSERT_EQ(img.width, 16);
    ASSERT_EQ(img.height, 16);
    const u8 *r = img.bgra + (8 * 16 + 12) * 4;   // blue 200 in the right half (grey 200)
    EXPECT_EQ(r[0], 200);
    EXPECT_EQ(r[3], 255);
    TexImage_Free(&img);
    // Cut anywhere before the last byte that carries pixels: no image, nothing read past the end.
    size_t keep = png ? bytes.size() - 12 : bytes.size();   // a PNG's IEND is 12 bytes
    for (size_t n = 0; n < keep; n++) {
      std::vector<u8> cut(bytes.begin(), bytes.begin() + (long)n);
      TexImage c = {};
      bool ok = png ? ImgDecode_Png(cut.data(), n, &c) : ImgDecode_PaletteBmp(cut.data(), n, &c);
      EXPECT_FALSE(ok) << n;
      EXPECT_EQ(c.bgra, nullptr);
    }
  }
}
