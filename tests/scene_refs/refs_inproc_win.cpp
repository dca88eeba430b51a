// The files a document names, walked through the running program as a user meets them: each
// is chosen in folder A through the program's own dialogs, the document is saved in folder B,
// the document is opened again from B with another folder current (read anew from the file:
// nothing of the first choice is left in memory), everything it names is found and saving
// again writes the same bytes; then A and B move together under a new parent and the
// document still finds everything; the shipped object set, whose names are bare, opens whole
// from elsewhere; and a file removed from A is named in one message while
// the rest opens and its name survives a save. The kinds of reference walked are those of
// the formats' own tables: the object set's models, the collision set's model and character
// models, the map's tiles, the movie's image actor, 3D model actor and sound slot.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/family.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/objmotion.h"
#include "edit3d/undo_win.h"
#include "app/shell_sel.h"
#include "app/shell_win.h"
#include "app/startup_win.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "lib/media/sound.h"
#include "model/kzo.h"
#include "model/model3.h"
#include "resources/edit3d_ids.h"
#include "resources/edit3d_obj_ids.h"
#include "resources/map2_ids.h"
#include "resources/movie_edit_ids.h"
#include "resources/shell_ids.h"
#include "scene/coli.h"
#include "scene/coli_edit_win.h"
#include "scene/map2.h"
#include "scene/movie.h"
#include "scene/movie_edit.h"
#include "scene/movie_edit_win.h"
#include "tests/support/draw_device_win.h"
#include "tests/support/file_bytes.h"
#include "tests/support/wine_drive.h"

namespace {

std::vector<std::string> g_boxes;
int AnswerBox(HWND, const char *text, const char *, UINT) {
  g_boxes.push_back(text);
  return IDYES;
}

// Answers as the real dialog does: the full path, the bare name, and the chosen folder left
// current.
std::string g_answer;
BOOL AnswerFile(OPENFILENAMEA *ofn) {
  size_t cut = g_answer.find_last_of('\\');
  Str_Copy(ofn->lpstrFile, ofn->nMaxFile, g_answer.c_str());
  if (ofn->lpstrFileTitle) Str_Copy(ofn->lpstrFileTitle, ofn->nMaxFileTitle, g_answer.substr(cut + 1).c_str());
  SetCurrentDirectoryA(g_answer.substr(0, cut).c_str());
  return TRUE;
}

void Menu(int command, const std::string &answer) {
  g_answer = answer;
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, (WPARAM)command, 0);
  Drive_Pump(5);
}

void Press(void *dialog, int id, const std::string &answer) {
  g_answer = answer;
  Drive_Command(dialog, id);
  Drive_Pump(5);
}

void InstallScenes(void) {
  Undo_InstallWin();
  Ed3D_InstallWin();
  Coli_InstallWin();
  Map2_InstallWin();
  Movie_InstallWin();
}

void Enter(int button, u32 family) {
  Drive_Command(g_EditDlg.window, button);
  Drive_Pump(30);
  ASSERT_EQ(g_Shell.g_EditFamily, family);
}

std::string Boxes() {
  std::string all;
  for (const std::string &b : g_boxes) all += b + " | ";
  return all;
}

// The folders of the walk: P\A holds the files, P\B the documents, C is made current before
// each open; P moves to Q.
struct Folders {
  std::string root, a, b, c, movedA, movedB;
  void Make() {
    root = Drive_Temp("miravel_refs") + std::to_string(GetCurrentProcessId());
    Drive_RunTool("cmd /c rmdir /s /q \"" + root + "\"");
    for (const char *d : {"", "\\p", "\\p\\A", "\\p\\B", "\\c"}) CreateDirectoryA((root + d).c_str(), nullptr);
    a = root + "\\p\\A", b = root + "\\p\\B", c = root + "\\c";
    movedA = root + "\\q\\A", movedB = root + "\\q\\B";
  }
  bool Move(bool back) {
    std::string p = root + "\\p", q = root + "\\q";
    return back ? MoveFileA(q.c_str(), p.c_str()) : MoveFileA(p.c_str(), q.c_str());
  }
};

}  // namespace

TEST(RefsInProcess, FilesChosenInOneFolderAreFoundFromAnyOther) {
  Folders f;
  f.Make();
  ASSERT_TRUE(Drive_WriteCube(f.a + "\\box.KZP"));
  ASSERT_TRUE(CopyFileA(SourcePath("tests/golden/draw/textures.png").c_str(), (f.a + "\\tile.png").c_str(), FALSE));
  ByteWriter w = {};
  WriteWavHeader(&w, 1, 8000, 8, 64);
  for (int i = 0; i < 64; i++) Wr_U8(&w, (u8)(128 + (i % 8) * 8));
  ASSERT_TRUE(WriteFileBytes(f.a + "\\se.wav", w.data, w.size));
  Wr_Free(&w);

  ASSERT_NO_FATAL_FAILURE(Drive_StartOwnFamily("miravel_settings_refs", InstallScenes, IDC_EDIT_COLLISION,
                                               FAMILY_COLLISION, AnswerBox, AnswerFile));
  g_boxes.clear();

  // [object set] an object's model from A, in the 3D model editor's object sub-mode.
  ASSERT_NO_FATAL_FAILURE(Enter(IDC_EDIT_3D_MODEL, FAMILY_3D_MODEL));
  SendMessageA((HWND)g_Ed3D.modePanel, WM_COMMAND, MAKEWPARAM(IDC_M3D_OBJECT, BN_CLICKED), 0);
  Drive_Pump(20);
  ASSERT_EQ(g_Shell.g_EditSubMode, (u32)SUB_3D_OBJMOTION);
  ASSERT_NE(g_Obj3Sets[0], nullptr);
  const i32 part = Kzo_ObjectCount(g_Obj3Sets[0]);   // the set the sub-mode shows, and one more
  Press(Ed3DObjMotionEditor.listDlg, IDC_OLIST_ADD, f.a + "\\box.KZP");
  ASSERT_EQ(g_Obj3Sets[0]->objectCount, part + 1);
  Menu(IDM_KZO_SAVE, f.b + "\\set.KZO");
  EXPECT_STREQ(g_Obj3Sets[0]->parts[part].path, "..\\A\\box.KZP");
  std::vector<u8> kzo = ReadFileBytes(f.b + "\\set.KZO");
  auto openObjects = [&](const std::string &folder) {
    SetCurrentDirectoryA(f.c.c_str());
    Menu(IDM_KZO_OPEN, folder + "\\set.KZO");
    ASSERT_NE(g_Obj3PartModels[0][part], nullptr);
    EXPECT_EQ(g_Obj3PartModels[0][part]->polygonCount, 6) << folder;
  };
  openObjects(f.b);
  Menu(IDM_KZO_SAVE, f.b + "\\set.KZO");
  EXPECT_EQ(ReadFileBytes(f.b + "\\set.KZO"), kzo);
  EXPECT_TRUE(g_boxes.empty()) << Boxes();
  // The shipped set names its models bare, beside it: opened with another folder current it
  // is whole.
  SetCurrentDirectoryA(f.c.c_str());
  Menu(IDM_KZO_OPEN, std::string(g_Lib.dataDir) + "\\0.KZO");
  ASSERT_NE(g_Obj3Sets[0], nullptr);
  ASSERT_GT(Kzo_ObjectCount(g_Obj3Sets[0]), 1);
  for (i32 p = 1; p < Kzo_ObjectCount(g_Obj3Sets[0]); p++)
    if (g_Obj3PartLoaded[0][p] == 1) EXPECT_GT(g_Obj3PartModels[0][p]->polygonCount, 0) << p;
  EXPECT_TRUE(g_boxes.empty()) << Boxes();
  ASSERT_NO_FATAL_FAILURE(Enter(IDC_EDIT_COLLISION, FAMILY_COLLISION));

  // [collision] the collision model and the background (character 0's slot) from A.
  Menu(IDM_COLI_KZP_OPEN, f.a + "\\box.KZP");
  Menu(IDM_BACK_KZP_OPEN, f.a + "\\box.KZP");
  ASSERT_NE(g_Coli.doc, nullptr);
  Menu(IDM_KZC_SAVE, f.b + "\\set.KZC");
  EXPECT_STREQ(g_Coli.doc->modelName, "..\\A\\box.KZP");
  std::vector<u8> kzc = ReadFileBytes(f.b + "\\set.KZC");
  auto openSet = [&](const std::string &folder) {
    SetCurrentDirectoryA(f.c.c_str());
    Menu(IDM_KZC_OPEN, folder + "\\set.KZC");
  };
  openSet(f.b);
  ASSERT_NE(g_Coli.doc->model, nullptr);
  EXPECT_EQ(g_Coli.doc->model->polygonCount, 6);
  ASSERT_NE(g_Model3Slots[COLI_FIRST_CHARACTER], nullptr);
  EXPECT_EQ(g_Model3Slots[COLI_FIRST_CHARACTER]->polygonCount, 6);
  Menu(IDM_KZC_SAVE, f.b + "\\set.KZC");
  EXPECT_EQ(ReadFileBytes(f.b + "\\set.KZC"), kzc);
  EXPECT_TRUE(g_boxes.empty()) << Boxes();

  // [map] a tile from A.
  ASSERT_NO_FATAL_FAILURE(Enter(IDC_EDIT_2D_MAP, FAMILY_2D_MAP));
  Press(g_Map2Editor.dialog, IDC_MAP2_ADD, f.a + "\\tile.png");
  ASSERT_EQ(g_Map2Editor.doc->tileCount, 3);
  Menu(IDM_MAP2_SAVE, f.b + "\\m.MAP2");
  EXPECT_STREQ(g_Map2Editor.doc->names[2], "..\\A\\tile.png");
  std::vector<u8> map2 = ReadFileBytes(f.b + "\\m.MAP2");
  auto openMap = [&](const std::string &folder) {
    SetCurrentDirectoryA(f.c.c_str());
    Menu(IDM_MAP2_OPEN, folder + "\\m.MAP2");
  };
  openMap(f.b);
  EXPECT_EQ(g_Map2Editor.tiles[2].loaded, 1u);
  EXPECT_EQ(g_Map2Editor.tiles[0].loaded, 1u);   // the sample tiles of the data folder
  Menu(IDM_MAP2_SAVE, f.b + "\\m.MAP2");
  EXPECT_EQ(ReadFileBytes(f.b + "\\m.MAP2"), map2);
  EXPECT_TRUE(g_boxes.empty()) << Boxes();

  // [movie] an image actor, a 3D model actor and sound slot 1, each from A.
  ASSERT_NO_FATAL_FAILURE(Enter(IDC_EDIT_MOVIE, FAMILY_MOVIE));
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_MOVIE_ADD_IMAGE, 0);
  Drive_Pump(5);
  i32 image = g_Movie.objectCount - 1;
  Press(g_MovieEditor.dialogs[MOVIE_DIALOG_IMG], IDC_MOVIE_ACTOR_FILE, f.a + "\\tile.png");
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_MOVIE_ADD_KZP, 0);
  Drive_Pump(5);
  i32 model = g_Movie.objectCount - 1;
  Press(g_MovieEditor.dialogs[MOVIE_DIALOG_KZP], IDC_MOVIE_ACTOR_FILE, f.a + "\\box.KZP");
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_MOVIE_ADD_SOUND, 0);
  Drive_Pump(5);
  void *wave = g_MovieEditor.dialogs[MOVIE_DIALOG_WAVE];
  SendDlgItemMessageA((HWND)wave, IDC_MOVIE_WAVE_LIST, LB_SETCURSEL, 1, 0);
  Press(wave, IDC_MOVIE_WAVE_FILE, f.a + "\\se.wav");
  Menu(IDM_KZV_SAVE, f.b + "\\film.KZV");
  ASSERT_NE(g_Movie.objects[image], nullptr);
  EXPECT_STREQ(g_Movie.objects[image]->folder, "..\\A");
  EXPECT_STREQ(g_MovieScene.soundFolders[1], "..\\A");
  std::vector<u8> kzv = ReadFileBytes(f.b + "\\film.KZV");
  auto openMovie = [&](const std::string &folder) {
    SetCurrentDirectoryA(f.c.c_str());
    Menu(IDM_KZV_OPEN, folder + "\\film.KZV");
    EXPECT_EQ(g_MovieImages[image].loaded, 1u) << folder;
    ASSERT_NE(g_Model3Slots[model], nullptr);
    EXPECT_EQ(g_Model3Slots[model]->polygonCount, 6) << folder;
    EXPECT_EQ(g_Sound.slotLoaded[1], 1u) << folder;
  };
  openMovie(f.b);
  Menu(IDM_KZV_SAVE, f.b + "\\film.KZV");
  EXPECT_EQ(ReadFileBytes(f.b + "\\film.KZV"), kzv);
  EXPECT_TRUE(g_boxes.empty()) << Boxes();

  // A and B moved together under a new parent: every document still finds its files.
  SetCurrentDirectoryA(f.c.c_str());
  ASSERT_TRUE(f.Move(false));
  openMovie(f.movedB);
  Drive_Hold("MIRAVEL_REFS_HOLD");   // the moved movie on the screen, to be looked at
  ASSERT_NO_FATAL_FAILURE(Enter(IDC_EDIT_2D_MAP, FAMILY_2D_MAP));
  openMap(f.movedB);
  EXPECT_EQ(g_Map2Editor.tiles[2].loaded, 1u);
  ASSERT_NO_FATAL_FAILURE(Enter(IDC_EDIT_3D_MODEL, FAMILY_3D_MODEL));
  openObjects(f.movedB);
  ASSERT_NO_FATAL_FAILURE(Enter(IDC_EDIT_COLLISION, FAMILY_COLLISION));
  openSet(f.movedB);
  ASSERT_NE(g_Coli.doc->model, nullptr);
  EXPECT_EQ(g_Coli.doc->model->polygonCount, 6);
  EXPECT_TRUE(g_boxes.empty()) << Boxes();

  // The model gone from A: one message names it, the rest opens, and its name is saved again.
  ASSERT_TRUE(DeleteFileA((f.movedA + "\\box.KZP").c_str()));
  g_boxes.clear();
  openSet(f.movedB);
  ASSERT_EQ(g_boxes.size(), 1u) << Boxes();
  EXPECT_NE(g_boxes[0].find("..\\A\\box.KZP"), std::string::npos) << g_boxes[0];
  EXPECT_EQ(g_Coli.doc->model, nullptr);
  Menu(IDM_KZC_SAVE, f.movedB + "\\set.KZC");
  EXPECT_EQ(ReadFileBytes(f.movedB + "\\set.KZC"), kzc);

  Drive_RunTool("cmd /c rmdir /s /q \"" + f.root + "\"");
  SendMessageA(g_Lib.mainWnd, WM_CLOSE, 0, 0);
  Drive_Pump(20);
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
