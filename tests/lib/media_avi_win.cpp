// AVI capture and BMP snapshots under Wine: three frames of known colours recorded with the
// uncompressed codec read back as 640 x 480 x 24 frames with those pixels; a snapshot equals
// the read-back back buffer (also from a multisampled back buffer); a cancelled codec
// dialog leaves nothing behind.
#include <gtest/gtest.h>
#include <windows.h>
#include <d3d9.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "lib/media/avi.h"
#include "lib/media/avi_win.h"
#include "lib/media/snapshot.h"
#include "model/bytes.h"

namespace {

// [SECTION] Answering the codec dialog

int g_DialogAnswer = IDOK;
int g_DialogsSeen = 0;
HHOOK g_CbtHook;

// Picks the first codec entry ("full frames (uncompressed)") and presses the answer button.
LRESULT CALLBACK AnswerDialog(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE) {
    HWND dlg = (HWND)wParam;
    char cls[32] = {};
    GetClassNameA(dlg, cls, sizeof cls);
    if (strcmp(cls, "#32770") == 0) {
      g_DialogsSeen++;
      HWND combo = FindWindowExA(dlg, nullptr, "ComboBox", nullptr);
      if (combo) {
        SendMessageA(combo, CB_SETCURSEL, 0, 0);
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                     (LPARAM)combo);
      }
      PostMessageA(dlg, WM_COMMAND, MAKEWPARAM(g_DialogAnswer, BN_CLICKED), 0);
    }
  }
  return CallNextHookEx(g_CbtHook, code, wParam, lParam);
}

// The modal hook's answer: "full frames (uncompressed)", or cancel.
int g_FakeAnswer = IDOK;
BOOL FakeChooseCompressor(HWND, UINT, LPVOID, LPVOID, COMPVARS *cv, LPSTR) {
  g_DialogsSeen++;
  if (g_FakeAnswer != IDOK) return FALSE;
  cv->fccHandler = mmioFOURCC('D', 'I', 'B', ' ');
  cv->hic = nullptr;
  return TRUE;
}

// [SECTION] Device

struct TestDevice {
  HWND window = nullptr;
  IDirect3D9 *d3d = nullptr;
  IDirect3DDevice9 *device = nullptr;

  bool Create(D3DMULTISAMPLE_TYPE samples, u32 width = 640, u32 height = 480) {
    window = CreateWindowA("STATIC", "avi test", WS_POPUP, 0, 0, width, height, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
    d3d = Direct3DCreate9(D3D_SDK_VERSION);
    if (!window || !d3d) return false;
    D3DPRESENT_PARAMETERS pp = {};
    pp.Windowed = TRUE;
    pp.BackBufferWidth = width;
    pp.BackBufferHeight = height;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.BackBufferCount = 1;
    pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
    pp.MultiSampleType = samples;
    pp.hDeviceWindow = window;
    return SUCCEEDED(d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                       D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &device));
  }
  ~TestDevice() {
    if (device) device->Release();
    if (d3d) d3d->Release();
    if (window) DestroyWindow(window);
  }
  // Fills the back buffer with one colour and a second colour in rect (if given).
  void Fill(D3DCOLOR color, D3DCOLOR inner = 0, const D3DRECT *rect = nullptr) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, color, 1.0f, 0);
    if (rect) device->Clear(1, rect, D3DCLEAR_TARGET, inner, 1.0f, 0);
  }
  // The back buffer's pixels as 0xRRGGBB values, read back through the device.
  std::vector<u32> ReadBack() {
    std::vector<u32> px;
    IDirect3DSurface9 *back = nullptr, *resolved = nullptr, *copy = nullptr;
    device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back);
    D3DSURFACE_DESC d;
    back->GetDesc(&d);
    IDirect3DSurface9 *src = back;
    if (d.MultiSampleType != D3DMULTISAMPLE_NONE) {
      device->CreateRenderTarget(d.Width, d.Height, d.Format, D3DMULTISAMPLE_NONE, 0, FALSE,
                                 &resolved, nullptr);
      device->StretchRect(back, nullptr, resolved, nullptr, D3DTEXF_NONE);
      src = resolved;
    }
    device->CreateOffscreenPlainSurface(d.Width, d.Height, d.Format, D3DPOOL_SYSTEMMEM, &copy,
                                        nullptr);
    if (SUCCEEDED(device->GetRenderTargetData(src, copy))) {
      D3DLOCKED_RECT lr;
      if (SUCCEEDED(copy->LockRect(&lr, nullptr, D3DLOCK_READONLY))) {
        for (u32 y = 0; y < d.Height; y++)
          for (u32 x = 0; x < d.Width; x++)
            px.push_back(((const u32 *)((const u8 *)lr.pBits + y * lr.Pitch))[x] & 0xFFFFFF);
        copy->UnlockRect();
      }
    }
    if (copy) copy->Release();
    if (resolved) resolved->Release();
    back->Release();
    return px;
  }
};

// [SECTION] Our own readers of the written files

struct BmpImage {
  i32 width = 0, height = 0;
  std::vector<u32> pixels;   // top-down 0xRRGGBB
};

bool ReadBmp(const char *path, BmpImage *img) {
  FileData f;
  if (!File_ReadAll(path, &f)) return false;
  ByteReader r;
  Rd_Init(&r, f.data, f.size);
  u16 magic = Rd_U16(&r);
  Rd_Skip(&r, 8);
  u32 offset = Rd_U32(&r);
  Rd_U32(&r);
  i32 w = Rd_I32(&r), h = Rd_I32(&r);
  Rd_U16(&r);
  u16 bpp = Rd_U16(&r);
  bool ok = !r.err && magic == 0x4D42 && w > 0 && h != 0 && (bpp == 24 || bpp == 32);
  if (ok) {
    i32 rows = h < 0 ? -h : h;
    size_t stride = ((size_t)w * bpp / 8 + 3) & ~(size_t)3;
    ok = Rd_Seek(&r, offset) && Rd_Need(&r, stride * rows);
    if (ok) {
      img->width = w;
      img->height = rows;
      img->pixels.assign((size_t)w * rows, 0);
      for (i32 y = 0; y < rows; y++) {
        const u8 *row = r.p + stride * (h < 0 ? y : rows - 1 - y);
        for (i32 x = 0; x < w; x++) {
          const u8 *p = row + x * (bpp / 8);
          img->pixels[(size_t)y * w + x] = (u32)p[2] << 16 | (u32)p[1] << 8 | p[0];
        }
      }
    }
  }
  File_Free(&f);
  return ok;
}

struct AviContents {
  u32 width = 0, height = 0, bitCount = 0, compression = 0;
  char handler[5] = {};
  std::vector<std::vector<u8>> frames;
};

// Walks RIFF chunks between p and end; LIST/RIFF bodies are walked recursively.
void WalkChunks(ByteReader *r, size_t end, AviContents *out) {
  while (!r->err && Rd_Tell(r) + 8 <= end) {
    char id[5] = {};
    Rd_Bytes(r, id, 4);
    u32 size = Rd_U32(r);
    size_t bodyStart = Rd_Tell(r);
    size_t bodyEnd = bodyStart + size;
    if (bodyEnd > end) { r->err = true; return; }
    if (!strcmp(id, "LIST") || !strcmp(id, "RIFF")) {
      Rd_Skip(r, 4);
      WalkChunks(r, bodyEnd, out);
    } else if (!strcmp(id, "strh")) {
      Rd_Skip(r, 4);
      Rd_Bytes(r, out->handler, 4);
    } else if (!strcmp(id, "strf")) {
      Rd_U32(r);
      out->width = Rd_U32(r);
      out->height = Rd_U32(r);
      Rd_U16(r);
      out->bitCount = Rd_U16(r);
      out->compression = Rd_U32(r);
    } else if (id[0] == '0' && id[1] == '0' && (id[2] == 'd') && (id[3] == 'b' || id[3] == 'c')) {
      std::vector<u8> frame(size);
      Rd_Bytes(r, frame.data(), size);
      out->frames.push_back(frame);
    }
    Rd_Seek(r, bodyEnd + (size & 1));
  }
}

bool ReadAvi(const char *path, AviContents *out) {
  FileData f;
  if (!File_ReadAll(path, &f)) return false;
  ByteReader r;
  Rd_Init(&r, f.data, f.size);
  bool ok = f.size >= 12 && memcmp(f.data, "RIFF", 4) == 0 && memcmp(f.data + 8, "AVI ", 4) == 0;
  if (ok) {
    WalkChunks(&r, f.size, out);
    ok = !r.err;
  }
  File_Free(&f);
  return ok;
}

// Pixel (x, y from the top) of a bottom-up 24-bit 640 x 480 frame as 0xRRGGBB.
u32 FramePixel(const std::vector<u8> &frame, int x, int y) {
  const u8 *p = frame.data() + (size_t)(479 - y) * 1920 + x * 3;
  return (u32)p[2] << 16 | (u32)p[1] << 8 | p[0];
}

std::string CurrentDir() {
  char buf[MAX_PATH];
  GetCurrentDirectoryA(sizeof buf, buf);
  return buf;
}

bool FileExists(const std::string &path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

class AviWin : public ::testing::Test {
 protected:
  void SetUp() override {
    start = CurrentDir();
    root = start + "\\avi_root";
    CreateDirectoryA(root.c_str(), nullptr);
    Str_Copy(g_Lib.rootDir, sizeof g_Lib.rootDir, root.c_str());
    g_Lib.runState = 6;
    g_Lib.viewWindowMode = 0;
    g_Lib.screenWidth = 640;
    g_Lib.screenHeight = 480;
    g_DialogAnswer = IDOK;
    g_FakeAnswer = IDOK;
    g_DialogsSeen = 0;
    g_ModalHooks.chooseCompressor = FakeChooseCompressor;
    g_CbtHook = SetWindowsHookExA(WH_CBT, AnswerDialog, nullptr, GetCurrentThreadId());
  }
  void TearDown() override {
    Avi_StopRecording();
    g_ModalHooks.chooseCompressor = nullptr;
    UnhookWindowsHookEx(g_CbtHook);
    DeleteFileA((root + "\\movie.avi").c_str());
    DeleteFileA((root + "\\snap.bmp").c_str());
    DeleteFileA((root + "\\snap_ms.bmp").c_str());
    DeleteFileA((root + "\\part.bmp").c_str());
    RemoveDirectoryA(root.c_str());
    SetCurrentDirectoryA(start.c_str());
  }
  std::string start, root;
};

}  // namespace

TEST_F(AviWin, ThreeFramesOfKnownColoursReadBack) {
  TestDevice dev;
  ASSERT_TRUE(dev.Create(D3DMULTISAMPLE_NONE));
  // An older movie of the same name is replaced.
  ASSERT_TRUE(File_WriteAtomic((root + "\\movie.avi").c_str(), "old", 3));

  // This recording goes through the real codec dialog, answered by the thread hook.
  g_ModalHooks.chooseCompressor = nullptr;
  ASSERT_TRUE(Avi_StartRecording("movie.KZV", 30));
  EXPECT_EQ(g_DialogsSeen, 1);
  EXPECT_EQ(g_Lib.runState, 8u);
  EXPECT_TRUE(Avi_IsRecording());
  EXPECT_EQ(CurrentDir(), start);   // the current folder is left alone

  const D3DCOLOR colours[3] = {0xFFFF0000, 0xFF00FF00, 0xFF2040C0};
  const D3DRECT box = {100, 50, 200, 150};
  for (int i = 0; i < 3; i++) {
    dev.Fill(colours[i], 0xFFFFFFFF, i == 2 ? &box : nullptr);
    Avi_CaptureFrameOf(dev.device);
  }
  Avi_StopRecording();
  EXPECT_EQ(g_Lib.runState, 6u);
  EXPECT_FALSE(Avi_IsRecording());
  EXPECT_FALSE(FileExists(root + "\\avi.bmp"));   // the temporary bitmap is removed

  AviContents avi;
  ASSERT_TRUE(ReadAvi((root + "\\movie.avi").c_str(), &avi));
  EXPECT_EQ(avi.width, 640u);
  EXPECT_EQ(avi.height, 480u);
  EXPECT_EQ(avi.bitCount, 24u);
  EXPECT_EQ(avi.compression, 0u);   // BI_RGB
  ASSERT_EQ(avi.frames.size(), 3u);
  for (int i = 0; i < 3; i++) {
    ASSERT_EQ(avi.frames[i].size(), 921600u) << i;
    u32 want = colours[i] & 0xFFFFFF;
    EXPECT_EQ(FramePixel(avi.frames[i], 0, 0), want) << i;
    EXPECT_EQ(FramePixel(avi.frames[i], 639, 479), want) << i;
    EXPECT_EQ(FramePixel(avi.frames[i], 320, 240), want) << i;
  }
  // The white box of the third frame sits where it was drawn (rows are not flipped).
  EXPECT_EQ(FramePixel(avi.frames[2], 100, 50), 0xFFFFFFu);
  EXPECT_EQ(FramePixel(avi.frames[2], 199, 149), 0xFFFFFFu);
  EXPECT_EQ(FramePixel(avi.frames[2], 200, 150), 0x2040C0u);
  EXPECT_EQ(FramePixel(avi.frames[2], 99, 49), 0x2040C0u);
}

TEST_F(AviWin, LargerBackBufferGivesItsCentreInViewWindowMode) {
  TestDevice dev;
  ASSERT_TRUE(dev.Create(D3DMULTISAMPLE_NONE, 1024, 768));
  g_Lib.viewWindowMode = 1;
  g_Lib.screenWidth = 1024;
  g_Lib.screenHeight = 768;
  ASSERT_TRUE(Avi_StartRecording("movie", 15));
  // The 640 x 480 centre starts at (192, 144); mark its corners.
  const D3DRECT topLeft = {192, 144, 202, 154};
  dev.Fill(0xFF000080, 0xFFFF8000, &topLeft);
  const D3DRECT outside = {0, 0, 192, 144};
  dev.device->Clear(1, &outside, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
  Avi_CaptureFrameOf(dev.device);
  Avi_StopRecording();
  AviContents avi;
  ASSERT_TRUE(ReadAvi((root + "\\movie.avi").c_str(), &avi));
  ASSERT_EQ(avi.frames.size(), 1u);
  ASSERT_EQ(avi.frames[0].size(), 921600u);
  EXPECT_EQ(FramePixel(avi.frames[0], 0, 0), 0xFF8000u);
  EXPECT_EQ(FramePixel(avi.frames[0], 9, 9), 0xFF8000u);
  EXPECT_EQ(FramePixel(avi.frames[0], 10, 10), 0x000080u);
  EXPECT_EQ(FramePixel(avi.frames[0], 639, 479), 0x000080u);
}

TEST_F(AviWin, StartInMissingFolderFailsCleanly) {
  std::string missing = root + "\\no_such_folder";
  Str_Copy(g_Lib.rootDir, sizeof g_Lib.rootDir, missing.c_str());
  EXPECT_FALSE(Avi_StartRecording("movie.KZV", 30));
  EXPECT_FALSE(Avi_IsRecording());
  EXPECT_EQ(g_Lib.runState, 6u);
  EXPECT_EQ(CurrentDir(), start);
}

TEST_F(AviWin, CancelledDialogLeavesNothingBehind) {
  g_FakeAnswer = IDCANCEL;
  EXPECT_FALSE(Avi_StartRecording("movie.KZV", 30));
  EXPECT_EQ(g_DialogsSeen, 1);
  EXPECT_EQ(g_Lib.runState, 6u);
  EXPECT_FALSE(Avi_IsRecording());   // the failed writer is deleted, not kept
  EXPECT_EQ(CurrentDir(), start);
  EXPECT_FALSE(FileExists(root + "\\movie.avi"));
  // A second failed start and a stop without a recording are harmless.
  EXPECT_FALSE(Avi_StartRecording("movie.KZV", 30));
  Avi_StopRecording();
  EXPECT_EQ(g_Lib.runState, 6u);
  EXPECT_FALSE(Avi_StartRecording("", 30));
  EXPECT_FALSE(Avi_StartRecording("movie.KZV", 0));
}

TEST_F(AviWin, CaptureWithoutRecordingDoesNothing) {
  TestDevice dev;
  ASSERT_TRUE(dev.Create(D3DMULTISAMPLE_NONE));
  Avi_CaptureFrameOf(dev.device);
  EXPECT_FALSE(FileExists(root + "\\avi.bmp"));
}

TEST_F(AviWin, SnapshotEqualsReadBackBackBuffer) {
  for (D3DMULTISAMPLE_TYPE samples : {D3DMULTISAMPLE_NONE, D3DMULTISAMPLE_4_SAMPLES}) {
    TestDevice dev;
    if (!dev.Create(samples)) {
      ASSERT_NE(samples, D3DMULTISAMPLE_NONE) << "no Direct3D device";
      printf("no multisampled device: resolve path not exercised\n");
      continue;
    }
    const D3DRECT box = {10, 20, 330, 260};
    dev.Fill(0xFF336699, 0xFFF0E000, &box);
    std::string path = root + (samples ? "\\snap_ms.bmp" : "\\snap.bmp");
    ASSERT_TRUE(Snapshot_SaveBackBuffer(dev.device, path.c_str(), nullptr)) << samples;
    BmpImage img;
    ASSERT_TRUE(ReadBmp(path.c_str(), &img));
    ASSERT_EQ(img.width, 640);
    ASSERT_EQ(img.height, 480);
    std::vector<u32> back = dev.ReadBack();
    ASSERT_EQ(back.size(), img.pixels.size());
    EXPECT_TRUE(back == img.pixels) << samples;
    EXPECT_EQ(img.pixels[20 * 640 + 10], 0xF0E000u);
    EXPECT_EQ(img.pixels[0], 0x336699u);

    // The rectangle form saves just that part.
    RECT part = {10, 20, 110, 70};
    std::string partPath = root + "\\part.bmp";
    ASSERT_TRUE(Snapshot_SaveBackBuffer(dev.device, partPath.c_str(), &part));
    BmpImage cut;
    ASSERT_TRUE(ReadBmp(partPath.c_str(), &cut));
    EXPECT_EQ(cut.width, 100);
    EXPECT_EQ(cut.height, 50);
    EXPECT_EQ(cut.pixels[0], 0xF0E000u);
    // A frame that cannot be written leaves the picture saved before it whole.
    g_SaveFault = {"part.bmp", SAVE_STEP_WRITE};
    RECT other = {0, 0, 40, 40};
    EXPECT_FALSE(Snapshot_SaveBackBuffer(dev.device, partPath.c_str(), &other));
    g_SaveFault = {};
    ASSERT_TRUE(ReadBmp(partPath.c_str(), &cut));
    EXPECT_EQ(cut.width, 100);

    // The library's calls take g_Lib.device and write into the root folder.
    IDirect3DDevice9 *keep = g_Lib.device;
    g_Lib.device = dev.device;
    DeleteFileA(path.c_str());
    EXPECT_TRUE(Lib_SaveBackBuffer(samples ? "snap_ms.bmp" : "snap.bmp"));
    EXPECT_TRUE(FileExists(path));
    EXPECT_TRUE(Lib_SaveBackBufferRect("part.bmp", 0, 0, 8, 8));
    // Rectangles outside the back buffer or empty ones are refused.
    EXPECT_FALSE(Lib_SaveBackBufferRect("bad.bmp", 600, 400, 700, 480));
    EXPECT_FALSE(Lib_SaveBackBufferRect("bad.bmp", -1, 0, 8, 8));
    EXPECT_FALSE(Lib_SaveBackBufferRect("bad.bmp", 8, 8, 8, 16));
    EXPECT_FALSE(FileExists(root + "\\bad.bmp"));
    ASSERT_TRUE(ReadBmp(partPath.c_str(), &cut));
    EXPECT_EQ(cut.width, 8);
    g_Lib.device = keep;
  }
  EXPECT_FALSE(Snapshot_SaveBackBuffer(nullptr, "x.bmp", nullptr));
}
