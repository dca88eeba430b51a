// The effect layer on Direct3D 9: shaders assembled with D3DXAssembleShader and created on
// the device, constants, textures and states set on it (Windows build only).
#pragma once
#include <d3d9.h>

#include "lib/render/effect.h"

// A device table for *device (read at every call, so a re-created device is picked up).
const EffectDevice *Effect_DeviceFor(IDirect3DDevice9 **device);
// Installs the library's effect slots on g_Lib.device: device table, the "ERROR" message box
// (through the modal hooks) and the release of every effect before a device reset.
void Hlsl_Install(void);
