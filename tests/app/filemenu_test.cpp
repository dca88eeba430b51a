// The File menu with the real readers and writers on files in a temporary folder, through a
// fake platform dialog: cancelled opens change nothing, a KZP load fits, records and clears,
// a damaged file keeps the document, saves without data write nothing, the export limit, the
// background model, default names; and the key commands behind the latch.
#include <gtest/gtest.h>
#include <dirent.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/shell_mouse.h"
#include "app/shell_options.h"
#include "app/shell_sel.h"
#include "app/shell_view.h"
#include "capacity_guard.h"
#include "lib/framework/lib_state.h"
#include "lib/framework/view_record.h"
#include "model_shown.h"
#include "app/commands.h"
#include "app/current.h"
#include "app/discard.h"
#include "app/docflags.h"
#include "app/family.h"
#include "app/entries.h"
#include "app/filemenu.h"
#include "app/keys.h"
#include "app/settings.h"
#include "app/views.h"
#include "draw_fakedev.h"
#include "file_bytes.h"
#include "lib/framework/lib.h"
#include "lib/media/dialogs.h"
#include "model/bone2.h"
#include "model/bytes.h"
#include "model/kzo.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "model/obj2.h"
#include "model/seam.h"
#include "resources/movie_edit_ids.h"
#include "resources/shell_ids.h"
#include "shell_fixture.h"

namespace {

// The bone sub-mode: its Front, Top and Side views fit every corner of the model.
const u32 L = 16;

struct DialogCall {
  std::string title, defaultName;
  bool save;
};

std::vector<DialogCall> g_dialogs;
std::vector<std::string> g_answers;   // next names to answer; "" cancels
std::vector<std::string> g_boxes;
std::vector<std::string> g_labels;
int g_timerResets;
int g_listRefreshes;

bool RunDialog(FileDlgRequest *req) {
  g_dialogs.push_back({req->dialogTitle ? req->dialogTitle : "", req->file, req->save});
  std::string name = g_answers.empty() ? "" : g_answers.front();
  if (!g_answers.empty()) g_answers.erase(g_answers.begin());
  if (name.empty()) return false;
  Str_Copy(req->file, FILEDLG_TEXT, name.c_str());
  Str_Copy(req->fileTitle, FILEDLG_TEXT, name.c_str());
  return true;
}

// Every file in the current folder.
std::vector<std::string> Files() {
  std::vector<std::string> out;
  DIR *d = opendir(".");
  while (dirent *e = d ? readdir(d) : nullptr)
    if (e->d_name[0] != '.') out.push_back(e->d_name);
  if (d) closedir(d);
  return out;
}

// A model of `tris` triangles over three positions in slot `slot`.
Model3 *PutModel(u32 slot, i32 tris, f32 size = 1) {
  g_ModelAllocArrays = 1;
  Model3 *m = Model3_Init((i32)slot);
  m->positionCount = m->normalCount = m->colorCount = m->uvCount = 3;
  m->positions[0] = {0, 0, 0};
  m->positions[1] = {size, 0, 0};
  m->positions[2] = {0, size, size};
  m->polygonCount = tris;
  for (i32 p = 0; p < tris; p++) {
    m->polygons[p].cornerCount = 3;
    for (u32 c = 0; c < 3; c++) m->polygons[p].corners[c] = {c, c, c, c};
  }
  return m;
}

struct FileMenuTest : ::testing::Test {
  char dir[64] = "/tmp/miravel_filemenu_XXXXXX";
  char cwd[1024] = "";
  CoreSeam savedSeam;
  FileDlgPlatform savedDlg;
  ShellEntries savedEntries;
  CapacityGuard capacity;
  char savedDataDir[LIB_TEXT_SIZE];

  void SetUp() override {
    Shell_ResetForTest();
    savedSeam = g_Seam;
    savedDlg = g_LibHooks.fileDlg;
    savedEntries = g_ShellEntries;
    memcpy(savedDataDir, g_Lib.dataDir, sizeof savedDataDir);
    g_MaxPolygons = 10100;
    g_MaxVertices = 4096;
    App_AllocWorkArrays(&g_Sel);
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    ASSERT_TRUE(mkdtemp(dir));
    ASSERT_EQ(chdir(dir), 0);
    Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, dir);
    g_dialogs.clear();
    g_answers.clear();
    g_boxes.clear();
    g_labels.clear();
    g_timerResets = g_listRefreshes = 0;
    g_Seam.errorBox = [](const char *t) { g_boxes.push_back(t); };
    g_Seam.timerReset = [] { g_timerResets++; };
    g_LibHooks.fileDlg.run = RunDialog;
    g_ShellSeam.undoPush = [](const char *l) { g_labels.push_back(l); };
    g_ShellEntries.obj2RefreshLists = [] { g_listRefreshes++; };
    g_Shell.g_EditFamily = 11;
    g_Shell.g_EditSubMode = L;
    g_Sel.g_CurSlot = 0;
    g_Sel.g_Cur2DSlot = 0;
    g_Sel.g_PickedVertex = g_Sel.g_PickedPolygon = -1;
    // Main view and two views of their own.
    g_Shell.g_ViewCount[L] = 3;
    for (u32 i = 0; i < 3; i++) {
      ViewRecord &v = g_Shell.g_Views[L][i];
      v.inUse = 1;
      v.kind = i == 0 ? (u32)VIEW_MAIN : i;
      v.zoom = 1;
      v.panX = v.panY = v.panZ = 7;
    }
  }
  void TearDown() override {
    Model3_FreeAllSlots();
    Kzo_FreeAll();
    Bone2_FreeAll();
    Obj2_FreeAll();
    for (const std::string &f : Files()) unlink(f.c_str());
    chdir(cwd);
    rmdir(dir);
    g_Seam = savedSeam;
    g_LibHooks.fileDlg = savedDlg;
    g_ShellEntries = savedEntries;
    memcpy(g_Lib.dataDir, savedDataDir, sizeof savedDataDir);
    g_Sel.g_CurSlot = 0;
  }
};

struct Snapshot {
  u32 slot, slot2d, bone;
  i32 vertex, polygon;
  Model3 *models[4];
  void *bone2, *obj2, *set0;
  u32 selV, selF;
  ViewRecord views[3];
  size_t labels;
};

Snapshot Take() {
  Snapshot s = {g_Sel.g_CurSlot, g_Sel.g_Cur2DSlot, g_Sel.g_CurBoneIndex, g_Sel.g_PickedVertex, g_Sel.g_PickedPolygon,
                {g_Model3Slots[0], g_Model3Slots[3], g_Model3Slots[10], g_Model3Slots[255]},
                g_Bone2Slots[0], g_Obj2Slots[0], g_Obj3Sets[0], g_Sel.g_PolySelVerts[1], g_Sel.g_PolySelFaces[1], {},
                g_labels.size()};
  memcpy(s.views, g_Shell.g_Views[L], sizeof s.views);
  return s;
}

void ExpectSame(const Snapshot &a, const Snapshot &b, u32 id) {
  EXPECT_EQ(a.slot, b.slot) << id;
  EXPECT_EQ(a.slot2d, b.slot2d) << id;
  EXPECT_EQ(a.bone, b.bone) << id;
  EXPECT_EQ(a.vertex, b.vertex) << id;
  EXPECT_EQ(a.polygon, b.polygon) << id;
  EXPECT_EQ(0, memcmp(a.models, b.models, sizeof a.models)) << id;
  EXPECT_TRUE(a.bone2 == b.bone2 && a.obj2 == b.obj2 && a.set0 == b.set0) << id;
  EXPECT_EQ(a.selV, b.selV) << id;
  EXPECT_EQ(a.selF, b.selF) << id;
  EXPECT_EQ(0, memcmp(a.views, b.views, sizeof a.views)) << id;
  EXPECT_EQ(a.labels, b.labels) << id;
}

}  // namespace

TEST_F(FileMenuTest, CancelledOpensChangeNothingButTheTimer) {
  PutModel(3, 2);
  g_Sel.g_CurSlot = 3;
  g_Sel.g_CurBoneIndex = 1;   // the model's last bone (one past it would fall back to it)
  g_Sel.g_PickedVertex = 1;
  g_Sel.g_PickedPolygon = 1;
  g_Sel.g_PolySelVerts[1] = g_Sel.g_PolySelFaces[1] = 1;
  g_Sel.g_CurPartIndex = 4;
  const u32 opens[] = {IDM_KZP_OPEN, IDM_ANY_OPEN, IDM_MX_OPEN, IDM_LWO_OPEN, IDM_MQO_OPEN, IDM_ROK_OPEN,
                       IDM_DXF_OPEN, IDM_X_OPEN, IDM_KZM_OPEN, IDM_KZO_OPEN, IDM_KZB_OPEN, IDM_KZA_OPEN,
                       IDM_KZV_OPEN, IDM_KZC_OPEN, IDM_COLI_KZP_OPEN, IDM_BACK_KZP_OPEN};
  for (u32 id : opens) {
    Snapshot before = Take();
    int resets = g_timerResets;
    size_t dialogs = g_dialogs.size();
    ASSERT_TRUE(FileMenu_Command(id)) << id;
    ASSERT_EQ(g_dialogs.size(), dialogs + 1) << id;
    EXPECT_FALSE(g_dialogs.back().save) << id;
    EXPECT_GT(g_timerResets, resets) << id;
    ExpectSame(before, Take(), id);
  }
  EXPECT_EQ(g_Sel.g_CurPartIndex, 1u);   // the KZO command starts the object editor again
  EXPECT_TRUE(g_boxes.empty());
  // A kind whose editor has not registered a reader says so before any dialog.
  DocFileEntries registered = g_ShellEntries.map2;
  g_ShellEntries.map2 = {};
  size_t dialogs = g_dialogs.size();
  EXPECT_TRUE(FileMenu_Command(IDM_MAP2_OPEN));
  EXPECT_EQ(g_dialogs.size(), dialogs);
  EXPECT_EQ(g_boxes, std::vector<std::string>{"MAP2 の読み込みは、まだ用意されていません。"});
  g_ShellEntries.map2 = registered;
}

TEST_F(FileMenuTest, KzpOpenFitsRecordsAndClears) {
  Model3 *m = PutModel(0, 1, 5);
  ASSERT_TRUE(Shown(Kzp_Write, m, "a.KZP"));
  Model3_FreeAllSlots();
  PutModel(3, 1);
  g_Sel.g_CurSlot = 3;
  g_Sel.g_PickedVertex = g_Sel.g_PickedPolygon = 2;
  g_Sel.g_PolySelVerts[1] = g_Sel.g_PolySelFaces[0] = 1;
  ViewRecord view0 = g_Shell.g_Views[L][0];
  g_answers = {"a.KZP"};
  FileMenu_Command(IDM_KZP_OPEN);
  ASSERT_EQ(g_dialogs.size(), 1u);
  EXPECT_EQ(g_dialogs[0].title, "読み込む KZP ファイルを選択して下さい");
  ASSERT_NE(g_Model3Slots[0], nullptr);
  EXPECT_EQ(g_Model3Slots[0]->positions[1].x, 5.0f);
  EXPECT_EQ(g_Sel.g_CurSlot, 0u);
  EXPECT_EQ(g_Sel.g_PickedVertex, -1);
  EXPECT_EQ(g_Sel.g_PickedPolygon, -1);
  EXPECT_EQ(g_Sel.g_PolySelVerts[1], 0u);
  EXPECT_EQ(g_Sel.g_PolySelFaces[0], 0u);
  EXPECT_EQ(g_labels, std::vector<std::string>{"a.KZP 読み込み"});
  EXPECT_EQ(0, memcmp(&view0, &g_Shell.g_Views[L][0], sizeof view0));   // view 0 is not fitted
  EXPECT_NE(g_Shell.g_Views[L][1].panX, 7.0f);
  EXPECT_NE(g_Shell.g_Views[L][2].panX, 7.0f);
  EXPECT_EQ(g_Model3Slots[0]->bones[17].expanded, 1u);
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(FileMenuTest, DamagedKzpKeepsModelSelectionsAndViews) {
  Model3 *m = PutModel(0, 1, 5);
  ASSERT_TRUE(Shown(Kzp_Write, m, "a.KZP"));
  std::vector<u8> bytes = ReadFileBytes("a.KZP");
  bytes.resize(bytes.size() / 2);
  WriteFileBytes("b.KZP", bytes);
  g_Sel.g_PickedVertex = g_Sel.g_PickedPolygon = 2;
  g_Sel.g_PolySelVerts[1] = g_Sel.g_PolySelFaces[1] = 1;
  Snapshot before = Take();
  g_answers = {"b.KZP"};
  FileMenu_Command(IDM_KZP_OPEN);
  EXPECT_EQ(g_boxes.size(), 1u);
  Snapshot after = Take();
  after.labels = before.labels;   // the named load still files its step (the model is unchanged)
  ExpectSame(before, after, IDM_KZP_OPEN);
  EXPECT_EQ(g_Model3Slots[0], m);
}

TEST_F(FileMenuTest, SavesWithoutDataWriteNothing) {
  const u32 saves[] = {IDM_KZP_SAVE, IDM_KZM_SAVE, IDM_KZO_SAVE, IDM_KZB_SAVE, IDM_KZA_SAVE, IDM_KZV_SAVE,
                       IDM_KZC_SAVE, IDM_MAP2_SAVE, IDM_MX_SAVE, IDM_LWO_SAVE, IDM_X_SAVE};
  ShellEntries none = {};
  g_ShellEntries = none;
  g_answers.assign(20, "out.dat");
  for (u32 id : saves) {
    g_boxes.clear();
    ASSERT_TRUE(FileMenu_Command(id));
    EXPECT_EQ(g_boxes, std::vector<std::string>{"保存するデータがありません。"}) << id;
  }
  EXPECT_TRUE(g_dialogs.empty());
  EXPECT_TRUE(Files().empty());
  // The background slot is current after the background command: no object set to save.
  PutModel(10, 1);
  Kzo_NewSet(0);
  g_Sel.g_CurSlot = 10;
  g_boxes.clear();
  FileMenu_Command(IDM_KZO_SAVE);
  EXPECT_EQ(g_boxes.size(), 1u);
  EXPECT_TRUE(Files().empty());
  // An empty model (as after 新規作成) has nothing the exports can hold: said before any dialog.
  g_Sel.g_CurSlot = 0;
  FileMenu_Command(IDM_NEW_MODEL);
  ASSERT_NE(Model3_Get(0), nullptr);
  for (u32 id : {IDM_MX_SAVE, IDM_LWO_SAVE, IDM_X_SAVE}) {
    g_boxes.clear();
    FileMenu_Command(id);
    EXPECT_EQ(g_boxes, std::vector<std::string>{"保存するデータがありません。"}) << id;
  }
  EXPECT_TRUE(g_dialogs.empty());
  EXPECT_TRUE(Files().empty());
}

TEST_F(FileMenuTest, ExportLimitAndSaveDefaults) {
  Model3 *m = PutModel(0, 10000);
  Model3_SetText(&m->fileName, "robot.KZP");
  g_answers = {"ok.x", "kzp.KZP"};
  FileMenu_Command(IDM_X_SAVE);
  FileMenu_Command(IDM_KZP_SAVE);
  ASSERT_EQ(g_dialogs.size(), 2u);
  EXPECT_EQ(g_dialogs[0].title, "名前を付けてファイルに保存");
  EXPECT_TRUE(g_dialogs[0].save);
  EXPECT_EQ(g_dialogs[1].defaultName, "robot.KZP");
  EXPECT_FALSE(ReadFileBytes("ok.x").empty());
  EXPECT_FALSE(ReadFileBytes("kzp.KZP").empty());
  m->polygonCount = 10001;
  g_answers = {"big.x"};
  FileMenu_Command(IDM_X_SAVE);
  EXPECT_EQ(g_boxes, std::vector<std::string>{"10000 ポリゴンまでしか保存できません。"});
  EXPECT_EQ(g_dialogs.size(), 2u);
  EXPECT_TRUE(ReadFileBytes("big.x").empty());

  struct Case { const char *file, *ext, *want; };
  std::string longName(300, 'a');
  const Case cases[] = {
    {"", "KZP", "新規.KZP"}, {"a.b.KZP", "KZO", "a.b.KZO"}, {"plain", "KZP", "plain.KZP"},
    {".hidden", "KZP", ".hidden.KZP"},
  };
  char out[FILEMENU_NAME];
  for (const Case &c : cases) {
    FileMenu_DefaultName(out, sizeof out, c.file, c.ext);
    EXPECT_STREQ(out, c.want) << c.file;
  }
  FileMenu_DefaultName(out, sizeof out, longName.c_str(), "KZP");
  EXPECT_EQ(strlen(out), 255u);
  EXPECT_STREQ(out + 251, ".KZP");
}

TEST_F(FileMenuTest, AnyFileMqoAndBackgroundModel) {
  const char *src = getenv("MIRAVEL_SRC");
  WriteFileBytes("box.mqo", ReadFileBytes(std::string(src ? src : cwd) + "/tests/data/mqo/sample.mqo"));
  ASSERT_FALSE(ReadFileBytes("box.mqo").empty());
  g_answers = {"box.mqo"};
  FileMenu_Command(IDM_ANY_OPEN);
  ASSERT_NE(g_Model3Slots[0], nullptr);
  EXPECT_EQ(g_Model3Slots[0]->positionCount > 0, true);
  EXPECT_EQ(g_labels, std::vector<std::string>{"box.mqo 読み込み"});
  EXPECT_NE(g_Shell.g_Views[L][1].panX, 7.0f);
  EXPECT_EQ(g_dialogs[0].title, "読み込むファイルを選択して下さい");

  Model3 *m = PutModel(1, 1);
  ASSERT_TRUE(Shown(Kzp_Write, m, "bg.KZP"));
  g_answers = {"bg.KZP"};
  FileMenu_Command(IDM_BACK_KZP_OPEN);
  EXPECT_EQ(g_Sel.g_CurSlot, 10u);
  ASSERT_NE(g_Model3Slots[10], nullptr);
  EXPECT_EQ(Current_Model3(), g_Model3Slots[10]);
}

// [SECTION] keys
namespace {
int g_places, g_runs, g_stops, g_undos;
void Place(const f32 *, const f32 *) { g_places++; }
bool Project(const f32 *, f32 s[2]) { s[0] = s[1] = 0; return true; }
const FitCamera kCam = {Place, Project};
}  // namespace

TEST_F(FileMenuTest, KeysBehindTheLatch) {
  PutModel(0, 1);
  g_places = g_runs = g_stops = g_undos = 0;
  g_ShellSeam.fitCamera = &kCam;
  g_ShellEntries.progRun = [] { g_runs++; };
  g_ShellEntries.progStop = [] { g_stops++; };
  g_ShellEntries.undoUndo = [] { g_undos++; };
  g_ShellSeam.setVSync = [](u32 on) { g_Lib.flags.vsync = (u8)on; };
  g_Options.g_MainWndRect[2] = 800;
  g_Options.g_MainWndRect[3] = 600;
  GpuInfo gpu = g_GpuInfo;
  Lib_SetGpuLevel(3);   // render mode 4 needs a card that can skin

  // F down and up before the queue empties: the release finds the latch and fits nothing.
  App_OnKeyDown('F');
  App_OnKeyUp('F');
  EXPECT_EQ(g_places, 0);
  g_AppShell.keyLatch = 0;
  App_OnKeyUp('F');
  EXPECT_GT(g_places, 0);

  // Z released under the latch still ends the zoom.
  g_AppShell.keyLatch = 0;
  App_OnKeyDown('Z');
  EXPECT_EQ(g_Mouse.g_ZKeyHeld, 1u);
  App_OnKeyUp('Z');
  EXPECT_EQ(g_Mouse.g_ZKeyHeld, 0u);

  // Each of these as its own idle pass.
  auto release = [](u32 vk) { g_AppShell.keyLatch = 0; App_OnKeyUp(vk); };
  release(119);
  EXPECT_EQ(g_Model3Slots[0]->renderMode, 4u);
  release(119);
  EXPECT_EQ(g_Model3Slots[0]->renderMode, 0u);
  release('U');
  EXPECT_EQ(g_undos, 1);

  g_Lib.flags.vsync = 0;
  g_AppShell.vsync[L] = 0;
  release(114);
  EXPECT_EQ(g_AppShell.vsync[L], 1);
  EXPECT_EQ(g_Lib.flags.vsync, 1);
  release(114);
  EXPECT_EQ(g_AppShell.vsync[L], 0);
  EXPECT_EQ(g_Lib.flags.vsync, 0);

  // F5 and F6: the program family runs and stops; elsewhere F5 only refreshes lists.
  FamilyHooks movieRow = g_FamilyHooks[22];
  g_FamilyHooks[22].refreshLists = [](const HookCtx *) { g_listRefreshes++; };
  g_Shell.g_EditFamily = 22;
  g_Shell.g_EditSubMode = 22;
  release(116);
  release(117);
  EXPECT_EQ(g_runs + g_stops, 0);
  EXPECT_EQ(g_listRefreshes, 1);
  g_FamilyHooks[22] = movieRow;
  g_Shell.g_EditFamily = 23;
  g_Shell.g_EditSubMode = 23;
  release(116);
  release(117);
  EXPECT_EQ(g_runs, 1);
  EXPECT_EQ(g_stops, 1);
  g_GpuInfo = gpu;
  Lib_SetGpuLevel(gpu.level);
}

// [SECTION] the discard question, the exit question and failed saves
namespace {
std::vector<std::string> g_questions;
bool g_answerYes;
}  // namespace

// Every File-menu command that replaces a document asks first when that document changed
// since it was loaded, saved or made: "いいえ" leaves everything as it was (no dialog, no new
// model, the flag still set), "はい" goes on. Nothing is asked for an unchanged document or
// by the commands that replace nothing.
TEST_F(FileMenuTest, ReplacingAChangedDocumentAsksFirst) {
  g_ShellSeam.askYesNo = [](const char *q) { g_questions.push_back(q); return g_answerYes; };
  const Model3 *first = PutModel(0, 2);
  u32 unasked = Doc_UnaskedReplaces();
  struct Case { u32 id, kind; const char *question; };
  const char *model = "編集中のモデルは破棄されます。よろしいですか？";
  const char *layer1 = "編集中のモデル「新規.KZP」（レイヤー 1）は破棄されます。よろしいですか？";
  const char *sounds1 = "編集中の効果音「新規.KZM」（レイヤー 1）は破棄されます。よろしいですか？";
  const Case cases[] = {
    {IDM_KZP_OPEN, DOC_MODEL3, layer1}, {IDM_ANY_OPEN, DOC_MODEL3, layer1}, {IDM_MX_OPEN, DOC_MODEL3, layer1},
    {IDM_LWO_OPEN, DOC_MODEL3, layer1}, {IDM_MQO_OPEN, DOC_MODEL3, layer1}, {IDM_ROK_OPEN, DOC_MODEL3, layer1},
    {IDM_DXF_OPEN, DOC_MODEL3, layer1}, {IDM_X_OPEN, DOC_MODEL3, layer1}, {IDM_KZM_OPEN, DOC_MODEL3, layer1},
    {IDM_KZM_OPEN, DOC_SOUNDS1, sounds1}, {IDM_KZP_OPEN, DOC_SOUNDS1, sounds1}, {IDM_NEW_MODEL, DOC_SOUNDS1, sounds1},
    {IDM_KZO_OPEN, DOC_OBJ3, "編集中のオブジェクトは破棄されます。よろしいですか？"},
    {IDM_KZB_OPEN, DOC_BONE2, model}, {IDM_KZA_OPEN, DOC_OBJ2, model},
    {IDM_KZV_OPEN, DOC_MOVIE, "編集中のムービーは破棄されます。よろしいですか？"},
    {IDM_KZC_OPEN, DOC_COLLISION, "編集中のコリジョンは破棄されます。よろしいですか？"},
    {IDM_MAP2_OPEN, DOC_MAP2, "編集中のマップは破棄されます。よろしいですか？"},
    {IDM_NEW_MODEL, DOC_MODEL3, layer1}, {IDM_NEW_OBJ2, DOC_OBJ2, model},
  };
  for (const Case &c : cases) {
    g_Shell.g_DocChanged[c.kind] = 1;
    g_questions.clear();
    g_answerYes = false;
    Snapshot before = Take();
    size_t dialogs = g_dialogs.size();
    ASSERT_TRUE(FileMenu_Command(c.id));
    EXPECT_EQ(g_questions, std::vector<std::string>{c.question}) << c.id;
    EXPECT_EQ(g_dialogs.size(), dialogs) << c.id;
    ExpectSame(before, Take(), c.id);
    EXPECT_TRUE(Doc_IsChanged(c.kind)) << c.id;
    // "はい": the command runs (an open shows its dialog, here cancelled).
    g_answerYes = true;
    ASSERT_TRUE(FileMenu_Command(c.id));
    EXPECT_EQ(g_questions.size(), 2u) << c.id;
    const FileCommand *row = FileMenu_Find(c.id);
    if (row->kind == FILECMD_OPEN) { EXPECT_EQ(g_dialogs.size(), dialogs + 1) << c.id; }
    g_Shell.g_DocChanged[c.kind] = 0;
    g_questions.clear();
    FileMenu_Command(c.id);   // unchanged: no question
    EXPECT_TRUE(g_questions.empty()) << c.id;
  }
  EXPECT_NE(g_Model3Slots[0], first) << "新規作成 after はい makes a new model";

  // Saves and the collision and background models replace no document of the changed kind.
  for (u32 k = 0; k < DOC_KINDS; k++) g_Shell.g_DocChanged[k] = 1;
  g_questions.clear();
  for (u32 id : {40024u, 40045u, 40065u, 40066u}) FileMenu_Command(id);
  EXPECT_TRUE(g_questions.empty());

  EXPECT_EQ(Doc_UnaskedReplaces(), unasked) << "every replacement above was asked for";

  // The step every replacing command takes: a changed document replaced without "はい" since
  // its last edit is counted, whichever command did it.
  for (u32 k = 0; k < DOC_KINDS; k++) g_Shell.g_DocChanged[k] = 0;
  Doc_MarkEdited(DOC_MAP2);
  Doc_Replaced(DOC_MAP2);
  EXPECT_EQ(Doc_UnaskedReplaces(), unasked + 1) << "not asked";
  Doc_MarkEdited(DOC_MAP2);
  EXPECT_TRUE(Discard_Ask(DOC_MAP2));
  Doc_MarkEdited(DOC_MAP2);   // an edit after the answer needs another
  Doc_Replaced(DOC_MAP2);
  EXPECT_EQ(Doc_UnaskedReplaces(), unasked + 2) << "edited after the answer";
  Doc_MarkEdited(DOC_MAP2);
  EXPECT_TRUE(Discard_Ask(DOC_MAP2));
  Doc_Replaced(DOC_MAP2);
  EXPECT_EQ(Doc_UnaskedReplaces(), unasked + 2) << "asked";
  EXPECT_FALSE(Doc_IsChanged(DOC_MAP2));
  Doc_Replaced(DOC_MAP2);   // an unchanged document needs no question
  EXPECT_EQ(Doc_UnaskedReplaces(), unasked + 2);
  for (u32 k = 0; k < DOC_KINDS; k++) g_Shell.g_DocChanged[k] = 0;
}

// The exit question keeps its own text when nothing changed and names each changed document
// (kind and file name) before it otherwise.
TEST_F(FileMenuTest, ExitQuestionNamesTheChangedDocuments) {
  Model3 *m = PutModel(0, 1);
  Model3_SetText(&m->fileName, "robot.KZP");
  Kzo_NewSet(0);
  ASSERT_NE(g_Obj3Sets[0], nullptr);
  Str_Copy(g_Obj3Sets[0]->parts[0].path, MODEL3_NAME, "walk.KZO");
  g_ModelAllocArrays = 1;
  Bone2Model *b = Bone2_Init(0);
  ASSERT_NE(b, nullptr);
  Str_Copy(b->name, sizeof b->name, "hero.KZB");
  struct Case { std::vector<u32> changed; const char *want; };
  const Case cases[] = {
    {{}, "終了しても、よろしいですか？"},
    {{DOC_MODEL3}, "次の編集中のデータは保存されていません。\n　３Ｄモデル「robot.KZP」\n\n終了しても、よろしいですか？"},
    {{DOC_OBJ3, DOC_BONE2},
     "次の編集中のデータは保存されていません。\n　３Ｄオブジェクト「walk.KZO」\n　２Ｄボーンモデル「hero.KZB」\n\n終了しても、よろしいですか？"},
    {{DOC_OBJ2, DOC_PROGRAM},
     "次の編集中のデータは保存されていません。\n　２Ｄオブジェクトモデル\n　プログラムのソース\n\n終了しても、よろしいですか？"},
  };
  char text[1024];
  for (const Case &c : cases) {
    for (u32 k : c.changed) g_Shell.g_DocChanged[k] = 1;
    Discard_ExitQuestion(text, sizeof text);
    EXPECT_STREQ(text, c.want);
    for (u32 k : c.changed) g_Shell.g_DocChanged[k] = 0;
  }
  // A buffer too small for the list still ends in the question.
  g_Shell.g_DocChanged[DOC_MODEL3] = 1;
  char small[64];
  Discard_ExitQuestion(small, sizeof small);
  EXPECT_NE(strstr(small, "終了しても、よろしいですか？"), nullptr) << small;
  g_Shell.g_DocChanged[DOC_MODEL3] = 0;
  Bone2_FreeSlot(0);
}

// Every model save proposes the document's name with the extension it writes, and a save
// that cannot be written says so (the exports too) and leaves the old file whole.
TEST_F(FileMenuTest, SavesProposeTheNameAndSayWhenTheyFail) {
  Model3 *m = PutModel(0, 2);
  Model3_SetText(&m->fileName, "robot.KZP");
  Kzo_NewSet(0);
  g_ModelAllocArrays = 1;
  Bone2Model *b = Bone2_Init(0);
  ASSERT_NE(b, nullptr);
  Str_Copy(b->name, sizeof b->name, "wing.KZB");
  g_ModelAllocArrays = 1;
  Obj2Model *o = Obj2_Init(0);
  ASSERT_NE(o, nullptr);
  Str_Copy(o->filePath, sizeof o->filePath, "cat.KZA");
  struct Case { u32 id; const char *proposed; };
  const Case cases[] = {
    {IDM_KZP_SAVE, "robot.KZP"}, {IDM_KZM_SAVE, "robot.KZM"}, {IDM_KZO_SAVE, "robot.KZO"}, {IDM_KZB_SAVE, "wing.KZB"},
    {IDM_KZA_SAVE, "cat.KZA"},   {IDM_MX_SAVE, "robot.MX"},  {IDM_LWO_SAVE, "robot.LWO"}, {IDM_X_SAVE, "robot.X"},
  };
  for (const Case &c : cases) {
    // A successful save renames the document, so each case starts from the first names.
    Model3_SetText(&m->fileName, "robot.KZP");
    Str_Copy(b->name, sizeof b->name, "wing.KZB");
    Str_Copy(o->filePath, sizeof o->filePath, "cat.KZA");
    std::string out = std::string("out_") + c.proposed;
    WriteFileBytes(out, std::vector<u8>{'o', 'l', 'd'});
    g_boxes.clear();
    g_answers = {out};
    g_SaveFault = {out.c_str(), SAVE_STEP_WRITE};
    FileMenu_Command(c.id);
    g_SaveFault = {};
    ASSERT_FALSE(g_dialogs.empty());
    EXPECT_EQ(g_dialogs.back().defaultName, c.proposed) << c.id;
    // The message names the folder (the current one for a bare name) and the system's reason.
    char cwd[512];
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    EXPECT_EQ(g_boxes, std::vector<std::string>{out + " に保存することができませんでした。\n\n保存先のフォルダ: " + cwd +
                                                "\n理由: アクセスが拒否されました。(書き込みが禁止されているか、ほかのプログラムが使っています)"})
        << c.id;
    EXPECT_EQ(ReadFileBytes(out), (std::vector<u8>{'o', 'l', 'd'})) << c.id;
    // Without the fault the same save writes the file.
    g_boxes.clear();
    g_answers = {out};
    Doc_MarkEdited(DOC_MODEL3);
    Doc_MarkEdited(DOC_SOUNDS1);
    FileMenu_Command(c.id);
    EXPECT_TRUE(g_boxes.empty()) << c.id << ": " << (g_boxes.empty() ? "" : g_boxes[0]);
    EXPECT_NE(ReadFileBytes(out), (std::vector<u8>{'o', 'l', 'd'})) << c.id;
    // A KZP keeps the model but not its sounds, a KZM the sounds but not the model.
    EXPECT_EQ(Doc_IsChanged(DOC_MODEL3), c.id != IDM_KZP_SAVE) << c.id;
    EXPECT_EQ(Doc_IsChanged(DOC_SOUNDS1), c.id != IDM_KZM_SAVE) << c.id;
  }
  memset(g_Shell.g_DocChanged, 0, sizeof g_Shell.g_DocChanged);
}

// Settings that cannot be written are said, and the old file stays.
TEST_F(FileMenuTest, FailedSettingsSaveIsSaid) {
  char saved[sizeof g_Options.g_SettingsFolder];
  Str_Copy(saved, sizeof saved, g_Options.g_SettingsFolder);
  ASSERT_TRUE(Settings_SetFolder(dir));
  i32 width = g_Lib.desktopWidth;
  g_Lib.desktopWidth = 1280;
  const std::string file = std::string(dir) + "/System1280.dat";
  WriteFileBytes(file, std::string("old"));
  g_SaveFault = {"System1280.dat", SAVE_STEP_FLUSH};
  EXPECT_FALSE(Settings_Save());
  g_SaveFault = {};
  EXPECT_EQ(g_boxes, std::vector<std::string>{"設定を " + file + " に保存することができませんでした。"});
  EXPECT_EQ(ReadFileString(file), "old");
  EXPECT_TRUE(Settings_Save());
  EXPECT_NE(ReadFileString(file), "old");
  g_Lib.desktopWidth = width;
  Settings_SetFolder(saved);
}

// A model whose texture is found neither beside it nor in the current folder is read, and the
// user is told which texture is missing; the one beside the model is found.
TEST_F(FileMenuTest, MissingTexturesAreNamed) {
  FakeDev_Install();
  Model3 *m = PutModel(0, 1);
  m->textureCount = 3;
  m->textures[1].used = m->textures[2].used = 1;
  Model3_SetText(&m->textures[1].name, "here.png");
  Model3_SetText(&m->textures[2].name, "gone.png");
  ASSERT_TRUE(Shown(Kzp_Write, m, "t.KZP"));
  g_Fake->loaderFiles["here.png"] = {8, 8};   // the dialog leaves the model's folder current
  g_answers = {std::string(dir) + "/t.KZP"};
  ASSERT_EQ(chdir("/"), 0);   // the dialog's own folder: elsewhere
  FileMenu_Command(IDM_KZP_OPEN);
  ASSERT_EQ(chdir(dir), 0);
  EXPECT_EQ(g_boxes, std::vector<std::string>{"次のテクスチャが見つかりませんでした。\n\ngone.png"});
  ASSERT_NE(g_ModelPoses[0], nullptr);
  EXPECT_NE(g_ModelPoses[0]->textures[1], nullptr);
  // A texture that is there in a kind of image not handled (a grey PSD) is said once, for
  // what it is, and is not in the list of those not found.
  WriteFileBytes("quad.psd", std::string("8BPS\0\1\0\0\0\0\0\0\0\1", 14));
  m = Model3_Get(0);   // the model read
  ASSERT_NE(m, nullptr);
  Model3_SetText(&m->textures[1].name, "quad.psd");
  ASSERT_TRUE(Shown(Kzp_Write, m, "t.KZP"));
  g_boxes.clear();
  g_answers = {std::string(dir) + "/t.KZP"};
  FileMenu_Command(IDM_KZP_OPEN);
  ASSERT_EQ(g_boxes.size(), 2u);
  EXPECT_NE(g_boxes[0].find("quad.psd を読み込めません。この形式の画像には対応していません。"), std::string::npos) << g_boxes[0];
  EXPECT_EQ(g_boxes[1], "次のテクスチャが見つかりませんでした。\n\ngone.png");
  remove("quad.psd");
  Model3_FreeAllSlots();
  FakeDev_Remove();
}

// An empty or cut foreign file chosen in an open command is refused with a message naming
// it (the importers say nothing of a file that is not theirs), and the model stays.
TEST_F(FileMenuTest, EmptyAndCutForeignFilesAreRefusedWithAMessage) {
  struct Case { u32 id; const char *name; std::string bytes; };
  const Case cases[] = {
      {IDM_X_OPEN, "empty.x", ""},
      {IDM_X_OPEN, "cut.x", "xof 0303txt 0032\nMesh { 3; 0;0;0;, 1;0"},
      {IDM_X_OPEN, "cut_bin.x", "xof 0303bin 0032\x1f\x00"},
      {IDM_MQO_OPEN, "cut.mqo", "Metasequoia Document\r\nForm"},
      {IDM_MQO_OPEN, "cut_object.mqo", "Metasequoia Document\r\nFormat Text Ver 1.0\r\nObject \"a\" {\r\n\tvertex 3 {\r\n"},
      {IDM_MX_OPEN, "empty.mx", ""},
      {IDM_ROK_OPEN, "cut.rok", "POINT\n1\n"},
      {IDM_LWO_OPEN, "empty.lwo", ""},
      {IDM_DXF_OPEN, "cut.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\n3DFACE\n 10\n"},
  };
  for (const Case &c : cases) {
    Model3 *before = PutModel(0, 2);
    g_Sel.g_CurSlot = 0;
    WriteFileBytes(c.name, std::vector<u8>(c.bytes.begin(), c.bytes.end()));
    g_boxes.clear();
    g_answers = {c.name};
    FileMenu_Command(c.id);
    EXPECT_EQ(g_Model3Slots[0], before) << c.name;
    ASSERT_EQ(g_boxes.size(), 1u) << c.name << " refused in silence";
    EXPECT_EQ(g_boxes[0].find(c.name), 0u) << g_boxes[0];
    remove(c.name);
  }
}
