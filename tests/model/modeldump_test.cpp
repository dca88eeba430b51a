// tools/modeldump: the JSON it prints for hand-made files, and a refused file's message and
// exit status. Runs the tool built beside the tests (skipped when it is not there).
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <string>

#include "model_shown.h"
#include "file_bytes.h"
#include "kz_files.h"
#include "model/bone2.h"
#include "model/kzb.h"
#include "run_tool.h"

struct ModelDump : ::testing::Test {
  void SetUp() override {
    if (!Test_ToolBuilt("./modeldump")) GTEST_SKIP() << "modeldump not built here";
  }
};

TEST_F(ModelDump, PrintsTheModelAndRefusesBadFiles) {
  const char *src = getenv("MIRAVEL_SRC");
  if (!src) GTEST_SKIP();
  std::string kzp = std::string(src) + "/tests/fuzz/corpus/fuzz_kzp/v2004002.kzp";
  std::string out;
  int status = -1;
  ASSERT_TRUE(Test_RunTool("./modeldump " + kzp + " 2>&1", &out, &status));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out, "{\"file\":\"" + kzp +
                     "\",\"format\":\"kzp\",\"positions\":3,\"normals\":1,\"uvs\":2,\"colors\":1,\"polygons\":1,"
                     "\"triangles\":1,\"groups\":[{\"name\":\"g0\",\"color\":[200,201,202,255],\"texture\":1,\"mapping\":0,\"uvBounds\":[0,0,1,1],\"polygons\":1}],"
                     "\"textures\":[\"\",\"tex1.png\"],\"bones\":[{\"name\":\"\xe8\xa6\xaa\xe3\x83\x9c\xe3\x83\xbc\xe3\x83\xb3" "\",\"parent\":0,\"keyFrames\":[[0]],\"rest\":[0,0,0],\"vertices\":1},"
                     "{\"name\":\"\xe3\x83\x9c\xe3\x83\xbc\xe3\x83\xb3\x5f\x30\x31" "\",\"parent\":0,\"keyFrames\":[[0]],\"rest\":[0,0,0],\"vertices\":2}],\"motions\":[{\"name\":\"\xe3\x83\xa2\xe3\x83\xbc\xe3\x82\xb7\xe3\x83\xa7\xe3\x83\xb3\xe5\x90\x8d" "\",\"used\":1,"
                     "\"length\":60,\"keys\":2}],\"bbox\":[[0,0,0],[1,2,0]]}\n");

  // A set whose parts live beside it.
  Bytes part;
  part.magic("KZP").i32_(2003030);
  WriteFileBytes("dump_part.kzp", part.b);
  Bytes set;
  set.magic("KZO").i32_(2005000).i32_(1).i32_(1).str("m").i32_(10).i32_(0).i32_(2);
  set.i32_(1).f32_(0).f32_(0).f32_(0).str("dump_part.kzp").i32_(0).i32_(0);
  WriteFileBytes("dump_set.kzo", set.b);
  ASSERT_TRUE(Test_RunTool("./modeldump dump_set.kzo 2>&1", &out, &status));
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("\"format\":\"kzo\",\"motions\":[{\"name\":\"m\",\"used\":1,\"length\":10,\"keys\":0}],\"parts\":["),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("{\"path\":\"dump_part.kzp\",\"parent\":0,\"loaded\":1,\"positions\":0"), std::string::npos) << out;

  // A refused file: the program's own message in UTF-8 ("ＫＺＰ形式...") and a failing status.
  part.b[6] = 0x7f;   // version far in the future
  WriteFileBytes("dump_part.kzp", part.b);
  ASSERT_TRUE(Test_RunTool("./modeldump dump_part.kzp 2>&1", &out, &status));
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out.substr(0, 3 * 3), "\xef\xbc\xab\xef\xbc\xba\xef\xbc\xb0");
  remove("dump_part.kzp");
  remove("dump_set.kzo");

  // A foreign importer refuses without a message of its own: opening the file still says that
  // nothing was read ("... を読み込むことができませんでした。").
  WriteFileBytes("dump_empty.mqo", std::vector<u8>{});
  ASSERT_TRUE(Test_RunTool("./modeldump dump_empty.mqo 2>&1", &out, &status));
  EXPECT_EQ(status, 1);
  EXPECT_EQ(out, "dump_empty.mqo \xe3\x82\x92\xe8\xaa\xad\xe3\x81\xbf\xe8\xbe\xbc\xe3\x82\x80\xe3\x81\x93\xe3\x81\xa8"
                 "\xe3\x81\x8c\xe3\x81\xa7\xe3\x81\x8d\xe3\x81\xbe\xe3\x81\x9b\xe3\x82\x93\xe3\x81\xa7\xe3\x81\x97"
                 "\xe3\x81\x9f\xe3\x80\x82\n");
  // An extension no reader knows is refused with its own message.
  WriteFileBytes("dump_model.abc", std::vector<u8>{1, 2, 3});
  ASSERT_TRUE(Test_RunTool("./modeldump dump_model.abc 2>&1", &out, &status));
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("dump_model.abc "), std::string::npos) << out;
  remove("dump_model.abc");
  remove("dump_empty.mqo");
}

// A KZM is read onto the 3D model named before it and printed with that model's motions; a
// KZM with no model before it is refused.
TEST_F(ModelDump, ReadsMotionsOntoTheModelBeforeThem) {
  const char *src = getenv("MIRAVEL_SRC");
  if (!src) GTEST_SKIP();
  std::string kzp = std::string(src) + "/tests/fuzz/corpus/fuzz_kzp/v2004002.kzp";
  Bytes kzm;
  kzm.magic("KZM").i32_(2002040).i32_(60).i32_(0).i32_(0).i32_(0).i32_(2);
  kzm.i32_(1).str("walk").i32_(30).i32_(1).str("run").i32_(45).i32_(1).str("");
  WriteFileBytes("dump_motions.kzm", kzm.b);
  std::string out;
  int status = -1;
  ASSERT_TRUE(Test_RunTool("./modeldump " + kzp + " dump_motions.kzm 2>&1", &out, &status));
  EXPECT_EQ(status, 0) << out;
  size_t second = out.find("{\"file\":\"dump_motions.kzm\",\"format\":\"kzm\",\"model\":\"" + kzp +
                           "\",\"positions\":3,");
  ASSERT_NE(second, std::string::npos) << out;
  EXPECT_NE(out.find("\"motions\":[{\"name\":\"walk\",\"used\":1,\"length\":30,\"keys\":2},"
                     "{\"name\":\"run\",\"used\":1,\"length\":45,",
                     second),
            std::string::npos)
      << out;

  ASSERT_TRUE(Test_RunTool("./modeldump dump_motions.kzm 2>&1", &out, &status));
  EXPECT_EQ(status, 1);
  EXPECT_NE(out.find("no 3D model"), std::string::npos) << out;
  remove("dump_motions.kzm");
}

// A KZB: each bone with its rest entry and the skin vertices bound first to it, automatically
// and by hand.
TEST_F(ModelDump, PrintsKzbRestsAndBindingCounts) {
  g_ModelAllocArrays = 1;
  Bone2Model *m = Bone2_Init(0);
  g_ModelAllocArrays = 0;
  ASSERT_NE(m, nullptr);
  m->boneCount = 3;
  m->bones[2].parent = 1;
  snprintf(m->bones[2].name, sizeof m->bones[2].name, "arm");
  m->rest[1] = {0, 12.5f, -4, 30, 1, 1};
  m->rest[2] = {0, 40, 0, 0, 1, 0.5f};
  m->vertexCount = 4;
  const VertexBinding binds[4] = {{1, 0, 1, 1}, {2, 0, 1, 1}, {2, 1, 0.5f, 0}, {2, 0, 1, 1}};
  for (i32 v = 0; v < 4; v++) m->positions[v] = {(f32)v, 0}, m->bindings[v] = binds[v];
  ASSERT_EQ(Shown(Kzb_Write, 0, "dump_bones.kzb"), 1);
  Bone2_FreeSlot(0);
  std::string out;
  int status = -1;
  ASSERT_TRUE(Test_RunTool("./modeldump dump_bones.kzb 2>&1", &out, &status));
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("{\"name\":\"arm\",\"parent\":1,\"rest\":[40,0,0,1,0.5],\"bound\":{\"auto\":2,\"hand\":1}}"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("\"parent\":0,\"rest\":[12.5,-4,30,1,1],\"bound\":{\"auto\":1,\"hand\":0}}"), std::string::npos)
      << out;
  remove("dump_bones.kzb");
}
