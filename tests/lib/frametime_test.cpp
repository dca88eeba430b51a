// The per-view phase timing: nothing is kept while it is off; when on, each phase adds up per
// view, the device is waited for at every mark, and the lines name only views drawn.
#include <gtest/gtest.h>
#include <string.h>

#include <string>

#include "lib/framework/frametime.h"

namespace {

int s_Syncs;
void CountSync(void) { s_Syncs++; }

TEST(PhaseTime, PhasesAddUpPerViewOnlyWhileOn) {
  memset(&g_FrameTimes, 0, sizeof g_FrameTimes);
  g_FrameTimes.sync = CountSync;
  char line[128];
  FrameTime_BeginView(2);
  f64 mark = FrameTime_Mark();
  FrameTime_Add(FRAMETIME_MODEL, &mark);
  FrameTime_EndView();
  EXPECT_EQ(s_Syncs, 0) << "the device was waited for while timing is off";
  EXPECT_FALSE(FrameTime_Text(2, line, sizeof line));
  EXPECT_FALSE(FrameTime_Text(FRAMETIME_VIEWS, line, sizeof line));

  g_FrameTimes.on = 1;
  FrameTime_BeginView(2);
  mark = FrameTime_Mark() - 5.0;   // as if the phase began 5 ms ago
  FrameTime_Add(FRAMETIME_MODEL, &mark);
  f64 editor = mark - 3.0;
  FrameTime_Add(FRAMETIME_EDITOR, &editor);
  FrameTime_Add(FRAMETIME_EDITOR, &editor);
  FrameTime_Add(FRAMETIME_PHASES, &editor);   // no such phase: ignored
  FrameTime_EndView();
  EXPECT_EQ(s_Syncs, 6);
  EXPECT_GE(g_FrameTimes.phaseMs[2][FRAMETIME_MODEL], 5.0);
  EXPECT_GE(g_FrameTimes.phaseMs[2][FRAMETIME_EDITOR], 3.0);
  EXPECT_EQ(g_FrameTimes.seen[2], 1u);
  ASSERT_TRUE(FrameTime_Text(2, line, sizeof line));
  EXPECT_EQ(std::string(line).rfind("view 2: model ", 0), 0u) << line;
  EXPECT_FALSE(FrameTime_Text(1, line, sizeof line));
  ASSERT_TRUE(FrameTime_Text(FRAMETIME_VIEWS, line, sizeof line));
  EXPECT_EQ(std::string(line).rfind("all 1 views: ", 0), 0u) << line;
  FrameTime_BeginView(2);   // a new frame of the view starts from 0
  EXPECT_EQ(g_FrameTimes.phaseMs[2][FRAMETIME_MODEL], 0.0);
  // Another layout: its views have drawn nothing yet, so no line and no sum shows.
  FrameTime_EndView();
  FrameTime_Forget();
  EXPECT_FALSE(FrameTime_Text(2, line, sizeof line));
  EXPECT_FALSE(FrameTime_Text(FRAMETIME_VIEWS, line, sizeof line));
  memset(&g_FrameTimes, 0, sizeof g_FrameTimes);
}

}  // namespace
