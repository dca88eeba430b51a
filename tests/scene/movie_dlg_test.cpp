// The movie editor's dialogs without windows: the image dialog's fields, the frame count of
// the key dialog, the time line's pick, key move, scale and scroll, the sound and motion
// selections, the list lines in CP932 and the folders chosen inside and outside their base.
#include "tests/support/hook_at.h"
#include <map>

#include "app/current.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/shell_seam.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "lib/framework/lib_state.h"
#include "lib/media/dialogs.h"
#include "resources/movie_edit_ids.h"
#include "scene/movie_dlg.h"
#include "scene/movie_edit.h"
#include "scene/movie_services.h"
#include "tests/scene/movie_fixture.h"
#include "tests/support/shell_fixture.h"

namespace {

struct Controls {
  std::string folder;                 // the folder chooser's answer ("" = cancel)
} g_c;

// Dialog d's fields and lists, as the widget fake holds them.
void SetText(u32 d, u32 id, const char *t) { WidgetFake_SetText(Movie_Dialog(d), id, t); }
std::string Text(u32 d, u32 id) { return WidgetFake_Text(Movie_Dialog(d), id); }
void *Control(u32 d, u32 id) { return Widget_Control(Movie_Dialog(d), id); }
// The key dialog's scroll bar range, -1 when never set.
i32 ScrollRange(void) {
  auto it = g_WidgetFake.scroll.find(Control(MOVIE_DIALOG_KEY, IDC_MOVIE_SCROLL));
  return it == g_WidgetFake.scroll.end() ? -1 : it->second.first;
}
bool Browse(const char *, char *out) {
  Str_Copy(out, FILEDLG_TEXT, g_c.folder.c_str());
  return !g_c.folder.empty();
}

struct MovieDlgTest : MovieTest {
  SceneSeam savedOps;
  FileDlgPlatform savedDlg;
  void SetUp() override {
    MovieTest::SetUp();
    Shell_ResetForTest();
    g_Shell.g_EditFamily = g_Shell.g_EditSubMode = FAMILY_MOVIE;
    savedOps = g_SceneSeam;
    savedDlg = g_LibHooks.fileDlg;
    // The movie editor's render and video entries empty (the drawing entries stay).
    g_SceneSeam.frameStep = nullptr;
    g_SceneSeam.saveRect = nullptr;
    g_SceneSeam.aviStart = nullptr;
    g_SceneSeam.aviStop = nullptr;
    g_SceneSeam.videoOpen = nullptr;
    g_SceneSeam.videoClose = nullptr;
    g_LibHooks.fileDlg.browseFolder = Browse;
    g_c = Controls{};
    g_MovieEditor = MovieEditor{};
    OpenFakeDialogs();
    g_MovieDlg = MovieDlgState{};
    memset(g_Shell.g_DocChanged, 0, sizeof g_Shell.g_DocChanged);
    Movie_NewDocument(View_CurrentLayout(), &g_Sel);
    Strip_SetDivisor(MOVIE_SCALE_START);
    Strip_SetOffsets(0, 0);
  }
  void TearDown() override {
    g_SceneSeam = savedOps;
    g_LibHooks.fileDlg = savedDlg;
    WidgetFake_Remove();
    g_MovieEditor = MovieEditor{};
    Shell_ResetForTest();
    MovieTest::TearDown();
  }
  // A new actor of `kind`, current, with a key at each of `frames` (0 comes with it).
  static MovieObject *Actor(i32 kind, std::initializer_list<i32> frames = {}) {
    EXPECT_TRUE(Movie_AddActor(kind));
    for (i32 f : frames) {
      g_MovieScene.frame = f;
      Movie_EnsureKeyAtFrame();
    }
    g_MovieScene.frame = 0;
    return g_Movie.objects[g_Sel.g_CurSlot];
  }
};

// [SECTION] fields

TEST_F(MovieDlgTest, ImageFieldsClampColoursAndKeepFieldsThatAreNoNumbers) {
  struct Case {
    const char *x, *colour[4];
    f32 wantX, wantColour[4];
    size_t boxes;
  };
  const Case cases[] = {
      {"12.5", {"-5", "300", "0", "128"}, 12.5f, {0, 255, 0, 128}, 0},
      // One colour that is not a number discards all four; the rest still applies.
      {"7", {"10", "abc", "30", "40"}, 7, {255, 255, 255, 255}, 0},
      // A position that is not a number keeps its value and says so; the colours apply.
      {"zz", {"1", "2", "3", "4"}, 320, {1, 2, 3, 4}, 1},
  };
  for (const Case &c : cases) {
    Movie_NewDocument(View_CurrentLayout(), &g_Sel);
    MovieObject *o = Actor(MOVIE_KIND_IMAGE);
    u32 d = MOVIE_DIALOG_IMG;
    Boxes().clear();
    SetText(d, IDC_MOVIE_ACTOR_NAME, "看板");
    SetText(d, IDC_MOVIE_ACTOR_X, c.x);
    SetText(d, IDC_MOVIE_ACTOR_Y, "-3");
    for (u32 i = 0; i < 4; i++) SetText(d, IDC_MOVIE_ACTOR_COLOR_R + i, c.colour[i]);
    MovieDlg_Command(d, IDC_MOVIE_ACTOR_APPLY);
    EXPECT_STREQ(o->name, "看板") << c.x;
    EXPECT_EQ(o->keys[0].position[0], c.wantX) << c.x;
    EXPECT_EQ(o->keys[0].position[1], -3.0f) << c.x;
    for (int i = 0; i < 4; i++) EXPECT_EQ(o->keys[0].color[i], c.wantColour[i]) << c.x << " " << i;
    ASSERT_EQ(Boxes().size(), c.boxes) << c.x;
    if (c.boxes) { EXPECT_NE(Boxes()[0].find("X"), std::string::npos) << Boxes()[0]; }
    // Refresh shows the values back ("%3.3f", "%d").
    MovieDlg_Refresh(d);
    EXPECT_EQ(Text(d, IDC_MOVIE_ACTOR_Y), "-3.000");
    EXPECT_EQ(Text(d, IDC_MOVIE_ACTOR_COLOR_G), std::to_string((int)c.wantColour[1]));
  }
}

// "決定" of every dialog with number fields, with the fields as shown (three decimals): the
// key stays byte for byte; a field typed into is stored as typed and the others stay exact.
TEST_F(MovieDlgTest, ApplyWithUntouchedFieldsLeavesTheKeyExact) {
  struct Case {
    i32 kind;   // -1: the camera of a new movie
    u32 dialog, apply, typed;
  };
  const Case cases[] = {
      {MOVIE_KIND_IMAGE, MOVIE_DIALOG_IMG, IDC_MOVIE_ACTOR_APPLY, IDC_MOVIE_ACTOR_SCALE_X},
      {MOVIE_KIND_MODEL3, MOVIE_DIALOG_KZP, IDC_MOVIE_ACTOR_APPLY, IDC_MOVIE_ACTOR_Y},
      {MOVIE_KIND_OBJ2, MOVIE_DIALOG_KZA, IDC_MOVIE_ACTOR_APPLY, 0},
      {-1, MOVIE_DIALOG_CAM, IDC_MOVIE_CAM_APPLY, IDC_MOVIE_CAM_AT_Y},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.dialog);
    Movie_NewDocument(View_CurrentLayout(), &g_Sel);
    MovieObject *o = nullptr;
    if (c.kind >= 0) {
      o = Actor(c.kind);
    } else {
      g_Sel.g_CurSlot = 1;
      o = g_Movie.objects[1];
    }
    ASSERT_NE(o, nullptr);
    MovieKey &k = o->keys[0];
    for (int i = 0; i < 3; i++) {
      k.position[i] = 0.2756f + 1.111111f * (f32)i;
      k.target[i] = -4.44449f + (f32)i;
      k.scale[i] = 1.00049f + (f32)i;
      k.angles[i] = 33.3333f;
    }
    MovieDlg_Refresh(c.dialog);
    const MovieKey before = k;
    Boxes().clear();
    MovieDlg_Command(c.dialog, c.apply);
    EXPECT_EQ(memcmp(&before, &k, sizeof k), 0);
    EXPECT_TRUE(Boxes().empty());
    if (!c.typed) continue;
    SetText(c.dialog, c.typed, "0.2756");
    MovieDlg_Command(c.dialog, c.apply);
    f32 *typed = c.typed == IDC_MOVIE_ACTOR_SCALE_X ? &k.scale[0] : c.typed == IDC_MOVIE_CAM_AT_Y ? &k.target[1] : &k.position[1];
    EXPECT_EQ(*typed, 0.2756f);
    *typed = c.typed == IDC_MOVIE_ACTOR_SCALE_X ? before.scale[0] : c.typed == IDC_MOVIE_CAM_AT_Y ? before.target[1] : before.position[1];
    EXPECT_EQ(memcmp(&before, &k, sizeof k), 0);
  }
}

TEST_F(MovieDlgTest, FrameCountOutsideTheTableIsRefused) {
  struct Case {
    const char *text;
    bool ok;
    i32 count, end, start, frame;
  };
  // Start: 180 frames, play range 120..180, current frame 150.
  const Case cases[] = {
      {"0", false, 180, 180, 120, 150},     {"18001", false, 180, 180, 120, 150},
      {"abc", false, 180, 180, 120, 150},   {"18000", true, 18000, 18000, 120, 150},
      {"100", true, 100, 100, 99, 100},     {"1", true, 1, 1, 0, 1},
  };
  for (const Case &c : cases) {
    g_MovieScene.frameCount = 180;
    g_MovieScene.playStart = 120, g_MovieScene.playEnd = 180;
    g_MovieScene.frame = 150;
    g_WidgetFake.scroll.clear();
    Boxes().clear();
    SetText(MOVIE_DIALOG_KEY, IDC_MOVIE_KEY_FRAMES, c.text);
    MovieDlg_Command(MOVIE_DIALOG_KEY, IDC_MOVIE_KEY_FRAMES_APPLY);
    EXPECT_EQ(Boxes().size(), c.ok ? 0u : 1u) << c.text;
    EXPECT_EQ(g_MovieScene.frameCount, c.count) << c.text;
    EXPECT_EQ(g_MovieScene.playEnd, c.end) << c.text;
    EXPECT_EQ(g_MovieScene.playStart, c.start) << c.text;
    EXPECT_EQ(g_MovieScene.frame, c.frame) << c.text;
    EXPECT_EQ(ScrollRange(), c.ok ? c.count : -1) << c.text;
  }
}

// [SECTION] time line

TEST_F(MovieDlgTest, PickStepScaleAndScrollFollowTheStrip) {
  Strip_SetOffsets(-100, 0);
  g_MovieScene.frameCount = 180;
  // Frame (x + 100 - 230) * 8 / 10, clamped; left of the origin frame 0.
  const i32 xs[][2] = {{300, 136}, {231, 80}, {230, 0}, {100, 0}, {500, 180}};
  for (const auto &p : xs) EXPECT_EQ(MovieDlg_PickFrame(p[0]), p[1]) << p[0];
  // Rows of 25 pixels from the row top (84), as the strip draws them; above them none.
  g_Strip.g_StripGeo.rowTop = MOVIE_TIMELINE_Y;
  const i32 ys[][2] = {{83, -1}, {84, 0}, {108, 0}, {109, 1}, {142, 2}};
  for (const auto &p : ys) EXPECT_EQ(MovieDlg_PickRow(p[0]), p[1]) << p[0];
  // Key-move steps: scale x dx / 6, at least one frame either way.
  const i32 steps[][3] = {{1, 3, 1}, {1, -3, -1}, {1, 12, 2}, {64, 3, 32}, {64, -6, -64}, {64, 0, 0}};
  for (const auto &s : steps) {
    Strip_SetDivisor(s[0]);
    EXPECT_EQ(MovieDlg_MoveStep(s[1]), s[2]) << s[0] << " " << s[1];
  }
  // "縮小" at 64 and "拡大" at 1 stay.
  Strip_SetDivisor(64);
  MovieDlg_Command(MOVIE_DIALOG_KEY, IDC_MOVIE_KEY_ZOOM_OUT);
  EXPECT_EQ(Strip_Divisor(), 64);
  MovieDlg_Command(MOVIE_DIALOG_KEY, IDC_MOVIE_KEY_ZOOM_IN);
  EXPECT_EQ(Strip_Divisor(), 32);
  Strip_SetDivisor(1);
  MovieDlg_Command(MOVIE_DIALOG_KEY, IDC_MOVIE_KEY_ZOOM_IN);
  EXPECT_EQ(Strip_Divisor(), 1);
  // "<" of the time line never scrolls above 0; a right drag neither.
  MovieDlg_Command(MOVIE_DIALOG_KEY, IDC_MOVIE_KEY_SCROLL_LEFT);
  EXPECT_EQ(g_Strip.g_StripGeo.offsetX, 0);
  MovieDlg_Command(MOVIE_DIALOG_KEY, IDC_MOVIE_KEY_SCROLL_RIGHT);
  EXPECT_EQ(g_Strip.g_StripGeo.offsetX, -100);
  MovieDlg_RightDown(10, 10);
  MovieDlg_RightDrag(400, 5);
  EXPECT_EQ(g_Strip.g_StripGeo.offsetX, 0);
  EXPECT_EQ(g_Strip.g_StripGeo.offsetY, -5);
}

// With five actors and the rows scrolled by a right drag, a click on the middle of the row
// where the strip draws the yellow current-frame box (the current object's) picks that object, at every
// scroll position; rows scrolled above the header are neither drawn nor picked.
TEST_F(MovieDlgTest, TimeLineRowsPickWhatTheyDraw) {
  g_Strip.g_StripGeo.rowTop = MOVIE_TIMELINE_Y;
  g_Strip.g_StripGeo.margin = MOVIE_TIMELINE_X;
  for (u32 id : {IDM_MOVIE_ADD_IMAGE, IDM_MOVIE_ADD_SOUND, IDM_MOVIE_ADD_MESSAGE}) Movie_Command(Hook_Command(id));
  ASSERT_EQ(g_Movie.objectCount, 5);
  g_Strip.g_StripMovie = StripMovieSource{[] { return (i32)g_Sel.g_CurSlot; }, [] { return 0; }, [] { return 180; }, nullptr};
  int dummyWindow = 0;
  Strip_Register(STRIP_MOVIE_KEYS, &dummyWindow, 700, 400);
  const u32 yellow = Strip_RGB(255, 255, 0);
  for (i32 scroll : {0, -10, -25, -37, -60}) {
    for (i32 row = 0; row < 5; row++) {
      Strip_SetOffsets(0, scroll);
      g_Sel.g_CurSlot = (u32)row;
      Strip_DrawMovieKeys();
      i32 top = -1, bottom = -1;
      for (i32 y = 0; y < 400; y++)
        for (i32 x = MOVIE_TIMELINE_X; x < MOVIE_TIMELINE_X + 20; x++)
          if (g_StripCanvas[(size_t)y * STRIP_CANVAS_W + x] == yellow) {
            if (top < 0) top = y;
            bottom = y;
          }
      SCOPED_TRACE(testing::Message() << "scroll " << scroll << " row " << row);
      bool hidden = Strip_MovieRowTop(row) + 25 <= MOVIE_TIMELINE_Y;
      if (hidden) {
        EXPECT_LT(top, 0) << "a row under the header was drawn";
        continue;
      }
      ASSERT_GE(top, MOVIE_TIMELINE_Y) << "the current row's box is not drawn";
      g_Sel.g_CurSlot = 0;
      MovieDlg_LeftDown(300, (top + bottom) / 2);
      EXPECT_EQ(g_Sel.g_CurSlot, (u32)row);
    }
  }
  // A right drag moves the rows by the pointer's movement; the rows never scroll down past the top.
  Strip_SetOffsets(0, 0);
  MovieDlg_RightDown(10, 200);
  MovieDlg_RightDrag(10, 170);
  EXPECT_EQ(g_Strip.g_StripGeo.offsetY, -30);
  EXPECT_EQ(MovieDlg_PickRow(MOVIE_TIMELINE_Y + 25 * 2), 3);
  Strip_Unregister(STRIP_MOVIE_KEYS);
  g_Strip.g_StripMovie = StripMovieSource{};
}

TEST_F(MovieDlgTest, FrameStepsStopAtTheEnds) {
  g_MovieScene.frameCount = 180;
  struct Case {
    i32 frame, code;
    i32 want;
  };
  const Case scroll[] = {{170, MOVIE_SB_PAGERIGHT, 180}, {30, MOVIE_SB_PAGELEFT, 0}, {0, MOVIE_SB_LINELEFT, 0},
                         {179, MOVIE_SB_LINERIGHT, 180}, {10, 5 /* thumb dragged */, 10}};
  for (const Case &c : scroll) {
    g_MovieScene.frame = c.frame;
    MovieDlg_Scroll(c.code, 0);
    EXPECT_EQ(g_MovieScene.frame, c.want) << c.frame << " " << c.code;
  }
  const Case buttons[] = {{180, IDC_MOVIE_KEY_NEXT, 180}, {179, IDC_MOVIE_KEY_NEXT, 180}, {0, IDC_MOVIE_KEY_PREV, 0},
                          {7, IDC_MOVIE_KEY_FIRST, 0}};
  for (const Case &c : buttons) {
    g_MovieScene.frame = c.frame;
    MovieDlg_Command(MOVIE_DIALOG_KEY, (u32)c.code);
    EXPECT_EQ(g_MovieScene.frame, c.want) << c.frame << " " << c.code;
  }
}

TEST_F(MovieDlgTest, MiddleDragMovesAKeyButNeverTheOneAtFrameZero) {
  MovieObject *o = Actor(MOVIE_KIND_IMAGE, {60, 90});
  o->keys[1].position[0] = 42;
  ASSERT_EQ(o->keyCount, 3);
  // Frame 0: nothing is copied, deleted or pasted.
  g_MovieScene.frame = 0;
  MovieDlg_MiddleDown(100);
  MovieDlg_MiddleDrag(106);   // 6 pixels: a move of 8 frames
  EXPECT_EQ(o->keyCount, 3);
  EXPECT_EQ(o->keys[0].frame, 0);
  EXPECT_EQ(o->keys[1].frame, 60);
  // Key 60 moves by 8 with its values; onto key 90 it does not move.
  g_MovieScene.frame = 60;
  MovieDlg_MiddleDown(100);
  MovieDlg_MiddleDrag(106);
  ASSERT_EQ(o->keyCount, 3);
  EXPECT_EQ(g_MovieScene.frame, 68);
  EXPECT_EQ(o->keys[1].frame, 68);
  EXPECT_EQ(o->keys[1].position[0], 42);
  Strip_SetDivisor(6);
  EXPECT_FALSE(MovieDlg_MoveKey(22));   // 68 + 22 = 90 holds a key
  EXPECT_EQ(o->keys[1].frame, 68);
}

// [SECTION] lists and selections

TEST_F(MovieDlgTest, SoundSelectionOutsideTheSlotsIsNoSelection) {
  MovieObject *o = Actor(MOVIE_KIND_SOUND);
  g_MovieDlg.soundSlot = 3;
  for (i32 sel : {16, -1, 100}) {
    g_WidgetFake.selection[Control(MOVIE_DIALOG_WAVE, IDC_MOVIE_WAVE_LIST)] = sel;
    MovieDlg_Command(MOVIE_DIALOG_WAVE, IDC_MOVIE_WAVE_APPLY);
    EXPECT_EQ(g_MovieDlg.soundSlot, 3) << sel;
    EXPECT_EQ(o->keys[0].number, 3) << sel;
  }
  g_WidgetFake.selection[Control(MOVIE_DIALOG_WAVE, IDC_MOVIE_WAVE_LIST)] = 15;
  MovieDlg_Command(MOVIE_DIALOG_WAVE, IDC_MOVIE_WAVE_APPLY);
  EXPECT_EQ(o->keys[0].number, 15);
  // Motion combo: 0..99 and below the motion count; no selection changes nothing.
  const i32 motions[][3] = {{-1, 5, -1}, {4, 5, 4}, {5, 5, -1}, {99, 100, 99}, {100, 101, -1}};
  for (const auto &m : motions) EXPECT_EQ(MovieDlg_MotionSelection(m[0], m[1]), m[2]) << m[0];
}

TEST_F(MovieDlgTest, ListLinesOfSoundsAndMessagesInCp932) {
  MovieScene &s = g_MovieScene;
  s.soundCount = 4;
  Str_Copy(s.soundFileNames[1], 256, "door.wav");
  Str_Copy(s.soundFolders[2], 256, "se");
  Str_Copy(s.soundFileNames[2], 256, "bell.wav");
  Str_Copy(s.soundFileNames[3], 256, "風.wav");
  s.messageCount = 3;
  Str_Copy(g_Movie.messages[1], 256, "こんにちは");
  Str_Copy(g_Movie.messages[2], 256, "また明日");
  Actor(MOVIE_KIND_SOUND);
  MovieDlg_Refresh(MOVIE_DIALOG_WAVE);
  MovieDlg_Refresh(MOVIE_DIALOG_MES);
  const std::vector<std::string> &snd = g_WidgetFake.lines[Control(MOVIE_DIALOG_WAVE, IDC_MOVIE_WAVE_LIST)];
  const std::vector<std::string> &mes = g_WidgetFake.lines[Control(MOVIE_DIALOG_MES, IDC_MOVIE_LIST)];
  ASSERT_EQ(snd.size(), 16u);
  ASSERT_EQ(mes.size(), 16u);
  // "ここに" and "空" spelled out in CP932 bytes.
  EXPECT_EQ(snd[0], "000 : \x82\xb1\x82\xb1\x82\xc9効果音は読み込めません");
  EXPECT_EQ(snd[1], "001 : door.wav");
  EXPECT_EQ(snd[2], "002 : se / bell.wav");
  EXPECT_EQ(snd[3], "003 : \x95\x97.wav");
  EXPECT_EQ(snd[4], "004 :");
  EXPECT_EQ(snd[15], "015 :");
  EXPECT_EQ(mes[0], "000 : \x8b\xf3メッセージ用( 編集できません )");
  EXPECT_EQ(mes[1], "001 : こんにちは");
  EXPECT_EQ(mes[2], "002 : また明日");
  EXPECT_EQ(mes[3], "003 : ");
  char line[64];
  MovieDlg_KeyLine(line, sizeof line, 2, 120, "歩く");
  EXPECT_STREQ(line, "002 :   120  歩く");
  MovieDlg_MotionLine(line, sizeof line, 7, "走る");
  EXPECT_STREQ(line, "007 走る");
}

TEST_F(MovieDlgTest, MessageZeroIsNeverEditedAndTextIsCutAtACharacter) {
  MovieObject *o = Actor(MOVIE_KIND_MESSAGE);
  u32 d = MOVIE_DIALOG_MES;
  std::string longText(254, 'a');
  longText += "あ";   // its second byte would be byte 256
  SetText(d, IDC_MOVIE_MES_TEXT, longText.c_str());
  g_WidgetFake.selection[Control(d, IDC_MOVIE_LIST)] = 2;
  MovieDlg_Command(d, IDC_MOVIE_MES_APPLY);
  EXPECT_EQ(std::string(g_Movie.messages[2]), std::string(254, 'a'));
  EXPECT_EQ(g_MovieScene.messageCount, 3);
  EXPECT_EQ(o->keys[0].number, 2);
  SetText(d, IDC_MOVIE_MES_TEXT, "x");
  g_WidgetFake.selection[Control(d, IDC_MOVIE_LIST)] = 0;
  MovieDlg_Command(d, IDC_MOVIE_MES_APPLY);
  EXPECT_STREQ(g_Movie.messages[0], "");
  EXPECT_EQ(o->keys[0].number, 0);
}

// [SECTION] folders

TEST_F(MovieDlgTest, FoldersInsideTheDataFolderOnly) {
  struct Case {
    const char *base, *chosen;
    bool ok;
    const char *rel;
  };
  const Case cases[] = {
      {"C:\\data", "C:\\data\\img\\sub", true, "img\\sub"}, {"C:\\data\\", "c:\\DATA\\img", true, "img"},
      {"C:\\data", "C:\\data", true, ""},                   {"C:\\data", "C:\\data2\\img", false, ""},
      {"C:\\data", "D:\\other", false, ""},                 {"/tmp/d", "/tmp/d/x/", true, "x"},
  };
  for (const Case &c : cases) {
    char out[256] = "unchanged";
    EXPECT_EQ(MovieDlg_RelativeFolder(c.base, c.chosen, out, sizeof out), c.ok) << c.chosen;
    if (c.ok) { EXPECT_STREQ(out, c.rel) << c.chosen; }
  }
  // "フォルダ" of the image dialog: inside sets the folder, outside is refused with a message.
  MovieObject *o = Actor(MOVIE_KIND_IMAGE);
  g_c.folder = std::string(g_Lib.dataDir) + "/pics";
  MovieDlg_Command(MOVIE_DIALOG_IMG, IDC_MOVIE_ACTOR_FOLDER);
  EXPECT_STREQ(o->folder, "pics");
  EXPECT_EQ(Text(MOVIE_DIALOG_IMG, IDC_MOVIE_ACTOR_FOLDER_TEXT), "pics");
  Boxes().clear();
  g_c.folder = "/elsewhere/pics";
  MovieDlg_Command(MOVIE_DIALOG_IMG, IDC_MOVIE_ACTOR_FOLDER);
  EXPECT_STREQ(o->folder, "pics");
  EXPECT_EQ(Boxes().size(), 1u);
}

// "次のKZV選択" and "BGM選択" keep what finds the file again: a name relative to the movie's
// folder, also one outside it (so that folders moved together still find it); the kept name is found beside the movie,
// in the data folder (names kept bare before) or from the current folder. The BGM found
// nowhere is said by its name.
TEST_F(MovieDlgTest, SceneFilesChosenAnywhereAreFoundAgain) {
  std::string movies = dir + "/movies", other = dir + "/other";
  ASSERT_EQ(system(("mkdir -p '" + movies + "/sub' '" + other + "'").c_str()), 0);
  auto Touch = [](const std::string &p) { FILE *f = fopen(p.c_str(), "wb"); if (f) fclose(f); };
  Touch(movies + "/sub/next.KZV");
  Touch(other + "/bgm.mid");
  Touch(dir + "/old.KZV");
  Str_Copy(g_MovieScene.movieFolder, sizeof g_MovieScene.movieFolder, movies.c_str());
  struct { std::string folder, name, kept, found; } const cases[] = {
      {movies + "/sub", "next.KZV", "sub/next.KZV", movies + "/sub/next.KZV"},
      {other, "bgm.mid", "../other/bgm.mid", other + "/bgm.mid"},
      {"/ignored", other + "/bgm.mid", "../other/bgm.mid", other + "/bgm.mid"},   // a full path as given
      {dir, "old.KZV", "../old.KZV", dir + "/old.KZV"},
  };
  for (const auto &c : cases) {
    char kept[256] = "", found[FILEDLG_TEXT] = "";
    ASSERT_TRUE(MovieDlg_KeepPath(c.folder.c_str(), c.name.c_str(), kept, sizeof kept)) << c.name;
    EXPECT_EQ(std::string(kept), c.kept);
    EXPECT_TRUE(MovieDlg_FindKeptPath(kept, found, sizeof found)) << kept;
    EXPECT_EQ(std::string(found), c.found);
  }
  // A bare name kept before: from the data folder, wherever the current folder is.
  ASSERT_EQ(chdir(other.c_str()), 0);
  char found[FILEDLG_TEXT] = "";
  EXPECT_TRUE(MovieDlg_FindKeptPath("old.KZV", found, sizeof found));
  EXPECT_EQ(std::string(found), dir + "/old.KZV");
  EXPECT_FALSE(MovieDlg_FindKeptPath("gone.KZV", found, sizeof found));
  EXPECT_EQ(std::string(found), movies + "/gone.KZV");
  char kept[16];
  EXPECT_FALSE(MovieDlg_KeepPath(other.c_str(), "a_name_too_long_for_it.mid", kept, sizeof kept));

  // Through "BGM選択" and "次のKZV選択": the dialog answers with a file of another folder,
  // whose folder it makes current, as the program's dialog does.
  static std::string s_answer;
  g_LibHooks.fileDlg.run = [](FileDlgRequest *req) {
    Str_Copy(req->file, FILEDLG_TEXT, s_answer.c_str());
    return true;
  };
  struct { u32 id; std::string answer, kept; const char *shown; } const picks[] = {
      {IDC_MOVIE_SCENE_BGM, other + "/bgm.mid", "../other/bgm.mid", "BGM : "},
      {IDC_MOVIE_SCENE_NEXT, movies + "/sub/next.KZV", "sub/next.KZV", "次のKZV : "},
  };
  for (const auto &p : picks) {
    s_answer = p.answer;
    MovieDlg_Command(MOVIE_DIALOG_SCENE, p.id);
    const char *kept = p.id == IDC_MOVIE_SCENE_BGM ? g_MovieScene.bgmFileName : g_MovieScene.nextName;
    EXPECT_EQ(std::string(kept), p.kept);
  }
  EXPECT_EQ(g_MovieScene.bgmPresent, 1);
  EXPECT_EQ(g_MovieScene.nextPresent, 1);

  Boxes().clear();
  Str_Copy(g_MovieScene.bgmFileName, sizeof g_MovieScene.bgmFileName, "gone.mid");
  EXPECT_FALSE(Movie_OpenBgm());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_NE(Boxes()[0].find("gone.mid"), std::string::npos) << Boxes()[0];
}

}  // namespace
