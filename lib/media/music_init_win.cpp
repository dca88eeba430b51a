// Start-up entry of the music performance on the library's main window.
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/music.h"

i32 Music_Init(void) { return Music_InitForWindow(g_Lib.mainWnd); }
