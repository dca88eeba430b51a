// Script compiler: for each source, the Program.KZS statements written out by hand from the
// statement, operand and operator codes the script engine reads; the tokenizer, the key-name
// table, one log line per kind of problem, the table limits, and the file steps (source saved
// through a temporary file, Program.KZS written atomically).
#include <sys/stat.h>

#include "prog_fixture.h"

struct CompileCase {
  const char *name;
  const char *source;
  std::vector<const char *> vars;
  std::vector<KzsStmt> st;
  size_t logLines;   // problems the compile reports (the statements are written all the same)
};

TEST_F(ProgTest, SourcesCompileToTheBytesOfTheLanguageTables) {
  const CompileCase cases[] = {
      // Assignments.
      {"const", "Var x\nx = 3\n", {"x"}, {{0}, {3, {0, 0, 3}}}, 0},
      {"op ignored", "Var x\nVar y\ny + 5\n", {"x", "y"}, {{0}, {0}, {3, {1, 0, 5}}}, 0},
      {"minus operand", "Var x\nVar y\nx = y + -3\n", {"x", "y"}, {{0}, {0}, {0}}, 1},
      {"expr", "Var x\nVar y\nx = y - 3\n", {"x", "y"}, {{0}, {0}, {4, {0, 0, 0, 2, 3}, {0, 0, 1, 0, -1}}}, 0},
      {"remainder", "Var x\nx = 7 % 3\n", {"x"}, {{0}, {4, {0, 0, 7, 5, 3}, {0, 0, -1, 0, -1}}}, 0},
      {"dup var", "Var x\nVar x\nx = 2\n", {"x"}, {{0}, {0}, {3, {0, 0, 2}}}, 0},
      // Blocks.
      {"if end", "Var a\nVar x\nIf x > 1\nScreenDraw\nEnd\n", {"a", "x"},
       {{0}, {0}, {5, {0, 0, 1, 1, 4}, {0, 1, 0, -1}}, {22}, {0}}, 0},
      {"if no end", "Var x\nIf 2 < x\nScreenDraw\n", {"x"}, {{0}, {5, {0, 2, 2, 0, 3}, {0, -1, 0, 0}}, {22}}, 1},
      {"key End", "Key End\nScreenDraw\nEnd\n", {}, {{19, {0, 35, 2}}, {22}, {0}}, 0},
      {"nested if", "If 1 = 1\nIf 2 = 2\nEnd\nEnd\n", {},
       {{5, {0, 1, 0, 1, 2}, {0, -1, 0, -1}}, {5, {0, 2, 0, 2, 2}, {0, -1, 0, -1}}, {0}, {0}}, 0},
      // Jumps.
      {"go", "Go *b\n*a\n*b\n", {}, {{21, {0, 2, 0}}, {1}, {1}}, 0},
      {"go unknown", "*a\nGo *z\nGo a\n", {}, {{1}, {0}, {0}}, 2},
      {"dup label", "ScreenDraw\n*a\n*a\nGo *a\n", {}, {{22}, {1}, {1}, {21, {0, 1, 0}}}, 0},
      // Tokenizing.
      {"commas", "Font 1,2,,c\n", {}, {{6, {1, 2}, {}, ",c"}}, 0},
      {"lone comma", "Font 1 , b\n", {}, {{6, {1, 0}, {}, "b"}}, 1},   // "," where y belongs
      {"blank at end", "Var x\nx = 5 \n", {"x"}, {{0}, {0}}, 1},
      {"unterminated, NUL", "Folder ab\0cd\nImgLoad 3 a.png", {}, {{20, {}, {}, "ab"}, {7, {3}, {}, "a.png"}}, 0},
      // The other operand forms.
      {"commands",
       "Var u\nVar v\nImgDraw 3 v 7\nPolyLoad 2 m.kzp\nPolyPos 2 v 1.5 -2\nPolyMotion 2 v\n"
       "CameraE v 0.25 5\nFolder dir\nFont 10 20 hello\nKey Num7\nEnd\n",
       {"u", "v"},
       {{0}, {0}, {8, {0, 3, 0, 7}, {0, 0, 1}}, {9, {0, 2}, {}, "m.kzp"},
        {10, {0, 2, 0, 1.5f, -2}, {0, 0, 1, -1, -1}}, {14, {0, 2}, {0, 0, 1}}, {17, {0, 0, 0.25f, 5}, {0, 1, -1, -1}},
        {20, {}, {}, "dir"}, {6, {10, 20}, {}, "hello"}, {19, {0, 103, 10}}, {0}},
       0},
  };
  for (const CompileCase &c : cases) {
    logs.clear();
    bool ok = false;
    // The one source with a NUL inside is 28 bytes long.
    std::string src(c.source, strcmp(c.name, "unterminated, NUL") == 0 ? 28 : strlen(c.source));
    Blob got = Compiled(src, &ok);
    EXPECT_TRUE(ok) << c.name;
    EXPECT_EQ(got, KzsBytes::File(c.vars, c.st)) << c.name;
    EXPECT_EQ(logs.size(), c.logLines) << c.name << ": " << (logs.empty() ? "" : logs[0]);
  }
  EXPECT_EQ(Compiled("Var x\nx = 3\n").size(), 173u);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(ProgTest, TokenizerAndTablesOfKeywordsAndKeyNames) {
  struct Tok {
    const char *line;
    std::vector<std::string> tokens;
  };
  const Tok toks[] = {{"a,b,,c\n", {"a", "b", ",c"}}, {"a , b\n", {"a", ",", "b"}}, {"x = 5 \n", {"x", "=", "5", "\n"}},
                      {"\t \n", {}}, {"\n", {}}, {"1 2 3 4 5 6 7\n", {"1", "2", "3", "4", "5"}}, {"k\t\"q r\"", {"k", "\"q", "r\""}}};
  for (const Tok &t : toks) {
    Compiled(t.line);
    const ProgLine &ln = g_ProgEditor.lines[0];
    std::vector<std::string> got(ln.tokens, ln.tokens + ln.tokenCount);
    EXPECT_EQ(got, t.tokens) << t.line;
    EXPECT_EQ(ln.length, (i32)strlen(t.line));
  }
  // Every keyword row: its code for a line of four numbers ("Go 1" finds no label).
  const char *words[] = {"Var", "If", "Font", "ImgLoad", "ImgDraw", "PolyLoad", "PolyPos", "PolyAng", "PolySize",
                         "PolyLight", "PolyMotion", "PolyVB", "CameraS", "CameraE", "LightPos", "Key", "Folder",
                         "Go", "ScreenDraw", "End", "if", "Screendraw"};
  const i32 codes[] = {0, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 0, 22, 0, 0, 0};
  for (size_t i = 0; i < sizeof codes / sizeof codes[0]; i++) {
    Compiled(std::string(words[i]) + " 1 2 3 4\n");
    EXPECT_EQ(g_ProgEditor.runtime->blocks[0]->code[0], codes[i]) << words[i];
  }
  // The whole key-name table, compared exactly.
  std::vector<std::pair<std::string, int>> keys = {
      {"Up", 38}, {"Right", 39}, {"Down", 40}, {"Left", 37}, {"Piriodo", 110}, {"Purasu", 107}, {"Mainasu", 109},
      {"Kakeru", 106}, {"Waru", 111}, {"NumLock", 144}, {"Esc", 27}, {"Kanji", 229}, {"Tab", 9}, {"Caps", 240},
      {"Shift", 16}, {"Ctrl", 17}, {"Space", 32}, {"Enter", 13}, {"Bs", 8}, {"PageUp", 33}, {"PageDown", 34},
      {"Insert", 45}, {"Home", 36}, {"Delete", 46}, {"End", 35}, {"a", 0}, {"up", 0}, {"F0", 0}, {"F13", 0},
      {"F01", 0}, {"Num10", 0}, {"AB", 0}};
  for (int i = 0; i < 26; i++) keys.push_back({std::string(1, (char)('A' + i)), 65 + i});
  for (int i = 0; i < 10; i++) keys.push_back({std::string(1, (char)('0' + i)), 48 + i});
  for (int i = 0; i < 10; i++) keys.push_back({"Num" + std::to_string(i), 96 + i});
  for (int i = 1; i <= 12; i++) keys.push_back({"F" + std::to_string(i), 111 + i});
  for (const auto &k : keys) {
    Compiled("Key " + k.first + "\nEnd\n");
    EXPECT_EQ(g_ProgEditor.runtime->blocks[0]->A[0][1], (f32)k.second) << k.first;
  }
}

TEST_F(ProgTest, EachProblemGivesOneLogLineWithItsLineNumber) {
  const std::string longLine = "ScreenDraw" + std::string(250, ' ') + "ScreenDraw\n";
  const std::pair<std::string, std::string> cases[] = {
      {"Var x\nfoo 1\n", "2 行目 : 知らない命令です。 (foo)"},
      {"Var x\nx 5\n", "2 行目 : 変数の行の形が正しくありません。 (x)"},
      {"Var x\nVar y\nx = y + -3\n", "3 行目 : 値の位置に演算子があります。 (-3)"},
      {"Var x\nx = y + 3\n", "2 行目 : 宣言されていない変数です。 (y)"},
      {"CameraS 1 q 2\n", "1 行目 : 宣言されていない変数です。 (q)"},
      {"Go *nowhere\n", "1 行目 : ラベルが見つかりません。 (*nowhere)"},
      {"*a\nGo a\n", "2 行目 : ラベル名は * で始めて下さい。 (a)"},
      {"Key Foo\nEnd\n", "1 行目 : 知らないキー名です。 (Foo)"},
      {"ScreenDraw\nIf 1 = 1\n", "2 行目 : 対応する End がありません。 (If)"},
      {"Font 1 2 a b c\n", "1 行目 : 6 語目から後は無視されます。 (c)"},
      {longLine, "1 行目 : 255 バイトを超えたので、残りを次の行として読みます。"},
      {"Var x\nx = 5 \n", "2 行目 : 行末に空白があります。"},
      {"Var a\nb = a + 1\n", "2 行目 : 宣言されていない変数です。 (b)"},
      {"Var a\nb + 1\n", "2 行目 : 宣言されていない変数です。 (b)"},
      {"Var a\nIf a >\nEnd\n", "2 行目 : 式が途中で終わっています。 (>)"},
      {"Var a\nIf a\nEnd\n", "2 行目 : 式が途中で終わっています。 (a)"},
      {"If\nEnd\n", "1 行目 : 式が途中で終わっています。 (If)"},
      {"Var x\nImgDraw star x 2\n", "2 行目 : ここには数値を書いて下さい。 (star)"},
  };
  for (const auto &c : cases) {
    logs.clear();
    bool ok = false;
    Compiled(c.first, &ok);
    EXPECT_TRUE(ok);
    ASSERT_EQ(logs.size(), 1u) << c.second;
    EXPECT_EQ(logs[0], c.second);
  }
  // An If cut short compiles to nothing, not to a comparison with 0.
  Compiled("Var a\nIf a >\nEnd\n");
  EXPECT_EQ(g_ProgEditor.runtime->blocks[0]->code[1], 0);
  // The cut line continues as the next line: two ScreenDraw statements.
  EXPECT_EQ(Compiled(longLine), KzsBytes::File({}, {{22}, {22}}));
  Compiled(longLine + "foo\n");
  EXPECT_EQ(logs.back(), "2 行目 : 知らない命令です。 (foo)");
}

// A source beyond a table is refused naming the line; the previous compile stays.
TEST_F(ProgTest, SourcesBeyondTheTablesAreRefusedAndKeepThePreviousBlock) {
  auto lines = [](const char *fmt, int n) {
    std::string s;
    char buf[64];
    for (int i = 0; i < n; i++) s += (snprintf(buf, sizeof buf, fmt, i), buf);
    return s;
  };
  const Blob before = Compiled("Var x\nx = 3\n");
  const struct {
    std::string fits, over;
    const char *box;
  } cases[] = {
      {lines("ScreenDraw\n", 1000), lines("ScreenDraw\n", 1001), "1001 行目 : 行の数が最大数(1000)を超えました。"},
      {lines("Var v%d\n", 100), lines("Var v%d\n", 101), "101 行目 : 変数の数が最大数(100)を超えました。"},
      {lines("*l%d\n", 100), lines("*l%d\n", 101), "101 行目 : ラベルの数が最大数(100)を超えました。"},
  };
  for (const auto &c : cases) {
    boxes.clear();
    bool ok = false;
    Compiled(c.fits, &ok);
    EXPECT_TRUE(ok && boxes.empty()) << c.box;
    Compiled("Var x\nx = 3\n");
    EXPECT_EQ(Compiled(c.over, &ok), before) << c.box;
    EXPECT_FALSE(ok);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], c.box);
  }
}

TEST_F(ProgTest, EveryCompileStartsEmptyAndCrLfCompilesLikeLf) {
  Compiled("Var x\n*top\nx = 3\nGo *top\nScreenDraw\n");
  EXPECT_EQ(Compiled("Var y\nGo *top\n"), KzsBytes::File({"y"}, {{0}, {0}}));
  const std::string lf = "Var x\n*a\nx = 5\nIf x = 5\nScreenDraw\nEnd\nGo *a\nFont 1 2 t\n\nKey End\nEnd";
  std::string crlf;
  for (char c : lf) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  const Blob want = Compiled(lf);
  EXPECT_EQ(Compiled(crlf), want);
  EXPECT_EQ(g_ProgEditor.runtime->blocks[0]->code[4], 22);
}

// [SECTION] Files

struct ProgFileTest : ProgTest {
  static inline std::string editText;
  std::string dir;
  void SetUp() override {
    ProgTest::SetUp();
    dir = std::string(cwd) + "/prog_work";
    mkdir(dir.c_str(), 0755);
    for (const char *f : {"/main.txt", "/Program.KZS"}) remove((dir + f).c_str());
    Str_Copy(g_ProgEditor.sourceFolder, PROG_TEXT_SIZE, dir.c_str());
    Str_Copy(g_ProgEditor.sourceName, PROG_TEXT_SIZE, "main.txt");
    g_ProgEditor.editText = [](ByteWriter *w) {
      Wr_Bytes(w, editText.data(), editText.size());
      return true;
    };
  }
  Blob In(const char *f) { return ReadAll(dir + "/" + f); }
  static Blob ReadAll(const std::string &path) {
    FileData d = {};
    if (!File_ReadAll(path.c_str(), &d)) return {};
    Blob b(d.data, d.data + d.size);
    File_Free(&d);
    return b;
  }
  // Saves of file f fail while on.
  void Blocked(const char *f, bool on) { g_SaveFault = on ? SaveFault{f, SAVE_STEP_WRITE} : SaveFault{}; }
};

TEST_F(ProgFileTest, WriteKzsSavesTheSourceAndWritesProgramKzs) {
  editText = "Var x\r\nx = 3\r\n";
  ASSERT_TRUE(Prog_WriteKzs());
  EXPECT_EQ(In("main.txt"), Blob(editText.begin(), editText.end()));
  EXPECT_EQ(In("Program.KZS"), KzsBytes::File({"x"}, {{0}, {3, {0, 0, 3}}}));
  EXPECT_EQ(timerResets, 1);
  EXPECT_TRUE(boxes.empty());

  // A source beyond the tables writes nothing.
  editText = std::string(1001 * 2, '\n');
  EXPECT_FALSE(Prog_WriteKzs());
  EXPECT_EQ(In("Program.KZS").size(), 173u);

  // Program.KZS that cannot be created: said, and the old file stays.
  editText = "ScreenDraw\n";
  Blocked("Program.KZS", true);
  boxes.clear();
  EXPECT_FALSE(Prog_WriteKzs());
  Blocked("Program.KZS", false);
  EXPECT_EQ(boxes, std::vector<std::string>{"Program.KZS に保存することができませんでした。"});
  EXPECT_EQ(In("Program.KZS").size(), 173u);

  g_ProgEditor.sourceName[0] = 0;
  boxes.clear();
  EXPECT_FALSE(Prog_WriteKzs());
  EXPECT_EQ(boxes, std::vector<std::string>{"コンバートするソースファイル(*.TXT)を、選択して下さい。"});
}

TEST_F(ProgFileTest, AFailedSourceWriteKeepsTheScriptAndTheBlock) {
  editText = "Var x\nx = 3\n";
  ASSERT_TRUE(Prog_Compile("main.txt"));
  const Blob block = Written();
  editText = "ScreenDraw\n";
  Blocked("main.txt", true);
  EXPECT_FALSE(Prog_Compile("main.txt"));
  Blocked("main.txt", false);
  EXPECT_EQ(boxes, std::vector<std::string>{"main.txt に保存することができませんでした。"});
  EXPECT_EQ(In("main.txt"), Blob({'V', 'a', 'r', ' ', 'x', '\n', 'x', ' ', '=', ' ', '3', '\n'}));
  EXPECT_EQ(Written(), block);

  // Without an edit text the file is compiled as it stands; a missing file is said.
  g_ProgEditor.editText = nullptr;
  boxes.clear();
  EXPECT_FALSE(Prog_Compile("missing.txt"));
  EXPECT_EQ(boxes, std::vector<std::string>{"ファイルを読み込むことが、できませんでした。"});
  EXPECT_TRUE(Prog_Compile("main.txt"));
  EXPECT_EQ(Written(), block);
}
