// The strips on the real GDI canvas under Wine: a 3D bone strip painted into a child window
// made here (the owning dialogs come later) reads back from the window equal to the canvas;
// our horizontal and vertical lines equal GDI's LineTo on the same bitmap; the Japanese
// label glyphs are drawn into the label column. A picture of the strip is saved beside the
// test program (strip_bone3.bmp) for people to look at.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <vector>

#include "app/current.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/strip_win.h"
#include "app/tree.h"
#include "model/model3.h"
#include "screen_grab.h"
#include "strip_bones.h"

namespace {

const int kW = 400, kH = 120;

struct Windows {
  HWND top = nullptr, child = nullptr;
  Windows() {
    top = CreateWindowExA(0, "STATIC", "strip", WS_POPUP | WS_VISIBLE, 10, 10, kW + 40, kH + 40, nullptr, nullptr,
                          GetModuleHandleA(nullptr), nullptr);
    child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 10, 10, kW, kH, top, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
    Pump();
  }
  ~Windows() {
    if (top) DestroyWindow(top);
  }
  static void Pump() {
    for (int i = 0; i < 20; i++) {
      MSG m;
      while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
      Sleep(10);
    }
  }
};

void MakeBones3(void) {
  g_Sel.g_CurSlot = 0;
  StripBones_Make3();
  g_TreeRows.hovered = -1;
}

// The window's client pixels (0x00RRGGBB words, rows top to bottom).
std::vector<u32> ReadWindow(HWND w) {
  HDC wdc = GetDC(w);
  std::vector<u32> px = ScreenGrab_Dc(wdc, 0, 0, kW, kH);
  ReleaseDC(w, wdc);
  return px;
}

std::vector<u32> CanvasRect(void) {
  std::vector<u32> px((size_t)kW * kH);
  for (int y = 0; y < kH; y++)
    for (int x = 0; x < kW; x++) px[(size_t)y * kW + x] = g_StripCanvas[y * STRIP_CANVAS_W + x] & 0xFFFFFF;
  return px;
}

void SaveBmp(const char *path, const std::vector<u32> &px) {
  FILE *f = fopen(path, "wb");
  if (!f) return;
  BITMAPFILEHEADER fh = {};
  BITMAPINFOHEADER ih = {};
  ih.biSize = sizeof ih;
  ih.biWidth = kW;
  ih.biHeight = -kH;
  ih.biPlanes = 1;
  ih.biBitCount = 32;
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + (DWORD)(px.size() * 4);
  fwrite(&fh, sizeof fh, 1, f);
  fwrite(&ih, sizeof ih, 1, f);
  fwrite(px.data(), 4, px.size(), f);
  fclose(f);
}

struct StripGdiTest : ::testing::Test {
  void SetUp() override {
    Strip_ResetForTest();
    Strip_CreateCanvas();
    ASSERT_NE(g_StripGdi.bitmap, nullptr);
    Strip_ClearCanvas();
    g_Shell.g_Playing = 0;
  }
  void TearDown() override {
    Strip_DestroyCanvas();
    Model3_FreeAllSlots();
  }
};

TEST_F(StripGdiTest, StripInAWindowReadsBackEqualToTheCanvasWithJapaneseGlyphs) {
  Windows w;
  ASSERT_NE(w.child, nullptr);
  MakeBones3();
  g_Strip.g_StripGeo.bottom = 110;
  Strip_Register(STRIP_MOTION3_KEYS, w.child, kW, kH);
  g_Strip.g_StripWindows[STRIP_MOTION3_KEYS].dirty = 1;
  Strip_RedrawDirty();
  std::vector<u32> canvas = CanvasRect();
  std::vector<u32> shown = ReadWindow(w.child);
  SaveBmp("strip_bone3.bmp", canvas);
  int differ = 0;
  for (size_t i = 0; i < canvas.size(); i++) differ += canvas[i] != shown[i];
  EXPECT_EQ(differ, 0);
  // The labels: white glyph pixels in the label column of each of the three rows, inside the
  // "□" that frames the row glyph and in the bone names after it.
  for (int r = 0; r < 3; r++) {
    int top = STRIP_HEADER + STRIP_ROW * r, white = 0, box = 0;
    for (int y = top + 1; y < top + STRIP_ROW; y++)
      for (int x = 0; x < STRIP_LABEL_X; x++) {
        if (canvas[(size_t)y * kW + x] != 0xFFFFFF) continue;
        white++;
        if (x >= r * 16 + 1 && x < r * 16 + 13) box++;
      }
    EXPECT_GT(box, 10) << "row " << r;
    EXPECT_GT(white, box + 20) << "row " << r;
  }
  // A key box in the canvas where the formula puts it (frame 30 of bone 1: x = 264).
  EXPECT_EQ(canvas[(size_t)(STRIP_HEADER + STRIP_ROW + 10) * kW + 265], 0x00A0FFu);
}

TEST_F(StripGdiTest, LinesEqualGdiLineTo) {
  struct L { int x1, y1, x2, y2; };
  const L lines[] = {{5, 5, 300, 5},  {300, 9, 5, 9},    {20, 2, 20, 100}, {24, 100, 24, 2},
                     {-30, 50, 420, 50}, {60, -10, 60, 500}, {7, 70, 8, 70},   {9, 80, 9, 81}};
  for (const L &l : lines) Strip_Line(l.x1, l.y1, l.x2, l.y2, 0, 255, 0);
  std::vector<u32> ours = CanvasRect();
  Strip_ClearCanvas();
  HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
  HGDIOBJ old = SelectObject(g_StripGdi.dc, pen);
  for (const L &l : lines) {
    MoveToEx(g_StripGdi.dc, l.x1, l.y1, nullptr);
    LineTo(g_StripGdi.dc, l.x2, l.y2);
  }
  GdiFlush();
  SelectObject(g_StripGdi.dc, old);
  DeleteObject(pen);
  std::vector<u32> gdi = CanvasRect();
  int differ = 0, green = 0;
  for (size_t i = 0; i < ours.size(); i++) {
    differ += ours[i] != gdi[i];
    green += gdi[i] == 0x00FF00u;
  }
  EXPECT_GT(green, 1000);
  EXPECT_EQ(differ, 0);
}

}  // namespace
