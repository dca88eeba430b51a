// Opening a 3D model file by its extension: KZP through the KZP reader, the foreign formats
// through their importers.
#include <stdio.h>
#include <string.h>

#include "model/bytes.h"
#include "model/formats/formats.h"
#include "model/formats/xfile.h"
#include "model/kzp.h"
#include "model/mesh.h"
#include "model/seam.h"

// The text after the last dot of the file name (not of a folder), or "".
static const char *Extension(const char *path) {
  const char *name = path;
  for (const char *p = path; *p; p++)
    if (*p == '/' || *p == '\\' || *p == ':') name = p + 1;
  const char *dot = strrchr(name, '.');
  return dot ? dot + 1 : "";
}

static bool SameTextIgnoringCase(const char *a, const char *b) {
  for (; *a && *b; a++, b++) {
    char x = (*a >= 'A' && *a <= 'Z') ? (char)(*a + 32) : *a;
    char y = (*b >= 'A' && *b <= 'Z') ? (char)(*b + 32) : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

// True when the file can be opened for reading (the importers give no word when it cannot).
static bool CanOpen(const char *path) {
  FILE *f = fopen(path, "rb");
  if (f) fclose(f);
  return f != nullptr;
}

static Model3 *OpenFile(i32 slot, const char *path) {
  if (!path || !path[0]) {
    Lib_ErrorBox("ファイル名が指定されていません。");
    return nullptr;
  }
  if (slot < 0 || slot >= MODEL3_SLOTS) {
    Lib_ErrorBoxf("Model3_Init(%d) 最大数を超えました。", slot);
    return nullptr;
  }
  // Of a KZP file only the header is looked at here (the KZP reader reads the file once, its
  // vertex arrays straight into the model); the importers read their own.
  const char *ext = Extension(path);
  bool kzp = SameTextIgnoringCase(ext, "kzp");
  u8 head[7];
  size_t headSize = 0;
  if (kzp) {
    FILE *fp = fopen(path, "rb");
    if (fp) {
      headSize = fread(head, 1, sizeof head, fp);
      fclose(fp);
    }
    if (!fp) {
      Lib_ErrorBoxf("%s を開くことができませんでした。", path);
      return nullptr;
    }
  } else if (!CanOpen(path)) {
    Lib_ErrorBoxf("%s を開くことができませんでした。", path);
    return nullptr;
  }

  u32 boxesBefore = g_ErrorBoxCount;
  bool ok;
  if (SameTextIgnoringCase(ext, "dxf"))
    ok = Dxf_Read(slot, path) != 0;
  else if (SameTextIgnoringCase(ext, "lwo"))
    ok = Lwo_Read(slot, path) != 0;
  else if (SameTextIgnoringCase(ext, "mqo"))
    ok = Mqo_Read(slot, path) != 0;
  else if (SameTextIgnoringCase(ext, "mx"))
    ok = Mx_Read(slot, path) != 0;
  else if (SameTextIgnoringCase(ext, "rok"))
    ok = Rok_Read(slot, path) != 0;
  else if (SameTextIgnoringCase(ext, "x"))
    ok = XFile_Import(slot, path) == 1;
  else if (kzp) {
    i32 version = 0;
    Kz_ReadHeader(head, headSize, "KZP", &version);   // 0 when the file ends inside the header
    if (!(headSize >= 3 && memcmp(head, "KZP", 3) == 0)) {
      Lib_ErrorBoxf("%s は、ＫＺＰ形式ではありません。", path);
      return nullptr;
    }
    if (headSize < sizeof head) {   // the file ends inside its version number
      Lib_ErrorBoxf("%s は壊れているため、読み込むことができませんでした。", path);
      return nullptr;
    }
    ok = Kzp_ReadIntoSlot(slot, version, path);
  } else {
    Lib_ErrorBoxf("%s は、読み込めない形式のファイルです。", path);
    return nullptr;   // the slot stays as it was
  }
  Model3 *m = g_Model3Slots[slot];
  if (!ok || !m) {
    // The foreign importers fail without a word on a file that is not theirs or is damaged;
    // the user still learns that nothing was read (the slot is as it was).
    if (g_ErrorBoxCount == boxesBefore) Lib_ErrorBoxf("%s を読み込むことができませんでした。", path);
    return nullptr;
  }
  if (g_Seam.buildRestMatrices) g_Seam.buildRestMatrices();
  Model3_AutoBindVertices(m);
  Timer_Reset();
  return m;
}

Model3 *Model3_OpenFile(i32 slot, const char *path) {
  Model3 *m = OpenFile(slot, path);
  // The caller's one-shot request for full arrays never outlives this open, read or not.
  g_ModelAllocArrays = 0;
  return m;
}
