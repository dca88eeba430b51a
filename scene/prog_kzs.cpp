// Program.KZS: the writer the program uses and the parser the tests and tools use.
#include "scene/prog_kzs.h"

#include <stdlib.h>
#include <string.h>

#include "lib/media/filename.h"
#include "model/bytes.h"
#include "model/seam_errorbox.h"
#include "model/seam_timer.h"

// [SECTION] Writer

// Counts are written as far as the tables hold them, so the count always matches the records.
static i32 Kzs_Clamp(i32 n, i32 max) { return n < 0 ? 0 : n > max ? max : n; }

static void Kzs_BuildBlock(ByteWriter *w, const ProgBlock *b) {
  i32 n = Kzs_Clamp(b->statementCount, PROG_MAX_LINES);
  Wr_Name(w, b->name);
  Wr_I32(w, n);
  for (i32 s = 0; s < n; s++) {
    Wr_I32(w, b->code[s]);
    for (i32 k = 0; k < PROG_OPERANDS; k++) Wr_F32(w, b->A[s][k]);
    Wr_Name(w, b->text[s]);
    for (i32 k = 0; k < PROG_OPERANDS; k++) Wr_I32(w, b->B[s][k]);
    for (i32 k = 0; k < PROG_OPERANDS; k++) Wr_I32(w, b->V[s][k]);
  }
}

void Kzs_Build(ByteWriter *w, const ProgTables *t, ProgBlock *const *blocks, i32 blockCount) {
  Wr_Bytes(w, "KZS ", 4);
  Wr_I32(w, g_KzsVersion);
  i32 nv = Kzs_Clamp(t->variableCount, PROG_MAX_VARIABLES);
  Wr_I32(w, nv);
  for (i32 v = 0; v < nv; v++) {
    Wr_Name(w, t->variableNames[v]);
    Wr_I32(w, t->variableKinds[v]);
    if (t->variableKinds[v] == PROG_KIND_NUMBER) Wr_F32(w, t->variableValues[v]);
    else if (t->variableKinds[v] == PROG_KIND_STRING) Wr_Name(w, t->variableStrings[v]);
  }
  i32 nb = Kzs_Clamp(blockCount, PROG_MAX_BLOCKS);
  Wr_I32(w, nb);
  for (i32 i = 0; i < nb; i++) {
    static const ProgBlock kEmpty = {};
    Kzs_BuildBlock(w, blocks[i] ? blocks[i] : &kEmpty);
  }
}

bool Prog_WriteKzsFile(void) {
  ProgRuntime *rt = g_ProgEditor.runtime;
  if (!rt) return false;
  rt->blockCount = 1;
  ByteWriter w = {};
  Kzs_Build(&w, &rt->tables, rt->blocks, rt->blockCount);
  bool ok = !w.err && File_WriteAtomic("Program.KZS", w.data, w.size);
  Wr_Free(&w);
  if (!ok) Seam_ErrorBoxf("%s に保存することができませんでした。", "Program.KZS");
  Timer_Reset();
  return ok;
}

bool Prog_WriteKzs(void) {
  ProgEditor &e = g_ProgEditor;
  FileDlg_ChangeDir(e.sourceFolder);
  if (!e.sourceName[0]) {
    Seam_ErrorBox("コンバートするソースファイル(*.TXT)を、選択して下さい。");
    return false;
  }
  // A source that did not compile writes nothing: the old Program.KZS stays.
  if (!Prog_Compile(e.sourceName)) return false;
  return Prog_WriteKzsFile();
}

// [SECTION] Parser

// A length-prefixed string into a 256-byte field; a NUL inside it is refused, so that a
// file read and written again gives the same bytes.
static bool Kzs_ReadText(ByteReader *r, char *dst) {
  u64 at = Rd_Tell(r);
  if (!Rd_Name(r, dst, PROG_TEXT_SIZE)) return false;
  if (strlen(dst) + 4 != Rd_Tell(r) - at) r->err = true;
  return !r->err;
}

static bool Kzs_ParseBlock(ByteReader *r, ProgBlock *b) {
  Kzs_ReadText(r, b->name);
  b->statementCount = Rd_Count(r, PROG_MAX_LINES);
  for (i32 s = 0; s < b->statementCount && !r->err; s++) {
    b->code[s] = Rd_I32(r);
    for (i32 k = 0; k < PROG_OPERANDS; k++) b->A[s][k] = Rd_F32(r);
    Kzs_ReadText(r, b->text[s]);
    for (i32 k = 0; k < PROG_OPERANDS; k++) b->B[s][k] = Rd_I32(r);
    for (i32 k = 0; k < PROG_OPERANDS; k++) b->V[s][k] = Rd_I32(r);
  }
  return !r->err;
}

static bool Kzs_Fail(KzsFile *out, char *why, size_t whySize, const char *text) {
  Kzs_Free(out);
  if (why && whySize) Str_Copy(why, whySize, text);
  return false;
}

bool Kzs_Parse(const void *data, size_t size, KzsFile *out, char *why, size_t whySize) {
  Kzs_Free(out);
  memset(out, 0, sizeof *out);
  ByteReader r;
  Rd_Init(&r, data, size);
  char magic[4] = {0};
  Rd_Bytes(&r, magic, 4);
  if (r.err || memcmp(magic, "KZS ", 4) != 0) return Kzs_Fail(out, why, whySize, "not a Program.KZS file");
  out->version = Rd_I32(&r);
  if (!r.err && out->version != g_KzsVersion) return Kzs_Fail(out, why, whySize, "unknown version");
  ProgTables &t = out->tables;
  t.variableCount = Rd_Count(&r, PROG_MAX_VARIABLES);
  for (i32 v = 0; v < t.variableCount && !r.err; v++) {
    Kzs_ReadText(&r, t.variableNames[v]);
    t.variableKinds[v] = Rd_I32(&r);
    if (t.variableKinds[v] == PROG_KIND_NUMBER) t.variableValues[v] = Rd_F32(&r);
    else if (t.variableKinds[v] == PROG_KIND_STRING) Kzs_ReadText(&r, t.variableStrings[v]);
  }
  out->blockCount = Rd_Count(&r, PROG_MAX_BLOCKS);
  for (i32 i = 0; i < out->blockCount && !r.err; i++) {
    // Allocated as it is reached, so a short file never asks for many blocks.
    out->blocks[i] = (ProgBlock *)calloc(1, sizeof(ProgBlock));
    if (!out->blocks[i]) return Kzs_Fail(out, why, whySize, "out of memory");
    Kzs_ParseBlock(&r, out->blocks[i]);
  }
  if (r.err) return Kzs_Fail(out, why, whySize, "cut short, or a count or length out of range");
  if (!Rd_AtEnd(&r)) return Kzs_Fail(out, why, whySize, "bytes after the last block");
  return true;
}

void Kzs_Free(KzsFile *f) {
  for (ProgBlock *&b : f->blocks) {
    free(b);
    b = nullptr;
  }
  f->blockCount = 0;
}
