// Fuzz target: the script compiler on arbitrary source bytes. Every compile either is refused
// (a table would overflow) or yields a block whose Program.KZS parses back and writes again
// byte for byte, with codes, variable operands and jump targets in range. Each compiled block
// then runs for ten frames on a host that accepts every call, drawing its queue each frame.
#include "tests/support/hook_at.h"
#include <stdlib.h>
#include <string.h>

#include "model/bytes.h"
#include "scene/prog.h"
#include "scene/prog_kzs.h"
#include "scene/prog_run.h"

static KzsFile *s_file;

static void Check(bool ok) {
  if (!ok) abort();
}

// Every slot and object below 8 exists; keys with an odd code are held.
static void InstallHost(void) {
  SceneSeam &h = g_SceneSeam;
  h = SceneSeam{};   // only the entries below answer; screen text is dropped
  h.textOn = [] { return true; };
  h.imageLoad = [](ImageHandle *hd, const char *) {
    hd->loaded = 1;
    hd->row = 0;
    return 0;
  };
  h.imageDraw = [](const ImageHandle *hd, i32, i32) { Check(hd->loaded == 1); };
  h.modelLoad = [](i32 slot, const char *) { Check(slot >= 0 && slot < 256); return true; };
  h.modelSet = [](i32 slot, i32, i32) { Check(slot >= 0 && slot < 256); return slot < 8; };
  h.objectExists = [](i32 n) { return n < 8; };
  h.objectSet = [](i32 n, i32, f32, f32, f32) { return n >= 0 && n < 8; };
  h.keyHeld = [](i32 k) { Check(k >= 0 && k < 256); return (k & 1) != 0; };
}

static void RunTenFrames(void) {
  ProgRuntime *rt = g_ProgEditor.runtime;
  if (!g_SceneSeam.textOn) InstallHost();
  rt->running = 1;
  Prog_ResetState();
  for (int f = 0; f < 10 && rt->running; f++) {
    Prog_Execute();
    Check(rt->queueCount >= 0 && rt->queueCount < PROG_QUEUE_SIZE);
    Prog_Draw(Hook_Draw(g_Shell.g_DrawView));
  }
  rt->running = 0;
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
  RunTenFrames();
  return 0;
}
