// Opening a 3D model file by its extension: KZP through the KZP reader, the foreign formats
// through their importers.
#include <stdio.h>
#include <string.h>

#include "model/bytes.h"
#include "model/formats/formats.h"
#include "model/formats/xfile.h"
#include "model/kzp.h"
#include "model/mesh.h"
#include "model/model_result.h"
#include "model/seam.h"
#include "model/seam_timer.h"

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

// A KZP file through the KZP reader, opened once: its header and body are read from the one
// open file.
static bool OpenKzp(i32 slot, const char *path, ModelResult *res) {
  FILE *fp = fopen(path, "rb");
  if (!fp) return ModelResult_Refusef(res, "%s を開くことができませんでした。", path);
  bool ok = Kzp_OpenIntoSlot(slot, fp, path, res);
  fclose(fp);
  return ok;
}

// A foreign file through the importer of its extension; false with no text for one no
// importer takes.
static bool ImportByExtension(i32 slot, const char *ext, const char *path, ModelResult *res, bool *known) {
  *known = true;
  if (SameTextIgnoringCase(ext, "dxf")) return Dxf_Read(slot, path, res) != 0;
  if (SameTextIgnoringCase(ext, "lwo")) return Lwo_Read(slot, path, res) != 0;
  if (SameTextIgnoringCase(ext, "mqo")) return Mqo_Read(slot, path, res) != 0;
  if (SameTextIgnoringCase(ext, "mx")) return Mx_Read(slot, path, res) != 0;
  if (SameTextIgnoringCase(ext, "rok")) return Rok_Read(slot, path, res) != 0;
  if (SameTextIgnoringCase(ext, "x")) return XFile_Import(slot, path, res) == 1;
  *known = false;
  return false;
}

static Model3 *OpenFile(i32 slot, const char *path, ModelResult *res) {
  if (!path || !path[0]) {
    ModelResult_Refuse(res, "ファイル名が指定されていません。");
    return nullptr;
  }
  if (slot < 0 || slot >= MODEL3_SLOTS) {
    ModelResult_Refusef(res, "Model3_Init(%d) 最大数を超えました。", slot);
    return nullptr;
  }
  const char *ext = Extension(path);
  bool ok, known = true;
  if (SameTextIgnoringCase(ext, "kzp")) {
    ok = OpenKzp(slot, path, res);
  } else {
    if (!CanOpen(path)) {
      ModelResult_Refusef(res, "%s を開くことができませんでした。", path);
      return nullptr;
    }
    ok = ImportByExtension(slot, ext, path, res, &known);
  }
  if (!known) {
    ModelResult_Refusef(res, "%s は、読み込めない形式のファイルです。", path);
    return nullptr;   // the slot stays as it was
  }
  Model3 *m = g_Model3Slots[slot];
  if (!ok || !m) {
    // The foreign importers fail without a word on a file that is not theirs or is damaged;
    // the user still learns that nothing was read (the slot is as it was).
    if (!res->message[0] || res->ok) ModelResult_Refusef(res, "%s を読み込むことができませんでした。", path);
    return nullptr;
  }
  if (g_Seam.buildRestMatrices) g_Seam.buildRestMatrices();
  Model3_AutoBindVertices(m);
  Timer_Reset();
  ModelResult_Accept(res);
  return m;
}

Model3 *Model3_OpenFile(i32 slot, const char *path, ModelResult *res) {
  ModelResult scratch;
  Model3 *m = OpenFile(slot, path, res ? res : &scratch);
  // The caller's one-shot request for full arrays never outlives this open, read or not.
  g_ModelAllocArrays = 0;
  return m;
}
