// The codec choice of a new recording: the video compression manager's dialog.
#include "lib/media/avi_win.h"

bool Avi_ChooseCompressor(HWND window, BITMAPINFOHEADER *format, COMPVARS *compressor) {
  return ICCompressorChoose(window, ICMF_CHOOSE_DATARATE | ICMF_CHOOSE_KEYFRAME, format,
                            nullptr, compressor, nullptr) != FALSE;
}
