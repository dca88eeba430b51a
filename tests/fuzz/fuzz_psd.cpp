// Fuzz target: the PSD reader on arbitrary bytes.
#include "model/formats/formats.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  PsdImage_Free(Psd_Decode(data, size));
  return 0;
}
