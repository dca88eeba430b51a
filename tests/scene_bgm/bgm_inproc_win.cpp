// The movie's BGM in the running program, through the platform's real MCI window: a MIDI file
// (Wine here has no synthesiser), a WAV, an AVI, a damaged file, a missing file, a movie that
// chains to one without a BGM, and a family switch while it plays. Each plays over a few loops
// of a short movie: there is never more than one MCI window, never one above the tool windows
// (a click at a tool window's button reaches the button and acts), a file that cannot be
// played leaves no window and is named once; after the stop no MCI window is left.
//
// With MIRAVEL_BGM_SHOTS=<folder> the screen is saved there as a BMP while each case plays and
// after it stopped.
#include <gtest/gtest.h>
#include <windows.h>
#include <vfw.h>

#include <stdio.h>

#include <string>
#include <vector>

#include "app/family.h"
#include "app/shell_view.h"
#include "lib/framework/d3dapp.h"
#include "lib/framework/lib.h"
#include "lib/framework/modal_hooks.h"
#include "resources/movie_edit_ids.h"
#include "resources/shell_ids.h"
#include "scene/kzv.h"
#include "scene/movie.h"
#include "scene/movie_edit.h"
#include "scene/movie_edit_win.h"
#include "tests/model/kz_files.h"
#include "tests/support/file_bytes.h"
#include "tests/support/screen_grab.h"
#include "tests/support/wine_drive.h"

namespace {

std::vector<std::string> g_boxes;
int AnswerBox(HWND, const char *text, const char *, UINT) {
  g_boxes.push_back(text);
  return IDYES;
}

HWND Dialog(u32 d) { return (HWND)g_MovieEditor.dialogs[d]; }

void Key(char k) {
  g_AppShell.keyLatch = 0;
  PostMessageA(g_Lib.mainWnd, WM_KEYUP, (WPARAM)k, 0);
  Drive_Pump(5);
}

// [SECTION] the process's MCI windows

BOOL CALLBACK CountMci(HWND w, LPARAM out) {
  char name[64] = "";
  GetClassNameA(w, name, sizeof name);
  if (lstrcmpiA(name, "MCIWndClass") == 0) ((std::vector<HWND> *)out)->push_back(w);
  return TRUE;
}

BOOL CALLBACK CountMciTree(HWND w, LPARAM out) {
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != GetCurrentProcessId()) return TRUE;
  CountMci(w, out);
  EnumChildWindows(w, CountMci, out);
  return TRUE;
}

std::vector<HWND> MciWindows() {
  std::vector<HWND> out;
  EnumWindows(CountMciTree, (LPARAM)&out);
  return out;
}

// [SECTION] files

// A MIDI file of one short note.
std::vector<u8> Midi() {
  return {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96, 'M', 'T', 'r', 'k', 0, 0, 0, 12,
          0, 0x90, 60, 64, 96, 0x80, 60, 64, 0, 0xFF, 0x2F, 0};
}

// A tenth of a second of 8-bit mono silence at 8000 Hz.
std::vector<u8> Wav() {
  Bytes b;
  const u32 n = 800;
  b.raw("RIFF", 4).u32_(36 + n).raw("WAVE", 4).raw("fmt ", 4).u32_(16);
  b.u16_(1).u16_(1).u32_(8000).u32_(8000).u16_(1).u16_(8);
  b.raw("data", 4).u32_(n);
  for (u32 i = 0; i < n; i++) b.u8_(128);
  return b.b;
}

// An uncompressed AVI of ten 32 x 32 frames at 10 a second, written by the platform.
bool WriteAvi(const std::string &path) {
  DeleteFileA(path.c_str());
  AVIFileInit();
  PAVIFILE file = nullptr;
  bool ok = AVIFileOpenA(&file, path.c_str(), OF_CREATE | OF_WRITE, nullptr) == 0;
  PAVISTREAM stream = nullptr;
  AVISTREAMINFOA info = {};
  info.fccType = streamtypeVIDEO;
  info.dwScale = 1;
  info.dwRate = 10;
  info.dwSuggestedBufferSize = 32 * 32 * 3;
  SetRect(&info.rcFrame, 0, 0, 32, 32);
  ok = ok && AVIFileCreateStreamA(file, &stream, &info) == 0;
  BITMAPINFOHEADER h = {sizeof h, 32, 32, 1, 24, BI_RGB, 32 * 32 * 3};
  ok = ok && AVIStreamSetFormat(stream, 0, &h, sizeof h) == 0;
  std::vector<u8> frame(32 * 32 * 3);
  for (int i = 0; ok && i < 10; i++) {
    for (size_t p = 0; p < frame.size(); p++) frame[p] = (u8)(p % 3 == 0 ? 255 : i * 20);
    ok = AVIStreamWrite(stream, i, 1, frame.data(), (LONG)frame.size(), AVIIF_KEYFRAME, nullptr, nullptr) == 0;
  }
  if (stream) AVIStreamRelease(stream);
  if (file) AVIFileRelease(file);
  AVIFileExit();
  return ok;
}

// [SECTION] the screen

void Shot(const std::string &name) {
  const char *folder = getenv("MIRAVEL_BGM_SHOTS");
  if (!folder) return;
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  std::vector<uint32_t> px = ScreenGrab_Rect(0, 0, w, h);
  Bytes b;
  b.raw("BM", 2).u32_(54 + (u32)px.size() * 4).u32_(0).u32_(54);
  b.u32_(40).i32_(w).i32_(-h).u16_(1).u16_(32).u32_(0).u32_((u32)px.size() * 4).u32_(0).u32_(0).u32_(0).u32_(0);
  for (uint32_t c : px) b.u32_(c);
  WriteFileBytes(std::string(folder) + "\\" + name + ".bmp", b.b);
}

// The movie dialog's "拡縮(G)" is reached by a click at its centre, and the click sets the mode.
void ClickReachesTheToolWindows(const char *when) {
  SCOPED_TRACE(when);
  HWND scale = GetDlgItem(Dialog(MOVIE_DIALOG_MAIN), IDC_MOVIE_MODE_SCALE);
  ASSERT_NE(scale, nullptr);
  RECT r;
  GetWindowRect(scale, &r);
  POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  EXPECT_EQ(WindowFromPoint(centre), scale);
  g_MovieEditor.mode = MOVIE_MODE_MOVE;
  Drive_Command(Dialog(MOVIE_DIALOG_MAIN), IDC_MOVIE_MODE_SCALE);
  Drive_Pump(3);
  EXPECT_EQ(g_MovieEditor.mode, MOVIE_MODE_SCALE);
}

// The movie as each case starts it: ten frames, looping, its BGM the file (none: empty).
void SetMovie(const std::string &bgm) {
  MovieScene &s = g_MovieScene;
  s.frameCount = 10;
  s.bgmPresent = bgm.empty() ? 0 : 1;
  Str_Copy(s.bgmFileName, sizeof s.bgmFileName, bgm.c_str());
  s.nextPresent = 0;
  s.nextName[0] = 0;
  s.chainFlag = 0;
  HWND key = Dialog(MOVIE_DIALOG_KEY);
  SetDlgItemTextA(key, IDC_MOVIE_PLAY_START, "0");
  SetDlgItemTextA(key, IDC_MOVIE_PLAY_END, "10");
  CheckDlgButton(key, IDC_MOVIE_LOOP, BST_CHECKED);
}

struct BgmCase {
  const char *what;
  std::string file;    // the BGM (a full path)
  bool plays;          // the platform here plays it (false: it is named once, no window)
  bool video;          // shown in the main window
};

}  // namespace

TEST(MovieBgmWin, EveryBgmLeavesNoWindowAndTheToolsInReach) {
  ASSERT_NO_FATAL_FAILURE(Drive_StartOwnFamily("miravel_settings_bgm", Movie_InstallWin, IDC_EDIT_MOVIE,
                                               FAMILY_MOVIE, AnswerBox, Drive_AnswerFile));
  std::string mid = Drive_Temp("miravel_bgm.mid"), wav = Drive_Temp("miravel_bgm.wav");
  std::string avi = Drive_Temp("miravel_bgm.AVI"), bad = Drive_Temp("miravel_bgm_bad.AVI");
  std::string gone = Drive_Temp("miravel_bgm_gone.mid"), next = Drive_Temp("miravel_bgm_next.kzv");
  ASSERT_TRUE(WriteFileBytes(mid, Midi()));
  ASSERT_TRUE(WriteFileBytes(wav, Wav()));
  ASSERT_TRUE(WriteAvi(avi));
  ASSERT_TRUE(WriteFileBytes(bad, std::string("RIFF\x10\0\0\0AVI LIST garbage", 24)));
  DeleteFileA(gone.c_str());
  // Whether the platform plays music and video here (MIDI: no synthesiser under Wine).
  const bool wavPlays = Movie_OpenVideoWindow(wav.c_str(), 0), aviPlays = Movie_OpenVideoWindow(avi.c_str(), 0);
  Movie_CloseVideoWindow();
  const bool midPlays = Movie_OpenVideoWindow(mid.c_str(), 0);
  Movie_CloseVideoWindow();
  EXPECT_TRUE(MciWindows().empty());
  fprintf(stderr, "plays here: midi %d, wav %d, avi %d\n", midPlays, wavPlays, aviPlays);
  const BgmCase cases[] = {
      {"midi", mid, midPlays, false},   {"wav", wav, wavPlays, false}, {"avi", avi, aviPlays, true},
      {"damaged", bad, false, true},    {"missing", gone, false, false},
  };
  for (const BgmCase &c : cases) {
    SCOPED_TRACE(c.what);
    SetMovie(c.file);
    g_boxes.clear();
    Key('A');
    ASSERT_EQ(g_Movie.playState, (u32)MOVIE_PLAYING);
    // Several loops of the movie (each reopens the BGM), looked at on the way.
    size_t most = 0;
    Drive_PumpUntil([&] {
      most = std::max(most, MciWindows().size());
      return false;
    }, 1500);
    EXPECT_LE(most, 1u);
    std::vector<HWND> open = MciWindows();
    // Music leaves the library drawing; only a video stops it.
    EXPECT_EQ(g_D3DApp.videoActive, c.plays && c.video ? 1 : 0);
    if (c.plays) {
      EXPECT_TRUE(g_boxes.empty()) << g_boxes[0];
      ASSERT_EQ(open.size(), 1u);
      EXPECT_TRUE(GetParent(open[0]) == g_Lib.mainWnd || GetWindow(open[0], GW_OWNER) == g_Lib.mainWnd);
      EXPECT_EQ(IsWindowVisible(open[0]) != 0, c.video);
      // A video lies above the main window, whose drawing would cover it (below the tools).
      bool above = false;
      for (HWND h = open[0]; h && !above; h = GetWindow(h, GW_HWNDNEXT)) above = h == g_Lib.mainWnd;
      EXPECT_EQ(above, c.video);
    } else {
      EXPECT_TRUE(open.empty());
      ASSERT_EQ(g_boxes.size(), 1u);
      EXPECT_NE(g_boxes[0].find(c.file.substr(c.file.find_last_of('\\') + 1)), std::string::npos) << g_boxes[0];
    }
    for (const std::string &b : g_boxes) fprintf(stderr, "%s: box %s\n", c.what, b.c_str());
    ClickReachesTheToolWindows("while playing");
    Shot(std::string("bgm_") + c.what + "_playing");
    Key('A');
    EXPECT_EQ(g_Movie.playState, (u32)MOVIE_STOPPED);
    EXPECT_TRUE(MciWindows().empty());
    EXPECT_EQ(g_D3DApp.videoActive, 0);
    Drive_Pump(20);   // a late stop notice opens nothing again
    EXPECT_TRUE(MciWindows().empty());
    ClickReachesTheToolWindows("stopped");
    Shot(std::string("bgm_") + c.what + "_stopped");
  }

  // A movie with the AVI chains to one without a BGM: the window goes with the first movie.
  SetMovie("");
  ASSERT_TRUE(Kzv_Write(next.c_str()));
  SetMovie(avi);
  g_MovieScene.nextPresent = 1;
  Str_Copy(g_MovieScene.nextName, sizeof g_MovieScene.nextName, next.c_str());
  g_MovieScene.chainFlag = 1;
  Key('A');
  if (aviPlays) { EXPECT_EQ(MciWindows().size(), 1u); }
  ASSERT_TRUE(Drive_PumpUntil([] { return g_MovieScene.bgmPresent == 0; }, 5000)) << "no chain";
  Drive_Pump(20);
  EXPECT_TRUE(MciWindows().empty());
  ClickReachesTheToolWindows("chained");
  Shot("bgm_chained");
  Key('A');

  // A family switch while the AVI plays closes its window.
  SetMovie(avi);
  Key('A');
  Drive_Pump(10);
  Drive_Command(g_EditDlg.window, IDC_EDIT_PREVIEW);
  Drive_Pump(20);
  EXPECT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_PREVIEW);
  EXPECT_TRUE(MciWindows().empty());
  EXPECT_EQ(g_D3DApp.videoActive, 0);
  Shot("bgm_family_switch");
  for (const std::string &f : {mid, wav, avi, bad, next}) DeleteFileA(f.c_str());
  SendMessageA(g_Lib.mainWnd, WM_CLOSE, 0, 0);
  Drive_Pump(20);
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
