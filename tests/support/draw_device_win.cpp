// Test device, back-buffer read-back and golden-image comparison (see draw_device_win.h).
#include "draw_device_win.h"

#include <stdio.h>
#include <stdlib.h>

std::string SourcePath(const std::string &rel) {
  const char *src = getenv("MIRAVEL_SRC");
  std::string root = src ? src : ".";
  // A Unix path from CTest: Wine maps the root of the Unix file system to drive Z:.
  if (!root.empty() && root[0] == '/') root = "Z:" + root;
  std::string p = root + "/" + rel;
  for (char &c : p)
    if (c == '/') c = '\\';
  return p;
}

bool TestDevice_Create(TestDevice *t, int width, int height) {
  t->width = width;
  t->height = height;
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "DrawTestWindow";
  RegisterClassA(&wc);
  t->window = CreateWindowA("DrawTestWindow", "draw test", WS_OVERLAPPEDWINDOW, 0, 0, width + 16, height + 40,
                            nullptr, nullptr, wc.hInstance, nullptr);
  if (!t->window) return false;
  t->d3d = Direct3DCreate9(D3D_SDK_VERSION);
  if (!t->d3d) return false;
  D3DPRESENT_PARAMETERS pp = {};
  pp.BackBufferWidth = (UINT)width;
  pp.BackBufferHeight = (UINT)height;
  pp.BackBufferFormat = D3DFMT_A8R8G8B8;
  pp.BackBufferCount = 1;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.hDeviceWindow = t->window;
  pp.Windowed = TRUE;
  pp.EnableAutoDepthStencil = TRUE;
  pp.AutoDepthStencilFormat = D3DFMT_D24S8;
  pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  HRESULT hr = t->d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, t->window,
                                    D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &t->device);
  if (FAILED(hr)) {
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    hr = t->d3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, t->window,
                              D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp, &t->device);
  }
  return SUCCEEDED(hr);
}

void TestDevice_Destroy(TestDevice *t) {
  if (t->device) t->device->Release();
  if (t->d3d) t->d3d->Release();
  if (t->window) DestroyWindow(t->window);
  *t = TestDevice{};
}

std::vector<unsigned> Device_ReadBack(IDirect3DDevice9 *device, unsigned *width, unsigned *height) {
  std::vector<unsigned> px;
  IDirect3DSurface9 *back = nullptr, *plain = nullptr, *sys = nullptr;
  if (FAILED(device->GetRenderTarget(0, &back))) return px;
  D3DSURFACE_DESC desc;
  back->GetDesc(&desc);
  IDirect3DSurface9 *source = back;
  // A multisampled target cannot be read back: it is resolved into a plain one first.
  if (desc.MultiSampleType != D3DMULTISAMPLE_NONE) {
    source = nullptr;
    if (SUCCEEDED(device->CreateRenderTarget(desc.Width, desc.Height, desc.Format, D3DMULTISAMPLE_NONE, 0, FALSE, &plain,
                                             nullptr)) &&
        SUCCEEDED(device->StretchRect(back, nullptr, plain, nullptr, D3DTEXF_NONE)))
      source = plain;
  }
  if (source &&
      SUCCEEDED(device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM, &sys,
                                                    nullptr)) &&
      SUCCEEDED(device->GetRenderTargetData(source, sys))) {
    D3DLOCKED_RECT lr;
    if (SUCCEEDED(sys->LockRect(&lr, nullptr, D3DLOCK_READONLY))) {
      px.resize((size_t)desc.Width * desc.Height);
      for (UINT y = 0; y < desc.Height; y++) {
        const unsigned *row = (const unsigned *)((const char *)lr.pBits + (size_t)y * lr.Pitch);
        for (UINT x = 0; x < desc.Width; x++) px[(size_t)y * desc.Width + x] = row[x] | 0xFF000000u;
      }
      sys->UnlockRect();
      if (width) *width = desc.Width;
      if (height) *height = desc.Height;
    }
  }
  if (sys) sys->Release();
  if (plain) plain->Release();
  back->Release();
  return px;
}

std::vector<unsigned> TestDevice_ReadBack(TestDevice *t) { return Device_ReadBack(t->device, nullptr, nullptr); }

static bool LoadPng(TestDevice *t, const std::string &path, std::vector<unsigned> *px) {
  IDirect3DSurface9 *s = nullptr;
  if (FAILED(t->device->CreateOffscreenPlainSurface(t->width, t->height, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &s, nullptr)))
    return false;
  D3DXIMAGE_INFO info;
  bool ok = false;
  if (SUCCEEDED(D3DXGetImageInfoFromFileA(path.c_str(), &info)) && (int)info.Width == t->width &&
      (int)info.Height == t->height &&
      SUCCEEDED(D3DXLoadSurfaceFromFileA(s, nullptr, nullptr, path.c_str(), nullptr, D3DX_FILTER_NONE, 0, nullptr))) {
    D3DLOCKED_RECT lr;
    if (SUCCEEDED(s->LockRect(&lr, nullptr, D3DLOCK_READONLY))) {
      px->resize((size_t)t->width * t->height);
      for (int y = 0; y < t->height; y++) {
        const unsigned *row = (const unsigned *)((const char *)lr.pBits + (size_t)y * lr.Pitch);
        for (int x = 0; x < t->width; x++) (*px)[(size_t)y * t->width + x] = row[x] | 0xFF000000u;
      }
      s->UnlockRect();
      ok = true;
    }
  }
  s->Release();
  return ok;
}

static bool SaveBackBufferPng(TestDevice *t, const std::string &path) {
  IDirect3DSurface9 *back = nullptr;
  if (FAILED(t->device->GetRenderTarget(0, &back))) return false;
  HRESULT hr = D3DXSaveSurfaceToFileA(path.c_str(), D3DXIFF_PNG, back, nullptr, nullptr);
  back->Release();
  return SUCCEEDED(hr);
}

int Golden_Compare(TestDevice *t, const char *name, int tolerance, std::string *report) {
  std::string path = SourcePath(std::string("tests/golden/draw/") + name + ".png");
  const char *write = getenv("MIRAVEL_WRITE_GOLDEN");
  std::vector<unsigned> want;
  bool have = LoadPng(t, path, &want);
  if ((write && write[0] == '1') || (!have && write && std::string(write) == "missing")) {
    CreateDirectoryA(SourcePath("tests/golden").c_str(), nullptr);
    CreateDirectoryA(SourcePath("tests/golden/draw").c_str(), nullptr);
    if (!SaveBackBufferPng(t, path)) {
      *report = "cannot write " + path;
      return -1;
    }
    have = LoadPng(t, path, &want);
  }
  if (!have) {
    *report = "no golden image " + path;
    return -1;
  }
  std::vector<unsigned> got = TestDevice_ReadBack(t);
  if (got.size() != want.size()) {
    *report = "size differs";
    return -1;
  }
  int bad = 0;
  for (size_t i = 0; i < got.size(); i++) {
    for (int sh = 0; sh < 24; sh += 8) {
      int a = (got[i] >> sh) & 0xFF, b = (want[i] >> sh) & 0xFF;
      if (abs(a - b) > tolerance) {
        if (bad < 5) {
          char line[128];
          snprintf(line, sizeof line, "pixel (%d,%d) got %08X want %08X\n", (int)(i % t->width), (int)(i / t->width),
                   got[i], want[i]);
          *report += line;
        }
        bad++;
        break;
      }
    }
  }
  return bad;
}
