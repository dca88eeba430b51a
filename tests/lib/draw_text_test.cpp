// Screen text: queue limits, suppression, bounded formatting, placement, fonts and the movie line.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include "app/shell_services.h"
#include "app/shell_view.h"
#include "draw_fakedev.h"
#include "lib/draw/screen.h"
#include "lib/draw/text.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "scene/movie_services.h"
#include "view_reset.h"

namespace {

struct TextTest : ::testing::Test {
  void SetUp() override {
    FakeDev_InstallFor3DFrame();
    g_Text.lineCount = 0;
    g_FrameOutputSuppressed = 0;
    g_Lib.textSize = 1.0f;
    Text_SetColor(255, 255, 255, 255);
    g_Lib.screenWidth = 640;
    g_Lib.screenHeight = 480;
    g_Shell.g_DrawView = 0;
    g_Movie.loaded = 0;
    g_Movie.objectCount = 0;
    g_Text.font = nullptr;
    Text_CreateFont(1.0f);
  }
  void TearDown() override {
    g_Text.font = nullptr;
    FakeDev_Remove();
  }
};

TEST_F(TextTest, QueueKeepsTheFirst127LinesAndDropsTheRest) {
  for (int i = 0; i < 130; i++) Text_Printf(i, 2 * i, "line %d", i);
  ASSERT_EQ(g_Text.lineCount, 127u);
  EXPECT_STREQ(g_Text.lines[0]->text, "line 0");
  EXPECT_STREQ(g_Text.lines[126]->text, "line 126");
  EXPECT_EQ(g_Text.lines[126]->x, 126);
  EXPECT_EQ(g_Text.lines[126]->y, 252);
  Text_DrawQueue();
  ASSERT_EQ(g_Fake->texts.size(), 127u);
  EXPECT_EQ(g_Fake->texts.back().text, "line 126");
  EXPECT_EQ(g_Text.lineCount, 0u);
  // Entries stay allocated and are reused next frame.
  ScreenTextEntry *first = g_Text.lines[0];
  Text_Printf(0, 0, "again");
  EXPECT_EQ(g_Text.lines[0], first);
}

TEST_F(TextTest, SuppressedLinesNeverAppear) {
  Text_SetSuppressed(1);
  Text_Printf(0, 0, "hidden");
  Text_SetSuppressed(0);
  Text_Printf(0, 0, "shown");
  Text_DrawQueue();
  ASSERT_EQ(g_Fake->texts.size(), 1u);
  EXPECT_EQ(g_Fake->texts[0].text, "shown");
}

TEST_F(TextTest, LongLineIsCutAtACharacterBoundary) {
  // 200 two-byte characters: 400 bytes; the line keeps 254 bytes (127 whole characters).
  std::string s;
  for (int i = 0; i < 200; i++) s += "\x82\xa0";
  Text_Printf(0, 0, "%s", s.c_str());
  size_t n = strlen(g_Text.lines[0]->text);
  EXPECT_EQ(n, 254u);
  // An odd start shifts the pairs: the cut still never splits a character.
  Text_Printf(0, 0, "a%s", s.c_str());
  EXPECT_EQ(strlen(g_Text.lines[1]->text), 255u);
  Text_Printf(0, 0, "ab%s", s.c_str());
  EXPECT_EQ(strlen(g_Text.lines[2]->text), 254u);
}

TEST_F(TextTest, ColourAndSizeAreTakenWhenQueued) {
  Text_SetColor(255, 0, 0, 128);
  Text_Printf(5, 6, "red");
  Text_SetColor(0x1FF, 0x100, 0x101, 0x2FF);   // only the low bytes count
  Text_Printf(5, 6, "masked");
  Text_DrawQueue();
  ASSERT_EQ(g_Fake->texts.size(), 2u);
  EXPECT_EQ(g_Fake->texts[0].color, 0x80FF0000u);
  EXPECT_EQ(g_Fake->texts[1].color, 0xFFFF0001u);
}

TEST_F(TextTest, FrameScalingDoublesPositionAndFontOnA1280x960Frame) {
  g_Lib.frameScaling = 1;
  g_Lib.screenWidth = 1280;
  g_Lib.screenHeight = 960;
  Text_CreateFont(1.0f);
  EXPECT_FLOAT_EQ(g_Scale2D[0], 2.0f);
  EXPECT_FLOAT_EQ(g_Scale2D[1], 2.0f);
  Text_Printf(10, 20, "x");
  Text_DrawQueue();
  ASSERT_EQ(g_Fake->texts.size(), 1u);
  EXPECT_EQ(g_Fake->texts[0].left, 20);
  EXPECT_EQ(g_Fake->texts[0].top, 40);
  EXPECT_EQ(g_Fake->texts[0].fontHeight, 32);
}

TEST_F(TextTest, AnchorAndFontArithmetic) {
  i32 l, t;
  Text_Anchor(-10, 479, true, 1000, 700, &l, &t);
  EXPECT_EQ(l, -15);    // -10000 / 640 = -15.6, truncated toward zero
  EXPECT_EQ(t, 698);    // 335300 / 480 = 698.5
  Text_Anchor(7, 9, false, 1000, 700, &l, &t);
  EXPECT_EQ(l, 7);
  EXPECT_EQ(t, 9);
  EXPECT_EQ(Text_FontHeight(1.5f, 1.0f), 24);
  EXPECT_EQ(Text_FontHeight(1.0f, 2.0f), 32);
  EXPECT_EQ(Text_FontHeight(1.0f, 0.03f), 0);
}

TEST_F(TextTest, FontIsRecreatedOnlyWhenTheSizeChanges) {
  size_t before = g_Fake->fonts.size();
  for (int i = 0; i < 5; i++) Text_Printf(0, i * 16, "same size");
  g_Lib.textSize = 2.0f;
  Text_Printf(0, 100, "big");
  g_Lib.textSize = 1.0f;
  Text_DrawQueue();
  EXPECT_EQ(g_Fake->fonts.size(), before + 1);
  EXPECT_EQ(g_Fake->texts.back().fontHeight, 32);
}

TEST_F(TextTest, LinesMoveIntoTheViewFrameOfA2DFamily) {
  ViewReset_2DFrame(FAMILY_2D_MODEL, 4);
  g_Lib.desktopWidth = 1920;
  g_Lib.desktopHeight = 1080;
  g_Shell.g_Views[4][0].panX = 10.7f;
  g_Shell.g_Views[4][0].panY = -5.0f;
  Text_Printf(1, 2, "framed");
  Text_DrawQueue();
  ASSERT_EQ(g_Fake->texts.size(), 1u);
  EXPECT_EQ(g_Fake->texts[0].left, 1 + 650);   // int(640 + 10.7)
  EXPECT_EQ(g_Fake->texts[0].top, 2 + 295);
}

TEST_F(TextTest, MovieViewsOtherThanPersKeepTheQueueForTheNextPersFrame) {
  g_Lib.viewWindowMode = 1;
  g_Shell.g_EditFamily = FAMILY_MOVIE;
  g_Shell.g_EditSubMode = 0;
  g_Shell.g_Views[0][1].kind = VIEW_FRONT;
  g_Shell.g_Views[0][2].kind = VIEW_PERS;
  g_Shell.g_DrawView = 1;
  Text_Printf(0, 0, "first");
  Text_DrawQueue();
  EXPECT_TRUE(g_Fake->texts.empty());
  EXPECT_EQ(g_Text.lineCount, 1u);
  g_Shell.g_DrawView = 2;
  Text_Printf(0, 0, "second");
  Text_DrawQueue();
  ASSERT_EQ(g_Fake->texts.size(), 2u);
  EXPECT_EQ(g_Fake->texts[0].text, "first");
  EXPECT_EQ(g_Fake->texts[1].text, "second");
}

TEST_F(TextTest, MovieMessageLineIsCentredAboveTheBottom) {
  static MovieObject msg;
  memset(&msg, 0, sizeof msg);
  msg.kind = MOVIE_KIND_MESSAGE;
  msg.curKey = 0;
  msg.keys[0].number = 3;
  Str_Copy(g_Movie.messages[3], 256, "0123456789");
  g_Movie.objects[0] = &msg;
  g_Movie.objectCount = 1;
  g_Movie.loaded = 1;
  Text_DrawQueue();
  ASSERT_EQ(g_Fake->texts.size(), 1u);
  EXPECT_EQ(g_Fake->texts[0].left, 240);
  EXPECT_EQ(g_Fake->texts[0].top, 430);
  EXPECT_EQ(g_Fake->texts[0].color, 0xFFFFFFFFu);
  EXPECT_EQ(g_Fake->texts[0].fontHeight, 32);
  // A message number outside the table draws nothing rather than reading past it.
  msg.keys[0].number = 99;
  Text_DrawQueue();
  EXPECT_EQ(g_Fake->texts.size(), 1u);
  g_Movie.objects[0] = nullptr;
  g_Movie.objectCount = 0;
  i32 x, y;
  Text_MessagePosition(10, true, 1280, 960, &x, &y);
  EXPECT_EQ(x, 240 + 320);
  EXPECT_EQ(y, 430 + 240);
}

TEST_F(TextTest, WithoutAFontTheDrawCreatesOne) {
  Text_ReleaseFont();
  Text_Printf(0, 0, "x");
  Text_DrawQueue();
  EXPECT_NE(g_Text.font, nullptr);
  EXPECT_EQ(g_Fake->texts.size(), 1u);
}

}  // namespace

// A request's frame zoom is taken when it is a positive finite scale of at most 16; anything
// else (none given, negative, not a number, infinite, huge) shows the frame at its own size.
TEST(FrameZoom, OnlyAPositiveFiniteScaleIsTaken) {
  const struct { f32 requested, taken; } rows[] = {
      {0.75f, 0.75f}, {1.0f, 1.0f}, {16.0f, 16.0f}, {0.0f, 1.0f}, {-0.5f, 1.0f},
      {NAN, 1.0f},    {INFINITY, 1.0f}, {1e30f, 1.0f},
  };
  for (const auto &r : rows) EXPECT_EQ(Screen_FrameZoomOf(r.requested), r.taken) << r.requested;
}
