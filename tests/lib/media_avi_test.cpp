// AVI frame layout, output file names and the recording run state.
#include <gtest/gtest.h>
#include <string>

#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/avi.h"

TEST(AviLayout, FrameBytesPadRowsToFourBytes) {
  EXPECT_EQ(Avi_FrameBytes(640, 480), 921600u);
  EXPECT_EQ(Avi_FrameBytes(1, 1), 4u);     // 3 bytes padded to 4
  EXPECT_EQ(Avi_FrameBytes(5, 2), 32u);    // 15 -> 16 per row
  EXPECT_EQ(Avi_FrameBytes(0, 480), 0u);
  EXPECT_EQ(Avi_FrameBytes(0x7FFFFFFF, 0x7FFFFFFF), 0u);   // no silent wrap
}

TEST(AviLayout, CaptureOriginIsTheCentreInViewWindowMode) {
  i32 x = -1, y = -1;
  Avi_CaptureOrigin(0, 1024, 768, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  Avi_CaptureOrigin(1, 1024, 768, &x, &y);
  EXPECT_EQ(x, 192);
  EXPECT_EQ(y, 144);
  Avi_CaptureOrigin(1, 641, 481, &x, &y);   // odd excess rounds toward zero
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  Avi_CaptureOrigin(1, 640, 480, &x, &y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  Avi_CaptureOrigin(1, 400, 300, &x, &y);
  EXPECT_EQ(x, -120);
  EXPECT_EQ(y, -90);
}

TEST(AviNames, ExtensionIsReplacedByAvi) {
  char out[256];
  struct { const char *in, *out; } cases[] = {
      {"C:\\root\\movie.KZV", "C:\\root\\movie.avi"},
      {"C:\\root\\movie", "C:\\root\\movie.avi"},
      {"C:\\root.d\\movie", "C:\\root.d\\movie.avi"},   // a dot in a folder is no extension
      {"a.b.c", "a.b.avi"},
      {"C:movie.x", "C:movie.avi"},
      // "ソ" is 83 5C: its trail byte is not a folder separator, and the dot after it ends the name.
      {"C:\\\x83\x5C.kzv", "C:\\\x83\x5C.avi"},
      {"\x83\x5C" "a", "\x83\x5C" "a.avi"},
  };
  for (auto &c : cases) {
    ASSERT_TRUE(Avi_MakeFileName(out, sizeof out, c.in)) << c.in;
    EXPECT_EQ(std::string(out), c.out) << c.in;
  }
  char small[8];
  EXPECT_FALSE(Avi_MakeFileName(small, sizeof small, "movie.kzv"));   // needs 10 bytes
  EXPECT_EQ(small[0], 0);
  EXPECT_TRUE(Avi_MakeFileName(small, sizeof small, "abc.k"));
  EXPECT_EQ(std::string(small), "abc.avi");
  EXPECT_FALSE(Avi_MakeFileName(out, sizeof out, nullptr));

  ASSERT_TRUE(Avi_RootPath(out, sizeof out, "C:\\root", "avi.bmp"));
  EXPECT_EQ(std::string(out), "C:\\root\\avi.bmp");
  std::string longName(250, 'n');
  EXPECT_FALSE(Avi_RootPath(out, sizeof out, "C:\\root", longName.c_str()));   // refused, not cut
}

TEST(AviRunState, StopRestoresTheStateOfTheStart) {
  g_Lib.runState = 6;
  u32 saved = 0;
  Avi_EnterRecordingState(&saved);
  EXPECT_EQ(g_Lib.runState, 8u);
  EXPECT_EQ(saved, 6u);
  Avi_LeaveRecordingState(saved);
  EXPECT_EQ(g_Lib.runState, 6u);
  // An editor that changed the state meanwhile keeps its change.
  Avi_EnterRecordingState(&saved);
  g_Lib.runState = 7;
  Avi_LeaveRecordingState(saved);
  EXPECT_EQ(g_Lib.runState, 7u);
  g_Lib.runState = 4;
}
