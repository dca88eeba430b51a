// Reading back what a device context shows: the drivers compare these pixels with what the
// program should have drawn.
#pragma once
#include <windows.h>

#include <stdint.h>
#include <string.h>

#include <vector>

// The width * height rectangle at (x, y) of dc as 0xRRGGBB words, top row first.
inline std::vector<uint32_t> ScreenGrab_Dc(HDC dc, int x, int y, int width, int height) {
  std::vector<uint32_t> px((size_t)width * height);
  HDC mem = CreateCompatibleDC(dc);
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void *bits = nullptr;
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, width, height, dc, x, y, SRCCOPY);
  GdiFlush();
  if (bits) memcpy(px.data(), bits, px.size() * 4);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  for (uint32_t &c : px) c &= 0xFFFFFF;
  return px;
}

// The same rectangle of the whole screen.
inline std::vector<uint32_t> ScreenGrab_Rect(int x, int y, int width, int height) {
  HDC screen = GetDC(nullptr);
  std::vector<uint32_t> px = ScreenGrab_Dc(screen, x, y, width, height);
  ReleaseDC(nullptr, screen);
  return px;
}
