// The program editor's global object and the run-time record's allocation.
#include "scene/prog.h"

#include <stdlib.h>

ProgEditor g_ProgEditor;
const i32 g_KzsVersion = 2003050;

void Prog_FreeCompileScratch(void);  // prog_compile.cpp

bool Prog_AllocRuntime(void) {
  ProgEditor &e = g_ProgEditor;
  if (!e.runtime) e.runtime = (ProgRuntime *)calloc(1, sizeof(ProgRuntime));
  return e.runtime && Prog_AllocBlock(0);
}

bool Prog_AllocBlock(i32 n) {
  ProgRuntime *rt = g_ProgEditor.runtime;
  if (!rt || n < 0 || n >= PROG_MAX_BLOCKS) return false;
  if (!rt->blocks[n]) rt->blocks[n] = (ProgBlock *)calloc(1, sizeof(ProgBlock));
  return rt->blocks[n] != nullptr;
}

void Prog_FreeRuntime(void) {
  ProgRuntime *rt = g_ProgEditor.runtime;
  if (rt) {
    for (ProgBlock *&b : rt->blocks) {
      free(b);
      b = nullptr;
    }
    free(rt);
  }
  g_ProgEditor.runtime = nullptr;
  Prog_FreeCompileScratch();
}
