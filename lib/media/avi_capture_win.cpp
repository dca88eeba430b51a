// The frame step's capture call on the library's device.
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/avi.h"
#include "lib/media/avi_win.h"

void Avi_CaptureFrame(void) { Avi_CaptureFrameOf(g_Lib.device); }
