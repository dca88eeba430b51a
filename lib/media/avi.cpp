// AVI frame layout, output names and the recording run state (portable half of avi_win.cpp).
#include "lib/media/avi.h"

#include <string.h>

#include "lib/framework/lib.h"
#include "lib/framework/lib_state.h"
#include "model/cp932.h"
#include "model/seam_errorbox.h"
#include "model/str.h"

u32 Avi_FrameBytes(u32 width, u32 height) {
  u64 row = (((u64)width * 24 + 31) & ~(u64)31) / 8;
  u64 total = row * height;
  return total > 0xFFFFFFFFu ? 0 : (u32)total;
}

void Avi_CaptureOrigin(u32 viewWindowMode, i32 screenWidth, i32 screenHeight, i32 *x, i32 *y) {
  if (!viewWindowMode) {
    *x = 0;
    *y = 0;
    return;
  }
  *x = (i32)((screenWidth - AVI_WIDTH) * 0.5);
  *y = (i32)((screenHeight - AVI_HEIGHT) * 0.5);
}

bool Avi_MakeFileName(char *dst, size_t size, const char *path) {
  if (!dst || size == 0) return false;
  dst[0] = 0;
  if (!path) return false;
  // Walk by characters so that a CP932 trail byte 0x5C is not taken for a separator.
  size_t len = strlen(path), nameStart = 0, dot = len;
  for (size_t i = 0; i < len;) {
    u8 c = (u8)path[i];
    if (Cp932_IsLead(c) && i + 1 < len) {
      i += 2;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') {
      nameStart = i + 1;
      dot = len;
    } else if (c == '.') {
      dot = i;
    }
    i++;
  }
  if (dot < nameStart) dot = len;
  const char ext[] = ".avi";
  if (dot + sizeof ext > size) return false;
  memcpy(dst, path, dot);
  memcpy(dst + dot, ext, sizeof ext);
  return true;
}

bool Avi_RootPath(char *dst, size_t size, const char *root, const char *name) {
  if (!dst || size == 0 || !root || !name) return false;
  size_t need = strlen(root) + 1 + strlen(name) + 1;
  if (need > size) {
    dst[0] = 0;
    return false;
  }
  Str_Format(dst, size, "%s\\%s", root, name);
  return true;
}

bool Avi_OutputPath(char *dst, size_t size, const char *name, bool avi) {
  if (!avi) return Avi_RootPath(dst, size, g_Lib.rootDir, name);
  char path[LIB_TEXT_SIZE];
  return Avi_RootPath(path, sizeof path, g_Lib.rootDir, name) && Avi_MakeFileName(dst, size, path);
}

void Avi_SayWritten(const char *name, bool avi) {
  char path[LIB_TEXT_SIZE], text[LIB_TEXT_SIZE + 32];
  if (!Avi_OutputPath(path, sizeof path, name, avi)) return;
  // Formatted here: the path alone may fill the error box's own 255 bytes.
  Str_Format(text, sizeof text, "%s に保存しました。", path);
  Seam_ErrorBox(text);
}

void Avi_EnterRecordingState(u32 *saved) {
  *saved = g_Lib.runState;
  g_Lib.runState = LIB_RUN_RECORDING;
}

void Avi_LeaveRecordingState(u32 saved) {
  if (g_Lib.runState == LIB_RUN_RECORDING) g_Lib.runState = saved;
}
