// Music performance: DirectMusic loader and performance set up at start-up with segment
// notifications routed to an event. No segment is loaded or played.
#pragma once
#include "model/types.h"

// Windows program only (music_win.cpp). Returns the HRESULT of the set-up; the library
// start-up ignores it (DirectMusic is absent under Wine and on machines without sound).
i32 Music_Init(void);
// The same on a given window.
i32 Music_InitForWindow(void *window);
