// The script runtime over a recording host: the per-frame statement budget, ScreenDraw,
// the end of a script, arithmetic and comparisons on truncated values, Key, the image-draw
// queue, missing slots and objects, run / stop with the source file, and the F5 release.
#include "tests/support/hook_at.h"
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "file_bytes.h"
#include <string.h>

#include "app/settings.h"
#include "lib/framework/lib.h"
#include "model/docref.h"
#include "lib/framework/lib_state.h"
#include "prog_host_fake.h"
#include "resources/prog_ids.h"
#include "tests/support/widget_fake.h"

typedef FakeProgHost Fake;

TEST_F(ProgRunTest, AGoLoopRunsAThousandStatementsPerFrameAndResumesWhereItStopped) {
  Start("Var x\n*L\nx = x + 1\nGo *L\n");
  Prog_Execute();
  // Var, then 333 rounds of label, assignment and Go.
  EXPECT_EQ(Var("x"), 333.0f);
  EXPECT_EQ(Rt().currentStatement, 1);
  EXPECT_EQ(Rt().running, 1);
  Prog_Execute();
  EXPECT_EQ(Var("x"), 666.0f);
  EXPECT_EQ(Rt().currentStatement, 2);
}

TEST_F(ProgRunTest, ScreenDrawEndsTheFrameAndRunningOffTheEndStopsBeforeTheNotice) {
  Start("Var x\n*L\nx = x + 1\nScreenDraw\nIf x < 3\nGo *L\nEnd\n");
  Prog_Update(Hook_Now());
  EXPECT_EQ(Var("x"), 1.0f);
  EXPECT_EQ(Rt().currentStatement, 4);
  Prog_Update(Hook_Now());
  EXPECT_EQ(Var("x"), 2.0f);
  Prog_Update(Hook_Now());   // x = 3: the If fails and the last line is passed
  EXPECT_EQ(Var("x"), 3.0f);
  EXPECT_EQ(Rt().running, 1);
  Fake::calls.clear();
  Prog_Update(Hook_Now());
  EXPECT_EQ(Rt().running, 0);
  EXPECT_EQ(Fake::Count("print"), 0u);   // this frame found the end; the notice follows
  Str_Copy(g_ProgEditor.sourceFolder, PROG_TEXT_SIZE, "C:\\src");
  Str_Copy(g_ProgEditor.sourceName, PROG_TEXT_SIZE, "a.txt");
  Prog_Update(Hook_Now());
  std::vector<std::string> want = {"print 5 5 プログラム停止中", "print 5 35 フォルダ : C:\\src",
                                   "print 5 60 ファイル : a.txt"};
  EXPECT_EQ(Fake::calls, want);
}

TEST_F(ProgRunTest, ValuesTruncateTowardZeroAndImpossibleRemaindersAreMended) {
  struct Case {
    const char *src;
    f32 want;
  } cases[] = {
      {"r = 0\nIf 2.9 = 2.1\nr = 1\nEnd\n", 1.0f},                       // both are 2
      {"r = 0\nIf 2.9 > 2.1\nr = 1\nEnd\n", 0.0f},
      {"r = 0\nIf 0 < 1\nr = 1\nEnd\n", 1.0f},
      {"y = 0 - 7\nr = y % 3\n", -1.0f},                                 // sign of the left
      {"y = 0 - 7.9\nr = y % 2.5\n", -1.0f},                             // -7 % 2
      {"r = 5\nr = r % 0.5\n", 5.0f},                                    // by 0: unchanged
      {"y = 0 - 2147483648\nz = 0 - 1\nr = y % z\n", 0.0f},              // INT_MIN % -1
      {"y = 0 - 1e20\nr = y % 7\n", -2.0f},                              // clamped to INT_MIN
      {"y = 1e20\nr = y % 1000\n", 647.0f},                              // clamped to INT_MAX
      {"z = 0\ny = z / z\nr = y % 7\n", 0.0f},                           // NaN truncates to 0
      {"r / 2\n", 2.0f},                                                  // three words: stores 2
      {"y = 7\nr = y / 2\n", 3.5f},
      {"y = 7\nr = y * 3\nr = r - 1\n", 20.0f},
  };
  for (const Case &c : cases) {
    Start(std::string("Var r\nVar y\nVar z\n") + c.src);
    Prog_Execute();
    EXPECT_EQ(Var("r"), c.want) << c.src;
    EXPECT_EQ(Rt().running, 0) << c.src;
  }
}

TEST_F(ProgRunTest, KeyNotHeldSkipsPastItsEndAndHeldRunsIn) {
  const char *src = "Var r\nVar s\nKey A\nr = 1\nEnd\ns = 1\n";
  for (bool held : {false, true}) {
    Fake::held = held ? std::set<i32>{65} : std::set<i32>{};
    Start(src);
    Prog_Execute();
    EXPECT_EQ(Var("r"), held ? 1.0f : 0.0f);
    EXPECT_EQ(Var("s"), 1.0f);
  }
}

TEST_F(ProgRunTest, TheImageQueueKeeps1023DrawsInOrderAndNoneWhileTextIsOff) {
  Start("Var x\nImgLoad 3 a.png\n*L\nImgDraw 3 x 7\nx = x + 1\nGo *L\n");
  for (int f = 0; f < 6; f++) Prog_Execute();   // about 1500 ImgDraw, no draw in between
  EXPECT_GT(Var("x"), 1023.0f);
  EXPECT_EQ(Rt().queueCount, 1023);
  Fake::calls.clear();
  Prog_Draw(Hook_Draw(g_Shell.g_DrawView));
  ASSERT_EQ(Fake::calls.size(), 1023u);
  for (int i = 0; i < 1023; i++) EXPECT_EQ(Fake::calls[i], "imageDraw 0 " + std::to_string(i) + " 7");
  EXPECT_EQ(Rt().queueCount, 0);
  Fake::textOn = false;
  Prog_Execute();
  EXPECT_EQ(Rt().queueCount, 0);
  // Loading again in a loop keeps the slot's row.
  Start("*L\nImgLoad 3 b.png\nGo *L\n");
  Fake::calls.clear();
  Prog_Execute();
  EXPECT_EQ(Fake::Count("imageLoad b.png row 0"), 333u);
}

TEST_F(ProgRunTest, MissingSlotsAndObjectsAreSkippedAndLoggedOncePerLine) {
  Start("*L\nPolyPos 7 1 2 3\nPolyMotion 300 1\nImgDraw 5 0 0\nPolyLight 9 1\nPolyVB 1e20 4\n"
        "ImgLoad -1 a.png\nPolyLoad 2 m.kzp\nPolyPos 2 4 5 6\nPolyAng 0 90 0 0\nPolyMotion 2 3\nVar r\nFont 0 0 " +
        std::string(300, 'a') + "\nr = r / 0\nr = r % 0\nFolder nowhere\nScreenDraw\nGo *L\n");
  logs.clear();
  Prog_Execute();
  Prog_Execute();
  std::vector<std::string> want = {"2 行目 : オブジェクト 7 がありません。", "3 行目 : モデルスロット 300 がありません。",
                                   "4 行目 : 画像スロット 5 がありません。", "5 行目 : モデルスロット 9 がありません。",
                                   "6 行目 : モデルスロット 2147483647 がありません。",
                                   "7 行目 : 画像スロット -1 がありません。", "14 行目 : 0 で割ることはできません。",
                                   "15 行目 : 0 で割ることはできません。", "16 行目 : フォルダ nowhere に移動できませんでした。"};
  EXPECT_EQ(logs, want);
  // PolyLoad makes object 2 once; then the object and the model take the statements.
  EXPECT_EQ(Fake::Count("objectCreate 2"), 1u);
  EXPECT_EQ(Fake::Count("modelLoad 2 m.kzp"), 2u);
  EXPECT_EQ(Fake::Count("objectSet 2 0 4 5 6"), 2u);
  EXPECT_EQ(Fake::Count("objectSet 0 1 90 0 0"), 2u);
  EXPECT_EQ(Fake::Count("modelSet 2 1 3"), 2u);
}

// Run and stop with a source file in a temporary folder that is also the data folder's sibling.
struct ProgRunFileTest : ProgRunTest {
  std::string dir, data;
  void SetUp() override {
    ProgRunTest::SetUp();
    char tmpl[] = "/tmp/progrunXXXXXX";
    dir = mkdtemp(tmpl);
    data = dir + "/data";
    ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
    Fake::dataDir = data;
    Str_Copy(g_ProgEditor.sourceFolder, PROG_TEXT_SIZE, dir.c_str());
    Str_Copy(g_ProgEditor.sourceName, PROG_TEXT_SIZE, "s.txt");
  }
  void TearDown() override {
    g_AppShell.progFolder[0] = g_AppShell.progFile[0] = 0;
    Fake::dataDir.clear();
    ProgRunTest::TearDown();
    EXPECT_EQ(system(("rm -rf " + dir).c_str()), 0);
  }
  void Write(const std::string &src) { WriteFileBytes(dir + "/s.txt", src); }
  static std::string Cwd() {
    char b[4096];
    return getcwd(b, sizeof b) ? b : "";
  }
};

TEST_F(ProgRunFileTest, RunCompilesOnceWritesProgramKzsAndRunningAgainStartsFromZero) {
  Write("Var x\nx = x + 5\nFolder sub\n");
  Prog_Run();
  EXPECT_EQ(Rt().running, 1);
  EXPECT_EQ(Cwd(), data);
  std::vector<std::string> cam = {"camera 0 0 0 -50", "camera 1 0 0 0"};
  EXPECT_EQ(Fake::calls, cam);
  FileData f = {};
  ASSERT_TRUE(File_ReadAll((dir + "/Program.KZS").c_str(), &f));
  // The file of "Var x\nx = 3\n" (173 bytes) and one more statement of 68 bytes and "sub".
  EXPECT_EQ(f.size, 244u);
  EXPECT_EQ(Blob(f.data, f.data + f.size), Written());
  File_Free(&f);
  Prog_Execute();
  EXPECT_EQ(Var("x"), 5.0f);
  Prog_Run();
  EXPECT_EQ(Var("x"), 0.0f);
  EXPECT_EQ(Rt().tables.variableCount, 1);
  // A source that does not compile does not run.
  Prog_Stop();
  Write(std::string(1001, '\n'));
  Prog_Run();
  EXPECT_EQ(Rt().running, 0);
  EXPECT_EQ(Cwd(), data);
}

TEST_F(ProgRunFileTest, StopFreesTheModelsAndReturnsToTheDataFolderAfterAFolderStatement) {
  Write("Folder ..\nPolyLoad 1 m.kzp\n*L\nGo *L\n");
  Prog_Run();
  Prog_Execute();
  EXPECT_EQ(Fake::models, std::set<i32>{1});
  ASSERT_TRUE(chdir(dir.c_str()) == 0);   // where a real Folder statement would leave it
  Prog_Stop();
  EXPECT_EQ(Rt().running, 0);
  EXPECT_TRUE(Fake::models.empty());
  EXPECT_EQ(Cwd(), data);
}

// A load finds its file in the current folder (the data folder during a run) as before, then
// beside the script; one found nowhere, or not read, is logged naming it with its line.
TEST_F(ProgRunFileTest, LoadsLookBesideTheScriptAndNameTheFileNotFound) {
  WriteFileBytes(data + "/here.png", "x", 1);
  WriteFileBytes(dir + "/beside.png", "x", 1);
  WriteFileBytes(dir + "/m.kzp", "x", 1);
  WriteFileBytes(data + "/bad.png", "x", 1);
  Write("ImgLoad 0 here.png\nImgLoad 1 beside.png\nImgLoad 2 star.png\nImgLoad 3 bad.png\nPolyLoad 1 m.kzp\n"
        "*L\nGo *L\n");
  g_SceneSeam.imageLoad = [](ImageHandle *hd, const char *p) {
    hd->loaded = strstr(p, "bad.png") ? 0 : DocRef_Exists(p);
    Fake::Add("imageLoad %s %u", p, hd->loaded);
    return hd->loaded ? 0 : -1;
  };
  Prog_Run();
  logs.clear();
  Prog_Execute();
  Prog_Execute();
  EXPECT_EQ(Fake::Count("imageLoad here.png 1"), 1u);
  EXPECT_EQ(Fake::Count("imageLoad " + dir + "/beside.png 1"), 1u);
  EXPECT_EQ(Fake::Count("modelLoad 1 " + dir + "/m.kzp"), 1u);
  std::vector<std::string> want = {"3 行目 : star.png が見つかりませんでした。", "4 行目 : bad.png を読み込めませんでした。"};
  EXPECT_EQ(logs, want);
}

// A load looks in the script's own folder first, then the data folder (current during a run)
// where scripts written before found their files, then by the file name beside the script;
// after a Folder statement the folder it chose comes first.
TEST_F(ProgRunFileTest, LoadsLookInTheScriptsFolderFirstUnlessAFolderStatementChoseOne) {
  ASSERT_EQ(mkdir((dir + "/sub").c_str(), 0755), 0);
  ASSERT_EQ(mkdir((dir + "/pics").c_str(), 0755), 0);
  for (const std::string &f : {dir + "/both.png", data + "/both.png", data + "/old.png", dir + "/sub/deep.png",
                               dir + "/pics/both.png", dir + "/only.png", dir + "/m.kzp", data + "/m.kzp"})
    WriteFileBytes(f, "x", 1);
  struct Case {
    const char *folder;   // the Folder statement's text, or null for none
    const char *load;     // the load statement
    std::string want;     // the path the loader is given
  } cases[] = {
      {nullptr, "ImgLoad 0 both.png", dir + "/both.png"},     // beside the script before the data folder
      {nullptr, "ImgLoad 0 old.png", "old.png"},              // a script written before: the data folder
      {nullptr, "ImgLoad 0 sub/deep.png", dir + "/sub/deep.png"},
      {nullptr, "ImgLoad 0 elsewhere/only.png", dir + "/only.png"},   // its name alone beside the script
      {nullptr, "PolyLoad 1 m.kzp", dir + "/m.kzp"},
      {"../pics", "ImgLoad 0 both.png", "both.png"},           // the Folder statement's folder first
      {"../pics", "ImgLoad 0 only.png", dir + "/only.png"},    // then the script's
      {"..", "PolyLoad 1 m.kzp", "m.kzp"},
  };
  g_SceneSeam.imageLoad = [](ImageHandle *hd, const char *p) {
    hd->loaded = DocRef_Exists(p);
    Fake::Add("load %s", p);
    return hd->loaded ? 0 : -1;
  };
  g_SceneSeam.modelLoad = [](i32, const char *p) {
    Fake::Add("load %s", p);
    return true;
  };
  g_SceneSeam.changeDir = [](const char *p) { return chdir(p) == 0 || (ADD_FAILURE() << p, false); };
  for (const Case &c : cases) {
    Write((c.folder ? std::string("Folder ") + c.folder + "\n" : std::string()) + c.load + "\n*L\nGo *L\n");
    Prog_Run();
    Fake::calls.clear();
    logs.clear();
    Prog_Execute();
    std::vector<std::string> want = {"load " + c.want};
    std::vector<std::string> loads;
    for (const std::string &call : Fake::calls)
      if (call.rfind("load ", 0) == 0) loads.push_back(call);
    EXPECT_EQ(loads, want) << c.load << " after Folder " << (c.folder ? c.folder : "-");
    EXPECT_TRUE(logs.empty()) << c.load;
    Prog_Stop();
  }
}

TEST_F(ProgRunFileTest, OneF5ReleaseRunsOnceThroughBothPathsAndF6StopsOnce) {
  Write("Var x\n*L\nGo *L\n");
  auto runs = [] { return Fake::Count("camera 0"); };
  Prog_KeyUp(Hook_Key(116));   // the main loop's key-up
  Prog_ShellRunKey();   // the same release through the shell's key table
  EXPECT_EQ(runs(), 1u);
  Prog_Update(Hook_Now());
  Prog_ShellRunKey();   // a release the loop did not see
  EXPECT_EQ(runs(), 2u);
  Prog_KeyUp(Hook_Key(117));
  Prog_ShellStopKey();
  EXPECT_EQ(Fake::Count("freeModels"), 1u);
  Prog_KeyUp(Hook_Key(65));
  EXPECT_EQ(runs(), 2u);
}

TEST_F(ProgRunFileTest, EnteringTwiceAndLeavingFreesEveryRuntime) {
  Write("Var x\n*L\nGo *L\n");
  // The source dialog is a panel of the widget fake, made on entry and destroyed on exit.
  WidgetFake_Install();
  g_SceneSeam.enterWindows = [] { g_ProgEditor.sourceDialog = Widget_CreatePanel("PROG_SOURCE", 0, 0, 400, 900); };
  g_SceneSeam.leaveWindows = [] {
    Widget_Destroy(g_ProgEditor.sourceDialog);
    g_ProgEditor.sourceDialog = nullptr;
  };
  auto shown = [] { return WidgetFake_Text(g_ProgEditor.sourceDialog, IDC_PROG_EDIT); };
  Prog_Enter(Hook_Now());
  EXPECT_EQ(shown(), "Var x\n*L\nGo *L\n");   // the source shown on entry
  Prog_Run();
  ProgRuntime *first = g_ProgEditor.runtime;
  ASSERT_TRUE(first && first->running);
  Prog_Leave(Hook_Now());
  EXPECT_EQ(g_ProgEditor.runtime, nullptr);
  Prog_Enter(Hook_Now());
  ASSERT_NE(g_ProgEditor.runtime, nullptr);
  EXPECT_EQ(g_ProgEditor.runtime->running, 0);
  EXPECT_EQ(shown(), "Var x\n*L\nGo *L\n");   // and again on the next
  EXPECT_EQ(g_WidgetFake.created.size(), 2u);
  Prog_Leave(Hook_Now());
  WidgetFake_Remove();
  EXPECT_EQ(g_Lib.runState, 7u);
  EXPECT_EQ(Cwd(), data);
}

// The chosen source goes into the settings file's fields (which Settings tests save and load)
// and comes back from them after a restart.
TEST_F(ProgRunFileTest, TheChosenSourceComesBackAfterARestart) {
  g_SceneSeam.chooseSource = [](const char *) { return "s.txt"; };
  Prog_Command(Hook_Command(IDM_PROG_SOURCE));
  g_ProgEditor.sourceFolder[0] = g_ProgEditor.sourceName[0] = 0;   // all a restart keeps is the file
  Prog_Enter(Hook_Now());
  EXPECT_EQ(g_ProgEditor.sourceFolder + std::string("/") + g_ProgEditor.sourceName, dir + "/s.txt");
  Prog_Leave(Hook_Now());
}

// A run compiles the source and never writes it: sources with errors, CR LF line ends, blanks
// at line ends, a last line without its end and a line past 255 bytes are the same bytes
// after a run, a few frames and a stop.
TEST_F(ProgRunFileTest, ARunLeavesTheSourceAsItWas) {
  const std::string sources[] = {
      "Var a\nIf a >\nEnd\nb = a + 1\nfoo\n",
      "Var x\r\nx = x + 1 \r\nScreenDraw\r\n",
      "Var x\nx = 3",
      "ScreenDraw" + std::string(300, ' ') + "ScreenDraw\n",
  };
  for (const std::string &src : sources) {
    Write(src);
    Prog_Run();
    for (int frame = 0; frame < 3; frame++) Prog_Execute();
    Prog_Stop();
    EXPECT_EQ(ReadFileString(dir + "/s.txt"), src);
  }
}
