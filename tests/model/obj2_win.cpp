// 2D object model images on a real Direct3D 9 device: sizes from the image file, opaque
// black made transparent by the colour key, the pixel copy read back from the texture, and
// a KZA 2004000 file whose pivots come from those sizes.
#include <d3d9.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "model_shown.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawdev.h"
#include "lib/draw/drawdev_win.h"
#include "model/bytes.h"
#include "model/kza.h"
#include "model/seam.h"

namespace {

struct Device {
  HWND window = nullptr;
  IDirect3D9 *d3d = nullptr;
  IDirect3DDevice9 *device = nullptr;
};

bool CreateDevice(Device *d) {
  d->window = CreateWindowExA(0, "STATIC", "obj2", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  d->d3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!d->window || !d->d3d) return false;
  D3DPRESENT_PARAMETERS pp = {};
  pp.Windowed = TRUE;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.BackBufferFormat = D3DFMT_A8R8G8B8;
  pp.BackBufferWidth = 64;
  pp.BackBufferHeight = 64;
  pp.hDeviceWindow = d->window;
  for (D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF})
    if (SUCCEEDED(d->d3d->CreateDevice(D3DADAPTER_DEFAULT, type, d->window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &d->device)))
      return true;
  return false;
}

void DestroyDevice(Device *d) {
  if (d->device) d->device->Release();
  if (d->d3d) d->d3d->Release();
  if (d->window) DestroyWindow(d->window);
}

std::string TempPath(const char *name) {
  char dir[MAX_PATH];
  GetTempPathA(sizeof dir, dir);
  return std::string(dir) + name;
}

// A 24-bit bottom-up BMP of 4 x 2 pixels (0xRRGGBB, top row first).
void WriteBmp(const std::string &path, const u32 rgb[8]) {
  ByteWriter w = {};
  const u32 rowBytes = 12, dataSize = rowBytes * 2;
  Wr_Bytes(&w, "BM", 2);
  Wr_U32(&w, 54 + dataSize);
  Wr_U32(&w, 0);
  Wr_U32(&w, 54);
  Wr_U32(&w, 40);
  Wr_I32(&w, 4);
  Wr_I32(&w, 2);
  Wr_U16(&w, 1);
  Wr_U16(&w, 24);
  Wr_U32(&w, 0);
  Wr_U32(&w, dataSize);
  Wr_I32(&w, 2835);
  Wr_I32(&w, 2835);
  Wr_U32(&w, 0);
  Wr_U32(&w, 0);
  for (int y = 1; y >= 0; y--)
    for (int x = 0; x < 4; x++) {
      u32 c = rgb[y * 4 + x];
      Wr_U8(&w, (u8)c);
      Wr_U8(&w, (u8)(c >> 8));
      Wr_U8(&w, (u8)(c >> 16));
    }
  ASSERT_TRUE(File_WriteAtomic(path.c_str(), w.data, w.size));
  Wr_Free(&w);
}

}  // namespace

TEST(Obj2Device, ImagesLoadWithColourKeyAndCopyBack) {
  Device d;
  ASSERT_TRUE(CreateDevice(&d));
  Draw_InstallFor(&d.device);
  std::string image = TempPath("obj2_piece.bmp");
  const u32 rgb[8] = {0xFF0000, 0x000000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0x000000, 0x804020, 0x102030};
  WriteBmp(image, rgb);

  // A 2004000 file with one object showing the image: its pivot becomes the image's centre.
  Obj2Model *m = Obj2_Init(0);
  m->imageCount = 1;
  Str_Copy(m->imageNames[0], 256, image.c_str());
  m->pivotX[0] = 99;
  ByteWriter w = {};
  char err[256];
  ASSERT_TRUE(Kza_Build(m, &w, err, sizeof err));
  std::vector<u8> file(w.data, w.data + w.size);
  Wr_Free(&w);
  file[3] = (u8)(2004000 & 0xFF);   // the older version: same layout without object names
  file[4] = (u8)(2004000 >> 8 & 0xFF);
  file[5] = (u8)(2004000 >> 16 & 0xFF);
  file[6] = (u8)(2004000 >> 24 & 0xFF);
  std::string kza = TempPath("obj2_model.kza");
  ASSERT_TRUE(File_WriteAtomic(kza.c_str(), file.data(), file.size()));
  ASSERT_EQ(Shown(Kza_Read, 1, kza.c_str()), 1);
  Obj2Model *r = g_Obj2Slots[1];
  ASSERT_TRUE(g_Obj2Textures[32] != nullptr);
  EXPECT_EQ(Obj2_GetImageWidth(1, 0), 4u);
  EXPECT_EQ(Obj2_GetImageHeight(1, 0), 2u);
  EXPECT_EQ(r->pivotX[0], 2);
  EXPECT_EQ(r->pivotY[0], 1);

  // The copy holds red in its lowest byte; opaque black came out transparent.
  Obj2_CopyImagePixels(1, 0);
  EXPECT_EQ(Obj2_GetPixel(0), 0xFF0000FFu);
  EXPECT_EQ(Obj2_GetPixel(1) >> 24, 0u);
  EXPECT_EQ(Obj2_GetPixel(2), 0xFF00FF00u);
  EXPECT_EQ(Obj2_GetPixel(3), 0xFFFF0000u);
  EXPECT_EQ(Obj2_GetPixel(6), 0xFF204080u);
  EXPECT_EQ(Obj2_GetPixel(8), 0u);

  // A missing image measures 32 x 32 and has no texture.
  Obj2_LoadImage(1, 2, TempPath("obj2_missing.png").c_str());
  EXPECT_EQ(g_Obj2Textures[32 + 2], nullptr);
  EXPECT_EQ(Obj2_GetImageWidth(1, 2), 32u);

  // Drawing the model goes through the device without trouble.
  r->objectCount = 2;
  Obj2_UpdateAll();
  ASSERT_TRUE(SUCCEEDED(d.device->BeginScene()));
  Obj2_DrawAll();
  d.device->EndScene();

  for (i32 i = 0; i < 32; i++)
    for (i32 s = 0; s < 2; s++) {
      IUnknown *t = (IUnknown *)g_Obj2Textures[s * 32 + i];
      if (t) t->Release();
      g_Obj2Textures[s * 32 + i] = nullptr;
    }
  Obj2_SetSlot(0, nullptr);
  Obj2_SetSlot(1, nullptr);
  DeleteFileA(image.c_str());
  DeleteFileA(kza.c_str());
  g_Seam.textureLoad = nullptr;
  g_Seam.texturePixels = nullptr;
  g_Dev.draw = DrawDev();
  DestroyDevice(&d);
}
