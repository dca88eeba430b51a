// Whole-file reads and writes for the tests: hand-made input files, golden files, and files a
// test puts back as they were, and hand-made files built with the byte writer (the headers of
// PSD and WAV files among them). The one file
// helper of every test program.
#pragma once
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "model/bytes.h"
#include "model/types.h"

// The file's bytes; empty when it cannot be opened.
inline std::vector<u8> ReadFileBytes(const std::string &path) {
  std::vector<u8> bytes;
  FILE *f = fopen(path.c_str(), "rb");
  if (!f) return bytes;
  int c;
  while ((c = fgetc(f)) != EOF) bytes.push_back((u8)c);
  fclose(f);
  return bytes;
}

// The same bytes as text (empty when the file cannot be opened).
inline std::string ReadFileString(const std::string &path) {
  std::vector<u8> b = ReadFileBytes(path);
  return std::string(b.begin(), b.end());
}

// Writes the file anew; a file that cannot be written fails the test and returns false.
inline bool WriteFileBytes(const std::string &path, const void *data, size_t size) {
  FILE *f = fopen(path.c_str(), "wb");
  if (!f) {
    ADD_FAILURE() << "cannot write " << path;
    return false;
  }
  bool ok = size == 0 || fwrite(data, 1, size, f) == size;
  ok = fclose(f) == 0 && ok;
  if (!ok) ADD_FAILURE() << "cannot write " << path;
  return ok;
}

inline bool WriteFileBytes(const std::string &path, const std::vector<u8> &bytes) {
  return WriteFileBytes(path, bytes.data(), bytes.size());
}

inline bool WriteFileBytes(const std::string &path, const std::string &bytes) {
  return WriteFileBytes(path, bytes.data(), bytes.size());
}

// What the writer holds, the writer freed: the end of every file image a test builds by hand.
inline std::vector<u8> TakeWriterBytes(ByteWriter *w) {
  std::vector<u8> bytes(w->data, w->data + w->size);
  Wr_Free(w);
  return bytes;
}

// The header of a raw 8-bit RGB PSD of w x h pixels with `channels` planes and empty colour,
// resource and layer sections, up to the compression word (0, raw): the planes follow.
inline void WritePsdHeader(ByteWriter *bw, i32 w, i32 h, int channels) {
  Wr_Bytes(bw, "8BPS", 4);
  Wr_U16BE(bw, 1);
  Wr_Zeros(bw, 6);
  Wr_U16BE(bw, (u16)channels);
  Wr_U32BE(bw, (u32)h);
  Wr_U32BE(bw, (u32)w);
  Wr_U16BE(bw, 8);
  Wr_U16BE(bw, 3);
  Wr_U32BE(bw, 0);
  Wr_U32BE(bw, 0);
  Wr_U32BE(bw, 0);
  Wr_U16BE(bw, 0);
}

// The header of a PCM WAV file whose data chunk of dataBytes bytes follows: RIFF, the format
// chunk (channels, rate, bits per sample) and the data chunk's tag and size.
inline void WriteWavHeader(ByteWriter *w, u16 channels, u32 rate, u16 bits, u32 dataBytes) {
  u16 align = (u16)(channels * bits / 8);
  Wr_Bytes(w, "RIFF", 4);
  Wr_U32(w, 36 + dataBytes);
  Wr_Bytes(w, "WAVEfmt ", 8);
  Wr_U32(w, 16);
  Wr_U16(w, 1);
  Wr_U16(w, channels);
  Wr_U32(w, rate);
  Wr_U32(w, rate * align);
  Wr_U16(w, align);
  Wr_U16(w, bits);
  Wr_Bytes(w, "data", 4);
  Wr_U32(w, dataBytes);
}
