// File-name utilities, dialog filters and the current-folder convention, and the log's
// line sink (lines dropped while the window does not exist, also after it was closed).
#include <gtest/gtest.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "lib/media/dialogs.h"
#include "lib/media/filename.h"
#include "lib/media/log.h"
#include "model/seam.h"
#include "model/seam_log.h"
#include "model/str.h"

namespace {

TEST(FileName, ExtensionAndStem) {
  EXPECT_STREQ(FileDlg_GetExtension("model.KZP"), "KZP");
  EXPECT_STREQ(FileDlg_GetExtension("archive.tar.gz"), "gz");
  EXPECT_STREQ(FileDlg_GetExtension(".hidden"), "");
  EXPECT_STREQ(FileDlg_GetExtension("noext"), "");
  EXPECT_STREQ(FileDlg_GetExtension(""), "");
  EXPECT_STREQ(FileDlg_StripExtension("model.KZP"), "model");
  EXPECT_STREQ(FileDlg_StripExtension("archive.tar.gz"), "archive.tar");
  EXPECT_STREQ(FileDlg_StripExtension("noext"), "");
  EXPECT_STREQ(FileDlg_StripExtension(".hidden"), "");
  EXPECT_STREQ(FileDlg_StripExtension(""), "");
  // Names longer than the result buffer are cut, never overrun.
  std::string longName(600, 'a');
  longName += ".x";
  EXPECT_EQ(strlen(FileDlg_StripExtension(longName.c_str())), 255u);
  std::string longExt = "a." + std::string(600, 'b');
  EXPECT_EQ(strlen(FileDlg_GetExtension(longExt.c_str())), 255u);
}

TEST(FileDialogFilter, OneExtensionMakesLabelAndPattern) {
  char f[256];
  ASSERT_TRUE(FileDlg_BuildFilter(f, sizeof f, "KZP"));
  const char want[] = "KZP Files (*.KZP)\0*.KZP\0";
  EXPECT_EQ(memcmp(f, want, sizeof want), 0);
  EXPECT_EQ(FileDlg_FilterLength(f, sizeof f), sizeof want);
  // An extension too long for the 256-byte filter is refused, not cut into another pattern.
  std::string ext(100, 'e');
  EXPECT_FALSE(FileDlg_BuildFilter(f, sizeof f, ext.c_str()));
  EXPECT_EQ(FileDlg_FilterLength("a\0b", 4), 0u);
}

// The fake dialog "picks" fileTitle in folder, as the real one does: it changes into it.
std::string g_PickFolder, g_PickTitle;
std::vector<std::string> g_SeenInitialDirs, g_SeenDefExt;
bool FakeRun(FileDlgRequest *req) {
  g_SeenInitialDirs.push_back(req->initialDir ? req->initialDir : "(null)");
  g_SeenDefExt.push_back(req->defaultExt ? req->defaultExt : "");
  if (g_PickTitle.empty()) return false;
  if (chdir(g_PickFolder.c_str()) != 0) return false;
  Str_Format(req->file, FILEDLG_TEXT, "%s/%s", g_PickFolder.c_str(), g_PickTitle.c_str());
  Str_Copy(req->fileTitle, FILEDLG_TEXT, g_PickTitle.c_str());
  return true;
}

struct DialogTest : ::testing::Test {
  char saved[512];
  void SetUp() override {
    ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    g_FileDlg = FileDlgState{};
    g_LibHooks.fileDlg.run = FakeRun;
    g_SeenInitialDirs.clear();
    g_SeenDefExt.clear();
    Str_Copy(g_Lib.dataDir, sizeof g_Lib.dataDir, "/data/dir");
    char tmpl[] = "/tmp/miravel_dlgXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    g_PickFolder = tmpl;
  }
  void TearDown() override {
    ASSERT_EQ(chdir(saved), 0);
    rmdir(g_PickFolder.c_str());
    g_LibHooks.fileDlg = FileDlgPlatform{};
  }
};

TEST_F(DialogTest, OpenReturnsTheBareNameLeavesTheFolderCurrentAndRemembersIt) {
  g_PickTitle = "a.kzp";
  const char *r = FileDlg_OpenByExt(nullptr, "kzp", "open", "");
  EXPECT_STREQ(r, "a.kzp");
  char cwd[512];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  EXPECT_EQ(std::string(cwd), g_PickFolder);
  EXPECT_EQ(std::string(g_FileDlg.folder), g_PickFolder);
  // The first dialog started in the data folder, the next starts in the remembered one.
  FileDlg_OpenByExt(nullptr, "kzp", "open", "");
  ASSERT_EQ(g_SeenInitialDirs.size(), 2u);
  EXPECT_EQ(g_SeenInitialDirs[0], "/data/dir");
  EXPECT_EQ(g_SeenInitialDirs[1], g_PickFolder);
}

// A path typed into the name box: the dialog returns it in full and leaves the current folder
// where it was. Open and save give the bare name of the typed file with its folder current,
// whether the path was full or relative; a folder that cannot be entered gives the full path.
TEST_F(DialogTest, TypedPathsNameTheTypedFile) {
  const std::string sub = g_PickFolder + "/sub";
  ASSERT_EQ(mkdir(sub.c_str(), 0755), 0);
  ASSERT_EQ(chdir(g_PickFolder.c_str()), 0);
  struct Case { std::string typed, result, folder; bool save; };
  const Case cases[] = {
    {sub + "/beep.wav", "beep.wav", sub, false},
    {"sub/scen1.KZP", "scen1.KZP", sub, true},
    {g_PickFolder + "/a.kzp", "a.kzp", g_PickFolder, false},
    {"a.kzp", "a.kzp", g_PickFolder, true},
    {g_PickFolder + "/nowhere/b.kzp", g_PickFolder + "/nowhere/b.kzp", g_PickFolder, true},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(chdir(g_PickFolder.c_str()), 0);
    static std::string s_typed;
    s_typed = c.typed;
    g_LibHooks.fileDlg.run = [](FileDlgRequest *req) {
      Str_Copy(req->file, FILEDLG_TEXT, s_typed.c_str());   // the current folder stays
      Str_Copy(req->fileTitle, FILEDLG_TEXT, "wrong");
      return true;
    };
    const char *r = c.save ? FileDlg_SaveByExt(nullptr, "KZP", "save", "") : FileDlg_OpenByExt(nullptr, "kzp", "open", "");
    EXPECT_EQ(std::string(r), c.result) << c.typed;
    char cwd[512];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(std::string(cwd), c.folder) << c.typed;
  }
  ASSERT_EQ(chdir(saved), 0);
  rmdir(sub.c_str());
}

TEST_F(DialogTest, CancelGivesTheEmptyString) {
  g_PickTitle = "";
  EXPECT_STREQ(FileDlg_OpenByExt(nullptr, "kzp", "open", "x.kzp"), "");
  EXPECT_STREQ(FileDlg_SaveByExt(nullptr, "kzp", "save", "x.kzp"), "");
  EXPECT_STREQ(g_FileDlg.folder, "");
}

TEST_F(DialogTest, SaveStartsInTheRememberedFolderOnlyAndDoesNotUpdateIt) {
  g_PickTitle = "b.KZP";
  EXPECT_STREQ(FileDlg_SaveByExt(nullptr, "KZP", "save", "b"), "b.KZP");
  EXPECT_EQ(g_SeenInitialDirs[0], "");
  EXPECT_EQ(g_SeenDefExt[0], "KZP");
  EXPECT_STREQ(g_FileDlg.folder, "");
  FileDlg_SetInitialDir("/some/where");
  FileDlg_SaveByExt(nullptr, "KZP", "save", "b");
  EXPECT_EQ(g_SeenInitialDirs[1], "/some/where");
}

TEST_F(DialogTest, FilterWithoutItsEndIsRefused) {
  g_PickTitle = "c.txt";
  char filter[300];
  memset(filter, 'x', sizeof filter);
  EXPECT_STREQ(FileDlg_OpenWithFilter(nullptr, filter, "t", ""), "");
  EXPECT_TRUE(g_SeenInitialDirs.empty());
  EXPECT_STREQ(FileDlg_OpenWithFilter(nullptr, "Text\0*.txt\0", "t", ""), "c.txt");
}

// [SECTION] Log

std::vector<std::string> g_LogLines;
void FakeLogCreate(void) {
  static int window, list;
  g_Log.window = &window;
  g_Log.list = &list;
}
void FakeLogAdd(const char *text, u32 index) { g_LogLines.push_back(std::to_string(index) + ":" + text); }

TEST(LogSink, LinesAreDroppedUntilTheWindowExistsAndAfterItClosed) {
  g_LibHooks.log.create = FakeLogCreate;
  g_LibHooks.log.addLine = FakeLogAdd;
  g_Log = LogState{};
  g_LogLines.clear();
  CoreSeam savedSeam = g_Seam;
  g_Seam.logLine = Log_AddLine;
  Log_Printf("before %d", 1);
  EXPECT_TRUE(g_LogLines.empty());
  Log_Create();
  Log_Printf("after %d", 2);
  Log_Printf("%s", "second");
  ASSERT_EQ(g_LogLines.size(), 2u);
  EXPECT_EQ(g_LogLines[0], "0:after 2");
  EXPECT_EQ(g_LogLines[1], "1:second");
  // Closing the window clears its handles: lines drop, and it can be created again.
  Log_OnDestroyed();
  Log_Printf("while closed");
  EXPECT_EQ(g_LogLines.size(), 2u);
  Log_Create();
  Log_Printf("reopened");
  ASSERT_EQ(g_LogLines.size(), 3u);
  EXPECT_EQ(g_LogLines[2], "2:reopened");
  // A line longer than 255 bytes is cut, never inside a two-byte character.
  std::string wide;
  for (int i = 0; i < 200; i++) wide += "\x82\xa0";
  Log_Printf("x%s", wide.c_str());
  ASSERT_EQ(g_LogLines.size(), 4u);
  EXPECT_EQ(g_LogLines[3].size(), 2 + 255u);   // "3:" + 'x' and 127 whole characters
  g_Seam = savedSeam;
  g_LibHooks.log = LogPlatform{};
  g_Log = LogState{};
}

}  // namespace
