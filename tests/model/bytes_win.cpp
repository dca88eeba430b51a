// The atomic writer on Windows replaces an existing file (MoveFileEx) and keeps it, with no
// temporary file left, when any step fails.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "model/bytes.h"

TEST(AtomicWriteWin, ReplacesExistingFile) {
  const char *path = "atomic_win.bin";
  ASSERT_TRUE(File_WriteAtomic(path, "old", 3));
  ASSERT_TRUE(File_WriteAtomic(path, "newer", 5));
  FileData f;
  ASSERT_TRUE(File_ReadAll(path, &f));
  EXPECT_EQ(std::string((char *)f.data, f.size), "newer");
  File_Free(&f);
  for (u32 step : {SAVE_STEP_CREATE, SAVE_STEP_WRITE, SAVE_STEP_FLUSH, SAVE_STEP_REPLACE}) {
    g_SaveFault = {path, step};
    EXPECT_FALSE(File_WriteAtomic(path, "x", 1)) << step;
    g_SaveFault = {};
    ASSERT_TRUE(File_ReadAll(path, &f));
    EXPECT_EQ(std::string((char *)f.data, f.size), "newer") << step;
    File_Free(&f);
  }
  // No temporary file stays behind.
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA("~sav*.tmp", &found);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE);
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
  DeleteFileA(path);
}

TEST(CodePage, AnsiCodePageIs932) { EXPECT_EQ(GetACP(), 932u); }

// The default model name is Japanese: saving and reading it back must work by its CP932 name.
TEST(AtomicWriteWin, JapaneseFileNames) {
  const char *path = "新規テスト.KZP";
  ASSERT_TRUE(File_WriteAtomic(path, "data", 4));
  FileData f;
  ASSERT_TRUE(File_ReadAll(path, &f));
  EXPECT_EQ(std::string((char *)f.data, f.size), "data");
  File_Free(&f);
  EXPECT_TRUE(DeleteFileA(path));
}
