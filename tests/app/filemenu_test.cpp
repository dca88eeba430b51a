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

#include "app/current.h"
#include "app/entries.h"
#include "app/filemenu.h"
#include "app/keys.h"
#include "app/settings.h"
#include "app/views.h"
#include "file_bytes.h"
#include "lib/framework/lib.h"
#include "lib/media/dialogs.h"
#include "model/bone2.h"
#include "model/kzo.h"
#include "model/kzp.h"
#include "model/model3.h"
#include "model/obj2.h"
#include "model/seam.h"
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
  u32 savedPolys = 0, savedVerts = 0;
  char savedDataDir[LIB_TEXT_SIZE];

  void SetUp() override {
    Shell_ResetForTest();
    savedSeam = g_Seam;
    savedDlg = g_FileDlgPlatform;
    savedEntries = g_ShellEntries;
    savedPolys = g_MaxPolygons;
    savedVerts = g_MaxVertices;
    memcpy(savedDataDir, g_DataDir, sizeof savedDataDir);
    g_MaxPolygons = 10100;
    g_MaxVertices = 4096;
    App_AllocWorkArrays();
    ASSERT_TRUE(getcwd(cwd, sizeof cwd));
    ASSERT_TRUE(mkdtemp(dir));
    ASSERT_EQ(chdir(dir), 0);
    Str_Copy(g_DataDir, sizeof g_DataDir, dir);
    g_dialogs.clear();
    g_answers.clear();
    g_boxes.clear();
    g_labels.clear();
    g_timerResets = g_listRefreshes = 0;
    g_Seam.errorBox = [](const char *t) { g_boxes.push_back(t); };
    g_Seam.timerReset = [] { g_timerResets++; };
    g_FileDlgPlatform.run = RunDialog;
    g_ShellSeam.undoPush = [](const char *l) { g_labels.push_back(l); };
    g_ShellEntries.obj2RefreshLists = [] { g_listRefreshes++; };
    g_EditFamily = 11;
    g_EditSubMode = L;
    g_CurSlot = 0;
    g_Cur2DSlot = 0;
    g_PickedVertex = g_PickedPolygon = -1;
    // Main view and two views of their own.
    g_ViewCount[L] = 3;
    for (u32 i = 0; i < 3; i++) {
      ViewRecord &v = g_Views[L][i];
      v.inUse = 1;
      v.kind = i == 0 ? VIEW_MAIN : i;
      v.zoom = 1;
      v.panX = v.panY = v.panZ = 7;
    }
    g_CurView = &g_Views[L][0];
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
    g_FileDlgPlatform = savedDlg;
    g_ShellEntries = savedEntries;
    g_MaxPolygons = savedPolys;
    g_MaxVertices = savedVerts;
    memcpy(g_DataDir, savedDataDir, sizeof savedDataDir);
    g_CurSlot = 0;
    App_RefreshCurrentPointers();
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
  Snapshot s = {g_CurSlot, g_Cur2DSlot, g_CurBoneIndex, g_PickedVertex, g_PickedPolygon,
                {g_Model3Slots[0], g_Model3Slots[3], g_Model3Slots[10], g_Model3Slots[255]},
                g_Bone2Slots[0], g_Obj2Slots[0], g_Obj3Sets[0], g_PolySelVerts[1], g_PolySelFaces[1], {},
                g_labels.size()};
  memcpy(s.views, g_Views[L], sizeof s.views);
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
  g_CurSlot = 3;
  g_CurBoneIndex = 5;
  g_PickedVertex = 1;
  g_PickedPolygon = 1;
  g_PolySelVerts[1] = g_PolySelFaces[1] = 1;
  g_CurPartIndex = 4;
  const u32 opens[] = {40023, 40092, 40044, 40032, 40062, 40047, 40046, 40053, 40080,
                       40025, 40095, 40104, 40033, 40063, 40065, 40066};
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
  EXPECT_EQ(g_CurPartIndex, 1u);   // the KZO command starts the object editor again
  EXPECT_TRUE(g_boxes.empty());
  // A kind whose editor has not registered a reader says so before any dialog.
  DocFileEntries registered = g_ShellEntries.map2;
  g_ShellEntries.map2 = {};
  size_t dialogs = g_dialogs.size();
  EXPECT_TRUE(FileMenu_Command(53));
  EXPECT_EQ(g_dialogs.size(), dialogs);
  EXPECT_EQ(g_boxes, std::vector<std::string>{"MAP2 の読み込みは、まだ用意されていません。"});
  g_ShellEntries.map2 = registered;
}

TEST_F(FileMenuTest, KzpOpenFitsRecordsAndClears) {
  Model3 *m = PutModel(0, 1, 5);
  ASSERT_TRUE(Kzp_Write(m, "a.KZP"));
  Model3_FreeAllSlots();
  PutModel(3, 1);
  g_CurSlot = 3;
  g_PickedVertex = g_PickedPolygon = 2;
  g_PolySelVerts[1] = g_PolySelFaces[0] = 1;
  ViewRecord view0 = g_Views[L][0];
  g_answers = {"a.KZP"};
  FileMenu_Command(40023);
  ASSERT_EQ(g_dialogs.size(), 1u);
  EXPECT_EQ(g_dialogs[0].title, "読み込む KZP ファイルを選択して下さい");
  ASSERT_NE(g_Model3Slots[0], nullptr);
  EXPECT_EQ(g_Model3Slots[0]->positions[1].x, 5.0f);
  EXPECT_EQ(g_CurSlot, 0u);
  EXPECT_EQ(g_PickedVertex, -1);
  EXPECT_EQ(g_PickedPolygon, -1);
  EXPECT_EQ(g_PolySelVerts[1], 0u);
  EXPECT_EQ(g_PolySelFaces[0], 0u);
  EXPECT_EQ(g_labels, std::vector<std::string>{"a.KZP 読み込み"});
  EXPECT_EQ(0, memcmp(&view0, &g_Views[L][0], sizeof view0));   // view 0 is not fitted
  EXPECT_NE(g_Views[L][1].panX, 7.0f);
  EXPECT_NE(g_Views[L][2].panX, 7.0f);
  EXPECT_EQ(g_Model3Slots[0]->bones[17].expanded, 1u);
  EXPECT_TRUE(g_boxes.empty());
}

TEST_F(FileMenuTest, DamagedKzpKeepsModelSelectionsAndViews) {
  Model3 *m = PutModel(0, 1, 5);
  ASSERT_TRUE(Kzp_Write(m, "a.KZP"));
  std::vector<u8> bytes = ReadFileBytes("a.KZP");
  bytes.resize(bytes.size() / 2);
  WriteFileBytes("b.KZP", bytes);
  g_PickedVertex = g_PickedPolygon = 2;
  g_PolySelVerts[1] = g_PolySelFaces[1] = 1;
  Snapshot before = Take();
  g_answers = {"b.KZP"};
  FileMenu_Command(40023);
  EXPECT_EQ(g_boxes.size(), 1u);
  Snapshot after = Take();
  after.labels = before.labels;   // the named load still files its step (the model is unchanged)
  ExpectSame(before, after, 40023);
  EXPECT_EQ(g_Model3Slots[0], m);
}

TEST_F(FileMenuTest, SavesWithoutDataWriteNothing) {
  const u32 saves[] = {40024, 40099, 40026, 40097, 40106, 40034, 40064, 54, 40045, 40048, 40054};
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
  g_CurSlot = 10;
  g_boxes.clear();
  FileMenu_Command(40026);
  EXPECT_EQ(g_boxes.size(), 1u);
  EXPECT_TRUE(Files().empty());
}

TEST_F(FileMenuTest, ExportLimitAndSaveDefaults) {
  Model3 *m = PutModel(0, 10000);
  Model3_SetText(&m->fileName, "robot.KZP");
  g_answers = {"ok.x", "kzp.KZP"};
  FileMenu_Command(40054);
  FileMenu_Command(40024);
  ASSERT_EQ(g_dialogs.size(), 2u);
  EXPECT_EQ(g_dialogs[0].title, "名前を付けてファイルに保存");
  EXPECT_TRUE(g_dialogs[0].save);
  EXPECT_EQ(g_dialogs[1].defaultName, "robot.KZP");
  EXPECT_FALSE(ReadFileBytes("ok.x").empty());
  EXPECT_FALSE(ReadFileBytes("kzp.KZP").empty());
  m->polygonCount = 10001;
  g_answers = {"big.x"};
  FileMenu_Command(40054);
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
  FileMenu_Command(40092);
  ASSERT_NE(g_Model3Slots[0], nullptr);
  EXPECT_EQ(g_Model3Slots[0]->positionCount > 0, true);
  EXPECT_EQ(g_labels, std::vector<std::string>{"box.mqo 読み込み"});
  EXPECT_NE(g_Views[L][1].panX, 7.0f);
  EXPECT_EQ(g_dialogs[0].title, "読み込むファイルを選択して下さい");

  Model3 *m = PutModel(1, 1);
  ASSERT_TRUE(Kzp_Write(m, "bg.KZP"));
  g_answers = {"bg.KZP"};
  FileMenu_Command(40066);
  EXPECT_EQ(g_CurSlot, 10u);
  ASSERT_NE(g_Model3Slots[10], nullptr);
  EXPECT_EQ(g_CurModel3, g_Model3Slots[10]);
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
  g_ShellSeam.setVSync = [](u32 on) { g_LibFlags.vsync = (u8)on; };
  g_MainWndRect[2] = 800;
  g_MainWndRect[3] = 600;
  GpuInfo gpu = g_GpuInfo;
  g_GpuInfo.level = 3;   // render mode 4 needs a card that can skin

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
  EXPECT_EQ(g_ZKeyHeld, 1u);
  App_OnKeyUp('Z');
  EXPECT_EQ(g_ZKeyHeld, 0u);

  // Each of these as its own idle pass.
  auto release = [](u32 vk) { g_AppShell.keyLatch = 0; App_OnKeyUp(vk); };
  release(119);
  EXPECT_EQ(g_Model3Slots[0]->renderMode, 4u);
  release(119);
  EXPECT_EQ(g_Model3Slots[0]->renderMode, 0u);
  release('U');
  EXPECT_EQ(g_undos, 1);

  g_LibFlags.vsync = 0;
  g_AppShell.vsync[L] = 0;
  release(114);
  EXPECT_EQ(g_AppShell.vsync[L], 1);
  EXPECT_EQ(g_LibFlags.vsync, 1);
  release(114);
  EXPECT_EQ(g_AppShell.vsync[L], 0);
  EXPECT_EQ(g_LibFlags.vsync, 0);

  // F5 and F6: the program family runs and stops; elsewhere F5 only refreshes lists.
  FamilyHooks movieRow = g_FamilyHooks[22];
  g_FamilyHooks[22].refreshLists = [] { g_listRefreshes++; };
  g_EditFamily = 22;
  g_EditSubMode = 22;
  release(116);
  release(117);
  EXPECT_EQ(g_runs + g_stops, 0);
  EXPECT_EQ(g_listRefreshes, 1);
  g_FamilyHooks[22] = movieRow;
  g_EditFamily = 23;
  g_EditSubMode = 23;
  release(116);
  release(117);
  EXPECT_EQ(g_runs, 1);
  EXPECT_EQ(g_stops, 1);
  g_GpuInfo = gpu;
}
