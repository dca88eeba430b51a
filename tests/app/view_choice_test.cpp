// The choice of the one view drawn per idle pass: fairness of the wait counters, ties,
// nothing flagged, the held-button overrides; and App_MarkAllRedraw's reach.
#include <gtest/gtest.h>

#include <string>

#include "app/shell_view.h"
#include "app/viewdraw.h"
#include "app/views.h"
#include "lib/draw/target.h"
#include "lib/framework/view_record.h"
#include "shell_fixture.h"

namespace {

HWND__ *FakeWindow(int i) { return (HWND__ *)(uintptr_t)(0x1000 + i); }

void FlagViews(u32 layout, int count) {
  g_Shell.g_ViewCount[layout] = count;
  for (int i = 0; i < count; i++) {
    g_Shell.g_Views[layout][i].inUse = 1;
    g_Shell.g_Views[layout][i].window = FakeWindow(i);
    g_Shell.g_Views[layout][i].redraw = 1;
  }
}

ViewChoiceInput Input(u32 layout, u32 active) {
  ViewChoiceInput in = {};
  in.layout = layout;
  in.activeView = active;
  return in;
}

}  // namespace

TEST(ViewChoice, ActiveViewDrawnThreeTimesAsOftenAsEachOther) {
  Shell_ResetForTest();
  FlagViews(14, 4);
  int drawn[4] = {};
  for (int pass = 0; pass < 400; pass++) {
    ViewChoiceInput in = Input(14, 2);
    i32 v = View_ChooseDrawView(&in);
    ASSERT_GE(v, 0);
    drawn[v]++;
    // Every view stays flagged: an editor keeps asking for redraws.
    for (int i = 0; i < 4; i++) g_Shell.g_Views[14][i].redraw = 1;
  }
  EXPECT_EQ(drawn[0] + drawn[1] + drawn[2] + drawn[3], 400);
  for (int other : {0, 1, 3}) {
    EXPECT_NEAR((double)drawn[2] / drawn[other], 3.0, 0.15) << other;
  }
}

TEST(ViewChoice, FirstPassDrawsActiveViewAndOthersGainOne) {
  Shell_ResetForTest();
  FlagViews(0, 4);
  ViewChoiceInput in = Input(0, 0);
  EXPECT_EQ(View_ChooseDrawView(&in), 0);
  EXPECT_EQ(g_Shell.g_Views[0][0].wait, 0);
  for (int i = 1; i < 4; i++) EXPECT_EQ(g_Shell.g_Views[0][i].wait, 1);
}

TEST(ViewChoice, TiesGoToLowerIndexAndUnflaggedViewsAreSkipped) {
  Shell_ResetForTest();
  FlagViews(4, 4);
  g_Shell.g_Views[4][0].redraw = 0;
  g_Shell.g_Views[4][1].wait = 5;
  g_Shell.g_Views[4][3].wait = 5;
  g_Shell.g_Views[4][2].wait = 4;
  ViewChoiceInput in = Input(4, 0);   // the active view 0 gains 3 but is not flagged
  EXPECT_EQ(View_ChooseDrawView(&in), 1);
  EXPECT_EQ(g_Shell.g_Views[4][0].wait, 3);
  EXPECT_EQ(g_Shell.g_Views[4][3].wait, 6);
  // A view out of use is never drawn even when flagged.
  g_Shell.g_Views[4][3].inUse = 0;
  g_Shell.g_Views[4][3].wait = 100;
  EXPECT_NE(View_ChooseDrawView(&in), 3);
}

TEST(ViewChoice, NothingFlaggedDrawsNothing) {
  Shell_ResetForTest();
  FlagViews(11, 4);
  for (int i = 0; i < 4; i++) g_Shell.g_Views[11][i].redraw = 0;
  ViewChoiceInput in = Input(11, 1);
  EXPECT_EQ(View_ChooseDrawView(&in), -1);
  g_Shell.g_ViewCount[11] = 0;
  EXPECT_EQ(View_ChooseDrawView(&in), -1);
  // A corrupt count or layout never reads outside the table.
  g_Shell.g_ViewCount[11] = 1000;
  EXPECT_EQ(View_ChooseDrawView(&in), -1);
  in.layout = 99;
  EXPECT_EQ(View_ChooseDrawView(&in), -1);
}

TEST(ViewChoice, OverridesDrawTheActiveView) {
  Shell_ResetForTest();
  FlagViews(14, 4);
  g_Shell.g_Views[14][3].wait = 50;
  ViewChoiceInput in = Input(14, 1);
  in.updateEditedViewOnly = true;
  in.anyButtonHeld = true;
  EXPECT_EQ(View_ChooseDrawView(&in), 1);
  // The candidate's counter was reset even though another view was drawn.
  EXPECT_EQ(g_Shell.g_Views[14][3].wait, 0);

  g_Shell.g_Views[14][3].wait = 50;
  in = Input(14, 2);
  in.updateEditedViewOnly = true;   // option on but no button: no override
  EXPECT_EQ(View_ChooseDrawView(&in), 3);

  g_Shell.g_Views[14][3].wait = 50;
  in = Input(14, 2);
  in.playing = true;
  in.rightButtonHeld = true;
  EXPECT_EQ(View_ChooseDrawView(&in), 2);
  in.rightButtonHeld = false;
  g_Shell.g_Views[14][3].wait = 50;
  EXPECT_EQ(View_ChooseDrawView(&in), 3);
}

// Whether the idle pass may draw the next flagged view without resting first.
TEST(ViewChoice, MoreDueWhileAFlaggedViewWaitsUndrawnSinceTheRest) {
  struct Case {
    const char *what;
    u32 flagged, inUse, drawn;   // bit i: view i
    bool editedOnlyHeld, playingRight, recording;
    u32 layout;
    bool due;
  };
  const Case kCases[] = {
      {"four flagged, none drawn", 15, 15, 0, false, false, false, 14, true},
      {"one left after three", 8, 15, 7, false, false, false, 14, true},
      {"flagged again after its round", 15, 15, 15, false, false, false, 14, false},
      {"the one flagged was drawn", 2, 15, 2, false, false, false, 14, false},
      {"nothing flagged", 0, 15, 0, false, false, false, 14, false},
      {"flagged but out of use", 12, 3, 0, false, false, false, 14, false},
      {"edited view only with a button held", 15, 15, 1, true, false, false, 14, false},
      {"playing with the right button", 15, 15, 1, false, true, false, 14, false},
      {"recording", 15, 15, 1, false, false, true, 14, false},
      {"layout beyond the table", 15, 15, 0, false, false, false, 99, false},
  };
  for (const Case &c : kCases) {
    Shell_ResetForTest();
    FlagViews(14, 4);
    for (int i = 0; i < 4; i++) {
      g_Shell.g_Views[14][i].redraw = c.flagged >> i & 1;
      g_Shell.g_Views[14][i].inUse = c.inUse >> i & 1;
    }
    ViewChoiceInput in = Input(c.layout, 0);
    in.updateEditedViewOnly = in.anyButtonHeld = c.editedOnlyHeld;
    in.playing = in.rightButtonHeld = c.playingRight;
    EXPECT_EQ(View_MoreDue(&in, c.recording, c.drawn), c.due) << c.what;
  }
}

// The idle passes as the loop runs them: a redraw of every view rests once, after the last
// view; views flagged on every pass (playback; the active view 0 comes three times as often)
// rest once every view has been drawn.
TEST(ViewChoice, OneRestPerRoundOfTheFlaggedViews) {
  for (bool flaggedEveryPass : {false, true}) {
    Shell_ResetForTest();
    FlagViews(14, 4);
    u32 drawnSinceRest = 0;
    std::string passes;
    for (int pass = 0; pass < 9; pass++) {
      if (flaggedEveryPass)
        for (int i = 0; i < 4; i++) g_Shell.g_Views[14][i].redraw = 1;
      ViewChoiceInput in = Input(14, 0);
      i32 v = View_ChooseDrawView(&in);
      if (v >= 0) g_Shell.g_Views[14][v].redraw = 0, drawnSinceRest |= 1u << v;
      bool due = View_MoreDue(&in, false, drawnSinceRest);
      if (!due) drawnSinceRest = 0;
      passes += v >= 0 ? (char)('0' + v) : '-';
      passes += due ? "" : "r";
    }
    EXPECT_EQ(passes, flaggedEveryPass ? "000010203r" : "0123r-r-r-r-r-r") << flaggedEveryPass;
  }
}

TEST(ViewRefresh, MarkAllRedrawFlagsOnlyViewsWithWindowsOfTheCurrentLayout) {
  Shell_ResetForTest();
  g_Shell.g_EditSubMode = 15;
  g_Shell.g_ViewCount[15] = 3;
  for (int i = 0; i < 4; i++) { g_Shell.g_Views[15][i].inUse = 1; g_Shell.g_Views[15][i].window = FakeWindow(i); }
  g_Shell.g_Views[15][1].window = nullptr;
  g_Shell.g_Views[14][0] = g_Shell.g_Views[15][0];
  for (u32 &f : g_Shell.g_StripDirty) f = 0;
  App_MarkAllRedraw(View_CurrentLayout());
  EXPECT_EQ(g_Shell.g_Views[15][0].redraw, 1u);
  EXPECT_EQ(g_Shell.g_Views[15][1].redraw, 0u);   // no window
  EXPECT_EQ(g_Shell.g_Views[15][2].redraw, 1u);
  EXPECT_EQ(g_Shell.g_Views[15][3].redraw, 0u);   // beyond the count
  EXPECT_EQ(g_Shell.g_Views[14][0].redraw, 0u);   // another layout
  for (u32 f : g_Shell.g_StripDirty) EXPECT_EQ(f, 1u);
  EXPECT_EQ(g_Target.slots[0].clearFlag, 1u);
}

TEST(ViewRefresh, AddViewTakesFirstFreeSlotUntilAllSevenAreUsed) {
  Shell_ResetForTest();
  g_Shell.g_EditSubMode = 14;
  g_Shell.g_ViewCount[14] = 4;
  for (int i = 0; i < 4; i++) g_Shell.g_Views[14][i].inUse = 1;
  g_Shell.g_Views[14][2].inUse = 0;   // closed by the user
  EXPECT_EQ(View_TakeFreeSlot(1, 10, 20, 300, 200), 2);
  EXPECT_EQ(g_Shell.g_Views[14][2].kind, (u32)VIEW_FRONT);
  EXPECT_EQ(g_Shell.g_Views[14][2].w, 300);
  EXPECT_EQ(g_Shell.g_ViewCount[14], 4);
  EXPECT_EQ(View_TakeFreeSlot(1, 0, 0, 200, 200), 4);
  EXPECT_EQ(g_Shell.g_ViewCount[14], 5);
  EXPECT_EQ(View_TakeFreeSlot(1, 0, 0, 200, 200), 5);
  EXPECT_EQ(View_TakeFreeSlot(1, 0, 0, 200, 200), 6);
  EXPECT_EQ(View_TakeFreeSlot(1, 0, 0, 200, 200), 7);
  EXPECT_EQ(g_Shell.g_ViewCount[14], 8);
  EXPECT_EQ(View_TakeFreeSlot(1, 0, 0, 200, 200), -1);
}

TEST(ViewRefresh, ActivatingTopViewCopiesPanXAndZOnly) {
  Shell_ResetForTest();
  g_Shell.g_ViewFocus[0] = g_Shell.g_ViewFocus[1] = g_Shell.g_ViewFocus[2] = 7;
  ViewRecord v = {};
  v.kind = VIEW_TOP;
  v.panX = 1; v.panY = 2; v.panZ = 3; v.zoom = 0.5f;
  View_NoteActivated(&v);
  EXPECT_EQ(g_Shell.g_ViewFocus[0], 1);
  EXPECT_EQ(g_Shell.g_ViewFocus[1], 7);
  EXPECT_EQ(g_Shell.g_ViewFocus[2], 3);
  EXPECT_EQ(g_Shell.g_LastViewZoom, 0.5f);
}

TEST(ViewDraw, GizmoOnlyInPerspectiveViewsWhenNotPlaying) {
  EXPECT_TRUE(View_GizmoShown(11, VIEW_MAIN, false, false));
  EXPECT_FALSE(View_GizmoShown(11, VIEW_FRONT, false, false));
  EXPECT_FALSE(View_GizmoShown(11, VIEW_PERS, false, false));
  EXPECT_FALSE(View_GizmoShown(11, VIEW_MAIN, true, true));
  EXPECT_FALSE(View_GizmoShown(0, VIEW_MAIN, false, false));   // preview: only while dragging
  EXPECT_TRUE(View_GizmoShown(0, VIEW_MAIN, false, true));
  ViewRecord v = {};
  v.kind = VIEW_FRONT;
  v.zoom = 0.25f;
  EXPECT_FLOAT_EQ(View_Grid2DSpacing(&v), 10.0f);
  v.zoom = 0.0f;   // a broken zoom never asks for thousands of lines
  EXPECT_FLOAT_EQ(View_Grid2DSpacing(&v), 4.0f);
  v.kind = VIEW_MAIN;
  EXPECT_FLOAT_EQ(View_Grid2DSpacing(&v), 40.0f);
}

// The frame request of the view drawn: what each family and sub-mode asks the library for.
TEST(ViewChoice, FrameRequestFollowsFamilySubModeAndView) {
  Shell_ResetForTest();
  App_InitFamily2DFrame();
  struct Case {
    u32 family, sub;
    bool frame2D, movie, atRest, poseOff, objectsHidden, rest2D;
    u32 viewport;
  };
  const Case kCases[] = {
      {FAMILY_PREVIEW, 0, false, false, false, true, false, false, FRAME_VIEWPORT_WHOLE},
      {FAMILY_2D_MODEL, SUB_2D_OBJECT, true, false, false, false, false, false, FRAME_VIEWPORT_WHOLE},
      {FAMILY_2D_MODEL, SUB_2D_POLY, true, false, false, false, false, true, FRAME_VIEWPORT_WHOLE},
      {FAMILY_2D_MODEL, SUB_2D_WEIGHT, true, false, false, false, false, true, FRAME_VIEWPORT_WHOLE},
      {FAMILY_2D_MODEL, SUB_2D_MOTION, true, false, false, false, false, false, FRAME_VIEWPORT_WHOLE},
      {FAMILY_3D_MODEL, SUB_3D_OBJMOTION, false, false, false, false, false, false, FRAME_VIEWPORT_WHOLE},
      {FAMILY_3D_MODEL, SUB_3D_POLY, false, false, true, true, true, false, FRAME_VIEWPORT_WHOLE},
      {FAMILY_3D_MODEL, SUB_3D_WEIGHT, false, false, true, true, true, false, FRAME_VIEWPORT_WHOLE},
      {FAMILY_3D_MODEL, SUB_3D_MOTION, false, false, false, false, true, false, FRAME_VIEWPORT_WHOLE},
      {FAMILY_EFFECT, FAMILY_EFFECT, true, false, false, false, false, false, FRAME_VIEWPORT_WHOLE},
      {FAMILY_COLLISION, FAMILY_COLLISION, false, false, false, false, false, false, FRAME_VIEWPORT_WHOLE},
      {FAMILY_MOVIE, FAMILY_MOVIE, false, true, false, false, false, false, FRAME_VIEWPORT_CENTRED},
      {FAMILY_PROGRAM, FAMILY_PROGRAM, true, false, false, false, false, false, FRAME_VIEWPORT_PANNED},
  };
  for (const Case &c : kCases) {
    SCOPED_TRACE(c.sub);
    g_Shell.g_EditFamily = c.family;
    g_Shell.g_EditSubMode = c.sub;
    g_Shell.g_DrawView = 2;
    g_Shell.g_Views[c.sub][0].panX = 7.0f, g_Shell.g_Views[c.sub][0].panY = -3.0f;
    FrameRequest r;
    View_FrameRequest(&r);
    EXPECT_EQ(r.view, &g_Shell.g_Views[c.sub][2]);
    EXPECT_EQ(r.viewIndex, 2u);
    EXPECT_EQ(r.framePanX, 7.0f);
    EXPECT_EQ(r.framePanY, -3.0f);
    EXPECT_EQ(r.frame2D, c.frame2D);
    EXPECT_EQ(r.movieStage, c.movie);
    EXPECT_EQ(r.viewport, c.viewport);
    EXPECT_EQ(r.atRest, c.atRest);
    EXPECT_EQ(r.poseOff, c.poseOff);
    EXPECT_EQ(r.objectsHidden, c.objectsHidden);
    EXPECT_EQ(r.rest2D, c.rest2D);
  }
  // A sub-mode past the layouts draws no view.
  g_Shell.g_EditSubMode = APP_FAMILY_COUNT;
  FrameRequest r;
  View_FrameRequest(&r);
  EXPECT_EQ(r.view, nullptr);
  Shell_ResetForTest();
}
