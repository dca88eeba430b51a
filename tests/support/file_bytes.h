// Whole-file reads and writes for the shell's tests: golden files, and settings files that
// a test puts back as they were.
#pragma once
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

inline void WriteFileBytes(const std::string &path, const std::vector<u8> &bytes) {
  FILE *f = fopen(path.c_str(), "wb");
  if (!f) return;
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}
