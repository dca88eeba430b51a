// Start-up entry of the sound system on the library's main window (kept apart from
// sound_win.cpp so that programs without the library window can use the device code).
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/sound.h"

void Sound_Init(void) { Sound_InitForWindow(g_Lib.mainWnd); }
