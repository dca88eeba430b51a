// The 2D object sub-mode's platform calls (Windows only).
#pragma once

// Registers the sub-mode's windows with the widget seam.
void Ed2D_ObjInstallWin(void);
