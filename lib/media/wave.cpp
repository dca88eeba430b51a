// WAV reader: walks the RIFF chunks of a WAVE image through the shared byte cursor and
// copies the PCM samples into a WaveRecord. See wave.h for what is accepted.
#include "lib/media/wave.h"

#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "model/bytes.h"
#include "model/seam_log.h"

// KSDATAFORMAT_SUBTYPE_PCM {00000001-0000-0010-8000-00AA00389B71} as stored in a file.
static const u8 kSubtypePcm[16] = {0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00,
                                   0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

struct WaveFormat {
  u16 channels;
  u32 samplesPerSec;
  u32 avgBytesPerSec;
  u16 blockAlign;
  u16 bitsPerSample;
};

// Reads a "fmt " chunk body of `size` bytes; false (with a log line) for anything but usable PCM.
static bool ReadFormatChunk(const u8 *body, u32 size, WaveFormat *fmt) {
  if (size < 16) {
    Log_Printf("WAV: fmt チャンクが短すぎます (%u バイト)", size);
    return false;
  }
  ByteReader r;
  Rd_Init(&r, body, size);
  u16 tag = Rd_U16(&r);
  fmt->channels = Rd_U16(&r);
  fmt->samplesPerSec = Rd_U32(&r);
  fmt->avgBytesPerSec = Rd_U32(&r);
  fmt->blockAlign = Rd_U16(&r);
  fmt->bitsPerSample = Rd_U16(&r);
  bool pcm = tag == WAVE_FORMAT_TAG_PCM;
  if (tag == WAVE_FORMAT_TAG_EXTENSIBLE && size >= 40) {
    Rd_Skip(&r, 2 + 2 + 4);   // extra size, valid bits, channel mask
    u8 subtype[16];
    Rd_Bytes(&r, subtype, sizeof subtype);
    pcm = !r.err && memcmp(subtype, kSubtypePcm, sizeof subtype) == 0;
  }
  if (!pcm) {
    Log_Printf("WAV: PCM 以外の形式 (0x%04X) には対応していません", tag);
    return false;
  }
  if (fmt->channels == 0 || fmt->samplesPerSec == 0 || fmt->bitsPerSample == 0 ||
      fmt->blockAlign == 0) {
    Log_Printf("WAV: fmt チャンクの値が不正です");
    return false;
  }
  return !r.err;
}

const u8 *Sound_ParseWav(const u8 *image, size_t size, u32 *dataLength, u16 *channels,
                         u32 *samplesPerSec, u32 *avgBytesPerSec, u16 *blockAlign,
                         u16 *bitsPerSample) {
  if (!image) return nullptr;
  ByteReader r;
  Rd_Init(&r, image, size);
  char riff[4], wave[4];
  Rd_Bytes(&r, riff, 4);
  Rd_U32(&r);   // RIFF size: not trusted, the walk is bounded by the image itself
  Rd_Bytes(&r, wave, 4);
  if (r.err || memcmp(riff, "RIFF", 4) != 0 || memcmp(wave, "WAVE", 4) != 0) return nullptr;

  WaveFormat fmt;
  bool haveFormat = false;
  while (Rd_Remaining(&r) >= 8) {
    char id[4];
    Rd_Bytes(&r, id, 4);
    u32 chunkSize = Rd_U32(&r);
    size_t avail = Rd_Remaining(&r);
    if (memcmp(id, "data", 4) == 0) {
      if (!haveFormat) {
        Log_Printf("WAV: fmt チャンクより前に data チャンクがあります");
        return nullptr;
      }
      // A truncated file keeps the whole sample frames it holds.
      u32 length = chunkSize <= avail ? chunkSize : (u32)avail;
      length -= length % fmt.blockAlign;
      *dataLength = length;
      *channels = fmt.channels;
      *samplesPerSec = fmt.samplesPerSec;
      *avgBytesPerSec = fmt.avgBytesPerSec;
      *blockAlign = fmt.blockAlign;
      *bitsPerSample = fmt.bitsPerSample;
      return r.p;
    }
    if (chunkSize > avail) break;   // a chunk running off the end: no data chunk follows
    if (memcmp(id, "fmt ", 4) == 0) {
      if (!ReadFormatChunk(r.p, chunkSize, &fmt)) return nullptr;
      haveFormat = true;
    }
    // Chunks of odd size are followed by one pad byte.
    u64 step = (u64)chunkSize + (chunkSize & 1);
    if (step > avail) break;
    Rd_Skip(&r, step);
  }
  Log_Printf("WAV: data チャンクがありません");
  return nullptr;
}

bool Sound_WaveFromMemory(WaveRecord *record, const u8 *image, size_t size) {
  if (!record) return false;
  u32 length;
  u16 channels, blockAlign, bits;
  u32 rate, avgRate;
  const u8 *samples =
      Sound_ParseWav(image, size, &length, &channels, &rate, &avgRate, &blockAlign, &bits);
  if (!samples) return false;
  u8 *copy = (u8 *)malloc(length ? length : 1);
  if (!copy) return false;
  if (length) memcpy(copy, samples, length);
  free(record->data);
  record->formatTag = WAVE_FORMAT_TAG_PCM;
  record->channels = channels;
  record->samplesPerSec = rate;
  record->avgBytesPerSec = avgRate;
  record->blockAlign = blockAlign;
  record->bitsPerSample = bits;
  record->extraSize = 0;
  record->dataLength = length;
  record->data = copy;
  return true;
}

i32 Sound_GetFileSize(const char *path) {
  struct stat st;
  if (!path || stat(path, &st) != 0) return -1;
  if (st.st_size < 0 || st.st_size > 0x7FFFFFFF) return -1;
  return (i32)st.st_size;
}

bool Sound_LoadWaveFile(WaveRecord *record, const char *path) {
  if (!record || !path || !path[0]) return false;
  FileData file;
  if (!File_ReadAll(path, &file)) {
    Log_Printf("WAV ファイルを開けません: %s", path);
    return false;
  }
  bool ok = Sound_WaveFromMemory(record, file.data, file.size);
  if (!ok) Log_Printf("WAV ファイルを読み込めません: %s", path);
  File_Free(&file);
  return ok;
}

void Wave_Free(WaveRecord *record) {
  if (!record) return;
  free(record->data);
  free(record);
}
