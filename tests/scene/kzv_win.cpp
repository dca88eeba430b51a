// KZV reading under Wine with a real device and sound device: a hand-made movie naming a KZP,
// a KZB, a PNG and a WAV in their folders fills 3D slot n, 2D bone slot n, image entry n and
// sound slot 1; saving gives the same bytes; a truncated file is refused, the movie kept.
#include <d3d9.h>
#include <d3dx9.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "file_bytes.h"
#include "lib/framework/lib_state.h"
#include "model_shown.h"
#include "app/shell_view.h"
#include "lib/draw/camera.h"
#include "lib/draw/drawdev_win.h"
#include "lib/draw/image.h"
#include "lib/framework/lib.h"
#include "lib/media/sound.h"
#include "model/bone2.h"
#include "model/kzb.h"
#include "model/model3.h"
#include "scene/kzv.h"
#include "tests/scene/kzv_build.h"
#include "model/seam.h"

namespace {

std::vector<std::string> g_boxes;
void RecordBox(const char *text) { g_boxes.push_back(text); }

std::string SourcePath(const std::string &rel) {
  const char *src = getenv("MIRAVEL_SRC");
  std::string root = src ? src : ".";
  if (!root.empty() && root[0] == '/') root = "Z:" + root;   // Wine maps / to Z:
  std::string p = root + "/" + rel;
  for (char &c : p)
    if (c == '/') c = '\\';
  return p;
}

void WriteTone(const std::string &path) {
  const u32 frames = 4410;
  ByteWriter w = {};
  WriteWavHeader(&w, 1, 44100, 16, frames * 2);
  for (u32 i = 0; i < frames; i++) Wr_I16(&w, (i / 50) % 2 ? 3000 : -3000);
  WriteFileBytes(path, TakeWriterBytes(&w));
}

struct KzvWinTest : ::testing::Test {
  HWND window = nullptr;
  IDirect3D9 *d3d = nullptr;
  IDirect3DDevice9 *device = nullptr;
  std::string dir;
  char savedCwd[MAX_PATH] = {};

  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KzvTestWindow";
    RegisterClassA(&wc);
    window = CreateWindowA("KzvTestWindow", "kzv", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                           wc.hInstance, nullptr);
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    ASSERT_NE(d3d, nullptr);
    D3DPRESENT_PARAMETERS pp = {};
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.hDeviceWindow = window;
    pp.Windowed = TRUE;
    ASSERT_TRUE(SUCCEEDED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                            D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device)));
    Draw_InstallFor(&device);
    Sound_InitForWindow(nullptr);
    g_Seam.errorBox = RecordBox;
    g_boxes.clear();
    GetCurrentDirectoryA(sizeof savedCwd, savedCwd);
    char tmp[MAX_PATH];
    GetTempPathA(sizeof tmp, tmp);
    dir = std::string(tmp) + "kzvwin" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, dir.c_str());
    g_EditorMode = g_Model3Edited = 1;
    g_MaxPolygons = 4096;
    g_MaxVertices = 16384;
  }
  void TearDown() override {
    Lib_ClearAllModels();
    Movie_FreeObjects();
    Sound_FreeAll();
    SetCurrentDirectoryA(savedCwd);
    std::string cmd = "cmd /c rmdir /s /q \"" + dir + "\"";
    WinExec(cmd.c_str(), SW_HIDE);
    if (device) device->Release();
    if (d3d) d3d->Release();
    if (window) DestroyWindow(window);
  }
  std::string In(const std::string &rel) const { return dir + "\\" + rel; }
};

TEST_F(KzvWinTest, AMovieLoadsItsActorsFromTheirFoldersAndSavesTheSameBytes) {
  ASSERT_EQ(g_Sound.system.initialised, 1u) << "no DirectSound device (ALSA null device?)";
  for (const char *d : {"Image", "Bone", "Wave", "movie", "movie\\Sub"}) CreateDirectoryA(In(d).c_str(), nullptr);
  // The actors' files, where the movie dialogs pick them.
  IDirect3DTexture9 *tex = nullptr;
  ASSERT_TRUE(SUCCEEDED(D3DXCreateTexture(device, 8, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex)));
  ASSERT_TRUE(SUCCEEDED(D3DXSaveTextureToFileA(In("Image\\pic.png").c_str(), D3DXIFF_PNG, tex, nullptr)));
  tex->Release();
  WriteTone(In("Wave\\tone.wav"));
  ASSERT_NE(Bone2_Init(0), nullptr);
  ASSERT_EQ(Shown(Kzb_Write, 0, In("Bone\\b.kzb").c_str()), 1);
  Bone2_FreeAll();
  ASSERT_TRUE(CopyFileA(SourcePath("tests/fuzz/corpus/fuzz_kzp/v2004002.kzp").c_str(), In("movie\\Sub\\d.kzp").c_str(), FALSE));

  MovieSpec s;
  s.frameCount = 90;
  s.objects = {
      {"シーン", 6, {{0, 1, 0, 0}}, "", "", "", 0},
      {"カメラ", 5, {{0, 1, 0, 0}}, "", "", "", 0},
      {"画像", 0, {{0, 1, 0, 10}}, "Image", "pic.png", "", 0},
      {"ボーン", 2, {{0, 1, 0, 20}}, "Bone", "b.kzb", "", 0},
      {"モデル", 4, {{0, 1, 0, 30}, {40, 1, 0, 40}}, "Sub", "d.kzp", "", 2},
      {"効果音", 8, {{0, 1, 1, 0}}, "", "", "", 0},
  };
  s.sounds = {{"Wave", "tone.wav"}};
  std::vector<u8> bytes = BuildKzv(s);
  WriteFileBytes(In("movie\\m.kzv"), bytes);
  ASSERT_TRUE(SetCurrentDirectoryA(In("movie").c_str()));
  ASSERT_TRUE(Kzv_Read("m.kzv"));
  EXPECT_TRUE(g_boxes.empty()) << g_boxes[0];
  ASSERT_NE(g_Model3Slots[4], nullptr);
  EXPECT_GT(g_Model3Slots[4]->polygonCount, 0);
  EXPECT_EQ(g_Model3Slots[4]->shadowKind, 2u);
  EXPECT_NE(g_Bone2Slots[3], nullptr);
  ASSERT_EQ(g_MovieImages[2].loaded, 1u);
  ImageRow *row = Img_GetRow(&g_MovieImages[2]);
  ASSERT_NE(row, nullptr);
  EXPECT_EQ(row->width, 8.0f);
  EXPECT_EQ(row->height, 4.0f);
  EXPECT_EQ(g_Sound.slotLoaded[1], 1u);
  EXPECT_TRUE(Sound_PlaySlot(1));

  ASSERT_TRUE(Kzv_Write(In("movie\\saved.kzv").c_str()));
  EXPECT_EQ(FirstDifference(ReadFileBytes(In("movie\\saved.kzv")), bytes), -1);

  // Read again: the image reloads into its own row.
  i32 rowBefore = g_MovieImages[2].row;
  ASSERT_TRUE(Kzv_Read("saved.kzv"));
  EXPECT_EQ(g_MovieImages[2].row, rowBefore);

  std::vector<u8> cut(bytes.begin(), bytes.begin() + bytes.size() / 2);
  WriteFileBytes(In("movie\\cut.kzv"), cut);
  ASSERT_FALSE(Kzv_Read("cut.kzv"));
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0], "cut.kzv は壊れているため、読み込むことができませんでした。");
  EXPECT_EQ(g_Movie.objectCount, 6);
  EXPECT_NE(g_Model3Slots[4], nullptr);
  EXPECT_NE(g_Bone2Slots[3], nullptr);
}

}  // namespace
