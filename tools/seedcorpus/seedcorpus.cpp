// Writes the hand-made KZM, KZO and KZP files of the model tests, and small PCM WAV files, as
// seeds of the fuzz corpus: seedcorpus <source tree>  (into tests/fuzz/corpus/fuzz_kzm,
// fuzz_kzo, fuzz_kzp, fuzz_kzpfile, fuzz_wav).
#include <stdio.h>

#include <string>
#include <vector>

#include "model/bytes.h"
#include "tests/model/kz_samples.h"

static bool Put(const std::string &path, const std::vector<u8> &bytes) {
  if (File_WriteAtomic(path.c_str(), bytes.data(), bytes.size())) return true;
  fprintf(stderr, "seedcorpus: cannot write %s\n", path.c_str());
  return false;
}

// A PCM WAV image: 16- or 40-byte format chunk (the longer one WAVE_FORMAT_EXTENSIBLE), an odd
// chunk before the samples, then `frames` sample frames.
static std::vector<u8> Wav(u16 channels, u16 bits, bool extensible, u32 frames) {
  static const u8 kPcm[16] = {1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
  u16 align = (u16)(channels * bits / 8);
  ByteWriter w = {};
  Wr_Bytes(&w, "RIFF", 4);
  Wr_U32(&w, 0);   // not trusted by the reader
  Wr_Bytes(&w, "WAVEfmt ", 8);
  Wr_U32(&w, extensible ? 40 : 16);
  Wr_U16(&w, extensible ? 0xFFFE : 1);
  Wr_U16(&w, channels);
  Wr_U32(&w, 8000);
  Wr_U32(&w, 8000u * align);
  Wr_U16(&w, align);
  Wr_U16(&w, bits);
  if (extensible) {
    Wr_U16(&w, 22);
    Wr_U16(&w, bits);
    Wr_U32(&w, 3);
    Wr_Bytes(&w, kPcm, sizeof kPcm);
  }
  Wr_Bytes(&w, "LIST", 4);
  Wr_U32(&w, 3);
  Wr_Bytes(&w, "ab\0\0", 4);   // three bytes and the pad byte
  Wr_Bytes(&w, "data", 4);
  Wr_U32(&w, frames * align);
  for (u32 i = 0; i < frames * align; i++) Wr_U8(&w, (u8)(i * 37));
  std::vector<u8> v(w.data, w.data + w.size);
  Wr_Free(&w);
  return v;
}

int main(int argc, char **argv) {
  if (argc != 2) {
    fprintf(stderr, "usage: seedcorpus <source tree>\n");
    return 2;
  }
  std::string corpus = std::string(argv[1]) + "/tests/fuzz/corpus/";
  bool ok = Put(corpus + "fuzz_kzm/writer.kzm", Kzm(false));
  ok = Put(corpus + "fuzz_kzm/reader.kzm", Kzm(true)) && ok;
  ok = Put(corpus + "fuzz_kzo/set.kzo", Kzo()) && ok;
  for (i32 v : {2006000, 2005000, 2004002})
    for (const char *target : {"fuzz_kzp/v", "fuzz_kzpfile/v"})
      ok = Put(corpus + target + std::to_string(v) + ".kzp", Kzp(v)) && ok;
  ok = Put(corpus + "fuzz_wav/mono8.wav", Wav(1, 8, false, 5)) && ok;
  ok = Put(corpus + "fuzz_wav/stereo16.wav", Wav(2, 16, false, 4)) && ok;
  ok = Put(corpus + "fuzz_wav/extensible.wav", Wav(2, 24, true, 3)) && ok;
  return ok ? 0 : 1;
}
