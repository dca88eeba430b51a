// Time-line strips and panels on the portable canvas: whole canvases and the recorded texts
// (CP932 bytes) compared word for word with the goldens in tests/app/strip_golden (key
// clipping at both ends of the key area, divisors, playing and stopped indicators, zero rows,
// narrow windows, the movie strip, a texture preview clipped at 512); the dispatcher's order
// and flags; and the bounds every painter keeps (divisor, canvas, pixel copies, long labels,
// tracks longer than the rows hold).
// MIRAVEL_UPDATE_GOLDEN=1 rewrites the goldens (look at them before committing).
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/current.h"
#include "tests/support/hook_at.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/startup_state.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/tree.h"
#include "app/views.h"
#include "lib/draw/texture.h"
#include "scene/movie_state.h"
#include "model/model3.h"
#include "model/obj2.h"
#include "shell_fixture.h"
#include "strip_bones.h"

namespace {

struct Text {
  i32 x, y;
  u32 rgb;
  std::string text;
};
std::vector<Text> g_texts;
std::vector<std::string> g_blits;   // "window dstX w h"

void RecordText(i32 x, i32 y, u32 rgb, const char *t) { g_texts.push_back({x, y, rgb, t}); }
void RecordBlit(void *w, i32 x, i32 cw, i32 ch) {
  char b[64];
  snprintf(b, sizeof b, "%d %d %d %d", (int)(intptr_t)w, x, cw, ch);
  g_blits.push_back(b);
}

void *Win(i32 n) { return (void *)(intptr_t)n; }

std::string Hex(const std::string &s) {
  std::string out;
  char b[4];
  for (unsigned char c : s) {
    snprintf(b, sizeof b, "%02x", c);
    out += b;
  }
  return out;
}

// The canvas as runs of equal words, then the texts and the copies to the window.
std::string Dump(void) {
  std::ostringstream o;
  const u32 *c = g_StripCanvas;
  const size_t n = (size_t)STRIP_CANVAS_W * STRIP_CANVAS_H;
  for (size_t i = 0; i < n;) {
    size_t j = i;
    while (j < n && c[j] == c[i]) j++;
    char b[48];
    snprintf(b, sizeof b, "run %zu %zu %06x\n", i, j - i, c[i]);
    o << b;
    i = j;
  }
  for (const Text &t : g_texts) {
    char b[48];
    snprintf(b, sizeof b, "text %d %d %06x ", t.x, t.y, t.rgb);
    o << b << Hex(t.text) << "\n";
  }
  for (const std::string &s : g_blits) o << "blit " << s << "\n";
  return o.str();
}

std::string GoldenPath(const char *name) {
  const char *src = getenv("MIRAVEL_SRC");
  return std::string(src ? src : ".") + "/tests/app/strip_golden/" + name + ".txt";
}

void ExpectGolden(const char *name) {
  std::string got = Dump();
  std::string path = GoldenPath(name);
  if (getenv("MIRAVEL_UPDATE_GOLDEN")) {
    std::ofstream(path, std::ios::binary) << got;
    return;
  }
  std::ifstream f(path, std::ios::binary);
  ASSERT_TRUE(f.good()) << path;
  std::stringstream want;
  want << f.rdbuf();
  if (got == want.str()) return;
  // Report the first line that differs.
  std::istringstream a(got), b(want.str());
  std::string la, lb;
  for (int line = 1;; line++) {
    bool ea = !std::getline(a, la), eb = !std::getline(b, lb);
    if (ea && eb) break;
    if (la != lb || ea != eb) {
      ADD_FAILURE() << name << " line " << line << ": got \"" << la << "\" want \"" << lb << "\"";
      return;
    }
  }
}

u32 Px(i32 x, i32 y) { return g_StripCanvas[y * STRIP_CANVAS_W + x]; }

struct StripTest : ::testing::Test {
  void SetUp() override {
    Shell_ResetForTest();
    Strip_ResetForTest();
    g_ShellSeam.stripText = RecordText;
    g_ShellSeam.stripBlit = RecordBlit;
    g_texts.clear();
    g_blits.clear();
    memset(&g_TreeRows, 0, sizeof g_TreeRows);
    g_TreeRows.hovered = -1;
    memset(g_Shell.g_StripDirty, 0, sizeof g_Shell.g_StripDirty);
    g_Shell.g_Playing = 0;
    g_Sel.g_CurSlot = 0;
    g_Sel.g_Cur2DSlot = 0;
    g_Sel.g_CurBoneIndex = 0;
    g_Sel.g_CurGroupIndex = 0;
  }
  void TearDown() override {
    Model3_FreeAllSlots();
    g_Shell.g_Playing = 0;
    for (i32 t = 0; t < TEX_PER_MODEL; t++) {
      free(g_Tex.pixels[t]);
      g_Tex.pixels[t] = nullptr;
      g_Tex.pixelsWidth[t] = g_Tex.pixelsHeight[t] = 0;
    }
  }
};

// StripBones_Make3 with motion 0 in use, no key left in the root's track and bone 1's key
// index on its second key.
Model3 *MakeBones3(void) {
  Model3 *m = StripBones_Make3();
  KeyTrack_Free(&m->bones[0].keys[0]);
  m->motion = 0;
  m->motions[0].used = 1;
  m->bones[1].keyIndex = 1;
  return m;
}

TEST_F(StripTest, Bone3StripMatchesGoldens) {
  struct Case {
    const char *golden;
    i32 divisor, offsetX;
    bool playing;
    i32 hovered;
  };
  const Case cases[] = {
      {"bone3_div4", 4, 0, false, 2},     // 120 lies past the 400-pixel width: absent
      {"bone3_div64", 64, 0, false, -1},  // all four keys packed near 189
      {"bone3_off50_playing", 4, -50, true, -1},   // key 0 left of 188 absent; cyan line, no box
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.golden);
    SetUp();
    MakeBones3();
    g_TreeRows.hovered = c.hovered;
    Strip_SetDivisor(c.divisor);
    Strip_SetOffsets(c.offsetX, 0);
    g_Strip.g_StripGeo.bottom = 110;
    g_Shell.g_Playing = c.playing;
    Strip_Register(STRIP_MOTION3_KEYS, Win(9), 400, 120);
    Strip_DrawBone3Keys(Hook_Now());
    ExpectGolden(c.golden);
    TearDown();
  }
}

// A hovered row past the strip's rows (the bone rows' hover kept when the group rows came)
// draws no line: the picture is the one without a hover.
TEST_F(StripTest, AHoverPastTheRowsDrawsNoLine) {
  Model3 *m = MakeBones3();
  m->groupCount = 2;
  Strip_Register(STRIP_MOTION3_KEYS, Win(9), 400, 160);
  g_Strip.g_StripGeo.bottom = 150;
  Strip_DrawGroup3Keys(Hook_Now());
  std::string none = Dump();
  for (i32 hovered : {2, 3}) {
    g_texts.clear();
    g_blits.clear();
    g_TreeRows.hovered = hovered;
    Strip_DrawGroup3Keys(Hook_Now());
    EXPECT_EQ(Dump(), none) << hovered;
  }
  g_texts.clear();
  g_blits.clear();
  g_TreeRows.hovered = 1;   // a row that is there: its line
  Strip_DrawGroup3Keys(Hook_Now());
  EXPECT_NE(Dump(), none);
}

TEST_F(StripTest, EdgeWindowsMatchGoldens) {
  // Zero rows: separator, ruler and the header texts only.
  Strip_Register(STRIP_BONE2_KEYS, Win(5), 400, 100);
  g_Strip.g_StripGeo.bottom = 90;
  Strip_DrawBone2Keys(Hook_Now());
  ExpectGolden("bone2_zero_rows");
  // A 50-pixel-wide window: no ruler numbers.
  SetUp();
  MakeBones3();
  Strip_Register(STRIP_MOTION3_KEYS, Win(9), 50, 80);
  Strip_DrawBone3Keys(Hook_Now());
  ExpectGolden("bone3_narrow");
  for (const Text &t : g_texts) EXPECT_NE(t.text.find_first_not_of("0123456789"), std::string::npos) << t.text;
}

i32 MovieCurrentObject() { return 1; }
i32 MovieFrame() { return 40; }
i32 MovieFrameCount() { return 150; }
const char *MovieKind(i32 k) { return k == MOVIE_KIND_CAMERA ? "カメラ" : k == MOVIE_KIND_MODEL3 ? "3Dモデル" : "シーン"; }

TEST_F(StripTest, MovieStripMatchesGolden) {
  static MovieObject objs[3];
  memset(objs, 0, sizeof objs);
  const char *names[] = {"シーン", "カメラ", "主人公"};
  const i32 kinds[] = {MOVIE_KIND_SCENE, MOVIE_KIND_CAMERA, MOVIE_KIND_MODEL3};
  MovieObject *kept[3] = {g_Movie.objects[0], g_Movie.objects[1], g_Movie.objects[2]};
  i32 keptCount = g_Movie.objectCount;
  for (i32 i = 0; i < 3; i++) {
    snprintf(objs[i].name, sizeof objs[i].name, "%s", names[i]);
    objs[i].kind = kinds[i];
    objs[i].keyCount = 3;
    for (i32 k = 0; k < 3; k++) objs[i].keys[k].frame = k * 50 + i * 10;
    g_Movie.objects[i] = &objs[i];
  }
  g_Movie.objectCount = 3;
  g_Movie.playState = MOVIE_STOPPED;
  g_Strip.g_StripMovie = {MovieCurrentObject, MovieFrame, MovieFrameCount, MovieKind};
  g_Strip.g_StripGeo.margin = 200;
  g_Strip.g_StripGeo.rowTop = 90;
  Strip_Register(STRIP_MOVIE_KEYS, Win(11), 800, 200);
  Strip_DrawMovieKeys();
  ExpectGolden("movie_three_objects");
  // The movie that an earlier test's family switch made is put back (and freed by its owner).
  for (i32 i = 0; i < 3; i++) g_Movie.objects[i] = kept[i];
  g_Movie.objectCount = keptCount;
}

TEST_F(StripTest, TexturePreviewIsClippedAt512) {
  // A 600 x 600 texture of 64-texel squares at zoom 1 with a pan of (-20, 10) in a window
  // larger than the panel: nothing outside 512 x 512 is written, the copy is 512 x 512.
  const i32 side = 600;
  g_Tex.pixels[3] = (u32 *)malloc(sizeof(u32) * side * side);
  g_Tex.pixelsWidth[3] = g_Tex.pixelsHeight[3] = side;
  for (i32 y = 0; y < side; y++)
    for (i32 x = 0; x < side; x++) g_Tex.pixels[3][y * side + x] = 0xFF000000u | (u32)(x / 64 * 25) << 16 | (u32)(y / 64 * 25) << 8 | 0x40;
  g_Strip.g_StripTex3D.texture = 3;
  g_Strip.g_StripTex3D.inUse = 1;
  g_Strip.g_StripTex3D.panX = -20;
  g_Strip.g_StripTex3D.panY = 10;
  Strip_Register(STRIP_TEX3D, Win(8), 700, 700);
  Strip_DrawTex3D();
  ExpectGolden("tex3d_clipped");
  EXPECT_EQ(Px(0, 0), Strip_RGB(0, 0, 72));       // above the texture: the clear colour
  EXPECT_EQ(Px(0, 10), Strip_RGB(0x40, 0, 0));    // texel (20, 0): the copy holds red lowest
  EXPECT_EQ(Px(512, 100), 0u);
  EXPECT_EQ(Px(100, 512), 0u);
}

// [SECTION] dispatcher
std::vector<i32> g_painted;   // windows in blit order

void RecordWindow(void *w, i32, i32, i32) { g_painted.push_back((i32)(intptr_t)w); }

TEST_F(StripTest, DispatcherOrderSharedFlagsClosedWindowsAndMovie) {
  g_ShellSeam.stripBlit = RecordWindow;
  struct Run {
    const char *what;
    bool open[STRIP_ENTRIES];
    bool movieFamily;
    std::vector<i32> painted;   // entries, in order
    std::vector<i32> stillDirty;   // own-flag entries whose flag stays set
  };
  const bool all[STRIP_ENTRIES] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
  const Run runs[] = {
      // Every window open: the 2D windows take the shared swatch and texture flags first.
      {"all open", {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, true, {0, 1, 2, 3, 4, 6, 8, 9, 10}, {}},
      {"2D windows closed", {0, 1, 1, 0, 1, 1, 1, 1, 1, 1, 1}, false, {1, 2, 4, 5, 6, 7, 8, 9}, {}},
      // Closed windows keep their flags; the movie strip needs its family.
      {"strips closed", {1, 0, 1, 1, 0, 1, 0, 1, 0, 0, 1}, false, {0, 2, 3}, {4, 6, 8}},
  };
  (void)all;
  for (const Run &r : runs) {
    SCOPED_TRACE(r.what);
    for (i32 e = 0; e < STRIP_ENTRIES; e++) {
      Strip_Register(e, r.open[e] ? Win(100 + e) : nullptr, 64, 64);
      g_Strip.g_StripWindows[e].dirty = 1;
    }
    for (u32 &f : g_Shell.g_StripDirty) f = 0;
    App_MarkAllRedraw(View_CurrentLayout());
    g_Shell.g_EditFamily = r.movieFamily ? FAMILY_MOVIE : FAMILY_3D_MODEL;
    g_painted.clear();
    Strip_RedrawDirty();
    std::vector<i32> want;
    for (i32 e : r.painted) want.push_back(100 + e);
    EXPECT_EQ(g_painted, want);
    for (i32 e : r.stillDirty) EXPECT_EQ(g_Strip.g_StripWindows[e].dirty, 1u) << e;
    // A second run repaints only the movie strip (every run in its family).
    g_painted.clear();
    for (i32 e : {STRIP_BONE2_KEYS, STRIP_KZO_KEYS, STRIP_MOTION3_KEYS}) g_Strip.g_StripWindows[e].dirty = 0;
    Strip_RedrawDirty();
    if (r.movieFamily) EXPECT_EQ(g_painted, std::vector<i32>{100 + STRIP_MOVIE_KEYS});
    else EXPECT_TRUE(g_painted.empty());
  }
  // The 3D group panel's swatches wait for the next run that sets the flag.
  for (i32 e = 0; e < STRIP_ENTRIES; e++) Strip_Unregister(e);
  Strip_Register(STRIP_GROUP2_SWATCHES, Win(100), 54, 270);
  Strip_Register(STRIP_GROUP3_SWATCHES, Win(105), 54, 270);
  g_Shell.g_StripDirty[STRIP_FLAG_SWATCHES] = 1;
  g_painted.clear();
  Strip_RedrawDirty();
  Strip_Unregister(STRIP_GROUP2_SWATCHES);
  Strip_RedrawDirty();
  EXPECT_EQ(g_painted, std::vector<i32>{100});
  g_Shell.g_StripDirty[STRIP_FLAG_SWATCHES] = 1;
  Strip_RedrawDirty();
  EXPECT_EQ(g_painted, (std::vector<i32>{100, 105}));
  g_Shell.g_EditFamily = 0;
}

// [SECTION] bounds
TEST_F(StripTest, PaintersStayInsideTheirBounds) {
  // The divisor kept within 1..64 however it is set.
  struct { i32 set, drawn; } divisors[] = {{0, 1}, {-8, 1}, {1, 1}, {64, 64}, {128, 64}};
  for (auto d : divisors) {
    Strip_SetDivisor(d.set);
    EXPECT_EQ(Strip_Divisor(), d.drawn);
    g_Strip.g_StripGeo.divisor = d.set;   // written directly by an owner: still no division by 0
    EXPECT_EQ(Strip_Divisor(), d.drawn);
  }
  Strip_SetOffsets(30, 12);
  EXPECT_EQ(g_Strip.g_StripGeo.offsetX, 0);
  EXPECT_EQ(g_Strip.g_StripGeo.offsetY, 0);
  Strip_ResetGeometry();

  // Windows larger than the canvas, lines far outside it: every write lands in the array
  // (ASan watches its ends) and the copy is cut to the canvas.
  Model3 *m = MakeBones3();
  g_Strip.g_StripGeo.bottom = 1 << 30;
  Strip_Register(STRIP_MOTION3_KEYS, Win(9), 5000, 5000);
  Strip_DrawBone3Keys(Hook_Now());
  EXPECT_EQ(g_blits.back(), "9 0 1600 1024");
  Strip_Line(-100000, -7, 2000000, 900000, 255, 0, 0);
  Strip_Line(1700, 5, -(1 << 29), 5, 255, 0, 0);
  EXPECT_EQ(Px(0, 5), Strip_RGB(255, 0, 0));
  Strip_FillRect(-50, 1000, 99999, 99999, 1, 2, 3);
  EXPECT_EQ(Px(1599, 1023), Strip_RGB(1, 2, 3));

  // A track longer than the 16 keys a row holds: every key is drawn (the 4 keys and 40 more).
  KeyTrack *t = &m->bones[2].keys[0];
  for (i32 f = 0; f < 40; f++) {
    BoneKey3 k;
    BoneKey3_Identity(&k, 1 + f * 3);
    KeyTrack_Insert(t, &k);
  }
  Strip_SetDivisor(1);
  g_Strip.g_StripGeo.bottom = 200;
  Strip_Register(STRIP_MOTION3_KEYS, Win(9), 1600, 200);
  Strip_DrawBone3Keys(Hook_Now());
  i32 rowTop = STRIP_HEADER + STRIP_ROW * 2, boxes = 0;
  for (i32 x = 0; x < 1600; x++)
    if (Px(x, rowTop + 10) == Strip_RGB(0, 160, 255)) boxes++;
  EXPECT_EQ(boxes, 2 * 44);   // each box crosses the row's middle at its two sides

  // A label filling all 256 bytes: the text is cut to the 255 the buffer holds, at a
  // character boundary (the label is two-byte characters after the glyph and number).
  memset(g_TreeRows.rows[1].label, 0, TREE_LABEL);
  for (i32 i = 0; i < TREE_LABEL; i += 2) memcpy(g_TreeRows.rows[1].label + i, "\x88\x9f", 2);
  g_texts.clear();
  Strip_DrawBone3Keys(Hook_Now());
  ASSERT_GE(g_texts.size(), 2u);
  const std::string &label = g_texts[2].text;   // row 1's label
  EXPECT_LE(label.size(), 255u);
  EXPECT_EQ(label.substr(0, 8), "\x81\x7c 1:\x88\x9f\x88");
  EXPECT_EQ((label.size() - 5) % 2, 0u);   // whole characters only

  // The 2D object image: larger than the panel and than its pixel copy; outside the copy
  // reads 0, the copy to the window lands at x 116.
  Obj2Model *o = Obj2_Init(0);
  static Obj2Image big;
  big.width = 3000, big.height = 40;
  g_Obj2Images[0] = &big;
  g_Obj2.pixels = (u32 *)calloc(4, sizeof(u32));
  g_Obj2.pixelCount = 4;
  g_Obj2.pixels[1] = 0x00332211;   // r 0x11, g 0x22, b 0x33
  o->pivotX[0] = 1, o->pivotY[0] = 100;
  Strip_Register(STRIP_OBJ2_IMAGE, Win(2), 200, 100);
  Strip_DrawObj2Image(Hook_Now());
  EXPECT_EQ(Px(1, 25), Strip_RGB(0x11, 0x22, 0x33));
  EXPECT_EQ(Px(5, 25), 0u);
  EXPECT_EQ(Px(1599, 64), 0u);
  EXPECT_EQ(Px(4, 128), Strip_RGB(255, 255, 0));   // the pivot's cross
  EXPECT_EQ(g_blits.back(), "2 116 200 100");
  free(g_Obj2.pixels);
  g_Obj2.pixels = nullptr;
  g_Obj2.pixelCount = 0;
  g_Obj2Images[0] = nullptr;
  Obj2_SetSlot(0, nullptr);
}

}  // namespace
