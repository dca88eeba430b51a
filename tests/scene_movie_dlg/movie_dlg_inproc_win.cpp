// The movie editor's dialogs inside the running shell, driven by messages with answering
// file and folder dialogs: an image actor gets its folder (a subfolder of the data folder),
// a PNG and its fields; a sound actor slot 3's WAV; a message actor message 2; the key dialog
// a frame count of 300, two page-rights to frame 120, a click on the image's row and a key
// there; a right drag of the camera target in the Top view shows in the open camera dialog,
// whose "決定" untouched keeps the key exact. The saved KZV, read back by tools/modeldump,
// holds all of it; reopening it shows the image again; the key dialog shows the movie strip's
// canvas.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/current.h"
#include "app/family.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/shell_win.h"
#include "app/strip.h"
#include "app/strip_state.h"
#include "app/views.h"
#include "lib/framework/d3dapp.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "lib/framework/view_record.h"
#include "lib/media/dialogs.h"
#include "resources/movie_edit_ids.h"
#include "resources/shell_ids.h"
#include "scene/movie.h"
#include "scene/movie_edit.h"
#include "scene/movie_edit_win.h"
#include "tests/support/file_bytes.h"
#include "tests/support/wine_drive.h"

namespace {

std::vector<std::string> g_boxes;
int AnswerBox(HWND, const char *text, const char *, UINT) {
  g_boxes.push_back(text);
  return IDYES;
}

std::string g_pics;   // the folder the folder chooser answers with
bool AnswerFolder(const char *, char *out) {
  Str_Copy(out, FILEDLG_TEXT, g_pics.c_str());
  return true;
}

HWND Dialog(u32 d) { return (HWND)g_MovieEditor.dialogs[d]; }

// A short 8-bit mono PCM WAV.
std::vector<u8> Wav() {
  ByteWriter w = {};
  WriteWavHeader(&w, 1, 8000, 8, 64);
  for (int i = 0; i < 64; i++) Wr_U8(&w, (u8)(128 + (i % 8) * 8));
  return TakeWriterBytes(&w);
}

// The key dialog's time line as shown equals the strip's canvas (sampled over the rows).
bool TimeLineShowsCanvas(HWND key, int *diff) {
  Drive_DeviceIdle();
  RECT r;
  GetClientRect(key, &r);
  HDC dc = GetDC(key);
  *diff = 0;
  for (int y = 90; y < r.bottom && y < 84 + 25 * 6; y += 5)
    for (int x = 230; x < r.right && x < STRIP_CANVAS_W; x += 9) {
      u32 c = g_StripCanvas[(size_t)y * STRIP_CANVAS_W + (size_t)x];
      if (GetPixel(dc, x, y) != RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF)) ++*diff;
    }
  ReleaseDC(key, dc);
  return *diff == 0;
}

// Frames the device draws while CountFrames(true) holds: through the render table's end of
// scene, the table's own entry called first.
int g_frames;
void (*g_tableEndScene)(void);
void CountingEndScene(void) {
  g_tableEndScene();
  g_frames++;
}
void CountFrames(bool on) {
  if (on && g_Dev.render.endScene != CountingEndScene) {
    g_tableEndScene = g_Dev.render.endScene;
    g_Dev.render.endScene = CountingEndScene;
  } else if (!on && g_Dev.render.endScene == CountingEndScene) {
    g_Dev.render.endScene = g_tableEndScene;
  }
  g_frames = 0;
}

std::string MainTitle() {
  char text[600] = {};
  GetWindowTextA(g_Lib.mainWnd, text, sizeof text);
  return text;
}

std::string Title(const char *name, const char *version) {
  return std::string(" ") + g_AppCaption + "   " + name + " ( Ver " + version + " )";
}

}  // namespace

TEST(MovieDlgWin, ActorsSoundMessageKeysSavedAndReopened) {
  g_ModalHooks.messageBox = AnswerBox;
  ASSERT_TRUE(Drive_StartOwn("miravel_settings_movie_dlg", Movie_InstallWin));
  g_LibHooks.fileDlg.run = Drive_AnswerRequest;
  g_LibHooks.fileDlg.browseFolder = AnswerFolder;

  // A 2-bit palette PNG (which the platform decoder refuses) in a subfolder of the data folder.
  g_pics = std::string(g_Lib.dataDir) + "\\miravel_movie_pics";
  // The picture folder is under the data folder: a run that failed or was stopped half-way
  // must leave nothing there that the next run meets.
  void (*dropPics)() = [] {
    DeleteFileA((g_pics + "\\pic.png").c_str());
    RemoveDirectoryA(g_pics.c_str());
  };
  dropPics();
  struct DropAtEnd {
    void (*drop)();
    ~DropAtEnd() { drop(); }
  } dropAtEnd{dropPics};
  CreateDirectoryA(g_pics.c_str(), nullptr);
  ASSERT_TRUE(CopyFileA(SourcePath("tests/data/images/pal2.png").c_str(), (g_pics + "\\pic.png").c_str(), FALSE));
  ASSERT_TRUE(WriteFileBytes(Drive_Temp("miravel_se.wav"), Wav()));

  Drive_Command((HWND)g_EditDlg.window, IDC_EDIT_MOVIE);
  Drive_Pump(50);
  ASSERT_EQ(g_Shell.g_EditFamily, (u32)FAMILY_MOVIE);

  // "２Ｄイメージ 追加": object 2 with its dialog shown; folder, file, fields and "決定".
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_MOVIE_ADD_IMAGE, 0);
  Drive_Pump(5);
  ASSERT_EQ(g_Movie.objectCount, 3);
  HWND img = Dialog(MOVIE_DIALOG_IMG);
  EXPECT_TRUE(IsWindowVisible(img));
  Drive_Command(img, IDC_MOVIE_ACTOR_FOLDER);
  char text[300] = {};
  GetDlgItemTextA(img, IDC_MOVIE_ACTOR_FOLDER_TEXT, text, sizeof text);
  EXPECT_STREQ(text, "miravel_movie_pics");
  g_DriveFolder = g_pics;
  g_DriveAnswer = "pic.png";
  g_boxes.clear();
  Drive_Command(img, IDC_MOVIE_ACTOR_FILE);
  EXPECT_TRUE(g_boxes.empty()) << (g_boxes.empty() ? "" : g_boxes[0]);
  const MovieObject *o = g_Movie.objects[2];
  EXPECT_STREQ(o->fileName, "pic.png");
  EXPECT_STREQ(o->name, "pic.png");
  EXPECT_EQ(g_MovieImages[2].loaded, 1u);
  // The Pers view shows it at its key (320, 240) of the 640 x 480 frame, centred in the view:
  // 16 x 16 pixels, (200, 40, 40) left of the centre and (40, 40, 200) right of it.
  HWND pers = (HWND)g_Shell.g_Views[g_Shell.g_EditSubMode][4].window;
  RECT pr;
  GetClientRect(pers, &pr);
  int cx = pr.right / 2, cy = pr.bottom / 2;
  EXPECT_TRUE(Drive_PumpUntilShown([&] { return Drive_WindowPixel(pers, cx - 5, cy) == RGB(200, 40, 40); }, 3000));
  EXPECT_EQ(Drive_WindowPixel(pers, cx + 5, cy), RGB(40, 40, 200));
  Drive_Pump(5);
  GetDlgItemTextA(img, IDC_MOVIE_ACTOR_FILE_TEXT, text, sizeof text);
  EXPECT_STREQ(text, "pic.png");
  SetDlgItemTextA(img, IDC_MOVIE_ACTOR_NAME, "看板");
  SetDlgItemTextA(img, IDC_MOVIE_ACTOR_X, "100");
  const char *colours[4] = {"10", "20", "300", "-5"};
  for (int i = 0; i < 4; i++) SetDlgItemTextA(img, IDC_MOVIE_ACTOR_COLOR_R + i, colours[i]);
  Drive_Command(img, IDC_MOVIE_ACTOR_APPLY);
  EXPECT_STREQ(o->name, "看板");
  EXPECT_EQ(o->keys[0].position[0], 100.0f);
  EXPECT_EQ(o->keys[0].color[2], 255.0f);

  // "効果音 追加": slot 3 of the list gets the WAV; "決定" gives the key sound 3.
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_MOVIE_ADD_SOUND, 0);
  Drive_Pump(5);
  HWND wave = Dialog(MOVIE_DIALOG_WAVE);
  EXPECT_TRUE(IsWindowVisible(wave));
  SendDlgItemMessageA(wave, IDC_MOVIE_WAVE_LIST, LB_SETCURSEL, 3, 0);
  g_DriveFolder.clear();
  g_DriveAnswer = "miravel_se.wav";
  Drive_Command(wave, IDC_MOVIE_WAVE_FILE);
  Drive_Pump(5);   // the refill after the change selects the key's sound (0) first
  SendDlgItemMessageA(wave, IDC_MOVIE_WAVE_LIST, LB_SETCURSEL, 3, 0);
  Drive_Command(wave, IDC_MOVIE_WAVE_APPLY);
  EXPECT_STREQ(g_MovieScene.soundFileNames[3], "miravel_se.wav");
  EXPECT_EQ(g_MovieScene.soundCount, 4);
  EXPECT_EQ(g_Movie.objects[3]->keys[0].number, 3);
  Drive_Pump(5);
  // Kept with its folder as the movie finds it again (the temporary folder lies outside the
  // data folder of a new movie).
  const std::string temp = Drive_TempDir().substr(0, Drive_TempDir().size() - 1);
  EXPECT_STREQ(g_MovieScene.soundFolders[3], temp.c_str());
  EXPECT_EQ(Drive_ListText(GetDlgItem(wave, IDC_MOVIE_WAVE_LIST), 3), "003 : " + temp + " / miravel_se.wav");

  // "メッセージ 追加": message 2 typed and "決定".
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_MOVIE_ADD_MESSAGE, 0);
  Drive_Pump(5);
  HWND mes = Dialog(MOVIE_DIALOG_MES);
  SendDlgItemMessageA(mes, IDC_MOVIE_LIST, LB_SETCURSEL, 2, 0);
  SetDlgItemTextA(mes, IDC_MOVIE_MES_TEXT, "hello movie");
  Drive_Command(mes, IDC_MOVIE_MES_APPLY);
  EXPECT_STREQ(g_Movie.messages[2], "hello movie");
  EXPECT_EQ(g_Movie.objects[4]->keys[0].number, 2);

  // The key dialog: 300 frames, two page-rights to frame 120, a click on the image's row
  // at frame 120 (x 230 + 120 * 10 / 8) and "キー作成".
  HWND key = Dialog(MOVIE_DIALOG_KEY);
  SetDlgItemTextA(key, IDC_MOVIE_KEY_FRAMES, "300");
  Drive_Command(key, IDC_MOVIE_KEY_FRAMES_APPLY);
  EXPECT_EQ(g_MovieScene.frameCount, 300);
  HWND bar = GetDlgItem(key, IDC_MOVIE_SCROLL);
  int lo = -1, hi = -1;
  GetScrollRange(bar, SB_CTL, &lo, &hi);
  EXPECT_EQ(hi, 300);
  for (int i = 0; i < 2; i++) SendMessageA(key, WM_HSCROLL, SB_PAGERIGHT, (LPARAM)bar);
  EXPECT_EQ(g_MovieScene.frame, 120);
  Drive_Click(key, WM_LBUTTONDOWN, WM_LBUTTONUP, 380, 84 + 5 + 2 * 25 + 10);
  EXPECT_EQ(g_Sel.g_CurSlot, 2u);
  EXPECT_EQ(g_MovieScene.frame, 120);
  EXPECT_TRUE(IsWindowVisible(img));
  EXPECT_FALSE(IsWindowVisible(mes));
  Drive_Command(key, IDC_MOVIE_KEY_CREATE);
  ASSERT_EQ(o->keyCount, 2);
  EXPECT_EQ(o->keys[1].frame, 120);
  int diff = 0;
  EXPECT_TRUE(Drive_PumpUntilShown([&] { return TimeLineShowsCanvas(key, &diff); }, 3000)) << diff << " pixels differ";

  // The title names the new movie: its file name and version.
  EXPECT_TRUE(Drive_PumpUntil([] { return MainTitle() == Title("新規.KZV", "2006.060"); }, 3000)) << MainTitle();

  // The image dialog closed by "閉じる" comes back when the image becomes current again.
  Drive_Command(img, IDC_MOVIE_DLG_CLOSE);
  EXPECT_EQ(Dialog(MOVIE_DIALOG_IMG), nullptr);
  Drive_Click(key, WM_LBUTTONDOWN, WM_LBUTTONUP, 380, 84 + 3 * 25 + 10);   // the sound actor
  Drive_Click(key, WM_LBUTTONDOWN, WM_LBUTTONUP, 380, 84 + 2 * 25 + 10);   // the image again
  img = Dialog(MOVIE_DIALOG_IMG);
  ASSERT_NE(img, nullptr);
  EXPECT_TRUE(IsWindowVisible(img));

  // Rows dragged up 30 pixels with the right button: a click 12 pixels into row 3 where it is
  // now drawn (84 - 30 + 3 * 25) picks the sound actor, and the window shows its yellow
  // current-frame box there (x 230 + 120 * 10 / 8 + 2).
  SendMessageA(key, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(600, 200));
  SendMessageA(key, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(600, 170));
  SendMessageA(key, WM_RBUTTONUP, 0, MAKELPARAM(600, 170));
  EXPECT_EQ(g_Strip.g_StripGeo.offsetY, -30);
  Drive_Click(key, WM_LBUTTONDOWN, WM_LBUTTONUP, 380, 84 - 30 + 3 * 25 + 12);
  EXPECT_EQ(g_Sel.g_CurSlot, 3u);
  EXPECT_TRUE(IsWindowVisible(wave));
  EXPECT_TRUE(Drive_PumpUntilShown([&] { return Drive_WindowPixel(key, 382, 84 - 30 + 3 * 25 + 12) == RGB(255, 255, 0); }, 3000));
  // The frame scroll bar's page steps: 60 frames either way.
  SendMessageA(key, WM_HSCROLL, SB_PAGELEFT, (LPARAM)bar);
  EXPECT_EQ(g_MovieScene.frame, 60);
  SendMessageA(key, WM_HSCROLL, SB_PAGERIGHT, (LPARAM)bar);
  EXPECT_EQ(g_MovieScene.frame, 120);
  SendMessageA(key, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(600, 170));
  SendMessageA(key, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(600, 200));
  SendMessageA(key, WM_RBUTTONUP, 0, MAKELPARAM(600, 200));
  Drive_Click(key, WM_LBUTTONDOWN, WM_LBUTTONUP, 380, 84 + 2 * 25 + 10);
  ASSERT_EQ(g_Sel.g_CurSlot, 2u);

  // The camera current; a right drag in the Top view moves its target at frame 120, and the
  // open "カメラ" dialog shows the moved target; "決定" untouched then keeps the key exact.
  Drive_Click(key, WM_LBUTTONDOWN, WM_LBUTTONUP, 380, 84 + 1 * 25 + 10);
  ASSERT_EQ(g_Sel.g_CurSlot, 1u);
  HWND cam = Dialog(MOVIE_DIALOG_CAM);
  ASSERT_TRUE(cam && IsWindowVisible(cam));
  HWND top = nullptr;
  for (u32 i = 1; i < VIEWS_PER_LAYOUT; i++) {
    const ViewRecord &v = g_Shell.g_Views[g_Shell.g_EditSubMode][i];
    if (v.kind == VIEW_TOP && v.window) top = (HWND)v.window;
  }
  ASSERT_NE(top, nullptr);
  SendMessageA(top, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(100, 100));
  SendMessageA(top, WM_MOUSEMOVE, MK_RBUTTON, MAKELPARAM(130, 80));
  SendMessageA(top, WM_RBUTTONUP, 0, MAKELPARAM(130, 80));
  MovieObject *camera = g_Movie.objects[1];
  MovieKey *ck = nullptr;
  for (i32 k = 0; k < camera->keyCount; k++)
    if (camera->keys[k].frame == 120) ck = &camera->keys[k];
  ASSERT_NE(ck, nullptr);
  EXPECT_NE(ck->target[0], 0.0f);
  char at[64];
  snprintf(at, sizeof at, "%3.3f", (double)ck->target[0]);
  EXPECT_TRUE(Drive_PumpUntil([&] {
    GetDlgItemTextA(cam, IDC_MOVIE_CAM_AT_X, text, sizeof text);
    return strcmp(text, at) == 0;
  }, 3000)) << text << " shown, " << at << " held";
  ck->target[2] = 1.23456f;
  g_MovieEditor.refresh[MOVIE_DIALOG_CAM] = 1;
  EXPECT_TRUE(Drive_PumpUntil([&] {
    GetDlgItemTextA(cam, IDC_MOVIE_CAM_AT_Z, text, sizeof text);
    return strcmp(text, "1.235") == 0;
  }, 3000)) << text;
  const MovieKey held = *ck;
  Drive_Command(cam, IDC_MOVIE_CAM_APPLY);
  EXPECT_EQ(memcmp(&held, ck, sizeof held), 0);
  Drive_Click(key, WM_LBUTTONDOWN, WM_LBUTTONUP, 380, 84 + 2 * 25 + 10);
  ASSERT_EQ(g_Sel.g_CurSlot, 2u);

  // Saved: tools/modeldump shows the image's folder, file and colour, sound 3, message 2,
  // 300 frames and the key at frame 120.
  std::string saved = Drive_Temp("miravel_movie_dlg.kzv");
  DeleteFileA(saved.c_str());
  g_DriveAnswer = "miravel_movie_dlg.kzv";
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZV_SAVE, 0);
  Drive_Pump(5);
  std::string json = Drive_ModelDump(saved);
  // Saved under a new name: the title names that file.
  EXPECT_TRUE(Drive_PumpUntil([&] { return MainTitle() == Title("miravel_movie_dlg.kzv", "2006.060"); }, 3000)) << MainTitle();
  for (const char *want : {"\"frameCount\":300", "\"folder\":\"miravel_movie_pics\"", "\"fileName\":\"pic.png\"",
                           "\"color\":[10,20,255,0]", "[\"\",\"miravel_se.wav\"]", "\"hello movie\"", "\"frame\":120"})
    EXPECT_NE(json.find(want), std::string::npos) << want << "\n" << json;

  // Reopened while the application is paused (as while its menu is open), the image loaded
  // again from its folder: the loop then only waits for messages and draws nothing, and the
  // drivers' passes still come back; resumed, every view is drawn.
  D3DApp_Pause(true);
  CountFrames(true);
  App_MarkAllRedraw(View_CurrentLayout());
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_MOVIE_NEW, 0);
  Drive_Pump(5);
  EXPECT_EQ(g_Movie.objectCount, 2);
  g_boxes.clear();
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_KZV_OPEN, 0);
  Drive_Pump(5);
  EXPECT_EQ(g_frames, 0);
  D3DApp_Pause(false);
  EXPECT_TRUE(Drive_PumpUntil([] { return g_frames >= 5; }, 3000)) << g_frames << " frames drawn";
  CountFrames(false);
  ASSERT_EQ(g_Movie.objectCount, 5);
  EXPECT_STREQ(g_Movie.objects[2]->fileName, "pic.png");
  EXPECT_EQ(g_MovieImages[2].loaded, 1u);

  Drive_Hold("MIRAVEL_MOVIE_HOLD");

  DeleteFileA(saved.c_str());
  DeleteFileA(Drive_Temp("miravel_se.wav").c_str());
  DeleteFileA((g_pics + "\\pic.png").c_str());
  RemoveDirectoryA(g_pics.c_str());
  Drive_Command((HWND)g_EditDlg.window, IDC_EDIT_PREVIEW);
  Drive_Pump(20);
  SendMessageA(g_Lib.mainWnd, WM_CLOSE, 0, 0);
  Drive_Pump(20);
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
