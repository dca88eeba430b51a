// Whole-file reads and writes for the tests: hand-made input files, golden files, and files a
// test puts back as they were. The one file helper of every test program.
#pragma once
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>
#include <vector>

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
