// The movie's part of each view's frame request: which view shows only the background,
// which draws the image actors, outlines the picture or holds the screen text, and where
// the message lines show.
#include <gtest/gtest.h>
#include <string.h>

#include "app/family.h"
#include "app/shell_services.h"
#include "app/views.h"
#include "lib/framework/view_record.h"
#include "scene/movie.h"
#include "shell_fixture.h"

namespace {

FrameRequest RequestOf(u32 family, u32 drawView, u32 kind) {
  g_Shell.g_EditFamily = g_Shell.g_EditSubMode = family;
  g_Shell.g_DrawView = drawView;
  g_Shell.g_Views[family][drawView].kind = kind;
  FrameRequest r;
  View_FrameRequest(&r);
  return r;
}

TEST(MovieStage, RequestFollowsTheDrawnViewsPlaceAndKind) {
  Shell_ResetForTest();
  u8 frames[sizeof g_Shell.g_Family2DFrame];
  memcpy(frames, g_Shell.g_Family2DFrame, sizeof frames);
  App_InitFamily2DFrame();
  struct Case {
    u32 family, view, kind;
    bool backgroundOnly, outlineCentred, textWaits, images, outline2D;
  };
  const Case kCases[] = {
      {FAMILY_MOVIE, 0, VIEW_MAIN, true, false, true, true, false},
      {FAMILY_MOVIE, 1, VIEW_FRONT, false, false, true, false, false},
      {FAMILY_MOVIE, 4, VIEW_PERS, false, true, false, true, false},
      // Images follow the view's place in the layout, the rest its kind.
      {FAMILY_MOVIE, 3, VIEW_PERS, false, true, false, false, false},
      {FAMILY_MOVIE, 4, VIEW_TOP, false, false, true, true, false},
      // Off the stage nothing of it applies; a family in its 2D frame outlines the frame in
      // the main and the Pers views only.
      {FAMILY_3D_MODEL, 0, VIEW_MAIN, false, false, false, false, false},
      {FAMILY_EFFECT, 0, VIEW_MAIN, false, false, false, false, true},
      {FAMILY_EFFECT, 4, VIEW_PERS, false, false, false, false, true},
      {FAMILY_EFFECT, 2, VIEW_TOP, false, false, false, false, false},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(testing::Message() << c.family << " view " << c.view << " kind " << c.kind);
    FrameRequest r = RequestOf(c.family, c.view, c.kind);
    EXPECT_EQ(r.backgroundOnly, c.backgroundOnly);
    EXPECT_EQ(r.outlineCentred, c.outlineCentred);
    EXPECT_EQ(r.textWaits, c.textWaits);
    EXPECT_EQ(r.drawImages != nullptr, c.images);
    EXPECT_EQ(r.outline2DFrame, c.outline2D);
  }
  memcpy(g_Shell.g_Family2DFrame, frames, sizeof frames);
  Shell_ResetForTest();
}

TEST(MovieStage, MessageLinesShowOnTheStageOrOnceAMovieWasRead) {
  Shell_ResetForTest();
  static MovieObject msg, camera;
  memset(&msg, 0, sizeof msg);
  memset(&camera, 0, sizeof camera);
  msg.kind = MOVIE_KIND_MESSAGE;
  msg.keys[0].number = 2;
  camera.kind = MOVIE_KIND_CAMERA;
  MovieState saved = g_Movie;
  Str_Copy(g_Movie.messages[2], sizeof g_Movie.messages[2], "line");
  g_Movie.objects[0] = &camera;
  g_Movie.objects[1] = &msg;
  g_Movie.objectCount = 2;
  g_Movie.loaded = 0;
  FrameRequest r = RequestOf(FAMILY_3D_MODEL, 0, VIEW_MAIN);
  EXPECT_EQ(r.messageLine, nullptr);
  g_Movie.loaded = 1;
  r = RequestOf(FAMILY_3D_MODEL, 0, VIEW_MAIN);
  ASSERT_NE(r.messageLine, nullptr);
  ASSERT_EQ(r.messageLines, 2);
  EXPECT_EQ(r.messageLine(0), nullptr);   // a camera has no line
  EXPECT_STREQ(r.messageLine(1), "line");
  // A key naming a message past the table shows nothing.
  msg.keys[0].number = MOVIE_MESSAGE_COUNT;
  EXPECT_EQ(r.messageLine(1), nullptr);
  g_Movie.loaded = 0;
  r = RequestOf(FAMILY_MOVIE, 0, VIEW_MAIN);
  EXPECT_NE(r.messageLine, nullptr);
  g_Movie = saved;
  Shell_ResetForTest();
}

}  // namespace
