// The virtual-key codes the shell and the editors act on, by name: the platform's VK_ values,
// for portable code that does not include windows.h.
#pragma once
#include "model/types.h"

enum : u32 {
  VKEY_CTRL = 0x11, VKEY_DELETE = 0x2E, VKEY_F5 = 0x74, VKEY_F6 = 0x75,
  VKEY_LEFT = 0x25, VKEY_UP = 0x26, VKEY_RIGHT = 0x27, VKEY_DOWN = 0x28,   // the arrow keys
};
