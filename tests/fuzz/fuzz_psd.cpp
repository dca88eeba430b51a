// Fuzz target: the PSD reader on arbitrary bytes. A header may declare up to 16,384 x 16,384
// pixels; the reader refuses any size the bytes after it cannot hold before it allocates, so
// no input is kept out here.
#include "model/formats/formats.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  PsdImage_Free(Psd_Decode(data, size));
  return 0;
}
