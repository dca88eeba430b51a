// Fuzz target: the script compiler on arbitrary source bytes. Every compile either is refused
// (a table would overflow) or yields a block whose Program.KZS parses back and writes again
// byte for byte, with codes, variable operands and jump targets in range.
#include <stdlib.h>
#include <string.h>

#include "model/bytes.h"
#include "scene/prog.h"
#include "scene/prog_kzs.h"

static KzsFile *s_file;

static void Check(bool ok) {
  if (!ok) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const u8 *data, size_t size) {
  if (!Prog_CompileText(data, size)) return 0;
  const ProgRuntime *rt = g_ProgEditor.runtime;
  const ProgBlock *b = rt->blocks[0];
  const i32 vars = rt->tables.variableCount;
  Check(b->statementCount >= 0 && b->statementCount <= PROG_MAX_LINES);
  for (i32 s = 0; s < b->statementCount; s++) {
    Check(b->code[s] >= 0 && b->code[s] <= PROG_SCREEN_DRAW && b->code[s] != 2);
    for (i32 k = 0; k < PROG_OPERANDS; k++) Check(b->V[s][k] >= -1 && b->V[s][k] < (vars > 0 ? vars : 1));
    if (b->code[s] == PROG_GO) Check(b->A[s][1] >= 0 && b->A[s][1] < b->statementCount && b->code[(i32)b->A[s][1]] == PROG_LABEL);
    if (b->code[s] == PROG_IF) Check(b->A[s][4] > s && b->A[s][4] <= s + 2 + b->statementCount);
  }
  ByteWriter w = {};
  Kzs_Build(&w, &rt->tables, rt->blocks, 1);
  if (!s_file) s_file = (KzsFile *)calloc(1, sizeof(KzsFile));
  Check(s_file && Kzs_Parse(w.data, w.size, s_file, nullptr, 0));
  ByteWriter again = {};
  Kzs_Build(&again, &s_file->tables, s_file->blocks, s_file->blockCount);
  Check(again.size == w.size && memcmp(again.data, w.data, w.size) == 0);
  Wr_Free(&w);
  Wr_Free(&again);
  return 0;
}
