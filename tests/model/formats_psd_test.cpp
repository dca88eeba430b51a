// PSD reader: raw and PackBits images of 3 and 4 channels decode byte-exactly; other kinds,
// damaged runs, truncation and huge sizes are refused or clipped without reading past a buffer.
#include <gtest/gtest.h>

#include <vector>

#include "file_bytes.h"
#include "model/bytes.h"
#include "model/formats/formats.h"

namespace {

struct PsdSpec {
  u16 version = 1, channels = 3, depth = 8, mode = 3, compression = 0;
  u32 width = 2, height = 2;
};

// Header and the three empty sections, up to and including the compression word.
std::vector<u8> PsdHeader(const PsdSpec &s) {
  ByteWriter w = {};
  Wr_Bytes(&w, "8BPS", 4);
  Wr_U16BE(&w, s.version);
  Wr_Zeros(&w, 6);
  Wr_U16BE(&w, s.channels);
  Wr_U32BE(&w, s.height);
  Wr_U32BE(&w, s.width);
  Wr_U16BE(&w, s.depth);
  Wr_U16BE(&w, s.mode);
  Wr_U32BE(&w, 0);
  Wr_U32BE(&w, 4);          // a non-empty resource section is skipped by its length
  Wr_Bytes(&w, "junk", 4);
  Wr_U32BE(&w, 0);
  Wr_U16BE(&w, s.compression);
  return TakeWriterBytes(&w);
}

std::vector<u8> RawPsd(const PsdSpec &s, const std::vector<u8> &planes) {
  std::vector<u8> v = PsdHeader(s);
  v.insert(v.end(), planes.begin(), planes.end());
  return v;
}

// PackBits file: the row-length table (contents unused) then the given run bytes.
std::vector<u8> RlePsd(PsdSpec s, const std::vector<u8> &runs) {
  s.compression = 1;
  std::vector<u8> v = PsdHeader(s);
  v.insert(v.end(), (size_t)s.height * s.channels * 2, 0);
  v.insert(v.end(), runs.begin(), runs.end());
  return v;
}

std::vector<u32> Channel(const PsdImage *img, int c) {
  size_t n = (size_t)img->width * img->height;
  return std::vector<u32>(img->pixels + c * n, img->pixels + (c + 1) * n);
}

PsdImage *Decode(const std::vector<u8> &v) { return Psd_Decode(v.data(), v.size()); }

}  // namespace

TEST(Psd, RawThreeAndFourChannels) {
  PsdSpec s;
  std::vector<u8> planes = {1, 2, 3, 4, 10, 20, 30, 40, 100, 101, 102, 103};
  PsdImage *img = Decode(RawPsd(s, planes));
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->width, 2);
  EXPECT_EQ(img->height, 2);
  EXPECT_EQ(img->channels, 3);
  EXPECT_EQ(Channel(img, 0), (std::vector<u32>{1, 2, 3, 4}));
  EXPECT_EQ(Channel(img, 2), (std::vector<u32>{100, 101, 102, 103}));
  EXPECT_EQ(Channel(img, 3), (std::vector<u32>{255, 255, 255, 255}));
  PsdImage_Free(img);

  s.channels = 4;
  planes.insert(planes.end(), {7, 8, 9, 0});
  img = Decode(RawPsd(s, planes));
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(Channel(img, 1), (std::vector<u32>{10, 20, 30, 40}));
  EXPECT_EQ(Channel(img, 3), (std::vector<u32>{7, 8, 9, 0}));
  PsdImage_Free(img);

  // 1 x 1: three bytes, red green blue.
  s = PsdSpec();
  s.width = s.height = 1;
  img = Decode(RawPsd(s, {9, 8, 7}));
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->pixels[0], 9u);
  EXPECT_EQ(img->pixels[1], 8u);
  EXPECT_EQ(img->pixels[2], 7u);
  EXPECT_EQ(img->pixels[3], 255u);
  PsdImage_Free(img);
}

TEST(Psd, PackBitsRunsAcrossRowsAndChannels) {
  PsdSpec s;
  s.channels = 4;
  s.width = 4;
  s.height = 1;
  // red: 128 (no-op), 255 repeats twice, 1 copies two; green: 0 copies one, 253 repeats 4
  // (clipped to the 3 remaining: damaged, so the channels after it keep their defaults).
  std::vector<u8> runs = {128, 255, 5, 1, 6, 7, 0, 9, 253, 4};
  PsdImage *img = Decode(RlePsd(s, runs));
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(Channel(img, 0), (std::vector<u32>{5, 5, 6, 7}));
  EXPECT_EQ(Channel(img, 1), (std::vector<u32>{9, 4, 4, 4}));
  EXPECT_EQ(Channel(img, 2), (std::vector<u32>{0, 0, 0, 0}));
  EXPECT_EQ(Channel(img, 3), (std::vector<u32>{255, 255, 255, 255}));
  PsdImage_Free(img);

  // 129 repeats 128 times, across the rows of a 16 x 8 channel.
  s.channels = 3;
  s.width = 16;
  s.height = 8;
  img = Decode(RlePsd(s, {129, 42, 129, 43, 129, 44}));
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(Channel(img, 0), std::vector<u32>(128, 42));
  EXPECT_EQ(Channel(img, 2), std::vector<u32>(128, 44));
  EXPECT_EQ(Channel(img, 3), std::vector<u32>(128, 255));
  PsdImage_Free(img);
}

TEST(Psd, OtherKindsAreRefused) {
  PsdSpec s;
  std::vector<u8> planes(12, 1);
  PsdSpec gray = s; gray.mode = 1;
  PsdSpec cmyk = s; cmyk.mode = 4;
  PsdSpec deep = s; deep.depth = 16;
  PsdSpec big = s; big.version = 2;
  PsdSpec many = s; many.channels = 17;
  PsdSpec zip = s; zip.compression = 2;
  for (const PsdSpec &bad : {gray, cmyk, deep, big, many, zip}) EXPECT_EQ(Decode(RawPsd(bad, planes)), nullptr);
  std::vector<u8> v = RawPsd(s, planes);
  v[0] = 'X';
  EXPECT_EQ(Decode(v), nullptr);
  EXPECT_EQ(Psd_Load("no/such/file.psd"), nullptr);
}

TEST(Psd, HugeSizesAreRefusedBeforeAllocating) {
  PsdSpec s;
  s.width = 16385;
  EXPECT_EQ(Decode(RawPsd(s, {})), nullptr);
  s.width = 0xFFFFFFFFu;
  s.height = 0xFFFFFFFFu;
  EXPECT_EQ(Decode(RawPsd(s, {})), nullptr);
  s.width = 0;
  s.height = 4;
  EXPECT_EQ(Decode(RawPsd(s, {})), nullptr);
}

// Files that cannot hold what they declare: every cut of a raw and of a PackBits file, and
// sizes far beyond the bytes that follow (a 40-byte file declaring 16384 x 16384 pixels), are
// refused, the large ones before anything is allocated for them.
TEST(Psd, FilesShorterThanTheirImageAreRefused) {
  PsdSpec s;
  s.channels = 4;
  std::vector<u8> raw = RawPsd(s, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
  std::vector<u8> rle = RlePsd(s, {3, 1, 2, 3, 4, 131, 9});
  for (const std::vector<u8> *full : {&raw, &rle}) {
    for (size_t cut = 0; cut < full->size(); cut++) {
      std::vector<u8> v(full->begin(), full->begin() + cut);
      EXPECT_EQ(Decode(v), nullptr) << cut;
    }
    PsdImage *img = Decode(*full);
    EXPECT_NE(img, nullptr);
    PsdImage_Free(img);
  }
  struct Case {
    u32 width, height;
    u16 channels, compression;
    size_t extra;
  };
  const Case huge[] = {{16384, 16384, 3, 0, 0}, {16384, 16384, 3, 1, 0}, {16384, 16384, 0, 0, 0},
                       {16384, 16384, 3, 1, 16384 * 3 * 2 + 100}, {4096, 4096, 4, 0, 4096 * 4096 * 3}};
  for (const Case &c : huge) {
    PsdSpec h;
    h.width = c.width, h.height = c.height, h.channels = c.channels, h.compression = c.compression;
    std::vector<u8> v = PsdHeader(h);
    v.resize(v.size() + c.extra, 0x80);   // PackBits no-ops
    EXPECT_EQ(Decode(v), nullptr) << c.width << " x " << c.height << " with " << c.extra;
  }
}

TEST(Psd, LoadsFromFile) {
  PsdSpec s;
  std::vector<u8> v = RawPsd(s, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12});
  ASSERT_TRUE(File_WriteAtomic("psd_load_test.psd", v.data(), v.size()));
  PsdImage *img = Psd_Load("psd_load_test.psd");
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(img->pixels[11], 12u);
  PsdImage_Free(img);
  remove("psd_load_test.psd");
}
