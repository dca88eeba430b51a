// The program editor's records: the editor object (g_ProgEditor), the tokenized source
// lines, the compiled statement block and the tables of the run-time record that the
// script compiler fills (labels, variables, blocks).
//
// Owner: the program family (scene/prog*.cpp). The compiler rewrites the lines on every
// compile and replaces the runtime's labels, variables and block 0 only when a compile
// succeeds; the runner reads them.
#pragma once
#include "lib/draw/image.h"
#include "model/types.h"

struct ByteWriter;

enum {
  PROG_MAX_LINES = 1000,     // source lines = statements of a block
  PROG_MAX_TOKENS = 5,       // tokens kept per line (later words are ignored)
  PROG_TEXT_SIZE = 256,      // every name, token and text field
  PROG_MAX_LABELS = 100,
  PROG_MAX_VARIABLES = 100,
  PROG_MAX_BLOCKS = 100,
  PROG_OPERANDS = 5,         // A, B and V per statement
  PROG_QUEUE_SIZE = 1024,    // image-draw queue entries (at most 1023 are used)
  PROG_IMAGE_SLOTS = IMAGE_ROWS,   // script image slots: one per row of the image table
  PROG_STEPS_PER_FRAME = 1000,
};

// Token classes (ProgLine::classes); 0..99 is the index of the variable the token names.
enum { PROG_CLASS_WORD = -1, PROG_CLASS_OPERATOR = -2 };

// Variable kinds (the compiler creates only numbers).
enum { PROG_KIND_NUMBER = 0, PROG_KIND_STRING = 1 };

// ProgStatementCode: what a compiled line does when run.
enum {
  PROG_NONE = 0, PROG_LABEL = 1, PROG_ASSIGN_CONST = 3, PROG_ASSIGN_EXPR = 4, PROG_IF = 5,
  PROG_FONT = 6, PROG_IMG_LOAD = 7, PROG_IMG_DRAW = 8, PROG_POLY_LOAD = 9, PROG_POLY_POS = 10,
  PROG_POLY_ANG = 11, PROG_POLY_SIZE = 12, PROG_POLY_LIGHT = 13, PROG_POLY_MOTION = 14,
  PROG_POLY_VB = 15, PROG_CAMERA_S = 16, PROG_CAMERA_E = 17, PROG_LIGHT_POS = 18, PROG_KEY = 19,
  PROG_FOLDER = 20, PROG_GO = 21, PROG_SCREEN_DRAW = 22,
};

// One source line after tokenizing.
struct ProgLine {
  char tokens[PROG_MAX_TOKENS][PROG_TEXT_SIZE];
  i32 tokenCount;   // 0..5
  i32 length;       // bytes of the line text
  i32 classes[PROG_MAX_TOKENS];
};

// A compiled block (allocated zeroed; statement index = source line index).
struct ProgBlock {
  char name[PROG_TEXT_SIZE];   // empty for block 0
  i32 statementCount;
  i32 code[PROG_MAX_LINES];
  f32 A[PROG_MAX_LINES][PROG_OPERANDS];              // constant operands
  char text[PROG_MAX_LINES][PROG_TEXT_SIZE];         // file, folder or printed text
  i32 B[PROG_MAX_LINES][PROG_OPERANDS];              // stored in Program.KZS, always 0
  i32 V[PROG_MAX_LINES][PROG_OPERANDS];              // variable replacing A[k], or -1
};

// Labels, variables and where each statement came from: the compiler's tables of the
// run-time record.
struct ProgTables {
  i32 labelCount;
  i32 variableCount;
  i32 labelLines[PROG_MAX_LABELS];
  // The source line (from 0) of each statement: a line over 255 bytes makes two statements,
  // so messages name the line the user sees, not the statement index.
  i32 sourceLines[PROG_MAX_LINES];
  i32 variableKinds[PROG_MAX_VARIABLES];
  f32 variableValues[PROG_MAX_VARIABLES];
  char labelNames[PROG_MAX_LABELS][PROG_TEXT_SIZE];        // with the leading '*'
  char variableNames[PROG_MAX_VARIABLES][PROG_TEXT_SIZE];
  char variableStrings[PROG_MAX_VARIABLES][PROG_TEXT_SIZE];
};

// One ImgDraw waiting for the overlay draw.
struct ProgQueuedImage {
  i32 slot, x, y;
};

// The run-time record (allocated zeroed). The compiler fills the tables and block 0; the
// runner (prog_run.cpp) owns the rest.
struct ProgRuntime {
  i32 blockCount;
  u8 frameRunning;     // cleared to end this frame's execution
  u8 running;          // 1 while a script runs
  i32 currentBlock;    // the program counter: block and statement
  i32 currentStatement;
  i32 queueCount;
  ProgBlock *blocks[PROG_MAX_BLOCKS];
  ProgTables tables;
  ProgQueuedImage queue[PROG_QUEUE_SIZE];
  ImageHandle images[PROG_IMAGE_SLOTS];   // script image slots; each keeps its row
  u8 reported[PROG_MAX_LINES];            // a missing slot or object was logged for this line
  u8 folderSet;                           // a Folder statement ran: loads look there first
};

// The program editor: one global object.
struct ProgScratch;

struct ProgEditor {
  ProgRuntime *runtime;
  // The source text to compile (the edit control's text in the program): fills out with
  // the bytes and returns true. Null: the source file is compiled as it stands.
  bool (*editText)(ByteWriter *out);
  u8 editTextSaid;                      // editText's last refusal was told to the user already
  void *editControl;                    // the source dialog's edit control (platform handle)
  void *sourceDialog;                   // the source dialog (platform handle), null while closed
  u8 settingText;                       // the program itself is filling the edit control
  u32 keyUpActed;                       // the release Prog_KeyUp just acted on (cleared every frame)
  ProgScratch *scratch;                 // the compiler's own tables (prog_compile.cpp), freed with the runtime
  i32 scanStart, scanPos;               // tokenizer state within the current line text
  i32 currentLine;
  i32 statementKind;                    // keyword number of the current line
  char sourceName[PROG_TEXT_SIZE];      // bare file name as the file dialog gave it
  char sourceFolder[PROG_TEXT_SIZE];    // the folder it was chosen in
  char lineText[PROG_TEXT_SIZE];        // the current line as read, newline included
  ProgLine lines[PROG_MAX_LINES];
};

extern ProgEditor g_ProgEditor;
extern const i32 g_KzsVersion;

// Allocates a zeroed runtime with a zeroed block 0 (once); false when memory runs out.
bool Prog_AllocRuntime(void);
// Allocates block n of the runtime (zeroed) when it does not exist.
bool Prog_AllocBlock(i32 n);
// Frees the runtime, its blocks and the compiler's scratch tables.
void Prog_FreeRuntime(void);

// [SECTION] Compiler (prog_compile.cpp)

// Changes to the source folder, saves the edit text to the source file, reads it back and
// compiles it into block 0. False (with a message) when nothing was compiled: the previous
// tables and block stay.
bool Prog_Compile(const char *sourceName);
// The compile proper over the bytes of a source text; false (with a message box naming the
// line) when the source exceeds a table, and then the previous tables and block stay.
bool Prog_CompileText(const void *text, size_t size);
// Per-line steps on g_ProgEditor.currentLine and lineText.
void Prog_TokenizeLine(void);
bool Prog_ScanLabels(void);
bool Prog_ParseLine(void);
// Compiles and writes Program.KZS in the source folder; false when nothing was written.
bool Prog_WriteKzs(void);
// Writes the current compile as Program.KZS in the current folder (a run has just compiled).
bool Prog_WriteKzsFile(void);
