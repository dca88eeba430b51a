// File-name and folder utilities of the library.
//
// Results that are text live in 256-byte buffers owned by each function and stay valid
// until that function runs again.
#pragma once
#include "model/types.h"

// Text after the last point of name, when that point is not its first character; else "".
const char *FileDlg_GetExtension(const char *name);
// name cut at its last point; "" for an empty name or one without a point after its first
// character.
const char *FileDlg_StripExtension(const char *name);
// True when the file opens for reading.
bool FileDlg_FileExists(const char *name);
// The C runtime's chdir; its result as it gives it (0 on success).
int FileDlg_ChangeDir(const char *path);
