// WAV sound files: the program's own RIFF/WAVE reader into WaveRecord.
//
// Only PCM is played (format tag 1, or WAVE_FORMAT_EXTENSIBLE with the PCM sub-format);
// ADPCM, float and other encodings are refused with a log line, since handing their bytes
// to a PCM buffer plays loud noise. Chunks of odd size carry a pad byte; a data chunk that
// claims more bytes than the file holds is clamped to the bytes present.
#pragma once
#include "model/types.h"

// A loaded sound: a WAVEFORMATEX-shaped header, then the record's own copy of the samples.
struct WaveRecord {
  u16 formatTag;       // always 1 (PCM) once loaded
  u16 channels;
  u32 samplesPerSec;
  u32 avgBytesPerSec;
  u16 blockAlign;
  u16 bitsPerSample;
  u16 extraSize;       // always 0
  u32 dataLength;      // bytes in data
  u8 *data;            // malloc'd copy of the samples; null while empty
};

enum { WAVE_FORMAT_TAG_PCM = 1, WAVE_FORMAT_TAG_EXTENSIBLE = 0xFFFE };

// Parses a WAV image of `size` bytes. Returns a pointer to the first sample byte inside the
// image and fills the out values, or null when the image is not a playable PCM WAV file.
const u8 *Sound_ParseWav(const u8 *image, size_t size, u32 *dataLength, u16 *channels,
                         u32 *samplesPerSec, u32 *avgBytesPerSec, u16 *blockAlign,
                         u16 *bitsPerSample);
// Fills a record from a WAV image. On failure returns false and leaves the record as it was.
bool Sound_WaveFromMemory(WaveRecord *record, const u8 *image, size_t size);
// Reads a whole WAV file into the record; false (record unchanged) when it cannot be read or parsed.
bool Sound_LoadWaveFile(WaveRecord *record, const char *path);
// File size from stat; -1 when the file does not exist (or is larger than an i32).
i32 Sound_GetFileSize(const char *path);
// Frees the record's samples and the record itself (null allowed).
void Wave_Free(WaveRecord *record);
