// A windowed Direct3D 9 device for the drawing tests, read-back of its back buffer and the
// golden-image comparison (tests/golden/draw/<name>.png; MIRAVEL_WRITE_GOLDEN=1 rewrites them).
#pragma once
#include <d3d9.h>
#include <d3dx9.h>
#include <windows.h>

#include <string>
#include <vector>

struct TestDevice {
  HWND window = nullptr;
  IDirect3D9 *d3d = nullptr;
  IDirect3DDevice9 *device = nullptr;
  int width = 0, height = 0;
};

// Creates the window and a HAL (else reference) device with an A8R8G8B8-readable back buffer.
bool TestDevice_Create(TestDevice *t, int width, int height);
void TestDevice_Destroy(TestDevice *t);
// The back buffer as width * height pixels 0xAARRGGBB (alpha forced to 0xFF).
std::vector<unsigned> TestDevice_ReadBack(TestDevice *t);
// The same for any device's render target 0 (the running program's among them), resolving a
// multisampled one; its size into width and height (either may be null). Empty on failure.
std::vector<unsigned> Device_ReadBack(IDirect3DDevice9 *device, unsigned *width, unsigned *height);
// Compares pixels with the golden PNG: counts pixels whose channels differ by more than
// `tolerance`; writes the PNG instead when MIRAVEL_WRITE_GOLDEN is set or it is missing
// and MIRAVEL_WRITE_GOLDEN is "missing". Returns the number of differing pixels (-1: no golden).
int Golden_Compare(TestDevice *t, const char *name, int tolerance, std::string *report);
// Path of a file under the source tree (MIRAVEL_SRC), in a form Wine opens.
std::string SourcePath(const std::string &rel);
