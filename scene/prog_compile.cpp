// The script compiler: reads a source text line by line, tokenizes each line, collects the
// labels, then compiles every line into block 0 of the run-time record.
//
// A compile fills scratch tables of its own (labels, variables, one block) that start empty
// every time and replace the runtime's only when the whole source compiled, so a source
// that exceeds a table (1000 lines, 100 labels, 100 variables) is refused with the line
// that overflowed and leaves the previous compile in place. A line that matches no form
// compiles to nothing, as it always has; the compiler says why in one log line per problem,
// with the line number (counted from 1) and the offending word.
#include <float.h>
#include <math.h>
#include <stdlib.h>
#include <string.h>

#include "app/docflags.h"
#include "lib/media/filename.h"
#include "model/bytes.h"
#include "model/seam_errorbox.h"
#include "model/seam_log.h"
#include "scene/prog.h"

// [SECTION] Compile target

struct ProgScratch {
  ProgTables tables;
  ProgBlock block;
  i32 nextEnd[PROG_MAX_LINES];   // first later line whose first token is "End", or -1
};

void Prog_FreeCompileScratch(void) {
  free(g_ProgEditor.scratch);
  g_ProgEditor.scratch = nullptr;
}

// [SECTION] Messages

// The source line (counted from 1) of the current statement.
static i32 Prog_UserLine(void) {
  i32 s = g_ProgEditor.currentLine;
  const ProgScratch *sc = g_ProgEditor.scratch;
  return (sc && s >= 0 && s < PROG_MAX_LINES ? sc->tables.sourceLines[s] : s) + 1;
}

// One log line about the current line: "<line> 行目 : <what> (<word>)".
static void Prog_Warn(const char *what, const char *word) {
  i32 line = Prog_UserLine();
  if (word) Log_Printf("%d 行目 : %s (%s)", (int)line, what, word);
  else Log_Printf("%d 行目 : %s", (int)line, what);
}

// The refusal of a source that exceeds a table.
static bool Prog_Refuse(const char *table, i32 max) {
  Seam_ErrorBoxf("%d 行目 : %sの数が最大数(%d)を超えました。", (int)Prog_UserLine(), table, (int)max);
  return false;
}

// [SECTION] Line reader and tokenizer

struct ProgSource {
  const u8 *data;
  size_t size;
  size_t pos;
};

// The next line into out as the C library's fgets(out, 256) reads a text-mode file: at most
// 255 bytes, up to and including the newline; CR LF counts as one newline on every platform.
// A NUL byte read into the line ends its text. *cut: the line stopped at 255 bytes before
// its newline and the rest continues as the next line.
static bool Prog_ReadLine(ProgSource *src, char *out, bool *cut) {
  if (src->pos >= src->size) return false;
  size_t n = 0;
  while (n < PROG_TEXT_SIZE - 1 && src->pos < src->size) {
    u8 c = src->data[src->pos++];
    if (c == '\r' && src->pos < src->size && src->data[src->pos] == '\n') c = src->data[src->pos++];
    out[n++] = (char)c;
    if (c == '\n') break;
  }
  out[n] = 0;
  *cut = n == PROG_TEXT_SIZE - 1 && out[n - 1] != '\n' && src->pos < src->size;
  return true;
}

static bool Prog_IsSeparator(char c) { return c == '\t' || c == ' ' || c == ',' || c == '\n' || c == 0; }
static bool Prog_IsBlank(char c) { return c == ' ' || c == '\t'; }

void Prog_TokenizeLine(void) {
  ProgEditor &e = g_ProgEditor;
  ProgLine &ln = e.lines[e.currentLine];
  const char *t = e.lineText;
  memset(&ln, 0, sizeof ln);
  e.lineText[PROG_TEXT_SIZE - 1] = 0;
  ln.length = (i32)strlen(t);
  e.scanPos = 0;
  bool finished = false;
  while (ln.tokenCount < PROG_MAX_TOKENS && !finished && e.scanPos < ln.length) {
    i32 s = e.scanPos;
    while (Prog_IsBlank(t[s])) s++;
    e.scanStart = s;
    // Only blanks were left: no token (a token must not start at the terminator).
    if (t[s] == 0) break;
    // A newline first of all: an empty line.
    if (ln.tokenCount == 0 && t[s] == '\n') break;
    // The first character belongs to the token whatever it is, even a comma or a newline.
    i32 end = s + 1;
    while (!Prog_IsSeparator(t[end])) end++;
    memcpy(ln.tokens[ln.tokenCount], t + s, (size_t)(end - s));   // end - s <= 255
    ln.tokenCount++;
    finished = t[end] == '\n' || t[end] == 0;
    e.scanPos = end + 1;
  }
  if (finished || ln.tokenCount < PROG_MAX_TOKENS || e.scanPos >= ln.length) return;
  i32 s = e.scanPos;
  while (Prog_IsBlank(t[s])) s++;
  if (t[s] != 0 && t[s] != '\n') {
    char word[PROG_TEXT_SIZE] = {0};
    i32 end = s + 1;
    while (!Prog_IsSeparator(t[end])) end++;
    memcpy(word, t + s, (size_t)(end - s));
    Prog_Warn("6 語目から後は無視されます。", word);
  }
}

// [SECTION] Labels

static i32 Prog_FindLabel(const ProgTables &t, const char *name) {
  for (i32 i = 0; i < t.labelCount; i++)
    if (strcmp(t.labelNames[i], name) == 0) return i;
  return -1;
}

bool Prog_ScanLabels(void) {
  ProgEditor &e = g_ProgEditor;
  if (!g_ProgEditor.scratch) return false;
  Prog_TokenizeLine();
  const char *first = e.lines[e.currentLine].tokens[0];
  if (first[0] != '*') return true;
  ProgTables &t = g_ProgEditor.scratch->tables;
  g_ProgEditor.scratch->block.code[e.currentLine] = PROG_LABEL;
  // The first definition of a name wins.
  if (Prog_FindLabel(t, first) >= 0) return true;
  if (t.labelCount >= PROG_MAX_LABELS) return Prog_Refuse("ラベル", PROG_MAX_LABELS);
  Str_Copy(t.labelNames[t.labelCount], PROG_TEXT_SIZE, first);
  t.labelLines[t.labelCount] = e.currentLine;
  t.labelCount++;
  return true;
}

// [SECTION] Operands

// The decimal number at the start of a token as atof reads it (0 when there is none),
// without the hexadecimal, "inf" and "nan" forms some C libraries add, so that a source
// compiles alike on every platform. *isNumber: digits were read.
static f32 Prog_Number(const char *s, bool *isNumber) {
  const char *p = s;
  while (*p == ' ' || (*p >= '\t' && *p <= '\r')) p++;
  const char *start = p;
  if (*p == '+' || *p == '-') p++;
  int digits = 0;
  for (; *p >= '0' && *p <= '9'; p++) digits++;
  if (*p == '.')
    for (p++; *p >= '0' && *p <= '9'; p++) digits++;
  *isNumber = digits > 0;
  if (!digits) return 0.0f;
  if (*p == 'e' || *p == 'E') {
    const char *q = p + 1;
    if (*q == '+' || *q == '-') q++;
    if (*q >= '0' && *q <= '9') {
      while (*q >= '0' && *q <= '9') q++;
      p = q;
    }
  }
  char buf[PROG_TEXT_SIZE];
  size_t n = (size_t)(p - start);
  if (n >= sizeof buf) n = sizeof buf - 1;
  memcpy(buf, start, n);
  buf[n] = 0;
  double d = strtod(buf, nullptr);
  // Out of float range: the IEEE result, without an undefined conversion.
  if (d > FLT_MAX) return INFINITY;
  if (d < -FLT_MAX) return -INFINITY;
  return (f32)d;
}

static f32 Prog_NumberOf(const char *s) {
  bool isNumber;
  return Prog_Number(s, &isNumber);
}

static i32 Prog_FindVariable(const ProgTables &t, const char *name) {
  for (i32 i = 0; i < t.variableCount; i++)
    if (t.variableNames[i][0] == name[0] && strcmp(t.variableNames[i], name) == 0) return i;
  return -1;
}

static bool Prog_IsOperatorChar(char c) { return c != 0 && strchr("=+-*/%", c) != nullptr; }

// Says what is wrong with a word used as a value that is neither a variable nor a number.
static void Prog_CheckValueWord(const ProgLine &ln, i32 k) {
  const char *w = ln.tokens[k];
  bool isNumber;
  Prog_Number(w, &isNumber);
  // A missing word, and the newline token (reported as a blank at the line end), say nothing.
  if (isNumber || k >= ln.tokenCount || strcmp(w, "\n") == 0 || ln.classes[k] >= 0) return;
  if (ln.classes[k] == PROG_CLASS_OPERATOR) Prog_Warn("値の位置に演算子があります。", w);
  else Prog_Warn("宣言されていない変数です。", w);
}

// Number operand k: the number the word spells; a word that is no number (a variable's name
// among them: number operands are never looked up) is said and read as 0.
static f32 Prog_NumberOperand(const ProgLine &ln, i32 k) {
  bool isNumber;
  f32 v = Prog_Number(ln.tokens[k], &isNumber);
  if (!isNumber && k < ln.tokenCount && strcmp(ln.tokens[k], "\n") != 0) Prog_Warn("ここには数値を書いて下さい。", ln.tokens[k]);
  return v;
}

// Value operand k: a variable's index into V[k], else the number into A[k] with V[k] = -1.
static void Prog_ValueOperand(const ProgLine &ln, i32 line, i32 k) {
  ProgBlock &b = g_ProgEditor.scratch->block;
  if (ln.classes[k] >= 0) {
    b.V[line][k] = ln.classes[k];
    return;
  }
  b.A[line][k] = Prog_NumberOf(ln.tokens[k]);
  b.V[line][k] = -1;
  Prog_CheckValueWord(ln, k);
}

// [SECTION] Keywords and key names

struct ProgKeyword {
  const char *word;
  i32 kind;
};
static const ProgKeyword kProgKeywords[] = {
    {"Var", 2},        {"If", 5},         {"Font", 6},         {"ImgLoad", 7},     {"ImgDraw", 8},
    {"PolyLoad", 9},   {"PolyPos", 10},   {"PolyAng", 11},     {"PolySize", 12},   {"PolyLight", 13},
    {"PolyMotion", 14}, {"PolyVB", 15},   {"CameraS", 16},     {"CameraE", 17},    {"LightPos", 18},
    {"Key", 19},       {"Folder", 20},    {"Go", 21},          {"ScreenDraw", 22},
};

static i32 Prog_KindOf(const char *word) {
  for (const ProgKeyword &k : kProgKeywords)
    if (strcmp(k.word, word) == 0) return k.kind;
  return 0;
}

static const ProgKeyword kProgKeyNames[] = {
    {"Up", 38},      {"Right", 39},    {"Down", 40},      {"Left", 37},    {"Piriodo", 110},
    {"Purasu", 107}, {"Mainasu", 109}, {"Kakeru", 106},   {"Waru", 111},   {"NumLock", 144},
    {"Esc", 27},     {"Kanji", 229},   {"Tab", 9},        {"Caps", 240},   {"Shift", 16},
    {"Ctrl", 17},    {"Space", 32},    {"Enter", 13},     {"Bs", 8},       {"PageUp", 33},
    {"PageDown", 34}, {"Insert", 45},  {"Home", 36},      {"Delete", 46},  {"End", 35},
};

// The virtual-key code of a Key statement's key name; 0 for a name not in the table.
static i32 Prog_KeyCode(const char *name) {
  size_t n = strlen(name);
  if (n == 1 && name[0] >= 'A' && name[0] <= 'Z') return name[0];
  if (n == 1 && name[0] >= '0' && name[0] <= '9') return name[0];
  if (n == 4 && strncmp(name, "Num", 3) == 0 && name[3] >= '0' && name[3] <= '9') return 96 + (name[3] - '0');
  if (name[0] == 'F' && (n == 2 || n == 3)) {
    char *end;
    long f = strtol(name + 1, &end, 10);
    // "F1".."F12" exactly: no sign, no leading zero.
    if (*end == 0 && name[1] >= '1' && name[1] <= '9' && f >= 1 && f <= 12) return (i32)(111 + f);
  }
  for (const ProgKeyword &k : kProgKeyNames)
    if (strcmp(k.word, name) == 0) return k.kind;
  return 0;
}

// [SECTION] Statements

// A4 or A2 of If and Key: the first later "End" line, else two lines on.
static f32 Prog_EndTarget(i32 line) {
  i32 end = g_ProgEditor.scratch->nextEnd[line];
  if (end >= 0) return (f32)end;
  Prog_Warn("対応する End がありません。", g_ProgEditor.lines[line].tokens[0]);
  return (f32)(line + 2);
}

// "v op n" and "v = x op y".
static void Prog_ParseAssign(const ProgLine &ln, i32 line, bool blankAtEnd) {
  ProgBlock &b = g_ProgEditor.scratch->block;
  const i32 *c = ln.classes;
  if (ln.tokenCount == 3 && c[1] == PROG_CLASS_OPERATOR) {
    // The operator is not recorded: the statement stores n into v.
    b.code[line] = PROG_ASSIGN_CONST;
    b.A[line][0] = (f32)c[0];
    b.A[line][2] = Prog_NumberOf(ln.tokens[2]);
    if (c[2] == PROG_CLASS_WORD) Prog_CheckValueWord(ln, 2);
    return;
  }
  if (ln.tokenCount == 5 && strcmp(ln.tokens[1], "=") == 0 && c[3] == PROG_CLASS_OPERATOR) {
    if (c[2] == PROG_CLASS_OPERATOR || c[4] == PROG_CLASS_OPERATOR) {
      Prog_Warn("値の位置に演算子があります。", ln.tokens[c[2] == PROG_CLASS_OPERATOR ? 2 : 4]);
      return;
    }
    static const char *const kOps[] = {"+", "-", "*", "/", "%"};
    b.code[line] = PROG_ASSIGN_EXPR;
    b.V[line][0] = c[0];
    Prog_ValueOperand(ln, line, 2);
    for (i32 i = 0; i < 5; i++)
      if (strcmp(ln.tokens[3], kOps[i]) == 0) b.A[line][3] = (f32)(i + 1);
    b.A[line][4] = Prog_NumberOf(ln.tokens[4]);
    b.V[line][4] = c[4] >= 0 ? c[4] : -1;
    Prog_CheckValueWord(ln, 4);
    return;
  }
  // A blank at the line end has already been reported: it is why the line has no form.
  if (!blankAtEnd) Prog_Warn("変数の行の形が正しくありません。", ln.tokens[0]);
}

static bool Prog_ParseVar(const ProgLine &ln) {
  ProgTables &t = g_ProgEditor.scratch->tables;
  const char *name = ln.tokens[1];
  if (Prog_FindVariable(t, name) >= 0) return true;
  if (t.variableCount >= PROG_MAX_VARIABLES) return Prog_Refuse("変数", PROG_MAX_VARIABLES);
  i32 v = t.variableCount++;
  Str_Copy(t.variableNames[v], PROG_TEXT_SIZE, name);
  t.variableKinds[v] = PROG_KIND_NUMBER;
  t.variableValues[v] = 0.0f;
  t.variableStrings[v][0] = 0;
  return true;
}

static void Prog_ParseGo(const ProgLine &ln, i32 line) {
  ProgBlock &b = g_ProgEditor.scratch->block;
  const char *name = ln.tokens[1];
  i32 label = Prog_FindLabel(g_ProgEditor.scratch->tables, name);
  if (label < 0) {
    Prog_Warn(name[0] == '*' ? "ラベルが見つかりません。" : "ラベル名は * で始めて下さい。", name);
    return;
  }
  b.code[line] = PROG_GO;
  b.A[line][0] = 0.0f;   // block
  b.A[line][1] = (f32)g_ProgEditor.scratch->tables.labelLines[label];
  b.A[line][2] = 0.0f;   // plain jump
}

// Whether word k of the line is there: not past the last word nor the line end's token.
static bool Prog_HasWord(const ProgLine &ln, i32 k) { return k < ln.tokenCount && strcmp(ln.tokens[k], "\n") != 0; }

// An If whose comparison "x op y" lacks a word is cut short: said with its last word, and the
// line compiles to nothing (a missing value would otherwise be read as 0).
static bool Prog_IfCutShort(const ProgLine &ln) {
  for (i32 k = 1; k <= 3; k++) {
    if (Prog_HasWord(ln, k)) continue;
    Prog_Warn("式が途中で終わっています。", ln.tokens[k - 1]);
    return true;
  }
  return false;
}

// Operands of the statements that only take fixed operand forms.
static void Prog_ParseCommand(const ProgLine &ln, i32 line, i32 kind) {
  ProgBlock &b = g_ProgEditor.scratch->block;
  f32 *A = b.A[line];
  const char(*tok)[PROG_TEXT_SIZE] = ln.tokens;
  if (kind == PROG_IF && Prog_IfCutShort(ln)) return;
  b.code[line] = kind;
  switch (kind) {
    case PROG_IF: {
      Prog_ValueOperand(ln, line, 1);
      char cmp = tok[2][0];
      A[2] = cmp == '>' ? 1.0f : cmp == '<' ? 2.0f : 0.0f;
      Prog_ValueOperand(ln, line, 3);
      A[4] = Prog_EndTarget(line);
      break;
    }
    case PROG_FONT:
      A[0] = Prog_NumberOperand(ln, 1);
      A[1] = Prog_NumberOperand(ln, 2);
      Str_Copy(b.text[line], PROG_TEXT_SIZE, tok[3]);
      break;
    case PROG_IMG_LOAD:
      A[0] = Prog_NumberOperand(ln, 1);
      Str_Copy(b.text[line], PROG_TEXT_SIZE, tok[2]);
      break;
    case PROG_IMG_DRAW:
      A[1] = Prog_NumberOperand(ln, 1);
      Prog_ValueOperand(ln, line, 2);
      A[3] = Prog_NumberOperand(ln, 3);
      break;
    case PROG_POLY_LOAD:
      A[1] = Prog_NumberOperand(ln, 1);
      Str_Copy(b.text[line], PROG_TEXT_SIZE, tok[2]);
      break;
    case PROG_POLY_POS:
    case PROG_POLY_ANG:
    case PROG_POLY_SIZE:
      A[1] = Prog_NumberOperand(ln, 1);
      for (i32 k = 2; k <= 4; k++) Prog_ValueOperand(ln, line, k);
      break;
    case PROG_POLY_LIGHT:
    case PROG_POLY_MOTION:
    case PROG_POLY_VB:
      A[1] = Prog_NumberOperand(ln, 1);
      Prog_ValueOperand(ln, line, 2);
      break;
    case PROG_CAMERA_S:
    case PROG_CAMERA_E:
    case PROG_LIGHT_POS:
      for (i32 k = 1; k <= 3; k++) Prog_ValueOperand(ln, line, k);
      break;
    case PROG_KEY:
      // "End" here is the End key (35), not the end of a block.
      A[1] = (f32)Prog_KeyCode(tok[1]);
      if (A[1] == 0.0f) Prog_Warn("知らないキー名です。", tok[1]);
      A[2] = Prog_EndTarget(line);
      break;
    case PROG_FOLDER:
      Str_Copy(b.text[line], PROG_TEXT_SIZE, tok[1]);
      break;
    default:   // ScreenDraw
      break;
  }
}

bool Prog_ParseLine(void) {
  ProgEditor &e = g_ProgEditor;
  if (!g_ProgEditor.scratch) return false;
  i32 line = e.currentLine;
  ProgLine &ln = e.lines[line];
  if (ln.tokens[0][0] == '*') return true;   // a label line: code 1 from the label scan
  e.statementKind = Prog_KindOf(ln.tokens[0]);
  bool blankAtEnd = false;
  for (i32 k = 0; k < PROG_MAX_TOKENS; k++) {
    const char *w = ln.tokens[k];
    i32 c = PROG_CLASS_WORD;
    if (k < ln.tokenCount) {
      i32 v = Prog_FindVariable(g_ProgEditor.scratch->tables, w);
      if (v >= 0) c = v;
      if (Prog_IsOperatorChar(w[0])) c = PROG_CLASS_OPERATOR;
      if (w[0] == '\n') blankAtEnd = true;
    }
    ln.classes[k] = c;
  }
  if (blankAtEnd) Prog_Warn("行末に空白があります。", nullptr);
  switch (e.statementKind) {
    case 0:
      if (ln.tokenCount == 0) break;
      if (ln.classes[0] >= 0) Prog_ParseAssign(ln, line, blankAtEnd);
      // "b = ..." or "b + 1" with b never declared: the name, not the statement, is unknown.
      else if (ln.tokenCount >= 2 && ln.classes[1] == PROG_CLASS_OPERATOR && ln.classes[0] != PROG_CLASS_OPERATOR)
        Prog_Warn("宣言されていない変数です。", ln.tokens[0]);
      else if (strcmp(ln.tokens[0], "End") != 0) Prog_Warn("知らない命令です。", ln.tokens[0]);
      break;
    case 2:
      return Prog_ParseVar(ln);
    case PROG_GO:
      Prog_ParseGo(ln, line);
      break;
    default:
      Prog_ParseCommand(ln, line, e.statementKind);
      break;
  }
  return true;
}

// [SECTION] Compile

bool Prog_CompileText(const void *text, size_t size) {
  ProgEditor &e = g_ProgEditor;
  if (!Prog_AllocRuntime()) return false;
  if (!g_ProgEditor.scratch) g_ProgEditor.scratch = (ProgScratch *)malloc(sizeof(ProgScratch));
  if (!g_ProgEditor.scratch) return false;
  memset(g_ProgEditor.scratch, 0, sizeof *g_ProgEditor.scratch);
  ProgSource src = {(const u8 *)text, text ? size : 0, 0};
  e.currentLine = 0;
  bool cut = false;
  i32 sourceLine = 0;   // the user's line: the rest of a cut line is still on it
  char lineText[PROG_TEXT_SIZE];
  while (Prog_ReadLine(&src, lineText, &cut)) {
    if (e.currentLine >= PROG_MAX_LINES) return Prog_Refuse("行", PROG_MAX_LINES);
    g_ProgEditor.scratch->tables.sourceLines[e.currentLine] = sourceLine;
    if (!cut) sourceLine++;
    memcpy(e.lineText, lineText, sizeof lineText);
    if (cut) Prog_Warn("255 バイトを超えたので、残りを次の行として読みます。", nullptr);
    if (!Prog_ScanLabels()) return false;
    e.currentLine++;
  }
  i32 count = e.currentLine;
  g_ProgEditor.scratch->block.statementCount = count;
  i32 nextEnd = -1;
  for (i32 i = count - 1; i >= 0; i--) {
    g_ProgEditor.scratch->nextEnd[i] = nextEnd;
    if (strcmp(e.lines[i].tokens[0], "End") == 0) nextEnd = i;
  }
  for (e.currentLine = 0; e.currentLine < count; e.currentLine++)
    if (!Prog_ParseLine()) return false;
  ProgRuntime *rt = e.runtime;
  rt->tables = g_ProgEditor.scratch->tables;
  memcpy(rt->blocks[0], &g_ProgEditor.scratch->block, sizeof(ProgBlock));
  return true;
}

bool Prog_Compile(const char *sourceName) {
  ProgEditor &e = g_ProgEditor;
  if (!sourceName) sourceName = "";
  FileDlg_ChangeDir(e.sourceFolder);
  // The edit text replaces the source file through a temporary file, so a failed write
  // keeps the user's script as it was.
  if (e.editText) {
    ByteWriter w = {};
    e.editTextSaid = 0;
    bool saved = e.editText(&w) && !w.err && File_WriteAtomic(sourceName, w.data, w.size);
    Wr_Free(&w);
    if (!saved) {
      if (!e.editTextSaid) Seam_ErrorBoxf("%s に保存することができませんでした。", sourceName);
      return false;
    }
    Doc_ClearChanged(DOC_PROGRAM);   // the file now holds the edit text
  }
  FileData f = {};
  if (!File_ReadAll(sourceName, &f)) {
    Seam_ErrorBox("ファイルを読み込むことが、できませんでした。");
    return false;
  }
  bool ok = Prog_CompileText(f.data, f.size);
  File_Free(&f);
  return ok;
}
