// The Direct3D 9 render device behind g_Dev.render (Windows build).
#pragma once
struct IDirect3DDevice9;

// Fills g_Dev.render with calls on *device (read at each call, so a re-created device is
// picked up). Render_InstallDevice() uses the library's g_Lib.device.
void Render_InstallDeviceFor(IDirect3DDevice9 **device);
