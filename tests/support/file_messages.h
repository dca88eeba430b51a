// The messages every reader and writer of the document files shows in the same words, and
// one with the file's path put in, for the tests that compare the boxes shown.
#pragma once
#include <stdio.h>

#include <string>

const char kBroken[] = "%s は壊れているため、読み込むことができませんでした。";
const char kCannotOpen[] = "%s を開くことができませんでした。";
const char kCannotSave[] = "%s に保存することができませんでした。";

// fmt with its one %s replaced by path.
inline std::string Fmt(const char *fmt, const std::string &path) {
  char buf[512];
  snprintf(buf, sizeof buf, fmt, path.c_str());
  return buf;
}
