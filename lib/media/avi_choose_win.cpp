// The codec choice of a new recording: the video compression manager's dialog, reached
// through the library's modal hooks so that tests can answer it.
#include "lib/framework/modal_hooks.h"
#include "lib/media/avi_win.h"

bool Avi_ChooseCompressor(HWND window, BITMAPINFOHEADER *format, COMPVARS *compressor) {
  return Modal_ChooseCompressor(window, ICMF_CHOOSE_DATARATE | ICMF_CHOOSE_KEYFRAME, format,
                                nullptr, compressor, nullptr) != FALSE;
}
