// Fuzz target: the PSD reader on arbitrary bytes.
//
// A header may ask for up to 16,384 x 16,384 pixels, which the reader allocates before it
// sees how much data follows (a short file keeps the defaults). Such sizes only test the
// allocator and trip the fuzzer's memory limit, so the harness keeps images to 4 megapixels.
#include "model/bytes.h"
#include "model/formats/formats.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  ByteReader r;
  Rd_Init(&r, data, size);
  Rd_Skip(&r, 14);   // signature, version, reserved bytes, channel count
  u64 height = Rd_U32BE(&r);
  u64 width = Rd_U32BE(&r);
  if (height * width > (1u << 22)) return 0;
  PsdImage_Free(Psd_Decode(data, size));
  return 0;
}
