// The Windows half of the library framework: window, device, frame step, message handler,
// the real Direct3D queries for the enumeration, and the platform state they keep.
// Windows build only.
#pragma once
#include <windows.h>
#include <d3d9.h>

#include "lib/framework/d3dapp.h"
#include "lib/framework/lib.h"

class D3DFont;

// [SECTION] platform state of the framework
// The platform state of the framework: written by the framework (d3dapp_win.cpp) when it
// makes, resizes, resets or switches the window and the device, and by Lib_Init.
struct D3DAppPlatform {
  HWND frameworkWnd;  // the "D3D Window"
  HWND focusWnd;  // focus window given to CreateDevice
  HMENU savedMenu;  // menu removed while fullscreen
  HINSTANCE instance;
  RECT windowBounds;
  RECT clientRect;
  RECT savedWindowBounds;
  D3DPRESENT_PARAMETERS presentParams;
  D3DSURFACE_DESC backBufferDesc;
  D3DCAPS9 deviceCaps;
  D3DQuery query;  // D3DEnum_RealQuery
  D3DFont *font;  // the framework's own font (made by Lib_Init)
  HWND presentedWindow;  // the window override of the last Present (null: the device window)
};
extern D3DAppPlatform g_D3DAppWin;

// [SECTION] device life
HRESULT D3DApp_CreateWindow(HINSTANCE instance);
HRESULT D3DApp_InitDevice(void);
HRESULT D3DApp_ResetDevice(void);
HRESULT D3DApp_ToggleFullscreen(void);
HRESULT D3DApp_SelectNewDevice(void);
HRESULT D3DApp_HandleSizeChange(void);
// One frame per idle pass of the main loop; returns 0.
HRESULT D3DApp_FrameStep(void);
HRESULT D3DApp_RenderFrame(void);
void D3DApp_ReleaseDevice(void);
// A window that goes (called from its WM_DESTROY): when the last frame was presented into
// it, the swap chain is bound to the device window again before the window is gone.
void D3DApp_WindowGoing(HWND wnd);
void D3DApp_DeleteFont(void);
LRESULT CALLBACK D3DApp_WndProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT D3DApp_HandleMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam);

// [SECTION] device filter
HRESULT D3DApp_ConfirmDevice(const D3DCAPS9 *caps, DWORD behavior, D3DFORMAT adapterFormat, D3DFORMAT backBufferFormat);
bool D3DApp_ConfirmDeviceByType(const EnumCaps *caps, u32 vertexProcessingType, u32 adapterFormat, u32 backBufferFormat);
// The enumeration's queries over a Direct3D object.
const D3DQuery *D3DEnum_RealQuery(IDirect3D9 *d3d);
// Copies the caps the framework reads (and the whole record) into the portable form.
void D3DEnum_CapsFromPlatform(const D3DCAPS9 *in, EnumCaps *out);

// [SECTION] start-up helpers
// Fills the unset entries of g_Seam with the real calls and points the framework timer
// at the platform clock.
void Lib_InstallSeam(void);
// The real file system for the data-folder search.
const LibFs *Lib_RealFs(void);
// Reads the back buffer's pixel (x, y) as A8R8G8B8 (resolving multisampling); tests.
bool D3DApp_ReadBackPixel(int x, int y, u32 *argb);

// [SECTION] framework utilities (dxutil_win.cpp)
// "DX9SDK Samples Path" of the SDK registry key plus "\Media\".
HRESULT DXUtil_GetMediaPath(char *buf, int size);
HRESULT DXUtil_FindMediaFile(char *dest, int size, const char *name);
HRESULT D3DUtil_SetDeviceCursor(IDirect3DDevice9 *device, HCURSOR cursor, bool addWatermark);
