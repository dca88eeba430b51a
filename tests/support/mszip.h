// The MSZIP form of an X file, as the platform's compressing writer makes it: the header with
// "tzip" or "bzip" for "txt " or "bin ", the whole size, then 32 KiB blocks, each deflated
// with the block before as its dictionary. Shared by the X file tests and benchmark; free of
// the test framework.
#pragma once
#include <zlib.h>

#include <string>
#include <vector>

#include "model/types.h"

// plain compressed at zlib level `level`; *ok false when zlib refused a step.
inline std::string Mszip(const std::string &plain, int level, bool *ok) {
  std::string out = plain.substr(0, 16);
  out.replace(8, 4, plain.compare(8, 4, "txt ") == 0 ? "tzip" : "bzip");
  u32 total = (u32)plain.size();
  out.append((const char *)&total, 4);
  z_stream z = {};
  *ok = deflateInit2(&z, level, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
  std::vector<u8> buf(70000);
  for (size_t at = 16, prev = 0; at < plain.size(); prev = at, at += 32768) {
    size_t n = plain.size() - at < 32768 ? plain.size() - at : 32768;
    deflateReset(&z);
    if (prev) deflateSetDictionary(&z, (const Bytef *)plain.data() + prev, (uInt)(at - prev));
    z.next_in = (Bytef *)plain.data() + at;
    z.avail_in = (uInt)n;
    z.next_out = buf.data();
    z.avail_out = (uInt)buf.size();
    if (deflate(&z, Z_FINISH) != Z_STREAM_END) *ok = false;
    u16 sizes[2] = {(u16)n, (u16)(buf.size() - z.avail_out + 2)};
    out.append((const char *)sizes, 4);
    out += "CK";
    out.append((const char *)buf.data(), buf.size() - z.avail_out);
  }
  deflateEnd(&z);
  return out;
}
