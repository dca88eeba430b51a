// Runs of opaque lines of one colour: the lines sent cover, on every kind of device, the very
// pixels the lines given cover, and lines along a row or a column that continue each other go
// out as one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <vector>

#include "draw_fakedev.h"
#include "lib/draw/drawbatch.h"
#include "lib/draw/drawruns.h"

namespace {

struct Seg {
  i32 x1, y1, x2, y2;
};

// The pixels a line between pixel centres covers on a kind of device: bit 0 draws the last
// pixel, bit 1 leaves out the start of a line going up more than across, bit 2 rounds a
// halfway step up (down otherwise).
std::set<std::pair<i32, i32>> PixelsOn(u32 kind, const std::vector<Seg> &lines) {
  auto floorDiv = [](i64 a, i64 b) { return a >= 0 ? a / b : -((-a + b - 1) / b); };
  std::set<std::pair<i32, i32>> px;
  for (const Seg &l : lines) {
    i32 dx = l.x2 - l.x1, dy = l.y2 - l.y1, n = std::max(std::abs(dx), std::abs(dy));
    bool across = std::abs(dx) > std::abs(dy), upward = !across && dy < 0;
    for (i32 i = 0; i <= n; i++) {
      if ((i == 0 && upward && (kind & 2)) || (i == n && !(kind & 1))) continue;
      i64 num = 2 * (i64)(across ? dy : dx) * i;
      i64 minor = kind & 4 ? floorDiv(num + n, 2 * n) : -floorDiv(-num + n, 2 * n);
      i32 major = (across ? dx : dy) > 0 ? i : -i;
      px.insert(across ? std::make_pair(l.x1 + major, l.y1 + (i32)minor) : std::make_pair(l.x1 + (i32)minor, l.y1 + major));
    }
  }
  return px;
}

struct DrawRunTest : ::testing::Test {
  void SetUp() override { FakeDev_Install(); }   // a 640 x 480 viewport
  void TearDown() override {
    g_DrawRunOff = 0;
    FakeDev_Remove();
  }
  // The run of `lines` drawn in a batch: the lines the device got, all of the run's colour.
  std::vector<Seg> Sent(const std::vector<Seg> &lines, u32 *drawn) {
    g_Fake->draws.clear();
    DrawBatch_Begin();
    Place2D place = Draw_CurrentPlacement();
    DrawRun_Begin(&place, 128, 255, 255);
    for (size_t i = 0; i < lines.size(); i++) DrawRun_Line(lines[i].x1, lines[i].y1, (u32)i, lines[i].x2, lines[i].y2, (u32)i + 1);
    DrawRun_End(drawn);
    DrawBatch_End();
    std::vector<Seg> sent;
    for (size_t i = 0; i < g_Fake->draws.size(); i++) {
      if (g_Fake->draws[i].fvf != FVF_SCREENVERTEX || g_Fake->draws[i].primType != DPT_LINELIST) continue;
      std::vector<ScreenVertex> v = FakeDev_ScreenVerts(i);
      for (size_t k = 0; k + 1 < v.size(); k += 2) {
        EXPECT_EQ(v[k].color, Draw_PackColor(128, 255, 255, 255));
        EXPECT_EQ(v[k + 1].color, Draw_PackColor(128, 255, 255, 255));
        sent.push_back({(i32)v[k].x, (i32)v[k].y, (i32)v[k + 1].x, (i32)v[k + 1].y});
      }
    }
    return sent;
  }
};

// Random runs of short lines on a few rows and columns, every way round, slanted ones among
// them: the same pixels on all eight kinds of device, and fewer lines.
TEST_F(DrawRunTest, LinesSentCoverThePixelsOfTheLinesGivenOnEveryKindOfDevice) {
  std::mt19937 rng(5);
  size_t given = 0, sent = 0;
  for (int trial = 0; trial < 300; trial++) {
    std::vector<Seg> lines;
    for (int i = 0, n = 1 + (int)(rng() % 60); i < n; i++) {
      i32 x = 100 + (i32)(rng() % 12), y = 200 + (i32)(rng() % 6), len = 1 + (i32)(rng() % 4);
      switch (rng() % 6) {
        case 0: lines.push_back({x, y, x + len, y}); break;
        case 1: lines.push_back({x + len, y, x, y}); break;
        case 2: lines.push_back({x, y, x, y + len}); break;
        case 3: lines.push_back({x, y + len, x, y}); break;
        default: lines.push_back({x, y, x + (i32)(rng() % 5) - 2, y + len}); break;
      }
      if (lines.back().x1 == lines.back().x2 && lines.back().y1 == lines.back().y2) lines.pop_back();
    }
    u32 drawn = 0;
    std::vector<Seg> out = Sent(lines, &drawn);
    EXPECT_EQ(drawn, out.size());
    for (u32 kind = 0; kind < 8; kind++) ASSERT_EQ(PixelsOn(kind, out), PixelsOn(kind, lines)) << "trial " << trial << ", kind " << kind;
    given += lines.size(), sent += out.size();
  }
  EXPECT_LT(sent, given * 9 / 10);
}

TEST_F(DrawRunTest, LinesThatContinueEachOtherGoOutAsOne) {
  struct Case {
    const char *what;
    std::vector<Seg> lines;
    size_t sent;
  } const cases[] = {
      {"a row to the right, out of order", {{4, 1, 6, 1}, {0, 1, 2, 1}, {2, 1, 4, 1}}, 1},
      {"a row to the left, overlapping", {{6, 1, 3, 1}, {4, 1, 0, 1}}, 1},
      {"a column down", {{5, 0, 5, 3}, {5, 3, 5, 9}}, 1},
      {"a column up, touching", {{5, 9, 5, 3}, {5, 3, 5, 0}}, 2},
      {"a column up, overlapping", {{5, 9, 5, 3}, {5, 4, 5, 0}}, 1},
      {"a column up touching where a row to the right starts", {{5, 9, 5, 3}, {5, 3, 5, 0}, {5, 3, 8, 3}}, 2},
      {"a column up touching where a row to the right ends", {{5, 9, 5, 3}, {5, 3, 5, 0}, {2, 3, 5, 3}}, 3},
      {"a column up touching inside a row to the left", {{5, 9, 5, 3}, {5, 3, 5, 0}, {8, 3, 2, 3}}, 2},
      {"either way along one row", {{0, 1, 2, 1}, {4, 1, 2, 1}}, 2},
      {"a gap of a pixel", {{0, 1, 2, 1}, {3, 1, 5, 1}}, 2},
      {"two rows", {{0, 1, 2, 1}, {2, 2, 4, 2}}, 2},
      {"slanted lines as they are", {{0, 0, 2, 1}, {2, 1, 4, 2}}, 2},
  };
  for (const Case &c : cases) {
    u32 drawn = 0;
    std::vector<Seg> out = Sent(c.lines, &drawn);
    EXPECT_EQ(out.size(), c.sent) << c.what;
    for (u32 kind = 0; kind < 8; kind++) EXPECT_EQ(PixelsOn(kind, out), PixelsOn(kind, c.lines)) << c.what << ", kind " << kind;
  }
  // Switched off, every line goes out as given, in order.
  g_DrawRunOff = 1;
  std::vector<Seg> rows = {{4, 1, 6, 1}, {0, 1, 2, 1}, {2, 1, 4, 1}};
  std::vector<Seg> out = Sent(rows, nullptr);
  ASSERT_EQ(out.size(), 3u);
  for (size_t i = 0; i < 3; i++) EXPECT_EQ(out[i].x1, rows[i].x1);
}

// Points of other colours (opaque or not) among a run's lines: the picture painted in the
// order sent is the picture of the order given, pixel for pixel, on every kind of device.
TEST_F(DrawRunTest, PointsAmongTheLinesKeepThePicture) {
  struct Prim {
    Seg s;
    u32 colour;
  };
  // Each primitive painted in order: an opaque colour replaces, another blends over.
  auto paint = [](u32 kind, const std::vector<Prim> &prims) {
    std::map<std::pair<i32, i32>, u64> image;
    for (const Prim &p : prims)
      for (auto &px : PixelsOn(kind, {p.s})) {
        u64 &v = image[px];
        v = (p.colour >> 24) == 255 ? p.colour : v * 1000003u + p.colour;
      }
    return image;
  };
  const u32 run = Draw_PackColor(128, 255, 255, 255);
  std::mt19937 rng(9);
  size_t cut = 0;
  for (int trial = 0; trial < 400; trial++) {
    std::vector<Prim> given;
    g_Fake->draws.clear();
    DrawBatch_Begin();
    Place2D place = Draw_CurrentPlacement();
    DrawRun_Begin(&place, 128, 255, 255);
    for (int i = 0, n = 1 + (int)(rng() % 50); i < n; i++) {
      i32 x = 100 + (i32)(rng() % 10), y = 200 + (i32)(rng() % 5), len = 1 + (i32)(rng() % 3);
      if (rng() % 4 == 0) {
        i32 a = rng() % 2 ? 255 : 128, grey = 100 + (i32)(rng() % 3) * 50;
        DrawRun_Point(x, y, grey, grey, grey, a);
        given.push_back({{x, y, x + 1, y}, Draw_PackColor(grey, grey, grey, a)});
        continue;
      }
      Seg l = rng() % 3 == 0 ? Seg{x, y, x, y + (rng() % 2 ? len : -len)} : rng() % 2 ? Seg{x, y, x + len, y} : Seg{x + len, y, x, y};
      if (rng() % 5 == 0) l.x2 += 1, l.y2 += 1;   // slanted
      DrawRun_Line(l.x1, l.y1, 0, l.x2, l.y2, 0);
      given.push_back({l, run});
    }
    DrawRun_End();
    DrawBatch_End();
    std::vector<Prim> sent;
    for (size_t i = 0; i < g_Fake->draws.size(); i++) {
      if (g_Fake->draws[i].fvf != FVF_SCREENVERTEX || g_Fake->draws[i].primType != DPT_LINELIST) continue;
      std::vector<ScreenVertex> v = FakeDev_ScreenVerts(i);
      for (size_t k = 0; k + 1 < v.size(); k += 2)
        sent.push_back({{(i32)v[k].x, (i32)v[k].y, (i32)v[k + 1].x, (i32)v[k + 1].y}, v[k].color});
    }
    for (u32 kind = 0; kind < 8; kind++) ASSERT_EQ(paint(kind, sent), paint(kind, given)) << "trial " << trial << ", kind " << kind;
    // The runs cut at a point: a line after it may draw its pixels.
    for (size_t i = 0; i + 1 < sent.size(); i++) cut += sent[i].colour != run && sent[i + 1].colour == run;
  }
  EXPECT_GT(cut, 100u);
}

}  // namespace
