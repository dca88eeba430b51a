// The Direct3D 9 drawing device (Windows build): fills g_Dev.draw with calls on *device.
#pragma once
#include <d3d9.h>

// Installs the Direct3D drawing device reading the device through `device` at every call
// (so a re-created device is picked up), and the texture seam entry.
void Draw_InstallFor(IDirect3DDevice9 **device);
// The program's installation: g_Lib.device, the texture and log seam entries, the log window
// and the file dialogs. Called by the library start-up once the device exists.
void Draw_Install(void);
