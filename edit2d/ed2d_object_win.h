// The 2D object sub-mode's platform calls (Windows only).
#pragma once

// Fills g_Ed2DObjOps with the Win32 calls.
void Ed2D_ObjInstallWin(void);
