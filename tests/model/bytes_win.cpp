// The atomic writer on Windows replaces an existing file (MoveFileEx) and keeps it on failure.
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
  CreateDirectoryA("atomic_win.bin.tmp", nullptr);
  EXPECT_FALSE(File_WriteAtomic(path, "x", 1));
  ASSERT_TRUE(File_ReadAll(path, &f));
  EXPECT_EQ(std::string((char *)f.data, f.size), "newer");
  File_Free(&f);
  RemoveDirectoryA("atomic_win.bin.tmp");
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
