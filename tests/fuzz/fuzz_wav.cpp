// Fuzz target: the WAV reader on arbitrary bytes. The samples it finds must lie inside the
// image and hold whole sample frames; a parsed image must also make a record.
#include <stdlib.h>

#include "lib/media/wave.h"

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  u32 length = 0, rate = 0, avgRate = 0;
  u16 channels = 0, blockAlign = 0, bits = 0;
  const u8 *samples = Sound_ParseWav(data, size, &length, &channels, &rate, &avgRate, &blockAlign, &bits);
  if (!samples) return 0;
  if (samples < data || (size_t)(samples - data) + length > size || blockAlign == 0 || length % blockAlign != 0)
    __builtin_trap();
  WaveRecord *record = (WaveRecord *)calloc(1, sizeof(WaveRecord));
  if (!Sound_WaveFromMemory(record, data, size) || record->dataLength != length) __builtin_trap();
  Wave_Free(record);
  return 0;
}
