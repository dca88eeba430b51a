// Restarting the library timer after a modal interruption, through the seam
// (g_Seam.timerReset, model/seam.h). Defined in model/seam.cpp.
#pragma once

// Restarts the library timer (through the seam).
void Timer_Reset(void);
