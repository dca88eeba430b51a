// The files a document names, walked through the running program as a user meets them: each
// is chosen in folder A through the program's own dialogs, the document is saved in folder B,
// the document is opened again from B with another folder current (read anew from the file),
// everything it names is found (and, where it shows, drawn from the file chosen: its own size)
// and saving again writes the same bytes; the program is then started again as a new process
// in another folder, where every document opens whole from B and saves to the same bytes; A and
// B move together under a new parent and every document still finds everything; saved beside
// their files (bare names, as files written before) they open whole; the shipped object set,
// whose names are bare, opens whole from elsewhere; and with the files gone each document names
// them in one message, the rest opens and a save keeps every name.
//
// The kinds of reference walked are the rows of the formats' own table (model/docref.h): each
// row has its driver here, and a row without one fails the walk.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/family.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "app/shell_win.h"
#include "app/startup_win.h"
#include "app/strip_state.h"
#include "app/views.h"
#include "app/winmain_win.h"
#include "edit2d/ed2d_object.h"
#include "edit2d/ed2d_tex.h"
#include "edit3d/ed3d.h"
#include "edit3d/ed3d_motion.h"
#include "edit3d/ed3d_tex.h"
#include "edit3d/ed3d_win.h"
#include "edit3d/objmotion.h"
#include "lib/draw/image.h"
#include "lib/draw/texture.h"
#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/modal_hooks.h"
#include "lib/media/sound.h"
#include "model/bone2.h"
#include "model/docref.h"
#include "model/kzo.h"
#include "model/model3.h"
#include "model/obj2.h"
#include "resources/edit2d_ids.h"
#include "resources/edit3d_ids.h"
#include "resources/edit3d_motion_ids.h"
#include "resources/edit3d_obj_ids.h"
#include "resources/edit3d_tex_ids.h"
#include "resources/map2_ids.h"
#include "resources/movie_edit_ids.h"
#include "resources/prog_ids.h"
#include "resources/shell_ids.h"
#include "scene/coli.h"
#include "scene/coli_edit_win.h"
#include "scene/kzv.h"
#include "scene/map2.h"
#include "scene/movie.h"
#include "scene/movie_dlg.h"
#include "scene/movie_edit.h"
#include "scene/movie_edit_win.h"
#include "scene/prog.h"
#include "tests/support/draw_device_win.h"
#include "tests/support/file_bytes.h"
#include "tests/support/wine_drive.h"

namespace {

// The messages shown (questions, such as whether to drop the edited set, are answered and
// not counted).
std::vector<std::string> g_boxes;
int AnswerBox(HWND, const char *text, const char *, UINT type) {
  UINT kind = type & MB_TYPEMASK;
  if (kind != MB_YESNO && kind != MB_YESNOCANCEL && kind != MB_OKCANCEL) g_boxes.push_back(text);
  return IDYES;
}

// Answers as the real dialog does: the full path, the bare name, and the chosen folder left
// current; with g_stay the current folder is left where it was, as when a document comes
// from elsewhere than a dialog (the command line of a new start).
std::string g_answer;
bool g_stay;
BOOL AnswerFile(OPENFILENAMEA *ofn) {
  size_t cut = g_answer.find_last_of('\\');
  Str_Copy(ofn->lpstrFile, ofn->nMaxFile, g_answer.c_str());
  if (ofn->lpstrFileTitle) Str_Copy(ofn->lpstrFileTitle, ofn->nMaxFileTitle, g_answer.substr(cut + 1).c_str());
  if (!g_stay) SetCurrentDirectoryA(g_answer.substr(0, cut).c_str());
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

void Enter(int button, u32 family) {
  Drive_Command(g_EditDlg.window, button);
  Drive_Pump(30);
  ASSERT_EQ(g_Shell.g_EditFamily, family);
}

// The program left running as a user leaves it a moment: enough idle passes for every view
// flagged to be drawn, the panels painted and the title set (once every 61 passes) at least
// once. Messages alone draw nothing.
void RunAWhile() { EXPECT_TRUE(Drive_PumpIdle(130)); }

// With MIRAVEL_WALK_SHOTS=<folder> (tools/walk-shots) asks the watcher outside Wine for a
// screenshot `name`.png there: an empty file name.req, removed once the picture is taken.
void Shot(const std::string &name) {
  const char *shots = getenv("MIRAVEL_WALK_SHOTS");
  if (!shots) return;
  RunAWhile();
  std::string req = std::string(shots) + "\\refs_" + name + ".req";
  if (FILE *f = fopen(req.c_str(), "wb")) fclose(f);
  for (int i = 0; i < 100 && GetFileAttributesA(req.c_str()) != INVALID_FILE_ATTRIBUTES; i++) {
    Drive_Pump(1);
    Sleep(100);
  }
}

// Row `row` of a panel's list clicked.
void PickRow(void *list, int row) {
  RECT r = {};
  if (!list || SendMessageA((HWND)list, LB_GETITEMRECT, (WPARAM)row, (LPARAM)&r) == LB_ERR) return;
  Drive_Click((HWND)list, WM_LBUTTONDOWN, WM_LBUTTONUP, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  Drive_Pump(5);
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
    At(Drive_Temp("miravel_refs") + std::to_string(GetCurrentProcessId()));
    Drive_RunTool("cmd /c rmdir /s /q \"" + root + "\"");
    for (const char *d : {"", "\\p", "\\p\\A", "\\p\\B", "\\c"}) CreateDirectoryA((root + d).c_str(), nullptr);
  }
  void At(const std::string &r) {
    root = r;
    a = root + "\\p\\A", b = root + "\\p\\B", c = root + "\\c";
    movedA = root + "\\q\\A", movedB = root + "\\q\\B";
  }
  bool Move(bool back) {
    std::string p = root + "\\p", q = root + "\\q";
    return back ? MoveFileA(q.c_str(), p.c_str()) : MoveFileA(p.c_str(), q.c_str());
  }
};
Folders g_f;

// The size of the image every image reference names (tile.png): a texture of that size can
// only have come from the file chosen.
const u32 kTileW = 320, kTileH = 128;

// [SECTION] the documents

// One document kind: where it is edited, its save and open commands and its name in B. The
// script is no document the program writes: its "open" chooses it and runs it, its "save"
// leaves it as it was.
struct Doc {
  const char *format;
  void (*enter)();
  int open, save;
  const char *file;
};

void EnterObjects() {
  ASSERT_NO_FATAL_FAILURE(Enter(IDC_EDIT_3D_MODEL, FAMILY_3D_MODEL));
  ASSERT_EQ(Drive_Press3D(IDC_M3D_OBJECT), (u32)SUB_3D_OBJMOTION);
}
void EnterModel() { ASSERT_NO_FATAL_FAILURE(Enter(IDC_EDIT_3D_MODEL, FAMILY_3D_MODEL)); }
void EnterBones() { ASSERT_NO_FATAL_FAILURE(Enter(IDC_EDIT_2D_MODEL, FAMILY_2D_MODEL)); }
void EnterCollision() { ASSERT_NO_FATAL_FAILURE(Enter(IDC_EDIT_COLLISION, FAMILY_COLLISION)); }
void EnterMap() { ASSERT_NO_FATAL_FAILURE(Enter(IDC_EDIT_2D_MAP, FAMILY_2D_MAP)); }
void EnterMovie() { ASSERT_NO_FATAL_FAILURE(Enter(IDC_EDIT_MOVIE, FAMILY_MOVIE)); }
void EnterProgram() { ASSERT_NO_FATAL_FAILURE(Enter(IDC_EDIT_PROGRAM, FAMILY_PROGRAM)); }

enum { DOC_KZO, DOC_KZP, DOC_KZM, DOC_KZB, DOC_KZA, DOC_KZC, DOC_MAP2, DOC_KZV, DOC_SCRIPT, DOC_COUNT };
const Doc kDocs[DOC_COUNT] = {
    {"KZO", EnterObjects, IDM_KZO_OPEN, IDM_KZO_SAVE, "set.KZO"},
    {"KZP", EnterModel, IDM_KZP_OPEN, IDM_KZP_SAVE, "model.KZP"},
    {"KZM", EnterModel, IDM_KZM_OPEN, IDM_KZM_SAVE, "motion.KZM"},
    {"KZB", EnterBones, IDM_KZB_OPEN, IDM_KZB_SAVE, "bone.KZB"},
    {"KZA", EnterBones, IDM_KZA_OPEN, IDM_KZA_SAVE, "obj.KZA"},
    {"KZC", EnterCollision, IDM_KZC_OPEN, IDM_KZC_SAVE, "set.KZC"},
    {"MAP2", EnterMap, IDM_MAP2_OPEN, IDM_MAP2_SAVE, "m.MAP2"},
    {"KZV", EnterMovie, IDM_KZV_OPEN, IDM_KZV_SAVE, "film.KZV"},
    {"TXT", EnterProgram, IDM_PROG_SOURCE, 0, "walk.txt"},
};

// [SECTION] the drivers: one per reference field

// Chooses the field's file in A where a user does (the document's editor already entered),
// and says whether everything the field names is found again, and drawn where it shows.
struct Driver {
  DocRefField field;
  u32 doc;
  void (*choose)();
  void (*found)(const std::string &where);
};

// The object set of the 3D editor's object sub-mode: one more object, its model from A.
i32 g_part;
void ChooseKzoModel() {
  ASSERT_NE(g_Obj3Sets[0], nullptr);
  g_part = Kzo_ObjectCount(g_Obj3Sets[0]);
  Press(Ed3DObjMotionEditor.listDlg, IDC_OLIST_ADD, g_f.a + "\\box.KZP");
  ASSERT_EQ(g_Obj3Sets[0]->objectCount, g_part + 1);
}
void FoundKzoModel(const std::string &where) {
  ASSERT_NE(g_Obj3Sets[0], nullptr) << where;
  ASSERT_NE(g_Obj3PartModels[0][g_part], nullptr) << where;
  EXPECT_EQ(g_Obj3PartModels[0][g_part]->polygonCount, 6) << where;
}

// Set while the documents are new ones that were never saved: the 3D model is not opened.
bool g_new;

// The 3D model from A (or a new one), and a texture from A in the texture sub-mode.
void ChooseKzpTexture() {
  if (!g_new) Menu(IDM_KZP_OPEN, g_f.a + "\\box.KZP");
  ASSERT_EQ(Drive_Press3D(IDC_M3D_TEXTURE), (u32)SUB_3D_TEXTURE);
  Press(g_Ed3DTex.panel, IDC_TEX_ADD, g_f.a + "\\tile.png");
  ASSERT_NE(g_Model3Slots[0], nullptr);
  ASSERT_EQ(g_Model3Slots[0]->textureCount, 2);
  ASSERT_EQ(Drive_Press3D(IDC_M3D_POLY), (u32)SUB_3D_POLY);
}
void FoundKzpTexture(const std::string &where) {
  Model3 *m = g_Model3Slots[0];
  ASSERT_TRUE(m && g_ModelPoses[0] && m->textureCount == 2) << where;
  EXPECT_NE(g_ModelPoses[0]->textures[1], nullptr) << where;
  EXPECT_EQ(m->textures[1].width, (i32)kTileW) << where;
  EXPECT_EQ(m->textures[1].height, (i32)kTileH) << where;
}

// An effect sound from A in the motion sub-mode's sound dialog.
void ChooseKzmSound() {
  if (!g_new) Menu(IDM_KZP_OPEN, g_f.a + "\\box.KZP");
  ASSERT_EQ(Drive_Press3D(IDC_M3D_MOTION), (u32)SUB_3D_MOTION);
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_MOT_SOUNDS, 0);   // the menu's sound dialog
  Drive_Pump(5);
  ASSERT_NE(g_Ed3DMotionPanels.waveDlg, nullptr);
  Press(g_Ed3DMotionPanels.waveDlg, IDC_MWAVE_ADD, g_f.a + "\\se.wav");
  ASSERT_NE(g_Model3Slots[0], nullptr);
  ASSERT_EQ(g_Model3Slots[0]->soundCount, 2);
}
void FoundKzmSound(const std::string &where) {
  Model3 *m = g_Model3Slots[0];
  ASSERT_TRUE(m && m->soundCount == 2) << where;
  char found[1024];
  EXPECT_TRUE(DocRef_Find(m->soundFolder, m->sounds[1], nullptr, 0, found, sizeof found)) << where << " " << m->sounds[1];
  if (g_Sound.system.initialised) { EXPECT_NE(Sound_GetModelSound(0, 1), nullptr) << where; }
}

// A new 2D bone model with a texture from A, in the 2D texture sub-mode.
void ChooseKzbTexture() {
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_2D_BONE_NEW, 0);
  Drive_Pump(5);
  ASSERT_EQ(Drive_Press2D(IDC_M2D_TEXTURE), (u32)SUB_2D_TEXTURE);
  Press(g_Ed2DTex.panel, IDC_T2D_ADD, g_f.a + "\\tile.png");
  ASSERT_NE(g_Bone2Slots[0], nullptr);
  ASSERT_EQ(g_Bone2Slots[0]->textureCount, 2);
  ASSERT_EQ(Drive_Press2D(IDC_M2D_POLY), (u32)SUB_2D_POLY);
}
void FoundKzbTexture(const std::string &where) {
  Bone2Model *m = g_Bone2Slots[0];
  ASSERT_TRUE(m && m->textureCount == 2) << where;
  EXPECT_NE(g_Tex.bone2Textures[1], nullptr) << where;
  EXPECT_EQ(m->textures[1].width, kTileW) << where;
  EXPECT_EQ(m->textures[1].height, kTileH) << where;
}

// An image from A in the 2D object sub-mode's image dialog.
void ChooseKzaImage() {
  ASSERT_EQ(Drive_Press2D(IDC_M2D_OBJECT), (u32)SUB_2D_OBJECT);
  Press(g_Ed2DObj.imageDlg, IDC_O2D_IMG_ADD, g_f.a + "\\tile.png");
  ASSERT_NE(g_Obj2Slots[0], nullptr);
  ASSERT_EQ(g_Obj2Slots[0]->imageCount, 1);
}
void FoundKzaImage(const std::string &where) {
  ASSERT_TRUE(g_Obj2Slots[0] && g_Obj2Slots[0]->imageCount == 1) << where;
  EXPECT_NE(g_Obj2Textures[0], nullptr) << where;
  EXPECT_EQ(Obj2_GetImageWidth(0, 0), kTileW) << where;
  EXPECT_EQ(Obj2_GetImageHeight(0, 0), kTileH) << where;
}

// The collision model and the background (character 0's slot) from A.
void ChooseKzcModel() { Menu(IDM_COLI_KZP_OPEN, g_f.a + "\\box.KZP"); }
void FoundKzcModel(const std::string &where) {
  ASSERT_NE(g_Coli.doc, nullptr) << where;
  ASSERT_NE(g_Coli.doc->model, nullptr) << where;
  EXPECT_EQ(g_Coli.doc->model->polygonCount, 6) << where;
}
void ChooseKzcCharacter() { Menu(IDM_BACK_KZP_OPEN, g_f.a + "\\box.KZP"); }
void FoundKzcCharacter(const std::string &where) {
  ASSERT_NE(g_Model3Slots[COLI_FIRST_CHARACTER], nullptr) << where;
  EXPECT_EQ(g_Model3Slots[COLI_FIRST_CHARACTER]->polygonCount, 6) << where;
}

// A tile from A; the map's sample tiles come from the data folder.
void ChooseMapTile() {
  Press(g_Map2Editor.dialog, IDC_MAP2_ADD, g_f.a + "\\tile.png");
  ASSERT_EQ(g_Map2Editor.doc->tileCount, 3);
}
void FoundMapTile(const std::string &where) {
  EXPECT_EQ(g_Map2Editor.tiles[2].loaded, 1u) << where;
  EXPECT_EQ(g_Map2Editor.tiles[0].loaded, 1u) << where;
}

// The movie's actors, each added from the menu (the object set actor, which no menu item
// adds, as a movie that holds one has it) and its file chosen in its dialog.
i32 g_actor[DOCREF_FIELDS];
void AddActor(DocRefField field, int command, i32 kind, u32 dialog, const char *file) {
  if (command) SendMessageA(g_Lib.mainWnd, WM_COMMAND, command, 0);
  else Movie_AddActor(kind);
  Drive_Pump(5);
  g_actor[field] = g_Movie.objectCount - 1;
  ASSERT_NE(g_MovieEditor.dialogs[dialog], nullptr) << file;
  Press(g_MovieEditor.dialogs[dialog], IDC_MOVIE_ACTOR_FILE, g_f.a + "\\" + file);
  ASSERT_NE(g_Movie.objects[g_actor[field]], nullptr) << file;
  EXPECT_STRNE(g_Movie.objects[g_actor[field]]->fileName, "") << file;
}
const MovieObject *Actor(DocRefField field) { return g_Movie.objects[g_actor[field]]; }
// The file an actor's field names, found from the movie.
void ActorFound(DocRefField field, const std::string &where) {
  const MovieObject *o = Actor(field);
  ASSERT_NE(o, nullptr) << where;
  char out[1024];
  EXPECT_TRUE(Kzv_FindFile(o->folder, o->fileName, out, sizeof out)) << where << " " << o->folder << " " << o->fileName;
}
void ChooseMovieImage() { AddActor(DOCREF_KZV_IMAGE, IDM_MOVIE_ADD_IMAGE, 0, MOVIE_DIALOG_IMG, "tile.png"); }
void FoundMovieImage(const std::string &where) {
  ActorFound(DOCREF_KZV_IMAGE, where);
  const ImageHandle &h = g_MovieImages[g_actor[DOCREF_KZV_IMAGE]];
  ASSERT_EQ(h.loaded, 1u) << where;
  EXPECT_EQ(g_ImageTable[h.row].width, (f32)kTileW) << where;
}
void ChooseMovieKza() { AddActor(DOCREF_KZV_KZA, IDM_MOVIE_ADD_KZA, 0, MOVIE_DIALOG_KZA, "actor.KZA"); }
void FoundMovieKza(const std::string &where) {
  ActorFound(DOCREF_KZV_KZA, where);
  i32 n = g_actor[DOCREF_KZV_KZA];
  ASSERT_NE(g_Obj2Slots[n], nullptr) << where;
  EXPECT_EQ(g_Obj2Slots[n]->imageCount, 1) << where;
  // The actor's own image, named from its file's folder.
  EXPECT_EQ(Obj2_GetImageWidth(n, 0), kTileW) << where;
}
void ChooseMovieKzb() { AddActor(DOCREF_KZV_KZB, IDM_MOVIE_ADD_KZB, 0, MOVIE_DIALOG_KZB, "actor.KZB"); }
void FoundMovieKzb(const std::string &where) {
  ActorFound(DOCREF_KZV_KZB, where);
  i32 n = g_actor[DOCREF_KZV_KZB];
  ASSERT_NE(g_Bone2Slots[n], nullptr) << where;
  EXPECT_EQ(g_Bone2Slots[n]->textureCount, 2) << where;
  EXPECT_NE(g_Tex.bone2Textures[n * TEX_PER_MODEL + 1], nullptr) << where;
}
void ChooseMovieKzo() { AddActor(DOCREF_KZV_KZO, 0, MOVIE_KIND_OBJ3, MOVIE_DIALOG_KZO, "actor.KZO"); }
void FoundMovieKzo(const std::string &where) { ActorFound(DOCREF_KZV_KZO, where); }
void ChooseMovieKzp() { AddActor(DOCREF_KZV_KZP, IDM_MOVIE_ADD_KZP, 0, MOVIE_DIALOG_KZP, "box.KZP"); }
void FoundMovieKzp(const std::string &where) {
  ActorFound(DOCREF_KZV_KZP, where);
  i32 n = g_actor[DOCREF_KZV_KZP];
  ASSERT_NE(g_Model3Slots[n], nullptr) << where;
  EXPECT_EQ(g_Model3Slots[n]->polygonCount, 6) << where;
}
// The 3D model actor's motion file.
void ChooseMovieMotion() {
  g_Sel.g_CurSlot = (u32)g_actor[DOCREF_KZV_KZP];
  Movie_ShowActorDialog(&g_Sel);
  Drive_Pump(5);
  Press(g_MovieEditor.dialogs[MOVIE_DIALOG_KZP], IDC_MOVIE_ACTOR_MOTION, g_f.a + "\\actor.KZM");
  EXPECT_STRNE(Actor(DOCREF_KZV_KZP)->motionFileName, "");
}
void FoundMovieMotion(const std::string &where) {
  char out[1024];
  EXPECT_TRUE(MovieDlg_FindKeptPath(Actor(DOCREF_KZV_KZP)->motionFileName, out, sizeof out))
      << where << " " << Actor(DOCREF_KZV_KZP)->motionFileName;
}
// Sound slot 1.
void ChooseMovieSound() {
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_MOVIE_ADD_SOUND, 0);
  Drive_Pump(5);
  void *wave = g_MovieEditor.dialogs[MOVIE_DIALOG_WAVE];
  SendDlgItemMessageA((HWND)wave, IDC_MOVIE_WAVE_LIST, LB_SETCURSEL, 1, 0);
  Press(wave, IDC_MOVIE_WAVE_FILE, g_f.a + "\\se.wav");
  EXPECT_STREQ(g_MovieScene.soundFileNames[1], "se.wav");
}
void FoundMovieSound(const std::string &where) {
  char out[1024];
  EXPECT_TRUE(Kzv_FindFile(g_MovieScene.soundFolders[1], g_MovieScene.soundFileNames[1], out, sizeof out)) << where;
  EXPECT_EQ(g_Sound.slotLoaded[1], 1u) << where;
}
// The scene's music and next movie, in the scene dialog that slot 0 shows.
void ScenePress(int id, const std::string &file) {
  g_Sel.g_CurSlot = 0;
  Movie_ShowActorDialog(&g_Sel);
  Drive_Pump(5);
  ASSERT_NE(g_MovieEditor.dialogs[MOVIE_DIALOG_SCENE], nullptr);
  Press(g_MovieEditor.dialogs[MOVIE_DIALOG_SCENE], id, file);
}
void ChooseMovieBgm() {
  ScenePress(IDC_MOVIE_SCENE_BGM, g_f.a + "\\music.mid");
  EXPECT_EQ(g_MovieScene.bgmPresent, 1);
}
void FoundMovieBgm(const std::string &where) {
  char out[1024];
  EXPECT_EQ(g_MovieScene.bgmPresent, 1) << where;
  EXPECT_TRUE(MovieDlg_FindKeptPath(g_MovieScene.bgmFileName, out, sizeof out)) << where << " " << g_MovieScene.bgmFileName;
}
void ChooseMovieNext() {
  ScenePress(IDC_MOVIE_SCENE_NEXT, g_f.a + "\\next.KZV");
  EXPECT_EQ(g_MovieScene.nextPresent, 1);
}
void FoundMovieNext(const std::string &where) {
  char out[1024];
  EXPECT_EQ(g_MovieScene.nextPresent, 1) << where;
  EXPECT_TRUE(MovieDlg_FindKeptPath(g_MovieScene.nextName, out, sizeof out)) << where << " " << g_MovieScene.nextName;
}

// The script names its files relative to itself: an image and a model in A. Found means the
// run loaded them; drawn, the image's own size.
void ChooseScript() {}
void FoundScriptImage(const std::string &where) {
  ProgRuntime *rt = g_ProgEditor.runtime;
  ASSERT_NE(rt, nullptr) << where;
  ASSERT_EQ(rt->images[0].loaded, 1u) << where;
  EXPECT_EQ(g_ImageTable[rt->images[0].row].width, (f32)kTileW) << where;
}
void FoundScriptModel(const std::string &where) {
  ASSERT_NE(g_Model3Slots[1], nullptr) << where;
  EXPECT_EQ(g_Model3Slots[1]->polygonCount, 6) << where;
}

const Driver kDrivers[] = {
    {DOCREF_KZO_MODEL, DOC_KZO, ChooseKzoModel, FoundKzoModel},
    {DOCREF_KZP_TEXTURE, DOC_KZP, ChooseKzpTexture, FoundKzpTexture},
    {DOCREF_KZM_SOUND, DOC_KZM, ChooseKzmSound, FoundKzmSound},
    {DOCREF_KZB_TEXTURE, DOC_KZB, ChooseKzbTexture, FoundKzbTexture},
    {DOCREF_KZA_IMAGE, DOC_KZA, ChooseKzaImage, FoundKzaImage},
    {DOCREF_KZC_MODEL, DOC_KZC, ChooseKzcModel, FoundKzcModel},
    {DOCREF_KZC_CHARACTER, DOC_KZC, ChooseKzcCharacter, FoundKzcCharacter},
    {DOCREF_MAP2_TILE, DOC_MAP2, ChooseMapTile, FoundMapTile},
    {DOCREF_KZV_IMAGE, DOC_KZV, ChooseMovieImage, FoundMovieImage},
    {DOCREF_KZV_KZA, DOC_KZV, ChooseMovieKza, FoundMovieKza},
    {DOCREF_KZV_KZB, DOC_KZV, ChooseMovieKzb, FoundMovieKzb},
    {DOCREF_KZV_KZO, DOC_KZV, ChooseMovieKzo, FoundMovieKzo},
    {DOCREF_KZV_KZP, DOC_KZV, ChooseMovieKzp, FoundMovieKzp},
    {DOCREF_KZV_MOTION, DOC_KZV, ChooseMovieMotion, FoundMovieMotion},
    {DOCREF_KZV_SOUND, DOC_KZV, ChooseMovieSound, FoundMovieSound},
    {DOCREF_KZV_BGM, DOC_KZV, ChooseMovieBgm, FoundMovieBgm},
    {DOCREF_KZV_NEXT, DOC_KZV, ChooseMovieNext, FoundMovieNext},
    {DOCREF_SCRIPT_IMAGE, DOC_SCRIPT, ChooseScript, FoundScriptImage},
    {DOCREF_SCRIPT_MODEL, DOC_SCRIPT, ChooseScript, FoundScriptModel},
};

// What field f keeps once its document is saved in B (its folder and name joined where the
// format keeps them apart), and what it should keep: the file in A, relative to B. The script
// keeps what its writer wrote.
std::string Kept(DocRefField f) {
  const MovieScene &s = g_MovieScene;
  auto actor = [](DocRefField a) { return std::string(Actor(a)->folder) + "\\" + Actor(a)->fileName; };
  switch (f) {
    case DOCREF_KZO_MODEL: return g_Obj3Sets[0]->parts[g_part].path;
    case DOCREF_KZP_TEXTURE: return g_Model3Slots[0]->textures[1].name;
    case DOCREF_KZM_SOUND: return g_Model3Slots[0]->sounds[1];
    case DOCREF_KZB_TEXTURE: return g_Bone2Slots[0]->textures[1].name;
    case DOCREF_KZA_IMAGE: return g_Obj2Slots[0]->imageNames[0];
    case DOCREF_KZC_MODEL: return g_Coli.doc->modelName;
    case DOCREF_KZC_CHARACTER: return g_Coli.doc->slotNames[0];
    case DOCREF_MAP2_TILE: return g_Map2Editor.doc->names[2];
    case DOCREF_KZV_IMAGE: case DOCREF_KZV_KZA: case DOCREF_KZV_KZB: case DOCREF_KZV_KZO: case DOCREF_KZV_KZP:
      return actor(f);
    case DOCREF_KZV_MOTION: return Actor(DOCREF_KZV_KZP)->motionFileName;
    case DOCREF_KZV_SOUND: return std::string(s.soundFolders[1]) + "\\" + s.soundFileNames[1];
    case DOCREF_KZV_BGM: return s.bgmFileName;
    case DOCREF_KZV_NEXT: return s.nextName;
    default: return "";
  }
}
const std::pair<DocRefField, const char *> kKept[] = {
    {DOCREF_KZO_MODEL, "box.KZP"},   {DOCREF_KZP_TEXTURE, "tile.png"},  {DOCREF_KZM_SOUND, "se.wav"},
    {DOCREF_KZB_TEXTURE, "tile.png"}, {DOCREF_KZA_IMAGE, "tile.png"},   {DOCREF_KZC_MODEL, "box.KZP"},
    {DOCREF_KZC_CHARACTER, "box.KZP"}, {DOCREF_MAP2_TILE, "tile.png"},  {DOCREF_KZV_IMAGE, "tile.png"},
    {DOCREF_KZV_KZA, "actor.KZA"},   {DOCREF_KZV_KZB, "actor.KZB"},     {DOCREF_KZV_KZO, "actor.KZO"},
    {DOCREF_KZV_KZP, "box.KZP"},     {DOCREF_KZV_MOTION, "actor.KZM"},  {DOCREF_KZV_SOUND, "se.wav"},
    {DOCREF_KZV_BGM, "music.mid"},   {DOCREF_KZV_NEXT, "next.KZV"},
};
void ExpectKept(u32 d) {
  for (auto [field, file] : kKept)
    for (const Driver &r : kDrivers)
      if (r.field == field && r.doc == d) { EXPECT_EQ(Kept(field), std::string("..\\A\\") + file) << kDocRefFields[field].name; }
}

// [SECTION] what the user sees

// The document each family names in the window title once d is open there (the bone sub-mode
// names its bone model, the object model open beside it; the map and the script: the caption
// only).
const char *const kTitleNames[DOC_COUNT] = {"set.KZO",  "model.KZP", "model.KZP", "bone.KZB", "bone.KZB",
                                            "set.KZC",  nullptr,     "film.KZV",  nullptr};

std::string MainTitle() {
  char text[600] = "";
  GetWindowTextA(g_Lib.mainWnd, text, sizeof text);
  return text;
}

// A painted pixel that is neither black nor `empty` (what the place shows with nothing drawn).
void ExpectDrawn(void *window, int x, int y, COLORREF empty, const std::string &what) {
  ASSERT_NE(window, nullptr) << what;
  COLORREF c = Drive_WindowPixel(window, x, y);
  EXPECT_NE(c, RGB(0, 0, 0)) << what;
  EXPECT_NE(c, empty) << what;
  EXPECT_NE(c, RGB(255, 255, 255)) << what;
}

// After d is open and the program ran a while: the title names the document, the model's
// texture shows in the texture sub-mode's image panel when its row is picked, and the movie's
// Pers view shows the image actor at the picture's centre.
void ExpectShown(u32 d) {
  // The model shows in the texture sub-mode (the object sub-mode the set before shows its set).
  if (d == DOC_KZP) {
    ASSERT_EQ(Drive_Press3D(IDC_M3D_TEXTURE), (u32)SUB_3D_TEXTURE);
    PickRow(g_Ed3DTex.list, 1);
  }
  RunAWhile();
  std::string title = MainTitle();
  if (kTitleNames[d]) EXPECT_NE(title.find(kTitleNames[d]), std::string::npos) << title << " in sub-mode " << g_Shell.g_EditSubMode;
  else EXPECT_EQ(title, std::string(" ") + g_AppCaption);
  if (d == DOC_KZP)
    ExpectDrawn(g_Ed3DTex.imagePanel, 4, 4, RGB(0, 0, 72),
                "the texture panel: texture " + std::to_string(g_Ed3DTex.texture) + " strip " +
                    std::to_string(g_Strip.g_StripTex3D.texture) + " in use " + std::to_string(g_Strip.g_StripTex3D.inUse) +
                    " pixels " + std::to_string(g_Tex.pixels[1] != nullptr) + " slot " + std::to_string(g_Sel.g_CurSlot));
  if (d == DOC_KZV) {
    const ViewRecord &pers = g_Shell.g_Views[View_CurrentLayout()][4];
    ASSERT_EQ(pers.kind, (u32)VIEW_PERS);
    RECT r = {};
    GetClientRect((HWND)pers.window, &r);
    ExpectDrawn(pers.window, r.right / 2, r.bottom / 2, RGB(128, 128, 128), "the Pers view");
  }
}

// [SECTION] the walk

// Opens document d from folder with another folder current: a document through its open
// command; the script chosen as its source and run a few frames, then stopped.
void Open(u32 d, const std::string &folder, const char *file = nullptr) {
  SetCurrentDirectoryA(g_f.c.c_str());
  g_stay = true;
  Menu(kDocs[d].open, folder + "\\" + (file ? file : kDocs[d].file));
  g_stay = false;
  // Where the document put what the drivers look at: the set's last object, the movie's
  // actor of each kind.
  if (d == DOC_KZO && g_Obj3Sets[0]) g_part = Kzo_ObjectCount(g_Obj3Sets[0]) - 1;
  if (d == DOC_KZV) {
    const std::pair<DocRefField, i32> kinds[] = {{DOCREF_KZV_IMAGE, MOVIE_KIND_IMAGE}, {DOCREF_KZV_KZA, MOVIE_KIND_OBJ2},
                                                 {DOCREF_KZV_KZB, MOVIE_KIND_BONE2}, {DOCREF_KZV_KZO, MOVIE_KIND_OBJ3},
                                                 {DOCREF_KZV_KZP, MOVIE_KIND_MODEL3}};
    for (auto [field, kind] : kinds)
      for (i32 n = g_Movie.objectCount - 1; n >= 0; n--)
        if (g_Movie.objects[n] && g_Movie.objects[n]->kind == kind) g_actor[field] = n;
  }
  if (d != DOC_SCRIPT) return;
  SetCurrentDirectoryA(g_f.c.c_str());
  SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_PROG_RUN, 0);
  Drive_Pump(10);
}

// Saves document d into B (the script is left as it is, as a run leaves it).
void Save(u32 d, const std::string &folder, const char *file = nullptr) {
  if (kDocs[d].save) Menu(kDocs[d].save, folder + "\\" + (file ? file : kDocs[d].file));
}

// The documents that the walk's first pass opens before their files are chosen, made new
// instead (the other kinds begin new there), and the name each is first saved by in B.
const struct { u32 doc; int command; const char *file; } kNewDocs[] = {
    {DOC_KZP, IDM_NEW_MODEL, "new.KZP"}, {DOC_KZM, IDM_NEW_MODEL, "new.KZM"}, {DOC_KZV, IDM_MOVIE_NEW, "new.KZV"}};

void Check(u32 d, const std::string &where) {
  for (const Driver &r : kDrivers)
    if (r.doc == d) r.found(std::string(kDocs[d].format) + " " + kDocRefFields[r.field].name + " opened from " + where);
}

// The files the movie's actors name, made in A from what the walk saved in B: a user's copies.
void CopyActorsToA() {
  for (auto [from, to] : {std::pair<const char *, const char *>{"bone.KZB", "actor.KZB"},
                          {"obj.KZA", "actor.KZA"},
                          {"set.KZO", "actor.KZO"},
                          {"motion.KZM", "actor.KZM"}})
    ASSERT_TRUE(CopyFileA((g_f.b + "\\" + from).c_str(), (g_f.a + "\\" + to).c_str(), FALSE)) << from;
}

void WriteFilesInA() {
  ASSERT_TRUE(Drive_WriteCube(g_f.a + "\\box.KZP"));
  ASSERT_TRUE(CopyFileA(SourcePath("tests/golden/draw/textures.png").c_str(), (g_f.a + "\\tile.png").c_str(), FALSE));
  ByteWriter w = {};
  WriteWavHeader(&w, 1, 8000, 8, 64);
  for (int i = 0; i < 64; i++) Wr_U8(&w, (u8)(128 + (i % 8) * 8));
  ASSERT_TRUE(WriteFileBytes(g_f.a + "\\se.wav", w.data, w.size));
  Wr_Free(&w);
  // A MIDI file of one empty track.
  static const u8 kMidi[] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 96,
                             'M', 'T', 'r', 'k', 0, 0, 0, 4, 0, 0xFF, 0x2F, 0};
  ASSERT_TRUE(WriteFileBytes(g_f.a + "\\music.mid", kMidi, sizeof kMidi));
  const std::string script =
      "ImgLoad 0 ..\\A\\tile.png\r\nPolyLoad 1 ..\\A\\box.KZP\r\n*L\r\nImgDraw 0 20 20\r\nScreenDraw\r\nGo *L\r\n";
  ASSERT_TRUE(WriteFileBytes(g_f.b + "\\walk.txt", script));
}

// Runs this program again as a new process in C (ANewStartOpensEveryDocumentWhole) and waits
// for it: its exit code.
DWORD StartAgain() {
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string cmd = std::string("\"") + exe + "\" --gtest_filter=RefsInProcess.ANewStartOpensEveryDocumentWhole";
  SetEnvironmentVariableA("MIRAVEL_REFS_ROOT", g_f.root.c_str());
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  std::vector<char> line(cmd.begin(), cmd.end());
  line.push_back(0);
  BOOL made = CreateProcessA(exe, line.data(), nullptr, nullptr, TRUE, 0, nullptr, g_f.c.c_str(), &si, &pi);
  SetEnvironmentVariableA("MIRAVEL_REFS_ROOT", nullptr);
  if (!made) return (DWORD)-1;
  DWORD code = (DWORD)-2;
  if (WaitForSingleObject(pi.hProcess, 180000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
  else TerminateProcess(pi.hProcess, 3);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

}  // namespace

// The second start of the walk (run by it, in C, with MIRAVEL_REFS_ROOT naming its folders):
// nothing of the first start's choices is in this process. Every document opened from B finds
// everything and saves to the same bytes.
TEST(RefsInProcess, ANewStartOpensEveryDocumentWhole) {
  const char *root = getenv("MIRAVEL_REFS_ROOT");
  if (!root) GTEST_SKIP() << "run by the walk";
  g_f.At(root);
  char here[MAX_PATH];
  ASSERT_TRUE(GetCurrentDirectoryA(sizeof here, here));
  EXPECT_STRCASEEQ(here, g_f.c.c_str());
  ASSERT_NO_FATAL_FAILURE(Drive_StartOwnFamily("miravel_settings_refs_again", WinMain_InstallEditors, IDC_EDIT_COLLISION,
                                               FAMILY_COLLISION, AnswerBox, AnswerFile));
  g_boxes.clear();
  for (u32 d = 0; d < DOC_COUNT; d++) {
    SCOPED_TRACE(std::string(kDocs[d].format) + " after a new start");
    ASSERT_NO_FATAL_FAILURE(kDocs[d].enter());
    std::vector<u8> was = ReadFileBytes(g_f.b + "\\" + kDocs[d].file);
    ASSERT_NO_FATAL_FAILURE(Open(d, g_f.b));
    Check(d, "B after a new start");
    Save(d, g_f.b);
    EXPECT_EQ(ReadFileBytes(g_f.b + "\\" + kDocs[d].file), was);
    if (d == DOC_SCRIPT) SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_PROG_STOP, 0), Drive_Pump(5);
  }
  EXPECT_TRUE(g_boxes.empty()) << Boxes();
  // The walk's sign that this start ran to its end.
  if (!::testing::Test::HasFailure()) WriteFileBytes(g_f.root + "\\again.ran", std::string("1"));
  SendMessageA(g_Lib.mainWnd, WM_CLOSE, 0, 0);
  Drive_Pump(20);
}

TEST(RefsInProcess, EveryReferenceFieldHasAWalk) {
  for (u32 f = 0; f < DOCREF_FIELDS; f++) {
    u32 drivers = 0;
    for (const Driver &r : kDrivers) drivers += r.field == f;
    EXPECT_EQ(drivers, 1u) << "the walk has no driver for " << kDocRefFields[f].format << " " << kDocRefFields[f].name;
  }
}

TEST(RefsInProcess, FilesChosenInOneFolderAreFoundFromAnyOther) {
  g_f.Make();
  ASSERT_NO_FATAL_FAILURE(WriteFilesInA());
  ASSERT_NO_FATAL_FAILURE(Drive_StartOwnFamily("miravel_settings_refs", WinMain_InstallEditors, IDC_EDIT_COLLISION,
                                               FAMILY_COLLISION, AnswerBox, AnswerFile));
  g_boxes.clear();

  // Each document: its files chosen in A, saved in B, opened again from B with C current,
  // everything found, and saved again to the same bytes.
  std::vector<u8> saved[DOC_COUNT];
  for (u32 d = 0; d < DOC_COUNT; d++) {
    SCOPED_TRACE(kDocs[d].format);
    ASSERT_NO_FATAL_FAILURE(kDocs[d].enter());
    if (d == DOC_KZV) {
      ASSERT_NO_FATAL_FAILURE(CopyActorsToA());
      // The next movie: the new movie saved into A first, as a user keeps a second one there.
      Menu(IDM_KZV_SAVE, g_f.a + "\\next.KZV");
    }
    for (const Driver &r : kDrivers)
      if (r.doc == d) { ASSERT_NO_FATAL_FAILURE(r.choose()) << kDocRefFields[r.field].name; }
    Save(d, g_f.b);
    ExpectKept(d);
    saved[d] = ReadFileBytes(g_f.b + "\\" + kDocs[d].file);
    ASSERT_FALSE(saved[d].empty());
    ASSERT_NO_FATAL_FAILURE(Open(d, g_f.b));
    Check(d, "B");
    Save(d, g_f.b);
    EXPECT_EQ(ReadFileBytes(g_f.b + "\\" + kDocs[d].file), saved[d]);
    EXPECT_TRUE(g_boxes.empty()) << Boxes();
    if (d == DOC_KZO) {
      // The shipped set names its models bare, beside it: opened with another folder current it
      // is whole.
      SetCurrentDirectoryA(g_f.c.c_str());
      Menu(IDM_KZO_OPEN, std::string(g_Lib.dataDir) + "\\0.KZO");
      ASSERT_NE(g_Obj3Sets[0], nullptr);
      ASSERT_GT(Kzo_ObjectCount(g_Obj3Sets[0]), 1);
      for (i32 p = 1; p < Kzo_ObjectCount(g_Obj3Sets[0]); p++)
        if (g_Obj3PartLoaded[0][p] == 1) { EXPECT_GT(g_Obj3PartModels[0][p]->polygonCount, 0) << p; }
      EXPECT_TRUE(g_boxes.empty()) << Boxes();
    }
    if (d == DOC_SCRIPT) SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_PROG_STOP, 0), Drive_Pump(5);
  }
  // The names kept are relative to the document.
  EXPECT_STREQ(g_Coli.doc->modelName, "..\\A\\box.KZP");
  EXPECT_STREQ(g_MovieScene.soundFolders[1], "..\\A");

  // Never saved: a new model, motion and movie, their files chosen in A and first saved in B,
  // keep them relative to B (a new movie's folder is the data folder until then).
  g_new = true;
  for (const auto &n : kNewDocs) {
    SCOPED_TRACE(std::string(kDocs[n.doc].format) + " new");
    ASSERT_NO_FATAL_FAILURE(kDocs[n.doc].enter());
    Menu(n.command, "");
    for (const Driver &r : kDrivers)
      if (r.doc == n.doc) { ASSERT_NO_FATAL_FAILURE(r.choose()) << kDocRefFields[r.field].name; }
    Save(n.doc, g_f.b, n.file);
    ExpectKept(n.doc);
  }
  g_new = false;
  EXPECT_TRUE(g_boxes.empty()) << Boxes();

  // Saved as into a folder so deep that a relative name would pass 255 bytes: each document
  // keeps its files' full paths and, opened there, finds everything.
  std::string deep = g_f.root + "\\deep";
  for (CreateDirectoryA(deep.c_str(), nullptr); deep.size() < 225;) CreateDirectoryA((deep += "\\d").c_str(), nullptr);
  for (u32 d = 0; d < DOC_SCRIPT; d++) {
    SCOPED_TRACE(std::string(kDocs[d].format) + " deep");
    ASSERT_NO_FATAL_FAILURE(kDocs[d].enter());
    ASSERT_NO_FATAL_FAILURE(Open(d, g_f.b));
    Save(d, deep);
    ASSERT_NO_FATAL_FAILURE(Open(d, deep));
    Check(d, "the deep folder");
  }
  EXPECT_TRUE(g_boxes.empty()) << Boxes();

  // A new start of the program, in C: it opens every document from B whole.
  EXPECT_EQ(StartAgain(), 0u);
  EXPECT_NE(GetFileAttributesA((g_f.root + "\\again.ran").c_str()), INVALID_FILE_ATTRIBUTES);

  // A and B moved together under a new parent: every document still finds its files.
  SetCurrentDirectoryA(g_f.c.c_str());
  ASSERT_TRUE(g_f.Move(false));
  for (u32 d = 0; d < DOC_COUNT; d++) {
    SCOPED_TRACE(std::string(kDocs[d].format) + " moved");
    ASSERT_NO_FATAL_FAILURE(kDocs[d].enter());
    ASSERT_NO_FATAL_FAILURE(Open(d, g_f.movedB));
    Check(d, "the moved B");
    ASSERT_NO_FATAL_FAILURE(ExpectShown(d));
    if (getenv("MIRAVEL_WALK_SHOTS")) {
      // Where the document's references show: the texture sub-modes, the object sub-mode, the
      // movie's image actor.
      if (d == DOC_KZB) Drive_Press2D(IDC_M2D_TEXTURE), PickRow(g_Ed2DTex.list, 1);
      if (d == DOC_KZA) Drive_Press2D(IDC_M2D_OBJECT);
      if (d == DOC_KZV) g_Sel.g_CurSlot = (u32)g_actor[DOCREF_KZV_IMAGE], Movie_RefreshAllLists(&g_Sel);
      Shot(std::to_string(d) + "_" + kDocs[d].format);
    }
    if (d == DOC_KZV) Drive_Hold("MIRAVEL_REFS_HOLD");   // the moved movie on the screen, to be looked at
    if (d == DOC_SCRIPT) {
      Drive_Hold("MIRAVEL_REFS_HOLD");   // the moved script running, to be looked at
      SendMessageA(g_Lib.mainWnd, WM_COMMAND, IDM_PROG_STOP, 0), Drive_Pump(5);
    }
  }
  for (const auto &n : kNewDocs) {
    SCOPED_TRACE(std::string(kDocs[n.doc].format) + " new, moved");
    ASSERT_NO_FATAL_FAILURE(kDocs[n.doc].enter());
    ASSERT_NO_FATAL_FAILURE(Open(n.doc, g_f.movedB, n.file));
    Check(n.doc, "the moved B");
  }
  EXPECT_TRUE(g_boxes.empty()) << Boxes();

  // Every document saved beside its files keeps them by bare name, as files written before
  // did; opened there with C current, it is whole.
  std::vector<u8> bare[DOC_COUNT];
  for (u32 d = 0; d < DOC_SCRIPT; d++) {
    SCOPED_TRACE(std::string(kDocs[d].format) + " bare");
    ASSERT_NO_FATAL_FAILURE(kDocs[d].enter());
    ASSERT_NO_FATAL_FAILURE(Open(d, g_f.movedB));
    Save(d, g_f.movedA);
    bare[d] = ReadFileBytes(g_f.movedA + "\\" + kDocs[d].file);
    ASSERT_NO_FATAL_FAILURE(Open(d, g_f.movedA));
    Check(d, "A with bare names");
  }
  EXPECT_TRUE(g_boxes.empty()) << Boxes();

  // The model gone from A: one message names it, the rest opens, and its name is saved again.
  ASSERT_NO_FATAL_FAILURE(EnterCollision());
  ASSERT_TRUE(DeleteFileA((g_f.movedA + "\\box.KZP").c_str()));
  g_boxes.clear();
  Open(DOC_KZC, g_f.movedB);
  ASSERT_EQ(g_boxes.size(), 1u) << Boxes();
  EXPECT_NE(g_boxes[0].find("..\\A\\box.KZP"), std::string::npos) << g_boxes[0];
  EXPECT_EQ(g_Coli.doc->model, nullptr);
  Menu(IDM_KZC_SAVE, g_f.movedB + "\\set.KZC");
  EXPECT_EQ(ReadFileBytes(g_f.movedB + "\\set.KZC"), saved[DOC_KZC]);

  // Every file the documents name gone from A: each document that loads what it names says
  // so in one message naming the files, the rest opens, and saving keeps every name.
  for (const char *file : {"tile.png", "se.wav", "music.mid", "actor.KZA", "actor.KZB", "actor.KZO", "actor.KZM", "next.KZV"})
    EXPECT_TRUE(DeleteFileA((g_f.movedA + "\\" + file).c_str())) << file;
  const std::vector<std::string> kMissing[DOC_SCRIPT] = {
      {"box.KZP"}, {"tile.png"}, {"se.wav"}, {"tile.png"}, {"tile.png"}, {"box.KZP"}, {"tile.png"},
      {"tile.png", "actor.KZA", "actor.KZB", "box.KZP", "se.wav", "actor.KZO", "actor.KZM", "music.mid", "next.KZV"}};
  for (u32 d = 0; d < DOC_SCRIPT; d++) {
    SCOPED_TRACE(std::string(kDocs[d].format) + " missing");
    ASSERT_NO_FATAL_FAILURE(kDocs[d].enter());
    g_boxes.clear();
    ASSERT_NO_FATAL_FAILURE(Open(d, g_f.movedA));
    ASSERT_EQ(g_boxes.size(), 1u) << Boxes();
    for (const std::string &name : kMissing[d]) EXPECT_NE(g_boxes[0].find(name), std::string::npos) << name << ": " << g_boxes[0];
    g_boxes.clear();
    Save(d, g_f.movedA);
    EXPECT_EQ(ReadFileBytes(g_f.movedA + "\\" + kDocs[d].file), bare[d]);
  }

  Drive_RunTool("cmd /c rmdir /s /q \"" + g_f.root + "\"");
  SendMessageA(g_Lib.mainWnd, WM_CLOSE, 0, 0);
  Drive_Pump(20);
}

// Ends with the tests' result, past the Wine teardown that now and then hangs or crashes.
const ::testing::Environment *const kEndWithResult = ::testing::AddGlobalTestEnvironment(new Drive_EndWithResult);
