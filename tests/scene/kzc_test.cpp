// KZC files: hand-built sets of both versions read into exactly the stored fields, the models
// they name loaded, byte-identical saves, every refusal keeping the current document, and
// the modeldump output.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include "model_shown.h"
#include "coli_fixture.h"
#include "model/kzp.h"
#include "scene/kzc.h"
#include "file_bytes.h"
#include "tests/model/kz_files.h"
#include "file_messages.h"
#include "run_tool.h"

namespace {

const char kNotKzc[] = "%s は、ＫＺＣ形式ではありません。";
const char kTooOld[] = "KZC形式のバージョンが古いので\n読み込むことができません。\n\n%s";
const char kTooNew[] =
    "KZC形式のバージョンが新しいので\n読み込むことができません。\n最新版へバージョンアップして下さい。\n\n%s";

// Version 2002010: range, two boxes, one circle, the given model name and ten slots, two of
// them naming character files.
Bytes Set2002010(const std::string &model, const std::string &c0 = "c0.kzp", const std::string &c1 = "c1.kzp") {
  Bytes b;
  b.magic("KZC").i32_(2002010);
  for (f32 v : {-10.0f, -1.0f, -20.0f, 10.0f, 9.0f, 20.0f}) b.f32_(v);
  b.i32_(2);
  b.u32_(1).f32_(1).f32_(2).f32_(3).f32_(45).f32_(4);
  b.u32_(0).f32_(5).f32_(6).f32_(7).f32_(0).f32_(2);
  b.i32_(1).u32_(1).f32_(-3).f32_(0).f32_(4).f32_(1.5f);
  b.str(model.c_str());
  b.i32_(10);
  b.u32_(1).str(c0.c_str());
  b.u32_(1).str(c1.c_str());
  b.u32_(2);   // a flag other than 1 has no name
  for (int i = 3; i < 10; i++) b.u32_(0);
  return b;
}

// Version 2002000: no range and no circles; one box, no model, three slots stored.
Bytes Set2002000() {
  Bytes b;
  b.magic("KZC").i32_(2002000).i32_(1);
  b.u32_(1).f32_(-4).f32_(0).f32_(8).f32_(30).f32_(3);
  b.str("").i32_(3).u32_(0).u32_(0).u32_(0);
  return b;
}

// A one-triangle KZP model of the given height, written by the program's own writer.
void WriteTriangleModel(const char *path, f32 y) {
  ColiModelSpec s;
  s.positions = {{-5, y, -5}, {5, y, -5}, {0, y, 5}};
  s.normals = {{0, 1, 0}};
  s.polygons = {{{0, 1, 2, -1}, 0}};
  Model3 *m = ColiBuildModel(s);
  ASSERT_NE(m, nullptr);
  ASSERT_TRUE(Shown(Kzp_Write, m, path));
  Model3_Free(m);
}

struct KzcTest : ColiTest {
  void TearDown() override {
    for (const char *f : {"coli.kzp", "c0.kzp", "c1.kzp", "set.kzc", "set2.kzc", "bad.kzc", "old.kzc"}) remove(f);
    ColiTest::TearDown();
  }
};

TEST_F(KzcTest, ReadsBothVersionsAndLoadsTheNamedModels) {
  WriteTriangleModel("coli.kzp", 0.0f);
  WriteTriangleModel("c0.kzp", 1.0f);
  WriteTriangleModel("c1.kzp", 2.0f);
  Bytes b = Set2002010("coli.kzp");
  WriteFileBytes("set.kzc", b.b);
  ASSERT_TRUE(Kzc_Read("set.kzc"));
  EXPECT_TRUE(Messages().empty()) << Messages()[0];
  const CollisionDoc *d = g_Coli.doc;
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->version, 2002010u);
  const f32 bounds[6] = {-10, -1, -20, 10, 9, 20};
  for (int k = 0; k < 6; k++) EXPECT_EQ(d->bounds[k], bounds[k]);
  ASSERT_EQ(d->boxCount, 2);
  const ColiBox &b0 = d->boxes[0], &b1 = d->boxes[1], &b2 = d->boxes[2];
  EXPECT_TRUE(b0.used == 1 && b0.x == 1 && b0.y == 2 && b0.z == 3 && b0.angle == 45 && b0.size == 4);
  EXPECT_TRUE(b1.used == 0 && b1.x == 5 && b1.y == 6 && b1.z == 7 && b1.angle == 0 && b1.size == 2);
  EXPECT_TRUE(b2.used == 0 && b2.x == 0 && b2.size == 5);   // past the count: a new set's record
  ASSERT_EQ(d->circleCount, 1);
  EXPECT_TRUE(d->circles[0].used == 1 && d->circles[0].x == -3 && d->circles[0].z == 4 && d->circles[0].size == 1.5f);
  EXPECT_STREQ(d->modelName, "coli.kzp");
  EXPECT_STREQ(d->fileName, "set.kzc");
  EXPECT_EQ(d->loaded, 1u);
  const u32 flags[10] = {1, 1, 2, 0, 0, 0, 0, 0, 0, 0};
  for (int i = 0; i < 10; i++) EXPECT_EQ(d->slotFlags[i], flags[i]) << i;
  EXPECT_STREQ(d->slotNames[1], "c1.kzp");
  EXPECT_STREQ(d->slotNames[2], "");
  // The collision model is the document's own copy; the characters sit in slots and objects
  // 10 and 11, hidden; slot 12 (flag 2) stays empty.
  ASSERT_NE(d->model, nullptr);
  EXPECT_NE(d->model, Model3_Get(255));
  EXPECT_EQ(d->model->polygonCount, 1);
  for (i32 n : {10, 11}) {
    ASSERT_NE(Model3_Get(n), nullptr);
    EXPECT_EQ(Model3_Get(n)->positions[0].y, n - 9.0f);
    ASSERT_NE(Object_Get(n), nullptr);
    EXPECT_EQ(Object_Get(n)->shown, 0);
    EXPECT_EQ(Object_Get(n)->modelSlot, n);
  }
  EXPECT_EQ(Model3_Get(12), nullptr);

  // Saved again: the same bytes.
  ASSERT_TRUE(Kzc_Write("set2.kzc"));
  EXPECT_EQ(FirstDifference(ReadFileBytes("set2.kzc"), b.b), -1);

  // A 2002000 set keeps the default range and has no circles; it is saved as 2002010.
  WriteFileBytes("old.kzc", Set2002000().b);
  ASSERT_TRUE(Kzc_Read("old.kzc"));
  d = g_Coli.doc;
  EXPECT_EQ(d->version, 2002000u);
  const f32 defaults[6] = {-32, 0, -32, 32, 32, 32};
  for (int k = 0; k < 6; k++) EXPECT_EQ(d->bounds[k], defaults[k]);
  EXPECT_EQ(d->boxCount, 1);
  EXPECT_TRUE(d->boxes[0].used == 1 && d->boxes[0].x == -4 && d->boxes[0].z == 8 && d->boxes[0].angle == 30);
  EXPECT_EQ(d->circleCount, 0);
  EXPECT_EQ(d->model, nullptr);   // no name, no model
  ASSERT_TRUE(Kzc_Write("set2.kzc"));
  EXPECT_EQ(d->version, 2002010u);
  Bytes want;
  want.magic("KZC").i32_(2002010);
  for (f32 v : defaults) want.f32_(v);
  want.i32_(1).u32_(1).f32_(-4).f32_(0).f32_(8).f32_(30).f32_(3).i32_(0).str("").i32_(10);
  for (int i = 0; i < 10; i++) want.u32_(0);
  EXPECT_EQ(FirstDifference(ReadFileBytes("set2.kzc"), want.b), -1);
}

TEST_F(KzcTest, EveryRefusalSaysWhyAndKeepsTheDocument) {
  WriteTriangleModel("coli.kzp", 0.0f);
  Bytes good = Set2002010("coli.kzp", "", "");
  WriteFileBytes("set.kzc", good.b);
  ASSERT_TRUE(Kzc_Read("set.kzc"));
  CollisionDoc *before = g_Coli.doc;
  Model3 *model = before->model;
  ASSERT_NE(model, nullptr);
  CollisionDoc copy = *before;

  struct Case { const char *what; std::vector<u8> bytes; const char *text; };
  std::vector<Case> cases;
  auto with = [&](const char *what, Bytes b, const char *text) { cases.push_back({what, b.b, text}); };
  Bytes magic = good;
  magic.b[2] = 'D';
  with("another magic", magic, kNotKzc);
  for (i32 v : {2001999, 2002005, 2002009, 2002001})
    with("unlisted version", Bytes().magic("KZC").i32_(v).i32_(0).str("").i32_(0), kTooOld);
  with("newer", Bytes().magic("KZC").i32_(2002011).i32_(0).str("").i32_(0), kTooNew);
  with("101 boxes", Bytes().magic("KZC").i32_(2002000).i32_(101), kBroken);
  with("negative boxes", Bytes().magic("KZC").i32_(2002000).i32_(-1), kBroken);
  Bytes circles;
  circles.magic("KZC").i32_(2002010);
  for (int k = 0; k < 6; k++) circles.f32_(0);
  with("101 circles", circles.i32_(0).i32_(101), kBroken);
  with("11 slots", Bytes().magic("KZC").i32_(2002000).i32_(0).str("").i32_(11), kBroken);
  std::string name256(256, 'a'), name255(255, 'a');
  with("256-byte model name", Bytes().magic("KZC").i32_(2002000).i32_(0).str(name256.c_str()).i32_(0), kBroken);
  with("256-byte slot name",
       Bytes().magic("KZC").i32_(2002000).i32_(0).str("").i32_(1).u32_(1).str(name256.c_str()), kBroken);
  // Every truncation of a valid file: too short for the magic, or broken.
  for (size_t n = 0; n < good.b.size(); n++) {
    Bytes cut;
    cut.b.assign(good.b.begin(), good.b.begin() + (long)n);
    cases.push_back({"truncated", cut.b, n < 3 ? kNotKzc : kBroken});
  }

  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    WriteFileBytes("bad.kzc", c.bytes);
    Messages().clear();
    EXPECT_FALSE(Kzc_Read("bad.kzc"));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], Fmt(c.text, "bad.kzc"));
    ASSERT_EQ(g_Coli.doc, before);
    EXPECT_EQ(g_Coli.doc->model, model);
    EXPECT_EQ(memcmp(g_Coli.doc, &copy, sizeof copy), 0);
  }
  Messages().clear();
  EXPECT_FALSE(Kzc_Read("missing.kzc"));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0], Fmt(kCannotOpen, "missing.kzc"));
  EXPECT_EQ(g_Coli.doc, before);

  // A 255-byte name is the longest that fits.
  WriteFileBytes("bad.kzc", Bytes().magic("KZC").i32_(2002000).i32_(0).str("").i32_(1).u32_(1).str(name255.c_str()).b);
  CollisionDoc *d = Kzc_ReadDocument("bad.kzc");
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(strlen(d->slotNames[0]), 255u);
  Coli_FreeDocument(d);

  // A failed save says so and leaves the old file as it was.
  Messages().clear();
  g_Coli.doc->boxCount = 101;
  EXPECT_FALSE(Kzc_Write("set.kzc"));
  EXPECT_FALSE(Kzc_Write("no_such_folder/set.kzc"));
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[0], Fmt(kCannotSave, "set.kzc"));
  EXPECT_EQ(Messages()[1], Fmt(kCannotSave, "no_such_folder/set.kzc"));
  EXPECT_EQ(FirstDifference(ReadFileBytes("set.kzc"), good.b), -1);
}

TEST_F(KzcTest, ModelDumpPrintsTheStoredSet) {
  const char *src = getenv("MIRAVEL_SRC");
  if (!src || !Test_ToolBuilt("./modeldump")) GTEST_SKIP() << "modeldump not built here";
  WriteFileBytes("set.kzc", Set2002010("コリジョン.kzp").b);
  WriteFileBytes("old.kzc", Set2002000().b);
  std::string out;
  int status = -1;
  ASSERT_TRUE(Test_RunTool("./modeldump set.kzc old.kzc 2>&1", &out, &status));
  EXPECT_EQ(status, 0);
  const std::string slots7 = ",{\"flag\":0},{\"flag\":0},{\"flag\":0},{\"flag\":0},{\"flag\":0},{\"flag\":0},{\"flag\":0}";
  EXPECT_EQ(out,
            "{\"file\":\"set.kzc\",\"format\":\"kzc\",\"version\":2002010,\"bounds\":[-10,-1,-20,10,9,20],"
            "\"boxes\":[{\"used\":1,\"position\":[1,2,3],\"angle\":45,\"size\":4},"
            "{\"used\":0,\"position\":[5,6,7],\"angle\":0,\"size\":2}],"
            "\"circles\":[{\"used\":1,\"position\":[-3,0,4],\"size\":1.5}],"
            "\"model\":\"\xe3\x82\xb3\xe3\x83\xaa\xe3\x82\xb8\xe3\x83\xa7\xe3\x83\xb3.kzp\","
            "\"slots\":[{\"flag\":1,\"name\":\"c0.kzp\"},{\"flag\":1,\"name\":\"c1.kzp\"},{\"flag\":2}" + slots7 + "]}\n"
            "{\"file\":\"old.kzc\",\"format\":\"kzc\",\"version\":2002000,\"bounds\":[-32,0,-32,32,32,32],"
            "\"boxes\":[{\"used\":1,\"position\":[-4,0,8],\"angle\":30,\"size\":3}],\"circles\":[],\"model\":\"\","
            "\"slots\":[{\"flag\":0},{\"flag\":0},{\"flag\":0}" + slots7 + "]}\n");
}


// Every float of a set (range, box, circle) holding NaN or an infinity is refused as damaged,
// and the set in memory stays as it was.
TEST_F(KzcTest, NonFiniteValuesAreRefused) {
  auto build = [](int poisoned, f32 v) {
    Bytes b;
    b.magic("KZC").i32_(2002010);
    int at = 0;
    auto put = [&](f32 x) { b.f32_(at++ == poisoned ? v : x); };
    for (f32 x : {-100.0f, -10.0f, -100.0f, 100.0f, 50.0f, 100.0f}) put(x);
    b.i32_(1).u32_(1);
    for (f32 x : {1.0f, 2.0f, 3.0f, 45.0f, 4.0f}) put(x);
    b.i32_(1).u32_(1);
    for (f32 x : {5.0f, 6.0f, 7.0f, 2.0f}) put(x);
    return b.str("").i32_(0).b;
  };
  WriteFileBytes("finite.kzc", build(-1, 0));
  ASSERT_TRUE(Kzc_Read("finite.kzc"));
  CollisionDoc copy = *g_Coli.doc;
  for (int f = 0; f < 15; f++)
    for (f32 v : {NAN, INFINITY, -INFINITY}) {
      WriteFileBytes("bad.kzc", build(f, v));
      Messages().clear();
      EXPECT_FALSE(Kzc_Read("bad.kzc")) << f;
      ASSERT_EQ(Messages().size(), 1u) << f;
      EXPECT_EQ(Messages()[0], Fmt(kBroken, "bad.kzc")) << f;
      EXPECT_EQ(memcmp(g_Coli.doc, &copy, sizeof copy), 0) << f;
    }
  remove("finite.kzc");
  remove("bad.kzc");
}

}  // namespace
