// Batched lines and points: the same primitives reach the device in the same order as when
// each is drawn at once, in few calls; a state change, a transform, another draw, a change of
// kind and a full list each send what is pending; 3D lines switch lighting once per list.
#include <gtest/gtest.h>
#include <string.h>

#include <functional>
#include <string>
#include <vector>

#include "app/shell_services.h"
#include "app/shell_view.h"
#include "draw_fakedev.h"
#include "lib/draw/camera.h"
#include "lib/draw/draw.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/screen.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"

namespace {

struct BatchTest : ::testing::Test {
  void SetUp() override {
    FakeDev_InstallFor3DFrame();
  }
  void TearDown() override {
    g_DrawBatchOff = 0;
    FakeDev_Remove();
  }
};

// One primitive as the device saw it: type, vertex bytes and the lighting state at the draw,
// a 2D point written as the one-pixel line that stands for it in a batch.
std::string Prim(const FakeDraw &d) {
  std::string s = std::to_string(d.primType) + " light " + std::to_string(d.statesAtDraw.count(DRS_LIGHTING) ? d.statesAtDraw.at(DRS_LIGHTING) : 9) + ":";
  std::vector<u8> bytes = d.bytes;
  if (d.primType == DPT_POINTLIST && d.fvf == FVF_SCREENVERTEX) {
    ScreenVertex v[2];
    memcpy(&v[0], bytes.data(), sizeof v[0]);
    v[1] = v[0];
    v[1].x += 1.0f;
    bytes.assign((const u8 *)v, (const u8 *)(v + 2));
    s = std::to_string(DPT_LINELIST) + s.substr(s.find(' '));
  }
  for (u8 b : bytes) s += std::to_string(b) + ",";
  return s;
}

struct Script {
  const char *what;
  std::function<void()> draw;
  u32 batchedCalls;   // device draws when batched
};

void Lines2D(int n) {
  for (int i = 0; i < n; i++) Draw_Line2D(i % 300, i / 300, 200, 200, 200, 255, i % 300 + 5, i / 300 + 1, 200, 200, 200, 255);
}

// The outlines of a cols x rows grid of quads, each corner keyed by its grid point. With
// `odd`: every fifth ring lifts its corners (the vertex under a key changes), every seventh
// keys them a share table's length further on (their slots collide with the plain keys), and
// every eleventh is a triangle.
void KeyedRings(int cols, int rows, bool odd) {
  for (int r = 0; r < rows; r++)
    for (int c = 0; c < cols; c++) {
      int f = r * cols + c;
      const int gx[4] = {c, c, c + 1, c + 1}, gy[4] = {r, r + 1, r + 1, r};
      f32 xyz[12];
      u32 keys[4];
      for (int j = 0; j < 4; j++) {
        xyz[3 * j] = (f32)gx[j], xyz[3 * j + 1] = (f32)gy[j], xyz[3 * j + 2] = odd && f % 5 == 0 ? 0.01f : 0.0f;
        keys[j] = (u32)(gy[j] * (cols + 1) + gx[j]) + (odd && f % 7 == 0 ? (u32)DRAWBATCH_SHARE : 0u);
      }
      Draw_LineRing3D(xyz, odd && f % 11 == 0 ? 3 : 4, 0, 255, 255, 64, keys);
    }
}

// The wire of a cols x rows grid of quads 3 pixels apart, each line from a grid point to the
// next right and down, ends keyed by grid point, with the placement taken once. With `odd`:
// every fifth line in another colour (the vertex under a key changes), every seventh keyed a
// share table's length further on, and every eleventh from a point to itself.
void KeyedLines2D(int cols, int rows, bool odd) {
  Place2D p = Draw_CurrentPlacement();
  int n = 0;
  for (int r = 0; r <= rows; r++)
    for (int c = 0; c <= cols; c++)
      for (int d = 0; d < 2; d++, n++) {
        int c2 = c + (d == 0), r2 = r + (d == 1);
        if (c2 > cols || r2 > rows) continue;
        if (odd && n % 11 == 0) c2 = c, r2 = r;
        u32 far = odd && n % 7 == 0 ? (u32)DRAWBATCH_SHARE : 0u;
        i32 grey = odd && n % 5 == 0 ? 128 : 196;
        Draw_Line2DKeyed(&p, 3 * c, 3 * r, (u32)(r * (cols + 1) + c) + far, 3 * c2, 3 * r2, (u32)(r2 * (cols + 1) + c2) + far,
                         grey, grey, 255, 255);
      }
}

const Script kScripts[] = {
    {"lines, points and marks keep their order", [] {
       for (int i = 0; i < 50; i++) {
         Draw_Line2D(i, 0, 196, 196, 196, 255, i + 1, 0, 196, 196, 196, 255);
         Draw_Point2D(i, 1, 255, 255, 0, 255);
         Draw_Rect2D(i - 2, i - 2, i + 2, i + 2, 255, 255, 0, 255);
       }
     }, 1},
    {"a state change sends what is pending", [] {
       Lines2D(3);
       DrawDev_SetRenderState(DRS_ALPHABLENDENABLE, 0);
       Lines2D(3);
     }, 2},
    {"another draw sends what is pending", [] {
       Lines2D(2);
       Draw_Quad2D(0, 0, 1, 1, 1, 255, 0, 0, 9, 0, 1, 1, 1, 255, 0, 0, 9, 9, 1, 1, 1, 255, 0, 0, 0, 9, 1, 1, 1, 255, 0, 0);
       Lines2D(2);
     }, 3},
    {"3D lines switch lighting off once per list", [] {
       for (int i = 0; i < 40; i++) Draw_Line3D((f32)i, 0, 0, 0, 255, 255, 64, 0, 0, (f32)i, 1, 0, 0, 255, 255, 64, 0, 0);
     }, 1},
    {"a change of kind sends what is pending", [] {
       Lines2D(2);
       Draw_Line3D(0, 0, 0, 1, 2, 3, 255, 0, 0, 1, 1, 1, 1, 2, 3, 255, 0, 0);
       Draw_Point3D(0, 0, 0, 1, 2, 3, 255, 0, 0);
       Lines2D(2);
     }, 4},
    {"a full list goes out and the next one starts", [] { Lines2D(DRAWBATCH_INDICES / 2 + 10); }, 2},
    {"a point between pixel centres is drawn alone, in order", [] {
       g_Lib.viewWindowMode = 1;
       g_Shell.g_Family2DFrame[g_Shell.g_EditFamily] = 1;
       g_Lib.desktopWidth = 641;
       g_Lib.desktopHeight = 480;
       Lines2D(2);
       Draw_Point2D(5, 5, 1, 2, 3, 255);
       Lines2D(2);
       g_Lib.viewWindowMode = 0;
     }, 3},
    {"a projection keeps pending 2D lines", [] {
       Lines2D(2);
       f32 s[3];
       Cam_ProjectToScreen(s, 1, 2, 3);
       Lines2D(2);
     }, 1},
    {"a projection sends pending 3D lines", [] {
       Draw_Line3D(0, 0, 0, 1, 2, 3, 255, 0, 0, 1, 1, 1, 1, 2, 3, 255, 0, 0);
       f32 s[3];
       Cam_ProjectToScreen(s, 1, 2, 3);
       Draw_Line3D(0, 0, 0, 1, 2, 3, 255, 0, 0, 1, 1, 1, 1, 2, 3, 255, 0, 0);
     }, 2},
    {"keyed rings: lifted corners, colliding keys, triangles", [] { KeyedRings(30, 20, true); }, 1},
    {"keyed rings beyond a list", [] { KeyedRings(100, 90, false); }, 2},
    {"keyed 2D lines: changed colours, colliding keys, lines to themselves", [] { KeyedLines2D(30, 20, true); }, 1},
    {"keyed 2D lines among plain ones, placed in a frame", [] {
       g_Lib.viewWindowMode = 1;
       g_Shell.g_Family2DFrame[g_Shell.g_EditFamily] = 1;
       g_Lib.desktopWidth = 700;
       g_Lib.desktopHeight = 500;
       Lines2D(3);
       KeyedLines2D(10, 10, true);
       Draw_Point2D(5, 5, 1, 2, 3, 255);
       KeyedLines2D(10, 10, false);
       g_Lib.viewWindowMode = 0;
     }, 1},
    {"keyed 2D lines beyond a list", [] { KeyedLines2D(200, 120, false); }, 2},
};

TEST_F(BatchTest, BatchedScriptsDrawWhatOneCallEachDraws) {
  for (const Script &s : kScripts) {
    SCOPED_TRACE(s.what);
    FakeDev_Install();
    g_Fake->viewport.width = 0;   // no viewport: nothing is left out for lying beyond it
    g_DrawBatchOff = 1;
    DrawBatch_Begin();
    s.draw();
    DrawBatch_End();
    std::vector<std::string> one;
    for (const FakeDraw &d : g_Fake->draws) one.push_back(Prim(d));
    auto oneStates = g_Fake->states;
    FakeDev_Install();
    g_Fake->viewport.width = 0;
    g_DrawBatchOff = 0;
    DrawBatch_Begin();
    DrawBatch_Begin();   // a nested batch ends with the outer one
    s.draw();
    u32 sent = g_Fake->deviceDraws;
    DrawBatch_End();
    EXPECT_EQ(g_Fake->deviceDraws, sent) << "the inner end sent the list";
    EXPECT_GT(g_DrawBatch.indexCount, 0u);
    DrawBatch_End();
    std::vector<std::string> batched;
    for (const FakeDraw &d : g_Fake->draws) batched.push_back(Prim(d));
    EXPECT_EQ(batched, one);
    EXPECT_EQ(g_Fake->deviceDraws, s.batchedCalls);
    EXPECT_EQ(g_Fake->states, oneStates) << "the device is left as one call each leaves it";
  }
}

TEST_F(BatchTest, EqualEndsShareOneVertexAndLightingIsSetOncePerList) {
  u32 before = g_DrawBatch.lists;
  DrawBatch_Begin();
  for (int i = 0; i < 100; i++) Draw_Line3D(0, 0, 0, 9, 9, 9, 255, 0, 0, (f32)(i % 2), 1, 0, 9, 9, 9, 255, 0, 0);
  EXPECT_EQ(g_DrawBatch.vertCount, 3u) << "one corner shared by all, two other ends";
  DrawBatch_End();
  EXPECT_EQ(g_DrawBatch.lists, before + 1);
  u32 lighting = 0;
  for (auto &sv : g_Fake->stateLog) lighting += sv.first == DRS_LIGHTING;
  EXPECT_EQ(lighting, 2u);
  EXPECT_EQ(g_Fake->states[DRS_LIGHTING], 1u);
}

TEST_F(BatchTest, KeyedRingsListEachGridPointOnce) {
  DrawBatch_Begin();
  KeyedRings(30, 20, false);
  EXPECT_EQ(g_DrawBatch.vertCount, 31u * 21u);
  EXPECT_EQ(g_DrawBatch.indexCount, 30u * 20u * 8u);
  DrawBatch_End();
}

TEST_F(BatchTest, KeyedLinesListEachGridPointOnceAndLeaveOutWhatLiesBeyond) {
  DrawBatch_Begin();
  KeyedLines2D(30, 20, false);
  EXPECT_EQ(g_DrawBatch.vertCount, 31u * 21u);
  EXPECT_EQ(g_DrawBatch.indexCount, 2u * (30u * 21u + 31u * 20u));
  DrawBatch_End();
  g_Fake->viewport = {10, 20, 100, 50, 0.0f, 1.0f};   // pixels 10..109 x 20..69, as below
  Place2D p = Draw_CurrentPlacement();
  DrawBatch_Begin();
  Draw_Line2DKeyed(&p, 0, 30, 0, 8, 40, 1, 1, 2, 3, 255);     // wholly left of it
  Draw_Line2DKeyed(&p, 0, 30, 0, 9, 40, 2, 1, 2, 3, 255);     // reaches it
  EXPECT_EQ(g_DrawBatch.indexCount, 2u);
  DrawBatch_End();
}

TEST_F(BatchTest, LinesWhollyBeyondASideOfTheViewportAreLeftOut) {
  g_Fake->viewport = {10, 20, 100, 50, 0.0f, 1.0f};   // pixels 10..109 x 20..69
  struct Line {
    i32 x1, y1, x2, y2;
    bool sent;
  };
  const Line lines[] = {
      {0, 30, 8, 40, false},    {0, 30, 9, 40, true},      // left: x < 9 for both ends
      {20, 0, 30, 18, false},   {20, 0, 30, 19, true},     // top
      {112, 30, 200, 40, false}, {111, 30, 200, 40, true},  // right: x > 111
      {20, 72, 30, 90, false},  {20, 71, 30, 90, true},    // bottom: y > 71
      {0, 0, 200, 100, true},                              // across
  };
  DrawBatch_Begin();
  for (const Line &l : lines) Draw_Line2D(l.x1, l.y1, 1, 2, 3, 255, l.x2, l.y2, 1, 2, 3, 255);
  Draw_Point2D(8, 30, 1, 2, 3, 255);     // its line reaches x 9: kept
  Draw_Point2D(7, 30, 1, 2, 3, 255);     // left out
  DrawBatch_End();
  std::vector<std::pair<f32, f32>> starts;
  for (size_t i = 0; i < g_Fake->draws.size(); i++) starts.push_back({FakeDev_ScreenVerts(i)[0].x, FakeDev_ScreenVerts(i)[0].y});
  std::vector<std::pair<f32, f32>> want;
  for (const Line &l : lines)
    if (l.sent) want.push_back({(f32)l.x1, (f32)l.y1});
  want.push_back({8, 30});
  EXPECT_EQ(starts, want);
}

}  // namespace
