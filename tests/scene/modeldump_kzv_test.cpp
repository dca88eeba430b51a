// tools/modeldump on KZV files: every field of a hand-made movie from the parser alone, and a
// refused file's message and exit status. Runs the tool built beside the tests.
#include "run_tool.h"
#include "tests/scene/movie_fixture.h"

TEST_F(MovieTest, ModeldumpPrintsEveryFieldOfAMovie) {
  std::string tool = std::string(savedCwd) + "/modeldump";
  if (!Test_ToolBuilt(tool)) GTEST_SKIP() << "modeldump not built here";
  MovieSpec s;
  s.version = 2006000;
  s.frameCount = 0;
  s.objects = {{"cam", 5, {{0, 1, 4, 1}}, "", "", "", 0},
               {"m", 4, {{2, 0, 3, 0}, {9, 1, 1, 100}}, "Sub", "a.kzp", "mo", 2}};
  s.sounds = {{"W", "a.wav"}};
  s.next = "n.kzv";
  s.trailer = true;
  s.trailerNames = {"cam2", "m2"};
  s.trailerShadows = {5, 6};
  std::string path = Write("dump.kzv", BuildKzv(s));
  std::string out;
  int status = -1;
  ASSERT_TRUE(Test_RunTool(tool + " " + path + " 2>&1", &out, &status));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(out,
            "{\"file\":\"" + path + "\",\"format\":\"kzv\",\"version\":2006000,\"frameCount\":1,"
            "\"bgmPresent\":0,\"bgmSecondName\":\"\",\"bgmFileName\":\"\",\"soundCount\":2,"
            "\"sounds\":[[\"W\",\"a.wav\"]],\"messageCount\":0,\"messages\":[],\"nextPresent\":0,"
            "\"nextName\":\"n.kzv\",\"trailer\":1,\"objects\":["
            "{\"name\":\"cam2\",\"kind\":5,\"curves\":[1,0,1],\"folder\":\"\",\"fileName\":\"\","
            "\"motionFileName\":\"\",\"shadowKind\":5,\"keys\":[{\"frame\":0,\"shown\":1,\"number\":4,"
            "\"position\":[1,2,3],\"angles\":[0,0,0],\"rotation\":[0,0,0,0],\"scale\":[0,0,0],"
            "\"color\":[0,0,0,0],\"target\":[18,19,20]}]},"
            "{\"name\":\"m2\",\"kind\":4,\"curves\":[1,0,1],\"folder\":\"Sub\",\"fileName\":\"a.kzp\","
            "\"motionFileName\":\"mo\",\"shadowKind\":6,\"keys\":["
            "{\"frame\":2,\"shown\":1,\"number\":3,\"position\":[0,1,2],\"angles\":[3,4,5],"
            "\"rotation\":[6,7,8,9],\"scale\":[10,11,12],\"color\":[13,14,15,16],\"target\":[0,0,0]},"
            "{\"frame\":9,\"shown\":1,\"number\":1,\"position\":[100,101,102],\"angles\":[103,104,105],"
            "\"rotation\":[106,107,108,109],\"scale\":[110,111,112],\"color\":[113,114,115,116],"
            "\"target\":[0,0,0]}]}]}\n");
  std::vector<u8> cut = BuildKzv(s);
  cut.resize(40);
  std::string bad = Write("cut.kzv", cut);
  ASSERT_TRUE(Test_RunTool(tool + " " + bad + " 2>&1", &out, &status));
  EXPECT_EQ(status, 1);
  // The tool prints names and messages as UTF-8.
  EXPECT_EQ(out, bad + u8" は壊れているため、読み込むことができませんでした。\n");
}
