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

// The system's reason reaches the message (folder missing, file read-only), and a save removes
// the temporaries a killed save left in its folder, older than the program's start, only.
TEST(AtomicWriteWin, FailedSaveReasonsAndLeftOverTemporaries) {
  EXPECT_FALSE(File_WriteAtomic("no_such_folder\\x.kzp", "x", 1));
  EXPECT_EQ(File_LastSaveReason(), (u32)SAVE_REASON_PATH_NOT_FOUND);
  char text[512];
  File_SaveFailureText("no_such_folder\\x.kzp", text, sizeof text);
  EXPECT_STREQ(text, "no_such_folder\\x.kzp に保存することができませんでした。\n\n保存先のフォルダ: no_such_folder\n"
                     "理由: 保存先のフォルダが見つかりません。");
  // A folder of the target's name cannot be replaced by a file.
  CreateDirectoryA("folder_win.kzp", nullptr);
  EXPECT_FALSE(File_WriteAtomic("folder_win.kzp", "new", 3));
  EXPECT_NE(File_LastSaveReason(), (u32)SAVE_REASON_NONE);
  RemoveDirectoryA("folder_win.kzp");

  CreateDirectoryA("stale_win", nullptr);
  // (Names differing only in case are one file here.)
  const char *const files[] = {"stale_win\\~sav0badf00d.tmp", "stale_win\\~sav0badf0gd.tmp", "stale_win\\~sav0badf00.tmp",
                               "stale_win\\~sav12345678.tmp"};
  FILETIME old;
  GetSystemTimeAsFileTime(&old);
  ULARGE_INTEGER t = {{old.dwLowDateTime, old.dwHighDateTime}};
  t.QuadPart -= 36000000000ull;   // an hour ago
  old = {t.LowPart, t.HighPart};
  for (int i = 0; i < 4; i++) {
    ASSERT_TRUE(File_WriteAtomic(files[i], "left", 4));
    if (i == 3) continue;   // written in this run: not older than the start
    HANDLE h = CreateFileA(files[i], FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &old);
    CloseHandle(h);
  }
  ASSERT_TRUE(File_WriteAtomic("stale_win\\model.kzp", "new", 3));
  EXPECT_EQ(GetFileAttributesA(files[0]), INVALID_FILE_ATTRIBUTES);   // removed
  for (int i = 1; i < 4; i++) EXPECT_NE(GetFileAttributesA(files[i]), INVALID_FILE_ATTRIBUTES) << files[i];
  for (const char *f : files) DeleteFileA(f);
  DeleteFileA("stale_win\\model.kzp");
  RemoveDirectoryA("stale_win");
}
