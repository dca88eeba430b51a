// MAP2 tile map files: one parser and one encoder, the read that loads the tile images and
// the atomic write. The layout is in scene/map2.h.
#include <stdlib.h>
#include <string.h>

#include "app/entries.h"
#include "model/bytes.h"
#include "model/docref.h"
#include "model/kzp.h"
#include "model/seam_errorbox.h"
#include "model/seam_timer.h"
#include "model/str.h"
#include "scene/map2.h"

static const char kMsgNoName[] = "ファイル名が指定されていません。";
static const char kMsgTooOld[] = "ＭＡＰ２形式のバージョンが古いので\n読み込むことができません。\n\n%s";
static const char kMsgTooNew[] =
    "ＭＡＰ２形式のバージョンが新しいので\n読み込むことができません。\n最新版へバージョンアップして下さい。\n\n%s";
static const char kMsgNotMap2[] = "%s は、ＭＡＰ２形式ではありません。";

static const u8 kMagic[4] = {'M', 'A', 'P', '2'};

// [SECTION] Parser

Map2ParseResult Map2_Parse(const u8 *data, size_t size, Map2Doc *out) {
  ByteReader r;
  Rd_Init(&r, data, size);
  u8 magic[4] = {};
  Rd_Bytes(&r, magic, 4);
  if (r.err) return MAP2_DAMAGED;
  if (memcmp(magic, kMagic, 4) != 0) return MAP2_NOT_MAP2;
  i32 version = Rd_I32(&r);
  if (r.err) return MAP2_DAMAGED;
  if (version < MAP2_VERSION) return MAP2_TOO_OLD;
  if (version > MAP2_VERSION) return MAP2_TOO_NEW;
  out->version = (u32)version;
  // Every count is checked against the document before it is used: the fields are fixed.
  out->tileCount = Rd_Count(&r, MAP2_TILES);
  for (i32 i = 0; i < out->tileCount && !r.err; i++) {
    out->passable[i] = Rd_U8(&r);
    Rd_Name(&r, out->names[i], MAP2_NAME_SIZE);
  }
  out->width = Rd_Count(&r, MAP2_SIDE);
  out->height = Rd_Count(&r, MAP2_SIDE);
  for (i32 y = 0; y < out->height && !r.err; y++)
    for (i32 x = 0; x < out->width; x++) {
      i32 cell = Rd_I32(&r);
      if (cell < 0 || cell >= MAP2_TILES) r.err = true;
      out->grid[y][x] = cell;
    }
  return r.err ? MAP2_DAMAGED : MAP2_OK;
}

// [SECTION] Encoder

static i32 Clamp(i32 v, i32 hi) { return v < 0 ? 0 : v > hi ? hi : v; }

bool Map2_Encode(const Map2Doc *d, ByteWriter *w) {
  Wr_Bytes(w, kMagic, 4);
  Wr_I32(w, (i32)d->version);
  i32 n = Clamp(d->tileCount, MAP2_TILES);
  Wr_I32(w, n);
  for (i32 i = 0; i < n; i++) {
    Wr_U8(w, d->passable[i]);
    // The field always holds a terminator within its size; the length is counted within it.
    size_t k = strnlen(d->names[i], MAP2_NAME_SIZE - 1);
    Wr_I32(w, (i32)k);
    Wr_Bytes(w, d->names[i], k);
  }
  i32 width = Clamp(d->width, MAP2_SIDE), height = Clamp(d->height, MAP2_SIDE);
  Wr_I32(w, width);
  Wr_I32(w, height);
  for (i32 y = 0; y < height; y++)
    for (i32 x = 0; x < width; x++) Wr_I32(w, d->grid[y][x]);
  return !w->err;
}

// [SECTION] Read and write

bool Map2_Read(const char *path, Map2Doc *doc) {
  if (!path || !path[0]) {
    Seam_ErrorBox(kMsgNoName);
    return false;
  }
  FileData f;
  if (!File_ReadAll(path, &f)) {
    Seam_ErrorBoxf(kKzMsgCannotOpen, path);
    return false;
  }
  // Parsed into a fresh document: a refused file, or a short name after a long one, leaves
  // nothing of itself in the map.
  Map2Doc *fresh = doc ? (Map2Doc *)calloc(1, sizeof(Map2Doc)) : nullptr;
  Map2ParseResult res = fresh ? Map2_Parse(f.data, f.size, fresh) : MAP2_DAMAGED;
  File_Free(&f);
  if (!doc) return false;
  switch (res) {
    case MAP2_OK: break;
    case MAP2_NOT_MAP2: Seam_ErrorBoxf(kMsgNotMap2, path); break;
    case MAP2_TOO_OLD: Seam_ErrorBoxf(kMsgTooOld, path); break;
    case MAP2_TOO_NEW: Seam_ErrorBoxf(kMsgTooNew, path); break;
    default: Seam_ErrorBoxf(kKzMsgBroken, path); break;
  }
  if (res == MAP2_OK) {
    *doc = *fresh;
    if (!DocRef_Folder(path, doc->folder, sizeof doc->folder)) doc->folder[0] = 0;
  }
  free(fresh);
  if (res != MAP2_OK) return false;
  Map2_LoadTiles(doc);
  Map2_AfterDocumentChange();
  Timer_Reset();
  return true;
}

bool Map2_Write(Map2Doc *doc, const char *path) {
  if (!doc) return false;
  if (!path || !path[0]) {
    Seam_ErrorBox(kMsgNoName);
    return false;
  }
  doc->version = (u32)MAP2_VERSION;
  // The names re-kept from the new folder in a copy, taken only when the save worked.
  static_assert(sizeof Map2Doc::names[0] == DocRef_Size(DOCREF_MAP2_TILE), "the tile field's row");
  Map2Doc *out = (Map2Doc *)malloc(sizeof(Map2Doc));
  if (!out) return false;
  *out = *doc;
  i32 lost = -1;   // the first tile whose name does not fit from the new folder
  if (DocRef_Folder(path, out->folder, sizeof out->folder)) {
    const char *bases[] = {Map2_TileFolder()};
    for (i32 i = 0; i < out->tileCount && i < MAP2_TILES && lost < 0; i++)
      if (!DocRef_Rebase(doc->folder, out->folder, out->names[i], DocRef_Size(DOCREF_MAP2_TILE), bases, 1)) lost = i;
  } else {
    Str_Copy(out->folder, sizeof out->folder, doc->folder);
  }
  ByteWriter w = {};
  bool ok = lost < 0 && Map2_Encode(out, &w) && File_WriteAtomic(path, w.data, w.size);
  Wr_Free(&w);
  if (ok) *doc = *out;
  free(out);
  if (!ok) {
    char text[512];
    if (lost >= 0) Str_Format(text, sizeof text, kDocRefMsgSaveTooLong, doc->names[lost]);
    else File_SaveFailureText(path, text, sizeof text);
    Seam_ErrorBox(text);
  }
  return ok;
}

bool Map2_ReadCurrent(const char *path) { return Map2_Read(path, g_Map2Editor.doc); }
bool Map2_WriteCurrent(const char *path) { return Map2_Write(g_Map2Editor.doc, path); }
bool Map2_HasDocument(void) { return g_Map2Editor.doc != nullptr; }

void Map2_AfterRead(void) {
  Map2_FillList();
}

// Filled once the File menu's registration table exists.
void Map2_InstallEntries(void) {
  DocFileEntries &f = g_ShellEntries.map2;
  f.read = Map2_ReadCurrent;
  f.write = Map2_WriteCurrent;
  f.hasData = Map2_HasDocument;
  f.afterRead = Map2_AfterRead;
}
