// Drawing on a real Direct3D 9 device under Wine, checked against golden images: a card of
// every primitive kind, a card of Japanese screen text in several sizes, and textures loaded
// from a raw image, a PSD and a PNG (texel-exact, and drawn).
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "file_bytes.h"
#include "app/shell_services.h"
#include "draw_device_win.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/drawdev_win.h"
#include "lib/draw/image.h"
#include "lib/draw/screen.h"
#include "lib/draw/text.h"
#include "lib/draw/texture.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "model/bone2.h"
#include "model/bytes.h"
#include "model/kzo.h"
#include "model/model3.h"
#include "model/obj2.h"
#include "model/seam.h"
#include "view_reset.h"

namespace {

// Channel tolerance and share of pixels allowed to differ (rasteriser rounding of edges).
const int kTolerance = 6;

struct DrawWinTest : ::testing::Test {
  TestDevice t;
  void Open(int w, int h) {
    ASSERT_TRUE(TestDevice_Create(&t, w, h)) << "no Direct3D device";
    Draw_InstallFor(&t.device);
    g_Lib.screenWidth = w;
    g_Lib.screenHeight = h;
    g_Lib.desktopWidth = w;
    g_Lib.desktopHeight = h;
    ViewReset_3DModel(14);
    g_FrameOutputSuppressed = 0;
    g_Lib.textSize = 1.0f;
    g_Text.lineCount = 0;
    Text_SetColor(255, 255, 255, 255);
    Text_CreateFont(1.0f);
  }
  void Begin(D3DCOLOR clear) {
    t.device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, clear, 1.0f, 0);
    ASSERT_TRUE(SUCCEEDED(t.device->BeginScene()));
    Draw_SetDefaultStates();
    DrawDev_SetRenderState(DRS_LIGHTING, 0);
    Img_Bind(-1);
  }
  void End() { t.device->EndScene(); }
  void ExpectGolden(const char *name) {
    std::string report;
    int bad = Golden_Compare(&t, name, kTolerance, &report);
    ASSERT_GE(bad, 0) << report;
    EXPECT_LE(bad, t.width * t.height / 500) << name << ": " << bad << " pixels differ\n" << report;
  }
  void TearDown() override {
    Text_ReleaseFont();
    for (auto &r : g_ImageTable) {
      DrawDev_Release(r.texture);
      free(r.name);
      r = ImageRow{};
    }
    g_Dev.draw = DrawDev{};
    TestDevice_Destroy(&t);
  }
};

void Quad(i32 x, i32 y, i32 w, i32 h, i32 r, i32 g, i32 b, i32 a) {
  Draw_Quad2D(x, y, r, g, b, a, 0.01f, 0.01f, x + w, y, r, g, b, a, 0.99f, 0.01f,
              x + w, y + h, r, g, b, a, 0.99f, 0.99f, x, y + h, r, g, b, a, 0.01f, 0.99f);
}

TEST_F(DrawWinTest, PrimitiveCard) {
  Open(704, 544);
  // A 2D-frame family with view windows: the 640x480 frame sits at (32, 32) of the desktop.
  ViewReset_2DFrame(FAMILY_2D_MAP, 0);
  Begin(0xFF203040);
  for (int i = 0; i < 16; i++) Draw_Point2D(20 + i * 6, 20, 255, 255 - i * 16, i * 16, 255);
  Draw_Line2D(20, 40, 255, 0, 0, 255, 300, 40, 0, 0, 255, 255);
  Draw_Line2D(20, 50, 255, 255, 0, 255, 120, 150, 255, 255, 0, 255);
  Draw_Line2DColors(140, 50, 0, 255, 255, 255, 0, 0, 140, 150, 0, 255, 255, 255, 0, 0);
  Draw_Rect2D(160, 60, 300, 140, 255, 128, 0, 255);
  Draw_Triangle2D(320, 140, 255, 0, 0, 255, 0, 0, 380, 40, 0, 255, 0, 255, 0, 0, 440, 140, 0, 0, 255, 255, 0, 0);
  // Normal alpha blending: half-transparent red over blue.
  Quad(20, 180, 120, 120, 0, 0, 255, 255);
  Quad(80, 240, 120, 120, 255, 0, 0, 128);
  // Additive: green added onto red gives yellow; the next quad blends normally again.
  Quad(240, 180, 120, 120, 255, 0, 0, 255);
  Draw_SetNextQuadAdditive(1);
  Quad(300, 240, 120, 120, 0, 255, 0, 255);
  Quad(460, 180, 120, 120, 255, 0, 0, 255);
  Quad(520, 240, 100, 100, 0, 255, 0, 128);
  // 3D: a lit-off line and a triangle under the camera.
  f32 proj[16];
  Cam_BuildPerspectiveFovLH(proj, 3.14159265f / 4.0f, 704.0f / 544.0f, 1.0f, 65000.0f);
  g_Dev.draw.setTransform(DTS_PROJECTION, proj);
  Cam_SetEye(0, 0, -15);
  Cam_SetTarget(0, 0, 0);
  f32 id[16];
  Cam_Identity(id);
  g_Dev.draw.setTransform(DTS_WORLD, id);
  DrawDev_SetRenderState(DRS_CULLMODE, DCULL_NONE);
  DrawDev_SetRenderState(DRS_ZENABLE, 0);
  Draw_Line3D(-6, -3, 0, 255, 255, 255, 255, 0, 0, -2, -5, 0, 255, 0, 255, 255, 0, 0);
  Draw_SetLighting(0);
  Draw_Triangle3D(0, -2, 0, 0, 0, -1, 255, 255, 0, 255, 0, 0, 3, -2, 0, 0, 0, -1, 0, 255, 255, 255, 0, 0,
                  1.5f, -5, 0, 0, 0, -1, 255, 0, 255, 255, 0, 0);
  // The white outline of the 640x480 frame, as the frame render draws it.
  Img_Bind(-1);
  Draw_Rect2D(-1, -1, 640, 480, 255, 255, 255, 255);
  // The brightness cover at level 0.5 over the whole back buffer.
  g_Lib.viewWindowMode = 0;
  i32 a = Cam_CoverAlpha(0.5f);
  EXPECT_EQ(a, 128);
  Quad(0, 0, 704, 544, 0, 0, 0, a);
  End();
  ExpectGolden("primitives");
}

TEST_F(DrawWinTest, JapaneseTextCard) {
  Open(640, 480);
  Begin(0xFF000000);
  const f32 sizes[] = {1.0f, 1.5f, 2.0f, 3.0f};
  int y = 8;
  for (f32 s : sizes) {
    g_Lib.textSize = s;
    Text_Printf(8, y, "日本語のテキスト %.1f ＡＢＣ abc", s);
    y += (int)(16 * s) + 8;
  }
  g_Lib.textSize = 1.0f;
  Text_SetColor(255, 0, 0, 128);
  Text_Printf(8, y + 10, "半透明の赤 (255, 0, 0, 128)");
  Text_SetColor(0, 255, 0, 255);
  Text_Printf(8, y + 30, "緑の行、ソ表示"); // ソ has 0x5C as its second byte
  Text_SetSuppressed(1);
  Text_Printf(8, y + 50, "表示されない行");
  Text_SetSuppressed(0);
  // Frame scaling doubles position and size on a 1280x960 frame; here the 640x480 frame
  // at scale 1.0 keeps them.
  Text_DrawQueue();
  End();
  ExpectGolden("text");
}

// The thin horizontal strokes of screen text: "Y-" is drawn over "Y " and "ボーン_01" over
// "ボーン 01" (white on a mid grey, as the 2D views draw their captions), each pair at the same x;
// the pixels lit in the first line and ground in the second are the stroke's. At 16 px the
// text face (or its stand-in) draws "-" as a 7 x 1 and "_" as an 8 x 1 run at full coverage,
// so each must show at least 5 pixels at least half-way from the ground to white.
TEST_F(DrawWinTest, HyphenAndUnderscoreOfScreenTextShowPlainly) {
  Open(640, 480);
  const unsigned kGround = 0x808080;
  Begin(0xFF000000 | kGround);
  struct Pair {
    const char *name, *with, *without;
  } pairs[] = {{"hyphen", "Y-", "Y "}, {"underscore", "ボーン_01", "ボーン 01"}};
  const int kRow = 40;
  int y = 8;
  for (const Pair &p : pairs) {
    Text_Printf(8, y, "%s", p.with);
    Text_Printf(8, y + kRow, "%s", p.without);
    y += 2 * kRow;
  }
  Text_DrawQueue();
  End();
  unsigned w = 0, h = 0;
  std::vector<unsigned> px = Device_ReadBack(t.device, &w, &h);
  ASSERT_EQ(w, 640u);
  auto grey = [&](int x, int yy) {
    unsigned c = px[(size_t)yy * w + x];
    return (int)((c >> 16 & 255) + (c >> 8 & 255) + (c & 255)) / 3;
  };
  y = 8;
  for (const Pair &p : pairs) {
    int lit = 0, extra = 0;
    for (int yy = y - 4; yy < y + kRow - 4; yy++)
      for (int x = 0; x < 200; x++) {
        int a = grey(x, yy), b = grey(x, yy + kRow);
        lit += a >= 192 && b <= 0x80 + 8;
        extra += b >= 192 && a <= 0x80 + 8;
      }
    EXPECT_GE(lit, 5) << p.name << ": " << lit << " plainly lit pixels";
    EXPECT_EQ(extra, 0) << p.name;
    y += 2 * kRow;
  }
}

// [SECTION] Textures

std::string TempFile(const char *name) {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  return std::string(dir) + "miravel_draw_" + name;
}

// Test pattern: pixel (x, y) of a w x h image as blue, green, red, alpha.
void Pattern(int x, int y, u8 out[4]) {
  out[0] = (u8)(x * 16);
  out[1] = (u8)(y * 16);
  out[2] = (u8)(255 - x * 8 - y * 8);
  out[3] = 255;
}

std::vector<u8> MakeKzi(int w, int h) {
  ByteWriter bw = {};
  Wr_I32(&bw, 0);
  Wr_I32(&bw, 0);
  Wr_I32(&bw, w);
  Wr_I32(&bw, h);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) {
      u8 p[4];
      Pattern(x, y, p);
      Wr_Bytes(&bw, p, 4);
    }
  return TakeWriterBytes(&bw);
}

std::vector<u8> MakePsd(int w, int h) {
  ByteWriter bw = {};
  WritePsdHeader(&bw, w, h, 4);
  const int order[4] = {2, 1, 0, 3};   // PSD channels red, green, blue, alpha
  for (int c = 0; c < 4; c++)
    for (int y = 0; y < h; y++)
      for (int x = 0; x < w; x++) {
        u8 p[4];
        Pattern(x, y, p);
        Wr_U8(&bw, p[order[c]]);
      }
  return TakeWriterBytes(&bw);
}

bool MakePng(IDirect3DDevice9 *dev, const std::string &path, int w, int h) {
  IDirect3DTexture9 *tex = nullptr;
  if (FAILED(dev->CreateTexture(w, h, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &tex, nullptr))) return false;
  D3DLOCKED_RECT lr;
  tex->LockRect(0, &lr, nullptr, 0);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) Pattern(x, y, (u8 *)lr.pBits + y * lr.Pitch + x * 4);
  tex->UnlockRect(0);
  HRESULT hr = D3DXSaveTextureToFileA(path.c_str(), D3DXIFF_PNG, tex, nullptr);
  tex->Release();
  return SUCCEEDED(hr);
}

// Every texel of level 0 equals the pattern pixel it was stretched from.
void ExpectTexels(void *texture, int imgW, int imgH) {
  ASSERT_NE(texture, nullptr);
  IDirect3DTexture9 *tex = (IDirect3DTexture9 *)texture;
  D3DSURFACE_DESC d;
  tex->GetLevelDesc(0, &d);
  D3DLOCKED_RECT lr;
  ASSERT_TRUE(SUCCEEDED(tex->LockRect(0, &lr, nullptr, D3DLOCK_READONLY)));
  int bad = 0;
  for (int y = 0; y < (int)d.Height; y++)
    for (int x = 0; x < (int)d.Width; x++) {
      u8 want[4];
      Pattern((int)((f32)imgW / d.Width * x), (int)((f32)imgH / d.Height * y), want);
      const u8 *got = (const u8 *)lr.pBits + y * lr.Pitch + x * 4;
      if (memcmp(got, want, 4) != 0) bad++;
    }
  tex->UnlockRect(0);
  EXPECT_EQ(bad, 0);
}

TEST_F(DrawWinTest, TexturesFromRawPsdAndPngAreTexelExact) {
  Open(320, 128);
  std::string kzi = TempFile("tex.kzi"), kziOdd = TempFile("odd.KZI"), psd = TempFile("tex.psd"),
              psdOdd = TempFile("odd.psd"), png = TempFile("tex.png");
  WriteFileBytes(kzi, MakeKzi(16, 16));
  WriteFileBytes(kziOdd, MakeKzi(12, 10));
  WriteFileBytes(psd, MakePsd(16, 16));
  WriteFileBytes(psdOdd, MakePsd(12, 10));
  ASSERT_TRUE(MakePng(t.device, png, 16, 16));
  struct Case { std::string path; int w, h, texW, texH; } cases[] = {
      {kzi, 16, 16, 16, 16}, {kziOdd, 12, 10, 16, 16}, {psd, 16, 16, 16, 16}, {psdOdd, 12, 10, 16, 16}, {png, 16, 16, 16, 16}};
  ImageHandle handles[5];
  for (int i = 0; i < 5; i++) {
    handles[i] = {0, -1};
    ASSERT_GE(Img_Load(&handles[i], cases[i].path.c_str()), 0) << cases[i].path;
    ImageRow *r = Img_GetRow(&handles[i]);
    EXPECT_EQ(r->width, (f32)cases[i].w);
    EXPECT_EQ(r->height, (f32)cases[i].h);
    D3DSURFACE_DESC d;
    ((IDirect3DTexture9 *)r->texture)->GetLevelDesc(0, &d);
    EXPECT_EQ((int)d.Width, cases[i].texW);
    EXPECT_EQ((int)d.Height, cases[i].texH);
    ExpectTexels(r->texture, cases[i].w, cases[i].h);
  }
  // Drawn at four times their size with point sampling.
  Begin(0xFF404040);
  DrawDev_SetSamplerState(0, DSAMP_MINFILTER, DTEXF_POINT);
  DrawDev_SetSamplerState(0, DSAMP_MAGFILTER, DTEXF_POINT);
  for (int i = 0; i < 5; i++) {
    ASSERT_TRUE(Img_DrawQuad(&handles[i], 8 + i * 62, 8, 64 + i * 62, 8, 64 + i * 62, 64, 8 + i * 62, 64, 255, 255, 255, 255));
    ASSERT_TRUE(Img_Draw(&handles[i], 8 + i * 62, 80));
  }
  End();
  ExpectGolden("textures");
  for (auto &p : {kzi, kziOdd, psd, psdOdd, png}) DeleteFileA(p.c_str());
}

TEST_F(DrawWinTest, PlatformLoaderMakesOpaqueBlackTransparent) {
  Open(64, 64);
  std::string png = TempFile("key.png");
  ASSERT_TRUE(MakePng(t.device, png, 16, 16));   // pixel (0, 0) of the pattern is ... not black
  // Paint pixel (0, 0) black through a second file.
  IDirect3DTexture9 *tex = nullptr;
  ASSERT_TRUE(SUCCEEDED(t.device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &tex, nullptr)));
  D3DLOCKED_RECT lr;
  tex->LockRect(0, &lr, nullptr, 0);
  for (int y = 0; y < 4; y++)
    for (int x = 0; x < 4; x++) ((u32 *)((u8 *)lr.pBits + y * lr.Pitch))[x] = (x == 0 && y == 0) ? 0xFF000000u : 0xFF336699u;
  tex->UnlockRect(0);
  ASSERT_TRUE(SUCCEEDED(D3DXSaveTextureToFileA(png.c_str(), D3DXIFF_PNG, tex, nullptr)));
  tex->Release();
  void *loaded = nullptr;
  f32 size[2];
  Tex_LoadImageFile(&loaded, png.c_str(), size);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(size[0], 4.0f);
  IDirect3DTexture9 *lt = (IDirect3DTexture9 *)loaded;
  ASSERT_TRUE(SUCCEEDED(lt->LockRect(0, &lr, nullptr, D3DLOCK_READONLY)));
  EXPECT_EQ(((u32 *)lr.pBits)[0] >> 24, 0u);
  EXPECT_EQ(((u32 *)lr.pBits)[1], 0xFF336699u);
  lt->UnlockRect(0);
  DrawDev_Release(loaded);
  DeleteFileA(png.c_str());
}

// Every place that loads an image, each handing back the texture it made and the size it
// stored: the one loader (3D model textures, the toon texture), the image table (map tiles,
// movie images, sketches), a 3D model slot's texture, a 2D bone model's texture (2D
// texture sub-mode), a 2D object model's image (2D object sub-mode) and a 3D object part's
// texture. The models they fill are made here and freed by FreeLoaderModels.
struct ImageLoader {
  const char *what;
  void *(*load)(const char *path, f32 size[2]);
};

void FreeLoaderModels() {
  Model3_FreeSlot(0);
  Bone2_FreeSlot(0);
  Obj2_FreeAll();
  Kzo_FreeAll();
}

const ImageLoader kImageLoaders[] = {
    {"Tex_LoadImageFile", [](const char *path, f32 size[2]) -> void * {
       void *tex = nullptr;
       Tex_LoadImageFile(&tex, path, size);
       return tex;
     }},
    {"Img_Load", [](const char *path, f32 size[2]) -> void * {
       ImageHandle h = {0, -1};
       if (Img_Load(&h, path) < 0) return nullptr;
       size[0] = g_ImageTable[h.row].width, size[1] = g_ImageTable[h.row].height;
       void *tex = g_ImageTable[h.row].texture;
       g_ImageTable[h.row].texture = nullptr;   // handed to the caller
       return tex;
     }},
    {"3D model texture", [](const char *path, f32 size[2]) -> void * {
       Model3 *m = g_Model3Slots[0] ? g_Model3Slots[0] : Model3_Init(0);
       Tex_ReloadModel3Texture(0, 0, path);
       void *tex = g_ModelPoses[0]->textures[0];
       g_ModelPoses[0]->textures[0] = nullptr;
       size[0] = (f32)m->textures[0].width, size[1] = (f32)m->textures[0].height;
       return tex;
     }},
    {"2D bone model texture", [](const char *path, f32 size[2]) -> void * {
       Bone2Model *m = g_Bone2Slots[0] ? g_Bone2Slots[0] : Bone2_Init(0);
       Tex_ReloadBone2Texture(0, 0, path);
       void *tex = g_Tex.bone2Textures[0];
       g_Tex.bone2Textures[0] = nullptr;
       size[0] = (f32)m->textures[0].width, size[1] = (f32)m->textures[0].height;
       return tex;
     }},
    {"2D object image", [](const char *path, f32 size[2]) -> void * {
       if (!g_Obj2Slots[0]) Obj2_Init(0);
       Obj2_LoadImage(0, 0, path);
       void *tex = g_Obj2Textures[0];
       g_Obj2Textures[0] = nullptr;
       size[0] = (f32)Obj2_GetImageWidth(0, 0), size[1] = (f32)Obj2_GetImageHeight(0, 0);
       return tex;
     }},
    {"3D object part texture", [](const char *path, f32 size[2]) -> void * {
       if (!g_Obj3Poses[0]) Kzo_NewSet(0);
       Model3 *m = g_Obj3PartModels[0][1];
       Tex_ReloadObj3PartTexture(0, 1, 0, path);
       void *tex = g_Obj3Poses[0]->textures[1][0];
       g_Obj3Poses[0]->textures[1][0] = nullptr;
       size[0] = (f32)m->textures[0].width, size[1] = (f32)m->textures[0].height;
       return tex;
     }},
};

// Images as paint programs write them (tests/data/images: 16 x 16, left half (200, 40, 40),
// right half (40, 40, 200); the grey ones 60 and 200), through every loader: each one either
// loads with those colours at texels (3, 8) and (12, 8), or its load says so in a message
// that names the file. The platform's decoder refuses 2-bit palettes and 16 bits a channel
// and reads 1- and 4-bit palettes as one colour, which this catches on any loader that
// still goes to it.
TEST_F(DrawWinTest, EveryPaintProgramImageDrawsOrNamesItselfInAMessage) {
  Open(64, 64);
  static std::vector<std::string> s_boxes;
  s_boxes.clear();
  void (*savedBox)(const char *) = g_Seam.errorBox;
  g_Seam.errorBox = [](const char *text) { s_boxes.push_back(text); };
  const char *files[] = {"pal1.png", "pal2.png", "pal4.png", "pal8.png", "grey8.png", "grey16.png", "greyalpha.png",
                         "rgb8.png", "rgb16.png", "rgba16.png", "interlaced.png", "base.jpg", "progressive.jpg",
                         "grey.jpg", "bmp1.bmp", "bmp4.bmp", "bmp8.bmp", "bmp24.bmp", "bmp32.bmp", "tga24.tga",
                         "tga32.tga", "tga24rle.tga", "cut.png"};
  g_ModelAllocArrays = 1;
  for (const ImageLoader &loader : kImageLoaders) {
    int drawn = 0;
    for (const char *f : files) {
      SCOPED_TRACE(std::string(loader.what) + ": " + f);
      std::string path = SourcePath(std::string("tests/data/images/") + f);
      bool grey = strstr(f, "grey") != nullptr;
      u32 left = grey ? 0x3C3C3Cu : 0xC82828u, right = grey ? 0xC8C8C8u : 0x2828C8u;
      size_t boxes = s_boxes.size();
      f32 size[2] = {0, 0};
      void *tex = loader.load(path.c_str(), size);
      if (!tex) {
        EXPECT_EQ(s_boxes.size(), boxes + 1) << "no texture and no message";
        if (s_boxes.size() != boxes + 1) continue;
        EXPECT_NE(s_boxes.back().find(f), std::string::npos) << s_boxes.back();
        continue;
      }
      EXPECT_EQ(s_boxes.size(), boxes);
      EXPECT_EQ(size[0], 16.0f);
      EXPECT_EQ(size[1], 16.0f);
      i32 w = 0, h = 0;
      u32 *px = Tex_ReadPixels(tex, &w, &h);
      ASSERT_TRUE(px && w == 16 && h == 16);
      auto alike = [](u32 a, u32 b) {
        for (int s = 0; s < 24; s += 8)
          if (abs((int)((a >> s) & 255) - (int)((b >> s) & 255)) > 12) return false;
        return true;
      };
      EXPECT_TRUE(alike(px[8 * 16 + 3], left)) << std::hex << px[8 * 16 + 3];
      EXPECT_TRUE(alike(px[8 * 16 + 12], right)) << std::hex << px[8 * 16 + 12];
      EXPECT_EQ(px[8 * 16 + 3] >> 24, 255u);
      drawn++;
      free(px);
      DrawDev_Release(tex);
    }
    // Every kind draws; only the damaged file (cut short in its pixel data) is refused.
    EXPECT_EQ(drawn, (int)(sizeof files / sizeof files[0]) - 1) << loader.what;
  }
  FreeLoaderModels();
  g_ModelAllocArrays = 0;
  g_Seam.errorBox = savedBox;
}

// A model or object set kept in another folder than the current one, with its images beside
// it: every model loader finds an image named with a folder that no longer holds it (or with
// no folder) beside the document, and a name found nowhere loads nothing.
TEST_F(DrawWinTest, ImagesMovedWithTheirDocumentAreFoundBesideIt) {
  Open(64, 64);
  std::string folder = TempFile("moved_doc");
  CreateDirectoryA(folder.c_str(), nullptr);
  std::string doc = folder + "\\doc.KZB", image = folder + "\\rgb16.png";
  ASSERT_TRUE(CopyFileA(SourcePath("tests/data/images/rgb16.png").c_str(), image.c_str(), FALSE));
  g_ModelAllocArrays = 1;
  Model3_Init(0);
  Bone2_Init(0);
  Obj2_Init(0);
  Kzo_NewSet(0);
  Model3_SetText(&g_Model3Slots[0]->fileName, doc.c_str());
  Model3_SetText(&g_Obj3PartModels[0][1]->fileName, doc.c_str());
  Str_Copy(g_Bone2Slots[0]->name, sizeof g_Bone2Slots[0]->name, doc.c_str());
  Str_Copy(g_Obj2Slots[0]->filePath, sizeof g_Obj2Slots[0]->filePath, doc.c_str());
  static std::vector<std::string> s_boxes;
  void (*savedBox)(const char *) = g_Seam.errorBox;
  g_Seam.errorBox = [](const char *text) { s_boxes.push_back(text); };
  for (const ImageLoader &loader : kImageLoaders) {
    if (!strcmp(loader.what, "Tex_LoadImageFile") || !strcmp(loader.what, "Img_Load")) continue;   // no document
    for (const char *name : {"rgb16.png", "C:\\no such folder\\rgb16.png", "absent.png"}) {
      SCOPED_TRACE(std::string(loader.what) + ": " + name);
      f32 size[2] = {0, 0};
      void *tex = loader.load(name, size);
      EXPECT_EQ(tex != nullptr, strcmp(name, "absent.png") != 0);
      if (tex) { EXPECT_EQ(size[0], 16.0f); }
      DrawDev_Release(tex);
    }
  }
  EXPECT_TRUE(s_boxes.empty()) << s_boxes[0];   // a missing file is for the reader's caller to say
  g_Seam.errorBox = savedBox;
  FreeLoaderModels();
  g_ModelAllocArrays = 0;
  DeleteFileA(image.c_str());
  RemoveDirectoryA(folder.c_str());
}

TEST_F(DrawWinTest, ImageTableRefusesThe1025thImageAndFailedLoadsKeepNoRow) {
  Open(64, 64);
  std::string kzi = TempFile("row.kzi");
  WriteFileBytes(kzi, MakeKzi(2, 2));
  ImageHandle h = {0, -1};
  EXPECT_EQ(Img_Load(&h, TempFile("missing.png").c_str()), -1);
  EXPECT_EQ(g_ImageTable[0].inUse, 0);
  static ImageHandle rows[IMAGE_ROWS];
  for (int i = 0; i < IMAGE_ROWS; i++) {
    rows[i] = {0, -1};
    ASSERT_EQ(Img_Load(&rows[i], kzi.c_str()), i);
  }
  EXPECT_EQ(Img_Load(&h, kzi.c_str()), -1);
  DeleteFileA(kzi.c_str());
}

}  // namespace
