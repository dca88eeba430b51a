// WAV reader: chunk walk (LIST first, odd sizes with their pad byte), PCM-only formats,
// truncated files clamped to whole sample frames, and no read past the image.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>
#include <string>
#include <vector>

#include "file_bytes.h"
#include "lib/media/wave.h"
#include "model/bytes.h"

namespace {

struct WavFormat {
  u16 tag = 1, channels = 1;
  u32 rate = 22050;
  u16 bits = 8;
};

void Chunk(ByteWriter *w, const char *id, const std::vector<u8> &body, bool pad = true) {
  Wr_Bytes(w, id, 4);
  Wr_U32(w, (u32)body.size());
  Wr_Bytes(w, body.data(), body.size());
  if (pad && (body.size() & 1)) Wr_U8(w, 0);
}

std::vector<u8> FmtBody(const WavFormat &f) {
  ByteWriter w{};
  u16 align = (u16)(f.channels * f.bits / 8);
  Wr_U16(&w, f.tag);
  Wr_U16(&w, f.channels);
  Wr_U32(&w, f.rate);
  Wr_U32(&w, f.rate * align);
  Wr_U16(&w, align);
  Wr_U16(&w, f.bits);
  return TakeWriterBytes(&w);
}

// Extensible format: 40-byte fmt with a sub-format GUID whose first word is subtype.
std::vector<u8> FmtExtensible(u16 channels, u32 rate, u16 bits, u32 subtype) {
  WavFormat f;
  f.tag = 0xFFFE;
  f.channels = channels;
  f.rate = rate;
  f.bits = bits;
  std::vector<u8> v = FmtBody(f);
  const u8 tail[] = {22, 0, (u8)bits, 0, 3, 0, 0, 0,
                     (u8)subtype, (u8)(subtype >> 8), (u8)(subtype >> 16), (u8)(subtype >> 24),
                     0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  v.insert(v.end(), tail, tail + sizeof tail);
  return v;
}

std::vector<u8> Wav(const std::vector<std::pair<std::string, std::vector<u8>>> &chunks,
                    bool pad = true) {
  ByteWriter w{};
  Wr_Bytes(&w, "RIFF", 4);
  Wr_U32(&w, 0);
  Wr_Bytes(&w, "WAVE", 4);
  for (auto &c : chunks) Chunk(&w, c.first.c_str(), c.second, pad);
  Wr_PatchU32(&w, 4, (u32)(w.size - 8));
  return TakeWriterBytes(&w);
}

std::vector<u8> Samples(size_t n) {
  std::vector<u8> s(n);
  for (size_t i = 0; i < n; i++) s[i] = (u8)(i * 7 + 1);
  return s;
}

}  // namespace

TEST(WaveReader, ParsesCommonLayouts) {
  WavFormat mono8;   // 8-bit mono 22,050 Hz
  auto samples = Samples(100);
  std::vector<u8> list = {'I', 'N', 'F', 'O', 'I', 'S', 'F', 'T', 3, 0, 0, 0, 'a', 'b', 0};
  ASSERT_EQ(list.size() % 2, 1u);   // odd: the reader must skip its pad byte

  const std::vector<std::vector<u8>> images = {
      Wav({{"fmt ", FmtBody(mono8)}, {"data", samples}}),
      Wav({{"LIST", list}, {"fmt ", FmtBody(mono8)}, {"data", samples}}),
      Wav({{"fmt ", FmtBody(mono8)}, {"LIST", list}, {"fact", {1, 2, 3, 4}}, {"data", samples}}),
      // A chunk whose name only begins like the format chunk's is skipped as unknown.
      Wav({{"fmtx", {9, 9, 9, 9}}, {"fmt ", FmtBody(mono8)}, {"data", samples}}),
  };
  for (size_t i = 0; i < images.size(); i++) {
    WaveRecord rec{};
    ASSERT_TRUE(Sound_WaveFromMemory(&rec, images[i].data(), images[i].size())) << i;
    EXPECT_EQ(rec.formatTag, 1);
    EXPECT_EQ(rec.channels, 1);
    EXPECT_EQ(rec.samplesPerSec, 22050u);
    EXPECT_EQ(rec.avgBytesPerSec, 22050u);
    EXPECT_EQ(rec.blockAlign, 1);
    EXPECT_EQ(rec.bitsPerSample, 8);
    EXPECT_EQ(rec.extraSize, 0);
    ASSERT_EQ(rec.dataLength, samples.size());
    EXPECT_EQ(memcmp(rec.data, samples.data(), samples.size()), 0);
    free(rec.data);
  }
}

TEST(WaveReader, AcceptsExtensiblePcmOnly) {
  auto samples = Samples(64);
  auto pcm = Wav({{"fmt ", FmtExtensible(2, 44100, 16, 1)}, {"data", samples}});
  WaveRecord rec{};
  ASSERT_TRUE(Sound_WaveFromMemory(&rec, pcm.data(), pcm.size()));
  EXPECT_EQ(rec.formatTag, 1);   // played as plain PCM
  EXPECT_EQ(rec.channels, 2);
  EXPECT_EQ(rec.blockAlign, 4);
  EXPECT_EQ(rec.dataLength, 64u);
  free(rec.data);

  // Float in an extensible header, plain IEEE float (3) and IMA ADPCM (0x11) are refused.
  WavFormat fl;
  fl.tag = 3;
  fl.bits = 32;
  WavFormat adpcm;
  adpcm.tag = 0x11;
  adpcm.bits = 4;
  adpcm.channels = 2;
  const std::vector<std::vector<u8>> refused = {
      Wav({{"fmt ", FmtExtensible(2, 44100, 32, 3)}, {"data", samples}}),
      Wav({{"fmt ", FmtBody(fl)}, {"data", samples}}),
      Wav({{"fmt ", FmtBody(adpcm)}, {"data", samples}}),
  };
  for (size_t i = 0; i < refused.size(); i++) {
    WaveRecord keep{};
    keep.dataLength = 5;   // a refused image leaves the record as it was
    EXPECT_FALSE(Sound_WaveFromMemory(&keep, refused[i].data(), refused[i].size())) << i;
    EXPECT_EQ(keep.dataLength, 5u);
    EXPECT_EQ(keep.data, nullptr);
  }
}

TEST(WaveReader, TruncatedDataIsClampedToWholeFrames) {
  WavFormat stereo16;
  stereo16.channels = 2;
  stereo16.bits = 16;
  auto img = Wav({{"fmt ", FmtBody(stereo16)}, {"data", Samples(400)}});
  // Cut the file inside the data chunk, mid-frame: 123 sample bytes remain.
  size_t dataStart = img.size() - 400;
  img.resize(dataStart + 123);
  WaveRecord rec{};
  ASSERT_TRUE(Sound_WaveFromMemory(&rec, img.data(), img.size()));
  EXPECT_EQ(rec.dataLength, 120u);   // 30 whole 4-byte frames
  EXPECT_EQ(memcmp(rec.data, Samples(120).data(), 120), 0);
  free(rec.data);
}

TEST(WaveReader, RefusesMalformedImages) {
  WavFormat mono8;
  auto good = Wav({{"fmt ", FmtBody(mono8)}, {"data", Samples(10)}});
  std::vector<u8> shortFmt = FmtBody(mono8);
  shortFmt.resize(12);
  WavFormat zeroChannels;
  zeroChannels.channels = 0;
  std::vector<std::vector<u8>> bad = {
      Wav({{"data", Samples(10)}, {"fmt ", FmtBody(mono8)}}),   // data before fmt
      Wav({{"fmt ", FmtBody(mono8)}}),                          // no data chunk
      Wav({{"fmt ", shortFmt}, {"data", Samples(10)}}),         // fmt too short
      Wav({{"fmt ", FmtBody(zeroChannels)}, {"data", Samples(10)}}),
  };
  std::vector<u8> notRiff = good;
  notRiff[0] = 'X';
  bad.push_back(notRiff);
  std::vector<u8> notWave = good;
  notWave[8] = 'X';
  bad.push_back(notWave);
  // A chunk whose size runs far past the end of the image.
  std::vector<u8> huge = Wav({{"LIST", {1, 2}}, {"fmt ", FmtBody(mono8)}, {"data", Samples(10)}});
  huge[16] = 0xFF, huge[17] = 0xFF, huge[18] = 0xFF, huge[19] = 0x7F;
  bad.push_back(huge);
  for (size_t i = 0; i < bad.size(); i++) {
    WaveRecord rec{};
    EXPECT_FALSE(Sound_WaveFromMemory(&rec, bad[i].data(), bad[i].size())) << i;
    EXPECT_EQ(rec.data, nullptr);
  }
  // Every prefix of a good file either fails or yields at most the bytes present.
  for (size_t n = 0; n <= good.size(); n++) {
    std::vector<u8> cut(good.begin(), good.begin() + n);   // exact-size heap copy for ASan
    WaveRecord rec{};
    if (Sound_WaveFromMemory(&rec, cut.data(), cut.size())) {
      EXPECT_LE(rec.dataLength, 10u);
      free(rec.data);
    }
  }
  WaveRecord rec{};
  EXPECT_FALSE(Sound_WaveFromMemory(&rec, nullptr, 0));
}

TEST(WaveReader, LoadsFromFileAndReloadReplacesSamples) {
  WavFormat mono8;
  auto a = Wav({{"fmt ", FmtBody(mono8)}, {"data", Samples(10)}});
  WavFormat stereo16;
  stereo16.channels = 2;
  stereo16.bits = 16;
  auto b = Wav({{"fmt ", FmtBody(stereo16)}, {"data", Samples(40)}});
  const char *path = "wave_test_a.wav";
  ASSERT_TRUE(File_WriteAtomic(path, a.data(), a.size()));
  EXPECT_EQ(Sound_GetFileSize(path), (i32)a.size());
  WaveRecord rec{};
  ASSERT_TRUE(Sound_LoadWaveFile(&rec, path));
  EXPECT_EQ(rec.dataLength, 10u);
  ASSERT_TRUE(File_WriteAtomic(path, b.data(), b.size()));
  ASSERT_TRUE(Sound_LoadWaveFile(&rec, path));   // the old samples are freed (leak check)
  EXPECT_EQ(rec.dataLength, 40u);
  EXPECT_EQ(rec.channels, 2);
  remove(path);
  EXPECT_EQ(Sound_GetFileSize(path), -1);
  EXPECT_FALSE(Sound_LoadWaveFile(&rec, path));
  EXPECT_EQ(rec.dataLength, 40u);   // a missing file leaves the record alone
  free(rec.data);
}
