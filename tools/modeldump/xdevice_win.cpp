// modeldump on Windows: X files load through the platform's mesh loader, which needs a
// Direct3D device; a hidden window carries it. Without a device X files are refused.
#include <windows.h>
#include <d3d9.h>

#include <initializer_list>

#include "lib/framework/lib.h"
#include "model/formats/xfile.h"

void ModelDump_PrepareX(void) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = DefWindowProcA;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "ModelDumpDevice";
  RegisterClassA(&wc);
  HWND window = CreateWindowA("ModelDumpDevice", "", WS_POPUP, 0, 0, 16, 16, nullptr, nullptr, wc.hInstance, nullptr);
  g_D3D = window ? Direct3DCreate9(D3D_SDK_VERSION) : nullptr;
  if (!g_D3D) return;
  D3DPRESENT_PARAMETERS pp = {};
  pp.Windowed = TRUE;
  pp.SwapEffect = D3DSWAPEFFECT_DISCARD;
  pp.BackBufferFormat = D3DFMT_UNKNOWN;
  pp.hDeviceWindow = window;
  for (D3DDEVTYPE type : {D3DDEVTYPE_HAL, D3DDEVTYPE_REF}) {
    if (SUCCEEDED(g_D3D->CreateDevice(D3DADAPTER_DEFAULT, type, window, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &pp,
                                      &g_Device)))
      break;
  }
  if (g_Device) XFile_InstallSeam();
}
