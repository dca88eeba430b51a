// The script runtime: the statement executor, the image-draw queue and run / stop.
//
// A run executes block 0 of g_ProgEditor.runtime a bounded number of statements per frame
// from the per-frame hook; everything it does to the program goes through g_SceneSeam.
// Values are floats; every integer use truncates toward zero, clamped into the int range.
#include "scene/prog_run.h"

#include <limits.h>
#include <math.h>
#include <string.h>

#include "model/docref.h"
#include "model/seam_log.h"
#include "model/str.h"

// [SECTION] Values

// (int)v without the undefined conversions: NaN gives 0, values beyond the int range the
// nearest end of it.
static i32 Prog_Int(f32 v) {
  if (v != v) return 0;
  if (v >= 2147483648.0f) return INT_MAX;
  if (v <= -2147483648.0f) return INT_MIN;
  return (i32)v;
}

static f32 Prog_Value(const ProgRuntime *rt, const ProgBlock *b, i32 s, i32 k) {
  i32 v = b->V[s][k];
  if (v >= 0 && v < PROG_MAX_VARIABLES) return rt->tables.variableValues[v];
  return b->A[s][k];
}

static bool Prog_VariableOk(const ProgRuntime *rt, i32 v) { return v >= 0 && v < rt->tables.variableCount; }

// The remainder of the truncated operands with the sign of the left one. A right operand of
// 0 leaves the variable as it was; -1 gives 0 (INT_MIN % -1 does not exist in int).
static bool Prog_Remainder(f32 left, f32 right, f32 *out) {
  i32 l = Prog_Int(left), r = Prog_Int(right);
  if (r == 0) return false;
  *out = r == -1 ? 0.0f : (f32)(l % r);
  return true;
}

// [SECTION] Reports

// Whether statement s has yet to say what went wrong: each line says it once per run.
static bool Prog_FirstReport(ProgRuntime *rt, i32 s) {
  if (s < 0 || s >= PROG_MAX_LINES || rt->reported[s]) return false;
  rt->reported[s] = 1;
  return true;
}

// The source line (counted from 1) statement s was read from.
static int Prog_UserLine(const ProgRuntime *rt, i32 s) { return (int)rt->tables.sourceLines[s] + 1; }

// A statement that names something missing is skipped; the first time per line it says so.
static void Prog_ReportMissing(ProgRuntime *rt, i32 s, const char *what, i32 n) {
  if (Prog_FirstReport(rt, s)) Log_Printf("%d 行目 : %s %d がありません。", Prog_UserLine(rt, s), what, (int)n);
}

static bool Prog_ModelSlotOk(i32 slot) { return slot >= 0 && slot < 256; }

// The file a load statement names, relative to the script: in the script's own folder first,
// then from the current folder (the data folder while a script runs, where scripts written
// before looked), then by its file name alone beside the script. After a Folder statement the
// folder it chose (the current one) comes first. False when it is nowhere (out is then the
// name as written, for the message).
static bool Prog_FindFile(const ProgRuntime *rt, const char *name, char *out, size_t size) {
  static_assert(PROG_TEXT_SIZE == DocRef_Size(DOCREF_SCRIPT_IMAGE) && PROG_TEXT_SIZE == DocRef_Size(DOCREF_SCRIPT_MODEL),
                "the script's load fields' rows");
  Str_Copy(out, size, name);
  const char *folder = g_ProgEditor.sourceFolder;
  char found[PROG_TEXT_SIZE * 4];
  bool own = !rt->folderSet && folder[0] && !DocRef_IsFull(name);
  if (own && Str_FormatAll(found, sizeof found, "%s/%s", folder, name) && DocRef_Exists(found)) {
    Str_Copy(out, size, found);
    return true;
  }
  if (DocRef_Exists(name)) return true;
  if (!folder[0] || !DocRef_Find(folder, name, nullptr, 0, found, sizeof found)) return false;
  Str_Copy(out, size, found);
  return true;
}

// A load that found no file, or could not read the one it found, says so naming the file,
// the first time per line.
static void Prog_ReportFile(ProgRuntime *rt, i32 s, const char *name, bool found) {
  if (!Prog_FirstReport(rt, s)) return;
  if (found) Log_Printf("%d 行目 : %s を読み込めませんでした。", Prog_UserLine(rt, s), name);
  else Log_Printf("%d 行目 : %s が見つかりませんでした。", Prog_UserLine(rt, s), name);
}

// [SECTION] Statements

// Continue at line k: the advance after the statement lands on k.
static void Prog_ContinueAt(ProgRuntime *rt, const ProgBlock *b, i32 k) {
  if (k < 0) k = 0;
  if (k > b->statementCount) k = b->statementCount;
  rt->currentStatement = k - 1;
}

static void Prog_Assign(ProgRuntime *rt, const ProgBlock *b, i32 s) {
  i32 v = b->V[s][0];
  if (!Prog_VariableOk(rt, v)) return;
  f32 left = Prog_Value(rt, b, s, 2), right = Prog_Value(rt, b, s, 4);
  f32 &dst = rt->tables.variableValues[v];
  i32 op = Prog_Int(b->A[s][3]);
  // Division by 0 gives what it always gave (an infinity, or the variable unchanged for a
  // remainder) and is said.
  bool byZero = op == 4 ? right == 0.0f : op == 5 && Prog_Int(right) == 0;
  if (byZero && Prog_FirstReport(rt, s)) Log_Printf("%d 行目 : 0 で割ることはできません。", Prog_UserLine(rt, s));
  switch (op) {
    case 1: dst = left + right; break;
    case 2: dst = left - right; break;
    case 3: dst = left * right; break;
    case 4: dst = left / right; break;
    case 5: Prog_Remainder(left, right, &dst); break;
    default: break;
  }
}

static void Prog_If(ProgRuntime *rt, const ProgBlock *b, i32 s) {
  i32 l = Prog_Int(Prog_Value(rt, b, s, 1)), r = Prog_Int(Prog_Value(rt, b, s, 3));
  i32 cmp = Prog_Int(b->A[s][2]);
  bool yes = cmp == 0 ? l == r : cmp == 1 ? l > r : cmp == 2 ? l < r : false;
  if (!yes) Prog_ContinueAt(rt, b, Prog_Int(b->A[s][4]));
}

static void Prog_ImgLoad(ProgRuntime *rt, const ProgBlock *b, i32 s) {
  i32 slot = Prog_Int(b->A[s][0]);
  if (slot < 0 || slot >= PROG_IMAGE_SLOTS) return Prog_ReportMissing(rt, s, "画像スロット", slot);
  // The handle keeps its row, so loading again in a loop reuses it.
  if (!g_SceneSeam.imageLoad) return;
  char path[PROG_TEXT_SIZE * 4];
  bool found = Prog_FindFile(rt, b->text[s], path, sizeof path);
  g_SceneSeam.imageLoad(&rt->images[slot], path);
  if (!rt->images[slot].loaded) Prog_ReportFile(rt, s, b->text[s], found);
}

static void Prog_ImgDraw(ProgRuntime *rt, const ProgBlock *b, i32 s) {
  i32 slot = Prog_Int(b->A[s][1]);
  if (slot < 0 || slot >= PROG_IMAGE_SLOTS || !rt->images[slot].loaded)
    return Prog_ReportMissing(rt, s, "画像スロット", slot);
  Prog_QueueImage(slot, Prog_Int(Prog_Value(rt, b, s, 2)), Prog_Int(b->A[s][3]));
}

// PolyLoad also makes the scene object of the same number when there is none: a model is
// drawn and moved only through its object.
static void Prog_PolyLoad(ProgRuntime *rt, const ProgBlock *b, i32 s) {
  i32 slot = Prog_Int(b->A[s][1]);
  if (!Prog_ModelSlotOk(slot)) return Prog_ReportMissing(rt, s, "モデルスロット", slot);
  char path[PROG_TEXT_SIZE * 4];
  Prog_FindFile(rt, b->text[s], path, sizeof path);   // one found nowhere: the reader names it
  if (g_SceneSeam.modelLoad) g_SceneSeam.modelLoad(slot, path);
  if (g_SceneSeam.objectExists && !g_SceneSeam.objectExists(slot) && g_SceneSeam.objectCreate)
    g_SceneSeam.objectCreate(slot);
}

static void Prog_PolyObject(ProgRuntime *rt, const ProgBlock *b, i32 s, i32 what) {
  i32 n = Prog_Int(b->A[s][1]);
  f32 x = Prog_Value(rt, b, s, 2), y = Prog_Value(rt, b, s, 3), z = Prog_Value(rt, b, s, 4);
  if (!g_SceneSeam.objectSet || !g_SceneSeam.objectSet(n, what, x, y, z)) Prog_ReportMissing(rt, s, "オブジェクト", n);
}

static void Prog_PolyModel(ProgRuntime *rt, const ProgBlock *b, i32 s, i32 what) {
  i32 slot = Prog_Int(b->A[s][1]);
  f32 v = Prog_Value(rt, b, s, 2);
  i32 value = what == PROG_MODEL_LIGHT ? (v != 0.0f) : Prog_Int(v);
  if (!Prog_ModelSlotOk(slot) || !g_SceneSeam.modelSet || !g_SceneSeam.modelSet(slot, what, value))
    Prog_ReportMissing(rt, s, "モデルスロット", slot);
}

static void Prog_Camera(ProgRuntime *rt, const ProgBlock *b, i32 s, i32 what) {
  if (g_SceneSeam.camera)
    g_SceneSeam.camera(what, Prog_Value(rt, b, s, 1), Prog_Value(rt, b, s, 2), Prog_Value(rt, b, s, 3));
}

static void Prog_Key(ProgRuntime *rt, const ProgBlock *b, i32 s) {
  i32 key = Prog_Int(b->A[s][1]);
  bool held = key >= 0 && key < 256 && g_SceneSeam.keyHeld && g_SceneSeam.keyHeld(key);
  if (!held) Prog_ContinueAt(rt, b, Prog_Int(b->A[s][2]));
}

static void Prog_Statement(ProgRuntime *rt, const ProgBlock *b, i32 s) {
  const f32 *A = b->A[s];
  switch (b->code[s]) {
    case PROG_ASSIGN_CONST: {
      i32 v = Prog_Int(A[0]);
      if (Prog_VariableOk(rt, v)) rt->tables.variableValues[v] = A[2];
      break;
    }
    case PROG_ASSIGN_EXPR: Prog_Assign(rt, b, s); break;
    case PROG_IF: Prog_If(rt, b, s); break;
    case PROG_FONT:
      if (g_SceneSeam.print) g_SceneSeam.print(Prog_Int(A[0]), Prog_Int(A[1]), b->text[s]);
      break;
    case PROG_IMG_LOAD: Prog_ImgLoad(rt, b, s); break;
    case PROG_IMG_DRAW: Prog_ImgDraw(rt, b, s); break;
    case PROG_POLY_LOAD: Prog_PolyLoad(rt, b, s); break;
    case PROG_POLY_POS: Prog_PolyObject(rt, b, s, PROG_OBJECT_POSITION); break;
    case PROG_POLY_ANG: Prog_PolyObject(rt, b, s, PROG_OBJECT_ANGLES); break;
    case PROG_POLY_SIZE: Prog_PolyObject(rt, b, s, PROG_OBJECT_SCALE); break;
    case PROG_POLY_LIGHT: Prog_PolyModel(rt, b, s, PROG_MODEL_LIGHT); break;
    case PROG_POLY_MOTION: Prog_PolyModel(rt, b, s, PROG_MODEL_MOTION); break;
    case PROG_POLY_VB: Prog_PolyModel(rt, b, s, PROG_MODEL_RENDER_MODE); break;
    case PROG_CAMERA_S: Prog_Camera(rt, b, s, PROG_CAMERA_EYE); break;
    case PROG_CAMERA_E: Prog_Camera(rt, b, s, PROG_CAMERA_TARGET); break;
    case PROG_LIGHT_POS: Prog_Camera(rt, b, s, PROG_CAMERA_LIGHT); break;
    case PROG_KEY: Prog_Key(rt, b, s); break;
    case PROG_FOLDER:
      if (g_SceneSeam.changeDir && !g_SceneSeam.changeDir(b->text[s]) && Prog_FirstReport(rt, s))
        Log_Printf("%d 行目 : フォルダ %s に移動できませんでした。", Prog_UserLine(rt, s), b->text[s]);
      rt->folderSet = 1;
      break;
    case PROG_GO:
      rt->currentBlock = 0;   // the compiler makes block 0 only
      Prog_ContinueAt(rt, b, Prog_Int(A[1]));
      break;
    case PROG_SCREEN_DRAW: rt->frameRunning = 0; break;
    default: break;   // no statement, a label line
  }
}

// [SECTION] Runtime

void Prog_ResetState(void) {
  ProgRuntime *rt = g_ProgEditor.runtime;
  if (!rt) return;
  rt->currentBlock = rt->currentStatement = 0;
  for (i32 v = 0; v < PROG_MAX_VARIABLES; v++) {
    rt->tables.variableValues[v] = 0.0f;
    rt->tables.variableStrings[v][0] = 0;
  }
  rt->queueCount = 0;
  rt->folderSet = 0;
  memset(rt->reported, 0, sizeof rt->reported);
}

void Prog_Execute(void) {
  ProgRuntime *rt = g_ProgEditor.runtime;
  if (!rt || !rt->running) return;
  const ProgBlock *b = rt->blocks[0];
  rt->frameRunning = 1;
  for (i32 steps = 1;; steps++) {
    if (steps > PROG_STEPS_PER_FRAME) rt->frameRunning = 0;
    if (!b || rt->currentStatement < 0 || rt->currentStatement >= b->statementCount) {
      rt->running = 0;   // ran past the last line
      rt->frameRunning = 0;
    }
    if (!rt->frameRunning) return;
    Prog_Statement(rt, b, rt->currentStatement);
    rt->currentStatement++;
  }
}

void Prog_QueueImage(i32 slot, i32 x, i32 y) {
  ProgRuntime *rt = g_ProgEditor.runtime;
  if (!rt || (g_SceneSeam.textOn && !g_SceneSeam.textOn())) return;
  if (rt->queueCount >= PROG_QUEUE_SIZE - 1) return;
  rt->queue[rt->queueCount++] = {slot, x, y};
}

void Prog_Draw(const HookCtx *c) {
  ProgRuntime *rt = g_ProgEditor.runtime;
  if (!rt || !rt->running) return;
  for (i32 i = 0; i < rt->queueCount; i++) {
    const ProgQueuedImage &q = rt->queue[i];
    if (q.slot >= 0 && q.slot < PROG_IMAGE_SLOTS && g_SceneSeam.imageDraw) g_SceneSeam.imageDraw(&rt->images[q.slot], q.x, q.y);
  }
  rt->queueCount = 0;
}
